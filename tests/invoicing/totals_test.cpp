#include "core/invoices.h"
#include "core/messages.h"
#include "invoicing/invoice.h"
#include "tests/support/globals_scope.h"

#include <gtest/gtest.h>

namespace {

InvoicePosition position(int quantity, Cents price, const QString& vatId)
{
    InvoicePosition p;
    p.quantity = quantity;
    p.price = price;
    p.vatId = vatId;
    return p;
}

// Every printed line adds up: net and VAT give the gross.
void expectAddsUp(const InvoiceTotals& t)
{
    EXPECT_EQ(t.net + t.vatFull + t.vatReduced, t.gross);
}

}  // namespace

TEST(InvoiceTotals, PricesIncludingVatGiveTheVatOutOfTheSum)
{
    const InvoiceTotals t = *ComputeTotals({position(1, 11900, "0")}, 19, 7, true);
    EXPECT_EQ(t.sum, 11900);
    EXPECT_EQ(t.vatFull, 1900);
    EXPECT_EQ(t.net, 10000);
    EXPECT_EQ(t.gross, 11900);
}

TEST(InvoiceTotals, NetPricesAddTheVatAndClassTwoAddsNone)
{
    std::vector<InvoicePosition> rows{position(1, 10000, "0")};
    InvoiceTotals t = *ComputeTotals(rows, 19, 7, false);
    EXPECT_EQ(t.vatFull, 1900);
    EXPECT_EQ(t.net, 10000);
    EXPECT_EQ(t.gross, 11900);

    rows.push_back(position(1, 5000, "2"));
    t = *ComputeTotals(rows, 19, 7, false);
    EXPECT_EQ(t.sum, 15000);
    EXPECT_EQ(t.vatFull, 1900);
    EXPECT_EQ(t.vatReduced, 0);
    EXPECT_EQ(t.gross, 16900);
}

TEST(InvoiceTotals, ADiscountCountsNegative)
{
    const InvoiceTotals t = *ComputeTotals({position(2, 5000, "0"), position(1, -2000, "0")}, 19, 7, false);
    EXPECT_EQ(t.sum, 8000);
    EXPECT_EQ(t.vatFull, 1520);
    EXPECT_EQ(t.gross, 9520);
}

TEST(InvoiceTotals, RoundedVatOfTwoClassesStillAddsUpToTheCent)
{
    // 1,00 at 19 % and 1,15 at 7 %, VAT included: 0,16 and 0,08 of 2,15.
    const InvoiceTotals t = *ComputeTotals({position(1, 100, "0"), position(1, 115, "1")}, 19, 7, true);
    EXPECT_EQ(t.vatFull, 16);
    EXPECT_EQ(t.vatReduced, 8);
    EXPECT_EQ(t.net, 191);
    EXPECT_EQ(t.gross, 215);
    expectAddsUp(t);
}

TEST(InvoiceTotals, AHundredPositionsAddUpToTheCentBeforeAndAfterAVatChange)
{
    std::vector<InvoicePosition> rows;
    Cents sum = 0;
    for (int i = 0; i < 100; ++i) {
        rows.push_back(position(1 + i % 4, 99 + 137 * i, QString::number(i % 3)));
        sum += *rows.back().total();
    }
    for (const bool included : {false, true}) {
        for (const auto& [full, reduced] : {std::pair{19.0, 7.0}, std::pair{16.0, 5.0}}) {
            const InvoiceTotals t = *ComputeTotals(rows, full, reduced, included);
            EXPECT_EQ(t.sum, sum);
            expectAddsUp(t);
        }
    }
}

TEST(InvoiceTotals, HalfCentsRoundAwayFromZero)
{
    // 1,50 at 7 % is 0,105.
    const InvoiceTotals t = *ComputeTotals({position(1, 150, "1")}, 19, 7, false);
    EXPECT_EQ(t.vatReduced, 11);
    expectAddsUp(t);
    EXPECT_EQ(ComputeTotals({position(1, -150, "1")}, 19, 7, false)->vatReduced, -11);
}

TEST(InvoiceTotals, UnknownClassesCountWithoutVatAndAnEmptyClassIsFull)
{
    const InvoiceTotals t = *ComputeTotals({position(1, 1000, "3"), position(1, 1000, "9"), position(1, 1000, "")}, 19, 7, false);
    EXPECT_EQ(t.sum, 3000);
    EXPECT_EQ(t.vatFull, 190);
    EXPECT_EQ(t.gross, 3190);
}

TEST(Money, AmountsAsTheUserTypesThem)
{
    EXPECT_EQ(ParseAmount(QStringLiteral("12,50")), 1250);
    EXPECT_EQ(ParseAmount(QStringLiteral("1.234,56")), 123456);
    EXPECT_EQ(ParseAmount(QStringLiteral("12.5")), 1250);
    EXPECT_EQ(ParseAmount(QStringLiteral(" 7,25 €")), 725);
    EXPECT_EQ(ParseAmount(QStringLiteral("-3")), -300);
    EXPECT_EQ(ParseAmount(QString()), 0);
    EXPECT_EQ(ParseAmount(QStringLiteral("zwölf")), std::nullopt);
    EXPECT_EQ(ParseAmount(QStringLiteral("1e12")), std::nullopt);
    // A price stored through a float reads as the cents it was.
    EXPECT_EQ(CentsOf(static_cast<double>(19.99f)), 1999);
    EXPECT_EQ(RateText(16.5), QStringLiteral("16,5"));
}

TEST(InvoiceTexts, NumberIsTheYearOfTheDateTextAndTheIdAsSixDigits)
{
    EXPECT_EQ(InvoiceNumber(QStringLiteral("05.03.2024"), 123), QStringLiteral("2024000123"));
    EXPECT_EQ(InvoiceNumber(QStringLiteral("05.03.2024"), 1234567), QStringLiteral("20241234567"));
    EXPECT_EQ(InvoiceNumber(QString(), 42), QStringLiteral("000042"));
}

TEST(InvoiceTexts, ListEntriesShowSentMarkDateStatusAndName)
{
    test::GlobalsScope globals;
    InitGlobalTexts();
    InvoiceListRow row;
    row.inv_is_sent = true;
    row.inv_date = rt::Date::fromParts(2024, 3, 5);
    row.ivs_name = QStringLiteral("offen");
    row.cust_company = QStringLiteral("Muster GmbH");
    row.cust_lastname = QStringLiteral("Meier");
    row.cust_firstname = QStringLiteral("Hans");
    EXPECT_EQ(InvoiceListEntry(row), QStringLiteral("/ 05.03.2024  offen") + QString(9, ' ') + QStringLiteral("  Muster GmbH / Meier, Hans"));

    InvoiceListRow bare;
    EXPECT_EQ(InvoiceListEntry(bare), QStringLiteral("   ??.??.??   ********  ") + TextUnnamed);
}
