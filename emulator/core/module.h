#pragma once

// A subject module of the virtual register: receipts, reports, tables, the
// clock and so on each live in one. A module registers the actions it models
// and, when it keeps device memory, owns a part of the device's database.
//
// Adding a subject: derive from Module, register handlers for its actions in
// registerActions() (handlers read their inputs from device().props(), check
// every input before changing anything, and put results there), give it a
// state key and the state functions if it remembers anything, and add it to
// createModules() in modules/modules.cpp.
//
// Memory and actions: a handler simply changes the module's memory. When
// the action succeeds the device asks every module to store() what changed
// and commits that as one transaction; when it fails, or the commit fails,
// the database is rolled back and every module load()s its memory again, so
// a failed action leaves nothing behind. A handler that must keep what it
// did although it fails (a document interrupted by the end of the paper)
// calls device().commit() first.

#include "core/actions.h"
#include "core/database.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

namespace vreg {

class DeviceContext;

class Module
{
public:
    explicit Module(DeviceContext &device)
        : m_device(device)
    {
    }
    virtual ~Module() = default;
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    virtual void registerActions(ActionRegistry &registry) = 0;

    // ---- device memory (a module with an empty key keeps none)
    // Its name in the key-value table of the database and in the JSON state
    // file of earlier versions.
    virtual QString stateKey() const { return QString(); }
    // Factory state of the module's memory.
    virtual void resetState() {}
    // The tables of its own the module keeps ("CREATE TABLE IF NOT EXISTS"
    // statements), or none.
    virtual const char *schema() const { return nullptr; }
    // Reads the memory from the database, after resetState(); false with a
    // reason when what is there cannot be used (the whole memory then counts
    // as unreadable). By default the memory is the saveState() object, one
    // row of the key-value table for each of its keys.
    virtual bool load(Database &db, QString *error);
    // Writes what changed since the last load() or store(); false when a
    // write failed (the database knows why). The default writes the keys of
    // saveState() whose values changed.
    virtual bool store(Database &db);
    // A cheap summary of a memory kept by the default storage (a few
    // fields' bytes): while it stays what it was at the last store, store()
    // builds nothing to compare. Empty: always compare.
    virtual QByteArray stateFingerprint() const { return QByteArray(); }
    // How the default storage writes: a memory that changes with every
    // printed line can be lost in a power cut like a real printer's counters.
    virtual Durability stateDurability() const { return Durability::Durable; }
    // The memory as JSON: a section of an old state file to import, and the
    // default storage. A module with tables of its own reads the section
    // and leaves store() to write it.
    virtual bool loadState(const QJsonObject &section, QString *error)
    {
        Q_UNUSED(section);
        Q_UNUSED(error);
        return true;
    }
    virtual QJsonObject saveState() const { return QJsonObject(); }

    // ---- device events
    // The connection is up and the memory is loaded. A negative result (after
    // recording a failure) refuses the connection.
    virtual int connected() { return 0; }
    virtual void disconnected() {}
    // New settings took effect (model, paper sensor, speed...).
    virtual void settingsApplied() {}
    // The memory was read back from the database because an action failed
    // or could not be stored: status properties that show it are refreshed.
    virtual void reloaded() {}

protected:
    DeviceContext &device() const { return m_device; }

private:
    DeviceContext &m_device;
    QJsonObject m_stored; // what the key-value table holds for the module
    QByteArray m_storedFingerprint;
};

// The bytes of a few plain values, for stateFingerprint().
template <typename... T>
QByteArray fingerprintOf(const T &...values)
{
    QByteArray bytes;
    (bytes.append(reinterpret_cast<const char *>(&values), qsizetype(sizeof(T))), ...);
    return bytes;
}

// The modules of a device, in the order they register (a later registration
// of an action replaces an earlier one). Defined in modules/modules.cpp.
std::vector<std::unique_ptr<Module>> createModules(DeviceContext &device);

} // namespace vreg
