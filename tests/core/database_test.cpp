#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/windows.h"
#include "platform/db/database.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <map>

namespace {

QStringList columnsOf(const QString& table)
{
    QStringList names;
    for (const db::FieldDef& f : Db->tableFields(table))
        names << f.name;
    return names;
}

// A file of the older layout: no short building name, no last access, no VAT table.
void makeOlderFile(test::TestDatabase& database)
{
    database.exec("DROP TABLE tbl_vat;");
    database.exec("DROP TABLE tbl_buildings;");
    database.exec("CREATE TABLE tbl_buildings (bld_id INTEGER PRIMARY KEY AUTOINCREMENT, bld_mand_id INTEGER, "
                  "bld_name VARCHAR(50) COLLATE JETTEXT);");
    database.exec("INSERT INTO tbl_buildings (bld_mand_id, bld_name) VALUES (1, 'Haupthaus');");
    database.exec("INSERT INTO tbl_buildings (bld_mand_id, bld_name) VALUES (1, 'Gartenhaus');");
    database.exec("DROP TABLE tbl_workstations;");
    database.exec("CREATE TABLE tbl_workstations (ws_id INTEGER PRIMARY KEY AUTOINCREMENT, "
                  "ws_computername VARCHAR(50) COLLATE JETTEXT, ws_logindate DATETIME);");
}

}  // namespace

TEST(RecordCount, BlankConditionCountsNothingWithoutAQuery)
{
    CloseProgramDatabase();  // no connection at all: a query would fail
    bool ok = false;
    EXPECT_EQ(GetRecordCount("tbl_bookings", "   ", &ok), 0);
    EXPECT_TRUE(ok);
}

TEST(RecordCount, CountsAndReportsAnInvalidCondition)
{
    test::TestDatabase database;
    database.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('Meier');");
    database.exec("INSERT INTO tbl_customers (cust_lastname) VALUES ('MEIER');");
    EXPECT_EQ(GetRecordCount("tbl_customers", "cust_lastname = 'meier'"), 2);

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    bool ok = true;
    EXPECT_EQ(GetRecordCount("tbl_customers", "no_such_column = 1", &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Fehler in GetRecordCount(no_such_column = 1)\n"));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
}

TEST(OpenDatabase, MissingFileQuietShowsNothing)
{
    test::TempFolder folder;
    EXPECT_FALSE(OpenDatabaseFile(folder.file("fehlt.mdb"), true));
    EXPECT_FALSE(DbOpen);
    EXPECT_FALSE(QFile::exists(folder.file("fehlt.mdb")));  // never created by opening
}

TEST(OpenDatabase, NoDatabaseQuietFailsAndOpensTheRealOne)
{
    test::TempFolder folder;
    EXPECT_FALSE(OpenDatabaseFile(folder.write("text.mdb", "just some text"), true));
    EXPECT_FALSE(DbOpen);
    const QString path = folder.file("echt.mdb");
    db::engine::createDatabase(path, test::TestDatabase::schemaSql());
    EXPECT_TRUE(OpenDatabaseFile(path, true));
    EXPECT_TRUE(DbOpen);
    CloseProgramDatabase();
    DbOpen = false;
}

TEST(Upgrade, CurrentFileChangesNothingAndSaysNothing)
{
    test::TestDatabase database;
    test::DialogScope dialogs;
    UpdateDatabase();
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST(Upgrade, OlderFileIsUpgradedOnceAndSilentlyAfterwards)
{
    test::TestDatabase database;
    makeOlderFile(database);
    {
        test::DialogScope dialogs;
        for (int i = 0; i < 3; ++i)
            dialogs->answerMessage(ui::Answer::Ok);
        UpdateDatabase();
        const auto messages = dialogs->messages();
        ASSERT_EQ(messages.size(), 3u);
        EXPECT_EQ(messages[0].text, "Ihre Voreinstellungen in Tabelle \"tbl_buildings\" wurden im Feld \"bld_short\" ergänzt.");
        EXPECT_EQ(messages[0].title, "Update " + AppTitle);
        EXPECT_EQ(messages[0].icon, ui::Icon::Information);
        EXPECT_EQ(messages[1].text, "Ihre Voreinstellungen in Tabelle \"tbl_workstations\" wurden im Feld \"ws_lastaccess\" ergänzt.");
        EXPECT_EQ(messages[2].text, "Ihre Konfiguration wurde um die Tabelle \"tbl_vat\" ergänzt.");
    }
    EXPECT_TRUE(columnsOf("tbl_buildings").contains("bld_short"));
    db::Recordset rs = Db->openRecordset("SELECT bld_short FROM tbl_buildings;", db::OpenMode::ForwardOnlyReadOnly);
    int rows = 0;
    for (; !rs.eof(); rs.moveNext(), ++rows) {
        EXPECT_FALSE(rs.value("bld_short").isNull());
        EXPECT_EQ(rs.value("bld_short").toText(), "");
    }
    EXPECT_EQ(rows, 2);
    db::Recordset vat = Db->openRecordset("SELECT * FROM tbl_vat;", db::OpenMode::ForwardOnlyReadOnly);
    ASSERT_FALSE(vat.eof());
    EXPECT_EQ(vat.value("vat_date_start").toDate(), rt::Date::fromParts(2000, 1, 1));
    EXPECT_EQ(vat.value("vat_date_end").toDate(), rt::Date::fromParts(2100, 12, 31));
    EXPECT_EQ(vat.value("vat_full").toLong(), 19);
    EXPECT_EQ(vat.value("vat_reduced").toLong(), 7);
    db::Recordset index = Db->openRecordset(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND name = 'ws_lastaccessIndex';", db::OpenMode::ForwardOnlyReadOnly);
    EXPECT_FALSE(index.eof());

    test::DialogScope again;
    UpdateDatabase();
    EXPECT_TRUE(again->messages().empty());
}

TEST(Upgrade, VatTableWithOtherCaseIsReportedNotDuplicated)
{
    test::TestDatabase database;
    database.exec("DROP TABLE tbl_vat;");
    database.exec("CREATE TABLE TBL_VAT (vat_date_start DATETIME, vat_date_end DATETIME, vat_full BYTE, vat_reduced BYTE);");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    CreateVatTable();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Fehler beim Erstellen der Tabelle \"tbl_vat\"\n\n"));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::None);
    EXPECT_EQ(Db->tableNames().filter("tbl_vat", Qt::CaseInsensitive).size(), 1);
}

TEST(Upgrade, AddedColumnsGetTheirDefaultsByType)
{
    test::TestDatabase database;
    database.exec("INSERT INTO tbl_buildings (bld_name) VALUES ('Haus');");
    test::DialogScope dialogs;
    for (int i = 0; i < 5; ++i)
        dialogs->answerMessage(ui::Answer::Ok);
    // A one-character text default leaves the rows empty, not "1".
    EXPECT_TRUE(AddFieldIfMissing("tbl_buildings", "bld_flagtext", 10, 10, "1", false));
    EXPECT_TRUE(AddFieldIfMissing("tbl_buildings", "bld_longtext", 10, 10, "abc", false));
    EXPECT_TRUE(AddFieldIfMissing("tbl_buildings", "bld_flag", 1, 0, "1", false));
    EXPECT_TRUE(AddFieldIfMissing("tbl_buildings", "bld_count", 4, 0, "12", true));
    // "0" is no date: the rows stay Null.
    EXPECT_TRUE(AddFieldIfMissing("tbl_buildings", "bld_since", 8, 0, "0", false));
    // Present already, whatever the case: nothing happens, nothing is said.
    EXPECT_FALSE(AddFieldIfMissing("tbl_buildings", "BLD_NAME", 10, 50, "", false));

    db::Recordset rs = Db->openRecordset("SELECT * FROM tbl_buildings;", db::OpenMode::ForwardOnlyReadOnly);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value("bld_flagtext").toText(), "");
    EXPECT_EQ(rs.value("bld_longtext").toText(), "abc");
    EXPECT_TRUE(rs.value("bld_flag").toBool());
    EXPECT_EQ(rs.value("bld_count").toLong(), 12);
    EXPECT_TRUE(rs.value("bld_since").isNull());
    EXPECT_EQ(dialogs->messages().size(), 5u);
}

TEST(Upgrade, FailureIsReportedWithTableAndField)
{
    test::TestDatabase database;
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(AddFieldIfMissing("tbl_workstations", "", 10, 0, "", false));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Fehler bei Änderung für neue Programmversion in Tabelle \"tbl_workstations\" im Feld \"\"\n\n"));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
}

namespace {

// Name -> column list of every index on tbl_bookings, as the file holds them.
std::map<QString, QString> bookingIndexes()
{
    std::map<QString, QString> out;
    db::Recordset rs = Db->openRecordset("SELECT name FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'tbl_bookings' "
                                         "AND name NOT LIKE 'sqlite*';",
                                         db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.field(0).value().toText();
        QStringList columns;
        db::Recordset info = Db->openRecordset("SELECT name FROM pragma_index_info(?) ORDER BY seqno;",
                                               db::OpenMode::ForwardOnlyReadOnly, {db::Value(name)});
        for (; !info.eof(); info.moveNext())
            columns << info.field(0).value().toText();
        out[name] = columns.join(',');
    }
    return out;
}

}  // namespace

TEST(Upgrade, OlderFileGetsTheBookingIndexesOfTheSchemaAndLosesTheOnesTheyReplace)
{
    test::TestDatabase fresh;
    const std::map<QString, QString> current = bookingIndexes();
    ASSERT_EQ(current.at("idx_book_place_end"), "book_place_id,book_end,book_start,book_cust_count");
    ASSERT_EQ(current.at("idx_book_end_start"), "book_end,book_start");
    // The schema already holds what the upgrade adds.
    UpdateIndexes();
    EXPECT_EQ(bookingIndexes(), current);

    test::TestDatabase older;
    older.exec("DROP INDEX idx_book_place_end;");
    older.exec("DROP INDEX idx_book_end_start;");
    older.exec("CREATE INDEX idx_book_place_period ON tbl_bookings (book_place_id, book_start, book_end);");
    older.exec("CREATE INDEX idx_book_end ON tbl_bookings (book_end);");
    older.exec("INSERT INTO tbl_bookings (book_place_id, book_cust_count, book_start, book_end) VALUES (3, 2, 44000.5, 44003.5);");
    test::DialogScope dialogs;
    UpdateDatabase();
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(bookingIndexes(), current);
    EXPECT_EQ(older.count("tbl_bookings", "book_place_id = 3 AND book_end > 44001"), 1);
}
