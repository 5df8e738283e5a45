#include "plan/periodnav.h"
#include "plan/plancalendar.h"

#include <gtest/gtest.h>

namespace {

rt::Date day(int year, int month, int d)
{
    return rt::Date::fromParts(year, month, d);
}

rt::Date noon(int year, int month, int d)
{
    return rt::Date::fromParts(year, month, d, 12);
}

const PlanCalendarCell& cellOf(const PlanCalendar& calendar, const rt::Date& date)
{
    for (const PlanCalendarCell& cell : calendar.cells()) {
        if (cell.date == date)
            return cell;
    }
    ADD_FAILURE() << "day not on the grid";
    static PlanCalendarCell none;
    return none;
}

}  // namespace

TEST(PlanCalendarGrid, AMonthBeginningOnMondayShowsTheWeekBeforeOnlyWhenBuiltFromADate)
{
    PlanCalendar calendar;
    calendar.build(2024, 1, true);
    EXPECT_EQ(calendar.first(), day(2023, 12, 25));
    const PlanCalendarCell& first = calendar.cells()[0];
    EXPECT_EQ(first.text, "25.12.2023" + QString(20, ' ') + "25");
    EXPECT_EQ(first.back, CalendarOtherMonthBack);
    EXPECT_EQ(first.fore, CalendarOtherMonthFore);
    EXPECT_EQ(cellOf(calendar, day(2023, 12, 30)).fore, CalendarSaturdayFore);
    EXPECT_EQ(cellOf(calendar, day(2023, 12, 30)).back, CalendarOtherMonthBack);
    EXPECT_EQ(cellOf(calendar, day(2023, 12, 31)).fore, CalendarSundayFore);
    EXPECT_EQ(cellOf(calendar, day(2024, 1, 1)).back, 0);
    EXPECT_EQ(cellOf(calendar, day(2024, 1, 1)).fore, 0);
    EXPECT_EQ(calendar.cells()[41].date, day(2024, 2, 4));

    calendar.build(2024, 1, false);
    EXPECT_EQ(calendar.first(), day(2024, 1, 1));
    EXPECT_EQ(calendar.cells()[0].text, "01.01.2024" + QString(20, ' ') + "1");
}

TEST(PlanCalendarGrid, AMonthBeginningOnSundayStartsOnTheMondayBefore)
{
    PlanCalendar calendar;
    for (bool fromDate : {true, false}) {
        calendar.build(2024, 9, fromDate);
        EXPECT_EQ(calendar.first(), day(2024, 8, 26));
        const PlanCalendarCell& firstOfMonth = calendar.cells()[6];
        EXPECT_EQ(firstOfMonth.date, day(2024, 9, 1));
        EXPECT_EQ(firstOfMonth.back, 0);
        EXPECT_EQ(firstOfMonth.fore, CalendarSundayFore);
        EXPECT_EQ(calendar.cells()[5].back, CalendarOtherMonthBack);
    }
}

TEST(PlanCalendarGrid, ThePeriodIsPaintedAcrossMonthsAndTakenBackWhenItMoves)
{
    PlanCalendar calendar;
    calendar.build(2024, 6, true);
    ASSERT_TRUE(calendar.showPeriod(noon(2024, 6, 30), noon(2024, 7, 2)));
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 29)).back, 0);
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 30)).back, CalendarPeriodBack);
    EXPECT_EQ(cellOf(calendar, day(2024, 7, 2)).back, CalendarPeriodBack);
    EXPECT_EQ(cellOf(calendar, day(2024, 7, 3)).back, CalendarOtherMonthBack);

    calendar.markBooked({{noon(2024, 6, 1), noon(2024, 6, 3)}});
    ASSERT_TRUE(calendar.showPeriod(noon(2024, 6, 10), noon(2024, 6, 10)));
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 30)).back, 0);
    EXPECT_EQ(cellOf(calendar, day(2024, 7, 1)).back, CalendarOtherMonthBack);
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 2)).back, 0);
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 10)).back, CalendarPeriodBack);

    const auto before = calendar.cells();
    EXPECT_FALSE(calendar.showPeriod(noon(2024, 9, 1), noon(2024, 9, 5)));
    for (int i = 0; i < CalendarCellCount; ++i)
        EXPECT_EQ(calendar.cells()[i].back, before[i].back);
}

TEST(PlanCalendarGrid, BookedDaysRunFromArrivalToDepartureAndStayOnTheGrid)
{
    PlanCalendar calendar;
    calendar.build(2024, 6, true);
    calendar.markBooked({{noon(2024, 6, 3), noon(2024, 6, 5)}, {noon(2024, 6, 8), noon(2024, 6, 9)}});
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 2)).back, 0);
    for (int d : {3, 4, 5})
        EXPECT_EQ(cellOf(calendar, day(2024, 6, d)).back, CalendarBookedBack);
    // A Saturday keeps its text colour under the booked colour.
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 8)).back, CalendarBookedBack);
    EXPECT_EQ(cellOf(calendar, day(2024, 6, 8)).fore, CalendarSaturdayFore);

    calendar.markBooked({{noon(2023, 1, 1), noon(3000, 1, 1)}});
    for (const PlanCalendarCell& cell : calendar.cells())
        EXPECT_EQ(cell.back, CalendarBookedBack);
}

TEST(PlanCalendarMouse, OnlyTheLeftAndRightButtonsOnADaySetAnEndOfThePeriod)
{
    const std::array<rt::Date, 2> period{noon(2024, 6, 10), noon(2024, 6, 12)};
    auto after = PeriodAfterPress(period, day(2024, 6, 20), 1);
    ASSERT_TRUE(after);
    EXPECT_EQ((*after)[0], noon(2024, 6, 20));
    EXPECT_EQ((*after)[1], noon(2024, 6, 20));

    after = PeriodAfterPress(period, day(2024, 6, 11), 1);
    EXPECT_EQ((*after)[0], noon(2024, 6, 11));
    EXPECT_EQ((*after)[1], noon(2024, 6, 12));

    after = PeriodAfterPress(period, day(2024, 6, 1), 2);
    EXPECT_EQ((*after)[0], noon(2024, 6, 1));
    EXPECT_EQ((*after)[1], noon(2024, 6, 1));

    EXPECT_FALSE(PeriodAfterPress(period, day(2024, 6, 1), 4));
    EXPECT_FALSE(PeriodAfterPress(period, rt::Date(), 1));

    const auto dragged = PeriodBetween(day(2024, 6, 10), day(2024, 6, 3));
    EXPECT_EQ(dragged[0], noon(2024, 6, 3));
    EXPECT_EQ(dragged[1], noon(2024, 6, 10));
}

TEST(PlanCalendarMouse, MonthStepsRollOverTheYearAndThePeriodReadsAsText)
{
    EXPECT_EQ(FirstOfMonthAfter(2024, 1, -1), day(2023, 12, 1));
    EXPECT_EQ(FirstOfMonthAfter(2023, 12, 1), day(2024, 1, 1));
    EXPECT_EQ(FirstOfMonthAfter(2024, 2, 12), day(2025, 2, 1));
    EXPECT_EQ(PeriodRangeText(noon(2021, 6, 7), noon(2021, 6, 9)), "Mo  07.06.21  12:00   -   Mi  09.06.21  12:00");
}

TEST(PlanStartSteps, MonthsAndQuartersClipTheDayToTheTargetMonth)
{
    EXPECT_EQ(StepPlanStart(day(2024, 1, 31), PlanStep::Month, 1), day(2024, 2, 29));
    EXPECT_EQ(StepPlanStart(day(2023, 1, 31), PlanStep::Month, 1), day(2023, 2, 28));
    EXPECT_EQ(StepPlanStart(day(2024, 5, 31), PlanStep::Quarter, -1), day(2024, 2, 29));
    EXPECT_EQ(StepPlanStart(day(2024, 3, 1), PlanStep::Day, -1), day(2024, 2, 29));
    EXPECT_EQ(StepPlanStart(day(2024, 12, 28), PlanStep::Week, 1), day(2025, 1, 4));
    EXPECT_EQ(PlanStartToday(), rt::Date::fromDate(QDate::currentDate()));
    EXPECT_EQ(PlanStartToday().timePart(), 0.0);
}

TEST(PlanStartSteps, AFillStartsOnTheGivenDayElseOnTheKeptOneElseOnThePeriod)
{
    const rt::Date period = noon(2024, 6, 10);
    EXPECT_EQ(ScheduleStart(rt::Date(), rt::Date::fromParts(2021, 3, 15, 18, 30), period), day(2021, 3, 15));
    EXPECT_EQ(ScheduleStart(day(2024, 1, 1), rt::Date::fromParts(2021, 3, 15, 18, 30), period), day(2021, 3, 15));
    EXPECT_EQ(ScheduleStart(day(2024, 1, 1), std::nullopt, period), day(2024, 1, 1));
    EXPECT_EQ(ScheduleStart(day(2024, 1, 1), rt::Date(), period), day(2024, 1, 1));
    EXPECT_EQ(ScheduleStart(rt::Date(), std::nullopt, period), period);
}
