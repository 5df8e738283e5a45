#pragma once

#include <QString>

// Program-wide state that start-up leaves for every window. Each service keeps
// its own globals in its own header; these are the ones start-up itself owns.

// The program folder, always ending in "/".
extern QString AppPath;
// The database file as the settings file names it, and its full path.
extern QString DbFileName;
extern QString DbPath;

// This computer's host name and the user logged in ("" when unknown).
extern QString ComputerName;
extern QString UserName;

// The facility the plan shows.
extern qint32 MandantId;
extern QString MandantName;

// Set while code fills lists: click and change handlers return at once.
extern bool FillingLists;
// Set while windows are unloaded for good: hiding windows then really close.
extern bool Closing;
// Upper-case name of the window last deactivated or closed.
extern QString LastDeactivatedForm;

// The name of the place selected on the plan.
extern QString CurrentPlaceName;
// True once the main window has been activated; the booking editor then
// refreshes the plan after each save.
extern bool PlanFormLoaded;
// True from each activation of the invoice window until it hides.
extern bool InvoiceFormOpen;

// A window that takes a guest chosen in the address book.
class AddressReceiver {
public:
    virtual ~AddressReceiver();
    // name: first name, a blank and last name.
    virtual void AddMainAdress(qint32 custId, const QString& name) = 0;
};

// The window that asked the address book for a guest; null when none did
// (the address book then hands the guest to the booking window). Each window
// records itself when it opens the address book, never by guessing.
extern AddressReceiver* CallerForm;

// The program's file name without extension ("velmorant").
QString AppExeName();

// Sets FillingLists for its lifetime and restores the previous value.
class FillingListsGuard {
public:
    FillingListsGuard() : m_previous(FillingLists) { FillingLists = true; }
    ~FillingListsGuard() { FillingLists = m_previous; }
    FillingListsGuard(const FillingListsGuard&) = delete;
    FillingListsGuard& operator=(const FillingListsGuard&) = delete;

private:
    bool m_previous;
};
