#include "journalformat.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

using Journal::Call;
using Journal::Kind;
using Journal::Type;

namespace JournalFormat {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JournalFormat", text);
}

// ---- numbers and times ------------------------------------------------------

// The shortest text that reads back as the same double.
QByteArray shortestDouble(double value)
{
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(written.ptr - buffer));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Proleptic Gregorian calendar, days since 1970-01-01.
void civilFromDays(qint64 days, int *year, int *month, int *day)
{
    days += 719468;
    const qint64 era = floorDiv(days, 146097);
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    *day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    *month = int(mp < 10 ? mp + 3 : mp - 9);
    *year = int(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

qint64 daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = floorDiv(year, 400);
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

QByteArray isoTime(qint64 us)
{
    const qint64 seconds = floorDiv(us, 1000000);
    const int micro = int(us - seconds * 1000000);
    const qint64 days = floorDiv(seconds, 86400);
    const int secondOfDay = int(seconds - days * 86400);
    int year = 0, month = 0, day = 0;
    civilFromDays(days, &year, &month, &day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06dZ", year, month, day,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60, micro);
    return QByteArray(text);
}

bool parseIsoTime(const QString &text, qint64 *us)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, micro = 0;
    char zone = 0;
    const QByteArray latin = text.toLatin1();
    if (std::sscanf(latin.constData(), "%d-%d-%dT%d:%d:%d.%6d%c", &year, &month, &day, &hour, &minute,
                    &second, &micro, &zone)
            != 8
        || zone != 'Z' || year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0
        || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60 || micro < 0)
        return false;
    *us = ((daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second) * 1000000) + micro;
    return true;
}

// ---- JSON -------------------------------------------------------------------

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

void appendHex4(QByteArray &out, char16_t unit)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", unsigned(unit));
    out += text;
}

// Every character survives: control characters (the print marks among them)
// and lone surrogates as \u escapes, the rest as UTF-8.
void appendString(QByteArray &out, const QString &text)
{
    out += '"';
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
            continue;
        }
        switch (unit) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        default:
            if (unit < 0x20 || unit == 0x7F || QChar::isSurrogate(unit) || unit == 0x2028 || unit == 0x2029)
                appendHex4(out, unit);
            else
                appendUtf8(out, unit);
        }
    }
    out += '"';
}

void appendKey(QByteArray &out, const char *key)
{
    if (out.size() > 1)
        out += ',';
    out += '"';
    out += key;
    out += "\":";
}

void appendDoubleValue(QByteArray &out, double value)
{
    if (std::isnan(value))
        out += "\"nan\"";
    else if (std::isinf(value))
        out += value > 0 ? "\"inf\"" : "\"-inf\"";
    else if (value == 0 && std::signbit(value))
        out += "\"-0\""; // the toolkit reads any -0 number as the integer 0
    else
        out += shortestDouble(value);
}

const char *typeName(Type type)
{
    switch (type) {
    case Type::Int: return "int";
    case Type::Double: return "double";
    case Type::Text: return "text";
    case Type::Date: return "date";
    case Type::Time: return "time";
    case Type::None: break;
    }
    return "";
}

QByteArray kindOfDevice(int kind)
{
    switch (kind) {
    case 0: return "\"fiscal\"";
    case 1: return "\"receipt\"";
    default: return QByteArray::number(kind);
    }
}

void appendValue(QByteArray &out, const Call &call)
{
    switch (call.operation().type) {
    case Type::Int:
        out += QByteArray::number(call.ints[0]);
        break;
    case Type::Double:
        appendDoubleValue(out, call.number);
        break;
    case Type::Text:
        appendString(out, call.text);
        break;
    case Type::Date:
    case Type::Time:
        out += '[';
        out += QByteArray::number(call.ints[0]) + ',' + QByteArray::number(call.ints[1]) + ','
            + QByteArray::number(call.ints[2]);
        out += ']';
        break;
    case Type::None:
        break;
    }
}

} // namespace

// ---- writing ----------------------------------------------------------------

QByteArray deviceLine(const Journal::Device &device)
{
    QByteArray out("{");
    appendKey(out, "record");
    out += "\"device\"";
    appendKey(out, "device_id");
    out += QByteArray::number(device.id);
    appendKey(out, "device");
    appendString(out, device.name);
    appendKey(out, "device_kind");
    out += kindOfDevice(device.kind);
    if (!device.library.isEmpty()) {
        appendKey(out, "library");
        appendString(out, device.library);
    }
    if (!device.settings.isEmpty()) {
        appendKey(out, "settings");
        appendString(out, device.settings);
    }
    out += '}';
    return out;
}

QByteArray callLine(const Call &call)
{
    const Journal::Operation &op = call.operation();
    QByteArray out("{");
    out.reserve(256);
    appendKey(out, "record");
    out += "\"call\"";
    appendKey(out, "n");
    out += QByteArray::number(call.seq);
    appendKey(out, "time");
    out += '"' + isoTime(call.timeUs) + '"';
    appendKey(out, "device_id");
    out += QByteArray::number(call.deviceId);
    appendKey(out, "device");
    appendString(out, call.device);
    appendKey(out, "thread");
    out += call.thread == Journal::Thread::Gui ? "\"gui\"" : "\"worker\"";
    if (call.group) {
        appendKey(out, "group_id");
        out += QByteArray::number(call.group);
        appendKey(out, "group");
        appendString(out, call.groupName);
    }
    appendKey(out, "op");
    out += '"';
    out += op.name;
    out += '"';
    appendKey(out, "kind");
    out += '"';
    out += Journal::kindName(op.kind);
    out += '"';
    if (op.named) {
        appendKey(out, "setting");
        appendString(out, call.settingName);
    }
    if (op.type != Type::None) {
        appendKey(out, "value_type");
        out += '"';
        out += typeName(op.type);
        out += '"';
        appendKey(out, "value");
        appendValue(out, call);
    }
    if (op.kind == Kind::Getter && op.type == Type::Text) {
        appendKey(out, "capacity");
        out += QByteArray::number(call.capacity);
    }
    appendKey(out, "result");
    out += QByteArray::number(call.result);
    if (op.kind != Kind::Getter && call.result < 0) {
        appendKey(out, "code");
        out += QByteArray::number(call.code);
        appendKey(out, "description");
        appendString(out, call.description);
    }
    if (!call.settings.isEmpty()) {
        appendKey(out, "settings");
        appendString(out, call.settings);
    }
    appendKey(out, "duration_us");
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.3f", double(call.durationNs) / 1000.0);
    out += duration;
    out += '}';
    return out;
}

QByteArray gapLine(quint64 lost)
{
    return "{\"record\":\"gap\",\"lost\":" + QByteArray::number(lost) + '}';
}

QByteArray endLine(quint64 calls)
{
    return "{\"record\":\"end\",\"calls\":" + QByteArray::number(calls) + '}';
}

QByteArray document(const QList<Journal::Device> &devices, const std::vector<Call> &calls)
{
    QByteArray out;
    QList<int> used;
    for (const Call &call : calls) {
        if (!used.contains(call.deviceId))
            used.append(call.deviceId);
    }
    for (const Journal::Device &device : devices) {
        if (used.contains(device.id))
            out += deviceLine(device) + '\n';
    }
    for (const Call &call : calls)
        out += callLine(call) + '\n';
    out += endLine(calls.size()) + '\n';
    return out;
}

bool save(const QString &path, const QByteArray &content, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// ---- reading ----------------------------------------------------------------

QString ParseError::toString() const
{
    return tr("строка %1, столбец %2: %3").arg(line).arg(column).arg(message);
}

namespace {

// Column (from 1, in characters) of a byte offset of a UTF-8 line.
int columnOf(const QByteArray &line, int offset)
{
    int end = qBound(0, offset, int(line.size()));
    // Half a character before the offset is not a column of its own.
    int start = end;
    while (start > 0 && (uchar(line.at(start - 1)) & 0xC0) == 0x80)
        --start;
    if (start > 0 && uchar(line.at(start - 1)) >= 0xC0) {
        const uchar lead = uchar(line.at(start - 1));
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (end - (start - 1) < length)
            end = start - 1;
    }
    return int(QString::fromUtf8(line.left(end)).size()) + 1;
}

class LineReader
{
public:
    LineReader(const QByteArray &line, const QJsonObject &object, ParseError *error)
        : m_line(line), m_object(object), m_error(error)
    {
    }

    bool fail(const char *key, const QString &message)
    {
        const int at = key ? int(m_line.indexOf(QByteArray("\"") + key + '"')) : -1;
        m_error->column = at >= 0 ? columnOf(m_line, at) : 1;
        m_error->message = message;
        return false;
    }

    bool has(const char *key) const { return m_object.contains(QLatin1String(key)); }

    bool integer(const char *key, qint64 *value, qint64 low, qint64 high, bool required = true)
    {
        const QJsonValue item = m_object.value(QLatin1String(key));
        if (item.isUndefined() && !required)
            return true;
        const double number = item.toDouble();
        if (!item.isDouble() || number != std::floor(number) || number < double(low) || number > double(high))
            return fail(key, tr("«%1» должно быть целым числом").arg(QLatin1String(key)));
        *value = item.toInteger();
        return true;
    }

    bool integer(const char *key, int *value, bool required = true)
    {
        qint64 wide = *value;
        if (!integer(key, &wide, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), required))
            return false;
        *value = int(wide);
        return true;
    }

    bool text(const char *key, QString *value, bool required = false)
    {
        const QJsonValue item = m_object.value(QLatin1String(key));
        if (item.isUndefined() && !required)
            return true;
        if (!item.isString())
            return fail(key, tr("«%1» должно быть строкой").arg(QLatin1String(key)));
        *value = item.toString();
        return true;
    }

    bool number(const char *key, double *value)
    {
        const QJsonValue item = m_object.value(QLatin1String(key));
        if (item.isDouble()) {
            *value = item.toDouble();
            return true;
        }
        const QString special = item.toString();
        if (special == QLatin1String("nan"))
            *value = std::numeric_limits<double>::quiet_NaN();
        else if (special == QLatin1String("inf"))
            *value = std::numeric_limits<double>::infinity();
        else if (special == QLatin1String("-inf"))
            *value = -std::numeric_limits<double>::infinity();
        else if (special == QLatin1String("-0"))
            *value = -0.0;
        else
            return fail(key, tr("«%1» должно быть числом").arg(QLatin1String(key)));
        return true;
    }

    bool triple(const char *key, int *values)
    {
        const QJsonArray items = m_object.value(QLatin1String(key)).toArray();
        if (!m_object.value(QLatin1String(key)).isArray() || items.size() != 3)
            return fail(key, tr("«%1» должно быть списком из трёх целых чисел").arg(QLatin1String(key)));
        for (int i = 0; i < 3; ++i) {
            const double number = items.at(i).toDouble();
            if (!items.at(i).isDouble() || number != std::floor(number)
                || std::fabs(number) > double(std::numeric_limits<int>::max()))
                return fail(key, tr("«%1» должно быть списком из трёх целых чисел").arg(QLatin1String(key)));
            values[i] = int(number);
        }
        return true;
    }

private:
    const QByteArray &m_line;
    const QJsonObject &m_object;
    ParseError *m_error;
};

bool readDevice(LineReader &reader, const QJsonObject &object, Journal::Device *device)
{
    if (!reader.integer("device_id", &device->id))
        return false;
    if (device->id < 1)
        return reader.fail("device_id", tr("номер устройства должен быть больше нуля"));
    const QJsonValue kind = object.value(QLatin1String("device_kind"));
    if (kind.toString() == QLatin1String("fiscal"))
        device->kind = 0;
    else if (kind.toString() == QLatin1String("receipt"))
        device->kind = 1;
    else if (!reader.integer("device_kind", &device->kind))
        return false;
    return reader.text("device", &device->name) && reader.text("library", &device->library)
        && reader.text("settings", &device->settings);
}

bool readCall(LineReader &reader, const QJsonObject &object, Call *call)
{
    QString name;
    QString kindText;
    Kind kind = Kind::Action;
    if (!reader.text("op", &name, true) || !reader.text("kind", &kindText, true))
        return false;
    if (!Journal::kindFromName(kindText, &kind))
        return reader.fail("kind", tr("неизвестный вид вызова «%1»").arg(kindText));
    const int id = Journal::findOperation(name, kind);
    if (id < 0)
        return reader.fail("op", tr("неизвестная операция «%1» (%2)").arg(name, kindText));
    call->op = quint16(id);
    const Journal::Operation &op = call->operation();

    qint64 seq = 0;
    if (!reader.integer("n", &seq, 0, std::numeric_limits<qint64>::max(), false)
        || !reader.integer("device_id", &call->deviceId) || !reader.integer("result", &call->result))
        return false;
    call->seq = quint64(seq);
    if (call->deviceId < 1)
        return reader.fail("device_id", tr("номер устройства должен быть больше нуля"));

    QString time;
    if (!reader.text("time", &time))
        return false;
    if (!time.isEmpty() && !parseIsoTime(time, &call->timeUs))
        return reader.fail("time", tr("время должно быть в виде 2024-01-31T12:00:00.000000Z"));
    QString thread;
    if (!reader.text("thread", &thread))
        return false;
    call->thread = thread == QLatin1String("worker") ? Journal::Thread::Worker : Journal::Thread::Gui;
    qint64 group = 0;
    if (!reader.integer("group_id", &group, 0, std::numeric_limits<qint64>::max(), false)
        || !reader.text("group", &call->groupName) || !reader.text("device", &call->device))
        return false;
    call->group = quint64(group);

    if (op.named && !reader.text("setting", &call->settingName, true))
        return false;
    if (op.type != Type::None) {
        QString type;
        if (!reader.text("value_type", &type, true))
            return false;
        if (type != QLatin1String(typeName(op.type)))
            return reader.fail("value_type", tr("у операции %1 значение типа %2, а не «%3»")
                                                 .arg(name, QLatin1String(typeName(op.type)), type));
        if (!reader.has("value"))
            return reader.fail(nullptr, tr("нет значения («value»)"));
        bool ok = true;
        switch (op.type) {
        case Type::Int: ok = reader.integer("value", &call->ints[0]); break;
        case Type::Double: ok = reader.number("value", &call->number); break;
        case Type::Text: ok = reader.text("value", &call->text, true); break;
        case Type::Date:
        case Type::Time: ok = reader.triple("value", call->ints); break;
        case Type::None: break;
        }
        if (!ok)
            return false;
    }
    if (op.kind == Kind::Getter && op.type == Type::Text && !reader.integer("capacity", &call->capacity))
        return false;
    if (!reader.integer("code", &call->code, false) || !reader.text("description", &call->description)
        || !reader.text("settings", &call->settings))
        return false;
    call->failed = op.kind != Kind::Getter && call->result < 0 && call->code != 0;
    if (object.contains(QLatin1String("duration_us"))) {
        double duration = 0;
        if (!reader.number("duration_us", &duration))
            return false;
        call->durationNs = qint64(std::llround(duration * 1000.0));
    }
    return true;
}

} // namespace

bool parse(const QByteArray &content, Parsed *parsed, ParseError *error)
{
    *parsed = Parsed();
    int lineNumber = 0;
    int endLineNumber = 0;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        error->line = lineNumber;
        error->column = 1;
        if (endLineNumber) {
            error->message = tr("после завершающей строки (строка %1) есть ещё строки").arg(endLineNumber);
            return false;
        }

        QJsonParseError jsonError{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &jsonError);
        if (jsonError.error != QJsonParseError::NoError) {
            error->column = columnOf(line, jsonError.offset);
            error->message = jsonError.errorString();
            return false;
        }
        if (!document.isObject()) {
            error->message = tr("строка журнала должна быть объектом JSON");
            return false;
        }
        const QJsonObject object = document.object();
        LineReader reader(line, object, error);
        QString record;
        if (!reader.text("record", &record, true))
            return false;

        if (record == QLatin1String("call")) {
            Call call;
            if (!readCall(reader, object, &call))
                return false;
            const bool known = std::any_of(parsed->devices.cbegin(), parsed->devices.cend(),
                                           [&call](const Journal::Device &d) { return d.id == call.deviceId; });
            if (!known)
                return reader.fail("device_id", tr("устройство %1 не описано строкой «device» выше")
                                                    .arg(call.deviceId));
            parsed->calls.push_back(std::move(call));
            parsed->callLines.push_back(lineNumber);
        } else if (record == QLatin1String("device")) {
            Journal::Device device;
            if (!readDevice(reader, object, &device))
                return false;
            auto known = std::find_if(parsed->devices.begin(), parsed->devices.end(),
                                      [&device](const Journal::Device &d) { return d.id == device.id; });
            // A later line renames the device; its settings are those it
            // started with.
            if (known == parsed->devices.end())
                parsed->devices.append(device);
            else
                known->name = device.name;
        } else if (record == QLatin1String("gap")) {
            qint64 lost = 0;
            if (!reader.integer("lost", &lost, 0, std::numeric_limits<qint64>::max()))
                return false;
            if (parsed->gaps++ == 0)
                parsed->firstGapLine = lineNumber;
        } else if (record == QLatin1String("end")) {
            qint64 count = 0;
            if (!reader.integer("calls", &count, 0, std::numeric_limits<qint64>::max()))
                return false;
            if (quint64(count) != parsed->calls.size())
                return reader.fail("calls", tr("завершающая строка называет %1 вызовов, а в журнале их %2")
                                                .arg(count)
                                                .arg(parsed->calls.size()));
            endLineNumber = lineNumber;
            parsed->ended = true;
        } else {
            return reader.fail("record", tr("неизвестный вид строки «%1»").arg(record));
        }
    }
    parsed->lines = lineNumber;
    return true;
}

// ---- texts for people -------------------------------------------------------

namespace {

QString escapedText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\v': out += QLatin1String("\\v"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString valueText(const Call &call)
{
    switch (call.operation().type) {
    case Type::Int: return QString::number(call.ints[0]);
    case Type::Double:
        if (!std::isfinite(call.number))
            return QString::fromLatin1(std::isnan(call.number) ? "nan" : call.number > 0 ? "inf" : "-inf");
        return QString::fromLatin1(shortestDouble(call.number));
    case Type::Text: return escapedText(call.text);
    case Type::Date:
        return twoDigits(call.ints[0]) + QLatin1Char('.') + twoDigits(call.ints[1]) + QLatin1Char('.')
            + QString::number(call.ints[2]);
    case Type::Time:
        return twoDigits(call.ints[0]) + QLatin1Char(':') + twoDigits(call.ints[1]) + QLatin1Char(':')
            + twoDigits(call.ints[2]);
    case Type::None: break;
    }
    return QString();
}

QString timeText(const Call &call)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(call.timeUs / 1000);
    return time.toString(QStringLiteral("HH:mm:ss.zzz"))
        + QStringLiteral("%1").arg(int(call.timeUs % 1000), 3, 10, QLatin1Char('0'));
}

QString operationText(const Call &call)
{
    const QString name = QLatin1String(call.operation().name);
    return call.operation().named ? name + QLatin1Char('(') + call.settingName + QLatin1Char(')') : name;
}

// ---- as code ----------------------------------------------------------------

namespace {

// A wide literal that holds exactly the text: escapes for what a compiler
// would read otherwise, the rest as UTF-8.
QString wideLiteral(const QString &text)
{
    QString out = QStringLiteral("L\"");
    const int size = int(text.size());
    bool hexPending = false; // a hex escape ended the literal so far
    for (int i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (hexPending && isxdigit(unit < 0x80 ? int(unit) : 0))
            out += QStringLiteral("\" L\"");
        hexPending = false;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += text.at(i);
            out += text.at(++i);
            continue;
        }
        switch (unit) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'"': out += QLatin1String("\\\""); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\v': out += QLatin1String("\\v"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\f': out += QLatin1String("\\f"); break;
        case u'?':
            // Never the start of a trigraph.
            out += i > 0 && text.at(i - 1) == QLatin1Char('?') ? QLatin1String("\\?") : QLatin1String("?");
            break;
        default:
            if (unit < 0x20 || unit == 0x7F) {
                out += QStringLiteral("\\%1").arg(unsigned(unit), 3, 8, QLatin1Char('0'));
            } else if (QChar::isSurrogate(unit)) {
                out += QStringLiteral("\\x%1").arg(unsigned(unit), 0, 16);
                hexPending = true;
            } else {
                out += QChar(unit);
            }
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString intLiteral(int value)
{
    if (value == std::numeric_limits<int>::min())
        return QStringLiteral("(-2147483647 - 1)");
    return QString::number(value);
}

QString doubleLiteral(double value)
{
    if (std::isnan(value))
        return QStringLiteral("std::numeric_limits<double>::quiet_NaN()");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("std::numeric_limits<double>::infinity()")
                         : QStringLiteral("-std::numeric_limits<double>::infinity()");
    QString text = QString::fromLatin1(shortestDouble(value));
    // Summ(0) would be as good a pointer as a number.
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QLatin1String(".0");
    return text;
}

// A comment line cannot hold a line end, and a backslash at its end would
// join the next line to it.
QString commentText(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(u' ') : c;
    if (out.endsWith(QLatin1Char('\\')))
        out += QLatin1Char('.');
    return out;
}

QString setterArguments(const Call &call)
{
    switch (call.operation().type) {
    case Type::Int: return intLiteral(call.ints[0]);
    case Type::Double: return doubleLiteral(call.number);
    case Type::Text:
        return call.operation().named ? wideLiteral(call.settingName) + QLatin1String(", ") + wideLiteral(call.text)
                                      : wideLiteral(call.text);
    case Type::Date:
    case Type::Time:
        return intLiteral(call.ints[0]) + QLatin1String(", ") + intLiteral(call.ints[1]) + QLatin1String(", ")
            + intLiteral(call.ints[2]);
    case Type::None: break;
    }
    return QString();
}

QString getterStatement(const Call &call)
{
    const QString name = QLatin1String(call.operation().name);
    switch (call.operation().type) {
    case Type::Int:
        return QStringLiteral("{ int value = 0; fptr->%1(&value); }").arg(name);
    case Type::Double:
        return QStringLiteral("{ double value = 0; fptr->%1(&value); }").arg(name);
    case Type::Date:
        return QStringLiteral("{ int day = 0, month = 0, year = 0; fptr->%1(&day, &month, &year); }").arg(name);
    case Type::Time:
        return QStringLiteral("{ int hour = 0, minute = 0, second = 0; fptr->%1(&hour, &minute, &second); }")
            .arg(name);
    case Type::Text: {
        const QString named = call.operation().named ? wideLiteral(call.settingName) + QLatin1String(", ")
                                                     : QString();
        if (call.capacity < 1)
            return QStringLiteral("fptr->%1(%2nullptr, 0);").arg(name, named);
        // Large buffers stay off the stack.
        const QString storage = call.capacity > 4096 ? QStringLiteral("static wchar_t text[%1];")
                                                     : QStringLiteral("wchar_t text[%1] = {};");
        return QStringLiteral("{ ") + storage.arg(call.capacity) + QStringLiteral(" fptr->") + name
            + QLatin1Char('(') + named + QStringLiteral("text, ") + QString::number(call.capacity)
            + QStringLiteral("); }");
    }
    case Type::None: break;
    }
    return QString();
}

QString failureComment(const Call &call)
{
    QString text = tr("// в журнале: результат %1").arg(call.result);
    if (call.code != 0 || !call.description.isEmpty())
        text += commentText(QStringLiteral(", [%1] %2").arg(call.code).arg(call.description));
    return text;
}

} // namespace

QString codeFragment(const std::vector<Call> &calls)
{
    QStringList lines;
    quint64 group = 0;
    for (const Call &call : calls) {
        if (call.group != group && call.group != 0) {
            if (!lines.isEmpty())
                lines << QString();
            lines << QStringLiteral("// ") + commentText(call.groupName);
        }
        group = call.group;
        const QString name = QLatin1String(call.operation().name);
        switch (call.operation().kind) {
        case Kind::Setter:
            if (call.result < 0)
                lines << failureComment(call);
            lines << QStringLiteral("fptr->%1(%2);").arg(name, setterArguments(call));
            break;
        case Kind::Getter:
            lines << getterStatement(call) + QStringLiteral(" // ") + commentText(valueText(call));
            break;
        case Kind::Action:
            if (call.result < 0)
                lines << failureComment(call);
            lines << QStringLiteral("if (fptr->%1() < 0) {").arg(name)
                  << tr("    // ошибка: код в ResultCode, текст в ResultDescription") << QStringLiteral("}");
            break;
        }
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace JournalFormat
