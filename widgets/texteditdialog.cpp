#include "texteditdialog.h"
#include "ui_texteditdialog.h"

#include "extendedchars.h"
#include "tables.h"

#include <QMenu>
#include <QScopedPointer>
#include <QTextCursor>

TextEditDialog::TextEditDialog(int flags, QWidget *parent)
    : NoHelpButtonDialog(parent)
    , ui(new Ui::TextEditDialog)
{
    ui->setupUi(this);
    for (const ExtendedChars::Flag flag : ExtendedChars::Flags) {
        if (flags & flag)
            m_specialActions.append(ExtendedChars::createAction(flag, this));
    }
    connect(ui->textEdit, &QWidget::customContextMenuRequested, this,
            &TextEditDialog::showContextMenu);
}

TextEditDialog::~TextEditDialog()
{
    qDeleteAll(m_specialActions);
    delete ui;
}

QString TextEditDialog::text() const
{
    return ui->textEdit->toPlainText();
}

void TextEditDialog::setText(const QString &text)
{
    ui->textEdit->setPlainText(text);
    ui->textEdit->moveCursor(QTextCursor::End);
}

QString TextEditDialog::show(QWidget *parent, const QString &title, const QString &text,
                             int flags)
{
    TextEditDialog dialog(flags, parent);
    dialog.setWindowTitle(title);
    dialog.setText(text);
    if (dialog.exec() == QDialog::Accepted)
        return dialog.text();
    return text;
}

void TextEditDialog::showContextMenu(const QPoint &pos)
{
    // Fresh standard entries each time, so their enabled state is current.
    QScopedPointer<QMenu> menu(ui->textEdit->createStandardContextMenu());
    if (!m_specialActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_specialActions);
    }
    // A scroll area reports context-menu positions in its viewport's
    // coordinates.
    QAction *chosen = menu->exec(ui->textEdit->viewport()->mapToGlobal(pos));
    menu.reset();
    if (!chosen || !m_specialActions.contains(chosen))
        return;

    switch (ExtendedChars::actionFlag(chosen)) {
    case ExtendedChars::DoubleWidth:
        ui->textEdit->textCursor().insertText(QString(DoubleWidthChar));
        break;
    case ExtendedChars::PictureInMemory: {
        const QString reference = ExtendedChars::askPictureReference(this);
        if (!reference.isEmpty())
            setText(reference);
        break;
    }
    case ExtendedChars::BarcodeInMemory: {
        const QString reference = ExtendedChars::askBarcodeReference(this);
        if (!reference.isEmpty())
            setText(reference);
        break;
    }
    case ExtendedChars::All:
        break;
    }
}
