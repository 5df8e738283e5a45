#include "core/invoices.h"
#include "core/services.h"
#include "platform/db/error.h"
#include "tests/support/test_database.h"
#include "tests/support/unchecked_writes.h"

#include <gtest/gtest.h>

namespace {

// The gross of the window stands in as the plain sum; the day it was asked for is kept.
struct SumRule {
    std::vector<rt::Date> days;
    InvoiceGrossRule rule()
    {
        return [this](const std::vector<InvoicePositionRow>& rows, const rt::Date& day) {
            days.push_back(day);
            double sum = 0;
            for (const InvoicePositionRow& r : rows)
                sum += r.ivp_quantity * r.ivp_price;
            return sum;
        };
    }
};

class InvoiceTables : public ::testing::Test {
protected:
    InvoiceTables()
    {
        database.exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price, srv_tax_id) VALUES (1, 'Frühstück', 12.5, 0)"));
        invoice = CreateInvoice();
        InvoicePositionRow p;
        p.ivp_invoice_id = invoice;
        p.ivp_prod_id = 1;
        p.ivp_quantity = 2;
        p.ivp_price = 12.5;
        position = AddInvoicePosition(p, gross.rule()).id;
    }
    int rows(const QString& table) const { return database.count(table); }
    static RowValues positionRow(qint32 ivpId)
    {
        return ReadRow(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_id"), ivpId).value_or(RowValues());
    }
    // A change of one column of the position as read now; asked, Ja.
    InvoiceWrite change(qint32 ivpId, const QString& column, const db::Value& value)
    {
        return StorePositionChanges(ivpId, positionRow(ivpId), {{column, value}}, mine, gross.rule()).result;
    }
    InvoiceWrite remove(qint32 ivpId) { return DeleteInvoicePosition(ivpId, positionRow(ivpId), mine, gross.rule()); }
    InvoiceWriteOutcome storeHeader(qint32 invId, const InvoiceHeaderWrite& header)
    {
        return StoreInvoiceHeader(invId, ReadInvoiceRow(invId).value_or(RowValues()), InvoiceHeaderColumns(header), mine,
                                  gross.rule(), std::nullopt);
    }
    static ClashChoice mine(const RowMerge&) { return ClashChoice::Mine; }
    double total(qint32 invId) const
    {
        return database.value(QStringLiteral("SELECT inv_total FROM tbl_invoice WHERE inv_id = %1").arg(invId)).toDouble();
    }

    test::TestDatabase database;
    SumRule gross;
    qint32 invoice = 0;
    qint32 position = 0;
};

}  // namespace

TEST_F(InvoiceTables, AnInvoiceGoesWithItsPositionsOrNotAtAll)
{
    RowValues shown = *ReadInvoiceRow(invoice);
    shown.insert(PositionsColumn, ShownPositionsValue({positionRow(position)}));
    const auto asShown = [](const RowValues&, const RowMerge& since) { return since.kept.isEmpty(); };
    database.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tbl_invoice BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
    EXPECT_THROW(DeleteShownInvoice(invoice, shown, asShown), db::DbError);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 1);

    database.exec(QStringLiteral("DROP TRIGGER keep"));
    EXPECT_EQ(DeleteShownInvoice(invoice, shown, asShown), DeleteResult::Deleted);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice")), 0);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 0);
}

TEST_F(InvoiceTables, PositionsReadWithTheirServiceAndTextsAreBound)
{
    const QString text = QStringLiteral("O'Brien's \"Spezial\"; DROP TABLE tbl_invoice");
    ASSERT_EQ(change(position, QStringLiteral("ivp_text"), text), InvoiceWrite::Written);
    const std::vector<InvoicePositionRow> read = LoadInvoicePositions(invoice);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].ivp_text, text);
    EXPECT_TRUE(read[0].hasService);
    EXPECT_EQ(read[0].srv_name, QStringLiteral("Frühstück"));
    EXPECT_EQ(read[0].srv_tax_id, 0);
    EXPECT_EQ(read[0].row, positionRow(position));
    EXPECT_EQ(change(position + 1, QStringLiteral("ivp_price"), 3.0), InvoiceWrite::PositionMissing);
}

TEST_F(InvoiceTables, AServiceStaysWhileInvoicePositionsNameIt)
{
    EXPECT_EQ(test::DeleteService(1), ServiceDeleteResult::Referenced);
    EXPECT_EQ(rows(QStringLiteral("tbl_services")), 1);
    EXPECT_EQ(remove(position), InvoiceWrite::Written);
    EXPECT_EQ(test::DeleteService(1), ServiceDeleteResult::Deleted);
    EXPECT_EQ(test::DeleteService(1), ServiceDeleteResult::NotFound);
}

TEST_F(InvoiceTables, AServiceIsStoredAnewWhenItsRowIsGone)
{
    Service s = *LoadService(1);
    s.srv_price = 13.0;
    database.exec(QStringLiteral("DELETE FROM tbl_services"));
    StoreServiceAnew(s);
    EXPECT_NE(s.srv_id, 1);
    EXPECT_EQ(LoadService(s.srv_id)->srv_name, QStringLiteral("Frühstück"));
    EXPECT_EQ(LoadService(s.srv_id)->srv_price, 13.0);
}

// Another station's position counts in the next write's total; the day is
// the stored date (today without one), the header's own when it is saved.
TEST_F(InvoiceTables, EveryPositionWriteStoresTheTotalOfWhatIsStored)
{
    EXPECT_DOUBLE_EQ(total(invoice), 25.0);
    database.exec(QStringLiteral("INSERT INTO tbl_invoice_positions (ivp_invoice_id, ivp_quantity, ivp_price) "
                                 "VALUES (%1, 1, 10)").arg(invoice));
    database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_date = #03/05/2024#"));
    ASSERT_EQ(change(position, QStringLiteral("ivp_quantity"), 3), InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 47.5);
    ASSERT_EQ(remove(position), InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 10.0);
    InvoiceHeaderWrite header;
    header.inv_date = rt::Date::fromParts(2024, 7, 1);
    ASSERT_EQ(storeHeader(invoice, header).result, InvoiceWrite::Written);
    const std::vector<rt::Date> days{rt::Date::today().datePart(), rt::Date::fromParts(2024, 3, 5),
                                     rt::Date::fromParts(2024, 3, 5), rt::Date::fromParts(2024, 7, 1)};
    EXPECT_EQ(gross.days, days);
}

TEST_F(InvoiceTables, AWriteNamingARowDeletedElsewhereWritesNothing)
{
    database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (5, 'Meier')"));
    InvoicePositionRow p;
    for (qint32 id : {0, -1, invoice + 1}) {
        p.ivp_invoice_id = id;
        EXPECT_EQ(AddInvoicePosition(p, gross.rule()).result, InvoiceWrite::InvoiceMissing) << id;
    }
    p.ivp_invoice_id = invoice;
    p.ivp_prod_id = 9;
    EXPECT_EQ(AddInvoicePosition(p, gross.rule()).missingId, 9);
    InvoiceHeaderWrite header;
    header.inv_customer_id = 6;
    EXPECT_EQ(storeHeader(invoice, header).result, InvoiceWrite::CustomerMissing);
    header.inv_customer_id = -1;   // none
    EXPECT_EQ(storeHeader(invoice, header).result, InvoiceWrite::Written);

    // Stored anew all or nothing: a position naming a gone service stops it.
    test::RemoveInvoice(invoice);
    header.inv_customer_id = 5;
    EXPECT_EQ(storeHeader(invoice, header).result, InvoiceWrite::InvoiceMissing);
    p.ivp_prod_id = 1;
    InvoicePositionRow gone = p;
    gone.ivp_prod_id = 7;
    EXPECT_EQ(StoreInvoiceAnew(header, {p, gone}, gross.rule()).result, InvoiceWrite::ServiceMissing);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice")), 0);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 0);
}
