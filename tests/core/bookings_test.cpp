#include "core/bookings.h"

#include "core/database.h"
#include "core/notices.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

namespace {

rt::Date july(int day, int hour = 12)
{
    return rt::Date::fromParts(2024, 7, day, hour);
}

Booking booking(qint32 place, qint32 guest, int from, int to, int persons = 2)
{
    Booking b;
    b.book_mandant_id = 1;
    b.book_place_id = place;
    b.book_customer_id = guest;
    b.book_cust_count = persons;
    b.book_start = july(from);
    b.book_end = july(to);
    return b;
}

class StoringBookings : public ::testing::Test {
protected:
    StoringBookings()
    {
        database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (7, 'Meier'), (8, 'Schulz')"));
    }
    // What the schedule draws of July's bookings (OccupancyDb's are of no facility, booking()'s of facility 1).
    static QHash<qint32, RowValues> drawn()
    {
        QHash<qint32, RowValues> bars;
        for (qint32 facility : {0, 1}) {
            for (const ScheduleBooking& b : ScheduleBookings(facility, -1, -1, july(1, 0), july(31, 0)))
                bars.insert(b.book_id, ScheduleBookingColumns(b));
        }
        return bars;
    }

    test::OccupancyDb database;
    qint32 floor = database.addFloor(database.addBuilding(1, QStringLiteral("Haupthaus")), 0);
    qint32 place = database.addPlace(floor);
    qint32 otherPlace = database.addPlace(floor);
};

}  // namespace

TEST_F(StoringBookings, ANewBookingIsWrittenWholeAndReadBack)
{
    Booking b = booking(place, 7, 3, 5);
    b.book_info = QStringLiteral("O'Brien \"Suite\"");
    b.book_color_id = 4;
    const rt::Date before = rt::Date::now();
    ASSERT_EQ(StoreBooking(b).result, StoreResult::Stored);
    ASSERT_GT(b.book_id, 0);
    const std::optional<Booking> back = LoadBooking(b.book_id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->book_place_id, place);
    EXPECT_EQ(back->book_customer_id, 7);
    EXPECT_EQ(back->book_cust_count, 2);
    EXPECT_EQ(back->book_start, july(3));
    EXPECT_EQ(back->book_end, july(5));
    EXPECT_EQ(back->book_info, b.book_info);
    EXPECT_EQ(back->book_color_id, 4);
    EXPECT_GE(back->book_bearb_date.serial(), before.serial() - 1e-6);
    EXPECT_FALSE(LoadBooking(b.book_id + 1));
}

TEST_F(StoringBookings, AnOccupiedPlaceIsRefusedAndNothingIsWritten)
{
    const qint32 holder = database.addBooking(place, 8, 4, 6);
    Booking b = booking(place, 7, 3, 5);
    const StoreOutcome outcome = StoreBooking(b);
    EXPECT_EQ(outcome.result, StoreResult::PlaceOccupied);
    EXPECT_EQ(outcome.placeId, place);
    EXPECT_EQ(outcome.bookingId, holder);
    EXPECT_EQ(b.book_id, 0);
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 1);

    // Touching at noon is no overlap; nor is a booking without persons.
    Booking before = booking(place, 7, 2, 4);
    EXPECT_EQ(StoreBooking(before).result, StoreResult::Stored);
    database.addBooking(otherPlace, 9, 1, 20, 0);
    Booking beside = booking(otherPlace, 7, 3, 5);
    EXPECT_EQ(StoreBooking(beside).result, StoreResult::Stored);
}

TEST_F(StoringBookings, AStoredBookingIsNeverWrittenThroughTheNewBookingPath)
{
    Booking b = booking(place, 7, 3, 6);
    ASSERT_EQ(StoreBooking(b).result, StoreResult::Stored);
    b.book_end = july(9);
    EXPECT_THROW(StoreBooking(b), db::DbError);
    EXPECT_EQ(LoadBooking(b.book_id)->book_end, july(6));
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 1);
}

TEST_F(StoringBookings, AMoveOfSeveralIsAllOrNothing)
{
    // Two adjacent bookings moved a day on together: each passes over the
    // other's old span, which is no conflict.
    const qint32 a = database.addBooking(place, 7, 3, 5);
    const qint32 b = database.addBooking(place, 8, 5, 7);
    DrawnDropOutcome outcome = DropDrawnBookings({{a, b}, 0, 1, false}, drawn());
    ASSERT_EQ(outcome.result, DrawnDropOutcome::Result::Stored);
    EXPECT_EQ(outcome.written, (QList<qint32>{a, b}));
    EXPECT_EQ(LoadBooking(a)->book_start, july(4));
    EXPECT_EQ(LoadBooking(b)->book_end, july(8));

    // One of them lands on an occupied stretch: neither moves.
    const qint32 holder = database.addBooking(place, 9, 10, 12);
    outcome = DropDrawnBookings({{a, b}, 0, 4, false}, drawn());
    EXPECT_EQ(outcome.result, DrawnDropOutcome::Result::Refused);
    EXPECT_EQ(outcome.store.result, StoreResult::PlaceOccupied);
    EXPECT_EQ(outcome.store.placeId, place);
    EXPECT_EQ(outcome.store.bookingId, holder);
    EXPECT_EQ(LoadBooking(a)->book_start, july(4));
    EXPECT_EQ(LoadBooking(b)->book_start, july(6));

    // Copies that land on each other are refused as well.
    const qint32 beside = database.addBooking(otherPlace, 8, 5, 7);
    outcome = DropDrawnBookings({{a, beside}, database.addPlace(floor), -1, true}, drawn());
    EXPECT_EQ(outcome.store.result, StoreResult::PlaceOccupied);
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 4);
}

// Another station changes a booking after this one's schedule drew it, and
// this one drags the old bar: what a drag changes is compared with the bar,
// the rest is the other station's and stays as it stored it.
TEST_F(StoringBookings, ADragComparesPlaceAndPeriodWithTheBarAndKeepsWhatElseTheOtherStationChanged)
{
    test::OtherStation other{database.path()};
    // The other station's change (none: a delete) and the compared columns it changes.
    const std::vector<std::pair<QString, QStringList>> changes{
        {QStringLiteral("book_place_id = %1").arg(database.addPlace(floor)), {"book_place_id"}},
        {"book_start = #07/20/2024 12:00:00#, book_end = #07/25/2024 12:00:00#", {"book_end", "book_start"}},
        {"book_end = #07/06/2024 12:00:00#", {"book_end"}},
        {"book_info = 'Hund'", {}},
        {"book_cust_count = 3, book_color_id = 2, book_customer_id = 8", {}},
        {{}, {}},
    };
    for (const auto& [set, compared] : changes) {
        for (DrawnDrop drop : {DrawnDrop{{}, otherPlace, 0, false}, DrawnDrop{{}, 0, 2, false}, DrawnDrop{{}, otherPlace, 2, true}}) {
            SCOPED_TRACE(set.toStdString() + (drop.copy ? ", copied" : drop.days ? ", two days on" : ", other place"));
            database.exec(QStringLiteral("DELETE FROM tbl_bookings"));
            const qint32 id = database.addBooking(place, 7, 3, 5, 2);
            drop.ids = {id};
            const QHash<qint32, RowValues> bars = drawn();
            other.exec(set.isEmpty() ? QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = ?")
                                     : QStringLiteral("UPDATE tbl_bookings SET %1 WHERE book_id = ?").arg(set), {id});
            const std::optional<RowValues> before = ReadBookingRow(id);
            const DrawnDropOutcome outcome = DropDrawnBookings(drop, bars);
            if (!before || !compared.isEmpty()) {
                EXPECT_EQ(outcome.result, DrawnDropOutcome::Result::Changed);
                EXPECT_EQ(ReadBookingRow(id), before);
                EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), before ? 1 : 0);
                QStringList kept = before ? outcome.changed.value(0).since.kept : QStringList();
                kept.sort();
                EXPECT_EQ(kept, compared);
                EXPECT_EQ(outcome.missing, before ? QList<qint32>() : QList<qint32>{id});
                continue;
            }
            ASSERT_EQ(outcome.written.size(), 1);
            RowValues after = *ReadBookingRow(outcome.written.front());
            EXPECT_EQ(after.value("book_place_id").toLong(), drop.placeId > 0 ? drop.placeId : place);
            EXPECT_EQ(after.value("book_start").toDate(), july(3 + drop.days));
            EXPECT_EQ(after.value("book_end").toDate(), july(5 + drop.days));
            // Everything else as the other station stored it; a copy's source untouched.
            for (const char* column : {"book_id", "book_place_id", "book_start", "book_end", "book_bearb_date"})
                after.insert(QLatin1String(column), before->value(QLatin1String(column)));
            EXPECT_EQ(after, *before);
            EXPECT_EQ(ReadBookingRow(id) == before, drop.copy);
        }
    }
}

TEST_F(StoringBookings, TheCheckIsMadeAgainAtTheWriteNotTrustedFromBefore)
{
    // The panel's check said free; meanwhile another workstation books.
    EXPECT_EQ(OccupyingBooking(place, july(3), july(5)), 0);
    auto second = db::Database::open(database.path());
    second->execute(QStringLiteral("INSERT INTO tbl_bookings (book_place_id, book_cust_count, book_start, book_end) "
                                   "VALUES (?, 1, ?, ?)"),
                    {place, july(4), july(6)});
    Booking b = booking(place, 7, 3, 5);
    EXPECT_EQ(StoreBooking(b).result, StoreResult::PlaceOccupied);
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 1);
}

TEST_F(StoringBookings, APlaceMustExistAndAGuestWhenThereIsOne)
{
    for (qint32 missing : {0, -1, otherPlace + 1}) {
        Booking b = booking(missing, 7, 3, 5);
        const StoreOutcome outcome = StoreBooking(b);
        EXPECT_EQ(outcome.result, StoreResult::PlaceMissing) << missing;
        EXPECT_EQ(outcome.placeId, missing);
    }
    Booking gone = booking(place, 9, 3, 5);
    const StoreOutcome outcome = StoreBooking(gone);
    EXPECT_EQ(outcome.result, StoreResult::GuestMissing);
    EXPECT_EQ(outcome.customerId, 9);
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 0);

    // 0 and -1 are no guest at all; a move carrying a gone guest moves nothing.
    Booking none = booking(place, 0, 3, 5);
    Booking minus = booking(otherPlace, -1, 3, 5);
    ASSERT_EQ(StoreBooking(none).result, StoreResult::Stored);
    ASSERT_EQ(StoreBooking(minus).result, StoreResult::Stored);
    database.exec(QStringLiteral("UPDATE tbl_bookings SET book_customer_id = 9 WHERE book_id = %1").arg(minus.book_id));
    EXPECT_EQ(DropDrawnBookings({{none.book_id, minus.book_id}, 0, 7, false}, drawn()).store.result,
              StoreResult::GuestMissing);
    EXPECT_EQ(LoadBooking(none.book_id)->book_start, july(3));
}

// Two program copies on one file, each saving the same place and period at
// the same moment: one stores, the other is told the place is taken.
TEST_F(StoringBookings, TwoWorkstationsRacingForOnePlaceStoreExactlyOne)
{
    const QString go = database.folder().file(QStringLiteral("go"));
    const QString path = database.path();
    std::vector<pid_t> children;
    for (int guest : {7, 8}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int code = 3;
            try {
                // The parent's connection must not be closed from here.
                (void)Db.release();
                Db = db::Database::open(path);
                while (!QFile::exists(go))
                    QThread::usleep(200);
                Booking b = booking(place, guest, 3, 5);
                const StoreResult result = StoreBooking(b).result;
                code = result == StoreResult::Stored ? 0 : result == StoreResult::PlaceOccupied ? 1 : 2;
            } catch (...) {
                code = 4;
            }
            _exit(code);
        }
        children.push_back(pid);
    }
    QFile(go).open(QIODevice::WriteOnly);
    std::vector<int> codes;
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<int>{0, 1}));
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 1);
}

// Dates another tool stored as text, left out or beyond the calendar: nobody
// can tell which days the booking means, so it holds its place on all of them.
TEST_F(StoringBookings, ABookingWhosePeriodCannotBeReadHoldsItsPlaceForAnyPeriodAndIsNamedOnce)
{
    const qint32 holder = database.addBooking(place, 8, 3, 5);
    Booking beside = booking(otherPlace, 7, 20, 25);
    ASSERT_EQ(StoreBooking(beside).result, StoreResult::Stored);
    Booking moved = beside;
    moved.book_place_id = place;
    const auto set = [this](qint32 id, const QString& values) {
        database.exec(QStringLiteral("UPDATE tbl_bookings SET %1 WHERE book_id = %2").arg(values).arg(id));
    };
    for (const char* damage : {"book_start = 'Ostern'", "book_end = NULL", "book_start = 1e300", "book_end = -1e300"}) {
        SCOPED_TRACE(damage);
        set(holder, QLatin1String(damage));
        Booking b = booking(place, 7, 20, 25);
        EXPECT_EQ(StoreBooking(b).result, StoreResult::PlaceOccupied);
        EXPECT_EQ(StoreBookingChanges(beside.book_id, *ReadBookingRow(beside.book_id),
                                      ChangedColumns(BookingColumns(beside), BookingColumns(moved)), {}).result,
                  StoreResult::PlaceOccupied);
        EXPECT_EQ(OccupyingBooking(place, july(20), july(25)), holder);
        EXPECT_EQ(OccupyingBooking(place, july(20), july(25), {holder}), 0);
        set(holder, QStringLiteral("book_start = #07/03/2024 12:00:00#, book_end = #07/05/2024 12:00:00#"));
    }
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 2);

    // A persons count nobody can read holds the place in its period; none holds nothing.
    set(holder, QStringLiteral("book_cust_count = 1e300"));
    EXPECT_EQ(LoadBooking(holder)->book_cust_count, 1);
    set(holder, QStringLiteral("book_cust_count = NULL"));
    EXPECT_EQ(OccupyingBooking(place, july(4), july(6)), holder);
    EXPECT_EQ(OccupyingBooking(place, july(5), july(6)), 0);
    set(beside.book_id, QStringLiteral("book_cust_count = 0, book_start = 'bald'"));
    EXPECT_EQ(OccupyingBooking(otherPlace, july(1), july(2)), 0);

    // Each is named once, however often it is met.
    set(beside.book_id, QStringLiteral("book_cust_count = 1, book_start = #07/20/2024 12:00:00#, book_end = 'bald'"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    for (int told : {2, 0}) {
        EXPECT_EQ(BookingsOfPlace(otherPlace, july(1), july(2)).size(), 1u);
        EXPECT_EQ(OccupyingBooking(place, july(10), july(12)), 0);
        EXPECT_EQ(TellNotices(), told);
    }
    ASSERT_EQ(dialogs->messages().size(), 2u);
    // Named so that it can be found: the number no list shows, the guest and the place.
    const QString text = QStringLiteral("Die Reservierung %1 für \"%2\" hat ein ungültiges %3. Bitte geben Sie es im Buchungsfenster neu ein.");
    EXPECT_EQ(dialogs->messages()[0].text, text.arg(holder).arg("Schulz", "Anreisedatum"));
    EXPECT_EQ(dialogs->messages()[1].text, text.arg(beside.book_id).arg("Meier", "Abreisedatum"));
}
