// The service pages: fiscal storage and journal module, low level, service
// and control, external devices and SD card files. For every button: the
// driver calls in order, where the action runs, what a failure leaves
// behind; then the status texts, the connector test dialogs, the scanner
// switch and list, and the hidden Wi-Fi data controls.

#include "testmain.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QThread>

#include <thread>

namespace {

// What a widget shows, whatever its kind.
QString shown(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *text = qobject_cast<QTextEdit *>(widget))
        return text->toPlainText();
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return QString::number(spin->value());
    qFatal("no text for %s", qPrintable(widget->objectName()));
    return QString();
}

const char *const outputs[] = {
    "teEKLZStatus", "leFNAnswerBuffer", "teQueryResult", "leAnswerBuffer", "leModemAnswer",
    "teModemStatus", "lePinPadAnswer", "teWiFiStatus", "spinSDFileSize", "leSDFileName",
    "spinSDFileOffset", "spinSDFileReadSize", "leSDFileData"};

QStringList snapshot(const WindowFixture &fx)
{
    QStringList values;
    for (const char *name : outputs)
        values << shown(fx.widget(name));
    return values;
}

void fillInputs(WindowFixture &fx)
{
    const QList<QPair<const char *, QString>> texts = {
        {"leSerialNumber", "00106304211"}, {"leMachineNumber", "0000000001003047"},
        {"leINN", "7701234567"}, {"leTaxPassword", "30"}, {"leFNCommandBuffer", "B0 01"},
        {"leCommandBuffer", "4A 00"}, {"leModemIpAddress", "10.0.0.5"}, {"leModemData", "AT"},
        {"lePinPadData", "02 00"}, {"leWiFiIpAddress", "10.0.0.6"}, {"leSDDirectory", "/logs"},
        {"leSDFileName", "a.txt"}, {"leSDFileData", "hello"}};
    for (const auto &text : texts)
        fx.widget<QLineEdit>(text.first)->setText(text.second);
    const QList<QPair<const char *, int>> numbers = {
        {"spinEKLZKPKNumber", 12}, {"spinTimeoutACK", 700}, {"spinTimeoutENQ", 3000},
        {"spinPortNumber", 3}, {"spinUnitType", 2}, {"spinFrequency", 1500},
        {"spinDuration", 250}, {"spinDrawerOnTimeout", 20}, {"spinDrawerOffTimeout", 30},
        {"spinDrawerOnQuantity", 4}, {"spinPointPosition", 3}, {"spinModemIpPort", 8080},
        {"spinReadModemSize", 16}, {"spinReadPinPadSize", 4}, {"spinWiFiIpPort", 9100},
        {"spinSDFileSize", 7}, {"spinSDFileOffset", 100}, {"spinSDFileReadSize", 50}};
    for (const auto &number : numbers)
        fx.widget<QSpinBox>(number.first)->setValue(number.second);
    fx.widget<QCheckBox>("cbLowLevelNeedResultFlag")->setChecked(true);
    fx.select("cmbModemMode", 2);
    fx.select("cmbModemConnectionType", 2);
    fx.select("cmbPinPadMode", 1);
    fx.select("cmbWiFiMode", 0);
    fx.select("cmbWiFiConnectionType", 1);
    fx.select("cmbSDFileOpenType", 1);
    fx.select("cmbSDFileOpenMode", 2);
    for (const char *name : outputs) {
        auto *edit = qobject_cast<QLineEdit *>(fx.widget(name));
        if (auto *text = qobject_cast<QTextEdit *>(fx.widget(name)))
            text->setPlainText("прежнее");
        else if (edit && edit->text().isEmpty())
            edit->setText("прежнее");
    }
}

// Answers every message box opening while it lives with OK, recording what
// the box showed and whether it could take input at all.
class DialogWatch
{
public:
    struct Seen
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        bool usable;
    };

    DialogWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            const bool usable = box->isEnabled() && ok && ok->isEnabled();
            seen.append({box->windowTitle(), box->text(), box->icon(), usable});
            if (usable)
                ok->click();
            else
                box->done(QMessageBox::Ok);
        });
        m_timer.start(10);
    }

    QList<Seen> seen;

private:
    QTimer m_timer;
};

void row(const char *button, const QString &action, const QStringList &calls,
         const char *place = "direct", const QStringList &results = QStringList())
{
    QTest::newRow(button) << QByteArray(button) << action << calls << QString(place) << results;
}

QCheckBox *scannerCheckBox(const WindowFixture &fx)
{
    return fx.widget<QCheckBox>("cbScannerEnabled");
}

} // namespace

class TestService : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void failures_data();
    void failures();
    void withoutDevice_data();
    void withoutDevice();
    void journalStatusText_data();
    void journalStatusText();
    void connectorTest_data();
    void connectorTest();
    void modemStatusText_data();
    void modemStatusText();
    void fileCommandsTakeTheDevicePosition_data();
    void fileCommandsTakeTheDevicePosition();
    void scannerSwitch_data();
    void scannerSwitch();
    void scansFromADriverThreadArriveInOrder();
    void wiFiDataControlsAreHidden();
};

// Button, expected driver calls (writes, action, reads), where the action
// runs (direct: GUI thread, window usable; locked: GUI thread, window
// locked; worker: worker thread, window locked), outputs "widget=text".
void TestService::commands_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QStringList>("results");

    const struct { const char *button; const char *action; const char *place; } bare[] = {
        {"pbtnEKLZActivation", "Activate", "direct"}, {"pbtnFNActivation", "Activate", "direct"},
        {"pbtnEKLZClose", "CloseArchive", "direct"}, {"pbtnFNClose", "CloseArchive", "direct"},
        {"pbtnInitTables", "InitTables", "worker"}, {"pbtnResetSummary", "ResetSummary", "worker"},
        {"pbtnTechZero", "TechZero", "worker"}, {"pbtnPowerOff", "PowerOff", "direct"},
        {"pbtnBeep", "Beep", "direct"}, {"pbtnOpedDrawer", "OpenDrawer", "direct"},
        {"pbtnPowerOnModem", "PowerOnModem", "direct"},
        {"pbtnPowerOffModem", "PowerOffModem", "direct"},
        {"pbtnCloseModem", "CloseModem", "locked"},
        {"pbtnPowerOnPinPad", "PowerOnPinPad", "direct"},
        {"pbtnPowerOffPinPad", "PowerOffPinPad", "direct"},
        {"pbtnClosePinPad", "ClosePinPad", "direct"}, {"pbtnPowerOnWiFi", "PowerOnWiFi", "direct"},
        {"pbtnPowerOffWiFi", "PowerOffWiFi", "direct"}, {"pbtnCloseWiFi", "CloseWiFi", "locked"},
        {"pbtnCloseDirectory", "CloseDirectory", "direct"},
        {"pbtnCloseFile", "CloseFile", "direct"}};
    for (const auto &b : bare)
        row(b.button, b.action, {QString(b.action) + "()"}, b.place);

    // Fiscal storage and journal module.
    row("pbtnSetSerialNumber", "SetSerialNumber",
        {"SerialNumber=00106304211", "SetSerialNumber()"});
    row("pbtnFiscalization", "Fiscalization",
        {"RNM=0000000001003047", "INN=7701234567", "TaxPassword=30", "Fiscalization()"});
    row("pbtnEKLZStatus", "GetEKLZStatus",
        {"GetEKLZStatus()", "Summ?", "Session?", "SerialNumber?256", "KPKNumber?", "EKLZFlags?",
         "Date?", "Time?"});
    row("pbtnEKLZGetKPK", "EKLZGetKPK", {"KPKNumber=12", "EKLZGetKPK()", "KPKValue?", "KPKNumber?"},
        "direct", {"teEKLZStatus=Значение КПК #12:\n123456"});
    row("pbtnRunFNCommand", "RunFNCommand",
        {"CommandBuffer=B0 01", "RunFNCommand()", "AnswerBuffer?256"}, "worker",
        {"leFNAnswerBuffer=4F 4B"});
    // Low level, service, control.
    row("pbtnRunCommand", "RunCommand",
        {"NeedResultFlag=1", "TimeoutACK=700", "TimeoutENQ=3000", "CommandBuffer=4A 00",
         "RunCommand()", "AnswerBuffer?256"},
        "worker", {"leAnswerBuffer=4F 4B"});
    row("pbtnWriteData", "WriteData", {"PortNumber=3", "CommandBuffer=4A 00", "WriteData()"},
        "direct", {"leAnswerBuffer=прежнее"});
    row("pbtnPrintInfo", "Report", {"ReportType=43", "Report()"});
    row("pbtnTestDevice", "Report", {"ReportType=44", "Report()"});
    row("pbtnGetUnitVersion", "GetUnitVersion",
        {"UnitType=2", "GetUnitVersion()", "Build?256", "SubVersion?256", "Version?256"}, "direct",
        {"teQueryResult=Версия ПО модуля: 1.2.345\n"});
    row("pbtnSound", "Sound", {"Frequency=1500", "Duration=250", "Sound()"}, "worker");
    row("pbtnAdvancedOpenDrawer", "AdvancedOpenDrawer",
        {"DrawerOnTimeout=20", "DrawerOffTimeout=30", "DrawerOnQuantity=4", "AdvancedOpenDrawer()"},
        "worker");
    row("pbtnSetPointPosition", "SetPointPosition", {"PointPosition=3", "SetPointPosition()"});
    // External devices.
    row("pbtnOpenModem", "OpenModem",
        {"ModemIpAddress=10.0.0.5", "ModemIpPort=8080", "ModemMode=2", "ModemConnectionType=2",
         "OpenModem()"},
        "worker");
    row("pbtnWriteModem", "WriteModem", {"CommandBuffer=AT", "WriteModem()"});
    row("pbtnReadModem", "ReadModem", {"ReadSize=16", "ReadModem()", "AnswerBuffer?256"}, "direct",
        {"leModemAnswer=4F 4B", "lePinPadAnswer=прежнее"});
    row("pbtnGetModemStatus", "GetModemStatus",
        {"GetModemStatus()", "ModemState?", "ModemSignal?", "ModemOperator?256", "ModemError?256"});
    row("pbtnOpenPinPad", "OpenPinPad", {"PinPadMode=1", "OpenPinPad()"});
    row("pbtnWritePinPad", "WritePinPad", {"CommandBuffer=02 00", "WritePinPad()"});
    row("pbtnReadPinPad", "ReadPinPad", {"ReadSize=4", "ReadPinPad()", "AnswerBuffer?256"},
        "direct", {"lePinPadAnswer=4F 4B", "leModemAnswer=прежнее"});
    row("pbtnOpenWiFi", "OpenWiFi",
        {"WiFiIpAddress=10.0.0.6", "WiFiIpPort=9100", "WiFiMode=0", "WiFiConnectionType=1",
         "OpenWiFi()"},
        "worker");
    row("pbtnGetWiFiStatus", "GetWiFiStatus", {"GetWiFiStatus()", "WiFiState?"}, "direct",
        {"teWiFiStatus=Wi-Fi подключен к точке доступа\n"});
    // SD card.
    row("pbtnOpenDirectory", "OpenDirectory", {"DirectoryPath=/logs", "OpenDirectory()"});
    row("pbtnReadDirectory", "ReadDirectory", {"ReadDirectory()", "FileSize?", "FileName?256"},
        "direct", {"spinSDFileSize=2048", "leSDFileName=z.log"});
    row("pbtnOpenFile", "OpenFile",
        {"FileOpenType=1", "FileOpenMode=2", "FileName=a.txt", "OpenFile()", "FileSize?"}, "direct",
        {"spinSDFileSize=2048", "leSDFileName=a.txt"});
    row("pbtnRemoveFile", "RemoveFile", {"FileName=a.txt", "RemoveFile()"});
    row("pbtnWriteFile", "WriteFile",
        {"FileOffset=100", "Caption=hello", "WriteFile()", "FileOffset?"});
    row("pbtnReadFile", "ReadFile",
        {"FileOffset=100", "FileReadSize=50", "ReadFile()", "FileOffset?", "FileReadSize?",
         "Caption?256"});
}

void TestService::commands()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, action);
    QFETCH(QStringList, calls);
    QFETCH(QString, place);
    QFETCH(QStringList, results);

    WindowFixture fx;
    fillInputs(fx);
    const QList<QPair<QString, QVariant>> presets = {
        {"AnswerBuffer", "4F 4B"}, {"KPKValue", 123456}, {"Version", "1"}, {"SubVersion", "2"},
        {"Build", "345"}, {"WiFiState", 2}, {"FileSize", 2048}, {"FileName", "z.log"}};
    for (const auto &preset : presets)
        fx.driver.set(preset.first, preset.second);
    bool onGuiThread = false;
    bool windowEnabled = false;
    fx.driver.onAction(action, [&]() {
        onGuiThread = QThread::currentThread() == qApp->thread();
        windowEnabled = fx.window->isEnabled();
        return 0;
    });
    fx.window->setError(QStringLiteral("прежняя ошибка"));

    fx.click(button.constData());

    QCOMPARE(fx.driver.log(), calls);
    QCOMPARE(onGuiThread, place != "worker");
    QCOMPARE(windowEnabled, place == "direct");
    QVERIFY(fx.window->isEnabled());
    QCOMPARE(fx.errorLine(), QString());
    for (const QString &result : results)
        QCOMPARE(shown(fx.widget(result.section('=', 0, 0).toLatin1().constData())),
                 result.section('=', 1));
}

void TestService::failures_data()
{
    commands_data();
}

// The failing action ends the command: nothing is read back, result widgets
// keep what they showed, and the driver's text is in the error line. Only
// the raw command still shows the device's answer.
void TestService::failures()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, action);
    QFETCH(QStringList, calls);

    WindowFixture fx;
    fillInputs(fx);
    fx.driver.set("AnswerBuffer", "4F 4B");
    fx.driver.set("FileName", "z.log");
    fx.driver.failOn(action, -3, "Нет связи");
    QStringList expectedOutputs = snapshot(fx);
    QStringList expectedReads;
    if (button == "pbtnRunCommand") {
        expectedOutputs[3] = "4F 4B";
        expectedReads << "AnswerBuffer?256";
    }

    fx.click(button.constData());

    const int actionAt = calls.indexOf(action + "()");
    QCOMPARE(fx.driver.writesAndActions(), calls.mid(0, actionAt + 1));
    QStringList readsAfter = fx.driver.log().mid(fx.driver.log().indexOf(action + "()") + 1);
    readsAfter.removeIf([](const QString &entry) { return entry.startsWith("Result"); });
    QCOMPARE(readsAfter, expectedReads);
    QCOMPARE(snapshot(fx), expectedOutputs);
    QCOMPARE(fx.errorLine(), QString("[-3] Нет связи"));
    QVERIFY(fx.window->isEnabled());
}

void TestService::withoutDevice_data()
{
    commands_data();
    row("pbtnTestConnector", "TestConnector", {}, "worker");
}

void TestService::withoutDevice()
{
    QFETCH(QByteArray, button);

    WindowFixture fx;
    fx.window->deviceList()->removeDevice(fx.window->deviceList()->currentDevice());
    DialogWatch dialogs;

    fx.click(button.constData());

    QCOMPARE(fx.errorLine(), QString("Несуществующее устройство"));
    QCOMPARE(fx.driver.log(), QStringList());
    QCOMPARE(dialogs.seen.size(), 0);
    QVERIFY(fx.window->isEnabled());
}

void TestService::journalStatusText_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("tail");

    QTest::newRow("0xC9") << 0xC9 << "0012345678"
                          << "Заводской номер ЭКЛЗ/ФН: 0012345678\n\nФлаги (c9h):\n- покупка\n"
                             "- архив закрыт\n- ЭКЛЗ/ФН активирована\n- нет отчета\n"
                             "- документ закрыт\n- смена открыта\n- есть ошибка";
    // A placeholder-like serial number stays as the device sent it.
    QTest::newRow("5") << 5 << "SN%8"
                       << "Заводской номер ЭКЛЗ/ФН: SN%8\n\nФлаги (05h):\n- покупка\n"
                          "- архив открыт\n- ЭКЛЗ/ФН не активирована\n- нет отчета\n"
                          "- документ закрыт\n- смена закрыта\n- нет ошибки";
    QTest::newRow("0x32") << 0x32 << "1"
                          << "Заводской номер ЭКЛЗ/ФН: 1\n\nФлаги (32h):\n- возврат продажи\n"
                             "- архив закрыт\n- ЭКЛЗ/ФН не активирована\n- снимается отчет\n"
                             "- документ открыт\n- смена закрыта\n- нет ошибки";
}

void TestService::journalStatusText()
{
    QFETCH(int, flags);
    QFETCH(QString, serial);
    QFETCH(QString, tail);

    WindowFixture fx;
    fx.driver.set("Summ", 1234.5678);
    fx.driver.set("Session", 17);
    fx.driver.set("SerialNumber", serial);
    fx.driver.set("KPKNumber", 88);
    fx.driver.set("EKLZFlags", flags);
    fx.driver.setDate("Date", 5, 3, 2024);
    fx.driver.setTime("Time", 9, 8, 7);

    fx.click("pbtnEKLZStatus");

    QCOMPARE(fx.widget<QTextEdit>("teEKLZStatus")->toPlainText(),
             "Номер текущей/новой смены: 17\nИтог текущего документа: 1234.57\n"
             "Дата последней операции: 05.03.2024\nВремя последней операции: 09:08:07\n"
             "Номер КПК последней операции: 88\n" + tail);
}

void TestService::connectorTest_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("dialogText");
    QTest::addColumn<QString>("errorLine");

    QTest::newRow("no findings") << 0 << int(QMessageBox::Warning) << "Ошибок нет" << "";
    QTest::newRow("finding -3800") << -3800 << int(QMessageBox::Critical)
                                   << "[-3800] Обрыв линии" << "";
    QTest::newRow("finding -3912") << -3912 << int(QMessageBox::Critical)
                                   << "[-3912] Обрыв линии" << "";
    QTest::newRow("error -3799") << -3799 << -1 << "" << "[-3799] Обрыв линии";
    QTest::newRow("error -3") << -3 << -1 << "" << "[-3] Обрыв линии";
}

void TestService::connectorTest()
{
    QFETCH(int, code);
    QFETCH(int, icon);
    QFETCH(QString, dialogText);
    QFETCH(QString, errorLine);

    WindowFixture fx;
    fx.select("cmbConnectorType", 2);
    if (code != 0)
        fx.driver.failOn("TestConnector", code, "Обрыв линии");
    bool onGuiThread = true;
    fx.driver.onAction("TestConnector", [&]() {
        onGuiThread = QThread::currentThread() == qApp->thread();
        return 0;
    });
    fx.window->setError(QStringLiteral("прежняя ошибка"));
    DialogWatch dialogs;

    fx.click("pbtnTestConnector");

    QCOMPARE(fx.driver.writesAndActions(), (QStringList{"PortNumber=2", "TestConnector()"}));
    if (code == 0)
        QVERIFY(!onGuiThread);
    if (icon < 0) {
        QCOMPARE(dialogs.seen.size(), 0);
    } else {
        QCOMPARE(dialogs.seen.size(), 1);
        QCOMPARE(dialogs.seen[0].title, QString("Проверка разъемов"));
        QCOMPARE(dialogs.seen[0].text, dialogText);
        QCOMPARE(int(dialogs.seen[0].icon), icon);
        QVERIFY2(dialogs.seen[0].usable, "the result dialog does not take input");
    }
    QCOMPARE(fx.errorLine(), errorLine);
    QVERIFY(fx.window->isEnabled());
}

void TestService::modemStatusText_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("modemOperator");
    QTest::addColumn<QString>("modemError");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing known")
        << 0 << 0 << "" << ""
        << "Модем выключен\nМощность сигнала ? dBm\nОператор - ?\nПоследняя ошибка - \n?\n";
    QTest::newRow("connected")
        << 4 << -71 << "МТС" << "Нет несущей"
        << "Модем подключен\nМощность сигнала -71 dBm\nОператор - МТС\n"
           "Последняя ошибка - \nНет несущей\n";
    QTest::newRow("GPRS, unknown operator")
        << 7 << -105 << "" << "%1"
        << "Модем инициализирован (GPRS-соединение)\nМощность сигнала -105 dBm\n"
           "Оператор - ?\nПоследняя ошибка - \n%1\n";
    QTest::newRow("unknown state") << 9 << 3 << "Билайн" << ""
                                   << "Модем \nМощность сигнала 3 dBm\nОператор - Билайн\n"
                                      "Последняя ошибка - \n?\n";
}

void TestService::modemStatusText()
{
    QFETCH(int, state);
    QFETCH(int, signal);
    QFETCH(QString, modemOperator);
    QFETCH(QString, modemError);
    QFETCH(QString, text);

    WindowFixture fx;
    fx.driver.set("ModemState", state);
    fx.driver.set("ModemSignal", signal);
    fx.driver.set("ModemOperator", modemOperator);
    fx.driver.set("ModemError", modemError);

    fx.click("pbtnGetModemStatus");

    QCOMPARE(fx.widget<QTextEdit>("teModemStatus")->toPlainText(), text);
}

// The device answers with its own position (and byte count): those replace
// what was typed, so the next press goes on from there. A value the box
// cannot hold leaves the box as it was and is named in the error line.
void TestService::fileCommandsTakeTheDevicePosition_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("readSize");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("shownOffset");
    QTest::addColumn<int>("shownReadSize");
    QTest::addColumn<QString>("message");

    const QString refused = "Устройство вернуло значение, которое поле не вмещает; в поле оставлено прежнее: %1";
    const QString offsetRange = "«Смещение в файле» %1 (допустимо от 0 до 999999999)";
    QTest::newRow("write") << QByteArray("pbtnWriteFile") << "WriteFile" << 105 << 50 << "hello"
                           << 105 << 50 << QString();
    QTest::newRow("read") << QByteArray("pbtnReadFile") << "ReadFile" << 120 << 20
                          << "0123456789abcdefghij" << 120 << 20 << QString();
    QTest::newRow("write, offset beyond the box")
        << QByteArray("pbtnWriteFile") << "WriteFile" << 1500000000 << 50 << "hello" << 100 << 50
        << refused.arg(offsetRange.arg(1500000000));
    QTest::newRow("write, negative offset") << QByteArray("pbtnWriteFile") << "WriteFile" << -1 << 50
                                            << "hello" << 100 << 50 << refused.arg(offsetRange.arg(-1));
    QTest::newRow("read, both beyond the box")
        << QByteArray("pbtnReadFile") << "ReadFile" << -1 << 1500000000 << "0123456789abcdefghij" << 100
        << 50
        << refused.arg(offsetRange.arg(-1) + "; «Байт для чтения» 1500000000 (допустимо от 0 до 999999999)");
}

void TestService::fileCommandsTakeTheDevicePosition()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, action);
    QFETCH(int, offset);
    QFETCH(int, readSize);
    QFETCH(QString, data);
    QFETCH(int, shownOffset);
    QFETCH(int, shownReadSize);
    QFETCH(QString, message);

    WindowFixture fx;
    fillInputs(fx);
    RecordingDriver &driver = fx.driver;
    driver.onAction(action, [&driver, offset, readSize]() {
        driver.set("FileOffset", offset);
        driver.set("FileReadSize", readSize);
        driver.set("Caption", "0123456789abcdefghij");
        return 0;
    });

    fx.click(button.constData());

    QCOMPARE(fx.widget<QSpinBox>("spinSDFileOffset")->value(), shownOffset);
    QCOMPARE(fx.widget<QSpinBox>("spinSDFileReadSize")->value(), shownReadSize);
    QCOMPARE(fx.widget<QLineEdit>("leSDFileData")->text(), data);
    QCOMPARE(fx.errorLine(), message);
}

void TestService::scannerSwitch_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("checkedAfter");
    QTest::addColumn<QString>("errorLine");

    const QStringList onOff = {"ScannerCallback(set)", "ScannerEnabled=1", "ScannerCallback(null)",
                               "ScannerEnabled=0"};
    QTest::newRow("on, then off") << "works" << onOff << false << "";
    // The refusal unchecks the switch, which takes the handler back.
    QTest::newRow("refused") << "refused" << onOff << false << "[-20] Сканер не подключен";
    QTest::newRow("no device") << "no device" << QStringList() << true
                               << "Несуществующее устройство";
}

void TestService::scannerSwitch()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, calls);
    QFETCH(bool, checkedAfter);
    QFETCH(QString, errorLine);

    WindowFixture fx;
    if (situation == "refused")
        fx.driver.failOn("ScannerEnabled", -20, "Сканер не подключен", QString(), 1);
    if (situation == "no device")
        fx.window->deviceList()->removeDevice(fx.window->deviceList()->currentDevice());

    scannerCheckBox(fx)->setChecked(true);
    if (situation == "works") {
        QVERIFY(dynamic_cast<ScannerEventHandler *>(fx.driver.scannerCallback()));
        scannerCheckBox(fx)->setChecked(false);
    }

    QCOMPARE(fx.driver.writesAndActions(), calls);
    QCOMPARE(scannerCheckBox(fx)->isChecked(), checkedAfter);
    QVERIFY(!fx.driver.scannerCallback());
    QCOMPARE(fx.errorLine(), errorLine);
}

// The driver reports scans from a thread of its own; every scan becomes one
// read-only row at the bottom of the list, in the order scanned.
void TestService::scansFromADriverThreadArriveInOrder()
{
    WindowFixture fx;
    fx.window->show();
    auto *list = fx.widget<QListWidget>("lwScannerData");
    scannerCheckBox(fx)->setChecked(true);
    VOR::AbstractScannerEventHandler *handler = fx.driver.scannerCallback();
    QVERIFY(handler);

    const int scans = 60;
    QStringList expected;
    for (int i = 0; i < scans; ++i)
        expected << QString("CODE%1 #0d").arg(i);
    std::thread driverThread([handler]() {
        for (int i = 0; i < scans; ++i) {
            const QByteArray bytes = QByteArray("CODE") + QByteArray::number(i) + '\r';
            handler->on_data_event(reinterpret_cast<const unsigned char *>(bytes.constData()),
                                   int(bytes.size()));
        }
    });
    driverThread.join();

    QTRY_COMPARE(list->count(), scans);
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text();
        QVERIFY(!(list->item(i)->flags() & Qt::ItemIsEditable));
    }
    QCOMPARE(rows, expected);
    QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
    QTRY_COMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());

    fx.click("pbtnClearScanData");
    QCOMPARE(list->count(), 0);
}

void TestService::wiFiDataControlsAreHidden()
{
    WindowFixture fx;
    fx.window->setSection(FptrMainWindow::SectionExternalDevices);
    fx.widget<QTabWidget>("twExternalDevices")->setCurrentWidget(fx.widget("tabWiFi"));
    for (const char *name : {"pbtnWriteWiFi", "pbtnReadWiFi", "leWiFiData", "spinReadWiFiSize",
                             "leWiFiAnswer", "lblWiFiData", "lblReadWiFiSize"})
        QVERIFY2(!fx.widget(name)->isVisibleTo(fx.window.get()), name);
    for (const char *name : {"pbtnOpenWiFi", "pbtnCloseWiFi", "pbtnGetWiFiStatus",
                             "leWiFiIpAddress", "teWiFiStatus"})
        QVERIFY2(fx.widget(name)->isVisibleTo(fx.window.get()), name);
}

FPTR_TEST_MAIN(TestService)
#include "tst_service.moc"
