// The subject modules of the virtual register. A new subject is added here.

#include "core/module.h"
#include "modules/clockmodule.h"
#include "modules/modesmodule.h"
#include "modules/powermodule.h"
#include "modules/printingmodule.h"
#include "modules/servicemodule.h"
#include "modules/settingsmodule.h"
#include "modules/tablesmodule.h"

namespace vreg {

std::vector<std::unique_ptr<Module>> createModules(DeviceContext &device)
{
    std::vector<std::unique_ptr<Module>> modules;
    modules.push_back(std::make_unique<SettingsModule>(device));
    modules.push_back(std::make_unique<PowerModule>(device));
    modules.push_back(std::make_unique<TablesModule>(device));
    modules.push_back(std::make_unique<ModesModule>(device));
    modules.push_back(std::make_unique<ClockModule>(device));
    modules.push_back(std::make_unique<PrintingModule>(device));
    modules.push_back(std::make_unique<ServiceModule>(device));
    return modules;
}

} // namespace vreg
