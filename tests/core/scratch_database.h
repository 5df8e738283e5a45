#pragma once

#include "core/database.h"
#include "platform/db/database.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

namespace test {

// A fresh database of the program's schema, installed as the program's
// connection for the lifetime of the object.
class ScratchDatabase {
public:
    ScratchDatabase()
    {
        const QString schema = QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + "/../../resources/schema.sql";
        QFile file(schema);
        if (!file.open(QIODevice::ReadOnly))
            ADD_FAILURE() << "schema not found: " << schema.toStdString();
        m_path = m_folder.file("velmorant.mdb");
        db::engine::createDatabase(m_path, QString::fromUtf8(file.readAll()));
        Db = db::Database::open(m_path);
        DbOpen = true;
    }
    ~ScratchDatabase()
    {
        Db.reset();
        DbOpen = false;
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    void exec(const QString& sql) const { Db->execute(sql); }
    // The first column of the first row; Null when there is none.
    db::Value value(const QString& sql) const
    {
        db::Recordset rs = Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
        return rs.eof() ? db::Value() : rs.field(0).value();
    }
    int count(const QString& table, const QString& where = QStringLiteral("1=1")) const
    {
        return value("SELECT Count(*) FROM " + table + " WHERE " + where + ";").toLong();
    }

private:
    TempFolder m_folder;
    QString m_path;
};

}  // namespace test
