#pragma once

#include "core/maintenancelog.h"
#include "core/rowmerge.h"
#include "core/workstation.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <set>
#include <vector>

// What the settings window shows and what its save does, without the window.

// The values as the window shows them; texts as typed.
struct SettingsFields {
    QString printerLeftOffset;     // the stored offsets negated
    QString printerTopOffset;
    bool terminAutoUpdate = false;
    bool stationReadOnly = false;
    bool bearbeiterSubscriptionRequired = false;
    int backupReminder = 0;        // the option chosen, -1 none
    bool backupDate2FileName = false;
    bool mwstIncluded = false;
    bool tableToolTipsEnabled = false;
    QString fontSize;
    QString maxWeekCols;
    qint32 normalTerminColor = 0;
    qint32 tableFixedRowColBackColor = 0;
    bool printHeader = false;      // shown, never stored
    QString password;
    int startPage = 1;             // the start window chosen; below 1 none
    qint32 stationId = 0;          // the workstation row chosen; below 1 none
    QString stationName;
    bool autostart = false;

    bool operator==(const SettingsFields&) const = default;
};

// The start windows a workstation can open with, by number.
struct StartWindow {
    int number;
    QString caption;
};
const std::vector<StartWindow>& StartWindows();

// The settings as stored when the window read them, by name or column in
// lower case: the shared preferences and this workstation's row; and the
// workstation rows as the station list showed them.
struct StoredSettings {
    RowValues shared;
    RowValues station;
    std::vector<StationRow> stations;
};

// A workstation row as the station list names it: its name, else its
// computer name, else "Arbeitsplatz" and its number.
QString StationCaption(const StationRow& row);

// Everything the window shows with an open database.
struct SettingsView {
    SettingsFields fields;
    StoredSettings stored;         // as stored when the fields were read
    MaintenanceLog log;
    qint32 customerCount = -1;     // -1 when it could not be counted
};
// The fields the program's globals hold.
SettingsFields SettingsFromGlobals();
// Reads the values stored for all workstations again (another one may have
// changed them; this one then uses them too) and shows them with this
// workstation's, and adds what only the database holds: the stored flags, the
// workstation row, the records of the last maintenance, the rows and the
// customer count. What was read before a failure stays. Throws db::DbError.
void LoadSettingsFromDatabase(SettingsView& view);

// The day count of the schedule as the field keeps it: below 7 it is 7, above
// 255 (the most the setting holds) 255; what is no whole number stays as typed.
QString LimitDayCount(const QString& typed);
// The font size one step up (index 0) or down (index 1), kept within 8 to 14.
QString StepFontSize(const QString& typed, int index);
// A typed font size; nullopt for what is no whole number from 8 to 14.
std::optional<int> FontSizeOf(const QString& typed);

// The fields that show a stored value, as the user edits them (types into,
// steps, clicks or chooses in).
enum class SettingsField {
    PrinterLeftOffset, PrinterTopOffset, StationReadOnly, TerminAutoUpdate, BearbeiterSubscriptionRequired,
    BackupReminder, BackupDate2FileName, MwStIncluded, TableToolTipsEnabled, FontSize, MaxWeekCols,
    NormalTerminColor, TableFixedRowColBackColor, Password, StartPage, Autostart,
};
// The fields the user edited since the window loaded.
using EditedSettings = std::set<SettingsField>;

// What a save stores, each by name or column in lower case: what the shown
// fields change against the fields as loaded, and every edited field whose
// stored value it showed normalised (a font size below 6 as 8, a Null as
// the default), also where the value entered is the one shown.
struct SettingsChanges {
    RowValues shared;
    RowValues station;
    bool handOver = false;         // another workstation row was chosen
    bool any() const { return handOver || !shared.isEmpty() || !station.isEmpty(); }
};
SettingsChanges ChangedSettings(const SettingsFields& shown, const SettingsFields& loaded, const StoredSettings& atLoad,
                                const EditedSettings& edited);

// Why the values cannot be saved as they are ("" when they can), and which
// field to correct.
struct SettingsProblem {
    QString text;
    enum class Field { None, PrinterLeftOffset, PrinterTopOffset, FontSize, MaxWeekCols, Password } field = Field::None;
};
SettingsProblem CheckSettings(const SettingsFields& shown);

// A read-only workstation stores no settings (text 390, true), unless the
// read-only flag is lifted: then everything is stored.
bool RefuseReadOnlySave(const SettingsFields& shown, const SettingsFields& loaded);

// The shared preferences as the fields would store them, by name in lower case.
RowValues SharedSettingValues(const SettingsFields& fields);

// Stores ChangedSettings in one transaction. A shared setting another
// workstation changed since the window read it (atLoad: SettingsView's
// stored) keeps its value unless this window changed it too: then the user
// is asked once for all such settings, and Abbrechen stores nothing
// (Cancelled). The globals then hold the shared settings as stored and this
// workstation's as shown. Values CheckSettings refuses are told and nothing
// is stored (Refused). When the workstation row was deleted meanwhile its
// settings are not stored (StationGone). Throws db::DbError; then nothing is
// stored and the globals stay.
//
// Another row chosen in the station list is taken over only as the list
// showed it (atLoad.stations): a row logged in from another computer right
// now, or one whose computer name or login changed since, is asked about,
// named as stored, Nein the default; Nein stores nothing (Cancelled). A row
// deleted since is told and nothing is stored (HandOverGone). When this
// workstation's own row was taken over by another computer meanwhile, its
// settings are not stored and the user is told, naming that computer
// (StationTaken).
enum class SaveOutcome { Stored, StationGone, Refused, Cancelled, HandOverGone, StationTaken };
SaveOutcome SaveSettings(const SettingsFields& shown, const SettingsFields& loaded, const StoredSettings& atLoad,
                         const EditedSettings& edited = {});

// The program's own settings file as it is now: its bytes, nullopt when there
// is none (or it cannot be read).
using SettingsFileContent = std::optional<QByteArray>;
SettingsFileContent ReadOwnSettingsFile();

// Whether the settings file may be written with the database typed. When
// the file changed since the window read it (atLoad) and now names another
// database, the user is asked, naming it, Nein the default; asked anew when
// it changes again while the question stands.
bool MayReplaceSettingsFile(const QString& typed, const SettingsFileContent& atLoad);

// The database file typed while the program works on its open one. Only a
// field the user changed (shown: as the window showed it when it opened) is
// written into the settings file for the next start, after
// MayReplaceSettingsFile; when it is another file the user is told that the
// program goes on with the open one until then. With one program folder for
// several workstations an untouched field thus never puts back the database
// this one started with over another's choice.
void SaveDatabaseSettingForNextStart(const QString& typed, const QString& shown, const SettingsFileContent& atLoad);

// The same without the database (start-up could not open the file the
// settings file names: held by another workstation, the share not there yet).
// Only a field the user changed is written, so a save that changed nothing
// starts again on the database the settings file names.
void SaveDatabaseSettingForRestart(const QString& typed, const QString& shown, const SettingsFileContent& atLoad);
