// Pictures: printing a picture file or a stored picture, and the device's
// picture memory, with the picture buffer of the window (the pixmap of the
// lePicture label) as the place pictures pass through between the device,
// files and the screen.

#include "fptrmainwindow.h"
#include "fptrmainwindowform.h"

#include "commandframe.h"

#include "exception.h"
#include "nohelpbutton.h"
#include "scopedlocker.h"
#include "zeruzuva.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

#include <algorithm>

using namespace CommandFrame;

namespace {

// Neither side of a picture may exceed this. Receipt printers hold pictures
// a few hundred dots wide; the limit only keeps a broken size from the
// driver from allocating an image without bound.
const int MaxPictureSide = 4096;

// A picture travels as a text of eight digits a pixel, and a driver's text
// is read only up to DriverTexts::MaxLength characters: a larger picture
// could be neither read whole nor sent.
const qint64 DigitsPerPixel = 8;
const qint64 MaxPicturePixels = DriverTexts::MaxLength / DigitsPerPixel;

bool tooLarge(qint64 width, qint64 height)
{
    return width * height > MaxPicturePixels;
}

// Pictures in the buffer are kept within this many pixels per side.
const int BufferSide = 150;

// The device's picture text does not describe a picture. Unlike a driver
// error it leaves the buffer alone: nothing was received that would replace
// what the buffer shows.
class PictureDataError : public Exception
{
public:
    using Exception::Exception;
};

// The lock disables the window. Whether a dialog opened on a disabled window
// inherits that state has changed between toolkit versions (it used to), so
// the window is enabled for as long as the modal dialog runs, which makes
// sure the dialog takes input (its modality still keeps the window's own
// controls out of reach), and then returns to the state it had.
class DialogOverLock
{
public:
    explicit DialogOverLock(QWidget *window)
        : m_window(window), m_wasEnabled(window->isEnabled())
    {
        m_window->setEnabled(true);
    }
    ~DialogOverLock() { m_window->setEnabled(m_wasEnabled); }

    DialogOverLock(const DialogOverLock &) = delete;
    DialogOverLock &operator=(const DialogOverLock &) = delete;

private:
    QWidget *m_window;
    bool m_wasEnabled;
};


int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// One byte of the picture text; a pair that is not hexadecimal gives 0.
uint hexByte(QChar high, QChar low)
{
    const int h = hexDigit(high);
    const int l = hexDigit(low);
    return h < 0 || l < 0 ? 0u : uint(h * 16 + l);
}

// A copy no higher and then no wider than the buffer side, proportions kept;
// a side is never scaled down to nothing.
QPixmap reducedForBuffer(const QPixmap &picture)
{
    QPixmap result = picture;
    if (result.height() > BufferSide) {
        const int width = std::max(1, qRound(qreal(result.width()) * BufferSide / result.height()));
        result = result.scaled(width, BufferSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    if (result.width() > BufferSide) {
        const int height = std::max(1, qRound(qreal(result.height()) * BufferSide / result.width()));
        result = result.scaled(BufferSide, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return result;
}

QString pictureFilter()
{
    return FptrMainWindow::tr("Изображения (*.bmp *.png)");
}

} // namespace

// The device sends the picture top row first, every pixel as the four bytes
// of a little-endian 0xAARRGGBB value (blue, green, red, alpha), two hex
// digits a byte.
QPixmap FptrMainWindow::downloadImage()
{
    const int width = getInt(&IFptr::Width);
    const int height = getInt(&IFptr::Height);
    if (width < 0 || height < 0 || width > MaxPictureSide || height > MaxPictureSide)
        throw PictureDataError(
            tr("Недопустимый размер изображения: %1 x %2").arg(width).arg(height));
    if (width == 0 || height == 0)
        throw PictureDataError(
            tr("Устройство передало пустое изображение (%1 x %2)").arg(width).arg(height));
    // Refused before the read, which would come back empty and be taken for
    // missing data.
    if (tooLarge(width, height))
        throw PictureDataError(
            tr("Изображение %1 x %2 слишком велико: можно принять не более %3 точек")
                .arg(width)
                .arg(height)
                .arg(MaxPicturePixels));

    const QString text = getBuff(&IFptr::Caption);
    const qint64 expected = qint64(width) * height * DigitsPerPixel;
    if (text.size() != expected)
        throw PictureDataError(
            tr("Данные изображения (%1 знаков) не соответствуют размеру %2 x %3 (нужно %4 знаков)")
                .arg(text.size())
                .arg(width)
                .arg(height)
                .arg(expected));
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        throw PictureDataError(
            tr("Недопустимый размер изображения: %1 x %2").arg(width).arg(height));
    const QChar *digits = text.constData();
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, digits += 8) {
            const uint blue = hexByte(digits[0], digits[1]);
            const uint green = hexByte(digits[2], digits[3]);
            const uint red = hexByte(digits[4], digits[5]);
            const uint alpha = hexByte(digits[6], digits[7]);
            line[x] = qRgba(int(red), int(green), int(blue), int(alpha));
        }
    }
    return QPixmap::fromImage(image);
}

// The device takes the picture bottom row first, every pixel as eight hex
// digits alpha, red, green, blue.
void FptrMainWindow::uploadImage(const QPixmap *pixmap)
{
    if (!pixmap)
        return;
    // Refused before the text is built: a photo of some megapixels would
    // take a gigabyte on the way, only to be more than a driver takes.
    if (tooLarge(pixmap->width(), pixmap->height()))
        throw Exception(tr("Изображение %1 x %2 слишком велико: можно передать не более %3 точек")
                            .arg(pixmap->width())
                            .arg(pixmap->height())
                            .arg(MaxPicturePixels));
    const QImage image = pixmap->toImage().convertToFormat(QImage::Format_ARGB32);
    static const char digits[] = "0123456789abcdef";

    QString text;
    text.reserve(qsizetype(image.width()) * image.height() * DigitsPerPixel);
    for (int y = image.height() - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            for (const int component : {qAlpha(pixel), qRed(pixel), qGreen(pixel), qBlue(pixel)}) {
                text += QLatin1Char(digits[component >> 4]);
                text += QLatin1Char(digits[component & 0x0f]);
            }
        }
    }

    setInt(&IFptr::Width, image.width());
    setInt(&IFptr::Height, image.height());
    setBuff(&IFptr::Caption, text);
}

void FptrMainWindow::on_pbtnPrintPictureFromFile_clicked()
{
    ScopedLocker locker(this, true);
    run(this, [this] {
        setBuff(&IFptr::FileName, ui->lePictureFilename->text());
        setInt(&IFptr::LeftMargin, ui->spinPictureLeftMargine->value());
        setDouble(&IFptr::Scale, ui->spinPictureScale->value());
        setInt(&IFptr::Alignment, cmbData(ui->cmbPictureAlignment));
        execMethodAsync(&IFptr::PrintPicture);
    });
}

void FptrMainWindow::on_pbtnPrintPictureFromDevice_clicked()
{
    run(this, [this] {
        setInt(&IFptr::PictureNumber, ui->spinPrintPictureNumber->value());
        setInt(&IFptr::LeftMargin, ui->spinPictureLeftMargine->value());
        execMethod(&IFptr::PrintPictureByNumber);
    });
}

void FptrMainWindow::on_pbtnLoadPictureFromFile_clicked()
{
    ScopedLocker locker(this, false);
    run(this, [this] {
        setBuff(&IFptr::FileName, ui->lePictureMemFilename->text());
        execMethodAsync(&IFptr::LoadPictureFromFile);
        ui->spinPictureMemNumber->setValue(getInt(&IFptr::PictureNumber));
    });
}

void FptrMainWindow::on_pbtnLoadPictureFromBuffer_clicked()
{
    ScopedLocker locker(this, false);
    run(this, [this] {
        // What the label shows is what goes to the device, reductions and
        // all: the buffer has no other copy.
        const QPixmap picture = ui->lePicture->pixmap();
        if (picture.isNull())
            throw Exception(tr("Буфер изображения пуст"));
        uploadImage(&picture);
        execMethodAsync(&IFptr::UploadPicture);
        ui->spinPictureMemNumber->setValue(getInt(&IFptr::PictureNumber));
    });
}

void FptrMainWindow::on_pbtnSavePictureToBuffer_clicked()
{
    ScopedLocker locker(this, false);
    try {
        setInt(&IFptr::PictureNumber, ui->spinPictureMemNumber->value());
        execMethodAsync(&IFptr::DownloadPicture);
        const QPixmap picture = downloadImage();
        ui->spinPictureMemHeight->setValue(picture.height());
        ui->spinPictureMemWidth->setValue(picture.width());
        ui->lePicture->setPixmap(reducedForBuffer(picture));
        resetError();
    } catch (const DeviceNotFoundException &e) {
        setError(e.what());
    } catch (const PictureDataError &e) {
        setError(e.what());
    } catch (const std::exception &e) {
        // The device refused the picture: the buffer must not pass off an
        // older picture as this one.
        ui->lePicture->clear();
        setError(e.what());
    }
}

void FptrMainWindow::on_pbtnSavePictureToFile_clicked()
{
    ScopedLocker locker(this, false);
    run(this, [this] {
        setInt(&IFptr::PictureNumber, ui->spinPictureMemNumber->value());
        execMethodAsync(&IFptr::DownloadPicture);
        const QPixmap picture = downloadImage();

        QString name;
        {
            DialogOverLock unlocked(this);
            name = NoHelpButtonFileDialog::getSaveFileName(
                this, tr("Сохранить"), QStringLiteral("untitled.png"), pictureFilter());
        }
        if (name.isEmpty())
            return;
        // PNG whatever the extension: it keeps every pixel, alpha included.
        if (!picture.save(name, "PNG"))
            throw Exception(tr("Не удалось сохранить изображение в файл %1")
                                .arg(QDir::toNativeSeparators(name)));
        ui->lePicture->setPixmap(reducedForBuffer(picture));
    });
}

void FptrMainWindow::on_pbtnRemoveLastPicture_clicked()
{
    run(this, [this] { execMethod(&IFptr::RemoveLastPicture); });
}

void FptrMainWindow::on_pbtnClearPictureArray_clicked()
{
    run(this, [this] { execMethod(&IFptr::ClearPictureArray); });
}

void FptrMainWindow::on_pbtnGetPictureStatus_clicked()
{
    run(this, [this] {
        setInt(&IFptr::PictureNumber, ui->spinPictureMemNumber->value());
        execMethod(&IFptr::GetPictureStatus);
        ui->spinPictureMemHeight->setValue(getInt(&IFptr::Height));
        ui->spinPictureMemWidth->setValue(getInt(&IFptr::Width));
        ui->lePictureMemState->setText(getInt(&IFptr::PictureState) ? tr("открыта")
                                                                    : tr("закрыта"));
    });
}

void FptrMainWindow::on_pbtnGetPictureArrayStatus_clicked()
{
    run(this, [this] {
        execMethod(&IFptr::GetPictureArrayStatus);
        ui->leFreeMemory->setText(QString::number(getInt(&IFptr::FreeMemory)));
        ui->lePictureMemState->setText(getInt(&IFptr::PictureState) ? tr("открыта")
                                                                    : tr("закрыта"));
        ui->spinPictureMemNumber->setValue(getInt(&IFptr::PictureNumber));
    });
}

void FptrMainWindow::on_toolbtnPictureFileNameDialog_clicked()
{
    const QString name =
        NoHelpButtonFileDialog::getOpenFileName(this, tr("Открыть"), QString(), pictureFilter());
    if (!name.isEmpty())
        ui->lePictureFilename->setText(name);
}

void FptrMainWindow::on_toolbtnPictureMemFileDialog_clicked()
{
    const QString name =
        NoHelpButtonFileDialog::getOpenFileName(this, tr("Открыть"), QString(), pictureFilter());
    if (name.isEmpty())
        return;
    ui->lePictureMemFilename->setText(name);
    // A chosen file is shown whole, fitted into the label; typed names show
    // the picture at its own size.
    const QPixmap picture(name);
    if (!picture.isNull())
        ui->lePicture->setPixmap(
            picture.scaled(ui->lePicture->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

void FptrMainWindow::on_lePictureMemFilename_textChanged(const QString &text)
{
    if (text.isEmpty())
        ui->lePicture->clear();
    else
        ui->lePicture->setPixmap(QPixmap(text));
}
