#include "extendedlineedit.h"
#include "ui_extendedlineedit.h"

#include "extendedchars.h"
#include "tables.h"
#include "texteditdialog.h"

#include <QMenu>
#include <QScopedPointer>

#include <algorithm>

ExtendedLineEdit::ExtendedLineEdit(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::Form)
{
    ui->setupUi(this);
    setFocusProxy(ui->lineEdit);
    connect(ui->lineEdit, &QWidget::customContextMenuRequested, this,
            &ExtendedLineEdit::showContextMenu);
}

ExtendedLineEdit::~ExtendedLineEdit()
{
    qDeleteAll(m_specialActions);
    delete ui;
}

QString ExtendedLineEdit::text() const
{
    return ui->lineEdit->text();
}

void ExtendedLineEdit::setText(const QString &text)
{
    ui->lineEdit->setText(text);
}

void ExtendedLineEdit::setExtendedChars(int flags)
{
    m_flags = flags;
    for (const ExtendedChars::Flag flag : ExtendedChars::Flags) {
        if (!(flags & flag))
            continue;
        const bool exists = std::any_of(m_specialActions.cbegin(), m_specialActions.cend(),
                                        [flag](const QAction *action) {
                                            return ExtendedChars::actionFlag(action) == flag;
                                        });
        if (!exists)
            m_specialActions.append(ExtendedChars::createAction(flag, this));
    }
}

void ExtendedLineEdit::hideToolButton()
{
    ui->toolButton->hide();
}

void ExtendedLineEdit::showContextMenu(const QPoint &pos)
{
    // The standard entries are made afresh each time: their enabled state
    // (undo, cut, copy, paste) reflects the line edit at this moment.
    QScopedPointer<QMenu> menu(ui->lineEdit->createStandardContextMenu());
    if (!m_specialActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_specialActions);
    }
    QAction *chosen = menu->exec(ui->lineEdit->mapToGlobal(pos));
    menu.reset();
    if (!chosen || !m_specialActions.contains(chosen))
        return;

    switch (ExtendedChars::actionFlag(chosen)) {
    case ExtendedChars::DoubleWidth: {
        const int cursor = ui->lineEdit->cursorPosition();
        QString text = ui->lineEdit->text();
        text.insert(cursor, DoubleWidthChar);
        ui->lineEdit->setText(text);
        // Go on typing right after the mark.
        ui->lineEdit->setCursorPosition(cursor + 1);
        break;
    }
    case ExtendedChars::PictureInMemory: {
        const QString reference = ExtendedChars::askPictureReference(this);
        if (!reference.isEmpty())
            ui->lineEdit->setText(reference);
        break;
    }
    case ExtendedChars::BarcodeInMemory: {
        const QString reference = ExtendedChars::askBarcodeReference(this);
        if (!reference.isEmpty())
            ui->lineEdit->setText(reference);
        break;
    }
    case ExtendedChars::All:
        break;
    }
}

void ExtendedLineEdit::on_toolButton_clicked()
{
    ui->lineEdit->setText(TextEditDialog::show(this, tr("Текст"), text(), m_flags));
}
