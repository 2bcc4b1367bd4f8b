#pragma once

// What the subject modules offer one another. A module that provides a
// service fills its entry when it is created; a module that needs one calls
// it through DeviceContext::services(). Entries stay empty on a device whose
// kind lacks the subject, so a caller checks before calling (the helpers at
// the end give sensible answers for an empty entry).

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace vreg {

struct FiscalRecords;

struct Services
{
    // ---- modes and passwords (the modes module)
    // The current mode, 0 to 7 (0: mode selection).
    std::function<int()> currentMode;
    // The operator who entered the current mode: 1 to 28 cashiers, 29 the
    // administrator, 30 the system administrator; 0 when none.
    std::function<int()> currentOperator;
    // Which operator a password belongs to (1 to 30), 0 for none.
    std::function<int(const QString &password)> operatorOfPassword;

    // ---- the device clock (the clock module)
    std::function<QDateTime()> now;

    // ---- tables (the tables module)
    std::function<QString(int number)> caption;
    std::function<double(int number)> value;

    // ---- printing onto the virtual tape (the printing module)
    // Prints lines already laid out for the tape (at most CharLineLength
    // characters each, in the tape's notation) as one document; `cut` ends
    // it with a cut mark. Honours the paper sensor (a document that runs out
    // of paper fails with "no paper" and is completed by ContinuePrint) and
    // the printing speed. Negative after recording a failure.
    // The tape's notation: a line may carry the device's text marks (0x09:
    // double width from there to the end of the line; 0x0A n,o 0x0A: the
    // stored picture n at offset o; 0x0B n 0x0B: the stored barcode n, 0 the
    // dynamic one); a line wider than the tape continues on the next line.
    std::function<int(const QStringList &lines, bool cut)> printDocument;
    // The header (captions 0 to 5) and footer (captions 69 to 88) lines,
    // laid out for the tape.
    std::function<QStringList()> headerLines;
    std::function<QStringList()> footerLines;
    // 0 when a document can be printed now; otherwise negative after
    // recording why not (no paper, an interrupted document waiting for
    // ContinuePrint). Fiscal operations ask before they change anything, so
    // that a registration is never half done.
    std::function<int()> printerReady;
    // A text laid out for the tape with a TextWrap (0 none: cut at the
    // edge, 1 by words, 2 by characters) and an Alignment (0 left, 1 centre,
    // 2 right), marks included; empty on an invalid mark.
    std::function<QStringList(const QString &text, int wrap, int alignment)> layoutText;
    // How many cuts and printed lines the printer has made in its life.
    std::function<qint64()> cutCount;
    std::function<qint64()> printedLineCount;

    // ---- pictures and barcodes in memory (the pictures and barcodes modules)
    // The tape lines of a stored picture (number, left offset in dots) and
    // of a stored barcode (number, 0 the dynamic one; Alignment 0 to 2),
    // referenced from a printed text. Negative after recording a failure
    // (no such picture or barcode). Empty: the text shows a placeholder.
    std::function<int(int number, int offset, QStringList *lines)> pictureLines;
    std::function<int(int number, int alignment, QStringList *lines)> barcodeLines;

    // ---- the tape as paper (the paper module, core/paper.h)
    // A tape line standing for an image as wide as the paper (8-bit grey),
    // written onto the text tape as `text`; empty when the device has no
    // paper module.
    std::function<QString(const QImage &image, const QStringList &text)> imageLine;
    // The lines the text tape gets for a printed line (the text of an
    // image line; double width as blanks).
    std::function<QStringList(const QString &line)> tapeText;
    // Draws printed lines as paper, shows them in the live tape window,
    // which plays them out over `durationMs`, and keeps the paper as the
    // next picture of the tape once it is cut off, or at once when no
    // document `goesOn` (an open receipt); then lets go of the lines'
    // images. Never fails the printing: a picture that cannot be saved is
    // said in the result detail.
    std::function<void(const QStringList &lines, int durationMs, bool goesOn)> paperDocument;
    // Waits until every document handed to paperDocument is drawn and
    // saved (the paper comes out on a thread of its own).
    std::function<void()> flushPaper;

    // ---- firmware (the service module)
    // Version, sub-version and build of a unit (1 to 5, the bench's
    // unitTypes); empty for an unknown unit.
    std::function<QStringList(int unit)> unitVersion;

    // ---- the fiscal archive (the receipts module)
    // Date and time of the last fiscal document; invalid when there is none.
    std::function<QDateTime()> lastFiscalDocumentTime;
    // Whether a shift is open / a receipt is open.
    std::function<bool()> shiftOpen;
    std::function<bool()> receiptOpen;
    // The whole fiscal memory, read-only: shifts, counters, cash, the open
    // receipt, registrations, fiscal storages and the archive of documents
    // (modules/fiscalrecords.h says which register comes from where). Null
    // while the device is not connected.
    std::function<const FiscalRecords *()> fiscalRecords;
    // Puts the fiscal status properties (Session, SerialNumber,
    // ChequeNumber, Summ of the open receipt, Remainder, Change) back to the
    // device's state, for GetStatus.
    std::function<void()> refreshFiscalStatus;

    // ---- printed reports (the shift-report module owns Report)
    // Adds or replaces the handler of a ReportType (types 1 and 2 are the
    // Z- and X-reports); Report fails with "not supported" for a type
    // nobody added. Call it from registerActions.
    std::function<void(int reportType, std::function<int()> handler)> addReport;
};

// Answers for entries nobody filled.
inline QDateTime serviceNow(const Services &s)
{
    return s.now ? s.now() : QDateTime::currentDateTime();
}

inline int serviceMode(const Services &s)
{
    return s.currentMode ? s.currentMode() : 0;
}

} // namespace vreg
