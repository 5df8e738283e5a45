#include "platform/db/error.h"

#include "platform/runtime/fileerror.h"

#include <sqlite3.h>

namespace db {

QString errorText(int number)
{
    switch (number) {
    case err::TableExists: return QStringLiteral("Die Tabelle existiert bereits.");
    case err::UpdateWithoutEdit: return QStringLiteral("Aktualisieren oder Abbrechen ohne Hinzufügen oder Bearbeiten.");
    case err::NoCurrentRecord: return QStringLiteral("Kein aktueller Datensatz.");
    case err::Duplicate:
        return QStringLiteral("Die Änderungen wurden nicht durchgeführt, weil sie doppelte Werte in einem Index "
                              "oder Primärschlüssel erzeugen würden.");
    case err::FileNotFound: return QStringLiteral("Die Datei wurde nicht gefunden.");
    case err::DiskFull: return QStringLiteral("Nicht genügend Speicherplatz auf dem Datenträger.");
    case err::ReadOnly: return QStringLiteral("Aktualisieren nicht möglich. Datenbank oder Objekt ist schreibgeschützt.");
    case err::DiskOrNetwork: return QStringLiteral("Datenträger- oder Netzwerkfehler.");
    case err::CannotOpen:
        return QStringLiteral("Die Datei kann nicht geöffnet werden: Sie wird von einem anderen Programm benutzt, "
                              "oder es fehlt die Berechtigung.");
    case err::SyntaxError: return QStringLiteral("Fehler im Abfrageausdruck.");
    case err::TableNotFound: return QStringLiteral("Die Tabelle oder Abfrage wurde nicht gefunden.");
    case err::UndefinedFunction: return QStringLiteral("Undefinierte Funktion in Ausdruck.");
    case err::InvalidName: return QStringLiteral("Kein gültiger Name.");
    case err::TextAfterStatement: return QStringLiteral("Zeichen nach dem Ende der SQL-Anweisung gefunden.");
    case err::NotABookmark: return QStringLiteral("Kein gültiges Lesezeichen.");
    case err::FieldTooSmall:
        return QStringLiteral("Das Feld ist zu klein für die Datenmenge, die Sie hinzufügen wollten.");
    case err::FieldNotUpdatable: return QStringLiteral("Das Feld kann nicht aktualisiert werden.");
    case err::RecordDeleted: return QStringLiteral("Der Datensatz ist gelöscht.");
    case err::DatabaseExists: return QStringLiteral("Die Datei existiert bereits.");
    case err::Locked: return QStringLiteral("Aktualisieren nicht möglich; zurzeit gesperrt.");
    case err::ItemNotFound: return QStringLiteral("Element in dieser Auflistung nicht gefunden.");
    case err::NullInRequired: return QStringLiteral("Das Feld darf keinen Nullwert enthalten.");
    case err::ValidationRule: return QStringLiteral("Eine Gültigkeitsregel wurde verletzt.");
    case err::NotADatabase: return QStringLiteral("Nicht erkanntes Datenbankformat.");
    case err::NumericOverflow: return QStringLiteral("Numerischer Feldüberlauf.");
    case err::ObjectClosed: return QStringLiteral("Das Objekt ist ungültig oder geschlossen.");
    case err::ConversionError: return QStringLiteral("Datentypkonvertierungsfehler.");
    default: return QStringLiteral("Datenbankfehler.");
    }
}

namespace {

// What the engine's result code (and, for a file it could not open, read or
// write, the system's error number) says about the cause; empty where the
// sentence of the error number already says all there is.
QString reasonOf(int number, int sqliteCode, int systemErrno)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("Datei gesperrt");
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH: return QStringLiteral("keine Berechtigung");
    case SQLITE_FULL: return QStringLiteral("Datenträger voll");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: {
        const QString reason = rt::fileErrorReason(systemErrno);
        return reason == rt::fileErrorReason(0) ? QString() : reason;
    }
    default: break;
    }
    if (number == err::Generic && sqliteCode != 0)
        return rt::fileErrorReason(0);
    return QString();
}

QString describe(int number, const QString& reason)
{
    QString text = errorText(number);
    if (!reason.isEmpty())
        text += QStringLiteral(" (") + reason + QLatin1Char(')');
    return text;
}

}  // namespace

DbError::DbError(int number, const QString& detail, int sqliteCode, const QString& sql, int systemErrno)
    : std::runtime_error((describe(number, reasonOf(number, sqliteCode, systemErrno))
                          + (detail.isEmpty() ? QString() : QStringLiteral(" [") + detail + QLatin1Char(']')))
                             .toStdString()),
      m_number(number),
      m_sqliteCode(sqliteCode),
      m_sql(sql),
      m_description(describe(number, reasonOf(number, sqliteCode, systemErrno))),
      m_detail(detail)
{
}

DbError DbError::withReason(int number, const QString& reason)
{
    DbError error(number, reason);
    error.m_description = describe(number, reason);
    return error;
}

DbError DbError::about(const QString& sql) const
{
    DbError copy(*this);
    copy.m_sql = sql;
    return copy;
}

}  // namespace db
