#include "core/dialogs/resourcemodel.h"

#include "platform/db/error.h"

ResourceTableModel::ResourceTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResourceTableModel::setTable(TableData* data)
{
    beginResetModel();
    m_data = data;
    m_rows = m_data ? m_data->rowCount() : 0;
    m_pending.clear();
    m_readFailed = false;
    m_newLine = m_rowsEditable && !m_locked && m_data;
    endResetModel();
}

void ResourceTableModel::setLocked(bool locked)
{
    m_locked = locked;
    updateNewLine();
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void ResourceTableModel::setRowsEditable(bool editable)
{
    m_rowsEditable = editable;
    updateNewLine();
}

void ResourceTableModel::updateNewLine()
{
    const bool show = m_rowsEditable && !m_locked && m_data;
    if (show == m_newLine)
        return;
    const int row = storedRows();
    if (show) {
        beginInsertRows(QModelIndex(), row, row);
        m_newLine = true;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), row, row);
        m_newLine = false;
        m_pending.clear();
        endRemoveRows();
    }
}

void ResourceTableModel::setLockedColumns(int firstColumns)
{
    m_lockedColumns = firstColumns;
}

int ResourceTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_data)
        return 0;
    return storedRows() + (m_newLine ? 1 : 0);
}

int ResourceTableModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_data)
        return 0;
    return static_cast<int>(m_data->columns().size());
}

bool ResourceTableModel::isBoolean(int column) const
{
    return m_data->columns().at(column).type == db::DaoType::Boolean;
}

db::Value ResourceTableModel::cellValue(int row, int column) const
{
    if (row < storedRows()) {
        try {
            return m_data->value(row, column);
        } catch (const db::DbError& e) {
            reportReadFailure(e.description());
            return db::Value();
        }
    }
    const auto it = m_pending.find(column);
    return it == m_pending.end() ? db::Value() : it->second;
}

bool ResourceTableModel::isGone(int row) const
{
    if (row >= storedRows())
        return false;
    try {
        return m_data->isGone(row);
    } catch (const db::DbError& e) {
        reportReadFailure(e.description());
        return true;
    }
}

void ResourceTableModel::reportReadFailure(const QString& description) const
{
    // Asked while the grid paints: said once, after the paint.
    if (m_readFailed)
        return;
    m_readFailed = true;
    auto* self = const_cast<ResourceTableModel*>(this);
    QMetaObject::invokeMethod(self, [self, description] { emit self->readFailed(description); }, Qt::QueuedConnection);
}

QVariant ResourceTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_data)
        return {};
    const db::Value v = cellValue(index.row(), index.column());
    if (isBoolean(index.column())) {
        if (role == Qt::CheckStateRole)
            return v.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole) {
        QString text = v.toText();
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        return lineEnd >= 0 ? text.left(lineEnd) + QStringLiteral(" …") : text;
    }
    if (role == Qt::EditRole)
        return v.toText();
    if (role == Qt::TextAlignmentRole && v.isNumeric())
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResourceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_data)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? m_data->columns().at(section).name : QVariant();
    if (isNewLine(section))
        return m_pending.empty() ? QStringLiteral("*") : QStringLiteral("✎");
    return section + 1;
}

Qt::ItemFlags ResourceTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !m_data)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const TableColumn& column = m_data->columns().at(index.column());
    if (m_locked || index.column() < m_lockedColumns || column.autoNumber || isGone(index.row()))
        return f;
    return f | (column.type == db::DaoType::Boolean ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

bool ResourceTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    db::Value v;
    if (isBoolean(index.column())) {
        if (role != Qt::CheckStateRole)
            return false;
        v = db::Value(value.toInt() == Qt::Checked);
    } else {
        if (role != Qt::EditRole)
            return false;
        const QString text = value.toString();
        if (text.isEmpty() && m_required.count(index.column())) {
            emit emptyRefused(index.column());
            return false;
        }
        // A cleared cell stores Null, which text columns that refuse "" take.
        QString problem;
        const std::optional<db::Value> typed =
            TypedCellValue(m_data->table(), m_data->columns().at(index.column()), text, &problem);
        if (!typed) {
            emit valueRefused(index, problem, text);
            return false;
        }
        v = *typed;
    }
    const int row = index.row();
    if (row >= storedRows()) {
        m_pending[index.column()] = v;
        emit dataChanged(index, index);
        emit headerDataChanged(Qt::Vertical, row, row);
        return true;
    }
    TableData::CellWrite result;
    try {
        QString refusal;
        // Named as the grid shows them: the row by its number, the column by its name.
        const QString column = m_data->columns().at(index.column()).name;
        const ClashAsk ask = [row, column](const RowMerge& merge) {
            return AskClash(QStringLiteral("Der Datensatz ") + QString::number(row + 1), {{column, {column}, {}}}, merge);
        };
        result = m_data->setValue(row, index.column(), v, &refusal, ask);
        if (result == TableData::CellWrite::KeyKept) {
            emit keyChangeRefused(refusal);
            return false;
        }
        if (result == TableData::CellWrite::Gone)
            emit notWritten(QStringLiteral("Dieser Eintrag wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
        else if (result == TableData::CellWrite::Lost)
            emit notWritten(LostRowText());
    } catch (const db::DbError& e) {
        emit writeFailed(e.description());
        return false;
    }
    // Also what another workstation stored meanwhile.
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    if (result != TableData::CellWrite::Written)
        return false;
    emit changed();
    return true;
}

void ResourceTableModel::commitPending()
{
    if (m_pending.empty())
        return;
    const int row = storedRows();
    m_data->insertRow(m_pending);
    // The stored row takes the new line's place, then a fresh new line follows.
    m_rows = m_data->rowCount();
    m_pending.clear();
    m_newLine = false;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
    beginInsertRows(QModelIndex(), row + 1, row + 1);
    m_newLine = true;
    endInsertRows();
    emit changed();
}

void ResourceTableModel::discardPending()
{
    if (m_pending.empty())
        return;
    m_pending.clear();
    const int row = storedRows();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

bool ResourceTableModel::deleteStoredRow(int row, QString* refusal)
{
    if (row < 0 || row >= storedRows())
        return false;
    // The grid keeps showing the rows while a question stands; they shift
    // only once the delete went through.
    const bool deleted = m_data->deleteStoredRow(row, refusal, [row](const RowMerge& merge) {
        return AskDeleteClash(QStringLiteral("Der Datensatz ") + QString::number(row + 1), {}, merge);
    });
    if (!deleted) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_data->forgetRow(row);
    m_rows = m_data->rowCount();
    endRemoveRows();
    emit changed();
    return true;
}

void ResourceTableModel::reload()
{
    beginResetModel();
    m_pending.clear();
    m_readFailed = false;
    if (m_data) {
        try {
            m_data->reload();
        } catch (...) {
            m_rows = m_data->rowCount();
            endResetModel();
            throw;
        }
        m_rows = m_data->rowCount();
    }
    endResetModel();
}
