#include "tests/support/unchecked_writes.h"

#include "core/database.h"
#include "core/rowmerge.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

namespace test {

namespace {

bool yes(const RowValues&, const RowMerge&)
{
    return true;
}

}  // namespace

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

CustomerDeleteResult DeleteCustomer(qint32 custId)
{
    const std::optional<RowValues> row = ReadCustomerRow(custId);
    return row ? DeleteShownCustomer(custId, *row, yes) : CustomerDeleteResult::NotFound;
}

ResourceDeleteOutcome DeleteResource(ResourceKind kind, qint32 id)
{
    if (const std::optional<RowValues> row = ReadResourceRow(kind, id))
        return DeleteShownResource(kind, id, *row, yes);
    ResourceDeleteOutcome gone;
    gone.result = ResourceDeleteOutcome::Result::NotFound;
    return gone;
}

ServiceDeleteResult DeleteService(qint32 serviceId)
{
    const std::optional<RowValues> row = ReadServiceRow(serviceId);
    return row ? DeleteShownService(serviceId, *row, yes) : ServiceDeleteResult::NotFound;
}

void RemoveInvoice(qint32 invId)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    d.execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_invoice_id = ?"), {invId});
    d.execute(QStringLiteral("DELETE FROM tbl_invoice WHERE inv_id = ?"), {invId});
    transaction.commit();
}

}  // namespace test
