#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Reads and writes of tbl_invoice, tbl_invoice_positions, tbl_invoice_status
// and tbl_paymode. Values are bound; failures throw db::DbError.

struct InvoiceHeader {
    qint32 inv_id = 0;
    std::optional<rt::Date> inv_date;   // nullopt: empty, or it cannot be read
    bool inv_date_unreadable = false;   // stored, but as no date the program can read
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
// The invoice's row as stored, every column; nullopt when it is gone.
std::optional<RowValues> ReadInvoiceRow(qint32 invId);
InvoiceHeader InvoiceHeaderFromRow(const RowValues& row);
// The day whose VAT the total of the stored invoice is computed with: its
// date, today when it has none; nullopt when its date cannot be read, and
// then no total is stored.
std::optional<rt::Date> TotalDayOf(const InvoiceHeader& header);

// The largest amount a price may have, typed or stored: 99.999.999,99.
inline constexpr double MaxPrice = 99'999'999.99;
// An amount as a price column keeps it: empty as 0; nullopt when it cannot
// be read (text another tool stored, beyond MaxPrice).
std::optional<double> StoredPrice(const db::Value& value);

// A new invoice row holding the table's defaults; returns its id.
qint32 CreateInvoice();

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
    RowValues row;               // LoadInvoicePositions: the position's own columns as read
    // Stored so that the program cannot read it (text, a fraction of a whole
    // number, beyond the column's range): the number above is then no value
    // of the position's, and no amount is made from it.
    bool quantityUnreadable = false;
    bool priceUnreadable = false;
    bool taxUnreadable = false;   // the service's srv_tax_id
    bool readable() const { return !quantityUnreadable && !priceUnreadable && !taxUnreadable; }
};

// The gross the invoice window shows for positions dated on a day, given by
// the invoicing layer, so that inv_total is always what the window computes;
// nullopt when a value it needs cannot be read or no VAT period covers the
// day, and then no total is stored.
using InvoiceGrossRule =
    std::function<std::optional<double>(const std::vector<InvoicePositionRow>& positions, const rt::Date& day)>;

// Every write below that names another row checks, in its own transaction,
// that the row still exists; when it does not, nothing is written and the
// result says which is missing. Each write of positions stores the invoice's
// new gross in inv_total in the same transaction, computed from the positions
// stored at that moment under the invoice's stored date (today when it has
// none), so the stored total always matches the stored positions.
enum class InvoiceWrite {
    Written,
    InvoiceMissing,    // the invoice's row is gone (or the id names none)
    PositionMissing,   // the position's row is gone
    CustomerMissing,   // the recipient's row is gone
    ServiceMissing,    // the service the position keeps the id of is gone
    Cancelled,         // asked about another workstation's change, the user kept the edit: nothing written
};

struct InvoiceWriteOutcome {
    InvoiceWrite result = InvoiceWrite::Written;
    qint32 id = 0;                     // the invoice or position written
    qint32 missingId = 0;              // the customer or service missing
    std::vector<qint32> positionIds;   // StoreInvoiceAnew: the new positions, in the order given
    QStringList notWritten;            // changes of a loaded row: clashing columns that kept the stored value
    RowValues row;                     // StoreInvoiceHeader: the invoice's row as stored now
};

// What the save writes into an invoice's header. An empty optional leaves
// the stored value as it is. A customer id below 1 is none.
struct InvoiceHeaderWrite {
    std::optional<rt::Date> inv_date;
    std::optional<qint32> inv_status_id;
    std::optional<qint32> inv_paymode_id;
    qint32 inv_mandant_id = 0;
    qint32 inv_booking_id = 0;
    qint32 inv_customer_id = 0;
    QString inv_notes;
    bool inv_is_payed = false;
};

// The columns of the header a window edits: those InvoiceHeaderWrite holds,
// the empty optionals left out. Taken from the window's fields right after
// loading and again at the save (ChangedColumns).
RowValues InvoiceHeaderColumns(const InvoiceHeaderWrite& header);
// How a question about another workstation's change names the header's
// fields (Datum, Status, Zahlungsart, Notiz, bezahlt, Empfänger, ...).
QList<MergeField> InvoiceMergeFields();

// Writes the changes of a header the window read as `loaded`: only `changed`
// (of InvoiceHeaderColumns), keeping what another workstation changed since,
// asking `ask` outside the write lock where both changed one column; then
// the total of the positions stored now under the date stored now, all in
// one transaction. The outcome's row is the invoice as stored.
// The total is changed only to the gross the window shows and has named to
// the user (shownGross): when the VAT table or mode changed since the total
// was stored and the window has not said so, the stored total stays.
InvoiceWriteOutcome StoreInvoiceHeader(qint32 invId, const RowValues& loaded, const RowValues& changed,
                                       const ClashAsk& ask, const InvoiceGrossRule& gross,
                                       const std::optional<double>& shownGross);
// An invoice deleted at another workstation stored again as it is shown: a
// new row with the header, the positions given (their ivp_id is not used) and
// the total, all in one transaction; nothing is written under the old id.
InvoiceWriteOutcome StoreInvoiceAnew(const InvoiceHeaderWrite& header, const std::vector<InvoicePositionRow>& positions,
                                     const InvoiceGrossRule& gross);

// Deletes, with its positions, the invoice a window shows, asking as
// DeleteShownRow asks (the only delete of an invoice there is). shown: InvoiceShownColumns as the window read them
// and the positions as it shows them (ShownPositionsValue), compared with
// what is stored; InvoiceDeleteFields names what changed. Throws db::DbError.
DeleteResult DeleteShownInvoice(qint32 invId, const RowValues& shown, const DeleteAsk& ask);
// The header columns the invoice window shows.
QStringList InvoiceShownColumns();
// The positions of an invoice (their own columns as read) as one value, for
// the comparison before a delete; stored under PositionsColumn.
inline const QString PositionsColumn = QStringLiteral("positionen");
db::Value ShownPositionsValue(const std::vector<RowValues>& positionRows);
// The header's fields and the positions, for the question before a delete.
QList<MergeField> InvoiceDeleteFields();

// Stores the total a document printed, in one transaction with the check that
// the positions it printed (their rows as read) are those stored now. false
// when they changed meanwhile or the invoice is gone: nothing is written.
// vatDay: the day whose VAT the total was computed with; when that is not
// the invoice's stored date (a date typed and not saved, or one stored that
// cannot be read), or gross finds a value it cannot read (no total from
// them), nothing is written either, and the answer is true.
bool StorePrintedTotal(qint32 invId, const std::vector<RowValues>& printedPositions,
                       const std::optional<rt::Date>& vatDay, double total, const InvoiceGrossRule& gross);

// The positions of an invoice in the order they were added. An empty
// quantity or price reads as 0, an empty class or a missing service as none.
std::vector<InvoicePositionRow> LoadInvoicePositions(qint32 invId);
// Stores a new position (invoice, article, quantity, price and text); the
// outcome's id is the new position's.
InvoiceWriteOutcome AddInvoicePosition(const InvoicePositionRow& position, const InvoiceGrossRule& gross);
// The columns of a position a window edits: ivp_quantity, ivp_price and
// ivp_text (an empty text as Null: the service's name is shown again).
RowValues InvoicePositionColumns(const InvoicePositionRow& position);
// How a question names a position's fields (Menge, Einzelpreis, Beschreibung).
QList<MergeField> InvoicePositionMergeFields();
// Writes the changes of a position read as `loaded` (its row), as
// StoreInvoiceHeader does, with the invoice's new total. PositionMissing or
// InvoiceMissing when either is gone; Cancelled when the user kept the edit.
InvoiceWriteOutcome StorePositionChanges(qint32 ivpId, const RowValues& loaded, const RowValues& changed,
                                         const ClashAsk& ask, const InvoiceGrossRule& gross);
// Deletes a position read as `loaded`. When another workstation changed it
// since, `ask` decides (outside the write lock): only Mine deletes it, any
// other answer gives Cancelled and the position stays.
InvoiceWrite DeleteInvoicePosition(qint32 ivpId, const RowValues& loaded, const ClashAsk& ask,
                                   const InvoiceGrossRule& gross);

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
