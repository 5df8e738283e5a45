#include "bookings/bookingeditor.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/places.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "tests/bookings/booking_db.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Records what the editor asks of the window's list.
class FakeList : public BookingListHost {
public:
    void ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange) override
    {
        shown << QStringLiteral("%1|%2|%3|%4|%5").arg(filter).arg(bookId).arg(placeId).arg(showDetails).arg(listRange);
    }
    void SetCaption(const QString& text) override { caption = text; }
    void RemoveFromList(qint32 bookId) override { removed << bookId; }
    void SelectBookingInList(qint32 bookId) override { selected << bookId; }
    void ChooseGuest() override { ++guestChosen; }

    QStringList shown;
    QString caption;
    QList<qint32> removed;
    QList<qint32> selected;
    int guestChosen = 0;
};

// A dialog service that lets another workstation act while the user reads a
// message, then answers as planned.
class RacingDialogs : public test::ScriptedDialogs {
public:
    ui::Answer message(const ui::MessageRequest& request) override
    {
        if (auto act = std::exchange(whileAsking, nullptr))
            act();
        return ScriptedDialogs::message(request);
    }
    std::function<void()> whileAsking;
};

class Editor : public ::testing::Test {
protected:
    Editor() { editor.FillRoomList(-1); }

    // A new booking of place from day a to day b, for guest (none when 0).
    void prepare(BookingEditor& e, qint32 placeId, int a, int b, qint32 guest = 0)
    {
        e.ClearBookingEditor();
        e.PlaceChosen(placeId);
        e.fields().tbBuchungDatum = {test::BookingDb::dayText(a), test::BookingDb::dayText(b)};
        if (guest > 0)
            e.AddMainAdress(guest, QString());
        e.CheckConflicts(CheckGuestAndPlace);
    }
    std::optional<Booking> stored(qint32 id) { return LoadBooking(id); }

    test::BookingDb db;
    test::WindowHooks windows;
    FakeList list;
    BookingEditor editor{list};
};

const QString Refused = QStringLiteral("Reservierung verweigert");

}  // namespace

TEST_F(Editor, SaveRefusesInItsOrderAndWritesNothing)
{
    db.addBooking(db.otherPlace, db.anna, 2, 5);
    db.addBooking(db.place, db.otto, 3, 6);
    test::DialogScope dialogs;

    // No period.
    editor.PlaceChosen(db.place);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
    EXPECT_EQ(dialogs->lastMessage().title, Refused);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Exclamation);

    // No place.
    editor.ClearBookingEditor();
    editor.fields().tbBuchungDatum = {db.dayText(10), db.dayText(12)};
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, "Es fehlt die Raum-Angabe.");

    // The guest is booked elsewhere: asked with No as the default; No stops.
    prepare(editor, db.place, 3, 4, db.anna);
    ASSERT_TRUE(editor.state().CustomerClash);
    dialogs->answerMessage(ui::Answer::No);
    EXPECT_FALSE(editor.SaveBooking());
    const auto asked = dialogs->lastMessage();
    EXPECT_EQ(asked.text, "\"Meier, Anna\" ist im Reservierungszeitraum bereits an anderer Stelle gebucht.\n\n"
                          "Trotzdem reservieren?");
    EXPECT_EQ(asked.title, "Doppelte Reservierung");
    EXPECT_EQ(asked.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(asked.defaultButton, 2);

    // Yes on an occupied place still ends in the place refusal, which offers the place's list.
    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("Haupthaus \\ Erdgeschoss \\ Zimmer 1"));
    EXPECT_EQ(dialogs->lastMessage().title, Refused);
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(list.shown.last(), QStringLiteral("|-1|%1|1|-1").arg(db.place));
    EXPECT_EQ(windows.planRefreshed, 1);   // the plan shows the place taken

    // Taking a guest checks the guest alone; the occupied place stays red.
    editor.ClearBookingEditor();
    editor.PlaceChosen(db.place);
    editor.fields().tbBuchungDatum = {db.dayText(3), db.dayText(4)};
    editor.CheckConflicts(CheckGuestAndPlace);
    editor.AddMainAdress(db.addGuest("Eva", "Neu"), QString());
    EXPECT_EQ(editor.fields().tbBuchungDatumColor[0], PlaceOccupiedColor);
    EXPECT_EQ(editor.fields().tbBewohnerColor, ConflictFreeColor);

    // A free place without a guest: refused after the clash checks.
    prepare(editor, db.place, 10, 12);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, "Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen.");

    EXPECT_EQ(db.bookings(), 2);
    EXPECT_EQ(windows.planRefreshed, 1);
}

TEST_F(Editor, SaveChecksAgainInsteadOfTrustingTheLastCheck)
{
    prepare(editor, db.place, 3, 5, db.anna);
    ASSERT_FALSE(editor.state().PlaceClash);
    db.addBooking(db.place, db.otto, 4, 6);   // booked meanwhile
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().title, Refused);
    EXPECT_EQ(editor.fields().tbBuchungDatumColor[0], PlaceOccupiedColor);
    EXPECT_EQ(db.bookings(), 1);
}

TEST_F(Editor, SaveStoresTheDaysAtNoonOnceAndRefreshes)
{
    prepare(editor, db.place, 3, 5, db.anna);
    editor.fields().tbPersoncount = "0";
    editor.fields().tbBuchungInfo = "Balkon, O'Neill";
    editor.Receive_SelectedColor(4);
    editor.state().ListFilter = "book_place_id = 9";
    test::DialogScope dialogs;
    ASSERT_TRUE(editor.SaveBooking());
    const qint32 id = editor.state().CurrentBookingId;
    ASSERT_GT(id, 0);
    EXPECT_EQ(editor.fields().lblBooking_id, QString::number(id));
    auto row = stored(id);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->book_start, db.day(3));
    EXPECT_EQ(row->book_end, db.day(5));
    EXPECT_EQ(row->book_start.hour(), 12);
    EXPECT_EQ(row->book_cust_count, 1);
    EXPECT_EQ(row->book_customer_id, db.anna);
    EXPECT_EQ(row->book_mandant_id, 1);
    EXPECT_EQ(row->book_info, "Balkon, O'Neill");
    EXPECT_EQ(row->book_color_id, 4);
    EXPECT_EQ(windows.planRefreshed, 1);
    EXPECT_EQ(list.shown.last(), QStringLiteral("book_place_id = 9|%1|%2|1|-1").arg(id).arg(db.place));

    // The second save edits the same row.
    editor.fields().tbPersoncount = "3";
    ASSERT_TRUE(editor.SaveBooking());
    EXPECT_EQ(editor.state().CurrentBookingId, id);
    EXPECT_EQ(db.bookings(), 1);
    EXPECT_EQ(stored(id)->book_cust_count, 3);
}

TEST_F(Editor, AGuestBookedElsewhereIsOfferedTheGuestsList)
{
    db.addBooking(db.otherPlace, db.anna, 2, 5);
    prepare(editor, db.place, 3, 4, db.anna);
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_FALSE(editor.SaveBooking());   // stored, but the user went on to the list
    EXPECT_EQ(db.bookings(), 2);
    EXPECT_EQ(dialogs->lastMessage().text, "Möchten Sie die Reservierungsliste für \"Meier, Anna\" einsehen?");
    EXPECT_EQ(list.caption, "Reservierungen für Meier, Anna");
    EXPECT_EQ(list.shown.last(),
              QStringLiteral("book_customer_id = %1|%2|%3|1|-1").arg(db.anna).arg(editor.state().CurrentBookingId).arg(db.place));
}

TEST_F(Editor, OfTwoWorkstationsTakingOnePlaceOnlyOneStores)
{
    FakeList otherList;
    BookingEditor other{otherList};
    other.FillRoomList(-1);
    prepare(editor, db.place, 3, 6, db.anna);
    prepare(other, db.place, 4, 8, db.otto);
    ASSERT_FALSE(editor.state().PlaceClash);
    ASSERT_FALSE(other.state().PlaceClash);

    test::DialogScope dialogs;
    EXPECT_TRUE(editor.SaveBooking());
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(other.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceOccupiedText("Haupthaus \\ Erdgeschoss \\ Zimmer 1"));
    EXPECT_EQ(other.fields().tbBuchungDatumColor, (std::array<qint32, 2>{PlaceOccupiedColor, PlaceOccupiedColor}));
    EXPECT_TRUE(other.state().PlaceClash);
    EXPECT_EQ(other.state().CurrentBookingId, -1);
    EXPECT_EQ(db.bookings(), 1);
}

TEST_F(Editor, APlaceTakenWhileTheUserAnswersIsRefusedByTheWrite)
{
    db.addBooking(db.otherPlace, db.anna, 1, 9);
    prepare(editor, db.place, 3, 6, db.anna);
    auto racing = std::make_unique<RacingDialogs>();
    RacingDialogs* dialogs = racing.get();
    auto previous = ui::DialogService::install(std::move(racing));
    dialogs->whileAsking = [&] { db.addBooking(db.place, db.otto, 5, 7); };
    dialogs->answerMessage(ui::Answer::Yes);      // booked elsewhere: book anyway
    dialogs->answerMessage(ui::Answer::Cancel);   // the place refusal
    const bool saved = editor.SaveBooking();
    const auto last = dialogs->lastMessage();
    ui::DialogService::install(std::move(previous));

    EXPECT_FALSE(saved);
    EXPECT_EQ(last.text, PlaceOccupiedText("Haupthaus \\ Erdgeschoss \\ Zimmer 1"));
    EXPECT_EQ(editor.fields().tbBuchungDatumColor[1], PlaceOccupiedColor);
    EXPECT_EQ(db.bookings(), 2);
    // Refused by the write: the plan, which showed the place free, is drawn anew.
    EXPECT_EQ(windows.planRefreshed, 1);
}

TEST_F(Editor, ABookingDeletedMeanwhileNeverTakesAnotherOnesFields)
{
    const qint32 shown = db.addBooking(db.place, db.anna, 3, 5);
    const qint32 gone = db.addBooking(db.otherPlace, db.otto, 3, 5);
    ASSERT_TRUE(editor.LoadBooking(shown));
    test::DeleteBooking(gone);   // by another workstation

    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.LoadBooking(gone));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Reservierung %1 nicht gefunden").arg(gone));
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Information);
    EXPECT_EQ(editor.state().CurrentBookingId, shown);
    EXPECT_EQ(editor.fields().tbBewohner, "Anna Meier");

    // The next save writes what is shown into the booking shown.
    editor.fields().tbBuchungInfo = "changed";
    EXPECT_TRUE(editor.SaveBooking());
    EXPECT_EQ(stored(shown)->book_info, "changed");
    EXPECT_EQ(db.bookings(), 1);

    // The booking shown deleted before its save: told, and the fields become a new booking.
    test::DeleteBooking(shown);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Reservierung %1 nicht gefunden").arg(shown));
    EXPECT_EQ(editor.state().CurrentBookingId, -1);
    EXPECT_EQ(db.bookings(), 0);
    EXPECT_TRUE(editor.SaveBooking());
    EXPECT_EQ(db.bookings(), 1);
    EXPECT_NE(editor.state().CurrentBookingId, shown);
}

TEST_F(Editor, AGuestOrPlaceDeletedElsewhereIsNamedAndNothingStored)
{
    const qint32 eva = db.addGuest("Eva", "Neu");
    prepare(editor, db.place, 3, 6, eva);
    editor.fields().tbPersoncount = "3";
    ASSERT_EQ(test::DeleteCustomer(eva), CustomerDeleteResult::Deleted);   // by another workstation
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, GuestDeletedText("Neu, Eva"));
    EXPECT_EQ(dialogs->lastMessage().title, Refused);
    EXPECT_EQ(list.guestChosen, 1);
    EXPECT_EQ(editor.state().CurrentCustomerId, -1);
    EXPECT_EQ(editor.fields().tbBewohner, "");
    EXPECT_EQ(editor.fields().tbPersoncount, "3");

    editor.AddMainAdress(db.otto, QString());
    ASSERT_EQ(test::DeleteResource(ResourceKind::Place, db.place).result, ResourceDeleteOutcome::Result::Deleted);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, PlaceDeletedText("Haupthaus \\ Erdgeschoss \\ Zimmer 1"));
    EXPECT_EQ(editor.state().CurrentPlaceId, 0);
    EXPECT_EQ(editor.fields().listRooms, -1);
    EXPECT_EQ(editor.places().size(), 1u);
    EXPECT_EQ(db.bookings(), 0);
    EXPECT_EQ(windows.planRefreshed, 0);
}

TEST_F(Editor, TheOpenEndIsShownAndSavedAsSuch)
{
    const qint32 id = db.addBooking(db.place, db.anna, db.day(-3), OpenEndDate());
    ASSERT_TRUE(editor.LoadBooking(id));
    EXPECT_EQ(editor.fields().tbBuchungDatum[1], "01.01.3000");
    editor.BookingDateChanged(1);
    EXPECT_EQ(editor.fields().tbBuchungDatum[1], "01.01.3000");
    test::DialogScope dialogs;
    ASSERT_TRUE(editor.SaveBooking());
    EXPECT_EQ(stored(id)->book_end, OpenEndDate());
    EXPECT_TRUE(IsOpenEnd(stored(id)->book_end));
}

TEST_F(Editor, AReadOnlyWorkstationChangesNothing)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5);
    ASSERT_TRUE(editor.LoadBooking(id));
    editor.fields().tbBuchungInfo = "changed";
    StationReadOnly = true;
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, "Schreibgeschützter Arbeitsplatz");
    editor.DeleteBooking();
    EXPECT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(dialogs->lastMessage().text, "Schreibgeschützter Arbeitsplatz");
    EXPECT_EQ(stored(id)->book_info, "");
    EXPECT_EQ(db.bookings(), 1);
    EXPECT_EQ(windows.planRefreshed, 0);
}

TEST_F(Editor, DeleteAsksThenRemovesTheBookingEverywhere)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5);
    ASSERT_TRUE(editor.LoadBooking(id));
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Cancel);
    editor.DeleteBooking();
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Wollen Sie die Buchung %1 - %2 wirklich löschen?").arg(db.dayText(3), db.dayText(5)));
    EXPECT_EQ(db.bookings(), 1);

    dialogs->answerMessage(ui::Answer::Ok);
    editor.DeleteBooking();
    EXPECT_EQ(db.bookings(), 0);
    EXPECT_EQ(list.removed, QList<qint32>{id});
    EXPECT_EQ(windows.planRefreshed, 1);
    EXPECT_EQ(editor.state().CurrentBookingId, -1);
    EXPECT_EQ(editor.state().CurrentCustomerId, -1);
    EXPECT_TRUE(editor.fields().tbBewohner.isEmpty());
    EXPECT_EQ(editor.fields().lbBookingStatus, "frei");
}

TEST_F(Editor, HistoryGoesBackThroughTheLoadedBookings)
{
    const qint32 a = db.addBooking(db.place, db.anna, 1, 2);
    const qint32 b = db.addBooking(db.place, db.anna, 3, 4);
    const qint32 c = db.addBooking(db.place, db.anna, 5, 6);
    editor.LoadBooking(a);
    editor.LoadBooking(b);
    editor.LoadBooking(c);
    editor.BackHistory();
    EXPECT_EQ(editor.state().CurrentBookingId, b);
    editor.BackHistory();
    EXPECT_EQ(editor.state().CurrentBookingId, a);
    editor.BackHistory();
    editor.BackHistory();
    EXPECT_EQ(editor.state().CurrentBookingId, a);   // slots never written
    EXPECT_EQ(list.selected, (QList<qint32>{b, a}));
}

TEST_F(Editor, AnotherGuestReplacesTheSetOneOnlyWhenConfirmed)
{
    test::DialogScope dialogs;
    EXPECT_TRUE(editor.AddMainAdress(db.anna, "Anna Meier"));
    EXPECT_EQ(editor.fields().tbBewohner, "Meier, Anna");
    EXPECT_EQ(editor.fields().tbPersoncount, "1");
    EXPECT_TRUE(editor.AddMainAdress(db.anna, "Anna Meier"));   // the same guest: no question
    EXPECT_TRUE(dialogs->messages().empty());

    dialogs->answerMessage(ui::Answer::No);
    EXPECT_FALSE(editor.AddMainAdress(db.otto, " "));
    EXPECT_EQ(dialogs->lastMessage().text, "Diese Reservierung gilt bereits für \"Meier, Anna\".\n"
                                           "Wollen Sie diese Reservierung stattdessen auf den von Ihnen neu gewählten "
                                           "Gast übertragen?");
    EXPECT_EQ(editor.state().CurrentCustomerId, db.anna);
    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_TRUE(editor.AddMainAdress(db.otto, "Otto Brückner"));
    EXPECT_EQ(editor.state().CurrentCustomerId, db.otto);
    EXPECT_EQ(editor.fields().tbBewohner, "Brückner, Otto");
}

TEST_F(Editor, DateBoxesKeepTheEndAfterTheStart)
{
    auto& boxes = editor.fields().tbBuchungDatum;
    boxes = {db.dayText(9), db.dayText(5)};
    editor.BookingDateChanged(0);
    EXPECT_EQ(boxes[1], db.dayText(10));
    boxes = {db.dayText(9), db.dayText(5)};
    editor.BookingDateChanged(1);
    EXPECT_EQ(boxes[0], db.dayText(4));
    boxes = {db.dayText(2), ""};
    editor.BookingDateChanged(1);
    EXPECT_EQ(boxes[1], db.dayText(3));
    boxes[0] = rt::formatDate(db.day(7), "ddmmyyyy");
    editor.BookingDateChanged(0);
    EXPECT_EQ(boxes[0], db.dayText(7));
    EXPECT_EQ(boxes[1], db.dayText(8));
    editor.StepBookingDate(1, -1);   // "+": one day later
    EXPECT_EQ(boxes[1], db.dayText(9));
    editor.StepBookingDate(0, 1);    // "-": one day earlier
    EXPECT_EQ(boxes[0], db.dayText(6));
}

TEST_F(Editor, ADepartureThatCannotBeReadStaysEmptyAndTheSaveIsRefused)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 8);
    test::DialogScope dialogs;
    for (const char* typed : {"19.12.", "5.1.", "heute", "2027-01-05", "31.02.2027"}) {
        ASSERT_TRUE(editor.LoadBooking(id));
        auto& boxes = editor.fields().tbBuchungDatum;
        boxes[1] = QString::fromUtf8(typed);
        editor.BookingDateChanged(1);
        EXPECT_EQ(boxes[1], "") << typed;
        // Neither a new arrival nor entering the box puts another day there.
        boxes[0] = db.dayText(4);
        editor.BookingDateChanged(0);
        editor.DateBoxEntered(1);
        EXPECT_EQ(boxes[1], "") << typed;
        dialogs->answerMessage(ui::Answer::Ok);
        EXPECT_FALSE(editor.SaveBooking());
        EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");
        EXPECT_EQ(stored(id)->book_start, db.day(3));
        EXPECT_EQ(stored(id)->book_end, db.day(8));
    }
    // Nor where a stored departure cannot be read.
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_end = 'Ostern' WHERE book_id = %1").arg(id));
    ASSERT_TRUE(editor.LoadBooking(id));
    editor.fields().tbBuchungDatum[0] = db.dayText(4);
    editor.BookingDateChanged(0);
    EXPECT_EQ(editor.fields().tbBuchungDatum[1], "");
    // Nothing typed there: the day after the arrival, as before.
    editor.NewBooking();
    editor.fields().tbBuchungDatum[0] = db.dayText(4);
    editor.BookingDateChanged(0);
    EXPECT_EQ(editor.fields().tbBuchungDatum[1], db.dayText(5));
}

TEST_F(Editor, TheInvoiceIsTheShownBookingsNeverAnEarlierOne)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5);
    db.database.exec(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_booking_id, inv_customer_id) VALUES (17, %1, %2)")
                         .arg(id)
                         .arg(db.anna));
    ASSERT_TRUE(editor.LoadBooking(id));
    EXPECT_EQ(editor.fields().lblInvoice_id, 17);
    editor.OpenInvoice();
    editor.NewBooking();
    EXPECT_EQ(editor.fields().lblInvoice_id, 0);
    editor.OpenInvoice();
    EXPECT_EQ(windows.opened, (QStringList{QStringLiteral("ShowRechnung(17|%1|%2)").arg(db.anna).arg(id),
                                           QStringLiteral("ShowRechnung(0|-1|-1)")}));
}

TEST_F(Editor, ThePlaceListFollowsTheFacilityAndABookingKeepsItsOwn)
{
    db.addPlace(db.floor, "Abstellraum", true);
    editor.FillRoomList(-1);
    ASSERT_EQ(editor.places().size(), 2u);
    EXPECT_EQ(editor.places()[0].text, "Haupthaus \\ Erdgeschoss \\ Zimmer 1");
    const qint32 away = db.insert("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (2, 'Seehaus')", "tbl_buildings");
    const qint32 awayFloor = db.insert(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_name) VALUES (%1, 'OG')").arg(away),
                                       "tbl_floors");
    const qint32 awayPlace = db.addPlace(awayFloor, "Suite");
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5);

    MandantId = 2;
    EXPECT_TRUE(editor.RefreshRoomList());
    ASSERT_EQ(editor.places().size(), 1u);
    EXPECT_EQ(editor.places()[0].pl_id, awayPlace);
    EXPECT_FALSE(editor.RefreshRoomList());

    // A booking of facility 1 edited while the plan shows facility 2 stays in facility 1.
    ASSERT_TRUE(editor.LoadBooking(id));
    test::DialogScope dialogs;
    ASSERT_TRUE(editor.SaveBooking());
    EXPECT_EQ(stored(id)->book_mandant_id, 1);
}

TEST_F(Editor, PersonCountIsAWholeNumberOfAtLeastOne)
{
    EXPECT_EQ(BookingEditor::NormalizedPersonCount(""), "1");
    EXPECT_EQ(BookingEditor::NormalizedPersonCount("-3"), "1");
    EXPECT_EQ(BookingEditor::NormalizedPersonCount("4 Pers."), "4");
    EXPECT_EQ(BookingEditor::NormalizedPersonCount("99999"), "9999");
    editor.fields().tbPersoncount = "1";
    editor.PersonCountStep(0);
    EXPECT_EQ(editor.fields().tbPersoncount, "1");
    editor.PersonCountStep(1);
    EXPECT_EQ(editor.fields().tbPersoncount, "2");
}

TEST_F(Editor, AfterASaveTheNextComparesWithWhatItStored)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5, 1);
    ASSERT_TRUE(editor.LoadBooking(id));
    test::DialogScope dialogs;
    for (int persons : {2, 3}) {
        editor.fields().tbPersoncount = QString::number(persons);
        editor.Receive_SelectedColor(persons);
        ASSERT_TRUE(editor.SaveBooking());   // never asked about its own earlier save
        EXPECT_EQ(stored(id)->book_cust_count, persons);
    }
    EXPECT_EQ(stored(id)->book_color_id, 3);
}

TEST_F(Editor, ADateStoredAsTextShowsEmptyAndOnlyATypedDateReplacesIt)
{
    const qint32 id = db.addBooking(db.place, db.anna, 3, 5);
    db.database.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = 'nach Ostern', book_end = 'bis Ostern' WHERE book_id = %1").arg(id));
    // Until it is mended the booking holds its place on any day.
    {
        prepare(editor, db.place, 40, 42, db.otto);
        EXPECT_TRUE(editor.state().PlaceClash);
        test::DialogScope dialogs;
        dialogs->answerMessage(ui::Answer::Cancel);
        EXPECT_FALSE(editor.SaveBooking());
        // The refusal names what holds the place and how to mend it.
        EXPECT_EQ(dialogs->lastMessage().text, OccupiedRefusalText("Haupthaus \\ Erdgeschoss \\ Zimmer 1", id));
        EXPECT_TRUE(dialogs->lastMessage().text.contains(
            "Die Reservierung " + QString::number(id) + " für \"Anna Meier\" in \"Zimmer 1\" hat ein ungültiges Anreisedatum"));
        EXPECT_EQ(db.bookings(), 1);
    }
    // Beside it a sound booking of the same room: a change of its note alone
    // takes no place and is stored; a longer stay is refused.
    const qint32 beside = db.addBooking(db.place, db.otto, 10, 12);
    {
        ASSERT_TRUE(editor.LoadBooking(beside));
        test::DialogScope dialogs;
        editor.fields().tbBuchungInfo = QStringLiteral("Spätanreise");
        EXPECT_TRUE(editor.SaveBooking());
        EXPECT_EQ(stored(beside)->book_info, QStringLiteral("Spätanreise"));
        editor.fields().tbBuchungDatum[1] = test::BookingDb::dayText(13);
        dialogs->answerMessage(ui::Answer::Cancel);
        EXPECT_FALSE(editor.SaveBooking());
        EXPECT_EQ(stored(beside)->book_end, db.day(12));
    }
    ASSERT_TRUE(editor.LoadBooking(id));
    EXPECT_EQ(editor.fields().tbBuchungDatum, (std::array<QString, 2>{}));   // not 30.12.1899
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.SaveBooking());
    EXPECT_EQ(dialogs->lastMessage().text, "Der Reservierungszeitraum ist nicht korrekt angegeben.");

    editor.fields().tbBuchungDatum = {db.dayText(2), db.dayText(6)};
    ASSERT_TRUE(editor.SaveBooking());
    EXPECT_EQ(stored(id)->book_start, db.day(2));
    EXPECT_EQ(stored(id)->book_end, db.day(6));
    EXPECT_FALSE(IsPlaceBooked(db.place, db.day(40), db.day(42), 0));
}
