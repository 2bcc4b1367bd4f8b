// The virtual register's barcodes, read back as a user of the paper would:
// every barcode printed onto the tape picture is decoded by an independent
// reader to exactly the text sent; a bad text or option fails with its code
// and prints and stores nothing; the barcode memory gives back every option;
// the barcode and picture marks of printed text print what is stored and
// fail for what is not.

#include "testmain.h"
#include "vregclient.h"
#include "vregpaper.h"

#include <QTemporaryDir>

using namespace vregtest;
using ZXing::BarcodeFormat;

Q_DECLARE_METATYPE(ZXing::BarcodeFormat)

namespace {

using IntSetter = int (Driver::*)(int);
using IntGetter = int (Driver::*)(int *);

struct IntProperty
{
    const char *name;
    IntSetter set;
    IntGetter get; // null for write-only properties
};

// The integer properties of a barcode, as the bench writes them.
const IntProperty kIntProperties[] = {
    {"BarcodeType", &Driver::BarcodeType, &Driver::BarcodeType},
    {"BarcodePrintType", &Driver::BarcodePrintType, nullptr},
    {"Alignment", &Driver::Alignment, nullptr},
    {"LeftMargin", &Driver::LeftMargin, nullptr},
    {"BottomMargin", &Driver::BottomMargin, nullptr},
    {"BarcodeCRC", &Driver::BarcodeCRC, &Driver::BarcodeCRC},
    {"BarcodePrintText", &Driver::BarcodePrintText, &Driver::BarcodePrintText},
    {"BarcodeDeferredPrint", &Driver::BarcodeDeferredPrint, nullptr},
    {"Height", &Driver::Height, &Driver::Height},
    {"BarcodeVersion", &Driver::BarcodeVersion, &Driver::BarcodeVersion},
    {"BarcodeCorrection", &Driver::BarcodeCorrection, &Driver::BarcodeCorrection},
    {"BarcodeEncoding", &Driver::BarcodeEncoding, &Driver::BarcodeEncoding},
    {"BarcodeEncodingMode", &Driver::BarcodeEncodingMode, &Driver::BarcodeEncodingMode},
    {"BarcodePackingMode", &Driver::BarcodePackingMode, &Driver::BarcodePackingMode},
    {"BarcodeProportions", &Driver::BarcodeProportions, &Driver::BarcodeProportions},
    {"BarcodePixelProportions", &Driver::BarcodePixelProportions, &Driver::BarcodePixelProportions},
    {"BarcodeRows", &Driver::BarcodeRows, &Driver::BarcodeRows},
    {"BarcodeColumns", &Driver::BarcodeColumns, &Driver::BarcodeColumns},
    {"BarcodeUseProportions", &Driver::BarcodeUseProportions, &Driver::BarcodeUseProportions},
    {"BarcodeUseRows", &Driver::BarcodeUseRows, &Driver::BarcodeUseRows},
    {"BarcodeUseColumns", &Driver::BarcodeUseColumns, &Driver::BarcodeUseColumns},
    {"BarcodeUseCodewords", &Driver::BarcodeUseCodewords, nullptr},
    {"BarcodeUseCorrection", &Driver::BarcodeUseCorrection, &Driver::BarcodeUseCorrection},
    {"BarcodeInvert", &Driver::BarcodeInvert, &Driver::BarcodeInvert},
};

// Everything the bench writes before PrintBarcode, reset between uses so
// that one row's options never leak into the next.
void writeBarcode(const Device &device, int type, const QString &text, const QVariantMap &options)
{
    for (const IntProperty &property : kIntProperties)
        (device.get()->*property.set)(0);
    device->Scale(0);
    device->BarcodeType(type);
    device.setText(&Driver::Barcode, text);
    for (auto it = options.begin(); it != options.end(); ++it) {
        if (it.key() == QLatin1String("Scale")) {
            device->Scale(it.value().toDouble());
            continue;
        }
        bool known = false;
        for (const IntProperty &property : kIntProperties) {
            if (it.key() == QLatin1String(property.name)) {
                (device.get()->*property.set)(it.value().toInt());
                known = true;
            }
        }
        if (!known)
            qFatal("no barcode property %s", qPrintable(it.key()));
    }
}

int intOf(const Device &device, const QString &name)
{
    for (const IntProperty &property : kIntProperties) {
        if (name == QLatin1String(property.name) && property.get)
            return device.intValue(property.get);
    }
    qFatal("%s cannot be read", qPrintable(name));
    return 0;
}

QVariantMap opts(std::initializer_list<std::pair<QString, QVariant>> list)
{
    QVariantMap map;
    for (const auto &item : list)
        map.insert(item.first, item.second);
    return map;
}

const QString kUtf8Qr = QStringLiteral("https://check.example/чек?n=42&sum=150.00");

} // namespace

class TestVregBarcodes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printedBarcodeDecodes_data();
    void printedBarcodeDecodes();
    void refusedBarcode_data();
    void refusedBarcode();
    void memoryRoundTrip_data();
    void memoryRoundTrip();
    void memoryNumbersAndLimits();
    void marks_data();
    void marks();
    void receiptPrinterPrintsBarcodes();

private:
    bool open(Library &library, const QString &model = QStringLiteral("1"));

    std::unique_ptr<Library> m_fptr;
    std::unique_ptr<Library> m_printer;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<Device> m_device;
};

void TestVregBarcodes::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY(m_fptr->ok());
    QVERIFY(m_printer->ok());
}

void TestVregBarcodes::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid());
}

void TestVregBarcodes::cleanup()
{
    m_device.reset();
    m_data.reset();
}

bool TestVregBarcodes::open(Library &library, const QString &model)
{
    m_device = std::make_unique<Device>(library);
    return m_device->connect({QStringLiteral("DataDir"), m_data->path(), QStringLiteral("PrintSpeed"),
                              QStringLiteral("0"), QStringLiteral("Model"), model});
}

void TestVregBarcodes::printedBarcodeDecodes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantMap>("options");
    QTest::addColumn<ZXing::BarcodeFormat>("format");
    QTest::addColumn<QString>("decoded");

    const QVariantMap crc = opts({{"BarcodeCRC", 1}});
    QTest::newRow("EAN8") << 0 << "96385074" << crc << BarcodeFormat::EAN8 << "96385074";
    QTest::newRow("EAN8 check digit added") << 0 << "9638507" << QVariantMap() << BarcodeFormat::EAN8 << "96385074";
    QTest::newRow("EAN13 with text") << 1 << "4601234567893" << opts({{"BarcodeCRC", 1}, {"BarcodePrintText", 1}})
                                     << BarcodeFormat::EAN13 << "4601234567893";
    QTest::newRow("UPCA") << 2 << "036000291452" << crc << BarcodeFormat::UPCA << "036000291452";
    QTest::newRow("Code39") << 3 << "CODE-39 TEST" << QVariantMap() << BarcodeFormat::Code39 << "CODE-39 TEST";
    QTest::newRow("Code39 with its check character")
        << 3 << "ABC-1234-" << crc << BarcodeFormat::Code39 << "ABC-1234-";
    QTest::newRow("QR UTF-8") << 4 << kUtf8Qr << opts({{"BarcodeEncoding", 1}, {"BarcodeEncodingMode", 2}})
                              << BarcodeFormat::QRCode << kUtf8Qr;
    QTest::newRow("QR alphanumeric, H, version 5, centred")
        << 4 << "ORDER 42/7" << opts({{"BarcodeEncodingMode", 1}, {"BarcodeCorrection", 4}, {"BarcodeVersion", 5},
                                      {"Alignment", 1}})
        << BarcodeFormat::QRCode << "ORDER 42/7";
    QTest::newRow("QR numeric, twice the scale") << 4 << "0123456789" << opts({{"Scale", 200}})
                                                 << BarcodeFormat::QRCode << "0123456789";
    QTest::newRow("PDF 417") << 5 << "PDF 417: receipt 42, total 150.00" << QVariantMap() << BarcodeFormat::PDF417
                             << "PDF 417: receipt 42, total 150.00";
    QTest::newRow("PDF 417 columns, rows, correction")
        << 5 << "Columns and rows"
        << opts({{"BarcodeUseColumns", 1}, {"BarcodeColumns", 3}, {"BarcodeUseRows", 1}, {"BarcodeRows", 10},
                 {"BarcodeUseCorrection", 1}, {"BarcodeCorrection", 3}})
        << BarcodeFormat::PDF417 << "Columns and rows";
    QTest::newRow("PDF 417 numeric, proportions") << 5 << "12345678901234567890"
                                                  << opts({{"BarcodePackingMode", 3}, {"BarcodeUseProportions", 1},
                                                           {"BarcodeProportions", 300}, {"BarcodePixelProportions", 4}})
                                                  << BarcodeFormat::PDF417 << "12345678901234567890";
    QTest::newRow("ITF14") << 6 << "04601234567893" << crc << BarcodeFormat::ITF << "04601234567893";
    QTest::newRow("Interleaved 2 of 5") << 7 << "123456" << QVariantMap() << BarcodeFormat::ITF << "123456";
    QTest::newRow("Interleaved 2 of 5 with check digit") << 7 << "12345670" << crc << BarcodeFormat::ITF
                                                         << "12345670";
    QTest::newRow("UPCE") << 8 << "01234565" << crc << BarcodeFormat::UPCE << "01234565";
    QTest::newRow("Codabar") << 9 << "123-456.78" << QVariantMap() << BarcodeFormat::Codabar << "123-456.78";
    QTest::newRow("Codabar with check character") << 9 << "311170132066" << crc << BarcodeFormat::Codabar
                                                  << "311170132066";
    QTest::newRow("Code93") << 10 << "CODE93-TEST 1" << QVariantMap() << BarcodeFormat::Code93 << "CODE93-TEST 1";
    QTest::newRow("Code128 right, tall")
        << 11 << "Code128 text-42" << opts({{"Alignment", 2}, {"Height", 120}, {"BarcodePrintText", 1}})
        << BarcodeFormat::Code128 << "Code128 text-42";
    QTest::newRow("Code128 on 80 mm paper with a margin")
        << 11 << "{wide:paper}" << opts({{"LeftMargin", 100}, {"BottomMargin", 40}}) << BarcodeFormat::Code128
        << "{wide:paper}";
}

void TestVregBarcodes::printedBarcodeDecodes()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QVariantMap, options);
    QFETCH(ZXing::BarcodeFormat, format);
    QFETCH(QString, decoded);

    const QString model = QString::fromLatin1(QTest::currentDataTag()).contains(QLatin1String("80 mm"))
        ? QStringLiteral("2")
        : QStringLiteral("1");
    QVERIFY(open(*m_fptr, model));
    Device &device = *m_device;
    writeBarcode(device, type, text, options);
    QVERIFY2(device->PrintBarcode() == 0, qPrintable(device.result()));

    const QImage paper = newestPaper(device.get(), device.dataFolder());
    QVERIFY(!paper.isNull());
    QCOMPARE(paper.width(), model == QLatin1String("1") ? 384 : 576);
    QCOMPARE(decode(paper, format), decoded);
    // The text tape names the barcode by its type and text.
    static const QStringList names = {"EAN8", "EAN13", "UPCA", "Code39", "QR Code", "PDF 417", "ITF14",
                                      "Interleaved 2 of 5", "UPCE", "Codabar", "Code93", "Code128"};
    const QString named = QStringLiteral("[%1: %2").arg(names.value(type), text.left(8));
    QVERIFY2(device.tape().join(QString()).contains(named), qPrintable(device.tape().join('\n')));
}

void TestVregBarcodes::refusedBarcode_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantMap>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");

    const QVariantMap crc = opts({{"BarcodeCRC", 1}});
    // A character no type of the row accepts, one per type.
    QTest::newRow("EAN8 letter") << 0 << "963850A" << QVariantMap() << -302 << "\"A\" в позиции 7";
    QTest::newRow("EAN13 letter") << 1 << "46012345678x" << QVariantMap() << -302 << "\"x\"";
    QTest::newRow("UPCA letter") << 2 << "03600029145Z" << crc << -302 << "\"Z\"";
    QTest::newRow("Code39 lower case") << 3 << "Code39" << QVariantMap() << -302 << "\"o\" в позиции 2";
    QTest::newRow("QR numeric mode, letter") << 4 << "12A4" << QVariantMap() << -302 << "\"A\"";
    QTest::newRow("QR ISO8859, Cyrillic") << 4 << "Чек" << opts({{"BarcodeEncodingMode", 2}}) << -302
                                          << "Latin-1";
    QTest::newRow("PDF 417 numeric, letter") << 5 << "12x" << opts({{"BarcodePackingMode", 3}}) << -302 << "\"x\"";
    QTest::newRow("PDF 417 text, Cyrillic") << 5 << "Итог" << opts({{"BarcodePackingMode", 1}}) << -302 << "ASCII";
    QTest::newRow("ITF14 letter") << 6 << "046012345678B" << QVariantMap() << -302 << "\"B\"";
    QTest::newRow("I2of5 letter") << 7 << "12345A" << QVariantMap() << -302 << "\"A\"";
    QTest::newRow("UPCE letter") << 8 << "012345X" << QVariantMap() << -302 << "\"X\"";
    QTest::newRow("Codabar letter inside") << 9 << "12A34" << QVariantMap() << -302 << "\"A\"";
    QTest::newRow("Code93 Cyrillic") << 10 << "ТЕСТ" << QVariantMap() << -302 << "\"Т\" в позиции 1";
    QTest::newRow("Code128 control character") << 11 << QStringLiteral("a\x01z") << QVariantMap() << -302 << "0x01";

    // A wrong check digit names the one expected.
    QTest::newRow("EAN8 check") << 0 << "96385075" << crc << -303 << "ожидался \"4\"";
    QTest::newRow("EAN13 check") << 1 << "4601234567890" << crc << -303 << "ожидался \"3\"";
    QTest::newRow("UPCA check") << 2 << "036000291451" << crc << -303 << "ожидался \"2\"";
    QTest::newRow("Code39 check") << 3 << "ABC-1234X" << crc << -303 << "ожидался \"-\"";
    QTest::newRow("ITF14 check") << 6 << "04601234567890" << crc << -303 << "ожидался \"3\"";
    QTest::newRow("I2of5 check") << 7 << "12345679" << crc << -303 << "ожидался \"0\"";
    QTest::newRow("UPCE check") << 8 << "01234567" << crc << -303 << "ожидался \"5\"";
    QTest::newRow("Codabar check") << 9 << "311170132060" << crc << -303 << "ожидался \"6\"";

    // Lengths.
    QTest::newRow("EAN13 one digit short") << 1 << "460123456789" << crc << -301 << "нужно 13 цифр";
    QTest::newRow("EAN13 with its check digit, CRC not said")
        << 1 << "4601234567893" << QVariantMap() << -301 << "нужно 12 цифр (с контрольной цифрой - BarcodeCRC = 1)";
    QTest::newRow("I2of5 odd length") << 7 << "12345" << QVariantMap() << -301 << "чётное";
    QTest::newRow("empty text") << 11 << "" << QVariantMap() << -301 << "пустой";

    // Options: honoured, or refused by name.
    QTest::newRow("unknown type") << 12 << "1" << QVariantMap() << -300 << "BarcodeType = 12";
    QTest::newRow("QR version 41") << 4 << "1" << opts({{"BarcodeVersion", 41}}) << -304 << "BarcodeVersion = 41";
    QTest::newRow("QR correction 5") << 4 << "1" << opts({{"BarcodeCorrection", 5}}) << -304
                                     << "BarcodeCorrection = 5";
    QTest::newRow("QR encoding 2") << 4 << "1" << opts({{"BarcodeEncoding", 2}}) << -304 << "BarcodeEncoding = 2";
    QTest::newRow("QR text beyond version 1") << 4 << QString(60, QLatin1Char('7'))
                                              << opts({{"BarcodeVersion", 1}}) << -305 << "QR Code";
    QTest::newRow("PDF 417 columns 31") << 5 << "x" << opts({{"BarcodeUseColumns", 1}, {"BarcodeColumns", 31}})
                                        << -304 << "BarcodeColumns = 31";
    QTest::newRow("PDF 417 codewords") << 5 << "x" << opts({{"BarcodeUseCodewords", 1}}) << -304
                                       << "BarcodeUseCodewords";
    QTest::newRow("PDF 417 proportions with rows")
        << 5 << "x" << opts({{"BarcodeUseProportions", 1}, {"BarcodeProportions", 200}, {"BarcodeUseRows", 1},
                             {"BarcodeRows", 5}})
        << -304 << "BarcodeUseProportions";
    QTest::newRow("CRC on Code128") << 11 << "abc" << crc << -304 << "BarcodeCRC = 1";
    QTest::newRow("alignment 3") << 11 << "abc" << opts({{"Alignment", 3}}) << -304 << "Alignment = 3";
    QTest::newRow("print type 3") << 11 << "abc" << opts({{"BarcodePrintType", 3}}) << -304
                                  << "BarcodePrintType = 3";
    QTest::newRow("scale 5 %") << 11 << "abc" << opts({{"Scale", 5}}) << -304 << "Scale = 5";
    QTest::newRow("deferred 2") << 11 << "abc" << opts({{"BarcodeDeferredPrint", 2}}) << -304
                                << "BarcodeDeferredPrint = 2";
    QTest::newRow("wider than the paper") << 11 << "ABCDEFGHIJKLMNOP" << opts({{"Scale", 400}}) << -305
                                          << "не помещается";
    QTest::newRow("deferred, wider than the paper")
        << 11 << "ABCDEFGHIJKLMNOP" << opts({{"Scale", 400}, {"BarcodeDeferredPrint", 1}}) << -305
        << "не помещается";
}

void TestVregBarcodes::refusedBarcode()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QVariantMap, options);
    QFETCH(int, code);
    QFETCH(QString, detail);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    writeBarcode(device, type, text, options);
    QVERIFY(device->PrintBarcode() < 0);
    QCOMPARE(device.code(), code);
    QVERIFY2(device.detail().contains(detail), qPrintable(device.result()));
    // Nothing printed, nothing stored.
    QVERIFY(device.tape().isEmpty());
    QVERIFY(paperDocuments(device.get(), device.dataFolder()).isEmpty());
    QCOMPARE(device->GetBarcodeArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), 0);
}

void TestVregBarcodes::memoryRoundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantMap>("options");
    QTest::addColumn<ZXing::BarcodeFormat>("format");
    QTest::addColumn<QStringList>("readBack");

    QTest::newRow("QR, every option")
        << 4 << kUtf8Qr
        << opts({{"BarcodeVersion", 7}, {"BarcodeCorrection", 3}, {"BarcodeEncoding", 1}, {"BarcodeEncodingMode", 3},
                 {"BarcodePrintText", 1}, {"Alignment", 1}})
        << BarcodeFormat::QRCode
        << QStringList{"BarcodeVersion", "BarcodeCorrection", "BarcodeEncoding", "BarcodeEncodingMode",
                       "BarcodePrintText"};
    QTest::newRow("PDF 417, every option")
        << 5 << "Stored PDF 417"
        << opts({{"BarcodeCorrection", 4}, {"BarcodePackingMode", 1}, {"BarcodePixelProportions", 5},
                 {"BarcodeRows", 12}, {"BarcodeColumns", 4}, {"BarcodeUseRows", 1}, {"BarcodeUseColumns", 1},
                 {"BarcodeUseCorrection", 1}, {"BarcodeProportions", 250}})
        << BarcodeFormat::PDF417
        << QStringList{"BarcodeCorrection", "BarcodePackingMode", "BarcodePixelProportions", "BarcodeRows",
                       "BarcodeColumns", "BarcodeUseRows", "BarcodeUseColumns", "BarcodeUseCorrection",
                       "BarcodeProportions", "BarcodeUseProportions", "BarcodeInvert"};
    QTest::newRow("PDF 417 inverted") << 5 << "Inverted" << opts({{"BarcodeInvert", 1}}) << BarcodeFormat::PDF417
                                      << QStringList{"BarcodeInvert"};
    QTest::newRow("EAN13, check digit and text")
        << 1 << "4601234567893" << opts({{"BarcodeCRC", 1}, {"BarcodePrintText", 1}, {"Height", 100}})
        << BarcodeFormat::EAN13 << QStringList{"BarcodeCRC", "BarcodePrintText", "Height"};
}

void TestVregBarcodes::memoryRoundTrip()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QVariantMap, options);
    QFETCH(ZXing::BarcodeFormat, format);
    QFETCH(QStringList, readBack);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    QVariantMap deferred = options;
    deferred.insert(QStringLiteral("BarcodeDeferredPrint"), 1);
    writeBarcode(device, type, text, deferred);
    QVERIFY2(device->PrintBarcode() == 0, qPrintable(device.result()));
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), 1);
    QVERIFY(device.tape().isEmpty()); // stored, not printed
    // Kept in the device's memory, not the driver object's.
    QCOMPARE(device->DeviceEnabled(0), 0);
    QCOMPARE(device->DeviceEnabled(1), 0);

    // Another barcode's options in the properties: GetBarcode replaces them all.
    writeBarcode(device, 11, QStringLiteral("other"),
                 opts({{"BarcodeCRC", 1}, {"BarcodeVersion", 40}, {"BarcodeRows", 90}, {"Height", 7},
                       {"BarcodeInvert", 1}, {"BarcodeProportions", 999}}));
    device->BarcodeNumber(1);
    QVERIFY2(device->GetBarcode() == 0, qPrintable(device.result()));
    QCOMPARE(device.text(&Driver::Barcode), text);
    QCOMPARE(device.intValue(&Driver::BarcodeType), type);
    for (const QString &name : readBack)
        QVERIFY2(intOf(device, name) == options.value(name, 0).toInt(), qPrintable(name));

    device->BarcodeNumber(1);
    device->PrintPurpose(0);
    QVERIFY2(device->PrintBarcodeByNumber() == 0, qPrintable(device.result()));
    QCOMPARE(decode(newestPaper(device.get(), device.dataFolder()), format, options.value("BarcodeInvert").toInt() == 1), text);
}

void TestVregBarcodes::memoryNumbersAndLimits()
{
    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    QCOMPARE(device->GetBarcodeArrayStatus(), 0);
    const int empty = device.intValue(&Driver::FreeMemory);
    QVERIFY(empty > 0);

    const QVariantMap deferred = opts({{"BarcodeDeferredPrint", 1}});
    for (int n = 1; n <= 3; ++n) {
        writeBarcode(device, 11, QStringLiteral("item %1").arg(n), deferred);
        QCOMPARE(device->PrintBarcode(), 0);
        QCOMPARE(device.intValue(&Driver::BarcodeNumber), n);
    }
    QCOMPARE(device->GetBarcodeArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), 3);
    QVERIFY(device.intValue(&Driver::FreeMemory) < empty);

    // Deleting takes the last; numbers stay without gaps.
    QCOMPARE(device->DeleteBarcode(), 0);
    device->BarcodeNumber(3);
    QVERIFY(device->GetBarcode() < 0);
    QCOMPARE(device.code(), -306);
    writeBarcode(device, 11, QStringLiteral("again"), deferred);
    QCOMPARE(device->PrintBarcode(), 0);
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), 3);

    QCOMPARE(device->ClearBarcodeArray(), 0);
    QCOMPARE(device->GetBarcodeArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), 0);
    QCOMPARE(device.intValue(&Driver::FreeMemory), empty);
    QVERIFY(device->DeleteBarcode() < 0);
    QCOMPARE(device.code(), -306);

    // Full: the barcode that does not fit is refused, the others stay.
    const QString long1k = QString(1000, QLatin1Char('7'));
    int stored = 0;
    int result = 0;
    while (stored < 200 && (result = ([&] {
                               writeBarcode(device, 4, long1k, deferred);
                               return device->PrintBarcode();
                           })()) == 0)
        ++stored;
    QVERIFY(result < 0);
    QCOMPARE(device.code(), -307);
    QVERIFY(stored > 0);
    QCOMPARE(device->GetBarcodeArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::BarcodeNumber), stored);

    // A number that is not stored prints nothing.
    device->BarcodeNumber(stored + 1);
    device->PrintPurpose(0);
    QVERIFY(device->PrintBarcodeByNumber() < 0);
    QCOMPARE(device.code(), -306);
    QVERIFY(device.tape().isEmpty());
}

void TestVregBarcodes::marks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("stored barcode") << "Оплата:\x0B" "1\x0B" "спасибо" << 0 << "Stored 1";
    QTest::newRow("dynamic barcode") << "\x0B" "0\x0B" << 0 << "Dynamic";
    QTest::newRow("barcode not stored") << "До\x0B" "2\x0B" "после" << -306 << "";
    QTest::newRow("picture not stored") << "\x0A" "3,0\x0A" << -310 << "";
}

void TestVregBarcodes::marks()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(QString, decoded);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    writeBarcode(device, 4, QStringLiteral("Stored 1"), opts({{"BarcodeDeferredPrint", 1}, {"BarcodeEncodingMode", 2}}));
    QCOMPARE(device->PrintBarcode(), 0);
    writeBarcode(device, 11, QStringLiteral("Dynamic"), QVariantMap());
    QCOMPARE(device->PrintBarcode(), 0);
    const QStringList before = device.tape();
    const int documents = int(paperDocuments(device.get(), device.dataFolder()).size());

    device.setText(&Driver::Caption, text);
    device->TextWrap(0);
    device->Alignment(0);
    const int result = device->PrintText();
    QCOMPARE(device.code(), code);
    if (code != 0) {
        QVERIFY(result < 0);
        // Never a placeholder line: nothing printed at all.
        QCOMPARE(device.tape(), before);
        QCOMPARE(int(paperDocuments(device.get(), device.dataFolder()).size()), documents);
        return;
    }
    const QImage paper = newestPaper(device.get(), device.dataFolder());
    QCOMPARE(decode(paper, decoded == QLatin1String("Dynamic") ? BarcodeFormat::Code128 : BarcodeFormat::QRCode),
             decoded);
    QVERIFY(device.tape().size() > before.size());
}

void TestVregBarcodes::receiptPrinterPrintsBarcodes()
{
    QVERIFY(open(*m_printer, QStringLiteral("52")));
    Device &device = *m_device;
    writeBarcode(device, 4, QStringLiteral("RECEIPT PRINTER"), opts({{"BarcodeEncodingMode", 1}}));
    QVERIFY2(device->PrintBarcode() == 0, qPrintable(device.result()));
    const QImage paper = newestPaper(device.get(), device.dataFolder());
    QCOMPARE(paper.width(), 576);
    QCOMPARE(decode(paper, BarcodeFormat::QRCode), QStringLiteral("RECEIPT PRINTER"));
}

FPTR_TEST_MAIN(TestVregBarcodes)

#include "tst_vreg_barcodes.moc"
