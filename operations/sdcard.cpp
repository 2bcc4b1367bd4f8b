// Files on the register's SD card. The device keeps the open directory and
// the open file between the buttons; the window only passes positions, sizes
// and data and shows what comes back.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

namespace {

typedef FptrMainWindow::IFptr IFptr;

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
        ui->spinSDFileSize->setValue(getInt(&IFptr::FileSize));
        ui->leSDFileName->setText(getBuff(&IFptr::FileName));
        resetError();
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
        ui->spinSDFileSize->setValue(getInt(&IFptr::FileSize));
        resetError();
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
        ui->spinSDFileOffset->setValue(getInt(&IFptr::FileOffset));
        resetError();
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
        ui->spinSDFileOffset->setValue(getInt(&IFptr::FileOffset));
        ui->spinSDFileReadSize->setValue(getInt(&IFptr::FileReadSize));
        ui->leSDFileData->setText(getBuff(&IFptr::Caption));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
