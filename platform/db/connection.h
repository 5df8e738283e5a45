#pragma once

// Internal to the database layer: the raw connection, statements and the
// conversions between SQLite's storage and the program's field types.

#include "platform/db/value.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace db::detail {

// How the rows of a table are found again for a change (see RecordsetData).
struct RowIdentity {
    bool rowidIsKey = false;   // an INTEGER PRIMARY KEY: the rowid never changes
    QStringList columns;       // else the first unique key, or every column
    bool allColumns = false;   // no key at all: a row is known only by its values
};

struct Connection {
    sqlite3* handle = nullptr;
    QString path;
    int savepointCounter = 0;   // names of nested transactions
    bool readOnly = false;   // the file cannot be written from here
    QHash<QString, RowIdentity> identities;   // by table; forgotten when this connection changes a schema

    ~Connection() { close(); }
    void close();
    bool isOpen() const { return handle != nullptr; }
};

// The error number for a SQLite result code (extended codes on).
int errorNumber(int extendedCode, const QString& message);
[[noreturn]] void throwLast(sqlite3* handle, int rc, const QString& sql);

// One prepared statement; finalized when it goes out of scope.
class Statement {
public:
    // A second statement after the first (only blanks and ";" may follow) is
    // refused with 3142: the program never sends more than one at a time.
    Statement(sqlite3* handle, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(const QList<Value>& params);
    void bind(int index, const Value& value);   // 1-based
    bool step();                                // true: a row is there
    void reset();
    sqlite3_stmt* get() const { return m_stmt; }
    const QString& sql() const { return m_sql; }

private:
    sqlite3* m_handle;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};

// Runs one statement of the layer's own (no translation); returns the rows changed.
qint64 run(sqlite3* handle, const QString& sql, const QList<Value>& params = {});

QString quoteIdent(const QString& name);

struct ColumnInfo {
    QString name;           // as the result calls it
    QString origin;         // the table column it comes from, for writing
    DaoType type = DaoType::Text;
    bool typed = false;     // false: an expression, read by storage class
    int size = 0;
    bool autoNumber = false;
    bool notNull = false;
};

// Type and size from a declared type such as "VARCHAR(50)"; typed is false
// for an empty declaration.
void applyDeclaredType(ColumnInfo& column, const QString& declared);

Value readValue(sqlite3_stmt* stmt, int index, const ColumnInfo& column);
// The value as the column will store it; throws 3421, 3349, 3163 or 3314.
Value convertForWrite(const ColumnInfo& column, const Value& value);

int daoSize(DaoType type, int declaredSize);
QString declaredType(DaoType type, int size);

}  // namespace db::detail
