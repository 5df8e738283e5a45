#include "bookings/addresslistmodel.h"

#include "core/datefunctions.h"
#include "core/messages.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/ui/desktop.h"

#include <algorithm>
#include <numeric>

void AddressListModel::setRows(std::vector<CustomerListRow> rows, const QString& emptyText)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (std::vector<QString>& k : m_keys)
        k.clear();
    m_sortedColumn = -1;
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
    for (std::vector<QString>& k : m_keys)
        if (!k.empty())
            k.erase(k.begin() + row);
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
        return row.cust_company.isEmpty() ? QVariant() : QVariant(ui::plainToolTip(row.cust_company));
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

const std::vector<QString>& AddressListModel::keys(int column)
{
    std::vector<QString>& k = m_keys[static_cast<size_t>(column)];
    if (k.size() != m_rows.size()) {
        k.clear();
        k.reserve(m_rows.size());
        for (const CustomerListRow& row : m_rows)
            k.push_back(db::textSortKey(text(row, column)));
    }
    return k;
}

void AddressListModel::reorder(const std::vector<size_t>& order)
{
    std::vector<CustomerListRow> rows;
    rows.reserve(order.size());
    for (size_t i : order)
        rows.push_back(std::move(m_rows[i]));
    m_rows = std::move(rows);
    for (std::vector<QString>& k : m_keys) {
        if (k.empty())
            continue;
        std::vector<QString> sorted;
        sorted.reserve(order.size());
        for (size_t i : order)
            sorted.push_back(std::move(k[i]));
        k = std::move(sorted);
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

    std::vector<size_t> lines(m_rows.size());
    std::iota(lines.begin(), lines.end(), size_t{0});
    const bool ascending = order == Qt::AscendingOrder;
    if (column == m_sortedColumn) {
        // Sorted by this column already: the other order is the lines turned round.
        if (order != m_sortedOrder)
            std::reverse(lines.begin(), lines.end());
    } else if (column == Birthday) {
        std::stable_sort(lines.begin(), lines.end(), [this, ascending](size_t a, size_t b) {
            const double x = m_rows[a].cust_birthday.serial(), y = m_rows[b].cust_birthday.serial();
            return ascending ? x < y : y < x;
        });
    } else {
        const std::vector<QString>& k = keys(column);
        std::stable_sort(lines.begin(), lines.end(),
                         [&k, ascending](size_t a, size_t b) { return ascending ? k[a] < k[b] : k[b] < k[a]; });
    }
    reorder(lines);
    m_sortedColumn = column;
    m_sortedOrder = order;

    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOf(ids[static_cast<size_t>(i)]);
        after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
