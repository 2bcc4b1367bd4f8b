#pragma once

// One driver library loaded at run time. A driver library exports a pair of
// C entry points named after its interface ("Create" / "Release" + name +
// "Interface"); the library is usable only when both are present, because an
// object that cannot be handed back would leak inside the driver.

#include <QDebug>
#include <QHash>
#include <QLibrary>
#include <QString>

template <class T>
class DTOLibrary : public QLibrary
{
public:
    typedef T *(*CreateFunction)(int version);
    typedef int (*ReleaseFunction)(T **object);

    // Nothing is loaded yet: the caller decides when, so that a broken library
    // can be reported (and replaced) without the constructor failing.
    DTOLibrary(const QString &fileName, const QString &interfaceName)
        : QLibrary(fileName)
        , m_key(fileName)
        , m_create(nullptr)
        , m_release(nullptr)
        , m_createSymbol(QStringLiteral("Create") + interfaceName + QStringLiteral("Interface"))
        , m_releaseSymbol(QStringLiteral("Release") + interfaceName + QStringLiteral("Interface"))
    {
        // Unresolved symbols inside the driver show up at load time, where the
        // error text can still be shown, instead of as a crash mid-command.
        setLoadHints(QLibrary::ResolveAllSymbolsHint);
    }

    // Driver objects must all have gone back through release() before this.
    // Toolkit library objects built from the same file name share one handle,
    // and one unload() drops it for all of them; so the file is unloaded only
    // when the last DTOLibrary holding it goes (two device lists alive at
    // once, or one file chosen for both device kinds).
    ~DTOLibrary() override
    {
        if (!m_holding)
            return;
        int &count = holders()[m_key];
        if (--count > 0)
            return;
        holders().remove(m_key);
        unload();
    }

    DTOLibrary(const DTOLibrary &) = delete;
    DTOLibrary &operator=(const DTOLibrary &) = delete;

    // Loads the library (the toolkit adds the platform's "lib" prefix and
    // suffix to a base path) and resolves both entry points. True only when
    // the library is usable.
    bool load()
    {
        if (!QLibrary::load()) {
            qDebug().noquote() << QStringLiteral("<%1> load error [%2]").arg(fileName(), errorString());
            return false;
        }
        if (!m_holding) {
            m_holding = true;
            ++holders()[m_key];
        }
        m_create = reinterpret_cast<CreateFunction>(resolve(m_createSymbol.toLatin1().constData()));
        m_release = reinterpret_cast<ReleaseFunction>(resolve(m_releaseSymbol.toLatin1().constData()));
        return m_create != nullptr && m_release != nullptr;
    }

    bool isReady() const { return isLoaded() && m_create != nullptr && m_release != nullptr; }

    CreateFunction createEntry() const { return m_create; }
    ReleaseFunction releaseEntry() const { return m_release; }
    QString createSymbol() const { return m_createSymbol; }
    QString releaseSymbol() const { return m_releaseSymbol; }

private:
    // Loaded DTOLibrary objects per file name; used on the window thread only.
    static QHash<QString, int> &holders()
    {
        static QHash<QString, int> counts;
        return counts;
    }

    QString m_key;
    bool m_holding = false;
    CreateFunction m_create;
    ReleaseFunction m_release;
    QString m_createSymbol;
    QString m_releaseSymbol;
};
