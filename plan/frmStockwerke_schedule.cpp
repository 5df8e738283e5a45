#include "plan/frmStockwerke.h"

#include "core/conflicts.h"
#include "core/handler.h"
#include "core/preferences.h"
#include "core/windows.h"
#include "plan/schedulefill.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "schedule/usercontrol1.h"

#include <QLabel>
#include <QLineEdit>

void frmStockwerke::InitScheduleControl()
{
    ::InitScheduleControl(*mySchedule);

    // The control may be refilled from inside its own signals: it emits last.
    const auto run = [this](const char* name, auto&& fn) {
        RunHandler(QString::fromLatin1(name), fn);
    };
    connect(mySchedule, &UserControl1::TimeObjectClick, this,
            [=, this](qint32 id) { run("mySchedule_TimeObjectClick", [=, this] { mySchedule_TimeObjectClick(id); }); });
    connect(mySchedule, &UserControl1::TimeObjectDblClick, this, [=, this](qint32 id) {
        run("mySchedule_TimeObjectDblClick", [=, this] { mySchedule_TimeObjectDblClick(id); });
    });
    connect(mySchedule, &UserControl1::ResourceHeaderClick, this, [=, this](qint32 id, const QString& name) {
        run("mySchedule_ResourceHeaderClick", [=, this] { mySchedule_ResourceHeaderClick(id, name); });
    });
    connect(mySchedule, &UserControl1::ResourceHeaderDblClick, this, [=, this](qint32 id, const QString& name) {
        run("mySchedule_ResourceHeaderDblClick", [=, this] { mySchedule_ResourceHeaderDblClick(id, name); });
    });
    connect(mySchedule, &UserControl1::ScheduleDblClick, this,
            [=, this](const QVector<qint32>& ids, rt::Date dtStart, rt::Date dtEnd) {
                run("mySchedule_ScheduleDblClick", [=, this] { mySchedule_ScheduleDblClick(ids, dtStart, dtEnd); });
            });
    connect(mySchedule, &UserControl1::RubberbandSelected, this,
            [=, this](qint32 id, const QString& name, rt::Date dtStart, rt::Date dtEnd) {
                run("mySchedule_RubberbandSelected",
                    [=, this] { mySchedule_RubberbandSelected(id, name, dtStart, dtEnd); });
            });
    connect(mySchedule, &UserControl1::TimeObjectDelete, this, [=, this](const QVector<qint32>& ids) {
        run("mySchedule_TimeObjectDelete", [=, this] { mySchedule_TimeObjectDelete(ids); });
    });
    connect(mySchedule, &UserControl1::TimeObjectDragDrop, this,
            [=, this](const QVector<qint32>& ids, qint32 oldId, qint32 newId, rt::Date oldStart, rt::Date newStart,
                      bool copy) {
                run("mySchedule_TimeObjectDragDrop",
                    [=, this] { mySchedule_TimeObjectDragDrop(ids, oldId, newId, oldStart, newStart, copy); });
            });
}

// Every caller shows a floor, a building or the whole facility; none hands
// in a condition of its own.
void frmStockwerke::FillSchedule(const QString& /*criterion*/, qint32 floorId, qint32 buildingId,
                                 const rt::Date& startDate)
{
    lbBelegungsverlaufStockwerkName->clear();
    lbBelegungsverlaufStockwerkName->setText(::FillSchedule(*mySchedule, m_state, floorId, buildingId, startDate));
}

void frmStockwerke::mySchedule_TimeObjectClick(qint32 id)
{
    m_state.CurrentBookingId = id;
    LoadBookingPanel(id, -1);
    // A booking deleted meanwhile leaves the panel without dates: the period stays.
    const std::optional<rt::Date> start = db::parseDate(tbBuchungDatum[0]->text());
    const std::optional<rt::Date> end = db::parseDate(tbBuchungDatum[1]->text());
    if (m_state.CurrentBookingId == id && start && end)
        SelectedPeriod = {start->datePart().atNoon(), end->datePart().atNoon()};
    BuildCalendarGrid(rt::Date());
}

void frmStockwerke::mySchedule_TimeObjectDblClick(qint32 id)
{
    ShowBookings(QString(), id, -1, true, 1);
}

void frmStockwerke::mySchedule_ResourceHeaderClick(qint32 id, const QString& name)
{
    scheduleChosePlace(id, name);
    BuildCalendarGrid(rt::Date());
}

void frmStockwerke::scheduleChosePlace(qint32 placeId, const QString& rowName)
{
    // The place's own name as well, for the messages that name it; a place
    // deleted meanwhile is no place.
    if (placeId <= 0) {
        m_state.CurrentPlaceId = -1;
        CurrentPlaceName.clear();
        lblRoomName->clear();
        return;
    }
    ShowPlatzDetails(placeId, 0, -1);
    if (m_state.CurrentPlaceId == placeId)
        lblRoomName->setText(rowName);
}

void frmStockwerke::mySchedule_ResourceHeaderDblClick(qint32 id, const QString& name)
{
    SetBookingsCaption(QStringLiteral("Reservierungs-Details für ") + name);
    ShowBookings(QString(), m_state.CurrentBookingId, id, true, 1);
}

void frmStockwerke::mySchedule_ScheduleDblClick(const QVector<qint32>& resourceIds, const rt::Date& dtStart,
                                                const rt::Date& dtEnd)
{
    if (const std::optional<NewBookingRequest> request = ScheduleNewBooking(resourceIds, dtStart, dtEnd))
        CreateNewBooking(request->placeId, -1, request->startText, request->endText);
}

void frmStockwerke::mySchedule_RubberbandSelected(qint32 resourceId, const QString& name, const rt::Date& dtStart,
                                                  const rt::Date& dtEnd)
{
    const std::array<rt::Date, 2> period = MarkedPeriod(dtStart, dtEnd);
    SelectedPeriod = period;
    if (m_state.CurrentBookingId > 0)
        ClearBookingPanel(true);
    for (int i = 0; i < 2; ++i)
        tbBuchungDatum[size_t(i)]->setText(rt::formatDate(period[size_t(i)], QStringLiteral("dd.mm.yyyy")));
    scheduleChosePlace(resourceId, name);
    readBookingPanel();
    m_panel.checkConflicts(CheckGuestAndPlace);
    applyBookingPanel();
    BuildCalendarGrid(rt::Date());
}

void frmStockwerke::mySchedule_TimeObjectDelete(const QVector<qint32>& ids)
{
    if (DeleteScheduleBookings(ids, m_state.ScheduleDrawn) == ScheduleOutcome::Redraw)
        scheduleChanged(ids, true);
}

void frmStockwerke::mySchedule_TimeObjectDragDrop(const QVector<qint32>& ids, qint32 oldResourceId,
                                                  qint32 newResourceId, const rt::Date& oldStart,
                                                  const rt::Date& newStart, bool copy)
{
    const ScheduleOutcome outcome =
        DropBookings({ids, oldResourceId, newResourceId, oldStart, newStart, copy}, m_state.ScheduleDrawn);
    // Refused too: the place may be taken by a booking made since the bars were drawn.
    if (outcome == ScheduleOutcome::Redraw)
        scheduleChanged(copy ? QVector<qint32>() : ids, false);
    else if (outcome == ScheduleOutcome::Refused)
        scheduleChanged({}, false);
}

void frmStockwerke::scheduleChanged(const QVector<qint32>& ids, bool deleted)
{
    // The panel shows the booking as the schedule left it, or no more once
    // it is gone.
    if (m_state.CurrentBookingId > 0 && ids.contains(m_state.CurrentBookingId)) {
        if (deleted)
            ClearBookingPanel(true);
        else
            mySchedule_TimeObjectClick(m_state.CurrentBookingId);
    }
    // The current place's booked days in the calendar may have changed too.
    BuildCalendarGrid(rt::Date());
    // Over what it showed: a building stays a building, so a booking moved
    // to another of its floors stays in sight.
    FillSchedule(QString(), m_state.ScheduleFloorId, m_state.ScheduleBuildingId, m_state.PlanStartDate);
    refreshBuildingGrid();
}
