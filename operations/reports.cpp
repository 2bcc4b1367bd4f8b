// Reports: the printed registration, fiscal-memory and fiscal-storage
// reports, and the data reports the device returns record by record.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "scopedlocker.h"

namespace {

// The result code after GetRecord that means the report has no more records.
const int NoMoreRecords = -17;

// "Прочесть все" stops here even when the device never reports the end of
// the records: a broken driver must not keep the window locked for ever.
const int MaxRecords = 100000;

} // namespace

void FptrMainWindow::on_pbtnRegistrationReport_clicked()
{
    ScopedLocker locker(this, true);
    try {
        setInt(&IFptr::DocNumber, ui->spinDocumentNumberFrom->value());
        setInt(&IFptr::DocNumberEnd, ui->spinDocumentNumberTo->value());
        setInt(&IFptr::ClearFlag, ui->cbClearFlag->isChecked() ? 1 : 0);
        setInt(&IFptr::ReportType, cmbData(ui->cmbRegistrationReportType));
        setInt(&IFptr::Session, ui->spinReportSessionFrom->value());
        setInt(&IFptr::SessionEnd, ui->spinReportSessionTo->value());
        execMethodAsync(&IFptr::Report);
        // A report may close the session: fetch the new state before showing it.
        execMethod(&IFptr::GetStatus);
        updateDeviceInfo();
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnFPReport_clicked()
{
    ScopedLocker locker(this, true);
    try {
        setDate(&IFptr::Date, ui->dateFrom->date());
        setDate(&IFptr::DateEnd, ui->dateTo->date());
        setInt(&IFptr::Session, ui->spinSessionFrom->value());
        setInt(&IFptr::SessionEnd, ui->spinSessionTo->value());
        setInt(&IFptr::ReportType, cmbData(ui->cmbFiscalReportType));
        setInt(&IFptr::KPKNumber, ui->spinReportKPKNumber->value());
        execMethodAsync(&IFptr::Report);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnPrintFNReport_clicked()
{
    try {
        setInt(&IFptr::KPKNumber, ui->spinFNDocNumber->value());
        setInt(&IFptr::ReportType, cmbData(ui->cmbFNReportType));
        execMethod(&IFptr::Report);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnBeginReport_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::ReportType, cmbData(ui->cmbDataReportType));
        setInt(&IFptr::UnitType, cmbData(ui->cmbECRUnitType));
        execMethodAsync(&IFptr::BeginReport);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        ui->teDataReportResult->clear();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetRecord_clicked()
{
    ScopedLocker locker(this, false);
    try {
        execMethodAsync(&IFptr::GetRecord);
        ui->teDataReportResult->setPlainText(getBuff(&IFptr::Caption));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // Past the last record the previous one stays in view: the operator
        // still sees where the report ended.
        bool atEnd = false;
        try {
            atEnd = getInt(&IFptr::ResultCode) == NoMoreRecords;
        } catch (const std::exception &) {
        }
        if (!atEnd)
            ui->teDataReportResult->clear();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetAllRecords_clicked()
{
    ScopedLocker locker(this, false, ScopedLocker::Stoppable);
    QString text;
    int count = 0;
    // Whatever ends the loop, the records read so far are shown: they are
    // what the operator came for, and they tell where the report broke off.
    const auto show = [this, &text]() { ui->teDataReportResult->setPlainText(text); };
    try {
        for (;;) {
            if (locker.stopRequested()) {
                show();
                setError(tr("Чтение остановлено пользователем; прочитано записей: %1").arg(count));
                return;
            }
            if (count >= MaxRecords) {
                show();
                setError(tr("Чтение остановлено после %1 записей: устройство не сообщило о конце отчета")
                             .arg(MaxRecords));
                return;
            }
            bool failed = false;
            try {
                if (execMethodAsync(&IFptr::GetRecord) < 0) {
                    // A failure the driver gives no code for.
                    failed = true;
                } else {
                    text += getBuff(&IFptr::Caption) + QLatin1Char('\n');
                    ++count;
                }
            } catch (const DeviceNotFoundException &) {
                throw;
            } catch (const Exception &) {
                // The end of the records arrives as a failing GetRecord; the
                // result code below tells the end from a real failure.
                failed = true;
            }
            const int code = getInt(&IFptr::ResultCode);
            if (code == 0) {
                // A failed call with no error code would otherwise be taken
                // for a record and read again, for ever.
                if (failed)
                    throw Exception(tr("Запись не прочитана: драйвер сообщил об ошибке с кодом 0"));
                continue;
            }
            if (code == NoMoreRecords) {
                show();
                resetError();
                return;
            }
            // Any other code ends the loop with the driver's text for it; a
            // positive code would pass raiseError unraised, so it goes in as
            // a plain failure and the driver's code is reported all the same.
            raiseError(code < 0 ? code : -1);
            throw Exception(tr("[%1] %2").arg(QString::number(code), getBuff(&IFptr::ResultDescription)));
        }
    } catch (const DeviceNotFoundException &e) {
        if (count > 0)
            show();
        setError(e.what());
    } catch (const std::exception &e) {
        show();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnEndReport_clicked()
{
    ScopedLocker locker(this, false);
    try {
        execMethodAsync(&IFptr::EndReport);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        ui->teDataReportResult->clear();
        setError(e.what());
    }
}
