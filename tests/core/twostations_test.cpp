#include "core/bookings.h"
#include "core/customers.h"
#include "core/database.h"
#include "core/invoices.h"
#include "core/rowmerge.h"
#include "core/services.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/test_database.h"
#include "tests/support/workstations.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <iostream>
#include <random>

namespace {

// One kind of row two desks edit at once: a field each desk changes alone,
// and the field both change in every other round.
struct Desk {
    QString table;
    QString key;
    QString fieldOfA;        // changed by A alone in even rounds
    QString fieldOfB;        // changed by B alone in even rounds, by both in odd ones
    std::function<db::Value(int round, bool a)> value;
    // The store the windows use; the row as stored after it, empty when nothing was written.
    std::function<RowValues(qint32 id, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask)> store;
};

qint32 rowId(int round)
{
    return round + 1;
}

// The same value, whatever width of number the column gives it.
bool same(const db::Value& a, const db::Value& b)
{
    return a == b || (!a.isNull() && !b.isNull() && a.toText() == b.toText());
}

// Whether the row as stored after a save holds another desk's change: a
// column other than the one saved and the ones a save sets itself.
bool othersKept(const RowValues& loaded, const RowValues& after, const QString& saved)
{
    static const QStringList own{QStringLiteral("book_bearb_date"), QStringLiteral("inv_total")};
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (it.key() != saved && !own.contains(it.key()) && !same(loaded.value(it.key()), it.value()))
            return true;
    }
    return false;
}

std::vector<Desk> desks()
{
    const auto text = [](const char* who) {
        return [who](int round, bool a) { return db::Value(QStringLiteral("%1 %2 %3").arg(QLatin1String(who)).arg(a ? 'A' : 'B').arg(round)); };
    };
    return {
        {QStringLiteral("tbl_bookings"), QStringLiteral("book_id"), QStringLiteral("book_cust_count"), QStringLiteral("book_info"),
         [](int round, bool a) { return a ? db::Value(2 + round % 3) : db::Value(QStringLiteral("Notiz B %1").arg(round)); },
         [](qint32 id, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask) {
             const StoreOutcome o = StoreBookingChanges(id, loaded, changed, ask);
             return o.result == StoreResult::Stored ? o.row : RowValues();
         }},
        {QStringLiteral("tbl_customers"), QStringLiteral("cust_id"), QStringLiteral("cust_street"), QStringLiteral("cust_phone"),
         text("Gast"),
         [](qint32 id, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask) {
             const MergedSave s = StoreCustomerChanges(id, loaded, changed, ask);
             return s.result == MergedSave::Result::Written ? s.row : RowValues();
         }},
        {QStringLiteral("tbl_services"), QStringLiteral("srv_id"), QStringLiteral("srv_name"), QStringLiteral("srv_info"),
         text("Leistung"),
         [](qint32 id, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask) {
             const MergedSave s = StoreServiceChanges(id, loaded, changed, ask);
             return s.result == MergedSave::Result::Written ? s.row : RowValues();
         }},
        {QStringLiteral("tbl_invoice"), QStringLiteral("inv_id"), QStringLiteral("inv_status_id"), QStringLiteral("inv_notes"),
         [](int round, bool a) { return a ? db::Value(2) : db::Value(QStringLiteral("Rechnung B %1").arg(round)); },
         [](qint32 id, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask) {
             const InvoiceWriteOutcome o = StoreInvoiceHeader(id, loaded, changed, ask, [](const auto&, const auto&) { return 0.0; }, 0.0);
             return o.result == InvoiceWrite::Written ? o.row : RowValues();
         }},
    };
}

}  // namespace

// Two workstations in two processes load the same booking, guest, service
// and invoice each round and save them at the same instant: in even rounds
// each changes a field of its own, in odd rounds both change the same one.
// Station A answers every question Nein, B answers Ja. Nothing either saved
// may vanish without a question.
TEST(TwoStations, NoSaveOverwritesAnotherUnasked)
{
    test::GlobalsScope globals;
    test::TestDatabase database;
    constexpr int Rounds = 40;
    database.exec(QStringLiteral("INSERT INTO tbl_places (pl_id, pl_floor_id) VALUES (1, 1)"));
    for (int i = 0; i < Rounds; ++i) {
        const qint32 id = rowId(i);
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_cust_count, "
                                   "book_start, book_end) VALUES (?, 1, 1, 1, ?, ?)"),
                    {id, rt::Date::fromParts(2026, 1, 1, 12).addDays(2 * i), rt::Date::fromParts(2026, 1, 2, 12).addDays(2 * i)});
        Db->execute(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname) VALUES (?, 'Wagner')"), {id});
        Db->execute(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name) VALUES (?, 'Parkplatz')"), {id});
        Db->execute(QStringLiteral("INSERT INTO tbl_invoice (inv_id, inv_mandant_id) VALUES (?, 1)"), {id});
    }

    const auto station = [](bool a) {
        auto loaded = std::make_shared<std::vector<RowValues>>();
        test::Station s;
        s.answer = a ? ui::Answer::No : ui::Answer::Yes;
        s.prepare = [loaded](int round, QStringList&) {
            loaded->clear();
            for (const Desk& d : desks())
                loaded->push_back(*ReadRow(d.table, d.key, rowId(round)));
        };
        s.run = [loaded, a](int round, QStringList& report) {
            const std::vector<Desk> all = desks();
            for (size_t t = 0; t < all.size(); ++t) {
                const Desk& d = all[t];
                const QString field = round % 2 == 0 && a ? d.fieldOfA : d.fieldOfB;
                bool asked = false;
                const RowValues after = d.store(rowId(round), (*loaded)[t], {{field, d.value(round, a)}}, [&](const RowMerge& m) {
                    asked = true;
                    return AskClash(QStringLiteral("Die Zeile"), {}, m);
                });
                const bool merged = !after.isEmpty() && !asked && othersKept((*loaded)[t], after, field);
                report << QStringLiteral("%1 %2 %3 %4 %5").arg(d.table).arg(round).arg(!after.isEmpty()).arg(asked).arg(merged);
            }
        };
        return s;
    };
    const std::vector<test::StationResult> results = test::RunStations(database.path(), Rounds, {station(true), station(false)});
    for (const test::StationResult& r : results)
        ASSERT_EQ(r.exitCode, 0) << r.report.join('\n').toStdString();

    int saves = 0, merged = 0, questions = 0, overwritten = 0;
    QHash<QString, int> askedInRound;
    for (const test::StationResult& r : results) {
        for (const QString& line : r.report) {
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.size() != 5)
                continue;
            saves += f[2].toInt();
            questions += f[3].toInt();
            merged += f[4].toInt();
            askedInRound[f[0] + QLatin1Char(' ') + f[1]] += f[3].toInt();
        }
    }
    for (const Desk& d : desks()) {
        for (int i = 0; i < Rounds; ++i) {
            const auto stored = [&](const QString& column) {
                return database.value(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4").arg(column, d.table, d.key).arg(rowId(i)));
            };
            if (i % 2 == 0) {
                // Both changes stand, nobody was asked.
                if (!same(stored(d.fieldOfA), d.value(i, true)))
                    ++overwritten;
                if (!same(stored(d.fieldOfB), d.value(i, false)))
                    ++overwritten;
                EXPECT_EQ(askedInRound.value(d.table + QStringLiteral(" %1").arg(i)), 0) << d.table.toStdString() << i;
            } else {
                // The second to save was asked; Nein at A and Ja at B both leave B's value.
                EXPECT_EQ(askedInRound.value(d.table + QStringLiteral(" %1").arg(i)), 1) << d.table.toStdString() << i;
                if (!same(stored(d.fieldOfB), d.value(i, false)))
                    ++overwritten;
            }
        }
    }
    std::cout << "[ figures  ] saves " << saves << ", merged unasked " << merged << ", questions " << questions
              << ", silent overwrites " << overwritten << std::endl;
    EXPECT_EQ(saves, 2 * Rounds * 4);
    EXPECT_EQ(questions, Rounds / 2 * 4);
    EXPECT_EQ(overwritten, 0);
}

namespace {

// A random edit a booking window would accept as typed: the stay moved or
// changed in length, another room, another count, a note; each round and
// station its own.
RowValues randomEdit(int round, bool a, const RowValues& loaded)
{
    std::mt19937 random(static_cast<unsigned>(round * 2 + (a ? 0 : 1)));
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Booking b = BookingFromRow(loaded);
    RowValues edit;
    const int what = 1 + pick(15);
    if (what & 1) {
        // The arrival, the departure or both, as typed; a window moves the
        // other day when one passes it.
        const int which = pick(3);
        if (which != 1)
            b.book_start = b.book_start.addDays(pick(7) - 3);
        if (which != 0)
            b.book_end = b.book_end.addDays(pick(7) - 3);
        if (!IsValidPeriod(b.book_start, b.book_end)) {
            if (which == 1)
                b.book_start = b.book_end.addDays(-1);
            else
                b.book_end = b.book_start.addDays(1);
        }
        edit.insert(QStringLiteral("book_start"), b.book_start);
        edit.insert(QStringLiteral("book_end"), b.book_end);
    }
    if (what & 2)
        edit.insert(QStringLiteral("book_place_id"), 1 + pick(3));
    if (what & 4)
        edit.insert(QStringLiteral("book_cust_count"), pick(4));
    if (what & 8)
        edit.insert(QStringLiteral("book_info"), QStringLiteral("%1 %2").arg(a ? 'A' : 'B').arg(round));
    return ChangedColumns(BookingColumns(BookingFromRow(loaded)), edit);
}

}  // namespace

// Two workstations in two processes change the same booking at the same
// instant, each as a window would let it: any mix of period, room, persons
// and note, answering a clash with Ja, Nein or Abbrechen by turns. Whatever
// the merge makes is a booking a window would accept if typed, and a save
// said to be done holds what it wrote.
TEST(TwoStations, AMergedBookingIsOneAWindowWouldAcceptAndASaveDoneIsStored)
{
    test::GlobalsScope globals;
    test::TestDatabase database;
    const int rounds = qEnvironmentVariableIntValue("VELMORANT_MERGE_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("VELMORANT_MERGE_ROUNDS")
                           : 60;
    for (int place = 1; place <= 3; ++place)
        Db->execute(QStringLiteral("INSERT INTO tbl_places (pl_id, pl_floor_id) VALUES (?, 1)"), {place});
    // Each round's booking lives in weeks of its own, beside another guest's
    // stay in room 2 it may run into.
    const auto day = [](int round, int d) { return rt::Date::fromParts(2026, 1, 1, 12).addDays(30 * round + d); };
    for (int i = 0; i < rounds; ++i) {
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_cust_count, "
                                   "book_start, book_end) VALUES (?, 1, 1, 1, ?, ?)"),
                    {rowId(i), day(i, 10), day(i, 13)});
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_cust_count, "
                                   "book_start, book_end) VALUES (?, 1, 2, 2, ?, ?)"),
                    {100000 + i, day(i, 12), day(i, 15)});
    }

    const auto station = [](bool a) {
        auto loaded = std::make_shared<RowValues>();
        test::Station s;
        s.prepare = [loaded](int round, QStringList&) { *loaded = *ReadBookingRow(rowId(round)); };
        s.run = [loaded, a](int round, QStringList& report) {
            const RowValues changed = randomEdit(round, a, *loaded);
            const ClashChoice answer = std::array{ClashChoice::Mine, ClashChoice::Stored, ClashChoice::Cancel}[(round + a) % 3];
            const StoreOutcome o = StoreBookingChanges(rowId(round), *loaded, changed, [answer](const RowMerge&) { return answer; });
            int lost = 0;
            if (o.result == StoreResult::Stored) {
                for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
                    if (!o.notWritten.contains(it.key()) && o.row.value(it.key()).toDouble() != it.value().toDouble() &&
                        o.row.value(it.key()).toText() != it.value().toText())
                        ++lost;
                }
            }
            report << QStringLiteral("save %1 %2 %3").arg(round).arg(static_cast<int>(o.result)).arg(lost);
        };
        return s;
    };
    const std::vector<test::StationResult> results = test::RunStations(database.path(), rounds, {station(true), station(false)});
    for (const test::StationResult& r : results)
        ASSERT_EQ(r.exitCode, 0) << r.report.join('\n').toStdString();

    int saves = 0, stored = 0, refused = 0, doneButLost = 0;
    for (const test::StationResult& r : results) {
        for (const QString& line : r.report) {
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.size() != 4 || f[0] != QLatin1String("save"))
                continue;
            ++saves;
            const auto result = static_cast<StoreResult>(f[2].toInt());
            stored += result == StoreResult::Stored;
            refused += result == StoreResult::PeriodInvalid || result == StoreResult::PlaceOccupied;
            doneButLost += f[3].toInt();
        }
    }
    int notAcceptable = 0;
    for (int i = 0; i < rounds; ++i) {
        const Booking b = *LoadBooking(rowId(i));
        if (!IsValidPeriod(b.book_start, b.book_end) || b.book_place_id < 1 || b.book_place_id > 3 ||
            (b.book_cust_count > 0 && OccupyingBooking(b.book_place_id, b.book_start, b.book_end, {b.book_id}) != 0))
            ++notAcceptable;
    }
    std::cout << "[ figures  ] rounds " << rounds << ", saves " << saves << ", stored " << stored << ", refused " << refused
              << ", rows no window would accept " << notAcceptable << ", saves done that lost a value " << doneButLost
              << std::endl;
    EXPECT_EQ(saves, 2 * rounds);
    EXPECT_GT(refused, 0);
    EXPECT_EQ(notAcceptable, 0);
    EXPECT_EQ(doneButLost, 0);
}
