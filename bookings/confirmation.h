#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QString>

// The booking confirmation letter: the template "Reservierungsbestaetigung.dotx"
// of the program folder filled for a booking and its guest, written as a new
// document and opened with the desktop's word processor.

// The booking as the letter tells it.
struct ConfirmationBooking {
    qint32 customerId = -1;
    QString facility;       // the facility's name
    QString place;          // "Building \ Floor \ Place"
    QString startText;      // the days as the editor shows them
    QString endText;
    QString info;
};

// The booking as stored (its row), in the facility and the place named:
// the letter tells what the database holds, whatever another workstation
// changed while the editor showed it.
ConfirmationBooking ConfirmationOfStored(const RowValues& row, const QString& facility, const QString& place);

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
// template that cannot be opened, or a document that cannot be saved or
// handed over, is reported and gives false.
bool WriteBookingConfirmation(const ConfirmationBooking& booking);
