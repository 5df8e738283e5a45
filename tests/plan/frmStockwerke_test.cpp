#include "plan/frmStockwerke.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        database.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension Test');");
        database.exec("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (1, 'Haupthaus');");
        MandantId = 1;
        MandantName = "Pension Test";
        SelectedPeriod = {rt::Date::fromParts(2026, 7, 1, 12), rt::Date::fromParts(2026, 7, 2, 12)};
        AdminPassword.clear();
        AdminPasswordActive = false;
    }
    test::GlobalsScope globals;
    test::TestDatabase database;
    test::WindowHooks windows;
};

}  // namespace

TEST_F(MainWindow, InitShowsTheFacilityAndItsBuildings)
{
    // This workstation's row, last seen long ago: each refresh of the plan is an access.
    ComputerName = "rezeption";
    database.exec("INSERT INTO tbl_workstations (ws_computername, ws_lastaccess) VALUES ('rezeption', 1);");
    frmStockwerke& w = frmStockwerke::instance();
    w.init();
    EXPECT_GT(database.value("SELECT ws_lastaccess FROM tbl_workstations;").toDouble(), rt::Date::today().serial());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), AppTitle);
    ASSERT_GE(w.BuildingGrid->rowCount(), 1);
    EXPECT_TRUE(w.BuildingGrid->item(0, 0)->text().startsWith("Haupthaus"));
    w.hide();
}

TEST_F(MainWindow, ClosingAsksAndEndsOnlyOnOk)
{
    frmStockwerke& w = frmStockwerke::instance();
    w.init();
    test::DialogScope dialogs;
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
    w.hide();
}
