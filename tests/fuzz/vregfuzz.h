#pragma once

// The virtual register as its fuzz targets use it: the driver libraries of
// the program folder (as the bench loads them), data folders on a fast
// scratch file system, and a day's memory to start from.

#include "fuzzsupport.h"
#include "vregday.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace fuzz {

inline vregtest::Library &vregLibrary(bool receiptPrinter)
{
    static vregtest::Library *fiscal = nullptr;
    static vregtest::Library *printer = nullptr;
    vregtest::Library *&library = receiptPrinter ? printer : fiscal;
    if (!library) {
        library = new vregtest::Library(receiptPrinter ? QStringLiteral("/rcpprn") : QStringLiteral("/fptr"));
        if (!library->ok())
            qFatal("the register library does not load: %s", qPrintable(library->library.errorString()));
    }
    return *library;
}

// Folders for the data of one input each, under one scratch folder.
class Folders
{
public:
    Folders()
        : m_root(scratchBase() + QStringLiteral("/fptr-fuzz-vreg-XXXXXX"))
    {
        if (!m_root.isValid())
            qFatal("no scratch folder");
        // FPTR_FUZZ_KEEP=1 leaves the folders for a look (and for seeds).
        if (qEnvironmentVariableIntValue("FPTR_FUZZ_KEEP") == 1) {
            m_root.setAutoRemove(false);
            fprintf(stderr, "register data under %s\n", qPrintable(m_root.path()));
        }
    }

    // An empty folder; the previous one is removed.
    QString fresh()
    {
        QDir current(m_root.path() + QStringLiteral("/data"));
        current.removeRecursively();
        if (!QDir().mkpath(current.path()))
            qFatal("cannot make %s", qPrintable(current.path()));
        return current.path();
    }

    QString path(const QString &name) const { return m_root.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_root;
};

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A fresh data folder holding one file: the input after its kind byte
// (bit 0 of the first byte: a receipt printer). Empty for an empty input.
inline QString folderWithFile(Folders &folders, const QString &name, const uint8_t *data, size_t size)
{
    if (size < 1)
        return QString();
    const QString folder = folders.fresh();
    writeFile(folder + QLatin1Char('/') + name, bytes(data + 1, size - 1));
    return folder;
}

// Connects a register to what its folder holds, asks what a bench asks
// first, and lets it go again. Memory it cannot read must never keep it from
// connecting. True when it connected.
inline bool connectAndLook(bool receiptPrinter, const QString &folder)
{
    vregtest::DayTill till(vregLibrary(receiptPrinter));
    if (!till.get())
        qFatal("no driver object");
    const bool connected = till.open({QStringLiteral("DataDir"), folder});
    if (!connected) {
        // The other kind's memory, or a newer version's, is refused; that is
        // the only reason.
        FUZZ_EXPECT(till.code() == -8);
        return false;
    }
    till->GetStatus();
    till.getRegister(1);
    till.getRegister(2);
    till->GetSumm();
    till.mode(1);
    till->Summ(1);
    till->CashIncome();
    // The reports read back what the memory holds.
    till.mode(2);
    till.report(2);
    till->DeviceEnabled(0);
    return true;
}

// A fiscal register's folder after a whole day and with a receipt left
// open, made once: the memory every table of which holds rows.
inline QString dayFolder(Folders &folders)
{
    static QString folder;
    if (!folder.isEmpty())
        return folder;
    folder = folders.path(QStringLiteral("day"));
    QDir(folder).removeRecursively();
    vregtest::DayTill till(vregLibrary(false));
    if (!till.open({QStringLiteral("DataDir"), folder}) || !vregtest::runDay(till))
        qFatal("the day did not run: %s", qPrintable(till.result()));
    till.mode(1);
    till->OpenSession();
    till.sell({QStringLiteral("Молоко"), 1, 89.90, 1, 2});
    till->DeviceEnabled(0);
    return folder;
}

} // namespace fuzz
