#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <array>
#include <optional>

// The workstation's date pattern in the letters of rt::formatDate ("dd.mm.yyyy"),
// always with a four-digit year; its separator; and the pattern with the time.
extern QString DateFormat;
extern QString DateSeparator;
extern QString DateTimeFormat;

// Derives DateFormat and DateSeparator from the locale's short date format.
void InitDateFormat();
// The pattern for a locale's short-date text of 22 November 3333 ("22.11.33"
// gives "dd.mm.yyyy" and "."); "" when the text is not made of those digits.
QString DateFormatFromSample(const QString& sample, QString* separator);

// The database's date literal, "#mm/dd/yyyy hh:nn:ss#", whatever the locale.
QString DateToSQL(const rt::Date& d);

// Week of the year: weeks start on Monday, week 1 has four days in the new year.
int GetWeekNumber(const rt::Date& d);
// The Monday on or before d, same time of day.
rt::Date GetMondayOfWeek(const rt::Date& d);

// What the user typed into a date box as a date in DateFormat, or "" when it
// is no date. Two-digit years fall into 1930-2029.
QString CompleteDateInput(const QString& text);
// A date text as the program writes it: day, month and year in the order of
// DateFormat (any of . / - as separator), or an ISO date (2020-12-24), either
// optionally followed by hh:nn or hh:nn:ss. nullopt when it is no date. This
// is the reading start-up hands to the database layer.
std::optional<rt::Date> ParseDateText(const QString& text);
// The day a date box's text names, read as CompleteDateInput reads it (at
// midnight); nullopt when it is no date.
std::optional<rt::Date> DateOfInput(const QString& text);

// The arrival (0) and departure (1) boxes of a stay after box which was left:
// its text completed as CompleteDateInput does (emptied when it is no date);
// when both hold days and the departure is not after the arrival, the other
// box moves to one day beyond the changed one; an empty departure becomes the
// day after the arrival. Not so while departureUnread is set: what was typed
// there could not be read, and no other day may take its place. It is set when
// that happens (a window sets it too for a stored departure it cannot show)
// and cleared once the departure holds a day.
void CompleteStayDates(std::array<QString, 2>& boxes, int which, bool& departureUnread);

// Only the characters "0" to "9", in order.
QString ExtractDigits(const QString& text);
// Every occurrence of find replaced; "" when text or find is empty.
QString ReplaceText(const QString& text, const QString& find, const QString& repl);
// Position (from 1) of the last occurrence of find, 0 when there is none.
int FindLastOf(const QString& text, const QString& find);
