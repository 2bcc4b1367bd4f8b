// The tape on screen: the live tape window (opened by a setting, never
// modal, fed only on the GUI thread while the printing action goes on
// without waiting for it) and the paper on the "Лента" page of the driver's
// settings dialog. VREG_SCREENSHOTS=folder keeps pictures of both.

#include "tapewindow.h"
#include "testmain.h"
#include "vregclient.h"
#include "vregpaper.h"
#include "vregtill.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <thread>

using namespace vregtest;

namespace {

// The number of documents the live window shows (-1 without a window).
int shownDocuments()
{
    QWidget *window = tapeWindow();
    if (!window)
        return -1;
    auto *view = window->findChild<QScrollArea *>(QStringLiteral("paperView"));
    return view ? view->widget()->height() : -1;
}

void keepScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("VREG_SCREENSHOTS");
    if (!folder.isEmpty())
        widget->grab().save(folder + QLatin1Char('/') + name);
}

int printLines(Device &device, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Строка %1 чека: товар, цена, сумма").arg(i);
    int result = 0;
    for (const QString &line : lines) {
        device.setText(&Driver::Caption, line);
        device->AddField();
    }
    device.setText(&Driver::Caption, QString());
    device->TextWrap(1);
    device->Alignment(0);
    device->PrintPurpose(0);
    result = device->PrintFormattedText();
    return result;
}

} // namespace

class TestVregTapeWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowFollowsPrintingFromWorkerThreads();
    void documentComesOutAtPrintingSpeed();
    void receiptIsOneSheet();
    void settingOffClosesWindow();
    void anotherFolderIsAnotherTape();
    void settingsDialogShowsPaper();

private:
    std::unique_ptr<Library> m_library;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<Device> m_device;
};

void TestVregTapeWindow::init()
{
    m_library = std::make_unique<Library>(QStringLiteral("/fptr"));
    QVERIFY(m_library->ok());
    m_data = std::make_unique<QTemporaryDir>();
    m_device = std::make_unique<Device>(*m_library);
}

void TestVregTapeWindow::cleanup()
{
    m_device.reset();
    // The window goes with its device.
    QTRY_VERIFY(!tapeWindow());
    m_data.reset();
}

void TestVregTapeWindow::windowFollowsPrintingFromWorkerThreads()
{
    Device &device = *m_device;
    QVERIFY(device.connect({"DataDir", m_data->path(), "PrintSpeed", "0", "TapeWindow", "1", "Model", "2"}));
    QTRY_VERIFY(tapeWindow());
    QWidget *window = tapeWindow();
    QVERIFY(window->windowTitle().contains(QStringLiteral("80 мм")));
    QVERIFY(!window->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    const int emptyHeight = shownDocuments();

    // Printed from another thread while this one does not look at its
    // events: the action is done before the window has seen anything.
    int result = -1;
    std::thread worker([&] { result = printLines(device, 50); });
    worker.join();
    QCOMPARE(result, 0);
    QCOMPARE(shownDocuments(), emptyHeight);
    QCOMPARE(paperDocuments(device.get(), device.dataFolder()).size(), 1);

    QTRY_VERIFY(shownDocuments() > emptyHeight + 50 * 20);
    keepScreenshot(window, QStringLiteral("tape-window.png"));
}

void TestVregTapeWindow::documentComesOutAtPrintingSpeed()
{
    Device &device = *m_device;
    QVERIFY(device.connect({"DataDir", m_data->path(), "PrintSpeed", "50", "TapeWindow", "1"}));
    QTRY_VERIFY(tapeWindow());
    const int before = shownDocuments();
    QCOMPARE(printLines(device, 25), 0); // half a second of printing
    // The window plays the document out over the same time.
    QTRY_VERIFY(shownDocuments() > before);
    const int early = shownDocuments();
    QTRY_VERIFY(shownDocuments() > early);
    QTRY_COMPARE(shownDocuments(), before + newestPaper(device.get(), device.dataFolder()).height());
}

void TestVregTapeWindow::receiptIsOneSheet()
{
    Till till(*m_library);
    QVERIFY(till.connect({"DataDir", m_data->path(), "PrintSpeed", "0", "TapeWindow", "1"}));
    QTRY_VERIFY(tapeWindow());
    QCOMPARE(till.mode(1), 0);
    QCOMPARE(till->OpenSession(), 0);
    const qsizetype before = paperDocuments(till.get(), till.dataFolder()).size();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(till.sell({QStringLiteral("Товар %1").arg(i), 1, 10.0 + i, 1, 0}), 0);
    // Out of the printer, not torn off yet.
    QCOMPARE(paperDocuments(till.get(), till.dataFolder()).size(), before);
    QCOMPARE(till.pay(0, 100), 0);
    QCOMPARE(till.close(), 0);
    // One picture for the receipt, and the window shows every picture as
    // one sheet, 12 dots apart: the receipt's pieces with no gap.
    const QStringList pictures = paperDocuments(till.get(), till.dataFolder());
    QCOMPARE(pictures.size(), before + 1);
    QVERIFY(QImage(pictures.last()).height() > 30 * 24);
    int sheets = 12;
    for (const QString &picture : pictures)
        sheets += QImage(picture).height() + 12;
    QTRY_COMPARE(shownDocuments(), sheets);
}

void TestVregTapeWindow::settingOffClosesWindow()
{
    Device &device = *m_device;
    QVERIFY(device.connect({"DataDir", m_data->path(), "PrintSpeed", "0", "TapeWindow", "1"}));
    QTRY_VERIFY(tapeWindow());
    QCOMPARE(device.write(QStringLiteral("TapeWindow"), QStringLiteral("0")), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QTRY_VERIFY(!tapeWindow());
    // Printing goes on without it.
    QCOMPARE(printLines(device, 2), 0);
    QCOMPARE(paperDocuments(device.get(), device.dataFolder()).size(), 1);
}

void TestVregTapeWindow::anotherFolderIsAnotherTape()
{
    Device &device = *m_device;
    QVERIFY(device.connect({"DataDir", m_data->path(), "PrintSpeed", "0", "TapeWindow", "1"}));
    QTRY_VERIFY(tapeWindow());
    const int empty = shownDocuments();
    QCOMPARE(printLines(device, 2), 0);
    QTRY_VERIFY(shownDocuments() > empty);

    QTemporaryDir other;
    QCOMPARE(device->DeviceEnabled(0), 0);
    QCOMPARE(device.write(QStringLiteral("DataDir"), other.path()), 0);
    QCOMPARE(device->ApplySettings(), 0);
    QCOMPARE(device->DeviceEnabled(1), 0);
    QTRY_COMPARE(shownDocuments(), empty);
    QCOMPARE(printLines(device, 2), 0);
    QCOMPARE(paperDocuments(device.get(), other.path()).size(), 1);
    QTRY_COMPARE(shownDocuments(), 12 + QImage(paperDocuments(other.path()).constFirst()).height() + 12);
}

void TestVregTapeWindow::settingsDialogShowsPaper()
{
    Device &device = *m_device;
    QVERIFY(device.connect({"DataDir", m_data->path(), "PrintSpeed", "0"}));
    QCOMPARE(printLines(device, 3), 0);
    device.setText(&Driver::Caption, QStringLiteral("\tДВОЙНАЯ ШИРИНА"));
    QCOMPARE(device->PrintText(), 0);

    int shown = -1;
    bool cleared = false;
    QTimer::singleShot(100, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QTabWidget *>(QStringLiteral("twPages"))->setCurrentIndex(2);
        QCoreApplication::processEvents();
        auto *paper = dialog->findChild<QScrollArea *>(QStringLiteral("paperView"));
        shown = paper ? paper->widget()->height() : -1;
        keepScreenshot(dialog, QStringLiteral("settings-tape.png"));
        dialog->findChild<QTabWidget *>(QStringLiteral("twPages"))->setCurrentIndex(1);
        keepScreenshot(dialog, QStringLiteral("settings-device.png"));
        dialog->findChild<QPushButton *>(QStringLiteral("pbtnClearTape"))->click();
        cleared = paperDocuments(device.get(), device.dataFolder()).isEmpty() && device.tape().isEmpty();
        dialog->findChild<QCheckBox *>(QStringLiteral("cbTapeWindow"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("pbtnOk"))->click();
    });
    QCOMPARE(device->ShowProperties(), 1);
    // Two documents on the paper view: more than one line's height each.
    QVERIFY2(shown > 2 * 100, qPrintable(QString::number(shown)));
    QVERIFY(cleared);
    QCOMPARE(device.setting(QStringLiteral("TapeWindow")), QStringLiteral("1"));
    QTRY_VERIFY(tapeWindow());
}

FPTR_TEST_MAIN(TestVregTapeWindow)

#include "tst_vreg_tapewindow.moc"
