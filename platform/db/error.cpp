#include "platform/db/error.h"

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
QString describe(int number, const QString& detail)
{
    QString text = errorText(number);
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}
}  // namespace

DbError::DbError(int number, const QString& detail, int sqliteCode, const QString& sql)
    : std::runtime_error(describe(number, detail).toStdString()),
      m_number(number),
      m_sqliteCode(sqliteCode),
      m_sql(sql),
      m_description(describe(number, detail)),
      m_detail(detail)
{
}

}  // namespace db
