// The windows a user waits for on the ten-year database, each timed from the
// action (a call of the window's entry point, a click, a key) to the painted
// window, beside the plain reading of the same rows.
#include "bench/bench.h"

#include "bookings/bookinglist.h"
#include "bookings/frmAdressen.h"
#include "bookings/frmBuchungen.h"
#include "core/conflicts.h"
#include "core/dialogs/resourceeditor.h"
#include "invoicing/frmRechnung.h"
#include "plan/frmMandanten.h"
#include "platform/db/jetfunctions.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include <algorithm>

namespace bench {

void paintNow(QWidget* widget)
{
    QWidget* top = widget->window();
    for (int i = 0; i < 200 && !(top->windowHandle() && top->windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    top->repaint();
}

void clickHeader(QTableView* view, int column)
{
    QHeaderView* header = view->horizontalHeader();
    const QPoint middle(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
}

namespace {

void closeNow(QWidget* window)
{
    window->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ------------------------------------------------------------ booking list

frmBuchungen& bookingWindow()
{
    return frmBuchungen::instance();
}

void showAllBookings()
{
    bookingWindow().ShowBookings(QString(), -1, -1, false, 1);
    paintNow(&bookingWindow());
}

// The list of every booking unless it is shown already.
void ensureAllBookings()
{
    frmBuchungen& w = bookingWindow();
    if (!w.isVisible() || w.ListView1->model()->rowCount() < 90000)
        showAllBookings();
}

int sortedBy(QTableView* view)
{
    return view->horizontalHeader()->isSortIndicatorShown() ? view->horizontalHeader()->sortIndicatorSection() : -1;
}

// The rows of sql for the sorted ids: a stretch where they lie close
// together, else by the ids themselves, as the booking list reads names.
void rawRowsOfIds(const QByteArray& sql, const QByteArray& idColumn, std::vector<int> ids,
                  const std::function<void(RawStatement&)>& take)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    constexpr size_t chunk = 500;
    for (size_t first = 0; first < ids.size(); first += chunk) {
        const size_t n = std::min(chunk, ids.size() - first);
        const int low = ids[first];
        const int high = ids[first + n - 1];
        if (static_cast<size_t>(high - low + 1) <= 2 * n) {
            RawStatement st(setting().raw, (sql + " WHERE " + idColumn + " BETWEEN ? AND ?").constData());
            st.bind(1, low).bind(2, high);
            size_t next = first;
            while (st.step()) {
                const int id = st.integer(0);
                while (next < first + n && ids[next] < id)
                    ++next;
                if (next < first + n && ids[next] == id)
                    take(st);
            }
            continue;
        }
        QByteArray marks;
        for (size_t i = 0; i < n; ++i)
            marks += i ? ",?" : "?";
        RawStatement st(setting().raw, (sql + " WHERE " + idColumn + " IN (" + marks + ")").constData());
        for (size_t i = 0; i < n; ++i)
            st.bind(static_cast<int>(i) + 1, ids[first + i]);
        while (st.step())
            take(st);
    }
}

// The bookings the filter lists, read plainly: the bookings alone, newest
// start first, then the names of the guests and places of the first 200
// lines, the ones the list reads for its first screen.
void rawBookingList(const char* bookingsSql, const std::function<void(RawStatement&)>& bindParams)
{
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
        RawStatement st(setting().raw, bookingsSql);
        bindParams(st);
        while (st.step())
            lines.push_back({st.integer(0), st.real(1), st.real(2), st.integer(3), st.integer(4), st.integer(5)});
    }
    std::sort(lines.begin(), lines.end(),
              [](const Line& a, const Line& b) { return a.start != b.start ? a.start > b.start : a.id > b.id; });
    std::vector<int> guestIds;
    std::vector<int> placeIds;
    for (size_t i = 0; i < lines.size() && i < 200; ++i) {
        guestIds.push_back(lines[i].guest);
        placeIds.push_back(lines[i].place);
    }
    QHash<int, std::pair<QString, QString>> guests;
    rawRowsOfIds("SELECT cust_id, cust_lastname, cust_firstname FROM tbl_customers", "cust_id", guestIds,
                 [&guests](RawStatement& st) { guests.insert(st.integer(0), {st.text(1), st.text(2)}); });
    QHash<int, QString> places;
    rawRowsOfIds("SELECT pl_id, bld_short, flr_short, pl_name FROM (tbl_places LEFT JOIN tbl_floors ON "
                 "tbl_places.pl_floor_id = tbl_floors.flr_id) LEFT JOIN tbl_buildings ON "
                 "tbl_floors.flr_building_id = tbl_buildings.bld_id",
                 "pl_id", placeIds,
                 [&places](RawStatement& st) { places.insert(st.integer(0), st.text(1) + st.text(2) + st.text(3)); });
    benchmark::DoNotOptimize(lines.data());
    benchmark::DoNotOptimize(guests.size() + places.size());
}

void BookingListAllRaw(benchmark::State& state)
{
    for (auto _ : state)
        rawBookingList("SELECT book_id, book_start, book_end, book_cust_count, book_customer_id, book_place_id "
                       "FROM tbl_bookings WHERE (book_mandant_id = 1)",
                       [](RawStatement&) {});
}

// The first bookings by id, to show how the list grows with its length.
void rawFirstBookings(benchmark::State& state, int count)
{
    for (auto _ : state)
        rawBookingList("SELECT book_id, book_start, book_end, book_cust_count, book_customer_id, book_place_id "
                       "FROM tbl_bookings WHERE (book_id <= ?)",
                       [count](RawStatement& st) { st.bind(1, count); });
}

void FirstQuarterRaw(benchmark::State& state)
{
    rawFirstBookings(state, 25000);
}

void FirstHalfRaw(benchmark::State& state)
{
    rawFirstBookings(state, 50000);
}

void BookingListTodayRaw(benchmark::State& state)
{
    for (auto _ : state)
        rawBookingList("SELECT book_id, book_start, book_end, book_cust_count, book_customer_id, book_place_id "
                       "FROM tbl_bookings WHERE (book_mandant_id = 1) AND book_end >= ?",
                       [](RawStatement& st) { st.bind(1, rt::Date::today().serial()); });
}

// ------------------------------------------------------------ address book

frmAdressen& addressBook()
{
    return frmAdressen::instance();
}

void openAddressBook()
{
    if (!frmAdressen::isLoaded() || !addressBook().isVisible()) {
        frmAdressen::ShowAdresse(0, nullptr);
        paintNow(&addressBook());
    }
}

// Typed into the search box and started with the search button.
void searchAddresses(const QString& text)
{
    frmAdressen& w = addressBook();
    w.tbSuche->setText(text);
    QTest::mouseClick(w.btnSearch, Qt::LeftButton);
    paintNow(&w);
}

void ensureEveryAddress()
{
    openAddressBook();
    if (addressBook().resultList().customerCount() < 40000)
        searchAddresses(QStringLiteral("*"));
}

// The address book's result list for a condition, read plainly; ?1 takes
// the bound text.
void rawAddressList(benchmark::State& state, const QString& condition, const QByteArray& bound = QByteArray())
{
    const QByteArray sql = (QStringLiteral("SELECT cust_id, cust_firstname, cust_lastname, cust_company, cust_ext_id, "
                                           "cust_birthday FROM tbl_customers WHERE ") +
                            condition + QStringLiteral(" ORDER BY cust_lastname, cust_firstname"))
                               .toUtf8();
    for (auto _ : state) {
        RawStatement st(setting().raw, sql.constData());
        if (!bound.isNull())
            st.bind(1, bound);
        int n = 0;
        while (st.step()) {
            n += st.integer(0) > 0;
            benchmark::DoNotOptimize(st.text(1) + st.text(2) + st.text(3));
            benchmark::DoNotOptimize(st.real(5));
        }
        benchmark::DoNotOptimize(n);
    }
}

// A pattern over the five columns the address book searches with one.
void rawPatternSearch(benchmark::State& state, const char* pattern)
{
    rawAddressList(state,
                   QStringLiteral("cust_lastname Like ?1 OR cust_firstname Like ?1 OR cust_company Like ?1 OR "
                                  "cust_street Like ?1 OR cust_info Like ?1"),
                   QByteArray(pattern));
}

void EveryAddressRaw(benchmark::State& state)
{
    rawPatternSearch(state, "*");
}

void MannRaw(benchmark::State& state)
{
    rawPatternSearch(state, "*mann");
}

// A prefix as the address book searches it: last name in both umlaut
// spellings or company, each behind its index range.
void rawPrefixSearch(benchmark::State& state, const QString& typed, const QString& swapped)
{
    rawAddressList(state, db::sqlLike(QStringLiteral("cust_lastname"), typed + QLatin1Char('*')) + QStringLiteral(" OR ") +
                              db::sqlLike(QStringLiteral("cust_lastname"), swapped + QLatin1Char('*')) +
                              QStringLiteral(" OR ") +
                              db::sqlLike(QStringLiteral("cust_company"), typed + QLatin1Char('*')));
}

void MuRaw(benchmark::State& state)
{
    rawPrefixSearch(state, QStringLiteral("Mü"), QStringLiteral("mue"));
}

void MuellerRaw(benchmark::State& state)
{
    rawPrefixSearch(state, QStringLiteral("Müller"), QStringLiteral("mueller"));
}

// ------------------------------------------------------------ table editor

void openTable(const char* table)
{
    frmResourcen::ShowRessources(QString::fromLatin1(table), QStringLiteral("Tabelle"));
    paintNow(&frmResourcen::instance());
}

void closeTable()
{
    if (frmResourcen::isLoaded())
        closeNow(&frmResourcen::instance());
}

// What the editor reads for its first screen: the number of rows and the
// first page with every column.
void rawFirstScreen(benchmark::State& state, const char* table)
{
    const QByteArray count = QByteArray("SELECT count(*), max(rowid) FROM ") + table;
    const QByteArray page = QByteArray("SELECT rowid, * FROM ") + table + " WHERE rowid <= ? ORDER BY rowid LIMIT 200";
    for (auto _ : state) {
        RawStatement counted(setting().raw, count.constData());
        counted.step();
        RawStatement first(setting().raw, page.constData());
        first.bind(1, counted.real(1));
        int cells = 0;
        while (first.step()) {
            for (int i = 0; i < first.columns(); ++i) {
                if (first.type(i) == SQLITE_TEXT)
                    benchmark::DoNotOptimize(first.text(i));
                else
                    benchmark::DoNotOptimize(first.real(i));
                ++cells;
            }
        }
        benchmark::DoNotOptimize(cells + counted.integer(0));
    }
}

void BookingsTableRaw(benchmark::State& state)
{
    rawFirstScreen(state, "tbl_bookings");
}

void CustomersTableRaw(benchmark::State& state)
{
    rawFirstScreen(state, "tbl_customers");
}

// The jump to the end: the keys up to the last page, then that page.
void BookingsTableEndRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement counted(setting().raw, "SELECT count(*), max(rowid) FROM tbl_bookings");
        counted.step();
        const int rows = counted.integer(0);
        std::vector<qint64> keys;
        RawStatement before(setting().raw, "SELECT rowid FROM tbl_bookings WHERE rowid > ? AND rowid <= ? "
                                           "ORDER BY rowid LIMIT ?");
        before.bind(1, 200).bind(2, counted.real(1)).bind(3, (rows - 1) / 200 * 200 - 200);
        while (before.step())
            keys.push_back(before.integer(0));
        RawStatement page(setting().raw, "SELECT rowid, * FROM tbl_bookings WHERE rowid > ? AND rowid <= ? "
                                         "ORDER BY rowid LIMIT 200");
        page.bind(1, keys.empty() ? 0.0 : static_cast<double>(keys.back())).bind(2, counted.real(1));
        int cells = 0;
        while (page.step())
            cells += page.columns();
        benchmark::DoNotOptimize(cells);
    }
}

// ------------------------------------------------------------ invoices

// A booking with an invoice: the invoice window opened from it.
struct InvoiceOfBooking {
    qint32 invoice = 0;
    qint32 customer = 0;
    qint32 booking = 0;
};

const InvoiceOfBooking& invoiceOfBooking()
{
    static const InvoiceOfBooking found = [] {
        InvoiceOfBooking f;
        RawStatement st(setting().raw, "SELECT inv_id, inv_customer_id, inv_booking_id FROM tbl_invoice "
                                       "WHERE inv_booking_id > 0 AND inv_customer_id > 0 ORDER BY inv_id DESC LIMIT 1");
        if (st.step())
            f = {st.integer(0), st.integer(1), st.integer(2)};
        return f;
    }();
    return found;
}

void closeInvoiceWindow()
{
    // Closing runs the save rules: a new invoice left empty is dropped.
    if (frmRechnung::isLoaded() && frmRechnung::instance().isVisible())
        closeNow(&frmRechnung::instance());
}

void InvoiceWindowRaw(benchmark::State& state)
{
    for (auto _ : state) {
        RawStatement list(setting().raw,
                          "SELECT inv_id, inv_is_sent, ivs_name, inv_date, cust_company, cust_lastname, cust_firstname "
                          "FROM (tbl_invoice LEFT JOIN tbl_customers ON tbl_invoice.inv_customer_id = "
                          "tbl_customers.cust_id) LEFT JOIN tbl_invoice_status ON tbl_invoice.inv_status_id = "
                          "tbl_invoice_status.ivs_id WHERE inv_date > ? ORDER BY inv_date DESC, inv_id DESC");
        list.bind(1, rt::Date::today().datePart().addMonths(-90).serial());
        int n = 0;
        while (list.step()) {
            n += list.integer(0) > 0;
            benchmark::DoNotOptimize(list.text(2) + list.text(4) + list.text(5) + list.text(6));
            benchmark::DoNotOptimize(list.real(3));
        }
        benchmark::DoNotOptimize(n);
    }
}

}  // namespace

std::vector<WindowCase> windowCases()
{
    auto nothing = [] {};
    std::vector<WindowCase> cases;

    // The booking list; how it grows with its length: the first quarter and
    // half of the bookings, then all of them.
    cases.push_back({"Buchungsliste der ersten 25.000 Buchungen", nothing,
                     [] {
                         bookingWindow().ShowBookings(QStringLiteral("book_id <= 25000"), -1, -1, false, 1);
                         paintNow(&bookingWindow());
                     },
                     nothing, FirstQuarterRaw});
    cases.push_back({"Buchungsliste der ersten 50.000 Buchungen", nothing,
                     [] {
                         bookingWindow().ShowBookings(QStringLiteral("book_id <= 50000"), -1, -1, false, 1);
                         paintNow(&bookingWindow());
                     },
                     nothing, FirstHalfRaw});
    cases.push_back({"Buchungsliste aller Buchungen (100.000)", nothing, showAllBookings, nothing, BookingListAllRaw});
    cases.push_back({"Buchungsliste ab heute", nothing,
                     [] {
                         bookingWindow().ShowBookings(QString(), -1, -1, false, 0);
                         paintNow(&bookingWindow());
                     },
                     nothing, BookingListTodayRaw});
    // A click on the guest's header after another column, and the same
    // header clicked again.
    cases.push_back({"Buchungsliste: Klick auf Gast",
                     [] {
                         ensureAllBookings();
                         if (sortedBy(bookingWindow().ListView1) == BookingListModel::ColGuest)
                             clickHeader(bookingWindow().ListView1, BookingListModel::ColStart);
                     },
                     [] {
                         clickHeader(bookingWindow().ListView1, BookingListModel::ColGuest);
                         paintNow(&bookingWindow());
                     },
                     nothing});
    cases.push_back({"Buchungsliste: zweiter Klick auf Gast",
                     [] {
                         ensureAllBookings();
                         if (sortedBy(bookingWindow().ListView1) != BookingListModel::ColGuest)
                             clickHeader(bookingWindow().ListView1, BookingListModel::ColGuest);
                     },
                     [] {
                         clickHeader(bookingWindow().ListView1, BookingListModel::ColGuest);
                         paintNow(&bookingWindow());
                     },
                     nothing});
    cases.push_back({"Buchungsliste: Klick auf bis",
                     [] {
                         ensureAllBookings();
                         if (sortedBy(bookingWindow().ListView1) == BookingListModel::ColEnd)
                             clickHeader(bookingWindow().ListView1, BookingListModel::ColStart);
                     },
                     [] {
                         clickHeader(bookingWindow().ListView1, BookingListModel::ColEnd);
                         paintNow(&bookingWindow());
                     },
                     nothing});

    // The address book: searches typed into the search box, then clicks on
    // the headers of the list of every address.
    cases.push_back({"Adressbuch-Suche 'Mü'", openAddressBook, [] { searchAddresses(QStringLiteral("Mü")); }, nothing,
                     MuRaw});
    cases.push_back({"Adressbuch-Suche 'Müller'", openAddressBook, [] { searchAddresses(QStringLiteral("Müller")); },
                     nothing, MuellerRaw});
    cases.push_back({"Adressbuch-Suche '*mann'", openAddressBook, [] { searchAddresses(QStringLiteral("*mann")); },
                     nothing, MannRaw});
    cases.push_back({"Adressbuch-Suche '*' (alle Adressen)", openAddressBook,
                     [] { searchAddresses(QStringLiteral("*")); }, nothing, EveryAddressRaw});
    cases.push_back({"Adressliste aller Adressen: Klick auf Nachname",
                     [] {
                         ensureEveryAddress();
                         clickHeader(addressBook().ListView1, AddressListModel::FirstName);
                         paintNow(&addressBook());
                     },
                     [] {
                         clickHeader(addressBook().ListView1, AddressListModel::LastName);
                         paintNow(&addressBook());
                     },
                     nothing});
    cases.push_back({"Adressliste aller Adressen: Klick auf Vorname",
                     [] {
                         ensureEveryAddress();
                         clickHeader(addressBook().ListView1, AddressListModel::LastName);
                         paintNow(&addressBook());
                     },
                     [] {
                         clickHeader(addressBook().ListView1, AddressListModel::FirstName);
                         paintNow(&addressBook());
                     },
                     nothing});

    // The table editor opened on the two longest tables, and a jump to the
    // last row of one.
    cases.push_back({"Tabelleneditor tbl_bookings", nothing, [] { openTable("tbl_bookings"); }, closeTable,
                     BookingsTableRaw});
    cases.push_back({"Tabelleneditor tbl_customers", nothing, [] { openTable("tbl_customers"); }, closeTable,
                     CustomersTableRaw});
    cases.push_back({"Tabelleneditor tbl_bookings: Strg+Ende",
                     [] {
                         openTable("tbl_bookings");
                         // The user's click into the grid, then the keys.
                         QTableView* grid = frmResourcen::instance().grdDataGrid;
                         const QRect cell = grid->visualRect(grid->model()->index(0, 1));
                         QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
                         QApplication::processEvents();
                     },
                     [] {
                         QTableView* grid = frmResourcen::instance().grdDataGrid;
                         QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
                         paintNow(grid);
                     },
                     closeTable, BookingsTableEndRaw});

    // The invoice window as the facility overview opens it (no customer: the
    // invoices of 90 months to choose from), and from a booking.
    cases.push_back({"Rechnungsfenster ohne Kunde", nothing,
                     [] {
                         frmRechnung::instance().ShowRechnung(-1, -1, -1);
                         paintNow(&frmRechnung::instance());
                     },
                     closeInvoiceWindow, InvoiceWindowRaw});
    cases.push_back({"Rechnungsfenster aus einer Buchung", nothing,
                     [] {
                         const InvoiceOfBooking& i = invoiceOfBooking();
                         frmRechnung::instance().ShowRechnung(i.invoice, i.customer, i.booking);
                         paintNow(&frmRechnung::instance());
                     },
                     closeInvoiceWindow});

    cases.push_back({"Mandantenübersicht", nothing,
                     [] {
                         frmMandanten::showWindow();
                         paintNow(&frmMandanten::instance());
                     },
                     [] { frmMandanten::unload(); }});
    return cases;
}

}  // namespace bench
