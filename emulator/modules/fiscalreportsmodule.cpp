#include "modules/fiscalreportsmodule.h"

#include "core/device.h"

#include <map>

namespace vreg {

namespace {

constexpr int kAnyMode = -1;
constexpr int kFiscalMemoryMode = 5;
constexpr int kJournalMode = 6;
// The fiscal data operator's address and port in the tables.
constexpr int kCaptionOperatorServer = 256;
constexpr int kValueOperatorPort = 301;

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

FiscalReportsModule::FiscalReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core)
    : Module(device)
    , m_core(std::move(core))
    , m_kit(*m_core)
{
}

void FiscalReportsModule::registerActions(ActionRegistry &registry)
{
    Q_UNUSED(registry);
    const Services &services = device().services();
    if (!services.addReport)
        return;
    services.addReport(3, [this] { return fiscalMemory(true, false); });
    services.addReport(4, [this] { return fiscalMemory(false, false); });
    services.addReport(5, [this] { return fiscalMemory(true, true); });
    services.addReport(6, [this] { return fiscalMemory(false, true); });
    services.addReport(22, [this] { return activationTotalsOrRegistration(); });
    services.addReport(23, [this] { return shiftTotals(); });
    services.addReport(24, [this] { return shiftControlTape(); });
    services.addReport(25, [this] { return documentByNumber(); });
    services.addReport(26, [this] { return journalRange(true, false, true); });
    services.addReport(27, [this] { return journalRange(true, true, true); });
    services.addReport(28, [this] { return journalRange(true, false, false); });
    services.addReport(29, [this] { return journalRange(true, true, false); });
    services.addReport(30, [this] { return journalRange(false, false, true); });
    services.addReport(31, [this] { return journalRange(false, true, true); });
    services.addReport(32, [this] { return journalRange(false, false, false); });
    services.addReport(33, [this] { return journalRange(false, true, false); });
    services.addReport(42, [this] { return calculationState(); });
    services.addReport(45, [this] { return operatorDiagnostics(); });
    services.addReport(47, [this] { return shiftCounters(); });
    services.addReport(48, [this] { return storageCounters(); });
    services.addReport(49, [this] { return unsentCounters(); });
}

// ---- shared

bool FiscalReportsModule::inJournalMode() const
{
    const Services &services = device().services();
    return services.currentMode && services.currentMode() == kJournalMode;
}

bool FiscalReportsModule::shiftsInRange(const QString &report, bool byDates, QList<const ShiftRecord *> *shifts,
                                        QStringList *rangeLines)
{
    if (byDates) {
        QDate from, to;
        if (!m_kit.dateRange(report, &from, &to))
            return false;
        *shifts = m_kit.shiftsClosedBetween(from, to);
        *rangeLines = m_core->columns(QStringLiteral("С %1").arg(dateText(from)), QStringLiteral("ПО %1").arg(dateText(to)));
        if (shifts->isEmpty()) {
            m_kit.failNoShifts(report, QStringLiteral("%1..%2").arg(dateText(from), dateText(to)));
            return false;
        }
    } else {
        int from = 0, to = 0;
        if (!m_kit.shiftRange(report, &from, &to))
            return false;
        *shifts = m_kit.shiftsNumbered(from, to);
        *rangeLines = m_core->columns(QStringLiteral("СМЕНЫ"), QStringLiteral("%1 - %2").arg(from).arg(to));
        if (shifts->isEmpty()) {
            m_kit.failNoShifts(report, QStringLiteral("смены %1..%2").arg(from).arg(to));
            return false;
        }
    }
    return true;
}

QStringList FiscalReportsModule::unsentLines() const
{
    const DocumentQuery unsent = m_core->unsentDocuments();
    QStringList lines = m_core->columns(QStringLiteral("НЕПЕРЕДАННЫХ ФД"), QString::number(m_core->documentCount(unsent)));
    if (const std::optional<FiscalDocument> first = m_core->firstDocument(unsent)) {
        lines += m_core->columns(QStringLiteral("ПЕРВЫЙ НЕПЕРЕДАННЫЙ ФД"), QString::number(first->fiscalNumber));
        lines += m_core->columns(QStringLiteral("ОТ"), m_core->dateTime(first->time));
    }
    return lines;
}

int FiscalReportsModule::requireStorage(const QString &report) const
{
    const FiscalRecords &r = m_core->records();
    if (r.storageActive())
        return 0;
    if (r.archiveClosed()) {
        return device().fail(Code::ArchiveClosed,
                             QStringLiteral("%1: архив ФН %2 закрыт").arg(report, r.storages.last().number));
    }
    return device().fail(Code::StorageNotActive,
                         QStringLiteral("%1: отчет ФН после активизации ФН (Activate, режим 6)").arg(report));
}

// ---- the fiscal memory

int FiscalReportsModule::fiscalMemory(bool byDates, bool full)
{
    const QString name = QStringLiteral("Report %1 (ФП %2 по %3)")
                             .arg(byDates ? (full ? 5 : 3) : (full ? 6 : 4))
                             .arg(full ? QStringLiteral("полный") : QStringLiteral("краткий"),
                                  byDates ? QStringLiteral("датам") : QStringLiteral("сменам"));
    if (m_kit.begin(kFiscalMemoryMode, name) < 0)
        return -1;
    QList<const ShiftRecord *> shifts;
    QStringList body;
    if (!shiftsInRange(name, byDates, &shifts, &body))
        return -1;
    const FiscalRecords &r = m_core->records();
    if (r.fiscalised()) {
        body += m_core->columns(QStringLiteral("РН ККТ"), r.registrations.last().rnm);
        body += m_core->columns(QStringLiteral("ИНН"), r.registrations.last().inn);
    }
    if (!r.serialNumber.isEmpty())
        body += m_core->columns(QStringLiteral("ЗН ККТ"), r.serialNumber);
    body.append(m_core->rule());
    // The fiscal memory keeps of each shift its sums by receipt type.
    const auto sums = [&](const Counters &counters) {
        QStringList lines;
        for (int type = 1; type <= fiscal::kReceiptTypes; ++type) {
            const Money sum = counters.of(type).receipts.sum;
            const bool main = type == fiscal::Sale || type == fiscal::SaleReturn || type == fiscal::Purchase
                || type == fiscal::PurchaseReturn;
            if (main || sum != 0)
                lines += m_core->columns(QStringLiteral("  ") + receiptTypeTitle(type), m_kit.amount(sum));
        }
        return lines;
    };
    if (full) {
        for (const ShiftRecord *shift : shifts) {
            body += m_core->columns(QStringLiteral("СМЕНА %1").arg(shift->number), m_kit.shiftDates(*shift));
            body += sums(shift->counters);
        }
        body.append(m_core->rule());
    }
    body.append(QStringLiteral("ИТОГО ЗА ПЕРИОД"));
    body += m_core->columns(QStringLiteral("  СМЕН"), QString::number(shifts.size()));
    body += sums(sumOf(shifts));
    return m_kit.issue(QStringLiteral("ОТЧЕТ ФП %1 ПО %2")
                           .arg(full ? QStringLiteral("ПОЛНЫЙ") : QStringLiteral("КРАТКИЙ"),
                                byDates ? QStringLiteral("ДАТАМ") : QStringLiteral("СМЕНАМ")),
                       body);
}

// ---- the journal module (mode 6)

int FiscalReportsModule::activationTotalsOrRegistration()
{
    if (!inJournalMode())
        return registrationReport();
    const QString name = QStringLiteral("Report 22 (ЭКЛЗ итоги активации)");
    if (m_kit.begin(kJournalMode, name) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (r.storages.isEmpty())
        return device().fail(Code::StorageNotActive, QStringLiteral("%1: ЭКЛЗ еще не активизировалась (Activate)").arg(name));
    const StorageUnit &unit = r.storages.last();
    QList<const ShiftRecord *> shifts;
    for (const ShiftRecord &shift : r.closedShifts) {
        if (shift.number > unit.session)
            shifts.append(&shift);
    }
    QStringList body = m_core->columns(QStringLiteral("ЭКЛЗ"), unit.number);
    body += m_core->columns(QStringLiteral("АКТИВИЗАЦИЯ"), m_core->dateTime(unit.activated));
    body += m_core->columns(QStringLiteral("ПОСЛЕДНЯЯ СМЕНА ДО АКТИВИЗАЦИИ"), QString::number(unit.session));
    if (unit.closed.isValid())
        body += m_core->columns(QStringLiteral("АРХИВ ЗАКРЫТ"), m_core->dateTime(unit.closed));
    body += m_core->columns(QStringLiteral("ЗАКРЫТО СМЕН"), QString::number(shifts.size()));
    body.append(m_core->rule());
    body += m_kit.countersLines(sumOf(shifts), false);
    return m_kit.issue(QStringLiteral("ЭКЛЗ ИТОГИ АКТИВИЗАЦИИ"), body);
}

int FiscalReportsModule::shiftTotals()
{
    const QString name = QStringLiteral("Report 23 (ЭКЛЗ итоги смены)");
    if (m_kit.begin(kJournalMode, name) < 0)
        return -1;
    const int number = device().props().Session;
    const ShiftRecord *shift = m_kit.shift(number);
    if (!shift) {
        return device().fail(Code::ShiftNotFound,
                             QStringLiteral("%1: Session = %2; закрытые смены 1..%3")
                                 .arg(name)
                                 .arg(number)
                                 .arg(m_core->records().lastClosedShift()));
    }
    QStringList body = m_core->columns(QStringLiteral("СМЕНА"), QString::number(shift->number));
    body += m_core->columns(QStringLiteral("ОТКРЫТА"), m_core->dateTime(shift->opened));
    body += m_core->columns(QStringLiteral("ЗАКРЫТА"), shift->closed.isValid() ? m_core->dateTime(shift->closed)
                                                                              : QStringLiteral("НЕТ"));
    body.append(m_core->rule());
    body += m_kit.countersLines(shift->counters, true);
    return m_kit.issue(QStringLiteral("ЭКЛЗ ИТОГИ СМЕНЫ"), body, shift->number);
}

int FiscalReportsModule::shiftControlTape()
{
    const QString name = QStringLiteral("Report 24 (ЭКЛЗ контрольная лента смены)");
    if (m_kit.begin(kJournalMode, name) < 0)
        return -1;
    const int number = device().props().Session;
    if (!m_kit.shift(number)) {
        return device().fail(Code::ShiftNotFound,
                             QStringLiteral("%1: Session = %2; закрытые смены 1..%3")
                                 .arg(name)
                                 .arg(number)
                                 .arg(m_core->records().lastClosedShift()));
    }
    DocumentQuery query;
    query.fiscal = true;
    query.session = number;
    const QList<FiscalDocument> documents = m_core->documents(query);
    QStringList body = m_core->columns(QStringLiteral("СМЕНА"), QString::number(number));
    body.append(m_core->rule());
    body += m_kit.documentLines(documents);
    body.append(m_core->rule());
    return m_kit.issue(QStringLiteral("ЭКЛЗ КОНТРОЛЬНАЯ ЛЕНТА СМЕНЫ"), body, number);
}

int FiscalReportsModule::documentByNumber()
{
    const bool journal = inJournalMode();
    const QString name = journal ? QStringLiteral("Report 25 (ЭКЛЗ документ по номеру КПК)")
                                 : QStringLiteral("Report 25 (документ ФН по номеру)");
    if (m_kit.begin(journal ? kJournalMode : kAnyMode, name) < 0)
        return -1;
    const int number = device().props().KPKNumber;
    const std::optional<FiscalDocument> document = m_core->documentByFiscalNumber(number);
    if (!document) {
        return device().fail(Code::DocumentNotFound,
                             QStringLiteral("%1: KPKNumber = %2; фискальные документы 1..%3")
                                 .arg(name)
                                 .arg(number)
                                 .arg(m_core->records().lastFiscalNumber));
    }
    if (journal) {
        // The journal module keeps the document as it was printed.
        QStringList body = m_core->columns(QStringLiteral("КПК"), QString::number(number));
        body.append(m_core->rule());
        body += document->lines;
        body.append(m_core->rule());
        return m_kit.issue(QStringLiteral("ЭКЛЗ ДОКУМЕНТ ПО НОМЕРУ КПК"), body);
    }
    // The fiscal storage keeps the document's fiscal data.
    QStringList body = m_core->wrapped(ReportKit::documentTitle(*document), 1);
    body += m_core->columns(QStringLiteral("ФД"), QString::number(document->fiscalNumber));
    body += m_core->columns(QStringLiteral("ДАТА"), m_core->dateTime(document->time));
    body += m_core->columns(QStringLiteral("ФП"), QString::number(document->fiscalSign));
    if (document->kind == DocumentKind::Receipt) {
        body += m_core->columns(QStringLiteral("ПРИЗНАК РАСЧЕТА"), QString::number(fiscal::calculationSign(document->receiptType)));
        body += m_core->columns(QStringLiteral("ИТОГ"), m_kit.amount(document->total));
    }
    body.append(m_core->rule());
    for (const FiscalTag &tag : document->tags) {
        QString value = tag.value;
        if (tag.type == 4)
            value = m_core->dateTime(QDateTime::fromSecsSinceEpoch(tag.value.toLongLong()));
        body += m_core->columns(QStringLiteral("ТЕГ %1").arg(tag.number), value);
    }
    return m_kit.issue(QStringLiteral("ДОКУМЕНТ ПО НОМЕРУ"), body);
}

int FiscalReportsModule::journalRange(bool byDates, bool full, bool departments)
{
    const int type = 26 + (byDates ? 0 : 4) + (departments ? 0 : 2) + (full ? 1 : 0);
    const QString name = QStringLiteral("Report %1 (ЭКЛЗ)").arg(type);
    if (m_kit.begin(kJournalMode, name) < 0)
        return -1;
    QList<const ShiftRecord *> shifts;
    QStringList body;
    if (!shiftsInRange(name, byDates, &shifts, &body))
        return -1;
    body.append(m_core->rule());
    const auto lines = [&](const Counters &counters) {
        return departments ? m_kit.departmentLines(counters) : m_kit.countersLines(counters, false);
    };
    if (full) {
        for (const ShiftRecord *shift : shifts) {
            body += m_core->columns(QStringLiteral("СМЕНА %1").arg(shift->number), m_kit.shiftDates(*shift));
            body += lines(shift->counters);
            body.append(m_core->rule());
        }
    }
    body.append(QStringLiteral("ИТОГО ЗА ПЕРИОД"));
    body += m_core->columns(QStringLiteral("  СМЕН"), QString::number(shifts.size()));
    body += lines(sumOf(shifts));
    return m_kit.issue(QStringLiteral("ЭКЛЗ ПО %1 %2 ПО %3")
                           .arg(byDates ? QStringLiteral("ДАТАМ") : QStringLiteral("СМЕНАМ"),
                                full ? QStringLiteral("ПОЛНЫЙ") : QStringLiteral("КРАТКИЙ"),
                                departments ? QStringLiteral("ОТДЕЛАМ") : QStringLiteral("ИТОГАМ СМЕН")),
                       body);
}

// ---- the fiscal storage

int FiscalReportsModule::registrationReport()
{
    const QString name = QStringLiteral("Report 22 (отчет о регистрации)");
    if (m_kit.begin(kAnyMode, name) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (!r.fiscalised())
        return device().fail(Code::NotFiscal, QStringLiteral("%1: регистраций еще не было (Fiscalization)").arg(name));
    const Registration &registration = r.registrations.last();
    const std::optional<FiscalDocument> document = m_core->documentByFiscalNumber(registration.fiscalNumber);
    QStringList body = m_core->wrapped(registration.number == 1 ? QStringLiteral("ОТЧЕТ О РЕГИСТРАЦИИ")
                                                                : QStringLiteral("ОТЧЕТ ОБ ИЗМЕНЕНИИ ПАРАМЕТРОВ РЕГИСТРАЦИИ"),
                                       1);
    body += m_core->columns(QStringLiteral("ИНН"), registration.inn);
    body += m_core->columns(QStringLiteral("РН ККТ"), registration.rnm);
    body += m_core->columns(QStringLiteral("ЗН ККТ"), r.serialNumber);
    body += m_core->columns(QStringLiteral("РЕГИСТРАЦИЯ"), QString::number(registration.number));
    body += m_core->columns(QStringLiteral("ДАТА"), m_core->dateTime(registration.time));
    body += m_core->columns(QStringLiteral("ФД"), QString::number(registration.fiscalNumber));
    if (document)
        body += m_core->columns(QStringLiteral("ФП"), QString::number(document->fiscalSign));
    return m_kit.issue(QStringLiteral("КОПИЯ ОТЧЕТА О РЕГИСТРАЦИИ"), body);
}

int FiscalReportsModule::calculationState()
{
    const QString name = QStringLiteral("Report 42 (состояние расчетов)");
    if (m_kit.begin(kAnyMode, name) < 0 || requireStorage(name) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    QStringList body = m_core->columns(QStringLiteral("ФН"), r.storageNumber());
    body += m_core->columns(QStringLiteral("СМЕНА"), QString::number(r.shiftOpen ? r.shift.number : r.lastClosedShift()));
    body += unsentLines();
    return m_kit.issue(QStringLiteral("ОТЧЕТ О ТЕКУЩЕМ СОСТОЯНИИ РАСЧЕТОВ"), body);
}

int FiscalReportsModule::operatorDiagnostics()
{
    if (m_kit.begin(kAnyMode, QStringLiteral("Report 45 (диагностика соединения с ОФД)")) < 0)
        return -1;
    const Services &services = device().services();
    const QString server = services.caption ? services.caption(kCaptionOperatorServer).trimmed() : QString();
    const int port = services.value ? int(services.value(kValueOperatorPort)) : 0;
    QStringList body = m_core->columns(QStringLiteral("СЕРВЕР ОФД"), server.isEmpty() ? QStringLiteral("НЕ ЗАДАН") : server);
    body += m_core->columns(QStringLiteral("ПОРТ"), QString::number(port));
    body += m_core->columns(QStringLiteral("НЕПЕРЕДАННЫХ ФД"), QString::number(m_core->documentCount(m_core->unsentDocuments())));
    body.append(m_core->rule());
    body += m_core->columns(QStringLiteral("РЕЗУЛЬТАТ"), QStringLiteral("НЕТ СОЕДИНЕНИЯ"));
    body += m_core->wrapped(QStringLiteral("ВИРТУАЛЬНАЯ ККТ НЕ ПЕРЕДАЕТ ДОКУМЕНТЫ В ОФД"), 1);
    return m_kit.issue(QStringLiteral("ДИАГНОСТИКА СОЕДИНЕНИЯ С ОФД"), body);
}

int FiscalReportsModule::shiftCounters()
{
    const QString name = QStringLiteral("Report 47 (счетчики итогов смены)");
    if (m_kit.begin(kAnyMode, name) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (!r.shiftOpen && r.closedShifts.isEmpty())
        return device().fail(Code::NoShiftRecords, QStringLiteral("%1: смен еще не было").arg(name));
    const ShiftRecord &shift = r.shiftOpen ? r.shift : r.closedShifts.last();
    QStringList body = m_core->columns(QStringLiteral("СМЕНА"), QString::number(shift.number));
    body += m_core->columns(r.shiftOpen ? QStringLiteral("ОТКРЫТА") : QStringLiteral("ЗАКРЫТА"), m_kit.shiftDates(shift));
    body.append(m_core->rule());
    body += m_kit.countersLines(shift.counters, true);
    return m_kit.issue(QStringLiteral("СЧЕТЧИКИ ИТОГОВ СМЕНЫ"), body, shift.number);
}

int FiscalReportsModule::storageCounters()
{
    const QString name = QStringLiteral("Report 48 (счетчики итогов ФН)");
    if (m_kit.begin(kAnyMode, name) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    if (r.storages.isEmpty())
        return device().fail(Code::StorageNotActive, QStringLiteral("%1: ФН еще не активизировался (Activate)").arg(name));
    const StorageUnit &unit = r.storages.last();
    QList<const ShiftRecord *> shifts;
    for (const ShiftRecord &shift : r.closedShifts) {
        if (shift.number > unit.session)
            shifts.append(&shift);
    }
    Counters total = sumOf(shifts);
    if (r.shiftOpen && !unit.closed.isValid())
        total.add(r.shift.counters);
    QStringList body = m_core->columns(QStringLiteral("ФН"), unit.number);
    body += m_core->columns(QStringLiteral("АКТИВИЗАЦИЯ"), m_core->dateTime(unit.activated));
    body += m_core->columns(QStringLiteral("СМЕН"), QString::number(shifts.size() + (r.shiftOpen ? 1 : 0)));
    body.append(m_core->rule());
    body += m_kit.countersLines(total, true);
    return m_kit.issue(QStringLiteral("СЧЕТЧИКИ ИТОГОВ ФН"), body);
}

int FiscalReportsModule::unsentCounters()
{
    const QString name = QStringLiteral("Report 49 (счетчики по непереданным ФД)");
    if (m_kit.begin(kAnyMode, name) < 0 || requireStorage(name) < 0)
        return -1;
    const std::map<int, Tally> byType = m_core->receiptTotals(m_core->unsentDocuments());
    QStringList body = m_core->columns(QStringLiteral("ФН"), m_core->records().storageNumber());
    body += unsentLines();
    body.append(m_core->rule());
    for (const auto &entry : byType) {
        body.append(receiptTypeTitle(entry.first));
        body += m_core->columns(QStringLiteral("  ЧЕКОВ"), QString::number(entry.second.count));
        body += m_core->columns(QStringLiteral("  СУММА"), m_kit.amount(entry.second.sum));
    }
    if (byType.empty())
        body.append(QStringLiteral("ЧЕКОВ НЕТ"));
    return m_kit.issue(QStringLiteral("СЧЕТЧИКИ ПО НЕПЕРЕДАННЫМ ФД"), body);
}

} // namespace vreg
