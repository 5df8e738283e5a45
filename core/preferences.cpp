#include "core/preferences.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/color.h"
#include "platform/runtime/text.h"
#include "platform/ui/dialogs.h"

#include <cmath>
#include <functional>
#include <optional>

qint32 NormalTerminColor = 0xEEEEEE;
qint32 TableFixedRowColBackColor = 0xEEEEEE;
quint8 MaxWeekCols = 30;
quint8 BackupReminder = 0;
QString BackupPath;
bool PrintHeaderEnabled = false;
qint32 PrinterLeftOffset = 0;
qint32 PrinterTopOffset = -1000;
quint8 DayTableFontSize = 8;
bool MwStIncluded = false;
bool KeepAdrList = false;

std::array<rt::Date, 2> SelectedPeriod;
QString ImageDir;
std::array<QString, 21> FloorNames;
rt::Date MusterwocheDate;

namespace {

const QString PrefTable = QStringLiteral("tbl_preferences2");

constexpr int TypeBoolean = 1;
constexpr int TypeByte = 2;
constexpr int TypeInteger = 3;
constexpr int TypeLong = 4;
constexpr int TypeSingle = 6;
constexpr int TypeDouble = 7;
constexpr int TypeDate = 8;
constexpr int TypeText = 10;

int creationType(int dataType)
{
    if (dataType == TypeByte || dataType == TypeInteger)
        return TypeLong;
    if (dataType == TypeDouble)
        return TypeSingle;
    return dataType;
}

// The column that holds a value of the type; "" for a type without one.
QString valueColumn(int dataType)
{
    switch (dataType) {
    case TypeText: return QStringLiteral("prf_text_value");
    case TypeBoolean: return QStringLiteral("prf_bool_value");
    case TypeDate: return QStringLiteral("prf_date_value");
    case TypeLong: return QStringLiteral("prf_long_value");
    case TypeSingle: return QStringLiteral("prf_single_value");
    default: return QString();
    }
}

const QString SelectSql = QStringLiteral("SELECT * FROM tbl_preferences2 WHERE prf_name = ?;");

// The value as the column of a preference type keeps it; text that is no
// number is refused for a number column as a record set would refuse it.
db::Value storedAs(int type, const db::Value& value)
{
    if (value.isNull())
        return value;
    const bool text = value.kind() == db::Value::Kind::Text;
    switch (type) {
    case TypeText: return db::Value(value.toText());
    case TypeBoolean: return db::Value(value.toBool());
    case TypeDate: return db::Value(value.toDate());
    case TypeLong:
    case TypeSingle:
        if (text && !db::textToNumber(value.toText()))
            throw db::DbError(db::err::ConversionError, value.toText());
        return type == TypeLong ? db::Value(qint64(value.toLong())) : db::Value::single(value.toDouble());
    default: return value;
    }
}

// Creates the row of name with its type and value unless it is there already,
// in one statement: of two workstations creating the same row at once, the
// second finds the first one's row instead of failing. True when this call
// created it.
bool createRow(const QString& name, int type, const db::Value& value)
{
    const QString column = valueColumn(type);
    QList<db::Value> params{db::Value(name), db::Value(type)};
    QString sql = QStringLiteral("INSERT OR IGNORE INTO ") + PrefTable + QStringLiteral(" (prf_name, prf_data_type");
    if (!column.isEmpty()) {
        sql += QStringLiteral(", ") + column;
        params.append(storedAs(type, value));
    }
    sql += column.isEmpty() ? QStringLiteral(") VALUES (?, ?);") : QStringLiteral(") VALUES (?, ?, ?);");
    return OpenedDb().execute(sql, params) == 1;
}

// The value of the row by its stored type; nullopt when there is no row.
std::optional<db::Value> readRow(const QString& name)
{
    db::Recordset rs = OpenedDb().openRecordset(SelectSql, db::OpenMode::ForwardOnlyReadOnly, {db::Value(name)});
    if (rs.eof())
        return std::nullopt;
    switch (rs.field(QStringLiteral("prf_data_type")).value().toLong()) {
    case TypeText:
        return db::Value(rs.field(QStringLiteral("prf_text_value")).value().toText());
    case TypeBoolean:
        return rs.field(QStringLiteral("prf_bool_value")).value();
    case TypeDate: {
        const db::Value v = rs.field(QStringLiteral("prf_date_value")).value();
        return db::Value(v.isNull() ? rt::Date() : v.toDate());
    }
    case TypeLong:
        return db::Value(rt::val(rs.field(QStringLiteral("prf_long_value")).value().toText()));
    case TypeSingle: {
        const db::Value v = rs.field(QStringLiteral("prf_single_value")).value();
        return db::Value::single(v.isNull() ? 0.0 : v.toDouble());
    }
    default:
        return db::Value(0);
    }
}

// A value that does not fit the global it is taken into, with the number and
// text of the run-time error.
struct ConversionError {
    int number;
    QString text;
};

[[noreturn]] void overflow()
{
    throw ConversionError{6, QStringLiteral("Überlauf")};
}

[[noreturn]] void typeMismatch()
{
    throw ConversionError{13, QStringLiteral("Typen unverträglich")};
}

double numberOf(const db::Value& v)
{
    if (v.isNull())
        throw ConversionError{94, QStringLiteral("Unzulässige Verwendung von Null")};
    if (v.kind() == db::Value::Kind::Text) {
        std::optional<double> n = db::textToNumber(v.toText());
        if (!n) {
            const QString t = v.toText().trimmed().toLower();
            if (t == QLatin1String("wahr") || t == QLatin1String("true"))
                return -1;
            if (t == QLatin1String("falsch") || t == QLatin1String("false"))
                return 0;
            typeMismatch();
        }
        return *n;
    }
    return v.toDouble();
}

// Whole numbers round half to even, as the conversions always did.
double roundEven(double d)
{
    return std::nearbyint(d);
}

quint8 asByte(const db::Value& v)
{
    const double d = roundEven(numberOf(v));
    if (!(d >= 0 && d <= 255))
        overflow();
    return static_cast<quint8>(d);
}

qint32 asLong(double value)
{
    const double d = roundEven(value);
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        overflow();
    return static_cast<qint32>(d);
}

bool asBool(const db::Value& v)
{
    if (v.kind() == db::Value::Kind::Bool)
        return v.toBool();
    return numberOf(v) != 0;
}

QString asText(const db::Value& v)
{
    if (v.isNull())
        throw ConversionError{94, QStringLiteral("Unzulässige Verwendung von Null")};
    return v.toText();
}

void reportReadError(int number, const QString& text)
{
    ui::msgBox(QStringLiteral("Fehler beim Einlesen der Programmeinstellungen aus Tabelle \"Preferences2\"\n\n") + text,
               ui::Information,
               QStringLiteral("Fehler ") + QString::number(number)
                   + QStringLiteral(" beim Einlesen der Programmeinstellungen"));
}

// Reads one key and hands it to take. A value that take cannot use is reported
// and replaced by the default, so a global never ends up outside its range.
void readKey(const QString& name, int dataType, const db::Value& defaultValue,
             const std::function<void(const db::Value&)>& take)
{
    bool ok = true;
    const db::Value value = GetPreference(name, dataType, defaultValue, &ok);
    if (!take)
        return;
    if (!ok) {
        take(defaultValue);
        return;
    }
    try {
        take(value);
    } catch (const ConversionError& e) {
        reportReadError(e.number, e.text);
        take(defaultValue);
    }
}

}  // namespace

db::Value GetPreference(const QString& name, int dataType, const db::Value& defaultValue, bool* ok)
{
    const db::Value initial = dataType == TypeText ? db::Value(QString()) : defaultValue;
    if (ok)
        *ok = true;
    db::Value result;
    try {
        if (std::optional<db::Value> stored = readRow(name)) {
            result = *stored;
        } else if (DatabaseReadOnly()) {
            // A file this workstation cannot write to gets no new rows.
            result = initial;
        } else if (createRow(name, creationType(dataType), initial)) {
            result = initial;
        } else {
            // Another workstation created the row meanwhile: its value counts.
            std::optional<db::Value> theirs = readRow(name);
            if (!theirs)
                throw db::DbError(db::err::NoCurrentRecord, name);
            result = *theirs;
        }
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Lesen des Parameters \"") + name + QStringLiteral("\" aus der Tabelle \"")
                       + PrefTable + QStringLiteral("\"\n\n") + e.description(),
                   ui::OkOnly);
        if (ok)
            *ok = false;
    }
    return result;
}

void StorePreference(const QString& name, const db::Value& value, int dataType)
{
    auto open = [&name] { return OpenedDb().openRecordset(SelectSql, db::OpenMode::Dynaset, {db::Value(name)}); };
    std::optional<db::Recordset> rs;
    rs.emplace(open());
    if (rs->eof()) {
        rs.reset();
        if (createRow(name, creationType(dataType), value))
            return;
        // Another workstation created the row meanwhile: write into it.
        rs.emplace(open());
        if (rs->eof())
            throw db::DbError(db::err::NoCurrentRecord, name);
    }
    rs->edit();
    const QString column = valueColumn(rs->field(QStringLiteral("prf_data_type")).value().toLong());
    if (!column.isEmpty())
        rs->field(column).setValue(value);
    rs->update();
    rs->close();
}

void SavePreference(const QString& name, const db::Value& value, int dataType)
{
    try {
        StorePreference(name, value, dataType);
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Speichern der Programmeinstellung für \"") + name
                       + QStringLiteral("\" in Tabelle \"") + PrefTable + QStringLiteral("\"\n\n") + e.description(),
                   ui::Exclamation);
    }
}

void LoadSharedPreferences()
{
    readKey(QStringLiteral("NormalTerminColor"), TypeLong, db::Value(0xEEEEEE),
            [](const db::Value& v) { NormalTerminColor = asLong(std::fabs(numberOf(v))); });
    readKey(QStringLiteral("TableFixedRowColBackColor"), TypeLong, db::Value(0xEEEEEE),
            [](const db::Value& v) { TableFixedRowColBackColor = asLong(std::fabs(numberOf(v))); });
    readKey(QStringLiteral("MaxWeekCols"), TypeInteger, db::Value(30),
            [](const db::Value& v) { MaxWeekCols = asByte(v); });
    readKey(QStringLiteral("BackupReminder"), TypeByte, db::Value(0),
            [](const db::Value& v) { BackupReminder = asByte(v); });
    readKey(QStringLiteral("BackupPath"), TypeText, db::Value(QString()),
            [](const db::Value& v) { BackupPath = asText(v); });
    readKey(QStringLiteral("PrinterLeftOffset"), TypeLong, db::Value(0),
            [](const db::Value& v) { PrinterLeftOffset = asLong(numberOf(v)); });
    readKey(QStringLiteral("PrinterTopOffset"), TypeLong, db::Value(-1000), [](const db::Value& v) {
        PrinterTopOffset = asLong(numberOf(v));
        if (PrinterTopOffset == 10)
            PrinterTopOffset = -1000;
    });
    readKey(QStringLiteral("DayTableFontSize"), TypeByte, db::Value(8), [](const db::Value& v) {
        DayTableFontSize = asByte(v);
        if (DayTableFontSize < 6)
            DayTableFontSize = 8;
    });
    ReadMwStIncluded();
    readKey(QStringLiteral("AdminPW"), TypeText, db::Value(QString()),
            [](const db::Value& v) { AdminPassword = UnscramblePassword(asText(v)); });
    AdminPasswordActive = !AdminPassword.isEmpty();
}

void ReadMwStIncluded()
{
    readKey(QStringLiteral("MwSt_included"), TypeBoolean, db::Value(false),
            [](const db::Value& v) { MwStIncluded = asBool(v); });
}

void ReadPreferences()
{
    // The program has no built-in second administrator password.
    SecondAdminPassword.clear();
    MusterwocheDate = rt::Date();
    const rt::Date today = rt::Date::today();
    SelectedPeriod = {today.atNoon(), today.addDays(1).atNoon()};
    if (ImageDir.isEmpty())
        ImageDir = AppPath + QStringLiteral("images/");
    FloorNames.fill(QString());
    FloorNames[0] = QStringLiteral("Untergeschoss");
    FloorNames[1] = QStringLiteral("Erdgeschoss");
    for (int i = 1; i <= 14; ++i)
        FloorNames[i + 1] = QString::number(i) + QStringLiteral(". Stockwerk");

    LoadSharedPreferences();
    const db::Value noDate{rt::Date()};
    readKey(QStringLiteral("LastBackupSavedOnStation"), TypeText, db::Value(QString()), {});
    readKey(QStringLiteral("LastBackupSavedDate"), TypeDate, noDate, {});
    readKey(QStringLiteral("LastBackupReminderDate"), TypeDate, noDate, {});
    readKey(QStringLiteral("LastDefragDate"), TypeDate, noDate, {});
    readKey(QStringLiteral("LastRepairDate"), TypeDate, noDate, {});
    readKey(QStringLiteral("BackupDate2FileName"), TypeBoolean, db::Value(false), {});
    readKey(QStringLiteral("PrintSettings"), TypeText, db::Value(QString()), {});
    readKey(QStringLiteral("PrintHeaderEnabled"), TypeBoolean, db::Value(false),
            [](const db::Value& v) { PrintHeaderEnabled = asBool(v); });
    readKey(QStringLiteral("MailSeekInterval"), TypeByte, db::Value(20), {});
    readKey(QStringLiteral("KeepAdrList"), TypeBoolean, db::Value(false),
            [](const db::Value& v) { KeepAdrList = asBool(v); });
    readKey(QStringLiteral("Shutdown"), TypeBoolean, db::Value(false), [](const db::Value& v) {
        if (asBool(v) && !DatabaseReadOnly())
            SavePreference(QStringLiteral("Shutdown"), db::Value(false), TypeText);
    });
}

const QStringList& SharedPreferenceNames()
{
    static const QStringList names{
        QStringLiteral("PrinterLeftOffset"),     QStringLiteral("PrinterTopOffset"),
        QStringLiteral("BearbeiterSubscriptionRequired"), QStringLiteral("BackupReminder"),
        QStringLiteral("BackupDate2FileName"),   QStringLiteral("MwSt_included"),
        QStringLiteral("TableToolTipsEnabled"),  QStringLiteral("DayTableFontSize"),
        QStringLiteral("MaxWeekCols"),           QStringLiteral("NormalTerminColor"),
        QStringLiteral("TableFixedRowColBackColor"), QStringLiteral("AdminPW"),
    };
    return names;
}

RowValues ReadPreferenceValues(const QStringList& names)
{
    RowValues values;
    for (const QString& name : names) {
        db::Recordset rs = OpenedDb().openRecordset(SelectSql, db::OpenMode::ForwardOnlyReadOnly, {db::Value(name)});
        db::Value value;
        if (!rs.eof()) {
            const QString column = valueColumn(rs.field(QStringLiteral("prf_data_type")).value().toLong());
            if (!column.isEmpty())
                value = rs.field(column).value();
        }
        values.insert(name.toLower(), value);
    }
    return values;
}

namespace {

// A stored value as the settings window would show it; nullopt when it
// cannot be read as one.
std::optional<double> numberShown(const db::Value& v)
{
    try {
        return numberOf(v);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

QString describeWith(const db::Value& v, const std::function<QString(double)>& shown)
{
    const std::optional<double> n = numberShown(v);
    return n ? shown(*n) : DescribeStored(v);
}

MergeField field(const char* name, const QString& label, const std::function<QString(double)>& shown)
{
    const QString key = QString::fromLatin1(name).toLower();
    return {label, {key}, [key, shown](const RowValues& r) { return describeWith(r.value(key), shown); }};
}

QString yesNo(double n)
{
    return n != 0 ? QStringLiteral("ja") : QStringLiteral("nein");
}

QString quoted(const QString& text)
{
    return QStringLiteral("\"") + text + QStringLiteral("\"");
}

QString whole(double n)
{
    return QString::number(static_cast<qint64>(roundEven(n)));
}

QString colour(double n)
{
    return rt::toQColor(static_cast<qint32>(std::fabs(n))).name().toUpper();
}

}  // namespace

QList<MergeField> SharedPreferenceMergeFields()
{
    const auto offset = [](double n) { return whole(-n); };
    const QString passwordKey = QStringLiteral("adminpw");
    return {
        field("PrinterLeftOffset", GetResString(1732), offset),
        // As the start takes them.
        field("PrinterTopOffset", GetResString(1733), [offset](double n) { return offset(n == 10 ? -1000 : n); }),
        field("BearbeiterSubscriptionRequired", GetResString(1792), yesNo),
        field("BackupReminder", GetResString(1718),
              [](double n) {
                  const int option = static_cast<int>(roundEven(n));
                  return option >= 0 && option <= 2 ? quoted(GetResString(1725 + option)) : whole(n);
              }),
        field("BackupDate2FileName", GetResString(1720), yesNo),
        field("MwSt_included", QStringLiteral("Mehrwertsteuer"),
              [](double n) {
                  return quoted(n != 0 ? QStringLiteral("alle Preise inkl. MwSt.") : QStringLiteral("alle Preise zzgl. MwSt."));
              }),
        field("TableToolTipsEnabled", GetResString(1778), yesNo),
        field("DayTableFontSize", GetResString(1721), [](double n) { return whole(roundEven(n) < 6 ? 8 : n); }),
        field("MaxWeekCols", GetResString(1722), whole),
        field("NormalTerminColor", GetResString(1723), colour),
        field("TableFixedRowColBackColor", GetResString(1724), colour),
        // Never shown: only whether there is one.
        {GetResString(1744), {passwordKey},
         [passwordKey](const RowValues& r) {
             return UnscramblePassword(r.value(passwordKey).toText()).isEmpty() ? QStringLiteral("leer")
                                                                                : QStringLiteral("ein anderes");
         }},
    };
}

MergedSave StoreChangedPreferences(const RowValues& loaded, const RowValues& changed, const ClashAsk& ask,
                                   const std::function<bool()>& more)
{
    // Every name the window read or writes, as the rows name them.
    QMap<QString, QString> names;
    for (const QString& name : SharedPreferenceNames())
        names.insert(name.toLower(), name);
    for (const QString& key : loaded.keys() + changed.keys()) {
        if (!names.contains(key))
            names.insert(key, key);
    }
    return SaveMerged([&] { return std::optional<RowValues>(ReadPreferenceValues(names.values())); }, loaded, changed, ask,
                      [&](db::Database&, const RowMerge&, RowValues& toWrite) {
                          for (auto it = toWrite.cbegin(); it != toWrite.cend(); ++it)
                              StorePreference(names.value(it.key()), it.value(), TypeText);
                          return !more || more();
                      });
}
