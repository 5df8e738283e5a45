#include "invoicing/money.h"

#include "core/invoices.h"
#include "platform/db/value.h"
#include "platform/runtime/format.h"

#include <QLocale>

#include <cmath>

Cents CentsOf(double amount)
{
    return static_cast<Cents>(std::llround(rt::roundCommercial(amount, 2) * 100.0));
}

double AmountOf(Cents cents)
{
    return static_cast<double>(cents) / 100.0;
}

QString FormatCents(Cents cents)
{
    return rt::formatMoney(AmountOf(cents));
}

std::optional<Cents> ParseAmount(const QString& text)
{
    QString t = text.trimmed();
    if (t.endsWith(QStringLiteral("EUR"), Qt::CaseInsensitive))
        t.chop(3);
    else if (t.endsWith(QChar(0x20AC)))
        t.chop(1);
    t = t.trimmed();
    if (t.isEmpty())
        return Cents(0);
    const std::optional<double> number = db::textToNumber(t);
    if (!number || std::abs(*number) > MaxPrice)
        return std::nullopt;
    return CentsOf(*number);
}

Cents ShareOf(Cents value, qint64 numerator, qint64 denominator)
{
    // Sums of many positions times a rate can pass 64 bits.
    __extension__ using Wide = __int128;
    const Wide product = static_cast<Wide>(value) * numerator;
    const Wide magnitude = product < 0 ? -product : product;
    const Wide rounded = (2 * magnitude + denominator) / (2 * static_cast<Wide>(denominator));
    return static_cast<Cents>(product < 0 ? -rounded : rounded);
}

qint64 RateBasisPoints(double ratePercent)
{
    return std::llround(ratePercent * 100.0);
}

QString RateText(double ratePercent)
{
    return QLocale().toString(AmountOf(RateBasisPoints(ratePercent)), 'g', 6);
}
