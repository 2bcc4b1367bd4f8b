#pragma once

// Printed reports. Owns the Report action and dispatches it by ReportType:
// this module brings the X-report (2) and the Z-report (1, closes the shift
// and starts the shift counters afresh); other modules add their report
// types through services().addReport. Also PrintLastCheckCopy.

#include "core/module.h"
#include "modules/fiscalcore.h"

#include <functional>
#include <map>
#include <memory>

namespace vreg {

class ShiftReportsModule : public Module
{
public:
    ShiftReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

private:
    int report();
    int xReport();
    int zReport();
    int printLastCheckCopy();
    // The shift's counters as report lines.
    QStringList shiftLines(const ShiftRecord &shift, bool open, bool closing) const;

    std::shared_ptr<FiscalCore> m_core;
    std::map<int, std::function<int()>> m_reports; // by ReportType
};

} // namespace vreg
