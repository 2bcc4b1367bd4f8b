// Journal files and code: a call written as a JSON line reads back as the
// same call (texts exact, marks and all); a broken file is refused at its
// line and column; and the C++ fragment of a receipt compiles against the
// driver contract and, run, makes the very same calls.

#include "calljournal.h"
#include "journalformat.h"
#include "journalingdriver.h"
#include "recordingdriver.h"
#include "testmain.h"

#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

using Journal::Call;

namespace {

Call makeCall(int op)
{
    Call call;
    call.op = quint16(op);
    call.seq = 7;
    call.deviceId = 1;
    call.device = QStringLiteral("Виртуальная ККТ 57 мм (USB:VREG)");
    call.timeUs = 1714557723481220LL;
    call.durationNs = 41207;
    return call;
}

QByteArray header()
{
    Journal::Device device;
    device.id = 1;
    device.kind = 0;
    device.name = QStringLiteral("Касса");
    device.settings = QStringLiteral("{\"Port\":\"USB\"}");
    return JournalFormat::deviceLine(device) + '\n';
}

// Columns count characters from 1, not bytes.
int columnOf(const QByteArray &line, const char *key)
{
    return int(QString::fromUtf8(line.left(line.indexOf(key))).size()) + 1;
}

bool sameCall(const Call &a, const Call &b)
{
    const bool numbers = a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
    return a.op == b.op && a.seq == b.seq && a.timeUs == b.timeUs && a.durationNs == b.durationNs
        && a.group == b.group && a.groupName == b.groupName && a.deviceId == b.deviceId && a.device == b.device
        && a.thread == b.thread && a.result == b.result && a.code == b.code && a.description == b.description
        && a.capacity == b.capacity && a.ints[0] == b.ints[0] && a.ints[1] == b.ints[1] && a.ints[2] == b.ints[2]
        && numbers && std::signbit(a.number) == std::signbit(b.number) && a.text == b.text
        && a.settingName == b.settingName && a.settings == b.settings && a.failed == b.failed;
}

} // namespace

class TestJournalFormat : public QObject
{
    Q_OBJECT

private slots:
    void callReadsBackExactly_data();
    void callReadsBackExactly();
    void brokenJournalsAreRefused_data();
    void brokenJournalsAreRefused();
    void endAndGapLines();
    void receiptAsCodeCompilesAndRepeatsTheCalls();
};

void TestJournalFormat::callReadsBackExactly_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<QList<int>>("ints");
    QTest::addColumn<int>("result");

    const QList<int> none{0, 0, 0};
    // The print marks are control characters; with quotes, backslashes,
    // a character beyond the basic plane and a lone surrogate half.
    QTest::newRow("text with marks") << int(Journal::Set_Caption)
                                     << QStringLiteral("\t«ШИРОКО»\n1,0\n\x0b" "2\x0b \"q\" \\ \x01\x7f 😀 \u2028")
                                     << 0.0 << none << 0;
    QTest::newRow("text getter") << int(Journal::Get_ResultDescription) << QStringLiteral("Смена не открыта")
                                 << 0.0 << none << 16;
    QTest::newRow("lone surrogate") << int(Journal::Set_Name) << QString(QChar(0xD800)) + QStringLiteral("x")
                                    << 0.0 << none << 0;
    QTest::newRow("empty text") << int(Journal::Set_Name) << QString() << 0.0 << none << 0;
    QTest::newRow("tenth") << int(Journal::Set_Price) << QString() << 0.1 << none << 0;
    QTest::newRow("quantity") << int(Journal::Set_Quantity) << QString() << 2.345 << none << 0;
    QTest::newRow("huge") << int(Journal::Set_Summ) << QString() << 1e300 << none << 0;
    QTest::newRow("tiny") << int(Journal::Set_Summ) << QString() << 5e-324 << none << 0;
    QTest::newRow("negative zero") << int(Journal::Set_Summ) << QString() << -0.0 << none << 0;
    QTest::newRow("not a number") << int(Journal::Get_Summ) << QString()
                                  << std::numeric_limits<double>::quiet_NaN() << none << 0;
    QTest::newRow("infinity") << int(Journal::Get_Change) << QString()
                              << -std::numeric_limits<double>::infinity() << none << 0;
    QTest::newRow("smallest int") << int(Journal::Set_Department) << QString() << 0.0
                                  << QList<int>{std::numeric_limits<int>::min(), 0, 0} << 0;
    QTest::newRow("date") << int(Journal::Set_Date) << QString() << 0.0 << QList<int>{31, 12, 2016} << 0;
    QTest::newRow("time getter") << int(Journal::Get_Time) << QString() << 0.0 << QList<int>{23, 59, 58} << 0;
    QTest::newRow("failed action") << int(Journal::Run_Sell) << QString() << 0.0 << none << -1;
    QTest::newRow("setting written") << int(Journal::Set_WriteSetting) << QStringLiteral("/путь/к кассе") << 0.0
                                     << none << 0;
}

void TestJournalFormat::callReadsBackExactly()
{
    QFETCH(int, op);
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(QList<int>, ints);
    QFETCH(int, result);
    Call call = makeCall(op);
    call.text = text;
    call.number = number;
    std::copy(ints.begin(), ints.end(), call.ints);
    call.result = result;
    call.group = 3;
    call.groupName = QStringLiteral("Продажа\n(позиция)");
    call.thread = Journal::Thread::Worker;
    if (call.operation().kind == Journal::Kind::Getter && call.operation().type == Journal::Type::Text)
        call.capacity = 256;
    if (call.operation().named)
        call.settingName = QStringLiteral("SearchDir");
    if (result < 0) {
        call.code = -3822;
        call.description = QStringLiteral("Смена \"не\" открыта");
        call.failed = true;
    }
    if (op == Journal::Set_WriteSetting)
        call.settings = QStringLiteral("{\"SearchDir\":\"/путь\"}");

    const QByteArray line = JournalFormat::callLine(call);
    QVERIFY2(!line.contains('\n') && !line.contains('\r'), line.constData());
    JournalFormat::Parsed parsed;
    JournalFormat::ParseError error;
    QVERIFY2(JournalFormat::parse(header() + line + '\n' + JournalFormat::endLine(1) + '\n', &parsed, &error),
             qPrintable(error.toString() + QLatin1Char('\n') + QString::fromUtf8(line)));
    QVERIFY(parsed.ended);
    QCOMPARE(parsed.calls.size(), size_t(1));
    QCOMPARE(parsed.callLines.front(), 2);
    QVERIFY2(sameCall(parsed.calls.front(), call), line.constData());
    QCOMPARE(parsed.devices.size(), 1);
    QCOMPARE(parsed.devices.constFirst().settings, QStringLiteral("{\"Port\":\"USB\"}"));
}

void TestJournalFormat::brokenJournalsAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");

    Call sell = makeCall(Journal::Run_Sell);
    const QByteArray call = JournalFormat::callLine(sell);
    const QByteArray end = JournalFormat::endLine(1);

    QTest::newRow("cut in the middle of a line") << header() + call + '\n' + call.left(40) << 3 << 41;
    QTest::newRow("not JSON") << header() + "Продажа\n" << 2 << 1;
    QTest::newRow("not an object") << header() + "[1,2]\n" << 2 << 1;
    QByteArray unknown = call;
    unknown.replace("\"op\":\"Sell\"", "\"op\":\"Sel\"");
    QTest::newRow("unknown operation") << header() + unknown + '\n' << 2 << columnOf(unknown, "\"op\"");
    QByteArray textForNumber = JournalFormat::callLine(makeCall(Journal::Set_Quantity));
    textForNumber.replace("\"value\":0", "\"value\":\"2\"");
    QTest::newRow("text for a number") << header() + textForNumber + '\n' << 2
                                       << columnOf(textForNumber, "\"value\"");
    // Read as microseconds since 1970, a year this far off would overflow.
    QByteArray farYear = call;
    farYear.insert(farYear.indexOf("\"time\":\"") + 8, "20260000000");
    QTest::newRow("time beyond any year") << header() + farYear + '\n' << 2 << columnOf(farYear, "\"time\"");
    QByteArray noResult = call;
    noResult.replace("\"result\":0,", "");
    QTest::newRow("no result") << header() + noResult + '\n' << 2 << 1;
    QTest::newRow("call before its device") << call + '\n' + header() << 1 << columnOf(call, "\"device_id\"");
    QTest::newRow("end counts wrong") << header() + call + '\n' + JournalFormat::endLine(2) + '\n' << 3
                                      << int(JournalFormat::endLine(2).indexOf("\"calls\"")) + 1;
    QTest::newRow("line after the end") << header() + call + '\n' + end + '\n' + call + '\n' << 4 << 1;
    QTest::newRow("unknown line") << header() + "{\"record\":\"note\"}\n" << 2 << 2;
    // Columns count characters, not bytes.
    QTest::newRow("cut after Cyrillic") << header() + "{\"record\":\"call\",\"device\":\"Касса" << 2 << 33;
}

void TestJournalFormat::brokenJournalsAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(int, column);
    JournalFormat::Parsed parsed;
    JournalFormat::ParseError error;
    QVERIFY(!JournalFormat::parse(content, &parsed, &error));
    QVERIFY(!error.message.isEmpty());
    QCOMPARE(error.line, line);
    QCOMPARE(error.column, column);
    QVERIFY(error.toString().startsWith(QStringLiteral("строка %1, столбец %2: ").arg(line).arg(column)));
}

void TestJournalFormat::endAndGapLines()
{
    const QByteArray call = JournalFormat::callLine(makeCall(Journal::Run_Beep));
    JournalFormat::Parsed parsed;
    JournalFormat::ParseError error;
    // Cut at a line boundary: readable, but known to be incomplete.
    QVERIFY(JournalFormat::parse(header() + call + '\n', &parsed, &error));
    QVERIFY(!parsed.ended);
    QCOMPARE(parsed.lines, 2);
    QVERIFY(JournalFormat::parse(header() + call + '\n' + JournalFormat::gapLine(5) + '\n' + call + "\r\n\n"
                                     + JournalFormat::endLine(2) + '\n',
                                 &parsed, &error));
    QVERIFY(parsed.ended);
    QCOMPARE(parsed.gaps, 1);
    QCOMPARE(parsed.firstGapLine, 3);
    QCOMPARE(parsed.callLines, (std::vector<int>{2, 4}));
}

void TestJournalFormat::receiptAsCodeCompilesAndRepeatsTheCalls()
{
    const auto call = [](int op, const std::function<void(Call &)> &fill = {}) {
        Call c = makeCall(op);
        if (fill)
            fill(c);
        return c;
    };
    const std::vector<Call> receipt = {
        call(Journal::Set_WriteSetting, [](Call &c) {
            c.settingName = QStringLiteral("SearchDir");
            c.text = QStringLiteral("C:\\кассы\\");
        }),
        call(Journal::Set_Mode, [](Call &c) { c.ints[0] = 1; c.group = 1; c.groupName = QStringLiteral("Войти в режим"); }),
        call(Journal::Set_Password, [](Call &c) { c.text = QStringLiteral("58"); c.group = 1; }),
        call(Journal::Run_SetMode, [](Call &c) { c.group = 1; }),
        // A caption with a line break and a trailing backslash must not
        // break the comment it becomes.
        call(Journal::Set_Name, [](Call &c) {
            c.group = 2;
            c.groupName = QStringLiteral("Продажа\nпозиции \\");
            c.text = QStringLiteral("\tЧипсы \"LAYS\"?\?=\n1\n\x0b" "2\x0b \\ ") + QChar(0xDFFF) + QStringLiteral("ab 😀");
        }),
        call(Journal::Set_Quantity, [](Call &c) { c.number = 2; c.group = 2; }),
        call(Journal::Set_Price, [](Call &c) { c.number = 45.5; c.group = 2; }),
        call(Journal::Set_Summ, [](Call &c) { c.number = 0; c.group = 2; }),
        call(Journal::Set_Department, [](Call &c) { c.ints[0] = std::numeric_limits<int>::min(); c.group = 2; }),
        call(Journal::Set_Date, [](Call &c) { c.ints[0] = 31; c.ints[1] = 12; c.ints[2] = 2016; c.group = 2; }),
        call(Journal::Run_Sell, [](Call &c) {
            c.group = 2;
            c.result = -1;
            c.code = -3822;
            c.description = QStringLiteral("Смена не открыта\\");
            c.failed = true;
        }),
        call(Journal::Get_ResultCode, [](Call &c) { c.ints[0] = -3822; c.group = 2; }),
        call(Journal::Get_ResultDescription, [](Call &c) { c.capacity = 256; c.text = QStringLiteral("Смена"); c.group = 2; }),
        call(Journal::Get_Caption, [](Call &c) { c.capacity = 100001; c.group = 2; }),
        call(Journal::Get_Time, [](Call &c) { c.group = 2; }),
        call(Journal::Get_Summ, [](Call &c) { c.group = 2; }),
        call(Journal::Get_ReadSetting, [](Call &c) { c.settingName = QStringLiteral("Model"); c.capacity = 2048; }),
        call(Journal::Set_PaymentType, [](Call &c) { c.ints[0] = 0; c.group = 3; c.groupName = QStringLiteral("Закрыть чек"); }),
        call(Journal::Run_CloseCheque, [](Call &c) { c.group = 3; }),
    };
    const QString fragment = JournalFormat::codeFragment(receipt);

    QTemporaryDir dir;
    QFile source(dir.filePath(QStringLiteral("receipt.cpp")));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("#include \"ifptr.h\"\n\nextern \"C\" void receipt(VOR::Fptr::IFptr *fptr)\n{\n");
    source.write(fragment.toUtf8());
    source.write("}\n");
    source.close();
    QProcess compiler;
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.start(QStringLiteral(FPTR_CXX_COMPILER),
                   {QStringLiteral("-std=c++17"), QStringLiteral("-Wall"), QStringLiteral("-Wextra"),
                    QStringLiteral("-Werror"), QStringLiteral("-shared"), QStringLiteral("-fPIC"),
                    QStringLiteral("-I") + QStringLiteral(FPTR_DRIVER_DIR), source.fileName(), QStringLiteral("-o"),
                    dir.filePath(QStringLiteral("libreceipt.so"))});
    QVERIFY(compiler.waitForFinished(120000));
    QVERIFY2(compiler.exitCode() == 0,
             qPrintable(QString::fromUtf8(compiler.readAll()) + QStringLiteral("\n") + fragment));

    // Run against a driver, journaled: the same operations with the same
    // values, in the same order.
    QLibrary library(dir.filePath(QStringLiteral("libreceipt.so")));
    auto run = reinterpret_cast<void (*)(VOR::Fptr::IFptr *)>(library.resolve("receipt"));
    QVERIFY2(run, qPrintable(library.errorString()));
    RecordingDriver driver;
    CallJournal journal;
    JournalingDriver journaled(&driver, journal, journal.addDevice(0, QString()));
    run(&journaled);
    std::vector<Call> repeated;
    journal.copySince(0, repeated);
    QCOMPARE(repeated.size(), receipt.size());
    for (size_t i = 0; i < receipt.size(); ++i) {
        const Call &want = receipt[i];
        const Call &got = repeated[i];
        QCOMPARE(got.op, want.op);
        if (want.operation().kind == Journal::Kind::Getter) {
            QCOMPARE(got.capacity, want.capacity);
            QCOMPARE(got.settingName, want.settingName);
            continue;
        }
        QCOMPARE(got.text, want.text);
        QCOMPARE(got.settingName, want.settingName);
        QCOMPARE(got.number, want.number);
        QCOMPARE((QList<int>{got.ints[0], got.ints[1], got.ints[2]}),
                 (QList<int>{want.ints[0], want.ints[1], want.ints[2]}));
    }
    library.unload();
}

FPTR_TEST_MAIN(TestJournalFormat)
#include "tst_journalformat.moc"
