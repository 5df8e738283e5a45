#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/tab_walk.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using test::PlanDb;

QWidget* pressTab(Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
    return QApplication::focusWidget();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// The plan of a small house, used by keyboard alone.
class MainWindowKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        main = PlanDb::addBuilding(1, QStringLiteral("Haupthaus"));
        ground = PlanDb::addFloor(main, 0, QStringLiteral("Erdgeschoss"));
        upper = PlanDb::addFloor(main, 1, QStringLiteral("1. Stock"));
        room = PlanDb::addPlace(ground, QStringLiteral("01"), 0, 300, 450);
        PlanDb::addPlace(upper, QStringLiteral("11"), 0, 300, 450);
        Db->execute(QStringLiteral("INSERT INTO tbl_workstations (ws_computername) VALUES ('PLANPC')"));
        ComputerName = QStringLiteral("PLANPC");
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3)};
        ImageDir = database.folder().path();
        AdminPasswordActive = false;
        StationReadOnly = false;
    }
    void TearDown() override
    {
        frmStockwerke::unload();
        if (frmCalendar::isLoaded())
            frmCalendar::unload();
    }

    frmStockwerke& shown()
    {
        frmStockwerke& w = frmStockwerke::instance();
        // The calendar on the period's month, as on a start today.
        QTest::mouseClick(w.lbDateRange, Qt::LeftButton);
        w.init();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    qint32 main = 0, ground = 0, upper = 0, room = 0;
};

}  // namespace

TEST_F(MainWindowKeys, StartsOnThePeriodAndTabReachesEveryPartOfThePanelThenComesBackRound)
{
    frmStockwerke& w = shown();
    QWidget* start = QApplication::focusWidget();
    ASSERT_EQ(start, w.CalendarGrid);
    EXPECT_EQ(w.CalendarGrid->currentItem()->text(), "1");

    const test::TabWalk walk = test::WalkTabChain(start);
    ASSERT_TRUE(walk.cameBack) << "Tab is caught";
    for (QWidget* stop : walk.stops)
        EXPECT_TRUE(stop->isVisible() && !stop->size().isEmpty())
            << "a Tab stop nobody sees: " << stop->metaObject()->className();
    for (QWidget* stop : std::initializer_list<QWidget*>{w.BuildingGrid, w.tbBuchungDatum[0], w.tbBuchungDatum[1],
                                                         w.cmdShowPat, w.tbPersoncount, w.tbBuchungInfo,
                                                         w.cmdSaveBooking, w.btnNeuBooking, w.cmdInvoice,
                                                         w.cmdAbreiseliste, w.btnHelp})
        EXPECT_TRUE(walk.reaches(stop)) << stop->property("text").toString().toStdString();
    // Backwards, the same stops in the other order.
    EXPECT_EQ(pressTab(Qt::ShiftModifier), walk.stops.back());
    EXPECT_EQ(pressTab(Qt::ShiftModifier), walk.stops[walk.stops.size() - 2]);
}

TEST_F(MainWindowKeys, EnterOrSpaceOnABuildingGridCellShowsThatFloor)
{
    frmStockwerke& w = shown();
    ASSERT_EQ(w.state().CurrentFloorId, ground);
    w.BuildingGrid->setFocus();
    // Column 3 holds the building's first upper floor ("1.").
    w.BuildingGrid->setCurrentCell(0, 3);
    press(Qt::Key_Return);
    EXPECT_EQ(w.state().CurrentFloorId, upper);
    EXPECT_EQ(w.lbStockwerkName->text(), "Haupthaus / 1. Stock");
    w.BuildingGrid->setCurrentCell(0, 2);
    press(Qt::Key_Space);
    EXPECT_EQ(w.state().CurrentFloorId, ground);
    EXPECT_EQ(QApplication::focusWidget(), w.BuildingGrid);
}

TEST_F(MainWindowKeys, TheCalendarMarksAPeriodByArrowsShiftAndEnter)
{
    frmStockwerke& w = shown();
    const auto day = [](int d) { return PlanDb::noon(2026, 7, d); };

    press(Qt::Key_Right);
    EXPECT_EQ(w.CalendarGrid->currentItem()->text(), "2");
    EXPECT_EQ(SelectedPeriod[0], day(1));   // moving the cursor marks nothing

    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(SelectedPeriod[0], day(2));
    EXPECT_EQ(SelectedPeriod[1], day(4));
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "02.07.2026");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "04.07.2026");
    // Shift back over the start marks backwards from it.
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(SelectedPeriod[0], day(1));
    EXPECT_EQ(SelectedPeriod[1], day(2));

    press(Qt::Key_Down);
    EXPECT_EQ(w.CalendarGrid->currentItem()->text(), "8");
    press(Qt::Key_Return);
    EXPECT_EQ(SelectedPeriod[0], day(8));
    EXPECT_EQ(SelectedPeriod[1], day(8));
    EXPECT_EQ(QApplication::focusWidget(), w.CalendarGrid);

    // Past the sixth week the calendar turns to the next month.
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Down);
    press(Qt::Key_Space);
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2026, 8, 12));
    EXPECT_EQ(w.CalendarGrid->currentItem()->text(), "12");
}

TEST_F(MainWindowKeys, F4OrAltDownOpensThePickerBelowTheFieldAndADayChosenByKeysIsTaken)
{
    frmStockwerke& w = shown();
    w.tbBuchungDatum[0]->setFocus();
    press(Qt::Key_F4);
    frmCalendar& picker = frmCalendar::instance();
    ASSERT_TRUE(picker.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    const QRect field(w.tbBuchungDatum[0]->mapToGlobal(QPoint(0, 0)), w.tbBuchungDatum[0]->size());
    EXPECT_TRUE(picker.frameGeometry().top() >= field.bottom() || picker.frameGeometry().bottom() <= field.top());
    EXPECT_LE(std::abs(picker.frameGeometry().left() - field.left()), field.width());

    EXPECT_EQ(QApplication::focusWidget(), picker.MSFlexGrid1);
    press(Qt::Key_Right);
    press(Qt::Key_Return);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "02.07.2026");

    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.tbBuchungDatum[1]->setFocus();
    press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(picker.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    press(Qt::Key_Down);
    press(Qt::Key_Enter);
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "10.07.2026");
}

TEST_F(MainWindowKeys, AltLettersReachTheDailyButtonsAndFields)
{
    frmStockwerke& w = shown();
    w.tbBuchungInfo->setText(QStringLiteral("Balkon"));
    press(Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), w.tbPersoncount);
    // A button's letter clicks it a moment later, as a click that shows.
    press(Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&w] { return w.tbBuchungInfo->text().isEmpty(); }));

    dialogs->answerMessage(ui::Answer::Ok);
    press(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return dialogs->messages().size() == 1; }));
}
TEST_F(MainWindowKeys, TheWindowFitsASmallScreenWithTitleBarAndPanelAndTheBarScrollsToWhatTabReaches)
{
    frmStockwerke& w = shown();
    // 1366 x 768, less a title bar and a panel of 48 pixels each.
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(w.minimumSizeHint().width(), screen.width());
    EXPECT_LE(w.minimumSizeHint().height(), screen.height() - 96);
    EXPECT_TRUE(screen.contains(w.frameGeometry()));

    w.resize(w.width(), screen.height() - 96);
    QApplication::processEvents();
    w.cmdAbreiseliste->setFocus();
    pressTab(Qt::ShiftModifier);
    pressTab();
    ASSERT_EQ(QApplication::focusWidget(), w.cmdAbreiseliste);
    const QRect button(w.cmdAbreiseliste->mapTo(&w, QPoint(0, 0)), w.cmdAbreiseliste->size());
    EXPECT_TRUE(w.rect().contains(button));
}

TEST_F(MainWindowKeys, AfterASaveOrADeleteInThePanelTheKeyboardIsOnAControlThatShows)
{
    const qint32 booking = PlanDb::addBooking(room, PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna")),
                                              PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3));
    frmStockwerke& w = shown();
    QLabel* marker = nullptr;
    for (size_t i = 1; i < w.lbPlatz.size(); ++i) {
        if (!w.lbPlatz[i]->isHidden() && w.lbPlatz[i]->property("Tag").toString().toInt() == room)
            marker = w.lbPlatz[i];
    }
    ASSERT_TRUE(marker);
    QTest::mouseClick(marker, Qt::LeftButton);
    ASSERT_EQ(w.state().CurrentBookingId, booking);

    // Saved by its letter from the notes: the keyboard is back in the notes.
    w.tbBuchungInfo->setFocus();
    QTest::keyClicks(w.tbBuchungInfo, QStringLiteral("Balkon"));
    press(Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([booking] { return LoadBooking(booking)->book_info == "Balkon"; }));
    EXPECT_EQ(QApplication::focusWidget(), w.tbBuchungInfo);

    // Marker work in edit mode holds the focus target; a save from there
    // leaves the keyboard on the save button.
    dialogs->answerMessage(ui::Answer::Ok);   // the hint
    w.menuEditMode->trigger();
    QTest::mouseClick(marker, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), w.FocusDummy);
    press(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&w] { return QApplication::focusWidget() == w.cmdSaveBooking; }));

    // Enter on the delete question keeps the booking; OK deletes it, and the
    // keyboard goes to the arrival of the new booking the panel now holds.
    QTest::mouseClick(marker, Qt::LeftButton);
    dialogs->answerDefault();
    press(Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialogs->messages().size() == 2; }));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Reservierung löschen"));
    EXPECT_TRUE(LoadBooking(booking));
    dialogs->answerMessage(ui::Answer::Ok);
    press(Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([booking] { return !LoadBooking(booking); }));
    EXPECT_EQ(QApplication::focusWidget(), w.tbBuchungDatum[0]);
    EXPECT_TRUE(w.tbBuchungDatum[0]->isVisible());
}

TEST_F(MainWindowKeys, TabReadsEachPageThenTheBarOnTheRightAsTheScreenShowsThem)
{
    frmStockwerke& w = shown();
    QTabBar* tabs = w.SSTab1->tabBar();
    for (int tab = 0; tab < 3; ++tab) {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        if (tab == 2) {
            // A place chosen in the tree: its editor stands beside the tree.
            QTreeWidgetItem* place = w.TV1->findItems("01", Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
            ASSERT_TRUE(place);
            w.TV1->scrollToItem(place);
            QTest::mouseClick(w.TV1->viewport(), Qt::LeftButton, {}, w.TV1->visualItemRect(place).center());
            ASSERT_TRUE(w.tbPlatzName->isVisible());
        }
        w.btnRefresh->setFocus();
        const test::TabWalk walk = test::WalkTabChain(w.btnRefresh);
        ASSERT_TRUE(walk.cameBack) << "Tab is caught on tab " << tab;
        for (QWidget* area : {w.SSTab1->currentWidget(), w.frameRightBar})
            EXPECT_EQ(test::ReadingOrderFault(walk, area), "") << "tab " << tab;
        // The page on the left before the bar on the right.
        const auto first = std::find_if(walk.stops.begin(), walk.stops.end(), [&w](QWidget* s) {
            return w.SSTab1->currentWidget()->isAncestorOf(s) || w.frameRightBar->isAncestorOf(s);
        });
        EXPECT_TRUE(w.SSTab1->currentWidget()->isAncestorOf(*first)) << "tab " << tab;
    }
}
