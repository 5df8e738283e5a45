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
        DbPath = data.path();
        data.exec("INSERT INTO tbl_vat (vat_date_start, vat_date_end, vat_full, vat_reduced) VALUES (36526, 73415, 19, 7);");
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
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
    }
    // "Anzahl Tage im Zeitplan" typed over, the VAT table opened from the
    // settings, a rate changed there and the editor closed.
    void changeBothAndClose(const QString& rate, ui::Answer toTheQuestion)
    {
        frmVorgaben::showWindow();
        frmVorgaben& settings = frmVorgaben::instance();
        settings.tbMaxWeekCols->setFocus();
        settings.tbMaxWeekCols->selectAll();
        QTest::keyClicks(settings.tbMaxWeekCols, "31");
        QTest::mouseClick(settings.cmdMehrwertsteuer, Qt::LeftButton);
        frmResourcen& editor = frmResourcen::instance();
        QTest::mouseClick(editor.chkLock, Qt::LeftButton);
        editor.grdDataGrid->setCurrentIndex(editor.model()->index(0, 2));
        QTest::keyClick(editor.grdDataGrid, Qt::Key_F2);
        QTest::keyClicks(editor.grdDataGrid->viewport()->findChild<QLineEdit*>(), rate);
        dialogs->answerMessage(ui::Answer::Ok);   // the windows are refreshed
        dialogs->answerMessage(toTheQuestion);
        QTest::mouseClick(editor.cmdSchliessen, Qt::LeftButton);
        EXPECT_FALSE(frmResourcen::isLoaded());
        EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat").toText(), rate);
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(SettingsAndTableEditor, NeinKeepsTheSettingsWindowAsTypedJaClosesItWithoutStoring)
{
    const QString daysBefore = data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'MaxWeekCols'").toText();
    changeBothAndClose("16", ui::Answer::No);
    const auto& asked = dialogs->lastMessage();
    EXPECT_EQ(asked.text, "Sie haben Einstellungen geändert.\n\nWollen Sie das Fenster schließen, ohne die Änderungen zu "
                          "speichern?");
    EXPECT_EQ(asked.defaultButton, 2);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(asked.owner, &frmVorgaben::instance());
    EXPECT_EQ(frmVorgaben::instance().tbMaxWeekCols->text(), "31");
    // The other windows are refreshed all the same.
    EXPECT_EQ(windows.mainShown, 1);

    changeBothAndClose("17", ui::Answer::Yes);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'MaxWeekCols'").toText(), daysBefore);
}
