#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// Error numbers of the old database engine; callers test them (3265 means a
// missing column, 3343 a file that is no database, ...).
namespace err {
constexpr int Generic = 3000;
constexpr int TableExists = 3010;
constexpr int UpdateWithoutEdit = 3020;
constexpr int NoCurrentRecord = 3021;
constexpr int Duplicate = 3022;
constexpr int FileNotFound = 3024;
constexpr int ReadOnly = 3027;
constexpr int DiskFull = 3026;
constexpr int DiskOrNetwork = 3043;
constexpr int CannotOpen = 3051;
constexpr int SyntaxError = 3075;
constexpr int TableNotFound = 3078;
constexpr int UndefinedFunction = 3085;
constexpr int InvalidName = 3125;
constexpr int TextAfterStatement = 3142;
constexpr int NotABookmark = 3159;
constexpr int FieldTooSmall = 3163;
constexpr int FieldNotUpdatable = 3164;
constexpr int RecordDeleted = 3167;
constexpr int DatabaseExists = 3204;
constexpr int Locked = 3218;
constexpr int ItemNotFound = 3265;
constexpr int NullInRequired = 3314;
constexpr int ValidationRule = 3317;
constexpr int NotADatabase = 3343;
constexpr int NumericOverflow = 3349;
constexpr int ObjectClosed = 3420;
constexpr int ConversionError = 3421;
}  // namespace err

// A failed database call. description() is a German sentence for the user,
// with the reason in German words where the engine or the file system gives
// one ("Datei gesperrt", "keine Berechtigung", "Datenträger voll"); the
// engine's own English words and the names of tables and columns stay in
// detail() and are not shown.
class DbError : public std::runtime_error {
public:
    DbError(int number, const QString& detail = {}, int sqliteCode = 0, const QString& sql = {}, int systemErrno = 0);
    // An error the program finds itself, with its reason in German words,
    // which description() names.
    static DbError withReason(int number, const QString& reason);
    // The same error, about another statement or file.
    DbError about(const QString& sql) const;

    int number() const { return m_number; }
    int sqliteCode() const { return m_sqliteCode; }
    const QString& sql() const { return m_sql; }
    const QString& description() const { return m_description; }
    // The engine's own words (or the layer's note) behind the German sentence.
    const QString& detail() const { return m_detail; }

private:
    int m_number;
    int m_sqliteCode;
    QString m_sql;
    QString m_description;
    QString m_detail;
};

// The German sentence for an error number ("Kein aktueller Datensatz.").
QString errorText(int number);

}  // namespace db
