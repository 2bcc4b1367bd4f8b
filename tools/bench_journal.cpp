// Benchmarks of the call journal (a program, not a test: it prints figures).
//
//   fptr_bench_journal [call|append|filter|window]
//
// (a) call:   the cost of journaling one driver call: the same calls on a
//             driver object that does nothing, directly and through the
//             journaling object; the difference is the journal's share.
// (b) append: appending 1,000,000 calls to the ring (100,000 calls, wrapping;
//             and 1,000,000 calls, growing).
// (c) filter: filtering the journal panel's table of 100,000 calls for a text.
// (d) window: the real window while a worker thread makes 100,000 driver
//             calls on its device: the longest gap between two passes of the
//             GUI event loop, with the journal panel closed (the machine's
//             own noise) and open.
//
// Run it with a throw-away HOME (the window part uses the default virtual
// register and writes its settings), offscreen or on a display.

#include "calljournal.h"
#include "fptrdevicelist.h"
#include "fptrmainwindow.h"
#include "journalingdriver.h"
#include "journalmodel.h"
#include "journalpanel.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// A driver object that answers every call at once with 0.
class NullDriver : public VOR::Fptr::IFptr
{
public:
#define NOOP_INT_R(Name) int Name(int *v) override { *v = 0; return 0; }
#define NOOP_INT_W(Name) int Name(int) override { return 0; }
#define NOOP_DOUBLE_R(Name) int Name(double *v) override { *v = 0; return 0; }
#define NOOP_DOUBLE_W(Name) int Name(double) override { return 0; }
#define NOOP_STRING_R(Name) int Name(wchar_t *b, int n) override { if (b && n > 0) b[0] = 0; return 0; }
#define NOOP_STRING_W(Name) int Name(const wchar_t *) override { return 0; }
#define NOOP_DATE_R(Name) int Name(int *a, int *b, int *c) override { *a = *b = *c = 0; return 0; }
#define NOOP_DATE_W(Name) int Name(int, int, int) override { return 0; }
#define NOOP_TIME_R(Name) NOOP_DATE_R(Name)
#define NOOP_TIME_W(Name) NOOP_DATE_W(Name)
#define NOOP_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, NOOP)
#define NOOP_ACTION(Name) int Name() override { return 0; }
    VOR_ALL_OPERATIONS(NOOP_PROPERTY, NOOP_ACTION)
    int ParentWindow(void *) override { return 0; }
    int ReadSetting(const wchar_t *, wchar_t *b, int n) override { if (b && n > 0) b[0] = 0; return 0; }
    int WriteSetting(const wchar_t *, const wchar_t *) override { return 0; }
    int ReadSettingDescription(const wchar_t *, wchar_t *b, int n) override { if (b && n > 0) b[0] = 0; return 0; }
    int ScannerCallback(VOR::AbstractScannerEventHandler *) override { return 0; }
};

// What the bench does for one position: a text, numbers, an action, a
// status read and a text read.
void positionCalls(VOR::Fptr::IFptr *driver)
{
    static const wchar_t name[] = L"Чипсы с беконом";
    wchar_t buffer[256];
    int value = 0;
    driver->Name(name);
    driver->Quantity(2.345);
    driver->Price(45.5);
    driver->Department(1);
    driver->Sell();
    driver->ChequeState(&value);
    driver->ResultDescription(buffer, 256);
}
const int CallsPerPosition = 7;

double nanosecondsPerCall(VOR::Fptr::IFptr *driver, int positions)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < positions; ++i)
        positionCalls(driver);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count())
        / (double(positions) * CallsPerPosition);
}

void benchCall()
{
    const int positions = 300000;
    NullDriver null;
    CallJournal journal;
    JournalingDriver journaled(&null, journal, journal.addDevice(0, QString()));
    // Warm up both, then take the best of three: the machine is shared.
    nanosecondsPerCall(&null, positions / 10);
    nanosecondsPerCall(&journaled, positions / 10);
    double direct = 1e9;
    double through = 1e9;
    for (int run = 0; run < 3; ++run) {
        direct = std::min(direct, nanosecondsPerCall(&null, positions));
        through = std::min(through, nanosecondsPerCall(&journaled, positions));
    }
    out() << QStringLiteral("call: %1 calls (text, double, int setters, an action, an int and a text getter)\n")
                 .arg(positions * CallsPerPosition)
          << QStringLiteral("  direct         %1 ns/call\n").arg(direct, 0, 'f', 1)
          << QStringLiteral("  journaled      %1 ns/call\n").arg(through, 0, 'f', 1)
          << QStringLiteral("  journal's cost %1 us/call (target <= 2 us)\n").arg((through - direct) / 1000.0, 0, 'f', 3);
}

Journal::Call sampleCall(int i)
{
    Journal::Call call;
    call.deviceId = 1;
    call.timeUs = 1700000000000000LL + i;
    call.durationNs = 800;
    switch (i % 4) {
    case 0:
        call.op = Journal::Set_Name;
        call.text = QStringLiteral("Чипсы с беконом %1").arg(i % 100);
        break;
    case 1:
        call.op = Journal::Set_Quantity;
        call.number = 2.345;
        break;
    case 2:
        call.op = Journal::Run_Sell;
        if (i % 40 == 2) {
            call.result = -1;
            call.code = -3822;
            call.failed = true;
            call.description = QStringLiteral("Смена не открыта");
        }
        break;
    default:
        call.op = Journal::Get_ChequeState;
        call.ints[0] = 1;
        break;
    }
    return call;
}

void benchAppend()
{
    const int count = 1000000;
    for (int capacity : {CallJournal::DefaultCapacity, count}) {
        CallJournal journal(capacity);
        journal.addDevice(0, QString());
        std::vector<Journal::Call> calls;
        calls.reserve(size_t(count));
        for (int i = 0; i < count; ++i)
            calls.push_back(sampleCall(i));
        QElapsedTimer timer;
        timer.start();
        for (Journal::Call &call : calls)
            journal.append(std::move(call));
        const qint64 ns = timer.nsecsElapsed();
        out() << QStringLiteral("append: %1 calls into a ring of %2: %3 ms (%4 ns/call)\n")
                     .arg(count)
                     .arg(capacity)
                     .arg(ns / 1e6, 0, 'f', 1)
                     .arg(double(ns) / count, 0, 'f', 1);
    }
}

void benchFilter()
{
    const int count = 100000;
    CallJournal journal(count);
    journal.addDevice(0, QString());
    journal.setDeviceName(1, QStringLiteral("Виртуальная ККТ 57 мм (USB:VREG)"));
    for (int i = 0; i < count; ++i) {
        // A press every 20 calls, as a handler makes them.
        if (i % 20 == 0)
            journal.beginGroup(QStringLiteral("Продажа"));
        journal.append(sampleCall(i));
        if (i % 20 == 19)
            journal.endGroup();
    }
    JournalModel model(journal);
    QElapsedTimer timer;
    timer.start();
    model.reload();
    out() << QStringLiteral("filter: %1 calls, %2 rows loaded in %3 ms\n")
                 .arg(model.callCount())
                 .arg(model.rowCount())
                 .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1);
    const struct {
        const char *label;
        QString text;
        bool failures;
    } filters[] = {
        {"text in 1 of 100 calls (\"беконом 40\")", QStringLiteral("беконом 40"), false},
        {"text in no row (\"нет такого\")", QStringLiteral("нет такого"), false},
        {"failures only", QString(), true},
        {"no filter", QString(), false},
    };
    for (const auto &filter : filters) {
        double best = 1e9;
        int rows = 0;
        for (int run = 0; run < 3; ++run) {
            // From another filter, so every run really filters.
            model.setFilter(QStringLiteral("x"), 0, !filter.failures);
            timer.restart();
            model.setFilter(filter.text, 0, filter.failures);
            best = std::min(best, timer.nsecsElapsed() / 1e6);
            rows = model.rowCount();
        }
        out() << QStringLiteral("  %1: %2 ms, %3 rows (target <= 100 ms)\n")
                     .arg(QString::fromUtf8(filter.label))
                     .arg(best, 0, 'f', 1)
                     .arg(rows);
    }
}

struct LoopFigures
{
    qint64 loopNs = 0;
    qint64 longestGapNs = 0;
    qint64 passes = 0;
    qint64 catchUpNs = 0;
};

// Runs 100,000 driver calls on a worker thread, as a long command would,
// while the GUI thread runs its event loop; notes the longest time between
// two passes of the loop, until the panel (when open) has taken every call.
LoopFigures driverLoop(FptrMainWindow &window, JournalPanel *panel)
{
    VOR::Fptr::IFptr *driver = window.deviceList()->device()->ted();
    const int loops = 100000 / 4;
    LoopFigures figures;
    std::atomic<bool> done{false};
    QElapsedTimer sinceLast;
    QTimer pass;
    pass.setInterval(0);
    QObject::connect(&pass, &QTimer::timeout, [&]() {
        if (figures.passes++ > 0)
            figures.longestGapNs = std::max(figures.longestGapNs, sinceLast.nsecsElapsed());
        sinceLast.restart();
    });
    QElapsedTimer loopTime;
    loopTime.start();
    pass.start();
    sinceLast.start();
    std::thread worker([&]() {
        int value = 0;
        for (int i = 0; i < loops; ++i) {
            driver->Quantity(1.0);
            driver->Price(10.0);
            driver->ChequeState(&value);
            driver->Mode(&value);
        }
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    figures.loopNs = loopTime.nsecsElapsed();
    QElapsedTimer settle;
    settle.start();
    while (panel->isVisible() ? panel->model()->isBehind() && settle.elapsed() < 10000 : settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    figures.catchUpNs = loopTime.nsecsElapsed() - figures.loopNs;
    pass.stop();
    return figures;
}

void benchWindow()
{
    FptrMainWindow window;
    window.show();
    auto *panel = window.findChild<JournalPanel *>();
    QApplication::processEvents();
    // Once unmeasured: the first loop also pays for the driver's and the
    // journal's first use of memory.
    driverLoop(window, panel);
    for (const bool open : {false, true}) {
        if (open) {
            panel->button()->click();
            QApplication::processEvents();
        }
        CallJournal::global().clear();
        panel->model()->reload();
        const LoopFigures figures = driverLoop(window, panel);
        out() << QStringLiteral("window, panel %1: 100000 driver calls on a worker thread in %2 ms\n")
                     .arg(open ? QStringLiteral("open") : QStringLiteral("closed"))
                     .arg(figures.loopNs / 1e6, 0, 'f', 0)
              << QStringLiteral("  event-loop passes %1, longest gap %2 ms")
                     .arg(figures.passes)
                     .arg(figures.longestGapNs / 1e6, 0, 'f', 1);
        if (open)
            out() << QStringLiteral("; the table had every call %1 ms after the loop (%2 calls)")
                         .arg(figures.catchUpNs / 1e6, 0, 'f', 0)
                         .arg(panel->model()->callCount());
        out() << '\n';
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (part.isEmpty() || part == QLatin1String("call"))
        benchCall();
    if (part.isEmpty() || part == QLatin1String("append"))
        benchAppend();
    if (part.isEmpty() || part == QLatin1String("filter"))
        benchFilter();
    if (part.isEmpty() || part == QLatin1String("window"))
        benchWindow();
    return 0;
}
