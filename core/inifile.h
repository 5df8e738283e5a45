#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The settings file names the database file; nothing else is read from it.

// The names start-up looks for, in order, each in the program folder:
// velmo.ini, velmorant.ini, and the program's own name with ".ini".
QStringList SettingsFileNames();
// The name the settings window writes (the third one).
QString OwnSettingsFileName();

// The database a settings file's text names (its DBname line); nullopt when
// it names none.
std::optional<QString> DatabaseNameIn(const QByteArray& content);

// Sets DbFileName and DbPath from the file; defaults when it names none.
// A file that cannot be read leaves the defaults.
void ReadIniFile(const QString& iniPath);
// Writes the file anew as the single line "DBname=" & DbFileName; reports a
// failure in a message box and returns false.
bool WriteIniFile(const QString& iniPath);

// DbPath for a database name as written in the settings file.
QString DatabasePathFor(const QString& dbFileName);

// What the settings file and DbPath become for a database name typed into
// the settings window: a bare name stays as typed, a path inside the program
// folder (compared without regard to case) is kept relative to it, any other
// path in full.
struct DatabaseSetting {
    QString fileName;   // the settings file's DBname
    QString path;       // DbPath
};
DatabaseSetting DatabaseSettingFor(const QString& typed);

// Takes the typed name into DbFileName and DbPath and writes the program's
// own settings file; false (after the message) when it could not be written.
bool SaveDatabaseSetting(const QString& typed);
