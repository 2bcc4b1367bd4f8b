#pragma once

// Data reports, read a record a call instead of printed: BeginReport takes
// ReportType (19 the software of a unit, 20 the software image of a unit,
// both by UnitType 1 to 5; 41 the electronic journal; 46 the last receipt)
// and takes a snapshot of the records, GetRecord hands them out one by one
// in Caption (past the last: -17), EndReport forgets them. The report is
// the connection's, not the device memory's.

#include "core/module.h"
#include "modules/reportkit.h"

#include <memory>

namespace vreg {

class DataReportsModule : public Module
{
public:
    DataReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core,
                      std::shared_ptr<ElectronicJournal> journal);
    void registerActions(ActionRegistry &registry) override;

    void disconnected() override;

    // The software image of a unit (1 to 5): its header, its version and
    // build, and bytes that are the same on every virtual register.
    static QByteArray softwareImage(int unit, const QStringList &version);

private:
    int beginReport();
    int getRecord();
    int endReport();

    std::shared_ptr<FiscalCore> m_core;
    std::shared_ptr<ElectronicJournal> m_journal;
    bool m_open = false;
    int m_type = 0;
    QStringList m_records;
    int m_next = 0;
};

} // namespace vreg
