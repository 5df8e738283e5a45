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
        qint64 key = 0;             // rowid when updatable, else the row's index
        QList<Value> values;
        bool deleted = false;
    };

    std::shared_ptr<Connection> conn;
    QString sql;                    // as run, rowid first when updatable
    QList<Value> params;
    bool updatable = false;
    QString table;
    int autoColumn = -1;            // the AutoNumber among the columns
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
    const Row& currentRow() const;
    bool hasLiveRows() const;
    void discardPending();
    QList<Value> defaultValues();
    qint64 reserveId();
};

}  // namespace db::detail
