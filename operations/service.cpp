// Low-level and service commands: raw protocol commands and port data,
// initialisation and resets, device information, buzzer, cash drawer,
// decimal point and the connector test.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "nohelpbutton.h"
#include "scopedlocker.h"

#include <optional>

namespace {

typedef FptrMainWindow::IFptr IFptr;

// Result codes from this one down are findings of a connector test, not
// failures of the command.
const int FirstConnectorFinding = -3800;

// An action without inputs or results, run on the GUI thread.
void runDirect(FptrMainWindow *window, int (IFptr::*action)())
{
    try {
        window->execMethod(action);
        window->resetError();
    } catch (const std::exception &e) {
        window->setError(e.what());
    }
}

// An action without inputs or results that may take long: it runs on the
// worker thread while the window is locked.
void runOnWorker(FptrMainWindow *window, int (IFptr::*action)())
{
    ScopedLocker locker(window, false);
    try {
        window->execMethodAsync(action);
        window->resetError();
    } catch (const std::exception &e) {
        window->setError(e.what());
    }
}

// Prints one of the device's own fixed reports.
void printReport(FptrMainWindow *window, int reportType)
{
    try {
        window->setInt(&IFptr::ReportType, reportType);
        window->execMethod(&IFptr::Report);
        window->resetError();
    } catch (const std::exception &e) {
        window->setError(e.what());
    }
}

} // namespace

void FptrMainWindow::on_pbtnRunCommand_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::NeedResultFlag, ui->cbLowLevelNeedResultFlag->isChecked() ? 1 : 0);
        setInt(&IFptr::TimeoutACK, ui->spinTimeoutACK->value());
        setInt(&IFptr::TimeoutENQ, ui->spinTimeoutENQ->value());
        setBuff(&IFptr::CommandBuffer, ui->leCommandBuffer->text());
        execMethodAsync(&IFptr::RunCommand);
        ui->leAnswerBuffer->setText(getBuff(&IFptr::AnswerBuffer));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // The device may have answered even though the command failed, and
        // that answer is what the engineer needs to see.
        const QString message = QString::fromUtf8(e.what());
        try {
            ui->leAnswerBuffer->setText(getBuff(&IFptr::AnswerBuffer));
        } catch (const std::exception &) {
        }
        setError(message);
    }
}

void FptrMainWindow::on_pbtnWriteData_clicked()
{
    try {
        setInt(&IFptr::PortNumber, ui->spinPortNumber->value());
        setBuff(&IFptr::CommandBuffer, ui->leCommandBuffer->text());
        execMethod(&IFptr::WriteData);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnInitTables_clicked() { runOnWorker(this, &IFptr::InitTables); }
void FptrMainWindow::on_pbtnResetSummary_clicked() { runOnWorker(this, &IFptr::ResetSummary); }
void FptrMainWindow::on_pbtnTechZero_clicked() { runOnWorker(this, &IFptr::TechZero); }

void FptrMainWindow::on_pbtnPrintInfo_clicked() { printReport(this, 43); }
void FptrMainWindow::on_pbtnTestDevice_clicked() { printReport(this, 44); }

void FptrMainWindow::on_pbtnGetUnitVersion_clicked()
{
    try {
        setInt(&IFptr::UnitType, ui->spinUnitType->value());
        execMethod(&IFptr::GetUnitVersion);
        const QString build = getBuff(&IFptr::Build);
        const QString subVersion = getBuff(&IFptr::SubVersion);
        const QString version = getBuff(&IFptr::Version);
        ui->teQueryResult->setPlainText(
            tr("Версия ПО модуля: %1.%2.%3\n").arg(version, subVersion, build));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnPowerOff_clicked() { runDirect(this, &IFptr::PowerOff); }
void FptrMainWindow::on_pbtnBeep_clicked() { runDirect(this, &IFptr::Beep); }
void FptrMainWindow::on_pbtnOpedDrawer_clicked() { runDirect(this, &IFptr::OpenDrawer); }

void FptrMainWindow::on_pbtnSound_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::Frequency, ui->spinFrequency->value());
        setInt(&IFptr::Duration, ui->spinDuration->value());
        execMethodAsync(&IFptr::Sound);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnAdvancedOpenDrawer_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::DrawerOnTimeout, ui->spinDrawerOnTimeout->value());
        setInt(&IFptr::DrawerOffTimeout, ui->spinDrawerOffTimeout->value());
        setInt(&IFptr::DrawerOnQuantity, ui->spinDrawerOnQuantity->value());
        execMethodAsync(&IFptr::AdvancedOpenDrawer);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnSetPointPosition_clicked()
{
    try {
        setInt(&IFptr::PointPosition, ui->spinPointPosition->value());
        execMethod(&IFptr::SetPointPosition);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnTestConnector_clicked()
{
    static const QString title = tr("Проверка разъемов");

    // The lock ends with the device's part of the test: the result dialogs
    // must take input, which a disabled window would deny them.
    std::optional<ScopedLocker> locker(std::in_place, this, false);
    try {
        setInt(&IFptr::PortNumber, cmbData(ui->cmbConnectorType));
        execMethodAsync(&IFptr::TestConnector);
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
        return;
    } catch (const std::exception &e) {
        const QString message = QString::fromUtf8(e.what());
        int code = 0;
        try {
            code = getInt(&IFptr::ResultCode);
        } catch (const std::exception &) {
        }
        if (code > FirstConnectorFinding) {
            setError(message);
            return;
        }
        // A finding of the test: reported in the dialog only; the error line
        // stays as the lock left it, empty.
        locker.reset();
        NoHelpButtonMessageBox::critical(this, title, message);
        return;
    }
    locker.reset();
    NoHelpButtonMessageBox::warning(this, title, tr("Ошибок нет"), QMessageBox::Ok, QMessageBox::Ok);
    resetError();
}
