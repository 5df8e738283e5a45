#include "core/invoices.h"
#include "core/services.h"
#include "platform/db/error.h"
#include "tests/support/test_database.h"

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
    database.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tbl_invoice BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
    EXPECT_THROW(RemoveInvoice(invoice), db::DbError);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 1);

    database.exec(QStringLiteral("DROP TRIGGER keep"));
    RemoveInvoice(invoice);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice")), 0);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 0);
}

TEST_F(InvoiceTables, PositionsReadWithTheirServiceAndTextsAreBound)
{
    ASSERT_EQ(SetPositionText(position, QStringLiteral("O'Brien's \"Spezial\"; DROP TABLE tbl_invoice")), InvoiceWrite::Written);
    const std::vector<InvoicePositionRow> read = LoadInvoicePositions(invoice);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].ivp_text, QStringLiteral("O'Brien's \"Spezial\"; DROP TABLE tbl_invoice"));
    EXPECT_TRUE(read[0].hasService);
    EXPECT_EQ(read[0].srv_name, QStringLiteral("Frühstück"));
    EXPECT_EQ(read[0].srv_tax_id, 0);
    EXPECT_EQ(SetPositionPrice(position + 1, 3.0, gross.rule()), InvoiceWrite::PositionMissing);
}

TEST_F(InvoiceTables, AServiceStaysWhileInvoicePositionsNameIt)
{
    EXPECT_EQ(DeleteService(1), ServiceDeleteResult::Referenced);
    EXPECT_EQ(rows(QStringLiteral("tbl_services")), 1);
    EXPECT_EQ(DeleteInvoicePosition(position, gross.rule()), InvoiceWrite::Written);
    EXPECT_EQ(DeleteService(1), ServiceDeleteResult::Deleted);
    EXPECT_EQ(DeleteService(1), ServiceDeleteResult::NotFound);
}

TEST_F(InvoiceTables, AServiceIsStoredAnewWhenItsRowIsGone)
{
    Service s = *LoadService(1);
    s.srv_tax_id.reset();
    s.srv_price = 13.0;
    StoreService(s);
    EXPECT_EQ(LoadService(1)->srv_tax_id, 0);   // an unset class is left alone
    EXPECT_EQ(LoadService(1)->srv_price, 13.0);

    database.exec(QStringLiteral("DELETE FROM tbl_services"));
    StoreService(s);
    EXPECT_NE(s.srv_id, 1);
    EXPECT_EQ(LoadService(s.srv_id)->srv_name, QStringLiteral("Frühstück"));
}

// Two stations add to one invoice: each write stores what all stored
// positions add up to, not what the writing station has seen.
TEST_F(InvoiceTables, EveryPositionWriteStoresTheTotalOfWhatIsStored)
{
    EXPECT_DOUBLE_EQ(total(invoice), 25.0);
    database.exec(QStringLiteral("INSERT INTO tbl_invoice_positions (ivp_invoice_id, ivp_prod_id, ivp_quantity, ivp_price) "
                                 "VALUES (%1, -1, 1, 10)").arg(invoice));   // another workstation
    ASSERT_EQ(SetPositionQuantity(position, 3, gross.rule()), InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 47.5);
    ASSERT_EQ(SetPositionPrice(position, 2.0, gross.rule()), InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 16.0);
    ASSERT_EQ(DeleteInvoicePosition(position, gross.rule()), InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 10.0);

    // Under the stored date, today while it has none; the header's own date once saved.
    database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_date = #03/05/2024#"));
    InvoicePositionRow p;
    p.ivp_invoice_id = invoice;
    p.ivp_quantity = 1;
    p.ivp_price = 5;
    ASSERT_EQ(AddInvoicePosition(p, gross.rule()).result, InvoiceWrite::Written);
    InvoiceHeaderWrite header;
    header.inv_date = rt::Date::fromParts(2024, 7, 1);
    ASSERT_EQ(StoreInvoiceHeader(invoice, header, gross.rule()).result, InvoiceWrite::Written);
    EXPECT_DOUBLE_EQ(total(invoice), 15.0);
    ASSERT_EQ(gross.days.size(), 6u);
    EXPECT_EQ(gross.days[0], rt::Date::today().datePart());
    EXPECT_EQ(gross.days[4], rt::Date::fromParts(2024, 3, 5));
    EXPECT_EQ(gross.days[5], rt::Date::fromParts(2024, 7, 1));
}

TEST_F(InvoiceTables, AWriteNamingARowDeletedElsewhereWritesNothing)
{
    database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (5, 'Meier')"));
    InvoicePositionRow p;
    p.ivp_quantity = 1;
    p.ivp_price = 5;
    for (qint32 id : {0, -1, invoice + 1}) {
        p.ivp_invoice_id = id;
        EXPECT_EQ(AddInvoicePosition(p, gross.rule()).result, InvoiceWrite::InvoiceMissing) << id;
    }
    p.ivp_invoice_id = invoice;
    p.ivp_prod_id = 9;
    const InvoiceWriteOutcome noService = AddInvoicePosition(p, gross.rule());
    EXPECT_EQ(noService.result, InvoiceWrite::ServiceMissing);
    EXPECT_EQ(noService.missingId, 9);
    EXPECT_EQ(SetInvoiceCustomer(invoice, 6), InvoiceWrite::CustomerMissing);
    EXPECT_EQ(SetInvoiceCustomer(invoice, 5), InvoiceWrite::Written);
    EXPECT_EQ(SetInvoiceCustomer(invoice, -1), InvoiceWrite::Written);   // none
    InvoiceHeaderWrite header;
    header.inv_customer_id = 6;
    EXPECT_EQ(StoreInvoiceHeader(invoice, header, gross.rule()).result, InvoiceWrite::CustomerMissing);
    EXPECT_EQ(StoreInvoiceAnew(header, {}, gross.rule()).result, InvoiceWrite::CustomerMissing);

    RemoveInvoice(invoice);   // another workstation
    header.inv_customer_id = 5;
    EXPECT_EQ(StoreInvoiceHeader(invoice, header, gross.rule()).result, InvoiceWrite::InvoiceMissing);
    EXPECT_EQ(SetInvoiceCustomer(invoice, 5), InvoiceWrite::InvoiceMissing);
    p.ivp_prod_id = 1;
    EXPECT_EQ(AddInvoicePosition(p, gross.rule()).result, InvoiceWrite::InvoiceMissing);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice")), 0);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 0);
}

TEST_F(InvoiceTables, AnInvoiceStoredAnewTakesItsPositionsInOneGo)
{
    RemoveInvoice(invoice);
    InvoiceHeaderWrite header;
    header.inv_notes = QStringLiteral("neu");
    InvoicePositionRow breakfast;
    breakfast.ivp_invoice_id = invoice;   // the old id is not used
    breakfast.ivp_prod_id = 1;
    breakfast.ivp_quantity = 2;
    breakfast.ivp_price = 12.5;
    InvoicePositionRow gone = breakfast;
    gone.ivp_prod_id = 7;

    EXPECT_EQ(StoreInvoiceAnew(header, {breakfast, gone}, gross.rule()).result, InvoiceWrite::ServiceMissing);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice")), 0);
    EXPECT_EQ(rows(QStringLiteral("tbl_invoice_positions")), 0);

    gone.ivp_prod_id = -1;
    const InvoiceWriteOutcome outcome = StoreInvoiceAnew(header, {breakfast, gone}, gross.rule());
    ASSERT_EQ(outcome.result, InvoiceWrite::Written);
    EXPECT_GT(outcome.id, invoice);
    ASSERT_EQ(outcome.positionIds.size(), 2u);
    EXPECT_EQ(LoadInvoicePositions(outcome.id).size(), 2u);
    EXPECT_EQ(LoadInvoicePositions(outcome.id)[1].ivp_id, outcome.positionIds[1]);
    EXPECT_EQ(LoadInvoicePositions(invoice).size(), 0u);
    EXPECT_DOUBLE_EQ(total(outcome.id), 50.0);
    EXPECT_EQ(LoadInvoiceHeader(outcome.id)->inv_notes, QStringLiteral("neu"));
}
