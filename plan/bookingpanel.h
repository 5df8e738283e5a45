#pragma once

#include "core/bookings.h"
#include "plan/planstate.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>

// A field nothing has been checked for.
constexpr qint32 PanelFieldWhite = 0xFFFFFF;

// What the booking panel shows. The window copies its fields in before it
// asks the panel's logic and shows them again afterwards.
struct BookingPanelFields {
    std::array<QString, 2> dates;          // arrival and departure day, as typed
    std::array<QString, 2> times;          // shown only, never read
    QString guest;
    QString persons = QStringLiteral("1");
    QString info;
    std::array<qint32, 2> dateColours{PanelFieldWhite, PanelFieldWhite};
    qint32 guestColour = PanelFieldWhite;
    QString status = QStringLiteral("frei");
    QString count;                         // "3 Reservierungen im Prüfzeitraum" after a load
    bool showBookingsVisible = false;
};

// The rules of the plan's booking panel: one booking of the selected place,
// or a new one being entered, for the selected period and one guest. It asks
// and refuses through the dialog service and reads no widget.
class BookingPanel {
public:
    BookingPanel(PlanState& state, BookingPanelFields& fields) : m_state(state), m_fields(fields) {}

    // A new booking: guest, notes and colours reset, one person; with
    // fillDates the dates of the selected period. The conflict flags stay.
    void clear(bool fillDates);

    // Checks the typed period for the guest (mode 0), the place (1) or both
    // (2) and colours the fields, the dates by the worse of both flags;
    // nothing when a date field holds no date. A test that cannot be made is
    // told (saving: as the save's refusal), no field shows a result, and the
    // answer is false.
    bool checkConflicts(int mode, bool saving = false);

    // Completes the date typed into field index (0 arrival, 1 departure).
    // An arrival on or after the departure pushes the departure to the next
    // day, a departure on or before the arrival pulls the arrival to the day
    // before, and a departure nobody typed becomes the day after the arrival;
    // one typed that cannot be read stays empty. When both hold dates they
    // become the selected period and are checked; then true.
    bool validateDate(int index);
    // Field index one day earlier (days 1) or later (-1); an empty field gets today.
    bool stepDate(int index, int days);
    // Persons one up or down; never below one.
    void stepPersons(int delta);
    // The typed person count as the number it starts with, at least one.
    void normalizePersons();

    // A guest handed over by the address book. custId below 0 is ignored; a
    // stored booking keeps its guest; another guest of a new booking is taken
    // only when the user agrees, then guest and place are checked. True when
    // the guest was taken.
    bool takeGuest(qint32 custId, const QString& name);
    void removeGuest();

    // Loads booking bookId, or (bookId below 1) the earliest booking of the
    // place touching the selected period. Without either the panel is
    // cleared with the period's dates; when nothing is found it is cleared
    // keeping the typed dates. Returns the loaded booking's place, 0 when none.
    qint32 load(qint32 bookId, qint32 placeId);

    // Saves the panel's booking, refusing and asking in the panel's order.
    // A stored booking writes only what was changed in the panel since it
    // was loaded: what another workstation changed meanwhile stays, and a
    // field both changed is asked about. Afterwards the panel shows the
    // booking as stored, its place made current when another workstation
    // moved it. afterStore runs once the booking is written (the window
    // refreshes the plan there), before the offer of the guest's other
    // bookings, and also when the place turned out deleted at another
    // workstation; placeTaken runs when the place turned out occupied,
    // before the refusal is shown, so that the plan shows it taken. True
    // when stored.
    bool save(const std::function<void()>& afterStore = {}, const std::function<void()>& placeTaken = {});
    // How the window lets the user choose another guest when the one of the
    // panel was deleted at another workstation.
    void setGuestChooser(std::function<void()> choose) { m_chooseGuest = std::move(choose); }

    // Deletes the booking shown after asking. True when it is gone.
    bool remove();

    // What the panel holds that is not stored, as one line for the user; ""
    // when nothing. A new booking counts once it has a guest or a note; a
    // stored one once its fields were changed since it was loaded or saved.
    QString unsavedEdit() const;

    // The booking list on the booking shown, or a new booking in the editor.
    void showBookingDetails(const QString& placeCaption);
    // The bookings of the selected place in the selected period.
    void showPlaceBookings();
    // Today's arrivals (departures false) or departures.
    static void showTodaysList(bool arrivals);
    // The invoice of the booking shown: its newest one, or a new one.
    void showInvoice();

private:
    bool refuse(const QString& text);
    // The booking shown was deleted at another workstation: what the panel
    // holds becomes a new booking, written only by a further save.
    bool refuseDeleted();
    void applyConflictColours(std::optional<qint32> dates, std::optional<qint32> guest);
    // Shows a stored booking's row and takes it as the row the next save
    // compares with.
    void showStored(const RowValues& row);
    void forgetStored();
    // The booking the fields make, on the row it was loaded from (the
    // columns the panel does not show, the colour among them, as loaded).
    Booking fieldsBooking(qint32 placeId) const;

    PlanState& m_state;
    BookingPanelFields& m_fields;
    std::function<void()> m_chooseGuest;
    std::optional<RowValues> m_loaded;   // the stored booking's row as loaded or last saved
    RowValues m_base;                    // BookingColumns of fieldsBooking right after that
    bool m_departureUnread = false;      // the departure shows empty for what cannot be read there
};

// The number a typed text starts with (blanks before it skipped), 0 when it
// starts with none, kept within 0 and the column's 32767.
int LeadingCount(const QString& text);
