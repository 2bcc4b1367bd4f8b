#include "errorline.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

ErrorLine::ErrorLine(QWidget *parent)
    : SqueezedLabel(parent)
{
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Selectable by mouse alone, a label never takes the focus, and Ctrl+C
    // would go elsewhere.
    setFocusPolicy(Qt::ClickFocus);
    // The status bar gives the line whatever room is left; the text never
    // asks for more.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ErrorLine::textToCopy() const
{
    const QString full = fullText();
    const int start = selectionStart();
    if (start < 0)
        return full;
    const QString shown = text();
    // The shown text is the full one up to where the ellipsis begins.
    qsizetype same = 0;
    while (same < shown.size() && same < full.size() && shown.at(same) == full.at(same))
        ++same;
    const qsizetype end = start + selectedText().size();
    if (end <= same)
        return full.mid(start, end - start);
    return full.mid(qMin<qsizetype>(start, same));
}

void ErrorLine::copy() const
{
    const QString copied = textToCopy();
    if (!copied.isEmpty())
        QGuiApplication::clipboard()->setText(copied);
}

void ErrorLine::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    SqueezedLabel::keyPressEvent(event);
}

void ErrorLine::contextMenuEvent(QContextMenuEvent *event)
{
    if (fullText().isEmpty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(tr("Копировать"), this, &ErrorLine::copy);
    menu.addAction(tr("Выделить все"), this, [this]() { setSelection(0, int(text().size())); });
    menu.exec(event->globalPos());
}
