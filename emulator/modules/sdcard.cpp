#include "modules/sdcard.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vreg::sdcard {

namespace {

constexpr int kMaxNameBytes = 255;
constexpr int kMaxPathChars = 1024;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

QString quotedPath(const QString &path)
{
    return QStringLiteral("«%1»").arg(path);
}

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Failure failureOf(Code code, const QString &detail)
{
    return Failure{code, detail};
}

} // namespace

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool splitPath(const QString &path, QStringList *names, Failure *failure)
{
    names->clear();
    if (path.size() > kMaxPathChars) {
        *failure = failureOf(Code::InvalidFileName,
                             QStringLiteral("Путь длиннее %1 символов").arg(kMaxPathChars));
        return false;
    }
    if (path.startsWith(QLatin1Char('/'))) {
        *failure = failureOf(Code::PathOutsideCard,
                             QStringLiteral("%1: абсолютный путь; пути на SD-карте отсчитываются от ее корня")
                                 .arg(quotedPath(path)));
        return false;
    }
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            *failure = failureOf(Code::InvalidFileName,
                                 QStringLiteral("%1: обратная косая черта и управляющие символы в имени недопустимы")
                                     .arg(quotedPath(path)));
            return false;
        }
    }
    for (const QString &name : path.split(QLatin1Char('/'))) {
        if (name.isEmpty() || name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            *failure = failureOf(Code::PathOutsideCard,
                                 QStringLiteral("%1: \"..\" в пути недопустимо").arg(quotedPath(path)));
            return false;
        }
        if (name.toUtf8().size() > kMaxNameBytes) {
            *failure = failureOf(Code::InvalidFileName, QStringLiteral("%1: имя длиннее %2 байт")
                                                            .arg(quotedPath(path))
                                                            .arg(kMaxNameBytes));
            return false;
        }
        names->append(name);
    }
    return true;
}

Failure systemFailure(int error, const QString &shown)
{
    const QString where = quotedPath(shown);
    switch (error) {
    case ELOOP:
        return failureOf(Code::PathOutsideCard,
                         QStringLiteral("%1: на пути символическая ссылка; SD-карта по ссылкам не переходит")
                             .arg(where));
    case ENOENT:
        return failureOf(Code::FileNotFound, QStringLiteral("%1: %2").arg(where, systemMessage(error)));
    case ENOTDIR:
        return failureOf(Code::NotADirectory,
                         QStringLiteral("%1: часть пути - не каталог (%2)").arg(where, systemMessage(error)));
    case EISDIR:
        return failureOf(Code::NotAFile, QStringLiteral("%1: это каталог").arg(where));
    case ENAMETOOLONG:
        return failureOf(Code::InvalidFileName, QStringLiteral("%1: %2").arg(where, systemMessage(error)));
    default:
        return failureOf(Code::SdCardIoError, QStringLiteral("%1: %2").arg(where, systemMessage(error)));
    }
}

Fd openCard(const QString &dataFolder, Failure *failure)
{
    const QByteArray folder = QFile::encodeName(dataFolder);
    Fd data(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!data.valid()) {
        *failure = failureOf(Code::SdCardUnavailable,
                             QStringLiteral("Папка данных %1: %2").arg(quotedPath(dataFolder), systemMessage(errno)));
        return Fd();
    }
    if (::mkdirat(data.get(), "sd", 0755) < 0 && errno != EEXIST) {
        *failure = failureOf(Code::SdCardUnavailable, QStringLiteral("%1/sd: %2").arg(dataFolder, systemMessage(errno)));
        return Fd();
    }
    Fd card(::openat(data.get(), "sd", kFolderFlags));
    if (!card.valid()) {
        const int error = errno;
        struct stat info = {};
        const bool link = ::fstatat(data.get(), "sd", &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        *failure = failureOf(Code::SdCardUnavailable,
                             link ? QStringLiteral("%1/sd - символическая ссылка; SD-карта должна быть папкой "
                                                   "в папке данных устройства")
                                        .arg(dataFolder)
                                  : QStringLiteral("%1/sd: %2").arg(dataFolder, systemMessage(error)));
        return Fd();
    }
    return card;
}

Fd openFolder(const Fd &card, const QStringList &names, bool create, const QString &shown, Failure *failure)
{
    Fd current(::fcntl(card.get(), F_DUPFD_CLOEXEC, 0));
    if (!current.valid()) {
        *failure = systemFailure(errno, shown);
        return Fd();
    }
    for (const QString &name : names) {
        const QByteArray encoded = QFile::encodeName(name);
        if (create && ::mkdirat(current.get(), encoded.constData(), 0755) < 0 && errno != EEXIST) {
            *failure = systemFailure(errno, shown);
            return Fd();
        }
        Fd next(::openat(current.get(), encoded.constData(), kFolderFlags));
        if (!next.valid()) {
            int error = errno;
            // O_NOFOLLOW with O_DIRECTORY may report a link as "not a
            // folder"; what matters to the caller is that it is a link.
            struct stat info = {};
            if (::fstatat(current.get(), encoded.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISLNK(info.st_mode))
                error = ELOOP;
            *failure = systemFailure(error, shown);
            return Fd();
        }
        current = std::move(next);
    }
    return current;
}

bool writeWholeFile(const QString &dataFolder, const QString &path, const QByteArray &bytes, Failure *failure)
{
    QStringList names;
    if (!splitPath(path, &names, failure))
        return false;
    if (names.isEmpty()) {
        *failure = failureOf(Code::InvalidFileName, QStringLiteral("Не задано имя файла"));
        return false;
    }
    const QString leaf = names.takeLast();
    const Fd card = openCard(dataFolder, failure);
    if (!card.valid())
        return false;
    const Fd folder = openFolder(card, names, true, path, failure);
    if (!folder.valid())
        return false;

    const QByteArray target = QFile::encodeName(leaf);
    const QByteArray temporary =
        "." + target + ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    Fd file(::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     0644));
    if (!file.valid()) {
        *failure = systemFailure(errno, path);
        return false;
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *failure = systemFailure(n < 0 ? errno : EIO, path);
            ::unlinkat(folder.get(), temporary.constData(), 0);
            return false;
        }
        written += n;
    }
    if (::fsync(file.get()) < 0 || ::close(file.release()) < 0
        || ::renameat(folder.get(), temporary.constData(), folder.get(), target.constData()) < 0) {
        *failure = systemFailure(errno, path);
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return false;
    }
    return true;
}

} // namespace vreg::sdcard
