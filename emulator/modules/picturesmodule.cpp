#include "modules/picturesmodule.h"

#include "core/device.h"
#include "modules/tapelayout.h"

#include <QFileInfo>
#include <QImageReader>

#include <cstring>

namespace vreg {

namespace {

// Beyond this a file is not a receipt picture (and would take the memory
// of the host to decode).
constexpr qint64 kMaxFilePixels = 4096 * 4096;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

PicturesModule::PicturesModule(DeviceContext &device)
    : Module(device)
{
    device.services().pictureLines = [this](int number, int offset, QStringList *out) {
        QImage picture;
        if (!stored(number, &picture))
            return -1;
        return linesOf(picture, offset, QStringLiteral("Картинка №%1").arg(number), out) ? 0 : -1;
    };
}

// ---- memory

bool PicturesModule::stored(int number, QImage *picture)
{
    *picture = m_memory.get(number);
    if (picture->isNull()) {
        device().fail(Code::PictureNotFound,
                      QStringLiteral("Картинки №%1 нет: в памяти %2 картинок").arg(number).arg(m_memory.count()));
        return false;
    }
    return true;
}

void PicturesModule::resetState()
{
    m_memory.clear();
    m_stored.clear();
}

const char *PicturesModule::schema() const
{
    // The pixels as given: 32-bit ARGB, rows top first, no padding.
    return R"(
CREATE TABLE IF NOT EXISTS pictures (
    number INTEGER PRIMARY KEY,
    width INTEGER NOT NULL,
    height INTEGER NOT NULL,
    pixels BLOB NOT NULL
);
)";
}

bool PicturesModule::load(Database &db, QString *error)
{
    QList<QImage> entries;
    qint64 bytes = 0;
    Database::Query rows = db.query("SELECT number, width, height, pixels FROM pictures ORDER BY number");
    while (rows.next()) {
        const qint64 width = rows.integer(1);
        const qint64 height = rows.integer(2);
        const QByteArray pixels = rows.blob(3);
        bytes += width * height * 4;
        if (rows.integer(0) != entries.size() + 1 || entries.size() >= PictureMemory::kMaxPictures || width < 1
            || height < 1 || width > PictureMemory::kMaxHeight || height > PictureMemory::kMaxHeight
            || bytes > PictureMemory::kCapacityBytes || pixels.size() != width * height * 4) {
            *error = QStringLiteral("неверная картинка %1 в памяти").arg(rows.integer(0));
            return false;
        }
        QImage picture(int(width), int(height), QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y)
            std::memcpy(picture.scanLine(y), pixels.constData() + qint64(y) * width * 4, size_t(width) * 4);
        entries.append(picture);
    }
    if (rows.failed()) {
        *error = db.error();
        return false;
    }
    m_memory.restore(entries);
    m_stored = m_memory.entries();
    return true;
}

bool PicturesModule::store(Database &db)
{
    // Asked after every action: a memory nobody touched still shares its
    // list, and each picture its pixels, with the stored copy.
    const QList<QImage> now = m_memory.entries();
    if (now.constData() == m_stored.constData() && now.size() == m_stored.size())
        return true;
    qsizetype same = 0;
    while (same < now.size() && same < m_stored.size() && now[same] == m_stored[same])
        ++same;
    if (same < m_stored.size() && !db.write("DELETE FROM pictures WHERE number > ?", {qint64(same)}))
        return false;
    for (qsizetype i = same; i < now.size(); ++i) {
        const QImage picture = now[i].convertToFormat(QImage::Format_ARGB32);
        QByteArray pixels;
        pixels.reserve(qsizetype(picture.width()) * picture.height() * 4);
        for (int y = 0; y < picture.height(); ++y)
            pixels.append(reinterpret_cast<const char *>(picture.constScanLine(y)), qsizetype(picture.width()) * 4);
        if (!db.write("INSERT INTO pictures (number, width, height, pixels) VALUES (?, ?, ?, ?)",
                      {qint64(i + 1), picture.width(), picture.height(), pixels}))
            return false;
    }
    m_stored = now;
    return true;
}

// ---- actions

void PicturesModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::PrintPicture, Subject::Pictures, [this] { return printPicture(); });
    registry.add(Action::PrintPictureByNumber, Subject::Pictures, [this] { return printByNumber(); });
    registry.add(Action::LoadPictureFromFile, Subject::Pictures, [this] { return loadFromFile(); });
    registry.add(Action::UploadPicture, Subject::Pictures, [this] { return upload(); });
    registry.add(Action::DownloadPicture, Subject::Pictures, [this] { return download(); });
    registry.add(Action::RemoveLastPicture, Subject::Pictures, [this] { return removeLast(); });
    registry.add(Action::ClearPictureArray, Subject::Pictures, [this] { return clear(); });
    registry.add(Action::GetPictureStatus, Subject::Pictures, [this] { return pictureStatus(); });
    registry.add(Action::GetPictureArrayStatus, Subject::Pictures, [this] { return arrayStatus(); });
}

QImage PicturesModule::printedImage(const QImage &picture, int dots, int left)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QImage paper(dots, argb.height(), QImage::Format_Grayscale8);
    paper.fill(255);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *source = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *row = paper.scanLine(y);
        for (int x = 0; x < argb.width() && left + x < dots; ++x) {
            const QRgb pixel = source[x];
            const int alpha = qAlpha(pixel);
            const int luma = (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000;
            // Over white paper.
            const int shade = (luma * alpha + 255 * (255 - alpha)) / 255;
            if (shade < 128)
                row[left + x] = 0;
        }
    }
    return paper;
}

bool PicturesModule::fromUploadText(const QString &text, int width, int height, QImage *picture, QString *why)
{
    const qint64 expected = qint64(width) * height * 8;
    if (text.size() != expected) {
        *why = QStringLiteral("Caption: для картинки %1×%2 нужно %3 шестнадцатеричных цифр (8 на точку), получено %4")
                   .arg(width)
                   .arg(height)
                   .arg(expected)
                   .arg(text.size());
        return false;
    }
    QImage image(width, height, QImage::Format_ARGB32);
    const QChar *digits = text.constData();
    qsizetype position = 0;
    for (int row = height - 1; row >= 0; --row) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int x = 0; x < width; ++x) {
            quint32 value = 0;
            for (int k = 0; k < 8; ++k, ++position) {
                const int digit = hexDigit(digits[position]);
                if (digit < 0) {
                    *why = QStringLiteral("Caption: символ \"%1\" в позиции %2 - не шестнадцатеричная цифра")
                               .arg(digits[position])
                               .arg(position + 1);
                    return false;
                }
                value = (value << 4) | quint32(digit);
            }
            line[x] = value; // 0xAARRGGBB
        }
    }
    *picture = image;
    return true;
}

QString PicturesModule::toDownloadText(const QImage &picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QByteArray bytes;
    bytes.reserve(qsizetype(argb.width()) * argb.height() * 4);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = line[x];
            bytes.append(char(qBlue(pixel))).append(char(qGreen(pixel))).append(char(qRed(pixel))).append(char(qAlpha(pixel)));
        }
    }
    return QString::fromLatin1(bytes.toHex());
}

bool PicturesModule::readFile(const QString &fileName, QImage *picture)
{
    if (fileName.isEmpty()) {
        device().fail(Code::PictureFileError, QStringLiteral("FileName: имя файла не задано"));
        return false;
    }
    if (!QFileInfo(fileName).isFile()) {
        device().fail(Code::PictureFileError, QStringLiteral("Файл %1 не найден").arg(fileName));
        return false;
    }
    QImageReader reader(fileName);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxFilePixels) {
        device().fail(Code::InvalidPictureData, QStringLiteral("%1: картинка %2×%3 слишком велика для чековой ленты")
                                                    .arg(fileName)
                                                    .arg(size.width())
                                                    .arg(size.height()));
        return false;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        device().fail(Code::PictureFileError,
                      QStringLiteral("%1: %2 (читаются PNG, BMP, JPEG)").arg(fileName, reader.errorString()));
        return false;
    }
    *picture = image.convertToFormat(QImage::Format_ARGB32);
    return true;
}

bool PicturesModule::linesOf(const QImage &picture, int left, const QString &caption, QStringList *out)
{
    const ModelInfo &model = device().settings().model();
    if (left < 0 || qint64(left) + picture.width() > model.printWidth) {
        device().fail(Code::PictureTooWide, QStringLiteral("%1 шириной %2 точек со смещением %3 не помещается на "
                                                           "ленту шириной %4 точек")
                                                .arg(caption)
                                                .arg(picture.width())
                                                .arg(left)
                                                .arg(model.printWidth));
        return false;
    }
    const int column = int(qint64(left) * model.lineLength / model.printWidth);
    const QString label = QStringLiteral("[%1 %2×%3]").arg(caption).arg(picture.width()).arg(picture.height());
    const QStringList text = tape::placeLine(label, model.lineLength, tape::AlignLeft, column);
    const Services &services = device().services();
    if (services.imageLine)
        *out << services.imageLine(printedImage(picture, model.printWidth, left), text);
    else
        *out << text;
    return true;
}

int PicturesModule::print(const QStringList &lines)
{
    const Services &services = device().services();
    if (!services.printDocument)
        return device().fail(Code::NotSupported, QStringLiteral("У устройства нет печати"));
    return services.printDocument(lines, false);
}

bool PicturesModule::keep(const QImage &picture, const QString &source)
{
    const ModelInfo &model = device().settings().model();
    if (picture.width() > model.printWidth) {
        device().fail(Code::PictureTooWide, QStringLiteral("%1 шириной %2 точек шире ленты (%3 точек)")
                                                .arg(source)
                                                .arg(picture.width())
                                                .arg(model.printWidth));
        return false;
    }
    if (picture.height() > PictureMemory::kMaxHeight) {
        device().fail(Code::InvalidPictureData, QStringLiteral("%1 высотой %2 точек: допустимо до %3")
                                                    .arg(source)
                                                    .arg(picture.height())
                                                    .arg(PictureMemory::kMaxHeight));
        return false;
    }
    QString why;
    if (!m_memory.canStore(picture, &why)) {
        device().fail(Code::PictureMemoryFull, why);
        return false;
    }
    device().props().PictureNumber = m_memory.store(picture);
    return true;
}

int PicturesModule::printPicture()
{
    const PropertyStore &p = device().props();
    const ModelInfo &model = device().settings().model();
    if (p.Scale != 0 && !(p.Scale >= 1 && p.Scale <= 1000)) {
        return device().fail(Code::InvalidPictureOption,
                             QStringLiteral("Scale = %1: допустимо 0 (100 %) или от 1 до 1000 процентов").arg(p.Scale));
    }
    if (p.Alignment < 0 || p.Alignment > 2) {
        return device().fail(Code::InvalidPictureOption,
                             QStringLiteral("Alignment = %1: допустимо 0 влево, 1 по центру, 2 вправо").arg(p.Alignment));
    }
    if (p.LeftMargin < 0 || p.LeftMargin >= model.printWidth) {
        return device().fail(Code::InvalidPictureOption, QStringLiteral("LeftMargin = %1: допустимо от 0 до %2 точек")
                                                             .arg(p.LeftMargin)
                                                             .arg(model.printWidth - 1));
    }
    QImage picture;
    if (!readFile(p.FileName, &picture))
        return -1;
    if (p.Scale != 0 && p.Scale != 100) {
        const int width = qMax(1, qRound(picture.width() * p.Scale / 100.0));
        const int height = qMax(1, qRound(picture.height() * p.Scale / 100.0));
        if (width > model.printWidth || height > PictureMemory::kMaxHeight) {
            return device().fail(Code::PictureTooWide, QStringLiteral("Картинка в масштабе %1 %: %2×%3 точек, лента "
                                                                      "шириной %4 точек")
                                                            .arg(p.Scale)
                                                            .arg(width)
                                                            .arg(height)
                                                            .arg(model.printWidth));
        }
        picture = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (picture.height() > PictureMemory::kMaxHeight) {
        return device().fail(Code::InvalidPictureData, QStringLiteral("Картинка высотой %1 точек: допустимо до %2")
                                                           .arg(picture.height())
                                                           .arg(PictureMemory::kMaxHeight));
    }
    int left = p.LeftMargin;
    if (p.Alignment == 1)
        left = (model.printWidth - picture.width()) / 2;
    else if (p.Alignment == 2)
        left = model.printWidth - picture.width();
    QStringList lines;
    if (!linesOf(picture, left, QFileInfo(p.FileName).fileName(), &lines))
        return -1;
    return print(lines);
}

int PicturesModule::printByNumber()
{
    const PropertyStore &p = device().props();
    QStringList lines;
    if (!device().services().pictureLines || device().services().pictureLines(p.PictureNumber, p.LeftMargin, &lines) < 0)
        return -1;
    return print(lines);
}

int PicturesModule::loadFromFile()
{
    QImage picture;
    const QString fileName = device().props().FileName;
    if (!readFile(fileName, &picture))
        return -1;
    return keep(picture, QStringLiteral("Картинка %1").arg(fileName)) ? 0 : -1;
}

int PicturesModule::upload()
{
    const PropertyStore &p = device().props();
    const ModelInfo &model = device().settings().model();
    if (p.Width < 1 || p.Width > model.printWidth) {
        const Code code = p.Width > model.printWidth ? Code::PictureTooWide : Code::InvalidPictureData;
        return device().fail(code, QStringLiteral("Width = %1: допустимо от 1 до %2 точек (ширина ленты)")
                                       .arg(p.Width)
                                       .arg(model.printWidth));
    }
    if (p.Height < 1 || p.Height > PictureMemory::kMaxHeight) {
        return device().fail(Code::InvalidPictureData,
                             QStringLiteral("Height = %1: допустимо от 1 до %2").arg(p.Height).arg(PictureMemory::kMaxHeight));
    }
    QImage picture;
    QString why;
    if (!fromUploadText(p.Caption, p.Width, p.Height, &picture, &why))
        return device().fail(Code::InvalidPictureData, why);
    return keep(picture, QStringLiteral("Картинка")) ? 0 : -1;
}

bool PicturesModule::storedWithSize(QImage *picture)
{
    PropertyStore &p = device().props();
    if (!stored(p.PictureNumber, picture))
        return false;
    p.Width = picture->width();
    p.Height = picture->height();
    return true;
}

int PicturesModule::download()
{
    QImage picture;
    if (!storedWithSize(&picture))
        return -1;
    device().props().Caption = toDownloadText(picture);
    return 0;
}

int PicturesModule::removeLast()
{
    if (!m_memory.removeLast())
        return device().fail(Code::PictureNotFound, QStringLiteral("Память картинок пуста"));
    return 0;
}

int PicturesModule::clear()
{
    m_memory.clear();
    return 0;
}

int PicturesModule::pictureStatus()
{
    PropertyStore &p = device().props();
    QImage picture;
    if (!storedWithSize(&picture))
        return -1;
    // A picture is stored whole in one call, so it is never left open.
    p.PictureState = 0;
    return 0;
}

int PicturesModule::arrayStatus()
{
    PropertyStore &p = device().props();
    p.FreeMemory = int(m_memory.freeBytes());
    p.PictureState = 0;
    p.PictureNumber = m_memory.count();
    return 0;
}

} // namespace vreg
