#include "plan/frmStockwerke.h"

#include "core/messages.h"
#include "core/password.h"
#include "core/places.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "schedule/usercontrol1.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

namespace {

using test::PlanDb;

// Haupthaus with a ground floor drawn on a 600 x 400 picture and three rooms.
class StructureWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        // Building and floor ids differ, so a floor taken from a building node shows.
        remise = PlanDb::addBuilding(1, QStringLiteral("Remise"));
        house = PlanDb::addBuilding(1, QStringLiteral("Haupthaus"));
        QImage picture(600, 400, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.save(database.folder().path() + "eg.png");
        ground = PlanDb::addFloor(house, 0, QStringLiteral("Erdgeschoss"), QStringLiteral("eg.png"));
        room1 = PlanDb::addPlace(ground, QStringLiteral("01"), 0, 4500, 450);
        room2 = PlanDb::addPlace(ground, QStringLiteral("02"), 0, 1500, 450);
        room3 = PlanDb::addPlace(ground, QStringLiteral("03"), 0, 3000, 450);
        Db->execute(QStringLiteral("UPDATE tbl_places SET pl_building_id = ?"), {house});
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3)};
        ImageDir = database.folder().path();
        AdminPassword.clear();
        AdminPasswordActive = false;
        StationReadOnly = false;
    }
    void TearDown() override { frmStockwerke::unload(); }

    frmStockwerke& shown()
    {
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        return w;
    }
    void editMode(frmStockwerke& w)
    {
        dialogs->answerMessage(ui::Answer::Ok);   // the hint
        w.menuEditMode->trigger();
        ASSERT_TRUE(w.state().EditMode);
    }
    QLabel* markerOf(frmStockwerke& w, qint32 placeId)
    {
        for (size_t i = 1; i < w.lbPlatz.size(); ++i) {
            if (!w.lbPlatz[i]->isHidden() && w.lbPlatz[i]->property("Tag").toString().toInt() == placeId)
                return w.lbPlatz[i];
        }
        ADD_FAILURE() << "no marker for place " << placeId;
        return w.lbPlatz[0];
    }
    QTreeWidgetItem* node(frmStockwerke& w, const QString& key)
    {
        for (QTreeWidgetItemIterator it(w.TV1); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        }
        ADD_FAILURE() << "no node " << key.toStdString();
        return nullptr;
    }
    // A click on a node, as the user chooses it.
    void choose(frmStockwerke& w, const QString& key)
    {
        QTreeWidgetItem* item = node(w, key);
        ASSERT_TRUE(item);
        w.TV1->scrollToItem(item);
        QTest::mouseClick(w.TV1->viewport(), Qt::LeftButton, {}, w.TV1->visualItemRect(item).center());
    }
    std::array<qint32, 4> rectOf(qint32 placeId)
    {
        const Place p = *LoadPlace(placeId);
        return {p.pl_x1, p.pl_y1, p.pl_x2, p.pl_y2};
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    qint32 remise = 0, house = 0, ground = 0, room1 = 0, room2 = 0, room3 = 0;
};

}  // namespace

TEST_F(StructureWindow, AMarkerDraggedOntoThePictureStoresWhereItsCornerLands)
{
    frmStockwerke& w = shown();
    editMode(w);
    QLabel* marker = markerOf(w, room2);
    // Held 5 pixels (75 twips) into the marker, let go 25, 35 pixels from
    // the picture's corner: its corner lands 300, 450 twips from there.
    const QPoint grab(5, 5);
    const QPoint target = w.imgStockwerk->mapTo(w.floorPlanBox, QPoint(25, 35));
    QTest::mousePress(marker, Qt::LeftButton, {}, grab);
    QTest::mouseMove(marker, marker->mapFrom(w.floorPlanBox, target));
    QTest::mouseRelease(marker, Qt::LeftButton, {}, marker->mapFrom(w.floorPlanBox, target));
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{300, 450, 495, 645}));
    EXPECT_EQ(marker->pos(), w.imgStockwerk->pos() + QPoint(20, 30));
    // The jiggle comes back to where the marker was dropped.
    w.chkWuselMode->setChecked(true);
    QTest::qWait(250);
    w.chkWuselMode->setChecked(false);
    EXPECT_EQ(marker->pos(), w.imgStockwerk->pos() + QPoint(20, 30));

    // Let go over another marker, or beside the picture: nothing moves.
    QLabel* third = markerOf(w, room3);
    const QPoint onOther = third->geometry().center();
    QTest::mousePress(third, Qt::LeftButton, {}, grab);
    QTest::mouseMove(third, third->mapFrom(w.floorPlanBox, onOther + QPoint(0, 1)));
    QTest::mouseRelease(third, Qt::LeftButton, {}, third->mapFrom(w.floorPlanBox, marker->geometry().center()));
    const QPoint outside = w.imgStockwerk->geometry().bottomRight() + QPoint(10, 10);
    QTest::mousePress(third, Qt::LeftButton, {}, grab);
    QTest::mouseMove(third, third->mapFrom(w.floorPlanBox, outside));
    QTest::mouseRelease(third, Qt::LeftButton, {}, third->mapFrom(w.floorPlanBox, outside));
    EXPECT_EQ(rectOf(room3), (std::array<qint32, 4>{3000, 450, 3195, 645}));
}

TEST_F(StructureWindow, ArrowKeysMoveEveryMarkedPlaceOnlyInEditMode)
{
    frmStockwerke& w = shown();
    QTest::mouseClick(markerOf(w, room1), Qt::LeftButton);
    QTest::mouseClick(markerOf(w, room3), Qt::LeftButton, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_Right);   // not in edit mode
    EXPECT_EQ(rectOf(room1)[0], 4500);

    editMode(w);
    QTest::mouseClick(markerOf(w, room1), Qt::LeftButton);
    QTest::mouseClick(markerOf(w, room3), Qt::LeftButton, Qt::ControlModifier);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Right);
    EXPECT_EQ(rectOf(room1), (std::array<qint32, 4>{4510, 450, 4705, 645}));
    EXPECT_EQ(rectOf(room3), (std::array<qint32, 4>{3010, 450, 3205, 645}));
    EXPECT_EQ(rectOf(room2)[0], 1500);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w.FocusDummy, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(rectOf(room1), (std::array<qint32, 4>{4520, 460, 4715, 655}));
    EXPECT_EQ(markerOf(w, room1)->pos(), w.imgStockwerk->pos() + QPoint(301, 31));

    // A text box keeps its keys.
    w.tbBuchungInfo->setFocus();
    QTest::keyClick(w.tbBuchungInfo, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(rectOf(room1)[0], 4520);
}

TEST_F(StructureWindow, TheDeleteKeyRefusesWhatOthersPointToOnBothTabsAndEnterOnItsQuestionKeeps)
{
    PlanDb::addBooking(room1, PlanDb::addCustomer("Meier", "Anna"), PlanDb::noon(2026, 8, 1), PlanDb::noon(2026, 8, 3));
    frmStockwerke& w = shown();
    editMode(w);
    QTest::mouseClick(markerOf(w, room1), Qt::LeftButton);
    dialogs->answerMessage(ui::Answer::Ok);   // the question
    dialogs->answerMessage(ui::Answer::Ok);   // the refusal
    QTest::keyClick(w.FocusDummy, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().title, "Räume löschen");
    EXPECT_EQ(database.count("tbl_places"), 3);

    // A free one goes, and its marker with it; Enter on the question keeps it.
    QTest::mouseClick(markerOf(w, room2), Qt::LeftButton);
    dialogs->answerDefault();
    QTest::keyClick(w.FocusDummy, Qt::Key_Backspace);
    EXPECT_EQ(database.count("tbl_places"), 3);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.FocusDummy, Qt::Key_Backspace);
    EXPECT_EQ(database.count("tbl_places"), 2);
    for (size_t i = 1; i < w.lbPlatz.size(); ++i)
        EXPECT_FALSE(!w.lbPlatz[i]->isHidden() && w.lbPlatz[i]->property("Tag").toString().toInt() == room2);

    // The tree: the building with its floor stays.
    w.SSTab1->setCurrentIndex(2);
    choose(w, "B" + QString::number(house));
    EXPECT_TRUE(w.frameBuilding->isVisibleTo(&w));
    EXPECT_EQ(w.tbBuildingName->text(), "Haupthaus");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.TV1, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Ressource \"Haupthaus\" kann nicht gelöscht werden, da es noch 1 abhängige Etagen gibt.");
    EXPECT_EQ(database.count("tbl_buildings"), 2);
    // The empty one may go, but not by Enter.
    choose(w, "B" + QString::number(remise));
    dialogs->answerDefault();
    QTest::keyClick(w.TV1, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie die Ressource \"Remise\" löschen?");
    EXPECT_EQ(database.count("tbl_buildings"), 2);
}

TEST_F(StructureWindow, AfterTheResourceSaveTheKeyboardIsOnTheButtonThatSaved)
{
    frmStockwerke& w = shown();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTabBar* tabs = w.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    choose(w, "P" + QString::number(room3));
    QTest::mouseClick(w.tbPlatzName, Qt::LeftButton);
    QTest::keyClick(w.tbPlatzName, Qt::Key_End);
    QTest::keyClicks(w.tbPlatzName, "a");
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(LoadPlace(room3)->pl_name, "03a");
    EXPECT_EQ(QApplication::focusWidget(), w.cmdSavePlaceDetails);
    EXPECT_TRUE(w.cmdSavePlaceDetails->isVisible());
}

TEST_F(StructureWindow, ACapacityTheColumnCannotHoldIsRefusedAndStaysAsTypedWithTheKeyboardOnIt)
{
    database.exec(QStringLiteral("UPDATE tbl_places SET pl_capacity = 4 WHERE pl_id = %1").arg(room3));
    frmStockwerke& w = shown();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTabBar* tabs = w.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    choose(w, "P" + QString::number(room3));
    // Saved, or taken over by a new place beside it.
    const std::pair<QString, QPushButton*> tries[] = {{"zwei", w.cmdSavePlaceDetails}, {"99999", w.cmdNewResource[0]}};
    for (const auto& [typed, button] : tries) {
        QTest::mouseClick(w.tbPlaceCapacity, Qt::LeftButton);
        QTest::keyClick(w.tbPlaceCapacity, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.tbPlaceCapacity, typed);
        dialogs->answerMessage(ui::Answer::Ok);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(dialogs->lastMessage().text, "Die Kapazität \"" + typed + "\" lässt sich so nicht speichern. Bitte geben "
                                               "Sie eine ganze Zahl zwischen -32768 und 32767 ein.");
        EXPECT_EQ(w.tbPlaceCapacity->text(), typed);
        EXPECT_EQ(QApplication::focusWidget(), w.tbPlaceCapacity);
    }
    EXPECT_EQ(LoadPlace(room3)->pl_capacity, 4);
    EXPECT_EQ(database.count("tbl_places"), 3);

    // Emptied, it stores 0 as before.
    QTest::keyClick(w.tbPlaceCapacity, Qt::Key_Delete);
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(LoadPlace(room3)->pl_capacity, 0);
}

TEST_F(StructureWindow, APlaceOpenedFromTheFloorPlanKeepsItsFloorAndBuilding)
{
    frmStockwerke& w = shown();
    w.SSTab1->setCurrentIndex(2);
    w.TV1->setCurrentItem(node(w, "B" + QString::number(house)));
    w.SSTab1->setCurrentIndex(0);
    editMode(w);
    QLabel* marker = markerOf(w, room2);
    // A double click as the desktop sends it: press and release first.
    QTest::mouseClick(marker, Qt::LeftButton);
    QTest::mouseDClick(marker, Qt::LeftButton);
    EXPECT_EQ(w.SSTab1->currentIndex(), 2);
    EXPECT_FALSE(w.state().EditMode);
    EXPECT_TRUE(w.framePlace->isVisibleTo(&w));
    EXPECT_EQ(w.tbPlatzName->text(), "02");
    w.tbPlatzName->setText("Suite 02");
    w.tbPlaceCapacity->setText("4");
    w.cmdSaveResource->click();
    const Place p = *LoadPlace(room2);
    EXPECT_EQ(p.pl_name, "Suite 02");
    EXPECT_EQ(p.pl_capacity, 4);
    EXPECT_EQ(p.pl_floor_id, ground);
    EXPECT_EQ(p.pl_building_id, house);
    EXPECT_EQ(w.TV1->currentItem()->text(0), "Suite 02");

    // A new place below the floor chosen in the tree hangs under it.
    w.TV1->setCurrentItem(node(w, "F" + QString::number(ground)));
    w.cmdNewResource[1]->click();
    EXPECT_EQ(database.count("tbl_places", QStringLiteral("pl_floor_id = %1 AND pl_building_id = %2").arg(ground).arg(house)), 4);
    EXPECT_EQ(w.TV1->currentItem()->parent()->data(0, Qt::UserRole).toString(), "F" + QString::number(ground));
}

TEST_F(StructureWindow, AReadOnlyWorkstationEntersNoEditorAndNoEditMode)
{
    StationReadOnly = true;
    frmStockwerke& w = shown();
    dialogs->answerMessage(ui::Answer::Ok);
    w.menuEditMode->trigger();
    EXPECT_FALSE(w.state().EditMode);
    EXPECT_FALSE(w.menuEditMode->isChecked());
    w.SSTab1->setCurrentIndex(2);
    dialogs->answerMessage(ui::Answer::Ok);
    choose(w, "B" + QString::number(house));
    EXPECT_FALSE(w.frameBuilding->isVisibleTo(&w));
    ASSERT_EQ(dialogs->messages().size(), 2u);
    for (const auto& m : dialogs->messages())
        EXPECT_EQ(m.text, GetResString(390));
}

TEST_F(StructureWindow, TheTreeTabOpenedWithoutAClickAsksNothingAndAClickedFolderUnfolds)
{
    StationReadOnly = true;
    frmStockwerke& w = shown();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTabBar* tabs = w.SSTab1->tabBar();
    // Work in the schedule, then open the tree: it takes the focus, and
    // nothing is chosen by that.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QTest::mouseClick(w.mySchedule, Qt::LeftButton, {}, w.mySchedule->rect().center());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    ASSERT_EQ(w.SSTab1->currentIndex(), 2);
    w.TV1->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(dialogs->messages().empty());

    // A click chooses, and unfolds what the user had folded.
    QTreeWidgetItem* building = node(w, "B" + QString::number(house));
    building->setExpanded(false);
    dialogs->answerMessage(ui::Answer::Ok);
    choose(w, "B" + QString::number(house));
    EXPECT_TRUE(building->isExpanded());
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));

    // So does a key that moves to another node; one that moves nowhere does not.
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.TV1, Qt::Key_Down);
    EXPECT_EQ(dialogs->messages().size(), 2u);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.TV1, Qt::Key_Home);
    QTest::keyClick(w.TV1, Qt::Key_Up);
    EXPECT_EQ(dialogs->messages().size(), 3u) << "Home moved, Up at the top did not";
}

TEST_F(StructureWindow, ThePlaceEditorListsEveryBookingOfItsPlace)
{
    frmStockwerke& w = shown();
    w.SSTab1->setCurrentIndex(2);
    choose(w, "P" + QString::number(room2));
    ASSERT_TRUE(w.framePlace->isVisibleTo(&w));
    EXPECT_EQ(w.cmdPlaceBookings->text(), "Buchungen");
    EXPECT_EQ(w.cmdPlaceBookings->toolTip(), "alle Buchungen dieses Raums auflisten");
    windows.opened.clear();
    QTest::mouseClick(w.cmdPlaceBookings, Qt::LeftButton);
    EXPECT_EQ(windows.opened, (QStringList{"SetBookingsCaption(Reservierungs-Details für 02)",
                                           QStringLiteral("ShowBookings(|-1|%1|1|1)").arg(room2)}));
}

TEST_F(StructureWindow, ANudgedMarkerJigglesAndRestsWhereItNowStands)
{
    frmStockwerke& w = shown();
    editMode(w);
    QLabel* marker = markerOf(w, room2);
    QTest::mouseClick(marker, Qt::LeftButton);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w.FocusDummy, Qt::Key_Down, Qt::ShiftModifier);
    const QPoint nudged = marker->pos();
    EXPECT_EQ(nudged, w.imgStockwerk->pos() + QPoint(101, 31));
    w.chkWuselMode->setChecked(true);
    QTest::qWait(250);
    w.chkWuselMode->setChecked(false);
    EXPECT_EQ(marker->pos(), nudged);
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{1520, 460, 1715, 655}));
}

namespace {

// Station B works on the same rows while this window has them open.
class StructureWindowBesideAnother : public StructureWindow {
protected:
    void SetUp() override
    {
        StructureWindow::SetUp();
        TermPlaceSingular = QStringLiteral("Zimmer");
        FloorNames[2] = QStringLiteral("1. Stockwerk");
    }
    void retype(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
    }
    void drag(frmStockwerke& w, QLabel* marker, QPoint onPicture)
    {
        const QPoint target = w.imgStockwerk->mapTo(w.floorPlanBox, onPicture);
        QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(marker, marker->mapFrom(w.floorPlanBox, target));
        QTest::mouseRelease(marker, Qt::LeftButton, {}, marker->mapFrom(w.floorPlanBox, target));
    }
    std::string question() { return dialogs->lastMessage().text.section(QLatin1Char('\n'), 0, 0).toStdString(); }
    db::Value stored(const QString& column, const QString& table, qint32 id)
    {
        const QString key = table == "tbl_places" ? "pl_id" : table == "tbl_floors" ? "flr_id" : "bld_id";
        return other.value("SELECT " + column + " FROM " + table + " WHERE " + key + " = ?", {id});
    }

    test::OtherStation other{database.path()};
};

}  // namespace

TEST_F(StructureWindowBesideAnother, ThePlaceEditorKeepsTheOtherStationsFieldsAndAsksOnlyWhereBothChangedOne)
{
    frmStockwerke& w = shown();
    w.SSTab1->setCurrentIndex(2);
    choose(w, "P" + QString::number(room2));
    ASSERT_EQ(w.tbPlatzName->text(), "02");

    // B sets the capacity; A writes a note: both stay, nobody is asked, and
    // the editor shows the capacity as stored.
    other.exec("UPDATE tbl_places SET pl_capacity = 6 WHERE pl_id = ?", {room2});
    retype(w.tbPlatzInfo, "Balkon");
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("pl_info", "tbl_places", room2).toText(), "Balkon");
    EXPECT_EQ(stored("pl_capacity", "tbl_places", room2).toLong(), 6);
    EXPECT_EQ(w.tbPlaceCapacity->text(), "6");

    // Both rename it; A also changes the note. Abbrechen writes nothing and
    // leaves A's typing in place.
    other.exec("UPDATE tbl_places SET pl_name = 'Suite B' WHERE pl_id = ?", {room2});
    retype(w.tbPlatzName, "Suite A");
    retype(w.tbPlatzInfo, "Balkon, Meerblick");
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(question(), "Das Zimmer \"02\" wurde inzwischen an anderer Stelle geändert: Name jetzt \"Suite B\". "
                          "Ihre Änderung trotzdem speichern?");
    EXPECT_EQ(stored("pl_info", "tbl_places", room2).toText(), "Balkon");
    EXPECT_EQ(w.tbPlatzName->text(), "Suite A");

    // Nein keeps B's name, writes the rest, and shows the row as stored.
    retype(w.tbPlaceCapacity, "4");
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(stored("pl_name", "tbl_places", room2).toText(), "Suite B");
    EXPECT_EQ(stored("pl_info", "tbl_places", room2).toText(), "Balkon, Meerblick");
    EXPECT_EQ(stored("pl_capacity", "tbl_places", room2).toLong(), 4);
    EXPECT_EQ(w.tbPlatzName->text(), "Suite B");

    // What the editor stored is what it compares with next: no question.
    retype(w.tbPlatzName, "Suite A");
    retype(w.tbPlaceCapacity, "5");
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(stored("pl_name", "tbl_places", room2).toText(), "Suite A");
    EXPECT_EQ(stored("pl_capacity", "tbl_places", room2).toLong(), 5);
    EXPECT_EQ(dialogs->messages().size(), 2u);

    // Ja writes A's value over B's.
    other.exec("UPDATE tbl_places SET pl_name = 'Suite C' WHERE pl_id = ?", {room2});
    retype(w.tbPlatzName, "Suite D");
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(stored("pl_name", "tbl_places", room2).toText(), "Suite D");
    EXPECT_EQ(stored("pl_capacity", "tbl_places", room2).toLong(), 5);
}

TEST_F(StructureWindowBesideAnother, BuildingAndFloorEditorsMergeTheirSaves)
{
    frmStockwerke& w = shown();
    w.SSTab1->setCurrentIndex(2);
    choose(w, "B" + QString::number(house));
    other.exec("UPDATE tbl_buildings SET bld_name = 'Stammhaus' WHERE bld_id = ?", {house});
    retype(w.tbbld_short, "HH");
    QTest::mouseClick(w.cmdSaveBuildingDetails, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("bld_name", "tbl_buildings", house).toText(), "Stammhaus");
    EXPECT_EQ(stored("bld_short", "tbl_buildings", house).toText(), "HH");
    EXPECT_EQ(w.tbBuildingName->text(), "Stammhaus");

    // B moves the floor up while A moves it down.
    choose(w, "F" + QString::number(ground));
    other.exec("UPDATE tbl_floors SET flr_order = 1 WHERE flr_id = ?", {ground});
    QTest::mouseClick(w.imgMaxNum[1], Qt::LeftButton);
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdSaveFloorDetails, Qt::LeftButton);
    EXPECT_EQ(question(), "Die Etage \"Erdgeschoss\" wurde inzwischen an anderer Stelle geändert: "
                          "Ebene jetzt \"1. Stockwerk\". Ihre Änderung trotzdem speichern?");
    EXPECT_EQ(stored("flr_order", "tbl_floors", ground).toLong(), -1);
    EXPECT_EQ(w.lbflr_order->text(), "UG");
}

TEST_F(StructureWindowBesideAnother, AMarkerBothStationsMovedIsAskedAbout)
{
    database.exec(QStringLiteral("UPDATE tbl_places SET pl_name = '<b>Bi</b>rke' WHERE pl_id = %1").arg(room3));
    frmStockwerke& w = shown();
    editMode(w);
    QLabel* marker = markerOf(w, room2);   // drawn at 1500, 450
    other.exec("UPDATE tbl_places SET pl_x1 = 600, pl_y1 = 600, pl_x2 = 795, pl_y2 = 795 WHERE pl_id = ?", {room2});

    // Abbrechen: nothing written, the marker back where it was.
    dialogs->answerMessage(ui::Answer::Cancel);
    drag(w, marker, QPoint(25, 35));
    EXPECT_EQ(question(), "Das Zimmer \"02\" wurde inzwischen an anderer Stelle geändert: "
                          "Markierung auf dem Etagenplan an eine andere Stelle verschoben. Ihre Änderung trotzdem speichern?");
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{600, 600, 795, 795}));
    EXPECT_EQ(marker->pos(), w.imgStockwerk->pos() + QPoint(100, 30));

    // Nein: the plan draws it where B put it.
    dialogs->answerMessage(ui::Answer::No);
    drag(w, marker, QPoint(25, 35));
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{600, 600, 795, 795}));
    EXPECT_EQ(marker->pos(), w.imgStockwerk->pos() + QPoint(40, 40));

    // From there it moves unasked; after B moves it again, Ja writes A's place.
    drag(w, marker, QPoint(65, 35));
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{900, 450, 1095, 645}));
    other.exec("UPDATE tbl_places SET pl_x1 = 0, pl_y1 = 0, pl_x2 = 195, pl_y2 = 195 WHERE pl_id = ?", {room2});
    dialogs->answerMessage(ui::Answer::Yes);
    drag(w, marker, QPoint(25, 35));
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{300, 450, 495, 645}));
    EXPECT_EQ(dialogs->messages().size(), 4u) << "the hint and three questions";

    // A place deleted meanwhile is named as typed and leaves the plan.
    other.exec("DELETE FROM tbl_places WHERE pl_id = ?", {room3});
    dialogs->answerMessage(ui::Answer::Ok);
    drag(w, markerOf(w, room3), QPoint(25, 75));
    EXPECT_EQ(dialogs->lastMessage().text,
              "Das Zimmer \"<b>Bi</b>rke\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    EXPECT_EQ(database.count("tbl_places"), 2);
    for (size_t i = 1; i < w.lbPlatz.size(); ++i)
        EXPECT_FALSE(!w.lbPlatz[i]->isHidden() && w.lbPlatz[i]->property("Tag").toString().toInt() == room3);
}

TEST_F(StructureWindowBesideAnother, ArrowKeysMoveOnlyTheMarkedMarkersAndAllOrNoneOfThem)
{
    frmStockwerke& w = shown();
    editMode(w);
    other.exec("UPDATE tbl_places SET pl_x1 = 600, pl_y1 = 600, pl_x2 = 795, pl_y2 = 795 WHERE pl_id = ?", {room1});
    QTest::mouseClick(markerOf(w, room2), Qt::LeftButton);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{1510, 450, 1705, 645}));
    EXPECT_EQ(rectOf(room1), (std::array<qint32, 4>{600, 600, 795, 795}));
    EXPECT_EQ(dialogs->messages().size(), 1u) << "only the hint";

    // With the marker B moved among the marked ones, Abbrechen moves neither.
    QTest::mouseClick(markerOf(w, room1), Qt::LeftButton, Qt::ControlModifier);
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(question(), "Das Zimmer \"01\" wurde inzwischen an anderer Stelle geändert: "
                          "Markierung auf dem Etagenplan an eine andere Stelle verschoben. Ihre Änderung trotzdem speichern?");
    EXPECT_EQ(rectOf(room2), (std::array<qint32, 4>{1510, 450, 1705, 645}));
    EXPECT_EQ(rectOf(room1), (std::array<qint32, 4>{600, 600, 795, 795}));
    EXPECT_EQ(markerOf(w, room2)->pos(), w.imgStockwerk->pos() + QPoint(101, 30));
}

TEST_F(StructureWindowBesideAnother, ADeleteAsksAboutWhatTheOtherStationChangedSinceItWasShown)
{
    frmStockwerke& w = shown();
    // The floor plan: both markers moved here (stored by this window), one renamed there.
    editMode(w);
    QTest::mouseClick(markerOf(w, room1), Qt::LeftButton);
    QTest::mouseClick(markerOf(w, room2), Qt::LeftButton, Qt::ControlModifier);
    QTest::keyClick(w.FocusDummy, Qt::Key_Right, Qt::ShiftModifier);
    other.exec("UPDATE tbl_places SET pl_name = 'Suite', pl_info = 'nicht gezeigt' WHERE pl_id = ?", {room1});
    other.exec("UPDATE tbl_places SET pl_info = 'nicht gezeigt' WHERE pl_id = ?", {room2});
    dialogs->answerDefault();
    QTest::keyClick(w.FocusDummy, Qt::Key_Delete);
    EXPECT_EQ(dialogs->lastMessage().text, "Das Zimmer \"01\" wurde inzwischen an anderer Stelle geändert: "
                                           "Name jetzt \"Suite\". Trotzdem löschen?");
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_EQ(database.count("tbl_places"), 3);
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::keyClick(w.FocusDummy, Qt::Key_Delete);
    EXPECT_EQ(database.count("tbl_places"), 1);

    // The tree: the building as the editor read it, renamed there since.
    w.SSTab1->setCurrentIndex(2);
    choose(w, "B" + QString::number(remise));
    other.exec("UPDATE tbl_buildings SET bld_name = 'Scheune' WHERE bld_id = ?", {remise});
    dialogs->answerDefault();
    QTest::keyClick(w.TV1, Qt::Key_Delete);
    EXPECT_EQ(question(), "Das Gebäude \"Remise\" wurde inzwischen an anderer Stelle geändert: "
                          "Name jetzt \"Scheune\". Trotzdem löschen?");
    EXPECT_EQ(database.count("tbl_buildings"), 2);
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdDeleteResource, Qt::LeftButton);
    EXPECT_EQ(database.count("tbl_buildings"), 1);
}

TEST_F(StructureWindowBesideAnother, AValueTypedOverOneShownNormalisedIsWritten)
{
    // No capacity and a name with blanks: shown as 0, saved trimmed.
    database.exec(QStringLiteral("UPDATE tbl_places SET pl_capacity = NULL, pl_name = ' 03 ' WHERE pl_id = %1").arg(room3));
    frmStockwerke& w = shown();
    w.SSTab1->setCurrentIndex(2);
    choose(w, "P" + QString::number(room3));
    ASSERT_EQ(w.tbPlaceCapacity->text(), "0");
    retype(w.tbPlaceCapacity, "0");
    retype(w.tbPlatzName, "03");
    QTest::mouseClick(w.cmdSavePlaceDetails, Qt::LeftButton);
    EXPECT_EQ(stored("pl_capacity", "tbl_places", room3), db::Value::ofKind(db::Value::Kind::Integer, 0));
    EXPECT_EQ(stored("pl_name", "tbl_places", room3).toText(), "03");
}

TEST_F(StructureWindow, ARenameAfterAnotherDesksIsAskedAndNeinShowsTheStoredName)
{
    frmStockwerke& w = shown();
    test::OtherStation other{database.path()};
    other.exec("UPDATE tbl_mandanten SET mand_name = 'Haus am Berg'");
    dialogs->answerInput(QStringLiteral("Pension Sonne"));
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseDClick(w.lbEinrichtungsname, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Mandant \"Pension Test\" wurde inzwischen"));
    EXPECT_EQ(database.value("SELECT mand_name FROM tbl_mandanten").toText(), "Haus am Berg");
    EXPECT_EQ(w.lbEinrichtungsname->text(), "Haus am Berg");
    EXPECT_EQ(MandantName, "Haus am Berg");
}
