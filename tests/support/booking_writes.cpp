#include "tests/support/booking_writes.h"

#include "core/database.h"
#include "core/rowmerge.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

namespace test {

void WriteBooking(const Booking& booking)
{
    RowValues values = BookingColumns(booking);
    values.insert(QStringLiteral("book_bearb_date"), rt::Date::now());
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    WriteColumns(d, QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), booking.book_id, values);
    transaction.commit();
}

int DeleteBookings(const QList<qint32>& bookIds)
{
    int removed = 0;
    for (qint32 id : bookIds)
        removed += static_cast<int>(OpenedDb().execute(QStringLiteral("DELETE FROM tbl_bookings WHERE book_id = ?"), {id}));
    return removed;
}

}  // namespace test
