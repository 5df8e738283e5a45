#include "platform/runtime/color.h"
#include "platform/runtime/text.h"

#include <gtest/gtest.h>

TEST(Val, ReadsTheLeadingNumber)
{
    EXPECT_DOUBLE_EQ(rt::val("42"), 42);
    EXPECT_DOUBLE_EQ(rt::val("  1 2 3abc"), 123);
    EXPECT_DOUBLE_EQ(rt::val("12.5 EUR"), 12.5);
    EXPECT_DOUBLE_EQ(rt::val("12,5"), 12);  // only "." is a decimal point
    EXPECT_DOUBLE_EQ(rt::val("-3.25"), -3.25);
    EXPECT_DOUBLE_EQ(rt::val("1e3"), 1000);
    EXPECT_DOUBLE_EQ(rt::val(""), 0);
    EXPECT_DOUBLE_EQ(rt::val("abc"), 0);
    EXPECT_DOUBLE_EQ(rt::val("."), 0);
    EXPECT_DOUBLE_EQ(rt::val("&HFF00"), -256);  // 16-bit hex is signed
    EXPECT_DOUBLE_EQ(rt::val("&H40FF"), 0x40FF);
    EXPECT_DOUBLE_EQ(rt::val("&HFFFFFF"), 0xFFFFFF);
    EXPECT_DOUBLE_EQ(rt::val("&O17"), 15);
}

TEST(Trim, OnlyBlanks)
{
    EXPECT_EQ(rt::trim("  a b  "), "a b");
    EXPECT_EQ(rt::trim("\ta\t"), "\ta\t");
    EXPECT_EQ(rt::ltrim("  a "), "a ");
    EXPECT_EQ(rt::rtrim("  a "), "  a");
    EXPECT_EQ(rt::trim("   "), "");
}

TEST(ReplaceAll, InsertedTextIsNotSearchedAgain)
{
    EXPECT_EQ(rt::replaceAll("a%sb%s", "%s", "%s%s"), "a%s%sb%s%s");
    EXPECT_EQ(rt::replaceAll("%S %s", "%s", "x"), "%S x");
    EXPECT_EQ(rt::replaceAll("abc", "", "x"), "abc");
}

TEST(Colors, StoredBlueGreenRed)
{
    EXPECT_EQ(rt::rgb(255, 0, 0), 0x0000FF);
    EXPECT_EQ(rt::rgb(0, 0xFF, 0), 0xFF00);
    QColor c = rt::toQColor(0x40FF);  // red with some green: occupied
    EXPECT_EQ(c.red(), 0xFF);
    EXPECT_EQ(c.green(), 0x40);
    EXPECT_EQ(c.blue(), 0);
    EXPECT_EQ(rt::fromQColor(QColor(1, 2, 3)), 0x030201);
}

TEST(Elide, KeepsStartAndEndOfALongText)
{
    EXPECT_EQ(rt::elide("kurz", 10), "kurz");
    const QString cut = rt::elide("/home/anna/Dokumente/Pension/velmorant.mdb", 21);
    EXPECT_EQ(cut.size(), 21);
    EXPECT_EQ(cut, QStringLiteral("/home/ann … orant.mdb"));
    // A character outside the basic plane is never split in two.
    const QString emoji = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("cdefghijkl");
    const QString shortened = rt::elide(emoji, 8);
    EXPECT_FALSE(shortened.isEmpty());
    for (qsizetype i = 0; i < shortened.size(); ++i)
        EXPECT_FALSE(shortened.at(i).isHighSurrogate() && (i + 1 == shortened.size() || !shortened.at(i + 1).isLowSurrogate()));
}
