// Receipt, correction and fiscal-property commands of the operations page:
// what each button writes to the driver and in which order, what it reads
// back, and how a failure ends it.

#include "extendedlineedit.h"
#include "tables.h"
#include "testmain.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include <array>

namespace {

const QString failure = QStringLiteral("[-3822] Сбой записи");

// The writes of the position operations when the inputs hold fill()'s values.
const QStringList fullPosition = {
    "TestMode=1", "PrintCheck=0", "CheckSumm=1", "TextWrap=2", "Name=Кефир \t1%",
    "Quantity=3.125", "Price=47.25", "Department=7", "TaxNumber=4", "TaxSum=1.33", "TaxMode=1",
    "PositionType=13", "PositionPaymentType=4", "PositionClassifier=»CL-17",
    "PositionSum=150.5", "Summ=-12.5", "Piece=1", "UseOnlyTaxNumber=0"};

QString nameOf(const QString &entry)
{
    return entry.endsWith("()") ? entry.chopped(2) : entry.section('=', 0, 0);
}

QStringList without(const QStringList &entries, const QStringList &names)
{
    QStringList kept;
    for (const QString &e : entries) {
        if (!names.contains(nameOf(e)))
            kept << e;
    }
    return kept;
}

QStringList reads(const QStringList &log)
{
    return log.filter(QStringLiteral("?"));
}

QString valueOf(QWidget *w)
{
    if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
        return QString::number(d->value());
    return qobject_cast<QLineEdit *>(w)->text();
}

void setValueOf(QWidget *w, const QString &value)
{
    if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
        d->setValue(value.toDouble());
    else if (auto *s = qobject_cast<QSpinBox *>(w))
        s->setValue(value.toInt());
    else if (auto *c = qobject_cast<QCheckBox *>(w))
        c->setChecked(value == "1");
    else if (auto *e = qobject_cast<ExtendedLineEdit *>(w))
        e->setText(value);
    else
        qobject_cast<QLineEdit *>(w)->setText(value);
}

// A distinct value in every input the commands read.
void fill(WindowFixture &fx)
{
    const QList<QPair<const char *, QString>> inputs = {
        {"cbRegistrationTestMode", "1"}, {"cbPrintCheck", "0"}, {"cbCheckSumm", "1"},
        {"cbPiece", "1"}, {"cbUseOnlyTaxNumber", "0"},
        {"leCommodityName", QString("Кефир ") + DoubleWidthChar + "1%"},
        {"spinQuantity", "3.125"}, {"spinPrice", "47.25"}, {"spinDepartment", "7"},
        {"spinTaxSum", "1.33"}, {"spinPositionType", "13"}, {"spinPositionPaymentType", "4"},
        {"lePositionClassifier", "»CL-17"}, {"spinPositionSum", "150.5"},
        {"spinPositionDiscountInfo", "-12.5"}, {"spinPaymentSumm", "250.75"},
        {"lePassword", "30"}, {"leSessionCaption", QString("Смена ") + DoubleWidthChar + "5"},
        {"cbDiscountTestMode", "0"}, {"spinDiscountValue", "-7.5"}, {"spinDiscountNumber", "9"},
        {"spinCashSumm", "640.2"}, {"cbCashTestMode", "0"},
        {"spinPosFiscalPropertyNumber", "1212"}, {"lePosFiscalPropertyValue", "»42"},
        {"cbPosFiscalPropertyPrint", "0"}, {"leUserAddressFiscalProperty", "buyer@example.ru"},
        {"spinFiscalPropertyNumber", "1021"}, {"leFiscalPropertyValue", "1700000000"},
        {"cbFiscalPropertyPrint", "0"}, {"cbFiscalPropertyUser", "1"}};
    for (const auto &input : inputs)
        setValueOf(fx.widget(input.first), input.second);
    const QList<QPair<const char *, int>> keys = {
        {"cmbCommodityNameWrap", 2}, {"cmbTaxNumber", 4}, {"cmbTaxMode", 1}, {"cmbChequeType", 8},
        {"cmbPaymentType", 3}, {"cmbDiscountType", 1}, {"cmbDestination", 0},
        {"cmbReceiptTaxNumber", 5}, {"cmbPosFiscalPropertyType", 2}, {"cmbFiscalPropertyType", 4}};
    for (const auto &key : keys)
        fx.select(key.first, key.second);
}

QString chequeLabel(const WindowFixture &fx)
{
    return fx.widget<QLabel>("lbChequeState")->text();
}

} // namespace

class TestReceipts : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void failingStepEndsCommand_data() { commands_data(); }
    void failingStepEndsCommand();
    void noDevice_data() { commands_data(); }
    void noDevice();
    void readBacks_data();
    void readBacks();
    void flagSources_data();
    void flagSources();
    void emptySelectionWritesMinusOne_data();
    void emptySelectionWritesMinusOne();
    void positionSum_data();
    void positionSum();
};

void TestReceipts::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("calls");     // writes and actions, in order
    QTest::addColumn<bool>("refresh");          // the state display follows
    QTest::addColumn<QStringList>("readsAfter"); // without refresh: every read

    const QStringList storno = without(fullPosition, {"PrintCheck"});
    const QStringList annulment = without(fullPosition.mid(0, 8), {"PrintCheck"});
    const QStringList correction = without(fullPosition, {"PrintCheck", "Piece", "UseOnlyTaxNumber"});
    const QStringList payment = {"TestMode=1", "Summ=250.75", "PaymentType=3"};
    const QStringList discount = {"TestMode=0", "Summ=-7.5", "DiscountType=1", "Destination=0", "DiscountNumber=9"};
    const QStringList cash = {"Summ=640.2", "TestMode=0"};
    auto row = [](const char *button, const QStringList &calls, bool refresh, const QStringList &readsAfter = {}) {
        QTest::newRow(button) << QString("pbtn") + button << calls << refresh << readsAfter;
    };

    row("OpenSession", {"Password=30", "Caption=Смена \t5", "TestMode=1", "OpenSession()", "GetStatus()"}, true);
    row("OpenCheque", {"ChequeType=8", "TestMode=1", "PrintCheck=0", "OpenCheque()", "GetStatus()"}, true);
    row("CloseCheque", {"PaymentType=3", "TestMode=1", "CloseCheque()", "GetStatus()"}, true);
    row("CancelCheque", {"CancelCheque()", "GetStatus()"}, true);
    for (const char *action : {"Sell", "SellReturn", "Buy", "BuyReturn"})
        row(action, fullPosition + QStringList{QString(action) + "()"}, true);
    row("Storno", storno + QStringList{"Storno()"}, false);
    row("SellAnnulate", annulment + QStringList{"SellAnnulate()"}, true);
    row("BuyAnnulate", annulment + QStringList{"BuyAnnulate()"}, true);
    row("Payment", payment + QStringList{"Payment()"}, false, {"Remainder?", "Change?"});
    row("StornoPayment", payment + QStringList{"StornoPayment()"}, false, {"Remainder?", "Change?"});
    row("Discount", discount + QStringList{"Discount()"}, false);
    row("Charge", discount + QStringList{"Charge()"}, false);
    row("Tax", {"TestMode=0", "TaxNumber=5", "Summ=-7.5", "Destination=0", "Tax()"}, false);
    row("StornoTax", {"TestMode=0", "TaxNumber=5", "Summ=-7.5", "StornoTax()"}, false);
    row("ResetChargeDiscount", {"ResetChargeDiscount()"}, false);
    row("CashIncome", cash + QStringList{"CashIncome()"}, false);
    row("CashOutcome", cash + QStringList{"CashOutcome()"}, false);
    row("CashGetSumm", {"GetSumm()"}, false, {"Summ?"});
    for (const char *action : {"Correction", "ReturnCorrection", "BuyCorrection", "BuyReturnCorrection"})
        row(action, correction + QStringList{QString(action) + "()"}, true);
    row("AddFiscalProperty", {"FiscalPropertyNumber=1212", "FiscalPropertyPrint=0", "FiscalPropertyType=2",
                              "FiscalPropertyValue=»42", "AddFiscalProperty()"}, false);
    row("ResetFiscalProperties", {"ResetFiscalProperties()"}, false);
    row("RecWriteFiscalProperty", {"FiscalPropertyNumber=1008", "FiscalPropertyPrint=1", "FiscalPropertyType=5",
                                   "FiscalPropertyValue=buyer@example.ru", "WriteFiscalProperty()"}, false);
    row("WriteFiscalProperty", {"FiscalPropertyNumber=1021", "FiscalPropertyPrint=0", "FiscalPropertyType=4",
                                "FiscalPropertyValue=1700000000", "FiscalPropertyUser=1", "WriteFiscalProperty()"}, false);
    row("ReadFiscalProperty", {"FiscalPropertyType=4", "FiscalPropertyNumber=1021", "ReadFiscalProperty()"},
        false, {"FiscalPropertyValue?256"});
}

void TestReceipts::commands()
{
    QFETCH(QString, button);
    QFETCH(QStringList, calls);
    QFETCH(bool, refresh);
    QFETCH(QStringList, readsAfter);

    WindowFixture fx;
    fill(fx);
    const QString labelBefore = chequeLabel(fx);
    fx.driver.set("ChequeState", 4);
    fx.window->setError(QStringLiteral("stale"));
    fx.driver.clearLog();
    fx.click(qPrintable(button));

    QCOMPARE(fx.driver.writesAndActions(), calls);
    QCOMPARE(fx.errorLine(), QString());
    // Reads only follow the last action.
    const QStringList log = fx.driver.log();
    QCOMPARE(reads(log.mid(log.indexOf(calls.last()))), reads(log));
    if (refresh) {
        QCOMPARE(chequeLabel(fx), QStringLiteral("Чек покупки / расхода"));
    } else {
        QCOMPARE(reads(log), readsAfter);
        QCOMPARE(chequeLabel(fx), labelBefore);
    }
}

void TestReceipts::failingStepEndsCommand()
{
    QFETCH(QString, button);
    QFETCH(QStringList, calls);

    WindowFixture fx;
    fill(fx);
    fx.driver.set("ChequeState", 4);
    const QString labelBefore = chequeLabel(fx);
    for (int step = 0; step < calls.size(); ++step) {
        fx.driver.clearFailures();
        fx.driver.failOn(nameOf(calls[step]), -3822, "Сбой записи");
        fx.driver.clearLog();
        fx.click(qPrintable(button));
        QCOMPARE(fx.driver.writesAndActions(), calls.mid(0, step + 1));
        QCOMPARE(fx.errorLine(), failure);
        // Only the error itself is read: no results, no state refresh.
        for (const QString &read : reads(fx.driver.log()))
            QVERIFY2(read.startsWith("Result"), qPrintable(read));
        QCOMPARE(chequeLabel(fx), labelBefore);
    }
}

void TestReceipts::noDevice()
{
    QFETCH(QString, button);

    WindowFixture fx;
    fx.window->deviceList()->removeDevice(fx.window->deviceList()->currentDevice());
    fx.click(qPrintable(button));
    QCOMPARE(fx.errorLine(), QStringLiteral("Несуществующее устройство"));
    QCOMPARE(fx.driver.log(), QStringList());
}

void TestReceipts::readBacks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QVariantMap>("driverValues");
    QTest::addColumn<QStringList>("widgets");
    QTest::addColumn<QStringList>("shown"); // after success

    // Zero is a value like any other: the boxes must not keep the old one.
    const QVariantMap paid = {{"Remainder", 12.5}, {"Change", 0.0}};
    const QStringList boxes = {"spinRemainder", "spinChange"};
    QTest::newRow("payment") << "pbtnPayment" << "Payment" << paid << boxes << QStringList{"12.5", "0"};
    QTest::newRow("payment storno") << "pbtnStornoPayment" << "StornoPayment" << paid << boxes
                                    << QStringList{"12.5", "0"};
    QTest::newRow("cash in drawer") << "pbtnCashGetSumm" << "GetSumm" << QVariantMap{{"Summ", 4321.5}}
                                    << QStringList{"spinCashSumm"} << QStringList{"4321.5"};
    QTest::newRow("fiscal property") << "pbtnReadFiscalProperty" << "ReadFiscalProperty"
                                     << QVariantMap{{"FiscalPropertyValue", "»ответ"}}
                                     << QStringList{"leFiscalPropertyValue"} << QStringList{"»ответ"};
}

void TestReceipts::readBacks()
{
    QFETCH(QString, button);
    QFETCH(QString, action);
    QFETCH(QVariantMap, driverValues);
    QFETCH(QStringList, widgets);
    QFETCH(QStringList, shown);

    for (bool fails : {true, false}) {
        WindowFixture fx;
        const QStringList before = {"5", "7"};
        for (int i = 0; i < widgets.size(); ++i)
            setValueOf(fx.widget(qPrintable(widgets[i])), before[i]);
        for (auto it = driverValues.cbegin(); it != driverValues.cend(); ++it)
            fx.driver.set(it.key(), it.value());
        if (fails)
            fx.driver.failOn(action, -3822, "Сбой записи");
        fx.click(qPrintable(button));
        for (int i = 0; i < widgets.size(); ++i)
            QCOMPARE(valueOf(fx.widget(qPrintable(widgets[i]))), fails ? before[i] : shown[i]);
        QCOMPARE(fx.errorLine(), fails ? failure : QString());
    }
}

void TestReceipts::flagSources_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("checkBox");
    QTest::addColumn<QString>("property"); // the one flag written as 1

    const QList<std::array<const char *, 4>> rows = {
        {"sell test mode", "pbtnSell", "cbRegistrationTestMode", "TestMode"},
        {"sell print", "pbtnSell", "cbPrintCheck", "PrintCheck"},
        {"sell check sum", "pbtnSell", "cbCheckSumm", "CheckSumm"},
        {"sell piece", "pbtnSell", "cbPiece", "Piece"},
        {"sell tax number only", "pbtnSell", "cbUseOnlyTaxNumber", "UseOnlyTaxNumber"},
        {"open cheque print", "pbtnOpenCheque", "cbPrintCheck", "PrintCheck"},
        {"discount test mode", "pbtnStornoTax", "cbDiscountTestMode", "TestMode"},
        {"cash test mode", "pbtnCashOutcome", "cbCashTestMode", "TestMode"},
    };
    for (const auto &r : rows)
        QTest::newRow(r[0]) << r[1] << r[2] << r[3];
}

void TestReceipts::flagSources()
{
    QFETCH(QString, button);
    QFETCH(QString, checkBox);
    QFETCH(QString, property);

    WindowFixture fx;
    for (const char *name : {"cbRegistrationTestMode", "cbPrintCheck", "cbCheckSumm", "cbPiece",
                             "cbUseOnlyTaxNumber", "cbDiscountTestMode", "cbCashTestMode"})
        fx.widget<QCheckBox>(name)->setChecked(false);
    fx.widget<QCheckBox>(qPrintable(checkBox))->setChecked(true);
    fx.driver.clearLog();
    fx.click(qPrintable(button));

    const QStringList flags = {"TestMode", "PrintCheck", "CheckSumm", "Piece", "UseOnlyTaxNumber"};
    const QStringList writes = fx.driver.writesAndActions();
    QVERIFY(writes.contains(property + "=1"));
    for (const QString &w : writes) {
        if (flags.contains(nameOf(w)) && nameOf(w) != property)
            QCOMPARE(w, nameOf(w) + "=0");
    }
}

void TestReceipts::emptySelectionWritesMinusOne_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("property");

    QTest::newRow("text wrap") << "pbtnBuy" << "cmbCommodityNameWrap" << "TextWrap";
    QTest::newRow("tax mode") << "pbtnStorno" << "cmbTaxMode" << "TaxMode";
    QTest::newRow("cheque type") << "pbtnOpenCheque" << "cmbChequeType" << "ChequeType";
    QTest::newRow("payment type") << "pbtnCloseCheque" << "cmbPaymentType" << "PaymentType";
    QTest::newRow("destination") << "pbtnTax" << "cmbDestination" << "Destination";
    QTest::newRow("item type") << "pbtnReadFiscalProperty" << "cmbFiscalPropertyType" << "FiscalPropertyType";
}

void TestReceipts::emptySelectionWritesMinusOne()
{
    QFETCH(QString, button);
    QFETCH(QString, list);
    QFETCH(QString, property);

    WindowFixture fx;
    fx.combo(qPrintable(list))->setCurrentIndex(-1);
    fx.click(qPrintable(button));
    QVERIFY(fx.driver.writesAndActions().contains(property + "=-1"));
}

void TestReceipts::positionSum_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("typedSum"); // negative: none typed
    QTest::addColumn<QString>("changed");  // the box changed last
    QTest::addColumn<double>("newValue");
    QTest::addColumn<double>("sum");

    QTest::newRow("quantity 1 to 2") << 1.0 << 10.5 << -1.0 << "spinQuantity" << 2.0 << 21.0;
    QTest::newRow("typed sum stands") << 2.0 << 10.5 << 99.0 << "" << 0.0 << 99.0;
    QTest::newRow("price replaces typed sum") << 2.0 << 10.5 << 99.0 << "spinPrice" << 3.0 << 6.0;
    QTest::newRow("quantity replaces typed sum") << 2.0 << 10.5 << 99.0 << "spinQuantity" << 0.5 << 5.25;
    QTest::newRow("rounded to cents") << 1.0 << 1.5 << -1.0 << "spinQuantity" << 0.333 << 0.5;
    QTest::newRow("held in range") << 1.0 << 1e6 << -1.0 << "spinQuantity" << 1e9 << 1e12;
}

void TestReceipts::positionSum()
{
    QFETCH(double, quantity);
    QFETCH(double, price);
    QFETCH(double, typedSum);
    QFETCH(QString, changed);
    QFETCH(double, newValue);
    QFETCH(double, sum);

    WindowFixture fx;
    auto *sumBox = fx.widget<QDoubleSpinBox>("spinPositionSum");
    fx.widget<QDoubleSpinBox>("spinQuantity")->setValue(quantity);
    fx.widget<QDoubleSpinBox>("spinPrice")->setValue(price);
    if (typedSum >= 0)
        sumBox->setValue(typedSum);
    if (!changed.isEmpty())
        fx.widget<QDoubleSpinBox>(qPrintable(changed))->setValue(newValue);
    QCOMPARE(sumBox->value(), sum);
}

FPTR_TEST_MAIN(TestReceipts)
#include "tst_receipts.moc"
