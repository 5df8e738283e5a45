#pragma once

#include "core/customers.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>

class AddressReceiver;

// The address book's entry fields, numbered as the window numbers them.
namespace entry {
enum : int {
    LastName = 0,
    FirstName = 1,
    Company = 2,
    Street = 3,
    Zip = 4,
    City = 5,
    Phone = 6,
    Fax = 7,
    Email = 8,
    Notes = 9,
    Country = 10,
    Mobile = 12,
    Birthday = 13,
    Phone2 = 17,
};
constexpr int Count = 18;
}  // namespace entry

// The record's other controls, numbered on from the entry fields.
namespace edit {
enum : int { Salutation = entry::Count, Caution, Category };
}  // namespace edit

// What the record's controls hold.
struct AddressFields {
    std::array<QString, entry::Count> text;
    int salutation = 0;               // cust_sex: 0 Herr, 1 Frau, 2 Frau und Herr, 3 none
    bool caution = false;
    std::optional<qint32> category;   // the chosen category; none chosen keeps the stored one
};

// The address book's state, owned by the window.
struct AddressState {
    qint32 CurrentCustomerId = -1;    // -1: a new address not stored yet
    CustomerFilter LastSearch;        // refreshes the result list
    bool NewRecord = false;           // the duplicate check looks at new addresses only
    bool DuplicateWarned = false;     // it warns once per new address
    bool Changed = false;             // edited since the last load or save
    int Salutation = 0;
    std::array<qint32, 11> History{}; // customers shown, for the back button
    int HistoryPosition = 0;          // 0 to 9, the slot written next
    Customer Stored;                  // the row as loaded or stored: keeps what no field shows
    RowValues Loaded;                 // that row as read, to tell another workstation's changes
    RowValues Base;                   // the columns of the fields as shown then: the edits are what differs

    void remember(qint32 custId);
};

// The rules of single fields.
bool IsAddressEmpty(const AddressFields& fields);
// First name, a blank and last name, trimmed.
QString FullName(const AddressFields& fields);
// Four digits, " - " and the rest; a leading "+" stays, text without any
// digit is left as it is.
QString FormatMobileNumber(const QString& text);
// A typed birthday as DateFormat text; one after today is taken a hundred
// years earlier; text that is no date stays as typed (trimmed).
QString NormalizeBirthday(const QString& text, const rt::Date& today);
// What leaving a field makes of its text: trimmed, names capitalised, mobile
// numbers and birthdays normalised.
QString NormalizeEntry(int index, const QString& text, const rt::Date& today);

AddressFields FieldsOfCustomer(const Customer& customer);
void ApplyFields(const AddressFields& fields, Customer& customer);

struct CityGuess {
    QString city;
    bool doubtful = false;            // found for a shortened zip only
};
// The city of customers whose zip starts like this one: the whole zip first,
// then ever shorter starts down to one digit.
CityGuess GuessCityFromZip(const QString& zip);

// The address book's load, save, delete and duplicate rules. Asks and reports
// through the dialog service; database errors other than those named go to
// the caller (db::DbError).
class AddressRecord {
public:
    explicit AddressRecord(AddressState& state) : m_state(state) {}

    // The fields of a customer, which becomes the current one. nullopt for an
    // id below 1, and, after telling the user, for a customer deleted
    // meanwhile: the address shown before stays current.
    std::optional<AddressFields> load(qint32 custId);
    // What the window shows of the row just loaded or stored: a save writes
    // only the columns whose fields differ from it.
    void shown(const AddressFields& fields);
    // Makes the state that of a new, empty address.
    void startNew();

    enum class SaveResult {
        Written,
        Unchanged,   // nothing edited: nothing to write
        ReadOnly,    // a read-only workstation writes nothing and says nothing
        Failed,      // reported, or the user went back to the edit; the edits stay marked as changed
    };
    // Writes the fields this window changed since it loaded the customer;
    // what another workstation changed meanwhile in other fields is kept, a
    // field both changed is asked about. failureNote is added to the report
    // of a failure. A customer another workstation deleted meanwhile is
    // stored again only when the user asks for it.
    SaveResult save(const AddressFields& fields, const QString& failureNote = {});
    // The last save kept values another workstation stored: the fields are
    // to show Stored.
    bool savedMerged() const { return m_savedMerged; }
    // Whether a save was refused for a birthday that is no date, which stays
    // as typed; asking clears it.
    bool takeBirthdayRefused() { return std::exchange(m_birthdayRefused, false); }

    // Back: Escape, the user stays on the changed address.
    enum class AskResult { NotNeeded, Saved, Declined, Failed, Back };
    // Offers to save a changed address before another one is shown. Enter
    // saves; neither Enter nor Escape drops the edit.
    AskResult askSaveChanged(const AddressFields& fields);

    // The delete button: refuses a customer with bookings or invoices, asks,
    // deletes. True when the address is gone (the window then shows a new one).
    bool deleteAsked(const AddressFields& fields);
    // Deletes the current customer unless bookings or invoices name it; asks
    // only when another workstation changed it since it was read. True when
    // deleted.
    bool deleteIfUnreferenced();

    // The user edited a field (entry:: or edit::): it counts as changed from
    // the stored value, also where it showed that value normalised (a Null
    // salutation as "Herr", a birthday without its time).
    void edited(int index);

    // Warns when a new address has namesakes: it is then stored at once and
    // LastSearch lists them all. True when it did (the list is to be shown).
    bool CheckDuplicateAddress(const AddressFields& fields);

    // The customer shown before the current one, 0 when there is none.
    qint32 stepBack();

private:
    void refuseDelete(const CustomerReferences& refs);
    // A birthday typed so that it is no date ("12.04.") is named; true then.
    bool refuseBirthday(const AddressFields& fields, const QString& failureNote);
    RowValues columnsOf(const AddressFields& fields) const;
    void takeStored(const RowValues& row);

    AddressState& m_state;
    bool m_savedMerged = false;
    bool m_birthdayRefused = false;
};

// Hands a guest to a window; a failure of the receiver is reported.
void HandOverAddress(AddressReceiver& receiver, qint32 custId, const QString& name);
