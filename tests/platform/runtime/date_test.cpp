#include "platform/runtime/date.h"

#include <gtest/gtest.h>

using rt::Date;

TEST(DateSerial, EpochAndKnownDays)
{
    EXPECT_EQ(Date::fromDate(QDate(1899, 12, 30)).serial(), 0.0);
    EXPECT_EQ(Date::fromDate(QDate(1900, 1, 1)).serial(), 2.0);
    EXPECT_EQ(Date::fromDate(QDate(2000, 1, 1)).serial(), 36526.0);
    EXPECT_EQ(Date::fromParts(2026, 12, 7).toQDate(), QDate(2026, 12, 7));
}

TEST(DateSerial, NoonIsExactlyHalf)
{
    Date noon = Date::fromParts(2026, 3, 1, 12, 0, 0);
    EXPECT_EQ(noon.serial() - std::floor(noon.serial()), 0.5);
    EXPECT_EQ(Date::fromDate(QDate(2026, 3, 1)).atNoon(), noon);
    EXPECT_EQ(noon.hour(), 12);
    EXPECT_EQ(noon.minute(), 0);
}

TEST(DateSerial, RoundTripsThroughQDateTime)
{
    for (const QDateTime& dt : {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)), QDateTime(QDate(1999, 12, 31), QTime(0, 0, 1)),
                                QDateTime(QDate(3000, 1, 1), QTime(12, 0)), QDateTime(QDate(1850, 6, 15), QTime(18, 30))}) {
        Date d = Date::fromDateTime(dt);
        EXPECT_EQ(d.toQDateTime(), dt) << dt.toString().toStdString();
    }
}

TEST(DateSerial, BeforeEpochKeepsTimeForward)
{
    // 29.12.1899 06:00 is -1.25: the whole part counts back, the fraction forward.
    Date d = Date::fromParts(1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ(d.serial(), -1.25);
    EXPECT_EQ(d.toQDate(), QDate(1899, 12, 29));
    EXPECT_EQ(d.hour(), 6);
    EXPECT_EQ(d.addDays(1).toQDateTime(), QDateTime(QDate(1899, 12, 30), QTime(6, 0)));
    EXPECT_LT(Date::fromParts(1899, 12, 29, 0), d);
    EXPECT_LT(d, Date::fromParts(1899, 12, 29, 18));
}

TEST(DateArithmetic, DaysMonthsYears)
{
    Date d = Date::fromParts(2024, 1, 31, 12);
    EXPECT_EQ(d.addMonths(1), Date::fromParts(2024, 2, 29, 12));
    EXPECT_EQ(d.addYears(1), Date::fromParts(2025, 1, 31, 12));
    EXPECT_EQ(d.addDays(1), Date::fromParts(2024, 2, 1, 12));
    EXPECT_EQ(d.addDays(-31), Date::fromParts(2023, 12, 31, 12));
    EXPECT_DOUBLE_EQ(Date::fromParts(2024, 3, 1, 12).daysSince(Date::fromParts(2024, 2, 1, 12)), 29.0);
    EXPECT_EQ(d.datePart(), Date::fromParts(2024, 1, 31));
    EXPECT_DOUBLE_EQ(d.timePart(), 0.5);
}
