// The virtual register's printing, read back from the virtual tape line by
// line: layout (wrapping, alignment, double width, text marks), header and
// footer, cuts, formatted text and fonts, the control tape, running out of
// paper and continuing, and the printing speed.

#include "testmain.h"
#include "vregclient.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace vregtest;

namespace {

const QString kCut = QStringLiteral("------ ✂ неполная отрезка ------");

QString spaces(int count)
{
    return QString(count, QLatin1Char(' '));
}

} // namespace

class TestVregPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void layout_data();
    void layout();
    void invalidInput_data();
    void invalidInput();
    void headerAndFooter();
    void cuts();
    void formattedText();
    void formattedTextTestModeKeepsFields();
    void demoPrint();
    void receiptPrinterHasNoControlTape();
    void paperOutAndContinue();
    void interruptedDocumentSurvivesRestart();
    void printingSpeed();

private:
    std::unique_ptr<Library> m_fptr;
    std::unique_ptr<Library> m_printer;
};

void TestVregPrinting::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY(m_fptr->ok());
    QVERIFY(m_printer->ok());
}

void TestVregPrinting::layout_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wrap");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QStringList>("lines");

    const QString sentence = QStringLiteral("Молоко пастеризованное 3,2% жирности, бутылка 1 л");
    QTest::newRow("plain") << "1" << "Строка для печати" << 0 << 0 << QStringList{"Строка для печати"};
    QTest::newRow("empty text feeds one line") << "1" << "" << 0 << 0 << QStringList{""};
    QTest::newRow("centre") << "1" << "abc" << 0 << 1 << QStringList{spaces(14) + "abc"};
    QTest::newRow("right") << "1" << "abc" << 0 << 2 << QStringList{spaces(29) + "abc"};
    QTest::newRow("no wrap cuts at the edge")
        << "1" << sentence << 0 << 0 << QStringList{"Молоко пастеризованное 3,2% жирн"};
    QTest::newRow("by words") << "1" << sentence << 1 << 0
                              << QStringList{"Молоко пастеризованное 3,2%", "жирности, бутылка 1 л"};
    QTest::newRow("by words centred") << "1" << sentence << 1 << 1
                                      << QStringList{"  Молоко пастеризованное 3,2%", "     жирности, бутылка 1 л"};
    QTest::newRow("by line") << "1" << sentence << 2 << 0
                             << QStringList{"Молоко пастеризованное 3,2% жирн", "ости, бутылка 1 л"};
    QTest::newRow("word longer than a line is broken")
        << "1" << "ab " + QString(40, 'x') << 1 << 0 << QStringList{"ab " + QString(29, 'x'), QString(11, 'x')};
    QTest::newRow("by words at 80 mm") << "2" << sentence << 1 << 0
                                       << QStringList{"Молоко пастеризованное 3,2% жирности, бутылка 1", "л"};
    QTest::newRow("double width") << "1" << "\tИТОГ" << 0 << 0 << QStringList{"И Т О Г"};
    QTest::newRow("double width from the mark on") << "1" << "ab\tcd" << 0 << 0 << QStringList{"abc d"};
    QTest::newRow("second mark ends double width") << "1" << "\tab\tcd" << 0 << 0 << QStringList{"a b cd"};
    QTest::newRow("double width right-aligned takes two columns")
        << "1" << "\tab" << 0 << 2 << QStringList{spaces(28) + "a b"};
    QTest::newRow("double width wraps at half the characters")
        << "1" << "\t" + QString(20, 'x') << 2 << 0
        << QStringList{QStringList(16, QStringLiteral("x")).join(' '), QStringList(4, QStringLiteral("x")).join(' ')};
}

void TestVregPrinting::layout()
{
    QFETCH(QString, model);
    QFETCH(QString, text);
    QFETCH(int, wrap);
    QFETCH(int, alignment);
    QFETCH(QStringList, lines);

    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0", "Model", model}));
    QCOMPARE(device->TextWrap(wrap), 0);
    QCOMPARE(device->Alignment(alignment), 0);
    QCOMPARE(device.setText(&Driver::Caption, text), 0);
    QVERIFY2(device->PrintText() == 0, qPrintable(device.result()));
    QCOMPARE(device.tape(), lines);
    const int width = device.intValue(&Driver::CharLineLength);
    for (const QString &line : device.tape())
        QVERIFY2(line.size() <= width, qPrintable(line));
}

void TestVregPrinting::invalidInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wrap");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("code");

    QTest::newRow("picture without offset") << "\n1\n" << 0 << 0 << -32;
    QTest::newRow("picture not closed") << "abc\n1,0" << 0 << 0 << -32;
    QTest::newRow("barcode with letters") << "\vab\v" << 0 << 0 << -32;
    QTest::newRow("other control character") << "a\x01b" << 0 << 0 << -32;
    // A picture or barcode that is not stored fails the text: nothing of it
    // is printed (tst_vreg_pictures and tst_vreg_barcodes print stored ones).
    QTest::newRow("picture not stored") << "\n1,15\n" << 0 << 0 << -310;
    QTest::newRow("picture not stored, between texts") << "до\n2,0\nпосле" << 0 << 0 << -310;
    QTest::newRow("barcode not stored") << "\v3\v" << 0 << 1 << -306;
    QTest::newRow("no dynamic barcode yet") << "\v0\v" << 0 << 0 << -306;
    QTest::newRow("unknown wrap") << "abc" << 3 << 0 << -24;
    QTest::newRow("unknown alignment") << "abc" << 0 << -1 << -24;
}

void TestVregPrinting::invalidInput()
{
    QFETCH(QString, text);
    QFETCH(int, wrap);
    QFETCH(int, alignment);
    QFETCH(int, code);

    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    device->TextWrap(wrap);
    device->Alignment(alignment);
    device.setText(&Driver::Caption, text);
    QVERIFY(device->PrintText() < 0);
    QCOMPARE(device.code(), code);
    QVERIFY(!device.detail().isEmpty());
    QVERIFY(device.tape().isEmpty());
}

void TestVregPrinting::headerAndFooter()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    QCOMPARE(device->PrintHeader(), 0);
    QCOMPARE(device->PrintFooter(), 0);
    const QStringList expected = {
        "         ООО «Колосок»",
        "       Магазин «Колосок»",
        "   г. Энск, ул. Полевая, д. 1",
        "     Тел. 8 (000) 000-00-00",
        "      Спасибо за покупку!",
        "         Ждём вас снова",
        kCut,
    };
    QCOMPARE(device.tape(), expected);

    // The header follows its captions and the number of its lines.
    QCOMPARE(device.enterMode(4, "29"), 0);
    device->CaptionPurpose(0);
    device.setText(&Driver::Caption, "\tМАГАЗИН");
    QCOMPARE(device->SetCaption(), 0);
    device->ValuePurpose(66);
    device->Value(2.0);
    QCOMPARE(device->SetValue(), 0);
    device->ValuePurpose(279); // not centred
    device->Value(0.0);
    QCOMPARE(device->SetValue(), 0);
    QCOMPARE(device->PrintHeader(), 0);
    QCOMPARE(device.tape().mid(expected.size()), (QStringList{"М А Г А З И Н", "Магазин «Колосок»"}));
}

void TestVregPrinting::cuts()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0", "Model", "2"}));
    QCOMPARE(device->PartialCut(), 0);
    QCOMPARE(device->FullCut(), 0);
    const QStringList tape = device.tape();
    QCOMPARE(tape, (QStringList{"-------------- ✂ неполная отрезка --------------",
                                "=============== ✂ полная отрезка ===============",}));
    QCOMPARE(tape[0].size(), 48);
    QCOMPARE(tape[1].size(), 48);
}

void TestVregPrinting::formattedText()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    device->TestMode(0);
    device->FontNegative(0);
    device->FontUnderline(0);
    device->FontBold(1);
    device.setText(&Driver::Caption, "Поле 1");
    QCOMPARE(device->AddField(), 0);

    // The bench's order: the whole formatted-text group, Caption last.
    device->TestMode(0);
    device->TextWrap(1);
    device->Alignment(0);
    device->FontNegative(1);
    device->FontUnderline(1);
    device->FontBold(0);
    device->FontDblWidth(1);
    device->PrintPurpose(2);
    device->ChequeTapeFont(2);
    device->ChequeTapeFontHeight(1);
    device->ChequeTapeBrightness(0);
    device->ChequeTapeLineSpacing(0);
    device->ControlTapeFont(0);
    device->ControlTapeFontHeight(0);
    device->ControlTapeBrightness(5);
    device->ControlTapeLineSpacing(3);
    device.setText(&Driver::Caption, "Итог");
    QVERIFY2(device->PrintFormattedText() == 0, qPrintable(device.result()));

    const QString field = QStringLiteral("П о л е   1") + spaces(21) + " │ ";
    const QString total = QStringLiteral("И т о г") + spaces(25) + " │ ";
    QCOMPARE(device.tape(), (QStringList{field + "жирный, шрифт 2, растянутый",
                                         total + "подчёркнутый, инверсный, шрифт 2, растянутый"}));
    QCOMPARE(device.tape(QStringLiteral("control-tape.txt")),
             (QStringList{field + "жирный, яркость 5, интервал 3",
                          total + "подчёркнутый, инверсный, яркость 5, интервал 3"}));

    // Printed fields are gone: the next print has only its own text.
    device->FontDblWidth(0);
    device->FontNegative(0);
    device->FontUnderline(0);
    device->PrintPurpose(0);
    device->ChequeTapeFont(0);
    device->ChequeTapeFontHeight(0);
    device.setText(&Driver::Caption, "Ещё");
    QCOMPARE(device->PrintFormattedText(), 0);
    QCOMPARE(device.tape().size(), 3);
    QCOMPARE(device.tape().last(), QStringLiteral("Ещё"));

    // Every input is checked.
    device->ChequeTapeFont(8);
    QVERIFY(device->PrintFormattedText() < 0);
    QCOMPARE(device.code(), -24);
    QVERIFY(device.detail().contains("ChequeTapeFont"));
    QCOMPARE(device.tape().size(), 3);
}

void TestVregPrinting::formattedTextTestModeKeepsFields()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    device.setText(&Driver::Caption, "Первое");
    QCOMPARE(device->AddField(), 0);
    device->TestMode(1);
    device.setText(&Driver::Caption, "Проверка");
    QCOMPARE(device->AddField(), 0); // checked, not added
    device.setText(&Driver::Caption, "\n1\n");
    QVERIFY(device->AddField() < 0);
    QCOMPARE(device.code(), -32);
    device.setText(&Driver::Caption, "Последнее");
    QCOMPARE(device->PrintFormattedText(), 0);
    QVERIFY(device.tape().isEmpty());
    device->TestMode(0);
    QCOMPARE(device->PrintFormattedText(), 0);
    QCOMPARE(device.tape(), (QStringList{"Первое", "Последнее"}));
}

void TestVregPrinting::demoPrint()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    device->PrintPurpose(0);
    QCOMPARE(device->DemoPrint(), 0);
    const QStringList tape = device.tape();
    QVERIFY(tape.size() > 20);
    QCOMPARE(tape.first(), spaces(8) + "ТЕСТОВАЯ ПЕЧАТЬ");
    QCOMPARE(tape.last(), kCut);
    QVERIFY(tape.contains("12345678901234567890123456789012"));
    for (const QString &line : tape)
        QVERIFY2(line.section(" │ ", 0, 0).size() <= 32, qPrintable(line));
    QVERIFY(device.tape("control-tape.txt").isEmpty());

    // Only the control tape: the receipt tape stays as it was.
    device->PrintPurpose(1);
    QCOMPARE(device->DemoPrint(), 0);
    QCOMPARE(device.tape(), tape);
    QCOMPARE(device.tape("control-tape.txt"), tape.mid(0, tape.size() - 1));
    device->PrintPurpose(3);
    QVERIFY(device->DemoPrint() < 0);
    QCOMPARE(device.code(), -24);
}

void TestVregPrinting::receiptPrinterHasNoControlTape()
{
    Device printer(*m_printer);
    QVERIFY(printer.connect({"PrintSpeed", "0"}));
    printer->PrintPurpose(1);
    QVERIFY(printer->DemoPrint() < 0);
    QCOMPARE(printer.code(), -24);
    printer->PrintPurpose(0);
    QCOMPARE(printer->DemoPrint(), 0);
    printer.setText(&Driver::Caption, "Принтер");
    printer->TextWrap(0);
    printer->Alignment(0);
    QCOMPARE(printer->PrintText(), 0);
    QCOMPARE(printer.tape().last(), QStringLiteral("Принтер"));
}

void TestVregPrinting::paperOutAndContinue()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0", "PaperPresent", "0"}));
    QCOMPARE(device.intValue(&Driver::CheckPaperPresent), 0);
    device->TextWrap(1);
    device->Alignment(0);
    device.setText(&Driver::Caption, "Первый документ");
    QVERIFY(device->PrintText() < 0);
    QCOMPARE(device.code(), -30);
    QCOMPARE(device.resultDescription(), QStringLiteral("Нет бумаги"));
    QVERIFY(device.tape().isEmpty());

    // While the interrupted document waits, nothing else prints.
    device.setText(&Driver::Caption, "Второй документ");
    QVERIFY(device->PrintText() < 0);
    QCOMPARE(device.code(), -31);
    QVERIFY(device->FullCut() < 0);
    QCOMPARE(device.code(), -31);
    QVERIFY(device->ContinuePrint() < 0);
    QCOMPARE(device.code(), -30);
    QVERIFY(device.tape().isEmpty());

    QCOMPARE(device.write("PaperPresent", "1"), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device->ContinuePrint(), 0);
    QCOMPARE(device.tape(), QStringList{"Первый документ"});
    QCOMPARE(device->ContinuePrint(), 0); // nothing left to continue
    QCOMPARE(device.tape(), QStringList{"Первый документ"});
    QCOMPARE(device->PrintText(), 0);
    QCOMPARE(device.tape(), (QStringList{"Первый документ", "Второй документ"}));
}

void TestVregPrinting::interruptedDocumentSurvivesRestart()
{
    QTemporaryDir folder;
    {
        Device device(*m_fptr);
        QVERIFY(device.connect({"PrintSpeed", "0", "PaperPresent", "0", "DataDir", folder.path()}));
        QVERIFY(device->PrintFooter() < 0);
        QCOMPARE(device.code(), -30);
    }
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0", "DataDir", folder.path()}));
    QVERIFY(device.tape().isEmpty());
    device.setText(&Driver::Caption, "новый");
    QVERIFY(device->PrintText() < 0);
    QCOMPARE(device.code(), -31);
    QCOMPARE(device->ContinuePrint(), 0);
    QCOMPARE(device.tape(), (QStringList{"      Спасибо за покупку!", "         Ждём вас снова", kCut}));
}

void TestVregPrinting::printingSpeed()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "50"}));
    device->TextWrap(2);
    device->Alignment(0);
    device.setText(&Driver::Caption, QString(25 * 32, QLatin1Char('x'))); // 25 lines
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(device->PrintText(), 0);
    const qint64 slow = timer.elapsed();
    QCOMPARE(device.tape().size(), 25);
    QVERIFY2(slow >= 450 && slow < 5000, qPrintable(QString::number(slow)));

    QCOMPARE(device.write("PrintSpeed", "0"), 0);
    QCOMPARE(device->ApplySettings(), 0);
    timer.restart();
    QCOMPARE(device->PrintText(), 0);
    QVERIFY2(timer.elapsed() < 300, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(device.tape().size(), 50);
}

FPTR_TEST_MAIN(TestVregPrinting)
#include "tst_vreg_printing.moc"
