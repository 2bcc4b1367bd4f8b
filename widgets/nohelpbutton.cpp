#include "nohelpbutton.h"

#include <QFileInfo>

NoHelpButtonDialog::NoHelpButtonDialog(QWidget *parent)
    : QDialog(parent)
{
    removeHelpButton(this);
}

void NoHelpButtonDialog::removeHelpButton(QWidget *widget)
{
    widget->setWindowFlags(widget->windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

QString NoHelpButtonInputDialog::getText(QWidget *parent, const QString &title,
                                         const QString &label, QLineEdit::EchoMode mode,
                                         const QString &text, bool *ok)
{
    QInputDialog dialog(parent);
    NoHelpButtonDialog::removeHelpButton(&dialog);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextEchoMode(mode);
    dialog.setTextValue(text);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    return accepted ? dialog.textValue() : QString();
}

namespace {

QMessageBox::StandardButton showMessageBox(QWidget *parent, QMessageBox::Icon icon,
                                           const QString &title, const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    NoHelpButtonDialog::removeHelpButton(&box);
    box.setDefaultButton(defaultButton);
    if (box.exec() == -1)
        return QMessageBox::Cancel;
    return box.standardButton(box.clickedButton());
}

QString runFileDialog(QWidget *parent, const QString &caption, const QString &dir,
                      const QString &filter, QString *selectedFilter,
                      QFileDialog::Options options, bool save)
{
    QFileDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setDirectory(dir);
    dialog.setNameFilter(filter);
    dialog.setOptions(options);
    NoHelpButtonDialog::removeHelpButton(&dialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QFileInfo proposed(dir);
        dialog.selectFile(proposed.completeBaseName() + QLatin1Char('.')
                          + proposed.completeSuffix());
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);

    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}

} // namespace

QMessageBox::StandardButton NoHelpButtonMessageBox::information(QWidget *parent,
                                                                const QString &title,
                                                                const QString &text,
                                                                StandardButtons buttons,
                                                                StandardButton defaultButton)
{
    return showMessageBox(parent, Information, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton NoHelpButtonMessageBox::warning(QWidget *parent, const QString &title,
                                                            const QString &text,
                                                            StandardButtons buttons,
                                                            StandardButton defaultButton)
{
    return showMessageBox(parent, Warning, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton NoHelpButtonMessageBox::question(QWidget *parent, const QString &title,
                                                             const QString &text,
                                                             StandardButtons buttons,
                                                             StandardButton defaultButton)
{
    return showMessageBox(parent, Question, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton NoHelpButtonMessageBox::critical(QWidget *parent, const QString &title,
                                                             const QString &text)
{
    return showMessageBox(parent, Critical, title, text, Ok, Ok);
}

QString NoHelpButtonFileDialog::getOpenFileName(QWidget *parent, const QString &caption,
                                                const QString &dir, const QString &filter,
                                                QString *selectedFilter, Options options)
{
    return runFileDialog(parent, caption, dir, filter, selectedFilter, options, false);
}

QString NoHelpButtonFileDialog::getSaveFileName(QWidget *parent, const QString &caption,
                                                const QString &dir, const QString &filter,
                                                QString *selectedFilter, Options options)
{
    return runFileDialog(parent, caption, dir, filter, selectedFilter, options, true);
}
