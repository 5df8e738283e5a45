// Writes the ten-year database the benchmark runs on:
//   velmorant_makebench --schema schema.sql --seed seed.sql --out bench.mdb [--today yyyy-mm-dd] [--seed-number n]
// The program's schema and base rows, then one facility with 3 buildings,
// 15 floors, 300 places, 50,000 guests, 100,000 bookings over ten years and
// 20,000 invoices. The same seed number and day give the same file.
#include "bench/generator.h"
#include "resources/tools/deliverydb.h"

#include "platform/db/jetfunctions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using bench::Booking;
using bench::Random;
using bench::makeBookings;

constexpr int kBuildings = 3;
constexpr int kFloorsPerBuilding = 5;
constexpr int kPlacesPerFloor = 20;
constexpr int kPlaces = kBuildings * kFloorsPerBuilding * kPlacesPerFloor;
constexpr int kCustomers = 50000;
constexpr int kBookings = 100000;
constexpr int kInvoices = 20000;
constexpr int kYears = 10;

const char* const kLastNames[] = {
    "Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker", "Schulz", "Hoffmann",
    "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann", "Schwarz", "Zimmermann",
    "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Schmitz", "Krause", "Meier",
    "Lehmann", "Schmid", "Schulze", "Maier", "Köhler", "Herrmann", "König", "Walter", "Mayer", "Huber",
    "Kaiser", "Fuchs", "Peters", "Lang", "Scholz", "Möller", "Weiß", "Jung", "Hahn", "Schubert",
    "Vogel", "Friedrich", "Keller", "Günther", "Frank", "Berger", "Winkler", "Roth", "Beck", "Lorenz",
    "Baumann", "Franke", "Albrecht", "Schuster", "Simon", "Ludwig", "Böhm", "Winter", "Kraus", "Martin",
    "Schumacher", "Krämer", "Vogt", "Stein", "Jäger", "Otto", "Sommer", "Groß", "Seidel", "Heinrich",
    "Brandt", "Haas", "Schreiber", "Graf", "Schulte", "Dietrich", "Ziegler", "Kuhn", "Kühn", "Pohl",
    "Engel", "Horn", "Busch", "Bergmann", "Thomas", "Voigt", "Sauer", "Arnold", "Wolff", "Pfeiffer",
    "Öztürk", "Ünal", "Überall", "Ählers", "Müller-Lüdenscheidt", "Dößel", "Großmann", "Nußbaum", "Süß", "Jürgens",
    "O'Brien", "D'Angelo", "O'Neill", "D'Souza", "Dell'Orto", "Mueller", "Muller", "Muhr", "Mühlbauer", "Münch"};
const char* const kFirstNames[] = {
    "Thomas", "Sabine", "Jürgen", "Anna", "Peter", "Ursula", "Klaus", "Marie", "Lukas", "Greta", "Hans", "Jörg",
    "Käthe", "Björn", "Sören", "Uwe", "Günter", "Brigitte", "Michael", "Andrea", "Stefan", "Claudia", "Frank",
    "Monika", "Matthias", "Petra", "Jan", "Susanne", "Tobias", "Julia", "Florian", "Katharina", "Sebastian",
    "Lena", "Maximilian", "Hannah", "Paul", "Lea", "Felix", "Sophie", "Jonas", "Mia", "Leon", "Emma", "Noah",
    "Zoë", "Chloé", "René", "André", "Hélène", "Sean", "Siobhán", "D'Arcy", "Gerd", "Heike", "Rüdiger", "Bärbel",
    "Dörte", "Götz", "Jürgen-Peter"};
const char* const kCities[][2] = {
    {"80331", "München"}, {"50667", "Köln"}, {"01067", "Dresden"}, {"30159", "Hannover"}, {"70173", "Stuttgart"},
    {"10115", "Berlin"}, {"20095", "Hamburg"}, {"60311", "Frankfurt am Main"}, {"90402", "Nürnberg"},
    {"04109", "Leipzig"}, {"28195", "Bremen"}, {"44135", "Dortmund"}, {"45127", "Essen"}, {"40213", "Düsseldorf"},
    {"79098", "Freiburg im Breisgau"}, {"93047", "Regensburg"}, {"97070", "Würzburg"}, {"24103", "Kiel"},
    {"18055", "Rostock"}, {"99084", "Erfurt"}, {"8000", "Zürich"}, {"5020", "Salzburg"}, {"1010", "Wien"}};
const char* const kStreets[] = {"Hauptstraße", "Lindenstraße", "Am Markt", "Gartenweg", "Schillerstraße",
                                "Goethestraße", "Bahnhofstraße", "Kirchgasse", "Mühlenweg", "Bergstraße",
                                "Ringstraße", "Schloßallee", "Zum Anger", "Uferpromenade", "Blumenstraße"};
const char* const kFloorNames[] = {"Erdgeschoss", "1. Obergeschoss", "2. Obergeschoss", "3. Obergeschoss",
                                   "4. Obergeschoss"};
const char* const kFloorShort[] = {"EG", "1.OG", "2.OG", "3.OG", "4.OG"};
const char* const kBuildingNames[] = {"Haupthaus", "Gartenhaus", "Seeblick"};
const char* const kBuildingShort[] = {"HH", "GH", "SB"};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Prepared statement with positional binding; every call checks its result.
class Insert {
public:
    Insert(sqlite3* handle, const char* sql) : m_handle(handle)
    {
        if (sqlite3_prepare_v2(handle, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw Failure(sqlite3_errmsg(handle));
    }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& operator<<(qint64 v) { return check(sqlite3_bind_int64(m_stmt, ++m_index, v)); }
    Insert& operator<<(int v) { return *this << static_cast<qint64>(v); }
    Insert& operator<<(double v) { return check(sqlite3_bind_double(m_stmt, ++m_index, v)); }
    Insert& operator<<(const QString& s)
    {
        const QByteArray utf8 = s.toUtf8();
        return check(sqlite3_bind_text(m_stmt, ++m_index, utf8.constData(), static_cast<int>(utf8.size()),
                                       SQLITE_TRANSIENT));
    }
    Insert& operator<<(const char* s) { return *this << QString::fromUtf8(s); }
    Insert& null() { return check(sqlite3_bind_null(m_stmt, ++m_index)); }

    void run()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw Failure(sqlite3_errmsg(m_handle));
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_index = 0;
    }

private:
    Insert& check(int rc)
    {
        if (rc != SQLITE_OK)
            throw Failure(sqlite3_errmsg(m_handle));
        return *this;
    }
    sqlite3* m_handle;
    sqlite3_stmt* m_stmt = nullptr;
    int m_index = 0;
};

void exec(sqlite3* handle, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "error";
        sqlite3_free(message);
        throw Failure(text);
    }
}

void writeStructure(sqlite3* handle)
{
    exec(handle, "INSERT INTO tbl_mandanten (mand_id, mand_name, mand_imagefile) VALUES (1, 'Hotel Bergblick', NULL)");
    Insert building(handle, "INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name, bld_short) VALUES (?,1,?,?)");
    Insert floor(handle, "INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name, flr_short) "
                         "VALUES (?,?,?,?,?)");
    Insert place(handle, "INSERT INTO tbl_places (pl_id, pl_floor_id, pl_building_id, pl_name, pl_type_id, "
                         "pl_disabled, pl_capacity, pl_x1, pl_y1, pl_x2, pl_y2) VALUES (?,?,?,?,?,0,?,?,?,?,?)");
    int floorId = 0;
    int placeId = 0;
    for (int b = 0; b < kBuildings; ++b) {
        (building << (b + 1) << kBuildingNames[b] << kBuildingShort[b]).run();
        for (int f = 0; f < kFloorsPerBuilding; ++f) {
            ++floorId;
            (floor << floorId << (b + 1) << f << kFloorNames[f] << kFloorShort[f]).run();
            for (int p = 0; p < kPlacesPerFloor; ++p) {
                ++placeId;
                const int type = 1 + p % 4;
                const int x = 300 + (p % 10) * 900;
                const int y = p < 10 ? 1050 : 5100;
                (place << placeId << floorId << (b + 1)
                       << QStringLiteral("%1%2%3").arg(b + 1).arg(f).arg(p + 1, 2, 10, QLatin1Char('0')) << type
                       << type << x << y << (x + 195) << (y + 195))
                    .run();
            }
        }
    }
}

void writeCustomers(sqlite3* handle, Random& random)
{
    Insert customer(handle, "INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname, cust_street, cust_zip, "
                            "cust_city, cust_country, cust_phone, cust_email, cust_sex, cust_category_id, cust_birthday) "
                            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
    for (int id = 1; id <= kCustomers; ++id) {
        const char* last = random.pick(kLastNames);
        const char* first = random.pick(kFirstNames);
        const auto& city = kCities[random.below(static_cast<int>(std::size(kCities)))];
        const bool foreign = QByteArray(city[0]).size() == 4;
        // Zip codes vary in their last digits, so a zip prefix search finds a few hundred.
        QString zip = QString::fromLatin1(city[0]);
        if (!foreign)
            zip = zip.left(3) + QStringLiteral("%1").arg(random.below(100), 2, 10, QLatin1Char('0'));
        customer << id << last << first
                 << QStringLiteral("%1 %2").arg(QString::fromUtf8(random.pick(kStreets))).arg(random.between(1, 120))
                 << zip << city[1] << (foreign ? (zip.startsWith(QLatin1Char('8')) ? "CH" : "A") : "D")
                 << QStringLiteral("0%1 %2").arg(random.between(30, 999)).arg(random.between(100000, 9999999))
                 << QStringLiteral("gast%1@example.de").arg(id) << random.below(4) << random.between(1, 3)
                 << static_cast<double>(random.between(15000, 37000));
        customer.run();
    }
}

void writeBookings(sqlite3* handle, Random& random, const std::vector<Booking>& bookings)
{
    Insert booking(handle, "INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_customer_id, "
                           "book_cust_count, book_start, book_end, book_bearb_date, book_info, book_color_id) "
                           "VALUES (?,1,?,?,?,?,?,?,?,?)");
    const char* const infos[] = {"Anreise gegen 18 Uhr", "mit Hund", "Kinderbett aufstellen", "Vorkasse erhalten",
                                 "Nichtraucher", "Frühstück aufs Zimmer", "Gruppe Müller's Reisen"};
    for (size_t i = 0; i < bookings.size(); ++i) {
        const Booking& b = bookings[i];
        // A few bookings hold a place without guests (a blocked room).
        const int persons = random.below(40) == 0 ? 0 : random.between(1, 4);
        booking << static_cast<qint64>(i + 1) << b.place << b.customer << persons << b.start << b.end
                << (b.start - random.between(1, 120) - 0.1 * random.below(9));
        if (random.below(4) == 0)
            booking << random.pick(infos);
        else
            booking.null();
        booking << random.below(8);
        booking.run();
    }
}

void writeInvoices(sqlite3* handle, Random& random, const std::vector<Booking>& bookings)
{
    struct Service {
        int id;
        double price;
        const char* name;
    };
    // The seed's catalogue.
    const Service services[] = {{1, 55, "Übernachtung Einzelzimmer"}, {2, 79, "Übernachtung Doppelzimmer"},
                                {3, 109, "Übernachtung Familienzimmer"}, {4, 95, "Ferienwohnung"},
                                {5, 12.5, "Frühstück"}, {6, 24, "Halbpension"}, {7, 6, "Parkplatz"},
                                {8, 45, "Endreinigung Ferienwohnung"}, {9, 8, "Haustier"}, {10, 2.5, "Kurtaxe"}};
    Insert invoice(handle, "INSERT INTO tbl_invoice (inv_id, inv_date, inv_status_id, inv_paymode_id, inv_mandant_id, "
                           "inv_booking_id, inv_customer_id, inv_total, inv_is_payed, inv_is_sent) "
                           "VALUES (?,?,?,?,1,?,?,?,?,?)");
    Insert position(handle, "INSERT INTO tbl_invoice_positions (ivp_invoice_id, ivp_prod_id, ivp_quantity, ivp_price, "
                            "ivp_text) VALUES (?,?,?,?,?)");
    const int step = static_cast<int>(bookings.size()) / kInvoices;
    for (int id = 1; id <= kInvoices; ++id) {
        const size_t index = static_cast<size_t>((id - 1) * step + random.below(step));
        const Booking& b = bookings[index];
        const int nights = static_cast<int>(std::lround(b.end - b.start));
        const int positions = random.between(3, 8);
        double total = 0;
        for (int p = 0; p < positions; ++p) {
            const Service& s = p == 0 ? services[random.below(4)] : services[4 + random.below(6)];
            const int quantity = p == 0 ? nights : random.between(1, nights * 2);
            total += quantity * s.price;
            (position << id << s.id << quantity << s.price << s.name).run();
        }
        const bool paid = random.below(5) != 0;
        (invoice << id << std::floor(b.end) << (paid ? 3 : random.between(1, 2)) << random.between(1, 4)
                 << static_cast<qint64>(index + 1) << b.customer << std::round(total * 1.07 * 100) / 100
                 << (paid ? -1 : 0) << -1)
            .run();
    }
}

// The base rows stay; the demo house goes, the generated one takes its place.
void fill(sqlite3* handle, unsigned seed, rt::Date today)
{
    Random random(seed);
    exec(handle, "BEGIN");
    exec(handle, "DELETE FROM tbl_invoice_positions; DELETE FROM tbl_invoice; DELETE FROM tbl_bookings;"
                 "DELETE FROM tbl_customers; DELETE FROM tbl_places; DELETE FROM tbl_floors;"
                 "DELETE FROM tbl_buildings; DELETE FROM tbl_mandanten; DELETE FROM tbl_workstations;"
                 "DELETE FROM sqlite_sequence WHERE name IN ('tbl_invoice_positions', 'tbl_invoice', "
                 "'tbl_bookings', 'tbl_customers', 'tbl_places', 'tbl_floors', 'tbl_buildings', 'tbl_workstations')");
    writeStructure(handle);
    writeCustomers(handle, random);
    // Nine and a half years back, half a year of reservations ahead.
    const double lastDay = today.datePart().addDays(182).serial();
    const double firstDay = today.datePart().addYears(-kYears).addDays(182).serial();
    const std::vector<Booking> bookings = makeBookings(random, kPlaces, kBookings, kCustomers, firstDay, lastDay);
    writeBookings(handle, random, bookings);
    writeInvoices(handle, random, bookings);
    exec(handle, "COMMIT");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption schema(QStringLiteral("schema"), QStringLiteral("CREATE statements"), QStringLiteral("file"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("base rows"), QStringLiteral("file"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("database file to write"), QStringLiteral("file"));
    const QCommandLineOption today(QStringLiteral("today"), QStringLiteral("the day the ten years lead to"),
                                   QStringLiteral("yyyy-mm-dd"));
    const QCommandLineOption number(QStringLiteral("seed-number"), QStringLiteral("random seed"), QStringLiteral("n"),
                                    QStringLiteral("20260101"));
    parser.addOptions({schema, seed, out, today, number});
    parser.process(app);
    if (!parser.isSet(schema) || !parser.isSet(seed) || !parser.isSet(out)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 2;
    }
    rt::Date day = rt::Date::today();
    if (parser.isSet(today)) {
        const QDate d = QDate::fromString(parser.value(today), Qt::ISODate);
        if (!d.isValid()) {
            std::fprintf(stderr, "velmorant_makebench: --today needs yyyy-mm-dd\n");
            return 2;
        }
        day = rt::Date::fromDate(d);
    }

    // Built beside the target and renamed over it at the end, so a broken run
    // never leaves a half-filled file where the benchmark looks for one.
    const QString target = parser.value(out);
    const QString part = target + QStringLiteral(".part");
    const QString images = QFileInfo(target).absolutePath() + QStringLiteral("/bench-images");
    makedb::Options options;
    options.schemaFile = parser.value(schema);
    options.seedFile = parser.value(seed);
    options.target = part;
    options.imagesDir = images;
    options.today = day;
    QString error = makedb::build(options);
    if (error.isEmpty()) {
        sqlite3* handle = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(part).constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            error = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("cannot open %1").arg(part);
        } else {
            db::registerJetFunctions(handle);
            try {
                fill(handle, parser.value(number).toUInt(), day);
            } catch (const Failure& e) {
                error = QString::fromUtf8(e.what());
            }
        }
        if (handle && sqlite3_close(handle) != SQLITE_OK && error.isEmpty())
            error = QStringLiteral("cannot close %1").arg(part);
    }
    if (error.isEmpty() && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0)
        error = QStringLiteral("cannot rename %1 to %2").arg(part, target);
    if (!error.isEmpty()) {
        QFile::remove(part);
        std::fprintf(stderr, "velmorant_makebench: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
