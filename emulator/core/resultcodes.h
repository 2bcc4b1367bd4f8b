#pragma once

// The register's result codes. This is the one table of them: every failure
// the driver reports takes its code and its Russian text from here, and the
// README lists the same table for the users of the driver.
//
// Ranges: -1 to -19 are the driver's own (connection, arguments, settings,
// device memory); -20 to -499 belong to the subjects, in the blocks below; -3800 to -3899 are the findings of the connector test, of
// which -3893 is taken by the clock's request for confirmation. The bench acts
// on -17, -3893 and the connector range, so those values never move.

#include <QString>

#include <vector>

namespace vreg {

enum class Code : int {
    Ok = 0,
    NoConnection = -1,
    NotSupported = -2,
    InvalidArgument = -3,
    UnknownSetting = -4,
    InvalidSettingValue = -5,
    InvalidSettingsString = -6,
    DialogUnavailable = -7,
    MemoryError = -8,
    DataFolderBusy = -9,
    NoMoreData = -17,

    // -20 to -99: modes and passwords, tables, clock, printing, service
    // (the printing-and-configuration modules add theirs here)
    WrongPassword = -20,
    AccessDenied = -21,
    WrongMode = -22,
    ReceiptOpenNoModeChange = -23,
    InvalidValue = -24,
    FieldTypeMismatch = -25,
    NoSuchField = -26,
    ReadOnlyValue = -27,
    ShiftOpen = -28,
    NoPaper = -30,
    DocumentNotFinished = -31,
    InvalidTextMark = -32,
    InvalidCommandBuffer = -33,
    UnknownCommand = -34,

    // -100 to -199: shifts, receipts, cash, fiscal properties, fiscal storage
    // (the fiscal modules add theirs here)
    ShiftNotOpen = -100,
    ShiftAlreadyOpen = -101,
    ShiftExpired = -102,
    ReceiptNotOpen = -104,
    ReceiptOfOtherType = -105,
    ReceiptIsOpen = -106,
    ReceiptInPayment = -107,
    EmptyReceipt = -108,
    InvalidChequeType = -110,
    InvalidQuantity = -111,
    InvalidPrice = -112,
    InvalidAmount = -113,
    InvalidDepartment = -114,
    InvalidTaxNumber = -115,
    InvalidPaymentType = -116,
    InvalidPositionField = -117,
    InvalidDiscount = -118,
    AmountOverflow = -119,
    InsufficientCash = -120,
    StornoNotFound = -121,
    AdjustmentTooLarge = -122,
    NoAdjustment = -123,
    TaxNotFound = -124,
    NonCashOverpayment = -125,
    PaymentStornoTooLarge = -126,
    InvalidPropertyNumber = -127,
    InvalidPropertyType = -128,
    InvalidPropertyValue = -129,
    PropertyNotFound = -130,
    AlreadyFiscal = -131,
    NotFiscal = -132,
    InvalidInn = -133,
    InvalidRnm = -134,
    InvalidTaxPassword = -135,
    InvalidSerialNumber = -136,
    NoSerialNumber = -137,
    StorageNotActive = -138,
    StorageAlreadyActive = -139,
    ArchiveClosed = -140,
    RegistrationsExhausted = -141,
    ActivationsExhausted = -142,
    DocumentNotFound = -143,
    InvalidFnCommand = -144,
    UnknownFnCommand = -145,
    NoShiftRecords = -146,
    FiscalMemoryFull = -147,

    // -200 to -299: reports, registers, data reports
    // (the report modules add theirs here)
    UnknownRegister = -200,
    InvalidRegisterParameter = -201,
    NoRegisterData = -202,
    ShiftNotFound = -203,
    InvalidReportRange = -210,
    NoReportData = -211,
    InvalidReportParameter = -212,
    ReportNotBegun = -213,
    SdCardWriteError = -214,

    // -300 to -399: barcodes, pictures, the tape as paper
    InvalidBarcodeType = -300,
    InvalidBarcodeLength = -301,
    InvalidBarcodeCharacter = -302,
    WrongBarcodeCheckDigit = -303,
    InvalidBarcodeOption = -304,
    BarcodeTooLarge = -305,
    BarcodeNotFound = -306,
    BarcodeMemoryFull = -307,
    PictureNotFound = -310,
    PictureMemoryFull = -311,
    PictureTooWide = -312,
    PictureFileError = -313,
    InvalidPictureData = -314,
    InvalidPictureOption = -315,

    // -400 to -499: SD card, modem, Wi-Fi, pin pad, scanner
    SdCardUnavailable = -400,
    PathOutsideCard = -401,
    InvalidFileName = -402,
    FileNotFound = -403,
    DirectoryNotOpen = -404,
    FileNotOpen = -405,
    NotAFile = -406,
    NotADirectory = -407,
    FileModeForbids = -408,
    OffsetBeyondEnd = -409,
    FileTooLarge = -410,
    SdCardIoError = -411,
    ModemPoweredOff = -420,
    WiFiPoweredOff = -421,
    PinPadPoweredOff = -422,
    ExchangeModeOff = -423,
    ChannelNotOpen = -424,
    ChannelAlreadyOpen = -425,
    HostNotFound = -426,
    ConnectionRefused = -427,
    ChannelTimeout = -428,
    NetworkError = -429,
    ConnectionClosed = -430,
    ScannerPortNotSet = -440,
    ScannerPortInUse = -441,
    ScannerPortUnavailable = -442,
    ScannerHandlerNotSet = -443,

    // -3800 to -3899: findings of the connector test
    EthernetNotConnected = -3801,
    DisplayPortNoDevice = -3802,
    DateChangeNeedsConfirmation = -3893,
};

struct CodeEntry
{
    Code code;
    const char *text; // UTF-8
};

// Every code with its text, in table order.
const std::vector<CodeEntry> &codeTable();

// The text of a code; an unknown code gives an empty text.
QString codeText(Code code);

} // namespace vreg
