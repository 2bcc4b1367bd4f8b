// The window's own behaviour: the road of a command to the driver (writes,
// action, read-backs, error line) synchronously and on the worker thread,
// the window lock, device management and the device state display.

#include "testmain.h"
#include "windowfixture.h"

#include "exception.h"
#include "scopedlocker.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QLibrary>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextEdit>

#include <atomic>
#include <thread>

using IFptr = VOR::Fptr::IFptr;

namespace {

const QStringList stateReads = {"SessionOpened?", "ChequeState?", "CharLineLength?",
                                "DeviceEnabled?", "Mode?"};

// Runs a call and returns the text of the Exception it raised (empty when
// it succeeded).
template <class F>
QString failureText(F call)
{
    try {
        call();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void setModeWritesThenActsThenRefreshes_data();
    void setModeWritesThenActsThenRefreshes();
    void failureStopsTheCommandAndShowsTheDriverText_data();
    void failureStopsTheCommandAndShowsTheDriverText();
    void commandWithoutDeviceShowsTheNoDeviceMessage();
    void workerFailureReadsLikeTheSameFailureRunSynchronously_data();
    void workerFailureReadsLikeTheSameFailureRunSynchronously();
    void windowIsLockedWhileTheWorkerRuns_data();
    void windowIsLockedWhileTheWorkerRuns();
    void busyIndicatorGeometryAndTexts_data();
    void busyIndicatorGeometryAndTexts();
    void specialMarksConvert();

    void removingTheLastDeviceDisablesItsControls();
    void renameOffersTheDriversDefaultName();
    void cancelledDriverDialogAddsNothingAndReleasesTheObject();
    void addedDeviceIsSelectedAndNamedByTheDriver();
    void switchingTheConnectionOffRequestsNoStatus();
    void sectionButtonsAreExclusive();

    void stateLabels_data();
    void stateLabels();
    void stateTexts();
    void statusQueryText();
};

void TestMainWindow::setModeWritesThenActsThenRefreshes_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("with password") << "29" << QStringList{"Mode=4", "Password=29", "SetMode()"};
    QTest::newRow("empty password leaves Password alone") << "" << QStringList{"Mode=4", "SetMode()"};
}

void TestMainWindow::setModeWritesThenActsThenRefreshes()
{
    QFETCH(QString, password);
    QFETCH(QStringList, expected);
    WindowFixture fx;
    fx.window->setError(QStringLiteral("old failure"));
    fx.widget<QLineEdit>("lePassword")->setText(password);
    fx.select("cmbMode", 4);
    fx.driver.set("Mode", 4);

    fx.click("pbtnSetMode");

    QCOMPARE(fx.driver.log(), expected + stateReads);
    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(fx.window->cmbData(fx.combo("cmbMode")), 4);
}

void TestMainWindow::failureStopsTheCommandAndShowsTheDriverText_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("action") << "SetMode" << ""
                            << QStringList{"Mode=1", "Password=58", "SetMode()", "ResultCode?",
                                           "ResultDescription?256", "ResultDetail?"}
                            << "[-3] Неверный пароль";
    QTest::newRow("write, with detail")
        << "Mode" << "режим 1"
        << QStringList{"Mode=1", "ResultCode?", "ResultDescription?256", "ResultDetail?",
                       "ResultDetailDescription?256"}
        << "[-3] Неверный пароль (режим 1)";
}

void TestMainWindow::failureStopsTheCommandAndShowsTheDriverText()
{
    QFETCH(QString, failing);
    QFETCH(QString, detail);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    WindowFixture fx;
    fx.select("cmbMode", 1);
    fx.driver.failOn(failing, -3, QStringLiteral("Неверный пароль"), detail);

    fx.click("pbtnSetMode");

    // Nothing after the failing step: no action after a failed write, no
    // state refresh after a failed action.
    QCOMPARE(fx.driver.log(), expected);
    QCOMPARE(fx.errorLine(), message);
}

void TestMainWindow::commandWithoutDeviceShowsTheNoDeviceMessage()
{
    WindowFixture fx;
    while (fx.combo("cmbDeviceList")->count() > 0)
        fx.click("pbtnRemoveDevice");
    fx.driver.clearLog();

    for (const char *button : {"pbtnSetMode", "pbtnResetMode", "pbtnGetStatus", "pbtnQueryGetStatus"}) {
        fx.window->resetError();
        fx.click(button);
        QCOMPARE(fx.errorLine(), QStringLiteral("Несуществующее устройство"));
    }
    QCOMPARE(fx.driver.log(), QStringList());
}

void TestMainWindow::workerFailureReadsLikeTheSameFailureRunSynchronously_data()
{
    QTest::addColumn<QString>("detail");
    QTest::newRow("plain") << "";
    QTest::newRow("with detail") << "нет бумаги в принтере";
}

void TestMainWindow::workerFailureReadsLikeTheSameFailureRunSynchronously()
{
    QFETCH(QString, detail);
    WindowFixture fx;
    fx.driver.failOn("PrintHeader", -50, QStringLiteral("Нет бумаги"), detail);

    const QString sync = failureText([&] { fx.window->execMethod(&IFptr::PrintHeader); });
    const QString async = failureText([&] { fx.window->execMethodAsync(&IFptr::PrintHeader); });

    QVERIFY(!sync.isEmpty());
    QCOMPARE(async, sync);

    // A worker call that succeeds hands back the action's result.
    fx.driver.clearFailures();
    fx.driver.setActionResult("PrintHeader", 7);
    QCOMPARE(fx.window->execMethodAsync(&IFptr::PrintHeader), 7);
}

void TestMainWindow::windowIsLockedWhileTheWorkerRuns_data()
{
    QTest::addColumn<bool>("fails");
    QTest::newRow("success") << false;
    QTest::newRow("failure") << true;
}

void TestMainWindow::windowIsLockedWhileTheWorkerRuns()
{
    QFETCH(bool, fails);
    WindowFixture fx;
    std::atomic<bool> release{false};
    fx.driver.onAction("PrintFooter", [&]() {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return fails ? fx.driver.fail(-50, QStringLiteral("Нет бумаги")) : 0;
    });

    // Samples the window from the GUI thread while the call runs: the event
    // loop must keep running, with the window disabled and the bar shown.
    int samples = 0;
    bool alwaysDisabled = true;
    bool barShown = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&]() {
        ++samples;
        alwaysDisabled = alwaysDisabled && !fx.window->isEnabled();
        barShown = barShown || fx.window->statusBar()->findChild<QProgressBar *>() != nullptr;
        if (samples >= 5)
            release = true;
    });
    probe.start(10);

    QString message;
    {
        ScopedLocker locker(fx.window.get(), true);
        message = failureText([&] { fx.window->execMethodAsync(&IFptr::PrintFooter); });
    }
    probe.stop();

    QVERIFY(samples >= 5);
    QVERIFY(alwaysDisabled);
    QVERIFY(barShown);
    QVERIFY(fx.window->isEnabled());
    QCOMPARE(message.isEmpty(), !fails);
    const auto bars = fx.window->statusBar()->findChildren<QProgressBar *>();
    for (QProgressBar *bar : bars)
        QVERIFY(!bar->isVisible());
}

void TestMainWindow::busyIndicatorGeometryAndTexts_data()
{
    QTest::addColumn<bool>("printing");
    QTest::addColumn<QString>("text");
    QTest::newRow("printing") << true << "Идет печать...";
    QTest::newRow("waiting") << false << "Подождите...";
}

void TestMainWindow::busyIndicatorGeometryAndTexts()
{
    QFETCH(bool, printing);
    QFETCH(QString, text);
    WindowFixture fx;
    fx.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.window.get()));
    fx.window->setError(QStringLiteral("old failure"));
    QStatusBar *bar = fx.window->statusBar();
    const int barHeight = bar->height();
    {
        ScopedLocker locker(fx.window.get(), printing);
        QCOMPARE(fx.errorLine(), QString());
        QVERIFY(!fx.window->isEnabled());
        auto *progress = bar->findChild<QProgressBar *>();
        QVERIFY(progress);
        QCOMPARE(progress->maximum(), 0);
        QCOMPARE(progress->maximumWidth(), 100);
        QCOMPARE(progress->maximumHeight(), int(barHeight * 0.75));
        QVERIFY(progress->width() <= 100);
        bool labelFound = false;
        for (QLabel *label : bar->findChildren<QLabel *>())
            labelFound = labelFound || (label->isVisible() && label->text() == text);
        QVERIFY(labelFound);
    }
    QVERIFY(fx.window->isEnabled());
    for (QLabel *label : bar->findChildren<QLabel *>())
        QVERIFY(label->text() != text || !label->isVisible());
}

void TestMainWindow::specialMarksConvert()
{
    const QString form = QString(QChar(0x00BB)) + "A" + QChar(0x00B6) + "1,0" + QChar(0x00B6)
                         + QChar(0x00A5) + "2" + QChar(0x00A5);
    const QString device = QStringLiteral("\tA\n1,0\n\v2\v");
    QCOMPARE(FptrMainWindow::ecrText(form), device);
    QCOMPARE(FptrMainWindow::driverText(device), form);
    const QString plain = QStringLiteral("Строка без меток: 100%");
    QCOMPARE(FptrMainWindow::driverText(FptrMainWindow::ecrText(plain)), plain);
}

void TestMainWindow::removingTheLastDeviceDisablesItsControls()
{
    WindowFixture fx;
    QComboBox *devices = fx.combo("cmbDeviceList");
    QCOMPARE(devices->count(), 2); // the default virtual register and ours
    const char *controls[] = {"pbtnRemoveDevice", "pbtnRenameDevice", "pbtnProperties", "cbEnable",
                              "cbScannerEnabled"};

    fx.click("pbtnRemoveDevice");
    QCOMPARE(devices->count(), 1);
    for (const char *name : controls)
        QVERIFY2(fx.widget(name)->isEnabled(), name);
    QCOMPARE(fx.widget<SqueezedLabel>("lbCurrentDeviceName")->fullText(), devices->currentText());

    fx.click("pbtnRemoveDevice");
    QCOMPARE(devices->count(), 0);
    for (const char *name : controls)
        QVERIFY2(!fx.widget(name)->isEnabled(), name);
    QCOMPARE(fx.widget<SqueezedLabel>("lbCurrentDeviceName")->fullText(), QString());
    QCOMPARE(fx.window->deviceList()->count(), 0);
}

void TestMainWindow::renameOffersTheDriversDefaultName()
{
    WindowFixture fx;
    fx.driver.setSetting("Model", "7");
    fx.driver.setSettingDescription("Model", "7:Модель Семь;");
    fx.driver.setSetting("Port", "USB");
    fx.driver.setSettingDescription("Port", "USB:USB:порт 1;");
    QComboBox *devices = fx.combo("cmbDeviceList");

    // Cancel: the old name stays, whatever the dialog offered.
    QString offered;
    fx.onNextDialog([&](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        QVERIFY(input);
        offered = input->textValue();
        input->reject();
    });
    fx.click("pbtnRenameDevice");
    QCOMPARE(offered, QStringLiteral("Модель Семь (USB:порт 1)"));
    QCOMPARE(devices->currentText(), QStringLiteral("Recording driver"));

    // An emptied answer keeps the name too.
    fx.onNextDialog([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        input->setTextValue(QString());
        input->accept();
    });
    fx.click("pbtnRenameDevice");
    QCOMPARE(devices->currentText(), QStringLiteral("Recording driver"));

    fx.onNextDialog([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        input->setTextValue(QStringLiteral("Касса <1> & \"зал\""));
        input->accept();
    });
    fx.click("pbtnRenameDevice");
    QCOMPARE(devices->currentText(), QStringLiteral("Касса <1> & \"зал\""));
    QCOMPARE(fx.widget<SqueezedLabel>("lbCurrentDeviceName")->fullText(), devices->currentText());
}

void TestMainWindow::cancelledDriverDialogAddsNothingAndReleasesTheObject()
{
    WindowFixture fx;
    QComboBox *devices = fx.combo("cmbDeviceList");
    const int before = devices->count();

    // The real virtual register: its settings dialog is cancelled.
    fx.onNextDialog([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    fx.click("pbtnAddECR");
    QCOMPARE(fx.dialogsSeen, 1);
    QCOMPARE(devices->count(), before);
    QCOMPARE(fx.window->deviceList()->count(), before);

    // A stand-in library whose object answers 0 to ShowProperties: the
    // object goes back through the library's release entry.
    const QString fake = QCoreApplication::applicationDirPath() + "/libfakedriver_full.so";
    QVERIFY(fx.window->deviceList()->load(FptrFactory::ReceiptPrinter, fake));
    QLibrary control(fake);
    QVERIFY(control.load());
    auto setNext = reinterpret_cast<void (*)(IFptr *)>(control.resolve("fakeDriverSetNextObject"));
    auto releases = reinterpret_cast<int (*)()>(control.resolve("fakeDriverReleaseCalls"));
    QVERIFY(setNext && releases);
    RecordingDriver refusing;
    setNext(&refusing);
    const int releasedBefore = releases();

    fx.click("pbtnAddPrinter");

    QVERIFY(refusing.log().contains("ShowProperties()"));
    QCOMPARE(devices->count(), before);
    QCOMPARE(releases(), releasedBefore + 1);
    setNext(nullptr);
}

void TestMainWindow::addedDeviceIsSelectedAndNamedByTheDriver()
{
    WindowFixture fx;
    QComboBox *devices = fx.combo("cmbDeviceList");
    const int before = devices->count();

    fx.onNextDialog([](QWidget *modal) { qobject_cast<QDialog *>(modal)->accept(); });
    fx.click("pbtnAddPrinter");

    QCOMPARE(devices->count(), before + 1);
    QCOMPARE(devices->currentIndex(), before);
    ZEruZuva *added = fx.window->device();
    QCOMPARE(devices->currentData().toInt(), fx.window->deviceList()->currentDevice());
    QCOMPARE(devices->currentText(), defaultDeviceName(added->ted()));
    QVERIFY(devices->currentText().startsWith(QStringLiteral("Виртуальный принтер чеков")));
    QCOMPARE(fx.window->deviceList()->deviceType(-1), FptrFactory::ReceiptPrinter);
}

void TestMainWindow::switchingTheConnectionOffRequestsNoStatus()
{
    WindowFixture fx;
    auto *enable = fx.widget<QCheckBox>("cbEnable");
    fx.driver.set("DeviceEnabled", 1);
    enable->setChecked(true);
    QCOMPARE(fx.driver.writesAndActions(), (QStringList{"DeviceEnabled=1", "GetStatus()"}));

    fx.driver.clearLog();
    fx.driver.set("DeviceEnabled", 0);
    enable->setChecked(false);
    QCOMPARE(fx.driver.log(), QStringList{"DeviceEnabled=0"});
    QCOMPARE(fx.errorLine(), QString());

    // A refused connection: the message shows and the box follows the driver.
    fx.driver.clearLog();
    fx.driver.failOn("DeviceEnabled", -1, QStringLiteral("Нет связи"));
    enable->setChecked(true);
    QCOMPARE(fx.errorLine(), QStringLiteral("[-1] Нет связи"));
    QVERIFY(!enable->isChecked());
}

void TestMainWindow::sectionButtonsAreExclusive()
{
    WindowFixture fx;
    auto *stack = fx.widget<QStackedWidget>("stackedWidgetMain");
    QCOMPARE(stack->currentIndex(), 1);
    const QList<QPushButton *> buttons =
        fx.widget("scrollAreaWidgetContents")->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 14);
    for (QPushButton *button : buttons) {
        button->click();
        button->click(); // clicking the checked one keeps it checked
        int checked = 0;
        for (QPushButton *other : buttons)
            checked += other->isChecked() ? 1 : 0;
        QCOMPARE(checked, 1);
        QVERIFY(button->isChecked());
    }
    fx.click("pbtnSectionSD");
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageSD"));
    fx.click("pbtnSectionControl");
    QCOMPARE(stack->currentIndex(), 12);
}

void TestMainWindow::stateLabels_data()
{
    QTest::addColumn<int>("sessionOpened");
    QTest::addColumn<int>("chequeState");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("cheque");
    QTest::newRow("open, sale") << 1 << 1 << "Смена открыта" << "Чек продажи / прихода";
    QTest::newRow("2 is not open") << 2 << 0 << "Смена закрыта" << "Чек закрыт";
    QTest::newRow("two-line text") << 0 << 10 << "Смена закрыта" << "Чек коррекции\nвозврата расхода";
    QTest::newRow("unknown receipt keeps the label") << 1 << 11 << "Смена открыта" << "Чек закрыт";
}

void TestMainWindow::stateLabels()
{
    QFETCH(int, sessionOpened);
    QFETCH(int, chequeState);
    QFETCH(QString, session);
    QFETCH(QString, cheque);
    WindowFixture fx;
    fx.driver.set("SessionOpened", sessionOpened);
    fx.driver.set("ChequeState", chequeState);
    fx.driver.set("CharLineLength", 48);
    fx.driver.set("Mode", 2);

    fx.window->updateDeviceInfo();

    QCOMPARE(fx.driver.log(), stateReads);
    QCOMPARE(fx.widget<QLabel>("lbSessionState")->text(), session);
    QCOMPARE(fx.widget<QLabel>("lbChequeState")->text(), cheque);
    QCOMPARE(fx.widget<QLabel>("lbCharLineLength")->text(), QStringLiteral("Чековая лента: 48"));
    QCOMPARE(fx.window->cmbData(fx.combo("cmbMode")), 2);
}

void TestMainWindow::stateTexts()
{
    QCOMPARE(FptrMainWindow::mode(0x17), QStringLiteral("Идет обнуление таблиц и гашение операционных регистров"));
    QCOMPARE(FptrMainWindow::mode(7), QString());
    QCOMPARE(FptrMainWindow::mode(34), QStringLiteral("Х-отчеты / Идет печать Х-отчета"));
    QCOMPARE(FptrMainWindow::mode(231), QStringLiteral("Блокировка при ошибке ЭКЛЗ/ФН"));
    QCOMPARE(FptrMainWindow::chequeState(3), QStringLiteral("аннулирования продажи"));
    QCOMPARE(FptrMainWindow::chequeState(11), QString());
    QCOMPARE(FptrMainWindow::chequeState(-1), QString());
    QCOMPARE(FptrMainWindow::modemState(7), QStringLiteral("инициализирован (GPRS-соединение)"));
    QCOMPARE(FptrMainWindow::modemState(9), QString());
    QCOMPARE(FptrMainWindow::wiFiState(2), QStringLiteral("подключен к точке доступа"));
    QCOMPARE(FptrMainWindow::wiFiState(6), QString());
    QCOMPARE(FptrMainWindow::yesNo(-5), QStringLiteral("да"));
    QCOMPARE(FptrMainWindow::yesNo(0), QStringLiteral("нет"));
    QCOMPARE(FptrMainWindow::powerSupply(4), QStringLiteral("работает от сети"));
    QCOMPARE(FptrMainWindow::powerSupply(5), QStringLiteral("работает от аккумуляторов, печать невозможна"));
    QCOMPARE(FptrMainWindow::powerSupply(1), QStringLiteral("работает от аккумуляторов, печать возможна"));
}

void TestMainWindow::statusQueryText()
{
    WindowFixture fx;
    RecordingDriver &d = fx.driver;
    d.set("Operator", 29);
    d.set("LogicalNumber", 3);
    d.set("Fiscal", 1);
    d.set("FNFiscal", 0);
    d.setTime("Time", 9, 5, 7);
    d.setDate("Date", 1, 2, 2026);
    d.set("DeviceDescription", QStringLiteral("Виртуальная ККТ"));
    d.set("Version", "3");
    d.set("SubVersion", "1");
    d.set("Build", "4567");
    d.set("SerialNumber", "00112233");
    d.set("Mode", 1);
    d.set("SubMode", 1);
    d.set("PortNumber", 2);
    d.set("DrawerOpened", 0);
    d.set("SessionOpened", 2);
    d.set("CheckPaperPresent", 1);
    d.set("ControlPaperPresent", 0);
    d.set("CoverOpened", 1);
    d.set("Model", 57);
    d.set("ChequeNumber", 12);
    d.set("Session", 4);
    d.set("PointPosition", 2);
    d.set("ChequeState", 11);
    d.set("Summ", 1234567.0);

    fx.click("pbtnQueryGetStatus");

    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(d.writesAndActions(), QStringList{"GetStatus()"});
    const QString expected = QStringLiteral(
        "Кассир: 29\n"
        "Номер ККТ в зале: 3\n"
        "Касса фискализирована\n"
        "ФН не фискализирован\n"
        "Время: 09:05:07\n"
        "Дата: 01.02.2026\n"
        "Название ККТ: Виртуальная ККТ\n"
        "Версия ПО ККТ: 3.1.4567\n"
        "Заводской номер: 00112233\n"
        "Текущий режим: Регистрация / Ввод пароля (1.1)\n"
        "Соединение с ПК по порту 2\n"
        "Ящик закрыт\n"
        "Смена открыта\n"
        "Датчик ЧЛ: бумага есть\n"
        "Датчик КЛ: бумаги нет\n"
        "Крышка принтера открыта\n"
        "Модель: 57\n"
        "Номер чека: 12\n"
        "Номер последней закрытой смены: 4\n"
        "Положение десятичной точки: 2\n"
        "Чек  (11)\n"
        "Текущая сумма чека: 1.23457e+06\n");
    QCOMPARE(fx.widget<QTextEdit>("teQueryResult")->toPlainText(), expected);
    // Build, SubVersion, Version are read in this order.
    const QStringList log = d.log();
    QVERIFY(log.indexOf("Build?256") < log.indexOf("SubVersion?256"));
    QVERIFY(log.indexOf("SubVersion?256") < log.indexOf("Version?256"));
}

FPTR_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
