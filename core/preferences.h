#pragma once

#include "core/rowmerge.h"
#include "platform/db/value.h"
#include "platform/runtime/date.h"

#include <QString>

#include <array>
#include <functional>

// Program-wide settings, one row of tbl_preferences2 per name. The globals
// below hold what the start read; each starts with its key's default.

extern qint32 NormalTerminColor;          // bookings without a colour of their own
extern qint32 TableFixedRowColBackColor;
extern quint8 MaxWeekCols;                // days of the plan's schedule
extern quint8 BackupReminder;
extern QString BackupPath;
extern bool PrintHeaderEnabled;
extern qint32 PrinterLeftOffset;
extern qint32 PrinterTopOffset;
extern quint8 DayTableFontSize;
extern bool MwStIncluded;                 // prices include VAT
extern bool KeepAdrList;

// The period being looked at or booked: both dates at 12:00.
extern std::array<rt::Date, 2> SelectedPeriod;
// The picture folder, ending in "/".
extern QString ImageDir;
// Floor labels: FloorNames[floor order + 1].
extern std::array<QString, 21> FloorNames;
// Always the zero date.
extern rt::Date MusterwocheDate;

// The value of a preference; a missing row is created with the default and the
// default returned (the empty text for type 10, whatever was passed). The row's
// stored type decides the column read: text, Boolean, date, Long (as a double)
// or Single; Null reads as "" or 0, an unknown type as 0. A failure is
// reported and gives Null, with *ok set to false.
db::Value GetPreference(const QString& name, int dataType, const db::Value& defaultValue, bool* ok = nullptr);

// Writes a preference; dataType counts only when the row is created (Byte and
// Integer are kept as Long, Double as Single). Failures are reported.
void SavePreference(const QString& name, const db::Value& value, int dataType);
// The same, for a caller that keeps several writes together: throws
// db::DbError instead of reporting.
void StorePreference(const QString& name, const db::Value& value, int dataType);

// Sets the start values and loads every preference into its global. A value
// that does not fit its global is reported and the key's default taken.
void ReadPreferences();
// Loads again the values the settings window keeps for all workstations
// (colours, day count, backup reminder and path, printer offsets, font size,
// VAT mode, administrator password), as another workstation may have changed
// them.
void LoadSharedPreferences();
// Loads again the VAT mode alone.
void ReadMwStIncluded();

// The preferences the settings window keeps for all workstations, by name.
const QStringList& SharedPreferenceNames();
// The stored values of the preferences, as their rows hold them, by name in
// lower case; Null for one without a row. Throws db::DbError.
RowValues ReadPreferenceValues(const QStringList& names);
// The shared preferences as the settings window labels them, each with its
// stored value as the window would show it.
QList<MergeField> SharedPreferenceMergeFields();

// Saves preferences a window changed since it read them, in one write
// transaction, as SaveLoadedRow saves a row: loaded is ReadPreferenceValues
// at the window's load, changed the window's changes (by name in lower case,
// the values as SavePreference takes them). A preference only another
// workstation changed keeps its value; where both changed one, `ask` decides
// outside the write lock. more() writes what belongs to the same save inside
// the transaction; when it returns false nothing is stored (Refused). Throws
// db::DbError; then nothing is stored.
MergedSave StoreChangedPreferences(const RowValues& loaded, const RowValues& changed, const ClashAsk& ask,
                                   const std::function<bool()>& more = {});
