// A picture of the journal panel after a receipt, for the README.
//
//   fptr_journal_screenshot OUTPUT.png
//
// Builds the window with its default virtual register in a throw-away home,
// clicks a receipt through the form (connection, mode, shift, a sale, a
// payment the register refuses, payment, closing), opens the journal panel
// and saves the window.

#include "extendedlineedit.h"
#include "fptrmainwindow.h"
#include "journalmodel.h"
#include "journalpanel.h"
#include "testmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
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

} // namespace

int main(int argc, char *argv[])
{
    const QScopedPointer<QTemporaryDir> home(fptrtest::isolateHome());
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: fptr_journal_screenshot OUTPUT.png\n";
        return 2;
    }

    FptrMainWindow window;
    // Taller than at start, so the panel has room for the receipt.
    window.resize(1080, 1000);
    window.show();
    settle(100);
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
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        QTextStream(stderr) << "cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
