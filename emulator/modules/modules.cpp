// The subject modules of the virtual register. A new subject is added here.

#include "core/module.h"
#include "modules/powermodule.h"
#include "modules/settingsmodule.h"

namespace vreg {

std::vector<std::unique_ptr<Module>> createModules(DeviceContext &device)
{
    std::vector<std::unique_ptr<Module>> modules;
    modules.push_back(std::make_unique<SettingsModule>(device));
    modules.push_back(std::make_unique<PowerModule>(device));
    return modules;
}

} // namespace vreg
