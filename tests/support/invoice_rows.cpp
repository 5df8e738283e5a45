#include "tests/support/invoice_rows.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

namespace test {

void RemoveInvoiceRows(qint32 invId)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    d.execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_invoice_id = ?"), {invId});
    d.execute(QStringLiteral("DELETE FROM tbl_invoice WHERE inv_id = ?"), {invId});
    transaction.commit();
}

}  // namespace test
