#include "core/invoices.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/database.h"
#include "core/lookups.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"

#include <algorithm>
#include <cmath>

namespace {

db::Recordset readOnly(const QString& sql, const QList<db::Value>& params)
{
    return OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
}

// A stored date the program can read; nullopt when it is empty or cannot be read.
std::optional<rt::Date> dateOrNull(const db::Value& value)
{
    if (!IsReadableDate(value))
        return std::nullopt;
    return value.toDate();
}

// The day a stored date gives the total's VAT, as TotalDayOf.
std::optional<rt::Date> totalDay(const db::Value& date)
{
    if (date.isNull())
        return rt::Date::today().datePart();
    if (!IsReadableDate(date))
        return std::nullopt;
    return date.toDate().datePart();
}

// A whole number as its column keeps it, within lo to hi. type: what
// typeof() says of the column; a fraction or text is no whole number.
bool readableWhole(const db::Value& type, const db::Value& value, double lo, double hi)
{
    return type.toText() == QLatin1String("integer") && value.toDouble() >= lo && value.toDouble() <= hi;
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

// Writes the gross of the positions stored now into inv_total, under day,
// else the invoice's stored date, else today. Inside the caller's transaction.
void storeTotal(db::Database& d, qint32 invId, std::optional<rt::Date> day, const InvoiceGrossRule& gross)
{
    if (!day) {
        db::Recordset rs = readOnly(QStringLiteral("SELECT inv_date FROM tbl_invoice WHERE inv_id = ?"), {invId});
        day = rs.eof() ? rt::Date::today() : totalDay(rs.field(0).value());
    }
    // A date or a number that cannot be read leaves the stored total as it is.
    const std::optional<double> total = day ? gross(LoadInvoicePositions(invId), day->datePart()) : std::nullopt;
    if (total)
        d.execute(QStringLiteral("UPDATE tbl_invoice SET inv_total = ? WHERE inv_id = ?"), {*total, invId});
}

qint64 centsOf(double amount)
{
    return std::llround(amount * 100);
}

// A header write's total: the gross of the positions stored now under the
// date stored now, unless that differs from the total stored and is not the
// gross the window shows and has named. Inside the caller's transaction.
void storeHeaderTotal(db::Database& d, qint32 invId, const InvoiceGrossRule& gross, const std::optional<double>& shownGross)
{
    db::Recordset rs = readOnly(QStringLiteral("SELECT inv_date, inv_total FROM tbl_invoice WHERE inv_id = ?"), {invId});
    if (rs.eof())
        return;
    const std::optional<rt::Date> day = totalDay(rs.field(0).value());
    const db::Value stored = rs.field(1).value();
    const std::optional<double> total = day ? gross(LoadInvoicePositions(invId), *day) : std::nullopt;
    if (!total)
        return;
    if (stored.isNumeric() && centsOf(stored.toDouble()) != centsOf(*total)
        && (!shownGross || centsOf(*shownGross) != centsOf(*total)))
        return;
    d.execute(QStringLiteral("UPDATE tbl_invoice SET inv_total = ? WHERE inv_id = ?"), {*total, invId});
}

InvoiceWriteOutcome outcomeOf(InvoiceWrite result, qint32 id, qint32 missingId)
{
    InvoiceWriteOutcome outcome;
    outcome.result = result;
    outcome.id = id;
    outcome.missingId = missingId;
    return outcome;
}

// The position's invoice and service must exist; then the row is added.
InvoiceWriteOutcome insertPosition(const InvoicePositionRow& position)
{
    if (!invoiceExists(position.ivp_invoice_id))
        return outcomeOf(InvoiceWrite::InvoiceMissing, 0, position.ivp_invoice_id);
    if (position.ivp_prod_id > 0 && !serviceExists(position.ivp_prod_id))
        return outcomeOf(InvoiceWrite::ServiceMissing, 0, position.ivp_prod_id);
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT * FROM tbl_invoice_positions WHERE ivp_id = -1"));
    rs.addNew();
    const qint32 id = rs.field(QStringLiteral("ivp_id")).value().toLong();
    rs.field(QStringLiteral("ivp_invoice_id")).setValue(position.ivp_invoice_id);
    rs.field(QStringLiteral("ivp_prod_id")).setValue(position.ivp_prod_id);
    rs.field(QStringLiteral("ivp_quantity")).setValue(position.ivp_quantity);
    rs.field(QStringLiteral("ivp_price")).setValue(position.ivp_price);
    rs.field(QStringLiteral("ivp_text")).setValue(db::textOrNull(position.ivp_text));
    rs.update();
    return outcomeOf(InvoiceWrite::Written, id, 0);
}

}  // namespace

std::optional<InvoiceHeader> LoadInvoiceHeader(qint32 invId)
{
    const std::optional<RowValues> row = ReadInvoiceRow(invId);
    if (!row)
        return std::nullopt;
    return InvoiceHeaderFromRow(*row);
}

std::optional<rt::Date> TotalDayOf(const InvoiceHeader& header)
{
    if (header.inv_date_unreadable)
        return std::nullopt;
    return header.inv_date.value_or(rt::Date::today()).datePart();
}

std::optional<double> StoredPrice(const db::Value& value)
{
    switch (value.kind()) {
    case db::Value::Kind::Null:
        return 0.0;
    case db::Value::Kind::Byte: case db::Value::Kind::Integer: case db::Value::Kind::Long:
    case db::Value::Kind::Single: case db::Value::Kind::Double: {
        const double amount = value.toDouble();
        if (std::abs(amount) <= MaxPrice)
            return amount;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<RowValues> ReadInvoiceRow(qint32 invId)
{
    if (invId <= 0)
        return std::nullopt;
    return ReadRow(QStringLiteral("tbl_invoice"), QStringLiteral("inv_id"), invId);
}

InvoiceHeader InvoiceHeaderFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    InvoiceHeader h;
    h.inv_id = v("inv_id").toLong();
    h.inv_date = dateOrNull(v("inv_date"));
    h.inv_date_unreadable = !v("inv_date").isNull() && !h.inv_date;
    h.inv_status_id = v("inv_status_id").toLong();
    h.inv_paymode_id = v("inv_paymode_id").toLong();
    h.inv_mandant_id = v("inv_mandant_id").toLong();
    h.inv_booking_id = v("inv_booking_id").toLong();
    h.inv_customer_id = v("inv_customer_id").toLong();
    h.inv_notes = v("inv_notes").toText();
    h.inv_total = v("inv_total").toDouble();
    h.inv_is_payed = v("inv_is_payed").toBool();
    h.inv_is_sent = v("inv_is_sent").toBool();
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

RowValues InvoiceHeaderColumns(const InvoiceHeaderWrite& header)
{
    RowValues columns{{QStringLiteral("inv_mandant_id"), header.inv_mandant_id},
                      {QStringLiteral("inv_booking_id"), header.inv_booking_id},
                      {QStringLiteral("inv_customer_id"), header.inv_customer_id},
                      {QStringLiteral("inv_notes"), db::textOrNull(header.inv_notes)},
                      {QStringLiteral("inv_is_payed"), header.inv_is_payed}};
    if (header.inv_date)
        columns.insert(QStringLiteral("inv_date"), *header.inv_date);
    if (header.inv_status_id)
        columns.insert(QStringLiteral("inv_status_id"), *header.inv_status_id);
    if (header.inv_paymode_id)
        columns.insert(QStringLiteral("inv_paymode_id"), *header.inv_paymode_id);
    return columns;
}

namespace {

// The text in quotes, or the fallback when the lookup finds nothing.
QString quotedOr(const QString& text, const QString& fallback)
{
    return rt::trim(text).isEmpty() ? fallback : QStringLiteral("\"") + rt::trim(text) + QStringLiteral("\"");
}

QString captionOf(const QString& sql, const db::Value& id)
{
    db::Recordset rs = readOnly(sql, {id});
    return rs.eof() ? QString() : rs.field(0).value().toText();
}

QString amountOf(const db::Value& value)
{
    if (!value.isNumeric())
        return DescribeStored(value);
    return rt::formatNumber(value.toDouble(), QStringLiteral("#,##0.00")) + QStringLiteral(" €");
}

}  // namespace

QList<MergeField> InvoiceMergeFields()
{
    const auto column = [](const char* name) { return QString::fromLatin1(name); };
    return {
        {QStringLiteral("Datum"), {column("inv_date")}, {}},
        {QStringLiteral("Status"), {column("inv_status_id")},
         [](const RowValues& r) {
             return quotedOr(captionOf(QStringLiteral("SELECT ivs_name FROM tbl_invoice_status WHERE ivs_id = ?"),
                                       r.value(QStringLiteral("inv_status_id"))),
                             QStringLiteral("keiner"));
         }},
        {QStringLiteral("Zahlungsart"), {column("inv_paymode_id")},
         [](const RowValues& r) {
             return quotedOr(captionOf(QStringLiteral("SELECT paym_caption FROM tbl_paymode WHERE paym_id = ?"),
                                       r.value(QStringLiteral("inv_paymode_id"))),
                             QStringLiteral("keine"));
         }},
        {QStringLiteral("Notizen"), {column("inv_notes")}, {}},
        {QStringLiteral("bezahlt"), {column("inv_is_payed")}, {}},
        {QStringLiteral("Empfänger"), {column("inv_customer_id")},
         [](const RowValues& r) {
             const qint32 id = r.value(QStringLiteral("inv_customer_id")).toLong();
             return quotedOr(id > 0 ? GetCustomerName(QStringLiteral("tbl_customers"), id) : QString(),
                             QStringLiteral("keiner"));
         }},
        {QStringLiteral("Buchung"), {column("inv_booking_id")},
         [](const RowValues& r) {
             const qint32 id = r.value(QStringLiteral("inv_booking_id")).toLong();
             return id > 0 ? QString::number(id) : QStringLiteral("keine");
         }},
        {QStringLiteral("Einrichtung"), {column("inv_mandant_id")},
         [](const RowValues& r) {
             return quotedOr(rt::trim(GetMandantName(r.value(QStringLiteral("inv_mandant_id")).toLong())),
                             DescribeStored(r.value(QStringLiteral("inv_mandant_id"))));
         }},
    };
}

InvoiceWriteOutcome StoreInvoiceHeader(qint32 invId, const RowValues& loaded, const RowValues& changed,
                                       const ClashAsk& ask, const InvoiceGrossRule& gross,
                                       const std::optional<double>& shownGross)
{
    InvoiceWriteOutcome outcome = outcomeOf(InvoiceWrite::Written, invId, 0);
    if (invId <= 0)
        return outcomeOf(InvoiceWrite::InvoiceMissing, 0, invId);
    const MergedSave save = SaveLoadedRow(
        QStringLiteral("tbl_invoice"), QStringLiteral("inv_id"), invId, loaded, changed, ask,
        [&](db::Database& d, const RowMerge&, RowValues& toWrite) {
            const auto customer = toWrite.constFind(QStringLiteral("inv_customer_id"));
            if (customer != toWrite.cend() && customer->toLong() > 0 && !customerExists(customer->toLong())) {
                outcome = outcomeOf(InvoiceWrite::CustomerMissing, 0, customer->toLong());
                return false;
            }
            WriteColumns(d, QStringLiteral("tbl_invoice"), QStringLiteral("inv_id"), invId, toWrite);
            // The total under the date as stored now, whoever wrote it.
            storeHeaderTotal(d, invId, gross, shownGross);
            return true;
        });
    switch (save.result) {
    case MergedSave::Result::Missing: return outcomeOf(InvoiceWrite::InvoiceMissing, 0, invId);
    case MergedSave::Result::Cancelled: return outcomeOf(InvoiceWrite::Cancelled, 0, 0);
    case MergedSave::Result::Refused: return outcome;
    case MergedSave::Result::Written: break;
    }
    outcome.notWritten = save.notWritten;
    // The total was written after the plan: read the row as it stands.
    outcome.row = ReadInvoiceRow(invId).value_or(save.row);
    return outcome;
}

InvoiceWriteOutcome StoreInvoiceAnew(const InvoiceHeaderWrite& header, const std::vector<InvoicePositionRow>& positions,
                                     const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (header.inv_customer_id > 0 && !customerExists(header.inv_customer_id))
        return outcomeOf(InvoiceWrite::CustomerMissing, 0, header.inv_customer_id);
    InvoiceWriteOutcome outcome = outcomeOf(InvoiceWrite::Written, CreateInvoice(), 0);
    for (InvoicePositionRow position : positions) {
        position.ivp_invoice_id = outcome.id;
        const InvoiceWriteOutcome added = insertPosition(position);
        if (added.result != InvoiceWrite::Written)
            return added;
        outcome.positionIds.push_back(added.id);
    }
    WriteColumns(d, QStringLiteral("tbl_invoice"), QStringLiteral("inv_id"), outcome.id, InvoiceHeaderColumns(header));
    storeTotal(d, outcome.id, header.inv_date, gross);
    transaction.commit();
    return outcome;
}

QStringList InvoiceShownColumns()
{
    return {QStringLiteral("inv_date"),        QStringLiteral("inv_status_id"),   QStringLiteral("inv_paymode_id"),
            QStringLiteral("inv_customer_id"), QStringLiteral("inv_booking_id"), QStringLiteral("inv_notes"),
            QStringLiteral("inv_is_payed")};
}

db::Value ShownPositionsValue(const std::vector<RowValues>& positionRows)
{
    // Every column of every position, in the order they were added.
    QStringList rows;
    for (const RowValues& row : positionRows) {
        QStringList values;
        for (auto it = row.cbegin(); it != row.cend(); ++it)
            values << it.key() + QLatin1Char('=') + (it->isNull() ? QStringLiteral("<leer>") : it->toText());
        rows << values.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

namespace {

const QString PositionsText = QStringLiteral("positionen_text");

// "2 (2 × Frühstück zu 12,50 €, 1 × Kurtaxe zu 2,50 €)": how many, then each.
QString positionsText(const std::vector<InvoicePositionRow>& positions)
{
    QStringList parts;
    for (const InvoicePositionRow& p : positions) {
        QString text = rt::trim(p.ivp_text);
        if (text.isEmpty())
            text = rt::trim(p.srv_name);
        if (text.isEmpty())
            text = QStringLiteral("unbekannter Artikel");
        // What cannot be read is named as it is stored.
        const QString quantity = p.quantityUnreadable ? DescribeStored(p.row.value(QStringLiteral("ivp_quantity")))
                                                      : QString::number(p.ivp_quantity);
        const QString price = p.priceUnreadable ? DescribeStored(p.row.value(QStringLiteral("ivp_price")))
                                                : rt::formatNumber(p.ivp_price, QStringLiteral("#,##0.00")) + QStringLiteral(" €");
        parts << quantity + QStringLiteral(" × ") + text + QStringLiteral(" zu ") + price;
    }
    if (parts.isEmpty())
        return QStringLiteral("keine");
    return QString::number(parts.size()) + QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// The header as stored with its positions, as DeleteShownInvoice compares and names them.
std::optional<RowValues> readInvoiceWithPositions(qint32 invId)
{
    std::optional<RowValues> row = ReadInvoiceRow(invId);
    if (!row)
        return std::nullopt;
    const std::vector<InvoicePositionRow> positions = LoadInvoicePositions(invId);
    std::vector<RowValues> rows;
    for (const InvoicePositionRow& p : positions)
        rows.push_back(p.row);
    row->insert(PositionsColumn, ShownPositionsValue(rows));
    row->insert(PositionsText, positionsText(positions));
    return row;
}

}  // namespace

DeleteResult DeleteShownInvoice(qint32 invId, const RowValues& shown, const DeleteAsk& ask)
{
    // Inside the comparison's transaction: the positions first, then the header.
    return DeleteShownRow([invId] { return readInvoiceWithPositions(invId); }, shown, ask,
                          [invId](db::Database& d, const RowValues&) {
                              d.execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_invoice_id = ?"),
                                        {invId});
                              d.execute(QStringLiteral("DELETE FROM tbl_invoice WHERE inv_id = ?"), {invId});
                          });
}

QList<MergeField> InvoiceDeleteFields()
{
    QList<MergeField> fields = InvoiceMergeFields();
    fields.append({QStringLiteral("Positionen"), {PositionsColumn},
                   [](const RowValues& r) { return r.value(PositionsText).toText(); }});
    return fields;
}

bool StorePrintedTotal(qint32 invId, const std::vector<RowValues>& printedPositions,
                       const std::optional<rt::Date>& vatDay, double total, const InvoiceGrossRule& gross)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    db::Recordset header = readOnly(QStringLiteral("SELECT inv_date FROM tbl_invoice WHERE inv_id = ?"), {invId});
    if (header.eof())
        return false;
    const std::optional<rt::Date> storedDay = totalDay(header.field(0).value());
    const std::vector<InvoicePositionRow> stored = LoadInvoicePositions(invId);
    const bool same = std::equal(stored.begin(), stored.end(), printedPositions.begin(), printedPositions.end(),
                                 [](const InvoicePositionRow& s, const RowValues& printed) { return s.row == printed; });
    if (!same)
        return false;
    // Printed for a date the invoice does not have stored (typed, not
    // saved): that total is not the stored invoice's. Nor is one made of
    // values that cannot be read.
    if (!storedDay || !vatDay || !(vatDay->datePart() == *storedDay) || !gross(stored, *storedDay))
        return true;
    d.execute(QStringLiteral("UPDATE tbl_invoice SET inv_total = ? WHERE inv_id = ?"), {total, invId});
    transaction.commit();
    return true;
}

std::vector<InvoicePositionRow> LoadInvoicePositions(qint32 invId)
{
    std::vector<InvoicePositionRow> rows;
    // The position's own columns first, as a later write compares them.
    // typeof() tells what the whole-number columns hold before the layer rounds it.
    db::Recordset rs = readOnly(
        QStringLiteral("SELECT tbl_invoice_positions.*, srv_id, srv_name, srv_tax_id, typeof(ivp_quantity) AS "
                       "quantity_type, typeof(srv_tax_id) AS tax_type FROM tbl_invoice_positions "
                       "LEFT JOIN tbl_services ON tbl_invoice_positions.ivp_prod_id = tbl_services.srv_id "
                       "WHERE ivp_invoice_id = ? ORDER BY ivp_id"),
        {invId});
    const int own = rs.fieldCount() - 5;
    while (!rs.eof()) {
        InvoicePositionRow p;
        for (int i = 0; i < own; ++i)
            p.row.insert(rs.field(i).name().toLower(), rs.field(i).value());
        p.ivp_id = rs.value(QStringLiteral("ivp_id")).toLong();
        p.ivp_invoice_id = rs.value(QStringLiteral("ivp_invoice_id")).toLong();
        p.ivp_prod_id = rs.value(QStringLiteral("ivp_prod_id")).toLong();
        const db::Value quantity = rs.value(QStringLiteral("ivp_quantity"));
        const db::Value quantityType = rs.value(QStringLiteral("quantity_type"));
        p.quantityUnreadable = !quantity.isNull() && !readableWhole(quantityType, quantity, -32768, 32767);
        if (!quantity.isNull() && !p.quantityUnreadable)
            p.ivp_quantity = quantity.toLong();
        const std::optional<double> price = StoredPrice(rs.value(QStringLiteral("ivp_price")));
        p.priceUnreadable = !price;
        p.ivp_price = price.value_or(0);
        p.ivp_text = rs.value(QStringLiteral("ivp_text")).toText();
        p.hasService = !rs.value(QStringLiteral("srv_id")).isNull();
        p.srv_name = rs.value(QStringLiteral("srv_name")).toText();
        const db::Value tax = rs.value(QStringLiteral("srv_tax_id"));
        p.taxUnreadable = !tax.isNull() && !readableWhole(rs.value(QStringLiteral("tax_type")), tax, -32768, 32767);
        if (!tax.isNull() && !p.taxUnreadable)
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

RowValues InvoicePositionColumns(const InvoicePositionRow& position)
{
    return {{QStringLiteral("ivp_quantity"), position.ivp_quantity},
            {QStringLiteral("ivp_price"), position.ivp_price},
            {QStringLiteral("ivp_text"), db::textOrNull(position.ivp_text)}};
}

QList<MergeField> InvoicePositionMergeFields()
{
    const auto column = [](const char* name) { return QString::fromLatin1(name); };
    return {
        {QStringLiteral("Menge"), {column("ivp_quantity")}, {}},
        {QStringLiteral("Einzelpreis"), {column("ivp_price")},
         [](const RowValues& r) { return amountOf(r.value(QStringLiteral("ivp_price"))); }},
        {QStringLiteral("Beschreibung"), {column("ivp_text")},
         [](const RowValues& r) {
             const QString text = r.value(QStringLiteral("ivp_text")).toText();
             return rt::trim(text).isEmpty() ? QStringLiteral("der Name der Hotelleistung") : DescribeStored(text);
         }},
        {QStringLiteral("Hotelleistung"), {column("ivp_prod_id")}, {}},
        {QStringLiteral("Rechnung"), {column("ivp_invoice_id")}, {}},
    };
}

InvoiceWriteOutcome StorePositionChanges(qint32 ivpId, const RowValues& loaded, const RowValues& changed,
                                         const ClashAsk& ask, const InvoiceGrossRule& gross)
{
    InvoiceWriteOutcome outcome = outcomeOf(InvoiceWrite::Written, ivpId, 0);
    const MergedSave save = SaveLoadedRow(
        QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_id"), ivpId, loaded, changed, ask,
        [&](db::Database& d, const RowMerge& merge, RowValues& toWrite) {
            const qint32 invId = merge.stored.value(QStringLiteral("ivp_invoice_id")).toLong();
            if (!invoiceExists(invId)) {
                outcome = outcomeOf(InvoiceWrite::InvoiceMissing, 0, invId);
                return false;
            }
            WriteColumns(d, QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_id"), ivpId, toWrite);
            storeTotal(d, invId, std::nullopt, gross);
            return true;
        });
    switch (save.result) {
    case MergedSave::Result::Missing: return outcomeOf(InvoiceWrite::PositionMissing, 0, ivpId);
    case MergedSave::Result::Cancelled: return outcomeOf(InvoiceWrite::Cancelled, 0, 0);
    case MergedSave::Result::Refused: return outcome;
    case MergedSave::Result::Written: break;
    }
    outcome.notWritten = save.notWritten;
    outcome.row = save.row;
    return outcome;
}

InvoiceWrite DeleteInvoicePosition(qint32 ivpId, const RowValues& loadedIn, const ClashAsk& ask,
                                   const InvoiceGrossRule& gross)
{
    // A copy: while the question stands the window may read its positions anew.
    const RowValues loaded = loadedIn;
    db::Database& d = OpenedDb();
    std::optional<RowValues> askedAbout;
    for (;;) {
        RowMerge merge;
        {
            db::Transaction transaction(d);
            const std::optional<RowValues> stored =
                ReadRow(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_id"), ivpId);
            if (!stored)
                return InvoiceWrite::PositionMissing;
            merge = PlanRowMerge(loaded, *stored, {});
            // What another workstation changed in it goes only when the user says so.
            if (merge.kept.isEmpty() || askedAbout == *stored) {
                const qint32 invId = stored->value(QStringLiteral("ivp_invoice_id")).toLong();
                d.execute(QStringLiteral("DELETE FROM tbl_invoice_positions WHERE ivp_id = ?"), {ivpId});
                // A position left behind by a deleted invoice goes without a total to keep.
                if (invoiceExists(invId))
                    storeTotal(d, invId, std::nullopt, gross);
                transaction.commit();
                return InvoiceWrite::Written;
            }
        }
        // The lock is given back before a person is asked.
        for (const QString& column : merge.kept)
            merge.clashes.insert(column, loaded.value(column));
        if (!ask || ask(merge) != ClashChoice::Mine)
            return InvoiceWrite::Cancelled;
        askedAbout = merge.stored;
    }
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
    // Handed over row by row: the list may hold thousands of invoices.
    OpenedDb().forEachRow(sql, params, [&rows](const QList<db::Value>& v) {
        InvoiceListRow r;
        r.inv_id = v[0].toLong();
        r.inv_is_sent = v[1].toBool();
        r.ivs_name = v[2].toText();
        r.inv_date = dateOrNull(v[3]);
        r.cust_company = v[4].toText();
        r.cust_lastname = v[5].toText();
        r.cust_firstname = v[6].toText();
        rows.push_back(std::move(r));
    });
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
