#pragma once

#include "platform/db/error.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLockFile;

// Copies that maintenance writes (the state before a step, a backup, the
// rebuilt file of a repair, the database of a moved installation) are
// written under a name of their own. While one is written, a lock file beside
// it ("<copy>.lock") says so, also to other workstations. A copy whose writer
// was cut off is recognised by its lock, which then can be taken, and goes:
// it is never left in the way of the next step, and a copy a running step
// writes is never touched.

// What a step writes for target before it moves it there: "<target>.entsteht"
// for n = 1, "<target>.entsteht<n>" after it.
QString PartialName(const QString& target, int n);

// Whether name (a file name without folder) is something a cut-off step left
// beside the database dbPath, or in the folder of its backups: a copy
// "<base>_….entsteht<n>", the rebuilt file of a repair "<base>_neu_repariert<n><ext>",
// or a journal or lock file of one of them.
bool IsUnfinishedCopy(const QString& name, const QString& dbPath);

// Whether name is what a step writing the file targetName (both without
// folder) leaves when it is cut off.
bool IsPartialOf(const QString& name, const QString& targetName);

// A step's copy cannot be written because of a file it cannot clear away;
// text() names that file and says what to do with it.
class FileInTheWay : public db::DbError {
public:
    FileInTheWay(const QString& file, const QString& text);
    const QString& file() const { return m_file; }
    const QString& text() const { return m_text; }

private:
    QString m_file;
    QString m_text;
};

// The name a copy is written under, held until this goes. The first of
// nameFor(1), nameFor(2), ... that no running step holds; what a cut-off
// step left under it (with its journals) is removed first. Throws FileInTheWay
// when no lock can be made beside the copy or every name is blocked.
class CopyInProgress {
public:
    explicit CopyInProgress(const std::function<QString(int)>& nameFor);
    ~CopyInProgress();
    CopyInProgress(const CopyInProgress&) = delete;
    CopyInProgress& operator=(const CopyInProgress&) = delete;
    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// Gives copy the mode and, where the system allows, the group of the
// database live, so that whoever may write the database may also use the copy.
void TakeRightsOf(const QString& live, const QString& copy);

// Removes from folder what cut-off steps left (the files isCopy accepts, with
// their journals and lock files) that no running step holds. A copy without
// any lock that changed lately is left too: an older program version may be
// writing it. Returns what could not be removed, with the reason.
QStringList RemoveUnfinishedCopies(const QString& folder, const std::function<bool(const QString& name)>& isCopy);
// The same for the folder of the database dbPath and the folder of the
// backup backupPath (its last one, where the next most likely goes).
QStringList RemoveUnfinishedCopiesBeside(const QString& dbPath, const QString& backupPath = QString());
