#pragma once

// The register's books in SQLite, through its C API (the driver may be
// called from any thread, so nothing here has a thread affinity; the device
// serialises its calls). One connection per device, WAL journal, statements
// prepared once and kept.
//
// A write opens a transaction when none is open; the device ends it with
// commit() or rollback() at the end of each action. A failed write dooms the
// transaction: later writes are skipped and commit() fails with the first
// error, so an action is stored whole or not at all.
//
// Durability: the connection runs with synchronous=NORMAL, so a commit
// survives the process being killed but not a power cut. A transaction that
// holds a durable write (a document, a counter, a table...) is made durable
// by syncing the write-ahead log after its commit; one that only touched the
// working memory (the open receipt) is not.

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vreg {

// A value bound to a statement: null, an integer, a real or a text.
class SqlValue
{
public:
    enum Type { Null, Integer, Real, Text, Blob };
    SqlValue()
        : m_type(Null)
    {
    }
    SqlValue(int value)
        : m_type(Integer)
        , m_integer(value)
    {
    }
    SqlValue(qint64 value)
        : m_type(Integer)
        , m_integer(value)
    {
    }
    SqlValue(bool value)
        : m_type(Integer)
        , m_integer(value ? 1 : 0)
    {
    }
    SqlValue(double value)
        : m_type(Real)
        , m_real(value)
    {
    }
    SqlValue(const QString &value)
        : m_type(Text)
        , m_text(value)
    {
    }
    SqlValue(const QByteArray &bytes)
        : m_type(Blob)
        , m_bytes(bytes)
    {
    }
    SqlValue(const char *) = delete; // say QStringLiteral

    Type type() const { return m_type; }
    qint64 integer() const { return m_integer; }
    double real() const { return m_real; }
    const QString &text() const { return m_text; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    Type m_type;
    qint64 m_integer = 0;
    double m_real = 0;
    QString m_text;
    QByteArray m_bytes;
};

// A JSON value as the text of one row of the key-value table: the compact
// JSON of the value itself, so that a number reads as a number and a text as
// a quoted text in the sqlite3 tool; and back (false for a text that is not
// one JSON value).
QString jsonRowText(const QJsonValue &value);
bool jsonRowValue(const QString &text, QJsonValue *value);

// Whether every number in the value fits the memory's whole-number fields:
// finite and within the range of a 64-bit integer. The device never writes
// a larger one, and converting it would be undefined, so a memory holding
// one cannot be read.
bool jsonNumbersFit(const QJsonValue &value);

enum class Durability {
    // Lost in a power cut is acceptable (the open receipt, like a real
    // register's working memory); a killed process still keeps it.
    Working,
    // Survives a power cut: synced before the action answers.
    Durable,
};

class Database
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens (creating) the database file in WAL mode with a busy timeout;
    // false with the reason. A file that is not a database fails here or at
    // the first statement that reads it.
    bool open(const QString &path, QString *error);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // A statement run for its rows. Reading stops at the end or at the first
    // error (then error() tells, and the query counts as failed).
    class Query
    {
    public:
        Query(Query &&other) noexcept;
        ~Query();
        Query(const Query &) = delete;
        Query &operator=(const Query &) = delete;
        Query &operator=(Query &&) = delete;

        bool next();
        bool failed() const { return m_failed; }
        bool isNull(int column) const;
        qint64 integer(int column) const;
        double real(int column) const;
        QString text(int column) const;
        QByteArray blob(int column) const;

    private:
        friend class Database;
        Query(Database *db, sqlite3_stmt *statement, bool failed);
        Database *m_db;
        sqlite3_stmt *m_statement;
        bool m_failed;
    };

    Query query(const char *sql, std::initializer_list<SqlValue> args = {});
    Query query(const char *sql, const std::vector<SqlValue> &args);
    // The first column of the first row; `fallback` when there is none.
    qint64 integer(const char *sql, std::initializer_list<SqlValue> args, qint64 fallback);

    // A change, inside the transaction (opened when none is). False when it
    // or an earlier write of the transaction failed.
    bool write(const char *sql, std::initializer_list<SqlValue> args = {},
               Durability durability = Durability::Durable);
    // Several statements without arguments (the schema), in the transaction.
    bool writeScript(const char *sql);

    bool inTransaction() const { return m_inTransaction; }
    // A write failed: the transaction (or the attempt to begin one) is lost.
    bool doomed() const { return m_doomed; }
    // Ends the transaction; false (rolled back) with the reason when the
    // commit, or a write before it, failed. Without a transaction: true.
    bool commit(QString *error);
    void rollback();

    // The first failure of the transaction or of the last query, as
    // "<file>: <what SQLite says>".
    QString error() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }
    void clearError() { m_error.clear(); }

private:
    sqlite3_stmt *prepare(const char *sql);
    bool bind(sqlite3_stmt *statement, const SqlValue *begin, const SqlValue *end);
    bool begin();
    // A transaction to write in, opened when none is; false when the
    // transaction is lost or cannot begin.
    bool beginWriting();
    bool syncLog(QString *error);
    void setError(const QString &what);

    sqlite3 *m_db = nullptr;
    QString m_path;
    std::unordered_map<std::string, sqlite3_stmt *> m_statements;
    bool m_inTransaction = false;
    bool m_doomed = false; // a write failed since the last commit or rollback
    bool m_durable = false;
    QString m_error;
    int m_logFd = -1; // the write-ahead log, for syncing durable commits
};

} // namespace vreg
