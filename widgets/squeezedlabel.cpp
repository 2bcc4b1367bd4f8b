#include "squeezedlabel.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>

namespace {

// A word-wrapped label shows this many lines before it squeezes.
const int WrappedLines = 2;

} // namespace

SqueezedLabel::SqueezedLabel(QWidget *parent)
    : QLabel(parent)
{
}

SqueezedLabel::SqueezedLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
    , m_fullText(text)
{
    squeezeTextToLabel();
}

QSize SqueezedLabel::minimumSizeHint() const
{
    QSize hint = QLabel::minimumSizeHint();
    hint.setWidth(-1);
    return hint;
}

void SqueezedLabel::setText(const QString &text)
{
    m_fullText = text;
    squeezeTextToLabel();
}

void SqueezedLabel::clear()
{
    if (!m_fullText.isEmpty())
        m_fullText.clear();
    // A tool tip left from a long text would name something no longer shown.
    setToolTip(QString());
    QLabel::clear();
}

void SqueezedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    squeezeTextToLabel();
}

// The text broken into lines of the label's width, the last line that fits
// cut at its end. The lines are laid out here rather than by the label, so
// that exactly the lines measured are the ones shown.
QString SqueezedLabel::wrappedText(bool &squeezed) const
{
    const int width = std::max(1, contentsRect().width());
    QString text = m_fullText;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<int> starts; // where each line begins; one more than shown tells of a rest
    for (QTextLine line = layout.createLine(); line.isValid() && starts.size() <= WrappedLines;
         line = layout.createLine()) {
        line.setLineWidth(width);
        starts << line.textStart();
    }
    layout.endLayout();
    starts << text.size();

    QStringList lines;
    const int shownLines = std::min<int>(WrappedLines, starts.size() - 1);
    for (int i = 0; i + 1 < shownLines; ++i)
        lines << text.mid(starts[i], starts[i + 1] - starts[i]).trimmed();
    squeezed = false;
    if (shownLines > 0) {
        const QString rest = text.mid(starts[shownLines - 1]).trimmed();
        const QString last = QFontMetrics(font()).elidedText(rest, Qt::ElideRight, width);
        squeezed = last != rest;
        lines << last;
    }
    return lines.join(QLatin1Char('\n'));
}

void SqueezedLabel::squeezeTextToLabel()
{
    QString shown;
    bool squeezed = false;
    if (wordWrap()) {
        shown = wrappedText(squeezed);
    } else {
        const QFontMetrics metrics(font());
        shown = metrics.elidedText(m_fullText, Qt::ElideRight, width());
        squeezed = shown != m_fullText;
    }
    QLabel::setText(shown);
    setToolTip(squeezed ? m_fullText : QString());
}
