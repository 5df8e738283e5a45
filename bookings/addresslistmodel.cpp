#include "bookings/addresslistmodel.h"

#include "core/datefunctions.h"
#include "core/messages.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"

#include <algorithm>

void AddressListModel::setRows(std::vector<CustomerListRow> rows, const QString& emptyText)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_emptyText = emptyText;
    endResetModel();
}

void AddressListModel::clear()
{
    setRows({}, QString());
}

bool AddressListModel::removeCustomer(qint32 custId)
{
    const int row = rowOf(custId);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

int AddressListModel::rowOf(qint32 custId) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].cust_id == custId)
            return static_cast<int>(i);
    return -1;
}

qint32 AddressListModel::idAt(int row) const
{
    return row >= 0 && row < customerCount() ? m_rows[static_cast<size_t>(row)].cust_id : 0;
}

int AddressListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (m_rows.empty())
        return m_emptyText.isEmpty() ? 0 : 1;
    return customerCount();
}

int AddressListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString AddressListModel::text(const CustomerListRow& row, int column) const
{
    switch (column) {
    case LastName:
        // A line without last name shows the first name; one without any
        // name, the company it was found by.
        if (!row.cust_lastname.isEmpty())
            return row.cust_lastname;
        return row.cust_firstname.isEmpty() ? row.cust_company : row.cust_firstname;
    case FirstName:
        return row.cust_firstname;
    case Birthday:
        return row.cust_birthday.isZero() ? QString() : rt::formatDate(row.cust_birthday, DateFormat);
    default:
        return QString();
    }
}

QVariant AddressListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    if (m_rows.empty()) {
        if (role == Qt::DisplayRole && index.column() == LastName)
            return m_emptyText;
        if (role == IdRole)
            return 0;
        return QVariant();
    }
    const CustomerListRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case Qt::ToolTipRole:
        return row.cust_company.isEmpty() ? QVariant() : QVariant(row.cust_company);
    case IdRole:
        return row.cust_id;
    default:
        return QVariant();
    }
}

QVariant AddressListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case LastName: return GetResString(1320);
    case FirstName: return GetResString(1321);
    case Birthday: return GetResString(1333);
    default: return QVariant();
    }
}

void AddressListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount || m_rows.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qint32> ids;
    ids.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        ids.push_back(idAt(index.row()));

    auto less = [this, column](const CustomerListRow& a, const CustomerListRow& b) {
        if (column == Birthday)
            return a.cust_birthday.serial() < b.cust_birthday.serial();
        return db::compareText(text(a, column), text(b, column)) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&less](const auto& a, const auto& b) { return less(b, a); });

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOf(ids[static_cast<size_t>(i)]);
        after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
