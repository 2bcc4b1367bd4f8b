#pragma once

// The tape as paper, read back by the tests: the pictures of the printed
// documents in the tape folder of a data folder, and the barcodes on them
// decoded by an independent reader (link ZXing::ZXing to use decode()).
// The register puts the paper out on a thread of its own; GetStatus waits
// until it is out, so the reads that take a driver ask it first.

#include "driver/ifptr.h"

#include <QDir>
#include <QImage>
#include <QStringList>

#ifdef VREG_TEST_DECODER
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#endif

namespace vregtest {

// The document pictures of a data folder, oldest first.
inline QStringList paperDocuments(const QString &dataFolder)
{
    QDir dir(dataFolder + QStringLiteral("/tape"));
    QStringList files = dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (QString &file : files)
        file = dir.filePath(file);
    return files;
}

// The newest document picture, 8-bit grey; null when there is none.
inline QImage newestPaper(const QString &dataFolder)
{
    const QStringList files = paperDocuments(dataFolder);
    return files.isEmpty() ? QImage() : QImage(files.last()).convertToFormat(QImage::Format_Grayscale8);
}

// The same, once the driver has put out everything it was given.
inline QStringList paperDocuments(VOR::Fptr::IFptr *driver, const QString &dataFolder)
{
    driver->GetStatus();
    return paperDocuments(dataFolder);
}

inline QImage newestPaper(VOR::Fptr::IFptr *driver, const QString &dataFolder)
{
    driver->GetStatus();
    return newestPaper(dataFolder);
}

#ifdef VREG_TEST_DECODER
// The text of the one barcode of `format` on the picture; empty when none
// is found.
inline QString decode(const QImage &picture, ZXing::BarcodeFormat format, bool inverted = false)
{
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    if (inverted)
        grey.invertPixels();
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return QString();
    return QString::fromStdString(result.text());
}
#endif

} // namespace vregtest
