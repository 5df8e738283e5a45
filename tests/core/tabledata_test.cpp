#include "core/tabledata.h"

#include <gtest/gtest.h>

// What a typed cell becomes in a VAT rate (a byte), a key (a long) and a
// price (a single): the number written, or the start of the refusal.
TEST(TypedCells, NumberColumnsRefuseTextAndWholeOnesFractionsAndWhatTheyCannotHold)
{
    const TableColumn columns[] = {{"vat_full", db::DaoType::Byte}, {"mand_id", db::DaoType::Long},
                                   {"srv_price", db::DaoType::Single}};
    const char* const wholeOnly = "In der Spalte";
    const char* const cases[][4] = {
        {"abc", "\"abc\" ist keine Zahl.", "\"abc\" ist keine Zahl.", "\"abc\" ist keine Zahl."},
        {"-0", "0", "0", "0"},
        {"1e5", "In der Spalte \"vat_full\" können nur ganze Zahlen von 0 bis 255 stehen", "100000", "100000"},
        {"99999999999", wholeOnly, "In der Spalte \"mand_id\" können nur ganze Zahlen von -2147483648 bis", "99999999999"},
        {"3,14159", "Ein Mehrwertsteuersatz kann nur ganze Prozent betragen;", "In der Spalte \"mand_id\" können nur ganze "
                                                                              "Zahlen stehen; \"3,14159\" ist keine.",
         "3.14159"},
        {"1,2,3", "\"1,2,3\" ist keine Zahl.", "\"1,2,3\" ist keine Zahl.", "\"1,2,3\" ist keine Zahl."},
        {"1.000", wholeOnly, "1000", "1000"},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(c[0]) + " in " + columns[i].name.toStdString());
            QString problem;
            const std::optional<db::Value> value = TypedCellValue("tbl_vat", columns[i], c[0], &problem);
            if (value)
                EXPECT_EQ(QString::number(value->toDouble(), 'g', 12), c[i + 1]);
            else
                EXPECT_TRUE(problem.startsWith(QString::fromUtf8(c[i + 1]))) << problem.toStdString();
        }
    }
    // A cleared cell is Null; a date is the database's to read; only the VAT rates speak of percent.
    EXPECT_TRUE(TypedCellValue("tbl_vat", columns[0], "", nullptr)->isNull());
    EXPECT_EQ(TypedCellValue("tbl_vat", {"vat_date_start", db::DaoType::Date}, "31.02.", nullptr)->toText(), "31.02.");
    QString problem;
    EXPECT_FALSE(TypedCellValue("tbl_probe", columns[0], "8,1", &problem));
    EXPECT_EQ(problem, "In der Spalte \"vat_full\" können nur ganze Zahlen stehen; \"8,1\" ist keine.");
}
