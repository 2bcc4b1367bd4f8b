#include "appcore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resource bundle (style sheet, icons) is compiled into the program;
// register it before main so every window can use it from the start.
int qInitResources_fptr();
int qCleanupResources_fptr();

namespace {

struct ResourceRegistration
{
    ResourceRegistration() { qInitResources_fptr(); }
    ~ResourceRegistration() { qCleanupResources_fptr(); }
};

const ResourceRegistration resourceRegistration;

const char *const Context = "AppCore";

QString &appDirCache()
{
    static QString cache;
    return cache;
}

QString &configDirCache()
{
    static QString cache;
    return cache;
}

} // namespace

QString appDir()
{
    // Without an application object there is no reliable way to learn the
    // executable's path, so the last known value is kept. The real path:
    // installed, the program is started through a link in a bin folder,
    // and its libraries lie beside the program, not beside the link.
    if (QCoreApplication::instance()) {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        const QString real = program.canonicalPath();
        appDirCache() = (real.isEmpty() ? program.absolutePath() : real) + QDir::separator();
    }
    return appDirCache();
}

QString configDir()
{
    QString &cache = configDirCache();
    if (cache.isEmpty()) {
        const QChar sep = QDir::separator();
        cache = QDir::homePath() + sep
                + QCoreApplication::translate(Context, ".kelm") + sep
                + QCoreApplication::translate(Context, "drivers9") + sep;
    }
    // Checked on every call: the directory may have been removed meanwhile.
    QDir dir(cache);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    return cache;
}

void installTranslator(QApplication &app)
{
    static QTranslator translator;
    const QString name = QStringLiteral("qt_") + QLocale::system().name();
    if (translator.load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || translator.load(name, app.applicationDirPath() + QStringLiteral("/translations/"))) {
        app.installTranslator(&translator);
    }
}

void QStringToWChar(const QString &s, QVector<wchar_t> &out)
{
    // Zero-filled first: with 32-bit wchar_t a surrogate pair becomes one
    // character, so fewer than s.size() characters may be written.
    out.resize(s.size() + 1);
    out.fill(0);
    s.toWCharArray(out.data());
}
