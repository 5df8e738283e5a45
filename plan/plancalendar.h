#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// Colours of the plan's month calendar (blue-green-red); 0 is the grid's default.
constexpr qint32 CalendarOtherMonthBack = 0xC0C0C0;
constexpr qint32 CalendarOtherMonthFore = 0xFFFFFF;
constexpr qint32 CalendarSaturdayFore = 0x80FF;
constexpr qint32 CalendarSundayFore = 0xFF;
constexpr qint32 CalendarPeriodBack = 0xFFB070;
constexpr qint32 CalendarBookedBack = 0x40FF;

constexpr int CalendarCellCount = 42;

struct PlanCalendarCell {
    rt::Date date;       // midnight
    QString text;        // "dd.mm.yyyy", 20 blanks, the day of the month
    qint32 back = 0;
    qint32 fore = 0;
};

// The six weeks the plan's calendar shows, with the selected period and the
// booked days of the current place painted on them.
class PlanCalendar {
public:
    // From a date (fromDate) the weeks start on the Monday on or before the
    // previous month's last day, so a month beginning on a Monday shows the
    // whole week before; from the month lists on the Monday on or before the 1st.
    void build(int year, int month, bool fromDate);

    // Paints the days from the start day to the end day, after taking back the
    // period and booked colours of an earlier painting. False when the period
    // lies outside the six weeks (nothing changes then).
    bool showPeriod(const rt::Date& start, const rt::Date& end);

    // Paints the days from each booking's arrival to its departure, both
    // included, as far as they lie on the grid; every day for a booking with
    // a zero date (one that cannot be read).
    void markBooked(const std::vector<std::pair<rt::Date, rt::Date>>& bookings);

    bool isBuilt() const { return m_month != 0; }
    int year() const { return m_year; }
    int month() const { return m_month; }
    rt::Date first() const { return m_cells[0].date; }
    const std::array<PlanCalendarCell, CalendarCellCount>& cells() const { return m_cells; }

private:
    std::array<PlanCalendarCell, CalendarCellCount> m_cells;
    int m_year = 0;
    int m_month = 0;
};

// "Mo" ... "So".
QString WeekdayShort(const rt::Date& date);

// "Mo  07.06.21  12:00   -   Mi  09.06.21  12:00".
QString PeriodRangeText(const rt::Date& start, const rt::Date& end);

// The period after a press on a day. The left button (1) sets the start and
// raises the end to it when the end lay before; the right button (2) sets the
// end and lowers the start likewise. Any other button changes nothing.
std::optional<std::array<rt::Date, 2>> PeriodAfterPress(const std::array<rt::Date, 2>& period, const rt::Date& day,
                                                        int button);

// The period between two marked days at 12:00, in ascending order.
std::array<rt::Date, 2> PeriodBetween(const rt::Date& a, const rt::Date& b);

// The 1st of the month `months` away from year/month.
rt::Date FirstOfMonthAfter(int year, int month, int months);
