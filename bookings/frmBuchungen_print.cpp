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
        // Taken before the save: its refresh of the list may empty the editor.
        ConfirmationBooking letter;
        letter.customerId = m_editor.state().CurrentCustomerId;
        letter.facility = MandantName;
        letter.place = m_editor.listRoomsText();
        letter.startText = m_editor.fields().tbBuchungDatum[0];
        letter.endText = m_editor.fields().tbBuchungDatum[1];
        letter.info = m_editor.fields().tbBuchungInfo;
        if (m_editor.SaveBooking())
            WriteBookingConfirmation(letter);
    });
}

void frmBuchungen::cmdPrintList_Click()
{
    RunHandler(QStringLiteral("cmdPrintList_Click"), [this] { PrintBookingList(PrintedListOf(windowTitle(), *m_model)); });
}
