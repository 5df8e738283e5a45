#include "core/datefunctions.h"
#include "platform/runtime/format.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Switches the locale and date patterns for one test and puts German back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale)
    {
        QLocale::setDefault(locale);
        InitDateFormat();
    }
    ~LocaleScope()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        InitDateFormat();
    }
};

}  // namespace

TEST(DateFormat, DerivedFromTheShortDateSampleWithFourDigitYear)
{
    QString sep;
    EXPECT_EQ(DateFormatFromSample(QStringLiteral("22.11.33"), &sep), QStringLiteral("dd.mm.yyyy"));
    EXPECT_EQ(sep, QStringLiteral("."));
    EXPECT_EQ(DateFormatFromSample(QStringLiteral("3333-11-22"), &sep), QStringLiteral("yyyy-mm-dd"));
    EXPECT_EQ(sep, QStringLiteral("-"));
    EXPECT_EQ(DateFormatFromSample(QStringLiteral("11/22/33"), &sep), QStringLiteral("mm/dd/yyyy"));
    EXPECT_EQ(DateFormatFromSample(QStringLiteral("22 nov. 3333"), &sep), QString());

    {
        LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(DateFormat, QStringLiteral("mm/dd/yyyy"));
        EXPECT_EQ(DateSeparator, QStringLiteral("/"));
    }
    EXPECT_EQ(DateFormat, QStringLiteral("dd.mm.yyyy"));
}

TEST(DateToSQL, MonthFirstWithSlashesWhateverTheLocale)
{
    const rt::Date march5 = rt::Date::fromParts(2021, 3, 5, 12);
    EXPECT_EQ(DateToSQL(march5), QStringLiteral("#03/05/2021 12:00:00#"));
    EXPECT_EQ(DateToSQL(rt::Date::fromParts(2020, 12, 24, 23, 59, 58)), QStringLiteral("#12/24/2020 23:59:58#"));
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Swedish, QLocale::Sweden),
                                  QLocale(QLocale::Finnish, QLocale::Finland)}) {
        LocaleScope scope(locale);
        EXPECT_EQ(DateToSQL(march5), QStringLiteral("#03/05/2021 12:00:00#")) << locale.name().toStdString();
    }
}

TEST(Weeks, NumbersAroundNewYearAndMondays)
{
    EXPECT_EQ(GetWeekNumber(rt::Date::fromParts(2021, 1, 1)), 53);
    EXPECT_EQ(GetWeekNumber(rt::Date::fromParts(2021, 1, 4)), 1);
    EXPECT_EQ(GetWeekNumber(rt::Date::fromParts(2024, 12, 31)), 1);
    EXPECT_EQ(GetWeekNumber(rt::Date::fromParts(2026, 1, 1)), 1);
    EXPECT_EQ(GetWeekNumber(rt::Date::fromParts(2027, 1, 1)), 53);

    const rt::Date monday = rt::Date::fromParts(2021, 1, 4, 12);
    EXPECT_EQ(GetMondayOfWeek(monday), monday);
    EXPECT_EQ(GetMondayOfWeek(rt::Date::fromParts(2021, 1, 10, 18, 30)), rt::Date::fromParts(2021, 1, 4, 18, 30));
    EXPECT_EQ(GetMondayOfWeek(rt::Date::fromParts(2021, 1, 1, 12)), rt::Date::fromParts(2020, 12, 28, 12));
}

TEST(CompleteDateInput, GermanInput)
{
    EXPECT_EQ(CompleteDateInput(QStringLiteral("24122020")), QStringLiteral("24.12.2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("241220")), QStringLiteral("24.12.2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("24-12-20")), QStringLiteral("24.12.2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("1.1.20")), QStringLiteral("01.01.2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("  24,12/2020 ")), QStringLiteral("24.12.2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("1.1.45")), QStringLiteral("01.01.1945"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("1.1.3000")), QStringLiteral("01.01.3000"));

    EXPECT_EQ(CompleteDateInput(QStringLiteral("2412")), QString());
    EXPECT_EQ(CompleteDateInput(QStringLiteral("2412202")), QString());
    EXPECT_EQ(CompleteDateInput(QStringLiteral("31.02.2020")), QString());
    EXPECT_EQ(CompleteDateInput(QStringLiteral("24.12.202")), QString());
    EXPECT_EQ(CompleteDateInput(QStringLiteral("1.2.3.2020")), QString());
    // No year, a word, the year in front: no date, and never another day.
    for (const char* typed : {"19.12.", "5.1.", "heute", "2027-01-05"})
        EXPECT_EQ(CompleteDateInput(QString::fromUtf8(typed)), QString()) << typed;
}

TEST(CompleteDateInput, FollowsTheLocaleOrder)
{
    LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("12.24.20")), QStringLiteral("12/24/2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("122420")), QStringLiteral("12/24/2020"));
    EXPECT_EQ(CompleteDateInput(QStringLiteral("24.12.20")), QString());
}

TEST(TextHelpers, ReplaceFindAndDigits)
{
    EXPECT_EQ(ReplaceText(QString(), QStringLiteral("a"), QStringLiteral("b")), QString());
    EXPECT_EQ(ReplaceText(QStringLiteral("abc"), QString(), QStringLiteral("b")), QString());
    EXPECT_EQ(ReplaceText(QStringLiteral("a-b-a"), QStringLiteral("a"), QStringLiteral("aa")), QStringLiteral("aa-b-aa"));

    EXPECT_EQ(FindLastOf(QStringLiteral("a-b-c"), QStringLiteral("-")), 4);
    EXPECT_EQ(FindLastOf(QStringLiteral("abcabc"), QStringLiteral("bc")), 5);
    EXPECT_EQ(FindLastOf(QStringLiteral("abc"), QStringLiteral("x")), 0);

    EXPECT_EQ(ExtractDigits(QStringLiteral("Tel. +49 (0)30-12 ½")), QStringLiteral("4903012"));
}

TEST(ParseDateText, ReadsTheOrderTheWorkstationWrites)
{
    const rt::Date march5 = rt::Date::fromParts(2021, 3, 5);
    EXPECT_EQ(ParseDateText(QStringLiteral("05.03.2021")), march5);
    EXPECT_EQ(ParseDateText(QStringLiteral(" 5.3.21 ")), march5);
    EXPECT_EQ(ParseDateText(QStringLiteral("05.03.2021 18:30")), rt::Date::fromParts(2021, 3, 5, 18, 30));
    EXPECT_EQ(ParseDateText(QStringLiteral("05.03.2021 18:30:15")), rt::Date::fromParts(2021, 3, 5, 18, 30, 15));
    EXPECT_EQ(ParseDateText(QStringLiteral("2021-03-05")), march5);
    for (const char* bad : {"31.02.2021", "05.03.2021 24:00", "05.03", "heute", "050321", "05.03.202"})
        EXPECT_FALSE(ParseDateText(QString::fromLatin1(bad)).has_value()) << bad;
    {
        LocaleScope us(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(ParseDateText(rt::formatDate(march5, DateFormat)), march5);
        EXPECT_EQ(ParseDateText(QStringLiteral("03/05/2021")), march5);
        EXPECT_EQ(ParseDateText(QStringLiteral("2021-03-05")), march5);
    }
}
