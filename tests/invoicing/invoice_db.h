#pragma once

#include "core/database.h"
#include "invoicing/invoice.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace test {

// A guest house's invoicing tables: three states, two payment modes, VAT of
// 19/7 % with 16/5 % in the second half of 2020, three services (full,
// reduced, none) and two customers.
class InvoiceDb : public TestDatabase {
public:
    InvoiceDb()
    {
        exec(QStringLiteral("INSERT INTO tbl_invoice_status (ivs_id, ivs_name) VALUES (1, 'offen'), (2, 'versandt'), "
                            "(3, 'bezahlt')"));
        exec(QStringLiteral("INSERT INTO tbl_paymode (paym_id, paym_caption, paym_printtext) VALUES "
                            "(1, 'Bar', 'Betrag dankend in bar erhalten.'), (2, 'Überweisung', 'Bitte überweisen.')"));
        exec(QStringLiteral("INSERT INTO tbl_vat (vat_date_start, vat_date_end, vat_full, vat_reduced) VALUES "
                            "(#01/01/2000#, #06/30/2020#, 19, 7), (#07/01/2020#, #12/31/2020#, 16, 5), "
                            "(#01/01/2021#, #12/31/2100#, 19, 7)"));
        exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price, srv_tax_id) VALUES "
                            "(1, 'Frühstück', 12.5, 0), (2, 'Übernachtung', 79, 1), (3, 'Kurtaxe', 2.5, 2)"));
        exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname, cust_sex) VALUES "
                            "(1, 'Meier', 'Hans', 0), (2, 'Schulz', 'Anna', 1)"));
    }

    static qint32 lastId(const QString& table)
    {
        return Db->openRecordset(QStringLiteral("SELECT Max(rowid) FROM ") + table, db::OpenMode::ForwardOnlyReadOnly)
            .field(0)
            .value()
            .toLong();
    }
    // dateSql: a date literal or "NULL".
    qint32 addInvoice(qint32 custId, const QString& dateSql, qint32 statusId = 1) const
    {
        exec(QStringLiteral("INSERT INTO tbl_invoice (inv_customer_id, inv_date, inv_status_id, inv_paymode_id, "
                            "inv_booking_id) VALUES (%1, %2, %3, 2, -1)")
                 .arg(custId)
                 .arg(dateSql)
                 .arg(statusId));
        return lastId(QStringLiteral("tbl_invoice"));
    }
    qint32 addPosition(qint32 invId, qint32 prodId, int quantity, double price, const QString& text = QString()) const
    {
        exec(QStringLiteral("INSERT INTO tbl_invoice_positions (ivp_invoice_id, ivp_prod_id, ivp_quantity, ivp_price, "
                            "ivp_text) VALUES (%1, %2, %3, %4, %5)")
                 .arg(invId)
                 .arg(prodId)
                 .arg(quantity)
                 .arg(price)
                 .arg(text.isNull() ? QStringLiteral("NULL") : QLatin1Char('\'') + text + QLatin1Char('\'')));
        const qint32 id = lastId(QStringLiteral("tbl_invoice_positions"));
        // The total, as every position write of the program stores it.
        const db::Value day = value(QStringLiteral("SELECT inv_date FROM tbl_invoice WHERE inv_id = %1").arg(invId));
        const std::optional<double> total =
            StoredGrossRule()(LoadInvoicePositions(invId), day.isNull() ? rt::Date::today() : day.toDate().datePart());
        if (total)
            exec(QStringLiteral("UPDATE tbl_invoice SET inv_total = %1 WHERE inv_id = %2").arg(QString::number(*total, 'f', 2)).arg(invId));
        return id;
    }
    // Every write to the table fails from now on, as on a damaged file.
    void refuseWrites(const QString& table) const
    {
        for (const char* what : {"INSERT", "UPDATE"})
            exec(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")
                     .arg(table, QString::fromLatin1(what)));
    }
};

// A test of the invoicing logic: its own globals, database and dialogs.
class InvoicingTest : public ::testing::Test {
protected:
    GlobalsScope globals;
    InvoiceDb database;
    DialogScope dialogs;
};

}  // namespace test
