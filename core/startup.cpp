#include "core/startup.h"

#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/inifile.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/unfinishedcopies.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {
QString folderKey(const QString& programFolder)
{
    return QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath());
}
}  // namespace

QString SingleCopyLockPath(const QString& programFolder)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    if (dir.isEmpty())
        return QString();
    const QByteArray hash = QCryptographicHash::hash(folderKey(programFolder).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return dir + QStringLiteral("/velmorant-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

bool AnotherCopyRuns(const QString& programFolder)
{
    // One lock per program folder, held until the process ends; the lock of a
    // copy that crashed is taken over.
    static std::map<QString, std::unique_ptr<QLockFile>> held;
    const QString key = folderKey(programFolder);
    if (held.count(key))
        return false;
    const QString path = SingleCopyLockPath(programFolder);
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (path.isEmpty() || !lock->tryLock(0)) {
        if (!path.isEmpty() && lock->error() == QLockFile::LockFailedError)
            return true;
        // No lock could be made at all (folder missing, full or write-protected):
        // that is no other copy, so this one starts, and says why it cannot
        // guard against a second start. Asked again, it stays quiet.
        held[key] = nullptr;
        const QString shown = path.isEmpty() ? QStringLiteral("(kein Ordner dafür)") : ShownPath(path);
        ui::msgBox(QStringLiteral("Die Sperrdatei\n") + shown
                       + QStringLiteral("\nkann nicht angelegt werden. Das Programm startet trotzdem, kann aber "
                                        "nicht erkennen, ob es auf diesem Computer schon läuft. Bitte starten Sie es "
                                        "nur einmal."),
                   ui::Exclamation, GetResString(102));
        return false;
    }
    held[key] = std::move(lock);
    return false;
}

namespace {

// Texts, this workstation, the preferences, terms and colours.
void LoadProgramSettings()
{
    InitGlobalTexts();
    ComputerName = GetThisComputerName();
    UserName = qEnvironmentVariable("USER");
    if (UserName.isEmpty())
        UserName = qEnvironmentVariable("LOGNAME");
    StationId = GetStationPreferences(ComputerName);
    ReadPreferences();
    FillResourceArrays();
}

// The name and room types of the facility MandantId. A failure is told and
// the plan still opens, so the user can reach the settings and maintenance.
void LoadFacility()
{
    try {
        MandantName = GetMandantName(MandantId);
        LoadRoomTypes(MandantId);
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Laden der Einrichtung ") + QString::number(MandantId) + QStringLiteral("\n\n")
                       + e.description(),
                   ui::Exclamation, AppTitle);
    }
}

// What a cut-off compaction, repair or backup left beside the database and
// its last backup goes while no other workstation is logged in that might be
// running one.
void RemoveUnfinishedCopiesWhenAlone()
{
    try {
        if (!Db || !LoggedInStations(*Db, StationId).empty())
            return;
    } catch (const db::DbError&) {
        return;
    }
    RemoveUnfinishedCopiesBeside(DbPath, {BackupPath});
}

}  // namespace

void UseProgramLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    InitDateFormat();
    db::setDateParser(ParseDateText);
}

void Main()
{
    StartProgram(QCoreApplication::applicationDirPath());
}

void StartProgram(const QString& programFolder)
{
    UseProgramLocale();

    // A second copy ends silently: there is no window of ours it could bring
    // to the front that the first copy does not show already.
    if (AnotherCopyRuns(programFolder))
        EndProgram();

    AppPath = programFolder;
    if (!AppPath.endsWith(QLatin1Char('/')))
        AppPath += QLatin1Char('/');

    // A folder of that name is no settings file.
    for (const QString& ini : SettingsFileNames()) {
        if (QFileInfo(ini).isFile()) {
            ReadIniFile(ini);
            break;
        }
    }

    if (!OpenDatabaseFile(DbPath, false))
        return;

    // A file this workstation cannot write to is used read-only for this run,
    // said once here instead of failing at every save.
    const bool readOnlyFile = DatabaseReadOnly();
    if (!readOnlyFile)
        UpdateDatabase();
    LoadProgramSettings();
    if (!readOnlyFile && !StationReadOnly)
        RemoveUnfinishedCopiesWhenAlone();
    if (readOnlyFile) {
        StationReadOnly = true;
        ui::msgBox(GetResString(390) + QStringLiteral("\n\nDie Datenbank \"") + ShownPath(DbPath)
                       + QStringLiteral("\" kann von diesem Arbeitsplatz aus nur gelesen werden.\n\n")
                       + WritePermissionHint(),
                   ui::Exclamation, AppTitle);
    }
    ShowMainForm();
    // A workstation may start on the facility overview, in front of the plan.
    if (StartPage == 2)
        ShowMandanten();
}

void RestartProgram()
{
    if (Windows().restartProgram) {
        Windows().restartProgram();
        return;
    }
    QTimer::singleShot(0, [] { StartProgram(AppPath); });
}

void ShowMainForm()
{
    MandantId = 1;
    LoadFacility();
    if (Windows().initMainWindow)
        Windows().initMainWindow();
}

namespace {
std::vector<std::pair<int, ProgramEndWork>>& endWork()
{
    static std::vector<std::pair<int, ProgramEndWork>> work;
    return work;
}
}  // namespace

int AtProgramEnd(ProgramEndWork work)
{
    static int lastId = 0;
    endWork().emplace_back(++lastId, std::move(work));
    return lastId;
}

void RemoveProgramEndWork(int id)
{
    std::erase_if(endWork(), [id](const auto& entry) { return entry.first == id; });
}

namespace {
struct UnsavedEditSource {
    int id;
    UnsavedEditQuery query;
    QPointer<QWidget> window;
    EditKind kind;
};

std::vector<UnsavedEditSource>& unsavedQueries()
{
    static std::vector<UnsavedEditSource> queries;
    return queries;
}
}  // namespace

int RegisterUnsavedEdit(UnsavedEditQuery query, QWidget* window, EditKind kind)
{
    static int lastId = 0;
    unsavedQueries().push_back({++lastId, std::move(query), window, kind});
    return lastId;
}

void UnregisterUnsavedEdit(int id)
{
    std::erase_if(unsavedQueries(), [id](const auto& entry) { return entry.id == id; });
}

namespace {
QStringList editsOf(bool storedAtEndToo)
{
    QStringList edits;
    const auto queries = unsavedQueries();
    for (const auto& source : queries) {
        if (source.kind == EditKind::StoredAtEnd && !storedAtEndToo)
            continue;
        const QString edit = source.query();
        if (!edit.isEmpty())
            edits << edit;
    }
    return edits;
}
}  // namespace

QStringList UnsavedEdits()
{
    return editsOf(false);
}

QStringList EditsNotInTheDatabase()
{
    return editsOf(true);
}

void ShowUnsavedEdits()
{
    const auto queries = unsavedQueries();
    for (const auto& source : queries) {
        if (source.kind == EditKind::Unsaved && source.window && !source.query().isEmpty())
            ui::bringToFront(source.window);
    }
}

void RunProgramEndWork(bool unattended)
{
    // Work that itself ends the program must not run the end work again.
    static bool running = false;
    if (running)
        return;
    running = true;
    const auto work = endWork();
    for (const auto& [id, w] : work) {
        try {
            w(unattended);
        } catch (const ProgramEnded&) {
            running = false;
            throw;
        } catch (...) {
            // The end goes on; the work reported its own failure.
        }
    }
    running = false;
}

namespace {
bool endCalledOff = false;
}  // namespace

void CallOffProgramEnd()
{
    endCalledOff = true;
}

bool AskProgramEnd()
{
    endCalledOff = false;
    RunProgramEndWork(false);
    if (std::exchange(endCalledOff, false))
        return false;
    // No end work asked about these: they are named before they are lost.
    if (!AgreeToLose(QStringLiteral("Diese Eingaben gehen verloren, wenn %1 hier beendet wird:").arg(AppTitle),
                     UnsavedEdits())) {
        ShowUnsavedEdits();
        return false;
    }
    return true;
}

bool AgreeToLose(const QString& lead, const QStringList& edits)
{
    if (edits.isEmpty())
        return true;
    const QString question = lead + QStringLiteral("\n\n- ") + edits.join(QStringLiteral("\n- "))
                             + QStringLiteral("\n\nWollen Sie %1 trotzdem jetzt beenden?").arg(AppTitle);
    return ui::msgBox(question, ui::OkCancel | ui::Exclamation | ui::DefaultButton2, AppTitle + QStringLiteral(" beenden"))
           == ui::Answer::Ok;
}

void QuitProgram()
{
    if (AskProgramEnd())
        ExitProgramAsked();
}

void ExitProgramAsked()
{
    LogoutWorkstation();
    CloseProgramDatabase();
    EndProgram();
}

void ExitProgram(bool unattended)
{
    RunProgramEndWork(unattended);
    ExitProgramAsked();
}
