// Devices attached to the register: scanner, pin pad, modem, Wi-Fi.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "exception.h"
#include "scopedlocker.h"
#include "zeruzuva.h"

#include <QListWidgetItem>

#include <optional>

namespace {

typedef FptrMainWindow::IFptr IFptr;

// An action without inputs or results, run on the GUI thread; `locked`
// keeps the window locked while the driver works.
void runAction(FptrMainWindow *window, int (IFptr::*action)(), bool locked = false)
{
    std::optional<ScopedLocker> locker;
    if (locked)
        locker.emplace(window, false);
    try {
        window->execMethod(action);
        window->resetError();
    } catch (const std::exception &e) {
        window->setError(e.what());
    }
}

QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("?") : text;
}

} // namespace

void FptrMainWindow::hideWiFiDataControls()
{
    const QList<QWidget *> controls = {
        ui->lblWiFiData, ui->leWiFiData, ui->pbtnWriteWiFi, ui->lblReadWiFiSize,
        ui->spinReadWiFiSize, ui->leWiFiAnswer, ui->pbtnReadWiFi, ui->frameWiFiData};
    for (QWidget *control : controls)
        control->hide();
}

// ---- modem

void FptrMainWindow::on_pbtnPowerOnModem_clicked() { runAction(this, &IFptr::PowerOnModem); }
void FptrMainWindow::on_pbtnPowerOffModem_clicked() { runAction(this, &IFptr::PowerOffModem); }
void FptrMainWindow::on_pbtnCloseModem_clicked() { runAction(this, &IFptr::CloseModem, true); }

void FptrMainWindow::on_pbtnOpenModem_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setBuff(&IFptr::ModemIpAddress, ui->leModemIpAddress->text());
        setInt(&IFptr::ModemIpPort, ui->spinModemIpPort->value());
        setInt(&IFptr::ModemMode, cmbData(ui->cmbModemMode));
        setInt(&IFptr::ModemConnectionType, cmbData(ui->cmbModemConnectionType));
        execMethodAsync(&IFptr::OpenModem);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnWriteModem_clicked()
{
    try {
        setBuff(&IFptr::CommandBuffer, ui->leModemData->text());
        execMethod(&IFptr::WriteModem);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnReadModem_clicked()
{
    try {
        setInt(&IFptr::ReadSize, ui->spinReadModemSize->value());
        execMethod(&IFptr::ReadModem);
        ui->leModemAnswer->setText(getBuff(&IFptr::AnswerBuffer));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetModemStatus_clicked()
{
    try {
        execMethod(&IFptr::GetModemStatus);
        const int state = getInt(&IFptr::ModemState);
        const int signal = getInt(&IFptr::ModemSignal);
        const QString modemOperator = getBuff(&IFptr::ModemOperator);
        const QString modemError = getBuff(&IFptr::ModemError);

        QString text = tr("Модем %1\n").arg(modemState(state));
        // 0 is the driver's "not measured"; real levels are negative.
        text += tr("Мощность сигнала %1 dBm\n")
                    .arg(signal == 0 ? QStringLiteral("?") : QString::number(signal));
        text += tr("Оператор - %1\n").arg(orUnknown(modemOperator));
        text += tr("Последняя ошибка - \n%1\n").arg(orUnknown(modemError));
        ui->teModemStatus->setPlainText(text);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// ---- pin pad

void FptrMainWindow::on_pbtnPowerOnPinPad_clicked() { runAction(this, &IFptr::PowerOnPinPad); }
void FptrMainWindow::on_pbtnPowerOffPinPad_clicked() { runAction(this, &IFptr::PowerOffPinPad); }
void FptrMainWindow::on_pbtnClosePinPad_clicked() { runAction(this, &IFptr::ClosePinPad); }

void FptrMainWindow::on_pbtnOpenPinPad_clicked()
{
    try {
        setInt(&IFptr::PinPadMode, cmbData(ui->cmbPinPadMode));
        execMethod(&IFptr::OpenPinPad);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnWritePinPad_clicked()
{
    try {
        setBuff(&IFptr::CommandBuffer, ui->lePinPadData->text());
        execMethod(&IFptr::WritePinPad);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnReadPinPad_clicked()
{
    try {
        setInt(&IFptr::ReadSize, ui->spinReadPinPadSize->value());
        execMethod(&IFptr::ReadPinPad);
        ui->lePinPadAnswer->setText(getBuff(&IFptr::AnswerBuffer));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// ---- Wi-Fi

void FptrMainWindow::on_pbtnPowerOnWiFi_clicked() { runAction(this, &IFptr::PowerOnWiFi); }
void FptrMainWindow::on_pbtnPowerOffWiFi_clicked() { runAction(this, &IFptr::PowerOffWiFi); }
void FptrMainWindow::on_pbtnCloseWiFi_clicked() { runAction(this, &IFptr::CloseWiFi, true); }

void FptrMainWindow::on_pbtnOpenWiFi_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setBuff(&IFptr::WiFiIpAddress, ui->leWiFiIpAddress->text());
        setInt(&IFptr::WiFiIpPort, ui->spinWiFiIpPort->value());
        setInt(&IFptr::WiFiMode, cmbData(ui->cmbWiFiMode));
        setInt(&IFptr::WiFiConnectionType, cmbData(ui->cmbWiFiConnectionType));
        execMethodAsync(&IFptr::OpenWiFi);
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnGetWiFiStatus_clicked()
{
    try {
        execMethod(&IFptr::GetWiFiStatus);
        const int state = getInt(&IFptr::WiFiState);
        ui->teWiFiStatus->setPlainText(tr("Wi-Fi %1\n").arg(wiFiState(state)));
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

// ---- scanner

void FptrMainWindow::on_cbScannerEnabled_toggled(bool on)
{
    try {
        ZEruZuva *target = device();
        if (!target || !target->ted())
            throw DeviceNotFoundException();
        // The handler goes first, so the driver never has the scanner on
        // without somewhere to send the scans.
        VOR::AbstractScannerEventHandler *handler = nullptr;
        if (on)
            handler = &m_scannerHandler;
        target->raiseError(target->ted()->ScannerCallback(handler));
        setInt(&IFptr::ScannerEnabled, on ? 1 : 0);
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // Unchecking runs this handler again and takes the handler back from
        // the driver; the original failure is what the user sees.
        const QString message = QString::fromUtf8(e.what());
        ui->cbScannerEnabled->setChecked(false);
        setError(message);
    }
}

void FptrMainWindow::onScannerDataEvent(const QString &text)
{
    // A scan can arrive before anybody has opened the scanner's page.
    realizePage(ui->pageExternalDevices);
    auto *item = new QListWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    ui->lwScannerData->addItem(item);
    ui->lwScannerData->scrollToBottom();
}

void FptrMainWindow::on_pbtnClearScanData_clicked()
{
    ui->lwScannerData->clear();
}
