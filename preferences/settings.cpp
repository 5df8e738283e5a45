#include "preferences/settings.h"

#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "platform/db/database.h"
#include "platform/db/value.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int TypeBoolean = 1;
constexpr int TypeText = 10;

bool storedFlag(const char* key)
{
    return GetPreference(QString::fromLatin1(key), TypeBoolean, db::Value(false)).toBool();
}

// A whole number as typed, in the German or the point notation ("1.000",
// "1e5", "-0"); nullopt for text, a fraction or several numbers ("1,2,3").
std::optional<double> wholeNumber(const QString& typed)
{
    const std::optional<double> number = db::textToNumber(typed);
    if (!number || std::trunc(*number) != *number)
        return std::nullopt;
    return *number + 0.0;
}

// The stored offset for the text shown: the number negated; an empty field
// is none. nullopt when it is no whole number or does not fit.
std::optional<qint32> offsetFor(const QString& shown)
{
    if (shown.trimmed().isEmpty())
        return 0;
    const std::optional<double> number = wholeNumber(shown);
    if (!number || !(-*number >= -2147483648.0 && -*number <= 2147483647.0))
        return std::nullopt;
    return static_cast<qint32>(-*number + 0.0);
}

// The day count typed, kept within what the setting holds; nullopt when it
// is no whole number.
std::optional<int> dayCountFor(const QString& typed)
{
    const std::optional<double> days = wholeNumber(typed);
    if (!days)
        return std::nullopt;
    return static_cast<int>(std::clamp(*days, 7.0, 255.0));
}

// What the window keeps in the workstation row, by column.
RowValues stationValues(const SettingsFields& f)
{
    RowValues values{{QStringLiteral("ws_readonly"), f.stationReadOnly},
                     {QStringLiteral("ws_tableautoupdate"), f.terminAutoUpdate},
                     {QStringLiteral("ws_autostart"), f.autostart}};
    if (f.startPage >= 1)
        values.insert(QStringLiteral("ws_startpage"), f.startPage);
    return values;
}

// The preference or workstation column a field shows.
QString storedName(SettingsField field)
{
    switch (field) {
    case SettingsField::PrinterLeftOffset: return QStringLiteral("printerleftoffset");
    case SettingsField::PrinterTopOffset: return QStringLiteral("printertopoffset");
    case SettingsField::StationReadOnly: return QStringLiteral("ws_readonly");
    case SettingsField::TerminAutoUpdate: return QStringLiteral("ws_tableautoupdate");
    case SettingsField::BearbeiterSubscriptionRequired: return QStringLiteral("bearbeitersubscriptionrequired");
    case SettingsField::BackupReminder: return QStringLiteral("backupreminder");
    case SettingsField::BackupDate2FileName: return QStringLiteral("backupdate2filename");
    case SettingsField::MwStIncluded: return QStringLiteral("mwst_included");
    case SettingsField::TableToolTipsEnabled: return QStringLiteral("tabletooltipsenabled");
    case SettingsField::FontSize: return QStringLiteral("daytablefontsize");
    case SettingsField::MaxWeekCols: return QStringLiteral("maxweekcols");
    case SettingsField::NormalTerminColor: return QStringLiteral("normaltermincolor");
    case SettingsField::TableFixedRowColBackColor: return QStringLiteral("tablefixedrowcolbackcolor");
    case SettingsField::Password: return QStringLiteral("adminpw");
    case SettingsField::StartPage: return QStringLiteral("ws_startpage");
    case SettingsField::Autostart: return QStringLiteral("ws_autostart");
    }
    return QString();
}

}  // namespace

const std::vector<StartWindow>& StartWindows()
{
    static const std::vector<StartWindow> windows{{1, QStringLiteral("Belegungsplan")},
                                                  {2, QStringLiteral("Mandanten-Übersicht")}};
    return windows;
}

SettingsFields SettingsFromGlobals()
{
    SettingsFields f;
    f.printerLeftOffset = QString::number(-static_cast<qint64>(PrinterLeftOffset));
    f.printerTopOffset = QString::number(-static_cast<qint64>(PrinterTopOffset));
    f.terminAutoUpdate = TableAutoUpdate;
    f.stationReadOnly = StationReadOnly;
    f.backupReminder = BackupReminder <= 2 ? BackupReminder : -1;
    f.mwstIncluded = MwStIncluded;
    f.fontSize = QString::number(DayTableFontSize);
    f.maxWeekCols = QString::number(MaxWeekCols);
    f.normalTerminColor = NormalTerminColor;
    f.tableFixedRowColBackColor = TableFixedRowColBackColor;
    f.printHeader = PrintHeaderEnabled;
    f.password = AdminPassword;
    f.startPage = StartPage;
    f.stationId = StationId;
    f.stationName = StationName;
    return f;
}

void LoadSettingsFromDatabase(SettingsView& view)
{
    // Read before the fields: a change stored in between then counts as
    // another workstation's at the save, never as what this window read.
    view.stored.shared = ReadPreferenceValues(SharedPreferenceNames());
    LoadSharedPreferences();
    view.fields = SettingsFromGlobals();
    SettingsFields& f = view.fields;
    f.bearbeiterSubscriptionRequired = storedFlag("BearbeiterSubscriptionRequired");
    f.tableToolTipsEnabled = storedFlag("TableToolTipsEnabled");
    view.stored.station = StationRowValues(StationId);
    f.autostart = view.stored.station.value(QStringLiteral("ws_autostart")).toBool();
    // Rows the reading above created, with their defaults.
    QStringList created;
    for (const QString& name : SharedPreferenceNames()) {
        if (view.stored.shared.value(name.toLower()).isNull())
            created << name;
    }
    if (!created.isEmpty())
        view.stored.shared.insert(ReadPreferenceValues(created));
    view.log = ReadMaintenanceLog();
    f.backupDate2FileName = view.log.backupDate2FileName;
    view.stored.stations = LoadStations();
    bool counted = false;
    const qint32 customers = CountRows(QStringLiteral("tbl_customers"), &counted);
    view.customerCount = counted ? customers : -1;
}

QString LimitDayCount(const QString& typed)
{
    // What cannot be read stays as typed, for the save to name.
    const std::optional<int> days = dayCountFor(typed);
    return days ? QString::number(*days) : typed;
}

QString StepFontSize(const QString& typed, int index)
{
    const double size = rt::val(typed) + (index == 0 ? 1 : -1);
    return QString::number(std::clamp(static_cast<int>(size), 8, 14));
}

std::optional<int> FontSizeOf(const QString& typed)
{
    // A size beyond the range is refused, not stored as 8 or 14 unseen.
    const std::optional<double> size = wholeNumber(typed);
    if (!size || *size < 8 || *size > 14)
        return std::nullopt;
    return static_cast<int>(*size);
}

SettingsProblem CheckSettings(const SettingsFields& shown)
{
    const QString offsetText = QStringLiteral("Bitte geben Sie den Druckrand als ganze Zahl in Twips ein.");
    if (!offsetFor(shown.printerLeftOffset))
        return {offsetText, SettingsProblem::Field::PrinterLeftOffset};
    if (!offsetFor(shown.printerTopOffset))
        return {offsetText, SettingsProblem::Field::PrinterTopOffset};
    if (!FontSizeOf(shown.fontSize))
        return {QStringLiteral("Bitte geben Sie die Schriftgröße als ganze Zahl von 8 bis 14 ein."),
                SettingsProblem::Field::FontSize};
    if (!dayCountFor(shown.maxWeekCols))
        return {QStringLiteral("Bitte geben Sie die Anzahl Tage im Zeitplan als ganze Zahl von 7 bis 255 ein."),
                SettingsProblem::Field::MaxWeekCols};
    if (const QString password = PasswordProblem(shown.password); !password.isEmpty())
        return {password, SettingsProblem::Field::Password};
    return {};
}

bool RefuseReadOnlySave(const SettingsFields& shown, const SettingsFields& loaded)
{
    if (!StationReadOnly)
        return false;
    // The read-only flag itself is what an administrator lifts here, unless
    // the file itself cannot be written.
    if (loaded.stationReadOnly && !shown.stationReadOnly && !DatabaseReadOnly())
        return false;
    return RefuseReadOnly(48);
}

RowValues SharedSettingValues(const SettingsFields& f)
{
    RowValues values;
    const auto put = [&values](const char* name, const db::Value& value) {
        values.insert(QString::fromLatin1(name).toLower(), value);
    };
    if (const std::optional<qint32> left = offsetFor(f.printerLeftOffset))
        put("PrinterLeftOffset", *left);
    if (const std::optional<qint32> top = offsetFor(f.printerTopOffset))
        put("PrinterTopOffset", *top);
    put("BearbeiterSubscriptionRequired", f.bearbeiterSubscriptionRequired);
    if (f.backupReminder >= 0)
        put("BackupReminder", f.backupReminder);
    put("BackupDate2FileName", f.backupDate2FileName ? -1 : 0);
    put("MwSt_included", f.mwstIncluded);
    put("TableToolTipsEnabled", f.tableToolTipsEnabled);
    if (const std::optional<int> size = FontSizeOf(f.fontSize))
        put("DayTableFontSize", *size);
    if (const std::optional<int> days = dayCountFor(f.maxWeekCols))
        put("MaxWeekCols", *days);
    put("NormalTerminColor", f.normalTerminColor);
    put("TableFixedRowColBackColor", f.tableFixedRowColBackColor);
    if (const QString password = rt::trim(f.password); IsStorablePassword(password))
        put("AdminPW", ScramblePassword(password));
    return values;
}

SettingsChanges ChangedSettings(const SettingsFields& shown, const SettingsFields& loaded, const StoredSettings& atLoad,
                                const EditedSettings& edited)
{
    RowValues shared = SharedSettingValues(loaded);
    RowValues station = stationValues(loaded);
    for (SettingsField field : edited) {
        MendUnshown(shared, atLoad.shared, storedName(field));
        MendUnshown(station, atLoad.station, storedName(field));
    }
    SettingsChanges changes;
    changes.shared = ChangedColumns(shared, SharedSettingValues(shown));
    changes.station = ChangedColumns(station, stationValues(shown));
    changes.handOver = shown.stationId >= 1 && shown.stationId != StationId;
    return changes;
}

QString StationCaption(const StationRow& row)
{
    if (!row.name.isEmpty())
        return row.name;
    if (!row.computerName.isEmpty())
        return row.computerName;
    return QStringLiteral("Arbeitsplatz ") + QString::number(row.id);
}

namespace {

QString timeText(const rt::Date& d)
{
    return rt::formatDate(d, DateFormat + QStringLiteral(" hh:nn"));
}

// How a row is used now, in the words of the changed-elsewhere questions.
QString stationUse(const StationRow& row)
{
    QString text = row.computerName.isEmpty() ? QStringLiteral("leer") : QLatin1Char('"') + row.computerName + QLatin1Char('"');
    if (row.loginDate.isZero())
        return text + QStringLiteral(", nicht angemeldet");
    text += QStringLiteral(", angemeldet seit ") + timeText(row.loginDate);
    if (!row.lastAccess.isZero())
        text += QStringLiteral(", zuletzt aktiv ") + timeText(row.lastAccess);
    return text;
}

// Whether to take over a row in use or changed since shown; stored as it is now.
bool askHandOver(HandOverState state, const StationRow& stored)
{
    const QString row = QStringLiteral("Der Arbeitsplatz \"") + StationCaption(stored) + QLatin1Char('"');
    QString text;
    if (state == HandOverState::InUse) {
        text = row + QStringLiteral(" ist gerade angemeldet: Computer ") + stationUse(stored)
               + QStringLiteral(". Übernimmt ihn dieser Computer, findet \"") + stored.computerName
               + QStringLiteral("\" seinen Arbeitsplatz nicht mehr.");
    } else {
        text = row + QStringLiteral(" wurde inzwischen an anderer Stelle geändert: Computer jetzt ") + stationUse(stored)
               + QLatin1Char('.');
    }
    text += QStringLiteral(" Trotzdem für diesen Computer übernehmen?\n\n"
                           "Ja: den Arbeitsplatz übernehmen und die Einstellungen speichern.\n"
                           "Nein: nichts speichern und weiter bearbeiten.");
    const QString title = state == HandOverState::InUse ? QStringLiteral("Arbeitsplatz angemeldet")
                                                        : QStringLiteral("Inzwischen geändert");
    return ui::msgBox(text, ui::YesNo | ui::Question | ui::DefaultButton2, title) == ui::Answer::Yes;
}

// The chosen row as the list showed it; a row it did not show counts as shown
// without computer and login.
StationRow shownStation(const StoredSettings& atLoad, qint32 id)
{
    for (const StationRow& row : atLoad.stations) {
        if (row.id == id)
            return row;
    }
    StationRow row;
    row.id = id;
    return row;
}

}  // namespace

SaveOutcome SaveSettings(const SettingsFields& shown, const SettingsFields& loaded, const StoredSettings& atLoad,
                         const EditedSettings& edited)
{
    // Whatever calls it: a value that cannot be stored as shown is not stored at all.
    if (const SettingsProblem problem = CheckSettings(shown); !problem.text.isEmpty()) {
        ui::msgBox(problem.text, ui::Exclamation, AppTitle);
        return SaveOutcome::Refused;
    }
    if (!Db)
        throw db::DbError(db::err::ObjectClosed);

    const SettingsChanges changes = ChangedSettings(shown, loaded, atLoad, edited);
    const qint32 stationId = shown.stationId >= 1 ? shown.stationId : StationId;
    const int startPage = shown.startPage >= 1 ? shown.startPage : StartPage;
    // A row handed over gets all of them; this one's own only what changed.
    const auto wanted = [&changes](const char* column) {
        return changes.handOver || changes.station.contains(QString::fromLatin1(column));
    };
    StationSettings station;
    if (wanted("ws_readonly"))
        station.readOnly = shown.stationReadOnly;
    if (wanted("ws_tableautoupdate"))
        station.tableAutoUpdate = shown.terminAutoUpdate;
    if (wanted("ws_autostart"))
        station.autostart = shown.autostart;
    if (wanted("ws_startpage"))
        station.startPage = startPage;
    const ClashAsk ask = [](const RowMerge& merge) {
        const QString which = merge.clashes.size() == 1 ? QStringLiteral("Die Programm-Einstellung")
                                                        : QStringLiteral("Jede der folgenden Programm-Einstellungen");
        return AskClash(which, SharedPreferenceMergeFields(), merge);
    };

    const StationRow shownRow = shownStation(atLoad, stationId);
    std::optional<StationRow> agreed;   // the chosen row as the user agreed to take it over
    StationWrite written = StationWrite::Stored;
    for (;;) {
        if (changes.handOver) {
            // Looked at and asked about outside the lock; the save compares again.
            const std::optional<StationRow> stored = ReadStation(stationId);
            const HandOverState state = CheckHandOver(shownRow, stored, ComputerName);
            if (state == HandOverState::Gone) {
                ui::msgBox(QStringLiteral("Der Arbeitsplatz \"") + StationCaption(shownRow)
                               + QStringLiteral("\" wurde inzwischen an anderer Stelle gelöscht. Er wurde nicht "
                                                "übernommen, und es wurde nichts gespeichert."),
                           ui::Exclamation, AppTitle);
                return SaveOutcome::HandOverGone;
            }
            const bool askedBefore = agreed && SameStationUse(*agreed, *stored);
            if (state != HandOverState::Free && !askedBefore && !askHandOver(state, *stored))
                return SaveOutcome::Cancelled;
            agreed = stored;
        }
        const auto storeStation = [&] {
            if (changes.handOver)
                written = HandOverStation(StationId, *agreed, ComputerName, station);
            else if (!changes.station.isEmpty())
                written = StoreStationSettings(StationId, ComputerName, station);
            // A row no longer as agreed stores nothing; it is looked at again.
            return !changes.handOver || written == StationWrite::Stored;
        };
        // A write that fails undoes the others; the error reaches the caller.
        const MergedSave save = StoreChangedPreferences(atLoad.shared, changes.shared, ask, storeStation);
        if (save.result == MergedSave::Result::Cancelled)
            return SaveOutcome::Cancelled;
        if (save.result != MergedSave::Result::Refused)
            break;
    }

    // The shared settings as stored now, another workstation's included.
    LoadSharedPreferences();
    if (written == StationWrite::Changed) {
        if (const std::optional<StationRow> stored = ReadStation(StationId)) {
            ui::msgBox(QStringLiteral("Der Arbeitsplatz \"") + StationCaption(*stored)
                           + QStringLiteral("\" wurde inzwischen an anderer Stelle geändert: Computer jetzt ")
                           + stationUse(*stored)
                           + QStringLiteral(". Die Einstellungen dieses Arbeitsplatzes wurden nicht gespeichert."),
                       ui::Exclamation, AppTitle);
            return SaveOutcome::StationTaken;
        }
    }
    if (written != StationWrite::Stored)
        return SaveOutcome::StationGone;
    TableAutoUpdate = shown.terminAutoUpdate;
    StationReadOnly = shown.stationReadOnly;
    StartPage = startPage;
    if (changes.handOver) {
        StationId = stationId;
        StationName = shown.stationName;
    }
    return SaveOutcome::Stored;
}

SettingsFileContent ReadOwnSettingsFile()
{
    QFile file(OwnSettingsFileName());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool MayReplaceSettingsFile(const QString& typed, const SettingsFileContent& atLoad)
{
    SettingsFileContent seen = atLoad;
    for (;;) {
        const SettingsFileContent now = ReadOwnSettingsFile();
        // Gone, as read, or as the user agreed to replace it: nobody's choice is replaced unasked.
        if (!now || now == seen)
            return true;
        const std::optional<QString> named = DatabaseNameIn(*now);
        if (named == DatabaseSettingFor(typed).fileName)
            return true;
        const QString text = QStringLiteral("Die Einstellungsdatei \"") + OwnSettingsFileName()
                             + QStringLiteral("\" wurde inzwischen an anderer Stelle geändert: Datenbank jetzt ")
                             + (named && !named->isEmpty() ? QLatin1Char('"') + *named + QLatin1Char('"')
                                                           : QStringLiteral("leer"))
                             + QStringLiteral(". Trotzdem \"") + rt::trim(typed)
                             + QStringLiteral("\" für den nächsten Start eintragen?\n\n"
                                              "Ja: die Datei mit Ihrer Eingabe neu schreiben.\n"
                                              "Nein: die Datei lassen, wie sie ist.");
        if (ui::msgBox(text, ui::YesNo | ui::Question | ui::DefaultButton2, QStringLiteral("Inzwischen geändert"))
            != ui::Answer::Yes)
            return false;
        // Changed again while the question stood: asked anew.
        seen = now;
    }
}

void SaveDatabaseSettingForNextStart(const QString& typed, const QString& shown, const SettingsFileContent& atLoad)
{
    if (rt::trim(typed) == rt::trim(shown) || !MayReplaceSettingsFile(typed, atLoad))
        return;
    const DatabaseSetting setting = DatabaseSettingFor(typed);
    const QFileInfo wanted(setting.path), open(DbPath);
    const bool same = wanted.exists() && open.exists() ? wanted.canonicalFilePath() == open.canonicalFilePath()
                                                       : QDir::cleanPath(wanted.absoluteFilePath()) == QDir::cleanPath(open.absoluteFilePath());
    if (same) {
        SaveDatabaseSetting(typed);
        return;
    }
    // The open file stays the one DbPath names, for maintenance too.
    const QString openName = DbFileName;
    DbFileName = setting.fileName;
    const bool written = WriteIniFile(OwnSettingsFileName());
    DbFileName = openName;
    if (!written)
        return;
    QString text = QStringLiteral("Die Datenbank \"") + ShownPath(setting.path)
                   + QStringLiteral("\" wird ab dem nächsten Start des Programms verwendet. Bis dahin arbeitet es weiter mit \"")
                   + ShownPath(DbPath) + QStringLiteral("\".");
    if (!wanted.isFile())
        text += QStringLiteral("\n\nEine Datei dieses Namens gibt es im Moment nicht.");
    for (const QString& ini : SettingsFileNames()) {
        if (!QFileInfo(ini).isFile())
            continue;
        if (ini != OwnSettingsFileName()) {
            text += QStringLiteral("\n\nBeim Start wird aber zuerst die Einstellungsdatei \"") + ini
                    + QStringLiteral("\" gelesen; solange es sie gibt, gilt die Datenbank, die sie nennt.");
        }
        break;
    }
    ui::msgBox(text, ui::Information, AppTitle);
}

void SaveDatabaseSettingForRestart(const QString& typed, const QString& shown, const SettingsFileContent& atLoad)
{
    if (rt::trim(typed) != rt::trim(shown) && MayReplaceSettingsFile(typed, atLoad))
        SaveDatabaseSetting(typed);
}
