#include "core/unfinishedcopies.h"

#include "core/database.h"
#include "core/files.h"
#include "platform/db/database.h"
#include "platform/runtime/fileerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <set>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock beside a copy outlives its writer only when that was cut off. On
// this computer Qt sees that the writer is gone; a lock of another computer
// counts as left over only after a day, far longer than any step takes.
constexpr int StaleAfterMs = 24 * 60 * 60 * 1000;
// A copy without any lock was written by a version that took none; it may
// still be writing as long as the copy keeps changing.
constexpr qint64 QuietForMs = 10 * 60 * 1000;
// Names tried for one copy before giving up.
constexpr int NamesTried = 100;

const QString LockSuffix = QStringLiteral(".lock");
// Qt's own lock while it removes a lock left over; it too stays when that
// moment is cut off.
const QString RemovalLockSuffix = QStringLiteral(".lock.rmlock");

// The journals SQLite keeps beside a file.
QStringList withJournals(const QString& path)
{
    return {path, path + QStringLiteral("-journal"), path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
}

// The copy a journal or lock file belongs to.
QString withoutCompanion(const QString& name)
{
    for (const QString& suffix :
         {RemovalLockSuffix, LockSuffix, QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (name.endsWith(suffix))
            return name.chopped(suffix.size());
    }
    return name;
}

bool matches(const QString& pattern, const QString& name)
{
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption).match(name).hasMatch();
}

bool changedLately(const QStringList& files)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString& file : files) {
        if (qAbs(QFileInfo(file).lastModified().toUTC().msecsTo(now)) < QuietForMs)
            return true;
    }
    return false;
}

QString shown(const QString& path)
{
    return QStringLiteral("\"") + ShownPath(path) + QStringLiteral("\"");
}

// Why a file cannot be removed; empty when it is gone.
QString removalFailure(const QString& file)
{
    if (::unlink(QFile::encodeName(file).constData()) == 0 || errno == ENOENT)
        return QString();
    const int error = errno;
    return rt::fileErrorReason(QFileInfo(file).isDir() ? EISDIR : error);
}

QString uncheckedReason(const db::DbError& e)
{
    switch (e.number()) {
    case db::err::Locked: return QStringLiteral("sie wird gerade benutzt");
    case db::err::ReadOnly: return QStringLiteral("ein abgebrochener Schreibvorgang darin ist noch nicht zurückgenommen");
    case db::err::CannotOpen: return QStringLiteral("sie kann nicht gelesen werden");
    case db::err::DiskOrNetwork: return QStringLiteral("Lese- oder Netzwerkfehler");
    default: return QStringLiteral("Fehler %1").arg(e.number());
    }
}

struct Outcome {
    enum Kind {
        Taken,     // the lock is held here and nothing is left under the name
        Held,      // a running step writes it
        Stuck,     // left over, and file cannot be removed
        NoLock,    // no lock file can be made there
        Kept,      // no leftover of this version's, and no broken file either
    } kind = Taken;
    QString file;
    QString reason;
    LeftInPlace::Why why = LeftInPlace::CannotRemove;
};

bool lockBeside(const QString& path)
{
    return QFileInfo::exists(path + LockSuffix) || QFileInfo::exists(path + RemovalLockSuffix);
}

Outcome takeOver(const QString& path, QLockFile& lock)
{
    const QString lockPath = path + LockSuffix;
    const bool lockLeft = lockBeside(path);
    lock.setStaleLockTime(StaleAfterMs);
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError)
            return {Outcome::Held, {}, {}};
        return {Outcome::NoLock, lockPath,
                lock.error() == QLockFile::PermissionError ? QStringLiteral("keine Berechtigung")
                                                           : QStringLiteral("unbekannter Fehler")};
    }
    QStringList present;
    for (const QString& file : withJournals(path)) {
        if (QFileInfo(file).exists() || QFileInfo(file).isSymLink())
            present << file;
    }
    if (!lockLeft) {
        if (changedLately(present)) {
            lock.unlock();
            return {Outcome::Held, {}, {}};
        }
        // Without a lock, this version did not write it: it may be a database
        // somebody keeps under that name. Only a broken one goes.
        if (QFileInfo(path).isFile()) {
            try {
                if (db::engine::checkComplete(path, ProgramTables).isEmpty()) {
                    lock.unlock();
                    return {Outcome::Kept, path, {}, LeftInPlace::WholeDatabase};
                }
            } catch (const db::DbError& e) {
                lock.unlock();
                return {Outcome::Kept, path, uncheckedReason(e), LeftInPlace::Unchecked};
            }
        }
    }
    // Qt's removal lock, left when taking over a lock was cut off: with the
    // lock held here, nobody is in the middle of removing it.
    if (QFileInfo::exists(path + RemovalLockSuffix))
        present << path + RemovalLockSuffix;
    for (const QString& file : present) {
        const QString failure = removalFailure(file);
        if (!failure.isEmpty()) {
            lock.unlock();
            return {Outcome::Stuck, file, failure};
        }
    }
    return {};
}

}  // namespace

QString PartialName(const QString& target, int n)
{
    return target + QStringLiteral(".entsteht") + (n > 1 ? QString::number(n) : QString());
}

bool IsUnfinishedCopy(const QString& name, const QString& dbPath)
{
    QString base, ext;
    SplitFileExt(GetFileNamePart(dbPath), base, ext);
    if (base.isEmpty())
        return false;
    const QString copy = withoutCompanion(name);
    const QString stem = QRegularExpression::escape(base + QLatin1Char('_'));
    const QString dotExt = ext.isEmpty() ? QString() : QRegularExpression::escape(QLatin1Char('.') + ext);
    return matches(QStringLiteral("^%1.*\\.entsteht\\d*$").arg(stem), copy)
           || matches(QStringLiteral("^%1neu_repariert\\d*%2$").arg(stem, dotExt), copy);
}

bool IsPartialOf(const QString& name, const QString& targetName)
{
    return matches(QStringLiteral("^%1\\.entsteht\\d*$").arg(QRegularExpression::escape(targetName)), withoutCompanion(name));
}

FileInTheWay::FileInTheWay(const QString& file, const QString& text)
    : db::DbError(db::err::CannotOpen, text), m_file(file), m_text(text)
{
}

CopyInProgress::CopyInProgress(const std::function<QString(int)>& nameFor)
{
    Outcome stuck;
    for (int n = 1; n <= NamesTried; ++n) {
        const QString name = nameFor(n);
        auto lock = std::make_unique<QLockFile>(name + LockSuffix);
        const Outcome outcome = takeOver(name, *lock);
        switch (outcome.kind) {
        case Outcome::Taken:
            m_path = name;
            m_lock = std::move(lock);
            return;
        case Outcome::Held:
        case Outcome::Kept:
            break;
        case Outcome::Stuck:
            if (stuck.file.isEmpty())
                stuck = outcome;
            break;
        case Outcome::NoLock:
            throw FileInTheWay(outcome.file,
                               QStringLiteral("Die Sperrdatei ") + shown(outcome.file) + QStringLiteral(" kann nicht angelegt werden (")
                                   + outcome.reason + QStringLiteral("). Bitte prüfen Sie, ob es den Ordner ")
                                   + shown(QFileInfo(outcome.file).absolutePath())
                                   + QStringLiteral(" gibt und Sie dort Dateien anlegen dürfen."));
        }
    }
    if (!stuck.file.isEmpty()) {
        throw FileInTheWay(stuck.file, QStringLiteral("Die Datei ") + shown(stuck.file)
                                           + QStringLiteral(" ist von einem abgebrochenen Vorgang übrig und kann nicht gelöscht werden (")
                                           + stuck.reason
                                           + QStringLiteral("). Bitte löschen Sie sie von Hand und versuchen Sie es dann noch einmal."));
    }
    const QString first = nameFor(1);
    throw FileInTheWay(first, QStringLiteral("Die Datei ") + shown(first)
                                  + QStringLiteral(" wird gerade von einem anderen Vorgang geschrieben, und auch alle anderen "
                                                   "Namen, unter denen die Kopie sonst gespeichert würde, sind gerade belegt. "
                                                   "Bitte versuchen Sie es später noch einmal."));
}

CopyInProgress::~CopyInProgress() = default;

std::vector<LeftInPlace> RemoveUnfinishedCopies(const QString& folder, const std::function<bool(const QString& name)>& isCopy)
{
    const QDir dir(folder);
    std::set<QString> copies;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isCopy(name))
            copies.insert(withoutCompanion(name));
    }
    std::vector<LeftInPlace> left;
    for (const QString& copy : copies) {
        const QString path = dir.filePath(copy);
        QLockFile lock(path + LockSuffix);
        const Outcome outcome = takeOver(path, lock);
        switch (outcome.kind) {
        case Outcome::Stuck:
            left.push_back({LeftInPlace::CannotRemove, outcome.file, outcome.reason});
            break;
        case Outcome::Kept:
            left.push_back({outcome.why, outcome.file, outcome.reason});
            break;
        case Outcome::NoLock:
            // Where no lock can be made, nothing can be removed either.
            if (lockBeside(path))
                left.push_back({LeftInPlace::CannotRemove, QFileInfo::exists(path) ? path : outcome.file, outcome.reason});
            break;
        case Outcome::Taken:
        case Outcome::Held:
            break;
        }
    }
    return left;
}

std::vector<LeftInPlace> RemoveUnfinishedCopiesBeside(const QString& dbPath, const QStringList& backupPaths)
{
    // Whatever it is named, the live file and its journal stay.
    const QString live = QFileInfo(dbPath).fileName();
    const QString folder = QFileInfo(dbPath).absolutePath();
    std::vector<LeftInPlace> left;
    std::set<QString> done;
    const auto clean = [&](const QString& where) {
        const QString canonical = QFileInfo(where).canonicalFilePath();
        if (!done.insert(canonical).second)
            return;
        const QDir dir(where);
        const bool beside = canonical == QFileInfo(folder).canonicalFilePath();
        const auto ours = [&](const QString& name) {
            const QString copy = withoutCompanion(name);
            if (beside && copy == live)
                return false;
            return IsUnfinishedCopy(name, dbPath)
                   || (matches(QStringLiteral("\\.entsteht\\d*$"), copy) && lockBeside(dir.filePath(copy)));
        };
        const std::vector<LeftInPlace> here = RemoveUnfinishedCopies(where, ours);
        left.insert(left.end(), here.begin(), here.end());
    };
    clean(folder);
    for (const QString& backupPath : backupPaths) {
        // A name written on another system (a drive letter) names no folder here.
        const QString backups = GetPathPart(backupPath);
        if (backups != backupPath && QDir::isAbsolutePath(backups) && QFileInfo(backups).isDir())
            clean(backups);
    }
    return left;
}

QString LeftInPlaceNote(const std::vector<LeftInPlace>& left)
{
    const QString whatToDo = QStringLiteral(
        "; sie wurde nicht gelöscht. Wenn Sie sie noch brauchen, benennen Sie sie bitte um oder verschieben Sie sie in "
        "einen anderen Ordner, sonst löschen Sie sie bitte von Hand.");
    QStringList paragraphs;
    for (const LeftInPlace& file : left) {
        switch (file.why) {
        case LeftInPlace::CannotRemove:
            paragraphs << QStringLiteral("Die Datei ") + shown(file.file)
                              + QStringLiteral(" ist von einem abgebrochenen Vorgang übrig und kann nicht gelöscht werden (")
                              + file.reason + QStringLiteral("). Bitte löschen Sie sie von Hand.");
            break;
        case LeftInPlace::WholeDatabase:
            paragraphs << QStringLiteral("Die Datei ") + shown(file.file)
                              + QStringLiteral(" trägt den Namen einer Datei, die ein abgebrochener Vorgang übrig lässt, "
                                               "ist aber eine vollständige Datenbank")
                              + whatToDo;
            break;
        case LeftInPlace::Unchecked:
            paragraphs << QStringLiteral("Die Datei ") + shown(file.file)
                              + QStringLiteral(" trägt den Namen einer Datei, die ein abgebrochener Vorgang übrig lässt, "
                                               "konnte aber nicht geprüft werden (")
                              + file.reason + QLatin1Char(')') + whatToDo;
            break;
        }
    }
    return paragraphs.join(QStringLiteral("\n\n"));
}

void TakeRightsOf(const QString& live, const QString& copy)
{
    struct stat info {};
    if (::stat(QFile::encodeName(live).constData(), &info) != 0)
        return;
    const QByteArray path = QFile::encodeName(copy);
    [[maybe_unused]] const int grouped = ::chown(path.constData(), static_cast<uid_t>(-1), info.st_gid);
    [[maybe_unused]] const int moded = ::chmod(path.constData(), info.st_mode & 0777);
}
