// The subject modules of the virtual register. A new subject is added here.

#include "core/module.h"
#include "modules/clockmodule.h"
#include "modules/datareportsmodule.h"
#include "modules/fiscalpropertiesmodule.h"
#include "modules/fiscalreportsmodule.h"
#include "modules/fiscalstoragemodule.h"
#include "modules/journalreportsmodule.h"
#include "modules/barcodesmodule.h"
#include "modules/modemmodule.h"
#include "modules/modesmodule.h"
#include "modules/papermodule.h"
#include "modules/picturesmodule.h"
#include "modules/pinpadmodule.h"
#include "modules/powermodule.h"
#include "modules/printingmodule.h"
#include "modules/receiptsmodule.h"
#include "modules/registersmodule.h"
#include "modules/scannermodule.h"
#include "modules/sdcardmodule.h"
#include "modules/servicemodule.h"
#include "modules/settingsmodule.h"
#include "modules/shiftreportsmodule.h"
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
    modules.push_back(std::make_unique<PaperModule>(device));
    modules.push_back(std::make_unique<BarcodesModule>(device));
    modules.push_back(std::make_unique<PicturesModule>(device));
    modules.push_back(std::make_unique<ServiceModule>(device));
    // Shifts and receipts, fiscal properties, fiscal storage and the shift
    // reports share one fiscal memory; each module keeps its own part.
    auto fiscal = std::make_shared<FiscalCore>(device);
    modules.push_back(std::make_unique<FiscalStorageModule>(device, fiscal));
    modules.push_back(std::make_unique<ReceiptsModule>(device, fiscal));
    modules.push_back(std::make_unique<FiscalPropertiesModule>(device, fiscal));
    modules.push_back(std::make_unique<ShiftReportsModule>(device, fiscal));
    // Registers, the other printed reports and the data reports read the
    // same memory; the journal reports and the data reports share the
    // electronic journal.
    auto journal = std::make_shared<ElectronicJournal>();
    modules.push_back(std::make_unique<RegistersModule>(device, fiscal));
    modules.push_back(std::make_unique<JournalReportsModule>(device, fiscal, journal));
    modules.push_back(std::make_unique<FiscalReportsModule>(device, fiscal));
    modules.push_back(std::make_unique<DataReportsModule>(device, fiscal, journal));
    // The peripherals: run-time state only, no device memory.
    modules.push_back(std::make_unique<SdCardModule>(device));
    modules.push_back(std::make_unique<ModemModule>(device));
    modules.push_back(std::make_unique<PinPadModule>(device));
    modules.push_back(std::make_unique<ScannerModule>(device));
    return modules;
}

} // namespace vreg
