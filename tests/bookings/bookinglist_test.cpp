#include "bookings/bookinglist.h"
#include "bookings/bookinglistprint.h"

#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Booking id, guest and place share their number.
void add(BookingList& list, qint32 id, const rt::Date& start, const rt::Date& end, const QString& last, int persons)
{
    list.rows.push_back({id, start, end, persons, id, id});
    list.guests.insert(id, {last, QStringLiteral("Eva")});
    list.places.insert(id, {QStringLiteral("HH"), QStringLiteral("EG"), QStringLiteral("Zimmer %1").arg(id)});
}

rt::Date on(int year, int month, int day)
{
    return rt::Date::fromParts(year, month, day, 12);
}

QStringList column(const BookingListModel& model, int col)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, col).data().toString();
    return texts;
}

// Lines whose texts sort differently from their values.
BookingList sample()
{
    BookingList list;
    add(list, 1, on(2025, 1, 2), on(2025, 1, 9), "Özdemir", 10);
    add(list, 2, on(2024, 2, 1), on(3000, 1, 1), "Zander", 2);
    add(list, 3, on(2024, 12, 30), on(2025, 1, 3), "Adler", 9);
    return list;
}

}  // namespace

TEST(BookingListModel, PassesTheModelTesterThroughLoadsSortsAndRemovals)
{
    BookingListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setList(sample());
    model.sort(BookingListModel::ColEnd, Qt::DescendingOrder);
    EXPECT_TRUE(model.removeBooking(3));
    EXPECT_FALSE(model.removeBooking(3));
    model.setList({});
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(BookingListModel, ShowsTheLinesAndANothingFoundLine)
{
    test::GlobalsScope globals;
    TermPersonSingular = QStringLiteral("Gast");
    BookingListModel model;
    model.setList(sample());
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Gast");
    EXPECT_EQ(column(model, BookingListModel::ColEnd), (QStringList{"09.01.2025", "01.01.3000", "03.01.2025"}));
    EXPECT_EQ(model.index(0, BookingListModel::ColGuest).data().toString(), "Eva Özdemir");
    EXPECT_EQ(model.index(0, BookingListModel::ColPlace).data().toString(), "HH\\EG\\ Zimmer 1");
    EXPECT_EQ(model.index(2, 0).data(BookingListModel::BookIdRole).toInt(), 3);
    EXPECT_EQ(model.rowOfBooking(2), 1);

    model.setList({});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), "keine Reservierungen gefunden");
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
    EXPECT_EQ(model.bookIdAt(0), 0);
}

TEST(BookingListModel, SortsDatesAsDatesPersonsAsNumbersAndNamesInGermanOrder)
{
    BookingListModel model;
    model.setList(sample());
    model.sort(BookingListModel::ColStart, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 0), (QStringList{"01.02.2024", "30.12.2024", "02.01.2025"}));
    model.sort(BookingListModel::ColStart, Qt::DescendingOrder);
    EXPECT_EQ(column(model, 0), (QStringList{"02.01.2025", "30.12.2024", "01.02.2024"}));
    model.sort(BookingListModel::ColEnd, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 1).last(), "01.01.3000");
    model.sort(BookingListModel::ColPersons, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 3), (QStringList{"2", "9", "10"}));
    model.sort(BookingListModel::ColGuest, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 2), (QStringList{"Eva Adler", "Eva Özdemir", "Eva Zander"}));

    // A new load keeps the order the user chose.
    model.setList(sample());
    EXPECT_EQ(column(model, 2), (QStringList{"Eva Adler", "Eva Özdemir", "Eva Zander"}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::InitialSortOrderRole).value<Qt::SortOrder>(), Qt::AscendingOrder);
}

TEST(BookingListFilter, DefaultsToThePlaceThenTheBookingThenTheFacility)
{
    EXPECT_EQ(BookingListFilter("book_customer_id = 4", 7, 3, 1), "book_customer_id = 4");
    EXPECT_EQ(BookingListFilter("", 7, 3, 1), "book_place_id = 3");
    EXPECT_EQ(BookingListFilter("", 7, -1, 1), "book_id = 7");
    EXPECT_EQ(BookingListFilter("", 0, 0, 2), "book_mandant_id = 2");
}

class BookingListQuery : public ::testing::Test {
protected:
    test::BookingDb db;
};

TEST_F(BookingListQuery, TheRangeHoldsAgainstAnOrInTheCallersFilter)
{
    const qint32 ended = db.addBooking(db.place, db.anna, -5, -1);
    const qint32 today = db.addBooking(db.otherPlace, db.otto, -2, 0);
    const qint32 coming = db.addBooking(db.place, db.otto, 4, 6);
    db.addBooking(db.place, db.otto, db.day(8), OpenEndDate());
    const QString filter = QStringLiteral("book_place_id = %1 OR book_id = %2").arg(db.place).arg(today);

    auto all = QueryBookingList(filter, false);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->rows.size(), 4u);
    EXPECT_EQ(all->rows.front().book_end, OpenEndDate());   // newest start first
    EXPECT_EQ(all->rows.back().book_id, ended);

    auto fromToday = QueryBookingList(filter, true);
    ASSERT_TRUE(fromToday);
    QList<qint32> ids;
    for (const BookingListRow& r : fromToday->rows)
        ids << r.book_id;
    EXPECT_FALSE(ids.contains(ended));
    EXPECT_TRUE(ids.contains(today));
    EXPECT_TRUE(ids.contains(coming));

    // The names the list shows, read for its lines.
    EXPECT_EQ(all->rows.at(1).book_id, coming);
    EXPECT_TRUE(all->guests.isEmpty());
    BookingListModel model;
    model.setList(std::move(*all));
    EXPECT_EQ(model.text(1, BookingListModel::ColGuest), "Otto Brückner");
    EXPECT_EQ(model.text(1, BookingListModel::ColPlace), "HH\\EG\\ Zimmer 1");

    // A condition on a joined table's column reads through the joins.
    auto named = QueryBookingList("cust_lastname = 'brückner' OR pl_name = 'Nirgends'", false);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->rows.size(), 3u);
}

TEST_F(BookingListQuery, AFilterTheDatabaseRefusesIsReportedAndListsNothing)
{
    db.addBooking(db.place, db.anna, 1, 2);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(QueryBookingList("book_nonsense = 1", false));
    EXPECT_EQ(dialogs->lastMessage().title, "Fehler im Suchbegriff");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    EXPECT_FALSE(dialogs->lastMessage().text.isEmpty());
}

TEST_F(BookingListQuery, ABookingWithoutGuestOrPlaceIsListedWithEmptyNames)
{
    db.addBooking(0, 0, 1, 2);
    auto rows = QueryBookingList(BookingListFilter("", -1, -1, 1), false);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->rows.size(), 1u);
    BookingListModel model;
    model.setList(std::move(*rows));
    EXPECT_EQ(model.text(0, BookingListModel::ColGuest), "");
    EXPECT_EQ(model.text(0, BookingListModel::ColPlace), "\\\\");
}

// The names are read only for the guests of the lines, some close together
// and some far apart, in more than one chunk; every line shows its own, and
// a guest whose row is gone shows none and sorts first.
TEST_F(BookingListQuery, TheNamesOfTheLinesGuestsAndNoOthers)
{
    db.database.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                     "INSERT INTO tbl_customers (cust_firstname, cust_lastname) SELECT 'Gast', 'Nr ' || i FROM n");
    const qint32 first = db.database.value("SELECT Min(cust_id) FROM tbl_customers WHERE cust_firstname = 'Gast'").toLong();
    // 700 neighbours, then every ninth of the rest.
    db.database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, "
                                    "book_cust_count, book_start, book_end) SELECT 1, %1, cust_id, 1, 45000.5, 45001.5 "
                                    "FROM tbl_customers WHERE cust_firstname = 'Gast' AND (cust_id < %2 OR "
                                    "(cust_id - %2) % 9 = 0)")
                         .arg(db.place)
                         .arg(first + 700));
    auto list = QueryBookingList(QStringLiteral("book_place_id = %1").arg(db.place), false);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->rows.size(), 700u + 256u);
    QList<qint32> ids;
    QHash<qint32, qint32> guestOf;
    for (const BookingListRow& line : list->rows) {
        ids << line.book_customer_id << line.book_customer_id;
        guestOf.insert(line.book_id, line.book_customer_id);
    }
    BookingList names;
    ReadBookingListNames(names, ids, {db.place});
    EXPECT_EQ(names.guests.size(), 956);
    EXPECT_FALSE(names.guests.contains(first + 701));
    EXPECT_FALSE(names.guests.contains(db.anna));
    EXPECT_EQ(names.places.size(), 1);

    db.database.exec(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = %1").arg(first + 5));
    BookingListModel model;
    model.setList(std::move(*list));
    for (int row = 0; row < model.rowCount(); ++row) {
        const qint32 guest = guestOf.value(model.bookIdAt(row));
        EXPECT_EQ(model.text(row, BookingListModel::ColGuest),
                  guest == first + 5 ? QString() : QStringLiteral("Gast Nr %1").arg(guest - first + 1));
    }
    model.sort(BookingListModel::ColGuest, Qt::AscendingOrder);
    EXPECT_EQ(model.text(0, BookingListModel::ColGuest), QString());
    EXPECT_EQ(model.text(1, BookingListModel::ColGuest), "Gast Nr 1");
}

// A second click on the same header turns the list round; lines loaded later
// are ranked by their own names.
TEST(BookingListModel, TheSameColumnAgainTurnsRoundAndNewNamesAreRankedAnew)
{
    BookingListModel model;
    model.setList(sample());
    model.sort(BookingListModel::ColGuest, Qt::AscendingOrder);
    model.sort(BookingListModel::ColGuest, Qt::DescendingOrder);
    EXPECT_EQ(column(model, 2), (QStringList{"Eva Zander", "Eva Özdemir", "Eva Adler"}));

    BookingList renamed = sample();
    renamed.guests[1].cust_lastname = QStringLiteral("Becker");
    renamed.guests[2].cust_lastname = QStringLiteral("Albers");
    renamed.guests[3].cust_lastname = QStringLiteral("Zimmer");
    model.setList(std::move(renamed));
    EXPECT_EQ(column(model, 2), (QStringList{"Eva Zimmer", "Eva Becker", "Eva Albers"}));
    model.sort(BookingListModel::ColGuest, Qt::AscendingOrder);
    EXPECT_EQ(column(model, 2), (QStringList{"Eva Albers", "Eva Becker", "Eva Zimmer"}));
}

// Names that cannot be read leave the lines without them and are said once,
// after the list has painted, however many lines ask.
TEST_F(BookingListQuery, NamesThatCannotBeReadAreSaidOnce)
{
    db.addBooking(db.place, db.anna, 1, 2);
    db.addBooking(db.otherPlace, db.otto, 3, 4);
    auto list = QueryBookingList(BookingListFilter("", -1, -1, 1), false);
    ASSERT_TRUE(list);
    BookingListModel model;
    model.setList(std::move(*list));
    QSignalSpy failed(&model, &BookingListModel::namesFailed);
    CloseProgramDatabase();
    EXPECT_EQ(model.text(0, BookingListModel::ColGuest), "");
    EXPECT_EQ(model.text(1, BookingListModel::ColPlace), "\\\\");
    model.sort(BookingListModel::ColGuest, Qt::AscendingOrder);
    EXPECT_TRUE(failed.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed.front().front().toString().startsWith("Fehler in ListView1"));
}

// A date another tool stored as text or beyond the calendar shows empty, in
// the list as in its printout, never as the calendar's day zero.
TEST_F(BookingListQuery, ADateThatCannotBeReadShowsEmptyInTheListAndItsPrintout)
{
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = 'Ostern', book_end = 1e300 WHERE book_id = %1")
                         .arg(db.addBooking(db.place, db.anna, 1, 3)));
    BookingListModel model;
    model.setList(*QueryBookingList(BookingListFilter("", -1, db.place, 1), false));
    const auto line = PrintedListOf(QString(), model).lines.at(0);
    EXPECT_EQ(line[0] + line[1], "");
    EXPECT_EQ(line[2], "Anna Meier");
}
