// The virtual register's SD card through the driver interface: files read
// and written at offsets, the directory listing, removal, and a card that
// keeps every path inside it: "..", absolute paths and symbolic links (at
// the end of a path, in its middle, the card folder itself) fail, and
// nothing outside the card is created, read or changed.

#include "testmain.h"
#include "vregtill.h"

#include <QDirIterator>
#include <QTemporaryDir>

#include <climits>
#include <unistd.h>

using namespace vregtest;

namespace {

// Every file and link under a folder with its content (a link: its target).
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            files.insert(info.filePath(), "-> " + info.symLinkTarget().toUtf8());
        else if (info.isFile()) {
            QFile file(info.filePath());
            file.open(QIODevice::ReadOnly);
            files.insert(info.filePath(), file.readAll());
        } else {
            files.insert(info.filePath(), "<folder>");
        }
    }
    return files;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A register with its card in a folder of the test; `outside` holds what
// must stay out of reach.
struct Card
{
    explicit Card(Library &library)
        : till(library)
    {
        ok = data.isValid() && outside.isValid() && till.open({"DataDir", data.path()})
            && QDir().mkpath(sd()) && writeFile(outside.path() + "/secret.txt", "секрет");
    }
    QString sd() const { return data.path() + QStringLiteral("/sd"); }

    int open(const QString &name, int type, int mode)
    {
        till->FileOpenType(type);
        till->FileOpenMode(mode);
        till.setText(&Driver::FileName, name);
        return till->OpenFile();
    }
    int write(int offset, const QString &text)
    {
        till->FileOffset(offset);
        till.setText(&Driver::Caption, text);
        return till->WriteFile();
    }
    int read(int offset, int size)
    {
        till->FileOffset(offset);
        till->FileReadSize(size);
        return till->ReadFile();
    }

    QTemporaryDir data;
    QTemporaryDir outside;
    Till till;
    bool ok = false;
};

} // namespace

class TestVregSdCard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void confinement_data();
    void confinement();
    void readAndWriteAtOffsets();
    void openTypesAndModes_data();
    void openTypesAndModes();
    void listing();
    void removal();
    void filesBeyondFileSize();
    void electronicReportKeepsToTheCard_data();
    void electronicReportKeepsToTheCard();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregSdCard::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

void TestVregSdCard::confinement_data()
{
    QTest::addColumn<QString>("setup");  // link:NAME  (NAME -> outside), sdlink (sd -> outside)
    QTest::addColumn<QString>("action"); // open, create, write, list, remove
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");

    QTest::newRow("up and out, reading") << "" << "open" << "../state.json" << -401;
    QTest::newRow("up and out, creating") << "" << "create" << "../escape.txt" << -401;
    QTest::newRow("up from a folder") << "" << "create" << "reports/../../escape.txt" << -401;
    QTest::newRow("absolute path") << "" << "create" << "OUTSIDE/new.txt" << -401;
    QTest::newRow("listing up") << "" << "list" << ".." << -401;
    QTest::newRow("link to a file outside, reading") << "link:peek" << "open" << "peek" << -401;
    QTest::newRow("link to a file outside, writing") << "link:peek" << "write" << "peek" << -401;
    QTest::newRow("link to a new file outside") << "dangling:new" << "create" << "new" << -401;
    QTest::newRow("link in the middle, reading") << "folderlink:dir" << "open" << "dir/secret.txt" << -401;
    QTest::newRow("link in the middle, creating") << "folderlink:dir" << "create" << "dir/new.txt" << -401;
    QTest::newRow("link in the middle, listing") << "folderlink:dir" << "list" << "dir" << -401;
    QTest::newRow("link in the middle, removing") << "folderlink:dir" << "remove" << "dir/secret.txt" << -401;
    QTest::newRow("removing the link itself") << "link:peek" << "remove" << "peek" << -401;
    QTest::newRow("card folder a link, creating") << "sdlink" << "create" << "new.txt" << -400;
    QTest::newRow("card folder a link, listing") << "sdlink" << "list" << "" << -400;
    QTest::newRow("backslash") << "" << "create" << "..\\escape.txt" << -402;
}

void TestVregSdCard::confinement()
{
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(QString, path);
    QFETCH(int, code);

    Card card(*m_fptr);
    QVERIFY(card.ok);
    const QString outside = card.outside.path();
    path.replace(QLatin1String("OUTSIDE"), outside);
    const QString name = setup.section(QLatin1Char(':'), 1);
    if (setup.startsWith(QLatin1String("link:")))
        QVERIFY(QFile::link(outside + "/secret.txt", card.sd() + '/' + name));
    else if (setup.startsWith(QLatin1String("dangling:")))
        QVERIFY(QFile::link(outside + "/new", card.sd() + '/' + name));
    else if (setup.startsWith(QLatin1String("folderlink:")))
        QVERIFY(QFile::link(outside, card.sd() + '/' + name));
    else if (setup == QLatin1String("sdlink"))
        QVERIFY(QDir(card.sd()).removeRecursively() && QFile::link(outside, card.sd()));
    const auto outsideBefore = snapshot(outside);
    const QByteArray state = snapshot(card.data.path()).value(card.data.path() + "/state.json");

    Till &till = card.till;
    int result = 0;
    if (action == QLatin1String("open")) {
        result = card.open(path, 0, 0);
        QCOMPARE(card.read(0, 100), -1); // nothing was opened
        QCOMPARE(till.code(), -405);
        QVERIFY(card.open(path, 0, 0) < 0);
    } else if (action == QLatin1String("create")) {
        result = card.open(path, 1, 2);
    } else if (action == QLatin1String("write")) {
        result = card.open(path, 0, 2);
    } else if (action == QLatin1String("list")) {
        till.setText(&Driver::DirectoryPath, path);
        result = till->OpenDirectory();
    } else if (action == QLatin1String("remove")) {
        till.setText(&Driver::FileName, path);
        result = till->RemoveFile();
    }
    QCOMPARE(result, -1);
    QVERIFY2(till.code() == code, qPrintable(till.result()));
    // The detail names the path the caller gave.
    QVERIFY2(till.detail().contains(path) || code == -400, qPrintable(till.result()));
    QCOMPARE(snapshot(outside), outsideBefore);
    QVERIFY(!QFile::exists(card.data.path() + "/escape.txt"));
    QCOMPARE(snapshot(card.data.path()).value(card.data.path() + "/state.json"), state);
}

void TestVregSdCard::readAndWriteAtOffsets()
{
    Card card(*m_fptr);
    QVERIFY(card.ok);
    Till &till = card.till;
    QVERIFY2(card.open("notes.txt", 1, 2) == 0, qPrintable(till.result()));
    QCOMPARE(till.intValue(&Driver::FileSize), 0);

    // Offsets count bytes: the Cyrillic letters are two each.
    QCOMPARE(card.write(0, "Привет, мир"), 0);
    QCOMPARE(till.intValue(&Driver::FileOffset), 20);
    QCOMPARE(card.write(14, "МИР"), 0); // over the old bytes
    QCOMPARE(till.intValue(&Driver::FileOffset), 20);
    QCOMPARE(card.write(20, "\\r\\n"), 0); // appended at the end
    QCOMPARE(till.intValue(&Driver::FileOffset), 22);

    QFile onCard(card.sd() + "/notes.txt");
    QVERIFY(onCard.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(onCard.readAll()), QStringLiteral("Привет, МИР\r\n"));

    struct Read
    {
        int offset, size;
        QString text;
        int got;
    };
    const Read reads[] = {
        {0, 12, QStringLiteral("Привет"), 12},
        {12, 100, QStringLiteral(", МИР\\r\\n"), 10},    // partial: only 10 bytes are left
        {1, 2, QStringLiteral("\\x9F\\xD1"), 2},            // bytes of split letters, as they are
        {22, 5, QString(), 0},                               // at the end: nothing, no failure
    };
    for (const Read &read : reads) {
        QVERIFY2(card.read(read.offset, read.size) == 0, qPrintable(till.result()));
        QCOMPARE(till.text(&Driver::Caption), read.text);
        QCOMPARE(till.intValue(&Driver::FileReadSize), read.got);
        QCOMPARE(till.intValue(&Driver::FileOffset), read.offset + read.got);
    }

    // Past the end fails and moves nothing.
    QCOMPARE(card.read(23, 1), -1);
    QCOMPARE(till.code(), -409);
    QVERIFY2(till.detail().contains("22"), qPrintable(till.result()));
    QCOMPARE(card.write(30, "x"), -1);
    QCOMPARE(till.code(), -409);
    QCOMPARE(card.write(-1, "x"), -1);
    QCOMPARE(till.code(), -24);
    QCOMPARE(QFileInfo(card.sd() + "/notes.txt").size(), 22);
    QCOMPARE(till->CloseFile(), 0);
    QCOMPARE(card.read(0, 1), -1);
    QCOMPARE(till.code(), -405);
}

void TestVregSdCard::openTypesAndModes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("openCode");
    QTest::addColumn<int>("readCode");
    QTest::addColumn<int>("writeCode");
    QTest::addColumn<int>("size"); // FileSize after opening

    // "old.txt" holds 5 bytes.
    QTest::newRow("existing, read") << "old.txt" << 0 << 0 << 0 << 0 << -408 << 5;
    QTest::newRow("existing, write") << "old.txt" << 0 << 1 << 0 << -408 << 0 << 5;
    QTest::newRow("existing, both") << "old.txt" << 0 << 2 << 0 << 0 << 0 << 5;
    QTest::newRow("missing") << "missing.txt" << 0 << 0 << -403 << -405 << -405 << 0;
    QTest::newRow("missing folder") << "no/such.txt" << 1 << 2 << -403 << -405 << -405 << 0;
    QTest::newRow("new file, read only") << "fresh.txt" << 1 << 0 << 0 << 0 << -408 << 0;
    QTest::newRow("new over an old one empties it") << "old.txt" << 1 << 2 << 0 << 0 << 0 << 0;
    QTest::newRow("a folder") << "reports" << 0 << 0 << -406 << -405 << -405 << 0;
    QTest::newRow("no name") << "" << 1 << 2 << -402 << -405 << -405 << 0;
    QTest::newRow("unknown type") << "old.txt" << 2 << 0 << -24 << -405 << -405 << 0;
    QTest::newRow("unknown mode") << "old.txt" << 0 << 3 << -24 << -405 << -405 << 0;
}

void TestVregSdCard::openTypesAndModes()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, openCode);
    QFETCH(int, readCode);
    QFETCH(int, writeCode);
    QFETCH(int, size);

    Card card(*m_fptr);
    QVERIFY(card.ok);
    QVERIFY(writeFile(card.sd() + "/old.txt", "12345"));
    QVERIFY(QDir().mkpath(card.sd() + "/reports"));
    Till &till = card.till;
    card.open(name, type, mode);
    QVERIFY2(till.code() == openCode, qPrintable(till.result()));
    if (openCode == 0)
        QCOMPARE(till.intValue(&Driver::FileSize), size);
    card.read(0, 1);
    QVERIFY2(till.code() == readCode, qPrintable(till.result()));
    card.write(0, "A");
    QVERIFY2(till.code() == writeCode, qPrintable(till.result()));
    if (openCode != 0)
        QVERIFY(name.isEmpty() || !QFile::exists(card.sd() + '/' + name) || name == "old.txt" || name == "reports");
}

void TestVregSdCard::listing()
{
    Card card(*m_fptr);
    QVERIFY(card.ok);
    Till &till = card.till;
    QCOMPARE(till->ReadDirectory(), -1);
    QCOMPARE(till.code(), -404);
    QVERIFY(writeFile(card.sd() + "/b.txt", "12345"));
    QVERIFY(writeFile(card.sd() + "/a.txt", ""));
    QVERIFY(QDir().mkpath(card.sd() + "/reports"));
    QVERIFY(writeFile(card.sd() + "/reports/ej.txt", "xy"));
    QVERIFY(QFile::link(card.outside.path(), card.sd() + "/elsewhere"));

    const auto list = [&](const QString &path) {
        QStringList entries;
        till.setText(&Driver::DirectoryPath, path);
        if (till->OpenDirectory() < 0)
            return QStringList{till.result()};
        while (till->ReadDirectory() == 0)
            entries << QStringLiteral("%1 %2").arg(till.text(&Driver::FileName)).arg(till.intValue(&Driver::FileSize));
        entries << QString::number(till.code());
        // Past the end it stays at the end.
        if (till->ReadDirectory() == 0 || till.code() != -17 || !till.text(&Driver::FileName).isEmpty())
            entries << QStringLiteral("listing went on");
        return entries;
    };
    // Links are not part of the card: not listed.
    QCOMPARE(list(""), (QStringList{"a.txt 0", "b.txt 5", "reports/ 0", "-17"}));
    QCOMPARE(list("./reports/"), (QStringList{"ej.txt 2", "-17"}));
    QCOMPARE(till->CloseDirectory(), 0);
    QCOMPARE(till->ReadDirectory(), -1);
    QCOMPARE(till.code(), -404);
    till.setText(&Driver::DirectoryPath, QStringLiteral("b.txt"));
    QCOMPARE(till->OpenDirectory(), -1);
    QCOMPARE(till.code(), -407);
}

void TestVregSdCard::removal()
{
    Card card(*m_fptr);
    QVERIFY(card.ok);
    Till &till = card.till;
    QVERIFY(writeFile(card.sd() + "/old.txt", "12345"));
    QVERIFY(QDir().mkpath(card.sd() + "/reports"));
    QCOMPARE(card.open("old.txt", 0, 2), 0);

    const auto remove = [&](const QString &name) {
        till.setText(&Driver::FileName, name);
        till->RemoveFile();
        return till.code();
    };
    QCOMPARE(remove("old.txt"), 0);
    QVERIFY(!QFile::exists(card.sd() + "/old.txt"));
    // The open file went with it.
    QCOMPARE(card.read(0, 1), -1);
    QCOMPARE(till.code(), -405);
    QCOMPARE(remove("old.txt"), -403);
    QVERIFY2(till.detail().contains("old.txt"), qPrintable(till.result()));
    QCOMPARE(remove("reports"), -406);
    QVERIFY(QFileInfo(card.sd() + "/reports").isDir());
}

// Sizes the bench cannot hold are refused, not cut short silently.
void TestVregSdCard::filesBeyondFileSize()
{
    Card card(*m_fptr);
    QVERIFY(card.ok);
    Till &till = card.till;
    QFile big(card.sd() + "/big.bin");
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(qint64(INT_MAX) + 10)); // sparse: takes no room
    big.close();
    QCOMPARE(card.open("big.bin", 0, 0), -1);
    QCOMPARE(till.code(), -410);
    QVERIFY2(till.detail().contains(QString::number(qint64(INT_MAX) + 10)), qPrintable(till.result()));

    QVERIFY2(card.open("edge.bin", 1, 2) == 0, qPrintable(till.result()));
    QFile edge(card.sd() + "/edge.bin");
    QVERIFY(edge.resize(INT_MAX - 1));
    QCOMPARE(card.write(INT_MAX - 1, "ab"), -1);
    QCOMPARE(till.code(), -410);
    QCOMPARE(edge.size(), qint64(INT_MAX - 1));
}

void TestVregSdCard::electronicReportKeepsToTheCard_data()
{
    QTest::addColumn<QString>("link"); // "": none; else a link to outside by that name
    QTest::addColumn<int>("code");
    QTest::newRow("plain card") << "" << 0;
    QTest::newRow("reports folder a link") << "sd/reports" << -214;
    QTest::newRow("card folder a link") << "sd" << -214;
}

void TestVregSdCard::electronicReportKeepsToTheCard()
{
    QFETCH(QString, link);
    QFETCH(int, code);
    Card card(*m_fptr);
    QVERIFY(card.ok);
    Till &till = card.till;
    QVERIFY(QDir(card.sd()).removeRecursively());
    if (!link.isEmpty()) {
        if (link != QLatin1String("sd"))
            QVERIFY(QDir().mkpath(card.sd()));
        QVERIFY(QFile::link(card.outside.path(), card.data.path() + '/' + link));
    }
    const auto outsideBefore = snapshot(card.outside.path());
    QCOMPARE(till.mode(1), 0);
    QVERIFY2(till->OpenSession() == 0, qPrintable(till.result()));
    QCOMPARE(till.mode(2), 0);
    till->Session(1);
    till->SessionEnd(1);
    till.report(39);
    QVERIFY2(till.code() == code, qPrintable(till.result()));
    QCOMPARE(snapshot(card.outside.path()), outsideBefore);
    if (code == 0) {
        const QStringList files = QDir(card.sd() + "/reports").entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith("ej-1-1-"));
    } else {
        QVERIFY2(till.detail().contains(QStringLiteral("ссылка")), qPrintable(till.result()));
    }
}

FPTR_TEST_MAIN(TestVregSdCard)

#include "tst_vreg_sdcard.moc"
