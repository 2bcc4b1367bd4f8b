// Programming tables (numeric and text settings), the device clock and the
// range of dates and sessions held in fiscal memory.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "nohelpbutton.h"

#include <QDateTime>

namespace {

// The device's answer to a clock change that it wants the operator to
// confirm before taking it.
const int DateConfirmationRequired = -3893;

} // namespace

void FptrMainWindow::on_pbtnGetValue_clicked()
{
    try {
        setInt(&IFptr::ValuePurpose, cmbData(ui->cmbValuePurpose));
        execMethod(&IFptr::GetValue);
        ui->spinValue->setValue(getDouble(&IFptr::Value));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // The old number would pass for the setting's value: show 0 instead.
        ui->spinValue->setValue(0);
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnSetValue_clicked()
{
    try {
        setInt(&IFptr::ValuePurpose, cmbData(ui->cmbValuePurpose));
        setDouble(&IFptr::Value, ui->spinValue->value());
        execMethod(&IFptr::SetValue);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetCaption_clicked()
{
    try {
        setInt(&IFptr::CaptionPurpose, cmbData(ui->cmbCaptionPurpose));
        execMethod(&IFptr::GetCaption);
        ui->leCaption->setText(driverText(getBuff(&IFptr::Caption)));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        ui->leCaption->setText(QString());
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnSetCaption_clicked()
{
    try {
        setInt(&IFptr::CaptionPurpose, cmbData(ui->cmbCaptionPurpose));
        setBuff(&IFptr::Caption, ecrText(ui->leCaption->text()));
        execMethod(&IFptr::SetCaption);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnSetDate_clicked()
{
    try {
        setDate(&IFptr::Date, ui->dateEdit->date());
        setTime(&IFptr::Time, ui->timeEdit->time());
        execMethod(&IFptr::SetDate);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        const QString firstFailure = QString::fromUtf8(e.what());
        try {
            if (getInt(&IFptr::ResultCode) == DateConfirmationRequired
                && NoHelpButtonMessageBox::question(
                       this, tr("Ввод даты"), tr("Требуется подтверждение ввода даты"),
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
                       == QMessageBox::Ok) {
                // Date and time are still set in the driver: only repeat the
                // command, which the device now takes as confirmed.
                execMethod(&IFptr::SetDate);
                resetError();
                return;
            }
        } catch (const std::exception &confirmation) {
            setError(confirmation.what());
            return;
        }
        setError(firstFailure);
    }
}

void FptrMainWindow::on_pbtnGetSystemDateTime_clicked()
{
    const QDateTime now = QDateTime::currentDateTime();
    ui->dateEdit->setDate(now.date());
    ui->timeEdit->setTime(now.time());
}

void FptrMainWindow::on_pbtnGetRange_clicked()
{
    try {
        execMethod(&IFptr::GetRange);
        ui->dateFrom->setDate(getDate(&IFptr::Date));
        ui->dateTo->setDate(getDate(&IFptr::DateEnd));
        ui->spinSessionFrom->setValue(getInt(&IFptr::Session));
        ui->spinSessionTo->setValue(getInt(&IFptr::SessionEnd));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
