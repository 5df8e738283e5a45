#include "plan/bookingpanel.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/runtime/format.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <gtest/gtest.h>

namespace {

using test::PlanDb;

// A panel over a floor with two places; Meier is booked in another room
// during the period the tests book.
class BookingPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension"));
        const qint32 floor = PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haus")), 0, QStringLiteral("EG"));
        place = PlanDb::addPlace(floor, QStringLiteral("12"));
        other = PlanDb::addPlace(floor, QStringLiteral("14"));
        meier = PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna"));
        schulz = PlanDb::addCustomer(QStringLiteral("Schulz"), QStringLiteral("Bernd"));
        MandantId = 1;
        TermPersonSingular = QStringLiteral("Gast");
        TermPersonPlural = QStringLiteral("Gäste");
        TermPlaceSingular = QStringLiteral("Zimmer");
        StationReadOnly = false;
        SelectedPeriod = {PlanDb::noon(2024, 6, 10), PlanDb::noon(2024, 6, 12)};
        panel.clear(true);
    }
    // A new booking of the place for Schulz, 10. to 12.06.2024, as typed.
    void fillNew(qint32 customer)
    {
        state.CurrentPlaceId = place;
        CurrentPlaceName = QStringLiteral("12");
        fields.dates = {QStringLiteral("10.06.2024"), QStringLiteral("12.06.2024")};
        panel.takeGuest(customer, QString());
        panel.checkConflicts(CheckGuestAndPlace);
    }
    int bookings() { return database.count(QStringLiteral("tbl_bookings")); }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    PlanState state;
    BookingPanelFields fields;
    BookingPanel panel{state, fields};
    qint32 place = 0, other = 0, meier = 0, schulz = 0;
};

}  // namespace

TEST_F(BookingPanelTest, SaveRefusesInItsOrderAndWritesNothing)
{
    const QString refused = QStringLiteral("Reservierung verweigert");
    fields.dates = {QString(), QStringLiteral("12.06.2024")};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
    EXPECT_EQ(dialogs->lastMessage().title, refused);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);

    fields.dates = {QStringLiteral("10.06.2024"), QStringLiteral("10.06.2024")};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.\n"
                                           "Er muss mindestens einen Tag dauern, also z.B.\n"
                                           "vom      10.06.2024 12:00\n"
                                           "bis zum 11.06.2024 12:00");

    // A departure before the arrival is no period either.
    fields.dates = {QStringLiteral("12.06.2024"), QStringLiteral("10.06.2024")};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");

    fields.dates = {QStringLiteral("10.06.2024"), QStringLiteral("12.06.2024")};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Raum muss erst definiert werden.");

    // The guest booked elsewhere is asked about, No being the default.
    PlanDb::addBooking(other, meier, PlanDb::noon(2024, 6, 11), PlanDb::noon(2024, 6, 14));
    fillNew(meier);
    EXPECT_TRUE(state.CustomerConflict);
    dialogs->answerMessage(ui::Answer::No);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text,
              "\"Meier, Anna\" ist im Reservierungszeitraum bereits an anderer Stelle gebucht.\n\nTrotzdem reservieren?");
    EXPECT_EQ(dialogs->lastMessage().title, "Doppelte Reservierung");
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);

    // Yes to the guest, but an occupied place is always refused.
    PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 9), PlanDb::noon(2024, 6, 11));
    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("12"));
    EXPECT_EQ(dialogs->lastMessage().title, "Buchung verweigert");
    EXPECT_TRUE(windows.opened.isEmpty());

    // Without a guest the place is still reported first; then the guest is missing.
    panel.removeGuest();
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("12"));
    Db->execute(QStringLiteral("DELETE FROM tbl_bookings WHERE book_place_id = ?"), {place});
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen.");
    EXPECT_EQ(bookings(), 1);
}

TEST_F(BookingPanelTest, APlaceRefusalOffersThePlacesBookings)
{
    PlanDb::addBooking(place, meier, PlanDb::noon(2024, 6, 11), PlanDb::noon(2024, 6, 13));
    fillNew(schulz);
    EXPECT_TRUE(state.PlaceConflict);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_EQ(fields.dateColours[0], PlaceOccupiedColor);
    ASSERT_EQ(windows.opened.size(), 2);
    EXPECT_EQ(windows.opened[0], "SetBookingsCaption(Reservierungs-Details für Zimmer 12)");
    EXPECT_EQ(windows.opened[1], "ShowBookings(|-1|" + QString::number(place) + "|1|-1)");
}

TEST_F(BookingPanelTest, SaveStoresTheDaysAtNoonAndASecondSaveChangesTheSameRow)
{
    fillNew(schulz);
    fields.persons = QStringLiteral("2 Personen");
    fields.info = QStringLiteral("Balkon");
    int refreshed = 0;
    ASSERT_TRUE(panel.save([&] { ++refreshed; }));
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(fields.status, "gebucht");
    const auto stored = LoadBooking(state.CurrentBookingId);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->book_start, PlanDb::noon(2024, 6, 10));
    EXPECT_EQ(stored->book_end, PlanDb::noon(2024, 6, 12));
    EXPECT_EQ(stored->book_place_id, place);
    EXPECT_EQ(stored->book_customer_id, schulz);
    EXPECT_EQ(stored->book_mandant_id, 1);
    EXPECT_EQ(stored->book_cust_count, 2);
    EXPECT_EQ(stored->book_info, "Balkon");

    // The colour chosen in the booking window survives a save from the panel.
    Db->execute(QStringLiteral("UPDATE tbl_bookings SET book_color_id = 5"));
    fields.info = QStringLiteral("Balkon, spät");
    ASSERT_TRUE(panel.save());
    EXPECT_EQ(bookings(), 1);
    const auto again = LoadBooking(state.CurrentBookingId);
    EXPECT_EQ(again->book_info, "Balkon, spät");
    EXPECT_EQ(again->book_color_id, 5);
}

TEST_F(BookingPanelTest, AfterAGuestClashTheGuestsBookingsAreOffered)
{
    PlanDb::addBooking(other, meier, PlanDb::noon(2024, 6, 11), PlanDb::noon(2024, 6, 14));
    fillNew(meier);
    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::Yes);
    ASSERT_TRUE(panel.save());
    EXPECT_EQ(dialogs->lastMessage().text, "Möchten Sie die Reservierungsliste für \"Meier, Anna\" einsehen?");
    ASSERT_EQ(windows.opened.size(), 2);
    EXPECT_EQ(windows.opened[0], "SetBookingsCaption(Reservierungen für Meier, Anna)");
    EXPECT_EQ(windows.opened[1], QStringLiteral("ShowBookings(book_customer_id = %1|%2|%3|1|-1)")
                                     .arg(meier)
                                     .arg(state.CurrentBookingId)
                                     .arg(place));
}

TEST_F(BookingPanelTest, OfTwoWorkstationsTakingTheSamePlaceOnlyOneBooks)
{
    PlanState secondState;
    BookingPanelFields secondFields;
    BookingPanel second(secondState, secondFields);
    fillNew(schulz);
    secondState.CurrentPlaceId = place;
    secondFields.dates = fields.dates;
    second.takeGuest(meier, QString());
    second.checkConflicts(CheckGuestAndPlace);
    ASSERT_FALSE(state.PlaceConflict);
    ASSERT_FALSE(secondState.PlaceConflict);

    ASSERT_TRUE(panel.save());
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(second.save());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("12"));
    EXPECT_EQ(secondFields.dateColours[0], PlaceOccupiedColor);
    EXPECT_EQ(secondFields.dateColours[1], PlaceOccupiedColor);
    EXPECT_EQ(secondState.CurrentBookingId, -1);
    EXPECT_EQ(bookings(), 1);
}

TEST_F(BookingPanelTest, ABookingDeletedElsewhereIsNeverWrittenUnderItsOldId)
{
    const qint32 id = PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 10), PlanDb::noon(2024, 6, 12));
    EXPECT_EQ(panel.load(id, -1), place);
    state.CurrentPlaceId = place;
    Db->execute(QStringLiteral("DELETE FROM tbl_bookings"));

    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Diese Reservierung wurde inzwischen an einem anderen Arbeitsplatz gelöscht."));
    EXPECT_EQ(bookings(), 0);
    EXPECT_EQ(state.CurrentBookingId, -1);
    EXPECT_EQ(fields.status, "frei");

    // Saved again on purpose, it becomes a booking of its own.
    ASSERT_TRUE(panel.save());
    EXPECT_NE(state.CurrentBookingId, id);
    EXPECT_EQ(bookings(), 1);

    // Loading a booking that is gone keeps the typed days and shows a new booking.
    fields.dates = {QStringLiteral("01.07.2024"), QStringLiteral("03.07.2024")};
    EXPECT_EQ(panel.load(id, -1), 0);
    EXPECT_EQ(state.CurrentBookingId, -1);
    EXPECT_EQ(fields.dates[0], "01.07.2024");
    EXPECT_EQ(fields.status, "frei");
}

TEST_F(BookingPanelTest, AGuestOrPlaceDeletedElsewhereIsNamedAndAnotherGuestOffered)
{
    int chosen = 0;
    panel.setGuestChooser([&chosen] { ++chosen; });
    fillNew(schulz);
    Db->execute(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = %1").arg(schulz));   // another workstation
    for (ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        // The guest as taken before the delete.
        state.CurrentCustomerId = schulz;
        fields.guest = QStringLiteral("Schulz, Bernd");
        dialogs->answerMessage(answer);
        EXPECT_FALSE(panel.save());
        EXPECT_EQ(dialogs->lastMessage().text, GuestDeletedText("Schulz, Bernd"));
        EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::YesNo);
        EXPECT_EQ(state.CurrentCustomerId, -1);
        EXPECT_EQ(fields.guest, "");
    }
    EXPECT_EQ(chosen, 1);

    panel.takeGuest(meier, QString());
    Db->execute(QStringLiteral("DELETE FROM tbl_places WHERE pl_id = %1").arg(place));
    int redrawn = 0;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save([&redrawn] { ++redrawn; }));
    EXPECT_EQ(dialogs->lastMessage().text, PlaceDeletedText("12"));
    EXPECT_EQ(state.CurrentPlaceId, 0);
    EXPECT_EQ(redrawn, 1);
    EXPECT_EQ(bookings(), 0);
}

TEST_F(BookingPanelTest, AReadOnlyWorkstationNeitherSavesNorDeletes)
{
    const qint32 id = PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 10), PlanDb::noon(2024, 6, 12));
    panel.load(id, -1);
    state.CurrentPlaceId = place;
    StationReadOnly = true;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    fields.info = QStringLiteral("geändert");
    EXPECT_FALSE(panel.save());
    EXPECT_FALSE(panel.remove());
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(dialogs->messages()[0].text, GetResString(390));
    EXPECT_EQ(dialogs->messages()[1].text, GetResString(390));
    EXPECT_EQ(bookings(), 1);
    EXPECT_EQ(LoadBooking(id)->book_info, "");
}

TEST_F(BookingPanelTest, DeleteAsksWithTheBookingAsStoredAndCancelKeepsTheBooking)
{
    const qint32 id = PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 10), PlanDb::noon(2024, 6, 12));
    panel.load(id, -1);
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(panel.remove());
    EXPECT_EQ(dialogs->lastMessage().text, "ACHTUNG : Wollen Sie die Reservierung für\nSchulz, Bernd\n10.06.2024 - 12.06.2024\nlöschen?");
    EXPECT_EQ(dialogs->lastMessage().title, "Reservierung löschen");
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_EQ(bookings(), 1);

    // Edited fields are not what goes: the question names the stored booking.
    fields.guest.clear();
    fields.dates = {QStringLiteral("01.06.2024"), QString()};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_TRUE(panel.remove());
    EXPECT_EQ(dialogs->lastMessage().text, "ACHTUNG : Wollen Sie die Reservierung für\nSchulz, Bernd\n10.06.2024 - 12.06.2024\nlöschen?");
    EXPECT_EQ(bookings(), 0);
    EXPECT_EQ(state.CurrentBookingId, -1);
    EXPECT_FALSE(panel.remove());
}

TEST_F(BookingPanelTest, TypedDatesAreCompletedAndKeepAtLeastOneNight)
{
    fields.dates = {QStringLiteral("241220"), QString()};
    EXPECT_TRUE(panel.validateDate(0));
    EXPECT_EQ(fields.dates[0], "24.12.2020");
    EXPECT_EQ(fields.dates[1], "25.12.2020");
    EXPECT_EQ(SelectedPeriod[0], PlanDb::noon(2020, 12, 24));
    EXPECT_EQ(SelectedPeriod[1], PlanDb::noon(2020, 12, 25));
    EXPECT_EQ(fields.dateColours[0], ConflictFreeColor);

    fields.dates = {QStringLiteral("15.05.2024"), QStringLiteral("12.05.2024")};
    panel.validateDate(0);
    EXPECT_EQ(fields.dates[1], "16.05.2024");
    fields.dates = {QStringLiteral("10.05.2024"), QStringLiteral("9.5.24")};
    panel.validateDate(1);
    EXPECT_EQ(fields.dates[0], "08.05.2024");
    EXPECT_EQ(fields.dates[1], "09.05.2024");
    fields.dates = {QStringLiteral("10.05.2024"), QStringLiteral("10.05.2024")};
    panel.validateDate(0);
    EXPECT_EQ(fields.dates[1], "11.05.2024");
    fields.dates = {QStringLiteral("10.05.2024"), QStringLiteral("morgen")};
    EXPECT_FALSE(panel.validateDate(1));
    EXPECT_EQ(fields.dates[1], "");

    // Without a start nothing is set.
    const auto period = SelectedPeriod;
    fields.dates = {QStringLiteral("abc"), QStringLiteral("11.05.2024")};
    EXPECT_FALSE(panel.validateDate(0));
    EXPECT_EQ(fields.dates[0], "");
    EXPECT_EQ(SelectedPeriod, period);

    EXPECT_TRUE(panel.stepDate(0, 1));
    EXPECT_EQ(fields.dates[0], rt::formatDate(rt::Date::today(), "dd.mm.yyyy"));
    fields.dates = {QStringLiteral("10.05.2024"), QStringLiteral("12.05.2024")};
    panel.stepDate(0, -1);
    EXPECT_EQ(fields.dates[0], "11.05.2024");
    panel.stepDate(1, 1);
    EXPECT_EQ(fields.dates[1], "11.05.2024");
    EXPECT_EQ(fields.dates[0], "10.05.2024");
}

TEST_F(BookingPanelTest, ADepartureThatCannotBeReadStaysEmptyAndTheSaveIsRefused)
{
    fillNew(schulz);
    ASSERT_TRUE(panel.save());
    const qint32 id = state.CurrentBookingId;
    for (const char* typed : {"19.12.", "5.1.", "heute", "2027-01-05", "31.02.2027"}) {
        panel.load(id, -1);
        fields.dates[1] = QString::fromUtf8(typed);
        EXPECT_FALSE(panel.validateDate(1));
        EXPECT_EQ(fields.dates[1], "") << typed;
        fields.dates[0] = QStringLiteral("11.06.2024");
        EXPECT_FALSE(panel.validateDate(0));
        EXPECT_EQ(fields.dates[1], "") << typed;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_FALSE(panel.save());
        EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
        EXPECT_EQ(LoadBooking(id)->book_start, PlanDb::noon(2024, 6, 10));
        EXPECT_EQ(LoadBooking(id)->book_end, PlanDb::noon(2024, 6, 12));
    }
    // Nor where a stored departure cannot be read.
    database.exec(QStringLiteral("UPDATE tbl_bookings SET book_end = 'Ostern' WHERE book_id = %1").arg(id));
    panel.load(id, -1);
    fields.dates[0] = QStringLiteral("11.06.2024");
    EXPECT_FALSE(panel.validateDate(0));
    EXPECT_EQ(fields.dates[1], "");
}

TEST_F(BookingPanelTest, AGuestFromTheAddressBookIsTakenAsTheRulesAllow)
{
    EXPECT_FALSE(panel.takeGuest(-1, QStringLiteral("Anna Meier")));
    EXPECT_EQ(state.CurrentCustomerId, -1);

    fillNew(schulz);
    EXPECT_EQ(fields.guest, "Schulz, Bernd");
    EXPECT_EQ(fields.guestColour, ConflictFreeColor);

    dialogs->answerMessage(ui::Answer::No);
    EXPECT_FALSE(panel.takeGuest(meier, QString()));
    EXPECT_EQ(dialogs->lastMessage().text, "Diese Reservierung gilt bereits für \"Schulz, Bernd\".\n"
                                           "Wollen Sie diese Reservierung stattdessen auf den von Ihnen neu gewählten Gast "
                                           "übertragen?");
    EXPECT_EQ(dialogs->lastMessage().title, "Reservierung ändern");
    EXPECT_EQ(state.CurrentCustomerId, schulz);

    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_TRUE(panel.takeGuest(meier, QStringLiteral("Anna Meier")));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("auf \"Anna Meier\" übertragen?"));
    EXPECT_EQ(fields.guest, "Meier, Anna");
    EXPECT_TRUE(panel.takeGuest(meier, QStringLiteral("Anna Meier")));

    // A stored booking keeps its guest.
    ASSERT_TRUE(panel.save());
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.takeGuest(schulz, QString()));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    EXPECT_EQ(state.CurrentCustomerId, meier);
}

TEST_F(BookingPanelTest, LoadingAPlaceShowsItsEarliestBookingInThePeriodAndCountsThem)
{
    PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 11), PlanDb::noon(2024, 6, 12), 0);
    const qint32 earliest = PlanDb::addBooking(place, 999, PlanDb::noon(2024, 6, 8), PlanDb::noon(2024, 6, 11), 3);
    PlanDb::addBooking(place, meier, PlanDb::noon(2024, 6, 12), PlanDb::noon(2024, 6, 15));
    PlanDb::addBooking(place, meier, PlanDb::noon(2024, 6, 5), PlanDb::noon(2024, 6, 10));

    EXPECT_EQ(panel.load(-1, place), place);
    EXPECT_EQ(state.CurrentBookingId, earliest);
    EXPECT_EQ(state.CurrentCustomerId, 999);
    EXPECT_EQ(fields.guest, "");
    EXPECT_EQ(fields.dates[0], "08.06.2024");
    EXPECT_EQ(fields.times[0], "12:00");
    EXPECT_EQ(fields.persons, "3");
    EXPECT_EQ(fields.status, "gebucht");
    EXPECT_EQ(fields.count, "3 Reservierungen im Prüfzeitraum");
    EXPECT_TRUE(fields.showBookingsVisible);

    fields.dates = {QStringLiteral("01.07.2024"), QStringLiteral("02.07.2024")};
    EXPECT_EQ(panel.load(-1, other), 0);
    EXPECT_EQ(fields.dates[0], "01.07.2024");
    EXPECT_EQ(fields.count, "");
    EXPECT_EQ(state.CurrentBookingId, -1);

    EXPECT_EQ(panel.load(-1, -1), 0);
    EXPECT_EQ(fields.dates[0], "10.06.2024");
    EXPECT_EQ(fields.dates[1], "12.06.2024");
}

TEST_F(BookingPanelTest, TheListButtonsOpenTheBookingListOnWhatTheyName)
{
    state.CurrentPlaceId = place;
    SelectedPeriod = {rt::Date::today().atNoon(), rt::Date::today().atNoon().addDays(1)};
    panel.showPlaceBookings();
    EXPECT_TRUE(windows.opened.last().endsWith("|-1|" + QString::number(place) + "|1|1)"));
    EXPECT_TRUE(windows.opened.last().startsWith("ShowBookings(book_place_id = " + QString::number(place) + " AND "));
    SelectedPeriod[0] = SelectedPeriod[0].addDays(-1);
    panel.showPlaceBookings();
    EXPECT_TRUE(windows.opened.last().endsWith("|1|-1)"));

    BookingPanel::showTodaysList(true);
    EXPECT_EQ(windows.opened[windows.opened.size() - 2], "SetBookingsCaption(Anreiseliste heute)");
    EXPECT_EQ(windows.opened.last(), "ShowBookings(" + BookingListOfArrivals(rt::Date::today()) + "|-1|-1|0|-1)");
    BookingPanel::showTodaysList(false);
    EXPECT_TRUE(windows.opened.last().startsWith("ShowBookings(book_end BETWEEN "));

    fields.dates = {QStringLiteral("10.06.2024"), QStringLiteral("12.06.2024")};
    panel.showBookingDetails(QStringLiteral("12"));
    EXPECT_EQ(windows.opened.last(), "CreateNewBooking(" + QString::number(place) + "|-1|10.06.2024|12.06.2024)");
    state.CurrentPlaceId = -1;
    dialogs->answerMessage(ui::Answer::Ok);
    panel.showBookingDetails(QString());
    EXPECT_EQ(dialogs->lastMessage().text, "Bitte wählen Sie zuerst ein Zimmer.");

    const qint32 id = PlanDb::addBooking(place, schulz, PlanDb::noon(2024, 6, 10), PlanDb::noon(2024, 6, 12));
    Db->execute(QStringLiteral("INSERT INTO tbl_invoice (inv_booking_id, inv_customer_id) VALUES (?, ?)"), {id, schulz});
    const qint32 invoice = PlanDb::lastId(QStringLiteral("tbl_invoice"));
    panel.load(id, -1);
    panel.showBookingDetails(QStringLiteral("12"));
    EXPECT_EQ(windows.opened.last(), QStringLiteral("ShowBookings(book_id = %1|%1|-1|1|1)").arg(id));
    panel.showInvoice();
    EXPECT_EQ(windows.opened.last(), QStringLiteral("ShowRechnung(%1|%2|%3)").arg(invoice).arg(schulz).arg(id));
}

TEST(BookingPanelPersons, TheCountIsTheNumberTheTextStartsWith)
{
    EXPECT_EQ(LeadingCount("2 Personen"), 2);
    EXPECT_EQ(LeadingCount("  4"), 4);
    EXPECT_EQ(LeadingCount("viele"), 0);
    EXPECT_EQ(LeadingCount(""), 0);
    EXPECT_EQ(LeadingCount("-3"), 0);
    EXPECT_EQ(LeadingCount("9999999999"), 32767);
}

// The file busy past the wait at the save: the guest, booked elsewhere when
// the fields were checked, is not asked about, and nothing is stored.
TEST_F(BookingPanelTest, ACheckThatCannotBeMadeRefusesTheSaveAndClaimsNoBooking)
{
    PlanDb::addBooking(other, meier, PlanDb::noon(2024, 6, 11), PlanDb::noon(2024, 6, 14));
    fillNew(meier);
    ASSERT_TRUE(state.CustomerConflict);
    std::unique_ptr<db::Database> station = db::Database::open(Db->path());
    station->execute(QStringLiteral("BEGIN EXCLUSIVE;"));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(panel.save());
    station->execute(QStringLiteral("COMMIT;"));
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("Die Reservierung wurde nicht gespeichert. Versuchen Sie es bitte gleich noch einmal."));
    EXPECT_EQ(bookings(), 1);
}
