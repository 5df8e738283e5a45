#include "plan/schedulefill.h"

#include "core/bookings.h"
#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "schedule/usercontrol1.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

rt::Date july(int day, int hour = 12)
{
    return rt::Date::fromParts(2024, 7, day, hour);
}

// Facility 1: "HH" with "EG" (Zimmer 2, Zimmer 1 disabled) and "OG" (Zimmer 3);
// facility 2: one more house with one place.
class Schedule : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        MandantId = 1;
        MaxWeekCols = 0;
        NormalTerminColor = 0xEEEEEE;
        ColorCodes = {QStringLiteral("0"), QStringLiteral("FF"), QStringLiteral("C0FFC0")};
        ColorCount = 2;
        StationReadOnly = false;
        SelectedPeriod = {july(1), july(2)};
        ground = floor(building(1, "HH"), "EG", 0);
        upper = floor(building(1, "HH"), "OG", 1);
        room2 = place(ground, "Zimmer 2");
        room1 = place(ground, "Zimmer 1", true);
        room3 = place(upper, "Zimmer 3");
        elsewhere = place(floor(building(2, "NH"), "EG", 0), "Zimmer 9");
        database.exec("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname) VALUES (815, 'Meier', 'Anna')");
    }

    qint32 lastId(const char* column, const char* table)
    {
        return database.value(QStringLiteral("SELECT Max(%1) FROM %2").arg(column, table)).toLong();
    }
    qint32 building(int mandant, const char* shortName)
    {
        database.exec(QStringLiteral("INSERT INTO tbl_buildings (bld_mandant_id, bld_short) VALUES (%1, '%2')").arg(mandant).arg(shortName));
        return lastId("bld_id", "tbl_buildings");
    }
    qint32 floor(qint32 bld, const char* shortName, int order)
    {
        database.exec(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_short, flr_order) VALUES (%1, '%2', %3)")
                          .arg(bld).arg(shortName).arg(order));
        return lastId("flr_id", "tbl_floors");
    }
    qint32 place(qint32 flr, const char* name, bool disabled = false)
    {
        const qint32 bld = database.value(QStringLiteral("SELECT flr_building_id FROM tbl_floors WHERE flr_id = %1").arg(flr)).toLong();
        database.exec(QStringLiteral("INSERT INTO tbl_places (pl_floor_id, pl_building_id, pl_name, pl_disabled) VALUES (%1, %2, '%3', %4)")
                          .arg(flr).arg(bld).arg(name).arg(disabled ? -1 : 0));
        return lastId("pl_id", "tbl_places");
    }
    qint32 booking(qint32 pl, const rt::Date& from, const rt::Date& to, int persons = 2, int mandant = 1, int colour = 0)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, book_cust_count, "
                                   "book_start, book_end, book_info, book_color_id, book_room_id, book_name) "
                                   "VALUES (?, ?, 815, ?, ?, ?, 'Balkon', ?, 77, 'alt')"),
                    {mandant, pl, persons, from, to, colour});
        return lastId("book_id", "tbl_bookings");
    }
    Booking stored(qint32 id) { return LoadBooking(id).value_or(Booking()); }

    const sched::TimeObjectItem* bar(qint32 id) const
    {
        for (const auto& t : control.model().timeObjects())
            if (t.id == id)
                return &t;
        return nullptr;
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
    UserControl1 control;
    PlanState state;
    qint32 ground = 0, upper = 0, room1 = 0, room2 = 0, room3 = 0, elsewhere = 0;
};

}  // namespace

TEST_F(Schedule, FillShowsTheFacilitysPlacesAndTheirBookingsOfThePeriod)
{
    const qint32 meier = booking(room1, july(3), july(6));
    const qint32 endsAtStart = booking(room2, july(1, 0).addDays(-2), july(1, 0), 0, 1, 2);
    const qint32 otherFacility = booking(room2, july(4), july(8), 2, 2);
    const qint32 earlier = booking(room2, july(1, 0).addDays(-10), july(1, 0).addDays(-5));
    const qint32 unknownColour = booking(room3, july(10), july(12), 1, 1, 99);
    control.resize(900, 300);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));

    // The first fill (tab change) starts at the selected period, with its 12:00.
    EXPECT_EQ(FillSchedule(control, state, -1, -1, rt::Date()), QString());
    EXPECT_EQ(state.PlanStartDate, july(1));
    EXPECT_EQ(control.model().scaleEnd(), july(31));
    // A refresh passes the kept day: now from midnight; MaxWeekCols 0 gives 30 days.
    FillSchedule(control, state, -1, -1, state.PlanStartDate);
    EXPECT_EQ(control.model().scaleStart(), july(1, 0));
    EXPECT_EQ(control.model().scaleEnd(), july(31, 0));

    std::vector<std::tuple<qint32, QString, qint32, int>> rows;
    for (const auto& r : control.model().resources())
        if (r.id > 0)
            rows.emplace_back(r.id, r.name, r.colour, r.position);
    EXPECT_EQ(rows, (std::vector<std::tuple<qint32, QString, qint32, int>>{
                        {room1, "HH\\EG\\ Zimmer 1", 0xC0C0C0, 0},
                        {room2, "HH\\EG\\ Zimmer 2", -1, 1},
                        {room3, "HH\\OG\\ Zimmer 3", -1, 2}}));

    ASSERT_TRUE(bar(meier));
    EXPECT_EQ(bar(meier)->resourceId, room1);
    EXPECT_EQ(bar(meier)->value4, 815);
    const auto& labels = control.model().labels();
    const auto labelOf = [&](qint32 id) { return labels[size_t(bar(id) - &control.model().timeObjects()[0])]; };
    EXPECT_EQ(labelOf(meier).caption, QStringLiteral("Meier, Anna (2) Balkon       |%1|815").arg(meier));
    EXPECT_EQ(labelOf(meier).colour, 0xEEEEEE);
    EXPECT_TRUE(labelOf(meier).visible);
    // Ending at the first shown instant it is still read; colour index 2 of the table.
    ASSERT_TRUE(bar(endsAtStart));
    EXPECT_EQ(labelOf(endsAtStart).colour, 0xC0FFC0);
    EXPECT_EQ(labelOf(unknownColour).colour, 0xEEEEEE);
    EXPECT_FALSE(bar(otherFacility));
    EXPECT_FALSE(bar(earlier));

    // A floor: its places only, building and floor as the caption.
    database.exec(QStringLiteral("UPDATE tbl_buildings SET bld_name = 'Haupthaus'"));
    database.exec(QStringLiteral("UPDATE tbl_floors SET flr_name = 'Obergeschoss' WHERE flr_id = %1").arg(upper));
    EXPECT_EQ(FillSchedule(control, state, upper, -1, july(5, 17)), QStringLiteral("Haupthaus / Obergeschoss"));
    EXPECT_EQ(state.PlanStartDate, july(5, 0));
    EXPECT_TRUE(bar(unknownColour));
    EXPECT_FALSE(bar(meier));
}

TEST_F(Schedule, ARefillLeavesNoInvisibleSelectionForDelete)
{
    const qint32 id = booking(room2, july(2), july(4));
    control.resize(900, 300);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    FillSchedule(control, state, -1, -1, july(1));
    QSignalSpy deleted(&control, &UserControl1::TimeObjectDelete);
    const QRect r = control.model().labels()[size_t(bar(id) - &control.model().timeObjects()[0])].rect;
    QTest::mouseClick(&control, Qt::LeftButton, {}, control.canvasToWidget(r.center()));
    EXPECT_EQ(control.SelectedTermin_ids(), QVector<qint32>{id});

    FillSchedule(control, state, -1, -1, july(1));
    QTest::keyClick(&control, Qt::Key_Delete);
    ASSERT_EQ(deleted.count(), 1);
    test::DialogScope dialogs;   // nothing may be asked
    EXPECT_EQ(DeleteScheduleBookings(deleted.at(0).at(0).value<QVector<qint32>>()), ScheduleOutcome::Nothing);
    EXPECT_TRUE(LoadBooking(id));
}

TEST_F(Schedule, MovesAndCopiesGoByWholeDaysAndKeepNoon)
{
    const qint32 a = booking(room2, july(2), july(4));
    // A frame grabbed at 15:37 and dropped three days on: the rows move three days, at noon.
    ASSERT_EQ(DropBookings({{a}, room2, room2, july(2, 15).addHours(37 / 60.0), july(5), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_start, july(5));
    EXPECT_EQ(stored(a).book_end, july(7));
    EXPECT_GT(stored(a).book_bearb_date.serial(), 0);
    // Only the place: the dates stay.
    ASSERT_EQ(DropBookings({{a}, room2, room3, july(5), july(5), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_place_id, room3);
    EXPECT_EQ(stored(a).book_start, july(5));

    // A copy: one new row with its final values and every column, the source unchanged.
    const int before = database.count("tbl_bookings");
    ASSERT_EQ(DropBookings({{a}, room3, room2, july(5), july(8), true}), ScheduleOutcome::Redraw);
    ASSERT_EQ(database.count("tbl_bookings"), before + 1);
    const Booking copy = stored(lastId("book_id", "tbl_bookings"));
    EXPECT_EQ(copy.book_place_id, room2);
    EXPECT_EQ(copy.book_start, july(8));
    EXPECT_EQ(copy.book_end, july(10));
    EXPECT_EQ(copy.book_customer_id, 815);
    EXPECT_EQ(copy.book_info, "Balkon");
    EXPECT_EQ(copy.book_room_id, 77);
    EXPECT_EQ(copy.book_name, "alt");
    EXPECT_GT(copy.book_bearb_date.serial(), 0);
    EXPECT_EQ(stored(a).book_start, july(5));

    // A source deleted meanwhile copies nothing, and no half-made row of another workstation is taken up.
    database.exec("INSERT INTO tbl_bookings (book_place_id, book_bearb_date) VALUES (1, 0)");
    const qint32 other = lastId("book_id", "tbl_bookings");
    EXPECT_EQ(DropBookings({{9999}, room2, room2, july(5), july(20), true}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(other).book_place_id, 1);
    EXPECT_EQ(stored(other).book_start, rt::Date());
    EXPECT_EQ(database.count("tbl_bookings"), before + 2);
}

TEST_F(Schedule, DropsThatChangeNothingWriteNothing)
{
    const qint32 a = booking(room2, july(2), july(4));
    test::DialogScope dialogs;
    // Beside every row; the same day and place, also with the copy key and an hour apart.
    EXPECT_EQ(DropBookings({{a}, room2, 0, july(2), july(6), false}), ScheduleOutcome::Nothing);
    EXPECT_EQ(DropBookings({{a}, room2, room2, july(2), july(2), true}), ScheduleOutcome::Nothing);
    EXPECT_EQ(DropBookings({{a}, room2, room2, july(2, 18), july(2), true}), ScheduleOutcome::Nothing);
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_EQ(stored(a).book_start, july(2));
    EXPECT_EQ(stored(a).book_bearb_date, rt::Date());
}

TEST_F(Schedule, AnOccupiedPlaceRefusesTheWholeMoveOrCopyWithOneMessage)
{
    const qint32 a = booking(room2, july(2), july(4));
    const qint32 b = booking(room2, july(4), july(6));
    const qint32 blocker = booking(room3, july(9), july(10));
    // Two adjacent bookings together, then one over its own old span: not in their own way.
    ASSERT_EQ(DropBookings({{a, b}, room2, room2, july(2), july(3), false}), ScheduleOutcome::Redraw);
    ASSERT_EQ(DropBookings({{a}, room2, room2, july(3), july(2), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_start, july(2));
    EXPECT_EQ(stored(b).book_end, july(7));

    // b would land on the blocker's night: neither moves, neither is copied.
    const int rows = database.count("tbl_bookings");
    for (bool copy : {false, true}) {
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_EQ(DropBookings({{a, b}, room2, room3, july(5), july(8), copy}), ScheduleOutcome::Refused);
        ASSERT_EQ(dialogs->messages().size(), 1u);
        EXPECT_TRUE(dialogs->lastMessage().text.contains("\"Zimmer 3\" ist im Zeitraum bereits belegt")) << copy;
    }
    EXPECT_EQ(database.count("tbl_bookings"), rows);
    EXPECT_EQ(stored(a).book_place_id, room2);
    EXPECT_EQ(stored(b).book_start, july(5));
    EXPECT_EQ(stored(blocker).book_start, july(9));
    // A copy onto its own source's nights is refused as well.
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DropBookings({{a}, room2, room2, july(4), july(5), true}), ScheduleOutcome::Refused);
}

TEST_F(Schedule, DeleteAsksAndDeletesExactlyTheSelectedBookings)
{
    const qint32 a = booking(room2, july(2), july(4));
    const qint32 b = booking(room2, july(4), july(6));
    const qint32 c = booking(room3, july(4), july(6));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(DeleteScheduleBookings({a, c}), ScheduleOutcome::Nothing);
    EXPECT_EQ(database.count("tbl_bookings"), 3);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteScheduleBookings({a, c}), ScheduleOutcome::Redraw);
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie die merkierten Buchungen wirklich löschen?");
    EXPECT_EQ(dialogs->lastMessage().title, "Buchungen löschen");
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_TRUE(LoadBooking(b));
}

TEST_F(Schedule, AReadOnlyWorkstationChangesNothing)
{
    const qint32 a = booking(room2, july(2), july(4));
    StationReadOnly = true;
    test::DialogScope dialogs;
    for (int i = 0; i < 3; ++i)
        dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DropBookings({{a}, room2, room3, july(2), july(5), false}), ScheduleOutcome::Refused);
    EXPECT_EQ(DropBookings({{a}, room2, room3, july(2), july(5), true}), ScheduleOutcome::Refused);
    EXPECT_EQ(DeleteScheduleBookings({a}), ScheduleOutcome::Refused);
    ASSERT_EQ(dialogs->messages().size(), 3u);
    for (const auto& m : dialogs->messages())
        EXPECT_EQ(m.text, GetResString(390));
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_EQ(stored(a).book_place_id, room2);
    EXPECT_EQ(stored(a).book_start, july(2));
}

TEST(ScheduleRules, ADoubleClickAsksForAtLeastOneNightOnThePlaceUnderTheMouse)
{
    const auto one = ScheduleNewBooking({7}, july(3, 9), july(3, 9));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->placeId, 7);
    EXPECT_EQ(one->startText, "03.07.2024");
    EXPECT_EQ(one->endText, "04.07.2024");
    const auto marked = ScheduleNewBooking({7, 8}, july(3, 9), july(6, 2));
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->endText, "06.07.2024");
    EXPECT_FALSE(ScheduleNewBooking({0}, july(3), july(3)));
    EXPECT_FALSE(ScheduleNewBooking({}, july(3), july(4)));
    EXPECT_EQ(MarkedPeriod(july(3, 2), july(3, 20)), (std::array<rt::Date, 2>{july(3), july(4)}));
}
