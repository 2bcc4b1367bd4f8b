// Section pages and operations tabs with a form of their own are built when
// first needed: on their first visit, or all at once before the first
// handler runs. These
// tests check that a page built late works and looks exactly like one
// built at once, and that building late never doubles a handler.

#include "testmain.h"

#include "appcore.h"
#include "extendedlineedit.h"
#include "fptrdevicelist.h"
#include "mappings.h"
#include "tables.h"
#include "fptrmainwindow.h"
#include "recordingdriver.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

#include <memory>

namespace {

const char *const lateSections[] = {
    "pbtnSectionPrint", "pbtnSectionFP", "pbtnSectionFN", "pbtnSectionProgramming",
    "pbtnSectionRegisters", "pbtnSectionQueries", "pbtnSectionDataReports",
    "pbtnSectionLowLevel", "pbtnSectionService", "pbtnSectionControl", "pbtnSectionSD",
    "pbtnSectionExternalDevices"};

const char *const latePages[] = {
    "tabDiscounts", "tabSumm", "tabReports", "pagePrint", "pageFiscalEKLZ", "pageFN", "pageProgramming", "pageRegisters", "pageQueries",
    "pageDataReports", "pageLowLevel", "pageService", "pagePeripherials", "pageSD",
    "pageExternalDevices"};

template<typename T = QWidget>
T *named(const QWidget *root, const char *name)
{
    return root->findChild<T *>(QLatin1String(name));
}

bool isBuilt(const QWidget *window, const char *page)
{
    return !named(window, page)->findChildren<QWidget *>().isEmpty();
}

// What a user can see of every named widget, one line each.
QStringList visibleState(const QWidget *window)
{
    QStringList lines;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        // The clock default is taken when the page is built.
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name == QLatin1String("timeEdit"))
            continue;
        QString line = name + QLatin1Char(' ') + QLatin1String(w->metaObject()->className())
            + QStringLiteral(" enabled=%1 hidden=%2 focus=%3")
                  .arg(w->isEnabled())
                  .arg(w->isHidden())
                  .arg(int(w->focusPolicy()));
        if (auto *edit = qobject_cast<const QLineEdit *>(w))
            line += QStringLiteral(" text=") + edit->text();
        else if (auto *marked = qobject_cast<const ExtendedLineEdit *>(w))
            line += QStringLiteral(" text=") + marked->text();
        else if (auto *text = qobject_cast<const QTextEdit *>(w))
            line += QStringLiteral(" text=") + text->toPlainText();
        else if (auto *spin = qobject_cast<const QAbstractSpinBox *>(w))
            line += QStringLiteral(" text=") + spin->text();
        else if (auto *box = qobject_cast<const QComboBox *>(w))
            line += QStringLiteral(" items=%1 current=%2 width=%3")
                        .arg(box->count())
                        .arg(box->currentText())
                        .arg(box->sizeHint().width());
        else if (auto *button = qobject_cast<const QAbstractButton *>(w))
            line += QStringLiteral(" checked=%1").arg(button->isChecked());
        else if (auto *tabs = qobject_cast<const QTabWidget *>(w))
            line += QStringLiteral(" tab=%1").arg(tabs->currentIndex());
        else if (auto *stack = qobject_cast<const QStackedWidget *>(w))
            line += QStringLiteral(" page=%1").arg(stack->currentIndex());
        else if (auto *label = qobject_cast<const QLabel *>(w))
            line += QStringLiteral(" text=") + label->text();
        lines << line;
    }
    lines.sort();
    return lines;
}

// The named widgets that take the focus, in the window's focus chain.
QStringList focusChain(QWidget *window)
{
    QStringList names;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        const QString name = w->objectName();
        if (w->focusPolicy() != Qt::NoFocus && !name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            names << name;
    }
    return names;
}

} // namespace

class TestSectionPages : public QObject
{
    Q_OBJECT

private slots:
    void startsWithOnlyTheFirstPagesBuilt();
    void sectionButtonBuildsItsPageShownAndFilled();
    void pageShownOtherwiseIsBuiltAsItAppears();
    void operationsTabIsBuiltWhenOpened();
    void firstHandlerBuildsEveryPage();
    void everyListIsFilledOnce();
    void pagesBuiltLateMatchPagesBuiltAtOnce();
    void tabLeavesALatePageForTheFramesOnTheRight();
    void scanBeforeTheScannerPageIsOpenedIsKept();
    void handlerOfALatePageRunsOnce();
};

void TestSectionPages::startsWithOnlyTheFirstPagesBuilt()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char *page : latePages)
        QVERIFY2(!isBuilt(&window, page), page);
    QVERIFY(isBuilt(&window, "pageOperations"));
    QVERIFY(isBuilt(&window, "pageDeviceList"));
    QVERIFY(named(&window, "leCommodityName")->isVisible());
    // Building fewer pages must not shrink the window below its form.
    QVERIFY(window.width() >= 1080);
    QVERIFY(window.height() >= 722);
}

void TestSectionPages::sectionButtonBuildsItsPageShownAndFilled()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    named<QAbstractButton>(&window, "pbtnSectionPrint")->click();

    auto *text = named<ExtendedLineEdit>(&window, "leText");
    QVERIFY(text);
    // Visible at once, not one event later.
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QStringLiteral("Строка для печати"));
    auto *purpose = named<QComboBox>(&window, "cmbPrintPurpose");
    QVERIFY(purpose->count() > 0);
    QCOMPARE(purpose->currentData().toString(), QStringLiteral("2"));
    QCOMPARE(named<QTabWidget>(&window, "twPrint")->currentIndex(), 0);
    // Only that page.
    QVERIFY(!isBuilt(&window, "pageSD"));
    QVERIFY(!isBuilt(&window, "pageExternalDevices"));
}

void TestSectionPages::pageShownOtherwiseIsBuiltAsItAppears()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    named<QStackedWidget>(&window, "stackedWidgetMain")->setCurrentIndex(FptrMainWindow::SectionSD);
    QVERIFY(isBuilt(&window, "pageSD"));
    const QList<QAbstractButton *> buttons =
        named(&window, "pageSD")->findChildren<QAbstractButton *>();
    QVERIFY(!buttons.isEmpty());
    for (QAbstractButton *button : buttons)
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
}

void TestSectionPages::operationsTabIsBuiltWhenOpened()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!isBuilt(&window, "tabSumm"));
    auto *tabs = named<QTabWidget>(&window, "twOperations");
    tabs->setCurrentWidget(named(&window, "tabSumm"));
    auto *cash = named<QAbstractSpinBox>(&window, "spinCashSumm");
    QVERIFY(cash);
    QVERIFY(cash->isVisible());
    QCOMPARE(cash->text(), QStringLiteral("100.00"));
    QVERIFY(!isBuilt(&window, "tabDiscounts"));
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Наличность"));
}

void TestSectionPages::firstHandlerBuildsEveryPage()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!isBuilt(&window, "pageService"));
    // A handler may reach into any page (the position sum into others, the
    // status command into the clock of the service page).
    named<QAbstractSpinBox>(&window, "spinQuantity")->stepUp();
    for (const char *page : latePages)
        QVERIFY2(isBuilt(&window, page), page);
    // Still on the page the user was on.
    QCOMPARE(named<QStackedWidget>(&window, "stackedWidgetMain")->currentIndex(),
             int(FptrMainWindow::SectionOperations));
    QVERIFY(!named(&window, "leText")->isVisible());
}

void TestSectionPages::everyListIsFilledOnce()
{
    FptrMainWindow window;
    window.realizeAllSections();
    for (const ComboTable &entry : comboTables()) {
        auto *box = named<QComboBox>(&window, entry.comboName);
        QVERIFY2(box, entry.comboName);
        QComboBox reference;
        strToComboBox(&reference, *entry.table, true);
        QVERIFY2(reference.count() > 0, entry.comboName);
        QVERIFY2(box->count() == reference.count(), entry.comboName);
    }
}

void TestSectionPages::pagesBuiltLateMatchPagesBuiltAtOnce()
{
    FptrMainWindow atOnce;
    atOnce.show();
    QVERIFY(QTest::qWaitForWindowExposed(&atOnce));
    atOnce.realizeAllSections();

    FptrMainWindow late;
    late.show();
    QVERIFY(QTest::qWaitForWindowExposed(&late));
    // Both visit every section, last first, while shown (visits lay out the
    // tab bars); only the late one builds each page on its visit.
    for (FptrMainWindow *window : {&atOnce, &late}) {
        for (int i = int(std::size(lateSections)) - 1; i >= 0; --i) {
            named<QAbstractButton>(window, lateSections[i])->click();
            QCoreApplication::processEvents();
        }
        named<QAbstractButton>(window, "pbtnSectionOperations")->click();
        auto *tabs = named<QTabWidget>(window, "twOperations");
        for (int t = tabs->count() - 1; t >= 0; --t) {
            tabs->setCurrentIndex(t);
            QCoreApplication::processEvents();
        }
    }
    QVERIFY(isBuilt(&late, "tabReports"));

    // Built in another order, the pages still take the focus in form order.
    QCOMPARE(focusChain(&late), focusChain(&atOnce));

    const QStringList expected = visibleState(&atOnce);
    const QStringList actual = visibleState(&late);
    QVERIFY2(expected.size() > 600, qPrintable(QString::number(expected.size())));
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

void TestSectionPages::tabLeavesALatePageForTheFramesOnTheRight()
{
    FptrMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    named<QAbstractButton>(&window, "pbtnSectionSD")->click();

    const QStringList chain = focusChain(&window);
    QWidget *sd = named(&window, "pageSD");
    QStringList onPage;
    for (const QString &name : chain) {
        if (sd->isAncestorOf(named(&window, qPrintable(name))))
            onPage << name;
    }
    QVERIFY(onPage.size() > 3);
    // The page's widgets stand together, after the section buttons and
    // before the device frame.
    const int first = chain.indexOf(onPage.first());
    QCOMPARE(chain.mid(first, onPage.size()), onPage);
    QVERIFY(chain.indexOf(QStringLiteral("pbtnSectionExternalDevices")) < first);
    QVERIFY(chain.indexOf(QStringLiteral("cbEnable")) > first);

    // And the keyboard goes that way: from the page's last widget, Tab
    // reaches the device frame.
    QWidget *last = nullptr;
    for (const QString &name : onPage) {
        QWidget *w = named(&window, qPrintable(name));
        if (w->isEnabled() && w->isVisible())
            last = w;
    }
    QVERIFY(last);
    last->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(last->hasFocus() || last->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *next = QApplication::focusWidget();
    QVERIFY(next);
    QVERIFY2(named(&window, "frameDevices")->isAncestorOf(next)
                 || named(&window, "frameModes")->isAncestorOf(next),
             qPrintable(next->objectName()));
}

void TestSectionPages::scanBeforeTheScannerPageIsOpenedIsKept()
{
    FptrMainWindow window;
    QVERIFY(!isBuilt(&window, "pageExternalDevices"));
    QVERIFY(QMetaObject::invokeMethod(&window, "onScannerDataEvent",
                                      Q_ARG(QString, QStringLiteral("4600000000008"))));
    auto *scans = named<QListWidget>(&window, "lwScannerData");
    QVERIFY(scans);
    QCOMPARE(scans->count(), 1);
    QCOMPARE(scans->item(0)->text(), QStringLiteral("4600000000008"));
}

void TestSectionPages::handlerOfALatePageRunsOnce()
{
    // The driver outlives the window, whose destructor still reads it.
    RecordingDriver driver;
    {
        FptrMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The print page is built by its visit, the others by the device
        // selection below; the print page's slots must not be connected twice.
        named<QAbstractButton>(&window, "pbtnSectionPrint")->click();

        const int number = window.deviceList()->addDevice(
            static_cast<FptrFactory::PrinterDevice>(99), new ZEruZuva(&driver));
        auto *devices = named<QComboBox>(&window, "cmbDeviceList");
        devices->addItem(QStringLiteral("Recording driver"), number);
        devices->setCurrentIndex(devices->count() - 1);
        QVERIFY(isBuilt(&window, "pageSD"));
        driver.clearLog();

        named<QAbstractButton>(&window, "pbtnPrintHeader")->click();
        QCOMPARE(driver.count(QStringLiteral("PrintHeader()")), 1);
    }
    // The saved list now names a device no library serves.
    QFile::remove(configDir() + QLatin1String("fptr.cfg"));
}

FPTR_TEST_MAIN(TestSectionPages)
#include "tst_sectionpages.moc"
