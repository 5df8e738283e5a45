#include "bookings/bookingeditor.h"

#include "core/customers.h"
#include "core/places.h"
#include "core/terms.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/workstations.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

class NoList : public BookingListHost {
public:
    void ShowBookings(const QString&, qint32, qint32, bool, int) override {}
    void SetCaption(const QString&) override {}
    void RemoveFromList(qint32) override {}
    void SelectBookingInList(qint32) override {}
};

}  // namespace

// One workstation saves a booking in the booking editor while another deletes
// its guest (even rounds) or its place (odd rounds) at the same moment. Each
// round ends with the booking and what it names, or with neither and the
// editor's message; never a booking naming a row that is gone.
TEST(BookingRace, ABookingRacingTheDeleteOfItsGuestOrPlaceNeverPointsNowhere)
{
    test::BookingDb db;
    constexpr int Rounds = 80;
    std::vector<qint32> guests;
    std::vector<qint32> places;
    std::vector<QString> placeTexts;
    for (int i = 0; i < Rounds; ++i) {
        guests.push_back(db.addGuest(QStringLiteral("Gast"), QStringLiteral("Nr%1").arg(i)));
        places.push_back(db.addPlace(db.floor, QStringLiteral("Zimmer %1").arg(i + 10)));
        placeTexts.push_back(QStringLiteral("Haupthaus \\ Erdgeschoss \\ Zimmer %1").arg(i + 10));
    }

    NoList list;
    std::unique_ptr<BookingEditor> editor;
    test::Station booking;
    booking.answer = ui::Answer::No;   // no other guest chosen
    booking.setUp = [&] {
        editor = std::make_unique<BookingEditor>(list);
        editor->FillRoomList(-1);
    };
    booking.prepare = [&](int i, QStringList&) {
        editor->NewBooking();
        editor->PlaceChosen(places[static_cast<size_t>(i)]);
        editor->fields().tbBuchungDatum = {db.dayText(10), db.dayText(12)};
        editor->AddMainAdress(guests[static_cast<size_t>(i)], QString());
    };
    booking.run = [&](int, QStringList& report) {
        if (editor->SaveBooking())
            report << QStringLiteral("gespeichert");
    };
    test::Station deleting;
    deleting.run = [&](int i, QStringList& report) {
        const size_t n = static_cast<size_t>(i);
        const bool deleted = i % 2 == 0 ? test::DeleteCustomer(guests[n]) == CustomerDeleteResult::Deleted
                                        : test::DeleteResource(ResourceKind::Place, places[n]).result
                                              == ResourceDeleteOutcome::Result::Deleted;
        report << (deleted ? QStringLiteral("gelöscht") : QStringLiteral("abgelehnt"));
    };

    const std::vector<test::StationResult> results = test::RunStations(db.database.path(), Rounds, {booking, deleting});
    ASSERT_EQ(results[0].exitCode, 0) << results[0].report.join('\n').toStdString();
    ASSERT_EQ(results[1].exitCode, 0) << results[1].report.join('\n').toStdString();

    const QStringList& saved = results[0].report;
    const int stored = static_cast<int>(saved.count(QStringLiteral("gespeichert")));
    int guestRefused = 0;
    int placeRefused = 0;
    for (const QString& line : saved) {
        if (line == QStringLiteral("gespeichert"))
            continue;
        if (line.startsWith(QStringLiteral("Meldung: Der Gast \"Nr")) && line.endsWith(QStringLiteral("einen anderen Gast wählen?")))
            ++guestRefused;
        else if (line.startsWith(QStringLiteral("Meldung: Die gewählte Ressource (Raum) \"Haupthaus \\ Erdgeschoss \\ Zimmer ")))
            ++placeRefused;
        else
            ADD_FAILURE() << "unexpected: " << line.toStdString();
    }
    const int deleted = static_cast<int>(results[1].report.count(QStringLiteral("gelöscht")));
    EXPECT_EQ(stored + guestRefused + placeRefused, Rounds);
    // A delete went through exactly where no booking was stored.
    EXPECT_EQ(stored + deleted, Rounds);
    EXPECT_EQ(db.bookings(), stored);
    EXPECT_EQ(db.database.count(QStringLiteral("tbl_bookings"),
                                QStringLiteral("book_customer_id NOT IN (SELECT cust_id FROM tbl_customers)")),
              0);
    EXPECT_EQ(db.database.count(QStringLiteral("tbl_bookings"), QStringLiteral("book_place_id NOT IN (SELECT pl_id FROM tbl_places)")),
              0);
    std::cout << "[ race     ] " << Rounds << " rounds: " << stored << " stored, " << guestRefused
              << " refused for a deleted guest, " << placeRefused << " for a deleted place, " << deleted
              << " deleted, 0 orphans" << std::endl;
}
