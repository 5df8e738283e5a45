#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <optional>

class QLineEdit;

namespace db {
class DbError;
}

// Background colours of the date and guest fields after a check (blue-green-red).
constexpr qint32 ConflictFreeColor = 0xFF00;      // green: no conflict
constexpr qint32 GuestBookedColor = 0xD0FF;       // orange: the guest is booked elsewhere
constexpr qint32 PlaceOccupiedColor = 0x40FF;     // red: the place is occupied

// What CheckBookingConflicts tests.
enum ConflictMode : int { CheckGuest = 0, CheckPlace = 1, CheckGuestAndPlace = 2 };

// Checks the period typed into txtStart and txtEnd (each the day at 12:00)
// against the stored bookings and colours the fields: the guest field for the
// guest test, both date fields with the worse result (a place conflict wins).
// bookId is the booking being edited (0 or below for a new one) and never
// conflicts with itself. Only the results of the tests the mode runs are
// written. When either text is no date nothing changes; when a test cannot
// be made the user is told and nothing changes either.
void CheckBookingConflicts(QLineEdit* txtStart, QLineEdit* txtEnd, QLineEdit* txtGuest, qint32 custId, qint32 placeId,
                           qint32 bookId, bool& guestBooked, bool& placeOccupied, int mode);

// The same check on the texts alone, for logic that owns no fields: the
// colour for both date fields and, when the guest was tested, for the guest
// field. nullopt when either text is no date (nothing tested, flags kept).
// Throws db::DbError as the tests below do.
struct ConflictColours {
    qint32 dates = ConflictFreeColor;
    std::optional<qint32> guest;
};
std::optional<ConflictColours> CheckConflicts(const QString& startText, const QString& endText, qint32 custId,
                                              qint32 placeId, qint32 bookId, bool& guestBooked, bool& placeOccupied,
                                              int mode);

// The single tests on dates already at 12:00. Two periods overlap when each
// starts before the other ends; only bookings with persons occupy a place,
// while any booking counts for the guest. An id of 0 or below is never booked.
// A booking with persons whose period cannot be read holds its place for any
// period. A query that fails throws db::DbError: it tells neither free nor
// booked, so a save must be refused with ConflictCheckFailedText.
bool IsCustomerBooked(qint32 custId, const rt::Date& dStart, const rt::Date& dEnd, qint32 bookId);
bool IsPlaceBooked(qint32 placeId, const rt::Date& dStart, const rt::Date& dEnd, qint32 bookId);

// What the user is told when a test could not be made: why, and, saving,
// that nothing was stored; otherwise that the save checks again.
QString ConflictCheckFailedText(const db::DbError& error, bool saving);

// The enabled places of a floor and how many of them hold a booking with
// persons in the period (a booking starting exactly at dEnd counts, and one
// whose period cannot be read counts always). True
// when at least one place is free. bookingCount is left alone when the floor
// has no enabled place. mandantId is not used. Throws db::DbError.
bool GetFloorOccupancy(qint32 mandantId, qint32 floorId, const rt::Date& dStart, const rt::Date& dEnd, int& placeCount,
                       int& bookingCount);

// "Building / Floor", or the building alone; "" for neither. Throws db::DbError.
QString GetBuildingFloorName(qint32 floorId, qint32 buildingId);

// "01.07.2021 12:00  -  04.07.2021 12:00  =  3 Tage"; "" when the booking or
// one of its dates is missing or the query fails.
QString GetBookingPeriodText(qint32 bookId);

// The newest invoice of a booking or customer; 0 when there is none or the id
// is below 1. Throws db::DbError.
qint32 GetLastInvoiceIdOfBooking(qint32 bookingId);
qint32 GetLastInvoiceIdOfCustomer(qint32 customerId);

// The full and the reduced VAT rate in percent valid on the day of d (a period
// holds from its first to its last day, both whole). A rate stored so that it
// cannot be read (empty, text, beyond 0 to 255) becomes nullopt, never 0 or
// another rate: the caller names it and computes no amount from it. A period
// whose dates cannot be read covers no day. When no VAT period covers the
// day or the query fails, the user is told, every rate not read keeps the
// caller's value and the result is false.
bool GetMehrwertsteuer(const rt::Date& d, std::optional<double>& vatFull, std::optional<double>& vatReduced);
// The same without telling anyone, for writes that must not wait on a
// message: false when no period covers the day. Throws db::DbError.
bool LookupMehrwertsteuer(const rt::Date& d, std::optional<double>& vatFull, std::optional<double>& vatReduced);

// "Last, First" or the last name alone; "Person nicht in der Datenbank
// gefunden" for an unknown id. The first argument is not used.
QString GetCustomerName(const QString& text, qint32 custId);

// The lowest floor id of a building; -1 when it has no floor. Throws db::DbError.
qint32 GetFirstFloorId(qint32 buildingId);
