#include "plan/plancalendar.h"

#include "core/dialogs/datepicker.h"
#include "platform/runtime/format.h"

#include <algorithm>

void PlanCalendar::build(int year, int month, bool fromDate)
{
    const CalendarDays days = BuildCalendarDays(year, month, 1, fromDate, rt::Date());
    if (days.first.isZero())
        return;
    m_year = year;
    m_month = month;
    for (int i = 0; i < CalendarCellCount; ++i) {
        PlanCalendarCell& cell = m_cells[static_cast<size_t>(i)];
        cell.date = days.first.addDays(i);
        cell.back = 0;
        cell.fore = 0;
        if (cell.date.month() != month) {
            cell.back = CalendarOtherMonthBack;
            cell.fore = CalendarOtherMonthFore;
        }
        if (cell.date.isoWeekday() == 6)
            cell.fore = CalendarSaturdayFore;
        else if (cell.date.isoWeekday() == 7)
            cell.fore = CalendarSundayFore;
        cell.text = rt::formatDate(cell.date, QStringLiteral("dd.mm.yyyy")) + QString(20, QLatin1Char(' ')) +
                    QString::number(cell.date.day());
    }
}

bool PlanCalendar::showPeriod(const rt::Date& start, const rt::Date& end)
{
    if (!isBuilt())
        return false;
    const rt::Date first = this->first();
    if (start > first.addDays(CalendarCellCount) || end < first)
        return false;
    const rt::Date startDay = start.datePart();
    const rt::Date endDay = end.datePart();
    for (PlanCalendarCell& cell : m_cells) {
        if (cell.back == CalendarPeriodBack || cell.back == CalendarBookedBack)
            cell.back = cell.date.month() != m_month ? CalendarOtherMonthBack : 0;
        if (startDay <= cell.date && endDay >= cell.date)
            cell.back = CalendarPeriodBack;
    }
    return true;
}

void PlanCalendar::markBooked(const std::vector<std::pair<rt::Date, rt::Date>>& bookings)
{
    if (!isBuilt())
        return;
    const rt::Date first = this->first().atNoon();
    for (const auto& [start, end] : bookings) {
        // A period that cannot be read may cover any day.
        if (start.isZero() || end.isZero()) {
            for (PlanCalendarCell& cell : m_cells)
                cell.back = CalendarBookedBack;
            continue;
        }
        const double fromDays = std::clamp(start.daysSince(first), -1.0, double(CalendarCellCount));
        const double toDays = std::clamp(end.daysSince(first), -1.0, double(CalendarCellCount));
        const int from = std::max(0, rt::clng(fromDays));
        const int to = std::min(CalendarCellCount - 1, rt::clng(toDays));
        for (int k = from; k <= to; ++k)
            m_cells[static_cast<size_t>(k)].back = CalendarBookedBack;
    }
}

QString WeekdayShort(const rt::Date& date)
{
    static const char* const names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    const int weekday = date.isoWeekday();
    return weekday >= 1 && weekday <= 7 ? QString::fromLatin1(names[weekday - 1]) : QString();
}

QString PeriodRangeText(const rt::Date& start, const rt::Date& end)
{
    const QString pattern = QStringLiteral("dd.mm.yy  hh:nn");
    return WeekdayShort(start) + QStringLiteral("  ") + rt::formatDate(start, pattern) + QStringLiteral("   -   ") +
           WeekdayShort(end) + QStringLiteral("  ") + rt::formatDate(end, pattern);
}

std::optional<std::array<rt::Date, 2>> PeriodAfterPress(const std::array<rt::Date, 2>& period, const rt::Date& day,
                                                        int button)
{
    if (day.isZero() || (button != 1 && button != 2))
        return std::nullopt;
    std::array<rt::Date, 2> result = period;
    const rt::Date noon = day.datePart().atNoon();
    if (button == 1) {
        result[0] = noon;
        if (result[0] > result[1])
            result[1] = result[0];
    } else {
        result[1] = noon;
        if (result[1] < result[0])
            result[0] = result[1];
    }
    return result;
}

std::array<rt::Date, 2> PeriodBetween(const rt::Date& a, const rt::Date& b)
{
    const rt::Date first = a.datePart().atNoon();
    const rt::Date second = b.datePart().atNoon();
    return second < first ? std::array<rt::Date, 2>{second, first} : std::array<rt::Date, 2>{first, second};
}

rt::Date FirstOfMonthAfter(int year, int month, int months)
{
    return rt::Date::fromParts(year, month, 1).addMonths(months);
}
