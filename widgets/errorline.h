#pragma once

// The error line of the status bar. A message of any length takes only the
// room the status bar has: it is cut with an ellipsis and shown whole as the
// tool tip, so a long driver message never widens the window. The text can
// be selected with the mouse and copied (people paste device errors into bug
// reports); copying a selection that reaches the ellipsis copies the rest of
// the message, not the ellipsis.

#include "squeezedlabel.h"

class ErrorLine : public SqueezedLabel
{
    Q_OBJECT
public:
    explicit ErrorLine(QWidget *parent = nullptr);

    // The part of the full text that the current selection stands for; the
    // whole text when nothing is selected.
    QString textToCopy() const;

public slots:
    void copy() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};
