// Times what users feel on the ten-year database (velmorant_makebench), each
// case through the program's own code and, where it reads the database, the
// same reading done with plain SQLite calls: the limit the program can reach.
//   velmorant_bench --db bench.mdb [benchmark options]
// Works on a copy of the file, since some cases write. Cold figures come
// from child processes: velmorant_bench --cold <case> --work <folder>.
#include "app/program.h"
#include "bench/bench.h"
#include "bench/table_reporter.h"
#include "core/bookings.h"
#include "core/buildinggrid.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/database.h"
#include "core/globals.h"
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
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <regex>
#include <vector>

namespace bench {

Setting& setting()
{
    static Setting s;
    return s;
}

qint32 nextId(qint32& counter, qint32 count)
{
    counter = counter * 7919 % count + 1;
    return counter;
}

}  // namespace bench

namespace {

using bench::nextId;
using bench::paintNow;
using bench::RawStatement;
using bench::setting;
using bench::Setting;

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

// ------------------------------------------------------------ start and grid

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

// A week of the plan: this one, or one five years back.
struct Week {
    rt::Date start;
    rt::Date end;
};

Week thisWeek()
{
    const rt::Date monday = setting().today.addDays(1 - setting().today.toQDate().dayOfWeek());
    return {monday, monday.addDays(7)};
}

Week pastWeek()
{
    return {setting().pastWeek, setting().pastWeek.addDays(7)};
}

void BuildingGridProgram(benchmark::State& state, const Week& week)
{
    QTableWidget grid;
    QLabel label;
    InitBuildingGridHeader(&grid);
    for (auto _ : state)
        FillListBuildings(&grid, 1, week.start, week.end, &label);
}

void BuildingGridRaw(benchmark::State& state, const Week& week)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(rawGrid(setting().raw, week.start, week.end));
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
    std::optional<RowValues> loaded = ReadBookingRow(setting().storeBooking);
    if (!loaded) {
        state.SkipWithError("no booking to change");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        const RowValues changed{{QStringLiteral("book_info"), QStringLiteral("Anreise gegen %1 Uhr").arg(14 + n++ % 6)}};
        const StoreOutcome outcome = StoreBookingChanges(setting().storeBooking, *loaded, changed, {});
        if (outcome.result != StoreResult::Stored)
            state.SkipWithError("not stored");
        loaded = outcome.row;
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
        OpenedDb().execute(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = ?"), {booking.book_id});
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
        const std::optional<Customer> customer = LoadCustomer(nextId(counter, 50000));
        benchmark::DoNotOptimize(customer->cust_lastname + customer->cust_firstname + customer->cust_zip +
                                 customer->cust_city);
    }
}

void PrimaryKeyRaw(benchmark::State& state)
{
    qint32 counter = 1;
    for (auto _ : state) {
        RawStatement st(setting().raw, "SELECT * FROM tbl_customers WHERE cust_id = ?");
        st.bind(1, nextId(counter, 50000)).step();
        QString name = st.text(2) + st.text(3) + st.text(6) + st.text(7);
        benchmark::DoNotOptimize(name);
    }
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
        benchmark::DoNotOptimize(session.Totals->gross);
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

// The schedule tab's fill of the whole facility over 31 days from the first
// day, as the window runs it, and its first paint.
void fillAndPaint(UserControl1& schedule, PlanState& state, const rt::Date& first)
{
    MaxWeekCols = kScheduleDays;
    FillSchedule(schedule, state, -1, -1, first);
    schedule.repaint();
}

void ScheduleProgram(benchmark::State& state, const rt::Date& first)
{
    UserControl1 schedule;
    showExposed(schedule);
    PlanState plan;
    const quint8 days = MaxWeekCols;
    for (auto _ : state)
        fillAndPaint(schedule, plan, first);
    MaxWeekCols = days;
}

void ScheduleRaw(benchmark::State& state, const rt::Date& first)
{
    const rt::Date start = first.datePart();
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
    fillAndPaint(schedule, plan, setting().monthStart);
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

// The refresh of the plan on its floor-plan tab for a week: the markers of
// the floor shown with its occupied places, the building grid and this
// workstation's access.
void PlanRefreshProgram(benchmark::State& state, const Week& week)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    const std::array<rt::Date, 2> period = SelectedPeriod;
    SelectedPeriod = {week.start, week.end};
    for (auto _ : state)
        plan.ActualizeControls();
    SelectedPeriod = period;
}

void PlanRefreshRaw(benchmark::State& state, const Week& week)
{
    const rt::Date from = week.start;
    const rt::Date to = week.end;
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
        markers += rawGrid(setting().raw, from, to);
        RawStatement access(setting().raw, "UPDATE tbl_workstations SET ws_lastaccess = ? WHERE ws_computername = ?");
        access.bind(1, rt::Date::now().serial()).bind(2, ComputerName.toUtf8());
        access.step();
        benchmark::DoNotOptimize(markers);
    }
}

// ------------------------------------------------------------ the start

// The program started as a whole process, as its executable starts, until
// its main window has painted: the probe beside the benchmark runs the
// program's own start and says "painted" then. Each start is a process of its
// own in the program folder of the working copy.
std::optional<double> startProcessMs(const QString& probe)
{
    QProcess process;
    process.setProgram(probe);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start();
    QByteArray said;
    while (!said.contains("painted\n") && process.waitForReadyRead(20000))
        said += process.readAllStandardOutput();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!process.waitForFinished(5000))
        process.kill();
    if (!said.contains("painted\n"))
        return std::nullopt;
    return ms;
}

// ------------------------------------------------------------ set-up

struct Case {
    std::string name;
    std::function<void(benchmark::State&)> program;
    std::function<void(benchmark::State&)> raw;
    double targetMs;   // 0: none of its own (within 2x of raw)
};

QString copyFile(const QString& source, const QString& copy)
{
    QFile::remove(copy);
    if (!QFile::copy(source, copy))
        return {};
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    return copy;
}

constexpr int kRepetitions = 7;

benchmark::internal::Benchmark* registerTimed(const std::string& name,
                                              const std::function<void(benchmark::State&)>& fn)
{
    return benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->MinTime(0.1);
}

// The window case warm: each action timed alone, prepare and tidy outside.
void runWarm(benchmark::State& state, const bench::WindowCase& c)
{
    // The first action warms the program; the figures are of every later one.
    c.prepare();
    c.act();
    c.tidy();
    for (auto _ : state) {
        c.prepare();
        QElapsedTimer clock;
        clock.start();
        c.act();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        c.tidy();
    }
}

// Starts the program on the working copy in folder, as the program starts,
// and the plain connection beside it.
bool startProgramIn(const QString& folder)
{
    Setting& s = setting();
    s.programFolder = folder;
    ui::DialogService::install(std::make_unique<PrintingDialogs>());
    InstallWindowEntryPoints();
    Windows().endProgram = [] { throw ProgramEnded(); };
    StartProgram(s.programFolder);
    s.database = DbPath;
    if (!Db) {
        std::fprintf(stderr, "velmorant_bench: the program could not open %s\n", qPrintable(s.database));
        return false;
    }
    sqlite3_open_v2(QFile::encodeName(s.database).constData(), &s.raw, SQLITE_OPEN_READWRITE, nullptr);
    db::registerJetFunctions(s.raw);
    // The same page cache as the program's connection.
    sqlite3_exec(s.raw, ("PRAGMA cache_size = " + std::to_string(db::kCacheSizePragma)).c_str(), nullptr, nullptr, nullptr);

    s.today = rt::Date::today().atNoon();
    const QDate first = QDate(s.today.year(), s.today.month(), 1);
    s.monthStart = rt::Date::fromDate(first).atNoon();
    s.monthEnd = rt::Date::fromDate(first.addMonths(1)).atNoon();
    const QDate past = s.today.toQDate().addYears(-5);
    s.pastWeek = rt::Date::fromDate(past.addDays(1 - past.dayOfWeek())).atNoon();
    s.pastMonthStart = rt::Date::fromDate(QDate(past.year(), past.month(), 1)).atNoon();
    // A week five years back on one place: the checks must not walk the years after it.
    s.conflictStart = s.today.addYears(-5);
    s.conflictEnd = s.conflictStart.addDays(7);
    RawStatement pick(s.raw, "SELECT book_id FROM tbl_bookings WHERE book_place_id = 17 AND book_end > ? "
                             "ORDER BY book_end LIMIT 1");
    pick.bind(1, s.today.serial());
    if (pick.step())
        s.storeBooking = pick.integer(0);
    if (frmStockwerke::isLoaded())
        paintNow(&frmStockwerke::instance());
    return true;
}

// One cold action: the program started fresh in this process, the case's
// preparation, then its action timed once. Prints the milliseconds.
int runColdChild(const QString& folder, int index)
{
    if (!startProgramIn(folder))
        return 1;
    const std::vector<bench::WindowCase> cases = bench::windowCases();
    if (index < 0 || index >= static_cast<int>(cases.size()))
        return 2;
    const bench::WindowCase& c = cases[static_cast<size_t>(index)];
    c.prepare();
    QElapsedTimer clock;
    clock.start();
    c.act();
    std::printf("%.4f\n", static_cast<double>(clock.nsecsElapsed()) / 1e6);
    std::fflush(stdout);
    // The figure is out; how the program would end is not part of it.
    std::_Exit(0);
}

std::optional<double> runColdOnce(const QString& folder, int index)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--cold"), QString::number(index), QStringLiteral("--work"), folder});
    if (!child.waitForFinished(120000)) {
        child.kill();
        return std::nullopt;
    }
    bool ok = false;
    const double ms = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(ms) : std::nullopt;
}

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Google's own filter decides which cases run; the cold runs follow it.
bool selected(const std::string& name, const std::string& filter)
{
    return filter.empty() || filter == "all" || std::regex_search(name, std::regex(filter));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QString source;
    QString coldFolder;
    int coldIndex = -1;
    std::string filter;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--db" && i + 1 < argc)
            source = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--cold" && i + 1 < argc)
            coldIndex = QByteArray(argv[++i]).toInt();
        else if (arg == "--work" && i + 1 < argc)
            coldFolder = QString::fromLocal8Bit(argv[++i]);
        else {
            if (arg.startsWith("--benchmark_filter="))
                filter = arg.mid(static_cast<int>(std::strlen("--benchmark_filter="))).toStdString();
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    QApplication app(count, args.data());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setQuitOnLastWindowClosed(false);
    if (coldIndex >= 0)
        return runColdChild(coldFolder, coldIndex);

    benchmark::Initialize(&count, args.data());
    if (source.isEmpty() || !QFile::exists(source)) {
        std::fprintf(stderr, "velmorant_bench: --db names the database velmorant_makebench wrote\n");
        return 2;
    }

    QTemporaryDir work;
    if (copyFile(source, work.filePath(QStringLiteral("bench.mdb"))).isEmpty()) {
        std::fprintf(stderr, "velmorant_bench: cannot copy %s\n", qPrintable(source));
        return 1;
    }
    // A program folder may hold one running copy: the cold runs and the start
    // probe get folders of their own, whose settings name the same copy.
    const QString coldWork = work.filePath(QStringLiteral("cold"));
    const QString startWork = work.filePath(QStringLiteral("start"));
    for (const QString& folder : {work.path(), coldWork, startWork}) {
        QDir().mkpath(folder);
        QFile ini(QDir(folder).filePath(QStringLiteral("velmorant.ini")));
        const QByteArray name = QFile::encodeName(work.filePath(QStringLiteral("bench.mdb")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("DBname=" + name + "\r\n") < 0)
            return 1;
    }
    const QString probe = copyFile(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velmorant_startprobe")),
                                   QDir(startWork).filePath(QStringLiteral("velmorant_startprobe")));
    if (!probe.isEmpty())
        QFile::setPermissions(probe, QFile::permissions(probe) | QFile::ExeOwner);
    if (!startProgramIn(work.path()))
        return 1;

    const Week week = thisWeek();
    const Week past = pastWeek();
    const std::vector<Case> cases = {
        {"Gebäudegitter diese Woche", [week](auto& st) { BuildingGridProgram(st, week); },
         [week](auto& st) { BuildingGridRaw(st, week); }, 50},
        {"Gebäudegitter vor fünf Jahren", [past](auto& st) { BuildingGridProgram(st, past); },
         [past](auto& st) { BuildingGridRaw(st, past); }, 50},
        {"CheckBookingConflicts", ConflictsProgram, ConflictsRaw, 50},
        {"StoreBooking (Änderung)", StoreChangedProgram, StoreChangedRaw, 50},
        {"StoreBooking (neu)", StoreNewProgram, StoreNewRaw, 50},
        {"Kunde laden (LoadCustomer)", PrimaryKeyProgram, PrimaryKeyRaw, 0},
        {"Rechnung laden und summieren (Rechnungsfenster)", InvoiceProgram, InvoiceRaw, 50},
        {"Etagenplan aktualisieren diese Woche", [week](auto& st) { PlanRefreshProgram(st, week); },
         [week](auto& st) { PlanRefreshRaw(st, week); }, 50},
        {"Etagenplan aktualisieren vor fünf Jahren", [past](auto& st) { PlanRefreshProgram(st, past); },
         [past](auto& st) { PlanRefreshRaw(st, past); }, 50},
        {"Belegungsplan füllen+zeichnen 300x31 dieser Monat",
         [](auto& st) { ScheduleProgram(st, setting().monthStart); },
         [](auto& st) { ScheduleRaw(st, setting().monthStart); }, 50},
        {"Belegungsplan füllen+zeichnen 300x31 vor fünf Jahren",
         [](auto& st) { ScheduleProgram(st, setting().pastMonthStart); },
         [](auto& st) { ScheduleRaw(st, setting().pastMonthStart); }, 50},
        {"Belegungsplan Bildlauf", ScheduleScrollProgram, nullptr, 16},
    };
    const std::vector<bench::WindowCase> windowCases = bench::windowCases();

    bench::TableReporter reporter;
    const std::string startName = "Start als Prozess bis zum gezeichneten Hauptfenster";
    reporter.addCase(startName, 0, 1000);
    registerTimed(startName + "/SQLite", StartRaw);
    for (const bench::WindowCase& c : windowCases) {
        reporter.addCase(c.name, c.warmTargetMs, c.coldTargetMs);
        // A window's action takes up to a tenth of a second: more of them per
        // repetition keep the median steady on a shared machine.
        registerTimed(c.name + "/Programm", [&c](benchmark::State& st) { runWarm(st, c); })->UseManualTime()->MinTime(0.5);
        if (c.raw)
            registerTimed(c.name + "/SQLite", c.raw);
    }
    for (const Case& c : cases) {
        reporter.addCase(c.name, c.targetMs);
        registerTimed(c.name + "/Programm", c.program);
        if (c.raw)
            registerTimed(c.name + "/SQLite", c.raw);
    }
    for (int n : {1000, 10000}) {
        const std::string name = "Zeitplan-Modell " + std::to_string(n) + " Termine";
        reporter.addCase(name, 0);
        registerTimed(name + "/Programm", [n](benchmark::State& state) { ScheduleYearModel(state, n); });
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Cold: every start and every first action in a process of its own.
    if (selected(startName, filter)) {
        std::vector<double> starts;
        for (int i = 0; i < kRepetitions && !probe.isEmpty(); ++i)
            if (const std::optional<double> ms = startProcessMs(probe))
                starts.push_back(*ms);
        if (const std::optional<double> m = median(starts))
            reporter.setCold(startName, *m);
        else
            std::fprintf(stderr, "velmorant_bench: the start probe did not report a painted window\n");
    }
    for (size_t i = 0; i < windowCases.size(); ++i) {
        if (!selected(windowCases[i].name, filter))
            continue;
        std::vector<double> runs;
        for (int r = 0; r < kRepetitions; ++r)
            if (const std::optional<double> ms = runColdOnce(coldWork, static_cast<int>(i)))
                runs.push_back(*ms);
        if (const std::optional<double> m = median(runs)) {
            reporter.setCold(windowCases[i].name, *m);
            std::fprintf(stderr, "%s/kalt: %.2f ms\n", windowCases[i].name.c_str(), *m);
        }
    }
    reporter.printTable();
    benchmark::Shutdown();

    sqlite3_close(setting().raw);
    CloseProgramDatabase();
    return 0;
}
