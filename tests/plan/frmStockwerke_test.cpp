#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "plan/floorplan.h"
#include "plan/plancalendar.h"
#include "platform/runtime/color.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QComboBox>
#include <QImage>
#include <QTabBar>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test::PlanDb;

// The plan of a small house: Haupthaus with ground and first floor, Anbau
// with one floor; a second facility with a building of its own.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        PlanDb::addFacility(2, QStringLiteral("Ferienhof"));
        PlanDb::addRoomType(1, QStringLiteral("Einzelzimmer"));
        PlanDb::addRoomType(2, QStringLiteral("Doppelzimmer"));
        main = PlanDb::addBuilding(1, QStringLiteral("Haupthaus"));
        ground = PlanDb::addFloor(main, 0, QStringLiteral("Erdgeschoss"));
        upper = PlanDb::addFloor(main, 1, QStringLiteral("1. Stock"));
        annex = PlanDb::addBuilding(1, QStringLiteral("Anbau"));
        annexFloor = PlanDb::addFloor(annex, 0, QStringLiteral("Anbau EG"));
        farmFloor = PlanDb::addFloor(PlanDb::addBuilding(2, QStringLiteral("Scheune")), 0, QStringLiteral("Tenne"));
        room1 = PlanDb::addPlace(ground, QStringLiteral("01"), 1, 300, 450);
        room2 = PlanDb::addPlace(ground, QStringLiteral("02"), 2, 1500, 450);
        room3 = PlanDb::addPlace(ground, QStringLiteral("03"), 2, 3000, 450);
        room11 = PlanDb::addPlace(upper, QStringLiteral("11"), 1);
        PlanDb::addPlace(farmFloor, QStringLiteral("Heuboden"));
        guest = PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna"));
        Db->execute(QStringLiteral("INSERT INTO tbl_workstations (ws_computername) VALUES ('PLANPC')"));

        ComputerName = QStringLiteral("PLANPC");
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3)};
        ImageDir = database.folder().path();
        AdminPasswordActive = false;
        StationReadOnly = false;
        LoadRoomTypes(1);
    }
    void TearDown() override { frmStockwerke::unload(); }

    frmStockwerke& shown()
    {
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        // The calendar turns to the period's month.
        QTest::mouseClick(w.lbDateRange, Qt::LeftButton);
        return w;
    }
    std::vector<QLabel*> visibleMarkers(frmStockwerke& w)
    {
        std::vector<QLabel*> shownMarkers;
        for (size_t i = 1; i < w.lbPlatz.size(); ++i) {
            if (!w.lbPlatz[i]->isHidden())
                shownMarkers.push_back(w.lbPlatz[i]);
        }
        return shownMarkers;
    }
    QLabel* markerOf(frmStockwerke& w, qint32 placeId)
    {
        for (QLabel* label : visibleMarkers(w)) {
            if (label->property("Tag").toString().toInt() == placeId)
                return label;
        }
        return nullptr;
    }
    QPoint calendarPoint(frmStockwerke& w, const rt::Date& date)
    {
        for (int i = 0; i < CalendarCellCount; ++i) {
            if (w.calendar().cells()[i].date == date)
                return w.CalendarGrid->visualRect(w.CalendarGrid->model()->index(i / 7, i % 7)).center();
        }
        ADD_FAILURE() << "day not shown";
        return {};
    }
    void clickGrid(QTableWidget* grid, int row, int column)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, column)).center());
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    qint32 main = 0, ground = 0, upper = 0, annex = 0, annexFloor = 0, farmFloor = 0;
    qint32 room1 = 0, room2 = 0, room3 = 0, room11 = 0, guest = 0;
};

}  // namespace

TEST_F(MainWindow, InitShowsTheFacilityItsBuildingsAndTheFirstFloorWithItsMarkers)
{
    PlanDb::addBooking(room2, guest, PlanDb::noon(2026, 6, 30), PlanDb::noon(2026, 7, 2));
    frmStockwerke& w = shown();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(PlanFormLoaded);
    EXPECT_EQ(w.windowTitle(), AppTitle + " " + VersionText);
    EXPECT_EQ(w.lbEinrichtungsname->text(), "Pension Test");
    ASSERT_EQ(w.BuildingGrid->rowCount(), 2);
    EXPECT_TRUE(w.BuildingGrid->item(0, 0)->text().startsWith("Haupthaus"));
    EXPECT_EQ(w.lbStockwerkName->text(), "Haupthaus / Erdgeschoss");
    EXPECT_EQ(w.state().CurrentFloorId, ground);

    ASSERT_EQ(visibleMarkers(w).size(), 3u);
    QLabel* first = markerOf(w, room1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->pos(), QPoint(20, 30));
    EXPECT_EQ(first->size(), QSize(13, 13));
    EXPECT_EQ(first->toolTip(), "01");
    EXPECT_EQ(BackColor(first), MarkerFreeColor);
    EXPECT_EQ(BackColor(markerOf(w, room2)), MarkerOccupiedColor);
    EXPECT_EQ(w.lbBettenCount->text(), "3 Betten, 1 belegt (33%), 2 frei (66%)");
    ASSERT_EQ(w.state().PlaceHomePos.size(), 4u);
    EXPECT_EQ(w.state().PlaceHomePos[1].x, 300);
    EXPECT_EQ(w.state().PlaceHomePos[1].y, 450);
}

TEST_F(MainWindow, InitAgainForTheSameFacilityKeepsItsFillsAndAnotherFacilityStartsOver)
{
    frmStockwerke& w = shown();
    w.listRoomCategoryFilter->setCurrentIndex(2);
    w.menuShowCategoryColors->setChecked(true);
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    ASSERT_EQ(w.state().CurrentPlaceId, room1);

    w.init();
    EXPECT_EQ(w.listRoomCategoryFilter->currentIndex(), 2);
    EXPECT_TRUE(w.menuShowCategoryColors->isChecked());
    EXPECT_EQ(w.state().CurrentFloorId, ground);

    MandantId = 2;
    MandantName = QStringLiteral("Ferienhof");
    w.init();
    EXPECT_EQ(w.lbEinrichtungsname->text(), "Ferienhof");
    EXPECT_EQ(w.listRoomCategoryFilter->currentIndex(), 0);
    EXPECT_FALSE(w.menuShowCategoryColors->isChecked());
    EXPECT_EQ(w.state().CurrentFloorId, farmFloor);
    EXPECT_EQ(w.state().CurrentPlaceId, -1);
    EXPECT_EQ(w.state().LoadedMandantId, 2);
    EXPECT_EQ(w.lbStockwerkName->text(), "Scheune / Tenne");
}

TEST_F(MainWindow, ActualizeControlsRedrawsTheShownTabThenTheGridAndCountsAsAnAccess)
{
    frmStockwerke& w = shown();
    ASSERT_EQ(BackColor(markerOf(w, room3)), MarkerFreeColor);
    PlanDb::addBooking(room3, guest, PlanDb::noon(2026, 7, 2), PlanDb::noon(2026, 7, 5));
    Db->execute(QStringLiteral("UPDATE tbl_workstations SET ws_lastaccess = NULL"));

    w.ActualizeControls(rt::Date::fromParts(2021, 3, 15, 18, 30));
    EXPECT_EQ(BackColor(markerOf(w, room3)), MarkerOccupiedColor);
    EXPECT_TRUE(w.state().PlanStartDate.isZero());
    EXPECT_EQ(w.BuildingGrid->item(0, 2)->text(), "2");
    EXPECT_FALSE(database.value("SELECT ws_lastaccess FROM tbl_workstations").isNull());

    // The schedule's first fill takes the period's start; a refresh without a
    // date keeps its day (from midnight on), one with a date starts there.
    w.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(w.state().PlanStartDate, SelectedPeriod[0]);
    w.ActualizeControls();
    EXPECT_EQ(w.state().PlanStartDate, SelectedPeriod[0].datePart());
    w.ActualizeControls(rt::Date::fromParts(2021, 3, 15, 18, 30));
    EXPECT_EQ(w.state().PlanStartDate, rt::Date::fromParts(2021, 3, 15));

    w.SSTab1->setCurrentIndex(2);
    Db->execute(QStringLiteral("UPDATE tbl_workstations SET ws_lastaccess = NULL"));
    PlanDb::addBooking(room1, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 2));
    w.ActualizeControls(rt::Date::fromParts(2024, 1, 1));
    EXPECT_EQ(w.BuildingGrid->item(0, 2)->text(), "1");
    EXPECT_FALSE(database.value("SELECT ws_lastaccess FROM tbl_workstations").isNull());
    EXPECT_EQ(w.state().PlanStartDate, rt::Date::fromParts(2021, 3, 15));
}

TEST_F(MainWindow, LeavingTheFloorPlanEndsEditModeAndComingBackShowsTheSameFloor)
{
    frmStockwerke& w = shown();
    w.ShowStockwerkDetails(upper, main);
    w.state().EditMode = true;
    w.SSTab1->setCurrentIndex(1);
    EXPECT_FALSE(w.state().EditMode);
    EXPECT_FALSE(w.menuEditMode->isChecked());
    w.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(w.lbStockwerkName->text(), "Haupthaus / 1. Stock");
    EXPECT_EQ(visibleMarkers(w).size(), 1u);
}

TEST_F(MainWindow, TheBuildingGridShowsTheClickedFloorOrTheBuildingsFirstFloor)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    clickGrid(w.BuildingGrid, 0, 3);
    EXPECT_EQ(w.state().CurrentFloorId, upper);
    EXPECT_EQ(w.state().CurrentPlaceId, -1);
    EXPECT_EQ(w.lblRoomName->text(), "");
    EXPECT_EQ(w.lbStockwerkName->text(), "Haupthaus / 1. Stock");

    clickGrid(w.BuildingGrid, 1, 0);
    EXPECT_EQ(w.state().CurrentFloorId, annexFloor);
    EXPECT_EQ(w.state().CurrentBuildingId, annex);

    // The pointer shows which cells lead somewhere.
    QWidget* cells = w.BuildingGrid->viewport();
    auto moveTo = [&](int row, int column) {
        const QPoint at = w.BuildingGrid->visualRect(w.BuildingGrid->model()->index(row, column)).center();
        QMouseEvent move(QEvent::MouseMove, at, cells->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(cells, &move);
        return cells->cursor().shape();
    };
    EXPECT_EQ(moveTo(0, 2), Qt::PointingHandCursor);
    EXPECT_EQ(moveTo(1, 3), Qt::ArrowCursor);

    const qint32 empty = PlanDb::addBuilding(1, QStringLiteral("Neubau"));
    dialogs->answerMessage(ui::Answer::Ok);
    w.ShowStockwerkDetails(-1, empty);
    EXPECT_EQ(dialogs->lastMessage().text, "Für dieses Gebäude ist keine Etage definiert.");
    EXPECT_EQ(w.state().CurrentFloorId, annexFloor);

    // A floor of another facility is never shown here.
    dialogs->answerMessage(ui::Answer::Ok);
    w.ShowStockwerkDetails(farmFloor, -1);
    EXPECT_EQ(dialogs->lastMessage().text, "Die gesuchte Etage wurde nicht definiert.");
    EXPECT_EQ(w.state().CurrentFloorId, annexFloor);
}

TEST_F(MainWindow, TheFloorStepperGoesUpAndDownWithinTheBuilding)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(w.cmdFloorStep[1], Qt::LeftButton);
    EXPECT_EQ(w.state().CurrentFloorId, upper);
    EXPECT_EQ(w.state().CurrentFloorOrder, 1);

    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdFloorStep[1], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Die gesuchte Etage wurde nicht definiert.");
    EXPECT_EQ(w.state().CurrentFloorId, upper);

    QTest::mouseClick(w.cmdFloorStep[0], Qt::LeftButton);
    EXPECT_EQ(w.state().CurrentFloorId, ground);
}

TEST_F(MainWindow, PressingAMarkerMarksByModifierAndMakesItsPlaceCurrent)
{
    frmStockwerke& w = shown();
    QLabel* a = markerOf(w, room1);
    QLabel* b = markerOf(w, room2);
    QLabel* c = markerOf(w, room3);

    QTest::mousePress(a, Qt::LeftButton);
    EXPECT_EQ(a->text(), "X");
    EXPECT_EQ(w.state().CurrentPlaceId, room1);
    EXPECT_EQ(CurrentPlaceName, "01");
    EXPECT_EQ(w.lblRoomName->text(), "01");

    QTest::mousePress(b, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(a->text(), "X");
    EXPECT_EQ(b->text(), "X");

    QTest::mousePress(b, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(b->text(), "");

    QTest::mousePress(c, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(c->text(), "");
    EXPECT_EQ(a->text(), "X");
    EXPECT_EQ(w.state().CurrentPlaceId, room3);

    QTest::mousePress(c, Qt::LeftButton);
    EXPECT_EQ(a->text(), "");
    EXPECT_EQ(c->text(), "X");
    EXPECT_EQ(c->frameShape(), QFrame::Box);

    QTest::mousePress(w.imgStockwerk, Qt::LeftButton);
    EXPECT_EQ(c->text(), "");
    EXPECT_EQ(w.state().CurrentPlaceId, room3);

    // Redrawn, the current place carries the mark again.
    w.ActualizeControls();
    EXPECT_EQ(markerOf(w, room3)->text(), "X");
}

TEST_F(MainWindow, TheCategoryFilterRedrawsTheFloorWithItsPlacesOnly)
{
    frmStockwerke& w = shown();
    w.listRoomCategoryFilter->setCurrentIndex(2);
    emit w.listRoomCategoryFilter->activated(2);
    EXPECT_EQ(visibleMarkers(w).size(), 2u);
    EXPECT_EQ(w.lbBettenCount->text(), "[Doppelzimmer] : 2 Betten (alle frei)");
}

TEST_F(MainWindow, CalendarClicksAndDragsChooseThePeriod)
{
    frmStockwerke& w = shown();
    ASSERT_EQ(w.calendar().month(), 7);

    QTest::mouseClick(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 10)));
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 7, 10));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 10));
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "10.07.2026");
    EXPECT_EQ(w.lbDateRange->text(), "Fr  10.07.26  12:00   -   Fr  10.07.26  12:00");

    QTest::mousePress(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 10)));
    QTest::mouseRelease(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 3)));
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 7, 3));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 10));
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "10.07.2026");

    // A right press ends the period there.
    QTest::mouseClick(w.CalendarGrid->viewport(), Qt::RightButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 12)));
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 7, 3));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 12));

    // The middle button and the header change nothing.
    QTest::mouseClick(w.CalendarGrid->viewport(), Qt::MiddleButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 20)));
    QTest::mouseClick(w.CalendarGrid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 7, 3));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 12));
}

TEST_F(MainWindow, TheMonthStepsTurnTheCalendarAndAGreyDayOpensItsMonth)
{
    frmStockwerke& w = shown();
    const auto period = SelectedPeriod;
    QTest::mouseClick(w.btnMonthStep[1], Qt::LeftButton);
    EXPECT_EQ(w.calendar().month(), 8);
    EXPECT_EQ(w.listMonth->currentIndex(), 7);
    QTest::mouseClick(w.btnYearStep[0], Qt::LeftButton);
    EXPECT_EQ(w.calendar().year(), 2025);
    EXPECT_EQ(w.calendar().month(), 8);
    EXPECT_EQ(SelectedPeriod, period);

    QTest::mouseClick(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, w.calendar().first()));
    EXPECT_EQ(w.calendar().month(), 7);
    EXPECT_EQ(w.calendar().year(), 2025);
}

TEST_F(MainWindow, TheCalendarMarksTheBookedDaysOfTheCurrentPlace)
{
    PlanDb::addBooking(room2, guest, PlanDb::noon(2026, 7, 5), PlanDb::noon(2026, 7, 7));
    PlanDb::addBooking(room2, guest, PlanDb::noon(2026, 7, 20), PlanDb::noon(2026, 7, 22), 0);
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    const auto& cells = w.calendar().cells();
    auto backOf = [&](int d) {
        for (const auto& cell : cells) {
            if (cell.date == rt::Date::fromParts(2026, 7, d))
                return cell.back;
        }
        return -1;
    };
    EXPECT_EQ(backOf(5), CalendarBookedBack);
    EXPECT_EQ(backOf(7), CalendarBookedBack);
    EXPECT_EQ(backOf(8), 0);
    EXPECT_EQ(backOf(21), 0);
    EXPECT_EQ(backOf(2), CalendarPeriodBack);
    const QModelIndex fifth = w.CalendarGrid->indexAt(calendarPoint(w, rt::Date::fromParts(2026, 7, 5)));
    const QTableWidgetItem* item = w.CalendarGrid->item(fifth.row(), fifth.column());
    EXPECT_EQ(item->text(), "5");
    EXPECT_EQ(item->foreground().color(), rt::toQColor(CalendarSundayFore));
    EXPECT_EQ(item->background().color(), rt::toQColor(CalendarBookedBack));
}

TEST_F(MainWindow, HeuteMakesTodayThePeriodAndShowsItsMonth)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(w.cmdBuchungStartNow, Qt::LeftButton);
    const rt::Date today = rt::Date::today();
    EXPECT_EQ(SelectedPeriod[0], today.atNoon());
    EXPECT_EQ(SelectedPeriod[1], today.atNoon().addDays(1));
    EXPECT_EQ(w.calendar().month(), today.month());

    w.SSTab1->setCurrentIndex(1);
    QTest::mouseClick(w.btnDateAddMonth[1], Qt::LeftButton);
    EXPECT_EQ(w.state().PlanStartDate, SelectedPeriod[0].datePart().addMonths(1));
    QTest::mouseClick(w.btnheute, Qt::LeftButton);
    EXPECT_EQ(w.state().PlanStartDate, today);
}

TEST_F(MainWindow, ClosingAsksAndEndsOnlyOnOk)
{
    frmStockwerke& w = shown();
    dialogs->answerMessage(ui::Answer::Cancel);
    dialogs->answerMessage(ui::Answer::Ok);
    w.close();
    EXPECT_EQ(dialogs->lastMessage().text, "Möchten Sie " + AppTitle + " beenden?");
    EXPECT_EQ(dialogs->lastMessage().title, AppTitle + " beenden");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Question);
    EXPECT_EQ(windows.ended, 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_THROW(w.close(), ProgramEnded);
    EXPECT_EQ(windows.ended, 1);
}

TEST_F(MainWindow, ClosingFromCodeAsksNothing)
{
    frmStockwerke& w = shown();
    Closing = true;
    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindow, F5RefreshesWhereverTheFocusIs)
{
    frmStockwerke& w = shown();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.tbBuchungInfo->setFocus();
    PlanDb::addBooking(room1, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 2));
    QTest::keyClick(w.tbBuchungInfo, Qt::Key_F5);
    EXPECT_EQ(BackColor(markerOf(w, room1)), MarkerOccupiedColor);
}

TEST_F(MainWindow, TheMainRoadPlacePeriodGuestSaveAndTheMarkerTurnsOccupied)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    EXPECT_EQ(w.lbBookingStatus->text(), "frei");
    QTest::mousePress(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 1)));
    QTest::mouseRelease(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 4)));
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "01.07.2026");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "04.07.2026");
    EXPECT_EQ(BackColor(w.tbBuchungDatum[0]), ConflictFreeColor);

    QTest::mouseClick(w.cmdShowPat, Qt::LeftButton);
    EXPECT_EQ(windows.opened.last(), "ShowAdresse(-1)");
    EXPECT_EQ(windows.lastAddressCaller, &w);
    w.AddMainAdress(guest, QStringLiteral("Anna Meier"));
    EXPECT_EQ(w.tbBewohner->text(), "Meier, Anna");

    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(database.count("tbl_bookings"), 1);
    EXPECT_EQ(w.lbBookingStatus->text(), "gebucht");
    EXPECT_EQ(BackColor(markerOf(w, room1)), MarkerOccupiedColor);
    EXPECT_EQ(w.lbBettenCount->text(), "3 Betten, 1 belegt (33%), 2 frei (66%)");

    // Pressed again, the place shows its booking; deleting it frees the place.
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    EXPECT_EQ(w.lbBookingCount->text(), "1 Reservierung im Prüfzeitraum");
    EXPECT_TRUE(w.btnShowBookings->isVisibleTo(&w));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdBuchungDelete, Qt::LeftButton);
    EXPECT_EQ(database.count("tbl_bookings"), 0);
    EXPECT_EQ(BackColor(markerOf(w, room1)), MarkerFreeColor);
    EXPECT_EQ(w.lbBookingStatus->text(), "frei");
    EXPECT_EQ(w.tbBewohner->text(), "");
}

TEST_F(MainWindow, AGuestDeletedElsewhereBeforeTheSaveIsClearedAndAnotherChosen)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    QTest::mousePress(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 1)));
    QTest::mouseRelease(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 4)));
    w.AddMainAdress(guest, QStringLiteral("Anna Meier"));
    Db->execute(QStringLiteral("DELETE FROM tbl_customers"));   // another workstation

    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, GuestDeletedText("Meier, Anna"));
    EXPECT_EQ(w.tbBewohner->text(), "");
    EXPECT_EQ(windows.opened.last(), "ShowAdresse(-1)");
    EXPECT_EQ(windows.lastAddressCaller, &w);
    EXPECT_EQ(database.count("tbl_bookings"), 0);
    EXPECT_EQ(w.lbBookingStatus->text(), "frei");
}

// Deleted before the address book handed it over: said at once, and the
// panel does not take a guest who is gone.
TEST_F(MainWindow, AGuestDeletedElsewhereBeforeTheHandOverIsNotTaken)
{
    TermPersonSingular = QStringLiteral("Gast");
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    QTest::mousePress(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 1)));
    QTest::mouseRelease(w.CalendarGrid->viewport(), Qt::LeftButton, {}, calendarPoint(w, rt::Date::fromParts(2026, 7, 4)));
    Db->execute(QStringLiteral("DELETE FROM tbl_customers"));   // another workstation

    dialogs->answerMessage(ui::Answer::Ok);
    w.AddMainAdress(guest, QStringLiteral("Anna Meier"));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Der Gast \"Anna Meier\" wurde inzwischen an einem anderen "
                                                          "Arbeitsplatz gelöscht und kann nicht übernommen werden."));
    EXPECT_EQ(w.tbBewohner->text(), "");
}

TEST_F(MainWindow, TheBookingDatesStepAndTakeTheDayPickedInTheCalendar)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(w.btnEndDateStep[0], Qt::LeftButton);
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "04.07.2026");
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2026, 7, 4));
    EXPECT_EQ(w.lbDateRange->text(), "Mi  01.07.26  12:00   -   Sa  04.07.26  12:00");

    QTest::mouseDClick(w.tbBuchungDatum[0], Qt::LeftButton);
    ASSERT_TRUE(frmCalendar::isLoaded());
    w.Receive_SelectedDate(rt::Date::fromParts(2026, 7, 6));
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "06.07.2026");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "07.07.2026");
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 7, 6));
    frmCalendar::unload();

    // Enter completes what was typed; what is no date is emptied, and no other day takes its place.
    QLineEdit* departure = w.tbBuchungDatum[1];
    departure->setFocus();
    for (const auto& [typed, shown] : {std::pair{"100726", "10.07.2026"}, std::pair{"0907", ""}}) {
        QTest::keyClick(departure, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(departure, typed);
        QTest::keyClick(departure, Qt::Key_Return);
        EXPECT_EQ(departure->text(), shown);
    }
}

TEST_F(MainWindow, ABookingChangedInAnotherWindowIsReadAgainIntoThePanel)
{
    frmStockwerke& w = shown();
    const qint32 booked = PlanDb::addBooking(room1, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3));
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    ASSERT_EQ(w.tbBuchungDatum[1]->text(), "03.07.2026");

    // The booking editor moves its end; the panel must not keep the old one
    // for its next save.
    Booking changed = *LoadBooking(booked);
    changed.book_end = PlanDb::noon(2026, 7, 5);
    test::WriteBooking(changed);
    w.RefreshAfterBookingChange();
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "05.07.2026");

    // A note typed into the panel meanwhile is not read over: its save merges.
    QTest::keyClicks(w.tbBuchungInfo, "spaet");
    changed.book_end = PlanDb::noon(2026, 7, 6);
    test::WriteBooking(changed);
    w.RefreshAfterBookingChange();
    EXPECT_EQ(w.tbBuchungInfo->text(), "spaet");
    w.tbBuchungInfo->clear();

    // Deleted there: the panel becomes a new booking.
    test::DeleteBooking(booked);
    w.RefreshAfterBookingChange();
    EXPECT_EQ(w.lbBookingStatus->text(), "frei");
    EXPECT_EQ(w.tbBewohner->text(), "");
}

TEST_F(MainWindow, ATakenGuestKeepsTheDatesOfAnOccupiedPlaceRed)
{
    PlanDb::addBooking(room2, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3));
    const qint32 other = PlanDb::addCustomer(QStringLiteral("Schulz"), QStringLiteral("Jan"));
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    ASSERT_EQ(w.lbBookingStatus->text(), "gebucht");
    QTest::mouseClick(w.btnNeuBooking, Qt::LeftButton);
    ASSERT_EQ(BackColor(w.tbBuchungDatum[0]), PlaceOccupiedColor);

    w.AddMainAdress(other, QStringLiteral("Jan Schulz"));
    EXPECT_EQ(w.tbBewohner->text(), "Schulz, Jan");
    EXPECT_EQ(BackColor(w.tbBewohner), ConflictFreeColor);
    EXPECT_EQ(BackColor(w.tbBuchungDatum[0]), PlaceOccupiedColor);
    EXPECT_EQ(BackColor(w.tbBuchungDatum[1]), PlaceOccupiedColor);
    EXPECT_EQ(w.lbBookingStatus->text(), "frei");

    // A double click on the place's name opens its details as the button does.
    windows.opened.clear();
    QTest::mouseDClick(w.lblRoomName, Qt::LeftButton);
    EXPECT_EQ(windows.opened, QStringList{QStringLiteral("CreateNewBooking(%1|%2|01.07.2026|03.07.2026)").arg(room2).arg(other)});
}

TEST_F(MainWindow, ATabSwitchOrAFloorChangeLeavesNoMarkWithoutItsPanel)
{
    PlanDb::addBooking(room2, guest, PlanDb::noon(2026, 7, 5), PlanDb::noon(2026, 7, 7));
    frmStockwerke& w = shown();
    const auto bookedDays = [&w] {
        return std::count_if(w.calendar().cells().begin(), w.calendar().cells().end(),
                             [](const PlanCalendarCell& c) { return c.back == CalendarBookedBack; });
    };
    const auto nothingClaimed = [&] {
        EXPECT_EQ(w.state().CurrentPlaceId, -1);
        EXPECT_EQ(w.lblRoomName->text(), "");
        EXPECT_EQ(CurrentPlaceName, "");
        EXPECT_EQ(bookedDays(), 0);
        EXPECT_EQ(w.lbBookingStatus->text(), "frei");
        for (QLabel* marker : visibleMarkers(w))
            EXPECT_EQ(marker->text(), "");
    };
    QTabBar* tabs = w.SSTab1->tabBar();
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    ASSERT_EQ(markerOf(w, room2)->text(), "X");
    ASSERT_EQ(bookedDays(), 3);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    nothingClaimed();

    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    ASSERT_EQ(bookedDays(), 3);
    QTest::mouseClick(w.cmdFloorStep[1], Qt::LeftButton);
    ASSERT_EQ(w.state().CurrentFloorId, upper);
    nothingClaimed();
}

TEST_F(MainWindow, AFacilityWithoutFloorsShowsNoneOfTheOldOne)
{
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(database.folder().path() + "eg.png"));
    Db->execute(QStringLiteral("UPDATE tbl_floors SET flr_imagefile = 'eg.png' WHERE flr_id = ?"), {ground});
    PlanDb::addFacility(3, QStringLiteral("Neubau ohne Etagen"));
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    ASSERT_FALSE(w.imgStockwerk->pixmap().isNull());

    // Chosen in the facility overview.
    MandantId = 3;
    MandantName = QStringLiteral("Neubau ohne Etagen");
    dialogs->answerMessage(ui::Answer::Ok);
    w.init();
    EXPECT_EQ(dialogs->lastMessage().text, "Die gesuchte Etage wurde nicht definiert.");
    EXPECT_EQ(w.lbEinrichtungsname->text(), "Neubau ohne Etagen");
    EXPECT_EQ(w.lbStockwerkName->text(), "");
    EXPECT_EQ(w.lbImageName->text(), "");
    EXPECT_TRUE(w.imgStockwerk->pixmap().isNull());
    EXPECT_TRUE(visibleMarkers(w).empty());
    EXPECT_EQ(w.state().CurrentFloorId, -1);
    EXPECT_EQ(w.lblRoomName->text(), "");

    // Nothing of the old facility can be booked.
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Raum muss erst definiert werden.");
    EXPECT_EQ(database.count("tbl_bookings"), 0);
}

TEST_F(MainWindow, TheCalendarStepsAcrossTheEndsOfTheYearListWithoutAJump)
{
    frmStockwerke& w = shown();
    const int first = w.listYear->itemText(0).toInt();
    const int last = w.listYear->itemText(w.listYear->count() - 1).toInt();
    w.listYear->setCurrentIndex(0);
    w.listMonth->setCurrentIndex(0);
    ASSERT_EQ(w.calendar().year(), first);
    ASSERT_EQ(w.calendar().month(), 1);

    QTest::mouseClick(w.btnMonthStep[0], Qt::LeftButton);
    EXPECT_EQ(w.calendar().year(), first - 1);
    EXPECT_EQ(w.calendar().month(), 12);
    EXPECT_EQ(w.listYear->currentText(), QString::number(first - 1));
    QTest::mouseClick(w.btnMonthStep[0], Qt::LeftButton);
    EXPECT_EQ(w.calendar().year(), first - 1);
    EXPECT_EQ(w.calendar().month(), 11);
    QTest::mouseClick(w.btnYearStep[0], Qt::LeftButton);
    EXPECT_EQ(w.listYear->currentText(), QString::number(first - 2));
    EXPECT_EQ(w.listYear->itemText(0), QString::number(first - 2));

    w.listYear->setCurrentIndex(w.listYear->count() - 1);
    w.listMonth->setCurrentIndex(11);
    ASSERT_EQ(w.calendar().year(), last);
    QTest::mouseClick(w.btnMonthStep[1], Qt::LeftButton);
    EXPECT_EQ(w.calendar().year(), last + 1);
    EXPECT_EQ(w.calendar().month(), 1);
    EXPECT_EQ(w.listYear->currentText(), QString::number(last + 1));
    QTest::mouseClick(w.btnMonthStep[1], Qt::LeftButton);
    EXPECT_EQ(w.calendar().month(), 2);
    EXPECT_EQ(w.calendar().year(), last + 1);
}

TEST_F(MainWindow, CategoryColoursComeFromThePaletteAndTheMarkStaysVisible)
{
    frmStockwerke& w = shown();
    // Each category is listed in the colour its places take.
    for (int i = 1; i <= 2; ++i) {
        const QImage swatch = w.listRoomCategoryFilter->itemIcon(i).pixmap(12, 12).toImage();
        EXPECT_EQ(swatch.pixelColor(6, 6), rt::toQColor(RoomTypeColour(i)));
    }
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    w.menuShowCategoryColors->trigger();
    QLabel* marked = markerOf(w, room2);
    EXPECT_EQ(BackColor(marked), RoomTypeColour(2));
    EXPECT_EQ(marked->text(), "X");
    EXPECT_EQ(marked->palette().color(QPalette::WindowText), MarkColourOn(RoomTypeColour(2)));
}

TEST_F(MainWindow, TheWindowKeepsItsWidthAndTheFloorSteppersTheirPlace)
{
    // Long names, as a house may give them.
    PlanDb::addRoomType(3, QStringLiteral("Ferienwohnung mit Seeblick, Balkon, Kamin und Sauna"));
    LoadRoomTypes(1);
    Db->execute(QStringLiteral("UPDATE tbl_buildings SET bld_name = 'Haupthaus am alten Marktplatz' WHERE bld_id = ?"),
                {main});
    Db->execute(QStringLiteral("UPDATE tbl_floors SET flr_name = 'Erdgeschoss mit Frühstücksraum und Terrasse' "
                               "WHERE flr_id = ?"),
                {ground});
    frmStockwerke& w = shown();
    // The layouts settle as the event loop runs.
    const auto settled = [] { QTest::qWait(20); };
    settled();
    const int width = w.width();
    QTabBar* tabs = w.SSTab1->tabBar();
    const QPoint stepper = w.cmdFloorStep[1]->pos();
    QTest::mouseClick(w.cmdFloorStep[1], Qt::LeftButton);
    settled();
    EXPECT_EQ(w.cmdFloorStep[1]->pos(), stepper) << "a shorter floor name moves nothing";
    QTest::mouseClick(w.cmdFloorStep[0], Qt::LeftButton);
    settled();
    EXPECT_EQ(w.cmdFloorStep[1]->pos(), stepper);

    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    settled();
    EXPECT_EQ(w.width(), width);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    w.listRoomCategoryFilter->setCurrentIndex(3);
    emit w.listRoomCategoryFilter->activated(3);
    settled();
    EXPECT_EQ(w.width(), width);
}

// Another tool wrote the arrival of a booking in room 02 and the position of
// room 01 as text: the plan starts, shows both rooms and names each once.
TEST_F(MainWindow, WhatCannotBeReadIsNamedOnceAndTheRestOfTheFloorShowsItsState)
{
    const qint32 damaged = PlanDb::addBooking(room2, guest, PlanDb::noon(2025, 1, 1), PlanDb::noon(2025, 1, 3));
    Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_start = '31.06.2026' WHERE book_id = ?"), {damaged});
    Db->execute(QStringLiteral("UPDATE tbl_places SET pl_y1 = 'oben' WHERE pl_id = ?"), {room1});
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    frmStockwerke& w = shown();
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Die Reservierung %1 für \"Anna Meier\" in \"02\" hat ein "
                                                          "ungültiges Anreisedatum. Bitte geben Sie es im Buchungsfenster "
                                                          "neu ein.").arg(damaged));
    EXPECT_TRUE(dialogs->messages()[1].text.startsWith("Der Buchungsplatz \"01\" (Haupthaus / Erdgeschoss) hat keine "
                                                       "lesbare Lage auf dem Etagenplan."));
    ASSERT_EQ(visibleMarkers(w).size(), 3u);
    EXPECT_EQ(markerOf(w, room1)->pos(), w.imgStockwerk->pos());
    EXPECT_EQ(BackColor(markerOf(w, room2)), MarkerOccupiedColor);
    EXPECT_EQ(w.lbBettenCount->text(), "3 Betten, 1 belegt (33%), 2 frei (66%)");

    // Chosen, room 02 shows the booking to mend and is booked on every day shown.
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "");
    for (int step = 0; step < 2; ++step) {
        for (int i = 0; i < CalendarCellCount; ++i)
            EXPECT_EQ(w.CalendarGrid->item(i / 7, i % 7)->background().color(), rt::toQColor(CalendarBookedBack)) << i;
        QTest::mouseClick(w.btnMonthStep[1], Qt::LeftButton);
    }
    EXPECT_EQ(dialogs->messages().size(), 2u);
}
