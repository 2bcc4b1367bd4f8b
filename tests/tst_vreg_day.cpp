// Conformance of the virtual register over a whole day, through the
// library's entry points as any driver user reaches it: a new register is
// fiscalised, opens a shift, sells, takes a return, pays cash in and out,
// prints the X- and Z-reports; every register the day touches is checked
// against figures computed by hand, every report type runs in its mode, the
// data reports end with -17, and the memory survives the driver object.
//
// The day's tape is kept in tests/data/virtual-register-day.txt and the
// fresh tape must equal it, times and fiscal signs aside. After a deliberate
// change of the printed documents, run this test once with
// VREG_UPDATE_DAY_TAPE=1 to write the file anew, and review its diff.

#include "sqlitefile.h"
#include "testmain.h"
#include "vregday.h"
#include "vregpaper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace vregtest;

namespace {

// The tape with what changes from run to run masked: the minutes of the
// documents and the fiscal signs (they depend on the seconds).
QStringList masked(const QStringList &tape)
{
    static const QRegularExpression time(QStringLiteral("(\\d\\d\\.\\d\\d\\.\\d\\d) \\d\\d:\\d\\d"));
    static const QRegularExpression sign(QStringLiteral("ФП \\d+"));
    QStringList lines;
    for (QString line : tape) {
        line.replace(time, QStringLiteral("\\1 ЧЧ:ММ"));
        line.replace(sign, QStringLiteral("ФП <подпись>"));
        lines.append(line);
    }
    return lines;
}

QString dayTapeFile()
{
    return QStringLiteral(FPTR_TEST_DATA_DIR "/virtual-register-day.txt");
}

// The lines the tape gained since it had `before` lines, joined by blanks.
QString printedSince(const DayTill &till, int before)
{
    return till.tape().mid(before).join(QLatin1Char(' ')).simplified();
}

} // namespace

class TestVregDay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fullDay();
    void dayTapeMatchesTheReference();
    void refusalsChangeNoRegister();
    void registerSelectorsAreChecked_data();
    void registerSelectorsAreChecked();
    void reportsRunInTheirModes_data();
    void reportsRunInTheirModes();
    void journalClearing();
    void dataReports_data();
    void dataReports();
    void dataReportMisuse();
    void memorySurvivesTheDriverObject();
    void nonsenseInTheMemory();

private:
    // A fiscalised register after the day, with a second shift open and a
    // sale in it; false when the day fails.
    bool dayAndNextMorning(DayTill &till);

    std::unique_ptr<Library> m_fptr;
};

void TestVregDay::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

bool TestVregDay::dayAndNextMorning(DayTill &till)
{
    if (!till.open() || !runDay(till) || till.mode(1) < 0)
        return false;
    return till.sell({QStringLiteral("Булка"), 2, 25.00, 1, 0}) >= 0 && till.close(0) >= 0;
}

void TestVregDay::fullDay()
{
    DayTill till(*m_fptr);
    QVERIFY(till.open());

    // A new register answers from its factory memory.
    QCOMPARE(till.sum(10), 0.0);
    QCOMPARE(till.count(15), 16);
    QCOMPARE(till.count(16), 2500);
    QVERIFY(till.getRegister(22) < 0);
    QCOMPARE(till.code(), -137);
    QVERIFY(till.getRegister(27) < 0);
    QCOMPARE(till.code(), -132);
    QVERIFY(till.getRegister(18) < 0);
    QCOMPARE(till.code(), -146);

    DayChecks checks;
    checks.inSale = [](const DayTill &t) {
        // The open receipt: 800.00, paid 1000.00, 200.00 change; its taxes.
        QCOMPARE(t.getRegister(20), 0);
        QCOMPARE(t.doubleValue(&Driver::Summ), 800.00);
        QCOMPARE(t.doubleValue(&Driver::Remainder), 0.0);
        QCOMPARE(t.doubleValue(&Driver::Change), 200.00);
        Selectors tax;
        QCOMPARE(t.sum(61, tax), 112.40);
        tax.tax = 2;
        QCOMPARE(t.sum(61, tax), 16.14);
        QCOMPARE(t.count(66) > 0, true);
        QCOMPARE(t.getRegister(19), 0);
        QCOMPARE(t.intValue(&Driver::ChequeState), 1);
        QCOMPARE(t.intValue(&Driver::ChequeNumber), 1);
        QCOMPARE(t.intValue(&Driver::Mode), 1);
        // Nothing of it is counted before it closes.
        QCOMPARE(t.sum(1, of(1)), 0.0);
        QCOMPARE(t.sum(10), 1000.00);
    };
    checks.beforeZ = [](const DayTill &t) {
        const Selectors sale = of(1);
        const Selectors saleReturn = of(2);
        // Registrations as registered (storno included), storno.
        QCOMPARE(t.sum(1, sale), 955.30);
        QCOMPARE(t.sum(1, of(1, 1)), 955.30);
        QCOMPARE(t.count(6, sale), 4);
        QCOMPARE(t.sum(2, sale), 80.00);
        QCOMPARE(t.count(7, sale), 1);
        QCOMPARE(t.sum(1, saleReturn), 45.50);
        QCOMPARE(t.count(6, saleReturn), 1);
        QCOMPARE(t.sum(2, saleReturn), 0.0);
        QCOMPARE(t.sum(1, of(4)), 0.0);
        // Payments: cash less the change.
        Selectors payment = sale;
        QCOMPARE(t.sum(3, payment), 300.00);
        payment.payment = 1;
        QCOMPARE(t.sum(3, payment), 500.00);
        payment.payment = 2;
        QCOMPARE(t.sum(3, payment), 0.0);
        QCOMPARE(t.sum(3, saleReturn), 45.50);
        // Cash.
        QCOMPARE(t.sum(4), 1000.00);
        QCOMPARE(t.count(8), 1);
        QCOMPARE(t.sum(5), 254.50);
        QCOMPARE(t.count(9), 1);
        QCOMPARE(t.sum(10), 1000.00);
        // Revenue and the shift totals by operation.
        QCOMPARE(t.sum(11), 754.50);
        Selectors operation;
        QCOMPARE(t.sum(12, operation), 800.00);
        operation.operation = 2;
        QCOMPARE(t.sum(12, operation), 45.50);
        operation.operation = 1;
        QCOMPARE(t.sum(12, operation), 0.0);
        QCOMPARE(t.sum(40, Selectors()), 800.00);
        Selectors byPayment;
        byPayment.payment = 1;
        QCOMPARE(t.sum(56, byPayment), 500.00);
        // Nothing in the fiscal memory before the first Z-report.
        QCOMPARE(t.sum(13), 0.0);
        QCOMPARE(t.sum(14), 0.0);
        QCOMPARE(t.count(16), 2500);
        QVERIFY(t.getRegister(30) < 0);
        QCOMPARE(t.code(), -146);
        // Taxes: 16.14 at 10 %, 96.26 at 20 %; by department after the
        // receipt's discount was spread (177.51, 44.92, 577.57).
        Selectors tax = sale;
        QCOMPARE(t.sum(31, tax), 112.40);
        QCOMPARE(t.sum(60, tax), 112.40);
        tax.tax = 2;
        QCOMPARE(t.sum(31, tax), 16.14);
        tax.tax = 3;
        QCOMPARE(t.sum(60, tax), 96.26);
        tax.tax = 4;
        QCOMPARE(t.sum(31, tax), 0.0);
        Selectors department = sale;
        QCOMPARE(t.getRegister(41, department), 0);
        QCOMPARE(t.doubleValue(&Driver::Value), 800.00);
        QCOMPARE(t.doubleValue(&Driver::Summ), 112.40);
        department.department = 3;
        QCOMPARE(t.getRegister(41, department), 0);
        QCOMPARE(t.doubleValue(&Driver::Value), 577.57);
        QCOMPARE(t.doubleValue(&Driver::Summ), 96.26);
        department.department = 2;
        QCOMPARE(t.getRegister(41, department), 0);
        QCOMPARE(t.doubleValue(&Driver::Value), 44.92);
        QCOMPARE(t.doubleValue(&Driver::Summ), 0.0);
        department.department = 1;
        department.tax = 2;
        QCOMPARE(t.getRegister(41, department), 0);
        QCOMPARE(t.doubleValue(&Driver::Value), 177.51);
        QCOMPARE(t.doubleValue(&Driver::Summ), 16.14);
        // Discounts 65.00 (number 1) and 10.30 (number 2), no charges.
        Selectors discount = sale;
        QCOMPARE(t.getRegister(42, discount), 0);
        QCOMPARE(t.doubleValue(&Driver::DiscountSumm), 75.30);
        QCOMPARE(t.doubleValue(&Driver::ChargeSumm), 0.0);
        discount.discount = 2;
        QCOMPARE(t.getRegister(42, discount), 0);
        QCOMPARE(t.doubleValue(&Driver::DiscountSumm), 10.30);
        QCOMPARE(t.sum(32, discount), -10.30);
        discount.discount = 0;
        QCOMPARE(t.sum(32, discount), -75.30);
        // Receipts: two closed, none cancelled.
        QCOMPARE(t.getRegister(65), 0);
        QCOMPARE(t.intValue(&Driver::Count), 2);
        QCOMPARE(t.doubleValue(&Driver::Value), 0.0);
        QCOMPARE(t.sum(46, sale), 0.0);
        QCOMPARE(t.getRegister(58), 0);
        QCOMPARE(t.intValue(&Driver::Count), 2);
        QCOMPARE(t.intValue(&Driver::DocNumber), 3); // shift open, sale, return
        // The shift and the last receipt.
        QCOMPARE(t.getRegister(21), 0);
        QCOMPARE(t.intValue(&Driver::Session), 1);
        QCOMPARE(t.getRegister(53), 0);
        QCOMPARE(t.intValue(&Driver::Session), 1);
        QCOMPARE(t.intValue(&Driver::ChequeNumber), 2);
        QCOMPARE(t.getRegister(20), 0);
        QCOMPARE(t.doubleValue(&Driver::Summ), 0.0);
        QCOMPARE(t.getRegister(51), 0);
        QCOMPARE(t.intValue(&Driver::DocNumber), 5); // registration 1, activation 2, shift 3, sale 4
        QCOMPARE(t.intValue(&Driver::ChequeType), 2);
        QCOMPARE(t.doubleValue(&Driver::Summ), 45.50);
        QCOMPARE(t.date(&Driver::Date), kMorning.date());
        const double sign = t.doubleValue(&Driver::Value);
        t->KPKNumber(5);
        QCOMPARE(t->EKLZGetKPK(), 0);
        QCOMPARE(double(t.intValue(&Driver::KPKValue)), sign);
        // Nothing goes to a fiscal data operator: all four fiscal documents
        // since the activation wait, the activation report first.
        QCOMPARE(t.count(44), 4);
        QCOMPARE(t.count(63), 1);
        QCOMPARE(t.getRegister(45), 0);
        QCOMPARE(t.date(&Driver::Date), kMorning.date());
        QCOMPARE(t.getRegister(47), 0);
        QCOMPARE(t.text(&Driver::SerialNumber), QStringLiteral("9999078900000001"));
        QCOMPARE(t.intValue(&Driver::FNFlags), 0x01 | 0x04 | 0x10);
        QVERIFY(t.getRegister(57) < 0);
        QCOMPARE(t.code(), -202);
    };
    QVERIFY(runDay(till, checks));

    // Identity and registration.
    QCOMPARE(till.getRegister(22), 0);
    QCOMPARE(till.text(&Driver::SerialNumber), kSerial);
    QCOMPARE(till.getRegister(27), 0);
    QCOMPARE(till.text(&Driver::INN), kInn);
    QCOMPARE(till.text(&Driver::RNM), QStringLiteral("000000") + kRnm);
    QCOMPARE(till.intValue(&Driver::Session), 1);
    QCOMPARE(till.date(&Driver::Date), kMorning.date());
    QCOMPARE(till.getRegister(28), 0);
    QCOMPARE(till.text(&Driver::SerialNumber), QStringLiteral("9999078900000001"));
    QCOMPARE(till.count(15), 15);
    QCOMPARE(till.getRegister(26), 0);
    QCOMPARE(till.intValue(&Driver::Count), 19);
    QCOMPARE(till.doubleValue(&Driver::Value), 1.0);
    QCOMPARE(till.getRegister(48), 0);
    QCOMPARE(till.intValue(&Driver::DocNumber), 1);

    // After the Z-report: the shift's counters start afresh, the permanent
    // ones and the fiscal memory keep the day.
    QCOMPARE(till.sum(1, of(1, 2)), 0.0);
    QCOMPARE(till.sum(1, of(1, 1)), 955.30);
    QCOMPARE(till.sum(4, of(1, 2)), 0.0);
    QCOMPARE(till.sum(4, of(1, 1)), 1000.00);
    QCOMPARE(till.sum(10), 1000.00);
    QCOMPARE(till.sum(11), 0.0);
    QCOMPARE(till.sum(13), 800.00);
    QCOMPARE(till.sum(14), 800.00);
    QCOMPARE(till.sum(30), 800.00);
    QCOMPARE(till.sum(40), 800.00);
    QCOMPARE(till.count(16), 2499);
    QCOMPARE(till.getRegister(21), 0);
    QCOMPARE(till.intValue(&Driver::Session), 1);
    QCOMPARE(till.getRegister(18), 0);
    QCOMPARE(till.date(&Driver::Date), kMorning.date());
    QCOMPARE(till.intValue(&Driver::SessionOpened), 0);
    Selectors shift;
    shift.counterValue = 1;
    QCOMPARE(till.getRegister(18, shift), 0);
    shift.counterValue = 2;
    QVERIFY(till.getRegister(18, shift) < 0);
    QCOMPARE(till.code(), -203);
    QCOMPARE(till.getRegister(70), 0);
    QCOMPARE(till.date(&Driver::Date), kMorning.date());
    QCOMPARE(till.date(&Driver::DateEnd), kMorning.date());
    QVERIFY(till.time(&Driver::TimeEnd) >= till.time(&Driver::Time));
    QCOMPARE(till.getRegister(52), 0);
    QCOMPARE(till.intValue(&Driver::DocNumber), 6); // the Z-report
    QCOMPARE(till.count(44), 5);
    QCOMPARE(till.count(63), 2);
    QCOMPARE(till.getRegister(47), 0);
    QCOMPARE(till.intValue(&Driver::FNFlags), 0x01 | 0x10);
    QCOMPARE(till.getRegister(54), 0);
    QCOMPARE(till.intValue(&Driver::FfdVersion), 2);
    QCOMPARE(till.getRegister(58), 0);
    QCOMPARE(till.intValue(&Driver::DocNumber), 0);
    QCOMPARE(till.intValue(&Driver::Count), 2);

    // The printer counted the day's documents.
    QVERIFY(till.count(33) >= 5);
    Selectors steps;
    const int all = till.count(34, steps);
    steps.step = 1;
    QVERIFY(till.count(34, steps) < all);
    QVERIFY(till.count(35) > 0);
    QCOMPARE(till.getRegister(24), 0);
    QCOMPARE(till.intValue(&Driver::ChequeTapeWidth1), 32);
    QCOMPARE(till.intValue(&Driver::ChequeTapeWidth2), 384);
}

void TestVregDay::dayTapeMatchesTheReference()
{
    DayTill till(*m_fptr);
    QVERIFY(till.open());
    QVERIFY(runDay(till));
    const QStringList tape = till.tape();
    QVERIFY(!tape.isEmpty());
    if (qEnvironmentVariableIsSet("VREG_UPDATE_DAY_TAPE")) {
        QFile file(dayTapeFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((tape.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        qInfo("written %s", qPrintable(dayTapeFile()));
    }
    QFile file(dayTapeFile());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(dayTapeFile()));
    QString reference = QString::fromUtf8(file.readAll());
    if (reference.endsWith(QLatin1Char('\n')))
        reference.chop(1);
    const QStringList expected = masked(reference.split(QLatin1Char('\n')));
    const QStringList actual = masked(tape);
    for (int i = 0; i < qMin(expected.size(), actual.size()); ++i)
        QVERIFY2(actual[i] == expected[i], qPrintable(QStringLiteral("line %1: «%2», expected «%3»").arg(i + 1).arg(actual[i], expected[i])));
    QCOMPARE(actual.size(), expected.size());

    // The paper: each cut tears off one picture, a receipt of several
    // positions included, and each picture is a document that ends in a cut.
    const qsizetype cuts = std::count_if(tape.begin(), tape.end(), [](const QString &line) {
        return line.contains(QStringLiteral("✂"));
    });
    const QStringList pictures = paperDocuments(till.get(), till.dataFolder());
    QCOMPARE(pictures.size(), cuts);
    QImage receipt;
    for (const QString &file : pictures) {
        const QImage picture(file);
        if (picture.height() > receipt.height())
            receipt = picture;
    }
    // The longest document is a receipt of four positions, each of several lines.
    QVERIFY2(receipt.height() > 40 * 24, qPrintable(QString::number(receipt.height())));
}

void TestVregDay::refusalsChangeNoRegister()
{
    DayTill till(*m_fptr);
    QVERIFY(till.open());
    DayChecks checks;
    checks.beforeZ = [](const DayTill &t) {
        QCOMPARE(t.mode(1), 0);
        const QMap<int, QString> before = t.snapshot(of(1));
        const QMap<int, QString> beforePermanent = t.snapshot(of(2, 1));
        struct Refusal
        {
            const char *what;
            std::function<int()> action;
            int code;
        };
        const QList<Refusal> refusals = {
            {"wrong password", [&] { return t.enterMode(2, QStringLiteral("12345")); }, -20},
            {"cashier in the Z mode", [&] { return t.enterMode(3, QStringLiteral("1")); }, -21},
            {"Z-report in registration", [&] { return t.report(1); }, -22},
            {"wrong receipt type", [&] { t->ChequeType(11); return t->OpenCheque(); }, -110},
            {"payment without a receipt", [&] { return t.pay(0, 1); }, -104},
            {"cash out beyond the drawer", [&] { return t.cash(false, 1000.01); }, -120},
            {"unknown report", [&] { return t.report(9); }, -2},
        };
        for (const Refusal &refusal : refusals) {
            QVERIFY2(refusal.action() < 0, refusal.what);
            QVERIFY2(t.code() == refusal.code, qPrintable(QStringLiteral("%1: %2").arg(refusal.what, t.result())));
            QVERIFY2(!t.detail().isEmpty(), refusal.what);
        }
        // The refusal names the report as the bench's lists do.
        t.report(1);
        QVERIFY2(t.detail().startsWith(QStringLiteral("Report (Z-отчет) выполняется в режиме 3")), qPrintable(t.detail()));
        QCOMPARE(t.snapshot(of(1)), before);
        QCOMPARE(t.snapshot(of(2, 1)), beforePermanent);

        // Inside a receipt: what the receipt refuses leaves it as it was.
        QCOMPARE(t.sell({QStringLiteral("Чай"), 1, 100.00, 1, 2}), 0);
        const QMap<int, QString> inReceipt = t.snapshot(of(1));
        const QList<Refusal> inside = {
            {"purchase in a sale", [&] { t.position({QStringLiteral("Лом"), 1, 10}); return t->Buy(); }, -105},
            {"storno of an unknown position", [&] { return t.storno({QStringLiteral("Кофе"), 1, 100.00}); }, -121},
            {"storno of more than sold", [&] { return t.storno({QStringLiteral("Чай"), 2, 100.00}); }, -121},
            {"card beyond the total", [&] { return t.pay(1, 100.01); }, -125},
            {"discount beyond the receipt", [&] { return t.discount(false, 100.01, 0, 0, 0); }, -122},
            {"X-report in registration", [&] { return t.report(2); }, -22},
        };
        for (const Refusal &refusal : inside) {
            QVERIFY2(refusal.action() < 0, refusal.what);
            QVERIFY2(t.code() == refusal.code, qPrintable(QStringLiteral("%1: %2").arg(refusal.what, t.result())));
        }
        QCOMPARE(t.snapshot(of(1)), inReceipt);
        QCOMPARE(t->CancelCheque(), 0);
        // A cancelled receipt is counted as such, and only as such.
        QCOMPARE(t.sum(46, of(1)), 100.00);
        QCOMPARE(t.getRegister(65), 0);
        QCOMPARE(t.doubleValue(&Driver::Value), 1.0);
        QCOMPARE(t.sum(1, of(1)), 955.30);
        QCOMPARE(t.mode(2), 0);
    };
    QVERIFY(runDay(till, checks));
}

void TestVregDay::registerSelectorsAreChecked_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("code");
    for (int unknown : {0, 37, 49, 50, 62, 64, 68, 69, 71, -1})
        QTest::addRow("register %d", unknown) << unknown << QString() << 0 << -200;
    QTest::newRow("receipt type 0") << 1 << "ChequeType" << 0 << -201;
    QTest::newRow("receipt type 11") << 6 << "ChequeType" << 11 << -201;
    QTest::newRow("counter type 0") << 4 << "CounterType" << 0 << -201;
    QTest::newRow("counter type 3") << 65 << "CounterType" << 3 << -201;
    QTest::newRow("payment type 10") << 3 << "PaymentType" << 10 << -201;
    QTest::newRow("operation type 8") << 12 << "OperationType" << 8 << -201;
    QTest::newRow("operation type -1") << 56 << "OperationType" << -1 << -201;
    QTest::newRow("tax number 7") << 31 << "TaxNumber" << 7 << -201;
    QTest::newRow("discount number 17") << 42 << "DiscountNumber" << 17 << -201;
    QTest::newRow("department 17") << 41 << "Department" << 17 << -201;
    QTest::newRow("step counter 2") << 34 << "StepCounterType" << 2 << -201;
    QTest::newRow("power supply 3") << 38 << "PowerSupplyType" << 3 << -201;
    QTest::newRow("counter dimension 2") << 33 << "CounterDimension" << 2 << -201;
    QTest::newRow("shift -1") << 18 << "CounterValue" << -1 << -201;
    // Selectors a register does not use are not its business.
    QTest::newRow("cash ignores the receipt type") << 10 << "ChequeType" << 0 << 0;
    QTest::newRow("revenue ignores the counter type") << 11 << "CounterType" << 0 << 0;
}

void TestVregDay::registerSelectorsAreChecked()
{
    QFETCH(int, number);
    QFETCH(QString, selector);
    QFETCH(int, value);
    QFETCH(int, code);
    DayTill till(*m_fptr);
    QVERIFY(till.open());
    Selectors s;
    if (selector == "ChequeType") s.cheque = value;
    else if (selector == "CounterType") s.counterType = value;
    else if (selector == "PaymentType") s.payment = value;
    else if (selector == "OperationType") s.operation = value;
    else if (selector == "TaxNumber") s.tax = value;
    else if (selector == "DiscountNumber") s.discount = value;
    else if (selector == "Department") s.department = value;
    else if (selector == "StepCounterType") s.step = value;
    else if (selector == "PowerSupplyType") s.power = value;
    else if (selector == "CounterDimension") s.dimension = value;
    else if (selector == "CounterValue") s.counterValue = value;
    const int result = till.getRegister(number, s);
    QCOMPARE(till.code(), code);
    QCOMPARE(result < 0, code != 0);
    if (code == -201)
        QVERIFY2(till.detail().contains(selector), qPrintable(till.detail()));
}

void TestVregDay::reportsRunInTheirModes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("ranges"); // property=value,...
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("title");   // what the tape gains, when it succeeds

    QTest::newRow("0 clearing") << 0 << 3 << "" << 0 << "ГАШЕНИЕ КОНТРОЛЬНОЙ ЛЕНТЫ";
    QTest::newRow("0 outside mode 3") << 0 << 2 << "" << -22 << "";
    QTest::newRow("2 X-report") << 2 << 2 << "" << 0 << "ОТЧЕТ БЕЗ ГАШЕНИЯ";
    QTest::newRow("3 fiscal memory, dates") << 3 << 5 << "Date=today,DateEnd=today" << 0 << "ОТЧЕТ ФП КРАТКИЙ ПО ДАТАМ";
    QTest::newRow("4 fiscal memory, shifts") << 4 << 5 << "Session=1,SessionEnd=2" << 0 << "ОТЧЕТ ФП КРАТКИЙ ПО СМЕНАМ";
    QTest::newRow("5 fiscal memory, full") << 5 << 5 << "Date=today,DateEnd=today" << 0 << "СМЕНА 1";
    QTest::newRow("6 fiscal memory, full") << 6 << 5 << "Session=1,SessionEnd=1" << 0 << "ОТЧЕТ ФП ПОЛНЫЙ ПО СМЕНАМ";
    QTest::newRow("3 outside mode 5") << 3 << 2 << "Date=today,DateEnd=today" << -22 << "";
    QTest::newRow("3 reversed dates") << 3 << 5 << "Date=today,DateEnd=2026-06-01" << -210 << "";
    QTest::newRow("4 shifts nobody closed") << 4 << 5 << "Session=5,SessionEnd=9" << -211 << "";
    QTest::newRow("4 shift 0") << 4 << 5 << "Session=0,SessionEnd=1" << -210 << "";
    QTest::newRow("7 departments") << 7 << 2 << "" << 0 << "ОТЧЕТ ПО СЕКЦИЯМ СМЕНА 2";
    QTest::newRow("8 cashiers") << 8 << 2 << "" << 0 << "ОТЧЕТ ПО КАССИРАМ";
    QTest::newRow("10 hours") << 10 << 2 << "" << 0 << "ОТЧЕТ ПО ЧАСАМ";
    QTest::newRow("11 quantities") << 11 << 2 << "" << 0 << "Булка 2.000 =50.00";
    QTest::newRow("7 outside mode 2") << 7 << 3 << "" << -22 << "";
    QTest::newRow("22 journal: activation") << 22 << 6 << "" << 0 << "ЭКЛЗ ИТОГИ АКТИВИЗАЦИИ";
    QTest::newRow("22 storage: registration") << 22 << 2 << "" << 0 << "КОПИЯ ОТЧЕТА О РЕГИСТРАЦИИ";
    QTest::newRow("23 shift totals") << 23 << 6 << "Session=1" << 0 << "ЭКЛЗ ИТОГИ СМЕНЫ";
    QTest::newRow("23 unknown shift") << 23 << 6 << "Session=7" << -203 << "";
    QTest::newRow("24 shift tape") << 24 << 6 << "Session=1" << 0 << "ЭКЛЗ КОНТРОЛЬНАЯ ЛЕНТА СМЕНЫ";
    QTest::newRow("25 journal: by КПК") << 25 << 6 << "KPKNumber=4" << 0 << "ЭКЛЗ ДОКУМЕНТ ПО НОМЕРУ КПК";
    QTest::newRow("25 storage: by number") << 25 << 0 << "KPKNumber=4" << 0 << "ДОКУМЕНТ ПО НОМЕРУ";
    QTest::newRow("25 unknown document") << 25 << 0 << "KPKNumber=999" << -143 << "";
    QTest::newRow("26") << 26 << 6 << "Date=today,DateEnd=today" << 0 << "ЭКЛЗ ПО ДАТАМ КРАТКИЙ ПО ОТДЕЛАМ";
    QTest::newRow("27") << 27 << 6 << "Date=today,DateEnd=today" << 0 << "ЭКЛЗ ПО ДАТАМ ПОЛНЫЙ ПО ОТДЕЛАМ";
    QTest::newRow("28") << 28 << 6 << "Date=today,DateEnd=today" << 0 << "ЭКЛЗ ПО ДАТАМ КРАТКИЙ ПО ИТОГАМ СМЕН";
    QTest::newRow("29") << 29 << 6 << "Date=today,DateEnd=today" << 0 << "ЭКЛЗ ПО ДАТАМ ПОЛНЫЙ ПО ИТОГАМ СМЕН";
    QTest::newRow("30") << 30 << 6 << "Session=1,SessionEnd=1" << 0 << "ЭКЛЗ ПО СМЕНАМ КРАТКИЙ ПО ОТДЕЛАМ";
    QTest::newRow("31") << 31 << 6 << "Session=1,SessionEnd=1" << 0 << "СЕКЦИЯ 3 ПРИХОД 1 =650.00";
    QTest::newRow("32") << 32 << 6 << "Session=1,SessionEnd=1" << 0 << "ЭКЛЗ ПО СМЕНАМ КРАТКИЙ ПО ИТОГАМ СМЕН";
    QTest::newRow("33") << 33 << 6 << "Session=1,SessionEnd=1" << 0 << "ЭКЛЗ ПО СМЕНАМ ПОЛНЫЙ ПО ИТОГАМ СМЕН";
    QTest::newRow("30 outside mode 6") << 30 << 5 << "Session=1,SessionEnd=1" << -22 << "";
    QTest::newRow("34 document") << 34 << 2 << "DocNumber=5" << 0 << "ДОКУМЕНТ № 5 КОПИЯ";
    QTest::newRow("34 unknown document") << 34 << 2 << "DocNumber=500" << -143 << "";
    QTest::newRow("35 control tape") << 35 << 2 << "ClearFlag=0" << 0 << "КОНТРОЛЬНАЯ ЛЕНТА";
    QTest::newRow("36 control tape, brief") << 36 << 2 << "ClearFlag=0" << 0 << "КОНТРОЛЬНАЯ ЛЕНТА СОКРАЩЕННАЯ ФД 1";
    QTest::newRow("35 clearing needs mode 3") << 35 << 2 << "ClearFlag=1" << -22 << "";
    QTest::newRow("36 clear flag 2") << 36 << 3 << "ClearFlag=2" << -212 << "";
    QTest::newRow("38 service") << 38 << 2 << "" << 0 << "СЛУЖЕБНЫЙ ОТЧЕТ";
    QTest::newRow("39 onto the SD card") << 39 << 2 << "Session=1,SessionEnd=1" << 0 << "ЗАПИСАН НА SD";
    QTest::newRow("42 calculations") << 42 << 0 << "" << 0 << "ОТЧЕТ О ТЕКУЩЕМ СОСТОЯНИИ РАСЧЕТОВ";
    QTest::newRow("43 device information") << 43 << 1 << "" << 0 << "ИНФОРМАЦИЯ О ККТ";
    QTest::newRow("44 test run") << 44 << 7 << "" << 0 << "ТЕХНОЛОГИЧЕСКИЙ ПРОГОН";
    QTest::newRow("44 outside mode 7") << 44 << 2 << "" << -22 << "";
    QTest::newRow("45 operator diagnostics") << 45 << 0 << "" << 0 << "РЕЗУЛЬТАТ НЕТ СОЕДИНЕНИЯ";
    QTest::newRow("47 shift counters") << 47 << 0 << "" << 0 << "СЧЕТЧИКИ ИТОГОВ СМЕНЫ СМЕНА 2";
    QTest::newRow("48 storage counters") << 48 << 0 << "" << 0 << "СЧЕТЧИКИ ИТОГОВ ФН";
    QTest::newRow("49 unsent counters") << 49 << 0 << "" << 0 << "СЧЕТЧИКИ ПО НЕПЕРЕДАННЫМ ФД";
    QTest::newRow("50 journal by documents") << 50 << 2 << "DocNumber=3,DocNumberEnd=5" << 0 << "ЭЖ ПО ДИАПАЗОНУ ДОКУМЕНТОВ";
    QTest::newRow("50 reversed") << 50 << 2 << "DocNumber=5,DocNumberEnd=3" << -210 << "";
    QTest::newRow("50 nothing fiscal") << 50 << 2 << "DocNumber=4,DocNumberEnd=4" << -211 << "";
    QTest::newRow("51 journal by shifts") << 51 << 2 << "Session=2,SessionEnd=2" << 0 << "Булка";
    QTest::newRow("unknown type") << 12 << 2 << "" << -2 << "";
}

void TestVregDay::reportsRunInTheirModes()
{
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(QString, ranges);
    QFETCH(int, code);
    QFETCH(QString, title);
    DayTill till(*m_fptr);
    QVERIFY(dayAndNextMorning(till));
    QCOMPARE(mode == 7 ? till.enterMode(7, QStringLiteral("58")) : till.mode(mode), 0);
    QCOMPARE(till.getRegister(52), 0);
    const int lastFiscal = till.intValue(&Driver::DocNumber);
    for (const QString &range : ranges.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = range.section(QLatin1Char('='), 0, 0);
        const QString value = range.section(QLatin1Char('='), 1);
        const QDate date = value == "today" ? kMorning.date() : QDate::fromString(value, Qt::ISODate);
        if (name == "Date") till->Date(date.day(), date.month(), date.year());
        else if (name == "DateEnd") till->DateEnd(date.day(), date.month(), date.year());
        else if (name == "Session") till->Session(value.toInt());
        else if (name == "SessionEnd") till->SessionEnd(value.toInt());
        else if (name == "DocNumber") till->DocNumber(value.toInt());
        else if (name == "DocNumberEnd") till->DocNumberEnd(value.toInt());
        else if (name == "KPKNumber") till->KPKNumber(value.toInt());
        else if (name == "ClearFlag") till->ClearFlag(value.toInt());
    }
    const int tapeBefore = int(till.tape().size());
    const int result = till.report(type);
    QVERIFY2(till.code() == code, qPrintable(till.result()));
    QCOMPARE(result < 0, code != 0);
    const QString printed = printedSince(till, tapeBefore);
    if (qEnvironmentVariableIsSet("VREG_SHOW_TAPE"))
        qDebug().noquote() << till.tape().mid(tapeBefore).join(QLatin1Char('\n'));
    if (code == 0) {
        QVERIFY2(printed.contains(title), qPrintable(printed));
        QVERIFY(printed.contains(QRegularExpression(QStringLiteral("ДОК\\. \\d+ \\d\\d\\.\\d\\d\\.\\d\\d"))));
    } else {
        // The detail names the report, in readable Russian.
        const QString detail = till.detail();
        if (code != -2)
            QVERIFY2(detail.startsWith(QStringLiteral("Report %1 (").arg(type)), qPrintable(detail));
        QVERIFY2(!detail.contains(QChar(0xD0)) && !detail.contains(QChar(0xD1)), qPrintable(detail));
        QVERIFY2(printed.isEmpty(), qPrintable(printed));
    }
    // Reports are documents, never fiscal ones.
    QCOMPARE(till.getRegister(52), 0);
    QCOMPARE(till.intValue(&Driver::DocNumber), lastFiscal);
    if (type == 39 && code == 0) {
        const QStringList files = QDir(till.dataFolder() + QStringLiteral("/sd/reports")).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QFile file(till.dataFolder() + QStringLiteral("/sd/reports/") + files.first());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll()).contains(QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ")));
    }
}

void TestVregDay::journalClearing()
{
    DayTill till(*m_fptr);
    QVERIFY(dayAndNextMorning(till));
    const auto journalLines = [&]() {
        till->ReportType(41);
        if (till->BeginReport() < 0)
            return QStringList{QStringLiteral("BeginReport failed")};
        QStringList lines;
        while (till->GetRecord() == 0)
            lines.append(till.text(&Driver::Caption).simplified());
        till->EndReport();
        return lines;
    };
    const QStringList before = journalLines();
    QVERIFY(before.contains(QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ")));
    QVERIFY(before.contains(QStringLiteral("Булка")));

    // The full control tape with clearing empties the journal ...
    QCOMPARE(till.mode(3), 0);
    till->ClearFlag(1);
    QCOMPARE(till.report(35), 0);
    QVERIFY(journalLines().isEmpty());
    QVERIFY(till.report(36) < 0);
    QCOMPARE(till.code(), -211);
    QCOMPARE(till.mode(2), 0);
    till->DocNumber(1);
    till->DocNumberEnd(100);
    QVERIFY(till.report(50) < 0);
    QCOMPARE(till.code(), -211);
    // ... but not the fiscal archive, nor the memory of documents.
    QCOMPARE(till.mode(6), 0);
    till->KPKNumber(4);
    QCOMPARE(till.report(25), 0);
    QCOMPARE(till.mode(2), 0);
    till->DocNumber(5);
    QCOMPARE(till.report(34), 0);

    // New fiscal documents enter the journal again; clearing survives a
    // restart of the driver object.
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.sell({QStringLiteral("Пряник"), 1, 12.00}), 0);
    QCOMPARE(till.close(0), 0);
    const QString settings = till.text(&Driver::DeviceSettings);
    till.release();
    DayTill again(*m_fptr);
    QCOMPARE(again.setText(&Driver::DeviceSettings, settings), 0);
    QCOMPARE(again->DeviceEnabled(1), 0);
    again->ReportType(41);
    QCOMPARE(again->BeginReport(), 0);
    QStringList lines;
    while (again->GetRecord() == 0)
        lines.append(again.text(&Driver::Caption));
    QCOMPARE(again.code(), -17);
    QVERIFY(lines.contains(QStringLiteral("Пряник")));
    QVERIFY(!lines.contains(QStringLiteral("Булка")));
    // Report 0 clears it in the Z mode.
    QCOMPARE(again.mode(3), 0);
    QCOMPARE(again.report(0), 0);
    again->ReportType(41);
    QCOMPARE(again->BeginReport(), 0);
    QVERIFY(again->GetRecord() < 0);
    QCOMPARE(again.code(), -17);
}

void TestVregDay::dataReports_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QStringList>("expected"); // records that must be there, in order
    QTest::addColumn<int>("count");            // how many records; -1 any
    QTest::newRow("19 firmware") << 19 << 1
                                 << QStringList{"Модуль: Процессор ПО ККТ (1)", "Версия: 3.1", "Сборка: 5120", "Размер: 256 байт"}
                                 << 5;
    QTest::newRow("19 printer boot block") << 19 << 5 << QStringList{"Версия: 1.0", "Сборка: 7"} << 5;
    QTest::newRow("20 image") << 20 << 2 << QStringList{"0000: 56 52 45 47 20 55 4E 49 54 20 32 20 32 2E 30 2E"} << 16;
    QTest::newRow("41 journal") << 41 << 0
                                << QStringList{"ОТЧЕТ О РЕГИСТРАЦИИ", "ИТОГ =800.00", "СДАЧА =200.00", "ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"}
                                << -1;
    QTest::newRow("46 last receipt") << 46 << 0 << QStringList{"ВОЗВРАТ ПРИХОДА", "ИТОГ =45.50"} << -1;
}

void TestVregDay::dataReports()
{
    QFETCH(int, type);
    QFETCH(int, unit);
    QFETCH(QStringList, expected);
    QFETCH(int, count);
    DayTill till(*m_fptr);
    QVERIFY(till.open());
    QVERIFY(runDay(till));
    till->ReportType(type);
    till->UnitType(unit);
    QVERIFY2(till->BeginReport() == 0, qPrintable(till.result()));
    QStringList records;
    while (till->GetRecord() == 0)
        records.append(till.text(&Driver::Caption));
    QCOMPARE(till.code(), -17);
    // Past the end it stays at the end.
    QVERIFY(till->GetRecord() < 0);
    QCOMPARE(till.code(), -17);
    if (count >= 0)
        QCOMPARE(records.size(), count);
    QStringList simplified;
    for (const QString &record : records)
        simplified.append(record.simplified());
    int from = 0;
    for (const QString &record : expected) {
        const int at = int(simplified.indexOf(record, from));
        QVERIFY2(at >= 0, qPrintable(record + QStringLiteral(" | ") + records.join(QStringLiteral(" | "))));
        from = at + 1;
    }
    // The last receipt is exactly the return as archived and printed.
    if (type == 46) {
        const QStringList tape = till.tape();
        const int end = int(tape.lastIndexOf(records.last()));
        QVERIFY(end > 0);
        QCOMPARE(tape.mid(end - records.size() + 1, records.size()), records);
    }
    QCOMPARE(till->EndReport(), 0);
    // A report begun again starts at its first record.
    QCOMPARE(till->BeginReport(), 0);
    QCOMPARE(till->GetRecord(), 0);
    QCOMPARE(till.text(&Driver::Caption), records.first());
}

void TestVregDay::dataReportMisuse()
{
    DayTill till(*m_fptr);
    QVERIFY(till.open());
    QVERIFY(till->GetRecord() < 0);
    QCOMPARE(till.code(), -213);
    QVERIFY(till->EndReport() < 0);
    QCOMPARE(till.code(), -213);
    till->ReportType(42);
    QVERIFY(till->BeginReport() < 0);
    QCOMPARE(till.code(), -2);
    for (int unit : {0, 6}) {
        till->ReportType(19);
        till->UnitType(unit);
        QVERIFY(till->BeginReport() < 0);
        QCOMPARE(till.code(), -212);
    }
    // Without a receipt there is no last receipt; the empty journal has no
    // records at all.
    till->ReportType(46);
    QVERIFY(till->BeginReport() < 0);
    QCOMPARE(till.code(), -143);
    till->ReportType(41);
    QCOMPARE(till->BeginReport(), 0);
    QVERIFY(till->GetRecord() < 0);
    QCOMPARE(till.code(), -17);
    // A report does not outlive the connection.
    QCOMPARE(till->DeviceEnabled(0), 0);
    QCOMPARE(till->DeviceEnabled(1), 0);
    QVERIFY(till->GetRecord() < 0);
    QCOMPARE(till.code(), -213);
}

void TestVregDay::memorySurvivesTheDriverObject()
{
    DayTill till(*m_fptr);
    QVERIFY(dayAndNextMorning(till));
    QCOMPARE(till.mode(2), 0);
    const QMap<int, QString> shift = till.snapshot(of(1, 2));
    const QMap<int, QString> permanent = till.snapshot(of(2, 1));
    const QString settings = till.text(&Driver::DeviceSettings);
    QVERIFY(!settings.isEmpty());
    till.release();

    DayTill again(*m_fptr);
    QCOMPARE(again.setText(&Driver::DeviceSettings, settings), 0);
    QCOMPARE(again.text(&Driver::DeviceSettings), settings);
    QCOMPARE(again->DeviceEnabled(1), 0);
    QCOMPARE(again.mode(2), 0);
    QCOMPARE(again.snapshot(of(1, 2)), shift);
    QCOMPARE(again.snapshot(of(2, 1)), permanent);
    QCOMPARE(again.sum(1, of(1, 2)), 50.00);
    QCOMPARE(again.sum(1, of(1, 1)), 1005.30);
}

void TestVregDay::nonsenseInTheMemory()
{
    QString settings;
    QString memoryFile;
    {
        DayTill till(*m_fptr);
        QVERIFY(till.open());
        QVERIFY(runDay(till));
        settings = till.text(&Driver::DeviceSettings);
        memoryFile = till.dataFolder() + QStringLiteral("/memory.db");
    }
    // The journal's clearing mark made nonsense: the whole memory is set
    // aside, and the register wakes up new.
    {
        SqliteFile memory(memoryFile);
        QVERIFY(memory.exec(QStringLiteral("INSERT OR REPLACE INTO state (module, key, value) "
                                           "VALUES ('journal', 'clearedThrough', '-4')")));
    }

    DayTill till(*m_fptr);
    QCOMPARE(till.setText(&Driver::DeviceSettings, settings), 0);
    QCOMPARE(till->DeviceEnabled(1), 0);
    QVERIFY(till.getRegister(21) == 0);
    QVERIFY2(till.detail().contains(QStringLiteral("memory.db.unreadable-")), qPrintable(till.detail()));
    QCOMPARE(till.intValue(&Driver::Session), 0);
    QCOMPARE(till.sum(10), 0.0);
    QCOMPARE(till.sum(1, of(1, 1)), 0.0);
    QCOMPARE(till.count(16), 2500);
    QVERIFY(till.getRegister(22) < 0);
    QCOMPARE(QDir(QFileInfo(memoryFile).absolutePath()).entryList({QStringLiteral("memory.db.unreadable-*")}, QDir::Files).size(), 1);
}

FPTR_TEST_MAIN(TestVregDay)
#include "tst_vreg_day.moc"
