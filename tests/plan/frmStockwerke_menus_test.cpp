#include "plan/frmStockwerke.h"

#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using test::PlanDb;

// One floor with a place whose guest stays over the selected period.
class PlanMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        floor = PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haupthaus")), 0, QStringLiteral("Erdgeschoss"));
        room = PlanDb::addPlace(floor, QStringLiteral("01"), 0, 300, 450);
        guest = PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna"));
        booking = PlanDb::addBooking(room, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 4));
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 2)};
        AppPath = database.folder().path();
        ImageDir = AppPath;
        AdminPassword.clear();
        AdminPasswordActive = false;
        StationReadOnly = false;
    }
    void TearDown() override { frmStockwerke::unload(); }

    // The plan with the place's booking loaded into the panel by a click on its marker.
    frmStockwerke& withBooking()
    {
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        for (QLabel* marker : w.lbPlatz) {
            if (marker->isVisible() && marker->property("Tag").toString().toInt() == room)
                QTest::mousePress(marker, Qt::LeftButton);
        }
        windows.opened.clear();
        return w;
    }
    QStringList run(const std::function<void()>& entry)
    {
        windows.opened.clear();
        entry();
        return windows.opened;
    }
    static QString args(std::initializer_list<qint32> values)
    {
        QStringList parts;
        for (qint32 v : values)
            parts << QString::number(v);
        return "(" + parts.join("|") + ")";
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    qint32 floor = 0, room = 0, guest = 0, booking = 0;
};

}  // namespace

TEST_F(PlanMenus, EachEntryReachesItsWindow)
{
    frmStockwerke& w = withBooking();
    ASSERT_EQ(w.state().CurrentBookingId, booking);
    database.folder().write("help.pdf", "%PDF");
    const QString details = "ShowBookings(book_id = " + QString::number(booking) + "|" + QString::number(booking) + "|-1|1|1)";
    const std::vector<std::pair<QAction*, QStringList>> entries = {
        {w.menuShowRoomDetails, {"ShowRoomDetails" + args({-1, room})}},
        {w.menuContextShowRoomDetails, {"ShowRoomDetails" + args({-1, room})}},
        {w.menuShowBewohner, {"ShowAdresse" + args({guest})}},
        {w.menuContextShowBewohner, {"ShowAdresse" + args({guest})}},
        {w.menuCustomers, {"ShowAdresse" + args({guest})}},
        {w.menuShowBookingDetails, {"SetBookingsCaption(Reservierungs-Details für 01)", details}},
        {w.menuContextShowBookingDetails, {"SetBookingsCaption(Reservierungs-Details für 01)", details}},
        {w.menuBookings, {"SetBookingsCaption(Reservierungs-Details für 01)", details}},
        {w.menuShowBooking, {"ShowBookings(|" + QString::number(booking) + "|" + QString::number(room) + "|1|-1)"}},
        {w.menuInvoices, {"ShowRechnung" + args({0, guest, booking})}},   // no invoice yet
        {w.menuServices, {"ShowArtikel(-1)"}},
        {w.menuShowFrmEinrichtungen, {"ShowMandanten()"}},
    };
    for (const auto& [entry, expected] : entries)
        EXPECT_EQ(run([entry] { entry->trigger(); }).join(" "), expected.join(" ")) << entry->text().toStdString();
    windows.lastAddressCaller = nullptr;
    EXPECT_EQ(run([&] { QTest::mouseClick(w.tbBewohner, Qt::LeftButton); }), QStringList{"ShowAdresse" + args({guest})});
    // The guest chosen comes back to the plan's booking panel.
    EXPECT_EQ(windows.lastAddressCaller, &w);

    test::DialogScope dialogs;
    w.menuHelp->trigger();
    EXPECT_EQ(dialogs->opened(), std::vector<QString>{AppPath + "help.pdf"});
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 1);

    // The overview is reached from start page 2 only; the room entry of the
    // menu bar is the context menu's.
    EXPECT_FALSE(w.menuShowFrmEinrichtungen->isVisible());
    EXPECT_FALSE(w.menuShowRoomDetails->isVisible());
    EXPECT_TRUE(w.menuContext->actions().contains(w.menuContextShowRoomDetails));
}

TEST_F(PlanMenus, TheEntriesThatMustDoNothingDoNothing)
{
    frmStockwerke& w = frmStockwerke::instance();
    w.init();
    ASSERT_LT(w.state().CurrentBookingId, 1);
    test::DialogScope dialogs;
    EXPECT_TRUE(run([&] {
                    w.menuCreateBooking->trigger();
                    w.menuDeleteBooking->trigger();
                    w.menuShowBooking->trigger();
                }).isEmpty());
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(database.count("tbl_bookings"), 1);
}

TEST_F(PlanMenus, TheSettingsAskForThePasswordOnceAndNotInEditMode)
{
    frmStockwerke& w = frmStockwerke::instance();
    w.init();
    AdminPassword = "geheim";
    AdminPasswordActive = true;
    test::DialogScope dialogs;
    dialogs->answerPassword(std::nullopt);
    w.menuPreferences->trigger();
    dialogs->answerPassword(QString("falsch"));
    dialogs->answerMessage(ui::Answer::Ok);
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 0);

    w.state().EditMode = true;
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 1);

    w.state().EditMode = false;
    dialogs->answerPassword(QString("geheim"));
    w.menuPreferences->trigger();
    w.menuPreferences->trigger();
    EXPECT_EQ(windows.settingsShown, 3);
    EXPECT_EQ(dialogs->calls().size(), 4u);   // three password boxes and the refusal
}
