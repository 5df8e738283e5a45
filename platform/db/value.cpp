#include "platform/db/value.h"

#include "platform/db/error.h"
#include "platform/db/jetfunctions.h"
#include "platform/runtime/format.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace db {

namespace {

// Shortest text that reads back to the same number, never with an exponent.
QString shortestFixed(double d, bool asSingle)
{
    char buf[512];
    std::to_chars_result r = asSingle ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(d), std::chars_format::fixed)
                                      : std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    QString s = QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString localeNumber(double d, bool asSingle)
{
    QString s = shortestFixed(d, asSingle);
    s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    s.replace(QLatin1Char('-'), QLocale().negativeSign());
    return s;
}

std::optional<bool> textToBool(const QString& text)
{
    QString t = text.trimmed().toLower();
    if (t == QLatin1String("wahr") || t == QLatin1String("true") || t == QLatin1String("ja") || t == QLatin1String("yes"))
        return true;
    if (t == QLatin1String("falsch") || t == QLatin1String("false") || t == QLatin1String("nein") || t == QLatin1String("no"))
        return false;
    if (std::optional<double> n = textToNumber(t))
        return *n != 0.0;
    return std::nullopt;
}

}  // namespace

std::optional<double> textToNumber(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double d = QLocale().toDouble(t, &ok);
    if (!ok)
        d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

Value Value::ofKind(Kind kind, qint64 i)
{
    Value v(i);
    v.m_kind = kind;
    return v;
}

Value Value::single(double d)
{
    Value v(d);
    v.m_kind = Kind::Single;
    return v;
}

bool Value::isNumeric() const
{
    switch (m_kind) {
    case Kind::Bool: case Kind::Byte: case Kind::Integer: case Kind::Long:
    case Kind::Single: case Kind::Double: case Kind::Date:
        return true;
    default:
        return false;
    }
}

bool Value::toBool() const
{
    switch (m_kind) {
    case Kind::Null: return false;
    case Kind::Bool: return std::get<bool>(m_data);
    case Kind::Text: return textToBool(std::get<QString>(m_data)).value_or(false);
    default: return toDouble() != 0.0;
    }
}

double Value::toDouble() const
{
    switch (m_kind) {
    case Kind::Null: return 0.0;
    case Kind::Bool: return std::get<bool>(m_data) ? -1.0 : 0.0;
    case Kind::Byte: case Kind::Integer: case Kind::Long: return static_cast<double>(std::get<qint64>(m_data));
    case Kind::Single: case Kind::Double: case Kind::Date: return std::get<double>(m_data);
    case Kind::Text: return textToNumber(std::get<QString>(m_data)).value_or(0.0);
    }
    return 0.0;
}

qint32 Value::toLong() const
{
    if (m_kind == Kind::Byte || m_kind == Kind::Integer || m_kind == Kind::Long) {
        qint64 i = std::get<qint64>(m_data);
        if (i > std::numeric_limits<qint32>::max() || i < std::numeric_limits<qint32>::min())
            throw DbError(err::NumericOverflow);
        return static_cast<qint32>(i);
    }
    double d = toDouble();
    if (d >= 2147483647.5 || d < -2147483648.5)
        throw DbError(err::NumericOverflow);
    return rt::clng(d);
}

rt::Date Value::toDate() const
{
    if (m_kind == Kind::Text)
        return parseDate(std::get<QString>(m_data)).value_or(rt::Date());
    return rt::Date(toDouble());
}

QString Value::toText() const
{
    switch (m_kind) {
    case Kind::Null: return QString();
    case Kind::Bool: return std::get<bool>(m_data) ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
    case Kind::Byte: case Kind::Integer: case Kind::Long: return QString::number(std::get<qint64>(m_data));
    case Kind::Single: return localeNumber(std::get<double>(m_data), true);
    case Kind::Double: return localeNumber(std::get<double>(m_data), false);
    case Kind::Date: {
        rt::Date d(std::get<double>(m_data));
        if (d.timePart() == 0.0)
            return rt::formatDate(d, QStringLiteral("dd.mm.yyyy"));
        return rt::formatDate(d, QStringLiteral("dd.mm.yyyy hh:nn:ss"));
    }
    case Kind::Text: return std::get<QString>(m_data);
    }
    return QString();
}

QString sqlText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString sqlNumber(double value)
{
    if (!std::isfinite(value))
        throw DbError(err::NumericOverflow);
    QString s = shortestFixed(value, false);
    if (s.startsWith(QLatin1Char('-')))
        return QLatin1Char('(') + s + QLatin1Char(')');
    return s;
}

}  // namespace db
