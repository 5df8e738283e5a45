#include "platform/runtime/format.h"

#include <QLocale>

#include <cmath>

namespace rt {

namespace {

const QLocale& german()
{
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

int runLength(const QString& s, int pos)
{
    QChar c = s.at(pos).toLower();
    int n = 0;
    while (pos + n < s.size() && s.at(pos + n).toLower() == c)
        ++n;
    return n;
}

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}

}  // namespace

QString formatDate(const Date& date, const QString& pattern)
{
    const QDate d = date.toQDate();
    const QTime t = date.toQTime();
    QString out;
    bool lastWasHour = false;
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i).toLower();
        const int n = runLength(pattern, i);
        if (c == QLatin1Char('d')) {
            if (n == 1) out += QString::number(d.day());
            else if (n == 2) out += twoDigits(d.day());
            else if (n == 3) out += german().dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else out += german().dayName(d.dayOfWeek(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (c == QLatin1Char('m')) {
            // "mm" right after an hour or right before seconds means minutes.
            bool minutes = false;
            if (n <= 2) {
                if (lastWasHour) {
                    minutes = true;
                } else {
                    int j = i + n;
                    while (j < pattern.size() && !pattern.at(j).isLetter())
                        ++j;
                    minutes = j < pattern.size() && pattern.at(j).toLower() == QLatin1Char('s');
                }
            }
            if (minutes) out += n == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
            else if (n == 1) out += QString::number(d.month());
            else if (n == 2) out += twoDigits(d.month());
            else if (n == 3) out += german().monthName(d.month(), QLocale::ShortFormat);
            else out += german().monthName(d.month(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (c == QLatin1Char('n')) {
            out += n == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
            lastWasHour = false;
        } else if (c == QLatin1Char('y')) {
            if (n <= 2) out += twoDigits(d.year() % 100);
            else out += QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            lastWasHour = false;
        } else if (c == QLatin1Char('h')) {
            out += n == 1 ? QString::number(t.hour()) : twoDigits(t.hour());
            lastWasHour = true;
        } else if (c == QLatin1Char('s')) {
            out += n == 1 ? QString::number(t.second()) : twoDigits(t.second());
            lastWasHour = false;
        } else if (c == QLatin1Char('w') && n >= 2) {
            out += QString::number(weekOfYear(date));
            lastWasHour = false;
        } else {
            out += pattern.mid(i, n);
            i += n;
            continue;
        }
        i += n;
    }
    return out;
}

double roundCommercial(double value, int decimals)
{
    const double factor = std::pow(10.0, decimals);
    const double scaled = value * factor;
    // A relative nudge so that 2.675 (stored as 2.67499999...) rounds up.
    const double nudge = std::max(std::abs(scaled) * 1e-12, 1e-9);
    const double rounded = scaled >= 0 ? std::floor(scaled + 0.5 + nudge) : std::ceil(scaled - 0.5 - nudge);
    return rounded / factor;
}

QString formatNumber(double value, const QString& pattern)
{
    int point = pattern.indexOf(QLatin1Char('.'));
    int decimals = 0;
    if (point >= 0) {
        for (int i = point + 1; i < pattern.size() && (pattern.at(i) == QLatin1Char('0') || pattern.at(i) == QLatin1Char('#')); ++i)
            ++decimals;
    }
    const bool grouped = pattern.contains(QLatin1Char(','));
    double rounded = roundCommercial(value, decimals);
    if (rounded == 0.0)
        rounded = 0.0;  // no "-0,00"
    QLocale locale;
    if (grouped)
        locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    else
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(rounded, 'f', decimals);
}

QString formatMoney(double value)
{
    return formatNumber(value, QStringLiteral("#,##0.00"));
}

int cint(double value)
{
    return static_cast<int>(std::nearbyint(value));  // default rounding mode: half to even
}

qint32 clng(double value)
{
    return static_cast<qint32>(std::nearbyint(value));
}

int weekOfYear(const Date& date)
{
    return date.toQDate().weekNumber();
}

}  // namespace rt
