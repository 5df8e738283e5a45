#include "core/conflicts.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
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
    const qint32 booking = database.addBooking(place, 7, 3, 5);
    EXPECT_FALSE(IsPlaceBooked(place, july(1), july(3), 0));
    EXPECT_FALSE(IsPlaceBooked(place, july(5), july(7), 0));
    EXPECT_FALSE(IsCustomerBooked(7, july(1), july(3), 0));
    EXPECT_TRUE(IsPlaceBooked(place, july(2), july(4), 0));
    EXPECT_TRUE(IsPlaceBooked(place, july(4), july(9), 0));
    EXPECT_TRUE(IsCustomerBooked(7, july(2), july(4), 0));
    EXPECT_FALSE(IsPlaceBooked(otherPlace, july(2), july(4), 0));
    // The booking being edited is no conflict with itself, but others are.
    EXPECT_FALSE(IsPlaceBooked(place, july(3), july(5), booking));
    EXPECT_FALSE(IsCustomerBooked(7, july(3), july(5), booking));
    database.addBooking(place, 8, 4, 6);
    EXPECT_TRUE(IsPlaceBooked(place, july(3), july(5), booking));
}

TEST_F(BookingConflicts, NoPersonsBlockTheGuestButNotThePlace)
{
    database.addBooking(place, 7, 3, 5, 0);
    EXPECT_FALSE(IsPlaceBooked(place, july(3), july(5), 0));
    EXPECT_TRUE(IsCustomerBooked(7, july(3), july(5), 0));
    EXPECT_FALSE(IsCustomerBooked(0, july(3), july(5), 0));
}

// A file another station holds past the wait: the count answers neither
// free nor booked, and the fields claim neither.
TEST_F(BookingConflicts, ACountThatCannotBeMadeIsNeitherFreeNorBooked)
{
    std::unique_ptr<db::Database> station = db::Database::open(Db->path());
    station->execute(QStringLiteral("BEGIN EXCLUSIVE;"));
    EXPECT_THROW(IsCustomerBooked(7, july(3), july(5), 0), db::DbError);
    QLineEdit start(QStringLiteral("03.07.2024"));
    QLineEdit end(QStringLiteral("05.07.2024"));
    bool booked = false;
    dialogs->answerMessage(ui::Answer::Ok);
    CheckBookingConflicts(&start, &end, nullptr, 7, place, 0, booked, booked, CheckGuestAndPlace);
    station->execute(QStringLiteral("COMMIT;"));
    EXPECT_EQ(dialogs->lastMessage().text, "Es konnte nicht geprüft werden, ob sich die Reservierung mit anderen Buchungen "
                                           "überschneidet:\nDie Datenbank ist gerade an einem anderen Arbeitsplatz gesperrt.\n\n"
                                           "Beim Speichern wird erneut geprüft.");
    EXPECT_NE(BackColor(&start), PlaceOccupiedColor);
}

TEST_F(BookingConflicts, FieldsShowGuestElsewhereAndOccupiedPlace)
{
    QLineEdit start(QStringLiteral("04.07.2024"));
    QLineEdit end(QStringLiteral("06.07.2024"));
    QLineEdit guest;
    bool guestBooked = false;
    bool placeOccupied = true;
    database.addBooking(otherPlace, 7, 3, 5);
    CheckBookingConflicts(&start, &end, &guest, 7, place, 0, guestBooked, placeOccupied, CheckGuestAndPlace);
    EXPECT_TRUE(guestBooked);
    EXPECT_FALSE(placeOccupied);
    EXPECT_EQ(BackColor(&start), GuestBookedColor);
    EXPECT_EQ(BackColor(&guest), GuestBookedColor);

    // A place conflict wins; the place mode leaves the guest alone.
    database.addBooking(place, 8, 5, 6);
    SetBackColor(&guest, 0xFFFFFF);
    guestBooked = false;
    CheckBookingConflicts(&start, &end, &guest, 7, place, 0, guestBooked, placeOccupied, CheckPlace);
    EXPECT_FALSE(guestBooked);
    EXPECT_TRUE(placeOccupied);
    EXPECT_EQ(BackColor(&end), PlaceOccupiedColor);
    EXPECT_EQ(BackColor(&guest), 0xFFFFFF);

    // An arrival on the departure day is free.
    start.setText(QStringLiteral("06.07.2024"));
    end.setText(QStringLiteral("08.07.2024"));
    CheckBookingConflicts(&start, &end, &guest, 7, place, 0, guestBooked, placeOccupied, CheckGuestAndPlace);
    EXPECT_FALSE(guestBooked || placeOccupied);
    EXPECT_EQ(BackColor(&start), ConflictFreeColor);
    EXPECT_EQ(BackColor(&guest), ConflictFreeColor);

    // No date: nothing changes.
    start.setText(QStringLiteral("gestern"));
    end.setText(QStringLiteral("06.07.2024"));
    CheckBookingConflicts(&start, &end, &guest, 7, place, 0, guestBooked, placeOccupied, CheckGuestAndPlace);
    EXPECT_FALSE(guestBooked || placeOccupied);
    EXPECT_EQ(BackColor(&start), ConflictFreeColor);
}

TEST_F(BookingConflicts, FloorOccupancyCountsOccupiedPlacesOfThePeriod)
{
    database.addBooking(place, 7, 1, 3);
    database.addBooking(place, 8, 3, 5);                            // back to back on one place
    database.addBooking(database.addPlace(floor, true), 9, 2, 4);   // disabled
    database.addBooking(otherPlace, 9, 2, 4, 0);                    // no persons
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
}

TEST_F(BookingConflicts, NeitherAPeriodNorAPersonsCountThatCannotBeReadLeavesThePlaceFree)
{
    const qint32 damaged = database.addBooking(place, 7, 3, 5);
    Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_start = 'bald' WHERE book_id = ?"), {damaged});
    EXPECT_TRUE(IsPlaceBooked(place, july(20), july(22), 0));
    EXPECT_FALSE(IsPlaceBooked(place, july(20), july(22), damaged));   // not against itself
    Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_cust_count = NULL WHERE book_id = ?"),
                {database.addBooking(otherPlace, 8, 10, 12)});
    EXPECT_TRUE(IsPlaceBooked(otherPlace, july(11), july(13), 0));
    int places = 0;
    int bookings = 0;
    EXPECT_FALSE(GetFloorOccupancy(1, floor, july(11), july(13), places, bookings));
    EXPECT_EQ(bookings, 2);
}

TEST_F(BookingConflicts, VatOfTheDayFromTheFirstToTheLastDayOfItsPeriod)
{
    Db->execute(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2020#, #12/31/2020#, 16, 5), (#01/01/2021#, #12/31/2021#, 19, 7)"));
    std::optional<double> full = 0.0;
    std::optional<double> reduced = 0.0;
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2020, 12, 31, 12), full, reduced));
    EXPECT_EQ(full, 16);
    EXPECT_EQ(reduced, 5);
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2021, 1, 1), full, reduced));
    EXPECT_EQ(full, 19);
    EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2020, 1, 1, 23, 59), full, reduced));
    EXPECT_EQ(full, 16);

    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(GetMehrwertsteuer(rt::Date::fromParts(2019, 12, 31, 12), full, reduced));
    EXPECT_EQ(full, 16);
    EXPECT_EQ(reduced, 5);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler in GetMehrwertsteuer\n")));

    // What another tool stored: read as it is, or not at all, never as 0.
    const std::vector<std::pair<const char*, std::optional<double>>> stored{
        {"'19 %'", std::nullopt}, {"NULL", std::nullopt}, {"300", std::nullopt}, {"-1", std::nullopt}, {"7.5", 7.5}, {"0", 0.0}};
    for (const auto& [value, read] : stored) {
        Db->execute(QStringLiteral("UPDATE tbl_vat SET vat_reduced = %1").arg(QString::fromLatin1(value)));
        EXPECT_TRUE(GetMehrwertsteuer(rt::Date::fromParts(2021, 5, 1), full, reduced)) << value;
        EXPECT_EQ(reduced, read) << value;
        EXPECT_EQ(full, 19);
    }

    // A period whose dates cannot be read, or that ends before it starts,
    // covers no day: the rates stay the caller's.
    const std::vector<std::pair<const char*, const char*>> periods{{"'01.01.2021'", "#12/31/2021#"},
                                                                   {"#01/01/2021#", "'31.12.2021'"},
                                                                   {"NULL", "#12/31/2021#"},
                                                                   {"#01/01/2021#", "99999999"},
                                                                   {"#12/31/2021#", "#01/01/2021#"}};
    for (const auto& [start, end] : periods) {
        Db->execute(QStringLiteral("UPDATE tbl_vat SET vat_date_start = %1, vat_date_end = %2, vat_reduced = 7 WHERE vat_full = 19")
                        .arg(QString::fromLatin1(start), QString::fromLatin1(end)));
        full = 1.0;
        reduced = 2.0;
        EXPECT_FALSE(LookupMehrwertsteuer(rt::Date::fromParts(2021, 5, 1), full, reduced)) << start << end;
        EXPECT_EQ(full, 1.0);
        EXPECT_EQ(reduced, 2.0);
    }
}

TEST_F(BookingConflicts, PeriodTextAndLatestInvoice)
{
    const qint32 booking = database.addBooking(place, 3, 1, 4);
    EXPECT_EQ(GetBookingPeriodText(booking), QStringLiteral("01.07.2024 12:00  -  04.07.2024 12:00  =  3 Tage"));
    EXPECT_EQ(GetBookingPeriodText(booking + 1), QString());
    EXPECT_EQ(GetLastInvoiceIdOfBooking(booking), 0);
    Db->execute(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_booking_id, inv_customer_id) VALUES (4, %1, 3), "
                               "(9, %1, 3), (12, 0, 5)")
                    .arg(booking));
    EXPECT_EQ(GetLastInvoiceIdOfBooking(booking), 9);
    EXPECT_EQ(GetLastInvoiceIdOfCustomer(3), 9);
}

}  // namespace
