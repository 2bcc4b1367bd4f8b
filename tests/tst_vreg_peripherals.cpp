// The virtual register's modem, Wi-Fi module, pin pad and scanner through
// the driver interface, each against servers on 127.0.0.1 that the test
// starts itself: real connections, real refusals and timeouts, and scans
// arriving through the callback from the driver's own thread.

#include "localserver.h"
#include "testmain.h"
#include "vregclient.h"

#include <QElapsedTimer>
#include <QMutex>

#include <thread>

using namespace vregtest;
using localserver::EchoServer;

namespace {

// Short enough for the failing cases to stay quick, long enough for a
// loaded machine to answer the good ones.
const QString kTimeout = QStringLiteral("300");

// The scanner callback of a test: what arrived, and on which threads.
class ScanRecorder : public VOR::AbstractScannerEventHandler
{
public:
    int on_data_event(const unsigned char *data, int size) override
    {
        QMutexLocker lock(&m_mutex);
        m_scans.append(QByteArray(reinterpret_cast<const char *>(data), size));
        m_threads.append(std::this_thread::get_id());
        return 0;
    }
    QList<QByteArray> scans() const
    {
        QMutexLocker lock(&m_mutex);
        return m_scans;
    }
    QList<std::thread::id> threads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_threads;
    }
    int count() const { return int(scans().size()); }

private:
    mutable QMutex m_mutex;
    QList<QByteArray> m_scans;
    QList<std::thread::id> m_threads;
};

// Opens the modem to 127.0.0.1:port.
int openModem(Device &device, int port, int type, int mode = 1, const QString &host = QStringLiteral("127.0.0.1"))
{
    device.setText(&Driver::ModemIpAddress, host);
    device->ModemIpPort(port);
    device->ModemMode(mode);
    device->ModemConnectionType(type);
    return device->OpenModem();
}

QString answer(Device &device, int size, int (Driver::*read)() = &Driver::ReadModem)
{
    device->ReadSize(size);
    if ((device.get()->*read)() < 0)
        return QStringLiteral("failed: ") + device.result();
    return device.text(&Driver::AnswerBuffer);
}

} // namespace

class TestVregPeripherals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void modemExchange_data();
    void modemExchange();
    void modemFailures_data();
    void modemFailures();
    void modemNoticesTheOtherSideClosing();
    void wifi();
    void pinPad_data();
    void pinPad();

    void scansArriveInOrderFromTheDriversThread();
    void burstOfScansArrivesWhole();
    void scannerRefusals_data();
    void scannerRefusals();
    void scannerPortClosesAfterwards_data();
    void scannerPortClosesAfterwards();

private:
    std::unique_ptr<Library> m_fptr;
    std::unique_ptr<Library> m_printer;
};

void TestVregPeripherals::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY(m_fptr->ok());
    QVERIFY(m_printer->ok());
}

// ---- modem

void TestVregPeripherals::modemExchange_data()
{
    QTest::addColumn<int>("socketType");
    QTest::addColumn<int>("connectionType");
    QTest::newRow("TCP") << int(SOCK_STREAM) << 1;
    QTest::newRow("UDP") << int(SOCK_DGRAM) << 2;
}

// Power, connect, write, read back in two pieces, status, close, power off:
// the states follow each step.
void TestVregPeripherals::modemExchange()
{
    QFETCH(int, socketType);
    QFETCH(int, connectionType);
    EchoServer server(socketType);
    QVERIFY(server.ok());
    Device device(*m_fptr);
    QVERIFY(device.connect({"ConnectionTimeout", "3000"}));

    QCOMPARE(device.intValue(&Driver::ModemState), 0);
    QCOMPARE(device->PowerOnModem(), 0);
    QCOMPARE(device->GetModemStatus(), 0);
    QCOMPARE(device.intValue(&Driver::ModemState), 2);
    QVERIFY(device.intValue(&Driver::ModemSignal) < 0);
    QVERIFY(!device.text(&Driver::ModemOperator).isEmpty());

    QVERIFY2(openModem(device, server.port(), connectionType) == 0, qPrintable(device.result()));
    QCOMPARE(device.intValue(&Driver::ModemState), 4);
    QCOMPARE(device.setText(&Driver::CommandBuffer, QStringLiteral("Привет\\r\\n\\x00\\\\")), 0);
    QVERIFY2(device->WriteModem() == 0, qPrintable(device.result()));
    // 6 Cyrillic letters are 12 bytes; the rest comes with the second read.
    QCOMPARE(answer(device, 12), QStringLiteral("Привет"));
    QCOMPARE(answer(device, 4), QStringLiteral("\\r\\n\\x00\\\\"));

    QCOMPARE(device->GetModemStatus(), 0);
    QCOMPARE(device.intValue(&Driver::ModemState), 4);
    QCOMPARE(device.text(&Driver::ModemError), QString());
    QCOMPARE(device->CloseModem(), 0);
    QCOMPARE(device.intValue(&Driver::ModemState), 2);
    QCOMPARE(device->PowerOffModem(), 0);
    QCOMPARE(device->GetModemStatus(), 0);
    QCOMPARE(device.intValue(&Driver::ModemState), 0);
    QCOMPARE(device.intValue(&Driver::ModemSignal), 0);
    QCOMPARE(device.text(&Driver::ModemOperator), QString());
}

void TestVregPeripherals::modemFailures_data()
{
    QTest::addColumn<QString>("server");  // echo, silent, none (a closed port)
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("command"); // written after opening; empty: none
    QTest::addColumn<int>("openCode");
    QTest::addColumn<int>("readCode");    // of ReadModem after the command
    QTest::addColumn<QString>("detail");  // part of the failing step's detail
    QTest::addColumn<int>("state");       // ModemState afterwards

    const QString local = QStringLiteral("127.0.0.1");
    QTest::newRow("refused") << "none" << local << 1 << 1 << "" << -427 << 0 << "Connection refused" << 2;
    QTest::newRow("unknown host") << "none" << "no-such-host.invalid" << 1 << 1 << "" << -426
                                  << 0 << "no-such-host.invalid" << 2;
    QTest::newRow("read times out") << "silent" << local << 1 << 1 << "ping" << 0 << -428 << "нет данных за 300 мс" << 4;
    QTest::newRow("asynchronous read takes what came: nothing")
        << "silent" << local << 1 << 2 << "ping" << 0 << 0 << "" << 4;
    QTest::newRow("UDP datagram refused") << "none" << local << 2 << 1 << "ping" << 0 << -427
                                          << "Connection refused" << 2;
    QTest::newRow("exchange mode off") << "echo" << local << 1 << 0 << "" << -423 << 0 << "ModemMode = 0" << 2;
    QTest::newRow("unknown connection type") << "echo" << local << 3 << 1 << "" << -24 << 0
                                             << "ModemConnectionType = 3" << 2;
    QTest::newRow("bad escape in the command") << "echo" << local << 1 << 1 << "ab\\q" << 0 << -33 << "позиция 3" << 4;
}

void TestVregPeripherals::modemFailures()
{
    QFETCH(QString, server);
    QFETCH(QString, host);
    QFETCH(int, connectionType);
    QFETCH(int, mode);
    QFETCH(QString, command);
    QFETCH(int, openCode);
    QFETCH(int, readCode);
    QFETCH(QString, detail);
    QFETCH(int, state);

    const int socketType = connectionType == 2 ? SOCK_DGRAM : SOCK_STREAM;
    std::unique_ptr<EchoServer> running;
    int port = localserver::freePort();
    if (server != QLatin1String("none")) {
        running = std::make_unique<EchoServer>(socketType,
                                               server == QLatin1String("silent") ? EchoServer::Silent : EchoServer::Echo);
        QVERIFY(running->ok());
        port = running->port();
    }
    Device device(*m_fptr);
    QVERIFY(device.connect({"ConnectionTimeout", kTimeout}));
    QCOMPARE(device->PowerOnModem(), 0);

    const int opened = openModem(device, port, connectionType, mode, host);
    QVERIFY2(device.code() == openCode, qPrintable(device.result()));
    QCOMPARE(opened < 0, openCode != 0);
    if (openCode == 0) {
        device.setText(&Driver::CommandBuffer, command);
        if (device->WriteModem() == 0) {
            QElapsedTimer timer;
            timer.start();
            device->ReadSize(4);
            device->ReadModem();
            QVERIFY2(device.code() == readCode, qPrintable(device.result()));
            // An asynchronous read does not wait for the answer.
            if (mode == 2)
                QVERIFY(timer.elapsed() < 250);
            if (readCode == 0)
                QCOMPARE(device.text(&Driver::AnswerBuffer), QString());
        } else {
            QVERIFY2(device.code() == readCode, qPrintable(device.result()));
        }
    }
    if (!detail.isEmpty()) {
        QVERIFY2(device.detail().contains(detail), qPrintable(device.result()));
        if (device.code() != -24 && device.code() != -423 && device.code() != -33) {
            // Where it went and what the system said, also as the modem's error.
            QVERIFY2(device.detail().contains(QStringLiteral("%1:%2").arg(host).arg(port)), qPrintable(device.result()));
            QCOMPARE(device->GetModemStatus(), 0);
            QVERIFY2(device.text(&Driver::ModemError).contains(detail), qPrintable(device.text(&Driver::ModemError)));
        }
    }
    QCOMPARE(device->GetModemStatus(), 0);
    QCOMPARE(device.intValue(&Driver::ModemState), state);
}

void TestVregPeripherals::modemNoticesTheOtherSideClosing()
{
    EchoServer server(SOCK_STREAM, EchoServer::HangUp);
    QVERIFY(server.ok());
    Device device(*m_fptr);
    QVERIFY(device.connect({"ConnectionTimeout", kTimeout}));
    QCOMPARE(device->PowerOnModem(), 0);
    QCOMPARE(openModem(device, server.port(), 1), 0);
    QTRY_VERIFY_WITH_TIMEOUT((device->GetModemStatus(), device.intValue(&Driver::ModemState) == 2), 3000);
    QVERIFY2(device.text(&Driver::ModemError).contains(QStringLiteral("закрыто")),
             qPrintable(device.text(&Driver::ModemError)));
    device.setText(&Driver::CommandBuffer, QStringLiteral("x"));
    QCOMPARE(device->WriteModem(), -1);
    QCOMPARE(device.code(), -424);
    QCOMPARE(device->CloseModem(), -1);
    QCOMPARE(device.code(), -424);
}

// ---- Wi-Fi

void TestVregPeripherals::wifi()
{
    EchoServer server(SOCK_STREAM);
    QVERIFY(server.ok());
    Device device(*m_fptr);
    QVERIFY(device.connect({"ConnectionTimeout", kTimeout}));
    const auto openWiFi = [&](int port) {
        device.setText(&Driver::WiFiIpAddress, QStringLiteral("127.0.0.1"));
        device->WiFiIpPort(port);
        device->WiFiMode(1);
        device->WiFiConnectionType(1);
        return device->OpenWiFi();
    };
    const auto state = [&] {
        device->GetWiFiStatus();
        return device.intValue(&Driver::WiFiState);
    };

    QCOMPARE(openWiFi(server.port()), -1);
    QCOMPARE(device.code(), -421);
    QCOMPARE(device->PowerOnWiFi(), 0);
    QCOMPARE(state(), 2);
    const int closed = localserver::freePort();
    QCOMPARE(openWiFi(closed), -1);
    QCOMPARE(device.code(), -427);
    QVERIFY2(device.detail().contains(QStringLiteral("127.0.0.1:%1").arg(closed)), qPrintable(device.result()));
    QCOMPARE(state(), 2);
    QVERIFY2(openWiFi(server.port()) == 0, qPrintable(device.result()));
    QCOMPARE(state(), 4);
    QCOMPARE(openWiFi(server.port()), -1);
    QCOMPARE(device.code(), -425);
    QCOMPARE(device->CloseWiFi(), 0);
    QCOMPARE(state(), 2);
    QCOMPARE(device->PowerOffWiFi(), 0);
    QCOMPARE(state(), 0);
}

// ---- pin pad

void TestVregPeripherals::pinPad_data()
{
    QTest::addColumn<QString>("fixedAnswer");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QList<int>>("readSizes");
    QTest::addColumn<QStringList>("answers"); // "-N": the read fails with -N

    QTest::newRow("echo, read in pieces") << "" << 1 << QStringList{"ABC", "de"} << QList<int>{2, 10, 1}
                                          << QStringList{"AB", "Cde", "-428"};
    QTest::newRow("fixed answer to every command")
        << "\\x06OK" << 1 << QStringList{"запрос", "ещё"} << QList<int>{100} << QStringList{"\\x06OK\\x06OK"};
    QTest::newRow("asynchronous: nothing yet is an empty answer") << "" << 2 << QStringList{} << QList<int>{5}
                                                                  << QStringList{""};
    QTest::newRow("read size zero") << "" << 1 << QStringList{"A"} << QList<int>{0} << QStringList{"-24"};
}

void TestVregPeripherals::pinPad()
{
    QFETCH(QString, fixedAnswer);
    QFETCH(int, mode);
    QFETCH(QStringList, commands);
    QFETCH(QList<int>, readSizes);
    QFETCH(QStringList, answers);

    Device device(*m_fptr);
    QVERIFY(device.connect({"PinPadAnswer", fixedAnswer}));
    device->PinPadMode(mode);
    QCOMPARE(device->OpenPinPad(), -1);
    QCOMPARE(device.code(), -422);
    QCOMPARE(device->PowerOnPinPad(), 0);
    QCOMPARE(device->OpenPinPad(), 0);
    for (const QString &command : commands) {
        device.setText(&Driver::CommandBuffer, command);
        QVERIFY2(device->WritePinPad() == 0, qPrintable(device.result()));
    }
    for (int i = 0; i < readSizes.size(); ++i) {
        device->ReadSize(readSizes[i]);
        const int result = device->ReadPinPad();
        if (answers[i].startsWith(QLatin1Char('-'))) {
            QCOMPARE(result, -1);
            QCOMPARE(device.code(), answers[i].toInt());
        } else {
            QVERIFY2(result == 0, qPrintable(device.result()));
            QCOMPARE(device.text(&Driver::AnswerBuffer), answers[i]);
        }
    }
    QCOMPARE(device->ClosePinPad(), 0);
    device.setText(&Driver::CommandBuffer, QStringLiteral("A"));
    QCOMPARE(device->WritePinPad(), -1);
    QCOMPARE(device.code(), -424);
}

// ---- scanner

void TestVregPeripherals::scansArriveInOrderFromTheDriversThread()
{
    const int port = localserver::freePort();
    Device device(*m_fptr);
    QVERIFY(device.connect({"ScannerPort", QString::number(port)}));
    ScanRecorder recorder;
    QCOMPARE(device->ScannerCallback(&recorder), 0);
    QVERIFY2(device->ScannerEnabled(1) == 0, qPrintable(device.result()));

    QVERIFY(localserver::sendTo(port, "4600000000000\n"));
    QVERIFY(localserver::sendTo(port, "ABC-123\r\nШК 2\n"));
    QVERIFY(localserver::sendTo(port, "no line end"));
    QTRY_COMPARE(recorder.count(), 4);
    QCOMPARE(recorder.scans(), (QList<QByteArray>{"4600000000000\n", "ABC-123\r\n", QByteArray("ШК 2\n"), "no line end"}));
    for (const std::thread::id id : recorder.threads())
        QVERIFY(id != std::this_thread::get_id());
    QCOMPARE(device->ScannerEnabled(0), 0);
}

void TestVregPeripherals::burstOfScansArrivesWhole()
{
    const int port = localserver::freePort();
    Device device(*m_fptr);
    QVERIFY(device.connect({"ScannerPort", QString::number(port)}));
    ScanRecorder recorder;
    device->ScannerCallback(&recorder);
    QVERIFY2(device->ScannerEnabled(1) == 0, qPrintable(device.result()));

    QByteArray burst;
    QList<QByteArray> expected;
    for (int i = 0; i < 1000; ++i) {
        expected.append(QByteArray::number(4600000000000LL + i) + '\n');
        burst += expected.last();
    }
    QVERIFY(localserver::sendTo(port, burst));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.count(), 1000, 10000);
    QCOMPARE(recorder.scans(), expected);
}

void TestVregPeripherals::scannerRefusals_data()
{
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("port"); // "taken": a port someone listens on
    QTest::addColumn<bool>("handler");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail"); // "PORT": the port's number

    QTest::newRow("port in use") << false << "taken" << true << true << -441 << "127.0.0.1:PORT";
    QTest::newRow("no port set") << false << "0" << true << true << -440 << "ScannerPort = 0";
    QTest::newRow("no callback") << false << "free" << false << true << -443 << "ScannerCallback";
    QTest::newRow("not connected") << false << "free" << true << false << -1 << "DeviceEnabled";
    QTest::newRow("receipt printer") << true << "free" << true << true << -2 << "принтером чеков";
}

void TestVregPeripherals::scannerRefusals()
{
    QFETCH(bool, printer);
    QFETCH(QString, port);
    QFETCH(bool, handler);
    QFETCH(bool, connected);
    QFETCH(int, code);
    QFETCH(QString, detail);

    int taken = -1;
    int number = 0;
    if (port == QLatin1String("taken")) {
        taken = localserver::bound(SOCK_STREAM);
        QVERIFY(taken >= 0 && ::listen(taken, 1) == 0);
        number = localserver::portOf(taken);
    } else if (port == QLatin1String("free")) {
        number = localserver::freePort();
    }
    Device device(printer ? *m_printer : *m_fptr);
    QVERIFY(device.write("ScannerPort", QString::number(number)) == 0 && device->ApplySettings() == 0);
    if (connected)
        QCOMPARE(device->DeviceEnabled(1), 0);
    ScanRecorder recorder;
    device->ScannerCallback(handler ? &recorder : nullptr);
    QCOMPARE(device->ScannerEnabled(1), -1);
    QCOMPARE(device.code(), code);
    QVERIFY2(device.detail().contains(QString(detail).replace(QLatin1String("PORT"), QString::number(number))),
             qPrintable(device.result()));
    if (taken >= 0)
        ::close(taken);
    else if (number > 0)
        QVERIFY(!localserver::accepts(number));
}

void TestVregPeripherals::scannerPortClosesAfterwards_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("scanner switched off") << "disable";
    QTest::newRow("device disconnected") << "disconnect";
    QTest::newRow("driver object released") << "release";
}

void TestVregPeripherals::scannerPortClosesAfterwards()
{
    QFETCH(QString, how);
    const int port = localserver::freePort();
    Device device(*m_fptr);
    QVERIFY(device.connect({"ScannerPort", QString::number(port)}));
    ScanRecorder recorder;
    device->ScannerCallback(&recorder);
    QVERIFY2(device->ScannerEnabled(1) == 0, qPrintable(device.result()));
    // A client still connected does not keep the port open.
    const int client = localserver::connectTo(port);
    QVERIFY(client >= 0);

    if (how == QLatin1String("disable")) {
        device->ScannerCallback(nullptr);
        QCOMPARE(device->ScannerEnabled(0), 0);
    } else if (how == QLatin1String("disconnect")) {
        QCOMPARE(device->DeviceEnabled(0), 0);
    } else {
        device.release();
    }
    QVERIFY(!localserver::accepts(port));
    char byte = 0;
    // Closed by the driver: an end of stream, or a reset when it had not
    // been accepted yet.
    QVERIFY(::recv(client, &byte, 1, 0) <= 0);
    ::close(client);

    if (how == QLatin1String("disable")) {
        // And it can be had again at once.
        device->ScannerCallback(&recorder);
        QVERIFY2(device->ScannerEnabled(1) == 0, qPrintable(device.result()));
        QVERIFY(localserver::sendTo(port, "again\n"));
        QTRY_COMPARE(recorder.scans(), QList<QByteArray>{"again\n"});
    }
}

FPTR_TEST_MAIN(TestVregPeripherals)

#include "tst_vreg_peripherals.moc"
