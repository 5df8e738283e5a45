#pragma once

#include "plan/planstate.h"
#include "platform/runtime/date.h"

#include <QString>
#include <QVector>

#include <array>
#include <optional>

class UserControl1;
struct ScheduleBooking;

// The plan's schedule tab without its window: what the schedule control is
// filled with, and what the control's events do to the bookings.

// The number of days shown: maxWeekCols, or 30 when it is below 1.
int ScheduleDays(int maxWeekCols);
// A place's row caption: building and floor short names and the place name,
// "Haupthaus\EG\ Zimmer 1", trimmed.
QString SchedulePlaceName(const QString& bldShort, const QString& flrShort, const QString& plName);
// A booking bar's caption: "Meier, Anna (2) Balkon"; for one whose period
// cannot be read "Reservierung 9 mit ungültigem Anreisedatum: Meier, Anna (2)".
QString ScheduleBarText(const ScheduleBooking& booking);
// A booking bar's colour: its colour index in the colour table, else normalColour.
qint32 ScheduleBarColour(int colorId, qint32 normalColour);

// Once, when the window loads.
void InitScheduleControl(UserControl1& control);

// Fills the control with the places of floorId (above 0), else of buildingId
// (above 0), else of the whole facility MandantId, and with their bookings
// over ScheduleDays(MaxWeekCols) days from the schedule's first day:
// startDate's day when it is given (above 0), else the day kept in
// PlanStartDate, else the selected period's start. PlanStartDate keeps it,
// ScheduleFloorId and ScheduleBuildingId what was asked for. A booking with
// persons whose period cannot be read is drawn over every day shown and
// named once. The control's selection is forgotten. Returns the tab's caption
// (building and floor, the building, or ""). When reading fails the control
// is left empty with its scale drawn and the error is thrown on (db::DbError).
QString FillSchedule(UserControl1& control, PlanState& state, qint32 floorId, qint32 buildingId,
                     const rt::Date& startDate);

// A new booking asked for by a double-click on the free schedule.
struct NewBookingRequest {
    qint32 placeId = 0;
    QString startText;   // "dd.mm.yyyy"
    QString endText;
};
// The place under the mouse (the first resource id) for the marked days, at
// least one night; nullopt without a place.
std::optional<NewBookingRequest> ScheduleNewBooking(const QVector<qint32>& resourceIds, const rt::Date& dtStart,
                                                    const rt::Date& dtEnd);

// The days a frame marks, as the selected period holds them: each day at
// 12:00, the end at least one day after the start.
std::array<rt::Date, 2> MarkedPeriod(const rt::Date& dtStart, const rt::Date& dtEnd);

// What the window does after a change asked for in the schedule.
enum class ScheduleOutcome {
    Nothing,   // nothing to do, nothing was said
    Refused,   // the user was told why; the database is as it was
    Redraw,    // bookings changed: fill the schedule again
};

// Bookings dropped in the schedule, as the control reports them.
struct ScheduleDrop {
    QVector<qint32> ids;
    qint32 oldResourceId = 0;
    qint32 newResourceId = 0;
    rt::Date oldStart;
    rt::Date newStart;
    bool copy = false;
};
// Moves the dropped bookings, or copies them (copy), by the whole days
// between the two starts' days and, when the place changed, onto the new
// place. drawn: what the schedule drew of them. All of them are compared
// with it, checked and written in one transaction, or none is: a booking
// moved or deleted since it was drawn is named with where and when it is now
// (Redraw: the schedule shows it as stored), an occupied place is refused
// with one message naming it and a booking there whose period cannot be
// read. A drop beside every place, or on the same day and place, does
// nothing; a read-only workstation is refused (text 390).
ScheduleOutcome DropBookings(const ScheduleDrop& drop, const QHash<qint32, DrawnBooking>& drawn);

// Deletes the selected bookings after asking; nothing when none is selected.
// drawn: what the schedule drew of them; a booking another workstation
// changed since is named in the question.
ScheduleOutcome DeleteScheduleBookings(const QVector<qint32>& ids, const QHash<qint32, DrawnBooking>& drawn);
