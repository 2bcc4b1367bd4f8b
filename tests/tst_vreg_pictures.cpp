// The virtual register's pictures: the picture memory through the bench's
// two text formats (an uploaded picture downloads bit for bit), pictures
// from files, what the paper shows where a picture is printed, and the
// limits of the memory and of the paper.

#include "testmain.h"
#include "vregclient.h"
#include "vregpaper.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace vregtest;

namespace {

// The bench's upload text: bottom row first, "aarrggbb" a pixel.
QString uploadText(const QImage &picture)
{
    QString text;
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x)
            text += QStringLiteral("%1").arg(picture.pixel(x, y), 8, 16, QLatin1Char('0'));
    }
    return text;
}

// The bench's reading of a download: top row first, bytes b, g, r, a.
QImage fromDownload(int width, int height, const QString &text)
{
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (bytes.size() != qsizetype(width) * height * 4)
        return QImage();
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        memcpy(picture.scanLine(y), bytes.constData() + qsizetype(y) * width * 4, size_t(width) * 4);
    return picture;
}

QImage randomPicture(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, random.generate());
    }
    return picture;
}

// Black and white: a frame, a diagonal and a block, no grey.
QImage inkPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool ink = x == 0 || y == 0 || x == width - 1 || y == height - 1 || x == y
                || (x > width / 2 && y > height / 2);
            picture.setPixel(x, y, ink ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return picture;
}

// Whether the paper shows `picture` with its top left corner at (left, top).
bool showsPicture(const QImage &paper, const QImage &picture, int left, int top)
{
    if (paper.width() < left + picture.width() || paper.height() < top + picture.height())
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool ink = qGray(picture.pixel(x, y)) < 128;
            const bool printed = qGray(paper.pixel(left + x, top + y)) < 128;
            if (ink != printed)
                return false;
        }
    }
    return true;
}

// Where the first row with ink is; -1 on blank paper.
int firstInkRow(const QImage &paper)
{
    for (int y = 0; y < paper.height(); ++y) {
        for (int x = 0; x < paper.width(); ++x) {
            if (qGray(paper.pixel(x, y)) < 128)
                return y;
        }
    }
    return -1;
}

QRect inkBounds(const QImage &paper)
{
    QRect bounds;
    for (int y = 0; y < paper.height(); ++y) {
        for (int x = 0; x < paper.width(); ++x) {
            if (qGray(paper.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestVregPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void uploadDownloadIdentical_data();
    void uploadDownloadIdentical();
    void refusedUpload_data();
    void refusedUpload();
    void loadFromFile_data();
    void loadFromFile();
    void printedByNumberOnPaper_data();
    void printedByNumberOnPaper();
    void printFromFile_data();
    void printFromFile();
    void memoryLimits();
    void receiptPrinterPictures();

private:
    bool open(Library &library, const QString &model = QStringLiteral("1"));
    int upload(const QImage &picture);

    std::unique_ptr<Library> m_fptr;
    std::unique_ptr<Library> m_printer;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<Device> m_device;
};

void TestVregPictures::initTestCase()
{
    m_fptr = std::make_unique<Library>(QStringLiteral("/fptr"));
    m_printer = std::make_unique<Library>(QStringLiteral("/rcpprn"));
    QVERIFY(m_fptr->ok());
    QVERIFY(m_printer->ok());
}

void TestVregPictures::init()
{
    m_data = std::make_unique<QTemporaryDir>();
}

void TestVregPictures::cleanup()
{
    m_device.reset();
    m_data.reset();
}

bool TestVregPictures::open(Library &library, const QString &model)
{
    m_device = std::make_unique<Device>(library);
    return m_device->connect({QStringLiteral("DataDir"), m_data->path() + QStringLiteral("/device"),
                              QStringLiteral("PrintSpeed"), QStringLiteral("0"), QStringLiteral("Model"), model});
}

int TestVregPictures::upload(const QImage &picture)
{
    Device &device = *m_device;
    device->Width(picture.width());
    device->Height(picture.height());
    device.setText(&Driver::Caption, uploadText(picture));
    return device->UploadPicture();
}

void TestVregPictures::uploadDownloadIdentical_data()
{
    QTest::addColumn<QImage>("picture");
    QImage redBlue(2, 1, QImage::Format_ARGB32);
    redBlue.setPixel(0, 0, qRgba(255, 0, 0, 255));
    redBlue.setPixel(1, 0, qRgba(0, 0, 255, 255));
    QTest::newRow("red then blue") << redBlue;
    QTest::newRow("one column, two rows") << randomPicture(1, 2, 1);
    QTest::newRow("every alpha, odd size") << randomPicture(37, 5, 2);
    QTest::newRow("as wide as the paper") << randomPicture(384, 3, 3);
}

void TestVregPictures::uploadDownloadIdentical()
{
    QFETCH(QImage, picture);
    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    QVERIFY2(upload(picture) == 0, qPrintable(device.result()));
    QCOMPARE(device.intValue(&Driver::PictureNumber), 1);
    // Kept in the device's memory, not the driver object's.
    QCOMPARE(device->DeviceEnabled(0), 0);
    QCOMPARE(device->DeviceEnabled(1), 0);

    // Other values in the way: the download replaces them.
    device->Width(1);
    device->Height(1);
    device.setText(&Driver::Caption, QStringLiteral("00"));
    device->PictureNumber(1);
    QVERIFY2(device->DownloadPicture() == 0, qPrintable(device.result()));
    const QImage back = fromDownload(device.intValue(&Driver::Width), device.intValue(&Driver::Height),
                                     device.text(&Driver::Caption));
    QCOMPARE(back.size(), picture.size());
    QVERIFY(back == picture.convertToFormat(QImage::Format_ARGB32));

    device->PictureNumber(1);
    QCOMPARE(device->GetPictureStatus(), 0);
    QCOMPARE(device.intValue(&Driver::Width), picture.width());
    QCOMPARE(device.intValue(&Driver::Height), picture.height());
    QCOMPARE(device.intValue(&Driver::PictureState), 0);
}

void TestVregPictures::refusedUpload_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");

    QTest::newRow("no width") << 0 << 1 << "" << -314 << "Width = 0";
    QTest::newRow("wider than the paper") << 385 << 1 << QString(385 * 8, QLatin1Char('f')) << -312 << "Width = 385";
    QTest::newRow("no height") << 1 << 0 << "" << -314 << "Height = 0";
    QTest::newRow("too tall") << 1 << 4097 << QString(4097 * 8, QLatin1Char('f')) << -314 << "Height = 4097";
    QTest::newRow("one digit short") << 2 << 1 << "ffff0000ff0000f" << -314 << "нужно 16";
    QTest::newRow("one digit long") << 1 << 1 << "ff0000ff0" << -314 << "нужно 8";
    QTest::newRow("not hexadecimal") << 2 << 1 << "ffff0000ff00g0ff" << -314 << "\"g\" в позиции 13";
}

void TestVregPictures::refusedUpload()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, caption);
    QFETCH(int, code);
    QFETCH(QString, detail);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    device->Width(width);
    device->Height(height);
    device.setText(&Driver::Caption, caption);
    QVERIFY(device->UploadPicture() < 0);
    QCOMPARE(device.code(), code);
    QVERIFY2(device.detail().contains(detail), qPrintable(device.result()));
    QCOMPARE(device->GetPictureArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::PictureNumber), 0);
}

void TestVregPictures::loadFromFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("code");

    QTest::newRow("PNG") << "PNG" << 100 << 0;
    QTest::newRow("BMP") << "BMP" << 384 << 0;
    QTest::newRow("JPEG") << "JPEG" << 64 << 0;
    QTest::newRow("wider than the paper") << "PNG" << 385 << -312;
    QTest::newRow("missing file") << "" << 10 << -313;
    QTest::newRow("not a picture") << "text" << 10 << -313;
}

void TestVregPictures::loadFromFile()
{
    QFETCH(QString, format);
    QFETCH(int, width);
    QFETCH(int, code);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    const QString file = m_data->filePath(QStringLiteral("picture.") + format.toLower());
    if (format == QLatin1String("text")) {
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    } else if (!format.isEmpty()) {
        QVERIFY(inkPicture(width, 40).save(file, qPrintable(format)));
    }
    device.setText(&Driver::FileName, file);
    const int result = device->LoadPictureFromFile();
    QCOMPARE(device.code(), code);
    if (code != 0) {
        QVERIFY(result < 0);
        QVERIFY2(device.detail().contains(file), qPrintable(device.result()));
        QCOMPARE(device->GetPictureArrayStatus(), 0);
        QCOMPARE(device.intValue(&Driver::PictureNumber), 0);
        return;
    }
    QCOMPARE(device.intValue(&Driver::PictureNumber), 1);
    device->PictureNumber(1);
    QCOMPARE(device->GetPictureStatus(), 0);
    QCOMPARE(device.intValue(&Driver::Width), width);
    QCOMPARE(device.intValue(&Driver::Height), 40);
}

void TestVregPictures::printedByNumberOnPaper_data()
{
    QTest::addColumn<bool>("byMark");
    QTest::addColumn<int>("offset");
    QTest::newRow("PrintPictureByNumber") << false << 30;
    QTest::newRow("mark in printed text") << true << 100;
    QTest::newRow("at the right edge") << false << 384 - 50;
}

void TestVregPictures::printedByNumberOnPaper()
{
    QFETCH(bool, byMark);
    QFETCH(int, offset);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    const QImage picture = inkPicture(50, 30);
    QCOMPARE(upload(picture), 0);
    if (byMark) {
        device.setText(&Driver::Caption, QStringLiteral("\x0A" "1,%1\x0A").arg(offset));
        device->TextWrap(0);
        device->Alignment(0);
        QVERIFY2(device->PrintText() == 0, qPrintable(device.result()));
    } else {
        device->PictureNumber(1);
        device->LeftMargin(offset);
        QVERIFY2(device->PrintPictureByNumber() == 0, qPrintable(device.result()));
    }
    const QImage paper = newestPaper(device.get(), device.dataFolder());
    const int top = firstInkRow(paper);
    QVERIFY(top >= 0);
    QVERIFY(showsPicture(paper, picture, offset, top));
    QVERIFY(device.tape().last().contains(QStringLiteral("[Картинка №1 50×30]")));

    // A picture that would leave the paper prints nothing.
    device->PictureNumber(1);
    device->LeftMargin(384 - 49);
    const int documents = int(paperDocuments(device.get(), device.dataFolder()).size());
    QVERIFY(device->PrintPictureByNumber() < 0);
    QCOMPARE(device.code(), -312);
    QCOMPARE(int(paperDocuments(device.get(), device.dataFolder()).size()), documents);
}

void TestVregPictures::printFromFile_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QRect>("bounds");

    QTest::newRow("as it is, with a margin") << 0.0 << 0 << 10 << QRect(10, 0, 60, 40);
    QTest::newRow("twice, centred") << 200.0 << 1 << 0 << QRect((384 - 120) / 2, 0, 120, 80);
    QTest::newRow("half, right") << 50.0 << 2 << 0 << QRect(384 - 30, 0, 30, 20);
}

void TestVregPictures::printFromFile()
{
    QFETCH(double, scale);
    QFETCH(int, alignment);
    QFETCH(int, margin);
    QFETCH(QRect, bounds);

    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    const QString file = m_data->filePath(QStringLiteral("logo.png"));
    QVERIFY(inkPicture(60, 40).save(file));
    device.setText(&Driver::FileName, file);
    device->Scale(scale);
    device->Alignment(alignment);
    device->LeftMargin(margin);
    QVERIFY2(device->PrintPicture() == 0, qPrintable(device.result()));
    const QImage paper = newestPaper(device.get(), device.dataFolder());
    QRect ink = inkBounds(paper);
    QCOMPARE(ink.left(), bounds.left());
    QCOMPARE(ink.width(), bounds.width());
    QCOMPARE(ink.height(), bounds.height());

    // Wider than the paper once scaled: refused, nothing printed.
    device->Scale(700);
    QVERIFY(device->PrintPicture() < 0);
    QCOMPARE(device.code(), -312);
}

void TestVregPictures::memoryLimits()
{
    QVERIFY(open(*m_fptr));
    Device &device = *m_device;
    QCOMPARE(device->GetPictureArrayStatus(), 0);
    const int empty = device.intValue(&Driver::FreeMemory);
    const QImage large = randomPicture(384, 400, 7); // 614400 bytes
    int stored = 0;
    while (stored < 10 && upload(large) == 0)
        ++stored;
    QCOMPARE(device.code(), -311);
    QCOMPARE(stored, empty / (384 * 400 * 4));
    QCOMPARE(device->GetPictureArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::PictureNumber), stored);
    QCOMPARE(device.intValue(&Driver::FreeMemory), empty - stored * 384 * 400 * 4);
    // A small one still fits in what is left.
    QCOMPARE(upload(randomPicture(10, 10, 8)), 0);
    QCOMPARE(device.intValue(&Driver::PictureNumber), stored + 1);

    QCOMPARE(device->RemoveLastPicture(), 0);
    device->PictureNumber(stored + 1);
    QVERIFY(device->GetPictureStatus() < 0);
    QCOMPARE(device.code(), -310);
    QCOMPARE(device->ClearPictureArray(), 0);
    QCOMPARE(device->GetPictureArrayStatus(), 0);
    QCOMPARE(device.intValue(&Driver::FreeMemory), empty);
    QCOMPARE(device.intValue(&Driver::PictureNumber), 0);
    QVERIFY(device->RemoveLastPicture() < 0);
    QCOMPARE(device.code(), -310);
    device->PictureNumber(1);
    QVERIFY(device->DownloadPicture() < 0);
    QCOMPARE(device.code(), -310);
}

void TestVregPictures::receiptPrinterPictures()
{
    QVERIFY(open(*m_printer, QStringLiteral("52")));
    Device &device = *m_device;
    const QImage picture = inkPicture(500, 20);
    QVERIFY2(upload(picture) == 0, qPrintable(device.result()));
    device->PictureNumber(1);
    device->LeftMargin(76);
    QVERIFY2(device->PrintPictureByNumber() == 0, qPrintable(device.result()));
    const QImage paper = newestPaper(device.get(), device.dataFolder());
    QCOMPARE(paper.width(), 576);
    QVERIFY(showsPicture(paper, picture, 76, firstInkRow(paper)));
}

FPTR_TEST_MAIN(TestVregPictures)

#include "tst_vreg_pictures.moc"
