#pragma once

#include "ifptr.h"
#include "callbacks.h"

#include <QDate>
#include <QFuture>
#include <QMainWindow>
#include <QScopedPointer>
#include <QTime>

class QComboBox;
class QLabel;
class ErrorLine;
class FptrDeviceList;
class ZEruZuva;
struct FptrMainWindowForm;

// The program's one window: section buttons on the left, the section pages in
// the middle, device, mode and state frames on the right, and the error line
// in the status bar. Every command handler is a private slot of this class;
// handlers of one subject live together in one source under operations/.
class FptrMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum SectionIndex {
        SectionDevices = 0,
        SectionOperations = 1,
        SectionPrint = 2,
        SectionFP = 3,
        SectionFN = 4,
        SectionProgramming = 5,
        SectionRegisters = 6,
        SectionQueries = 7,
        SectionDataReports = 8,
        SectionLowLevel = 9,
        SectionService = 10,
        SectionControl = 12,
        SectionSD = 13,
        SectionExternalDevices = 14
    };

    explicit FptrMainWindow(QWidget *parent = nullptr);
    ~FptrMainWindow() override;

    void setSection(SectionIndex index);
    // Section pages are set up when first shown, and all of them before the
    // first handler runs (handlers reach into other pages). Tests and tools
    // that look widgets up by name across pages set them all up first.
    void realizeAllSections();

    // The current device's driver object; throws DeviceNotFoundException
    // when there is none.
    ZEruZuva *device();
    // Key of the current item of a selection list; -1 when there is none.
    int cmbData(QComboBox *box) const;

    // The device list (also the driver factory). Tests reach devices here.
    FptrDeviceList *deviceList() const { return m_deviceList.data(); }

    typedef VOR::Fptr::IFptr IFptr;

    // ---- driver call helpers: every command reaches the driver through these.
    // A null device means the current device.
    void setInt(int (IFptr::*op)(int), int value, ZEruZuva *device = nullptr);
    void setDouble(int (IFptr::*op)(double), double value, ZEruZuva *device = nullptr);
    void setBuff(int (IFptr::*op)(const wchar_t *), const QString &text, ZEruZuva *device = nullptr);
    void setDate(int (IFptr::*op)(int, int, int), const QDate &date, ZEruZuva *device = nullptr);
    void setTime(int (IFptr::*op)(int, int, int), const QTime &time, ZEruZuva *device = nullptr);
    int getInt(int (IFptr::*op)(int *), ZEruZuva *device = nullptr);
    double getDouble(int (IFptr::*op)(double *), ZEruZuva *device = nullptr);
    QString getBuff(int (IFptr::*op)(wchar_t *, int), ZEruZuva *device = nullptr);
    QDate getDate(int (IFptr::*op)(int *, int *, int *), ZEruZuva *device = nullptr);
    QTime getTime(int (IFptr::*op)(int *, int *, int *), ZEruZuva *device = nullptr);
    int execMethod(int (IFptr::*op)(), ZEruZuva *device = nullptr);
    // Runs the action on a worker thread; the window keeps painting (and stays
    // locked by the caller's ScopedLocker) until it ends.
    int execMethodAsync(int (IFptr::*op)(), ZEruZuva *device = nullptr);
    static int doExecMethod(int (IFptr::*op)(), ZEruZuva device);
    int raiseError(int result, ZEruZuva *device = nullptr);

    void setError(const QString &text);
    void setError(const char *text);
    void resetError();
    QString errorText() const;

    // Form characters of the special print marks to the device's control
    // codes, and back.
    static QString ecrText(const QString &text);
    static QString driverText(const QString &text);

    // ---- device state texts
    static QString mode(int code);
    static QString chequeState(int value);
    static QString modemState(int value);
    static QString wiFiState(int value);
    static QString yesNo(int value);
    static QString powerSupply(int flags);

    void updateDeviceInfo();

    // ---- device management and settings
    void loadLibraries();
    void initDevice(ZEruZuva *device);
    void saveSettings(const QString &path);
    void loadSettings(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Everything a page needs once its widgets exist: slots, lists, style,
    // default content and focus. `root` is the window at construction (the
    // frame and the pages of the main form) or a page just set up.
    void loadStyleSheet();
    void preparePage(QWidget *root);
    void realizePage(QWidget *page);
    void placeInFocusChain(QWidget *page);
    void connectSlotsByObjectName(QWidget *root);
    void fillComboBoxes(QWidget *root);
    void setDefaultContent(QWidget *root);
    void addDevice(int kind);
    // Adds a prepared driver object to the list and the selector and makes
    // it the current device.
    void appendCurrentDevice(int kind, ZEruZuva *driver);
    void releaseUnused(int kind, ZEruZuva *device);
    void showDeviceError(const std::exception &e);
    ZEruZuva *resolve(ZEruZuva *device);

private slots:
    void updateSectionButtons();
    void onPageChanged(int index);
    // Connected ahead of every handler of a page's widget, and after it.
    void beforeHandler();
    void afterHandler();
    void onScannerDataEvent(const QString &text);

    // ---- sections
    void on_pbtnSectionDevices_clicked();
    void on_pbtnSectionOperations_clicked();
    void on_pbtnSectionPrint_clicked();
    void on_pbtnSectionFP_clicked();
    void on_pbtnSectionFN_clicked();
    void on_pbtnSectionProgramming_clicked();
    void on_pbtnSectionRegisters_clicked();
    void on_pbtnSectionQueries_clicked();
    void on_pbtnSectionDataReports_clicked();
    void on_pbtnSectionLowLevel_clicked();
    void on_pbtnSectionService_clicked();
    void on_pbtnSectionControl_clicked();
    void on_pbtnSectionSD_clicked();
    void on_pbtnSectionExternalDevices_clicked();

    // ---- device management (mainwindow/devices.cpp)
    void on_pbtnAddECR_clicked();
    void on_pbtnAddPrinter_clicked();
    void on_pbtnRemoveDevice_clicked();
    void on_pbtnRenameDevice_clicked();
    void on_cmbDeviceList_currentIndexChanged(int index);
    void on_cbEnable_toggled(bool on);
    void on_pbtnProperties_clicked();

    // ---- device state (mainwindow/devicestate.cpp)
    void on_pbtnSetMode_clicked();
    void on_pbtnResetMode_clicked();
    void on_pbtnGetStatus_clicked();
    void on_pbtnQueryGetStatus_clicked();

    // ==== command handlers, one block per source under operations/ ====

    // ---- operations/receipts.cpp
    void on_pbtnOpenSession_clicked();
    void on_pbtnOpenCheque_clicked();
    void on_pbtnCloseCheque_clicked();
    void on_pbtnCancelCheque_clicked();
    void on_pbtnSell_clicked();
    void on_pbtnSellReturn_clicked();
    void on_pbtnBuy_clicked();
    void on_pbtnBuyReturn_clicked();
    void on_pbtnStorno_clicked();
    void on_pbtnSellAnnulate_clicked();
    void on_pbtnBuyAnnulate_clicked();
    void on_pbtnPayment_clicked();
    void on_pbtnStornoPayment_clicked();
    void on_pbtnDiscount_clicked();
    void on_pbtnCharge_clicked();
    void on_pbtnTax_clicked();
    void on_pbtnStornoTax_clicked();
    void on_pbtnResetChargeDiscount_clicked();
    void on_pbtnCashIncome_clicked();
    void on_pbtnCashOutcome_clicked();
    void on_pbtnCashGetSumm_clicked();
    void on_spinQuantity_valueChanged(double quantity);
    void on_spinPrice_valueChanged(double price);

    // ---- operations/corrections.cpp
    void on_pbtnCorrection_clicked();
    void on_pbtnReturnCorrection_clicked();
    void on_pbtnBuyCorrection_clicked();
    void on_pbtnBuyReturnCorrection_clicked();
    void on_pbtnAddFiscalProperty_clicked();
    void on_pbtnResetFiscalProperties_clicked();
    void on_pbtnRecWriteFiscalProperty_clicked();
    void on_pbtnWriteFiscalProperty_clicked();
    void on_pbtnReadFiscalProperty_clicked();

    // ---- operations/printing.cpp
    void on_pbtnPrintText_clicked();
    void on_pbtnPrintHeader_clicked();
    void on_pbtnPrintFooter_clicked();
    void on_pbtnContinuePrint_clicked();
    void on_pbtnAddField_clicked();
    void on_pbtnPrintFormattedText_clicked();
    void on_pbtnNewDocument_clicked();
    void on_pbtnPrintLastCheckCopy_clicked();
    void on_pbtnDemoPrint_clicked();
    void on_pbtnPartialCut_clicked();
    void on_pbtnFullCut_clicked();
    void on_pbtnSetField_clicked();
    void on_pbtnGetField_clicked();

    // ---- operations/barcodes.cpp
    void on_pbtnPrintBarcode_clicked();
    void on_pbtnPrintBarcodeByNumber_clicked();
    void on_pbtnGetBarcode_clicked();
    void on_pbtnDeleteBarcode_clicked();
    void on_pbtnClearBarcodeArray_clicked();
    void on_pushGetBarcodeArrayStatus_clicked();
    void on_cmbBarcodeType_currentIndexChanged(int index);

    // ---- operations/pictures.cpp
    void on_pbtnPrintPictureFromFile_clicked();
    void on_pbtnPrintPictureFromDevice_clicked();
    void on_pbtnLoadPictureFromFile_clicked();
    void on_pbtnLoadPictureFromBuffer_clicked();
    void on_pbtnSavePictureToBuffer_clicked();
    void on_pbtnSavePictureToFile_clicked();
    void on_pbtnRemoveLastPicture_clicked();
    void on_pbtnClearPictureArray_clicked();
    void on_pbtnGetPictureStatus_clicked();
    void on_pbtnGetPictureArrayStatus_clicked();
    void on_toolbtnPictureFileNameDialog_clicked();
    void on_toolbtnPictureMemFileDialog_clicked();
    void on_lePictureMemFilename_textChanged(const QString &text);

    // ---- operations/registers.cpp
    void on_pbtnGetRegister_clicked();
    void on_pbtnQueryGetSumm_clicked();

    // ---- operations/reports.cpp
    void on_pbtnRegistrationReport_clicked();
    void on_pbtnFPReport_clicked();
    void on_pbtnPrintFNReport_clicked();
    void on_pbtnBeginReport_clicked();
    void on_pbtnGetRecord_clicked();
    void on_pbtnGetAllRecords_clicked();
    void on_pbtnEndReport_clicked();

    // ---- operations/tables.cpp
    void on_pbtnGetValue_clicked();
    void on_pbtnSetValue_clicked();
    void on_pbtnGetCaption_clicked();
    void on_pbtnSetCaption_clicked();
    void on_pbtnSetDate_clicked();
    void on_pbtnGetSystemDateTime_clicked();
    void on_pbtnGetRange_clicked();

    // ---- operations/fiscalstorage.cpp
    void on_pbtnSetSerialNumber_clicked();
    void on_pbtnFiscalization_clicked();
    void on_pbtnEKLZActivation_clicked();
    void on_pbtnFNActivation_clicked();
    void on_pbtnEKLZClose_clicked();
    void on_pbtnFNClose_clicked();
    void on_pbtnEKLZStatus_clicked();
    void on_pbtnEKLZGetKPK_clicked();
    void on_pbtnRunFNCommand_clicked();

    // ---- operations/service.cpp
    void on_pbtnRunCommand_clicked();
    void on_pbtnWriteData_clicked();
    void on_pbtnInitTables_clicked();
    void on_pbtnResetSummary_clicked();
    void on_pbtnTechZero_clicked();
    void on_pbtnPrintInfo_clicked();
    void on_pbtnTestDevice_clicked();
    void on_pbtnGetUnitVersion_clicked();
    void on_pbtnPowerOff_clicked();
    void on_pbtnBeep_clicked();
    void on_pbtnSound_clicked();
    void on_pbtnOpedDrawer_clicked();
    void on_pbtnAdvancedOpenDrawer_clicked();
    void on_pbtnSetPointPosition_clicked();
    void on_pbtnTestConnector_clicked();

    // ---- operations/peripherals.cpp
    void on_pbtnPowerOnModem_clicked();
    void on_pbtnPowerOffModem_clicked();
    void on_pbtnOpenModem_clicked();
    void on_pbtnCloseModem_clicked();
    void on_pbtnWriteModem_clicked();
    void on_pbtnReadModem_clicked();
    void on_pbtnGetModemStatus_clicked();
    void on_pbtnPowerOnPinPad_clicked();
    void on_pbtnPowerOffPinPad_clicked();
    void on_pbtnOpenPinPad_clicked();
    void on_pbtnClosePinPad_clicked();
    void on_pbtnWritePinPad_clicked();
    void on_pbtnReadPinPad_clicked();
    void on_pbtnPowerOnWiFi_clicked();
    void on_pbtnPowerOffWiFi_clicked();
    void on_pbtnOpenWiFi_clicked();
    void on_pbtnCloseWiFi_clicked();
    void on_pbtnGetWiFiStatus_clicked();
    void on_cbScannerEnabled_toggled(bool on);
    void on_pbtnClearScanData_clicked();

    // ---- operations/sdcard.cpp
    void on_pbtnOpenDirectory_clicked();
    void on_pbtnReadDirectory_clicked();
    void on_pbtnCloseDirectory_clicked();
    void on_pbtnOpenFile_clicked();
    void on_pbtnCloseFile_clicked();
    void on_pbtnRemoveFile_clicked();
    void on_pbtnWriteFile_clicked();
    void on_pbtnReadFile_clicked();

private:
    FptrMainWindowForm *ui;
    QScopedPointer<FptrDeviceList> m_deviceList;
    ErrorLine *m_errorLabel = nullptr;
    ScannerEventHandler m_scannerHandler;
    QFuture<int> m_pendingCall;
    QString m_styleSheet;
    // The settings file failed to load and no copy of it could be made:
    // it is not overwritten at exit.
    bool m_doNotOverwriteSettings = false;
    // Pages being prepared (or the window being built): the signals their
    // default content raises must not set up every other page.
    bool m_preparing = false;
    bool m_allPagesSetUp = false;
    QList<int> m_connectedSlots;

    // ---- state of the operations/ sources (each source adds its own here)
    // operations/pictures.cpp: no state of its own (the picture buffer is the
    // pixmap of the lePicture label); the picture's transfer as text between
    // that buffer and the current device.
    QPixmap downloadImage();
    void uploadImage(const QPixmap *pixmap);
    // operations/peripherals.cpp: the Wi-Fi data exchange has no driver
    // operations, so its controls are taken off the page as it is set up.
    void hideWiFiDataControls();
};
