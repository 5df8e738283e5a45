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
