#pragma once

// Multi-line editor for a text that goes to the printer, with the same
// special-mark entries in its context menu as ExtendedLineEdit.

#include "nohelpbutton.h"

#include <QList>

class QAction;

namespace Ui {
class TextEditDialog;
}

class TextEditDialog : public NoHelpButtonDialog
{
    Q_OBJECT
public:
    // flags: ExtendedChars::Flag bits, fixed for the dialog's life.
    explicit TextEditDialog(int flags, QWidget *parent = nullptr);
    ~TextEditDialog() override;

    QString text() const;
    // Sets the text and puts the cursor at its end.
    void setText(const QString &text);

    // Runs the editor modally; returns the edited text after OK and the
    // given text unchanged otherwise. Line breaks stay in the result.
    static QString show(QWidget *parent, const QString &title, const QString &text, int flags);

public slots:
    void showContextMenu(const QPoint &pos);

private:
    Ui::TextEditDialog *ui;
    QList<QAction *> m_specialActions; // in flag order
};
