#pragma once

// The register's SD card: the folder `sd` of the data folder. Every path a
// caller gives is relative to the card and is walked one name at a time from
// the card's own folder, never following a symbolic link (a real card has
// none), so that no name, "..", absolute path or link can reach anything
// outside the card, even while someone changes the folders meanwhile.

#include "core/resultcodes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vreg::sdcard {

struct Failure
{
    Code code = Code::Ok;
    QString detail;
};

// A file descriptor closed with its owner.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept
        : m_fd(other.release())
    {
    }
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// The names of a path on the card ("." and empty names dropped, so "" and
// "." are the card itself); fails for an absolute path, "..", a backslash or
// a control character, naming the path.
bool splitPath(const QString &path, QStringList *names, Failure *failure);

// The card's folder, created when missing; fails when `sd` is not a folder
// of its own (a link, a file).
Fd openCard(const QString &dataFolder, Failure *failure);

// The folder `names` of the card; with `create`, missing folders are made.
// `shown` is the caller's path for the detail of a failure.
Fd openFolder(const Fd &card, const QStringList &names, bool create, const QString &shown, Failure *failure);

// A failure for a system error `error` (errno) met at `shown`: a link met on
// the way is a path leaving the card, a missing name is "not found".
Failure systemFailure(int error, const QString &shown);

// Writes a whole file onto the card at `path` (folders made as needed),
// replacing one that is there only once all its bytes are written.
bool writeWholeFile(const QString &dataFolder, const QString &path, const QByteArray &bytes, Failure *failure);

} // namespace vreg::sdcard
