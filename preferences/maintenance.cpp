#include "preferences/maintenance.h"

#include "core/appointments.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/files.h"
#include "core/globals.h"
#include "core/lookups.h"
#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <thread>

namespace {

using Kind = MaintenanceResult::Kind;

QString withS(int number, const QString& value)
{
    return GetResString(number, {{QStringLiteral("%s"), value}});
}

// Folder (with "/"), base name and extension (with its dot) of a path.
struct PathParts {
    QString folder;
    QString base;
    QString ext;
};

PathParts partsOf(const QString& path)
{
    PathParts p;
    p.folder = GetPathPart(path);
    if (p.folder == path)
        p.folder.clear();
    QString ext;
    SplitFileExt(GetFileNamePart(path), p.base, ext);
    if (!ext.isEmpty())
        p.ext = QLatin1Char('.') + ext;
    return p;
}

QString besides(const QString& path, const QString& suffix)
{
    const PathParts p = partsOf(path);
    return p.folder + p.base + suffix + p.ext;
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

[[noreturn]] void fail(const QString& what, const std::error_code& ec)
{
    throw db::DbError(db::err::Generic, what + QStringLiteral(": ") + QString::fromLocal8Bit(ec.message().c_str()));
}

void renameFile(const QString& from, const QString& to)
{
    std::error_code ec;
    if (std::filesystem::exists(fsPath(to), ec))
        throw db::DbError(db::err::DatabaseExists, to);
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        fail(QStringLiteral("\"") + from + QStringLiteral("\" → \"") + to + QStringLiteral("\""), ec);
}

// Puts fresh in the place of live, which becomes kept. When the second step
// fails the first is undone, so live always names a whole database.
void swapIn(const QString& live, const QString& fresh, const QString& kept)
{
    renameFile(live, kept);
    try {
        renameFile(fresh, live);
    } catch (...) {
        std::error_code ec;
        std::filesystem::rename(fsPath(kept), fsPath(live), ec);
        throw;
    }
}

// A file written by a step that failed; never one that was there before.
void removeOwn(const QString& path, bool existedBefore)
{
    if (!existedBefore)
        QFile::remove(path);
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

QString stationLine(const StationRow& row)
{
    QString name = !row.computerName.isEmpty() ? row.computerName : row.name;
    if (name.isEmpty())
        name = QStringLiteral("(ohne Namen)");
    const rt::Date last = row.lastAccess.isZero() ? row.loginDate : row.lastAccess;
    if (!last.isZero())
        name += QStringLiteral(" (zuletzt aktiv ") + rt::formatDate(last, DateFormat + QStringLiteral(" hh:nn")) + QLatin1Char(')');
    return QStringLiteral("- ") + name;
}

// After a file that cannot be read the program goes on without a database.
void dropDatabase()
{
    CloseProgramDatabase();
    DbOpen = false;
}

void reportEngineError(const db::DbError& e, const QString& action, int messageNumber, const QString& source)
{
    ui::msgBox(e.description() + QStringLiteral("\n\n") + withS(messageNumber, source), ui::Critical,
               QStringLiteral("Error ") + QString::number(e.number()) + QStringLiteral(" while ") + action
                   + QStringLiteral(" the database"));
}

// A file that is not there cannot be worked on; said before anything is asked.
bool refuseMissing(const QString& source)
{
    if (QFileInfo(source).isFile())
        return false;
    ui::msgBox(withS(521, source), ui::Exclamation, GetResString(520));
    return true;
}

}  // namespace

QString CompactionTarget(const QString& dbPath)
{
    return besides(dbPath, QStringLiteral("_neu_defragmentiert"));
}

QString PreviousStateName(const QString& dbPath)
{
    return besides(dbPath, QStringLiteral("_vor_Defragmentierung"));
}

QString RepairTarget(const QString& dbPath)
{
    return besides(dbPath, QStringLiteral("_neu_repariert"));
}

QString BeforeRepairName(const QString& dbPath, const QDateTime& now)
{
    return besides(dbPath, QStringLiteral("_vor_Reparatur_") + now.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

QString BackupTargetName(const QString& dbPath, const QString& backupPath, bool withStamp, const QDateTime& now)
{
    QString folder = backupPath.size() >= 2 ? GetPathPart(backupPath) : QString();
    if (folder.isEmpty() || folder == backupPath)
        folder = QDir::homePath() + QLatin1Char('/');
    const PathParts p = partsOf(dbPath);
    QString name = p.base + QStringLiteral("_Backup");
    if (withStamp)
        name += now.toString(QStringLiteral("yyyyMMdd_HHmm"));
    return folder + name + p.ext;
}

bool ConfirmOtherStations(const QString& dbPath, const QString& title)
{
    std::vector<StationRow> others;
    bool known = true;
    try {
        if (Db && Db->isOpen() && sameFile(Db->path(), dbPath)) {
            others = LoggedInStations(*Db, StationId);
        } else {
            std::unique_ptr<db::Database> file = db::Database::open(dbPath);
            others = LoggedInStations(*file, StationId);
        }
    } catch (const db::DbError&) {
        known = false;
    }
    if (known && others.empty())
        return true;
    QString text;
    if (known) {
        QStringList lines;
        for (const StationRow& row : others)
            lines << stationLine(row);
        text = QStringLiteral("An diesen Arbeitsplätzen ist das Programm noch angemeldet:\n\n") + lines.join(QLatin1Char('\n'))
               + QStringLiteral("\n\nÄnderungen, die dort jetzt gemacht werden, können verloren gehen. Bitte beenden Sie "
                                "das Programm dort zuerst. Wollen Sie trotzdem fortfahren?");
    } else {
        text = QStringLiteral("Es konnte nicht festgestellt werden, ob an anderen Arbeitsplätzen noch mit der Datenbank "
                              "gearbeitet wird. Änderungen, die dort jetzt gemacht werden, können verloren gehen.\n\n"
                              "Wollen Sie trotzdem fortfahren?");
    }
    return ui::msgBox(text, ui::OkCancel | ui::Exclamation | ui::DefaultButton2, title) == ui::Answer::Ok;
}

void RunWithProgress(const QString& text, const std::function<void()>& work)
{
    std::exception_ptr error;
    QEventLoop loop;
    QProgressDialog dialog(text, QString(), 0, 0, QApplication::activeWindow());
    dialog.setWindowTitle(AppTitle);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setCancelButton(nullptr);
    dialog.setMinimumDuration(0);
    dialog.reset();
    // Shown only when the work takes longer than a moment.
    QTimer::singleShot(400, &dialog, [&dialog] { dialog.show(); });
    std::thread worker([&] {
        try {
            work();
        } catch (const db::DbError&) {
            error = std::current_exception();
        } catch (const std::exception& e) {
            error = std::make_exception_ptr(db::DbError(db::err::Generic, QString::fromLocal8Bit(e.what())));
        } catch (...) {
            error = std::make_exception_ptr(db::DbError(db::err::Generic));
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

MaintenanceResult CompactDatabase(const QString& source, bool databaseMode)
{
    const QString title = GetResString(533);
    if (refuseMissing(source))
        return {};
    const QString question = withS(535, source) + QStringLiteral("\n\n(") + GetResString(534) + QLatin1Char(')');
    if (ui::msgBox(question, ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
        return {};
    if (!ConfirmOtherStations(source, title))
        return {};

    const bool wasOpen = DbOpen;
    CloseDatabaseForMaintenance();
    const QString fresh = CompactionTarget(source);
    const QString previous = PreviousStateName(source);
    const bool freshExisted = QFileInfo::exists(fresh);
    try {
        ui::WaitCursor wait;
        RunWithProgress(GetResString(534), [&] {
            db::engine::compactDatabase(source, fresh);
            db::Database::open(fresh)->close();
        });
        // The state before the previous compaction gives way; it is ours only
        // when it is a plain file of that name.
        if (QFileInfo(previous).isDir())
            throw db::DbError(db::err::Generic, QStringLiteral("\"") + previous + QStringLiteral("\" ist ein Ordner."));
        if (QFileInfo::exists(previous) && !QFile::remove(previous))
            throw db::DbError(db::err::Generic, QStringLiteral("\"") + previous + QStringLiteral("\" kann nicht gelöscht werden."));
        swapIn(source, fresh, previous);
    } catch (const db::DbError& e) {
        removeOwn(fresh, freshExisted);
        if (e.number() == db::err::NotADatabase) {
            reportEngineError(e, QStringLiteral("defragmenting"), 530, source);
            dropDatabase();
            return {Kind::Damaged, {}, {}};
        }
        reportEngineError(e, QStringLiteral("defragmenting"), 526, source);
        if (wasOpen && !OpenDatabaseFile(DbPath, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    }

    MaintenanceResult result{Kind::Done, rt::Date::now(), {}};
    QString text = withS(537, source);
    // Without the database only the file start-up tried is opened again.
    if (databaseMode || sameFile(source, DbPath)) {
        if (OpenDatabaseFile(DbPath, true)) {
            if (databaseMode)
                RecordDefrag(result.when);
        } else {
            text += QLatin1Char(' ') + GetResString(538);
            result.kind = Kind::NotOpen;
        }
    }
    ui::msgBox(text, ui::Information, title);
    return result;
}

MaintenanceResult RepairDatabase(const QString& source, bool databaseMode)
{
    const QString title = GetResString(532);
    if (refuseMissing(source))
        return {};
    const QString question = withS(536, source) + QStringLiteral("\n\n(") + GetResString(534) + QLatin1Char(')');
    if (ui::msgBox(question, ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
        return {};
    if (!ConfirmOtherStations(source, title))
        return {};

    const bool wasOpen = DbOpen;
    if (wasOpen)
        CloseDatabaseForMaintenance();
    const QString fresh = RepairTarget(source);
    const QString before = BeforeRepairName(source, QDateTime::currentDateTime());
    const bool freshExisted = QFileInfo::exists(fresh);
    db::engine::RepairReport report;
    try {
        ui::WaitCursor wait;
        RunWithProgress(GetResString(534), [&] { report = db::engine::repairDatabase(source, fresh); });
        swapIn(source, fresh, before);
    } catch (const db::DbError& e) {
        removeOwn(fresh, freshExisted);
        if (e.number() == db::err::NotADatabase) {
            reportEngineError(e, QStringLiteral("repairing"), 530, source);
            dropDatabase();
            return {Kind::Damaged, {}, {}};
        }
        reportEngineError(e, QStringLiteral("repairing"), 526, source);
        if (wasOpen && !OpenDatabaseFile(DbPath, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    }

    MaintenanceResult result{Kind::Done, rt::Date::now(), {}};
    QString text = withS(531, source) + QStringLiteral("\n\n");
    if (!report.sourceIntact)
        text += QStringLiteral("Dabei wurden Fehler gefunden und behoben. ");
    text += QStringLiteral("Die Datei vor der Reparatur bleibt als \"") + before + QStringLiteral("\" erhalten.");
    ui::msgBox(text, ui::Information, title);
    if (wasOpen) {
        if (!OpenDatabaseFile(DbPath, false))
            return {Kind::NotOpen, result.when, {}};
        if (databaseMode)
            RecordRepair(result.when);
    }
    return result;
}

MaintenanceResult BackupDatabase(bool withStamp)
{
    const QString title = GetResString(1718);
    const QString proposed = BackupTargetName(DbPath, BackupPath, withStamp, QDateTime::currentDateTime());
    if (ui::msgBox(withS(1815, DbPath), ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
        return {};
    if (!ConfirmOtherStations(DbPath, title))
        return {};

    ui::FileRequest request;
    request.title = GetResString(1816);
    request.directory = GetPathPart(proposed);
    request.fileName = GetFileNamePart(proposed);
    request.filter = QStringLiteral("Datenbank (*.mdb);;Alle Dateien (*)");
    QString target = ui::DialogService::instance().saveFile(request);
    if (target.isEmpty())
        return {};
    if (QFileInfo(target).suffix().isEmpty())
        target += QStringLiteral(".mdb");
    target = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    if (sameFile(target, DbPath) || QFileInfo(target).isDir()) {
        ui::msgBox(QStringLiteral("Die Sicherung kann nicht an die Stelle der Datenbank selbst oder eines Ordners treten. "
                                  "Bitte wählen Sie einen anderen Dateinamen."),
                   ui::Exclamation, title);
        return {Kind::Failed, {}, {}};
    }

    CloseDatabaseForMaintenance();
    // Written beside the target and moved over it only when complete, so an
    // older backup of that name survives a failed one.
    QString partial = target + QStringLiteral(".entsteht");
    for (int i = 2; QFileInfo::exists(partial); ++i)
        partial = target + QStringLiteral(".entsteht") + QString::number(i);
    QString failure;
    try {
        ui::WaitCursor wait;
        RunWithProgress(GetResString(1718), [&] { db::engine::compactDatabase(DbPath, partial); });
        std::error_code ec;
        std::filesystem::rename(fsPath(partial), fsPath(target), ec);
        if (ec)
            fail(target, ec);
    } catch (const db::DbError& e) {
        QFile::remove(partial);
        failure = e.description();
    }
    const bool reopened = OpenDatabaseFile(DbPath, true);
    if (!failure.isEmpty()) {
        ui::msgBox(QStringLiteral("Die Datenbank konnte nicht als \"") + target + QStringLiteral("\" gesichert werden.\n\n")
                       + failure,
                   ui::Exclamation, title);
    }
    if (!reopened) {
        ui::msgBox(withS(523, DbPath) + QStringLiteral("\n\n") + GetResString(524), ui::Critical, GetResString(522));
        return {Kind::NotOpen, {}, {}};
    }
    if (!failure.isEmpty())
        return {Kind::Failed, {}, {}};

    MaintenanceResult result{Kind::Done, rt::Date::now(), target};
    // A read-only workstation makes the copy but keeps no record of it.
    if (!StationReadOnly) {
        RecordBackup(target, ComputerName, result.when);
        BackupPath = target;
    }
    ui::msgBox(withS(1817, target), ui::Information, title);
    return result;
}

MaintenanceResult DeleteOldAppointmentsAsked(const QString& daysText)
{
    const int days = std::max(1, static_cast<int>(std::nearbyint(rt::val(daysText))));
    const rt::Date until = rt::Date::today().addDays(-days);
    const QString question =
        GetResString(1814, {{QStringLiteral("%s1"), rt::formatDate(until, QStringLiteral("ddd")) + QStringLiteral(", ")
                                                         + rt::formatDate(until, DateFormat)},
                            {QStringLiteral("%s2"), rt::formatDate(MusterwocheDate, DateFormat)}});
    if (ui::msgBox(question, ui::OkCancel | ui::Question, GetResString(1731)) != ui::Answer::Ok)
        return {};
    ui::WaitCursor wait;
    ui::doEvents();
    if (!DeleteOldAppointments(days)) {
        ui::msgBox(QStringLiteral("Diese Datenbank enthält keine Tabelle \"Termine\"; es wurden keine alten Termine gelöscht."),
                   ui::Information, GetResString(1731));
    }
    DeleteEmptyCustomers();
    return {Kind::Done, rt::Date::now(), {}};
}
