#include "core/conflicts.h"
#include "core/terms.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/scripted_dialogs.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

rt::Date july(int day, int hour = 12)
{
    return rt::Date::fromParts(2024, 7, day, hour);
}

class BookingConflicts : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;
    qint32 floor = database.addFloor(database.addBuilding(1, QStringLiteral("Haupthaus")), 0);
    qint32 place = database.addPlace(floor);
    qint32 otherPlace = database.addPlace(floor);
};

TEST_F(BookingConflicts, PeriodsTouchingAtNoonDoNotOverlap)
{
    database.addBooking(place, 7, 3, 5);
    EXPECT_FALSE(IsPlaceBooked(place, july(1), july(3), 0));
    EXPECT_FALSE(IsPlaceBooked(place, july(5), july(7), 0));
    EXPECT_FALSE(IsCustomerBooked(7, july(1), july(3), 0));
    EXPECT_TRUE(IsPlaceBooked(place, july(2), july(4), 0));
    EXPECT_TRUE(IsPlaceBooked(place, july(4), july(6), 0));
    EXPECT_TRUE(IsPlaceBooked(place, july(1), july(9), 0));
    EXPECT_TRUE(IsCustomerBooked(7, july(2), july(4), 0));
    EXPECT_FALSE(IsPlaceBooked(otherPlace, july(2), july(4), 0));
}

TEST_F(BookingConflicts, ABookingNeverConflictsWithItself)
{
    const qint32 booking = database.addBooking(place, 7, 3, 5);
    EXPECT_FALSE(IsPlaceBooked(place, july(3), july(5), booking));
    EXPECT_FALSE(IsCustomerBooked(7, july(3), july(5), booking));
    database.addBooking(place, 8, 4, 6);
    EXPECT_TRUE(IsPlaceBooked(place, july(3), july(5), booking));
}

TEST_F(BookingConflicts, ABookingWithoutPersonsBlocksTheGuestButNotThePlace)
{
    database.addBooking(place, 7, 3, 5, 0);
    EXPECT_FALSE(IsPlaceBooked(place, july(3), july(5), 0));
    EXPECT_TRUE(IsCustomerBooked(7, july(3), july(5), 0));
}

TEST_F(BookingConflicts, NoGuestOrPlaceChosenIsNeverBooked)
{
    database.addBooking(place, 0, 3, 5);
    EXPECT_FALSE(IsCustomerBooked(0, july(3), july(5), 0));
    EXPECT_FALSE(IsPlaceBooked(0, july(3), july(5), 0));
}

TEST_F(BookingConflicts, AFailingCountIsNeverFree)
{
    database.exec(QStringLiteral("DROP TABLE tbl_bookings"));
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_TRUE(IsPlaceBooked(place, july(3), july(5), 0));
    EXPECT_TRUE(IsCustomerBooked(7, july(3), july(5), 0));
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

class ConflictFields : public BookingConflicts {
protected:
    QLineEdit start;
    QLineEdit end;
    QLineEdit guest;
    bool guestBooked = false;
    bool placeOccupied = false;

    void check(const QString& from, const QString& to, qint32 customer, qint32 bookId, int mode)
    {
        start.setText(from);
        end.setText(to);
        CheckBookingConflicts(&start, &end, &guest, customer, place, bookId, guestBooked, placeOccupied, mode);
    }
};

TEST_F(ConflictFields, PlaceConflictWinsOverGuestConflict)
{
    database.addBooking(place, 7, 3, 5);
    check(QStringLiteral("04.07.2024"), QStringLiteral("06.07.2024"), 7, 0, CheckGuestAndPlace);
    EXPECT_TRUE(guestBooked);
    EXPECT_TRUE(placeOccupied);
    EXPECT_EQ(BackColor(&start), PlaceOccupiedColor);
    EXPECT_EQ(BackColor(&end), PlaceOccupiedColor);
    EXPECT_EQ(BackColor(&guest), GuestBookedColor);
}

TEST_F(ConflictFields, GuestBookedElsewhereColoursTheDatesOrange)
{
    database.addBooking(otherPlace, 7, 3, 5);
    placeOccupied = true;
    check(QStringLiteral("04.07.2024"), QStringLiteral("06.07.2024"), 7, 0, CheckGuestAndPlace);
    EXPECT_TRUE(guestBooked);
    EXPECT_FALSE(placeOccupied);
    EXPECT_EQ(BackColor(&start), GuestBookedColor);
    EXPECT_EQ(BackColor(&guest), GuestBookedColor);
}

TEST_F(ConflictFields, AnArrivalOnTheDepartureDayIsFree)
{
    database.addBooking(place, 7, 3, 5);
    guestBooked = placeOccupied = true;
    check(QStringLiteral("05.07.2024"), QStringLiteral("08.07.2024"), 7, 0, CheckGuestAndPlace);
    EXPECT_FALSE(guestBooked);
    EXPECT_FALSE(placeOccupied);
    EXPECT_EQ(BackColor(&start), ConflictFreeColor);
    EXPECT_EQ(BackColor(&guest), ConflictFreeColor);
}

TEST_F(ConflictFields, PlaceModeLeavesTheGuestAlone)
{
    database.addBooking(otherPlace, 7, 3, 5);
    SetBackColor(&guest, 0xFFFFFF);
    guestBooked = false;
    check(QStringLiteral("04.07.2024"), QStringLiteral("06.07.2024"), 7, 0, CheckPlace);
    EXPECT_FALSE(guestBooked);
    EXPECT_EQ(BackColor(&guest), 0xFFFFFF);
    EXPECT_EQ(BackColor(&start), ConflictFreeColor);
}

TEST_F(ConflictFields, EditingABookingInPlaceIsFree)
{
    const qint32 booking = database.addBooking(place, 7, 3, 5);
    check(QStringLiteral("03.07.2024"), QStringLiteral("05.07.2024"), 7, booking, CheckGuestAndPlace);
    EXPECT_FALSE(placeOccupied);
    EXPECT_FALSE(guestBooked);
}

TEST_F(ConflictFields, AnInvalidDateChangesNothing)
{
    database.addBooking(place, 7, 3, 5);
    SetBackColor(&start, 0xFFFFFF);
    SetBackColor(&guest, 0xFFFFFF);
    check(QStringLiteral("04.07.2024"), QStringLiteral("morgen"), 7, 0, CheckGuestAndPlace);
    EXPECT_FALSE(guestBooked);
    EXPECT_FALSE(placeOccupied);
    EXPECT_EQ(BackColor(&start), 0xFFFFFF);
    EXPECT_EQ(BackColor(&guest), 0xFFFFFF);
}

TEST_F(BookingConflicts, FloorOccupancyCountsOccupiedPlacesOfThePeriod)
{
    const qint32 disabled = database.addPlace(floor, true);
    database.addBooking(place, 7, 1, 3);
    database.addBooking(place, 8, 3, 5);      // back to back on the same place
    database.addBooking(disabled, 9, 2, 4);   // a disabled place is not counted
    database.addBooking(otherPlace, 9, 2, 4, 0);
    int places = 0;
    int bookings = 0;
    EXPECT_TRUE(GetFloorOccupancy(1, floor, july(2), july(4), places, bookings));
    EXPECT_EQ(places, 2);
    EXPECT_EQ(bookings, 1);

    // An arrival on the period's last day counts, a departure on its first does not.
    database.addBooking(otherPlace, 10, 6, 8);
    EXPECT_FALSE(GetFloorOccupancy(1, floor, july(4), july(6), places, bookings));
    EXPECT_EQ(bookings, 2);
    EXPECT_TRUE(GetFloorOccupancy(1, floor, july(5), july(6), places, bookings));
    EXPECT_EQ(bookings, 1);
    EXPECT_TRUE(GetFloorOccupancy(1, floor, july(8), july(9), places, bookings));
    EXPECT_EQ(bookings, 0);
}

class BookingLookups : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;
};

TEST_F(BookingLookups, VatOfTheDayIncludingThePeriodsFirstAndLastDay)
{
    database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2020#, #12/31/2020#, 16, 5)"));
    database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2021#, #12/31/2021#, 19, 7)"));
    double full = 0;
    double reduced = 0;
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2020, 12, 31, 12), full, reduced));
    EXPECT_EQ(full, 16);
    EXPECT_EQ(reduced, 5);
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2021, 1, 1), full, reduced));
    EXPECT_EQ(full, 19);
    EXPECT_EQ(reduced, 7);
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2020, 1, 1, 23, 59), full, reduced));
    EXPECT_EQ(full, 16);
}

TEST_F(BookingLookups, VatOfADateOutsideEveryPeriodIsReportedAndKeepsTheRates)
{
    database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2020#, #12/31/2020#, 16, 5)"));
    dialogs->answerMessage(ui::Answer::Ok);
    double full = 19;
    double reduced = 7;
    EXPECT_FALSE(GetMehrwertsteuer(rt::Date::fromParts(2019, 12, 31, 12), full, reduced));
    EXPECT_EQ(full, 19);
    EXPECT_EQ(reduced, 7);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler in GetMehrwertsteuer\n")));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
}

TEST_F(BookingLookups, BookingPeriodTextInvoicesNamesAndFloors)
{
    const qint32 building = database.addBuilding(1, QStringLiteral("Haupthaus"));
    const qint32 place = database.addPlace(database.addFloor(building, 1));
    const qint32 booking = database.addBooking(place, 3, 1, 4);
    EXPECT_EQ(GetBookingPeriodText(booking), QStringLiteral("01.07.2024 12:00  -  04.07.2024 12:00  =  3 Tage"));
    EXPECT_EQ(GetBookingPeriodText(booking + 1), QString());

    EXPECT_EQ(GetLastInvoiceIdOfBooking(booking), 0);
    database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_booking_id, inv_customer_id) VALUES (4, %1, 3)").arg(booking));
    database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_booking_id, inv_customer_id) VALUES (9, %1, 3)").arg(booking));
    database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_booking_id, inv_customer_id) VALUES (12, 0, 5)"));
    EXPECT_EQ(GetLastInvoiceIdOfBooking(booking), 9);
    EXPECT_EQ(GetLastInvoiceIdOfCustomer(3), 9);

    database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (3, 'Maier')"));
    EXPECT_EQ(GetCustomerName(QString(), 3), QStringLiteral("Maier"));
    database.exec(QStringLiteral("UPDATE tbl_customers SET cust_firstname = 'Eva' WHERE cust_id = 3"));
    EXPECT_EQ(GetCustomerName(QString(), 3), QStringLiteral("Maier, Eva"));
    EXPECT_EQ(GetCustomerName(QString(), 4), QStringLiteral("Person nicht in der Datenbank gefunden"));

    const qint32 empty = database.addBuilding(1, QStringLiteral("Neubau"));
    EXPECT_EQ(GetFirstFloorId(empty), -1);
    EXPECT_EQ(GetBuildingFloorName(GetFirstFloorId(building), -1), QStringLiteral("Haupthaus / Etage 1"));
    EXPECT_EQ(GetBuildingFloorName(-1, empty), QStringLiteral("Neubau"));
}

}  // namespace
