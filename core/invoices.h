#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <optional>
#include <vector>

// Reads and writes of tbl_invoice, tbl_invoice_positions, tbl_invoice_status
// and tbl_paymode. Values are bound; failures throw db::DbError.

struct InvoiceHeader {
    qint32 inv_id = 0;
    std::optional<rt::Date> inv_date;   // nullopt: empty
    qint32 inv_status_id = 0;           // empty columns read as 0
    qint32 inv_paymode_id = 0;
    qint32 inv_mandant_id = 0;
    qint32 inv_booking_id = 0;
    qint32 inv_customer_id = 0;
    QString inv_notes;
    double inv_total = 0;
    bool inv_is_payed = false;
    bool inv_is_sent = false;
};

// nullopt when there is no such invoice (another workstation deleted it).
std::optional<InvoiceHeader> LoadInvoiceHeader(qint32 invId);

// A new invoice row holding the table's defaults; returns its id.
qint32 CreateInvoice();

// What the save writes into an invoice's header. An empty optional leaves
// the stored value as it is.
struct InvoiceHeaderWrite {
    std::optional<rt::Date> inv_date;
    std::optional<qint32> inv_status_id;
    std::optional<qint32> inv_paymode_id;
    qint32 inv_mandant_id = 0;
    qint32 inv_booking_id = 0;
    qint32 inv_customer_id = 0;
    QString inv_notes;
    double inv_total = 0;
    bool inv_is_payed = false;
};

// Writes the header of invoice invId in one transaction and returns the id
// written. When another workstation deleted the row meanwhile, a new row takes
// the header and the positions still stored under invId, and its id is
// returned.
qint32 StoreInvoiceHeader(qint32 invId, const InvoiceHeaderWrite& header);

// Names the invoice's recipient at once.
void SetInvoiceCustomer(qint32 invId, qint32 custId);

// Removes the invoice's positions and then its header, in one transaction.
void RemoveInvoice(qint32 invId);
// Removes every position of an invoice.
void DeleteInvoicePositions(qint32 invId);

// A position with what its service says about it.
struct InvoicePositionRow {
    qint32 ivp_id = 0;
    qint32 ivp_invoice_id = 0;
    qint32 ivp_prod_id = -1;     // srv_id, -1 for a free position
    int ivp_quantity = 0;
    double ivp_price = 0;        // unit price
    QString ivp_text;            // own text; "" means the service's name
    bool hasService = false;     // a service of ivp_prod_id exists
    QString srv_name;
    std::optional<int> srv_tax_id;
};

// The positions of an invoice in the order they were added.
std::vector<InvoicePositionRow> LoadInvoicePositions(qint32 invId);
// Stores a new position (invoice, article, quantity, price and text); returns its id.
qint32 AddInvoicePosition(const InvoicePositionRow& position);
// Each changes one column of a position; false when the position is gone.
bool SetPositionQuantity(qint32 ivpId, int quantity);
bool SetPositionPrice(qint32 ivpId, double price);
// An empty text empties the column (the service's name is shown again).
bool SetPositionText(qint32 ivpId, const QString& text);
bool DeleteInvoicePosition(qint32 ivpId);

// One line of the invoice list.
struct InvoiceListRow {
    qint32 inv_id = 0;
    bool inv_is_sent = false;
    QString ivs_name;
    std::optional<rt::Date> inv_date;
    QString cust_company;
    QString cust_lastname;
    QString cust_firstname;
};
// The invoices of a customer (custId above 0), or else those dated after
// since; newest first.
std::vector<InvoiceListRow> ListInvoices(qint32 custId, const rt::Date& since);

// The ids of the invoice states and of the payment modes, in list order.
std::vector<qint32> InvoiceStatusIds();
std::vector<qint32> PaymodeIds();
// The text a payment mode prints on the invoice; "" when there is none.
QString PaymodePrinttextOf(qint32 paymId);
