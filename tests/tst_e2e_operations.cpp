// The operations page against the real virtual register: the window drives
// its default device as a user would (modes, shift, receipts of every type,
// positions, storno, discounts, charges, taxes, payments, cash, fiscal
// properties), and what the register answers must be what the window shows
// and what the register prints must be on its tape.

#include "testmain.h"
#include "vregwindow.h"

namespace {

// A tape line "<label>   =<amount>", indented or not.
QString amountLine(const QString &label, const QString &amount)
{
    return QStringLiteral("^ *%1 +=%2$")
        .arg(QRegularExpression::escape(label), QRegularExpression::escape(amount));
}

// The article fields of the registration tab; the position sum follows.
void article(VregWindow &w, const QString &name, double quantity, double price, int taxKey = 0)
{
    w.type("leCommodityName", name);
    w.setValue("spinQuantity", quantity);
    w.setValue("spinPrice", price);
    w.select("cmbTaxNumber", taxKey);
}

// Registration as cashier 1, with `cash` put into the drawer first (which
// also opens the shift).
bool startRegistration(VregWindow &w, double cash = 0)
{
    if (!w.enterMode(1, QStringLiteral("1")).isEmpty())
        return false;
    if (cash > 0) {
        w.setValue("spinCashSumm", cash);
        w.click("pbtnCashIncome");
    }
    w.markTape();
    return w.error().isEmpty();
}

// The drawer's cash as the window shows it after "Сумма в ДЯ".
double drawer(VregWindow &w)
{
    w.click("pbtnCashGetSumm");
    return w.value("spinCashSumm");
}

} // namespace

class TestE2EOperations : public QObject
{
    Q_OBJECT

private slots:
    void modesAndPasswords_data();
    void modesAndPasswords();
    void modeGate_data();
    void modeGate();
    void shift_data();
    void shift();
    void receiptTypes_data();
    void receiptTypes();
    void receiptOfAnotherType();
    void positionTaxes_data();
    void positionTaxes();
    void positionDetails();
    void positionFlags();
    void positionNameWrap_data();
    void positionNameWrap();
    void storno();
    void discountsAndCharges_data();
    void discountsAndCharges();
    void resetChargeDiscount();
    void discountByNumber();
    void receiptTaxes();
    void paymentsRemainderAndChange();
    void closeWithPaymentType_data();
    void closeWithPaymentType();
    void closeAndCancel();
    void cash();
    void testModes_data();
    void testModes();
    void buyerAddress_data();
    void buyerAddress();
    void fiscalProperties();
};

// ---- modes and passwords through the mode frame

void TestE2EOperations::modesAndPasswords_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("modeLine");
    QTest::addColumn<int>("operatorNumber");

    const QString refused = QStringLiteral("[-21] Недостаточно прав для входа в режим (");
    QTest::newRow("cashier to registration") << 1 << "1" << "" << "Регистрация / Ожидание команды (1.0)" << 1;
    QTest::newRow("leading zeros") << 2 << "0007" << "" << "Х-отчеты / Ожидание команды (2.0)" << 7;
    QTest::newRow("administrator to Z-reports") << 3 << "29" << "" << "Z-отчеты / Ожидание команды (3.0)" << 29;
    QTest::newRow("administrator to programming") << 4 << "29" << ""
                                                  << "Программирование / Ожидание команды (4.0)" << 29;
    QTest::newRow("system administrator to supplementary") << 7 << "58" << "" << "(7.0)" << 30;
    QTest::newRow("nobody's password") << 1 << "12345" << "[-20] Неверный пароль" << "Выбор (0.0)" << 0;
    QTest::newRow("cashier to programming") << 4 << "1" << refused << "Выбор (0.0)" << 0;
    QTest::newRow("administrator to supplementary") << 7 << "29" << refused << "Выбор (0.0)" << 0;
}

void TestE2EOperations::modesAndPasswords()
{
    QFETCH(int, mode);
    QFETCH(QString, password);
    QFETCH(QString, error);
    QFETCH(QString, modeLine);
    QFETCH(int, operatorNumber);

    VregWindow w;
    const QString shown = w.enterMode(mode, password);
    if (error.isEmpty())
        QCOMPARE(shown, QString());
    else
        QVERIFY2(shown.startsWith(error), qPrintable(shown));

    // The status query asks the register where it really is.
    QVERIFY2(w.statusLine("Текущий режим: ").endsWith(modeLine), qPrintable(w.text("teQueryResult")));
    QCOMPARE(w.statusLine("Кассир: "), QString("Кассир: %1").arg(operatorNumber));
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.widget<QComboBox>("cmbMode")->currentData().toInt(), error.isEmpty() ? mode : 0);

    w.click("pbtnResetMode");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.statusLine("Текущий режим: "), QString("Текущий режим: Выбор (0.0)"));
}

// Commands of every page refused outside their mode: the register's message
// on the error line, nothing printed, nothing changed.
void TestE2EOperations::modeGate_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");

    QTest::newRow("open shift in X-reports") << "pbtnOpenSession" << 2 << "1";
    QTest::newRow("open receipt in Z-reports") << "pbtnOpenCheque" << 3 << "29";
    QTest::newRow("sale in selection") << "pbtnSell" << 0 << "";
    QTest::newRow("correction in programming") << "pbtnCorrection" << 4 << "29";
    QTest::newRow("deposit in programming") << "pbtnCashIncome" << 4 << "29";
    QTest::newRow("write value in registration") << "pbtnSetValue" << 1 << "1";
    QTest::newRow("write caption in selection") << "pbtnSetCaption" << 0 << "";
    QTest::newRow("write field in Z-reports") << "pbtnSetField" << 3 << "29";
    QTest::newRow("read a password in registration") << "pbtnGetCaption" << 1 << "1";
    QTest::newRow("serial number in programming") << "pbtnSetSerialNumber" << 4 << "29";
    QTest::newRow("fiscalisation in storage access") << "pbtnFiscalization" << 6 << "29";
    QTest::newRow("activation in fiscal memory access") << "pbtnFNActivation" << 5 << "29";
}

void TestE2EOperations::modeGate()
{
    QFETCH(QString, button);
    QFETCH(int, mode);
    QFETCH(QString, password);

    VregWindow w;
    w.type("leSerialNumber", "00012345");
    w.type("leINN", "7700000009");
    w.type("leMachineNumber", "123");
    w.setValue("spinTableNumber", 2);
    w.setValue("spinRowNumber", 1);
    w.setValue("spinFieldNumber", 1);
    w.select("cmbFieldType", 1);
    w.select("cmbCaptionPurpose", 6);
    if (mode != 0)
        QCOMPARE(w.enterMode(mode, password), QString());
    w.markTape();

    w.click(qPrintable(button));

    QVERIFY2(w.error().startsWith("[-22] Команда недоступна в текущем режиме ("), qPrintable(w.error()));
    QVERIFY2(w.printed().isEmpty(), "a refused command printed");
    QCOMPARE(w.text("lbSessionState"), QString("Смена закрыта"));
    QCOMPARE(w.text("lbChequeState"), QString("Чек закрыт"));
}

// ---- shift

void TestE2EOperations::shift_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("cashier");

    QTest::newRow("the mode's cashier") << "" << "Кассир 1";
    QTest::newRow("another cashier") << "2" << "Кассир 2";
    QTest::newRow("administrator") << "29" << "Администратор";
}

void TestE2EOperations::shift()
{
    QFETCH(QString, password);
    QFETCH(QString, cashier);

    VregWindow w;
    QVERIFY(startRegistration(w));
    w.type("lePassword", password);
    w.type("leSessionCaption", "Смена Иванова");

    w.click("pbtnOpenSession");

    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("lbSessionState"), QString("Смена открыта"));
    const QStringList opening = w.printed();
    QVERIFY2(opening.contains("    ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"), showLines("the opening report", opening));
    QVERIFY2(printedLine(opening, "^СМЕНА +1$"), showLines("the shift number", opening));
    QVERIFY2(printedLine(opening, QString("^КАССИР +%1$").arg(cashier)), showLines(cashier, opening));
    QVERIFY2(opening.contains("Смена Иванова"), showLines("the caption", opening));
    QVERIFY2(opening.last().contains("неполная отрезка"), showLines("the cut", opening));

    w.click("pbtnOpenSession");
    QVERIFY2(w.error().startsWith("[-101] Смена уже открыта"), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());

    // Z-report closes it.
    QCOMPARE(w.enterMode(3, "29"), QString());
    w.select("cmbRegistrationReportType", 1);
    w.click("pbtnRegistrationReport");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("lbSessionState"), QString("Смена закрыта"));
    QVERIFY(w.printed().contains("     ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ"));
    QCOMPARE(w.statusLine("Номер последней закрытой смены: "), QString("Номер последней закрытой смены: 1"));
}

// ---- receipts of every type

void TestE2EOperations::receiptTypes_data()
{
    QTest::addColumn<int>("chequeType");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("cashDirection"); // +1 the drawer gains the total, -1 pays it out

    QTest::newRow("sale") << 1 << "pbtnSell" << "Чек продажи / прихода" << "КАССОВЫЙ ЧЕК" << "ПРИХОД" << 1;
    QTest::newRow("sale return") << 2 << "pbtnSellReturn" << "Чек возврата\nпродажи / прихода"
                                 << "КАССОВЫЙ ЧЕК" << "ВОЗВРАТ ПРИХОДА" << -1;
    QTest::newRow("sale annulment") << 3 << "pbtnSellAnnulate" << "Чек аннулир. прод." << "КАССОВЫЙ ЧЕК"
                                    << "АННУЛИРОВАНИЕ ПРИХОДА" << -1;
    QTest::newRow("purchase") << 4 << "pbtnBuy" << "Чек покупки / расхода" << "КАССОВЫЙ ЧЕК" << "РАСХОД" << -1;
    QTest::newRow("purchase return") << 5 << "pbtnBuyReturn" << "Чек возврата\nпокупки / расхода"
                                     << "КАССОВЫЙ ЧЕК" << "ВОЗВРАТ РАСХОДА" << 1;
    QTest::newRow("purchase annulment") << 6 << "pbtnBuyAnnulate" << "Чек аннулир. покупки" << "КАССОВЫЙ ЧЕК"
                                        << "АННУЛИРОВАНИЕ РАСХОДА" << 1;
    QTest::newRow("sale correction") << 7 << "pbtnCorrection" << "Чек коррекции прихода" << "ЧЕК КОРРЕКЦИИ"
                                     << "КОРРЕКЦИЯ ПРИХОДА" << 1;
    QTest::newRow("sale return correction") << 8 << "pbtnReturnCorrection" << "Чек коррекции\nвозврата прихода"
                                            << "ЧЕК КОРРЕКЦИИ" << "КОРРЕКЦИЯ ВОЗВРАТА ПРИХОДА" << -1;
    QTest::newRow("purchase correction") << 9 << "pbtnBuyCorrection" << "Чек коррекции расхода" << "ЧЕК КОРРЕКЦИИ"
                                         << "КОРРЕКЦИЯ РАСХОДА" << -1;
    QTest::newRow("purchase return correction") << 10 << "pbtnBuyReturnCorrection"
                                                << "Чек коррекции\nвозврата расхода" << "ЧЕК КОРРЕКЦИИ"
                                                << "КОРРЕКЦИЯ ВОЗВРАТА РАСХОДА" << 1;
}

// Each type twice: opened by its position (the first receipt) and by "Открыть
// чек" with the type chosen (the second).
void TestE2EOperations::receiptTypes()
{
    QFETCH(int, chequeType);
    QFETCH(QString, button);
    QFETCH(QString, state);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(int, cashDirection);

    VregWindow w;
    QVERIFY(startRegistration(w, 1000));
    article(w, "Хлеб", 2, 25.5, 3);
    w.select("cmbPaymentType", 0);

    for (int round = 1; round <= 2; ++round) {
        if (round == 2) {
            w.select("cmbChequeType", chequeType);
            w.click("pbtnOpenCheque");
            QCOMPARE(w.error(), QString());
            QCOMPARE(w.text("lbChequeState"), state);
        }
        w.click(qPrintable(button));
        QCOMPARE(w.error(), QString());
        QCOMPARE(w.text("lbChequeState"), state);
        w.click("pbtnCloseCheque");
        QCOMPARE(w.error(), QString());
        QCOMPARE(w.text("lbChequeState"), QString("Чек закрыт"));

        const QStringList receipt = w.printed();
        QVERIFY2(printedLine(receipt, QString("^ *%1$").arg(kind)), showLines(kind, receipt));
        QVERIFY2(printedLine(receipt, QString("^ *%1$").arg(title)), showLines(title, receipt));
        QVERIFY2(printedLine(receipt, QString("^ЧЕК %1 +СМЕНА 1$").arg(round)), showLines("the number", receipt));
        QVERIFY2(receipt.contains("Хлеб"), showLines("the article", receipt));
        QVERIFY2(printedLine(receipt, amountLine("2.000 x 25.50", "51.00")), showLines("the position", receipt));
        QVERIFY2(printedLine(receipt, amountLine("ИТОГ", "51.00")), showLines("the total", receipt));
        QVERIFY2(printedLine(receipt, amountLine("Наличными", "51.00")), showLines("the payment", receipt));
        QCOMPARE(drawer(w), 1000 + round * cashDirection * 51.0);
        QCOMPARE(w.statusLine("Номер чека: "), QString("Номер чека: %1").arg(round));
    }
}

void TestE2EOperations::receiptOfAnotherType()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    w.select("cmbChequeType", 2);
    w.click("pbtnOpenCheque");
    QCOMPARE(w.error(), QString());

    w.click("pbtnSell");
    QVERIFY2(w.error().startsWith("[-105] Открыт чек другого типа ("), qPrintable(w.error()));
    w.click("pbtnBuyCorrection");
    QVERIFY2(w.error().startsWith("[-105] Открыт чек другого типа ("), qPrintable(w.error()));
    w.click("pbtnOpenCheque");
    QVERIFY2(w.error().startsWith("[-106] Операция невозможна при открытом чеке"), qPrintable(w.error()));
    QCOMPARE(w.text("lbChequeState"), QString("Чек возврата\nпродажи / прихода"));

    // A receipt left open keeps the register in registration.
    QVERIFY2(w.enterMode(4, "29").startsWith("[-23] Открыт чек: смена режима невозможна"), qPrintable(w.error()));
    w.click("pbtnResetMode");
    QVERIFY2(w.error().startsWith("[-23] Открыт чек: смена режима невозможна"), qPrintable(w.error()));
}

// ---- positions

void TestE2EOperations::positionTaxes_data()
{
    QTest::addColumn<int>("taxKey");
    QTest::addColumn<int>("department");
    QTest::addColumn<QString>("positionTax");
    QTest::addColumn<QString>("receiptTax");

    // 121.00 a position; prices include the tax.
    const auto row = [](const char *name, int taxKey, int department, const QString &taxName,
                        const QString &tax, const QString &receiptTax) {
        QTest::newRow(name) << taxKey << department << amountLine(taxName, tax)
                            << amountLine("СУММА " + taxName, receiptTax);
    };
    row("by department 0", 0, 0, "НДС 20%", "20.17", "20.17");
    row("by department 5", 0, 5, "НДС 20%", "20.17", "20.17");
    // The untaxed rates total the sum they cover.
    row("НДС 0%", 1, 0, "НДС 0%", "0.00", "121.00");
    row("НДС 10%", 2, 0, "НДС 10%", "11.00", "11.00");
    row("НДС 20%", 3, 0, "НДС 20%", "20.17", "20.17");
    QTest::newRow("без НДС") << 4 << 0 << "^  БЕЗ НДС$" << amountLine("СУММА БЕЗ НДС", "121.00");
    row("НДС 10/110", 5, 0, "НДС 10/110", "11.00", "11.00");
    row("НДС 20/120", 6, 0, "НДС 20/120", "20.17", "20.17");
}

void TestE2EOperations::positionTaxes()
{
    QFETCH(int, taxKey);
    QFETCH(int, department);
    QFETCH(QString, positionTax);
    QFETCH(QString, receiptTax);

    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Сыр", 1, 121, taxKey);
    w.setValue("spinDepartment", department);

    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    const QStringList position = w.printed();
    QVERIFY2(printedLine(position, positionTax), showLines(positionTax, position));
    if (department > 0)
        QVERIFY2(position.contains(QString("  Секция %1").arg(department)), showLines("the department", position));

    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    const QStringList totals = w.printed();
    QVERIFY2(printedLine(totals, receiptTax), showLines(receiptTax, totals));
}

// What the detail fields of the position become on the receipt.
void TestE2EOperations::positionDetails()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Услуга доставки", 2.345, 5.5, 3);
    w.setValue("spinPositionType", 4);
    w.setValue("spinPositionPaymentType", 1);
    w.type("lePositionClassifier", "4607001234567");
    w.setValue("spinPositionDiscountInfo", 1.5);
    w.setValue("spinTaxSum", 0.5);
    w.select("cmbTaxMode", 1);

    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    QStringList lines = w.printed();
    QVERIFY2(printedLine(lines, amountLine("2.345 x 5.50", "12.90")), showLines("quantity x price", lines));
    QVERIFY2(lines.contains("  УСЛУГА"), showLines("the position type", lines));
    QVERIFY2(lines.contains("  ПРЕДОПЛАТА 100%"), showLines("the payment kind", lines));
    QVERIFY2(printedLine(lines, "^  КОД ТОВАРА +4607001234567$"), showLines("the classifier", lines));
    QVERIFY2(printedLine(lines, amountLine("В Т.Ч. СКИДКА", "1.50")), showLines("the discount note", lines));
    // The tax sum per unit, times the quantity.
    QVERIFY2(printedLine(lines, amountLine("НДС 20%", "1.17")), showLines("the given tax", lines));

    // A sum typed by hand is the position's total; the tax sum per position.
    w.setValue("spinPositionSum", 10);
    w.select("cmbTaxMode", 0);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    lines = w.printed();
    QVERIFY2(printedLine(lines, amountLine("2.345 x 5.50", "10.00")), showLines("the typed sum", lines));
    QVERIFY2(printedLine(lines, amountLine("НДС 20%", "0.50")), showLines("the given tax", lines));

    // Only the rate: the given tax sum is ignored.
    w.check("cbUseOnlyTaxNumber", true);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    lines = w.printed();
    QVERIFY2(printedLine(lines, amountLine("НДС 20%", "1.67")), showLines("the computed tax", lines));

    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), amountLine("ИТОГ", "32.90")));
}

// Piece goods, printing off and the drawer check.
void TestE2EOperations::positionFlags()
{
    VregWindow w;
    QVERIFY(startRegistration(w, 10));

    w.check("cbPiece", true);
    w.click("pbtnSell");
    QVERIFY2(w.error().startsWith("[-111] Неверное количество ("), qPrintable(w.error()));
    QCOMPARE(w.text("lbChequeState"), QString("Чек закрыт"));
    w.setValue("spinQuantity", 2);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    w.click("pbtnCancelCheque");
    QCOMPARE(w.error(), QString());
    w.check("cbPiece", false);
    w.printed();

    // A receipt opened without printing is registered but never printed.
    w.check("cbPrintCheck", false);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("lbChequeState"), QString("Чек продажи / прихода"));
    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    QVERIFY2(w.printed().isEmpty(), "a receipt without printing printed");
    QCOMPARE(drawer(w), 21.0);
    w.check("cbPrintCheck", true);

    // Paying out more than the drawer holds: refused at once with the check,
    // at closing without it.
    article(w, "Возврат", 1, 30);
    w.check("cbCheckSumm", true);
    w.click("pbtnSellReturn");
    QVERIFY2(w.error().startsWith("[-120] Недостаточно наличности в кассе ("), qPrintable(w.error()));
    QCOMPARE(w.text("lbChequeState"), QString("Чек закрыт"));
    w.check("cbCheckSumm", false);
    w.click("pbtnSellReturn");
    QCOMPARE(w.error(), QString());
    w.click("pbtnCloseCheque");
    QVERIFY2(w.error().startsWith("[-120] Недостаточно наличности в кассе ("), qPrintable(w.error()));
    QCOMPARE(w.text("lbChequeState"), QString("Чек возврата\nпродажи / прихода"));
}

void TestE2EOperations::positionNameWrap_data()
{
    QTest::addColumn<int>("wrap");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("cut") << 0 << QStringList{"Молоко ультрапастеризованное 3,2"};
    QTest::newRow("by words") << 1 << QStringList{"Молоко ультрапастеризованное 3,2", "% жирности, 1 литр"};
    QTest::newRow("by characters") << 2 << QStringList{"Молоко ультрапастеризованное 3,2", " % жирности, 1 литр"};
}

void TestE2EOperations::positionNameWrap()
{
    QFETCH(int, wrap);
    QFETCH(QStringList, lines);

    VregWindow w;
    QVERIFY(startRegistration(w));
    w.click("pbtnSell");
    w.printed();
    w.type("leCommodityName", "Молоко ультрапастеризованное 3,2 % жирности, 1 литр");
    w.select("cmbCommodityNameWrap", wrap);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    const QStringList printed = w.printed();
    QCOMPARE(printed.mid(0, lines.size()), lines);
    QVERIFY2(printed.value(lines.size()).startsWith("  2.345 x 5.50"), showLines("the position", printed));
}

void TestE2EOperations::storno()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Хлеб", 3, 40);
    w.click("pbtnSell");
    article(w, "Молоко", 2, 80);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    w.printed();

    article(w, "Хлеб", 1, 40);
    w.click("pbtnStorno");
    QCOMPARE(w.error(), QString());
    const QStringList storno = w.printed();
    QVERIFY2(printedLine(storno, "^ +СТОРНО$"), showLines("the storno", storno));
    QVERIFY2(printedLine(storno, amountLine("1.000 x 40.00", "-40.00")), showLines("its sum", storno));
    QCOMPARE(w.text("lbChequeState"), QString("Чек продажи / прихода"));

    // No such position: another price, or more than there is.
    w.setValue("spinPrice", 41);
    w.click("pbtnStorno");
    QVERIFY2(w.error().startsWith("[-121] Позиция для сторно не найдена ("), qPrintable(w.error()));
    article(w, "Хлеб", 3, 40);
    w.click("pbtnStorno");
    QVERIFY2(w.error().startsWith("[-121] Позиция для сторно не найдена ("), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());

    // The whole quantity removes the position.
    article(w, "Молоко", 2, 80);
    w.click("pbtnStorno");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.statusLine("Текущая сумма чека: "), QString("Текущая сумма чека: 80"));
    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), amountLine("ИТОГ", "80.00")));
}

// ---- discounts, charges, taxes

void TestE2EOperations::discountsAndCharges_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("discountType");
    QTest::addColumn<int>("destination");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("total");

    // A receipt of 120.00 (bread) and 160.00 (milk, the last position).
    QTest::newRow("discount sum on receipt") << "pbtnDiscount" << 0 << 0 << 30.0 << "" << "-30.00" << "250.00";
    QTest::newRow("discount percent on receipt") << "pbtnDiscount" << 1 << 0 << 5.0 << "" << "-14.00" << "266.00";
    QTest::newRow("discount sum on position") << "pbtnDiscount" << 0 << 1 << 10.0 << "" << "-10.00" << "270.00";
    QTest::newRow("discount percent on position") << "pbtnDiscount" << 1 << 1 << 10.0 << "" << "-16.00" << "264.00";
    QTest::newRow("charge sum on receipt") << "pbtnCharge" << 0 << 0 << 5.0 << "" << "5.00" << "285.00";
    QTest::newRow("charge percent on position") << "pbtnCharge" << 1 << 1 << 50.0 << "" << "80.00" << "360.00";
    QTest::newRow("discount above the receipt") << "pbtnDiscount" << 0 << 0 << 1000.0
                                                << "[-122] Скидка/надбавка больше суммы, на которую начисляется ("
                                                << "" << "280.00";
    QTest::newRow("discount above the position") << "pbtnDiscount" << 0 << 1 << 200.0
                                                 << "[-122] Скидка/надбавка больше суммы, на которую начисляется ("
                                                 << "" << "280.00";
    QTest::newRow("percent above 100") << "pbtnDiscount" << 1 << 0 << 101.0
                                       << "[-118] Неверные параметры скидки/надбавки" << "" << "280.00";
}

void TestE2EOperations::discountsAndCharges()
{
    QFETCH(QString, button);
    QFETCH(int, discountType);
    QFETCH(int, destination);
    QFETCH(double, value);
    QFETCH(QString, error);
    QFETCH(QString, amount);
    QFETCH(QString, total);

    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Хлеб", 3, 40);
    w.click("pbtnSell");
    article(w, "Молоко", 2, 80);
    w.click("pbtnSell");
    w.printed();

    w.select("cmbDiscountType", discountType);
    w.select("cmbDestination", destination);
    w.setValue("spinDiscountValue", value);
    w.click(qPrintable(button));

    const QStringList lines = w.printed();
    if (error.isEmpty()) {
        QCOMPARE(w.error(), QString());
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith(" =" + amount), showLines(amount, lines));
        QVERIFY(lines.first().startsWith(button == "pbtnDiscount" ? "СКИДКА" : "НАДБАВКА"));
    } else {
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
        QVERIFY2(lines.isEmpty(), showLines("nothing", lines));
    }
    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    QVERIFY2(printedLine(w.printed(), amountLine("ИТОГ", total)), qPrintable(total));
}

void TestE2EOperations::resetChargeDiscount()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Хлеб", 3, 40);
    w.click("pbtnSell");
    w.click("pbtnResetChargeDiscount");
    QVERIFY2(w.error().startsWith("[-123] Нет скидки/надбавки для отмены"), qPrintable(w.error()));

    w.select("cmbDiscountType", 0);
    w.select("cmbDestination", 0);
    w.setValue("spinDiscountValue", 20);
    w.click("pbtnDiscount");
    w.setValue("spinDiscountValue", 7);
    w.click("pbtnCharge");
    QCOMPARE(w.error(), QString());
    w.printed();

    // The last one goes first.
    w.click("pbtnResetChargeDiscount");
    QCOMPARE(w.error(), QString());
    QStringList lines = w.printed();
    QVERIFY2(printedLine(lines, "^ОТМЕНА НАДБАВКИ +=-7\\.00$"), showLines("the charge taken back", lines));
    w.click("pbtnResetChargeDiscount");
    QCOMPARE(w.error(), QString());
    lines = w.printed();
    QVERIFY2(printedLine(lines, "^ОТМЕНА СКИДКИ.* =20\\.00$"), showLines("the discount taken back", lines));
    w.click("pbtnResetChargeDiscount");
    QVERIFY2(w.error().startsWith("[-123] Нет скидки/надбавки для отмены"), qPrintable(w.error()));

    w.click("pbtnCloseCheque");
    QVERIFY(printedLine(w.printed(), amountLine("ИТОГ", "120.00")));
}

// The discount's number names it on the receipt by its caption.
void TestE2EOperations::discountByNumber()
{
    VregWindow w;
    QCOMPARE(w.enterMode(4, "29"), QString());
    w.select("cmbCaptionPurpose", 208);
    w.type("leCaption", "Карта постоянного покупателя");
    w.click("pbtnSetCaption");
    QCOMPARE(w.error(), QString());
    QVERIFY(startRegistration(w));
    w.click("pbtnSell");
    w.printed();

    w.select("cmbDiscountType", 1);
    w.select("cmbDestination", 0);
    w.setValue("spinDiscountValue", 10);
    w.setValue("spinDiscountNumber", 2);
    w.click("pbtnDiscount");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), (QStringList{"Карта постоянного покупателя", "СКИДКА НА ЧЕК 10.00%      =-1.29"}));

    w.setValue("spinDiscountNumber", 17);
    w.click("pbtnDiscount");
    QVERIFY2(w.error().startsWith("[-118] Неверные параметры скидки/надбавки ("), qPrintable(w.error()));
}

void TestE2EOperations::receiptTaxes()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Хлеб", 3, 40, 3);
    w.click("pbtnSell");
    article(w, "Молоко", 1, 110, 2);
    w.click("pbtnSell");
    w.printed();

    // A tax on the receipt, computed from the total (230.00 at 20 %).
    w.select("cmbDestination", 0);
    w.select("cmbReceiptTaxNumber", 3);
    w.setValue("spinDiscountValue", 0);
    w.click("pbtnTax");
    QCOMPARE(w.error(), QString());
    QVERIFY2(printedLine(w.printed(), amountLine("НАЛОГ НА ЧЕК НДС 20%", "38.33")), "the receipt tax");

    // Taking back a rate the receipt has not got, then the right one.
    w.select("cmbReceiptTaxNumber", 2);
    w.click("pbtnStornoTax");
    QVERIFY2(w.error().startsWith("[-124] Налог для отмены не найден ("), qPrintable(w.error()));
    w.select("cmbReceiptTaxNumber", 3);
    w.click("pbtnStornoTax");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), amountLine("ОТМЕНА НАЛОГА НДС 20%", "-38.33")));

    // Rates without an amount take none.
    w.select("cmbReceiptTaxNumber", 4);
    w.setValue("spinDiscountValue", 5);
    w.click("pbtnTax");
    QVERIFY2(w.error().startsWith("[-113] Неверная сумма"), qPrintable(w.error()));

    // A rate for the last position: the milk moves from 10 % to 20/120.
    w.select("cmbDestination", 1);
    w.select("cmbReceiptTaxNumber", 6);
    w.setValue("spinDiscountValue", 0);
    w.click("pbtnTax");
    QCOMPARE(w.error(), QString());
    w.printed();

    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    const QStringList totals = w.printed();
    QVERIFY2(printedLine(totals, amountLine("СУММА НДС 20%", "20.00")), showLines("the bread's tax", totals));
    QVERIFY2(printedLine(totals, amountLine("СУММА НДС 20/120", "18.33")), showLines("the milk's tax", totals));
    QVERIFY2(!printedLine(totals, "СУММА НДС 10%"), showLines("no 10 %", totals));
}

// ---- payments

void TestE2EOperations::paymentsRemainderAndChange()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    article(w, "Чипсы", 2.345, 5.5, 1);
    w.click("pbtnSell");
    article(w, "Пиво", 1, 100, 3);
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());

    struct Step
    {
        const char *button;
        int type;
        double sum;
        const char *error;
        double remainder;
        double change;
    };
    const Step steps[] = {
        {"pbtnPayment", 1, 1000, "[-125] Безналичная оплата больше суммы к оплате (", 0, 0},
        {"pbtnPayment", 1, 50, "", 62.90, 0},
        {"pbtnStornoPayment", 1, 20, "", 82.90, 0},
        {"pbtnStornoPayment", 1, 100, "[-126] Сумма отмены больше оплаченной", 82.90, 0},
        {"pbtnStornoPayment", 0, 1, "[-126] Сумма отмены больше оплаченной", 82.90, 0},
        {"pbtnPayment", 0, 100, "", 0, 17.10},
    };
    for (const Step &step : steps) {
        const QByteArray where = QByteArray(step.button) + " " + QByteArray::number(step.sum);
        w.select("cmbPaymentType", step.type);
        w.setValue("spinPaymentSumm", step.sum);
        w.click(step.button);
        if (*step.error) {
            QVERIFY2(w.error().startsWith(QString::fromUtf8(step.error)), qPrintable(where + ": " + w.error()));
            continue;
        }
        QVERIFY2(w.error().isEmpty(), qPrintable(where + ": " + w.error()));
        QCOMPARE(w.value("spinRemainder"), step.remainder);
        QCOMPARE(w.value("spinChange"), step.change);
    }

    // Paid: no more positions.
    w.click("pbtnSell");
    QVERIFY2(w.error().startsWith("[-107] Идет оплата чека ("), qPrintable(w.error()));

    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    const QStringList totals = w.printed();
    QVERIFY2(printedLine(totals, amountLine("ИТОГ", "112.90")), showLines("the total", totals));
    QVERIFY2(printedLine(totals, amountLine("Наличными", "100.00")), showLines("cash", totals));
    QVERIFY2(printedLine(totals, amountLine("Безналичными", "30.00")), showLines("non-cash", totals));
    QVERIFY2(printedLine(totals, amountLine("СДАЧА", "17.10")), showLines("the change", totals));
    QCOMPARE(drawer(w), 82.90);
}

void TestE2EOperations::closeWithPaymentType_data()
{
    QTest::addColumn<int>("paymentType");
    QTest::addColumn<QString>("printedAs");

    QTest::newRow("cash") << 0 << "Наличными";
    QTest::newRow("type 1") << 1 << "Безналичными";
    QTest::newRow("type 2") << 2 << "Предоплата";
    QTest::newRow("type 9") << 9 << "Тип оплаты 10";
}

// Closing without payments pays what is due with the chosen type.
void TestE2EOperations::closeWithPaymentType()
{
    QFETCH(int, paymentType);
    QFETCH(QString, printedAs);

    VregWindow w;
    QVERIFY(startRegistration(w));
    w.click("pbtnSell");
    w.select("cmbPaymentType", paymentType);
    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    const QStringList totals = w.printed();
    QVERIFY2(printedLine(totals, amountLine(printedAs, "12.90")), showLines(printedAs, totals));
    QCOMPARE(drawer(w), paymentType == 0 ? 12.90 : 0.0);
}

void TestE2EOperations::closeAndCancel()
{
    VregWindow w;
    QVERIFY(startRegistration(w));

    w.click("pbtnCloseCheque");
    QVERIFY2(w.error().startsWith("[-104] Чек не открыт"), qPrintable(w.error()));
    w.click("pbtnCancelCheque");
    QVERIFY2(w.error().startsWith("[-104] Чек не открыт"), qPrintable(w.error()));

    w.select("cmbChequeType", 1);
    w.click("pbtnOpenCheque");
    w.click("pbtnCloseCheque");
    QVERIFY2(w.error().startsWith("[-108] В чеке нет позиций"), qPrintable(w.error()));
    w.select("cmbPaymentType", 0);
    w.setValue("spinPaymentSumm", 10);
    w.click("pbtnPayment");
    QVERIFY2(w.error().startsWith("[-108] В чеке нет позиций"), qPrintable(w.error()));

    w.click("pbtnSell");
    w.printed();
    w.click("pbtnCancelCheque");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("lbChequeState"), QString("Чек закрыт"));
    const QStringList cancelled = w.printed();
    QVERIFY2(printedLine(cancelled, "^ +ЧЕК ОТМЕНЕН$"), showLines("the cancellation", cancelled));
    QVERIFY2(printedLine(cancelled, amountLine("ИТОГ", "12.90")), showLines("its total", cancelled));
    QCOMPARE(drawer(w), 0.0);

    // The cancelled receipt's number goes to the next one.
    w.click("pbtnSell");
    QVERIFY(printedLine(w.printed(), "^ЧЕК 1 +СМЕНА 1$"));
    w.click("pbtnCancelCheque");
    QCOMPARE(w.error(), QString());
}

// ---- cash

void TestE2EOperations::cash()
{
    VregWindow w;
    QVERIFY(startRegistration(w));
    QCOMPARE(drawer(w), 0.0);
    w.printed();

    struct Step
    {
        const char *button;
        double sum;
        const char *error;
        const char *title;
        double left;
    };
    const Step steps[] = {
        {"pbtnCashIncome", 500, "", "ВНЕСЕНИЕ", 500},
        {"pbtnCashOutcome", 120.5, "", "ВЫПЛАТА", 379.5},
        {"pbtnCashOutcome", 1000, "[-120] Недостаточно наличности в кассе (", "", 379.5},
        {"pbtnCashIncome", 0, "[-113] Неверная сумма", "", 379.5},
    };
    for (const Step &step : steps) {
        const QByteArray where = QByteArray(step.button) + " " + QByteArray::number(step.sum);
        w.setValue("spinCashSumm", step.sum);
        w.click(step.button);
        const QStringList lines = w.printed();
        if (*step.error) {
            QVERIFY2(w.error().startsWith(QString::fromUtf8(step.error)), qPrintable(where + ": " + w.error()));
            QVERIFY2(lines.isEmpty(), qPrintable(where));
        } else {
            QVERIFY2(w.error().isEmpty(), qPrintable(where + ": " + w.error()));
            QVERIFY2(printedLine(lines, QString("^ +%1$").arg(step.title)), showLines(step.title, lines));
            QVERIFY2(printedLine(lines, amountLine("СУММА", QString::number(step.sum, 'f', 2))),
                     showLines("the sum", lines));
            QVERIFY2(printedLine(lines, amountLine("НАЛИЧНЫХ В КАССЕ", QString::number(step.left, 'f', 2))),
                     showLines("the cash left", lines));
        }
        QCOMPARE(drawer(w), step.left);
    }

    // Not while a receipt is open.
    w.click("pbtnSell");
    w.setValue("spinCashSumm", 10);
    w.click("pbtnCashIncome");
    QVERIFY2(w.error().startsWith("[-106] Операция невозможна при открытом чеке"), qPrintable(w.error()));
    // ... but the sum can always be asked.
    QCOMPARE(drawer(w), 379.5);
    QCOMPARE(w.error(), QString());
}

// With a test-mode box checked the register checks and does nothing.
void TestE2EOperations::testModes_data()
{
    QTest::addColumn<QString>("checkBox");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("inReceipt");

    QTest::newRow("open shift") << "cbRegistrationTestMode" << "pbtnOpenSession" << false;
    QTest::newRow("sale") << "cbRegistrationTestMode" << "pbtnSell" << false;
    QTest::newRow("open receipt") << "cbRegistrationTestMode" << "pbtnOpenCheque" << false;
    QTest::newRow("purchase correction") << "cbRegistrationTestMode" << "pbtnBuyCorrection" << false;
    QTest::newRow("payment") << "cbRegistrationTestMode" << "pbtnPayment" << true;
    QTest::newRow("close") << "cbRegistrationTestMode" << "pbtnCloseCheque" << true;
    QTest::newRow("discount") << "cbDiscountTestMode" << "pbtnDiscount" << true;
    QTest::newRow("charge") << "cbDiscountTestMode" << "pbtnCharge" << true;
    QTest::newRow("deposit") << "cbCashTestMode" << "pbtnCashIncome" << false;
}

void TestE2EOperations::testModes()
{
    QFETCH(QString, checkBox);
    QFETCH(QString, button);
    QFETCH(bool, inReceipt);

    VregWindow w;
    QVERIFY(startRegistration(w));
    if (inReceipt) {
        w.click("pbtnSell");
        QCOMPARE(w.error(), QString());
    }
    w.setValue("spinPaymentSumm", 5);
    w.markTape();
    const QString sessionBefore = w.text("lbSessionState");
    const QString chequeBefore = w.text("lbChequeState");

    w.check(qPrintable(checkBox), true);
    w.click(qPrintable(button));

    QCOMPARE(w.error(), QString());
    QVERIFY2(w.printed().isEmpty(), "a test-mode command printed");
    QCOMPARE(w.text("lbSessionState"), sessionBefore);
    QCOMPARE(w.text("lbChequeState"), chequeBefore);
    QCOMPARE(drawer(w), 0.0);
    QCOMPARE(w.statusLine("Текущая сумма чека: "),
             QString("Текущая сумма чека: %1").arg(inReceipt ? "12.9" : "0"));
}

// ---- fiscal properties

void TestE2EOperations::buyerAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("printedAs");

    QTest::newRow("e-mail") << "ivan@example.ru" << "" << "ЭЛ. АДР. ПОКУПАТЕЛЯ";
    QTest::newRow("phone") << "+7 (912) 345-67-89" << "" << "ТЕЛ. ПОКУПАТЕЛЯ";
    QTest::newRow("neither") << "Иван" << "[-129] Неверное значение реквизита (" << "";
    QTest::newRow("too short a number") << "12345" << "[-129] Неверное значение реквизита (" << "";
}

// The buyer's address written before the receipt goes with the next receipt,
// is printed, and reads back from the fiscal document.
void TestE2EOperations::buyerAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, error);
    QFETCH(QString, printedAs);

    VregWindow w;
    QVERIFY(startRegistration(w));
    w.type("leUserAddressFiscalProperty", address);
    w.click("pbtnRecWriteFiscalProperty");
    if (!error.isEmpty()) {
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
        return;
    }
    QCOMPARE(w.error(), QString());

    w.click("pbtnSell");
    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    const QStringList receipt = w.printed();
    const int label = int(receipt.indexOf(printedAs));
    QVERIFY2(label >= 0, showLines(printedAs, receipt));
    QCOMPARE(receipt.value(label + 1).trimmed(), address);

    w.setValue("spinFiscalPropertyNumber", 1008);
    w.select("cmbFiscalPropertyType", 5);
    w.click("pbtnReadFiscalProperty");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leFiscalPropertyValue"), address);

    // The next receipt goes without it.
    w.click("pbtnSell");
    w.click("pbtnCloseCheque");
    QVERIFY(!w.printed().contains(printedAs));
    w.click("pbtnReadFiscalProperty");
    QVERIFY2(w.error().startsWith("[-130] Реквизит не найден в последнем документе ("), qPrintable(w.error()));
}

void TestE2EOperations::fiscalProperties()
{
    VregWindow w;
    QVERIFY(startRegistration(w));

    // A buyer address waiting for the next receipt, dropped.
    w.type("leUserAddressFiscalProperty", "ivan@example.ru");
    w.click("pbtnRecWriteFiscalProperty");
    w.click("pbtnResetFiscalProperties");
    QCOMPARE(w.error(), QString());

    // A printed property of the next position.
    w.setValue("spinPosFiscalPropertyNumber", 1212);
    w.select("cmbPosFiscalPropertyType", 1);
    w.type("lePosFiscalPropertyValue", "4");
    w.check("cbPosFiscalPropertyPrint", true);
    w.click("pbtnAddFiscalProperty");
    QCOMPARE(w.error(), QString());
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), "^РЕКВИЗИТ 1212 +4$"));

    // Values that do not fit their type.
    w.select("cmbPosFiscalPropertyType", 1);
    w.type("lePosFiscalPropertyValue", "256");
    w.click("pbtnAddFiscalProperty");
    QVERIFY2(w.error().startsWith("[-129] Неверное значение реквизита ("), qPrintable(w.error()));
    w.setValue("spinPosFiscalPropertyNumber", 999);
    w.type("lePosFiscalPropertyValue", "1");
    w.click("pbtnAddFiscalProperty");
    QVERIFY2(w.error().startsWith("[-127] Неверный номер реквизита ("), qPrintable(w.error()));

    // A user's own tag needs the user flag.
    w.setValue("spinFiscalPropertyNumber", 5000);
    w.select("cmbFiscalPropertyType", 5);
    w.type("leFiscalPropertyValue", "Бонусная карта 77");
    w.check("cbFiscalPropertyPrint", false);
    w.check("cbFiscalPropertyUser", false);
    w.click("pbtnWriteFiscalProperty");
    QVERIFY2(w.error().startsWith("[-127] Неверный номер реквизита ("), qPrintable(w.error()));
    w.check("cbFiscalPropertyUser", true);
    w.click("pbtnWriteFiscalProperty");
    QCOMPARE(w.error(), QString());

    w.click("pbtnCloseCheque");
    QCOMPARE(w.error(), QString());
    QVERIFY(!w.printed().contains("ЭЛ. АДР. ПОКУПАТЕЛЯ"));

    // The position's property has no user flag on the form, so the flag of
    // the receipt's property above must not make a tag outside 1000..1999 a
    // user's tag.
    w.setValue("spinPosFiscalPropertyNumber", 999);
    w.select("cmbPosFiscalPropertyType", 5);
    w.type("lePosFiscalPropertyValue", "1");
    w.click("pbtnAddFiscalProperty");
    QVERIFY2(w.error().startsWith("[-127] Неверный номер реквизита ("), qPrintable(w.error()));
    w.click("pbtnResetFiscalProperties");

    // What the closed receipt carries, read back through the window.
    struct Read
    {
        int tag;
        int type;
        const char *value;
        const char *error;
    };
    const Read reads[] = {
        {1020, 5, "12.90", ""},
        {1042, 5, "1", ""},
        {1038, 5, "1", ""},
        {5000, 5, "Бонусная карта 77", ""},
        {1008, 5, "", "[-130] Реквизит не найден в последнем документе ("},
        {1212, 5, "", "[-130] Реквизит не найден в последнем документе ("},
    };
    for (const Read &read : reads) {
        w.setValue("spinFiscalPropertyNumber", read.tag);
        w.select("cmbFiscalPropertyType", read.type);
        w.click("pbtnReadFiscalProperty");
        if (*read.error) {
            QVERIFY2(w.error().startsWith(QString::fromUtf8(read.error)), qPrintable(w.error()));
        } else {
            QVERIFY2(w.error().isEmpty(), qPrintable(QString::number(read.tag) + ": " + w.error()));
            QCOMPARE(w.text("leFiscalPropertyValue"), QString::fromUtf8(read.value));
        }
    }
}

FPTR_TEST_MAIN(TestE2EOperations)
#include "tst_e2e_operations.moc"
