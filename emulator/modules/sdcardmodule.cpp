#include "modules/sdcardmodule.h"

#include "core/bytetext.h"
#include "core/device.h"
#include "modules/checks.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vreg {

namespace {

// The most a single ReadFile gives back, so that a typo in the size cannot
// make the driver hold a whole card in one text.
constexpr int kMaxReadSize = 1024 * 1024;

} // namespace

void SdCardModule::registerActions(ActionRegistry &registry)
{
    registry.add(Action::OpenDirectory, Subject::SdCard, [this] { return openDirectory(); });
    registry.add(Action::ReadDirectory, Subject::SdCard, [this] { return readDirectory(); });
    registry.add(Action::CloseDirectory, Subject::SdCard, [this] { return closeDirectory(); });
    registry.add(Action::OpenFile, Subject::SdCard, [this] { return openFile(); });
    registry.add(Action::CloseFile, Subject::SdCard, [this] { return closeFile(); });
    registry.add(Action::RemoveFile, Subject::SdCard, [this] { return removeFile(); });
    registry.add(Action::WriteFile, Subject::SdCard, [this] { return writeFile(); });
    registry.add(Action::ReadFile, Subject::SdCard, [this] { return readFile(); });
}

void SdCardModule::disconnected()
{
    m_listing = false;
    m_entries.clear();
    m_file.reset();
    m_fileName.clear();
}

int SdCardModule::fail(const sdcard::Failure &failure)
{
    return device().fail(failure.code, failure.detail);
}

sdcard::Fd SdCardModule::parentFolder(const QString &path, QString *leaf)
{
    sdcard::Failure failure;
    QStringList names;
    if (!sdcard::splitPath(path, &names, &failure)) {
        fail(failure);
        return sdcard::Fd();
    }
    if (names.isEmpty()) {
        device().fail(Code::InvalidFileName, QStringLiteral("FileName: не задано имя файла"));
        return sdcard::Fd();
    }
    *leaf = names.takeLast();
    const sdcard::Fd card = sdcard::openCard(device().dataFolder(), &failure);
    sdcard::Fd folder = card.valid() ? sdcard::openFolder(card, names, false, path, &failure) : sdcard::Fd();
    if (!folder.valid())
        fail(failure);
    return folder;
}

// ---- the directory listing

int SdCardModule::openDirectory()
{
    PropertyStore &p = device().props();
    const QString path = p.DirectoryPath;
    sdcard::Failure failure;
    QStringList names;
    if (!sdcard::splitPath(path, &names, &failure))
        return fail(failure);
    const sdcard::Fd card = sdcard::openCard(device().dataFolder(), &failure);
    if (!card.valid())
        return fail(failure);
    sdcard::Fd folder = sdcard::openFolder(card, names, false, path.isEmpty() ? QStringLiteral("/") : path, &failure);
    if (!folder.valid())
        return fail(failure);

    const int listFd = folder.release();
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        const int error = errno;
        ::close(listFd);
        return fail(sdcard::systemFailure(error, path));
    }
    QList<Entry> entries;
    while (const dirent *item = ::readdir(dir)) {
        const QByteArray raw(item->d_name);
        if (raw == "." || raw == "..")
            continue;
        struct stat info = {};
        if (::fstatat(::dirfd(dir), item->d_name, &info, AT_SYMLINK_NOFOLLOW) < 0)
            continue; // gone meanwhile
        // Only what the card can open is listed: files and folders, no links.
        if (S_ISREG(info.st_mode))
            entries.append({QFile::decodeName(raw), qint64(info.st_size)});
        else if (S_ISDIR(info.st_mode))
            entries.append({QFile::decodeName(raw) + QLatin1Char('/'), 0});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.name < b.name; });

    m_entries = entries;
    m_next = 0;
    m_listing = true;
    m_listedPath = path;
    return 0;
}

int SdCardModule::readDirectory()
{
    PropertyStore &p = device().props();
    if (!m_listing)
        return device().fail(Code::DirectoryNotOpen, QStringLiteral("ReadDirectory: сначала OpenDirectory"));
    if (m_next >= m_entries.size()) {
        p.FileName.clear();
        p.FileSize = 0;
        return device().fail(Code::NoMoreData,
                             QStringLiteral("В каталоге «%1» больше нет записей (всего %2)")
                                 .arg(m_listedPath)
                                 .arg(m_entries.size()));
    }
    const Entry &entry = m_entries.at(m_next++);
    p.FileName = entry.name;
    p.FileSize = int(std::min<qint64>(entry.size, INT_MAX));
    return 0;
}

int SdCardModule::closeDirectory()
{
    if (!m_listing)
        return device().fail(Code::DirectoryNotOpen, QStringLiteral("CloseDirectory: каталог не открыт"));
    m_listing = false;
    m_entries.clear();
    return 0;
}

// ---- files

int SdCardModule::openFile()
{
    PropertyStore &p = device().props();
    if (!checkRange(device(), "FileOpenType", p.FileOpenType, 0, 1, QStringLiteral("0 открыть существующий, 1 создать новый"))
        || !checkRange(device(), "FileOpenMode", p.FileOpenMode, 0, 2,
                       QStringLiteral("0 на чтение, 1 на запись, 2 на чтение и запись")))
        return -1;
    const QString path = p.FileName;
    QString leaf;
    const sdcard::Fd folder = parentFolder(path, &leaf);
    if (!folder.valid())
        return -1;

    static const int access[] = {O_RDONLY, O_WRONLY, O_RDWR};
    // A FIFO put on the card must not hang the driver: opened without
    // waiting, and refused below as not a file.
    int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    flags |= p.FileOpenType == 1 ? (O_RDWR | O_CREAT | O_TRUNC) : access[p.FileOpenMode];
    sdcard::Fd file(::openat(folder.get(), QFile::encodeName(leaf).constData(), flags, 0644));
    if (!file.valid())
        return fail(sdcard::systemFailure(errno, path));
    struct stat info = {};
    if (::fstat(file.get(), &info) < 0)
        return fail(sdcard::systemFailure(errno, path));
    if (!S_ISREG(info.st_mode))
        return device().fail(Code::NotAFile, QStringLiteral("«%1»: не обычный файл").arg(path));
    if (info.st_size > INT_MAX) {
        return device().fail(Code::FileTooLarge, QStringLiteral("«%1»: %2 байт, больше, чем помещается в FileSize (%3)")
                                                     .arg(path)
                                                     .arg(qint64(info.st_size))
                                                     .arg(INT_MAX));
    }
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);

    // Another open file is closed: what was written is already on the card.
    m_file = std::move(file);
    m_fileName = path;
    m_fileMode = p.FileOpenMode;
    p.FileSize = int(info.st_size);
    return 0;
}

int SdCardModule::closeFile()
{
    if (!m_file.valid())
        return device().fail(Code::FileNotOpen, QStringLiteral("CloseFile: файл не открыт"));
    m_file.reset();
    m_fileName.clear();
    return 0;
}

int SdCardModule::removeFile()
{
    const QString path = device().props().FileName;
    QString leaf;
    const sdcard::Fd folder = parentFolder(path, &leaf);
    if (!folder.valid())
        return -1;
    const QByteArray name = QFile::encodeName(leaf);
    struct stat info = {};
    if (::fstatat(folder.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) < 0)
        return fail(sdcard::systemFailure(errno, path));
    if (S_ISLNK(info.st_mode))
        return fail(sdcard::systemFailure(ELOOP, path));
    if (!S_ISREG(info.st_mode))
        return device().fail(Code::NotAFile, QStringLiteral("«%1»: удалить можно только файл").arg(path));
    if (::unlinkat(folder.get(), name.constData(), 0) < 0)
        return fail(sdcard::systemFailure(errno, path));
    // The open file, if it was this one, is gone with it.
    struct stat open = {};
    if (m_file.valid() && ::fstat(m_file.get(), &open) == 0 && open.st_dev == info.st_dev
        && open.st_ino == info.st_ino) {
        m_file.reset();
        m_fileName.clear();
    }
    return 0;
}

int SdCardModule::prepareTransfer(bool write, qint64 *size)
{
    PropertyStore &p = device().props();
    const char *action = write ? "WriteFile" : "ReadFile";
    if (!m_file.valid())
        return device().fail(Code::FileNotOpen, QStringLiteral("%1: сначала OpenFile").arg(QLatin1String(action)));
    if (m_fileMode == (write ? 0 : 1)) {
        return device().fail(Code::FileModeForbids, QStringLiteral("«%1» открыт только на %2")
                                                        .arg(m_fileName, write ? QStringLiteral("чтение")
                                                                               : QStringLiteral("запись")));
    }
    if (!checkRange(device(), "FileOffset", p.FileOffset, 0, INT_MAX))
        return -1;
    struct stat info = {};
    if (::fstat(m_file.get(), &info) < 0)
        return fail(sdcard::systemFailure(errno, m_fileName));
    *size = info.st_size;
    if (p.FileOffset > *size) {
        return device().fail(Code::OffsetBeyondEnd,
                             QStringLiteral("FileOffset = %1, а в «%2» %3 байт: %4 со смещения от 0 до %3")
                                 .arg(p.FileOffset)
                                 .arg(m_fileName)
                                 .arg(*size)
                                 .arg(write ? QStringLiteral("запись возможна") : QStringLiteral("чтение возможно")));
    }
    return 0;
}

int SdCardModule::writeFile()
{
    PropertyStore &p = device().props();
    qint64 size = 0;
    if (prepareTransfer(true, &size) < 0)
        return -1;
    QByteArray bytes;
    QString error;
    if (!bytesFromText(p.Caption, &bytes, &error))
        return device().fail(Code::InvalidValue, QStringLiteral("Caption: %1").arg(error));
    const qint64 offset = p.FileOffset;
    if (offset + bytes.size() > INT_MAX) {
        return device().fail(Code::FileTooLarge,
                             QStringLiteral("«%1»: файл вырос бы больше %2 байт").arg(m_fileName).arg(INT_MAX));
    }
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(m_file.get(), bytes.constData() + written, size_t(bytes.size() - written),
                                   off_t(offset + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // What got onto the card stays there; the offset says how far.
            p.FileOffset = int(offset + written);
            return fail(sdcard::systemFailure(n < 0 ? errno : EIO, m_fileName));
        }
        written += n;
    }
    p.FileOffset = int(offset + written);
    p.FileSize = int(std::max<qint64>(size, offset + written));
    return 0;
}

int SdCardModule::readFile()
{
    PropertyStore &p = device().props();
    qint64 size = 0;
    if (prepareTransfer(false, &size) < 0)
        return -1;
    if (!checkRange(device(), "FileReadSize", p.FileReadSize, 1, kMaxReadSize))
        return -1;
    const qint64 offset = p.FileOffset;
    QByteArray bytes(qsizetype(std::min<qint64>(p.FileReadSize, size - offset)), '\0');
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(m_file.get(), bytes.data() + got, size_t(bytes.size() - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(sdcard::systemFailure(errno, m_fileName));
        if (n == 0)
            break; // the file shrank meanwhile
        got += n;
    }
    bytes.truncate(got);
    p.Caption = textFromBytes(bytes);
    p.FileReadSize = int(got);
    p.FileOffset = int(offset + got);
    return 0;
}

} // namespace vreg
