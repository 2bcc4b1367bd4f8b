// The virtual register's memory as a driver user relies on it: every action
// is stored whole or not at all, whatever stops it (a full disk, a database
// held by another program, the process killed); one data folder belongs to
// one driver object; calls from several threads keep the books; and the
// JSON memory of earlier versions comes over intact.

#include "sqlitefile.h"
#include "testmain.h"
#include "vregday.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>

using namespace vregtest;

namespace {

const char *const kChildFolder = "VREG_STORAGE_CHILD_FOLDER";

// Every write to a file fails as on a full disk while it lives (it works
// as root too, which ignores permissions): the process may not grow a file
// past zero bytes, and the signal that would kill it is ignored.
class DiskFull
{
public:
    DiskFull()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit none = m_saved;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    DiskFull(const DiskFull &) = delete;
    DiskFull &operator=(const DiskFull &) = delete;

private:
    rlimit m_saved{};
};

QString memoryOf(const Device &device)
{
    return device.dataFolder() + QStringLiteral("/memory.db");
}

// What a user can see of the register: its registers, the open receipt,
// the drawer, the last document and the tape.
QStringList dump(const DayTill &till)
{
    QStringList all;
    for (int type = 1; type <= 4; ++type) {
        for (int counter = 1; counter <= 2; ++counter) {
            const QMap<int, QString> answers = till.snapshot(of(type, counter));
            for (auto it = answers.begin(); it != answers.end(); ++it)
                all << QStringLiteral("%1/%2 #%3 %4").arg(type).arg(counter).arg(it.key()).arg(it.value());
        }
    }
    all << QStringLiteral("drawer %1").arg(till.drawer(), 0, 'f', 2);
    SqliteFile memory(memoryOf(till));
    all << QStringLiteral("last document ") + memory.value(QStringLiteral(
               "SELECT number || ' ' || lines FROM documents ORDER BY number DESC LIMIT 1"));
    all << QStringLiteral("tape %1 lines").arg(till.tape().size());
    till.get()->CaptionPurpose(70);
    till.get()->GetCaption();
    all << QStringLiteral("caption 70 ") + till.text(&Driver::Caption);
    till.get()->GetStatus();
    all << QStringLiteral("date ") + till.date(&Driver::Date).toString(Qt::ISODate);
    return all;
}

// A fiscalised register with a shift open, connected in a folder of its own.
bool openDay(DayTill &till, const QString &folder)
{
    return till.open({QStringLiteral("DataDir"), folder}) && till.fiscalise() && till.mode(1) >= 0
        && till.cash(true, 500.00) >= 0;
}

bool openReceipt(const DayTill &till)
{
    return till.sell({QStringLiteral("Хлеб"), 1, 45.50, 1, 0}) >= 0 && till.sell({QStringLiteral("Молоко"), 2, 89.90, 1, 2}) >= 0;
}

// ---- the child of the crash test: a day that never ends, from wherever the
// last one was killed

int crashChild(const QString &folder)
{
    Library library(QStringLiteral("/fptr"));
    DayTill till(library);
    if (!till.open({QStringLiteral("DataDir"), folder}))
        return 2;
    // Fiscalisation step by step: a kill may have stopped it half way.
    if (till.getRegister(27) < 0) {
        till.setClock(kMorning);
        till.mode(5);
        till.setText(&Driver::SerialNumber, kSerial);
        till->SetSerialNumber();
        till.setText(&Driver::INN, kInn);
        till.setText(&Driver::RNM, kRnm);
        till.setText(&Driver::TaxPassword, QString());
        till->Fiscalization();
    }
    if (till.getRegister(28) < 0 && till.mode(6) >= 0)
        till->Activate();
    QRandomGenerator random{quint32(QDateTime::currentMSecsSinceEpoch())};
    for (int step = 0;; ++step) {
        till.mode(1);
        if (till.chequeState() != 0)
            till->CancelCheque();
        const int kind = int(random.bounded(20));
        if (kind == 0) {
            till.cash(true, 100.00 + random.bounded(100));
        } else if (kind == 1) {
            till.cash(false, 1.00 + random.bounded(10));
        } else if (kind == 2) {
            till.mode(2);
            till.report(2);
        } else if (kind == 3 && step % 5 == 0) {
            till.mode(3);
            till.report(1);
        } else {
            const int positions = 1 + int(random.bounded(4));
            for (int p = 0; p < positions; ++p)
                till.sell({QStringLiteral("Товар %1").arg(p), double(1 + random.bounded(3)), 10.00 + random.bounded(90), 1, 0});
            if (random.bounded(6) == 0)
                till.storno({QStringLiteral("Товар 0"), 1, 10.00, 1, 0});
            if (random.bounded(8) == 0) {
                till->CancelCheque();
                continue;
            }
            till.pay(random.bounded(3) == 0 ? 1 : 0, 300.00);
            till.close(0);
        }
    }
}

} // namespace

class TestVregStorage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void failedCommitChangesNothing_data();
    void failedCommitChangesNothing();
    void lockedDatabaseFailsClearlyAndRetries();
    void killedAtRandomMomentsKeepsTheBooksWhole();
    void oneDriverObjectPerFolder();
    void callsFromManyThreads();
    void importsTheJsonMemory();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregStorage::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

// ---- a commit that fails

using Step = std::function<int(const DayTill &)>;
using Effect = std::function<QString(const DayTill &)>;
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Effect)

void TestVregStorage::failedCommitChangesNothing_data()
{
    QTest::addColumn<Step>("prepare");
    QTest::addColumn<int>("mode"); // the mode the action runs in
    QTest::addColumn<Step>("action");
    // What shows that the retry did the action once.
    QTest::addColumn<Effect>("effect");

    const Step nothing = [](const DayTill &) { return 0; };
    const Step receipt = [](const DayTill &t) { return openReceipt(t) ? 0 : -1; };
    const auto drawer = [](const DayTill &t) { return QString::number(t.drawer(), 'f', 2); };
    const auto receiptSum = [](const DayTill &t) {
        t.getRegister(20);
        return QString::number(t.summ(), 'f', 2) + QLatin1Char('/') + QString::number(t.intValue(&Driver::ChequeState));
    };
    const auto documents = [](const DayTill &t) {
        return SqliteFile(memoryOf(t)).value(QStringLiteral("SELECT count(*) FROM documents"));
    };

    QTest::newRow("cash in") << nothing << 1 << Step([](const DayTill &t) { return t.cash(true, 50.00); })
                             << Effect(drawer);
    QTest::newRow("cash out") << nothing << 1 << Step([](const DayTill &t) { return t.cash(false, 20.00); })
                              << Effect(drawer);
    QTest::newRow("sell") << receipt << 1 << Step([](const DayTill &t) { return t.sell({QStringLiteral("Сыр"), 1, 300.00, 1, 0}); })
                          << Effect(receiptSum);
    QTest::newRow("storno") << receipt << 1
                            << Step([](const DayTill &t) { return t.storno({QStringLiteral("Хлеб"), 1, 45.50, 1, 0}); })
                            << Effect(receiptSum);
    QTest::newRow("discount") << receipt << 1 << Step([](const DayTill &t) { return t.discount(false, 10, 1, 0); })
                              << Effect(receiptSum);
    QTest::newRow("payment") << receipt << 1 << Step([](const DayTill &t) { return t.pay(1, 100.00); })
                             << Effect([](const DayTill &t) {
                                    t.getRegister(20);
                                    return QString::number(t.doubleValue(&Driver::Remainder), 'f', 2);
                                });
    QTest::newRow("close") << receipt << 1 << Step([](const DayTill &t) { return t.close(0); })
                           << Effect(documents);
    QTest::newRow("cancel") << receipt << 1 << Step([](const DayTill &t) { return t.get()->CancelCheque(); })
                            << Effect(documents);
    QTest::newRow("X-report") << Step([](const DayTill &t) { return t.mode(2); }) << 2
                              << Step([](const DayTill &t) { return t.report(2); })
                              << Effect(documents);
    QTest::newRow("Z-report") << Step([](const DayTill &t) { return t.mode(3); }) << 3
                              << Step([](const DayTill &t) { return t.report(1); })
                              << Effect([](const DayTill &t) {
                                     return QString::number(t.count(16)) + QLatin1Char('/')
                                         + SqliteFile(memoryOf(t)).value(QStringLiteral("SELECT count(*) FROM documents"));
                                 });
    QTest::newRow("table write") << Step([](const DayTill &t) { return t.mode(4); }) << 4
                                 << Step([](const DayTill &t) {
                                        t.get()->CaptionPurpose(70);
                                        t.setText(&Driver::Caption, QStringLiteral("Спасибо за покупку"));
                                        return t.get()->SetCaption();
                                    })
                                 << Effect([](const DayTill &t) {
                                        t.get()->CaptionPurpose(70);
                                        t.get()->GetCaption();
                                        return t.text(&Driver::Caption);
                                    });
    QTest::newRow("clock") << Step([](const DayTill &t) { return t.mode(3) < 0 ? -1 : t.report(1) < 0 ? -1 : t.get()->ResetMode(); }) << 0
                           << Step([](const DayTill &t) { return t.setClock(kMorning.addDays(1)); })
                           << Effect([](const DayTill &t) {
                                  t.get()->GetStatus();
                                  return t.date(&Driver::Date).toString(Qt::ISODate);
                              });
    QTest::newRow("fiscal property") << receipt << 1
                                     << Step([](const DayTill &t) {
                                            t.get()->FiscalPropertyNumber(1008);
                                            t.get()->FiscalPropertyType(5);
                                            t.get()->FiscalPropertyPrint(1);
                                            t.get()->FiscalPropertyUser(0);
                                            t.setText(&Driver::FiscalPropertyValue, QStringLiteral("buyer@example.org"));
                                            return t.get()->WriteFiscalProperty();
                                        })
                                     << Effect([](const DayTill &t) {
                                            // Written into the receipt: it shows on the closed document.
                                            if (t.close(0) < 0)
                                                return t.result();
                                            t.get()->FiscalPropertyNumber(1008);
                                            t.get()->ReadFiscalProperty();
                                            return t.text(&Driver::FiscalPropertyValue);
                                        });
}

void TestVregStorage::failedCommitChangesNothing()
{
    QFETCH(Step, prepare);
    QFETCH(int, mode);
    QFETCH(Step, action);
    QFETCH(Effect, effect);

    QTemporaryDir data;
    DayTill till(*m_fptr);
    QVERIFY2(openDay(till, data.path()), qPrintable(till.result()));
    QVERIFY2(prepare(till) >= 0, qPrintable(till.result()));
    const QStringList before = dump(till);

    int failed = 0;
    {
        DiskFull full;
        failed = action(till);
    }
    QVERIFY(failed < 0);
    QCOMPARE(till.code(), -8);
    QVERIFY2(till.detail().contains(QStringLiteral("memory.db")), qPrintable(till.detail()));
    QCOMPARE(dump(till), before);

    // Nothing was half done in memory either: the books read back from the
    // disk are what the register showed.
    QCOMPARE(till->DeviceEnabled(0), 0);
    QCOMPARE(till->DeviceEnabled(1), 0);
    QCOMPARE(mode == 0 ? 0 : till.mode(mode), 0);
    QCOMPARE(dump(till), before);

    QVERIFY2(action(till) >= 0, qPrintable(till.result()));
    const QString once = effect(till);

    // The same action on a twin that never failed has the same effect.
    QTemporaryDir twinData;
    DayTill twin(*m_fptr);
    QVERIFY(openDay(twin, twinData.path()));
    QVERIFY(prepare(twin) >= 0);
    QVERIFY(action(twin) >= 0);
    QCOMPARE(once, effect(twin));
}

void TestVregStorage::lockedDatabaseFailsClearlyAndRetries()
{
    QTemporaryDir data;
    DayTill till(*m_fptr);
    QVERIFY(openDay(till, data.path()));
    const double drawer = till.drawer();
    {
        // A tester's sqlite3 in the middle of a write transaction.
        SqliteFile tester(memoryOf(till));
        QVERIFY(tester.exec(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(till.cash(true, 50.00) < 0);
        QCOMPARE(till.code(), -8);
        QVERIFY2(till.detail().contains(QStringLiteral("locked")), qPrintable(till.detail()));
        QCOMPARE(till.drawer(), drawer);
        // A report that writes a file onto the SD card takes it back.
        QCOMPARE(till.mode(2), 0);
        till->Session(1);
        till->SessionEnd(1);
        QVERIFY(till.report(39) < 0);
        QCOMPARE(till.code(), -8);
        QCOMPARE(QDir(data.path() + QStringLiteral("/sd/reports")).entryList(QDir::Files), QStringList());
        QVERIFY(tester.exec(QStringLiteral("ROLLBACK")));
    }
    till->Session(1);
    till->SessionEnd(1);
    QVERIFY2(till.report(39) == 0, qPrintable(till.result()));
    QCOMPARE(QDir(data.path() + QStringLiteral("/sd/reports")).entryList(QDir::Files).size(), 1);
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till.cash(true, 50.00), 0);
    QCOMPARE(till.drawer(), drawer + 50.00);
}

// ---- killed at any moment

void TestVregStorage::killedAtRandomMomentsKeepsTheBooksWhole()
{
    QTemporaryDir data;
    QRandomGenerator random(20261209);
    int documentsSeen = 0;
    for (int kill = 0; kill < 50; ++kill) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildFolder), data.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QTest::qWait(int(60 + random.bounded(400)));
        QCOMPARE(child.state(), QProcess::Running);
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());

        DayTill till(*m_fptr);
        QVERIFY2(till.open({QStringLiteral("DataDir"), data.path()}), qPrintable(till.result()));
        // It opens without a notice of memory set aside.
        QCOMPARE(till.mode(1), 0);
        QCOMPARE(till.intValue(&Driver::ResultDetail), 0);
        QVERIFY(QDir(data.path()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files).isEmpty());

        SqliteFile memory(memoryOf(till));
        // Numbered without gaps, up to the number the register gives next.
        const QStringList numbers = memory.value(QStringLiteral(
            "SELECT count(*) || '|' || coalesce(min(number), 0) || '|' || coalesce(max(number), 0) FROM documents")).split('|');
        const int count = numbers[0].toInt();
        if (count > 0) {
            QCOMPARE(numbers[1].toInt(), 1);
            QCOMPARE(numbers[2].toInt(), count);
        }
        QCOMPARE(memory.value(QStringLiteral("SELECT value FROM state WHERE module = 'fiscalStorage' AND key = 'lastDocumentNumber'"))
                     .toInt(),
                 count);
        const QStringList fiscal = memory.value(QStringLiteral(
            "SELECT count(*) || '|' || coalesce(max(fiscal_number), 0) FROM documents WHERE fiscal_number > 0")).split('|');
        QCOMPARE(fiscal[0], fiscal[1]);
        documentsSeen = count;

        // Every document whole: its last lines carry its number; a receipt
        // has all its positions, which add up to its total.
        for (const QString &row : memory.rows(QStringLiteral("SELECT number, lines FROM documents"))) {
            const qsizetype bar = row.indexOf(QLatin1Char('|'));
            const QJsonArray lines = QJsonDocument::fromJson(row.mid(bar + 1).toUtf8()).array();
            bool numbered = false;
            for (const QJsonValue &line : lines)
                numbered = numbered || line.toString().contains(QStringLiteral("ДОК. ") + row.left(bar));
            QVERIFY2(numbered, qPrintable(row.left(200)));
        }
        QCOMPARE(memory.value(QStringLiteral(
                     "SELECT count(*) FROM documents d WHERE kind = 'receipt' AND total != "
                     "(SELECT coalesce(sum(final), 0) FROM document_positions p WHERE p.document = d.number)")),
                 QStringLiteral("0"));

        // The drawer is the deposits less the withdrawals, plus each closed
        // receipt's cash payment less its change, in the receipt's direction
        // (the day sells only: every receipt brings money in).
        double cash = 0;
        for (const QString &row : memory.rows(QStringLiteral("SELECT kind, total, receipt FROM documents "
                                                             "WHERE kind IN ('cashIncome', 'cashOutcome', 'receipt')"))) {
            const QStringList parts = row.split(QLatin1Char('|'));
            const double total = parts[1].toDouble() / 100.0;
            if (parts[0] == QLatin1String("cashIncome")) {
                cash += total;
            } else if (parts[0] == QLatin1String("cashOutcome")) {
                cash -= total;
            } else {
                const QJsonObject payments = QJsonDocument::fromJson(parts.mid(2).join(QLatin1Char('|')).toUtf8())
                                                 .object()
                                                 .value(QStringLiteral("payments"))
                                                 .toObject();
                double paid = 0;
                for (const QJsonValue &amount : payments)
                    paid += amount.toDouble() / 100.0;
                cash += payments.value(QStringLiteral("0")).toDouble() / 100.0 - qMax(0.0, paid - total);
            }
        }
        QCOMPARE(qRound64(till.drawer() * 100), qRound64(cash * 100));

        // The shift's registers are its documents'.
        const QString shift = memory.value(QStringLiteral("SELECT number FROM shifts WHERE closed IS NULL"));
        const auto shiftSum = [&](const QString &kind) {
            return memory.value(QStringLiteral("SELECT coalesce(sum(total), 0) FROM documents WHERE kind = '%1' AND session = %2")
                                    .arg(kind, shift.isEmpty() ? QStringLiteral("-1") : shift))
                       .toDouble()
                / 100.0;
        };
        QCOMPARE(till.sum(4), shiftSum(QStringLiteral("cashIncome")));
        QCOMPARE(till.sum(5), shiftSum(QStringLiteral("cashOutcome")));
        QCOMPARE(till.sum(1, of(1)) - till.sum(2, of(1)) >= shiftSum(QStringLiteral("receipt")) - 0.005, true);
        QCOMPARE(memory.value(QStringLiteral("SELECT coalesce(sum(sum), 0) FROM counters WHERE scope = 'shift' AND ref = %1 "
                                             "AND receipt_type = 1 AND register = 'receipts'")
                                  .arg(shift.isEmpty() ? QStringLiteral("-1") : shift))
                     .toDouble()
                     / 100.0,
                 shiftSum(QStringLiteral("receipt")));
    }
    QVERIFY2(documentsSeen > 50, qPrintable(QString::number(documentsSeen)));
}

// ---- one folder, many callers

void TestVregStorage::oneDriverObjectPerFolder()
{
    QTemporaryDir data;
    DayTill first(*m_fptr);
    QVERIFY(openDay(first, data.path()));

    DayTill second(*m_fptr);
    QCOMPARE(second.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(second->ApplySettings(), 0);
    QVERIFY(second->DeviceEnabled(1) < 0);
    QCOMPARE(second.code(), -9);
    QVERIFY2(second.detail().contains(data.path()), qPrintable(second.detail()));
    QCOMPARE(second.intValue(&Driver::DeviceEnabled), 0);
    QCOMPARE(first.cash(true, 25.00), 0);

    // Free again once the first lets go.
    first.release();
    QCOMPARE(second->DeviceEnabled(1), 0);
    QCOMPARE(second.drawer(), 525.00);
}

void TestVregStorage::callsFromManyThreads()
{
    QTemporaryDir data;
    DayTill till(*m_fptr);
    QVERIFY(openDay(till, data.path()));
    const double drawer = till.drawer();
    const int documents = SqliteFile(memoryOf(till)).value(QStringLiteral("SELECT count(*) FROM documents")).toInt();

    // The bench calls from whichever thread is free, one call sequence at a
    // time (the properties of a sequence are the caller's); meanwhile other
    // threads keep reading the state.
    std::mutex sequence;
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                const std::lock_guard<std::mutex> lock(sequence);
                till->Summ(2.00);
                till->TestMode(0);
                if (till->CashIncome() < 0)
                    ++failures;
            }
        });
    }
    std::thread reader([&] {
        while (!done) {
            int state = 0;
            double summ = 0;
            till->ChequeState(&state);
            till->Summ(&summ);
            till.text(&Driver::ResultDescription);
        }
    });
    for (std::thread &thread : threads)
        thread.join();
    done = true;
    reader.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(till.drawer(), drawer + 200.00);
    QCOMPARE(SqliteFile(memoryOf(till)).value(QStringLiteral("SELECT count(*) FROM documents")).toInt(), documents + 100);
    QCOMPARE(till.count(8), 101);
}

// ---- the memory of earlier versions

void TestVregStorage::importsTheJsonMemory()
{
    QTemporaryDir data;
    const QString source = QStringLiteral(FPTR_TEST_DATA_DIR "/state-json-import");
    QVERIFY(QFile::copy(source + QStringLiteral("/state.json"), data.path() + QStringLiteral("/state.json")));
    QFile expectedFile(source + QStringLiteral("/registers.json"));
    QVERIFY(expectedFile.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(expectedFile.readAll()).object();
    QFile stateFile(source + QStringLiteral("/state.json"));
    QVERIFY(stateFile.open(QIODevice::ReadOnly));
    const QJsonArray oldDocuments = QJsonDocument::fromJson(stateFile.readAll())
                                        .object()
                                        .value(QStringLiteral("modules"))
                                        .toObject()
                                        .value(QStringLiteral("fiscalStorage"))
                                        .toObject()
                                        .value(QStringLiteral("documents"))
                                        .toArray();
    QVERIFY(oldDocuments.size() > 10);

    for (int connection = 0; connection < 2; ++connection) {
        DayTill till(*m_fptr);
        QVERIFY2(till.open({QStringLiteral("DataDir"), data.path()}), qPrintable(till.result()));
        QCOMPARE(till.mode(1), 0);
        QCOMPARE(till.intValue(&Driver::ResultDetail), 0);
        QVERIFY(!QFileInfo::exists(data.path() + QStringLiteral("/state.json")));
        QVERIFY(QFileInfo::exists(data.path() + QStringLiteral("/state.json.imported")));

        // Every register as the register of the earlier version answered.
        QCOMPARE(till.drawer(), expected.value(QStringLiteral("drawer")).toDouble());
        const QJsonObject registers = expected.value(QStringLiteral("registers")).toObject();
        for (auto variant = registers.begin(); variant != registers.end(); ++variant) {
            const QString key = variant.key();
            Selectors s;
            if (key.startsWith(QLatin1String("cheque"))) {
                const QStringList parts = key.mid(6).split(QStringLiteral(".counter"));
                s = of(parts[0].toInt(), parts[1].toInt());
            } else if (key.startsWith(QLatin1String("payment"))) {
                s.payment = key.mid(7).toInt();
            } else if (key.startsWith(QLatin1String("department"))) {
                s.department = key.mid(10).toInt();
            } else if (key.startsWith(QLatin1String("tax"))) {
                s.tax = key.mid(3).toInt();
            } else if (key.startsWith(QLatin1String("operation"))) {
                s.operation = key.mid(9).toInt();
            } else if (key.startsWith(QLatin1String("discount"))) {
                s.discount = key.mid(8).toInt();
            }
            const QMap<int, QString> answers = till.snapshot(s);
            const QJsonObject old = variant.value().toObject();
            for (auto it = old.begin(); it != old.end(); ++it)
                QCOMPARE(key + QLatin1Char(' ') + it.key() + QLatin1Char(' ') + answers.value(it.key().toInt()),
                         key + QLatin1Char(' ') + it.key() + QLatin1Char(' ') + it.value().toString());
        }

        // Every document, with its lines, tags and receipt.
        SqliteFile memory(memoryOf(till));
        QCOMPARE(memory.value(QStringLiteral("SELECT count(*) FROM documents")).toInt(), oldDocuments.size());
        for (const QJsonValue &value : oldDocuments) {
            const QJsonObject old = value.toObject();
            const QString number = QString::number(old.value(QStringLiteral("number")).toInteger());
            const QStringList row = memory.value(QStringLiteral("SELECT kind, total, fiscal_sign, lines, tags FROM documents "
                                                                "WHERE number = %1").arg(number))
                                        .split(QLatin1Char('|'));
            QCOMPARE(row.size() >= 5, true);
            QCOMPARE(row[0], old.value(QStringLiteral("kind")).toString());
            QCOMPARE(row[1].toLongLong(), old.value(QStringLiteral("total")).toInteger());
            QCOMPARE(row[2].toLongLong(), old.value(QStringLiteral("fiscalSign")).toInteger());
            const QJsonArray lines = QJsonDocument::fromJson(row.mid(3, row.size() - 4).join(QLatin1Char('|')).toUtf8()).array();
            QCOMPARE(lines, old.value(QStringLiteral("lines")).toArray());
            const QJsonArray tags = QJsonDocument::fromJson(row.last().toUtf8()).array();
            QCOMPARE(tags.size(), old.value(QStringLiteral("tags")).toArray().size());
            if (old.contains(QStringLiteral("receipt"))) {
                const int positions = old.value(QStringLiteral("receipt")).toObject().value(QStringLiteral("positions")).toArray().size();
                QCOMPARE(memory.value(QStringLiteral("SELECT count(*) FROM document_positions WHERE document = %1").arg(number)).toInt(),
                         positions);
            }
        }
    }
}

int main(int argc, char *argv[])
{
    const QString childFolder = qEnvironmentVariable(kChildFolder);
    if (!childFolder.isEmpty()) {
        QCoreApplication app(argc, argv);
        return crashChild(childFolder);
    }
    QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    TestVregStorage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_vreg_storage.moc"
