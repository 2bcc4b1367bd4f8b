// Benchmarks of the main window (a program, not a test: it prints figures).
//
//   fptr_bench [RUNS] [startup|waiting]
//
// (a) Start-up: the time from starting a process until its window is shown
//     and the event loop is idle, for the program's window (with its default
//     virtual register and settings file) and for a bare QMainWindow built
//     with the same Qt, in alternating child processes of this one.
// (b) Waiting: the CPU time the GUI thread uses while a driver action that
//     takes 2 seconds runs on the worker thread under the window lock.
//
// Run it with the platform the figures are for, e.g. under xvfb-run with
// QT_QPA_PLATFORM=xcb, or offscreen.

#include "fptrdevicelist.h"
#include "fptrmainwindow.h"
#include "recordingdriver.h"
#include "scopedlocker.h"
#include "zeruzuva.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <time.h>

namespace {

const char *const ChildKind = "FPTR_BENCH_CHILD";
const char *const StartStamp = "FPTR_BENCH_T0_US";

qint64 realMicroseconds()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

double threadCpuMilliseconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// A child process: builds one window, and when the event loop first runs
// idle after showing it, prints the microseconds since the parent started it.
int child(int argc, char *argv[], const QByteArray &kind)
{
    QApplication app(argc, argv);
    const qint64 started = qEnvironmentVariable(StartStamp).toLongLong();
    QMainWindow *window = kind == "window" ? new FptrMainWindow() : new QMainWindow();
    if (kind != "window")
        window->resize(1080, 722);
    // A window with one line of text: what the first text alone costs
    // (font configuration and shaping), which the bare window never pays.
    if (kind == "label")
        window->setCentralWidget(new QLabel(QStringLiteral("Тест драйверов устройств печати")));
    window->show();
    QTimer::singleShot(0, [&]() {
        QTextStream(stdout) << (realMicroseconds() - started) << Qt::endl;
        // For instruction counts of the start-up alone (valgrind).
        if (qEnvironmentVariableIsSet("FPTR_BENCH_EXIT_WHEN_IDLE"))
            std::_Exit(0);
        app.quit();
    });
    app.exec();
    delete window;
    return 0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = int(values.size());
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double runChild(const QString &program, const QByteArray &kind, const QString &home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(ChildKind), QString::fromLatin1(kind));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QLatin1String(StartStamp), QString::number(realMicroseconds()));
    process.setProcessEnvironment(env);
    process.start(program, QStringList());
    process.waitForFinished(60000);
    return process.readAllStandardOutput().trimmed().toLongLong() / 1000.0;
}

void startupBenchmark(int runs)
{
    QTemporaryDir home;
    const QString program = QCoreApplication::applicationFilePath();
    // One unmeasured run each: the window's first start creates the settings
    // file and the device's data folder, as on a user's first start.
    runChild(program, "window", home.path());
    runChild(program, "bare", home.path());
    QList<double> window, bare, label;
    for (int i = 0; i < runs; ++i) {
        window << runChild(program, "window", home.path());
        bare << runChild(program, "bare", home.path());
        label << runChild(program, "label", home.path());
    }
    const double w = median(window), b = median(bare), l = median(label);
    QTextStream out(stdout);
    out << "(a) start-up until shown and idle, median of " << runs << " runs:\n"
        << "    program window: " << QString::number(w, 'f', 1) << " ms\n"
        << "    bare QMainWindow: " << QString::number(b, 'f', 1) << " ms\n"
        << "    ratio: " << QString::number(w / b, 'f', 2) << " (target: under 2)\n"
        << "    for reference, a QMainWindow with one text label: " << QString::number(l, 'f', 1)
        << " ms\n";

    // The pages left out of the start-up are built when first needed, all
    // of them at the latest before the first handler runs: what that costs
    // the first click once.
    QList<double> rest;
    for (int i = 0; i < runs; ++i) {
        FptrMainWindow built;
        built.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        built.realizeAllSections();
        rest << timer.nsecsElapsed() / 1e6;
    }
    out << "    setting up the remaining pages before the first handler (once): "
        << QString::number(median(rest), 'f', 1) << " ms\n";
}

void waitingBenchmark()
{
    RecordingDriver driver;
    driver.onAction(QStringLiteral("PrintHeader"), []() {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        return 0;
    });
    FptrMainWindow window;
    const int number = window.deviceList()->addDevice(static_cast<FptrFactory::PrinterDevice>(99),
                                                      new ZEruZuva(&driver));
    auto *devices = window.findChild<QComboBox *>(QStringLiteral("cmbDeviceList"));
    devices->addItem(QStringLiteral("bench"), number);
    devices->setCurrentIndex(devices->count() - 1);
    window.show();
    QApplication::processEvents();

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = threadCpuMilliseconds();
    {
        ScopedLocker locker(&window, true);
        window.execMethodAsync(&VOR::Fptr::IFptr::PrintHeader);
    }
    const double cpu = threadCpuMilliseconds() - cpuBefore;
    const double elapsed = double(wall.elapsed());
    QTextStream(stdout) << "(b) GUI thread while a 2 s action runs on the worker: "
                        << QString::number(cpu, 'f', 1) << " ms CPU in "
                        << QString::number(elapsed, 'f', 0) << " ms, "
                        << QString::number(100.0 * cpu / 2000.0, 'f', 2)
                        << " % of 2 s (target: under 5 %)\n";
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray kind = qgetenv(ChildKind);
    if (!kind.isEmpty())
        return child(argc, argv, kind);

    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTextStream(stdout) << "platform: " << QGuiApplication::platformName() << "\n";
    if (only.isEmpty() || only == QLatin1String("startup"))
        startupBenchmark(runs);
    if (only.isEmpty() || only == QLatin1String("waiting"))
        waitingBenchmark();
    return 0;
}
