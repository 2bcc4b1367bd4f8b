#pragma once

// What the subject modules offer one another. A module that provides a
// service fills its entry when it is created; a module that needs one calls
// it through DeviceContext::services(). Entries stay empty on a device whose
// kind lacks the subject, so a caller checks before calling (the helpers at
// the end give sensible answers for an empty entry).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace vreg {

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
    std::function<int(const QStringList &lines, bool cut)> printDocument;
    // The header (captions 0 to 5) and footer (captions 69 to 88) lines,
    // laid out for the tape.
    std::function<QStringList()> headerLines;
    std::function<QStringList()> footerLines;

    // ---- the fiscal archive (the receipts module)
    // Date and time of the last fiscal document; invalid when there is none.
    std::function<QDateTime()> lastFiscalDocumentTime;
    // Whether a shift is open / a receipt is open.
    std::function<bool()> shiftOpen;
    std::function<bool()> receiptOpen;
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
