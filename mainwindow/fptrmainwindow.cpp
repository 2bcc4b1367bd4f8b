#include "fptrmainwindow.h"
#include "ui_fptrmainwindow.h"

#include "appcore.h"
#include "exception.h"
#include "extendedchars.h"
#include "fptrdevicelist.h"
#include "mappings.h"
#include "nohelpbutton.h"
#include "tables.h"
#include "zeruzuva.h"

#include <QCloseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QHash>
#include <QMetaMethod>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace {
const char *const Version = "9.12.4.6377";

// Connects every slot named on_<object>_<signal> of `receiver` to that
// signal of its descendant with that object name, as
// QMetaObject::connectSlotsByName does, but looking the names up in a hash:
// the stock one compares every slot with every object, which costs the
// window a noticeable part of its start-up.
void connectSlotsByObjectName(QObject *receiver)
{
    QHash<QByteArray, QObject *> byName;
    const QList<QObject *> children = receiver->findChildren<QObject *>();
    for (QObject *child : children) {
        const QByteArray name = child->objectName().toLatin1();
        if (!name.isEmpty() && !byName.contains(name))
            byName.insert(name, child);
    }
    const QMetaObject *meta = receiver->metaObject();
    for (int slotIndex = 0; slotIndex < meta->methodCount(); ++slotIndex) {
        const QMetaMethod slot = meta->method(slotIndex);
        if (slot.methodType() != QMetaMethod::Slot)
            continue;
        const QByteArray signature = slot.methodSignature();
        if (!signature.startsWith("on_"))
            continue;
        // The object name may itself contain '_': try every split, longest
        // object name first.
        const int open = signature.indexOf('(');
        bool connected = false;
        for (int split = signature.lastIndexOf('_', open); split > 3 && !connected;
             split = signature.lastIndexOf('_', split - 1)) {
            QObject *sender = byName.value(signature.mid(3, split - 3));
            if (!sender)
                continue;
            const QByteArray signalSignature = signature.mid(split + 1);
            const QByteArray signalName = signalSignature.left(signalSignature.indexOf('('));
            const QMetaObject *senderMeta = sender->metaObject();
            int signalIndex = senderMeta->indexOfSignal(signalSignature.constData());
            if (signalIndex < 0) {
                for (int m = 0; m < senderMeta->methodCount(); ++m) {
                    const QMetaMethod candidate = senderMeta->method(m);
                    if (candidate.methodType() == QMetaMethod::Signal && candidate.name() == signalName
                        && QMetaObject::checkConnectArgs(candidate, slot)) {
                        signalIndex = m;
                        break;
                    }
                }
            }
            if (signalIndex >= 0)
                connected = QMetaObject::connect(sender, signalIndex, receiver, slotIndex);
        }
        if (!connected)
            qWarning("connectSlotsByObjectName: no matching signal for %s", signature.constData());
    }
}
}

FptrMainWindow::FptrMainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_FptrMainWindow)
{
    ui->setupUi(this);
    // The form is built without the stock connection by name (see the
    // build); this does the same, in a fraction of the time.
    connectSlotsByObjectName(this);
    setWindowTitle(windowTitle() + tr(" (%1)").arg(QLatin1String(Version)));

    // Connected after the form's by-name connections, so a section's own
    // slot switches the page first and the exclusive check follows.
    const QList<QPushButton *> sectionButtons =
        ui->scrollAreaWidgetContents->findChildren<QPushButton *>();
    for (QPushButton *button : sectionButtons)
        connect(button, &QPushButton::clicked, this, &FptrMainWindow::updateSectionButtons);

    m_errorLabel = new QLabel();
    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    statusBar()->addWidget(m_errorLabel, 0);

    loadStyleSheet();
    fillComboBoxes();

    ui->stackedWidgetMain->setCurrentIndex(SectionOperations);
    ui->pbtnSectionOperations->setChecked(true);
    ui->twOperations->setCurrentIndex(0);
    ui->twPrint->setCurrentIndex(0);
    ui->twProgramming->setCurrentIndex(0);
    ui->twFiscalEKLZ->setCurrentIndex(0);
    ui->twExternalDevices->setCurrentIndex(0);
    ui->stackedWidgetBarcodes->setCurrentIndex(0);

    const int allMarks = ExtendedChars::All;
    ui->leCommodityName->setExtendedChars(ExtendedChars::DoubleWidth);
    ui->leText->setExtendedChars(ExtendedChars::DoubleWidth);
    ui->leFieldText->setExtendedChars(ExtendedChars::DoubleWidth);
    ui->leSessionCaption->setExtendedChars(ExtendedChars::DoubleWidth);
    ui->leSessionCaption->hideToolButton();
    ui->leCaption->hideToolButton();
    ui->leCaption->setExtendedChars(allMarks);
    ui->leFieldValue->hideToolButton();
    ui->leFieldValue->setExtendedChars(allMarks);

    setDefaultContent();

    ui->centralwidget->setFocusPolicy(Qt::TabFocus);
    const QList<QWidget *> noFocus = {
        ui->scrollArea, ui->scrollAreaWidgetContents, ui->spinRemainder, ui->spinChange,
        ui->teEKLZStatus, ui->lePictureMemState, ui->leFreeMemory, ui->spinPictureMemHeight,
        ui->spinPictureMemWidth, ui->leAnswerBuffer, ui->teQueryResult, ui->teDataReportResult};
    for (QWidget *widget : noFocus)
        widget->setFocusPolicy(Qt::NoFocus);

    loadLibraries();
    loadSettings(configDir() + QLatin1String("fptr.cfg"));

    if (m_deviceList->count() == 0) {
        ZEruZuva *created = nullptr;
        try {
            created = m_deviceList->create(FptrFactory::FiscalPrinter);
            if (!created) {
                throw Exception(tr("Не удалось создать устройство по умолчанию [%1]")
                                    .arg(m_deviceList->lastError(FptrFactory::FiscalPrinter)));
            }
            initDevice(created);
            ZEruZuva *kept = created;
            created = nullptr;
            appendCurrentDevice(FptrFactory::FiscalPrinter, kept);
        } catch (const std::exception &e) {
            if (created)
                releaseUnused(FptrFactory::FiscalPrinter, created);
            NoHelpButtonMessageBox::critical(this, tr("Ошибка"), QString::fromUtf8(e.what()));
        }
    }

    connect(&m_scannerHandler, &ScannerEventHandler::scannerDataEvent,
            this, &FptrMainWindow::onScannerDataEvent);

    // Fit the content, but never below the form's own size: shrinking to the
    // size hint would make the longer pages scroll for no reason.
    const QSize formSize = size();
    adjustSize();
    resize(size().expandedTo(formSize));
    hideWiFiDataControls();
}

FptrMainWindow::~FptrMainWindow()
{
    saveSettings(configDir() + QLatin1String("fptr.cfg"));
    delete ui;
    ui = nullptr;
    // Drivers go back to their libraries before the scanner handler they may
    // still hold is destroyed: a driver thread must never call into a dead
    // handler.
    m_deviceList.reset();
}

void FptrMainWindow::closeEvent(QCloseEvent *event)
{
    if (m_pendingCall.isRunning()) {
        QFutureWatcher<int> watcher;
        QEventLoop loop;
        connect(&watcher, &QFutureWatcher<int>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(m_pendingCall);
        if (m_pendingCall.isRunning())
            loop.exec();
    }
    event->accept();
}

void FptrMainWindow::setSection(SectionIndex index)
{
    ui->stackedWidgetMain->setCurrentIndex(index);
}

void FptrMainWindow::on_pbtnSectionDevices_clicked() { setSection(SectionDevices); }
void FptrMainWindow::on_pbtnSectionOperations_clicked() { setSection(SectionOperations); }
void FptrMainWindow::on_pbtnSectionPrint_clicked() { setSection(SectionPrint); }
void FptrMainWindow::on_pbtnSectionFP_clicked() { setSection(SectionFP); }
void FptrMainWindow::on_pbtnSectionFN_clicked() { setSection(SectionFN); }
void FptrMainWindow::on_pbtnSectionProgramming_clicked() { setSection(SectionProgramming); }
void FptrMainWindow::on_pbtnSectionRegisters_clicked() { setSection(SectionRegisters); }
void FptrMainWindow::on_pbtnSectionQueries_clicked() { setSection(SectionQueries); }
void FptrMainWindow::on_pbtnSectionDataReports_clicked() { setSection(SectionDataReports); }
void FptrMainWindow::on_pbtnSectionLowLevel_clicked() { setSection(SectionLowLevel); }
void FptrMainWindow::on_pbtnSectionService_clicked() { setSection(SectionService); }
void FptrMainWindow::on_pbtnSectionControl_clicked() { setSection(SectionControl); }
void FptrMainWindow::on_pbtnSectionSD_clicked() { setSection(SectionSD); }
void FptrMainWindow::on_pbtnSectionExternalDevices_clicked() { setSection(SectionExternalDevices); }

void FptrMainWindow::updateSectionButtons()
{
    auto *clicked = qobject_cast<QPushButton *>(sender());
    if (!clicked)
        return;
    const QList<QPushButton *> buttons = ui->scrollAreaWidgetContents->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->isChecked() && button->objectName() != clicked->objectName())
            button->setChecked(false);
    }
    clicked->setChecked(true);
}

void FptrMainWindow::loadStyleSheet()
{
    QFile file(QStringLiteral(":/qss/fptr_t.qss"));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    // Every rule names the section column, the status bar or a tab bar's
    // scroll buttons, so the sheet goes to exactly those widgets: on the
    // whole window it would put every one of its widgets under the (slow)
    // style-sheet style and cost a large part of the start-up.
    const QString sheet = QString::fromLatin1(bytes);
    ui->scrollArea->setStyleSheet(sheet);
    statusBar()->setStyleSheet(sheet);
    for (QTabWidget *tabs : {ui->twOperations, ui->twPrint, ui->twFiscalEKLZ, ui->twProgramming,
                             ui->twExternalDevices})
        tabs->tabBar()->setStyleSheet(sheet);
}

void FptrMainWindow::fillComboBoxes()
{
    QHash<QString, QComboBox *> boxes;
    for (QComboBox *box : findChildren<QComboBox *>())
        boxes.insert(box->objectName(), box);
    for (const ComboTable &entry : comboTables()) {
        auto *box = boxes.value(QLatin1String(entry.comboName));
        Q_ASSERT_X(box, "fillComboBoxes", entry.comboName);
        strToComboBox(box, *entry.table, true);
    }
}

void FptrMainWindow::setDefaultContent()
{
    ui->lePassword->setText(QString::number(58));
    ui->leCommodityName->setText(tr("Чипсы с беконом LAYS"));
    ui->spinQuantity->setValue(2.345);
    ui->spinPrice->setValue(5.5);
    ui->spinDiscountValue->setValue(3);
    ui->spinCashSumm->setValue(100);
    ui->leText->setText(tr("Строка для печати"));
    ui->leFieldText->setText(tr("Строка для печати"));
    QComboSelect(ui->cmbPrintPurpose, 2);
    ui->leBarcode->setText(QStringLiteral("1234567"));
    ui->spinBarcodeSimpleHeight->setValue(32);
    ui->spinBarcodeQRVersion->setValue(0);
    ui->spinBarcodeScale->setValue(100);
    ui->cbBarcodeCheckCRC->setChecked(false);
    ui->cbBarcodePrintText->setChecked(true);
    QComboSelect(ui->cmbBarcodeQREncoding, 1);
    QComboSelect(ui->cmbBarcodeQREncodingMode, 1);
    ui->spinPrintPictureNumber->setValue(1);
    ui->spinPictureScale->setValue(100);
    ui->spinPictureMemNumber->setValue(1);
    on_pbtnGetSystemDateTime_clicked();
    ui->spinPointPosition->setValue(2);
    ui->spinDiscountTypeNumber->setValue(1);
    ui->spinTaxTypeNumber->setValue(1);
    ui->spinBarcodePDFColumns->setValue(3);
    ui->spinBarcodePDFRows->setValue(1);
    ui->spinBarcodePDFPixelProportions->setValue(300);
    ui->spinBarcodePDFProportions->setValue(50);
    ui->cbBarcodePDFUseProprotions->setChecked(true);
    ui->spinBarcodeNumber->setValue(1);
    ui->spinDrawerOnTimeout->setValue(100);
    ui->spinDrawerOffTimeout->setValue(100);
    ui->spinDrawerOnQuantity->setValue(10);
    ui->spinDuration->setValue(100);
    ui->spinFrequency->setValue(1000);
    ui->spinPortNumber->setValue(1);
    ui->leModemIpAddress->setText(QStringLiteral("127.0.0.1"));
    ui->leWiFiIpAddress->setText(QStringLiteral("127.0.0.1"));
    ui->spinModemIpPort->setValue(5555);
    ui->spinWiFiIpPort->setValue(5555);
    ui->spinReadModemSize->setValue(1);
    ui->spinReadPinPadSize->setValue(1);
    ui->rbBarcodeAuto->setChecked(true);
    ui->dateTo->setDate(QDate::currentDate());
    ui->spinSessionFrom->setValue(1);
    ui->spinSessionTo->setValue(1);
    ui->spinReportSessionFrom->setValue(1);
    ui->spinReportSessionTo->setValue(2);
    ui->spinTimeoutACK->setValue(500);
    ui->spinTimeoutENQ->setValue(5000);
    ui->leTaxPassword->setText(QStringLiteral("0"));
    ui->cbPrintCheck->setChecked(true);
    ui->spinPositionType->setValue(1);
    ui->spinPositionPaymentType->setValue(1);
    QComboSelect(ui->cmbTaxNumber, 1);
}

ZEruZuva *FptrMainWindow::device()
{
    if (!m_deviceList)
        throw DeviceNotFoundException();
    return m_deviceList->device(-1);
}

int FptrMainWindow::cmbData(QComboBox *box) const
{
    if (!box || box->currentIndex() < 0)
        return -1;
    return box->itemData(box->currentIndex(), Qt::UserRole).toInt();
}
