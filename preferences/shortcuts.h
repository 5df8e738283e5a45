#pragma once

#include <QString>

#include <vector>

// Shortcuts to the program: desktop entries (".desktop" files) in the
// desktop folder and in the autostart folder, recognised by their
// description (a key of the program's own, else the entry's Comment).

enum SpecialFolder : int { FolderDesktop = 0, FolderAutostart = 7 };

// The folder's path without a trailing "/"; "" for an unknown number. The
// desktop is $XDG_DESKTOP_DIR, else the desktop of the user's folder list
// (~/Desktop when it names none); autostart lies below $XDG_CONFIG_HOME.
QString GetSpecialFolderPath(int folder);

// The desktop entry of a shortcut.
QString DesktopEntryText(const QString& name, const QString& target, const QString& arguments,
                         const QString& description, const QString& workingFolder);

struct Shortcut {
    QString file;          // full path
    QString name;
    QString description;
    QString exec;
    QString workingFolder;
};
// The shortcuts in the folder with this description, by file name.
std::vector<Shortcut> FindShortcuts(int folder, const QString& description);

// Writes the shortcut name (".desktop" added) into the folder, creating the
// folder when it is missing, and replacing one of the same name. False after
// a message titled "Error while creating a link".
bool CreateShortcut(int folder, const QString& name, const QString& target, const QString& arguments,
                    const QString& description, const QString& workingFolder);

// For every shortcut of the folder with this description: mode 1 asks
// (question 1811) and removes it on OK; any other mode points it to target
// with the arguments and working folder. A failure is told ("Error while
// editing a link") and ends the run.
void ModifyShortcut(int folder, const QString& description, int mode, const QString& target, const QString& arguments,
                    const QString& unused, const QString& workingFolder);
