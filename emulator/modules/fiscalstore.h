#pragma once

// The fiscal memory in the device's database: the archive of documents, the
// shifts and their counters, the registrations and fiscal storages, and the
// open receipt row by row (emulator/README.md shows the tables).
//
// The modules change FiscalRecords in memory; storing compares it with what
// was last stored and writes only the difference, so that an action costs
// what it changed, not what the memory holds: a sale writes its position
// and its printed lines, a cash deposit its document and two counters. The
// archive is never held in memory: a document is written when it is issued
// and read back when asked for.

#include "core/database.h"
#include "modules/fiscalrecords.h"

#include <map>
#include <optional>
#include <vector>

namespace vreg {

// A selection of the archive.
struct DocumentQuery
{
    bool fiscal = false;          // fiscal documents only
    qint64 after = 0;             // numbered after this document
    qint64 fromFiscalNumber = 0;  // with fiscal numbers from this one
    int session = 0;              // of this shift (0: any)
    QList<DocumentKind> kinds;    // of these kinds (none: any)
    bool withoutReports = false;  // without the other printed reports
};

class FiscalStore
{
public:
    // The tables (CREATE ... IF NOT EXISTS).
    static const char *schema();

    // ---- the part of the fiscal-storage module: identity, registrations,
    // fiscal storages, document numbers, the last documents
    bool loadStorage(Database &db, FiscalRecords *records, QString *error);
    bool storeStorage(Database &db, const FiscalRecords &records);
    // What an old state file held; written with the next store.
    void importDocuments(QList<FiscalDocument> documents);

    // ---- the part of the receipts module: shifts, counters, cash, the open
    // receipt, the fiscal properties waiting for the next position or document
    bool loadShifts(Database &db, FiscalRecords *records, QString *error);
    bool storeShifts(Database &db, const FiscalRecords &records);

    // Nothing is stored yet (factory state, an import): the next store
    // writes everything.
    void forgetStorage();
    void forgetShifts();

    // ---- the archive
    bool append(Database &db, const FiscalDocument &document);
    bool clearArchive(Database &db);
    std::optional<FiscalDocument> document(Database &db, qint64 number) const;
    std::optional<FiscalDocument> documentByFiscalNumber(Database &db, qint64 number) const;
    // The documents a query selects, oldest first; their count; the first of
    // them; the receipts among them summed by receipt type.
    QList<FiscalDocument> documents(Database &db, const DocumentQuery &query) const;
    qint64 documentCount(Database &db, const DocumentQuery &query) const;
    std::optional<FiscalDocument> firstDocument(Database &db, const DocumentQuery &query) const;
    std::map<int, Tally> receiptTotals(Database &db, const DocumentQuery &query) const;

private:
    struct StoredReceipt
    {
        bool open = false;
        Receipt header; // without positions, adjustments, taxes and lines
        int positions = 0;
        int positionEdits = 0;
        int lines = 0;
        QList<Adjustment> adjustments;
        QList<ReceiptTax> taxes;
    };
    struct StoredStorage
    {
        bool valid = false;
        QString serialNumber;
        QString taxPassword;
        qint64 lastDocumentNumber = 0;
        qint64 lastFiscalNumber = 0;
        QList<Registration> registrations;
        QList<StorageUnit> storages;
    };
    struct StoredShifts
    {
        bool valid = false;
        bool shiftOpen = false;
        Money cash = 0;
        Money lastChange = 0;
        ShiftRecord shift; // as stored while open
        int closedShifts = 0;
        Counters grand;
        StoredReceipt receipt;
        QList<FiscalTag> pendingPositionTags;
        QList<FiscalTag> pendingDocumentTags;
    };

    bool storeReceipt(Database &db, const FiscalRecords &records);
    bool writeReceipt(Database &db, const Receipt &receipt);

    StoredStorage m_storage;
    StoredShifts m_shifts;
    QList<FiscalDocument> m_imported;
};

} // namespace vreg
