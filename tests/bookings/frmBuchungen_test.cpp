#include "bookings/frmBuchungen.h"

#include "bookings/bookinglist.h"
#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/dialogs/colorselector.h"
#include "core/dialogs/datepicker.h"
#include "core/terms.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class BookingWindow : public ::testing::Test {
protected:
    void TearDown() override { frmBuchungen::unload(); }

    int currentRow() const { return w().ListView1->currentIndex().row(); }
    static frmBuchungen& w() { return frmBuchungen::instance(); }
    static void clickRow(int row)
    {
        QTableView* view = w().ListView1;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 2)).center());
    }

    test::BookingDb db;
    test::WindowHooks windows;
    qint32 past = db.addBooking(db.place, db.anna, -10, -8);
    qint32 soon = db.addBooking(db.place, db.otto, 2, 4);
    qint32 later = db.addBooking(db.place, db.anna, 6, 9);
};

}  // namespace

TEST_F(BookingWindow, ShowBookingsListsSelectsAndLoadsTheBookingAsked)
{
    EXPECT_EQ(w().ShowBookings("", soon, db.place, true, 1), 3);
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(w().listModel()->bookIdAt(currentRow()), soon);
    EXPECT_EQ(w().lblBooking_id->text(), QString::number(soon));
    EXPECT_EQ(w().tbBewohner->text(), "Otto Brückner");
    EXPECT_EQ(w().tbBuchungDatum[0]->text(), db.dayText(2));
    EXPECT_EQ(w().listRooms->currentText(), "Haupthaus \\ Erdgeschoss \\ Zimmer 1");
    EXPECT_EQ(w().state().ListFilter, QStringLiteral("book_place_id = %1").arg(db.place));

    // 0 opens the first line, the newest start.
    w().ShowBookings("", 0, db.place, true, -1);
    EXPECT_EQ(w().state().CurrentBookingId, later);

    // -1 selects nothing: the fields stay and become a new booking.
    w().ShowBookings("", -1, db.place, false, -1);
    EXPECT_EQ(currentRow(), -1);
    EXPECT_EQ(w().state().CurrentBookingId, -1);
    EXPECT_TRUE(w().lblBooking_id->text().isEmpty());
    EXPECT_EQ(w().tbBewohner->text(), "Anna Meier");

    // A booking that is not listed is not taken for the one shown.
    w().ShowBookings("", 0, db.place, true, -1);
    w().ShowBookings(QStringLiteral("book_id = %1").arg(past), soon, -1, true, -1);
    EXPECT_EQ(w().state().CurrentBookingId, later);
}

TEST_F(BookingWindow, NothingFoundShowsOneLineAndEmptiesTheEditor)
{
    w().ShowBookings("", later, db.place, true, 1);
    EXPECT_EQ(w().ShowBookings("book_id = 999", 999, -1, true, -1), 0);
    EXPECT_EQ(w().listModel()->index(0, 0).data().toString(), "keine Reservierungen gefunden");
    EXPECT_EQ(w().state().CurrentBookingId, -1);
    EXPECT_TRUE(w().tbBewohner->text().isEmpty());
    EXPECT_TRUE(w().tbBuchungDatum[0]->text().isEmpty());
    EXPECT_EQ(w().lbBookingStatus->text(), "frei");
}

TEST_F(BookingWindow, TheRangeOptionListsAgainWithTheSameFilter)
{
    w().ShowBookings("", -1, db.place, false, 1);
    EXPECT_EQ(w().listModel()->bookingCount(), 3);
    w().optListRange[0]->click();
    EXPECT_EQ(w().listModel()->bookingCount(), 2);
    EXPECT_EQ(w().listModel()->rowOfBooking(past), -1);
    EXPECT_EQ(w().state().ListFilter, QStringLiteral("book_place_id = %1").arg(db.place));
    // Set by a caller, the option does not list a second time, and stays.
    w().ShowBookings("", -1, db.place, false, -1);
    EXPECT_EQ(w().listModel()->bookingCount(), 2);
}

TEST_F(BookingWindow, ClickingALineOrAHeaderLoadsOrSorts)
{
    w().ShowBookings("", -1, db.place, false, 1);
    clickRow(2);
    EXPECT_EQ(w().state().CurrentBookingId, past);
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(-8));

    QHeaderView* header = w().ListView1->horizontalHeader();
    const QPoint end(header->sectionViewportPosition(BookingListModel::ColEnd) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, end);
    EXPECT_EQ(w().listModel()->bookIdAt(0), past);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, end);
    EXPECT_EQ(w().listModel()->bookIdAt(0), later);
    // The booking in the editor stays marked and loaded.
    EXPECT_EQ(w().listModel()->bookIdAt(currentRow()), past);
    EXPECT_EQ(w().state().CurrentBookingId, past);
}

TEST_F(BookingWindow, ANewBookingFromThePlanIsSavedAndTheWindowHides)
{
    w().CreateNewBooking(db.otherPlace, 0, db.dayText(3), db.dayText(5));
    EXPECT_TRUE(w().isVisible());
    EXPECT_EQ(w().listRooms->currentData().toInt(), db.otherPlace);
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(5));
    EXPECT_EQ(w().listModel()->index(0, 0).data().toString(), "keine Reservierungen gefunden");

    w().cmdShowPat->click();
    EXPECT_EQ(windows.opened.last(), "ShowAdresse(-1)");
    EXPECT_EQ(windows.lastAddressCaller, static_cast<AddressReceiver*>(&w()));
    w().AddMainAdress(db.anna, "Anna Meier");
    EXPECT_EQ(w().tbBewohner->text(), "Meier, Anna");
    EXPECT_EQ(BackColor(w().tbBewohner), ConflictFreeColor);

    test::DialogScope dialogs;
    w().cmdSave[1]->click();
    EXPECT_FALSE(w().isVisible());
    EXPECT_TRUE(frmBuchungen::isLoaded());
    EXPECT_EQ(windows.planRefreshed, 1);
    const std::optional<Booking> saved = LoadBooking(w().state().CurrentBookingId);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->book_place_id, db.otherPlace);
    EXPECT_EQ(saved->book_end, db.day(5));

    w().CreateNewBooking(0, 0, db.dayText(3), db.dayText(5));
    EXPECT_FALSE(w().isVisible());
}

TEST_F(BookingWindow, TypedDatesAreCompletedAndCheckedWhenTheBoxIsLeft)
{
    w().CreateNewBooking(db.place, 0, "", "");
    w().activateWindow();
    QLineEdit* start = w().tbBuchungDatum[0];
    start->setFocus();
    start->clear();
    QTest::keyClicks(start, rt::formatDate(db.day(3), "ddmmyyyy"));
    QTest::keyClick(start, Qt::Key_Return);
    EXPECT_EQ(start->text(), db.dayText(3));
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(4));
    EXPECT_EQ(BackColor(start), PlaceOccupiedColor);   // "soon" holds the place

    w().btnStartDateStep[0]->click();
    EXPECT_EQ(start->text(), db.dayText(4));
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(5));
}

TEST_F(BookingWindow, ADepartureThatCannotBeReadIsEmptiedAndItsSaveRefused)
{
    w().ShowBookings("", soon, db.place, true, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    QLineEdit* departure = w().tbBuchungDatum[1];
    QTest::mouseClick(departure, Qt::LeftButton);
    QTest::keyClick(departure, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(departure, QStringLiteral("19.12."));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
    EXPECT_EQ(departure->text(), "");
    EXPECT_EQ(LoadBooking(soon)->book_end, db.day(4));
    // Back in the box, no day is put there for the user.
    QTest::mouseClick(departure, Qt::LeftButton);
    EXPECT_EQ(departure->text(), "");
}

TEST_F(BookingWindow, ClosingHidesAndKeepsTheEditor)
{
    w().ShowBookings("", soon, db.place, true, 1);
    w().close();
    EXPECT_FALSE(w().isVisible());
    EXPECT_EQ(LastDeactivatedForm, "FRMBUCHUNGEN");
    w().ShowBookings("", soon, db.place, true, -1);
    EXPECT_EQ(w().tbBewohner->text(), "Otto Brückner");
}

TEST_F(BookingWindow, ADayPickedInTheDatePickerIsTakenAndUndoBringsTheStoredOneBack)
{
    w().ShowBookings("", soon, db.place, true, 1);
    QTest::mouseDClick(w().tbBuchungDatum[1], Qt::LeftButton);
    ASSERT_TRUE(frmCalendar::isLoaded());
    frmCalendar& picker = frmCalendar::instance();
    EXPECT_TRUE(picker.isVisible());
    EXPECT_EQ(picker.Value(), db.day(4).datePart());
    picker.DrawCalendar(db.day(1).datePart());
    QTest::keyClick(&picker, Qt::Key_Return);
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(1));
    EXPECT_EQ(w().tbBuchungDatum[0]->text(), db.dayText(0));   // the start goes before the end

    w().btnUndo->click();
    EXPECT_EQ(w().tbBuchungDatum[0]->text(), db.dayText(2));
    EXPECT_EQ(w().tbBuchungDatum[1]->text(), db.dayText(4));
    frmCalendar::unload();
}

TEST_F(BookingWindow, AClickOnTheColourOpensTheChoiceAndPicksNothing)
{
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_color_id = 3 WHERE book_id = %1").arg(soon));
    w().ShowBookings(QString(), soon, db.place, true, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    // Through the window, as the window system delivers them: the release
    // goes to the pop-up the press opened under the pointer, on its "keine".
    const QPoint middle = w().lbColor->mapTo(&w(), w().lbColor->rect().center());
    QTest::mousePress(w().windowHandle(), Qt::LeftButton, {}, middle);
    QTest::mouseRelease(w().windowHandle(), Qt::LeftButton, {}, middle);
    frmColorSelector& colours = frmColorSelector::instance();
    EXPECT_TRUE(colours.lbColorSelector[0]->rect().contains(colours.lbColorSelector[0]->mapFromGlobal(w().mapToGlobal(middle))));
    EXPECT_TRUE(colours.isVisible());
    EXPECT_EQ(w().state().BookingColorIndex, 3);
    QTest::mouseClick(colours.lbColorSelector[0], Qt::LeftButton);
    EXPECT_EQ(w().state().BookingColorIndex, 0);
    frmColorSelector::Unload();
}

// The colour table may hold ids up to 32767; a booking's colour column only
// up to 255. Such a colour is refused, never another one stored in its place.
TEST_F(BookingWindow, AColourTheBookingCannotHoldIsRefusedAndTheBookingKeepsItsOwn)
{
    test::GlobalsScope globals;
    ColorCodes.assign(301, QString());
    ColorCodes[3] = QStringLiteral("FF");
    ColorCodes[255] = QStringLiteral("FF00");
    ColorCodes[300] = QStringLiteral("FF0000");
    ColorCount = 300;
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_color_id = 3 WHERE book_id = %1").arg(soon));
    w().ShowBookings(QString(), soon, db.place, true, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w().lbColor, Qt::LeftButton);
    frmColorSelector& colours = frmColorSelector::instance();
    ASSERT_TRUE(colours.isVisible());
    QTest::mouseClick(colours.lbColorSelector[300], Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Farbe Nr. 300")));
    EXPECT_EQ(w().state().BookingColorIndex, 3);
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    EXPECT_EQ(LoadBooking(soon)->book_color_id, 3);
    frmColorSelector::Unload();
}

TEST_F(BookingWindow, ADayTypedAfterAClickIntoTheEmptyArrivalReplacesTheDayTheClickPutThere)
{
    w().CreateNewBooking(db.otherPlace, 0, QString(), QString());
    w().AddMainAdress(db.anna, "Anna Meier");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w()));
    QLineEdit* arrival = w().tbBuchungDatum[0];
    QTest::mouseClick(arrival, Qt::LeftButton, {}, arrival->rect().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(arrival->text(), db.dayText(0));
    QTest::keyClicks(arrival, db.dayText(5));
    QTest::keyClick(arrival, Qt::Key_Tab);
    QTest::mouseClick(w().cmdSave[0], Qt::LeftButton);
    EXPECT_EQ(LoadBooking(w().state().CurrentBookingId)->book_start, db.day(5));
}
