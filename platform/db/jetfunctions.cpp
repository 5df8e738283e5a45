#include "platform/db/jetfunctions.h"

#include "platform/db/value.h"

#include <QRegularExpression>
#include <QStringList>

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace db {

namespace {

// ---------------------------------------------------------------- dates

std::optional<rt::Date> builtInParse(const QString& input)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,4})[./-](\d{1,2})[./-](\d{1,4})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    QRegularExpressionMatch m = re.match(input);
    if (!m.hasMatch())
        return std::nullopt;
    int year, month, day;
    if (m.capturedLength(1) == 4) {          // 2020-12-24
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    } else {                                  // 24.12.2020, 24.12.20
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.capturedLength(3) <= 2)
            year += year < 30 ? 2000 : 1900;
        else if (m.capturedLength(3) == 3)
            return std::nullopt;
    }
    if (!QDate(year, month, day).isValid())
        return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    if (m.capturedLength(4) > 0) {
        hour = m.captured(4).toInt();
        minute = m.captured(5).toInt();
        second = m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0;
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
    }
    return rt::Date::fromParts(year, month, day, hour, minute, second);
}

DateParser& currentParser()
{
    static DateParser parser;
    return parser;
}

// ---------------------------------------------------------------- text order

bool isAscii(const char* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

// Umlauts and accents fall back to their base letter, ß to ss, case folded.
QString decomposedKey(const QString& text)
{
    QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QChar(0x00DF) || c == QChar(0x1E9E)) {
            out += QStringLiteral("ss");
            continue;
        }
        out += c;
    }
    return out.toCaseFolded();
}

// The key of each character of Latin-1 and Latin Extended-A, made once by the
// rule above: most names then need no normalising. Marks dropped and case
// folded, the key of a text is the keys of its characters in a row.
const QString* latinKey(char16_t c)
{
    static const std::vector<QString> keys = [] {
        std::vector<QString> k;
        for (char16_t ch = 0x80; ch < 0x180; ++ch)
            k.push_back(decomposedKey(QString(QChar(ch))));
        return k;
    }();
    return c >= 0x80 && c < 0x180 ? &keys[c - 0x80] : nullptr;
}

QString primaryKey(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            out += QChar(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
            continue;
        }
        const QString* key = latinKey(c);
        if (!key)
            return decomposedKey(text);
        out += *key;
    }
    return out;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareAscii(const char* a, int na, const char* b, int nb)
{
    int n = na < nb ? na : nb;
    for (int i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return sign(na - nb);
}

int collateJetText(void*, int na, const void* pa, int nb, const void* pb)
{
    const char* a = static_cast<const char*>(pa);
    const char* b = static_cast<const char*>(pb);
    if (isAscii(a, na) && isAscii(b, nb))
        return compareAscii(a, na, b, nb);
    return compareText(QString::fromUtf8(a, na), QString::fromUtf8(b, nb));
}

// ---------------------------------------------------------------- like

struct PatternItem {
    enum Kind { AnyRun, One, Digit, Set, Literal };
    explicit PatternItem(Kind k) : kind(k) {}
    Kind kind;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

// Where a pattern is invalid: the list from its "[" to its "]" (to the end
// of the pattern when it has none).
struct PatternFault {
    size_t start = 0;
    size_t end = 0;
    bool unclosed = false;
};

std::optional<std::vector<PatternItem>> compilePattern(const std::u32string& p, PatternFault* fault = nullptr)
{
    std::vector<PatternItem> items;
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t c = p[i];
        if (c == U'*') {
            if (items.empty() || items.back().kind != PatternItem::AnyRun)
                items.emplace_back(PatternItem::AnyRun);
        } else if (c == U'?') {
            items.emplace_back(PatternItem::One);
        } else if (c == U'#') {
            items.emplace_back(PatternItem::Digit);
        } else if (c == U'[') {
            size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) {
                if (fault)
                    *fault = {i, p.size(), true};
                return std::nullopt;
            }
            std::u32string body = p.substr(i + 1, close - i - 1);
            const size_t open = i;
            i = close;
            if (body.empty())          // [] stands for the empty text
                continue;
            PatternItem set(PatternItem::Set);
            size_t k = 0;
            if (body[0] == U'!' && body.size() > 1) {
                set.negated = true;
                k = 1;
            }
            for (; k < body.size(); ++k) {
                if (k + 2 < body.size() && body[k + 1] == U'-') {
                    char32_t lo = body[k], hi = body[k + 2];
                    if (lo > hi) {
                        if (fault)
                            *fault = {open, close + 1, false};
                        return std::nullopt;
                    }
                    set.ranges.emplace_back(lo, hi);
                    k += 2;
                } else {
                    set.ranges.emplace_back(body[k], body[k]);
                }
            }
            items.push_back(std::move(set));
        } else {
            PatternItem lit(PatternItem::Literal);
            lit.ch = c;
            items.push_back(lit);
        }
    }
    return items;
}

bool itemMatches(const PatternItem& item, char32_t c)
{
    switch (item.kind) {
    case PatternItem::One:
        return true;
    case PatternItem::Digit:
        return c >= U'0' && c <= U'9';
    case PatternItem::Literal:
        return c == item.ch;
    case PatternItem::Set: {
        bool in = false;
        for (const auto& [lo, hi] : item.ranges)
            if (c >= lo && c <= hi) {
                in = true;
                break;
            }
        return in != item.negated;
    }
    case PatternItem::AnyRun:
        break;
    }
    return false;
}

// Table of "pattern prefix matches value prefix", one row at a time, so a
// pattern full of * never backtracks exponentially. The two rows are kept
// between calls: a Like runs once per row of a long table.
bool matchItems(const std::vector<PatternItem>& items, const std::u32string& value)
{
    thread_local std::vector<char> row, next;
    const size_t n = value.size();
    row.assign(n + 1, 0);
    next.resize(n + 1);
    row[0] = 1;
    for (const PatternItem& item : items) {
        std::fill(next.begin(), next.end(), 0);
        if (item.kind == PatternItem::AnyRun) {
            char reach = 0;
            for (size_t j = 0; j <= n; ++j) {
                reach = reach || row[j];
                next[j] = reach;
            }
        } else {
            for (size_t j = 0; j < n; ++j)
                if (row[j] && itemMatches(item, value[j]))
                    next[j + 1] = 1;
        }
        row.swap(next);
    }
    return row[n] != 0;
}

char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return c >= U'A' && c <= U'Z' ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// The text's code points case-folded, as QString::toCaseFolded folds them,
// read straight from UTF-8; a broken sequence reads as U+FFFD.
void foldUtf8(const unsigned char* s, int n, std::u32string& out)
{
    out.clear();
    for (int i = 0; i < n;) {
        const unsigned char b = s[i];
        char32_t c;
        int length;
        if (b < 0x80) {
            c = b;
            length = 1;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            length = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            length = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            length = 4;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool valid = i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(foldCodePoint(c));
        i += length;
    }
}

std::u32string toU32(const QString& s)
{
    std::u32string out;
    for (char32_t c : s.toUcs4())
        out.push_back(foldCodePoint(c));
    return out;
}

// A pattern compiled once per statement: SQLite keeps it beside a constant
// pattern argument (a literal or a bound value) for the statement's life.
struct CompiledPattern {
    std::vector<PatternItem> items;
    bool matchesAll = false;   // only * : every text
};

std::unique_ptr<CompiledPattern> compileArgument(sqlite3_value* pattern)
{
    std::u32string folded;
    foldUtf8(sqlite3_value_text(pattern), sqlite3_value_bytes(pattern), folded);
    std::optional<std::vector<PatternItem>> items = compilePattern(folded);
    if (!items)
        return nullptr;
    auto compiled = std::make_unique<CompiledPattern>();
    compiled->matchesAll = items->size() == 1 && items->front().kind == PatternItem::AnyRun;
    compiled->items = std::move(*items);
    return compiled;
}

void sqlLike(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::unique_ptr<CompiledPattern> fresh;
    auto* compiled = static_cast<CompiledPattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!compiled) {
        fresh = compileArgument(argv[0]);
        if (!fresh) {
            sqlite3_result_error(ctx, "Invalid pattern string", -1);
            return;
        }
        compiled = fresh.get();
    }
    bool match = compiled->matchesAll;
    if (!match) {
        thread_local std::u32string value;
        foldUtf8(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]), value);
        match = matchItems(compiled->items, value);
    }
    sqlite3_result_int(ctx, match ? 1 : 0);
    // Handed over last: SQLite may drop it at once when it cannot keep it.
    if (fresh)
        sqlite3_set_auxdata(ctx, 0, fresh.release(), [](void* p) { delete static_cast<CompiledPattern*>(p); });
}

QString argText(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

void sqlNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_double(ctx, rt::Date::now().serial());
}

void sqlDate(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_double(ctx, rt::Date::today().serial());
}

void sqlDateValue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    std::optional<rt::Date> d = parseDate(argText(argv[0]));
    if (!d) {
        sqlite3_result_error(ctx, "Data type conversion error in DateValue", -1);
        sqlite3_result_error_code(ctx, SQLITE_MISMATCH);
        return;
    }
    sqlite3_result_double(ctx, d->datePart().serial());
}

}  // namespace

void setDateParser(DateParser parser)
{
    currentParser() = std::move(parser);
}

std::optional<rt::Date> parseDate(const QString& text)
{
    const DateParser& p = currentParser();
    return p ? p(text) : builtInParse(text);
}

int compareText(const QString& a, const QString& b)
{
    int primary = QString::compare(primaryKey(a), primaryKey(b));
    if (primary != 0)
        return sign(primary);
    return sign(QString::compare(a.toCaseFolded(), b.toCaseFolded()));
}

QString textSortKey(const QString& text)
{
    // The folded text breaks ties of the primary key; U+0000 ends the primary
    // key, so a shorter one still sorts first.
    const qsizetype n = text.size();
    const QChar* in = text.constData();
    for (qsizetype i = 0; i < n; ++i)
        if (in[i].unicode() >= 0x80)
            return primaryKey(text) + QChar(u'\0') + text.toCaseFolded();
    // Plain ASCII, most names: both halves are the text in small letters,
    // made without normalising.
    QString key(2 * n + 1, Qt::Uninitialized);
    QChar* out = key.data();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = in[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
        out[i] = out[n + 1 + i] = QChar(c);
    }
    out[n] = QChar(u'\0');
    return key;
}

std::optional<bool> likeMatch(const QString& value, const QString& pattern)
{
    std::optional<std::vector<PatternItem>> items = compilePattern(toU32(pattern));
    if (!items)
        return std::nullopt;
    return matchItems(*items, toU32(value));
}

QString likePatternFault(const QString& pattern)
{
    PatternFault fault;
    if (compilePattern(toU32(pattern), &fault))
        return QString();
    if (fault.unclosed) {
        return QStringLiteral("Zur eckigen Klammer \"[\" fehlt die schließende Klammer \"]\". In eckigen Klammern "
                              "stehen Zeichen, von denen eines passen muss: \"M[ae]ier\" findet Maier und Meier.");
    }
    // Folding keeps one code point per code point, so the places are those typed.
    const QList<uint> typed = pattern.toUcs4();
    const QString list = QString::fromUcs4(reinterpret_cast<const char32_t*>(typed.constData()) + fault.start,
                                           static_cast<qsizetype>(fault.end - fault.start));
    return QStringLiteral("Der Bereich \"") + list +
           QStringLiteral("\" ist verkehrt herum: Ein Bereich nennt zuerst das Zeichen, das im Alphabet vorne steht, "
                          "z.B. \"[a-k]\".");
}

namespace {

// The index range every text matching the pattern lies in; an empty bound
// is none (no plain start, or a bound the collation would fold into
// another text).
std::pair<QString, QString> likeRange(const QString& pattern)
{
    qsizetype plain = 0;
    while (plain < pattern.size() && !QStringView(u"*?#[").contains(pattern[plain]))
        ++plain;
    // Every text that matches has a sort key starting with the prefix's key.
    const QString key = primaryKey(pattern.left(plain));
    if (key.isEmpty())
        return {};
    const char16_t last = key.back().unicode();
    if (QChar::isSurrogate(last))
        return {};
    // Just below every key starting with the prefix's key, and just above them.
    std::pair<QString, QString> range;
    if (last > 0) {
        const QString lower = key.left(key.size() - 1) + QChar(char16_t(last - 1)) + QChar(char16_t(0xFFFF));
        if (primaryKey(lower) == lower)
            range.first = lower;
    }
    if (last < 0xD7FF) {
        const QString upper = key.left(key.size() - 1) + QChar(char16_t(last + 1));
        if (primaryKey(upper) == upper)
            range.second = upper;
    }
    return range;
}

// The condition with each value written by quote(), which may take it as a
// bound parameter instead.
template <class Quote>
QString likeCondition(const QString& column, const QString& pattern, Quote quote)
{
    const auto [lower, upper] = likeRange(pattern);
    QStringList terms;
    if (!lower.isEmpty())
        terms << column + QStringLiteral(" > ") + quote(lower) + QStringLiteral(" COLLATE JETTEXT");
    if (!upper.isEmpty())
        terms << column + QStringLiteral(" < ") + quote(upper) + QStringLiteral(" COLLATE JETTEXT");
    const QString like = column + QStringLiteral(" Like ") + quote(pattern);
    if (terms.isEmpty())
        return like;
    return QLatin1Char('(') + terms.join(QStringLiteral(" AND ")) + QStringLiteral(" AND ") + like + QLatin1Char(')');
}

}  // namespace

QString sqlLike(const QString& column, const QString& pattern)
{
    return likeCondition(column, pattern, [](const QString& text) { return sqlText(text); });
}

QString sqlLike(const QString& column, const QString& pattern, QList<Value>& params)
{
    return likeCondition(column, pattern, [&params](const QString& text) {
        params << Value(text);
        return QStringLiteral("?");
    });
}

void registerJetFunctions(sqlite3* handle)
{
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_collation_v2(handle, "JETTEXT", SQLITE_UTF8, nullptr, collateJetText, nullptr);
    sqlite3_create_function_v2(handle, "like", 2, pure, nullptr, sqlLike, nullptr, nullptr, nullptr);
    // Declared deterministic so that SQLite reckons Now() and Date() once per
    // run of a statement, like a constant, not once per row: every row sees
    // the same instant, and a long scan does not pay for the clock per row.
    const int perStatement = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(handle, "jet_now", 0, perStatement, nullptr, sqlNow, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "jet_date", 0, perStatement, nullptr, sqlDate, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "jet_datevalue", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr,
                               sqlDateValue, nullptr, nullptr, nullptr);
}

}  // namespace db
