#include "core/conflicts.h"

#include "core/bookings.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/messages.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/ui/dialogs.h"

#include <QLineEdit>
#include <QSet>

namespace {

db::Recordset openReadOnly(const QString& sql)
{
    return Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly);
}

void requireDatabase()
{
    if (!Db)
        throw db::DbError(db::err::ObjectClosed);
}

// A count that cannot be made throws: it says neither free nor booked.
bool anyBooking(const QString& where)
{
    requireDatabase();
    db::Recordset rs =
        openReadOnly(QStringLiteral("SELECT Count(*) AS myRecordCount FROM tbl_bookings WHERE ") + where + QStringLiteral(";"));
    return rs.value(QStringLiteral("myRecordCount")).toLong() >= 1;
}

QString periodCondition(const rt::Date& dStart, const rt::Date& dEnd)
{
    return QStringLiteral("(book_start < ") + DateToSQL(dEnd) + QStringLiteral(") AND (book_end > ") + DateToSQL(dStart) +
           QStringLiteral(")");
}

QString exceptBooking(qint32 bookId)
{
    return bookId > 0 ? QStringLiteral(" AND book_id <> ") + QString::number(bookId) : QString();
}

qint32 maxInvoiceId(const QString& column, qint32 id)
{
    if (id <= 0)
        return 0;
    requireDatabase();
    db::Recordset rs = openReadOnly(QStringLiteral("SELECT Max(Inv_id) as MaxInv_id FROM tbl_invoice WHERE ") + column +
                                    QStringLiteral(" = ") + QString::number(id) + QStringLiteral(";"));
    return rs.eof() ? 0 : rs.value(QStringLiteral("MaxInv_id")).toLong();
}

}  // namespace

void CheckBookingConflicts(QLineEdit* txtStart, QLineEdit* txtEnd, QLineEdit* txtGuest, qint32 custId, qint32 placeId,
                           qint32 bookId, bool& guestBooked, bool& placeOccupied, int mode)
{
    if (!txtStart || !txtEnd)
        return;
    std::optional<ConflictColours> colours;
    try {
        colours = CheckConflicts(txtStart->text(), txtEnd->text(), custId, placeId, bookId, guestBooked, placeOccupied, mode);
    } catch (const db::DbError& error) {
        ui::msgBox(ConflictCheckFailedText(error, false), ui::Exclamation);
        return;
    }
    if (!colours)
        return;
    if (txtGuest && colours->guest)
        SetBackColor(txtGuest, *colours->guest);
    SetBackColor(txtStart, colours->dates);
    SetBackColor(txtEnd, colours->dates);
}

std::optional<ConflictColours> CheckConflicts(const QString& startText, const QString& endText, qint32 custId,
                                              qint32 placeId, qint32 bookId, bool& guestBooked, bool& placeOccupied,
                                              int mode)
{
    const auto startDate = db::parseDate(startText);
    const auto endDate = db::parseDate(endText);
    if (!startDate || !endDate)
        return std::nullopt;
    const rt::Date start = startDate->datePart().atNoon();
    const rt::Date end = endDate->datePart().atNoon();

    ConflictColours colours;
    if (mode == CheckGuest || mode == CheckGuestAndPlace) {
        guestBooked = IsCustomerBooked(custId, start, end, bookId);
        if (guestBooked)
            colours.dates = GuestBookedColor;
        colours.guest = guestBooked ? GuestBookedColor : ConflictFreeColor;
    }
    if (mode == CheckPlace || mode == CheckGuestAndPlace) {
        placeOccupied = IsPlaceBooked(placeId, start, end, bookId);
        if (placeOccupied)
            colours.dates = PlaceOccupiedColor;
    }
    return colours;
}

bool IsCustomerBooked(qint32 custId, const rt::Date& dStart, const rt::Date& dEnd, qint32 bookId)
{
    if (custId <= 0)
        return false;
    return anyBooking(QStringLiteral("book_customer_id = ") + QString::number(custId) + QStringLiteral(" AND ") +
                      periodCondition(dStart, dEnd) + exceptBooking(bookId));
}

bool IsPlaceBooked(qint32 placeId, const rt::Date& dStart, const rt::Date& dEnd, qint32 bookId)
{
    if (placeId <= 0)
        return false;
    if (anyBooking(QStringLiteral("book_place_id = ") + QString::number(placeId) + QStringLiteral(" AND ") +
                   periodCondition(dStart, dEnd) + QStringLiteral(" AND IFNULL(book_cust_count, 1) > 0") +
                   exceptBooking(bookId)))
        return true;
    return !UnreadableBookingsOn(QStringLiteral("pl_id = ?"), {placeId}, bookId > 0 ? QList<qint32>{bookId} : QList<qint32>{})
                .empty();
}

QString ConflictCheckFailedText(const db::DbError& error, bool saving)
{
    // The reason in German words, without the engine's.
    QString text = QStringLiteral("Es konnte nicht geprüft werden, ob sich die Reservierung mit anderen Buchungen "
                                  "überschneidet:\n") +
                   (error.number() == db::err::Locked
                        ? QStringLiteral("Die Datenbank ist gerade an einem anderen Arbeitsplatz gesperrt.")
                        : db::errorText(error.number()));
    if (saving)
        text += QStringLiteral("\n\nDie Reservierung wurde nicht gespeichert. Versuchen Sie es bitte gleich noch einmal.");
    else
        text += QStringLiteral("\n\nBeim Speichern wird erneut geprüft.");
    return text;
}

bool GetFloorOccupancy(qint32 /*mandantId*/, qint32 floorId, const rt::Date& dStart, const rt::Date& dEnd, int& placeCount,
                       int& bookingCount)
{
    requireDatabase();
    {
        db::Recordset rs = openReadOnly(
            QStringLiteral("SELECT Count(*) AS myRecordCount FROM tbl_places INNER JOIN tbl_floors ON tbl_places.pl_floor_id = "
                           "tbl_floors.flr_id WHERE pl_disabled=False AND flr_id=") +
            QString::number(floorId) + QStringLiteral(";"));
        placeCount = rs.eof() ? 0 : rs.value(QStringLiteral("myRecordCount")).toLong();
    }
    if (placeCount > 0) {
        // Places, not bookings: a place booked twice in the period is still one
        // occupied place, so the free count never drops below zero.
        QSet<qint32> occupied;
        db::Recordset rs = openReadOnly(
            QStringLiteral("SELECT DISTINCT tbl_places.pl_id AS pl_id FROM tbl_bookings INNER JOIN (tbl_places "
                           "INNER JOIN tbl_floors ON tbl_places.pl_floor_id = tbl_floors.flr_id) ON tbl_bookings.book_place_id "
                           "= tbl_places.pl_id WHERE (IFNULL(book_cust_count, 1)>0) AND (pl_disabled=False) AND (flr_id=") +
            QString::number(floorId) + QStringLiteral(") AND (book_start <= ") + DateToSQL(dEnd) +
            QStringLiteral(") AND (book_end > ") + DateToSQL(dStart) + QStringLiteral(");"));
        for (; !rs.eof(); rs.moveNext())
            occupied.insert(rs.value(QStringLiteral("pl_id")).toLong());
        for (const UnreadableBooking& u : UnreadableBookingsOn(QStringLiteral("pl_floor_id = ? AND pl_disabled = 0"), {floorId}))
            occupied.insert(u.pl_id);
        bookingCount = static_cast<int>(occupied.size());
    }
    return placeCount > bookingCount;
}

QString GetBuildingFloorName(qint32 floorId, qint32 buildingId)
{
    QString sql;
    if (floorId >= 1)
        sql = QStringLiteral("SELECT flr_name, bld_name FROM tbl_floors INNER JOIN tbl_buildings ON tbl_floors.flr_building_id = "
                             "tbl_buildings.bld_id WHERE flr_id = ") +
              QString::number(floorId);
    else if (buildingId > 0)
        sql = QStringLiteral("SELECT '' as flr_name, bld_name FROM tbl_buildings WHERE bld_id = ") + QString::number(buildingId);
    else
        return QString();
    requireDatabase();
    db::Recordset rs = openReadOnly(sql);
    if (rs.eof())
        return QString();
    QString name = rs.value(QStringLiteral("bld_name")).toText();
    const QString floorName = rs.value(QStringLiteral("flr_name")).toText();
    if (!floorName.isEmpty())
        name += QStringLiteral(" / ") + floorName;
    return name;
}

QString GetBookingPeriodText(qint32 bookId)
{
    if (bookId <= 0 || !Db)
        return QString();
    try {
        db::Recordset rs = openReadOnly(QStringLiteral("SELECT book_start, book_end FROM tbl_bookings WHERE book_id = ") +
                                        QString::number(bookId) + QStringLiteral(";"));
        if (rs.eof())
            return QString();
        const db::Value start = rs.value(QStringLiteral("book_start"));
        const db::Value end = rs.value(QStringLiteral("book_end"));
        if (!IsReadableDate(start) || !IsReadableDate(end))
            return QString();
        const QString pattern = QStringLiteral("Dd.mm.yyyy hh:nn");
        const qint64 days = start.toDate().toQDate().daysTo(end.toDate().toQDate());
        return rt::formatDate(start.toDate(), pattern) + QStringLiteral("  -  ") + rt::formatDate(end.toDate(), pattern) +
               QStringLiteral("  =  ") + QString::number(days) + QStringLiteral(" Tage");
    } catch (const db::DbError&) {
        return QString();
    }
}

qint32 GetLastInvoiceIdOfBooking(qint32 bookingId)
{
    return maxInvoiceId(QStringLiteral("inv_booking_id"), bookingId);
}

qint32 GetLastInvoiceIdOfCustomer(qint32 customerId)
{
    return maxInvoiceId(QStringLiteral("inv_customer_id"), customerId);
}

namespace {

// A rate as its whole-number column keeps it; read exactly, also when another
// tool stored a fraction. type: what typeof() says of the column.
std::optional<double> storedRate(const db::Value& type, const db::Value& number)
{
    const QString kind = type.toText();
    if (kind != QLatin1String("integer") && kind != QLatin1String("real"))
        return std::nullopt;
    const double rate = number.toDouble();
    if (!(rate >= 0 && rate <= 255))
        return std::nullopt;
    return rate;
}

}  // namespace

bool LookupMehrwertsteuer(const rt::Date& d, std::optional<double>& vatFull, std::optional<double>& vatReduced)
{
    requireDatabase();
    // Periods are whole days: the last day counts all day long, not only
    // up to its midnight.
    const rt::Date day = d.datePart();
    db::Recordset rs = openReadOnly(
        QStringLiteral("SELECT vat_date_start, vat_date_end, typeof(vat_full), CAST(vat_full AS REAL), "
                       "typeof(vat_reduced), CAST(vat_reduced AS REAL) FROM tbl_vat WHERE vat_date_start < ") +
        DateToSQL(day.addDays(1)) + QStringLiteral(" AND vat_date_end >= ") + DateToSQL(day) + QStringLiteral(";"));
    // Text sorts after every number, so a period whose end another tool
    // stored as text would reach on forever: one whose dates cannot be read
    // covers no day.
    for (; !rs.eof(); rs.moveNext()) {
        if (!IsReadableDate(rs.field(0).value()) || !IsReadableDate(rs.field(1).value()))
            continue;
        vatFull = storedRate(rs.field(2).value(), rs.field(3).value());
        vatReduced = storedRate(rs.field(4).value(), rs.field(5).value());
        return true;
    }
    return false;
}

bool GetMehrwertsteuer(const rt::Date& d, std::optional<double>& vatFull, std::optional<double>& vatReduced)
{
    try {
        if (!LookupMehrwertsteuer(d, vatFull, vatReduced))
            throw db::DbError(db::err::NoCurrentRecord);
        return true;
    } catch (const db::DbError& error) {
        ui::msgBox(QStringLiteral("Fehler in GetMehrwertsteuer\n") + error.description(), ui::Critical, AppTitle);
        return false;
    }
}

QString GetCustomerName(const QString& /*text*/, qint32 custId)
{
    if (!Db)
        return QString();
    try {
        db::Recordset rs =
            openReadOnly(QStringLiteral("SELECT cust_lastname, cust_firstname FROM tbl_customers WHERE cust_id = ") +
                         QString::number(custId) + QStringLiteral(";"));
        if (rs.eof())
            return QStringLiteral("Person nicht in der Datenbank gefunden");
        const QString last = rs.value(QStringLiteral("cust_lastname")).toText();
        const QString first = rs.value(QStringLiteral("cust_firstname")).toText();
        return first.isEmpty() ? last : last + QStringLiteral(", ") + first;
    } catch (const db::DbError&) {
        return QString();
    }
}

qint32 GetFirstFloorId(qint32 buildingId)
{
    requireDatabase();
    db::Recordset rs = openReadOnly(QStringLiteral("SELECT MIN(flr_id) AS first_floor FROM tbl_floors WHERE flr_building_id = ") +
                                    QString::number(buildingId) + QStringLiteral(";"));
    if (rs.eof())
        return -1;
    const db::Value first = rs.value(QStringLiteral("first_floor"));
    return first.isNull() ? -1 : first.toLong();
}
