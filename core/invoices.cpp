#include "core/invoices.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"

namespace {

db::Recordset readOnly(const QString& sql, const QList<db::Value>& params)
{
    return OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
}

std::optional<rt::Date> dateOrNull(const db::Value& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDate();
}

std::vector<qint32> ids(const QString& sql)
{
    std::vector<qint32> result;
    db::Recordset rs = readOnly(sql, {});
    while (!rs.eof()) {
        result.push_back(rs.field(0).value().toLong());
        rs.moveNext();
    }
    return result;
}

bool exists(const QString& sql, qint32 id)
{
    return id > 0 && !readOnly(sql, {id}).eof();
}

bool invoiceExists(qint32 invId)
{
    return exists(QStringLiteral("SELECT inv_id FROM tbl_invoice WHERE inv_id = ?"), invId);
}

bool customerExists(qint32 custId)
{
    return exists(QStringLiteral("SELECT cust_id FROM tbl_customers WHERE cust_id = ?"), custId);
}

bool serviceExists(qint32 serviceId)
{
    return exists(QStringLiteral("SELECT srv_id FROM tbl_services WHERE srv_id = ?"), serviceId);
}

// The invoice a position belongs to; nullopt when the position is gone.
std::optional<qint32> invoiceOfPosition(qint32 ivpId)
{
    db::Recordset rs = readOnly(QStringLiteral("SELECT ivp_invoice_id FROM tbl_invoice_positions WHERE ivp_id = ?"), {ivpId});
    if (rs.eof())
        return std::nullopt;
    return rs.field(0).value().toLong();
}

// Writes the gross of the positions stored now into inv_total, under day,
// else the invoice's stored date, else today. Inside the caller's transaction.
void storeTotal(db::Database& d, qint32 invId, std::optional<rt::Date> day, const InvoiceGrossRule& gross)
{
    if (!day) {
        db::Recordset rs = readOnly(QStringLiteral("SELECT inv_date FROM tbl_invoice WHERE inv_id = ?"), {invId});
        day = rs.eof() ? std::nullopt : dateOrNull(rs.field(0).value());
    }
    const double total = gross(LoadInvoicePositions(invId), day ? day->datePart() : rt::Date::today().datePart());
    d.execute(QStringLiteral("UPDATE tbl_invoice SET inv_total = ? WHERE inv_id = ?"), {total, invId});
}

// The position's invoice and service must exist; then the row is added.
InvoiceWriteOutcome insertPosition(const InvoicePositionRow& position)
{
    if (!invoiceExists(position.ivp_invoice_id))
        return {InvoiceWrite::InvoiceMissing, 0, position.ivp_invoice_id, {}};
    if (position.ivp_prod_id > 0 && !serviceExists(position.ivp_prod_id))
        return {InvoiceWrite::ServiceMissing, 0, position.ivp_prod_id, {}};
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT * FROM tbl_invoice_positions WHERE ivp_id = -1"));
    rs.addNew();
    const qint32 id = rs.field(QStringLiteral("ivp_id")).value().toLong();
    rs.field(QStringLiteral("ivp_invoice_id")).setValue(position.ivp_invoice_id);
    rs.field(QStringLiteral("ivp_prod_id")).setValue(position.ivp_prod_id);
    rs.field(QStringLiteral("ivp_quantity")).setValue(position.ivp_quantity);
    rs.field(QStringLiteral("ivp_price")).setValue(position.ivp_price);
    rs.field(QStringLiteral("ivp_text")).setValue(db::textOrNull(position.ivp_text));
    rs.update();
    return {InvoiceWrite::Written, id, 0, {}};
}

void writeHeader(db::Database& d, qint32 invId, const InvoiceHeaderWrite& header)
{
    QString sql = QStringLiteral("UPDATE tbl_invoice SET inv_mandant_id = ?, inv_booking_id = ?, inv_customer_id = ?, "
                                 "inv_notes = ?, inv_is_payed = ?");
    QList<db::Value> params{header.inv_mandant_id, header.inv_booking_id, header.inv_customer_id,
                            db::textOrNull(header.inv_notes), header.inv_is_payed};
    if (header.inv_date) {
        sql += QStringLiteral(", inv_date = ?");
        params << *header.inv_date;
    }
    if (header.inv_status_id) {
        sql += QStringLiteral(", inv_status_id = ?");
        params << *header.inv_status_id;
    }
    if (header.inv_paymode_id) {
        sql += QStringLiteral(", inv_paymode_id = ?");
        params << *header.inv_paymode_id;
    }
    params << invId;
    d.execute(sql + QStringLiteral(" WHERE inv_id = ?"), params);
}

// A change of one column of a stored position, with the invoice's new total
// when it counts in it.
InvoiceWrite changePosition(qint32 ivpId, const QString& sql, const db::Value& value, const InvoiceGrossRule* gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    const std::optional<qint32> invId = invoiceOfPosition(ivpId);
    if (!invId)
        return InvoiceWrite::PositionMissing;
    if (!invoiceExists(*invId))
        return InvoiceWrite::InvoiceMissing;
    d.execute(sql, {value, ivpId});
    if (gross)
        storeTotal(d, *invId, std::nullopt, *gross);
    transaction.commit();
    return InvoiceWrite::Written;
}

}  // namespace

std::optional<InvoiceHeader> LoadInvoiceHeader(qint32 invId)
{
    if (invId <= 0)
        return std::nullopt;
    db::Recordset rs = readOnly(QStringLiteral("SELECT * FROM tbl_invoice WHERE inv_id = ?"), {invId});
    if (rs.eof())
        return std::nullopt;
    InvoiceHeader h;
    h.inv_id = rs.value(QStringLiteral("inv_id")).toLong();
    h.inv_date = dateOrNull(rs.value(QStringLiteral("inv_date")));
    h.inv_status_id = rs.value(QStringLiteral("inv_status_id")).toLong();
    h.inv_paymode_id = rs.value(QStringLiteral("inv_paymode_id")).toLong();
    h.inv_mandant_id = rs.value(QStringLiteral("inv_mandant_id")).toLong();
    h.inv_booking_id = rs.value(QStringLiteral("inv_booking_id")).toLong();
    h.inv_customer_id = rs.value(QStringLiteral("inv_customer_id")).toLong();
    h.inv_notes = rs.value(QStringLiteral("inv_notes")).toText();
    h.inv_total = rs.value(QStringLiteral("inv_total")).toDouble();
    h.inv_is_payed = rs.value(QStringLiteral("inv_is_payed")).toBool();
    h.inv_is_sent = rs.value(QStringLiteral("inv_is_sent")).toBool();
    return h;
}

qint32 CreateInvoice()
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT inv_id FROM tbl_invoice WHERE inv_id = -1"));
    rs.addNew();
    const qint32 id = rs.field(QStringLiteral("inv_id")).value().toLong();
    rs.update();
    transaction.commit();
    return id;
}

InvoiceWriteOutcome StoreInvoiceHeader(qint32 invId, const InvoiceHeaderWrite& header, const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (!invoiceExists(invId))
        return {InvoiceWrite::InvoiceMissing, 0, invId, {}};
    if (header.inv_customer_id > 0 && !customerExists(header.inv_customer_id))
        return {InvoiceWrite::CustomerMissing, 0, header.inv_customer_id, {}};
    writeHeader(d, invId, header);
    storeTotal(d, invId, header.inv_date, gross);
    transaction.commit();
    return {InvoiceWrite::Written, invId, 0, {}};
}

InvoiceWriteOutcome StoreInvoiceAnew(const InvoiceHeaderWrite& header, const std::vector<InvoicePositionRow>& positions,
                                     const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (header.inv_customer_id > 0 && !customerExists(header.inv_customer_id))
        return {InvoiceWrite::CustomerMissing, 0, header.inv_customer_id, {}};
    InvoiceWriteOutcome outcome{InvoiceWrite::Written, CreateInvoice(), 0, {}};
    for (InvoicePositionRow position : positions) {
        position.ivp_invoice_id = outcome.id;
        const InvoiceWriteOutcome added = insertPosition(position);
        if (added.result != InvoiceWrite::Written)
            return added;
        outcome.positionIds.push_back(added.id);
    }
    writeHeader(d, outcome.id, header);
    storeTotal(d, outcome.id, header.inv_date, gross);
    transaction.commit();
    return outcome;
}

InvoiceWrite SetInvoiceCustomer(qint32 invId, qint32 custId)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (!invoiceExists(invId))
        return InvoiceWrite::InvoiceMissing;
    if (custId > 0 && !customerExists(custId))
        return InvoiceWrite::CustomerMissing;
    d.execute(QStringLiteral("UPDATE tbl_invoice SET inv_customer_id = ? WHERE inv_id = ?"), {custId, invId});
    transaction.commit();
    return InvoiceWrite::Written;
}

void DeleteInvoicePositions(qint32 invId)
{
    OpenedDb().execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_invoice_id = ?"), {invId});
}

void RemoveInvoice(qint32 invId)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    DeleteInvoicePositions(invId);
    d.execute(QStringLiteral("DELETE FROM tbl_invoice WHERE inv_id = ?"), {invId});
    transaction.commit();
}

std::vector<InvoicePositionRow> LoadInvoicePositions(qint32 invId)
{
    std::vector<InvoicePositionRow> rows;
    db::Recordset rs = readOnly(
        QStringLiteral("SELECT ivp_id, ivp_invoice_id, ivp_prod_id, ivp_quantity, ivp_price, ivp_text, srv_id, srv_name, "
                       "srv_tax_id FROM tbl_invoice_positions LEFT JOIN tbl_services "
                       "ON tbl_invoice_positions.ivp_prod_id = tbl_services.srv_id "
                       "WHERE ivp_invoice_id = ? ORDER BY ivp_id"),
        {invId});
    while (!rs.eof()) {
        InvoicePositionRow p;
        p.ivp_id = rs.value(QStringLiteral("ivp_id")).toLong();
        p.ivp_invoice_id = rs.value(QStringLiteral("ivp_invoice_id")).toLong();
        p.ivp_prod_id = rs.value(QStringLiteral("ivp_prod_id")).toLong();
        p.ivp_quantity = rs.value(QStringLiteral("ivp_quantity")).toLong();
        p.ivp_price = rs.value(QStringLiteral("ivp_price")).toDouble();
        p.ivp_text = rs.value(QStringLiteral("ivp_text")).toText();
        p.hasService = !rs.value(QStringLiteral("srv_id")).isNull();
        p.srv_name = rs.value(QStringLiteral("srv_name")).toText();
        const db::Value tax = rs.value(QStringLiteral("srv_tax_id"));
        if (!tax.isNull())
            p.srv_tax_id = tax.toLong();
        rows.push_back(std::move(p));
        rs.moveNext();
    }
    return rows;
}

InvoiceWriteOutcome AddInvoicePosition(const InvoicePositionRow& position, const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    const InvoiceWriteOutcome outcome = insertPosition(position);
    if (outcome.result != InvoiceWrite::Written)
        return outcome;
    storeTotal(d, position.ivp_invoice_id, std::nullopt, gross);
    transaction.commit();
    return outcome;
}

InvoiceWrite SetPositionQuantity(qint32 ivpId, int quantity, const InvoiceGrossRule& gross)
{
    return changePosition(ivpId, QStringLiteral("UPDATE tbl_invoice_positions SET ivp_quantity = ? WHERE ivp_id = ?"),
                          quantity, &gross);
}

InvoiceWrite SetPositionPrice(qint32 ivpId, double price, const InvoiceGrossRule& gross)
{
    return changePosition(ivpId, QStringLiteral("UPDATE tbl_invoice_positions SET ivp_price = ? WHERE ivp_id = ?"), price,
                          &gross);
}

InvoiceWrite SetPositionText(qint32 ivpId, const QString& text)
{
    return changePosition(ivpId, QStringLiteral("UPDATE tbl_invoice_positions SET ivp_text = ? WHERE ivp_id = ?"),
                          db::textOrNull(text), nullptr);
}

InvoiceWrite DeleteInvoicePosition(qint32 ivpId, const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    const std::optional<qint32> invId = invoiceOfPosition(ivpId);
    if (!invId)
        return InvoiceWrite::PositionMissing;
    d.execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_id = ?"), {ivpId});
    // A position left behind by a deleted invoice goes without a total to keep.
    if (invoiceExists(*invId))
        storeTotal(d, *invId, std::nullopt, gross);
    transaction.commit();
    return InvoiceWrite::Written;
}

std::vector<InvoiceListRow> ListInvoices(qint32 custId, const rt::Date& since)
{
    QString sql = QStringLiteral(
        "SELECT inv_id, inv_is_sent, ivs_name, inv_date, cust_company, cust_lastname, cust_firstname "
        "FROM (tbl_invoice LEFT JOIN tbl_customers ON tbl_invoice.inv_customer_id = tbl_customers.cust_id) "
        "LEFT JOIN tbl_invoice_status ON tbl_invoice.inv_status_id = tbl_invoice_status.ivs_id");
    QList<db::Value> params;
    if (custId > 0) {
        sql += QStringLiteral(" WHERE inv_customer_id = ?");
        params << custId;
    } else {
        sql += QStringLiteral(" WHERE inv_date > ?");
        params << since;
    }
    // Invoices of one day in the order they were made, the newest first.
    sql += QStringLiteral(" ORDER BY inv_date DESC, inv_id DESC");
    std::vector<InvoiceListRow> rows;
    db::Recordset rs = readOnly(sql, params);
    while (!rs.eof()) {
        InvoiceListRow r;
        r.inv_id = rs.value(QStringLiteral("inv_id")).toLong();
        r.inv_is_sent = rs.value(QStringLiteral("inv_is_sent")).toBool();
        r.ivs_name = rs.value(QStringLiteral("ivs_name")).toText();
        r.inv_date = dateOrNull(rs.value(QStringLiteral("inv_date")));
        r.cust_company = rs.value(QStringLiteral("cust_company")).toText();
        r.cust_lastname = rs.value(QStringLiteral("cust_lastname")).toText();
        r.cust_firstname = rs.value(QStringLiteral("cust_firstname")).toText();
        rows.push_back(std::move(r));
        rs.moveNext();
    }
    return rows;
}

std::vector<qint32> InvoiceStatusIds()
{
    return ids(QStringLiteral("SELECT ivs_id FROM tbl_invoice_status ORDER BY ivs_id"));
}

std::vector<qint32> PaymodeIds()
{
    return ids(QStringLiteral("SELECT paym_id FROM tbl_paymode ORDER BY paym_id"));
}

QString PaymodePrinttextOf(qint32 paymId)
{
    db::Recordset rs = readOnly(QStringLiteral("SELECT paym_printtext FROM tbl_paymode WHERE paym_id = ?"), {paymId});
    return rs.eof() ? QString() : rs.value(QStringLiteral("paym_printtext")).toText();
}
