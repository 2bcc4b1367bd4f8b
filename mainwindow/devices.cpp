// Adding, removing, renaming, selecting and enabling devices.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "appcore.h"
#include "exception.h"
#include "fptrdevicelist.h"
#include "nohelpbutton.h"
#include "zeruzuva.h"

#include <QVector>

void FptrMainWindow::loadLibraries()
{
    m_deviceList.reset(new FptrDeviceList());
}

void FptrMainWindow::initDevice(ZEruZuva *target)
{
    if (!target || !target->ted())
        throw DeviceNotFoundException();
    IFptr *driver = target->ted();
    target->raiseError(driver->ParentWindow(static_cast<QWidget *>(this)));
    QVector<wchar_t> name;
    QVector<wchar_t> value;
    QStringToWChar(QStringLiteral("SearchDir"), name);
    QStringToWChar(appDir(), value);
    target->raiseError(driver->WriteSetting(name.constData(), value.constData()));
    target->raiseError(driver->ApplySettings());
}

void FptrMainWindow::releaseUnused(int kind, ZEruZuva *target)
{
    // A driver object that was created but is not kept goes back to its
    // library instead of leaking; a wrapper without one is simply deleted.
    if (!target)
        return;
    try {
        m_deviceList->release(static_cast<FptrFactory::PrinterDevice>(kind), &target);
    } catch (const std::exception &) {
        delete target;
    }
}

void FptrMainWindow::appendCurrentDevice(int kind, ZEruZuva *driver)
{
    const int number = m_deviceList->addDevice(static_cast<FptrFactory::PrinterDevice>(kind), driver);
    m_deviceList->setCurrentDevice(number);
    ui->cmbDeviceList->addItem(defaultDeviceName(device()->ted()), number);
    // Selecting the new item runs the selection change (name, state).
    ui->cmbDeviceList->setCurrentIndex(ui->cmbDeviceList->count() - 1);
}

void FptrMainWindow::on_pbtnAddECR_clicked()
{
    addDevice(FptrFactory::FiscalPrinter);
}

void FptrMainWindow::on_pbtnAddPrinter_clicked()
{
    addDevice(FptrFactory::ReceiptPrinter);
}

void FptrMainWindow::addDevice(int kindValue)
{
    const auto kind = static_cast<FptrFactory::PrinterDevice>(kindValue);
    const bool ecr = kind == FptrFactory::FiscalPrinter;
    ZEruZuva *created = nullptr;
    try {
        if (!m_deviceList->isReady(kind)) {
            for (;;) {
                const QString file = NoHelpButtonFileDialog::getOpenFileName(
                    this,
                    ecr ? tr("Укажите расположение библиотеки дККТ")
                        : tr("Укажите расположение библиотеки дПЧ"),
                    QString(), tr("Динамические библиотеки (*.so);;Все файлы (*.*)"));
                if (file.isEmpty()) {
                    const auto answer = NoHelpButtonMessageBox::question(
                        this, tr("Библиотека не указана"),
                        ecr ? tr("Без библиотеки дККТ невозможно работать с ККТ.\nЗавершить поиск?")
                            : tr("Без библиотеки дПЧ невозможно работать с ПЧ.\nЗавершить поиск?"),
                        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
                    if (answer == QMessageBox::Ok)
                        return;
                    continue;
                }
                if (m_deviceList->load(kind, file))
                    break;
            }
        }

        created = m_deviceList->create(kind);
        if (!created)
            throw Exception(tr("Не удалось создать устройство"));
        initDevice(created);
        if (created->raiseError(created->ted()->ShowProperties()) != 1) {
            releaseUnused(kind, created);
            return;
        }
        ZEruZuva *kept = created;
        created = nullptr;
        appendCurrentDevice(kind, kept);
    } catch (const std::exception &e) {
        if (created)
            releaseUnused(kind, created);
        NoHelpButtonMessageBox::critical(this, tr("Ошибка"), QString::fromUtf8(e.what()));
    }
}

void FptrMainWindow::on_pbtnRemoveDevice_clicked()
{
    const int index = ui->cmbDeviceList->currentIndex();
    if (index < 0)
        return;
    try {
        m_deviceList->removeDevice(ui->cmbDeviceList->itemData(index).toInt());
    } catch (const std::exception &e) {
        setError(e.what());
        return;
    }
    ui->cmbDeviceList->removeItem(index);
}

void FptrMainWindow::on_pbtnRenameDevice_clicked()
{
    const int index = ui->cmbDeviceList->currentIndex();
    if (index < 0)
        return;
    try {
        const QString name = NoHelpButtonInputDialog::getText(
            this, tr("Переименование"), tr("Новое имя устройства:"), QLineEdit::Normal,
            defaultDeviceName(device()->ted()));
        if (!name.isEmpty())
            ui->cmbDeviceList->setItemText(index, name);
    } catch (const std::exception &e) {
        setError(e.what());
        return;
    }
    on_cmbDeviceList_currentIndexChanged(ui->cmbDeviceList->currentIndex());
}

void FptrMainWindow::on_cmbDeviceList_currentIndexChanged(int index)
{
    const bool present = index >= 0;
    ui->pbtnRemoveDevice->setEnabled(present);
    ui->pbtnRenameDevice->setEnabled(present);
    ui->pbtnProperties->setEnabled(present);
    ui->cbEnable->setEnabled(present);
    // The scanner's page may not be set up yet; it reads this when it is.
    if (ui->isPageSetUp(ui->pageExternalDevices))
        ui->cbScannerEnabled->setEnabled(present);
    if (!present) {
        ui->lbCurrentDeviceName->setText(QString());
        return;
    }
    ui->lbCurrentDeviceName->setText(ui->cmbDeviceList->itemText(index));
    m_deviceList->setCurrentDevice(ui->cmbDeviceList->itemData(index).toInt());
    try {
        updateDeviceInfo();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}

void FptrMainWindow::on_cbEnable_toggled(bool on)
{
    try {
        setInt(&IFptr::DeviceEnabled, on ? 1 : 0);
        if (on) {
            execMethod(&IFptr::GetStatus);
            updateDeviceInfo();
        }
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        QString message = QString::fromUtf8(e.what());
        try {
            updateDeviceInfo();
        } catch (const std::exception &refresh) {
            message = QString::fromUtf8(refresh.what());
        }
        setError(message);
    }
}

void FptrMainWindow::on_pbtnProperties_clicked()
{
    try {
        execMethod(&IFptr::ShowProperties);
        updateDeviceInfo();
        resetError();
    } catch (const std::exception &e) {
        setError(e.what());
    }
}
