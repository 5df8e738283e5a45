#pragma once

#include "platform/runtime/date.h"

#include <QString>

struct sqlite3;

namespace makedb {

struct Options {
    QString schemaFile;   // CREATE statements
    QString seedFile;     // rows; may call seed_today()
    QString target;       // the database file to write
    QString imagesDir;    // where the pictures named in the rows are drawn
    rt::Date today;       // what seed_today() answers (its whole day is used)
};

// Builds the database into a temporary file beside the target, draws the
// pictures its rows name, then renames the file over the target. On failure the
// target is left as it was and the temporary file is removed.
// Returns an empty text on success, otherwise what went wrong.
QString build(const Options& options);

// Runs a script of several statements in one transaction on an open connection
// that already has the program's functions and seed_today().
QString runScript(sqlite3* handle, const QByteArray& sql);

// Registers seed_today() on a connection: the whole day of `today`.
void registerSeedFunctions(sqlite3* handle, rt::Date today);

// Draws the floor plans of all floors and the site plans of all facilities whose
// picture name is set. Needs a QGuiApplication for the fonts.
QString drawPictures(sqlite3* handle, const QString& imagesDir);

}  // namespace makedb
