#include "recordingdriver.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <climits>
#include <cstring>

using VOR::Fptr::IFptr;

namespace {

// A driver that fills the whole capacity when the text is long enough and
// then writes no terminating zero, as some drivers do.
class FullBufferDriver : public RecordingDriver
{
public:
    QString caption;
    int Caption(wchar_t *buffer, int capacity) override
    {
        const std::wstring wide = caption.toStdWString();
        const int n = qMin(int(wide.size()), capacity);
        std::memcpy(buffer, wide.data(), size_t(n) * sizeof(wchar_t));
        if (n < capacity)
            buffer[n] = L'\0';
        return int(wide.size());
    }
};

const int NoOverride = INT_MIN;

} // namespace

class TestDriverWrapper : public QObject
{
    Q_OBJECT

private slots:
    void getBuffProtocol_data();
    void getBuffProtocol();
    void getBuffTakesWholeBufferWithoutTerminator();
    void genericWrapperStartsWithLargerBuffer();
    void numberGettersPresetZero();

    void raiseError_data();
    void raiseError();

    void datesAndTimes();
    void nullDriverRaisesDeviceNotFound();
};

void TestDriverWrapper::getBuffProtocol_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("reported");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("expectedLength");

    const QStringList one{QStringLiteral("Caption?256")};
    QTest::newRow("short") << 10 << NoOverride << one << 10;
    QTest::newRow("empty") << 0 << NoOverride << one << 0;
    QTest::newRow("257 in two calls")
        << 257 << NoOverride << QStringList{"Caption?256", "Caption?258"} << 257;
    QTest::newRow("300 in two calls")
        << 300 << NoOverride << QStringList{"Caption?256", "Caption?301"} << 300;
    QTest::newRow("length 0 with text") << 5 << 0 << one << 0;
    QTest::newRow("negative length") << 5 << -1 << one << 0;
    QTest::newRow("INT_MIN+1") << 5 << (INT_MIN + 1) << one << 0;
    QTest::newRow("just above the cap") << 5 << (16 * 1024 * 1024 + 1) << one << 0;
    QTest::newRow("INT_MAX") << 5 << INT_MAX << one << 0;
    // At the cap the second buffer is allocated; the text is what the driver
    // really wrote, not the length it claimed.
    QTest::newRow("at the cap")
        << 5 << (16 * 1024 * 1024) << QStringList{"Caption?256", "Caption?16777217"} << 5;
}

void TestDriverWrapper::getBuffProtocol()
{
    QFETCH(int, length);
    QFETCH(int, reported);
    QFETCH(QStringList, calls);
    QFETCH(int, expectedLength);

    RecordingDriver driver;
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'а' + i % 32);
    driver.set("Caption", text);
    if (reported != NoOverride)
        driver.setStringResult("Caption", reported);

    const ZEruZuva wrapper(&driver);
    const QString read = wrapper.getBuff(&IFptr::Caption);
    QCOMPARE(driver.log(), calls);
    QCOMPARE(read, text.left(expectedLength));
}

void TestDriverWrapper::getBuffTakesWholeBufferWithoutTerminator()
{
    FullBufferDriver driver;
    driver.caption = QString(256, QLatin1Char('x'));
    const ZEruZuva wrapper(&driver);
    QCOMPARE(wrapper.getBuff(&IFptr::Caption), driver.caption);

    driver.caption = QString(257, QLatin1Char('y'));
    QCOMPARE(wrapper.getBuff(&IFptr::Caption), driver.caption);
}

void TestDriverWrapper::genericWrapperStartsWithLargerBuffer()
{
    RecordingDriver driver;
    driver.set("Caption", QString(1000, QLatin1Char('z')));
    const ZUdeZazezavav<IFptr> generic(&driver);
    QCOMPARE(generic.getBuff(&IFptr::Caption).size(), 1000);
    QCOMPARE(driver.log(), QStringList{"Caption?1024"});

    // Through a base reference the wrapper's own size still applies.
    driver.clearLog();
    const ZEruZuva wrapper(&driver);
    const ZUdeZazezavav<IFptr> &base = wrapper;
    QCOMPARE(base.getBuff(&IFptr::Caption).size(), 1000);
    QCOMPARE(driver.log(), (QStringList{"Caption?256", "Caption?1001"}));
}

void TestDriverWrapper::numberGettersPresetZero()
{
    RecordingDriver driver;
    const ZEruZuva wrapper(&driver);
    QCOMPARE(wrapper.getInt(&IFptr::Mode), 0);
    QCOMPARE(wrapper.getDouble(&IFptr::Summ), 0.0);
    driver.set("Summ", 12.34);
    // A copy (as a worker thread uses) works on the same driver object.
    const ZEruZuva copy = wrapper;
    QCOMPARE(copy.getDouble(&IFptr::Summ), 12.34);
}

void TestDriverWrapper::raiseError_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("detailFlag");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("message"); // empty: no exception, result returned

    QTest::newRow("success") << 5 << -3 << "Нет бумаги" << 0 << "" << "";
    QTest::newRow("zero") << 0 << -3 << "Нет бумаги" << 0 << "" << "";
    QTest::newRow("negative without code") << -1 << 0 << "" << 0 << "" << "";
    QTest::newRow("code and description") << -1 << -3 << "Нет бумаги" << 0 << "" << "[-3] Нет бумаги";
    QTest::newRow("with detail")
        << -1 << -3822 << "Неверная цена" << 1 << "Свойство Price"
        << "[-3822] Неверная цена (Свойство Price)";
    QTest::newRow("detail flag with empty text")
        << -1 << -3 << "Нет бумаги" << 1 << "" << "[-3] Нет бумаги";
    QTest::newRow("placeholders in texts")
        << -1 << -16 << "100%1 %2" << 1 << "%1%2" << "[-16] 100%1 %2 (%1%2)";
    const QString longText(400, QLatin1Char('d'));
    QTest::newRow("long description")
        << -1 << -1 << longText << 0 << "" << QStringLiteral("[-1] ") + longText;
}

void TestDriverWrapper::raiseError()
{
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, description);
    QFETCH(int, detailFlag);
    QFETCH(QString, detail);
    QFETCH(QString, message);

    RecordingDriver driver;
    driver.set("ResultCode", code);
    driver.set("ResultDescription", description);
    driver.set("ResultDetail", detailFlag);
    driver.set("ResultDetailDescription", detail);
    const ZEruZuva wrapper(&driver);

    if (message.isEmpty()) {
        QCOMPARE(wrapper.raiseError(result), result);
        return;
    }
    try {
        wrapper.raiseError(result);
        QFAIL("no exception");
    } catch (const DeviceNotFoundException &) {
        QFAIL("wrong exception");
    } catch (const Exception &e) {
        QCOMPARE(e.whatQString(), message);
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
}

void TestDriverWrapper::datesAndTimes()
{
    RecordingDriver driver;
    const ZEruZuva wrapper(&driver);

    QVERIFY(!wrapper.getDate(&IFptr::Date).isValid());
    driver.setDate("Date", 31, 12, 2016);
    QCOMPARE(wrapper.getDate(&IFptr::Date), QDate(2016, 12, 31));
    driver.setDate("Date", 5, 7, 2020);
    QCOMPARE(wrapper.getDate(&IFptr::Date), QDate(2020, 7, 5));
    driver.setDate("Date", 31, 2, 2021);
    QVERIFY(!wrapper.getDate(&IFptr::Date).isValid());

    driver.setTime("Time", 23, 59, 58);
    QCOMPARE(wrapper.getTime(&IFptr::Time), QTime(23, 59, 58));

    driver.clearLog();
    QCOMPARE(wrapper.setDate(&IFptr::Date, QDate(2017, 3, 9)), 0);
    QCOMPARE(wrapper.setTime(&IFptr::Time, QTime(7, 8, 9, 500)), 0);
    QCOMPARE(driver.log(), (QStringList{"Date=09.03.2017", "Time=07:08:09"}));

    driver.failOn("Date", -12, QStringLiteral("Неверная дата"), QStringLiteral("31.02"));
    try {
        wrapper.setDate(&IFptr::Date, QDate(2020, 1, 1));
        QFAIL("no exception");
    } catch (const Exception &e) {
        QCOMPARE(e.whatQString(), QStringLiteral("[-12] Неверная дата (31.02)"));
    }
}

void TestDriverWrapper::nullDriverRaisesDeviceNotFound()
{
    const ZEruZuva wrapper;
    QVERIFY(!wrapper.ted());
    QCOMPARE(wrapper.defaultBufferSize(), 256);
    // Nothing needs the driver to pass a success through.
    QCOMPARE(wrapper.raiseError(3), 3);

    int raised = 0;
    const auto expectNotFound = [&](const std::function<void()> &call) {
        try {
            call();
        } catch (const DeviceNotFoundException &e) {
            if (e.whatQString() == QStringLiteral("Несуществующее устройство"))
                ++raised;
        }
    };
    expectNotFound([&] { wrapper.getInt(&IFptr::Mode); });
    expectNotFound([&] { wrapper.getDouble(&IFptr::Summ); });
    expectNotFound([&] { wrapper.getBuff(&IFptr::Caption); });
    expectNotFound([&] { wrapper.raiseError(-1); });
    expectNotFound([&] { wrapper.getDate(&IFptr::Date); });
    expectNotFound([&] { wrapper.getTime(&IFptr::Time); });
    expectNotFound([&] { wrapper.setDate(&IFptr::Date, QDate(2020, 1, 1)); });
    expectNotFound([&] { wrapper.setTime(&IFptr::Time, QTime(1, 2, 3)); });
    QCOMPARE(raised, 8);
}

FPTR_TEST_MAIN(TestDriverWrapper)
#include "tst_driverwrapper.moc"
