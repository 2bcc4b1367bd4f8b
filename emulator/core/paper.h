#pragma once

// The tape as paper: every document the register prints is also drawn as it
// would come out of the printer, at the printer's resolution (the model's
// dots a line, 203 dpi), and kept as one PNG per document in the folder
// `tape/` of the data folder.
//
// Drawing needs nothing of a Qt GUI application, so that it works in any
// host of the driver (the bench, a till program, a test harness with no Qt
// application at all): text is drawn with FreeType from a monospace font
// file, barcodes come from the barcode library's own raster, and everything
// lands in a QImage, which is plain memory.
//
// The tape text carries two things the paper needs and tape.txt must not
// show (see tapeText()):
// - a double-width character is followed by kWideSecond instead of the
//   blank of its second column;
// - an image (a barcode, a picture) is one line imageLine() gives: a token
//   that names the image, which the paper draws and tape.txt writes as text.

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

namespace vreg {

class GlyphPainter;

class PaperTape
{
public:
    // The second column of a double-width character.
    static constexpr char16_t kWideSecond = 0xE002;
    static constexpr int kDotsPerInch = 203;

    PaperTape();
    ~PaperTape();
    PaperTape(const PaperTape &) = delete;
    PaperTape &operator=(const PaperTape &) = delete;

    // A tape line standing for `image` (as wide as the paper, 8-bit grey),
    // written onto tape.txt as `text` (lines no wider than the tape). The
    // image is kept until forget() is given the line.
    QString imageLine(const QImage &image, const QStringList &text);
    // Whether the line is one of imageLine()'s.
    static bool isImageLine(const QString &line);
    // Whether the line is a cut, where one document's paper ends.
    static bool isCutLine(const QString &line);
    // The lines tape.txt gets for a printed line.
    QStringList tapeText(const QString &line) const;
    // A printed line as plain text for callers that want no paper notation
    // (image lines give their text's first line).
    QString plainText(const QString &line) const;
    struct Image
    {
        QImage image;
        QStringList text;
    };
    using Images = QHash<quint64, Image>;
    // Takes the images of printed lines out of the tape, to draw them:
    // after this the lines are text only to tapeText().
    Images take(const QStringList &lines);

    // Draws lines `columns` characters wide on paper `dots` wide, the image
    // lines from `images`. Only ever on one thread at a time (the glyphs
    // are shared), but any thread.
    QImage draw(const QStringList &lines, int columns, int dots, const Images &images);
    // Whether text can be drawn (the font was found); otherwise the paper
    // shows images and cuts only, and why is in fontProblem().
    bool hasFont();
    QString fontProblem();

    // Saves a drawn document as the next PNG of `folder`/tape; the path,
    // or false with the reason.
    bool save(const QImage &document, const QString &folder, QString *path, QString *error);
    // The folder of the pictures of a data folder, and its documents in
    // printing order (oldest first).
    static QString folderOf(const QString &dataFolder);
    static QStringList documents(const QString &dataFolder);

private:
    const Image *imageOf(const QString &line) const;

    QHash<quint64, Image> m_images;
    quint64 m_nextImage = 1;
    std::unique_ptr<GlyphPainter> m_glyphs;
    QString m_numberedFolder; // the folder m_nextNumber belongs to
    int m_nextNumber = 0;
};

} // namespace vreg
