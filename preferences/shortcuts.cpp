#include "preferences/shortcuts.h"

#include "core/messages.h"
#include "platform/runtime/fileerror.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>

namespace {

const QString DesktopSuffix = QStringLiteral(".desktop");
// Where the program keeps a shortcut's description; the desktop shows Comment.
const QString DescriptionKey = QStringLiteral("X-Velmorant-Description");

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// A value of a string key: backslash, line breaks, tabs and a leading blank escaped.
QString escapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

QString unescapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[++i];
        if (n == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (n == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (n == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            out += n;
    }
    return out;
}

// One argument of the command line: quoted when it holds a character the
// command line reserves, with the characters special inside quotes escaped;
// a "%" doubled so it is no field code.
QString execArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);
    QString out;
    for (QChar c : argument) {
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
    }
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

QString execLine(const QString& target, const QString& arguments)
{
    QString exec = execArgument(target);
    // The program takes no field codes: a "%" stands for itself.
    if (!arguments.trimmed().isEmpty())
        exec += QLatin1Char(' ') + arguments.trimmed().replace(QLatin1Char('%'), QStringLiteral("%%"));
    return exec;
}

struct EntryFile {
    QStringList lines;
    int groupStart = -1;   // the line of [Desktop Entry]
    int groupEnd = -1;     // the first line after the group
};

EntryFile readEntry(const QString& path)
{
    EntryFile entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    entry.lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!entry.lines.isEmpty() && entry.lines.last().isEmpty())
        entry.lines.removeLast();
    for (int i = 0; i < entry.lines.size(); ++i) {
        const QString line = entry.lines[i].trimmed();
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        if (entry.groupStart >= 0) {
            entry.groupEnd = i;
            break;
        }
        if (line == QLatin1String("[Desktop Entry]"))
            entry.groupStart = i;
    }
    if (entry.groupStart >= 0 && entry.groupEnd < 0)
        entry.groupEnd = static_cast<int>(entry.lines.size());
    return entry;
}

// The line of key in the entry's group; -1 when it has none.
int keyLine(const EntryFile& entry, const QString& key)
{
    for (int i = entry.groupStart + 1; i >= 1 && i < entry.groupEnd; ++i) {
        const QString& line = entry.lines[i];
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return i;
    }
    return -1;
}

QString keyValue(const EntryFile& entry, const QString& key)
{
    const int line = keyLine(entry, key);
    if (line < 0)
        return QString();
    const QString& text = entry.lines[line];
    return unescapeValue(text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed());
}

void setKey(EntryFile& entry, const QString& key, const QString& escapedValue)
{
    const QString line = key + QLatin1Char('=') + escapedValue;
    const int at = keyLine(entry, key);
    if (at >= 0) {
        entry.lines[at] = line;
    } else {
        entry.lines.insert(entry.groupEnd, line);
        ++entry.groupEnd;
    }
}

// Written beside and moved over the old file; launchers must be executable
// for the desktop to start them.
bool writeEntry(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = rt::fileErrorReason(file.error(), errno);
        return false;
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        *error = rt::fileErrorReason(file.error(), errno);
        return false;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return true;
}

}  // namespace

QString GetSpecialFolderPath(int folder)
{
    if (folder == FolderDesktop) {
        const QString fromEnvironment = qEnvironmentVariable("XDG_DESKTOP_DIR");
        if (!fromEnvironment.isEmpty())
            return withoutTrailingSlash(fromEnvironment);
        QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (desktop.isEmpty())
            desktop = QDir::homePath() + QStringLiteral("/Desktop");
        return withoutTrailingSlash(desktop);
    }
    if (folder == FolderAutostart) {
        QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (config.isEmpty() || !QDir::isAbsolutePath(config))
            config = QDir::homePath() + QStringLiteral("/.config");
        return withoutTrailingSlash(config) + QStringLiteral("/autostart");
    }
    return QString();
}

QString DesktopEntryText(const QString& name, const QString& target, const QString& arguments,
                         const QString& description, const QString& workingFolder)
{
    QStringList lines{QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
                      QStringLiteral("Version=1.0"), QStringLiteral("Name=") + escapeValue(name)};
    // A comment that only repeats the name tells the user nothing.
    if (!description.isEmpty() && description != name)
        lines << QStringLiteral("Comment=") + escapeValue(description);
    lines << QStringLiteral("Exec=") + escapeValue(execLine(target, arguments));
    if (!workingFolder.isEmpty())
        lines << QStringLiteral("Path=") + escapeValue(withoutTrailingSlash(workingFolder));
    lines << QStringLiteral("Terminal=false");
    if (!description.isEmpty())
        lines << DescriptionKey + QLatin1Char('=') + escapeValue(description);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::vector<Shortcut> FindShortcuts(int folder, const QString& description)
{
    std::vector<Shortcut> found;
    const QString path = GetSpecialFolderPath(folder);
    if (path.isEmpty())
        return found;
    const QDir dir(path);
    for (const QString& fileName : dir.entryList({QStringLiteral("*") + DesktopSuffix}, QDir::Files, QDir::Name)) {
        const EntryFile entry = readEntry(dir.filePath(fileName));
        if (entry.groupStart < 0)
            continue;
        // Entries written by hand carry the description as their comment.
        const bool own = keyLine(entry, DescriptionKey) >= 0;
        if (keyValue(entry, own ? DescriptionKey : QStringLiteral("Comment")) != description)
            continue;
        found.push_back({dir.filePath(fileName), keyValue(entry, QStringLiteral("Name")), description,
                         keyValue(entry, QStringLiteral("Exec")), keyValue(entry, QStringLiteral("Path"))});
    }
    return found;
}

bool CreateShortcut(int folder, const QString& name, const QString& target, const QString& arguments,
                    const QString& description, const QString& workingFolder)
{
    const QString title = QStringLiteral("Error while creating a link");
    const QString folderPath = GetSpecialFolderPath(folder);
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (!fileName.endsWith(DesktopSuffix))
        fileName += DesktopSuffix;
    QString error;
    if (folderPath.isEmpty())
        error = QStringLiteral("Unbekannter Ordner ") + QString::number(folder);
    else if (!QDir().mkpath(folderPath))
        error = QStringLiteral("Der Ordner \"") + folderPath + QStringLiteral("\" kann nicht angelegt werden.");
    else if (writeEntry(folderPath + QLatin1Char('/') + fileName,
                        DesktopEntryText(name, target, arguments, description, workingFolder), &error))
        return true;
    ui::msgBox(error, ui::OkOnly, title);
    return false;
}

void ModifyShortcut(int folder, const QString& description, int mode, const QString& target, const QString& arguments,
                    const QString& unused, const QString& workingFolder)
{
    Q_UNUSED(unused);
    const QString title = QStringLiteral("Error while editing a link");
    for (const Shortcut& shortcut : FindShortcuts(folder, description)) {
        const QString fileName = QFileInfo(shortcut.file).fileName();
        if (mode == 1) {
            const QString where = GetResString(folder == FolderDesktop ? 1812 : 1813);
            const QString question =
                GetResString(1811, {{QStringLiteral("%s1"), fileName}, {QStringLiteral("%s2"), where}});
            if (ui::msgBox(question, ui::OkCancel | ui::Question | ui::DefaultButton2, GetResString(1810)) != ui::Answer::Ok)
                continue;
            QFile file(shortcut.file);
            if (!file.remove()) {
                ui::msgBox(rt::fileErrorReason(file.error(), errno), ui::OkOnly, title);
                return;
            }
            continue;
        }
        EntryFile entry = readEntry(shortcut.file);
        if (!target.isEmpty())
            setKey(entry, QStringLiteral("Exec"), escapeValue(execLine(target, arguments)));
        if (!workingFolder.isEmpty())
            setKey(entry, QStringLiteral("Path"), escapeValue(withoutTrailingSlash(workingFolder)));
        QString error;
        if (!writeEntry(shortcut.file, entry.lines.join(QLatin1Char('\n')) + QLatin1Char('\n'), &error)) {
            ui::msgBox(error, ui::OkOnly, title);
            return;
        }
    }
}
