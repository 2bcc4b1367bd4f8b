#include "modules/shiftreportsmodule.h"

#include "core/device.h"
#include "modules/reportkit.h"

namespace vreg {

namespace {

constexpr int kXReportMode = 2;
constexpr int kZReportMode = 3;
constexpr int kZReport = 1;
constexpr int kXReport = 2;

QString amountText(Money amount)
{
    return QLatin1Char('=') + FiscalCore::money(amount);
}

} // namespace

ShiftReportsModule::ShiftReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core)
    : Module(device)
    , m_core(std::move(core))
{
    m_reports[kZReport] = [this] { return zReport(); };
    m_reports[kXReport] = [this] { return xReport(); };
    device.services().addReport = [this](int reportType, std::function<int()> handler) {
        m_reports[reportType] = std::move(handler);
    };
}

void ShiftReportsModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::Report, Subject::Reports, [this] { return report(); });
    registry.add(Action::PrintLastCheckCopy, Subject::Reports, [this] { return printLastCheckCopy(); });
}

int ShiftReportsModule::report()
{
    const int type = device().props().ReportType;
    const auto found = m_reports.find(type);
    if (found == m_reports.end() || !found->second) {
        QStringList known;
        for (const auto &entry : m_reports)
            known.append(QString::number(entry.first));
        return device().fail(Code::NotSupported,
                             QStringLiteral("Report: отчет типа %1 не поддерживается; поддерживаются типы %2")
                                 .arg(type)
                                 .arg(known.join(QStringLiteral(", "))));
    }
    return found->second();
}

QStringList ShiftReportsModule::shiftLines(const ShiftRecord &shift, bool open, bool closing) const
{
    const FiscalCore &core = *m_core;
    const FiscalRecords &r = core.records();
    QStringList lines;
    if (open) {
        lines += core.columns(QStringLiteral("СМЕНА"), QString::number(shift.number));
        lines += core.columns(QStringLiteral("ОТКРЫТА"), core.dateTime(shift.opened));
    } else {
        lines += core.columns(QStringLiteral("СМЕНА ЗАКРЫТА"), QString::number(r.lastClosedShift()));
    }
    const int op = core.currentOperator();
    if (op > 0)
        lines += core.columns(QStringLiteral("КАССИР"), core.operatorName(op));
    lines.append(core.rule());

    const Counters &counters = shift.counters;
    lines += receiptTypeTotalsLines(core, counters, true, true);
    lines.append(core.rule());
    lines += core.columns(QStringLiteral("ВНЕСЕНИЙ %1").arg(counters.cashIncome.count), amountText(counters.cashIncome.sum));
    lines += core.columns(QStringLiteral("ВЫПЛАТ %1").arg(counters.cashOutcome.count), amountText(counters.cashOutcome.sum));
    lines += core.columns(QStringLiteral("НАЛИЧНЫХ В КАССЕ"), amountText(r.cash));
    lines += core.columns(QStringLiteral("ЧЕКОВ ЗА СМЕНУ"), QString::number(counters.receiptCount()));
    if (closing) {
        lines.append(QStringLiteral("НЕОБНУЛЯЕМЫЕ СУММЫ"));
        for (int type : {int(fiscal::Sale), int(fiscal::SaleReturn), int(fiscal::Purchase), int(fiscal::PurchaseReturn)})
            lines += core.columns(QStringLiteral("  ") + receiptTypeTitle(type), amountText(r.grand.of(type).receipts.sum));
    }
    return lines;
}

int ShiftReportsModule::xReport()
{
    if (m_core->requireMode(kXReportMode, "Report (X-отчет)") < 0 || m_core->requireNoReceipt("Report (X-отчет)") < 0
        || m_core->requirePrinter() < 0)
        return -1;
    const FiscalRecords &r = m_core->records();
    QStringList lines = m_core->documentHead(false);
    lines.append(m_core->centered(QStringLiteral("ОТЧЕТ БЕЗ ГАШЕНИЯ")));
    lines += shiftLines(r.shift, r.shiftOpen, false);
    FiscalDocument document;
    document.kind = DocumentKind::XReport;
    document.session = r.shiftOpen ? r.shift.number : 0;
    document.operatorNumber = m_core->currentOperator();
    const QStringList printed = m_core->issue(document, lines, false).lines;
    return m_core->print(printed, true);
}

int ShiftReportsModule::zReport()
{
    if (m_core->requireMode(kZReportMode, "Report (Z-отчет)") < 0 || m_core->requireNoReceipt("Report (Z-отчет)") < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    if (!r.shiftOpen)
        return device().fail(Code::ShiftNotOpen, QStringLiteral("Z-отчет закрывает открытую смену; последняя закрытая смена %1")
                                                     .arg(r.lastClosedShift()));
    if (m_core->requireFiscalStorage("Report (Z-отчет)") < 0 || m_core->requirePrinter() < 0)
        return -1;

    const int op = m_core->currentOperator();
    QStringList lines = m_core->documentHead(true);
    lines.append(m_core->centered(QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ")));
    lines += shiftLines(r.shift, true, true);
    FiscalDocument document;
    document.kind = DocumentKind::ZReport;
    document.session = r.shift.number;
    document.operatorNumber = op;
    document.total = r.shift.counters.of(fiscal::Sale).receipts.sum;
    document.tags.append({1118, 3, QString::number(r.shift.counters.receiptCount())});
    const FiscalDocument &issued = m_core->issue(document, lines, false);
    const QStringList printed = issued.lines;

    ShiftRecord closed = r.shift;
    closed.closed = issued.time;
    closed.closedBy = op;
    closed.closeDocument = issued.number;
    r.closedShifts.append(closed);
    r.shift = ShiftRecord();
    r.shiftOpen = false;
    m_core->refreshStatus();
    return m_core->print(printed, true);
}

int ShiftReportsModule::printLastCheckCopy()
{
    if (m_core->requireNoReceipt("PrintLastCheckCopy") < 0)
        return -1;
    const FiscalDocument *document = m_core->records().lastReceiptDocument();
    if (!document)
        return device().fail(Code::DocumentNotFound, QStringLiteral("в памяти нет закрытых чеков"));
    QStringList lines{m_core->centered(QStringLiteral("КОПИЯ"))};
    lines += document->lines;
    lines.append(m_core->centered(QStringLiteral("КОПИЯ")));
    return m_core->print(lines, true);
}

} // namespace vreg
