#include "platform/runtime/text.h"

#include <algorithm>
#include <cmath>

namespace rt {

double val(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s += c;
    }
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) || s.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const bool hex = s.at(1).toUpper() == QLatin1Char('H');
        qint64 v = 0;
        int digits = 0;
        for (int i = 2; i < s.size(); ++i) {
            int d = hex ? QString(s.at(i)).toInt(nullptr, 16) : s.at(i).digitValue();
            bool ok = hex ? (s.at(i).isDigit() || QStringLiteral("abcdefABCDEF").contains(s.at(i))) : (s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('7'));
            if (!ok)
                break;
            v = v * (hex ? 16 : 8) + d;
            ++digits;
        }
        // A 16-bit hex literal is signed, as &HFFFF = -1.
        if (digits <= 4 && v > 0x7FFF)
            v -= 0x10000;
        else if (digits > 4 && digits <= 8 && v > 0x7FFFFFFF)
            v -= 0x100000000LL;
        return static_cast<double>(v);
    }
    int i = 0;
    QString number;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        number += s.at(i++);
    bool seenDigit = false;
    while (i < s.size() && s.at(i).isDigit()) {
        number += s.at(i++);
        seenDigit = true;
    }
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        number += s.at(i++);
        while (i < s.size() && s.at(i).isDigit()) {
            number += s.at(i++);
            seenDigit = true;
        }
    }
    if (!seenDigit)
        return 0.0;
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E') || s.at(i) == QLatin1Char('d') || s.at(i) == QLatin1Char('D'))) {
        QString exponent = QStringLiteral("e");
        int j = i + 1;
        if (j < s.size() && (s.at(j) == QLatin1Char('-') || s.at(j) == QLatin1Char('+')))
            exponent += s.at(j++);
        int start = j;
        while (j < s.size() && s.at(j).isDigit())
            exponent += s.at(j++);
        if (j > start)
            number += exponent;
    }
    return number.toDouble();
}

QString ltrim(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString rtrim(const QString& text)
{
    int n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

QString trim(const QString& text)
{
    return ltrim(rtrim(text));
}

QString replaceAll(const QString& text, const QString& what, const QString& with)
{
    if (what.isEmpty())
        return text;
    QString out;
    int pos = 0;
    while (true) {
        int hit = text.indexOf(what, pos, Qt::CaseSensitive);
        if (hit < 0)
            break;
        out += QStringView(text).mid(pos, hit - pos);
        out += with;
        pos = hit + what.size();
    }
    out += QStringView(text).mid(pos);
    return out;
}

QString elide(const QString& text, int maxLength)
{
    const QString gap = QStringLiteral(" … ");
    if (text.size() <= maxLength)
        return text;
    if (maxLength <= gap.size())
        return text.left(std::max(maxLength, 0));
    qsizetype head = (maxLength - gap.size()) / 2;
    qsizetype tail = maxLength - gap.size() - head;
    // Never part a surrogate pair.
    if (head > 0 && text.at(head - 1).isHighSurrogate())
        --head;
    if (tail > 0 && text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.left(head) + gap + text.right(tail);
}

QString listed(const QStringList& items)
{
    if (items.size() < 2)
        return items.join(QString());
    return QStringList(items.mid(0, items.size() - 1)).join(QStringLiteral(", ")) + QStringLiteral(" und ") + items.back();
}

}  // namespace rt
