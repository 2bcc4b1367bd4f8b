#include "modules/fiscalstore.h"

#include <QJsonDocument>

#include <algorithm>

#include <vector>

namespace vreg {

namespace {

const char *const kSchema = R"(
CREATE TABLE IF NOT EXISTS documents (
    number INTEGER PRIMARY KEY,
    fiscal_number INTEGER NOT NULL,
    kind TEXT NOT NULL,
    time TEXT NOT NULL,
    session INTEGER NOT NULL,
    receipt_type INTEGER NOT NULL,
    receipt_number INTEGER NOT NULL,
    operator INTEGER NOT NULL,
    total INTEGER NOT NULL,
    fiscal_sign INTEGER NOT NULL,
    fiscal_mode INTEGER NOT NULL,
    lines TEXT NOT NULL,
    tags TEXT NOT NULL,
    receipt TEXT
);
CREATE INDEX IF NOT EXISTS documents_by_fiscal_number ON documents (fiscal_number) WHERE fiscal_number > 0;
CREATE INDEX IF NOT EXISTS documents_by_kind ON documents (kind, number);
CREATE INDEX IF NOT EXISTS documents_by_session ON documents (session, number);
CREATE TABLE IF NOT EXISTS document_positions (
    document INTEGER NOT NULL,
    id INTEGER NOT NULL,
    name TEXT NOT NULL,
    quantity INTEGER NOT NULL,
    price INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    sum_given INTEGER NOT NULL,
    department INTEGER NOT NULL,
    tax_number INTEGER NOT NULL,
    given_tax INTEGER NOT NULL,
    position_type INTEGER NOT NULL,
    position_payment_type INTEGER NOT NULL,
    classifier TEXT NOT NULL,
    discount_info INTEGER NOT NULL,
    printed INTEGER NOT NULL,
    tags TEXT NOT NULL,
    final INTEGER NOT NULL,
    tax INTEGER NOT NULL,
    PRIMARY KEY (document, id)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS shifts (
    number INTEGER PRIMARY KEY,
    opened TEXT NOT NULL,
    closed TEXT,
    opened_by INTEGER NOT NULL,
    closed_by INTEGER NOT NULL,
    open_document INTEGER NOT NULL,
    close_document INTEGER NOT NULL,
    receipts INTEGER NOT NULL,
    cash_at_open INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS counters (
    scope TEXT NOT NULL,
    ref INTEGER NOT NULL,
    receipt_type INTEGER NOT NULL,
    register TEXT NOT NULL,
    idx INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    count INTEGER NOT NULL,
    PRIMARY KEY (scope, ref, receipt_type, register, idx)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS registrations (
    number INTEGER PRIMARY KEY,
    time TEXT NOT NULL,
    inn TEXT NOT NULL,
    rnm TEXT NOT NULL,
    session INTEGER NOT NULL,
    document INTEGER NOT NULL,
    fiscal_number INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS storages (
    activation INTEGER PRIMARY KEY,
    number TEXT NOT NULL,
    activated TEXT NOT NULL,
    session INTEGER NOT NULL,
    first_fiscal_number INTEGER NOT NULL,
    closed TEXT
);
CREATE TABLE IF NOT EXISTS receipt (
    id INTEGER PRIMARY KEY CHECK (id = 1),
    type INTEGER NOT NULL,
    number INTEGER NOT NULL,
    session INTEGER NOT NULL,
    opened TEXT NOT NULL,
    operator INTEGER NOT NULL,
    printed INTEGER NOT NULL,
    next_position_id INTEGER NOT NULL,
    storno_sum INTEGER NOT NULL,
    storno_count INTEGER NOT NULL,
    tags TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_positions (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    quantity INTEGER NOT NULL,
    price INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    sum_given INTEGER NOT NULL,
    department INTEGER NOT NULL,
    tax_number INTEGER NOT NULL,
    given_tax INTEGER NOT NULL,
    position_type INTEGER NOT NULL,
    position_payment_type INTEGER NOT NULL,
    classifier TEXT NOT NULL,
    discount_info INTEGER NOT NULL,
    printed INTEGER NOT NULL,
    tags TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_registrations (
    department INTEGER PRIMARY KEY,
    sum INTEGER NOT NULL,
    count INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_adjustments (
    seq INTEGER PRIMARY KEY,
    charge INTEGER NOT NULL,
    percent INTEGER NOT NULL,
    value INTEGER NOT NULL,
    number INTEGER NOT NULL,
    position_id INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_taxes (
    seq INTEGER PRIMARY KEY,
    tax_number INTEGER NOT NULL,
    amount INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_payments (
    payment_type INTEGER PRIMARY KEY,
    amount INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS receipt_lines (
    first_line INTEGER PRIMARY KEY,
    lines TEXT NOT NULL
);
)";

const QString kStorageModule = QStringLiteral("fiscalStorage");
const QString kShiftsModule = QStringLiteral("receipts");

// The open receipt is the register's working memory: a power cut may take
// it, as it takes a real register's.
constexpr Durability kWorking = Durability::Working;

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

SqlValue timeValue(const QDateTime &time)
{
    return time.isValid() ? SqlValue(time.toString(Qt::ISODate)) : SqlValue();
}

QDateTime timeOf(const Database::Query &row, int column)
{
    return row.isNull(column) ? QDateTime() : QDateTime::fromString(row.text(column), Qt::ISODate);
}

QString jsonText(const QJsonArray &array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// A JSON array of texts, written directly: the lines of a long receipt are
// thousands, and they are all that most documents hold.
QString jsonLines(const QStringList &lines)
{
    QString json;
    json.reserve(2 + lines.size() * 48);
    json += QLatin1Char('[');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            json += QLatin1Char(',');
        json += QLatin1Char('"');
        for (const QChar c : lines[i]) {
            const char16_t u = c.unicode();
            if (u == '"' || u == '\\') {
                json += QLatin1Char('\\');
                json += c;
            } else if (u < 0x20) {
                json += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
            } else {
                json += c;
            }
        }
        json += QLatin1Char('"');
    }
    json += QLatin1Char(']');
    return json;
}

QString tagsText(const QList<FiscalTag> &tags)
{
    return tags.isEmpty() ? QStringLiteral("[]") : jsonText(fiscaljson::tags(tags));
}

QJsonValue jsonOf(const QString &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    // Numbers no field can take count as text that is not JSON.
    if (!jsonNumbersFit(document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object())))
        return QJsonValue();
    if (document.isArray())
        return document.array();
    if (document.isObject())
        return document.object();
    return QJsonValue();
}

// Two lists alike element by element, by `same`.
template <typename T, typename Same>
bool sameLists(const QList<T> &a, const QList<T> &b, Same same)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

bool sameTags(const QList<FiscalTag> &a, const QList<FiscalTag> &b)
{
    return sameLists(a, b, [](const FiscalTag &x, const FiscalTag &y) {
        return x.number == y.number && x.type == y.type && x.value == y.value && x.print == y.print && x.user == y.user;
    });
}

// The inputs only: the amounts are computed.
bool sameAdjustments(const QList<Adjustment> &a, const QList<Adjustment> &b)
{
    return sameLists(a, b, [](const Adjustment &x, const Adjustment &y) {
        return x.charge == y.charge && x.percent == y.percent && x.value == y.value && x.number == y.number
            && x.positionId == y.positionId;
    });
}

bool sameTaxes(const QList<ReceiptTax> &a, const QList<ReceiptTax> &b)
{
    return sameLists(a, b,
                     [](const ReceiptTax &x, const ReceiptTax &y) { return x.taxNumber == y.taxNumber && x.amount == y.amount; });
}

bool sameHeader(const Receipt &a, const Receipt &b)
{
    return a.type == b.type && a.number == b.number && a.session == b.session && a.opened == b.opened
        && a.operatorNumber == b.operatorNumber && a.printed == b.printed && a.nextPositionId == b.nextPositionId
        && a.storno.sum == b.storno.sum && a.storno.count == b.storno.count && sameTags(a.tags, b.tags);
}

bool sameShift(const ShiftRecord &a, const ShiftRecord &b)
{
    return a.number == b.number && a.opened == b.opened && a.closed == b.closed && a.openedBy == b.openedBy
        && a.closedBy == b.closedBy && a.openDocument == b.openDocument && a.closeDocument == b.closeDocument
        && a.receipts == b.receipts && a.cashAtOpen == b.cashAtOpen;
}

bool sameRegistrations(const QList<Registration> &a, const QList<Registration> &b)
{
    return sameLists(a, b, [](const Registration &x, const Registration &y) {
        return x.number == y.number && x.time == y.time && x.inn == y.inn && x.rnm == y.rnm && x.session == y.session
            && x.document == y.document && x.fiscalNumber == y.fiscalNumber
            && x.grandAtRegistration == y.grandAtRegistration;
    });
}

bool sameStorages(const QList<StorageUnit> &a, const QList<StorageUnit> &b)
{
    return sameLists(a, b, [](const StorageUnit &x, const StorageUnit &y) {
        return x.number == y.number && x.activation == y.activation && x.activated == y.activated
            && x.session == y.session && x.firstFiscalNumber == y.firstFiscalNumber && x.closed == y.closed;
    });
}

// ---- scalars in the key-value table

bool putState(Database &db, const QString &module, const QString &key, const QJsonValue &value,
              Durability durability = Durability::Durable)
{
    return db.write("INSERT OR REPLACE INTO state (module, key, value) VALUES (?, ?, ?)",
                    {module, key, jsonRowText(value)}, durability);
}

bool readState(Database &db, const QString &module, QJsonObject *values, QString *error)
{
    Database::Query rows = db.query("SELECT key, value FROM state WHERE module = ?", {module});
    while (rows.next()) {
        QJsonValue value;
        if (!jsonRowValue(rows.text(1), &value)) {
            *error = QStringLiteral("значение %1 не читается").arg(rows.text(0));
            return false;
        }
        values->insert(rows.text(0), value);
    }
    if (rows.failed()) {
        *error = db.error();
        return false;
    }
    return true;
}

// ---- counters, one row per register cell that is not zero

struct Cell
{
    int receiptType; // 0 for the cash deposits and withdrawals
    const char *name;
    int index;
    Money sum;
    qint64 count;
};

// Every cell of the counters, always in the same order.
std::vector<Cell> cellsOf(const Counters &counters)
{
    std::vector<Cell> cells;
    cells.reserve(800);
    for (int type = 1; type <= fiscal::kReceiptTypes; ++type) {
        const ReceiptTypeTotals &t = counters.of(type);
        cells.push_back({type, "receipts", 0, t.receipts.sum, t.receipts.count});
        cells.push_back({type, "cancelled", 0, t.cancelled.sum, t.cancelled.count});
        cells.push_back({type, "storno", 0, t.storno.sum, t.storno.count});
        for (int i = 0; i < fiscal::kDepartments; ++i)
            cells.push_back({type, "registrations", i, t.registrations[size_t(i)].sum, t.registrations[size_t(i)].count});
        for (int i = 0; i < fiscal::kPaymentTypes; ++i)
            cells.push_back({type, "payments", i, t.payments[size_t(i)], 0});
        for (int i = 0; i < fiscal::kDiscountNumbers; ++i) {
            cells.push_back({type, "discounts", i, t.discounts[size_t(i)].sum, t.discounts[size_t(i)].count});
            cells.push_back({type, "charges", i, t.charges[size_t(i)].sum, t.charges[size_t(i)].count});
        }
        for (int i = 1; i < fiscal::kTaxNumbers; ++i) {
            cells.push_back({type, "tax_turnover", i, t.taxTurnover[size_t(i)], 0});
            cells.push_back({type, "tax_sums", i, t.taxSums[size_t(i)], 0});
        }
    }
    cells.push_back({0, "cash_income", 0, counters.cashIncome.sum, counters.cashIncome.count});
    cells.push_back({0, "cash_outcome", 0, counters.cashOutcome.sum, counters.cashOutcome.count});
    return cells;
}

bool setCell(Counters *counters, int type, const QString &name, int index, Money sum, qint64 count)
{
    const auto tally = [&](Tally &t) {
        t.sum = sum;
        t.count = count;
        return true;
    };
    const auto in = [&](int size) { return index >= 0 && index < size; };
    if (type == 0) {
        if (name == QLatin1String("cash_income") && index == 0)
            return tally(counters->cashIncome);
        if (name == QLatin1String("cash_outcome") && index == 0)
            return tally(counters->cashOutcome);
        return false;
    }
    if (type < 1 || type > fiscal::kReceiptTypes)
        return false;
    ReceiptTypeTotals &t = counters->of(type);
    if (name == QLatin1String("receipts") && index == 0)
        return tally(t.receipts);
    if (name == QLatin1String("cancelled") && index == 0)
        return tally(t.cancelled);
    if (name == QLatin1String("storno") && index == 0)
        return tally(t.storno);
    if (name == QLatin1String("registrations") && in(fiscal::kDepartments))
        return tally(t.registrations[size_t(index)]);
    if (name == QLatin1String("discounts") && in(fiscal::kDiscountNumbers))
        return tally(t.discounts[size_t(index)]);
    if (name == QLatin1String("charges") && in(fiscal::kDiscountNumbers))
        return tally(t.charges[size_t(index)]);
    if (name == QLatin1String("payments") && in(fiscal::kPaymentTypes)) {
        t.payments[size_t(index)] = sum;
        return true;
    }
    if (name == QLatin1String("tax_turnover") && index >= 1 && in(fiscal::kTaxNumbers)) {
        t.taxTurnover[size_t(index)] = sum;
        return true;
    }
    if (name == QLatin1String("tax_sums") && index >= 1 && in(fiscal::kTaxNumbers)) {
        t.taxSums[size_t(index)] = sum;
        return true;
    }
    return false;
}

// Writes the cells of `after` that differ from `before`.
bool storeCounters(Database &db, const QString &scope, qint64 ref, const Counters &before, const Counters &after)
{
    if (before == after)
        return true;
    const std::vector<Cell> old = cellsOf(before);
    const std::vector<Cell> now = cellsOf(after);
    for (size_t i = 0; i < now.size(); ++i) {
        const Cell &cell = now[i];
        if (cell.sum == old[i].sum && cell.count == old[i].count)
            continue;
        const QString name = QString::fromLatin1(cell.name);
        const bool ok = cell.sum == 0 && cell.count == 0
            ? db.write("DELETE FROM counters WHERE scope = ? AND ref = ? AND receipt_type = ? AND register = ? AND idx = ?",
                       {scope, ref, cell.receiptType, name, cell.index})
            : db.write("INSERT OR REPLACE INTO counters (scope, ref, receipt_type, register, idx, sum, count) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)",
                       {scope, ref, cell.receiptType, name, cell.index, cell.sum, cell.count});
        if (!ok)
            return false;
    }
    return true;
}

// The counters of a scope, by ref.
bool readCounters(Database &db, const QString &scope, QHash<qint64, Counters> *counters, QString *error)
{
    Database::Query rows = db.query(
        "SELECT ref, receipt_type, register, idx, sum, count FROM counters WHERE scope = ?", {scope});
    while (rows.next()) {
        Counters &target = (*counters)[rows.integer(0)];
        if (!setCell(&target, int(rows.integer(1)), rows.text(2), int(rows.integer(3)), rows.integer(4),
                     rows.integer(5))) {
            *error = QStringLiteral("неверный счетчик %1 %2[%3]").arg(scope, rows.text(2)).arg(rows.integer(3));
            return false;
        }
    }
    if (rows.failed()) {
        *error = db.error();
        return false;
    }
    return true;
}

bool storeShiftRow(Database &db, const ShiftRecord &shift)
{
    return db.write("INSERT OR REPLACE INTO shifts (number, opened, closed, opened_by, closed_by, open_document, "
                    "close_document, receipts, cash_at_open) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {shift.number, timeText(shift.opened), timeValue(shift.closed), shift.openedBy, shift.closedBy,
                     shift.openDocument, shift.closeDocument, shift.receipts, shift.cashAtOpen});
}

bool storePosition(Database &db, const Position &p)
{
    return db.write("INSERT OR REPLACE INTO receipt_positions (id, name, quantity, price, sum, sum_given, department, "
                    "tax_number, given_tax, position_type, position_payment_type, classifier, discount_info, printed, "
                    "tags) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {p.id, p.name, p.quantity, p.price, p.sum, p.sumGiven, p.department, p.taxNumber, p.givenTax,
                     p.positionType, p.positionPaymentType, p.classifier, p.discountInfo, p.printed, tagsText(p.tags)},
                    kWorking);
}

bool storeDocumentPosition(Database &db, qint64 document, const Position &p)
{
    return db.write("INSERT INTO document_positions (document, id, name, quantity, price, sum, sum_given, department, "
                    "tax_number, given_tax, position_type, position_payment_type, classifier, discount_info, printed, "
                    "tags, final, tax) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {document, p.id, p.name, p.quantity, p.price, p.sum, p.sumGiven, p.department, p.taxNumber,
                     p.givenTax, p.positionType, p.positionPaymentType, p.classifier, p.discountInfo, p.printed,
                     tagsText(p.tags), p.final, p.tax});
}

// The columns of a position row from `first` on (receipt_positions and
// document_positions have them in the same order), in the receipt's JSON
// form, which checks them when the receipt is read.
QJsonObject positionJson(const Database::Query &rows, int first)
{
    QJsonObject p{{QStringLiteral("id"), int(rows.integer(first))},
                  {QStringLiteral("name"), rows.text(first + 1)},
                  {QStringLiteral("quantity"), double(rows.integer(first + 2))},
                  {QStringLiteral("price"), double(rows.integer(first + 3))},
                  {QStringLiteral("sum"), double(rows.integer(first + 4))},
                  {QStringLiteral("sumGiven"), rows.integer(first + 5) != 0},
                  {QStringLiteral("department"), int(rows.integer(first + 6))},
                  {QStringLiteral("tax"), int(rows.integer(first + 7))},
                  {QStringLiteral("positionType"), int(rows.integer(first + 9))},
                  {QStringLiteral("positionPaymentType"), int(rows.integer(first + 10))},
                  {QStringLiteral("classifier"), rows.text(first + 11)},
                  {QStringLiteral("discountInfo"), double(rows.integer(first + 12))},
                  {QStringLiteral("printed"), rows.integer(first + 13) != 0},
                  {QStringLiteral("tags"), jsonOf(rows.text(first + 14))}};
    if (rows.integer(first + 8) >= 0)
        p.insert(QStringLiteral("givenTax"), double(rows.integer(first + 8)));
    return p;
}

const char *const kPositionColumns = "id, name, quantity, price, sum, sum_given, department, tax_number, given_tax, "
                                     "position_type, position_payment_type, classifier, discount_info, printed, tags";

const char *const kDocumentColumns =
    "number, fiscal_number, kind, time, session, receipt_type, receipt_number, operator, total, fiscal_sign, "
    "fiscal_mode, lines, tags, receipt";

std::optional<FiscalDocument> documentOf(Database &db, const Database::Query &row)
{
    FiscalDocument d;
    d.number = row.integer(0);
    d.fiscalNumber = row.integer(1);
    if (!fiscaljson::documentKindOf(row.text(2), &d.kind))
        return std::nullopt;
    d.time = timeOf(row, 3);
    d.session = int(row.integer(4));
    d.receiptType = int(row.integer(5));
    d.receiptNumber = int(row.integer(6));
    d.operatorNumber = int(row.integer(7));
    d.total = row.integer(8);
    d.fiscalSign = quint32(row.integer(9));
    d.fiscalMode = row.integer(10) != 0;
    const QJsonValue lines = jsonOf(row.text(11));
    if (!lines.isArray())
        return std::nullopt;
    for (const QJsonValue &line : lines.toArray())
        d.lines.append(line.toString());
    d.tags = fiscaljson::tagsOf(jsonOf(row.text(12)));
    if (!row.isNull(13)) {
        // The receipt's positions are rows of their own.
        QJsonObject receipt = jsonOf(row.text(13)).toObject();
        QJsonArray positions;
        static const QByteArray sql =
            QStringLiteral("SELECT %1 FROM document_positions WHERE document = ? ORDER BY id")
                .arg(QLatin1String(kPositionColumns))
                .toUtf8();
        Database::Query rows = db.query(sql.constData(), {d.number});
        while (rows.next())
            positions.append(positionJson(rows, 0));
        receipt.insert(QStringLiteral("positions"), positions);
        d.hasReceipt = true;
        QString error;
        // The columns are whole numbers, but the receipt is read through JSON:
        // one beyond a double's exact range would not come back.
        if (rows.failed() || !jsonNumbersFit(receipt) || !fiscaljson::receiptOf(receipt, &d.receipt, &error))
            return std::nullopt;
    }
    return d;
}

// The first document a query finds; none for no row or a row that is not a
// document. `failed` tells the two apart from a database that fails.
std::optional<FiscalDocument> documentWhere(Database &db, const QString &where, std::initializer_list<SqlValue> args,
                                            bool *failed = nullptr)
{
    const QByteArray sql = QStringLiteral("SELECT %1 FROM documents %2 LIMIT 1")
                               .arg(QLatin1String(kDocumentColumns), where)
                               .toUtf8();
    Database::Query row = db.query(sql.constData(), args);
    std::optional<FiscalDocument> document;
    bool found = row.next();
    if (found) {
        document = documentOf(db, row);
        while (row.next()) {
        }
    }
    if (failed)
        *failed = row.failed() || (found && !document);
    return document;
}

} // namespace

const char *FiscalStore::schema()
{
    return kSchema;
}

void FiscalStore::forgetStorage()
{
    m_storage = StoredStorage();
}

void FiscalStore::forgetShifts()
{
    m_shifts = StoredShifts();
}

void FiscalStore::importDocuments(QList<FiscalDocument> documents)
{
    m_imported = std::move(documents);
}

// ---- the fiscal-storage part

bool FiscalStore::loadStorage(Database &db, FiscalRecords *records, QString *error)
{
    FiscalRecords &r = *records;
    QJsonObject values;
    if (!readState(db, kStorageModule, &values, error))
        return false;
    r.serialNumber = values.value(QStringLiteral("serialNumber")).toString();
    r.taxPassword = values.value(QStringLiteral("taxPassword")).toString();
    r.lastDocumentNumber = qint64(values.value(QStringLiteral("lastDocumentNumber")).toDouble());
    r.lastFiscalNumber = qint64(values.value(QStringLiteral("lastFiscalNumber")).toDouble());
    if (r.lastDocumentNumber < 0 || r.lastFiscalNumber < 0 || r.lastFiscalNumber > r.lastDocumentNumber) {
        *error = QStringLiteral("неверные номера документов");
        return false;
    }

    QHash<qint64, Counters> grand;
    if (!readCounters(db, QStringLiteral("registration"), &grand, error))
        return false;
    Database::Query regs = db.query(
        "SELECT number, time, inn, rnm, session, document, fiscal_number FROM registrations ORDER BY number");
    while (regs.next()) {
        Registration reg;
        reg.number = int(regs.integer(0));
        reg.time = timeOf(regs, 1);
        reg.inn = regs.text(2);
        reg.rnm = regs.text(3);
        reg.session = int(regs.integer(4));
        reg.document = regs.integer(5);
        reg.fiscalNumber = regs.integer(6);
        reg.grandAtRegistration = grand.value(reg.number);
        if (reg.number <= 0 || reg.inn.isEmpty() || r.registrations.size() >= fiscal::kMaxRegistrations) {
            *error = QStringLiteral("неверная запись о регистрации");
            return false;
        }
        r.registrations.append(reg);
    }
    Database::Query units = db.query(
        "SELECT activation, number, activated, session, first_fiscal_number, closed FROM storages ORDER BY activation");
    while (units.next()) {
        StorageUnit u;
        u.activation = int(units.integer(0));
        u.number = units.text(1);
        u.activated = timeOf(units, 2);
        u.session = int(units.integer(3));
        u.firstFiscalNumber = units.integer(4);
        u.closed = timeOf(units, 5);
        if (u.number.isEmpty() || u.activation <= 0 || r.storages.size() >= fiscal::kMaxActivations) {
            *error = QStringLiteral("неверная запись об активизации ЭКЛЗ/ФН");
            return false;
        }
        r.storages.append(u);
    }
    if (regs.failed() || units.failed()) {
        *error = db.error();
        return false;
    }

    bool failed = false;
    r.lastFiscal = documentWhere(db, QStringLiteral("WHERE fiscal_number > 0 ORDER BY number DESC"), {}, &failed);
    if (!failed)
        r.lastReceipt = documentWhere(db, QStringLiteral("WHERE kind = 'receipt' ORDER BY number DESC"), {}, &failed);
    if (failed) {
        *error = db.failed() ? db.error() : QStringLiteral("неверный документ в архиве");
        return false;
    }

    m_storage.valid = true;
    m_storage.serialNumber = r.serialNumber;
    m_storage.taxPassword = r.taxPassword;
    m_storage.lastDocumentNumber = r.lastDocumentNumber;
    m_storage.lastFiscalNumber = r.lastFiscalNumber;
    m_storage.registrations = r.registrations;
    m_storage.storages = r.storages;
    m_imported.clear();
    return true;
}

bool FiscalStore::storeStorage(Database &db, const FiscalRecords &r)
{
    StoredStorage &s = m_storage;
    const bool all = !s.valid;
    for (const FiscalDocument &document : std::as_const(m_imported)) {
        if (!append(db, document))
            return false;
    }
    m_imported.clear();
    if ((all || s.serialNumber != r.serialNumber) && !putState(db, kStorageModule, QStringLiteral("serialNumber"), r.serialNumber))
        return false;
    if ((all || s.taxPassword != r.taxPassword) && !putState(db, kStorageModule, QStringLiteral("taxPassword"), r.taxPassword))
        return false;
    if ((all || s.lastDocumentNumber != r.lastDocumentNumber)
        && !putState(db, kStorageModule, QStringLiteral("lastDocumentNumber"), double(r.lastDocumentNumber)))
        return false;
    if ((all || s.lastFiscalNumber != r.lastFiscalNumber)
        && !putState(db, kStorageModule, QStringLiteral("lastFiscalNumber"), double(r.lastFiscalNumber)))
        return false;
    if (all || !sameRegistrations(s.registrations, r.registrations)) {
        // Rare (a registration, a reset): written anew.
        if (!db.write("DELETE FROM registrations") || !db.write("DELETE FROM counters WHERE scope = 'registration'"))
            return false;
        for (const Registration &reg : r.registrations) {
            if (!db.write("INSERT INTO registrations (number, time, inn, rnm, session, document, fiscal_number) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?)",
                          {reg.number, timeText(reg.time), reg.inn, reg.rnm, reg.session, reg.document, reg.fiscalNumber})
                || !storeCounters(db, QStringLiteral("registration"), reg.number, Counters(), reg.grandAtRegistration))
                return false;
        }
    }
    if (all || !sameStorages(s.storages, r.storages)) {
        if (!db.write("DELETE FROM storages"))
            return false;
        for (const StorageUnit &u : r.storages) {
            if (!db.write("INSERT INTO storages (activation, number, activated, session, first_fiscal_number, closed) "
                          "VALUES (?, ?, ?, ?, ?, ?)",
                          {u.activation, u.number, timeText(u.activated), u.session, u.firstFiscalNumber,
                           timeValue(u.closed)}))
                return false;
        }
    }
    s.valid = true;
    s.serialNumber = r.serialNumber;
    s.taxPassword = r.taxPassword;
    s.lastDocumentNumber = r.lastDocumentNumber;
    s.lastFiscalNumber = r.lastFiscalNumber;
    s.registrations = r.registrations;
    s.storages = r.storages;
    return true;
}

// ---- the receipts part

bool FiscalStore::loadShifts(Database &db, FiscalRecords *records, QString *error)
{
    FiscalRecords &r = *records;
    QJsonObject values;
    if (!readState(db, kShiftsModule, &values, error))
        return false;
    r.shiftOpen = values.value(QStringLiteral("shiftOpen")).toBool();
    r.cash = Money(values.value(QStringLiteral("cash")).toDouble());
    r.lastChange = Money(values.value(QStringLiteral("lastChange")).toDouble());
    r.pendingPositionTags = fiscaljson::tagsOf(values.value(QStringLiteral("pendingPositionTags")));
    r.pendingDocumentTags = fiscaljson::tagsOf(values.value(QStringLiteral("pendingDocumentTags")));
    if (r.cash < 0) {
        *error = QStringLiteral("отрицательная наличность в кассе");
        return false;
    }

    QHash<qint64, Counters> counters;
    if (!readCounters(db, QStringLiteral("shift"), &counters, error))
        return false;
    QHash<qint64, Counters> grand;
    if (!readCounters(db, QStringLiteral("grand"), &grand, error))
        return false;
    r.grand = grand.value(0);

    Database::Query shifts = db.query("SELECT number, opened, closed, opened_by, closed_by, open_document, "
                                      "close_document, receipts, cash_at_open FROM shifts ORDER BY number");
    bool current = false;
    while (shifts.next()) {
        ShiftRecord s;
        s.number = int(shifts.integer(0));
        s.opened = timeOf(shifts, 1);
        s.closed = timeOf(shifts, 2);
        s.openedBy = int(shifts.integer(3));
        s.closedBy = int(shifts.integer(4));
        s.openDocument = shifts.integer(5);
        s.closeDocument = shifts.integer(6);
        s.receipts = int(shifts.integer(7));
        s.cashAtOpen = shifts.integer(8);
        s.counters = counters.value(s.number);
        if (s.number <= 0 || current || r.closedShifts.size() >= fiscal::kMaxShiftRecords
            || (!r.closedShifts.isEmpty() && s.number <= r.closedShifts.last().number)) {
            *error = QStringLiteral("неверная запись смены %1").arg(s.number);
            return false;
        }
        if (s.closed.isValid()) {
            r.closedShifts.append(s);
        } else {
            r.shift = s;
            current = true;
        }
    }
    if (shifts.failed()) {
        *error = db.error();
        return false;
    }
    if (current != r.shiftOpen) {
        *error = QStringLiteral("открытая смена не совпадает с записями смен");
        return false;
    }

    // The open receipt, checked as the old state file's was.
    Database::Query head = db.query("SELECT type, number, session, opened, operator, printed, next_position_id, "
                                    "storno_sum, storno_count, tags FROM receipt WHERE id = 1");
    if (head.next()) {
        QJsonObject json{{QStringLiteral("type"), int(head.integer(0))},
                         {QStringLiteral("number"), int(head.integer(1))},
                         {QStringLiteral("session"), int(head.integer(2))},
                         {QStringLiteral("opened"), head.text(3)},
                         {QStringLiteral("operator"), int(head.integer(4))},
                         {QStringLiteral("printed"), head.integer(5) != 0},
                         {QStringLiteral("nextPositionId"), int(head.integer(6))},
                         {QStringLiteral("storno"), QJsonArray{double(head.integer(7)), double(head.integer(8))}},
                         {QStringLiteral("tags"), jsonOf(head.text(9))}};
        while (head.next()) {
        }
        QJsonObject registrations;
        Database::Query registered = db.query("SELECT department, sum, count FROM receipt_registrations");
        while (registered.next()) {
            registrations.insert(QString::number(registered.integer(0)),
                                 QJsonArray{double(registered.integer(1)), double(registered.integer(2))});
        }
        json.insert(QStringLiteral("registrations"), registrations);
        QJsonArray positions;
        static const QByteArray positionsSql =
            QStringLiteral("SELECT %1 FROM receipt_positions ORDER BY id").arg(QLatin1String(kPositionColumns)).toUtf8();
        Database::Query rows = db.query(positionsSql.constData());
        while (rows.next())
            positions.append(positionJson(rows, 0));
        json.insert(QStringLiteral("positions"), positions);
        QJsonArray adjustments;
        Database::Query adj = db.query(
            "SELECT charge, percent, value, number, position_id FROM receipt_adjustments ORDER BY seq");
        while (adj.next()) {
            adjustments.append(QJsonObject{{QStringLiteral("charge"), adj.integer(0) != 0},
                                           {QStringLiteral("percent"), adj.integer(1) != 0},
                                           {QStringLiteral("value"), double(adj.integer(2))},
                                           {QStringLiteral("number"), int(adj.integer(3))},
                                           {QStringLiteral("position"), int(adj.integer(4))}});
        }
        json.insert(QStringLiteral("adjustments"), adjustments);
        QJsonArray taxes;
        Database::Query tax = db.query("SELECT tax_number, amount FROM receipt_taxes ORDER BY seq");
        while (tax.next())
            taxes.append(QJsonArray{int(tax.integer(0)), double(tax.integer(1))});
        json.insert(QStringLiteral("taxes"), taxes);
        QJsonObject payments;
        Database::Query pay = db.query("SELECT payment_type, amount FROM receipt_payments");
        while (pay.next())
            payments.insert(QString::number(pay.integer(0)), double(pay.integer(1)));
        json.insert(QStringLiteral("payments"), payments);
        QJsonArray lines;
        Database::Query line = db.query("SELECT first_line, lines FROM receipt_lines ORDER BY first_line");
        while (line.next()) {
            if (line.integer(0) != lines.size()) {
                *error = QStringLiteral("строки чека с %1 не по порядку").arg(line.integer(0));
                return false;
            }
            for (const QJsonValue &text : jsonOf(line.text(1)).toArray())
                lines.append(text.toString());
        }
        json.insert(QStringLiteral("lines"), lines);
        if (rows.failed() || registered.failed() || adj.failed() || tax.failed() || pay.failed() || line.failed()) {
            *error = db.error();
            return false;
        }
        if (!jsonNumbersFit(json)) {
            *error = QStringLiteral("число вне допустимого диапазона в открытом чеке");
            return false;
        }
        if (!fiscaljson::receiptOf(json, &r.receipt, error))
            return false;
        r.receiptOpen = true;
    }
    if (head.failed()) {
        *error = db.error();
        return false;
    }
    if (r.receiptOpen && !r.shiftOpen) {
        *error = QStringLiteral("открыт чек при закрытой смене");
        return false;
    }

    StoredShifts &s = m_shifts;
    s = StoredShifts();
    s.valid = true;
    s.shiftOpen = r.shiftOpen;
    s.cash = r.cash;
    s.lastChange = r.lastChange;
    if (r.shiftOpen)
        s.shift = r.shift;
    s.closedShifts = int(r.closedShifts.size());
    s.grand = r.grand;
    s.pendingPositionTags = r.pendingPositionTags;
    s.pendingDocumentTags = r.pendingDocumentTags;
    if (r.receiptOpen) {
        s.receipt.open = true;
        s.receipt.header = r.receipt;
        s.receipt.header.positions.clear();
        s.receipt.header.adjustments.clear();
        s.receipt.header.taxes.clear();
        s.receipt.header.lines.clear();
        s.receipt.positions = int(r.receipt.positions.size());
        s.receipt.positionEdits = r.receipt.positionEdits;
        s.receipt.lines = int(r.receipt.lines.size());
        s.receipt.adjustments = r.receipt.adjustments;
        s.receipt.taxes = r.receipt.taxes;
    }
    return true;
}

bool FiscalStore::storeShifts(Database &db, const FiscalRecords &r)
{
    StoredShifts &s = m_shifts;
    const bool all = !s.valid;
    if ((all || s.shiftOpen != r.shiftOpen) && !putState(db, kShiftsModule, QStringLiteral("shiftOpen"), r.shiftOpen))
        return false;
    if ((all || s.cash != r.cash) && !putState(db, kShiftsModule, QStringLiteral("cash"), double(r.cash)))
        return false;
    if ((all || s.lastChange != r.lastChange)
        && !putState(db, kShiftsModule, QStringLiteral("lastChange"), double(r.lastChange)))
        return false;
    if ((all || !sameTags(s.pendingPositionTags, r.pendingPositionTags))
        && !putState(db, kShiftsModule, QStringLiteral("pendingPositionTags"), fiscaljson::tags(r.pendingPositionTags),
                     kWorking))
        return false;
    if ((all || !sameTags(s.pendingDocumentTags, r.pendingDocumentTags))
        && !putState(db, kShiftsModule, QStringLiteral("pendingDocumentTags"), fiscaljson::tags(r.pendingDocumentTags),
                     kWorking))
        return false;

    // Shift records: appended by Z-reports, all gone after a reset.
    static const ShiftRecord none;
    bool rewritten = all || r.closedShifts.size() < s.closedShifts;
    if (rewritten) {
        if (!db.write("DELETE FROM shifts") || !db.write("DELETE FROM counters WHERE scope = 'shift'"))
            return false;
        s.closedShifts = 0;
        s.shift = ShiftRecord();
    }
    for (qsizetype i = s.closedShifts; i < r.closedShifts.size(); ++i) {
        const ShiftRecord &closed = r.closedShifts[i];
        // The shift's counters were stored while it was open.
        const Counters &before = s.shift.number == closed.number ? s.shift.counters : none.counters;
        if (!storeShiftRow(db, closed) || !storeCounters(db, QStringLiteral("shift"), closed.number, before, closed.counters))
            return false;
    }
    if (r.shiftOpen) {
        const bool same = s.shift.number == r.shift.number;
        if ((!same || !sameShift(s.shift, r.shift)) && !storeShiftRow(db, r.shift))
            return false;
        if (!storeCounters(db, QStringLiteral("shift"), r.shift.number, same ? s.shift.counters : none.counters,
                           r.shift.counters))
            return false;
    }
    if (!storeCounters(db, QStringLiteral("grand"), 0, all ? Counters() : s.grand, r.grand))
        return false;
    if (!storeReceipt(db, r))
        return false;

    s.valid = true;
    s.shiftOpen = r.shiftOpen;
    s.cash = r.cash;
    s.lastChange = r.lastChange;
    s.pendingPositionTags = r.pendingPositionTags;
    s.pendingDocumentTags = r.pendingDocumentTags;
    s.closedShifts = int(r.closedShifts.size());
    // Ten kilobytes of counters each: copied only when they changed.
    if (!r.shiftOpen) {
        if (s.shift.number != 0)
            s.shift = ShiftRecord();
    } else if (!sameShift(s.shift, r.shift) || s.shift.counters != r.shift.counters)
        s.shift = r.shift;
    if (s.grand != r.grand)
        s.grand = r.grand;
    return true;
}

bool FiscalStore::writeReceipt(Database &db, const Receipt &receipt)
{
    return db.write("INSERT OR REPLACE INTO receipt (id, type, number, session, opened, operator, printed, "
                    "next_position_id, storno_sum, storno_count, tags) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {receipt.type, receipt.number, receipt.session, timeText(receipt.opened), receipt.operatorNumber,
                     receipt.printed, receipt.nextPositionId, receipt.storno.sum, receipt.storno.count,
                     tagsText(receipt.tags)},
                    kWorking);
}

bool FiscalStore::storeReceipt(Database &db, const FiscalRecords &r)
{
    StoredReceipt &s = m_shifts.receipt;
    const bool all = !m_shifts.valid;
    if (!r.receiptOpen) {
        if (!s.open && !all)
            return true;
        for (const char *sql : {"DELETE FROM receipt", "DELETE FROM receipt_positions", "DELETE FROM receipt_registrations",
                                "DELETE FROM receipt_adjustments", "DELETE FROM receipt_taxes", "DELETE FROM receipt_payments",
                                "DELETE FROM receipt_lines"}) {
            if (!db.write(sql, {}, kWorking))
                return false;
        }
        s = StoredReceipt();
        return true;
    }

    const Receipt &receipt = r.receipt;
    // Another receipt than the one stored: written from the start.
    const bool fresh = all || !s.open || s.header.number != receipt.number || s.header.session != receipt.session
        || s.header.opened != receipt.opened;
    if (fresh) {
        for (const char *sql : {"DELETE FROM receipt_positions", "DELETE FROM receipt_registrations",
                                "DELETE FROM receipt_adjustments", "DELETE FROM receipt_taxes", "DELETE FROM receipt_payments",
                                "DELETE FROM receipt_lines"}) {
            if (!db.write(sql, {}, kWorking))
                return false;
        }
        s = StoredReceipt();
    }
    if (fresh || !sameHeader(s.header, receipt)) {
        // A sale moves only the next position's number: one column.
        Receipt moved = s.header;
        moved.nextPositionId = receipt.nextPositionId;
        const bool onlyNext = !fresh && sameHeader(moved, receipt);
        if (onlyNext ? !db.write("UPDATE receipt SET next_position_id = ? WHERE id = 1", {receipt.nextPositionId}, kWorking)
                     : !writeReceipt(db, receipt))
            return false;
    }

    const qsizetype positions = receipt.positions.size();
    qsizetype from = s.positions;
    if (s.positionEdits != receipt.positionEdits || positions < s.positions) {
        if (!db.write("DELETE FROM receipt_positions", {}, kWorking))
            return false;
        from = 0;
    }
    for (qsizetype i = from; i < positions; ++i) {
        if (!storePosition(db, receipt.positions[i]))
            return false;
    }

    for (int d = 0; d < fiscal::kDepartments; ++d) {
        const Tally &now = receipt.registrations[size_t(d)];
        const Tally &before = s.header.registrations[size_t(d)];
        if (now.sum == before.sum && now.count == before.count)
            continue;
        const bool ok = now.isZero()
            ? db.write("DELETE FROM receipt_registrations WHERE department = ?", {d}, kWorking)
            : db.write("INSERT OR REPLACE INTO receipt_registrations (department, sum, count) VALUES (?, ?, ?)",
                       {d, now.sum, now.count}, kWorking);
        if (!ok)
            return false;
    }
    if (!sameAdjustments(s.adjustments, receipt.adjustments)) {
        if (!db.write("DELETE FROM receipt_adjustments", {}, kWorking))
            return false;
        for (qsizetype i = 0; i < receipt.adjustments.size(); ++i) {
            const Adjustment &a = receipt.adjustments[i];
            if (!db.write("INSERT INTO receipt_adjustments (seq, charge, percent, value, number, position_id) "
                          "VALUES (?, ?, ?, ?, ?, ?)",
                          {qint64(i), a.charge, a.percent, a.value, a.number, a.positionId}, kWorking))
                return false;
        }
    }
    if (!sameTaxes(s.taxes, receipt.taxes)) {
        if (!db.write("DELETE FROM receipt_taxes", {}, kWorking))
            return false;
        for (qsizetype i = 0; i < receipt.taxes.size(); ++i) {
            if (!db.write("INSERT INTO receipt_taxes (seq, tax_number, amount) VALUES (?, ?, ?)",
                          {qint64(i), receipt.taxes[i].taxNumber, receipt.taxes[i].amount}, kWorking))
                return false;
        }
    }
    for (int type = 0; type < fiscal::kPaymentTypes; ++type) {
        const Money amount = receipt.payments[size_t(type)];
        if (amount == s.header.payments[size_t(type)])
            continue;
        const bool ok = amount == 0
            ? db.write("DELETE FROM receipt_payments WHERE payment_type = ?", {type}, kWorking)
            : db.write("INSERT OR REPLACE INTO receipt_payments (payment_type, amount) VALUES (?, ?)", {type, amount},
                       kWorking);
        if (!ok)
            return false;
    }

    // The lines an action laid out, in one row.
    qsizetype line = s.lines;
    if (receipt.lines.size() < s.lines) {
        if (!db.write("DELETE FROM receipt_lines", {}, kWorking))
            return false;
        line = 0;
    }
    if (line < receipt.lines.size()
        && !db.write("INSERT INTO receipt_lines (first_line, lines) VALUES (?, ?)",
                     {qint64(line), jsonLines(receipt.lines.mid(line))}, kWorking))
        return false;

    s.open = true;
    s.header.type = receipt.type;
    s.header.number = receipt.number;
    s.header.session = receipt.session;
    s.header.opened = receipt.opened;
    s.header.operatorNumber = receipt.operatorNumber;
    s.header.printed = receipt.printed;
    s.header.nextPositionId = receipt.nextPositionId;
    s.header.registrations = receipt.registrations;
    s.header.storno = receipt.storno;
    s.header.tags = receipt.tags;
    s.header.payments = receipt.payments;
    s.positions = int(positions);
    s.positionEdits = receipt.positionEdits;
    s.lines = int(receipt.lines.size());
    s.adjustments = receipt.adjustments;
    s.taxes = receipt.taxes;
    return true;
}

// ---- the archive

bool FiscalStore::append(Database &db, const FiscalDocument &d)
{
    SqlValue receipt;
    if (d.hasReceipt) {
        // Its positions become rows of their own; its lines are the
        // document's.
        Receipt header = d.receipt;
        header.positions.clear();
        header.lines.clear();
        receipt = SqlValue(jsonText(fiscaljson::receipt(header)));
    }
    if (!db.write("INSERT INTO documents (number, fiscal_number, kind, time, session, receipt_type, receipt_number, "
                  "operator, total, fiscal_sign, fiscal_mode, lines, tags, receipt) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  {d.number, d.fiscalNumber, documentKindKey(d.kind), timeText(d.time), d.session, d.receiptType,
                   d.receiptNumber, d.operatorNumber, d.total, qint64(d.fiscalSign), d.fiscalMode, jsonLines(d.lines),
                   tagsText(d.tags), receipt}))
        return false;
    if (d.hasReceipt) {
        for (const Position &p : d.receipt.positions) {
            if (!storeDocumentPosition(db, d.number, p))
                return false;
        }
    }
    return true;
}

bool FiscalStore::clearArchive(Database &db)
{
    return db.write("DELETE FROM documents") && db.write("DELETE FROM document_positions");
}

std::optional<FiscalDocument> FiscalStore::document(Database &db, qint64 number) const
{
    return documentWhere(db, QStringLiteral("WHERE number = ?"), {number});
}

std::optional<FiscalDocument> FiscalStore::documentByFiscalNumber(Database &db, qint64 number) const
{
    if (number <= 0)
        return std::nullopt;
    return documentWhere(db, QStringLiteral("WHERE fiscal_number = ? ORDER BY number DESC"), {number});
}

namespace {

// The WHERE clause of a query and its values.
QString whereOf(const DocumentQuery &query, std::vector<SqlValue> *values)
{
    QStringList terms;
    if (query.fiscal)
        terms << QStringLiteral("fiscal_number > 0");
    if (query.after > 0) {
        terms << QStringLiteral("number > ?");
        values->push_back(query.after);
    }
    if (query.fromFiscalNumber > 0) {
        terms << QStringLiteral("fiscal_number >= ?");
        values->push_back(query.fromFiscalNumber);
    }
    if (query.session > 0) {
        terms << QStringLiteral("session = ?");
        values->push_back(query.session);
    }
    if (!query.kinds.isEmpty()) {
        QStringList marks;
        for (DocumentKind kind : query.kinds) {
            marks << QStringLiteral("?");
            values->push_back(documentKindKey(kind));
        }
        terms << QStringLiteral("kind IN (%1)").arg(marks.join(QStringLiteral(", ")));
    }
    if (query.withoutReports)
        terms << QStringLiteral("kind != 'report'");
    return terms.isEmpty() ? QString() : QStringLiteral("WHERE ") + terms.join(QStringLiteral(" AND "));
}

} // namespace

QList<FiscalDocument> FiscalStore::documents(Database &db, const DocumentQuery &query) const
{
    std::vector<SqlValue> values;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM documents %2 ORDER BY number")
                               .arg(QLatin1String(kDocumentColumns), whereOf(query, &values))
                               .toUtf8();
    QList<FiscalDocument> list;
    Database::Query rows = db.query(sql.constData(), values);
    while (rows.next()) {
        if (std::optional<FiscalDocument> document = documentOf(db, rows))
            list.append(*document);
    }
    return list;
}

qint64 FiscalStore::documentCount(Database &db, const DocumentQuery &query) const
{
    std::vector<SqlValue> values;
    const QByteArray sql = QStringLiteral("SELECT count(*) FROM documents %1").arg(whereOf(query, &values)).toUtf8();
    Database::Query row = db.query(sql.constData(), values);
    return row.next() ? row.integer(0) : 0;
}

std::optional<FiscalDocument> FiscalStore::firstDocument(Database &db, const DocumentQuery &query) const
{
    std::vector<SqlValue> values;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM documents %2 ORDER BY number LIMIT 1")
                               .arg(QLatin1String(kDocumentColumns), whereOf(query, &values))
                               .toUtf8();
    Database::Query row = db.query(sql.constData(), values);
    std::optional<FiscalDocument> document;
    if (row.next())
        document = documentOf(db, row);
    while (row.next()) {
    }
    return document;
}

std::map<int, Tally> FiscalStore::receiptTotals(Database &db, const DocumentQuery &query) const
{
    DocumentQuery receipts = query;
    receipts.kinds = {DocumentKind::Receipt};
    std::vector<SqlValue> values;
    const QByteArray sql = QStringLiteral("SELECT receipt_type, sum(total), count(*) FROM documents %1 "
                                          "GROUP BY receipt_type")
                               .arg(whereOf(receipts, &values))
                               .toUtf8();
    std::map<int, Tally> totals;
    Database::Query rows = db.query(sql.constData(), values);
    while (rows.next()) {
        Tally &tally = totals[int(rows.integer(0))];
        tally.sum = rows.integer(1);
        tally.count = rows.integer(2);
    }
    return totals;
}

} // namespace vreg
