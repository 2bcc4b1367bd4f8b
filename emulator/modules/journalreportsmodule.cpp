#include "modules/journalreportsmodule.h"
#include "modules/sdcard.h"

#include "core/device.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>

#include <map>

namespace vreg {

namespace {

constexpr int kSelectionAny = -1;
constexpr int kXReportMode = 2;
constexpr int kZReportMode = 3;
constexpr int kAdditionalMode = 7;
// The test run's settings in the tables: its period in seconds and its
// number of cycles; both bounded so a run cannot hold the device forever.
constexpr int kValueTestRunPeriod = 202;
constexpr int kValueTestRunCycles = 203;
constexpr int kMaxTestRunCycles = 100;
constexpr int kMaxTestRunPeriod = 60;
constexpr int kValueFfdVersion = 378;

// Sums of a receipt type, counted by whatever the report groups by.
struct TypeTallies
{
    std::map<int, Tally> byType;
    bool isEmpty() const { return byType.empty(); }
};

// One line a receipt type: its count and sum.
QStringList typeLines(FiscalCore &core, ReportKit &kit, const TypeTallies &tallies)
{
    QStringList lines;
    for (const auto &type : tallies.byType) {
        lines += core.columns(QStringLiteral("  %1 %2").arg(receiptTypeTitle(type.first)).arg(type.second.count),
                              kit.amount(type.second.sum));
    }
    return lines;
}

} // namespace

JournalReportsModule::JournalReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core,
                                           std::shared_ptr<ElectronicJournal> journal)
    : Module(device)
    , m_core(std::move(core))
    , m_journal(std::move(journal))
    , m_kit(*m_core)
{
}

void JournalReportsModule::registerActions(ActionRegistry &registry)
{
    Q_UNUSED(registry);
    const Services &services = device().services();
    if (!services.addReport)
        return;
    services.addReport(0, [this] { return clearControlTape(); });
    services.addReport(7, [this] { return departments(); });
    services.addReport(8, [this] { return cashiers(); });
    services.addReport(10, [this] { return hours(); });
    services.addReport(11, [this] { return quantities(); });
    services.addReport(34, [this] { return documentByNumber(); });
    services.addReport(35, [this] { return controlTape(true); });
    services.addReport(36, [this] { return controlTape(false); });
    services.addReport(38, [this] { return serviceReport(); });
    services.addReport(39, [this] { return sdCardReport(); });
    services.addReport(43, [this] { return deviceInformation(); });
    services.addReport(44, [this] { return testRun(); });
    services.addReport(50, [this] { return journalByDocuments(); });
    services.addReport(51, [this] { return journalByShifts(); });
}

// ---- memory

void JournalReportsModule::resetState()
{
    *m_journal = ElectronicJournal();
}

bool JournalReportsModule::loadState(const QJsonObject &section, QString *error)
{
    ElectronicJournal journal;
    if (!journal.fromJson(section, error))
        return false;
    *m_journal = journal;
    return true;
}

QJsonObject JournalReportsModule::saveState() const
{
    return m_journal->toJson();
}

// ---- shared

QList<FiscalDocument> JournalReportsModule::shiftDocuments() const
{
    const FiscalRecords &r = m_core->records();
    if (!r.shiftOpen)
        return QList<FiscalDocument>();
    DocumentQuery query;
    query.session = r.shift.number;
    query.withoutReports = true;
    return m_core->documents(query);
}

QStringList JournalReportsModule::shiftHeading() const
{
    const FiscalRecords &r = m_core->records();
    QStringList lines;
    if (r.shiftOpen) {
        lines += m_core->columns(QStringLiteral("СМЕНА"), QString::number(r.shift.number));
        lines += m_core->columns(QStringLiteral("ОТКРЫТА"), m_core->dateTime(r.shift.opened));
    } else {
        lines += m_core->columns(QStringLiteral("СМЕНА ЗАКРЫТА"), QString::number(r.lastClosedShift()));
    }
    lines.append(m_core->rule());
    return lines;
}

void JournalReportsModule::markCleared(const FiscalDocument &report)
{
    m_journal->clearedThrough = report.number;
    m_journal->clearedAt = report.time;
}

// ---- reports of the shift

int JournalReportsModule::clearControlTape()
{
    const QString name = QStringLiteral("Report 0 (гашение контрольной ленты)");
    if (m_kit.begin(kZReportMode, name) < 0)
        return -1;
    const QList<FiscalDocument> documents = m_journal->documents(*m_core);
    QStringList body = m_core->columns(QStringLiteral("ДОКУМЕНТОВ В ЭЖ"), QString::number(documents.size()));
    if (!documents.isEmpty()) {
        body += m_core->columns(QStringLiteral("С ФД"), QString::number(documents.first().fiscalNumber));
        body += m_core->columns(QStringLiteral("ПО ФД"), QString::number(documents.last().fiscalNumber));
    }
    body.append(m_core->centered(QStringLiteral("ЭЖ ОЧИЩЕН")));
    return m_kit.issue(QStringLiteral("ГАШЕНИЕ КОНТРОЛЬНОЙ ЛЕНТЫ"), body, 0,
                       [this](const FiscalDocument &report) { markCleared(report); });
}

int JournalReportsModule::departments()
{
    if (m_kit.begin(kXReportMode, QStringLiteral("Report 7 (отчет по секциям)")) < 0)
        return -1;
    // What each department sold, after storno, discounts and charges.
    std::map<int, TypeTallies> byDepartment;
    for (const FiscalDocument &document : shiftDocuments()) {
        if (document.kind != DocumentKind::Receipt || !document.hasReceipt)
            continue;
        for (const Position &position : document.receipt.positions)
            byDepartment[position.department].byType[document.receiptType].add(position.final);
    }
    QStringList body = shiftHeading();
    for (const auto &entry : byDepartment) {
        body += m_core->wrapped(m_kit.departmentHeading(entry.first), 1);
        body += typeLines(*m_core, m_kit, entry.second);
    }
    if (byDepartment.empty())
        body.append(QStringLiteral("НЕТ ДАННЫХ"));
    return m_kit.issue(QStringLiteral("ОТЧЕТ ПО СЕКЦИЯМ"), body);
}

int JournalReportsModule::cashiers()
{
    if (m_kit.begin(kXReportMode, QStringLiteral("Report 8 (отчет по кассирам)")) < 0)
        return -1;
    struct Cashier
    {
        TypeTallies receipts;
        Tally income;
        Tally outcome;
    };
    std::map<int, Cashier> byOperator;
    for (const FiscalDocument &document : shiftDocuments()) {
        if (document.kind == DocumentKind::Receipt)
            byOperator[document.operatorNumber].receipts.byType[document.receiptType].add(document.total);
        else if (document.kind == DocumentKind::CashIncome)
            byOperator[document.operatorNumber].income.add(document.total);
        else if (document.kind == DocumentKind::CashOutcome)
            byOperator[document.operatorNumber].outcome.add(document.total);
    }
    QStringList body = shiftHeading();
    for (const auto &entry : byOperator) {
        const QString name = m_core->operatorName(entry.first);
        body += m_core->wrapped(name.isEmpty() ? QStringLiteral("КАССИР %1").arg(entry.first) : name, 1);
        body += typeLines(*m_core, m_kit, entry.second.receipts);
        if (entry.second.income.count > 0)
            body += m_core->columns(QStringLiteral("  ВНЕСЕНИЙ %1").arg(entry.second.income.count), m_kit.amount(entry.second.income.sum));
        if (entry.second.outcome.count > 0)
            body += m_core->columns(QStringLiteral("  ВЫПЛАТ %1").arg(entry.second.outcome.count), m_kit.amount(entry.second.outcome.sum));
    }
    if (byOperator.empty())
        body.append(QStringLiteral("НЕТ ДАННЫХ"));
    return m_kit.issue(QStringLiteral("ОТЧЕТ ПО КАССИРАМ"), body);
}

int JournalReportsModule::hours()
{
    if (m_kit.begin(kXReportMode, QStringLiteral("Report 10 (отчет по часам)")) < 0)
        return -1;
    std::map<QDateTime, TypeTallies> byHour;
    for (const FiscalDocument &document : shiftDocuments()) {
        if (document.kind != DocumentKind::Receipt)
            continue;
        const QDateTime hour(document.time.date(), QTime(document.time.time().hour(), 0));
        byHour[hour].byType[document.receiptType].add(document.total);
    }
    QStringList body = shiftHeading();
    for (const auto &entry : byHour) {
        body.append(entry.first.toString(QStringLiteral("dd.MM.yy hh:00-hh:59")));
        body += typeLines(*m_core, m_kit, entry.second);
    }
    if (byHour.empty())
        body.append(QStringLiteral("НЕТ ДАННЫХ"));
    return m_kit.issue(QStringLiteral("ОТЧЕТ ПО ЧАСАМ"), body);
}

int JournalReportsModule::quantities()
{
    if (m_kit.begin(kXReportMode, QStringLiteral("Report 11 (отчет по количеству)")) < 0)
        return -1;
    struct Goods
    {
        QString name;
        qint64 quantity = 0;
        Money sum = 0;
    };
    std::map<int, QList<Goods>> byType;
    for (const FiscalDocument &document : shiftDocuments()) {
        if (document.kind != DocumentKind::Receipt || !document.hasReceipt)
            continue;
        QList<Goods> &goods = byType[document.receiptType];
        for (const Position &position : document.receipt.positions) {
            int index = -1;
            for (int i = 0; i < goods.size() && index < 0; ++i) {
                if (goods[i].name == position.name)
                    index = i;
            }
            if (index < 0) {
                goods.append(Goods{position.name, 0, 0});
                index = int(goods.size()) - 1;
            }
            goods[index].quantity += position.quantity;
            goods[index].sum += position.final;
        }
    }
    QStringList body = shiftHeading();
    for (const auto &entry : byType) {
        body.append(receiptTypeTitle(entry.first));
        for (const Goods &goods : entry.second) {
            body += m_core->wrapped(goods.name, 1);
            body += m_core->columns(QStringLiteral("  ") + FiscalCore::quantity(goods.quantity), m_kit.amount(goods.sum));
        }
    }
    if (byType.empty())
        body.append(QStringLiteral("НЕТ ДАННЫХ"));
    return m_kit.issue(QStringLiteral("ОТЧЕТ ПО КОЛИЧЕСТВУ"), body);
}

// ---- the archive and the electronic journal

int JournalReportsModule::documentByNumber()
{
    const QString name = QStringLiteral("Report 34 (документ по номеру)");
    if (m_kit.begin(kXReportMode, name) < 0)
        return -1;
    const int number = device().props().DocNumber;
    const FiscalRecords &r = m_core->records();
    const std::optional<FiscalDocument> found = m_core->document(number);
    if (!found) {
        return device().fail(Code::DocumentNotFound,
                             QStringLiteral("%1: DocNumber = %2; документы 1..%3")
                                 .arg(name)
                                 .arg(number)
                                 .arg(r.lastDocumentNumber));
    }
    QStringList body{m_core->centered(QStringLiteral("КОПИЯ"))};
    body += found->lines;
    body.append(m_core->centered(QStringLiteral("КОПИЯ")));
    return m_kit.issue(QStringLiteral("ДОКУМЕНТ № %1").arg(number), body);
}

int JournalReportsModule::controlTape(bool full)
{
    const QString name = full ? QStringLiteral("Report 35 (КЛ полностью)") : QStringLiteral("Report 36 (КЛ сокращенно)");
    const int clear = device().props().ClearFlag;
    if (clear != 0 && clear != 1)
        return device().fail(Code::InvalidReportParameter, QStringLiteral("%1: ClearFlag = %2; допустимо 0 или 1").arg(name).arg(clear));
    // Printing the control tape only reads it; clearing it is a report with clearing.
    if (m_kit.begin(clear ? kZReportMode : kXReportMode, name) < 0)
        return -1;
    const QList<FiscalDocument> documents = m_journal->documents(*m_core);
    if (documents.isEmpty()) {
        return device().fail(Code::NoReportData,
                             QStringLiteral("%1: ЭЖ пуст (очищен после документа %2)").arg(name).arg(m_journal->start(*m_core)));
    }
    QStringList body;
    if (full) {
        body = m_kit.documentLines(documents);
    } else {
        for (const FiscalDocument &document : documents)
            body += m_kit.documentSummary(document);
    }
    body.append(m_core->rule());
    body += m_core->columns(QStringLiteral("ДОКУМЕНТОВ"), QString::number(documents.size()));
    if (!clear)
        return m_kit.issue(full ? QStringLiteral("КОНТРОЛЬНАЯ ЛЕНТА") : QStringLiteral("КОНТРОЛЬНАЯ ЛЕНТА СОКРАЩЕННАЯ"), body);
    body.append(m_core->centered(QStringLiteral("ЭЖ ОЧИЩЕН")));
    return m_kit.issue(full ? QStringLiteral("КОНТРОЛЬНАЯ ЛЕНТА") : QStringLiteral("КОНТРОЛЬНАЯ ЛЕНТА СОКРАЩЕННАЯ"), body, 0,
                       [this](const FiscalDocument &report) { markCleared(report); });
}

int JournalReportsModule::journalByDocuments()
{
    const QString name = QStringLiteral("Report 50 (ЭЖ по диапазону документов)");
    if (m_kit.begin(kXReportMode, name) < 0)
        return -1;
    qint64 from = 0, to = 0;
    if (!m_kit.documentRange(name, &from, &to))
        return -1;
    QList<FiscalDocument> documents;
    const QList<FiscalDocument> journal = m_journal->documents(*m_core);
    for (const FiscalDocument &document : journal) {
        if (document.number >= from && document.number <= to)
            documents.append(document);
    }
    if (documents.isEmpty()) {
        return device().fail(Code::NoReportData,
                             QStringLiteral("%1: документов %2..%3 в ЭЖ нет; в ЭЖ %4")
                                 .arg(name)
                                 .arg(from)
                                 .arg(to)
                                 .arg(journal.isEmpty() ? QStringLiteral("нет документов")
                                                        : QStringLiteral("документы %1..%2")
                                                              .arg(journal.first().number)
                                                              .arg(journal.last().number)));
    }
    QStringList body = m_core->columns(QStringLiteral("ДОКУМЕНТЫ"), QStringLiteral("%1 - %2").arg(from).arg(to));
    body.append(m_core->rule());
    body += m_kit.documentLines(documents);
    body.append(m_core->rule());
    return m_kit.issue(QStringLiteral("ЭЖ ПО ДИАПАЗОНУ ДОКУМЕНТОВ"), body);
}

bool JournalReportsModule::journalOfShifts(const QString &name, int from, int to,
                                           QList<FiscalDocument> *documents)
{
    for (const FiscalDocument &document : m_journal->documents(*m_core)) {
        if (document.session >= from && document.session <= to)
            documents->append(document);
    }
    if (documents->isEmpty()) {
        device().fail(Code::NoReportData,
                      QStringLiteral("%1: документов смен %2..%3 в ЭЖ нет").arg(name).arg(from).arg(to));
        return false;
    }
    return true;
}

int JournalReportsModule::journalByShifts()
{
    const QString name = QStringLiteral("Report 51 (ЭЖ по диапазону смен)");
    if (m_kit.begin(kXReportMode, name) < 0)
        return -1;
    int from = 0, to = 0;
    if (!m_kit.shiftRange(name, &from, &to))
        return -1;
    QList<FiscalDocument> documents;
    if (!journalOfShifts(name, from, to, &documents))
        return -1;
    QStringList body = m_core->columns(QStringLiteral("СМЕНЫ"), QStringLiteral("%1 - %2").arg(from).arg(to));
    body.append(m_core->rule());
    body += m_kit.documentLines(documents);
    body.append(m_core->rule());
    return m_kit.issue(QStringLiteral("ЭЖ ПО ДИАПАЗОНУ СМЕН"), body);
}

int JournalReportsModule::sdCardReport()
{
    const QString name = QStringLiteral("Report 39 (электронный отчет на SD)");
    if (m_kit.begin(kXReportMode, name) < 0)
        return -1;
    int from = 0, to = 0;
    if (!m_kit.shiftRange(name, &from, &to))
        return -1;
    QList<FiscalDocument> documents;
    if (!journalOfShifts(name, from, to, &documents))
        return -1;
    if (m_core->requirePrinter() < 0)
        return -1;

    // The report goes onto the card as a text file, through the card's own
    // confinement (a link named `sd` or `reports` is never followed); the
    // tape gets a note.
    const QString fileName = QStringLiteral("ej-%1-%2-%3.txt")
                                 .arg(from)
                                 .arg(to)
                                 .arg(m_core->now().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    QStringList content = m_kit.title(QStringLiteral("ЭЛЕКТРОННЫЙ ОТЧЕТ"));
    content += m_core->columns(QStringLiteral("СМЕНЫ"), QStringLiteral("%1 - %2").arg(from).arg(to));
    content += m_kit.documentLines(documents);
    sdcard::Failure failure;
    if (!sdcard::writeWholeFile(device().dataFolder(), QStringLiteral("reports/") + fileName,
                                (content.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), &failure)) {
        return device().fail(Code::SdCardWriteError, QStringLiteral("%1: %2").arg(name, failure.detail));
    }

    QStringList body = m_core->columns(QStringLiteral("СМЕНЫ"), QStringLiteral("%1 - %2").arg(from).arg(to));
    body += m_core->columns(QStringLiteral("ДОКУМЕНТОВ"), QString::number(documents.size()));
    body += m_core->wrapped(QStringLiteral("ЗАПИСАН НА SD: reports/") + fileName, 2);
    return m_kit.issue(QStringLiteral("ЭЛЕКТРОННЫЙ ОТЧЕТ"), body);
}

// ---- the device

int JournalReportsModule::serviceReport()
{
    if (m_kit.begin(kXReportMode, QStringLiteral("Report 38 (служебный отчет)")) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    const Services &services = device().services();
    const FiscalCore &core = *m_core;
    QStringList body;
    body += core.columns(QStringLiteral("ЗН ККТ"), r.serialNumber.isEmpty() ? QStringLiteral("НЕ ВВЕДЕН") : r.serialNumber);
    body += core.columns(QStringLiteral("ДОКУМЕНТОВ"), QString::number(r.lastDocumentNumber));
    body += core.columns(QStringLiteral("ФИСКАЛЬНЫХ ДОКУМЕНТОВ"), QString::number(r.lastFiscalNumber));
    body += core.columns(QStringLiteral("В ЭЖ"), QString::number(m_journal->count(core)));
    body += core.columns(QStringLiteral("ЗАКРЫТО СМЕН"), QString::number(r.closedShifts.size()));
    body += core.columns(QStringLiteral("СВОБОДНО ЗАПИСЕЙ ФП"),
                         QString::number(fiscal::kMaxShiftRecords - r.closedShifts.size()));
    body += core.columns(QStringLiteral("ОСТАЛОСЬ ПЕРЕРЕГИСТРАЦИЙ"),
                         QString::number(fiscal::kMaxRegistrations - r.registrations.size()));
    body += core.columns(QStringLiteral("ОСТАЛОСЬ АКТИВИЗАЦИЙ"), QString::number(fiscal::kMaxActivations - r.storages.size()));
    body += core.columns(QStringLiteral("НАЛИЧНЫХ В КАССЕ"), m_kit.amount(r.cash));
    body.append(core.rule());
    body += core.columns(QStringLiteral("НАПЕЧАТАНО СТРОК"),
                         QString::number(services.printedLineCount ? services.printedLineCount() : 0));
    body += core.columns(QStringLiteral("ОТРЕЗОВ"), QString::number(services.cutCount ? services.cutCount() : 0));
    return m_kit.issue(QStringLiteral("СЛУЖЕБНЫЙ ОТЧЕТ"), body);
}

int JournalReportsModule::deviceInformation()
{
    if (m_kit.begin(kSelectionAny, QStringLiteral("Report 43 (информация об устройстве)")) < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    const Services &services = device().services();
    const PropertyStore &props = device().props();
    const FiscalCore &core = *m_core;
    static const char *const units[] = {
        "ПО ККТ", "ПРОЦЕССОР ФП", "ЗАГРУЗЧИК ФП", "ПРОЦЕССОР ПРИНТЕРА", "ЗАГРУЗЧИК ПРИНТЕРА",
    };
    QStringList body = core.wrapped(props.DeviceDescription, 1);
    body += core.columns(QStringLiteral("МОДЕЛЬ"), QString::number(props.Model));
    body += core.columns(QStringLiteral("ЗН ККТ"), r.serialNumber.isEmpty() ? QStringLiteral("НЕ ВВЕДЕН") : r.serialNumber);
    for (int unit = 1; unit <= 5; ++unit) {
        const QStringList version = services.unitVersion ? services.unitVersion(unit) : QStringList();
        if (version.size() >= 3)
            body += core.columns(QString::fromUtf8(units[unit - 1]), version.join(QLatin1Char('.')));
    }
    body += core.columns(QStringLiteral("ШИРИНА ЛЕНТЫ"), QStringLiteral("%1 СИМВ.").arg(props.CharLineLength));
    body.append(core.rule());
    if (r.fiscalised()) {
        body += core.columns(QStringLiteral("ИНН"), r.registrations.last().inn);
        body += core.columns(QStringLiteral("РН ККТ"), r.registrations.last().rnm);
    } else {
        body.append(QStringLiteral("ККТ НЕ ФИСКАЛИЗИРОВАНА"));
    }
    if (r.storageActive())
        body += core.columns(QStringLiteral("ФН"), r.storageNumber());
    else
        body.append(r.archiveClosed() ? QStringLiteral("АРХИВ ФН ЗАКРЫТ") : QStringLiteral("ФН НЕ АКТИВИЗИРОВАН"));
    static const char *const formats[] = {"1.0", "1.05", "1.1", "1.2"};
    const int format = services.value ? int(services.value(kValueFfdVersion)) : 2;
    if (format >= 1 && format <= 4)
        body += core.columns(QStringLiteral("ФФД"), QLatin1String(formats[format - 1]));
    body += core.columns(QStringLiteral("СМЕНА"), r.shiftOpen ? QStringLiteral("%1 ОТКРЫТА").arg(r.shift.number)
                                                             : QStringLiteral("ЗАКРЫТА"));
    return m_kit.issue(QStringLiteral("ИНФОРМАЦИЯ О ККТ"), body);
}

int JournalReportsModule::testRun()
{
    if (m_kit.begin(kAdditionalMode, QStringLiteral("Report 44 (технологический прогон)")) < 0 || m_core->requirePrinter() < 0)
        return -1;
    const Services &services = device().services();
    const auto value = [&](int number) { return services.value ? int(services.value(number)) : 0; };
    const int cycles = qBound(1, value(kValueTestRunCycles), kMaxTestRunCycles);
    const int period = qBound(0, value(kValueTestRunPeriod), kMaxTestRunPeriod);
    const int width = m_core->width();

    QList<QStringList> parts;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        QStringList part = m_core->columns(QStringLiteral("ЦИКЛ"), QStringLiteral("%1 ИЗ %2").arg(cycle).arg(cycles));
        QString ruler;
        for (int column = 1; column <= width; ++column)
            ruler += QChar(QLatin1Char('0' + column % 10));
        part.append(ruler);
        QString characters;
        for (char c = '!'; c <= '~'; ++c)
            characters += QLatin1Char(c);
        characters += QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя");
        for (int from = 0; from < characters.size(); from += width)
            part.append(characters.mid(from, width));
        part.append(QString(width, QChar(0x2588)));
        parts.append(part);
    }
    QStringList head = m_core->documentHead(false);
    head += m_kit.title(QStringLiteral("ТЕХНОЛОГИЧЕСКИЙ ПРОГОН"));
    head += m_core->columns(QStringLiteral("ПЕРИОД"), QStringLiteral("%1 С").arg(period));
    QStringList all = head;
    for (const QStringList &part : parts)
        all += part;
    FiscalDocument document;
    document.kind = DocumentKind::Report;
    document.operatorNumber = m_core->currentOperator();
    const FiscalDocument &issued = m_core->issue(document, all, false);
    const QStringList closing = issued.lines.mid(all.size());

    // The cycles come out one by one, the period apart.
    for (int i = 0; i < parts.size(); ++i) {
        QStringList chunk = i == 0 ? head + parts[i] : parts[i];
        const bool last = i + 1 == parts.size();
        if (last)
            chunk += closing;
        if (services.printDocument && services.printDocument(chunk, last) < 0)
            return -1;
        if (!last && period > 0) {
            device().afterCommit([period] {
                QThread::sleep(unsigned(period));
                return 0;
            });
        }
    }
    return 0;
}

} // namespace vreg
