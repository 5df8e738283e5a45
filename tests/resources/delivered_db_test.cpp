#include "resources/tools/deliverydb.h"

#include "platform/db/jetfunctions.h"
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <map>
#include <set>
#include <ostream>
#include <vector>

namespace {

// An open connection with the program's functions; closed on scope exit.
class Connection {
public:
    explicit Connection(const QString& path, int flags = SQLITE_OPEN_READWRITE)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, flags, nullptr) == SQLITE_OK)
            db::registerJetFunctions(m_handle);
    }
    ~Connection() { sqlite3_close(m_handle); }
    sqlite3* handle() const { return m_handle; }

    bool exec(const char* sql) const { return sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Every row as texts (NULL as "<null>").
    std::vector<std::vector<QString>> rows(const QString& sql) const
    {
        std::vector<std::vector<QString>> result;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(m_handle);
            return result;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<QString> row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                row.push_back(text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            result.push_back(row);
        }
        sqlite3_finalize(stmt);
        return result;
    }
    double number(const QString& sql) const
    {
        const auto r = rows(sql);
        return r.empty() || r[0].empty() ? NAN : r[0][0].toDouble();
    }

private:
    sqlite3* m_handle = nullptr;
};

QString readFile(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

makedb::Options optionsInto(const test::TempFolder& folder)
{
    makedb::Options options;
    options.schemaFile = QStringLiteral(VELMORANT_SCHEMA_SQL);
    options.seedFile = QStringLiteral(VELMORANT_SEED_SQL);
    options.target = folder.file(QStringLiteral("velmorant.mdb"));
    options.imagesDir = folder.file(QStringLiteral("images"));
    options.today = rt::Date::fromParts(2025, 6, 15, 9, 30);
    return options;
}

// Column kinds as the program reads them: b Yes/No, d Date/Time, t text, n number.
struct Table {
    const char* name;
    std::map<QString, char> columns;
};

const std::vector<Table>& programTables()
{
    static const std::vector<Table> tables = {
        {"tbl_mandanten", {{"mand_id", 'n'}, {"mand_name", 't'}, {"mand_imagefile", 't'}}},
        {"tbl_buildings", {{"bld_id", 'n'}, {"bld_mandant_id", 'n'}, {"bld_name", 't'}, {"bld_short", 't'}, {"bld_imagefile", 't'}}},
        {"tbl_floors", {{"flr_id", 'n'}, {"flr_building_id", 'n'}, {"flr_order", 'n'}, {"flr_name", 't'}, {"flr_short", 't'},
                        {"flr_imagefile", 't'}, {"flr_info", 't'}}},
        {"tbl_places", {{"pl_id", 'n'}, {"pl_floor_id", 'n'}, {"pl_building_id", 'n'}, {"pl_name", 't'}, {"pl_type_id", 'n'},
                        {"pl_disabled", 'b'}, {"pl_info", 't'}, {"pl_capacity", 'n'}, {"pl_imagefile", 't'}, {"pl_x1", 'n'},
                        {"pl_y1", 'n'}, {"pl_x2", 'n'}, {"pl_y2", 'n'}}},
        {"tbl_room_types", {{"rot_id", 'n'}, {"rot_name", 't'}}},
        {"tbl_bookings", {{"book_id", 'n'}, {"book_mandant_id", 'n'}, {"book_place_id", 'n'}, {"book_customer_id", 'n'},
                          {"book_cust_count", 'n'}, {"book_start", 'd'}, {"book_end", 'd'}, {"book_bearb_date", 'd'},
                          {"book_info", 't'}, {"book_color_id", 'n'}, {"book_status_id", 'n'}, {"book_cust_ids", 't'},
                          {"book_bearb_id", 'n'}, {"book_room_id", 'n'}, {"book_name", 't'}}},
        {"tbl_customers", {{"cust_id", 'n'}, {"cust_ext_id", 'n'}, {"cust_lastname", 't'}, {"cust_firstname", 't'},
                           {"cust_company", 't'}, {"cust_street", 't'}, {"cust_zip", 't'}, {"cust_city", 't'},
                           {"cust_country", 't'}, {"cust_phone", 't'}, {"cust_phone2", 't'}, {"cust_fax", 't'},
                           {"cust_mobile", 't'}, {"cust_email", 't'}, {"cust_info", 't'}, {"cust_sex", 'n'},
                           {"cust_caution", 'b'}, {"cust_category_id", 'n'}, {"cust_birthday", 'd'}, {"cust_new", 'b'}}},
        {"tbl_cust_categories", {{"adrcat_id", 'n'}, {"adrcat_name", 't'}}},
        {"tbl_invoice", {{"inv_id", 'n'}, {"inv_date", 'd'}, {"inv_status_id", 'n'}, {"inv_paymode_id", 'n'},
                         {"inv_mandant_id", 'n'}, {"inv_booking_id", 'n'}, {"inv_customer_id", 'n'}, {"inv_notes", 't'},
                         {"inv_total", 'n'}, {"inv_is_payed", 'b'}, {"inv_is_sent", 'b'}}},
        {"tbl_invoice_positions", {{"ivp_id", 'n'}, {"ivp_invoice_id", 'n'}, {"ivp_prod_id", 'n'}, {"ivp_quantity", 'n'},
                                   {"ivp_price", 'n'}, {"ivp_text", 't'}}},
        {"tbl_services", {{"srv_id", 'n'}, {"srv_name", 't'}, {"srv_info", 't'}, {"srv_price", 'n'}, {"srv_tax_id", 'n'}}},
        {"tbl_invoice_status", {{"ivs_id", 'n'}, {"ivs_name", 't'}}},
        {"tbl_paymode", {{"paym_id", 'n'}, {"paym_caption", 't'}, {"paym_printtext", 't'}}},
        {"tbl_vat", {{"vat_date_start", 'd'}, {"vat_date_end", 'd'}, {"vat_full", 'n'}, {"vat_reduced", 'n'}}},
        {"tbl_workstations", {{"ws_id", 'n'}, {"ws_computername", 't'}, {"ws_name", 't'}, {"ws_logindate", 'd'},
                              {"ws_lastaccess", 'd'}, {"ws_ReadOnly", 'b'}, {"ws_TableAutoUpdate", 'b'},
                              {"ws_TableAutosizeRows", 'b'}, {"ws_TableMergeRows", 'b'}, {"ws_Autostart", 'b'},
                              {"ws_startpage", 'n'}, {"ws_VisiblePages", 't'}}},
        {"tbl_preferences2", {{"prf_name", 't'}, {"prf_data_type", 'n'}, {"prf_text_value", 't'}, {"prf_bool_value", 'b'},
                              {"prf_date_value", 'd'}, {"prf_long_value", 'n'}, {"prf_single_value", 'n'}}},
        {"tbl_preferences", {{"LastDefragDate", 'd'}, {"LastRepairDate", 'd'}, {"LastBackupSavedDate", 'd'},
                             {"BackupPath", 't'}, {"LastBackupSavedOnStation", 't'}, {"Shutdown", 'b'}}},
        {"tbl_colors", {{"color_id", 'n'}, {"color_hexcode", 't'}}},
        {"tbl_gui_terms", {{"gt_id", 'n'}, {"gt_singular", 't'}, {"gt_plural", 't'}, {"gt_GenitivSingular", 't'}}},
        {"tbl_memos", {{"Kennummer", 'n'}, {"Notizen", 't'}}},
        {"Termine", {{"Datum_Beginn", 'd'}, {"Datum_Ende", 'd'}, {"Status_Id", 'n'}, {"Patient_Id", 'n'}, {"Resources", 't'},
                     {"Datum_Bearbeitung", 'd'}}},
        {"Textbausteine", {}},
        {"tbl_rooms", {{"room_id", 'n'}, {"room_imagefile", 't'}}},
    };
    return tables;
}

char kindOf(const QString& declared)
{
    const QString type = declared.toUpper();
    if (type == QLatin1String("BOOLEAN"))
        return 'b';
    if (type == QLatin1String("DATETIME"))
        return 'd';
    if (type.startsWith(QLatin1String("VARCHAR")) || type == QLatin1String("LONGTEXT"))
        return 't';
    if (type == QLatin1String("INTEGER") || type == QLatin1String("SMALLINT") || type == QLatin1String("TINYINT") ||
        type == QLatin1String("FLOAT") || type == QLatin1String("DOUBLE"))
        return 'n';
    return '?';
}

}  // namespace

// ---------------------------------------------------------------------------- the schema

class Schema : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makedb::runScript(db.handle(), QFile::encodeName(readFile(VELMORANT_SCHEMA_SQL))).isEmpty());
    }
    Connection db{QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE};
};

TEST_F(Schema, HoldsEveryTableWithItsColumnsKindsAndTextCollation)
{
    for (const Table& table : programTables()) {
        SCOPED_TRACE(table.name);
        std::map<QString, QString> declared;   // lower-case name -> declared type
        for (const auto& row : db.rows(QStringLiteral("PRAGMA table_info(\"%1\")").arg(QLatin1String(table.name))))
            declared[row[1].toLower()] = row[2];
        ASSERT_FALSE(declared.empty()) << "table missing";
        for (const auto& [column, kind] : table.columns) {
            SCOPED_TRACE(column.toStdString());
            auto found = declared.find(column.toLower());
            ASSERT_NE(found, declared.end()) << "column missing";
            EXPECT_EQ(kindOf(found->second), kind) << found->second.toStdString();
            if (kind == 't') {
                const char* collation = nullptr;
                ASSERT_EQ(sqlite3_table_column_metadata(db.handle(), nullptr, table.name, column.toUtf8().constData(),
                                                        nullptr, &collation, nullptr, nullptr, nullptr),
                          SQLITE_OK);
                EXPECT_STREQ(collation, "JETTEXT");
            }
        }
    }
}

TEST_F(Schema, StartUpUpgradeFindsEverythingInPlace)
{
    // The upgrade looks for these exact names; finding them it changes nothing.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' AND name='tbl_vat'")).size(), 1u);
    for (const char* index : {"idx_vat_date_start", "idx_vat_date_end", "ws_lastaccessIndex"})
        EXPECT_EQ(db.rows(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type='index' AND name='%1'").arg(QLatin1String(index))).size(), 1u)
            << index;
    const auto shortName = db.rows(QStringLiteral("SELECT type, dflt_value FROM pragma_table_info('tbl_buildings') WHERE name='bld_short'"));
    ASSERT_EQ(shortName.size(), 1u);
    EXPECT_EQ(shortName[0][0], QStringLiteral("VARCHAR(8)"));
    EXPECT_EQ(shortName[0][1], QStringLiteral("''"));
}

TEST_F(Schema, KeysTypedByUsersStayUnique)
{
    EXPECT_TRUE(db.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'A')"));
    EXPECT_FALSE(db.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'B')"));
    EXPECT_TRUE(db.exec("INSERT INTO tbl_cust_categories (adrcat_id) VALUES (4)"));
    EXPECT_FALSE(db.exec("INSERT INTO tbl_cust_categories (adrcat_id) VALUES (4)"));
    // Names are keys without regard to case, as the program looks them up.
    EXPECT_TRUE(db.exec("INSERT INTO tbl_preferences2 (prf_name) VALUES ('MaxWeekCols')"));
    EXPECT_FALSE(db.exec("INSERT INTO tbl_preferences2 (prf_name) VALUES ('maxweekcols')"));
}

TEST_F(Schema, StationsHandedOverLeaveSeveralBlankNames)
{
    // Choosing another station's row blanks the name of the row left behind.
    ASSERT_TRUE(db.exec("INSERT INTO tbl_workstations (ws_computername) VALUES ('Rezeption'), ('Büro'), ('Lager')"));
    EXPECT_TRUE(db.exec("UPDATE tbl_workstations SET ws_computername = '' WHERE ws_id = 1"));
    EXPECT_TRUE(db.exec("UPDATE tbl_workstations SET ws_computername = '' WHERE ws_id = 2"));
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_workstations WHERE ws_computername = ''")), 2);
}

TEST_F(Schema, NewRowsTakeTheDefaultsTheWindowsRelyOn)
{
    // A deleted id is never handed out again: an old invoice must not meet a new booking.
    ASSERT_TRUE(db.exec("INSERT INTO tbl_bookings (book_place_id) VALUES (1)"));
    ASSERT_TRUE(db.exec("INSERT INTO tbl_bookings (book_place_id) VALUES (1)"));
    ASSERT_TRUE(db.exec("DELETE FROM tbl_bookings WHERE book_id = 2"));
    ASSERT_TRUE(db.exec("INSERT INTO tbl_bookings (book_place_id) VALUES (1)"));
    EXPECT_EQ(db.number(QStringLiteral("SELECT max(book_id) FROM tbl_bookings")), 3);
    EXPECT_EQ(db.number(QStringLiteral("SELECT book_color_id FROM tbl_bookings WHERE book_id = 3")), 0);

    // An invoice created empty keeps no date until it is saved, and is neither paid nor sent.
    ASSERT_TRUE(db.exec("INSERT INTO tbl_invoice DEFAULT VALUES"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT inv_date, inv_is_payed, inv_is_sent, inv_total = 0 FROM tbl_invoice"))[0],
              (std::vector<QString>{QStringLiteral("<null>"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")}));

    // A place added without a position sits at the picture's corner and is bookable.
    ASSERT_TRUE(db.exec("INSERT INTO tbl_places (pl_name) VALUES ('neu')"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT pl_disabled, pl_x1, pl_y1 FROM tbl_places"))[0],
              (std::vector<QString>{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
}

// ---------------------------------------------------------------------------- the tool

TEST(DeliveryTool, ReplacesTheTargetOnlyWithACompleteDatabase)
{
    test::TempFolder folder;
    makedb::Options options = optionsInto(folder);
    const QString existing = folder.write(QStringLiteral("velmorant.mdb"), "the user's file");

    options.seedFile = folder.write(QStringLiteral("broken.sql"), "INSERT INTO tbl_nowhere VALUES (1);");
    EXPECT_FALSE(makedb::build(options).isEmpty());
    EXPECT_EQ(folder.read(QStringLiteral("velmorant.mdb")), QByteArray("the user's file"));
    EXPECT_FALSE(QFile::exists(existing + QStringLiteral(".tmp")));

    options.seedFile = QStringLiteral(VELMORANT_SEED_SQL);
    ASSERT_EQ(makedb::build(options), QString());
    EXPECT_FALSE(QFile::exists(existing + QStringLiteral(".tmp")));
    Connection db(existing);
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_places")), 20);
}

TEST(DeliveryTool, DrawsEveryFloorWithItsMarkersInsideRooms)
{
    test::TempFolder folder;
    const makedb::Options options = optionsInto(folder);
    ASSERT_EQ(makedb::build(options), QString());
    Connection db(options.target);

    const auto floors = db.rows(QStringLiteral("SELECT flr_id, flr_imagefile FROM tbl_floors"));
    ASSERT_FALSE(floors.empty());
    const QColor roomFloor(0xf7, 0xf1, 0xe3);
    for (const auto& floor : floors) {
        SCOPED_TRACE(floor[1].toStdString());
        QImage picture(QDir(options.imagesDir).filePath(floor[1]));
        ASSERT_FALSE(picture.isNull());
        const auto places = db.rows(QStringLiteral("SELECT pl_name, pl_x1, pl_y1, pl_x2, pl_y2 FROM tbl_places WHERE pl_floor_id = %1").arg(floor[0]));
        EXPECT_FALSE(places.empty());
        for (const auto& place : places) {
            SCOPED_TRACE(place[0].toStdString());
            // 15 twips per pixel; the marker has to lie on the floor of a room.
            const int x1 = place[1].toInt() / 15, y1 = place[2].toInt() / 15;
            const int x2 = place[3].toInt() / 15, y2 = place[4].toInt() / 15;
            ASSERT_TRUE(picture.rect().contains(QRect(QPoint(x1, y1), QPoint(x2, y2))));
            EXPECT_EQ(picture.pixelColor((x1 + x2) / 2, (y1 + y2) / 2), roomFloor);
        }
    }
    EXPECT_FALSE(QImage(QDir(options.imagesDir).filePath(
                     db.rows(QStringLiteral("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = 1"))[0][0]))
                     .isNull());
}

TEST(DeliveryTool, PutsTheBookingsAroundTheDayItRuns)
{
    test::TempFolder folder;
    const makedb::Options options = optionsInto(folder);
    ASSERT_EQ(makedb::build(options), QString());
    Connection db(options.target);
    const double day = rt::Date::fromParts(2025, 6, 15).serial();
    EXPECT_GE(db.number(QStringLiteral("SELECT min(book_start) FROM tbl_bookings")), day - 31);
    EXPECT_LE(db.number(QStringLiteral("SELECT max(book_end) FROM tbl_bookings")), day + 31);
    // Somebody is in the house on that day.
    EXPECT_GT(db.number(QStringLiteral("SELECT count(*) FROM tbl_bookings WHERE book_cust_count > 0 AND book_start <= %1 AND book_end > %1")
                            .arg(day + 0.5)),
              0);
}

// ---------------------------------------------------------------------------- the delivered file

class DeliveredDatabase : public ::testing::Test {
protected:
    Connection db{QStringLiteral(VELMORANT_DELIVERED_DB)};
};

TEST_F(DeliveredDatabase, BookingsRunFromNoonToNoonWithoutDoubleBookedPlaces)
{
    const auto bookings = db.rows(QStringLiteral("SELECT book_id, book_start, book_end FROM tbl_bookings"));
    ASSERT_FALSE(bookings.empty());
    for (const auto& booking : bookings) {
        SCOPED_TRACE(booking[0].toStdString());
        const double start = booking[1].toDouble(), end = booking[2].toDouble();
        EXPECT_EQ(start - std::floor(start), 0.5);
        EXPECT_EQ(end - std::floor(end), 0.5);
        EXPECT_GE(end - start, 1.0);
    }
    const auto clashes = db.rows(QStringLiteral(
        "SELECT a.book_id, b.book_id FROM tbl_bookings a JOIN tbl_bookings b "
        "ON a.book_place_id = b.book_place_id AND a.book_id < b.book_id "
        "WHERE a.book_cust_count > 0 AND b.book_cust_count > 0 AND a.book_start < b.book_end AND b.book_start < a.book_end"));
    EXPECT_TRUE(clashes.empty()) << clashes[0][0].toStdString() << " / " << clashes[0][1].toStdString();
    // Every booking points at a place and a guest that exist.
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_bookings WHERE book_place_id NOT IN (SELECT pl_id FROM tbl_places) "
                                       "OR book_customer_id NOT IN (SELECT cust_id FROM tbl_customers)")),
              0);
}

TEST_F(DeliveredDatabase, HoldsTheRowsTheProgramReadsAtStart)
{
    const auto terms = db.rows(QStringLiteral("SELECT gt_id, gt_singular, gt_plural FROM tbl_gui_terms ORDER BY gt_id"));
    ASSERT_EQ(terms.size(), 6u);
    for (int id = 0; id < 6; ++id) {
        EXPECT_EQ(terms[size_t(id)][0].toInt(), id);
        EXPECT_FALSE(terms[size_t(id)][1].isEmpty());
        EXPECT_FALSE(terms[size_t(id)][2].isEmpty());
    }
    // The VAT of today exists, and of the years the program looks at.
    const double today = rt::Date::today().serial();
    EXPECT_EQ(db.rows(QStringLiteral("SELECT vat_full, vat_reduced FROM tbl_vat WHERE vat_date_start <= %1 AND vat_date_end >= %1").arg(today)),
              (std::vector<std::vector<QString>>{{QStringLiteral("19"), QStringLiteral("7")}}));
    // Colours are numbered from 1 without gaps; every booking colour is one of them or none.
    EXPECT_EQ(db.number(QStringLiteral("SELECT max(color_id) - count(*) FROM tbl_colors WHERE color_id > 0")), 0);
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_bookings WHERE book_color_id > (SELECT max(color_id) FROM tbl_colors)")), 0);
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_preferences")), 1);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT Notizen FROM tbl_memos WHERE Kennummer = 3")).size(), 1u);
    EXPECT_GT(db.number(QStringLiteral("SELECT count(*) FROM tbl_invoice_status")), 0);
    EXPECT_GT(db.number(QStringLiteral("SELECT count(*) FROM tbl_paymode")), 0);
}

TEST_F(DeliveredDatabase, DemoHouseHangsTogether)
{
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_buildings WHERE bld_mandant_id = 1")), 2);
    // Each place lies on a floor of the building it names, and has a known room type.
    EXPECT_EQ(db.number(QStringLiteral("SELECT count(*) FROM tbl_places LEFT JOIN tbl_floors ON pl_floor_id = flr_id "
                                       "WHERE flr_building_id IS NULL OR flr_building_id <> pl_building_id "
                                       "OR pl_type_id NOT IN (SELECT rot_id FROM tbl_room_types)")),
              0);
    // The stored invoice total is what the invoice shows: net plus each class's VAT.
    std::map<int, double> byClass;
    for (const auto& row : db.rows(QStringLiteral(
             "SELECT COALESCE(srv_tax_id, 0), ivp_quantity * ivp_price FROM tbl_invoice_positions "
             "LEFT JOIN tbl_services ON ivp_prod_id = srv_id WHERE ivp_invoice_id = 1")))
        byClass[row[0].toInt()] += row[1].toDouble();
    ASSERT_FALSE(byClass.empty());
    const double gross = byClass[0] * 1.19 + byClass[1] * 1.07 + byClass[2];
    EXPECT_NEAR(db.number(QStringLiteral("SELECT inv_total FROM tbl_invoice WHERE inv_id = 1")), gross, 0.005);
}
