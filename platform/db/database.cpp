#include "platform/db/database.h"

#include "platform/db/connection.h"
#include "platform/db/jetfunctions.h"
#include "platform/db/recordset_data.h"
#include "platform/db/translate.h"

#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>
#include <vector>

#include <sqlite3.h>

namespace db {

namespace {

using detail::Connection;
using detail::quoteIdent;
using detail::run;

bool& readOnlyStandIn()
{
    static bool on = false;
    return on;
}

int& busyTimeoutMs()
{
    static int ms = 5000;
    return ms;
}

// The first of the tables the database lacks; "" when it has them all.
QString missingTable(sqlite3* handle, const QStringList& tables)
{
    for (const QString& table : tables) {
        detail::Statement st(handle,
                             QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE"));
        st.bind(1, Value(table));
        if (!st.step())
            return table;
    }
    return QString();
}

// Opens an existing file and sets the connection up the way every user of it
// expects. The probe query makes a file that is no database fail here, and one
// without the required tables before the journal setting can touch it.
std::shared_ptr<Connection> connect(const QString& path, bool create, const QStringList& requiredTables = {})
{
    if (!create && !QFileInfo(path).isFile())
        throw DbError(err::FileNotFound, path);
    // SQLite takes an empty file for an empty database and would write into
    // it; for the program it is a broken copy, not a database.
    if (!create && QFileInfo(path).size() == 0)
        throw DbError(err::NotADatabase, path, SQLITE_NOTADB, path);
    auto conn = std::make_shared<Connection>();
    conn->path = path;
    // A connection serves one thread: SQLite need not lock it for every call.
    const bool standIn = !create && readOnlyStandIn();
    const int flags = SQLITE_OPEN_NOMUTEX
                      | (standIn ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &conn->handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        int code = conn->handle ? sqlite3_extended_errcode(conn->handle) : rc;
        QString message = conn->handle ? QString::fromUtf8(sqlite3_errmsg(conn->handle)) : QString();
        const int systemErrno = conn->handle ? sqlite3_system_errno(conn->handle) : 0;
        conn->close();
        throw DbError(detail::errorNumber(code, message), message, code, path, systemErrno);
    }
    sqlite3_extended_result_codes(conn->handle, 1);
    sqlite3_busy_timeout(conn->handle, busyTimeoutMs());
    registerJetFunctions(conn->handle);
    try {
        run(conn->handle, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        const QString missing = missingTable(conn->handle, requiredTables);
        if (!missing.isEmpty())
            throw DbError(err::NotADatabase, QStringLiteral("Die Tabelle \"%1\" fehlt.").arg(missing), SQLITE_NOTADB);
        // SQLite falls back to reading when the file is write-protected; the
        // journal needs the folder as well.
        conn->readOnly = sqlite3_db_readonly(conn->handle, "main") == 1
                         || (!create && !QFileInfo(QFileInfo(path).absolutePath()).isWritable());
        // No WAL: the file may sit on a network share.
        detail::Statement journal(conn->handle, QStringLiteral("PRAGMA journal_mode = DELETE"));
        journal.step();
        run(conn->handle, QStringLiteral("PRAGMA foreign_keys = OFF"));
        run(conn->handle, QStringLiteral("PRAGMA cache_size = ") + QString::number(kCacheSizePragma));
    } catch (const DbError& e) {
        conn->close();
        throw e.about(path);
    }
    return conn;
}

QString defaultLiteral(const FieldDef& f)
{
    if (!f.defaultValue || f.defaultValue->isNull())
        return f.type == DaoType::Boolean ? QStringLiteral("0") : QString();
    const Value& v = *f.defaultValue;
    switch (f.type) {
    case DaoType::Text:
    case DaoType::Memo:
        return sqlText(v.toText());
    case DaoType::Boolean:
        return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case DaoType::Date: {
        if (v.kind() == Value::Kind::Text) {
            std::optional<rt::Date> d = parseDate(v.toText());
            if (!d)
                throw DbError(err::ConversionError, f.name);
            return sqlNumber(d->serial());
        }
        return sqlNumber(v.toDouble());
    }
    default: {
        detail::ColumnInfo c;
        c.name = f.name;
        c.type = f.type;
        c.typed = true;
        c.size = f.size;
        return sqlNumber(detail::convertForWrite(c, v).toDouble());
    }
    }
}

QString columnSql(const FieldDef& f, bool inCreateTable)
{
    if (f.name.trimmed().isEmpty())
        throw DbError(err::InvalidName, QStringLiteral("(leerer Feldname)"));
    if (f.autoNumber) {
        if (!inCreateTable)
            throw DbError(err::FieldNotUpdatable, f.name + QStringLiteral(": AutoNumber only in a new table"));
        return quoteIdent(f.name) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    QString sql = quoteIdent(f.name) + QLatin1Char(' ') + detail::declaredType(f.type, f.size);
    if (f.required || f.type == DaoType::Boolean)
        sql += QStringLiteral(" NOT NULL");
    QString dflt = defaultLiteral(f);
    if (!dflt.isEmpty())
        sql += QStringLiteral(" DEFAULT ") + dflt;
    return sql;
}

}  // namespace

Database::Database(std::shared_ptr<detail::Connection> connection) : m_conn(std::move(connection)) {}

Database::~Database()
{
    close();
}

std::unique_ptr<Database> Database::open(const QString& path, const QStringList& requiredTables)
{
    return std::unique_ptr<Database>(new Database(connect(path, false, requiredTables)));
}

void Database::setReadOnlyStandIn(bool on)
{
    readOnlyStandIn() = on;
}

void Database::setBusyTimeout(int ms)
{
    busyTimeoutMs() = ms;
}

int Database::busyTimeout()
{
    return busyTimeoutMs();
}

bool Database::isReadOnly() const
{
    return m_conn && m_conn->readOnly;
}

void Database::close()
{
    if (m_conn)
        m_conn->close();
}

bool Database::isOpen() const
{
    return m_conn && m_conn->isOpen();
}

QString Database::path() const
{
    return m_conn ? m_conn->path : QString();
}

Recordset Database::openRecordset(const QString& sqlOrTable, OpenMode mode, const QList<Value>& params)
{
    return Recordset(detail::RecordsetData::open_(m_conn, sqlOrTable, mode, params));
}

void Database::forEachRow(const QString& jetSql, const QList<Value>& params,
                          const std::function<void(const QList<Value>& row)>& fn)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed, {}, 0, jetSql);
    detail::Statement st(m_conn->handle, translateSql(jetSql));
    st.bind(params);
    sqlite3_stmt* s = st.get();
    const int count = sqlite3_column_count(s);
    std::vector<detail::ColumnInfo> columns(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        detail::applyDeclaredType(columns[static_cast<size_t>(i)], QString::fromUtf8(sqlite3_column_decltype(s, i)));
    QList<Value> row(count);
    while (st.step()) {
        for (int i = 0; i < count; ++i)
            row[i] = detail::readValue(s, i, columns[static_cast<size_t>(i)]);
        fn(row);
    }
}

qint64 Database::execute(const QString& jetSql, const QList<Value>& params)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed, {}, 0, jetSql);
    const QString sql = translateSql(jetSql);
    const QString verb = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    if (verb == QLatin1String("CREATE") || verb == QLatin1String("DROP") || verb == QLatin1String("ALTER"))
        m_conn->identities.clear();
    return run(m_conn->handle, sql, params);
}

QString Database::translate(const QString& jetSql)
{
    return translateSql(jetSql);
}

QStringList Database::tableNames() const
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
    detail::Statement st(m_conn->handle,
                         QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' "
                                        "AND substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid"));
    QStringList names;
    while (st.step())
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    return names;
}

QList<FieldDef> Database::tableFields(const QString& table) const
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
    QList<FieldDef> fields;
    QList<QString> defaults;
    {
        detail::Statement st(m_conn->handle, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdent(table)));
        while (st.step()) {
            auto text = [&](int i) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), i));
                return p ? QString::fromUtf8(p) : QString();
            };
            detail::ColumnInfo c;
            c.name = text(1);
            detail::applyDeclaredType(c, text(2));
            FieldDef f;
            f.name = c.name;
            f.type = c.type;
            f.size = c.size;
            f.required = sqlite3_column_int(st.get(), 3) != 0;
            int notNull = 0, primary = 0, autoInc = 0;
            const char* decl = nullptr;
            const char* coll = nullptr;
            if (sqlite3_table_column_metadata(m_conn->handle, "main", table.toUtf8().constData(),
                                              c.name.toUtf8().constData(), &decl, &coll, &notNull, &primary,
                                              &autoInc) == SQLITE_OK)
                f.autoNumber = autoInc != 0;
            fields << f;
            defaults << (sqlite3_column_type(st.get(), 4) == SQLITE_NULL ? QString() : text(4));
        }
    }
    if (fields.isEmpty())
        throw DbError(err::ItemNotFound, table);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (defaults[i].isEmpty())
            continue;
        detail::Statement st(m_conn->handle, QStringLiteral("SELECT ") + defaults[i]);
        st.step();
        detail::ColumnInfo c;
        c.type = fields[i].type;
        c.typed = true;
        c.size = fields[i].size;
        fields[i].defaultValue = detail::readValue(st.get(), 0, c);
    }
    return fields;
}

void Database::appendField(const QString& table, const FieldDef& field)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
    m_conn->identities.clear();
    run(m_conn->handle, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdent(table), columnSql(field, false)));
}

void Database::createTable(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
    m_conn->identities.clear();
    if (table.trimmed().isEmpty())
        throw DbError(err::InvalidName, QStringLiteral("(leerer Tabellenname)"));
    if (fields.isEmpty())
        throw DbError(err::InvalidName, table + QStringLiteral(": keine Felder"));
    QStringList cols;
    for (const FieldDef& f : fields)
        cols << columnSql(f, true);
    // The table and its indexes appear together or not at all.
    sqlite3* h = m_conn->handle;
    run(h, QStringLiteral("SAVEPOINT create_table"));
    try {
        run(h, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(table), cols.join(QStringLiteral(", "))));
        for (const IndexDef& index : indexes)
            createIndex(table, index);
        run(h, QStringLiteral("RELEASE create_table"));
    } catch (...) {
        sqlite3_exec(h, "ROLLBACK TO create_table; RELEASE create_table", nullptr, nullptr, nullptr);
        throw;
    }
}

void Database::createIndex(const QString& table, const IndexDef& index)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
    m_conn->identities.clear();
    if (index.name.trimmed().isEmpty() || index.fields.isEmpty())
        throw DbError(err::InvalidName, index.name);
    QStringList cols;
    for (const QString& f : index.fields) {
        if (f.trimmed().isEmpty())
            throw DbError(err::InvalidName, index.name);
        cols << quoteIdent(f);
    }
    run(m_conn->handle, QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                            .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(index.name),
                                 quoteIdent(table), cols.join(QStringLiteral(", "))));
}

namespace engine {

namespace {

void refuseExisting(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(err::DatabaseExists, path);
}

QStringList integrityProblems(sqlite3* h, const QString& schema = QStringLiteral("main"))
{
    QStringList problems;
    try {
        detail::Statement st(h, QStringLiteral("PRAGMA %1.integrity_check").arg(quoteIdent(schema)));
        while (st.step()) {
            QString line = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
            if (line != QLatin1String("ok"))
                problems << line;
        }
    } catch (const DbError& e) {
        // Damage bad enough to stop the check itself is damage all the same.
        if (e.number() != err::NotADatabase)
            throw;
        problems << e.detail();
    }
    return problems;
}

// A file that cannot be read any further is no database of ours either.
[[noreturn]] void throwDamaged(const DbError& e, const QString& path)
{
    if (e.number() == err::Locked || e.number() == err::DiskFull || e.number() == err::DiskOrNetwork
        || e.number() == err::CannotOpen || e.number() == err::ReadOnly)
        throw e.about(path);
    throw DbError(err::NotADatabase, e.detail(), e.sqliteCode(), path);
}

int64_t singleNumber(sqlite3* h, const QString& sql)
{
    detail::Statement st(h, sql);
    return st.step() ? sqlite3_column_int64(st.get(), 0) : 0;
}

unsigned dataVersion(sqlite3* h)
{
    unsigned version = 0;
    sqlite3_file_control(h, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

struct SchemaEntry {
    QString type;
    QString name;
    QString sql;
};

// What the copy of one table could not read, as the report says it.
QString copyRows(sqlite3* h, const QString& table)
{
    QStringList columns;
    int keyParts = 0;
    bool integerKey = false;
    {
        detail::Statement info(h, QStringLiteral("PRAGMA src.table_info(%1)").arg(quoteIdent(table)));
        while (info.step()) {
            columns << quoteIdent(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1))));
            if (sqlite3_column_int(info.get(), 5) > 0) {
                ++keyParts;
                integerKey = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2)))
                                 .trimmed()
                                 .compare(QLatin1String("INTEGER"), Qt::CaseInsensitive)
                             == 0;
            }
        }
    }
    if (columns.isEmpty())
        return QString();
    // Rows keep their rowids, so what other workstations hold still names them.
    if (!(keyParts == 1 && integerKey))
        columns.prepend(QStringLiteral("rowid"));
    const QString list = columns.join(QStringLiteral(", "));
    const QString target = quoteIdent(table);
    try {
        run(h, QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM src.%1 ORDER BY rowid").arg(target, list));
        return QString();
    } catch (const DbError& e) {
        if (e.number() != err::NotADatabase)
            throw;
    }
    // A damaged page ends a reading: read up to it from the front, then from
    // the back, and keep every row that came through.
    detail::Statement insert(h, QStringLiteral("INSERT OR IGNORE INTO main.%1 (%2) VALUES (%3)")
                                    .arg(target, list, QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))));
    const int n = static_cast<int>(columns.size());
    auto salvage = [&](const QString& sql, std::optional<qint64> bound) {
        std::optional<qint64> last;
        try {
            detail::Statement read(h, sql);
            if (bound)
                read.bind(1, Value(*bound));
            while (read.step()) {
                insert.reset();
                for (int i = 0; i < n; ++i)
                    sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(read.get(), i + 1));
                insert.step();
                last = sqlite3_column_int64(read.get(), 0);
            }
        } catch (const DbError& e) {
            if (e.number() != err::NotADatabase)
                throw;
        }
        return last;
    };
    const std::optional<qint64> reached =
        salvage(QStringLiteral("SELECT rowid, %2 FROM src.%1 ORDER BY rowid").arg(target, list), std::nullopt);
    salvage(QStringLiteral("SELECT rowid, %2 FROM src.%1 WHERE rowid > ? ORDER BY rowid DESC").arg(target, list),
            reached.value_or(std::numeric_limits<qint64>::min()));
    return table;
}

// Builds main (a new, empty file) from what src still gives: the tables with
// their rows, the counters of the AutoNumbers, then the indexes made anew
// from the rows, views and triggers. Each statement is a transaction of its
// own: after a damaged page met inside a transaction SQLite refuses every
// further write of it.
RepairReport rebuild(sqlite3* h)
{
    RepairReport report;
    std::vector<SchemaEntry> entries;
    {
        detail::Statement st(h, QStringLiteral("SELECT type, name, sql FROM src.sqlite_schema WHERE sql IS NOT NULL ORDER BY rowid"));
        while (st.step()) {
            auto text = [&](int i) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), i))); };
            entries.push_back({text(0), text(1), text(2)});
        }
    }
    auto isTable = [](const SchemaEntry& e) {
        return e.type == QLatin1String("table") && !e.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
    };
    for (const SchemaEntry& e : entries) {
        if (isTable(e))
            run(h, e.sql);
    }
    for (const SchemaEntry& e : entries) {
        if (!isTable(e))
            continue;
        const QString damaged = copyRows(h, e.name);
        if (!damaged.isEmpty())
            report.unreadable << damaged;
    }
    try {
        detail::Statement seq(h, QStringLiteral("SELECT name, seq FROM src.sqlite_sequence"));
        while (seq.step()) {
            const Value name(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(seq.get(), 0))));
            const Value value(static_cast<qint64>(sqlite3_column_int64(seq.get(), 1)));
            if (run(h, QStringLiteral("UPDATE main.sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {value, name}) == 0)
                run(h, QStringLiteral("INSERT INTO main.sqlite_sequence (name, seq) VALUES (?, ?)"), {name, value});
        }
    } catch (const DbError&) {
        // No AutoNumber, or its counters are lost: the rows' own ids count.
    }
    for (const SchemaEntry& e : entries) {
        if (e.type == QLatin1String("table"))
            continue;
        try {
            run(h, e.sql);
        } catch (const DbError& error) {
            report.problems << e.name + QStringLiteral(": ") + error.detail();
        }
    }
    run(h, QStringLiteral("PRAGMA main.user_version = %1").arg(singleNumber(h, QStringLiteral("PRAGMA src.user_version"))));
    return report;
}

}  // namespace

void createDatabase(const QString& path, const QString& schemaSql)
{
    refuseExisting(path);
    std::shared_ptr<Connection> conn = connect(path, true);
    char* message = nullptr;
    QByteArray sql = schemaSql.toUtf8();
    int rc = sqlite3_exec(conn->handle, sql.constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        QString text = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
        int code = sqlite3_extended_errcode(conn->handle);
        sqlite3_free(message);
        conn->close();
        QFile::remove(path);
        throw DbError(detail::errorNumber(code, text), text, code, schemaSql);
    }
}

void compactDatabase(const QString& source, const QString& target)
{
    refuseExisting(target);
    std::shared_ptr<Connection> conn = connect(source, false);
    try {
        // VACUUM INTO reads under one read lock: a whole state of the file.
        run(conn->handle, QStringLiteral("VACUUM INTO ?"), {Value(target)});
    } catch (...) {
        conn->close();
        QFile::remove(target);   // did not exist before: refused above
        throw;
    }
    conn->close();
}

void compactInPlace(const QString& path)
{
    std::shared_ptr<Connection> conn = connect(path, false);
    try {
        run(conn->handle, QStringLiteral("VACUUM"));
    } catch (...) {
        conn->close();
        throw;
    }
    conn->close();
}

QStringList checkIntegrity(const QString& path)
{
    std::shared_ptr<Connection> conn;
    try {
        conn = connect(path, false);
        QStringList problems = integrityProblems(conn->handle);
        conn->close();
        return problems;
    } catch (const DbError& e) {
        if (conn)
            conn->close();
        throwDamaged(e, path);
    }
}

QStringList checkComplete(const QString& path, const QStringList& requiredTables)
{
    if (!QFileInfo(path).isFile())
        throw DbError(err::FileNotFound, path);
    {
        // Whatever a journal beside it holds, SQLite never leaves a file without its header.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && !file.read(16).startsWith(QByteArrayLiteral("SQLite format 3")))
            return {QStringLiteral("Die Datei ist keine Datenbank.")};
    }
    Connection conn;
    conn.path = path;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &conn.handle,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        if (rc != SQLITE_OK)
            detail::throwLast(conn.handle, rc, path);
        sqlite3_extended_result_codes(conn.handle, 1);
        sqlite3_busy_timeout(conn.handle, busyTimeoutMs());
        // The check compares indexes in the collation they were built with.
        registerJetFunctions(conn.handle);
        run(conn.handle, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        const QString missing = missingTable(conn.handle, requiredTables);
        if (!missing.isEmpty())
            return {QStringLiteral("Die Tabelle \"%1\" fehlt.").arg(missing)};
        QStringList problems;
        detail::Statement st(conn.handle, QStringLiteral("PRAGMA quick_check"));
        while (st.step()) {
            const QString line = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
            if (line != QLatin1String("ok"))
                problems << line;
        }
        return problems;
    } catch (const DbError& e) {
        if (e.number() == err::NotADatabase)
            return {e.detail()};
        throw DbError(e.number(), e.detail(), e.sqliteCode(), path);
    }
}

void copyPages(const QString& source, const QString& target)
{
    refuseExisting(target);
    std::shared_ptr<Connection> from = connect(source, false);
    sqlite3* to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from->handle, "main");
        if (backup) {
            rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        } else {
            rc = sqlite3_errcode(to);
        }
    }
    const QString message = to ? QString::fromUtf8(sqlite3_errmsg(to)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(to);
    from->close();
    if (rc != SQLITE_OK) {
        QFile::remove(target);
        throw DbError(detail::errorNumber(rc, message), message, rc, target);
    }
}

RepairReport repairInPlace(const QString& path, const QString& rebuilt)
{
    refuseExisting(rebuilt);
    std::shared_ptr<Connection> live;
    try {
        live = connect(path, false);
    } catch (const DbError& e) {
        throwDamaged(e, path);
    }
    RepairReport report;
    report.problems = integrityProblems(live->handle);
    report.sourceIntact = report.problems.isEmpty();
    constexpr int Attempts = 3;
    for (int attempt = 1;; ++attempt) {
        std::shared_ptr<Connection> fresh;
        try {
            fresh = connect(rebuilt, true);
            // A scratch file until it is complete and checked.
            singleNumber(fresh->handle, QStringLiteral("PRAGMA main.journal_mode = MEMORY"));
            run(fresh->handle, QStringLiteral("PRAGMA main.synchronous = OFF"));
            run(fresh->handle,
                QStringLiteral("PRAGMA page_size = %1").arg(singleNumber(live->handle, QStringLiteral("PRAGMA page_size"))));
            run(fresh->handle, QStringLiteral("ATTACH DATABASE ? AS src"), {Value(path)});
            // While the rows are read the live connection holds the file's
            // write lock, so no other workstation is in the middle of a write
            // and what is read is the file's latest state, table after table.
            run(live->handle, QStringLiteral("BEGIN IMMEDIATE"));
            try {
                singleNumber(live->handle, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
                const RepairReport built = rebuild(fresh->handle);
                report.unreadable = built.unreadable;
                report.problems << built.problems;
                run(fresh->handle, QStringLiteral("DETACH DATABASE src"));
                const QStringList left = integrityProblems(fresh->handle);
                if (!left.isEmpty())
                    throw DbError(err::NotADatabase, left.join(QStringLiteral("; ")), SQLITE_CORRUPT, rebuilt);
            } catch (...) {
                sqlite3_exec(live->handle, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
            // From here to the lock of the first step below is a moment.
            run(live->handle, QStringLiteral("ROLLBACK"));
            const unsigned before = dataVersion(live->handle);

            // The rebuilt pages replace the file's in one write transaction
            // through its own journal. The first step only takes the lock: a
            // write another workstation got in since the reading would be
            // lost, so the file is then left as it is and read again.
            sqlite3_backup* backup = sqlite3_backup_init(live->handle, "main", fresh->handle, "main");
            if (!backup)
                detail::throwLast(live->handle, sqlite3_errcode(live->handle), QStringLiteral("backup"));
            int rc = sqlite3_backup_step(backup, 0);
            bool overtaken = false;
            if (rc == SQLITE_OK) {
                overtaken = dataVersion(live->handle) != before;
                if (!overtaken)
                    rc = sqlite3_backup_step(backup, -1);
            }
            const int finished = sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE && !overtaken)
                detail::throwLast(live->handle, rc == SQLITE_OK ? finished : rc, QStringLiteral("backup"));
            fresh->close();
            QFile::remove(rebuilt);
            if (!overtaken)
                break;
            if (attempt == Attempts)
                throw DbError::withReason(err::Locked, QStringLiteral("die Datei wurde während der Reparatur immer wieder geändert"));
        } catch (const DbError& e) {
            if (fresh)
                fresh->close();
            QFile::remove(rebuilt);
            live->close();
            throwDamaged(e, path);
        }
    }
    const QStringList left = integrityProblems(live->handle);
    live->close();
    if (!left.isEmpty())
        throw DbError(err::NotADatabase, left.join(QStringLiteral("; ")), SQLITE_CORRUPT, path);
    return report;
}

}  // namespace engine
}  // namespace db
