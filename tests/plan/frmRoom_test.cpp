#include "plan/frmRoom.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

namespace {

// Place 12 on the first floor (no floor name) with one guest now, one gone
// and one to come; place 25 is blocked.
class RoomWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        ReadPreferences();
        database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (1, 1, 'Haupthaus')");
        database.exec("INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name) VALUES (2, 1, 1, '')");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name, pl_info, pl_capacity) VALUES (12, 2, '12', 'Balkon', 2)");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name, pl_disabled) VALUES (25, 2, '25', -1)");
        database.exec("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname) VALUES (7, 'Berg', 'Anna')");
        database.exec("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname) VALUES (8, 'Roth', 'Ben')");
        const rt::Date today = rt::Date::today().atNoon();
        book(12, 7, today.addDays(-1), today.addDays(1));
        book(12, 8, today.addDays(-3), today.addDays(-1));
        book(12, 8, today.addDays(2), today.addDays(4));
    }
    void TearDown() override
    {
        Closing = true;
        frmRoom::unload();
    }
    static void book(qint32 placeId, qint32 custId, const rt::Date& start, const rt::Date& end)
    {
        Db->execute("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, book_end) "
                    "VALUES (?, ?, 1, ?, ?)",
                    {placeId, custId, start, end});
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
    test::WindowHooks windows;
};

}  // namespace

TEST_F(RoomWindow, ShowsThePlaceAndTheGuestInItNowAndOpensTheirWindows)
{
    frmRoom& w = frmRoom::instance();
    w.ShowRoomDetails(-1, 12);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.lbRoom_id->text(), "12");
    EXPECT_EQ(w.tbRoomInfo->text(), "Balkon");
    EXPECT_EQ(w.lbStockwerkName->text(), "1. Stockwerk");
    EXPECT_EQ(w.tbCapacity->text(), "2");
    EXPECT_TRUE(w.tbRoomName->isReadOnly());
    EXPECT_FALSE(w.frameBookingOptions->isHidden());
    ASSERT_EQ(w.listBewohner->count(), 1);
    EXPECT_EQ(w.listBewohner->item(0)->text(), "Anna Berg");
    EXPECT_EQ(w.OccupantCustomerId, 7);

    CallerForm = reinterpret_cast<AddressReceiver*>(&w);   // any window that asked before
    QTest::mouseClick(w.listBewohner->viewport(), Qt::LeftButton, {},
                      w.listBewohner->visualItemRect(w.listBewohner->item(0)).center());
    EXPECT_EQ(CallerForm, nullptr);
    EXPECT_EQ(windows.lastAddressCaller, nullptr);
    // Enter on the guest does what its click does.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.listBewohner->setFocus();
    QTest::keyClick(w.listBewohner, Qt::Key_Return);
    QTest::mouseClick(w.btnPatient, Qt::LeftButton);
    w.menuShowBookings->trigger();
    EXPECT_EQ(windows.opened, QStringList({"ShowAdresse(7)", "ShowAdresse(7)", "ShowAdresse(7)",
                                           "SetBookingsCaption(Reservierungs-Details für Raum 12)",
                                           "ShowBookings(book_place_id = 12|-1|-1|1|-1)"}));

    // A blocked place hides the booking options.
    w.ShowRoomDetails(-1, 25);
    EXPECT_TRUE(w.chkBlocked->isChecked());
    EXPECT_TRUE(w.frameBookingOptions->isHidden());
    EXPECT_EQ(w.listBewohner->count(), 0);
    EXPECT_FALSE(w.btnPatient->isEnabled());
}

TEST_F(RoomWindow, APlaceThatIsGoneIsToldAndTheWindowEmptied)
{
    frmRoom& w = frmRoom::instance();
    w.ShowRoomDetails(-1, 12);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    w.ShowRoomDetails(-1, 999);
    EXPECT_EQ(dialogs->lastMessage().title, "Raum nicht gefunden");
    EXPECT_EQ(dialogs->lastMessage().text, "Der gewünschte Raum (Kennummer 999) existiert nicht mehr.");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);
    EXPECT_EQ(w.ShownPlaceId, -1);
    EXPECT_EQ(w.tbRoomName->text(), "");
    EXPECT_EQ(w.listBewohner->count(), 0);

    // Only the place id selects: the room id alone looks for place -1.
    dialogs->answerMessage(ui::Answer::Ok);
    w.ShowRoomDetails(5, -1);
    EXPECT_EQ(dialogs->lastMessage().text, "Der gewünschte Raum (Kennummer -1) existiert nicht mehr.");

    // Neither id: an empty window, nothing told; refreshing it stays so.
    w.ShowRoomDetails(-1, -1);
    QTest::mouseClick(w.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 2u);
    EXPECT_TRUE(windows.opened.isEmpty());
}

TEST_F(RoomWindow, NamesWithMarkupAreShownAsTyped)
{
    Db->execute("UPDATE tbl_places SET pl_name = '<b>Bi</b>rke' WHERE pl_id = 12");
    Db->execute("UPDATE tbl_floors SET flr_name = '<u>EG</u> & <Garten>'");
    Db->execute("UPDATE tbl_buildings SET bld_name = '<img src=x>'");
    frmRoom& w = frmRoom::instance();
    w.ShowRoomDetails(-1, 12);
    const std::pair<QLabel*, QString> shown[] = {
        {w.lbRoomName, "<b>Bi</b>rke"}, {w.lbStockwerkName, "<u>EG</u> & <Garten>"}, {w.lbBuildingName, "<img src=x>"}};
    for (const auto& [label, name] : shown) {
        EXPECT_EQ(label->text(), name);
        // Drawn as formatting, the tags would take no room of their own.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(name)) << name.toStdString();
    }
}

TEST_F(RoomWindow, TheEntriesThatMustDoNothingDoNothing)
{
    frmRoom& w = frmRoom::instance();
    w.ShowRoomDetails(-1, 12);
    test::DialogScope dialogs;   // any box would fail the test
    for (QAction* entry : {w.menuSaveRoom, w.menuDeleteRoom, w.menuLoadImageFile, w.menuEditRoom})
        entry->trigger();
    for (QPushButton* button : {w.cmdRoomSave, w.cmdRoomDelete, w.btnBackHistory, w.cmdKategorie})
        QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QTest::mouseClick(w.chkBlocked, Qt::LeftButton);
    EXPECT_FALSE(w.chkBlocked->isChecked());
    EXPECT_FALSE(w.frameBookingOptions->isHidden());
    EXPECT_TRUE(windows.opened.isEmpty());
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(database.count("tbl_places", "pl_id = 12 AND pl_name = '12' AND pl_disabled = 0 AND pl_imagefile IS NULL"), 1);

    // The one hint, and closing only hides.
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnNeu, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Legen Sie einen neuen Raum bitte im Stockwerk-Plan an.");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::None);
    w.menuExit->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(frmRoom::isLoaded());
}
