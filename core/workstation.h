#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace db {
class Database;
}

// This computer's row of tbl_workstations, found by ComputerName.
extern qint32 StationId;
extern QString StationName;
// Editing windows refuse every change while this is set.
extern bool StationReadOnly;
extern bool TableAutoUpdate;
extern int StartPage;

// On a read-only workstation shows text 390 (with the given icon) and
// answers true: the caller then changes nothing.
bool RefuseReadOnly(int icon = 48);

// The host name, whole; "" when the platform gives none.
QString GetThisComputerName();

// Registers the computer (creating its row on the first start), stamps the
// login and last-access times and loads its settings. Columns the table lacks
// are added afterwards. Returns ws_id, 0 when the row could not be read (the
// station then runs read-only and the user is told so) or, on the first start,
// not be stored.
qint32 GetStationPreferences(const QString& computerName);

// Moves this computer's last access to now; failures are ignored.
void UpdateWorkstationLastAccess();
// Clears the login and last-access times of row StationId; failures are ignored.
void LogoutWorkstation();

// ---- The workstation rows as the settings window and maintenance see them.

struct StationRow {
    qint32 id = 0;
    QString computerName;
    QString name;
    rt::Date loginDate;    // zero when logged out
    rt::Date lastAccess;
};

// Every row by ws_id. Throws db::DbError.
std::vector<StationRow> LoadStations();
// The computer names of the rows logged in, in stored order (a missing name
// counts as ""). Throws db::DbError.
QStringList OnlineStationNames();
// The rows logged in other than exceptId, on the given connection (maintenance
// may look into a file the program has not opened). Throws db::DbError.
std::vector<StationRow> LoggedInStations(db::Database& database, qint32 exceptId);

// What the settings window keeps in the workstation row; a setting without a
// value is left as stored.
struct StationSettings {
    std::optional<bool> readOnly;
    std::optional<bool> tableAutoUpdate;
    std::optional<bool> autostart;
    std::optional<int> startPage;
};
// The row's values by column in lower case; empty when there is no such row.
// Throws db::DbError.
RowValues StationRowValues(qint32 stationId);
// The row of ws_id as the station list reads it; nullopt when there is none.
// Throws db::DbError.
std::optional<StationRow> ReadStation(qint32 stationId);

enum class StationWrite {
    Stored,
    Gone,      // the row no longer exists: nothing written
    Changed,   // the row is no longer as agreed (hand-over) or no longer this computer's; nothing written
};
// Stores the settings in this computer's own row, while it still carries
// this computer's name. One transaction; throws db::DbError.
StationWrite StoreStationSettings(qint32 stationId, const QString& computerName, const StationSettings& settings);

// Taking over another workstation row for this computer (the settings window's
// station list). What a row is now against what the list showed of it.
enum class HandOverState {
    Free,      // as shown, and no other computer is logged in with it
    InUse,     // as shown, but logged in from another computer right now
    Changed,   // its computer name or login changed since shown
    Gone,      // deleted since shown
};
HandOverState CheckHandOver(const StationRow& shown, const std::optional<StationRow>& stored,
                            const QString& computerName);
// The same computer name and login: what decides who uses a row.
bool SameStationUse(const StationRow& a, const StationRow& b);
// Hands row agreed.id to this computer with the settings, in one transaction:
// only while its computer name and login are still as agreed (as the list
// showed it, or as the user was asked about it). The old row loses the name
// and its login only while it still carries this computer's name. Throws
// db::DbError.
StationWrite HandOverStation(qint32 oldId, const StationRow& agreed, const QString& computerName,
                             const StationSettings& settings);
// Stamps the login and last-access times of row StationId again (after the
// program logged out for a step it then did not take); failures are ignored.
void MarkWorkstationLoggedIn();
