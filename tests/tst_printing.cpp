// Printing, barcode and picture commands: what each button sends to the
// driver and in which order, what it reads back and shows, how a failure
// ends it, the window lock around the long ones, the picture text in both
// directions and the file dialogs of the picture commands.

#include "extendedlineedit.h"
#include "mappings.h"
#include "tables.h"
#include "testmain.h"
#include "windowfixture.h"

#include <QCompleter>
#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>

namespace {

const QString failure = QStringLiteral("[-3807] Нет бумаги");
const QString missingDevice = QStringLiteral("Несуществующее устройство");

void put(WindowFixture &fx, const char *name, const QString &value)
{
    QWidget *w = fx.widget(name);
    if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
        d->setValue(value.toDouble());
    else if (auto *s = qobject_cast<QSpinBox *>(w))
        s->setValue(value.toInt());
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setChecked(value == "1");
    else if (auto *e = qobject_cast<ExtendedLineEdit *>(w))
        e->setText(value);
    else if (qobject_cast<QComboBox *>(w))
        fx.select(name, value.toInt());
    else
        qobject_cast<QLineEdit *>(w)->setText(value);
}

QString shown(WindowFixture &fx, const QString &name)
{
    QWidget *w = fx.widget(qPrintable(name));
    if (auto *s = qobject_cast<QSpinBox *>(w))
        return QString::number(s->value());
    if (auto *e = qobject_cast<ExtendedLineEdit *>(w))
        return e->text();
    if (auto *t = qobject_cast<QTextEdit *>(w))
        return t->toPlainText();
    return qobject_cast<QLineEdit *>(w)->text();
}

// A distinct value in every input the commands read.
void fill(WindowFixture &fx)
{
    const QList<QPair<const char *, QString>> inputs = {
        {"cmbTextWrap", "2"}, {"cmbTextAlignment", "1"},
        {"leText", QString("Итог ") + DoubleWidthChar + "x" + PictureNumChar + BarcodeNumChar},
        {"cbTextFieldTestMode", "1"}, {"cmbFmtTextWrap", "1"}, {"cmbFmtTextAlignment", "2"},
        {"cbFontNegative", "1"}, {"cbFontUnderline", "0"}, {"cbFontBold", "1"},
        {"cbFontDblWidth", "1"}, {"cmbPrintPurpose", "0"}, {"spinCQFontIndex", "3"},
        {"cmbCQFontHeight", "2"}, {"spinCQFontBrightness", "4"}, {"spinCQFontLinespacing", "5"},
        {"spinCRFontIndex", "6"}, {"cmbCRFontHeight", "1"}, {"spinCRFontBrightness", "7"},
        {"spinCRFontLinespacing", "8"}, {"leFieldText", QString("Поле ") + DoubleWidthChar + "1"},
        {"cmbMode", "4"}, {"lePassword", "30"}, {"cmbDemoPrintPurpose", "1"},
        {"spinTableNumber", "2"}, {"spinRowNumber", "1"}, {"spinFieldNumber", "9"},
        {"cmbFieldType", "4"}, {"leFieldValue", QString("Знач") + PictureNumChar},
        // barcodes
        {"rbBarcodeHardware", "1"}, {"cmbBarcodeType", "1"}, {"leBarcode", "460123"},
        {"spinBarcodeScale", "150.5"}, {"cmbBarcodeAlignment", "2"},
        {"spinBarcodeLeftMargine", "11"}, {"cbBarcodeCheckCRC", "1"}, {"cbBarcodePrintText", "0"},
        {"cbBarcodeDefferedPrint", "1"}, {"spinBarcodeBottomMargin", "12"},
        {"spinBarcodeQRVersion", "7"}, {"cmbBarcodeQRCorrection", "3"},
        {"cmbBarcodeQREncoding", "0"}, {"cmbBarcodeQREncodingMode", "2"},
        {"spinBarcodePDFCorrection", "5"}, {"cmbBarcodePDFPackingMode", "3"},
        {"spinBarcodePDFProportions", "51"}, {"spinBarcodePDFPixelProportions", "301"},
        {"spinBarcodePDFRows", "4"}, {"spinBarcodePDFColumns", "6"},
        {"cbBarcodePDFUseColumns", "1"}, {"cbBarcodePDFUseRows", "0"},
        {"cbBarcodePDFUseProprotions", "1"}, {"cbBarcodePDFUseCodewords", "0"},
        {"cbBarcodePDFUseCorrection", "1"}, {"cbBarcodePDFInvert", "1"},
        {"spinBarcodeSimpleHeight", "33"}, {"spinBarcodeNumber", "8"},
        {"cmbBarcodePrintPurpose", "2"}, {"spinBarcodeMemNumber", "9"},
        // pictures
        {"lePictureFilename", "/tmp/pic.png"}, {"spinPictureLeftMargine", "13"},
        {"spinPictureScale", "75.5"}, {"cmbPictureAlignment", "1"},
        {"spinPrintPictureNumber", "4"}, {"lePictureMemFilename", "/nonexistent/mem.bmp"},
        {"spinPictureMemNumber", "6"}};
    for (const auto &input : inputs)
        put(fx, input.first, input.second);
    fx.driver.set("Caption", QString("a\tb\nc") + QChar(0x0b) + "d");
    fx.driver.set("FreeMemory", 1234);
    fx.driver.set("BarcodeNumber", 17);
    fx.driver.set("PictureNumber", 21);
    fx.driver.set("Height", 31);
    fx.driver.set("Width", 41);
    fx.driver.set("PictureState", 2);
    fx.driver.clearLog();
}

QStringList reads(const QStringList &log)
{
    QStringList result;
    for (const QString &entry : log) {
        if (entry.contains('?') && !entry.contains('=') && !entry.startsWith("Result"))
            result << entry;
    }
    return result;
}

QLabel *buffer(WindowFixture &fx)
{
    return fx.widget<QLabel>("lePicture");
}

QPixmap solid(int width, int height, QRgb color = 0xff336699)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

// The window's lock as seen while a driver action runs.
struct LockProbe
{
    bool ran = false;
    bool onWorker = false;
    bool enabled = true;
    bool busyBar = false;
    QString waitText;

    static bool busy(FptrMainWindow *window)
    {
        for (QProgressBar *bar : window->statusBar()->findChildren<QProgressBar *>()) {
            if (bar->isVisibleTo(window))
                return true;
        }
        return false;
    }

    static QString statusText(FptrMainWindow *window)
    {
        QStringList texts;
        for (QLabel *label : window->statusBar()->findChildren<QLabel *>()) {
            if (label->objectName() != "errorLabel" && label->isVisibleTo(window))
                texts << label->text();
        }
        return texts.join('|');
    }

    // The action samples the window from the GUI thread (which must keep
    // running events while a worker calls the driver) and then succeeds or
    // fails.
    void watch(WindowFixture &fx, const QString &action, bool fails)
    {
        FptrMainWindow *window = fx.window.get();
        RecordingDriver *driver = &fx.driver;
        fx.driver.onAction(action, [this, window, driver, fails]() {
            auto sample = [this, window]() {
                ran = true;
                enabled = window->isEnabled();
                busyBar = busy(window);
                waitText = statusText(window);
            };
            onWorker = QThread::currentThread() != window->thread();
            if (onWorker)
                QMetaObject::invokeMethod(window, sample, Qt::BlockingQueuedConnection);
            else
                sample();
            return fails ? driver->fail(-3807, "Нет бумаги") : 0;
        });
    }
};

// Answers the next file dialog: opens `folder` and types `name` into the
// name field, then presses the dialog's accept button (an empty name
// cancels). Typing and the button only work on an enabled dialog; one that
// does not take the input is cancelled, so that the test fails instead of
// hanging.
struct FileDialogAnswer
{
    bool seen = false;
    bool enabled = false;
    QString title;
    QString proposed;
    QStringList filters;

    void answer(WindowFixture &fx, const QString &folder, const QString &name)
    {
        fx.onNextDialog([this, folder, name](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog) {
                qobject_cast<QDialog *>(modal)->reject();
                return;
            }
            seen = true;
            enabled = dialog->isEnabled();
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
            proposed = edit->text();
            if (!name.isEmpty()) {
                dialog->setDirectory(folder);
                // Typing clears the proposed selection only where the user
                // types, as in a real session: in the focused name field.
                QApplication::setActiveWindow(dialog);
                edit->setFocus();
                edit->clear();
                QTest::keyClicks(edit, name);
                if (edit->completer() && edit->completer()->popup())
                    edit->completer()->popup()->hide();
                for (QAbstractButton *button : dialog->findChild<QDialogButtonBox *>()->buttons()) {
                    if (dialog->findChild<QDialogButtonBox *>()->buttonRole(button)
                        == QDialogButtonBox::AcceptRole)
                        button->click();
                }
            }
            if (dialog->isVisible())
                dialog->reject();
        });
    }
};

QString pixels(int count, const QString &pixel = "000000ff")
{
    return pixel.repeated(count);
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void failingStepEndsCommand_data();
    void failingStepEndsCommand();
    void noDevice_data() { commands_data(); }
    void noDevice();
    void driverErrorClearsResult_data();
    void driverErrorClearsResult();
    void lock_data();
    void lock();

    void emptyTextStillPrints();

    void barcodeOptionPage_data();
    void barcodeOptionPage();
    void barcodeOptions_data();
    void barcodeOptions();
    void barcodeDescription_data();
    void barcodeDescription();

    void upload_data();
    void upload();
    void uploadEmptyBuffer();
    void download_data();
    void download();
    void downloadRefused_data();
    void downloadRefused();
    void uploadRefusesTooLargePicture();
    void flagSources_data();
    void flagSources();
    void saveToFile_data();
    void saveToFile();
    void openDialogs_data();
    void openDialogs();
    void preview_data();
    void preview();
};

void TestPrinting::commands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("calls");   // writes and actions, in order
    QTest::addColumn<QStringList>("readsAfter");
    QTest::addColumn<QStringList>("shownAfter"); // widget=text
    QTest::addColumn<bool>("refresh");

    auto row = [](const char *button, const QStringList &calls, const QStringList &readsAfter = {},
                  const QStringList &shownAfter = {}, bool refresh = false) {
        QTest::newRow(button) << QString(button) << calls << readsAfter << shownAfter << refresh;
    };
    const QString text = QString("Caption=Итог \tx\n") + QChar(0x0b);
    const QString field = "Caption=Поле \t1";
    const QStringList table = {"Table=2", "Row=1", "Field=9", "FieldType=4"};
    row("pbtnPrintText", {"TextWrap=2", "Alignment=1", text, "PrintText()"});
    row("pbtnPrintHeader", {"PrintHeader()"});
    row("pbtnPrintFooter", {"PrintFooter()"}, {}, {}, true);
    row("pbtnContinuePrint", {"ContinuePrint()"});
    row("pbtnAddField", {"TestMode=1", "FontNegative=1", "FontUnderline=0", "FontBold=1", field,
                         "AddField()"});
    row("pbtnPrintFormattedText",
        {"TestMode=1", "TextWrap=1", "Alignment=2", "FontNegative=1", "FontUnderline=0",
         "FontBold=1", "FontDblWidth=1", "PrintPurpose=0", "ChequeTapeFont=3",
         "ChequeTapeFontHeight=2", "ChequeTapeBrightness=4", "ChequeTapeLineSpacing=5",
         "ControlTapeFont=6", "ControlTapeFontHeight=1", "ControlTapeBrightness=7",
         "ControlTapeLineSpacing=8", field, "PrintFormattedText()"});
    row("pbtnNewDocument", {"Mode=4", "Password=30", "NewDocument()"});
    row("pbtnPrintLastCheckCopy", {"PrintLastCheckCopy()"});
    row("pbtnDemoPrint", {"PrintPurpose=1", "DemoPrint()"});
    row("pbtnPartialCut", {"PartialCut()"});
    row("pbtnFullCut", {"FullCut()"});
    row("pbtnSetField", table + QStringList{"Caption=Знач\n", "SetField()"});
    row("pbtnGetField", table + QStringList{"GetField()"}, {"Caption?256"},
        {QString("leFieldValue=a") + DoubleWidthChar + "b" + PictureNumChar + "c" + BarcodeNumChar
         + "d"});

    row("pbtnPrintBarcode",
        {"BarcodePrintType=1", "BarcodeType=1", "Barcode=460123", "Scale=150.5", "Alignment=2",
         "LeftMargin=11", "BarcodeCRC=1", "BarcodePrintText=0", "BarcodeDeferredPrint=1",
         "BottomMargin=12", "Height=33", "PrintBarcode()"});
    row("pbtnPrintBarcodeByNumber", {"BarcodeNumber=8", "PrintPurpose=2", "PrintBarcodeByNumber()"});
    row("pbtnDeleteBarcode", {"DeleteBarcode()"});
    row("pbtnClearBarcodeArray", {"ClearBarcodeArray()"});
    row("pushGetBarcodeArrayStatus", {"GetBarcodeArrayStatus()"}, {"FreeMemory?", "BarcodeNumber?"},
        {"leBarcodeFreeMemory=1234", "spinBarcodeMemNumber=17"});

    row("pbtnPrintPictureFromFile", {"FileName=/tmp/pic.png", "LeftMargin=13", "Scale=75.5",
                                     "Alignment=1", "PrintPicture()"});
    row("pbtnPrintPictureFromDevice", {"PictureNumber=4", "LeftMargin=13", "PrintPictureByNumber()"});
    row("pbtnLoadPictureFromFile", {"FileName=/nonexistent/mem.bmp", "LoadPictureFromFile()"},
        {"PictureNumber?"}, {"spinPictureMemNumber=21"});
    row("pbtnRemoveLastPicture", {"RemoveLastPicture()"});
    row("pbtnClearPictureArray", {"ClearPictureArray()"});
    row("pbtnGetPictureStatus", {"PictureNumber=6", "GetPictureStatus()"},
        {"Height?", "Width?", "PictureState?"},
        {"spinPictureMemHeight=31", "spinPictureMemWidth=41", "lePictureMemState=открыта"});
    row("pbtnGetPictureArrayStatus", {"GetPictureArrayStatus()"},
        {"FreeMemory?", "PictureState?", "PictureNumber?"},
        {"leFreeMemory=1234", "lePictureMemState=открыта", "spinPictureMemNumber=21"});
}

void TestPrinting::commands()
{
    QFETCH(QString, button);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, readsAfter);
    QFETCH(QStringList, shownAfter);
    QFETCH(bool, refresh);

    WindowFixture fx;
    fill(fx);
    fx.window->setError(QStringLiteral("old"));
    fx.click(qPrintable(button));

    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(fx.driver.writesAndActions(), calls);
    const QStringList log = fx.driver.log();
    QCOMPARE(log.mid(0, calls.size()), calls); // nothing is read before the action
    if (refresh) {
        QVERIFY(reads(log).contains("SessionOpened?"));
        QVERIFY(reads(log).contains("ChequeState?"));
    } else {
        QCOMPARE(reads(log), readsAfter);
    }
    for (const QString &item : shownAfter)
        QCOMPARE(shown(fx, item.section('=', 0, 0)), item.section('=', 1));
}

void TestPrinting::failingStepEndsCommand_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("calls");

    auto row = [](const char *button, const char *failing, const QStringList &calls) {
        QTest::newRow(qPrintable(QString("%1 %2").arg(button, failing)))
            << QString(button) << QString(failing) << calls;
    };
    row("pbtnPrintText", "Alignment", {"TextWrap=2", "Alignment=1"});
    row("pbtnPrintFooter", "PrintFooter", {"PrintFooter()"});
    row("pbtnContinuePrint", "ContinuePrint", {"ContinuePrint()"});
    row("pbtnAddField", "Caption", {"TestMode=1", "FontNegative=1", "FontUnderline=0",
                                    "FontBold=1", "Caption=Поле \t1"});
    row("pbtnNewDocument", "Mode", {"Mode=4"});
    row("pbtnPrintLastCheckCopy", "PrintLastCheckCopy", {"PrintLastCheckCopy()"});
    row("pbtnDemoPrint", "PrintPurpose", {"PrintPurpose=1"});
    row("pbtnDemoPrint", "DemoPrint", {"PrintPurpose=1", "DemoPrint()"});
    row("pbtnGetField", "GetField", {"Table=2", "Row=1", "Field=9", "FieldType=4", "GetField()"});
    row("pbtnPrintBarcode", "Barcode", {"BarcodePrintType=1", "BarcodeType=1", "Barcode=460123"});
    row("pbtnPrintBarcode", "PrintBarcode",
        {"BarcodePrintType=1", "BarcodeType=1", "Barcode=460123", "Scale=150.5", "Alignment=2",
         "LeftMargin=11", "BarcodeCRC=1", "BarcodePrintText=0", "BarcodeDeferredPrint=1",
         "BottomMargin=12", "Height=33", "PrintBarcode()"});
    row("pbtnPrintBarcodeByNumber", "PrintPurpose", {"BarcodeNumber=8", "PrintPurpose=2"});
    row("pbtnGetBarcode", "BarcodeNumber", {"BarcodeNumber=9"});
    row("pushGetBarcodeArrayStatus", "GetBarcodeArrayStatus", {"GetBarcodeArrayStatus()"});
    row("pbtnPrintPictureFromFile", "Scale", {"FileName=/tmp/pic.png", "LeftMargin=13", "Scale=75.5"});
    row("pbtnLoadPictureFromFile", "LoadPictureFromFile",
        {"FileName=/nonexistent/mem.bmp", "LoadPictureFromFile()"});
    row("pbtnSavePictureToBuffer", "DownloadPicture", {"PictureNumber=6", "DownloadPicture()"});
    row("pbtnSavePictureToFile", "DownloadPicture", {"PictureNumber=6", "DownloadPicture()"});
    row("pbtnGetPictureStatus", "GetPictureStatus", {"PictureNumber=6", "GetPictureStatus()"});
    row("pbtnGetPictureArrayStatus", "GetPictureArrayStatus", {"GetPictureArrayStatus()"});
}

void TestPrinting::failingStepEndsCommand()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);

    WindowFixture fx;
    fill(fx);
    const QStringList widgets = {"leBarcodeFreeMemory", "spinBarcodeMemNumber", "spinPictureMemNumber",
                                 "spinPictureMemHeight", "spinPictureMemWidth", "lePictureMemState",
                                 "leFreeMemory"};
    QStringList before;
    for (const QString &name : widgets)
        before << shown(fx, name);
    fx.driver.failOn(failing, -3807, "Нет бумаги");
    fx.click(qPrintable(button));

    QCOMPARE(fx.errorLine(), failure);
    QCOMPARE(fx.driver.writesAndActions(), calls);
    QCOMPARE(reads(fx.driver.log()), QStringList()); // no read-back, no state refresh
    for (int i = 0; i < widgets.size(); ++i)
        QCOMPARE(shown(fx, widgets[i]), before[i]);
}

void TestPrinting::noDevice()
{
    QFETCH(QString, button);

    WindowFixture fx;
    fill(fx);
    buffer(fx)->setPixmap(solid(2, 2));
    fx.window->deviceList()->removeDevice(fx.window->deviceList()->currentDevice());
    fx.click(qPrintable(button));
    QCOMPARE(fx.errorLine(), missingDevice);
    QCOMPARE(fx.driver.log(), QStringList());
    QVERIFY(fx.window->isEnabled());
}

// A result widget is emptied when the device answered with an error, and
// kept when no device was asked at all.
void TestPrinting::driverErrorClearsResult_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("kept");

    const QList<QPair<const char *, const char *>> commands = {
        {"pbtnGetField", "FieldType"}, {"pbtnGetBarcode", "GetBarcode"},
        {"pbtnSavePictureToBuffer", "DownloadPicture"}};
    for (const auto &c : commands) {
        QTest::newRow(qPrintable(QString(c.first) + " driver error"))
            << QString(c.first) << QString(c.second) << true << false;
        QTest::newRow(qPrintable(QString(c.first) + " no device"))
            << QString(c.first) << QString(c.second) << false << true;
    }
}

void TestPrinting::driverErrorClearsResult()
{
    QFETCH(QString, button);
    QFETCH(QString, failing);
    QFETCH(bool, device);
    QFETCH(bool, kept);

    WindowFixture fx;
    fx.widget<ExtendedLineEdit>("leFieldValue")->setText("old");
    fx.widget<QTextEdit>("teBarcodeInfo")->setPlainText("old");
    buffer(fx)->setPixmap(solid(3, 3));
    if (device)
        fx.driver.failOn(failing, -3807, "Нет бумаги");
    else
        fx.window->deviceList()->removeDevice(fx.window->deviceList()->currentDevice());
    fx.click(qPrintable(button));

    QCOMPARE(fx.errorLine(), device ? failure : missingDevice);
    if (button == "pbtnGetField")
        QCOMPARE(fx.widget<ExtendedLineEdit>("leFieldValue")->text(), kept ? "old" : "");
    else if (button == "pbtnGetBarcode")
        QCOMPARE(fx.widget<QTextEdit>("teBarcodeInfo")->toPlainText(), kept ? "old" : "");
    else
        QCOMPARE(buffer(fx)->pixmap().isNull(), !kept);
}

void TestPrinting::lock_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("waitText"); // empty: no lock
    QTest::addColumn<bool>("onWorker");
    QTest::addColumn<bool>("fails");

    const QString printing = "Идет печать...";
    const QString wait = "Подождите...";
    struct Row { const char *button; const char *action; QString text; bool worker; };
    const QList<Row> rows = {
        {"pbtnContinuePrint", "ContinuePrint", wait, false},
        {"pbtnPrintLastCheckCopy", "PrintLastCheckCopy", printing, true},
        {"pbtnDemoPrint", "DemoPrint", printing, true},
        {"pbtnPrintHeader", "PrintHeader", QString(), false},
        {"pbtnPrintBarcode", "PrintBarcode", printing, true},
        {"pbtnGetBarcode", "GetBarcode", wait, true},
        {"pbtnPrintBarcodeByNumber", "PrintBarcodeByNumber", QString(), false},
        {"pbtnPrintPictureFromFile", "PrintPicture", printing, true},
        {"pbtnLoadPictureFromFile", "LoadPictureFromFile", wait, true},
        {"pbtnLoadPictureFromBuffer", "UploadPicture", wait, true},
        {"pbtnSavePictureToBuffer", "DownloadPicture", wait, true},
        {"pbtnPrintPictureFromDevice", "PrintPictureByNumber", QString(), false}};
    for (const Row &r : rows) {
        for (bool fails : {false, true}) {
            QTest::newRow(qPrintable(QString(r.button) + (fails ? " failing" : "")))
                << QString(r.button) << QString(r.action) << r.text << r.worker << fails;
        }
    }
}

void TestPrinting::lock()
{
    QFETCH(QString, button);
    QFETCH(QString, action);
    QFETCH(QString, waitText);
    QFETCH(bool, onWorker);
    QFETCH(bool, fails);

    WindowFixture fx;
    buffer(fx)->setPixmap(solid(1, 1));
    // A picture for the downloads to find.
    fx.driver.set("Width", 1);
    fx.driver.set("Height", 1);
    fx.driver.set("Caption", "0000ffff");
    LockProbe probe;
    probe.watch(fx, action, fails);
    fx.click(qPrintable(button));

    QVERIFY(probe.ran);
    QCOMPARE(probe.onWorker, onWorker);
    QCOMPARE(probe.enabled, waitText.isEmpty());
    QCOMPARE(probe.busyBar, !waitText.isEmpty());
    QCOMPARE(probe.waitText, waitText);
    // Unlocked again on both paths, the error line already set.
    QCOMPARE(fx.errorLine(), fails ? failure : QString());
    QVERIFY(fx.window->isEnabled());
    QVERIFY(!LockProbe::busy(fx.window.get()));
    QCOMPARE(LockProbe::statusText(fx.window.get()), QString());
}

void TestPrinting::emptyTextStillPrints()
{
    WindowFixture fx;
    fx.widget<ExtendedLineEdit>("leText")->setText(QString());
    fx.click("pbtnPrintText");
    QCOMPARE(fx.driver.writesAndActions().mid(2), QStringList({"Caption=", "PrintText()"}));
}

void TestPrinting::barcodeOptionPage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("page");
    for (int type = 0; type < 12; ++type) {
        QTest::newRow(qPrintable(valueFromMapping(barcodeTypes, type))) << type
            << QString(type == 4 ? "pageQR" : type == 5 ? "pagePDF" : "pageSimpleBarcodes");
    }
}

void TestPrinting::barcodeOptionPage()
{
    QFETCH(int, type);
    QFETCH(QString, page);

    WindowFixture fx;
    fx.select("cmbBarcodeType", type == 4 ? 5 : 4); // start elsewhere
    fx.select("cmbBarcodeType", type);
    QCOMPARE(fx.widget<QStackedWidget>("stackedWidgetBarcodes")->currentWidget()->objectName(), page);
}

void TestPrinting::barcodeOptions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("printType");
    QTest::addColumn<QStringList>("options");

    const QStringList qr = {"BarcodeVersion=7", "BarcodeCorrection=3", "BarcodeEncoding=0",
                            "BarcodeEncodingMode=2"};
    const QStringList pdf = {"BarcodeCorrection=5", "BarcodePackingMode=3", "BarcodeProportions=51",
                             "BarcodePixelProportions=301", "BarcodeRows=4", "BarcodeColumns=6",
                             "BarcodeUseColumns=1", "BarcodeUseRows=0", "BarcodeUseProportions=1",
                             "BarcodeUseCodewords=0", "BarcodeUseCorrection=1", "BarcodeInvert=1"};
    QTest::newRow("EAN13 software") << 1 << "rbBarcodeSoftware" << 0 << QStringList{"Height=33"};
    QTest::newRow("QR hardware") << 4 << "rbBarcodeHardware" << 1 << qr;
    QTest::newRow("PDF 417 automatic") << 5 << "rbBarcodeAuto" << 2 << pdf;
    QTest::newRow("Code128 automatic") << 11 << "rbBarcodeAuto" << 2 << QStringList{"Height=33"};
}

// Only the selected type's options are sent, whatever the other pages hold.
void TestPrinting::barcodeOptions()
{
    QFETCH(int, type);
    QFETCH(QString, method);
    QFETCH(int, printType);
    QFETCH(QStringList, options);

    WindowFixture fx;
    fill(fx);
    fx.select("cmbBarcodeType", type);
    put(fx, qPrintable(method), "1");
    fx.click("pbtnPrintBarcode");

    const QStringList common = {
        QString("BarcodePrintType=%1").arg(printType), QString("BarcodeType=%1").arg(type),
        "Barcode=460123", "Scale=150.5", "Alignment=2", "LeftMargin=11", "BarcodeCRC=1",
        "BarcodePrintText=0", "BarcodeDeferredPrint=1", "BottomMargin=12"};
    QCOMPARE(fx.driver.writesAndActions(), common + options + QStringList{"PrintBarcode()"});
}

void TestPrinting::barcodeDescription_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("QR") << 4 << QStringList{
        "Штрихкод: 4601 (QR Code)", "Версия: 7", "Коррекция: ~55% (Q)", "Кодировка: UTF-8",
        "Режим кодировки: 8-битный"};
    QTest::newRow("PDF 417") << 5 << QStringList{
        "Штрихкод: 4601 (PDF 417)", "Коррекция: 3", "Режим упаковки: Бинарный",
        "Пропорции ШК: 50", "Пропорции пиксела: 300", "Строк: 4", "Столбцов: 6",
        "Использует пропорции: да", "Использует строки: нет", "Использует столбцы: да",
        "Использует коррекцию: нет", "Инвертирован: да"};
    QTest::newRow("EAN13") << 1 << QStringList{
        "Штрихкод: 4601 (EAN13)", "КС в штрихкоде: да", "Печатать символы: нет"};
    QTest::newRow("Code128") << 11 << QStringList{"Штрихкод: 4601 (Code128)"};
    QTest::newRow("unknown type") << 42 << QStringList{"Штрихкод: 4601 ()"};
}

void TestPrinting::barcodeDescription()
{
    QFETCH(int, type);
    QFETCH(QStringList, lines);

    WindowFixture fx;
    const QList<QPair<const char *, QVariant>> stored = {
        {"Barcode", "4601"}, {"BarcodeType", type}, {"BarcodeVersion", 7},
        {"BarcodeCorrection", 3}, {"BarcodeEncoding", 1},
        {"BarcodeEncodingMode", 2}, {"BarcodePackingMode", 2}, {"BarcodeProportions", 50},
        {"BarcodePixelProportions", 300}, {"BarcodeRows", 4}, {"BarcodeColumns", 6},
        {"BarcodeUseProportions", 1}, {"BarcodeUseRows", 0}, {"BarcodeUseColumns", 2},
        {"BarcodeUseCorrection", 0}, {"BarcodeInvert", 1}, {"BarcodeCRC", 1},
        {"BarcodePrintText", 0}};
    for (const auto &value : stored)
        fx.driver.set(value.first, value.second);
    fx.widget<QSpinBox>("spinBarcodeMemNumber")->setValue(3);
    fx.click("pbtnGetBarcode");

    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(fx.driver.writesAndActions(), QStringList({"BarcodeNumber=3", "GetBarcode()"}));
    const QString text = fx.widget<QTextEdit>("teBarcodeInfo")->toPlainText();
    QCOMPARE(text, lines.join('\n') + '\n');
    // The type is read a second time to choose the rest of the description.
    QCOMPARE(reads(fx.driver.log()).mid(0, 3),
             QStringList({"Barcode?256", "BarcodeType?", "BarcodeType?"}));
}

void TestPrinting::upload_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<QRgb>>("colors"); // top row first
    QTest::addColumn<QString>("text");

    QTest::newRow("2 x 1 red, blue") << 2 << 1 << QList<QRgb>{0xffff0000, 0xff0000ff}
                                     << "ffff0000ff0000ff";
    QTest::newRow("1 x 2 bottom row first") << 1 << 2 << QList<QRgb>{0xffff0000, 0xff0000ff}
                                            << "ff0000ffffff0000";
    QTest::newRow("leading zeros") << 1 << 1 << QList<QRgb>{0xff010a0f} << "ff010a0f";
}

void TestPrinting::upload()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<QRgb>, colors);
    QFETCH(QString, text);

    WindowFixture fx;
    QImage image(width, height, QImage::Format_ARGB32);
    for (int i = 0; i < colors.size(); ++i)
        image.setPixel(i % width, i / width, colors[i]);
    buffer(fx)->setPixmap(QPixmap::fromImage(image));
    fx.driver.set("PictureNumber", 5);
    fx.click("pbtnLoadPictureFromBuffer");

    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(fx.driver.log(),
             QStringList({QString("Width=%1").arg(width), QString("Height=%1").arg(height),
                          "Caption=" + text, "UploadPicture()", "PictureNumber?"}));
    QCOMPARE(fx.widget<QSpinBox>("spinPictureMemNumber")->value(), 5);
}

void TestPrinting::uploadEmptyBuffer()
{
    WindowFixture fx;
    fx.click("pbtnLoadPictureFromBuffer");
    QCOMPARE(fx.errorLine(), QStringLiteral("Буфер изображения пуст"));
    QCOMPARE(fx.driver.log(), QStringList());
}

void TestPrinting::download_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("buffered");
    QTest::addColumn<QList<QRgb>>("colors"); // of the buffered picture, top row first

    QTest::newRow("1 x 1 red") << 1 << 1 << "0000ffff" << QSize(1, 1) << QList<QRgb>{0xffff0000};
    QTest::newRow("1 x 2 top row first") << 1 << 2 << "0000ffffff0000ff" << QSize(1, 2)
                                         << QList<QRgb>{0xffff0000, 0xff0000ff};
    QTest::newRow("invalid pair is zero") << 1 << 1 << "zz1e28ff" << QSize(1, 1)
                                          << QList<QRgb>{0xff281e00};
    QTest::newRow("400 x 200") << 400 << 200 << pixels(80000) << QSize(150, 75) << QList<QRgb>();
    QTest::newRow("200 x 400") << 200 << 400 << pixels(80000) << QSize(75, 150) << QList<QRgb>();
    QTest::newRow("150 x 150 kept") << 150 << 150 << pixels(22500) << QSize(150, 150) << QList<QRgb>();
    QTest::newRow("4096 x 1") << 4096 << 1 << pixels(4096) << QSize(150, 1) << QList<QRgb>();
    // The most pixels a text read can carry.
    QTest::newRow("2048 x 1024") << 2048 << 1024 << pixels(2048 * 1024) << QSize(150, 75) << QList<QRgb>();
}

void TestPrinting::download()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, text);
    QFETCH(QSize, buffered);
    QFETCH(QList<QRgb>, colors);

    WindowFixture fx;
    fx.widget<QSpinBox>("spinPictureMemNumber")->setValue(2);
    fx.driver.set("Width", width);
    fx.driver.set("Height", height);
    fx.driver.set("Caption", text);
    fx.click("pbtnSavePictureToBuffer");

    QCOMPARE(fx.errorLine(), QString());
    QCOMPARE(fx.driver.writesAndActions(), QStringList({"PictureNumber=2", "DownloadPicture()"}));
    QCOMPARE(reads(fx.driver.log()).mid(0, 3), QStringList({"Width?", "Height?", "Caption?256"}));
    QCOMPARE(fx.widget<QSpinBox>("spinPictureMemWidth")->value(), width);
    QCOMPARE(fx.widget<QSpinBox>("spinPictureMemHeight")->value(), height);
    const QImage shownImage = buffer(fx)->pixmap().toImage();
    QCOMPARE(shownImage.size(), buffered);
    for (int i = 0; i < colors.size(); ++i)
        QCOMPARE(shownImage.pixel(i % width, i / width), colors[i]);
}

void TestPrinting::downloadRefused_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const QString size = "Недопустимый размер изображения: %1 x %2";
    const QString length = "Данные изображения (%1 знаков) не соответствуют размеру %2 x %3 (нужно %4 знаков)";
    QTest::newRow("negative width") << -1 << 1 << "0000ffff" << size.arg(-1).arg(1);
    QTest::newRow("negative height") << 1 << -8 << "0000ffff" << size.arg(1).arg(-8);
    QTest::newRow("too wide") << 4097 << 1 << "" << size.arg(4097).arg(1);
    QTest::newRow("absurd") << 2147483647 << 2147483647 << "" << size.arg(2147483647).arg(2147483647);
    QTest::newRow("short") << 2 << 1 << "0000ffff0000ff" << length.arg(14).arg(2).arg(1).arg(16);
    QTest::newRow("long") << 1 << 1 << "0000ffff00" << length.arg(10).arg(1).arg(1).arg(8);
    QTest::newRow("odd") << 1 << 1 << "0000fff" << length.arg(7).arg(1).arg(1).arg(8);
    QTest::newRow("no text") << 3 << 2 << "" << length.arg(0).arg(3).arg(2).arg(48);
    const QString empty = "Устройство передало пустое изображение (%1 x %2)";
    QTest::newRow("0 x 0") << 0 << 0 << "" << empty.arg(0).arg(0);
    QTest::newRow("0 x 5") << 0 << 5 << "" << empty.arg(0).arg(5);
    // A text read stops at 16M characters, 8 a pixel: a larger picture is
    // refused before it is asked for, not taken for missing data.
    QTest::newRow("over the text limit")
        << 2048 << 1025 << ""
        << "Изображение 2048 x 1025 слишком велико: можно принять не более 2097152 точек";
}

// A picture text that does not fit its size is refused whole; the buffer and
// the size boxes keep what they showed.
void TestPrinting::downloadRefused()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, text);
    QFETCH(QString, message);

    WindowFixture fx;
    buffer(fx)->setPixmap(solid(7, 5));
    fx.widget<QSpinBox>("spinPictureMemWidth")->setValue(7);
    fx.widget<QSpinBox>("spinPictureMemHeight")->setValue(5);
    fx.driver.set("Width", width);
    fx.driver.set("Height", height);
    fx.driver.set("Caption", text);
    fx.click("pbtnSavePictureToBuffer");

    QCOMPARE(fx.errorLine(), message);
    QCOMPARE(buffer(fx)->pixmap().size(), QSize(7, 5));
    QCOMPARE(fx.widget<QSpinBox>("spinPictureMemWidth")->value(), 7);
    QCOMPARE(fx.widget<QSpinBox>("spinPictureMemHeight")->value(), 5);
    // A size out of range is refused before the text is asked for.
    const bool sizeRefused = !message.startsWith("Данные");
    QCOMPARE(reads(fx.driver.log()).contains("Caption?256"), !sizeRefused);
    QVERIFY(fx.window->isEnabled());
}

// A picture whose text would pass what a driver text can carry is refused
// before the text is built (it would take a gigabyte for a photo).
void TestPrinting::uploadRefusesTooLargePicture()
{
    WindowFixture fx;
    buffer(fx)->setPixmap(solid(2048, 1025));
    fx.click("pbtnLoadPictureFromBuffer");
    QCOMPARE(fx.errorLine(),
             QStringLiteral("Изображение 2048 x 1025 слишком велико: можно передать не более 2097152 точек"));
    QCOMPARE(fx.driver.writesAndActions(), QStringList());
    QVERIFY(fx.window->isEnabled());
}

void TestPrinting::flagSources_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("checkBox"); // the one ticked
    QTest::addColumn<QStringList>("group"); // check box=property, all of the command's flags

    const QStringList pdf = {"cbBarcodePDFUseColumns=BarcodeUseColumns", "cbBarcodePDFUseRows=BarcodeUseRows",
                             "cbBarcodePDFUseProprotions=BarcodeUseProportions",
                             "cbBarcodePDFUseCodewords=BarcodeUseCodewords",
                             "cbBarcodePDFUseCorrection=BarcodeUseCorrection", "cbBarcodePDFInvert=BarcodeInvert",
                             "cbBarcodeCheckCRC=BarcodeCRC", "cbBarcodeDefferedPrint=BarcodeDeferredPrint",
                             "cbBarcodePrintText=BarcodePrintText"};
    const QStringList fonts = {"cbFontNegative=FontNegative", "cbFontUnderline=FontUnderline",
                               "cbFontBold=FontBold", "cbFontDblWidth=FontDblWidth", "cbTextFieldTestMode=TestMode"};
    for (const QString &flag : pdf)
        QTest::newRow(qPrintable("barcode " + flag.section('=', 1))) << "pbtnPrintBarcode" << flag.section('=', 0, 0) << pdf;
    for (const QString &flag : fonts)
        QTest::newRow(qPrintable("fonts " + flag.section('=', 1))) << "pbtnPrintFormattedText" << flag.section('=', 0, 0) << fonts;
}

// Every flag of a command is written from its own check box: with one box
// ticked, exactly its property is 1.
void TestPrinting::flagSources()
{
    QFETCH(QString, button);
    QFETCH(QString, checkBox);
    QFETCH(QStringList, group);

    WindowFixture fx;
    fill(fx);
    fx.select("cmbBarcodeType", 5); // PDF 417: its flags are sent
    for (const QString &flag : group)
        fx.widget<QAbstractButton>(qPrintable(flag.section('=', 0, 0)))->setChecked(flag.startsWith(checkBox + '='));
    fx.driver.clearLog();

    fx.click(qPrintable(button));

    QCOMPARE(fx.errorLine(), QString());
    const QStringList writes = fx.driver.writesAndActions();
    for (const QString &flag : group) {
        const QString property = flag.section('=', 1);
        const QString expected = property + (flag.startsWith(checkBox + '=') ? "=1" : "=0");
        QVERIFY2(writes.contains(expected), qPrintable(expected + " not in " + writes.join(", ")));
    }
}

void TestPrinting::saveToFile_data()
{
    QTest::addColumn<QString>("name"); // relative to a temporary folder; empty: cancelled
    QTest::addColumn<QString>("message");

    QTest::newRow("png") << "picture.png" << QString();
    QTest::newRow("bmp name, PNG content") << "picture.bmp" << QString();
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("cannot save") << "missing/picture.png"
                                 << "Не удалось сохранить изображение в файл %1";
}

void TestPrinting::saveToFile()
{
    QFETCH(QString, name);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString path = name.isEmpty() ? QString() : dir.filePath(name);
    WindowFixture fx;
    buffer(fx)->setPixmap(solid(7, 5));
    fx.driver.set("Width", 400);
    fx.driver.set("Height", 200);
    fx.driver.set("Caption", pixels(80000, "0000ffff"));
    FileDialogAnswer dialog;
    dialog.answer(fx, dir.path(), name);
    fx.click("pbtnSavePictureToFile");

    QVERIFY(dialog.seen);
    QVERIFY2(dialog.enabled, "the save dialog must take input while the window is locked");
    QCOMPARE(dialog.title, QStringLiteral("Сохранить"));
    QCOMPARE(dialog.proposed, QStringLiteral("untitled.png"));
    QCOMPARE(dialog.filters, QStringList{QStringLiteral("Изображения (*.bmp *.png)")});
    QCOMPARE(fx.errorLine(), message.isEmpty() ? QString() : message.arg(path));
    QVERIFY(fx.window->isEnabled());
    QVERIFY(!LockProbe::busy(fx.window.get()));

    const bool saved = !path.isEmpty() && message.isEmpty();
    QCOMPARE(QFileInfo::exists(path), saved);
    QCOMPARE(buffer(fx)->pixmap().size(), saved ? QSize(150, 75) : QSize(7, 5));
    if (saved) {
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        QCOMPARE(image.size(), QSize(400, 200));
        QCOMPARE(image.pixel(399, 199), QRgb(0xffff0000));
    }
}

void TestPrinting::openDialogs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QSize>("buffered");

    QTest::newRow("print file chosen") << "toolbtnPictureFileNameDialog" << "lePictureFilename"
                                       << true << QSize(7, 5);
    QTest::newRow("print file cancelled") << "toolbtnPictureFileNameDialog" << "lePictureFilename"
                                          << false << QSize(7, 5);
    QTest::newRow("memory file chosen, fitted") << "toolbtnPictureMemFileDialog"
                                                << "lePictureMemFilename" << true << QSize(300, 150);
    QTest::newRow("memory file cancelled") << "toolbtnPictureMemFileDialog"
                                           << "lePictureMemFilename" << false << QSize(7, 5);
}

void TestPrinting::openDialogs()
{
    QFETCH(QString, button);
    QFETCH(QString, target);
    QFETCH(bool, chosen);
    QFETCH(QSize, buffered);

    QTemporaryDir dir;
    const QString path = dir.filePath("wide.png");
    QVERIFY(solid(600, 300).save(path, "PNG"));
    WindowFixture fx;
    fx.widget<QLineEdit>(qPrintable(target))->setText("before");
    buffer(fx)->setPixmap(solid(7, 5));
    FileDialogAnswer dialog;
    dialog.answer(fx, dir.path(), chosen ? "wide.png" : "");
    fx.click(qPrintable(button));

    QVERIFY(dialog.seen);
    QCOMPARE(dialog.title, QStringLiteral("Открыть"));
    QCOMPARE(dialog.filters, QStringList{QStringLiteral("Изображения (*.bmp *.png)")});
    QCOMPARE(fx.widget<QLineEdit>(qPrintable(target))->text(), chosen ? path : "before");
    QCOMPARE(buffer(fx)->pixmap().size(), buffered);
}

void TestPrinting::preview_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("buffered");

    QTest::newRow("picture, full size") << "wide.png" << QSize(400, 200);
    QTest::newRow("empty name") << QString() << QSize(0, 0);
    QTest::newRow("unreadable") << "missing.png" << QSize(0, 0);
}

void TestPrinting::preview()
{
    QFETCH(QString, name);
    QFETCH(QSize, buffered);

    QTemporaryDir dir;
    QVERIFY(solid(400, 200).save(dir.filePath("wide.png"), "PNG"));
    WindowFixture fx;
    auto *edit = fx.widget<QLineEdit>("lePictureMemFilename");
    edit->setText("x");
    buffer(fx)->setPixmap(solid(7, 5));
    edit->setText(name.isEmpty() ? QString() : dir.filePath(name));
    QCOMPARE(buffer(fx)->pixmap().size(), buffered);
}

FPTR_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
