#pragma once

// The picture memory: pictures numbered 1, 2, ... in the order stored, each
// kept pixel for pixel as it was given (32-bit ARGB), so that a picture
// downloads exactly as it was uploaded. The memory has a size limit in
// bytes (four a pixel) and in pictures; only the last picture can be
// removed, so the numbers stay without gaps. Plain state with a small
// interface (entries() and restore() carry all of it), so that the memory
// can be kept anywhere without its callers noticing.

#include <QImage>
#include <QList>
#include <QString>

namespace vreg {

class PictureMemory
{
public:
    static constexpr int kMaxPictures = 99;
    static constexpr qint64 kCapacityBytes = 2 * 1024 * 1024;
    static constexpr int kMaxHeight = 4096;

    static qint64 sizeOf(const QImage &picture) { return qint64(picture.width()) * picture.height() * 4; }

    int count() const { return int(m_entries.size()); }
    qint64 freeBytes() const;
    bool canStore(const QImage &picture, QString *why) const;
    // Stores a picture that fits (converted to ARGB32); its number.
    int store(const QImage &picture);
    // The stored picture; a null image when there is none.
    QImage get(int number) const;
    bool removeLast();
    void clear() { m_entries.clear(); }

    QList<QImage> entries() const { return m_entries; }
    void restore(const QList<QImage> &entries) { m_entries = entries; }

private:
    QList<QImage> m_entries;
};

} // namespace vreg
