#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/windows.h"
#include "platform/db/database.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_hooks.h"

#include <QFile>
#include <QLockFile>

#include <gtest/gtest.h>

namespace {

// Runs start-up in a throw-away program folder and records which windows it
// opened instead of opening them.
class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        DbPath.clear();
        DbFileName.clear();
        CloseProgramDatabase();
        DbOpen = false;
    }
    void TearDown() override
    {
        CloseProgramDatabase();
        DbOpen = false;
    }
    void start()
    {
        try {
            StartProgram(folder.path());
        } catch (const ProgramEnded&) {
        }
    }
    void writeDatabase(const QString& name)
    {
        QFile schema(QStringLiteral(VELMORANT_TEST_RESOURCES "/schema.sql"));
        ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
        db::engine::createDatabase(folder.file(name), QString::fromUtf8(schema.readAll()));
    }

    test::TempFolder folder;
    test::WindowHooks windows;
};

}  // namespace

TEST_F(StartUp, NoSettingsFileNamesAnEmptyDatabase)
{
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    start();
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().title, GetResString(520));
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(521, {{"%s", ""}}));
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
    // Cancel ends the program with no window.
    EXPECT_EQ(windows.ended, 1);
    EXPECT_EQ(windows.settingsShown, 0);
    EXPECT_EQ(windows.mainShown, 0);
}

TEST_F(StartUp, OkOnAMissingDatabaseLeavesOnlyTheSettingsWindow)
{
    folder.write("velmorant.ini", "DBNAME=fehlt.mdb\r\n");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    start();
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(521, {{"%s", folder.file("fehlt.mdb")}}));
    EXPECT_EQ(windows.settingsShown, 1);
    EXPECT_EQ(windows.mainShown, 0);
    EXPECT_EQ(windows.ended, 0);
    EXPECT_FALSE(DbOpen);
}

TEST_F(StartUp, DamagedDatabaseIsReportedAndOpensTheSettingsWindow)
{
    folder.write("velmorant.ini", "DBNAME=kaputt.mdb\r\n");
    folder.write("kaputt.mdb", QByteArray("Standard Jet DB\0\0\0 not a database at all", 40));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    start();
    const auto& message = dialogs->lastMessage();
    EXPECT_EQ(message.title, GetResString(522));
    EXPECT_EQ(message.icon, ui::Icon::Critical);
    EXPECT_TRUE(message.text.startsWith(GetResString(523, {{"%s", folder.file("kaputt.mdb")}}) + "\n\n"));
    EXPECT_TRUE(message.text.endsWith("\n\n" + GetResString(524)));
    EXPECT_EQ(windows.settingsShown, 1);
    EXPECT_EQ(windows.mainShown, 0);
    EXPECT_FALSE(DbOpen);
}

TEST_F(StartUp, FirstSettingsFileWins)
{
    writeDatabase("richtig.mdb");
    folder.write("velmo.ini", "DBNAME=richtig.mdb\r\n");
    folder.write("velmorant.ini", "DBNAME=falsch.mdb\r\n");
    MandantId = 7;
    start();
    EXPECT_EQ(DbPath, folder.file("richtig.mdb"));
    EXPECT_TRUE(DbOpen);
    EXPECT_EQ(windows.mainShown, 1);
    EXPECT_EQ(windows.settingsShown, 0);
    EXPECT_EQ(MandantId, 1);
    EXPECT_EQ(AppPath, folder.path());
}

TEST_F(StartUp, ProgramFolderGetsOneTrailingSeparator)
{
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    QString bare = folder.path();
    bare.chop(1);
    try {
        StartProgram(bare);
    } catch (const ProgramEnded&) {
    }
    EXPECT_EQ(AppPath, folder.path());
}

TEST(SingleCopy, OnlyAnotherCopyOfTheSameFolderCounts)
{
    test::TempFolder a;
    test::TempFolder b;
    EXPECT_FALSE(AnotherCopyRuns(a.path()));
    // The same copy asking again finds its own lock.
    EXPECT_FALSE(AnotherCopyRuns(a.path()));

    // A running copy of folder b holds b's lock.
    QLockFile other(SingleCopyLockPath(b.path()));
    ASSERT_TRUE(other.tryLock(0));
    EXPECT_TRUE(AnotherCopyRuns(b.path()));
    other.unlock();
    EXPECT_FALSE(AnotherCopyRuns(b.path()));
}

TEST(ProgramEnd, RunsTheRegisteredWorkFirstAndTellsWhetherAnyoneMayBeAsked)
{
    test::WindowHooks windows;
    std::vector<bool> runs;
    const int work = AtProgramEnd([&runs](bool unattended) { runs.push_back(unattended); });
    EXPECT_THROW(ExitProgram(true), ProgramEnded);
    EXPECT_THROW(ExitProgram(), ProgramEnded);
    EXPECT_EQ(runs, (std::vector<bool>{true, false}));
    EXPECT_EQ(windows.ended, 2);
    RemoveProgramEndWork(work);
    const int failing = AtProgramEnd([](bool) { throw std::runtime_error("failed"); });
    EXPECT_THROW(ExitProgram(), ProgramEnded);
    EXPECT_EQ(windows.ended, 3);
    EXPECT_EQ(runs.size(), 2u);
    RemoveProgramEndWork(failing);
}
