#pragma once

// The registration reports besides the X- and Z-reports (0 clearing of the
// control tape, 7 departments, 8 cashiers, 10 hours, 11 quantities, 34 a
// document by number, 35 and 36 the control tape, 38 the service report,
// 39 the electronic report onto the SD card, 50 and 51 the electronic
// journal by documents and shifts), the device information (43) and the
// test run (44). Added to Report through services().addReport. Keeps the
// electronic journal's clearing mark in the state section "journal".

#include "core/module.h"
#include "modules/reportkit.h"

#include <memory>

namespace vreg {

class JournalReportsModule : public Module
{
public:
    JournalReportsModule(DeviceContext &device, std::shared_ptr<FiscalCore> core,
                         std::shared_ptr<ElectronicJournal> journal);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("journal"); }
    void resetState() override;
    bool loadState(const QJsonObject &section, QString *error) override;
    QJsonObject saveState() const override;
    QByteArray stateFingerprint() const override
    {
        return fingerprintOf(m_journal->clearedThrough, m_journal->clearedAt.toMSecsSinceEpoch());
    }

private:
    int clearControlTape();        // 0
    int departments();             // 7
    int cashiers();                // 8
    int hours();                   // 10
    int quantities();              // 11
    int documentByNumber();        // 34
    int controlTape(bool full);    // 35, 36
    int serviceReport();           // 38
    int sdCardReport();            // 39
    int journalByDocuments();      // 50
    int journalByShifts();         // 51
    int deviceInformation();       // 43
    int testRun();                 // 44

    // The receipts of the open shift; empty when none is open.
    QList<FiscalDocument> shiftDocuments() const;
    // "СМЕНА n" of the open shift, or "СМЕНА ЗАКРЫТА".
    QStringList shiftHeading() const;
    void markCleared(const FiscalDocument &report);
    // The journal's documents of shifts `from` to `to`; none records the
    // failure and gives false.
    bool journalOfShifts(const QString &name, int from, int to, QList<FiscalDocument> *documents);

    std::shared_ptr<FiscalCore> m_core;
    std::shared_ptr<ElectronicJournal> m_journal;
    ReportKit m_kit;
};

} // namespace vreg
