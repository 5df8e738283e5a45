// The booking window at station A while station B changes the same booking.

#include "bookings/frmBuchungen.h"

#include "core/bookings.h"
#include "core/startup.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
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
    // B moves the booking: the row read, changed and stored.
    void otherMoves(qint32 placeId, int from, int to)
    {
        other.run([&] {
            Booking b = *LoadBooking(17);
            b.book_place_id = placeId;
            b.book_start = december(from);
            b.book_end = december(to);
            test::WriteBooking(b);
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
        QStringLiteral("Die Reservierung 17 wurde inzwischen an anderer Stelle geändert: Notizen jetzt \"Hund\". "
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

TEST_F(TwoDesks, APeriodMergedFromBothDesksIsAskedAsOneAndNeverStoredBackwards)
{
    // A sets the arrival, B the departure before it: the period is one field.
    typeInto(w().tbBuchungDatum[0], decemberText(16));
    w().tbBuchungInfo->setFocus();
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_end = %1 WHERE book_id = 17").arg(DateToSQL(december(15))));
    dialogs->answerMessage(ui::Answer::No);
    save();
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Zeitraum jetzt 14.12.2026 – 15.12.2026")));
    EXPECT_EQ(stored().book_start, december(14));
    EXPECT_EQ(stored().book_end, december(15));
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), decemberText(15));

    // A extends the stay into Otto's booking of the other room, where B moved it meanwhile.
    db.addBooking(db.otherPlace, db.otto, december(16), december(19));
    typeInto(w().tbBuchungInfo, QStringLiteral("lang"));
    typeInto(w().tbBuchungDatum[1], decemberText(18));
    w().tbBuchungInfo->setFocus();
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_place_id = %1 WHERE book_id = 17").arg(db.otherPlace));
    dialogs->answerMessage(ui::Answer::Cancel);
    save();
    ASSERT_EQ(dialogs->messages().size(), 2u);
    // Refused for the room it would have had, not the one this window showed.
    const QString refusal = dialogs->lastMessage().text;
    EXPECT_TRUE(refusal.contains(w().listRooms->itemText(w().listRooms->findData(db.otherPlace)))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("vom 14.12.2026 bis zum 18.12.2026"))) << refusal.toStdString();
    EXPECT_EQ(stored().book_end, december(15));
    EXPECT_EQ(stored().book_info, QString());
    // The window shows the booking as stored.
    EXPECT_EQ(w().listRooms->currentData().toInt(), db.otherPlace);
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), decemberText(15));
}

TEST_F(TwoDesks, ATypedPersonCountIsWrittenAlsoWhereTheStoredCountShowedAsOne)
{
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_cust_count = 0 WHERE book_id = 17"));
    w().ShowBookings(QString(), 17, db.place, true, 1);
    ASSERT_EQ(w().tbPersoncount->text(), "1");
    typeInto(w().tbPersoncount, QStringLiteral("1"));
    save();
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored().book_cust_count, 1);
    // Now it holds the room: another booking there is refused.
    EXPECT_NE(OccupyingBooking(db.place, december(15), december(16)), 0);
}

TEST_F(TwoDesks, ADeleteAfterTheOtherMovedTheBookingAsksAndNamesWhatIsStored)
{
    otherMoves(db.place, 20, 25);
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w().btnDelete, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Die Reservierung 17 wurde inzwischen an anderer Stelle geändert: Zeitraum jetzt "
                             "20.12.2026 – 25.12.2026. Trotzdem löschen?"));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_TRUE(LoadBooking(17));

    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w().btnDelete, Qt::LeftButton);
    EXPECT_FALSE(LoadBooking(17));
}
