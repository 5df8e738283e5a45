#include "platform/db/connection.h"

#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"


#include <sqlite3.h>

#include <cfloat>
#include <cmath>

namespace db::detail {

void Connection::close()
{
    if (handle) {
        sqlite3_close_v2(handle);
        handle = nullptr;
    }
}

int errorNumber(int extendedCode, const QString& message)
{
    switch (extendedCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return err::Locked;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return err::NotADatabase;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: return err::CannotOpen;
    case SQLITE_READONLY: return err::ReadOnly;
    case SQLITE_IOERR: return err::DiskOrNetwork;
    case SQLITE_FULL: return err::DiskFull;
    case SQLITE_MISMATCH: return err::ConversionError;
    case SQLITE_TOOBIG: return err::FieldTooSmall;
    case SQLITE_CONSTRAINT:
        switch (extendedCode) {
        case SQLITE_CONSTRAINT_NOTNULL: return err::NullInRequired;
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_ROWID: return err::Duplicate;
        default: return err::ValidationRule;
        }
    case SQLITE_ERROR:
        if (message.startsWith(QLatin1String("no such table")))
            return err::TableNotFound;
        if (message.startsWith(QLatin1String("table")) && message.endsWith(QLatin1String("already exists")))
            return err::TableExists;
        if (message.startsWith(QLatin1String("no such function")))
            return err::UndefinedFunction;
        return err::SyntaxError;
    default: return err::Generic;
    }
}

void throwLast(sqlite3* handle, int rc, const QString& sql)
{
    int code = handle ? sqlite3_extended_errcode(handle) : rc;
    if ((code & 0xff) != (rc & 0xff))
        code = rc;
    QString message = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw DbError(errorNumber(code, message), message, code, sql, handle ? sqlite3_system_errno(handle) : 0);
}

Statement::Statement(sqlite3* handle, const QString& sql) : m_handle(handle), m_sql(sql)
{
    if (!handle)
        throw DbError(err::ObjectClosed, {}, 0, sql);
    QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(handle, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK)
        throwLast(handle, rc, sql);
    if (!m_stmt)
        throw DbError(err::SyntaxError, QStringLiteral("empty statement"), 0, sql);
    for (const char* p = tail; p && *p; ++p) {
        if (*p != ';' && !std::isspace(static_cast<unsigned char>(*p))) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw DbError(err::TextAfterStatement, QString::fromUtf8(p), 0, sql);
        }
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const Value& value)
{
    int rc = SQLITE_OK;
    switch (value.kind()) {
    case Value::Kind::Null:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case Value::Kind::Bool:
        rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? -1 : 0);
        break;
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long:
        rc = sqlite3_bind_int64(m_stmt, index, static_cast<sqlite3_int64>(value.toDouble()));
        break;
    case Value::Kind::Single:
    case Value::Kind::Double:
    case Value::Kind::Date:
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case Value::Kind::Text: {
        QByteArray utf8 = value.toText().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        throwLast(m_handle, rc, m_sql);
}

void Statement::bind(const QList<Value>& params)
{
    const int expected = sqlite3_bind_parameter_count(m_stmt);
    if (expected != params.size())
        throw DbError(err::SyntaxError,
                      QStringLiteral("%1 parameters expected, %2 given").arg(expected).arg(params.size()), 0, m_sql);
    for (int i = 0; i < params.size(); ++i)
        bind(i + 1, params[i]);
}

bool Statement::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwLast(m_handle, rc, m_sql);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

qint64 run(sqlite3* handle, const QString& sql, const QList<Value>& params)
{
    Statement st(handle, sql);
    st.bind(params);
    const sqlite3_int64 before = sqlite3_total_changes64(handle);
    while (st.step()) {
    }
    // sqlite3_changes64 keeps the count of an earlier statement when this one changed nothing.
    return sqlite3_total_changes64(handle) == before ? 0 : sqlite3_changes64(handle);
}

QString quoteIdent(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

void applyDeclaredType(ColumnInfo& column, const QString& declared)
{
    // Runs for every column of every statement: plain scanning, no patterns.
    const QString up = declared.trimmed().toUpper();
    column.typed = !up.isEmpty();
    column.size = 0;
    if (!column.typed) {
        column.type = DaoType::Text;
        return;
    }
    qsizetype wordEnd = 0;
    while (wordEnd < up.size() && !up[wordEnd].isSpace() && up[wordEnd] != QLatin1Char('('))
        ++wordEnd;
    const QStringView word = QStringView(up).left(wordEnd);
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (word == QLatin1String(n))
                return true;
        return false;
    };
    if (is({"BOOLEAN", "BOOL", "BIT", "YESNO", "LOGICAL"}))
        column.type = DaoType::Boolean;
    else if (is({"TINYINT", "BYTE"}))
        column.type = DaoType::Byte;
    else if (is({"SMALLINT", "SHORT"}))
        column.type = DaoType::Integer;
    else if (is({"FLOAT", "SINGLE"}))
        column.type = DaoType::Single;
    else if (is({"DOUBLE", "REAL", "NUMERIC", "DECIMAL", "CURRENCY", "MONEY"}))
        column.type = DaoType::Double;
    else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"}))
        column.type = DaoType::Date;
    else if (is({"LONGTEXT", "MEMO", "CLOB", "NOTE"}))
        column.type = DaoType::Memo;
    else if (word.contains(QLatin1String("INT")) || is({"LONG", "COUNTER", "AUTOINCREMENT"}))
        column.type = DaoType::Long;
    else if (word.contains(QLatin1String("CHAR")) || word.contains(QLatin1String("TEXT")) || word == QLatin1String("STRING"))
        column.type = DaoType::Text;
    else
        column.type = DaoType::Double;
    if (column.type == DaoType::Text) {
        // The first number after "(", as in VARCHAR( 50 ).
        int size = 0;
        qsizetype i = up.indexOf(QLatin1Char('('));
        if (i >= 0) {
            ++i;
            while (i < up.size() && up[i].isSpace())
                ++i;
            while (i < up.size() && up[i].isDigit() && size < 100000)
                size = size * 10 + up[i++].digitValue();
        }
        column.size = size > 0 ? size : 255;
    } else {
        column.size = daoSize(column.type, 0);
    }
}

int daoSize(DaoType type, int declaredSize)
{
    switch (type) {
    case DaoType::Boolean: case DaoType::Byte: return 1;
    case DaoType::Integer: return 2;
    case DaoType::Long: case DaoType::Single: return 4;
    case DaoType::Double: case DaoType::Date: return 8;
    case DaoType::Text: return declaredSize > 0 ? declaredSize : 255;
    case DaoType::Memo: return 0;
    }
    return 0;
}

QString declaredType(DaoType type, int size)
{
    switch (type) {
    case DaoType::Boolean: return QStringLiteral("BOOLEAN");
    case DaoType::Byte: return QStringLiteral("TINYINT");
    case DaoType::Integer: return QStringLiteral("SMALLINT");
    case DaoType::Long: return QStringLiteral("INTEGER");
    case DaoType::Single: return QStringLiteral("FLOAT");
    case DaoType::Double: return QStringLiteral("DOUBLE");
    case DaoType::Date: return QStringLiteral("DATETIME");
    case DaoType::Text: return QStringLiteral("VARCHAR(%1) COLLATE JETTEXT").arg(size > 0 ? size : 255);
    case DaoType::Memo: return QStringLiteral("LONGTEXT COLLATE JETTEXT");
    }
    return QString();
}

namespace {

QString columnText(sqlite3_stmt* stmt, int index)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return QString::fromUtf8(p, sqlite3_column_bytes(stmt, index));
}

Value integerKind(DaoType type, qint64 i)
{
    switch (type) {
    case DaoType::Byte: return Value::ofKind(Value::Kind::Byte, i);
    case DaoType::Integer: return Value::ofKind(Value::Kind::Integer, i);
    default: return Value::ofKind(Value::Kind::Long, i);
    }
}

}  // namespace

Value readValue(sqlite3_stmt* stmt, int index, const ColumnInfo& column)
{
    const int storage = sqlite3_column_type(stmt, index);
    if (storage == SQLITE_NULL)
        return Value();
    const bool numeric = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    if (!column.typed) {
        if (storage == SQLITE_INTEGER) {
            qint64 i = sqlite3_column_int64(stmt, index);
            if (i >= INT32_MIN && i <= INT32_MAX)
                return Value(i);
            return Value(static_cast<double>(i));
        }
        if (storage == SQLITE_FLOAT)
            return Value(sqlite3_column_double(stmt, index));
        return Value(columnText(stmt, index));
    }
    switch (column.type) {
    case DaoType::Boolean:
        if (numeric)
            return Value(sqlite3_column_double(stmt, index) != 0.0);
        return Value(columnText(stmt, index));
    case DaoType::Byte:
    case DaoType::Integer:
    case DaoType::Long:
        if (storage == SQLITE_INTEGER)
            return integerKind(column.type, sqlite3_column_int64(stmt, index));
        if (storage == SQLITE_FLOAT) {
            // A fraction that slipped into a whole-number column reads rounded, half to even.
            double d = sqlite3_column_double(stmt, index);
            // Beyond any whole number it stays a double, which no Long takes (3349).
            if (!(std::abs(d) < 9.2e18))
                return Value(d);
            return integerKind(column.type, static_cast<qint64>(std::nearbyint(d)));
        }
        return Value(columnText(stmt, index));
    case DaoType::Single:
        if (numeric)
            return Value::single(sqlite3_column_double(stmt, index));
        return Value(columnText(stmt, index));
    case DaoType::Double:
        if (numeric)
            return Value(sqlite3_column_double(stmt, index));
        return Value(columnText(stmt, index));
    case DaoType::Date:
        if (numeric)
            return Value(rt::Date(sqlite3_column_double(stmt, index)));
        return Value(columnText(stmt, index));
    case DaoType::Text:
    case DaoType::Memo:
        return Value(columnText(stmt, index));
    }
    return Value();
}

Value convertForWrite(const ColumnInfo& column, const Value& value)
{
    if (value.isNull()) {
        if (column.notNull)
            throw DbError(err::NullInRequired, column.name);
        return value;
    }
    if (!column.typed)
        return value;
    const bool isText = value.kind() == Value::Kind::Text;
    auto number = [&]() -> double {
        if (!isText)
            return value.toDouble();
        std::optional<double> d = textToNumber(value.toText());
        if (!d)
            throw DbError(err::ConversionError, column.name);
        return *d;
    };
    switch (column.type) {
    case DaoType::Boolean: {
        if (value.kind() == Value::Kind::Bool)
            return value;
        if (isText) {
            QString t = value.toText().trimmed().toLower();
            if (t == QLatin1String("wahr") || t == QLatin1String("true") || t == QLatin1String("ja") || t == QLatin1String("yes"))
                return Value(true);
            if (t == QLatin1String("falsch") || t == QLatin1String("false") || t == QLatin1String("nein") || t == QLatin1String("no"))
                return Value(false);
        }
        return Value(number() != 0.0);
    }
    case DaoType::Byte:
    case DaoType::Integer:
    case DaoType::Long: {
        double d = std::nearbyint(number());   // half to even, as the old conversion did
        double lo = column.type == DaoType::Byte ? 0 : column.type == DaoType::Integer ? -32768 : -2147483648.0;
        double hi = column.type == DaoType::Byte ? 255 : column.type == DaoType::Integer ? 32767 : 2147483647.0;
        if (d < lo || d > hi)
            throw DbError(err::NumericOverflow, column.name);
        return integerKind(column.type, static_cast<qint64>(d));
    }
    case DaoType::Single: {
        double d = number();
        if (std::fabs(d) > FLT_MAX)
            throw DbError(err::NumericOverflow, column.name);
        return Value::single(d);
    }
    case DaoType::Double:
        return Value(number());
    case DaoType::Date: {
        if (value.kind() == Value::Kind::Date)
            return value;
        if (isText) {
            std::optional<rt::Date> d = parseDate(value.toText());
            if (!d)
                throw DbError(err::ConversionError, column.name);
            return Value(*d);
        }
        return Value(rt::Date(value.toDouble()));
    }
    case DaoType::Text:
    case DaoType::Memo: {
        QString s = value.toText();
        if (column.type == DaoType::Text && column.size > 0 && s.size() > column.size)
            throw DbError(err::FieldTooSmall, column.name);
        return Value(s);
    }
    }
    return value;
}

}  // namespace db::detail
