#pragma once

#include "platform/db/error.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace db {
class Database;
}

// The one connection of the program, opened at start and kept until the end.
extern std::unique_ptr<db::Database> Db;
// True after a successful open; the maintenance close leaves it as it is.
extern bool DbOpen;

// Tables every database of the program has had since its first version.
extern const QStringList ProgramTables;

// The program's open connection for the per-table reads and writes; a closed
// one is the layer's 3420, so the handler reports it like any other error.
db::Database& OpenedDb();

// Opens dbPath into Db. Without quiet, a missing file offers the settings
// window or the end of the program, and a file that cannot be opened is
// reported before the settings window opens. A database without the
// program's tables is refused like a file that is no database, before
// anything is written to it.
bool OpenDatabaseFile(const QString& dbPath, bool quiet);
// The same without a word: the error that kept the file shut, nullopt once
// it is open.
std::optional<db::DbError> TryOpenDatabaseFile(const QString& dbPath);
// True when the open database file cannot be written from this workstation
// (write-protected file or folder): the workstation then runs read-only.
bool DatabaseReadOnly();
// The sentence of message 524 that asks for write permission.
QString WritePermissionHint();
// A path as messages show it: a path of any length is cut in the middle.
QString ShownPath(const QString& path);
// Kept for the query procedures that bracket their work with them.
inline bool OpenDB() { return true; }
inline void CloseDB() {}
// Closes the connection before the database file is copied or rebuilt.
void CloseDatabaseForMaintenance();
// Closes the connection for good, ignoring every error.
void CloseProgramDatabase();

// The number of rows of table that satisfy where; 0 for a blank condition.
// A failing query is reported and gives 0 with *ok set to false, so a check
// can tell "none" from "unknown".
qint32 GetRecordCount(const QString& table, const QString& where, bool* ok = nullptr);
// The number of all rows of a table.
qint32 CountRows(const QString& table, bool* ok = nullptr);

// The start-up upgrade of an older database file.
void UpdateDatabase();
// Gives an older file the indexes of the current schema and drops the ones
// they replace. Silent: a file that cannot take them (read-only, locked by
// another workstation) works as before and gets them at a later start.
void UpdateIndexes();
// Adds a column when the table lacks it; true when it was added.
bool AddFieldIfMissing(const QString& table, const QString& field, int fieldType, int size, const QString& defaultValue,
                       bool indexed);
void CreateVatTable();
