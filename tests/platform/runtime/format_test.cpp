#include "platform/runtime/format.h"

#include <gtest/gtest.h>

using rt::Date;

TEST(FormatDate, PatternsOfTheProgram)
{
    Date d = Date::fromParts(2026, 3, 5, 14, 7, 9);
    EXPECT_EQ(rt::formatDate(d, "Dd.mm.yyyy"), "05.03.2026");
    EXPECT_EQ(rt::formatDate(d, "mm/Dd/yyyy hh:nn:ss"), "03/05/2026 14:07:09");
    EXPECT_EQ(rt::formatDate(d, "Dd.mm.yyyy hh:nn"), "05.03.2026 14:07");
    EXPECT_EQ(rt::formatDate(d, "mmmm"), "März");
    EXPECT_EQ(rt::formatDate(d, "mmmm yyyy"), "März 2026");
    EXPECT_EQ(rt::formatDate(d, "d.m.yy"), "5.3.26");
    EXPECT_EQ(rt::formatDate(d, "dddd"), "Donnerstag");
    // "mm" after hours is minutes, not the month.
    EXPECT_EQ(rt::formatDate(d, "hh:mm"), "14:07");
}

TEST(FormatDate, FourDigitYearForTheOpenEnd)
{
    EXPECT_EQ(rt::formatDate(Date::fromParts(3000, 1, 1), "Dd.mm.yyyy"), "01.01.3000");
}

TEST(FormatNumber, MoneyWithGermanSeparators)
{
    EXPECT_EQ(rt::formatMoney(1234.5), "1.234,50");
    EXPECT_EQ(rt::formatMoney(0), "0,00");
    EXPECT_EQ(rt::formatMoney(-0.001), "0,00");
    EXPECT_EQ(rt::formatMoney(-1234567.891), "-1.234.567,89");
    EXPECT_EQ(rt::formatNumber(1234.5, "0.00"), "1234,50");
    EXPECT_EQ(rt::formatNumber(2.5, "0"), "3");
}

TEST(FormatNumber, CommercialRoundingOfCents)
{
    EXPECT_DOUBLE_EQ(rt::roundCommercial(2.675), 2.68);
    EXPECT_DOUBLE_EQ(rt::roundCommercial(1.005), 1.01);
    EXPECT_DOUBLE_EQ(rt::roundCommercial(-2.675), -2.68);
    EXPECT_DOUBLE_EQ(rt::roundCommercial(2.674), 2.67);
    EXPECT_EQ(rt::formatMoney(0.125), "0,13");
}

TEST(IntegerConversion, HalfToEven)
{
    EXPECT_EQ(rt::cint(2.5), 2);
    EXPECT_EQ(rt::cint(3.5), 4);
    EXPECT_EQ(rt::cint(-2.5), -2);
    EXPECT_EQ(rt::cint(2.51), 3);
    EXPECT_EQ(rt::clng(100000.5), 100000);
    EXPECT_EQ(rt::clng(100001.5), 100002);
}

TEST(WeekNumber, MondayFirstFourDayWeek)
{
    EXPECT_EQ(rt::weekOfYear(Date::fromParts(2021, 1, 3)), 53);  // Sunday still in last year's week
    EXPECT_EQ(rt::weekOfYear(Date::fromParts(2021, 1, 4)), 1);
    EXPECT_EQ(rt::weekOfYear(Date::fromParts(2026, 12, 31)), 53);
}
