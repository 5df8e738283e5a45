#include "platform/db/database.h"
#include "tests/platform/db/db_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using db::DaoType;
using db::FieldDef;
using db::OpenMode;
using db::Value;

using Schema = dbtest::DbTest;

const db::FieldDef* findField(const QList<FieldDef>& fields, const QString& name)
{
    for (const FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

TEST_F(Schema, AppendFieldWithDefaultsPerType)
{
    addPerson(QStringLiteral("existing"));
    database->appendField(QStringLiteral("tbl_people"), {QStringLiteral("p_short"), DaoType::Text, 8, Value(QString())});
    database->appendField(QStringLiteral("tbl_people"), {QStringLiteral("p_flag"), DaoType::Boolean, 0, Value(true)});
    database->appendField(QStringLiteral("tbl_people"), {QStringLiteral("p_level"), DaoType::Integer, 0, Value(1)});
    database->appendField(QStringLiteral("tbl_people"), {QStringLiteral("p_seen"), DaoType::Date, 0, std::nullopt});

    const QList<FieldDef> fields = database->tableFields(QStringLiteral("tbl_people"));
    const FieldDef* shortName = findField(fields, QStringLiteral("P_SHORT"));
    ASSERT_NE(shortName, nullptr);
    EXPECT_EQ(shortName->type, DaoType::Text);
    EXPECT_EQ(shortName->size, 8);
    ASSERT_TRUE(shortName->defaultValue.has_value());
    EXPECT_FALSE(shortName->defaultValue->isNull());
    EXPECT_EQ(findField(fields, QStringLiteral("p_flag"))->type, DaoType::Boolean);
    EXPECT_EQ(findField(fields, QStringLiteral("p_seen"))->type, DaoType::Date);
    EXPECT_TRUE(findField(fields, QStringLiteral("p_id"))->autoNumber);

    db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
    EXPECT_EQ(rs.value(QStringLiteral("p_short")).toText(), QString());
    EXPECT_FALSE(rs.value(QStringLiteral("p_short")).isNull());
    EXPECT_TRUE(rs.value(QStringLiteral("p_flag")).toBool());
    EXPECT_EQ(rs.value(QStringLiteral("p_level")).toLong(), 1);
    EXPECT_TRUE(rs.value(QStringLiteral("p_seen")).isNull());
    EXPECT_EQ(count(QStringLiteral("p_flag = -1")), 1);
}

TEST_F(Schema, EmptyOrDuplicateFieldNameRefused)
{
    EXPECT_DB_ERROR(database->appendField(QStringLiteral("tbl_people"), {QString(), DaoType::Text}), 3125);
    EXPECT_DB_ERROR(database->appendField(QStringLiteral("tbl_people"), {QStringLiteral("P_NAME"), DaoType::Text}), 3075);
    EXPECT_EQ(database->tableFields(QStringLiteral("tbl_people")).size(), 9);
    EXPECT_DB_ERROR(database->tableFields(QStringLiteral("tbl_none")), 3265);
}

TEST_F(Schema, TableNamesKeepTheirCaseButCollide)
{
    database->createTable(QStringLiteral("TBL_VAT"), {{QStringLiteral("vat_full"), DaoType::Byte}});
    const QStringList tables = database->tableNames();
    EXPECT_TRUE(tables.contains(QStringLiteral("TBL_VAT")));
    EXPECT_FALSE(tables.contains(QStringLiteral("tbl_vat")));
    EXPECT_FALSE(tables.contains(QStringLiteral("sqlite_sequence")));
    EXPECT_DB_ERROR(database->createTable(QStringLiteral("tbl_vat"), {{QStringLiteral("vat_full"), DaoType::Byte}}), 3010);
}

TEST_F(Schema, CreateTableWithIndexes)
{
    database->createTable(QStringLiteral("tbl_vat"),
                          {{QStringLiteral("vat_date_start"), DaoType::Date},
                           {QStringLiteral("vat_date_end"), DaoType::Date},
                           {QStringLiteral("vat_full"), DaoType::Byte},
                           {QStringLiteral("vat_reduced"), DaoType::Byte}},
                          {{QStringLiteral("idx_vat_date_start"), {QStringLiteral("vat_date_start")}},
                           {QStringLiteral("idx_vat_date_end"), {QStringLiteral("vat_date_end")}}});
    database->execute(QStringLiteral("INSERT INTO tbl_vat (vat_date_start,vat_date_end,vat_full,vat_reduced) "
                                     "VALUES (#01/01/2000#,#12/31/2100#,19,7);"));
    db::Recordset rs = database->openRecordset(QStringLiteral("SELECT vat_full FROM tbl_vat WHERE vat_date_start <= "
                                                              "#06/15/2021 12:00:00# AND vat_date_end >= #06/15/2021 12:00:00#"),
                                               OpenMode::ForwardOnlyReadOnly);
    EXPECT_EQ(rs.value(QStringLiteral("VAT_full")).toLong(), 19);
    EXPECT_EQ(rs.value(QStringLiteral("vat_full")).kind(), Value::Kind::Byte);

    // A unique index refuses a second equal value, also through a record set.
    database->createIndex(QStringLiteral("tbl_people"), {QStringLiteral("p_name_unique"), {QStringLiteral("p_name")}, true});
    addPerson(QStringLiteral("Anna"));
    EXPECT_DB_ERROR(addPerson(QStringLiteral("ANNA")), 3022);
    db::Recordset people = database->openRecordset(QStringLiteral("tbl_people"));
    people.addNew();
    people.field(QStringLiteral("p_name")).setValue(QStringLiteral("anna"));
    EXPECT_DB_ERROR(people.update(), 3022);
    EXPECT_EQ(people.editMode(), db::Recordset::EditMode::AddNew);
}

// ---------------------------------------------------------------- connection

TEST_F(Schema, ConnectionWaitsForALockThenReports3218)
{
    db::Recordset mode = database->openRecordset(QStringLiteral("PRAGMA journal_mode"), OpenMode::ForwardOnlyReadOnly);
    EXPECT_EQ(mode.field(0).value().toText(), QStringLiteral("delete"));

    auto second = other();
    second->execute(QStringLiteral("BEGIN IMMEDIATE"));
    QElapsedTimer waited;
    waited.start();
    try {
        addPerson(QStringLiteral("blocked"));
        ADD_FAILURE() << "written past the other workstation's lock";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), 3218);
        // In German words, not the engine's "database is locked".
        EXPECT_EQ(e.description(), db::errorText(3218) + QStringLiteral(" (Datei gesperrt)"));
    }
    EXPECT_GE(waited.elapsed(), 4500);
    second->execute(QStringLiteral("ROLLBACK"));
    addPerson(QStringLiteral("free"));
    EXPECT_EQ(count(), 1);
}

TEST_F(Schema, ExecuteCountsOnlyItsOwnChanges)
{
    addPerson(QStringLiteral("a"));
    addPerson(QStringLiteral("b"));
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE tbl_people SET p_count = 1")), 2);
    EXPECT_EQ(database->execute(QStringLiteral("CREATE INDEX p_countIndex ON tbl_people (p_count);")), 0);
    EXPECT_EQ(database->execute(QStringLiteral("DELETE FROM tbl_people WHERE p_name = 'none'")), 0);
}

// ---------------------------------------------------------------- files

TEST_F(Schema, OpenNeverCreatesAndRefusesOtherFiles)
{
    const QString missing = folder.file(QStringLiteral("missing.mdb"));
    EXPECT_DB_ERROR(db::Database::open(missing), 3024);
    EXPECT_FALSE(QFileInfo::exists(missing));

    // The start of an old engine file: not a database for SQLite.
    QByteArray header(4096, '\0');
    header.replace(4, 15, "Standard Jet DB");
    const QString old = folder.write(QStringLiteral("old.mdb"), header);
    EXPECT_DB_ERROR(db::Database::open(old), 3343);
    EXPECT_DB_ERROR(db::engine::createDatabase(old, QStringLiteral("CREATE TABLE t (a INTEGER)")), 3204);
    EXPECT_EQ(folder.read(QStringLiteral("old.mdb")), header);

    // An empty file (a copy that broke off) is no database either, and stays empty.
    const QString empty = folder.write(QStringLiteral("empty.mdb"), QByteArray());
    EXPECT_DB_ERROR(db::Database::open(empty), 3343);
    EXPECT_DB_ERROR(db::engine::compactDatabase(empty, folder.file(QStringLiteral("compacted.mdb"))), 3343);
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("compacted.mdb"))));

    // The German sentence alone: the engine's English words are kept for the log only.
    try {
        db::Database::open(old);
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.description(), db::errorText(3343));
        EXPECT_EQ(e.detail(), QStringLiteral("file is not a database"));
    }
}

TEST_F(Schema, DatabaseWithoutTheRequiredTablesIsRefusedBeforeAnythingIsWritten)
{
    const QString foreign = folder.file(QStringLiteral("foreign.db"));
    db::engine::createDatabase(foreign, QStringLiteral("CREATE TABLE kunden (id INTEGER);"));
    const QByteArray before = folder.read(QStringLiteral("foreign.db"));
    try {
        db::Database::open(foreign, {QStringLiteral("KUNDEN"), QStringLiteral("tbl_people")});
        ADD_FAILURE() << "opened a database without tbl_people";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number(), 3343);
        EXPECT_TRUE(e.detail().contains(QStringLiteral("\"tbl_people\""))) << e.what();
        EXPECT_EQ(e.description(), db::errorText(3343));
    }
    EXPECT_EQ(folder.read(QStringLiteral("foreign.db")), before);
    // Names are compared as the engine compares table names.
    EXPECT_TRUE(db::Database::open(foreign, {QStringLiteral("Kunden")})->isOpen());
}

TEST_F(Schema, ReadOnlyFileIsToldAndRefusesEveryWrite)
{
    EXPECT_FALSE(database->isReadOnly());
    db::Database::setReadOnlyStandIn(true);
    auto readOnly = db::Database::open(path);
    db::Database::setReadOnlyStandIn(false);
    EXPECT_TRUE(readOnly->isReadOnly());
    EXPECT_EQ(readOnly->openRecordset(QStringLiteral("tbl_people")).recordCount(), 0);
    EXPECT_DB_ERROR(readOnly->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('x')")), 3027);
    db::Recordset rs = readOnly->openRecordset(QStringLiteral("tbl_people"));
    EXPECT_DB_ERROR(rs.addNew(), 3027);
    EXPECT_FALSE(db::Database::open(path)->isReadOnly());
}

TEST_F(Schema, CompactRefusesAnExistingTargetAndCopiesTheRows)
{
    addPerson(QStringLiteral("Anna"));
    database->close();
    const QString existing = folder.write(QStringLiteral("A.db"), "keep me");
    EXPECT_DB_ERROR(db::engine::compactDatabase(path, existing), 3204);
    EXPECT_EQ(folder.read(QStringLiteral("A.db")), QByteArray("keep me"));

    const QString target = folder.file(QStringLiteral("B.db"));
    db::engine::compactDatabase(path, target);
    auto copy = db::Database::open(target);
    db::Recordset rs = copy->openRecordset(QStringLiteral("tbl_people"));
    EXPECT_EQ(rs.value(QStringLiteral("p_name")).toText(), QStringLiteral("Anna"));
    // The collation travels with the schema.
    EXPECT_EQ(copy->openRecordset(QStringLiteral("SELECT p_id FROM tbl_people WHERE p_name = 'ANNA'")).recordCount(), 1);
}

namespace {

// Overwrites one page of a closed file with noise, as a failing disk would.
void spoilPage(const QString& path, qint64 page)
{
    qint64 pageSize = 0;
    {
        auto d = db::Database::open(path);
        pageSize = d->openRecordset(QStringLiteral("PRAGMA page_size"), db::OpenMode::ForwardOnlyReadOnly).field(0).value().toLong();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek((page - 1) * pageSize);
    file.write(QByteArray(static_cast<int>(pageSize), '\x5a'));
}

ino_t inodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

qint64 single(db::Database& d, const QString& sql)
{
    return d.openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly).field(0).value().toLong();
}

}  // namespace

TEST_F(Schema, CompactionInPlaceKeepsTheFileAndWhatIsInIt)
{
    for (int i = 0; i < 300; ++i)
        addPerson(QStringLiteral("Person %1").arg(i));
    database->execute(QStringLiteral("DELETE FROM tbl_people WHERE p_id % 3 = 0"));
    const qint64 before = QFileInfo(path).size();
    const auto inode = inodeOf(path);
    db::engine::compactInPlace(path);
    EXPECT_LT(QFileInfo(path).size(), before);
    EXPECT_EQ(inodeOf(path), inode);
    // The connection kept open sees the compacted file at its next reading.
    EXPECT_EQ(count(), 200);
    EXPECT_TRUE(db::engine::checkIntegrity(path).isEmpty());
}

TEST_F(Schema, RepairRebuildsADamagedFileInPlaceWithWhatCanBeRead)
{
    database->execute(QStringLiteral("CREATE INDEX idx_name ON tbl_people (p_name)"));
    database->execute(QStringLiteral("CREATE TABLE tbl_words (w_id SMALLINT NOT NULL UNIQUE, w_text VARCHAR(200))"));
    for (int i = 0; i < 400; ++i) {
        addPerson(QStringLiteral("Person %1").arg(i, 4, 10, QLatin1Char('0')));
        database->execute(QStringLiteral("INSERT INTO tbl_words VALUES (?, ?)"), {Value(i), Value(QString(150, QLatin1Char('w')))});
    }
    const qint64 indexPage = single(*database, QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = 'idx_name'"));
    database->close();
    spoilPage(path, indexPage);

    const auto inode = inodeOf(path);
    auto station = other();   // another workstation keeps the file open
    EXPECT_FALSE(db::engine::checkIntegrity(path).isEmpty());
    const QString rebuilt = folder.file(QStringLiteral("rebuilt.db"));
    db::engine::RepairReport report = db::engine::repairInPlace(path, rebuilt);
    EXPECT_FALSE(report.sourceIntact);
    EXPECT_TRUE(report.unreadable.isEmpty());
    EXPECT_TRUE(db::engine::checkIntegrity(path).isEmpty());
    EXPECT_EQ(inodeOf(path), inode);
    EXPECT_FALSE(QFileInfo::exists(rebuilt));
    EXPECT_EQ(single(*station, QStringLiteral("SELECT count(*) FROM tbl_people WHERE p_name LIKE 'Person*'")), 400);
    // The AutoNumber goes on where it was.
    station->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('neu')"));
    EXPECT_EQ(single(*station, QStringLiteral("SELECT p_id FROM tbl_people WHERE p_name = 'neu'")), 401);

    // A table page lost: the rows before and after it are kept.
    const qint64 wordsPage = single(*station, QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'tbl_words' "
                                                            "AND pagetype = 'leaf' ORDER BY pageno LIMIT 1 OFFSET 5"));
    station->close();
    spoilPage(path, wordsPage);
    report = db::engine::repairInPlace(path, rebuilt);
    EXPECT_EQ(report.unreadable, QStringList{QStringLiteral("tbl_words")});
    auto after = db::Database::open(path);
    const qint64 words = single(*after, QStringLiteral("SELECT count(*) FROM tbl_words"));
    EXPECT_GT(words, 300);
    EXPECT_LT(words, 400);
    EXPECT_EQ(single(*after, QStringLiteral("SELECT max(w_id) FROM tbl_words")), 399);
    after->close();

    EXPECT_DB_ERROR(db::engine::repairInPlace(path, folder.write(QStringLiteral("taken.db"), "x")), 3204);
    const QString junk = folder.write(QStringLiteral("junk.mdb"), QByteArray(2048, 'x'));
    EXPECT_DB_ERROR(db::engine::repairInPlace(junk, folder.file(QStringLiteral("junk-neu.db"))), 3343);
    EXPECT_DB_ERROR(db::engine::checkIntegrity(junk), 3343);
    EXPECT_EQ(folder.read(QStringLiteral("junk.mdb")), QByteArray(2048, 'x'));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("junk-neu.db"))));
}

TEST_F(Schema, InPlaceStepsGiveUpOnABusyFileAndChangeNothing)
{
    addPerson(QStringLiteral("Anna"));
    const int saved = db::Database::busyTimeout();
    db::Database::setBusyTimeout(100);
    auto station = other();
    station->execute(QStringLiteral("BEGIN IMMEDIATE"));
    station->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES ('Bernd')"));
    EXPECT_DB_ERROR(db::engine::compactInPlace(path), 3218);
    EXPECT_DB_ERROR(db::engine::repairInPlace(path, folder.file(QStringLiteral("neu.db"))), 3218);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("neu.db"))));
    station->execute(QStringLiteral("COMMIT"));
    db::Database::setBusyTimeout(saved);
    EXPECT_EQ(count(), 2);
}

TEST_F(Schema, TheCompletenessCheckOnlyReadsAndTellsABrokenFileFromOneItCannotLookAt)
{
    addPerson(QStringLiteral("Anna"));
    EXPECT_TRUE(db::engine::checkComplete(path, {QStringLiteral("tbl_people")}).isEmpty());
    EXPECT_EQ(db::engine::checkComplete(path, {QStringLiteral("tbl_people"), QStringLiteral("tbl_fehlt")}),
              QStringList{QStringLiteral("Die Tabelle \"tbl_fehlt\" fehlt.")});
    EXPECT_FALSE(db::engine::checkComplete(folder.write(QStringLiteral("leer.db"), QByteArray()), {}).isEmpty());
    EXPECT_FALSE(db::engine::checkComplete(folder.write(QStringLiteral("junk.db"), QByteArray(2048, 'x')), {}).isEmpty());

    // A copy taken in the middle of a write, with its journal: whoever opens
    // it to write rolls that back; the check neither does nor calls it broken.
    auto station = other();
    station->execute(QStringLiteral("PRAGMA cache_size = 2"));
    station->execute(QStringLiteral("BEGIN IMMEDIATE"));
    for (int i = 0; i < 300; ++i)
        station->execute(QStringLiteral("INSERT INTO tbl_people (p_note) VALUES (?)"), {Value(QString(150, QLatin1Char('n')))});
    const QString copy = folder.file(QStringLiteral("kopie.db"));
    ASSERT_TRUE(QFile::copy(path, copy));
    ASSERT_TRUE(QFile::copy(path + QStringLiteral("-journal"), copy + QStringLiteral("-journal")));
    station->execute(QStringLiteral("ROLLBACK"));
    const QByteArray before = folder.read(QStringLiteral("kopie.db"));
    EXPECT_DB_ERROR(db::engine::checkComplete(copy, {QStringLiteral("tbl_people")}), 3027);
    EXPECT_EQ(folder.read(QStringLiteral("kopie.db")), before);
    EXPECT_TRUE(QFileInfo::exists(copy + QStringLiteral("-journal")));
}

// ---------------------------------------------------------------- unsafe input

using UnsafeInput = dbtest::DbTest;

TEST_F(UnsafeInput, QuotesRoundTripEveryWay)
{
    const QString name = QStringLiteral("O'Brien \"Bob\"");
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name) VALUES (") + db::sqlText(name) + QStringLiteral(")"));
    database->execute(QStringLiteral("INSERT INTO tbl_people (p_name, p_note) VALUES (?, ?)"), {Value(name), Value(name)});
    db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
    rs.addNew();
    rs.field(QStringLiteral("p_name")).setValue(name);
    rs.update();
    EXPECT_EQ(count(QStringLiteral("p_name = ") + db::sqlText(name)), 3);
    EXPECT_EQ(count(QStringLiteral("p_name Like ") + db::sqlText(QStringLiteral("o'brien*"))), 3);
    EXPECT_EQ(count(QStringLiteral("p_note = \"O'Brien \"\"Bob\"\"\"")), 1);
    EXPECT_EQ(names(QStringLiteral("SELECT p_name FROM tbl_people")), QStringList(3, name));

    // Text that tries to end the statement stays text.
    const QString attack = QStringLiteral("x'); DROP TABLE tbl_people; --");
    database->execute(QStringLiteral("UPDATE tbl_people SET p_note = ") + db::sqlText(attack));
    EXPECT_EQ(count(QStringLiteral("p_note = ") + db::sqlText(attack)), 3);
}

TEST_F(UnsafeInput, NumbersIgnoreTheLocale)
{
    EXPECT_EQ(db::sqlNumber(2.5), QStringLiteral("2.5"));
    EXPECT_EQ(db::sqlNumber(1234567.25), QStringLiteral("1234567.25"));
    EXPECT_EQ(db::sqlNumber(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(db::sqlNumber(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(db::sqlNumber(-3), QStringLiteral("(-3)"));
    addPerson(QStringLiteral("a"));
    database->execute(QStringLiteral("UPDATE tbl_people SET p_price = ") + db::sqlNumber(12.75));
    database->execute(QStringLiteral("UPDATE tbl_people SET p_count = 10 -") + db::sqlNumber(-3));
    db::Recordset rs = database->openRecordset(QStringLiteral("tbl_people"));
    EXPECT_EQ(rs.value(QStringLiteral("p_price")).toDouble(), 12.75);
    EXPECT_EQ(rs.value(QStringLiteral("p_count")).toLong(), 13);
}

}  // namespace
