#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "schedule/usercontrol1.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using test::PlanDb;

// One floor with two rooms; Meier stays in room 01 from 2 to 4 July.
class ScheduleTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        const qint32 floor = PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haupthaus")), 0, QStringLiteral("EG"));
        room1 = PlanDb::addPlace(floor, QStringLiteral("01"));
        room2 = PlanDb::addPlace(floor, QStringLiteral("02"));
        booking = PlanDb::addBooking(room1, PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna")),
                                     PlanDb::noon(2026, 7, 2), PlanDb::noon(2026, 7, 4));
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 2)};
        MaxWeekCols = 14;
        StationReadOnly = false;
    }
    void TearDown() override { frmStockwerke::unload(); }

    frmStockwerke& shown()
    {
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        w.SSTab1->setCurrentIndex(1);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }
    // Where booking id's bar lies on the control, and how wide a day is.
    QRect bar(frmStockwerke& w, qint32 id)
    {
        const auto& items = w.mySchedule->model().timeObjects();
        for (size_t i = 1; i < items.size(); ++i)
            if (items[i].id == id)
                return w.mySchedule->model().labels()[i].rect.translated(w.mySchedule->canvasToWidget(QPoint()));
        return QRect();
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    qint32 room1 = 0, room2 = 0, booking = 0;
};

}  // namespace

TEST_F(ScheduleTab, ABarClickedLoadsItsBookingAndAShiftCtrlDragMovesItADay)
{
    frmStockwerke& w = shown();
    EXPECT_EQ(w.lbBelegungsverlaufStockwerkName->text(), QStringLiteral("Haupthaus / EG"));
    const QRect r = bar(w, booking);
    ASSERT_FALSE(r.isEmpty());
    QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, r.center());
    EXPECT_EQ(w.state().CurrentBookingId, booking);
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), QStringLiteral("02.07.2026"));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 4));

    const int day = r.width() / 2;
    const Qt::KeyboardModifiers move = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::mousePress(w.mySchedule, Qt::LeftButton, move, r.center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, move, r.center() + QPoint(day, 0));
    EXPECT_EQ(LoadBooking(booking)->book_start, PlanDb::noon(2026, 7, 3));
    EXPECT_EQ(LoadBooking(booking)->book_end, PlanDb::noon(2026, 7, 5));
    // The bar, the panel and the selection follow; the refresh starts the scale at midnight.
    EXPECT_EQ(bar(w, booking).left(), r.left() + day + day / 2);
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), QStringLiteral("03.07.2026"));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 5));
    EXPECT_EQ(w.mySchedule->SelectedTermin_ids(), QVector<qint32>{0});

    // Ctrl drops a copy on the next room; Delete with nothing selected asks nothing.
    QTest::mousePress(w.mySchedule, Qt::LeftButton, Qt::ControlModifier, bar(w, booking).center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, Qt::ControlModifier, bar(w, booking).center() + QPoint(0, 20));
    ASSERT_EQ(database.count("tbl_bookings", QStringLiteral("book_place_id = %1").arg(room2)), 1);
    QTest::keyClick(w.mySchedule, Qt::Key_Delete);
    EXPECT_EQ(database.count("tbl_bookings"), 2);
}

TEST_F(ScheduleTab, DoubleClicksOpenTheBookingListOrANewBookingOfThePlace)
{
    frmStockwerke& w = shown();
    // A double-click comes as a click, then a double-click in place of the second press.
    const auto doubleClick = [&w](QPoint p) {
        QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, p);
        QTest::mouseDClick(w.mySchedule, Qt::LeftButton, {}, p);
        QTest::mouseRelease(w.mySchedule, Qt::LeftButton, {}, p);
    };
    const QRect r = bar(w, booking);
    doubleClick(r.center());
    // Room 02 lies in the row below, free on the day of the bar's right end.
    doubleClick(QPoint(r.right() - 2, r.center().y() + 20));
    EXPECT_EQ(windows.opened, (QStringList{QStringLiteral("ShowBookings(|%1|-1|1|1)").arg(booking),
                                           QStringLiteral("CreateNewBooking(%1|-1|04.07.2026|05.07.2026)").arg(room2)}));
}

TEST_F(ScheduleTab, DeleteAsksThenRemovesTheSelectedBookingAndEmptiesThePanelButEnterKeepsIt)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, bar(w, booking).center());
    test::DialogScope dialogs;
    // Enter on the question keeps it.
    dialogs->answerDefault();
    QTest::keyClick(w.mySchedule, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Buchungen löschen"));
    EXPECT_TRUE(LoadBooking(booking));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.mySchedule, Qt::Key_Delete);
    EXPECT_FALSE(LoadBooking(booking));
    EXPECT_TRUE(bar(w, booking).isEmpty());
    EXPECT_EQ(w.state().CurrentBookingId, -1);
}

TEST_F(ScheduleTab, DeleteAfterTheOtherStationMovedTheBookingNamesWhereItIsNowAndEnterKeepsIt)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, bar(w, booking).center());
    test::OtherStation other{database.path()};
    other.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = #07/10/2026 12:00:00#, "
                              "book_end = #07/12/2026 12:00:00# WHERE book_id = ?"), {booking});
    test::DialogScope dialogs;
    dialogs->answerDefault();
    QTest::keyClick(w.mySchedule, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Die Reservierung %1 für \"Anna Meier\" wurde inzwischen an anderer Stelle "
 "geändert: Zeitraum jetzt 10.07.2026 – 12.07.2026. Trotzdem löschen?").arg(booking));
    EXPECT_TRUE(LoadBooking(booking));
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::keyClick(w.mySchedule, Qt::Key_Delete);
    EXPECT_FALSE(LoadBooking(booking));
}

// Station B's schedule drew Meier's bar; station A then changes the booking.
TEST_F(ScheduleTab, ADragOrCopyOfABarAnotherStationChangedWritesNothingNamesTheStoredValueAndRedraws)
{
    TermPlaceSingular = QStringLiteral("Zimmer");
    frmStockwerke& w = shown();
    test::OtherStation a{database.path()};
    const QRect drawn = bar(w, booking);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);

    // A moved it to room 02; B drags the old bar a day on.
    a.exec(QStringLiteral("UPDATE tbl_bookings SET book_place_id = ? WHERE book_id = ?"), {room2, booking});
    QTest::mousePress(w.mySchedule, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, drawn.center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                        drawn.center() + QPoint(drawn.width() / 2, 0));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Zimmer jetzt \"02\". Sie wurde nicht verschoben")));
    EXPECT_EQ(LoadBooking(booking)->book_start, PlanDb::noon(2026, 7, 2));
    EXPECT_EQ(bar(w, booking).top(), drawn.top() + 20) << "redrawn as stored, in the row below";

    // A moved the stay; B Ctrl-drags the bar it shows back to room 01.
    const QRect redrawn = bar(w, booking);
    a.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = #07/10/2026 12:00:00#, book_end = #07/12/2026 12:00:00# "
                          "WHERE book_id = ?"), {booking});
    QTest::mousePress(w.mySchedule, Qt::LeftButton, Qt::ControlModifier, redrawn.center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, Qt::ControlModifier, redrawn.center() + QPoint(0, -20));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Zeitraum jetzt 10.07.2026 – 12.07.2026. Sie wurde "
                                                                    "nicht kopiert")));
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_EQ(bar(w, booking).left(), redrawn.left() + 4 * redrawn.width());
}

TEST_F(ScheduleTab, ADropRefusedForABookingMadeSinceTheBarsWereDrawnShowsThatBooking)
{
    frmStockwerke& w = shown();
    const QRect drawn = bar(w, booking);
    test::OtherStation a{database.path()};
    a.run([&] {
        PlanDb::addBooking(room2, PlanDb::addCustomer(QStringLiteral("Schulz"), QString()), PlanDb::noon(2026, 7, 5),
                           PlanDb::noon(2026, 7, 8));
    });
    const qint32 made = PlanDb::lastId(QStringLiteral("tbl_bookings"));
    ASSERT_TRUE(bar(w, made).isEmpty());
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    // Meier's bar three days on, into room 02.
    const Qt::KeyboardModifiers move = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::mousePress(w.mySchedule, Qt::LeftButton, move, drawn.center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, move, drawn.center() + QPoint(3 * drawn.width() / 2, 20));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("\"02\" ist im Zeitraum bereits belegt")));
    EXPECT_EQ(LoadBooking(booking)->book_place_id, room1);
    EXPECT_FALSE(bar(w, made).isEmpty());
}

TEST_F(ScheduleTab, AFramedPlaceIsTheOneASaveNames)
{
    frmStockwerke& w = shown();
    const qint32 other = PlanDb::addCustomer(QStringLiteral("Schulz"), QStringLiteral("Jan"));
    // Room 02 chosen first by its row's header.
    const QPoint canvas = w.mySchedule->canvasToWidget(QPoint());
    QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, QPoint(canvas.x() / 2, canvas.y() + 30));
    ASSERT_EQ(w.state().CurrentPlaceId, room2);
    ASSERT_EQ(CurrentPlaceName, QStringLiteral("02"));

    // A frame from the free evening of 1 July onto Meier's bar in room 01.
    QTest::mousePress(w.mySchedule, Qt::LeftButton, {}, canvas + QPoint(10, 8));
    QTest::mouseMove(w.mySchedule, canvas + QPoint(60, 10));
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, {}, canvas + QPoint(100, 12));
    EXPECT_EQ(w.state().CurrentPlaceId, room1);
    EXPECT_EQ(CurrentPlaceName, QStringLiteral("01"));
    // The days the frame covers, not those of the bar it reached.
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), QStringLiteral("01.07.2026"));
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), QStringLiteral("03.07.2026"));

    w.AddMainAdress(other, QStringLiteral("Jan Schulz"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText(QStringLiteral("01")));
    EXPECT_EQ(database.count("tbl_bookings"), 1);
}

TEST_F(ScheduleTab, AMoveInTheBuildingViewKeepsTheBuilding)
{
    const qint32 house = PlanDb::lastId(QStringLiteral("tbl_buildings"));
    const qint32 room11 = PlanDb::addPlace(PlanDb::addFloor(house, 1, QStringLiteral("OG")), QStringLiteral("11"));
    Db->execute(QStringLiteral("UPDATE tbl_places SET pl_building_id = ?"), {house});
    frmStockwerke& w = shown();
    const auto rows = [&w] {
        QList<qint32> ids;
        for (const auto& r : w.mySchedule->model().resources())
            if (r.id > 0)
                ids << r.id;
        return ids;
    };
    ASSERT_EQ(rows(), (QList<qint32>{room1, room2}));
    // The building's cell in the grid: the whole building.
    const QPoint cell = w.BuildingGrid->visualRect(w.BuildingGrid->model()->index(0, 0)).center();
    QTest::mouseClick(w.BuildingGrid->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(rows(), (QList<qint32>{room1, room2, room11}));

    const QRect r = bar(w, booking);
    const Qt::KeyboardModifiers move = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::mousePress(w.mySchedule, Qt::LeftButton, move, r.center());
    QTest::mouseRelease(w.mySchedule, Qt::LeftButton, move, r.center() + QPoint(0, 40));
    EXPECT_EQ(LoadBooking(booking)->book_place_id, room11);
    EXPECT_EQ(rows(), (QList<qint32>{room1, room2, room11})) << "still the building";
    EXPECT_FALSE(bar(w, booking).isEmpty()) << "the moved booking stays in sight";
}
