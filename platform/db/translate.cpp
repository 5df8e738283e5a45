#include "platform/db/translate.h"

#include "platform/db/error.h"
#include "platform/runtime/date.h"

#include <QHash>
#include <QRegularExpression>

namespace db {
namespace detail {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index just past a quoted run starting at i; a doubled quote stays inside.
qsizetype endOfQuoted(const QString& s, qsizetype i, QChar quote, const QString& sql)
{
    qsizetype j = i + 1;
    while (true) {
        if (j >= s.size())
            throw DbError(err::SyntaxError, QStringLiteral("unterminated quote"), 0, sql);
        if (s[j] == quote) {
            if (j + 1 < s.size() && s[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
}

}  // namespace

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        QChar c = s[i];
        qsizetype j = i + 1;
        Token::Kind kind;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace())
                ++j;
            kind = Token::Blank;
        } else if (c == QLatin1Char('\'')) {
            j = endOfQuoted(s, i, c, s);
            kind = Token::Text;
        } else if (c == QLatin1Char('"')) {
            j = endOfQuoted(s, i, c, s);
            kind = Token::Quoted;
        } else if (c == QLatin1Char('[')) {
            j = s.indexOf(QLatin1Char(']'), i + 1);
            if (j < 0)
                throw DbError(err::SyntaxError, QStringLiteral("unterminated bracket"), 0, s);
            ++j;
            kind = Token::Bracket;
        } else if (c == QLatin1Char('#')) {
            j = s.indexOf(QLatin1Char('#'), i + 1);
            if (j < 0)
                throw DbError(err::SyntaxError, QStringLiteral("unterminated date literal"), 0, s);
            ++j;
            kind = Token::Hash;
        } else if (isWordStart(c)) {
            while (j < n && isWordChar(s[j]))
                ++j;
            kind = Token::Word;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            while (j < n && (s[j].isDigit() || s[j] == QLatin1Char('.')))
                ++j;
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
                    ++k;
                if (k < n && s[k].isDigit()) {
                    j = k;
                    while (j < n && s[j].isDigit())
                        ++j;
                }
            }
            kind = Token::Number;
        } else {
            kind = Token::Punct;
        }
        out.push_back({kind, s.mid(i, j - i)});
        i = j;
    }
    return out;
}

}  // namespace detail

namespace {

using detail::Token;

QString dateLiteral(const QString& token, const QString& sql)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^#\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*#$)"));
    QRegularExpressionMatch m = re.match(token);
    if (!m.hasMatch())
        throw DbError(err::SyntaxError, QStringLiteral("invalid date literal ") + token, 0, sql);
    int month = m.captured(1).toInt(), day = m.captured(2).toInt(), year = m.captured(3).toInt();
    int hour = m.captured(4).toInt(), minute = m.captured(5).toInt(), second = m.captured(6).toInt();
    if (!QDate(year, month, day).isValid() || hour > 23 || minute > 59 || second > 59)
        throw DbError(err::SyntaxError, QStringLiteral("invalid date literal ") + token, 0, sql);
    double serial = rt::Date::fromParts(year, month, day, hour, minute, second).serial();
    QString text = QString::number(serial, 'g', 17);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QStringLiteral(".0");
    if (serial < 0)
        text = QLatin1Char('(') + text + QLatin1Char(')');
    return text;
}

QString singleQuoted(const QString& doubleQuoted)
{
    QString inner = doubleQuoted.mid(1, doubleQuoted.size() - 2);
    inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

// SQLite reads a statement only up to a NUL character, so a NUL inside a text
// literal would cut the statement short; it is spelled char(0) instead.
QString withoutNul(const QString& literal)
{
    if (!literal.contains(QChar(0)))
        return literal;
    QString out = QStringLiteral("(");
    for (const QChar c : literal)
        out += c == QChar(0) ? QStringLiteral("' || char(0) || '") : QString(c);
    return out + QLatin1Char(')');
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token& t, char c)
{
    return t.kind == Token::Punct && t.text == QLatin1Char(c);
}

}  // namespace

namespace {

QString translateUncached(const QString& jetSql);

}  // namespace

QString translateSql(const QString& jetSql)
{
    // The program sends the same few hundred texts again and again; the
    // cache is dropped whole when it grows past that.
    thread_local QHash<QString, QString> cache;
    const auto hit = cache.constFind(jetSql);
    if (hit != cache.constEnd())
        return *hit;
    QString translated = translateUncached(jetSql);
    if (cache.size() >= 512)
        cache.clear();
    cache.insert(jetSql, translated);
    return translated;
}

namespace {

QString translateUncached(const QString& jetSql)
{
    std::vector<Token> tokens = detail::tokenize(jetSql);
    const size_t n = tokens.size();
    auto nextSignificant = [&](size_t i) {
        size_t k = i + 1;
        while (k < n && tokens[k].kind == Token::Blank)
            ++k;
        return k;
    };
    QString out;
    out.reserve(jetSql.size() + 16);
    const Token* previous = nullptr;   // last significant token seen
    for (size_t i = 0; i < n; ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Blank) {
            out += t.text;
            continue;
        }
        const bool afterDot = previous && isPunct(*previous, '.');
        previous = &t;
        switch (t.kind) {
        case Token::Quoted:
            out += withoutNul(singleQuoted(t.text));
            continue;
        case Token::Text:
            out += withoutNul(t.text);
            continue;
        case Token::Hash:
            out += dateLiteral(t.text, jetSql);
            continue;
        case Token::Word:
            break;
        default:
            out += t.text;
            continue;
        }
        if (afterDot) {
            out += t.text;
            continue;
        }
        const size_t next = nextSignificant(i);
        const bool call = next < n && isPunct(tokens[next], '(');
        if (isWord(t, "DELETE")) {
            out += t.text;
            if (next < n && isPunct(tokens[next], '*')) {
                i = next;   // DELETE * FROM: the blank after * stays
                if (i + 1 < n && tokens[i + 1].kind != Token::Blank)
                    out += QLatin1Char(' ');
            }
        } else if (isWord(t, "DISTINCTROW")) {
            size_t k = next;
            i = k - 1;      // the blanks after it go too
            if (!out.isEmpty() && !out.back().isSpace())
                out += QLatin1Char(' ');
        } else if (isWord(t, "TRUE")) {
            out += QStringLiteral("-1");
        } else if (isWord(t, "FALSE")) {
            out += QStringLiteral("0");
        } else if (isWord(t, "NOW")) {
            out += QStringLiteral("jet_now()");
            if (call) {
                size_t close = nextSignificant(next);
                if (close >= n || !isPunct(tokens[close], ')'))
                    throw DbError(err::UndefinedFunction, QStringLiteral("Now with arguments"), 0, jetSql);
                i = close;
            }
        } else if (isWord(t, "DATE") && call) {
            size_t close = nextSignificant(next);
            if (close >= n || !isPunct(tokens[close], ')'))
                throw DbError(err::UndefinedFunction, QStringLiteral("Date with arguments"), 0, jetSql);
            out += QStringLiteral("jet_date()");
            i = close;
        } else if (isWord(t, "DATEVALUE") && call) {
            out += QStringLiteral("jet_datevalue");
        } else if (call && (isWord(t, "FORMAT") || isWord(t, "YEAR") || isWord(t, "MONTH") || isWord(t, "DAY")
                            || isWord(t, "VAL") || isWord(t, "NZ") || isWord(t, "IIF") || isWord(t, "ROUND"))) {
            throw DbError(err::UndefinedFunction, t.text, 0, jetSql);
        } else {
            out += t.text;
        }
    }
    return out;
}

}  // namespace
}  // namespace db
