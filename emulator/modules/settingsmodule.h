#pragma once

// Settings operations: ApplySettings and the settings dialog
// (ShowProperties). Both work without a connection.

#include "core/module.h"

namespace vreg {

class SettingsModule : public Module
{
public:
    using Module::Module;
    void registerActions(ActionRegistry &registry) override;

private:
    int showProperties();
};

} // namespace vreg
