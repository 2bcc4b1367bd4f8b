#pragma once

// The fiscal memory of the virtual register: shifts, counters, the cash in
// the drawer, the open receipt, the registration and fiscal-storage history
// and the archive of every document. The receipts, fiscal-storage and
// shift-report modules work on one FiscalRecords object; other modules read
// it through services().fiscalRecords (a const pointer, null on a device
// without fiscal memory).
//
// Units: money is kept in kopecks (Money, 64-bit), quantities in thousandths,
// percentages in hundredths of a percent. Times are the device clock's.
//
// Where each register of the bench's list comes from:
//
//   sums and counts by receipt type   Counters::types[ChequeType - 1]
//     (registrations, storno, payments, discounts and charges, taxes,
//     closed and cancelled receipts: ReceiptTypeTotals)
//   the same by operation type        receiptTypeOfOperation() maps the
//                                     bench's OperationType 0..7 to a ChequeType
//   by department                     ReceiptTypeTotals::registrations[0..16]
//   by payment type                   ReceiptTypeTotals::payments[0..9]
//   by tax number                     ReceiptTypeTotals::taxTurnover / taxSums[1..6]
//   by discount number                ReceiptTypeTotals::discounts / charges[0..16]
//   cash deposits and withdrawals     Counters::cashIncome / cashOutcome
//   counter type 2 (resettable)       FiscalRecords::shift.counters (the open or,
//                                     after a Z-report, the new empty shift)
//   counter type 1 (permanent)        FiscalRecords::grand (since the last
//                                     general reset; never cleared by a Z-report)
//   since the last registration       grand minus Registration::grandAtRegistration
//   cash in the drawer                FiscalRecords::cash
//   shift number, open/close times    FiscalRecords::shift, shiftOpen, closedShifts
//                                     (closedShifts keeps each shift's counters:
//                                     the fiscal memory's shift records)
//   open receipt: sum, remainder,     FiscalRecords::receipt (computed fields are
//     change, its taxes               current after every operation)
//   documents: numbers, dates, sums,  the archive in the database, every document
//     fiscal signs, printed lines,    the register issued (FiscalCore reads it;
//     receipts by cashier or hour     receipts keep their Receipt with positions
//                                     and payments); FiscalRecords::lastFiscal
//                                     and lastReceipt
//   ИНН, РНМ, registrations           FiscalRecords::registrations (empty: not fiscalised)
//   fiscal storage (ЭКЛЗ/ФН)          FiscalRecords::storages (activations; the last
//                                     one is the storage in use)
//   serial number                     FiscalRecords::serialNumber

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace vreg {

using Money = qint64; // kopecks

namespace fiscal {

constexpr int kReceiptTypes = 10;    // ChequeType 1..10
constexpr int kPaymentTypes = 10;    // PaymentType 0 (cash) .. 9
constexpr int kDepartments = 17;     // Department 0..16
constexpr int kTaxNumbers = 7;       // TaxNumber 1..6 (index 0 unused)
constexpr int kDiscountNumbers = 17; // DiscountNumber 0..16
constexpr int kMaxRegistrations = 16;
constexpr int kMaxActivations = 20;
constexpr int kMaxShiftRecords = 2500;
constexpr Money kMaxAmount = 999999999999LL;  // 9 999 999 999.99
constexpr qint64 kMaxQuantity = 99999999LL;   // 99 999.999
constexpr int kShiftHours = 24;

// Receipt types, as ChequeType numbers them.
enum ReceiptType {
    Sale = 1,
    SaleReturn = 2,
    SaleAnnulment = 3,
    Purchase = 4,
    PurchaseReturn = 5,
    PurchaseAnnulment = 6,
    IncomeCorrection = 7,
    IncomeReturnCorrection = 8,
    ExpenseCorrection = 9,
    ExpenseReturnCorrection = 10,
};

// +1 when money of a receipt of the type comes into the drawer, -1 when it
// goes out (returns of sales, annulments of sales, purchases...).
int cashDirection(int receiptType);
// The bench's operation type (0 приход, 1 расход, 2 возврат прихода,
// 3 возврат расхода, 4..7 corrections) of a receipt type; -1 for the
// annulments, which have none.
int operationTypeOfReceipt(int receiptType);
// The receipt type of an operation type 0..7; 0 for another value.
int receiptTypeOfOperation(int operationType);
// The calculation sign of the fiscal documents (tag 1054: 1 приход,
// 2 возврат прихода, 3 расход, 4 возврат расхода); 0 for the annulments.
int calculationSign(int receiptType);

// Tax rate of a tax number as numerator over denominator of the included
// tax (20/120 for НДС 20 %); 0 for НДС 0 % and без НДС.
Money taxOf(Money amount, int taxNumber);

} // namespace fiscal

// A sum and how many operations made it.
struct Tally
{
    Money sum = 0;
    qint64 count = 0;
    void add(Money amount)
    {
        sum += amount;
        ++count;
    }
    void add(const Tally &other)
    {
        sum += other.sum;
        count += other.count;
    }
    bool isZero() const { return sum == 0 && count == 0; }
};

// What the receipts of one type added up to.
struct ReceiptTypeTotals
{
    Tally receipts;  // closed receipts and their totals
    Tally cancelled; // cancelled receipts and the totals they had
    // Positions as registered (before storno, discounts and charges), by
    // department; department 0 is "no department".
    std::array<Tally, fiscal::kDepartments> registrations{};
    Tally storno; // storno operations and the sums they took back
    // What was paid by payment type; cash less the change given.
    std::array<Money, fiscal::kPaymentTypes> payments{};
    // Discounts and charges (position and receipt ones) by DiscountNumber.
    std::array<Tally, fiscal::kDiscountNumbers> discounts{};
    std::array<Tally, fiscal::kDiscountNumbers> charges{};
    // By tax number 1..6: the amounts the tax applies to (after discounts)
    // and the tax in them.
    std::array<Money, fiscal::kTaxNumbers> taxTurnover{};
    std::array<Money, fiscal::kTaxNumbers> taxSums{};

    Tally registrationsTotal() const;
    Tally discountsTotal() const;
    Tally chargesTotal() const;
    Money paymentsTotal() const;
    Money taxTotal() const;
    bool isZero() const;
};

struct Counters
{
    std::array<ReceiptTypeTotals, fiscal::kReceiptTypes> types{}; // index ChequeType - 1
    Tally cashIncome;
    Tally cashOutcome;

    const ReceiptTypeTotals &of(int receiptType) const { return types[size_t(receiptType - 1)]; }
    ReceiptTypeTotals &of(int receiptType) { return types[size_t(receiptType - 1)]; }
    // Closed receipts of every type.
    qint64 receiptCount() const;
    void add(const Counters &other);
};

// A tagged value of a fiscal document (a fiscal property): tag number, value
// type (0 raw hexadecimal bytes, 1 0..255, 2 0..65535, 3 0..4294967295,
// 4 Unix time, 5 text) and the value as text.
struct FiscalTag
{
    int number = 0;
    int type = 5;
    QString value;
    bool print = false;
    bool user = false;
};

// A registered position of the open receipt.
struct Position
{
    int id = 0;           // 1, 2, ... in the order of registration
    QString name;
    qint64 quantity = 0;  // thousandths
    Money price = 0;
    Money sum = 0;        // before discounts and charges
    bool sumGiven = false; // PositionSum set the sum
    int department = 0;
    int taxNumber = 4;    // 1..6, the department's tax already resolved
    Money givenTax = -1;  // tax set by the caller (TaxSum, Tax on the position); -1 computed
    int positionType = 0;        // предмет расчета, 0 not given
    int positionPaymentType = 0; // способ расчета, 0 not given
    QString classifier;
    Money discountInfo = 0;      // the discount it carries, for information
    QList<FiscalTag> tags;
    bool printed = true;

    // Computed by Receipt::recompute():
    Money adjusted = 0; // after its own discounts and charges
    Money final = 0;    // after its share of the receipt's discounts and charges
    Money tax = 0;
};

// A discount or charge, on a position (positionId) or the receipt (0).
struct Adjustment
{
    bool charge = false;
    bool percent = false;
    qint64 value = 0; // kopecks, or hundredths of a percent
    int number = 0;   // DiscountNumber
    int positionId = 0;
    Money amount = 0; // computed
};

// A tax registered on the receipt as a whole (Tax with Destination 0).
struct ReceiptTax
{
    int taxNumber = 0;
    Money amount = 0;
};

struct Receipt
{
    int type = 0;
    int number = 0;  // receipt number in the shift
    int session = 0;
    QDateTime opened;
    int operatorNumber = 0;
    bool printed = true;
    int nextPositionId = 1;
    QList<Position> positions;
    QList<Adjustment> adjustments;
    QList<ReceiptTax> taxes;
    std::array<Money, fiscal::kPaymentTypes> payments{};
    QList<FiscalTag> tags; // of the receipt as a whole
    std::array<Tally, fiscal::kDepartments> registrations{}; // as registered
    Tally storno;
    QStringList lines; // the receipt as laid out so far (printed or not)
    // Counts the changes of registered positions (storno, a position's own
    // tax): the memory rewrites the positions then, and only appends them
    // otherwise.
    int positionEdits = 0;

    // Computed by recompute():
    Money subtotal = 0; // positions after their own discounts and charges
    Money total = 0;

    // Applies the discounts and charges in their order and spreads those of
    // the receipt over the positions; false with a reason when one of them
    // is more than its base or a sum overflows.
    bool recompute(QString *error);
    Money paid() const;
    Money remainder() const;
    Money change() const;
    // Taxes by tax number (positions and receipt taxes).
    std::array<Money, fiscal::kTaxNumbers> taxTotals() const;
    const Position *position(int id) const;
};

enum class DocumentKind {
    Registration,     // registration report (fiscal)
    Reregistration,   // report on changed registration data (fiscal)
    Activation,       // activation of a fiscal storage (fiscal)
    ShiftOpen,        // shift-open report (fiscal)
    Receipt,          // a closed receipt, ChequeType in `receiptType` (fiscal)
    CancelledReceipt, // a cancelled receipt
    CashIncome,       // cash deposit
    CashOutcome,      // cash withdrawal
    XReport,          // report without closing the shift
    ZReport,          // shift-close report (fiscal)
    ArchiveClose,     // closing of the fiscal storage's archive (fiscal)
    Report,           // another printed report
};

QString documentKindKey(DocumentKind kind);
bool isFiscalKind(DocumentKind kind);

struct FiscalDocument
{
    qint64 number = 0;       // document number: every document, from 1
    qint64 fiscalNumber = 0; // ФД number of fiscal documents, 0 for the others
    DocumentKind kind = DocumentKind::Report;
    QDateTime time;
    int receiptType = 0;     // receipts: ChequeType
    int session = 0;         // the shift it belongs to, 0 none
    int receiptNumber = 0;   // receipts: number in the shift
    int operatorNumber = 0;
    Money total = 0;         // receipt total, cash amount, or 0
    quint32 fiscalSign = 0;  // fiscal documents: deterministic checksum of the content
    bool fiscalMode = false; // issued by a fiscalised register
    QStringList lines;       // everything the document prints (also when printing was off)
    QList<FiscalTag> tags;   // its fiscal data by tag (1012, 1018, 1040, 1077, 1008...)
    bool hasReceipt = false;
    Receipt receipt;         // receipts and cancelled receipts: the receipt itself

    const FiscalTag *tag(int number) const;
};

struct ShiftRecord
{
    int number = 0;
    QDateTime opened;
    QDateTime closed; // invalid while open
    int openedBy = 0;
    int closedBy = 0;
    qint64 openDocument = 0;  // document numbers of the shift-open and -close reports
    qint64 closeDocument = 0;
    int receipts = 0;         // closed receipts: the last receipt number
    Money cashAtOpen = 0;
    Counters counters;
};

struct Registration
{
    int number = 0; // 1 for the first registration
    QDateTime time;
    QString inn;
    QString rnm;
    int session = 0;          // the last closed shift at registration
    qint64 document = 0;      // document number of its report
    qint64 fiscalNumber = 0;
    Counters grandAtRegistration; // the permanent counters at that moment
};

// A fiscal storage (ЭКЛЗ/ФН) that was activated.
struct StorageUnit
{
    QString number;       // 16 digits
    int activation = 0;   // 1 for the first
    QDateTime activated;
    int session = 0;      // the last closed shift at activation
    qint64 firstFiscalNumber = 0;
    QDateTime closed;     // archive closed; invalid while in use
};

struct FiscalRecords
{
    // ---- identity, registration, fiscal storage (the fiscal-storage module)
    QString serialNumber;
    QString taxPassword;
    QList<Registration> registrations; // empty: not fiscalised
    QList<StorageUnit> storages;       // the last is in use
    qint64 lastDocumentNumber = 0;
    qint64 lastFiscalNumber = 0;
    // The archive of documents lives in the database (FiscalCore reads it);
    // the last fiscal document and the last receipt are kept here too, for
    // the many actions that ask for them.
    std::optional<FiscalDocument> lastFiscal;
    std::optional<FiscalDocument> lastReceipt;

    // ---- shifts, counters, cash, the open receipt (the receipts module)
    bool shiftOpen = false;
    ShiftRecord shift;               // the open shift, or the counters since the last Z-report
    QList<ShiftRecord> closedShifts; // oldest first
    Counters grand;
    Money cash = 0;
    bool receiptOpen = false;
    Receipt receipt;
    QList<FiscalTag> pendingPositionTags; // AddFiscalProperty: for the next position
    QList<FiscalTag> pendingDocumentTags; // WriteFiscalProperty without a receipt
    Money lastChange = 0;                 // change of the last closed receipt

    bool fiscalised() const { return !registrations.isEmpty(); }
    // The storage in use is activated and its archive open.
    bool storageActive() const;
    bool archiveClosed() const;
    QString storageNumber() const; // of the storage in use or to be activated
    int lastClosedShift() const;
    const FiscalDocument *lastFiscalDocument() const { return lastFiscal ? &*lastFiscal : nullptr; }
    const FiscalDocument *lastReceiptDocument() const { return lastReceipt ? &*lastReceipt : nullptr; }

    // Parts kept by the two modules that own them.
    void resetStorage();
    void resetShifts();
    // The sections of a state file of earlier versions; the storage's
    // documents come out separately, for the archive.
    bool storageFromJson(const QJsonObject &json, QString *error, QList<FiscalDocument> *documents);
    bool shiftsFromJson(const QJsonObject &json, QString *error);
};

bool operator==(const Counters &a, const Counters &b);
inline bool operator!=(const Counters &a, const Counters &b)
{
    return !(a == b);
}

// The JSON forms of what the archive keeps in its JSON columns (and the
// state files of earlier versions held).
namespace fiscaljson {
QJsonArray tags(const QList<FiscalTag> &tags);
QList<FiscalTag> tagsOf(const QJsonValue &value);
QJsonObject receipt(const Receipt &receipt);
bool receiptOf(const QJsonValue &value, Receipt *receipt, QString *error);
QJsonObject tallies(const std::array<Tally, fiscal::kDepartments> &tallies);
void talliesOf(const QJsonValue &value, std::array<Tally, fiscal::kDepartments> *tallies);
bool documentKindOf(const QString &key, DocumentKind *kind);
} // namespace fiscaljson

} // namespace vreg
