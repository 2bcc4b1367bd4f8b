#include "core/paper.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>

#include <zlib.h>

namespace vreg {

namespace {

constexpr char16_t kImageStart = 0xE000;
constexpr char16_t kImageEnd = 0xE001;
constexpr char32_t kMarkerBar = 0x2502; // "text   │ жирный"
constexpr char32_t kScissors = 0x2702;
constexpr int kMargin = 8; // blank dots above and below a document
constexpr int kLabelLength = 20;

// Where the set-up puts the monospace font (it covers Cyrillic).
const char *const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/dejavu/DejaVuSansMono.ttf",
};
const char *const kBoldFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/dejavu/DejaVuSansMono-Bold.ttf",
};

template <size_t N>
QString firstExisting(const char *const (&files)[N])
{
    for (const char *file : files) {
        if (QFile::exists(QLatin1String(file)))
            return QLatin1String(file);
    }
    return QString();
}

quint64 imageId(const QString &line)
{
    if (line.size() < 3 || line.at(0) != QChar(kImageStart))
        return 0;
    const qsizetype end = line.indexOf(QChar(kImageEnd));
    if (end < 2)
        return 0;
    bool ok = false;
    const quint64 id = line.mid(1, end - 1).toULongLong(&ok);
    return ok ? id : 0;
}

struct LineStyle
{
    bool bold = false;
    bool underline = false;
    bool inverse = false;
};

// Splits "text   │ жирный, подчёркнутый" into the text and its style.
QList<uint> splitMarkers(const QList<uint> &codes, int columns, LineStyle *style)
{
    if (codes.size() > columns + 1 && codes[columns] == U' ' && codes[columns + 1] == kMarkerBar) {
        const QList<uint> rest = codes.mid(columns + 2);
        const QString markers = QString::fromUcs4(reinterpret_cast<const char32_t *>(rest.constData()), rest.size());
        style->bold = markers.contains(QStringLiteral("жирный"));
        style->underline = markers.contains(QStringLiteral("подчёркнутый"));
        style->inverse = markers.contains(QStringLiteral("инверсный"));
        return codes.mid(0, columns);
    }
    return codes;
}

void appendBigEndian(QByteArray *out, quint32 value)
{
    out->append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8)).append(char(value));
}

void appendChunk(QByteArray *out, const char *type, const QByteArray &data)
{
    appendBigEndian(out, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    out->append(typed);
    appendBigEndian(out, quint32(::crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

// A deflate stream kept for the thread that draws: setting one up clears a
// quarter of a megabyte, more than compressing a short document costs.
class Deflater
{
public:
    Deflater() { m_ready = deflateInit2(&m_stream, 1, Z_DEFLATED, 15, 8, Z_RLE) == Z_OK; }
    ~Deflater()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // The zlib stream of `raw`; empty when zlib fails.
    QByteArray compress(const QByteArray &raw)
    {
        if (!m_ready || deflateReset(&m_stream) != Z_OK)
            return QByteArray();
        QByteArray out(qsizetype(deflateBound(&m_stream, uLong(raw.size()))), Qt::Uninitialized);
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(raw.constData()));
        m_stream.avail_in = uInt(raw.size());
        m_stream.next_out = reinterpret_cast<Bytef *>(out.data());
        m_stream.avail_out = uInt(out.size());
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return QByteArray();
        out.truncate(qsizetype(m_stream.total_out));
        return out;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

// An 8-bit grey PNG. A receipt is mostly white paper, runs of one byte:
// run-length deflate at the fastest level makes it small at once, where a
// general encoder spends most of a document's drawing time choosing filters.
QByteArray encodeGreyPng(const QImage &grey)
{
    QByteArray raw;
    raw.reserve(qsizetype(grey.width() + 1) * grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        raw.append('\0'); // no filter
        raw.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    }
    QByteArray header;
    appendBigEndian(&header, quint32(grey.width()));
    appendBigEndian(&header, quint32(grey.height()));
    header.append(char(8)).append(char(0)).append(char(0)).append(char(0)).append(char(0));
    thread_local Deflater deflater;
    const QByteArray data = deflater.compress(raw);
    if (data.isEmpty())
        return QByteArray();
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(&png, "IHDR", header);
    appendChunk(&png, "IDAT", data);
    appendChunk(&png, "IEND", QByteArray());
    return png;
}

} // namespace

// Glyphs of the monospace font at the size that fills a cell, rendered once
// and kept (a receipt reuses a few dozen characters).
class GlyphPainter
{
public:
    struct Glyph
    {
        QImage coverage; // 8-bit, 255 = ink
        int left = 0;    // from the cell's left edge
        int top = 0;     // from the baseline, upwards
    };

    ~GlyphPainter()
    {
        for (FT_Face face : {m_regular, m_bold}) {
            if (face)
                FT_Done_Face(face);
        }
        if (m_library)
            FT_Done_FreeType(m_library);
    }

    bool open()
    {
        if (m_tried)
            return m_regular != nullptr;
        m_tried = true;
        if (FT_Init_FreeType(&m_library) != 0) {
            m_library = nullptr;
            m_problem = QStringLiteral("FreeType не запущен");
            return false;
        }
        const QString regular = firstExisting(kFontFiles);
        if (regular.isEmpty()) {
            m_problem = QStringLiteral("нет моноширинного шрифта %1 (его ставит scripts/setup.sh)")
                            .arg(QLatin1String(kFontFiles[0]));
            return false;
        }
        if (FT_New_Face(m_library, QFile::encodeName(regular).constData(), 0, &m_regular) != 0) {
            m_regular = nullptr;
            m_problem = QStringLiteral("шрифт %1 не читается").arg(regular);
            return false;
        }
        const QString bold = firstExisting(kBoldFontFiles);
        if (bold.isEmpty() || FT_New_Face(m_library, QFile::encodeName(bold).constData(), 0, &m_bold) != 0)
            m_bold = nullptr;
        return true;
    }

    QString problem() const { return m_problem; }

    // Sets the cell size; glyphs of another size are dropped.
    void setCell(int width, int height)
    {
        if (width == m_cellWidth && height == m_cellHeight)
            return;
        m_cellWidth = width;
        m_cellHeight = height;
        m_cache.clear();
        // The font's advance is 0.6 em: the size whose advance is the cell.
        const FT_UInt pixels = FT_UInt(qMax(6, qRound(width / 0.6021)));
        for (FT_Face face : {m_regular, m_bold}) {
            if (face)
                FT_Set_Pixel_Sizes(face, 0, pixels);
        }
        const FT_Size_Metrics &metrics = m_regular->size->metrics;
        const int ascender = int(metrics.ascender >> 6);
        const int descender = int(-(metrics.descender >> 6));
        m_baseline = qMax(ascender, (height - ascender - descender) / 2 + ascender);
    }

    int baseline() const { return m_baseline; }

    const Glyph &glyph(char32_t c, bool wide, bool bold)
    {
        const quint64 key = quint64(c) | (quint64(wide) << 32) | (quint64(bold && m_bold) << 33);
        auto found = m_cache.constFind(key);
        if (found != m_cache.constEnd())
            return *found;
        FT_Face face = bold && m_bold ? m_bold : m_regular;
        FT_Matrix matrix{wide ? 0x20000 : 0x10000, 0, 0, 0x10000};
        FT_Set_Transform(face, &matrix, nullptr);
        Glyph glyph;
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) == 0) {
            const FT_Bitmap &bitmap = face->glyph->bitmap;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.width > 0 && bitmap.rows > 0) {
                glyph.coverage = QImage(int(bitmap.width), int(bitmap.rows), QImage::Format_Grayscale8);
                for (unsigned y = 0; y < bitmap.rows; ++y)
                    memcpy(glyph.coverage.scanLine(int(y)), bitmap.buffer + qsizetype(y) * bitmap.pitch, bitmap.width);
            }
            const int advance = int(face->glyph->advance.x >> 6);
            const int cell = wide ? 2 * m_cellWidth : m_cellWidth;
            glyph.left = face->glyph->bitmap_left + (cell - advance) / 2;
            glyph.top = face->glyph->bitmap_top;
        }
        FT_Set_Transform(face, nullptr, nullptr);
        return *m_cache.insert(key, glyph);
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_regular = nullptr;
    FT_Face m_bold = nullptr;
    bool m_tried = false;
    QString m_problem;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_baseline = 0;
    QHash<quint64, Glyph> m_cache;
};

PaperTape::PaperTape()
    : m_glyphs(std::make_unique<GlyphPainter>())
{
}

PaperTape::~PaperTape() = default;

QString PaperTape::imageLine(const QImage &image, const QStringList &text)
{
    const quint64 id = m_nextImage++;
    m_images.insert(id, Image{image, text});
    // A short label follows the token: what remains of the image where the
    // line is kept as text beyond the printing (a document archived with a
    // picture of the header). Short enough that the line never wraps.
    QString label = text.value(0).trimmed();
    if (label.size() > kLabelLength)
        label = label.left(kLabelLength - 2) + QStringLiteral("…]");
    return QChar(kImageStart) + QString::number(id) + QChar(kImageEnd) + label;
}

bool PaperTape::isImageLine(const QString &line)
{
    return imageId(line) != 0;
}

bool PaperTape::isCutLine(const QString &line)
{
    const QList<uint> all = line.toUcs4();
    return !all.isEmpty() && (all[0] == U'-' || all[0] == U'=') && all.contains(uint(kScissors));
}

const PaperTape::Image *PaperTape::imageOf(const QString &line) const
{
    const quint64 id = imageId(line);
    if (id == 0)
        return nullptr;
    auto found = m_images.constFind(id);
    return found == m_images.constEnd() ? nullptr : &*found;
}

QStringList PaperTape::tapeText(const QString &line) const
{
    if (isImageLine(line)) {
        const Image *image = imageOf(line);
        // An image line outlives its image only in a document that waited
        // for paper across a restart of the driver.
        return image ? image->text : QStringList{line.mid(line.indexOf(QChar(kImageEnd)) + 1)};
    }
    if (!line.contains(QChar(kWideSecond)))
        return {line};
    QString text = line;
    text.replace(QChar(kWideSecond), QLatin1Char(' '));
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return {text};
}

QString PaperTape::plainText(const QString &line) const
{
    const QStringList text = tapeText(line);
    return text.isEmpty() ? QString() : text.join(QLatin1Char('\n'));
}

PaperTape::Images PaperTape::take(const QStringList &lines)
{
    Images taken;
    for (const QString &line : lines) {
        const quint64 id = imageId(line);
        if (id != 0 && m_images.contains(id))
            taken.insert(id, m_images.take(id));
    }
    return taken;
}

bool PaperTape::hasFont()
{
    return m_glyphs->open();
}

QString PaperTape::fontProblem()
{
    m_glyphs->open();
    return m_glyphs->problem();
}

QImage PaperTape::draw(const QStringList &lines, int columns, int dots, const Images &images)
{
    const auto imageOf = [&images](const QString &line) -> const Image * {
        const auto found = images.constFind(imageId(line));
        return found == images.constEnd() ? nullptr : &*found;
    };
    columns = qMax(1, columns);
    const int cellWidth = qMax(1, dots / columns);
    const int lineHeight = cellWidth * 2;
    const int textLeft = (dots - cellWidth * columns) / 2;
    const bool font = m_glyphs->open();
    if (font)
        m_glyphs->setCell(cellWidth, lineHeight);

    int height = 2 * kMargin;
    for (const QString &line : lines) {
        const Image *image = imageOf(line);
        height += image ? image->image.height() : lineHeight;
    }
    QImage paper(dots, height, QImage::Format_Grayscale8);
    paper.fill(255);

    int top = kMargin;
    for (const QString &line : lines) {
        if (const Image *image = imageOf(line)) {
            const QImage &picture = image->image;
            const int w = qMin(dots, picture.width());
            for (int y = 0; y < picture.height(); ++y)
                memcpy(paper.scanLine(top + y), picture.constScanLine(y), size_t(w));
            top += picture.height();
            continue;
        }
        // An image line whose image is gone is drawn as its label.
        const QString shown = isImageLine(line) ? tapeText(line).value(0) : line;
        const QList<uint> all = shown.toUcs4();
        if (isCutLine(shown)) {
            // A cut: a dashed line for a partial cut, a full one across.
            const bool full = all[0] == U'=';
            uchar *row = paper.scanLine(top + lineHeight / 2);
            for (int x = 0; x < dots; ++x) {
                if (full || (x / 6) % 2 == 0)
                    row[x] = 0;
            }
            top += lineHeight;
            continue;
        }
        LineStyle style;
        const QList<uint> codes = splitMarkers(all, columns, &style);
        const int baseline = top + (font ? m_glyphs->baseline() : 0);
        int used = 0;
        for (qsizetype i = 0; i < codes.size(); ++i) {
            const char32_t c = char32_t(codes[i]);
            if (c == kWideSecond)
                continue;
            const bool wide = i + 1 < codes.size() && codes[i + 1] == kWideSecond;
            const int x = textLeft + int(i) * cellWidth;
            if (c != U' ')
                used = int(i) + (wide ? 2 : 1);
            if (!font || c == U' ' || x >= dots)
                continue;
            const GlyphPainter::Glyph &glyph = m_glyphs->glyph(c, wide, style.bold);
            const QImage &ink = glyph.coverage;
            for (int gy = 0; gy < ink.height(); ++gy) {
                const int py = baseline - glyph.top + gy;
                if (py < top || py >= top + lineHeight)
                    continue;
                uchar *row = paper.scanLine(py);
                const uchar *src = ink.constScanLine(gy);
                for (int gx = 0; gx < ink.width(); ++gx) {
                    const int px = x + glyph.left + gx;
                    if (px < 0 || px >= dots || src[gx] == 0)
                        continue;
                    row[px] = uchar(qMin<int>(row[px], 255 - src[gx]));
                }
            }
        }
        const int right = qMin(dots, textLeft + used * cellWidth);
        if (style.underline && used > 0) {
            uchar *row = paper.scanLine(qMin(top + lineHeight - 2, baseline + 3));
            for (int x = textLeft; x < right; ++x)
                row[x] = 0;
        }
        if (style.inverse && used > 0) {
            for (int y = top; y < top + lineHeight; ++y) {
                uchar *row = paper.scanLine(y);
                for (int x = textLeft; x < right; ++x)
                    row[x] = uchar(255 - row[x]);
            }
        }
        top += lineHeight;
    }
    return paper;
}

QString PaperTape::folderOf(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/tape");
}

QStringList PaperTape::documents(const QString &dataFolder)
{
    static const QRegularExpression name(QStringLiteral("^[0-9]{6,}\\.png$"));
    QStringList files;
    const QDir dir(folderOf(dataFolder));
    for (const QString &file : dir.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        if (name.match(file).hasMatch())
            files << file;
    }
    // Names are zero-padded numbers: by length, then by text, is by number.
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (QString &file : files)
        file = dir.filePath(file);
    return files;
}

bool PaperTape::save(const QImage &document, const QString &folder, QString *path, QString *error)
{
    const QString dir = folderOf(folder);
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("папка %1 не создаётся").arg(dir);
        return false;
    }
    if (m_numberedFolder != dir) {
        // Numbering goes on after the documents already there.
        const QStringList existing = documents(folder);
        m_nextNumber = existing.isEmpty() ? 1 : QFileInfo(existing.last()).baseName().toInt() + 1;
        m_numberedFolder = dir;
    }
    const QString file = dir + QStringLiteral("/%1.png").arg(m_nextNumber, 6, 10, QLatin1Char('0'));
    // Written beside and renamed, so that a viewer of the folder never
    // sees half a picture. Not synced to disk: the picture is a view of the
    // tape, and a sync would cost the printing action more than the drawing.
    const QByteArray png = encodeGreyPng(document.convertToFormat(QImage::Format_Grayscale8));
    if (png.isEmpty()) {
        *error = QStringLiteral("картинка %1 не сжимается").arg(file);
        return false;
    }
    QFile out(file + QStringLiteral(".part"));
    if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size() || !out.flush()) {
        *error = QStringLiteral("%1 не записывается: %2").arg(out.fileName(), out.errorString());
        out.remove();
        return false;
    }
    out.close();
    QFile::remove(file);
    if (!QFile::rename(out.fileName(), file)) {
        *error = QStringLiteral("%1 не переименовывается в %2").arg(out.fileName(), file);
        QFile::remove(out.fileName());
        return false;
    }
    ++m_nextNumber;
    *path = file;
    return true;
}

} // namespace vreg
