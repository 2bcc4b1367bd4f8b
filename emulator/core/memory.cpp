#include "core/memory.h"

#include "core/module.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

namespace vreg {

namespace {

// A state file larger than this is not ours; reading it would only waste
// memory before failing.
constexpr qint64 kMaxStateFileSize = 256 * 1024 * 1024;

void resetAll(const std::vector<Module *> &modules)
{
    for (Module *module : modules) {
        if (!module->stateKey().isEmpty())
            module->resetState();
    }
}

} // namespace

QString kindKey(DeviceKind kind)
{
    return kind == DeviceKind::FiscalRegister ? QStringLiteral("fiscal-register")
                                              : QStringLiteral("receipt-printer");
}

DeviceMemory::DeviceMemory(DeviceKind kind)
    : m_kind(kind)
{
}

QString DeviceMemory::stateFilePath() const
{
    return m_folder.isEmpty() ? QString() : m_folder + QLatin1Char('/') + stateFileName();
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
    const QString path = clean + QLatin1Char('/') + stateFileName();

    QString reason;
    const ReadOutcome outcome = read(path, modules, &reason);
    if (outcome == ReadOutcome::ForeignKind) {
        result.error = reason;
        resetAll(modules);
        return result;
    }
    if (outcome == ReadOutcome::Unreadable) {
        QString asideName;
        QString error;
        if (!setAside(path, &asideName, &error)) {
            result.error = error;
            resetAll(modules);
            return result;
        }
        result.notice = QStringLiteral("Память устройства не прочитана (%1); файл сохранен как %2, "
                                       "устройство запущено в заводском состоянии")
                            .arg(reason, asideName);
    }

    m_folder = clean;
    m_deviceId = deviceId;
    if (outcome != ReadOutcome::Loaded) {
        resetAll(modules);
        m_created = QDateTime::currentDateTimeUtc();
        QString error;
        if (!save(modules, &error)) {
            close();
            result.error = error;
            return result;
        }
    }
    result.ok = true;
    return result;
}

void DeviceMemory::close()
{
    m_folder.clear();
    m_deviceId.clear();
    m_created = QDateTime();
}

DeviceMemory::ReadOutcome DeviceMemory::read(const QString &path,
                                             const std::vector<Module *> &modules,
                                             QString *reason)
{
    QFile file(path);
    if (!file.exists())
        return ReadOutcome::Missing;
    if (file.size() > kMaxStateFileSize) {
        *reason = QStringLiteral("файл слишком велик");
        return ReadOutcome::Unreadable;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("файл не открывается: %1").arg(file.errorString());
        return ReadOutcome::Unreadable;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *reason = QStringLiteral("ошибка в позиции %1: %2")
                      .arg(parseError.offset)
                      .arg(parseError.errorString());
        return ReadOutcome::Unreadable;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toInt(-1) != kFormat) {
        *reason = QStringLiteral("неизвестный формат");
        return ReadOutcome::Unreadable;
    }
    const QString kind = root.value(QStringLiteral("kind")).toString();
    if (kind != kindKey(m_kind)) {
        if (kind == kindKey(DeviceKind::FiscalRegister) || kind == kindKey(DeviceKind::ReceiptPrinter)) {
            *reason = QStringLiteral("Папка данных %1 принадлежит устройству другого типа")
                          .arg(QFileInfo(path).absolutePath());
            return ReadOutcome::ForeignKind;
        }
        *reason = QStringLiteral("неизвестный тип устройства");
        return ReadOutcome::Unreadable;
    }
    const QJsonValue sections = root.value(QStringLiteral("modules"));
    if (!sections.isObject()) {
        *reason = QStringLiteral("нет разделов памяти");
        return ReadOutcome::Unreadable;
    }
    // A module the file does not know yet (one added since it was written)
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
            *reason = QStringLiteral("раздел %1: %2")
                          .arg(key, error.isEmpty() ? QStringLiteral("неверные данные") : error);
            return ReadOutcome::Unreadable;
        }
    }
    m_created = QDateTime::fromString(root.value(QStringLiteral("created")).toString(), Qt::ISODate);
    if (!m_created.isValid())
        m_created = QDateTime::currentDateTimeUtc();
    return ReadOutcome::Loaded;
}

bool DeviceMemory::setAside(const QString &path, QString *asideName, QString *error)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".unreadable-") + stamp;
    for (int i = 2; QFileInfo::exists(candidate); ++i)
        candidate = path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(i);
    if (!QFile::rename(path, candidate)) {
        *error = QStringLiteral("Файл памяти устройства %1 не читается и не может быть отложен").arg(path);
        return false;
    }
    *asideName = QFileInfo(candidate).fileName();
    return true;
}

bool DeviceMemory::save(const std::vector<Module *> &modules, QString *error)
{
    if (!isOpen()) {
        *error = QStringLiteral("Память устройства не открыта");
        return false;
    }
    QJsonObject sections;
    for (Module *module : modules) {
        const QString key = module->stateKey();
        if (!key.isEmpty())
            sections.insert(key, module->saveState());
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("kind"), kindKey(m_kind));
    root.insert(QStringLiteral("device"), m_deviceId);
    root.insert(QStringLiteral("created"), m_created.toString(Qt::ISODate));
    root.insert(QStringLiteral("modules"), sections);

    QSaveFile file(stateFilePath());
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Не удалось записать память устройства в %1: %2")
                     .arg(file.fileName(), file.errorString());
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        *error = QStringLiteral("Не удалось записать память устройства в %1: %2")
                     .arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

} // namespace vreg
