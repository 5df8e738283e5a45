#pragma once

#include "platform/runtime/date.h"

#include <QString>

namespace rt {

// Date patterns in the style the program has always used, letters without
// regard to case: d dd ddd dddd, m mm mmm mmmm (minutes after h or before s),
// n nn (minutes), yy yyyy, h hh, s ss, ww (week of year). Everything else is
// copied as it stands, so "." "/" and ":" come out unchanged.
// Month and day names are German.
QString formatDate(const Date& date, const QString& pattern);

// Number patterns "#,##0.00", "0.00", "0", "#,##0": the count of zeros after
// the point gives the decimals, a "," the group separator. The current
// locale's separators are used. Rounds half away from zero.
QString formatNumber(double value, const QString& pattern);

// Money as it is shown: "#,##0.00".
QString formatMoney(double value);

// Rounds half away from zero to the given decimals (cents by default),
// forgiving the binary representation of values such as 2.675.
double roundCommercial(double value, int decimals = 2);

// Conversion to an integer as the old runtime did it: half to even.
int cint(double value);
qint32 clng(double value);

// ISO-like week number: Monday first, first week with four days.
int weekOfYear(const Date& date);

}  // namespace rt
