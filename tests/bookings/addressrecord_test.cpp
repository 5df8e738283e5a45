#include "bookings/addressrecord.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

class AddressRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        TermPersonSingular = QStringLiteral("Gast");
        TermPersonPlural = QStringLiteral("Gäste");
        StationReadOnly = false;
    }
    qint32 add(const QString& last, const QString& first)
    {
        Customer c;
        c.cust_lastname = last;
        c.cust_firstname = first;
        StoreCustomer(c);
        return c.cust_id;
    }
    AddressFields typed(const QString& last, const QString& first)
    {
        AddressFields f;
        f.text[entry::LastName] = last;
        f.text[entry::FirstName] = first;
        return f;
    }
    // A new address typed in, as the window leaves it after each key.
    AddressFields startTyping(const QString& last, const QString& first)
    {
        record.startNew();
        state.Changed = true;
        return typed(last, first);
    }
    void failWrites()
    {
        database.exec("CREATE TRIGGER no_insert BEFORE INSERT ON tbl_customers BEGIN SELECT RAISE(ABORT, 'Platte voll'); END;");
        database.exec("CREATE TRIGGER no_update BEFORE UPDATE ON tbl_customers BEGIN SELECT RAISE(ABORT, 'Platte voll'); END;");
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
    AddressState state;
    AddressRecord record{state};
};

}  // namespace

TEST_F(AddressRecordTest, QuotedNamesAreSavedAndCheckedForDuplicates)
{
    for (const QString& last : {QStringLiteral("O'Brien"), QStringLiteral("Ma\"ck'ie")}) {
        add(last, QStringLiteral("Tom"));
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Ok);
        AddressFields f = startTyping(last, QStringLiteral("Tom"));
        EXPECT_TRUE(record.CheckDuplicateAddress(f));
        EXPECT_EQ(dialogs->lastMessage().title, GetResString(1345));
        EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Als \"Tom ") + last + QStringLiteral("\" ist bereits 1 Gast erfasst.")));
        ASSERT_GT(state.CurrentCustomerId, 0);
        EXPECT_EQ(LoadCustomer(state.CurrentCustomerId)->cust_lastname, last);
        EXPECT_EQ(FindCustomers(state.LastSearch).size(), 2u);
    }
}

TEST_F(AddressRecordTest, TheDuplicateWarningCountsNamesakesOfAnyCaseOnce)
{
    add(QStringLiteral("Meier"), QStringLiteral("Hans"));
    add(QStringLiteral("MEIER"), QStringLiteral("hans"));
    add(QStringLiteral("Meier"), QStringLiteral("Hansi"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    AddressFields f = startTyping(QStringLiteral("Meier"), QStringLiteral("Hans"));
    ASSERT_TRUE(record.CheckDuplicateAddress(f));
    EXPECT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Als \"Hans Meier\" sind bereits 2 Gäste erfasst.")));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("nachträglich DIESEN unnötig angelegten Gast zu löschen.")));
    // Stored at once, so the list shows it among its namesakes.
    EXPECT_EQ(database.count("tbl_customers"), 4);
    EXPECT_EQ(FindCustomers(state.LastSearch).size(), 3u);
    // Once per new address; a loaded one is never checked.
    f.text[entry::FirstName] = QStringLiteral("Hansi");
    state.Changed = true;
    EXPECT_FALSE(record.CheckDuplicateAddress(f));
    ASSERT_TRUE(record.load(1));
    EXPECT_FALSE(record.CheckDuplicateAddress(typed(QStringLiteral("Meier"), QStringLiteral("Hans"))));
    EXPECT_EQ(dialogs->messages().size(), 1u);
}

TEST_F(AddressRecordTest, AFailedSaveWritesNothingSaysSoAndKeepsTheEdits)
{
    const qint32 id = add(QStringLiteral("Meier"), QStringLiteral("Hans"));
    AddressFields f = *record.load(id);
    f.text[entry::City] = QStringLiteral("Berlin");
    f.text[entry::LastName] = QStringLiteral("Meyer");
    state.Changed = true;
    failWrites();
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(record.save(f, QStringLiteral("Die Adresse wurde nicht übernommen.")), AddressRecord::SaveResult::Failed);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler beim Speichern der Adressdaten"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(db::errorText(db::err::ValidationRule)));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("Die Adresse wurde nicht übernommen.")));
    EXPECT_TRUE(state.Changed);
    EXPECT_EQ(LoadCustomer(id)->cust_lastname, QStringLiteral("Meier"));
    EXPECT_TRUE(LoadCustomer(id)->cust_city.isEmpty());

    // A new address that cannot be stored stays new.
    record.startNew();
    state.Changed = true;
    EXPECT_EQ(record.save(typed(QStringLiteral("Neu"), QString())), AddressRecord::SaveResult::Failed);
    EXPECT_EQ(state.CurrentCustomerId, -1);
    EXPECT_EQ(database.count("tbl_customers"), 1);
}

TEST_F(AddressRecordTest, ACustomerDeletedElsewhereIsStoredAgainOnlyWhenAsked)
{
    const qint32 id = add(QStringLiteral("Meier"), QStringLiteral("Hans"));
    const qint32 other = add(QStringLiteral("Schulz"), QStringLiteral("Eva"));
    AddressFields f = *record.load(id);
    f.text[entry::City] = QStringLiteral("Berlin");
    state.Changed = true;
    database.exec(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = %1").arg(id));

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(record.save(f), AddressRecord::SaveResult::Failed);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Adressdatensatz %1 nicht gefunden").arg(id));
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(database.count("tbl_customers"), 1);
    EXPECT_TRUE(state.Changed);

    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(record.save(f), AddressRecord::SaveResult::Written);
    EXPECT_GT(state.CurrentCustomerId, other);
    EXPECT_EQ(LoadCustomer(state.CurrentCustomerId)->cust_city, QStringLiteral("Berlin"));

    // Loading a customer that is gone keeps the one shown, so its edits
    // cannot end up in a new row.
    const qint32 shown = state.CurrentCustomerId;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(record.load(id));
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1354));
    EXPECT_EQ(state.CurrentCustomerId, shown);
    EXPECT_EQ(database.count("tbl_customers"), 2);
}

TEST_F(AddressRecordTest, DeleteIsRefusedForACustomerWithBookingsOrInvoices)
{
    const qint32 booked = add(QStringLiteral("Gebucht"), QStringLiteral("Anna"));
    const qint32 billed = add(QStringLiteral("Berechnet"), QStringLiteral("Bert"));
    for (int i = 0; i < 3; ++i)
        database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_customer_id, book_cust_count) VALUES (%1, 1)").arg(booked));
    database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_customer_id) VALUES (%1)").arg(billed));

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    AddressFields f = *record.load(booked);
    EXPECT_FALSE(record.deleteAsked(f));
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Dieser Gast darf nicht gelöscht werden,\nda er noch 3 Buchungen hat,\n"
                             "deren Zuordnung sonst verloren ginge."));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Adresse löschen"));
    f = *record.load(billed);
    EXPECT_FALSE(record.deleteAsked(f));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("da er noch 1 Rechnung hat,")));
    EXPECT_FALSE(record.deleteIfUnreferenced());
    EXPECT_EQ(database.count("tbl_customers"), 2);
    EXPECT_EQ(state.CurrentCustomerId, billed);

    // One nothing names is asked for by company and names as stored, then deleted.
    const qint32 free = add(QStringLiteral("Frei"), QStringLiteral("Fritz"));
    database.exec(QStringLiteral("UPDATE tbl_customers SET cust_company = 'Frei & Co' WHERE cust_id = %1").arg(free));
    f = *record.load(free);
    f.text[entry::FirstName] = QStringLiteral("Franz");
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(record.deleteAsked(f));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie die Personendaten für \"Frei & Co Fritz Frei\" wirklich löschen?"));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_TRUE(record.deleteAsked(f));
    EXPECT_FALSE(LoadCustomer(free));
    EXPECT_EQ(state.CurrentCustomerId, -1);
    EXPECT_TRUE(state.NewRecord);
}

TEST_F(AddressRecordTest, AReadOnlyWorkstationChangesNothing)
{
    const qint32 id = add(QStringLiteral("Meier"), QStringLiteral("Hans"));
    AddressFields f = *record.load(id);
    f.text[entry::LastName] = QStringLiteral("Meyer");
    state.Changed = true;
    StationReadOnly = true;
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(record.save(f), AddressRecord::SaveResult::ReadOnly);
    EXPECT_FALSE(record.deleteIfUnreferenced());
    EXPECT_FALSE(record.deleteAsked(f));
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));
    EXPECT_FALSE(record.CheckDuplicateAddress(startTyping(QStringLiteral("Meier"), QStringLiteral("Hans"))));
    EXPECT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(LoadCustomer(id)->cust_lastname, QStringLiteral("Meier"));
}

TEST_F(AddressRecordTest, SavingKeepsWhatNoFieldShowsAndRemembersNewAddresses)
{
    database.exec("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_ext_id, cust_category_id, cust_new) "
                  "VALUES (7, 'Alt', 4711, 2, -1)");
    AddressFields f = *record.load(7);
    f.category.reset();
    f.text[entry::Street] = QStringLiteral("Ring 1");
    state.Changed = true;
    ASSERT_EQ(record.save(f), AddressRecord::SaveResult::Written);
    const Customer stored = *LoadCustomer(7);
    EXPECT_EQ(stored.cust_category_id, 2);
    EXPECT_EQ(stored.cust_ext_id, 4711);
    EXPECT_TRUE(stored.cust_new);
    EXPECT_TRUE(stored.cust_birthday.isZero());
    EXPECT_EQ(record.save(f), AddressRecord::SaveResult::Unchanged);

    AddressFields fresh = startTyping(QStringLiteral("Neu"), QStringLiteral("Nina"));
    ASSERT_EQ(record.save(fresh), AddressRecord::SaveResult::Written);
    const qint32 added = state.CurrentCustomerId;
    EXPECT_EQ(LoadCustomer(added)->cust_category_id, 0);
    ASSERT_TRUE(record.load(7));
    EXPECT_EQ(record.stepBack(), added);
}

TEST_F(AddressRecordTest, FieldRules)
{
    EXPECT_EQ(FormatMobileNumber(QStringLiteral(" 0171/1234567 ")), QStringLiteral("0171 - 1234567"));
    EXPECT_EQ(FormatMobileNumber(QStringLiteral("+49 171 1234567")), QStringLiteral("+4917 - 11234567"));
    EXPECT_EQ(FormatMobileNumber(QStringLiteral("privat")), QStringLiteral("privat"));
    EXPECT_EQ(FormatMobileNumber(QStringLiteral("  ")), QString());

    const rt::Date today = rt::Date::fromParts(2026, 5, 1);
    EXPECT_EQ(NormalizeBirthday(QStringLiteral("01.01.2050"), today), QStringLiteral("01.01.1950"));
    EXPECT_EQ(NormalizeBirthday(QStringLiteral("24121970"), today), QStringLiteral("24.12.1970"));
    EXPECT_EQ(NormalizeBirthday(QStringLiteral(" 31.02.1970 "), today), QStringLiteral("31.02.1970"));
    EXPECT_EQ(NormalizeEntry(entry::LastName, QStringLiteral(" von goethe "), today), QStringLiteral("von Goethe"));
    EXPECT_EQ(NormalizeEntry(entry::FirstName, QStringLiteral("anna"), today), QStringLiteral("Anna"));
    EXPECT_EQ(NormalizeEntry(entry::City, QStringLiteral(" köln "), today), QStringLiteral("köln"));

    for (const auto& [zip, city] : {std::pair{"80331", "München"}, std::pair{"12345", "Berlin"}}) {
        Customer c;
        c.cust_lastname = QStringLiteral("X");
        c.cust_zip = QString::fromUtf8(zip);
        c.cust_city = QString::fromUtf8(city);
        StoreCustomer(c);
    }
    EXPECT_EQ(GuessCityFromZip(QStringLiteral("80331")).city, QStringLiteral("München"));
    EXPECT_FALSE(GuessCityFromZip(QStringLiteral("803")).doubtful);
    const CityGuess near = GuessCityFromZip(QStringLiteral("80999"));
    EXPECT_EQ(near.city, QStringLiteral("München"));
    EXPECT_TRUE(near.doubtful);
    EXPECT_EQ(GuessCityFromZip(QStringLiteral("99999")).city, QString());
    EXPECT_EQ(GuessCityFromZip(QStringLiteral("*8")).city, QString());
}
