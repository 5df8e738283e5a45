#include "core/buildinggrid.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/scripted_dialogs.h"

#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

// Counted for 02.07. to 04.07. Haupthaus: EG 4 places / 1 occupied, 1. 3 / 3,
// 2. only disabled places, level 9 (no column) 1 / 1. Nebenhaus: no floors.
// Gartenhaus: UG 3 / 2. One building of another facility.
class BuildingGrid : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;
    QTableWidget grid;
    QLabel label;
    qint32 haupthaus = database.addBuilding(1, QStringLiteral("Haupthaus"));
    qint32 nebenhaus = database.addBuilding(1, QStringLiteral("Nebenhaus"));
    qint32 gartenhaus = database.addBuilding(1, QStringLiteral("Gartenhaus"));
    qint32 greyFloor = 0;

    void SetUp() override
    {
        TermPlacePlural = QStringLiteral("Zimmer");
        const qint32 eg = database.addFloor(haupthaus, 0);
        const qint32 first = database.addFloor(haupthaus, 1);
        greyFloor = database.addFloor(haupthaus, 2);
        const qint32 ug = database.addFloor(gartenhaus, -1);
        for (int i = 0; i < 3; ++i) {
            const qint32 egPlace = database.addPlace(eg);
            database.addBooking(egPlace, 1, 1, i == 0 ? 3 : 2);       // only the first still there on the 2nd
            database.addBooking(database.addPlace(first), 2, 4, 6);   // arrives on the last day: counts
            const qint32 ugPlace = database.addPlace(ug);
            if (i < 2)
                database.addBooking(ugPlace, 3, 2, 9);
        }
        database.addPlace(eg);
        database.addBooking(database.addPlace(greyFloor, true), 4, 2, 4);
        database.addBooking(database.addPlace(database.addFloor(haupthaus, 9)), 5, 1, 5);
        database.addBooking(database.addPlace(database.addFloor(database.addBuilding(2, QStringLiteral("Anderswo")), 0)), 7, 2, 4);

        InitBuildingGridHeader(&grid);
        FillListBuildings(&grid, 1, rt::Date::fromParts(2024, 7, 2, 12), rt::Date::fromParts(2024, 7, 4, 12), &label);
    }

    QString text(int row, int column) const { return grid.item(row, column) ? grid.item(row, column)->text() : QStringLiteral("-"); }
    qint32 colour(int row, int column) const { return rt::fromQColor(grid.item(row, column)->background().color()); }
    QString header(int column) const { return grid.horizontalHeaderItem(column)->text(); }
};

TEST_F(BuildingGrid, FreePlacesAndOccupancyAsCountedByHand)
{
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(text(0, 2), QStringLiteral("3"));
    EXPECT_EQ(colour(0, 2), GridFreeColor);
    EXPECT_EQ(text(0, 3), QStringLiteral("0"));
    EXPECT_EQ(colour(0, 3), GridFullColor);
    EXPECT_EQ(text(0, 4), QString());
    EXPECT_EQ(colour(0, 4), GridNoPlaceColor);
    EXPECT_EQ(text(0, 5), QStringLiteral("-"));
    EXPECT_EQ(text(2, 1), QStringLiteral("1"));

    // 4 + 3 + 1 places, 1 + 3 + 1 occupied: 62.5 % cut to 62.
    EXPECT_EQ(text(0, 0), QStringLiteral("Haupthaus   62%"));
    EXPECT_EQ(colour(0, 0), GridFreeColor);
    EXPECT_EQ(text(1, 0), QStringLiteral("Nebenhaus"));
    EXPECT_EQ(colour(1, 0), GridFullColor);
    EXPECT_EQ(text(2, 0), QStringLiteral("Gartenhaus   66%"));
    EXPECT_EQ(label.text(), QStringLiteral("11 Zimmer, 7 belegt (63%)"));

    EXPECT_EQ(header(1), QStringLiteral("UG"));
    EXPECT_EQ(header(4), QStringLiteral("2."));
    EXPECT_EQ(header(5), QString());
    FillListBuildings(&grid, 3, rt::Date::fromParts(2024, 7, 2, 12), rt::Date::fromParts(2024, 7, 4, 12), &label);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(header(2), QString());
    EXPECT_EQ(label.text(), QString());
}

TEST_F(BuildingGrid, ClicksOpenFloorsBuildingsOrTheWholeFacility)
{
    std::vector<std::pair<qint32, qint32>> opened;
    const auto show = [&](const QString&, qint32 floorId, qint32 buildingId) { opened.emplace_back(floorId, buildingId); };
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
    Db->execute(QStringLiteral("DROP TABLE tbl_places"));
    dialogs->answerMessage(ui::Answer::Ok);
    FillListBuildings(&grid, 1, rt::Date::fromParts(2024, 7, 2, 12), rt::Date::fromParts(2024, 7, 4, 12), &label);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler in FillListBuildings:\n")));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Information);
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(text(0, 0), QStringLiteral("Haupthaus"));
    EXPECT_EQ(label.text(), QString());
    EXPECT_TRUE(grid.updatesEnabled());
}

}  // namespace
