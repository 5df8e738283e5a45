#include "core/customers.h"

#include "core/address.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/db/transaction.h"

#include <QStringList>

#include <array>

namespace {

// The columns StoreCustomer writes, in the order of values() below.
const std::array<const char*, 19> Columns = {
    "cust_ext_id", "cust_lastname", "cust_firstname", "cust_company", "cust_street", "cust_zip", "cust_city",
    "cust_country", "cust_phone", "cust_phone2", "cust_fax", "cust_mobile", "cust_email", "cust_info",
    "cust_sex", "cust_caution", "cust_category_id", "cust_birthday", "cust_new"};

QList<db::Value> values(const Customer& c)
{
    return {c.cust_ext_id, db::textOrNull(c.cust_lastname), db::textOrNull(c.cust_firstname), db::textOrNull(c.cust_company),
            db::textOrNull(c.cust_street), db::textOrNull(c.cust_zip), db::textOrNull(c.cust_city), db::textOrNull(c.cust_country),
            db::textOrNull(c.cust_phone), db::textOrNull(c.cust_phone2), db::textOrNull(c.cust_fax), db::textOrNull(c.cust_mobile),
            db::textOrNull(c.cust_email), db::textOrNull(c.cust_info), c.cust_sex, c.cust_caution, c.cust_category_id,
            c.cust_birthday.isZero() ? db::Value() : db::Value(c.cust_birthday), c.cust_new};
}

int count(const QString& sql, qint32 id)
{
    db::Recordset rs = OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, {id});
    return rs.eof() ? 0 : rs.field(0).value().toLong();
}

}  // namespace

std::optional<Customer> LoadCustomer(qint32 custId)
{
    const std::optional<RowValues> row = ReadCustomerRow(custId);
    if (!row)
        return std::nullopt;
    return CustomerFromRow(*row);
}

std::optional<RowValues> ReadCustomerRow(qint32 custId)
{
    if (custId <= 0)
        return std::nullopt;
    return ReadRow(QStringLiteral("tbl_customers"), QStringLiteral("cust_id"), custId);
}

Customer CustomerFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    Customer c;
    c.cust_id = v("cust_id").toLong();
    c.cust_ext_id = v("cust_ext_id").toLong();
    c.cust_lastname = v("cust_lastname").toText();
    c.cust_firstname = v("cust_firstname").toText();
    c.cust_company = v("cust_company").toText();
    c.cust_street = v("cust_street").toText();
    c.cust_zip = v("cust_zip").toText();
    c.cust_city = v("cust_city").toText();
    c.cust_country = v("cust_country").toText();
    c.cust_phone = v("cust_phone").toText();
    c.cust_phone2 = v("cust_phone2").toText();
    c.cust_fax = v("cust_fax").toText();
    c.cust_mobile = v("cust_mobile").toText();
    c.cust_email = v("cust_email").toText();
    c.cust_info = v("cust_info").toText();
    c.cust_sex = v("cust_sex").toLong();
    c.cust_caution = v("cust_caution").toBool();
    c.cust_category_id = v("cust_category_id").toLong();
    c.cust_birthday = v("cust_birthday").toDate();
    c.cust_new = v("cust_new").toBool();
    return c;
}

RowValues CustomerColumns(const Customer& c)
{
    // cust_ext_id and cust_new have no field in the address book: it never changes them.
    const QList<db::Value> all = values(c);
    RowValues columns;
    for (size_t i = 0; i < Columns.size(); ++i) {
        const QString column = QString::fromLatin1(Columns[i]);
        if (column != QLatin1String("cust_ext_id") && column != QLatin1String("cust_new"))
            columns.insert(column, all[static_cast<qsizetype>(i)]);
    }
    return columns;
}

QList<MergeField> CustomerMergeFields()
{
    const auto field = [](int label, const char* column, std::function<QString(const RowValues&)> describe = {}) {
        return MergeField{GetResString(label), {QString::fromLatin1(column)}, std::move(describe)};
    };
    const auto salutation = [](const RowValues& r) {
        const db::Value v = r.value(QStringLiteral("cust_sex"));
        switch (v.isNull() ? 0 : v.toLong()) {
        case 0: return GetResString(328);
        case 1: return GetResString(329);
        case 2: return GetResString(333);
        case 3: return QLatin1Char('(') + GetResString(313) + QLatin1Char(')');
        default: return DescribeStored(v);
        }
    };
    const auto category = [](const RowValues& r) {
        const qint32 id = r.value(QStringLiteral("cust_category_id")).toLong();
        for (const CustomerCategory& c : CustomerCategories()) {
            if (c.adrcat_id == id)
                return QStringLiteral("\"") + c.adrcat_name + QStringLiteral("\"");
        }
        return id > 0 ? QString::number(id) : GetResString(313);
    };
    // In the order the address book shows them.
    return {field(1320, "cust_lastname"), field(1321, "cust_firstname"), field(1322, "cust_company"),
            field(1323, "cust_street"),   field(1324, "cust_zip"),       field(1325, "cust_city"),
            field(1326, "cust_country"),  field(1328, "cust_phone"),     field(1329, "cust_phone2"),
            field(1330, "cust_fax"),      field(1331, "cust_mobile"),    field(1332, "cust_email"),
            field(1333, "cust_birthday"), field(1334, "cust_info"),      field(334, "cust_sex", salutation),
            field(1316, "cust_caution"),  field(1313, "cust_category_id", category)};
}

MergedSave StoreCustomerChanges(qint32 custId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask)
{
    return SaveLoadedRow(QStringLiteral("tbl_customers"), QStringLiteral("cust_id"), custId, loaded, changed, ask);
}

CustomerStoreResult StoreCustomer(Customer& customer)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (customer.cust_id > 0) {
        QStringList sets;
        for (const char* column : Columns)
            sets << QString::fromLatin1(column) + QStringLiteral(" = ?");
        QList<db::Value> params = values(customer);
        params << customer.cust_id;
        if (d.execute(QStringLiteral("UPDATE tbl_customers SET ") + sets.join(QStringLiteral(", ")) +
                          QStringLiteral(" WHERE cust_id = ?"),
                      params)
            == 0)
            return CustomerStoreResult::NotFound;
    } else {
        db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM tbl_customers WHERE cust_id = 0"));
        rs.addNew();
        const qint32 id = rs.field(QStringLiteral("cust_id")).value().toLong();
        const QList<db::Value> row = values(customer);
        for (size_t i = 0; i < Columns.size(); ++i)
            rs.field(QString::fromLatin1(Columns[i])).setValue(row[static_cast<qsizetype>(i)]);
        rs.update();
        customer.cust_id = id;
    }
    transaction.commit();
    return CustomerStoreResult::Stored;
}

CustomerReferences ReferencesOfCustomer(qint32 custId)
{
    CustomerReferences refs;
    if (custId <= 0)
        return refs;
    refs.bookings = count(QStringLiteral("SELECT Count(*) FROM tbl_bookings WHERE book_customer_id = ?"), custId);
    refs.invoices = count(QStringLiteral("SELECT Count(*) FROM tbl_invoice WHERE inv_customer_id = ?"), custId);
    return refs;
}

CustomerDeleteResult DeleteShownCustomer(qint32 custId, const RowValues& shown, const DeleteAsk& ask)
{
    RowValues compared;
    QStringList columns = CustomerColumns(Customer{}).keys();
    columns << QStringLiteral("cust_ext_id");
    for (const QString& column : columns) {
        if (shown.contains(column))
            compared.insert(column, shown.value(column));
    }
    bool referenced = false;
    const DeleteResult result = DeleteShownRow(
        QStringLiteral("tbl_customers"), QStringLiteral("cust_id"), custId, compared, ask,
        [&](db::Database& d, const RowValues&) {
            // A booking or invoice stored meanwhile still stops it.
            referenced = ReferencesOfCustomer(custId).any();
            if (!referenced)
                d.execute(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = ?"), {custId});
        });
    switch (result) {
    case DeleteResult::Missing: return CustomerDeleteResult::NotFound;
    case DeleteResult::Cancelled: return CustomerDeleteResult::Cancelled;
    case DeleteResult::Deleted: break;
    }
    return referenced ? CustomerDeleteResult::Referenced : CustomerDeleteResult::Deleted;
}

namespace {

// A condition built from parts, with the values its "?" take in order; and
// the same condition as a person reads it, with the values in place and
// without the index ranges in front of each Like.
struct Condition {
    QString sql;
    QList<db::Value> params;
    QString shown;
    QStringList patterns;
};

// The text as a Like pattern that matches only itself.
QString likeLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            out += QLatin1Char('[') + c + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// "column Like pattern" for each pattern, joined by OR; a pattern equal to
// one before it (the other spelling of a name without umlauts) is left out.
void addLikes(Condition& c, std::initializer_list<std::pair<const char*, QString>> terms)
{
    QStringList parts;
    QStringList shown;
    QList<std::pair<QString, QString>> seen;
    for (const auto& [column, pattern] : terms) {
        const std::pair<QString, QString> key(QString::fromLatin1(column), pattern.toCaseFolded());
        if (seen.contains(key))
            continue;
        seen << key;
        // Behind an index range where the pattern has a plain start.
        parts << db::sqlLike(key.first, pattern, c.params);
        shown << key.first + QStringLiteral(" Like ") + db::sqlText(pattern);
        c.patterns << pattern;
    }
    c.sql += parts.join(QStringLiteral(" OR "));
    c.shown += shown.join(QStringLiteral(" OR "));
}

Condition conditionOf(const CustomerFilter& f)
{
    Condition c;
    switch (f.kind) {
    case CustomerFilter::Kind::None:
        break;
    case CustomerFilter::Kind::Birthday: {
        const rt::Date day = f.birthday.datePart();
        c.sql = QStringLiteral("cust_birthday >= ? AND cust_birthday < ?");
        c.params << day << day.addDays(1);
        c.shown = QStringLiteral("cust_birthday >= ") + DateToSQL(day) + QStringLiteral(" AND cust_birthday < ") +
                  DateToSQL(day.addDays(1));
        break;
    }
    case CustomerFilter::Kind::Name:
        c.sql = QStringLiteral("(");
        c.shown = QStringLiteral("(");
        addLikes(c, {{"cust_lastname", f.text + QLatin1Char('*')},
                     {"cust_lastname", SwapUmlautSpelling(f.text) + QLatin1Char('*')}});
        c.sql += QStringLiteral(") AND ");
        c.shown += QStringLiteral(") AND ");
        addLikes(c, {{"cust_firstname", f.first + QLatin1Char('*')}});
        break;
    case CustomerFilter::Kind::Prefix:
        addLikes(c, {{"cust_lastname", f.text + QLatin1Char('*')},
                     {"cust_lastname", SwapUmlautSpelling(f.text) + QLatin1Char('*')},
                     {"cust_company", f.text + QLatin1Char('*')}});
        break;
    case CustomerFilter::Kind::Pattern:
        addLikes(c, {{"cust_lastname", f.text},
                     {"cust_lastname", SwapUmlautSpelling(f.text)},
                     {"cust_firstname", f.text},
                     {"cust_company", f.text},
                     {"cust_street", f.text},
                     {"cust_info", f.text}});
        break;
    case CustomerFilter::Kind::Namesakes:
        c.sql = QStringLiteral("cust_lastname = ? AND cust_firstname = ?");
        c.params << f.text << f.first;
        c.shown = QStringLiteral("cust_lastname = ") + db::sqlText(f.text) + QStringLiteral(" AND cust_firstname = ") +
                  db::sqlText(f.first);
        break;
    }
    if (!c.sql.isEmpty() && f.categoryId >= 0) {
        c.sql = QLatin1Char('(') + c.sql + QStringLiteral(") AND cust_category_id = ?");
        c.params << f.categoryId;
        c.shown = QLatin1Char('(') + c.shown + QStringLiteral(") AND cust_category_id = ") + QString::number(f.categoryId);
    }
    return c;
}

const QString ListColumns = QStringLiteral("SELECT cust_id, cust_firstname, cust_lastname, cust_company, cust_ext_id, "
                                           "cust_birthday FROM tbl_customers WHERE ");
const QString ListOrder = QStringLiteral(" ORDER BY cust_lastname, cust_firstname;");

}  // namespace

std::vector<CustomerListRow> FindCustomers(const CustomerFilter& filter)
{
    std::vector<CustomerListRow> rows;
    const Condition c = conditionOf(filter);
    if (c.sql.isEmpty())
        return rows;
    // Handed over row by row: a pattern may find every customer.
    OpenedDb().forEachRow(
        ListColumns + c.sql + ListOrder, c.params, [&rows](const QList<db::Value>& v) {
            CustomerListRow row;
            row.cust_id = v[0].toLong();
            row.cust_firstname = v[1].toText();
            row.cust_lastname = v[2].toText();
            row.cust_company = v[3].toText();
            row.cust_ext_id = v[4].toLong();
            row.cust_birthday = v[5].toDate();
            rows.push_back(std::move(row));
        });
    return rows;
}

QString CustomerSearchText(const CustomerFilter& filter)
{
    const Condition c = conditionOf(filter);
    return c.shown.isEmpty() ? QString() : ListColumns + c.shown + ListOrder;
}

QString CustomerSearchFault(const CustomerFilter& filter)
{
    for (const QString& pattern : conditionOf(filter).patterns) {
        if (const QString fault = db::likePatternFault(pattern); !fault.isEmpty()) {
            const QString typed =
                filter.kind == CustomerFilter::Kind::Name ? filter.text + QStringLiteral(", ") + filter.first : filter.text;
            return QStringLiteral("Der Suchbegriff \"") + typed + QStringLiteral("\" ist kein gültiges Suchmuster. ") + fault;
        }
    }
    return QString();
}

std::optional<QString> CityOfZipPrefix(const QString& prefix)
{
    db::Recordset rs = prefix.isEmpty()
        ? OpenedDb().openRecordset(QStringLiteral("SELECT cust_city FROM tbl_customers LIMIT 1;"),
                                   db::OpenMode::ForwardOnlyReadOnly)
        : [&prefix] {
              QList<db::Value> params;
              const QString like = db::sqlLike(QStringLiteral("cust_zip"), likeLiteral(prefix) + QLatin1Char('*'), params);
              return OpenedDb().openRecordset(QStringLiteral("SELECT cust_city FROM tbl_customers WHERE ") + like
                                                  + QStringLiteral(" LIMIT 1;"),
                                              db::OpenMode::ForwardOnlyReadOnly, params);
          }();
    if (rs.eof())
        return std::nullopt;
    return rs.field(0).value().toText();
}

std::vector<CustomerCategory> CustomerCategories()
{
    std::vector<CustomerCategory> categories;
    db::Recordset rs = OpenedDb().openRecordset(
        QStringLiteral("SELECT adrcat_id, adrcat_name FROM tbl_cust_categories ORDER BY adrcat_id;"),
        db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.field(1).value().toText();
        if (!name.isEmpty())
            categories.push_back({rs.field(0).value().toLong(), name});
    }
    return categories;
}
