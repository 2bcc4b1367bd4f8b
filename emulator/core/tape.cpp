#include "core/tape.h"

#include <QFile>

namespace vreg {

VirtualTape::VirtualTape(const QString &folder)
    : m_path(folder + QLatin1Char('/') + fileName())
{
}

QString VirtualTape::read(qint64 maxBytes, bool *cut) const
{
    if (cut)
        *cut = false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    if (maxBytes >= 0 && size > maxBytes) {
        file.seek(size - maxBytes);
        QByteArray tail = file.read(maxBytes);
        const int newline = tail.indexOf('\n');
        tail = newline >= 0 ? tail.mid(newline + 1) : QByteArray();
        if (cut)
            *cut = true;
        return QString::fromUtf8(tail);
    }
    return QString::fromUtf8(file.readAll());
}

bool VirtualTape::clear(QString *error)
{
    if (!QFile::exists(m_path))
        return true;
    // Truncated in place rather than replaced, so that a `tail -f` on the
    // tape keeps following it.
    QFile file(m_path);
    if (!file.resize(0)) {
        if (error)
            *error = QStringLiteral("Не удалось очистить ленту %1: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

} // namespace vreg
