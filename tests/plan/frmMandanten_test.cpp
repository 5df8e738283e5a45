#include "plan/frmMandanten.h"

#include "core/places.h"
#include "plan/frmStockwerke.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Two facilities; the first has a picture twice as wide as high.
class FacilityOverview : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        ReadPreferences();
        AppPath = database.folder().path();
        ImageDir = AppPath + "images/";
        database.folder().write("images/haus.png", {});
        QImage(800, 400, QImage::Format_RGB32).save(ImageDir + "haus.png");
        database.exec("INSERT INTO tbl_mandanten (mand_id, mand_name, mand_imagefile) VALUES (1, 'Pension Test', 'haus.png')");
        database.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (2, 'Berghof')");
        database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (1, 1, 'Haupthaus')");
        database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (2, 2, 'Almhütte')");
        database.exec("INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name) VALUES (10, 1, 0, 'EG')");
        database.exec("INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name) VALUES (11, 1, 1, 'OG')");
        database.exec("INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name) VALUES (20, 2, 0, 'Stube')");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name) VALUES (1, 11, '11')");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name) VALUES (2, 20, 'Alm')");
        MandantId = 1;
        AdminPassword.clear();
        AdminPasswordActive = false;
    }
    void TearDown() override
    {
        Closing = true;
        frmMandanten::unload();
        frmStockwerke::unload();
    }
    // The real plan instead of the stand-in.
    static frmStockwerke& plan()
    {
        Windows().initMainWindow = [] { frmStockwerke::instance().init(); };
        SelectedPeriod = {rt::Date::today().atNoon(), rt::Date::today().addDays(1).atNoon()};
        frmStockwerke::instance().init();
        return frmStockwerke::instance();
    }
    frmMandanten& open()
    {
        frmMandanten::showWindow();
        return frmMandanten::instance();
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
    test::WindowHooks windows;
};

}  // namespace

TEST_F(FacilityOverview, ShowsTheCurrentFacilityWithItsBuildingsAndScaledPicture)
{
    frmMandanten& w = open();
    EXPECT_EQ(w.windowTitle(), AppTitle + " " + VersionText);
    EXPECT_EQ(w.listMandanten->currentText(), "Pension Test");
    EXPECT_EQ(w.lbEinrichtungsnummer->text(), "1");
    ASSERT_EQ(w.BuildingGrid->rowCount(), 1);
    EXPECT_TRUE(w.BuildingGrid->item(0, 0)->text().startsWith("Haupthaus"));
    EXPECT_EQ(w.imgEinrichtung->pixmap().size(), QSize(w.MandantPictureMaxWidth, w.MandantPictureMaxWidth / 2));
    // Showing the facility that is current already leaves the plan alone.
    EXPECT_EQ(windows.mainShown, 0);
}

TEST_F(FacilityOverview, EachEntryReachesItsWindow)
{
    frmMandanten& w = open();
    database.folder().write("help.pdf", "%PDF");
    test::DialogScope dialogs;
    const std::vector<std::pair<std::function<void()>, QString>> entries = {
        {[&] { w.menuCustomers->trigger(); }, "ShowAdresse(-1)"},
        {[&] { QTest::mouseClick(w.btnPatient, Qt::LeftButton); }, "ShowAdresse(-1)"},
        {[&] { w.menuBookings->trigger(); }, "ShowBookings(|-1|-1|0|0)"},
        {[&] { w.menuInvoices->trigger(); }, "ShowRechnung(-1|-1|-1)"},
        {[&] { w.menuServices->trigger(); }, "ShowArtikel(-1)"},
        {[&] { w.menuMandanten->trigger(); }, "ShowRessources(tbl_mandanten|Mandanten-Definitionen)"},
    };
    for (const auto& [entry, window] : entries) {
        windows.opened.clear();
        entry();
        EXPECT_EQ(windows.opened, QStringList{window});
    }
    windows.opened.clear();
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 1);
    w.menuHelp->trigger();
    EXPECT_EQ(dialogs->opened(), std::vector<QString>{AppPath + "help.pdf"});

    // There is no statistics output to give.
    w.menuExportStatistik->trigger();
    EXPECT_TRUE(windows.opened.isEmpty());
    EXPECT_EQ(dialogs->calls().size(), 1u);
}

TEST_F(FacilityOverview, BeendenEndsAtOnceWhileClosingAsksFirst)
{
    frmMandanten& w = open();
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    w.close();
    EXPECT_EQ(dialogs->lastMessage().text, "Möchten Sie " + AppTitle + " beenden?");
    EXPECT_EQ(dialogs->lastMessage().title, AppTitle + " beenden");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(windows.ended, 0);

    EXPECT_THROW(w.menuQuit->trigger(), ProgramEnded);
    EXPECT_EQ(windows.ended, 1);
    EXPECT_EQ(dialogs->messages().size(), 1u);
}

TEST_F(FacilityOverview, TheSettingsAreBehindThePasswordAlsoByAltF2)
{
    frmMandanten& w = open();
    AdminPassword = "geheim";
    AdminPasswordActive = true;
    test::DialogScope dialogs;
    dialogs->answerPassword(std::nullopt);
    QTest::keyClick(&w, Qt::Key_F2, Qt::AltModifier);
    EXPECT_EQ(windows.settingsShown, 0);

    QTest::keyClick(&w, Qt::Key_F2, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_EQ(dialogs->calls().size(), 1u);

    dialogs->answerPassword(QString("geheim"));
    QTest::keyClick(&w, Qt::Key_F2, Qt::AltModifier);
    EXPECT_EQ(windows.settingsShown, 1);
    // Remembered for the rest of the run.
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 2);
    EXPECT_EQ(dialogs->calls().size(), 2u);
}

TEST_F(FacilityOverview, RefreshShowsWhatOtherStationsChanged)
{
    frmMandanten& w = open();
    database.exec("UPDATE tbl_mandanten SET mand_name = 'Pension Neu' WHERE mand_id = 1");
    database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (3, 1, 'Anbau')");
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_EQ(w.listMandanten->currentText(), "Pension Neu");
    EXPECT_EQ(MandantName, "Pension Neu");
    EXPECT_EQ(w.BuildingGrid->rowCount(), 2);

    database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (4, 1, 'Scheune')");
    QTest::mouseClick(w.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(w.BuildingGrid->rowCount(), 3);
    EXPECT_EQ(windows.mainShown, 0);
}

TEST_F(FacilityOverview, AChosenPictureIsShownAndStored)
{
    frmMandanten& w = open();
    QImage(100, 300, QImage::Format_RGB32).save(ImageDir + "hoch.png");
    test::DialogScope dialogs;
    dialogs->answerFile(ImageDir + "hoch.png");
    QTest::mouseClick(w.cmdLoadPicture, Qt::LeftButton);
    EXPECT_EQ(database.value("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = 1").toText(), "hoch.png");
    EXPECT_EQ(w.imgEinrichtung->pixmap().size(), QSize(w.MandantPictureMaxHeight / 3, w.MandantPictureMaxHeight));

    // Another desk chose a picture meanwhile: asked, and Ja stores this one.
    test::OtherStation other{database.path()};
    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'see.png' WHERE mand_id = 1");
    dialogs->answerFile(ImageDir + "haus.png");
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdLoadPicture, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Bild jetzt \"see.png\""));
    EXPECT_EQ(database.value("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = 1").toText(), "haus.png");
}

TEST_F(FacilityOverview, SwitchingTheFacilityResetsThePlansFloorAndPlace)
{
    frmStockwerke& p = plan();
    p.ShowStockwerkDetails(11, -1);
    p.ShowPlatzDetails(1, 0, -1);
    ASSERT_EQ(p.state().CurrentPlaceId, 1);

    frmMandanten& w = open();
    w.listMandanten->setCurrentIndex(w.listMandanten->findText("Berghof"));
    EXPECT_EQ(MandantId, 2);
    EXPECT_EQ(MandantName, "Berghof");
    EXPECT_EQ(w.lbEinrichtungsnummer->text(), "2");
    ASSERT_EQ(w.BuildingGrid->rowCount(), 1);
    EXPECT_TRUE(w.BuildingGrid->item(0, 0)->text().startsWith("Almhütte"));
    EXPECT_TRUE(w.imgEinrichtung->pixmap().isNull());
    EXPECT_EQ(p.lbEinrichtungsname->text(), "Berghof");
    EXPECT_EQ(p.state().CurrentPlaceId, -1);
    EXPECT_EQ(MandantOfFloor(p.state().CurrentFloorId), 2);
    EXPECT_TRUE(CurrentPlaceName.isEmpty());
}

TEST_F(FacilityOverview, ThePlanOpensOnTheChosenBuildingOrFloor)
{
    frmStockwerke& p = plan();
    p.ShowStockwerkDetails(11, -1);
    frmMandanten& w = open();

    QTest::mouseClick(w.cmdShowBelegungsplan, Qt::LeftButton);
    EXPECT_EQ(p.state().CurrentBuildingId, 1);
    EXPECT_EQ(p.state().CurrentFloorId, 10);

    // A floor cell opens that floor, the picture the building in the first row.
    const int upper = 3;   // the column of the first floor above ground
    ASSERT_EQ(w.BuildingGrid->item(0, upper)->data(Qt::UserRole).toInt(), 11);
    QTest::mouseClick(w.BuildingGrid->viewport(), Qt::LeftButton, {}, w.BuildingGrid->visualItemRect(w.BuildingGrid->item(0, upper)).center());
    EXPECT_EQ(p.state().CurrentFloorId, 11);
    QTest::mouseClick(w.imgEinrichtung, Qt::LeftButton);
    EXPECT_EQ(p.state().CurrentFloorId, 10);
    // Enter on a cell does what its click does.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.BuildingGrid->setFocus();
    w.BuildingGrid->setCurrentCell(0, upper);
    QTest::keyClick(w.BuildingGrid, Qt::Key_Return);
    EXPECT_EQ(p.state().CurrentFloorId, 11);

    // Without buildings: the plan's first floor of the facility, here none.
    database.exec("DELETE FROM tbl_buildings WHERE bld_id = 2");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);   // the plan finds no floor when it takes the facility over
    w.listMandanten->setCurrentIndex(w.listMandanten->findText("Berghof"));
    ASSERT_EQ(w.BuildingGrid->rowCount(), 0);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdShowBelegungsplan, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Die gesuchte Etage wurde nicht definiert.");
}
