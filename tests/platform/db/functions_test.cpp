#include "platform/db/database.h"
#include "platform/db/jetfunctions.h"
#include "tests/platform/db/db_fixture.h"

#include <gtest/gtest.h>

namespace {

using dbtest::DbTest;
using db::OpenMode;
using db::Value;

class Functions : public DbTest {
protected:
    Value scalar(const QString& sql, const QList<Value>& params = {})
    {
        db::Recordset rs = database->openRecordset(sql, OpenMode::ForwardOnlyReadOnly, params);
        return rs.field(0).value();
    }
};

TEST_F(Functions, TextEqualityIgnoresCaseIncludingUmlautsButNotAccents)
{
    for (const char* n : {"Müller", "Muller", "Straße"})
        addPerson(QString::fromUtf8(n));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name = 'MÜLLER'")),
              QStringList{QStringLiteral("Müller")});
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name = 'muller'")),
              QStringList{QStringLiteral("Muller")});
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name = 'STRASSE'")), QStringList{});
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name = 'STRAßE'")),
              QStringList{QStringLiteral("Straße")});
}

TEST_F(Functions, GermanOrder)
{
    for (const char* n : {"Zander", "Ölmann", "Müller", "ohm", "Mueller", "Muller", "Ärger", "Bach"})
        addPerson(QString::fromUtf8(n));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people ORDER BY p_name")),
              QString::fromUtf8("Ärger,Bach,Mueller,Muller,Müller,ohm,Ölmann,Zander").split(QLatin1Char(',')));
    EXPECT_LT(db::compareText(QStringLiteral("Strasse"), QStringLiteral("Straße")), 0);
    EXPECT_LT(db::compareText(QStringLiteral("Straße"), QStringLiteral("Strassen")), 0);

    // Sort keys order as the comparison does; a letter written with its
    // accent apart sorts as the one written in one.
    const QStringList words =
        QString::fromUtf8("Ärger,bach,Bach,Mueller,Muller,Müller,Mu\u0308ller,Straße,Strassen,Strasse,ohm,Öl,Zander,"
                          "École,ecole,Œuvre,Ørsted,Łukasz,Lukas,Άννα")
            .split(QLatin1Char(','));
    for (const QString& a : words) {
        for (const QString& b : words) {
            const int keys = QString::compare(db::textSortKey(a), db::textSortKey(b));
            EXPECT_EQ(db::compareText(a, b), (keys > 0) - (keys < 0)) << qPrintable(a) << " " << qPrintable(b);
        }
    }
    const auto primary = [](const QString& text) { return db::textSortKey(text).section(QChar(u'\0'), 0, 0); };
    EXPECT_EQ(primary(QString::fromUtf8("Müller")), primary(QString::fromUtf8("Mu\u0308ller")));
    EXPECT_EQ(primary(QString::fromUtf8("École")), QStringLiteral("ecole"));
    EXPECT_EQ(primary(QString::fromUtf8("Straße")), QStringLiteral("strasse"));
}

TEST_F(Functions, LikeWithJetWildcards)
{
    struct Case {
        const char* value;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"Müller", "mü*", true},   {"MÜLLER", "*ller", true},  {"Müllerin", "Müller", false},
        {"50%", "50[%]", true},    {"501", "50%", false},      {"50%", "50%", true},
        {"a_b", "a_b", true},      {"axb", "a_b", false},      {"A1", "?#", true},
        {"AB", "?#", false},       {"b", "[!a]", true},        {"a", "[!a]", false},
        {"K", "[a-m]", true},      {"x", "[a-m]", false},      {"*", "[*]", true},
        {"x", "[*]", false},       {"Mueller", "M?ller", false}, {"Öl", "öL", true},
        {"", "*", true},           {"12345", "#####", true},   {"1234", "#####", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " LIKE " + c.pattern);
        Value v = scalar(QStringLiteral("SELECT ? LIKE ?"), {Value(c.value), Value(c.pattern)});
        EXPECT_EQ(v.toLong(), c.match ? 1 : 0);
    }
}

TEST_F(Functions, LikeNullAndInvalidPattern)
{
    EXPECT_TRUE(scalar(QStringLiteral("SELECT NULL LIKE 'a*'")).isNull());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT 'a' LIKE NULL")).isNull());
    EXPECT_THROW(scalar(QStringLiteral("SELECT 'x' LIKE '[a'")), db::DbError);
    addPerson(QStringLiteral("Öztürk"));
    addPerson(QStringLiteral("Otto"));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name Like 'ö*'")),
              QStringList{QStringLiteral("Öztürk")});
}

// A pattern is compiled once per statement and kept beside its argument: two
// patterns of one statement, a pattern bound anew for the next run and a
// pattern that differs from row to row must each match as their own.
TEST_F(Functions, LikeKeepsEachPatternToItsOwnArgument)
{
    for (const char* n : {"Müller", "Öztürk", "Bergmann", "ärger", "Mann", "Neumann", "Schmidt"})
        database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_note) VALUES (?, ?)"),
                          {Value(QString::fromUtf8(n)), Value(QString::fromUtf8(n).left(2) + QStringLiteral("*"))});
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_note) VALUES (NULL, 'x*')"));
    const QString both = QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name Like ? OR p_name Like ? ORDER BY p_id");
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name Like '*MANN' ORDER BY p_id")),
              QString::fromUtf8("Bergmann,Mann,Neumann").split(QLatin1Char(',')));
    db::Recordset first = database->openRecordset(both, OpenMode::ForwardOnlyReadOnly,
                                                  {Value(QStringLiteral("m*")), Value(QStringLiteral("*DT"))});
    QStringList found;
    for (; !first.eof(); first.moveNext())
        found << first.field(0).value().toText();
    EXPECT_EQ(found, QString::fromUtf8("Müller,Mann,Schmidt").split(QLatin1Char(',')));
    // The same statement again with other values.
    db::Recordset second = database->openRecordset(both, OpenMode::ForwardOnlyReadOnly,
                                                   {Value(QString::fromUtf8("Ä*")), Value(QString::fromUtf8("ö*"))});
    found.clear();
    for (; !second.eof(); second.moveNext())
        found << second.field(0).value().toText();
    EXPECT_EQ(found, QString::fromUtf8("Öztürk,ärger").split(QLatin1Char(',')));
    // Each row's own pattern: the first two letters of its name.
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM tbl_people WHERE p_name Like p_note")).toLong(), 7);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(*) FROM tbl_people WHERE 'Mannheim' Like p_note")).toLong(), 1);
    // A broken pattern is refused also when it comes from a row.
    database->execute(QStringLiteral("UPDATE tbl_people SET p_note = '[a' WHERE p_name = 'Mann'"));
    EXPECT_THROW(scalar(QStringLiteral("SELECT Count(*) FROM tbl_people WHERE p_name Like p_note")), db::DbError);
}

TEST_F(Functions, NowAndDateAreLocal)
{
    const double before = rt::Date::now().serial();
    const double now = scalar(QStringLiteral("SELECT Now()")).toDouble();
    const double after = rt::Date::now().serial();
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    // Whole seconds.
    EXPECT_EQ(rt::Date(now).toQTime().msec(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Date()")).toDouble(), rt::Date::today().serial());
}

TEST_F(Functions, NowAndDateAreReckonedOncePerRunOfAStatement)
{
    // Each call of the clock in the statement's program runs only on its
    // first pass (behind a Once), not for every row.
    for (const char* sql : {"EXPLAIN SELECT p_name FROM tbl_people WHERE p_start <= Now() AND p_start >= Date()",
                            "EXPLAIN UPDATE tbl_people SET p_start = Now - 1"}) {
        SCOPED_TRACE(sql);
        db::Recordset rs = database->openRecordset(QString::fromLatin1(sql), OpenMode::ForwardOnlyReadOnly);
        QString previous;
        int clocks = 0;
        for (; !rs.eof(); rs.moveNext()) {
            const QString opcode = rs.value(QStringLiteral("opcode")).toText();
            const QString p4 = rs.value(QStringLiteral("p4")).toText();
            if (p4.startsWith(QLatin1String("jet_now")) || p4.startsWith(QLatin1String("jet_date"))) {
                ++clocks;
                EXPECT_EQ(previous, QStringLiteral("Once")) << p4.toStdString();
            }
            previous = opcode;
        }
        EXPECT_GE(clocks, 1);
    }
    // Every row of one statement sees the same instant.
    database->execute(QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 50) "
                                     "INSERT INTO tbl_people (p_name) SELECT n FROM c"));
    database->execute(QStringLiteral("UPDATE tbl_people SET p_start = Now()"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Count(DISTINCT p_start) FROM tbl_people")).toLong(), 1);
    EXPECT_EQ(count(QStringLiteral("p_start <= Now() AND p_start >= Date()")), 50);
}

TEST_F(Functions, DateValueGivesTheWholeDay)
{
    EXPECT_EQ(scalar(QStringLiteral("SELECT DateValue('05.03.1970')")).toDouble(),
              rt::Date::fromParts(1970, 3, 5).serial());
    EXPECT_EQ(scalar(QStringLiteral("SELECT DateValue('05.03.1970 18:30')")).toDouble(),
              rt::Date::fromParts(1970, 3, 5).serial());
    EXPECT_EQ(scalar(QStringLiteral("SELECT DateValue('24.12.20')")).toDouble(),
              rt::Date::fromParts(2020, 12, 24).serial());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT DateValue(NULL)")).isNull());
    EXPECT_DB_ERROR(scalar(QStringLiteral("SELECT DateValue('31.02.2020')")), 3421);

    // The program may put its own reading of dates in place.
    db::setDateParser([](const QString& t) -> std::optional<rt::Date> {
        if (t == QLatin1String("heute"))
            return rt::Date::fromParts(2021, 1, 2, 9);
        return std::nullopt;
    });
    const double custom = scalar(QStringLiteral("SELECT DateValue('heute')")).toDouble();
    db::setDateParser({});
    EXPECT_EQ(custom, rt::Date::fromParts(2021, 1, 2).serial());
}

// ---------------------------------------------------------------- dates

using Dates = DbTest;

TEST_F(Dates, LiteralEqualsBoundValue)
{
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_start) VALUES ('a', ?)"),
                      {Value(rt::Date::fromParts(2020, 12, 24, 12))});
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_start) VALUES ('b', #12/24/2020 12:00:01#)"));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_start = #12/24/2020 12:00:00#")),
              QStringList{QStringLiteral("a")});
    db::Recordset rs = database->openRecordset(QStringLiteral("SELECT p_start FROM tbl_people WHERE p_name = 'b'"));
    EXPECT_EQ(rs.value(QStringLiteral("p_start")).kind(), Value::Kind::Date);
    EXPECT_EQ(rs.value(QStringLiteral("p_start")).toDate(), rt::Date::fromParts(2020, 12, 24, 12, 0, 1));
}

TEST_F(Dates, NoonBoundariesCompareExactly)
{
    // Stays from 10. to 12.03. and from 12. to 14.03.2021, each at 12:00.
    database->execute(QStringLiteral("CREATE TABLE tbl_stays (s_name VARCHAR(10) COLLATE JETTEXT, "
                                     "s_start DATETIME, s_end DATETIME)"));
    database->execute(QStringLiteral("INSERT INTO tbl_stays (s_name, s_start, s_end) "
                                     "VALUES ('first', #03/10/2021 12:00:00#, #03/12/2021 12:00:00#)"));
    database->execute(QStringLiteral("INSERT INTO tbl_stays (s_name, s_start, s_end) "
                                     "VALUES ('second', #03/12/2021 12:00:00#, #03/14/2021 12:00:00#)"));
    auto overlapping = [&](const char* start, const char* end) {
        return names(QStringLiteral("SELECT s_name FROM tbl_stays WHERE s_start < #%1# AND s_end > #%2# "
                                    "ORDER BY rowid")
                         .arg(QString::fromUtf8(end), QString::fromUtf8(start)));
    };
    // A stay that begins at noon on the day another ends is no conflict.
    EXPECT_EQ(overlapping("03/14/2021 12:00:00", "03/16/2021 12:00:00"), QStringList{});
    EXPECT_EQ(overlapping("03/08/2021 12:00:00", "03/10/2021 12:00:00"), QStringList{});
    EXPECT_EQ(overlapping("03/12/2021 12:00:00", "03/13/2021 12:00:00"), QStringList{QStringLiteral("second")});
    EXPECT_EQ(overlapping("03/11/2021 12:00:00", "03/13/2021 12:00:00"),
              (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_EQ(names(QStringLiteral("SELECT s_name FROM tbl_stays WHERE s_start BETWEEN #03/12/2021 12:00:00# "
                                   "AND #03/13/2021 12:00:00#")),
              QStringList{QStringLiteral("second")});
}

TEST_F(Dates, NowMinusDaysZeroAndNull)
{
    const rt::Date now = rt::Date::now();
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_start) VALUES ('old', ?)"), {Value(now.addDays(-10))});
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_start) VALUES ('new', ?)"), {Value(now.addDays(-2))});
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_start) VALUES ('zero', 0)"));
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('none')"));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_start > 0 AND p_start < Now - 5")),
              QStringList{QStringLiteral("old")});
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_start = 0")), QStringList{QStringLiteral("zero")});
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_start > 0 ORDER BY p_id")),
              (QStringList{QStringLiteral("old"), QStringLiteral("new")}));
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE p_start Is Null")), QStringList{QStringLiteral("none")});
    // A whole-day date comes back as a date, not as a number.
    db::Recordset rs = database->openRecordset(QStringLiteral("SELECT p_start FROM tbl_people WHERE p_name = 'zero'"));
    EXPECT_EQ(rs.value(QStringLiteral("p_start")).kind(), Value::Kind::Date);
}

}  // namespace

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

}  // namespace

TEST_F(Functions, PrefixRangeFindsExactlyWhatLikeFinds)
{
    database->execute(QStringLiteral("CREATE INDEX idx_people_name ON tbl_people (p_name)"));
    QList<Value> people;
    for (const char* n : {"Müller", "müller", "MÜLLER", "Mueller", "Muller", "Mühlbauer", "Mü", "Mu", "Mt", "Mv",
                          "Mtz", "O'Brien", "o'brien", "Oberle", "Groß", "GROSS", "Großmann", "Ölmann", "Olm",
                          "Ά", "Άννα", "άννα", "Αννα", "Zander", "", "80331", "80399", "8031", "81000"})
        people << Value(QString::fromUtf8(n));
    QStringList rows(people.size(), QStringLiteral("(?)"));
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ") + rows.join(QLatin1Char(',')), people);
    const QStringList patterns = {"Mü*", "mü*", "MÜ*", "Mü", "Mu*", "M*", "O'B*", "Groß*", "GROSS*", "Ö*",
                                  "Ά*", "άν*", "*ller", "M?ller", "Gro[sß]*", "803*", "8031", "z*", "*", ""};
    for (const QString& pattern : patterns) {
        SCOPED_TRACE(pattern.toStdString());
        const QString plain = QStringLiteral("SELECT p_name FROM tbl_people WHERE p_name Like ") + db::sqlText(pattern);
        const QString ranged = QStringLiteral("SELECT p_name FROM tbl_people WHERE ") +
                               db::sqlLike(QStringLiteral("p_name"), pattern);
        EXPECT_EQ(sorted(names(ranged)), sorted(names(plain)));
    }
    EXPECT_EQ(sorted(names(QStringLiteral("SELECT p_name FROM tbl_people WHERE ") +
                           db::sqlLike(QStringLiteral("p_name"), QStringLiteral("Mü*")))),
              sorted(QString::fromUtf8("Müller,müller,MÜLLER,Mühlbauer,Mü").split(QLatin1Char(','))));

    // The prefix is read from the index, not from every row.
    db::Recordset plan = database->openRecordset(QStringLiteral("EXPLAIN QUERY PLAN SELECT p_name FROM tbl_people WHERE ") +
                                                     db::sqlLike(QStringLiteral("p_name"), QStringLiteral("Mü*")),
                                                 OpenMode::ForwardOnlyReadOnly);
    ASSERT_EQ(plan.recordCount(), 1);
    const QString detail = plan.value(QStringLiteral("detail")).toText();
    EXPECT_TRUE(detail.startsWith(QLatin1String("SEARCH"))) << detail.toStdString();
    // A pattern that starts with a wildcard has no prefix to look up.
    EXPECT_EQ(db::sqlLike(QStringLiteral("p_name"), QStringLiteral("*ller")), QStringLiteral("p_name Like '*ller'"));
}
