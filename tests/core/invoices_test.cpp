#include "core/invoices.h"
#include "core/services.h"
#include "platform/db/error.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

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
        position = AddInvoicePosition(p);
    }
    int rows(const QString& table) const { return database.count(table); }

    test::TestDatabase database;
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
    ASSERT_TRUE(SetPositionText(position, QStringLiteral("O'Brien's \"Spezial\"; DROP TABLE tbl_invoice")));
    const std::vector<InvoicePositionRow> read = LoadInvoicePositions(invoice);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].ivp_text, QStringLiteral("O'Brien's \"Spezial\"; DROP TABLE tbl_invoice"));
    EXPECT_TRUE(read[0].hasService);
    EXPECT_EQ(read[0].srv_name, QStringLiteral("Frühstück"));
    EXPECT_EQ(read[0].srv_tax_id, 0);
    EXPECT_FALSE(SetPositionPrice(position + 1, 3.0));
}

TEST_F(InvoiceTables, AServiceStaysWhileInvoicePositionsNameIt)
{
    EXPECT_EQ(DeleteService(1), ServiceDeleteResult::Referenced);
    EXPECT_EQ(rows(QStringLiteral("tbl_services")), 1);
    EXPECT_TRUE(DeleteInvoicePosition(position));
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
