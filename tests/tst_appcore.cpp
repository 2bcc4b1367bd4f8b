#include "appcore.h"
#include "exception.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include <unistd.h>

class TestAppCore : public QObject
{
    Q_OBJECT

private slots:
    void appDirIgnoresCurrentDirectory();
    void appDirFollowsLinks_data();
    void appDirFollowsLinks();
    void reportAppDir();
    void configDirCreatedUnderHome();
    void exceptionMessages();
    void stringToWChar_data();
    void stringToWChar();
    void styleSheetHoldsExactlyTheSixRules();
    void icons_data();
    void icons();
    void pictures();
};

void TestAppCore::appDirIgnoresCurrentDirectory()
{
    const QString previous = QDir::currentPath();
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    const QString dir = appDir();
    QDir::setCurrent(previous);

    QVERIFY(dir.endsWith('/'));
    QVERIFY(QDir::isAbsolutePath(dir));
    QVERIFY(QFileInfo::exists(dir + QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    QVERIFY(!dir.startsWith(elsewhere.path()));
}

// Installed, the program lies beside its driver libraries in a private
// folder and is started through a link in a bin folder: its folder is the
// one the link leads to, however many links that takes.
void TestAppCore::appDirFollowsLinks_data()
{
    // Pairs of a link (in a temporary folder) and its target: "@program" and
    // "@folder" are the test program and its folder by absolute path,
    // "@relative" the program by a path relative to the link, anything else
    // a name in the temporary folder. The first link is started.
    QTest::addColumn<QStringList>("links");
    QTest::newRow("absolute link in bin") << QStringList{"bin/fptr_t", "@program"};
    QTest::newRow("relative link in bin") << QStringList{"bin/fptr_t", "@relative"};
    QTest::newRow("link to a link") << QStringList{"bin/fptr_t", "opt/fptr_t", "opt/fptr_t", "@program"};
    QTest::newRow("through a linked folder")
        << QStringList{"bin/fptr_t", "lib/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName(), "lib",
                       "@folder"};
}

void TestAppCore::appDirFollowsLinks()
{
    QFETCH(QStringList, links);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString program = QCoreApplication::applicationFilePath();
    for (int i = 0; i + 1 < links.size(); i += 2) {
        const QString link = root.filePath(links[i]);
        const QString kind = links[i + 1];
        QString target = root.filePath(kind);
        if (kind == "@program")
            target = program;
        else if (kind == "@folder")
            target = QFileInfo(program).path();
        else if (kind == "@relative")
            target = QFileInfo(link).dir().relativeFilePath(program);
        QVERIFY(QDir().mkpath(QFileInfo(link).path()));
        QVERIFY2(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0,
                 qPrintable(link));
    }
    const QString report = root.filePath("appdir.txt");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FPTR_REPORT_APP_DIR", report);
    child.setProcessEnvironment(env);
    child.start(root.filePath(links.first()), {"reportAppDir"});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    QFile reported(report);
    QVERIFY2(reported.open(QIODevice::ReadOnly), child.readAllStandardError().constData());
    const QString dir = QString::fromUtf8(reported.readAll());
    QCOMPARE(dir, QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath() + '/');
    QVERIFY(QFileInfo::exists(dir + "libfptr.so"));
    QVERIFY(QFileInfo::exists(dir + "librcpprn.so"));
}

// Run by appDirFollowsLinks in a child started through the links; does
// nothing in an ordinary run.
void TestAppCore::reportAppDir()
{
    const QString report = qEnvironmentVariable("FPTR_REPORT_APP_DIR");
    if (report.isEmpty())
        return;
    QFile file(report);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(appDir().toUtf8());
}

void TestAppCore::configDirCreatedUnderHome()
{
    // A home without .kelm: both levels appear on the first call.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString expected = home.path() + "/.kelm/drivers9/";
    QVERIFY(!QFileInfo::exists(home.path() + "/.kelm"));

    QCOMPARE(configDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());

    // Removed while running: the next call creates it again.
    QVERIFY(QDir(home.path() + "/.kelm").removeRecursively());
    QCOMPARE(configDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());
}

void TestAppCore::exceptionMessages()
{
    const QString russian = QString::fromUtf8("Ошибка связи: нет ответа");
    try {
        throw Exception(russian);
    } catch (const std::exception &e) {
        QCOMPARE(QByteArray(e.what()), russian.toUtf8());
        QCOMPARE(QString::fromUtf8(e.what()), russian);
    }

    const Exception fromUtf8("Нет бумаги");
    QCOMPARE(fromUtf8.whatQString(), QString::fromUtf8("Нет бумаги"));
    QCOMPARE(QByteArray(fromUtf8.what()), QByteArray("Нет бумаги"));

    try {
        throw DeviceNotFoundException();
    } catch (const Exception &e) {
        QCOMPARE(e.whatQString(), QString::fromUtf8("Несуществующее устройство"));
        QCOMPARE(QByteArray(e.what()), QByteArray("Несуществующее устройство"));
    }
}

void TestAppCore::stringToWChar_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<uint>>("expected");

    QTest::newRow("empty") << QString() << QVector<uint>{0};
    QTest::newRow("latin") << QString("ab") << QVector<uint>{'a', 'b', 0};
    QTest::newRow("russian") << QString::fromUtf8("Чек") << QVector<uint>{0x427, 0x435, 0x43A, 0};
    QTest::newRow("special mark") << QString(QChar(0x00BB)) << QVector<uint>{0xBB, 0};
    // Outside the 16-bit range: one wide character, the rest stays zero.
    QTest::newRow("surrogate pair") << QString::fromUcs4(U"\U0001F600x")
                                    << QVector<uint>{0x1F600, 'x', 0, 0};
}

void TestAppCore::stringToWChar()
{
    QFETCH(QString, text);
    QFETCH(QVector<uint>, expected);

    QVector<wchar_t> out(10, L'#'); // stale content must not survive
    QStringToWChar(text, out);
    QVector<uint> actual;
    for (wchar_t c : out)
        actual << uint(c);
    QCOMPARE(actual, expected);
}

void TestAppCore::styleSheetHoldsExactlyTheSixRules()
{
    QFile file(":/qss/fptr_t.qss");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString qss = QString::fromUtf8(file.readAll());

    QMap<QString, QStringList> rules;
    static const QRegularExpression rule("([^{}]+)\\{([^{}]*)\\}");
    auto it = rule.globalMatch(qss);
    int count = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QStringList props;
        for (const QString &p : m.captured(2).split(';', Qt::SkipEmptyParts)) {
            if (!p.trimmed().isEmpty())
                props << p.simplified().replace(" :", ":").replace(": ", ":");
        }
        rules.insert(m.captured(1).simplified(), props);
        ++count;
    }
    QCOMPARE(count, 6);

    const QMap<QString, QStringList> expected{
        {"#scrollArea", {"spacing:1px", "border:none"}},
        {"#scrollAreaWidgetContents", {"spacing:0px"}},
        {"#scrollAreaWidgetContents QPushButton:checked", {"border:2px solid gray"}},
        {"#statusbar::item", {"border:0px solid"}},
        {"#statusbar", {"border-top-style:ridge", "border-width:1px", "border-color:grey"}},
        {"QTabBar QToolButton", {"background:#f0f0f0", "border:1px solid grey", "border-radius:2px"}},
    };
    QCOMPARE(rules, expected);

    // The toolkit parses it without complaint.
    QTest::failOnWarning(QRegularExpression(".*"));
    QWidget w;
    w.setStyleSheet(qss);
    w.ensurePolished();
}

void TestAppCore::icons_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<QSize>>("sizes");

    const QSize big(32, 32), small(16, 16);
    QTest::newRow("window icon") << ":/resources/fptr.ico"
                                 << QList<QSize>{big, small, big, small, big, small};
    QTest::newRow("second icon") << ":/resources/fptr_ce.ico" << QList<QSize>{big, small, big, small};
}

void TestAppCore::icons()
{
    QFETCH(QString, path);
    QFETCH(QList<QSize>, sizes);

    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), sizes.at(i));
        // Transparent corners: the pictogram does not fill the square.
        QCOMPARE(qAlpha(image.pixel(0, image.height() - 1)) < 255
                         || qAlpha(image.pixel(0, 0)) < 255,
                 true);
    }
}

void TestAppCore::pictures()
{
    QFile bmp(":/images/kelm_logo_small.bmp");
    QVERIFY(bmp.open(QIODevice::ReadOnly));
    const QByteArray header = bmp.read(30);
    QCOMPARE(header.left(2), QByteArray("BM"));
    QCOMPARE(int(uchar(header.at(28))), 24); // bits per pixel
    const QImage logo(":/images/kelm_logo_small.bmp");
    QCOMPARE(logo.size(), QSize(169, 66));

    const QImage info(":/images/icon_info.png");
    QCOMPARE(info.size(), QSize(64, 64));
    QVERIFY(info.hasAlphaChannel());
    QCOMPARE(qAlpha(info.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(info.pixel(32, 32)), 255);
}

FPTR_TEST_MAIN(TestAppCore)
#include "tst_appcore.moc"
