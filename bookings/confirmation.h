#pragma once

#include "platform/runtime/date.h"

#include <QString>

// The booking confirmation letter: the template "Reservierungsbestaetigung.dotx"
// of the program folder filled for a booking and its guest, written as a new
// document and opened with the desktop's word processor.

// The booking as the editor shows it.
struct ConfirmationBooking {
    qint32 customerId = -1;
    QString facility;       // the facility's name
    QString place;          // "Building \ Floor \ Place"
    QString startText;      // the day texts of the editor
    QString endText;
    QString info;
};

// What the letter's bookmarks receive.
struct ConfirmationBookmarks {
    QString tm_anschrift;   // the guest's address block in letter form
    QString tm_anrede;      // "Sehr geehrte Frau Meier"
    rt::Date tm_datum;
    QString tm_reservierung;
};

// The facility, the place and the period, then the notes after an empty
// line; an open end leaves out the "bis zum" part.
QString ConfirmationBookingText(const ConfirmationBooking& booking);

// The bookmarks' values, the guest read from the database (db::DbError
// goes to the caller).
ConfirmationBookmarks ConfirmationValues(const ConfirmationBooking& booking, const rt::Date& today);

// Fills the template and hands the new document to the word processor; a
// template that cannot be opened is reported and gives false.
bool WriteBookingConfirmation(const ConfirmationBooking& booking);
