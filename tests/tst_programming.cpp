// Programming tables and the clock: the calls of every button, the special
// marks of captions both ways, what a failure leaves in the inputs, and the
// confirmation the device may ask for when its clock is set.

#include "testmain.h"
#include "windowfixture.h"

#include "exception.h"
#include "extendedlineedit.h"
#include "tables.h"

#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace {

void removeCurrentDevice(WindowFixture &fx)
{
    FptrDeviceList *list = fx.window->deviceList();
    list->removeDevice(list->currentDevice());
}

ExtendedLineEdit *caption(WindowFixture &fx)
{
    return fx.widget<ExtendedLineEdit>("leCaption");
}

QDoubleSpinBox *value(WindowFixture &fx)
{
    return fx.widget<QDoubleSpinBox>("spinValue");
}

void fillInputs(WindowFixture &fx)
{
    fx.select("cmbValuePurpose", 9);
    value(fx)->setValue(12.5);
    fx.select("cmbCaptionPurpose", 7);
    caption(fx)->setText(QString(DoubleWidthChar) + "ИТОГ" + QString(BarcodeNumChar));
    fx.widget<QDateEdit>("dateEdit")->setDate(QDate(2024, 2, 1));
    fx.widget<QTimeEdit>("timeEdit")->setTime(QTime(9, 5, 3));
    fx.widget<QDateEdit>("dateFrom")->setDate(QDate(2020, 1, 1));
    fx.widget<QDateEdit>("dateTo")->setDate(QDate(2020, 1, 2));
    fx.widget<QSpinBox>("spinSessionFrom")->setValue(1);
    fx.widget<QSpinBox>("spinSessionTo")->setValue(2);
}

// Inputs a button may change, as one comparable list.
QStringList inputs(WindowFixture &fx)
{
    return {QString::number(value(fx)->value()), caption(fx)->text(),
            fx.widget<QDateEdit>("dateFrom")->date().toString("dd.MM.yyyy"),
            fx.widget<QDateEdit>("dateTo")->date().toString("dd.MM.yyyy"),
            QString::number(fx.widget<QSpinBox>("spinSessionFrom")->value()),
            QString::number(fx.widget<QSpinBox>("spinSessionTo")->value())};
}

// Rejects and counts any dialog opening while it lives; for commands that
// must not ask anything (a stray modal box would otherwise hang the test).
class NoDialogGuard
{
public:
    NoDialogGuard()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++opened;
                dialog->reject();
            }
        });
        m_timer.start();
    }

    int opened = 0;

private:
    QTimer m_timer;
};

} // namespace

class TestProgramming : public QObject
{
    Q_OBJECT

private slots:
    void buttonCalls_data();
    void buttonCalls();
    void failures_data();
    void failures();
    void noDeviceChangesNothing_data();
    void noDeviceChangesNothing();
    void setDateConfirmation_data();
    void setDateConfirmation();
    void setDateConfirmedRepeatFails();
    void systemDateTime();
};

void TestProgramming::buttonCalls_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("shown");

    const QString marked = QString(DoubleWidthChar) + "ИТОГ" + QString(BarcodeNumChar);
    const QStringList untouched{"12.5", marked, "01.01.2020", "02.01.2020", "1", "2"};

    QTest::newRow("get value") << "pbtnGetValue" << QStringList{"ValuePurpose=9", "GetValue()", "Value?"}
                               << QStringList{"345.67", marked, "01.01.2020", "02.01.2020", "1", "2"};
    QTest::newRow("set value") << "pbtnSetValue"
                               << QStringList{"ValuePurpose=9", "Value=12.5", "SetValue()"} << untouched;
    QTest::newRow("get caption")
        << "pbtnGetCaption" << QStringList{"CaptionPurpose=7", "GetCaption()", "Caption?256"}
        << QStringList{"12.5", QString(PictureNumChar) + "СПАСИБО" + QString(DoubleWidthChar),
                       "01.01.2020", "02.01.2020", "1", "2"};
    QTest::newRow("set caption")
        << "pbtnSetCaption" << QStringList{"CaptionPurpose=7", "Caption=\tИТОГ\x0b", "SetCaption()"}
        << untouched;
    QTest::newRow("set date") << "pbtnSetDate"
                              << QStringList{"Date=01.02.2024", "Time=09:05:03", "SetDate()"} << untouched;
    QTest::newRow("get range")
        << "pbtnGetRange" << QStringList{"GetRange()", "Date?", "DateEnd?", "Session?", "SessionEnd?"}
        << QStringList{"12.5", marked, "03.04.2019", "28.02.2024", "5", "1234"};
}

void TestProgramming::buttonCalls()
{
    QFETCH(QString, button);
    QFETCH(QStringList, log);
    QFETCH(QStringList, shown);

    WindowFixture fx;
    fillInputs(fx);
    // What the device answers to the reading commands.
    fx.driver.onAction("GetValue", [&fx]() {
        fx.driver.set("Value", 345.67);
        return 0;
    });
    fx.driver.onAction("GetCaption", [&fx]() {
        fx.driver.set("Caption", QString("\nСПАСИБО\t"));
        return 0;
    });
    fx.driver.onAction("GetRange", [&fx]() {
        fx.driver.setDate("Date", 3, 4, 2019);
        fx.driver.setDate("DateEnd", 28, 2, 2024);
        fx.driver.set("Session", 5);
        fx.driver.set("SessionEnd", 1234);
        return 0;
    });
    fx.window->setError("прежняя ошибка");
    NoDialogGuard guard;

    fx.click(button.toLatin1().constData());

    QCOMPARE(fx.driver.log(), log);
    QCOMPARE(inputs(fx), shown);
    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(guard.opened, 0);
}

void TestProgramming::failures_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("shown");

    const QString marked = QString(DoubleWidthChar) + "ИТОГ" + QString(BarcodeNumChar);
    const QStringList untouched{"12.5", marked, "01.01.2020", "02.01.2020", "1", "2"};

    // A failed read must not leave the old input looking like the device's.
    QTest::newRow("get value") << "pbtnGetValue" << "GetValue"
                               << QStringList{"ValuePurpose=9", "GetValue()"}
                               << QStringList{"0", marked, "01.01.2020", "02.01.2020", "1", "2"};
    QTest::newRow("get value, purpose") << "pbtnGetValue" << "ValuePurpose"
                                        << QStringList{"ValuePurpose=9"}
                                        << QStringList{"0", marked, "01.01.2020", "02.01.2020", "1", "2"};
    QTest::newRow("get caption") << "pbtnGetCaption" << "GetCaption"
                                 << QStringList{"CaptionPurpose=7", "GetCaption()"}
                                 << QStringList{"12.5", "", "01.01.2020", "02.01.2020", "1", "2"};
    QTest::newRow("set value") << "pbtnSetValue" << "Value"
                               << QStringList{"ValuePurpose=9", "Value=12.5"} << untouched;
    QTest::newRow("set caption") << "pbtnSetCaption" << "SetCaption"
                                 << QStringList{"CaptionPurpose=7", "Caption=\tИТОГ\x0b", "SetCaption()"}
                                 << untouched;
    QTest::newRow("set date, a write") << "pbtnSetDate" << "Date" << QStringList{"Date=01.02.2024"}
                                       << untouched;
    // Only the device's request for confirmation opens a question.
    QTest::newRow("set date") << "pbtnSetDate" << "SetDate"
                              << QStringList{"Date=01.02.2024", "Time=09:05:03", "SetDate()"} << untouched;
    QTest::newRow("get range") << "pbtnGetRange" << "GetRange" << QStringList{"GetRange()"} << untouched;
}

void TestProgramming::failures()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, shown);

    WindowFixture fx;
    fillInputs(fx);
    fx.driver.failOn(failing, -12, "Неверный параметр");
    NoDialogGuard guard;

    fx.click(button.toLatin1().constData());

    QCOMPARE(fx.driver.writesAndActions(), calls);
    QCOMPARE(inputs(fx), shown);
    QCOMPARE(fx.errorLine(), QString("[-12] Неверный параметр"));
    QCOMPARE(guard.opened, 0);
}

void TestProgramming::noDeviceChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    for (const char *button : {"pbtnGetValue", "pbtnSetValue", "pbtnGetCaption", "pbtnSetCaption",
                               "pbtnSetDate", "pbtnGetRange"})
        QTest::newRow(button) << QString(button);
}

void TestProgramming::noDeviceChangesNothing()
{
    QFETCH(QString, button);

    WindowFixture fx;
    fillInputs(fx);
    const QStringList before = inputs(fx);
    removeCurrentDevice(fx);
    NoDialogGuard guard;

    fx.click(button.toLatin1().constData());

    QCOMPARE(inputs(fx), before);
    QCOMPARE(fx.errorLine(), QString::fromUtf8(DeviceNotFoundException().what()));
    QVERIFY(fx.driver.log().isEmpty());
    QCOMPARE(guard.opened, 0);
}

void TestProgramming::setDateConfirmation_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("error");

    const QString confirm = "[-3893] Требуется подтверждение";
    QTest::newRow("confirmed")
        << "SetDate" << int(QMessageBox::Ok)
        << QStringList{"Date=01.02.2024", "Time=09:05:03", "SetDate()", "SetDate()"} << QString();
    QTest::newRow("cancelled")
        << "SetDate" << int(QMessageBox::Cancel)
        << QStringList{"Date=01.02.2024", "Time=09:05:03", "SetDate()"} << confirm;
    // The device may already object when the time is written.
    QTest::newRow("confirmed at the time write")
        << "Time" << int(QMessageBox::Ok)
        << QStringList{"Date=01.02.2024", "Time=09:05:03", "SetDate()"} << QString();
}

void TestProgramming::setDateConfirmation()
{
    QFETCH(QString, failing);
    QFETCH(int, answer);
    QFETCH(QStringList, calls);
    QFETCH(QString, error);

    WindowFixture fx;
    fillInputs(fx);
    fx.driver.failOn(failing, -3893, "Требуется подтверждение", QString(), 1);
    fx.window->setError("прежняя ошибка");
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool usable = false;
    fx.onNextDialog([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        buttons = box->standardButtons();
        defaultButton = box->standardButton(box->defaultButton());
        usable = box->isEnabled() && box->parentWidget() == fx.window.get();
        box->button(QMessageBox::StandardButton(answer))->click();
    });

    fx.click("pbtnSetDate");

    QCOMPARE(fx.dialogsSeen, 1);
    QCOMPARE(fx.lastDialogTitle, QString("Ввод даты"));
    QCOMPARE(fx.lastDialogText, QString("Требуется подтверждение ввода даты"));
    QCOMPARE(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(defaultButton, QMessageBox::Ok);
    QVERIFY(usable);
    QCOMPARE(fx.driver.writesAndActions(), calls);
    QCOMPARE(fx.errorLine(), error);
}

void TestProgramming::setDateConfirmedRepeatFails()
{
    WindowFixture fx;
    fillInputs(fx);
    int calls = 0;
    fx.driver.onAction("SetDate", [&fx, &calls]() {
        return ++calls == 1 ? fx.driver.fail(-3893, "Требуется подтверждение")
                            : fx.driver.fail(-3822, "Смена превысила 24 часа");
    });
    fx.answerNextMessageBox(QMessageBox::Ok);

    fx.click("pbtnSetDate");

    QCOMPARE(calls, 2);
    QCOMPARE(fx.dialogsSeen, 1);
    QCOMPARE(fx.errorLine(), QString("[-3822] Смена превысила 24 часа"));
}

void TestProgramming::systemDateTime()
{
    WindowFixture fx;
    fillInputs(fx);

    const QDateTime before = QDateTime::currentDateTime();
    fx.click("pbtnGetSystemDateTime");
    const QDateTime after = QDateTime::currentDateTime();

    const QDateTime shown(fx.widget<QDateEdit>("dateEdit")->date(),
                          fx.widget<QTimeEdit>("timeEdit")->time());
    // The time edit shows whole seconds.
    QVERIFY(shown >= before.addSecs(-1) && shown <= after);
    QVERIFY(fx.driver.log().isEmpty());
}

FPTR_TEST_MAIN(TestProgramming)
#include "tst_programming.moc"
