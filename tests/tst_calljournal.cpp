// The journaling driver object and its ring: every operation of the
// contract's lists is journaled with its name, kind and value on its way to
// the recording driver; failures carry the driver's code and description
// without disturbing the caller's own reads of them; the ring keeps the
// newest calls, numbered without gaps, from any number of threads.

#include "calljournal.h"
#include "callbacks.h"
#include "journalingdriver.h"
#include "recordingdriver.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <QThread>

#include <functional>
#include <thread>
#include <vector>

using Journal::Kind;
using Journal::Type;
using VOR::Fptr::IFptr;

namespace {

// A value of its own for every operation, so a call journaled under the
// wrong operation shows.
int intFor(const char *name)
{
    return int(qHash(QByteArray(name)) % 90000) + 10;
}

double doubleFor(const char *name)
{
    return intFor(name) + 0.125;
}

// Texts carry the print marks and quotes: they must arrive unchanged.
QString textFor(const char *name)
{
    return QStringLiteral("«%1»\t\n\x0bконец").arg(QLatin1String(name));
}

QList<int> tripleFor(const char *name)
{
    const int n = intFor(name);
    return {n % 28 + 1, n % 12 + 1, 2000 + n % 50};
}

// One operation as the lists in ifptr.h name it, and a call of it.
struct Probe
{
    QString name;
    Kind kind;
    Type type;
    std::function<int(IFptr *)> call;
};

std::vector<Probe> probes()
{
    std::vector<Probe> all;
#define PROBE_INT_R(Name) all.push_back({#Name, Kind::Getter, Type::Int, [](IFptr *d) { int v = 0; return d->Name(&v); }});
#define PROBE_INT_W(Name) all.push_back({#Name, Kind::Setter, Type::Int, [](IFptr *d) { return d->Name(intFor(#Name)); }});
#define PROBE_DOUBLE_R(Name) \
    all.push_back({#Name, Kind::Getter, Type::Double, [](IFptr *d) { double v = 0; return d->Name(&v); }});
#define PROBE_DOUBLE_W(Name) \
    all.push_back({#Name, Kind::Setter, Type::Double, [](IFptr *d) { return d->Name(doubleFor(#Name)); }});
#define PROBE_STRING_R(Name) \
    all.push_back({#Name, Kind::Getter, Type::Text, [](IFptr *d) { wchar_t b[256] = {}; return d->Name(b, 256); }});
#define PROBE_STRING_W(Name) \
    all.push_back({#Name, Kind::Setter, Type::Text, \
                   [](IFptr *d) { return d->Name(textFor(#Name).toStdWString().c_str()); }});
#define PROBE_DATE_R(Name) \
    all.push_back({#Name, Kind::Getter, Type::Date, [](IFptr *d) { int a = 0, b = 0, c = 0; return d->Name(&a, &b, &c); }});
#define PROBE_DATE_W(Name) \
    all.push_back({#Name, Kind::Setter, Type::Date, [](IFptr *d) { \
                       const QList<int> t = tripleFor(#Name); \
                       return d->Name(t[0], t[1], t[2]); \
                   }});
#define PROBE_TIME_R(Name) \
    all.push_back({#Name, Kind::Getter, Type::Time, [](IFptr *d) { int a = 0, b = 0, c = 0; return d->Name(&a, &b, &c); }});
#define PROBE_TIME_W(Name) \
    all.push_back({#Name, Kind::Setter, Type::Time, [](IFptr *d) { \
                       const QList<int> t = tripleFor(#Name); \
                       return d->Name(t[0], t[1], t[2]); \
                   }});
#define PROBE_PROPERTY(kind, Name, access) VOR_PROPERTY_MEMBERS(kind, Name, access, PROBE)
#define PROBE_ACTION(Name) all.push_back({#Name, Kind::Action, Type::None, [](IFptr *d) { return d->Name(); }});
    VOR_ALL_OPERATIONS(PROBE_PROPERTY, PROBE_ACTION)
    return all;
}

// A driver that forgets its failure once its description has been read,
// as some do.
class ForgetfulDriver : public RecordingDriver
{
public:
    int ResultDescription(wchar_t *buffer, int capacity) override
    {
        const int result = RecordingDriver::ResultDescription(buffer, capacity);
        if (result <= capacity) {
            set(QStringLiteral("ResultCode"), 0);
            set(QStringLiteral("ResultDescription"), QString());
        }
        return result;
    }
};

Journal::Call lastCall(const CallJournal &journal)
{
    std::vector<Journal::Call> calls;
    journal.copySince(journal.nextSeq() - 1, calls);
    return calls.empty() ? Journal::Call() : calls.back();
}

std::vector<Journal::Call> allCalls(const CallJournal &journal)
{
    std::vector<Journal::Call> calls;
    journal.copySince(0, calls);
    return calls;
}

} // namespace

class TestCallJournal : public QObject
{
    Q_OBJECT

private slots:
    void everyOperationIsJournaled_data();
    void everyOperationIsJournaled();
    void settingsOperationsCarryTheName();
    void failureDetailsDoNotDisturbTheCaller_data();
    void failureDetailsDoNotDisturbTheCaller();
    void settingsChangesAreNoted();
    void ringKeepsTheNewest_data();
    void ringKeepsTheNewest();
    void callsFromManyThreads();
    void pressesGroupTheirCalls();
};

void TestCallJournal::everyOperationIsJournaled_data()
{
    QTest::addColumn<int>("probe");
    const std::vector<Probe> all = probes();
    for (size_t i = 0; i < all.size(); ++i) {
        const char *kind = all[i].kind == Kind::Getter ? "get" : all[i].kind == Kind::Setter ? "set" : "run";
        QTest::newRow(qPrintable(all[i].name + QLatin1Char(' ') + QLatin1String(kind))) << int(i);
    }
}

void TestCallJournal::everyOperationIsJournaled()
{
    QFETCH(int, probe);
    const Probe p = probes()[size_t(probe)];
    const QByteArray name = p.name.toLatin1();
    RecordingDriver driver;
    // What a getter will find.
    switch (p.type) {
    case Type::Int: driver.set(p.name, intFor(name)); break;
    case Type::Double: driver.set(p.name, doubleFor(name)); break;
    case Type::Text: driver.set(p.name, textFor(name)); break;
    case Type::Date:
    case Type::Time: driver.set(p.name, QVariant::fromValue(tripleFor(name))); break;
    case Type::None: break;
    }
    CallJournal journal;
    JournalingDriver journaled(&driver, journal, journal.addDevice(0, QString()));

    p.call(&journaled);

    // The call reached the driver (the journal reads back the settings a
    // call may have changed)...
    const QStringList log = driver.log();
    QVERIFY(!log.isEmpty());
    QVERIFY2(log.constFirst().startsWith(p.name), qPrintable(log.constFirst()));
    for (const QString &extra : log.mid(1))
        QVERIFY2(extra.startsWith(QStringLiteral("DeviceSettings?")), qPrintable(log.join(", ")));
    // ...and the journal has it, once, as what it was.
    QCOMPARE(journal.nextSeq() - journal.firstSeq(), quint64(1));
    const Journal::Call call = lastCall(journal);
    QCOMPARE(QLatin1String(call.operation().name), p.name);
    QCOMPARE(int(call.operation().kind), int(p.kind));
    QCOMPARE(int(call.operation().type), int(p.type));
    QCOMPARE(call.deviceId, 1);
    // String getters answer the text's length.
    const bool textGetter = p.type == Type::Text && p.kind == Kind::Getter;
    QCOMPARE(call.result, textGetter ? int(textFor(name).size()) : 0);
    QVERIFY(!call.failed);
    QVERIFY(call.timeUs > 0);
    QCOMPARE(int(call.thread), int(Journal::Thread::Gui));
    switch (p.type) {
    case Type::Int: QCOMPARE(call.ints[0], intFor(name)); break;
    case Type::Double: QCOMPARE(call.number, doubleFor(name)); break;
    case Type::Text:
        QCOMPARE(call.text, textFor(name));
        if (p.kind == Kind::Getter)
            QCOMPARE(call.capacity, 256);
        break;
    case Type::Date:
    case Type::Time:
        QCOMPARE((QList<int>{call.ints[0], call.ints[1], call.ints[2]}), tripleFor(name));
        break;
    case Type::None: break;
    }
}

void TestCallJournal::settingsOperationsCarryTheName()
{
    RecordingDriver driver;
    driver.setSetting(QStringLiteral("Model"), QStringLiteral("2"));
    driver.setSettingDescription(QStringLiteral("Model"), QStringLiteral("1:57 мм;2:80 мм;"));
    CallJournal journal;
    JournalingDriver journaled(&driver, journal, journal.addDevice(0, QString()));
    wchar_t buffer[64] = {};
    QCOMPARE(journaled.ReadSetting(L"Model", buffer, 64), 1);
    QCOMPARE(journaled.ReadSettingDescription(L"Model", buffer, 64), 16);
    QCOMPARE(journaled.WriteSetting(L"SearchDir", L"/opt/кассы"), 0);
    // Pointers pass through, unjournaled.
    QCOMPARE(journaled.ParentWindow(&journal), 0);
    QCOMPARE(driver.parentWindow(), static_cast<void *>(&journal));
    ScannerEventHandler scanner;
    QCOMPARE(journaled.ScannerCallback(&scanner), 0);
    QCOMPARE(driver.scannerCallback(), static_cast<VOR::AbstractScannerEventHandler *>(&scanner));

    const std::vector<Journal::Call> calls = allCalls(journal);
    QCOMPARE(calls.size(), size_t(3));
    QCOMPARE(calls[0].op, quint16(Journal::Get_ReadSetting));
    QCOMPARE(calls[0].settingName, QStringLiteral("Model"));
    QCOMPARE(calls[0].text, QStringLiteral("2"));
    QCOMPARE(calls[1].text, QStringLiteral("1:57 мм;2:80 мм;"));
    QCOMPARE(calls[2].op, quint16(Journal::Set_WriteSetting));
    QCOMPARE(calls[2].settingName, QStringLiteral("SearchDir"));
    QCOMPARE(calls[2].text, QStringLiteral("/opt/кассы"));
}

void TestCallJournal::failureDetailsDoNotDisturbTheCaller_data()
{
    QTest::addColumn<bool>("forgetful");
    QTest::addColumn<QString>("description");
    QTest::newRow("driver answers every read") << false << QStringLiteral("Смена не открыта");
    QTest::newRow("driver forgets once read") << true << QStringLiteral("Смена не открыта");
    // Longer than the wrapper's first buffer: read again with its length.
    QTest::newRow("long description, forgetful") << true << QString(300, QChar(u'Ж'));
}

void TestCallJournal::failureDetailsDoNotDisturbTheCaller()
{
    QFETCH(bool, forgetful);
    QFETCH(QString, description);
    std::unique_ptr<RecordingDriver> driver(forgetful ? new ForgetfulDriver : new RecordingDriver);
    driver->failOn(QStringLiteral("Sell"), -3822, description);
    CallJournal journal;
    JournalingDriver journaled(driver.get(), journal, journal.addDevice(0, QString()));
    ZEruZuva wrapper(&journaled);

    try {
        wrapper.raiseError(journaled.Sell());
        QFAIL("the failure was not raised");
    } catch (const Exception &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("[-3822] ") + description);
    }

    const std::vector<Journal::Call> calls = allCalls(journal);
    QVERIFY(calls.size() >= 3);
    QCOMPARE(calls[0].op, quint16(Journal::Run_Sell));
    QVERIFY(calls[0].failed);
    QCOMPARE(calls[0].result, -1);
    QCOMPARE(calls[0].code, -3822);
    QCOMPARE(calls[0].description, description);
    // The caller's own reads are journaled as what it got.
    QCOMPARE(calls[1].op, quint16(Journal::Get_ResultCode));
    QCOMPARE(calls[1].ints[0], -3822);
    QCOMPARE(calls[2].op, quint16(Journal::Get_ResultDescription));
    QCOMPARE(calls[2].text.left(description.size()), description.left(256));

    // Any other call ends that: the next read is the driver's again.
    QCOMPARE(journaled.Beep(), 0);
    int code = 77;
    journaled.ResultCode(&code);
    QCOMPARE(code, 0);
}

void TestCallJournal::settingsChangesAreNoted()
{
    RecordingDriver driver;
    driver.set(QStringLiteral("DeviceSettings"), QStringLiteral("{\"Port\":\"USB\"}"));
    CallJournal journal;
    JournalingDriver journaled(&driver, journal, journal.addDevice(1, QStringLiteral("/lib/rcpprn")));
    journaled.Beep();
    journaled.DeviceSettings(L"{\"Port\":\"COM3\"}");
    driver.setActionResult(QStringLiteral("ShowProperties"), 1);
    driver.set(QStringLiteral("DeviceSettings"), QStringLiteral("{\"Port\":\"COM4\"}"));
    journaled.ShowProperties();
    driver.setActionResult(QStringLiteral("ShowProperties"), 0);
    journaled.ShowProperties();

    const std::vector<Journal::Call> calls = allCalls(journal);
    QCOMPARE(calls[0].settings, QString());
    // Read back from the driver, not taken from the argument.
    QCOMPARE(calls[1].settings, QStringLiteral("{\"Port\":\"COM3\"}"));
    QCOMPARE(calls[2].settings, QStringLiteral("{\"Port\":\"COM4\"}"));
    // A cancelled dialog changed nothing.
    QCOMPARE(calls[3].settings, QString());
    // The settings in force before a call, for the head of a journal file.
    QCOMPARE(journal.devices(calls[1].seq).constFirst().settings, QString());
    QCOMPARE(journal.devices(calls[2].seq).constFirst().settings, QStringLiteral("{\"Port\":\"COM3\"}"));
    QCOMPARE(journal.devices().constFirst().settings, QStringLiteral("{\"Port\":\"COM4\"}"));
    QCOMPARE(journal.devices().constFirst().kind, 1);
}

void TestCallJournal::ringKeepsTheNewest_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("newCapacity");
    QTest::addColumn<quint64>("first");
    QTest::addColumn<quint64>("next");
    QTest::newRow("not full") << 10 << 7 << 10 << quint64(1) << quint64(8);
    QTest::newRow("exactly full") << 10 << 10 << 10 << quint64(1) << quint64(11);
    QTest::newRow("wrapped") << 10 << 25 << 10 << quint64(16) << quint64(26);
    QTest::newRow("shrunk after wrapping") << 10 << 25 << 4 << quint64(22) << quint64(26);
    QTest::newRow("grown after wrapping") << 10 << 25 << 100 << quint64(16) << quint64(26);
    QTest::newRow("shrunk before full") << 10 << 7 << 3 << quint64(5) << quint64(8);
}

void TestCallJournal::ringKeepsTheNewest()
{
    QFETCH(int, capacity);
    QFETCH(int, calls);
    QFETCH(int, newCapacity);
    QFETCH(quint64, first);
    QFETCH(quint64, next);
    CallJournal journal(capacity);
    for (int i = 0; i < calls; ++i) {
        Journal::Call call;
        call.ints[0] = i + 1;
        journal.append(std::move(call));
    }
    journal.setCapacity(newCapacity);
    QCOMPARE(journal.firstSeq(), first);
    QCOMPARE(journal.nextSeq(), next);
    std::vector<Journal::Call> held = allCalls(journal);
    QCOMPARE(held.size(), size_t(next - first));
    for (size_t i = 0; i < held.size(); ++i) {
        QCOMPARE(held[i].seq, first + i);
        QCOMPARE(quint64(held[i].ints[0]), first + i);
    }
    // And on from there, still in order.
    for (int i = 0; i < newCapacity + 3; ++i) {
        Journal::Call call;
        call.ints[0] = int(next) + i;
        journal.append(std::move(call));
    }
    held = allCalls(journal);
    QCOMPARE(held.size(), size_t(newCapacity));
    for (size_t i = 0; i < held.size(); ++i)
        QCOMPARE(quint64(held[i].ints[0]), held[i].seq);
    // Reading from the middle.
    std::vector<Journal::Call> tail;
    QCOMPARE(journal.copySince(journal.nextSeq() - 2, tail, 1), journal.nextSeq() - 1);
    QCOMPARE(tail.size(), size_t(1));

    journal.clear();
    QCOMPARE(journal.firstSeq(), journal.nextSeq());
    QVERIFY(allCalls(journal).empty());
}

void TestCallJournal::callsFromManyThreads()
{
    RecordingDriver driver;
    CallJournal journal(100000);
    JournalingDriver journaled(&driver, journal, journal.addDevice(0, QString()));
    const int threads = 4;
    const int perThread = 2000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&journaled, t]() {
            for (int i = 0; i < perThread; ++i)
                journaled.Department(t * perThread + i);
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    journaled.Beep();

    const std::vector<Journal::Call> calls = allCalls(journal);
    QCOMPARE(calls.size(), size_t(threads * perThread + 1));
    std::vector<char> seen(size_t(threads * perThread), 0);
    for (size_t i = 0; i + 1 < calls.size(); ++i) {
        QCOMPARE(calls[i].seq, quint64(i + 1));
        QCOMPARE(int(calls[i].thread), int(Journal::Thread::Worker));
        ++seen[size_t(calls[i].ints[0])];
    }
    QVERIFY(std::all_of(seen.begin(), seen.end(), [](char n) { return n == 1; }));
    QCOMPARE(int(calls.back().thread), int(Journal::Thread::Gui));
}

void TestCallJournal::pressesGroupTheirCalls()
{
    RecordingDriver driver;
    CallJournal journal;
    JournalingDriver journaled(&driver, journal, journal.addDevice(0, QString()));
    journal.setDeviceName(1, QStringLiteral("Касса у окна"));
    journaled.Beep();
    journal.beginGroup(QStringLiteral("Продажа"));
    journaled.Quantity(1);
    // A handler that works another widget: still the same press.
    journal.beginGroup(QStringLiteral("Режим"));
    journaled.Mode(1);
    journal.endGroup();
    journaled.Sell();
    journal.endGroup();
    journaled.Beep();
    journal.beginGroup(QStringLiteral("Оплата"));
    journaled.Payment();
    journal.endGroup();

    const std::vector<Journal::Call> calls = allCalls(journal);
    QCOMPARE(calls.size(), size_t(6));
    const QStringList groups = {QString(), QStringLiteral("Продажа"), QStringLiteral("Продажа"),
                                QStringLiteral("Продажа"), QString(), QStringLiteral("Оплата")};
    for (size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls[i].groupName, groups[int(i)]);
        QCOMPARE(calls[i].group == 0, groups[int(i)].isEmpty());
        QCOMPARE(calls[i].device, QStringLiteral("Касса у окна"));
    }
    QCOMPARE(calls[1].group, calls[3].group);
    QVERIFY(calls[5].group != calls[1].group);
}

FPTR_TEST_MAIN(TestCallJournal)
#include "tst_calljournal.moc"
