#pragma once

// The reports of the fiscal memory (3 to 6, mode 5), of the journal module
// (22 to 33, mode 6) and of the fiscal storage (22, 25, 42, 45, 47, 48,
// 49). Two lists share the numbers 22 and 25: as on a real register, the
// mode decides. In mode 6 (access to the journal module) they are the
// journal module's activation totals and its document by КПК number; in
// any other mode the fiscal storage's registration report and its document
// by number. Added to Report through services().addReport.

#include "core/module.h"
#include "modules/reportkit.h"

#include <memory>

namespace vreg {

class FiscalReportsModule : public Module
{
public:
    FiscalReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core);
    void registerActions(ActionRegistry &registry) override;

private:
    // 3 to 6: the fiscal memory's shift records, brief or full.
    int fiscalMemory(bool byDates, bool full);
    // 22 and 25, by the mode.
    int activationTotalsOrRegistration();
    int documentByNumber();
    // 23, 24: a shift's totals and its control tape.
    int shiftTotals();
    int shiftControlTape();
    // 26 to 33: by dates or shifts, brief or full, by departments or by
    // shift totals.
    int journalRange(bool byDates, bool full, bool departments);
    // Fiscal storage reports.
    int registrationReport();
    int calculationState(); // 42
    int operatorDiagnostics(); // 45
    int shiftCounters();    // 47
    int storageCounters();  // 48
    int unsentCounters();   // 49

    bool inJournalMode() const;
    // The closed shifts of the range the caller wrote (dates or numbers);
    // false after recording a failure (a wrong range, nothing in it).
    bool shiftsInRange(const QString &report, bool byDates, QList<const ShiftRecord *> *shifts,
                       QStringList *rangeLines);
    int requireStorage(const QString &report) const;
    // How many fiscal documents wait to be sent, and the first of them.
    QStringList unsentLines() const;

    std::shared_ptr<FiscalCore> m_core;
    ReportKit m_kit;
};

} // namespace vreg
