#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <compare>

namespace rt {

// A point in time as the database keeps it: days since 30.12.1899 as a double,
// the time of day as the fraction. Before 1899 the whole part is negative while
// the fraction still counts forward from midnight (-1.25 is 29.12.1899 06:00).
class Date {
public:
    constexpr Date() = default;
    constexpr explicit Date(double serial) : m_serial(serial) {}

    static Date fromDate(const QDate& date);
    static Date fromDateTime(const QDateTime& dateTime);
    static Date fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    static Date now();
    static Date today();

    constexpr double serial() const { return m_serial; }
    bool isZero() const { return m_serial == 0.0; }

    QDate toQDate() const;
    QTime toQTime() const;
    QDateTime toQDateTime() const;

    // The whole day (midnight) and the time of day as a fraction in [0, 1).
    Date datePart() const;
    double timePart() const;
    // The same day at the given time.
    Date atTime(int hour, int minute = 0, int second = 0) const;
    Date atNoon() const { return atTime(12); }

    int year() const { return toQDate().year(); }
    int month() const { return toQDate().month(); }
    int day() const { return toQDate().day(); }
    int hour() const;
    int minute() const;
    int second() const;
    // 1 = Monday ... 7 = Sunday.
    int isoWeekday() const { return toQDate().dayOfWeek(); }

    Date addDays(double days) const { return Date(fromLinear(linear() + days)); }
    // Calendar arithmetic; the day is clamped to the target month's last day.
    Date addMonths(int months) const;
    Date addYears(int years) const;
    Date addHours(double hours) const { return addDays(hours / 24.0); }

    // Days between two points, fractional (this - other).
    double daysSince(const Date& other) const { return linear() - other.linear(); }

    friend bool operator==(const Date& a, const Date& b) { return a.m_serial == b.m_serial; }
    friend std::partial_ordering operator<=>(const Date& a, const Date& b) { return a.linear() <=> b.linear(); }

private:
    // Continuous day count, monotonic also before 1899.
    double linear() const;
    static double fromLinear(double linear);

    double m_serial = 0.0;
};

// The date of the serial's whole day; the epoch is 30.12.1899.
QDate epoch();

}  // namespace rt
