#include "invoicing/frmRechnung.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/invoices.h"
#include "core/preferences.h"
#include "invoicing/invoicedocument.h"
#include "invoicing/positionsmodel.h"
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"

#include <QStatusBar>

QString frmRechnung::GetPaymodePrinttext(qint32 paymId)
{
    try {
        return PaymodePrinttextOf(paymId);
    } catch (const db::DbError& e) {
        ui::msgBox(e.description(), ui::Exclamation, QStringLiteral("Fehler in GetPaymodePrinttext"));
        return QString();
    }
}

void frmRechnung::btnPreviewDoc_Click()
{
    RunHandler(QStringLiteral("btnPreviewDoc_Click"), [this] {
        // Alt+W leaves no field: a date or cell still being typed counts as
        // leaving it would make it, number and rates included.
        commitEdits();
        // The positions as stored, so the paper shows what the invoice holds;
        // the header as the window shows it, saved or not. The total printed
        // is stored with it, checked against the positions in one step.
        bool changedElsewhere = m_session.readStoredPositions();
        // A value that cannot be read stores no total here.
        for (int attempt = 0; !m_session.storeShownTotal(); ++attempt) {
            changedElsewhere = true;
            if (attempt == 2)
                throw db::DbError(db::err::Locked);
        }
        // The cell the user is on stays where the rows are the same.
        m_positions->update();
        showTotals();
        // Nothing printed while a value or the date cannot be read.
        if (m_session.refuseDocument())
            return;
        if (changedElsewhere) {
            StatusBar1->showMessage(m_session.StatusLine);
            ui::msgBox(QStringLiteral("Die Positionen wurden inzwischen an einem anderen Arbeitsplatz geändert; die "
                                      "Rechnung zeigt jetzt die gespeicherten Positionen."),
                       ui::Information, QStringLiteral("Rechnung"));
        }
        const QString paymode = m_session.PaymodeId ? GetPaymodePrinttext(*m_session.PaymodeId) : QString();
        if (const std::optional<InvoiceDocumentTexts> texts = InvoiceDocument(m_session, MwStIncluded, paymode))
            WriteInvoiceDocument(AppPath + InvoiceTemplateName, *texts);
    });
}
