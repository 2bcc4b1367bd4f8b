#pragma once

// A label for texts of unpredictable length (device names): a text wider
// than the label is cut at its end with an ellipsis and shown whole as the
// tool tip, so the label never forces the surrounding layout to grow. A
// word-wrapped label breaks the text into two lines of its width first and
// cuts the second.

#include <QLabel>

class SqueezedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SqueezedLabel(QWidget *parent = nullptr);
    explicit SqueezedLabel(const QString &text, QWidget *parent = nullptr);

    // The text as given, whatever part of it is displayed.
    QString fullText() const { return m_fullText; }

    // Width -1: layouts may make the label narrower than its text.
    QSize minimumSizeHint() const override;

public slots:
    void setText(const QString &text);
    void clear();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void squeezeTextToLabel();
    QString wrappedText(bool &squeezed) const;

    QString m_fullText;
};
