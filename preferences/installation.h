#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program folder copied to another (network) folder.

// The names of the files of folder that match pattern ("*", "*.mdb"), and of
// its subfolders; empty for a folder that cannot be read.
QStringList ListFiles(const QString& folder, const QString& pattern);
QStringList ListSubfolders(const QString& folder);

struct CopyReport {
    bool refused = false;    // the target lies inside the source or the other way round
    QStringList failed;      // what could not be copied, with the reason
    bool complete() const { return !refused && failed.isEmpty(); }
};
// Copies the folder tree, replacing files of the same name, but never a
// database or its journal: such a file is named in the report as one that
// could not be copied. Files keep their permissions (a program stays
// executable). Equal folders copy nothing. A file that cannot be copied is
// named in the report and the others are still copied.
// Files for which skip (given the source path) answers true are left out.
CopyReport DirCopy(const QString& source, const QString& target,
                   const std::function<bool(const QString&)>& skip = {});

// The database setting for the moved installation: a database inside the
// program folder is found at the same place below the target, any other
// stays where it is. typed is the window's database field.
QString MovedDatabaseName(const QString& typed, const QString& programFolder, const QString& targetFolder);

// The move of the program folder to targetFolder, with its questions: copy,
// repoint the database setting (dbField), shortcuts to the copy. A target
// that is a file, or that holds a database the copy would replace (one of
// the moved database's name, its journal, or one of a file copied along), is
// refused with a message before anything is copied. A database
// inside the program folder goes along as one whole state of the file, read
// while other workstations may write; the journal and the copies maintenance
// set aside beside it stay behind. The program file is copied last: a target
// holding it holds a whole installation, so one that a cut-off move left
// half-copied is copied again by the next move. After its own questions and
// before anything is copied it asks as every end does (AskProgramEnd). True
// when the program is to end now, without running the end work again
// (ExitProgramAsked); false when the move stopped or failed (told, nothing
// repointed, the database open again as before).
bool MoveInstallation(const QString& targetFolder, QString& dbField);
