#include "tests/support/test_database.h"

#include "core/database.h"
#include "platform/db/database.h"

#include <QFile>

#include <gtest/gtest.h>

namespace test {

QString TestDatabase::schemaSql()
{
    QFile schema(QStringLiteral(VELMORANT_SOURCE_DIR "/resources/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "schema.sql not found";
        return {};
    }
    return QString::fromUtf8(schema.readAll());
}

TestDatabase::TestDatabase(const QString& name) : m_path(m_folder.file(name))
{
    db::engine::createDatabase(m_path, schemaSql());
    Db = db::Database::open(m_path);
    DbOpen = true;
}

TestDatabase::~TestDatabase()
{
    CloseProgramDatabase();
    DbOpen = false;
}

qint64 TestDatabase::exec(const QString& sql) const
{
    return Db->execute(sql);
}

db::Value TestDatabase::value(const QString& sql) const
{
    db::Recordset rs = Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
    return rs.eof() ? db::Value() : rs.field(0).value();
}

int TestDatabase::count(const QString& table, const QString& where) const
{
    return value(QStringLiteral("SELECT Count(*) FROM ") + table + QStringLiteral(" WHERE ") + where + QStringLiteral(";")).toLong();
}

}  // namespace test
