#include "core/customers.h"
#include "core/places.h"

#include "tests/core/occupancy_db.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"

#include <gtest/gtest.h>

namespace {

class CustomerRows : public ::testing::Test {
protected:
    test::OccupancyDb database;
};

}  // namespace

TEST_F(CustomerRows, TextWithQuotesAndUmlautsRoundTrips)
{
    Customer c;
    c.cust_lastname = QStringLiteral("O'Brien-Müller");
    c.cust_firstname = QStringLiteral("Jürgen \"Jo\"");
    c.cust_zip = QStringLiteral("80331");
    c.cust_sex = 0;
    c.cust_birthday = rt::Date::fromParts(1970, 2, 28);
    ASSERT_EQ(StoreCustomer(c), CustomerStoreResult::Stored);
    ASSERT_GT(c.cust_id, 0);
    std::optional<Customer> back = LoadCustomer(c.cust_id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->cust_lastname, c.cust_lastname);
    EXPECT_EQ(back->cust_firstname, c.cust_firstname);
    EXPECT_EQ(back->cust_birthday, c.cust_birthday);
    EXPECT_TRUE(back->cust_city.isEmpty());
    // Blank fields are stored as Null, as the address book leaves them.
    EXPECT_TRUE(database.value(QStringLiteral("SELECT cust_city FROM tbl_customers")).isNull());

    back->cust_city = QStringLiteral("München");
    back->cust_birthday = rt::Date();
    ASSERT_EQ(StoreCustomer(*back), CustomerStoreResult::Stored);
    EXPECT_EQ(LoadCustomer(c.cust_id)->cust_city, QStringLiteral("München"));
    EXPECT_TRUE(LoadCustomer(c.cust_id)->cust_birthday.isZero());
    EXPECT_EQ(database.count(QStringLiteral("tbl_customers")), 1);
}

TEST_F(CustomerRows, ACustomerDeletedElsewhereIsNotStoredAgain)
{
    Customer c;
    c.cust_lastname = QStringLiteral("Meier");
    StoreCustomer(c);
    database.exec(QStringLiteral("DELETE FROM tbl_customers"));
    c.cust_firstname = QStringLiteral("Anna");
    EXPECT_EQ(StoreCustomer(c), CustomerStoreResult::NotFound);
    EXPECT_EQ(database.count(QStringLiteral("tbl_customers")), 0);
    EXPECT_FALSE(LoadCustomer(c.cust_id));
}

TEST_F(CustomerRows, OnlyAnUnreferencedCustomerIsDeleted)
{
    Customer guest, payer, nobody;
    for (Customer* c : {&guest, &payer, &nobody}) {
        c->cust_lastname = QStringLiteral("Gast");
        StoreCustomer(*c);
    }
    const qint32 place = database.addPlace(database.addFloor(database.addBuilding(1, QStringLiteral("Haus")), 0));
    database.addBooking(place, guest.cust_id, 3, 5);
    database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_customer_id) VALUES (%1)").arg(payer.cust_id));
    EXPECT_EQ(test::DeleteCustomer(guest.cust_id), CustomerDeleteResult::Referenced);
    EXPECT_EQ(test::DeleteCustomer(payer.cust_id), CustomerDeleteResult::Referenced);
    EXPECT_EQ(ReferencesOfCustomer(payer.cust_id).invoices, 1);
    EXPECT_EQ(test::DeleteCustomer(nobody.cust_id), CustomerDeleteResult::Deleted);
    EXPECT_EQ(test::DeleteCustomer(nobody.cust_id), CustomerDeleteResult::NotFound);
    EXPECT_EQ(database.count(QStringLiteral("tbl_customers")), 2);
}

TEST_F(CustomerRows, PlacesOfAFacilityStayWithinIt)
{
    const qint32 own = database.addBuilding(1, QStringLiteral("Haupthaus"));
    const qint32 foreign = database.addBuilding(2, QStringLiteral("Fremd"));
    const qint32 upper = database.addFloor(own, 1);
    const qint32 ground = database.addFloor(own, 0);
    const qint32 a = database.addPlace(upper);
    const qint32 b = database.addPlace(ground);
    database.addPlace(database.addFloor(foreign, 0));
    std::vector<qint32> ids;
    for (const Place& p : PlacesOfMandant(1))
        ids.push_back(p.pl_id);
    EXPECT_EQ(ids, (std::vector<qint32>{b, a}));
    EXPECT_EQ(MandantOfFloor(upper), 1);
    EXPECT_EQ(FloorsOfBuilding(own).front().flr_id, ground);
    EXPECT_EQ(BuildingsOfMandant(2).size(), 1u);
    EXPECT_FALSE(LoadPlace(0));
}

TEST_F(CustomerRows, AGuestChangedAtTwoStationsKeepsTheOthersFieldsAndNamesThoseBothChanged)
{
    database.exec(QStringLiteral("INSERT INTO tbl_cust_categories (adrcat_id, adrcat_name) VALUES (2, 'Stammgast'), (5, 'Firma')"));
    database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (7, 'Wagner')"));
    const RowValues loaded = *ReadCustomerRow(7);
    test::OtherStation other{database.path()};
    other.exec(QStringLiteral("UPDATE tbl_customers SET cust_city = 'Ulm', cust_street = 'Lindenweg 4', cust_sex = 1, "
                              "cust_caution = -1, cust_category_id = 2"));
    Customer mine = CustomerFromRow(loaded);
    mine.cust_phone = QStringLiteral("0711 123456");
    mine.cust_street = QStringLiteral("Ring 2");
    mine.cust_sex = 3;
    mine.cust_caution = true;   // as stored: no clash
    mine.cust_category_id = 5;
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::No);
    const MergedSave saved = StoreCustomerChanges(
        7, loaded, ChangedColumns(CustomerColumns(CustomerFromRow(loaded)), CustomerColumns(mine)),
        [](const RowMerge& merge) { return AskClash(QStringLiteral("Der Gast \"Wagner\""), CustomerMergeFields(), merge); });
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral(
        "Der Gast \"Wagner\" wurde inzwischen an anderer Stelle geändert: Straße, Nr. jetzt \"Lindenweg 4\"; "
        "Anrede jetzt Frau; Kategorie jetzt \"Stammgast\". Ihre Änderungen trotzdem speichern?")))
        << dialogs->lastMessage().text.toStdString();
    ASSERT_EQ(saved.result, MergedSave::Result::Written);
    const Customer now = *LoadCustomer(7);
    EXPECT_EQ(now.cust_city, QStringLiteral("Ulm"));
    EXPECT_EQ(now.cust_phone, QStringLiteral("0711 123456"));
    EXPECT_EQ(now.cust_street, QStringLiteral("Lindenweg 4"));
    EXPECT_EQ(now.cust_category_id, 2);
}
