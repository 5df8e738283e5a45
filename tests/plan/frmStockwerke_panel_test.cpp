// The plan's booking panel while another workstation works on the same
// bookings and places.

#include "plan/frmStockwerke.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "plan/floorplan.h"
#include "plan/plancalendar.h"
#include "platform/runtime/color.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

using test::PlanDb;

// Station A runs the plan; station B (other) works on the same file. Meier
// has room 01 from 1 to 3 July 2026; 02 and 03 are double rooms, 01 a single
// one; 11 lies on the floor above.
class PanelBesideAnotherStation : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        PlanDb::addRoomType(1, QStringLiteral("Einzelzimmer"));
        PlanDb::addRoomType(2, QStringLiteral("Doppelzimmer"));
        const qint32 house = PlanDb::addBuilding(1, QStringLiteral("Haupthaus"));
        const qint32 ground = PlanDb::addFloor(house, 0, QStringLiteral("Erdgeschoss"));
        PlanDb::addPlace(PlanDb::addFloor(house, 1, QStringLiteral("1. Stock")), QStringLiteral("11"), 1);
        room1 = PlanDb::addPlace(ground, QStringLiteral("01"), 1, 300, 450);
        room2 = PlanDb::addPlace(ground, QStringLiteral("02"), 2, 1500, 450);
        room3 = PlanDb::addPlace(ground, QStringLiteral("03"), 2, 3000, 450);
        booking = PlanDb::addBooking(room1, PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna")), july(1), july(3));
        newGuest = PlanDb::addCustomer(QStringLiteral("Wagner"), QStringLiteral("Eva"));
        Db->execute(QStringLiteral("INSERT INTO tbl_workstations (ws_computername) VALUES ('PLANPC')"));
        ComputerName = QStringLiteral("PLANPC");
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        SelectedPeriod = {july(1), july(3)};
        ImageDir = database.folder().path();
        StationReadOnly = false;
        LoadRoomTypes(1);
    }
    void TearDown() override { frmStockwerke::unload(); }

    static rt::Date july(int day) { return PlanDb::noon(2026, 7, day); }

    frmStockwerke& shown()
    {
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        QTest::mouseClick(w.lbDateRange, Qt::LeftButton);
        return w;
    }
    QLabel* markerOf(frmStockwerke& w, qint32 placeId)
    {
        for (size_t i = 1; i < w.lbPlatz.size(); ++i) {
            if (!w.lbPlatz[i]->isHidden() && w.lbPlatz[i]->property("Tag").toString().toInt() == placeId)
                return w.lbPlatz[i];
        }
        return nullptr;
    }
    // What the user types over a field's text; Enter ends it.
    static void type(QLineEdit* field, const QString& text, bool enter = false)
    {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        if (enter)
            QTest::keyClick(field, Qt::Key_Return);
    }
    // B changes Meier's booking: read and written in one go.
    void otherChanges(const std::function<void(Booking&)>& change)
    {
        other.run([&] {
            Booking b = *LoadBooking(booking);
            change(b);
            test::WriteBooking(b);
        });
    }
    void otherMoves(int from, int to)
    {
        otherChanges([=](Booking& b) {
            b.book_start = july(from);
            b.book_end = july(to);
        });
    }
    Booking stored() const { return *LoadBooking(booking); }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    test::OtherStation other{database.path()};
    qint32 room1 = 0, room2 = 0, room3 = 0, newGuest = 0, booking = 0;
};

}  // namespace

TEST_F(PanelBesideAnotherStation, WhatOnlyTheOtherStationChangedSurvivesTheSaveUnaskedAndShows)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    ASSERT_EQ(w.lbBookingStatus->text(), "gebucht");
    otherMoves(2, 5);
    // What only the other station changed is no edit of this one.
    EXPECT_TRUE(UnsavedEdits().isEmpty());
    type(w.tbPersoncount, QStringLiteral("2"));
    type(w.tbBuchungInfo, QStringLiteral("Anreise spaet"));
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored().book_start, july(2));
    EXPECT_EQ(stored().book_end, july(5));
    EXPECT_EQ(stored().book_cust_count, 2);
    EXPECT_EQ(stored().book_info, "Anreise spaet");
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "02.07.2026");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "05.07.2026");
    EXPECT_TRUE(UnsavedEdits().isEmpty());

    // The next save compares with what this one wrote: B's next move is kept too.
    otherMoves(3, 6);
    type(w.tbBuchungInfo, QStringLiteral("Anreise 20 Uhr"));
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored().book_start, july(3));
    EXPECT_EQ(stored().book_info, "Anreise 20 Uhr");
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "03.07.2026");

    // Moved to room 03 at B, the booking shows there after A's save.
    otherChanges([this](Booking& b) { b.book_place_id = room3; });
    type(w.tbBuchungInfo, QStringLiteral("Hund"));
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored().book_place_id, room3);
    EXPECT_EQ(stored().book_info, "Hund");
    EXPECT_EQ(w.lblRoomName->text(), "03");
    ASSERT_TRUE(markerOf(w, room3));
    EXPECT_EQ(markerOf(w, room3)->text(), "X");
    EXPECT_EQ(BackColor(markerOf(w, room1)), MarkerFreeColor);
}

TEST_F(PanelBesideAnotherStation, ADateChangedAtBothStationsIsAskedAndEachAnswerDoesWhatItSays)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    type(w.tbBuchungDatum[1], QStringLiteral("06.07.2026"), true);
    type(w.tbBuchungInfo, QStringLiteral("Balkon"));
    otherMoves(2, 5);

    // Abbrechen writes nothing and leaves the edit as it was.
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Die Reservierung %1 wurde inzwischen an anderer Stelle geändert: Zeitraum jetzt "
                       "02.07.2026 – 05.07.2026. Ihre Änderung trotzdem speichern?")
            .arg(booking)));
    EXPECT_EQ(stored().book_end, july(5));
    EXPECT_EQ(stored().book_info, "");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "06.07.2026");
    EXPECT_EQ(UnsavedEdits(), QStringList{"Belegungsplan: Änderungen an der Reservierung für \"Meier, Anna\""});

    // Nein keeps the stored period, writes the note and shows the period stored.
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(stored().book_end, july(5));
    EXPECT_EQ(stored().book_info, "Balkon");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "05.07.2026");
    EXPECT_TRUE(UnsavedEdits().isEmpty());

    // Ja writes the period shown here, arrival and departure: never B's
    // arrival with this departure.
    type(w.tbBuchungDatum[1], QStringLiteral("07.07.2026"), true);
    otherMoves(3, 6);
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 3u);
    EXPECT_EQ(stored().book_start, july(2));
    EXPECT_EQ(stored().book_end, july(7));
    EXPECT_EQ(w.tbBuchungDatum[0]->text(), "02.07.2026");
}

TEST_F(PanelBesideAnotherStation, ARefusedSaveShowsThePlaceTakenOnTheFloorPlanAndInTheCalendar)
{
    frmStockwerke& w = shown();
    const auto secondOfJuly = [&w] {
        for (int i = 0; i < CalendarCellCount; ++i) {
            if (w.calendar().cells()[i].date == rt::Date::fromParts(2026, 7, 2))
                return w.CalendarGrid->item(i / 7, i % 7)->background().color();
        }
        return QColor();
    };
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    w.AddMainAdress(newGuest, QStringLiteral("Eva Wagner"));
    other.run([&] {
        Booking b;
        b.book_mandant_id = 1;
        b.book_place_id = room2;
        b.book_cust_count = 1;
        b.book_start = july(1);
        b.book_end = july(3);
        ASSERT_EQ(StoreBooking(b).result, StoreResult::Stored);
    });
    ASSERT_EQ(BackColor(markerOf(w, room2)), MarkerFreeColor);
    ASSERT_EQ(secondOfJuly(), rt::toQColor(CalendarPeriodBack));

    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("02"));
    EXPECT_EQ(BackColor(markerOf(w, room2)), MarkerOccupiedColor);
    EXPECT_EQ(w.lbBettenCount->text(), "3 Betten, 2 belegt (66%), 1 frei (33%)");
    EXPECT_EQ(secondOfJuly(), rt::toQColor(CalendarBookedBack));
    EXPECT_EQ(w.tbBewohner->text(), "Wagner, Eva");
}

// Another tool writes a booking of room 02 with an arrival nobody can read
// while the plan still shows the room free.
TEST_F(PanelBesideAnotherStation, ABookingWithoutAReadableArrivalRefusesTheSaveAndIsNamed)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    w.AddMainAdress(newGuest, QStringLiteral("Eva Wagner"));
    other.exec(QStringLiteral("INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, book_cust_count, "
                              "book_start, book_end) VALUES (1, ?, ?, 2, 'Pfingsten', ?)"),
               {room2, newGuest, PlanDb::noon(2026, 8, 1)});
    const qint32 damaged = PlanDb::lastId(QStringLiteral("tbl_bookings"));
    ASSERT_EQ(BackColor(markerOf(w, room2)), MarkerFreeColor);

    dialogs->answerMessage(ui::Answer::Cancel);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(dialogs->messages()[0].text, OccupiedRefusalText("02", damaged));
    EXPECT_EQ(dialogs->messages()[1].text, QStringLiteral("Die Reservierung %1 für \"Eva Wagner\" in \"02\" hat ein "
                                                          "ungültiges Anreisedatum. Bitte geben Sie es im Buchungsfenster "
                                                          "neu ein.").arg(damaged));
    EXPECT_EQ(BackColor(markerOf(w, room2)), MarkerOccupiedColor);
    EXPECT_EQ(PlanDb::lastId(QStringLiteral("tbl_bookings")), damaged);
}

TEST_F(PanelBesideAnotherStation, ADepartureThatCannotBeReadIsEmptiedAndItsSaveRefused)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    ASSERT_EQ(w.lbBookingStatus->text(), "gebucht");
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(w.tbBuchungDatum[1], Qt::LeftButton);
    type(w.tbBuchungDatum[1], QStringLiteral("5.1."));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "");
    EXPECT_EQ(stored().book_end, july(3));
}

TEST_F(PanelBesideAnotherStation, ANoteTypedForANewBookingSurvivesTheFilterTheFloorStepperAndATabSwitch)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room2), Qt::LeftButton);
    ASSERT_EQ(w.lbBookingStatus->text(), "frei");
    type(w.tbBuchungInfo, QStringLiteral("Kinderbett"));

    // Single rooms only: the double room 02 is hidden, but stays the place of the edit.
    QTest::keyClick(w.listRoomCategoryFilter, Qt::Key_Down);
    ASSERT_EQ(w.listRoomCategoryFilter->currentText(), "Einzelzimmer");
    EXPECT_EQ(markerOf(w, room2), nullptr);
    EXPECT_EQ(w.tbBuchungInfo->text(), "Kinderbett");
    EXPECT_EQ(w.state().CurrentPlaceId, room2);
    EXPECT_EQ(w.lblRoomName->text(), "02");

    QTest::mouseClick(w.cmdFloorStep[1], Qt::LeftButton);
    ASSERT_EQ(w.lbStockwerkName->text(), "Haupthaus / 1. Stock");
    QTest::mouseClick(w.cmdFloorStep[0], Qt::LeftButton);
    QTabBar* tabs = w.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QTest::keyClick(w.listRoomCategoryFilter, Qt::Key_Up);
    ASSERT_TRUE(markerOf(w, room2));
    EXPECT_EQ(markerOf(w, room2)->text(), "X");
    EXPECT_EQ(w.tbBuchungInfo->text(), "Kinderbett");

    // Without anything typed the hidden place is no longer the current one.
    QTest::keyClick(w.tbBuchungInfo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.tbBuchungInfo, Qt::Key_Backspace);
    QTest::keyClick(w.listRoomCategoryFilter, Qt::Key_Down);
    EXPECT_EQ(w.state().CurrentPlaceId, -1);
    EXPECT_EQ(w.lblRoomName->text(), "");
}

TEST_F(PanelBesideAnotherStation, AMergedStayIsRefusedForTheRoomItWouldHaveHadAndADeleteNamesTheMove)
{
    frmStockwerke& w = shown();
    QTest::mousePress(markerOf(w, room1), Qt::LeftButton);
    PlanDb::addBooking(room3, newGuest, july(4), july(8));
    // B moved the stay to room 03; A, still showing 01, extends it into Wagner's.
    otherChanges([this](Booking& b) { b.book_place_id = room3; });
    type(w.tbBuchungDatum[1], QStringLiteral("06.07.2026"), true);
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    ASSERT_FALSE(dialogs->messages().empty());
    const QString refusal = dialogs->lastMessage().text;
    EXPECT_TRUE(refusal.contains(QStringLiteral("\"03\" ist im Reservierungszeitraum bereits belegt"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("vom 01.07.2026 bis zum 06.07.2026 in \"03\""))) << refusal.toStdString();
    EXPECT_EQ(stored().book_end, july(3));
    EXPECT_EQ(w.tbBuchungDatum[1]->text(), "03.07.2026");
    EXPECT_EQ(w.lblRoomName->text(), "03");
    // Shown in the room B moved it to, the next save keeps it there.
    type(w.tbBuchungInfo, QStringLiteral("Spaete Anreise"));
    QTest::mouseClick(w.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(stored().book_info, "Spaete Anreise");
    EXPECT_EQ(stored().book_place_id, room3);
    EXPECT_EQ(w.lblRoomName->text(), "03");

    // B moves it again; A's delete names the stored period and keeps it on Nein.
    otherMoves(10, 12);
    const size_t before = dialogs->messages().size();
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.cmdBuchungDelete, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), before + 1);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("Zeitraum jetzt 10.07.2026 – 12.07.2026. Trotzdem löschen?")))
        << dialogs->lastMessage().text.toStdString();
    EXPECT_TRUE(LoadBooking(booking));
}
