#include "plan/bookingpanel.h"

#include "core/bookings.h"
#include "core/conflicts.h"
#include "core/customers.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/places.h"
#include "core/preferences.h"
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
#include <limits>

namespace {

const QString RefusedTitle = QStringLiteral("Reservierung verweigert");
const QString DoubleTitle = QStringLiteral("Doppelte Reservierung");

std::optional<rt::Date> dateOf(const QString& text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const auto date = db::parseDate(text);
    if (!date)
        return std::nullopt;
    return date->datePart();
}

QString dayText(const rt::Date& day)
{
    return rt::formatDate(day, DateFormat);
}

QString guestNameOf(qint32 custId)
{
    const auto customer = LoadCustomer(custId);
    if (!customer)
        return QString();
    const QString last = customer->cust_lastname;
    const QString first = customer->cust_firstname;
    return (first.isEmpty() ? last : last + QStringLiteral(", ") + first).trimmed();
}

bool isNumber(const QString& text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

}  // namespace

int LeadingCount(const QString& text)
{
    qint64 value = 0;
    bool negative = false;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<qint16>::max())
            return std::numeric_limits<qint16>::max();
    }
    return negative ? 0 : static_cast<int>(value);
}

void BookingPanel::clear(bool fillDates)
{
    if (fillDates) {
        for (int i = 0; i < 2; ++i) {
            m_fields.dates[i] = dayText(SelectedPeriod[i]);
            m_fields.times[i] = rt::formatDate(SelectedPeriod[i], QStringLiteral("hh:nn"));
        }
        m_departureUnread = false;
    }
    m_fields.dateColours = {PanelFieldWhite, PanelFieldWhite};
    m_state.CurrentBookingId = -1;
    forgetStored();
    m_state.CurrentCustomerId = -1;
    m_fields.guest.clear();
    m_fields.guestColour = PanelFieldWhite;
    m_fields.info.clear();
    m_fields.persons = QStringLiteral("1");
    m_fields.status = QStringLiteral("frei");
    m_fields.count.clear();
    m_fields.showBookingsVisible = false;
}

void BookingPanel::applyConflictColours(std::optional<qint32> dates, std::optional<qint32> guest)
{
    if (dates)
        m_fields.dateColours = {*dates, *dates};
    if (guest)
        m_fields.guestColour = *guest;
}

bool BookingPanel::checkConflicts(int mode, bool saving)
{
    std::optional<ConflictColours> colours;
    try {
        colours = CheckConflicts(m_fields.dates[0], m_fields.dates[1], m_state.CurrentCustomerId, m_state.CurrentPlaceId,
                                 m_state.CurrentBookingId, m_state.CustomerConflict, m_state.PlaceConflict, mode);
    } catch (const db::DbError& error) {
        // Neither free nor booked is known.
        m_fields.dateColours = {PanelFieldWhite, PanelFieldWhite};
        m_fields.guestColour = PanelFieldWhite;
        if (saving)
            refuse(ConflictCheckFailedText(error, true));
        else
            ui::msgBox(ConflictCheckFailedText(error, false), ui::Exclamation);
        return false;
    }
    if (!colours)
        return true;
    // The dates show the worse of both results, also of the test not run again.
    const qint32 dates = m_state.PlaceConflict      ? PlaceOccupiedColor
                         : m_state.CustomerConflict ? GuestBookedColor
                                                    : ConflictFreeColor;
    applyConflictColours(dates, colours->guest);
    return true;
}

bool BookingPanel::validateDate(int index)
{
    if (index < 0 || index > 1)
        return false;
    CompleteStayDates(m_fields.dates, index, m_departureUnread);
    const auto start = dateOf(m_fields.dates[0]);
    const auto end = dateOf(m_fields.dates[1]);
    if (!start || !end)
        return false;
    SelectedPeriod = {start->atNoon(), end->atNoon()};
    checkConflicts(CheckGuestAndPlace);
    return true;
}

bool BookingPanel::stepDate(int index, int days)
{
    if (index < 0 || index > 1)
        return false;
    const auto day = dateOf(m_fields.dates[index]);
    m_fields.dates[index] = dayText(day ? day->addDays(-days) : rt::Date::today());
    return validateDate(index);
}

void BookingPanel::stepPersons(int delta)
{
    m_fields.persons = QString::number(std::clamp(LeadingCount(m_fields.persons) + delta, 1, 32767));
}

void BookingPanel::normalizePersons()
{
    m_fields.persons = QString::number(std::max(1, LeadingCount(m_fields.persons)));
}

bool BookingPanel::takeGuest(qint32 custId, const QString& name)
{
    if (custId < 0)
        return false;
    // Deleted elsewhere since the address book showed it: nothing to book for.
    if (custId >= 1 && !LoadCustomer(custId)) {
        ui::msgBox(GuestGoneText(name), ui::Exclamation, GetResString(1343, {{QStringLiteral("%s"), TermPersonSingular}}));
        return false;
    }
    const QString nameText =
        name.trimmed().isEmpty()
            ? AccusativeOf(TermPersonSingular, TermKind::Person, Article::Definite, QStringLiteral("von Ihnen neu gewählt"))
            : QStringLiteral("\"") + name + QStringLiteral("\"");
    if (m_state.CurrentCustomerId >= 1 && custId != m_state.CurrentCustomerId) {
        if (m_state.CurrentBookingId > 0) {
            ui::msgBox(QStringLiteral("Einer bestehenden Reservierung kann kein anderer Bewohner zugewiesen werden. "
                                      "Sie müssten die bestehende Reservierung erst löschen"),
                       ui::Critical, AppTitle);
            return false;
        }
        const QString question = QStringLiteral("Diese Reservierung gilt bereits für \"") + m_fields.guest +
                                 QStringLiteral("\".\nWollen Sie diese Reservierung stattdessen auf ") + nameText +
                                 QStringLiteral(" übertragen?");
        if (ui::msgBox(question, ui::YesNo | ui::Question, QStringLiteral("Reservierung ändern")) != ui::Answer::Yes)
            return false;
    }
    m_state.CurrentCustomerId = custId;
    m_fields.guest = custId < 1 ? QString() : GetCustomerName(QStringLiteral("tbl_customers"), custId);
    // The place as well: the dates must not turn green over an occupied place.
    checkConflicts(CheckGuestAndPlace);
    return true;
}

void BookingPanel::removeGuest()
{
    m_fields.guest.clear();
    m_state.CurrentCustomerId = -1;
    m_state.CustomerConflict = false;
    m_fields.guestColour = PanelFieldWhite;
}

qint32 BookingPanel::load(qint32 bookId, qint32 placeId)
{
    if (bookId <= 0 && placeId <= 0) {
        clear(true);
        return 0;
    }
    ui::WaitCursor wait;
    int found = 0;
    if (bookId <= 0) {
        const std::vector<Booking> bookings =
            BookingsOfPlace(placeId, SelectedPeriod[0].addHours(12), SelectedPeriod[1].addHours(12));
        found = static_cast<int>(bookings.size());
        // A booking whose dates cannot be read comes first but does not hide
        // a readable one of the period.
        const auto readable = std::find_if(bookings.begin(), bookings.end(), [](const Booking& b) {
            return !b.book_start.isZero() && !b.book_end.isZero();
        });
        if (readable != bookings.end())
            bookId = readable->book_id;
        else if (!bookings.empty())
            bookId = bookings.front().book_id;
    }
    // The row as stored, values the panel cannot show included: a save
    // compares with it.
    const std::optional<RowValues> row = ReadBookingRow(bookId);
    if (!row) {
        clear(false);
        return 0;
    }
    found = std::max(found, 1);
    showStored(*row);
    m_fields.dateColours = {PanelFieldWhite, PanelFieldWhite};
    m_fields.guestColour = PanelFieldWhite;
    m_fields.count = QString::number(found) +
                     (found == 1 ? QStringLiteral(" Reservierung im Prüfzeitraum") : QStringLiteral(" Reservierungen im Prüfzeitraum"));
    m_fields.showBookingsVisible = true;
    return BookingFromRow(*row).book_place_id;
}

void BookingPanel::showStored(const RowValues& row)
{
    const Booking booking = BookingFromRow(row);
    m_fields.status = QStringLiteral("gebucht");
    m_fields.guest = guestNameOf(booking.book_customer_id);
    m_state.CurrentCustomerId = booking.book_customer_id;
    m_state.CurrentBookingId = booking.book_id;
    const std::array<rt::Date, 2> ends{booking.book_start, booking.book_end};
    for (int i = 0; i < 2; ++i) {
        if (ends[i].isZero()) {
            m_fields.dates[i].clear();
            continue;
        }
        m_fields.dates[i] = rt::formatDate(ends[i], QStringLiteral("dd.mm.yyyy"));
        m_fields.times[i] = rt::formatDate(ends[i], QStringLiteral("hh:nn"));
    }
    m_departureUnread = m_fields.dates[1].isEmpty();
    m_fields.persons = QString::number(booking.book_cust_count);
    m_fields.info = booking.book_info;
    m_loaded = row;
    m_base = BookingColumns(fieldsBooking(booking.book_place_id));
}

void BookingPanel::forgetStored()
{
    m_loaded.reset();
    m_base.clear();
}

Booking BookingPanel::fieldsBooking(qint32 placeId) const
{
    Booking booking = m_loaded ? BookingFromRow(*m_loaded) : Booking{};
    const auto start = dateOf(m_fields.dates[0]);
    const auto end = dateOf(m_fields.dates[1]);
    booking.book_mandant_id = MandantId;
    booking.book_place_id = placeId;
    booking.book_customer_id = m_state.CurrentCustomerId;
    booking.book_cust_count = LeadingCount(m_fields.persons);
    booking.book_start = start ? start->atNoon() : rt::Date();
    booking.book_end = end ? end->atNoon() : rt::Date();
    booking.book_info = m_fields.info;
    return booking;
}

bool BookingPanel::refuse(const QString& text)
{
    ui::msgBox(text, ui::Exclamation, RefusedTitle);
    return false;
}

bool BookingPanel::save(const std::function<void()>& afterStore, const std::function<void()>& placeTaken)
{
    if (RefuseReadOnly())
        return false;
    const auto start = dateOf(m_fields.dates[0]);
    const auto end = dateOf(m_fields.dates[1]);
    const QString notCorrect = QStringLiteral("Der Reservierungszeitraum ist nicht korrekt angegeben.");
    // A departure before the arrival would be stored as a period running backwards.
    if (!start || !end || *end < *start)
        return refuse(notCorrect);
    if (m_fields.dates[0] == m_fields.dates[1] || *start == *end)
        return refuse(notCorrect + QStringLiteral("\nEr muss mindestens einen Tag dauern, also z.B.\nvom      ") +
                      m_fields.dates[0] + QStringLiteral(" 12:00\nbis zum ") + dayText(start->addDays(1)) +
                      QStringLiteral(" 12:00"));
    if (m_state.CurrentPlaceId <= 0)
        return refuse(QStringLiteral("Der Raum muss erst definiert werden."));

    // The flags may be older than another workstation's latest booking.
    if (!checkConflicts(CheckGuestAndPlace, true))
        return false;
    if (m_state.CustomerConflict) {
        const QString question = QStringLiteral("\"") + m_fields.guest +
                                 QStringLiteral("\" ist im Reservierungszeitraum bereits an anderer Stelle gebucht.\n\n"
                                                "Trotzdem reservieren?");
        if (ui::msgBox(question, ui::YesNo | ui::Question | ui::DefaultButton2, DoubleTitle) != ui::Answer::Yes)
            return false;
    }
    const auto refusePlace = [this, &placeTaken](qint32 placeId, qint32 occupyingId, const std::optional<Booking>& merged) {
        QString placeName = CurrentPlaceName;
        // A refused merge names the place the merged row had, and the panel
        // then shows the booking as stored, not the refused period.
        if (merged || placeId != m_state.CurrentPlaceId) {
            const std::optional<Place> place = LoadPlace(placeId);
            placeName = place ? rt::trim(place->pl_name) : QString();
        } else {
            m_state.PlaceConflict = true;
            m_fields.dateColours = {PlaceOccupiedColor, PlaceOccupiedColor};
        }
        // The plan may still show the place free: what took it shows before
        // the refusal is read.
        if (placeTaken)
            placeTaken();
        if (ui::msgBox(OccupiedRefusalText(placeName, occupyingId, merged), ui::OkCancel | ui::Question,
                       QStringLiteral("Buchung verweigert")) == ui::Answer::Ok) {
            QString caption = QStringLiteral("Reservierungs-Details für ");
            if (isNumber(placeName))
                caption += TermPlaceSingular + QStringLiteral(" ");
            SetBookingsCaption(caption + placeName);
            ShowBookings(QString(), m_state.CurrentBookingId, placeId, true, -1);
        }
        return false;
    };
    qint32 bookId = m_state.CurrentBookingId;
    if (bookId > 0 && !m_loaded) {
        // Not loaded here: every field that differs from the row counts.
        m_loaded = ReadBookingRow(bookId);
        if (!m_loaded)
            return refuseDeleted();
        m_base = BookingColumns(BookingFromRow(*m_loaded));
    }
    // Only a new place, period or person count can take a place: a booking
    // that keeps them is not held back by another one overlapping it.
    const RowValues changed =
        bookId > 0 ? ChangedColumns(m_base, BookingColumns(fieldsBooking(m_state.CurrentPlaceId))) : RowValues{};
    const bool occupancyEdited = bookId <= 0 || changed.contains(QStringLiteral("book_place_id")) ||
                                 changed.contains(QStringLiteral("book_start")) ||
                                 changed.contains(QStringLiteral("book_end")) ||
                                 changed.contains(QStringLiteral("book_cust_count"));
    if (m_state.PlaceConflict && occupancyEdited)
        return refusePlace(m_state.CurrentPlaceId,
                           OccupyingBooking(m_state.CurrentPlaceId, start->atNoon(), end->atNoon(),
                                            bookId > 0 ? QList<qint32>{bookId} : QList<qint32>{}),
                           std::nullopt);
    if (m_state.CurrentCustomerId < 1)
        return refuse(GuestRequiredText());

    StoreOutcome outcome;
    if (bookId > 0) {
        // No hourglass over the question.
        std::optional<ui::WaitCursor> wait(std::in_place);
        outcome = StoreBookingChanges(bookId, *m_loaded, changed, [&wait, bookId](const RowMerge& merge) {
            wait.reset();
            const ClashChoice choice =
                AskClash(QStringLiteral("Die Reservierung ") + QString::number(bookId), BookingMergeFields(), merge);
            wait.emplace();
            return choice;
        });
    } else {
        Booking booking = fieldsBooking(m_state.CurrentPlaceId);
        ui::WaitCursor wait;
        outcome = StoreBooking(booking);
        bookId = booking.book_id;
    }
    if (outcome.result == StoreResult::Cancelled)
        return false;
    // A refusal of what a merge made: the panel shows the booking as stored,
    // and the message says where and when it would have been.
    std::optional<Booking> merged;
    if (outcome.changedElsewhere && outcome.result != StoreResult::NotFound) {
        merged = outcome.refused;
        if (const std::optional<RowValues> row = ReadBookingRow(bookId)) {
            showStored(*row);
            m_fields.dateColours = {PanelFieldWhite, PanelFieldWhite};
            // Its place too: the next save would move it back unasked.
            if (const qint32 place = BookingFromRow(*row).book_place_id; place > 0)
                m_state.CurrentPlaceId = place;
        }
    }
    if (outcome.result == StoreResult::PeriodInvalid)
        return refuse(PeriodRefusalText(merged));
    if (outcome.result == StoreResult::PlaceOccupied)
        return refusePlace(outcome.placeId > 0 ? outcome.placeId : m_state.CurrentPlaceId, outcome.bookingId, merged);
    if (outcome.result == StoreResult::NotFound)
        return refuseDeleted();
    if (outcome.result == StoreResult::PlaceMissing) {
        refuse(PlaceDeletedText(CurrentPlaceName));
        // The plan drawn again no longer offers it.
        m_state.CurrentPlaceId = 0;
        if (afterStore)
            afterStore();
        return false;
    }
    if (outcome.result == StoreResult::GuestMissing) {
        const QString guest = m_fields.guest;
        removeGuest();
        if (ui::msgBox(GuestDeletedText(guest), ui::YesNo | ui::Exclamation, RefusedTitle) == ui::Answer::Yes &&
            m_chooseGuest)
            m_chooseGuest();
        return false;
    }

    m_state.CurrentBookingId = bookId;
    m_fields.status = QStringLiteral("gebucht");
    // What another workstation changed meanwhile and was kept shows now, and
    // the next save compares with what this one wrote.
    if (const std::optional<RowValues> row = ReadBookingRow(bookId)) {
        showStored(*row);
        const qint32 place = BookingFromRow(*row).book_place_id;
        if (place > 0)
            m_state.CurrentPlaceId = place;
    } else {
        forgetStored();
    }
    if (afterStore)
        afterStore();
    if (m_state.CustomerConflict) {
        const QString question = QStringLiteral("Möchten Sie die Reservierungsliste für \"") + m_fields.guest +
                                 QStringLiteral("\" einsehen?");
        if (ui::msgBox(question, ui::YesNo | ui::Question, DoubleTitle) == ui::Answer::Yes) {
            SetBookingsCaption(QStringLiteral("Reservierungen für ") + m_fields.guest);
            ShowBookings(BookingListOfCustomer(m_state.CurrentCustomerId), m_state.CurrentBookingId,
                         m_state.CurrentPlaceId, true, -1);
        }
    }
    return true;
}

bool BookingPanel::refuseDeleted()
{
    m_state.CurrentBookingId = -1;
    forgetStored();
    m_fields.status = QStringLiteral("frei");
    m_fields.count.clear();
    m_fields.showBookingsVisible = false;
    return refuse(QStringLiteral("Diese Reservierung wurde inzwischen an einem anderen Arbeitsplatz gelöscht.\n\n"
                                 "Die Angaben bleiben stehen; speichern Sie erneut, um sie als neue Reservierung "
                                 "anzulegen."));
}

QString BookingPanel::unsavedEdit() const
{
    const QString guest = m_fields.guest.isEmpty() ? QString() : QStringLiteral(" für \"") + m_fields.guest + QStringLiteral("\"");
    if (m_state.CurrentBookingId < 1) {
        if (m_state.CurrentCustomerId < 1 && rt::trim(m_fields.info).isEmpty())
            return QString();
        return QStringLiteral("Belegungsplan: eine neue Reservierung") + guest;
    }
    if (m_loaded && ChangedColumns(m_base, BookingColumns(fieldsBooking(m_state.CurrentPlaceId))).isEmpty())
        return QString();
    return QStringLiteral("Belegungsplan: Änderungen an der Reservierung") + guest;
}

bool BookingPanel::remove()
{
    if (m_state.CurrentBookingId <= 0)
        return false;
    if (RefuseReadOnly())
        return false;
    const qint32 bookId = m_state.CurrentBookingId;
    // The row as the panel showed it; read now when the panel did not load it.
    const std::optional<RowValues> shown = m_loaded ? m_loaded : ReadBookingRow(bookId);
    if (!shown) {
        refuseDeleted();
        return true;
    }
    const DeleteResult result = DeleteShownBooking(bookId, *shown, [bookId](const RowValues& stored, const RowMerge& since) {
        if (!since.kept.isEmpty())
            return AskDeleteClash(QStringLiteral("Die Reservierung ") + QString::number(bookId), BookingMergeFields(), since) ==
                   ClashChoice::Mine;
        // Named as stored, whatever the fields show now.
        const Booking booking = BookingFromRow(stored);
        QString question = QStringLiteral("ACHTUNG : Wollen Sie die Reservierung");
        if (const QString guest = guestNameOf(booking.book_customer_id); !guest.isEmpty())
            question += QStringLiteral(" für\n") + guest;
        if (!booking.book_start.isZero())
            question += QStringLiteral("\n") + dayText(booking.book_start);
        if (!booking.book_end.isZero())
            question += QStringLiteral(" - ") + dayText(booking.book_end);
        question += QStringLiteral("\nlöschen?");
        return ui::msgBox(question, ui::OkCancel | ui::Question | ui::DefaultButton2, QStringLiteral("Reservierung löschen")) ==
               ui::Answer::Ok;
    });
    if (result == DeleteResult::Cancelled)
        return false;
    if (result == DeleteResult::Missing)
        ui::msgBox(QStringLiteral("Diese Reservierung wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Information, QStringLiteral("Reservierung löschen"));
    m_state.CurrentBookingId = -1;
    forgetStored();
    return true;
}

void BookingPanel::showBookingDetails(const QString& placeCaption)
{
    if (m_state.CurrentBookingId >= 1) {
        SetBookingsCaption(QStringLiteral("Reservierungs-Details für ") + placeCaption);
        ShowBookings(BookingListOfBooking(m_state.CurrentBookingId), m_state.CurrentBookingId, -1, true, 1);
        return;
    }
    if (m_state.CurrentPlaceId < 1) {
        ui::msgBox(QStringLiteral("Bitte wählen Sie zuerst ") + AccusativeOf(TermPlaceSingular, TermKind::Place, Article::Indefinite) + QStringLiteral("."),
                   ui::Information, QStringLiteral("Reservierung Details"));
        return;
    }
    CreateNewBooking(m_state.CurrentPlaceId, m_state.CurrentCustomerId, m_fields.dates[0], m_fields.dates[1]);
}

void BookingPanel::showPlaceBookings()
{
    SetBookingsCaption(QStringLiteral("Reservierungs-Details für Platz"));
    // A period from today on lists every date; an older one keeps the list's range.
    const int range = SelectedPeriod[0] > rt::Date::today() ? 1 : -1;
    ShowBookings(BookingListOfPlace(m_state.CurrentPlaceId, SelectedPeriod[0], SelectedPeriod[1]),
                 m_state.CurrentBookingId, m_state.CurrentPlaceId, true, range);
}

void BookingPanel::showTodaysList(bool arrivals)
{
    const rt::Date today = rt::Date::today();
    SetBookingsCaption(arrivals ? QStringLiteral("Anreiseliste heute") : QStringLiteral("Abreiseliste heute"));
    ShowBookings(arrivals ? BookingListOfArrivals(today) : BookingListOfDepartures(today), -1, -1, false, -1);
}

void BookingPanel::showInvoice()
{
    ShowRechnung(GetLastInvoiceIdOfBooking(m_state.CurrentBookingId), m_state.CurrentCustomerId, m_state.CurrentBookingId);
}
