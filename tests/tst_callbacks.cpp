#include "callbacks.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QThread>

class TestCallbacks : public QObject
{
    Q_OBJECT

private slots:
    void scannerText_data();
    void scannerText();
    void scannerRejectsBadBlocks();
    void scannerSignalReachesWindowThread();
    void errorHandler();
};

void TestCallbacks::scannerText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("CR") << QByteArray("AB\r") << "AB #0d";
    QTest::newRow("CR LF suffix") << QByteArray("4607001234567\r\n") << "4607001234567 #0d #0a";
    QTest::newRow("tab and blank") << QByteArray("a\tb c") << "a #09b #20c";
    QTest::newRow("edges of the plain range") << QByteArray("!~\x7f") << "!~\x7f";
    QTest::newRow("zero byte") << QByteArray("A\0B", 3) << "A #00B";
    QTest::newRow("Cyrillic") << QByteArray("\xd0\x96") << " #00";
    QTest::newRow("invalid UTF-8") << QByteArray("1\xff" "2") << "1 #002";
    QTest::newRow("e acute") << QByteArray("\xc3\xa9") << " #e9";
    QTest::newRow("U+0080") << QByteArray("\xc2\x80") << " #80";
    QTest::newRow("outside the basic plane") << QByteArray("\xf0\x9f\x98\x80") << " #00";
}

void TestCallbacks::scannerText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    ScannerEventHandler handler;
    QSignalSpy spy(&handler, &ScannerEventHandler::scannerDataEvent);
    QCOMPARE(handler.on_data_event(reinterpret_cast<const unsigned char *>(bytes.constData()),
                                   int(bytes.size())),
             0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), text);
}

void TestCallbacks::scannerRejectsBadBlocks()
{
    ScannerEventHandler handler;
    QSignalSpy spy(&handler, &ScannerEventHandler::scannerDataEvent);
    const unsigned char data[] = {'1', '2', '3'};
    QCOMPARE(handler.on_data_event(nullptr, 10), 0);
    QCOMPARE(handler.on_data_event(data, -1), 0);
    // Only `size` bytes count, not what follows them.
    QCOMPARE(handler.on_data_event(data, 2), 0);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toString(), QString());
    QCOMPARE(spy.at(1).at(0).toString(), QString());
    QCOMPARE(spy.at(2).at(0).toString(), QStringLiteral("12"));
}

void TestCallbacks::scannerSignalReachesWindowThread()
{
    ScannerEventHandler handler;
    QString received;
    QThread *receivedOn = nullptr;
    connect(&handler, &ScannerEventHandler::scannerDataEvent, this, [&](const QString &text) {
        received = text;
        receivedOn = QThread::currentThread();
    });

    // The driver calls from a thread of its own.
    QThread *driverThread = QThread::create([&handler] {
        const unsigned char data[] = {'X', '\r'};
        handler.on_data_event(data, 2);
    });
    driverThread->start();
    QVERIFY(driverThread->wait(5000));
    delete driverThread;

    QTRY_COMPARE(received, QStringLiteral("X #0d"));
    QCOMPARE(receivedOn, QThread::currentThread());
}

void TestCallbacks::errorHandler()
{
    RIdiVeravErevuzi handler;
    QSignalSpy spy(&handler, &RIdiVeravErevuzi::errorOccurred);

    QCOMPARE(handler.showWarning(L"Заголовок", L"Текст"), 0);
    QCOMPARE(spy.count(), 0);

    QTest::ignoreMessage(QtDebugMsg, "error from driver: -3822");
    QCOMPARE(handler.onErrorOccurred(-3822), 0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), -3822);
}

FPTR_TEST_MAIN(TestCallbacks)
#include "tst_callbacks.moc"
