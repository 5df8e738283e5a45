#pragma once

#include "core/bookings.h"
#include "core/customers.h"
#include "core/places.h"
#include "core/services.h"

#include <QList>

namespace test {

// Writes the program offers no window: what another workstation, another
// tool or a test's set-up does to stored rows, without comparing with what
// any window showed.

// Stores the booking's columns as given over its row (book_bearb_date: now).
void WriteBooking(const Booking& booking);
// Deletes the bookings; returns how many were removed.
int DeleteBookings(const QList<qint32>& bookIds);
inline int DeleteBooking(qint32 bookId) { return DeleteBookings({bookId}); }

// The row as stored now deleted, with the checks the program makes: a
// customer that bookings or invoices name, a resource with something below
// it, a service that invoice positions name is kept.
CustomerDeleteResult DeleteCustomer(qint32 custId);
ResourceDeleteOutcome DeleteResource(ResourceKind kind, qint32 id);
ServiceDeleteResult DeleteService(qint32 serviceId);
// The invoice's positions and its header deleted in one transaction, whatever
// they hold.
void RemoveInvoice(qint32 invId);

}  // namespace test
