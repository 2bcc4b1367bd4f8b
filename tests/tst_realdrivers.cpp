// The binding against the driver libraries that ship next to the program:
// both kinds load, create, answer settings and connection calls, and go back
// through the factory and through the device list.

#include "appcore.h"
#include "fptrdevicelist.h"
#include "testmain.h"
#include "zeruzuva.h"

using VOR::Fptr::IFptr;

Q_DECLARE_METATYPE(FptrFactory::PrinterDevice)

namespace {

QVector<wchar_t> wide(const QString &text)
{
    QVector<wchar_t> out;
    QStringToWChar(text, out);
    return out;
}

// Settings, naming and the connection switch of one driver object.
void exerciseOrThrow(ZEruZuva &device)
{
    IFptr *driver = device.ted();
    QVERIFY(driver);
    device.raiseError(driver->WriteSetting(L"SearchDir", wide(appDir()).constData()));
    device.raiseError(driver->ApplySettings());

    const QString settings = device.getBuff(&IFptr::DeviceSettings);
    QVERIFY(!settings.isEmpty());
    device.raiseError(driver->DeviceSettings(wide(settings).constData()));

    QVERIFY(!readCurrentSetting(driver, L"Model").isEmpty());
    QVERIFY(!readDescriptionOfCurrentSetting(driver, L"Model").isEmpty());
    QVERIFY(!defaultDeviceName(driver).isEmpty());

    device.raiseError(driver->DeviceEnabled(1));
    QCOMPARE(device.getInt(&IFptr::DeviceEnabled), 1);
    device.raiseError(driver->DeviceEnabled(0));
    QCOMPARE(device.getInt(&IFptr::DeviceEnabled), 0);
}

void exercise(ZEruZuva &device)
{
    try {
        exerciseOrThrow(device);
    } catch (const std::exception &e) {
        QFAIL(e.what());
    }
}

} // namespace

class TestRealDrivers : public QObject
{
    Q_OBJECT

private slots:
    void factory_data();
    void factory();
    void deviceList();
};

void TestRealDrivers::factory_data()
{
    QTest::addColumn<FptrFactory::PrinterDevice>("kind");
    QTest::newRow("fiscal register") << FptrFactory::FiscalPrinter;
    QTest::newRow("receipt printer") << FptrFactory::ReceiptPrinter;
}

void TestRealDrivers::factory()
{
    QFETCH(FptrFactory::PrinterDevice, kind);

    FptrFactory factory;
    QVERIFY2(factory.isReady(kind), qPrintable(factory.lastError(kind)));
    ZEruZuva *first = factory.create(kind);
    ZEruZuva *second = factory.create(kind);
    QVERIFY(first && second);
    QVERIFY(first->ted() && second->ted());
    QVERIFY(first->ted() != second->ted());

    exercise(*first);
    if (QTest::currentTestFailed())
        return;

    factory.release(kind, &first);
    QVERIFY(!first);
    // The other object is unaffected by its sibling's release.
    QVERIFY(!second->getBuff(&IFptr::DeviceSettings).isEmpty());
    factory.release(kind, &second);
    QVERIFY(!second);
}

void TestRealDrivers::deviceList()
{
    FptrDeviceList list;
    QVERIFY2(list.isReady(FptrFactory::FiscalPrinter), qPrintable(list.lastError(FptrFactory::FiscalPrinter)));
    QVERIFY2(list.isReady(FptrFactory::ReceiptPrinter), qPrintable(list.lastError(FptrFactory::ReceiptPrinter)));

    const int fiscal = list.addDevice(FptrFactory::FiscalPrinter, list.create(FptrFactory::FiscalPrinter));
    const int printer = list.addDevice(FptrFactory::ReceiptPrinter, list.create(FptrFactory::ReceiptPrinter));
    QCOMPARE(fiscal, 1);
    QCOMPARE(printer, 2);

    list.setCurrentDevice(printer);
    QCOMPARE(list.deviceType(-1), FptrFactory::ReceiptPrinter);
    exercise(*list.device(-1));
    if (QTest::currentTestFailed())
        return;
    list.setCurrentDevice(fiscal);
    exercise(*list.device(-1));
    if (QTest::currentTestFailed())
        return;

    list.removeDevice(printer);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.addDevice(FptrFactory::ReceiptPrinter, list.create(FptrFactory::ReceiptPrinter)), 3);
    list.clear();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.addDevice(FptrFactory::FiscalPrinter, list.create(FptrFactory::FiscalPrinter)), 1);
    // The destructor releases the last one before unloading the libraries.
}

FPTR_TEST_MAIN(TestRealDrivers)
#include "tst_realdrivers.moc"
