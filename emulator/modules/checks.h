#pragma once

// Input checks shared by the modes, tables, clock, printing and service
// modules: a value out of its range fails with "Неверное значение
// параметра" and a detail naming the property, the value and what is
// allowed, so the caller sees at once what to change.

#include "core/device.h"

namespace vreg {

// True when `value` lies in [min, max]; otherwise records the failure.
inline bool checkRange(DeviceContext &device, const char *property, qint64 value, qint64 min, qint64 max,
                       const QString &meaning = QString())
{
    if (value >= min && value <= max)
        return true;
    QString detail = QStringLiteral("%1 = %2: допустимо от %3 до %4")
                         .arg(QString::fromUtf8(property))
                         .arg(value)
                         .arg(min)
                         .arg(max);
    if (!meaning.isEmpty())
        detail += QStringLiteral(" (%1)").arg(meaning);
    device.fail(Code::InvalidValue, detail);
    return false;
}

// A flag property: 0 or 1.
inline bool checkFlag(DeviceContext &device, const char *property, int value)
{
    return checkRange(device, property, value, 0, 1);
}

// The device's notation of raw bytes: two hexadecimal digits a byte, bytes
// optionally separated by blanks ("3F", "9D 01", "9d01"). False on anything
// else; the bytes otherwise.
inline bool parseHexBytes(const QString &text, QByteArray *bytes)
{
    QString digits;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
              || (c >= QLatin1Char('A') && c <= QLatin1Char('F')))) {
            return false;
        }
        digits += c;
    }
    // Each byte is written whole: a blank never splits one.
    for (const QString &group : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (group.size() % 2 != 0)
            return false;
    }
    *bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

inline QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace vreg
