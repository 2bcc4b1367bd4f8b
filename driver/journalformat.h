#pragma once

// The journal on paper: JSON Lines files (one call a line, see README.md),
// the texts the journal panel and the replay tool show for a call, and a
// call sequence written out as C++ against VOR::Fptr::IFptr.
//
// A file starts with a "device" line for every device its calls use (with
// the settings in force before the first call), then the calls in order,
// and ends with an "end" line that counts them, so a file cut short at a
// line boundary is still recognised. A file written as calls happen may
// also hold a "gap" line where calls were dropped from the ring before they
// could be written, and more device lines where a device appears or is
// renamed.

#include "calljournal.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace JournalFormat {

// ---- writing (each line without its line feed)
QByteArray deviceLine(const Journal::Device &device);
QByteArray callLine(const Journal::Call &call);
QByteArray gapLine(quint64 lost);
QByteArray endLine(quint64 calls);
// A whole file: the devices the calls use, the calls, the end line.
QByteArray document(const QList<Journal::Device> &devices, const std::vector<Journal::Call> &calls);
// Writes the file whole or not at all; false with the reason in `error`.
bool save(const QString &path, const QByteArray &content, QString *error);

// ---- reading
struct Parsed
{
    QList<Journal::Device> devices;
    std::vector<Journal::Call> calls;
    std::vector<int> callLines; // the line of each call, from 1
    int gaps = 0;               // "gap" lines
    int firstGapLine = 0;
    bool ended = false;         // the end line was there, and its count right
    int lines = 0;              // lines in the file
};

struct ParseError
{
    int line = 0;
    int column = 0;
    QString message;
    QString toString() const;
};

// False at the first line that is not a journal line, with its line and
// column (both from 1) in `error`.
bool parse(const QByteArray &content, Parsed *parsed, ParseError *error);

// ---- texts for people
// The value as the panel shows it: numbers as such, texts in quotes with
// their control characters as escapes, dates "dd.mm.yyyy", times "hh:mm:ss".
QString valueText(const Journal::Call &call);
// Local time of the call, "hh:mm:ss.uuuuuu".
QString timeText(const Journal::Call &call);
// The operation with its setting name: "ReadSetting(Model)".
QString operationText(const Journal::Call &call);

// ---- as code
// Statements against `VOR::Fptr::IFptr *fptr` doing what the calls did;
// texts as wide literals, a comment for each button press and failure.
QString codeFragment(const std::vector<Journal::Call> &calls);

} // namespace JournalFormat
