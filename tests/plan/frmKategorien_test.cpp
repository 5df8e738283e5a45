#include "plan/frmKategorien.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/terms.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RoomCategoryPrices : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        RoomTypes = {RoomType{}, RoomType{1, QStringLiteral("Einzelzimmer"), 45.0, 0},
                     RoomType{2, QStringLiteral("Doppelzimmer"), 65.0, 0}};
    }
    void TearDown() override { frmKategorien::unload(); }

    void typePrice(frmKategorien& w, const QString& text)
    {
        w.tbPreis->clear();
        QTest::keyClicks(w.tbPreis, text);
        QTest::keyClick(w.tbPreis, Qt::Key_Return);
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(RoomCategoryPrices, ATypedPriceShowsInTheListAtOnceAndLastsTheRun)
{
    frmKategorien::showWindow();
    frmKategorien* w = &frmKategorien::instance();
    EXPECT_EQ(w->windowTitle(), "Kategorie-Preise");
    ASSERT_EQ(w->listRoomCategory->count(), 2);
    EXPECT_EQ(w->listRoomCategory->currentRow(), 0);
    EXPECT_EQ(w->tbPreis->text(), "45,00");

    w->listRoomCategory->setCurrentRow(1);
    EXPECT_EQ(w->tbPreis->text(), "65,00");
    typePrice(*w, "72,5");
    EXPECT_EQ(w->listRoomCategory->item(1)->text(), "Doppelzimmer (72,50 €)");
    EXPECT_EQ(w->listRoomCategory->currentRow(), 1);
    EXPECT_DOUBLE_EQ(RoomTypes[2].price, 72.5);

    // Empty keeps the price; what is no number is answered and kept too.
    typePrice(*w, "   ");
    EXPECT_DOUBLE_EQ(RoomTypes[2].price, 72.5);
    dialogs->answerMessage(ui::Answer::Ok);
    typePrice(*w, "sechzig");
    EXPECT_TRUE(dialogs->lastMessage().text.contains("keine gültige Zahl"));
    EXPECT_DOUBLE_EQ(RoomTypes[2].price, 72.5);
    EXPECT_EQ(w->tbPreis->text(), "72,50");

    // Closed and opened again: a new window with the prices of this run.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmKategorien::isLoaded());
    frmKategorien::showWindow();
    EXPECT_EQ(frmKategorien::instance().listRoomCategory->item(1)->text(), "Doppelzimmer (72,50 €)");
    EXPECT_EQ(database.count("tbl_room_types"), 0);
}

TEST_F(RoomCategoryPrices, WithoutCategoriesTheListStaysEmpty)
{
    RoomTypes = {RoomType{}};
    frmKategorien::showWindow();
    EXPECT_EQ(frmKategorien::instance().listRoomCategory->count(), 0);
    typePrice(frmKategorien::instance(), "10");
    EXPECT_EQ(RoomTypes.size(), 1u);
}
