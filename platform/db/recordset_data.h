#pragma once

// Internal to the database layer: the state behind a Recordset.

#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <memory>
#include <optional>
#include <vector>

namespace db::detail {

struct RecordsetData {
    struct Row {
        qint64 key = 0;             // the bookmark: rowid when read, else the row's index
        qint64 rowid = 0;           // where the row was last seen
        QList<Value> values;
        QList<Value> match;         // the values of matchNames, as stored
        bool deleted = false;
        // Of a table without a key: the schema cookie when the rowid was
        // last seen to be this row's; -1 when unknown.
        qint64 seenAt = -1;
    };


    std::shared_ptr<Connection> conn;
    QString sql;                    // as run, rowid first when updatable
    QList<Value> params;
    bool updatable = false;
    QString table;
    int autoColumn = -1;            // the AutoNumber among the columns
    // How a changed or deleted row is found again. A compaction at any
    // workstation may renumber the rowids of a table without an INTEGER
    // PRIMARY KEY, so the rows of such a table are found by their key, or
    // by all the values they had; these columns are read with every row,
    // behind the rowid, whether the statement names them or not.
    QStringList matchNames;
    bool keyless = false;           // matchNames are all the columns: no key
    std::vector<ColumnInfo> columns;
    std::vector<Field> fields;
    std::vector<Row> rows;
    qsizetype pos = 0;              // -1 BOF, rows.size() EOF
    Recordset::EditMode editMode = Recordset::EditMode::None;
    QList<Value> buffer;
    std::vector<bool> dirty;
    std::optional<qint64> lastModified;
    std::optional<QList<Value>> defaults;
    bool open = true;

    static std::unique_ptr<RecordsetData> open_(std::shared_ptr<Connection> conn, const QString& sqlOrTable,
                                                OpenMode mode, const QList<Value>& params);

    void checkOpen() const;
    void makeFields();
    void load(Statement* prepared = nullptr);
    std::optional<Row> reread(qint64 rowid) const;
    // The condition that names row (one "?" per value of params); the row's
    // rowid is preferred where several rows would do.
    QString rowCondition(const Row& row, QList<Value>& params) const;
    qint64 freshBookmark(qint64 rowid) const;
    // SQLite's schema cookie, which a VACUUM or a restored copy changes: the
    // rowids of a table without a key stay where they are only while it holds.
    qint64 schemaCookie() const;
    // Notes that row.rowid is the row's now, when no renumbering came in
    // since cookieBefore was read.
    void seen(Row& row, qint64 cookieBefore) const;
    const Row& currentRow() const;
    bool hasLiveRows() const;
    void discardPending();
    QList<Value> defaultValues();
    qint64 reserveId();
};

}  // namespace db::detail
