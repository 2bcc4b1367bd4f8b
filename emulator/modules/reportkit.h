#pragma once

// What the printed reports and the data reports share: the electronic
// journal (ЭЖ), the checks every report makes, the ranges the caller
// writes (dates, shifts, document numbers) and the layout of totals. The
// report modules are created around one FiscalCore and one
// ElectronicJournal (modules.cpp).

#include "modules/fiscalcore.h"

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <functional>

namespace vreg {

// The electronic journal: the fiscal documents since it was last cleared
// (reports 0, and 35 and 36 with ClearFlag 1). Clearing only moves the
// journal's start; the fiscal archive itself keeps every document.
struct ElectronicJournal
{
    qint64 clearedThrough = 0; // document number of the clearing report; 0 never cleared
    QDateTime clearedAt;       // its time: a reset archive no longer has it

    // The documents in the journal, oldest first, and how many there are.
    QList<FiscalDocument> documents(const FiscalCore &core) const;
    qint64 count(const FiscalCore &core) const;
    // The document number the journal was cleared through, 0 when it never
    // was (or the archive was reset since).
    qint64 start(const FiscalCore &core) const;

    QJsonObject toJson() const;
    bool fromJson(const QJsonObject &json, QString *error);
};

// Totals by receipt type: the four main types always, the others when not
// zero. `detailed` adds payments, discounts, charges, storno, taxes and
// cancelled receipts; the shift reports print the cancelled receipts'
// count and sum on two lines.
QStringList receiptTypeTotalsLines(const FiscalCore &core, const Counters &counters, bool detailed,
                                   bool cancelledOnTwoLines = false);

class ReportKit
{
public:
    explicit ReportKit(FiscalCore &core);

    FiscalCore &core() const { return m_core; }
    DeviceContext &device() const { return m_core.device(); }
    const FiscalRecords &records() const { return m_core.records(); }

    // ---- checks: 0, or the failure after recording it
    // The report's mode (-1: any), and no receipt open.
    int begin(int mode, const QString &report) const;

    // ---- ranges from the caller's properties
    bool dateRange(const QString &report, QDate *from, QDate *to) const;          // Date, DateEnd
    bool shiftRange(const QString &report, int *from, int *to) const;             // Session, SessionEnd
    bool documentRange(const QString &report, qint64 *from, qint64 *to) const;    // DocNumber, DocNumberEnd
    // Closed shifts (the fiscal memory's records) in a range.
    QList<const ShiftRecord *> shiftsClosedBetween(const QDate &from, const QDate &to) const;
    QList<const ShiftRecord *> shiftsNumbered(int from, int to) const;
    // The closed shift of the number, or the open one; null for none.
    const ShiftRecord *shift(int number) const;
    // Fails with "no data" naming what the memory holds.
    int failNoShifts(const QString &report, const QString &range) const;

    // ---- layout
    QString amount(Money amount) const; // "=800.00"
    QStringList title(const QString &text) const; // centred, wrapped by words
    QString shiftDates(const ShiftRecord &shift) const;
    // Totals by receipt type (the four main types always, the others when
    // not zero); `detailed` adds payments, discounts, charges, storno,
    // taxes and cancelled receipts, then deposits and withdrawals.
    QStringList countersLines(const Counters &counters, bool detailed) const;
    // "СЕКЦИЯ 3", with its name when it has one of its own; "БЕЗ СЕКЦИИ" for 0.
    QString departmentHeading(int department) const;
    // Registrations by department and receipt type.
    QStringList departmentLines(const Counters &counters) const;
    // The printed lines of documents one after another, a rule between.
    QStringList documentLines(const QList<FiscalDocument> &documents) const;
    // A document in one line: ФД or document number, kind, total.
    QStringList documentSummary(const FiscalDocument &document) const;
    static QString documentTitle(const FiscalDocument &document);

    // ---- issue
    // Numbers, archives and prints a report: the header, the title, the
    // body; the printer is asked first. `archived` runs on the archived
    // document (what the report changes is stored with it). 0, or -1 after
    // recording the failure.
    int issue(const QString &title, const QStringList &body, int session = 0,
              const std::function<void(const FiscalDocument &)> &archived = {}) const;

private:
    FiscalCore &m_core;
};

// Sums of counters of several shifts.
Counters sumOf(const QList<const ShiftRecord *> &shifts);

} // namespace vreg
