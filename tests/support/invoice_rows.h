#pragma once

#include <QtGlobal>

namespace test {

// What another workstation's delete leaves: the invoice's positions and its
// header gone, in one transaction, whatever the rows hold. No window of the
// program deletes an invoice without comparing it with what it showed.
void RemoveInvoiceRows(qint32 invId);

}  // namespace test
