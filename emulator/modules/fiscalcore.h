#pragma once

// What the fiscal modules (receipts, fiscal storage, shift reports) share:
// the fiscal memory itself, the rules every fiscal action checks (mode,
// fiscal storage, open shift and receipt), money and quantity conversion,
// the layout of fiscal documents and their issue (numbering, fiscal sign,
// archive, printing). The three modules are created together around one
// FiscalCore (modules.cpp); each keeps its own part of the memory in its own
// section of the state file.

#include "core/resultcodes.h"
#include "modules/fiscalrecords.h"
#include "modules/fiscalstore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

namespace vreg {

class DeviceContext;

class FiscalCore
{
public:
    explicit FiscalCore(DeviceContext &device);

    DeviceContext &device() const { return m_device; }
    FiscalRecords &records() { return m_records; }
    const FiscalRecords &records() const { return m_records; }
    // The fiscal memory in the database.
    FiscalStore &store() { return m_store; }

    // ---- clock and operator
    QDateTime now() const; // the device clock, to the second
    int currentOperator() const;
    // "Кассир 3", "Администратор"... or the name in the caption table.
    QString operatorName(int operatorNumber) const;

    // ---- checks: 0, or the failure after recording it
    // The action runs only in `mode` (not checked on a device without modes).
    int requireMode(int mode, const char *action) const;
    int requireNoReceipt(const char *action) const;
    int requireReceipt(const char *action) const;
    // A fiscal document may be issued: a fiscalised register needs its
    // fiscal storage activated and the archive open.
    int requireFiscalStorage(const char *action) const;
    // A document can be printed now (paper, no interrupted document).
    int requirePrinter() const;
    // The open shift is older than 24 hours by the device clock.
    bool shiftExpired() const;

    // ---- money and quantities from the caller's doubles
    // Kopecks, rounded half up; false for a value that is not a number or
    // lies beyond the register's amounts.
    static bool toMoney(double value, Money *money);
    static bool toQuantity(double value, qint64 *thousandths);
    static QString money(Money amount);        // "1234.50", "-3.00"
    static QString quantity(qint64 thousandths); // "2.000"

    // ---- layout of fiscal documents
    int width() const;
    QString rule() const;
    QString centered(const QString &text) const;
    // `left` and `right` on one line, the right one flush with the edge; a
    // long left part continues on lines of its own.
    QStringList columns(const QString &left, const QString &right) const;
    // A text wrapped by TextWrap (0 cut, 1 words, 2 characters).
    QStringList wrapped(const QString &text, int wrap) const;
    // Header (captions 0-5), and for fiscal documents the organisation.
    QStringList documentHead(bool fiscal) const;
    QString dateTime(const QDateTime &time) const; // "08.12.26 14:45"
    QStringList footer() const;
    // Names from the caption table, or the register's own.
    QString paymentName(int paymentType) const;  // "НАЛИЧНЫМИ", "БЕЗНАЛИЧНЫМИ"...
    QString departmentName(int department) const; // empty when none is set
    QString discountName(int number) const;       // empty when none is set
    // A fiscal property as a printed line.
    QStringList tagLines(const FiscalTag &tag) const;

    // ---- documents
    // Numbers the document, adds its fiscal data (tags, fiscal sign) and
    // the closing lines (fiscal sign, footer when asked), archives it and
    // returns it. `lines` is everything before the closing lines.
    const FiscalDocument &issue(FiscalDocument document, const QStringList &lines, bool withFooter);
    // The archive, read from the database.
    std::optional<FiscalDocument> document(qint64 number) const;
    std::optional<FiscalDocument> documentByFiscalNumber(qint64 number) const;
    // The documents a query selects, oldest first; their count; the first
    // of them; the receipts among them summed by receipt type.
    QList<FiscalDocument> documents(const DocumentQuery &query) const;
    qint64 documentCount(const DocumentQuery &query) const;
    std::optional<FiscalDocument> firstDocument(const DocumentQuery &query) const;
    std::map<int, Tally> receiptTotals(const DocumentQuery &query) const;
    // The fiscal documents of the storage in use: the virtual register has
    // no fiscal data operator to send them to, so all of them wait.
    DocumentQuery unsentDocuments() const;
    // Empties the archive and the fiscal memory but the serial number (a
    // technological reset), numbering from 1 again.
    void resetArchive();
    // Prints onto the tape; 0 on a device without printing.
    int print(const QStringList &lines, bool cut) const;

    // ---- shifts
    // Opens the next shift and issues its shift-open report; returns the
    // report's lines to print. The caller has checked everything.
    QStringList openShift(int operatorNumber, const QString &caption);
    // The caller's properties that always show the fiscal state: Session,
    // SerialNumber, ChequeNumber, Summ (of the open receipt), Remainder,
    // Change.
    void refreshStatus() const;
    void refreshReceiptStatus() const;

private:
    DeviceContext &m_device;
    FiscalRecords m_records;
    mutable FiscalStore m_store;
    FiscalDocument m_issued; // the last document issued, as issue() returns it
};

// The fiscal sign of a document: a 31-bit checksum of its numbers, kind,
// time, total, storage and lines, never 0.
quint32 fiscalSignOf(const FiscalDocument &document, const QString &storageNumber);

// Texts of the bench's lists used on documents and in details.
QString modeName(int mode);
QString receiptTypeTitle(int receiptType); // "ПРИХОД", "ВОЗВРАТ ПРИХОДА"...
QString taxName(int taxNumber);            // "НДС 20%"...

} // namespace vreg
