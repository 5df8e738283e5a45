#pragma once

#include "platform/db/error.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

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

// A file the clean-up left where it stands, and why.
struct LeftInPlace {
    enum Why {
        CannotRemove,    // a cut-off step left it, and it cannot be removed
        WholeDatabase,   // named like a leftover but without a lock, and a whole database
        Unchecked,       // named like a leftover but without a lock, and it cannot be looked at now
    };
    Why why = CannotRemove;
    QString file;
    QString reason;   // short, German; for CannotRemove and Unchecked
};

// Removes from folder what cut-off steps left (the files isCopy accepts, with
// their journals and lock files) that no running step holds. A copy without
// any lock was not written by this version: it stays while it changes (an
// older version may be writing it), and goes only when it turns out to be no
// whole database of the program. Returns what stays although it looks left
// over.
std::vector<LeftInPlace> RemoveUnfinishedCopies(const QString& folder, const std::function<bool(const QString& name)>& isCopy);
// The same for the folder of the database dbPath and the folders of the
// backups backupPaths (the last one, where the next most likely goes, and the
// one being made). There a copy this program was writing under any name, as
// a backup under a name the user typed, goes too when its lock is left over.
std::vector<LeftInPlace> RemoveUnfinishedCopiesBeside(const QString& dbPath, const QStringList& backupPaths = {});

// What the user is told about the files the clean-up left, with what to do;
// empty when there are none.
QString LeftInPlaceNote(const std::vector<LeftInPlace>& left);
