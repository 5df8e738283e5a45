#include "preferences/frmVorgaben.h"
#include "preferences/installation.h"
#include "preferences/maintenance.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = MaintenanceResult::Kind;

class Maintenance : public ::testing::Test {
protected:
    explicit Maintenance(const QString& name = QStringLiteral("test.mdb")) : data(name) {}
    void SetUp() override
    {
        AppPath = data.folder().path();
        DbFileName = QFileInfo(data.path()).fileName();
        DbPath = data.path();
        ComputerName = QStringLiteral("pc1");
        StationId = GetStationPreferences(ComputerName);
        data.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('Merkmal');");
    }
    void TearDown() override
    {
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
    }
    // The marker row is there: the database is open on a whole file.
    bool intactAndOpen() const
    {
        return DbOpen && Db && Db->isOpen() && Db->path() == DbPath
               && data.count("tbl_customers", "cust_lastname = 'Merkmal'") == 1;
    }
    void plan(std::initializer_list<ui::Answer> answers)
    {
        for (ui::Answer a : answers)
            dialogs->answerMessage(a);
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST(MaintenanceNames, BackupNameWithAndWithoutTimeStamp)
{
    const QDateTime at(QDate(2024, 1, 5), QTime(14, 30));
    EXPECT_EQ(BackupTargetName("/daten/pension.mdb", "/sicher/alt/pension_Backup.mdb", true, at),
              "/sicher/alt/pension_Backup20240105_1430.mdb");
    EXPECT_EQ(BackupTargetName("/daten/pension.mdb", "/sicher/x.mdb", false, at), "/sicher/pension_Backup.mdb");
    EXPECT_EQ(BackupTargetName("/daten/pension.mdb", "", false, at), QDir::homePath() + "/pension_Backup.mdb");
}

TEST_F(Maintenance, CompactionNeverTouchesTheLiveFileOrItsNeighbours)
{
    // The names an older scheme derived by cutting the name would hit these.
    data.folder().write("test2.mdb", "fremd");
    data.folder().write("tes1.MDB", "auch fremd");
    data.folder().write("tes2.MDB", "auch fremd");
    for (int run = 0; run < 2; ++run) {
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
        EXPECT_TRUE(intactAndOpen());
        EXPECT_TRUE(QFileInfo::exists(PreviousStateName(DbPath)));
        EXPECT_FALSE(QFileInfo::exists(CompactionTarget(DbPath)));
    }
    EXPECT_EQ(data.folder().read("test2.mdb"), "fremd");
    EXPECT_EQ(data.folder().read("tes1.MDB"), "auch fremd");
    EXPECT_EQ(data.folder().read("tes2.MDB"), "auch fremd");
    EXPECT_FALSE(GetPreference("LastDefragDate", 8, db::Value(rt::Date())).toDate().isZero());
}

class MaintenanceOfX1 : public Maintenance {
protected:
    MaintenanceOfX1() : Maintenance(QStringLiteral("x1.mdb")) {}
};

TEST_F(MaintenanceOfX1, CompactionAndRepairOfANumberedNameBesideAnUnrelatedFile)
{
    data.folder().write("x2.mdb", "fremd");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(data.folder().read("x2.mdb"), "fremd");
    EXPECT_EQ(QDir(data.folder().path()).entryList({"x1_vor_Reparatur_*.mdb"}, QDir::Files).size(), 1);
}

TEST_F(Maintenance, AFailedStepIsReportedAndTheDatabaseReopenedIntact)
{
    // The new file's name is taken.
    data.folder().write(QFileInfo(CompactionTarget(DbPath)).fileName(), "alt");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Failed);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(GetResString(526, {{"%s", DbPath}})));
    EXPECT_EQ(data.folder().read(QFileInfo(CompactionTarget(DbPath)).fileName()), "alt");
    EXPECT_TRUE(intactAndOpen());

    // The live file cannot give way to the new one.
    QFile::remove(CompactionTarget(DbPath));
    data.folder().write(QFileInfo(PreviousStateName(DbPath)).fileName() + "/drin", "x");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Failed);
    EXPECT_TRUE(intactAndOpen());
    EXPECT_FALSE(QFileInfo::exists(CompactionTarget(DbPath)));
    EXPECT_TRUE(GetPreference("LastDefragDate", 8, db::Value(rt::Date())).toDate().isZero());
}

TEST_F(Maintenance, AGarbageFileIsDamagedAndTheProgramRunsOnWithoutDatabase)
{
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    QFile file(DbPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // repair?, cannot tell who works, damaged
    w.btnRepairMDB_Click();
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(GetResString(530, {{"%s", DbPath}})));
    EXPECT_FALSE(DbOpen);
    EXPECT_FALSE(w.databaseMode());
    EXPECT_TRUE(w.btnShutdown->isHidden());
    EXPECT_EQ(QFileInfo(DbPath).size(), 8192);
    EXPECT_THROW(w.btnClose_Click(), ProgramEnded);
    delete &w;
}

TEST_F(Maintenance, BackupRefusesTheDatabaseItselfAndReplacesATargetOnlyWhenComplete)
{
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(DbPath);
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Failed);
    EXPECT_TRUE(intactAndOpen());

    const QString target = data.folder().write("sicher/kopie.mdb", "alte Sicherung");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(target);
    const MaintenanceResult done = BackupDatabase(false);
    ASSERT_EQ(done.kind, Kind::Done);
    EXPECT_EQ(BackupPath, target);
    EXPECT_EQ(GetPreference("BackupPath", 10, db::Value(QString())).toText(), target);
    EXPECT_EQ(data.value("SELECT LastBackupSavedOnStation FROM tbl_preferences;").toText(), "pc1");
    {
        std::unique_ptr<db::Database> copy = db::Database::open(target);
        EXPECT_EQ(copy->openRecordset("SELECT Count(*) AS n FROM tbl_customers WHERE cust_lastname = 'Merkmal'",
                                      db::OpenMode::ForwardOnlyReadOnly)
                      .value("n")
                      .toLong(),
                  1);
    }

    // A copy that fails leaves the older backup as it was.
    QFile::remove(target);
    data.folder().write("sicher/kopie.mdb", "alte Sicherung");
    const QString elsewhere = data.folder().write("kaputt.mdb", QByteArray(4096, 'x'));
    DbPath = elsewhere;
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // back up?, unknown stations, failed, not open
    dialogs->answerFile(target);
    EXPECT_EQ(BackupDatabase(false).kind, Kind::NotOpen);
    EXPECT_EQ(data.folder().read("sicher/kopie.mdb"), "alte Sicherung");
    EXPECT_EQ(QDir(data.folder().path() + "sicher").entryList(QDir::Files).size(), 1);
}

TEST_F(Maintenance, TheBackupIsAWholeDatabaseWhileAnotherConnectionWrites)
{
    std::unique_ptr<db::Database> other = db::Database::open(DbPath);
    db::Transaction writing(*other);
    other->execute("INSERT INTO tbl_customers (cust_lastname) VALUES ('Halbfertig');");
    // A read-only workstation keeps no record, so nothing waits for the writer's lock.
    StationReadOnly = true;
    const QString target = data.folder().file("waehrenddessen.mdb");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(target);
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Done);
    writing.rollback();

    std::unique_ptr<db::Database> copy = db::Database::open(target);
    auto count = [&](const char* name) {
        return copy->openRecordset(QStringLiteral("SELECT Count(*) AS n FROM tbl_customers WHERE cust_lastname = '") + name + "'",
                                   db::OpenMode::ForwardOnlyReadOnly)
            .value("n")
            .toLong();
    };
    EXPECT_EQ(count("Merkmal"), 1);
    EXPECT_EQ(count("Halbfertig"), 0);
}

TEST_F(Maintenance, OtherStationsLoggedInAreNamedAndAskedFor)
{
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_logindate) VALUES ('kasse', Now());");
    data.exec("INSERT INTO tbl_workstations (ws_computername) VALUES ('abgemeldet');");
    const test::TempFolder elsewhere;
    const QString target = elsewhere.path();
    const std::vector<std::function<MaintenanceResult()>> actions{
        [] { return CompactDatabase(DbPath, true); },
        [] { return RepairDatabase(DbPath, true); },
        [] { return BackupDatabase(false); },
        [&] {
            QString field = DbPath;
            return MaintenanceResult{MoveInstallation(target, field) ? Kind::Done : Kind::Cancelled, {}, {}};
        },
    };
    for (const auto& action : actions) {
        plan({ui::Answer::Ok, ui::Answer::Cancel});
        EXPECT_EQ(action().kind, Kind::Cancelled);
        const QString asked = dialogs->lastMessage().text;
        EXPECT_TRUE(asked.contains("kasse"));
        EXPECT_FALSE(asked.contains("abgemeldet"));
        EXPECT_FALSE(asked.contains("pc1"));
        EXPECT_TRUE(intactAndOpen());
    }
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 0);
}

TEST_F(Maintenance, OldAppointmentsGoWithoutTouchingNamedCustomers)
{
    data.exec("INSERT INTO Termine (Datum_Ende) VALUES (Now() - 400);");
    data.exec("INSERT INTO Termine (Datum_Ende) VALUES (Now() - 10);");
    data.exec("INSERT INTO tbl_customers (cust_lastname) VALUES (NULL);");
    plan({ui::Answer::Ok});
    EXPECT_EQ(DeleteOldAppointmentsAsked("365").kind, Kind::Done);
    EXPECT_EQ(data.count("Termine"), 1);
    EXPECT_EQ(data.count("tbl_customers"), 1);

    data.exec("DROP TABLE Termine;");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(DeleteOldAppointmentsAsked("0").kind, Kind::Done);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("keine Tabelle \"Termine\""));
}
