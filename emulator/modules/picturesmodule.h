#pragma once

// Pictures: printing a file (PrintPicture), the picture memory
// (LoadPictureFromFile, UploadPicture, DownloadPicture,
// PrintPictureByNumber, RemoveLastPicture, ClearPictureArray and the two
// status queries) and the picture mark of printed texts (0x0A n,offset 0x0A).
// A thermal head has no grey: pictures print black where they are darker
// than half (over white paper), and are kept in memory exactly as given.
// Provides pictureLines.

#include "core/module.h"
#include "core/picturememory.h"

namespace vreg {

class PicturesModule : public Module
{
public:
    explicit PicturesModule(DeviceContext &device);
    void registerActions(ActionRegistry &registry) override;

    QString stateKey() const override { return QStringLiteral("pictures"); }
    void resetState() override;
    const char *schema() const override;
    bool load(Database &db, QString *error) override;
    bool store(Database &db) override;

    // A picture as the print head makes it: paper `dots` wide, black and
    // white, the picture at `left`.
    static QImage printedImage(const QImage &picture, int dots, int left);
    // Upload text ("aarrggbb" a pixel, bottom row first) to a picture;
    // false with the reason.
    static bool fromUploadText(const QString &text, int width, int height, QImage *picture, QString *why);
    // Download text (bytes blue, green, red, alpha a pixel, top row first).
    static QString toDownloadText(const QImage &picture);

private:
    int printPicture();
    int printByNumber();
    int loadFromFile();
    int upload();
    int download();
    int removeLast();
    int clear();
    int pictureStatus();
    int arrayStatus();

    // The stored picture `number`; false after recording that there is none.
    bool stored(int number, QImage *picture);
    // The picture PictureNumber names, its size put into Width and Height.
    bool storedWithSize(QImage *picture);
    // Reads a picture file; false after recording the failure.
    bool readFile(const QString &fileName, QImage *picture);
    // Stores a picture that fits the paper and the memory; `source` names it in a failure.
    bool keep(const QImage &picture, const QString &source);
    // The tape lines of a picture at `left` dots; false after recording the failure.
    bool linesOf(const QImage &picture, int left, const QString &caption, QStringList *lines);
    int print(const QStringList &lines);

    PictureMemory m_memory;
    QList<QImage> m_stored; // as the database holds them
};

} // namespace vreg
