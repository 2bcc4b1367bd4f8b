#pragma once

// Modes and passwords, and the status query. The device is in one of the
// modes 0 to 7 (power-on in mode 0, selection); SetMode enters the mode
// written to Mode with the password in Password, ResetMode returns to mode
// 0. Cashiers 1 to 28, the administrator (29) and the system administrator
// (30) each have a password in captions 6 to 35. Registration and X-reports
// take anyone, Z-reports, programming and fiscal storage access the
// administrators, the additional mode the system administrator only. While
// a receipt is open the mode stays (only registration can be entered, so
// that a receipt left open over a restart can be finished). Provides the
// currentMode, currentOperator and operatorOfPassword services.

#include "core/module.h"

namespace vreg {

class ModesModule : public Module
{
public:
    static constexpr int kAdministrator = 29;
    static constexpr int kSystemAdministrator = 30;

    explicit ModesModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    int connected() override;
    void disconnected() override;

    int mode() const { return m_mode; }
    int operatorNumber() const { return m_operator; }
    int operatorOfPassword(const QString &password) const;

private:
    int setMode();
    int resetMode();
    int getStatus();
    int newDocument();
    // Who would enter `mode` with the password written (0 for mode 0), or -1
    // with the refusal recorded; nothing changes.
    int entrant(int mode);
    // Enters the requested mode with the password; false after recording
    // why not.
    bool enter(int mode);

    int m_mode = 0;
    int m_operator = 0;
    int m_requestedMode = 0; // the last Mode the caller wrote
};

} // namespace vreg
