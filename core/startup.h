#pragma once

#include <QString>

#include <functional>

// The start of the program: single copy, settings file, database, upgrade,
// texts, workstation, preferences, terms and colours, then the main window.
void Main();
// The same, for a given program folder (the executable's folder in Main).
void StartProgram(const QString& programFolder);

// Runs the whole start-up again, after the current event (the settings
// window saved a new database file while none was open).
void RestartProgram();

// Dates and numbers are written and read the German way on every workstation
// (dd.mm.yyyy, decimal comma), whatever the system's locale, so that texts
// one workstation writes read the same on all; the database layer reads date
// texts with the program's own reading (ParseDateText). StartProgram does this
// first.
void UseProgramLocale();

// (Re)opens the main window on facility 1.
void ShowMainForm();

// Work a window must finish before the program ends, such as the save rules
// of an open invoice. unattended: nobody may be asked (the request that all
// stations end); the work then keeps the data instead of asking.
using ProgramEndWork = std::function<void(bool unattended)>;
// A window registers once (the id takes it back) and its work checks that the
// window still exists.
int AtProgramEnd(ProgramEndWork work);
void RemoveProgramEndWork(int id);

// Runs the work registered for the end, logs the workstation out, closes the
// database and ends at once.
[[noreturn]] void ExitProgram(bool unattended = false);

// True when another copy of the program from the same program folder runs
// for this user. The first call takes the lock, later calls in the same copy
// find it their own. Only a lock held by a live copy counts: when no lock can
// be made at all, that is said once and the answer is false.
bool AnotherCopyRuns(const QString& programFolder);
// The lock file that marks a running copy for a program folder; "" when
// neither a runtime nor a temporary folder is known.
QString SingleCopyLockPath(const QString& programFolder);
