// Files on the register's SD card. The device keeps the open directory and
// the open file between the buttons; the window only passes positions, sizes
// and data and shows what comes back.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

#include <QStringList>

namespace {

typedef FptrMainWindow::IFptr IFptr;

// Puts a value the device returned into its box. A value the box cannot hold
// would be clamped to the nearest limit, and the next write would then go to
// a place the device never named; the box keeps what it had instead, and the
// value is noted for the error line.
void showReturned(QSpinBox *box, const QString &caption, int value, QStringList &refused)
{
    if (value >= box->minimum() && value <= box->maximum()) {
        box->setValue(value);
        return;
    }
    refused << FptrMainWindow::tr("«%1» %2 (допустимо от %3 до %4)")
                   .arg(caption)
                   .arg(value)
                   .arg(box->minimum())
                   .arg(box->maximum());
}

// The error line after reading back: empty when every value fitted.
QString refusedValues(const QStringList &refused)
{
    if (refused.isEmpty())
        return QString();
    return FptrMainWindow::tr("Устройство вернуло значение, которое поле не вмещает; в поле оставлено прежнее: %1")
        .arg(refused.join(QLatin1String("; ")));
}

} // namespace

void FptrMainWindow::on_pbtnOpenDirectory_clicked()
{
    try {
        setBuff(&IFptr::DirectoryPath, ui->leSDDirectory->text());
        execMethod(&IFptr::OpenDirectory);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// One entry per press: the listing is pressing again until the device
// reports that no entry is left.
void FptrMainWindow::on_pbtnReadDirectory_clicked()
{
    try {
        execMethod(&IFptr::ReadDirectory);
        QStringList refused;
        showReturned(ui->spinSDFileSize, tr("Размер файла"), getInt(&IFptr::FileSize), refused);
        ui->leSDFileName->setText(getBuff(&IFptr::FileName));
        setError(refusedValues(refused));
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnCloseDirectory_clicked() { CommandFrame::runAction(this, &IFptr::CloseDirectory); }

void FptrMainWindow::on_pbtnOpenFile_clicked()
{
    try {
        setInt(&IFptr::FileOpenType, cmbData(ui->cmbSDFileOpenType));
        setInt(&IFptr::FileOpenMode, cmbData(ui->cmbSDFileOpenMode));
        setBuff(&IFptr::FileName, ui->leSDFileName->text());
        execMethod(&IFptr::OpenFile);
        QStringList refused;
        showReturned(ui->spinSDFileSize, tr("Размер файла"), getInt(&IFptr::FileSize), refused);
        setError(refusedValues(refused));
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnCloseFile_clicked() { CommandFrame::runAction(this, &IFptr::CloseFile); }

void FptrMainWindow::on_pbtnRemoveFile_clicked()
{
    try {
        setBuff(&IFptr::FileName, ui->leSDFileName->text());
        execMethod(&IFptr::RemoveFile);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// After writing and reading, the device's own position (and byte count)
// replace the typed ones, so the next press continues where it stopped.
void FptrMainWindow::on_pbtnWriteFile_clicked()
{
    try {
        setInt(&IFptr::FileOffset, ui->spinSDFileOffset->value());
        setBuff(&IFptr::Caption, ui->leSDFileData->text());
        execMethod(&IFptr::WriteFile);
        QStringList refused;
        showReturned(ui->spinSDFileOffset, tr("Смещение в файле"), getInt(&IFptr::FileOffset), refused);
        setError(refusedValues(refused));
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnReadFile_clicked()
{
    try {
        setInt(&IFptr::FileOffset, ui->spinSDFileOffset->value());
        setInt(&IFptr::FileReadSize, ui->spinSDFileReadSize->value());
        execMethod(&IFptr::ReadFile);
        QStringList refused;
        showReturned(ui->spinSDFileOffset, tr("Смещение в файле"), getInt(&IFptr::FileOffset), refused);
        showReturned(ui->spinSDFileReadSize, tr("Байт для чтения"), getInt(&IFptr::FileReadSize), refused);
        ui->leSDFileData->setText(getBuff(&IFptr::Caption));
        setError(refusedValues(refused));
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
