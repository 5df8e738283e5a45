// The booking window's colour and date fields as a user works them, and its
// save on a file another station keeps busy.

#include "bookings/frmBuchungen.h"

#include "core/bookings.h"
#include "core/dialogs/colorselector.h"
#include "core/globals.h"
#include "platform/db/database.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class BookingFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedCodes = ColorCodes;
        savedCount = ColorCount;
        ColorCodes = {QStringLiteral("0"), QStringLiteral("FF"), QStringLiteral("FF00"), QStringLiteral("FF0000")};
        ColorCount = 3;
        frmColorSelector::Unload();
    }
    void TearDown() override
    {
        frmBuchungen::unload();
        frmColorSelector::Unload();
        ColorCodes = savedCodes;
        ColorCount = savedCount;
    }
    static frmBuchungen& w() { return frmBuchungen::instance(); }
    // The window in front with the booking loaded.
    void show(qint32 bookId)
    {
        w().ShowBookings(QString(), bookId, db.place, true, 1);
        w().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    }

    test::BookingDb db;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    qint32 soon = db.addBooking(db.place, db.otto, 2, 4);
    std::vector<QString> savedCodes;
    int savedCount = 0;
};

}  // namespace

TEST_F(BookingFields, AClickOnTheColourOpensTheChoiceAndPicksNothing)
{
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_color_id = 3 WHERE book_id = %1").arg(soon));
    show(soon);
    // Through the window, as the window system delivers them: the release
    // goes to the pop-up opened by the press.
    const QPoint middle = w().lbColor->mapTo(&w(), w().lbColor->rect().center());
    QTest::mousePress(w().windowHandle(), Qt::LeftButton, {}, middle);
    frmColorSelector& colours = frmColorSelector::instance();
    ASSERT_TRUE(colours.isVisible());
    // The pop-up lies under the pointer, its "keine" right there.
    ASSERT_TRUE(colours.lbColorSelector[0]->rect().contains(colours.lbColorSelector[0]->mapFromGlobal(w().mapToGlobal(middle))));
    QTest::mouseRelease(w().windowHandle(), Qt::LeftButton, {}, middle);
    EXPECT_TRUE(colours.isVisible());
    EXPECT_EQ(w().state().BookingColorIndex, 3);

    QTest::mouseClick(colours.lbColorSelector[2], Qt::LeftButton);
    EXPECT_FALSE(colours.isVisible());
    EXPECT_EQ(w().state().BookingColorIndex, 2);
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    EXPECT_EQ(LoadBooking(soon)->book_color_id, 2);
}

TEST_F(BookingFields, ADayTypedAfterAClickIntoTheEmptyArrivalReplacesTheDayTheClickPutThere)
{
    w().CreateNewBooking(db.otherPlace, 0, QString(), QString());
    w().AddMainAdress(db.anna, "Anna Meier");
    w().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    QLineEdit* arrival = w().tbBuchungDatum[0];
    QTest::mouseClick(arrival, Qt::LeftButton, {}, arrival->rect().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(arrival->text(), db.dayText(0));
    QTest::keyClicks(arrival, db.dayText(5));
    QTest::keyClick(arrival, Qt::Key_Tab);
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(6));
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    const std::optional<Booking> saved = LoadBooking(w().state().CurrentBookingId);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->book_start, db.day(5));
    EXPECT_EQ(saved->book_end, db.day(6));
}

// The file busy past the wait: the save says so and claims no booking.
TEST_F(BookingFields, ASaveWhoseCheckCannotBeMadeIsRefusedAndStoresNothing)
{
    db.addBooking(db.otherPlace, db.otto, 1, 5);   // the guest is booked elsewhere too
    show(soon);
    QTest::keyClicks(w().tbBuchungInfo, "Hund");
    const int timeout = db::Database::busyTimeout();
    db::Database::setBusyTimeout(50);
    std::unique_ptr<db::Database> station = db::Database::open(db.database.path());
    station->execute(QStringLiteral("BEGIN EXCLUSIVE;"));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    station->execute(QStringLiteral("COMMIT;"));
    db::Database::setBusyTimeout(timeout);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Es konnte nicht geprüft werden,"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Die Reservierung wurde nicht gespeichert."));
    EXPECT_EQ(dialogs->lastMessage().title, "Reservierung verweigert");
    EXPECT_TRUE(LoadBooking(soon)->book_info.isEmpty());
    EXPECT_EQ(w().tbBuchungInfo->text(), "Hund");
}
