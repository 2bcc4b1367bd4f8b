#include "modules/tablesmodule.h"

#include "core/device.h"
#include "modules/checks.h"
#include "modules/tapelayout.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace vreg {

namespace {

constexpr int kProgrammingMode = 4;

// ---- values

// Tax rates, default discounts and charges, discount values: percents with
// two decimals. Everything else is a whole number.
bool isPercentValue(int n)
{
    return n == 13 || n == 14 || (n >= 15 && n <= 30) || (n >= 84 && n <= 166) || (n >= 236 && n <= 251);
}

// Values the device reports but nobody sets: the device type and the tape
// width, which follow from the model.
bool isReadOnlyValue(int n)
{
    return n == 1 || n == 200;
}

struct Range
{
    qint64 min;
    qint64 max;
};

Range integerRange(int n)
{
    switch (n) {
    case 0: // the register's number in the shop
        return {1, 99};
    case 66: // header lines printed on the receipt tape / control tape
    case 67:
        return {0, 6};
    case 378: // fiscal document format version
        return {1, 4};
    case 390: // default payment type
        return {0, 9};
    case 391: // default receipt type
        return {1, 10};
    default:
        break;
    }
    if (n >= 315 && n <= 330) // tax number of sections 1 to 16
        return {1, 6};
    return {0, 999999999};
}

QVector<double> factoryValues()
{
    QVector<double> v(TablesModule::kValueCount, 0.0);
    const std::initializer_list<std::pair<int, double>> defaults = {
        {0, 1},       // Номер ККТ в магазине
        {1, 1},       // Тип ККТ
        {2, 1},       // payment types 1, 2, 3 allowed
        {3, 1},
        {41, 1},
        {4, 1},       // free prices
        {6, 2},       // digits of entered amounts
        {7, 115200},  // exchange speed with the computer
        {9, 1},       // tax type
        {16, 10},     // tax rates of taxes 1 to 6: 0 %, 10 %, 20 %, none, 10/110, 20/120
        {17, 20},
        {19, 10},
        {20, 20},
        {37, 1},      // print the commodity name, its code, the section name
        {38, 1},
        {39, 1},
        {45, 1},      // print the header and the advertising text
        {47, 8},      // print brightness
        {51, 1},      // cut the receipt when it is finished
        {56, 1},      // print cashier names
        {57, 1},      // print the document's serial number
        {59, 1},      // print the sale receipt's title
        {62, 1},      // receipt and control tape fonts
        {63, 1},
        {64, 1},
        {65, 1},
        {66, 4},      // header lines on the receipt tape and the control tape
        {67, 4},
        {73, 1},      // print the shift-opening document
        {199, 1},     // double-width receipt total
        {200, 57},    // tape width (follows the model)
        {201, 1},
        {202, 10},    // test run: period in seconds, cycles
        {203, 1},
        {227, 1},
        {257, 5555},  // IP port
        {279, 1},     // header centred
        {304, 0},
        {339, 1},     // traditional taxation system
        {352, 1},     // cash control
        {378, 2},     // fiscal document format 1.05
        {379, 1},
        {380, 1},
        {391, 1},     // default receipt: sale
    };
    for (const auto &entry : defaults)
        v[entry.first] = entry.second;
    for (int n = 315; n <= 330; ++n)
        v[n] = 3; // sections pay НДС 20 % unless programmed otherwise
    return v;
}

bool isWhole(double value)
{
    return std::fabs(value - std::round(value)) < 1e-9;
}

bool hasAtMostTwoDecimals(double value)
{
    return std::fabs(value * 100.0 - std::round(value * 100.0)) < 1e-6;
}

QString formatNumber(double value)
{
    return QString::number(value, 'f', isWhole(value) ? 0 : 2);
}

// ---- captions

enum class CaptionKind { Text, Password, Inn, Kpp, Mac, Ipv4 };

CaptionKind captionKind(int n)
{
    if (n >= 6 && n <= 35)
        return CaptionKind::Password;
    if (n == 261 || (n >= 265 && n <= 294))
        return CaptionKind::Inn;
    if (n == 262)
        return CaptionKind::Kpp;
    if (n == 249)
        return CaptionKind::Mac;
    if (n >= 250 && n <= 252)
        return CaptionKind::Ipv4;
    return CaptionKind::Text;
}

// Captions only the programming mode shows: every password.
bool isSecretCaption(int n)
{
    return (n >= 6 && n <= 35) || n == 121 || n == 255 || n == 260;
}

int captionMaxLength(int n)
{
    return (n == 253 || n == 263 || n == 264) ? 256 : 128;
}

QStringList factoryCaptions()
{
    QStringList c;
    for (int n = 0; n < TablesModule::kCaptionCount; ++n)
        c.append(QString());
    // Header: a shop of our own.
    c[0] = QStringLiteral("ООО «Колосок»");
    c[1] = QStringLiteral("Магазин «Колосок»");
    c[2] = QStringLiteral("г. Энск, ул. Полевая, д. 1");
    c[3] = QStringLiteral("Тел. 8 (000) 000-00-00");
    // Passwords: cashiers 1 to 28, the administrator, the system administrator.
    for (int cashier = 1; cashier <= 28; ++cashier)
        c[5 + cashier] = QString::number(cashier);
    c[34] = QStringLiteral("29");
    c[35] = QStringLiteral("58");
    for (int section = 1; section <= 30; ++section)
        c[35 + section] = QStringLiteral("Секция %1").arg(section);
    for (int section = 31; section <= 99; ++section)
        c[91 + section] = QStringLiteral("Секция %1").arg(section);
    // Payment type names: type N of the device is PaymentType N - 1.
    c[66] = QStringLiteral("Наличными");
    c[67] = QStringLiteral("Безналичными");
    c[68] = QStringLiteral("Предоплата");
    for (int type = 5; type <= 10; ++type)
        c[218 + type] = QStringLiteral("Тип оплаты %1").arg(type);
    // Footer.
    c[69] = QStringLiteral("Спасибо за покупку!");
    c[70] = QStringLiteral("Ждём вас снова");
    for (int cashier = 1; cashier <= 28; ++cashier)
        c[88 + cashier] = QStringLiteral("Кассир %1").arg(cashier);
    c[117] = QStringLiteral("Администратор");
    c[118] = QStringLiteral("Системный администратор");
    c[191] = QStringLiteral("Рубль");
    c[201] = QStringLiteral("-");
    c[202] = QStringLiteral("НДС 0%");
    c[203] = QStringLiteral("НДС 10%");
    c[204] = QStringLiteral("НДС 20%");
    c[205] = QStringLiteral("Без НДС");
    c[206] = QStringLiteral("НДС 10/110");
    c[258] = QStringLiteral("НДС 20/120");
    c[249] = QStringLiteral("02:00:00:00:00:01");
    c[250] = QStringLiteral("192.168.1.10");
    c[251] = QStringLiteral("255.255.255.0");
    c[252] = QStringLiteral("192.168.1.1");
    // The organisation printed on fiscal documents.
    c[261] = QStringLiteral("7700000009");
    c[262] = QStringLiteral("770001001");
    c[263] = QStringLiteral("г. Энск, ул. Полевая, д. 1");
    c[264] = QStringLiteral("ООО «Колосок»");
    c[295] = QStringLiteral("0000");
    c[296] = QStringLiteral("www.nalog.gov.ru");
    return c;
}

bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// A password is a number: "007" and "7" are the same password.
QString normalPassword(const QString &text)
{
    QString digits = text;
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

QByteArray ipv4Bytes(const QString &text, bool *ok)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch match = form.match(text);
    QByteArray bytes;
    *ok = match.hasMatch();
    for (int i = 1; *ok && i <= 4; ++i) {
        const int part = match.captured(i).toInt();
        if (part > 255)
            *ok = false;
        bytes.append(char(part));
    }
    return bytes;
}

QByteArray macBytes(const QString &text, bool *ok)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-Fa-f]{2})(:[0-9A-Fa-f]{2}){5}$"));
    *ok = form.match(text).hasMatch();
    return *ok ? QByteArray::fromHex(text.toLatin1().replace(':', "")) : QByteArray();
}

QString fromIpv4Bytes(const QByteArray &bytes)
{
    QStringList parts;
    for (char b : bytes)
        parts.append(QString::number(uchar(b)));
    return parts.join(QLatin1Char('.'));
}

QString fromMacBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(':').toUpper());
}

const char *fieldTypeName(int type)
{
    switch (type) {
    case 0:
        return "Целое (BCD)";
    case 1:
        return "Строка (тип 1)";
    case 2:
        return "Массив байтов";
    case 3:
        return "Целое (BIN)";
    case 4:
        return "Строка (тип 2)";
    default:
        return "";
    }
}

} // namespace

TablesModule::TablesModule(DeviceContext &device)
    : Module(device)
{
    resetState();
    Services &services = device.services();
    services.caption = [this](int number) { return captionAt(number); };
    services.value = [this](int number) { return valueAt(number); };
}

void TablesModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::GetValue, Subject::Tables, [this] { return getValue(); });
    registry.add(Action::SetValue, Subject::Tables, [this] { return setValue(); });
    registry.add(Action::GetCaption, Subject::Tables, [this] { return getCaption(); });
    registry.add(Action::SetCaption, Subject::Tables, [this] { return setCaption(); });
    registry.add(Action::GetField, Subject::Tables, [this] { return getField(); });
    registry.add(Action::SetField, Subject::Tables, [this] { return setField(); });
    registry.add(Action::InitTables, Subject::Service, [this] { return initTables(); });
}

void TablesModule::resetState()
{
    m_values = factoryValues();
    m_captions = factoryCaptions();
    m_storedValues = m_values;
    m_storedCaptions = m_captions;
}

const char *TablesModule::schema() const
{
    // A row for each value or caption that differs from the factory's.
    return R"(
CREATE TABLE IF NOT EXISTS table_values (
    number INTEGER PRIMARY KEY,
    value REAL NOT NULL
);
CREATE TABLE IF NOT EXISTS table_captions (
    number INTEGER PRIMARY KEY,
    text TEXT NOT NULL
);
)";
}

bool TablesModule::load(Database &db, QString *error)
{
    Database::Query values = db.query("SELECT number, value FROM table_values");
    while (values.next()) {
        const qint64 number = values.integer(0);
        if (number < 0 || number >= kValueCount) {
            *error = QStringLiteral("значения %1 у устройства нет").arg(number);
            return false;
        }
        m_values[int(number)] = values.real(1);
    }
    Database::Query captions = db.query("SELECT number, text FROM table_captions");
    while (captions.next()) {
        const qint64 number = captions.integer(0);
        if (number < 0 || number >= kCaptionCount) {
            *error = QStringLiteral("строки %1 у устройства нет").arg(number);
            return false;
        }
        m_captions[int(number)] = captions.text(1);
    }
    if (values.failed() || captions.failed()) {
        *error = db.error();
        return false;
    }
    m_storedValues = m_values;
    m_storedCaptions = m_captions;
    return true;
}

bool TablesModule::store(Database &db)
{
    // Every action asks; nearly always nothing changed, and captions that
    // did not change still share their text with the stored copy.
    if (std::memcmp(m_values.constData(), m_storedValues.constData(), sizeof(double) * size_t(kValueCount)) != 0) {
        for (int i = 0; i < kValueCount; ++i) {
            if (m_values[i] != m_storedValues[i]
                && !db.write("INSERT OR REPLACE INTO table_values (number, value) VALUES (?, ?)", {i, m_values[i]}))
                return false;
        }
        m_storedValues = m_values;
    }
    bool captionsChanged = false;
    for (int i = 0; i < kCaptionCount; ++i) {
        const QString &now = m_captions[i];
        const QString &stored = m_storedCaptions[i];
        if (now.constData() == stored.constData() && now.size() == stored.size())
            continue;
        if (now == stored)
            continue;
        if (!db.write("INSERT OR REPLACE INTO table_captions (number, text) VALUES (?, ?)", {i, now}))
            return false;
        captionsChanged = true;
    }
    if (captionsChanged)
        m_storedCaptions = m_captions;
    return true;
}

bool TablesModule::loadState(const QJsonObject &section, QString *error)
{
    const QJsonArray values = section.value(QStringLiteral("values")).toArray();
    const QJsonArray captions = section.value(QStringLiteral("captions")).toArray();
    if (values.size() > kValueCount || captions.size() > kCaptionCount) {
        *error = QStringLiteral("таблицы длиннее, чем у устройства");
        return false;
    }
    // A memory written by a device with fewer values or captions keeps the
    // factory setting for the rest.
    resetState();
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!values[i].isDouble()) {
            *error = QStringLiteral("значение %1 не число").arg(i);
            return false;
        }
        m_values[int(i)] = values[i].toDouble();
    }
    for (qsizetype i = 0; i < captions.size(); ++i) {
        if (!captions[i].isString()) {
            *error = QStringLiteral("строка %1 не текст").arg(i);
            return false;
        }
        m_captions[int(i)] = captions[i].toString();
    }
    return true;
}

double TablesModule::valueAt(int number) const
{
    if (number < 0 || number >= kValueCount)
        return 0.0;
    if (number == 200)
        return device().settings().model().lineLength >= 48 ? 80.0 : 57.0;
    return m_values[number];
}

QString TablesModule::captionAt(int number) const
{
    if (number < 0 || number >= kCaptionCount)
        return QString();
    return m_captions[number];
}

bool TablesModule::requireProgramming(const QString &what)
{
    const int mode = serviceMode(device().services());
    if (mode == kProgrammingMode)
        return true;
    device().fail(Code::WrongMode,
                  QStringLiteral("%1 возможна только в режиме программирования (4), текущий режим %2")
                      .arg(what)
                      .arg(mode));
    return false;
}

bool TablesModule::readableCaption(int number)
{
    if (!isSecretCaption(number))
        return true;
    return requireProgramming(QStringLiteral("Чтение пароля (строка %1)").arg(number));
}

bool TablesModule::acceptValue(int number, double value, const QString &source)
{
    if (isReadOnlyValue(number)) {
        device().fail(Code::ReadOnlyValue,
                      QStringLiteral("%1: значение %2 задаётся устройством").arg(source).arg(number));
        return false;
    }
    if (!std::isfinite(value)) {
        device().fail(Code::InvalidValue, QStringLiteral("%1: не число").arg(source));
        return false;
    }
    if (isPercentValue(number)) {
        if (value < 0.0 || value > 100.0 || !hasAtMostTwoDecimals(value)) {
            device().fail(Code::InvalidValue,
                          QStringLiteral("%1 = %2: значение %3 — процент от 0 до 100 с двумя знаками после запятой")
                              .arg(source, QString::number(value, 'g', 12))
                              .arg(number));
            return false;
        }
        return true;
    }
    const Range range = integerRange(number);
    if (!isWhole(value) || value < double(range.min) || value > double(range.max)) {
        device().fail(Code::InvalidValue,
                      QStringLiteral("%1 = %2: значение %3 — целое от %4 до %5")
                          .arg(source, QString::number(value, 'g', 12))
                          .arg(number)
                          .arg(range.min)
                          .arg(range.max));
        return false;
    }
    return true;
}

bool TablesModule::acceptCaption(int number, QString *text, const QString &source)
{
    auto reject = [&](const QString &why) {
        device().fail(Code::InvalidValue, QStringLiteral("%1, строка %2: %3").arg(source).arg(number).arg(why));
        return false;
    };
    const int length = int(text->toUcs4().size());
    if (length > captionMaxLength(number))
        return reject(QStringLiteral("длина %1, допустимо до %2 символов").arg(length).arg(captionMaxLength(number)));
    for (uint c : text->toUcs4()) {
        // The text marks (double width, picture, barcode) are kept as they
        // are; other control characters have no meaning on the device.
        if ((c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0B) || c == 0x7F)
            return reject(QStringLiteral("управляющий символ 0x%1 недопустим").arg(c, 2, 16, QLatin1Char('0')));
    }
    bool ok = true;
    switch (captionKind(number)) {
    case CaptionKind::Text:
        return true;
    case CaptionKind::Password: {
        if (text->isEmpty() || text->size() > 8 || !allDigits(*text) || text->toLongLong() == 0)
            return reject(QStringLiteral("пароль — число от 1 до 99999999"));
        *text = normalPassword(*text);
        for (int other = 6; other <= 35; ++other) {
            if (other != number && normalPassword(m_captions[other]) == *text) {
                return reject(QStringLiteral("пароль уже назначен (строка %1)").arg(other));
            }
        }
        return true;
    }
    case CaptionKind::Inn:
        if (!text->isEmpty() && (!allDigits(*text) || (text->size() != 10 && text->size() != 12)))
            return reject(QStringLiteral("ИНН — 10 или 12 цифр"));
        return true;
    case CaptionKind::Kpp:
        if (!text->isEmpty() && (!allDigits(*text) || text->size() != 9))
            return reject(QStringLiteral("КПП — 9 цифр"));
        return true;
    case CaptionKind::Mac:
        macBytes(*text, &ok);
        if (!ok)
            return reject(QStringLiteral("MAC-адрес в виде 02:00:00:00:00:01"));
        *text = text->toUpper();
        return true;
    case CaptionKind::Ipv4:
        ipv4Bytes(*text, &ok);
        if (!ok)
            return reject(QStringLiteral("адрес в виде 192.168.1.10"));
        return true;
    }
    return true;
}

int TablesModule::getValue()
{
    const int number = device().props().ValuePurpose;
    if (!checkRange(device(), "ValuePurpose", number, 0, kValueCount - 1))
        return -1;
    device().props().Value = valueAt(number);
    return 0;
}

int TablesModule::setValue()
{
    PropertyStore &props = device().props();
    const int number = props.ValuePurpose;
    if (!checkRange(device(), "ValuePurpose", number, 0, kValueCount - 1))
        return -1;
    if (!requireProgramming(QStringLiteral("Запись значения %1").arg(number)))
        return -1;
    if (!acceptValue(number, props.Value, QStringLiteral("Value")))
        return -1;
    m_values[number] = props.Value;
    return 0;
}

int TablesModule::getCaption()
{
    PropertyStore &props = device().props();
    const int number = props.CaptionPurpose;
    if (!checkRange(device(), "CaptionPurpose", number, 0, kCaptionCount - 1))
        return -1;
    if (!readableCaption(number))
        return -1;
    props.Caption = captionAt(number);
    return 0;
}

int TablesModule::setCaption()
{
    PropertyStore &props = device().props();
    const int number = props.CaptionPurpose;
    if (!checkRange(device(), "CaptionPurpose", number, 0, kCaptionCount - 1))
        return -1;
    if (!requireProgramming(QStringLiteral("Запись строки %1").arg(number)))
        return -1;
    QString text = props.Caption;
    if (!acceptCaption(number, &text, QStringLiteral("Caption")))
        return -1;
    m_captions[number] = text;
    return 0;
}

bool TablesModule::resolveField(int table, int row, int field, FieldRef *ref)
{
    auto caption = [&](int number, int type) {
        ref->target = FieldRef::ToCaption;
        ref->number = number;
        ref->type = type;
        ref->format = FieldRef::Text;
        return true;
    };
    auto value = [&](int number, int type, FieldRef::Format format) {
        ref->target = FieldRef::ToValue;
        ref->number = number;
        ref->type = type;
        ref->format = format;
        return true;
    };
    auto bytes = [&](int number, int count) {
        ref->target = FieldRef::ToCaption;
        ref->number = number;
        ref->type = 2;
        ref->format = FieldRef::Bytes;
        ref->byteCount = count;
        return true;
    };
    switch (table) {
    case 1: // cashiers: password, name, ИНН
        if (row < 1 || row > 30)
            return false;
        if (field == 1) {
            caption(5 + row, 0);
            ref->format = FieldRef::Integer;
            return true;
        }
        if (field == 2)
            return caption(88 + row, 1);
        if (field == 3)
            return caption(264 + row, 1);
        return false;
    case 2: // header
        return row >= 1 && row <= 6 && field == 1 && caption(row - 1, 1);
    case 3: // text after the document
        if (row < 1 || row > 40 || field != 1)
            return false;
        return caption(row <= 20 ? 68 + row : 208 + row, 1);
    case 4: // sections: name, tax number (sections 1 to 16)
        if (row < 1 || row > 99)
            return false;
        if (field == 1)
            return caption(row <= 30 ? 35 + row : 91 + row, 1);
        if (field == 2 && row <= 16)
            return value(314 + row, 3, FieldRef::Integer);
        return false;
    case 5: // taxes: rate in hundredths of a percent, name
        if (row < 1 || row > 6)
            return false;
        if (field == 1)
            return value(14 + row, 0, FieldRef::Hundredths);
        if (field == 2)
            return caption(row <= 5 ? 201 + row : 258, 1);
        return false;
    case 6: // organisation: ИНН, КПП, address, name
        return row == 1 && field >= 1 && field <= 4 && caption(260 + field, 4);
    case 7: // network: address, mask, gateway, port, MAC address
        if (row != 1)
            return false;
        if (field >= 1 && field <= 3)
            return bytes(249 + field, 4);
        if (field == 4)
            return value(257, 3, FieldRef::Integer);
        if (field == 5)
            return bytes(249, 6);
        return false;
    case 8: // every value, field N + 1 for value N
        if (row != 1 || field < 1 || field > kValueCount)
            return false;
        return isPercentValue(field - 1) ? value(field - 1, 0, FieldRef::Hundredths)
                                         : value(field - 1, 3, FieldRef::Integer);
    default:
        return false;
    }
}

bool TablesModule::checkedField(const QString &typeVerb, FieldRef *ref)
{
    const PropertyStore &props = device().props();
    if (!resolveField(props.Table, props.Row, props.Field, ref)) {
        device().fail(Code::NoSuchField, QStringLiteral("Таблица %1, ряд %2, поле %3 не существует")
                                             .arg(props.Table)
                                             .arg(props.Row)
                                             .arg(props.Field));
        return false;
    }
    if (props.FieldType != ref->type) {
        device().fail(Code::FieldTypeMismatch,
                      QStringLiteral("Поле %1.%2.%3 имеет тип %4 (%5), %6 тип %7")
                          .arg(props.Table)
                          .arg(props.Row)
                          .arg(props.Field)
                          .arg(ref->type)
                          .arg(QString::fromUtf8(fieldTypeName(ref->type)), typeVerb)
                          .arg(props.FieldType));
        return false;
    }
    return true;
}

int TablesModule::getField()
{
    PropertyStore &props = device().props();
    FieldRef ref;
    if (!checkedField(QStringLiteral("запрошен"), &ref))
        return -1;
    if (ref.target == FieldRef::ToCaption && !readableCaption(ref.number))
        return -1;
    bool ok = true;
    switch (ref.format) {
    case FieldRef::Integer:
        props.Caption = ref.target == FieldRef::ToValue ? formatNumber(valueAt(ref.number)) : captionAt(ref.number);
        break;
    case FieldRef::Hundredths:
        props.Caption = QString::number(qRound64(valueAt(ref.number) * 100.0));
        break;
    case FieldRef::Text:
        props.Caption = captionAt(ref.number);
        break;
    case FieldRef::Bytes:
        props.Caption = hexBytes(ref.byteCount == 6 ? macBytes(captionAt(ref.number), &ok)
                                                    : ipv4Bytes(captionAt(ref.number), &ok))
                            .remove(QLatin1Char(' '));
        break;
    }
    return 0;
}

int TablesModule::setField()
{
    PropertyStore &props = device().props();
    FieldRef ref;
    if (!checkedField(QStringLiteral("передан"), &ref))
        return -1;
    const QString where = QStringLiteral("Поле %1.%2.%3").arg(props.Table).arg(props.Row).arg(props.Field);
    if (!requireProgramming(QStringLiteral("Запись поля %1.%2.%3").arg(props.Table).arg(props.Row).arg(props.Field)))
        return -1;
    const QString text = props.Caption;
    switch (ref.format) {
    case FieldRef::Integer:
    case FieldRef::Hundredths: {
        if (text.isEmpty() || text.size() > 10 || !allDigits(text)) {
            return device().fail(Code::InvalidValue,
                                 QStringLiteral("%1: \"%2\" — ожидается целое число без знака").arg(where, text));
        }
        if (ref.target == FieldRef::ToCaption) {
            QString password = text;
            if (!acceptCaption(ref.number, &password, where))
                return -1;
            m_captions[ref.number] = password;
            break;
        }
        const qint64 digits = text.toLongLong();
        const double number = ref.format == FieldRef::Hundredths ? digits / 100.0 : double(digits);
        if (!acceptValue(ref.number, number, where))
            return -1;
        m_values[ref.number] = number;
        break;
    }
    case FieldRef::Text: {
        QString caption = text;
        if (!acceptCaption(ref.number, &caption, where))
            return -1;
        m_captions[ref.number] = caption;
        break;
    }
    case FieldRef::Bytes: {
        QByteArray bytes;
        if (!parseHexBytes(text, &bytes) || bytes.size() != ref.byteCount) {
            return device().fail(Code::InvalidValue,
                                 QStringLiteral("%1: \"%2\" — ожидается %3 байт в шестнадцатеричном виде")
                                     .arg(where, text)
                                     .arg(ref.byteCount));
        }
        m_captions[ref.number] = ref.byteCount == 6 ? fromMacBytes(bytes) : fromIpv4Bytes(bytes);
        break;
    }
    }
    return 0;
}

int TablesModule::initTables()
{
    if (!requireProgramming(QStringLiteral("Инициализация таблиц")))
        return -1;
    const Services &services = device().services();
    if (services.shiftOpen && services.shiftOpen()) {
        return device().fail(Code::ShiftOpen,
                             QStringLiteral("Инициализация таблиц невозможна при открытой смене: "
                                            "закройте смену (Z-отчёт)"));
    }
    resetState();
    if (!services.printDocument)
        return 0;
    const int width = device().props().CharLineLength;
    const QDateTime now = serviceNow(services);
    QStringList lines;
    const QStringList texts = {QStringLiteral("ИНИЦИАЛИЗАЦИЯ ТАБЛИЦ"), now.toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                               QStringLiteral("Таблицы восстановлены"), QStringLiteral("по умолчанию")};
    for (const QString &text : texts)
        lines << tape::placeLine(text, width, tape::AlignCenter);
    return services.printDocument(lines, true);
}

} // namespace vreg
