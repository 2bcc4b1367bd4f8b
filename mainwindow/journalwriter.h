#pragma once

// Writes the call journal to a file as the calls happen ("write to file as
// you go"), so a session is on disk even if the program does not end well.
// The file is a journal file like any other (journalformat.h); when it
// reaches its size limit it is closed with its end line and kept as
// NAME.1 (the older ones move on to NAME.2 ... NAME.9), and a new NAME
// starts with the device lines again. A file already there when writing
// starts is moved aside the same way, never overwritten.

#include "calljournal.h"

#include <QFile>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class JournalWriter : public QObject
{
    Q_OBJECT

public:
    static const int KeptFiles = 9;

    explicit JournalWriter(CallJournal &journal, QObject *parent = nullptr);
    ~JournalWriter() override;

    // Starts writing into `path` from the oldest call the journal holds;
    // false (and nothing started) with the reason in errorText().
    bool start(const QString &path, qint64 limitBytes);
    // Writes what is left, the end line, and closes the file.
    void stop();
    bool isActive() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    QString errorText() const { return m_error; }

    // Writes the calls that came since the last time (also run by a timer).
    void writePending();

signals:
    // Writing stopped because the file could not be written.
    void failed(const QString &message);

private:
    // The device lines carry the settings in force before `nextCall`.
    bool open(quint64 nextCall);
    bool rotate(quint64 nextCall);
    void writeDevices(quint64 nextCall);
    bool writeLine(const QByteArray &line);
    void fail(const QString &message);

    CallJournal &m_journal;
    QFile m_file;
    QString m_path;
    QString m_error;
    qint64 m_limit = 0;
    qint64 m_bytes = 0;
    quint64 m_next = 1;
    quint64 m_deviceVersion = 0;
    quint64 m_callsInFile = 0;
    QSet<int> m_writtenDevices;
    QTimer m_timer;
};
