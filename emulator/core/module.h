#pragma once

// A subject module of the virtual register: receipts, reports, tables, the
// clock and so on each live in one. A module registers the actions it models
// and, when it keeps device memory, owns one section of the state file.
//
// Adding a subject: derive from Module, register handlers for its actions in
// registerActions() (handlers read their inputs from device().props(), put
// results there, and end with device().commit() after changing memory), give
// it a state key and the four state functions if it remembers anything, and
// add it to createModules() in modules/modules.cpp.

#include "core/actions.h"

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
    virtual QString stateKey() const { return QString(); }
    // Factory state of the module's memory.
    virtual void resetState() {}
    // Takes the module's section of a state file; false with a reason when
    // the section cannot be used (the whole file then counts as unreadable).
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

protected:
    DeviceContext &device() const { return m_device; }

private:
    DeviceContext &m_device;
};

// The modules of a device, in the order they register (a later registration
// of an action replaces an earlier one). Defined in modules/modules.cpp.
std::vector<std::unique_ptr<Module>> createModules(DeviceContext &device);

} // namespace vreg
