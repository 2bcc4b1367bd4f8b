// What the window shows at its own size of 1080 x 722: every closed list
// shows its current text whole, the device name of each model of the
// virtual register is readable, stacked frames line up, a long error
// message neither widens the window nor gets lost, and the device controls
// follow the device list from the start.

#include "testmain.h"
#include "windowfixture.h"

#include "errorline.h"
#include "fptrdevicelist.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

const char *const ChildMode = "FPTR_WINDOWFIT_CHILD";
const char *const DeviceControls[] = {"pbtnRemoveDevice", "pbtnRenameDevice", "pbtnProperties",
                                      "cbEnable"};

// Width the list's closed box has for its text, and the width its current
// text needs.
bool showsCurrentText(QComboBox *box)
{
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    option.currentText = box->currentText();
    option.frame = box->hasFrame();
    const QRect field =
        box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    return field.width() >= box->fontMetrics().horizontalAdvance(box->currentText());
}

// Runs `visit` with every section page, operations tab and barcode option
// page shown in turn, the way a user clicks through the window.
template <class F>
void everyPage(FptrMainWindow *window, F visit)
{
    auto *stack = window->findChild<QStackedWidget *>(QStringLiteral("stackedWidgetMain"));
    for (int index = 0; index < stack->count(); ++index) {
        stack->setCurrentIndex(index);
        QWidget *page = stack->widget(index);
        auto *tabs = page->findChild<QTabWidget *>();
        const int tabCount = tabs ? tabs->count() : 1;
        for (int t = 0; t < tabCount; ++t) {
            if (tabs)
                tabs->setCurrentIndex(t);
            QWidget *shown = tabs ? tabs->widget(t) : page;
            QCoreApplication::processEvents();
            visit(shown);
            for (auto *options : shown->findChildren<QStackedWidget *>()) {
                for (int p = 0; p < options->count(); ++p) {
                    options->setCurrentIndex(p);
                    QCoreApplication::processEvents();
                    visit(options->widget(p));
                }
                options->setCurrentIndex(0);
            }
        }
    }
}

int windowX(QWidget *window, const char *name)
{
    return window->findChild<QWidget *>(QLatin1String(name))->mapTo(window, QPoint(0, 0)).x();
}

} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closedListsShowTheirCurrentText();
    void deviceNameOfEveryModelIsReadable_data();
    void deviceNameOfEveryModelIsReadable();
    void stackedFramesLineUp_data();
    void stackedFramesLineUp();
    void longErrorKeepsTheWindowWidth();
    void errorLineCopiesTheWholeMessage();
    void deviceControlsFollowAnEmptyListFromTheStart();

private:
    WindowUser m_user;
};

void TestWindowFit::init()
{
    m_user.startWindow();
    m_user.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_user.window.get()));
    QCOMPARE(m_user.window->size(), QSize(1080, 722));
}

void TestWindowFit::cleanup()
{
    m_user.window.reset();
}

void TestWindowFit::closedListsShowTheirCurrentText()
{
    QStringList clipped;
    everyPage(m_user.window.get(), [&clipped](QWidget *shown) {
        for (QComboBox *box : shown->findChildren<QComboBox *>()) {
            if (box->isVisible() && !showsCurrentText(box) && !clipped.contains(box->objectName()))
                clipped << box->objectName() + " \"" + box->currentText() + '"';
        }
    });
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(", ")));
    QCOMPARE(m_user.window->size(), QSize(1080, 722));
}

void TestWindowFit::deviceNameOfEveryModelIsReadable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("model");
    QTest::newRow("register 57 mm") << int(FptrFactory::FiscalPrinter) << "1";
    QTest::newRow("register 80 mm") << int(FptrFactory::FiscalPrinter) << "2";
    QTest::newRow("printer 57 mm") << int(FptrFactory::ReceiptPrinter) << "51";
    QTest::newRow("printer 80 mm") << int(FptrFactory::ReceiptPrinter) << "52";
}

void TestWindowFit::deviceNameOfEveryModelIsReadable()
{
    QFETCH(int, kind);
    QFETCH(QString, model);

    FptrMainWindow *window = m_user.window.get();
    FptrDeviceList *list = window->deviceList();
    ZEruZuva *device = list->create(static_cast<FptrFactory::PrinterDevice>(kind));
    QVERIFY(device);
    window->initDevice(device);
    QCOMPARE(device->ted()->WriteSetting(L"Model", model.toStdWString().c_str()), 0);
    QCOMPARE(device->ted()->ApplySettings(), 0);
    const QString name = defaultDeviceName(device->ted());
    QVERIFY2(name.startsWith(QStringLiteral("Виртуальн")), qPrintable(name));
    const int number = list->addDevice(static_cast<FptrFactory::PrinterDevice>(kind), device);
    auto *devices = m_user.widget<QComboBox>("cmbDeviceList");
    devices->addItem(name, number);
    devices->setCurrentIndex(devices->count() - 1);
    QCoreApplication::processEvents();

    auto *label = m_user.widget<SqueezedLabel>("lbCurrentDeviceName");
    QVERIFY2(label->toolTip().isEmpty(), qPrintable(label->text()));
    QCOMPARE(label->text().replace('\n', ' '), name);
    // Two lines at most, and within the frame.
    QVERIFY(label->text().count('\n') <= 1);
    QVERIFY(label->height() >= label->heightForWidth(label->width()));
    QCOMPARE(window->size(), QSize(1080, 722));
}

void TestWindowFit::stackedFramesLineUp_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("column"); // fields that start one column

    QTest::newRow("registration, fields") << "pbtnSectionOperations"
                                          << QStringList{"spinQuantity", "cmbChequeType",
                                                         "spinPosFiscalPropertyNumber"};
    QTest::newRow("registration, captions right")
        << "pbtnSectionOperations" << QStringList{"lblPrice", "lblPaymentType", "lblPosFiscalPropertyType"};
    QTest::newRow("text fields, fields left")
        << "pbtnSectionPrint" << QStringList{"cmbFmtTextAlignment", "spinCQFontIndex"};
    QTest::newRow("text fields, fields right")
        << "pbtnSectionPrint" << QStringList{"cmbFmtTextWrap", "spinCRFontIndex"};
}

void TestWindowFit::stackedFramesLineUp()
{
    QFETCH(QString, section);
    QFETCH(QStringList, column);

    m_user.click(qPrintable(section));
    if (section == "pbtnSectionPrint")
        m_user.widget<QTabWidget>("twPrint")->setCurrentIndex(1);
    QCoreApplication::processEvents();

    FptrMainWindow *window = m_user.window.get();
    const int x = windowX(window, qPrintable(column.first()));
    for (const QString &name : column)
        QVERIFY2(windowX(window, qPrintable(name)) == x,
                 qPrintable(QString("%1 at %2, %3 at %4")
                                .arg(name)
                                .arg(windowX(window, qPrintable(name)))
                                .arg(column.first())
                                .arg(x)));
}

void TestWindowFit::longErrorKeepsTheWindowWidth()
{
    FptrMainWindow *window = m_user.window.get();
    const QString message = QStringLiteral("[-3822] ") + QString(242, QChar(0x416)); // 250 characters
    QCOMPARE(message.size(), 250);

    window->setError(message);
    QTest::qWait(50); // the layouts settle
    QCOMPARE(window->width(), 1080);
    auto *line = m_user.widget<QLabel>("errorLabel");
    QVERIFY(line->width() < 1080);
    QVERIFY(line->text().size() < message.size());
    QCOMPARE(line->toolTip(), message);
    QCOMPARE(window->errorText(), message);

    window->resetError();
    QCoreApplication::processEvents();
    QCOMPARE(window->width(), 1080);
    QVERIFY(line->toolTip().isEmpty());

    // A short message shows whole.
    window->setError(QStringLiteral("[-3807] Нет бумаги"));
    QCoreApplication::processEvents();
    QCOMPARE(line->text(), QStringLiteral("[-3807] Нет бумаги"));
    QVERIFY(line->toolTip().isEmpty());
}

void TestWindowFit::errorLineCopiesTheWholeMessage()
{
    FptrMainWindow *window = m_user.window.get();
    const QString message = QStringLiteral("[-3822] Ошибка обмена: ") + QString(300, QLatin1Char('x'));
    window->setError(message);
    QCoreApplication::processEvents();
    auto *line = m_user.widget<ErrorLine>("errorLabel");
    QVERIFY(line->textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(line->text().size() < message.size());

    // Nothing selected: the whole message.
    QCOMPARE(line->textToCopy(), message);
    // A selection inside the shown part: just that part.
    line->setSelection(1, 5);
    QCOMPARE(line->textToCopy(), QStringLiteral("-3822"));
    // A selection that reaches the ellipsis: the rest of the message.
    line->setSelection(8, int(line->text().size()) - 8);
    QCOMPARE(line->textToCopy(), message.mid(8));

    line->setFocus();
    line->setSelection(0, int(line->text().size()));
    QTest::keySequence(line, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), message);
}

// Without the virtual register's library beside the program, the default
// device cannot be created and the window starts with an empty list. The
// test program is copied to a folder of its own and run there.
void TestWindowFit::deviceControlsFollowAnEmptyListFromTheStart()
{
    QTemporaryDir alone;
    const QString copy = alone.filePath(QStringLiteral("windowfit"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(ChildMode), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(copy, QStringList());
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(out, QStringLiteral("devices 0; enabled: none; ticked: no"));
}

// The child of deviceControlsFollowAnEmptyListFromTheStart: reports which of
// the device controls are enabled, and whether "Включено" stays ticked when
// clicked without a device.
static int emptyListChild(int argc, char *argv[])
{
    QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    WindowUser user;
    user.startWindow(false);
    user.window->show();
    QStringList enabled;
    for (const char *name : DeviceControls) {
        if (user.widget(name)->isEnabled())
            enabled << QLatin1String(name);
    }
    user.widget<QAbstractButton>("cbEnable")->click();
    const bool ticked = user.widget<QAbstractButton>("cbEnable")->isChecked();
    QTextStream(stdout) << "devices " << user.widget<QComboBox>("cmbDeviceList")->count()
                        << "; enabled: " << (enabled.isEmpty() ? QStringLiteral("none") : enabled.join(','))
                        << "; ticked: " << (ticked ? "yes" : "no") << '\n';
    return 0;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(ChildMode))
        return emptyListChild(argc, argv);
    QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestWindowFit tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_windowfit.moc"
