#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QString>

#include <optional>
#include <vector>

// Reads and writes of tbl_customers. Values are bound; failures throw
// db::DbError.

struct Customer {
    qint32 cust_id = 0;             // 0 or below: not stored yet
    qint32 cust_ext_id = 0;
    QString cust_lastname;
    QString cust_firstname;
    QString cust_company;
    QString cust_street;
    QString cust_zip;
    QString cust_city;
    QString cust_country;
    QString cust_phone;
    QString cust_phone2;
    QString cust_fax;
    QString cust_mobile;
    QString cust_email;
    QString cust_info;
    int cust_sex = 0;               // 0 Herr, 1 Frau, 2 Frau und Herr, 3 none
    bool cust_caution = false;
    qint32 cust_category_id = 0;
    rt::Date cust_birthday;         // zero: unknown
    bool cust_new = false;
};

// nullopt when there is no such customer (another workstation deleted it).
std::optional<Customer> LoadCustomer(qint32 custId);

enum class CustomerStoreResult { Stored, NotFound };
// Writes the whole row in one transaction; a new customer gets its id. An
// existing one deleted meanwhile is not written again (NotFound). A window
// that edits a customer it loaded saves through StoreCustomerChanges.
CustomerStoreResult StoreCustomer(Customer& customer);

// The customer's row as stored, every column; nullopt when there is none.
std::optional<RowValues> ReadCustomerRow(qint32 custId);
Customer CustomerFromRow(const RowValues& row);
// The columns the address book edits, as it writes them: made from its
// fields right after loading and again at the save (ChangedColumns).
RowValues CustomerColumns(const Customer& customer);
// Those columns by the labels of the address book, for the question about
// a field two workstations changed.
QList<MergeField> CustomerMergeFields();
// A stored customer changed in a window that read it as `loaded`: writes
// only `changed`, keeps what another workstation changed meanwhile and asks
// `ask` where both changed one column. Missing when it was deleted meanwhile.
MergedSave StoreCustomerChanges(qint32 custId, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask);

// Bookings and invoices that name the customer.
struct CustomerReferences {
    int bookings = 0;
    int invoices = 0;
    bool any() const { return bookings > 0 || invoices > 0; }
};
CustomerReferences ReferencesOfCustomer(qint32 custId);

enum class CustomerDeleteResult { Deleted, Referenced, NotFound, Cancelled };
// Deletes the customer a window shows as `shown` (its row as read), asking
// as DeleteShownRow asks; compared are the columns the address book shows
// (those of CustomerColumns and cust_ext_id). Refuses a customer that
// bookings or invoices still name; checked and deleted in one transaction.
CustomerDeleteResult DeleteShownCustomer(qint32 custId, const RowValues& shown, const DeleteAsk& ask);

// One line of the address book's result list.
struct CustomerListRow {
    qint32 cust_id = 0;
    QString cust_lastname;
    QString cust_firstname;
    QString cust_company;
    qint32 cust_ext_id = 0;
    rt::Date cust_birthday;         // zero: unknown
};

// A search of the address book. Texts are Like patterns (* ? # [list]),
// matched without regard to case; a last name is also tried in its other
// umlaut spelling (SwapUmlautSpelling).
struct CustomerFilter {
    enum class Kind {
        None,       // no search
        Birthday,   // born on the day of birthday
        Name,       // last name starting with text, first name starting with first
        Prefix,     // last name or company starting with text
        Pattern,    // text as typed against last and first name, company, street and notes
        Namesakes,  // last name text and first name first, exactly but for case
    };
    Kind kind = Kind::None;
    QString text;
    QString first;
    rt::Date birthday;
    qint32 categoryId = -1;         // 0 or above: only customers of this category

    bool isEmpty() const { return kind == Kind::None; }
    friend bool operator==(const CustomerFilter&, const CustomerFilter&) = default;
};

// The customers the filter finds, by last and first name. An invalid pattern
// (a "[" without "]") throws db::DbError like any failed query.
std::vector<CustomerListRow> FindCustomers(const CustomerFilter& filter);
// The query of FindCustomers as a person reads it: the values written in, no
// index ranges. Empty for no search.
QString CustomerSearchText(const CustomerFilter& filter);
// Why the filter's patterns cannot be searched, in German, naming the
// search text; empty when they can.
QString CustomerSearchFault(const CustomerFilter& filter);

// The city of a customer whose zip starts with prefix (an empty prefix: any
// customer); "" for a customer without city; nullopt when none matches.
std::optional<QString> CityOfZipPrefix(const QString& prefix);

struct CustomerCategory {
    qint32 adrcat_id = 0;
    QString adrcat_name;
};
// The address categories that have a name, by id.
std::vector<CustomerCategory> CustomerCategories();
