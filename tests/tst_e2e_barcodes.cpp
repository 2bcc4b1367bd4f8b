// Barcodes and pictures through the window, against the real register: what
// a user types on the barcode tab comes out on the paper and is read back by
// an independent decoder; a barcode stored with deferred printing is read
// back and printed from memory; a picture goes from the window's buffer into
// the register and back unchanged.

#include "testmain.h"
#include "vregpaper.h"
#include "vregwindow.h"

#include <QLabel>

using ZXing::BarcodeFormat;

class TestE2eBarcodes : public QObject
{
    Q_OBJECT

private slots:
    void qrCodeFromTheBarcodeTab();
    void deferredBarcodeFromMemory();
    void pictureThroughTheBuffer();
};

void TestE2eBarcodes::qrCodeFromTheBarcodeTab()
{
    VregWindow w;
    const QString typed = QStringLiteral("https://check.example/?fn=9999078900012345&i=42&чек=да");
    w.type("leBarcode", typed);
    w.select("cmbBarcodeType", 4);
    w.select("cmbBarcodeQREncoding", 1);
    w.select("cmbBarcodeQREncodingMode", 2);
    w.select("cmbBarcodeQRCorrection", 2);
    w.select("cmbBarcodeAlignment", 1);
    w.click("pbtnPrintBarcode");
    QCOMPARE(w.error(), QString());
    QCOMPARE(vregtest::decode(vregtest::newestPaper(w.dataDir.path()), BarcodeFormat::QRCode), typed);
    QVERIFY(printedLine(w.printed(), QStringLiteral("\\[QR Code: https://check")));

    // The same text in numeric mode is the register's error, not a print.
    w.select("cmbBarcodeQREncodingMode", 0);
    w.click("pbtnPrintBarcode");
    QVERIFY2(w.error().contains(QStringLiteral("Недопустимый символ в штрихкоде")), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());
}

void TestE2eBarcodes::deferredBarcodeFromMemory()
{
    VregWindow w;
    w.type("leBarcode", QStringLiteral("4601234567893"));
    w.select("cmbBarcodeType", 1);
    w.check("cbBarcodeCheckCRC", true);
    w.check("cbBarcodePrintText", true);
    w.check("cbBarcodeDefferedPrint", true);
    w.click("pbtnPrintBarcode");
    QCOMPARE(w.error(), QString());
    QVERIFY(w.printed().isEmpty());
    QVERIFY(vregtest::paperDocuments(w.dataDir.path()).isEmpty());

    w.click("pushGetBarcodeArrayStatus");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinBarcodeMemNumber"), 1.0);
    QVERIFY(w.text("leBarcodeFreeMemory").toInt() > 0);
    w.click("pbtnGetBarcode");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.text("teBarcodeInfo"),
             QStringLiteral("Штрихкод: 4601234567893 (EAN13)\nКС в штрихкоде: да\nПечатать символы: да\n"));

    w.setValue("spinBarcodeNumber", 1);
    w.select("cmbBarcodePrintPurpose", 0);
    w.click("pbtnPrintBarcodeByNumber");
    QCOMPARE(w.error(), QString());
    QCOMPARE(vregtest::decode(vregtest::newestPaper(w.dataDir.path()), BarcodeFormat::EAN13),
             QStringLiteral("4601234567893"));

    // A number not stored: the register's error, nothing printed.
    w.markTape();
    w.setValue("spinBarcodeNumber", 2);
    w.click("pbtnPrintBarcodeByNumber");
    QVERIFY2(w.error().contains(QStringLiteral("Штрихкод не найден в памяти")), qPrintable(w.error()));
    QVERIFY(w.printed().isEmpty());
}

void TestE2eBarcodes::pictureThroughTheBuffer()
{
    VregWindow w;
    QImage picture(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 8, (x + y) % 2 ? 255 : 0));
    }
    auto *buffer = w.widget<QLabel>("lePicture");
    buffer->setPixmap(QPixmap::fromImage(picture));
    w.click("pbtnLoadPictureFromBuffer");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinPictureMemNumber"), 1.0);

    buffer->clear();
    w.setValue("spinPictureMemWidth", 0);
    w.setValue("spinPictureMemHeight", 0);
    w.click("pbtnSavePictureToBuffer");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinPictureMemWidth"), 40.0);
    QCOMPARE(w.value("spinPictureMemHeight"), 30.0);
    const QImage back = buffer->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(back == picture);

    w.click("pbtnGetPictureArrayStatus");
    QCOMPARE(w.error(), QString());
    QCOMPARE(w.value("spinPictureMemNumber"), 1.0);
}

FPTR_TEST_MAIN(TestE2eBarcodes)

#include "tst_e2e_barcodes.moc"
