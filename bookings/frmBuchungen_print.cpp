#include "bookings/frmBuchungen.h"

#include "bookings/bookinglist.h"
#include "bookings/bookinglistprint.h"
#include "bookings/confirmation.h"
#include "core/handler.h"
#include "platform/ui/dialogs.h"

#include <QPushButton>

void frmBuchungen::connectPrintHandlers()
{
    connect(btnOutputWordDoc, &QPushButton::clicked, this, &frmBuchungen::btnOutputWordDoc_Click);
    connect(cmdBookingConfirmation, &QPushButton::clicked, this, &frmBuchungen::btnOutputWordDoc_Click);
    connect(cmdPrintList, &QPushButton::clicked, this, &frmBuchungen::cmdPrintList_Click);
}

void frmBuchungen::btnOutputWordDoc_Click()
{
    editorAction(QStringLiteral("btnOutputWordDoc_Click"), [this] {
        if (ui::msgBox(QStringLiteral("Wollen Sie eine Reservierungs-Bestätigung drucken?"), ui::OkCancel | ui::Question,
                       QStringLiteral("Reservierungs-Bestätigung drucken"))
            != ui::Answer::Ok)
            return;
        if (!m_editor.SaveBooking())
            return;
        // What the save stored, not what the fields held before it: another
        // workstation's changes kept by the save are part of the booking.
        const RowValues& stored = m_editor.savedRow();
        WriteBookingConfirmation(ConfirmationOfStored(
            stored, MandantName, m_editor.placeText(stored.value(QStringLiteral("book_place_id")).toLong())));
    });
}

void frmBuchungen::cmdPrintList_Click()
{
    RunHandler(QStringLiteral("cmdPrintList_Click"), [this] { PrintBookingList(PrintedListOf(windowTitle(), *m_model)); });
}
