#include "invoicing/invoicelistmodel.h"

#include "invoicing/invoice.h"

void InvoiceListModel::setRows(std::vector<InvoiceListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int InvoiceListModel::rowOf(qint32 invId) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].inv_id == invId)
            return static_cast<int>(i);
    return -1;
}

int InvoiceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant InvoiceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const InvoiceListRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return InvoiceListEntry(row);
    case Qt::UserRole:
        return row.inv_id;
    default:
        return {};
    }
}
