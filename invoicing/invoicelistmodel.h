#pragma once

#include "core/invoices.h"

#include <QAbstractListModel>

#include <vector>

// The invoices to choose from in the invoice window's drop-down list: each
// line's text as the list shows it, its inv_id as the item data (Qt::UserRole).
// Thousands of invoices are handed over at once and their texts made only
// for the lines shown.
class InvoiceListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(std::vector<InvoiceListRow> rows);
    // The line of an invoice, -1 when it is not listed.
    int rowOf(qint32 invId) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<InvoiceListRow> m_rows;
};
