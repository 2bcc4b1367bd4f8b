// The print, programming, fiscal-storage and service pages and the status
// query against the real virtual register: the window drives its default
// device as a user would, shows what the register answers and the
// register's own messages, and what it prints is on the register's tape.

#include "testmain.h"
#include "vregwindow.h"

#include <QElapsedTimer>
#include <QStatusBar>

namespace {

const QChar DoubleWidth(0x00BB);
const QChar Picture(0x00B6);
const QChar Barcode(0x00A5);

const QStringList FactoryHeader = {
    "         ООО «Колосок»",
    "       Магазин «Колосок»",
    "   г. Энск, ул. Полевая, д. 1",
    "     Тел. 8 (000) 000-00-00",
};
const QString PartialCut = QStringLiteral("------ ✂ неполная отрезка ------");
const QString FullCut = QStringLiteral("======= ✂ полная отрезка =======");

// Opens and closes a shift (a fiscal document now), as cashier and
// administrator; ends in mode 0.
bool shiftAndZReport(VregWindow &w)
{
    if (!w.enterMode(1, "1").isEmpty())
        return false;
    w.click("pbtnOpenSession");
    if (!w.error().isEmpty() || !w.enterMode(3, "29").isEmpty())
        return false;
    w.select("cmbRegistrationReportType", 1);
    w.click("pbtnRegistrationReport");
    if (!w.error().isEmpty())
        return false;
    w.click("pbtnResetMode");
    return w.error().isEmpty();
}

// One sale of 12.90 paid in cash, as cashier 1; stays in registration.
bool sale(VregWindow &w)
{
    if (!w.enterMode(1, "1").isEmpty())
        return false;
    w.click("pbtnSell");
    w.click("pbtnCloseCheque");
    return w.error().isEmpty();
}

// Serial number, fiscalisation and an active fiscal storage; ends in mode 6.
bool fiscalise(VregWindow &w)
{
    if (!w.enterMode(5, "29").isEmpty())
        return false;
    w.type("leSerialNumber", "00012345");
    w.click("pbtnSetSerialNumber");
    w.type("leINN", "7700000009");
    w.type("leMachineNumber", "123");
    w.click("pbtnFiscalization");
    if (!w.error().isEmpty() || !w.enterMode(6, "29").isEmpty())
        return false;
    w.click("pbtnFNActivation");
    return w.error().isEmpty();
}

// The device's clock, as "Обновить состояние" shows it in the date and time
// fields.
QDateTime deviceClock(VregWindow &w)
{
    w.click("pbtnGetStatus");
    return QDateTime(w.widget<QDateEdit>("dateEdit")->date(), w.widget<QTimeEdit>("timeEdit")->time());
}

} // namespace

class TestE2EService : public QObject
{
    Q_OBJECT

private slots:
    // print page
    void printText_data();
    void printText();
    void headerFooterAndNewDocument();
    void formattedText();
    void cuts();
    void demoPrintAtSpeed();
    void paperOutAndContinue();
    void lastReceiptCopy();
    // programming page
    void values_data();
    void values();
    void valuesShapeTheDocuments();
    void captionsWithMarks();
    void captionChecks_data();
    void captionChecks();
    void tableFields_data();
    void tableFields();
    void clockForward();
    void clockBackNeedsConfirmation_data();
    void clockBackNeedsConfirmation();
    void clockRefusals();
    // fiscal storage page
    void fiscalisationInputs_data();
    void fiscalisationInputs();
    void fiscalStorage();
    void storageStatusReceiptKind_data();
    void storageStatusReceiptKind();
    void archiveClosing();
    void storageCommands_data();
    void storageCommands();
    void shiftRange();
    // service page and status
    void serviceActions_data();
    void serviceActions();
    void drawer();
    void pointPosition();
    void unitVersion_data();
    void unitVersion();
    void connectorTest_data();
    void connectorTest();
    void resets();
    void powerOff();
    void statusQuery();
};

// ---- print page

void TestE2EService::printText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wrap");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QStringList>("lines");

    const QString longText = QStringLiteral("Строка для печати на ленте шириной в тридцать два знака");
    QTest::newRow("cut at the edge") << longText << 0 << 0 << QStringList{"Строка для печати на ленте ширин"};
    QTest::newRow("by words") << longText << 1 << 0
                              << QStringList{"Строка для печати на ленте", "шириной в тридцать два знака"};
    QTest::newRow("by characters") << longText << 2 << 0
                                   << QStringList{"Строка для печати на ленте ширин", "ой в тридцать два знака"};
    QTest::newRow("centred") << "Итог" << 0 << 1 << QStringList{"              Итог"};
    QTest::newRow("right") << "Итог" << 0 << 2 << QStringList{"                            Итог"};
    QTest::newRow("double width") << QString("Сумма ") + DoubleWidth + "ИТОГ" << 0 << 0
                                  << QStringList{"Сумма И Т О Г"};
    QTest::newRow("double width off again") << QString(DoubleWidth) + "ИТОГ" + DoubleWidth + " 5" << 0 << 0
                                            << QStringList{"И Т О Г  5"};
    QTest::newRow("empty") << "" << 0 << 0 << QStringList{""};
}

void TestE2EService::printText()
{
    QFETCH(QString, text);
    QFETCH(int, wrap);
    QFETCH(int, alignment);
    QFETCH(QStringList, lines);

    VregWindow w;
    w.type("leText", text);
    w.select("cmbTextWrap", wrap);
    w.select("cmbTextAlignment", alignment);

    w.click("pbtnPrintText");

    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), lines);
}

void TestE2EService::headerFooterAndNewDocument()
{
    VregWindow w;
    w.click("pbtnPrintHeader");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), FactoryHeader);

    w.click("pbtnPrintFooter");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), (QStringList{"      Спасибо за покупку!", "         Ждём вас снова", PartialCut}));

    // A new document enters the chosen mode with the password and prints the
    // header.
    w.select("cmbMode", 2);
    w.type("lePassword", "3");
    w.click("pbtnNewDocument");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), FactoryHeader);
    QCOMPARE(w.statusLine("Текущий режим: "), QString("Текущий режим: Х-отчеты / Ожидание команды (2.0)"));
    QCOMPARE(w.statusLine("Кассир: "), QString("Кассир: 3"));

    w.select("cmbMode", 1);
    w.type("lePassword", "777");
    w.click("pbtnNewDocument");
    QVERIFY2(w.error().startsWith("[-20] Неверный пароль"), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());
}

void TestE2EService::formattedText()
{
    VregWindow w;
    // A bold field, an underlined one, then the text of the line edit.
    w.check("cbFontBold", true);
    w.type("leFieldText", "Итог");
    w.click("pbtnAddField");
    QCOMPARE(w.error(), QString());
    w.check("cbFontBold", false);
    w.check("cbFontUnderline", true);
    w.type("leFieldText", "Сдача");
    w.click("pbtnAddField");
    QCOMPARE(w.error(), QString());
    QVERIFY2(w.printed().isEmpty(), "a field printed before the text");
    w.check("cbFontUnderline", false);
    w.check("cbFontNegative", true);
    w.type("leFieldText", "Конец");
    w.select("cmbPrintPurpose", 2);

    w.click("pbtnPrintFormattedText");
    QCOMPARE(w.error(), QString());
    const QStringList expected = {
        "Итог                             │ жирный",
        "Сдача                            │ подчёркнутый",
        "Конец                            │ инверсный",
    };
    QCOMPARE(w.printed(), expected);
    QCOMPARE(w.tape("control-tape.txt"), expected);

    // The control tape only, stretched, in the test mode: nothing at all;
    // then for real.
    w.check("cbFontNegative", false);
    w.type("leFieldText", "Контроль");
    w.select("cmbPrintPurpose", 1);
    w.select("cmbCRFontHeight", 1);
    w.check("cbTextFieldTestMode", true);
    w.click("pbtnPrintFormattedText");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.tape("control-tape.txt").size(), expected.size());
    w.check("cbTextFieldTestMode", false);
    w.click("pbtnPrintFormattedText");
    QCOMPARE(w.error(), QString());
    QVERIFY2(w.printed().isEmpty(), "the receipt tape got the control tape's text");
    QCOMPARE(w.tape("control-tape.txt").value(expected.size()),
             QString("Контроль                         │ растянутый"));

    // Double width for the whole text, centred.
    w.select("cmbPrintPurpose", 0);
    w.check("cbFontDblWidth", true);
    w.select("cmbFmtTextAlignment", 1);
    w.type("leFieldText", "Итог");
    w.click("pbtnPrintFormattedText");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), QStringList{"            И т о г"});

    // A font the tape does not have is the register's to refuse.
    w.setValue("spinCQFontIndex", 9);
    w.click("pbtnPrintFormattedText");
    QVERIFY2(w.error().startsWith("[-24] Неверное значение параметра ("), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());
}

void TestE2EService::cuts()
{
    VregWindow w;
    w.click("pbtnPartialCut");
    QCOMPARE(w.error(), QString());
    w.click("pbtnFullCut");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), (QStringList{PartialCut, FullCut}));
}

// At a real printing speed the window stays locked and keeps painting while
// the lines come out one by one.
void TestE2EService::demoPrintAtSpeed()
{
    VregWindow w(100);
    w.select("cmbDemoPrintPurpose", 0);
    int lockedSamples = 0;
    int growingSamples = 0;
    QString statusText;
    int lastSize = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&]() {
        if (w.window->isEnabled())
            return;
        ++lockedSamples;
        for (QLabel *label : w.window->statusBar()->findChildren<QLabel *>()) {
            if (!label->text().isEmpty() && label->objectName() != "errorLabel")
                statusText = label->text();
        }
        const int size = int(w.tape().size());
        if (size > lastSize && lastSize > 0)
            ++growingSamples;
        lastSize = size;
    });
    sampler.start(50);

    QElapsedTimer clock;
    clock.start();
    w.click("pbtnDemoPrint");
    sampler.stop();

    QCOMPARE(w.error(), QString());
    QVERIFY(w.window->isEnabled());
    QVERIFY2(lockedSamples >= 3, qPrintable(QString::number(lockedSamples)));
    QVERIFY2(growingSamples >= 2, "the tape did not grow while the window waited");
    QCOMPARE(statusText, QString("Идет печать..."));
    const QStringList page = w.printed();
    QVERIFY(clock.elapsed() >= (page.size() - 1) * 10);
    QCOMPARE(page.first(), QString("        ТЕСТОВАЯ ПЕЧАТЬ"));
    QVERIFY2(page.contains("     Виртуальная ККТ 57 мм"), showLines("the model", page));
    QVERIFY2(page.contains("12345678901234567890123456789012"), showLines("the ruler", page));
    QVERIFY2(page.contains("Скорость печати: 100 строк/с"), showLines("the speed", page));
    QCOMPARE(page.last(), PartialCut);
    QVERIFY(w.tape("control-tape.txt").isEmpty());

    w.select("cmbDemoPrintPurpose", 1);
    w.click("pbtnDemoPrint");
    QCOMPARE(w.error(), QString());
    QVERIFY2(w.printed().isEmpty(), "the control tape's page went to the receipt tape");
    QCOMPARE(w.tape("control-tape.txt").first(), QString("        ТЕСТОВАЯ ПЕЧАТЬ"));
}

void TestE2EService::paperOutAndContinue()
{
    VregWindow w;
    w.click("pbtnContinuePrint");
    QCOMPARE(w.error(), QString());

    w.setPaper(false);
    w.type("leText", "Ждёт бумагу");
    w.click("pbtnPrintText");
    QVERIFY2(w.error().startsWith("[-30] Нет бумаги ("), qPrintable(w.error()));
    QCOMPARE(w.statusLine("Датчик ЧЛ: "), QString("Датчик ЧЛ: бумаги нет"));
    w.click("pbtnContinuePrint");
    QVERIFY2(w.error().startsWith("[-30] Нет бумаги ("), qPrintable(w.error()));
    w.setPaper(true);
    w.click("pbtnPrintHeader");
    QVERIFY2(w.error().startsWith("[-31] Предыдущий документ не допечатан ("), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());

    w.click("pbtnContinuePrint");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), QStringList{"Ждёт бумагу"});
    QVERIFY(w.window->isEnabled());
    w.click("pbtnContinuePrint");
    QCOMPARE(w.error(), QString());
    QVERIFY(w.printed().isEmpty());
}

void TestE2EService::lastReceiptCopy()
{
    VregWindow w;
    w.click("pbtnPrintLastCheckCopy");
    QVERIFY2(w.error().startsWith("[-143] Документ не найден"), qPrintable(w.error()));
    QVERIFY(w.window->isEnabled());

    QVERIFY(sale(w));
    const QStringList receipt = w.printed();
    w.click("pbtnPrintLastCheckCopy");
    QCOMPARE(w.error(), QString());
    QStringList copy = w.printed();
    QCOMPARE(copy.first(), QString("             КОПИЯ"));
    QCOMPARE(copy.last(), PartialCut);
    copy.removeLast();
    QCOMPARE(copy.last(), QString("             КОПИЯ"));
    // The receipt again, from its header to its footer.
    const int head = int(receipt.lastIndexOf(FactoryHeader.first()));
    QCOMPARE(copy.mid(1, copy.size() - 2), receipt.mid(head, receipt.size() - head - 1));

    w.click("pbtnSell");
    w.click("pbtnPrintLastCheckCopy");
    QVERIFY2(w.error().startsWith("[-106] Операция невозможна при открытом чеке"), qPrintable(w.error()));
}

// ---- programming page

void TestE2EService::values_data()
{
    QTest::addColumn<int>("purpose");
    QTest::addColumn<double>("factory");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("error");

    QTest::newRow("register number") << 0 << 1.0 << 12.0 << "";
    QTest::newRow("header lines") << 66 << 4.0 << 2.0 << "";
    QTest::newRow("tax rate with decimals") << 15 << 0.0 << 12.5 << "";
    QTest::newRow("tax of a section") << 316 << 3.0 << 2.0 << "";
    QTest::newRow("large number") << 257 << 5555.0 << 999999999.0 << "";
    QTest::newRow("device type is read-only") << 1 << -1.0 << 3.0 << "[-27] Значение только для чтения (";
    QTest::newRow("tape width is read-only") << 200 << 57.0 << 80.0 << "[-27] Значение только для чтения (";
    QTest::newRow("too many header lines") << 66 << 4.0 << 7.0 << "[-24] Неверное значение параметра (";
    QTest::newRow("percent above 100") << 15 << 0.0 << 100.5 << "[-24] Неверное значение параметра (";
    QTest::newRow("register number 0") << 0 << 1.0 << 0.0 << "[-24] Неверное значение параметра (";
}

void TestE2EService::values()
{
    QFETCH(int, purpose);
    QFETCH(double, factory);
    QFETCH(double, value);
    QFETCH(QString, error);

    VregWindow w;
    w.select("cmbValuePurpose", purpose);
    w.click("pbtnGetValue");
    QCOMPARE(w.error(), QString());
    if (factory >= 0)
        QCOMPARE(w.value("spinValue"), factory);
    const double before = w.value("spinValue");

    QCOMPARE(w.enterMode(4, "29"), QString());
    w.setValue("spinValue", value);
    w.click("pbtnSetValue");
    if (error.isEmpty())
        QCOMPARE(w.error(), QString());
    else
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));

    w.setValue("spinValue", -1);
    w.click("pbtnGetValue");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinValue"), error.isEmpty() ? value : before);
}

// Values the register prints by: how many header lines, whether the footer
// comes.
void TestE2EService::valuesShapeTheDocuments()
{
    VregWindow w;
    QCOMPARE(w.enterMode(4, "29"), QString());
    w.select("cmbValuePurpose", 66);
    w.setValue("spinValue", 2);
    w.click("pbtnSetValue");
    w.select("cmbValuePurpose", 45);
    w.setValue("spinValue", 0);
    w.click("pbtnSetValue");
    QCOMPARE(w.error(), QString());

    w.click("pbtnPrintHeader");
    QCOMPARE(w.printed(), FactoryHeader.mid(0, 2));
    w.click("pbtnPrintFooter");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.printed(), QStringList{PartialCut});

    // The restored tables print as from the factory.
    w.click("pbtnInitTables");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), "ИНИЦИАЛИЗАЦИЯ ТАБЛИЦ"));
    w.click("pbtnPrintHeader");
    QCOMPARE(w.printed(), FactoryHeader);
}

// The special marks go to the register as its control codes and come back as
// marks; the register prints them as what they stand for.
void TestE2EService::captionsWithMarks()
{
    VregWindow w;
    w.select("cmbCaptionPurpose", 0);
    w.click("pbtnGetCaption");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leCaption"), QString("ООО «Колосок»"));

    QCOMPARE(w.enterMode(4, "29"), QString());
    const QString marked = QString(DoubleWidth) + "Колосок" + DoubleWidth + " 1" + Picture + "1,15" + Picture
                           + Barcode + "3" + Barcode;
    w.type("leCaption", marked);
    w.click("pbtnSetCaption");
    QCOMPARE(w.error(), QString());

    w.type("leCaption", "");
    w.click("pbtnGetCaption");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leCaption"), marked);

    // The same caption as a table field (table 2, row 1).
    w.setValue("spinTableNumber", 2);
    w.setValue("spinRowNumber", 1);
    w.setValue("spinFieldNumber", 1);
    w.select("cmbFieldType", 1);
    w.click("pbtnGetField");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leFieldValue"), marked);

    w.click("pbtnPrintHeader");
    QCOMPARE(w.error(), QString());
    const QStringList header = w.printed();
    QCOMPARE(header.mid(0, 3), (QStringList{"        К о л о с о к  1", " [Картинка №1, смещение 15]",
                                            "    [Штрихкод №3 из памяти]"}));
    QCOMPARE(header.mid(3), FactoryHeader.mid(1));
}

void TestE2EService::captionChecks_data()
{
    QTest::addColumn<int>("purpose");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("cashier's password") << 6 << "0042" << "" << "42";
    QTest::newRow("password of another") << 6 << "2" << "[-24] Неверное значение параметра (" << "1";
    QTest::newRow("password not a number") << 6 << "12a" << "[-24] Неверное значение параметра (" << "1";
    QTest::newRow("ИНН of 12 digits") << 261 << "500100732259" << "" << "500100732259";
    QTest::newRow("ИНН of 11 digits") << 261 << "50010073225" << "[-24] Неверное значение параметра ("
                                      << "7700000009";
    QTest::newRow("MAC address in capitals") << 249 << "02:00:00:aa:bb:0c" << "" << "02:00:00:AA:BB:0C";
    QTest::newRow("IP address") << 250 << "10.0.0.300" << "[-24] Неверное значение параметра ("
                                << "192.168.1.10";
    QTest::newRow("longest caption") << 253 << QString(256, QChar(0x0416)) << "" << QString(256, QChar(0x0416));
    QTest::newRow("too long") << 0 << QString(129, QChar('x')) << "[-24] Неверное значение параметра ("
                              << "ООО «Колосок»";
}

void TestE2EService::captionChecks()
{
    QFETCH(int, purpose);
    QFETCH(QString, caption);
    QFETCH(QString, error);
    QFETCH(QString, readBack);

    VregWindow w;
    QCOMPARE(w.enterMode(4, "29"), QString());
    w.select("cmbCaptionPurpose", purpose);
    w.type("leCaption", caption);
    w.click("pbtnSetCaption");
    if (error.isEmpty())
        QCOMPARE(w.error(), QString());
    else
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));

    w.type("leCaption", "");
    w.click("pbtnGetCaption");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leCaption"), readBack);
}

void TestE2EService::tableFields_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("factory");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("captionPurpose"); // the same memory seen as a caption, or -1
    QTest::addColumn<QString>("caption");

    QTest::newRow("tax rate, BCD") << 5 << 3 << 1 << 0 << "2000" << "1800" << "" << -1 << "";
    QTest::newRow("tax name, string") << 5 << 3 << 2 << 1 << "НДС 20%" << "НДС 18%" << "" << 204 << "НДС 18%";
    QTest::newRow("header line, string") << 2 << 5 << 1 << 1 << "" << "Пятая строка" << "" << 4 << "Пятая строка";
    QTest::newRow("section tax, binary") << 4 << 2 << 2 << 3 << "3" << "5" << "" << -1 << "";
    QTest::newRow("IP address, bytes") << 7 << 1 << 1 << 2 << "C0A8010A" << "0A000001" << "" << 250 << "10.0.0.1";
    QTest::newRow("organisation name, string type 2") << 6 << 1 << 4 << 4 << "ООО «Колосок»" << "ИП Петров" << ""
                                                      << 264 << "ИП Петров";
    QTest::newRow("wrong type") << 5 << 3 << 1 << 1 << "" << "" << "[-25] Неверный тип поля (" << -1 << "";
    QTest::newRow("no such table") << 9 << 1 << 1 << 0 << "" << "" << "[-26] Поле таблицы не существует ("
                                   << -1 << "";
    QTest::newRow("no such row") << 5 << 7 << 1 << 0 << "" << "" << "[-26] Поле таблицы не существует (" << -1 << "";
}

void TestE2EService::tableFields()
{
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(int, type);
    QFETCH(QString, factory);
    QFETCH(QString, written);
    QFETCH(QString, error);
    QFETCH(int, captionPurpose);
    QFETCH(QString, caption);

    VregWindow w;
    w.setValue("spinTableNumber", table);
    w.setValue("spinRowNumber", row);
    w.setValue("spinFieldNumber", field);
    w.select("cmbFieldType", type);
    w.type("leFieldValue", "прежнее");

    w.click("pbtnGetField");
    if (!error.isEmpty()) {
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
        QCOMPARE(w.text("leFieldValue"), QString());
        return;
    }
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("leFieldValue"), factory);

    QCOMPARE(w.enterMode(4, "29"), QString());
    w.type("leFieldValue", written);
    w.click("pbtnSetField");
    QCOMPARE(w.error(), QString());
    w.type("leFieldValue", "");
    w.click("pbtnGetField");
    QCOMPARE(w.text("leFieldValue"), written);
    if (captionPurpose >= 0) {
        w.select("cmbCaptionPurpose", captionPurpose);
        w.click("pbtnGetCaption");
        QCOMPARE(w.error(), QString());
        QCOMPARE(w.text("leCaption"), caption);
    }
}

void TestE2EService::clockForward()
{
    VregWindow w;
    const QDateTime target = QDateTime::currentDateTime().addDays(3);
    w.widget<QDateEdit>("dateEdit")->setDate(target.date());
    w.widget<QTimeEdit>("timeEdit")->setTime(QTime(10, 20, 30));
    w.click("pbtnSetDate");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.dialogsSeen, 0);

    // "Системное время" shows the computer's clock, the status the device's.
    w.click("pbtnGetSystemDateTime");
    QCOMPARE(w.widget<QDateEdit>("dateEdit")->date(), QDate::currentDate());
    const QDateTime device = deviceClock(w);
    QCOMPARE(w.error(), QString());
    QVERIFY2(device >= QDateTime(target.date(), QTime(10, 20, 30))
                 && device <= QDateTime(target.date(), QTime(10, 20, 40)),
             qPrintable(device.toString()));

    // Documents carry the device's date.
    w.click("pbtnDemoPrint");
    QVERIFY(w.printed().contains("        " + target.date().toString("dd.MM.yyyy") + " 10:20"));
}

void TestE2EService::clockBackNeedsConfirmation_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("taken");

    QTest::newRow("OK") << int(QMessageBox::Ok) << true;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << false;
}

// Setting the clock behind the last fiscal document: the register asks for a
// confirmation, the window asks the user, and OK repeats the command.
void TestE2EService::clockBackNeedsConfirmation()
{
    QFETCH(int, answer);
    QFETCH(bool, taken);

    VregWindow w;
    QVERIFY(shiftAndZReport(w));
    const QDate yesterday = deviceClock(w).date().addDays(-1);
    w.widget<QDateEdit>("dateEdit")->setDate(yesterday);
    w.widget<QTimeEdit>("timeEdit")->setTime(QTime(9, 0, 0));
    QMessageBox::StandardButtons buttons;
    w.onNextDialog([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        buttons = box->standardButtons();
        box->button(QMessageBox::StandardButton(answer))->click();
    });

    w.click("pbtnSetDate");

    QCOMPARE(w.dialogsSeen, 1);
    QCOMPARE(w.lastDialogTitle, QString("Ввод даты"));
    QCOMPARE(w.lastDialogText, QString("Требуется подтверждение ввода даты"));
    QCOMPARE(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY(w.lastDialogUsable);
    const QString error = w.error();
    const QDateTime device = deviceClock(w);
    if (taken) {
        QCOMPARE(error, QString());
        QCOMPARE(device.date(), yesterday);
        QVERIFY(device.time() >= QTime(9, 0, 0) && device.time() < QTime(9, 0, 10));
    } else {
        QVERIFY2(error.startsWith("[-3893] Требуется подтверждение изменения даты ("), qPrintable(error));
        QCOMPARE(device.date(), QDate::currentDate());
    }

    // Going forward again never asks.
    w.widget<QDateEdit>("dateEdit")->setDate(QDate::currentDate().addDays(1));
    w.click("pbtnSetDate");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.dialogsSeen, 1);
}

void TestE2EService::clockRefusals()
{
    VregWindow w;
    w.widget<QDateEdit>("dateEdit")->setDate(QDate(2100, 1, 1));
    w.click("pbtnSetDate");
    QVERIFY2(w.error().startsWith("[-24] Неверное значение параметра ("), qPrintable(w.error()));
    QVERIFY2(w.error().contains("(год)"), qPrintable(w.error()));

    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnOpenSession");
    w.widget<QDateEdit>("dateEdit")->setDate(QDate::currentDate().addDays(1));
    w.click("pbtnSetDate");
    QVERIFY2(w.error().startsWith("[-28] Смена открыта: операция невозможна ("), qPrintable(w.error()));
    QCOMPARE(deviceClock(w).date(), QDate::currentDate());
    QCOMPARE(w.dialogsSeen, 0);
}

// ---- fiscal storage page

void TestE2EService::fiscalisationInputs_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("inn");
    QTest::addColumn<QString>("rnm");
    QTest::addColumn<QString>("taxPassword");
    QTest::addColumn<QString>("error");

    QTest::newRow("valid, 10 digits") << "00012345" << "7707083893" << "123" << "0" << "";
    QTest::newRow("valid, 12 digits") << "1" << "500100732259" << "9999999999999999" << "" << "";
    QTest::newRow("ИНН check digit") << "00012345" << "7707083894" << "123" << "0" << "[-133] Неверный ИНН (";
    QTest::newRow("ИНН of 11 digits") << "00012345" << "77070838931" << "123" << "0" << "[-133] Неверный ИНН (";
    QTest::newRow("ИНН not digits") << "00012345" << "77070838ab" << "123" << "0" << "[-133] Неверный ИНН (";
    QTest::newRow("РНМ of zeros") << "00012345" << "7707083893" << "0000" << "0" << "[-134] Неверный РНМ (";
    QTest::newRow("РНМ too long") << "00012345" << "7707083893" << "12345678901234567" << "0"
                                  << "[-134] Неверный РНМ (";
    QTest::newRow("tax password too long") << "00012345" << "7707083893" << "123" << "123456789"
                                           << "[-135] Неверный пароль налогового инспектора (";
    QTest::newRow("no serial number") << "" << "7707083893" << "123" << "0" << "[-137] Не введен заводской номер";
    QTest::newRow("serial number with a letter") << "12A" << "7707083893" << "123" << "0"
                                                 << "[-136] Неверный заводской номер (";
}

void TestE2EService::fiscalisationInputs()
{
    QFETCH(QString, serial);
    QFETCH(QString, inn);
    QFETCH(QString, rnm);
    QFETCH(QString, taxPassword);
    QFETCH(QString, error);

    VregWindow w;
    QCOMPARE(w.enterMode(5, "29"), QString());
    if (!serial.isEmpty()) {
        w.type("leSerialNumber", serial);
        w.click("pbtnSetSerialNumber");
        if (error.startsWith("[-136]")) {
            QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
            QCOMPARE(w.statusLine("Заводской номер: "), QString("Заводской номер: "));
            return;
        }
        QCOMPARE(w.error(), QString());
    }
    w.type("leINN", inn);
    w.type("leMachineNumber", rnm);
    w.type("leTaxPassword", taxPassword);
    w.markTape();

    w.click("pbtnFiscalization");

    const QStringList report = w.printed();
    if (!error.isEmpty()) {
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
        QVERIFY(report.isEmpty());
        QCOMPARE(w.statusLine("Касса "), QString("Касса не фискализирована"));
        return;
    }
    QCOMPARE(w.error(), QString());
    QVERIFY2(report.contains("      ОТЧЕТ О РЕГИСТРАЦИИ"), showLines("the report", report));
    QVERIFY2(printedLine(report, "^ИНН +" + inn + "$"), showLines("the ИНН", report));
    QVERIFY2(printedLine(report, "^РН ККТ +" + rnm.rightJustified(16, '0') + "$"), showLines("the РНМ", report));
    QVERIFY2(printedLine(report, "^ЗН ККТ +" + serial + "$"), showLines("the serial number", report));
    QCOMPARE(w.statusLine("Касса "), QString("Касса фискализирована"));
    QCOMPARE(w.statusLine("Заводской номер: "), "Заводской номер: " + serial);

    // The serial number is fixed from now on.
    w.click("pbtnSetSerialNumber");
    QVERIFY2(w.error().startsWith("[-131] ККТ фискализирована ("), qPrintable(w.error()));
}

// Fiscalised register: documents need the fiscal storage; activation, the
// storage's status, its fiscal signs.
void TestE2EService::fiscalStorage()
{
    VregWindow w;
    // Not with the shift open.
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnOpenSession");
    QCOMPARE(w.enterMode(5, "29"), QString());
    w.type("leSerialNumber", "00012345");
    w.click("pbtnSetSerialNumber");
    w.type("leINN", "7700000009");
    w.type("leMachineNumber", "123");
    w.click("pbtnFiscalization");
    QVERIFY2(w.error().startsWith("[-28] Смена открыта: операция невозможна"), qPrintable(w.error()));
    QCOMPARE(w.enterMode(3, "29"), QString());
    w.select("cmbRegistrationReportType", 1);
    w.click("pbtnRegistrationReport");
    QCOMPARE(w.enterMode(5, "29"), QString());
    w.click("pbtnFiscalization");
    QCOMPARE(w.error(), QString());

    // Before activation: no fiscal documents; activation only in its mode.
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnOpenSession");
    QVERIFY2(w.error().startsWith("[-138] ЭКЛЗ/ФН не активирован"), qPrintable(w.error()));
    w.click("pbtnEKLZStatus");
    QCOMPARE(w.error(), QString());
    QVERIFY2(w.text("teEKLZStatus").contains("- ЭКЛЗ/ФН не активирована"), qPrintable(w.text("teEKLZStatus")));

    QCOMPARE(w.enterMode(6, "29"), QString());
    w.markTape();
    w.click("pbtnFNActivation");
    QCOMPARE(w.error(), QString());
    const QStringList activation = w.printed();
    QVERIFY2(activation.contains("      АКТИВИЗАЦИЯ ЭКЛЗ/ФН"), showLines("the activation", activation));
    QVERIFY2(printedLine(activation, "^ФН +9999078900000001$"), showLines("the storage", activation));
    const QRegularExpressionMatch activationSign =
        QRegularExpression("^ФД (\\d+) +ФП (\\d+)$").match(lineMatching(activation, "^ФД \\d+ +ФП \\d+$"));
    QVERIFY2(activationSign.hasMatch(), showLines("the fiscal sign", activation));
    const QString number = activationSign.captured(1);
    const QString sign = activationSign.captured(2);
    QCOMPARE(w.statusLine("ФН "), QString("ФН фискализирован"));

    w.click("pbtnEKLZActivation");
    QVERIFY2(w.error().startsWith("[-139] ЭКЛЗ/ФН уже активирован ("), qPrintable(w.error()));

    // The storage's status: the last document, its number and flags.
    w.click("pbtnEKLZStatus");
    QCOMPARE(w.error(), QString());
    const QStringList status = w.text("teEKLZStatus").split('\n');
    QVERIFY2(status.contains("Номер текущей/новой смены: 2"), qPrintable(status.join('\n')));
    QVERIFY2(status.contains("Номер КПК последней операции: " + number), qPrintable(status.join('\n')));
    QVERIFY2(status.contains("Заводской номер ЭКЛЗ/ФН: 9999078900000001"), qPrintable(status.join('\n')));
    QVERIFY2(status.contains("Флаги (0ch):"), qPrintable(status.join('\n')));
    QVERIFY2(status.contains("- архив открыт") && status.contains("- ЭКЛЗ/ФН активирована")
                 && status.contains("- смена закрыта") && status.contains("- документ закрыт"),
             qPrintable(status.join('\n')));

    // The fiscal sign of a document by its number, as printed on it.
    w.setValue("spinEKLZKPKNumber", number.toInt());
    w.click("pbtnEKLZGetKPK");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("teEKLZStatus"), QString("Значение КПК #%1:\n%2").arg(number, sign));
    w.setValue("spinEKLZKPKNumber", 99);
    w.click("pbtnEKLZGetKPK");
    QVERIFY2(w.error().startsWith("[-143] Документ не найден"), qPrintable(w.error()));

    // A receipt now is a fiscal document with its sign; the status follows
    // the open receipt.
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    w.click("pbtnEKLZStatus");
    const QStringList open = w.text("teEKLZStatus").split('\n');
    QVERIFY2(open.contains("Итог текущего документа: 12.9") && open.contains("- документ открыт")
                 && open.contains("- смена открыта"),
             qPrintable(open.join('\n')));
    w.click("pbtnCloseCheque");
    const QStringList receipt = w.printed();
    const QRegularExpressionMatch receiptSigned =
        QRegularExpression("^ФД (\\d+) +ФП (\\d+)$").match(lineMatching(receipt, "^ФД \\d+ +ФП \\d+$"));
    QVERIFY2(receiptSigned.hasMatch(), showLines("the receipt's sign", receipt));
    QVERIFY2(printedLine(receipt, "^ФН +9999078900000001$"), showLines("the storage", receipt));
    QVERIFY(!receipt.contains("     НЕФИСКАЛЬНЫЙ ДОКУМЕНТ"));
    w.setValue("spinEKLZKPKNumber", receiptSigned.captured(1).toInt());
    w.click("pbtnEKLZGetKPK");
    QCOMPARE(w.text("teEKLZStatus"),
             QString("Значение КПК #%1:\n%2").arg(receiptSigned.captured(1), receiptSigned.captured(2)));
}

void TestE2EService::storageStatusReceiptKind_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("kind");

    QTest::newRow("sale") << "pbtnSell" << "продажа";
    QTest::newRow("purchase") << "pbtnBuy" << "покупка";
    QTest::newRow("sale return") << "pbtnSellReturn" << "возврат продажи";
    QTest::newRow("purchase return") << "pbtnBuyReturn" << "возврат покупки";
    QTest::newRow("purchase correction") << "pbtnBuyCorrection" << "покупка";
    QTest::newRow("sale return correction") << "pbtnReturnCorrection" << "возврат продажи";
}

// The kind of the open receipt, as the storage's status flags name it.
void TestE2EService::storageStatusReceiptKind()
{
    QFETCH(QString, button);
    QFETCH(QString, kind);

    VregWindow w;
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click(qPrintable(button));
    QCOMPARE(w.error(), QString());
    w.click("pbtnEKLZStatus");
    QCOMPARE(w.error(), QString());
    const QStringList status = w.text("teEKLZStatus").split('\n');
    const int flags = int(status.indexOf(QRegularExpression("^Флаги \\(..h\\):$")));
    QVERIFY2(flags > 0, qPrintable(status.join('\n')));
    QCOMPARE(status.value(flags + 1), "- " + kind);
    QVERIFY2(status.contains("- документ открыт") && status.contains("- смена открыта"),
             qPrintable(status.join('\n')));
}

void TestE2EService::archiveClosing()
{
    VregWindow w;
    QVERIFY(fiscalise(w));
    QVERIFY(sale(w));
    QCOMPARE(w.enterMode(6, "29"), QString());
    w.click("pbtnFNClose");
    QVERIFY2(w.error().startsWith("[-28] Смена открыта: операция невозможна"), qPrintable(w.error()));
    QCOMPARE(w.enterMode(3, "29"), QString());
    w.select("cmbRegistrationReportType", 1);
    w.click("pbtnRegistrationReport");
    QCOMPARE(w.enterMode(6, "29"), QString());
    w.markTape();

    w.click("pbtnEKLZClose");
    QCOMPARE(w.error(), QString());
    const QStringList closing = w.printed();
    QVERIFY2(closing.contains("    ЗАКРЫТИЕ АРХИВА ЭКЛЗ/ФН"), showLines("the closing report", closing));
    QVERIFY2(printedLine(closing, "^ПОСЛЕДНЯЯ СМЕНА +1$"), showLines("the last shift", closing));
    w.click("pbtnEKLZStatus");
    QVERIFY2(w.text("teEKLZStatus").contains("- архив закрыт"), qPrintable(w.text("teEKLZStatus")));

    // No fiscal documents until the next storage.
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnOpenSession");
    QVERIFY2(w.error().startsWith("[-140] Архив ЭКЛЗ/ФН закрыт"), qPrintable(w.error()));
    QCOMPARE(w.enterMode(6, "29"), QString());
    w.click("pbtnFNActivation");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), "^ФН +9999078900000002$"));
    QVERIFY(sale(w));
}

void TestE2EService::storageCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // a pattern
    QTest::addColumn<QString>("error");

    QTest::newRow("storage number") << "31" << "39 39 39 39 30 37 38 39 30 30 30 30 30 30 30 31" << "";
    QTest::newRow("version") << "33" << "56 49 52 54 55 41 4C 20 46 4E 20 31 2E 31 20 20 01" << "";
    // Type, 00, its date (YY MM DD hh mm), its number, its sign.
    const QDate today = QDate::currentDate();
    const auto hex = [](int value) { return QString("%1").arg(value, 2, 16, QChar('0')).toUpper(); };
    QTest::newRow("first document, no blanks")
        << "4001000000"
        << QString("01 00 %1 %2 %3( [0-9A-F]{2}){2} 01 00 00 00( [0-9A-F]{2}){4}")
               .arg(hex(today.year() % 100), hex(today.month()), hex(today.day()))
        << "";
    QTest::newRow("unknown command") << "3f" << "" << "[-145] Команда ФН не поддерживается";
    QTest::newRow("not bytes") << "3" << "" << "[-144] Неверная команда ФН";
    QTest::newRow("wrong length") << "31 00" << "" << "[-144] Неверная команда ФН";
    QTest::newRow("no such document") << "40 63 00 00 00" << "" << "[-143] Документ не найден";
}

void TestE2EService::storageCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(QString, error);

    VregWindow w;
    QVERIFY(fiscalise(w));
    w.type("leFNCommandBuffer", command);
    w.type("leFNAnswerBuffer", "прежний ответ");
    w.click("pbtnRunFNCommand");
    QVERIFY(w.window->isEnabled());
    if (error.isEmpty()) {
        QCOMPARE(w.error(), QString());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(answer))
                     .match(w.text("leFNAnswerBuffer"))
                     .hasMatch(),
                 qPrintable(w.text("leFNAnswerBuffer")));
    } else {
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
    }
}

// The first and last closed shifts, on the fiscal reports tab.
void TestE2EService::shiftRange()
{
    VregWindow w;
    w.click("pbtnGetRange");
    QVERIFY2(w.error().startsWith("[-146] В фискальной памяти нет смен"), qPrintable(w.error()));

    QVERIFY(shiftAndZReport(w));
    QVERIFY(shiftAndZReport(w));
    w.widget<QDateEdit>("dateFrom")->setDate(QDate(2001, 1, 1));
    w.click("pbtnGetRange");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.widget<QDateEdit>("dateFrom")->date(), QDate::currentDate());
    QCOMPARE(w.widget<QDateEdit>("dateTo")->date(), QDate::currentDate());
    QCOMPARE(int(w.value("spinSessionFrom")), 1);
    QCOMPARE(int(w.value("spinSessionTo")), 2);
}

// ---- service page

void TestE2EService::serviceActions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("error");

    QTest::newRow("beep") << "pbtnBeep" << "" << 0 << "";
    QTest::newRow("sound") << "pbtnSound" << "spinFrequency" << 440 << "";
    QTest::newRow("sound too low") << "pbtnSound" << "spinFrequency" << 99 << "[-24] Неверное значение параметра (";
    QTest::newRow("sound too long") << "pbtnSound" << "spinDuration" << 10001 << "[-24] Неверное значение параметра (";
    QTest::newRow("drawer pulses") << "pbtnAdvancedOpenDrawer" << "spinDrawerOnQuantity" << 2 << "";
    QTest::newRow("drawer pulse too short") << "pbtnAdvancedOpenDrawer" << "spinDrawerOnTimeout" << 9
                                            << "[-24] Неверное значение параметра (";
    QTest::newRow("too many pulses") << "pbtnAdvancedOpenDrawer" << "spinDrawerOnQuantity" << 11
                                     << "[-24] Неверное значение параметра (";
}

void TestE2EService::serviceActions()
{
    QFETCH(QString, button);
    QFETCH(QString, spin);
    QFETCH(int, value);
    QFETCH(QString, error);

    VregWindow w;
    w.setValue("spinDuration", 20);
    w.setValue("spinDrawerOnQuantity", 1);
    if (!spin.isEmpty())
        w.setValue(qPrintable(spin), value);
    w.window->setError("прежняя ошибка");

    w.click(qPrintable(button));

    if (error.isEmpty())
        QCOMPARE(w.error(), QString());
    else
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
    QVERIFY(w.window->isEnabled());
    QVERIFY(w.printed().isEmpty());
}

void TestE2EService::drawer()
{
    VregWindow w;
    QCOMPARE(w.statusLine("Ящик "), QString("Ящик закрыт"));
    w.click("pbtnOpedDrawer");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.statusLine("Ящик "), QString("Ящик открыт"));
}

void TestE2EService::pointPosition()
{
    VregWindow w;
    QCOMPARE(w.statusLine("Положение десятичной точки: "), QString("Положение десятичной точки: 2"));
    w.setValue("spinPointPosition", 0);
    w.click("pbtnSetPointPosition");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.statusLine("Положение десятичной точки: "), QString("Положение десятичной точки: 0"));

    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnOpenSession");
    w.setValue("spinPointPosition", 3);
    w.click("pbtnSetPointPosition");
    QVERIFY2(w.error().startsWith("[-28] Смена открыта: операция невозможна"), qPrintable(w.error()));
    QCOMPARE(w.statusLine("Положение десятичной точки: "), QString("Положение десятичной точки: 0"));
}

void TestE2EService::unitVersion_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("error");

    QTest::newRow("firmware") << 1 << "Версия ПО модуля: 3.1.5120\n" << "";
    QTest::newRow("fiscal memory") << 2 << "Версия ПО модуля: 2.0.310\n" << "";
    QTest::newRow("its boot block") << 3 << "Версия ПО модуля: 1.0.12\n" << "";
    QTest::newRow("printer") << 4 << "Версия ПО модуля: 1.4.208\n" << "";
    QTest::newRow("printer boot block") << 5 << "Версия ПО модуля: 1.0.7\n" << "";
    QTest::newRow("no unit 0") << 0 << "прежний ответ" << "[-24] Неверное значение параметра (";
    QTest::newRow("no unit 6") << 6 << "прежний ответ" << "[-24] Неверное значение параметра (";
}

void TestE2EService::unitVersion()
{
    QFETCH(int, unit);
    QFETCH(QString, result);
    QFETCH(QString, error);

    VregWindow w;
    w.widget<QTextEdit>("teQueryResult")->setPlainText("прежний ответ");
    w.setValue("spinUnitType", unit);
    w.click("pbtnGetUnitVersion");
    if (error.isEmpty())
        QCOMPARE(w.error(), QString());
    else
        QVERIFY2(w.error().startsWith(error), qPrintable(w.error()));
    QCOMPARE(w.text("teQueryResult"), result);
}

void TestE2EService::connectorTest_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("connector");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("text");

    QTest::newRow("USB") << "USB" << 0 << int(QMessageBox::Warning) << "Ошибок нет";
    QTest::newRow("Ethernet, reached by USB") << "USB" << 1 << int(QMessageBox::Critical)
                                              << "[-3801] Ethernet: кабель не подключен (";
    QTest::newRow("Ethernet, reached by TCP/IP") << "TCP" << 1 << int(QMessageBox::Warning) << "Ошибок нет";
    QTest::newRow("display port") << "USB" << 2 << int(QMessageBox::Critical)
                                  << "[-3802] Дисплейный порт: устройство не отвечает (";
}

// The test's findings come in the critical dialog, not on the error line.
void TestE2EService::connectorTest()
{
    QFETCH(QString, port);
    QFETCH(int, connector);
    QFETCH(int, icon);
    QFETCH(QString, text);

    VregWindow w;
    if (port != "USB") {
        w.check("cbEnable", false);
        w.writeSetting("Port", port);
        w.driver()->ApplySettings();
        w.check("cbEnable", true);
        QCOMPARE(w.error(), QString());
    }
    w.select("cmbConnectorType", connector);
    w.window->setError("прежняя ошибка");
    w.answerNextMessageBox(QMessageBox::Ok);

    w.click("pbtnTestConnector");

    QCOMPARE(w.dialogsSeen, 1);
    QCOMPARE(w.lastDialogTitle, QString("Проверка разъемов"));
    QVERIFY2(w.lastDialogText.startsWith(text), qPrintable(w.lastDialogText));
    QCOMPARE(int(w.lastDialogIcon), icon);
    QVERIFY(w.lastDialogUsable);
    QCOMPARE(w.error(), QString());
    QVERIFY(w.window->isEnabled());
}

// The general reset and the technological zeroing, before fiscalisation only.
void TestE2EService::resets()
{
    VregWindow w;
    QVERIFY(sale(w));
    QVERIFY(w.enterMode(3, "29").isEmpty());
    w.click("pbtnResetSummary");
    QVERIFY2(w.error().startsWith("[-28] Смена открыта: операция невозможна"), qPrintable(w.error()));
    w.select("cmbRegistrationReportType", 1);
    w.click("pbtnRegistrationReport");
    w.markTape();

    w.click("pbtnResetSummary");
    QCOMPARE(w.error(), QString());
    QVERIFY(w.window->isEnabled());
    QVERIFY(printedLine(w.printed(), "ОБЩЕЕ ГАШЕНИЕ"));
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnCashGetSumm");
    QCOMPARE(w.value("spinCashSumm"), 0.0);

    w.click("pbtnTechZero");
    QVERIFY2(w.error().startsWith("[-22] Команда недоступна в текущем режиме"), qPrintable(w.error()));
    w.click("pbtnResetMode");
    w.click("pbtnTechZero");
    QCOMPARE(w.error(), QString());
    QVERIFY(printedLine(w.printed(), "ТЕХНОЛОГИЧЕСКОЕ ОБНУЛЕНИЕ"));
    // Numbering starts again.
    QVERIFY(sale(w));
    QVERIFY(printedLine(w.printed(), "^ФД 2 +ФП \\d+$"));

    QVERIFY(w.enterMode(3, "29").isEmpty());
    w.click("pbtnRegistrationReport");
    QVERIFY(fiscalise(w));
    w.click("pbtnResetMode");
    w.click("pbtnTechZero");
    QVERIFY2(w.error().startsWith("[-131] ККТ фискализирована"), qPrintable(w.error()));
}

// Switching the register off drops the connection; the "enable" box brings it
// back in the selection mode.
void TestE2EService::powerOff()
{
    VregWindow w;
    QVERIFY(w.enterMode(1, "1").isEmpty());
    w.click("pbtnPowerOff");
    QCOMPARE(w.error(), QString());

    w.click("pbtnBeep");
    QVERIFY2(w.error().startsWith("[-1] Нет связи"), qPrintable(w.error()));

    w.check("cbEnable", false);
    w.check("cbEnable", true);
    QCOMPARE(w.error(), QString());
    w.click("pbtnBeep");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.statusLine("Текущий режим: "), QString("Текущий режим: Выбор (0.0)"));
}

void TestE2EService::statusQuery()
{
    VregWindow w;
    const QStringList fresh = w.statusLines();
    QCOMPARE(w.error(), QString());
    const QStringList expected = {
        "Кассир: 0",
        "Номер ККТ в зале: 1",
        "Касса не фискализирована",
        "ФН не фискализирован",
        "Название ККТ: Виртуальная ККТ 57 мм",
        "Версия ПО ККТ: 3.1.5120",
        "Заводской номер: ",
        "Текущий режим: Выбор (0.0)",
        "Соединение с ПК по порту 0",
        "Ящик закрыт",
        "Смена закрыта",
        "Датчик ЧЛ: бумага есть",
        "Датчик КЛ: бумага есть",
        "Крышка принтера закрыта",
        "Модель: 1",
        "Номер чека: 0",
        "Номер последней закрытой смены: 0",
        "Положение десятичной точки: 2",
        "Чек закрыт (0)",
        "Текущая сумма чека: 0",
    };
    for (const QString &line : expected)
        QVERIFY2(fresh.contains(line), qPrintable(line + " in:\n" + fresh.join('\n')));
    const QString date = lineMatching(fresh, "^Дата: ").mid(6);
    QCOMPARE(QDate::fromString(date, "dd.MM.yyyy"), QDate::currentDate());
    QVERIFY(printedLine(fresh, "^Время: \\d\\d:\\d\\d:\\d\\d$"));

    // In a receipt of the second shift, as cashier 5, the number in the shop
    // changed.
    QVERIFY(shiftAndZReport(w));
    QCOMPARE(w.enterMode(4, "29"), QString());
    w.select("cmbValuePurpose", 0);
    w.setValue("spinValue", 7);
    w.click("pbtnSetValue");
    QCOMPARE(w.enterMode(1, "5"), QString());
    w.click("pbtnSell");
    QCOMPARE(w.error(), QString());
    const QStringList busy = w.statusLines();
    const QStringList expectedBusy = {
        "Кассир: 5",
        "Номер ККТ в зале: 7",
        "Текущий режим: Регистрация / Ожидание команды (1.0)",
        "Смена открыта",
        "Номер чека: 1",
        "Номер последней закрытой смены: 1",
        "Чек продажи / прихода (1)",
        "Текущая сумма чека: 12.9",
    };
    for (const QString &line : expectedBusy)
        QVERIFY2(busy.contains(line), qPrintable(line + " in:\n" + busy.join('\n')));
    QCOMPARE(w.text("lbChequeState"), QString("Чек продажи / прихода"));
    QCOMPARE(w.text("lbSessionState"), QString("Смена открыта"));
    QCOMPARE(w.text("lbCharLineLength"), QString("Чековая лента: 32"));
}

FPTR_TEST_MAIN(TestE2EService)
#include "tst_e2e_service.moc"
