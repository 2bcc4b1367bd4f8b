#include "modules/tapelayout.h"

#include "core/paper.h"

#include <QRegularExpression>

namespace vreg {
namespace tape {

namespace {

constexpr char32_t kDoubleWidth = 0x09;
constexpr char32_t kPicture = 0x0A;
constexpr char32_t kBarcode = 0x0B;

struct Cell
{
    char32_t ch;
    bool wide;
    int width() const { return wide ? 2 : 1; }
    bool blank() const { return ch == U' '; }
};
using CellLine = QList<Cell>;

QString render(const CellLine &line, bool markWide)
{
    QString out;
    out.reserve(line.size() * 2);
    for (const Cell &cell : line) {
        if (QChar::requiresSurrogates(cell.ch)) {
            out += QChar(QChar::highSurrogate(cell.ch));
            out += QChar(QChar::lowSurrogate(cell.ch));
        } else {
            out += QChar(char16_t(cell.ch));
        }
        // The second column of a double-width character.
        if (cell.wide)
            out += markWide ? QChar(PaperTape::kWideSecond) : QChar(QLatin1Char(' '));
    }
    return out;
}

int widthOf(const CellLine &line)
{
    int total = 0;
    for (const Cell &cell : line)
        total += cell.width();
    return total;
}

void trimRight(CellLine *line)
{
    while (!line->isEmpty() && line->last().blank())
        line->removeLast();
}

void trimLeft(CellLine *line)
{
    while (!line->isEmpty() && line->first().blank())
        line->removeFirst();
}

QString rstrip(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString align(CellLine line, int width, int alignment, bool markWide)
{
    trimRight(&line);
    if (alignment != AlignLeft)
        trimLeft(&line);
    const int free = qMax(0, width - widthOf(line));
    int pad = 0;
    if (alignment == AlignCenter)
        pad = free / 2;
    else if (alignment == AlignRight)
        pad = free;
    return rstrip(QString(pad, QLatin1Char(' ')) + render(line, markWide));
}

// Splits the cells into lines of at most `width` columns.
QList<CellLine> wrapCells(const CellLine &cells, int width, int wrap)
{
    QList<CellLine> lines;
    CellLine current;
    int used = 0;
    auto flush = [&] {
        lines.append(current);
        current.clear();
        used = 0;
    };
    auto put = [&](const Cell &cell) {
        current.append(cell);
        used += cell.width();
    };

    if (wrap == NoWrap) {
        // What does not fit is not printed.
        for (const Cell &cell : cells) {
            if (used + cell.width() > width)
                break;
            put(cell);
        }
        lines.append(current);
        return lines;
    }

    if (wrap == WrapChars) {
        for (const Cell &cell : cells) {
            if (used + cell.width() > width)
                flush();
            put(cell);
        }
        lines.append(current);
        return lines;
    }

    // By words: a word that does not fit moves to the next line; one longer
    // than a whole line is broken; the blank at a break is dropped.
    qsizetype i = 0;
    const qsizetype n = cells.size();
    bool continued = false; // the current line follows a break
    while (i < n) {
        if (cells[i].blank()) {
            if (!(continued && current.isEmpty())) {
                if (used + cells[i].width() > width) {
                    flush();
                    continued = true;
                } else {
                    put(cells[i]);
                }
            }
            ++i;
            continue;
        }
        qsizetype end = i;
        int wordWidth = 0;
        while (end < n && !cells[end].blank()) {
            wordWidth += cells[end].width();
            ++end;
        }
        if (used + wordWidth <= width) {
            for (qsizetype k = i; k < end; ++k)
                put(cells[k]);
        } else if (wordWidth <= width) {
            trimRight(&current);
            flush();
            continued = true;
            for (qsizetype k = i; k < end; ++k)
                put(cells[k]);
        } else {
            for (qsizetype k = i; k < end; ++k) {
                if (used + cells[k].width() > width) {
                    flush();
                    continued = true;
                }
                put(cells[k]);
            }
        }
        i = end;
    }
    lines.append(current);
    return lines;
}

} // namespace

bool parseMarks(const QString &text, bool startWide, QList<Piece> *pieces, QString *error)
{
    static const QRegularExpression pictureRef(QStringLiteral("^([0-9]{1,9}),([0-9]{1,9})$"));
    static const QRegularExpression barcodeRef(QStringLiteral("^([0-9]{1,9})$"));

    pieces->clear();
    const QList<uint> codes = text.toUcs4();
    bool wide = startWide;
    Piece run;
    auto flushRun = [&] {
        if (!run.chars.isEmpty())
            pieces->append(run);
        run = Piece();
    };

    for (qsizetype i = 0; i < codes.size(); ++i) {
        const char32_t c = char32_t(codes[i]);
        if (c == kDoubleWidth) {
            wide = !wide;
            continue;
        }
        if (c == kPicture || c == kBarcode) {
            const bool picture = c == kPicture;
            qsizetype close = i + 1;
            while (close < codes.size() && codes[close] != c)
                ++close;
            if (close >= codes.size()) {
                *error = picture ? QStringLiteral("ссылка на картинку (символ 0x0A) не закрыта")
                                 : QStringLiteral("ссылка на штрихкод (символ 0x0B) не закрыта");
                return false;
            }
            QList<uint> inner = codes.mid(i + 1, close - i - 1);
            const QString body = QString::fromUcs4(reinterpret_cast<const char32_t *>(inner.constData()),
                                                   inner.size());
            const QRegularExpressionMatch match = (picture ? pictureRef : barcodeRef).match(body);
            if (!match.hasMatch()) {
                *error = picture ? QStringLiteral("ссылка на картинку \"%1\": ожидается \"номер,смещение\"").arg(body)
                                 : QStringLiteral("ссылка на штрихкод \"%1\": ожидается номер").arg(body);
                return false;
            }
            flushRun();
            Piece ref;
            ref.kind = picture ? Piece::Picture : Piece::Barcode;
            ref.number = match.captured(1).toInt();
            ref.offset = picture ? match.captured(2).toInt() : 0;
            pieces->append(ref);
            i = close;
            continue;
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            *error = QStringLiteral("управляющий символ 0x%1 не печатается").arg(uint(c), 2, 16, QLatin1Char('0'));
            return false;
        }
        run.chars.append(c);
        run.wide.append(wide);
    }
    flushRun();
    if (pieces->isEmpty())
        pieces->append(Piece());
    return true;
}

QStringList layoutRun(const Piece &run, int width, int wrap, int alignment, bool markWide)
{
    CellLine cells;
    for (qsizetype i = 0; i < run.chars.size(); ++i)
        cells.append(Cell{run.chars[i], i < run.wide.size() && run.wide[i]});
    QStringList lines;
    for (const CellLine &line : wrapCells(cells, width, wrap))
        lines.append(align(line, width, alignment, markWide));
    return lines;
}

QStringList placeLine(const QString &text, int width, int alignment, int column)
{
    Piece run;
    for (uint c : text.toUcs4()) {
        run.chars.append(char32_t(c));
        run.wide.append(false);
    }
    QStringList lines = layoutRun(run, width, WrapChars, alignment);
    if (alignment == AlignLeft && column > 0) {
        for (QString &line : lines) {
            const int room = qMax(0, width - columns(line));
            line = QString(qMin(column, room), QLatin1Char(' ')) + line;
        }
    }
    return lines;
}

QString picturePlaceholder(int number, int offset)
{
    return QStringLiteral("[Картинка №%1, смещение %2]").arg(number).arg(offset);
}

QString barcodePlaceholder(int number)
{
    return number == 0 ? QStringLiteral("[Динамический штрихкод]")
                       : QStringLiteral("[Штрихкод №%1 из памяти]").arg(number);
}

QString withMarkers(const QString &line, int width, const QStringList &markers)
{
    if (markers.isEmpty())
        return line;
    const int pad = qMax(0, width - columns(line));
    return line + QString(pad, QLatin1Char(' ')) + QStringLiteral(" │ ") + markers.join(QStringLiteral(", "));
}

QString cutLine(bool full, int width)
{
    const QString title = full ? QStringLiteral(" ✂ полная отрезка ") : QStringLiteral(" ✂ неполная отрезка ");
    const QChar fill = full ? QLatin1Char('=') : QLatin1Char('-');
    const int free = qMax(0, width - columns(title));
    return QString(free / 2, fill) + title + QString(free - free / 2, fill);
}

} // namespace tape
} // namespace vreg
