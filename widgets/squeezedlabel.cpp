#include "squeezedlabel.h"

#include <QFontMetrics>

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

void SqueezedLabel::squeezeTextToLabel()
{
    const QFontMetrics metrics(font());
    const QString squeezed = metrics.elidedText(m_fullText, Qt::ElideRight, width());
    if (squeezed == m_fullText) {
        QLabel::setText(m_fullText);
        setToolTip(QString());
    } else {
        QLabel::setText(squeezed);
        setToolTip(m_fullText);
    }
}
