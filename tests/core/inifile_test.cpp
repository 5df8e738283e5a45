#include "core/globals.h"
#include "core/inifile.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

class IniFile : public ::testing::Test {
protected:
    void SetUp() override { AppPath = folder.path(); }
    QString readWith(const QByteArray& content)
    {
        ReadIniFile(folder.write("t.ini", content));
        return DbFileName;
    }
    test::TempFolder folder;
};

}  // namespace

TEST_F(IniFile, KeyIsFoundWhateverItsCaseAndBlanks)
{
    EXPECT_EQ(readWith("  dbname  =  data\\belegung.mdb  \r\n"), "data\\belegung.mdb");
    EXPECT_EQ(DbPath, AppPath + "data/belegung.mdb");
    EXPECT_EQ(readWith("Db_Name=x.mdb\r\n"), "x.mdb");
}

TEST_F(IniFile, FullPathsStayAsTheyAre)
{
    readWith("DBNAME=\\\\server\\share\\b.mdb\r\n");
    EXPECT_EQ(DbPath, "//server/share/b.mdb");
    readWith("DBNAME=C:\\daten\\b.mdb\r\n");
    EXPECT_EQ(DbPath, "C:/daten/b.mdb");
    readWith("DBNAME=/srv/daten/b.mdb\n");
    EXPECT_EQ(DbPath, "/srv/daten/b.mdb");
    // One leading backslash is no full path: it lies below the program folder.
    readWith("DBNAME=\\b.mdb\r\n");
    EXPECT_EQ(DbPath, AppPath + "/b.mdb");
}

TEST_F(IniFile, ValueKeepsEverythingAfterTheFirstEqualsSign)
{
    EXPECT_EQ(readWith("DBNAME=a=b.mdb\r\n"), "a=b.mdb");
    EXPECT_EQ(readWith("DBNAME=\r\n"), "");
    EXPECT_EQ(DbPath, AppPath);
}

TEST_F(IniFile, CommentsSectionsAndOtherKeysChangeNothing)
{
    const QString fallback = AppExeName() + ".mdb";
    EXPECT_EQ(readWith(";DBNAME=x.mdb\r\n'DBNAME=y.mdb\r\n[Daten]\r\n\r\nOTHER=1\r\n ;DBNAME=z.mdb\r\n"), fallback);
    EXPECT_EQ(DbPath, AppPath + fallback);
}

TEST_F(IniFile, LastAssignmentWins)
{
    EXPECT_EQ(readWith("DBNAME=a.mdb\r\nDB_NAME=b.mdb\r\n"), "b.mdb");
}

TEST_F(IniFile, UnreadableFileKeepsDefaults)
{
    ReadIniFile(folder.file("missing.ini"));
    EXPECT_EQ(DbFileName, AppExeName() + ".mdb");
}

TEST_F(IniFile, WritesExactlyOneLineWithCrLf)
{
    DbFileName = "belegung.mdb";
    ASSERT_TRUE(WriteIniFile(folder.file("out.ini")));
    EXPECT_EQ(folder.read("out.ini"), QByteArray("DBname=belegung.mdb\r\n"));
    // Written again, the old content is replaced, not appended to.
    DbFileName = "x.mdb";
    ASSERT_TRUE(WriteIniFile(folder.file("out.ini")));
    EXPECT_EQ(folder.read("out.ini"), QByteArray("DBname=x.mdb\r\n"));
}

TEST_F(IniFile, WriteFailureIsReportedInEnglish)
{
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    DbFileName = "x.mdb";
    EXPECT_FALSE(WriteIniFile(folder.file("no/such/folder/out.ini")));
    EXPECT_TRUE(dialogs->lastMessage().title.startsWith("Error #"));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Error while saving the file \"" + folder.file("no/such/folder/out.ini") + "\"\n\n"));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
}

TEST_F(IniFile, NamesInTheirOrder)
{
    const QStringList names = SettingsFileNames();
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], AppPath + "velmo.ini");
    EXPECT_EQ(names[1], AppPath + "velmorant.ini");
    EXPECT_EQ(names[2], OwnSettingsFileName());
}

TEST_F(IniFile, ATypedDatabaseNameBecomesRelativeOnlyInsideTheProgramFolder)
{
    const DatabaseSetting bare = DatabaseSettingFor(QStringLiteral("  neu.mdb "));
    EXPECT_EQ(bare.fileName, QStringLiteral("neu.mdb"));
    EXPECT_EQ(bare.path, AppPath + QStringLiteral("neu.mdb"));

    const DatabaseSetting inside = DatabaseSettingFor(AppPath.toUpper() + QStringLiteral("daten/b.mdb"));
    EXPECT_EQ(inside.fileName, QStringLiteral("daten/b.mdb"));
    EXPECT_EQ(inside.path, AppPath + QStringLiteral("daten/b.mdb"));

    const DatabaseSetting elsewhere = DatabaseSettingFor(QStringLiteral("/srv/daten/c.mdb"));
    EXPECT_EQ(elsewhere.fileName, QStringLiteral("/srv/daten/c.mdb"));
    EXPECT_EQ(elsewhere.path, QStringLiteral("/srv/daten/c.mdb"));

    const DatabaseSetting share = DatabaseSettingFor(QStringLiteral("\\\\server\\daten\\d.mdb"));
    EXPECT_EQ(share.fileName, QStringLiteral("\\\\server\\daten\\d.mdb"));
    EXPECT_EQ(share.path, QStringLiteral("//server/daten/d.mdb"));
}

TEST_F(IniFile, SavingTheTypedNameWritesTheOwnFileAndTheGlobals)
{
    EXPECT_TRUE(SaveDatabaseSetting(AppPath + QStringLiteral("x.mdb")));
    EXPECT_EQ(DbFileName, QStringLiteral("x.mdb"));
    EXPECT_EQ(DbPath, AppPath + QStringLiteral("x.mdb"));
    EXPECT_EQ(folder.read(AppExeName() + QStringLiteral(".ini")), QByteArray("DBname=x.mdb\r\n"));
}
