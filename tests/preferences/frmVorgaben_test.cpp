#include "preferences/frmVorgaben.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/windows.h"
#include "platform/db/database.h"
#include "platform/db/jetfunctions.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The settings window as start-up shows it when the database is missing.
class SettingsWithoutDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        CloseProgramDatabase();
        DbOpen = false;
        AppPath = folder.path();
        DbFileName = "fehlt.mdb";
        DbPath = AppPath + DbFileName;
    }
    void TearDown() override
    {
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
        CloseProgramDatabase();
        DbOpen = false;
    }
    frmVorgaben& window()
    {
        frmVorgaben::showWindow();
        return frmVorgaben::instance();
    }
    void typeDatabase(const QString& text)
    {
        QLineEdit* field = window().tbDBName;
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }

    test::TempFolder folder;
    test::WindowHooks windows;
};

}  // namespace

TEST_F(SettingsWithoutDatabase, ShowsTheDatabaseAsTheSettingsFileNamesItAndOnlyItCanBeSetOrRepaired)
{
    DbFileName = "daten/alt.mdb";
    frmVorgaben& w = window();
    EXPECT_EQ(w.tbDBName->text(), "daten/alt.mdb");
    EXPECT_TRUE(w.windowTitle().startsWith(GetResString(1710)));
    EXPECT_TRUE(w.tbDBName->isEnabled());
    EXPECT_TRUE(w.btnSave->isEnabled());
    EXPECT_TRUE(w.btnRepairMDB->isEnabled());
    EXPECT_TRUE(w.btnDefragMDB->isEnabled());
    for (QWidget* other : {static_cast<QWidget*>(w.btnDoBackup), static_cast<QWidget*>(w.tbFontSize),
                           static_cast<QWidget*>(w.chkStation_is_ReadOnly), static_cast<QWidget*>(w.btnDeleteOldTermine),
                           static_cast<QWidget*>(w.btnEdit_GUI_Terms)})
        EXPECT_FALSE(other->isEnabled()) << other->objectName().toStdString();
    EXPECT_TRUE(w.btnShutdown->isHidden());
}

TEST_F(SettingsWithoutDatabase, SaveWritesTheSettingsFileAndStartsAgain)
{
    typeDatabase("  neu.mdb  ");
    QTest::mouseClick(window().btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(folder.read(AppExeName() + ".ini"), QByteArray("DBname=neu.mdb\r\n"));
    EXPECT_EQ(DbPath, folder.file("neu.mdb"));
    // Start-up runs again, once the window has gone.
    EXPECT_EQ(windows.restarted, 1);
    EXPECT_EQ(windows.mainShown, 0);
}

TEST_F(SettingsWithoutDatabase, PathsAreStoredRelativeInsideTheProgramFolderAndInFullElsewhere)
{
    typeDatabase(folder.file("daten/b.mdb"));
    QTest::mouseClick(window().btnSave, Qt::LeftButton);
    EXPECT_EQ(folder.read(AppExeName() + ".ini"), QByteArray("DBname=daten/b.mdb\r\n"));
    EXPECT_EQ(DbPath, folder.file("daten/b.mdb"));

    typeDatabase("/srv/daten/c.mdb");
    QTest::mouseClick(window().btnSave, Qt::LeftButton);
    EXPECT_EQ(folder.read(AppExeName() + ".ini"), QByteArray("DBname=/srv/daten/c.mdb\r\n"));
    EXPECT_EQ(DbPath, "/srv/daten/c.mdb");
    EXPECT_EQ(windows.restarted, 2);
}

TEST_F(SettingsWithoutDatabase, CloseEndsTheProgram)
{
    frmVorgaben& w = window();
    EXPECT_THROW(w.btnClose_Click(), ProgramEnded);
    EXPECT_EQ(windows.ended, 1);
}

TEST_F(SettingsWithoutDatabase, EscapeNeitherClosesTheWindowNorEndsTheProgram)
{
    test::DialogScope dialogs;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(window().tbDBName, Qt::Key_Escape);
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(windows.ended, 0);
}

TEST_F(SettingsWithoutDatabase, EnterInTheDatabaseFieldDoesNotSave)
{
    frmVorgaben& w = window();
    QTest::keyClick(w.tbDBName, Qt::Key_Return);
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_TRUE(folder.read(AppExeName() + ".ini").isEmpty());
}

TEST_F(SettingsWithoutDatabase, SearchPutsTheChosenFileIntoTheField)
{
    test::DialogScope dialogs;
    dialogs->answerFile(folder.file("gefunden.mdb"));
    dialogs->answerFile(QString());  // cancelled: the field keeps its text
    frmVorgaben& w = window();
    w.btnSearchDB_Path_Click();
    EXPECT_EQ(w.tbDBName->text(), folder.file("gefunden.mdb"));
    w.btnSearchDB_Path_Click();
    EXPECT_EQ(w.tbDBName->text(), folder.file("gefunden.mdb"));
    EXPECT_EQ(dialogs->calls().front().title, GetResString(1756));
}

TEST_F(SettingsWithoutDatabase, SaveWritesNoPreferencesAlsoAfterACompactionOpenedTheFile)
{
    // Start-up could not open the file (say it was locked); it is there.
    const QString file = folder.file("fehlt.mdb");
    db::engine::createDatabase(file, test::TestDatabase::schemaSql());
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);   // compact?
    dialogs->answerMessage(ui::Answer::Ok);   // done
    frmVorgaben& w = window();
    QTest::mouseClick(w.btnDefragMDB, Qt::LeftButton);
    ASSERT_TRUE(DbOpen);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(537, {{"%s", file}}));

    typeDatabase("fehlt.mdb");
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_EQ(windows.restarted, 1);
    EXPECT_EQ(windows.mainShown, 0);
    std::unique_ptr<db::Database> check = db::Database::open(file);
    for (const char* table : {"tbl_preferences2", "tbl_preferences", "tbl_workstations"}) {
        db::Recordset rs = check->openRecordset(QStringLiteral("SELECT Count(*) AS n FROM ") + table,
                                                db::OpenMode::ForwardOnlyReadOnly);
        EXPECT_EQ(rs.value("n").toLong(), 0) << table;
    }
}

// Start-up could not open the shared database the settings file names (held
// by another process, the share not there yet); the program folder holds a
// database of the same name, as every one does.
TEST_F(SettingsWithoutDatabase, ASaveThatChangedNothingStartsAgainOnTheSharedDatabase)
{
    test::GlobalsScope globals;
    test::DialogScope dialogs;
    Windows().showSettings = [] { frmVorgaben::showWindow(); };
    db::engine::createDatabase(folder.file("velmorant.mdb"), test::TestDatabase::schemaSql());
    const int timeout = db::Database::busyTimeout();
    db::Database::setBusyTimeout(100);
    for (const bool held : {true, false}) {
        const test::TempFolder share;
        const QString shared = share.file("velmorant.mdb");
        // Not as the program writes it: any rewrite shows.
        const QByteArray settings = "; Rezeption\r\nDBNAME=" + shared.toUtf8() + "\r\n";
        folder.write(AppExeName() + ".ini", settings);
        std::unique_ptr<db::Database> other;
        if (held) {
            db::engine::createDatabase(shared, test::TestDatabase::schemaSql());
            other = db::Database::open(shared);
            other->execute("BEGIN EXCLUSIVE;");
        }
        dialogs->answerMessage(ui::Answer::Ok);
        StartProgram(folder.path());
        ASSERT_TRUE(frmVorgaben::isLoaded());
        EXPECT_EQ(window().tbDBName->text(), shared);

        if (held)
            other.reset();
        else
            db::engine::createDatabase(shared, test::TestDatabase::schemaSql());
        QTest::mouseClick(window().btnSave, Qt::LeftButton);
        EXPECT_EQ(folder.read(AppExeName() + ".ini"), settings);
        EXPECT_EQ(windows.restarted, held ? 1 : 2);
        StartProgram(folder.path());
        EXPECT_TRUE(DbOpen && Db->path() == shared) << held;
        CloseProgramDatabase();
    }
    db::Database::setBusyTimeout(timeout);
    db::setDateParser({});
}
