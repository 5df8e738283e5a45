#pragma once

#include "platform/db/recordset.h"
#include "platform/db/value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// One whole table for the table editor, read through the program's connection
// (so its text columns compare and sort as everywhere else) and changed row by
// row, each change in a transaction of its own.

struct TableColumn {
    QString name;
    db::DaoType type = db::DaoType::Text;
    int size = 0;
    bool autoNumber = false;
    bool required = false;
};

// Whether the database holds a table of exactly that name. Throws db::DbError.
bool TableExists(const QString& table);

class TableData {
public:
    // Reads every row in stored order. Throws db::DbError.
    explicit TableData(const QString& table);

    const QString& table() const { return m_table; }
    const QList<TableColumn>& columns() const { return m_columns; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const db::Value& value(int row, int column) const;

    // Reads the table again.
    void reload();

    // Writes one cell of a stored row. The column's type decides whether the
    // value fits (3421, 3349, 3163, 3314 ...); a refused value leaves the row as
    // it was. Throws db::DbError. A key that other rows point to is not
    // changed, as such a row is not deleted: then false, and *refusal says why.
    bool setValue(int row, int column, const db::Value& value, QString* refusal = nullptr);

    // Stores a new row; columns not given keep the table's defaults. Returns
    // the row's index. Throws db::DbError; nothing is stored then.
    int insertRow(const std::map<int, db::Value>& values);

    // Deletes a stored row, unless other rows still point to it or it is this
    // workstation's own row: then nothing is deleted and *refusal says why.
    // The check and the delete are one transaction. Throws db::DbError.
    bool deleteRow(int row, QString* refusal);

private:
    struct Row {
        qint64 key = 0;
        QList<db::Value> values;
    };
    void read();
    void moveTo(int row);

    QString m_table;
    QList<TableColumn> m_columns;
    std::vector<Row> m_rows;
    db::Recordset m_rs;
};
