#include "appcore.h"
#include "fptrdevicelist.h"
#include "recordingdriver.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <QDateTime>
#include <QLibrary>
#include <QRegularExpression>

#include <climits>
#include <cstring>
#include <memory>

namespace {

// Controls of the stand-in driver library that the list releases into. Opened
// under the file's full name, so this handle is not the one the list unloads.
struct FakeDriver
{
    QString basePath = appDir() + QStringLiteral("fakedriver_full");
    QLibrary library{appDir() + QStringLiteral("libfakedriver_full.so")};
    int (*releaseCalls)() = nullptr;
    VOR::Fptr::IFptr *(*lastReleased)() = nullptr;
    void (*reset)() = nullptr;

    bool open()
    {
        if (!library.load())
            return false;
        releaseCalls = reinterpret_cast<int (*)()>(library.resolve("fakeDriverReleaseCalls"));
        lastReleased = reinterpret_cast<VOR::Fptr::IFptr *(*)()>(library.resolve("fakeDriverLastReleased"));
        reset = reinterpret_cast<void (*)()>(library.resolve("fakeDriverReset"));
        return releaseCalls && lastReleased && reset;
    }
};

// A driver whose setting value changes length between the two reads and
// which fills the whole capacity without a terminating zero.
class GrowingSettingDriver : public RecordingDriver
{
public:
    int calls = 0;
    int ReadSetting(const wchar_t *, wchar_t *buffer, int capacity) override
    {
        const int lengths[] = {3000, 1000000};
        const int length = lengths[qMin(calls++, 1)];
        for (int i = 0; i < qMin(length, capacity); ++i)
            buffer[i] = L'v';
        return length;
    }
};

} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void numbering();
    void currentDevice();
    void unknownNumbersRaise();
    void wrapperWithoutDriver();

    void readCurrentSetting_data();
    void readCurrentSetting();
    void settingGrowingBetweenReads();
    void readDescription();

    void defaultDeviceName_data();
    void defaultDeviceName();
    void nullDriverRaises();

private:
    FakeDriver m_fake;
    std::unique_ptr<FptrDeviceList> m_list;
    RecordingDriver m_drivers[4];

    FptrDeviceList &list() { return *m_list; }
};

void TestDeviceList::initTestCase()
{
    QVERIFY2(m_fake.open(), qPrintable(m_fake.library.errorString()));
}

void TestDeviceList::init()
{
    m_list.reset();
    m_fake.reset();
    // Whatever lies next to the program, the fake library takes both kinds,
    // so every release is recorded.
    m_list.reset(new FptrDeviceList);
    QVERIFY(list().load(FptrFactory::FiscalPrinter, m_fake.basePath));
    QVERIFY(list().load(FptrFactory::ReceiptPrinter, m_fake.basePath));
}

void TestDeviceList::numbering()
{
    QCOMPARE(list().count(), 0);
    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, nullptr), -1);
    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[0])), 1);
    QCOMPARE(list().addDevice(FptrFactory::ReceiptPrinter, new ZEruZuva(&m_drivers[1])), 2);
    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[2])), 3);
    QCOMPARE(list().count(), 3);
    QCOMPARE(list().deviceType(2), FptrFactory::ReceiptPrinter);

    list().removeDevice(2);
    QCOMPARE(m_fake.releaseCalls(), 1);
    QCOMPARE(m_fake.lastReleased(), &m_drivers[1]);
    QCOMPARE(list().count(), 2);
    list().removeDevice(2); // already gone
    QCOMPARE(m_fake.releaseCalls(), 1);

    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[3])), 4);
    QCOMPARE(list().device(4)->ted(), &m_drivers[3]);

    list().setCurrentDevice(3);
    list().clear();
    QCOMPARE(m_fake.releaseCalls(), 4);
    QCOMPARE(list().count(), 0);
    QCOMPARE(list().currentDevice(), -1);
    QCOMPARE(list().addDevice(FptrFactory::ReceiptPrinter, new ZEruZuva(&m_drivers[0])), 1);

    // Destroying the list releases what is left.
    m_list.reset();
    QCOMPARE(m_fake.releaseCalls(), 5);
}

void TestDeviceList::currentDevice()
{
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().device(-1));
    list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[0]));
    list().addDevice(FptrFactory::ReceiptPrinter, new ZEruZuva(&m_drivers[1]));
    // Adding does not make a device current.
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().device(-1));

    list().setCurrentDevice(2);
    QCOMPARE(list().device(-1)->ted(), &m_drivers[1]);
    QCOMPARE(list().device()->ted(), &m_drivers[1]);
    QCOMPARE(list().deviceType(-1), FptrFactory::ReceiptPrinter);

    list().setCurrentDevice(7);
    list().setCurrentDevice(0);
    list().setCurrentDevice(-1);
    QCOMPARE(list().device(-1)->ted(), &m_drivers[1]);

    // Removing the current device leaves the number dangling.
    list().removeDevice(2);
    QCOMPARE(list().currentDevice(), 2);
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().device(-1));
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().deviceType(-1));
    list().setCurrentDevice(1);
    QCOMPARE(list().device(-1)->ted(), &m_drivers[0]);
}

void TestDeviceList::unknownNumbersRaise()
{
    list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[0]));
    for (int number : {0, -2, INT_MIN, 2, INT_MAX}) {
        QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().device(number));
        QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().deviceType(number));
    }
    QCOMPARE(list().count(), 1);
    QCOMPARE(list().device(1)->ted(), &m_drivers[0]);
}

void TestDeviceList::wrapperWithoutDriver()
{
    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva), 1);
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, list().removeDevice(1));
    QCOMPARE(list().count(), 1);

    // clear() still empties the list, so numbering can restart safely.
    list().clear();
    QCOMPARE(list().count(), 0);
    QCOMPARE(m_fake.releaseCalls(), 0);
    QCOMPARE(list().addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&m_drivers[0])), 1);
    QCOMPARE(list().device(1)->ted(), &m_drivers[0]);

    // Nor may such a wrapper make the destructor throw.
    list().addDevice(FptrFactory::ReceiptPrinter, new ZEruZuva);
    m_list.reset();
    QCOMPARE(m_fake.releaseCalls(), 1);
}

void TestDeviceList::readCurrentSetting_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("reported");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("expectedLength");

    const int none = INT_MIN;
    QTest::newRow("short") << 12 << none << 1 << 12;
    QTest::newRow("2047 fits") << 2047 << none << 1 << 2047;
    QTest::newRow("2049 needs a second call") << 2049 << none << 2 << 2049;
    QTest::newRow("empty") << 0 << none << 1 << 0;
    QTest::newRow("zero reported") << 5 << 0 << 1 << 0;
    QTest::newRow("negative") << 5 << -7 << 1 << 0;
    QTest::newRow("above the cap") << 5 << (16 * 1024 * 1024 + 1) << 1 << 0;
    // A claimed length beyond the text: the text, not zeros.
    QTest::newRow("overstated") << 5 << 3000 << 2 << 5;
}

void TestDeviceList::readCurrentSetting()
{
    QFETCH(int, length);
    QFETCH(int, reported);
    QFETCH(int, calls);
    QFETCH(int, expectedLength);

    RecordingDriver driver;
    QString value;
    for (int i = 0; i < length; ++i)
        value += QChar(u'0' + i % 10);
    driver.setSetting("IPAddress", value);
    if (reported != INT_MIN)
        driver.setStringResult("ReadSetting:IPAddress", reported);

    QCOMPARE(::readCurrentSetting(&driver, L"IPAddress"), value.left(expectedLength));
    QCOMPARE(driver.count("ReadSetting(IPAddress)"), calls);
}

void TestDeviceList::settingGrowingBetweenReads()
{
    GrowingSettingDriver driver;
    const QString value = ::readCurrentSetting(&driver, L"Model");
    QCOMPARE(driver.calls, 2);
    // Never more than the enlarged buffer holds.
    QCOMPARE(value, QString(3001, QLatin1Char('v')));
}

void TestDeviceList::readDescription()
{
    RecordingDriver driver;
    driver.setSettingDescription("BaudRate", "1200:1200 бод;9600:9600 бод;115200:115200 бод;");
    driver.setSetting("BaudRate", "9600");
    QCOMPARE(readDescriptionOfCurrentSetting(&driver, L"BaudRate"), QStringLiteral("9600 бод"));
    QCOMPARE(driver.log(), (QStringList{"ReadSettingDescription(BaudRate)", "ReadSetting(BaudRate)"}));

    driver.setSetting("BaudRate", "4800");
    QCOMPARE(readDescriptionOfCurrentSetting(&driver, L"BaudRate"), QString());

    // A mapping longer than the first buffer, the value's key at its end.
    QString mapping;
    for (int key = 0; key < 400; ++key)
        mapping += QStringLiteral("%1:Модель номер %1;").arg(key);
    QVERIFY(mapping.size() > 4096);
    driver.setSettingDescription("Model", mapping);
    driver.setSetting("Model", "399");
    QCOMPARE(readDescriptionOfCurrentSetting(&driver, L"Model"), QStringLiteral("Модель номер 399"));

    // An absurd description length is a failed read, not an allocation.
    driver.setStringResult("ReadSettingDescription:Model", INT_MAX);
    QCOMPARE(readDescriptionOfCurrentSetting(&driver, L"Model"), QString());
}

void TestDeviceList::defaultDeviceName_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected"); // empty: a date-time name

    const QString m = QStringLiteral("Касса 57");
    QTest::newRow("device file") << "Файл устройства" << m << "Касса 57 (USB0 115200 бод)";
    QTest::newRow("TCP") << "TCP/IP" << m << "Касса 57 (192.168.0.10:5555)";
    QTest::newRow("COM3") << "COM3" << m << "Касса 57 (COM3 115200 бод)";
    QTest::newRow("COM alone") << "COM" << m << "Касса 57 (COM 115200 бод)";
    QTest::newRow("Bluetooth") << "Bluetooth" << m << "Касса 57 (00:1A:7D:DA:71:13)";
    QTest::newRow("USB") << "USB:1-1.4" << m << "Касса 57 (USB:1-1.4)";
    QTest::newRow("USB without model") << "USB:1-1.4" << "" << " (USB:1-1.4)";
    QTest::newRow("placeholders in model") << "USB:2" << "Касса %2%1" << "Касса %2%1 (USB:2)";
    QTest::newRow("lower-case com") << "com3" << m << "";
    QTest::newRow("TCP with blank") << "TCP/IP " << m << "";
    QTest::newRow("unknown port value") << "" << m << "";
}

void TestDeviceList::defaultDeviceName()
{
    QFETCH(QString, port);
    QFETCH(QString, model);
    QFETCH(QString, expected);

    RecordingDriver driver;
    driver.setSettingDescription("Model", "1:" + model + ";");
    driver.setSetting("Model", model.isEmpty() ? "2" : "1");
    // Port texts may contain ':' themselves; the key ends at the first one.
    driver.setSettingDescription("Port", port.isEmpty() ? QString() : "P:" + port + ";");
    driver.setSetting("Port", "P");
    driver.setSettingDescription("BaudRate", "7:115200 бод;");
    driver.setSetting("BaudRate", "7");
    driver.setSetting("TTYSuffix", "USB0");
    driver.setSetting("IPAddress", "192.168.0.10");
    driver.setSetting("IPPort", "5555");
    driver.setSetting("MACAddress", "00:1A:7D:DA:71:13");

    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const QString name = ::defaultDeviceName(&driver);
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    if (!expected.isEmpty()) {
        QCOMPARE(name, expected);
        return;
    }
    const QString format = QStringLiteral("yyyy.MM.dd HH:mm:ss.zzz");
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                 .match(name).hasMatch(),
             qPrintable(name));
    const QDateTime stamp = QDateTime::fromString(name, format);
    QVERIFY(stamp >= before && stamp <= after);
}

void TestDeviceList::nullDriverRaises()
{
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, ::readCurrentSetting(nullptr, L"Model"));
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, readDescriptionOfCurrentSetting(nullptr, L"Model"));
    QVERIFY_THROWS_EXCEPTION(DeviceNotFoundException, ::defaultDeviceName(nullptr));
}

FPTR_TEST_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
