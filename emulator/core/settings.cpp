#include "core/settings.h"

#include "core/bytetext.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUuid>

#include <utility>

namespace vreg {

namespace {

enum class Type {
    Choice,   // one of the keys of the setting's mapping
    Text,     // free text
    Number,   // decimal integer in [min, max]
    Flag,     // "0" or "1"
    Identity, // the device identity: a safe folder name
    Folder,   // empty or an absolute path
    Bytes,    // bytes in the peripherals' notation (core/bytetext.h)
};

struct Definition
{
    const char *name;
    Type type;
    int min;
    int max;
};

// The order here is the order of names() and of the README.
const Definition kDefinitions[] = {
    {"Model", Type::Choice, 0, 0},
    {"Port", Type::Choice, 0, 0},
    {"BaudRate", Type::Choice, 0, 0},
    {"TTYSuffix", Type::Text, 0, 0},
    {"IPAddress", Type::Text, 0, 0},
    {"IPPort", Type::Text, 0, 0},
    {"MACAddress", Type::Text, 0, 0},
    {"SearchDir", Type::Text, 0, 0},
    {"DataDir", Type::Folder, 0, 0},
    {"DeviceId", Type::Identity, 0, 0},
    {"PaperPresent", Type::Flag, 0, 1},
    {"ScannerPort", Type::Number, 0, 65535},
    {"PrintSpeed", Type::Number, 0, 1000},
    {"ConnectionTimeout", Type::Number, 10, 120000},
    {"PinPadAnswer", Type::Bytes, 0, 1024},
    {"TapeWindow", Type::Flag, 0, 1},
};

// Free texts are paths and addresses; anything longer is a mistake.
constexpr int kMaxTextLength = 32767;

const Definition *findDefinition(const QString &name)
{
    for (const Definition &definition : kDefinitions) {
        if (name == QLatin1String(definition.name))
            return &definition;
    }
    return nullptr;
}

using Choices = std::vector<std::pair<QString, QString>>;

Choices modelChoices(DeviceKind kind)
{
    Choices result;
    for (const ModelInfo &model : models(kind))
        result.emplace_back(QString::number(model.code), QString::fromUtf8(model.name));
    return result;
}

// Every port text the bench distinguishes when it names a device: the COM
// ports, a device file, TCP/IP and UDP/IP, Bluetooth and a USB port.
Choices portChoices()
{
    Choices result;
    for (int i = 1; i <= 8; ++i)
        result.emplace_back(QStringLiteral("COM%1").arg(i), QStringLiteral("COM%1").arg(i));
    result.emplace_back(QStringLiteral("TTY"), QStringLiteral("Файл устройства"));
    result.emplace_back(QStringLiteral("TCP"), QStringLiteral("TCP/IP"));
    result.emplace_back(QStringLiteral("UDP"), QStringLiteral("UDP/IP"));
    result.emplace_back(QStringLiteral("BT"), QStringLiteral("Bluetooth"));
    result.emplace_back(QStringLiteral("USB"), QStringLiteral("USB:VREG"));
    return result;
}

Choices baudChoices()
{
    Choices result;
    for (int rate : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        result.emplace_back(QString::number(rate), QString::number(rate));
    return result;
}

Choices choicesOf(DeviceKind kind, const QString &name)
{
    if (name == QLatin1String("Model"))
        return modelChoices(kind);
    if (name == QLatin1String("Port"))
        return portChoices();
    if (name == QLatin1String("BaudRate"))
        return baudChoices();
    if (name == QLatin1String("PaperPresent"))
        return {{QStringLiteral("0"), QStringLiteral("Нет бумаги")},
                {QStringLiteral("1"), QStringLiteral("Бумага есть")}};
    if (name == QLatin1String("ScannerPort"))
        return {{QStringLiteral("0"), QStringLiteral("Выключен")}};
    if (name == QLatin1String("PrintSpeed"))
        return {{QStringLiteral("0"), QStringLiteral("Мгновенно")}};
    if (name == QLatin1String("TapeWindow"))
        return {{QStringLiteral("0"), QStringLiteral("Не показывать")},
                {QStringLiteral("1"), QStringLiteral("Показывать окно ленты")}};
    return {};
}

// A value quoted for a detail text, shortened when long.
QString quoted(const QString &value)
{
    const int shown = 60;
    return QLatin1Char('"')
        + (value.size() > shown ? value.left(shown) + QStringLiteral("…") : value)
        + QLatin1Char('"');
}

bool validate(DeviceKind kind, const Definition &definition, const QString &value, QString *canonical,
              QString *detail)
{
    const QString name = QLatin1String(definition.name);
    *canonical = value;
    if (value.size() > kMaxTextLength) {
        *detail = QStringLiteral("%1: значение длиннее %2 символов").arg(name).arg(kMaxTextLength);
        return false;
    }
    switch (definition.type) {
    case Type::Choice:
        for (const auto &choice : choicesOf(kind, name)) {
            if (choice.first == value)
                return true;
        }
        *detail = QStringLiteral("%1: значения %2 нет в списке допустимых").arg(name, quoted(value));
        return false;
    case Type::Text:
        return true;
    case Type::Number:
    case Type::Flag: {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
        const bool isNumber = digits.match(value).hasMatch();
        const int number = isNumber ? value.toInt() : -1;
        if (!isNumber || number < definition.min || number > definition.max) {
            *detail = QStringLiteral("%1: ожидается целое число от %2 до %3, получено %4")
                          .arg(name)
                          .arg(definition.min)
                          .arg(definition.max)
                          .arg(quoted(value));
            return false;
        }
        *canonical = QString::number(number);
        return true;
    }
    case Type::Identity: {
        // The identity names the default data folder, so it must be a plain
        // folder name that cannot lead anywhere else.
        static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._-]{0,63}$"));
        if (!safe.match(value).hasMatch()) {
            *detail = QStringLiteral("%1: ожидаются латинские буквы, цифры, точки, дефисы "
                                     "и подчеркивания (до 64 символов), получено %2")
                          .arg(name, quoted(value));
            return false;
        }
        return true;
    }
    case Type::Bytes: {
        QByteArray bytes;
        QString why;
        if (!bytesFromText(value, &bytes, &why)) {
            *detail = QStringLiteral("%1: %2").arg(name, why);
            return false;
        }
        if (bytes.size() > definition.max) {
            *detail = QStringLiteral("%1: не больше %2 байт, получено %3").arg(name).arg(definition.max).arg(bytes.size());
            return false;
        }
        return true;
    }
    case Type::Folder:
        if (!value.isEmpty() && !QDir::isAbsolutePath(value)) {
            *detail = QStringLiteral("%1: ожидается полный путь к папке или пустое значение, получено %2")
                          .arg(name, quoted(value));
            return false;
        }
        return true;
    }
    return false;
}

QMap<QString, QString> factoryValues(DeviceKind kind)
{
    QMap<QString, QString> values;
    values.insert(QStringLiteral("Model"), QString::number(models(kind).front().code));
    values.insert(QStringLiteral("Port"), QStringLiteral("USB"));
    values.insert(QStringLiteral("BaudRate"), QStringLiteral("115200"));
    values.insert(QStringLiteral("TTYSuffix"), QStringLiteral("ttyACM0"));
    values.insert(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1"));
    values.insert(QStringLiteral("IPPort"), QStringLiteral("5555"));
    values.insert(QStringLiteral("MACAddress"), QStringLiteral("02:00:00:00:00:01"));
    values.insert(QStringLiteral("SearchDir"), QString());
    values.insert(QStringLiteral("DataDir"), QString());
    values.insert(QStringLiteral("DeviceId"), QString());
    values.insert(QStringLiteral("PaperPresent"), QStringLiteral("1"));
    values.insert(QStringLiteral("ScannerPort"), QStringLiteral("0"));
    values.insert(QStringLiteral("PrintSpeed"), QStringLiteral("20"));
    values.insert(QStringLiteral("ConnectionTimeout"), QStringLiteral("5000"));
    values.insert(QStringLiteral("PinPadAnswer"), QString());
    values.insert(QStringLiteral("TapeWindow"), QStringLiteral("0"));
    return values;
}

} // namespace

const std::vector<ModelInfo> &models(DeviceKind kind)
{
    static const std::vector<ModelInfo> registers = {
        {1, "Виртуальная ККТ 57 мм", 32, 384},
        {2, "Виртуальная ККТ 80 мм", 48, 576},
    };
    static const std::vector<ModelInfo> printers = {
        {51, "Виртуальный принтер чеков 57 мм", 32, 384},
        {52, "Виртуальный принтер чеков 80 мм", 48, 576},
    };
    return kind == DeviceKind::FiscalRegister ? registers : printers;
}

Settings::Settings(DeviceKind kind)
    : m_kind(kind)
    , m_values(factoryValues(kind))
{
    m_values.insert(QStringLiteral("DeviceId"), newDeviceId());
}

QStringList Settings::names()
{
    QStringList result;
    for (const Definition &definition : kDefinitions)
        result << QLatin1String(definition.name);
    return result;
}

bool Settings::isKnown(const QString &name)
{
    return findDefinition(name) != nullptr;
}

QString Settings::description(DeviceKind kind, const QString &name)
{
    QString mapping;
    for (const auto &choice : choicesOf(kind, name))
        mapping += choice.first + QLatin1Char(':') + choice.second + QLatin1Char(';');
    return mapping;
}

QString Settings::value(const QString &name) const
{
    return m_values.value(name);
}

bool Settings::setValue(const QString &name, const QString &value, QString *detail)
{
    const Definition *definition = findDefinition(name);
    QString ignored;
    QString &why = detail ? *detail : ignored;
    if (!definition) {
        why = QStringLiteral("Настройка %1 неизвестна").arg(quoted(name));
        return false;
    }
    QString canonical;
    if (!validate(m_kind, *definition, value, &canonical, &why))
        return false;
    m_values.insert(name, canonical);
    return true;
}

QString Settings::toString() const
{
    QJsonObject object;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        object.insert(it.key(), it.value());
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool Settings::fromString(const QString &text, QString *detail)
{
    QString ignored;
    QString &why = detail ? *detail : ignored;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        why = error.error != QJsonParseError::NoError
            ? QStringLiteral("Строка настроек не читается: %1 (позиция %2)")
                  .arg(error.errorString())
                  .arg(error.offset)
            : QStringLiteral("Строка настроек должна быть объектом JSON");
        return false;
    }
    const QJsonObject object = document.object();
    QMap<QString, QString> values = factoryValues(m_kind);
    values.insert(QStringLiteral("DeviceId"), deviceId());
    for (const Definition &definition : kDefinitions) {
        const QString name = QLatin1String(definition.name);
        if (!object.contains(name))
            continue;
        const QJsonValue item = object.value(name);
        if (!item.isString()) {
            why = QStringLiteral("%1: значение должно быть строкой").arg(name);
            return false;
        }
        QString canonical;
        if (!validate(m_kind, definition, item.toString(), &canonical, &why))
            return false;
        values.insert(name, canonical);
    }
    m_values = values;
    return true;
}

const ModelInfo &Settings::model() const
{
    const int code = value(QStringLiteral("Model")).toInt();
    for (const ModelInfo &model : models(m_kind)) {
        if (model.code == code)
            return model;
    }
    return models(m_kind).front();
}

QString Settings::deviceId() const
{
    return value(QStringLiteral("DeviceId"));
}

bool Settings::paperPresent() const
{
    return value(QStringLiteral("PaperPresent")) == QLatin1String("1");
}

int Settings::scannerPort() const
{
    return value(QStringLiteral("ScannerPort")).toInt();
}

int Settings::printSpeed() const
{
    return value(QStringLiteral("PrintSpeed")).toInt();
}

int Settings::connectionTimeout() const
{
    return value(QStringLiteral("ConnectionTimeout")).toInt();
}

QByteArray Settings::pinPadAnswer() const
{
    QByteArray bytes;
    QString ignored;
    bytesFromText(value(QStringLiteral("PinPadAnswer")), &bytes, &ignored);
    return bytes;
}

bool Settings::tapeWindow() const
{
    return value(QStringLiteral("TapeWindow")) == QLatin1String("1");
}

QString Settings::dataFolder() const
{
    const QString configured = value(QStringLiteral("DataDir"));
    return configured.isEmpty() ? defaultDataFolder(deviceId()) : QDir::cleanPath(configured);
}

QString Settings::defaultDataFolder(const QString &deviceId)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/virtual-register/") + deviceId;
}

QString Settings::newDeviceId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace vreg
