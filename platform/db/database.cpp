#include "platform/db/database.h"

#include "platform/db/connection.h"
#include "platform/db/jetfunctions.h"
#include "platform/db/recordset_data.h"
#include "platform/db/translate.h"

#include <QFile>
#include <QFileInfo>

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
        conn->close();
        throw DbError(detail::errorNumber(code, message), message, code, path);
    }
    sqlite3_extended_result_codes(conn->handle, 1);
    sqlite3_busy_timeout(conn->handle, 5000);
    registerJetFunctions(conn->handle);
    try {
        run(conn->handle, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        const QString missing = missingTable(conn->handle, requiredTables);
        if (!missing.isEmpty())
            throw DbError(err::NotADatabase, QStringLiteral("Die Tabelle „%1“ fehlt.").arg(missing), SQLITE_NOTADB);
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
        throw DbError(e.number(), e.detail(), e.sqliteCode(), path);
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
    return run(m_conn->handle, translateSql(jetSql), params);
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
    run(m_conn->handle, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdent(table), columnSql(field, false)));
}

void Database::createTable(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes)
{
    if (!isOpen())
        throw DbError(err::ObjectClosed);
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

QStringList integrityProblems(sqlite3* h)
{
    QStringList problems;
    detail::Statement st(h, QStringLiteral("PRAGMA integrity_check"));
    while (st.step()) {
        QString line = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        if (line != QLatin1String("ok"))
            problems << line;
    }
    return problems;
}

// VACUUM INTO writes a fresh file: rows copied, indexes built anew.
void vacuumInto(sqlite3* h, const QString& target)
{
    run(h, QStringLiteral("VACUUM INTO ?"), {Value(target)});
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
        vacuumInto(conn->handle, target);
    } catch (...) {
        conn->close();
        QFile::remove(target);   // did not exist before: refused above
        throw;
    }
    conn->close();
}

RepairReport repairDatabase(const QString& source, const QString& target)
{
    refuseExisting(target);
    RepairReport report;
    std::shared_ptr<Connection> conn = connect(source, false);
    try {
        report.problems = integrityProblems(conn->handle);
        report.sourceIntact = report.problems.isEmpty();
        vacuumInto(conn->handle, target);
    } catch (const DbError& e) {
        conn->close();
        bool wrote = QFileInfo::exists(target);
        if (wrote)
            QFile::remove(target);
        throw DbError(err::NotADatabase, e.detail(), e.sqliteCode(), source);
    }
    conn->close();
    std::shared_ptr<Connection> copy;
    try {
        copy = connect(target, false);
        QStringList left = integrityProblems(copy->handle);
        copy->close();
        if (!left.isEmpty())
            throw DbError(err::NotADatabase, left.join(QStringLiteral("; ")), SQLITE_CORRUPT, target);
    } catch (...) {
        if (copy)
            copy->close();
        QFile::remove(target);
        throw;
    }
    return report;
}

}  // namespace engine
}  // namespace db
