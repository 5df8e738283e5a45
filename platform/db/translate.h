#pragma once

#include <QString>

#include <vector>

namespace db {

// Turns the program's SQL (the old engine's dialect) into SQLite's. Pure: the
// same text always gives the same result. Throws DbError 3075 for a malformed
// date literal and 3085 for a function that SQLite lacks or reads otherwise.
//   #12/24/2020 12:00:00#    -> 44189.5 (the stored day number)
//   "text"                   -> 'text'
//   DELETE * FROM            -> DELETE FROM
//   DISTINCTROW              -> (dropped)
//   True / False             -> -1 / 0
//   Now(), Now, Date(), DateValue(  -> jet_now(), jet_now(), jet_date(), jet_datevalue(
//   'a<NUL>b'                -> ('a' || char(0) || 'b')
// Nothing else inside '...' or [...] is touched.
QString translateSql(const QString& jetSql);

namespace detail {

struct Token {
    enum Kind { Blank, Text, Quoted, Bracket, Hash, Word, Number, Punct } kind;
    QString text;
};

// Splits SQL into tokens; Quoted is "...", Text is '...'. Throws 3075 for an
// unterminated quote, bracket or date literal.
std::vector<Token> tokenize(const QString& sql);

}  // namespace detail
}  // namespace db
