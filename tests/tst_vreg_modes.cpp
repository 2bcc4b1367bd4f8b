// The virtual register's modes and passwords, its status query and its
// service actions (buzzer, drawer, decimal point, versions, connector test,
// raw commands and data, switching off), through the library's entry
// points.

#include "testmain.h"
#include "vregclient.h"

#include <QElapsedTimer>
#include <QFile>

#include <functional>

using namespace vregtest;

class TestVregModes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void enterMode_data();
    void enterMode();
    void resetMode();
    void passwordsLiveInTheCaptionTable();
    void modeChangeWithOpenReceipt();
    void newDocumentEntersTheModeAndStartsWithTheHeader();
    void statusQuery();
    void receiptPrinterHasNoModes();

    void serviceInputsAreChecked();
    void connectorTest_data();
    void connectorTest();
    void rawCommand_data();
    void rawCommand();
    void writeData();
    void powerOff();

private:
    std::unique_ptr<Library> m_fptr;
    std::unique_ptr<Library> m_printer;
};

void TestVregModes::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY(m_fptr->ok());
    QVERIFY(m_printer->ok());
}

void TestVregModes::enterMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("operatorNumber");

    QTest::newRow("registration, cashier 1") << 1 << "1" << 0 << 1;
    QTest::newRow("registration, cashier 28") << 1 << "28" << 0 << 28;
    QTest::newRow("X-reports, cashier 5") << 2 << "5" << 0 << 5;
    QTest::newRow("Z-reports, administrator") << 3 << "29" << 0 << 29;
    QTest::newRow("programming, administrator") << 4 << "29" << 0 << 29;
    QTest::newRow("fiscal memory, system administrator") << 5 << "58" << 0 << 30;
    QTest::newRow("additional, system administrator") << 7 << "58" << 0 << 30;
    QTest::newRow("leading zeros are the same password") << 1 << "007" << 0 << 7;
    QTest::newRow("Z-reports, cashier") << 3 << "1" << -21 << 0;
    QTest::newRow("programming, cashier 28") << 4 << "28" << -21 << 0;
    QTest::newRow("additional, administrator") << 7 << "29" << -21 << 0;
    QTest::newRow("unknown password") << 1 << "999" << -20 << 0;
    QTest::newRow("password with letters") << 4 << "2a9" << -20 << 0;
    QTest::newRow("mode 8") << 8 << "29" << -24 << 0;
}

void TestVregModes::enterMode()
{
    QFETCH(int, mode);
    QFETCH(QString, password);
    QFETCH(int, code);
    QFETCH(int, operatorNumber);

    Device device(*m_fptr);
    QVERIFY(device.connect());
    const int result = device.enterMode(mode, password);
    QCOMPARE(device.code(), code);
    if (code == 0) {
        QCOMPARE(result, 0);
        QCOMPARE(device.intValue(&Driver::Mode), mode);
        QCOMPARE(device.intValue(&Driver::Operator), operatorNumber);
    } else {
        QVERIFY(result < 0);
        QVERIFY(!device.detail().isEmpty());
        QCOMPARE(device.intValue(&Driver::Mode), 0);
        QCOMPARE(device.intValue(&Driver::Operator), 0);
    }
    if (code == -20)
        QCOMPARE(device.resultDescription(), QStringLiteral("Неверный пароль"));
}

void TestVregModes::resetMode()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    // Writing Mode chooses the mode to enter; the device stays where it is.
    QCOMPARE(device->Mode(4), 0);
    QCOMPARE(device.intValue(&Driver::Mode), 0);
    QCOMPARE(device.enterMode(4, "29"), 0);
    // A failed attempt leaves the current mode.
    QVERIFY(device.enterMode(3, "1") < 0);
    QCOMPARE(device.intValue(&Driver::Mode), 4);
    QCOMPARE(device.enterMode(2, "3"), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 3);
    QCOMPARE(device->ResetMode(), 0);
    QCOMPARE(device.intValue(&Driver::Mode), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 0);
}

void TestVregModes::passwordsLiveInTheCaptionTable()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    device->CaptionPurpose(6); // cashier 1
    device.setText(&Driver::Caption, "4321");
    QCOMPARE(device->SetCaption(), 0);
    device->CaptionPurpose(34); // administrator
    device.setText(&Driver::Caption, "777");
    QCOMPARE(device->SetCaption(), 0);
    // A password another operator has is refused.
    device->CaptionPurpose(7);
    device.setText(&Driver::Caption, "0777");
    QVERIFY(device->SetCaption() < 0);
    QCOMPARE(device.code(), -24);
    device.setText(&Driver::Caption, "12345678901");
    QVERIFY(device->SetCaption() < 0);

    QVERIFY(device.enterMode(1, "1") < 0);
    QCOMPARE(device.code(), -20);
    QCOMPARE(device.enterMode(1, "4321"), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 1);
    QVERIFY(device.enterMode(4, "29") < 0);
    QCOMPARE(device.code(), -20);
    QCOMPARE(device.enterMode(4, "777"), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 29);
}

void TestVregModes::modeChangeWithOpenReceipt()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    QCOMPARE(device.enterMode(1, "1"), 0);
    device->ChequeType(1);
    if (device->OpenCheque() < 0 && device.code() == -2)
        QSKIP("Receipts are not modelled by this build");
    QVERIFY2(device.intValue(&Driver::ChequeState) == 1, qPrintable(device.result()));

    QVERIFY(device.enterMode(2, "1") < 0);
    QCOMPARE(device.code(), -23);
    QVERIFY(device->ResetMode() < 0);
    QCOMPARE(device.code(), -23);
    QCOMPARE(device.intValue(&Driver::Mode), 1);
    // Registration itself stays open to another cashier.
    QCOMPARE(device.enterMode(1, "2"), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 2);

    QVERIFY2(device->CancelCheque() == 0, qPrintable(device.result()));
    QCOMPARE(device.enterMode(2, "1"), 0);
    QCOMPARE(device->ResetMode(), 0);
}

void TestVregModes::newDocumentEntersTheModeAndStartsWithTheHeader()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    device->Mode(3);
    device.setText(&Driver::Password, "1");
    QVERIFY(device->NewDocument() < 0);
    QCOMPARE(device.code(), -21);
    QVERIFY(device.tape().isEmpty());
    device->Mode(1);
    QCOMPARE(device->NewDocument(), 0);
    QCOMPARE(device.intValue(&Driver::Mode), 1);
    QCOMPARE(device.tape().size(), 4);
    QCOMPARE(device.tape().first().trimmed(), QStringLiteral("ООО «Колосок»"));
}

void TestVregModes::statusQuery()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"Model", "2", "Port", "TCP"}));
    QCOMPARE(device.enterMode(2, "5"), 0);
    // The bench reads the status group after GetStatus.
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.intValue(&Driver::Mode), 2);
    QCOMPARE(device.intValue(&Driver::SubMode), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 5);
    QCOMPARE(device.intValue(&Driver::LogicalNumber), 1);
    QCOMPARE(device.intValue(&Driver::CharLineLength), 48);
    QCOMPARE(device.intValue(&Driver::Model), 2);
    QCOMPARE(device.text(&Driver::DeviceDescription), QStringLiteral("Виртуальная ККТ 80 мм"));
    QCOMPARE(device.text(&Driver::Version), QStringLiteral("3"));
    QCOMPARE(device.text(&Driver::SubVersion), QStringLiteral("1"));
    QCOMPARE(device.text(&Driver::Build), QStringLiteral("5120"));
    QCOMPARE(device.intValue(&Driver::PortNumber), 1);
    QCOMPARE(device.intValue(&Driver::DrawerOpened), 0);
    QCOMPARE(device.intValue(&Driver::CheckPaperPresent), 1);
    QCOMPARE(device.intValue(&Driver::CoverOpened), 0);
    QCOMPARE(device.intValue(&Driver::PointPosition), 2);
    QCOMPARE(device.date(&Driver::Date), QDate::currentDate());
    QVERIFY(qAbs(device.time(&Driver::Time).secsTo(QTime::currentTime())) <= 2);
}

void TestVregModes::receiptPrinterHasNoModes()
{
    Device printer(*m_printer);
    QVERIFY(printer.connect());
    QVERIFY(printer.enterMode(1, "1") < 0);
    QCOMPARE(printer.code(), -2);
    QCOMPARE(printer->GetStatus(), 0);
    QCOMPARE(printer.intValue(&Driver::Mode), 0);
    QCOMPARE(printer->Beep(), 0);
    QCOMPARE(printer->OpenDrawer(), 0);
    QCOMPARE(printer.intValue(&Driver::DrawerOpened), 1);
    for (auto action : {&Driver::SetPointPosition, &Driver::RunCommand, &Driver::TestConnector,
                        &Driver::GetUnitVersion, &Driver::PowerOff, &Driver::InitTables, &Driver::NewDocument}) {
        QVERIFY((printer.get()->*action)() < 0);
        QCOMPARE(printer.code(), -2);
    }
}

void TestVregModes::serviceInputsAreChecked()
{
    struct Case
    {
        const char *name;
        std::function<void(Driver *)> inputs;
        int (Driver::*action)();
        int code;
    };
    const Case cases[] = {
        {"sound", [](Driver *d) { d->Frequency(1000); d->Duration(100); }, &Driver::Sound, 0},
        {"sound too low", [](Driver *d) { d->Frequency(50); }, &Driver::Sound, -24},
        {"sound too long", [](Driver *d) { d->Frequency(1000); d->Duration(10001); }, &Driver::Sound, -24},
        {"drawer pulses", [](Driver *d) { d->DrawerOnTimeout(10); d->DrawerOffTimeout(10); d->DrawerOnQuantity(2); },
         &Driver::AdvancedOpenDrawer, 0},
        {"drawer on time too short", [](Driver *d) { d->DrawerOnTimeout(5); }, &Driver::AdvancedOpenDrawer, -24},
        {"no drawer pulse", [](Driver *d) { d->DrawerOnTimeout(10); d->DrawerOnQuantity(0); },
         &Driver::AdvancedOpenDrawer, -24},
        {"point position 3", [](Driver *d) { d->PointPosition(3); }, &Driver::SetPointPosition, 0},
        {"point position 4", [](Driver *d) { d->PointPosition(4); }, &Driver::SetPointPosition, -24},
        {"printer unit", [](Driver *d) { d->UnitType(4); }, &Driver::GetUnitVersion, 0},
        {"unit 6", [](Driver *d) { d->UnitType(6); }, &Driver::GetUnitVersion, -24},
        {"raw timeout 0", [](Driver *d) { d->NeedResultFlag(1); d->TimeoutACK(0); }, &Driver::RunCommand, -24},
        {"no port 0", [](Driver *d) { d->PortNumber(0); }, &Driver::WriteData, -24},
    };
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.intValue(&Driver::DrawerOpened), 0);
    QElapsedTimer timer;
    for (const Case &c : cases) {
        c.inputs(device.get());
        timer.start();
        (device.get()->*c.action)();
        QVERIFY2(device.code() == c.code, qPrintable(QStringLiteral("%1: %2").arg(c.name, device.result())));
        if (c.code != 0)
            QVERIFY2(!device.detail().isEmpty(), c.name);
    }
    // What the successful ones did.
    QCOMPARE(device.intValue(&Driver::DrawerOpened), 1);
    QCOMPARE(device.intValue(&Driver::PointPosition), 3);
    QCOMPARE(QStringLiteral("%1.%2.%3").arg(device.text(&Driver::Version), device.text(&Driver::SubVersion),
                                             device.text(&Driver::Build)),
             QStringLiteral("1.4.208"));
    device->Frequency(1000);
    device->Duration(200);
    timer.start();
    QCOMPARE(device->Sound(), 0);
    QVERIFY(timer.elapsed() >= 195); // the device sounds that long
}

void TestVregModes::connectorTest_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("connector");
    QTest::addColumn<int>("code");
    QTest::newRow("USB") << "USB" << 0 << 0;
    QTest::newRow("Ethernet, reached by USB") << "USB" << 1 << -3801;
    QTest::newRow("Ethernet, reached by TCP/IP") << "TCP" << 1 << 0;
    QTest::newRow("display port") << "USB" << 2 << -3802;
    QTest::newRow("no such connector") << "USB" << 3 << -24;
}

void TestVregModes::connectorTest()
{
    QFETCH(QString, port);
    QFETCH(int, connector);
    QFETCH(int, code);
    Device device(*m_fptr);
    QVERIFY(device.connect({"Port", port}));
    device->PortNumber(connector);
    device->TestConnector();
    QCOMPARE(device.code(), code);
    if (code != 0) {
        QVERIFY(!device.resultDescription().isEmpty());
        QVERIFY(!device.detail().isEmpty());
    }
}

void TestVregModes::rawCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("needResult");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("answer");
    QTest::newRow("short status") << "45" << 1 << 0 << "55 00 02";
    QTest::newRow("version of the firmware") << "9D 01" << 1 << 0 << "55 03 01 14 00";
    QTest::newRow("version without blanks") << "9d04" << 1 << 0 << "55 01 04 00 D0";
    QTest::newRow("answer not awaited") << "45" << 0 << 0 << "";
    QTest::newRow("unknown command answers too") << "12" << 1 << -34 << "55 01";
    QTest::newRow("wrong length answers too") << "45 00" << 1 << -33 << "55 02";
    QTest::newRow("unknown unit") << "9D 09" << 1 << -24 << "55 02";
    QTest::newRow("not hexadecimal") << "ZZ" << 1 << -33 << "";
}

void TestVregModes::rawCommand()
{
    QFETCH(QString, command);
    QFETCH(int, needResult);
    QFETCH(int, code);
    QFETCH(QString, answer);
    Device device(*m_fptr);
    QVERIFY(device.connect());
    device->NeedResultFlag(needResult);
    device->TimeoutACK(500);
    device->TimeoutENQ(5000);
    device.setText(&Driver::CommandBuffer, command);
    device->RunCommand();
    QCOMPARE(device.code(), code);
    QCOMPARE(device.text(&Driver::AnswerBuffer), answer);
}

void TestVregModes::writeData()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    device->PortNumber(2);
    device.setText(&Driver::CommandBuffer, "1b 40 41");
    QCOMPARE(device->WriteData(), 0);
    QFile log(device.dataFolder() + "/ports.log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll()).trimmed().endsWith(QStringLiteral("порт 2: 1B 40 41")));

    device.setText(&Driver::CommandBuffer, "hello");
    QVERIFY(device->WriteData() < 0);
    QCOMPARE(device.code(), -33);
}

void TestVregModes::powerOff()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(1, "1"), 0);
    QCOMPARE(device->PowerOff(), 0);
    QCOMPARE(device.intValue(&Driver::DeviceEnabled), 0);
    QVERIFY(device->Beep() < 0);
    QCOMPARE(device.code(), -1);
    QCOMPARE(device->DeviceEnabled(1), 0);
    QCOMPARE(device.intValue(&Driver::Mode), 0);
}

FPTR_TEST_MAIN(TestVregModes)
#include "tst_vreg_modes.moc"
