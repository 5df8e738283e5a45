#include "core/database.h"
#include "core/globals.h"
#include "core/invoices.h"
#include "core/preferences.h"
#include "invoicing/invoice.h"
#include "platform/db/database.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/workstations.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

const char* const WriterDatabase = "VELMORANT_INVOICE_WRITER_DB";
constexpr int WriterInvoices = 4;

// What every stored invoice should hold: its total as its stored positions add up.
int invoicesWithAWrongTotal()
{
    const InvoiceGrossRule gross = StoredGrossRule();
    int wrong = 0;
    db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT inv_id, inv_date, inv_total FROM tbl_invoice"),
                                         db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const qint32 id = rs.field(0).value().toLong();
        const rt::Date day = rs.field(1).value().isNull() ? rt::Date::today() : rs.field(1).value().toDate();
        const std::optional<double> total = gross(LoadInvoicePositions(id), day.datePart());
        if (!total || CentsOf(rs.field(2).value().toDouble()) != CentsOf(*total))
            ++wrong;
    }
    return wrong;
}

int orphanedPositions(const test::TestDatabase& database)
{
    return database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_invoice_id NOT IN (SELECT inv_id FROM tbl_invoice)"));
}

}  // namespace

// Two workstations on the same invoices: in even rounds one adds a position
// while the other deletes the invoice, in odd rounds both add one.
TEST(InvoiceRace, PositionsRacingADeleteOrEachOtherLeaveNoOrphanAndRightTotals)
{
    test::GlobalsScope globals;
    test::InvoiceDb database;
    MwStIncluded = false;
    constexpr int Rounds = 60;
    std::vector<qint32> invoices;
    for (int i = 0; i < Rounds; ++i) {
        invoices.push_back(database.addInvoice(1, QStringLiteral("#03/05/2024#")));
        database.addPosition(invoices.back(), 1, 2, 12.5);
    }

    std::unique_ptr<InvoiceSession> adding;
    test::Station add;
    add.setUp = [&] { adding = std::make_unique<InvoiceSession>(); };
    add.prepare = [&](int i, QStringList&) { adding->LoadInvoice(invoices[static_cast<size_t>(i)]); };
    add.run = [&](int, QStringList& report) {
        if (adding->addPosition(1, QStringLiteral("Übernachtung"), 7900, 2))
            report << QStringLiteral("gespeichert");
    };
    std::unique_ptr<InvoiceSession> other;
    test::Station deleteOrAdd;
    deleteOrAdd.setUp = [&] { other = std::make_unique<InvoiceSession>(); };
    deleteOrAdd.prepare = [&](int i, QStringList&) { other->LoadInvoice(invoices[static_cast<size_t>(i)]); };
    deleteOrAdd.run = [&](int i, QStringList& report) {
        if (i % 2 == 0 ? other->DeleteInvoice() : other->addPosition(3, QStringLiteral("Kurtaxe"), 250, 3))
            report << QStringLiteral("gespeichert");
    };

    const std::vector<test::StationResult> results = test::RunStations(database.path(), Rounds, {add, deleteOrAdd});
    ASSERT_EQ(results[0].exitCode, 0) << results[0].report.join('\n').toStdString();
    ASSERT_EQ(results[1].exitCode, 0) << results[1].report.join('\n').toStdString();

    int stored = 0;
    int refused = 0;
    for (const QString& line : results[0].report) {
        if (line == QStringLiteral("gespeichert"))
            ++stored;
        else if (line.startsWith(QStringLiteral("Meldung: Die Rechnung Nr. 2024"))
                 && line.contains(QStringLiteral("wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Die Änderung "
                                                 "wurde nicht gespeichert.")))
            ++refused;
        else
            ADD_FAILURE() << "unexpected: " << line.toStdString();
    }
    // A delete that comes second finds the added position and asks (answered
    // with OK, which is no Ja): the invoice stays.
    const auto asked = static_cast<int>(results[1].report.filter(QStringLiteral("Trotzdem löschen?")).size());
    EXPECT_EQ(stored + refused, Rounds);
    EXPECT_GE(refused, 1);
    EXPECT_EQ(refused + asked, Rounds / 2);
    EXPECT_EQ(orphanedPositions(database), 0);
    // Every odd invoice holds its first position and one of each workstation,
    // every even one kept its first and the added one.
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), Rounds - refused);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions")), Rounds / 2 * 3 + asked * 2);
    EXPECT_EQ(invoicesWithAWrongTotal(), 0);
    std::cout << "[ race     ] " << Rounds << " rounds: " << stored << " positions stored, " << refused
              << " refused for a deleted invoice, " << asked << " deletes asked about an added position, 0 orphans, "
              << Rounds / 2 << " invoices with two writers, every total right" << std::endl;
}

namespace {

// The writer of the test below, in a process of its own (the test binary run
// again for that test): it changes the positions of the first invoices of the
// file, at random, until it is killed.
[[noreturn]] void writeUntilKilled(const QString& path)
{
    Db = db::Database::open(path);
    MwStIncluded = false;
    const InvoiceGrossRule gross = StoredGrossRule();
    QRandomGenerator random(static_cast<quint32>(QCoreApplication::applicationPid()));
    for (qint64 n = 0;; ++n) {
        const qint32 invId = 1 + random.bounded(WriterInvoices);
        const std::vector<InvoicePositionRow> positions = LoadInvoicePositions(invId);
        const int what = random.bounded(10);
        if (positions.empty() || what < 6) {
            InvoicePositionRow p;
            p.ivp_invoice_id = invId;
            p.ivp_prod_id = 1 + random.bounded(3);
            p.ivp_quantity = 1 + random.bounded(5);
            p.ivp_price = random.bounded(1, 20000) / 100.0;
            AddInvoicePosition(p, gross);
        } else {
            const auto& p = positions[static_cast<size_t>(random.bounded(static_cast<int>(positions.size())))];
            const auto mine = [](const RowMerge&) { return ClashChoice::Mine; };
            const RowValues quantity{{QStringLiteral("ivp_quantity"), random.bounded(1, 9)}};
            if (what < 8)
                StorePositionChanges(p.ivp_id, p.row, quantity, mine, gross);
            else
                DeleteInvoicePosition(p.ivp_id, p.row, mine, gross);
        }
        if (n == 0)
            std::cout << "schreibt" << std::endl;
    }
}

}  // namespace

// A program killed at any moment while it writes positions leaves every
// stored total equal to what its stored positions add up to.
TEST(InvoiceKill, AKilledWriterLeavesEveryTotalRight)
{
    if (const QString path = qEnvironmentVariable(WriterDatabase); !path.isEmpty())
        writeUntilKilled(path);
    test::GlobalsScope globals;
    test::InvoiceDb database;
    MwStIncluded = false;
    for (int i = 0; i < WriterInvoices; ++i)
        database.addInvoice(1, i % 2 ? QStringLiteral("#08/15/2020#") : QStringLiteral("#03/05/2024#"));

    constexpr int Rounds = 6;
    QRandomGenerator random(20240705);
    for (int round = 0; round < Rounds; ++round) {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(WriterDatabase), database.path());
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_filter=InvoiceKill.AKilledWriterLeavesEveryTotalRight")});
        ASSERT_TRUE(writer.waitForStarted());
        QByteArray said;
        while (!said.contains("schreibt") && writer.waitForReadyRead(10000))
            said += writer.readAllStandardOutput();
        ASSERT_TRUE(said.contains("schreibt")) << said.toStdString();
        QThread::msleep(static_cast<unsigned long>(random.bounded(20, 250)));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);

        EXPECT_EQ(invoicesWithAWrongTotal(), 0) << "round " << round;
        EXPECT_EQ(orphanedPositions(database), 0);
    }
    EXPECT_EQ(database.value(QStringLiteral("PRAGMA integrity_check")).toText(), QStringLiteral("ok"));
    const int positions = database.count(QStringLiteral("tbl_invoice_positions"));
    EXPECT_GT(positions, 0);
    std::cout << "[ kill     ] " << Rounds << " writers killed, " << positions << " positions on " << WriterInvoices
              << " invoices, every total right" << std::endl;
}
