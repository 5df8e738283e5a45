#include "bookings/frmAdressen.h"
#include "bookings/frmBuchungen.h"

#include "core/bookings.h"
#include "core/customers.h"
#include "core/dialogs/colorselector.h"
#include "core/dialogs/datepicker.h"
#include "core/messages.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/tab_walk.h"
#include "tests/support/window_hooks.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Receiver : AddressReceiver {
    void AddMainAdress(qint32, const QString&) override {}
};

class BookingKeys : public ::testing::Test {
protected:
    void SetUp() override { InitGlobalTexts(); }
    void TearDown() override
    {
        if (frmAdressen::isLoaded())
            frmAdressen::unload();
        frmBuchungen::unload();
        frmCalendar::unload();
    }

    test::BookingDb db;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(BookingKeys, TabLeavesTheBookingListForTheEditorAndItsSaveButtonsAndComesBackRound)
{
    db.addBooking(db.place, db.anna, 2, 4);
    frmBuchungen& w = frmBuchungen::instance();
    w.ShowBookings(QString(), 0, db.place, true, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.ListView1->setFocus();
    const int row = w.ListView1->currentIndex().row();

    const test::TabWalk walk = test::WalkTabChain(w.ListView1);
    ASSERT_TRUE(walk.cameBack) << "Tab is caught";
    for (QWidget* stop : std::initializer_list<QWidget*>{w.tbBuchungDatum[0], w.tbBuchungDatum[1], w.tbPersoncount,
                                                         w.cmdSave[0], w.cmdSave[1]})
        EXPECT_TRUE(walk.reaches(stop)) << stop->property("text").toString().toStdString();
    // Tab did not move the list's line.
    EXPECT_EQ(w.ListView1->currentIndex().row(), row);

    // F4 on a date opens the picker beside it, with the keys on its days.
    w.tbBuchungDatum[1]->setFocus();
    QTest::keyClick(w.tbBuchungDatum[1], Qt::Key_F4);
    frmCalendar& picker = frmCalendar::instance();
    ASSERT_TRUE(picker.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picker));
    EXPECT_EQ(QApplication::focusWidget(), picker.MSFlexGrid1);
    QTest::keyClick(picker.MSFlexGrid1, Qt::Key_Escape);
    EXPECT_FALSE(picker.isVisible());
}

TEST_F(BookingKeys, ReopenedOverAnotherWindowTheAddressBookAsksOverItselfAndNoKeyDropsTheEdit)
{
    QWidget plan;
    plan.setObjectName(QStringLiteral("Plan"));
    Receiver panel;
    frmAdressen::ShowAdresse(db.anna, &panel);
    frmAdressen& book = frmAdressen::instance();
    QLineEdit* city = book.tbEntry[entry::City];
    city->setFocus();
    QTest::keyClicks(city, QStringLiteral("Bonn"));

    // Back to the plan, which opens the address book again from its menu.
    plan.show();
    plan.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&plan));
    dialogs->answerEscape();
    frmAdressen::ShowAdresse(db.otto, &panel);
    const auto asked = dialogs->lastMessage();
    EXPECT_EQ(asked.title, QStringLiteral("Kontaktdaten geändert"));
    EXPECT_EQ(asked.owner, &book);
    EXPECT_EQ(asked.defaultButton, 1);   // Enter saves
    // Escape: still the changed address, nothing stored.
    EXPECT_EQ(book.tbEntry[entry::LastName]->text(), QStringLiteral("Meier"));
    EXPECT_EQ(city->text(), QStringLiteral("Bonn"));
    EXPECT_TRUE(LoadCustomer(db.anna)->cust_city.isEmpty());

    dialogs->answerMessage(ui::Answer::Ok);
    frmAdressen::ShowAdresse(db.otto, &panel);
    EXPECT_EQ(LoadCustomer(db.anna)->cust_city, QStringLiteral("Bonn"));
    EXPECT_EQ(book.tbEntry[entry::LastName]->text(), QStringLiteral("Brückner"));
}

TEST_F(BookingKeys, TheGuestBeingEditedAskedForAgainKeepsWhatWasTyped)
{
    QWidget plan;
    Receiver panel;
    frmAdressen::ShowAdresse(db.anna, &panel);
    frmAdressen& book = frmAdressen::instance();
    QLineEdit* city = book.tbEntry[entry::City];
    city->setFocus();
    QTest::keyClicks(city, QStringLiteral("Bonn"));

    // The plan asks for its guest again, the one the edit belongs to.
    plan.show();
    plan.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&plan));
    frmAdressen::ShowAdresse(db.anna, &panel);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(city->text(), QStringLiteral("Bonn"));
    EXPECT_TRUE(LoadCustomer(db.anna)->cust_city.isEmpty());

    // Still an edit: saving stores it.
    QTest::mouseClick(book.cmdSave, Qt::LeftButton);
    EXPECT_EQ(LoadCustomer(db.anna)->cust_city, QStringLiteral("Bonn"));
    // Nothing left unsaved, the guest is read again as stored.
    frmAdressen::ShowAdresse(db.anna, &panel);
    EXPECT_EQ(city->text(), QStringLiteral("Bonn"));
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(BookingKeys, EnterOnTheDeleteQuestionsOfTheBookingAndTheAddressKeepsBoth)
{
    const qint32 id = db.addBooking(db.place, db.anna, 2, 4);
    frmBuchungen& w = frmBuchungen::instance();
    w.ShowBookings(QString(), id, db.place, true, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    dialogs->answerDefault();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialogs->messages().size() == 1; }));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Buchung löschen"));
    EXPECT_EQ(db.bookings(), 1);
    EXPECT_EQ(w.state().CurrentBookingId, id);

    frmAdressen::ShowAdresse(db.otto, nullptr);
    frmAdressen& book = frmAdressen::instance();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&book));
    dialogs->answerDefault();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialogs->messages().size() == 2; }));
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(1356, {{QStringLiteral("%s"), QStringLiteral("Otto Brückner")}}));
    EXPECT_TRUE(LoadCustomer(db.otto));
}

TEST_F(BookingKeys, EscapeAltF4AndAbbrechenHideTheBookingWindowAndStoreNothingTyped)
{
    const qint32 id = db.addBooking(db.place, db.anna, 2, 4);
    const std::function<void(frmBuchungen&)> leave[] = {
        [](frmBuchungen& w) { QTest::keyClick(w.tbBuchungInfo, Qt::Key_Escape); },
        [](frmBuchungen& w) {
            w.ListView1->setFocus();
            QTest::keyClick(w.ListView1, Qt::Key_Escape);
        },
        // What the window manager sends on Alt+F4 or the close box.
        [](frmBuchungen& w) {
            QCloseEvent close;
            QCoreApplication::sendEvent(w.windowHandle(), &close);
        },
        [](frmBuchungen& w) { QTest::mouseClick(w.cmdCancel, Qt::LeftButton); },
    };
    for (const auto& how : leave) {
        frmBuchungen& w = frmBuchungen::instance();
        w.ShowBookings(QString(), id, db.place, true, 1);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.tbBuchungInfo->setFocus();
        QTest::keyClicks(w.tbBuchungInfo, QStringLiteral("Balkon"));
        how(w);
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(frmBuchungen::isLoaded());
        EXPECT_TRUE(LoadBooking(id)->book_info.isEmpty());
        w.ShowBookings(QString(), id, db.place, true, 1);
        EXPECT_TRUE(w.tbBuchungInfo->text().isEmpty());
        frmBuchungen::unload();
    }
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(BookingKeys, TabReachesTheBookingColourAndSpaceOrEnterOpenTheColoursThereAsAClickDoes)
{
    frmBuchungen& w = frmBuchungen::instance();
    w.ShowBookings(QString(), -1, -1, false, 1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.btnPersoncountStep[1]->setFocus();
    QTest::keyClick(w.btnPersoncountStep[1], Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.lbColor);
    frmColorSelector& colours = frmColorSelector::instance();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        QTest::keyClick(w.lbColor, key);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&colours)) << "key " << key;
        EXPECT_EQ(colours.pos(), w.lbColor->mapToGlobal(QPoint(0, 0)));
        QTest::keyClick(&colours, Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        EXPECT_EQ(QApplication::focusWidget(), w.lbColor);
    }
    frmColorSelector::Unload();
}
