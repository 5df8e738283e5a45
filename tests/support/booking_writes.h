#pragma once

#include "core/bookings.h"

#include <QList>

namespace test {

// Writes the program offers no window: what another workstation, another
// tool or a test's set-up does to stored bookings, unchecked and uncompared.

// Stores the booking's columns as given over its row (book_bearb_date: now).
void WriteBooking(const Booking& booking);
// Deletes the bookings; returns how many were removed.
int DeleteBookings(const QList<qint32>& bookIds);
inline int DeleteBooking(qint32 bookId) { return DeleteBookings({bookId}); }

}  // namespace test
