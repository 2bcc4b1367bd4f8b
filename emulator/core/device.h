#pragma once

// The device behind one driver object: its kind, property store, settings,
// memory, modules and action table, and the rules every call follows (the
// result of a call, the connection, the once-only memory notice). The driver
// object (driverobject.h) only translates the contract's calls into calls of
// this class; the subject modules work on it.

#include "core/actions.h"
#include "core/memory.h"
#include "core/module.h"
#include "core/properties.h"
#include "core/resultcodes.h"
#include "core/services.h"
#include "core/settings.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace vreg {

class DeviceContext
{
public:
    explicit DeviceContext(DeviceKind kind);
    ~DeviceContext();
    DeviceContext(const DeviceContext &) = delete;
    DeviceContext &operator=(const DeviceContext &) = delete;

    DeviceKind kind() const { return m_kind; }
    PropertyStore &props() { return m_props; }
    const PropertyStore &props() const { return m_props; }

    // ---- the result of the current call
    // Success: ResultCode 0, no description, no detail.
    void succeed();
    // Records a failure with the code's text and an optional detail; returns
    // the negative result the call gives back (-1).
    int fail(Code code, const QString &detail = QString());

    // ---- properties with behaviour
    // A read hook refreshes a property's field just before a getter reads it
    // (for values that follow the device state, like the clock).
    void onRead(Prop property, std::function<void()> hook);
    // A write hook runs after a setter stored the new value; a negative
    // result (after fail()) puts the old value back.
    void onWrite(Prop property, std::function<int()> hook);
    void beforeRead(Prop property);
    int afterWrite(Prop property);

    // ---- actions
    int run(Action action);

    // ---- settings
    // What was written (ReadSetting, WriteSetting, DeviceSettings) and what
    // took effect (ApplySettings).
    Settings &writtenSettings() { return m_written; }
    const Settings &settings() const { return m_applied; }
    int applySettings();

    // ---- calls from any thread
    // Every call of the driver object holds this lock: the bench calls from
    // its GUI thread and from worker threads, one driver user may share an
    // object between threads, and the memory is not to be torn.
    std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock<std::recursive_mutex>(m_mutex); }

    // ---- connection and memory
    bool connected() const { return m_props.DeviceEnabled != 0; }
    // Keeps what the action did so far even if it goes on to fail (a
    // document interrupted by the end of the paper waits for
    // ContinuePrint). Without it a failed action leaves nothing behind; a
    // successful one is stored at its end anyway. Always 0: a failure to
    // store shows as the action's result.
    int commit();
    // Work that must happen only once the action's memory is stored: what
    // goes onto the paper. Runs right after the commit, in order; a negative
    // result (after fail()) becomes the action's. Dropped when the action
    // stores nothing because it failed.
    void afterCommit(std::function<int()> work);
    // The books; open while connected.
    Database &database() { return m_memory.database(); }
    // The data folder in use: the open memory's, else the applied settings'.
    QString dataFolder() const;

    // ---- what the modules offer one another (services.h)
    Services &services() { return m_services; }
    const Services &services() const { return m_services; }

    // ---- the caller's objects
    void *parentWindow() const { return m_parentWindow; }
    void setParentWindow(void *window) { m_parentWindow = window; }
    // The scanner handler is also used from the scanner's own thread: a
    // handler taken back (or replaced) is never called once this returns.
    VOR::AbstractScannerEventHandler *scannerHandler() const;
    void setScannerHandler(VOR::AbstractScannerEventHandler *handler);
    // Hands one scan to the caller's handler, from any thread; false when
    // there is none.
    bool deliverScan(const unsigned char *data, int size);

private:
    // The end of an action or a connection: stores and commits, or throws
    // away what a failed one changed; the result the caller gets.
    int settle(int result);
    int connect();
    void disconnect();
    int onDeviceEnabledWritten();
    int onDeviceSettingsWritten();
    void settingsTookEffect();
    std::vector<Module *> moduleList() const;

    DeviceKind m_kind;
    PropertyStore m_props;
    Settings m_written;
    Settings m_applied;
    DeviceMemory m_memory;
    ActionRegistry m_registry;
    Services m_services; // before the modules, which fill it and outlive none of it
    std::vector<std::unique_ptr<Module>> m_modules;
    std::vector<std::function<void()>> m_readHooks;  // by Prop
    std::vector<std::function<int()>> m_writeHooks;  // by Prop
    QString m_memoryNotice; // reported by the next action, then forgotten
    std::recursive_mutex m_mutex;
    bool m_keep = false;
    std::vector<std::function<int()>> m_afterCommit;
    void *m_parentWindow = nullptr;
    VOR::AbstractScannerEventHandler *m_scanner = nullptr;
    mutable std::mutex m_scannerMutex;
};

} // namespace vreg
