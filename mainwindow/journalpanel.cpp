#include "journalpanel.h"

#include "appcore.h"
#include "fptrdevicelist.h"
#include "fptrmainwindow.h"
#include "journalformat.h"
#include "journalingdriver.h"
#include "journalmodel.h"
#include "journalwriter.h"
#include "nohelpbutton.h"
#include "zeruzuva.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const OptionsFile = "journal.ini";
// A call takes about 250 bytes in the ring and as much in the table.
const int MinCapacity = 1000;
const int MaxCapacity = 1000000;

QSettings options()
{
    return QSettings(configDir() + QLatin1String(OptionsFile), QSettings::IniFormat);
}

} // namespace

// ---- button presses ---------------------------------------------------------

QString JournalPanel::pressCaption(const QObject *sender)
{
    if (!sender)
        return QString();
    QString caption;
    if (auto *button = qobject_cast<const QAbstractButton *>(sender)) {
        caption = button->text();
        // "&&" is a shown ampersand, a single "&" marks the shortcut letter.
        caption.replace(QLatin1String("&&"), QStringLiteral("\x01"));
        caption.remove(QLatin1Char('&'));
        caption.replace(QChar(1), QLatin1Char('&'));
        caption = caption.simplified();
        if (caption.isEmpty())
            caption = button->toolTip().simplified();
    } else if (auto *widget = qobject_cast<const QWidget *>(sender)) {
        caption = widget->accessibleName();
    }
    return caption.isEmpty() ? sender->objectName() : caption;
}

void JournalPanel::beginPress(const QObject *sender)
{
    CallJournal::global().beginGroup(pressCaption(sender));
}

void JournalPanel::endPress()
{
    CallJournal::global().endGroup();
}

// ---- the panel --------------------------------------------------------------

JournalPanel *JournalPanel::install(QMainWindow *window, CallJournal &journal)
{
    auto *panel = new JournalPanel(window, journal);
    window->addDockWidget(Qt::BottomDockWidgetArea, panel);
    panel->hide();
    window->statusBar()->addPermanentWidget(panel->button(), 0);
    return panel;
}

JournalPanel::JournalPanel(QMainWindow *window, CallJournal &journal)
    : QDockWidget(tr("Журнал вызовов"), window)
    , m_window(window)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("journalPanel"));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    m_model = new JournalModel(journal, this);
    m_writer = new JournalWriter(journal, this);
    connect(m_writer, &JournalWriter::failed, this, [this]() { showWriterState(); });
    buildContent();

    QAction *toggle = toggleViewAction();
    toggle->setText(tr("Журнал"));
    toggle->setToolTip(tr("Журнал вызовов драйвера (Ctrl+J)"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    toggle->setShortcutContext(Qt::WindowShortcut);
    window->addAction(toggle);
    m_button = new QToolButton();
    m_button->setObjectName(QStringLiteral("toolbtnJournal"));
    m_button->setDefaultAction(toggle);
    m_button->setAutoRaise(true);

    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &JournalPanel::refresh);
    // The table follows the journal only while it can be seen.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            refresh();
            m_refreshTimer.start();
        } else {
            m_refreshTimer.stop();
        }
    });
    m_filterDelay.setSingleShot(true);
    m_filterDelay.setInterval(200);
    connect(&m_filterDelay, &QTimer::timeout, this, &JournalPanel::applyFilter);

    // The device names the journal records are the names of the window's
    // device list.
    if (auto *bench = qobject_cast<FptrMainWindow *>(window)) {
        if (auto *devices = bench->findChild<QComboBox *>(QStringLiteral("cmbDeviceList"))) {
            QAbstractItemModel *names = devices->model();
            connect(names, &QAbstractItemModel::rowsInserted, this, &JournalPanel::syncDeviceNames);
            connect(names, &QAbstractItemModel::dataChanged, this, &JournalPanel::syncDeviceNames);
            connect(names, &QAbstractItemModel::modelReset, this, &JournalPanel::syncDeviceNames);
            syncDeviceNames();
        }
    }

    loadOptions();
}

JournalPanel::~JournalPanel()
{
    // The file gets the last calls and its end line.
    m_writer->stop();
}

void JournalPanel::buildContent()
{
    auto *content = new QWidget(this);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);

    auto *bar = new QHBoxLayout();
    m_filter = new QLineEdit(content);
    m_filter->setObjectName(QStringLiteral("leJournalFilter"));
    m_filter->setPlaceholderText(tr("Найти"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setMinimumWidth(180);
    connect(m_filter, &QLineEdit::textChanged, &m_filterDelay, qOverload<>(&QTimer::start));
    bar->addWidget(m_filter, 1);

    m_devices = new QComboBox(content);
    m_devices->setObjectName(QStringLiteral("cmbJournalDevice"));
    m_devices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_devices->setMinimumContentsLength(18);
    m_devices->addItem(tr("Все устройства"), 0);
    connect(m_devices, qOverload<int>(&QComboBox::currentIndexChanged), this, &JournalPanel::applyFilter);
    bar->addWidget(m_devices);

    m_failuresOnly = new QCheckBox(tr("Только ошибки"), content);
    m_failuresOnly->setObjectName(QStringLiteral("cbJournalFailures"));
    connect(m_failuresOnly, &QCheckBox::toggled, this, &JournalPanel::applyFilter);
    bar->addWidget(m_failuresOnly);

    m_status = new QLabel(content);
    m_status->setObjectName(QStringLiteral("lbJournalStatus"));
    bar->addWidget(m_status);
    bar->addStretch();

    const auto addButton = [&](const char *name, const QString &text, const QString &tip) {
        auto *button = new QPushButton(text, content);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(tip);
        bar->addWidget(button);
        return button;
    };
    connect(addButton("pbtnJournalCopy", tr("Копировать"), tr("Выделенные строки как текст")),
            &QPushButton::clicked, this, &JournalPanel::copySelection);
    connect(addButton("pbtnJournalCode", tr("Как код"), tr("Выделенные вызовы как код C++ для VOR::Fptr::IFptr")),
            &QPushButton::clicked, this, &JournalPanel::copySelectionAsCode);
    QPushButton *save = addButton("pbtnJournalSave", tr("Сохранить"), tr("Сохранить журнал в файл"));
    auto *saveMenu = new QMenu(save);
    saveMenu->addAction(tr("Весь журнал..."), this, [this]() { askSave(false); });
    saveMenu->addAction(tr("Выделенное..."), this, [this]() { askSave(true); });
    save->setMenu(saveMenu);
    connect(addButton("pbtnJournalClear", tr("Очистить"), tr("Забыть все вызовы журнала")), &QPushButton::clicked,
            this, &JournalPanel::clearJournal);
    connect(addButton("pbtnJournalOptions", tr("Параметры..."), tr("Размер журнала и запись в файл")),
            &QPushButton::clicked, this, &JournalPanel::showOptions);
    layout->addLayout(bar);

    m_view = new QTableView(content);
    m_view->setObjectName(QStringLiteral("tvJournal"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setWordWrap(false);
    m_view->setShowGrid(false);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView *rows = m_view->verticalHeader();
    rows->hide();
    // Fixed rows: the view never asks the model for every row's height.
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    QHeaderView *columns = m_view->horizontalHeader();
    columns->setHighlightSections(false);
    const int widths[JournalModel::ColumnCount] = {125, 150, 50, 150, 70, 170, 70, 55, 200, 60};
    for (int column = 0; column < JournalModel::ColumnCount; ++column)
        m_view->setColumnWidth(column, widths[column]);
    columns->setSectionResizeMode(JournalModel::DescriptionColumn, QHeaderView::Stretch);
    connect(m_view, &QTableView::clicked, this, &JournalPanel::onClicked);
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (m_model->isGroupRow(index.row()) && index.column() != JournalModel::TimeColumn)
            m_model->setExpanded(index.row(), !m_model->isExpanded(index.row()));
    });
    connect(m_view, &QWidget::customContextMenuRequested, this, &JournalPanel::showContextMenu);
    auto *copy = new QShortcut(QKeySequence::Copy, m_view);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &JournalPanel::copySelection);
    layout->addWidget(m_view, 1);

    setWidget(content);
    updateStatus();
}

void JournalPanel::refresh()
{
    updateDeviceFilter();
    QScrollBar *scroll = m_view->verticalScrollBar();
    const bool following = scroll->value() >= scroll->maximum();
    if (m_model->refresh() && following)
        m_view->scrollToBottom();
    updateStatus();
}

void JournalPanel::updateStatus()
{
    QString text = tr("Вызовов: %1").arg(m_model->callCount());
    if (m_writer->isActive())
        text += tr(", запись в %1").arg(m_writer->path());
    m_status->setText(text);
}

void JournalPanel::applyFilter()
{
    m_filterDelay.stop();
    m_model->setFilter(m_filter->text(), m_devices->currentData().toInt(), m_failuresOnly->isChecked());
    m_view->scrollToBottom();
}

void JournalPanel::syncDeviceNames()
{
    auto *bench = qobject_cast<FptrMainWindow *>(m_window.data());
    auto *devices = bench ? bench->findChild<QComboBox *>(QStringLiteral("cmbDeviceList")) : nullptr;
    if (!devices || !bench->deviceList())
        return;
    for (int i = 0; i < devices->count(); ++i) {
        try {
            ZEruZuva *wrapper = bench->deviceList()->device(devices->itemData(i).toInt());
            if (JournalingDriver *driver = JournalingDriver::find(wrapper ? wrapper->ted() : nullptr))
                driver->journal().setDeviceName(driver->deviceId(), devices->itemText(i));
        } catch (const std::exception &) {
            // An item whose device is gone has no name to give.
        }
    }
}

void JournalPanel::updateDeviceFilter()
{
    const quint64 version = m_journal.deviceVersion();
    if (version == m_deviceVersion)
        return;
    m_deviceVersion = version;
    const int current = m_devices->currentData().toInt();
    const QSignalBlocker blocker(m_devices);
    m_devices->clear();
    m_devices->addItem(tr("Все устройства"), 0);
    for (const Journal::Device &device : m_journal.devices()) {
        const QString name = device.name.isEmpty() ? tr("Устройство %1").arg(device.id) : device.name;
        m_devices->addItem(name, device.id);
    }
    m_devices->setCurrentIndex(qMax(0, m_devices->findData(current)));
}

void JournalPanel::onClicked(const QModelIndex &index)
{
    if (index.column() == JournalModel::TimeColumn && m_model->isGroupRow(index.row()))
        m_model->setExpanded(index.row(), !m_model->isExpanded(index.row()));
}

void JournalPanel::showContextMenu(const QPoint &at)
{
    QMenu menu(this);
    menu.addAction(tr("Копировать"), this, &JournalPanel::copySelection);
    menu.addAction(tr("Копировать как код"), this, &JournalPanel::copySelectionAsCode);
    menu.addAction(tr("Сохранить выделенное..."), this, [this]() { askSave(true); });
    menu.addSeparator();
    menu.addAction(tr("Развернуть все"), this, [this]() { m_model->setAllExpanded(true); });
    menu.addAction(tr("Свернуть все"), this, [this]() { m_model->setAllExpanded(false); });
    menu.exec(m_view->viewport()->mapToGlobal(at));
}

QList<int> JournalPanel::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

void JournalPanel::copySelection()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setText(m_model->rowsAsText(rows));
}

void JournalPanel::copySelectionAsCode()
{
    const std::vector<Journal::Call> calls = m_model->callsOfRows(selectedRows());
    if (!calls.empty())
        QGuiApplication::clipboard()->setText(JournalFormat::codeFragment(calls));
}

bool JournalPanel::saveJournal(const QString &path, bool selectionOnly, QString *error)
{
    std::vector<Journal::Call> calls;
    if (selectionOnly)
        calls = m_model->callsOfRows(selectedRows());
    else
        m_journal.copySince(0, calls);
    const QList<Journal::Device> devices = m_journal.devices(calls.empty() ? quint64(-1) : calls.front().seq);
    return JournalFormat::save(path, JournalFormat::document(devices, calls), error);
}

void JournalPanel::askSave(bool selectionOnly)
{
    if (selectionOnly && selectedRows().isEmpty())
        return;
    const QString path = NoHelpButtonFileDialog::getSaveFileName(
        this, tr("Сохранить журнал"), QStringLiteral("journal.jsonl"),
        tr("Журнал вызовов (*.jsonl);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveJournal(path, selectionOnly, &error))
        NoHelpButtonMessageBox::critical(this, tr("Ошибка"),
                                         tr("Не удалось сохранить журнал в «%1»: %2").arg(path, error));
}

void JournalPanel::clearJournal()
{
    m_journal.clear();
    m_model->reload();
    updateStatus();
}

void JournalPanel::setCapacity(int calls)
{
    m_journal.setCapacity(calls);
    saveOptions();
}

bool JournalPanel::setWriteToFile(bool on, const QString &path, int limitMb, QString *error)
{
    m_limitMb = qMax(1, limitMb);
    m_file = path;
    bool ok = true;
    if (!on) {
        m_writer->stop();
    } else if (!m_writer->isActive() || m_writer->path() != path) {
        ok = m_writer->start(path, qint64(m_limitMb) * 1024 * 1024);
        if (!ok && error)
            *error = m_writer->errorText();
    }
    m_writeToFile = on && ok;
    saveOptions();
    showWriterState();
    return ok;
}

void JournalPanel::showWriterState()
{
    // A file that cannot be written is shown on the status bar button, so
    // it is noticed with the panel closed too.
    const QString problem = m_writer->isActive() ? QString() : m_writer->errorText();
    m_button->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #a00000"));
    m_button->setToolTip(problem.isEmpty() ? toggleViewAction()->toolTip() : problem);
    updateStatus();
}

void JournalPanel::loadOptions()
{
    QSettings settings = options();
    const int capacity = qBound(MinCapacity,
                                settings.value(QStringLiteral("capacity"), CallJournal::DefaultCapacity).toInt(),
                                MaxCapacity);
    if (capacity != m_journal.capacity())
        m_journal.setCapacity(capacity);
    m_file = settings.value(QStringLiteral("file")).toString();
    m_limitMb = qMax(1, settings.value(QStringLiteral("rotateMb"), m_limitMb).toInt());
    m_writeToFile = settings.value(QStringLiteral("writeToFile"), false).toBool() && !m_file.isEmpty();
    if (m_writeToFile && !m_writer->start(m_file, qint64(m_limitMb) * 1024 * 1024))
        qWarning("%s", qPrintable(m_writer->errorText()));
    showWriterState();
}

void JournalPanel::saveOptions() const
{
    QSettings settings = options();
    settings.setValue(QStringLiteral("capacity"), m_journal.capacity());
    settings.setValue(QStringLiteral("file"), m_file);
    settings.setValue(QStringLiteral("rotateMb"), m_limitMb);
    settings.setValue(QStringLiteral("writeToFile"), m_writeToFile);
}

void JournalPanel::showOptions()
{
    NoHelpButtonDialog dialog(this);
    dialog.setObjectName(QStringLiteral("journalOptions"));
    dialog.setWindowTitle(tr("Параметры журнала"));
    auto *form = new QFormLayout(&dialog);

    auto *capacity = new QSpinBox(&dialog);
    capacity->setObjectName(QStringLiteral("spinJournalCapacity"));
    capacity->setRange(MinCapacity, MaxCapacity);
    capacity->setSingleStep(10000);
    capacity->setGroupSeparatorShown(true);
    capacity->setValue(m_journal.capacity());
    form->addRow(tr("Хранить вызовов:"), capacity);

    auto *write = new QCheckBox(tr("Записывать в файл по мере работы"), &dialog);
    write->setObjectName(QStringLiteral("cbJournalWriteFile"));
    write->setChecked(m_writeToFile);
    form->addRow(write);

    auto *fileRow = new QHBoxLayout();
    auto *file = new QLineEdit(m_file, &dialog);
    file->setObjectName(QStringLiteral("leJournalFile"));
    file->setMinimumWidth(320);
    auto *browse = new QToolButton(&dialog);
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, &dialog, [&]() {
        const QString chosen = NoHelpButtonFileDialog::getSaveFileName(
            &dialog, tr("Файл журнала"), file->text().isEmpty() ? QStringLiteral("journal.jsonl") : file->text(),
            tr("Журнал вызовов (*.jsonl);;Все файлы (*)"), nullptr, QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty())
            file->setText(chosen);
    });
    fileRow->addWidget(file, 1);
    fileRow->addWidget(browse);
    form->addRow(tr("Файл:"), fileRow);

    auto *limit = new QSpinBox(&dialog);
    limit->setObjectName(QStringLiteral("spinJournalRotate"));
    limit->setRange(1, 4096);
    limit->setSuffix(tr(" МБ"));
    limit->setValue(m_limitMb);
    form->addRow(tr("Новый файл после:"), limit);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return;
    if (capacity->value() != m_journal.capacity())
        setCapacity(capacity->value());
    const QString path = file->text().trimmed();
    if (write->isChecked() && path.isEmpty()) {
        NoHelpButtonMessageBox::critical(this, tr("Ошибка"), tr("Не указан файл для записи журнала"));
        return;
    }
    QString error;
    if (!setWriteToFile(write->isChecked(), path, limit->value(), &error))
        NoHelpButtonMessageBox::critical(this, tr("Ошибка"), error);
}
