#include "core/inifile.h"

#include "core/globals.h"
#include "platform/runtime/fileerror.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

QStringList SettingsFileNames()
{
    return {AppPath + QStringLiteral("velmo.ini"), AppPath + QStringLiteral("velmorant.ini"), OwnSettingsFileName()};
}

QString OwnSettingsFileName()
{
    return AppPath + AppExeName() + QStringLiteral(".ini");
}

QString DatabasePathFor(const QString& dbFileName)
{
    // Network paths, drive letters and paths from the root are full paths;
    // anything else lies in the program folder.
    const bool absolute = dbFileName.startsWith(QLatin1String("\\\\")) || dbFileName.startsWith(QLatin1Char('/'))
                          || dbFileName.contains(QLatin1Char(':'));
    QString path = absolute ? dbFileName : AppPath + dbFileName;
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

DatabaseSetting DatabaseSettingFor(const QString& typed)
{
    DatabaseSetting setting;
    setting.fileName = rt::trim(typed);
    const bool hasFolder = setting.fileName.contains(QLatin1Char('\\')) || setting.fileName.contains(QLatin1Char('/'));
    if (hasFolder && setting.fileName.startsWith(AppPath, Qt::CaseInsensitive))
        setting.fileName = setting.fileName.mid(AppPath.size());
    setting.path = DatabasePathFor(setting.fileName);
    return setting;
}

bool SaveDatabaseSetting(const QString& typed)
{
    const DatabaseSetting setting = DatabaseSettingFor(typed);
    DbFileName = setting.fileName;
    DbPath = setting.path;
    return WriteIniFile(OwnSettingsFileName());
}

std::optional<QString> DatabaseNameIn(const QByteArray& content)
{
    std::optional<QString> name;
    for (QByteArray raw : content.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('\'')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = rt::trim(line.left(eq)).toUpper();
        if (key == QLatin1String("DBNAME") || key == QLatin1String("DB_NAME"))
            name = rt::trim(line.mid(eq + 1));
    }
    return name;
}

void ReadIniFile(const QString& iniPath)
{
    DbFileName = AppExeName() + QStringLiteral(".mdb");
    QFile file(iniPath);
    if (file.open(QIODevice::ReadOnly)) {
        if (const std::optional<QString> name = DatabaseNameIn(file.readAll()))
            DbFileName = *name;
    }
    DbPath = DatabasePathFor(DbFileName);
}

bool WriteIniFile(const QString& iniPath)
{
    // Written beside and then moved over the old file, so a failed write
    // never leaves a half settings file behind.
    QSaveFile file(iniPath);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        file.write((QStringLiteral("DBname=") + DbFileName + QStringLiteral("\r\n")).toUtf8());
        ok = file.commit();
    }
    if (!ok) {
        const QString reason = rt::fileErrorReason(file.error(), errno);
        const int number = file.error() == QFileDevice::PermissionsError ? 70 : 75;
        ui::msgBox(QStringLiteral("Error while saving the file \"") + iniPath + QStringLiteral("\"\n\n") + reason,
                   ui::Exclamation, QStringLiteral("Error #") + QString::number(number));
    }
    return ok;
}
