#include "preferences/installation.h"
#include "preferences/shortcuts.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "tests/support/user_folders.h"
#include "tests/support/window_hooks.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using test::UserFolders;

QFile::Permissions permissions(const QString& path)
{
    return QFile::permissions(path);
}

class Shortcuts : public ::testing::Test {
protected:
    UserFolders user;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(Shortcuts, CreatedInAMissingAutostartFolderAndFoundByTheirDescription)
{
    ASSERT_FALSE(QFileInfo::exists(user.autostart()));
    EXPECT_EQ(GetSpecialFolderPath(FolderAutostart), user.autostart());
    ASSERT_TRUE(CreateShortcut(FolderAutostart, "VELMORANT", "/opt/mein hotel/velmorant", "", "VELMORANT", "/opt/mein hotel/"));
    user.home.write("config/autostart/fremd.desktop", "[Desktop Entry]\nType=Application\nName=X\nComment=Anderes\nExec=x\n");

    const std::vector<Shortcut> found = FindShortcuts(FolderAutostart, "VELMORANT");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].file, user.autostart() + "/VELMORANT.desktop");
    EXPECT_EQ(found[0].exec, "\"/opt/mein hotel/velmorant\"");
    EXPECT_EQ(found[0].workingFolder, "/opt/mein hotel");
    EXPECT_TRUE(permissions(found[0].file) & QFile::ExeOwner);

    // Another target for the same shortcut.
    ModifyShortcut(FolderAutostart, "VELMORANT", 0, "/srv/velmorant", "", "", "/srv");
    EXPECT_EQ(FindShortcuts(FolderAutostart, "VELMORANT")[0].exec, "/srv/velmorant");
    EXPECT_TRUE(dialogs->calls().empty());
}

TEST_F(Shortcuts, RemovedOnlyAfterOkToTheQuestion)
{
    ASSERT_TRUE(CreateShortcut(FolderDesktop, "VELMORANT", "/opt/v/velmorant", "", "VELMORANT", "/opt/v"));
    const QString file = user.desktop() + "/VELMORANT.desktop";
    // Enter keeps it.
    dialogs->answerDefault();
    ModifyShortcut(FolderDesktop, "VELMORANT", 1, "", "", "", "");
    EXPECT_TRUE(QFileInfo::exists(file));
    const auto& asked = dialogs->lastMessage();
    EXPECT_EQ(asked.title, GetResString(1810));
    EXPECT_EQ(asked.text, GetResString(1811, {{"%s1", "VELMORANT.desktop"}, {"%s2", GetResString(1812)}}));

    dialogs->answerMessage(ui::Answer::Ok);
    ModifyShortcut(FolderDesktop, "VELMORANT", 1, "", "", "", "");
    EXPECT_FALSE(QFileInfo::exists(file));
    // Nothing left to remove: nothing asked.
    const size_t calls = dialogs->calls().size();
    ModifyShortcut(FolderDesktop, "VELMORANT", 1, "", "", "", "");
    EXPECT_EQ(dialogs->calls().size(), calls);
}

TEST_F(Shortcuts, TheLauncherIsAValidDesktopEntry)
{
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    ASSERT_TRUE(CreateShortcut(FolderDesktop, "Hotel \"Zur Post\"", "/opt/a b/$x\\y/velmorant", "--start 100%",
                               "Hotel \"Zur Post\"", "/opt/a b"));
    QProcess run;
    run.start(validator, {user.desktop() + "/Hotel \"Zur Post\".desktop"});
    ASSERT_TRUE(run.waitForFinished());
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(run.readAllStandardOutput() + run.readAllStandardError(), QByteArray());
    EXPECT_EQ(FindShortcuts(FolderDesktop, "Hotel \"Zur Post\"")[0].exec, "\"/opt/a b/\\$x\\\\y/velmorant\" --start 100%%");
}

TEST(DirCopy, CopiesTheTreeAndKeepsTheRunBit)
{
    test::TempFolder source, target;
    const QString program = source.write("velmorant", "#!");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    source.write("help/index.html", "<html>");
    source.write("images/etage/eg.png", "png");
    source.write(".versteckt", "h");

    EXPECT_TRUE(DirCopy(source.path(), target.path() + "kopie/").complete());
    const QString copy = target.file("kopie/");
    EXPECT_EQ(permissions(copy + "velmorant"), permissions(program));
    EXPECT_EQ(target.read("kopie/images/etage/eg.png"), "png");
    EXPECT_EQ(target.read("kopie/.versteckt"), "h");

    // Equal folders, one written with a trailing separator: nothing happens.
    EXPECT_TRUE(DirCopy(source.path(), source.path().chopped(1)).complete());
    EXPECT_EQ(QDir(source.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 4);
}

TEST(DirCopy, RefusesATargetInsideTheSourceAndNamesWhatItCouldNotCopy)
{
    test::TempFolder source;
    source.write("a.txt", "a");
    const CopyReport inside = DirCopy(source.path(), source.file("unter/ziel"));
    EXPECT_TRUE(inside.refused);
    EXPECT_FALSE(QFileInfo::exists(source.file("unter")));
    EXPECT_TRUE(DirCopy(source.file("sub"), source.path()).refused);

    test::TempFolder target;
    ASSERT_EQ(mkfifo(QFile::encodeName(source.file("rohr")).constData(), 0600), 0);
    const CopyReport report = DirCopy(source.path(), target.path());
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_TRUE(report.failed[0].startsWith(source.file("rohr")));
    EXPECT_EQ(target.read("a.txt"), "a");
}

TEST(DirCopy, NeverReplacesADatabaseAndNamesIt)
{
    test::TempFolder source, target;
    source.write("alt.mdb", "meine Kopie");
    db::engine::createDatabase(target.file("alt.mdb"), test::TestDatabase::schemaSql());
    const QByteArray before = target.read("alt.mdb");
    const CopyReport report = DirCopy(source.path(), target.path());
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_TRUE(report.failed[0].startsWith(target.file("alt.mdb: ")));
    EXPECT_EQ(target.read("alt.mdb"), before);
}

namespace {

class Move : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppPath = data.folder().path();
        DbFileName = "test.mdb";
        DbPath = data.path();
        ComputerName = "pc1";
        AppTitle = "VELMORANT";
        StationId = GetStationPreferences(ComputerName);
        const QString program = data.folder().write(AppExeName(), "#!");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        data.folder().write("images/eg.png", "png");
    }
    void plan(std::initializer_list<ui::Answer> answers)
    {
        for (ui::Answer a : answers)
            dialogs->answerMessage(a);
    }
    // A refused move: nothing copied beside what lay there, nothing
    // repointed, no shortcut, the database open as before.
    void expectNothingMoved(const QString& field, const QStringList& targetEntries)
    {
        EXPECT_EQ(field, DbPath);
        EXPECT_EQ(AppPath, data.folder().path());
        EXPECT_EQ(QDir(network.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), targetEntries);
        EXPECT_FALSE(QFileInfo::exists(data.folder().file(AppExeName() + ".ini")));
        EXPECT_TRUE(FindShortcuts(FolderDesktop, AppTitle).empty());
        EXPECT_TRUE(FindShortcuts(FolderAutostart, AppTitle).empty());
        ASSERT_TRUE(DbOpen);
        EXPECT_FALSE(data.value("SELECT ws_logindate FROM tbl_workstations").isNull());
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::TempFolder network;
    UserFolders user;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(Move, AMissingTargetStopsBeforeAnyQuestion)
{
    plan({ui::Answer::Ok});
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(network.file("fehlt"), field));
    EXPECT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1822));
    EXPECT_TRUE(DbOpen);
}

TEST_F(Move, ATargetThatIsAFileIsRefusedBeforeAnything)
{
    const QString file = network.write("ziel", "kein Ordner");
    plan({ui::Answer::Ok});
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(file + "/", field));
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text, "\"" + file + "\" ist eine Datei, kein Ordner. Bitte wählen Sie einen Ordner als Ziel.");
    expectNothingMoved(field, QStringList{"ziel"});
    EXPECT_EQ(network.read("ziel"), "kein Ordner");
}

// The house's shared database, put into the target by hand, has the moved
// one's name: it stays as it is, and the move says what to do.
TEST_F(Move, ADatabaseOfTheMovedNameInTheTargetStaysAndNothingIsCopied)
{
    const QString theirs = network.file("test.mdb");
    db::engine::createDatabase(theirs, test::TestDatabase::schemaSql());
    db::Database::open(theirs)->execute("INSERT INTO tbl_customers (cust_lastname) VALUES ('Haus');");
    const QByteArray before = network.read("test.mdb");
    plan({ui::Answer::Ok});
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    ASSERT_EQ(dialogs->messages().size(), 1u);
    const QString told = dialogs->lastMessage().text;
    EXPECT_TRUE(told.startsWith("Im Zielordner liegt bereits die Datei \"" + theirs + "\"."));
    EXPECT_TRUE(told.endsWith("Bitte benennen Sie die Datei um oder entfernen Sie sie, oder wählen Sie einen anderen "
                              "Zielordner."));
    EXPECT_EQ(network.read("test.mdb"), before);
    expectNothingMoved(field, QStringList{"test.mdb"});

    // Its journal alone is as much in the way: a new file beside it would take it for its own.
    QFile::remove(theirs);
    network.write("test.mdb-journal", "journal");
    plan({ui::Answer::Ok});
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    EXPECT_TRUE(dialogs->lastMessage().text.contains("\"" + theirs + "-journal\""));
    expectNothingMoved(field, QStringList{"test.mdb-journal"});

    // Put there by hand while the move was asked about: still nothing is copied.
    QFile::remove(network.file("test.mdb-journal"));
    dialogs->whileAsked("Wollen Sie die", [&] { network.write("test.mdb", before); });
    plan({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Im Zielordner liegt bereits die Datei \"" + theirs + "\"."));
    EXPECT_EQ(network.read("test.mdb"), before);
    expectNothingMoved(field, QStringList{"test.mdb"});
}

TEST_F(Move, CopiesRepointsTheDatabaseInsideAndMakesShortcutsToTheCopy)
{
    data.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('Merkmal');");
    data.folder().write("test_vor_Defragmentierung.mdb", "alt");
    data.folder().write("test_vor_Reparatur_20240105_143000.mdb", "alt");
    data.folder().write("test_Notizen.mdb", "eigene Datei");
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // move?, shortcuts?, ends now
    const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    QFile::setPermissions(data.path(), shared);
    QString field = DbPath;
    EXPECT_TRUE(MoveInstallation(network.path(), field));
    const QString target = network.path().chopped(1);
    EXPECT_EQ(field, target + "/test.mdb");
    // Whoever could write the database can write the moved one.
    EXPECT_EQ(QFile::permissions(network.file("test.mdb")) & (shared | QFile::ReadOther | QFile::WriteOther), shared);
    EXPECT_TRUE(QFile::permissions(network.file(AppExeName())) & QFile::ExeOwner);
    // The database as one whole state, without what maintenance set aside.
    EXPECT_TRUE(db::engine::checkIntegrity(network.file("test.mdb")).isEmpty());
    EXPECT_EQ(db::Database::open(network.file("test.mdb"))
                  ->openRecordset("SELECT cust_lastname FROM tbl_customers", db::OpenMode::ForwardOnlyReadOnly)
                  .value("cust_lastname")
                  .toText(),
              "Merkmal");
    EXPECT_EQ(QDir(network.path()).entryList({"test*"}, QDir::Files), (QStringList{"test.mdb", "test_Notizen.mdb"}));
    EXPECT_EQ(network.read(AppExeName() + ".ini"), "DBname=test.mdb\r\n");
    EXPECT_EQ(AppPath, network.path());
    for (int folder : {FolderDesktop, FolderAutostart}) {
        const std::vector<Shortcut> links = FindShortcuts(folder, AppTitle);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0].exec, target + "/" + AppExeName());
    }
    // The station logged out before the program ends.
    EXPECT_TRUE(db::Database::open(data.path())
                    ->openRecordset("SELECT ws_logindate FROM tbl_workstations", db::OpenMode::ForwardOnlyReadOnly)
                    .value("ws_logindate")
                    .isNull());
}

// The moved installation uses the database the field names; typed there
// but not yet saved, it is another file than the one open, and goes along
// with its own rows.
TEST_F(Move, TheDatabaseTheFieldNamesGoesAlongWithItsOwnRows)
{
    data.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('Offen');");
    const QString second = data.folder().file("zweite.mdb");
    db::engine::createDatabase(second, test::TestDatabase::schemaSql());
    db::Database::open(second)->execute("INSERT INTO tbl_customers (cust_lastname) VALUES ('Zweite');");
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // move?, shortcuts?, ends now
    QString field = "zweite.mdb";
    EXPECT_TRUE(MoveInstallation(network.path(), field));
    EXPECT_EQ(field, network.path().chopped(1) + "/zweite.mdb");
    QStringList names;
    db::Database::open(network.file("zweite.mdb"))
        ->forEachRow("SELECT cust_lastname FROM tbl_customers", {},
                     [&names](const QList<db::Value>& row) { names << row[0].toText(); });
    EXPECT_EQ(names, QStringList{"Zweite"});
}

TEST_F(Move, AnIncompleteCopyRepointsNothingAndMakesNoShortcuts)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(data.folder().file("rohr")).constData(), 0600), 0);
    plan({ui::Answer::Ok, ui::Answer::Ok});   // move?, could not copy
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    EXPECT_EQ(field, DbPath);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(data.folder().file("rohr")));
    EXPECT_FALSE(QFileInfo::exists(network.file(AppExeName() + ".ini")));
    EXPECT_TRUE(FindShortcuts(FolderDesktop, AppTitle).empty());
    EXPECT_TRUE(FindShortcuts(FolderAutostart, AppTitle).empty());
    EXPECT_EQ(AppPath, data.folder().path());
    ASSERT_TRUE(DbOpen);
    EXPECT_FALSE(data.value("SELECT ws_logindate FROM tbl_workstations").isNull());
}

// Another workstation holds the database (its backup or compaction) while the
// move copies it: the copy fails, and the station waits for its database
// instead of going on without it.
TEST_F(Move, ACopyCutOffByAHeldDatabaseWaitsForItBeforeTheStationGoesOn)
{
    const int timeout = db::Database::busyTimeout();
    db::Database::setBusyTimeout(100);
    ASSERT_FALSE(TryOpenDatabaseFile(DbPath));
    std::unique_ptr<db::Database> other = db::Database::open(DbPath);
    other->execute("BEGIN EXCLUSIVE;");
    const QString held = "Die Datenbank \"" + DbPath + "\" ist an einem anderen Arbeitsplatz gerade gesperrt";
    dialogs->whileAsked(held, [&] { other->execute("ROLLBACK;"); });
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Retry});   // move?, could not copy, held: Wiederholen
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    const auto messages = dialogs->messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(messages[1].text.contains(DbPath));
    EXPECT_TRUE(messages[2].text.startsWith(held));
    EXPECT_EQ(messages[2].buttons, ui::Buttons::RetryEnd);
    EXPECT_FALSE(QFileInfo::exists(network.file("test.mdb")));
    EXPECT_FALSE(QFileInfo::exists(network.file(AppExeName() + ".ini")));
    ASSERT_TRUE(DbOpen);
    EXPECT_FALSE(data.value("SELECT ws_logindate FROM tbl_workstations").isNull());
    db::Database::setBusyTimeout(timeout);
}

// A move that stopped half-way (a file it could not copy, or the program
// killed while it copied the database) is done whole by the next one.
TEST_F(Move, AMoveThatStoppedHalfWayIsDoneWholeByTheNext)
{
    data.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('Merkmal');");
    const QString pipe = data.folder().file("rohr");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    plan({ui::Answer::Ok, ui::Answer::Ok});   // move?, could not copy
    QString field = DbPath;
    EXPECT_FALSE(MoveInstallation(network.path(), field));
    EXPECT_TRUE(QFileInfo::exists(network.file("images/eg.png")));
    EXPECT_FALSE(QFileInfo::exists(network.file(AppExeName())));

    QFile::remove(pipe);
    for (const char* name : {"test.mdb.entsteht", "test.mdb.entsteht-journal", "test.mdb.entsteht2"}) {
        QFile left(network.write(name, "halb"));
        ASSERT_TRUE(left.open(QIODevice::ReadWrite));
        ASSERT_TRUE(left.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Ok});   // move?, shortcuts?, ends now
    EXPECT_TRUE(MoveInstallation(network.path(), field));
    EXPECT_EQ(field, network.path().chopped(1) + "/test.mdb");
    EXPECT_TRUE(QFile::permissions(network.file(AppExeName())) & QFile::ExeOwner);
    EXPECT_EQ(db::Database::open(network.file("test.mdb"))
                  ->openRecordset("SELECT cust_lastname FROM tbl_customers", db::OpenMode::ForwardOnlyReadOnly)
                  .value("cust_lastname")
                  .toText(),
              "Merkmal");
    EXPECT_EQ(QDir(network.path()).entryList({"test*"}, QDir::Files), QStringList{"test.mdb"});
}

TEST(MovedDatabase, OnlyADatabaseInsideTheProgramFolderFollows)
{
    test::GlobalsScope globals;
    AppPath = "/opt/velmorant/";
    EXPECT_EQ(MovedDatabaseName("belegung.mdb", AppPath, "/mnt/netz/"), "/mnt/netz/belegung.mdb");
    EXPECT_EQ(MovedDatabaseName("/opt/velmorant/daten/b.mdb", AppPath, "/mnt/netz"), "/mnt/netz/daten/b.mdb");
    EXPECT_EQ(MovedDatabaseName("/srv/daten/b.mdb", AppPath, "/mnt/netz"), "/srv/daten/b.mdb");
}
