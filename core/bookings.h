#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// Every read and write of tbl_bookings the windows need. Values are bound,
// never spliced into the SQL; failures throw db::DbError to the handler.

// The date a booking without an end carries: 01.01.3000 or later.
inline rt::Date OpenEndDate() { return rt::Date::fromParts(3000, 1, 1, 12); }
inline bool IsOpenEnd(const rt::Date& end) { return end >= rt::Date::fromParts(3000, 1, 1); }

struct Booking {
    qint32 book_id = 0;             // 0 or below: not stored yet
    qint32 book_mandant_id = 0;
    qint32 book_place_id = 0;
    qint32 book_customer_id = 0;
    int book_cust_count = 0;
    rt::Date book_start;            // the day at 12:00
    rt::Date book_end;              // the day at 12:00
    rt::Date book_bearb_date;       // set by StoreBooking
    QString book_info;
    int book_color_id = 0;
    // Older columns, carried along when a booking is copied.
    qint32 book_status_id = 0;
    QString book_cust_ids;
    qint32 book_bearb_id = 0;
    qint32 book_room_id = 0;
    QString book_name;
};

// nullopt when there is no such booking (another workstation deleted it).
std::optional<Booking> LoadBooking(qint32 bookId);

enum class StoreResult {
    Stored,
    PlaceOccupied,   // another booking with persons holds the place: nothing written
    NotFound,        // the booking was deleted meanwhile: nothing written
    PlaceMissing,    // no row of the place (none given, or deleted meanwhile): nothing written
    GuestMissing,    // the guest's row was deleted meanwhile: nothing written
    Cancelled,       // asked about another workstation's change, the user kept editing: nothing written
    PeriodInvalid,   // the departure's day is not after the arrival's (or a date cannot be read): nothing written
};

struct StoreOutcome {
    StoreResult result = StoreResult::Stored;
    qint32 placeId = 0;      // the occupied or missing place
    qint32 bookingId = 0;    // the booking that holds it (0 when it is one of the same move)
    qint32 customerId = 0;   // the missing guest
    // StoreBookingChanges: another workstation had changed the row since it
    // was read (its changes were kept, or the user was asked).
    bool changedElsewhere = false;
    QStringList notWritten;  // clashing columns that kept the stored value
    Booking stored;          // Stored by StoreBookingChanges: the booking as stored now
    RowValues row;           // the same, every column as read (a window's next loaded row)
    // Refused by StoreBookingChanges: the booking as it would have been
    // stored, merged with what another workstation changed meanwhile.
    Booking refused;
};

// A new booking (book_id 0 or below) from the booking panel or the booking
// window. Checks the place and writes inside one transaction, so of two
// workstations taking the same place and period only one succeeds. A place
// is occupied when another booking of it with persons overlaps the period
// (each starts before the other ends). The place must exist, and so must the
// guest when there is one (a customer id of 0 or below is none): a guest or
// place deleted at another workstation is never named by a new row. The
// booking gets its id. A stored booking changes only through what a window
// showed of it (StoreBookingChanges, DropDrawnBookings): one with an id is a
// fault of the caller and throws db::DbError.
StoreOutcome StoreBooking(Booking& booking);

// The columns a window edits of a booking: book_mandant_id, book_place_id,
// book_customer_id, book_cust_count, book_start, book_end (Null when zero),
// book_info and book_color_id. A window takes them from its fields right
// after loading a booking and again at the save (ChangedColumns).
RowValues BookingColumns(const Booking& booking);
// The booking's row as stored, every column; nullopt when it is gone.
std::optional<RowValues> ReadBookingRow(qint32 bookId);
Booking BookingFromRow(const RowValues& row);
// How the question about another workstation's change names the booking's
// fields (Zeitraum, Personen, Notiz, ...).
QList<MergeField> BookingMergeFields();

// A stored booking changed in a window that read it as `loaded`: writes only
// `changed` (of BookingColumns) and the edit time, keeps what another
// workstation changed since, and asks `ask` (outside the write lock) where
// both changed one field; arrival and departure are one field. The booking
// as it would be stored is checked as a typed one: its departure's day after
// its arrival's, its place and its guest (if it names one) there, and the
// place free when place, period or persons differ from the stored row. On
// Stored, outcome.stored holds the row; on a refusal, outcome.refused the
// booking that was refused.
StoreOutcome StoreBookingChanges(qint32 bookId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask);

// Arrival and departure: one field for a merge.
ColumnGroups BookingColumnGroups();

// Whether the booking's period is one a window accepts: both days readable
// and the departure's day after the arrival's.
bool IsValidPeriod(const rt::Date& start, const rt::Date& end);

// Deletes a booking a window shows as `shown` (its row as the window read
// it), asking as DeleteShownRow asks; only the columns of BookingColumns are
// compared. Throws db::DbError.
DeleteResult DeleteShownBooking(qint32 bookId, const RowValues& shown, const DeleteAsk& ask);

// For a refusal caused by a booking whose period cannot be read: a sentence
// naming it (number, guest, place) and how to mend it; "" when the booking's
// period can be read or it is gone.
QString UnreadableBookingText(qint32 bookId);

// The refusal of a booking because its place is occupied, in the windows'
// words, naming the place; with what took it when that is a booking whose
// period cannot be read, and with where and when the booking would have been
// when a merge with another workstation's change made it (merged).
QString OccupiedRefusalText(const QString& placeName, qint32 occupyingId, const std::optional<Booking>& merged = {});
// The refusal of a period whose departure is not after its arrival.
QString PeriodRefusalText(const std::optional<Booking>& merged = {});

// Values of a stored booking as the program can use them. A date is
// readable when it is a date from 01.01.100 to 31.12.9999; anything else (no
// date, text another tool wrote, a number beyond the calendar) reads as the
// zero date. A persons count that cannot be read (none, text, beyond a Long)
// reads as 1: nobody can tell that the place is free.
bool IsReadableDate(const db::Value& value);
rt::Date StoredDate(const db::Value& value);
int StoredPersons(const db::Value& value);

// A booking with persons (or a count that cannot be read) whose period cannot
// be read: it holds its place for any period. Each one found is noted, so
// that the user is told once which booking to mend (core/notices.h).
struct UnreadableBooking {
    qint32 book_id = 0;
    qint32 pl_id = 0;
};
// Those on the places that placeCondition, a condition over tbl_places with
// params bound, selects; other than those given.
std::vector<UnreadableBooking> UnreadableBookingsOn(const QString& placeCondition, const QList<db::Value>& params,
                                                    const QList<qint32>& except = {});

// The first booking with persons of the place overlapping the period, other
// than those given; 0 when the place is free. A booking whose period cannot
// be read overlaps every period.
qint32 OccupyingBooking(qint32 placeId, const rt::Date& start, const rt::Date& end, const QList<qint32>& except = {});

// The bookings of a place that overlap the period, oldest start first; before
// them those with persons whose period cannot be read (zero dates).
std::vector<Booking> BookingsOfPlace(qint32 placeId, const rt::Date& start, const rt::Date& end);

// A booking as the schedule draws it: its row with the guest's name.
struct ScheduleBooking {
    qint32 book_id = 0;
    qint32 pl_id = 0;
    qint32 book_customer_id = 0;
    int book_cust_count = 0;
    QString book_info;
    QString cust_lastname;        // "" without a customer row
    QString cust_firstname;
    std::optional<rt::Date> book_start;   // nullopt: cannot be read
    std::optional<rt::Date> book_end;
    int book_color_id = 0;
};

// What the schedule draws of a booking: its place, period, guest, persons,
// note and colour. Made alike from a row read later, so the two compare.
RowValues ScheduleBookingColumns(const ScheduleBooking& booking);
// Deletes the bookings a schedule drew, drawn holding ScheduleBookingColumns
// of each by id, asking as DeleteShownRows asks. Throws db::DbError.
ShownRowsDelete DeleteDrawnBookings(const QList<qint32>& bookIds, const QHash<qint32, RowValues>& drawn,
                                    const DeleteRowsAsk& ask);

// The schedule's drag: bookings it drew moved, or copied, by whole days and,
// with placeId above 0, onto that place.
struct DrawnDrop {
    QList<qint32> ids;
    qint32 placeId = 0;   // 0 or below: each keeps its place
    int days = 0;
    bool copy = false;
};
struct DrawnDropOutcome {
    enum class Result {
        Stored,       // moved or copied (also when there was nothing to do)
        Changed,      // one was moved, its period changed or it was deleted since drawn: nothing written
        Unreadable,   // one's period cannot be read, so it cannot be shifted: nothing written
        Refused,      // the checks of a booking write refused (store says why): nothing written
    };
    Result result = Result::Stored;
    QList<ShownRowChange> changed;   // Changed: since.kept names what, since.stored the row as stored now
    QList<qint32> missing;           // Changed: deleted since drawn
    qint32 unreadableId = 0;         // Unreadable: the first such booking
    StoreOutcome store;              // Refused: why
    QList<qint32> written;           // Stored: the bookings moved, or the new copies
};
// drawn holds ScheduleBookingColumns of each drawn booking by id. Inside one
// transaction each booking is read and compared with what its bar drew of
// the columns a drag changes: its place, and arrival and departure as one
// field. Changed there since: nothing is written, also of the others.
// Otherwise each is checked as a new booking is (place, guest, occupancy;
// bookings moved together never stand in their own way) and written: a move
// writes its new place and period and the edit time, keeping whatever else
// another workstation stored since; a copy is the stored row on the new
// place and period. All or none. Throws db::DbError.
DrawnDropOutcome DropDrawnBookings(const DrawnDrop& drop, const QHash<qint32, RowValues>& drawn);

// The facility's bookings touching from..to, both ends included, on the
// places SchedulePlaces lists for the same floor and building, and those of
// the places with persons whose period cannot be read (their book_start or
// book_end nullopt: they hold the place on every day; each is noted); in no
// particular order.
std::vector<ScheduleBooking> ScheduleBookings(qint32 mandantId, qint32 floorId, qint32 buildingId, const rt::Date& from,
                                              const rt::Date& to);

// One line of the booking list. The names it shows are kept once per guest
// and place beside the lines (BookingList), not in every line.
struct BookingListRow {
    qint32 book_id = 0;
    rt::Date book_start;
    rt::Date book_end;
    int book_cust_count = 0;
    qint32 book_customer_id = 0;
    qint32 book_place_id = 0;
};

struct BookingListGuest {
    QString cust_lastname;
    QString cust_firstname;
};

struct BookingListPlace {
    QString bld_short;
    QString flr_short;
    QString pl_name;
};

// The lines with the names of their guests and places as far as read; a
// guest or place whose row is missing has no entry.
struct BookingList {
    std::vector<BookingListRow> rows;
    QHash<qint32, BookingListGuest> guests;   // by cust_id
    QHash<qint32, BookingListPlace> places;   // by pl_id
};

// The bookings matching filter, newest start first, without names. filter is
// a condition in the program's SQL over tbl_bookings, tbl_customers,
// tbl_places, tbl_floors and tbl_buildings, made by code, never typed by the
// user; it is kept in its own parentheses, so an OR in it cannot swallow the
// range. With endingFrom only bookings ending on or after it. Throws
// db::DbError, also for a filter the database refuses.
BookingList ListBookings(const QString& filter, const std::optional<rt::Date>& endingFrom = std::nullopt);
// Adds to list the names of those guests and places, reading only their rows.
// Throws db::DbError.
void ReadBookingListNames(BookingList& list, const QList<qint32>& guestIds, const QList<qint32>& placeIds);

// A booking of a place that covers a moment, with its guest's name (empty
// when the customer row is missing).
struct Occupant {
    qint32 book_id = 0;
    qint32 book_customer_id = 0;
    QString cust_firstname;
    QString cust_lastname;
};
// The bookings of the place with book_start <= moment <= book_end, whatever
// their persons, by start.
std::vector<Occupant> OccupantsOfPlace(qint32 placeId, const rt::Date& moment);

// The booking list's condition for every booking of a place.
QString BookingListOfPlace(qint32 placeId);

// The enabled places of a floor that hold a booking with persons overlapping
// the period (starting before `to`, ending after `from`) or one whose period
// cannot be read, ascending.
QList<qint32> OccupiedPlacesOfFloor(qint32 floorId, const rt::Date& from, const rt::Date& to);

// Conditions for the booking list (ShowBookings), in its dialect.
// One booking.
QString BookingListOfBooking(qint32 bookId);
// All bookings of a guest.
QString BookingListOfCustomer(qint32 custId);
// The bookings of a place touching the period, both ends included.
QString BookingListOfPlace(qint32 placeId, const rt::Date& start, const rt::Date& end);
// The bookings arriving or leaving on a day (from its midnight to the next).
QString BookingListOfArrivals(const rt::Date& day);
QString BookingListOfDepartures(const rt::Date& day);
