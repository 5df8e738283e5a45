#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <vector>

class InvoiceSession;

// The positions of the invoice session as the ten grid columns. Quantity,
// text and unit price are edited in place; an edit is handed to the session,
// which stores it at once or refuses it.
class InvoicePositionsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit InvoicePositionsModel(InvoiceSession& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Shows the session's positions anew after it changed them.
    void refresh();
    // The same after a write: as a change of their values while they are the
    // same rows, so the cell the user is on stays current; else anew.
    void update();

signals:
    // A cell edit changed a position (and so the totals), or was refused.
    void positionsEdited();

private:
    std::vector<qint32> shownIds() const;

    InvoiceSession& m_session;
    std::vector<qint32> m_ids;   // the rows as the view knows them
};

// The cell editor: a line edit with the whole text selected, right-aligned
// for numbers. Enter applies, Escape drops, leaving the cell applies.
class PositionDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};
