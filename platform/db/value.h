#pragma once

#include "platform/runtime/date.h"

#include <QString>

#include <optional>
#include <variant>

namespace db {

// Field types by their old engine codes; the schema declares them as
// BOOLEAN, TINYINT, SMALLINT, INTEGER, FLOAT, DOUBLE, DATETIME,
// VARCHAR(n) COLLATE JETTEXT and LONGTEXT COLLATE JETTEXT.
enum class DaoType : int { Boolean = 1, Byte = 2, Integer = 3, Long = 4, Single = 6, Double = 7, Date = 8, Text = 10, Memo = 12 };

// A field value. Null is its own state, distinct from the empty text; the
// conversions read Null as "", 0, False or the zero date, as `& ""` did.
class Value {
public:
    enum class Kind { Null, Bool, Byte, Integer, Long, Single, Double, Date, Text };

    Value() = default;
    Value(bool b) : m_kind(Kind::Bool), m_data(b) {}
    Value(int i) : m_kind(Kind::Long), m_data(qint64(i)) {}
    Value(long i) : m_kind(Kind::Long), m_data(qint64(i)) {}
    Value(qint64 i) : m_kind(Kind::Long), m_data(i) {}
    Value(double d) : m_kind(Kind::Double), m_data(d) {}
    Value(rt::Date d) : m_kind(Kind::Date), m_data(d.serial()) {}
    Value(const QString& s) : m_kind(Kind::Text), m_data(s) {}
    Value(const char* s) : m_kind(Kind::Text), m_data(QString::fromUtf8(s)) {}

    static Value null() { return Value(); }
    static Value ofKind(Kind kind, qint64 i);   // Byte, Integer, Long
    static Value single(double d);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isNumeric() const;

    bool toBool() const;
    qint32 toLong() const;       // rounds half to even
    double toDouble() const;
    rt::Date toDate() const;
    // Numbers with the locale's decimal point, no grouping; Booleans "Wahr" and
    // "Falsch"; dates dd.mm.yyyy, with hh:nn:ss when they carry a time.
    QString toText() const;

    friend bool operator==(const Value& a, const Value& b) { return a.m_kind == b.m_kind && a.m_data == b.m_data; }

private:
    Kind m_kind = Kind::Null;
    std::variant<std::monostate, bool, qint64, double, QString> m_data;
};

// A number read from user text: the locale's form first ("2,5"), then the
// invariant one ("2.5"). nullopt when it is no number.
std::optional<double> textToNumber(const QString& text);

// Text and numbers for SQL text built by the program: 'O''Brien', 2.5.
// Negative numbers come in parentheses, so "Now - " + sqlNumber(-3) stays one
// expression instead of starting a comment.
QString sqlText(const QString& text);
// An empty text as Null, the way a field left blank is stored.
inline Value textOrNull(const QString& text) { return text.isEmpty() ? Value() : Value(text); }
QString sqlNumber(double value);

}  // namespace db
