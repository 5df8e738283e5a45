#include "core/datefunctions.h"
#include "core/messages.h"
#include "tests/support/scripted_dialogs.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(MessageTable, LoadsCompleteWithTheStartUpTexts)
{
    const MessageTable& table = messageTable();
    EXPECT_TRUE(table.duplicates.empty()) << "number given twice: " << table.duplicates.front();
    EXPECT_TRUE(table.badLines.empty()) << table.badLines.front().toStdString();
    ASSERT_GT(table.texts.size(), 100u);
    for (const auto& [number, text] : table.texts) {
        EXPECT_TRUE((number >= 100 && number <= 1841)) << number;
        EXPECT_FALSE(text.isEmpty()) << number;
    }
    for (int number : {102, 520, 521, 522, 523, 524})
        EXPECT_EQ(table.texts.count(number), 1u) << number;
    EXPECT_EQ(table.texts.at(521), QStringLiteral("Die Datenbank \"%s\" konnte nicht gefunden werden.\n\n"
                                                  "Bitte ändern Sie die Voreinstellung des Programms entsprechend."));
}

TEST(GetResString, ReplacesEveryOccurrenceInTheOrderGiven)
{
    EXPECT_EQ(GetResString(1702, {{QStringLiteral("%s"), QString::number(3)}}),
              QStringLiteral("Es wurden 3 Termin-Duplikate gelöscht."));
    EXPECT_EQ(GetResString(1351, {{QStringLiteral("%s"), QStringLiteral("Hans Meier")}}),
              QStringLiteral("Hans Meier hat noch keine Buchung.\n\nWollen Sie für Hans Meier eine neue Buchung anlegen?"));

    // Numbered placeholders first, as callers must list them.
    const QString good = GetResString(1355, {{QStringLiteral("%s1"), QStringLiteral("Dieser Gast")},
                                             {QStringLiteral("%s2"), QStringLiteral("4 Buchungen")},
                                             {QStringLiteral("%s3"), QStringLiteral("er")}});
    EXPECT_TRUE(good.startsWith(QStringLiteral("Dieser Gast darf nicht gelöscht werden,\nda er noch 4 Buchungen hat")));
    // "%s" first eats the start of "%s1" and "%s2".
    const QString eaten = GetResString(1355, {{QStringLiteral("%s"), QStringLiteral("X")}, {QStringLiteral("%s1"), QStringLiteral("Gast")}});
    EXPECT_TRUE(eaten.startsWith(QStringLiteral("X1 darf"))) << eaten.toStdString();
    EXPECT_TRUE(eaten.contains(QStringLiteral("da X3 noch X2 hat")));
}

TEST(GetResString, InsertedValuesAreNotSearchedAgainAndCaseCounts)
{
    EXPECT_EQ(GetResString(1702, {{QStringLiteral("%s"), QStringLiteral("50 %s")}}),
              QStringLiteral("Es wurden 50 %s Termin-Duplikate gelöscht."));
    // A later pair does see what an earlier one inserted.
    EXPECT_EQ(GetResString(1702, {{QStringLiteral("%s"), QStringLiteral("%s1")}, {QStringLiteral("%s1"), QStringLiteral("7")}}),
              QStringLiteral("Es wurden 7 Termin-Duplikate gelöscht."));
    EXPECT_EQ(GetResString(1702, {{QStringLiteral("%S"), QStringLiteral("9")}}),
              QStringLiteral("Es wurden %s Termin-Duplikate gelöscht."));
}

TEST(GetResString, UnknownNumberIsReportedAndGivesEmptyText)
{
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(GetResString(99999), QString());
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("99999")));
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::Ok);
}

TEST(InitGlobalTexts, FillsTitlesSalutationsAndDatePatterns)
{
    InitGlobalTexts();
    EXPECT_EQ(AppTitle, QStringLiteral("VELMORANT"));
    EXPECT_EQ(TextUnnamed, QStringLiteral("  unbenannt"));
    EXPECT_EQ(TextAll, QStringLiteral("     alle"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+$")).match(VersionText).hasMatch()) << VersionText.toStdString();
    // The test program runs in German.
    EXPECT_EQ(DateFormat, QStringLiteral("dd.mm.yyyy"));
    EXPECT_EQ(DateSeparator, QStringLiteral("."));
    EXPECT_EQ(DateTimeFormat, QStringLiteral("dd.mm.yyyy hh:nn:ss"));
}

TEST(MessageTable, HoldsEveryNumberedTextTheWindowsUse)
{
    // Every number a window or message of the program names with its text.
    const int used[] = {102, 149, 182, 198, 200, 252, 269, 271, 293, 294, 296, 308, 309, 311, 312, 313, 328, 329, 333, 334, 340, 390, 520, 521, 522, 523, 524, 525, 526, 530, 531, 533, 534, 535, 536, 537, 538, 1017, 1301, 1302, 1303, 1304, 1305, 1306, 1307, 1308, 1309, 1310, 1311, 1312, 1313, 1314, 1315, 1316, 1319, 1320, 1321, 1322, 1323, 1324, 1325, 1326, 1328, 1329, 1330, 1331, 1332, 1333, 1334, 1340, 1341, 1342, 1343, 1344, 1345, 1346, 1347, 1348, 1349, 1350, 1351, 1352, 1353, 1354, 1355, 1356, 1650, 1670, 1671, 1672, 1675, 1680, 1681, 1683, 1684, 1685, 1686, 1698, 1699, 1700, 1701, 1702, 1703, 1710, 1711, 1715, 1718, 1731, 1734, 1740, 1756, 1770, 1771, 1778, 1791, 1800, 1801, 1802, 1810, 1811, 1812, 1813, 1814, 1815, 1816, 1817, 1820, 1821, 1822, 1823, 1824, 1825, 1826, 1827, 1828, 1829, 1830, 1831, 1832, 1833, 1836, 1840, 1841};
    const MessageTable& table = messageTable();
    for (int number : used)
        EXPECT_EQ(table.texts.count(number), 1u) << "text " << number << " is missing";
}
