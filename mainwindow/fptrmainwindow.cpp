#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "appcore.h"
#include "errorline.h"
#include "exception.h"
#include "extendedlineedit.h"
#include "extendedchars.h"
#include "fptrdevicelist.h"
#include "journalpanel.h"
#include "mappings.h"
#include "nohelpbutton.h"
#include "pagelayout.h"
#include "tables.h"
#include "zeruzuva.h"

#include <QCloseEvent>
#include <algorithm>
#include <QTabBar>
#include <QStackedWidget>
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

// Widgets that never take the keyboard focus (read-only results and the
// section column), wherever their page is.
const char *const noFocusWidgets[] = {
    "scrollArea", "scrollAreaWidgetContents", "spinRemainder", "spinChange", "teEKLZStatus",
    "lePictureMemState", "leFreeMemory", "spinPictureMemHeight", "spinPictureMemWidth",
    "leAnswerBuffer", "teQueryResult", "teDataReportResult"};

// Where a slot name on_<object>_<signal> may split into an object name and a
// signal: the object name may itself contain '_', longest first.
QList<int> slotNameSplits(const QByteArray &signature)
{
    QList<int> splits;
    const int open = signature.indexOf('(');
    for (int split = signature.lastIndexOf('_', open); split > 3;
         split = signature.lastIndexOf('_', split - 1))
        splits.append(split);
    return splits;
}

int matchingSignal(const QObject *sender, const QByteArray &signalSignature, const QMetaMethod &slot)
{
    const QMetaObject *senderMeta = sender->metaObject();
    int signalIndex = senderMeta->indexOfSignal(signalSignature.constData());
    if (signalIndex >= 0)
        return signalIndex;
    const QByteArray signalName = signalSignature.left(signalSignature.indexOf('('));
    for (int m = 0; m < senderMeta->methodCount(); ++m) {
        const QMetaMethod candidate = senderMeta->method(m);
        if (candidate.methodType() == QMetaMethod::Signal && candidate.name() == signalName
            && QMetaObject::checkConnectArgs(candidate, slot))
            return m;
    }
    return -1;
}
}

FptrMainWindow::FptrMainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new FptrMainWindowForm())
{
    m_preparing = true;
    ui->setupFrame(this);
    setWindowTitle(windowTitle() + tr(" (%1)").arg(QLatin1String(Version)));

    m_errorLabel = new ErrorLine();
    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    // Stretched over the free part of the status bar: the line shows as much
    // of a message as fits there, and never widens the window.
    statusBar()->addWidget(m_errorLabel, 1);

    loadStyleSheet();

    ui->stackedWidgetMain->setCurrentIndex(SectionOperations);
    ui->pbtnSectionOperations->setChecked(true);
    preparePage(this);

    // Connected after the form's by-name connections, so a section's own
    // slot switches the page first and the exclusive check follows.
    const QList<QPushButton *> sectionButtons =
        ui->scrollAreaWidgetContents->findChildren<QPushButton *>();
    for (QPushButton *button : sectionButtons)
        connect(button, &QPushButton::clicked, this, &FptrMainWindow::updateSectionButtons);
    // Operations tabs are set up as they are opened, and so are section
    // pages shown some other way than by their button (tools, tests).
    connect(ui->stackedWidgetMain, &QStackedWidget::currentChanged, this,
            &FptrMainWindow::onPageChanged);
    connect(ui->twOperations, &QTabWidget::currentChanged, this, &FptrMainWindow::onPageChanged);

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

    JournalPanel::install(this);

    // Fit the content, but never below the form's own size: shrinking to the
    // size hint would make the longer pages scroll for no reason.
    const QSize formSize = size();
    adjustSize();
    resize(size().expandedTo(formSize));
    m_preparing = false;
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
    m_styleSheet = QString::fromLatin1(bytes);
    // Every rule names the section column, the status bar or a tab bar's
    // scroll buttons, so the sheet goes to exactly those widgets (the tab
    // bars as their pages are set up): on the whole window it would put
    // every one of its widgets under the (slow) style-sheet style and cost a
    // large part of the start-up.
    ui->scrollArea->setStyleSheet(m_styleSheet);
    statusBar()->setStyleSheet(m_styleSheet);
}

void FptrMainWindow::preparePage(QWidget *root)
{
    const bool wasPreparing = m_preparing;
    m_preparing = true;
    connectSlotsByObjectName(root);
    for (QTabWidget *tabs : root->findChildren<QTabWidget *>()) {
        tabs->tabBar()->setStyleSheet(m_styleSheet);
        tabs->setCurrentIndex(0);
    }
    fillComboBoxes(root);
    lineUpStackedFrames(root);
    if (auto *barcodes = root->findChild<QStackedWidget *>(QStringLiteral("stackedWidgetBarcodes")))
        barcodes->setCurrentIndex(0);

    const struct {
        const char *name;
        int marks;
        bool toolButton;
    } marked[] = {
        {"leCommodityName", ExtendedChars::DoubleWidth, true},
        {"leText", ExtendedChars::DoubleWidth, true},
        {"leFieldText", ExtendedChars::DoubleWidth, true},
        {"leSessionCaption", ExtendedChars::DoubleWidth, false},
        {"leCaption", ExtendedChars::All, false},
        {"leFieldValue", ExtendedChars::All, false},
    };
    for (const auto &entry : marked) {
        auto *edit = root->findChild<ExtendedLineEdit *>(QLatin1String(entry.name));
        if (!edit)
            continue;
        if (!entry.toolButton)
            edit->hideToolButton();
        edit->setExtendedChars(entry.marks);
    }

    setDefaultContent(root);

    if (root == this)
        ui->centralwidget->setFocusPolicy(Qt::TabFocus);
    for (const char *name : noFocusWidgets) {
        if (auto *widget = root->findChild<QWidget *>(QLatin1String(name)))
            widget->setFocusPolicy(Qt::NoFocus);
    }

    if (root == ui->pageExternalDevices) {
        hideWiFiDataControls();
        ui->cbScannerEnabled->setEnabled(ui->cmbDeviceList->currentIndex() >= 0);
    }
    m_preparing = wasPreparing;
}

void FptrMainWindow::realizePage(QWidget *page)
{
    if (ui->isPageSetUp(page))
        return;
    // Children created under a shown page would only appear one event later;
    // built hidden, they appear with the page.
    const bool shown = page->isVisible();
    if (shown)
        page->hide();
    ui->setupPage(page);
    placeInFocusChain(page);
    preparePage(page);
    if (shown)
        page->show();
}

// Widgets made by a page's own form join the end of the window's focus chain;
// moved to right after the page itself, Tab leaves the page for the frames
// on the right, as it does on the pages built with the window, whatever
// order the pages were built in.
void FptrMainWindow::placeInFocusChain(QWidget *page)
{
    const auto ownWidget = [page](const QWidget *w) {
        return page->isAncestorOf(w) && w->focusPolicy() != Qt::NoFocus
            && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
    };
    // Only the outermost ones: a widget moves with the widgets inside it.
    QList<QWidget *> moved;
    for (QWidget *w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (ownWidget(w) && std::none_of(moved.cbegin(), moved.cend(), [w](const QWidget *outer) {
                return outer->isAncestorOf(w);
            }))
            moved.append(w);
    }
    // The chain is only rearranged after widgets that take the focus.
    const Qt::FocusPolicy pagePolicy = page->focusPolicy();
    page->setFocusPolicy(Qt::TabFocus);
    QWidget *previous = page;
    for (QWidget *w : moved) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
    page->setFocusPolicy(pagePolicy);
}

void FptrMainWindow::realizeAllSections()
{
    if (m_allPagesSetUp)
        return;
    m_allPagesSetUp = true;
    for (QWidget *page : ui->ownFormPages())
        realizePage(page);
    // Every page is there now: a slot still unconnected names no widget.
    const QMetaObject *meta = metaObject();
    for (int slotIndex = meta->methodOffset(); slotIndex < meta->methodCount(); ++slotIndex) {
        const QMetaMethod slot = meta->method(slotIndex);
        if (slot.methodType() == QMetaMethod::Slot && slot.methodSignature().startsWith("on_")
            && !m_connectedSlots.contains(slotIndex))
            qWarning("connectSlotsByObjectName: no matching signal for %s",
                     slot.methodSignature().constData());
    }
}

void FptrMainWindow::beforeHandler()
{
    JournalPanel::beginPress(sender());
    // No form any more: the window is being destroyed.
    if (ui && !m_preparing)
        realizeAllSections();
}

void FptrMainWindow::afterHandler()
{
    JournalPanel::endPress();
}

void FptrMainWindow::onPageChanged(int index)
{
    if (!ui)
        return;
    if (auto *stack = qobject_cast<QStackedWidget *>(sender()))
        realizePage(stack->widget(index));
    else if (auto *tabs = qobject_cast<QTabWidget *>(sender()))
        realizePage(tabs->widget(index));
}

// Connects every slot named on_<object>_<signal> to that signal of the widget
// under `root` with that object name, as QMetaObject::connectSlotsByName does,
// but looking the names up in a hash: the stock one compares every slot with
// every object, which costs the window a noticeable part of its start-up.
// A page's handlers are preceded by beforeHandler(), which sets up the other
// pages the handler may reach.
void FptrMainWindow::connectSlotsByObjectName(QWidget *root)
{
    QHash<QByteArray, QObject *> byName;
    const QList<QObject *> children = root->findChildren<QObject *>();
    for (QObject *child : children) {
        const QByteArray name = child->objectName().toLatin1();
        if (!name.isEmpty() && !byName.contains(name))
            byName.insert(name, child);
    }
    const QMetaObject *meta = metaObject();
    const QMetaMethod hook = meta->method(meta->indexOfSlot("beforeHandler()"));
    const QMetaMethod afterHook = meta->method(meta->indexOfSlot("afterHandler()"));
    for (int slotIndex = meta->methodOffset(); slotIndex < meta->methodCount(); ++slotIndex) {
        const QMetaMethod slot = meta->method(slotIndex);
        if (slot.methodType() != QMetaMethod::Slot || m_connectedSlots.contains(slotIndex))
            continue;
        const QByteArray signature = slot.methodSignature();
        if (!signature.startsWith("on_"))
            continue;
        for (int split : slotNameSplits(signature)) {
            QObject *sender = byName.value(signature.mid(3, split - 3));
            if (!sender)
                continue;
            const int signalIndex = matchingSignal(sender, signature.mid(split + 1), slot);
            if (signalIndex < 0)
                continue;
            const bool hooked = !sender->objectName().startsWith(QLatin1String("pbtnSection"));
            if (hooked)
                connect(sender, sender->metaObject()->method(signalIndex), this, hook);
            const bool connected = QMetaObject::connect(sender, signalIndex, this, slotIndex);
            if (hooked)
                connect(sender, sender->metaObject()->method(signalIndex), this, afterHook);
            if (connected) {
                m_connectedSlots.append(slotIndex);
                break;
            }
        }
    }
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
    realizePage(ui->stackedWidgetMain->widget(index));
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

void FptrMainWindow::fillComboBoxes(QWidget *root)
{
    QHash<QString, QComboBox *> boxes;
    for (QComboBox *box : root->findChildren<QComboBox *>())
        boxes.insert(box->objectName(), box);
    for (const ComboTable &entry : comboTables()) {
        if (auto *box = boxes.value(QLatin1String(entry.comboName)))
            strToComboBox(box, *entry.table, true);
    }
}

void FptrMainWindow::setDefaultContent(QWidget *root)
{
    if (root == this) {
        ui->lePassword->setText(QString::number(58));
        ui->leCommodityName->setText(tr("Чипсы с беконом LAYS"));
        ui->spinQuantity->setValue(2.345);
        ui->spinPrice->setValue(5.5);
        ui->cbPrintCheck->setChecked(true);
        ui->spinPositionType->setValue(1);
        ui->spinPositionPaymentType->setValue(1);
        QComboSelect(ui->cmbTaxNumber, 1);
    } else if (root == ui->tabDiscounts) {
        ui->spinDiscountValue->setValue(3);
    } else if (root == ui->tabSumm) {
        ui->spinCashSumm->setValue(100);
    } else if (root == ui->tabReports) {
        ui->spinReportSessionFrom->setValue(1);
        ui->spinReportSessionTo->setValue(2);
    } else if (root == ui->pagePrint) {
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
        ui->spinBarcodePDFColumns->setValue(3);
        ui->spinBarcodePDFRows->setValue(1);
        ui->spinBarcodePDFPixelProportions->setValue(300);
        ui->spinBarcodePDFProportions->setValue(50);
        ui->cbBarcodePDFUseProprotions->setChecked(true);
        ui->spinBarcodeNumber->setValue(1);
        ui->rbBarcodeAuto->setChecked(true);
    } else if (root == ui->pageProgramming) {
        ui->spinPictureMemNumber->setValue(1);
    } else if (root == ui->pageService) {
        on_pbtnGetSystemDateTime_clicked();
        ui->spinPointPosition->setValue(2);
    } else if (root == ui->pageRegisters) {
        ui->spinDiscountTypeNumber->setValue(1);
        ui->spinTaxTypeNumber->setValue(1);
    } else if (root == ui->pagePeripherials) {
        ui->spinDrawerOnTimeout->setValue(100);
        ui->spinDrawerOffTimeout->setValue(100);
        ui->spinDrawerOnQuantity->setValue(10);
        ui->spinDuration->setValue(100);
        ui->spinFrequency->setValue(1000);
    } else if (root == ui->pageLowLevel) {
        ui->spinPortNumber->setValue(1);
        ui->spinTimeoutACK->setValue(500);
        ui->spinTimeoutENQ->setValue(5000);
    } else if (root == ui->pageExternalDevices) {
        ui->leModemIpAddress->setText(QStringLiteral("127.0.0.1"));
        ui->leWiFiIpAddress->setText(QStringLiteral("127.0.0.1"));
        ui->spinModemIpPort->setValue(5555);
        ui->spinWiFiIpPort->setValue(5555);
        ui->spinReadModemSize->setValue(1);
        ui->spinReadPinPadSize->setValue(1);
    } else if (root == ui->pageFiscalEKLZ) {
        ui->dateTo->setDate(QDate::currentDate());
        ui->spinSessionFrom->setValue(1);
        ui->spinSessionTo->setValue(1);
        ui->leTaxPassword->setText(QStringLiteral("0"));
    }
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
