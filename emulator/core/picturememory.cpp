#include "core/picturememory.h"

namespace vreg {

qint64 PictureMemory::freeBytes() const
{
    qint64 used = 0;
    for (const QImage &picture : m_entries)
        used += sizeOf(picture);
    return qMax<qint64>(0, kCapacityBytes - used);
}

bool PictureMemory::canStore(const QImage &picture, QString *why) const
{
    if (count() >= kMaxPictures) {
        *why = QStringLiteral("в памяти уже %1 картинок, больше не помещается").arg(kMaxPictures);
        return false;
    }
    const qint64 needed = sizeOf(picture);
    if (needed > freeBytes()) {
        *why = QStringLiteral("картинке %1×%2 нужно %3 байт, свободно %4")
                   .arg(picture.width())
                   .arg(picture.height())
                   .arg(needed)
                   .arg(freeBytes());
        return false;
    }
    return true;
}

int PictureMemory::store(const QImage &picture)
{
    m_entries.append(picture.convertToFormat(QImage::Format_ARGB32));
    return count();
}

QImage PictureMemory::get(int number) const
{
    if (number < 1 || number > count())
        return QImage();
    return m_entries[number - 1];
}

bool PictureMemory::removeLast()
{
    if (m_entries.isEmpty())
        return false;
    m_entries.removeLast();
    return true;
}

} // namespace vreg
