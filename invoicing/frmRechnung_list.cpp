#include "invoicing/frmRechnung.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/invoices.h"
#include "core/workstation.h"
#include "invoicing/invoicelistmodel.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QSignalBlocker>

void frmRechnung::FillListRechnungen(qint32 invId, qint32 custId)
{
    ui::WaitCursor wait;
    m_listCustomerId = custId;
    const FillingListsGuard filling;
    const QSignalBlocker quiet(listRechnungen);
    // Thousands of invoices go into the list at once, not one by one.
    m_invoiceList->setRows(ListInvoices(custId, InvoiceListSince(rt::Date::today())));
    listRechnungen->setCurrentIndex(m_invoiceList->rowOf(invId));
}

void frmRechnung::listRechnungen_Click(int index)
{
    if (FillingLists || index < 0)
        return;
    RunHandler(QStringLiteral("listRechnungen_Click"), [this, index] {
        const qint32 invId = listRechnungen->itemData(index).toInt();
        if (!leaveInvoice()) {
            // The chosen invoice is not shown: the list says which one is.
            const QSignalBlocker quiet(listRechnungen);
            listRechnungen->setCurrentIndex(listRechnungen->findData(m_session.CurrentInvoiceId));
            return;
        }
        m_session.LoadInvoice(invId);
        showSession();
        {
            const QSignalBlocker quiet(listRechnungen);
            listRechnungen->setCurrentIndex(listRechnungen->findData(invId));
        }
        m_session.TellStoredTotal();
    });
}

void frmRechnung::btnListRechnungenUpdate_Click()
{
    RunHandler(QStringLiteral("btnListRechnungenUpdate_Click"),
               [this] { FillListRechnungen(m_session.CurrentInvoiceId, m_listCustomerId); });
}

void frmRechnung::btnNeu_Click()
{
    RunHandler(QStringLiteral("btnNeu_Click"), [this] {
        if (!leaveInvoice())
            return;
        m_session.CreateNewInvoice();
        m_lastArticleId = 0;
        showSession();
        const QSignalBlocker quiet(listRechnungen);
        listRechnungen->setCurrentIndex(-1);
    });
}

void frmRechnung::btnDelete_Click()
{
    RunHandler(QStringLiteral("btnDelete_Click"), [this] {
        const qint32 custId = m_session.CustomerId;
        if (!m_session.DeleteInvoice()) {
            // Kept, with the positions as stored now.
            showSession();
            return;
        }
        FillListRechnungen(-1, custId);
        m_lastArticleId = -1;
        showSession();
    });
}

void frmRechnung::cmdSave_Click()
{
    RunHandler(QStringLiteral("cmdSave_Click"), [this] {
        if (RefuseReadOnly(ui::Critical))
            return;
        commitEdits();
        m_session.SaveInvoice();
        FillListRechnungen(m_session.CurrentInvoiceId, m_session.CustomerId);
        showSession();
    });
}
