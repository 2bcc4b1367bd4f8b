#include "core/driverobject.h"

#include <climits>

namespace vreg {

namespace {

QString fromWide(const wchar_t *text)
{
    return QString::fromWCharArray(text);
}

} // namespace

DriverObject::DriverObject(DeviceKind kind)
    : m_device(kind)
{
}

DriverObject::~DriverObject() = default;

int DriverObject::copyOut(const QString &text, wchar_t *buffer, int capacity)
{
    const QList<uint> wide = text.toUcs4();
    const qsizetype length = wide.size();
    if (buffer && capacity > 0) {
        // A value of exactly `capacity` characters fills the buffer without
        // a terminator; the caller knows the length from the result.
        const qsizetype n = qMin<qsizetype>(length, qsizetype(capacity));
        for (qsizetype i = 0; i < n; ++i)
            buffer[i] = wchar_t(wide[i]);
        if (n < capacity)
            buffer[n] = L'\0';
    }
    return int(qMin<qsizetype>(length, INT_MAX));
}

int DriverObject::nullPointer(Prop property)
{
    return m_device.fail(Code::InvalidArgument,
                         QStringLiteral("%1: нулевой указатель").arg(QLatin1String(propertyName(property))));
}

int DriverObject::readString(Prop property, QString PropertyStore::*field, wchar_t *buffer, int capacity)
{
    const auto guard = m_device.lock();
    m_device.beforeRead(property);
    return copyOut(m_device.props().*field, buffer, capacity);
}

int DriverObject::readDate(Prop property, QDate PropertyStore::*field, int *day, int *month, int *year)
{
    const auto guard = m_device.lock();
    if (!day || !month || !year)
        return nullPointer(property);
    m_device.beforeRead(property);
    const QDate date = m_device.props().*field;
    *day = date.isValid() ? date.day() : 0;
    *month = date.isValid() ? date.month() : 0;
    *year = date.isValid() ? date.year() : 0;
    return 0;
}

int DriverObject::readTime(Prop property, QTime PropertyStore::*field, int *hour, int *minute, int *second)
{
    const auto guard = m_device.lock();
    if (!hour || !minute || !second)
        return nullPointer(property);
    m_device.beforeRead(property);
    const QTime time = m_device.props().*field;
    *hour = time.isValid() ? time.hour() : 0;
    *minute = time.isValid() ? time.minute() : 0;
    *second = time.isValid() ? time.second() : 0;
    return 0;
}

int DriverObject::writeString(Prop property, QString PropertyStore::*field, const wchar_t *value)
{
    const auto guard = m_device.lock();
    if (!value)
        return nullPointer(property);
    return writeValue(property, field, fromWide(value));
}

int DriverObject::ParentWindow(void *window)
{
    const auto guard = m_device.lock();
    // Kept as given: the caller promises a QWidget * (or null for none).
    m_device.setParentWindow(window);
    m_device.succeed();
    return 0;
}

int DriverObject::ScannerCallback(VOR::AbstractScannerEventHandler *handler)
{
    const auto guard = m_device.lock();
    m_device.setScannerHandler(handler);
    m_device.succeed();
    return 0;
}

int DriverObject::ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity)
{
    const auto guard = m_device.lock();
    if (!name)
        return m_device.fail(Code::InvalidArgument, QStringLiteral("ReadSetting: нулевой указатель имени"));
    const QString key = fromWide(name);
    if (!Settings::isKnown(key))
        return m_device.fail(Code::UnknownSetting, QStringLiteral("Настройка \"%1\" неизвестна").arg(key));
    return copyOut(m_device.writtenSettings().value(key), buffer, capacity);
}

int DriverObject::ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity)
{
    const auto guard = m_device.lock();
    if (!name) {
        return m_device.fail(Code::InvalidArgument,
                             QStringLiteral("ReadSettingDescription: нулевой указатель имени"));
    }
    const QString key = fromWide(name);
    if (!Settings::isKnown(key))
        return m_device.fail(Code::UnknownSetting, QStringLiteral("Настройка \"%1\" неизвестна").arg(key));
    return copyOut(Settings::description(m_device.kind(), key), buffer, capacity);
}

int DriverObject::WriteSetting(const wchar_t *name, const wchar_t *value)
{
    const auto guard = m_device.lock();
    if (!name || !value) {
        return m_device.fail(Code::InvalidArgument,
                             QStringLiteral("WriteSetting: нулевой указатель %1")
                                 .arg(name ? QStringLiteral("значения") : QStringLiteral("имени")));
    }
    const QString key = fromWide(name);
    if (!Settings::isKnown(key))
        return m_device.fail(Code::UnknownSetting, QStringLiteral("Настройка \"%1\" неизвестна").arg(key));
    QString detail;
    if (!m_device.writtenSettings().setValue(key, fromWide(value), &detail))
        return m_device.fail(Code::InvalidSettingValue, detail);
    m_device.succeed();
    return 0;
}

} // namespace vreg
