#pragma once

#include "platform/db/value.h"
#include "platform/runtime/date.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct sqlite3;

namespace db {

// Registers on a raw connection what the program's SQL needs beyond plain SQLite:
//  - collation JETTEXT: equality ignores case (umlauts included), the order is
//    German: umlauts and accented letters with their base letters, ß as ss;
//  - jet_now(): local date and time as a day number, whole seconds, taken
//    once per run of a statement;
//  - jet_date(): local today at midnight, likewise;
//  - jet_datevalue(text): the day of a date text (Null stays Null);
//  - like(pattern, value), which the LIKE operator calls: the wildcards * ? #
//    [list] [!list] [a-z], % and _ taken literally, the whole text matched
//    without regard to case.
// Every connection the program opens goes through this, also the ones of tools.
void registerJetFunctions(sqlite3* handle);

// Reads a date text as the user types it (24.12.2020, 24.12.20, 2020-12-24,
// optionally followed by hh:nn or hh:nn:ss). nullopt when it is no date.
using DateParser = std::function<std::optional<rt::Date>(const QString&)>;

// The parser behind jet_datevalue() and the text-to-date conversion of fields.
// An empty function restores the built-in one.
void setDateParser(DateParser parser);
std::optional<rt::Date> parseDate(const QString& text);

// The sort and compare key of JETTEXT, exposed for tests and callers that sort
// in code as the database does. Negative, zero or positive as for strcmp.
int compareText(const QString& a, const QString& b);
// A key per text that QString::compare orders as compareText orders the
// texts: for sorting many texts, each key made once.
QString textSortKey(const QString& text);

// Jet's Like on two texts, without regard to case. nullopt for an invalid
// pattern (a "[" without "]", a range from a later to an earlier letter).
std::optional<bool> likeMatch(const QString& value, const QString& pattern);
// What makes a Like pattern invalid, in a German sentence for the user who
// typed it; empty for a valid pattern.
QString likePatternFault(const QString& pattern);

// The condition "column Like pattern" for a text column of the schema, with
// an index range in front of the Like when the pattern starts with plain
// characters, so a prefix search reads only the part of the index the prefix
// can lie in. The range follows the text order (case and umlauts folded), so
// it is a little wider than the prefix; the Like stays the exact test, and
// the rows found are those of the Like alone. Only for text columns: a number
// column would compare the bounds as numbers.
QString sqlLike(const QString& column, const QString& pattern);
// The same with the pattern and the bounds as "?", their values appended to
// params in order: for patterns made of what the user typed.
QString sqlLike(const QString& column, const QString& pattern, QList<Value>& params);

}  // namespace db
