#pragma once

#include "platform/runtime/date.h"

#include <QDateTime>
#include <QString>

#include <functional>

// Compaction, repair and backup of the database file. Other workstations keep
// the file open whatever this one does, so no step renames, deletes or
// replaces it: compaction and repair work inside it with SQLite's own means,
// under its locks and through its journal, and copies are read from it in one
// piece. Each step is checked and a failed one leaves the file as it was.
// What a step that was cut off left beside the file goes at the next step
// (core/unfinishedcopies.h); kept copies take the file's rights.

// The state before the last compaction, kept until the next one.
QString PreviousStateName(const QString& dbPath);
// The rebuilt copy of a damaged file while it is written (the n-th name when
// running repairs hold the ones before), and where the file before a repair
// stays (one per repair).
QString RepairTarget(const QString& dbPath, int n = 1);
QString BeforeRepairName(const QString& dbPath, const QDateTime& now);
// Whether name (a file name without folder) is one of the copies maintenance
// leaves beside the database dbPath, or one it is writing with its journals
// and lock files.
bool IsMaintenanceCopy(const QString& name, const QString& dbPath);
// The proposed backup: the folder of backupPath (the home folder when it
// names none), the database's name with "_Backup", the time "yyyyMMdd_HHmm"
// when asked for, and the database's extension.
QString BackupTargetName(const QString& dbPath, const QString& backupPath, bool withStamp, const QDateTime& now);

// The other workstations logged in to the database at dbPath, one line each
// ("- kasse (zuletzt aktiv ...)"); empty when there are none or that cannot
// be read.
QStringList OtherStationLines(const QString& dbPath);

// Why the folder of dbPath (and the folder SQLite keeps its temporary files
// in) lacks room for copies times the file's size; "" when there is room.
QString SpaceShortage(const QString& dbPath, int copies);

// Opens the program's database again after a step closed it. A station does
// not go on without it: while it cannot be opened (another workstation holds
// it, the share is gone) the user may try again or end the program, which
// writes nothing into the file. False only for a file that opens but cannot
// be read; nothing is said of it here.
bool WaitForProgramDatabase(const QString& title);

// Runs work (which must not touch the program's connection) on a helper
// thread while a busy box shows text; rethrows what work threw.
void RunWithProgress(const QString& text, const std::function<void()>& work);

struct MaintenanceResult {
    enum class Kind {
        Cancelled,   // asked and declined; nothing happened
        Done,
        Failed,      // reported; the database file is as it was and open again when it was
        NotOpen,     // done or failed, and the database could not be opened again (told)
        Damaged,     // the file cannot be read (told); the program runs without database
    } kind = Kind::Cancelled;
    rt::Date when;      // the time recorded for a run that was done
    QString target;     // the backup written
};

// The actions of the maintenance tab. databaseMode: the settings window was
// opened with the database; without it nothing is recorded in the database
// and source is the file typed in the window.
MaintenanceResult CompactDatabase(const QString& source, bool databaseMode);
MaintenanceResult RepairDatabase(const QString& source, bool databaseMode);
MaintenanceResult BackupDatabase(bool withStamp);
// Deletes the older appointments that ended more than daysText days ago and
// the customers without any name nothing points to, after asking.
MaintenanceResult DeleteOldAppointmentsAsked(const QString& daysText);
