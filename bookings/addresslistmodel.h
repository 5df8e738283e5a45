#pragma once

#include "core/customers.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

// The address book's result list: last name, first name, birthday. An empty
// result shows one line saying so, which belongs to no customer.
class AddressListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LastName, FirstName, Birthday, ColumnCount };
    // The customer of a line (Qt::UserRole); 0 for the "nothing found" line.
    static constexpr int IdRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the lines; an empty list shows emptyText as its only line.
    void setRows(std::vector<CustomerListRow> rows, const QString& emptyText);
    void clear();
    // Takes the customer's line out; false when it is not listed.
    bool removeCustomer(qint32 custId);

    // The line of a customer, -1 when it is not listed.
    int rowOf(qint32 custId) const;
    qint32 idAt(int row) const;
    // Customers listed (the "nothing found" line does not count).
    int customerCount() const { return static_cast<int>(m_rows.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Names in the database's German order, birthdays as dates, unknown ones
    // first. The list sorted by the column already is only turned round.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QString text(const CustomerListRow& row, int column) const;
    // The sort keys of a name column, one per line in the lines' order, made
    // at the first sort by it and kept with the lines.
    const std::vector<QString>& keys(int column);
    void reorder(const std::vector<size_t>& order);

    std::vector<CustomerListRow> m_rows;
    std::array<std::vector<QString>, 2> m_keys;   // LastName, FirstName; empty until needed
    int m_sortedColumn = -1;                      // the lines' order, -1: as the query gave them
    Qt::SortOrder m_sortedOrder = Qt::AscendingOrder;
    QString m_emptyText;   // shown as the only line while m_rows is empty
};
