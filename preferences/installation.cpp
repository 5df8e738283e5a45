#include "preferences/installation.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/startup.h"
#include "core/unfinishedcopies.h"
#include "core/workstation.h"
#include "preferences/maintenance.h"
#include "preferences/shortcuts.h"
#include "platform/db/database.h"
#include "platform/runtime/fileerror.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include <algorithm>
#include <array>
#include <filesystem>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QString folderName(const QString& path)
{
    QString p = QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

// The canonical form of a folder that may not exist yet: its nearest
// existing parent resolved, the rest appended.
QString resolved(const QString& folder)
{
    QString existing = QFileInfo(folder).absoluteFilePath();
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return QFileInfo(folder).absoluteFilePath();
        rest = QLatin1Char('/') + QFileInfo(existing).fileName() + rest;
        existing = parent;
    }
    return QFileInfo(existing).canonicalFilePath() + rest;
}

bool inside(const QString& folder, const QString& parent)
{
    return folder == parent || folder.startsWith(parent + QLatin1Char('/'));
}

fs::path fsPath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// The files SQLite keeps beside a database, which belong to it alone.
const std::array<QLatin1String, 3> CompanionSuffixes{QLatin1String("-journal"), QLatin1String("-wal"),
                                                     QLatin1String("-shm")};

// Whether path is a database or belongs to one: a file that begins as every
// database of the program does, or a journal beside one.
bool isDatabaseFile(const QString& path)
{
    for (const QLatin1String& suffix : CompanionSuffixes) {
        if (path.endsWith(suffix))
            return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(header.size()) == header;
}

bool existsAsEntry(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

const QString NotReplaced = QStringLiteral("liegt dort bereits als Datenbank und wird nicht ersetzt");

// At most ten lines of a list of files, one a line.
QString listed(const QStringList& files)
{
    QStringList shown = files.mid(0, 10);
    if (files.size() > shown.size())
        shown << QStringLiteral("...");
    return shown.join(QLatin1Char('\n'));
}

// Renames from to to, unless to exists: never over another file, also when
// that file appears in between.
std::error_code renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return {};
    int error = errno;
    // File systems that cannot rename so (some network shares) may link.
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
        if (::link(f.constData(), t.constData()) == 0) {
            ::unlink(f.constData());
            return {};
        }
        error = errno;
        if (error != EEXIST) {
            if (existsAsEntry(to))
                error = EEXIST;
            else if (std::rename(f.constData(), t.constData()) == 0)
                return {};
            else
                error = errno;
        }
    }
    return std::error_code(error, std::generic_category());
}

// A file copied with its permissions (a program stays executable), a link as
// a link; what fails is named in the report. A database already there stays.
void copyOneFile(const QString& from, const QString& to, CopyReport& report)
{
    if (existsAsEntry(to) && isDatabaseFile(to)) {
        report.failed << to + QStringLiteral(": ") + NotReplaced;
        return;
    }
    std::error_code ec;
    const fs::path f = fsPath(from), t = fsPath(to);
    const fs::file_status status = fs::symlink_status(f, ec);
    if (!ec && fs::is_symlink(status)) {
        fs::remove(t, ec);
        fs::copy_symlink(f, t, ec);
    } else if (!ec && fs::is_regular_file(status)) {
        // Absent when looked at: created only as new, so that a database put
        // there in between stays.
        const bool replace = existsAsEntry(to);
        fs::copy_file(f, t, replace ? fs::copy_options::overwrite_existing : fs::copy_options::none, ec);
        if (ec == std::errc::file_exists) {
            report.failed << to + QStringLiteral(": ") + NotReplaced;
            return;
        }
        if (!ec)
            fs::permissions(t, status.permissions(), ec);
    } else if (!ec) {
        ec = std::make_error_code(std::errc::not_supported);
    }
    if (ec)
        report.failed << from + QStringLiteral(": ") + rt::fileErrorReason(ec);
}

int countEntries(const QString& folder)
{
    int n = static_cast<int>(ListFiles(folder, QStringLiteral("*")).size());
    for (const QString& sub : ListSubfolders(folder))
        n += countEntries(folder + QLatin1Char('/') + sub);
    return n;
}

class TreeCopy {
public:
    TreeCopy(CopyReport& report, QProgressDialog* progress, const std::function<bool(const QString&)>& skip)
        : m_report(report), m_progress(progress), m_skip(skip)
    {
    }

    void copy(const QString& source, const QString& target)
    {
        std::error_code ec;
        fs::create_directories(fsPath(target), ec);
        if (ec) {
            failed(target, ec);
            return;
        }
        for (const QString& name : ListFiles(source, QStringLiteral("*"))) {
            const QString from = source + QLatin1Char('/') + name;
            if (!m_skip || !m_skip(from))
                copyFile(from, target + QLatin1Char('/') + name);
        }
        for (const QString& name : ListSubfolders(source))
            copy(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name);
    }

private:
    void copyFile(const QString& from, const QString& to)
    {
        copyOneFile(from, to, m_report);
        if (m_progress)
            m_progress->setValue(m_progress->value() + 1);
    }

    void failed(const QString& path, const std::error_code& ec)
    {
        m_report.failed << path + QStringLiteral(": ") + rt::fileErrorReason(ec);
    }

    CopyReport& m_report;
    QProgressDialog* m_progress;
    std::function<bool(const QString&)> m_skip;
};

}  // namespace

QStringList ListFiles(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList ListSubfolders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
}

CopyReport DirCopy(const QString& source, const QString& target, const std::function<bool(const QString&)>& skip)
{
    CopyReport report;
    const QString from = folderName(source);
    const QString to = folderName(target);
    if (from == to)
        return report;
    // A target inside the source would be copied into itself again and again.
    const QString realFrom = resolved(from);
    const QString realTo = resolved(to);
    if (inside(realTo, realFrom) || inside(realFrom, realTo)) {
        report.refused = true;
        return report;
    }
    ui::WaitCursor wait;
    QProgressDialog progress(GetResString(1820), QString(), 0, countEntries(from));
    progress.setWindowTitle(AppTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(500);
    TreeCopy(report, &progress, skip).copy(from, to);
    return report;
}

QString MovedDatabaseName(const QString& typed, const QString& programFolder, const QString& targetFolder)
{
    const QString path = DatabaseSettingFor(typed).path;
    QString program = programFolder;
    if (!program.endsWith(QLatin1Char('/')))
        program += QLatin1Char('/');
    if (!path.startsWith(program, Qt::CaseInsensitive))
        return path;
    return folderName(targetFolder) + QLatin1Char('/') + path.mid(program.size());
}

namespace {

// The databases that copying source into target would put over files there.
void collectInTheWay(const QString& source, const QString& target, const std::function<bool(const QString&)>& skip,
                     QStringList& found)
{
    for (const QString& name : ListFiles(source, QStringLiteral("*"))) {
        const QString to = target + QLatin1Char('/') + name;
        if ((!skip || !skip(source + QLatin1Char('/') + name)) && existsAsEntry(to) && isDatabaseFile(to))
            found << to;
    }
    for (const QString& name : ListSubfolders(source))
        collectInTheWay(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name, skip, found);
}

QString inTheWayText(const QStringList& files)
{
    if (files.size() == 1) {
        return QStringLiteral("Im Zielordner liegt bereits die Datei \"") + files.first()
               + QStringLiteral("\". Die Installation würde sie durch ihre eigene Datenbank ersetzen. Deshalb wurde "
                                "nichts kopiert; Einstellungen und Verknüpfungen bleiben, wie sie sind.\n\n"
                                "Bitte benennen Sie die Datei um oder entfernen Sie sie, oder wählen Sie einen anderen "
                                "Zielordner.");
    }
    return QStringLiteral("Im Zielordner liegen bereits diese Dateien:\n\n") + listed(files)
           + QStringLiteral("\n\nDie Installation würde sie durch ihre eigenen Datenbanken ersetzen. Deshalb wurde nichts "
                            "kopiert; Einstellungen und Verknüpfungen bleiben, wie sie sind.\n\n"
                            "Bitte benennen Sie die Dateien um oder entfernen Sie sie, oder wählen Sie einen anderen "
                            "Zielordner.");
}

}  // namespace

bool MoveInstallation(const QString& targetFolder, QString& dbField)
{
    const QString title = GetResString(1820);
    const QString target = folderName(targetFolder);
    if (!target.isEmpty() && QFileInfo::exists(target) && !QFileInfo(target).isDir()) {
        ui::msgBox(QStringLiteral("\"") + target
                       + QStringLiteral("\" ist eine Datei, kein Ordner. Bitte wählen Sie einen Ordner als Ziel."),
                   ui::Exclamation, title);
        return false;
    }
    if (target.isEmpty() || !QFileInfo(target).isDir()) {
        ui::msgBox(GetResString(1822), ui::Exclamation);
        return false;
    }
    const QString program = folderName(AppPath);
    if (inside(resolved(target), resolved(program)) || inside(resolved(program), resolved(target))) {
        ui::msgBox(QStringLiteral("Der Zielordner darf weder im Programmordner liegen noch ihn enthalten."), ui::Exclamation,
                   title);
        return false;
    }
    const QString exe = target + QLatin1Char('/') + AppExeName();
    const QString programFile = QFileInfo(program + QLatin1Char('/') + AppExeName()).absoluteFilePath();
    const QString movedDatabase = MovedDatabaseName(dbField, AppPath, target);
    // A target that holds the program holds a whole installation: nothing is
    // copied there.
    const bool copying = !QFileInfo::exists(exe);
    // A database is never copied as a plain file: another workstation
    // may be writing it, and its journal belongs to it alone. The one the
    // field names goes along (typed but not yet saved, it is not the one
    // open).
    const QString named = DatabaseSettingFor(dbField).path;
    const bool databaseGoesAlong = movedDatabase != named && QFileInfo(named).isFile();
    const QStringList databases{QFileInfo(DbPath).absoluteFilePath(), QFileInfo(named).absoluteFilePath()};
    const auto skip = [&databases, &programFile](const QString& path) {
        const QString file = QFileInfo(path).absoluteFilePath();
        if (file == programFile)
            return true;
        for (const QString& live : databases) {
            if (file == live || std::any_of(CompanionSuffixes.cbegin(), CompanionSuffixes.cend(),
                                            [&](const QLatin1String& suffix) { return file == live + suffix; }))
                return true;
            if (QFileInfo(path).absolutePath() == QFileInfo(live).absolutePath()
                && IsMaintenanceCopy(QFileInfo(path).fileName(), live))
                return true;
        }
        return false;
    };
    // Whatever lies there stays: a database of the same name (the house's
    // shared file put there by hand) is never replaced by this one's copy.
    const auto inTheWay = [&] {
        QStringList found;
        if (!copying)
            return found;
        if (databaseGoesAlong) {
            if (existsAsEntry(movedDatabase))
                found << movedDatabase;
            for (const QLatin1String& suffix : CompanionSuffixes) {
                if (existsAsEntry(movedDatabase + suffix))
                    found << movedDatabase + suffix;
            }
        }
        collectInTheWay(program, target, skip, found);
        found.removeDuplicates();
        return found;
    };
    if (const QStringList found = inTheWay(); !found.isEmpty()) {
        ui::msgBox(inTheWayText(found), ui::Exclamation, title);
        return false;
    }

    const QString question = GetResString(1821, {{QStringLiteral("%s1"), AppTitle},
                                                 {QStringLiteral("%s2"), program},
                                                 {QStringLiteral("%s3"), target}});
    if (ui::msgBox(question, ui::OkCancel | ui::Question, title) != ui::Answer::Ok)
        return false;
    const bool wasOpen = DbOpen;
    if (wasOpen) {
        // Unlike compaction, what is saved there after the copy misses the
        // moved installation's database.
        const QStringList others = OtherStationLines(DbPath);
        if (!others.isEmpty()
            && ui::msgBox(QStringLiteral("An diesen Arbeitsplätzen ist das Programm noch angemeldet:\n\n")
                              + others.join(QLatin1Char('\n'))
                              + QStringLiteral("\n\nDie Datenbank wird so kopiert, wie sie in diesem Moment ist. Was dort "
                                               "danach gespeichert wird, steht nur in der bisherigen Datenbank, nicht in "
                                               "der verschobenen. Bitte beenden Sie das Programm dort zuerst.\n\n"
                                               "Wollen Sie trotzdem fortfahren?"),
                          ui::OkCancel | ui::Exclamation | ui::DefaultButton2, title)
                   != ui::Answer::Ok)
            return false;
    }
    // The end every quit asks for, while the database is open: what the end
    // work stores goes into the copy, and Abbrechen keeps everything as it is.
    if (!AskProgramEnd())
        return false;
    // Put there while the questions stood: still nothing is copied.
    if (const QStringList found = inTheWay(); !found.isEmpty()) {
        ui::msgBox(inTheWayText(found), ui::Exclamation, title);
        return false;
    }

    if (wasOpen) {
        LogoutWorkstation();
        // The windows stay as they are: the end question named their edits,
        // and a copy that fails leaves them where they were.
        try {
            if (Db)
                Db->close();
        } catch (...) {
        }
        DbOpen = false;
    }
    if (!copying) {
        ui::msgBox(GetResString(1823, {{QStringLiteral("%s"), AppTitle}}), ui::Exclamation, title);
    } else {
        CopyReport report = DirCopy(program, target, skip);
        bool placed = false;
        if (report.complete() && databaseGoesAlong) {
            try {
                ui::WaitCursor wait;
                QDir().mkpath(QFileInfo(movedDatabase).absolutePath());
                const QString movedName = QFileInfo(movedDatabase).fileName();
                RemoveUnfinishedCopies(QFileInfo(movedDatabase).absolutePath(),
                                       [&movedName](const QString& name) { return IsPartialOf(name, movedName); });
                const CopyInProgress partial([&movedDatabase](int n) { return PartialName(movedDatabase, n); });
                RunWithProgress(title, [&] { db::engine::compactDatabase(named, partial.path()); });
                // Whoever may write the database here may write it there.
                TakeRightsOf(named, partial.path());
                if (const std::error_code ec = renameNoReplace(partial.path(), movedDatabase)) {
                    QFile::remove(partial.path());
                    report.failed << movedDatabase + QStringLiteral(": ")
                                         + (ec == std::errc::file_exists ? NotReplaced : rt::fileErrorReason(ec));
                } else {
                    placed = true;
                }
            } catch (const FileInTheWay& e) {
                report.failed << e.text();
            } catch (const db::DbError& e) {
                report.failed << named + QStringLiteral(": ") + e.description();
            }
        }
        // The program file goes last: a target that holds it holds a whole
        // installation, which a later move leaves as it is.
        if (report.complete() && QFileInfo::exists(programFile))
            copyOneFile(programFile, exe, report);
        if (!report.complete()) {
            // The copy of the database made here is this move's own, and
            // would stand in the way of the next one.
            if (placed)
                QFile::remove(movedDatabase);
            // Put there while the copy ran.
            const bool databaseThere = std::any_of(report.failed.cbegin(), report.failed.cend(),
                                                   [](const QString& line) { return line.endsWith(NotReplaced); });
            ui::msgBox(QStringLiteral("Die Installation konnte nicht vollständig nach \"") + target
                           + QStringLiteral("\" kopiert werden:\n\n") + listed(report.failed)
                           + QStringLiteral("\n\nEs wurden keine Einstellungen geändert und keine Verknüpfungen angelegt.")
                           + (databaseThere ? QStringLiteral("\n\nBitte benennen Sie eine Datenbank, die dort bereits liegt, "
                                                             "um oder entfernen Sie sie, oder wählen Sie einen anderen "
                                                             "Zielordner.")
                                            : QString()),
                       ui::Exclamation, title);
            // Held by another workstation, the database that stopped the copy
            // may still be: the station waits for it, never going on without it.
            if (wasOpen && (WaitForProgramDatabase(title) || OpenDatabaseFile(DbPath, false)))
                MarkWorkstationLoggedIn();
            return false;
        }
    }
    dbField = movedDatabase;

    QString closing = GetResString(1825, {{QStringLiteral("%s"), AppTitle}});
    const QString offer = closing + GetResString(1824);
    if (ui::msgBox(offer, ui::OkCancel | ui::Question, title) == ui::Answer::Ok) {
        CreateShortcut(FolderDesktop, AppTitle, exe, QString(), AppTitle, target);
        CreateShortcut(FolderAutostart, AppTitle, exe, QString(), AppTitle, target);
        AppPath = target + QLatin1Char('/');
        SaveDatabaseSetting(dbField);
        closing += GetResString(1827, {{QStringLiteral("%s"), AppTitle}});
    } else {
        closing += GetResString(1826, {{QStringLiteral("%s"), AppExeName()}});
    }
    ui::msgBox(closing + QStringLiteral("\n\n") + GetResString(1828, {{QStringLiteral("%s"), AppTitle}}), ui::Information,
               title);
    return true;
}
