#include "platform/db/database.h"
#include "tests/platform/db/db_fixture.h"

#include <gtest/gtest.h>

namespace {

using db::OpenMode;
using db::Recordset;
using db::Value;

using Recordsets = dbtest::DbTest;

const QString kAll = QStringLiteral("SELECT * FROM tbl_people ORDER BY p_id");

TEST_F(Recordsets, AutoNumberAndDefaultsVisibleRightAfterAddNew)
{
    Recordset rs = database->openRecordset(QStringLiteral("SELECT * FROM tbl_people WHERE p_name = 'x'"));
    ASSERT_TRUE(rs.isUpdatable());
    rs.addNew();
    const qint32 id = rs.value(QStringLiteral("p_id")).toLong();
    EXPECT_EQ(id, 1);
    EXPECT_EQ(rs.value(QStringLiteral("p_city")).toText(), QStringLiteral("Berlin"));
    EXPECT_EQ(rs.value(QStringLiteral("p_active")).kind(), Value::Kind::Bool);
    EXPECT_TRUE(rs.value(QStringLiteral("p_name")).isNull());
    rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("Anna"));
    rs.update();
    EXPECT_EQ(rs.lastModified(), id);
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("Anna"));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name, p_city FROM tbl_people WHERE p_id = 1")),
              QStringList{QStringLiteral("Anna")});
}

TEST_F(Recordsets, CancelledAddNewLeavesNoRowAndTheIdStaysUsed)
{
    Recordset rs = database->openRecordset(kAll);
    rs.addNew();
    EXPECT_EQ(rs.value(QStringLiteral("p_id")).toLong(), 1);
    rs.cancelUpdate();
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(rs.eof());
    // Neither this set, nor a plain INSERT, nor another workstation gets id 1 again.
    rs.addNew();
    EXPECT_EQ(rs.value(QStringLiteral("p_id")).toLong(), 2);
    rs.close();
    addPerson(QStringLiteral("plain"));
    EXPECT_EQ(count(QStringLiteral("p_id = 3")), 1);
}

TEST_F(Recordsets, ANewRowNeverGetsAnIdBelowOne)
{
    // Another tool left only rows below 1 and turned the counter back.
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_id, p_name) VALUES (-5, 'alt')"));
    database->execute(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'tbl_people'"));
    database->execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('tbl_people', -20)"));
    Recordset rs = database->openRecordset(kAll);
    rs.addNew();
    EXPECT_EQ(rs.value(QStringLiteral("p_id")).toLong(), 1);
}

TEST_F(Recordsets, TwoWorkstationsAddingAtOnceGetDifferentIds)
{
    auto second = other();
    Recordset a = database->openRecordset(kAll);
    Recordset b = second->openRecordset(kAll);
    a.addNew();
    b.addNew();
    EXPECT_NE(a.value(QStringLiteral("p_id")).toLong(), b.value(QStringLiteral("p_id")).toLong());
    a.field(QStringLiteral("p_name")).setValue(QStringLiteral("a"));
    b.field(QStringLiteral("p_name")).setValue(QStringLiteral("b"));
    b.update();
    a.update();
    EXPECT_EQ(count(), 2);
}

TEST_F(Recordsets, UpdateWritesOnlyAssignedColumns)
{
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_note) VALUES ('old', 'old note')"));
    Recordset rs = database->openRecordset(kAll);
    rs.edit();
    rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("mine"));
    // Meanwhile another workstation changes another column of the row.
    other()->execute(QStringLiteral("UPDATE tbl_people SET p_note = 'their note'"));
    rs.update();
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people")), QStringList{QStringLiteral("mine")});
    EXPECT_EQ(names(QStringLiteral("SELECT p_note FROM tbl_people")), QStringList{QStringLiteral("their note")});
    // The set shows what is stored now.
    EXPECT_EQ(rs.value(QStringLiteral("p_note")).toText(), QStringLiteral("their note"));
}

TEST_F(Recordsets, EditOfARowDeletedElsewhere)
{
    addPerson(QStringLiteral("gone"));
    Recordset rs = database->openRecordset(kAll);
    other()->execute(QStringLiteral("DELETE * FROM tbl_people"));
    rs.edit();
    rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("x"));
    EXPECT_DB_ERROR(rs.update(), 3167);
    EXPECT_DB_ERROR(rs.value(QStringLiteral("p_name")), 3167);
    EXPECT_EQ(count(), 0);
}

TEST_F(Recordsets, ErrorNumbersOfTheOldEngine)
{
    Recordset empty = database->openRecordset(kAll);
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.bof());
    EXPECT_DB_ERROR(empty.value(QStringLiteral("p_name")), 3021);
    EXPECT_DB_ERROR(empty.moveNext(), 3021);
    EXPECT_DB_ERROR(empty.moveFirst(), 3021);
    EXPECT_DB_ERROR(empty.edit(), 3021);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_missing")), 3265);
    EXPECT_DB_ERROR(empty.update(), 3020);

    empty.addNew();
    db::Field& countField = empty.field(QStringLiteral("P_COUNT"));   // any case
    EXPECT_DB_ERROR(countField.setValue(QStringLiteral("abc")), 3421);
    EXPECT_DB_ERROR(countField.setValue(70000), 3349);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_byte")).setValue(256), 3349);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_byte")).setValue(-1), 3349);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_name")).setValue(QString(21, QLatin1Char('x'))), 3163);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_id")).setValue(99), 3164);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_active")).setValue(Value()), 3314);
    EXPECT_DB_ERROR(empty.field(QStringLiteral("p_start")).setValue(QStringLiteral("kein Datum")), 3421);
    empty.field(QStringLiteral("p_name")).setValue(QString(20, QLatin1Char('x')));
    countField.setValue(QStringLiteral("2,5"));    // the user's decimal comma; rounds half to even
    EXPECT_EQ(countField.value().toLong(), 2);
    empty.update();

    Recordset lookup = database->openRecordset(kAll, OpenMode::ForwardOnlyReadOnly);
    EXPECT_FALSE(lookup.isUpdatable());
    EXPECT_DB_ERROR(lookup.addNew(), 3027);
    EXPECT_DB_ERROR(lookup.edit(), 3027);
    EXPECT_DB_ERROR(lookup.field(QStringLiteral("p_name")).setValue(QStringLiteral("x")), 3027);
}

TEST_F(Recordsets, BooleansAreMinusOne)
{
    Recordset rs = database->openRecordset(kAll);
    rs.addNew();
    rs.field(QStringLiteral("p_active")).setValue(true);
    rs.update();
    rs.addNew();
    rs.field(QStringLiteral("p_active")).setValue(QStringLiteral("Falsch"));
    rs.update();
    EXPECT_EQ(names(QStringLiteral("SELECT p_active + 0 FROM tbl_people ORDER BY p_id")),
              (QStringList{QStringLiteral("-1"), QStringLiteral("0")}));
    EXPECT_EQ(count(QStringLiteral("p_active = True")), 1);
    // Any other non-zero value written by SQL still reads as True.
    database->execute(QStringLiteral("UPDATE tbl_people SET p_active = 1 WHERE p_id = 2"));
    rs.requery();
    rs.moveLast();
    EXPECT_TRUE(rs.value(QStringLiteral("p_active")).toBool());
}

TEST_F(Recordsets, RequerySeesAnotherWorkstation)
{
    Recordset rs = database->openRecordset(kAll, OpenMode::ForwardOnlyReadOnly);
    EXPECT_EQ(rs.recordCount(), 0);
    other()->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('new')"));
    EXPECT_EQ(rs.recordCount(), 0);
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("new"));
}

TEST_F(Recordsets, NavigationDeleteAndBookmarks)
{
    for (const char* n : {"a", "b", "c", "d"})
        addPerson(QString::fromUtf8(n));
    Recordset rs = database->openRecordset(kAll);
    EXPECT_EQ(rs.recordCount(), 4);
    rs.moveLast();
    EXPECT_EQ(rs.absolutePosition(), 3);
    rs.movePrevious();
    const Recordset::Bookmark c = rs.bookmark();
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("c"));
    rs.moveFirst();
    rs.moveNext();
    rs.deleteCurrent();                                    // b
    EXPECT_DB_ERROR(rs.value(QStringLiteral("p_name")), 3167);
    EXPECT_EQ(rs.recordCount(), 3);
    rs.moveNext();
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("c"));
    EXPECT_EQ(rs.absolutePosition(), 1);
    rs.movePrevious();
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("a"));
    rs.movePrevious();
    EXPECT_TRUE(rs.bof());
    EXPECT_FALSE(rs.eof());
    rs.setBookmark(c);
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("c"));
    EXPECT_DB_ERROR(rs.setBookmark(9999), 3159);
    rs.edit();
    rs.field(QStringLiteral("p_count")).setValue(5);
    rs.update();
    EXPECT_EQ(rs.lastModified(), c);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(count(QStringLiteral("p_name = 'c' AND p_count = 5")), 1);
}

TEST_F(Recordsets, MovingDropsAPendingEdit)
{
    addPerson(QStringLiteral("a"));
    addPerson(QStringLiteral("b"));
    Recordset rs = database->openRecordset(kAll);
    rs.edit();
    rs.field(QStringLiteral("p_name")).setValue(QStringLiteral("changed"));
    rs.moveNext();
    EXPECT_EQ(rs.editMode(), Recordset::EditMode::None);
    EXPECT_EQ(count(QStringLiteral("p_name = 'changed'")), 0);
}

TEST_F(Recordsets, JoinsAndAggregatesAreReadOnly)
{
    addPerson(QStringLiteral("a"));
    Recordset agg = database->openRecordset(QStringLiteral("SELECT Count(*) AS n, Max(p_id) AS m FROM tbl_people"));
    EXPECT_FALSE(agg.isUpdatable());
    EXPECT_EQ(agg.value(QStringLiteral("n")).kind(), Value::Kind::Long);
    EXPECT_EQ(agg.value(QStringLiteral("N")).toLong(), 1);
    Recordset join = database->openRecordset(QStringLiteral(
        "SELECT a.p_name FROM tbl_people AS a INNER JOIN tbl_people AS b ON a.p_id = b.p_id"));
    EXPECT_FALSE(join.isUpdatable());
    EXPECT_EQ(join.value(QStringLiteral("p_name")).toText(), QStringLiteral("a"));
    Recordset distinct = database->openRecordset(QStringLiteral("SELECT DISTINCT p_name FROM tbl_people"));
    EXPECT_FALSE(distinct.isUpdatable());
    // DISTINCTROW over one table stays updatable.
    Recordset row = database->openRecordset(QStringLiteral("SELECT DISTINCTROW p_name FROM tbl_people"));
    EXPECT_TRUE(row.isUpdatable());
}

TEST_F(Recordsets, TableNameOpensWholeTableInStoredOrder)
{
    addPerson(QStringLiteral("z"));
    addPerson(QStringLiteral("a"));
    Recordset rs = database->openRecordset(QStringLiteral("tbl_people"), OpenMode::ForwardOnlyReadOnly);
    EXPECT_EQ(rs.fieldCount(), 9);
    EXPECT_EQ(rs.field(1).name(), QStringLiteral("p_name"));
    EXPECT_EQ(rs.field(1).type(), db::DaoType::Text);
    EXPECT_EQ(rs.field(1).size(), 20);
    EXPECT_TRUE(rs.field(0).isAutoNumber());
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("z"));
    EXPECT_DB_ERROR(database->openRecordset(QStringLiteral("tbl_nothing")), 3078);
}

TEST_F(Recordsets, FieldsByNameWithoutRegardToCaseTheFirstWinning)
{
    addPerson(QStringLiteral("Anna"));
    Recordset rs = database->openRecordset(
        QStringLiteral("SELECT p_city AS place, p_name AS PLACE, p_name AS Name, p_note FROM tbl_people"),
        OpenMode::ForwardOnlyReadOnly);
    EXPECT_EQ(rs.value(QStringLiteral("PLACE")).toText(), QStringLiteral("Berlin"));
    EXPECT_EQ(rs.value(QStringLiteral("place")).toText(), QStringLiteral("Berlin"));
    EXPECT_EQ(rs.value(QStringLiteral("nAME")).toText(), QStringLiteral("Anna"));
    EXPECT_EQ(rs.field(QStringLiteral("P_NOTE")).type(), db::DaoType::Memo);
    EXPECT_DB_ERROR(rs.value(QStringLiteral("Nam")), 3265);
    EXPECT_DB_ERROR(rs.value(QStringLiteral("Names")), 3265);
}

TEST_F(Recordsets, DeclaredTypesAndSizes)
{
    database->execute(QStringLiteral("CREATE TABLE tbl_kinds (a VARCHAR( 12 ) COLLATE JETTEXT, b VARCHAR, c TEXT(0), "
                                     "d NVARCHAR(7), e BIGINT, f MEMO, g TIMESTAMP, h DECIMAL(10,2), i YESNO, j SHORT)"));
    database->execute(QStringLiteral("INSERT INTO tbl_kinds (a) VALUES ('x')"));
    Recordset rs = database->openRecordset(QStringLiteral("tbl_kinds"), OpenMode::ForwardOnlyReadOnly);
    const struct {
        db::DaoType type;
        int size;
    } expected[] = {{db::DaoType::Text, 12},   {db::DaoType::Text, 255},   {db::DaoType::Text, 255},
                    {db::DaoType::Text, 7},    {db::DaoType::Long, 4},     {db::DaoType::Memo, 0},
                    {db::DaoType::Date, 8},    {db::DaoType::Double, 8},   {db::DaoType::Boolean, 1},
                    {db::DaoType::Integer, 2}};
    ASSERT_EQ(rs.fieldCount(), 10);
    for (int i = 0; i < rs.fieldCount(); ++i) {
        SCOPED_TRACE(rs.field(i).name().toStdString());
        EXPECT_EQ(rs.field(i).type(), expected[i].type);
        EXPECT_EQ(rs.field(i).size(), expected[i].size);
    }
}

TEST_F(Recordsets, ValuesByDeclaredType)
{
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_count, p_price) VALUES ('', 2.5, 1.25)"));
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_count) VALUES (NULL, 3.5)"));
    Recordset rs = database->openRecordset(kAll);
    // Null and the empty text differ, but both read as "".
    EXPECT_FALSE(rs.value(QStringLiteral("p_name")).isNull());
    EXPECT_EQ(rs.value(QStringLiteral("p_count")).toLong(), 2);     // half to even
    EXPECT_EQ(rs.value(QStringLiteral("p_price")).toText(), QStringLiteral("1,25"));
    rs.moveNext();
    EXPECT_TRUE(rs.value(QStringLiteral("p_name")).isNull());
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QString());
    EXPECT_EQ(rs.value(QStringLiteral("p_count")).toLong(), 4);
    EXPECT_EQ(rs.value(QStringLiteral("p_count")).kind(), Value::Kind::Integer);
}

TEST_F(Recordsets, RowsHandedOverOneByOneReadAsARecordSetReadsThem)
{
    addPerson(QStringLiteral("Anna"));
    addPerson(QStringLiteral("Otto"));
    database->execute(QStringLiteral("UPDATE tbl_people SET p_start = #07/03/2024 12:00:00#, p_count = 2 WHERE p_id = 2"));
    QList<QList<Value>> rows;
    database->forEachRow(QStringLiteral("SELECT p_id, p_name, p_start, p_count FROM tbl_people WHERE p_id >= ? ORDER BY p_id"),
                         {Value(1)}, [&](const QList<Value>& row) { rows << row; });
    Recordset rs = database->openRecordset(QStringLiteral("SELECT p_id, p_name, p_start, p_count FROM tbl_people ORDER BY p_id"),
                                           OpenMode::ForwardOnlyReadOnly);
    ASSERT_EQ(rows.size(), 2);
    for (const QList<Value>& row : rows) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(row[i], rs.field(i).value());
        rs.moveNext();
    }
    EXPECT_EQ(rows[1][2].kind(), Value::Kind::Date);
    EXPECT_THROW(database->forEachRow(QStringLiteral("SELECT p_nothing FROM tbl_people"), {}, [](const QList<Value>&) {}),
                 db::DbError);
}

TEST_F(Recordsets, ClosedDatabaseInvalidatesSets)
{
    addPerson(QStringLiteral("a"));
    Recordset rs = database->openRecordset(kAll);
    database->close();
    EXPECT_FALSE(rs.isOpen());
    EXPECT_DB_ERROR(rs.value(QStringLiteral("p_name")), 3420);
    EXPECT_DB_ERROR(database->execute(QStringLiteral("DELETE FROM tbl_people")), 3420);
}

// A table without an INTEGER PRIMARY KEY, as the lookup tables are: a
// compaction may give its rows other rowids while a window holds them.
TEST_F(Recordsets, RowsWithoutIntegerKeyAreFoundByKeyOrValuesAfterRenumbering)
{
    database->execute(QStringLiteral("CREATE TABLE tbl_terms (t_id SMALLINT NOT NULL UNIQUE, t_word VARCHAR(20))"));
    database->execute(QStringLiteral("CREATE TABLE tbl_rates (r_from DATETIME, r_rate FLOAT)"));
    for (int i = 1; i <= 3; ++i) {
        database->execute(QStringLiteral("INSERT INTO tbl_terms VALUES (?, ?)"), {Value(i * 10), Value(QStringLiteral("w%1").arg(i))});
        database->execute(QStringLiteral("INSERT INTO tbl_rates VALUES (?, ?)"), {Value(rt::Date(40000 + i)), Value(0.5 * i)});
    }
    Recordset terms = database->openRecordset(QStringLiteral("tbl_terms"));
    Recordset rates = database->openRecordset(QStringLiteral("SELECT r_rate FROM tbl_rates ORDER BY r_from"));
    const Recordset::Bookmark second = [&] {
        terms.moveNext();
        return terms.bookmark();
    }();
    rates.moveNext();

    // Another workstation shifts every rowid, as renumbering does.
    auto station = other();
    station->execute(QStringLiteral("UPDATE tbl_terms SET rowid = rowid + 100"));
    station->execute(QStringLiteral("UPDATE tbl_rates SET rowid = 14 - rowid"));

    terms.edit();
    terms.field(QStringLiteral("t_word")).setValue(QStringLiteral("neu"));
    terms.update();
    rates.edit();
    rates.field(QStringLiteral("r_rate")).setValue(7.5);
    rates.update();
    EXPECT_EQ(names(QStringLiteral("SELECT t_word FROM tbl_terms ORDER BY t_id")),
              (QStringList{QStringLiteral("w1"), QStringLiteral("neu"), QStringLiteral("w3")}));
    EXPECT_EQ(names(QStringLiteral("SELECT r_rate FROM tbl_rates ORDER BY r_from")),
              (QStringList{QStringLiteral("0,5"), QStringLiteral("7,5"), QStringLiteral("1,5")}));
    // The set still knows the row by its bookmark, and writes it again.
    terms.moveFirst();
    terms.setBookmark(second);
    terms.edit();
    terms.field(QStringLiteral("t_word")).setValue(QStringLiteral("wieder"));
    terms.update();
    EXPECT_EQ(names(QStringLiteral("SELECT t_word FROM tbl_terms WHERE t_id = 20")), QStringList{QStringLiteral("wieder")});

    // A row whose values another workstation changed meanwhile is not taken
    // for the one held.
    rates.moveFirst();
    station->execute(QStringLiteral("UPDATE tbl_rates SET r_rate = 9 WHERE r_rate = 0.5"));
    EXPECT_DB_ERROR(rates.deleteCurrent(), 3167);
    terms.moveLast();
    terms.deleteCurrent();
    EXPECT_EQ(names(QStringLiteral("SELECT t_id FROM tbl_terms ORDER BY t_id")),
              (QStringList{QStringLiteral("10"), QStringLiteral("20")}));
    EXPECT_EQ(names(QStringLiteral("SELECT count(*) FROM tbl_rates")), QStringList{QStringLiteral("3")});
}

}  // namespace
