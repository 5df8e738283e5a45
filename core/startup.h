#pragma once

#include <QString>

// The start of the program: single copy, settings file, database, upgrade,
// texts, workstation, preferences, terms and colours, then the main window.
void Main();
// The same, for a given program folder (the executable's folder in Main).
void StartProgram(const QString& programFolder);

// Runs the whole start-up again, after the current event (the settings
// window saved a new database file while none was open).
void RestartProgram();

// (Re)opens the main window on facility 1.
void ShowMainForm();

// Logs the workstation out, closes the database and ends at once.
[[noreturn]] void ExitProgram();

// True when another copy of the program from the same program folder runs
// for this user. The first call takes the lock, later calls in the same copy
// find it their own.
bool AnotherCopyRuns(const QString& programFolder);
// The lock file that marks a running copy for a program folder.
QString SingleCopyLockPath(const QString& programFolder);
