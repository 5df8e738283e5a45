#include "bookings/bookingeditor.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/places.h"
#include "core/terms.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <algorithm>

namespace {

const QString DayPattern = QStringLiteral("dd.mm.yyyy");

QString refusedTitle()
{
    return QStringLiteral("Reservierung verweigert");
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString notFoundText()
{
    return QStringLiteral("Eventuell wurde diese Reservierung zwischenzeitlich von einem anderen Mitarbeiter gelöscht. "
                          "Aktualisieren Sie Ihre Suchergebnisse, indem Sie auf \"Liste aktualisieren\" klicken.");
}

void reportNotFound(qint32 bookId)
{
    ui::msgBox(notFoundText(), ui::Information,
               QStringLiteral("Reservierung ") + QString::number(bookId) + QStringLiteral(" nicht gefunden"));
}

}  // namespace

std::optional<rt::Date> BookingDay(const QString& text)
{
    if (rt::trim(text).isEmpty())
        return std::nullopt;
    const std::optional<rt::Date> date = db::parseDate(text);
    if (!date)
        return std::nullopt;
    return date->datePart().atNoon();
}

QString BookingDayText(const db::Value& stored)
{
    if (!IsReadableDate(stored))
        return QString();
    return rt::formatDate(stored.toDate(), DayPattern);
}

bool BookingEditor::FillRoomList(qint32 selectPlaceId)
{
    ui::WaitCursor wait;
    m_places.clear();
    m_placesMandantId = MandantId;
    ++m_placesVersion;
    for (const BookablePlace& p : BookablePlacesOfMandant(MandantId))
        m_places.push_back({p.pl_id, rt::trim(p.bld_name + QStringLiteral(" \\ ") + p.flr_name + QStringLiteral(" \\ ") + p.pl_name)});
    const bool found = std::any_of(m_places.begin(), m_places.end(), [&](const PlaceListEntry& e) { return e.pl_id == selectPlaceId; });
    m_fields.listRooms = selectPlaceId > 0 && found ? selectPlaceId : -1;
    return true;
}

bool BookingEditor::RefreshRoomList()
{
    if (m_placesMandantId == MandantId)
        return false;
    return FillRoomList(m_state.CurrentPlaceId);
}

QString BookingEditor::listRoomsText() const
{
    return placeText(m_fields.listRooms);
}

QString BookingEditor::placeText(qint32 placeId) const
{
    for (const PlaceListEntry& e : m_places) {
        if (e.pl_id == placeId)
            return e.text;
    }
    return QString();
}

void BookingEditor::remember(qint32 bookId)
{
    m_state.HistoryIds[static_cast<size_t>(m_state.HistoryPos)] = bookId;
    m_state.HistoryPos = (m_state.HistoryPos + 1) % 10;
}

bool BookingEditor::LoadBooking(qint32 bookId)
{
    std::optional<RowValues> row;
    {
        FillingListsGuard filling;
        ui::WaitCursor wait;
        row = ReadBookingRow(bookId);
    }
    if (!row) {
        // The fields keep the booking they show, and so does the id: a save
        // now must not write them over another booking.
        reportNotFound(bookId);
        CheckConflicts(CheckGuestAndPlace);
        m_fields.lblInvoice_id = GetLastInvoiceIdOfBooking(m_state.CurrentBookingId);
        return false;
    }
    if (bookId != m_state.CurrentBookingId) {
        m_state.CurrentBookingId = bookId;
        remember(bookId);
    }
    showRow(*row);
    CheckConflicts(CheckGuestAndPlace);
    m_fields.lblInvoice_id = GetLastInvoiceIdOfBooking(m_state.CurrentBookingId);
    return true;
}

void BookingEditor::showRow(const RowValues& row)
{
    const Booking booking = BookingFromRow(row);
    std::optional<Customer> guest;
    if (booking.book_customer_id > 0) {
        FillingListsGuard filling;
        guest = LoadCustomer(booking.book_customer_id);
    }
    BookingEditorState& s = m_state;
    BookingEditorFields& f = m_fields;
    f.lblBooking_id = QString::number(booking.book_id);
    f.lblEditDateTime = booking.book_bearb_date.isZero() ? QString() : rt::formatDate(booking.book_bearb_date, DateTimeFormat);
    f.lblBearbeiter.clear();
    s.CurrentPlaceId = booking.book_place_id;
    s.CurrentCustomerId = booking.book_customer_id > 0 ? booking.book_customer_id : -1;
    s.BookingMandantId = booking.book_mandant_id;
    f.tbBewohner = guest ? rt::trim(guest->cust_firstname + QLatin1Char(' ') + guest->cust_lastname) : QString();
    f.tbBewohnerColor = WhiteColor;
    setPersonCount(QString::number(booking.book_cust_count));
    f.tbBuchungInfo = booking.book_info;
    const bool listed = std::any_of(m_places.begin(), m_places.end(), [&](const PlaceListEntry& e) { return e.pl_id == s.CurrentPlaceId; });
    f.listRooms = s.CurrentPlaceId > 0 && listed ? s.CurrentPlaceId : -1;
    // A date that cannot be read shows empty, not as the calendar's day zero:
    // the save then asks for it, and only a typed date replaces the stored one.
    f.tbBuchungDatum[0] = BookingDayText(row.value(QStringLiteral("book_start")));
    f.tbBuchungDatum[1] = BookingDayText(row.value(QStringLiteral("book_end")));
    m_departureUnread = f.tbBuchungDatum[1].isEmpty();
    f.tbBuchungDatumColor = {WhiteColor, WhiteColor};
    // An index beyond what the column holds names no colour, not the last one.
    const bool colourHeld = booking.book_color_id >= 0 && booking.book_color_id <= 255;
    s.BookingColorIndex = static_cast<quint8>(colourHeld ? booking.book_color_id : 0);
    m_loaded = row;
    m_base = BookingColumns(bookingFromFields());
}

void BookingEditor::forgetLoadedRow()
{
    m_loaded.reset();
    m_base.clear();
}

Booking BookingEditor::bookingFromFields() const
{
    const BookingEditorState& s = m_state;
    const BookingEditorFields& f = m_fields;
    Booking booking;
    booking.book_id = s.CurrentBookingId > 0 ? s.CurrentBookingId : 0;
    // A stored booking stays with its facility, whichever the plan shows now.
    booking.book_mandant_id = s.CurrentBookingId > 0 && s.BookingMandantId > 0 ? s.BookingMandantId : MandantId;
    booking.book_place_id = s.CurrentPlaceId;
    booking.book_customer_id = s.CurrentCustomerId;
    const double persons = rt::val(f.tbPersoncount);
    booking.book_cust_count = persons == 0 ? 1 : rt::cint(persons);
    booking.book_start = BookingDay(f.tbBuchungDatum[0]).value_or(rt::Date());
    booking.book_end = BookingDay(f.tbBuchungDatum[1]).value_or(rt::Date());
    booking.book_info = f.tbBuchungInfo;
    booking.book_color_id = s.BookingColorIndex;
    return booking;
}

void BookingEditor::ClearBookingEditor()
{
    BookingEditorFields& f = m_fields;
    f.lblBooking_id.clear();
    f.lblEditDateTime.clear();
    f.lblInvoice_id = 0;
    f.listRooms = -1;
    f.tbBewohner.clear();
    f.tbBewohnerColor = WhiteColor;
    f.tbBuchungDatum = {};
    m_departureUnread = false;
    f.tbBuchungDatumColor = {WhiteColor, WhiteColor};
    f.tbBuchungInfo.clear();
    f.lbBookingStatus = QStringLiteral("frei");
    // What the fields no longer show is no longer part of the booking.
    m_state.CurrentBookingId = -1;
    m_state.CurrentCustomerId = -1;
    m_state.CurrentPlaceId = 0;
    m_state.CustomerClash = false;
    m_state.PlaceClash = false;
    m_state.BookingColorIndex = 0;
    m_state.BookingMandantId = 0;
    forgetLoadedRow();
}

void BookingEditor::MakeShownFieldsNew()
{
    m_state.CurrentBookingId = -1;
    m_state.BookingMandantId = 0;
    forgetLoadedRow();
    m_fields.lblBooking_id.clear();
    m_fields.lblEditDateTime.clear();
    m_fields.lblInvoice_id = 0;
}

void BookingEditor::refuse(const QString& text)
{
    ui::msgBox(text, ui::Exclamation, refusedTitle());
}

void BookingEditor::markPlaceOccupied()
{
    m_state.PlaceClash = true;
    m_fields.tbBuchungDatumColor = {PlaceOccupiedColor, PlaceOccupiedColor};
}

bool BookingEditor::refusePlace(qint32 placeId, qint32 occupyingId, const std::optional<Booking>& merged)
{
    // The plan may still show the place free for the period.
    RefreshPlan();
    QString name = placeText(placeId);
    if (name.isEmpty()) {
        const std::optional<Place> place = LoadPlace(placeId);
        name = place ? rt::trim(place->pl_name) : QString();
    }
    if (ui::msgBox(OccupiedRefusalText(name, occupyingId, merged), ui::OkCancel | ui::Question, refusedTitle()) ==
        ui::Answer::Ok)
        m_host.ShowBookings(QString(), m_state.CurrentBookingId, placeId, true, -1);
    return false;
}

bool BookingEditor::occupancyEdited(const Booking& booking) const
{
    if (booking.book_id <= 0 || !m_loaded)
        return true;
    const RowValues changed = ChangedColumns(m_base, BookingColumns(booking));
    for (const char* column : {"book_place_id", "book_start", "book_end", "book_cust_count"}) {
        if (changed.contains(QString::fromLatin1(column)))
            return true;
    }
    return false;
}

void BookingEditor::mendUnshown(const QString& column)
{
    // The field showed a stored value it cannot hold (0 persons as 1): what
    // the user enters replaces that value, even the value shown.
    if (!m_loaded || !m_base.contains(column))
        return;
    const db::Value stored = m_loaded->value(column);
    const db::Value shown = m_base.value(column);
    const bool same = stored.isNumeric() && shown.isNumeric() ? stored.toDouble() == shown.toDouble() : stored == shown;
    if (!same)
        m_base.insert(column, stored);
}

void BookingEditor::PersonCountEdited()
{
    mendUnshown(QStringLiteral("book_cust_count"));
}

bool BookingEditor::SaveBooking()
{
    if (RefuseReadOnly())
        return false;
    BookingEditorState& s = m_state;
    BookingEditorFields& f = m_fields;
    const std::optional<rt::Date> start = BookingDay(f.tbBuchungDatum[0]);
    const std::optional<rt::Date> end = BookingDay(f.tbBuchungDatum[1]);
    // A period that ends before it starts would overlap nothing and so pass
    // every check.
    if (!start || !end || !(*start < *end)) {
        refuse(PeriodRefusalText());
        return false;
    }
    // The flags of the last check may be old: another workstation may have
    // booked since, or the list made the shown booking a new one.
    if (!CheckConflicts(CheckGuestAndPlace, true))
        return false;
    if (s.CurrentPlaceId <= 0) {
        refuse(QStringLiteral("Es fehlt die Raum-Angabe."));
        return false;
    }
    if (s.CustomerClash) {
        const QString question = quoted(f.tbBewohner) +
                                 QStringLiteral(" ist im Reservierungszeitraum bereits an anderer Stelle gebucht.\n\n"
                                                "Trotzdem reservieren?");
        if (ui::msgBox(question, ui::YesNo | ui::Question | ui::DefaultButton2, QStringLiteral("Doppelte Reservierung"))
            != ui::Answer::Yes)
            return false;
    }
    if (rt::val(f.tbPersoncount) == 0)
        setPersonCount(QStringLiteral("1"));
    Booking booking = bookingFromFields();
    // Only a new place, period or person count can take a place: a booking
    // that keeps them is not held back by another one overlapping it.
    if (s.PlaceClash && occupancyEdited(booking))
        return refusePlace(s.CurrentPlaceId,
                           OccupyingBooking(s.CurrentPlaceId, *start, *end,
                                            s.CurrentBookingId > 0 ? QList<qint32>{s.CurrentBookingId} : QList<qint32>{}));
    if (s.CurrentCustomerId < 1) {
        refuse(GuestRequiredText());
        return false;
    }

    const bool stored = booking.book_id > 0;
    StoreOutcome outcome;
    if (!stored) {
        ui::WaitCursor wait;
        outcome = StoreBooking(booking);
    } else if (!m_loaded) {
        // Loaded rows are kept from every load and save: none means it is gone.
        outcome.result = StoreResult::NotFound;
    } else {
        const qint32 bookId = booking.book_id;
        std::optional<ui::WaitCursor> wait(std::in_place);
        outcome = StoreBookingChanges(bookId, *m_loaded, ChangedColumns(m_base, BookingColumns(booking)),
                                      [&wait, bookId](const RowMerge& merge) {
                                          wait.reset();
                                          const ClashChoice choice = AskClash(
                                              QStringLiteral("Die Reservierung ") + QString::number(bookId),
                                              BookingMergeFields(), merge);
                                          wait.emplace();
                                          return choice;
                                      });
    }
    if (outcome.result == StoreResult::Cancelled)
        return false;   // the user goes on editing what is shown
    // A refusal of what a merge made: the window shows the booking as stored,
    // and the message says where and when it would have been.
    std::optional<Booking> merged;
    if (outcome.changedElsewhere && outcome.result != StoreResult::NotFound) {
        merged = outcome.refused;
        if (const std::optional<RowValues> row = ReadBookingRow(s.CurrentBookingId)) {
            showRow(*row);
            CheckConflicts(CheckGuestAndPlace);
        }
    }
    if (outcome.result == StoreResult::PeriodInvalid) {
        refuse(PeriodRefusalText(merged));
        return false;
    }
    if (outcome.result == StoreResult::PlaceOccupied) {
        if (!merged)
            markPlaceOccupied();
        return refusePlace(outcome.placeId > 0 ? outcome.placeId : s.CurrentPlaceId, outcome.bookingId, merged);
    }
    if (outcome.result == StoreResult::PlaceMissing) {
        refuse(PlaceDeletedText(listRoomsText()));
        s.CurrentPlaceId = 0;
        // Read again, the list no longer offers it.
        FillRoomList(-1);
        return false;
    }
    if (outcome.result == StoreResult::GuestMissing) {
        // The guest goes; the typed person count stays for the next one.
        const QString guest = f.tbBewohner;
        f.tbBewohner.clear();
        f.tbBewohnerColor = WhiteColor;
        s.CurrentCustomerId = -1;
        s.CustomerClash = false;
        if (ui::msgBox(GuestDeletedText(guest), ui::YesNo | ui::Exclamation, refusedTitle()) == ui::Answer::Yes)
            m_host.ChooseGuest();
        return false;
    }
    if (outcome.result == StoreResult::NotFound) {
        // Deleted meanwhile: what the fields hold may be saved again as a new booking.
        reportNotFound(s.CurrentBookingId);
        MakeShownFieldsNew();
        return false;
    }
    if (stored) {
        m_saved = outcome.row;
        // Where another workstation's change was kept, the fields show the
        // booking as it is stored now.
        if (outcome.changedElsewhere || !outcome.notWritten.isEmpty()) {
            showRow(outcome.row);
            CheckConflicts(CheckGuestAndPlace);
        } else {
            m_loaded = outcome.row;
            m_base = BookingColumns(bookingFromFields());
        }
        const rt::Date edited = outcome.stored.book_bearb_date;
        f.lblEditDateTime = edited.isZero() ? QString() : rt::formatDate(edited, DateTimeFormat);
    } else {
        s.CurrentBookingId = booking.book_id;
        s.BookingMandantId = booking.book_mandant_id;
        f.lblBooking_id = QString::number(booking.book_id);
        f.lblEditDateTime = rt::formatDate(booking.book_bearb_date, DateTimeFormat);
        m_loaded = ReadBookingRow(booking.book_id);
        m_base = BookingColumns(bookingFromFields());
        m_saved = m_loaded.value_or(BookingColumns(booking));
    }

    // The list's refresh may empty the editor; the offer below names the guest saved.
    const bool guestClash = s.CustomerClash;
    const QString guestName = f.tbBewohner;
    const qint32 guestId = s.CurrentCustomerId;
    const qint32 bookId = s.CurrentBookingId;
    const qint32 placeId = s.CurrentPlaceId;
    m_host.ShowBookings(s.ListFilter, bookId, placeId, true, -1);
    RefreshPlan();

    if (guestClash) {
        const QString question =
            QStringLiteral("Möchten Sie die Reservierungsliste für ") + quoted(guestName) + QStringLiteral(" einsehen?");
        if (ui::msgBox(question, ui::YesNo | ui::Question, QStringLiteral("Doppelte Reservierung")) == ui::Answer::Yes) {
            m_host.SetCaption(QStringLiteral("Reservierungen für ") + guestName);
            m_host.ShowBookings(QStringLiteral("book_customer_id = ") + QString::number(guestId), bookId, placeId, true, -1);
            return false;
        }
    }
    return true;
}

void BookingEditor::DeleteBooking()
{
    if (RefuseReadOnly())
        return;
    const qint32 bookId = m_state.CurrentBookingId;
    if (bookId <= 0 || !m_loaded) {
        // Nothing stored to delete: the fields go.
        const QString question = QStringLiteral("Wollen Sie die Buchung ") + m_fields.tbBuchungDatum[0] +
                                 QStringLiteral(" - ") + m_fields.tbBuchungDatum[1] + QStringLiteral(" wirklich löschen?");
        if (ui::msgBox(question, ui::OkCancel | ui::Question | ui::DefaultButton2, QStringLiteral("Buchung löschen"))
            == ui::Answer::Ok)
            ClearBookingEditor();
        return;
    }
    const DeleteResult result = DeleteShownBooking(bookId, *m_loaded, [bookId](const RowValues& stored, const RowMerge& since) {
        if (!since.kept.isEmpty())
            return AskDeleteClash(QStringLiteral("Die Reservierung ") + QString::number(bookId), BookingMergeFields(), since) ==
                   ClashChoice::Mine;
        // Named as stored, whatever the fields show now.
        const QString question = QStringLiteral("Wollen Sie die Buchung ") +
                                 BookingDayText(stored.value(QStringLiteral("book_start"))) + QStringLiteral(" - ") +
                                 BookingDayText(stored.value(QStringLiteral("book_end"))) +
                                 QStringLiteral(" wirklich löschen?");
        return ui::msgBox(question, ui::OkCancel | ui::Question | ui::DefaultButton2, QStringLiteral("Buchung löschen")) ==
               ui::Answer::Ok;
    });
    if (result == DeleteResult::Cancelled)
        return;
    if (result == DeleteResult::Missing)
        reportNotFound(bookId);
    m_host.RemoveFromList(bookId);
    ClearBookingEditor();
    RefreshPlan();
}

void BookingEditor::NewBooking()
{
    MakeShownFieldsNew();
    m_fields.tbBewohner.clear();
    m_fields.tbBewohnerColor = WhiteColor;
    m_state.CurrentCustomerId = -1;
    m_state.CustomerClash = false;
    m_fields.tbBuchungDatum = {};
    m_departureUnread = false;
    m_fields.tbBuchungDatumColor = {WhiteColor, WhiteColor};
    m_fields.tbBuchungInfo.clear();
}

QString BookingEditor::UnsavedEdit() const
{
    const QString guest =
        m_fields.tbBewohner.isEmpty() ? QString() : QStringLiteral(" für \"") + m_fields.tbBewohner + QStringLiteral("\"");
    const QString note = rt::trim(m_fields.tbBuchungInfo);
    if (m_state.CurrentBookingId < 1) {
        if (m_state.CurrentCustomerId < 1 && note.isEmpty())
            return QString();
        return QStringLiteral("Buchungen: eine neue Buchung") + guest;
    }
    if (m_loaded && ChangedColumns(m_base, BookingColumns(bookingFromFields())).isEmpty())
        return QString();
    return QStringLiteral("Buchungen: Änderungen an der Buchung ") + QString::number(m_state.CurrentBookingId) + guest;
}

void BookingEditor::Undo()
{
    if (m_state.CurrentBookingId > 0)
        LoadBooking(m_state.CurrentBookingId);
}

void BookingEditor::BackHistory()
{
    BookingEditorState& s = m_state;
    s.HistoryPos -= 2;
    if (s.HistoryPos < 0)
        s.HistoryPos += 10;
    const qint32 bookId = s.HistoryIds[static_cast<size_t>(s.HistoryPos)];
    if (bookId <= 0)
        return;
    if (LoadBooking(bookId))
        m_host.SelectBookingInList(s.CurrentBookingId);
    else
        s.HistoryPos = (s.HistoryPos + 1) % 10;  // as if loaded: the slot holds that id already
}

void BookingEditor::CreateNewBooking(qint32 placeId, const QString& startText, const QString& endText)
{
    if (placeId <= 0)
        return;
    RefreshRoomList();
    ClearBookingEditor();
    m_host.ShowBookings(QString(), -1, placeId, false, -1);
    m_state.CurrentPlaceId = placeId;
    m_state.CurrentCustomerId = -1;
    m_fields.tbBuchungDatum = {startText, endText};
    const bool listed = std::any_of(m_places.begin(), m_places.end(), [&](const PlaceListEntry& e) { return e.pl_id == placeId; });
    m_fields.listRooms = listed ? placeId : -1;
    CheckConflicts(CheckGuestAndPlace);
}

bool BookingEditor::AddMainAdress(qint32 custId, const QString& name)
{
    if (custId < 0)
        return false;
    // Deleted elsewhere since the address book showed it: nothing to book for.
    if (custId >= 1 && !LoadCustomer(custId)) {
        ui::msgBox(GuestGoneText(name), ui::Exclamation, GetResString(1343, {{QStringLiteral("%s"), TermPersonSingular}}));
        return false;
    }
    const QString who =
        rt::trim(name).isEmpty()
            ? AccusativeOf(TermPersonSingular, TermKind::Person, Article::Definite, QStringLiteral("von Ihnen neu gewählt"))
            : quoted(name);
    if (m_state.CurrentCustomerId >= 1 && custId != m_state.CurrentCustomerId) {
        const QString question = QStringLiteral("Diese Reservierung gilt bereits für ") + quoted(m_fields.tbBewohner) +
                                 QStringLiteral(".\nWollen Sie diese Reservierung stattdessen auf ") + who +
                                 QStringLiteral(" übertragen?");
        if (ui::msgBox(question, ui::YesNo | ui::Question, QStringLiteral("Reservierung ändern")) != ui::Answer::Yes)
            return false;
    }
    m_state.CurrentCustomerId = custId;
    ShowBookingGuest();
    CheckConflicts(CheckGuest);
    return true;
}

void BookingEditor::ShowBookingGuest()
{
    if (m_state.CurrentCustomerId < 1) {
        m_fields.tbBewohner.clear();
        setPersonCount(QString());
        return;
    }
    m_fields.tbBewohner = GetCustomerName(QStringLiteral("tbl_customers"), m_state.CurrentCustomerId);
    if (rt::val(m_fields.tbPersoncount) == 0)
        setPersonCount(QStringLiteral("1"));
}

void BookingEditor::RemoveGuest()
{
    m_fields.tbBewohner.clear();
    m_state.CurrentCustomerId = -1;
    m_state.CustomerClash = false;
    setPersonCount(QString());
    m_fields.tbBewohnerColor = WhiteColor;
}

void BookingEditor::Receive_SelectedColor(int index)
{
    // The colour table holds ids a booking's colour column cannot: such a
    // colour is refused, never another one stored in its place.
    if (index < 0 || index > 255) {
        ui::msgBox(QStringLiteral("Die Farbe Nr. %1 kann einer Buchung nicht gegeben werden: eine Buchung nimmt nur die "
                                  "Farben bis Nr. 255. Die Buchung behält ihre Farbe.")
                       .arg(index),
                   ui::Exclamation, AppTitle);
        return;
    }
    m_state.BookingColorIndex = static_cast<quint8>(index);
    mendUnshown(QStringLiteral("book_color_id"));
}

void BookingEditor::PlaceChosen(qint32 placeId)
{
    if (placeId <= 0)
        return;
    m_fields.listRooms = placeId;
    m_state.CurrentPlaceId = placeId;
    CheckConflicts(CheckGuestAndPlace);
}

bool BookingEditor::CheckConflicts(int mode, bool saving)
{
    // The rule of CheckBookingConflicts, on the fields instead of the boxes.
    const std::optional<rt::Date> start = BookingDay(m_fields.tbBuchungDatum[0]);
    const std::optional<rt::Date> end = BookingDay(m_fields.tbBuchungDatum[1]);
    if (!start || !end)
        return true;
    BookingEditorState& s = m_state;
    try {
        if (mode == CheckGuest || mode == CheckGuestAndPlace) {
            s.CustomerClash = IsCustomerBooked(s.CurrentCustomerId, *start, *end, s.CurrentBookingId);
            m_fields.tbBewohnerColor = s.CustomerClash ? GuestBookedColor : ConflictFreeColor;
        }
        if (mode == CheckPlace || mode == CheckGuestAndPlace)
            s.PlaceClash = IsPlaceBooked(s.CurrentPlaceId, *start, *end, s.CurrentBookingId);
    } catch (const db::DbError& error) {
        // Neither free nor booked is known.
        m_fields.tbBewohnerColor = WhiteColor;
        m_fields.tbBuchungDatumColor = {WhiteColor, WhiteColor};
        if (saving)
            refuse(ConflictCheckFailedText(error, true));
        else
            ui::msgBox(ConflictCheckFailedText(error, false), ui::Exclamation);
        return false;
    }
    // The dates show the worse of both results, also the one not checked
    // again: taking a guest must not paint an occupied place green.
    const qint32 colour = s.PlaceClash ? PlaceOccupiedColor : s.CustomerClash ? GuestBookedColor : ConflictFreeColor;
    m_fields.tbBuchungDatumColor = {colour, colour};
    return true;
}

void BookingEditor::StepBookingDate(int which, int delta)
{
    QString& box = m_fields.tbBuchungDatum[static_cast<size_t>(which)];
    const std::optional<rt::Date> day = BookingDay(box);
    box = rt::formatDate(day ? day->addDays(-delta) : rt::Date::today(), DateFormat);
    BookingDateChanged(which);
}

void BookingEditor::BookingDateChanged(int which)
{
    CompleteStayDates(m_fields.tbBuchungDatum, which, m_departureUnread);
    CheckConflicts(CheckGuestAndPlace);
}

void BookingEditor::DateBoxEntered(int which)
{
    QString& box = m_fields.tbBuchungDatum[static_cast<size_t>(which)];
    // A departure typed unreadably stays empty until a day is typed or picked.
    if (!box.isEmpty() || (which == 1 && m_departureUnread))
        return;
    const std::optional<rt::Date> start = BookingDay(m_fields.tbBuchungDatum[0]);
    const rt::Date day = which == 1 && start ? start->addDays(1) : rt::Date::today();
    box = rt::formatDate(day, DayPattern);
}

void BookingEditor::SetPickedDate(int which, const rt::Date& date)
{
    m_fields.tbBuchungDatum[static_cast<size_t>(which)] = rt::formatDate(date, DayPattern);
    BookingDateChanged(which);
}

rt::Date BookingEditor::PickerStartDate(int which) const
{
    return BookingDay(m_fields.tbBuchungDatum[static_cast<size_t>(which)]).value_or(rt::Date());
}

QString BookingEditor::NormalizedPersonCount(const QString& text)
{
    // The column holds a small number; no booking of a guest house needs more.
    const double value = rt::val(text);
    if (!(value >= 1))
        return QStringLiteral("1");
    return QString::number(std::min(rt::cint(std::min(value, 9999.0)), 9999));
}

void BookingEditor::setPersonCount(const QString& text)
{
    m_fields.tbPersoncount = NormalizedPersonCount(text);
}

void BookingEditor::PersonCountStep(int index)
{
    PersonCountEdited();
    setPersonCount(QString::number(rt::val(m_fields.tbPersoncount) + (2 * index - 1)));
}

void BookingEditor::OpenInvoice()
{
    const qint32 bookId = m_state.CurrentBookingId;
    m_fields.lblInvoice_id = bookId > 0 ? GetLastInvoiceIdOfBooking(bookId) : 0;
    ShowRechnung(m_fields.lblInvoice_id, m_state.CurrentCustomerId, bookId > 0 ? bookId : -1);
}

qint32 BookingEditor::GuestForAddressBook() const
{
    return m_fields.tbBewohner.isEmpty() ? -1 : m_state.CurrentCustomerId;
}

void BookingEditor::ListBookingsOfGuest()
{
    if (m_state.CurrentCustomerId <= 0)
        return;
    m_host.SetCaption(QStringLiteral("Buchungen für ") + m_fields.tbBewohner);
    m_host.ShowBookings(QStringLiteral("book_customer_id = ") + QString::number(m_state.CurrentCustomerId),
                        m_state.CurrentBookingId, -1, true, 1);
}

void BookingEditor::ListBookingsOfPlace()
{
    if (m_state.CurrentPlaceId <= 0)
        return;
    m_host.SetCaption(QStringLiteral("Buchungen für ") + listRoomsText());
    m_host.ShowBookings(QString(), m_state.CurrentBookingId, m_state.CurrentPlaceId, true, 1);
}
