#include "core/buildinggrid.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/scripted_dialogs.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

rt::Date july(int day)
{
    return rt::Date::fromParts(2024, 7, day, 12);
}

qint32 background(const QTableWidget& grid, int row, int column)
{
    return rt::fromQColor(grid.item(row, column)->background().color());
}

QString header(const QTableWidget& grid, int column)
{
    return grid.horizontalHeaderItem(column)->text();
}

// Haupthaus: EG 3 places / 1 booked, 1. 3 / 3, 2. only disabled places,
// level 9 1 / 1. Nebenhaus: no floors. Gartenhaus: UG 3 / 2. One building
// of another facility. All counted for 02.07. to 04.07.
class BuildingGrid : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;
    QTableWidget grid;
    QLabel label;
    qint32 haupthaus = 0, nebenhaus = 0, gartenhaus = 0;
    qint32 greyFloor = 0;

    void SetUp() override
    {
        TermPlacePlural = QStringLiteral("Zimmer");
        haupthaus = database.addBuilding(1, QStringLiteral("Haupthaus"));
        nebenhaus = database.addBuilding(1, QStringLiteral("Nebenhaus"));
        gartenhaus = database.addBuilding(1, QStringLiteral("Gartenhaus"));
        const qint32 elsewhere = database.addBuilding(2, QStringLiteral("Anderswo"));

        const qint32 eg = database.addFloor(haupthaus, 0);
        const qint32 first = database.addFloor(haupthaus, 1);
        greyFloor = database.addFloor(haupthaus, 2);
        const qint32 roof = database.addFloor(haupthaus, 9);
        const qint32 ug = database.addFloor(gartenhaus, -1);
        const qint32 other = database.addFloor(elsewhere, 0);

        for (int i = 0; i < 3; ++i) {
            const qint32 egPlace = database.addPlace(eg);
            if (i == 0)
                database.addBooking(egPlace, 1, 1, 3);
            database.addBooking(database.addPlace(first), 2, 4, 6);   // arrives on the last day: counts
            const qint32 ugPlace = database.addPlace(ug);
            if (i < 2)
                database.addBooking(ugPlace, 3, 2, 9);
        }
        database.addBooking(database.addPlace(greyFloor, true), 4, 2, 4);
        database.addPlace(greyFloor, true);
        database.addBooking(database.addPlace(roof), 5, 1, 5);
        database.addBooking(database.addPlace(eg), 6, 1, 2, 1);   // departs on the first day: free
        database.addBooking(database.addPlace(other), 7, 2, 4);

        InitBuildingGridHeader(&grid);
        FillListBuildings(&grid, 1, july(2), july(4), &label);
    }
};

TEST_F(BuildingGrid, FreePlacesPerFloorAsCountedByHand)
{
    ASSERT_EQ(grid.rowCount(), 3);
    const int eg = BuildingGridColumnOfLevel(0);
    EXPECT_EQ(eg, 2);
    EXPECT_EQ(grid.item(0, eg)->text(), QStringLiteral("3"));   // four places, one booked
    EXPECT_EQ(background(grid, 0, eg), GridFreeColor);
    EXPECT_EQ(grid.item(0, 3)->text(), QStringLiteral("0"));
    EXPECT_EQ(background(grid, 0, 3), GridFullColor);
    EXPECT_EQ(grid.item(0, 4)->text(), QString());
    EXPECT_EQ(background(grid, 0, 4), GridNoPlaceColor);
    EXPECT_EQ(grid.item(2, 1)->text(), QStringLiteral("1"));
    EXPECT_EQ(grid.item(0, 5), nullptr);
}

TEST_F(BuildingGrid, BuildingsShowTheirOccupancyCutToWholePercent)
{
    // Haupthaus: 4 + 3 + 1 places (level 9 has no column but counts), 1 + 3 + 1 booked.
    EXPECT_EQ(grid.item(0, 0)->text(), QStringLiteral("Haupthaus   62%"));
    EXPECT_EQ(background(grid, 0, 0), GridFreeColor);
    EXPECT_EQ(grid.item(1, 0)->text(), QStringLiteral("Nebenhaus"));
    EXPECT_EQ(background(grid, 1, 0), GridFullColor);
    EXPECT_EQ(grid.item(2, 0)->text(), QStringLiteral("Gartenhaus   66%"));
    EXPECT_EQ(label.text(), QStringLiteral("11 Zimmer, 7 belegt (63%)"));
}

TEST_F(BuildingGrid, OnlyLevelsWithAFloorAreCaptioned)
{
    EXPECT_EQ(header(grid, 0), QStringLiteral("Gebäude-Auswahl"));
    EXPECT_EQ(header(grid, 1), QStringLiteral("UG"));
    EXPECT_EQ(header(grid, 2), QStringLiteral("EG"));
    EXPECT_EQ(header(grid, 4), QStringLiteral("2."));
    EXPECT_EQ(header(grid, 5), QString());
    EXPECT_EQ(header(grid, 10), QString());

    FillListBuildings(&grid, 3, july(2), july(4), &label);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(header(grid, 2), QString());
    EXPECT_EQ(label.text(), QString());
}

TEST_F(BuildingGrid, ClicksOpenFloorsBuildingsOrTheWholeFacility)
{
    std::vector<std::pair<qint32, qint32>> opened;
    const auto show = [&](const QString& criterion, qint32 floorId, qint32 buildingId) {
        EXPECT_EQ(criterion, QString());
        opened.emplace_back(floorId, buildingId);
    };
    SelectBuildingGridCell(&grid, 0, 4, show);    // grey floor
    SelectBuildingGridCell(&grid, 0, 5, show);    // no floor on that level
    SelectBuildingGridCell(&grid, 1, 2, show);
    SelectBuildingGridCell(&grid, 2, 0, show);
    SelectBuildingGridCell(&grid, -1, 3, show);   // the level row
    const std::vector<std::pair<qint32, qint32>> expected{{greyFloor, haupthaus}, {-1, gartenhaus}, {-1, -1}};
    EXPECT_EQ(opened, expected);
}

TEST_F(BuildingGrid, ADatabaseErrorKeepsWhatWasFilledAndIsReportedOnce)
{
    database.exec(QStringLiteral("DROP TABLE tbl_places"));
    dialogs->answerMessage(ui::Answer::Ok);
    FillListBuildings(&grid, 1, july(2), july(4), &label);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler in FillListBuildings:\n")));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Information);
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.item(0, 0)->text(), QStringLiteral("Haupthaus"));
    EXPECT_EQ(label.text(), QString());
    EXPECT_TRUE(grid.updatesEnabled());
}

}  // namespace
