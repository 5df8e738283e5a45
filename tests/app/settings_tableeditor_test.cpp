// The settings window with a change nobody saved, and the table editor it
// opened: closing the editor after a change asks the settings window's own
// question before that window goes.

#include "app/program.h"
#include "core/dialogs/resourceeditor.h"
#include "core/dialogs/resourcemodel.h"
#include "core/globals.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "preferences/frmVorgaben.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SettingsAndTableEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppPath = data.folder().path();
        DbFileName = QStringLiteral("test.mdb");
        DbPath = data.path();
        ComputerName = QStringLiteral("pc1");
        StationId = GetStationPreferences(ComputerName);
        ReadPreferences();
        // These two as the program wires them; the others stay recorded.
        const WindowEntryPoints hooks = Windows();
        InstallWindowEntryPoints();
        const WindowEntryPoints real = Windows();
        Windows() = hooks;
        Windows().showRessources = real.showRessources;
        Windows().unloadSettings = real.unloadSettings;
    }
    void TearDown() override
    {
        if (frmResourcen::isLoaded())
            delete &frmResourcen::instance();
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
    }
    // The settings window with "Anzahl Tage im Zeitplan" typed over, and
    // the VAT table opened from it, a rate changed in the grid.
    frmResourcen& changeBoth(const QString& days, const QString& rate)
    {
        frmVorgaben::showWindow();
        frmVorgaben& settings = frmVorgaben::instance();
        settings.tbMaxWeekCols->setFocus();
        settings.tbMaxWeekCols->selectAll();
        QTest::keyClicks(settings.tbMaxWeekCols, days);
        QTest::mouseClick(settings.cmdMehrwertsteuer, Qt::LeftButton);
        EXPECT_TRUE(frmResourcen::isLoaded());
        frmResourcen& editor = frmResourcen::instance();
        QTest::mouseClick(editor.chkLock, Qt::LeftButton);
        editor.grdDataGrid->setFocus();
        editor.grdDataGrid->setCurrentIndex(editor.model()->index(0, 2));
        QTest::keyClick(editor.grdDataGrid, Qt::Key_F2);
        auto* cell = editor.grdDataGrid->viewport()->findChild<QLineEdit*>();
        EXPECT_NE(cell, nullptr);
        if (cell) {
            cell->selectAll();
            QTest::keyClicks(cell, rate);
            QTest::keyClick(cell, Qt::Key_Return);
        }
        return editor;
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(SettingsAndTableEditor, NeinKeepsTheSettingsWindowAsTypedJaClosesItWithoutStoring)
{
    const db::Value daysBefore = data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'MaxWeekCols'");
    frmResourcen& editor = changeBoth("31", "16");
    dialogs->answerMessage(ui::Answer::Ok);   // the windows are refreshed
    dialogs->answerMessage(ui::Answer::No);   // close the settings without saving?
    QTest::mouseClick(editor.cmdSchliessen, Qt::LeftButton);
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat").toLong(), 16);
    const auto& asked = dialogs->lastMessage();
    EXPECT_EQ(asked.text, "Sie haben Einstellungen geändert.\n\nWollen Sie das Fenster schließen, ohne die Änderungen zu "
                          "speichern?");
    EXPECT_EQ(asked.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(asked.defaultButton, 2);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    frmVorgaben& settings = frmVorgaben::instance();
    EXPECT_EQ(asked.owner, &settings);
    EXPECT_TRUE(settings.isVisible());
    EXPECT_EQ(settings.tbMaxWeekCols->text(), "31");
    // The other windows are refreshed all the same.
    EXPECT_EQ(windows.mainShown, 1);

    frmResourcen& again = changeBoth("31", "17");
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(again.cmdSchliessen, Qt::LeftButton);
    EXPECT_FALSE(frmResourcen::isLoaded());
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'MaxWeekCols'"), daysBefore);
    EXPECT_FALSE(Closing);
}

TEST_F(SettingsAndTableEditor, AnUntouchedSettingsWindowClosesWithoutAQuestion)
{
    frmVorgaben::showWindow();
    frmVorgaben::instance().cmdMehrwertsteuer->click();
    ASSERT_TRUE(frmResourcen::isLoaded());
    frmResourcen& editor = frmResourcen::instance();
    editor.chkLock->click();
    ASSERT_TRUE(editor.model()->setData(editor.model()->index(0, 3), QStringLiteral("6")));
    dialogs->answerMessage(ui::Answer::Ok);   // the windows are refreshed
    editor.close();
    EXPECT_EQ(dialogs->messages().size(), 1u);
    EXPECT_FALSE(frmVorgaben::isLoaded());
}
