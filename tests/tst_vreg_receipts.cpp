// The virtual register's shifts, receipts and cash through the library's
// entry points: a whole day checked against hand-computed figures, the
// refusals a real register makes, test mode, the 24-hour shift limit, and
// the memory surviving the driver object.

#include "testmain.h"
#include "sqlitefile.h"
#include "vregtill.h"

#include <QRegularExpression>

using namespace vregtest;

namespace {

// The line of the tape that matches, or an empty text.
QString lineMatching(const QStringList &tape, const QString &pattern)
{
    const QRegularExpression expression(pattern);
    for (const QString &line : tape) {
        if (expression.match(line).hasMatch())
            return line;
    }
    return QString();
}

} // namespace

class TestVregReceipts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fullDay();
    void positionChecks_data();
    void positionChecks();
    void receiptOfAnotherType();
    void discountsAndCharges();
    void storno();
    void cashControl();
    void testModeChangesNothing();
    void paperOutRefusesBeforeRegistering();
    void cancelledReceipt();
    void correctionReceipts();
    void shiftLimitOf24Hours();
    void memorySurvivesTheDriverObject();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregReceipts::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

void TestVregReceipts::fullDay()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);

    // Opening the shift prints its text.
    till.setText(&Driver::Password, QStringLiteral("1"));
    till.setText(&Driver::Caption, QStringLiteral("Смена Иванова"));
    till->TestMode(0);
    QVERIFY2(till->OpenSession() == 0, qPrintable(till.result()));
    QCOMPARE(till.intValue(&Driver::SessionOpened), 1);
    QVERIFY(till->OpenSession() < 0);
    QCOMPARE(till.code(), -101);

    QCOMPARE(till.cash(true, 1000.00), 0);
    QCOMPARE(till.drawer(), 1000.00);

    // A sale: 2 x 89.90 at 10 %, 1 x 45.50 without VAT, 0.5 x 1299.99 at
    // 20 % (649.995, rounded to 650.00).
    QCOMPARE(till.sell({QStringLiteral("Молоко 3,2%"), 2, 89.90, 1, 2}), 0);
    QCOMPARE(till.chequeState(), 1);
    QCOMPARE(till.sell({QStringLiteral("Хлеб"), 1, 45.50, 2, 4}), 0);
    QCOMPARE(till.sell({QStringLiteral("Кофе зерновой"), 0.5, 1299.99, 3, 3}), 0);
    QCOMPARE(till.summ(), 875.30);
    QCOMPARE(till.intValue(&Driver::ChequeNumber), 1);

    // 10 % off the coffee (65.00), then 10.30 off the receipt.
    QVERIFY2(till.discount(false, 10, 1, 1) == 0, qPrintable(till.result()));
    QCOMPARE(till.summ(), 810.30);
    QCOMPARE(till.discount(false, 10.30, 0, 0), 0);
    QCOMPARE(till.summ(), 800.00);

    // Card 500, a card payment beyond what is due, cash 500.
    QCOMPARE(till.pay(1, 500.00), 0);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 300.00);
    QCOMPARE(till.doubleValue(&Driver::Change), 0.0);
    QVERIFY(till.pay(1, 300.01) < 0);
    QCOMPARE(till.code(), -125);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 300.00);
    QCOMPARE(till.pay(0, 500.00), 0);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 0.0);
    QCOMPARE(till.doubleValue(&Driver::Change), 200.00);
    QVERIFY2(till.close(0) == 0, qPrintable(till.result()));
    QCOMPARE(till.chequeState(), 0);
    QCOMPARE(till.doubleValue(&Driver::Change), 200.00);
    QCOMPARE(till.drawer(), 1300.00); // 1000 + 500 cash - 200 change

    // A return of the bread, paid out in cash.
    till.position({QStringLiteral("Хлеб"), 1, 45.50, 2, 4});
    QCOMPARE(till->SellReturn(), 0);
    QCOMPARE(till.chequeState(), 2);
    QCOMPARE(till.summ(), 45.50);
    QCOMPARE(till.intValue(&Driver::ChequeNumber), 2);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 1254.50);

    // Cash out: never below zero.
    QVERIFY(till.cash(false, 1254.51) < 0);
    QCOMPARE(till.code(), -120);
    QCOMPARE(till.drawer(), 1254.50);
    QCOMPARE(till.cash(false, 254.50), 0);
    QCOMPARE(till.drawer(), 1000.00);

    QCOMPARE(till.mode(2), 0);
    QVERIFY2(till.report(2) == 0, qPrintable(till.result()));
    QCOMPARE(till.intValue(&Driver::SessionOpened), 1);
    // The Z-report is refused outside its mode and closes the shift in it.
    QVERIFY(till.report(1) < 0);
    QCOMPARE(till.code(), -22);
    QCOMPARE(till.mode(3), 0);
    QVERIFY2(till.report(1) == 0, qPrintable(till.result()));
    QCOMPARE(till.intValue(&Driver::SessionOpened), 0);
    QCOMPARE(till.intValue(&Driver::Session), 1);
    QVERIFY(till.report(1) < 0);
    QCOMPARE(till.code(), -100);
    QCOMPARE(till.drawer(), 1000.00);

    const QStringList tape = till.tape();
    if (tape.isEmpty())
        QSKIP("This build prints nothing onto the tape");
    if (qEnvironmentVariableIsSet("VREG_SHOW_TAPE"))
        qDebug().noquote() << tape.join(QLatin1Char('\n'));
    for (const QString &pattern :
         {QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"), QStringLiteral("^Смена Иванова$"), QStringLiteral("ВНЕСЕНИЕ"),
          QStringLiteral("КАССОВЫЙ ЧЕК"), QStringLiteral("^ +ПРИХОД$"), QStringLiteral("^Молоко 3,2%$"),
          QStringLiteral("^  2\\.000 x 89\\.90 +=179\\.80$"), QStringLiteral("^  0\\.500 x 1299\\.99 +=650\\.00$"),
          QStringLiteral("^СКИДКА 10\\.00% +=-65\\.00$"), QStringLiteral("^СКИДКА НА ЧЕК +=-10\\.30$"),
          QStringLiteral("^ИТОГ +=800\\.00$"), QStringLiteral("(?i)^безналичными +=500\\.00$"),
          QStringLiteral("^СДАЧА +=200\\.00$"),
          // The receipt discount spread over the positions: 179.80 - 2.29 at
          // 10 %, 585.00 - 7.43 at 20 %, 45.50 - 0.58 without VAT.
          QStringLiteral("^СУММА НДС 10% +=16\\.14$"), QStringLiteral("^СУММА НДС 20% +=96\\.26$"),
          QStringLiteral("^СУММА БЕЗ НДС +=44\\.92$"), QStringLiteral("^ФД \\d+ +ФП \\d+$"),
          QStringLiteral("^ +ВОЗВРАТ ПРИХОДА$"), QStringLiteral("ВЫПЛАТА"), QStringLiteral("ОТЧЕТ БЕЗ ГАШЕНИЯ"),
          QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"), QStringLiteral("^НАЛИЧНЫХ В КАССЕ +=1000\\.00$")}) {
        QVERIFY2(!lineMatching(tape, pattern).isEmpty(), qPrintable(pattern));
    }
    // The shift report counts the sale under its type.
    const int zStart = int(tape.lastIndexOf(lineMatching(tape, QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"))));
    const QStringList z = tape.mid(zStart);
    const int sale = int(z.indexOf(QStringLiteral("ПРИХОД")));
    QVERIFY(sale > 0);
    QVERIFY(z.at(sale + 1).contains(QRegularExpression(QStringLiteral("ЧЕКОВ +1$"))));
    QVERIFY(z.at(sale + 2).contains(QRegularExpression(QStringLiteral("СУММА +=800\\.00$"))));
    QVERIFY(!lineMatching(z, QStringLiteral("ВЫПЛАТ 1 +=254\\.50$")).isEmpty());
}

void TestVregReceipts::positionChecks_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("quantity 0") << "Quantity" << 0.0 << -111;
    QTest::newRow("quantity negative") << "Quantity" << -1.0 << -111;
    QTest::newRow("quantity too large") << "Quantity" << 100000.0 << -111;
    QTest::newRow("price negative") << "Price" << -0.01 << -112;
    QTest::newRow("department 17") << "Department" << 17.0 << -114;
    QTest::newRow("tax 7") << "TaxNumber" << 7.0 << -115;
    QTest::newRow("position type 14") << "PositionType" << 14.0 << -117;
    QTest::newRow("payment way 8") << "PositionPaymentType" << 8.0 << -117;
    QTest::newRow("text wrap 3") << "TextWrap" << 3.0 << -117;
    QTest::newRow("piece with a fraction") << "Piece" << 1.0 << -111;
    QTest::newRow("discount info beyond the sum") << "Summ" << 10.01 << -113;
    QTest::newRow("position sum negative") << "PositionSum" << -5.0 << -113;
    QTest::newRow("position sum beyond the register") << "PositionSum" << 1e11 << -119;
    // A control character is no text mark: refused whether the position is
    // printed or not, so the archive never keeps it.
    QTest::newRow("name with a control character") << "Name" << 1.0 << -32;
    QTest::newRow("name with a control character, not printed") << "Name" << 0.0 << -32;
}

void TestVregReceipts::positionChecks()
{
    QFETCH(QString, property);
    QFETCH(double, value);
    QFETCH(int, code);
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    till.position({QStringLiteral("Товар"), 2.5, 4.00});
    Driver *d = till.get();
    if (property == "Quantity")
        d->Quantity(value);
    else if (property == "Price")
        d->Price(value);
    else if (property == "Department")
        d->Department(int(value));
    else if (property == "TaxNumber")
        d->TaxNumber(int(value));
    else if (property == "PositionType")
        d->PositionType(int(value));
    else if (property == "PositionPaymentType")
        d->PositionPaymentType(int(value));
    else if (property == "TextWrap")
        d->TextWrap(int(value));
    else if (property == "Piece")
        d->Piece(int(value));
    else if (property == "Summ")
        d->Summ(value);
    else if (property == "PositionSum")
        d->PositionSum(value);
    else if (property == "Name") {
        till.setText(&Driver::Name, QStringLiteral("Хлеб") + QChar(0x01));
        d->PrintCheck(int(value));
    }
    QVERIFY(d->Sell() < 0);
    QCOMPARE(till.code(), code);
    QVERIFY(!till.detail().isEmpty());
    // Nothing was opened by the refused position.
    QCOMPARE(till.chequeState(), 0);
    QCOMPARE(till.intValue(&Driver::SessionOpened), 0);
}

void TestVregReceipts::receiptOfAnotherType()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    // Registration needs its mode.
    QCOMPARE(till->ResetMode(), 0);
    QVERIFY(till.sell({QStringLiteral("Товар"), 1, 10}) < 0);
    QCOMPARE(till.code(), -22);
    QCOMPARE(till.mode(1), 0);

    till->ChequeType(11);
    QVERIFY(till->OpenCheque() < 0);
    QCOMPARE(till.code(), -110);
    till->ChequeType(4);
    till->TestMode(0);
    QCOMPARE(till->OpenCheque(), 0);
    QCOMPARE(till.chequeState(), 4);
    QVERIFY(till->OpenCheque() < 0);
    QCOMPARE(till.code(), -106);
    QVERIFY(till.sell({QStringLiteral("Товар"), 1, 10}) < 0);
    QCOMPARE(till.code(), -105);
    till.position({QStringLiteral("Товар"), 1, 10});
    QCOMPARE(till->Buy(), 0);
    QCOMPARE(till.summ(), 10.00);
    // Cash operations wait for the receipt.
    QVERIFY(till.cash(true, 5) < 0);
    QCOMPARE(till.code(), -106);
    QCOMPARE(till->CancelCheque(), 0);
    QCOMPARE(till.cash(true, 50), 0);
    QCOMPARE(till->BuyAnnulate(), 0);
    QCOMPARE(till.chequeState(), 6);
    QVERIFY(till.close(0) == 0);
    // An empty receipt cannot be closed.
    till->ChequeType(1);
    QCOMPARE(till->OpenCheque(), 0);
    QVERIFY(till.close(0) < 0);
    QCOMPARE(till.code(), -108);
    QVERIFY(till.pay(0, 1) < 0);
    QCOMPARE(till.code(), -108);
}

void TestVregReceipts::discountsAndCharges()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QVERIFY(till.discount(false, 1, 0, 0) < 0);
    QCOMPARE(till.code(), -104);
    QCOMPARE(till.sell({QStringLiteral("А"), 1, 100.00}), 0);
    QCOMPARE(till.sell({QStringLiteral("Б"), 3, 10.00}), 0);
    QCOMPARE(till.summ(), 130.00);

    // Never more than the base: the last position is 30.00, the receipt 130.00.
    QVERIFY(till.discount(false, 30.01, 0, 1) < 0);
    QCOMPARE(till.code(), -122);
    QVERIFY(till.discount(true, 100.01, 1, 0) < 0);
    QCOMPARE(till.code(), -118);
    QVERIFY(till.discount(false, 0, 0, 0) < 0);
    QCOMPARE(till.code(), -113);
    QCOMPARE(till.discount(false, 30.00, 0, 1), 0);
    QCOMPARE(till.summ(), 100.00);
    QCOMPARE(till.discount(true, 5, 1, 0), 0); // 5 % of 100.00
    QCOMPARE(till.summ(), 105.00);
    QVERIFY(till.discount(false, 105.01, 0, 0) < 0);
    QCOMPARE(till.summ(), 105.00);

    QCOMPARE(till->ResetChargeDiscount(), 0);
    QCOMPARE(till.summ(), 100.00);
    QCOMPARE(till->ResetChargeDiscount(), 0);
    QCOMPARE(till.summ(), 130.00);
    QVERIFY(till->ResetChargeDiscount() < 0);
    QCOMPARE(till.code(), -123);

    // A tax on the receipt and its cancellation.
    till->TestMode(0);
    till->TaxNumber(3);
    till->Summ(0.0);
    till->Destination(0);
    QCOMPARE(till->Tax(), 0);
    till->TaxNumber(2);
    QVERIFY(till->StornoTax() < 0);
    QCOMPARE(till.code(), -124);
    till->TaxNumber(3);
    till->Summ(21.67); // 130.00 * 20 / 120
    QCOMPARE(till->StornoTax(), 0);
    QCOMPARE(till.summ(), 130.00);

    // Once paying, the positions are fixed.
    QCOMPARE(till.pay(0, 50), 0);
    QVERIFY(till.sell({QStringLiteral("В"), 1, 1}) < 0);
    QCOMPARE(till.code(), -107);
    QVERIFY(till.discount(false, 1, 0, 0) < 0);
    QCOMPARE(till.code(), -107);
    till->Summ(50.01);
    till->PaymentType(0);
    QVERIFY(till->StornoPayment() < 0);
    QCOMPARE(till.code(), -126);
    till->Summ(50.0);
    QCOMPARE(till->StornoPayment(), 0);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 130.00);
    QCOMPARE(till.sell({QStringLiteral("В"), 1, 1}), 0);
    QCOMPARE(till.summ(), 131.00);
}

void TestVregReceipts::storno()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    till.position({QStringLiteral("Сок"), 1, 80});
    QVERIFY(till->Storno() < 0);
    QCOMPARE(till.code(), -104);
    QCOMPARE(till.sell({QStringLiteral("Сок"), 3, 80.00}), 0);
    QCOMPARE(till.sell({QStringLiteral("Вода"), 1, 35.00}), 0);

    struct Case
    {
        QString name;
        double quantity;
        double price;
    };
    // Another name, another price, more than was registered.
    for (const Case &c : {Case{QStringLiteral("Сок яблочный"), 1, 80.00}, Case{QStringLiteral("Сок"), 1, 79.99},
                          Case{QStringLiteral("Вода"), 2, 35.00}}) {
        till.position({c.name, c.quantity, c.price});
        QVERIFY(till->Storno() < 0);
        QCOMPARE(till.code(), -121);
        QCOMPARE(till.summ(), 275.00);
    }
    till.position({QStringLiteral("Сок"), 1, 80.00});
    QCOMPARE(till->Storno(), 0);
    QCOMPARE(till.summ(), 195.00);
    till.position({QStringLiteral("Вода"), 1, 35.00});
    QCOMPARE(till->Storno(), 0);
    QCOMPARE(till.summ(), 160.00);
    till.position({QStringLiteral("Вода"), 1, 35.00});
    QVERIFY(till->Storno() < 0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 160.00);
    const QStringList tape = till.tape();
    if (!tape.isEmpty())
        QVERIFY(!lineMatching(tape, QStringLiteral("^  1\\.000 x 80\\.00 +=-80\\.00$")).isEmpty());
}

void TestVregReceipts::cashControl()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.cash(true, 100), 0);
    QVERIFY(till.cash(true, 0) < 0);
    QCOMPARE(till.code(), -113);

    // With CheckSumm a return beyond the drawer is refused at once ...
    till.position({QStringLiteral("Телевизор"), 1, 150.00}, 0, 1);
    QVERIFY(till->SellReturn() < 0);
    QCOMPARE(till.code(), -120);
    QCOMPARE(till.chequeState(), 0);
    // ... without it, when paying it out in cash.
    till.position({QStringLiteral("Телевизор"), 1, 150.00});
    QCOMPARE(till->SellReturn(), 0);
    QVERIFY(till.close(0) < 0);
    QCOMPARE(till.code(), -120);
    QCOMPARE(till.chequeState(), 2);
    QCOMPARE(till.close(1), 0);
    QCOMPARE(till.drawer(), 100.00);

    // A purchase paid in cash takes from the drawer, a return of it brings back.
    till.position({QStringLiteral("Лом"), 2, 30.00});
    QCOMPARE(till->Buy(), 0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 40.00);
    till.position({QStringLiteral("Лом"), 1, 30.00});
    QCOMPARE(till->BuyReturn(), 0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 70.00);
    QVERIFY(till.pay(0, 1) < 0);
    QCOMPARE(till.code(), -104);
}

void TestVregReceipts::testModeChangesNothing()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    const qint64 tapeBefore = till.tape().size();

    till->TestMode(1);
    QCOMPARE(till->OpenSession(), 0);
    QCOMPARE(till.intValue(&Driver::SessionOpened), 0);
    QCOMPARE(till.cash(true, 500, 1), 0);
    QCOMPARE(till.drawer(), 0.0);
    QCOMPARE(till.sell({QStringLiteral("Пробный"), 1, 10}, 1), 0);
    QCOMPARE(till.chequeState(), 0);
    QCOMPARE(till.intValue(&Driver::SessionOpened), 0);
    // Test mode still checks everything.
    QVERIFY(till.sell({QStringLiteral("Пробный"), 0, 10}, 1) < 0);
    QCOMPARE(till.code(), -111);

    QCOMPARE(till.sell({QStringLiteral("Настоящий"), 1, 10}), 0);
    QCOMPARE(till.sell({QStringLiteral("Пробный"), 1, 90}, 1), 0);
    QCOMPARE(till.summ(), 10.00);
    QCOMPARE(till.pay(0, 5, 1), 0);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 10.00);
    till->PaymentType(0);
    till->TestMode(1);
    QCOMPARE(till->CloseCheque(), 0);
    QCOMPARE(till.chequeState(), 1);
    QCOMPARE(till.drawer(), 0.0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 10.00);
    QVERIFY(till.tape().size() > tapeBefore);
}

void TestVregReceipts::paperOutRefusesBeforeRegistering()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.sell({QStringLiteral("Первый"), 1, 10}), 0);
    QCOMPARE(till.write(QStringLiteral("PaperPresent"), QStringLiteral("0")), 0);
    QCOMPARE(till->ApplySettings(), 0);

    // Nothing is registered that could not be printed.
    QVERIFY(till.sell({QStringLiteral("Второй"), 1, 20}) < 0);
    const int noPaper = till.code();
    QVERIFY(noPaper < 0);
    QCOMPARE(till.summ(), 10.00);
    QVERIFY(till.close(0) < 0);
    QCOMPARE(till.chequeState(), 1);
    // An electronic receipt's positions need no paper.
    till.position({QStringLiteral("Без печати"), 1, 5});
    till->PrintCheck(0);
    QCOMPARE(till->Sell(), 0);
    QCOMPARE(till.summ(), 15.00);

    QCOMPARE(till.write(QStringLiteral("PaperPresent"), QStringLiteral("1")), 0);
    QCOMPARE(till->ApplySettings(), 0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 15.00);
    QVERIFY(till.cash(false, 15) == 0);
    const QStringList tape = till.tape();
    if (!tape.isEmpty()) {
        QVERIFY(tape.contains(QStringLiteral("Первый")));
        QVERIFY(!tape.contains(QStringLiteral("Второй")));
        QVERIFY(!tape.contains(QStringLiteral("Без печати")));
    }
}

void TestVregReceipts::cancelledReceipt()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QVERIFY(till->CancelCheque() < 0);
    QCOMPARE(till.code(), -104);
    QCOMPARE(till.sell({QStringLiteral("Отменяемый"), 1, 99.99}), 0);
    QCOMPARE(till.pay(0, 100), 0);
    QCOMPARE(till->CancelCheque(), 0);
    QCOMPARE(till.chequeState(), 0);
    QCOMPARE(till.summ(), 0.0);
    QCOMPARE(till.drawer(), 0.0);
    // The cancelled receipt's number goes to the next one.
    QCOMPARE(till.sell({QStringLiteral("Настоящий"), 1, 1}), 0);
    QCOMPARE(till.intValue(&Driver::ChequeNumber), 1);
    QCOMPARE(till.close(0), 0);
    // The shift's X-report counts it apart: count and sum on lines of their own.
    QCOMPARE(till.mode(2), 0);
    QVERIFY2(till.report(2) == 0, qPrintable(till.result()));
    const QStringList tape = till.tape();
    if (!tape.isEmpty()) {
        QVERIFY(!lineMatching(tape, QStringLiteral("ЧЕК ОТМЕНЕН")).isEmpty());
        QVERIFY(!lineMatching(tape, QStringLiteral("^  ОТМЕНЕНО ЧЕКОВ +1$")).isEmpty());
        QVERIFY(!lineMatching(tape, QStringLiteral("^  НА СУММУ +=99\\.99$")).isEmpty());
    }
}

void TestVregReceipts::correctionReceipts()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.cash(true, 1000), 0);
    struct Case
    {
        int (Driver::*action)();
        int type;
        double drawerAfter;
    };
    for (const Case &c : {Case{&Driver::Correction, 7, 1100}, Case{&Driver::ReturnCorrection, 8, 1000},
                          Case{&Driver::BuyCorrection, 9, 900}, Case{&Driver::BuyReturnCorrection, 10, 1000}}) {
        till.position({QStringLiteral("Коррекция"), 1, 100});
        QVERIFY2((till.get()->*c.action)() == 0, qPrintable(till.result()));
        QCOMPARE(till.chequeState(), c.type);
        QCOMPARE(till.close(0), 0);
        QCOMPARE(till.drawer(), c.drawerAfter);
    }
}

void TestVregReceipts::shiftLimitOf24Hours()
{
    Till till(*m_fptr);
    QVERIFY(till.open());
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.sell({QStringLiteral("Вчерашний"), 1, 10}), 0);
    QCOMPARE(till.close(0), 0);
    const QString settings = till.text(&Driver::DeviceSettings);
    const QString memoryFile = till.dataFolder() + QStringLiteral("/memory.db");
    till.release();

    // The shift was opened 25 hours ago by the device clock.
    {
        SqliteFile memory(memoryFile);
        QVERIFY(memory.exec(QStringLiteral("UPDATE shifts SET opened = '%1' WHERE closed IS NULL")
                                .arg(QDateTime::currentDateTime().addSecs(-25 * 3600).toString(Qt::ISODate))));
        QCOMPARE(memory.value(QStringLiteral("SELECT count(*) FROM shifts WHERE closed IS NULL")), QStringLiteral("1"));
    }

    Till again(*m_fptr);
    QCOMPARE(again.setText(&Driver::DeviceSettings, settings), 0);
    QCOMPARE(again->DeviceEnabled(1), 0);
    QCOMPARE(again.mode(1), 0);
    QVERIFY(again.sell({QStringLiteral("Сегодняшний"), 1, 10}) < 0);
    QCOMPARE(again.code(), -102);
    QVERIFY(again.cash(true, 10) < 0);
    QCOMPARE(again.code(), -102);
    QCOMPARE(again.mode(3), 0);
    QCOMPARE(again.report(1), 0);
    QCOMPARE(again.mode(1), 0);
    QCOMPARE(again.sell({QStringLiteral("Сегодняшний"), 1, 10}), 0);
    QCOMPARE(again.intValue(&Driver::SessionOpened), 1);
}

void TestVregReceipts::memorySurvivesTheDriverObject()
{
    QString settings;
    {
        Till till(*m_fptr);
        QVERIFY(till.open());
        QCOMPARE(till.mode(1), 0);
        QCOMPARE(till.cash(true, 300), 0);
        QCOMPARE(till.sell({QStringLiteral("Первый"), 1, 25}), 0);
        QCOMPARE(till.close(0), 0);
        QCOMPARE(till.sell({QStringLiteral("Второй"), 2, 12.34}), 0);
        QCOMPARE(till.pay(1, 10), 0);
        settings = till.text(&Driver::DeviceSettings);
    }
    Till till(*m_fptr);
    QCOMPARE(till.setText(&Driver::DeviceSettings, settings), 0);
    QCOMPARE(till->DeviceEnabled(1), 0);
    QCOMPARE(till.intValue(&Driver::SessionOpened), 1);
    QCOMPARE(till.chequeState(), 1);
    QCOMPARE(till.summ(), 24.68);
    QCOMPARE(till.doubleValue(&Driver::Remainder), 14.68);
    QCOMPARE(till.intValue(&Driver::ChequeNumber), 2);
    // The receipt left open goes on where it stopped.
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.close(0), 0);
    QCOMPARE(till.drawer(), 339.68);
    QCOMPARE(till.mode(3), 0);
    QCOMPARE(till.report(1), 0);
    QCOMPARE(till.intValue(&Driver::Session), 1);
}

FPTR_TEST_MAIN(TestVregReceipts)
#include "tst_vreg_receipts.moc"
