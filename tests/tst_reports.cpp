// Reports: the writes of every report button, where its action runs and how
// the window is locked meanwhile, the data-report record loop and what each
// failure leaves in the result box.

#include "testmain.h"
#include "windowfixture.h"

#include "exception.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextEdit>
#include <QThread>

namespace {

// Runs f on the GUI thread: directly when already there, else blocking the
// calling worker until the GUI thread's event loop has run it.
template <class F>
void onGuiThread(F f)
{
    if (QThread::currentThread() == qApp->thread())
        f();
    else
        QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
}

// What the window looked like while an action ran.
struct ActionView
{
    bool seen = false;
    bool onWorker = false;
    bool windowEnabled = true;
    bool contentsEnabled = true; // the pages and frames of the window
    bool stopOffered = false;    // an enabled stop button in the status bar
    QString notice; // the locker's text in the status bar, if any
};

// Called from inside a driver action.
void look(WindowFixture &fx, ActionView &view)
{
    view.seen = true;
    view.onWorker = QThread::currentThread() != qApp->thread();
    onGuiThread([&fx, &view]() {
        view.windowEnabled = fx.window->isEnabled();
        view.contentsEnabled = fx.window->centralWidget()->isEnabled();
        for (QPushButton *button : fx.window->statusBar()->findChildren<QPushButton *>()) {
            if (button->isVisibleTo(fx.window.get()) && button->isEnabled()
                && button->text() == QStringLiteral("Остановить"))
                view.stopOffered = true;
        }
        for (QLabel *label : fx.window->statusBar()->findChildren<QLabel *>()) {
            if (label->isVisibleTo(fx.window.get()) && label->objectName() != "errorLabel"
                && !label->text().isEmpty())
                view.notice = label->text();
        }
    });
}

void watch(WindowFixture &fx, const QString &action, ActionView &view)
{
    fx.driver.onAction(action, [&fx, &view]() {
        look(fx, view);
        return 0;
    });
}

void fillInputs(WindowFixture &fx)
{
    fx.widget<QSpinBox>("spinDocumentNumberFrom")->setValue(3);
    fx.widget<QSpinBox>("spinDocumentNumberTo")->setValue(9);
    fx.widget<QCheckBox>("cbClearFlag")->setChecked(true);
    fx.select("cmbRegistrationReportType", 2);
    fx.widget<QSpinBox>("spinReportSessionFrom")->setValue(4);
    fx.widget<QSpinBox>("spinReportSessionTo")->setValue(8);
    fx.widget<QDateEdit>("dateFrom")->setDate(QDate(2024, 2, 1));
    fx.widget<QDateEdit>("dateTo")->setDate(QDate(2024, 3, 31));
    fx.widget<QSpinBox>("spinSessionFrom")->setValue(11);
    fx.widget<QSpinBox>("spinSessionTo")->setValue(22);
    fx.select("cmbFiscalReportType", 3);
    fx.widget<QSpinBox>("spinReportKPKNumber")->setValue(33);
    fx.widget<QSpinBox>("spinFNDocNumber")->setValue(44);
    fx.select("cmbFNReportType", 25);
    fx.select("cmbDataReportType", 41);
    fx.select("cmbECRUnitType", 4);
}

const QString deviceState[] = {"SessionOpened", "ChequeState", "CharLineLength",
                               "DeviceEnabled", "Mode"};

QTextEdit *records(WindowFixture &fx)
{
    return fx.widget<QTextEdit>("teDataReportResult");
}

// GetRecord hands out the given records, then ends with the given code.
void serveRecords(WindowFixture &fx, const QStringList &texts, int endCode, int &calls,
                  ActionView *view = nullptr)
{
    fx.driver.onAction("GetRecord", [&fx, texts, endCode, &calls, view]() {
        const int index = calls++;
        if (view && index == 0)
            look(fx, *view);
        if (index < texts.size()) {
            fx.driver.set("Caption", texts.at(index));
            return 0;
        }
        return fx.driver.fail(endCode, QString("Код %1").arg(endCode));
    });
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void buttonCalls_data();
    void buttonCalls();
    void printedReportFailures_data();
    void printedReportFailures();
    void dataReportFailureClearsText_data();
    void dataReportFailureClearsText();
    void noDeviceChangesNothing_data();
    void noDeviceChangesNothing();
    void recordLoop_data();
    void recordLoop();
    void recordLoopFailure_data();
    void recordLoopFailure();
    void recordLoopEndsWithoutTheEndOfRecords_data();
    void recordLoopEndsWithoutTheEndOfRecords();
    void singleRecord();
    void singleRecordFailure_data();
    void singleRecordFailure();
};

void TestReports::buttonCalls_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("clearFlag");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("onWorker");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("refreshesState");

    const QString printing = "Идет печать...";
    const QString waiting = "Подождите...";
    const QStringList registration{"DocNumber=3", "DocNumberEnd=9", "ClearFlag=1", "ReportType=2",
                                   "Session=4", "SessionEnd=8", "Report()", "GetStatus()"};
    QStringList unflagged = registration;
    unflagged[2] = "ClearFlag=0";

    QTest::newRow("registration report") << "pbtnRegistrationReport" << true << "Report"
                                         << registration << true << printing << true;
    QTest::newRow("registration report, no clear flag")
        << "pbtnRegistrationReport" << false << "Report" << unflagged << true << printing << true;
    QTest::newRow("fiscal memory report")
        << "pbtnFPReport" << true << "Report"
        << QStringList{"Date=01.02.2024", "DateEnd=31.03.2024", "Session=11", "SessionEnd=22",
                       "ReportType=3", "KPKNumber=33", "Report()"}
        << true << printing << false;
    QTest::newRow("fiscal storage report")
        << "pbtnPrintFNReport" << true << "Report"
        << QStringList{"KPKNumber=44", "ReportType=25", "Report()"} << false << QString() << false;
    QTest::newRow("begin data report")
        << "pbtnBeginReport" << true << "BeginReport"
        << QStringList{"ReportType=41", "UnitType=4", "BeginReport()"} << true << waiting << false;
    QTest::newRow("end data report") << "pbtnEndReport" << true << "EndReport"
                                     << QStringList{"EndReport()"} << true << waiting << false;
}

void TestReports::buttonCalls()
{
    QFETCH(QString, button);
    QFETCH(bool, clearFlag);
    QFETCH(QString, action);
    QFETCH(QStringList, calls);
    QFETCH(bool, onWorker);
    QFETCH(QString, notice);
    QFETCH(bool, refreshesState);

    WindowFixture fx;
    fillInputs(fx);
    fx.widget<QCheckBox>("cbClearFlag")->setChecked(clearFlag);
    ActionView view;
    watch(fx, action, view);
    fx.window->setError("прежняя ошибка");
    records(fx)->setPlainText("прежние записи");

    fx.click(button.toLatin1().constData());

    QCOMPARE(fx.driver.writesAndActions(), calls);
    QVERIFY(view.seen);
    QCOMPARE(view.onWorker, onWorker);
    QCOMPARE(view.windowEnabled, notice.isEmpty());
    QCOMPARE(view.notice, notice);
    QVERIFY(fx.window->isEnabled());
    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(records(fx)->toPlainText(), QString("прежние записи"));

    const QStringList log = fx.driver.log();
    for (const QString &name : deviceState)
        QCOMPARE(log.contains(name + "?"), refreshesState);
    if (refreshesState)
        QVERIFY(log.indexOf("SessionOpened?") > log.indexOf("GetStatus()"));
}

void TestReports::printedReportFailures_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("lastCall");

    QTest::newRow("registration, a write") << "pbtnRegistrationReport" << "ClearFlag" << "ClearFlag=1";
    // A failed report neither asks for the status nor refreshes the state.
    QTest::newRow("registration, report") << "pbtnRegistrationReport" << "Report" << "Report()";
    QTest::newRow("registration, status") << "pbtnRegistrationReport" << "GetStatus" << "GetStatus()";
    QTest::newRow("fiscal memory, date") << "pbtnFPReport" << "DateEnd" << "DateEnd=31.03.2024";
    QTest::newRow("fiscal memory, report") << "pbtnFPReport" << "Report" << "Report()";
    QTest::newRow("fiscal storage, report") << "pbtnPrintFNReport" << "Report" << "Report()";
}

void TestReports::printedReportFailures()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);
    QFETCH(QString, lastCall);

    WindowFixture fx;
    fillInputs(fx);
    fx.driver.failOn(failing, -3807, "Нет бумаги");
    records(fx)->setPlainText("прежние записи");

    fx.click(button.toLatin1().constData());

    QCOMPARE(fx.driver.writesAndActions().last(), lastCall);
    QCOMPARE(fx.errorLine(), QString("[-3807] Нет бумаги"));
    QVERIFY(fx.window->isEnabled());
    QVERIFY(!fx.driver.log().contains("SessionOpened?"));
    QCOMPARE(records(fx)->toPlainText(), QString("прежние записи"));
}

void TestReports::dataReportFailureClearsText_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing");

    QTest::newRow("begin, a write") << "pbtnBeginReport" << "UnitType";
    QTest::newRow("begin") << "pbtnBeginReport" << "BeginReport";
    QTest::newRow("end") << "pbtnEndReport" << "EndReport";
}

void TestReports::dataReportFailureClearsText()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);

    WindowFixture fx;
    fillInputs(fx);
    fx.driver.failOn(failing, -16, "Не поддерживается в данном режиме");
    records(fx)->setPlainText("прежние записи");

    fx.click(button.toLatin1().constData());

    QCOMPARE(records(fx)->toPlainText(), QString());
    QCOMPARE(fx.errorLine(), QString("[-16] Не поддерживается в данном режиме"));
    QVERIFY(fx.window->isEnabled());
}

void TestReports::noDeviceChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    for (const char *button : {"pbtnRegistrationReport", "pbtnFPReport", "pbtnPrintFNReport",
                               "pbtnBeginReport", "pbtnGetRecord", "pbtnGetAllRecords",
                               "pbtnEndReport"})
        QTest::newRow(button) << QString(button);
}

void TestReports::noDeviceChangesNothing()
{
    QFETCH(QString, button);

    WindowFixture fx;
    FptrDeviceList *list = fx.window->deviceList();
    list->removeDevice(list->currentDevice());
    records(fx)->setPlainText("прежние записи");

    fx.click(button.toLatin1().constData());

    QCOMPARE(records(fx)->toPlainText(), QString("прежние записи"));
    QCOMPARE(fx.errorLine(), QString::fromUtf8(DeviceNotFoundException().what()));
    QVERIFY(fx.window->isEnabled());
    QVERIFY(fx.driver.log().isEmpty());
}

void TestReports::recordLoop_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("shown");

    QTest::newRow("three records") << QStringList{"ЗАПИСЬ 1", "ЗАПИСЬ 2", "ЗАПИСЬ 3"}
                                   << "ЗАПИСЬ 1\nЗАПИСЬ 2\nЗАПИСЬ 3\n";
    QTest::newRow("no records") << QStringList() << QString();
}

void TestReports::recordLoop()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);

    WindowFixture fx;
    int calls = 0;
    ActionView view;
    serveRecords(fx, texts, -17, calls, &view);
    records(fx)->setPlainText("прежние записи");
    fx.window->setError("прежняя ошибка");

    fx.click("pbtnGetAllRecords");

    QCOMPARE(calls, texts.size() + 1);
    QCOMPARE(fx.driver.count("GetRecord()"), texts.size() + 1);
    QCOMPARE(fx.driver.count("Caption?256"), texts.size());
    QCOMPARE(records(fx)->toPlainText(), shown);
    QCOMPARE(fx.errorLine(), QString());
    QVERIFY(view.onWorker);
    // Locked, all but the stop button beside the busy bar.
    QVERIFY(!view.contentsEnabled);
    QVERIFY(view.stopOffered);
    QCOMPARE(view.notice, QString("Подождите..."));
    QVERIFY(fx.window->isEnabled());
    QVERIFY(fx.window->centralWidget()->isEnabled());
}

void TestReports::recordLoopFailure_data()
{
    QTest::addColumn<int>("code");

    QTest::newRow("driver error") << -3822;
    // A code the wrapper would let pass must end the loop just the same.
    QTest::newRow("positive code") << 5;
}

void TestReports::recordLoopFailure()
{
    QFETCH(int, code);

    WindowFixture fx;
    int calls = 0;
    serveRecords(fx, {"ЗАПИСЬ 1"}, code, calls);
    records(fx)->setPlainText("прежние записи");

    fx.click("pbtnGetAllRecords");

    QCOMPARE(calls, 2);
    // What was read before the failure stays in view.
    QCOMPARE(records(fx)->toPlainText(), QString("ЗАПИСЬ 1\n"));
    QCOMPARE(fx.errorLine(), QString("[%1] Код %1").arg(code));
    QVERIFY(fx.window->isEnabled());
}

void TestReports::recordLoopEndsWithoutTheEndOfRecords_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("count"); // records read before the loop ends
    QTest::addColumn<QString>("message");

    QTest::newRow("never ends") << "endless" << 100000
                                << "Чтение остановлено после 100000 записей: устройство не сообщило о конце отчета";
    QTest::newRow("fails with code 0") << "code 0" << 3
                                       << "Запись не прочитана: драйвер сообщил об ошибке с кодом 0";
    QTest::newRow("stop button") << "stop button" << 3
                                 << "Чтение остановлено пользователем; прочитано записей: 3";
    QTest::newRow("Esc") << "Esc" << 3 << "Чтение остановлено пользователем; прочитано записей: 3";
    QTest::newRow("window closed") << "close" << 3
                                   << "Чтение остановлено пользователем; прочитано записей: 3";
}

// A driver that never reports the end of the records must not keep the
// window locked: the loop ends at its cap, on a failure without a code, or
// when the user asks, and shows what it read.
void TestReports::recordLoopEndsWithoutTheEndOfRecords()
{
    QFETCH(QString, driver);
    QFETCH(int, count);
    QFETCH(QString, message);

    WindowFixture fx;
    int calls = 0;
    FptrMainWindow *window = fx.window.get();
    fx.driver.onAction("GetRecord", [&fx, &calls, driver, count, window]() {
        const int index = calls++;
        // A loop that would go on for ever is ended here, so that the test
        // fails instead of hanging.
        if (index > 100000)
            return fx.driver.fail(-9999, "Бесконечный отчет");
        if (driver == "code 0" && index == count)
            return fx.driver.fail(0, "Ошибок нет");
        // The user asks to stop while the last record is being read.
        if (index == count - 1 && (driver == "stop button" || driver == "Esc")) {
            onGuiThread([window, driver]() {
                if (driver == "Esc") {
                    QTest::keyClick(window, Qt::Key_Escape);
                    return;
                }
                for (QPushButton *button : window->statusBar()->findChildren<QPushButton *>()) {
                    if (button->text() == QStringLiteral("Остановить"))
                        button->click();
                }
            });
        }
        fx.driver.set("Caption", QString("R%1").arg(index));
        return 0;
    });
    // Closed as the last record is taken (on the GUI thread, with no call
    // running that the close would wait for).
    if (driver == "close") {
        fx.driver.onRead("Caption", [&calls, count, window]() {
            if (calls == count)
                window->close();
        });
    }
    QString expected;
    for (int i = 0; i < count; ++i)
        expected += QString("R%1\n").arg(i);

    fx.click("pbtnGetAllRecords");

    QCOMPARE(fx.errorLine(), message);
    QCOMPARE(records(fx)->toPlainText(), expected);
    QCOMPARE(calls, driver == "code 0" ? count + 1 : count);
    QVERIFY(fx.window->centralWidget()->isEnabled());
}

void TestReports::singleRecord()
{
    WindowFixture fx;
    int calls = 0;
    ActionView view;
    serveRecords(fx, {"ЗАПИСЬ 1", "ЗАПИСЬ 2"}, -17, calls, &view);
    fx.window->setError("прежняя ошибка");

    fx.click("pbtnGetRecord");
    QCOMPARE(records(fx)->toPlainText(), QString("ЗАПИСЬ 1"));
    fx.click("pbtnGetRecord");

    QCOMPARE(fx.driver.log(), QStringList({"GetRecord()", "Caption?256", "GetRecord()", "Caption?256"}));
    QCOMPARE(records(fx)->toPlainText(), QString("ЗАПИСЬ 2"));
    QCOMPARE(fx.errorLine(), QString());
    QVERIFY(view.onWorker);
    QVERIFY(!view.windowEnabled);
    QCOMPARE(view.notice, QString("Подождите..."));
}

void TestReports::singleRecordFailure_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");

    // Past the end the last record stays in view; a real failure clears it.
    QTest::newRow("end of records") << -17 << "ПОСЛЕДНЯЯ";
    QTest::newRow("driver error") << -3822 << QString();
}

void TestReports::singleRecordFailure()
{
    QFETCH(int, code);
    QFETCH(QString, shown);

    WindowFixture fx;
    int calls = 0;
    serveRecords(fx, {"ПОСЛЕДНЯЯ"}, code, calls);

    fx.click("pbtnGetRecord");
    fx.click("pbtnGetRecord");

    QCOMPARE(calls, 2);
    QCOMPARE(fx.driver.count("Caption?256"), 1);
    QCOMPARE(records(fx)->toPlainText(), shown);
    QCOMPARE(fx.errorLine(), QString("[%1] Код %1").arg(code));
    QVERIFY(fx.window->isEnabled());
}

FPTR_TEST_MAIN(TestReports)
#include "tst_reports.moc"
