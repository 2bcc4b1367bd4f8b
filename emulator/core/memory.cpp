#include "core/memory.h"

#include "core/module.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vreg {

namespace {

// A state file larger than this is not ours; reading it would only waste
// memory before failing.
constexpr qint64 kMaxStateFileSize = 256 * 1024 * 1024;

const char *const kSchema = R"(
CREATE TABLE IF NOT EXISTS meta (
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS state (
    module TEXT NOT NULL,
    key TEXT NOT NULL,
    value TEXT NOT NULL,
    PRIMARY KEY (module, key)
) WITHOUT ROWID;
)";

void resetAll(const std::vector<Module *> &modules)
{
    for (Module *module : modules) {
        if (!module->stateKey().isEmpty())
            module->resetState();
    }
}

QString errnoText()
{
    return QString::fromLocal8Bit(strerror(errno));
}

} // namespace

QString kindKey(DeviceKind kind)
{
    return kind == DeviceKind::FiscalRegister ? QStringLiteral("fiscal-register")
                                              : QStringLiteral("receipt-printer");
}

QString setFileAside(const QString &path, QString *error)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".unreadable-") + stamp;
    for (int i = 2; QFileInfo::exists(candidate); ++i)
        candidate = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(i);
    if (!QFile::rename(path, candidate)) {
        *error = QStringLiteral("Файл памяти устройства %1 не читается и не может быть отложен").arg(path);
        return QString();
    }
    for (const char *companion : {"-wal", "-shm"}) {
        const QString from = path + QLatin1String(companion);
        if (QFileInfo::exists(from))
            QFile::rename(from, candidate + QLatin1String(companion));
    }
    return QFileInfo(candidate).fileName();
}

DeviceMemory::DeviceMemory(DeviceKind kind)
    : m_kind(kind)
{
}

DeviceMemory::~DeviceMemory()
{
    close();
}

QString DeviceMemory::databasePath() const
{
    return m_folder.isEmpty() ? QString() : m_folder + QLatin1Char('/') + databaseFileName();
}

bool DeviceMemory::lockFolder(const QString &folder, QString *error)
{
    // flock() locks belong to the open file, not the process: a second
    // driver object in the same program is kept out as surely as another
    // program.
    const QString path = folder + QLatin1Char('/') + lockFileName();
    m_lockFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_lockFd < 0) {
        *error = QStringLiteral("Не удалось открыть %1: %2").arg(path, errnoText());
        return false;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        *error = busy ? QStringLiteral("Папка данных %1 уже используется другим подключением к устройству "
                                       "(другой объект драйвера или другая программа)")
                            .arg(folder)
                      : QStringLiteral("Не удалось заблокировать %1: %2").arg(path, errnoText());
        unlockFolder();
        return false;
    }
    return true;
}

void DeviceMemory::unlockFolder()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd); // releases the lock
    m_lockFd = -1;
}

DeviceMemory::OpenResult DeviceMemory::open(const QString &folder, const QString &deviceId,
                                            const std::vector<Module *> &modules)
{
    close();
    OpenResult result;
    const QString clean = QDir::cleanPath(folder);
    if (clean.isEmpty() || !QDir::isAbsolutePath(clean)) {
        result.error = QStringLiteral("Папка данных не задана полным путем: %1").arg(folder);
        return result;
    }
    if (!QDir().mkpath(clean)) {
        result.error = QStringLiteral("Не удалось создать папку данных %1").arg(clean);
        return result;
    }
    QString error;
    if (!lockFolder(clean, &error)) {
        result.code = errno == EWOULDBLOCK ? Code::DataFolderBusy : Code::MemoryError;
        result.error = error;
        return result;
    }
    const auto refuse = [&](const QString &why) {
        m_database.close();
        unlockFolder();
        resetAll(modules);
        result.error = why;
        return result;
    };

    const QString databasePath = clean + QLatin1Char('/') + databaseFileName();
    const QString statePath = clean + QLatin1Char('/') + stateFileName();
    QStringList notices;

    // The memory of an earlier version is read before anything is created,
    // so that a folder of the other kind stays as it was.
    StateFile stateFile = StateFile::Missing;
    if (!QFileInfo::exists(databasePath) && QFileInfo::exists(statePath)) {
        QString reason;
        stateFile = readStateFile(statePath, modules, &reason);
        if (stateFile == StateFile::ForeignKind)
            return refuse(reason);
        if (stateFile == StateFile::Unreadable) {
            const QString aside = setFileAside(statePath, &error);
            if (aside.isEmpty())
                return refuse(error);
            resetAll(modules);
            notices << QStringLiteral("Память устройства не прочитана (%1); файл сохранен как %2, "
                                      "устройство запущено в заводском состоянии")
                           .arg(reason, aside);
        }
    }

    QString reason;
    bool foreign = false;
    bool opened = openDatabase(databasePath, deviceId, modules, &reason, &foreign);
    if (!opened && foreign)
        return refuse(reason);
    m_folder = clean;
    if (opened && stateFile != StateFile::Loaded && !loadModules(modules, &reason))
        opened = false;
    if (!opened) {
        m_database.close();
        const QString aside = setFileAside(databasePath, &error);
        if (aside.isEmpty())
            return refuse(error);
        notices << QStringLiteral("Память устройства не прочитана (%1); файл сохранен как %2, "
                                  "устройство запущено в заводском состоянии")
                       .arg(reason, aside);
        if (stateFile != StateFile::Loaded)
            resetAll(modules);
        if (!openDatabase(databasePath, deviceId, modules, &reason, &foreign))
            return refuse(QStringLiteral("Не удалось создать память устройства %1").arg(reason));
    }

    if (stateFile == StateFile::Loaded) {
        // The modules hold the old file's memory; storing it writes all of it.
        m_database.write("INSERT OR REPLACE INTO meta (key, value) VALUES ('imported', ?)",
                         {QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
        if (!commit(modules, &error))
            return refuse(QStringLiteral("Не удалось перенести память из %1: %2").arg(statePath, error));
    }
    // Once imported, the old file is renamed and never read again (also
    // when the process died between the import and the rename).
    if (QFileInfo::exists(statePath)
        && (stateFile == StateFile::Loaded || m_database.query("SELECT 1 FROM meta WHERE key = 'imported'").next())) {
        const QString imported = clean + QLatin1Char('/') + importedStateFileName();
        QFile::remove(imported);
        QFile::rename(statePath, imported);
    }
    result.ok = true;
    result.notice = notices.join(QStringLiteral("; "));
    return result;
}

bool DeviceMemory::openDatabase(const QString &path, const QString &deviceId, const std::vector<Module *> &modules,
                                QString *reason, bool *foreign)
{
    *foreign = false;
    if (!m_database.open(path, reason))
        return false;
    const auto failed = [&] {
        *reason = m_database.error();
        m_database.rollback();
        return false;
    };
    // What the folder holds decides before anything is written to it.
    QString kind;
    qint64 format = 0;
    {
        Database::Query meta = m_database.query("SELECT key, value FROM meta WHERE key IN ('kind', 'format')");
        while (meta.next()) {
            if (meta.text(0) == QLatin1String("kind"))
                kind = meta.text(1);
            else
                format = meta.text(1).toLongLong();
        }
        // A new database has no table yet; any other failure is an unreadable one.
        if (meta.failed() && !m_database.error().contains(QLatin1String("no such table"))) {
            *reason = m_database.error();
            return false;
        }
        m_database.clearError();
    }
    if (!kind.isEmpty() && kind != kindKey(m_kind)) {
        if (kind == kindKey(DeviceKind::FiscalRegister) || kind == kindKey(DeviceKind::ReceiptPrinter)) {
            *foreign = true;
            *reason = QStringLiteral("Папка данных %1 принадлежит устройству другого типа")
                          .arg(QFileInfo(path).absolutePath());
        } else {
            *reason = QStringLiteral("неизвестный тип устройства");
        }
        m_database.close();
        return false;
    }
    if (format > kFormat) {
        *foreign = true;
        *reason = QStringLiteral("Память устройства в %1 записана более новой версией драйвера (формат %2)")
                      .arg(path)
                      .arg(format);
        m_database.close();
        return false;
    }
    if (!m_database.writeScript(kSchema))
        return failed();
    for (Module *module : modules) {
        if (module->schema() && !m_database.writeScript(module->schema()))
            return failed();
    }
    if (kind.isEmpty()) {
        const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
        for (const auto &[key, value] : {std::pair<QString, QString>{QStringLiteral("format"), QString::number(kFormat)},
                                         {QStringLiteral("kind"), kindKey(m_kind)},
                                         {QStringLiteral("device"), deviceId},
                                         {QStringLiteral("created"), now}}) {
            if (!m_database.write("INSERT OR REPLACE INTO meta (key, value) VALUES (?, ?)", {key, value}))
                return failed();
        }
    }
    QString error;
    if (!m_database.commit(&error)) {
        *reason = error;
        return false;
    }
    return true;
}

bool DeviceMemory::loadModules(const std::vector<Module *> &modules, QString *reason)
{
    for (Module *module : modules) {
        const QString key = module->stateKey();
        if (key.isEmpty())
            continue;
        module->resetState();
        QString error;
        if (!module->load(m_database, &error)) {
            *reason = QStringLiteral("раздел %1: %2").arg(key, error.isEmpty() ? QStringLiteral("неверные данные") : error);
            m_database.clearError();
            return false;
        }
    }
    return true;
}

void DeviceMemory::close()
{
    m_database.close();
    unlockFolder();
    m_folder.clear();
}

DeviceMemory::StateFile DeviceMemory::readStateFile(const QString &path, const std::vector<Module *> &modules,
                                                    QString *reason)
{
    QFile file(path);
    if (file.size() > kMaxStateFileSize) {
        *reason = QStringLiteral("файл слишком велик");
        return StateFile::Unreadable;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("файл не открывается: %1").arg(file.errorString());
        return StateFile::Unreadable;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *reason = QStringLiteral("ошибка в позиции %1: %2").arg(parseError.offset).arg(parseError.errorString());
        return StateFile::Unreadable;
    }
    const QJsonObject root = document.object();
    if (!jsonNumbersFit(root)) {
        *reason = QStringLiteral("число вне допустимого диапазона");
        return StateFile::Unreadable;
    }
    if (!document.isObject() || root.value(QStringLiteral("format")).toInt(-1) != 1) {
        *reason = QStringLiteral("неизвестный формат");
        return StateFile::Unreadable;
    }
    const QString kind = root.value(QStringLiteral("kind")).toString();
    if (kind != kindKey(m_kind)) {
        if (kind == kindKey(DeviceKind::FiscalRegister) || kind == kindKey(DeviceKind::ReceiptPrinter)) {
            *reason = QStringLiteral("Папка данных %1 принадлежит устройству другого типа")
                          .arg(QFileInfo(path).absolutePath());
            return StateFile::ForeignKind;
        }
        *reason = QStringLiteral("неизвестный тип устройства");
        return StateFile::Unreadable;
    }
    const QJsonValue sections = root.value(QStringLiteral("modules"));
    if (!sections.isObject()) {
        *reason = QStringLiteral("нет разделов памяти");
        return StateFile::Unreadable;
    }
    // A module the file does not know (one added since it was written)
    // starts in factory state; the others must read their sections.
    for (Module *module : modules) {
        const QString key = module->stateKey();
        if (key.isEmpty())
            continue;
        module->resetState();
        const QJsonValue section = sections.toObject().value(key);
        if (section.isUndefined())
            continue;
        QString error;
        if (!section.isObject() || !module->loadState(section.toObject(), &error)) {
            *reason = QStringLiteral("раздел %1: %2").arg(key, error.isEmpty() ? QStringLiteral("неверные данные") : error);
            return StateFile::Unreadable;
        }
    }
    return StateFile::Loaded;
}

bool DeviceMemory::commit(const std::vector<Module *> &modules, QString *error)
{
    if (!isOpen()) {
        *error = QStringLiteral("Память устройства не открыта");
        return false;
    }
    for (Module *module : modules) {
        if (!module->stateKey().isEmpty() && !module->store(m_database))
            break; // the transaction is doomed; commit() says why
    }
    if (m_database.commit(error))
        return true;
    reload(modules);
    return false;
}

void DeviceMemory::discard(const std::vector<Module *> &modules)
{
    if (!isOpen())
        return;
    // Whatever the action changed shows as something to store.
    for (Module *module : modules) {
        if (!module->stateKey().isEmpty() && !module->store(m_database))
            break;
    }
    if (!m_database.inTransaction())
        return;
    m_database.rollback();
    reload(modules);
}

void DeviceMemory::reload(const std::vector<Module *> &modules)
{
    QString reason;
    if (!loadModules(modules, &reason))
        qWarning("virtual register: memory in %s could not be read back: %s", qPrintable(databasePath()),
                 qPrintable(reason));
    for (Module *module : modules)
        module->reloaded();
}

} // namespace vreg
