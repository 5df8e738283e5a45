#include "core/rowmerge.h"

#include "core/bookings.h"
#include "core/database.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"

#include <gtest/gtest.h>

namespace {

rt::Date december(int day)
{
    return rt::Date::fromParts(2026, 12, day, 12);
}

TEST(RowMergePlan, SortsEveryColumnByWhoChangedIt)
{
    const RowValues loaded{{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", QStringLiteral("x")}};
    const RowValues stored{{"a", 1}, {"b", 20}, {"c", 30}, {"d", 40}, {"e", QStringLiteral("x")}};
    // a: only mine; b: only theirs; c: both, differently; d: both, the same; e: nobody.
    const RowValues changed{{"a", 10}, {"c", 31}, {"d", 40}};
    const RowMerge merge = PlanRowMerge(loaded, stored, changed);
    EXPECT_EQ(merge.write, (RowValues{{"a", 10}}));
    EXPECT_EQ(merge.clashes, (RowValues{{"c", 31}}));
    EXPECT_EQ(merge.kept, QStringList{"b"});
    EXPECT_TRUE(merge.changedElsewhere());

    // A number given in another width, or an empty text for a Null, is the stored value.
    const RowMerge same = PlanRowMerge({{"n", 1}, {"t", QStringLiteral("a")}},
                                       {{"n", db::Value::ofKind(db::Value::Kind::Integer, 5)}, {"t", db::Value()}},
                                       {{"n", 5}, {"t", QString()}});
    EXPECT_TRUE(same.clashes.isEmpty());
    EXPECT_TRUE(same.write.isEmpty());
}

TEST(RowMergePlan, ColumnsThatBelongTogetherAreOneField)
{
    const ColumnGroups period{{"s", "e"}};
    const RowValues loaded{{"s", 6}, {"e", 11}, {"n", 1}};
    // A set the arrival, B the departure: a clash over the period, never 10–7.
    RowMerge merge = PlanRowMerge(loaded, {{"s", 6}, {"e", 7}, {"n", 1}}, {{"s", 10}}, period);
    EXPECT_EQ(merge.clashes, (RowValues{{"s", 10}, {"e", 11}}));
    EXPECT_TRUE(merge.write.isEmpty());
    // Only here, or only there: written, or kept.
    merge = PlanRowMerge(loaded, loaded, {{"e", 12}}, period);
    EXPECT_EQ(merge.write, (RowValues{{"e", 12}}));
    merge = PlanRowMerge(loaded, {{"s", 20}, {"e", 25}, {"n", 1}}, {{"n", 2}}, period);
    EXPECT_EQ(merge.kept, (QStringList{"s", "e"}));
    EXPECT_EQ(merge.write, (RowValues{{"n", 2}}));
    // Both came to the same period: nothing to ask.
    merge = PlanRowMerge(loaded, {{"s", 6}, {"e", 12}, {"n", 1}}, {{"e", 12}}, period);
    EXPECT_FALSE(merge.changedElsewhere() && !merge.clashes.isEmpty());

    // A changed column the row lacks would be "written" into nothing.
    EXPECT_THROW(PlanRowMerge(loaded, loaded, {{"gone", 1}}), db::DbError);
}

TEST(RowMergePlan, OnlyWhatTheWindowChangedCountsAsItsChange)
{
    const RowValues base{{"x", 1}, {"y", db::Value()}};
    EXPECT_EQ(ChangedColumns(base, {{"x", 1}, {"y", db::Value()}}), RowValues{});
    EXPECT_EQ(ChangedColumns(base, {{"x", 1}, {"y", 7}}), (RowValues{{"y", 7}}));
}

// Station A edits booking 17 in a window while station B changes it.
class TwoDesksOnOneBooking : public ::testing::Test {
protected:
    TwoDesksOnOneBooking()
    {
        TermPlaceSingular = QStringLiteral("Raum");
        TermPersonSingular = QStringLiteral("Gast");
        database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname) VALUES (7, 'Wagner', 'Eva')"));
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_customer_id, "
                                   "book_cust_count, book_start, book_end) VALUES (17, 1, ?, 7, 1, ?, ?)"),
                    {place, december(14), december(17)});
        load();
    }
    // The window reads booking 17 as it is stored now.
    void load()
    {
        loaded = *ReadBookingRow(17);
        base = BookingColumns(BookingFromRow(loaded));
    }
    // Station B moves the booking.
    void otherMovesTo(int from, int to)
    {
        other.run([&] {
            Booking b = *LoadBooking(17);
            b.book_start = december(from);
            b.book_end = december(to);
            test::WriteBooking(b);
        });
    }
    StoreOutcome save(const Booking& mine)
    {
        return StoreBookingChanges(17, loaded, ChangedColumns(base, BookingColumns(mine)), [](const RowMerge& m) {
            return AskClash(QStringLiteral("Die Reservierung 17"), BookingMergeFields(), m);
        });
    }
    Booking stored() const { return *LoadBooking(17); }

    test::GlobalsScope globals;
    test::OccupancyDb database;
    test::DialogScope dialogs;
    qint32 floor = database.addFloor(database.addBuilding(1, QStringLiteral("Haupthaus")), 0);
    qint32 place = database.addPlace(floor);
    test::OtherStation other{database.path()};
    RowValues loaded;
    RowValues base;
};

TEST_F(TwoDesksOnOneBooking, ChangesOfDifferentFieldsBothSurviveWithoutAQuestion)
{
    otherMovesTo(15, 18);
    Booking mine = BookingFromRow(loaded);
    mine.book_cust_count = 2;
    mine.book_info = QStringLiteral("Anreise spaet");
    const StoreOutcome outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_TRUE(outcome.changedElsewhere);
    EXPECT_TRUE(dialogs->messages().empty());
    const Booking now = stored();
    EXPECT_EQ(now.book_start, december(15));
    EXPECT_EQ(now.book_end, december(18));
    EXPECT_EQ(now.book_cust_count, 2);
    EXPECT_EQ(now.book_info, QStringLiteral("Anreise spaet"));
    EXPECT_EQ(outcome.stored.book_start, december(15));
}

TEST_F(TwoDesksOnOneBooking, OneFieldChangedAtBothDesksAsksAndEachAnswerDoesWhatItSays)
{
    Booking mine = BookingFromRow(loaded);
    mine.book_start = december(20);
    mine.book_end = december(22);
    mine.book_info = QStringLiteral("Balkon");

    otherMovesTo(15, 18);
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(save(mine).result, StoreResult::Cancelled);
    const auto& question = dialogs->lastMessage();
    EXPECT_TRUE(question.text.startsWith(QStringLiteral(
        "Die Reservierung 17 wurde inzwischen an anderer Stelle geändert: Zeitraum jetzt 15.12.2026 – "
        "18.12.2026. Ihre Änderung trotzdem speichern?")))
        << question.text.toStdString();
    EXPECT_EQ(question.buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(question.defaultButton, 3);
    EXPECT_EQ(stored().book_info, QString());

    // Closing the box is Abbrechen.
    dialogs->answerEscape();
    EXPECT_EQ(save(mine).result, StoreResult::Cancelled);

    dialogs->answerMessage(ui::Answer::No);
    StoreOutcome outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_EQ(outcome.notWritten, (QStringList{"book_end", "book_start"}));
    EXPECT_EQ(stored().book_start, december(15));
    EXPECT_EQ(stored().book_info, QStringLiteral("Balkon"));

    dialogs->answerMessage(ui::Answer::Yes);
    outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_EQ(stored().book_start, december(20));
    EXPECT_EQ(stored().book_end, december(22));
    EXPECT_EQ(dialogs->messages().size(), 4u);
}

TEST_F(TwoDesksOnOneBooking, TheMergedBookingIsCheckedForThePlaceInTheSameWrite)
{
    // B moves it to 20.–22.; A meanwhile moved it to another place, where 21.–23. is taken.
    const qint32 otherPlace = database.addPlace(floor);
    database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, "
                                 "book_end) VALUES (%1, 7, 1, #12/21/2026 12:00:00#, #12/23/2026 12:00:00#)")
                      .arg(otherPlace));
    otherMovesTo(20, 22);
    Booking mine = BookingFromRow(loaded);
    mine.book_place_id = otherPlace;
    const StoreOutcome outcome = save(mine);
    EXPECT_EQ(outcome.result, StoreResult::PlaceOccupied);
    EXPECT_EQ(stored().book_place_id, place);
}

TEST_F(TwoDesksOnOneBooking, ThePeriodIsOneFieldAndNeverStoredBackwards)
{
    // A moves the arrival to the 16th (the stay 16.–17.), B the departure to the 15th (14.–15.).
    Booking mine = BookingFromRow(loaded);
    mine.book_start = december(16);
    other.run([&] {
        Booking b = *LoadBooking(17);
        b.book_end = december(15);
        test::WriteBooking(b);
    });
    dialogs->answerMessage(ui::Answer::No);
    StoreOutcome outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Zeitraum jetzt 14.12.2026 – 15.12.2026")));
    EXPECT_EQ(stored().book_start, december(14));
    EXPECT_EQ(stored().book_end, december(15));

    // Ja writes both days shown here, not the other's arrival with this departure.
    load();
    mine = BookingFromRow(loaded);
    mine.book_end = december(19);
    otherMovesTo(20, 25);
    dialogs->answerMessage(ui::Answer::Yes);
    outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_EQ(stored().book_start, december(14));
    EXPECT_EQ(stored().book_end, december(19));
}

TEST_F(TwoDesksOnOneBooking, TheMergedRowIsCheckedAsATypedOneAndTheRefusalNamesIt)
{
    // Stored backwards by an older program: a save that keeps it so is refused.
    database.exec(QStringLiteral("UPDATE tbl_bookings SET book_end = #12/10/2026 12:00:00# WHERE book_id = 17"));
    load();
    Booking mine = BookingFromRow(loaded);
    mine.book_info = QStringLiteral("Notiz");
    StoreOutcome outcome = save(mine);
    EXPECT_EQ(outcome.result, StoreResult::PeriodInvalid);
    EXPECT_EQ(outcome.refused.book_end, december(10));
    // Typed dates mend it; a start kept at 09:00 is still a day before the end.
    database.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = #12/14/2026 09:00:00# WHERE book_id = 17"));
    load();
    mine = BookingFromRow(loaded);
    mine.book_end = december(15);
    ASSERT_EQ(save(mine).result, StoreResult::Stored);

    // B moves it to another place; A's longer stay there runs into another booking.
    const qint32 otherPlace = database.addPlace(floor);
    database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, "
                                 "book_end) VALUES (%1, 7, 1, #12/16/2026 12:00:00#, #12/18/2026 12:00:00#)")
                      .arg(otherPlace));
    load();
    mine = BookingFromRow(loaded);
    mine.book_end = december(17);
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_place_id = %1 WHERE book_id = 17").arg(otherPlace));
    outcome = save(mine);
    ASSERT_EQ(outcome.result, StoreResult::PlaceOccupied);
    EXPECT_EQ(outcome.placeId, otherPlace);
    EXPECT_EQ(outcome.refused.book_place_id, otherPlace);
    EXPECT_EQ(outcome.refused.book_end, december(17));
    EXPECT_EQ(stored().book_end, december(15));
}

TEST_F(TwoDesksOnOneBooking, ADeleteAsksWhenTheRowChangedAndAgainWhenItChangesWhileAsked)
{
    std::vector<QStringList> asked;
    const auto ask = [&](int changeWhileAsked) {
        return [&, changeWhileAsked](const RowValues& stored, const RowMerge& since) {
            asked.push_back(since.kept);
            EXPECT_EQ(stored.value("book_id").toLong(), 17);
            if (static_cast<int>(asked.size()) == changeWhileAsked)
                otherMovesTo(21, 23);
            return true;
        };
    };
    // Moved at B: asked naming the period; moved again while asked: asked anew.
    const RowValues shown = loaded;
    otherMovesTo(20, 25);
    EXPECT_EQ(DeleteShownBooking(17, shown, ask(1)), DeleteResult::Deleted);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], (QStringList{"book_end", "book_start"}));
    EXPECT_EQ(asked[1], (QStringList{"book_end", "book_start"}));
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 0);
    EXPECT_EQ(DeleteShownBooking(17, shown, ask(0)), DeleteResult::Missing);
}

TEST_F(TwoDesksOnOneBooking, TheScheduleAsksOnceNamingOnlyTheBookingsChangedSinceDrawn)
{
    Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_customer_id, "
                               "book_cust_count, book_start, book_end) VALUES (18, 1, ?, 7, 1, ?, ?)"),
                {place, december(17), december(19)});
    QHash<qint32, RowValues> drawn;
    for (const ScheduleBooking& b : ScheduleBookings(1, floor, -1, december(1), december(31)))
        drawn.insert(b.book_id, ScheduleBookingColumns(b));
    ASSERT_EQ(drawn.size(), 2);
    // B notes a dog on 17 and only touches 18 (its edit time, which no bar shows).
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_info = 'Hund' WHERE book_id = 17"));
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_bearb_date = #12/01/2026 08:00:00# WHERE book_id = 18"));
    const auto ask = [&](const QList<ShownRowChange>& rows) {
        QList<std::pair<QString, RowMerge>> changed;
        for (const ShownRowChange& row : rows) {
            if (!row.since.kept.isEmpty())
                changed.append({QStringLiteral("Die Reservierung ") + row.key.toText(), row.since});
        }
        return AskDeleteClashes(changed, BookingMergeFields()) == ClashChoice::Mine;
    };
    dialogs->answerDefault();
    EXPECT_EQ(DeleteDrawnBookings({17, 18}, drawn, ask).result, DeleteResult::Cancelled);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Reservierung 17 wurde inzwischen an anderer Stelle geändert: Notizen jetzt \"Hund\". Trotzdem löschen?"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 2);

    // 18 deleted meanwhile, 17 moved too: Ja deletes 17, 18 is reported missing.
    other.exec(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = 18"));
    otherMovesTo(20, 25);
    dialogs->answerMessage(ui::Answer::Yes);
    const ShownRowsDelete deleted = DeleteDrawnBookings({17, 18}, drawn, ask);
    EXPECT_EQ(deleted.result, DeleteResult::Deleted);
    EXPECT_EQ(deleted.missing, QList<db::Value>{18});
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Zeitraum jetzt 20.12.2026 – 25.12.2026; Notizen jetzt")));
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 0);
    EXPECT_EQ(DeleteDrawnBookings({17}, drawn, ask).result, DeleteResult::Missing);
}

TEST(RowMergeMend, AnEditedFieldThatShowedANormalisedValueCountsAsChangedFromTheStoredOne)
{
    // Shown: a Null as 0, a trimmed text; an Integer in the width the field gives it.
    RowValues base{{"n", 0}, {"t", QStringLiteral("Meier")}, {"w", 5}};
    const RowValues loaded{{"n", db::Value()}, {"t", QStringLiteral(" Meier ")},
                           {"w", db::Value::ofKind(db::Value::Kind::Integer, 5)}};
    for (const char* column : {"n", "t", "w", "gone"})
        MendUnshown(base, loaded, QString::fromLatin1(column));
    EXPECT_EQ(ChangedColumns(base, {{"n", 0}, {"t", QStringLiteral("Meier")}, {"w", 5}}),
              (RowValues{{"n", 0}, {"t", QStringLiteral("Meier")}}));
}

TEST_F(TwoDesksOnOneBooking, AValueThatCannotBeReadIsKeptUnlessTheUserTypesOverIt)
{
    database.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = 'morgen' WHERE book_id = 17"));
    load();
    Booking mine = BookingFromRow(loaded);
    mine.book_info = QStringLiteral("nur die Notiz");
    // Kept as it is, the period is none a window accepts.
    ASSERT_EQ(save(mine).result, StoreResult::PeriodInvalid);
    EXPECT_EQ(stored().book_info, QString());
    EXPECT_EQ(database.value(QStringLiteral("SELECT book_start FROM tbl_bookings WHERE book_id = 17")).toText(),
              QStringLiteral("morgen"));

    mine.book_start = december(13);
    ASSERT_EQ(save(mine).result, StoreResult::Stored);
    EXPECT_EQ(stored().book_start, december(13));
}

TEST_F(TwoDesksOnOneBooking, AnotherChangeWhileTheQuestionStandsIsAskedAgain)
{
    Booking mine = BookingFromRow(loaded);
    mine.book_cust_count = 3;
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_cust_count = 2 WHERE book_id = 17"));
    int asked = 0;
    const StoreOutcome outcome =
        StoreBookingChanges(17, loaded, ChangedColumns(base, BookingColumns(mine)), [&](const RowMerge& m) {
            ++asked;
            if (asked == 1)
                other.exec(QStringLiteral("UPDATE tbl_bookings SET book_cust_count = 4 WHERE book_id = 17"));
            EXPECT_EQ(m.stored.value("book_cust_count").toLong(), asked == 1 ? 2 : 4);
            return ClashChoice::Stored;
        });
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(outcome.result, StoreResult::Stored);
    EXPECT_EQ(stored().book_cust_count, 4);
}

TEST_F(TwoDesksOnOneBooking, ABookingDeletedMeanwhileIsNotWritten)
{
    other.exec(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = 17"));
    Booking mine = BookingFromRow(loaded);
    mine.book_info = QStringLiteral("x");
    EXPECT_EQ(save(mine).result, StoreResult::NotFound);
    EXPECT_EQ(database.count(QStringLiteral("tbl_bookings")), 0);
}

}  // namespace
