#pragma once

#include <QString>
#include <QStringList>

namespace rt {

// The numeric value at the start of a text, as the old runtime read it:
// blanks, tabs and line feeds are skipped anywhere, "." is the only decimal
// point, an optional exponent and "&H"/"&O" prefixes are understood, reading
// stops at the first character that does not fit. "" and "abc" give 0.
double val(const QString& text);

// Blanks (only the space character) removed at the ends.
QString trim(const QString& text);
QString ltrim(const QString& text);
QString rtrim(const QString& text);

// Every occurrence of what, case-sensitively, left to right; the inserted text
// is not searched again.
QString replaceAll(const QString& text, const QString& what, const QString& with);

// The text when it has at most maxLength characters; otherwise its start and
// its end with " … " between them, maxLength characters in all, so a path
// shown to the user keeps its folder and its file name.
QString elide(const QString& text, int maxLength);

// The items as a German sentence lists them: "a", "a und b", "a, b und c".
QString listed(const QStringList& items);

}  // namespace rt
