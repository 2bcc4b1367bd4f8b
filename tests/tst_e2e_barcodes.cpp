// Barcodes and pictures through the window, against the real register: what
// a user types on the barcode tab comes out on the paper and is read back by
// an independent decoder; a barcode stored with deferred printing is read
// back and printed from memory; a picture goes from the window's buffer into
// the register and back unchanged.

#include "tapewindow.h"
#include "testmain.h"
#include "vregpaper.h"
#include "vregwindow.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QPushButton>
#include <QTabWidget>

using ZXing::BarcodeFormat;
using vregtest::tapeWindow;

namespace {

// VREG_SCREENSHOTS=folder keeps the bench with the live tape window beside it.
void keepScreenshot(QWidget *bench, QWidget *tape)
{
    const QString folder = qEnvironmentVariable("VREG_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    // The bench on its barcode tab, reached as a user does.
    for (auto *button : bench->findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("Печать"))
            button->click();
    }
    if (auto *tab = bench->findChild<QWidget *>(QStringLiteral("tabBarcodes"))) {
        if (auto *tabs = qobject_cast<QTabWidget *>(tab->parentWidget()->parentWidget()))
            tabs->setCurrentWidget(tab);
    }
    bench->show();
    tape->resize(tape->width(), bench->height());
    QCoreApplication::processEvents();
    const QPixmap left = bench->grab();
    const QPixmap right = tape->grab();
    const int gap = 16;
    QPixmap both(left.width() + gap + right.width(), qMax(left.height(), right.height()));
    both.fill(QColor(0x3c, 0x3f, 0x44));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + gap, 0, right);
    painter.end();
    both.save(folder + QStringLiteral("/bench-and-tape.png"));
}

} // namespace

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
    // With the live tape window open beside the bench, as a user watching
    // the receipts would have it.
    w.writeSetting(QStringLiteral("TapeWindow"), QStringLiteral("1"));
    QCOMPARE(w.driver()->ApplySettings(), 0);
    QTRY_VERIFY(tapeWindow());
    const QString typed = QStringLiteral("https://check.example/?fn=9999078900012345&i=42&чек=да");
    w.type("leBarcode", typed);
    w.select("cmbBarcodeType", 4);
    w.select("cmbBarcodeQREncoding", 1);
    w.select("cmbBarcodeQREncodingMode", 2);
    w.select("cmbBarcodeQRCorrection", 2);
    w.select("cmbBarcodeAlignment", 1);
    w.click("pbtnPrintBarcode");
    QCOMPARE(w.error(), QString());
    QCOMPARE(vregtest::decode(vregtest::newestPaper(w.driver(), w.dataDir.path()), BarcodeFormat::QRCode), typed);
    QVERIFY(printedLine(w.printed(), QStringLiteral("\\[QR Code: https://check")));
    QTRY_COMPARE(tapeWindow()->findChild<QScrollArea *>(QStringLiteral("paperView"))->widget()->height(),
                 vregtest::newestPaper(w.driver(), w.dataDir.path()).height() + 24);
    keepScreenshot(w.window.get(), tapeWindow());

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
    QVERIFY(vregtest::paperDocuments(w.driver(), w.dataDir.path()).isEmpty());

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
    QCOMPARE(vregtest::decode(vregtest::newestPaper(w.driver(), w.dataDir.path()), BarcodeFormat::EAN13),
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
