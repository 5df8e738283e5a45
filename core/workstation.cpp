#include "core/workstation.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QSysInfo>

#include <optional>
#include <vector>

qint32 StationId = 0;
QString StationName;
bool StationReadOnly = false;
bool TableAutoUpdate = false;
int StartPage = 1;

namespace {

const QString StationTable = QStringLiteral("tbl_workstations");

// A column the row lacked, added once the registration is through.
struct MissingField {
    QString table;
    QString column;
    int type;
    QString defaultValue;
};
constexpr std::size_t MaxMissingFields = 30;

QString errorReport(const QString& column, const QString& error)
{
    return QStringLiteral("Error while activating the preferences for this workstation in GetStationPreferences()\n\"")
           + column + QStringLiteral("\"\n\n") + error;
}

}  // namespace

QString GetThisComputerName()
{
    return QSysInfo::machineHostName();
}

qint32 GetStationPreferences(const QString& computerName)
{
    LogoutWorkstation();
    StartPage = 1;

    qint32 result = 0;
    std::vector<MissingField> missing;
    QString column;
    int columnType = 0;
    int defaultNumber = 0;

    // On a file this workstation cannot write to, the row is only read: the
    // station runs read-only and start-up says so once.
    const bool fileReadOnly = DatabaseReadOnly();
    std::optional<db::Recordset> rs;
    bool newRow = false;
    try {
        if (!Db)
            throw db::DbError(db::err::ObjectClosed);
        rs.emplace(Db->openRecordset(QStringLiteral("SELECT * FROM ") + StationTable
                                         + QStringLiteral(" WHERE ws_computername = ?;"),
                                     db::OpenMode::Dynaset, {db::Value(computerName)}));
        newRow = rs->eof();
        if (newRow && fileReadOnly) {
            StationReadOnly = true;
            return 0;
        }
        if (newRow)
            rs->addNew();
        else if (!fileReadOnly)
            rs->edit();
    } catch (const db::DbError& e) {
        // Nothing of the row can be read. A station whose settings are unknown
        // must not write, whatever it was allowed before.
        StationReadOnly = true;
        ui::msgBox(errorReport(QString(), e.description()) + QStringLiteral("\n\n") + GetResString(390),
                   ui::Information);
        return 0;
    }

    // Each read or write below is on its own: a failure is noted (a missing
    // column silently) and the next one goes on.
    auto noteFailure = [&](const db::DbError& e) {
        if (e.number() != db::err::ItemNotFound)
            ui::msgBox(errorReport(column, e.description()), ui::Information);
        if (missing.size() < MaxMissingFields)
            missing.push_back({StationTable, column, columnType, QString::number(defaultNumber)});
        defaultNumber = 0;
    };
    auto step = [&](const QString& name, int type, const auto& action) {
        column = name;
        columnType = type;
        try {
            action();
        } catch (const db::DbError& e) {
            noteFailure(e);
        }
    };
    auto value = [&](const char* name) { return rs->field(QString::fromLatin1(name)).value(); };
    auto set = [&](const char* name, const db::Value& v) { rs->field(QString::fromLatin1(name)).setValue(v); };

    if (newRow) {
        const QString key = QStringLiteral("ws_computername");
        step(key, 0, [&] { set("ws_computername", db::Value(computerName)); });
        step(key, 0, [&] { set("ws_name", db::Value(computerName)); });
        step(key, 0, [&] { set("ws_startpage", db::Value(StartPage)); });
    }
    const db::Value now{rt::Date::now()};
    if (!fileReadOnly) {
        step(QStringLiteral("ws_logindate"), 8, [&] { set("ws_logindate", now); });
        step(QStringLiteral("ws_lastaccess"), 8, [&] { set("ws_lastaccess", now); });
    }
    step(QStringLiteral("ws_lastaccess"), 8, [&] { result = value("ws_id").toLong(); });
    step(QStringLiteral("ws_name"), 10, [&] { StationName = value("ws_name").toText(); });

    column = QStringLiteral("ws_ReadOnly");
    columnType = 1;
    try {
        StationReadOnly = value("ws_ReadOnly").toBool();
    } catch (const db::DbError& e) {
        // A missing column is added below with 0; any other failure leaves the
        // flag unknown, and then the station must not write.
        StationReadOnly = e.number() != db::err::ItemNotFound;
        noteFailure(e);
    }
    step(QStringLiteral("ws_TableAutoUpdate"), 1, [&] { TableAutoUpdate = value("ws_TableAutoUpdate").toBool(); });
    step(QStringLiteral("ws_TableAutosizeRows"), 1, [&] { (void)value("ws_TableAutosizeRows").toBool(); });
    step(QStringLiteral("ws_TableMergeRows"), 1, [&] { (void)value("ws_TableMergeRows").toBool(); });
    defaultNumber = StartPage;
    step(QStringLiteral("ws_startpage"), 3, [&] {
        const db::Value v = value("ws_startpage");
        if (!v.isNull())
            StartPage = v.toLong();
    });
    step(QStringLiteral("ws_VisiblePages"), 10, [&] { (void)rt::trim(value("ws_VisiblePages").toText()); });
    step(QStringLiteral("ws_Autostart"), 1, [&] { (void)value("ws_Autostart").toBool(); });
    bool stored = false;
    if (!fileReadOnly) {
        step(column, columnType, [&] {
            rs->update();
            stored = true;
        });
    }
    rs->close();
    if (fileReadOnly) {
        StationReadOnly = true;
        return result;
    }
    // The id of a new row that was never written may go to the next station
    // that registers; this one must not log out or change that row later.
    if (newRow && !stored)
        result = 0;

    for (const MissingField& f : missing) {
        if (f.column.isEmpty())
            continue;
        AddFieldIfMissing(f.table, f.column, f.type, 0, f.defaultValue, false);
    }
    return result;
}

void UpdateWorkstationLastAccess()
{
    if (!Db)
        return;
    try {
        Db->execute(QStringLiteral("UPDATE ") + StationTable
                        + QStringLiteral(" SET ws_lastaccess = Now() WHERE ws_computername = ?;"),
                    {db::Value(ComputerName)});
    } catch (const db::DbError&) {
        // A missed heartbeat only leaves the old time in the row.
    }
}

void LogoutWorkstation()
{
    if (!DbOpen || !Db)
        return;
    try {
        Db->execute(QStringLiteral("UPDATE ") + StationTable
                    + QStringLiteral(" SET ws_LoginDate = NULL, ws_lastaccess = NULL WHERE ws_id = ")
                    + QString::number(StationId) + QStringLiteral(";"));
    } catch (const db::DbError&) {
        // Nothing to do: the row simply stays logged in.
    }
}

bool RefuseReadOnly(int icon)
{
    if (!StationReadOnly)
        return false;
    ui::msgBox(GetResString(390), icon, AppTitle);
    return true;
}

namespace {

rt::Date dateOrZero(const db::Value& v)
{
    return v.isNull() ? rt::Date() : v.toDate();
}

StationRow stationRow(const db::Recordset& rs)
{
    StationRow row;
    row.id = rs.value(QStringLiteral("ws_id")).toLong();
    row.computerName = rs.value(QStringLiteral("ws_computername")).toText();
    row.name = rs.value(QStringLiteral("ws_name")).toText();
    row.loginDate = dateOrZero(rs.value(QStringLiteral("ws_logindate")));
    row.lastAccess = dateOrZero(rs.value(QStringLiteral("ws_lastaccess")));
    return row;
}

const QString StationColumns =
    QStringLiteral("SELECT ws_id, ws_computername, ws_name, ws_logindate, ws_lastaccess FROM tbl_workstations");

}  // namespace

std::vector<StationRow> LoadStations()
{
    std::vector<StationRow> rows;
    db::Recordset rs = OpenedDb().openRecordset(StationColumns + QStringLiteral(" ORDER BY ws_id;"),
                                                    db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext())
        rows.push_back(stationRow(rs));
    return rows;
}

QStringList OnlineStationNames()
{
    QStringList names;
    db::Recordset rs = OpenedDb().openRecordset(
        QStringLiteral("SELECT ws_computername FROM tbl_workstations WHERE (ws_LoginDate > 0);"),
        db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext())
        names << rs.value(QStringLiteral("ws_computername")).toText();
    return names;
}

std::vector<StationRow> LoggedInStations(db::Database& database, qint32 exceptId)
{
    std::vector<StationRow> rows;
    db::Recordset rs = database.openRecordset(StationColumns + QStringLiteral(" WHERE (ws_LoginDate > 0) AND ws_id <> ? "
                                                                              "ORDER BY ws_id;"),
                                              db::OpenMode::ForwardOnlyReadOnly, {db::Value(exceptId)});
    for (; !rs.eof(); rs.moveNext())
        rows.push_back(stationRow(rs));
    return rows;
}

RowValues StationRowValues(qint32 stationId)
{
    return ReadRow(StationTable, QStringLiteral("ws_id"), db::Value(stationId)).value_or(RowValues());
}

std::optional<StationRow> ReadStation(qint32 stationId)
{
    db::Recordset rs = OpenedDb().openRecordset(StationColumns + QStringLiteral(" WHERE ws_id = ?;"),
                                                db::OpenMode::ForwardOnlyReadOnly, {db::Value(stationId)});
    if (rs.eof())
        return std::nullopt;
    return stationRow(rs);
}

namespace {

// Computer names compare as the table's column does, without regard to case.
bool sameComputer(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

bool SameStationUse(const StationRow& a, const StationRow& b)
{
    return sameComputer(a.computerName, b.computerName) && a.loginDate == b.loginDate;
}

HandOverState CheckHandOver(const StationRow& shown, const std::optional<StationRow>& stored,
                            const QString& computerName)
{
    if (!stored)
        return HandOverState::Gone;
    if (!SameStationUse(shown, *stored))
        return HandOverState::Changed;
    // A row without a computer name is found by no heartbeat: nobody uses it.
    const bool elsewhere = !stored->loginDate.isZero() && !stored->computerName.isEmpty()
                           && !sameComputer(stored->computerName, computerName);
    return elsewhere ? HandOverState::InUse : HandOverState::Free;
}

namespace {

// Row id as read inside the caller's transaction; nullopt when it is gone.
std::optional<db::Recordset> openStation(db::Database& d, qint32 id)
{
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM tbl_workstations WHERE ws_id = ?;"),
                                       db::OpenMode::Dynaset, {db::Value(id)});
    if (rs.eof())
        return std::nullopt;
    return rs;
}

void writeStation(db::Recordset& rs, const QString& computerName, const StationSettings& settings, bool logIn)
{
    rs.edit();
    rs.field(QStringLiteral("ws_computername")).setValue(db::Value(computerName));
    if (settings.tableAutoUpdate)
        rs.field(QStringLiteral("ws_TableAutoUpdate")).setValue(db::Value(*settings.tableAutoUpdate));
    if (settings.readOnly)
        rs.field(QStringLiteral("ws_ReadOnly")).setValue(db::Value(*settings.readOnly));
    if (settings.autostart)
        rs.field(QStringLiteral("ws_Autostart")).setValue(db::Value(*settings.autostart));
    if (settings.startPage)
        rs.field(QStringLiteral("ws_startpage")).setValue(db::Value(*settings.startPage));
    if (logIn) {
        const db::Value now{rt::Date::now()};
        rs.field(QStringLiteral("ws_logindate")).setValue(now);
        rs.field(QStringLiteral("ws_lastaccess")).setValue(now);
    }
    rs.update();
}

}  // namespace

StationWrite StoreStationSettings(qint32 stationId, const QString& computerName, const StationSettings& settings)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    std::optional<db::Recordset> rs = openStation(d, stationId);
    if (!rs)
        return StationWrite::Gone;
    // Taken over since by another computer (or released): the row is no longer this one's to write.
    if (!sameComputer(rs->value(QStringLiteral("ws_computername")).toText(), computerName))
        return StationWrite::Changed;
    writeStation(*rs, computerName, settings, false);
    transaction.commit();
    return StationWrite::Stored;
}

StationWrite HandOverStation(qint32 oldId, const StationRow& agreed, const QString& computerName,
                             const StationSettings& settings)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    std::optional<db::Recordset> rs = openStation(d, agreed.id);
    if (!rs)
        return StationWrite::Gone;
    if (!SameStationUse(stationRow(*rs), agreed))
        return StationWrite::Changed;
    // Taken over meanwhile by another computer, the old row stays that one's.
    d.execute(QStringLiteral("UPDATE tbl_workstations SET ws_computername = '', ws_LoginDate = NULL, "
                             "ws_lastaccess = NULL WHERE ws_id = ? AND ws_computername = ?;"),
              {db::Value(oldId), db::Value(computerName)});
    writeStation(*rs, computerName, settings, true);
    transaction.commit();
    return StationWrite::Stored;
}

void MarkWorkstationLoggedIn()
{
    if (!DbOpen || !Db)
        return;
    try {
        Db->execute(QStringLiteral("UPDATE tbl_workstations SET ws_LoginDate = Now(), ws_lastaccess = Now() WHERE ws_id = ?;"),
                    {db::Value(StationId)});
    } catch (const db::DbError&) {
        // The row then simply shows as logged out until the next start.
    }
}
