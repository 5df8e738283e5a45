#include "preferences/frmVorgaben.h"
#include "preferences/stations.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(OnlineStations, CounterAndNamesThisComputerBracketedByItsExactName)
{
    EXPECT_EQ(OnlineStationsCaption(1, {}, "pc1"), "1. Versuch : Online ist noch :");
    EXPECT_EQ(OnlineStationsCaption(3, {"kasse", "pc1", "PC1", ""}, "pc1"),
              "3. Versuch : Online ist noch :kasse, [dieser Computer], PC1, , ");
}

TEST(OnlineStations, TheDisplayKeepsCountingAndAFailedLookKeepsTheLine)
{
    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    ComputerName = "pc1";
    StationId = GetStationPreferences(ComputerName);
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_logindate) VALUES ('kasse', Now());");

    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    w.chkCheckForOnlineComputer->click();
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 3000);
    EXPECT_EQ(w.lbOnlineComputers->text(), "1. Versuch : Online ist noch :[dieser Computer], kasse, ");
    w.Timer1_Timer();
    w.chkCheckForOnlineComputer->click();
    EXPECT_FALSE(w.Timer1->isActive());
    w.chkCheckForOnlineComputer->click();
    EXPECT_TRUE(w.lbOnlineComputers->text().startsWith("3. Versuch"));

    Db->close();
    w.Timer1_Timer();
    EXPECT_TRUE(w.lbOnlineComputers->text().startsWith("3. Versuch"));
    delete &w;
}
