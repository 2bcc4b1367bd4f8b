#pragma once

// The wrapper every driver object is held in. It turns negative driver
// results into exceptions carrying the driver's own error text, reads texts
// of any length, and converts dates and times. It never creates or releases
// the driver object: that is the factory's job, so copies (a worker thread
// works on one) may come and go freely.

#include "ifptr.h"
#include "exception.h"

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QTime>

#include <vector>

namespace DriverTexts {

// The longest text the program accepts from a driver, in wide characters.
// A driver reporting more is treated as failing the read: a bogus length
// must neither exhaust memory nor overflow the int capacity passed back.
const int MaxLength = 16 * 1024 * 1024;

// The text in the buffer up to its first zero, never beyond `size`.
inline QString fromBuffer(const wchar_t *buffer, int size)
{
    int length = 0;
    while (length < size && buffer[length] != L'\0')
        ++length;
    return QString::fromWCharArray(buffer, length);
}

} // namespace DriverTexts

template <class T>
class ZUdeZazezavav
{
public:
    typedef int (T::*IntGetter)(int *);
    typedef int (T::*DoubleGetter)(double *);
    typedef int (T::*StringGetter)(wchar_t *, int);

    ZUdeZazezavav()
        : m_driver(nullptr)
    {
    }
    explicit ZUdeZazezavav(T *driver)
        : m_driver(driver)
    {
    }
    ZUdeZazezavav(const ZUdeZazezavav &) = default;
    ZUdeZazezavav &operator=(const ZUdeZazezavav &) = default;
    virtual ~ZUdeZazezavav() {}

    // Capacity of the first attempt of a text read, in wide characters.
    virtual int defaultBufferSize() const { return 1024; }

    T *ted() const { return m_driver; }

    // Number getters never raise for a driver failure: the variable is preset
    // to 0, so a failed read yields 0 (or whatever the driver wrote).
    int getInt(IntGetter getter) const
    {
        T *driver = required();
        int value = 0;
        (driver->*getter)(&value);
        return value;
    }

    double getDouble(DoubleGetter getter) const
    {
        T *driver = required();
        double value = 0;
        (driver->*getter)(&value);
        return value;
    }

    // Reads a text of any length: a first attempt with defaultBufferSize()
    // characters, and a second one sized to the length the driver reported
    // when the text did not fit. A length below 1 (or beyond MaxLength) is a
    // failed read and yields an empty string.
    QString getBuff(StringGetter getter) const
    {
        T *driver = required();
        const int size = qMax(defaultBufferSize(), 1);
        std::vector<wchar_t> buffer(size_t(size), L'\0');
        const int length = (driver->*getter)(buffer.data(), size);
        if (length < 1 || length > DriverTexts::MaxLength)
            return QString();
        if (length > size) {
            driver = required();
            buffer.assign(size_t(length) + 1, L'\0');
            (driver->*getter)(buffer.data(), length + 1);
        }
        return DriverTexts::fromBuffer(buffer.data(), int(buffer.size()));
    }

    // Passes a non-negative result through. A negative one raises the driver's
    // error, unless the driver reports no error code for it (some operations
    // use negative results as plain answers).
    int raiseError(int result) const
    {
        if (result >= 0)
            return result;
        const int code = getInt(&T::ResultCode);
        if (code == 0)
            return result;
        const QString message = QCoreApplication::translate("ZEruZuva", "[%1] %2")
                                    .arg(QString::number(code), getBuff(&T::ResultDescription));
        QString detail;
        if (getInt(&T::ResultDetail) != 0)
            detail = QCoreApplication::translate("ZEruZuva", "%1").arg(getBuff(&T::ResultDetailDescription));
        if (!detail.isEmpty())
            throw Exception(QCoreApplication::translate("ZEruZuva", "%1 (%2)").arg(message, detail));
        throw Exception(message);
    }

protected:
    // The driver object, or DeviceNotFoundException before anything is called.
    T *required() const
    {
        if (!m_driver)
            throw DeviceNotFoundException();
        return m_driver;
    }

private:
    T *m_driver;
};

extern template class ZUdeZazezavav<VOR::Fptr::IFptr>;

// The wrapper of a fiscal register or receipt printer driver object.
class ZEruZuva : public ZUdeZazezavav<VOR::Fptr::IFptr>
{
public:
    typedef int (VOR::Fptr::IFptr::*TripleGetter)(int *, int *, int *);
    typedef int (VOR::Fptr::IFptr::*TripleSetter)(int, int, int);

    ZEruZuva();
    explicit ZEruZuva(VOR::Fptr::IFptr *driver);
    ZEruZuva(const ZEruZuva &) = default;
    ZEruZuva &operator=(const ZEruZuva &) = default;
    ~ZEruZuva() override;

    int defaultBufferSize() const override;

    // Day, month, year as the driver fills them; zeros give an invalid date.
    QDate getDate(TripleGetter getter) const;
    // Hour, minute, second as the driver fills them (milliseconds 0).
    QTime getTime(TripleGetter getter) const;
    // Write the parts; the result as raiseError() passes it through.
    int setDate(TripleSetter setter, const QDate &date) const;
    int setTime(TripleSetter setter, const QTime &time) const;
};
