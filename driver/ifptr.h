#pragma once

// The driver contract: what passes between the bench and a device driver
// library. A driver library exports two C entry points,
//
//     VOR::Fptr::IFptr *CreateFptrInterface(int version);   // version: 15
//     int ReleaseFptrInterface(VOR::Fptr::IFptr **object);
//
// and every device is reached only through the VOR::Fptr::IFptr object that
// the first returns; the second takes it back (and nulls the pointer).
//
// Every operation returns an int. A negative result is a failure: ResultCode
// then holds a negative code and ResultDescription the user's text. The forms:
//
//   property setter   int Name(int) / int Name(double) / int Name(const wchar_t *)
//                     negative = failure;
//   number getter     int Name(int *) / int Name(double *); the result is ignored
//                     by callers, which preset the variable to 0;
//   string getter     int Name(wchar_t *buffer, int capacity): copies at most
//                     capacity characters, followed by a terminating zero when
//                     there is room for it, and returns the length of the whole
//                     value (without the zero). A value of exactly `capacity`
//                     characters thus fills the buffer completely; a longer one
//                     is cut, and the caller retries with length + 1;
//   date              int Name(int day, int month, int year), getter with int *;
//   time              int Name(int hour, int minute, int second), getter with int *;
//   action            int Name(): negative = failure, else the result goes back
//                     to the caller (ShowProperties: 1 = confirmed).
//
// Texts are zero-terminated wide strings of 32-bit code points (wchar_t).
// Getter and setter of a property share its name.
//
// The operations are listed below once, by subject, as X-macro lists:
// P(kind, Name, access) is a property of kind INT, DOUBLE, STRING, DATE or
// TIME with access R (getter), W (setter) or RW (both); A(Name) is an action.
// The interface classes at the end expand these lists, and so do the drivers
// and test doubles that implement them, so an operation is added in one place.

#include <wchar.h>

namespace VOR {

// Callback a driver calls with the data read by an attached barcode scanner.
// It may be called from a thread of the driver's own. Returns 0.
class AbstractScannerEventHandler
{
public:
    virtual ~AbstractScannerEventHandler() {}
    virtual int on_data_event(const unsigned char *data, int size) = 0;
};

// Callback for errors and warnings a driver wants to report out of band.
class AbstractErrorHandler
{
public:
    virtual ~AbstractErrorHandler() {}
    virtual int showWarning(const wchar_t *title, const wchar_t *text) = 0;
    virtual int onErrorOccurred(int code) = 0;
};

} // namespace VOR

// ---- Base, connection and errors ---------------------------------------------
// Connection and the outcome of the last call. Every operation returns an int;
// a negative result is a failure, and then ResultCode holds a negative code and
// ResultDescription a text for the user. ResultDetail is non-zero when
// ResultDetailDescription adds context (which property, which value). A
// successful action sets ResultCode to 0.
#define VOR_FPTR_BASE_OPERATIONS(P, A) \
    P(INT, DeviceEnabled, RW)                    /* Connection to the device: 1 on, 0 off; read back to show the enable check box */ \
    P(INT, ResultCode, R)                        /* Code of the last failure, 0 = none; read after negative results (also -17 end of records, -3893 clock confirmation, < -3799 connector findings) */ \
    P(STRING, ResultDescription, R)              /* Text of the last failure */ \
    P(INT, ResultDetail, R)                      /* Non-zero when a detail text for the last failure exists */ \
    P(STRING, ResultDetailDescription, R)        /* Detail text of the last failure */

// ---- Settings ----------------------------------------------------------------
// Driver settings. DeviceSettings carries all of them as one opaque string
// that round-trips exactly (the bench stores it in its settings file). Single
// settings are read and written by name with ReadSetting / WriteSetting (declared
// below the lists); ReadSettingDescription gives the possible values of a setting
// as a mapping string "key:text;key:text;". Written settings take effect with
// ApplySettings. ShowProperties opens the driver's own modal dialog over
// ParentWindow and returns 1 when the user confirmed it.
#define VOR_FPTR_SETTINGS_OPERATIONS(P, A) \
    P(STRING, DeviceSettings, RW)                /* All driver settings of the device as one string (saved to and restored from the settings file) */ \
    A(ApplySettings)                             /* Makes the written settings take effect */ \
    A(ShowProperties)                            /* Opens the driver's own settings dialog; result 1 = the user confirmed */

// ---- Status and modes --------------------------------------------------------
// Device status. Status properties always show the current state; GetStatus
// also refreshes the clock and the rest of this group. SetMode enters Mode with
// Password; ResetMode returns to mode 0. The full mode code is Mode + 16 * SubMode.
#define VOR_FPTR_STATUS_OPERATIONS(P, A) \
    A(GetStatus)                                 /* Queries the device status, refreshing the status properties */ \
    A(SetMode)                                   /* Enters the mode given by Mode with Password */ \
    A(ResetMode)                                 /* Leaves the current mode (back to mode selection) */ \
    P(INT, Mode, RW)                             /* Device mode (low 4 bits of the mode code); written to choose the mode to enter or the document mode */ \
    P(INT, SubMode, R)                           /* Sub-mode of the current mode (mode code = Mode + 16 x SubMode) */ \
    P(STRING, Password, W)                       /* Password (of the mode to enter, of the operator opening a shift, of a new document) */ \
    P(INT, SessionOpened, R)                     /* Shift (session) state: 1 open, other values closed (non-zero = open in the query text) */ \
    P(INT, ChequeState, R)                       /* Kind of the open receipt, 0 closed, 1..10 sale/return/annul/purchase/correction kinds */ \
    P(INT, CharLineLength, R)                    /* Receipt tape width in characters */ \
    P(DATE, Date, RW)                            /* Date (day, month, year): device date, document/report start date, clock date, range start */ \
    P(TIME, Time, RW)                            /* Time (hour, minute, second): device time, clock time, time of a document */ \
    P(INT, Operator, R)                          /* Current cashier (operator) number */ \
    P(INT, LogicalNumber, R)                     /* Logical number of the register in the shop ("Номер ККТ в зале") */ \
    P(INT, Fiscal, R)                            /* Non-zero when the register is fiscalised */ \
    P(INT, FNFiscal, R)                          /* Non-zero when the fiscal storage (ФН) is fiscalised */ \
    P(STRING, DeviceDescription, R)              /* Device name text ("Название ККТ") */ \
    P(STRING, Version, R)                        /* Firmware (or module) version: major part */ \
    P(STRING, SubVersion, R)                     /* Firmware (or module) version: minor part */ \
    P(STRING, Build, R)                          /* Firmware (or module) build */ \
    P(STRING, SerialNumber, RW)                  /* Factory (serial) number of the register, or of the journal module / fiscal storage; written to enter it */ \
    P(INT, PortNumber, RW)                       /* Port: read = port the PC is connected through; written = port for raw data / connector to test */ \
    P(INT, DrawerOpened, R)                      /* Non-zero when the cash drawer is open */ \
    P(INT, CheckPaperPresent, R)                 /* Non-zero when receipt-tape paper is present */ \
    P(INT, ControlPaperPresent, R)               /* Non-zero when control-tape paper is present */ \
    P(INT, CoverOpened, R)                       /* Non-zero when the printer cover is open */ \
    P(INT, Model, R)                             /* Device model code */ \
    P(INT, ChequeNumber, R)                      /* Current receipt number (also number of the receipt in the shift) */ \
    P(INT, Session, RW)                          /* Shift (session) number: last closed / current shift; start of a session range */ \
    P(INT, PointPosition, RW)                    /* Decimal point position of money amounts (0..3) */ \
    P(DOUBLE, Summ, RW)                          /* Amount: receipt total, position discount info, payment, discount/charge/tax value, cash amount, register sums */

// ---- Receipt position fields -------------------------------------------------
// Registration of a position. The bench writes the position fields (in a fixed
// order) before each position action; the action registers the position in an
// open receipt of its own type, opening one if none is open. Summ, written just
// before a position action, carries the discount information of the position.
#define VOR_FPTR_POSITION_OPERATIONS(P, A) \
    P(INT, TestMode, W)                          /* 1 = run the operation in test mode (not registered) */ \
    P(INT, PrintCheck, W)                        /* 1 = print the receipt / position */ \
    P(INT, CheckSumm, W)                         /* 1 = let the device check the amount */ \
    P(INT, TextWrap, W)                          /* Text wrapping mode (key of textWraps) */ \
    P(STRING, Name, W)                           /* Commodity (position) name */ \
    P(DOUBLE, Quantity, W)                       /* Position quantity (3 decimals) */ \
    P(DOUBLE, Price, W)                          /* Position price */ \
    P(INT, Department, W)                        /* Department (section) number */ \
    P(INT, TaxNumber, W)                         /* Tax rate number (position tax, receipt tax, register selector) */ \
    P(DOUBLE, TaxSum, W)                         /* Tax amount of the position */ \
    P(INT, TaxMode, W)                           /* Tax calculation mode (key of taxModes) */ \
    P(INT, PositionType, W)                      /* Subject of the calculation ("Предмет расчета") */ \
    P(INT, PositionPaymentType, W)               /* Way of the calculation ("Способ расчета") */ \
    P(STRING, PositionClassifier, W)             /* Commodity classifier code */ \
    P(DOUBLE, PositionSum, W)                    /* Total amount of the position */ \
    P(INT, Piece, W)                             /* 1 = piece goods */ \
    P(INT, UseOnlyTaxNumber, W)                  /* 1 = use only the tax rate number (no tax sum) */ \
    A(Sell)                                      /* Registers a sale (incoming) position */ \
    A(SellReturn)                                /* Registers a sale return position */ \
    A(SellAnnulate)                              /* Registers a sale annulment */ \
    A(Buy)                                       /* Registers a purchase (outgoing) position */ \
    A(BuyReturn)                                 /* Registers a purchase return position */ \
    A(BuyAnnulate)                               /* Registers a purchase annulment */ \
    A(Storno)                                    /* Cancels (storno) a registered position */

// ---- Receipt, payment and shift ----------------------------------------------
// Shifts, receipts and payments. OpenCheque opens a receipt of ChequeType;
// Payment accumulates Summ of PaymentType and leaves Remainder and Change;
// CloseCheque pays what is still due with PaymentType. Caption is the general
// text carrier of the contract (shift text, printed text, table field values,
// data-report records, picture data, SD file data).
#define VOR_FPTR_RECEIPT_OPERATIONS(P, A) \
    P(INT, ChequeType, RW)                       /* Receipt type (key of chequeTypes); written to open a receipt / select a register, read for the last receipt in FN */ \
    P(INT, PaymentType, W)                       /* Payment (closing) type (key of paymentTypes) */ \
    P(STRING, Caption, RW)                       /* General text carrier: shift text, printed text, table field value, caption, data-report record, picture data (hex), SD file data */ \
    P(DOUBLE, Remainder, R)                      /* Amount still to pay after a payment */ \
    P(DOUBLE, Change, R)                         /* Change to give after a payment */ \
    A(OpenSession)                               /* Opens a shift (session) */ \
    A(OpenCheque)                                /* Opens a receipt of ChequeType */ \
    A(CloseCheque)                               /* Closes the receipt with PaymentType */ \
    A(CancelCheque)                              /* Cancels the open receipt */ \
    A(Payment)                                   /* Registers a payment of Summ with PaymentType */ \
    A(StornoPayment)                             /* Cancels a payment */

// ---- Discounts and taxes -----------------------------------------------------
// Discounts, charges and taxes on the open receipt or its last position
// (Destination). Summ carries the amount or percent.
#define VOR_FPTR_DISCOUNTS_OPERATIONS(P, A) \
    P(INT, DiscountType, W)                      /* Discount/charge kind: amount or percent (key of discountTypes) */ \
    P(INT, Destination, W)                       /* Scope of discount/charge/tax: whole receipt or position (key of destinations) */ \
    P(INT, DiscountNumber, W)                    /* Discount/charge number (also discount type number for registers) */ \
    A(Discount)                                  /* Registers a discount */ \
    A(Charge)                                    /* Registers a charge (surcharge) */ \
    A(Tax)                                       /* Registers a tax */ \
    A(StornoTax)                                 /* Cancels a tax */ \
    A(ResetChargeDiscount)                       /* Cancels a discount or charge */

// ---- Cash --------------------------------------------------------------------
// Cash in the drawer: deposit and withdrawal of Summ, and the drawer's sum
// read into Summ by GetSumm.
#define VOR_FPTR_CASH_OPERATIONS(P, A) \
    A(CashIncome)                                /* Cash deposit of Summ */ \
    A(CashOutcome)                               /* Cash withdrawal of Summ */ \
    A(GetSumm)                                   /* Queries the cash sum in the drawer into Summ */

// ---- Corrections -------------------------------------------------------------
// Positions of correction receipts; they take the receipt position fields.
#define VOR_FPTR_CORRECTIONS_OPERATIONS(P, A) \
    A(Correction)                                /* Registers a position of an incoming-correction receipt */ \
    A(ReturnCorrection)                          /* Registers a position of an incoming-return correction receipt */ \
    A(BuyCorrection)                             /* Registers a position of an outgoing-correction receipt */ \
    A(BuyReturnCorrection)                       /* Registers a position of an outgoing-return correction receipt */

// ---- Fiscal properties -------------------------------------------------------
// Tagged fiscal data items (tag number, value type and value as text), attached
// to the current position or receipt, written directly, or read back from the
// last document.
#define VOR_FPTR_FISCAL_PROPERTIES_OPERATIONS(P, A) \
    P(INT, FiscalPropertyNumber, W)              /* Tag number of a fiscal data item (e.g. 1008 buyer e-mail/phone) */ \
    P(INT, FiscalPropertyType, W)                /* Value type of the item (key of fiscalPropertyTypes: raw 0, u8 1, u16 2, u32 3, UnixTime 4, string 5) */ \
    P(STRING, FiscalPropertyValue, RW)           /* Value of the item as text */ \
    P(INT, FiscalPropertyPrint, W)               /* 1 = also print the item */ \
    P(INT, FiscalPropertyUser, W)                /* 1 = user-defined item */ \
    A(AddFiscalProperty)                         /* Attaches the item to the current position/receipt */ \
    A(ResetFiscalProperties)                     /* Clears the attached items */ \
    A(WriteFiscalProperty)                       /* Writes the item to the fiscal storage */ \
    A(ReadFiscalProperty)                        /* Reads the item of FiscalPropertyNumber into FiscalPropertyValue */

// ---- Text printing and fonts -------------------------------------------------
// Printing of text lines and the font settings of formatted text. Texts may
// carry in-band marks: 0x09 double width, 0x0A...0x0A a stored picture
// "number,offset", 0x0B...0x0B a stored barcode by number.
#define VOR_FPTR_TEXT_OPERATIONS(P, A) \
    P(INT, Alignment, W)                         /* Alignment of text, barcode or picture (key of alignments) */ \
    P(INT, FontNegative, W)                      /* 1 = inverse print */ \
    P(INT, FontUnderline, W)                     /* 1 = underlined */ \
    P(INT, FontBold, W)                          /* 1 = bold */ \
    P(INT, FontDblWidth, W)                      /* 1 = double width */ \
    P(INT, PrintPurpose, W)                      /* Where to print: receipt tape, control tape, both (key of printPurpose) */ \
    P(INT, ChequeTapeFont, W)                    /* Receipt-tape font number */ \
    P(INT, ChequeTapeFontHeight, W)              /* Receipt-tape font height (key of fontHeights) */ \
    P(INT, ChequeTapeBrightness, W)              /* Receipt-tape print brightness */ \
    P(INT, ChequeTapeLineSpacing, W)             /* Receipt-tape line spacing */ \
    P(INT, ControlTapeFont, W)                   /* Control-tape font number */ \
    P(INT, ControlTapeFontHeight, W)             /* Control-tape font height (key of fontHeights) */ \
    P(INT, ControlTapeBrightness, W)             /* Control-tape print brightness */ \
    P(INT, ControlTapeLineSpacing, W)            /* Control-tape line spacing */ \
    A(PrintText)                                 /* Prints Caption as a plain line */ \
    A(PrintHeader)                               /* Prints the receipt header (cliche) */ \
    A(PrintFooter)                               /* Prints the receipt footer */ \
    A(ContinuePrint)                             /* Continues an interrupted print */

// ---- Document printing and formatted text ------------------------------------
// Formatted text fields, non-fiscal documents, copies, demo print and cuts.
#define VOR_FPTR_DOCUMENTS_OPERATIONS(P, A) \
    A(AddField)                                  /* Adds a formatted text field (Caption with style flags) */ \
    A(PrintFormattedText)                        /* Prints text with the full formatting settings */ \
    A(NewDocument)                               /* Starts a new (non-fiscal) document in Mode with Password */ \
    A(PrintLastCheckCopy)                        /* Prints a copy of the last receipt */ \
    A(DemoPrint)                                 /* Prints a test (demo) page on PrintPurpose */ \
    A(PartialCut)                                /* Partial paper cut */ \
    A(FullCut)                                   /* Full paper cut */

// ---- Tables, captions and fields ---------------------------------------------
// Programmable device tables: numeric values by ValuePurpose (in Value),
// captions by CaptionPurpose (in Caption) and raw table fields by Table, Row,
// Field and FieldType (value in Caption).
#define VOR_FPTR_TABLES_OPERATIONS(P, A) \
    P(INT, Table, W)                             /* Table number of a device table field */ \
    P(INT, Row, W)                               /* Row number of a device table field */ \
    P(INT, Field, W)                             /* Field number of a device table field */ \
    P(INT, FieldType, W)                         /* Field format (key of fieldFormat: BCD, string 1, bytes, binary, string 2) */ \
    A(SetField)                                  /* Writes Caption into the table field */ \
    A(GetField)                                  /* Reads the table field into Caption */ \
    P(INT, ValuePurpose, W)                      /* Purpose number of a numeric setting (key of values) */ \
    P(INT, CaptionPurpose, W)                    /* Purpose number of a text setting (key of captions) */ \
    A(GetValue)                                  /* Reads the numeric setting of ValuePurpose into Value */ \
    A(SetValue)                                  /* Writes Value to the numeric setting of ValuePurpose */ \
    A(GetCaption)                                /* Reads the text setting of CaptionPurpose into Caption */ \
    A(SetCaption)                                /* Writes Caption to the text setting of CaptionPurpose */

// ---- Barcodes ----------------------------------------------------------------
// Barcodes: printed at once, or with BarcodeDeferredPrint 1 stored in the
// device's barcode memory under BarcodeNumber; the memory operations work on
// stored barcodes and GetBarcode reads every option of one back.
#define VOR_FPTR_BARCODES_OPERATIONS(P, A) \
    P(INT, BarcodePrintType, W)                  /* Print method: 0 software, 1 hardware, 2 automatic */ \
    P(INT, BarcodeType, RW)                      /* Barcode type (key of barcodeTypes: EAN8 0 ... QR 4, PDF417 5 ... Code128 11) */ \
    P(STRING, Barcode, RW)                       /* Barcode data text */ \
    P(DOUBLE, Scale, W)                          /* Scale (percent) of a barcode or picture */ \
    P(INT, LeftMargin, W)                        /* Left margin of a barcode or picture */ \
    P(INT, BarcodeCRC, RW)                       /* 1 = barcode text includes its check digit */ \
    P(INT, BarcodePrintText, RW)                 /* 1 = print the barcode's human-readable text */ \
    P(INT, BarcodeDeferredPrint, W)              /* 1 = deferred print */ \
    P(INT, BottomMargin, W)                      /* Space after the barcode */ \
    P(INT, BarcodeVersion, RW)                   /* QR version */ \
    P(INT, BarcodeCorrection, RW)                /* QR correction level (list key) or PDF417 correction value (number) */ \
    P(INT, BarcodeEncoding, RW)                  /* QR encoding (key of barcodeQREncodings) */ \
    P(INT, BarcodeEncodingMode, RW)              /* QR encoding mode (key of barcodeQREncodingModes) */ \
    P(INT, BarcodePackingMode, RW)               /* PDF417 packing mode (key of barcodePDFPackingMode) */ \
    P(INT, BarcodeProportions, RW)               /* PDF417 barcode proportions */ \
    P(INT, BarcodePixelProportions, RW)          /* PDF417 pixel proportions */ \
    P(INT, BarcodeRows, RW)                      /* PDF417 rows */ \
    P(INT, BarcodeColumns, RW)                   /* PDF417 columns */ \
    P(INT, BarcodeUseProportions, RW)            /* PDF417: 1 = use the proportions */ \
    P(INT, BarcodeUseRows, RW)                   /* PDF417: 1 = use the rows */ \
    P(INT, BarcodeUseColumns, RW)                /* PDF417: 1 = use the columns */ \
    P(INT, BarcodeUseCodewords, W)               /* PDF417: 1 = use codewords */ \
    P(INT, BarcodeUseCorrection, RW)             /* PDF417: 1 = use the correction */ \
    P(INT, BarcodeInvert, RW)                    /* PDF417: 1 = inverted */ \
    P(INT, Height, RW)                           /* Height: of a simple barcode (W), of a picture (RW) */ \
    P(INT, BarcodeNumber, RW)                    /* Number of a barcode in device memory; read = count/last number after the array status */ \
    P(INT, FreeMemory, R)                        /* Free space in the barcode or picture memory */ \
    A(PrintBarcode)                              /* Prints a barcode from the properties above */ \
    A(PrintBarcodeByNumber)                      /* Prints the stored barcode BarcodeNumber on PrintPurpose */ \
    A(GetBarcode)                                /* Loads the stored barcode BarcodeNumber and its parameters into the properties */ \
    A(DeleteBarcode)                             /* Deletes the last stored barcode */ \
    A(ClearBarcodeArray)                         /* Clears the barcode memory */ \
    A(GetBarcodeArrayStatus)                     /* Queries the barcode memory state (FreeMemory, BarcodeNumber) */

// ---- Pictures ----------------------------------------------------------------
// Pictures: printed from a file, or kept in the device's picture memory and
// printed by PictureNumber. Upload/download pass pixels as hexadecimal text in
// Caption with Width and Height.
#define VOR_FPTR_PICTURES_OPERATIONS(P, A) \
    P(INT, PictureNumber, RW)                    /* Number of a picture in device memory */ \
    P(STRING, FileName, RW)                      /* File name: picture file to print/load; SD card file name (read = directory entry) */ \
    P(INT, Width, RW)                            /* Picture width in pixels */ \
    P(INT, PictureState, R)                      /* Picture state: non-zero "открыта", zero "закрыта" */ \
    A(PrintPicture)                              /* Prints the picture file FileName */ \
    A(PrintPictureByNumber)                      /* Prints the stored picture PictureNumber */ \
    A(LoadPictureFromFile)                       /* Loads the file FileName into device memory; returns PictureNumber */ \
    A(DownloadPicture)                           /* Reads stored picture PictureNumber into Width, Height, Caption (hex pixels) */ \
    A(UploadPicture)                             /* Stores the picture given by Width, Height, Caption; returns PictureNumber */ \
    A(RemoveLastPicture)                         /* Deletes the last stored picture */ \
    A(ClearPictureArray)                         /* Clears the picture memory */ \
    A(GetPictureStatus)                          /* Queries picture PictureNumber (Width, Height, PictureState) */ \
    A(GetPictureArrayStatus)                     /* Queries the picture memory (FreeMemory, PictureState, PictureNumber) */

// ---- Registers ---------------------------------------------------------------
// Device registers: GetRegister answers RegisterNumber into the result
// properties of this group, honouring the selectors the caller writes first.
#define VOR_FPTR_REGISTERS_OPERATIONS(P, A) \
    A(GetRegister)                               /* Reads the register RegisterNumber into the result properties */ \
    P(INT, RegisterNumber, W)                    /* Register number (key of registers) */ \
    P(INT, CounterValue, W)                      /* Counter value selector */ \
    P(INT, OperationType, W)                     /* Operation type selector (key of operationTypes) */ \
    P(INT, CounterType, W)                       /* Counter type selector (key of counterTypes) */ \
    P(INT, StepCounterType, W)                   /* Step counter type selector (key of stepCounterTypes) */ \
    P(INT, PowerSupplyType, W)                   /* Power supply type selector (key of powerSupplyTypes) */ \
    P(INT, CounterDimension, W)                  /* Counter dimension selector (key of counterDimensions) */ \
    P(DOUBLE, Value, RW)                         /* Generic numeric value: register result (temperature, fiscal sign, counts...); numeric setting value */ \
    P(DOUBLE, DiscountSumm, R)                   /* Discount total of the shift */ \
    P(DOUBLE, ChargeSumm, R)                     /* Charge total of the shift */ \
    P(DOUBLE, PowerSupplyVoltage, R)             /* Power supply voltage */ \
    P(INT, Count, R)                             /* Generic counter result (shown signed or as unsigned 32-bit) */ \
    P(INT, DocNumber, RW)                        /* Document number: read from registers; written as start of a document range */ \
    P(INT, FiscalStation, R)                     /* Fiscal station number */ \
    P(INT, ChequeTapeWidth1, R)                  /* Receipt tape width, first value */ \
    P(INT, ChequeTapeWidth2, R)                  /* Receipt tape width, second value */ \
    P(INT, ControlTapeWidth1, R)                 /* Control tape width, first value */ \
    P(INT, ControlTapeWidth2, R)                 /* Control tape width, second value */ \
    P(INT, SlipWidth1, R)                        /* Slip document width, first value */ \
    P(INT, SlipWidth2, R)                        /* Slip document width, second value */ \
    P(INT, PowerSupplyState, R)                  /* Power supply flags (bit 0 battery, bit 2 printing impossible) */ \
    P(INT, BatteryCharge, R)                     /* Battery charge */ \
    P(INT, NetworkError, R)                      /* Network error code of the exchange with the fiscal data operator (ОФД) */ \
    P(INT, OFDError, R)                          /* ОФД error code */ \
    P(INT, FNError, R)                           /* Fiscal storage error code */ \
    P(INT, FNFlags, R)                           /* Fiscal storage state flags */ \
    P(INT, FfdVersion, R)                        /* Fiscal document format (ФФД) version in use */ \
    P(INT, DeviceFfdVersion, R)                  /* ФФД version of the register */ \
    P(INT, FNFfdVersion, R)                      /* ФФД version of the fiscal storage */ \
    P(INT, CommandCode, R)                       /* Command code of the extended device error */ \
    P(INT, ErrorCode, R)                         /* Error code of the extended device error */ \
    P(INT, EnvdEnabled, R)                       /* Non-zero when the ЕНВД tax mode is on */ \
    P(INT, EnvdAllowed, R)                       /* Non-zero when the ЕНВД tax mode is allowed */ \
    P(INT, TaxRateMode, R)                       /* Tax rate mode */ \
    P(STRING, INN, RW)                           /* Taxpayer number (ИНН); written for fiscalisation */ \
    P(STRING, RNM, RW)                           /* Machine registration number (РНМ); written for fiscalisation */ \
    P(STRING, ErrorData, R)                      /* Data of the extended device error */ \
    P(DATE, DateEnd, RW)                         /* End date: range end / end of previous shift */ \
    P(TIME, TimeEnd, R)                          /* End time (closing time of the previous shift) */

// ---- Reports and data reports ------------------------------------------------
// Printed reports by ReportType with their ranges, and data reports read one
// record a call: BeginReport, GetRecord (the record in Caption; past the last
// record the call fails with code -17), EndReport.
#define VOR_FPTR_REPORTS_OPERATIONS(P, A) \
    A(Report)                                    /* Prints (or starts) the report of ReportType with the range properties */ \
    P(INT, ReportType, W)                        /* Report type (registration / fiscal memory / FN / data report kind; 43 device info, 44 test run) */ \
    P(INT, DocNumberEnd, W)                      /* End of a document number range */ \
    P(INT, ClearFlag, W)                         /* 1 = clear the electronic journal with the report */ \
    P(INT, SessionEnd, RW)                       /* End of a session range (read from the fiscal memory range) */ \
    P(INT, KPKNumber, RW)                        /* КПК (document) number of the journal module / FN document number */ \
    P(INT, UnitType, W)                          /* Device unit (module) selector (key of unitTypes / module number) */ \
    A(BeginReport)                               /* Begins a data report (ReportType, UnitType) */ \
    A(GetRecord)                                 /* Reads the next data-report record into Caption (ResultCode -17 = no more records) */ \
    A(EndReport)                                 /* Ends the data report */

// ---- Clock -------------------------------------------------------------------
// The device clock and the fiscal-memory range. SetDate writes Date and Time;
// a code of -3893 asks the caller to confirm the change by repeating the call.
#define VOR_FPTR_CLOCK_OPERATIONS(P, A) \
    A(SetDate)                                   /* Sets the device clock from Date and Time (may ask confirmation: -3893) */ \
    A(GetRange)                                  /* Reads the stored fiscal-memory range into Date, DateEnd, Session, SessionEnd */

// ---- Fiscal storage, journal module and fiscalisation ------------------------
// Fiscal storage (and the older journal module): factory number,
// fiscalisation, activation, archive closing, status and raw storage commands.
#define VOR_FPTR_FISCAL_STORAGE_OPERATIONS(P, A) \
    A(SetSerialNumber)                           /* Enters SerialNumber as the factory number */ \
    A(Fiscalization)                             /* Fiscalises the register with RNM, INN, TaxPassword */ \
    P(STRING, TaxPassword, W)                    /* New tax inspector password */ \
    A(Activate)                                  /* Activates the journal module or fiscal storage */ \
    A(CloseArchive)                              /* Closes the archive of the journal module or fiscal storage */ \
    A(GetEKLZStatus)                             /* Queries the journal module status (Summ, Session, SerialNumber, KPKNumber, EKLZFlags, Date, Time) */ \
    A(EKLZGetKPK)                                /* Reads the КПК value of KPKNumber into KPKValue */ \
    P(INT, KPKValue, R)                          /* КПК value */ \
    P(INT, EKLZFlags, R)                         /* Journal module status flags */ \
    A(RunFNCommand)                              /* Sends a raw command (CommandBuffer) to the fiscal storage; answer in AnswerBuffer */

// ---- Low-level commands ------------------------------------------------------
// Raw device commands and data. CommandBuffer and AnswerBuffer carry bytes as
// text in the driver's notation; AnswerBuffer is filled also after a failure.
#define VOR_FPTR_LOW_LEVEL_OPERATIONS(P, A) \
    P(STRING, CommandBuffer, W)                  /* Raw command / data to send (driver's notation) */ \
    P(STRING, AnswerBuffer, R)                   /* Raw answer received (driver's notation) */ \
    A(RunCommand)                                /* Sends a raw protocol command (CommandBuffer); answer in AnswerBuffer */ \
    A(WriteData)                                 /* Sends CommandBuffer as data to port PortNumber */ \
    P(INT, NeedResultFlag, W)                    /* 1 = wait for the answer of the raw command */ \
    P(INT, TimeoutACK, W)                        /* ACK time-out of the raw command */ \
    P(INT, TimeoutENQ, W)                        /* ENQ time-out of the raw command */

// ---- Service -----------------------------------------------------------------
// Service actions: resets, versions, power, sound, cash drawer, decimal point
// and the connector test (codes -3800 to -3899 report the test's findings).
#define VOR_FPTR_SERVICE_OPERATIONS(P, A) \
    A(InitTables)                                /* Initialises the device tables */ \
    A(ResetSummary)                              /* General reset (clearing) of the totals */ \
    A(TechZero)                                  /* Technological zeroing */ \
    A(GetUnitVersion)                            /* Reads the software version of module UnitType into Version, SubVersion, Build */ \
    A(PowerOff)                                  /* Switches the device off */ \
    A(Beep)                                      /* Short beep */ \
    A(Sound)                                     /* Sound of Frequency and Duration */ \
    P(INT, Frequency, W)                         /* Sound frequency */ \
    P(INT, Duration, W)                          /* Sound duration */ \
    A(OpenDrawer)                                /* Opens the cash drawer */ \
    A(AdvancedOpenDrawer)                        /* Opens the cash drawer with pulses */ \
    P(INT, DrawerOnTimeout, W)                   /* Drawer pulse on-time */ \
    P(INT, DrawerOffTimeout, W)                  /* Drawer pulse off-time */ \
    P(INT, DrawerOnQuantity, W)                  /* Number of drawer pulses */ \
    A(SetPointPosition)                          /* Sets the decimal point position PointPosition */ \
    A(TestConnector)                             /* Tests the connector PortNumber (ResultCode < -3799 = findings) */

// ---- Modem -------------------------------------------------------------------
// The register's modem: power, connection to a host, data and status.
#define VOR_FPTR_MODEM_OPERATIONS(P, A) \
    P(STRING, ModemIpAddress, W)                 /* Host address to connect the modem to */ \
    P(INT, ModemIpPort, W)                       /* Host port for the modem */ \
    P(INT, ModemMode, W)                         /* Modem exchange mode (key of externalPortModes) */ \
    P(INT, ModemConnectionType, W)               /* Modem connection type (key of modemConnectionTypes) */ \
    P(INT, ReadSize, W)                          /* Number of bytes to receive (modem, pin pad) */ \
    P(INT, ModemState, R)                        /* Modem state 0..8 */ \
    P(INT, ModemSignal, R)                       /* Signal strength in dBm, 0 = unknown */ \
    P(STRING, ModemOperator, R)                  /* Mobile operator name */ \
    P(STRING, ModemError, R)                     /* Last modem error text */ \
    A(PowerOnModem)                              /* Powers the modem on */ \
    A(PowerOffModem)                             /* Powers the modem off */ \
    A(OpenModem)                                 /* Opens the modem connection */ \
    A(CloseModem)                                /* Closes the modem connection */ \
    A(WriteModem)                                /* Sends CommandBuffer through the modem */ \
    A(ReadModem)                                 /* Receives ReadSize bytes into AnswerBuffer */ \
    A(GetModemStatus)                            /* Queries ModemState, ModemSignal, ModemOperator, ModemError */

// ---- Wi-Fi -------------------------------------------------------------------
// The register's Wi-Fi module: power, connection to a host and status.
#define VOR_FPTR_WIFI_OPERATIONS(P, A) \
    P(STRING, WiFiIpAddress, W)                  /* Host address for the Wi-Fi connection */ \
    P(INT, WiFiIpPort, W)                        /* Host port for the Wi-Fi connection */ \
    P(INT, WiFiMode, W)                          /* Wi-Fi exchange mode (key of externalPortModes) */ \
    P(INT, WiFiConnectionType, W)                /* Wi-Fi connection type (key of modemConnectionTypes) */ \
    P(INT, WiFiState, R)                         /* Wi-Fi state 0..5 */ \
    A(PowerOnWiFi)                               /* Powers the Wi-Fi module on */ \
    A(PowerOffWiFi)                              /* Powers the Wi-Fi module off */ \
    A(OpenWiFi)                                  /* Opens the Wi-Fi connection */ \
    A(CloseWiFi)                                 /* Closes the Wi-Fi connection */ \
    A(GetWiFiStatus)                             /* Queries WiFiState */

// ---- Pin pad -----------------------------------------------------------------
// The pin pad attached to the register: power, port, data.
#define VOR_FPTR_PINPAD_OPERATIONS(P, A) \
    P(INT, PinPadMode, W)                        /* Pin pad exchange mode (key of externalPortModes) */ \
    A(PowerOnPinPad)                             /* Powers the pin pad on */ \
    A(PowerOffPinPad)                            /* Powers the pin pad off */ \
    A(OpenPinPad)                                /* Opens the pin pad port */ \
    A(ClosePinPad)                               /* Closes the pin pad port */ \
    A(WritePinPad)                               /* Sends CommandBuffer to the pin pad */ \
    A(ReadPinPad)                                /* Receives ReadSize bytes from the pin pad into AnswerBuffer */

// ---- Scanner -----------------------------------------------------------------
// A barcode scanner attached to the register. With ScannerCallback set (declared
// below the lists) and ScannerEnabled 1 the driver reports every scan through
// the callback, possibly from a thread of its own.
#define VOR_FPTR_SCANNER_OPERATIONS(P, A) \
    P(INT, ScannerEnabled, W)                    /* 1 = scanner on, 0 = off */

// ---- SD card files -----------------------------------------------------------
// Files on the register's SD card: directory listing (past the last entry
// ReadDirectory fails with -17) and file access at FileOffset.
#define VOR_FPTR_SD_CARD_OPERATIONS(P, A) \
    P(STRING, DirectoryPath, W)                  /* Directory on the SD card to open */ \
    P(INT, FileOpenType, W)                      /* File open type (key of fileOpenTypes) */ \
    P(INT, FileOpenMode, W)                      /* File open mode (key of fileOpenModes) */ \
    P(INT, FileSize, R)                          /* Size of the file / directory entry */ \
    P(INT, FileOffset, RW)                       /* Position in the open file (device returns the new one) */ \
    P(INT, FileReadSize, RW)                     /* Bytes to read (device returns the bytes read) */ \
    A(OpenDirectory)                             /* Opens DirectoryPath */ \
    A(ReadDirectory)                             /* Reads the next directory entry (FileName, FileSize) */ \
    A(CloseDirectory)                            /* Closes the directory */ \
    A(OpenFile)                                  /* Opens FileName with FileOpenType, FileOpenMode */ \
    A(CloseFile)                                 /* Closes the open file */ \
    A(RemoveFile)                                /* Deletes FileName */ \
    A(WriteFile)                                 /* Writes Caption at FileOffset */ \
    A(ReadFile)                                  /* Reads FileReadSize bytes at FileOffset into Caption */

// ---- All operations of VOR::Fptr::IFptr beyond the base -----------------------
#define VOR_FPTR_OPERATIONS(P, A) \
    VOR_FPTR_STATUS_OPERATIONS(P, A) \
    VOR_FPTR_POSITION_OPERATIONS(P, A) \
    VOR_FPTR_RECEIPT_OPERATIONS(P, A) \
    VOR_FPTR_DISCOUNTS_OPERATIONS(P, A) \
    VOR_FPTR_CASH_OPERATIONS(P, A) \
    VOR_FPTR_CORRECTIONS_OPERATIONS(P, A) \
    VOR_FPTR_FISCAL_PROPERTIES_OPERATIONS(P, A) \
    VOR_FPTR_TEXT_OPERATIONS(P, A) \
    VOR_FPTR_DOCUMENTS_OPERATIONS(P, A) \
    VOR_FPTR_TABLES_OPERATIONS(P, A) \
    VOR_FPTR_BARCODES_OPERATIONS(P, A) \
    VOR_FPTR_PICTURES_OPERATIONS(P, A) \
    VOR_FPTR_REGISTERS_OPERATIONS(P, A) \
    VOR_FPTR_REPORTS_OPERATIONS(P, A) \
    VOR_FPTR_CLOCK_OPERATIONS(P, A) \
    VOR_FPTR_FISCAL_STORAGE_OPERATIONS(P, A) \
    VOR_FPTR_LOW_LEVEL_OPERATIONS(P, A) \
    VOR_FPTR_SERVICE_OPERATIONS(P, A) \
    VOR_FPTR_MODEM_OPERATIONS(P, A) \
    VOR_FPTR_WIFI_OPERATIONS(P, A) \
    VOR_FPTR_PINPAD_OPERATIONS(P, A) \
    VOR_FPTR_SCANNER_OPERATIONS(P, A) \
    VOR_FPTR_SD_CARD_OPERATIONS(P, A)

// ---- All operations of VOR::IDTOBase ------------------------------------------
#define VOR_DTO_BASE_OPERATIONS(P, A) \
    VOR_FPTR_BASE_OPERATIONS(P, A) \
    VOR_FPTR_SETTINGS_OPERATIONS(P, A)

// ---- Every listed operation --------------------------------------------------
#define VOR_ALL_OPERATIONS(P, A) \
    VOR_DTO_BASE_OPERATIONS(P, A) \
    VOR_FPTR_OPERATIONS(P, A)

// ---- Expanding a property into its member functions ----------------------------
// VOR_PROPERTY_MEMBERS(kind, Name, access, PREFIX) expands to PREFIX_<kind>_R(Name)
// for a getter and PREFIX_<kind>_W(Name) for a setter, so an implementation
// defines ten small macros (INT, DOUBLE, STRING, DATE, TIME; R and W) and
// expands the lists with them.
#define VOR_MEMBERS_R(kind, Name, PREFIX) PREFIX##_##kind##_R(Name)
#define VOR_MEMBERS_W(kind, Name, PREFIX) PREFIX##_##kind##_W(Name)
#define VOR_MEMBERS_RW(kind, Name, PREFIX) PREFIX##_##kind##_R(Name) PREFIX##_##kind##_W(Name)
#define VOR_PROPERTY_MEMBERS(kind, Name, access, PREFIX) VOR_MEMBERS_##access(kind, Name, PREFIX)

#define VOR_PURE_INT_R(Name) virtual int Name(int *value) = 0;
#define VOR_PURE_INT_W(Name) virtual int Name(int value) = 0;
#define VOR_PURE_DOUBLE_R(Name) virtual int Name(double *value) = 0;
#define VOR_PURE_DOUBLE_W(Name) virtual int Name(double value) = 0;
#define VOR_PURE_STRING_R(Name) virtual int Name(wchar_t *buffer, int capacity) = 0;
#define VOR_PURE_STRING_W(Name) virtual int Name(const wchar_t *value) = 0;
#define VOR_PURE_DATE_R(Name) virtual int Name(int *day, int *month, int *year) = 0;
#define VOR_PURE_DATE_W(Name) virtual int Name(int day, int month, int year) = 0;
#define VOR_PURE_TIME_R(Name) virtual int Name(int *hour, int *minute, int *second) = 0;
#define VOR_PURE_TIME_W(Name) virtual int Name(int hour, int minute, int second) = 0;
#define VOR_DECLARE_PURE_PROPERTY(kind, Name, access) \
    VOR_PROPERTY_MEMBERS(kind, Name, access, VOR_PURE)
#define VOR_DECLARE_PURE_ACTION(Name) virtual int Name() = 0;

namespace VOR {

// Base of every driver object: connection, errors and settings.
class IDTOBase
{
public:
    virtual ~IDTOBase() {}

    VOR_DTO_BASE_OPERATIONS(VOR_DECLARE_PURE_PROPERTY, VOR_DECLARE_PURE_ACTION)

    // The caller's main window (a QWidget *), parent of the driver's dialogs.
    virtual int ParentWindow(void *window) = 0;
    // One setting by name: the value, the length it needs as with any string
    // getter; unknown names fail.
    virtual int ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity) = 0;
    virtual int WriteSetting(const wchar_t *name, const wchar_t *value) = 0;
    // The values a setting can take, as a mapping string "key:text;...".
    virtual int ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity) = 0;
};

namespace Fptr {

// A fiscal cash register or receipt printer.
class IFptr : public IDTOBase
{
public:
    VOR_FPTR_OPERATIONS(VOR_DECLARE_PURE_PROPERTY, VOR_DECLARE_PURE_ACTION)

    // Scanner data goes to this handler (null: no handler); see ScannerEnabled.
    virtual int ScannerCallback(VOR::AbstractScannerEventHandler *handler) = 0;
};

} // namespace Fptr
} // namespace VOR

// The library's entry points, resolved by name at run time.
#define VOR_FPTR_INTERFACE_VERSION 15
extern "C" {
typedef VOR::Fptr::IFptr *(*CreateFptrInterfaceFunction)(int version);
typedef int (*ReleaseFptrInterfaceFunction)(VOR::Fptr::IFptr **object);
}
