#pragma once

// A driver user's view of the virtual register for the conformance tests:
// the library is loaded from the program folder as the bench loads it,
// objects are created and released by the exported functions, and
// everything else goes through VOR::Fptr::IFptr.

#include "driver/ifptr.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>
#include <QTime>

#include <string>

namespace vregtest {

using Driver = VOR::Fptr::IFptr;
using StringGetter = int (Driver::*)(wchar_t *, int);
using StringSetter = int (Driver::*)(const wchar_t *);

inline std::wstring w(const QString &text)
{
    return text.toStdWString();
}

// The lines of a tape file, without the final line end; none when the file
// is missing or empty.
inline QStringList readTapeFile(const QString &path)
{
    QFile tapeFile(path);
    if (!tapeFile.open(QIODevice::ReadOnly))
        return QStringList();
    QString content = QString::fromUtf8(tapeFile.readAll());
    if (content.isEmpty())
        return QStringList();
    if (content.endsWith(QLatin1Char('\n')))
        content.chop(1);
    return content.split(QLatin1Char('\n'));
}

// A driver library loaded from the program folder ("/fptr", "/rcpprn").
struct Library
{
    QLibrary library;
    CreateFptrInterfaceFunction create = nullptr;
    ReleaseFptrInterfaceFunction release = nullptr;

    explicit Library(const QString &base)
        : library(QCoreApplication::applicationDirPath() + base)
    {
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (library.load()) {
            create = reinterpret_cast<CreateFptrInterfaceFunction>(library.resolve("CreateFptrInterface"));
            release = reinterpret_cast<ReleaseFptrInterfaceFunction>(library.resolve("ReleaseFptrInterface"));
        }
    }
    bool ok() const { return create && release; }
};

// One driver object, released through its library.
class Device
{
public:
    explicit Device(Library &library)
        : m_library(library)
        , m_object(library.create ? library.create(VOR_FPTR_INTERFACE_VERSION) : nullptr)
    {
    }
    ~Device() { release(); }
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    void release()
    {
        if (m_object)
            m_library.release(&m_object);
    }

    Driver *operator->() const { return m_object; }
    Driver *get() const { return m_object; }

    QString text(StringGetter getter) const
    {
        const int length = (m_object->*getter)(nullptr, 0);
        std::wstring buffer(size_t(qMax(0, length)) + 1, L'\0');
        (m_object->*getter)(buffer.data(), int(buffer.size()));
        return QString::fromWCharArray(buffer.c_str());
    }
    int setText(StringSetter setter, const QString &value) const
    {
        return (m_object->*setter)(w(value).c_str());
    }
    QString setting(const QString &name) const
    {
        const std::wstring key = w(name);
        const int length = m_object->ReadSetting(key.c_str(), nullptr, 0);
        std::wstring buffer(size_t(qMax(0, length)) + 1, L'\0');
        m_object->ReadSetting(key.c_str(), buffer.data(), int(buffer.size()));
        return QString::fromWCharArray(buffer.c_str());
    }
    // The mapping of a setting's values ("key:text;...").
    QString description(const QString &name) const
    {
        const std::wstring key = w(name);
        const int length = m_object->ReadSettingDescription(key.c_str(), nullptr, 0);
        std::wstring buffer(size_t(qMax(0, length)) + 1, L'\0');
        m_object->ReadSettingDescription(key.c_str(), buffer.data(), int(buffer.size()));
        return QString::fromWCharArray(buffer.c_str());
    }
    int write(const QString &name, const QString &value) const
    {
        return m_object->WriteSetting(w(name).c_str(), w(value).c_str());
    }
    int intValue(int (Driver::*getter)(int *)) const
    {
        int value = 0;
        (m_object->*getter)(&value);
        return value;
    }
    double doubleValue(int (Driver::*getter)(double *)) const
    {
        double value = 0;
        (m_object->*getter)(&value);
        return value;
    }
    QDate date(int (Driver::*getter)(int *, int *, int *)) const
    {
        int day = 0, month = 0, year = 0;
        (m_object->*getter)(&day, &month, &year);
        return QDate(year, month, day);
    }
    QTime time(int (Driver::*getter)(int *, int *, int *)) const
    {
        int hour = 0, minute = 0, second = 0;
        (m_object->*getter)(&hour, &minute, &second);
        return QTime(hour, minute, second);
    }
    int code() const { return intValue(&Driver::ResultCode); }
    QString resultDescription() const { return text(&Driver::ResultDescription); }
    QString detail() const { return text(&Driver::ResultDetailDescription); }
    // "code description: detail", for failure messages.
    QString result() const
    {
        return QStringLiteral("%1 %2: %3").arg(code()).arg(resultDescription(), detail());
    }

    // Settings written and applied (name, value, name, value...), then
    // connected; false when any step fails.
    bool connect(const QStringList &settings = QStringList()) const
    {
        for (int i = 0; i + 1 < settings.size(); i += 2) {
            if (write(settings[i], settings[i + 1]) < 0)
                return false;
        }
        if (m_object->ApplySettings() < 0)
            return false;
        return m_object->DeviceEnabled(1) >= 0;
    }

    // The device's data folder as the settings name it.
    QString dataFolder() const
    {
        const QString set = setting(QStringLiteral("DataDir"));
        if (!set.isEmpty())
            return set;
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.local/share");
        return base + QStringLiteral("/virtual-register/") + setting(QStringLiteral("DeviceId"));
    }
    // The lines of a tape file of the data folder (the virtual tape by
    // default), without the final line end.
    QStringList tape(const QString &file = QStringLiteral("tape.txt")) const
    {
        return readTapeFile(dataFolder() + QLatin1Char('/') + file);
    }
    // Enters a mode with a password; the action's result.
    int enterMode(int mode, const QString &password) const
    {
        m_object->Mode(mode);
        setText(&Driver::Password, password);
        return m_object->SetMode();
    }

private:
    Library &m_library;
    Driver *m_object;
};

} // namespace vregtest
