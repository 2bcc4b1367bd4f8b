// Any bytes as the settings file, loaded by the real window. Both device
// kinds are served by a stand-in library handing out one recording driver,
// so the file's driver settings reach no real device (and no folder a
// hostile DataDir would name).

#include "fuzzsupport.h"
#include "recordingdriver.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QLibrary>
#include <QSaveFile>

namespace {

struct Bench
{
    WindowUser user;
    RecordingDriver driver;
    QString path;

    Bench()
    {
        user.startWindow(false);
        FptrMainWindow &window = *user.window;
        window.deviceList()->clear();
        user.widget<QComboBox>("cmbDeviceList")->clear();
        const QString fake = QCoreApplication::applicationDirPath() + QStringLiteral("/libfakedriver_full.so");
        QLibrary control(fake);
        if (!control.load())
            qFatal("%s", qPrintable(control.errorString()));
        auto setNext = reinterpret_cast<void (*)(VOR::Fptr::IFptr *)>(control.resolve("fakeDriverSetNextObject"));
        if (!setNext || !window.deviceList()->load(FptrFactory::FiscalPrinter, fake)
            || !window.deviceList()->load(FptrFactory::ReceiptPrinter, fake))
            qFatal("the stand-in driver library does not load");
        setNext(&driver);
        path = QDir::homePath() + QStringLiteral("/fuzzed.cfg");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static Bench *bench = new Bench;
    {
        QFile file(bench->path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            qFatal("cannot write %s", qPrintable(bench->path));
    }
    FptrMainWindow &window = *bench->user.window;
    window.loadSettings(bench->path);
    QComboBox *devices = bench->user.widget<QComboBox>("cmbDeviceList");
    // Every device in the list is one the device list holds.
    FUZZ_EXPECT(devices->count() == window.deviceList()->count());
    window.deviceList()->clear();
    devices->clear();
    bench->driver.clearLog();
    return 0;
}
