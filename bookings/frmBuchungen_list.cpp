#include "bookings/frmBuchungen.h"

#include "bookings/bookinglist.h"
#include "core/handler.h"

#include <QItemSelectionModel>
#include <QRadioButton>
#include <QTableView>

int frmBuchungen::ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange)
{
    int count = 0;
    editorAction(QStringLiteral("ShowBookings"),
                 [&] { count = fillList(filter, bookId, placeId, showDetails, listRange); });
    return count;
}

int frmBuchungen::fillList(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange)
{
    m_model->clear();
    showWindow();
    if (listRange == 0 || listRange == 1) {
        FillingListsGuard filling;
        optListRange[static_cast<size_t>(listRange)]->setChecked(true);
    }
    m_editor.RefreshRoomList();
    const QString where = BookingListFilter(filter, bookId, placeId, MandantId);
    m_editor.state().ListFilter = where;

    std::optional<BookingList> list = QueryBookingList(where, optListRange[0]->isChecked());
    if (!list)
        return 0;
    {
        FillingListsGuard filling;
        m_model->setList(std::move(*list));
    }
    if (m_model->bookingCount() == 0) {
        m_editor.ClearBookingEditor();
        return 0;
    }
    // A list asked for without a booking makes the fields shown a new booking;
    // one naming a booking changes the editor only by loading it.
    if (bookId <= 0)
        m_editor.MakeShownFieldsNew();
    if (bookId >= 0 && showDetails) {
        int row = m_model->rowOfBooking(bookId);
        if (row < 0 && bookId == 0)
            row = 0;
        if (row >= 0) {
            selectRow(row);
            ListView1->setFocus();
            m_editor.LoadBooking(m_model->bookIdAt(row));
        }
    }
    return m_model->bookingCount();
}

void frmBuchungen::selectRow(int row)
{
    FillingListsGuard filling;
    const QModelIndex index = m_model->index(row, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ListView1->scrollTo(index);
}

void frmBuchungen::SelectBookingInList(qint32 bookId)
{
    if (m_model->bookingCount() == 0)
        return;
    const int row = m_model->rowOfBooking(bookId);
    if (row >= 0) {
        selectRow(row);
        ListView1->setFocus();
    } else {
        FillingListsGuard filling;
        ListView1->selectionModel()->clearSelection();
    }
}

void frmBuchungen::RemoveFromList(qint32 bookId)
{
    FillingListsGuard filling;
    m_model->removeBooking(bookId);
}

void frmBuchungen::ListView1_ItemClick(int row)
{
    if (FillingLists)
        return;
    const qint32 bookId = m_model->bookIdAt(row);
    // A line already in the editor is not loaded again: that would drop what was typed.
    if (bookId <= 0 || bookId == m_editor.state().CurrentBookingId)
        return;
    editorAction(QStringLiteral("ListView1_ItemClick"), [this, bookId] { m_editor.LoadBooking(bookId); });
}

void frmBuchungen::optListRange_Click()
{
    if (FillingLists)
        return;
    btnRefresh_Click();
}

void frmBuchungen::btnRefresh_Click()
{
    const BookingEditorState& s = m_editor.state();
    ShowBookings(s.ListFilter, s.CurrentBookingId, s.CurrentPlaceId, true, -1);
}

void frmBuchungen::cmdListBookingsPerson_Click()
{
    editorAction(QStringLiteral("cmdListBookingsPerson_Click"), [this] { m_editor.ListBookingsOfGuest(); });
}

void frmBuchungen::cmdListBookingsRoom_Click()
{
    editorAction(QStringLiteral("cmdListBookingsRoom_Click"), [this] { m_editor.ListBookingsOfPlace(); });
}
