#include "core/bookings.h"

#include "core/database.h"
#include "core/lookups.h"
#include "core/datefunctions.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/notices.h"
#include "core/places.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

Booking readBooking(const db::Recordset& rs)
{
    Booking b;
    b.book_id = rs.value(QStringLiteral("book_id")).toLong();
    b.book_mandant_id = rs.value(QStringLiteral("book_mandant_id")).toLong();
    b.book_place_id = rs.value(QStringLiteral("book_place_id")).toLong();
    b.book_customer_id = rs.value(QStringLiteral("book_customer_id")).toLong();
    b.book_cust_count = StoredPersons(rs.value(QStringLiteral("book_cust_count")));
    b.book_start = StoredDate(rs.value(QStringLiteral("book_start")));
    b.book_end = StoredDate(rs.value(QStringLiteral("book_end")));
    b.book_bearb_date = rs.value(QStringLiteral("book_bearb_date")).toDate();
    b.book_info = rs.value(QStringLiteral("book_info")).toText();
    b.book_color_id = rs.value(QStringLiteral("book_color_id")).toLong();
    b.book_status_id = rs.value(QStringLiteral("book_status_id")).toLong();
    b.book_cust_ids = rs.value(QStringLiteral("book_cust_ids")).toText();
    b.book_bearb_id = rs.value(QStringLiteral("book_bearb_id")).toLong();
    b.book_room_id = rs.value(QStringLiteral("book_room_id")).toLong();
    b.book_name = rs.value(QStringLiteral("book_name")).toText();
    return b;
}

QString placeholders(qsizetype n)
{
    QStringList marks;
    for (qsizetype i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

// Dates from 01.01.100 to 31.12.9999, as days from 30.12.1899.
constexpr double FirstReadableDay = -657434;
constexpr double BeyondLastReadableDay = 2958466;

// The bookings whose period cannot be read. SQLite sorts NULL before every
// number and text after them, so each part is a short seek at one end of a
// date index: the years of readable bookings in between are never read.
QString unreadablePeriodIds()
{
    QStringList parts;
    for (const QString& column : {QStringLiteral("book_start"), QStringLiteral("book_end")}) {
        const QString select = QStringLiteral("SELECT book_id FROM tbl_bookings WHERE ") + column;
        parts << select + QStringLiteral(" IS NULL")
              << select + QStringLiteral(" < ") + QString::number(FirstReadableDay, 'f', 0)
              << select + QStringLiteral(" >= ") + QString::number(BeyondLastReadableDay, 'f', 0);
    }
    return parts.join(QStringLiteral(" UNION ALL "));
}

QString unreadableBookingName(qint32 bookId, const RowValues& row)
{
    const Booking b = BookingFromRow(row);
    QString text = QStringLiteral("Die Reservierung ") + QString::number(bookId);
    if (const std::optional<Customer> guest = LoadCustomer(b.book_customer_id)) {
        const QString name = rt::trim(rt::trim(guest->cust_firstname) + QLatin1Char(' ') + rt::trim(guest->cust_lastname));
        if (!name.isEmpty())
            text += QStringLiteral(" für \"") + name + QLatin1Char('"');
    }
    const std::optional<Place> place = LoadPlace(b.book_place_id);
    const QString placeName = place ? rt::trim(place->pl_name) : QString();
    if (!placeName.isEmpty()) {
        // A place called by its number is named with the house's word for it.
        bool number = false;
        placeName.toLong(&number);
        text += QStringLiteral(" in ") + (number && !rt::trim(TermPlaceSingular).isEmpty()
                                              ? rt::trim(TermPlaceSingular) + QLatin1Char(' ') + placeName
                                              : QLatin1Char('"') + placeName + QLatin1Char('"'));
    }
    const bool startUnreadable = !IsReadableDate(row.value(QStringLiteral("book_start")));
    return text + QStringLiteral(" hat ein ungültiges ") +
           (startUnreadable ? QStringLiteral("Anreisedatum") : QStringLiteral("Abreisedatum"));
}

void noteUnreadablePeriod(qint32 bookId, const db::Value& start, const db::Value& end)
{
    if (IsReadableDate(start) && IsReadableDate(end))
        return;
    NoticeOnce(QStringLiteral("tbl_bookings ") + QString::number(bookId), [bookId] {
        const std::optional<RowValues> row = ReadBookingRow(bookId);
        return (row ? unreadableBookingName(bookId, *row) : QStringLiteral("Die Reservierung ") + QString::number(bookId)) +
               QStringLiteral(". Bitte geben Sie es im Buchungsfenster neu ein.");
    });
}

// Whether a row of the table has the id; asked once per id within one write.
class RowCheck {
public:
    explicit RowCheck(QString sql) : m_sql(std::move(sql)) {}
    bool exists(qint32 id)
    {
        if (id <= 0)
            return false;
        const auto known = m_known.constFind(id);
        if (known != m_known.constEnd())
            return *known;
        const bool found = !OpenedDb().openRecordset(m_sql, db::OpenMode::ForwardOnlyReadOnly, {id}).eof();
        m_known.insert(id, found);
        return found;
    }

private:
    QString m_sql;
    QHash<qint32, bool> m_known;
};

StoreOutcome refusal(StoreResult result, qint32 placeId = 0, qint32 bookingId = 0, qint32 customerId = 0)
{
    StoreOutcome outcome;
    outcome.result = result;
    outcome.placeId = placeId;
    outcome.bookingId = bookingId;
    outcome.customerId = customerId;
    return outcome;
}

bool overlaps(const Booking& a, const Booking& b)
{
    return a.book_start < b.book_end && b.book_start < a.book_end;
}

void insertBooking(db::Database& d, Booking& b)
{
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM tbl_bookings WHERE book_id = 0"));
    rs.addNew();
    b.book_id = rs.field(QStringLiteral("book_id")).value().toLong();
    rs.field(QStringLiteral("book_mandant_id")).setValue(b.book_mandant_id);
    rs.field(QStringLiteral("book_place_id")).setValue(b.book_place_id);
    rs.field(QStringLiteral("book_customer_id")).setValue(b.book_customer_id);
    rs.field(QStringLiteral("book_cust_count")).setValue(b.book_cust_count);
    rs.field(QStringLiteral("book_start")).setValue(b.book_start);
    rs.field(QStringLiteral("book_end")).setValue(b.book_end);
    rs.field(QStringLiteral("book_bearb_date")).setValue(b.book_bearb_date);
    rs.field(QStringLiteral("book_info")).setValue(db::textOrNull(b.book_info));
    rs.field(QStringLiteral("book_color_id")).setValue(b.book_color_id);
    rs.field(QStringLiteral("book_status_id")).setValue(b.book_status_id);
    rs.field(QStringLiteral("book_cust_ids")).setValue(db::textOrNull(b.book_cust_ids));
    rs.field(QStringLiteral("book_bearb_id")).setValue(b.book_bearb_id);
    rs.field(QStringLiteral("book_room_id")).setValue(b.book_room_id);
    rs.field(QStringLiteral("book_name")).setValue(db::textOrNull(b.book_name));
    rs.update();
}

}  // namespace

std::optional<Booking> LoadBooking(qint32 bookId)
{
    if (bookId <= 0)
        return std::nullopt;
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT * FROM tbl_bookings WHERE book_id = ?"),
                                                db::OpenMode::ForwardOnlyReadOnly, {bookId});
    if (rs.eof())
        return std::nullopt;
    return readBooking(rs);
}

bool IsReadableDate(const db::Value& value)
{
    return value.kind() == db::Value::Kind::Date && value.toDouble() >= FirstReadableDay &&
           value.toDouble() < BeyondLastReadableDay;
}

rt::Date StoredDate(const db::Value& value)
{
    return IsReadableDate(value) ? value.toDate() : rt::Date();
}

int StoredPersons(const db::Value& value)
{
    if (value.kind() == db::Value::Kind::Text || !value.isNumeric())
        return 1;
    const double count = value.toDouble();
    return count > -2147483648.5 && count < 2147483647.5 ? value.toLong() : 1;
}

std::vector<UnreadableBooking> UnreadableBookingsOn(const QString& placeCondition, const QList<db::Value>& params,
                                                    const QList<qint32>& except)
{
    // "+" keeps SQLite from walking every booking of the place along its
    // index; it looks up the few ids instead.
    QString sql = QStringLiteral("SELECT book_id, pl_id, book_start, book_end FROM tbl_bookings INNER JOIN tbl_places ON "
                                 "+tbl_bookings.book_place_id = tbl_places.pl_id WHERE book_id IN (") +
                  unreadablePeriodIds() + QStringLiteral(") AND IFNULL(book_cust_count, 1) > 0 AND (") + placeCondition +
                  QLatin1Char(')');
    QList<db::Value> all = params;
    if (!except.isEmpty()) {
        sql += QStringLiteral(" AND book_id NOT IN (") + placeholders(except.size()) + QLatin1Char(')');
        for (qint32 id : except)
            all << id;
    }
    std::vector<UnreadableBooking> found;
    OpenedDb().forEachRow(sql + QStringLiteral(" ORDER BY book_id"), all, [&found](const QList<db::Value>& row) {
        const qint32 id = row[0].toLong();
        noteUnreadablePeriod(id, row[2], row[3]);
        found.push_back({id, row[1].toLong()});
    });
    return found;
}

qint32 OccupyingBooking(qint32 placeId, const rt::Date& start, const rt::Date& end, const QList<qint32>& except)
{
    if (placeId <= 0)
        return 0;
    QList<db::Value> params{placeId, end, start};
    QString sql = QStringLiteral("SELECT book_id FROM tbl_bookings WHERE book_place_id = ? AND IFNULL(book_cust_count, 1) > 0 "
                                 "AND book_start < ? AND book_end > ?");
    if (!except.isEmpty()) {
        sql += QStringLiteral(" AND book_id NOT IN (") + placeholders(except.size()) + QLatin1Char(')');
        for (qint32 id : except)
            params << id;
    }
    {
        db::Recordset rs = OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
        if (!rs.eof())
            return rs.value(QStringLiteral("book_id")).toLong();
    }
    const std::vector<UnreadableBooking> unreadable =
        UnreadableBookingsOn(QStringLiteral("pl_id = ?"), {placeId}, except);
    return unreadable.empty() ? 0 : unreadable.front().book_id;
}

namespace {

// The checks of every booking write but a merged save, inside the caller's
// transaction: the bookings among themselves, then each one's place, guest
// and occupancy. ownIds: stored bookings being moved, which never stand in
// their own way.
StoreOutcome checkBookings(const std::vector<Booking>& bookings, const QList<qint32>& ownIds)
{
    // Among themselves first: a selection dropped onto one place can collide
    // with itself, and the database does not know the new rows yet.
    for (size_t i = 0; i < bookings.size(); ++i) {
        const Booking& a = bookings[i];
        if (a.book_place_id <= 0)
            continue;
        for (size_t j = i + 1; j < bookings.size(); ++j) {
            const Booking& b = bookings[j];
            if (a.book_place_id == b.book_place_id && (a.book_cust_count > 0 || b.book_cust_count > 0) && overlaps(a, b))
                return refusal(StoreResult::PlaceOccupied, a.book_place_id, 0);
        }
    }
    RowCheck places(QStringLiteral("SELECT pl_id FROM tbl_places WHERE pl_id = ?"));
    RowCheck guests(QStringLiteral("SELECT cust_id FROM tbl_customers WHERE cust_id = ?"));
    for (const Booking& b : bookings) {
        if (!places.exists(b.book_place_id))
            return refusal(StoreResult::PlaceMissing, b.book_place_id, b.book_id);
        if (b.book_customer_id > 0 && !guests.exists(b.book_customer_id))
            return refusal(StoreResult::GuestMissing, b.book_place_id, b.book_id, b.book_customer_id);
        if (const qint32 other = OccupyingBooking(b.book_place_id, b.book_start, b.book_end, ownIds))
            return refusal(StoreResult::PlaceOccupied, b.book_place_id, other);
    }
    return {};
}

// A copy of a stored booking: every column as stored (also one the program
// cannot read), but its place, period and edit time. Returns its id.
qint32 insertCopy(db::Database& d, qint32 sourceId, const Booking& copy)
{
    d.execute(QStringLiteral("INSERT INTO tbl_bookings (book_start, book_end, book_status_id, book_mandant_id, "
                             "book_customer_id, book_cust_ids, book_cust_count, book_bearb_id, book_bearb_date, "
                             "book_room_id, book_place_id, book_info, book_name, book_color_id) SELECT ?, ?, "
                             "book_status_id, book_mandant_id, book_customer_id, book_cust_ids, book_cust_count, "
                             "book_bearb_id, ?, book_room_id, ?, book_info, book_name, book_color_id FROM tbl_bookings "
                             "WHERE book_id = ?"),
              {copy.book_start, copy.book_end, copy.book_bearb_date, copy.book_place_id, sourceId});
    return d.openRecordset(QStringLiteral("SELECT last_insert_rowid() AS id"), db::OpenMode::ForwardOnlyReadOnly)
        .value(QStringLiteral("id"))
        .toLong();
}

}  // namespace

StoreOutcome StoreBooking(Booking& booking)
{
    // A stored booking changes only by comparing with what a window showed.
    if (booking.book_id > 0)
        throw db::DbError(db::err::Generic, QStringLiteral("StoreBooking: Reservierung ") + QString::number(booking.book_id));
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    Booking b = booking;
    if (StoreOutcome refused = checkBookings({b}, {}); refused.result != StoreResult::Stored)
        return refused;
    b.book_bearb_date = rt::Date::now();
    insertBooking(d, b);
    transaction.commit();
    booking = b;
    return {};
}

RowValues BookingColumns(const Booking& b)
{
    const auto date = [](const rt::Date& d) { return d.isZero() ? db::Value() : db::Value(d); };
    return {{QStringLiteral("book_mandant_id"), b.book_mandant_id},
            {QStringLiteral("book_place_id"), b.book_place_id},
            {QStringLiteral("book_customer_id"), b.book_customer_id},
            {QStringLiteral("book_cust_count"), b.book_cust_count},
            {QStringLiteral("book_start"), date(b.book_start)},
            {QStringLiteral("book_end"), date(b.book_end)},
            {QStringLiteral("book_info"), db::textOrNull(b.book_info)},
            {QStringLiteral("book_color_id"), b.book_color_id}};
}

std::optional<RowValues> ReadBookingRow(qint32 bookId)
{
    if (bookId <= 0)
        return std::nullopt;
    return ReadRow(QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), bookId);
}

Booking BookingFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    Booking b;
    b.book_id = v("book_id").toLong();
    b.book_mandant_id = v("book_mandant_id").toLong();
    b.book_place_id = v("book_place_id").toLong();
    b.book_customer_id = v("book_customer_id").toLong();
    b.book_cust_count = StoredPersons(v("book_cust_count"));
    b.book_start = StoredDate(v("book_start"));
    b.book_end = StoredDate(v("book_end"));
    b.book_bearb_date = v("book_bearb_date").toDate();
    b.book_info = v("book_info").toText();
    b.book_color_id = v("book_color_id").toLong();
    b.book_status_id = v("book_status_id").toLong();
    b.book_cust_ids = v("book_cust_ids").toText();
    b.book_bearb_id = v("book_bearb_id").toLong();
    b.book_room_id = v("book_room_id").toLong();
    b.book_name = v("book_name").toText();
    return b;
}

QList<MergeField> BookingMergeFields()
{
    const auto day = [](const db::Value& v) {
        if (!IsReadableDate(v))
            return v.kind() == db::Value::Kind::Date ? QStringLiteral("ungültig") : DescribeStored(v);
        return IsOpenEnd(v.toDate()) ? QStringLiteral("offen") : rt::formatDate(v.toDate(), QStringLiteral("dd.mm.yyyy"));
    };
    const auto column = [](const char* name) { return QString::fromLatin1(name); };
    return {
        {QStringLiteral("Zeitraum"), {column("book_start"), column("book_end")},
         [day](const RowValues& r) { return day(r.value(QStringLiteral("book_start"))) + QStringLiteral(" – ") + day(r.value(QStringLiteral("book_end"))); }},
        {TermPlaceSingular, {column("book_place_id")},
         [](const RowValues& r) {
             const std::optional<Place> place = LoadPlace(r.value(QStringLiteral("book_place_id")).toLong());
             return place ? QStringLiteral("\"") + rt::trim(place->pl_name) + QStringLiteral("\"")
                          : NoneOf(TermPlaceSingular, TermKind::Place);
         }},
        {TermPersonSingular, {column("book_customer_id")},
         [](const RowValues& r) {
             const qint32 id = r.value(QStringLiteral("book_customer_id")).toLong();
             const QString name = id > 0 ? GetCustomerName(QStringLiteral("tbl_customers"), id) : QString();
             return rt::trim(name).isEmpty() ? NoneOf(TermPersonSingular, TermKind::Person)
                                             : QStringLiteral("\"") + rt::trim(name) + QStringLiteral("\"");
         }},
        {QStringLiteral("Personen"), {column("book_cust_count")}, {}},
        {QStringLiteral("Notizen"), {column("book_info")}, {}},
        {QStringLiteral("Farbe"), {column("book_color_id")}, {}, QStringLiteral("geändert")},
        {QStringLiteral("Einrichtung"), {column("book_mandant_id")}, [](const RowValues& r) {
             const QString name = rt::trim(GetMandantName(r.value(QStringLiteral("book_mandant_id")).toLong()));
             return name.isEmpty() ? DescribeStored(r.value(QStringLiteral("book_mandant_id")))
                                   : QStringLiteral("\"") + name + QStringLiteral("\"");
         }},
    };
}

ColumnGroups BookingColumnGroups()
{
    return {{QStringLiteral("book_start"), QStringLiteral("book_end")}};
}

bool IsValidPeriod(const rt::Date& start, const rt::Date& end)
{
    // Days, as the windows compare them: a start stored at 09:00 stays valid.
    return !start.isZero() && !end.isZero() && start.datePart() < end.datePart();
}

namespace {

// The checks a typed booking passes, on the row a merge would store; stored
// is the row as it is now.
StoreOutcome checkMergedBooking(const RowValues& stored, const RowValues& after)
{
    const Booking was = BookingFromRow(stored);
    const Booking b = BookingFromRow(after);
    StoreOutcome outcome;
    const auto refuse = [&](StoreResult result, qint32 other = 0) {
        outcome = refusal(result, b.book_place_id, other, result == StoreResult::GuestMissing ? b.book_customer_id : 0);
        outcome.refused = b;
        return outcome;
    };
    if (!IsReadableDate(after.value(QStringLiteral("book_start"))) || !IsReadableDate(after.value(QStringLiteral("book_end"))) ||
        !IsValidPeriod(b.book_start, b.book_end))
        return refuse(StoreResult::PeriodInvalid);
    if (OpenedDb().openRecordset(QStringLiteral("SELECT pl_id FROM tbl_places WHERE pl_id = ?"),
                                 db::OpenMode::ForwardOnlyReadOnly, {b.book_place_id}).eof())
        return refuse(StoreResult::PlaceMissing);
    if (b.book_customer_id > 0 &&
        OpenedDb().openRecordset(QStringLiteral("SELECT cust_id FROM tbl_customers WHERE cust_id = ?"),
                                 db::OpenMode::ForwardOnlyReadOnly, {b.book_customer_id}).eof())
        return refuse(StoreResult::GuestMissing);
    const bool moved = b.book_place_id != was.book_place_id || !(b.book_start == was.book_start) ||
                       !(b.book_end == was.book_end) || b.book_cust_count != was.book_cust_count ||
                       !IsReadableDate(stored.value(QStringLiteral("book_start"))) ||
                       !IsReadableDate(stored.value(QStringLiteral("book_end")));
    if (moved && b.book_cust_count > 0) {
        if (const qint32 other = OccupyingBooking(b.book_place_id, b.book_start, b.book_end, {b.book_id}))
            return refuse(StoreResult::PlaceOccupied, other);
    }
    return outcome;
}

}  // namespace

StoreOutcome StoreBookingChanges(qint32 bookId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask)
{
    StoreOutcome outcome;
    const MergedSave save = SaveLoadedRow(
        QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), bookId, loaded, changed, ask,
        [&](db::Database& d, const RowMerge& merge, RowValues& toWrite) {
            if (toWrite.isEmpty())
                return true;
            RowValues after = merge.stored;
            after.insert(toWrite);
            outcome = checkMergedBooking(merge.stored, after);
            if (outcome.result != StoreResult::Stored)
                return false;
            toWrite.insert(QStringLiteral("book_bearb_date"), rt::Date::now());
            WriteColumns(d, QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), bookId, toWrite);
            return true;
        },
        BookingColumnGroups());
    outcome.changedElsewhere = save.merge.changedElsewhere();
    switch (save.result) {
    case MergedSave::Result::Missing: return refusal(StoreResult::NotFound, 0, bookId);
    case MergedSave::Result::Cancelled: outcome.result = StoreResult::Cancelled; return outcome;
    case MergedSave::Result::Refused: return outcome;
    case MergedSave::Result::Written: break;
    }
    outcome.result = StoreResult::Stored;
    outcome.notWritten = save.notWritten;
    outcome.row = save.row;
    outcome.stored = BookingFromRow(save.row);
    return outcome;
}

DeleteResult DeleteShownBooking(qint32 bookId, const RowValues& shown, const DeleteAsk& ask)
{
    // What a window shows of it: the edit time alone is no change to ask about.
    RowValues compared;
    for (const QString& column : BookingColumns(Booking{}).keys()) {
        if (shown.contains(column))
            compared.insert(column, shown.value(column));
    }
    return DeleteShownRow(QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), bookId, compared, ask);
}

QString UnreadableBookingText(qint32 bookId)
{
    const std::optional<RowValues> row = ReadBookingRow(bookId);
    if (!row || (IsReadableDate(row->value(QStringLiteral("book_start"))) &&
                 IsReadableDate(row->value(QStringLiteral("book_end")))))
        return QString();
    return unreadableBookingName(bookId, *row) +
           QStringLiteral(" und belegt deshalb ihren Platz in jedem Zeitraum. Bitte geben Sie das Datum dieser "
                          "Reservierung im Buchungsfenster neu ein.");
}

namespace {

QString mergedBookingSentence(const Booking& b)
{
    QString text = QStringLiteral("Zusammen mit der Änderung, die inzwischen gespeichert wurde, wäre die Reservierung");
    if (!b.book_start.isZero() && !b.book_end.isZero())
        text += QStringLiteral(" vom ") + rt::formatDate(b.book_start, QStringLiteral("dd.mm.yyyy")) +
                QStringLiteral(" bis zum ") + rt::formatDate(b.book_end, QStringLiteral("dd.mm.yyyy"));
    if (const std::optional<Place> place = LoadPlace(b.book_place_id); place && !rt::trim(place->pl_name).isEmpty())
        text += QStringLiteral(" in \"") + rt::trim(place->pl_name) + QLatin1Char('"');
    return text + QStringLiteral(" gewesen. Es wurde nichts gespeichert; angezeigt wird die Reservierung, wie sie "
                                 "gespeichert ist.");
}

}  // namespace

QString OccupiedRefusalText(const QString& placeName, qint32 occupyingId, const std::optional<Booking>& merged)
{
    QString text = PlaceOccupiedText(placeName);
    QString more;
    if (const QString unreadable = occupyingId > 0 ? UnreadableBookingText(occupyingId) : QString(); !unreadable.isEmpty())
        more += QStringLiteral("\n\n") + unreadable;
    if (merged)
        more += QStringLiteral("\n\n") + mergedBookingSentence(*merged);
    // Before the closing question about the list.
    const qsizetype question = text.lastIndexOf(QStringLiteral("\n\n"));
    return question < 0 ? text + more : text.insert(question, more);
}

QString PeriodRefusalText(const std::optional<Booking>& merged)
{
    QString text = QStringLiteral("Der Reservierungszeitraum ist nicht korrekt angegeben.");
    if (merged)
        text += QStringLiteral("\n\n") + mergedBookingSentence(*merged);
    return text;
}

std::vector<Booking> BookingsOfPlace(qint32 placeId, const rt::Date& start, const rt::Date& end)
{
    std::vector<Booking> list;
    QSet<qint32> unreadable;
    for (const UnreadableBooking& u : UnreadableBookingsOn(QStringLiteral("pl_id = ?"), {placeId})) {
        if (std::optional<Booking> b = LoadBooking(u.book_id)) {
            unreadable.insert(u.book_id);
            list.push_back(*b);
        }
    }
    db::Recordset rs = OpenedDb().openRecordset(
        QStringLiteral("SELECT * FROM tbl_bookings WHERE book_place_id = ? AND book_start < ? AND book_end > ? "
                       "ORDER BY book_start, book_id"),
        db::OpenMode::ForwardOnlyReadOnly, {placeId, end, start});
    for (; !rs.eof(); rs.moveNext()) {
        // A text end sorts after every date: the row comes here too.
        if (!unreadable.contains(rs.value(QStringLiteral("book_id")).toLong()))
            list.push_back(readBooking(rs));
    }
    return list;
}

namespace {

RowValues drawnColumns(qint32 placeId, const rt::Date& start, const rt::Date& end, qint32 customerId, int persons,
                       const QString& info, qint32 colour)
{
    const auto date = [](const rt::Date& d) { return d.isZero() ? db::Value() : db::Value(d); };
    return {{QStringLiteral("book_place_id"), placeId},
            {QStringLiteral("book_start"), date(start)},
            {QStringLiteral("book_end"), date(end)},
            {QStringLiteral("book_customer_id"), customerId},
            {QStringLiteral("book_cust_count"), persons},
            {QStringLiteral("book_info"), db::textOrNull(info)},
            {QStringLiteral("book_color_id"), colour}};
}

}  // namespace

RowValues ScheduleBookingColumns(const ScheduleBooking& b)
{
    return drawnColumns(b.pl_id, b.book_start.value_or(rt::Date()), b.book_end.value_or(rt::Date()), b.book_customer_id,
                        b.book_cust_count, b.book_info, b.book_color_id);
}

namespace {

// A booking as stored, the columns the schedule draws made as it makes them
// (so they compare with what it drew), the rest as stored.
std::optional<RowValues> drawnRow(qint32 bookId)
{
    std::optional<RowValues> row = ReadBookingRow(bookId);
    if (row) {
        const Booking b = BookingFromRow(*row);
        row->insert(drawnColumns(b.book_place_id, b.book_start, b.book_end, b.book_customer_id, b.book_cust_count,
                                 b.book_info, b.book_color_id));
    }
    return row;
}

}  // namespace

ShownRowsDelete DeleteDrawnBookings(const QList<qint32>& bookIds, const QHash<qint32, RowValues>& drawn,
                                    const DeleteRowsAsk& ask)
{
    QList<std::pair<db::Value, RowValues>> shown;
    for (qint32 id : bookIds)
        shown.append({id, drawn.value(id)});
    return DeleteShownRows(
        shown, [](const db::Value& key) { return drawnRow(key.toLong()); }, ask,
        [](db::Database& d, const QList<ShownRowChange>& rows) {
            QList<db::Value> ids;
            for (const ShownRowChange& row : rows)
                ids << row.key;
            d.execute(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id IN (") + placeholders(ids.size()) +
                          QLatin1Char(')'),
                      ids);
        });
}

DrawnDropOutcome DropDrawnBookings(const DrawnDrop& drop, const QHash<qint32, RowValues>& drawn)
{
    // What a drag changes; anything else another workstation stored since
    // is carried along.
    const QStringList dragged{QStringLiteral("book_place_id"), QStringLiteral("book_start"), QStringLiteral("book_end")};
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    DrawnDropOutcome outcome;
    std::vector<Booking> bookings;
    for (qint32 id : drop.ids) {
        const std::optional<RowValues> row = drawnRow(id);
        if (!row) {
            outcome.missing << id;
            continue;
        }
        RowMerge since;
        if (const auto bar = drawn.constFind(id); bar != drawn.cend()) {
            RowValues shown;
            for (const QString& column : dragged)
                shown.insert(column, bar->value(column));
            since = ChangesSinceShown(shown, *row);
        } else {
            // No bar to compare with: nothing of it is known to hold.
            since.stored = *row;
            since.kept = dragged;
        }
        if (!since.kept.isEmpty()) {
            outcome.changed.append({id, since});
            continue;
        }
        if (!IsReadableDate(row->value(QStringLiteral("book_start"))) ||
            !IsReadableDate(row->value(QStringLiteral("book_end")))) {
            if (!outcome.unreadableId)
                outcome.unreadableId = id;
            continue;
        }
        Booking b = BookingFromRow(*row);
        if (drop.placeId > 0)
            b.book_place_id = drop.placeId;
        b.book_start = b.book_start.addDays(drop.days);
        // An open end stays open.
        if (!IsOpenEnd(b.book_end))
            b.book_end = b.book_end.addDays(drop.days);
        bookings.push_back(b);
    }
    if (!outcome.changed.isEmpty() || !outcome.missing.isEmpty()) {
        outcome.result = DrawnDropOutcome::Result::Changed;
        return outcome;
    }
    if (outcome.unreadableId) {
        outcome.result = DrawnDropOutcome::Result::Unreadable;
        return outcome;
    }
    if (bookings.empty())
        return outcome;

    QList<qint32> ownIds;
    if (!drop.copy) {
        for (const Booking& b : bookings)
            ownIds << b.book_id;
    }
    outcome.store = checkBookings(bookings, ownIds);
    if (outcome.store.result != StoreResult::Stored) {
        outcome.result = DrawnDropOutcome::Result::Refused;
        return outcome;
    }
    const rt::Date now = rt::Date::now();
    for (Booking& b : bookings) {
        b.book_bearb_date = now;
        if (drop.copy) {
            outcome.written << insertCopy(d, b.book_id, b);
            continue;
        }
        RowValues values{{QStringLiteral("book_start"), b.book_start},
                         {QStringLiteral("book_end"), b.book_end},
                         {QStringLiteral("book_bearb_date"), now}};
        if (drop.placeId > 0)
            values.insert(QStringLiteral("book_place_id"), b.book_place_id);
        WriteColumns(d, QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), b.book_id, values);
        outcome.written << b.book_id;
    }
    transaction.commit();
    return outcome;
}

std::vector<ScheduleBooking> ScheduleBookings(qint32 mandantId, qint32 floorId, qint32 buildingId, const rt::Date& from,
                                              const rt::Date& to)
{
    QString places;
    QList<db::Value> placeParams;
    if (floorId > 0) {
        places = QStringLiteral(" AND pl_floor_id = ?");
        placeParams << floorId;
    } else if (buildingId > 0) {
        places = QStringLiteral(" AND pl_building_id = ?");
        placeParams << buildingId;
    }
    std::vector<ScheduleBooking> list;
    const auto read = [&list](const QString& join, const QString& condition, const QList<db::Value>& params,
                              bool unreadable) {
        const QString sql =
            QStringLiteral("SELECT book_id, book_customer_id, book_cust_count, book_info, cust_lastname, cust_firstname, "
                           "book_start, book_end, pl_id, book_color_id FROM (tbl_bookings INNER JOIN tbl_places ON ") +
            join + QStringLiteral(") LEFT JOIN tbl_customers ON tbl_bookings.book_customer_id = tbl_customers.cust_id "
                                  "WHERE ") +
            condition;
        db::Recordset rs = OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
        for (; !rs.eof(); rs.moveNext()) {
            ScheduleBooking b;
            b.book_id = rs.value(QStringLiteral("book_id")).toLong();
            const db::Value start = rs.value(QStringLiteral("book_start"));
            const db::Value end = rs.value(QStringLiteral("book_end"));
            const bool readable = IsReadableDate(start) && IsReadableDate(end);
            // A text end sorts after every date and so comes with the period's
            // bookings too; it is read with the unreadable ones.
            if (readable == unreadable)
                continue;
            if (unreadable)
                noteUnreadablePeriod(b.book_id, start, end);
            b.pl_id = rs.value(QStringLiteral("pl_id")).toLong();
            b.book_customer_id = rs.value(QStringLiteral("book_customer_id")).toLong();
            b.book_cust_count = StoredPersons(rs.value(QStringLiteral("book_cust_count")));
            b.book_info = rs.value(QStringLiteral("book_info")).toText();
            b.cust_lastname = rs.value(QStringLiteral("cust_lastname")).toText();
            b.cust_firstname = rs.value(QStringLiteral("cust_firstname")).toText();
            if (IsReadableDate(start))
                b.book_start = start.toDate();
            if (IsReadableDate(end))
                b.book_end = end.toDate();
            b.book_color_id = rs.value(QStringLiteral("book_color_id")).toLong();
            list.push_back(std::move(b));
        }
    };
    // No ORDER BY: the control finds each booking's row itself, and ordering
    // by place makes SQLite walk the whole place index to save a small sort.
    read(QStringLiteral("tbl_bookings.book_place_id = tbl_places.pl_id"),
         QStringLiteral("book_start <= ? AND book_end >= ? AND book_mandant_id = ?") + places,
         QList<db::Value>{to, from, mandantId} + placeParams, false);
    // Those whose period cannot be read hold their place on every day shown.
    // "+": the few ids are looked up, not every booking of each place walked.
    read(QStringLiteral("+tbl_bookings.book_place_id = tbl_places.pl_id"),
         QStringLiteral("book_id IN (") + unreadablePeriodIds() +
             QStringLiteral(") AND IFNULL(book_cust_count, 1) > 0 AND book_mandant_id = ?") + places,
         QList<db::Value>{mandantId} + placeParams, true);
    return list;
}

namespace {

// Whether a condition may name a column of the tables the list shows beside
// the bookings: only then must the bookings be read through the joins.
bool namesJoinedTables(const QString& filter)
{
    static const QRegularExpression joined(
        QStringLiteral("\\b(cust|pl|flr|bld)_|\\btbl_(customers|places|floors|buildings)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return joined.match(filter).hasMatch();
}

// Hands fn the rows of sql for the ids: only the rows named are read, in
// chunks of "IN (?, ...)", except where the ids lie close together: there
// the stretch of the table between the first and the last is read in one
// pass, which costs less than a search for each and reads at most as many
// rows again as are named. idColumn is the table's integer key and the
// first column of sql.
void forEachOfIds(const QString& sql, const QString& idColumn, QList<qint32> ids,
                  const std::function<void(const QList<db::Value>&)>& fn)
{
    constexpr qsizetype Chunk = 500;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (qsizetype first = 0; first < ids.size(); first += Chunk) {
        const qsizetype n = std::min(Chunk, ids.size() - first);
        const qint64 low = ids[first];
        const qint64 high = ids[first + n - 1];
        if (high - low + 1 <= 2 * n) {
            QSet<qint32> wanted(ids.cbegin() + first, ids.cbegin() + first + n);
            OpenedDb().forEachRow(sql + QStringLiteral(" WHERE ") + idColumn + QStringLiteral(" BETWEEN ? AND ?"),
                                  {db::Value(static_cast<qint32>(low)), db::Value(static_cast<qint32>(high))},
                                  [&](const QList<db::Value>& row) {
                                      if (wanted.contains(row[0].toLong()))
                                          fn(row);
                                  });
            continue;
        }
        QList<db::Value> params;
        params.reserve(n);
        for (qsizetype i = first; i < first + n; ++i)
            params << ids[i];
        OpenedDb().forEachRow(sql + QStringLiteral(" WHERE ") + idColumn + QStringLiteral(" IN (") + placeholders(n) +
                                  QLatin1Char(')'),
                              params, fn);
    }
}

}  // namespace

BookingList ListBookings(const QString& filter, const std::optional<rt::Date>& endingFrom)
{
    // Ten years of bookings must list fast: the bookings are read alone, the
    // names of their guests and places apart (ReadBookingListNames).
    QString sql = QStringLiteral("SELECT book_id, book_start, book_end, book_cust_count, book_customer_id, book_place_id ");
    if (namesJoinedTables(filter))
        sql += QStringLiteral(
            "FROM (((tbl_bookings LEFT JOIN tbl_customers ON tbl_bookings.book_customer_id = tbl_customers.cust_id) "
            "LEFT JOIN tbl_places ON tbl_bookings.book_place_id = tbl_places.pl_id) "
            "LEFT JOIN tbl_floors ON tbl_places.pl_floor_id = tbl_floors.flr_id) "
            "LEFT JOIN tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id");
    else
        sql += QStringLiteral("FROM tbl_bookings");
    QStringList conditions;
    QList<db::Value> params;
    if (!filter.trimmed().isEmpty())
        conditions << QLatin1Char('(') + filter + QLatin1Char(')');
    if (endingFrom) {
        conditions << QStringLiteral("book_end >= ?");
        params << *endingFrom;
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));

    BookingList list;
    OpenedDb().forEachRow(sql, params, [&](const QList<db::Value>& v) {
        BookingListRow row;
        row.book_id = v[0].toLong();
        // A date that cannot be read stays the zero date, which the list shows empty.
        row.book_start = StoredDate(v[1]);
        row.book_end = StoredDate(v[2]);
        row.book_cust_count = StoredPersons(v[3]);
        row.book_customer_id = v[4].toLong();
        row.book_place_id = v[5].toLong();
        list.rows.push_back(row);
    });
    std::sort(list.rows.begin(), list.rows.end(), [](const BookingListRow& a, const BookingListRow& b) {
        if (a.book_start.serial() != b.book_start.serial())
            return a.book_start.serial() > b.book_start.serial();
        return a.book_id > b.book_id;
    });
    return list;
}

void ReadBookingListNames(BookingList& list, const QList<qint32>& guestIds, const QList<qint32>& placeIds)
{
    forEachOfIds(QStringLiteral("SELECT cust_id, cust_lastname, cust_firstname FROM tbl_customers"), QStringLiteral("cust_id"),
                 guestIds, [&](const QList<db::Value>& v) {
                     list.guests.insert(v[0].toLong(), {v[1].toText(), v[2].toText()});
                 });
    forEachOfIds(QStringLiteral("SELECT pl_id, bld_short, flr_short, pl_name FROM (tbl_places LEFT JOIN tbl_floors ON "
                                "tbl_places.pl_floor_id = tbl_floors.flr_id) LEFT JOIN tbl_buildings ON "
                                "tbl_floors.flr_building_id = tbl_buildings.bld_id"),
                 QStringLiteral("pl_id"), placeIds, [&](const QList<db::Value>& v) {
                     list.places.insert(v[0].toLong(), {v[1].toText(), v[2].toText(), v[3].toText()});
                 });
}

std::vector<Occupant> OccupantsOfPlace(qint32 placeId, const rt::Date& moment)
{
    std::vector<Occupant> list;
    db::Recordset rs = OpenedDb().openRecordset(
        QStringLiteral("SELECT book_id, book_customer_id, cust_firstname, cust_lastname FROM tbl_bookings LEFT JOIN "
                       "tbl_customers ON tbl_bookings.book_customer_id = tbl_customers.cust_id WHERE book_place_id = ? "
                       "AND book_start <= ? AND book_end >= ? ORDER BY book_start, book_id"),
        db::OpenMode::ForwardOnlyReadOnly, {placeId, moment, moment});
    for (; !rs.eof(); rs.moveNext()) {
        Occupant o;
        o.book_id = rs.value(QStringLiteral("book_id")).toLong();
        o.book_customer_id = rs.value(QStringLiteral("book_customer_id")).toLong();
        o.cust_firstname = rs.value(QStringLiteral("cust_firstname")).toText();
        o.cust_lastname = rs.value(QStringLiteral("cust_lastname")).toText();
        list.push_back(std::move(o));
    }
    return list;
}

QString BookingListOfPlace(qint32 placeId)
{
    return QStringLiteral("book_place_id = ") + QString::number(placeId);
}

QList<qint32> OccupiedPlacesOfFloor(qint32 floorId, const rt::Date& from, const rt::Date& to)
{
    QList<qint32> ids;
    {
        db::Recordset rs = OpenedDb().openRecordset(
            QStringLiteral("SELECT DISTINCT pl_id FROM tbl_bookings INNER JOIN tbl_places ON tbl_bookings.book_place_id = "
                           "tbl_places.pl_id WHERE IFNULL(book_cust_count, 1) > 0 AND pl_disabled = 0 AND pl_floor_id = ? "
                           "AND book_start < ? AND book_end > ? ORDER BY pl_id"),
            db::OpenMode::ForwardOnlyReadOnly, {floorId, to, from});
        for (; !rs.eof(); rs.moveNext())
            ids << rs.value(QStringLiteral("pl_id")).toLong();
    }
    for (const UnreadableBooking& u :
         UnreadableBookingsOn(QStringLiteral("pl_floor_id = ? AND pl_disabled = 0"), {floorId})) {
        if (!ids.contains(u.pl_id))
            ids << u.pl_id;
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString BookingListOfBooking(qint32 bookId)
{
    return QStringLiteral("book_id = ") + QString::number(bookId);
}

QString BookingListOfCustomer(qint32 custId)
{
    return QStringLiteral("book_customer_id = ") + QString::number(custId);
}

QString BookingListOfPlace(qint32 placeId, const rt::Date& start, const rt::Date& end)
{
    return QStringLiteral("book_place_id = ") + QString::number(placeId) + QStringLiteral(" AND (book_start <= ") +
           DateToSQL(end) + QStringLiteral(") AND (book_end >= ") + DateToSQL(start) + QStringLiteral(")");
}

QString BookingListOfArrivals(const rt::Date& day)
{
    const rt::Date midnight = day.datePart();
    return QStringLiteral("book_start BETWEEN ") + DateToSQL(midnight) + QStringLiteral(" AND ") + DateToSQL(midnight.addDays(1));
}

QString BookingListOfDepartures(const rt::Date& day)
{
    const rt::Date midnight = day.datePart();
    return QStringLiteral("book_end BETWEEN ") + DateToSQL(midnight) + QStringLiteral(" AND ") + DateToSQL(midnight.addDays(1));
}
