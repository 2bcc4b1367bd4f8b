// The external devices and SD card pages against the real virtual
// register: a file written and read back at offsets and listed, a scan sent
// to the register's scanner port appearing in the scanner list, and a modem
// exchange with an echo server on this machine, as a user does them.

#include "localserver.h"
#include "testmain.h"
#include "vregwindow.h"

#include <QListWidget>

using localserver::EchoServer;

class TestE2EPeripherals : public QObject
{
    Q_OBJECT

private slots:
    void sdFileWrittenReadAndListed();
    void sdPathOutsideTheCardIsRefused();
    void scanAppearsInTheList();
    void modemExchangeAndStatus();
    void modemRefusedConnection();
};

void TestE2EPeripherals::sdFileWrittenReadAndListed()
{
    VregWindow w;
    w.select("cmbSDFileOpenType", 1);
    w.select("cmbSDFileOpenMode", 2);
    w.type("leSDFileName", "notes.txt");
    w.click("pbtnOpenFile");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinSDFileSize"), 0.0);

    w.setValue("spinSDFileOffset", 0);
    w.type("leSDFileData", "Hello, world");
    w.click("pbtnWriteFile");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinSDFileOffset"), 12.0);
    w.setValue("spinSDFileOffset", 7);
    w.type("leSDFileData", "WORLD\\n");
    w.click("pbtnWriteFile");
    QCOMPARE(w.value("spinSDFileOffset"), 13.0);

    // Asked for 20 bytes from offset 5, the device gives the 8 there are.
    w.setValue("spinSDFileOffset", 5);
    w.setValue("spinSDFileReadSize", 20);
    w.click("pbtnReadFile");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leSDFileData"), QString(", WORLD\\n"));
    QCOMPARE(w.value("spinSDFileReadSize"), 8.0);
    QCOMPARE(w.value("spinSDFileOffset"), 13.0);
    w.click("pbtnCloseFile");

    QFile onCard(w.dataDir.path() + "/sd/notes.txt");
    QVERIFY(onCard.open(QIODevice::ReadOnly));
    QCOMPARE(onCard.readAll(), QByteArray("Hello, WORLD\n"));

    w.type("leSDDirectory", "");
    w.click("pbtnOpenDirectory");
    w.click("pbtnReadDirectory");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leSDFileName"), QString("notes.txt"));
    QCOMPARE(w.value("spinSDFileSize"), 13.0);
    w.click("pbtnReadDirectory");
    QVERIFY2(w.error().startsWith("[-17] Больше нет данных"), qPrintable(w.error()));
    w.click("pbtnCloseDirectory");
    QCOMPARE(w.error(), QString());

    w.type("leSDFileName", "notes.txt");
    w.click("pbtnRemoveFile");
    QCOMPARE(w.error(), QString());
    QVERIFY(!onCard.exists());
}

void TestE2EPeripherals::sdPathOutsideTheCardIsRefused()
{
    VregWindow w;
    w.select("cmbSDFileOpenType", 1);
    w.select("cmbSDFileOpenMode", 1);
    w.type("leSDFileName", "../escape.txt");
    w.click("pbtnOpenFile");
    QVERIFY2(w.error().startsWith("[-401] Путь ведет за пределы SD-карты"), qPrintable(w.error()));
    QVERIFY2(w.error().contains("../escape.txt"), qPrintable(w.error()));
    QVERIFY(!QFile::exists(w.dataDir.path() + "/escape.txt"));
}

void TestE2EPeripherals::scanAppearsInTheList()
{
    VregWindow w;
    const int port = localserver::freePort();
    // What the user sets on the register's settings dialog.
    w.writeSetting("ScannerPort", QString::number(port));
    QCOMPARE(w.driver()->ApplySettings(), 0);

    w.check("cbScannerEnabled", true);
    QCOMPARE(w.error(), QString());
    QVERIFY(w.widget<QCheckBox>("cbScannerEnabled")->isChecked());
    QVERIFY(localserver::sendTo(port, "4600000000000\n2000000000015\r\n"));
    auto *list = w.widget<QListWidget>("lwScannerData");
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QString("4600000000000 #0a"));
    QCOMPARE(list->item(1)->text(), QString("2000000000015 #0d #0a"));

    w.check("cbScannerEnabled", false);
    QCOMPARE(w.error(), QString());
    QVERIFY(!localserver::accepts(port));
}

void TestE2EPeripherals::modemExchangeAndStatus()
{
    EchoServer server(SOCK_STREAM);
    QVERIFY(server.ok());
    VregWindow w;
    w.click("pbtnPowerOnModem");
    QCOMPARE(w.error(), QString());
    w.type("leModemIpAddress", "127.0.0.1");
    w.setValue("spinModemIpPort", server.port());
    w.select("cmbModemMode", 1);
    w.select("cmbModemConnectionType", 1);
    w.click("pbtnOpenModem");
    QCOMPARE(w.error(), QString());

    w.type("leModemData", "ping\\r\\n");
    w.click("pbtnWriteModem");
    QCOMPARE(w.error(), QString());
    w.setValue("spinReadModemSize", 6);
    w.click("pbtnReadModem");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leModemAnswer"), QString("ping\\r\\n"));

    w.click("pbtnGetModemStatus");
    QCOMPARE(w.text("teModemStatus"), QString("Модем подключен\n"
                                              "Мощность сигнала -67 dBm\n"
                                              "Оператор - Виртуальная сеть\n"
                                              "Последняя ошибка - \n?\n"));
    w.click("pbtnCloseModem");
    w.click("pbtnGetModemStatus");
    QVERIFY2(w.text("teModemStatus").startsWith("Модем инициализирован\n"), qPrintable(w.text("teModemStatus")));
}

void TestE2EPeripherals::modemRefusedConnection()
{
    VregWindow w;
    w.writeSetting("ConnectionTimeout", "1000");
    QCOMPARE(w.driver()->ApplySettings(), 0);
    const int port = localserver::freePort();
    w.click("pbtnPowerOnModem");
    w.type("leModemIpAddress", "127.0.0.1");
    w.setValue("spinModemIpPort", port);
    w.select("cmbModemMode", 1);
    w.select("cmbModemConnectionType", 1);
    w.type("leModemAnswer", "");
    w.click("pbtnOpenModem");
    QVERIFY2(w.error().startsWith("[-427] Соединение отклонено"), qPrintable(w.error()));
    QVERIFY2(w.error().contains(QString("127.0.0.1:%1").arg(port)), qPrintable(w.error()));
    QVERIFY(w.window->isEnabled());

    w.click("pbtnGetModemStatus");
    const QStringList status = w.text("teModemStatus").split('\n');
    QCOMPARE(status.value(0), QString("Модем инициализирован"));
    QVERIFY2(status.value(4).contains("Connection refused"), qPrintable(w.text("teModemStatus")));
}

FPTR_TEST_MAIN(TestE2EPeripherals)

#include "tst_e2e_peripherals.moc"
