#include "core/datefunctions.h"

#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"

#include <QLocale>
#include <QRegularExpression>

QString DateFormat = QStringLiteral("dd.mm.yyyy");
QString DateSeparator = QStringLiteral(".");
QString DateTimeFormat = QStringLiteral("dd.mm.yyyy hh:nn:ss");

QString DateFormatFromSample(const QString& sample, QString* separator)
{
    QString pattern;
    QString sep;
    for (const QChar c : sample) {
        if (c == QLatin1Char('1')) pattern += QLatin1Char('m');
        else if (c == QLatin1Char('2')) pattern += QLatin1Char('d');
        else if (c == QLatin1Char('3')) pattern += QLatin1Char('y');
        else if (c.isDigit()) return QString();  // native digits or a stray number: unusable
        else {
            pattern += c;
            sep = c;
        }
    }
    if (!pattern.contains(QLatin1String("dd")) || !pattern.contains(QLatin1String("mm")) ||
        !pattern.contains(QLatin1Char('y')))
        return QString();
    // A two-digit year would turn the open end 01.01.3000 into 2000.
    const qsizetype first = pattern.indexOf(QLatin1Char('y'));
    qsizetype last = first;
    while (last + 1 < pattern.size() && pattern.at(last + 1) == QLatin1Char('y'))
        ++last;
    pattern.replace(first, last - first + 1, QStringLiteral("yyyy"));
    if (separator)
        *separator = sep;
    return pattern;
}

void InitDateFormat()
{
    const QString sample = QLocale().toString(QDate(3333, 11, 22), QLocale::ShortFormat);
    QString separator;
    const QString pattern = DateFormatFromSample(sample, &separator);
    if (pattern.isEmpty() || separator.isEmpty()) {
        DateFormat = QStringLiteral("dd.mm.yyyy");
        DateSeparator = QStringLiteral(".");
    } else {
        DateFormat = pattern;
        DateSeparator = separator;
    }
}

QString DateToSQL(const rt::Date& d)
{
    // Built from the numbers, so no locale separator can slip into the literal.
    return QLatin1Char('#') + rt::formatDate(d, QStringLiteral("mm/dd/yyyy hh:nn:ss")) + QLatin1Char('#');
}

int GetWeekNumber(const rt::Date& d)
{
    return rt::weekOfYear(d);
}

rt::Date GetMondayOfWeek(const rt::Date& d)
{
    return d.addDays(-(d.isoWeekday() - 1));
}

namespace {

std::optional<int> number(const QString& digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// Reads day, month and year in the order DateFormat gives them.
std::optional<QDate> parseDate(const QString& text)
{
    const QStringList parts = text.split(DateSeparator);
    if (parts.size() != 3)
        return std::nullopt;
    const qsizetype dayAt = DateFormat.indexOf(QLatin1Char('d'));
    const qsizetype monthAt = DateFormat.indexOf(QLatin1Char('m'));
    const qsizetype yearAt = DateFormat.indexOf(QLatin1Char('y'));
    auto rank = [&](qsizetype at) {
        return int(at > dayAt) + int(at > monthAt) + int(at > yearAt);
    };
    const QString dayText = parts.at(rank(dayAt));
    const QString monthText = parts.at(rank(monthAt));
    const QString yearText = parts.at(rank(yearAt));
    if (dayText.isEmpty() || dayText.size() > 2 || monthText.isEmpty() || monthText.size() > 2)
        return std::nullopt;
    if (yearText.isEmpty() || yearText.size() == 3 || yearText.size() > 4)
        return std::nullopt;
    const auto day = number(dayText);
    const auto month = number(monthText);
    auto year = number(yearText);
    if (!day || !month || !year)
        return std::nullopt;
    if (yearText.size() <= 2)
        *year += *year < 30 ? 2000 : 1900;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

}  // namespace

QString CompleteDateInput(const QString& text)
{
    const QString trimmed = rt::trim(text);
    QString cleaned;
    for (const QChar c : trimmed) {
        if (QString(c) == DateSeparator || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            cleaned += c;
        else if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char(':'))
            cleaned += DateSeparator;
    }
    if (cleaned.size() < 6)
        return QString();
    if (!cleaned.contains(DateSeparator)) {
        if (cleaned.size() != 6 && cleaned.size() != 8)
            return QString();
        cleaned = cleaned.left(2) + DateSeparator + cleaned.mid(2, 2) + DateSeparator + cleaned.mid(4);
    }
    const auto date = parseDate(cleaned);
    if (!date)
        return QString();
    return rt::formatDate(rt::Date::fromDate(*date), DateFormat);
}

std::optional<rt::Date> ParseDateText(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{1,4})[./-](\d{1,4})[./-](\d{1,4})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    std::optional<QDate> date;
    if (m.capturedLength(1) == 4 && DateFormat.indexOf(QLatin1Char('y')) != 0) {
        // A year in front is read as an ISO date whatever the workstation writes.
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (m.capturedLength(2) > 2 || m.capturedLength(3) > 2 || !date->isValid())
            return std::nullopt;
    } else {
        date = parseDate(m.captured(1) + DateSeparator + m.captured(2) + DateSeparator + m.captured(3));
        if (!date)
            return std::nullopt;
    }
    int hour = 0, minute = 0, second = 0;
    if (m.capturedLength(4) > 0) {
        hour = m.captured(4).toInt();
        minute = m.captured(5).toInt();
        second = m.captured(6).toInt();
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
    }
    return rt::Date::fromParts(date->year(), date->month(), date->day(), hour, minute, second);
}

std::optional<rt::Date> DateOfInput(const QString& text)
{
    const QString completed = CompleteDateInput(text);
    if (completed.isEmpty())
        return std::nullopt;
    const auto date = parseDate(completed);
    if (!date)
        return std::nullopt;
    return rt::Date::fromDate(*date);
}

void CompleteStayDates(std::array<QString, 2>& boxes, int which, bool& departureUnread)
{
    const auto dayOf = [&boxes](size_t box) -> std::optional<rt::Date> {
        if (rt::trim(boxes[box]).isEmpty())
            return std::nullopt;
        const auto date = db::parseDate(boxes[box]);
        return date ? std::optional(date->datePart()) : std::nullopt;
    };
    const size_t self = which == 1 ? 1 : 0;
    const bool typed = !rt::trim(boxes[self]).isEmpty();
    boxes[self] = CompleteDateInput(boxes[self]);
    const auto day = dayOf(self);
    if (self == 1 && typed && !day)
        departureUnread = true;
    const auto start = dayOf(0);
    const auto end = dayOf(1);
    if (day && start && end && !(*start < *end))
        boxes[1 - self] = rt::formatDate(day->addDays(self == 0 ? 1 : -1), DateFormat);
    if (start && !end && !departureUnread)
        boxes[1] = rt::formatDate(start->addDays(1), DateFormat);
    if (dayOf(1))
        departureUnread = false;
}

QString ExtractDigits(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out += c;
    }
    return out;
}

QString ReplaceText(const QString& text, const QString& find, const QString& repl)
{
    if (text.isEmpty() || find.isEmpty())
        return QString();
    return rt::replaceAll(text, find, repl);
}

int FindLastOf(const QString& text, const QString& find)
{
    if (find.isEmpty())
        return 0;
    return int(text.lastIndexOf(find)) + 1;
}
