#include "modules/fiscalpropertiesmodule.h"

#include "core/device.h"

#include <QRegularExpression>

#include <algorithm>

namespace vreg {

namespace {

constexpr int kMaxText = 256;
constexpr int kMaxBytes = 256;

const char *const kTypeNames[] = {
    "сырые данные", "целое 0..255", "целое 0..65535", "целое 0..4294967295", "UnixTime", "строка",
};

QString typeName(int type)
{
    return type >= 0 && type <= 5 ? QString::fromUtf8(kTypeNames[type]) : QString::number(type);
}

quint64 maximumOf(int type)
{
    switch (type) {
    case 1: return 255;
    case 2: return 65535;
    default: return 4294967295ULL;
    }
}

int byteSizeOf(int type)
{
    return type == 1 ? 1 : type == 2 ? 2 : 4;
}

bool parseNumber(const QString &text, quint64 maximum, quint64 *number)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    *number = text.toULongLong(&ok);
    return ok && *number <= maximum;
}

QString hexOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

void replaceTag(QList<FiscalTag> *tags, const FiscalTag &tag)
{
    tags->erase(std::remove_if(tags->begin(), tags->end(), [&](const FiscalTag &t) { return t.number == tag.number; }),
                tags->end());
    tags->append(tag);
}

} // namespace

FiscalPropertiesModule::FiscalPropertiesModule(DeviceContext &device, std::shared_ptr<FiscalCore> core)
    : Module(device)
    , m_core(std::move(core))
{
}

void FiscalPropertiesModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::AddFiscalProperty, Subject::FiscalData, [this] { return addProperty(); });
    registry.add(Action::ResetFiscalProperties, Subject::FiscalData, [this] { return resetProperties(); });
    registry.add(Action::WriteFiscalProperty, Subject::FiscalData, [this] { return writeProperty(); });
    registry.add(Action::ReadFiscalProperty, Subject::FiscalData, [this] { return readProperty(); });
}

bool FiscalPropertiesModule::normalise(int type, const QString &value, QString *stored, QString *reason)
{
    switch (type) {
    case 0: {
        QString hex = value;
        hex.remove(QRegularExpression(QStringLiteral("\\s")));
        static const QRegularExpression digits(QStringLiteral("^[0-9A-Fa-f]*$"));
        if (hex.isEmpty() || !digits.match(hex).hasMatch() || hex.size() % 2 != 0) {
            *reason = QStringLiteral("«%1»: нужны байты парами шестнадцатеричных цифр").arg(value);
            return false;
        }
        if (hex.size() / 2 > kMaxBytes) {
            *reason = QStringLiteral("%1 байт, не более %2").arg(hex.size() / 2).arg(kMaxBytes);
            return false;
        }
        *stored = hexOf(QByteArray::fromHex(hex.toLatin1()));
        return true;
    }
    case 1:
    case 2:
    case 3:
    case 4: {
        quint64 number = 0;
        if (!parseNumber(value.trimmed(), maximumOf(type), &number)) {
            *reason = QStringLiteral("«%1» не %2").arg(value, type == 4 ? QStringLiteral("время UnixTime (секунды, 0..4294967295)")
                                                                          : QStringLiteral("целое ") + typeName(type).mid(6));
            return false;
        }
        *stored = QString::number(number);
        return true;
    }
    case 5:
        if (value.size() > kMaxText) {
            *reason = QStringLiteral("строка из %1 символов, не более %2").arg(value.size()).arg(kMaxText);
            return false;
        }
        *stored = value;
        return true;
    default:
        *reason = QStringLiteral("FiscalPropertyType = %1; допустимо 0..5").arg(type);
        return false;
    }
}

bool FiscalPropertiesModule::convert(int fromType, const QString &value, int toType, QString *converted)
{
    if (fromType == toType || toType == 5) {
        *converted = value;
        return true;
    }
    if (fromType == 0)
        return false;
    quint64 number = 0;
    const bool numeric = parseNumber(value, 4294967295ULL, &number);
    if (toType == 0) {
        if (fromType == 5) {
            *converted = hexOf(value.toUtf8());
            return true;
        }
        QByteArray bytes;
        for (int i = 0; i < byteSizeOf(fromType); ++i)
            bytes.append(char((number >> (8 * i)) & 0xff));
        *converted = hexOf(bytes);
        return true;
    }
    if (!numeric || number > maximumOf(toType))
        return false;
    *converted = QString::number(number);
    return true;
}

bool FiscalPropertiesModule::isBuyerAddress(const QString &value)
{
    static const QRegularExpression email(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s.]+$"));
    static const QRegularExpression phone(QStringLiteral("^\\+?[0-9]{10,15}$"));
    if (value.size() > 64)
        return false;
    if (email.match(value).hasMatch())
        return true;
    QString digits = value;
    digits.remove(QRegularExpression(QStringLiteral("[\\s()-]")));
    return phone.match(digits).hasMatch();
}

int FiscalPropertiesModule::tagFromProperties(const char *action, bool userTagAllowed, FiscalTag *tag)
{
    const PropertyStore &props = device().props();
    tag->number = props.FiscalPropertyNumber;
    tag->type = props.FiscalPropertyType;
    tag->print = props.FiscalPropertyPrint != 0;
    // Only a receipt-level value may be a user's own tag; FiscalPropertyUser
    // left at 1 by an earlier write must not turn a position's tag into one.
    tag->user = userTagAllowed && props.FiscalPropertyUser != 0;
    // Fiscal tags are numbered 1000 to 1999; a user's own may take any
    // number up to 65535.
    const bool valid = tag->user ? tag->number >= 1 && tag->number <= 65535 : tag->number >= 1000 && tag->number <= 1999;
    if (!valid) {
        return device().fail(Code::InvalidPropertyNumber,
                             QStringLiteral("%1: FiscalPropertyNumber = %2; допустимо %3")
                                 .arg(QString::fromUtf8(action))
                                 .arg(tag->number)
                                 .arg(tag->user ? QStringLiteral("1..65535 (пользовательский)") : QStringLiteral("1000..1999")));
    }
    if (tag->type < 0 || tag->type > 5) {
        return device().fail(Code::InvalidPropertyType,
                             QStringLiteral("%1: FiscalPropertyType = %2; допустимо 0..5").arg(QString::fromUtf8(action)).arg(tag->type));
    }
    if (tag->number == 1008 && tag->type != 5) {
        return device().fail(Code::InvalidPropertyType,
                             QStringLiteral("реквизит 1008 (адрес покупателя) — строка (тип 5), не «%1»").arg(typeName(tag->type)));
    }
    QString reason;
    if (!normalise(tag->type, props.FiscalPropertyValue, &tag->value, &reason)) {
        return device().fail(Code::InvalidPropertyValue,
                             QStringLiteral("реквизит %1 (%2): %3").arg(tag->number).arg(typeName(tag->type), reason));
    }
    if (tag->number == 1008 && !isBuyerAddress(tag->value.trimmed())) {
        return device().fail(Code::InvalidPropertyValue,
                             QStringLiteral("реквизит 1008: «%1» не адрес электронной почты и не номер телефона").arg(tag->value));
    }
    if (tag->number == 1008)
        tag->value = tag->value.trimmed();
    return 0;
}

int FiscalPropertiesModule::addProperty()
{
    FiscalTag tag;
    if (tagFromProperties("AddFiscalProperty", false, &tag) < 0)
        return -1;
    replaceTag(&m_core->records().pendingPositionTags, tag);
    return 0;
}

int FiscalPropertiesModule::resetProperties()
{
    FiscalRecords &r = m_core->records();
    r.pendingPositionTags.clear();
    r.pendingDocumentTags.clear();
    return 0;
}

int FiscalPropertiesModule::writeProperty()
{
    FiscalTag tag;
    if (tagFromProperties("WriteFiscalProperty", true, &tag) < 0)
        return -1;
    FiscalRecords &r = m_core->records();
    // In an open receipt the value belongs to it; otherwise to the next one.
    replaceTag(r.receiptOpen ? &r.receipt.tags : &r.pendingDocumentTags, tag);
    return 0;
}

int FiscalPropertiesModule::readProperty()
{
    PropertyStore &props = device().props();
    const int number = props.FiscalPropertyNumber;
    const int type = props.FiscalPropertyType;
    if (type < 0 || type > 5) {
        return device().fail(Code::InvalidPropertyType,
                             QStringLiteral("ReadFiscalProperty: FiscalPropertyType = %1; допустимо 0..5").arg(type));
    }
    if (number < 1 || number > 65535) {
        return device().fail(Code::InvalidPropertyNumber,
                             QStringLiteral("ReadFiscalProperty: FiscalPropertyNumber = %1").arg(number));
    }
    const FiscalDocument *document = m_core->records().lastFiscalDocument();
    if (!document)
        return device().fail(Code::DocumentNotFound, QStringLiteral("в архиве нет фискальных документов"));
    const FiscalTag *tag = document->tag(number);
    if (!tag) {
        QStringList present;
        for (const FiscalTag &item : document->tags)
            present.append(QString::number(item.number));
        return device().fail(Code::PropertyNotFound,
                             QStringLiteral("в документе ФД %1 нет реквизита %2; есть: %3")
                                 .arg(document->fiscalNumber)
                                 .arg(number)
                                 .arg(present.join(QStringLiteral(", "))));
    }
    QString value;
    if (!convert(tag->type, tag->value, type, &value)) {
        return device().fail(Code::InvalidPropertyType,
                             QStringLiteral("реквизит %1 хранится как «%2» (%3) и не читается как «%4»")
                                 .arg(number)
                                 .arg(typeName(tag->type), tag->value, typeName(type)));
    }
    props.FiscalPropertyValue = value;
    return 0;
}

} // namespace vreg
