#pragma once

#include "core/bookings.h"
#include "platform/runtime/date.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The booking editor of the booking window, without widgets: it keeps the
// window's state and what the editor's fields show, loads, checks, saves and
// deletes bookings, and asks and refuses through the dialog service. The
// window copies the fields to its controls after every call and the typed
// texts back before it.

constexpr qint32 WhiteColor = 0xFFFFFF;

// The window's state, named as the window's code names it.
struct BookingEditorState {
    qint32 CurrentBookingId = -1;     // the booking in the editor; -1 for a new one
    qint32 CurrentPlaceId = 0;        // the booked place; 0 or below: none
    qint32 CurrentCustomerId = -1;    // the guest; -1: none
    bool CustomerClash = false;       // the guest is booked elsewhere in the period
    bool PlaceClash = false;          // the place is occupied in the period
    quint8 BookingColorIndex = 0;     // index into the colour table; 0: none
    std::array<qint32, 10> HistoryIds{};   // the last loaded bookings, a ring
    int HistoryPos = 0;               // the next slot to write
    QString ListFilter;               // the filter of the last ShowBookings
    qint32 BookingMandantId = 0;      // the facility of the loaded booking; 0 for a new one
};

// What the editor's controls show.
struct BookingEditorFields {
    QString lblBooking_id;
    QString lblEditDateTime;
    QString lblBearbeiter;
    qint32 lblInvoice_id = 0;
    QString lbBookingStatus;
    qint32 listRooms = -1;            // pl_id of the selected entry; -1: none
    QString tbBewohner;
    qint32 tbBewohnerColor = WhiteColor;
    std::array<QString, 2> tbBuchungDatum;
    std::array<qint32, 2> tbBuchungDatumColor{WhiteColor, WhiteColor};
    QString tbPersoncount;
    QString tbBuchungInfo;
};

// One entry of the place list.
struct PlaceListEntry {
    qint32 pl_id = 0;
    QString text;                     // "Building \ Floor \ Place"
};

// What the editor needs of the window's list.
class BookingListHost {
public:
    virtual ~BookingListHost() = default;
    virtual void ShowBookings(const QString& filter, qint32 bookId, qint32 placeId, bool showDetails, int listRange) = 0;
    virtual void SetCaption(const QString& caption) = 0;
    // Takes a booking's line out of the list, if it is there.
    virtual void RemoveFromList(qint32 bookId) = 0;
    // Marks a booking's line without loading it again.
    virtual void SelectBookingInList(qint32 bookId) = 0;
    // Opens the address book to choose a guest for the editor's booking.
    virtual void ChooseGuest() {}
};

class BookingEditor {
public:
    explicit BookingEditor(BookingListHost& host) : m_host(host) {}

    BookingEditorState& state() { return m_state; }
    const BookingEditorState& state() const { return m_state; }
    BookingEditorFields& fields() { return m_fields; }
    const BookingEditorFields& fields() const { return m_fields; }

    // The places of the facility MandantId; read again when the facility
    // changed since the last reading. True when the list was read again.
    bool FillRoomList(qint32 selectPlaceId);
    bool RefreshRoomList();
    const std::vector<PlaceListEntry>& places() const { return m_places; }
    // Counts the readings of the place list, so the window refills its list only then.
    int placesVersion() const { return m_placesVersion; }
    // The text of the selected place; "" when none is selected.
    QString listRoomsText() const;
    // The text of a place of the list; "" when the list does not hold it.
    QString placeText(qint32 placeId) const;

    // Stored: its fields and the conflict check. A booking deleted meanwhile
    // is reported and the editor stays on the booking it shows. True when it
    // was found.
    bool LoadBooking(qint32 bookId);
    // Empties the fields; the editor then holds a new booking without guest
    // or place, so nothing hidden can be saved with it.
    void ClearBookingEditor();
    // The fields a list shows without loading one of them become a new booking.
    void MakeShownFieldsNew();

    // Refuses and asks in the save's order, then stores: a new booking
    // through the one booking write path, a stored one by writing only what
    // was changed here since it was loaded (another workstation's changes
    // are kept; a field both changed is asked about). True when stored and
    // the user did not go on to the guest's list.
    bool SaveBooking();
    // The booking as the last successful save left it stored, every column.
    const RowValues& savedRow() const { return m_saved; }
    // Asks and deletes the booking shown.
    void DeleteBooking();
    void NewBooking();
    void Undo();
    void BackHistory();

    void CreateNewBooking(qint32 placeId, const QString& startText, const QString& endText);
    // The guest chosen in the address book; false when the user kept the old one.
    bool AddMainAdress(qint32 custId, const QString& name);
    void ShowBookingGuest();
    void RemoveGuest();
    void Receive_SelectedColor(int index);
    void PlaceChosen(qint32 placeId);

    // mode: CheckGuest, CheckPlace or CheckGuestAndPlace (core/conflicts.h).
    // A test that cannot be made is told (saving: as the save's refusal), no
    // field shows a result, and the answer is false.
    bool CheckConflicts(int mode, bool saving = false);
    void StepBookingDate(int which, int delta);
    void BookingDateChanged(int which);
    // A date box entered while empty gets a proposal.
    void DateBoxEntered(int which);
    void SetPickedDate(int which, const rt::Date& date);
    // The date a date box opens the date picker on.
    rt::Date PickerStartDate(int which) const;

    void PersonCountStep(int index);
    // The user typed into the person count: from now on it counts as changed
    // wherever it differs from the stored count, also where it showed that
    // count normalised (0 as 1).
    void PersonCountEdited();
    // The person count as the box keeps it: its whole number, at least 1.
    static QString NormalizedPersonCount(const QString& text);

    // The invoice window on the newest invoice of the booking shown.
    void OpenInvoice();
    // The guest the address book opens on: the one shown, else a new address.
    qint32 GuestForAddressBook() const;

    // The list of the guest's or the place's bookings, with its caption.
    void ListBookingsOfGuest();
    void ListBookingsOfPlace();

    // What the editor holds that is not stored, as one line for the user; ""
    // when nothing. A new booking counts once it has a guest or a note; a
    // stored one when a field differs from what it showed after loading or
    // saving.
    QString UnsavedEdit() const;

private:
    // The booking the fields describe, as the save writes it.
    Booking bookingFromFields() const;
    // Shows a stored row and takes it as the loaded one.
    void showRow(const RowValues& row);
    void forgetLoadedRow();
    void remember(qint32 bookId);
    void refuse(const QString& text);
    void markPlaceOccupied();
    // Refuses the save for the place, offering its booking list.
    bool refusePlace(qint32 placeId, qint32 occupyingId, const std::optional<Booking>& merged = {});
    // Whether the save changes place, period or persons of the stored booking.
    bool occupancyEdited(const Booking& booking) const;
    void mendUnshown(const QString& column);
    void setPersonCount(const QString& text);

    BookingListHost& m_host;
    BookingEditorState m_state;
    BookingEditorFields m_fields;
    std::vector<PlaceListEntry> m_places;
    // The stored booking as read when loaded or last saved, and what the
    // fields made of it then: a save writes only the columns whose value
    // differs from m_base, and compares the stored row with m_loaded.
    std::optional<RowValues> m_loaded;
    RowValues m_base;
    RowValues m_saved;
    // The departure shows empty for what cannot be read there (typed or
    // stored): no other day is put in its place.
    bool m_departureUnread = false;
    qint32 m_placesMandantId = -1;
    int m_placesVersion = 0;
};

// A date box's text as a date at 12:00; nullopt when it holds no date.
std::optional<rt::Date> BookingDay(const QString& text);
// A stored date as a date box shows it; "" for one that cannot be read (a
// date stored as text by another program) or is empty.
QString BookingDayText(const db::Value& stored);
