#include "recordingdriver.h"

#include <QMutexLocker>

#include <cstring>

namespace {

QString fromWide(const wchar_t *text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

} // namespace

RecordingDriver::RecordingDriver() = default;
RecordingDriver::~RecordingDriver() = default;

QStringList RecordingDriver::log() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

QStringList RecordingDriver::writesAndActions() const
{
    QStringList result;
    for (const QString &entry : log()) {
        if (!entry.contains(QLatin1Char('?')) || entry.contains(QLatin1Char('=')))
            result << entry;
    }
    return result;
}

void RecordingDriver::clearLog()
{
    QMutexLocker lock(&m_mutex);
    m_log.clear();
}

int RecordingDriver::count(const QString &entry) const
{
    return log().count(entry);
}

void RecordingDriver::set(const QString &name, const QVariant &value)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(name, value);
}

QVariant RecordingDriver::get(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(name);
}

void RecordingDriver::setDate(const QString &name, int day, int month, int year)
{
    set(name, QVariant::fromValue(QList<int>{day, month, year}));
}

void RecordingDriver::setTime(const QString &name, int hour, int minute, int second)
{
    set(name, QVariant::fromValue(QList<int>{hour, minute, second}));
}

void RecordingDriver::setStringResult(const QString &name, int result)
{
    QMutexLocker lock(&m_mutex);
    m_stringResults.insert(name, result);
}

void RecordingDriver::setSetting(const QString &name, const QString &value)
{
    QMutexLocker lock(&m_mutex);
    m_settings.insert(name, value);
}

void RecordingDriver::setSettingDescription(const QString &name, const QString &mapping)
{
    QMutexLocker lock(&m_mutex);
    m_settingDescriptions.insert(name, mapping);
}

QString RecordingDriver::setting(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings.value(name);
}

void RecordingDriver::failOn(const QString &name, int code, const QString &description,
                             const QString &detail, int times, int result)
{
    QMutexLocker lock(&m_mutex);
    m_failures.insert(name, Failure{code, description, detail, times, result});
}

void RecordingDriver::clearFailures()
{
    QMutexLocker lock(&m_mutex);
    m_failures.clear();
}

void RecordingDriver::setActionResult(const QString &name, int result)
{
    QMutexLocker lock(&m_mutex);
    m_actionResults.insert(name, result);
}

void RecordingDriver::onAction(const QString &name, std::function<int()> hook)
{
    QMutexLocker lock(&m_mutex);
    m_hooks.insert(name, std::move(hook));
}

void RecordingDriver::onRead(const QString &name, std::function<void()> hook)
{
    QMutexLocker lock(&m_mutex);
    m_readHooks.insert(name, std::move(hook));
}

void RecordingDriver::runReadHook(const QString &name)
{
    std::function<void()> hook;
    {
        QMutexLocker lock(&m_mutex);
        hook = m_readHooks.value(name);
    }
    if (hook)
        hook();
}

int RecordingDriver::fail(int code, const QString &description, const QString &detail)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(QStringLiteral("ResultCode"), code);
    m_values.insert(QStringLiteral("ResultDescription"), description);
    m_values.insert(QStringLiteral("ResultDetail"), detail.isEmpty() ? 0 : 1);
    m_values.insert(QStringLiteral("ResultDetailDescription"), detail);
    return -1;
}

void RecordingDriver::append(const QString &entry)
{
    m_log << entry;
}

bool RecordingDriver::takeFailure(const QString &name, int &result)
{
    auto it = m_failures.find(name);
    if (it == m_failures.end() || it->times == 0)
        return false;
    if (it->times > 0)
        --it->times;
    m_values.insert(QStringLiteral("ResultCode"), it->code);
    m_values.insert(QStringLiteral("ResultDescription"), it->description);
    m_values.insert(QStringLiteral("ResultDetail"), it->detail.isEmpty() ? 0 : 1);
    m_values.insert(QStringLiteral("ResultDetailDescription"), it->detail);
    result = it->result;
    return true;
}

void RecordingDriver::succeed()
{
    m_values.insert(QStringLiteral("ResultCode"), 0);
    m_values.insert(QStringLiteral("ResultDescription"), QString());
    m_values.insert(QStringLiteral("ResultDetail"), 0);
    m_values.insert(QStringLiteral("ResultDetailDescription"), QString());
}

int RecordingDriver::write(const char *name, const QVariant &value, const QString &shown)
{
    QMutexLocker lock(&m_mutex);
    const QString key = QLatin1String(name);
    append(key + QLatin1Char('=') + shown);
    int result = 0;
    if (takeFailure(key, result))
        return result;
    m_values.insert(key, value);
    succeed();
    return 0;
}

int RecordingDriver::writeString(const char *name, const wchar_t *value)
{
    const QString text = fromWide(value);
    return write(name, text, text);
}

int RecordingDriver::writeTriple(const char *name, int a, int b, int c, bool isDate)
{
    const QString shown = isDate
        ? twoDigits(a) + QLatin1Char('.') + twoDigits(b) + QLatin1Char('.') + QString::number(c)
        : twoDigits(a) + QLatin1Char(':') + twoDigits(b) + QLatin1Char(':') + twoDigits(c);
    return write(name, QVariant::fromValue(QList<int>{a, b, c}), shown);
}

int RecordingDriver::readInt(const char *name, int *value)
{
    runReadHook(QLatin1String(name));
    QMutexLocker lock(&m_mutex);
    const QString key = QLatin1String(name);
    append(key + QLatin1Char('?'));
    const QVariant stored = m_values.value(key);
    if (value && stored.isValid())
        *value = stored.toInt();
    return 0;
}

int RecordingDriver::readDouble(const char *name, double *value)
{
    runReadHook(QLatin1String(name));
    QMutexLocker lock(&m_mutex);
    const QString key = QLatin1String(name);
    append(key + QLatin1Char('?'));
    const QVariant stored = m_values.value(key);
    if (value && stored.isValid())
        *value = stored.toDouble();
    return 0;
}

int RecordingDriver::copyText(const QString &text, wchar_t *buffer, int capacity, int result)
{
    const std::wstring wide = text.toStdWString();
    if (buffer && capacity > 0) {
        const int n = qMin<int>(int(wide.size()), capacity);
        std::memcpy(buffer, wide.data(), size_t(n) * sizeof(wchar_t));
        if (n < capacity)
            buffer[n] = L'\0';
    }
    return result;
}

int RecordingDriver::readString(const char *name, wchar_t *buffer, int capacity)
{
    runReadHook(QLatin1String(name));
    QMutexLocker lock(&m_mutex);
    const QString key = QLatin1String(name);
    append(key + QLatin1Char('?') + QString::number(capacity));
    const QString text = m_values.value(key).toString();
    const int length = int(text.toStdWString().size());
    return copyText(text, buffer, capacity, m_stringResults.value(key, length));
}

int RecordingDriver::readTriple(const char *name, int *a, int *b, int *c)
{
    runReadHook(QLatin1String(name));
    QMutexLocker lock(&m_mutex);
    const QString key = QLatin1String(name);
    append(key + QLatin1Char('?'));
    const QList<int> parts = m_values.value(key).value<QList<int>>();
    if (parts.size() == 3) {
        if (a) *a = parts[0];
        if (b) *b = parts[1];
        if (c) *c = parts[2];
    }
    return 0;
}

int RecordingDriver::action(const char *name)
{
    std::function<int()> hook;
    {
        QMutexLocker lock(&m_mutex);
        const QString key = QLatin1String(name);
        append(key + QStringLiteral("()"));
        int result = 0;
        if (takeFailure(key, result))
            return result;
        succeed();
        hook = m_hooks.value(key);
        if (!hook)
            return m_actionResults.value(key, 0);
    }
    return hook();
}

int RecordingDriver::ParentWindow(void *window)
{
    QMutexLocker lock(&m_mutex);
    append(window ? QStringLiteral("ParentWindow(set)") : QStringLiteral("ParentWindow(null)"));
    int result = 0;
    if (takeFailure(QStringLiteral("ParentWindow"), result))
        return result;
    m_parentWindow = window;
    succeed();
    return 0;
}

int RecordingDriver::ReadSetting(const wchar_t *name, wchar_t *buffer, int capacity)
{
    QMutexLocker lock(&m_mutex);
    const QString key = fromWide(name);
    append(QStringLiteral("ReadSetting(%1)").arg(key));
    const QString text = m_settings.value(key);
    return copyText(text, buffer, capacity,
                    m_stringResults.value(QStringLiteral("ReadSetting:") + key,
                                          int(text.toStdWString().size())));
}

int RecordingDriver::WriteSetting(const wchar_t *name, const wchar_t *value)
{
    QMutexLocker lock(&m_mutex);
    const QString key = fromWide(name);
    append(QStringLiteral("WriteSetting(%1,%2)").arg(key, fromWide(value)));
    int result = 0;
    if (takeFailure(QStringLiteral("WriteSetting"), result))
        return result;
    m_settings.insert(key, fromWide(value));
    succeed();
    return 0;
}

int RecordingDriver::ReadSettingDescription(const wchar_t *name, wchar_t *buffer, int capacity)
{
    QMutexLocker lock(&m_mutex);
    const QString key = fromWide(name);
    append(QStringLiteral("ReadSettingDescription(%1)").arg(key));
    const QString text = m_settingDescriptions.value(key);
    return copyText(text, buffer, capacity,
                    m_stringResults.value(QStringLiteral("ReadSettingDescription:") + key,
                                          int(text.toStdWString().size())));
}

int RecordingDriver::ScannerCallback(VOR::AbstractScannerEventHandler *handler)
{
    QMutexLocker lock(&m_mutex);
    append(handler ? QStringLiteral("ScannerCallback(set)") : QStringLiteral("ScannerCallback(null)"));
    int result = 0;
    if (takeFailure(QStringLiteral("ScannerCallback"), result))
        return result;
    m_scanner = handler;
    succeed();
    return 0;
}
