#include "bookings/addresssearch.h"

#include "core/messages.h"
#include "platform/db/error.h"
#include "tests/support/globals_scope.h"
#include "tests/support/test_database.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

class AddressSearchTest : public ::testing::Test {
protected:
    qint32 add(const QString& last, const QString& first, const QString& more = QString())
    {
        Customer c;
        c.cust_lastname = last;
        c.cust_firstname = first;
        c.cust_company = more;
        StoreCustomer(c);
        return c.cust_id;
    }
    // Last names the search text finds, in list order.
    QStringList found(const QString& text, qint32 category = -1)
    {
        QStringList names;
        for (const CustomerListRow& row : FindCustomers(ParseAddressSearch(text, category).filter))
            names << (row.cust_lastname.isEmpty() ? row.cust_company : row.cust_lastname);
        return names;
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
};

}  // namespace

TEST(AddressSearchText, ReadsDatesNamesPatternsAndCategories)
{
    test::GlobalsScope globals;
    AddressSearch s = ParseAddressSearch(QStringLiteral("  Meier ,  Hans "), -1);
    EXPECT_EQ(s.action, AddressSearch::Action::Search);
    EXPECT_EQ(s.filter.kind, CustomerFilter::Kind::Name);
    EXPECT_EQ(s.filter.text, QStringLiteral("Meier"));
    EXPECT_EQ(s.filter.first, QStringLiteral("Hans"));
    EXPECT_EQ(s.filter.categoryId, -1);

    for (const char* typed : {"24121970", "24.12.1970", "24.12.70"}) {
        s = ParseAddressSearch(QString::fromLatin1(typed), -1);
        EXPECT_EQ(s.filter.kind, CustomerFilter::Kind::Birthday) << typed;
        EXPECT_EQ(s.filter.birthday, rt::Date::fromParts(1970, 12, 24)) << typed;
        EXPECT_EQ(s.boxText, QStringLiteral("24.12.1970")) << typed;
    }
    // A number that is no date empties the box and searches nothing.
    for (const char* typed : {"1234", "99999999", "0815 Bau"}) {
        s = ParseAddressSearch(QString::fromLatin1(typed), -1);
        EXPECT_EQ(s.action, AddressSearch::Action::ClearBox) << typed;
        EXPECT_TRUE(s.boxText.isEmpty());
    }
    EXPECT_EQ(ParseAddressSearch(QStringLiteral("*str*"), -1).filter.kind, CustomerFilter::Kind::Pattern);
    s = ParseAddressSearch(QStringLiteral("M"), 2);
    EXPECT_EQ(s.filter.kind, CustomerFilter::Kind::Prefix);
    EXPECT_EQ(s.filter.categoryId, 2);
    EXPECT_EQ(ParseAddressSearch(QStringLiteral("   "), 2).action, AddressSearch::Action::None);
}

TEST_F(AddressSearchTest, NamesAreFoundInBothUmlautSpellingsAndAnyCase)
{
    add(QStringLiteral("Müller"), QStringLiteral("Thomas"));
    add(QStringLiteral("Mueller"), QStringLiteral("Anna"));
    add(QStringLiteral("müller-Lüdenscheidt"), QStringLiteral("Eva"));
    add(QStringLiteral("Muller"), QStringLiteral("Jean"));
    add(QString(), QString(), QStringLiteral("Müller Bau GmbH"));
    add(QStringLiteral("Schäfer"), QStringLiteral("Jürgen"));

    const QStringList muellers = {QStringLiteral("Mueller"), QStringLiteral("Müller"),
                                  QStringLiteral("müller-Lüdenscheidt"), QStringLiteral("Müller Bau GmbH")};
    const QStringList hits = found("Müller");
    EXPECT_EQ(QSet<QString>(hits.begin(), hits.end()), QSet<QString>(muellers.begin(), muellers.end()));
    EXPECT_EQ(found("Mueller").size(), 3);   // the company is found by its spelling only
    EXPECT_EQ(found("MÜLLER").size(), 4);
    EXPECT_EQ(found("schaefer"), QStringList{QStringLiteral("Schäfer")});
    EXPECT_EQ(found("Müller, th"), QStringList{QStringLiteral("Müller")});
    EXPECT_EQ(found("mueller, A"), QStringList{QStringLiteral("Mueller")});
    EXPECT_TRUE(found("Xaver").isEmpty());
}

TEST_F(AddressSearchTest, QuotesAndWildcardsInTheTextAreData)
{
    add(QStringLiteral("O'Brien"), QStringLiteral("Seán"));
    add(QStringLiteral("Ma\"ck'ie"), QStringLiteral("Tom"));
    add(QStringLiteral("Obermaier"), QStringLiteral("Rosa"));
    EXPECT_EQ(found("o'b"), QStringList{QStringLiteral("O'Brien")});
    EXPECT_EQ(found("O'Brien, Seán"), QStringList{QStringLiteral("O'Brien")});
    EXPECT_EQ(found("ma\"ck'"), QStringList{QStringLiteral("Ma\"ck'ie")});
    EXPECT_EQ(found("*\"ck'*"), QStringList{QStringLiteral("Ma\"ck'ie")});
    // SQL's own wildcards are plain characters.
    EXPECT_TRUE(found("O%").isEmpty());
    EXPECT_TRUE(found("O_").isEmpty());
    // A pattern the database cannot read is an error for the caller to show.
    EXPECT_THROW(FindCustomers(ParseAddressSearch(QStringLiteral("*[ab*"), -1).filter), db::DbError);
}

TEST_F(AddressSearchTest, PatternsBirthdaysAndCategoriesNarrowTheList)
{
    Customer street;
    street.cust_lastname = QStringLiteral("Wagner");
    street.cust_street = QStringLiteral("Hauptstraße 5");
    street.cust_birthday = rt::Date::fromParts(1970, 12, 24);
    street.cust_category_id = 2;
    StoreCustomer(street);
    Customer notes;
    notes.cust_lastname = QStringLiteral("Zimmer");
    notes.cust_info = QStringLiteral("kommt mit Hund, Strandkorb");
    notes.cust_category_id = 1;
    StoreCustomer(notes);
    add(QStringLiteral("Weber"), QStringLiteral("Ida"));

    EXPECT_EQ(found("*str*"), (QStringList{QStringLiteral("Wagner"), QStringLiteral("Zimmer")}));
    EXPECT_EQ(found("*str*", 1), QStringList{QStringLiteral("Zimmer")});
    EXPECT_EQ(found("W", 2), QStringList{QStringLiteral("Wagner")});
    EXPECT_EQ(found("W"), (QStringList{QStringLiteral("Wagner"), QStringLiteral("Weber")}));
    EXPECT_EQ(found("24121970"), QStringList{QStringLiteral("Wagner")});
    EXPECT_TRUE(found("25.12.1970").isEmpty());
}
