#include "invoicing/frmRechnung.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/invoices.h"
#include "core/preferences.h"
#include "invoicing/invoicedocument.h"
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"

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
        // What the window shows, saved or not.
        const QString paymode = m_session.PaymodeId ? GetPaymodePrinttext(*m_session.PaymodeId) : QString();
        WriteInvoiceDocument(AppPath + InvoiceTemplateName, InvoiceDocument(m_session, MwStIncluded, paymode));
    });
}
