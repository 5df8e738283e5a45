// Times what users feel on the ten-year database (velmorant_makebench), each
// case through the program's own code and, where it reads the database, the
// same reading done with plain SQLite calls: the limit the program can reach.
//   velmorant_bench --db bench.mdb [benchmark options]
// Works on a copy of the file, since some cases write.
#include "bench/table_reporter.h"
#include "bookings/addresslistmodel.h"
#include "bookings/addresssearch.h"

#include "bookings/bookinglist.h"
#include "bookings/frmBuchungen.h"

#include "core/bookings.h"
#include "core/buildinggrid.h"
#include "core/conflicts.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/lookups.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/windows.h"
#include "invoicing/invoice.h"
#include "plan/frmStockwerke.h"
#include "plan/planstate.h"
#include "plan/schedulefill.h"
#include "platform/db/database.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/ui/dialogs.h"
#include "schedule/usercontrol1.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

// No dialog may wait for a person here: a message is printed and answered.
class PrintingDialogs : public ui::DialogService {
public:
    ui::Answer message(const ui::MessageRequest& request) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return request.defaultAnswer();
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> password(const QString&, const QString&) override { return std::nullopt; }
    QString openFile(const ui::FileRequest&) override { return {}; }
    QString saveFile(const ui::FileRequest&) override { return {}; }
    QString folder(const QString&, const QString&) override { return {}; }
    std::optional<QColor> color(const QColor&, const QString&) override { return std::nullopt; }
    bool openExternal(const QString&) override { return false; }
};

// ------------------------------------------------------------ plain SQLite

class RawStatement {
public:
    RawStatement(sqlite3* handle, const char* sql)
    {
        if (sqlite3_prepare_v2(handle, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(handle));
    }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;
    RawStatement& bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); return *this; }
    RawStatement& bind(int i, int v) { sqlite3_bind_int(m_stmt, i, v); return *this; }
    RawStatement& bind(int i, const QByteArray& v)
    {
        sqlite3_bind_text(m_stmt, i, v.constData(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool step() { return sqlite3_step(m_stmt) == SQLITE_ROW; }
    int integer(int i) const { return sqlite3_column_int(m_stmt, i); }
    double real(int i) const { return sqlite3_column_double(m_stmt, i); }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)),
                                 sqlite3_column_bytes(m_stmt, i));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// ------------------------------------------------------------ the setting

struct Setting {
    QString programFolder;       // with velmorant.ini naming the working copy
    QString database;            // the working copy
    sqlite3* raw = nullptr;      // a second, plain connection to it
    rt::Date today;              // noon
    rt::Date monthStart;         // the current month, noon of its first day
    rt::Date monthEnd;
    rt::Date conflictStart;      // a week on a busy place
    rt::Date conflictEnd;
    qint32 conflictPlace = 17;
    qint32 conflictCustomer = 4711;
    qint32 storeBooking = 0;     // a booking of this month to change
};

Setting& setting()
{
    static Setting s;
    return s;
}

// Rotates through the ids so that one cached page does not flatter a case.
qint32 nextId(qint32& counter, qint32 count)
{
    counter = counter * 7919 % count + 1;
    return counter;
}

// ------------------------------------------------------------ start and grid

void StartProgramCase(benchmark::State& state)
{
    for (auto _ : state) {
        CloseProgramDatabase();
        StartProgram(setting().programFolder);
        QApplication::processEvents();
    }
}

// The grid's readings without the layer: per floor its places and the
// places with guests in the period.
int rawGrid(sqlite3* h, const rt::Date& start, const rt::Date& end)
{
    int sum = 0;
    RawStatement buildings(h, "SELECT bld_id, bld_name FROM tbl_buildings WHERE bld_mandant_id = 1");
    while (buildings.step()) {
        RawStatement floors(h, "SELECT flr_id, flr_order FROM tbl_floors WHERE flr_building_id = ? ORDER BY flr_order");
        floors.bind(1, buildings.integer(0));
        while (floors.step()) {
            const int floor = floors.integer(0);
            RawStatement places(h, "SELECT Count(*) FROM tbl_places INNER JOIN tbl_floors ON "
                                   "tbl_places.pl_floor_id = tbl_floors.flr_id WHERE pl_disabled = 0 AND flr_id = ?");
            places.bind(1, floor);
            places.step();
            sum += places.integer(0);
            RawStatement occupied(
                h, "SELECT Count(DISTINCT tbl_places.pl_id) FROM tbl_bookings INNER JOIN (tbl_places INNER JOIN "
                   "tbl_floors ON tbl_places.pl_floor_id = tbl_floors.flr_id) ON tbl_bookings.book_place_id = "
                   "tbl_places.pl_id WHERE (book_cust_count > 0) AND (pl_disabled = 0) AND (flr_id = ?) "
                   "AND (book_start <= ?) AND (book_end > ?)");
            occupied.bind(1, floor).bind(2, end.serial()).bind(3, start.serial());
            occupied.step();
            sum -= occupied.integer(0);
        }
    }
    return sum;
}

void StartRaw(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(QFile::encodeName(setting().database).constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        db::registerJetFunctions(h);
        // The start logs the workstation in: one write.
        RawStatement login(h, "UPDATE tbl_workstations SET ws_logindate = ?1, ws_lastaccess = ?1 WHERE ws_computername = ?2");
        login.bind(1, rt::Date::now().serial()).bind(2, ComputerName.toUtf8());
        login.step();
        benchmark::DoNotOptimize(rawGrid(h, setting().today, setting().today.addDays(1)));
        sqlite3_close(h);
    }
}

void BuildingGridProgram(benchmark::State& state)
{
    QTableWidget grid;
    QLabel label;
    InitBuildingGridHeader(&grid);
    for (auto _ : state)
        FillListBuildings(&grid, 1, setting().today, setting().today.addDays(1), &label);
}

void BuildingGridRaw(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rawGrid(setting().raw, setting().today, setting().today.addDays(1)));
}

// ------------------------------------------------------------ conflicts

void ConflictsProgram(benchmark::State& state)
{
    QLineEdit start(rt::formatDate(setting().conflictStart, QStringLiteral("dd.mm.yyyy")));
    QLineEdit end(rt::formatDate(setting().conflictEnd, QStringLiteral("dd.mm.yyyy")));
    QLineEdit guest;
    bool guestBooked = false;
    bool placeOccupied = false;
    for (auto _ : state)
        CheckBookingConflicts(&start, &end, &guest, setting().conflictCustomer, setting().conflictPlace, 0, guestBooked,
                              placeOccupied, CheckGuestAndPlace);
}

void ConflictsRaw(benchmark::State& state)
{
    sqlite3* h = setting().raw;
    for (auto _ : state) {
        RawStatement guest(h, "SELECT Count(*) FROM tbl_bookings WHERE book_customer_id = ? AND (book_start < ?) "
                              "AND (book_end > ?)");
        guest.bind(1, setting().conflictCustomer).bind(2, setting().conflictEnd.serial())
            .bind(3, setting().conflictStart.serial());
        guest.step();
        RawStatement place(h, "SELECT Count(*) FROM tbl_bookings WHERE book_place_id = ? AND (book_start < ?) "
                              "AND (book_end > ?) AND book_cust_count > 0");
        place.bind(1, setting().conflictPlace).bind(2, setting().conflictEnd.serial())
            .bind(3, setting().conflictStart.serial());
        place.step();
        benchmark::DoNotOptimize(guest.integer(0) + place.integer(0));
    }
}

// ------------------------------------------------------------ writing a booking

// A change of a stored booking (its note), checked and written as every
// window writes bookings.
void StoreChangedProgram(benchmark::State& state)
{
    std::optional<Booking> booking = LoadBooking(setting().storeBooking);
    if (!booking) {
        state.SkipWithError("no booking to change");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        booking->book_info = QStringLiteral("Anreise gegen %1 Uhr").arg(14 + n++ % 6);
        if (StoreBooking(*booking).result != StoreResult::Stored)
            state.SkipWithError("not stored");
    }
}

void StoreChangedRaw(benchmark::State& state)
{
    sqlite3* h = setting().raw;
    int n = 0;
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        RawStatement load(h, "SELECT book_place_id, book_start, book_end, book_customer_id FROM tbl_bookings "
                             "WHERE book_id = ?");
        load.bind(1, setting().storeBooking).step();
        RawStatement place(h, "SELECT pl_id FROM tbl_places WHERE pl_id = ?");
        RawStatement guest(h, "SELECT cust_id FROM tbl_customers WHERE cust_id = ?");
        const bool named = place.bind(1, load.integer(0)).step() && guest.bind(1, load.integer(3)).step();
        RawStatement check(h, "SELECT book_id FROM tbl_bookings WHERE book_place_id = ? AND book_cust_count > 0 "
                              "AND book_start < ? AND book_end > ? AND book_id <> ?");
        check.bind(1, load.integer(0)).bind(2, load.real(2)).bind(3, load.real(1)).bind(4, setting().storeBooking);
        const bool free = named && !check.step();
        RawStatement write(h, "UPDATE tbl_bookings SET book_info = ?, book_bearb_date = ? WHERE book_id = ?");
        write.bind(1, QStringLiteral("Anreise gegen %1 Uhr").arg(14 + n++ % 6).toUtf8())
            .bind(2, rt::Date::now().serial()).bind(3, setting().storeBooking);
        if (free)
            write.step();
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    }
}

// A new booking on a free place; removed again outside the timing.
void StoreNewProgram(benchmark::State& state)
{
    const rt::Date start = rt::Date::fromParts(2990, 6, 1, 12);
    for (auto _ : state) {
        Booking booking;
        booking.book_mandant_id = 1;
        booking.book_place_id = setting().conflictPlace;
        booking.book_customer_id = setting().conflictCustomer;
        booking.book_cust_count = 2;
        booking.book_start = start;
        booking.book_end = start.addDays(3);
        if (StoreBooking(booking).result != StoreResult::Stored)
            state.SkipWithError("not stored");
        state.PauseTiming();
        DeleteBooking(booking.book_id);
        state.ResumeTiming();
    }
}

void StoreNewRaw(benchmark::State& state)
{
    sqlite3* h = setting().raw;
    const double start = rt::Date::fromParts(2990, 6, 1, 12).serial();
    for (auto _ : state) {
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        RawStatement place(h, "SELECT pl_id FROM tbl_places WHERE pl_id = ?");
        RawStatement guest(h, "SELECT cust_id FROM tbl_customers WHERE cust_id = ?");
        const bool named = place.bind(1, setting().conflictPlace).step() && guest.bind(1, setting().conflictCustomer).step();
        RawStatement check(h, "SELECT book_id FROM tbl_bookings WHERE book_place_id = ? AND book_cust_count > 0 "
                              "AND book_start < ? AND book_end > ?");
        check.bind(1, setting().conflictPlace).bind(2, start + 3).bind(3, start);
        const bool free = named && !check.step();
        RawStatement write(h, "INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, "
                              "book_cust_count, book_start, book_end, book_bearb_date) VALUES (1, ?, ?, 2, ?, ?, ?)");
        write.bind(1, setting().conflictPlace).bind(2, setting().conflictCustomer).bind(3, start).bind(4, start + 3)
            .bind(5, rt::Date::now().serial());
        if (free)
            write.step();
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        RawStatement remove(h, "DELETE FROM tbl_bookings WHERE book_place_id = ? AND book_start = ?");
        remove.bind(1, setting().conflictPlace).bind(2, start).step();
        state.ResumeTiming();
    }
}

// ------------------------------------------------------------ the layer itself

void PrimaryKeyProgram(benchmark::State& state)
{
    qint32 counter = 1;
    for (auto _ : state) {
        const qint32 id = nextId(counter, 50000);
        db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT * FROM tbl_customers WHERE cust_id = ") +
                                                 QString::number(id) + QStringLiteral(";"),
                                             db::OpenMode::ForwardOnlyReadOnly);
        QString name = rs.value(QStringLiteral("cust_lastname")).toText();
        name += rs.value(QStringLiteral("cust_firstname")).toText();
        name += rs.value(QStringLiteral("cust_zip")).toText();
        name += rs.value(QStringLiteral("cust_city")).toText();
        benchmark::DoNotOptimize(name);
    }
}

void PrimaryKeyRaw(benchmark::State& state)
{
    qint32 counter = 1;
    for (auto _ : state) {
        const qint32 id = nextId(counter, 50000);
        const QByteArray sql = "SELECT * FROM tbl_customers WHERE cust_id = " + QByteArray::number(id) + ";";
        RawStatement st(setting().raw, sql.constData());
        st.step();
        QString name = st.text(2) + st.text(3) + st.text(6) + st.text(7);
        benchmark::DoNotOptimize(name);
    }
}

// Name and zip searches as the address book makes them: a prefix with the
// old wildcard, ordered by name, the Like behind an index range.
QString searchSql(const QString& column, const QString& prefix)
{
    return QStringLiteral("SELECT cust_id, cust_lastname, cust_firstname, cust_zip, cust_city FROM tbl_customers "
                          "WHERE ") + db::sqlLike(column, prefix + QLatin1Char('*')) +
           QStringLiteral(" ORDER BY cust_lastname, cust_firstname;");
}

int walkSearch(const QString& sql)
{
    db::Recordset rs = Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
    int n = 0;
    for (; !rs.eof(); rs.moveNext()) {
        n += rs.value(QStringLiteral("cust_id")).toLong() > 0;
        benchmark::DoNotOptimize(rs.value(QStringLiteral("cust_lastname")).toText());
        benchmark::DoNotOptimize(rs.value(QStringLiteral("cust_firstname")).toText());
        benchmark::DoNotOptimize(rs.value(QStringLiteral("cust_city")).toText());
    }
    return n;
}

// The same statement straight to SQLite (it needs no translation).
int rawSearch(const QString& column, const QString& prefix)
{
    RawStatement st(setting().raw, searchSql(column, prefix).toUtf8().constData());
    int n = 0;
    while (st.step()) {
        n += st.integer(0) > 0;
        benchmark::DoNotOptimize(st.text(1) + st.text(2) + st.text(4));
    }
    return n;
}

void NameSearchProgram(benchmark::State& state)
{
    const QString sql = searchSql(QStringLiteral("cust_lastname"), QStringLiteral("Mü"));
    for (auto _ : state)
        benchmark::DoNotOptimize(walkSearch(sql));
}

void NameSearchRaw(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rawSearch(QStringLiteral("cust_lastname"), QStringLiteral("Mü")));
}

void ZipSearchProgram(benchmark::State& state)
{
    const QString sql = searchSql(QStringLiteral("cust_zip"), QStringLiteral("803"));
    for (auto _ : state)
        benchmark::DoNotOptimize(walkSearch(sql));
}

void ZipSearchRaw(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rawSearch(QStringLiteral("cust_zip"), QStringLiteral("803")));
}

// The address book's name search: "Müller" also finds "Mueller" and the
// companies starting so, read into the result list.
void UmlautSearchProgram(benchmark::State& state)
{
    const CustomerFilter filter = ParseAddressSearch(QStringLiteral("Müller"), -1).filter;
    AddressListModel list;
    for (auto _ : state) {
        list.setRows(FindCustomers(filter), QString());
        benchmark::DoNotOptimize(list.rowCount());
    }
}

void UmlautSearchRaw(benchmark::State& state)
{
    const QString sql =
        QStringLiteral("SELECT cust_id, cust_firstname, cust_lastname, cust_company, cust_ext_id, cust_birthday "
                       "FROM tbl_customers WHERE ") +
        db::sqlLike(QStringLiteral("cust_lastname"), QStringLiteral("Müller*")) + QStringLiteral(" OR ") +
        db::sqlLike(QStringLiteral("cust_lastname"), QStringLiteral("mueller*")) + QStringLiteral(" OR ") +
        db::sqlLike(QStringLiteral("cust_company"), QStringLiteral("Müller*")) +
        QStringLiteral(" ORDER BY cust_lastname, cust_firstname");
    for (auto _ : state) {
        RawStatement st(setting().raw, sql.toUtf8().constData());
        int n = 0;
        while (st.step()) {
            n += st.integer(0) > 0;
            benchmark::DoNotOptimize(st.text(1) + st.text(2) + st.text(3));
        }
        benchmark::DoNotOptimize(n);
    }
}

// ------------------------------------------------------------ bookings by time

void NowProgram(benchmark::State& state)
{
    for (auto _ : state) {
        db::Recordset rs = Db->openRecordset(
            QStringLiteral("SELECT Count(*) AS n FROM tbl_bookings WHERE book_start <= Now() AND book_end >= Now();"),
            db::OpenMode::ForwardOnlyReadOnly);
        benchmark::DoNotOptimize(rs.value(QStringLiteral("n")).toLong());
    }
}

void NowRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement st(setting().raw, "SELECT Count(*) FROM tbl_bookings WHERE book_start <= ?1 AND book_end >= ?1");
        st.bind(1, rt::Date::now().serial());
        st.step();
        benchmark::DoNotOptimize(st.integer(0));
    }
}

void MonthProgram(benchmark::State& state)
{
    const QString sql = QStringLiteral("SELECT * FROM tbl_bookings WHERE book_end > ") + DateToSQL(setting().monthStart) +
                        QStringLiteral(" AND book_start < ") + DateToSQL(setting().monthEnd) + QStringLiteral(";");
    for (auto _ : state) {
        db::Recordset rs = Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
        int n = 0;
        for (; !rs.eof(); rs.moveNext())
            n += rs.value(QStringLiteral("book_place_id")).toLong() > 0;
        benchmark::DoNotOptimize(n);
    }
}

void MonthRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement st(setting().raw, "SELECT * FROM tbl_bookings WHERE book_end > ? AND book_start < ?");
        st.bind(1, setting().monthStart.serial()).bind(2, setting().monthEnd.serial());
        int n = 0;
        while (st.step())
            n += st.integer(2) > 0;
        benchmark::DoNotOptimize(n);
    }
}

// What the booking list reads: every booking with its place and guest, by arrival.
const char* const kAllBookingsSql =
    "SELECT book_id, book_start, book_end, book_cust_count, pl_name, cust_lastname, cust_firstname "
    "FROM (tbl_bookings LEFT JOIN tbl_places ON tbl_bookings.book_place_id = tbl_places.pl_id) "
    "LEFT JOIN tbl_customers ON tbl_bookings.book_customer_id = tbl_customers.cust_id ORDER BY book_start";

void AllBookingsProgram(benchmark::State& state)
{
    for (auto _ : state) {
        db::Recordset rs = Db->openRecordset(QString::fromLatin1(kAllBookingsSql), db::OpenMode::ForwardOnlyReadOnly);
        int n = 0;
        for (; !rs.eof(); rs.moveNext()) {
            n += rs.value(QStringLiteral("book_id")).toLong() > 0;
            benchmark::DoNotOptimize(rs.value(QStringLiteral("book_start")).toDate());
            benchmark::DoNotOptimize(rs.value(QStringLiteral("cust_lastname")).toText());
        }
        benchmark::DoNotOptimize(n);
    }
}

void AllBookingsRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement st(setting().raw, kAllBookingsSql);
        int n = 0;
        while (st.step()) {
            n += st.integer(0) > 0;
            benchmark::DoNotOptimize(st.real(1));
            benchmark::DoNotOptimize(st.text(5));
        }
        benchmark::DoNotOptimize(n);
    }
}

// ------------------------------------------------------------ booking list

// The booking list opened on every booking of the facility, as the menus open it.
void BookingListProgram(benchmark::State& state)
{
    frmBuchungen& window = frmBuchungen::instance();
    for (auto _ : state) {
        benchmark::DoNotOptimize(window.ShowBookings(QString(), -1, -1, false, 1));
        QApplication::processEvents();
    }
    window.hide();
}

// The same reading with plain SQLite: the bookings alone, then the guests'
// and the places' names once each.
void BookingListRaw(benchmark::State& state)
{
    for (auto _ : state) {
        struct Line {
            int id;
            double start;
            double end;
            int persons;
            int guest;
            int place;
        };
        std::vector<Line> lines;
        {
            RawStatement st(setting().raw, "SELECT book_id, book_start, book_end, book_cust_count, book_customer_id, "
                                           "book_place_id FROM tbl_bookings WHERE (book_mandant_id = 1)");
            while (st.step())
                lines.push_back({st.integer(0), st.real(1), st.real(2), st.integer(3), st.integer(4), st.integer(5)});
        }
        std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
            return a.start != b.start ? a.start > b.start : a.id > b.id;
        });
        QHash<int, std::pair<QString, QString>> guests;
        {
            RawStatement st(setting().raw, "SELECT cust_id, cust_lastname, cust_firstname FROM tbl_customers");
            while (st.step())
                guests.insert(st.integer(0), {st.text(1), st.text(2)});
        }
        QHash<int, QString> places;
        {
            RawStatement st(setting().raw, "SELECT pl_id, bld_short, flr_short, pl_name FROM (tbl_places LEFT JOIN "
                                           "tbl_floors ON tbl_places.pl_floor_id = tbl_floors.flr_id) LEFT JOIN "
                                           "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id");
            while (st.step())
                places.insert(st.integer(0), st.text(1) + st.text(2) + st.text(3));
        }
        benchmark::DoNotOptimize(lines.data());
        benchmark::DoNotOptimize(guests.size() + places.size());
    }
}

// A click on the departure column of that list, each time the other way round.
void BookingListSortProgram(benchmark::State& state)
{
    frmBuchungen& window = frmBuchungen::instance();
    window.ShowBookings(QString(), -1, -1, false, 1);
    bool ascending = true;
    for (auto _ : state) {
        window.ListView1->sortByColumn(BookingListModel::ColEnd, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        QApplication::processEvents();
        ascending = !ascending;
    }
    window.hide();
}

// A click on the guest column: 50,000 names in the database's German order.
void BookingListGuestSortProgram(benchmark::State& state)
{
    frmBuchungen& window = frmBuchungen::instance();
    window.ShowBookings(QString(), -1, -1, false, 1);
    bool ascending = true;
    for (auto _ : state) {
        window.ListView1->sortByColumn(BookingListModel::ColGuest, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        QApplication::processEvents();
        ascending = !ascending;
    }
    window.hide();
}

// ------------------------------------------------------------ invoices

// The invoice window's own loading: header, recipient's address, booking
// period, states and payment modes, VAT of the date, positions with their
// services, totals in cents.
void InvoiceProgram(benchmark::State& state)
{
    qint32 counter = 1;
    InvoiceSession session;
    for (auto _ : state) {
        session.LoadInvoice(nextId(counter, 20000));
        benchmark::DoNotOptimize(session.Totals.gross);
    }
}

void InvoiceRaw(benchmark::State& state)
{
    sqlite3* h = setting().raw;
    qint32 counter = 1;
    for (auto _ : state) {
        const qint32 id = nextId(counter, 20000);
        RawStatement inv(h, "SELECT inv_date, inv_customer_id, inv_booking_id, inv_status_id, inv_paymode_id, inv_notes, "
                            "inv_is_payed FROM tbl_invoice WHERE inv_id = ?");
        inv.bind(1, id).step();
        RawStatement cust(h, "SELECT * FROM tbl_customers WHERE cust_id = ?");
        cust.bind(1, inv.integer(1)).step();
        const QString name = cust.text(2) + QStringLiteral(", ") + cust.text(3);
        RawStatement booking(h, "SELECT book_start, book_end FROM tbl_bookings WHERE book_id = ?");
        booking.bind(1, inv.integer(2)).step();
        RawStatement states(h, "SELECT ivs_id FROM tbl_invoice_status ORDER BY ivs_id");
        while (states.step())
            benchmark::DoNotOptimize(states.integer(0));
        RawStatement modes(h, "SELECT paym_id FROM tbl_paymode ORDER BY paym_id");
        while (modes.step())
            benchmark::DoNotOptimize(modes.integer(0));
        const double day = std::floor(inv.real(0));
        RawStatement vat(h, "SELECT vat_full, vat_reduced FROM tbl_vat WHERE vat_date_start < ? AND vat_date_end >= ?");
        vat.bind(1, day + 1).bind(2, day).step();
        const qint64 full = std::llround(vat.real(0) * 100), reduced = std::llround(vat.real(1) * 100);
        RawStatement pos(h, "SELECT ivp_id, ivp_quantity, ivp_price, ivp_text, srv_name, srv_tax_id FROM "
                            "tbl_invoice_positions LEFT JOIN tbl_services ON tbl_invoice_positions.ivp_prod_id = "
                            "tbl_services.srv_id WHERE ivp_invoice_id = ? ORDER BY ivp_id");
        pos.bind(1, id);
        qint64 sums[3] = {0, 0, 0};
        while (pos.step()) {
            const int tax = pos.integer(5);
            sums[tax == 0 || tax == 1 ? tax : 2] += pos.integer(1) * std::llround(pos.real(2) * 100);
            benchmark::DoNotOptimize(pos.text(3));
            benchmark::DoNotOptimize(pos.text(4));
        }
        const qint64 gross = sums[0] + sums[1] + sums[2] + (sums[0] * full + 5000) / 10000 + (sums[1] * reduced + 5000) / 10000;
        benchmark::DoNotOptimize(gross);
        benchmark::DoNotOptimize(name);
    }
}

// ------------------------------------------------------------ the schedule

// The plain reading of what FillSchedule reads: the facility's places with
// their building and floor, and the bookings touching the month with their
// guest. No ORDER BY for the bookings: the control places each by its place,
// and ordering by place makes SQLite walk the whole place index to save a
// small sort.
const char* const kSchedulePlacesSql =
    "SELECT bld_short, flr_short, pl_name, pl_id, pl_disabled FROM tbl_places INNER JOIN (tbl_floors INNER JOIN "
    "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id) ON tbl_places.pl_floor_id = tbl_floors.flr_id "
    "WHERE bld_mandant_id = 1 ORDER BY bld_id, flr_order, flr_id, pl_name, pl_id";
const char* const kScheduleBookingsSql =
    "SELECT book_id, book_customer_id, book_cust_count, book_info, cust_lastname, cust_firstname, book_start, "
    "book_end, pl_id, book_color_id FROM (tbl_bookings INNER JOIN tbl_places ON tbl_bookings.book_place_id = "
    "tbl_places.pl_id) LEFT JOIN tbl_customers ON tbl_bookings.book_customer_id = tbl_customers.cust_id "
    "WHERE book_mandant_id = 1 AND book_start <= ? AND book_end >= ?";
constexpr int kScheduleDays = 31;

// Painting needs a window the platform has exposed.
void showExposed(QWidget& widget)
{
    widget.resize(1400, 900);
    widget.show();
    for (int i = 0; i < 100 && !(widget.windowHandle() && widget.windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
}

// The schedule tab's fill of the whole facility over 31 days, as the window
// runs it, and its first paint.
void fillAndPaint(UserControl1& schedule, PlanState& state)
{
    MaxWeekCols = kScheduleDays;
    FillSchedule(schedule, state, -1, -1, setting().monthStart);
    schedule.repaint();
}

void ScheduleProgram(benchmark::State& state)
{
    UserControl1 schedule;
    showExposed(schedule);
    PlanState plan;
    const quint8 days = MaxWeekCols;
    for (auto _ : state)
        fillAndPaint(schedule, plan);
    MaxWeekCols = days;
}

void ScheduleRaw(benchmark::State& state)
{
    const rt::Date start = setting().monthStart.datePart();
    for (auto _ : state) {
        std::vector<QString> places;
        RawStatement p(setting().raw, kSchedulePlacesSql);
        while (p.step())
            places.push_back(p.text(0) + QLatin1Char('\\') + p.text(1) + QStringLiteral("\\ ") + p.text(2));
        std::vector<std::pair<qint32, QString>> bookings;
        RawStatement b(setting().raw, kScheduleBookingsSql);
        b.bind(1, start.addDays(kScheduleDays).serial()).bind(2, start.serial());
        while (b.step())
            bookings.emplace_back(b.integer(0), b.text(4) + QStringLiteral(", ") + b.text(5));
        benchmark::DoNotOptimize(bookings.size() + places.size());
    }
}

void ScheduleScrollProgram(benchmark::State& state)
{
    UserControl1 schedule;
    showExposed(schedule);
    PlanState plan;
    const quint8 days = MaxWeekCols;
    fillAndPaint(schedule, plan);
    MaxWeekCols = days;
    QScrollBar* bar = nullptr;
    for (QScrollBar* candidate : schedule.findChildren<QScrollBar*>())
        if (candidate->orientation() == Qt::Vertical)
            bar = candidate;
    if (!bar || bar->maximum() <= 0) {
        state.SkipWithError("the schedule shows no vertical scroll bar");
        return;
    }
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->singleStep() <= bar->maximum() ? bar->value() + bar->singleStep() : 0);
        schedule.repaint();
    }
}

// Adding and laying out a year of bookings: the control alone.
void ScheduleYearModel(benchmark::State& state, int count)
{
    const rt::Date start = setting().monthStart.datePart();
    for (auto _ : state) {
        sched::ScheduleModel model;
        for (int p = 0; p < 300; ++p)
            model.addResource(p + 1, QString::number(p + 1), 0, p);
        model.setTableMode(10);
        model.setTimeScaleUnit(QStringLiteral("d"));
        model.setTimeScaleInterval(1);
        model.resize(QSize(1400, 900));
        model.paintResources();
        model.setScaleDateTimeLimits(start, start.addDays(365));
        model.paintScale();
        for (int i = 0; i < count; ++i) {
            const rt::Date from = start.addDays(i % 365);
            model.addTimeObject(0, i + 1, i % 300 + 1, 2, from, from.addDays(3), 0, QString());
        }
        model.paintTimeObjects();
    }
}

// ------------------------------------------------------------ the floor plan

// The refresh of the plan on its floor-plan tab: the markers of the floor
// shown, the building grid and this workstation's access.
void PlanRefreshProgram(benchmark::State& state)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    for (auto _ : state)
        plan.ActualizeControls();
}

void PlanRefreshRaw(benchmark::State& state)
{
    const rt::Date from = setting().today.addHours(12);
    const rt::Date to = setting().today.addDays(1).addHours(12);
    const qint32 floor = frmStockwerke::instance().state().CurrentFloorId;
    for (auto _ : state) {
        int markers = 0;
        RawStatement places(setting().raw, "SELECT * FROM tbl_places WHERE pl_floor_id = ? ORDER BY pl_id");
        places.bind(1, floor);
        while (places.step())
            ++markers;
        RawStatement occupied(
            setting().raw,
            "SELECT DISTINCT pl_id FROM tbl_bookings INNER JOIN tbl_places ON tbl_bookings.book_place_id = "
            "tbl_places.pl_id WHERE book_cust_count > 0 AND pl_disabled = 0 AND pl_floor_id = ? AND book_start < ? "
            "AND book_end > ? ORDER BY pl_id");
        occupied.bind(1, floor).bind(2, to.serial()).bind(3, from.serial());
        while (occupied.step())
            --markers;
        markers += rawGrid(setting().raw, setting().today, setting().today.addDays(1));
        RawStatement access(setting().raw, "UPDATE tbl_workstations SET ws_lastaccess = ? WHERE ws_computername = ?");
        access.bind(1, rt::Date::now().serial()).bind(2, ComputerName.toUtf8());
        access.step();
        benchmark::DoNotOptimize(markers);
    }
}

// ------------------------------------------------------------ a long list

void CustomerComboProgram(benchmark::State& state)
{
    QComboBox combo;
    for (auto _ : state)
        FillListFromTable(&combo, QStringLiteral("tbl_customers"), QStringLiteral("cust_id"),
                          QStringLiteral("cust_lastname"), 0, 0, QString());
}

void CustomerComboRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement st(setting().raw, "SELECT cust_id, cust_lastname FROM tbl_customers ORDER BY cust_id");
        QStringList names;
        while (st.step())
            names << st.text(1);
        benchmark::DoNotOptimize(names);
    }
}

// ------------------------------------------------------------ set-up

struct Case {
    const char* name;
    void (*program)(benchmark::State&);
    void (*raw)(benchmark::State&);
    double targetMs;   // 0: none of its own (within 2x of raw)
};

QString copyDatabase(const QString& source, const QTemporaryDir& dir)
{
    const QString copy = dir.filePath(QStringLiteral("bench.mdb"));
    if (!QFile::copy(source, copy))
        return {};
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    return copy;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QString source;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--db" && i + 1 < argc)
            source = QString::fromLocal8Bit(argv[++i]);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    QApplication app(count, args.data());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&count, args.data());
    if (source.isEmpty() || !QFile::exists(source)) {
        std::fprintf(stderr, "velmorant_bench: --db names the database velmorant_makebench wrote\n");
        return 2;
    }

    QTemporaryDir work;
    Setting& s = setting();
    s.programFolder = work.path();
    s.database = copyDatabase(source, work);
    if (s.database.isEmpty()) {
        std::fprintf(stderr, "velmorant_bench: cannot copy %s\n", qPrintable(source));
        return 1;
    }
    QFile ini(work.filePath(QStringLiteral("velmorant.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("DBname=bench.mdb\r\n") < 0)
        return 1;
    ini.close();

    ui::DialogService::install(std::make_unique<PrintingDialogs>());
    Windows().initMainWindow = [] { frmStockwerke::instance().init(); };
    Windows().endProgram = [] { throw ProgramEnded(); };
    StartProgram(s.programFolder);
    if (!Db) {
        std::fprintf(stderr, "velmorant_bench: the program could not open %s\n", qPrintable(s.database));
        return 1;
    }
    sqlite3_open_v2(QFile::encodeName(s.database).constData(), &s.raw, SQLITE_OPEN_READWRITE, nullptr);
    db::registerJetFunctions(s.raw);

    s.today = rt::Date::today().atNoon();
    const QDate first = QDate(s.today.year(), s.today.month(), 1);
    s.monthStart = rt::Date::fromDate(first).atNoon();
    s.monthEnd = rt::Date::fromDate(first.addMonths(1)).atNoon();
    // A week five years back on one place: the checks must not walk the years after it.
    s.conflictStart = s.today.addYears(-5);
    s.conflictEnd = s.conflictStart.addDays(7);
    {
        RawStatement pick(s.raw, "SELECT book_id FROM tbl_bookings WHERE book_place_id = 17 AND book_end > ? "
                                 "ORDER BY book_end LIMIT 1");
        pick.bind(1, s.today.serial());
        if (pick.step())
            s.storeBooking = pick.integer(0);
    }

    const std::vector<Case> cases = {
        {"Start bis Hauptfenster", StartProgramCase, StartRaw, 1000},
        {"Gebäudegitter (FillListBuildings)", BuildingGridProgram, BuildingGridRaw, 50},
        {"CheckBookingConflicts", ConflictsProgram, ConflictsRaw, 50},
        {"StoreBooking (Änderung)", StoreChangedProgram, StoreChangedRaw, 50},
        {"StoreBooking (neu)", StoreNewProgram, StoreNewRaw, 50},
        {"Primärschlüssel lesen (Kunde)", PrimaryKeyProgram, PrimaryKeyRaw, 0},
        {"Adresssuche Name 'Mü*'", NameSearchProgram, NameSearchRaw, 20},
        {"Adresssuche PLZ '803*'", ZipSearchProgram, ZipSearchRaw, 20},
        {"Adressbuch-Suche 'Müller' (beide Schreibungen)", UmlautSearchProgram, UmlautSearchRaw, 20},
        {"Buchungen jetzt (Now())", NowProgram, NowRaw, 50},
        {"Buchungen des Monats", MonthProgram, MonthRaw, 50},
        {"Alle Buchungen nach Anreise", AllBookingsProgram, AllBookingsRaw, 100},
        {"Buchungsliste auf allen Buchungen", BookingListProgram, BookingListRaw, 100},
        {"Buchungsliste nach Abreise sortiert", BookingListSortProgram, nullptr, 100},
        {"Buchungsliste nach Gast sortiert", BookingListGuestSortProgram, nullptr, 0},
        {"Rechnung laden und summieren (Rechnungsfenster)", InvoiceProgram, InvoiceRaw, 50},
        {"Etagenplan aktualisieren (ActualizeControls)", PlanRefreshProgram, PlanRefreshRaw, 50},
        {"Belegungsplan füllen+zeichnen 300x31", ScheduleProgram, ScheduleRaw, 50},
        {"Belegungsplan Bildlauf", ScheduleScrollProgram, nullptr, 16},
        {"50.000 Kunden im Kombinationsfeld", CustomerComboProgram, CustomerComboRaw, 0},
    };
    bench::TableReporter reporter;
    for (const Case& c : cases) {
        reporter.addCase(c.name, c.targetMs);
        benchmark::RegisterBenchmark((std::string(c.name) + "/Programm").c_str(), c.program)
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.1);
        if (c.raw)
            benchmark::RegisterBenchmark((std::string(c.name) + "/SQLite").c_str(), c.raw)
                ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.1);
    }
    for (int n : {1000, 10000}) {
        const std::string name = "Zeitplan-Modell " + std::to_string(n) + " Termine";
        reporter.addCase(name, 0);
        benchmark::RegisterBenchmark((name + "/Programm").c_str(),
                                     [n](benchmark::State& state) { ScheduleYearModel(state, n); })
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.1);
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable();
    benchmark::Shutdown();

    sqlite3_close(s.raw);
    CloseProgramDatabase();
    return 0;
}
