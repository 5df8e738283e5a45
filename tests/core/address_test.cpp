#include "core/address.h"
#include "core/database.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

class CustomerAddressTest : public ::testing::Test {
protected:
    void SetUp() override { InitGlobalTexts(); }

    // Texts in the order last, first, company, street, zip, city, country; "" is stored as Null.
    qint32 add(QStringList t, db::Value sex = 0, db::Value birthday = {})
    {
        while (t.size() < 7)
            t << QString();
        QList<db::Value> v;
        for (const QString& s : t)
            v << (s.isEmpty() ? db::Value() : db::Value(s));
        v << sex << birthday;
        Db->execute(QStringLiteral("INSERT INTO tbl_customers (cust_lastname, cust_firstname, cust_company, cust_street, "
                                   "cust_zip, cust_city, cust_country, cust_sex, cust_birthday) VALUES (?,?,?,?,?,?,?,?,?)"),
                    v);
        return Db->openRecordset(QStringLiteral("SELECT max(cust_id) AS id FROM tbl_customers")).value(QStringLiteral("id")).toLong();
    }
    QString block(qint32 id, int mode = 0) { return GetCustomerAddress(mode, a, QStringLiteral("tbl_customers"), id); }

    test::TestDatabase database;
    CustomerAddress a;
};

const QStringList Meier = {"Meier", "Hans", "", "Hauptstr. 1", "12345", "Berlin", "D"};

}  // namespace

TEST_F(CustomerAddressTest, LetterBlockSalutationAndDisplayName)
{
    struct Case { QStringList row; db::Value sex; QString block, salutation = {}, display = {}; };
    const QList<Case> cases = {
        {Meier, 0, "Herrn\r\nHans Meier \r\nHauptstr. 1\r\n\r\n12345 Berlin", "Sehr geehrter Herr Meier", "Meier, Hans"},
        {{"Meier", "Hans", "Muster GmbH", "Ring 2"}, 0, "Muster GmbH\r\nz. Hd. Herrn Hans Meier \r\nRing 2",
         "Sehr geehrter Herr Meier", "Muster GmbH, Meier, Hans"},
        {{"", "", "Muster GmbH", "Ring 2", "10115", "Berlin"}, 1, "Muster GmbH\r\nRing 2\r\n\r\n10115 Berlin",
         "Sehr geehrte Damen und Herren", "Muster GmbH"},
        {{"Meier", "Anna"}, 1, "Frau\r\nAnna Meier ", "Sehr geehrte Frau Meier", "Meier, Anna"},
        {{"Meier"}, 2, "Herr & Frau\r\nMeier ", "Sehr geehrte Herr & Frau Meier", "Meier"},
        {{"Meier"}, 3, "\r\nMeier ", "Sehr geehrte  Meier", "Meier"},
        {{"Meier"}, db::Value(), "Herrn\r\nMeier ", "Sehr geehrter Herr Meier", "Meier"},
        {{"Meier", "Hans", "", "", "8000", "Zürich", "schweiz"}, 0, "Herrn\r\nHans Meier \r\n\r\nCH - 8000 Zürich\r\nSCHWEIZ"},
        {{"Meier", "Hans", "", "", "1010", "Wien", "österreich"}, 0, "Herrn\r\nHans Meier \r\n\r\nA - 1010 Wien\r\nÖSTERREICH"},
        {{"Meier", "Hans", "", "", "", "Toronto", "Kanada"}, 0, "Herrn\r\nHans Meier \r\n\r\n Toronto\r\nKanada"},
        // No lone zip, no empty line where the street, city or country is missing.
        {{"Meier", "Hans", "", "", "12345", "", "Deutschland"}, 0, "Herrn\r\nHans Meier "},
        {{"", "", "", "Hauptstr. 1"}, 0, "\r\nHauptstr. 1", "Sehr geehrte Damen und Herren"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row.join(QLatin1Char('|')).toStdString());
        EXPECT_EQ(block(add(c.row, c.sex)), c.block);
        if (!c.salutation.isNull()) {
            EXPECT_EQ(a.LetterSalutation, c.salutation);
        }
        if (!c.display.isNull()) {
            EXPECT_EQ(a.DisplayName, c.display);
        }
    }
}

TEST_F(CustomerAddressTest, OtherModesAndIdsWithoutRow)
{
    const qint32 id = add(Meier, 0, rt::Date::fromParts(1970, 5, 3));
    EXPECT_EQ(block(id, 1), QStringLiteral("Herr Hans Meier  / Hauptstr. 1 /  / 12345 Berlin"));
    EXPECT_EQ(block(id, 4), QStringLiteral("Meier, Hans, geb. 03.05.1970"));
    EXPECT_EQ(block(add(Meier), 4), QStringLiteral("Meier, Hans"));

    EXPECT_EQ(block(9999), QStringLiteral("Person not found in database"));
    EXPECT_EQ(a.LastName, QStringLiteral("Meier")) << "the record keeps what it held";
    EXPECT_EQ(block(-1), GetResString(309));
    EXPECT_TRUE(a.AddressBlock.isEmpty() && a.LastName.isEmpty() && a.Birthday.isZero());
}

TEST_F(CustomerAddressTest, NamesWithApostrophesCountAndGuessSafely)
{
    add({"O'Neill", "D'Arcy"}, 1);
    add({"O'Neill", "D'Arcy"}, 1);
    add({"O'Neill", "Kim"}, db::Value());
    add({"Berg", "Kim"}, 3);
    add({"Lang", "Kim"}, 1);
    QString where = QStringLiteral("alt");
    EXPECT_EQ(CountCustomersByName(QStringLiteral(" o'neill "), QStringLiteral("D'Arcy"), where), 2);
    EXPECT_EQ(GetRecordCount(QStringLiteral("tbl_customers"), where), 2) << "the condition handed back works";
    EXPECT_EQ(CountCustomersByName(QStringLiteral("O'Neill"), QStringLiteral("x' OR ''='"), where), 0);
    where = QStringLiteral("alt");
    EXPECT_EQ(CountCustomersByName(QStringLiteral("O'Neill"), QStringLiteral(" "), where), 0);
    EXPECT_EQ(where, QStringLiteral("alt"));

    EXPECT_EQ(GuessSexFromFirstName(QStringLiteral("d'arcy")), 1);
    EXPECT_EQ(GuessSexFromFirstName(QStringLiteral("Kim")), 1) << "rows without 0 or 1 are passed over";
    add({"Roth", "Andrea"}, 0);
    EXPECT_EQ(GuessSexFromFirstName(QStringLiteral("Andrea")), 0) << "customers outweigh the ending";
    add({"Roth", "Toni"}, 3);
    EXPECT_EQ(GuessSexFromFirstName(QStringLiteral("Toni")), 3);
    const QList<std::pair<const char*, int>> endings = {{"Maria", 1}, {"Franz", 0}, {"Bruno", 0}, {"Robin", 3}, {" ", 0}};
    for (const auto& [name, sex] : endings)
        EXPECT_EQ(GuessSexFromFirstName(QString::fromUtf8(name)), sex) << name;
}

TEST(NameText, CapitalizingAndUmlautSpelling)
{
    EXPECT_EQ(CapitalizeName(QStringLiteral("von der tann"), true), QStringLiteral("von der Tann"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("v.goethe"), true), QStringLiteral("v.Goethe"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("von der tann"), false), QStringLiteral("Von der tann"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("Van Dyk"), true), QStringLiteral("Van Dyk"));
    EXPECT_EQ(CapitalizeName(QStringLiteral("ölz-LANG"), false), QStringLiteral("Ölz-LANG"));
    EXPECT_EQ(CapitalizeName(QString(), true), QString());

    EXPECT_EQ(SwapUmlautSpelling(QStringLiteral("Schaefer")), QStringLiteral("schäfer"));
    EXPECT_EQ(SwapUmlautSpelling(QStringLiteral("Bäcker-Müller")), QStringLiteral("baecker-mueller"));
    EXPECT_EQ(SwapUmlautSpelling(QStringLiteral("Goetze-Göbel")), QStringLiteral("goetze-goebel"));
    EXPECT_EQ(SwapUmlautSpelling(QStringLiteral("Kueppers-Kuehn")), QStringLiteral("küppers-kuehn"));
    EXPECT_EQ(JoinAddressLines(QStringLiteral("Herrn\r\nHans\nMeier")), QStringLiteral("Herrn / HansMeier"));
}
