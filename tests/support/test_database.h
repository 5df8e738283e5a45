#pragma once

#include "platform/db/value.h"
#include "tests/support/temp_folder.h"

#include <QString>

namespace test {

// A fresh database with the program's schema in a temporary folder, opened
// as the program's connection (Db, DbOpen) for the test's lifetime.
class TestDatabase {
public:
    explicit TestDatabase(const QString& name = QStringLiteral("test.mdb"));
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString path() const { return m_path; }
    const TempFolder& folder() const { return m_folder; }
    // Runs SQL on the open connection (rows changed).
    qint64 exec(const QString& sql) const;
    // The first column of the first row; Null when there is none.
    db::Value value(const QString& sql) const;
    int count(const QString& table, const QString& where = QStringLiteral("1=1")) const;

    // The program's schema as SQL.
    static QString schemaSql();

private:
    TempFolder m_folder;
    QString m_path;
};

}  // namespace test
