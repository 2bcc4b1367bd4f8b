#pragma once

// What every fuzz target shares: one application object for the whole run
// (offscreen, with a temporary home, so nothing touches the user's files),
// dialogs that close as soon as they open, and the input as text.

#include "testmain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstddef>
#include <dlfcn.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// Fast file systems keep a register's synced commits cheap; the temporary
// folder is the fallback.
inline QString scratchBase()
{
    const QString shm = QStringLiteral("/dev/shm");
    return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
}

// Rejects every dialog right after it shows, from its own event loop, so a
// warning costs one loop turn instead of a wait.
class DialogCloser : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QDialog *>(watched)) {
                QTimer::singleShot(0, dialog, [dialog] { dialog->done(QDialog::Rejected); });
            }
        }
        return false;
    }
};

// The application, made on first use and kept until the process ends.
inline QApplication &app()
{
    static QTemporaryDir *home = [] {
        QTemporaryDir *dir = new QTemporaryDir(scratchBase() + QStringLiteral("/fptr-fuzz-XXXXXX"));
        const QByteArray path = dir->path().toUtf8();
        qputenv("HOME", path);
        qputenv("XDG_CONFIG_HOME", path + "/.config");
        qputenv("XDG_DATA_HOME", path + "/.local/share");
        qputenv("XDG_CACHE_HOME", path + "/.cache");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return dir;
    }();
    Q_UNUSED(home);
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *instance = [] {
        auto *created = new QApplication(argc, argv);
        created->installEventFilter(new DialogCloser);
        // The fuzzer keeps counting in every instrumented library it has
        // seen: one unloaded (the window swaps driver libraries) would take
        // the counters with it. Held here, the libraries stay loaded.
        for (const char *library : {"libfptr.so", "librcpprn.so", "libfakedriver_full.so", "libfakedriver_createonly.so"}) {
            const QByteArray path = QFile::encodeName(QCoreApplication::applicationDirPath()) + '/' + library;
            dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
        }
        return created;
    }();
    return *instance;
}

inline QString utf8(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Splits the input at its first zero byte: the part before and the rest
// (empty when there is no zero byte).
inline QPair<QByteArray, QByteArray> splitAtZero(const QByteArray &input)
{
    const qsizetype zero = input.indexOf('\0');
    if (zero < 0)
        return {input, QByteArray()};
    return {input.left(zero), input.mid(zero + 1)};
}

// A condition the code promises; a broken promise aborts so the fuzzer keeps
// the input.
#define FUZZ_EXPECT(condition)                                                           \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition);     \
            abort();                                                                     \
        }                                                                                \
    } while (0)

} // namespace fuzz
