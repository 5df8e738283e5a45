#include "core/database.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/windows.h"
#include "platform/db/database.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

std::unique_ptr<db::Database> Db;
bool DbOpen = false;

namespace {

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString notOpenText()
{
    return db::errorText(db::err::ObjectClosed);
}

}  // namespace

const QStringList ProgramTables = {
    QStringLiteral("tbl_mandanten"), QStringLiteral("tbl_buildings"),    QStringLiteral("tbl_floors"),
    QStringLiteral("tbl_places"),    QStringLiteral("tbl_bookings"),     QStringLiteral("tbl_customers"),
    QStringLiteral("tbl_workstations"), QStringLiteral("tbl_preferences2")};

db::Database& OpenedDb()
{
    if (!Db || !Db->isOpen())
        throw db::DbError(db::err::ObjectClosed);
    return *Db;
}

bool OpenDatabaseFile(const QString& dbPath, bool quiet)
{
    DbOpen = false;
    if (!FileExists(dbPath)) {
        if (quiet)
            return false;
        const ui::Answer answer = ui::msgBox(GetResString(521, {{QStringLiteral("%s"), ShownPath(dbPath)}}),
                                             ui::OkCancel | ui::Exclamation, GetResString(520));
        if (answer != ui::Answer::Ok)
            EndProgram();
        if (Windows().showSettings)
            Windows().showSettings();
        return false;
    }
    const std::optional<db::DbError> error = TryOpenDatabaseFile(dbPath);
    if (!error)
        return true;
    if (quiet)
        return false;
    ui::msgBox(GetResString(523, {{QStringLiteral("%s"), ShownPath(dbPath)}}) + QStringLiteral("\n\n") + error->description()
                   + QStringLiteral("\n\n") + GetResString(524),
               ui::Critical, GetResString(522));
    if (Windows().showSettings)
        Windows().showSettings();
    return false;
}

std::optional<db::DbError> TryOpenDatabaseFile(const QString& dbPath)
{
    DbOpen = false;
    try {
        if (Db)
            Db->close();
        Db = db::Database::open(dbPath, ProgramTables);
        DbOpen = true;
        return std::nullopt;
    } catch (const db::DbError& e) {
        Db.reset();
        return e;
    }
}

bool DatabaseReadOnly()
{
    return Db && Db->isOpen() && Db->isReadOnly();
}

QString WritePermissionHint()
{
    const QString advice = GetResString(524);
    const QString end = QStringLiteral("zum Schreiben frei.");
    for (QString line : advice.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(end);
        if (at < 0)
            continue;
        line = line.left(at + end.size());
        // "Ansonsten überprüfen Sie ...": the hint alone starts at the request.
        const qsizetype request = line.indexOf(QStringLiteral("überprüfen"));
        if (request > 0) {
            line = line.mid(request);
            line[0] = line[0].toUpper();
        }
        return line;
    }
    return advice;
}

QString ShownPath(const QString& path)
{
    return rt::elide(path, 300);
}

void CloseDatabaseForMaintenance()
{
    const bool previous = Closing;
    Closing = true;
    if (Windows().unloadAddressBook)
        Windows().unloadAddressBook();
    Closing = previous;
    try {
        if (Db)
            Db->close();
    } catch (...) {
    }
    ui::doEvents();
}

void CloseProgramDatabase()
{
    try {
        if (Db)
            Db->close();
    } catch (...) {
    }
    Db.reset();
}

qint32 GetRecordCount(const QString& table, const QString& where, bool* ok)
{
    if (ok)
        *ok = true;
    if (rt::trim(where).isEmpty())
        return 0;
    QString error;
    if (!Db) {
        error = notOpenText();
    } else {
        try {
            db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT Count(*) AS myRecordCount FROM ") + table
                                                     + QStringLiteral(" WHERE ") + where + QStringLiteral(";"),
                                                 db::OpenMode::ForwardOnlyReadOnly);
            return rs.value(QStringLiteral("myRecordCount")).toLong();
        } catch (const db::DbError& e) {
            error = e.description();
        }
    }
    if (ok)
        *ok = false;
    ui::msgBox(QStringLiteral("Fehler in GetRecordCount(") + where + QStringLiteral(")\n") + error, ui::Exclamation);
    return 0;
}

qint32 CountRows(const QString& table, bool* ok)
{
    if (ok)
        *ok = false;
    if (!Db)
        return 0;
    try {
        db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT Count(*) AS myRecordCount FROM ") + table + QStringLiteral(";"),
                                             db::OpenMode::ForwardOnlyReadOnly);
        if (ok)
            *ok = true;
        return rs.value(QStringLiteral("myRecordCount")).toLong();
    } catch (const db::DbError&) {
        return 0;
    }
}

void UpdateDatabase()
{
    AddFieldIfMissing(QStringLiteral("tbl_buildings"), QStringLiteral("bld_short"), 10, 8, QString(), false);
    AddFieldIfMissing(QStringLiteral("tbl_workstations"), QStringLiteral("ws_lastaccess"), 8, 0, QString(), true);
    CreateVatTable();
    UpdateIndexes();
}

void UpdateIndexes()
{
    struct Index {
        const char* table;
        const char* name;
        QStringList fields;
        const char* replaces;   // an older index this one makes needless
    };
    // As in resources/schema.sql.
    const Index indexes[] = {
        {"tbl_bookings", "idx_book_place_end",
         {QStringLiteral("book_place_id"), QStringLiteral("book_end"), QStringLiteral("book_start"),
          QStringLiteral("book_cust_count")},
         "idx_book_place_period"},
        {"tbl_bookings", "idx_book_end_start", {QStringLiteral("book_end"), QStringLiteral("book_start")}, "idx_book_end"},
    };
    if (!Db)
        return;
    try {
        QStringList existing;
        db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index';"),
                                             db::OpenMode::ForwardOnlyReadOnly);
        for (; !rs.eof(); rs.moveNext())
            existing << rs.field(0).value().toText();
        const QStringList tables = Db->tableNames();
        for (const Index& index : indexes) {
            const QString table = QString::fromLatin1(index.table);
            const QString name = QString::fromLatin1(index.name);
            if (!tables.contains(table) || existing.contains(name, Qt::CaseInsensitive))
                continue;
            Db->createIndex(table, db::IndexDef(name, index.fields));
            if (existing.contains(QString::fromLatin1(index.replaces), Qt::CaseInsensitive))
                Db->execute(QStringLiteral("DROP INDEX ") + QString::fromLatin1(index.replaces) + QStringLiteral(";"));
        }
    } catch (const db::DbError&) {
        // Only speed is lost; the next start tries again.
    }
}

bool AddFieldIfMissing(const QString& table, const QString& field, int fieldType, int size, const QString& defaultValue,
                       bool indexed)
{
    const QString title = QStringLiteral("Update ") + AppTitle;
    QString error;
    try {
        if (!Db)
            throw db::DbError(db::err::ObjectClosed);
        for (const db::FieldDef& existing : Db->tableFields(table)) {
            if (existing.name.compare(field, Qt::CaseInsensitive) == 0)
                return false;
        }
        db::FieldDef def;
        def.name = field;
        def.type = static_cast<db::DaoType>(fieldType);
        def.size = size;
        std::optional<db::Value> fill;
        switch (fieldType) {
        case 10:
            def.defaultValue = db::Value(QString());
            // A one-character default is taken for a flag, not a text.
            fill = db::Value(defaultValue.size() < 2 ? QString() : defaultValue);
            break;
        case 1:
            def.defaultValue = db::Value(rt::val(defaultValue) != 0);
            fill = def.defaultValue;
            break;
        case 8: {
            const bool onlyNumber = db::textToNumber(defaultValue).has_value();
            const std::optional<rt::Date> date = onlyNumber ? std::nullopt : db::parseDate(defaultValue);
            if (date) {
                def.defaultValue = db::Value(*date);
                fill = def.defaultValue;
            }
            break;
        }
        default:
            def.defaultValue = db::Value(db::textToNumber(defaultValue).value_or(0.0));
            fill = def.defaultValue;
            break;
        }
        Db->appendField(table, def);
        if (fill)
            Db->execute(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + field + QStringLiteral(" = ?;"), {*fill});
        if (indexed) {
            Db->execute(QStringLiteral("CREATE INDEX ") + field + QStringLiteral("Index ON ") + table + QStringLiteral(" (")
                        + field + QStringLiteral(");"));
        }
    } catch (const db::DbError& e) {
        error = e.description();
    }
    if (!error.isEmpty()) {
        ui::msgBox(QStringLiteral("Fehler bei Änderung für neue Programmversion in Tabelle ") + quoted(table)
                       + QStringLiteral(" im Feld ") + quoted(field) + QStringLiteral("\n\n") + error,
                   ui::Exclamation, title);
        ui::doEvents();
        return false;
    }
    ui::msgBox(QStringLiteral("Ihre Voreinstellungen in Tabelle ") + quoted(table) + QStringLiteral(" wurden im Feld ")
                   + quoted(field) + QStringLiteral(" ergänzt."),
               ui::Information, title);
    ui::doEvents();
    return true;
}

void CreateVatTable()
{
    const QString table = QStringLiteral("tbl_vat");
    try {
        if (!Db)
            throw db::DbError(db::err::ObjectClosed);
        if (Db->tableNames().contains(table))
            return;
        QList<db::FieldDef> fields;
        QList<db::IndexDef> indexes;
        for (const char* name : {"vat_date_start", "vat_date_end"}) {
            db::FieldDef f;
            f.name = QString::fromLatin1(name);
            f.type = db::DaoType::Date;
            fields.append(f);
            indexes.append({QStringLiteral("idx_") + f.name, {f.name}, false});
        }
        for (const char* name : {"vat_full", "vat_reduced"}) {
            db::FieldDef f;
            f.name = QString::fromLatin1(name);
            f.type = db::DaoType::Byte;
            fields.append(f);
        }
        Db->createTable(table, fields, indexes);
        ui::doEvents();
        Db->execute(QStringLiteral("INSERT INTO tbl_vat (vat_date_start,vat_date_end,vat_full,vat_reduced) VALUES "
                                   "(#01/01/2000#,#12/31/2100#,19,7);"));
    } catch (const db::DbError& e) {
        ui::msgBox(QStringLiteral("Fehler beim Erstellen der Tabelle ") + quoted(table) + QStringLiteral("\n\n") + e.description(),
                   ui::OkOnly);
        return;
    }
    ui::msgBox(QStringLiteral("Ihre Konfiguration wurde um die Tabelle ") + quoted(table) + QStringLiteral(" ergänzt."),
               ui::Information, QStringLiteral("Update ") + AppTitle);
}
