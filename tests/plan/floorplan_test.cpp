#include "plan/floorplan.h"

#include "core/terms.h"
#include "platform/runtime/color.h"

#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using test::PlanDb;

class FloorPlanView : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlanDb::addFacility(1, QStringLiteral("Pension"));
        floor = PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haus")), 0, QStringLiteral("EG"));
        request.floorId = floor;
        request.periodStart = PlanDb::noon(2024, 6, 10);
        request.periodEnd = PlanDb::noon(2024, 6, 12);
        roomTypes = {RoomType{}, RoomType{1, QStringLiteral("Einzelzimmer"), 0, 0x123456},
                     RoomType{2, QStringLiteral("Doppelzimmer"), 0, 0x654321}};
    }
    const PlaceMarker& markerOf(const FloorPlan& plan, qint32 placeId)
    {
        for (const PlaceMarker& m : plan.markers) {
            if (m.placeId == placeId)
                return m;
        }
        ADD_FAILURE() << "no marker for place " << placeId;
        static PlaceMarker none;
        return none;
    }

    test::GlobalsScope globals;
    PlanDb database;
    qint32 floor = 0;
    FloorPlanRequest request;
    std::vector<RoomType> roomTypes;
};

}  // namespace

TEST_F(FloorPlanView, APlaceCountsAsOccupiedFromTheArrivalOnTheLastDayButNotOnTheDepartureDay)
{
    const qint32 arriving = PlanDb::addPlace(floor, QStringLiteral("01"));
    const qint32 leaving = PlanDb::addPlace(floor, QStringLiteral("02"));
    const qint32 empty = PlanDb::addPlace(floor, QStringLiteral("03"));
    const qint32 disabled = PlanDb::addPlace(floor, QStringLiteral("04"), 0, 0, 0, true);
    PlanDb::addBooking(arriving, 1, PlanDb::noon(2024, 6, 12), PlanDb::noon(2024, 6, 14));
    PlanDb::addBooking(leaving, 1, PlanDb::noon(2024, 6, 8), PlanDb::noon(2024, 6, 10));
    PlanDb::addBooking(empty, 1, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 13), 0);
    PlanDb::addBooking(disabled, 1, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 13));

    const FloorPlan plan = BuildFloorPlan(request, roomTypes);
    ASSERT_EQ(plan.markers.size(), 4u);
    EXPECT_EQ(markerOf(plan, arriving).colour, MarkerOccupiedColor);
    EXPECT_EQ(markerOf(plan, leaving).colour, MarkerFreeColor);
    EXPECT_EQ(markerOf(plan, empty).colour, MarkerFreeColor);
    EXPECT_EQ(markerOf(plan, disabled).colour, MarkerDisabledColor);
    EXPECT_EQ(plan.summary, "3 Betten, 1 belegt (33%), 2 frei (66%)");
}

TEST_F(FloorPlanView, SummaryLineCountsAndCutsEachShareOnItsOwn)
{
    EXPECT_EQ(FloorSummaryText(QString(), 10, 3, true), "10 Betten, 3 belegt (30%), 7 frei (70%)");
    EXPECT_EQ(FloorSummaryText(QString(), 3, 1, true), "3 Betten, 1 belegt (33%), 2 frei (66%)");
    EXPECT_EQ(FloorSummaryText(QString(), 5, 0, true), "5 Betten (alle frei)");
    EXPECT_EQ(FloorSummaryText("[Doppelzimmer] : ", 4, 0, true), "[Doppelzimmer] : 4 Betten (alle frei)");
    EXPECT_EQ(FloorSummaryText("[Doppelzimmer] : ", 4, 2, false), "[Doppelzimmer] : ");
    EXPECT_EQ(FloorSummaryText(QString(), 0, 0, true), "");
}

TEST_F(FloorPlanView, TheCategoryFilterDrawsAndCountsOnlyItsPlaces)
{
    const qint32 single = PlanDb::addPlace(floor, QStringLiteral("01"), 1);
    const qint32 doubleFree = PlanDb::addPlace(floor, QStringLiteral("02"), 2);
    const qint32 doubleTaken = PlanDb::addPlace(floor, QStringLiteral("03"), 2);
    PlanDb::addBooking(single, 1, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 13));
    PlanDb::addBooking(doubleTaken, 1, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 13));
    request.categoryId = 2;
    request.categoryName = QStringLiteral("Doppelzimmer");

    const FloorPlan plan = BuildFloorPlan(request, roomTypes);
    ASSERT_EQ(plan.markers.size(), 2u);
    EXPECT_EQ(markerOf(plan, doubleFree).colour, MarkerFreeColor);
    EXPECT_EQ(markerOf(plan, doubleTaken).colour, MarkerOccupiedColor);
    EXPECT_EQ(plan.summary, "[Doppelzimmer] : 2 Betten, 1 belegt (50%), 1 frei (50%)");
}

TEST_F(FloorPlanView, CategoryColoursReplaceOccupancyAndAnUnknownCategoryIsDrawnAsNone)
{
    const qint32 single = PlanDb::addPlace(floor, QStringLiteral("01"), 1);
    const qint32 unknown = PlanDb::addPlace(floor, QStringLiteral("02"), 9);
    const qint32 untyped = PlanDb::addPlace(floor, QStringLiteral("03"), 0);
    const qint32 disabled = PlanDb::addPlace(floor, QStringLiteral("04"), 2, 0, 0, true);
    PlanDb::addBooking(untyped, 1, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 13));
    request.categoryColours = true;

    const FloorPlan plan = BuildFloorPlan(request, roomTypes);
    EXPECT_EQ(markerOf(plan, single).colour, 0x123456);
    EXPECT_EQ(markerOf(plan, unknown).colour, MarkerFreeColor);
    EXPECT_EQ(markerOf(plan, untyped).colour, MarkerFreeColor);
    EXPECT_EQ(markerOf(plan, disabled).colour, MarkerDisabledColor);
    EXPECT_EQ(plan.summary, "");
}

TEST_F(FloorPlanView, MarkersKeepTheirStoredPositionsAndOnlyTheCurrentPlaceIsMarked)
{
    const qint32 first = PlanDb::addPlace(floor, QStringLiteral("Linde"), 0, 300, 450);
    const qint32 second = PlanDb::addPlace(floor, QStringLiteral("Eiche"));
    Db->execute(QStringLiteral("UPDATE tbl_places SET pl_x1 = NULL, pl_y1 = NULL WHERE pl_id = ?"), {second});
    const qint32 elsewhere =
        PlanDb::addPlace(PlanDb::addFloor(PlanDb::lastId("tbl_buildings"), 1, QStringLiteral("OG")), QStringLiteral("Ulme"));

    request.currentPlaceId = second;
    FloorPlan plan = BuildFloorPlan(request, roomTypes);
    ASSERT_EQ(plan.markers.size(), 2u);
    EXPECT_EQ(plan.markers[0].placeId, first);
    EXPECT_EQ(plan.markers[0].x, 300);
    EXPECT_EQ(plan.markers[0].y, 450);
    EXPECT_EQ(plan.markers[0].tooltip, "Linde");
    EXPECT_FALSE(plan.markers[0].marked);
    EXPECT_EQ(plan.markers[1].x, 0);
    EXPECT_EQ(plan.markers[1].y, 0);
    EXPECT_TRUE(plan.markers[1].marked);
    EXPECT_TRUE(plan.currentFound);

    request.currentPlaceId = elsewhere;
    plan = BuildFloorPlan(request, roomTypes);
    EXPECT_FALSE(plan.currentFound);
    for (const PlaceMarker& m : plan.markers)
        EXPECT_FALSE(m.marked);
}

TEST(FloorPlanMarks, TheCurrentPlacesMarkShowsOnEveryColour)
{
    EXPECT_EQ(MarkColourOn(MarkerFreeColor), QColor(Qt::black));
    EXPECT_EQ(MarkColourOn(MarkerOccupiedColor), QColor(Qt::white));
    EXPECT_EQ(MarkColourOn(MarkerDisabledColor), QColor(Qt::white));
    EXPECT_EQ(MarkColourOn(0), QColor(Qt::white)) << "black";
    for (qint32 id = 1; id <= 12; ++id) {
        const QColor back = rt::toQColor(RoomTypeColour(id));
        const QColor mark = MarkColourOn(RoomTypeColour(id));
        // Far enough apart in brightness to read a small X.
        EXPECT_GT(std::abs(qGray(back.rgb()) - qGray(mark.rgb())), 90) << "category " << id;
    }
}
