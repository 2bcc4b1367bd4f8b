// The virtual register in a program with no Qt application at all, as a
// till program or a test harness loads it: it prints a receipt with text,
// double width, a QR code and a picture, and draws the same paper, pixel for
// pixel, as in a program with a GUI application (this program run again as
// such a host). The live tape window cannot open there, and says so.

#include "driver/ifptr.h"
#include "vregpaper.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <string>

namespace {

using Driver = VOR::Fptr::IFptr;

QString programFolder()
{
    // No application object to ask.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString detailOf(Driver *device)
{
    wchar_t text[1024] = {};
    device->ResultDetailDescription(text, 1024);
    return QString::fromWCharArray(text);
}

// A 24 by 16 picture: a black frame round a transparent inside with a
// black diagonal.
QString uploadText(int *width, int *height)
{
    *width = 24;
    *height = 16;
    QString text;
    for (int y = *height - 1; y >= 0; --y) { // bottom row first
        for (int x = 0; x < *width; ++x) {
            const bool ink = x == 0 || y == 0 || x == *width - 1 || y == *height - 1 || x == y;
            text += ink ? QStringLiteral("ff000000") : QStringLiteral("00ffffff");
        }
    }
    return text;
}

// Prints the receipt into `dataFolder`; 0, or a failure described.
int printReceipt(const QString &dataFolder, bool tapeWindow, QString *problem)
{
    QLibrary library(programFolder() + QStringLiteral("/fptr"));
    if (!library.load()) {
        *problem = library.errorString();
        return -1;
    }
    auto create = reinterpret_cast<CreateFptrInterfaceFunction>(library.resolve("CreateFptrInterface"));
    auto release = reinterpret_cast<ReleaseFptrInterfaceFunction>(library.resolve("ReleaseFptrInterface"));
    Driver *device = create ? create(VOR_FPTR_INTERFACE_VERSION) : nullptr;
    if (!device) {
        *problem = QStringLiteral("no driver object");
        return -1;
    }
    int failed = 0;
    auto step = [&](const char *what, int result) {
        if (result < 0 && failed == 0) {
            failed = -1;
            *problem = QStringLiteral("%1: %2").arg(QLatin1String(what), detailOf(device));
        }
    };
    device->WriteSetting(L"DataDir", dataFolder.toStdWString().c_str());
    device->WriteSetting(L"PrintSpeed", L"0");
    device->WriteSetting(L"TapeWindow", tapeWindow ? L"1" : L"0");
    step("ApplySettings", device->ApplySettings());
    if (tapeWindow)
        *problem = detailOf(device);
    step("DeviceEnabled", device->DeviceEnabled(1));

    int width = 0;
    int height = 0;
    const std::wstring pixels = uploadText(&width, &height).toStdWString();
    device->Width(width);
    device->Height(height);
    device->Caption(pixels.c_str());
    step("UploadPicture", device->UploadPicture());

    device->BarcodeType(4);
    device->Barcode(L"https://check.example/чек?n=42");
    device->BarcodeEncoding(1);
    device->BarcodeEncodingMode(2);
    device->Alignment(1);
    device->BarcodeDeferredPrint(1);
    step("PrintBarcode", device->PrintBarcode());

    const wchar_t *fields[] = {
        L"Магазин «Ромашка», чек №42",
        L"Молоко 3,2%            2 x 75.00",
        L"\tИТОГ 150.00",
        L"\x0b" L"1\x0b",
        L"\x0a" L"1,180\x0a",
        L"Спасибо за покупку!",
    };
    for (const wchar_t *field : fields) {
        device->Caption(field);
        step("AddField", device->AddField());
    }
    device->Caption(L"");
    device->TextWrap(1);
    device->Alignment(0);
    device->PrintPurpose(0);
    step("PrintFormattedText", device->PrintFormattedText());
    release(&device);
    return failed;
}

QImage onlyDocument(const QString &dataFolder)
{
    const QStringList documents = vregtest::paperDocuments(dataFolder);
    return documents.size() == 1 ? QImage(documents.first()) : QImage();
}

} // namespace

class TestVregPaperHost : public QObject
{
    Q_OBJECT

private slots:
    void samePaperWithoutAnyApplication();
    void tapeWindowSaysWhyNot();
};

void TestVregPaperHost::samePaperWithoutAnyApplication()
{
    QVERIFY(!QCoreApplication::instance());
    QTemporaryDir here;
    QTemporaryDir gui;
    QString problem;
    QCOMPARE(printReceipt(here.path(), false, &problem), 0);
    const QImage paper = onlyDocument(here.path());
    QVERIFY2(!paper.isNull(), qPrintable(problem));
    QCOMPARE(paper.width(), 384);

    const QString command = QStringLiteral("QT_QPA_PLATFORM=offscreen '%1' --gui-host '%2'")
                                .arg(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")), gui.path());
    QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
    const QImage benchPaper = onlyDocument(gui.path());
    QVERIFY(!benchPaper.isNull());
    QCOMPARE(benchPaper.size(), paper.size());
    QVERIFY(benchPaper == paper);

    QCOMPARE(vregtest::decode(paper, ZXing::BarcodeFormat::QRCode), QStringLiteral("https://check.example/чек?n=42"));
    // Text was drawn: the rows of the first line carry ink.
    const QImage grey = paper.convertToFormat(QImage::Format_Grayscale8);
    int ink = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < grey.width(); ++x)
            ink += grey.constScanLine(y)[x] < 128 ? 1 : 0;
    }
    QVERIFY2(ink > 200, qPrintable(QString::number(ink)));
    if (!qEnvironmentVariableIsEmpty("VREG_KEEP_PAPER"))
        paper.save(qEnvironmentVariable("VREG_KEEP_PAPER"));
}

void TestVregPaperHost::tapeWindowSaysWhyNot()
{
    QTemporaryDir here;
    QString said;
    QCOMPARE(printReceipt(here.path(), true, &said), 0);
    QVERIFY2(said.contains(QStringLiteral("QApplication")), qPrintable(said));
    QVERIFY(!onlyDocument(here.path()).isNull());
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--gui-host") == 0) {
        // The bench's kind of host: a GUI application on the GUI thread.
        QApplication app(argc, argv);
        QString problem;
        const int result = printReceipt(QString::fromLocal8Bit(argv[2]), false, &problem);
        if (result != 0)
            fprintf(stderr, "%s\n", qPrintable(problem));
        return result == 0 ? 0 : 1;
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    TestVregPaperHost tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_vreg_paperhost.moc"
