#pragma once

// The device memory on disk: one SQLite database in the device's data folder
// (core/database.h), with a table of facts about it, a key-value table for
// the small memories of the modules, and tables of their own for the modules
// that keep much (documents, shifts, counters, the open receipt, tables).
//
// One data folder belongs to one driver object at a time: a second object
// on a folder in use is refused. A database or an old state file that cannot
// be read is never fatal: it is renamed aside, the device starts in factory
// state, and the caller gets a notice to report once. The JSON state file of
// earlier versions is imported the first time its folder is opened, then
// renamed and never read again.

#include "core/actions.h"
#include "core/database.h"
#include "core/resultcodes.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace vreg {

class Module;

class DeviceMemory
{
public:
    // The database's format; the JSON state file was format 1.
    static constexpr int kFormat = 2;
    static QString databaseFileName() { return QStringLiteral("memory.db"); }
    static QString stateFileName() { return QStringLiteral("state.json"); }
    static QString importedStateFileName() { return QStringLiteral("state.json.imported"); }
    static QString lockFileName() { return QStringLiteral("memory.lock"); }

    explicit DeviceMemory(DeviceKind kind);
    ~DeviceMemory();
    DeviceMemory(const DeviceMemory &) = delete;
    DeviceMemory &operator=(const DeviceMemory &) = delete;

    struct OpenResult
    {
        bool ok = false;
        Code code = Code::MemoryError; // why not (ok false)
        QString error;
        QString notice; // something unreadable was set aside (ok true)
    };

    // Binds the memory to a folder (created when missing) and loads the
    // modules from it. A folder in use by another driver object, or holding
    // the memory of the other device kind, is refused and left untouched.
    OpenResult open(const QString &folder, const QString &deviceId, const std::vector<Module *> &modules);
    void close();
    bool isOpen() const { return m_database.isOpen(); }
    QString folder() const { return m_folder; }
    QString databasePath() const;
    Database &database() { return m_database; }

    // Writes what the modules changed and commits it as one transaction;
    // false with the reason when that fails, and then the database and the
    // modules are as they were before the action.
    bool commit(const std::vector<Module *> &modules, QString *error);
    // Undoes whatever the action changed in the database and in the modules.
    void discard(const std::vector<Module *> &modules);

private:
    enum class StateFile { Missing, Loaded, Unreadable, ForeignKind };
    StateFile readStateFile(const QString &path, const std::vector<Module *> &modules, QString *reason);
    bool openDatabase(const QString &path, const QString &deviceId, const std::vector<Module *> &modules,
                      QString *reason, bool *foreign);
    bool loadModules(const std::vector<Module *> &modules, QString *reason);
    void reload(const std::vector<Module *> &modules);
    bool lockFolder(const QString &folder, QString *error);
    void unlockFolder();

    DeviceKind m_kind;
    QString m_folder;
    Database m_database;
    int m_lockFd = -1;
};

// "fiscal-register" / "receipt-printer": the kind as stored in the memory.
QString kindKey(DeviceKind kind);

// Renames a file that cannot be read to "<name>.unreadable-<date>-<time>"
// (its SQLite companions -wal and -shm go with it); the new name, or empty
// with the reason.
QString setFileAside(const QString &path, QString *error);

} // namespace vreg
