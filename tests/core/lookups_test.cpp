#include "core/lookups.h"
#include "core/mandanten.h"

#include "core/messages.h"
#include "tests/core/scratch_database.h"
#include "tests/support/scripted_dialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

class Lookups : public ::testing::Test {
protected:
    void SetUp() override
    {
        data.exec("INSERT INTO tbl_paymode (paym_id, paym_caption) VALUES (3, 'Überweisung');");
        data.exec("INSERT INTO tbl_paymode (paym_id, paym_caption) VALUES (1, 'Bar');");
        data.exec("INSERT INTO tbl_paymode (paym_id, paym_caption) VALUES (2, NULL);");
        data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (4, '  Haus am See ');");
        data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension');");
    }

    static QString items(const QComboBox& combo)
    {
        QStringList result;
        for (int i = 0; i < combo.count(); ++i)
            result << combo.itemText(i) + "=" + combo.itemData(i).toString();
        return result.join(", ");
    }

    test::ScratchDatabase data;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(Lookups, FillsInIdOrderAndSelectsTheAskedRow)
{
    // The handlers hear of the selection the fill makes, never of the items
    // passing through while it runs.
    QComboBox combo;
    std::vector<int> announced;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&](int index) { announced.push_back(index); });
    FillListFromTable(&combo, "tbl_paymode", "paym_id", "paym_caption", 0, -1, QString());
    EXPECT_EQ(items(combo), QStringLiteral("Bar=1, =2, Überweisung=3"));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_TRUE(announced.empty());

    FillListFromTable(&combo, "tbl_paymode", "paym_id", "paym_caption", 250, 3, QStringLiteral("(alle)"));
    EXPECT_EQ(combo.itemText(0), QStringLiteral("(alle)"));
    EXPECT_EQ(combo.currentIndex(), 3);
    EXPECT_EQ(combo.view()->minimumWidth(), 250);
    EXPECT_EQ(announced, std::vector<int>{3});

    // A negative width only fills.
    FillListFromTable(&combo, "tbl_paymode", "paym_id", "paym_caption", -1, 3, QString());
    EXPECT_EQ(combo.currentIndex(), -1);

    QListWidget list;
    FillListFromTable(&list, "tbl_paymode", "paym_id", "paym_caption", 0, 1, QString());
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_EQ(list.item(2)->data(Qt::UserRole).toInt(), 3);
}

TEST_F(Lookups, FailedFillIsReported)
{
    QComboBox combo;
    dialogs->answerMessage(ui::Answer::Ok);
    FillListFromTable(&combo, "tbl_gibtsnicht", "x_id", "x_name", 0, -1, QString());
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler beim Füllen der Liste aus Tabelle \"tbl_gibtsnicht\""));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
}

TEST_F(Lookups, FacilitiesAndSingleValues)
{
    QComboBox combo;
    std::vector<int> announced;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&](int index) { announced.push_back(index); });
    FillListMandanten(&combo, 0);
    EXPECT_EQ(items(combo), QStringLiteral("  Haus am See =4, Pension=1"));
    EXPECT_EQ(combo.currentIndex(), 0);
    FillListMandanten(&combo, 77);
    EXPECT_EQ(combo.currentIndex(), -1);
    FillListMandanten(&combo, 1);
    EXPECT_EQ(announced, (std::vector<int>{0, 1}));

    EXPECT_EQ(GetMandantName(4), QStringLiteral("Haus am See"));
    EXPECT_EQ(GetMandantName(99), QString());
    EXPECT_EQ(RenameMandant(1, QStringLiteral("Pension"), QStringLiteral("Haus Müller's")).result,
              MergedSave::Result::Written);
    EXPECT_EQ(RenameMandant(1, QStringLiteral("Haus Müller's"), QString()).result, MergedSave::Result::Refused);
    EXPECT_EQ(GetMandantName(1), QStringLiteral("Haus Müller's"));

    data.exec("INSERT INTO tbl_places (pl_id, pl_imagefile) VALUES (8, ' zimmer1.jpg  ');");
    EXPECT_EQ(GetPlaceImageFile(8), QStringLiteral("zimmer1.jpg"));
    EXPECT_EQ(GetPlaceImageFile(9), QString());
}

TEST(ListHelpers, SelectByItemDataFallsBackAndShowFormUnminimises)
{
    QComboBox combo;
    SelectListItemByItemData(&combo, 5, 0);
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.addItem(QStringLiteral("a"), 7);
    combo.addItem(QStringLiteral("b"), 5);
    SelectListItemByItemData(&combo, 5, 0);
    EXPECT_EQ(combo.currentIndex(), 1);
    SelectListItemByItemData(&combo, 6, 0);
    EXPECT_EQ(combo.currentIndex(), 0);
    SelectListItemByItemData(&combo, 6, -1);
    EXPECT_EQ(combo.currentIndex(), -1);

    QWidget form;
    form.showMinimized();
    ShowForm(&form);
    EXPECT_TRUE(form.isMaximized());
}

TEST_F(Lookups, AppointmentCleanUpKeepsTheNewestOfEachGroup)
{
    const char* rows[] = {
        "1, 2, 1, 7, 'A', 10", "1, 2, 1, 7, 'A', 30", "1, 2, 1, 7, 'A', 20",  // a group of three
        "1, 2, 1, 8, 'A', 10",                                               // another guest
        "5, 6, 1, NULL, 'B', 10", "5, 6, 1, NULL, 'B', 11",                  // Null never matches
    };
    for (const char* row : rows)
        data.exec(QStringLiteral("INSERT INTO Termine (Datum_Beginn, Datum_Ende, Status_Id, Patient_Id, Resources, "
                                 "Datum_Bearbeitung) VALUES (%1);")
                      .arg(QString::fromLatin1(row)));
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(DeleteTerminDuplicates(), 0);

    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteTerminDuplicates(), 2);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1702, {{"%s", "2"}}));
    EXPECT_EQ(data.count("Termine"), 4);
    EXPECT_EQ(data.count("Termine", "Patient_Id = 7 AND Datum_Bearbeitung = 30"), 1);

    // An older database without the table: nothing to ask, nothing removed.
    data.exec("DROP TABLE Termine;");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteTerminDuplicates(), 0);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1703));
}

TEST_F(Lookups, AppointmentCleanUpLetsNoWindowEventRunWhileItRemoves)
{
    // Two appointments of each of 40 guests, more rows than it used to take without a pause.
    for (int guest = 1; guest <= 40; ++guest)
        for (int edited : {10, 20})
            data.exec(QStringLiteral("INSERT INTO Termine (Datum_Beginn, Datum_Ende, Status_Id, Patient_Id, Resources, "
                                     "Datum_Bearbeitung) VALUES (1, 2, 1, %1, 'A', %2);")
                          .arg(guest)
                          .arg(edited));
    // Stands for a click that would reach the database in the middle of it.
    int leftAtClick = -1;
    QObject receiver;
    QMetaObject::invokeMethod(&receiver, [&] { leftAtClick = data.count("Termine"); }, Qt::QueuedConnection);

    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(DeleteTerminDuplicates(), 40);
    EXPECT_EQ(leftAtClick, -1) << "a window event ran during the clean-up";
    EXPECT_EQ(data.count("Termine", "Datum_Bearbeitung = 20"), data.count("Termine"));

    QCoreApplication::sendPostedEvents(&receiver);
    EXPECT_EQ(leftAtClick, 40);
}

TEST_F(Lookups, OnlyWhollyEmptyCustomersNamedNowhereAreRemoved)
{
    data.exec("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (1, 'Meier');");
    data.exec("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname, cust_company, cust_info) "
              "VALUES (2, '', '  ', '', ' ' || char(13) || char(10));");
    for (int id : {3, 4, 5})
        data.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id) VALUES (%1);").arg(id));
    data.exec("INSERT INTO tbl_bookings (book_customer_id) VALUES (4);");
    data.exec("INSERT INTO tbl_invoice (inv_customer_id) VALUES (5);");
    // No name, but an address, a phone number, an e-mail or a note.
    data.exec("INSERT INTO tbl_customers (cust_id, cust_street, cust_city) VALUES (6, 'Am Hang 3', 'Lindau');");
    data.exec("INSERT INTO tbl_customers (cust_id, cust_phone) VALUES (7, '0171 555');");
    data.exec("INSERT INTO tbl_customers (cust_id, cust_email) VALUES (8, 'gast@example.de');");
    data.exec("INSERT INTO tbl_customers (cust_id, cust_info) VALUES (9, 'Stammgast, ruft an');");
    EXPECT_EQ(DeleteEmptyCustomers(), 2);
    EXPECT_EQ(data.count("tbl_customers", "cust_id IN (2, 3)"), 0);
    EXPECT_EQ(data.count("tbl_customers"), 7);
}
