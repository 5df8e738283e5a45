#include "preferences/frmVorgaben.h"
#include "preferences/installation.h"
#include "preferences/maintenance.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/tabledata.h"
#include "core/unfinishedcopies.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void addGuests()
    {
        for (int i = 0; i < 300; ++i)
            data.exec(QStringLiteral("INSERT INTO tbl_customers (cust_lastname, cust_zip) VALUES ('Gast', '%1');").arg(10000 + i));
    }
    // A damaged index page: the repair then rebuilds the file.
    void spoilIndex()
    {
        const qint64 page = data.value("SELECT rootpage FROM sqlite_schema WHERE name = 'idx_cust_zip';").toLong();
        const qint64 pageSize = data.value("PRAGMA page_size;").toLong();
        CloseProgramDatabase();
        {
            QFile file(DbPath);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.seek((page - 1) * pageSize);
            file.write(QByteArray(static_cast<int>(pageSize), '\x33'));
        }
        ASSERT_TRUE(OpenDatabaseFile(DbPath, true));
        ASSERT_FALSE(db::engine::checkIntegrity(DbPath).isEmpty());
    }
    void TearDown() override
    {
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
    }
    struct FileIdentity {
        ino_t inode = 0;
        mode_t mode = 0;
        gid_t group = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static FileIdentity identityOf(const QString& path)
    {
        struct stat info {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return {info.st_ino, info.st_mode, info.st_gid};
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

TEST_F(Maintenance, CompactionWorksInsideTheLiveFileAndKeepsTheStateBefore)
{
    // The names an older scheme derived by cutting the name would hit these.
    data.folder().write("test2.mdb", "fremd");
    data.folder().write("tes1.MDB", "auch fremd");
    ::chmod(QFile::encodeName(DbPath).constData(), 0660);
    const FileIdentity live = identityOf(DbPath);
    for (int run = 0; run < 2; ++run) {
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
        EXPECT_TRUE(intactAndOpen());
        EXPECT_EQ(identityOf(DbPath), live);
        EXPECT_TRUE(db::engine::checkIntegrity(PreviousStateName(DbPath)).isEmpty());
    }
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 4);
    EXPECT_EQ(data.folder().read("test2.mdb"), "fremd");
    EXPECT_EQ(data.folder().read("tes1.MDB"), "auch fremd");
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
    EXPECT_FALSE(GetPreference("LastRepairDate", 8, db::Value(rt::Date())).toDate().isZero());
}

TEST_F(Maintenance, ADamagedFileIsRepairedInPlaceAndKeptAsItWas)
{
    addGuests();
    spoilIndex();
    const FileIdentity live = identityOf(DbPath);
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Fehler gefunden und behoben"));
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(data.count("tbl_customers", "cust_lastname = 'Gast'"), 300);
    EXPECT_TRUE(db::engine::checkIntegrity(DbPath).isEmpty());
    EXPECT_EQ(identityOf(DbPath), live);
    const QStringList kept = QDir(data.folder().path()).entryList({"test_vor_Reparatur_*.mdb"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_FALSE(db::engine::checkIntegrity(data.folder().file(kept[0])).isEmpty());
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 2);
}

TEST_F(Maintenance, AFileOtherStationsKeepBusyIsLeftAsItWas)
{
    const QString earlier = data.folder().write(QFileInfo(PreviousStateName(DbPath)).fileName(), "alt");
    const int timeout = db::Database::busyTimeout();
    db::Database::setBusyTimeout(100);
    std::unique_ptr<db::Database> station = db::Database::open(DbPath);
    station->execute("BEGIN IMMEDIATE;");
    station->execute("INSERT INTO tbl_customers (cust_lastname) VALUES ('Unterwegs');");
    for (const auto& action : std::vector<std::function<MaintenanceResult()>>{
             [] { return CompactDatabase(DbPath, true); }, [] { return RepairDatabase(DbPath, true); }}) {
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(action().kind, Kind::Failed);
        EXPECT_TRUE(dialogs->lastMessage().text.contains("Es wurde nichts verändert"));
    }
    station->execute("COMMIT;");
    db::Database::setBusyTimeout(timeout);
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(data.count("tbl_customers", "cust_lastname = 'Unterwegs'"), 1);
    EXPECT_EQ(data.folder().read(QFileInfo(earlier).fileName()), "alt");
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(GetPreference("LastDefragDate", 8, db::Value(rt::Date())).toDate().isZero());
}

TEST_F(Maintenance, TooLittleRoomOrAFolderInTheWayStopsBeforeAnythingIsWritten)
{
    EXPECT_TRUE(SpaceShortage(DbPath, 2).isEmpty());
    EXPECT_TRUE(SpaceShortage(DbPath, 1000000000).contains("frei; gebraucht werden etwa"));

    data.folder().write(QFileInfo(PreviousStateName(DbPath)).fileName() + "/drin", "x");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Failed);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(GetResString(526, {{"%s", DbPath}})));
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(GetPreference("LastDefragDate", 8, db::Value(rt::Date())).toDate().isZero());
}

TEST_F(Maintenance, AGarbageFileIsDamagedAndTheProgramRunsOnWithoutDatabase)
{
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    CloseProgramDatabase();
    QFile file(DbPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    plan({ui::Answer::Ok, ui::Answer::Ok});   // repair?, damaged
    QTest::mouseClick(w.btnRepairMDB, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(GetResString(530, {{"%s", DbPath}})));
    EXPECT_FALSE(DbOpen);
    EXPECT_FALSE(w.databaseMode());
    EXPECT_TRUE(w.btnShutdown->isHidden());
    EXPECT_EQ(data.folder().read("test.mdb"), QByteArray(8192, 'x'));
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 1);
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

    // A copy that fails (a file where its folder should be) leaves nothing
    // behind and the database open.
    data.folder().write("datei", "keine Ordner");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(data.folder().file("datei/sicherung.mdb"));
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Failed);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Die Datenbank konnte nicht als"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Ordner \"" + data.folder().file("datei") + "\" gibt"));
    EXPECT_TRUE(intactAndOpen());

    // One from a file that is no database leaves the older backup as it was.
    QFile::remove(target);
    data.folder().write("sicher/kopie.mdb", "alte Sicherung");
    const QString elsewhere = data.folder().write("kaputt.mdb", QByteArray(4096, 'x'));
    DbPath = elsewhere;
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // back up?, failed, not open
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

TEST_F(Maintenance, OtherStationsLoggedInAreNamedWhereTheyMatter)
{
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_logindate) VALUES ('kasse', Now());");
    data.exec("INSERT INTO tbl_workstations (ws_computername) VALUES ('abgemeldet');");
    // Compaction and repair name them in their question; nothing is lost there.
    for (const auto& action : std::vector<std::function<MaintenanceResult()>>{
             [] { return CompactDatabase(DbPath, true); }, [] { return RepairDatabase(DbPath, true); }}) {
        plan({ui::Answer::Cancel});
        EXPECT_EQ(action().kind, Kind::Cancelled);
        const QString asked = dialogs->lastMessage().text;
        EXPECT_TRUE(asked.contains("kasse"));
        EXPECT_TRUE(asked.contains("einen Moment gewartet"));
        EXPECT_FALSE(asked.contains("verloren"));
        EXPECT_FALSE(asked.contains("abgemeldet"));
        EXPECT_FALSE(asked.contains("pc1"));
    }
    // The backup asks only for its target.
    plan({ui::Answer::Ok});
    dialogs->answerFile(QString());
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Cancelled);
    EXPECT_EQ(dialogs->messages().back().text, GetResString(1815, {{"%s", DbPath}}));
    // The moved copy would miss what is saved there afterwards: that is said.
    const test::TempFolder elsewhere;
    QString field = DbPath;
    plan({ui::Answer::Ok, ui::Answer::Cancel});
    EXPECT_FALSE(MoveInstallation(elsewhere.path(), field));
    EXPECT_TRUE(dialogs->lastMessage().text.contains("nur in der bisherigen Datenbank"));
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(QDir(data.folder().path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files).size(), 0);
}

// A table-editor row held across a compaction at another workstation: the
// VAT table of a file without its indexes, whose rowids VACUUM renumbers.
TEST_F(Maintenance, ATableEditorRowHeldAcrossACompactionElsewhereIsWrittenWhereItIs)
{
    data.exec("DROP INDEX idx_vat_date_start;");
    data.exec("DROP INDEX idx_vat_date_end;");
    data.exec("DELETE FROM tbl_vat;");
    for (const auto& [year, rate] : {std::pair{2000, 16}, std::pair{2010, 19}, std::pair{2020, 21}})
        data.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/%1#, #12/31/%2#, %3, 7);").arg(year).arg(year + 9).arg(rate));
    TableData table(QStringLiteral("tbl_vat"));
    const int full = 2;
    ASSERT_EQ(table.columns().at(full).name, "vat_full");

    std::unique_ptr<db::Database> station = db::Database::open(DbPath);
    station->execute("DELETE FROM tbl_vat WHERE vat_full = 16;");
    station->close();
    db::engine::compactInPlace(DbPath);
    ASSERT_EQ(data.value("SELECT rowid FROM tbl_vat WHERE vat_full = 21;").toLong(), 2);   // renumbered

    table.setValue(1, full, db::Value(18));
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat WHERE vat_date_start = #01/01/2010#;").toLong(), 18);
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat WHERE vat_date_start = #01/01/2020#;").toLong(), 21);
    EXPECT_EQ(table.setValue(0, full, db::Value(15)), TableData::CellWrite::Lost);
    QString refusal;
    EXPECT_TRUE(table.deleteRow(2, &refusal));
    EXPECT_EQ(data.count("tbl_vat"), 1);
    EXPECT_EQ(data.value("SELECT vat_full FROM tbl_vat;").toLong(), 18);
}

TEST_F(Maintenance, TheStationThatAsksAllToEndNamesItsOwnUnsavedEditsAndStaysOnAbbrechen)
{
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    const int edit = RegisterUnsavedEdit([] { return QStringLiteral("Adressbuch: eine neue Adresse"); });
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    w.chkShutdownAll_includingThisOne->setChecked(true);
    plan({ui::Answer::Ok, ui::Answer::Cancel});
    QTest::mouseClick(w.btnShutdown, Qt::LeftButton);
    EXPECT_TRUE(ShutdownRequested());
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Diese Eingaben gehen verloren, wenn %1 hier beendet wird:\n\n- Programm-Einstellungen: Änderungen "
                             "an den Einstellungen\n- Adressbuch: eine neue Adresse\n\nWollen Sie %1 trotzdem jetzt beenden?")
                  .arg(AppTitle));
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_TRUE(windows.endNotices.empty());
    UnregisterUnsavedEdit(edit);
    delete &w;
}

TEST_F(Maintenance, ABackupWhileAnotherProcessHoldsTheFileTellsTheLockAndWaitsForTheDatabase)
{
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    const UnsavedEditRegistration invoice([] { return QStringLiteral("Rechnung 2026000001: Änderungen"); }, nullptr,
                                          EditKind::StoredAtEnd);
    bool endWorkRan = false;
    const int work = AtProgramEnd([&endWorkRan](bool) { endWorkRan = true; });
    const int timeout = db::Database::busyTimeout();
    db::Database::setBusyTimeout(100);
    std::unique_ptr<db::Database> other = db::Database::open(DbPath);
    const test::TempFolder backups;
    const auto backUpWhileHeld = [&](std::initializer_list<ui::Answer> afterBeenden) {
        other->execute("BEGIN EXCLUSIVE;");
        plan({ui::Answer::Ok});
        dialogs->answerFile(backups.file("sicher.mdb"));
        plan({ui::Answer::Ok, ui::Answer::Abort});   // not backed up; still held: Beenden
        plan(afterBeenden);
        QTest::mouseClick(w.btnDoBackup, Qt::LeftButton);
    };
    // Back from the edits named to the question, where the other process lets go.
    const QString held = "Die Datenbank \"" + DbPath + "\" ist an einem anderen Arbeitsplatz gerade gesperrt";
    dialogs->whileAsked(held, [&] { dialogs->whileAsked(held, [&] { other->execute("ROLLBACK;"); }); });
    backUpWhileHeld({ui::Answer::Cancel, ui::Answer::Retry});
    const auto messages = dialogs->messages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_TRUE(messages[1].text.contains("gerade gesperrt") && messages[1].text.contains("nicht beschädigt"));
    EXPECT_TRUE(messages[2].text.startsWith(held) && messages[4].text.startsWith(held));
    EXPECT_EQ(messages[2].buttons, ui::Buttons::RetryEnd);
    EXPECT_EQ(messages[2].defaultButton, 1);
    EXPECT_TRUE(messages[3].text.contains(":\n\n- Programm-Einstellungen: Änderungen an den Einstellungen\n- Rechnung "
                                          "2026000001: Änderungen\n\n"));
    for (const auto& message : messages)
        EXPECT_FALSE(message.text.contains("reparieren")) << message.text.toStdString();
    EXPECT_TRUE(intactAndOpen());
    EXPECT_TRUE(w.databaseMode());

    // Beenden and OK: nothing is written into the file, no end work either.
    EXPECT_THROW(backUpWhileHeld({ui::Answer::Ok}), ProgramEnded);
    EXPECT_FALSE(endWorkRan);
    RemoveProgramEndWork(work);
    db::Database::setBusyTimeout(timeout);
}

TEST_F(Maintenance, EnterOnTheQuestionsThatRemoveAppointmentsKeepsThem)
{
    // Two alike, both long past.
    data.exec("INSERT INTO Termine (Datum_Beginn, Datum_Ende, Status_Id, Patient_Id, Resources, Datum_Bearbeitung) "
              "VALUES (1, 2, 1, 7, 'A', 10), (1, 2, 1, 7, 'A', 20);");
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    QTabBar* tabs = w.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    dialogs->answerDefault();
    QTest::mouseClick(w.btnDeleteOldTermine, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, GetResString(1731));
    dialogs->answerDefault();
    QTest::mouseClick(w.cmdDeleteTerminDuplicates, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1701));
    EXPECT_EQ(data.count("Termine"), 2);
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

namespace {

// What kill -9 leaves of a step: for each copy it was writing, the first half
// of it, a journal beside it, and the lock file of a process that is gone.
void leaveAsKilled(const QStringList& copies, const QString& source)
{
    QFile live(source);
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    const QByteArray half = live.read(live.size() / 2);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::vector<std::unique_ptr<CopyInProgress>> writing;
        for (const QString& copy : copies) {
            writing.push_back(std::make_unique<CopyInProgress>([&copy](int) { return copy; }));
            QFile journal(copy + "-journal");
            if (journal.open(QIODevice::WriteOnly))
                journal.write(half.left(512));
            QFile partial(copy);
            if (partial.open(QIODevice::WriteOnly))
                partial.write(half);
        }
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

void setChanged(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class Leftovers : public Maintenance {
protected:
    void SetUp() override
    {
        Maintenance::SetUp();
        addGuests();
    }
    QString beforeRepair() const
    {
        return QFileInfo(BeforeRepairName(DbPath, QDateTime(QDate(2024, 1, 5), QTime(14, 30)))).fileName();
    }
    QString folder() const { return data.folder().path(); }
};

}  // namespace

TEST_F(Leftovers, WhatCutOffStepsLeftGoesAndStandsInTheWayOfNoStep)
{
    const QString previous = PreviousStateName(DbPath);
    const QStringList killed{PartialName(previous, 1), PartialName(previous, 2),
                             PartialName(data.folder().file(beforeRepair()), 1), RepairTarget(DbPath)};
    leaveAsKilled(killed, DbPath);
    ASSERT_EQ(filesIn(folder()).size(), 13);
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_EQ(filesIn(folder()), (QStringList{"test.mdb", "test_vor_Defragmentierung.mdb"}));
    EXPECT_TRUE(db::engine::checkIntegrity(previous).isEmpty());

    // A damaged file meets the rebuilt file a killed repair left, and a
    // folder where the rebuilt file would go first.
    leaveAsKilled(killed.mid(0, 3) + QStringList{RepairTarget(DbPath, 2)}, DbPath);
    data.folder().write("test_neu_repariert.mdb/drin", "fremd");
    spoilIndex();
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Fehler gefunden und behoben")) << dialogs->lastMessage().text.toStdString();
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(data.count("tbl_customers", "cust_lastname = 'Gast'"), 300);
    const QStringList left = filesIn(folder());
    ASSERT_EQ(left.size(), 3) << left.join(' ').toStdString();
    EXPECT_TRUE(left[2].startsWith("test_vor_Reparatur_")) << left.join(' ').toStdString();

    // Backups killed under the proposed name and under names the user typed
    // go with the next backup to that folder, under yet another name.
    const test::TempFolder backups;
    leaveAsKilled({PartialName(backups.file("test_Backup20240105_1430.mdb"), 1), PartialName(backups.file("sicherung.mdb"), 1),
                   PartialName(backups.file("sicherung.mdb"), 3)},
                  DbPath);
    setChanged(backups.write("eigene.mdb.entsteht", "nicht unsere"), QDateTime::currentDateTime().addSecs(-3600));
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(backups.file("anders.mdb"));
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Done);
    EXPECT_EQ(filesIn(backups.path()), (QStringList{"anders.mdb", "eigene.mdb.entsteht"}));
    // And one killed there later goes with the next clean-up.
    leaveAsKilled({PartialName(backups.file("Montag.sicher"), 1)}, DbPath);
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(537, {{"%s", DbPath}}));
    EXPECT_EQ(filesIn(backups.path()), (QStringList{"anders.mdb", "eigene.mdb.entsteht"}));
}

TEST_F(Leftovers, ADatabaseUnderALeftoverNameThatAnotherProcessKeepsOpenStays)
{
    const QString kept = RepairTarget(DbPath);
    db::engine::compactDatabase(DbPath, kept);
    const QString ready = data.folder().file("bereit"), done = data.folder().file("fertig");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::unique_ptr<db::Database> open = db::Database::open(kept);
        open->execute("BEGIN;");
        open->openRecordset("SELECT Count(*) FROM tbl_customers", db::OpenMode::ForwardOnlyReadOnly);
        QFile(ready).open(QIODevice::WriteOnly);
        for (int i = 0; i < 30000 && !QFile::exists(done); ++i)
            QThread::msleep(1);
        db::Recordset rs = open->openRecordset("SELECT Count(*) AS n FROM tbl_customers", db::OpenMode::ForwardOnlyReadOnly);
        _exit(rs.value("n").toLong() == 301 ? 0 : 1);
    }
    for (int i = 0; i < 10000 && !QFile::exists(ready); ++i)
        QThread::msleep(1);
    ASSERT_TRUE(QFile::exists(ready));
    QFile::remove(ready);
    // Unchanged for long, without a lock; beside it broken ones of the same kind.
    db::engine::createDatabase(RepairTarget(DbPath, 3), "CREATE TABLE fremd (a INTEGER);");
    const QStringList quiet{kept, data.folder().write(QFileInfo(RepairTarget(DbPath, 2)).fileName(), QByteArray(4096, 'x')),
                            RepairTarget(DbPath, 3)};
    for (const QString& file : quiet)
        setChanged(file, QDateTime::currentDateTime().addSecs(-11 * 60));

    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    const QString told = dialogs->lastMessage().text;
    EXPECT_TRUE(told.startsWith(GetResString(537, {{"%s", DbPath}})));
    EXPECT_TRUE(told.contains("Die Datei \"" + kept + "\" trägt den Namen einer Datei, die ein abgebrochener Vorgang übrig "
                              "lässt, ist aber eine vollständige Datenbank; sie wurde nicht gelöscht. Wenn Sie sie noch "
                              "brauchen, benennen Sie sie bitte um"))
        << told.toStdString();
    EXPECT_EQ(filesIn(folder()), (QStringList{"test.mdb", "test_neu_repariert.mdb", "test_vor_Defragmentierung.mdb"}));

    // The rebuilt file of a repair goes under another name meanwhile.
    spoilIndex();
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Fehler gefunden und behoben"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(kept));
    EXPECT_TRUE(intactAndOpen());
    EXPECT_TRUE(db::engine::checkIntegrity(kept).isEmpty());
    EXPECT_EQ(filesIn(folder()).size(), 4);
    QFile(done).open(QIODevice::WriteOnly);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(Leftovers, ACopyARunningStepOfAnotherProcessWritesIsLeftAlone)
{
    const QString writing = PartialName(PreviousStateName(DbPath), 1);
    const QString rebuilding = RepairTarget(DbPath);
    const test::TempFolder backups;
    BackupPath = backups.file("letzte.mdb");
    const QString backingUp = PartialName(backups.file("Montag.sicher"), 1);
    const QString ready = data.folder().file("bereit"), done = data.folder().file("fertig");
    // The other process holds the copies until told it is done.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const CopyInProgress first([&writing](int) { return writing; });
        const CopyInProgress second([&rebuilding](int) { return rebuilding; });
        const CopyInProgress third([&backingUp](int) { return backingUp; });
        for (const QString& copy : {writing, rebuilding, backingUp}) {
            QFile file(copy);
            if (file.open(QIODevice::WriteOnly))
                file.write("wird geschrieben");
        }
        QFile(ready).open(QIODevice::WriteOnly);
        for (int i = 0; i < 30000 && !QFile::exists(done); ++i)
            QThread::msleep(1);
        _exit(0);
    }
    for (int i = 0; i < 10000 && !QFile::exists(ready); ++i)
        QThread::msleep(1);
    ASSERT_TRUE(QFile::exists(ready));
    QFile::remove(ready);
    // Copies a version without locks writes: one changing now, one long quiet.
    const QString changing = data.folder().write("test_vor_Defragmentierung.mdb.entsteht7", "alt");
    const QString quiet = data.folder().write("test_vor_Defragmentierung.mdb.entsteht8", "alt");
    setChanged(quiet, QDateTime::currentDateTime().addSecs(-3600));

    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(db::engine::checkIntegrity(PreviousStateName(DbPath)).isEmpty());
    spoilIndex();
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Fehler gefunden und behoben"));
    EXPECT_TRUE(intactAndOpen());
    EXPECT_EQ(data.folder().read(QFileInfo(writing).fileName()), "wird geschrieben");
    EXPECT_EQ(data.folder().read(QFileInfo(rebuilding).fileName()), "wird geschrieben");
    EXPECT_TRUE(QFileInfo::exists(writing + ".lock"));
    EXPECT_EQ(filesIn(backups.path()), (QStringList{"Montag.sicher.entsteht", "Montag.sicher.entsteht.lock"}));
    EXPECT_TRUE(QFileInfo::exists(changing));
    EXPECT_FALSE(QFileInfo::exists(quiet));
    QFile(done).open(QIODevice::WriteOnly);
    waitpid(pid, nullptr, 0);
}

TEST_F(Leftovers, TheCopiesKeptBesideTheDatabaseTakeItsRights)
{
    const mode_t mask = ::umask(022);
    gid_t group = identityOf(DbPath).group;
    if (::geteuid() == 0) {
        if (const struct group* users = ::getgrnam("users")) {
            ASSERT_EQ(::chown(QFile::encodeName(DbPath).constData(), 0, users->gr_gid), 0);
            group = users->gr_gid;
        }
    }
    ::chmod(QFile::encodeName(DbPath).constData(), 0660);
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
    spoilIndex();
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
    ::umask(mask);
    const QStringList kept = QDir(folder()).entryList({"test_vor_*.mdb"}, QDir::Files);
    ASSERT_EQ(kept.size(), 2);
    for (const QString& name : kept) {
        const FileIdentity copy = identityOf(data.folder().file(name));
        EXPECT_EQ(copy.mode & 07777, 0660u) << name.toStdString();
        EXPECT_EQ(copy.group, group) << name.toStdString();
    }
}
