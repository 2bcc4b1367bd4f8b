// Benchmarks of the virtual register's memory (a program, not a test: it
// prints figures). Everything goes through the driver library's entry points,
// at PrintSpeed 0, in a fresh data folder under /tmp unless one is given.
//
//   vreg_storage_bench [receipt|commits|cash|year|all] [--folder DIR] [--days N]
//
// receipt  a 1000-position receipt: open, 1000 x Sell, payment, close; the
//          total and the mean cost of the first and the last ten sales
// commits  what each kind of action costs: one refused before it changes
//          anything (no commit), a sale (a working-memory commit, not
//          synced), a cash deposit (a document, synced)
// cash     the median cash deposit on a fresh register and after an archive
//          of 2000 closed receipts
// year     365 shifts of 200 receipts of 3 positions with X- and Z-reports,
//          then the receipt and cash figures again at the year's end; the
//          time the year took and the size of the database

#include "vregtill.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

using namespace vregtest;

namespace {

QTextStream out(stdout);

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double mean(const std::vector<double> &values, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count && i < values.size(); ++i)
        sum += values[i];
    return count ? sum / double(count) : 0;
}

// Milliseconds an action takes; aborts the benchmark when it fails.
template <typename F>
double timed(const Till &till, const char *what, F action)
{
    QElapsedTimer clock;
    clock.start();
    const int result = action();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (result < 0) {
        out << what << " failed: " << till.result() << Qt::endl;
        std::exit(2);
    }
    return ms;
}

qint64 folderSize(const QString &folder, int *files = nullptr)
{
    qint64 size = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files);
    for (const QFileInfo &file : entries)
        size += file.size();
    if (files)
        *files = int(entries.size());
    return size;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

class Bench
{
public:
    Bench(Library &library, const QString &folder)
        : m_till(library)
        , m_folder(folder)
    {
        if (!m_till.open({QStringLiteral("DataDir"), folder}) || m_till.mode(1) < 0) {
            out << "the register does not open in " << folder << ": " << m_till.result() << Qt::endl;
            std::exit(2);
        }
    }
    Till &till() { return m_till; }

    struct ReceiptFigures
    {
        double total = 0, firstTen = 0, lastTen = 0, close = 0, sells = 0, medianSell = 0, slowestSell = 0;
    };
    // The paper comes out on a thread of its own, and a fast loop of actions
    // leaves it behind: measured actions start once it has caught up, so
    // that they do not share the processor with it. Seconds it took.
    double waitForPaper()
    {
        QElapsedTimer clock;
        clock.start();
        m_till->GetStatus();
        return double(clock.elapsed()) / 1000.0;
    }

    ReceiptFigures longReceipt(int positions)
    {
        waitForPaper();
        ReceiptFigures figures;
        std::vector<double> sells;
        QElapsedTimer clock;
        clock.start();
        m_till->ChequeType(1);
        m_till->PrintCheck(1);
        timed(m_till, "OpenCheque", [&] { return m_till->OpenCheque(); });
        for (int i = 0; i < positions; ++i) {
            const Item item{QStringLiteral("Товар %1").arg(i), 1, 1.00 + i % 7, 1 + i % 3, 0};
            m_till.position(item);
            sells.push_back(timed(m_till, "Sell", [&] { return m_till->Sell(); }));
        }
        timed(m_till, "Payment", [&] { return m_till.pay(0, 10000); });
        figures.close = timed(m_till, "CloseCheque", [&] { return m_till.close(0); });
        figures.total = double(clock.nsecsElapsed()) / 1e6;
        figures.firstTen = mean(sells, 0, 10);
        figures.sells = mean(sells, 0, sells.size()) * double(sells.size());
        figures.medianSell = median(sells);
        figures.slowestSell = *std::max_element(sells.begin(), sells.end());
        figures.lastTen = mean(sells, sells.size() - 10, 10);
        return figures;
    }

    double cashIncomeMedian(int runs)
    {
        waitForPaper();
        std::vector<double> times;
        for (int i = 0; i < runs; ++i)
            times.push_back(timed(m_till, "CashIncome", [&] { return m_till.cash(true, 1.00); }));
        return median(times);
    }

    // Closed receipts of `positions` positions each.
    void receipts(int count, int positions)
    {
        for (int r = 0; r < count; ++r) {
            for (int p = 0; p < positions; ++p) {
                if (m_till.sell({QStringLiteral("Позиция %1").arg(p), 1, 10.00 + p, 1, 0}) < 0)
                    fail("Sell");
            }
            if (m_till.close(0) < 0)
                fail("CloseCheque");
        }
    }

    void fail(const char *what)
    {
        out << what << " failed: " << m_till.result() << Qt::endl;
        std::exit(2);
    }

    QString folder() const { return m_folder; }

private:
    Till m_till;
    QString m_folder;
};

void printReceipt(const char *when, const Bench::ReceiptFigures &f)
{
    out << "  1000-position receipt " << when << ": " << QString::number(f.total, 'f', 1) << " ms in total"
        << " (target <= 200); Sell: first ten " << QString::number(f.firstTen, 'f', 3) << " ms, last ten "
        << QString::number(f.lastTen, 'f', 3) << " ms, ratio " << QString::number(f.lastTen / f.firstTen, 'f', 2)
        << " (target <= 1.5); all sales " << QString::number(f.sells, 'f', 1) << " ms (median "
        << QString::number(f.medianSell, 'f', 3) << ", slowest " << QString::number(f.slowestSell, 'f', 1)
        << "); CloseCheque " << QString::number(f.close, 'f', 1) << " ms" << Qt::endl;
}

void receipt(Library &library, const QString &base)
{
    out << "receipt" << Qt::endl;
    Bench bench(library, base + QStringLiteral("/receipt"));
    printReceipt("on a fresh register", bench.longReceipt(1000));
}

void commits(Library &library, const QString &base)
{
    out << "commits" << Qt::endl;
    Bench bench(library, base + QStringLiteral("/commits"));
    Till &till = bench.till();
    bench.receipts(1, 1); // the shift is open
    std::vector<double> refused, working, durable;
    for (int i = 0; i < 200; ++i) {
        till->Summ(-1.0);
        QElapsedTimer clock;
        clock.start();
        till->CashIncome(); // refused: a negative sum
        refused.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    till->ChequeType(1);
    timed(till, "OpenCheque", [&] { return till->OpenCheque(); });
    for (int i = 0; i < 200; ++i)
        working.push_back(timed(till, "Sell", [&] { return till.sell({QStringLiteral("Хлеб"), 1, 30.00, 1, 0}); }));
    timed(till, "CloseCheque", [&] { return till.close(0); });
    for (int i = 0; i < 200; ++i)
        durable.push_back(timed(till, "CashIncome", [&] { return till.cash(true, 1.00); }));
    out << "  refused, nothing stored: median " << QString::number(median(refused), 'f', 3) << " ms" << Qt::endl;
    out << "  Sell, working memory (not synced): median " << QString::number(median(working), 'f', 3) << " ms"
        << Qt::endl;
    out << "  CashIncome, a document (synced): median " << QString::number(median(durable), 'f', 3) << " ms"
        << Qt::endl;
}

void cash(Library &library, const QString &base)
{
    out << "cash" << Qt::endl;
    Bench bench(library, base + QStringLiteral("/cash"));
    const double fresh = bench.cashIncomeMedian(100);
    QElapsedTimer clock;
    clock.start();
    bench.receipts(2000, 3);
    const double archiveMs = double(clock.elapsed());
    const double after = bench.cashIncomeMedian(100);
    out << "  CashIncome median: fresh " << QString::number(fresh, 'f', 3) << " ms, after 2000 receipts "
        << QString::number(after, 'f', 3) << " ms, ratio " << QString::number(after / fresh, 'f', 2)
        << " (target <= 3); the 2000 receipts took " << QString::number(archiveMs / 1000.0, 'f', 1) << " s"
        << Qt::endl;
}

void year(Library &library, const QString &base, int days)
{
    out << "year (" << days << " shifts)" << Qt::endl;
    const QString folder = base + QStringLiteral("/year");
    Bench bench(library, folder);
    Till &till = bench.till();
    const double freshCash = bench.cashIncomeMedian(100);
    if (till.mode(3) < 0 || till.report(1) < 0) // the deposits opened a shift
        bench.fail("Z-report");
    const QDateTime start = QDateTime::currentDateTime().addSecs(3600);
    QElapsedTimer clock;
    clock.start();
    for (int day = 0; day < days; ++day) {
        if (till.mode(0) < 0 && till->ResetMode() < 0)
            bench.fail("ResetMode");
        if (till.setClock(start.addDays(day)) < 0)
            bench.fail("SetDate");
        if (till.mode(1) < 0)
            bench.fail("mode 1");
        bench.receipts(200, 3);
        if (till.mode(2) < 0 || till.report(2) < 0)
            bench.fail("X-report");
        if (till.mode(3) < 0 || till.report(1) < 0)
            bench.fail("Z-report");
        if ((day + 1) % 30 == 0) {
            out << "  day " << day + 1 << ": " << QString::number(double(clock.elapsed()) / 1000.0, 'f', 1) << " s"
                << Qt::endl;
        }
    }
    const double yearSeconds = double(clock.elapsed()) / 1000.0;
    if (till.mode(1) < 0)
        bench.fail("mode 1");
    const double endCash = bench.cashIncomeMedian(100);
    const Bench::ReceiptFigures receiptFigures = bench.longReceipt(1000);
    const double paperLag = bench.waitForPaper();
    int pictures = 0;
    const qint64 paper = folderSize(folder + QStringLiteral("/tape"), &pictures);
    out << "  the year took " << QString::number(yearSeconds, 'f', 1) << " s; the data folder holds "
        << megabytes(folderSize(folder)) << " (memory.db " << megabytes(QFileInfo(folder + QStringLiteral("/memory.db")).size())
        << ", tape.txt " << megabytes(QFileInfo(folder + QStringLiteral("/tape.txt")).size()) << ") and "
        << megabytes(paper) << " of paper in " << pictures << " pictures, out " << QString::number(paperLag, 'f', 1)
        << " s after the last action" << Qt::endl;
    out << "  CashIncome median: fresh " << QString::number(freshCash, 'f', 3) << " ms, at the year's end "
        << QString::number(endCash, 'f', 3) << " ms, ratio " << QString::number(endCash / freshCash, 'f', 2)
        << " (target <= 3)" << Qt::endl;
    printReceipt("at the year's end", receiptFigures);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString part = QStringLiteral("all");
    QString folder;
    int days = 365;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--folder") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == QLatin1String("--days") && i + 1 < args.size())
            days = args[++i].toInt();
        else
            part = args[i];
    }
    std::unique_ptr<QTemporaryDir> temporary;
    if (folder.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vreg-bench-XXXXXX"));
        folder = temporary->path();
    }
    Library library(QStringLiteral("/fptr"));
    if (!library.ok()) {
        out << "the driver library fptr is not next to this program" << Qt::endl;
        return 2;
    }
    if (part == QLatin1String("receipt") || part == QLatin1String("all"))
        receipt(library, folder);
    if (part == QLatin1String("commits") || part == QLatin1String("all"))
        commits(library, folder);
    if (part == QLatin1String("cash") || part == QLatin1String("all"))
        cash(library, folder);
    if (part == QLatin1String("year") || part == QLatin1String("all"))
        year(library, folder, days);
    return 0;
}
