#include "bookings/confirmation.h"

#include "bookings/bookingeditor.h"
#include "core/address.h"
#include "core/bookings.h"
#include "core/globals.h"
#include "core/wordctrl.h"
#include "platform/ui/busy.h"

QString ConfirmationBookingText(const ConfirmationBooking& booking)
{
    QString text = booking.facility + QStringLiteral("\r\n") + booking.place + QStringLiteral("\r\n") + QStringLiteral("vom ") +
                   booking.startText;
    const std::optional<rt::Date> end = BookingDay(booking.endText);
    if (end && !IsOpenEnd(*end))
        text += QStringLiteral(" bis zum ") + booking.endText;
    if (!booking.info.isEmpty())
        text += QStringLiteral("\r\n\r\n") + booking.info;
    return text;
}

ConfirmationBooking ConfirmationOfStored(const RowValues& row, const QString& facility, const QString& place)
{
    const qint32 guest = row.value(QStringLiteral("book_customer_id")).toLong();
    ConfirmationBooking booking;
    booking.customerId = guest > 0 ? guest : -1;
    booking.facility = facility;
    booking.place = place;
    booking.startText = BookingDayText(row.value(QStringLiteral("book_start")));
    booking.endText = BookingDayText(row.value(QStringLiteral("book_end")));
    booking.info = row.value(QStringLiteral("book_info")).toText();
    return booking;
}

ConfirmationBookmarks ConfirmationValues(const ConfirmationBooking& booking, const rt::Date& today)
{
    CustomerAddress address;
    ConfirmationBookmarks values;
    values.tm_anschrift = GetCustomerAddress(0, address, QStringLiteral("tbl_customers"), booking.customerId);
    values.tm_anrede = address.LetterSalutation;
    values.tm_datum = today;
    values.tm_reservierung = ConfirmationBookingText(booking);
    return values;
}

bool WriteBookingConfirmation(const ConfirmationBooking& booking)
{
    ui::WaitCursor wait;
    if (!OpenWordDocument(AppPath + QStringLiteral("Reservierungsbestaetigung.dotx")))
        return false;
    // The document is let go of whatever happens while it is filled.
    struct Release {
        ~Release()
        {
            if (WordDocOpen)
                ReleaseWordDocument();
        }
    } release;
    const ConfirmationBookmarks values = ConfirmationValues(booking, rt::Date::today());
    SetBookmarkText(QStringLiteral("tm_anschrift"), values.tm_anschrift);
    SetBookmarkText(QStringLiteral("tm_anrede"), values.tm_anrede);
    SetBookmarkText(QStringLiteral("tm_datum"), values.tm_datum);
    SetBookmarkText(QStringLiteral("tm_reservierung"), values.tm_reservierung);
    UpdateDocumentFields();
    return ShowWordDocument();
}
