#pragma once

#include "platform/runtime/date.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class QTableView;
class QWidget;

namespace bench {

// A statement straight to SQLite, for the plain reading beside each case.
class RawStatement {
public:
    RawStatement(sqlite3* handle, const char* sql)
    {
        if (sqlite3_prepare_v2(handle, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(handle));
    }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;
    RawStatement& bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); return *this; }
    RawStatement& bind(int i, int v) { sqlite3_bind_int(m_stmt, i, v); return *this; }
    RawStatement& bind(int i, const QByteArray& v)
    {
        sqlite3_bind_text(m_stmt, i, v.constData(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool step() { return sqlite3_step(m_stmt) == SQLITE_ROW; }
    int columns() const { return sqlite3_column_count(m_stmt); }
    int type(int i) const { return sqlite3_column_type(m_stmt, i); }
    int integer(int i) const { return sqlite3_column_int(m_stmt, i); }
    double real(int i) const { return sqlite3_column_double(m_stmt, i); }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)),
                                 sqlite3_column_bytes(m_stmt, i));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

struct Setting {
    QString programFolder;       // with velmorant.ini naming the working copy
    QString database;            // the working copy
    sqlite3* raw = nullptr;      // a second, plain connection to it
    rt::Date today;              // noon
    rt::Date monthStart;         // the current month, noon of its first day
    rt::Date monthEnd;
    rt::Date pastWeek;           // a Monday five years back, noon
    rt::Date pastMonthStart;     // the first of its month, noon
    rt::Date conflictStart;      // a week on a busy place
    rt::Date conflictEnd;
    qint32 conflictPlace = 17;
    qint32 conflictCustomer = 4711;
    qint32 storeBooking = 0;     // a booking of this month to change
};

Setting& setting();

// Rotates through the ids so that one cached page does not flatter a case.
qint32 nextId(qint32& counter, qint32 count);

// What a user waits for after an action: the events it caused handled and
// the window painted, the list or grid in it filled.
void paintNow(QWidget* widget);
// A left click on a column header, as the mouse gives it.
void clickHeader(QTableView* view, int column);

// An action in a window, timed from the action to the painted window: warm
// (again and again in one program) and cold (the first time in a freshly
// started program, each in a process of its own).
struct WindowCase {
    std::string name;
    std::function<void()> prepare;              // before each action, not timed
    std::function<void()> act;                  // the action up to the painted window
    std::function<void()> tidy;                 // after each action, not timed
    void (*raw)(benchmark::State&) = nullptr;   // the same reading in plain SQLite
    double warmTargetMs = 100;
    double coldTargetMs = 200;
};

std::vector<WindowCase> windowCases();

}  // namespace bench
