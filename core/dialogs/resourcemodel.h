#pragma once

#include "core/tabledata.h"

#include <QAbstractTableModel>

#include <map>
#include <set>

// The rows of one table for the table editor's grid, with an empty line at
// the end for a new row while rows may be added. The rows are read a page at
// a time as the grid shows them. A cell of a stored row is
// written as soon as it is changed; the new line's values are kept until the
// line is left or saved. A cleared cell stores Null.
class ResourceTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResourceTableModel(QObject* parent = nullptr);

    // The table shown (not owned); null shows nothing.
    void setTable(TableData* data);
    TableData* table() const { return m_data; }

    // Locked: nothing can be changed. Rows editable: the new line is offered.
    void setLocked(bool locked);
    void setRowsEditable(bool editable);
    void setLockedColumns(int firstColumns);
    // Columns a cleared cell is refused in (emptyRefused), the cell unchanged.
    void setRequiredColumns(std::set<int> columns) { m_required = std::move(columns); }
    bool isLocked() const { return m_locked; }

    int storedRows() const { return m_rows; }
    bool isNewLine(int row) const { return row == storedRows() && m_newLine; }
    bool hasPending() const { return !m_pending.empty(); }
    // Stores the new line's values. Throws db::DbError; the line keeps them then.
    void commitPending();
    void discardPending();
    // Deletes a stored row unless something points to it (then *refusal says
    // why and false). One another workstation changed since it was read is
    // deleted only after a question (declined: false, *refusal empty).
    // Throws db::DbError.
    bool deleteStoredRow(int row, QString* refusal);
    // Reads the table again; the new line's values are dropped.
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A row or cell was stored, added or deleted.
    void changed();
    // A value the table refused; the cell keeps its old value.
    void writeFailed(const QString& description);
    // The row was not found as read (text says why); nothing was written.
    void notWritten(const QString& text);
    // Rows could not be read; they show nothing until the table is read again.
    void readFailed(const QString& description);
    // A cell of a required column was cleared; nothing was changed.
    void emptyRefused(int column);
    // What was typed into the cell is not what its column takes (problem
    // says why); nothing was changed.
    void valueRefused(const QModelIndex& cell, const QString& problem, const QString& typed);
    // A key other rows point to, kept; reasons says which.
    void keyChangeRefused(const QString& reasons);

private:
    db::Value cellValue(int row, int column) const;
    // A stored row another workstation deleted since the table was read.
    bool isGone(int row) const;
    void reportReadFailure(const QString& description) const;
    bool isBoolean(int column) const;
    void updateNewLine();

    TableData* m_data = nullptr;
    bool m_locked = true;
    int m_rows = 0;   // stored rows as the views know them
    bool m_rowsEditable = true;
    bool m_newLine = false;
    int m_lockedColumns = 0;
    std::map<int, db::Value> m_pending;
    mutable bool m_readFailed = false;
    std::set<int> m_required;
};
