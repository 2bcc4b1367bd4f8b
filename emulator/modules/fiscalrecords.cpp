#include "modules/fiscalrecords.h"

#include <QJsonArray>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace vreg {

namespace fiscal {

int cashDirection(int receiptType)
{
    switch (receiptType) {
    case Sale:
    case PurchaseReturn:
    case PurchaseAnnulment:
    case IncomeCorrection:
    case ExpenseReturnCorrection:
        return 1;
    default:
        return -1;
    }
}

int operationTypeOfReceipt(int receiptType)
{
    switch (receiptType) {
    case Sale: return 0;
    case Purchase: return 1;
    case SaleReturn: return 2;
    case PurchaseReturn: return 3;
    case IncomeCorrection: return 4;
    case ExpenseCorrection: return 5;
    case IncomeReturnCorrection: return 6;
    case ExpenseReturnCorrection: return 7;
    default: return -1;
    }
}

int receiptTypeOfOperation(int operationType)
{
    for (int type = 1; type <= kReceiptTypes; ++type) {
        if (operationTypeOfReceipt(type) == operationType)
            return type;
    }
    return 0;
}

int calculationSign(int receiptType)
{
    switch (receiptType) {
    case Sale:
    case IncomeCorrection:
        return 1;
    case SaleReturn:
    case IncomeReturnCorrection:
        return 2;
    case Purchase:
    case ExpenseCorrection:
        return 3;
    case PurchaseReturn:
    case ExpenseReturnCorrection:
        return 4;
    default:
        return 0;
    }
}

Money taxOf(Money amount, int taxNumber)
{
    // Prices include the tax: the tax in an amount is amount * r / (100 + r),
    // rounded half up to the kopeck.
    int rate = 0;
    if (taxNumber == 2 || taxNumber == 5)
        rate = 10;
    else if (taxNumber == 3 || taxNumber == 6)
        rate = 20;
    if (rate == 0 || amount <= 0)
        return 0;
    const Money denominator = 100 + rate;
    return (amount * rate * 2 + denominator) / (denominator * 2);
}

} // namespace fiscal

// ---- counters

Tally ReceiptTypeTotals::registrationsTotal() const
{
    Tally total;
    for (const Tally &tally : registrations)
        total.add(tally);
    return total;
}

Tally ReceiptTypeTotals::discountsTotal() const
{
    Tally total;
    for (const Tally &tally : discounts)
        total.add(tally);
    return total;
}

Tally ReceiptTypeTotals::chargesTotal() const
{
    Tally total;
    for (const Tally &tally : charges)
        total.add(tally);
    return total;
}

Money ReceiptTypeTotals::paymentsTotal() const
{
    Money total = 0;
    for (Money amount : payments)
        total += amount;
    return total;
}

Money ReceiptTypeTotals::taxTotal() const
{
    Money total = 0;
    for (Money amount : taxSums)
        total += amount;
    return total;
}

bool ReceiptTypeTotals::isZero() const
{
    return receipts.isZero() && cancelled.isZero() && registrationsTotal().isZero() && storno.isZero()
        && paymentsTotal() == 0 && discountsTotal().isZero() && chargesTotal().isZero();
}

qint64 Counters::receiptCount() const
{
    qint64 count = 0;
    for (const ReceiptTypeTotals &totals : types)
        count += totals.receipts.count;
    return count;
}

void Counters::add(const Counters &other)
{
    for (size_t t = 0; t < types.size(); ++t) {
        ReceiptTypeTotals &mine = types[t];
        const ReceiptTypeTotals &theirs = other.types[t];
        mine.receipts.add(theirs.receipts);
        mine.cancelled.add(theirs.cancelled);
        mine.storno.add(theirs.storno);
        for (size_t i = 0; i < mine.registrations.size(); ++i)
            mine.registrations[i].add(theirs.registrations[i]);
        for (size_t i = 0; i < mine.payments.size(); ++i)
            mine.payments[i] += theirs.payments[i];
        for (size_t i = 0; i < mine.discounts.size(); ++i) {
            mine.discounts[i].add(theirs.discounts[i]);
            mine.charges[i].add(theirs.charges[i]);
        }
        for (size_t i = 0; i < mine.taxSums.size(); ++i) {
            mine.taxTurnover[i] += theirs.taxTurnover[i];
            mine.taxSums[i] += theirs.taxSums[i];
        }
    }
    cashIncome.add(other.cashIncome);
    cashOutcome.add(other.cashOutcome);
}

bool operator==(const Counters &a, const Counters &b)
{
    // Nothing but 64-bit numbers: compared as memory, which every action's
    // store does twice.
    static_assert(std::is_trivially_copyable_v<Counters>);
    static_assert(sizeof(Counters) % sizeof(qint64) == 0);
    return std::memcmp(&a, &b, sizeof(Counters)) == 0;
}

// ---- the receipt

namespace {

// No field of a receipt the register made comes near it: a thousand
// positions of the greatest amount.
constexpr Money kMaxReceiptSum = fiscal::kMaxAmount * 1000;

bool amount(Money m)
{
    return m >= 0 && m <= fiscal::kMaxAmount;
}

Money percentOf(Money base, qint64 hundredthsOfPercent)
{
    // Half up, on non-negative bases.
    return (base * hundredthsOfPercent * 2 + 10000) / 20000;
}

} // namespace

bool Receipt::recompute(QString *error)
{
    for (Position &position : positions)
        position.adjusted = position.sum;

    // Discounts and charges of positions first, each on what its position
    // comes to at that point; then those of the receipt in their order, each
    // on the receipt's running sum.
    for (Adjustment &adjustment : adjustments) {
        if (adjustment.positionId == 0)
            continue;
        Position *target = nullptr;
        for (Position &position : positions) {
            if (position.id == adjustment.positionId)
                target = &position;
        }
        if (!target) {
            *error = QStringLiteral("позиция скидки/надбавки не найдена");
            return false;
        }
        const Money base = target->adjusted;
        adjustment.amount = adjustment.percent ? percentOf(base, adjustment.value) : adjustment.value;
        if (adjustment.amount > base) {
            *error = QStringLiteral("%1 %2 больше суммы позиции «%3»")
                         .arg(adjustment.charge ? QStringLiteral("надбавка") : QStringLiteral("скидка"))
                         .arg(double(adjustment.amount) / 100.0, 0, 'f', 2)
                         .arg(target->name);
            return false;
        }
        target->adjusted += adjustment.charge ? adjustment.amount : -adjustment.amount;
    }

    subtotal = 0;
    for (const Position &position : positions) {
        subtotal += position.adjusted;
        if (subtotal > fiscal::kMaxAmount) {
            *error = QStringLiteral("сумма чека больше 9999999999.99");
            return false;
        }
    }

    Money running = subtotal;
    for (Adjustment &adjustment : adjustments) {
        if (adjustment.positionId != 0)
            continue;
        const Money base = running;
        adjustment.amount = adjustment.percent ? percentOf(base, adjustment.value) : adjustment.value;
        if (adjustment.amount > base) {
            *error = QStringLiteral("%1 %2 больше суммы чека %3")
                         .arg(adjustment.charge ? QStringLiteral("надбавка") : QStringLiteral("скидка"))
                         .arg(double(adjustment.amount) / 100.0, 0, 'f', 2)
                         .arg(double(base) / 100.0, 0, 'f', 2);
            return false;
        }
        running += adjustment.charge ? adjustment.amount : -adjustment.amount;
        if (running > fiscal::kMaxAmount) {
            *error = QStringLiteral("сумма чека больше 9999999999.99");
            return false;
        }
    }
    total = running;

    // The receipt's discounts and charges spread over the positions in
    // proportion to their sums, the last position taking the rounding, so
    // that the positions add up to the total (taxes and departments need it).
    const Money spread = total - subtotal;
    int last = -1;
    for (int i = 0; i < positions.size(); ++i) {
        if (positions[i].adjusted > 0)
            last = i;
    }
    Money given = 0;
    for (int i = 0; i < positions.size(); ++i) {
        Position &position = positions[i];
        Money share = 0;
        if (spread != 0 && subtotal > 0 && position.adjusted > 0) {
            if (i == last) {
                share = spread - given;
            } else {
                const __int128 exact = __int128(spread) * position.adjusted;
                const __int128 half = subtotal / 2;
                share = Money(exact >= 0 ? (exact + half) / subtotal : -((-exact + half) / subtotal));
                given += share;
            }
        }
        position.final = position.adjusted + share;
        if (position.final < 0)
            position.final = 0;
        position.tax = position.givenTax >= 0 ? qMin(position.givenTax, position.final)
                                              : fiscal::taxOf(position.final, position.taxNumber);
    }
    return true;
}

Money Receipt::paid() const
{
    Money sum = 0;
    for (Money amount : payments)
        sum += amount;
    return sum;
}

Money Receipt::remainder() const
{
    return qMax<Money>(0, total - paid());
}

Money Receipt::change() const
{
    return qMax<Money>(0, paid() - total);
}

std::array<Money, fiscal::kTaxNumbers> Receipt::taxTotals() const
{
    std::array<Money, fiscal::kTaxNumbers> sums{};
    for (const Position &position : positions)
        sums[size_t(position.taxNumber)] += position.tax;
    for (const ReceiptTax &tax : taxes)
        sums[size_t(tax.taxNumber)] += tax.amount;
    return sums;
}

const Position *Receipt::position(int id) const
{
    for (const Position &position : positions) {
        if (position.id == id)
            return &position;
    }
    return nullptr;
}

// ---- documents

QString documentKindKey(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Registration: return QStringLiteral("registration");
    case DocumentKind::Reregistration: return QStringLiteral("reregistration");
    case DocumentKind::Activation: return QStringLiteral("activation");
    case DocumentKind::ShiftOpen: return QStringLiteral("shiftOpen");
    case DocumentKind::Receipt: return QStringLiteral("receipt");
    case DocumentKind::CancelledReceipt: return QStringLiteral("cancelledReceipt");
    case DocumentKind::CashIncome: return QStringLiteral("cashIncome");
    case DocumentKind::CashOutcome: return QStringLiteral("cashOutcome");
    case DocumentKind::XReport: return QStringLiteral("xReport");
    case DocumentKind::ZReport: return QStringLiteral("zReport");
    case DocumentKind::ArchiveClose: return QStringLiteral("archiveClose");
    case DocumentKind::Report: return QStringLiteral("report");
    }
    return QString();
}

bool fiscaljson::documentKindOf(const QString &key, DocumentKind *kind)
{
    static const DocumentKind kinds[] = {
        DocumentKind::Registration, DocumentKind::Reregistration, DocumentKind::Activation,
        DocumentKind::ShiftOpen,    DocumentKind::Receipt,        DocumentKind::CancelledReceipt,
        DocumentKind::CashIncome,   DocumentKind::CashOutcome,    DocumentKind::XReport,
        DocumentKind::ZReport,      DocumentKind::ArchiveClose,   DocumentKind::Report,
    };
    for (DocumentKind candidate : kinds) {
        if (documentKindKey(candidate) == key) {
            *kind = candidate;
            return true;
        }
    }
    return false;
}

bool isFiscalKind(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Registration:
    case DocumentKind::Reregistration:
    case DocumentKind::Activation:
    case DocumentKind::ShiftOpen:
    case DocumentKind::Receipt:
    case DocumentKind::ZReport:
    case DocumentKind::ArchiveClose:
        return true;
    default:
        return false;
    }
}

const FiscalTag *FiscalDocument::tag(int number) const
{
    for (const FiscalTag &item : tags) {
        if (item.number == number)
            return &item;
    }
    return nullptr;
}

// ---- the records

bool FiscalRecords::storageActive() const
{
    return !storages.isEmpty() && !storages.last().closed.isValid();
}

bool FiscalRecords::archiveClosed() const
{
    return !storages.isEmpty() && storages.last().closed.isValid();
}

QString FiscalRecords::storageNumber() const
{
    if (storageActive())
        return storages.last().number;
    // The storage waiting to be activated.
    return QStringLiteral("999907890%1").arg(storages.size() + 1, 7, 10, QLatin1Char('0'));
}

int FiscalRecords::lastClosedShift() const
{
    return closedShifts.isEmpty() ? 0 : closedShifts.last().number;
}

void FiscalRecords::resetStorage()
{
    serialNumber.clear();
    taxPassword.clear();
    registrations.clear();
    storages.clear();
    lastFiscal.reset();
    lastReceipt.reset();
    lastDocumentNumber = 0;
    lastFiscalNumber = 0;
}

void FiscalRecords::resetShifts()
{
    shiftOpen = false;
    shift = ShiftRecord();
    closedShifts.clear();
    grand = Counters();
    cash = 0;
    receiptOpen = false;
    receipt = Receipt();
    pendingPositionTags.clear();
    pendingDocumentTags.clear();
    lastChange = 0;
}

// ---- JSON
//
// Sparse: zero sums and empty lists are left out, so that a day's memory
// stays readable in the state file.

namespace {

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

QDateTime timeOf(const QJsonValue &value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODate);
}

Money moneyOf(const QJsonValue &value)
{
    return Money(value.toDouble());
}

QJsonValue tallyJson(const Tally &tally)
{
    return QJsonArray{double(tally.sum), double(tally.count)};
}

Tally tallyOf(const QJsonValue &value)
{
    const QJsonArray array = value.toArray();
    Tally tally;
    tally.sum = Money(array.at(0).toDouble());
    tally.count = qint64(array.at(1).toDouble());
    return tally;
}

template <size_t N>
QJsonObject tallyArrayJson(const std::array<Tally, N> &tallies)
{
    QJsonObject json;
    for (size_t i = 0; i < N; ++i) {
        if (!tallies[i].isZero())
            json.insert(QString::number(i), tallyJson(tallies[i]));
    }
    return json;
}

template <size_t N>
void tallyArrayOf(const QJsonValue &value, std::array<Tally, N> *tallies)
{
    const QJsonObject json = value.toObject();
    for (auto it = json.begin(); it != json.end(); ++it) {
        bool ok = false;
        const int index = it.key().toInt(&ok);
        if (ok && index >= 0 && size_t(index) < N)
            (*tallies)[size_t(index)] = tallyOf(it.value());
    }
}

template <size_t N>
QJsonObject moneyArrayJson(const std::array<Money, N> &sums)
{
    QJsonObject json;
    for (size_t i = 0; i < N; ++i) {
        if (sums[i] != 0)
            json.insert(QString::number(i), double(sums[i]));
    }
    return json;
}

template <size_t N>
void moneyArrayOf(const QJsonValue &value, std::array<Money, N> *sums)
{
    const QJsonObject json = value.toObject();
    for (auto it = json.begin(); it != json.end(); ++it) {
        bool ok = false;
        const int index = it.key().toInt(&ok);
        if (ok && index >= 0 && size_t(index) < N)
            (*sums)[size_t(index)] = moneyOf(it.value());
    }
}

void putTally(QJsonObject &json, const QString &key, const Tally &tally)
{
    if (!tally.isZero())
        json.insert(key, tallyJson(tally));
}

bool countersOf(const QJsonValue &value, Counters *counters, QString *error)
{
    *counters = Counters();
    if (value.isUndefined())
        return true;
    if (!value.isObject()) {
        *error = QStringLiteral("неверные счетчики");
        return false;
    }
    const QJsonObject json = value.toObject();
    const QJsonObject types = json.value(QStringLiteral("types")).toObject();
    for (auto it = types.begin(); it != types.end(); ++it) {
        bool ok = false;
        const int type = it.key().toInt(&ok);
        if (!ok || type < 1 || type > fiscal::kReceiptTypes || !it.value().isObject()) {
            *error = QStringLiteral("неверный тип чека в счетчиках: %1").arg(it.key());
            return false;
        }
        const QJsonObject item = it.value().toObject();
        ReceiptTypeTotals &t = counters->of(type);
        t.receipts = tallyOf(item.value(QStringLiteral("receipts")));
        t.cancelled = tallyOf(item.value(QStringLiteral("cancelled")));
        t.storno = tallyOf(item.value(QStringLiteral("storno")));
        tallyArrayOf(item.value(QStringLiteral("registrations")), &t.registrations);
        moneyArrayOf(item.value(QStringLiteral("payments")), &t.payments);
        tallyArrayOf(item.value(QStringLiteral("discounts")), &t.discounts);
        tallyArrayOf(item.value(QStringLiteral("charges")), &t.charges);
        moneyArrayOf(item.value(QStringLiteral("taxTurnover")), &t.taxTurnover);
        moneyArrayOf(item.value(QStringLiteral("taxSums")), &t.taxSums);
    }
    counters->cashIncome = tallyOf(json.value(QStringLiteral("cashIncome")));
    counters->cashOutcome = tallyOf(json.value(QStringLiteral("cashOutcome")));
    return true;
}

} // namespace

QJsonArray fiscaljson::tags(const QList<FiscalTag> &tags)
{
    QJsonArray array;
    for (const FiscalTag &tag : tags) {
        QJsonObject item{{QStringLiteral("number"), tag.number},
                         {QStringLiteral("type"), tag.type},
                         {QStringLiteral("value"), tag.value}};
        if (tag.print)
            item.insert(QStringLiteral("print"), true);
        if (tag.user)
            item.insert(QStringLiteral("user"), true);
        array.append(item);
    }
    return array;
}

QList<FiscalTag> fiscaljson::tagsOf(const QJsonValue &value)
{
    QList<FiscalTag> tags;
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonObject item = entry.toObject();
        FiscalTag tag;
        tag.number = item.value(QStringLiteral("number")).toInt();
        tag.type = item.value(QStringLiteral("type")).toInt(5);
        tag.value = item.value(QStringLiteral("value")).toString();
        tag.print = item.value(QStringLiteral("print")).toBool();
        tag.user = item.value(QStringLiteral("user")).toBool();
        tags.append(tag);
    }
    return tags;
}

QJsonObject fiscaljson::tallies(const std::array<Tally, fiscal::kDepartments> &tallies)
{
    return tallyArrayJson(tallies);
}

void fiscaljson::talliesOf(const QJsonValue &value, std::array<Tally, fiscal::kDepartments> *tallies)
{
    tallyArrayOf(value, tallies);
}

QJsonObject fiscaljson::receipt(const Receipt &receipt)
{
    QJsonObject json;
    json.insert(QStringLiteral("type"), receipt.type);
    json.insert(QStringLiteral("number"), receipt.number);
    json.insert(QStringLiteral("session"), receipt.session);
    json.insert(QStringLiteral("opened"), timeText(receipt.opened));
    json.insert(QStringLiteral("operator"), receipt.operatorNumber);
    json.insert(QStringLiteral("printed"), receipt.printed);
    json.insert(QStringLiteral("nextPositionId"), receipt.nextPositionId);
    QJsonArray positions;
    for (const Position &p : receipt.positions) {
        QJsonObject item{{QStringLiteral("id"), p.id},
                         {QStringLiteral("name"), p.name},
                         {QStringLiteral("quantity"), double(p.quantity)},
                         {QStringLiteral("price"), double(p.price)},
                         {QStringLiteral("sum"), double(p.sum)},
                         {QStringLiteral("department"), p.department},
                         {QStringLiteral("tax"), p.taxNumber}};
        if (p.sumGiven)
            item.insert(QStringLiteral("sumGiven"), true);
        if (p.givenTax >= 0)
            item.insert(QStringLiteral("givenTax"), double(p.givenTax));
        if (p.positionType)
            item.insert(QStringLiteral("positionType"), p.positionType);
        if (p.positionPaymentType)
            item.insert(QStringLiteral("positionPaymentType"), p.positionPaymentType);
        if (!p.classifier.isEmpty())
            item.insert(QStringLiteral("classifier"), p.classifier);
        if (p.discountInfo)
            item.insert(QStringLiteral("discountInfo"), double(p.discountInfo));
        if (!p.tags.isEmpty())
            item.insert(QStringLiteral("tags"), fiscaljson::tags(p.tags));
        if (!p.printed)
            item.insert(QStringLiteral("printed"), false);
        positions.append(item);
    }
    json.insert(QStringLiteral("positions"), positions);
    QJsonArray adjustments;
    for (const Adjustment &a : receipt.adjustments) {
        adjustments.append(QJsonObject{{QStringLiteral("charge"), a.charge},
                                       {QStringLiteral("percent"), a.percent},
                                       {QStringLiteral("value"), double(a.value)},
                                       {QStringLiteral("number"), a.number},
                                       {QStringLiteral("position"), a.positionId}});
    }
    json.insert(QStringLiteral("adjustments"), adjustments);
    QJsonArray taxes;
    for (const ReceiptTax &tax : receipt.taxes)
        taxes.append(QJsonArray{tax.taxNumber, double(tax.amount)});
    json.insert(QStringLiteral("taxes"), taxes);
    json.insert(QStringLiteral("payments"), moneyArrayJson(receipt.payments));
    json.insert(QStringLiteral("tags"), fiscaljson::tags(receipt.tags));
    json.insert(QStringLiteral("registrations"), tallyArrayJson(receipt.registrations));
    putTally(json, QStringLiteral("storno"), receipt.storno);
    json.insert(QStringLiteral("lines"), QJsonArray::fromStringList(receipt.lines));
    return json;
}

bool fiscaljson::receiptOf(const QJsonValue &value, Receipt *receipt, QString *error)
{
    if (!value.isObject()) {
        *error = QStringLiteral("неверный чек");
        return false;
    }
    const QJsonObject json = value.toObject();
    Receipt r;
    r.type = json.value(QStringLiteral("type")).toInt();
    if (r.type < 1 || r.type > fiscal::kReceiptTypes) {
        *error = QStringLiteral("неверный тип чека %1").arg(r.type);
        return false;
    }
    r.number = json.value(QStringLiteral("number")).toInt();
    r.session = json.value(QStringLiteral("session")).toInt();
    r.opened = timeOf(json.value(QStringLiteral("opened")));
    r.operatorNumber = json.value(QStringLiteral("operator")).toInt();
    r.printed = json.value(QStringLiteral("printed")).toBool(true);
    r.nextPositionId = json.value(QStringLiteral("nextPositionId")).toInt(1);
    for (const QJsonValue &entry : json.value(QStringLiteral("positions")).toArray()) {
        const QJsonObject item = entry.toObject();
        Position p;
        p.id = item.value(QStringLiteral("id")).toInt();
        p.name = item.value(QStringLiteral("name")).toString();
        p.quantity = qint64(item.value(QStringLiteral("quantity")).toDouble());
        p.price = moneyOf(item.value(QStringLiteral("price")));
        p.sum = moneyOf(item.value(QStringLiteral("sum")));
        p.sumGiven = item.value(QStringLiteral("sumGiven")).toBool();
        p.department = item.value(QStringLiteral("department")).toInt();
        p.taxNumber = item.value(QStringLiteral("tax")).toInt(4);
        p.givenTax = item.contains(QStringLiteral("givenTax")) ? moneyOf(item.value(QStringLiteral("givenTax"))) : -1;
        p.positionType = item.value(QStringLiteral("positionType")).toInt();
        p.positionPaymentType = item.value(QStringLiteral("positionPaymentType")).toInt();
        p.classifier = item.value(QStringLiteral("classifier")).toString();
        p.discountInfo = moneyOf(item.value(QStringLiteral("discountInfo")));
        p.tags = fiscaljson::tagsOf(item.value(QStringLiteral("tags")));
        p.printed = item.value(QStringLiteral("printed")).toBool(true);
        if (p.id <= 0 || p.quantity <= 0 || p.quantity > fiscal::kMaxQuantity || !amount(p.price) || !amount(p.sum)
            || (p.givenTax != -1 && !amount(p.givenTax)) || !amount(p.discountInfo) || p.department < 0
            || p.department >= fiscal::kDepartments || p.taxNumber < 1 || p.taxNumber >= fiscal::kTaxNumbers) {
            *error = QStringLiteral("неверная позиция чека");
            return false;
        }
        r.positions.append(p);
    }
    for (const QJsonValue &entry : json.value(QStringLiteral("adjustments")).toArray()) {
        const QJsonObject item = entry.toObject();
        Adjustment a;
        a.charge = item.value(QStringLiteral("charge")).toBool();
        a.percent = item.value(QStringLiteral("percent")).toBool();
        a.value = qint64(item.value(QStringLiteral("value")).toDouble());
        a.number = item.value(QStringLiteral("number")).toInt();
        a.positionId = item.value(QStringLiteral("position")).toInt();
        if (a.number < 0 || a.number >= fiscal::kDiscountNumbers || a.value <= 0 || a.value > fiscal::kMaxAmount
            || (a.percent && a.value > 10000)) {
            *error = QStringLiteral("неверная скидка чека");
            return false;
        }
        r.adjustments.append(a);
    }
    for (const QJsonValue &entry : json.value(QStringLiteral("taxes")).toArray()) {
        const QJsonArray item = entry.toArray();
        ReceiptTax tax{item.at(0).toInt(), Money(item.at(1).toDouble())};
        if (tax.taxNumber < 1 || tax.taxNumber >= fiscal::kTaxNumbers || tax.amount < -kMaxReceiptSum || tax.amount > kMaxReceiptSum) {
            *error = QStringLiteral("неверный налог чека");
            return false;
        }
        r.taxes.append(tax);
    }
    moneyArrayOf(json.value(QStringLiteral("payments")), &r.payments);
    r.tags = fiscaljson::tagsOf(json.value(QStringLiteral("tags")));
    tallyArrayOf(json.value(QStringLiteral("registrations")), &r.registrations);
    r.storno = tallyOf(json.value(QStringLiteral("storno")));
    for (const QJsonValue &line : json.value(QStringLiteral("lines")).toArray())
        r.lines.append(line.toString());
    // Beyond what any action lets in, the receipt's arithmetic would overflow.
    const auto withinSum = [](Money m) { return m >= -kMaxReceiptSum && m <= kMaxReceiptSum; };
    if (!std::all_of(std::begin(r.payments), std::end(r.payments), withinSum)
        || !std::all_of(std::begin(r.registrations), std::end(r.registrations),
                        [&](const Tally &t) { return withinSum(t.sum) && withinSum(t.count); })
        || !withinSum(r.storno.sum) || !withinSum(r.storno.count)) {
        *error = QStringLiteral("сумма чека вне допустимого диапазона");
        return false;
    }
    if (!r.recompute(error))
        return false;
    *receipt = r;
    return true;
}

namespace {

bool shiftOf(const QJsonValue &value, ShiftRecord *shift, QString *error)
{
    if (!value.isObject()) {
        *error = QStringLiteral("неверная запись смены");
        return false;
    }
    const QJsonObject json = value.toObject();
    ShiftRecord s;
    s.number = json.value(QStringLiteral("number")).toInt(-1);
    if (s.number < 0) {
        *error = QStringLiteral("неверный номер смены");
        return false;
    }
    s.opened = timeOf(json.value(QStringLiteral("opened")));
    s.closed = timeOf(json.value(QStringLiteral("closed")));
    s.openedBy = json.value(QStringLiteral("openedBy")).toInt();
    s.closedBy = json.value(QStringLiteral("closedBy")).toInt();
    s.openDocument = qint64(json.value(QStringLiteral("openDocument")).toDouble());
    s.closeDocument = qint64(json.value(QStringLiteral("closeDocument")).toDouble());
    s.receipts = json.value(QStringLiteral("receipts")).toInt();
    s.cashAtOpen = moneyOf(json.value(QStringLiteral("cashAtOpen")));
    if (!countersOf(json.value(QStringLiteral("counters")), &s.counters, error))
        return false;
    *shift = s;
    return true;
}

} // namespace

bool FiscalRecords::storageFromJson(const QJsonObject &json, QString *error, QList<FiscalDocument> *documents)
{
    resetStorage();
    serialNumber = json.value(QStringLiteral("serialNumber")).toString();
    taxPassword = json.value(QStringLiteral("taxPassword")).toString();
    for (const QJsonValue &entry : json.value(QStringLiteral("registrations")).toArray()) {
        const QJsonObject item = entry.toObject();
        Registration r;
        r.number = item.value(QStringLiteral("number")).toInt();
        r.time = timeOf(item.value(QStringLiteral("time")));
        r.inn = item.value(QStringLiteral("inn")).toString();
        r.rnm = item.value(QStringLiteral("rnm")).toString();
        r.session = item.value(QStringLiteral("session")).toInt();
        r.document = qint64(item.value(QStringLiteral("document")).toDouble());
        r.fiscalNumber = qint64(item.value(QStringLiteral("fiscalNumber")).toDouble());
        if (!countersOf(item.value(QStringLiteral("grand")), &r.grandAtRegistration, error))
            return false;
        if (r.number <= 0 || r.inn.isEmpty()) {
            *error = QStringLiteral("неверная запись о регистрации");
            return false;
        }
        registrations.append(r);
    }
    for (const QJsonValue &entry : json.value(QStringLiteral("storages")).toArray()) {
        const QJsonObject item = entry.toObject();
        StorageUnit u;
        u.number = item.value(QStringLiteral("number")).toString();
        u.activation = item.value(QStringLiteral("activation")).toInt();
        u.activated = timeOf(item.value(QStringLiteral("activated")));
        u.session = item.value(QStringLiteral("session")).toInt();
        u.firstFiscalNumber = qint64(item.value(QStringLiteral("firstFiscalNumber")).toDouble());
        u.closed = timeOf(item.value(QStringLiteral("closed")));
        if (u.number.isEmpty() || u.activation <= 0) {
            *error = QStringLiteral("неверная запись об активизации ЭКЛЗ/ФН");
            return false;
        }
        storages.append(u);
    }
    lastDocumentNumber = qint64(json.value(QStringLiteral("lastDocumentNumber")).toDouble());
    lastFiscalNumber = qint64(json.value(QStringLiteral("lastFiscalNumber")).toDouble());
    documents->clear();
    for (const QJsonValue &entry : json.value(QStringLiteral("documents")).toArray()) {
        const QJsonObject item = entry.toObject();
        FiscalDocument d;
        d.number = qint64(item.value(QStringLiteral("number")).toDouble());
        const QString kind = item.value(QStringLiteral("kind")).toString();
        if (!fiscaljson::documentKindOf(kind, &d.kind) || d.number <= 0 || d.number > lastDocumentNumber) {
            *error = QStringLiteral("неверный документ в архиве: %1").arg(kind);
            return false;
        }
        d.fiscalNumber = qint64(item.value(QStringLiteral("fiscalNumber")).toDouble());
        // Through qint64: a negative or larger number wraps instead of being
        // undefined.
        d.fiscalSign = quint32(qint64(item.value(QStringLiteral("fiscalSign")).toDouble()));
        d.fiscalMode = item.value(QStringLiteral("fiscalMode")).toBool();
        d.time = timeOf(item.value(QStringLiteral("time")));
        d.session = item.value(QStringLiteral("session")).toInt();
        d.operatorNumber = item.value(QStringLiteral("operator")).toInt();
        d.total = moneyOf(item.value(QStringLiteral("total")));
        d.receiptType = item.value(QStringLiteral("receiptType")).toInt();
        d.receiptNumber = item.value(QStringLiteral("receiptNumber")).toInt();
        for (const QJsonValue &line : item.value(QStringLiteral("lines")).toArray())
            d.lines.append(line.toString());
        d.tags = fiscaljson::tagsOf(item.value(QStringLiteral("tags")));
        if (item.contains(QStringLiteral("receipt"))) {
            d.hasReceipt = true;
            if (!fiscaljson::receiptOf(item.value(QStringLiteral("receipt")), &d.receipt, error))
                return false;
        }
        if (d.fiscalNumber > 0)
            lastFiscal = d;
        if (d.kind == DocumentKind::Receipt)
            lastReceipt = d;
        documents->append(d);
    }
    return true;
}

bool FiscalRecords::shiftsFromJson(const QJsonObject &json, QString *error)
{
    resetShifts();
    shiftOpen = json.value(QStringLiteral("shiftOpen")).toBool();
    if (json.contains(QStringLiteral("shift")) && !shiftOf(json.value(QStringLiteral("shift")), &shift, error))
        return false;
    for (const QJsonValue &entry : json.value(QStringLiteral("closedShifts")).toArray()) {
        ShiftRecord record;
        if (!shiftOf(entry, &record, error))
            return false;
        closedShifts.append(record);
    }
    if (!countersOf(json.value(QStringLiteral("grand")), &grand, error))
        return false;
    cash = moneyOf(json.value(QStringLiteral("cash")));
    if (cash < 0) {
        *error = QStringLiteral("отрицательная наличность в кассе");
        return false;
    }
    if (json.contains(QStringLiteral("receipt"))) {
        if (!fiscaljson::receiptOf(json.value(QStringLiteral("receipt")), &receipt, error))
            return false;
        receiptOpen = true;
    }
    if (receiptOpen && !shiftOpen) {
        *error = QStringLiteral("открыт чек при закрытой смене");
        return false;
    }
    pendingPositionTags = fiscaljson::tagsOf(json.value(QStringLiteral("pendingPositionTags")));
    pendingDocumentTags = fiscaljson::tagsOf(json.value(QStringLiteral("pendingDocumentTags")));
    lastChange = moneyOf(json.value(QStringLiteral("lastChange")));
    return true;
}

} // namespace vreg
