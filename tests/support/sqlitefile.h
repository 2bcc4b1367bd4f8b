#pragma once

// The register's books read and changed from outside, as a tester with the
// sqlite3 tool would: for tests that look at what is stored or spoil it.

#include <sqlite3.h>

#include <QFile>
#include <QString>
#include <QStringList>

namespace vregtest {

class SqliteFile
{
public:
    explicit SqliteFile(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
        else
            sqlite3_busy_timeout(m_db, 5000);
    }
    ~SqliteFile() { sqlite3_close(m_db); }
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    bool isOpen() const { return m_db != nullptr; }

    // Runs statements; false (with the message in error()) when one fails.
    bool exec(const QString &sql)
    {
        char *message = nullptr;
        const bool ok = m_db && sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK;
        m_error = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        return ok;
    }
    // Every row of a query, its columns joined by '|' as the sqlite3 tool
    // prints them.
    QStringList rows(const QString &sql)
    {
        QStringList result;
        sqlite3_stmt *statement = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
            return result;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char *text = sqlite3_column_text(statement, i);
                columns << (text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString());
            }
            result << columns.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        return result;
    }
    QString value(const QString &sql)
    {
        const QStringList all = rows(sql);
        return all.isEmpty() ? QString() : all.first();
    }
    QString error() const { return m_error; }

private:
    sqlite3 *m_db = nullptr;
    QString m_error;
};

} // namespace vregtest
