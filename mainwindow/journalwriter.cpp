#include "journalwriter.h"

#include "journalformat.h"

#include <vector>

namespace {

// Calls taken from the journal at a time, so a long backlog is written
// without holding the journal's lock for long.
const size_t Batch = 5000;
const int IntervalMs = 100;

QString numbered(const QString &path, int n)
{
    return path + QLatin1Char('.') + QString::number(n);
}

// NAME becomes NAME.1, NAME.1 becomes NAME.2 and so on; the oldest goes.
bool moveAside(const QString &path, int kept, QString *error)
{
    if (!QFile::exists(path))
        return true;
    QFile::remove(numbered(path, kept));
    for (int n = kept - 1; n >= 1; --n) {
        if (QFile::exists(numbered(path, n)))
            QFile::rename(numbered(path, n), numbered(path, n + 1));
    }
    QFile file(path);
    if (!file.rename(numbered(path, 1))) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

JournalWriter::JournalWriter(CallJournal &journal, QObject *parent)
    : QObject(parent)
    , m_journal(journal)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &JournalWriter::writePending);
}

JournalWriter::~JournalWriter()
{
    stop();
}

bool JournalWriter::start(const QString &path, qint64 limitBytes)
{
    stop();
    m_error.clear();
    m_path = path;
    m_limit = qMax<qint64>(limitBytes, 4096);
    m_next = m_journal.firstSeq();
    if (!open(m_next))
        return false;
    m_timer.start();
    return true;
}

bool JournalWriter::open(quint64 nextCall)
{
    QString why;
    if (!moveAside(m_path, KeptFiles, &why)) {
        m_error = tr("Не удалось переименовать прежний файл журнала «%1»: %2").arg(m_path, why);
        return false;
    }
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = tr("Не удалось открыть файл журнала «%1»: %2").arg(m_path, m_file.errorString());
        return false;
    }
    m_bytes = 0;
    m_callsInFile = 0;
    m_writtenDevices.clear();
    writeDevices(nextCall);
    return isActive();
}

void JournalWriter::stop()
{
    if (!isActive())
        return;
    writePending();
    if (!isActive())
        return;
    writeLine(JournalFormat::endLine(m_callsInFile));
    m_file.close();
    m_timer.stop();
}

void JournalWriter::fail(const QString &message)
{
    m_error = message;
    m_file.close();
    m_timer.stop();
    emit failed(message);
}

bool JournalWriter::writeLine(const QByteArray &line)
{
    if (m_file.write(line + '\n') != line.size() + 1) {
        fail(tr("Запись в файл журнала «%1» прервана: %2").arg(m_path, m_file.errorString()));
        return false;
    }
    m_bytes += line.size() + 1;
    return true;
}

void JournalWriter::writeDevices(quint64 nextCall)
{
    m_deviceVersion = m_journal.deviceVersion();
    for (const Journal::Device &device : m_journal.devices(nextCall)) {
        if (!writeLine(JournalFormat::deviceLine(device)))
            return;
        m_writtenDevices.insert(device.id);
    }
}

bool JournalWriter::rotate(quint64 nextCall)
{
    if (!writeLine(JournalFormat::endLine(m_callsInFile)))
        return false;
    m_file.close();
    if (!open(nextCall)) {
        fail(m_error);
        return false;
    }
    return true;
}

void JournalWriter::writePending()
{
    if (!isActive())
        return;
    if (m_journal.deviceVersion() != m_deviceVersion)
        writeDevices(m_next);
    std::vector<Journal::Call> batch;
    while (isActive()) {
        batch.clear();
        const quint64 asked = m_next;
        m_next = m_journal.copySince(asked, batch, Batch);
        // The ring went round before these calls could be written.
        const quint64 firstTaken = batch.empty() ? m_next : batch.front().seq;
        if (firstTaken > asked && !writeLine(JournalFormat::gapLine(firstTaken - asked)))
            return;
        if (batch.empty())
            break;
        for (const Journal::Call &call : batch) {
            if (!m_writtenDevices.contains(call.deviceId)) {
                writeDevices(call.seq);
                if (!isActive())
                    return;
            }
            if (!writeLine(JournalFormat::callLine(call)))
                return;
            ++m_callsInFile;
            if (m_bytes >= m_limit && !rotate(call.seq + 1))
                return;
        }
    }
    if (isActive())
        m_file.flush();
}
