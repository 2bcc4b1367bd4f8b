#include "core/database.h"

#include <sqlite3.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace vreg {

namespace {

// Another program reading the books (a tester's sqlite3) may hold the lock
// for a moment; longer than this and the action fails rather than hangs.
constexpr int kBusyTimeoutMs = 2000;

QString messageOf(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("нет соединения");
}

} // namespace

QString jsonRowText(const QJsonValue &value)
{
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

bool jsonRowValue(const QString &text, QJsonValue *value)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + text.toUtf8() + ']', &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1
        || !jsonNumbersFit(document.array()))
        return false;
    *value = document.array().at(0);
    return true;
}

bool jsonNumbersFit(const QJsonValue &value)
{
    // 2^63 is exact as a double; every double below it in magnitude
    // converts to qint64.
    constexpr double limit = 9223372036854775808.0;
    if (value.isDouble()) {
        const double number = value.toDouble();
        return std::isfinite(number) && number < limit && number >= -limit;
    }
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::all_of(array.begin(), array.end(), [](const QJsonValue &item) { return jsonNumbersFit(item); });
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        return std::all_of(object.begin(), object.end(), [](const QJsonValue &item) { return jsonNumbersFit(item); });
    }
    return true;
}

Database::Database() = default;

Database::~Database()
{
    close();
}

bool Database::open(const QString &path, QString *error)
{
    close();
    m_path = path;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("%1: %2").arg(path, messageOf(db));
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);
    // Reading the schema is what tells a database from any other file.
    char *message = nullptr;
    if (sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message) != SQLITE_OK
        || sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF",
                        nullptr, nullptr, &message)
            != SQLITE_OK) {
        *error = QStringLiteral("%1: %2").arg(path, message ? QString::fromUtf8(message) : messageOf(m_db));
        sqlite3_free(message);
        close();
        return false;
    }
    sqlite3_stmt *mode = nullptr;
    QString journal;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &mode, nullptr) == SQLITE_OK
        && sqlite3_step(mode) == SQLITE_ROW)
        journal = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(mode, 0)));
    sqlite3_finalize(mode);
    if (journal != QLatin1String("wal")) {
        *error = QStringLiteral("%1: журнал WAL недоступен (%2)").arg(path, journal);
        close();
        return false;
    }
    return true;
}

void Database::close()
{
    if (m_inTransaction)
        rollback();
    for (auto &entry : m_statements)
        sqlite3_finalize(entry.second);
    m_statements.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
    if (m_logFd >= 0)
        ::close(m_logFd);
    m_logFd = -1;
    m_error.clear();
}

void Database::setError(const QString &what)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1: %2").arg(m_path, what);
}

sqlite3_stmt *Database::prepare(const char *sql)
{
    if (!m_db) {
        setError(QStringLiteral("база не открыта"));
        return nullptr;
    }
    const auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        setError(messageOf(m_db));
        return nullptr;
    }
    m_statements.emplace(sql, statement);
    return statement;
}

bool Database::bind(sqlite3_stmt *statement, const SqlValue *begin, const SqlValue *end)
{
    int index = 1;
    for (const SqlValue *it = begin; it != end; ++it) {
        const SqlValue &value = *it;
        int rc = SQLITE_OK;
        switch (value.type()) {
        case SqlValue::Null:
            rc = sqlite3_bind_null(statement, index);
            break;
        case SqlValue::Integer:
            rc = sqlite3_bind_int64(statement, index, value.integer());
            break;
        case SqlValue::Real:
            rc = sqlite3_bind_double(statement, index, value.real());
            break;
        case SqlValue::Text:
            rc = sqlite3_bind_text16(statement, index, value.text().utf16(),
                                     int(value.text().size() * qsizetype(sizeof(char16_t))), SQLITE_TRANSIENT);
            break;
        case SqlValue::Blob:
            rc = sqlite3_bind_blob64(statement, index, value.bytes().constData(), sqlite3_uint64(value.bytes().size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        if (rc != SQLITE_OK) {
            setError(messageOf(m_db));
            return false;
        }
        ++index;
    }
    return true;
}

Database::Query Database::query(const char *sql, std::initializer_list<SqlValue> args)
{
    return query(sql, std::vector<SqlValue>(args));
}

Database::Query Database::query(const char *sql, const std::vector<SqlValue> &args)
{
    sqlite3_stmt *statement = prepare(sql);
    if (statement && !bind(statement, args.data(), args.data() + args.size())) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        statement = nullptr;
    }
    return Query(this, statement, statement == nullptr);
}

qint64 Database::integer(const char *sql, std::initializer_list<SqlValue> args, qint64 fallback)
{
    Query q = query(sql, args);
    return q.next() && !q.isNull(0) ? q.integer(0) : fallback;
}

Database::Query::Query(Database *db, sqlite3_stmt *statement, bool failed)
    : m_db(db)
    , m_statement(statement)
    , m_failed(failed)
{
}

Database::Query::Query(Query &&other) noexcept
    : m_db(other.m_db)
    , m_statement(other.m_statement)
    , m_failed(other.m_failed)
{
    other.m_statement = nullptr;
}

Database::Query::~Query()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

bool Database::Query::next()
{
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_db->setError(messageOf(m_db->m_db));
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_statement = nullptr;
    return false;
}

bool Database::Query::isNull(int column) const
{
    return !m_statement || sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 Database::Query::integer(int column) const
{
    return m_statement ? sqlite3_column_int64(m_statement, column) : 0;
}

double Database::Query::real(int column) const
{
    return m_statement ? sqlite3_column_double(m_statement, column) : 0.0;
}

QByteArray Database::Query::blob(int column) const
{
    if (!m_statement)
        return QByteArray();
    const void *data = sqlite3_column_blob(m_statement, column);
    const int bytes = sqlite3_column_bytes(m_statement, column);
    return data ? QByteArray(static_cast<const char *>(data), bytes) : QByteArray();
}

QString Database::Query::text(int column) const
{
    if (!m_statement)
        return QString();
    const void *data = sqlite3_column_text16(m_statement, column);
    const int bytes = sqlite3_column_bytes16(m_statement, column);
    return data ? QString(reinterpret_cast<const QChar *>(data), bytes / int(sizeof(QChar))) : QString();
}

bool Database::beginWriting()
{
    if (m_doomed)
        return false; // the transaction is lost already
    if (m_inTransaction)
        return true;
    m_error.clear();
    m_doomed = !begin();
    return !m_doomed;
}

bool Database::begin()
{
    sqlite3_stmt *statement = prepare("BEGIN IMMEDIATE");
    if (!statement)
        return false;
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        setError(messageOf(m_db));
        return false;
    }
    m_inTransaction = true;
    m_durable = false;
    return true;
}

bool Database::write(const char *sql, std::initializer_list<SqlValue> args, Durability durability)
{
    if (!beginWriting())
        return false;
    if (durability == Durability::Durable)
        m_durable = true;
    sqlite3_stmt *statement = prepare(sql);
    if (!statement || !bind(statement, args.begin(), args.end())) {
        if (statement) {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
        m_doomed = true;
        return false;
    }
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        setError(messageOf(m_db));
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    m_doomed = failed();
    return !m_doomed;
}

bool Database::writeScript(const char *sql)
{
    if (!beginWriting())
        return false;
    m_durable = true;
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        setError(message ? QString::fromUtf8(message) : messageOf(m_db));
        sqlite3_free(message);
        m_doomed = true;
        return false;
    }
    return true;
}

bool Database::commit(QString *error)
{
    if (m_doomed) {
        *error = m_error;
        rollback();
        return false;
    }
    if (!m_inTransaction)
        return true;
    sqlite3_stmt *statement = prepare("COMMIT");
    const int rc = statement ? sqlite3_step(statement) : SQLITE_ERROR;
    if (statement)
        sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        setError(messageOf(m_db));
        *error = m_error;
        rollback();
        return false;
    }
    m_inTransaction = false;
    m_error.clear();
    const bool durable = m_durable;
    m_durable = false;
    return !durable || syncLog(error);
}

bool Database::syncLog(QString *error)
{
    if (m_logFd < 0) {
        const QByteArray log = QFile::encodeName(m_path + QStringLiteral("-wal"));
        m_logFd = ::open(log.constData(), O_RDONLY | O_CLOEXEC);
        if (m_logFd < 0)
            return true; // everything is in the main file, which a checkpoint syncs
    }
    if (::fdatasync(m_logFd) != 0) {
        *error = QStringLiteral("%1: запись не сброшена на диск (%2)")
                     .arg(m_path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

void Database::rollback()
{
    if (m_db && !sqlite3_get_autocommit(m_db)) {
        sqlite3_stmt *statement = prepare("ROLLBACK");
        if (statement) {
            sqlite3_step(statement);
            sqlite3_reset(statement);
        }
    }
    m_inTransaction = false;
    m_doomed = false;
    m_durable = false;
    m_error.clear();
}

} // namespace vreg
