#pragma once

// Laying out text for the virtual tape. A printed text may carry the
// device's in-band marks: 0x09 switches double width on (a second 0x09 off)
// up to the end of the text, 0x0A n,o 0x0A refers to the stored picture n
// at offset o dots, 0x0B n 0x0B to the stored barcode n (0: the dynamic
// one). The tape is plain text, one printed line a line, at most the tape's
// character width: a double-width character takes two columns (it is
// written followed by a space), attributes the text notation cannot show
// (bold, underline, inverse, fonts) are named after the paper's right edge,
// and cuts are marked by a line of their own.

#include <QList>
#include <QString>
#include <QStringList>

namespace vreg {
namespace tape {

enum Wrap { NoWrap = 0, WrapWords = 1, WrapChars = 2 };
enum Alignment { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };

// One piece of a printed text: a run of characters, or a reference to a
// stored picture or barcode.
struct Piece
{
    enum Kind { Text, Picture, Barcode };
    Kind kind = Text;
    QList<char32_t> chars; // Text: the characters
    QList<bool> wide;      // Text: whether each character is double width
    int number = 0;        // Picture, Barcode
    int offset = 0;        // Picture: left offset in dots
};

// Splits a text at its marks. `startWide` starts it in double width (the
// formatted-text flag). False with a reason (in Russian) for a reference
// that is not closed or not of the form "number,offset" / "number", or for
// another control character. An empty text gives one empty text piece.
bool parseMarks(const QString &text, bool startWide, QList<Piece> *pieces, QString *error);

// Lays out a run of characters `width` columns wide: wrapped (or cut at the
// edge), aligned, double-width characters spread over two columns. Lines
// carry no trailing blanks; an empty run gives one empty line.
// With `markWide` the second column of a double-width character is the
// paper's mark (PaperTape::kWideSecond) instead of a blank, for the paper to
// draw the character across both.
QStringList layoutRun(const Piece &run, int width, int wrap, int alignment, bool markWide = false);

// Places a single line `text` in a line `width` columns wide, aligned; a
// line wider than that continues on the next lines.
QStringList placeLine(const QString &text, int width, int alignment, int column = 0);

// The placeholder shown where a stored picture or barcode is printed while
// no picture or barcode memory draws it.
QString picturePlaceholder(int number, int offset);
QString barcodePlaceholder(int number);

// A line with attributes named after the paper's edge: "text    │ жирный".
QString withMarkers(const QString &line, int width, const QStringList &markers);

// The marks of a partial and a full cut.
QString cutLine(bool full, int width);

// Width in columns of a plain line (every character one column).
inline int columns(const QString &line)
{
    return int(line.toUcs4().size());
}

} // namespace tape
} // namespace vreg
