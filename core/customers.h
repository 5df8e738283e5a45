#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <optional>

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
// existing one deleted meanwhile is not written again (NotFound).
CustomerStoreResult StoreCustomer(Customer& customer);

// Bookings and invoices that name the customer.
struct CustomerReferences {
    int bookings = 0;
    int invoices = 0;
    bool any() const { return bookings > 0 || invoices > 0; }
};
CustomerReferences ReferencesOfCustomer(qint32 custId);

enum class CustomerDeleteResult { Deleted, Referenced, NotFound };
// Refuses a customer that bookings or invoices still name; checked and
// deleted in one transaction.
CustomerDeleteResult DeleteCustomer(qint32 custId);
