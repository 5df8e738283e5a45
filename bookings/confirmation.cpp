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
    ShowWordDocument();
    return true;
}
