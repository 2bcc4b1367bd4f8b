// The real window against the real driver: the window is built as the
// program builds it, so its current device is the virtual register loaded
// from the program folder. A cashier's morning is clicked through the
// form (connection, mode, shift, a sale, payment, closing), the registers
// page reads what the day left in the register, and the device list with
// each device's settings survives a restart of the window.

#include "windowfixture.h"

#include "appcore.h"
#include "extendedlineedit.h"
#include "driver/ifptr.h"

#include <QDir>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextEdit>

#include "testmain.h"

#include <memory>

namespace {

// The window with its own default device, and the means to work it.
class Bench : public WindowUser
{
public:
    // Messages at start-up are the test's to check.
    Bench() { startWindow(false); }
    ~Bench() { window.reset(); }

    QString registerText(int number) const
    {
        select("cmbRegisterNumber", number);
        click("pbtnGetRegister");
        return widget<QTextEdit>("teRegisterData")->toPlainText();
    }
    // Runs `answer` on the next modal dialog, from its own event loop.
    void onNextDialog(std::function<void(QWidget *)> answer)
    {
        auto *timer = new QTimer(&timerOwner);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, answer]() {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            timer->stop();
            timer->deleteLater();
            answer(modal);
        });
        timer->start();
    }
    // Opens the driver's settings dialog with the button of the device
    // frame or of adding a device, changes it and presses OK.
    void changeSettings(const char *button, std::function<void(QWidget *)> change)
    {
        onNextDialog([change](QWidget *dialog) {
            change(dialog);
            dialog->findChild<QAbstractButton *>(QStringLiteral("pbtnOk"))->click();
        });
        click(button);
    }

    QObject timerOwner;
};

void setPrintSpeed(QWidget *dialog, int speed)
{
    dialog->findChild<QSpinBox *>(QStringLiteral("spinPrintSpeed"))->setValue(speed);
}

} // namespace

class TestE2eDay : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void cashiersMorningThroughTheWindow();
    void deviceListSurvivesARestart();
};

void TestE2eDay::init()
{
    // Each test starts as on a fresh machine: no device list, no device data.
    QFile::remove(configDir() + QStringLiteral("fptr.cfg"));
    QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/virtual-register")).removeRecursively();
}

void TestE2eDay::cashiersMorningThroughTheWindow()
{
    Bench bench;
    QVERIFY2(bench.startupMessages.isEmpty(), qPrintable(bench.startupMessages.join(QLatin1String(" | "))));
    QComboBox *devices = bench.widget<QComboBox>("cmbDeviceList");
    QCOMPARE(devices->count(), 1);
    QCOMPARE(devices->currentText(), QStringLiteral("Виртуальная ККТ 57 мм (USB:VREG)"));

    // Instant printing keeps the test quick; the dialog is the driver's own.
    bench.changeSettings("pbtnProperties", [](QWidget *dialog) { setPrintSpeed(dialog, 0); });
    QCOMPARE(bench.error(), QString());

    bench.widget<QCheckBox>("cbEnable")->setChecked(true);
    QCOMPARE(bench.error(), QString());
    QVERIFY(bench.widget<QCheckBox>("cbEnable")->isChecked());

    // The form offers the system administrator's password, who may register.
    QCOMPARE(bench.widget<QLineEdit>("lePassword")->text(), QStringLiteral("58"));
    bench.select("cmbMode", 1);
    bench.click("pbtnSetMode");
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QComboBox>("cmbMode")->currentData().toString(), QStringLiteral("1"));

    bench.click("pbtnOpenSession");
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QLabel>("lbSessionState")->text(), QStringLiteral("Смена открыта"));

    // Two packs at 45.50 with VAT 10 % in the first department.
    bench.widget<ExtendedLineEdit>("leCommodityName")->setText(QStringLiteral("Чипсы с беконом"));
    bench.widget<QDoubleSpinBox>("spinQuantity")->setValue(2);
    bench.widget<QDoubleSpinBox>("spinPrice")->setValue(45.50);
    bench.widget<QSpinBox>("spinDepartment")->setValue(1);
    bench.select("cmbTaxNumber", 2);
    QCOMPARE(bench.widget<QDoubleSpinBox>("spinPositionSum")->value(), 91.00);
    bench.click("pbtnSell");
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QLabel>("lbChequeState")->text(), QStringLiteral("Чек продажи / прихода"));

    bench.widget<QDoubleSpinBox>("spinPaymentSumm")->setValue(100);
    bench.select("cmbPaymentType", 0);
    bench.click("pbtnPayment");
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QDoubleSpinBox>("spinRemainder")->value(), 0.0);
    QCOMPARE(bench.widget<QDoubleSpinBox>("spinChange")->value(), 9.00);

    bench.click("pbtnCloseCheque");
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QLabel>("lbChequeState")->text(), QStringLiteral("Чек закрыт"));

    // The registers page: the sale of the shift, the drawer, the shift.
    bench.click("pbtnSectionRegisters");
    bench.select("cmbRegisterChequeType", 1);
    bench.select("cmbCounterType", 2);
    QCOMPARE(bench.registerText(1), QStringLiteral("Сумма: 91.00"));
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.registerText(10), QStringLiteral("Сумма: 91.00"));
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.registerText(21), QStringLiteral("Смена: 1"));
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.registerText(20), QStringLiteral("Сумма: 0.00\nОстаток: 0.00\nСдача: 9.00"));
    QCOMPARE(bench.error(), QString());
    bench.widget<QSpinBox>("spinTaxTypeNumber")->setValue(2);
    QCOMPARE(bench.registerText(60), QStringLiteral("Сумма: 8.27"));
    QCOMPARE(bench.error(), QString());
    // A register the register refuses shows its reason and no text.
    QCOMPARE(bench.registerText(22), QString());
    QVERIFY(bench.error().contains(QStringLiteral("Не введен заводской номер")));
}

void TestE2eDay::deviceListSurvivesARestart()
{
    QString firstId;
    {
        Bench bench;
        QComboBox *devices = bench.widget<QComboBox>("cmbDeviceList");
        QCOMPARE(devices->count(), 1);
        bench.changeSettings("pbtnProperties", [](QWidget *dialog) { setPrintSpeed(dialog, 0); });
        bench.widget<QCheckBox>("cbEnable")->setChecked(true);
        bench.select("cmbMode", 1);
        bench.click("pbtnSetMode");
        bench.click("pbtnOpenSession");
        QCOMPARE(bench.error(), QString());

        bench.onNextDialog([](QWidget *modal) {
            auto *input = qobject_cast<QInputDialog *>(modal);
            QVERIFY(input);
            input->setTextValue(QStringLiteral("Касса у окна"));
            input->accept();
        });
        bench.click("pbtnRenameDevice");
        QCOMPARE(bench.error(), QString());
        QCOMPARE(devices->currentText(), QStringLiteral("Касса у окна"));
        firstId = bench.window->deviceList()->device(devices->currentData().toInt())->getBuff(&VOR::Fptr::IFptr::DeviceSettings);
        QVERIFY(!firstId.isEmpty());

        // A second register on another port, named after it.
        bench.changeSettings("pbtnAddECR", [](QWidget *dialog) {
            auto *port = dialog->findChild<QComboBox *>(QStringLiteral("cmbPort"));
            port->setCurrentIndex(port->findData(QStringLiteral("COM3")));
            setPrintSpeed(dialog, 5);
        });
        QCOMPARE(bench.error(), QString());
        QCOMPARE(devices->count(), 2);
        QCOMPARE(devices->currentText(), QStringLiteral("Виртуальная ККТ 57 мм (COM3 115200)"));
    }

    // The window again, with the same home: the same devices, named as they
    // were, each with its own settings and its own memory.
    Bench bench;
    QVERIFY2(bench.startupMessages.isEmpty(), qPrintable(bench.startupMessages.join(QLatin1String(" | "))));
    QComboBox *devices = bench.widget<QComboBox>("cmbDeviceList");
    QCOMPARE(devices->count(), 2);
    QCOMPARE(devices->itemText(0), QStringLiteral("Касса у окна"));
    QCOMPARE(devices->itemText(1), QStringLiteral("Виртуальная ККТ 57 мм (COM3 115200)"));
    FptrDeviceList *list = bench.window->deviceList();
    const auto setting = [&](int index, const char *name) {
        ZEruZuva *device = list->device(devices->itemData(index).toInt());
        wchar_t value[256] = {};
        device->ted()->ReadSetting(QString::fromLatin1(name).toStdWString().c_str(), value, 255);
        return QString::fromWCharArray(value);
    };
    QCOMPARE(setting(0, "Port"), QStringLiteral("USB"));
    QCOMPARE(setting(0, "PrintSpeed"), QStringLiteral("0"));
    QCOMPARE(setting(1, "Port"), QStringLiteral("COM3"));
    QCOMPARE(setting(1, "PrintSpeed"), QStringLiteral("5"));
    QVERIFY(setting(0, "DeviceId") != setting(1, "DeviceId"));
    QCOMPARE(list->device(devices->itemData(0).toInt())->getBuff(&VOR::Fptr::IFptr::DeviceSettings), firstId);

    // The first register still has its shift open; the second never had one.
    devices->setCurrentIndex(0);
    bench.widget<QCheckBox>("cbEnable")->setChecked(true);
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.widget<QLabel>("lbSessionState")->text(), QStringLiteral("Смена открыта"));
    QCOMPARE(bench.registerText(21), QStringLiteral("Смена: 1"));
    QCOMPARE(bench.error(), QString());
    devices->setCurrentIndex(1);
    bench.widget<QCheckBox>("cbEnable")->setChecked(true);
    QCOMPARE(bench.error(), QString());
    QCOMPARE(bench.registerText(21), QStringLiteral("Смена: 0"));
    QCOMPARE(bench.error(), QString());
}

FPTR_TEST_MAIN(TestE2eDay)
#include "tst_e2e_day.moc"
