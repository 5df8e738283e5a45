// The booking window at station A while station B changes the same booking.

#include "bookings/frmBuchungen.h"

#include "core/bookings.h"
#include "core/startup.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

rt::Date december(int day)
{
    return rt::Date::fromParts(2026, 12, day, 12);
}

QString decemberText(int day)
{
    return rt::formatDate(december(day), QStringLiteral("dd.mm.yyyy"));
}

// Booking 17 of Anna, 14.–17.12., one person, open in A's booking window
// among the bookings of its room.
class TwoDesks : public ::testing::Test {
protected:
    TwoDesks()
    {
        db.database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_customer_id, "
                                        "book_cust_count, book_start, book_end) VALUES (17, 1, %1, %2, 1, %3, %4)")
                             .arg(db.place)
                             .arg(db.anna)
                             .arg(DateToSQL(december(14)), DateToSQL(december(17))));
        db.addBooking(db.place, db.otto, december(2), december(5));
        w().ShowBookings(QString(), 17, db.place, true, 1);
    }
    ~TwoDesks() override { frmBuchungen::unload(); }

    static frmBuchungen& w() { return frmBuchungen::instance(); }
    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }
    static void save() { QTest::mouseClick(w().cmdSave[0], Qt::LeftButton); }
    // B moves the booking as the schedule does: the row read, changed and
    // stored through the one booking write path.
    void otherMoves(qint32 placeId, int from, int to)
    {
        other.run([&] {
            Booking b = *LoadBooking(17);
            b.book_place_id = placeId;
            b.book_start = december(from);
            b.book_end = december(to);
            ASSERT_EQ(StoreBooking(b).result, StoreResult::Stored);
        });
    }
    static Booking stored() { return *LoadBooking(17); }

    test::BookingDb db;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    test::OtherStation other{db.database.path()};
};

}  // namespace

TEST_F(TwoDesks, ChangesOfDifferentFieldsBothSurviveUnaskedAndTheWindowShowsTheBookingAsStored)
{
    typeInto(w().tbPersoncount, QStringLiteral("2"));
    typeInto(w().tbBuchungInfo, QStringLiteral("Anreise spaet"));
    otherMoves(db.place, 15, 18);
    save();
    EXPECT_TRUE(dialogs->messages().empty());
    const Booking now = stored();
    EXPECT_EQ(now.book_start, december(15));
    EXPECT_EQ(now.book_end, december(18));
    EXPECT_EQ(now.book_cust_count, 2);
    EXPECT_EQ(now.book_info, QStringLiteral("Anreise spaet"));
    EXPECT_EQ(w().tbBuchungDatum[0]->text(), decemberText(15));
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), decemberText(18));

    // Moved into another room, the booking leaves the room's list, which
    // then cannot load it again: the editor itself shows where it went.
    otherMoves(db.otherPlace, 20, 23);
    EXPECT_TRUE(UnsavedEdits().isEmpty());   // another station's change is no edit here
    typeInto(w().tbBuchungInfo, QStringLiteral("Anreise 20 Uhr"));
    save();
    EXPECT_EQ(stored().book_place_id, db.otherPlace);
    EXPECT_EQ(stored().book_info, QStringLiteral("Anreise 20 Uhr"));
    EXPECT_EQ(w().listRooms->currentData().toInt(), db.otherPlace);
    EXPECT_EQ(w().tbBuchungDatum[0]->text(), decemberText(20));
    EXPECT_TRUE(UnsavedEdits().isEmpty());
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(TwoDesks, AFieldChangedAtBothDesksIsAskedAboutAndEachAnswerDoesWhatItSays)
{
    typeInto(w().tbPersoncount, QStringLiteral("2"));
    typeInto(w().tbBuchungInfo, QStringLiteral("Balkon"));
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_info = 'Hund' WHERE book_id = 17"));

    dialogs->answerMessage(ui::Answer::Cancel);
    save();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Die Reservierung 17 wurde inzwischen an einem anderen Arbeitsplatz geändert: Notiz jetzt \"Hund\". "
                       "Ihre Änderung trotzdem speichern?")));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 3);
    dialogs->answerEscape();   // closing the box is Abbrechen too
    save();
    EXPECT_EQ(stored().book_cust_count, 1);
    EXPECT_EQ(w().tbBuchungInfo->text(), "Balkon");   // back to the edit

    dialogs->answerMessage(ui::Answer::No);
    save();
    EXPECT_EQ(stored().book_cust_count, 2);
    EXPECT_EQ(stored().book_info, QStringLiteral("Hund"));
    EXPECT_EQ(w().tbBuchungInfo->text(), "Hund");

    typeInto(w().tbBuchungInfo, QStringLiteral("Balkon"));
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_info = 'Katze' WHERE book_id = 17"));
    dialogs->answerMessage(ui::Answer::Yes);
    save();
    EXPECT_EQ(stored().book_info, QStringLiteral("Balkon"));
    EXPECT_EQ(dialogs->messages().size(), 4u);
}
