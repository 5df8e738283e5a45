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
#include "core/startup.h"
#include "core/unfinishedcopies.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/runtime/fileerror.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStorageInfo>
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
    throw db::DbError::withReason(db::err::Generic, what + QStringLiteral(": ") + rt::fileErrorReason(ec));
}

void moveInto(const QString& partial, const QString& target)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(partial), fsPath(target), ec);
    if (ec)
        fail(target, ec);
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

// A text with what the clean-up before the step left where it stands.
QString withNote(const QString& text, const QString& note)
{
    return note.isEmpty() ? text : text + QStringLiteral("\n\n") + note;
}

// Removes what cut-off steps left beside source and, with the program's
// database, beside its last backup; says what stays.
QString cleanUpBeside(const QString& source, bool databaseMode)
{
    return LeftInPlaceNote(RemoveUnfinishedCopiesBeside(source, databaseMode ? QStringList{BackupPath} : QStringList{}));
}

void reportEngineError(const db::DbError& e, const QString& action, int messageNumber, const QString& source,
                       const QString& note)
{
    ui::msgBox(withNote(e.description() + QStringLiteral("\n\n") + withS(messageNumber, source), note), ui::Critical,
               QStringLiteral("Error ") + QString::number(e.number()) + QStringLiteral(" while ") + action
                   + QStringLiteral(" the database"));
}

void reportInTheWay(const FileInTheWay& e, const QString& title, const QString& note)
{
    ui::msgBox(withNote(e.text() + QStringLiteral("\n\nAn der Datenbank wurde nichts verändert."), note), ui::Exclamation,
               title);
}

void reportBusy(const QString& source, const QString& title, const QString& note)
{
    ui::msgBox(withNote(QStringLiteral("Die Datenbank \"") + ShownPath(source)
                            + QStringLiteral("\" wird an einem anderen Arbeitsplatz gerade benutzt und konnte nicht "
                                             "rechtzeitig gesperrt werden. Die Datei ist nicht beschädigt.\n\nEs wurde "
                                             "nichts verändert. Bitte versuchen Sie es in einem Moment noch einmal."),
                        note),
               ui::Exclamation, title);
}

QString heldText(const QString& path)
{
    return QStringLiteral("Die Datenbank \"") + ShownPath(path)
           + QStringLiteral("\" ist an einem anderen Arbeitsplatz gerade gesperrt (zum Beispiel für eine Datensicherung, "
                            "Defragmentierung oder Reparatur dort). Die Datei ist nicht beschädigt.");
}

// Ends the program after naming what cannot be stored without the database;
// returns when the user goes back to the question instead.
void endWithoutDatabase()
{
    if (!AgreeToLose(QStringLiteral("Ohne die Datenbank können diese Eingaben nicht gespeichert werden; sie gehen "
                                    "verloren, wenn %1 jetzt beendet wird:")
                         .arg(AppTitle),
                     EditsNotInTheDatabase()))
        return;
    // Nothing can be written now: no end work, no logout.
    EndProgram();
}

}  // namespace

bool WaitForProgramDatabase(const QString& title)
{
    for (;;) {
        std::optional<db::DbError> error;
        {
            ui::WaitCursor wait;
            error = TryOpenDatabaseFile(DbPath);
        }
        if (!error)
            return true;
        if (error->number() == db::err::NotADatabase)
            return false;
        const QString why = error->number() == db::err::Locked
                                ? heldText(DbPath) + QStringLiteral(" Sie kann deshalb im Moment nicht wieder geöffnet werden.")
                                : QStringLiteral("Die Datenbank \"") + ShownPath(DbPath)
                                      + QStringLiteral("\" kann im Moment nicht wieder geöffnet werden.\n\n")
                                      + error->description();
        const QString question =
            why
            + QStringLiteral("\n\nOhne die Datenbank kann an diesem Arbeitsplatz nicht weitergearbeitet werden.\n\n"
                             "Wiederholen: es noch einmal versuchen, zum Beispiel wenn der andere Arbeitsplatz fertig ist.\n"
                             "Beenden: %1 an diesem Arbeitsplatz beenden.")
                  .arg(AppTitle);
        if (ui::msgBox(question, ui::RetryEnd | ui::Exclamation, title) == ui::Answer::Abort)
            endWithoutDatabase();
    }
}

namespace {

// The reopen after a step: a station that works with its database waits for
// it; otherwise it is opened as before, said (quiet false) or not.
bool reopen(const QString& title, bool station, bool quiet)
{
    if (station && WaitForProgramDatabase(title))
        return true;
    return OpenDatabaseFile(DbPath, quiet);
}

// A file that is not there cannot be worked on; said before anything is asked.
bool refuseMissing(const QString& source)
{
    if (QFileInfo(source).isFile())
        return false;
    ui::msgBox(withS(521, source), ui::Exclamation, GetResString(520));
    return true;
}

// The question before compaction and repair, with the workstations that may
// have to wait for it.
bool askFirst(int question, const QString& source, const QString& title)
{
    QString text = withS(question, source) + QStringLiteral("\n\n(") + GetResString(534) + QLatin1Char(')');
    const QStringList others = OtherStationLines(source);
    if (!others.isEmpty()) {
        text += QStringLiteral("\n\nAn diesen Arbeitsplätzen ist das Programm angemeldet:\n") + others.join(QLatin1Char('\n'))
                + QStringLiteral("\nDort muss eventuell einen Moment gewartet werden, bis der Vorgang beendet ist.");
    }
    return ui::msgBox(text, ui::OkCancel | ui::Question, title) == ui::Answer::Ok;
}

bool refuseShortSpace(const QString& source, int copies, const QString& title, const QString& note)
{
    const QString shortage = SpaceShortage(source, copies);
    if (shortage.isEmpty())
        return false;
    ui::msgBox(withNote(shortage + QStringLiteral("\n\nEs wurde nichts verändert."), note), ui::Exclamation, title);
    return true;
}

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::German, QLocale::Germany).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The folder SQLite writes the temporary copy of a compaction to.
QString sqliteTempFolder()
{
    for (const char* variable : {"SQLITE_TMPDIR", "TMPDIR"}) {
        const QString folder = qEnvironmentVariable(variable);
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && QFileInfo(folder).isWritable())
            return folder;
    }
    for (const char* folder : {"/var/tmp", "/usr/tmp", "/tmp"}) {
        if (QFileInfo(QString::fromLatin1(folder)).isDir() && QFileInfo(QString::fromLatin1(folder)).isWritable())
            return QString::fromLatin1(folder);
    }
    return QDir::currentPath();
}

// A copy written under a name of its own and moved to its place only when
// complete, so an older file of that name survives a failed step. Never the
// live file.
class KeptCopy {
public:
    explicit KeptCopy(const QString& target)
        : m_target(target), m_partial([&target](int n) { return PartialName(target, n); })
    {
    }
    ~KeptCopy()
    {
        if (!m_kept)
            QFile::remove(m_partial.path());
    }
    const QString& partial() const { return m_partial.path(); }
    // rightsOf: the database whose rights a copy kept beside it takes.
    void keep(const QString& rightsOf = QString())
    {
        if (!rightsOf.isEmpty())
            TakeRightsOf(rightsOf, m_partial.path());
        moveInto(m_partial.path(), m_target);
        m_kept = true;
    }

private:
    QString m_target;
    CopyInProgress m_partial;
    bool m_kept = false;
};

}  // namespace

QString PreviousStateName(const QString& dbPath)
{
    return besides(dbPath, QStringLiteral("_vor_Defragmentierung"));
}

QString RepairTarget(const QString& dbPath, int n)
{
    return besides(dbPath, QStringLiteral("_neu_repariert") + (n > 1 ? QString::number(n) : QString()));
}

QString BeforeRepairName(const QString& dbPath, const QDateTime& now)
{
    return besides(dbPath, QStringLiteral("_vor_Reparatur_") + now.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

bool IsMaintenanceCopy(const QString& name, const QString& dbPath)
{
    if (IsUnfinishedCopy(name, dbPath))
        return true;
    const PathParts p = partsOf(dbPath);
    const QString stem = p.base + QLatin1Char('_');
    if (!name.startsWith(stem, Qt::CaseInsensitive))
        return false;
    QString rest = name.mid(stem.size());
    // A copy still being written, or one left by an older version of the program.
    const qsizetype partial = rest.indexOf(QStringLiteral(".entsteht"));
    if (partial >= 0)
        rest.truncate(partial);
    if (!rest.endsWith(p.ext, Qt::CaseInsensitive))
        return false;
    rest.chop(p.ext.size());
    static const QRegularExpression kinds(QStringLiteral(
        "^(vor_Defragmentierung|vor_Reparatur_\\d{8}_\\d{6}|neu_repariert|neu_defragmentiert)$"));
    return kinds.match(rest).hasMatch();
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

QStringList OtherStationLines(const QString& dbPath)
{
    std::vector<StationRow> others;
    try {
        if (Db && Db->isOpen() && sameFile(Db->path(), dbPath)) {
            others = LoggedInStations(*Db, StationId);
        } else {
            std::unique_ptr<db::Database> file = db::Database::open(dbPath);
            others = LoggedInStations(*file, StationId);
        }
    } catch (const db::DbError&) {
        return {};
    }
    QStringList lines;
    for (const StationRow& row : others)
        lines << stationLine(row);
    return lines;
}

QString SpaceShortage(const QString& dbPath, int copies)
{
    const qint64 size = QFileInfo(dbPath).size();
    // Some room beyond the copies for the file's growth meanwhile.
    const qint64 needed = size * copies + 1024 * 1024;
    const QString folder = QFileInfo(dbPath).absolutePath();
    const QStorageInfo here(folder);
    if (here.isValid() && here.bytesAvailable() >= 0 && here.bytesAvailable() < needed) {
        return QStringLiteral("Im Ordner \"") + ShownPath(folder) + QStringLiteral("\" sind nur noch ")
               + sizeText(here.bytesAvailable()) + QStringLiteral(" frei; gebraucht werden etwa ") + sizeText(needed)
               + QStringLiteral(" (die Datenbank ist ") + sizeText(size) + QStringLiteral(" groß).");
    }
    const QStorageInfo temp(sqliteTempFolder());
    if (copies > 1 && temp.isValid() && temp.device() != here.device() && temp.bytesAvailable() >= 0
        && temp.bytesAvailable() < size + 1024 * 1024) {
        return QStringLiteral("Im Ordner für temporäre Dateien \"") + temp.rootPath() + QStringLiteral("\" sind nur noch ")
               + sizeText(temp.bytesAvailable()) + QStringLiteral(" frei; gebraucht werden etwa ")
               + sizeText(size + 1024 * 1024) + QLatin1Char('.');
    }
    return QString();
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
    if (!askFirst(535, source, title))
        return {};
    const QString note = cleanUpBeside(source, databaseMode);
    // The state before, and the journal of the compaction itself.
    if (refuseShortSpace(source, 2, title, note))
        return {};

    const bool wasOpen = DbOpen;
    CloseDatabaseForMaintenance();
    try {
        ui::WaitCursor wait;
        KeptCopy previous(PreviousStateName(source));
        RunWithProgress(GetResString(534), [&] {
            db::engine::compactDatabase(source, previous.partial());
            db::engine::compactInPlace(source);
        });
        previous.keep(source);
    } catch (const FileInTheWay& e) {
        reportInTheWay(e, title, note);
        if (wasOpen && !reopen(title, databaseMode, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    } catch (const db::DbError& e) {
        if (e.number() == db::err::NotADatabase) {
            reportEngineError(e, QStringLiteral("defragmenting"), 530, source, note);
            dropDatabase();
            return {Kind::Damaged, {}, {}};
        }
        if (e.number() == db::err::Locked)
            reportBusy(source, title, note);
        else
            reportEngineError(e, QStringLiteral("defragmenting"), 526, source, note);
        if (wasOpen && !reopen(title, databaseMode, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    }

    MaintenanceResult result{Kind::Done, rt::Date::now(), {}};
    QString text = withS(537, source);
    // Without the database only the file start-up tried is opened again.
    if (databaseMode || sameFile(source, DbPath)) {
        if (reopen(title, databaseMode, true)) {
            if (databaseMode)
                RecordDefrag(result.when);
        } else {
            text += QLatin1Char(' ') + GetResString(538);
            result.kind = Kind::NotOpen;
        }
    }
    ui::msgBox(withNote(text, note), note.isEmpty() ? ui::Information : ui::Exclamation, title);
    return result;
}

MaintenanceResult RepairDatabase(const QString& source, bool databaseMode)
{
    const QString title = GetResString(532);
    if (refuseMissing(source))
        return {};
    if (!askFirst(536, source, title))
        return {};
    const QString note = cleanUpBeside(source, databaseMode);
    if (refuseShortSpace(source, 2, title, note))
        return {};

    const bool wasOpen = DbOpen;
    if (wasOpen)
        CloseDatabaseForMaintenance();
    const QString before = BeforeRepairName(source, QDateTime::currentDateTime());
    db::engine::RepairReport report;
    try {
        ui::WaitCursor wait;
        KeptCopy kept(before);
        RunWithProgress(GetResString(534), [&] {
            report.problems = db::engine::checkIntegrity(source);
            report.sourceIntact = report.problems.isEmpty();
            if (report.sourceIntact) {
                db::engine::compactDatabase(source, kept.partial());
                db::engine::compactInPlace(source);
            } else {
                // A damaged file is kept as it is, page for page.
                db::engine::copyPages(source, kept.partial());
                const CopyInProgress rebuilt([&source](int n) { return RepairTarget(source, n); });
                const db::engine::RepairReport done = db::engine::repairInPlace(source, rebuilt.path());
                report.unreadable = done.unreadable;
            }
        });
        kept.keep(source);
    } catch (const FileInTheWay& e) {
        reportInTheWay(e, title, note);
        if (wasOpen && !reopen(title, databaseMode, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    } catch (const db::DbError& e) {
        if (e.number() == db::err::NotADatabase) {
            reportEngineError(e, QStringLiteral("repairing"), 530, source, note);
            dropDatabase();
            return {Kind::Damaged, {}, {}};
        }
        if (e.number() == db::err::Locked)
            reportBusy(source, title, note);
        else
            reportEngineError(e, QStringLiteral("repairing"), 526, source, note);
        if (wasOpen && !reopen(title, databaseMode, false))
            return {Kind::NotOpen, {}, {}};
        return {Kind::Failed, {}, {}};
    }

    MaintenanceResult result{Kind::Done, rt::Date::now(), {}};
    QString text = withS(531, source) + QStringLiteral("\n\n");
    if (!report.sourceIntact)
        text += QStringLiteral("Dabei wurden Fehler gefunden und behoben. ");
    if (!report.unreadable.isEmpty()) {
        text += QStringLiteral("Nicht alle Einträge dieser Tabellen konnten gelesen werden: ")
                + report.unreadable.join(QStringLiteral(", ")) + QStringLiteral(". ");
    }
    text += QStringLiteral("Die Datei vor der Reparatur bleibt als \"") + before + QStringLiteral("\" erhalten.");
    ui::msgBox(withNote(text, note), report.unreadable.isEmpty() && note.isEmpty() ? ui::Information : ui::Exclamation, title);
    if (wasOpen) {
        if (!reopen(title, databaseMode, false))
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
    // A backup is one whole state of the file: other workstations lose nothing by it.
    if (ui::msgBox(withS(1815, DbPath), ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
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

    std::vector<LeftInPlace> left = RemoveUnfinishedCopiesBeside(DbPath, {BackupPath, target});
    const QString targetName = QFileInfo(target).fileName();
    const auto partialOfTarget = [&targetName](const QString& name) { return IsPartialOf(name, targetName); };
    for (const LeftInPlace& file : RemoveUnfinishedCopies(QFileInfo(target).absolutePath(), partialOfTarget))
        left.push_back(file);
    const QString note = LeftInPlaceNote(left);
    CloseDatabaseForMaintenance();
    QString failure;
    try {
        ui::WaitCursor wait;
        KeptCopy copy(target);
        RunWithProgress(GetResString(1718), [&] { db::engine::compactDatabase(DbPath, copy.partial()); });
        copy.keep();
    } catch (const FileInTheWay& e) {
        failure = e.text();
    } catch (const db::DbError& e) {
        failure = e.number() == db::err::Locked
                      ? heldText(DbPath) + QStringLiteral("\n\nBitte versuchen Sie es in einem Moment noch einmal.")
                      : e.description();
    }
    if (!failure.isEmpty()) {
        ui::msgBox(withNote(QStringLiteral("Die Datenbank konnte nicht als \"") + target
                                + QStringLiteral("\" gesichert werden.\n\n") + failure,
                            note),
                   ui::Exclamation, title);
    }
    if (!WaitForProgramDatabase(title)) {
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
    ui::msgBox(withNote(withS(1817, target), note), note.isEmpty() ? ui::Information : ui::Exclamation, title);
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
    if (ui::msgBox(question, ui::OkCancel | ui::Question | ui::DefaultButton2, GetResString(1731)) != ui::Answer::Ok)
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
