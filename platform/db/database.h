#pragma once

#include "platform/db/error.h"
#include "platform/db/recordset.h"
#include "platform/db/value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace db {

namespace detail {
struct Connection;
}

struct FieldDef {
    FieldDef() = default;
    FieldDef(const QString& name, DaoType type = DaoType::Text, int size = 0,
             std::optional<Value> defaultValue = std::nullopt, bool autoNumber = false, bool required = false)
        : name(name), type(type), size(size), defaultValue(std::move(defaultValue)), autoNumber(autoNumber),
          required(required)
    {
    }

    QString name;
    DaoType type = DaoType::Text;
    int size = 0;                        // Text: characters, 0 meaning 255
    std::optional<Value> defaultValue;
    bool autoNumber = false;
    bool required = false;               // NOT NULL (Booleans always are)
};

struct IndexDef {
    IndexDef() = default;
    IndexDef(const QString& name, const QStringList& fields, bool unique = false)
        : name(name), fields(fields), unique(unique)
    {
    }

    QString name;
    QStringList fields;
    bool unique = false;
};

// The page cache of a connection (SQLite's cache_size: negative counts KiB).
// Ten years of a house fit in it: a long list read along an index visits the
// table's pages out of order, and SQLite's small default reads them from the
// file again and again. Another workstation's write still empties it.
constexpr int kCacheSizePragma = -65536;

// The connection to one database file. Text travels as UTF-8, dates as day
// numbers, and every statement is the program's SQL dialect, translated.
class Database {
public:
    // Never creates a file: a missing one gives 3024, a file that is no
    // database 3343, both before this returns. A database that lacks one of
    // requiredTables is no database of the caller's either: 3343 before
    // anything is written to it.
    static std::unique_ptr<Database> open(const QString& path, const QStringList& requiredTables = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void close();                 // record sets still held are invalid afterwards (3420)
    bool isOpen() const;
    QString path() const;
    // True when the file (or its folder, where the journal goes) cannot be
    // written from here: it was opened read-only and every write fails (3027).
    bool isReadOnly() const;

    // While set, files open as if the user could not write to them: the
    // stand-in for a read-only share where tests run with every right.
    static void setReadOnlyStandIn(bool on);
    // How long a connection opened from now on waits for another
    // workstation's lock before it gives up (3218); 5 s unless changed.
    static void setBusyTimeout(int ms);
    static int busyTimeout();

    // A table name alone opens the whole table in stored order. "?" in the SQL
    // takes the params in turn: the safe way for text the user typed.
    Recordset openRecordset(const QString& sqlOrTable, OpenMode mode = OpenMode::Dynaset,
                            const QList<Value>& params = {});
    // Hands each row of a query to fn as it is read, keeping none: for long
    // read-only lists, where a record set's copy of every row would show.
    // The values are converted as a record set's are; row is reused for the
    // next row. Errors as openRecordset.
    void forEachRow(const QString& jetSql, const QList<Value>& params,
                    const std::function<void(const QList<Value>& row)>& fn);
    // One statement; returns the rows it changed.
    qint64 execute(const QString& jetSql, const QList<Value>& params = {});

    QStringList tableNames() const;                        // as stored, without SQLite's own
    QList<FieldDef> tableFields(const QString& table) const;   // 3265 for an unknown table
    void appendField(const QString& table, const FieldDef& field);
    void createTable(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes = {});
    void createIndex(const QString& table, const IndexDef& index);

    static QString translate(const QString& jetSql);

    // For the layer's own helpers (transactions).
    const std::shared_ptr<detail::Connection>& connection() const { return m_conn; }

private:
    explicit Database(std::shared_ptr<detail::Connection> connection);
    std::shared_ptr<detail::Connection> m_conn;
};

namespace engine {

// A new database file with the given schema (SQLite SQL, several statements);
// refuses an existing file (3204). For the setup tool and for tests.
void createDatabase(const QString& path, const QString& schemaSql);

// A compacted copy of source at target, read in one piece while other
// workstations may go on writing. Refuses an existing target (3204). The
// source is not changed, except that opening it rolls back a write another
// workstation left unfinished.
void compactDatabase(const QString& source, const QString& target);

// Compacts the file itself, under SQLite's own locks and through its journal:
// the file keeps its place, rights and owner, and other workstations keep it
// open. 3218 when they keep it busy past the timeout; the file is then as it
// was.
void compactInPlace(const QString& path);

// What the integrity check finds; empty for a sound file. 3343 when the file
// cannot be read at all.
QStringList checkIntegrity(const QString& path);

// What keeps the file at path from being a whole database with the given
// tables (SQLite's quick check, a missing table, no database at all); empty
// for a whole one. Looked at read-only: nothing is written to the file, not
// even the rollback of a write left unfinished. Throws when it cannot be
// looked at now (3218 busy, 3027 such a write waits to be rolled back, 3051).
QStringList checkComplete(const QString& path, const QStringList& requiredTables);

// A page-for-page copy of source at target, of a damaged file too. Refuses an
// existing target (3204).
void copyPages(const QString& source, const QString& target);

struct RepairReport {
    bool sourceIntact = true;     // the integrity check found nothing
    QStringList problems;         // what it found otherwise
    QStringList unreadable;       // tables whose rows could not all be read
};
// Repairs the file at path in place: what can still be read is rebuilt into
// a new file at rebuilt (refused when it exists, removed afterwards), indexes
// made anew from the rows, and the rebuilt pages written over the file's in
// one write transaction through its own journal, so the file keeps its place,
// rights and owner and no write of another workstation is overwritten. 3343
// when too little can be read, 3218 when the file stays busy; the file is then
// as it was.
RepairReport repairInPlace(const QString& path, const QString& rebuilt);

}  // namespace engine
}  // namespace db
