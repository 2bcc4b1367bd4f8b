#pragma once

// The device memory on disk: one state file in the device's data folder,
// holding a header and one section per module that keeps memory. The file
// is replaced atomically on every save, so a crash leaves either the old or
// the new state. A file that cannot be read is never fatal: it is renamed
// aside, the device starts in factory state, and the caller gets a notice to
// report once.

#include "core/actions.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace vreg {

class Module;

class DeviceMemory
{
public:
    static constexpr int kFormat = 1;
    static QString stateFileName() { return QStringLiteral("state.json"); }

    explicit DeviceMemory(DeviceKind kind);

    struct OpenResult
    {
        bool ok = false;
        QString error;  // why the memory cannot be used (ok false)
        QString notice; // an unreadable file was set aside (ok true)
    };

    // Binds the memory to a folder (created when missing) and loads it into
    // the modules. No file: factory state, saved at once. A folder holding
    // the memory of the other device kind is refused and left untouched.
    OpenResult open(const QString &folder, const QString &deviceId,
                    const std::vector<Module *> &modules);
    void close();
    bool isOpen() const { return !m_folder.isEmpty(); }
    QString folder() const { return m_folder; }
    QString stateFilePath() const;

    // Writes the modules' state atomically.
    bool save(const std::vector<Module *> &modules, QString *error);

private:
    enum class ReadOutcome { Missing, Loaded, Unreadable, ForeignKind };
    ReadOutcome read(const QString &path, const std::vector<Module *> &modules, QString *reason);
    bool setAside(const QString &path, QString *asideName, QString *error);

    DeviceKind m_kind;
    QString m_folder;
    QString m_deviceId;
    QDateTime m_created;
};

// "fiscal-register" / "receipt-printer": the kind as stored in the state file.
QString kindKey(DeviceKind kind);

} // namespace vreg
