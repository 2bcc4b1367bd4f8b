// The journal panel: hidden at start and toggled by its status bar button
// and Ctrl+J; each button press a group row named after the button; the
// table takes new calls only in batches, follows them unless scrolled away,
// filters, and survives the ring going round; copies and saves; and the
// journal written to a file as calls happen, rotated at its size limit.

#include "windowfixture.h"

#include "appcore.h"
#include "calljournal.h"
#include "journalformat.h"
#include "journalingdriver.h"
#include "journalmodel.h"
#include "journalpanel.h"
#include "journalwriter.h"

#include <QClipboard>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include "testmain.h"

namespace {

// The window with a journaled recording driver as its current device.
class JournaledWindow : public WindowFixture
{
public:
    JournaledWindow()
    {
        CallJournal &journal = CallJournal::global();
        journaled = new JournalingDriver(&recorder, journal, journal.addDevice(0, QString()));
        const int number = window->deviceList()->addDevice(
            static_cast<FptrFactory::PrinterDevice>(RecordingKind), new ZEruZuva(journaled));
        QComboBox *devices = combo("cmbDeviceList");
        devices->addItem(QStringLiteral("Касса у окна"), number);
        devices->setCurrentIndex(devices->count() - 1);
        panel = window->findChild<JournalPanel *>();
        journal.clear();
        recorder.clearLog();
    }
    // The window still reads its devices as it goes.
    ~JournaledWindow() { window.reset(); }

    // Group rows and their calls as the table shows them: "name:count".
    QStringList groups() const
    {
        panel->model()->reload();
        QStringList shown;
        JournalModel *model = panel->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->isGroupRow(row))
                shown << model->index(row, JournalModel::OperationColumn).data().toString() + QLatin1Char(':')
                        + QString::number(model->callsOfRows({row}).size());
        }
        return shown;
    }

    RecordingDriver recorder;
    JournalingDriver *journaled = nullptr; // owned by the device list
    JournalPanel *panel = nullptr;
};

// A journal of its own with `calls` calls in presses of `perPress`.
void fill(CallJournal &journal, int calls, int perPress, int from = 0)
{
    if (journal.devices().isEmpty()) {
        journal.addDevice(0, QString());
        journal.addDevice(1, QString());
        journal.setDeviceName(1, QStringLiteral("Касса"));
        journal.setDeviceName(2, QStringLiteral("Принтер"));
    }
    for (int i = from; i < from + calls; ++i) {
        if (perPress && i % perPress == 0)
            journal.beginGroup(QStringLiteral("Нажатие %1").arg(i / perPress));
        Journal::Call call;
        call.deviceId = i % 5 == 4 ? 2 : 1;
        call.op = i % 2 ? Journal::Set_Name : Journal::Run_Sell;
        call.text = QStringLiteral("Товар %1").arg(i);
        if (i % 10 == 6) {
            call.result = -1;
            call.code = -3822;
            call.description = QStringLiteral("Смена не открыта");
            call.failed = true;
        }
        journal.append(std::move(call));
        if (perPress && i % perPress == perPress - 1)
            journal.endGroup();
    }
}

// Every row is where it belongs: group rows before their calls, calls in
// order, nothing the journal no longer holds.
void checkRows(const JournalModel &model, const CallJournal &journal)
{
    quint64 last = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const std::vector<Journal::Call> calls = model.callsOfRows({row});
        QVERIFY(!calls.empty());
        QVERIFY(calls.front().seq >= journal.firstSeq());
        if (!model.isGroupRow(row)) {
            QVERIFY(calls.front().seq > last);
            last = calls.front().seq;
        }
    }
}

} // namespace

class TestJournalPanel : public QObject
{
    Q_OBJECT

private slots:
    void startsHiddenAndToggles();
    void pressesBecomeGroupRows();
    void devicesAreNamedAsInTheWindow();
    void rowsComeOnlyInBatches();
    void followsUnlessScrolledAway();
    void filters_data();
    void filters();
    void ringGoingRoundKeepsRowsInOrder_data();
    void ringGoingRoundKeepsRowsInOrder();
    void copiesAndSaves();
    void writesAsItGoesAndRotates();
    void unwritableFileIsReported();
};

void TestJournalPanel::startsHiddenAndToggles()
{
    JournaledWindow w;
    QVERIFY(w.panel);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const QSize size = w.window->size();
    QVERIFY(w.panel->isHidden());
    QToolButton *button = w.window->statusBar()->findChild<QToolButton *>(QStringLiteral("toolbtnJournal"));
    QVERIFY(button && button->isVisible());
    QVERIFY(!button->isChecked());

    button->click();
    QTRY_VERIFY(w.panel->isVisible());
    QCOMPARE(w.window->dockWidgetArea(w.panel), Qt::BottomDockWidgetArea);
    QVERIFY(w.panel->geometry().top() > w.widget("stackedWidgetMain")->mapTo(w.window.get(), QPoint(0, 0)).y());
    QCOMPARE(w.window->size(), size);
    QVERIFY(button->isChecked());

    QTest::keyClick(w.window.get(), Qt::Key_J, Qt::ControlModifier);
    QTRY_VERIFY(w.panel->isHidden());
    QVERIFY(!button->isChecked());
    QCOMPARE(w.window->size(), size);
}

void TestJournalPanel::pressesBecomeGroupRows()
{
    JournaledWindow w;
    w.recorder.failOn(QStringLiteral("CloseCheque"), -3822, QStringLiteral("Смена не открыта"));
    w.click("pbtnSell");
    w.click("pbtnCloseCheque");
    const QString error = w.errorLine();
    QCOMPARE(error, QStringLiteral("[-3822] Смена не открыта"));

    // One group a press, named after the button, holding every call the
    // driver saw while its handler ran.
    const QStringList driverCalls = w.recorder.log();
    const QStringList groups = w.groups();
    QCOMPARE(groups.size(), 2);
    QVERIFY2(groups[0].startsWith(QStringLiteral("Продажа / приход:")), qPrintable(groups.join(", ")));
    QVERIFY2(groups[1].startsWith(QStringLiteral("Закрыть чек:")), qPrintable(groups.join(", ")));
    const int total = groups[0].section(QLatin1Char(':'), 1).toInt() + groups[1].section(QLatin1Char(':'), 1).toInt();
    QCOMPARE(total, driverCalls.size());

    // The failure stands out, in its row and in its press's row.
    JournalModel *model = w.panel->model();
    int failedRow = -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (!model->isGroupRow(row) && model->index(row, JournalModel::CodeColumn).data().toInt() == -3822)
            failedRow = row;
    }
    QVERIFY(failedRow > 0);
    QCOMPARE(model->index(failedRow, JournalModel::OperationColumn).data().toString(), QStringLiteral("CloseCheque"));
    QCOMPARE(model->index(failedRow, JournalModel::DescriptionColumn).data().toString(),
             QStringLiteral("Смена не открыта"));
    const QColor normal = model->index(0, JournalModel::OperationColumn).data(Qt::ForegroundRole).value<QBrush>().color();
    int groupRow = failedRow;
    while (!model->isGroupRow(groupRow))
        --groupRow;
    QVERIFY(model->index(failedRow, 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(model->index(groupRow, JournalModel::OperationColumn).data(Qt::ForegroundRole).value<QBrush>().color()
            != normal);
    QVERIFY(model->index(groupRow, JournalModel::ValueColumn).data().toString().endsWith(QStringLiteral(", ошибок: 1")));

    // A group folds away and comes back with the same calls.
    const int before = model->rowCount();
    const size_t calls = model->callsOfRows({groupRow}).size();
    model->setExpanded(groupRow, false);
    QCOMPARE(model->rowCount(), before - int(calls));
    model->setExpanded(groupRow, true);
    QCOMPARE(model->rowCount(), before);
}

void TestJournalPanel::devicesAreNamedAsInTheWindow()
{
    JournaledWindow w;
    QComboBox *devices = w.combo("cmbDeviceList");
    w.click("pbtnSetMode");
    devices->setItemText(devices->currentIndex(), QStringLiteral("Касса №2"));
    w.click("pbtnSetMode");
    std::vector<Journal::Call> calls;
    CallJournal::global().copySince(0, calls);
    QVERIFY(calls.size() >= 2);
    QCOMPARE(calls.front().device, QStringLiteral("Касса у окна"));
    QCOMPARE(calls.back().device, QStringLiteral("Касса №2"));
}

void TestJournalPanel::rowsComeOnlyInBatches()
{
    CallJournal journal;
    JournalModel model(journal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    fill(journal, 1000, 10);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(inserted.count() + reset.count(), 0);
    QVERIFY(model.refresh());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.callCount(), 1000);
    QCOMPARE(model.rowCount(), 1100);
    QVERIFY(!model.refresh());
    QCOMPARE(inserted.count(), 1);
    // The panel asks at most every 50 ms.
    QCOMPARE(JournalPanel::RefreshIntervalMs, 50);
}

void TestJournalPanel::followsUnlessScrolledAway()
{
    JournaledWindow w;
    w.window->show();
    w.panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QTableView *view = w.panel->view();
    QScrollBar *scroll = view->verticalScrollBar();
    const auto lots = [&w]() {
        for (int i = 0; i < 200; ++i)
            w.journaled->Beep();
        w.panel->refresh();
        QApplication::processEvents();
    };
    lots();
    QTRY_VERIFY(scroll->maximum() > 0);
    QTRY_COMPARE(scroll->value(), scroll->maximum());
    lots();
    QTRY_COMPARE(scroll->value(), scroll->maximum());

    scroll->setValue(0);
    lots();
    QApplication::processEvents();
    QCOMPARE(scroll->value(), 0);
}

void TestJournalPanel::filters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("device");
    QTest::addColumn<bool>("failures");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("groups");

    // 100 calls, presses of 10; every 10th from the 7th failed, every 5th
    // from the 5th went to the second device.
    QTest::newRow("everything") << QString() << 0 << false << 100 << 10;
    QTest::newRow("a value, any case") << QStringLiteral("товар 57") << 0 << false << 1 << 1;
    QTest::newRow("an operation") << QStringLiteral("sell") << 0 << false << 50 << 10;
    QTest::newRow("a description") << QStringLiteral("не открыта") << 0 << false << 10 << 10;
    QTest::newRow("a press's caption") << QStringLiteral("Нажатие 3") << 0 << false << 10 << 1;
    QTest::newRow("a device's name") << QStringLiteral("Принтер") << 0 << false << 20 << 10;
    QTest::newRow("failures") << QString() << 0 << true << 10 << 10;
    QTest::newRow("second device") << QString() << 2 << false << 20 << 10;
    QTest::newRow("failures on the second device") << QString() << 2 << true << 0 << 0;
    QTest::newRow("nothing") << QStringLiteral("нет такого") << 0 << false << 0 << 0;
}

void TestJournalPanel::filters()
{
    QFETCH(QString, text);
    QFETCH(int, device);
    QFETCH(bool, failures);
    QFETCH(int, calls);
    QFETCH(int, groups);
    CallJournal journal;
    fill(journal, 100, 10);
    JournalModel model(journal);
    model.refresh();
    model.setFilter(text, device, failures);
    int groupRows = 0;
    QList<int> all;
    for (int row = 0; row < model.rowCount(); ++row) {
        groupRows += model.isGroupRow(row) ? 1 : 0;
        all << row;
    }
    QCOMPARE(groupRows, groups);
    QCOMPARE(int(model.callsOfRows(all).size()), calls);
    QCOMPARE(model.rowCount(), calls + groups);
    // New calls go through the same filter.
    fill(journal, 10, 10, 100);
    model.refresh();
    checkRows(model, journal);
    model.setFilter(QString(), 0, false);
    QCOMPARE(model.rowCount(), 110 + 11);
}

void TestJournalPanel::ringGoingRoundKeepsRowsInOrder_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("perPress");
    QTest::addColumn<bool>("collapsed");
    QTest::newRow("a press cut in two") << 100 << 60 << 75 << 20 << false;
    QTest::newRow("collapsed presses") << 100 << 60 << 75 << 20 << true;
    QTest::newRow("everything dropped") << 50 << 50 << 120 << 7 << false;
    QTest::newRow("no presses") << 30 << 20 << 25 << 0 << false;
}

void TestJournalPanel::ringGoingRoundKeepsRowsInOrder()
{
    QFETCH(int, capacity);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, perPress);
    QFETCH(bool, collapsed);
    CallJournal journal(capacity);
    JournalModel model(journal);
    fill(journal, before, perPress);
    model.refresh();
    if (collapsed)
        model.setAllExpanded(false);
    fill(journal, after, perPress, before);
    model.refresh();
    QCOMPARE(model.callCount(), capacity);
    checkRows(model, journal);
    // The same rows as a table built afresh from what the journal holds.
    JournalModel fresh(journal);
    fresh.setAllExpanded(!collapsed);
    fresh.refresh();
    QCOMPARE(model.rowCount(), fresh.rowCount());
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.rowsAsText({row}), fresh.rowsAsText({row}));
}

void TestJournalPanel::copiesAndSaves()
{
    JournaledWindow w;
    w.recorder.set(QStringLiteral("Mode"), 1);
    w.click("pbtnSell");
    w.click("pbtnSetMode");
    w.panel->show();
    w.panel->refresh();
    JournalModel *model = w.panel->model();
    QCOMPARE(model->isGroupRow(0), true);
    w.panel->view()->selectRow(0);

    w.panel->copySelection();
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(copied.size(), 1);
    QCOMPARE(copied[0].count(QLatin1Char('\t')), JournalModel::ColumnCount - 1);
    QVERIFY(copied[0].contains(QStringLiteral("Продажа / приход")));

    w.panel->copySelectionAsCode();
    const QString code = QGuiApplication::clipboard()->text();
    QVERIFY2(code.startsWith(QStringLiteral("// Продажа / приход\n")), qPrintable(code));
    QVERIFY2(code.contains(QStringLiteral("if (fptr->Sell() < 0) {")), qPrintable(code));

    QTemporaryDir dir;
    const QString selection = dir.filePath(QStringLiteral("selection.jsonl"));
    const QString everything = dir.filePath(QStringLiteral("all.jsonl"));
    QString error;
    QVERIFY2(w.panel->saveJournal(selection, true, &error), qPrintable(error));
    QVERIFY2(w.panel->saveJournal(everything, false, &error), qPrintable(error));
    std::vector<Journal::Call> held;
    CallJournal::global().copySince(0, held);
    for (const auto &expected : {std::make_pair(selection, model->callsOfRows({0})), std::make_pair(everything, held)}) {
        QFile file(expected.first);
        QVERIFY(file.open(QIODevice::ReadOnly));
        JournalFormat::Parsed parsed;
        JournalFormat::ParseError parseError;
        QVERIFY2(JournalFormat::parse(file.readAll(), &parsed, &parseError), qPrintable(parseError.toString()));
        QVERIFY(parsed.ended);
        QCOMPARE(parsed.devices.size(), 1);
        QCOMPARE(parsed.devices.constFirst().name, QStringLiteral("Касса у окна"));
        QCOMPARE(parsed.calls.size(), expected.second.size());
        for (size_t i = 0; i < parsed.calls.size(); ++i) {
            QCOMPARE(parsed.calls[i].seq, expected.second[i].seq);
            QCOMPARE(parsed.calls[i].op, expected.second[i].op);
        }
    }
    // A place that cannot be written is said so.
    QVERIFY(!w.panel->saveJournal(dir.filePath(QStringLiteral("no/such/folder/x.jsonl")), false, &error));
    QVERIFY(!error.isEmpty());

    w.panel->clearJournal();
    QCOMPARE(model->rowCount(), 0);
}

void TestJournalPanel::writesAsItGoesAndRotates()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.jsonl"));
    {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier session\n");
    }
    CallJournal journal(1000);
    fill(journal, 30, 10);
    JournalWriter writer(journal);
    QVERIFY2(writer.start(path, 8192), qPrintable(writer.errorText()));
    for (int round = 0; round < 5; ++round) {
        fill(journal, 30, 10, 30 + round * 30);
        writer.writePending();
    }
    writer.stop();

    // The files, oldest first: the earlier session is kept, then every call
    // once, in order, each file complete on its own.
    QStringList files;
    for (int n = JournalWriter::KeptFiles; n >= 1; --n) {
        if (QFile::exists(path + QLatin1Char('.') + QString::number(n)))
            files << path + QLatin1Char('.') + QString::number(n);
    }
    files << path;
    QVERIFY(files.size() >= 4);
    QFile oldest(files.takeFirst());
    QVERIFY(oldest.open(QIODevice::ReadOnly));
    QCOMPARE(oldest.readAll(), QByteArray("an earlier session\n"));
    quint64 next = 1;
    for (const QString &name : files) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.size() < 8192 + 1024);
        JournalFormat::Parsed parsed;
        JournalFormat::ParseError error;
        QVERIFY2(JournalFormat::parse(file.readAll(), &parsed, &error), qPrintable(name + error.toString()));
        QVERIFY2(parsed.ended, qPrintable(name));
        QCOMPARE(parsed.gaps, 0);
        QCOMPARE(parsed.devices.size(), 2);
        for (const Journal::Call &call : parsed.calls)
            QCOMPARE(call.seq, next++);
    }
    QCOMPARE(next, quint64(181));

    // Calls dropped before they could be written leave a gap line.
    CallJournal small(10);
    JournalWriter late(small);
    const QString gapped = dir.filePath(QStringLiteral("gapped.jsonl"));
    QVERIFY(late.start(gapped, 1 << 20));
    fill(small, 25, 0);
    late.stop();
    QFile file(gapped);
    QVERIFY(file.open(QIODevice::ReadOnly));
    JournalFormat::Parsed parsed;
    JournalFormat::ParseError error;
    QVERIFY2(JournalFormat::parse(file.readAll(), &parsed, &error), qPrintable(error.toString()));
    QCOMPARE(parsed.gaps, 1);
    QCOMPARE(parsed.calls.size(), size_t(10));
    QCOMPARE(parsed.calls.front().seq, quint64(16));
}

void TestJournalPanel::unwritableFileIsReported()
{
    JournaledWindow w;
    QTemporaryDir dir;
    QString error;
    QVERIFY(!w.panel->setWriteToFile(true, dir.filePath(QStringLiteral("no/such/folder/live.jsonl")), 1, &error));
    QVERIFY2(error.contains(QStringLiteral("Не удалось открыть файл журнала")), qPrintable(error));
    QVERIFY(!w.panel->writer()->isActive());
    QVERIFY(w.panel->button()->toolTip().contains(QStringLiteral("Не удалось")));
    // Written where it can be, and kept for the next start.
    const QString path = dir.filePath(QStringLiteral("live.jsonl"));
    QVERIFY(w.panel->setWriteToFile(true, path, 1, &error));
    QVERIFY(w.panel->writer()->isActive());
    QSettings options(configDir() + QStringLiteral("journal.ini"), QSettings::IniFormat);
    QCOMPARE(options.value(QStringLiteral("file")).toString(), path);
    QCOMPARE(options.value(QStringLiteral("writeToFile")).toBool(), true);
    QVERIFY(w.panel->setWriteToFile(false, path, 1, &error));
    QFile::remove(configDir() + QStringLiteral("journal.ini"));
}

FPTR_TEST_MAIN(TestJournalPanel)
#include "tst_journalpanel.moc"
