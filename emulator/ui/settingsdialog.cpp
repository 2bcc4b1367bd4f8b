#include "ui/settingsdialog.h"

#include "core/paper.h"
#include "core/tape.h"
#include "ui/paperview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vreg {

namespace {

// The tape view shows at most the end of a long tape.
constexpr qint64 kTapeViewBytes = 4 * 1024 * 1024;

// Fills a list from a setting's mapping: text shown, key as user data.
void fillChoices(QComboBox *box, DeviceKind kind, const QString &name, const QString &current)
{
    const QStringList items = Settings::description(kind, name).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const int colon = item.indexOf(QLatin1Char(':'));
        box->addItem(item.mid(colon + 1), item.left(colon));
    }
    box->setCurrentIndex(qMax(0, box->findData(current)));
}

QLineEdit *lineEdit(const QString &objectName, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(objectName);
    return edit;
}

} // namespace

SettingsDialog::SettingsDialog(const Settings &settings, const QString &dataFolder, QWidget *parent)
    : QDialog(parent)
    , m_result(settings)
    , m_dataFolder(dataFolder)
{
    setObjectName(QStringLiteral("VirtualRegisterSettings"));
    setWindowTitle(settings.kind() == DeviceKind::FiscalRegister
                       ? QStringLiteral("Настройки виртуальной ККТ")
                       : QStringLiteral("Настройки виртуального принтера чеков"));
    setModal(true);

    auto *pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("twPages"));
    pages->addTab(createConnectionPage(), QStringLiteral("Подключение"));
    pages->addTab(createDevicePage(), QStringLiteral("Устройство"));
    pages->addTab(createTapePage(), QStringLiteral("Лента"));

    m_error = new QLabel;
    m_error->setObjectName(QStringLiteral("lbError"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_error->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("pbtnOk"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("pbtnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    updatePortFields();
    loadTape();
}

QWidget *SettingsDialog::createConnectionPage()
{
    const Settings &s = m_result;
    m_model = new QComboBox;
    m_model->setObjectName(QStringLiteral("cmbModel"));
    fillChoices(m_model, s.kind(), QStringLiteral("Model"), s.value(QStringLiteral("Model")));
    m_port = new QComboBox;
    m_port->setObjectName(QStringLiteral("cmbPort"));
    fillChoices(m_port, s.kind(), QStringLiteral("Port"), s.value(QStringLiteral("Port")));
    m_baudRate = new QComboBox;
    m_baudRate->setObjectName(QStringLiteral("cmbBaudRate"));
    fillChoices(m_baudRate, s.kind(), QStringLiteral("BaudRate"), s.value(QStringLiteral("BaudRate")));
    m_ttySuffix = lineEdit(QStringLiteral("leTTYSuffix"), s.value(QStringLiteral("TTYSuffix")));
    m_ipAddress = lineEdit(QStringLiteral("leIPAddress"), s.value(QStringLiteral("IPAddress")));
    m_ipPort = lineEdit(QStringLiteral("leIPPort"), s.value(QStringLiteral("IPPort")));
    m_macAddress = lineEdit(QStringLiteral("leMACAddress"), s.value(QStringLiteral("MACAddress")));
    connect(m_port, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { updatePortFields(); });

    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(QStringLiteral("Модель:"), m_model);
    form->addRow(QStringLiteral("Порт:"), m_port);
    form->addRow(QStringLiteral("Скорость, бод:"), m_baudRate);
    form->addRow(QStringLiteral("Файл устройства:"), m_ttySuffix);
    form->addRow(QStringLiteral("IP-адрес:"), m_ipAddress);
    form->addRow(QStringLiteral("IP-порт:"), m_ipPort);
    form->addRow(QStringLiteral("MAC-адрес:"), m_macAddress);
    return page;
}

QWidget *SettingsDialog::createDevicePage()
{
    const Settings &s = m_result;
    m_deviceId = lineEdit(QStringLiteral("leDeviceId"), s.deviceId());
    m_deviceId->setReadOnly(true);
    m_deviceId->setToolTip(QStringLiteral("Связывает строку настроек устройства с его папкой данных"));

    m_dataDir = lineEdit(QStringLiteral("leDataDir"), s.value(QStringLiteral("DataDir")));
    m_dataDir->setPlaceholderText(Settings::defaultDataFolder(s.deviceId()));
    m_dataDir->setToolTip(QStringLiteral("Пусто: папка по умолчанию"));
    // Room for the default folder, so the user sees where the data lives.
    m_dataDir->setMinimumWidth(
        qMin(m_dataDir->fontMetrics().horizontalAdvance(m_dataDir->placeholderText()) + 24, 720));
    auto *browse = new QPushButton(QStringLiteral("Обзор..."));
    browse->setObjectName(QStringLiteral("pbtnBrowseDataDir"));
    connect(browse, &QPushButton::clicked, this, [this] { browseDataFolder(); });
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_dataDir, 1);
    folderRow->addWidget(browse);

    m_paperPresent = new QCheckBox(QStringLiteral("Бумага есть"));
    m_paperPresent->setObjectName(QStringLiteral("cbPaperPresent"));
    m_paperPresent->setChecked(s.paperPresent());

    m_scannerPort = new QSpinBox;
    m_scannerPort->setObjectName(QStringLiteral("spinScannerPort"));
    m_scannerPort->setRange(0, 65535);
    m_scannerPort->setSpecialValueText(QStringLiteral("выключен"));
    m_scannerPort->setValue(s.scannerPort());
    m_scannerPort->setToolTip(QStringLiteral("TCP-порт на 127.0.0.1: каждая принятая строка - одно чтение сканера"));

    m_printSpeed = new QSpinBox;
    m_printSpeed->setObjectName(QStringLiteral("spinPrintSpeed"));
    m_printSpeed->setRange(0, 1000);
    m_printSpeed->setSuffix(QStringLiteral(" строк/с"));
    m_printSpeed->setSpecialValueText(QStringLiteral("мгновенно"));
    m_printSpeed->setValue(s.printSpeed());

    m_tapeWindow = new QCheckBox(QStringLiteral("Показывать ленту в отдельном окне"));
    m_tapeWindow->setObjectName(QStringLiteral("cbTapeWindow"));
    m_tapeWindow->setChecked(s.tapeWindow());
    m_tapeWindow->setToolTip(QStringLiteral("Окно не мешает работе: напечатанное появляется в нём, как чек из принтера"));

    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    form->addRow(QStringLiteral("Идентификатор:"), m_deviceId);
    form->addRow(QStringLiteral("Папка данных:"), folderRow);
    form->addRow(QStringLiteral("Датчик бумаги:"), m_paperPresent);
    form->addRow(QStringLiteral("Порт сканера:"), m_scannerPort);
    form->addRow(QStringLiteral("Скорость печати:"), m_printSpeed);
    form->addRow(QStringLiteral("Окно ленты:"), m_tapeWindow);

    if (s.kind() == DeviceKind::FiscalRegister) {
        m_connectionTimeout = new QSpinBox;
        m_connectionTimeout->setObjectName(QStringLiteral("spinConnectionTimeout"));
        m_connectionTimeout->setRange(10, 120000);
        m_connectionTimeout->setSuffix(QStringLiteral(" мс"));
        m_connectionTimeout->setValue(s.connectionTimeout());
        m_connectionTimeout->setToolTip(
            QStringLiteral("Сколько модем и Wi-Fi ждут соединения, отправки и ответа"));
        m_pinPadAnswer = lineEdit(QStringLiteral("lePinPadAnswer"), s.value(QStringLiteral("PinPadAnswer")));
        m_pinPadAnswer->setPlaceholderText(QStringLiteral("пусто: эхо команды"));
        m_pinPadAnswer->setToolTip(QStringLiteral("Ответ на каждую команду; \\r, \\n, \\t, \\\\ и \\xNN - байты"));
        form->addRow(QStringLiteral("Тайм-аут модема и Wi-Fi:"), m_connectionTimeout);
        form->addRow(QStringLiteral("Ответ пин-пада:"), m_pinPadAnswer);
    }
    return page;
}

QWidget *SettingsDialog::createTapePage()
{
    m_tapePath = new QLabel;
    m_tapePath->setObjectName(QStringLiteral("lbTapePath"));
    m_tapePath->setWordWrap(true);
    m_tapePath->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_tape = new QPlainTextEdit;
    m_tape->setObjectName(QStringLiteral("teTape"));
    m_tape->setReadOnly(true);
    m_tape->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_tape->setFont(fixed);
    // Wide enough for a line of the widest model, plus the scroll bar.
    const QFontMetrics metrics(fixed);
    m_tape->setMinimumWidth(metrics.horizontalAdvance(QString(50, QLatin1Char('0')))
                            + m_tape->verticalScrollBar()->sizeHint().width() + 12);
    m_tape->setMinimumHeight(metrics.lineSpacing() * 14);

    auto *refresh = new QPushButton(QStringLiteral("Обновить"));
    refresh->setObjectName(QStringLiteral("pbtnRefreshTape"));
    connect(refresh, &QPushButton::clicked, this, [this] { loadTape(); });
    m_clearTape = new QPushButton(QStringLiteral("Очистить ленту"));
    m_clearTape->setObjectName(QStringLiteral("pbtnClearTape"));
    connect(m_clearTape, &QPushButton::clicked, this, [this] { clearTape(); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    buttons->addWidget(m_clearTape);

    // The same tape as paper: the pictures of the last documents.
    m_paper = new PaperView;
    m_paper->setMinimumHeight(m_tape->minimumHeight());
    auto *views = new QSplitter(Qt::Horizontal);
    views->setObjectName(QStringLiteral("splitTape"));
    views->addWidget(m_tape);
    views->addWidget(m_paper);
    views->setChildrenCollapsible(false);

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_tapePath);
    layout->addWidget(views, 1);
    layout->addLayout(buttons);
    return page;
}

void SettingsDialog::updatePortFields()
{
    const QString port = m_port->currentData().toString();
    const bool serial = port.startsWith(QLatin1String("COM"));
    const bool file = port == QLatin1String("TTY");
    const bool network = port == QLatin1String("TCP") || port == QLatin1String("UDP");
    m_baudRate->setEnabled(serial || file);
    m_ttySuffix->setEnabled(file);
    m_ipAddress->setEnabled(network);
    m_ipPort->setEnabled(network);
    m_macAddress->setEnabled(port == QLatin1String("BT"));
}

void SettingsDialog::loadTape()
{
    const VirtualTape tape(m_dataFolder);
    bool cut = false;
    const QString text = tape.read(kTapeViewBytes, &cut);
    m_tapePath->setText(cut ? QStringLiteral("%1 (показан конец ленты)").arg(tape.path()) : tape.path());
    m_tape->setPlainText(text);
    m_tape->moveCursor(QTextCursor::End);
    m_paper->loadFolder(m_dataFolder);
    m_clearTape->setEnabled(!text.isEmpty() || !m_paper->documents().isEmpty());
}

void SettingsDialog::clearTape()
{
    QString error;
    if (!VirtualTape(m_dataFolder).clear(&error))
        showError(error);
    // The paper goes with the text.
    for (const QString &document : PaperTape::documents(m_dataFolder)) {
        if (!QFile::remove(document)) {
            showError(QStringLiteral("Не удалось удалить %1").arg(document));
            break;
        }
    }
    loadTape();
}

void SettingsDialog::browseDataFolder()
{
    const QString start = m_dataDir->text().isEmpty() ? m_dataDir->placeholderText() : m_dataDir->text();
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Папка данных устройства"), start);
    if (!folder.isEmpty())
        m_dataDir->setText(folder);
}

void SettingsDialog::showError(const QString &text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

bool SettingsDialog::collect(Settings *out, QString *error) const
{
    const std::pair<QString, QString> values[] = {
        {QStringLiteral("Model"), m_model->currentData().toString()},
        {QStringLiteral("Port"), m_port->currentData().toString()},
        {QStringLiteral("BaudRate"), m_baudRate->currentData().toString()},
        {QStringLiteral("TTYSuffix"), m_ttySuffix->text()},
        {QStringLiteral("IPAddress"), m_ipAddress->text()},
        {QStringLiteral("IPPort"), m_ipPort->text()},
        {QStringLiteral("MACAddress"), m_macAddress->text()},
        {QStringLiteral("DataDir"), m_dataDir->text().trimmed()},
        {QStringLiteral("PaperPresent"), m_paperPresent->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("ScannerPort"), QString::number(m_scannerPort->value())},
        {QStringLiteral("PrintSpeed"), QString::number(m_printSpeed->value())},
        {QStringLiteral("TapeWindow"), m_tapeWindow->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
    };
    for (const auto &value : values) {
        if (!out->setValue(value.first, value.second, error))
            return false;
    }
    if (m_connectionTimeout
        && (!out->setValue(QStringLiteral("ConnectionTimeout"), QString::number(m_connectionTimeout->value()), error)
            || !out->setValue(QStringLiteral("PinPadAnswer"), m_pinPadAnswer->text(), error)))
        return false;
    return true;
}

void SettingsDialog::accept()
{
    Settings edited = m_result;
    QString error;
    if (!collect(&edited, &error)) {
        showError(error);
        return;
    }
    m_result = edited;
    QDialog::accept();
}

} // namespace vreg
