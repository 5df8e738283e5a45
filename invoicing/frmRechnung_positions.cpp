#include "invoicing/frmRechnung.h"

#include "core/handler.h"
#include "core/windows.h"
#include "invoicing/positionsmodel.h"
#include "platform/runtime/text.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cmath>

void frmRechnung::InitPositionsGrid()
{
    m_positions = new InvoicePositionsModel(m_session, this);
    MSFlexGrid1->setModel(m_positions);
    MSFlexGrid1->setItemDelegate(new PositionDelegate(MSFlexGrid1));
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    // A click opens the editor (see MSFlexGrid1_Click); F2 and typing do as well.
    MSFlexGrid1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    MSFlexGrid1->verticalHeader()->hide();
    // One line per position, so many fit; a long text shows whole in its tip.
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(MSFlexGrid1->fontMetrics().height() + 6);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    for (int column : {ColLgr, ColVrl, ColBestellNr, ColArtId, ColMwStId})
        MSFlexGrid1->setColumnHidden(column, true);
    MSFlexGrid1->viewport()->installEventFilter(this);
    connect(MSFlexGrid1, &QTableView::clicked, this, &frmRechnung::MSFlexGrid1_Click);
    connect(MSFlexGrid1, &QTableView::doubleClicked, this, &frmRechnung::MSFlexGrid1_DblClick);
    connect(MSFlexGrid1->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this] { btnArtikelsuche_Click(); });
    connect(m_positions, &InvoicePositionsModel::positionsEdited, this, &frmRechnung::positionsEdited);
    SizePositionColumns();
}

void frmRechnung::SizePositionColumns()
{
    // Quantity 2/40 of the width, rate 3/40, unit price 4/40, total 5/40, the text the rest.
    const int w = MSFlexGrid1->viewport()->width();
    const auto part = [w](int fortieths) { return static_cast<int>(std::lround(w * fortieths / 40.0)); };
    MSFlexGrid1->setColumnWidth(ColMng, part(2));
    MSFlexGrid1->setColumnWidth(ColMwStProzent, part(3));
    MSFlexGrid1->setColumnWidth(ColEPreis, part(4));
    MSFlexGrid1->setColumnWidth(ColGesPreis, part(5));
    MSFlexGrid1->setColumnWidth(ColBeschreibung, std::max(40, w - part(2) - part(3) - part(4) - part(5)));
}

qint32 frmRechnung::GetRowArticleId(int row) const
{
    return static_cast<qint32>(std::lround(rt::val(m_positions->index(row, ColArtId).data().toString())));
}

void frmRechnung::MSFlexGrid1_Click(const QModelIndex& index)
{
    if (!index.isValid() || index.column() == ColGesPreis)
        return;
    m_lastArticleId = GetRowArticleId(index.row());
    if (index.column() == ColLgr) {
        ShowArtikel(m_lastArticleId);
        return;
    }
    if (index.column() == ColMwStProzent)
        return;
    ShowCellEditor(index);
}

void frmRechnung::MSFlexGrid1_DblClick(const QModelIndex& index)
{
    MSFlexGrid1_Click(index);
}

void frmRechnung::ShowCellEditor(const QModelIndex& index)
{
    if (MSFlexGrid1->isColumnHidden(index.column()) || !(index.flags() & Qt::ItemIsEditable))
        return;
    MSFlexGrid1->setCurrentIndex(index);
    MSFlexGrid1->edit(index);
}

void frmRechnung::showNumberChange()
{
    if (lbRechnungNr->text() == m_session.NumberText)
        return;
    showHeader();
    FillListRechnungen(m_session.CurrentInvoiceId, m_listCustomerId);
}

void frmRechnung::positionsEdited()
{
    showTotals();
    showNumberChange();
    if (m_session.PositionsStale) {
        // Read again once the editor has gone.
        QTimer::singleShot(0, this, [this] {
            RunHandler(QStringLiteral("LoadPositions"), [this] {
                m_session.loadPositions();
                showSession();
            });
        });
    }
}

void frmRechnung::AddEntryToTable(int qty, const QString& text, Cents price, qint32 prodId, int /*vatIndex*/)
{
    RunHandler(QStringLiteral("AddEntryToTable"), [&] {
        if (!m_session.addPosition(qty, text, price, prodId))
            return;
        m_positions->refresh();
        showTotals();
        showNumberChange();
        StatusBar1->showMessage(m_session.StatusLine);
        MSFlexGrid1->scrollToBottom();
    });
}

void frmRechnung::btnAddRow_Click()
{
    AddEntryToTable(1, FreePositionText, 0, -1, 0);
}

void frmRechnung::btnDeleteEntry_Click()
{
    if (m_session.Positions.empty())
        return;
    RunHandler(QStringLiteral("btnDeleteEntry_Click"), [this] {
        // A cell being edited is left first, which applies it.
        MSFlexGrid1->setFocus();
        QModelIndex current = MSFlexGrid1->currentIndex();
        if (!current.isValid())
            current = m_positions->index(static_cast<int>(m_session.Positions.size()) - 1, ColBeschreibung);
        if (MSFlexGrid1->isColumnHidden(current.column()))
            current = current.siblingAtColumn(ColBeschreibung);
        const int row = current.row();
        const qint32 asked = m_session.Positions[static_cast<size_t>(row)].ivpId;
        const bool deleted = m_session.deletePosition(row);
        // Deleted or kept, the positions are shown as stored now; the cell
        // stays on the position asked about when it was kept, else on the
        // one that took its place.
        m_positions->refresh();
        showTotals();
        StatusBar1->showMessage(m_session.StatusLine);
        int keep = std::min(row, static_cast<int>(m_session.Positions.size()) - 1);
        if (!deleted) {
            const auto it = std::find_if(m_session.Positions.begin(), m_session.Positions.end(),
                                         [asked](const InvoicePosition& p) { return p.ivpId == asked; });
            if (it != m_session.Positions.end())
                keep = static_cast<int>(it - m_session.Positions.begin());
        }
        if (keep >= 0)
            MSFlexGrid1->setCurrentIndex(m_positions->index(keep, current.column()));
    });
}

void frmRechnung::btnArtikelsuche_Click()
{
    ShowArtikel(m_lastArticleId);
}

void frmRechnung::cmdListArtikelRefresh_Click()
{
    RunHandler(QStringLiteral("cmdListArtikelRefresh_Click"), [this] {
        m_session.loadPositions();
        showSession();
    });
}
