#include "platform/db/database.h"
#include "tests/platform/db/db_fixture.h"

#include <gtest/gtest.h>

using db::Database;

namespace {

TEST(Translate, DateLiteralsBecomeDayNumbers)
{
    EXPECT_EQ(Database::translate(QStringLiteral("WHERE d = #12/24/2020 12:00:00#")), QStringLiteral("WHERE d = 44189.5"));
    EXPECT_EQ(Database::translate(QStringLiteral("VALUES (#01/01/2000#,#12/31/2100#,19,7);")),
              QStringLiteral("VALUES (36526.0,73415.0,19,7);"));
    EXPECT_EQ(Database::translate(QStringLiteral("x < #3/5/2021 6:30#")), QStringLiteral("x < 44260.270833333336"));
}

TEST(Translate, TextAndBracketsStayAsTheyAre)
{
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT [Now], [True] FROM t WHERE x = 'It''s #1 Now True' AND y = True")),
              QStringLiteral("SELECT [Now], [True] FROM t WHERE x = 'It''s #1 Now True' AND y = -1"));
    // A qualified name is a column, not a keyword.
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT t.Now, t.False FROM t WHERE a=False")),
              QStringLiteral("SELECT t.Now, t.False FROM t WHERE a=0"));
}

TEST(Translate, DoubleQuotedTextBecomesSingleQuoted)
{
    EXPECT_EQ(Database::translate(QStringLiteral("SET a = \"O'Brien \"\"Bob\"\"\";")),
              QStringLiteral("SET a = 'O''Brien \"Bob\"';"));
    EXPECT_EQ(Database::translate(QStringLiteral("SET a = \"\"")), QStringLiteral("SET a = ''"));
}

TEST(Translate, DeleteStarAndDistinctrow)
{
    EXPECT_EQ(Database::translate(QStringLiteral("DELETE * FROM tbl_bookings WHERE book_id IN (1,2);")),
              QStringLiteral("DELETE FROM tbl_bookings WHERE book_id IN (1,2);"));
    EXPECT_EQ(Database::translate(QStringLiteral("delete *from t")), QStringLiteral("delete from t"));
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT DISTINCTROW a, b FROM t")), QStringLiteral("SELECT a, b FROM t"));
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT DISTINCT(pl_id) FROM t")),
              QStringLiteral("SELECT DISTINCT(pl_id) FROM t"));
}

TEST(Translate, NowDateAndDateValue)
{
    EXPECT_EQ(Database::translate(QStringLiteral("UPDATE p SET d = Now;")), QStringLiteral("UPDATE p SET d = jet_now();"));
    EXPECT_EQ(Database::translate(QStringLiteral("WHERE e < Now - 5 AND s<= now ( ) AND e >= Date()")),
              QStringLiteral("WHERE e < jet_now() - 5 AND s<= jet_now() AND e >= jet_date()"));
    EXPECT_EQ(Database::translate(QStringLiteral("WHERE b = DateValue('05.03.1970')")),
              QStringLiteral("WHERE b = jet_datevalue('05.03.1970')"));
}

TEST(Translate, RepeatedTextsGiveTheirOwnTranslation)
{
    // Texts are remembered; each keeps its own result, also after the
    // memory was dropped for being full.
    const QString first = QStringLiteral("SELECT * FROM t WHERE d = #12/24/2020# AND f = True");
    const QString expected = QStringLiteral("SELECT * FROM t WHERE d = 44189.0 AND f = -1");
    EXPECT_EQ(Database::translate(first), expected);
    EXPECT_EQ(Database::translate(first), expected);
    for (int i = 0; i < 1200; ++i)
        EXPECT_EQ(Database::translate(QStringLiteral("SELECT %1 FROM t WHERE f = False").arg(i)),
                  QStringLiteral("SELECT %1 FROM t WHERE f = 0").arg(i));
    EXPECT_EQ(Database::translate(first), expected);
    EXPECT_THROW(Database::translate(QStringLiteral("SELECT #13/45/2020#")), db::DbError);
    EXPECT_THROW(Database::translate(QStringLiteral("SELECT #13/45/2020#")), db::DbError);
}

TEST(Translate, MalformedDateLiteralsRefused)
{
    for (const char* sql : {"x = #13/01/2020#", "x = #2020-01-01#", "x = #1/1/20#", "x = #02/30/2021#",
                            "x = #01/01/2020 25:00:00#", "x = #01/01/2020", "x = 'open"}) {
        SCOPED_TRACE(sql);
        EXPECT_DB_ERROR(Database::translate(QString::fromUtf8(sql)), 3075);
    }
}

TEST(Translate, FunctionsWithAnotherMeaningRefused)
{
    for (const char* sql : {"SELECT Format(d, 'yyyy') FROM t", "SELECT Year (d) FROM t", "SELECT Nz(a, 0) FROM t",
                            "SELECT IIf(a, 1, 2) FROM t", "WHERE d = Date(x)", "SELECT Round(a, 2) FROM t",
                            "SELECT Val(a) FROM t"}) {
        SCOPED_TRACE(sql);
        EXPECT_DB_ERROR(Database::translate(QString::fromUtf8(sql)), 3085);
    }
    // The same words as column names are fine.
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT year, month, date FROM t")),
              QStringLiteral("SELECT year, month, date FROM t"));
}

using TranslateOnDb = dbtest::DbTest;

TEST_F(TranslateOnDb, SecondStatementRefused)
{
    EXPECT_DB_ERROR(database->execute(QStringLiteral("UPDATE tbl_people SET p_count = 1; DROP TABLE tbl_people")), 3142);
    EXPECT_TRUE(database->tableNames().contains(QStringLiteral("tbl_people")));
    EXPECT_EQ(database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('a') ;")), 1);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE tbl_people SET p_count = 2;")), 1);
}

TEST_F(TranslateOnDb, TextWithAZeroCharacterIsStoredAndFound)
{
    // SQLite reads a statement only up to a zero character; the text must not end the statement there.
    const QString name = QStringLiteral("O'Neil") + QChar(0) + QStringLiteral("l");
    EXPECT_EQ(Database::translate(QStringLiteral("SELECT ") + db::sqlText(name)),
              QStringLiteral("SELECT ('O''Neil' || char(0) || 'l')"));
    EXPECT_EQ(database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES (") + db::sqlText(name)
                                + QStringLiteral(");")),
              1);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE tbl_people SET p_note = \"x") + QChar(0)
                                + QStringLiteral("\" WHERE p_name = ") + db::sqlText(name)),
              1);
    db::Recordset rs = database->openRecordset(QStringLiteral("SELECT p_name, p_note FROM tbl_people WHERE p_name = ")
                                                   + db::sqlText(name),
                                               db::OpenMode::ForwardOnlyReadOnly);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), name);
    EXPECT_EQ(rs.value(QStringLiteral("p_note")).toText(), QStringLiteral("x") + QChar(0));
}

TEST_F(TranslateOnDb, JetStatementsRunOnSqlite)
{
    addPerson(QStringLiteral("a"));
    addPerson(QStringLiteral("b"));
    database->execute(QStringLiteral("UPDATE tbl_people SET p_active = True, p_start = #12/24/2020 12:00:00# "
                                     "WHERE p_name = \"a\""));
    EXPECT_EQ(count(QStringLiteral("p_active = True AND p_start = #12/24/2020 12:00:00#")), 1);
    EXPECT_EQ(count(QStringLiteral("p_active = False")), 1);
    EXPECT_EQ(database->execute(QStringLiteral("DELETE * FROM tbl_people WHERE p_id IN (SELECT DISTINCTROW p_id "
                                               "FROM [tbl_people] AS Tmp WHERE [Tmp].[p_active] = True);")),
              1);
    EXPECT_EQ(count(), 1);
}

}  // namespace
