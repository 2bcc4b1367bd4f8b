// Conformance of the virtual register's settings part, through the library
// entry points as any driver user reaches it: the libraries are loaded from
// the program folder, objects are created and released by the exported
// functions, and everything else goes through VOR::Fptr::IFptr.

#include "driver/ifptr.h"
#include "fptrdevicelist.h"
#include "sqlitefile.h"
#include "testmain.h"
#include "vregclient.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibrary>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

using namespace vregtest;

namespace {

// "key:text;key:text;" into pairs; an ill-formed mapping fails the test.
QList<QPair<QString, QString>> parseMapping(const QString &mapping, bool *ok)
{
    QList<QPair<QString, QString>> items;
    *ok = mapping.isEmpty() || mapping.endsWith(QLatin1Char(';'));
    for (const QString &item : mapping.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int colon = item.indexOf(QLatin1Char(':'));
        if (colon <= 0 || colon == item.size() - 1)
            *ok = false;
        items.append({item.left(colon), item.mid(colon + 1)});
    }
    return items;
}

QString textOf(const Device &device, const QString &name)
{
    bool ok = false;
    const QString value = device.setting(name);
    for (const auto &item : parseMapping(device.description(name), &ok)) {
        if (item.first == value)
            return item.second;
    }
    return QString();
}

const QStringList kSettingNames = {
    QStringLiteral("Model"),     QStringLiteral("Port"),         QStringLiteral("BaudRate"),
    QStringLiteral("TTYSuffix"), QStringLiteral("IPAddress"),    QStringLiteral("IPPort"),
    QStringLiteral("MACAddress"), QStringLiteral("SearchDir"),   QStringLiteral("DataDir"),
    QStringLiteral("DeviceId"),  QStringLiteral("PaperPresent"), QStringLiteral("ScannerPort"),
    QStringLiteral("PrintSpeed"), QStringLiteral("ConnectionTimeout"), QStringLiteral("PinPadAnswer"),
    QStringLiteral("TapeWindow"),
};

// Runs `drive` on the driver's modal dialog once it is up, then calls
// ShowProperties; a dialog the driver leaves open is closed after a while so
// a failing test cannot hang.
int showProperties(Device &device, const std::function<void(QDialog *)> &drive, bool *seen)
{
    *seen = false;
    auto *poll = new QTimer;
    poll->setInterval(10);
    int waited = 0;
    QObject::connect(poll, &QTimer::timeout, [poll, &waited, &drive, seen] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        waited += 10;
        if (dialog && !*seen) {
            *seen = true;
            poll->stop();
            drive(dialog);
        } else if (waited > 10000 && dialog) {
            dialog->reject();
        }
    });
    poll->start();
    const int result = device->ShowProperties();
    delete poll;
    return result;
}

void shoot(QWidget *widget, const QString &name)
{
    QDir().mkpath(QStringLiteral("/tmp/vreg-shots"));
    widget->grab().save(QStringLiteral("/tmp/vreg-shots/%1.png").arg(name));
}

} // namespace

class TestVregSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void entryPoints();
    void freshDevice_data();
    void freshDevice();
    void roundTripIntoSecondObject();
    void portsReachEveryNamingRule_data();
    void portsReachEveryNamingRule();
    void descriptionsWellFormed_data();
    void descriptionsWellFormed();
    void rejectedSettings_data();
    void rejectedSettings();
    void rejectedSettingsStrings_data();
    void rejectedSettingsStrings();
    void partialSettingsStringKeepsIdentity();
    void stringGetterProtocol();
    void nullPointers();
    void connectionGatesActions_data();
    void connectionGatesActions();
    void receiptPrinterRefusesFiscalSubjects();
    void propertiesCancelled();
    void propertiesAccepted();
    void propertiesTapeViewAndClear();
    void memoryInDefaultFolderPersists();
    void unreadableMemorySetAsideAndReportedOnce_data();
    void unreadableMemorySetAsideAndReportedOnce();
    void foreignKindFolderRefused();

private:
    std::unique_ptr<Library> m_register;
    std::unique_ptr<Library> m_printer;
    Library &library(bool printer) { return printer ? *m_printer : *m_register; }
};

void TestVregSettings::initTestCase()
{
    m_register = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY2(m_register->create && m_register->release, qPrintable(m_register->library.errorString()));
    QVERIFY2(m_printer->create && m_printer->release, qPrintable(m_printer->library.errorString()));
}

void TestVregSettings::entryPoints()
{
    for (Library *lib : {m_register.get(), m_printer.get()}) {
        Driver *object = lib->create(VOR_FPTR_INTERFACE_VERSION);
        QVERIFY(object);
        QCOMPARE(lib->release(&object), 0);
        QCOMPARE(object, nullptr);
        // Both tolerate null.
        lib->release(&object);
        lib->release(nullptr);
    }
}

void TestVregSettings::freshDevice_data()
{
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("modelText");
    QTest::newRow("fiscal register") << false << QStringLiteral("Виртуальная ККТ 57 мм");
    QTest::newRow("receipt printer") << true << QStringLiteral("Виртуальный принтер чеков 57 мм");
}

void TestVregSettings::freshDevice()
{
    QFETCH(bool, printer);
    QFETCH(QString, modelText);
    Device device(library(printer));
    QVERIFY(!device.text(&Driver::DeviceSettings).isEmpty());
    QCOMPARE(device.intValue(&Driver::DeviceEnabled), 0);
    QCOMPARE(device.intValue(&Driver::CharLineLength), 32);
    QCOMPARE(textOf(device, QStringLiteral("Model")), modelText);
    QCOMPARE(device.intValue(&Driver::Model), device.setting(QStringLiteral("Model")).toInt());
    QCOMPARE(device.code(), 0);
    // Each new object is a new device with its own identity.
    Device other(library(printer));
    QVERIFY(!device.setting(QStringLiteral("DeviceId")).isEmpty());
    QVERIFY(device.setting(QStringLiteral("DeviceId")) != other.setting(QStringLiteral("DeviceId")));
}

void TestVregSettings::roundTripIntoSecondObject()
{
    QTemporaryDir data;
    Device first(*m_register);
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("Model"), QStringLiteral("2")},
        {QStringLiteral("Port"), QStringLiteral("TTY")},
        {QStringLiteral("BaudRate"), QStringLiteral("9600")},
        {QStringLiteral("TTYSuffix"), QStringLiteral("порт;с:особыми \"знаками\"\\")},
        {QStringLiteral("IPAddress"), QStringLiteral("192.0.2.10")},
        {QStringLiteral("IPPort"), QStringLiteral("7778")},
        {QStringLiteral("MACAddress"), QStringLiteral("AA:BB:CC:DD:EE:FF")},
        {QStringLiteral("SearchDir"), QStringLiteral("/opt/стенд")},
        {QStringLiteral("DataDir"), data.path() + QStringLiteral("/память")},
        {QStringLiteral("PaperPresent"), QStringLiteral("0")},
        {QStringLiteral("ScannerPort"), QStringLiteral("9100")},
        {QStringLiteral("PrintSpeed"), QStringLiteral("0")},
        {QStringLiteral("ConnectionTimeout"), QStringLiteral("250")},
        {QStringLiteral("PinPadAnswer"), QStringLiteral("\\x06OK\\r\\n")},
    };
    for (const auto &value : values)
        QCOMPARE(first.write(value.first, value.second), 0);
    QCOMPARE(first->ApplySettings(), 0);
    const QString settings = first.text(&Driver::DeviceSettings);

    Device second(*m_register);
    QCOMPARE(second->DeviceSettings(w(settings).c_str()), 0);
    QCOMPARE(second.text(&Driver::DeviceSettings), settings);
    for (const QString &name : kSettingNames)
        QCOMPARE(second.setting(name), first.setting(name));
    QCOMPARE(second.intValue(&Driver::CharLineLength), 48);
    QCOMPARE(second.intValue(&Driver::CheckPaperPresent), 0);
    // Settings written but not applied do not change what took effect.
    QCOMPARE(second.write(QStringLiteral("Model"), QStringLiteral("1")), 0);
    QCOMPARE(second.intValue(&Driver::CharLineLength), 48);
    QCOMPARE(second->ApplySettings(), 0);
    QCOMPARE(second.intValue(&Driver::CharLineLength), 32);
}

void TestVregSettings::portsReachEveryNamingRule_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("name");
    const QString model = QStringLiteral("Виртуальная ККТ 57 мм");
    for (int i = 1; i <= 8; ++i) {
        const QString com = QStringLiteral("COM%1").arg(i);
        QTest::newRow(qPrintable(com)) << com << QStringLiteral("%1 (%2 19200)").arg(model, com);
    }
    QTest::newRow("device file") << QStringLiteral("Файл устройства") << model + QStringLiteral(" (ttyUSB3 19200)");
    QTest::newRow("tcp") << QStringLiteral("TCP/IP") << model + QStringLiteral(" (192.0.2.1:4000)");
    QTest::newRow("udp") << QStringLiteral("UDP/IP") << model + QStringLiteral(" (192.0.2.1:4000)");
    QTest::newRow("bluetooth") << QStringLiteral("Bluetooth") << model + QStringLiteral(" (12:34:56:78:9A:BC)");
    QTest::newRow("usb") << QStringLiteral("USB:") << QString();
}

void TestVregSettings::portsReachEveryNamingRule()
{
    QFETCH(QString, portText);
    QFETCH(QString, name);
    Device device(*m_register);
    bool ok = false;
    const auto ports = parseMapping(device.description(QStringLiteral("Port")), &ok);
    QVERIFY(ok);
    QCOMPARE(ports.size(), 13);
    QString key;
    for (const auto &port : ports) {
        if (port.second == portText || (portText == QLatin1String("USB:") && port.second.startsWith(portText)))
            key = port.first;
    }
    QVERIFY2(!key.isEmpty(), qPrintable(portText));
    QCOMPARE(device.write(QStringLiteral("Port"), key), 0);
    QCOMPARE(device.write(QStringLiteral("BaudRate"), QStringLiteral("19200")), 0);
    QCOMPARE(device.write(QStringLiteral("TTYSuffix"), QStringLiteral("ttyUSB3")), 0);
    QCOMPARE(device.write(QStringLiteral("IPAddress"), QStringLiteral("192.0.2.1")), 0);
    QCOMPARE(device.write(QStringLiteral("IPPort"), QStringLiteral("4000")), 0);
    QCOMPARE(device.write(QStringLiteral("MACAddress"), QStringLiteral("12:34:56:78:9A:BC")), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device.setting(QStringLiteral("Port")), key);
    const QString built = defaultDeviceName(device.get());
    if (name.isEmpty())
        QVERIFY2(built.contains(QStringLiteral("(USB:")), qPrintable(built));
    else
        QCOMPARE(built, name);
}

void TestVregSettings::descriptionsWellFormed_data()
{
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valueIsKey");
    for (bool printer : {false, true}) {
        for (const QString &name : kSettingNames) {
            const bool choice = name == QLatin1String("Model") || name == QLatin1String("Port")
                || name == QLatin1String("BaudRate") || name == QLatin1String("PaperPresent");
            QTest::newRow(qPrintable((printer ? QStringLiteral("printer ") : QStringLiteral("register ")) + name))
                << printer << name << choice;
        }
    }
}

void TestVregSettings::descriptionsWellFormed()
{
    QFETCH(bool, printer);
    QFETCH(QString, name);
    QFETCH(bool, valueIsKey);
    Device device(library(printer));
    const QString mapping = device.description(name);
    QCOMPARE(device.code(), 0);
    bool ok = false;
    const auto items = parseMapping(mapping, &ok);
    QVERIFY2(ok, qPrintable(mapping));
    QSet<QString> keys;
    for (const auto &item : items)
        keys.insert(item.first);
    QCOMPARE(keys.size(), items.size());
    if (valueIsKey)
        QVERIFY2(keys.contains(device.setting(name)), qPrintable(device.setting(name)));
    if (name == QLatin1String("BaudRate")) {
        const QStringList rates = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
        QCOMPARE(QStringList(keys.values()).size(), rates.size());
        for (const QString &rate : rates)
            QVERIFY(keys.contains(rate));
    }
    if (name == QLatin1String("Model")) {
        // A 57 mm model with 32 characters a line and an 80 mm one with 48,
        // named for the kind.
        QCOMPARE(items.size(), 2);
        QHash<QString, int> widths;
        for (const auto &item : items) {
            QCOMPARE(device.write(name, item.first), 0);
            QCOMPARE(device->ApplySettings(), 0);
            widths.insert(item.second, device.intValue(&Driver::CharLineLength));
            QCOMPARE(device.intValue(&Driver::Model), item.first.toInt());
            QVERIFY(item.second.startsWith(printer ? QStringLiteral("Виртуальный принтер чеков")
                                                   : QStringLiteral("Виртуальная ККТ")));
        }
        const QString prefix = printer ? QStringLiteral("Виртуальный принтер чеков") : QStringLiteral("Виртуальная ККТ");
        QCOMPARE(widths.value(prefix + QStringLiteral(" 57 мм")), 32);
        QCOMPARE(widths.value(prefix + QStringLiteral(" 80 мм")), 48);
    }
}

void TestVregSettings::rejectedSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown name") << "Speed" << "1" << -4;
    QTest::newRow("model not listed") << "Model" << "51" << -5;
    QTest::newRow("baud not listed") << "BaudRate" << "300" << -5;
    QTest::newRow("port not listed") << "Port" << "COM9" << -5;
    QTest::newRow("paper flag") << "PaperPresent" << "2" << -5;
    QTest::newRow("scanner port range") << "ScannerPort" << "65536" << -5;
    QTest::newRow("scanner port text") << "ScannerPort" << "80a" << -5;
    QTest::newRow("negative speed") << "PrintSpeed" << "-1" << -5;
    QTest::newRow("relative data folder") << "DataDir" << "data/here" << -5;
    QTest::newRow("identity leaves folder") << "DeviceId" << "../other" << -5;
    QTest::newRow("empty identity") << "DeviceId" << "" << -5;
    QTest::newRow("connection timeout below 10 ms") << "ConnectionTimeout" << "9" << -5;
    QTest::newRow("pin pad answer with an unknown escape") << "PinPadAnswer" << "OK\\q" << -5;
    QTest::newRow("pin pad answer with half a byte") << "PinPadAnswer" << "\\x4" << -5;
    QTest::newRow("pin pad answer beyond 1024 bytes") << "PinPadAnswer" << QString(1025, 'A') << -5;
}

void TestVregSettings::rejectedSettings()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(int, code);
    Device device(*m_register);
    const QString before = device.text(&Driver::DeviceSettings);
    QVERIFY(device.write(name, value) < 0);
    QCOMPARE(device.code(), code);
    QVERIFY(!device.resultDescription().isEmpty());
    QVERIFY(device.intValue(&Driver::ResultDetail) != 0);
    QVERIFY2(device.detail().contains(name), qPrintable(device.detail()));
    QCOMPARE(device.text(&Driver::DeviceSettings), before);
    if (code == -4) {
        QVERIFY(device.setting(name).isEmpty());
        QCOMPARE(device.code(), -4);
    }
}

void TestVregSettings::rejectedSettingsStrings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("not json") << "Model=2;Port=COM1";
    QTest::newRow("empty") << "";
    QTest::newRow("array") << "[\"Model\"]";
    QTest::newRow("number value") << "{\"Model\":2}";
    QTest::newRow("invalid value") << "{\"Model\":\"2\",\"BaudRate\":\"300\"}";
}

void TestVregSettings::rejectedSettingsStrings()
{
    QFETCH(QString, settings);
    Device device(*m_register);
    const QString before = device.text(&Driver::DeviceSettings);
    QVERIFY(device->DeviceSettings(w(settings).c_str()) < 0);
    QCOMPARE(device.code(), -6);
    QVERIFY(!device.detail().isEmpty());
    QCOMPARE(device.text(&Driver::DeviceSettings), before);
    QCOMPARE(device.intValue(&Driver::CharLineLength), 32);
}

void TestVregSettings::partialSettingsStringKeepsIdentity()
{
    Device device(*m_register);
    const QString id = device.setting(QStringLiteral("DeviceId"));
    QCOMPARE(device.write(QStringLiteral("Port"), QStringLiteral("COM3")), 0);
    // Missing settings take factory values, the identity stays, unknown
    // keys are ignored.
    QCOMPARE(device->DeviceSettings(L"{\"Model\":\"2\",\"Later\":\"x\"}"), 0);
    QCOMPARE(device.setting(QStringLiteral("DeviceId")), id);
    QCOMPARE(device.setting(QStringLiteral("Port")), Device(*m_register).setting(QStringLiteral("Port")));
    QCOMPARE(device.intValue(&Driver::CharLineLength), 48);
    QVERIFY(!device.text(&Driver::DeviceSettings).contains(QStringLiteral("Later")));
}

void TestVregSettings::stringGetterProtocol()
{
    Device device(*m_register);
    QCOMPARE(device.write(QStringLiteral("TTYSuffix"), QStringLiteral("устройство")), 0);
    const std::wstring name = w(QStringLiteral("TTYSuffix"));

    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    // A cut value fills the buffer and has no terminator.
    QCOMPARE(device->ReadSetting(name.c_str(), buffer, 5), 10);
    QCOMPARE(QString::fromWCharArray(buffer, 5), QStringLiteral("устро"));
    QCOMPARE(buffer[5], L'#');

    std::fill(std::begin(buffer), std::end(buffer), L'#');
    QCOMPARE(device->ReadSetting(name.c_str(), buffer, 1), 10);
    QCOMPARE(buffer[0], L'у');
    QCOMPARE(buffer[1], L'#');

    // No buffer, or no room: only the length.
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    QCOMPARE(device->ReadSetting(name.c_str(), nullptr, 100), 10);
    QCOMPARE(device->ReadSetting(name.c_str(), buffer, 0), 10);
    QCOMPARE(device->ReadSetting(name.c_str(), buffer, -3), 10);
    QCOMPARE(buffer[0], L'#');

    // A property getter follows the same protocol.
    const int length = device->DeviceSettings(nullptr, 0);
    QVERIFY(length > 10);
    std::wstring exact(size_t(length) + 1, L'#');
    QCOMPARE(device->DeviceSettings(exact.data(), length + 1), length);
    QCOMPARE(exact[size_t(length)], L'\0');
    QCOMPARE(QString::fromWCharArray(exact.c_str()).size(), length);
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    QCOMPARE(device->DeviceSettings(buffer, 3), length);
    QVERIFY(buffer[2] != L'\0');
    QCOMPARE(buffer[3], L'#');
    // Exactly the length: the whole value, no terminator.
    std::wstring full(size_t(length) + 1, L'#');
    QCOMPARE(device->DeviceSettings(full.data(), length), length);
    QCOMPARE(full[size_t(length)], L'#');
    QCOMPARE(QString::fromWCharArray(full.c_str(), length), QString::fromWCharArray(exact.c_str()));
}

void TestVregSettings::nullPointers()
{
    Device device(*m_register);
    QVERIFY(device->CharLineLength(nullptr) < 0);
    QCOMPARE(device.code(), -3);
    QVERIFY(device.detail().contains(QStringLiteral("CharLineLength")));
    int day = 0, month = 0;
    QVERIFY(device->Date(&day, &month, nullptr) < 0);
    QCOMPARE(device.code(), -3);
    QVERIFY(device->Summ(static_cast<double *>(nullptr)) < 0);
    QVERIFY(device->Caption(static_cast<const wchar_t *>(nullptr)) < 0);
    QCOMPARE(device.code(), -3);
    QVERIFY(device->ReadSetting(nullptr, nullptr, 0) < 0);
    QVERIFY(device->ReadSettingDescription(nullptr, nullptr, 0) < 0);
    QVERIFY(device->WriteSetting(L"Model", nullptr) < 0);
    QVERIFY(device->WriteSetting(nullptr, L"1") < 0);
    QCOMPARE(device.code(), -3);
    // A plain setter stores without judging, and succeeds.
    QCOMPARE(device->Caption(L"любой текст"), 0);
    QCOMPARE(device.code(), 0);
    QCOMPARE(device.text(&Driver::Caption), QStringLiteral("любой текст"));
    QCOMPARE(device->Summ(-5.5), 0);
    double summ = 0;
    device->Summ(&summ);
    QCOMPARE(summ, -5.5);
}

void TestVregSettings::connectionGatesActions_data()
{
    QTest::addColumn<bool>("printer");
    for (bool printer : {false, true})
        QTest::newRow(printer ? "receipt printer" : "fiscal register") << printer;
}

void TestVregSettings::connectionGatesActions()
{
    QFETCH(bool, printer);
    QTemporaryDir data;
    Device device(library(printer));
    QCOMPARE(device.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(device->ApplySettings(), 0);

    using ActionFn = int (Driver::*)();
    const QList<QPair<const char *, ActionFn>> actions = {
        {"GetStatus", &Driver::GetStatus}, {"PrintText", &Driver::PrintText},
        {"Beep", &Driver::Beep},           {"OpenDrawer", &Driver::OpenDrawer},
        {"Sell", &Driver::Sell},           {"Report", &Driver::Report},
    };
    for (const auto &action : actions) {
        QVERIFY((device.get()->*action.second)() < 0);
        QCOMPARE(device.code(), -1);
        QCOMPARE(device.resultDescription(), QStringLiteral("Нет связи"));
        QVERIFY(device.detail().contains(QLatin1String(action.first)));
    }
    // Settings operations do not need the connection.
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device.code(), 0);
    QCOMPARE(device.resultDescription(), QString());

    QCOMPARE(device->DeviceEnabled(1), 0);
    QCOMPARE(device.intValue(&Driver::DeviceEnabled), 1);
    // Connected, the status request works on both kinds.
    QCOMPARE(device->GetStatus(), 0);
    QCOMPARE(device.code(), 0);
    if (printer) {
        // A receipt printer has no fiscal side at all.
        const QList<QPair<const char *, ActionFn>> fiscal = {
            {"Sell", &Driver::Sell}, {"Report", &Driver::Report},
            {"GetRegister", &Driver::GetRegister}, {"SetDate", &Driver::SetDate},
        };
        for (const auto &action : fiscal) {
            QVERIFY((device.get()->*action.second)() < 0);
            QCOMPARE(device.code(), -2);
            QCOMPARE(device.resultDescription(), QStringLiteral("Операция не поддерживается"));
            QVERIFY(device.intValue(&Driver::ResultDetail) != 0);
            QVERIFY2(device.detail().contains(QLatin1String(action.first)), qPrintable(device.detail()));
            // Reading other properties keeps the result of the failed call.
            QCOMPARE(device.intValue(&Driver::CharLineLength), 32);
            QCOMPARE(device.code(), -2);
        }
    }
    QCOMPARE(device->DeviceEnabled(0), 0);
    QCOMPARE(device.intValue(&Driver::DeviceEnabled), 0);
    QVERIFY(device->GetStatus() < 0);
    QCOMPARE(device.code(), -1);
}

void TestVregSettings::receiptPrinterRefusesFiscalSubjects()
{
    QTemporaryDir data;
    Device printer(*m_printer);
    QCOMPARE(printer.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(printer->ApplySettings(), 0);
    QCOMPARE(printer->DeviceEnabled(1), 0);
    for (auto action : {&Driver::Sell, &Driver::OpenSession, &Driver::Fiscalization, &Driver::GetRegister,
                        &Driver::PowerOnModem, &Driver::PowerOnWiFi, &Driver::PowerOnPinPad, &Driver::OpenFile,
                        &Driver::OpenDirectory}) {
        QVERIFY((printer.get()->*action)() < 0);
        QCOMPARE(printer.code(), -2);
        QVERIFY2(printer.detail().contains(QStringLiteral("принтером чеков")), qPrintable(printer.detail()));
    }
    // The register's settings string names a model the printer lacks.
    Device fiscal(*m_register);
    QVERIFY(printer->DeviceSettings(w(fiscal.text(&Driver::DeviceSettings)).c_str()) < 0);
    QCOMPARE(printer.code(), -6);
}

void TestVregSettings::propertiesCancelled()
{
    Device device(*m_register);
    QWidget parent;
    QCOMPARE(device->ParentWindow(&parent), 0);
    const QString before = device.text(&Driver::DeviceSettings);
    bool seen = false;
    QWidget *dialogParent = nullptr;
    QString title;
    const int result = showProperties(device, [&](QDialog *dialog) {
        dialogParent = dialog->parentWidget();
        title = dialog->windowTitle();
        dialog->findChild<QComboBox *>(QStringLiteral("cmbModel"))->setCurrentIndex(1);
        dialog->findChild<QLineEdit *>(QStringLiteral("leIPPort"))->setText(QStringLiteral("1"));
        dialog->findChild<QPushButton *>(QStringLiteral("pbtnCancel"))->click();
    }, &seen);
    QVERIFY(seen);
    QCOMPARE(result, 0);
    QCOMPARE(device.code(), 0);
    QCOMPARE(dialogParent, &parent);
    QCOMPARE(title, QStringLiteral("Настройки виртуальной ККТ"));
    QCOMPARE(device.text(&Driver::DeviceSettings), before);
}

void TestVregSettings::propertiesAccepted()
{
    for (bool printer : {false, true}) {
        Device device(library(printer));
        const QString prefix = printer ? QStringLiteral("rcpprn") : QStringLiteral("fptr");
        bool seen = false;
        QString firstError;
        const int result = showProperties(device, [&](QDialog *dialog) {
            auto *pages = dialog->findChild<QTabWidget *>(QStringLiteral("twPages"));
            dialog->findChild<QComboBox *>(QStringLiteral("cmbModel"))->setCurrentIndex(1);
            auto *port = dialog->findChild<QComboBox *>(QStringLiteral("cmbPort"));
            port->setCurrentIndex(port->findText(QStringLiteral("TCP/IP")));
            dialog->findChild<QLineEdit *>(QStringLiteral("leIPAddress"))->setText(QStringLiteral("192.0.2.5"));
            dialog->findChild<QCheckBox *>(QStringLiteral("cbPaperPresent"))->setChecked(false);
            dialog->findChild<QSpinBox *>(QStringLiteral("spinScannerPort"))->setValue(9100);
            dialog->findChild<QSpinBox *>(QStringLiteral("spinPrintSpeed"))->setValue(0);
            // The peripherals' settings exist on the register only.
            auto *timeout = dialog->findChild<QSpinBox *>(QStringLiteral("spinConnectionTimeout"));
            auto *pinPad = dialog->findChild<QLineEdit *>(QStringLiteral("lePinPadAnswer"));
            QCOMPARE(timeout != nullptr, !printer);
            QCOMPARE(pinPad != nullptr, !printer);
            if (timeout) {
                timeout->setValue(1500);
                pinPad->setText(QStringLiteral("\\x06"));
            }
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                shoot(dialog, QStringLiteral("%1-page%2").arg(prefix).arg(page + 1));
            }
            // A relative data folder keeps the dialog open with the reason.
            auto *dataDir = dialog->findChild<QLineEdit *>(QStringLiteral("leDataDir"));
            dataDir->setText(QStringLiteral("relative"));
            dialog->findChild<QPushButton *>(QStringLiteral("pbtnOk"))->click();
            auto *error = dialog->findChild<QLabel *>(QStringLiteral("lbError"));
            firstError = dialog->isVisible() && !error->isHidden() ? error->text() : QString();
            QCoreApplication::processEvents();
            shoot(dialog, prefix + QStringLiteral("-error"));
            dataDir->clear();
            dialog->findChild<QPushButton *>(QStringLiteral("pbtnOk"))->click();
        }, &seen);
        QVERIFY(seen);
        QVERIFY2(firstError.contains(QStringLiteral("DataDir")), qPrintable(firstError));
        QCOMPARE(result, 1);
        QCOMPARE(device.code(), 0);
        QCOMPARE(device.intValue(&Driver::CharLineLength), 48);
        QCOMPARE(device.setting(QStringLiteral("Port")), QStringLiteral("TCP"));
        QCOMPARE(device.setting(QStringLiteral("IPAddress")), QStringLiteral("192.0.2.5"));
        QCOMPARE(device.setting(QStringLiteral("PaperPresent")), QStringLiteral("0"));
        QCOMPARE(device.intValue(&Driver::CheckPaperPresent), 0);
        QCOMPARE(device.setting(QStringLiteral("ScannerPort")), QStringLiteral("9100"));
        QCOMPARE(device.setting(QStringLiteral("PrintSpeed")), QStringLiteral("0"));
        QCOMPARE(device.setting(QStringLiteral("DataDir")), QString());
        QCOMPARE(device.setting(QStringLiteral("ConnectionTimeout")), printer ? QStringLiteral("5000") : QStringLiteral("1500"));
        QCOMPARE(device.setting(QStringLiteral("PinPadAnswer")), printer ? QString() : QStringLiteral("\\x06"));
    }
}

void TestVregSettings::propertiesTapeViewAndClear()
{
    QTemporaryDir data;
    Device device(*m_register);
    QCOMPARE(device.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QFile tape(data.path() + QStringLiteral("/tape.txt"));
    QVERIFY(tape.open(QIODevice::WriteOnly));
    tape.write(QStringLiteral("     ООО \"Ромашка\"\nИТОГ                       =100.00\n").toUtf8());
    tape.close();

    bool seen = false;
    QString shown;
    bool clearEnabledAfter = true;
    const int result = showProperties(device, [&](QDialog *dialog) {
        dialog->findChild<QTabWidget *>(QStringLiteral("twPages"))->setCurrentIndex(2);
        shown = dialog->findChild<QPlainTextEdit *>(QStringLiteral("teTape"))->toPlainText();
        shoot(dialog, QStringLiteral("fptr-tape"));
        auto *clear = dialog->findChild<QPushButton *>(QStringLiteral("pbtnClearTape"));
        clear->click();
        clearEnabledAfter = clear->isEnabled();
        dialog->reject();
    }, &seen);
    QVERIFY(seen);
    QCOMPARE(result, 0);
    QVERIFY2(shown.contains(QStringLiteral("ООО \"Ромашка\"")), qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("ИТОГ")));
    QVERIFY(!clearEnabledAfter);
    QVERIFY(QFileInfo::exists(tape.fileName()));
    QCOMPARE(QFileInfo(tape.fileName()).size(), 0);
}

void TestVregSettings::memoryInDefaultFolderPersists()
{
    Device first(*m_register);
    const QString id = first.setting(QStringLiteral("DeviceId"));
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/virtual-register/") + id;
    QVERIFY(!QFileInfo::exists(folder)); // nothing is written before the connection
    QCOMPARE(first->DeviceEnabled(1), 0);
    QCOMPARE(first->DeviceEnabled(0), 0);
    const QString settings = first.text(&Driver::DeviceSettings);

    Device second(*m_register);
    QCOMPARE(second->DeviceSettings(w(settings).c_str()), 0);
    QCOMPARE(second->DeviceEnabled(1), 0);
    QCOMPARE(second->DeviceEnabled(0), 0);
    SqliteFile memory(folder + QStringLiteral("/memory.db"));
    QVERIFY(memory.isOpen());
    QCOMPARE(memory.value(QStringLiteral("SELECT value FROM meta WHERE key = 'device'")), id);
    QCOMPARE(memory.value(QStringLiteral("SELECT value FROM state WHERE module = 'power' AND key = 'count'")),
             QStringLiteral("2"));
    QVERIFY(QDir(folder).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files).isEmpty());
}

void TestVregSettings::unreadableMemorySetAsideAndReportedOnce_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("garbage");
    // The memory of an earlier version cut short, and a database that is
    // not one.
    QTest::newRow("state file") << "state.json" << QByteArray("{\"format\": 1, \"kind\": \"fiscal-reg");
    QTest::newRow("database") << "memory.db" << QByteArray("SQLite format 3 but nothing more ").repeated(200);
    // Numbers no field of the memory can take: converting them used to be
    // undefined (a sum beyond 64 bits, one that overflows a double, a negative
    // one below the range).
    const QByteArray head = "{\"format\": 1, \"kind\": \"fiscal-register\", \"modules\": ";
    QTest::newRow("state file, cash beyond any sum")
        << "state.json" << head + "{\"receipts\": {\"cash\": 1.7e52}}}";
    QTest::newRow("state file, clock offset beyond a double")
        << "state.json" << head + "{\"clock\": {\"offsetMs\": 1e999}}}";
    QTest::newRow("state file, document number below the range")
        << "state.json" << head + "{\"fiscalStorage\": {\"lastDocumentNumber\": -9.3e18}}}";
}

void TestVregSettings::unreadableMemorySetAsideAndReportedOnce()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, garbage);
    QTemporaryDir data;
    QFile state(data.path() + QLatin1Char('/') + file);
    QVERIFY(state.open(QIODevice::WriteOnly));
    state.write(garbage);
    state.close();

    Device device(*m_register);
    QCOMPARE(device.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device->DeviceEnabled(1), 0);

    const QStringList aside = QDir(data.path()).entryList({file + QStringLiteral(".unreadable-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(data.path() + QLatin1Char('/') + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), garbage);
    SqliteFile memory(data.path() + QStringLiteral("/memory.db"));
    QCOMPARE(memory.value(QStringLiteral("SELECT value FROM meta WHERE key = 'format'")), QStringLiteral("2"));
    QVERIFY(!QFileInfo::exists(data.path() + QStringLiteral("/state.json")));

    // The first action reports it, next to its own detail (here a wrong
    // password); later ones do not.
    QCOMPARE(device->Mode(1), 0);
    QCOMPARE(device->Password(L"999"), 0);
    QVERIFY(device->SetMode() < 0);
    QCOMPARE(device.code(), -20);
    const QString firstDetail = device.detail();
    QVERIFY2(firstDetail.contains(aside.first()), qPrintable(firstDetail));
    QVERIFY(device->SetMode() < 0);
    QCOMPARE(device.code(), -20);
    QVERIFY(!device.detail().contains(aside.first()));
    QVERIFY(!device.detail().isEmpty());
    QVERIFY2(firstDetail.contains(device.detail()), qPrintable(firstDetail));
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device.intValue(&Driver::ResultDetail), 0);

    // Reconnecting reads the fresh file: nothing more to report.
    QCOMPARE(device->DeviceEnabled(0), 0);
    QCOMPARE(device->DeviceEnabled(1), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device.intValue(&Driver::ResultDetail), 0);
    QCOMPARE(QDir(data.path()).entryList({file + QStringLiteral(".unreadable-*")}, QDir::Files).size(), 1);
}

void TestVregSettings::foreignKindFolderRefused()
{
    QTemporaryDir data;
    Device fiscal(*m_register);
    QCOMPARE(fiscal.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(fiscal->ApplySettings(), 0);
    QCOMPARE(fiscal->DeviceEnabled(1), 0);
    QCOMPARE(fiscal->DeviceEnabled(0), 0);
    QFile memory(data.path() + QStringLiteral("/memory.db"));
    QVERIFY(memory.open(QIODevice::ReadOnly));
    const QByteArray before = memory.readAll();
    memory.close();

    Device printer(*m_printer);
    QCOMPARE(printer.write(QStringLiteral("DataDir"), data.path()), 0);
    QCOMPARE(printer->ApplySettings(), 0);
    QVERIFY(printer->DeviceEnabled(1) < 0);
    QCOMPARE(printer.code(), -8);
    QVERIFY2(printer.detail().contains(QStringLiteral("другого типа")), qPrintable(printer.detail()));
    QCOMPARE(printer.intValue(&Driver::DeviceEnabled), 0);
    QVERIFY(memory.open(QIODevice::ReadOnly));
    QCOMPARE(memory.readAll(), before);
    QCOMPARE(QDir(data.path()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files).size(), 0);
}

FPTR_TEST_MAIN(TestVregSettings)
#include "tst_vreg_settings.moc"
