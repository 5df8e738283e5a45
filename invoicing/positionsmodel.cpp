#include "invoicing/positionsmodel.h"

#include "core/handler.h"
#include "invoicing/invoice.h"

#include <QColor>
#include <QLineEdit>

#include <array>

namespace {

const std::array<const char*, PositionColumnCount> Headers = {
    "Lgr", "Vrl", "Mng", "Bestell-Nr.", "Beschreibung", "MwSt%", "E-Preis", "Ges-Preis", "Art.-Id", "MwSt-Id"};

bool rightAligned(int column)
{
    return column == ColMwStProzent || column == ColEPreis || column == ColGesPreis || column == ColMwStId;
}

bool editable(int column)
{
    return column == ColMng || column == ColBeschreibung || column == ColEPreis;
}

}  // namespace

InvoicePositionsModel::InvoicePositionsModel(InvoiceSession& session, QObject* parent)
    : QAbstractTableModel(parent), m_session(session)
{
}

int InvoicePositionsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_session.Positions.size());
}

int InvoicePositionsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PositionColumnCount;
}

QVariant InvoicePositionsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const InvoicePosition& p = m_session.Positions[static_cast<size_t>(index.row())];
    // Typed while nobody was there, and it cannot be read: shown as typed, stored nowhere.
    const std::optional<QString> typed = m_session.typedText(index.row(), index.column());
    // A value stored so that it cannot be read shows empty, to be typed anew.
    const bool unreadable = (index.column() == ColMng && p.quantityUnreadable)
                            || (index.column() == ColEPreis && p.priceUnreadable)
                            || (index.column() == ColMwStProzent && p.classUnreadable);
    switch (role) {
    case Qt::DisplayRole:
        if (typed)
            return *typed;
        switch (index.column()) {
        case ColMng: return p.quantityUnreadable ? QString() : QString::number(p.quantity);
        case ColBeschreibung: return p.displayText();
        case ColMwStProzent: return p.classUnreadable ? NoValueText : m_session.vatRateText(p.vatId);
        case ColEPreis: return p.priceUnreadable ? QString() : FormatCents(p.price);
        case ColGesPreis: return p.total() ? FormatCents(*p.total()) : NoValueText;
        case ColArtId: return QString::number(p.articleId);
        case ColMwStId: return p.vatId;
        default: return QString();
        }
    case Qt::EditRole:
        switch (index.column()) {
        case ColMng: return data(index, Qt::DisplayRole);
        case ColBeschreibung: return p.text;
        case ColEPreis: return data(index, Qt::DisplayRole);
        default: return data(index, Qt::DisplayRole);
        }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (rightAligned(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::BackgroundRole:
        return unreadable || typed ? QVariant(QColor(255, 200, 200)) : QVariant();
    case Qt::ToolTipRole:
        if (typed)
            return QStringLiteral("Nicht gespeichert: der eingegebene Wert kann nicht gelesen werden.");
        if (unreadable)
            return QStringLiteral("Der gespeicherte Wert kann nicht gelesen werden.");
        return index.column() == ColBeschreibung ? QVariant(p.displayText()) : QVariant();
    case Qt::UserRole:
        return p.ivpId;
    default:
        return {};
    }
}

QVariant InvoicePositionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= PositionColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(Headers[static_cast<size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (rightAligned(section) ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

Qt::ItemFlags InvoicePositionsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editable(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool InvoicePositionsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    if (!editable(index.column()))
        return false;
    // The editor commits outside any handler: errors are reported here, and
    // what the write found unreadable is told once it is done.
    bool stored = false;
    RunHandler(QStringLiteral("ApplyCellEdit"),
               [&] { stored = m_session.ApplyCellEdit(index.row(), index.column(), value.toString()); });
    update();
    emit positionsEdited();
    return stored;
}

std::vector<qint32> InvoicePositionsModel::shownIds() const
{
    std::vector<qint32> ids;
    ids.reserve(m_session.Positions.size());
    for (const InvoicePosition& p : m_session.Positions)
        ids.push_back(p.ivpId);
    return ids;
}

void InvoicePositionsModel::refresh()
{
    beginResetModel();
    m_ids = shownIds();
    endResetModel();
}

void InvoicePositionsModel::update()
{
    if (shownIds() != m_ids) {
        refresh();
        return;
    }
    if (!m_ids.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, PositionColumnCount - 1));
}

QWidget* PositionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("tbDataEntry"));
    editor->setFrame(false);
    if (rightAligned(index.column()))
        editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return editor;
}

void PositionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(index.data(Qt::EditRole).toString());
    line->selectAll();
}

void PositionDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* line = static_cast<QLineEdit*>(editor);
    // Leaving without typing changes nothing.
    if (!line->isModified())
        return;
    model->setData(index, line->text(), Qt::EditRole);
}
