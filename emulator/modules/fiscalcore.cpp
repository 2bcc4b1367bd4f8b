#include "modules/fiscalcore.h"

#include "core/device.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vreg {

namespace {

const char *const kModeNames[] = {
    "Выбора", "Регистрации", "Отчетов без гашения", "Отчетов с гашением", "Программирования",
    "Доступа к ФП/Ввода ЗН", "Доступа к ЭКЛЗ/ФН", "Дополнительный",
};

} // namespace

QString modeName(int mode)
{
    if (mode < 0 || mode > 7)
        return QString::number(mode);
    return QString::fromUtf8(kModeNames[mode]);
}

QString receiptTypeTitle(int receiptType)
{
    static const char *const titles[] = {
        "ПРИХОД",
        "ВОЗВРАТ ПРИХОДА",
        "АННУЛИРОВАНИЕ ПРИХОДА",
        "РАСХОД",
        "ВОЗВРАТ РАСХОДА",
        "АННУЛИРОВАНИЕ РАСХОДА",
        "КОРРЕКЦИЯ ПРИХОДА",
        "КОРРЕКЦИЯ ВОЗВРАТА ПРИХОДА",
        "КОРРЕКЦИЯ РАСХОДА",
        "КОРРЕКЦИЯ ВОЗВРАТА РАСХОДА",
    };
    if (receiptType < 1 || receiptType > fiscal::kReceiptTypes)
        return QString();
    return QString::fromUtf8(titles[receiptType - 1]);
}

QString taxName(int taxNumber)
{
    static const char *const names[] = {
        "", "НДС 0%", "НДС 10%", "НДС 20%", "БЕЗ НДС", "НДС 10/110", "НДС 20/120",
    };
    if (taxNumber < 1 || taxNumber >= fiscal::kTaxNumbers)
        return QString();
    return QString::fromUtf8(names[taxNumber]);
}

quint32 fiscalSignOf(const FiscalDocument &document, const QString &storageNumber)
{
    // FNV-1a over a canonical text of the document: the same document always
    // gets the same sign, and any change of its content another one.
    QString text = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8\n")
                       .arg(document.number)
                       .arg(document.fiscalNumber)
                       .arg(documentKindKey(document.kind))
                       .arg(document.time.toString(Qt::ISODate))
                       .arg(document.total)
                       .arg(document.receiptType)
                       .arg(document.session)
                       .arg(storageNumber);
    text += document.lines.join(QLatin1Char('\n'));
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    hash &= 0x7fffffffu;
    return hash == 0 ? 1 : hash;
}

FiscalCore::FiscalCore(DeviceContext &device)
    : m_device(device)
{
}

// ---- clock and operator

QDateTime FiscalCore::now() const
{
    QDateTime time = serviceNow(m_device.services());
    time.setTime(QTime(time.time().hour(), time.time().minute(), time.time().second()));
    return time;
}

int FiscalCore::currentOperator() const
{
    const Services &services = m_device.services();
    return services.currentOperator ? services.currentOperator() : 0;
}

QString FiscalCore::operatorName(int operatorNumber) const
{
    // Names in the caption table: cashiers 89..116, administrator 117,
    // system administrator 118.
    int caption = -1;
    QString fallback;
    if (operatorNumber >= 1 && operatorNumber <= 28) {
        caption = 88 + operatorNumber;
        fallback = QStringLiteral("Кассир %1").arg(operatorNumber);
    } else if (operatorNumber == 29) {
        caption = 117;
        fallback = QStringLiteral("Администратор");
    } else if (operatorNumber == 30) {
        caption = 118;
        fallback = QStringLiteral("Системный администратор");
    } else {
        return QString();
    }
    const Services &services = m_device.services();
    const QString name = services.caption ? services.caption(caption).trimmed() : QString();
    return name.isEmpty() ? fallback : name;
}

// ---- checks

int FiscalCore::requireMode(int mode, const char *action) const
{
    const Services &services = m_device.services();
    if (!services.currentMode)
        return 0;
    const int current = services.currentMode();
    if (current == mode)
        return 0;
    return m_device.fail(Code::WrongMode,
                         QStringLiteral("%1 выполняется в режиме %2 («%3»), текущий режим %4 («%5»)")
                             .arg(QString::fromUtf8(action))
                             .arg(mode)
                             .arg(modeName(mode))
                             .arg(current)
                             .arg(modeName(current)));
}

int FiscalCore::requireNoReceipt(const char *action) const
{
    if (!m_records.receiptOpen)
        return 0;
    return m_device.fail(Code::ReceiptIsOpen,
                         QStringLiteral("%1: открыт чек %2 (%3); закройте или отмените его")
                             .arg(QString::fromUtf8(action))
                             .arg(m_records.receipt.number)
                             .arg(receiptTypeTitle(m_records.receipt.type).toLower()));
}

int FiscalCore::requireReceipt(const char *action) const
{
    if (m_records.receiptOpen)
        return 0;
    return m_device.fail(Code::ReceiptNotOpen, QStringLiteral("%1 выполняется в открытом чеке").arg(QString::fromUtf8(action)));
}

int FiscalCore::requireFiscalStorage(const char *action) const
{
    if (!m_records.fiscalised())
        return 0;
    if (m_records.archiveClosed()) {
        return m_device.fail(Code::ArchiveClosed,
                             QStringLiteral("%1: архив ЭКЛЗ/ФН %2 закрыт; активизируйте новый")
                                 .arg(QString::fromUtf8(action), m_records.storages.last().number));
    }
    if (!m_records.storageActive()) {
        return m_device.fail(Code::StorageNotActive,
                             QStringLiteral("%1: ККТ фискализирована, ЭКЛЗ/ФН не активирован (Activate)")
                                 .arg(QString::fromUtf8(action)));
    }
    return 0;
}

int FiscalCore::requirePrinter() const
{
    const Services &services = m_device.services();
    return services.printerReady ? services.printerReady() : 0;
}

bool FiscalCore::shiftExpired() const
{
    if (!m_records.shiftOpen || !m_records.shift.opened.isValid())
        return false;
    return m_records.shift.opened.secsTo(now()) > qint64(fiscal::kShiftHours) * 3600;
}

// ---- money

bool FiscalCore::toMoney(double value, Money *money)
{
    if (!std::isfinite(value) || std::fabs(value) > 1e13)
        return false;
    // A hair towards the sign, so that 1.005 typed as a double is 1.01.
    *money = Money(std::llround(value * 100.0 + (value >= 0 ? 1e-6 : -1e-6)));
    return true;
}

bool FiscalCore::toQuantity(double value, qint64 *thousandths)
{
    if (!std::isfinite(value) || std::fabs(value) > 1e10)
        return false;
    *thousandths = qint64(std::llround(value * 1000.0 + (value >= 0 ? 1e-6 : -1e-6)));
    return true;
}

QString FiscalCore::money(Money amount)
{
    const Money magnitude = amount < 0 ? -amount : amount;
    return QStringLiteral("%1%2.%3")
        .arg(amount < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString FiscalCore::quantity(qint64 thousandths)
{
    return QStringLiteral("%1.%2").arg(thousandths / 1000).arg(thousandths % 1000, 3, 10, QLatin1Char('0'));
}

// ---- layout

int FiscalCore::width() const
{
    return qBound(20, m_device.props().CharLineLength, 200);
}

QString FiscalCore::rule() const
{
    return QString(width(), QLatin1Char('-'));
}

QString FiscalCore::centered(const QString &text) const
{
    const QString cut = text.left(width());
    return QString((width() - int(cut.size())) / 2, QLatin1Char(' ')) + cut;
}

QStringList FiscalCore::columns(const QString &left, const QString &right) const
{
    const int w = width();
    const QString r = right.left(w);
    if (left.size() + 1 + r.size() <= w)
        return {left + QString(w - int(left.size()) - int(r.size()), QLatin1Char(' ')) + r};
    // The left part on lines of its own (by words), the right one on the last.
    QStringList lines = wrapped(left, 1);
    if (!lines.isEmpty() && lines.last().size() + 1 + r.size() <= w)
        lines.last() += QString(w - int(lines.last().size()) - int(r.size()), QLatin1Char(' ')) + r;
    else
        lines.append(QString(w - int(r.size()), QLatin1Char(' ')) + r);
    return lines;
}

QStringList FiscalCore::wrapped(const QString &text, int wrap) const
{
    const Services &services = m_device.services();
    if (services.layoutText) {
        const QStringList lines = services.layoutText(text, wrap, 0);
        if (!lines.isEmpty() || text.isEmpty())
            return lines;
    }
    const int w = width();
    QStringList lines;
    if (wrap == 0) {
        lines.append(text.left(w));
    } else if (wrap == 2) {
        for (int from = 0; from < text.size(); from += w)
            lines.append(text.mid(from, w));
    } else {
        QString line;
        for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            QString rest = word;
            while (rest.size() > w) { // a word wider than the tape is cut
                if (!line.isEmpty()) {
                    lines.append(line);
                    line.clear();
                }
                lines.append(rest.left(w));
                rest = rest.mid(w);
            }
            if (line.isEmpty())
                line = rest;
            else if (line.size() + 1 + rest.size() <= w)
                line += QLatin1Char(' ') + rest;
            else {
                lines.append(line);
                line = rest;
            }
        }
        if (!line.isEmpty())
            lines.append(line);
    }
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

QStringList FiscalCore::documentHead(bool fiscal) const
{
    const Services &services = m_device.services();
    QStringList lines;
    if (services.headerLines)
        lines += services.headerLines();
    if (!fiscal)
        return lines;
    // A header that already names the organisation is not repeated.
    QStringList printed;
    for (const QString &line : lines)
        printed.append(line.trimmed());
    const auto addCentered = [&](const QString &text) {
        for (const QString &line : wrapped(text, 1)) {
            if (!printed.contains(line.trimmed()))
                lines.append(centered(line));
        }
    };
    // The organisation: captions 264 (name), 263 (address), 261 (ИНН); the
    // ИНН of the registration takes precedence.
    const auto caption = [&](int number) {
        return services.caption ? services.caption(number).trimmed() : QString();
    };
    addCentered(caption(264));
    addCentered(caption(263));
    const QString inn = m_records.fiscalised() ? m_records.registrations.last().inn : caption(261);
    if (!inn.isEmpty())
        addCentered(QStringLiteral("ИНН %1").arg(inn));
    return lines;
}

QString FiscalCore::dateTime(const QDateTime &time) const
{
    return time.toString(QStringLiteral("dd.MM.yy hh:mm"));
}

QStringList FiscalCore::footer() const
{
    const Services &services = m_device.services();
    return services.footerLines ? services.footerLines() : QStringList();
}

QString FiscalCore::paymentName(int paymentType) const
{
    // The device numbers its payment types from 1: types 1 to 3 are named
    // in captions 66 to 68, types 5 to 10 in captions 223 to 228.
    int caption = -1;
    if (paymentType >= 0 && paymentType <= 2)
        caption = 66 + paymentType;
    else if (paymentType >= 4 && paymentType <= 9)
        caption = 219 + paymentType;
    const Services &services = m_device.services();
    const QString name = caption >= 0 && services.caption ? services.caption(caption).trimmed() : QString();
    if (!name.isEmpty())
        return name;
    if (paymentType == 0)
        return QStringLiteral("НАЛИЧНЫМИ");
    if (paymentType == 1)
        return QStringLiteral("БЕЗНАЛИЧНЫМИ");
    return QStringLiteral("ТИП ОПЛАТЫ %1").arg(paymentType);
}

QString FiscalCore::departmentName(int department) const
{
    const Services &services = m_device.services();
    if (department < 1 || department > 30 || !services.caption)
        return QString();
    return services.caption(35 + department).trimmed();
}

QString FiscalCore::discountName(int number) const
{
    const Services &services = m_device.services();
    if (number < 1 || number > 16 || !services.caption)
        return QString();
    return services.caption(206 + number).trimmed();
}

QStringList FiscalCore::tagLines(const FiscalTag &tag) const
{
    QString label;
    if (tag.number == 1008) {
        label = tag.value.contains(QLatin1Char('@')) ? QStringLiteral("ЭЛ. АДР. ПОКУПАТЕЛЯ")
                                                      : QStringLiteral("ТЕЛ. ПОКУПАТЕЛЯ");
    } else {
        label = QStringLiteral("РЕКВИЗИТ %1").arg(tag.number);
    }
    return columns(label, tag.value);
}

// ---- documents

const FiscalDocument &FiscalCore::issue(FiscalDocument document, const QStringList &lines, bool withFooter)
{
    FiscalRecords &r = m_records;
    document.number = ++r.lastDocumentNumber;
    if (!document.time.isValid())
        document.time = now();
    document.fiscalMode = r.fiscalised();
    QStringList all = lines;
    if (isFiscalKind(document.kind)) {
        document.fiscalNumber = ++r.lastFiscalNumber;
        if (!document.fiscalMode)
            all.append(centered(QStringLiteral("НЕФИСКАЛЬНЫЙ ДОКУМЕНТ")));
        document.lines = all;
        document.fiscalSign = fiscalSignOf(document, r.storageActive() ? r.storageNumber() : QString());

        // The fiscal data every fiscal document carries.
        QList<FiscalTag> tags;
        tags.append({1012, 4, QString::number(document.time.toSecsSinceEpoch())});
        if (r.fiscalised()) {
            tags.append({1018, 5, r.registrations.last().inn});
            tags.append({1037, 5, r.registrations.last().rnm});
        } else if (m_device.services().caption) {
            const QString inn = m_device.services().caption(261).trimmed();
            if (!inn.isEmpty())
                tags.append({1018, 5, inn});
        }
        tags.append({1040, 3, QString::number(document.fiscalNumber)});
        tags.append({1077, 3, QString::number(document.fiscalSign)});
        if (r.storageActive())
            tags.append({1041, 5, r.storageNumber()});
        if (document.session > 0)
            tags.append({1038, 3, QString::number(document.session)});
        if (document.operatorNumber > 0)
            tags.append({1021, 5, operatorName(document.operatorNumber)});
        // What the caller already put (receipt data, written properties)
        // replaces the common ones of the same tag.
        for (const FiscalTag &tag : document.tags) {
            tags.erase(std::remove_if(tags.begin(), tags.end(),
                                      [&](const FiscalTag &t) { return t.number == tag.number; }),
                       tags.end());
            tags.append(tag);
        }
        document.tags = tags;

        if (r.storageActive())
            all += columns(QStringLiteral("ФН"), r.storageNumber());
        all += columns(QStringLiteral("ФД %1").arg(document.fiscalNumber),
                       QStringLiteral("ФП %1").arg(document.fiscalSign));
    }
    all += columns(QStringLiteral("ДОК. %1").arg(document.number), dateTime(document.time));
    if (withFooter)
        all += footer();
    document.lines = all;
    // Written at once, so that what the action reads next finds it; the
    // action's transaction keeps it or throws it away with everything else.
    m_store.append(m_device.database(), document);
    if (document.fiscalNumber > 0)
        r.lastFiscal = document;
    if (document.kind == DocumentKind::Receipt)
        r.lastReceipt = document;
    m_issued = std::move(document);
    return m_issued;
}

std::optional<FiscalDocument> FiscalCore::document(qint64 number) const
{
    return m_store.document(m_device.database(), number);
}

std::optional<FiscalDocument> FiscalCore::documentByFiscalNumber(qint64 number) const
{
    return m_store.documentByFiscalNumber(m_device.database(), number);
}

QList<FiscalDocument> FiscalCore::documents(const DocumentQuery &query) const
{
    return m_store.documents(m_device.database(), query);
}

qint64 FiscalCore::documentCount(const DocumentQuery &query) const
{
    return m_store.documentCount(m_device.database(), query);
}

std::optional<FiscalDocument> FiscalCore::firstDocument(const DocumentQuery &query) const
{
    return m_store.firstDocument(m_device.database(), query);
}

std::map<int, Tally> FiscalCore::receiptTotals(const DocumentQuery &query) const
{
    return m_store.receiptTotals(m_device.database(), query);
}

DocumentQuery FiscalCore::unsentDocuments() const
{
    DocumentQuery query;
    query.fiscal = true;
    // Without a storage in use nothing waits: no fiscal number is that high.
    query.fromFiscalNumber = m_records.storageActive() ? m_records.storages.last().firstFiscalNumber
                                                       : std::numeric_limits<qint64>::max();
    return query;
}

void FiscalCore::resetArchive()
{
    const QString serial = m_records.serialNumber;
    m_records.resetShifts();
    m_records.resetStorage();
    m_records.serialNumber = serial;
    m_store.clearArchive(m_device.database());
}

int FiscalCore::print(const QStringList &lines, bool cut) const
{
    const Services &services = m_device.services();
    if (!services.printDocument)
        return 0;
    return services.printDocument(lines, cut) < 0 ? -1 : 0;
}

// ---- shifts

QStringList FiscalCore::openShift(int operatorNumber, const QString &caption)
{
    FiscalRecords &r = m_records;
    ShiftRecord shift;
    shift.number = r.lastClosedShift() + 1;
    shift.opened = now();
    shift.openedBy = operatorNumber;
    shift.cashAtOpen = r.cash;
    r.shift = shift;
    r.shiftOpen = true;

    QStringList lines = documentHead(true);
    lines.append(centered(QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ")));
    lines += columns(QStringLiteral("СМЕНА"), QString::number(shift.number));
    if (operatorNumber > 0)
        lines += columns(QStringLiteral("КАССИР"), operatorName(operatorNumber));
    if (!caption.isEmpty())
        lines += wrapped(caption, 1);

    FiscalDocument document;
    document.kind = DocumentKind::ShiftOpen;
    document.time = shift.opened;
    document.session = shift.number;
    document.operatorNumber = operatorNumber;
    const FiscalDocument &issued = issue(document, lines, false);
    r.shift.openDocument = issued.number;
    return issued.lines;
}

void FiscalCore::refreshStatus() const
{
    PropertyStore &props = m_device.props();
    props.Session = m_records.lastClosedShift();
    props.SerialNumber = m_records.serialNumber;
    refreshReceiptStatus();
}

void FiscalCore::refreshReceiptStatus() const
{
    PropertyStore &props = m_device.props();
    const FiscalRecords &r = m_records;
    props.ChequeNumber = r.receiptOpen ? r.receipt.number : (r.shiftOpen ? r.shift.receipts : 0);
    props.Summ = r.receiptOpen ? double(r.receipt.total) / 100.0 : 0.0;
    props.Remainder = r.receiptOpen ? double(r.receipt.remainder()) / 100.0 : 0.0;
    props.Change = r.receiptOpen ? double(r.receipt.change()) / 100.0 : double(r.lastChange) / 100.0;
}

} // namespace vreg
