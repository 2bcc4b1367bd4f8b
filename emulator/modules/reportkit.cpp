#include "modules/reportkit.h"

#include "core/device.h"

namespace vreg {

// ---- the electronic journal

qint64 ElectronicJournal::start(const FiscalCore &core) const
{
    if (clearedThrough <= 0)
        return 0;
    // The clearing report must still be in the archive as it was: after a
    // technological reset the numbering starts again and so does the journal.
    const std::optional<FiscalDocument> clearing = core.document(clearedThrough);
    return clearing && clearing->time == clearedAt ? clearedThrough : 0;
}

QList<FiscalDocument> ElectronicJournal::documents(const FiscalCore &core) const
{
    DocumentQuery query;
    query.fiscal = true;
    query.after = start(core);
    return core.documents(query);
}

qint64 ElectronicJournal::count(const FiscalCore &core) const
{
    DocumentQuery query;
    query.fiscal = true;
    query.after = start(core);
    return core.documentCount(query);
}

QJsonObject ElectronicJournal::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("clearedThrough"), double(clearedThrough));
    json.insert(QStringLiteral("clearedAt"), clearedAt.isValid() ? clearedAt.toString(Qt::ISODate) : QString());
    return json;
}

bool ElectronicJournal::fromJson(const QJsonObject &json, QString *error)
{
    const QJsonValue through = json.value(QStringLiteral("clearedThrough"));
    if (!through.isDouble() || through.toDouble() < 0) {
        *error = QStringLiteral("неверная отметка очистки ЭЖ");
        return false;
    }
    clearedThrough = qint64(through.toDouble());
    clearedAt = QDateTime::fromString(json.value(QStringLiteral("clearedAt")).toString(), Qt::ISODate);
    if (clearedThrough > 0 && !clearedAt.isValid()) {
        *error = QStringLiteral("нет времени очистки ЭЖ");
        return false;
    }
    return true;
}

// ---- checks and ranges

ReportKit::ReportKit(FiscalCore &core)
    : m_core(core)
{
}

int ReportKit::begin(int mode, const QString &report) const
{
    const Services &services = device().services();
    const int current = services.currentMode ? services.currentMode() : mode;
    if (mode >= 0 && current != mode) {
        return device().fail(Code::WrongMode,
                             QStringLiteral("%1 выполняется в режиме %2 («%3»), текущий режим %4 («%5»)")
                                 .arg(report)
                                 .arg(mode)
                                 .arg(modeName(mode))
                                 .arg(current)
                                 .arg(modeName(current)));
    }
    const FiscalRecords &r = records();
    if (r.receiptOpen) {
        return device().fail(Code::ReceiptIsOpen,
                             QStringLiteral("%1: открыт чек %2 (%3); закройте или отмените его")
                                 .arg(report)
                                 .arg(r.receipt.number)
                                 .arg(receiptTypeTitle(r.receipt.type).toLower()));
    }
    return 0;
}

bool ReportKit::dateRange(const QString &report, QDate *from, QDate *to) const
{
    const PropertyStore &props = device().props();
    *from = props.Date;
    *to = props.DateEnd;
    if (!from->isValid() || !to->isValid() || *from > *to) {
        device().fail(Code::InvalidReportRange,
                      QStringLiteral("%1: Date %2, DateEnd %3; нужны две даты, начальная не позже конечной")
                          .arg(report, from->toString(QStringLiteral("dd.MM.yyyy")),
                               to->toString(QStringLiteral("dd.MM.yyyy"))));
        return false;
    }
    return true;
}

bool ReportKit::shiftRange(const QString &report, int *from, int *to) const
{
    const PropertyStore &props = device().props();
    *from = props.Session;
    *to = props.SessionEnd;
    if (*from < 1 || *to < *from) {
        device().fail(Code::InvalidReportRange,
                      QStringLiteral("%1: Session %2, SessionEnd %3; смены нумеруются с 1, начальная не больше конечной")
                          .arg(report)
                          .arg(*from)
                          .arg(*to));
        return false;
    }
    return true;
}

bool ReportKit::documentRange(const QString &report, qint64 *from, qint64 *to) const
{
    const PropertyStore &props = device().props();
    *from = props.DocNumber;
    *to = props.DocNumberEnd;
    if (*from < 1 || *to < *from) {
        device().fail(Code::InvalidReportRange,
                      QStringLiteral("%1: DocNumber %2, DocNumberEnd %3; документы нумеруются с 1, начальный не больше конечного")
                          .arg(report)
                          .arg(*from)
                          .arg(*to));
        return false;
    }
    return true;
}

QList<const ShiftRecord *> ReportKit::shiftsClosedBetween(const QDate &from, const QDate &to) const
{
    QList<const ShiftRecord *> shifts;
    for (const ShiftRecord &shift : records().closedShifts) {
        const QDate closed = shift.closed.date();
        if (closed >= from && closed <= to)
            shifts.append(&shift);
    }
    return shifts;
}

QList<const ShiftRecord *> ReportKit::shiftsNumbered(int from, int to) const
{
    QList<const ShiftRecord *> shifts;
    for (const ShiftRecord &shift : records().closedShifts) {
        if (shift.number >= from && shift.number <= to)
            shifts.append(&shift);
    }
    return shifts;
}

const ShiftRecord *ReportKit::shift(int number) const
{
    const FiscalRecords &r = records();
    if (r.shiftOpen && r.shift.number == number)
        return &r.shift;
    for (const ShiftRecord &closed : r.closedShifts) {
        if (closed.number == number)
            return &closed;
    }
    return nullptr;
}

int ReportKit::failNoShifts(const QString &report, const QString &range) const
{
    const FiscalRecords &r = records();
    QString held = QStringLiteral("в фискальной памяти нет закрытых смен");
    if (!r.closedShifts.isEmpty()) {
        const ShiftRecord &first = r.closedShifts.first();
        const ShiftRecord &last = r.closedShifts.last();
        held = QStringLiteral("в фискальной памяти смены %1..%2, закрыты %3..%4")
                   .arg(first.number)
                   .arg(last.number)
                   .arg(first.closed.toString(QStringLiteral("dd.MM.yyyy")), last.closed.toString(QStringLiteral("dd.MM.yyyy")));
    }
    return device().fail(Code::NoReportData, QStringLiteral("%1: за %2 закрытых смен нет; %3").arg(report, range, held));
}

// ---- layout

QString ReportKit::amount(Money value) const
{
    return QLatin1Char('=') + FiscalCore::money(value);
}

QStringList ReportKit::title(const QString &text) const
{
    QStringList lines;
    for (const QString &line : m_core.wrapped(text, 1))
        lines.append(m_core.centered(line));
    return lines;
}

QString ReportKit::shiftDates(const ShiftRecord &shift) const
{
    return m_core.dateTime(shift.closed.isValid() ? shift.closed : shift.opened);
}

QStringList receiptTypeTotalsLines(const FiscalCore &core, const Counters &counters, bool detailed,
                                   bool cancelledOnTwoLines)
{
    const auto amount = [](Money value) { return QLatin1Char('=') + FiscalCore::money(value); };
    QStringList lines;
    for (int type = 1; type <= fiscal::kReceiptTypes; ++type) {
        const ReceiptTypeTotals &t = counters.of(type);
        const bool main = type == fiscal::Sale || type == fiscal::SaleReturn || type == fiscal::Purchase
            || type == fiscal::PurchaseReturn;
        if (!main && t.isZero())
            continue;
        lines.append(receiptTypeTitle(type));
        lines += core.columns(QStringLiteral("  ЧЕКОВ"), QString::number(t.receipts.count));
        lines += core.columns(QStringLiteral("  СУММА"), amount(t.receipts.sum));
        if (!detailed)
            continue;
        for (int p = 0; p < fiscal::kPaymentTypes; ++p) {
            if (t.payments[size_t(p)] != 0)
                lines += core.columns(QStringLiteral("  ") + core.paymentName(p), amount(t.payments[size_t(p)]));
        }
        const Tally discounts = t.discountsTotal();
        if (discounts.count > 0)
            lines += core.columns(QStringLiteral("  СКИДКИ"), amount(discounts.sum));
        const Tally charges = t.chargesTotal();
        if (charges.count > 0)
            lines += core.columns(QStringLiteral("  НАДБАВКИ"), amount(charges.sum));
        if (t.storno.count > 0)
            lines += core.columns(QStringLiteral("  СТОРНО %1").arg(t.storno.count), amount(t.storno.sum));
        for (int n = 1; n < fiscal::kTaxNumbers; ++n) {
            if (t.taxSums[size_t(n)] > 0)
                lines += core.columns(QStringLiteral("  ") + taxName(n), amount(t.taxSums[size_t(n)]));
        }
        if (t.cancelled.count > 0 && cancelledOnTwoLines) {
            lines += core.columns(QStringLiteral("  ОТМЕНЕНО ЧЕКОВ"), QString::number(t.cancelled.count));
            lines += core.columns(QStringLiteral("  НА СУММУ"), amount(t.cancelled.sum));
        } else if (t.cancelled.count > 0) {
            lines += core.columns(QStringLiteral("  ОТМЕНЕНО ЧЕКОВ %1").arg(t.cancelled.count), amount(t.cancelled.sum));
        }
    }
    return lines;
}

QStringList ReportKit::countersLines(const Counters &counters, bool detailed) const
{
    const FiscalCore &core = m_core;
    QStringList lines = receiptTypeTotalsLines(core, counters, detailed);
    if (detailed) {
        lines += core.columns(QStringLiteral("ВНЕСЕНИЙ %1").arg(counters.cashIncome.count), amount(counters.cashIncome.sum));
        lines += core.columns(QStringLiteral("ВЫПЛАТ %1").arg(counters.cashOutcome.count), amount(counters.cashOutcome.sum));
    }
    return lines;
}

QString ReportKit::departmentHeading(int department) const
{
    if (department == 0)
        return QStringLiteral("БЕЗ СЕКЦИИ");
    const QString name = m_core.departmentName(department);
    QString heading = QStringLiteral("СЕКЦИЯ %1").arg(department);
    if (!name.isEmpty() && name != QStringLiteral("Секция %1").arg(department))
        heading += QLatin1Char(' ') + name;
    return heading;
}

QStringList ReportKit::departmentLines(const Counters &counters) const
{
    const FiscalCore &core = m_core;
    QStringList lines;
    for (int department = 0; department < fiscal::kDepartments; ++department) {
        QStringList block;
        for (int type = 1; type <= fiscal::kReceiptTypes; ++type) {
            const Tally &tally = counters.of(type).registrations[size_t(department)];
            if (!tally.isZero())
                block += core.columns(QStringLiteral("  %1 %2").arg(receiptTypeTitle(type)).arg(tally.count), amount(tally.sum));
        }
        if (block.isEmpty())
            continue;
        lines += core.wrapped(departmentHeading(department), 1);
        lines += block;
    }
    if (lines.isEmpty())
        lines.append(QStringLiteral("РЕГИСТРАЦИЙ НЕТ"));
    return lines;
}

QString ReportKit::documentTitle(const FiscalDocument &document)
{
    switch (document.kind) {
    case DocumentKind::Registration: return QStringLiteral("ОТЧЕТ О РЕГИСТРАЦИИ");
    case DocumentKind::Reregistration: return QStringLiteral("ОТЧЕТ ОБ ИЗМЕНЕНИИ ПАРАМЕТРОВ РЕГИСТРАЦИИ");
    case DocumentKind::Activation: return QStringLiteral("АКТИВИЗАЦИЯ ЭКЛЗ/ФН");
    case DocumentKind::ShiftOpen: return QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ");
    case DocumentKind::Receipt: return QStringLiteral("КАССОВЫЙ ЧЕК ") + receiptTypeTitle(document.receiptType);
    case DocumentKind::CancelledReceipt: return QStringLiteral("ЧЕК ОТМЕНЕН");
    case DocumentKind::CashIncome: return QStringLiteral("ВНЕСЕНИЕ");
    case DocumentKind::CashOutcome: return QStringLiteral("ВЫПЛАТА");
    case DocumentKind::XReport: return QStringLiteral("ОТЧЕТ БЕЗ ГАШЕНИЯ");
    case DocumentKind::ZReport: return QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ");
    case DocumentKind::ArchiveClose: return QStringLiteral("ЗАКРЫТИЕ АРХИВА ЭКЛЗ/ФН");
    case DocumentKind::Report: return QStringLiteral("ОТЧЕТ");
    }
    return QString();
}

QStringList ReportKit::documentLines(const QList<FiscalDocument> &documents) const
{
    QStringList lines;
    for (const FiscalDocument &document : documents) {
        if (!lines.isEmpty())
            lines.append(m_core.rule());
        lines += document.lines;
    }
    return lines;
}

QStringList ReportKit::documentSummary(const FiscalDocument &document) const
{
    const QString number = document.fiscalNumber > 0 ? QStringLiteral("ФД %1").arg(document.fiscalNumber)
                                                     : QStringLiteral("ДОК. %1").arg(document.number);
    QStringList lines = m_core.columns(number, m_core.dateTime(document.time));
    const bool withSum = document.kind == DocumentKind::Receipt || document.kind == DocumentKind::CancelledReceipt
        || document.kind == DocumentKind::CashIncome || document.kind == DocumentKind::CashOutcome
        || document.kind == DocumentKind::ZReport;
    if (withSum)
        lines += m_core.columns(QStringLiteral("  ") + documentTitle(document), amount(document.total));
    else
        lines += m_core.wrapped(QStringLiteral("  ") + documentTitle(document), 1);
    return lines;
}

// ---- issue

int ReportKit::issue(const QString &titleText, const QStringList &body, int session,
                     const std::function<void(const FiscalDocument &)> &archived) const
{
    if (m_core.requirePrinter() < 0)
        return -1;
    QStringList lines = m_core.documentHead(false);
    lines += title(titleText);
    lines += body;
    FiscalDocument document;
    document.kind = DocumentKind::Report;
    document.session = session;
    document.operatorNumber = m_core.currentOperator();
    const FiscalDocument &issued = m_core.issue(document, lines, false);
    if (archived)
        archived(issued);
    return m_core.print(issued.lines, true);
}

Counters sumOf(const QList<const ShiftRecord *> &shifts)
{
    Counters total;
    for (const ShiftRecord *shift : shifts)
        total.add(shift->counters);
    return total;
}

} // namespace vreg
