#pragma once

#include <QString>

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
