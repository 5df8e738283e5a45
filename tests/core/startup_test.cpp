#include "core/conflicts.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_hooks.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
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
        db::Database::setReadOnlyStandIn(false);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        InitDateFormat();
        db::setDateParser({});
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

    // A database of the program named by the settings file, with the facility.
    void writeProgramDatabase()
    {
        writeDatabase("velmorant.mdb");
        folder.write("velmorant.ini", "DBNAME=velmorant.mdb\r\n");
        auto database = db::Database::open(folder.file("velmorant.mdb"));
        database->execute("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension am See');");
    }

    test::GlobalsScope globals;
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
    // The German sentence once; the engine's own English words not at all.
    EXPECT_EQ(message.text.count("file is not a database"), 0) << message.text.toStdString();
    EXPECT_EQ(message.text.count(db::errorText(db::err::NotADatabase)), 1) << message.text.toStdString();
    EXPECT_EQ(windows.settingsShown, 1);
    EXPECT_EQ(windows.mainShown, 0);
    EXPECT_FALSE(DbOpen);
}

TEST_F(StartUp, DatabaseOfAnotherProgramIsRefusedUntouched)
{
    folder.write("velmorant.ini", "DBNAME=fremd.mdb\r\n");
    db::engine::createDatabase(folder.file("fremd.mdb"), "CREATE TABLE kunden (id INTEGER, name TEXT);");
    const QByteArray before = folder.read("fremd.mdb");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    start();
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().title, GetResString(522));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(GetResString(523, {{"%s", folder.file("fremd.mdb")}})));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(db::errorText(db::err::NotADatabase)));
    EXPECT_FALSE(dialogs->lastMessage().text.contains("tbl_")) << dialogs->lastMessage().text.toStdString();
    EXPECT_FALSE(DbOpen);
    EXPECT_EQ(windows.settingsShown, 1);
    EXPECT_EQ(windows.mainShown, 0);
    EXPECT_EQ(folder.read("fremd.mdb"), before);
}

TEST_F(StartUp, PathsInMessagesAreCutToASaneLength)
{
    // A settings file naming a path of 20 million characters.
    const QByteArray path = "/srv/" + QByteArray(20'000'000, 'x') + "/velmorant.mdb";
    folder.write("velmorant.ini", "DBNAME=" + path + "\r\n");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    start();
    ASSERT_EQ(dialogs->messages().size(), 1u);
    const QString text = dialogs->lastMessage().text;
    EXPECT_LT(text.size(), 1000);
    EXPECT_TRUE(text.contains("/srv/xxx")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("xxx/velmorant.mdb"));
    EXPECT_EQ(windows.ended, 1);
}

TEST_F(StartUp, WriteProtectedDatabaseRunsTheStationReadOnlyAndSaysSoOnce)
{
    writeProgramDatabase();
    {
        auto database = db::Database::open(folder.file("velmorant.mdb"));
        database->execute("INSERT INTO tbl_workstations (ws_computername, ws_name, ws_ReadOnly) VALUES (?, 'Rezeption', 0);",
                          {db::Value(GetThisComputerName())});
    }
    const QByteArray before = folder.read("velmorant.mdb");
    db::Database::setReadOnlyStandIn(true);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    start();
    ASSERT_EQ(dialogs->messages().size(), 1u) << dialogs->messages().back().text.toStdString();
    const QString text = dialogs->lastMessage().text;
    EXPECT_TRUE(text.startsWith(GetResString(390) + "\n\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(WritePermissionHint()));
    EXPECT_TRUE(WritePermissionHint().startsWith("Überprüfen Sie bitte"));
    EXPECT_TRUE(WritePermissionHint().endsWith("zum Schreiben frei."));
    EXPECT_TRUE(StationReadOnly);
    EXPECT_EQ(StationName, "Rezeption");
    EXPECT_EQ(windows.mainShown, 1);
    CloseProgramDatabase();
    // Nothing written: no login stamp, no preference rows, no read-only flag in the row.
    EXPECT_EQ(folder.read("velmorant.mdb"), before);
}

TEST_F(StartUp, DatesAreReadInTheOrderTheyAreWrittenOnAMonthFirstWorkstation)
{
    writeProgramDatabase();
    // The workstation's own locale writes month first (03/05/2021 for 5 March).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    start();
    ASSERT_TRUE(DbOpen);
    EXPECT_EQ(DateFormat, "dd.mm.yyyy");

    const rt::Date march5 = rt::Date::fromParts(2021, 3, 5);
    const QString written = rt::formatDate(march5, DateFormat);
    EXPECT_EQ(CompleteDateInput("5.3.21"), written);
    EXPECT_EQ(db::parseDate(written), march5);
    EXPECT_EQ(Db->openRecordset("SELECT DateValue('" + written + "') AS d;", db::OpenMode::ForwardOnlyReadOnly)
                  .value("d")
                  .toDouble(),
              march5.serial());

    // A date text set into a date field, and the place check on what a date box shows.
    db::Recordset rs = Db->openRecordset("tbl_bookings");
    rs.addNew();
    rs.field("book_place_id").setValue(7);
    rs.field("book_cust_count").setValue(2);
    rs.field("book_start").setValue(written + " 12:00");
    rs.field("book_end").setValue(rt::formatDate(march5.addDays(2), DateFormat) + " 12:00");
    rs.update();
    EXPECT_EQ(Db->openRecordset("SELECT book_start FROM tbl_bookings;", db::OpenMode::ForwardOnlyReadOnly)
                  .value("book_start")
                  .toDate(),
              march5.atNoon());
    QLineEdit start(rt::formatDate(march5.addDays(1), DateFormat));
    QLineEdit end(rt::formatDate(march5.addDays(3), DateFormat));
    bool guestBooked = false;
    bool placeOccupied = false;
    CheckBookingConflicts(&start, &end, nullptr, 0, 7, 0, guestBooked, placeOccupied, CheckPlace);
    EXPECT_TRUE(placeOccupied);
}

// An older program version left its unfinished copies without a lock; kill -9
// leaves the lock of a process that is gone. Neither holds anything.
TEST_F(StartUp, WhatACutOffMaintenanceStepLeftGoesWhenNoOtherStationIsLoggedIn)
{
    writeProgramDatabase();
    const QStringList left{folder.write("velmorant_vor_Defragmentierung.mdb.entsteht", "halb"),
                           folder.write("velmorant_vor_Defragmentierung.mdb.entsteht-journal", "j"),
                           folder.write("velmorant_neu_repariert.mdb", "halb")};
    const QString lockOfTheDead = folder.write("velmorant_neu_repariert.mdb.lock", "999999\nvelmorant\n\n");
    // Another database's copy in the same folder is not this one's business.
    const QString others = folder.write("andere_vor_Defragmentierung.mdb.entsteht", "fremd");
    for (const QString& file : left + QStringList{lockOfTheDead, others}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    db::Database::open(folder.file("velmorant.mdb"))
        ->execute("INSERT INTO tbl_workstations (ws_computername, ws_logindate) VALUES ('kasse', Now());");

    // Another workstation might be running a step whose lock it cannot see.
    test::DialogScope dialogs;
    start();
    ASSERT_TRUE(DbOpen);
    for (const QString& file : left)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();

    Db->execute("UPDATE tbl_workstations SET ws_logindate = Null WHERE ws_computername = 'kasse';");
    CloseProgramDatabase();
    start();
    ASSERT_TRUE(DbOpen);
    EXPECT_TRUE(dialogs->messages().empty());
    QStringList files = QDir(folder.path()).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{"andere_vor_Defragmentierung.mdb.entsteht", "velmorant.ini", "velmorant.mdb"}));
    EXPECT_EQ(folder.read(QFileInfo(others).fileName()), "fremd");
}

TEST_F(StartUp, FirstSettingsFileWins)
{
    writeDatabase("richtig.mdb");
    // A folder of the first name is no settings file and shadows nothing.
    QDir(folder.path()).mkdir("velmo.ini");
    folder.write("velmorant.ini", "DBNAME=richtig.mdb\r\n");
    folder.write(AppExeName() + ".ini", "DBNAME=falsch.mdb\r\n");
    MandantId = 7;
    start();
    EXPECT_EQ(DbPath, folder.file("richtig.mdb"));
    EXPECT_TRUE(DbOpen);
    EXPECT_EQ(windows.mainShown, 1);
    EXPECT_EQ(windows.settingsShown, 0);
    EXPECT_EQ(MandantId, 1);
    EXPECT_EQ(AppPath, folder.path());
    EXPECT_TRUE(windows.opened.isEmpty());
}

TEST_F(StartUp, StartPageTwoOpensTheFacilityOverviewInFrontOfThePlan)
{
    writeDatabase("velmorant.mdb");
    db::Database::open(folder.file("velmorant.mdb"))
        ->execute("INSERT INTO tbl_workstations (ws_computername, ws_name, ws_startpage) VALUES (?, ?, 2)",
                  {GetThisComputerName(), GetThisComputerName()});
    folder.write("velmorant.ini", "DBNAME=velmorant.mdb\r\n");
    start();
    EXPECT_EQ(windows.mainShown, 1);
    EXPECT_EQ(windows.opened, QStringList{"ShowMandanten()"});
    StartPage = 1;
}

TEST_F(StartUp, AColourIdBeyondItsColumnStopsNoStartAndColoursNoBooking)
{
    writeProgramDatabase();
    db::Database::open(folder.file("velmorant.mdb"))->execute("INSERT INTO tbl_colors VALUES (1, 'FF'), (2000000000, 'FF00')");
    test::DialogScope dialogs;
    start();
    EXPECT_EQ(windows.mainShown, 1);
    EXPECT_EQ(ColorCount, 1);
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

TEST(SingleCopy, ALockThatCannotBeMadeIsReportedAndTheProgramStarts)
{
    test::TempFolder program;
    test::TempFolder runtime;
    // A runtime folder whose path leaves no room for the lock file's name: the
    // lock fails for another reason than a running copy, even for root.
    QString deep = runtime.path();
    while (deep.size() < 3800)
        deep += QString(200, QLatin1Char('r')) + QLatin1Char('/');
    deep += QString(4075 - deep.size(), QLatin1Char('r'));
    ASSERT_TRUE(QDir().mkpath(deep));
    // Only a folder of the user's own with mode 0700 is taken as the runtime folder.
    QFile::setPermissions(deep, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
                                    | QFile::WriteUser | QFile::ExeUser);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", deep.toUtf8());
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    const bool another = AnotherCopyRuns(program.path());
    const bool again = AnotherCopyRuns(program.path());
    if (oldRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", oldRuntime);

    EXPECT_FALSE(another);
    EXPECT_FALSE(again);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Sperrdatei"));
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

TEST(ProgramEnd, AQuitNamesTheEditsNobodyAskedAboutAndEndsOnlyOnOk)
{
    test::WindowHooks windows;
    test::DialogScope dialogs;
    EXPECT_THROW(QuitProgram(), ProgramEnded);
    EXPECT_TRUE(dialogs->messages().empty());

    const int edit = RegisterUnsavedEdit([] { return QStringLiteral("Buchungen: Änderungen an der Buchung 3"); });
    dialogs->answerDefault();
    QuitProgram();
    EXPECT_EQ(windows.ended, 1);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Diese Eingaben gehen verloren, wenn %1 hier beendet wird:\n\n"
                                                          "- Buchungen: Änderungen an der Buchung 3\n\n"
                                                          "Wollen Sie %1 trotzdem jetzt beenden?").arg(AppTitle));
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_THROW(QuitProgram(), ProgramEnded);
    EXPECT_EQ(windows.ended, 2);
    UnregisterUnsavedEdit(edit);
}
