// The README's pictures of a first receipt.
//
//   fptr_readme_pictures OUTPUT_DIR
//
// Builds the window with its default virtual register in a throw-away home,
// with the register's live tape window open, clicks a receipt through the
// form (connection, mode, shift, a sale, a payment the register refuses,
// payment, closing) and saves first-receipt.png: the window beside the tape
// window. Then it opens the journal panel and saves journal-panel.png.

#include "extendedlineedit.h"
#include "fptrmainwindow.h"
#include "journalmodel.h"
#include "journalpanel.h"
#include "testmain.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolButton>

namespace {

template <class T = QWidget>
T *find(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

void select(QWidget *window, const char *name, int key)
{
    auto *box = find<QComboBox>(window, name);
    box->setCurrentIndex(box->findData(QString::number(key)));
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

QWidget *tapeWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("VirtualRegisterTape") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

bool save(const QPixmap &picture, const QString &path)
{
    if (picture.save(path))
        return true;
    QTextStream(stderr) << "cannot write " << path << '\n';
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: fptr_readme_pictures OUTPUT_DIR\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);

    FptrMainWindow window;
    window.show();
    settle(100);
    // The register's live tape window, as its settings dialog opens it.
    VOR::Fptr::IFptr *driver = window.device()->ted();
    driver->WriteSetting(L"TapeWindow", L"1");
    driver->WriteSetting(L"PrintSpeed", L"0");
    driver->ApplySettings();
    find<QCheckBox>(&window, "cbEnable")->setChecked(true);
    select(&window, "cmbMode", 1);
    find<QAbstractButton>(&window, "pbtnSetMode")->click();
    find<QAbstractButton>(&window, "pbtnOpenSession")->click();
    find<ExtendedLineEdit>(&window, "leCommodityName")->setText(QStringLiteral("Чипсы с беконом"));
    find<QDoubleSpinBox>(&window, "spinQuantity")->setValue(2);
    find<QDoubleSpinBox>(&window, "spinPrice")->setValue(45.50);
    find<QAbstractButton>(&window, "pbtnSell")->click();
    // A payment of nothing, which the register refuses, then the real one.
    find<QDoubleSpinBox>(&window, "spinPaymentSumm")->setValue(0);
    find<QAbstractButton>(&window, "pbtnPayment")->click();
    find<QDoubleSpinBox>(&window, "spinPaymentSumm")->setValue(100);
    find<QAbstractButton>(&window, "pbtnPayment")->click();
    find<QAbstractButton>(&window, "pbtnCloseCheque")->click();

    driver->GetStatus(); // the paper is out
    settle(600);
    QWidget *tape = tapeWindow();
    if (!tape) {
        QTextStream(stderr) << "the tape window did not open\n";
        return 1;
    }
    tape->resize(tape->width(), window.height());
    settle(200);
    const QPixmap bench = window.grab();
    const QPixmap paper = tape->grab();
    const int gap = 16;
    QPixmap both(bench.width() + gap + paper.width(), qMax(bench.height(), paper.height()));
    both.fill(QColor(0x3c, 0x3f, 0x44));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, bench);
    painter.drawPixmap(bench.width() + gap, 0, paper);
    painter.end();
    if (!save(both, folder + QStringLiteral("/first-receipt.png")))
        return 1;

    // Taller than at start, so the panel has room for the receipt.
    window.resize(1080, 1000);
    auto *panel = window.findChild<JournalPanel *>();
    panel->button()->click();
    window.resizeDocks({panel}, {500}, Qt::Vertical);
    settle(400);
    // The refused payment and the closing open, the other presses folded.
    JournalModel *model = panel->model();
    int group = 0;
    for (int row = model->rowCount() - 1; row >= 0; --row) {
        if (model->isGroupRow(row)) {
            ++group;
            model->setExpanded(row, group == 1 || group == 3);
        }
    }
    panel->view()->scrollToBottom();
    settle(200);
    return save(window.grab(), folder + QStringLiteral("/journal-panel.png")) ? 0 : 1;
}
