// A valid memory with hostile rows: a day's memory (every table holding
// rows, a receipt open) changed cell by cell as someone with the sqlite3
// tool could, then connected, reported on and traded with.
//
// Input: a list of changes until it runs out. Each: an operation byte
// (update a cell, delete a row, copy a row), a table, a column, a row, and
// for updates a value (null, small or any integer, a real, a text or a blob).

#include "vregfuzz.h"

#include <sqlite3.h>

#include <cstring>

namespace {

class Reader
{
public:
    Reader(const uint8_t *data, size_t size)
        : m_data(data), m_size(size)
    {
    }
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    qint64 int64()
    {
        quint64 value = 0;
        for (int i = 0; i < 8; ++i)
            value |= quint64(byte()) << (8 * i);
        return qint64(value);
    }
    QByteArray chunk()
    {
        const size_t length = qMin<size_t>(byte(), m_size - qMin(m_pos, m_size));
        QByteArray bytes(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(length));
        m_pos += length;
        return bytes;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

struct Table
{
    QByteArray name;
    QList<QByteArray> columns;
    // What picks a row: the rowid, or for a table without one the first
    // column of its key (a compound key may then pick several rows).
    QByteArray key = "rowid";
};

QList<Table> tablesOf(sqlite3 *db)
{
    QList<Table> tables;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        tables.append(Table{reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), {}});
    sqlite3_finalize(statement);
    for (Table &table : tables) {
        const QByteArray sql = "PRAGMA table_info(\"" + table.name + "\")";
        sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
        QByteArray firstKey;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            table.columns.append(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1)));
            if (sqlite3_column_int(statement, 5) == 1)
                firstKey = "\"" + table.columns.last() + "\"";
        }
        sqlite3_finalize(statement);
        const QByteArray probe = "SELECT rowid FROM \"" + table.name + "\"";
        if (sqlite3_prepare_v2(db, probe.constData(), -1, &statement, nullptr) != SQLITE_OK)
            table.key = firstKey;
        sqlite3_finalize(statement);
    }
    return tables;
}

void bindValue(sqlite3_stmt *statement, int index, Reader &in)
{
    switch (in.byte() % 6) {
    case 0:
        sqlite3_bind_null(statement, index);
        break;
    case 1:
        sqlite3_bind_int64(statement, index, qint8(in.byte()));
        break;
    case 2:
        sqlite3_bind_int64(statement, index, in.int64());
        break;
    case 3: {
        const qint64 bits = in.int64();
        double value;
        memcpy(&value, &bits, sizeof value);
        sqlite3_bind_double(statement, index, value);
        break;
    }
    case 4: {
        const QByteArray text = in.chunk();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray blob = in.chunk();
        sqlite3_bind_blob(statement, index, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

void change(sqlite3 *db, const QList<Table> &tables, Reader &in)
{
    const uint8_t operation = in.byte() % 3;
    const Table &table = tables.at(in.byte() % tables.size());
    const QByteArray column = table.columns.at(in.byte() % table.columns.size());
    const int row = in.byte() % 8;
    const QByteArray rowid = "(SELECT " + table.key + " FROM \"" + table.name + "\" LIMIT 1 OFFSET " + QByteArray::number(row) + ")";
    QByteArray sql;
    if (operation == 0)
        sql = "UPDATE \"" + table.name + "\" SET \"" + column + "\" = ?1 WHERE " + table.key + " = " + rowid;
    else if (operation == 1)
        sql = "DELETE FROM \"" + table.name + "\" WHERE " + table.key + " = " + rowid;
    else
        sql = "INSERT OR IGNORE INTO \"" + table.name + "\" SELECT * FROM \"" + table.name + "\" WHERE " + table.key + " = " + rowid;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql.constData(), sqlite3_errmsg(db));
    if (operation == 0)
        bindValue(statement, 1, in);
    // A constraint may refuse the change; the others still come.
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::app();
    static fuzz::Folders folders;
    static const QString day = fuzz::dayFolder(folders);
    const QString folder = folders.fresh();
    for (const QString &name : {QStringLiteral("memory.db"), QStringLiteral("memory.db-wal")}) {
        if (QFile::exists(day + QLatin1Char('/') + name) && !QFile::copy(day + QLatin1Char('/') + name, folder + QLatin1Char('/') + name))
            qFatal("cannot copy the day's memory");
    }

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QString(folder + QStringLiteral("/memory.db")).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        qFatal("cannot open the day's memory");
    static const QList<Table> tables = tablesOf(db);
    Reader in(data, size);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    while (!in.empty())
        change(db, tables, in);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    fuzz::connectAndLook(false, folder);
    return 0;
}
