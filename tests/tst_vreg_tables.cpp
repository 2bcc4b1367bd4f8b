// The virtual register's tables: values, captions and table fields (one
// memory seen three ways), who may write them, what they accept, and that
// they survive a restart and InitTables restores them.

#include "testmain.h"
#include "vregclient.h"

#include <QTemporaryDir>

using namespace vregtest;

namespace {

// GetField / SetField as the bench runs them.
int getField(const Device &device, int table, int row, int field, int type, QString *text)
{
    device->Table(table);
    device->Row(row);
    device->Field(field);
    device->FieldType(type);
    const int result = device->GetField();
    *text = device.text(&Driver::Caption);
    return result;
}

int setField(const Device &device, int table, int row, int field, int type, const QString &text)
{
    device->Table(table);
    device->Row(row);
    device->Field(field);
    device->FieldType(type);
    device.setText(&Driver::Caption, text);
    return device->SetField();
}

double getValue(const Device &device, int purpose)
{
    device->Value(-1);
    device->ValuePurpose(purpose);
    device->GetValue();
    return device.doubleValue(&Driver::Value);
}

int setValue(const Device &device, int purpose, double value)
{
    device->ValuePurpose(purpose);
    device->Value(value);
    return device->SetValue();
}

QString getCaption(const Device &device, int purpose)
{
    device.setText(&Driver::Caption, "?");
    device->CaptionPurpose(purpose);
    device->GetCaption();
    return device.text(&Driver::Caption);
}

int setCaption(const Device &device, int purpose, const QString &text)
{
    device->CaptionPurpose(purpose);
    device.setText(&Driver::Caption, text);
    return device->SetCaption();
}

} // namespace

class TestVregTables : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void writingNeedsProgrammingMode_data();
    void writingNeedsProgrammingMode();
    void values_data();
    void values();
    void tapeWidthFollowsTheModel();
    void captions_data();
    void captions();
    void passwordsAreReadOnlyInProgramming();
    void fieldDefaults_data();
    void fieldDefaults();
    void fieldsShareTheMemory();
    void fieldErrors_data();
    void fieldErrors();
    void tablesSurviveARestart();
    void initTables();

private:
    std::unique_ptr<Library> m_fptr;
};

void TestVregTables::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_fptr->ok());
}

void TestVregTables::writingNeedsProgrammingMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("password");
    QTest::newRow("selection") << 0 << "";
    QTest::newRow("registration, administrator") << 1 << "29";
    QTest::newRow("Z-reports") << 3 << "29";
}

void TestVregTables::writingNeedsProgrammingMode()
{
    QFETCH(int, mode);
    QFETCH(QString, password);
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    if (mode != 0)
        QCOMPARE(device.enterMode(mode, password), 0);

    QVERIFY(setValue(device, 0, 7) < 0);
    QCOMPARE(device.code(), -22);
    QVERIFY(setCaption(device, 0, "Другой магазин") < 0);
    QCOMPARE(device.code(), -22);
    QVERIFY(setField(device, 2, 1, 1, 1, "Другой магазин") < 0);
    QCOMPARE(device.code(), -22);
    QVERIFY(device->InitTables() < 0);
    QCOMPARE(device.code(), -22);
    QVERIFY(device.detail().contains("(4)"));

    // Reading works in any mode, and nothing changed.
    QCOMPARE(getValue(device, 0), 1.0);
    QCOMPARE(getCaption(device, 0), QStringLiteral("ООО «Колосок»"));
}

void TestVregTables::values_data()
{
    QTest::addColumn<int>("purpose");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");

    QTest::newRow("logical number") << 0 << 5.0 << 0;
    QTest::newRow("logical number 0") << 0 << 0.0 << -24;
    QTest::newRow("tax rate with decimals") << 15 << 18.5 << 0;
    QTest::newRow("tax rate over 100 %") << 15 << 100.01 << -24;
    QTest::newRow("whole number with decimals") << 2 << 1.5 << -24;
    QTest::newRow("section tax 7") << 315 << 7.0 << -24;
    QTest::newRow("device type is the device's") << 1 << 2.0 << -27;
    QTest::newRow("tape width is the model's") << 200 << 80.0 << -27;
    QTest::newRow("last value") << 394 << 1.0 << 0;
    QTest::newRow("past the last value") << 395 << 1.0 << -24;
}

void TestVregTables::values()
{
    QFETCH(int, purpose);
    QFETCH(double, value);
    QFETCH(int, code);
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    const double before = getValue(device, purpose);
    setValue(device, purpose, value);
    QCOMPARE(device.code(), code);
    if (code != 0)
        QVERIFY(!device.detail().isEmpty());
    if (purpose >= 0 && purpose <= 394)
        QCOMPARE(getValue(device, purpose), code == 0 ? value : before);
    else
        QCOMPARE(device.code(), -24); // GetValue refuses the purpose too
}

void TestVregTables::tapeWidthFollowsTheModel()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(getValue(device, 200), 57.0);
    QCOMPARE(device.write("Model", "2"), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(getValue(device, 200), 80.0);
}

void TestVregTables::captions_data()
{
    QTest::addColumn<int>("purpose");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stored");

    const QString marks = QStringLiteral("\tИТОГО\n1,15\n\v3\v");
    QTest::newRow("header with every mark") << 0 << marks << 0 << marks;
    QTest::newRow("footer") << 88 << "Последняя строка" << 0 << "Последняя строка";
    QTest::newRow("other control character") << 70 << "a\x01" "b" << -24 << "Ждём вас снова";
    QTest::newRow("128 characters") << 264 << QString(128, 'x') << 0 << QString(128, 'x');
    QTest::newRow("too long") << 69 << QString(129, 'x') << -24 << "Спасибо за покупку!";
    QTest::newRow("organisation ИНН") << 261 << "123456789012" << 0 << "123456789012";
    QTest::newRow("ИНН of 11 digits") << 261 << "12345678901" << -24 << "7700000009";
    QTest::newRow("IP address") << 250 << "10.0.0.256" << -24 << "192.168.1.10";
    QTest::newRow("MAC address") << 249 << "0a:1b:2c:3d:4e:5f" << 0 << "0A:1B:2C:3D:4E:5F";
    QTest::newRow("password") << 20 << "00123" << 0 << "123";
    QTest::newRow("past the last caption") << 299 << "x" << -24 << "";
}

void TestVregTables::captions()
{
    QFETCH(int, purpose);
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(QString, stored);
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    setCaption(device, purpose, text);
    QCOMPARE(device.code(), code);
    if (purpose < 299)
        QCOMPARE(getCaption(device, purpose), stored);
}

void TestVregTables::passwordsAreReadOnlyInProgramming()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(1, "29"), 0);
    device->CaptionPurpose(34);
    QVERIFY(device->GetCaption() < 0);
    QCOMPARE(device.code(), -22);
    QString text;
    QVERIFY(getField(device, 1, 29, 1, 0, &text) < 0);
    QCOMPARE(device.code(), -22);
    QCOMPARE(getCaption(device, 89), QStringLiteral("Кассир 1")); // names are not secret

    QCOMPARE(device.enterMode(4, "29"), 0);
    QCOMPARE(getCaption(device, 34), QStringLiteral("29"));
    QCOMPARE(getCaption(device, 35), QStringLiteral("58"));
}

void TestVregTables::fieldDefaults_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");

    QTest::newRow("administrator's password (BCD)") << 1 << 29 << 1 << 0 << "29";
    QTest::newRow("footer line 21") << 3 << 21 << 1 << 1 << "";
    QTest::newRow("section 31") << 4 << 31 << 1 << 1 << "Секция 31";
    QTest::newRow("tax 3 rate in hundredths") << 5 << 3 << 1 << 0 << "2000";
    QTest::newRow("IP address as bytes") << 7 << 1 << 1 << 2 << "C0A8010A";
    QTest::newRow("value 0 as field 1") << 8 << 1 << 1 << 3 << "1";
    QTest::newRow("value 17 as percent field") << 8 << 1 << 18 << 0 << "2000";
}

void TestVregTables::fieldDefaults()
{
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(int, type);
    QFETCH(QString, text);
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    QString read;
    QVERIFY2(getField(device, table, row, field, type, &read) == 0, qPrintable(device.result()));
    QCOMPARE(read, text);
}

void TestVregTables::fieldsShareTheMemory()
{
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    QCOMPARE(setField(device, 5, 3, 1, 0, "1800"), 0);
    QCOMPARE(getValue(device, 17), 18.0);
    QCOMPARE(setValue(device, 15, 7.5), 0);
    QString text;
    QCOMPARE(getField(device, 8, 1, 16, 0, &text), 0);
    QCOMPARE(text, QStringLiteral("750"));
    QCOMPARE(setField(device, 2, 1, 1, 1, "\tНовое клише"), 0);
    QCOMPARE(getCaption(device, 0), QStringLiteral("\tНовое клише"));
    QCOMPARE(setField(device, 7, 1, 1, 2, "0a000001"), 0);
    QCOMPARE(getCaption(device, 250), QStringLiteral("10.0.0.1"));
    QCOMPARE(setField(device, 1, 5, 1, 0, "5555"), 0);
    QCOMPARE(device.enterMode(1, "5555"), 0);
    QCOMPARE(device.intValue(&Driver::Operator), 5);
}

void TestVregTables::fieldErrors_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");

    QTest::newRow("string written as binary") << 2 << 1 << 1 << 3 << "5" << -25;
    QTest::newRow("percent written as binary") << 5 << 1 << 1 << 3 << "5" << -25;
    QTest::newRow("bytes written as string") << 7 << 1 << 1 << 1 << "10.0.0.1" << -25;
    QTest::newRow("no table 9") << 9 << 1 << 1 << 1 << "x" << -26;
    QTest::newRow("no header row 7") << 2 << 7 << 1 << 1 << "x" << -26;
    QTest::newRow("no tax of section 17") << 4 << 17 << 2 << 3 << "1" << -26;
    QTest::newRow("number with letters") << 5 << 1 << 1 << 0 << "12a" << -24;
    QTest::newRow("rate over 100 %") << 5 << 1 << 1 << 0 << "10001" << -24;
    QTest::newRow("odd digits") << 7 << 1 << 1 << 2 << "A000001" << -24;
    QTest::newRow("read-only value") << 8 << 1 << 201 << 3 << "80" << -27;
}

void TestVregTables::fieldErrors()
{
    QFETCH(int, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(int, code);
    Device device(*m_fptr);
    QVERIFY(device.connect());
    QCOMPARE(device.enterMode(4, "29"), 0);
    QVERIFY(setField(device, table, row, field, type, text) < 0);
    QCOMPARE(device.code(), code);
    QVERIFY(!device.detail().isEmpty());
    QString read;
    QCOMPARE(getField(device, table, row, field, type, &read) < 0, code != -24 && code != -27);
    if (code == -24) // the field kept its value
        QVERIFY(read != text);
}

void TestVregTables::tablesSurviveARestart()
{
    QTemporaryDir folder;
    {
        Device device(*m_fptr);
        QVERIFY(device.connect({"DataDir", folder.path()}));
        QCOMPARE(device.enterMode(4, "29"), 0);
        QCOMPARE(setCaption(device, 3, "Тел.\t 123"), 0);
        QCOMPARE(setValue(device, 66, 6), 0);
        QCOMPARE(setCaption(device, 35, "5858"), 0);
    }
    Device device(*m_fptr);
    QVERIFY(device.connect({"DataDir", folder.path()}));
    QCOMPARE(device.intValue(&Driver::Mode), 0); // power-on
    QCOMPARE(device.enterMode(4, "5858"), 0);
    QCOMPARE(getCaption(device, 3), QStringLiteral("Тел.\t 123"));
    QCOMPARE(getValue(device, 66), 6.0);
}

void TestVregTables::initTables()
{
    Device device(*m_fptr);
    QVERIFY(device.connect({"PrintSpeed", "0"}));
    QCOMPARE(device.enterMode(4, "29"), 0);
    QCOMPARE(setCaption(device, 0, "Изменено"), 0);
    QCOMPARE(setCaption(device, 34, "2929"), 0);
    QCOMPARE(setValue(device, 17, 18), 0);
    QVERIFY2(device->InitTables() == 0, qPrintable(device.result()));
    QCOMPARE(getCaption(device, 0), QStringLiteral("ООО «Колосок»"));
    QCOMPARE(getValue(device, 17), 20.0);
    QCOMPARE(device.enterMode(4, "29"), 0); // the factory password again
    QVERIFY(device.tape().join('\n').contains(QStringLiteral("ИНИЦИАЛИЗАЦИЯ ТАБЛИЦ")));
}

FPTR_TEST_MAIN(TestVregTables)
#include "tst_vreg_tables.moc"
