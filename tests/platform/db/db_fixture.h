#pragma once

#include "platform/db/database.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace dbtest {

// A typed table in the shape the program's schema uses.
inline const char* const kPeopleSchema =
    "CREATE TABLE tbl_people ("
    " p_id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " p_name VARCHAR(20) COLLATE JETTEXT,"
    " p_note LONGTEXT COLLATE JETTEXT,"
    " p_count SMALLINT DEFAULT 0,"
    " p_byte TINYINT DEFAULT 0,"
    " p_active BOOLEAN NOT NULL DEFAULT 0,"
    " p_start DATETIME,"
    " p_price FLOAT DEFAULT 0,"
    " p_city VARCHAR(30) COLLATE JETTEXT DEFAULT 'Berlin');";

// Each test gets its own database file in its own folder.
class DbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.file(QStringLiteral("test.db"));
        db::engine::createDatabase(path, QString::fromUtf8(kPeopleSchema));
        database = db::Database::open(path);
    }

    // A second workstation on the same file.
    std::unique_ptr<db::Database> other() const { return db::Database::open(path); }

    qint64 count(const QString& where = QStringLiteral("1 = 1"))
    {
        db::Recordset rs = database->openRecordset(
            QStringLiteral("SELECT Count(*) AS n FROM tbl_people WHERE ") + where, db::OpenMode::ForwardOnlyReadOnly);
        return rs.value(QStringLiteral("n")).toLong();
    }

    void addPerson(const QString& name)
    {
        database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES (?)"), {db::Value(name)});
    }

    // The first column of every row, as text.
    QStringList names(const QString& sql)
    {
        QStringList out;
        db::Recordset rs = database->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
        for (; !rs.eof(); rs.moveNext())
            out << rs.field(0).value().toText();
        return out;
    }

    test::TempFolder folder;
    QString path;
    std::unique_ptr<db::Database> database;
};

// Expects the statement to throw DbError with the number.
#define EXPECT_DB_ERROR(statement, expectedNumber)                                     \
    do {                                                                               \
        try {                                                                          \
            statement;                                                                 \
            ADD_FAILURE() << "no error, expected " << (expectedNumber);                \
        } catch (const db::DbError& e) {                                               \
            EXPECT_EQ(e.number(), (expectedNumber)) << e.what();                       \
        }                                                                              \
    } while (false)

}  // namespace dbtest
