// Replay: a cashier's day is clicked through the real window against the
// virtual register, its journal saved from the journal panel, and replayed
// by fptr_replay against a fresh virtual register: no difference, with
// times and fiscal signs left out. The same journal with one result changed
// is reported at that line; a cut or broken journal is refused at its line.

#include "windowfixture.h"

#include "appcore.h"
#include "calljournal.h"
#include "extendedlineedit.h"
#include "journalpanel.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>

#include "testmain.h"

#include <functional>

namespace {

// What changes from one register to the next even when both are fresh:
// the clock, and the fiscal signs (in the last-document registers' Value).
const char *const Ignored = "Date,Time,Value";

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome replay(const QStringList &arguments)
{
    QProcess process;
    process.start(appDir() + QStringLiteral("fptr_replay"), arguments);
    Outcome outcome;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The line (from 1) of the first line containing `marker`.
int lineOf(const QByteArray &content, const QByteArray &marker)
{
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(marker))
            return i + 1;
    }
    return -1;
}

} // namespace

class TestJournalReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dayReplaysWithoutDifferences();
    void changedResultIsReportedAtItsLine();
    void unusableJournalsAreRefused_data();
    void unusableJournalsAreRefused();

private:
    QStringList freshRegister(const QString &name) const
    {
        const QString folder = m_dir.filePath(name);
        return {QStringLiteral("--settings"),
                QStringLiteral("{\"DataDir\":\"%1\",\"PrintSpeed\":\"0\"}").arg(folder)};
    }

    QTemporaryDir m_dir;
    QString m_journal;
    QByteArray m_content;
};

void TestJournalReplay::initTestCase()
{
    QFile::remove(configDir() + QStringLiteral("fptr.cfg"));
    CallJournal::global().clear();
    m_journal = m_dir.filePath(QStringLiteral("day.jsonl"));

    WindowUser bench;
    bench.startWindow();
    // Instant printing, in the driver's own dialog: the replay applies what
    // the dialog changed without opening it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&answer]() {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            answer.stop();
            dialog->findChild<QSpinBox *>(QStringLiteral("spinPrintSpeed"))->setValue(0);
            dialog->findChild<QAbstractButton *>(QStringLiteral("pbtnOk"))->click();
        }
    });
    answer.start(10);
    bench.click("pbtnProperties");
    QCOMPARE(bench.error(), QString());

    bench.check("cbEnable", true);
    bench.select("cmbMode", 1);
    bench.click("pbtnSetMode");
    bench.click("pbtnOpenSession");
    QCOMPARE(bench.error(), QString());
    bench.widget<ExtendedLineEdit>("leCommodityName")->setText(QStringLiteral("Чипсы \"с беконом\""));
    bench.widget<QDoubleSpinBox>("spinQuantity")->setValue(2);
    bench.widget<QDoubleSpinBox>("spinPrice")->setValue(45.50);
    bench.select("cmbTaxNumber", 2);
    bench.click("pbtnSell");
    bench.widget<QDoubleSpinBox>("spinPaymentSumm")->setValue(100);
    bench.select("cmbPaymentType", 0);
    bench.click("pbtnPayment");
    bench.click("pbtnCloseCheque");
    QCOMPARE(bench.error(), QString());

    // The registers the day left, among them one the register refuses and
    // the last receipt with its fiscal sign.
    bench.click("pbtnSectionRegisters");
    for (int number : {1, 10, 20, 21, 22, 51}) {
        bench.select("cmbRegisterNumber", number);
        bench.click("pbtnGetRegister");
    }

    auto *panel = bench.window->findChild<JournalPanel *>();
    QVERIFY(panel);
    QString error;
    QVERIFY2(panel->saveJournal(m_journal, false, &error), qPrintable(error));
    m_content = readAll(m_journal);
    QVERIFY(m_content.contains("\"op\":\"CloseCheque\""));
    QVERIFY(m_content.contains("\"worker\"") || m_content.contains("\"gui\""));
}

void TestJournalReplay::dayReplaysWithoutDifferences()
{
    const Outcome outcome = replay(QStringList{m_journal, QStringLiteral("--compare"), QStringLiteral("--ignore"),
                                               QLatin1String(Ignored)}
                                   + freshRegister(QStringLiteral("fresh")));
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.out + outcome.err));
    QVERIFY2(outcome.out.contains(QStringLiteral("различий: 0")), qPrintable(outcome.out));
    // It did run against a register of its own.
    QVERIFY(QDir(m_dir.filePath(QStringLiteral("fresh"))).exists());

    // A register whose clock and fiscal signs differ: left out, they make
    // no difference; compared, each shows at its line.
    QList<QByteArray> lines = m_content.split('\n');
    QList<int> changed;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray &line = lines[i];
        if (line.contains("\"op\":\"Time\",\"kind\":\"getter\"")) {
            const int at = line.indexOf("\"value\":[");
            line = line.left(at) + "\"value\":[25,61,61]" + line.mid(line.indexOf(']', at) + 1);
            changed << i + 1;
        } else if (line.contains("\"op\":\"Value\",\"kind\":\"getter\"")) {
            const int at = line.indexOf("\"value\":");
            line = line.left(at) + "\"value\":7" + line.mid(line.indexOf(',', at));
            changed << i + 1;
        }
    }
    QVERIFY(changed.size() >= 2);
    const QString path = m_dir.filePath(QStringLiteral("other-clock.jsonl"));
    writeAll(path, lines.join('\n'));
    const Outcome ignoring = replay(QStringList{path, QStringLiteral("--compare"), QStringLiteral("--ignore"),
                                                QLatin1String(Ignored)}
                                    + freshRegister(QStringLiteral("ignoring")));
    QVERIFY2(ignoring.exitCode == 0, qPrintable(ignoring.out + ignoring.err));
    const Outcome comparing = replay(QStringList{path, QStringLiteral("--compare"), QStringLiteral("--ignore"),
                                                 QStringLiteral("Date")}
                                     + freshRegister(QStringLiteral("comparing")));
    QCOMPARE(comparing.exitCode, 1);
    for (int line : changed) {
        QVERIFY2(comparing.out.contains(QRegularExpression(
                     QStringLiteral("^строка %1: (Time|Value): значение .*, в журнале (25:61:61|7)$").arg(line),
                     QRegularExpression::MultilineOption)),
                 qPrintable(comparing.out));
    }
}

void TestJournalReplay::changedResultIsReportedAtItsLine()
{
    QByteArray tampered = m_content;
    const int line = lineOf(tampered, "\"op\":\"CloseCheque\"");
    QVERIFY(line > 0);
    QList<QByteArray> lines = tampered.split('\n');
    QVERIFY(lines[line - 1].contains("\"result\":0"));
    lines[line - 1].replace("\"result\":0", "\"result\":7");
    const QString path = m_dir.filePath(QStringLiteral("tampered.jsonl"));
    writeAll(path, lines.join('\n'));

    const Outcome outcome = replay(QStringList{path, QStringLiteral("--compare"), QStringLiteral("--ignore"),
                                               QLatin1String(Ignored)}
                                   + freshRegister(QStringLiteral("tampered")));
    QCOMPARE(outcome.exitCode, 1);
    const QStringList reported = outcome.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QStringLiteral("строка "));
    QCOMPARE(reported, QStringList{QStringLiteral("строка %1: CloseCheque: результат 0, в журнале 7").arg(line)});
    QVERIFY(outcome.out.contains(QStringLiteral("различий: 1")));
}

void TestJournalReplay::unusableJournalsAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");

    const QByteArray content = readAll(m_journal);
    const QList<QByteArray> lines = content.split('\n');
    const int middle = lines.size() / 2;
    QByteArray cut;
    for (int i = 0; i < middle - 1; ++i)
        cut += lines[i] + '\n';
    cut += lines[middle - 1].left(lines[middle - 1].size() / 2);
    QTest::newRow("cut in a line") << "cut.jsonl" << cut << QStringList()
                                   << QStringLiteral("строка %1, столбец ").arg(middle);

    QByteArray atBoundary;
    for (int i = 0; i < middle; ++i)
        atBoundary += lines[i] + '\n';
    QTest::newRow("cut at a line end") << "boundary.jsonl" << atBoundary << QStringList()
                                       << QStringLiteral("строка %1: журнал обрывается").arg(middle + 1);

    QList<QByteArray> garbled = lines;
    garbled[3] = "{\"record\":\"call\",\"op\":\"Sell\",\"kind\":\"getter\"}";
    QTest::newRow("unknown operation") << "garbled.jsonl" << garbled.join('\n') << QStringList()
                                       << QStringLiteral("строка 4, столбец ");
    QTest::newRow("driver that is not there") << "day.jsonl" << content
                                              << QStringList{QStringLiteral("--driver"), QStringLiteral("/nonexistent/libdriver.so")}
                                              << QStringLiteral("не удалось загрузить библиотеку драйвера");
    QTest::newRow("no such journal") << "" << QByteArray() << QStringList() << QStringLiteral("fptr_replay: ");
}

void TestJournalReplay::unusableJournalsAreRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    QString path = m_dir.filePath(QStringLiteral("missing.jsonl"));
    if (!name.isEmpty()) {
        path = m_dir.filePath(QStringLiteral("broken-") + name);
        writeAll(path, content);
    }
    const Outcome outcome = replay(QStringList{path, QStringLiteral("--compare")} + options
                                   + freshRegister(QStringLiteral("broken")));
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(expected), qPrintable(outcome.err));
    // Refused before anything ran.
    QVERIFY2(!outcome.out.contains(QStringLiteral("Воспроизведено")), qPrintable(outcome.out));
}

FPTR_TEST_MAIN(TestJournalReplay)
#include "tst_journalreplay.moc"
