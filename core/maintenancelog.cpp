#include "core/maintenancelog.h"

#include "core/database.h"
#include "core/handler.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/windows.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

bool ShutdownRequestedHere = false;
bool EndRequested = false;

namespace {

constexpr int TypeBoolean = 1;
constexpr int TypeDate = 8;
constexpr int TypeText = 10;

// tbl_preferences has one row; a database that lost it gets it back.
void setLogColumn(db::Database& d, const QString& column, const db::Value& value)
{
    if (d.execute(QStringLiteral("UPDATE tbl_preferences SET ") + column + QStringLiteral(" = ?;"), {value}) == 0)
        d.execute(QStringLiteral("INSERT INTO tbl_preferences (") + column + QStringLiteral(") VALUES (?);"), {value});
}

void record(const QList<std::pair<QString, db::Value>>& entries)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    for (const auto& [column, value] : entries) {
        setLogColumn(d, column, value);
        const int type = value.kind() == db::Value::Kind::Date ? TypeDate
                         : value.kind() == db::Value::Kind::Bool ? TypeBoolean
                                                                : TypeText;
        // Thrown, not reported here: no message may stand while this holds the write lock.
        StorePreference(column, value, type);
    }
    transaction.commit();
}

bool isTrue(const db::Value& v)
{
    if (v.isNull())
        return false;
    if (v.kind() != db::Value::Kind::Text)
        return v.toDouble() != 0;
    const QString t = v.toText().trimmed().toLower();
    if (t == QLatin1String("wahr") || t == QLatin1String("true"))
        return true;
    std::optional<double> n = db::textToNumber(t);
    return n && *n != 0;
}

}  // namespace

MaintenanceLog ReadMaintenanceLog()
{
    const db::Value noDate{rt::Date()};
    MaintenanceLog log;
    log.lastBackupSavedDate = GetPreference(QStringLiteral("LastBackupSavedDate"), TypeDate, noDate).toDate();
    log.lastDefragDate = GetPreference(QStringLiteral("LastDefragDate"), TypeDate, noDate).toDate();
    log.lastRepairDate = GetPreference(QStringLiteral("LastRepairDate"), TypeDate, noDate).toDate();
    log.lastBackupSavedOnStation =
        GetPreference(QStringLiteral("LastBackupSavedOnStation"), TypeText, db::Value(QString())).toText();
    log.backupDate2FileName =
        isTrue(GetPreference(QStringLiteral("BackupDate2FileName"), TypeBoolean, db::Value(false)));
    return log;
}

void RecordDefrag(const rt::Date& when)
{
    record({{QStringLiteral("LastDefragDate"), db::Value(when)}});
}

void RecordRepair(const rt::Date& when)
{
    record({{QStringLiteral("LastRepairDate"), db::Value(when)}});
}

void RecordBackup(const QString& target, const QString& station, const rt::Date& when)
{
    record({{QStringLiteral("BackupPath"), db::Value(target)},
            {QStringLiteral("LastBackupSavedDate"), db::Value(when)},
            {QStringLiteral("LastBackupSavedOnStation"), db::Value(station)}});
}

void RequestShutdownAll()
{
    record({{QStringLiteral("Shutdown"), db::Value(true)}});
}

bool ShutdownRequested()
{
    if (!Db || !Db->isOpen())
        return false;
    try {
        db::Recordset rs = Db->openRecordset(
            QStringLiteral("SELECT prf_data_type, prf_text_value, prf_bool_value, prf_long_value, prf_single_value "
                           "FROM tbl_preferences2 WHERE prf_name = ?;"),
            db::OpenMode::ForwardOnlyReadOnly, {db::Value(QStringLiteral("Shutdown"))});
        if (rs.eof())
            return false;
        switch (rs.value(QStringLiteral("prf_data_type")).toLong()) {
        case TypeBoolean: return isTrue(rs.value(QStringLiteral("prf_bool_value")));
        case TypeText: return isTrue(rs.value(QStringLiteral("prf_text_value")));
        case 4: return isTrue(rs.value(QStringLiteral("prf_long_value")));
        case 6: return isTrue(rs.value(QStringLiteral("prf_single_value")));
        default: return false;
        }
    } catch (const db::DbError&) {
        // Closed for maintenance or busy: the next look decides.
        return false;
    }
}

namespace {

QTimer* watchTimer = nullptr;

}  // namespace

bool CheckShutdownRequest()
{
    bool storedNow = false;
    if (!EndRequested) {
        if (!DbOpen)
            return true;
        if (!ShutdownRequested()) {
            ShutdownRequestedHere = false;
            return true;
        }
        if (ShutdownRequestedHere)
            return true;
        EndRequested = true;
        if (watchTimer)
            watchTimer->setInterval(1000);
        // What stores unasked stores now: what it could not write keeps the station here.
        RunProgramEndWork(true);
        storedNow = true;
    }
    QStringList unsaved = UnsavedEdits();
    // Edits made here since are stored before the end; what that store could
    // not write keeps the station after all.
    if (unsaved.isEmpty() && !storedNow) {
        RunProgramEndWork(true);
        unsaved = UnsavedEdits();
    }
    if (unsaved.isEmpty()) {
        if (Windows().showEndRequestNotice)
            Windows().showEndRequestNotice({});
        ExitProgram(true);
    }
    if (Windows().showEndRequestNotice)
        Windows().showEndRequestNotice(unsaved);
    return true;
}

void CheckShutdownRequestWhenIdle()
{
    if (HandlerRunning() || QApplication::activeModalWidget())
        return;
    CheckShutdownRequest();
}

void StartShutdownWatch(int intervalMs)
{
    if (!watchTimer) {
        watchTimer = new QTimer(QCoreApplication::instance());
        QObject::connect(watchTimer, &QTimer::timeout, [] { CheckShutdownRequestWhenIdle(); });
    }
    watchTimer->start(EndRequested ? 1000 : intervalMs);
}
