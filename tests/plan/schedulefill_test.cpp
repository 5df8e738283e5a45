#include "plan/schedulefill.h"

#include "core/bookings.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/notices.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "schedule/usercontrol1.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/plan/plan_db.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test::PlanDb;

rt::Date july(int day, int hour = 12)
{
    return rt::Date::fromParts(2024, 7, day, hour);
}

// Facility 1: "HH" with "EG" (Zimmer 2, Zimmer 1 disabled) and "OG" (Zimmer 3);
// facility 2: a house with one place. Meier, Anna is customer 1.
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
        const qint32 house = PlanDb::addBuilding(1, QStringLiteral("Haupthaus"));
        ground = PlanDb::addFloor(house, 0, QStringLiteral("Erdgeschoss"));
        upper = PlanDb::addFloor(house, 1, QStringLiteral("Obergeschoss"));
        room2 = PlanDb::addPlace(ground, QStringLiteral("Zimmer 2"));
        room1 = PlanDb::addPlace(ground, QStringLiteral("Zimmer 1"), 0, 0, 0, true);
        room3 = PlanDb::addPlace(upper, QStringLiteral("Zimmer 3"));
        PlanDb::addPlace(PlanDb::addFloor(PlanDb::addBuilding(2, QStringLiteral("NH")), 0, QStringLiteral("EG")), "9");
        database.exec("UPDATE tbl_buildings SET bld_short = 'HH' WHERE bld_mandant_id = 1");
        database.exec("UPDATE tbl_floors SET flr_short = 'EG'");
        database.exec(QStringLiteral("UPDATE tbl_floors SET flr_short = 'OG' WHERE flr_id = %1").arg(upper));
        database.exec("UPDATE tbl_places SET pl_building_id = (SELECT flr_building_id FROM tbl_floors WHERE flr_id = pl_floor_id)");
        PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna"));
    }

    // Every booking carries the note "Balkon" and two older columns a copy must keep.
    qint32 booking(qint32 place, const rt::Date& from, const rt::Date& to, int persons = 2, int mandant = 1, int colour = 0)
    {
        const qint32 id = PlanDb::addBooking(place, 1, from, to, persons, mandant);
        Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_info = 'Balkon', book_color_id = ?, book_room_id = 77, "
                                   "book_name = 'alt' WHERE book_id = ?"),
                    {colour, id});
        return id;
    }
    Booking stored(qint32 id) { return LoadBooking(id).value_or(Booking()); }
    // A drag over the schedule as it shows the bookings now.
    ScheduleOutcome drop(const ScheduleDrop& d)
    {
        FillSchedule(control, state, -1, -1, july(1));
        return DropBookings(d, state.ScheduleDrawn);
    }
    qint32 newest() { return PlanDb::lastId(QStringLiteral("tbl_bookings")); }
    // The bar of booking id and its label; null when the schedule does not hold it.
    const sched::TimeObjectLabel* label(qint32 id) const
    {
        const auto& items = control.model().timeObjects();
        for (size_t i = 1; i < items.size(); ++i)
            if (items[i].id == id)
                return &control.model().labels()[i];
        return nullptr;
    }
    void showControl()
    {
        control.resize(900, 300);
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    }

    test::GlobalsScope globals;
    PlanDb database;
    UserControl1 control;
    PlanState state;
    qint32 ground = 0, upper = 0, room1 = 0, room2 = 0, room3 = 0;
};

}  // namespace

TEST_F(Schedule, FillShowsTheFacilitysPlacesAndTheirBookingsOfThePeriod)
{
    const qint32 meier = booking(room1, july(3), july(6));
    const qint32 endsAtStart = booking(room2, july(1, 0).addDays(-2), july(1, 0), 0, 1, 2);
    const qint32 otherFacility = booking(room2, july(4), july(8), 2, 2);
    const qint32 earlier = booking(room2, july(1, 0).addDays(-10), july(1, 0).addDays(-5));
    const qint32 unknownColour = booking(room3, july(10), july(12), 1, 1, 99);
    const qint32 noEnd = booking(room3, july(4), july(6));
    Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_end = 'offen' WHERE book_id = ?"), {noEnd});
    showControl();

    // The first fill (tab change) starts at the selected period, with its 12:00;
    // a refresh passes the kept day and starts at midnight. MaxWeekCols 0: 30 days.
    EXPECT_EQ(FillSchedule(control, state, -1, -1, rt::Date()), QString());
    EXPECT_EQ(control.model().scaleStart(), july(1));
    FillSchedule(control, state, -1, -1, state.PlanStartDate);
    EXPECT_EQ(control.model().scaleStart(), july(1, 0));
    EXPECT_EQ(control.model().scaleEnd(), july(31, 0));

    std::vector<std::tuple<qint32, QString, qint32, int>> rows;
    for (const auto& r : control.model().resources())
        if (r.id > 0)
            rows.emplace_back(r.id, r.name, r.colour, r.position);
    EXPECT_EQ(rows, (std::vector<std::tuple<qint32, QString, qint32, int>>{{room1, "HH\\EG\\ Zimmer 1", 0xC0C0C0, 0},
                                                                          {room2, "HH\\EG\\ Zimmer 2", -1, 1},
                                                                          {room3, "HH\\OG\\ Zimmer 3", -1, 2}}));
    ASSERT_TRUE(label(meier));
    // The ids are the bar's data; none of them shows in its text.
    EXPECT_EQ(label(meier)->caption, QStringLiteral("Meier, Anna (2) Balkon"));
    const auto& objects = control.model().timeObjects();
    const auto meierObject = std::find_if(objects.begin(), objects.end(), [&](const auto& t) { return t.id == meier; });
    ASSERT_NE(meierObject, objects.end());
    EXPECT_EQ(meierObject->value4, 1);
    EXPECT_EQ(label(meier)->colour, 0xEEEEEE);
    // Ending at the first shown instant it is still read; colour index 2 of the table.
    ASSERT_TRUE(label(endsAtStart));
    EXPECT_EQ(label(endsAtStart)->colour, 0xC0FFC0);
    EXPECT_EQ(label(unknownColour)->colour, 0xEEEEEE);
    EXPECT_FALSE(label(otherFacility));
    EXPECT_FALSE(label(earlier));
    EXPECT_TRUE(label(noEnd));   // a period nobody can read: drawn over every day shown

    // A floor: its places only, building and floor as the caption.
    EXPECT_EQ(FillSchedule(control, state, upper, -1, july(5, 17)), QStringLiteral("Haupthaus / Obergeschoss"));
    EXPECT_EQ(state.PlanStartDate, july(5, 0));
    EXPECT_TRUE(label(unknownColour));
    EXPECT_FALSE(label(meier));
}

TEST_F(Schedule, ARefillLeavesNoInvisibleSelectionForDelete)
{
    const qint32 id = booking(room2, july(2), july(4));
    showControl();
    FillSchedule(control, state, -1, -1, july(1));
    QSignalSpy deleted(&control, &UserControl1::TimeObjectDelete);
    QTest::mouseClick(&control, Qt::LeftButton, {}, control.canvasToWidget(label(id)->rect.center()));
    EXPECT_EQ(control.SelectedTermin_ids(), QVector<qint32>{id});

    FillSchedule(control, state, -1, -1, july(1));
    QTest::keyClick(&control, Qt::Key_Delete);
    ASSERT_EQ(deleted.count(), 1);
    test::DialogScope dialogs;   // nothing may be asked
    EXPECT_EQ(DeleteScheduleBookings(deleted.at(0).at(0).value<QVector<qint32>>(), state.ScheduleDrawn), ScheduleOutcome::Nothing);
    EXPECT_TRUE(LoadBooking(id));
}

TEST_F(Schedule, MovesAndCopiesGoByWholeDaysAndKeepNoon)
{
    const qint32 a = booking(room2, july(2), july(4));
    // A frame grabbed at 15:37 and dropped three days on: the rows move three days, at noon.
    ASSERT_EQ(drop({{a}, room2, room2, july(2, 15).addHours(37 / 60.0), july(5), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_start, july(5));
    EXPECT_EQ(stored(a).book_end, july(7));
    EXPECT_GT(stored(a).book_bearb_date.serial(), 0);
    // Only the place: the dates stay.
    ASSERT_EQ(drop({{a}, room2, room3, july(5), july(5), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_place_id, room3);
    EXPECT_EQ(stored(a).book_start, july(5));

    // A copy: one new row with its final values and every column, the source unchanged.
    const int before = database.count("tbl_bookings");
    ASSERT_EQ(drop({{a}, room3, room2, july(5), july(8), true}), ScheduleOutcome::Redraw);
    ASSERT_EQ(database.count("tbl_bookings"), before + 1);
    const Booking copy = stored(newest());
    EXPECT_EQ(copy.book_place_id, room2);
    EXPECT_EQ(copy.book_start, july(8));
    EXPECT_EQ(copy.book_end, july(10));
    EXPECT_EQ(copy.book_customer_id, 1);
    EXPECT_EQ(copy.book_info, "Balkon");
    EXPECT_EQ(copy.book_room_id, 77);
    EXPECT_EQ(copy.book_name, "alt");
    EXPECT_GT(copy.book_bearb_date.serial(), 0);
    EXPECT_EQ(stored(a).book_start, july(5));

    // A source deleted meanwhile copies nothing, and no half-made row of another workstation is taken up.
    database.exec("INSERT INTO tbl_bookings (book_place_id, book_bearb_date) VALUES (1, 0)");
    const qint32 other = newest();
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(drop({{9999}, room2, room2, july(5), july(20), true}), ScheduleOutcome::Redraw);
    EXPECT_EQ(dialogs->lastMessage().text, "Die Reservierung 9999 wurde inzwischen an einem anderen Arbeitsplatz "
                                           "gelöscht. Der Belegungsplan zeigt jetzt, was gespeichert ist.");
    EXPECT_EQ(stored(other).book_place_id, 1);
    EXPECT_EQ(stored(other).book_start, rt::Date());
    EXPECT_EQ(database.count("tbl_bookings"), before + 2);
}

TEST_F(Schedule, DropsThatChangeNothingWriteNothing)
{
    const qint32 a = booking(room2, july(2), july(4));
    test::DialogScope dialogs;
    // Beside every row; the same day and place, also with the copy key and an hour apart.
    EXPECT_EQ(drop({{a}, room2, 0, july(2), july(6), false}), ScheduleOutcome::Nothing);
    EXPECT_EQ(drop({{a}, room2, room2, july(2), july(2), true}), ScheduleOutcome::Nothing);
    EXPECT_EQ(drop({{a}, room2, room2, july(2, 18), july(2), true}), ScheduleOutcome::Nothing);
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
    ASSERT_EQ(drop({{a, b}, room2, room2, july(2), july(3), false}), ScheduleOutcome::Redraw);
    ASSERT_EQ(drop({{a}, room2, room2, july(3), july(2), false}), ScheduleOutcome::Redraw);
    EXPECT_EQ(stored(a).book_start, july(2));
    EXPECT_EQ(stored(b).book_end, july(7));

    // b would land on the blocker's night: neither moves, neither is copied.
    const int rows = database.count("tbl_bookings");
    for (bool copy : {false, true}) {
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_EQ(drop({{a, b}, room2, room3, july(5), july(8), copy}), ScheduleOutcome::Refused);
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
    EXPECT_EQ(drop({{a}, room2, room2, july(4), july(5), true}), ScheduleOutcome::Refused);
}

TEST_F(Schedule, ADropOnAPlaceOrWithAGuestDeletedElsewhereChangesNothing)
{
    TermPlaceSingular = QStringLiteral("Zimmer");
    TermPersonSingular = QStringLiteral("Gast");
    const qint32 a = booking(room2, july(2), july(4));
    database.exec(QStringLiteral("DELETE FROM tbl_places WHERE pl_id = %1").arg(room3));   // another workstation
    for (bool copy : {false, true}) {
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_EQ(drop({{a}, room2, room3, july(2), july(8), copy}), ScheduleOutcome::Redraw);
        EXPECT_EQ(dialogs->lastMessage().text,
                  QStringLiteral("Die Buchung kann nicht %1 werden: Zimmer Nr. %2 wurde inzwischen an einem anderen "
                                 "Arbeitsplatz gelöscht.\n\nEs wurde nichts geändert.")
                      .arg(copy ? "kopiert" : "verschoben")
                      .arg(room3));
    }
    // A guest can only be gone from an old booking: it is moved no more.
    database.exec("UPDATE tbl_bookings SET book_customer_id = 5");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(drop({{a}, room2, room2, july(2), july(9), false}), ScheduleOutcome::Redraw);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("der Gast Nr. 5 wurde inzwischen"));
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_EQ(stored(a).book_place_id, room2);
    EXPECT_EQ(stored(a).book_start, july(2));
}

// Station A changes a booking after B's schedule drew it; B drags the old
// bars. What is stored is named and nothing is written.
TEST_F(Schedule, ADragOfABarChangedAtAnotherStationNamesWhatIsStoredNowAndWritesNothing)
{
    TermPlaceSingular = QStringLiteral("Zimmer");
    test::OtherStation other{database.path()};
    const qint32 a = booking(room2, july(6), july(11));
    const qint32 b = booking(room3, july(6), july(11));
    const QString named = QStringLiteral("Die Reservierung %1 für \"Anna Meier\" wurde inzwischen an anderer Stelle "
                                         "geändert: %2. ").arg(a);
    const QString tail = QStringLiteral("Sie wurde nicht %1; der Belegungsplan zeigt sie jetzt, wie sie gespeichert ist.");
    const std::vector<std::tuple<QString, ScheduleDrop, QString>> cases{
        {QStringLiteral("book_place_id = %1").arg(room3), {{a}, room2, room1, july(7), july(7), false},
         named.arg("Zimmer jetzt \"Zimmer 3\"") + tail.arg("verschoben")},
        {"book_start = #07/20/2024 12:00:00#, book_end = #07/25/2024 12:00:00#", {{a}, room2, room1, july(7), july(9), true},
         named.arg("Zeitraum jetzt 20.07.2024 – 25.07.2024") + tail.arg("kopiert")},
        {"book_end = #07/12/2024 12:00:00#", {{a, b}, room2, room2, july(7), july(9), false},
         named.arg("Zeitraum jetzt 06.07.2024 – 12.07.2024") + "Keine der markierten Reservierungen wurde verschoben; "
                                                               "der Belegungsplan zeigt sie jetzt, wie sie gespeichert sind."},
    };
    for (const auto& [set, drop, message] : cases) {
        SCOPED_TRACE(set.toStdString());
        Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_place_id = ?, book_start = ?, book_end = ? WHERE book_id = ?"),
                    {room2, july(6), july(11), a});
        FillSchedule(control, state, -1, -1, july(1));
        other.exec(QStringLiteral("UPDATE tbl_bookings SET %1 WHERE book_id = ?").arg(set), {a});
        const std::optional<RowValues> storedA = ReadBookingRow(a);
        const std::optional<RowValues> storedB = ReadBookingRow(b);
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_EQ(DropBookings(drop, state.ScheduleDrawn), ScheduleOutcome::Redraw);
        EXPECT_EQ(dialogs->lastMessage().text, message);
        EXPECT_EQ(ReadBookingRow(a), storedA);
        EXPECT_EQ(ReadBookingRow(b), storedB);
        EXPECT_EQ(database.count("tbl_bookings"), 2);
    }
}

TEST_F(Schedule, ABookingWhosePeriodCannotBeReadIsDrawnOverEveryDayShownAndNamedWhenItRefusesADrop)
{
    TermPlaceSingular = QStringLiteral("Zimmer");
    const qint32 damaged = booking(room2, july(3), july(6));
    const qint32 guest = booking(room3, july(10), july(12));
    const qint32 withoutPersons = booking(room3, july(3), july(6), 0);
    const qint32 ofFacility2 = booking(room3, july(3), july(6), 2, 2);
    database.exec("UPDATE tbl_bookings SET book_start = 'Ostern' WHERE book_id <> " + QString::number(guest));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    FillSchedule(control, state, -1, -1, july(1));
    ASSERT_TRUE(label(damaged));
    EXPECT_EQ(label(damaged)->caption,
              QStringLiteral("Reservierung %1 mit ungültigem Anreisedatum: Meier, Anna (2) Balkon").arg(damaged));
    const auto bar = std::find_if(control.model().timeObjects().begin(), control.model().timeObjects().end(),
                                  [&](const auto& t) { return t.id == damaged; });
    EXPECT_EQ(std::tuple(bar->resourceId, bar->start, bar->end),
              std::tuple(room2, std::optional(control.model().scaleStart()), std::optional(control.model().scaleEnd())));
    EXPECT_FALSE(label(withoutPersons) || label(ofFacility2));
    // Named once, as the other views name it.
    const QString name = QStringLiteral("Die Reservierung %1 für \"Anna Meier\" in \"Zimmer 2\" hat ein ungültiges "
                                        "Anreisedatum").arg(damaged);
    EXPECT_EQ(TellNotices(), 1);
    EXPECT_EQ(dialogs->lastMessage().text, name + ". Bitte geben Sie es im Buchungsfenster neu ein.");
    FillSchedule(control, state, -1, -1, july(1));
    EXPECT_EQ(TellNotices(), 0);

    // A drop onto its place names it; its own bar cannot be shifted.
    const QString why = name + QStringLiteral(" und belegt deshalb ihren Platz in jedem Zeitraum. Bitte geben Sie das "
                                              "Datum dieser Reservierung im Buchungsfenster neu ein.");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DropBookings({{guest}, room3, room2, july(10), july(10), false}, state.ScheduleDrawn),
              ScheduleOutcome::Refused);
    EXPECT_EQ(dialogs->lastMessage().text, "Die Buchung kann nicht verschoben werden: Zimmer \"Zimmer 2\" ist im "
                                           "Zeitraum bereits belegt.\n\n" + why + "\n\nEs wurde nichts geändert.");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DropBookings({{damaged}, room2, room2, july(4), july(6), true}, state.ScheduleDrawn),
              ScheduleOutcome::Refused);
    EXPECT_EQ(dialogs->lastMessage().text, "Die Buchung kann nicht kopiert werden.\n\n" + why +
                                               "\n\nEs wurde nichts geändert.");
    EXPECT_EQ(stored(guest).book_place_id, room3);
    EXPECT_EQ(database.count("tbl_bookings"), 4);
}

TEST_F(Schedule, DeleteAsksAndDeletesExactlyTheSelectedBookings)
{
    const qint32 a = booking(room2, july(2), july(4));
    const qint32 b = booking(room2, july(4), july(6));
    const qint32 c = booking(room3, july(4), july(6));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(DeleteScheduleBookings({a, c}, state.ScheduleDrawn), ScheduleOutcome::Nothing);
    EXPECT_EQ(database.count("tbl_bookings"), 3);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteScheduleBookings({a, c}, state.ScheduleDrawn), ScheduleOutcome::Redraw);
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie die merkierten Buchungen wirklich löschen?");
    EXPECT_EQ(dialogs->lastMessage().title, "Buchungen löschen");
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_TRUE(LoadBooking(b));

    // One of those marked was deleted meanwhile: the other goes, and that is said.
    const qint32 d = booking(room3, july(8), july(9));
    database.exec(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = %1").arg(b));
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteScheduleBookings({b, d}, state.ScheduleDrawn), ScheduleOutcome::Redraw);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Buchung %1 wurde inzwischen an einem anderen Arbeitsplatz "
                                                          "gelöscht; die übrigen sind nun gelöscht.").arg(b));
    EXPECT_EQ(database.count("tbl_bookings"), 0);
}

TEST_F(Schedule, AReadOnlyWorkstationChangesNothing)
{
    const qint32 a = booking(room2, july(2), july(4));
    StationReadOnly = true;
    test::DialogScope dialogs;
    for (int i = 0; i < 3; ++i)
        dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(drop({{a}, room2, room3, july(2), july(5), false}), ScheduleOutcome::Refused);
    EXPECT_EQ(drop({{a}, room2, room3, july(2), july(5), true}), ScheduleOutcome::Refused);
    EXPECT_EQ(DeleteScheduleBookings({a}, state.ScheduleDrawn), ScheduleOutcome::Refused);
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
