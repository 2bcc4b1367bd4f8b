// The device list file: round trip through a restart of the window, every
// way reading it can fail, and saving that never loses the previous file.

#include "testmain.h"
#include "windowfixture.h"

#include "appcore.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

using IFptr = VOR::Fptr::IFptr;

namespace {

QString settingsPath()
{
    return configDir() + QStringLiteral("fptr.cfg");
}

void writeFile(const QByteArray &bytes)
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile()
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers every message box that opens while it lives with OK and keeps
// what they said.
class MessageBoxWatcher
{
public:
    MessageBoxWatcher()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            titles << box->windowTitle();
            texts << box->text();
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        });
        m_timer.start(10);
    }

    QStringList titles;
    QStringList texts;

private:
    QTimer m_timer;
};

QStringList deviceNames(FptrMainWindow &window)
{
    QStringList names;
    auto *devices = window.findChild<QComboBox *>(QStringLiteral("cmbDeviceList"));
    for (int i = 0; i < devices->count(); ++i)
        names << devices->itemText(i);
    return names;
}

// The settings string a fresh virtual register of the kind gives.
QString freshSettings(FptrFactory::PrinterDevice kind)
{
    FptrDeviceList list;
    ZEruZuva *created = list.create(kind);
    const QString settings = created->getBuff(&IFptr::DeviceSettings);
    list.release(kind, &created);
    return settings;
}

QByteArray object(const QString &name, int type, const QString &settings)
{
    return QStringLiteral("<object name=\"%1\" type=\"%2\">%3</object>")
        .arg(name.toHtmlEscaped(), QString::number(type), settings.toHtmlEscaped())
        .toUtf8();
}

QByteArray document(const QByteArray &objects, const QByteArray &version = "1.0")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><riv_eroziror_urari version=\"" + version + "\">"
           + objects + "</riv_eroziror_urari>";
}

const char *const ChildMode = "FPTR_KILLED_SAVE_CHILD";

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void roundTripThroughARestart();
    void deviceWithoutSettingsIsNotSaved();
    void loadFailures_data();
    void loadFailures();
    void objectWithoutNameOrTypeIsSkipped();
    void missingFileGivesTheDefaultDevice();
    void unwritableFileIsReported();
    void killedSaveLeavesThePreviousFile();
    void deviceThatFailsPreparationIsReleased();
    void brokenFileIsKeptBeforeItIsOverwritten_data();
    void brokenFileIsKeptBeforeItIsOverwritten();
    void settingsReadBackExactly_data();
    void settingsReadBackExactly();
    void deviceTheFileCannotCarryIsLeftOut_data();
    void deviceTheFileCannotCarryIsLeftOut();
};

void TestSettingsFile::init()
{
    QFile::remove(settingsPath());
    QFile::remove(settingsPath() + ".bak");
    QDir(settingsPath() + ".bak").removeRecursively();
}

void TestSettingsFile::roundTripThroughARestart()
{
    const QString special = QStringLiteral("Касса <№1> & \"зал\" 'A'");
    QStringList before;
    {
        MessageBoxWatcher watcher;
        FptrMainWindow window;
        auto *devices = window.findChild<QComboBox *>(QStringLiteral("cmbDeviceList"));
        QCOMPARE(devices->count(), 1);
        devices->setItemText(0, special);

        // A second device, a receipt printer on another port.
        ZEruZuva *printer = window.deviceList()->create(FptrFactory::ReceiptPrinter);
        window.initDevice(printer);
        window.setBuff(&IFptr::DeviceSettings,
                       freshSettings(FptrFactory::ReceiptPrinter), printer);
        const int number = window.deviceList()->addDevice(FptrFactory::ReceiptPrinter, printer);
        devices->addItem(QStringLiteral("Принтер чеков"), number);
        before = deviceNames(window);
        QVERIFY(watcher.texts.isEmpty());
    }
    const QByteArray saved = readFile();
    QVERIFY(saved.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><riv_eroziror_urari version=\"1.0\"><object name="));
    QVERIFY2(!saved.contains('\n'), saved.constData());

    MessageBoxWatcher watcher;
    FptrMainWindow window;
    QCOMPARE(deviceNames(window), before);
    QCOMPARE(before.first(), special);
    QCOMPARE(window.deviceList()->deviceType(1), FptrFactory::FiscalPrinter);
    QCOMPARE(window.deviceList()->deviceType(2), FptrFactory::ReceiptPrinter);
    // The first device is selected and current.
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("cmbDeviceList"))->currentIndex(), 0);
    QCOMPARE(window.deviceList()->currentDevice(), 1);
    QVERIFY(watcher.texts.isEmpty());
}

void TestSettingsFile::deviceWithoutSettingsIsNotSaved()
{
    {
        WindowFixture fx; // the recording driver gives an empty settings string
    }
    const QByteArray saved = readFile();
    QCOMPARE(saved.count("<object "), 1); // only the default virtual register
}

void TestSettingsFile::loadFailures_data()
{
    const QString ecr = freshSettings(FptrFactory::FiscalPrinter);
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // a regular expression
    QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?><settings version=\"1.0\"/>")
                                << "^Неизвестный формат файла$";
    QTest::newRow("version 2.0") << document(object("A", 0, ecr), "2.0") << "^Неизвестный формат файла$";
    QTest::newRow("unknown kind drops all")
        << document(object("A", 0, ecr) + object("B", 7, ecr)) << "^Не удалось создать объект драйвера$";
    QTest::newRow("settings rejected")
        << document(object("A", 0, ecr) + object("B", 0, "не настройки")) << "^\\[-\\d+\\] .+";
    QTest::newRow("XML syntax") << document(object("A", 0, ecr)).replace("</object>", "</objet>")
                                << ".+";
    QTest::newRow("empty file") << QByteArray() << ".+";
}

void TestSettingsFile::loadFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    writeFile(content);

    MessageBoxWatcher watcher;
    FptrMainWindow window;

    QCOMPARE(watcher.titles, QStringList{"Ошибка"});
    const QString text = watcher.texts.value(0);
    const QString head = QStringLiteral("Ошибка загрузки настроек:\n");
    const QString tail = QStringLiteral("\n\nПрежний файл настроек сохранен как %1.bak\n\nЗагружены настройки по умолчанию")
                             .arg(settingsPath());
    QVERIFY2(text.startsWith(head) && text.endsWith(tail), qPrintable(text));
    const QString middle = text.mid(head.size(), text.size() - head.size() - tail.size());
    QVERIFY2(QRegularExpression(reason).match(middle).hasMatch(), qPrintable(middle));
    // Every device of the file is dropped and the default device follows.
    QCOMPARE(window.deviceList()->count(), 1);
    QCOMPARE(deviceNames(window).size(), 1);
    QVERIFY(deviceNames(window).first().startsWith(QStringLiteral("Виртуальная ККТ")));
}

void TestSettingsFile::objectWithoutNameOrTypeIsSkipped()
{
    const QString ecr = freshSettings(FptrFactory::FiscalPrinter);
    writeFile(document("<object type=\"0\">" + ecr.toHtmlEscaped().toUtf8() + "</object>"
                       + "<object name=\"без типа\"><inner/></object>" + "<note>x</note>"
                       + object("Вторая", 0, ecr) + object("", 0, ecr)));

    MessageBoxWatcher watcher;
    FptrMainWindow window;

    QVERIFY(watcher.texts.isEmpty());
    const QStringList names = deviceNames(window);
    QCOMPARE(names.size(), 2);
    QCOMPARE(names[0], QStringLiteral("Вторая"));
    // An empty name takes the driver's default name.
    QVERIFY(names[1].startsWith(QStringLiteral("Виртуальная ККТ")));
}

void TestSettingsFile::missingFileGivesTheDefaultDevice()
{
    MessageBoxWatcher watcher;
    FptrMainWindow window;
    QVERIFY(watcher.texts.isEmpty());
    QCOMPARE(window.deviceList()->count(), 1);
    QCOMPARE(window.deviceList()->deviceType(-1), FptrFactory::FiscalPrinter);
    QCOMPARE(deviceNames(window).first(), defaultDeviceName(window.device()->ted()));
}

void TestSettingsFile::unwritableFileIsReported()
{
    MessageBoxWatcher watcher;
    {
        FptrMainWindow window;
        // A folder where the file should be cannot be written, even by root.
        QVERIFY(QDir().mkpath(settingsPath()));
    }
    QCOMPARE(watcher.titles, QStringList{"Ошибка"});
    QCOMPARE(watcher.texts, QStringList{"Сохранить настройки не удалось"});
    QVERIFY(QDir(settingsPath()).removeRecursively());
}

void TestSettingsFile::killedSaveLeavesThePreviousFile()
{
    const QByteArray previous = document(object("Прежняя", 0, freshSettings(FptrFactory::FiscalPrinter)));
    writeFile(previous);

    // The child loads the file, then saves while its second device blocks in
    // the middle of the save; it is killed there.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(ChildMode), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(child.waitForStarted());
    QByteArray out;
    for (int i = 0; i < 200 && !out.contains("saving"); ++i) {
        child.waitForReadyRead(100);
        out += child.readAllStandardOutput();
    }
    QVERIFY2(out.contains("saving"), out.constData());
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());

    QCOMPARE(readFile(), previous);
}

void TestSettingsFile::deviceThatFailsPreparationIsReleased()
{
    WindowFixture fx;
    const QString fake = QCoreApplication::applicationDirPath() + "/libfakedriver_full.so";
    QVERIFY(fx.window->deviceList()->load(FptrFactory::ReceiptPrinter, fake));
    QLibrary control(fake);
    QVERIFY(control.load());
    auto setNext = reinterpret_cast<void (*)(IFptr *)>(control.resolve("fakeDriverSetNextObject"));
    auto releases = reinterpret_cast<int (*)()>(control.resolve("fakeDriverReleaseCalls"));
    QVERIFY(setNext && releases);
    RecordingDriver refusing;
    refusing.failOn("DeviceSettings", -6, QStringLiteral("Неверная строка настроек"));
    setNext(&refusing);
    const int before = releases();
    writeFile(document(object("Принтер", 1, "x")));

    MessageBoxWatcher watcher;
    fx.window->loadSettings(settingsPath());

    QCOMPARE(releases(), before + 1);
    QCOMPARE(watcher.texts.size(), 1);
    QVERIFY(watcher.texts.first().contains(QStringLiteral("[-6] Неверная строка настроек")));
    setNext(nullptr);
}

// One typo in the file must not cost the user every device at exit: the
// file goes to a copy (replacing an older one) before the default device is
// written over it; where no copy can be made, the file is left as it is.
void TestSettingsFile::brokenFileIsKeptBeforeItIsOverwritten_data()
{
    QTest::addColumn<bool>("copyPossible");
    QTest::newRow("older copy replaced") << true;
    QTest::newRow("no copy possible") << false;
}

void TestSettingsFile::brokenFileIsKeptBeforeItIsOverwritten()
{
    QFETCH(bool, copyPossible);
    const QString copyPath = settingsPath() + ".bak";
    const QByteArray broken =
        document(object("Касса 1", 0, freshSettings(FptrFactory::FiscalPrinter))).replace("</object>", "</objet>");
    writeFile(broken);
    if (copyPossible) {
        QFile older(copyPath);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("an older copy");
    } else {
        QVERIFY(QDir().mkpath(copyPath + "/in the way")); // a folder cannot be replaced by a file
    }

    MessageBoxWatcher watcher;
    {
        FptrMainWindow window;
        QCOMPARE(watcher.texts.size(), 1);
        const QString note = copyPossible
            ? QStringLiteral("Прежний файл настроек сохранен как %1").arg(copyPath)
            : QStringLiteral("Сохранить копию прежнего файла настроек как %1 не удалось; при выходе "
                             "файл перезаписан не будет").arg(copyPath);
        QVERIFY2(watcher.texts.first().contains(note), qPrintable(watcher.texts.first()));
        QCOMPARE(window.deviceList()->count(), 1);
    }
    QCOMPARE(watcher.texts.size(), 1); // nothing more at exit
    if (copyPossible) {
        QFile kept(copyPath);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), broken);
        // The default device was saved over the broken file, as before.
        QCOMPARE(readFile().count("<object "), 1);
        QVERIFY(readFile() != broken);
    } else {
        QCOMPARE(readFile(), broken);
        QVERIFY(QDir(copyPath).removeRecursively());
    }
}

// The text of one saved object, by the name it was saved under.
static QString savedSettings(const QString &name, bool *found)
{
    *found = false;
    QXmlStreamReader xml(readFile());
    xml.readNextStartElement();
    while (xml.readNextStartElement()) {
        const QString objectName = xml.attributes().value(QLatin1String("name")).toString();
        const QString text = xml.readElementText();
        if (objectName == name) {
            *found = true;
            return text;
        }
    }
    return QString();
}

void TestSettingsFile::settingsReadBackExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("settings");
    QTest::newRow("carriage return") << "Касса" << "Port=COM1\rBaudRate=9600";
    QTest::newRow("CR LF") << "Касса" << "a\r\nb";
    QTest::newRow("CR at the ends") << "Касса" << "\rabc\r";
    QTest::newRow("tabs and line feeds") << "Касса" << "a\tb\nc";
    QTest::newRow("markup") << "Касса" << "<a href=\"x\">&amp;</a>";
    QTest::newRow("name with CR") << "Касса\r№2\tзал" << "x";
}

// What a driver gave as its settings comes back from the file exactly.
void TestSettingsFile::settingsReadBackExactly()
{
    QFETCH(QString, name);
    QFETCH(QString, settings);
    {
        WindowFixture fx;
        fx.combo("cmbDeviceList")->setItemText(fx.combo("cmbDeviceList")->currentIndex(), name);
        fx.driver.set("DeviceSettings", settings);
    }
    bool found = false;
    QCOMPARE(savedSettings(name, &found), settings);
    QVERIFY2(found, readFile().constData());
}

void TestSettingsFile::deviceTheFileCannotCarryIsLeftOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("shownName");
    QTest::newRow("control character in the settings") << "Касса 2" << QString("Port=\x01") << "Касса 2";
    QTest::newRow("escape in the name") << QString("Касса" "\x1b" "2") << "x" << QString("Касса\uFFFD2");
    QTest::newRow("U+FFFF in the settings") << "Касса 2" << QString("a") + QChar(0xFFFF) << "Касса 2";
}

// One device the file format cannot describe is named and left out; the
// others are saved.
void TestSettingsFile::deviceTheFileCannotCarryIsLeftOut()
{
    QFETCH(QString, name);
    QFETCH(QString, settings);
    QFETCH(QString, shownName);

    MessageBoxWatcher watcher;
    {
        WindowFixture fx;
        fx.driver.set("DeviceSettings", QStringLiteral("good settings"));
        RecordingDriver bad;
        bad.set("DeviceSettings", settings);
        fx.attach(bad, name);
        fx.window.reset();
    }
    QCOMPARE(watcher.titles, QStringList{"Ошибка"});
    QCOMPARE(watcher.texts.value(0),
             "Не сохранены устройства, в имени или строке настроек которых есть знаки, "
             "недопустимые в файле настроек:\n" + shownName);
    bool found = false;
    QCOMPARE(savedSettings("Recording driver", &found), QStringLiteral("good settings"));
    QVERIFY(found);
    QCOMPARE(readFile().count("<object "), 2); // with the default virtual register
}

// The child of killedSaveLeavesThePreviousFile: HOME is inherited, so it
// reads and writes the parent's settings file.
static int killedSaveChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    RecordingDriver blocking;
    blocking.set("DeviceSettings", QStringLiteral("settings of the second device"));
    blocking.onRead("DeviceSettings", []() {
        std::fputs("saving\n", stdout);
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    auto *window = new FptrMainWindow();
    const int number = window->deviceList()->addDevice(FptrFactory::FiscalPrinter, new ZEruZuva(&blocking));
    window->findChild<QComboBox *>(QStringLiteral("cmbDeviceList"))->addItem(QStringLiteral("B"), number);
    delete window; // saves; blocks in the second device's settings
    return 0;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(ChildMode))
        return killedSaveChild(argc, argv);
    QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    TestSettingsFile tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settingsfile.moc"
