#include "core/tabledata.h"

#include <gtest/gtest.h>

namespace {

TableColumn column(const char* name, db::DaoType type)
{
    return {QString::fromLatin1(name), type};
}

}  // namespace

// What a typed cell becomes in each kind of number column: the value
// written, or the problem's start when it is refused.
TEST(TypedCells, NumberColumnsRefuseTextAndWholeOnesFractionsAndWhatTheyCannotHold)
{
    const TableColumn rate = column("vat_full", db::DaoType::Byte);
    const TableColumn order = column("flr_order", db::DaoType::Integer);
    const TableColumn key = column("mand_id", db::DaoType::Long);
    const TableColumn price = column("srv_price", db::DaoType::Single);
    struct Case {
        const char* typed;
        const char* asRate;
        const char* asOrder;
        const char* asKey;
        const char* asPrice;
    };
    const Case cases[] = {
        {"abc", "\"abc\" ist keine Zahl.", "\"abc\" ist keine Zahl.", "\"abc\" ist keine Zahl.", "\"abc\" ist keine Zahl."},
        {"-0", "0", "0", "0", "0"},
        {"1e5", "In der Spalte \"vat_full\" können nur ganze Zahlen von 0 bis 255", "In der Spalte \"flr_order\" können nur ganze Zahlen von -32768 bis 32767",
         "100000", "100000"},
        {"99999999999", "In der Spalte", "In der Spalte", "In der Spalte \"mand_id\" können nur ganze Zahlen von -2147483648 bis 2147483647",
         "99999999999"},
        {"3,14159", "Ein Mehrwertsteuersatz kann nur ganze Prozent betragen;", "In der Spalte \"flr_order\" können nur ganze Zahlen stehen; \"3,14159\" ist keine.",
         "In der Spalte", "3.14159"},
        {"8,1", "Ein Mehrwertsteuersatz kann nur ganze Prozent betragen;", "In der Spalte", "In der Spalte", "8.1"},
        {"1,2,3", "\"1,2,3\" ist keine Zahl.", "\"1,2,3\" ist keine Zahl.", "\"1,2,3\" ist keine Zahl.", "\"1,2,3\" ist keine Zahl."},
        {"1.000", "In der Spalte", "1000", "1000", "1000"},
        {"19", "19", "19", "19", "19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::pair<const TableColumn*, const char*> columns[] = {
            {&rate, c.asRate}, {&order, c.asOrder}, {&key, c.asKey}, {&price, c.asPrice}};
        for (const auto& [col, expected] : columns) {
            QString problem;
            const std::optional<db::Value> value = TypedCellValue("tbl_vat", *col, c.typed, &problem);
            if (value)
                EXPECT_EQ(QString::number(value->toDouble(), 'g', 12), expected) << col->name.toStdString();
            else
                EXPECT_TRUE(problem.startsWith(QString::fromUtf8(expected))) << problem.toStdString();
        }
    }
    // A cleared cell is Null; text and date columns are the database's to check.
    EXPECT_TRUE(TypedCellValue("tbl_vat", rate, "", nullptr)->isNull());
    EXPECT_EQ(TypedCellValue("tbl_vat", column("vat_date_start", db::DaoType::Date), "31.02.", nullptr)->toText(), "31.02.");
    // Only the VAT table speaks of percent.
    QString problem;
    EXPECT_FALSE(TypedCellValue("tbl_probe", rate, "8,1", &problem));
    EXPECT_EQ(problem, "In der Spalte \"vat_full\" können nur ganze Zahlen stehen; \"8,1\" ist keine.");
}
