#include "platform/db/recordset.h"

#include "platform/db/error.h"
#include "platform/db/recordset_data.h"
#include "platform/db/translate.h"

#include <QHash>

#include <algorithm>

#include <sqlite3.h>

namespace db {

namespace detail {

namespace {

// A record source that is one bare table name, e.g. tbl_colors or [tbl colors].
std::optional<QString> tableNameSource(const QString& text)
{
    // Every statement passes here: a blank outside brackets rules out a
    // table name without tokenizing the whole text.
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        for (QChar c : trimmed)
            if (c.isSpace())
                return std::nullopt;
    std::vector<Token> tokens;
    try {
        tokens = tokenize(text.trimmed());
    } catch (const DbError&) {
        return std::nullopt;
    }
    if (tokens.size() != 1)
        return std::nullopt;
    const Token& t = tokens.front();
    if (t.kind == Token::Word && t.text.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0)
        return t.text;
    if (t.kind == Token::Bracket)
        return t.text.mid(1, t.text.size() - 2);
    return std::nullopt;
}

// Where the columns of a plain SELECT begin (just after the word SELECT),
// when its shape allows changing rows: no DISTINCT, GROUP BY or set
// operation at the outer level.
std::optional<qsizetype> columnsStart(const QString& sql)
{
    std::vector<Token> tokens = tokenize(sql);
    qsizetype selectAt = -1;
    qsizetype offset = 0;
    int depth = 0;
    bool first = true;
    bool afterSelect = false;
    for (const Token& t : tokens) {
        const qsizetype here = offset;
        offset += t.text.size();
        if (t.kind == Token::Blank)
            continue;
        if (first) {
            if (t.kind != Token::Word || t.text.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0)
                return std::nullopt;
            selectAt = here + t.text.size();
            first = false;
            afterSelect = true;
            continue;
        }
        if (t.kind == Token::Punct) {
            if (t.text == QLatin1String("("))
                ++depth;
            else if (t.text == QLatin1String(")"))
                --depth;
        }
        if (t.kind == Token::Word && depth == 0) {
            const QString w = t.text.toUpper();
            if (afterSelect && (w == QLatin1String("DISTINCT") || w == QLatin1String("ALL")))
                return std::nullopt;
            if (w == QLatin1String("GROUP") || w == QLatin1String("UNION") || w == QLatin1String("INTERSECT")
                || w == QLatin1String("EXCEPT") || w == QLatin1String("HAVING"))
                return std::nullopt;
        }
        afterSelect = false;
    }
    if (selectAt < 0)
        return std::nullopt;
    return selectAt;
}

// The statement with the rowid, and the columns that find a row again, put
// in front of its own columns.
QString withRowid(const QString& sql, qsizetype at, const QStringList& matchNames)
{
    QString front = QStringLiteral(" rowid AS __rowid__,");
    for (qsizetype i = 0; i < matchNames.size(); ++i)
        front += QLatin1Char(' ') + quoteIdent(matchNames[i]) + QStringLiteral(" AS __match%1__,").arg(i);
    return sql.left(at) + front + sql.mid(at);
}

QString utf8(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

QString columnText(sqlite3_stmt* stmt, int index)
{
    return utf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, index)));
}

// An INTEGER PRIMARY KEY is the rowid itself; any other table is matched by
// its first whole unique key, or by all of its columns when it has none.
RowIdentity identityOf(Connection& conn, const QString& table)
{
    const auto known = conn.identities.constFind(table);
    if (known != conn.identities.constEnd())
        return *known;
    RowIdentity identity;
    QStringList all;
    int keyParts = 0;
    bool integerKey = false;
    {
        Statement info(conn.handle, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdent(table)));
        while (info.step()) {
            all << columnText(info.get(), 1);
            if (sqlite3_column_int(info.get(), 5) > 0) {
                ++keyParts;
                integerKey = columnText(info.get(), 2).trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            }
        }
    }
    identity.rowidIsKey = keyParts == 1 && integerKey;
    if (!identity.rowidIsKey) {
        QStringList unique;
        {
            Statement list(conn.handle, QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdent(table)));
            while (list.step()) {
                if (sqlite3_column_int(list.get(), 2) == 1 && sqlite3_column_int(list.get(), 4) == 0)
                    unique << columnText(list.get(), 1);
            }
        }
        for (const QString& index : unique) {
            QStringList columns;
            Statement info(conn.handle, QStringLiteral("PRAGMA index_info(%1)").arg(quoteIdent(index)));
            bool plain = true;
            while (info.step()) {
                if (sqlite3_column_type(info.get(), 2) == SQLITE_NULL)
                    plain = false;   // an expression
                columns << columnText(info.get(), 2);
            }
            if (plain && !columns.isEmpty()) {
                identity.columns = columns;
                break;
            }
        }
        if (identity.columns.isEmpty()) {
            identity.columns = all;
            identity.allColumns = true;
        }
    }
    conn.identities.insert(table, identity);
    return identity;
}

}  // namespace

std::unique_ptr<RecordsetData> RecordsetData::open_(std::shared_ptr<Connection> conn, const QString& sqlOrTable,
                                                    OpenMode mode, const QList<Value>& params)
{
    if (!conn || !conn->isOpen())
        throw DbError(err::ObjectClosed, {}, 0, sqlOrTable);
    auto d = std::make_unique<RecordsetData>();
    d->conn = conn;
    d->params = params;
    QString sql;
    if (std::optional<QString> table = tableNameSource(sqlOrTable))
        sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoteIdent(*table));
    else
        sql = translateSql(sqlOrTable);

    sqlite3* h = conn->handle;
    std::unique_ptr<Statement> st;
    int first = 0;
    if (mode == OpenMode::Dynaset) {
        if (std::optional<qsizetype> at = columnsStart(sql)) {
            const QString plain = sql;
            try {
                const QString candidate = withRowid(sql, *at, {});
                auto probe = std::make_unique<Statement>(h, candidate);
                QString table;
                bool oneTable = sqlite3_column_count(probe->get()) > 1;
                for (int i = 1; oneTable && i < sqlite3_column_count(probe->get()); ++i) {
                    QString t = utf8(sqlite3_column_table_name(probe->get(), i));
                    QString origin = utf8(sqlite3_column_origin_name(probe->get(), i));
                    QString dbName = utf8(sqlite3_column_database_name(probe->get(), i));
                    if (t.isEmpty() || origin.isEmpty() || dbName != QLatin1String("main")
                        || (!table.isEmpty() && t != table))
                        oneTable = false;
                    table = t;
                }
                if (oneTable) {
                    const RowIdentity identity = identityOf(*conn, table);
                    if (identity.rowidIsKey) {
                        st = std::move(probe);
                        sql = candidate;
                    } else {
                        d->matchNames = identity.columns;
                        d->keyless = identity.allColumns;
                        sql = withRowid(sql, *at, d->matchNames);
                        probe.reset();
                        st = std::make_unique<Statement>(h, sql);
                    }
                    d->updatable = true;
                    d->table = table;
                    first = 1 + static_cast<int>(d->matchNames.size());
                }
            } catch (const DbError&) {
                // Not a single-table statement (a join makes rowid ambiguous): read-only.
                st.reset();
                d->matchNames.clear();
                d->keyless = false;
                sql = plain;
            }
        }
    }
    if (!st)
        st = std::make_unique<Statement>(h, sql);
    d->sql = sql;

    sqlite3_stmt* s = st->get();
    const int count = sqlite3_column_count(s);
    for (int i = first; i < count; ++i) {
        ColumnInfo c;
        c.name = utf8(sqlite3_column_name(s, i));
        applyDeclaredType(c, utf8(sqlite3_column_decltype(s, i)));
        const char* table = sqlite3_column_table_name(s, i);
        const char* origin = sqlite3_column_origin_name(s, i);
        if (table && origin) {
            c.origin = QString::fromUtf8(origin);
            const char* decl = nullptr;
            const char* coll = nullptr;
            int notNull = 0, primary = 0, autoInc = 0;
            if (sqlite3_table_column_metadata(h, sqlite3_column_database_name(s, i), table, origin, &decl, &coll,
                                              &notNull, &primary, &autoInc) == SQLITE_OK) {
                c.notNull = notNull != 0;
                c.autoNumber = autoInc != 0;
            }
        }
        if (c.autoNumber && d->autoColumn < 0)
            d->autoColumn = static_cast<int>(d->columns.size());
        d->columns.push_back(c);
    }
    d->makeFields();
    d->load(st.get());
    return d;
}

void RecordsetData::makeFields()
{
    fields.clear();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        fields.push_back(Field(this, i));
}

void RecordsetData::load(Statement* prepared)
{
    // Opening hands over the statement it prepared to read the columns, so a
    // statement is prepared once; a requery prepares it anew.
    std::optional<Statement> own;
    if (!prepared)
        prepared = &own.emplace(conn->handle, sql);
    Statement& st = *prepared;
    st.bind(params);
    rows.clear();
    // Taken before the rows: a renumbering meanwhile makes them look older, never newer.
    const qint64 seenAt = keyless ? schemaCookie() : -1;
    const int hidden = static_cast<int>(matchNames.size());
    const int first = updatable ? 1 + hidden : 0;
    const ColumnInfo asStored;
    while (st.step()) {
        Row r;
        r.rowid = updatable ? sqlite3_column_int64(st.get(), 0) : static_cast<qint64>(rows.size());
        r.key = r.rowid;
        r.seenAt = seenAt;
        for (int i = 0; i < hidden; ++i)
            r.match.push_back(readValue(st.get(), 1 + i, asStored));
        r.values.reserve(static_cast<qsizetype>(columns.size()));
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            r.values.push_back(readValue(st.get(), i + first, columns[static_cast<size_t>(i)]));
        rows.push_back(std::move(r));
    }
    pos = 0;
}

std::optional<RecordsetData::Row> RecordsetData::reread(qint64 rowid) const
{
    QStringList cols;
    for (const QString& name : matchNames)
        cols << quoteIdent(name);
    for (const ColumnInfo& c : columns)
        cols << quoteIdent(c.origin);
    Statement st(conn->handle, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid = ?")
                                   .arg(cols.join(QStringLiteral(", ")), quoteIdent(table)));
    st.bind(1, Value(rowid));
    if (!st.step())
        return std::nullopt;
    Row r;
    r.key = rowid;
    r.rowid = rowid;
    const int hidden = static_cast<int>(matchNames.size());
    const ColumnInfo asStored;
    for (int i = 0; i < hidden; ++i)
        r.match.push_back(readValue(st.get(), 1 + i, asStored));
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        r.values.push_back(readValue(st.get(), 1 + hidden + i, columns[static_cast<size_t>(i)]));
    return r;
}

QString RecordsetData::rowCondition(const Row& row, QList<Value>& params) const
{
    if (matchNames.isEmpty()) {
        params << Value(row.rowid);
        return QStringLiteral("rowid = ?");
    }
    // The values as they were read, compared exactly; of several equal rows
    // the one last seen at this rowid.
    QStringList parts;
    for (qsizetype i = 0; i < matchNames.size(); ++i) {
        parts << QStringLiteral("%1 IS ? COLLATE BINARY").arg(quoteIdent(matchNames[i]));
        params << row.match[i];
    }
    params << Value(row.rowid);
    return QStringLiteral("rowid = (SELECT rowid FROM %1 WHERE %2 ORDER BY rowid <> ? LIMIT 1)")
        .arg(quoteIdent(table), parts.join(QStringLiteral(" AND ")));
}

qint64 RecordsetData::schemaCookie() const
{
    Statement st(conn->handle, QStringLiteral("PRAGMA schema_version"));
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

void RecordsetData::seen(Row& row, qint64 cookieBefore) const
{
    if (keyless)
        row.seenAt = schemaCookie() == cookieBefore ? cookieBefore : -1;
}

qint64 RecordsetData::freshBookmark(qint64 rowid) const
{
    // A renumbered table may hand out a rowid that another row of this set
    // still carries as its bookmark.
    qint64 highest = 0;
    bool taken = false;
    for (const Row& r : rows) {
        highest = std::max(highest, r.key);
        taken = taken || (r.key == rowid && !r.deleted);
    }
    return taken ? highest + 1 : rowid;
}

void RecordsetData::checkOpen() const
{
    if (!open || !conn || !conn->isOpen())
        throw DbError(err::ObjectClosed);
}

const RecordsetData::Row& RecordsetData::currentRow() const
{
    if (pos < 0 || pos >= static_cast<qsizetype>(rows.size()))
        throw DbError(err::NoCurrentRecord);
    const Row& r = rows[static_cast<size_t>(pos)];
    if (r.deleted)
        throw DbError(err::RecordDeleted);
    return r;
}

bool RecordsetData::hasLiveRows() const
{
    for (const Row& r : rows)
        if (!r.deleted)
            return true;
    return false;
}

void RecordsetData::discardPending()
{
    editMode = Recordset::EditMode::None;
    buffer.clear();
    dirty.clear();
}

QList<Value> RecordsetData::defaultValues()
{
    if (defaults)
        return *defaults;
    // The table's declared defaults, evaluated once, so the new row shows
    // them before it is written.
    QHash<QString, QString> declared;
    {
        Statement info(conn->handle, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdent(table)));
        while (info.step()) {
            const auto* dv = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 4));
            if (dv)
                declared.insert(utf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1))).toLower(),
                                QString::fromUtf8(dv));
        }
    }
    QStringList exprs;
    for (const ColumnInfo& c : columns)
        exprs << declared.value(c.origin.toLower(), QStringLiteral("NULL"));
    QList<Value> values;
    Statement st(conn->handle, QStringLiteral("SELECT ") + exprs.join(QStringLiteral(", ")));
    st.step();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        values.push_back(readValue(st.get(), i, columns[static_cast<size_t>(i)]));
    defaults = values;
    return values;
}

// Takes the next AutoNumber for good, so it can be shown before the row is
// written and is never handed out twice, also when the row is cancelled or
// another workstation adds one meanwhile.
qint64 RecordsetData::reserveId()
{
    sqlite3* h = conn->handle;
    const bool inTransaction = sqlite3_get_autocommit(h) == 0;
    run(h, inTransaction ? QStringLiteral("SAVEPOINT reserve_id") : QStringLiteral("BEGIN IMMEDIATE"));
    try {
        // Never below 1, also where another tool left only ids below 1 and a
        // counter below 0: every window takes an id below 1 for a row not
        // stored yet, and would store it again with each save.
        Statement next(h, QStringLiteral("SELECT max(0, coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
                                         "coalesce((SELECT max(rowid) FROM %1), 0)) + 1")
                              .arg(quoteIdent(table)));
        next.bind(1, Value(table));
        next.step();
        const qint64 id = sqlite3_column_int64(next.get(), 0);
        if (run(h, QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"), {Value(id), Value(table)}) == 0)
            run(h, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {Value(table), Value(id)});
        run(h, inTransaction ? QStringLiteral("RELEASE reserve_id") : QStringLiteral("COMMIT"));
        return id;
    } catch (...) {
        sqlite3_exec(h, inTransaction ? "ROLLBACK TO reserve_id; RELEASE reserve_id" : "ROLLBACK", nullptr, nullptr,
                     nullptr);
        throw;
    }
}

}  // namespace detail

// ---------------------------------------------------------------- Field

const QString& Field::name() const
{
    return m_data->columns[static_cast<size_t>(m_index)].name;
}

DaoType Field::type() const
{
    const detail::ColumnInfo& c = m_data->columns[static_cast<size_t>(m_index)];
    if (c.typed)
        return c.type;
    // An expression: the type of what it gave.
    if (m_data->pos >= 0 && m_data->pos < static_cast<qsizetype>(m_data->rows.size())) {
        switch (m_data->rows[static_cast<size_t>(m_data->pos)].values[m_index].kind()) {
        case Value::Kind::Long: return DaoType::Long;
        case Value::Kind::Double: return DaoType::Double;
        default: break;
        }
    }
    return DaoType::Text;
}

int Field::size() const
{
    return m_data->columns[static_cast<size_t>(m_index)].size;
}

bool Field::isAutoNumber() const
{
    return m_data->columns[static_cast<size_t>(m_index)].autoNumber;
}

bool Field::isRequired() const
{
    return m_data->columns[static_cast<size_t>(m_index)].notNull;
}

Value Field::value() const
{
    m_data->checkOpen();
    if (m_data->editMode != Recordset::EditMode::None)
        return m_data->buffer[m_index];
    return m_data->currentRow().values[m_index];
}

void Field::setValue(const Value& value)
{
    m_data->checkOpen();
    if (!m_data->updatable)
        throw DbError(err::ReadOnly, name());
    if (m_data->editMode == Recordset::EditMode::None)
        throw DbError(err::UpdateWithoutEdit, name());
    const detail::ColumnInfo& c = m_data->columns[static_cast<size_t>(m_index)];
    if (c.autoNumber)
        throw DbError(err::FieldNotUpdatable, name());
    m_data->buffer[m_index] = detail::convertForWrite(c, value);
    m_data->dirty[static_cast<size_t>(m_index)] = true;
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

Recordset::Recordset(std::unique_ptr<detail::RecordsetData> data) : d(std::move(data)) {}

detail::RecordsetData& Recordset::data() const
{
    if (!d)
        throw DbError(err::ObjectClosed);
    d->checkOpen();
    return *d;
}

bool Recordset::isOpen() const
{
    return d && d->open && d->conn && d->conn->isOpen();
}

bool Recordset::isUpdatable() const
{
    return isOpen() && d->updatable;
}

bool Recordset::eof() const
{
    const detail::RecordsetData& s = data();
    return s.pos >= static_cast<qsizetype>(s.rows.size()) || (s.pos < 0 && !s.hasLiveRows());
}

bool Recordset::bof() const
{
    const detail::RecordsetData& s = data();
    return s.pos < 0 || (s.pos >= static_cast<qsizetype>(s.rows.size()) && !s.hasLiveRows());
}

int Recordset::recordCount() const
{
    int n = 0;
    for (const auto& r : data().rows)
        if (!r.deleted)
            ++n;
    return n;
}

int Recordset::absolutePosition() const
{
    const detail::RecordsetData& s = data();
    if (s.pos < 0 || s.pos >= static_cast<qsizetype>(s.rows.size()) || s.rows[static_cast<size_t>(s.pos)].deleted)
        return -1;
    int n = 0;
    for (qsizetype i = 0; i < s.pos; ++i)
        if (!s.rows[static_cast<size_t>(i)].deleted)
            ++n;
    return n;
}

void Recordset::moveFirst()
{
    detail::RecordsetData& s = data();
    s.discardPending();
    for (qsizetype i = 0; i < static_cast<qsizetype>(s.rows.size()); ++i)
        if (!s.rows[static_cast<size_t>(i)].deleted) {
            s.pos = i;
            return;
        }
    throw DbError(err::NoCurrentRecord);
}

void Recordset::moveLast()
{
    detail::RecordsetData& s = data();
    s.discardPending();
    for (qsizetype i = static_cast<qsizetype>(s.rows.size()) - 1; i >= 0; --i)
        if (!s.rows[static_cast<size_t>(i)].deleted) {
            s.pos = i;
            return;
        }
    throw DbError(err::NoCurrentRecord);
}

void Recordset::moveNext()
{
    if (eof())
        throw DbError(err::NoCurrentRecord);
    detail::RecordsetData& s = data();
    s.discardPending();
    const qsizetype n = static_cast<qsizetype>(s.rows.size());
    qsizetype i = s.pos + 1;
    while (i < n && s.rows[static_cast<size_t>(i)].deleted)
        ++i;
    s.pos = i;
}

void Recordset::movePrevious()
{
    if (bof())
        throw DbError(err::NoCurrentRecord);
    detail::RecordsetData& s = data();
    s.discardPending();
    qsizetype i = s.pos - 1;
    while (i >= 0 && s.rows[static_cast<size_t>(i)].deleted)
        --i;
    s.pos = i;
}

int Recordset::fieldCount() const
{
    return static_cast<int>(data().fields.size());
}

Field& Recordset::field(int index)
{
    detail::RecordsetData& s = data();
    if (index < 0 || index >= static_cast<int>(s.fields.size()))
        throw DbError(err::ItemNotFound, QString::number(index));
    return s.fields[static_cast<size_t>(index)];
}

Field& Recordset::field(const QString& name)
{
    detail::RecordsetData& s = data();
    // Called for every value read by name: the length rules most names out
    // before any comparison (equal without regard to case means equal length).
    for (Field& f : s.fields)
        if (f.name().size() == name.size() && f.name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    throw DbError(err::ItemNotFound, name);
}

Value Recordset::value(const QString& name) const
{
    return const_cast<Recordset*>(this)->field(name).value();
}

Recordset::EditMode Recordset::editMode() const
{
    return data().editMode;
}

void Recordset::addNew()
{
    detail::RecordsetData& s = data();
    if (!s.updatable)
        throw DbError(err::ReadOnly);
    s.discardPending();
    QList<Value> values = s.defaultValues();
    if (s.autoColumn >= 0)
        values[s.autoColumn] = Value::ofKind(Value::Kind::Long, s.reserveId());
    s.buffer = values;
    s.dirty.assign(s.columns.size(), false);
    s.editMode = EditMode::AddNew;
}

void Recordset::edit()
{
    detail::RecordsetData& s = data();
    if (!s.updatable)
        throw DbError(err::ReadOnly);
    s.discardPending();
    s.buffer = s.currentRow().values;
    s.dirty.assign(s.columns.size(), false);
    s.editMode = EditMode::Edit;
}

void Recordset::update()
{
    detail::RecordsetData& s = data();
    if (s.editMode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit);
    sqlite3* h = s.conn->handle;
    QStringList names;
    QList<Value> values;
    for (size_t i = 0; i < s.columns.size(); ++i) {
        const bool reservedId = s.editMode == EditMode::AddNew && static_cast<int>(i) == s.autoColumn;
        if (s.dirty[i] || reservedId) {
            names << detail::quoteIdent(s.columns[i].origin);
            values << s.buffer[static_cast<qsizetype>(i)];
        }
    }
    const qint64 cookie = s.keyless ? s.schemaCookie() : -1;
    if (s.editMode == EditMode::Edit) {
        auto& row = s.rows[static_cast<size_t>(s.pos)];
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString& n : names)
                sets << n + QStringLiteral(" = ?");
            const QString where = s.rowCondition(row, values);
            detail::Statement st(h, QStringLiteral("UPDATE %1 SET %2 WHERE %3 RETURNING rowid")
                                        .arg(detail::quoteIdent(s.table), sets.join(QStringLiteral(", ")), where));
            st.bind(values);
            std::optional<qint64> written;
            while (st.step())
                written = sqlite3_column_int64(st.get(), 0);
            if (!written) {
                row.deleted = true;
                s.discardPending();
                throw DbError(err::RecordDeleted, s.table);
            }
            row.rowid = *written;
            s.seen(row, cookie);
            if (std::optional<detail::RecordsetData::Row> fresh = s.reread(row.rowid)) {
                row.values = fresh->values;
                row.match = fresh->match;
            }
        }
        s.lastModified = row.key;
        s.discardPending();
        return;
    }
    QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(detail::quoteIdent(s.table))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(detail::quoteIdent(s.table), names.join(QStringLiteral(", ")),
                   QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    detail::run(h, sql, values);
    const qint64 rowid = sqlite3_last_insert_rowid(h);
    detail::RecordsetData::Row row;
    if (std::optional<detail::RecordsetData::Row> fresh = s.reread(rowid))
        row = *fresh;
    row.rowid = rowid;
    s.seen(row, cookie);
    row.key = s.freshBookmark(rowid);
    if (row.values.isEmpty())
        row.values = s.buffer;
    s.rows.push_back(std::move(row));
    s.pos = static_cast<qsizetype>(s.rows.size()) - 1;
    s.lastModified = s.rows.back().key;
    s.discardPending();
}

void Recordset::cancelUpdate()
{
    detail::RecordsetData& s = data();
    if (s.editMode == EditMode::None)
        throw DbError(err::UpdateWithoutEdit);
    s.discardPending();
}

namespace {

// The current row of an updatable set, with what finds it in its table;
// a pending AddNew or Edit is dropped.
detail::RecordsetData::Row& currentStoredRow(detail::RecordsetData& s, QString& where, QList<Value>& params)
{
    if (!s.updatable)
        throw DbError(err::ReadOnly);
    s.discardPending();
    s.currentRow();
    auto& row = s.rows[static_cast<size_t>(s.pos)];
    where = s.rowCondition(row, params);
    return row;
}

}  // namespace

void Recordset::deleteCurrent()
{
    detail::RecordsetData& s = data();
    QString where;
    QList<Value> params;
    auto& row = currentStoredRow(s, where, params);
    const qint64 changed = detail::run(s.conn->handle,
                                       QStringLiteral("DELETE FROM %1 WHERE %2").arg(detail::quoteIdent(s.table), where),
                                       params);
    row.deleted = true;
    if (changed == 0)
        throw DbError(err::RecordDeleted, s.table);
}

bool Recordset::refreshCurrent()
{
    detail::RecordsetData& s = data();
    QString where;
    QList<Value> params;
    auto& row = currentStoredRow(s, where, params);
    const qint64 cookie = s.keyless ? s.schemaCookie() : -1;
    std::optional<qint64> rowid;
    {
        detail::Statement st(s.conn->handle,
                             QStringLiteral("SELECT rowid FROM %1 WHERE %2").arg(detail::quoteIdent(s.table), where));
        st.bind(params);
        if (st.step())
            rowid = sqlite3_column_int64(st.get(), 0);
    }
    if (!rowid)
        return false;
    std::optional<detail::RecordsetData::Row> fresh = s.reread(*rowid);
    if (!fresh)
        return false;
    row.rowid = *rowid;
    row.values = fresh->values;
    row.match = fresh->match;
    s.seen(row, cookie);
    return true;
}

Recordset::Follow Recordset::followCurrent()
{
    detail::RecordsetData& s = data();
    if (!s.keyless)
        return refreshCurrent() ? Follow::Found : Follow::Gone;
    QString where;
    QList<Value> params;
    auto& row = currentStoredRow(s, where, params);
    const qint64 cookie = s.schemaCookie();
    if (row.seenAt < 0 || row.seenAt != cookie)
        return refreshCurrent() ? Follow::Found : Follow::Lost;
    // Nothing renumbered the table since the row was seen: its rowid is its
    // own, whatever values it holds now, and no other row has taken it.
    std::optional<detail::RecordsetData::Row> fresh = s.reread(row.rowid);
    if (!fresh)
        return Follow::Gone;
    row.values = fresh->values;
    row.match = fresh->match;
    return Follow::Found;
}

Recordset::Bookmark Recordset::bookmark() const
{
    return data().currentRow().key;
}

void Recordset::setBookmark(Bookmark bookmark)
{
    detail::RecordsetData& s = data();
    for (size_t i = 0; i < s.rows.size(); ++i) {
        if (s.rows[i].key == bookmark && !s.rows[i].deleted) {
            s.discardPending();
            s.pos = static_cast<qsizetype>(i);
            return;
        }
    }
    throw DbError(err::NotABookmark, QString::number(bookmark));
}

Recordset::Bookmark Recordset::lastModified() const
{
    const detail::RecordsetData& s = data();
    if (!s.lastModified)
        throw DbError(err::NoCurrentRecord);
    return *s.lastModified;
}

void Recordset::requery()
{
    detail::RecordsetData& s = data();
    s.discardPending();
    s.load();
}

void Recordset::close()
{
    if (!d)
        return;
    d->discardPending();
    d->rows.clear();
    d->open = false;
}

}  // namespace db
