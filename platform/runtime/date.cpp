#include "platform/runtime/date.h"

#include <cmath>

namespace rt {

namespace {
constexpr double kMsPerDay = 86400000.0;

// Rounds a fraction of a day to whole milliseconds so 12:00 stays exactly .5.
double msOfDay(double fraction)
{
    double ms = std::round(fraction * kMsPerDay);
    return ms;
}
}  // namespace

QDate epoch()
{
    return QDate(1899, 12, 30);
}

double Date::linear() const
{
    if (m_serial >= 0)
        return m_serial;
    double whole = std::ceil(m_serial);      // -1.25 -> -1
    double fraction = whole - m_serial;       // 0.25
    return whole + fraction;
}

double Date::fromLinear(double linear)
{
    if (linear >= 0)
        return linear;
    double whole = std::floor(linear);        // -0.75 -> -1
    double fraction = linear - whole;         // 0.25
    if (fraction == 0.0)
        return whole;
    return whole - fraction;                  // -1.25
}

Date Date::fromDate(const QDate& date)
{
    return Date(static_cast<double>(epoch().daysTo(date)));
}

Date Date::fromDateTime(const QDateTime& dateTime)
{
    double days = static_cast<double>(epoch().daysTo(dateTime.date()));
    double fraction = dateTime.time().msecsSinceStartOfDay() / kMsPerDay;
    return Date(fromLinear(days + fraction));
}

Date Date::fromParts(int year, int month, int day, int hour, int minute, int second)
{
    QDate d(year, month, day);
    double days = static_cast<double>(epoch().daysTo(d));
    double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return Date(fromLinear(days + fraction));
}

Date Date::now()
{
    QDateTime n = QDateTime::currentDateTime();
    QTime t = n.time();
    // Whole seconds, as the database's clock gives them.
    return fromDateTime(QDateTime(n.date(), QTime(t.hour(), t.minute(), t.second())));
}

Date Date::today()
{
    return fromDate(QDate::currentDate());
}

QDate Date::toQDate() const
{
    double l = linear();
    double whole = std::floor(l);
    double ms = msOfDay(l - whole);
    if (ms >= kMsPerDay)
        whole += 1;
    return epoch().addDays(static_cast<qint64>(whole));
}

QTime Date::toQTime() const
{
    double l = linear();
    double ms = msOfDay(l - std::floor(l));
    if (ms >= kMsPerDay)
        ms = 0;
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

QDateTime Date::toQDateTime() const
{
    return QDateTime(toQDate(), toQTime());
}

Date Date::datePart() const
{
    return fromDate(toQDate());
}

double Date::timePart() const
{
    return toQTime().msecsSinceStartOfDay() / kMsPerDay;
}

Date Date::atTime(int hour, int minute, int second) const
{
    QDate d = toQDate();
    return fromParts(d.year(), d.month(), d.day(), hour, minute, second);
}

int Date::hour() const { return toQTime().hour(); }
int Date::minute() const { return toQTime().minute(); }
int Date::second() const { return toQTime().second(); }

Date Date::addMonths(int months) const
{
    return fromDateTime(QDateTime(toQDate().addMonths(months), toQTime()));
}

Date Date::addYears(int years) const
{
    return fromDateTime(QDateTime(toQDate().addYears(years), toQTime()));
}

}  // namespace rt
