#pragma once

#include "platform/runtime/date.h"

#include <QString>

// What the maintenance of the settings window leaves behind: the time of the
// last compaction, repair and backup, where the backup went and from which
// computer, and the request that every workstation ends the program. Each is
// kept in the preferences store (what the settings window and start-up read)
// and in the single row of tbl_preferences.

struct MaintenanceLog {
    rt::Date lastBackupSavedDate;
    rt::Date lastDefragDate;
    rt::Date lastRepairDate;
    QString lastBackupSavedOnStation;
    bool backupDate2FileName = false;
};
// Creates missing preference rows with their defaults, as GetPreference does.
MaintenanceLog ReadMaintenanceLog();

// Each writes both places in one transaction. Throw db::DbError.
void RecordDefrag(const rt::Date& when);
void RecordRepair(const rt::Date& when);
void RecordBackup(const QString& target, const QString& station, const rt::Date& when);

// Asks every workstation to end the program. Throws db::DbError.
void RequestShutdownAll();
// Whether the request is standing; false when it cannot be read.
bool ShutdownRequested();

// The workstation that asked and stays: its own watch lets the request pass
// until it sees the flag cleared.
extern bool ShutdownRequestedHere;
// Set once this workstation saw the request: it ends as soon as nothing
// unsaved keeps it, also when a later start clears the flag meanwhile.
extern bool EndRequested;

// Ends this workstation unattended when the request stands (and it did not
// ask itself while staying). A window holding an edit nobody stored keeps it
// running: nothing is stored unasked and nothing thrown away, the notice
// names what is unsaved, and the workstation stays logged in, so the one that
// asked sees it in its list. True when nothing ended.
bool CheckShutdownRequest();
// What the watch runs: CheckShutdownRequest, unless a handler's question or a
// modal dialog stands (the store it starts would change the rows the question
// is about); then the next look does it.
void CheckShutdownRequestWhenIdle();
// Looks at the request every intervalMs while the program runs; once it was
// seen, every second whether what kept the workstation is saved or given up.
void StartShutdownWatch(int intervalMs = 15000);
