#pragma once

// The pin pad attached to the register: power, a port, and an answer to
// every command written, read back in pieces of ReadSize bytes. It echoes
// each command, or gives the fixed answer of the PinPadAnswer setting.
// Run-time state only.

#include "core/module.h"

#include <QByteArray>

namespace vreg {

class PinPadModule : public Module
{
public:
    using Module::Module;
    void registerActions(ActionRegistry &registry) override;
    void disconnected() override;

private:
    int powerOn();
    int powerOff();
    int open();
    int close();
    int write();
    int read();
    int requireOpen(const char *action);

    bool m_powered = false;
    bool m_open = false;
    int m_mode = 1;
    QByteArray m_answer; // answered, not yet read
};

} // namespace vreg
