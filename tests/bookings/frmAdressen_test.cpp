#include "bookings/frmAdressen.h"

#include "bookings/frmBuchungen.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Receiver : AddressReceiver {
    void AddMainAdress(qint32 custId, const QString& name) override
    {
        ++calls;
        id = custId;
        this->name = name;
    }
    int calls = 0;
    qint32 id = 0;
    QString name;
};

struct WindowReceiver : QWidget, Receiver {};

class AddressBook : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        TermPersonSingular = QStringLiteral("Gast");
        TermPersonPlural = QStringLiteral("Gäste");
        StationReadOnly = false;
        KeepAdrList = false;
        database.exec("INSERT INTO tbl_cust_categories (adrcat_id, adrcat_name) VALUES (1, 'Privatgast'), (2, 'Stammgast')");
        meier = add("Meier", "Hans");
        schulz = add("Schulz", "Eva");
        add("Müller", "Thomas");
        add("Mueller", "Anna");
    }
    void TearDown() override
    {
        if (frmAdressen::isLoaded())
            frmAdressen::unload();
        if (frmBuchungen::isLoaded())
            frmBuchungen::unload();
    }
    qint32 add(const char* last, const char* first)
    {
        Customer c;
        c.cust_lastname = QString::fromUtf8(last);
        c.cust_firstname = QString::fromUtf8(first);
        StoreCustomer(c);
        return c.cust_id;
    }
    frmAdressen& book() { return frmAdressen::instance(); }
    void search(const QString& text)
    {
        book().tbSuche->setText(text);
        QTest::keyClick(book().tbSuche, Qt::Key_Return);
    }
    QString listed(int row) { return book().resultList().index(row, 0).data().toString(); }

    test::GlobalsScope globals;
    test::TestDatabase database;
    test::WindowHooks windows;
    qint32 meier = 0;
    qint32 schulz = 0;
};

}  // namespace

TEST_F(AddressBook, TheGuestGoesToTheWindowThatAskedAndNoOther)
{
    Receiver panel;
    Receiver invoice;
    frmAdressen::ShowAdresse(meier, &panel);
    ASSERT_TRUE(book().isVisible());
    EXPECT_EQ(book().tbEntry[entry::LastName]->text(), QStringLiteral("Meier"));
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_EQ(panel.calls, 1);
    EXPECT_EQ(panel.id, meier);
    EXPECT_EQ(panel.name, QStringLiteral("Hans Meier"));
    EXPECT_EQ(invoice.calls, 0);
    EXPECT_FALSE(book().isVisible());
    EXPECT_EQ(LastDeactivatedForm, QStringLiteral("FRMADRESSEN"));

    frmAdressen::ShowAdresse(schulz, &invoice);
    QTest::mouseClick(book().btnPassData[0], Qt::LeftButton);
    EXPECT_EQ(invoice.id, schulz);
    EXPECT_EQ(panel.calls, 1);

    // A window closed since it asked is not called: the booking window takes the guest.
    auto* closed = new WindowReceiver;
    frmAdressen::ShowAdresse(meier, closed);
    delete closed;
    QTest::mouseClick(book().btnPassData[0], Qt::LeftButton);
    EXPECT_EQ(CallerForm, nullptr);
    ASSERT_TRUE(frmBuchungen::isLoaded());
    EXPECT_TRUE(frmBuchungen::instance().isVisible());
    EXPECT_EQ(frmBuchungen::instance().state().CurrentCustomerId, meier);
    EXPECT_EQ(invoice.calls + panel.calls, 2);
}

TEST_F(AddressBook, AFailedSaveStopsTheHandOverAndSaysSo)
{
    Receiver panel;
    frmAdressen::ShowAdresse(meier, &panel);
    book().tbEntry[entry::City]->setText(QStringLiteral("Berlin"));
    database.exec("CREATE TRIGGER no_update BEFORE UPDATE ON tbl_customers BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler beim Speichern der Adressdaten"));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("Die Adresse wurde nicht übernommen.")));
    EXPECT_EQ(panel.calls, 0);
    EXPECT_TRUE(book().isVisible());
    EXPECT_TRUE(book().state().Changed);
    EXPECT_EQ(CallerForm, &panel);

    // The edits are offered once more before another address is shown.
    dialogs->answerMessage(ui::Answer::Cancel);
    frmAdressen::ShowAdresse(-1, &panel);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Kontaktdaten geändert"));

    // Without any name there is nothing to hand over.
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Gast übernehmen"));
    EXPECT_EQ(panel.calls, 0);
}

TEST_F(AddressBook, ABirthdayWithoutItsYearStaysAsTypedAndTheSaveAsksForTheWholeDate)
{
    database.exec(QStringLiteral("UPDATE tbl_customers SET cust_birthday = #04/12/1968# WHERE cust_id = %1").arg(meier));
    frmAdressen::ShowAdresse(meier, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&book()));
    QLineEdit* birthday = book().tbEntry[entry::Birthday];
    birthday->setFocus();
    QTest::keyClick(birthday, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(birthday, QStringLiteral("12.04."));
    QTest::keyClick(birthday, Qt::Key_Tab);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Das Geb.Datum \"12.04.\" lässt sich nicht als Datum lesen. Bitte geben Sie das vollständige "
                             "Datum mit Tag, Monat und Jahr ein, zum Beispiel 12.04.1968, oder leeren Sie das Feld."));
    EXPECT_EQ(birthday->text(), QStringLiteral("12.04."));
    EXPECT_EQ(QApplication::focusWidget(), birthday);
    EXPECT_EQ(LoadCustomer(meier)->cust_birthday, rt::Date::fromParts(1968, 4, 12));

    // Emptied, it stores none.
    QTest::keyClick(birthday, Qt::Key_Delete);
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_TRUE(LoadCustomer(meier)->cust_birthday.isZero());
}

// The namesake check stores the new guest before it lists the namesakes: when
// that store is refused, the new guest stays on screen, no namesake is opened
// over it and nothing asks to drop it.
TEST_F(AddressBook, ANewGuestWithARefusedBirthdayStaysWhenTheNamesakesAreListed)
{
    frmAdressen::ShowAdresse(-1, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&book()));
    test::DialogScope dialogs;
    QLineEdit* birthday = book().tbEntry[entry::Birthday];
    birthday->setFocus();
    QTest::keyClicks(birthday, QStringLiteral("12.04."));
    dialogs->answerMessage(ui::Answer::Ok);   // refused
    dialogs->answerMessage(ui::Answer::Ok);   // namesakes
    for (const auto& [field, typed] : {std::pair{entry::LastName, "Schulz"}, std::pair{entry::FirstName, "Eva"}}) {
        book().tbEntry[field]->setFocus();
        QTest::keyClicks(book().tbEntry[field], QString::fromUtf8(typed));
    }
    QTest::keyClick(book().tbEntry[entry::FirstName], Qt::Key_Tab);
    const auto messages = dialogs->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].title, QStringLiteral("Adresse nicht gespeichert"));
    EXPECT_EQ(book().resultList().rowCount(), 1);
    EXPECT_EQ(book().IndexDisplay->text(), QStringLiteral("* neu"));
    EXPECT_EQ(book().tbEntry[entry::FirstName]->text(), QStringLiteral("Eva"));
    EXPECT_EQ(birthday->text(), QStringLiteral("12.04."));
    EXPECT_EQ(QApplication::focusWidget(), birthday);
    EXPECT_EQ(database.count("tbl_customers"), 4);
}

TEST_F(AddressBook, ANewGuestIsNormalisedStoredAndHandedOverByEnter)
{
    Receiver panel;
    frmAdressen::ShowAdresse(-1, &panel);
    EXPECT_EQ(book().IndexDisplay->text(), QStringLiteral("* neu"));
    book().tbEntry[entry::LastName]->setText(QStringLiteral("von goethe"));
    book().tbEntry[entry::Mobile]->setText(QStringLiteral("+49 171 1234567"));
    book().tbNotes->setFocus();
    QTest::keyClick(book().tbNotes, Qt::Key_Return);
    EXPECT_EQ(panel.calls, 0);
    EXPECT_EQ(book().tbNotes->toPlainText(), QStringLiteral("\n"));

    book().tbEntry[entry::FirstName]->setText(QStringLiteral("johann"));
    book().tbEntry[entry::FirstName]->setFocus();
    QTest::keyClick(book().tbEntry[entry::FirstName], Qt::Key_Return);
    ASSERT_EQ(panel.calls, 1);
    EXPECT_EQ(panel.name, QStringLiteral("Johann von goethe"));
    const std::optional<Customer> stored = LoadCustomer(panel.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->cust_firstname, QStringLiteral("Johann"));
    EXPECT_EQ(stored->cust_mobile, QStringLiteral("+49 171 1234567"));
    EXPECT_TRUE(book().optAnrede[3]->isChecked());   // no customer is called Johann: a guess from the "n"
}

TEST_F(AddressBook, ASavedNewGuestIsTheSelectedLineOfTheList)
{
    frmAdressen::ShowAdresse(-1, nullptr);
    // A fifth of the list's width for each name, an eighth for the birthday
    // unless a date would not fit.
    const int width = book().ListView1->viewport()->width();
    EXPECT_EQ(book().ListView1->columnWidth(AddressListModel::LastName), width / 5);
    EXPECT_EQ(book().ListView1->columnWidth(AddressListModel::FirstName), width / 5);
    EXPECT_GE(book().ListView1->columnWidth(AddressListModel::Birthday), width / 8);
    EXPECT_GT(book().ListView1->columnWidth(AddressListModel::Birthday),
              book().ListView1->fontMetrics().horizontalAdvance(QStringLiteral("12.04.1968")));

    const auto addGuest = [this](const QString& last, const QString& first) {
        QTest::mouseClick(book().btnNeu, Qt::LeftButton);
        QTest::keyClicks(book().tbEntry[entry::LastName], last);
        QTest::keyClicks(book().tbEntry[entry::FirstName], first);
        QTest::mouseClick(book().cmdSave, Qt::LeftButton);
        return book().state().CurrentCustomerId;
    };
    const auto selected = [this] { return book().resultList().index(book().ListView1->currentIndex().row(), 0).data().toString(); };

    // The last search lists the new guest: it is that list's selected line.
    search(QStringLiteral("Sch"));
    const qint32 schmidt = addGuest(QStringLiteral("Schmidt"), QStringLiteral("Karl"));
    ASSERT_GT(schmidt, 0);
    EXPECT_EQ(book().resultList().rowCount(), 2);
    EXPECT_EQ(selected(), QStringLiteral("Schmidt"));
    EXPECT_TRUE(book().ListView1->selectionModel()->isRowSelected(book().ListView1->currentIndex().row()));

    // It does not: the list shows what the guest's name starts with.
    const qint32 berg = addGuest(QStringLiteral("Berg"), QStringLiteral("Ina"));
    ASSERT_GT(berg, schmidt);
    EXPECT_EQ(book().tbSuche->text(), QStringLiteral("Berg"));
    EXPECT_EQ(book().resultList().rowCount(), 1);
    EXPECT_EQ(selected(), QStringLiteral("Berg"));
    EXPECT_EQ(book().state().CurrentCustomerId, berg);
}

TEST_F(AddressBook, SearchListSortingAndTheModel)
{
    frmAdressen::ShowAdresse(-1, nullptr);
    QAbstractItemModelTester tester(&book().resultList(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    search(QStringLiteral("müller"));
    ASSERT_EQ(book().resultList().rowCount(), 2);
    EXPECT_EQ(listed(0), QStringLiteral("Mueller"));
    // The first line is shown at once.
    EXPECT_EQ(book().tbEntry[entry::FirstName]->text(), QStringLiteral("Anna"));

    QHeaderView* header = book().ListView1->horizontalHeader();
    for (Qt::SortOrder expected : {Qt::AscendingOrder, Qt::AscendingOrder, Qt::DescendingOrder}) {
        header->sectionClicked(AddressListModel::FirstName);
        EXPECT_EQ(listed(0), expected == Qt::AscendingOrder ? QStringLiteral("Mueller") : QStringLiteral("Müller"));
    }

    search(QStringLiteral("nobody"));
    EXPECT_EQ(listed(0), QStringLiteral("keine Einträge gefunden"));
    EXPECT_EQ(book().resultList().customerCount(), 0);

    QTest::mouseClick(book().cmdAlphabeticRegister[18], Qt::LeftButton);
    EXPECT_EQ(book().tbSuche->text(), QStringLiteral("S"));
    EXPECT_EQ(book().tbEntry[entry::LastName]->text(), QStringLiteral("Schulz"));

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    search(QStringLiteral("  "));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Gäste-Suche"));
    search(QStringLiteral("1234"));
    EXPECT_TRUE(book().tbSuche->text().isEmpty());
}

// A pattern the search cannot run is explained in words, with the query as a
// person writes it, and the list keeps what it showed.
TEST_F(AddressBook, ABadSearchPatternIsExplainedWithTheQueryAsWritten)
{
    frmAdressen::ShowAdresse(-1, nullptr);
    search(QStringLiteral("Meier"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    search(QStringLiteral("Me[ier"));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Error in your search term"));
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Der Suchbegriff \"Me[ier\" ist kein gültiges Suchmuster. Zur eckigen Klammer \"[\" fehlt die "
                             "schließende Klammer \"]\". In eckigen Klammern stehen Zeichen, von denen eines passen muss: "
                             "\"M[ae]ier\" findet Maier und Meier.\n\n"
                             "SELECT cust_id, cust_firstname, cust_lastname, cust_company, cust_ext_id, cust_birthday FROM "
                             "tbl_customers WHERE cust_lastname Like 'Me[ier*' OR cust_company Like 'Me[ier*' "
                             "ORDER BY cust_lastname, cust_firstname;"));
    ASSERT_EQ(book().resultList().customerCount(), 1);
    EXPECT_EQ(listed(0), QStringLiteral("Meier"));

    dialogs->answerMessage(ui::Answer::Ok);
    search(QStringLiteral("Schulz, *[z-a]"));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Der Suchbegriff \"Schulz, *[z-a]\" ist kein gültiges Suchmuster. Der Bereich \"[z-a]\" ist "
                       "verkehrt herum")));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral(" AND cust_firstname Like '*[z-a]*' ORDER BY")));
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

// The house calls its guests "Bewohnerin": the texts that splice the word follow it.
TEST_F(AddressBook, TheTextsFollowAFeminineWordForTheGuest)
{
    TermPersonSingular = QStringLiteral("Bewohnerin");
    TermPersonPlural = QStringLiteral("Bewohnerinnen");
    TermPersonGenitive = QStringLiteral("Bewohnerin");
    database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_customer_id, book_cust_count) VALUES (%1, 1)").arg(meier));
    frmAdressen::ShowAdresse(meier, nullptr);
    EXPECT_EQ(book().btnTerminliste->toolTip(), QStringLiteral("alle Buchungen dieser Bewohnerin auflisten"));

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Diese Bewohnerin darf nicht gelöscht werden,\nda sie noch "
                                                          "1 Buchung hat,\nderen Zuordnung sonst verloren ginge."));

    QTest::mouseClick(book().btnNeu, Qt::LeftButton);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Bewohnerin übernehmen"));
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Bitte legen Sie eine neue Bewohnerin an,\nindem Sie wenigstens den Nachnamen eingeben."));

    // A namesake warns when the first name is left.
    book().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&book()));
    dialogs->answerMessage(ui::Answer::Ok);
    book().tbEntry[entry::LastName]->setFocus();
    QTest::keyClicks(book().tbEntry[entry::LastName], QStringLiteral("Schulz"));
    book().tbEntry[entry::FirstName]->setFocus();
    QTest::keyClicks(book().tbEntry[entry::FirstName], QStringLiteral("Eva"));
    QTest::keyClick(book().tbEntry[entry::FirstName], Qt::Key_Tab);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(
        QStringLiteral("Bitte vergessen Sie nicht, ggf. nachträglich DIESE unnötig angelegte Bewohnerin zu löschen.")));
}

// Deleted at another workstation while the address book showed it: the
// booking window it goes to says so and keeps its guest field empty.
TEST_F(AddressBook, AGuestDeletedElsewhereIsNotTakenAndTheReceiverSaysSo)
{
    frmAdressen::ShowAdresse(meier, nullptr);
    test::OtherStation other{database.path()};
    other.exec(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = ?"), {meier});
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Gast übernehmen"));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Der Gast \"Hans Meier\" wurde inzwischen an einem anderen "
                                                          "Arbeitsplatz gelöscht und kann nicht übernommen werden."));
    ASSERT_TRUE(frmBuchungen::isLoaded());
    EXPECT_NE(frmBuchungen::instance().state().CurrentCustomerId, meier);
    EXPECT_TRUE(frmBuchungen::instance().tbBewohner->text().isEmpty());
}

TEST_F(AddressBook, EscapeHidesAndTheKeptListSurvives)
{
    frmAdressen::ShowAdresse(-1, nullptr);
    search(QStringLiteral("M"));
    QTest::keyClick(book().tbSuche, Qt::Key_Escape);
    EXPECT_FALSE(book().isVisible());
    frmAdressen::ShowAdresse(0, nullptr);
    EXPECT_EQ(book().resultList().rowCount(), 0);

    book().chkKeepAdrList->click();
    EXPECT_TRUE(KeepAdrList);
    search(QStringLiteral("M"));
    book().close();
    frmAdressen::ShowAdresse(0, nullptr);
    EXPECT_EQ(book().resultList().rowCount(), 3);
    EXPECT_EQ(book().tbEntry[entry::LastName]->text(), QStringLiteral("Meier"));

    // Unloaded for good, edits not yet stored are offered once more.
    book().tbEntry[entry::City]->setText(QStringLiteral("Bonn"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    Closing = true;
    frmAdressen::unloadForGood();
    EXPECT_FALSE(frmAdressen::isLoaded());
    EXPECT_EQ(LoadCustomer(meier)->cust_city, QStringLiteral("Bonn"));
}

TEST_F(AddressBook, AReadOnlyWorkstationSeesNoWritingButtons)
{
    StationReadOnly = true;
    Receiver panel;
    frmAdressen::ShowAdresse(meier, &panel);
    for (QWidget* w : {static_cast<QWidget*>(book().btnNeu), static_cast<QWidget*>(book().cmdSave),
                       static_cast<QWidget*>(book().btnDelete), static_cast<QWidget*>(book().btnPassData[0]),
                       static_cast<QWidget*>(book().btnPassData[1])})
        EXPECT_TRUE(w->isHidden());
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(book().cmdEditCategories, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));
    EXPECT_TRUE(windows.opened.isEmpty());
    book().btnPassData_Click();
    EXPECT_EQ(panel.calls, 0);
}

TEST_F(AddressBook, ButtonsOpenTheOtherWindows)
{
    database.exec(QStringLiteral("INSERT INTO tbl_bookings (book_customer_id, book_cust_count) VALUES (%1, 1)").arg(meier));
    frmAdressen::ShowAdresse(meier, nullptr);
    QTest::mouseClick(book().btnTerminliste, Qt::LeftButton);
    QTest::mouseClick(book().cmdInvoice, Qt::LeftButton);
    QTest::mouseClick(book().cmdEditCategories, Qt::LeftButton);
    QTest::mouseClick(book().btnCopyToClipboard, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Herrn\nHans Meier "));
    frmAdressen::ShowAdresse(schulz, nullptr);
    QTest::mouseClick(book().btnBackHistory, Qt::LeftButton);
    EXPECT_EQ(book().IndexDisplay->text(), QString::number(meier));
    EXPECT_EQ(windows.opened,
              (QStringList{QStringLiteral("SetBookingsCaption(Reservierungen für Hans Meier)"),
                           QStringLiteral("ShowBookings(book_customer_id = %1|-1|-1|1|1)").arg(meier),
                           QStringLiteral("ShowRechnung(0|%1|-1)").arg(meier),
                           QStringLiteral("ShowRessources(tbl_cust_categories|Adress-Kategorien)")}));
}

namespace {

// Station B changes guest Wagner while this station has it open.
class TwoDesksOnOneGuest : public AddressBook {
protected:
    void SetUp() override
    {
        AddressBook::SetUp();
        wagner = add("Wagner", "Eva");
    }
    void otherSets(const char* column, const QString& value)
    {
        other.exec(QStringLiteral("UPDATE tbl_customers SET %1 = ? WHERE cust_id = ?").arg(QLatin1String(column)), {value, wagner});
    }
    void retype(int index, const QString& text)
    {
        QLineEdit* field = book().tbEntry[static_cast<size_t>(index)];
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QString shown(int index) { return book().tbEntry[static_cast<size_t>(index)]->text(); }
    Customer stored() { return *LoadCustomer(wagner); }

    test::OtherStation other{database.path()};
    qint32 wagner = 0;
};

}  // namespace

TEST_F(TwoDesksOnOneGuest, WhatOnlyTheOtherStationChangedIsKeptAndShownUnasked)
{
    // Another tool stored the birthday as text: the field shows nothing and keeps it.
    database.exec(QStringLiteral("UPDATE tbl_customers SET cust_birthday = 'kaputt' WHERE cust_id = %1").arg(wagner));
    Receiver panel;
    frmAdressen::ShowAdresse(wagner, &panel);
    otherSets("cust_street", QStringLiteral("Lindenweg 4"));
    test::DialogScope dialogs;
    retype(entry::Phone, QStringLiteral("0711 123456"));
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_EQ(stored().cust_street, QStringLiteral("Lindenweg 4"));
    EXPECT_EQ(stored().cust_phone, QStringLiteral("0711 123456"));
    EXPECT_EQ(other.value(QStringLiteral("SELECT cust_birthday FROM tbl_customers WHERE cust_id = ?"), {wagner}).toText(),
              QStringLiteral("kaputt"));
    EXPECT_EQ(shown(entry::Street), QStringLiteral("Lindenweg 4"));

    // The next save compares with that row; the hand-over gives the guest as stored.
    otherSets("cust_street", QStringLiteral("Ring 1"));
    otherSets("cust_firstname", QStringLiteral("Eva-Maria"));
    retype(entry::Fax, QStringLiteral("0711 654321"));
    QTest::mouseClick(book().btnPassData[1], Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored().cust_street, QStringLiteral("Ring 1"));
    EXPECT_EQ(stored().cust_fax, QStringLiteral("0711 654321"));
    EXPECT_EQ(panel.id, wagner);
    EXPECT_EQ(panel.name, QStringLiteral("Eva-Maria Wagner"));
}

TEST_F(TwoDesksOnOneGuest, OneFieldChangedAtBothDesksIsAskedAndEachAnswerDoesWhatItSays)
{
    frmAdressen::ShowAdresse(wagner, nullptr);
    otherSets("cust_phone", QStringLiteral("0711 999"));
    retype(entry::Phone, QStringLiteral("0711 123"));
    retype(entry::Zip, QStringLiteral("70173"));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Der Gast \"Wagner, Eva\" wurde inzwischen an anderer Stelle geändert: "
                       "Telefon jetzt \"0711 999\". Ihre Änderung trotzdem speichern?")));
    EXPECT_EQ(stored().cust_phone, QStringLiteral("0711 999"));
    EXPECT_TRUE(stored().cust_zip.isEmpty());
    EXPECT_EQ(shown(entry::Phone), QStringLiteral("0711 123"));
    EXPECT_EQ(UnsavedEdits(), QStringList{QStringLiteral("Adressbuch: Änderungen an der Adresse \"Eva Wagner\"")});

    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_EQ(stored().cust_phone, QStringLiteral("0711 999"));
    EXPECT_EQ(stored().cust_zip, QStringLiteral("70173"));
    EXPECT_EQ(shown(entry::Phone), QStringLiteral("0711 999"));
    EXPECT_TRUE(UnsavedEdits().isEmpty());

    TermPersonSingular = QStringLiteral("Person");
    otherSets("cust_phone", QStringLiteral("0711 555"));
    retype(entry::Phone, QStringLiteral("0711 123"));
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Person \"Wagner, Eva\" wurde")));
    EXPECT_EQ(stored().cust_phone, QStringLiteral("0711 123"));
}

TEST_F(TwoDesksOnOneGuest, ADeleteAfterTheOtherStationChangedTheGuestNamesWhatChangedAndNeinKeepsIt)
{
    frmAdressen::ShowAdresse(wagner, nullptr);
    otherSets("cust_city", QStringLiteral("Bonn"));
    test::DialogScope dialogs;
    dialogs->answerDefault();
    QTest::mouseClick(book().btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Der Gast \"Wagner, Eva\" wurde inzwischen an anderer Stelle geändert: Ort jetzt \"Bonn\". Trotzdem löschen?"));
    EXPECT_EQ(stored().cust_city, QStringLiteral("Bonn"));
    EXPECT_EQ(book().IndexDisplay->text(), QString::number(wagner));

    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(book().btnDelete, Qt::LeftButton);
    EXPECT_FALSE(LoadCustomer(wagner));
    EXPECT_TRUE(shown(entry::LastName).isEmpty());
}

TEST_F(TwoDesksOnOneGuest, AChoiceOverAStoredNullIsWrittenThoughTheFieldShowedIt)
{
    // Stored without salutation and with a birthday's time: shown as "Herr" and as the day alone.
    database.exec(QStringLiteral("UPDATE tbl_customers SET cust_sex = NULL, cust_birthday = #02/01/1970 14:30:00# "
                                 "WHERE cust_id = %1").arg(wagner));
    frmAdressen::ShowAdresse(wagner, nullptr);
    ASSERT_TRUE(book().optAnrede[0]->isChecked());
    ASSERT_EQ(shown(entry::Birthday), QStringLiteral("01.02.1970"));
    QTest::mouseClick(book().optAnrede[0], Qt::LeftButton);
    retype(entry::Birthday, QStringLiteral("01.02.1970"));
    test::DialogScope dialogs;
    QTest::mouseClick(book().cmdSave, Qt::LeftButton);
    const auto column = [&](const char* name) {
        return other.value(QStringLiteral("SELECT %1 FROM tbl_customers WHERE cust_id = ?").arg(QLatin1String(name)), {wagner});
    };
    EXPECT_EQ(column("cust_sex").toLong(), 0);
    EXPECT_FALSE(column("cust_sex").isNull());
    EXPECT_EQ(column("cust_birthday").toDate(), rt::Date::fromParts(1970, 2, 1));
}
