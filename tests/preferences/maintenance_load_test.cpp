// Maintenance while another workstation, a process of its own, writes a
// booking every few milliseconds into the same file.

#include "preferences/installation.h"
#include "preferences/maintenance.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <grp.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = MaintenanceResult::Kind;

struct FileIdentity {
    ino_t inode = 0;
    mode_t mode = 0;
    gid_t group = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return {info.st_ino, info.st_mode, info.st_gid};
}

std::set<qint64> bookingIds(const QString& path)
{
    std::set<qint64> ids;
    std::unique_ptr<db::Database> file = db::Database::open(path);
    file->forEachRow(QStringLiteral("SELECT book_id FROM tbl_bookings"), {},
                     [&ids](const QList<db::Value>& row) { ids.insert(row[0].toLong()); });
    return ids;
}

// The other workstation and what it has said it committed.
class Writer {
public:
    Writer(const QString& dbPath, const QString& stopFile) : m_stopFile(stopFile)
    {
        m_process.start(QStringLiteral(BOOKING_WRITER), {dbPath, QStringLiteral("kasse"), stopFile});
    }
    ~Writer()
    {
        stop();
    }
    // Waits until it has committed more than it had; false after 5 s.
    bool waitForCommit()
    {
        const size_t before = committed.size();
        QDeadlineTimer deadline(5000);
        while (committed.size() == before && !deadline.hasExpired()) {
            m_process.waitForReadyRead(50);
            read();
        }
        return committed.size() > before;
    }
    void read()
    {
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("ok "))) {
                committed.insert(line.section(QLatin1Char(' '), 1, 1).toLongLong());
                firstInfo = line.section(QLatin1Char(' '), 2);
            } else if (line.startsWith(QLatin1String("err "))) {
                ++failed;
            } else if (line == QLatin1String("done")) {
                done = true;
            }
        }
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        QFile(m_stopFile).open(QIODevice::WriteOnly);
        m_process.waitForFinished(10000);
        read();
    }

    std::set<qint64> committed;
    QString firstInfo;
    int failed = 0;
    bool done = false;

private:
    QString m_stopFile;
    QProcess m_process;
};

class UnderLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppPath = data.folder().path();
        DbFileName = QStringLiteral("test.mdb");
        DbPath = data.path();
        ComputerName = QStringLiteral("pc1");
        AppTitle = QStringLiteral("VELMORANT");
        StationId = GetStationPreferences(ComputerName);
        // Enough rows that compaction takes a while beside the writer.
        data.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                  "INSERT INTO tbl_customers (cust_lastname, cust_zip, cust_info) "
                  "SELECT 'Gast ' || i, 10000 + i, printf('%.200c', 'x') FROM n;");
        data.exec("DELETE FROM tbl_customers WHERE cust_id % 3 = 0;");
        // A file shared by the house's group, as on a server.
        ::chmod(QFile::encodeName(DbPath).constData(), 0664);
        if (::geteuid() == 0) {
            if (const group* users = ::getgrnam("users"))
                [[maybe_unused]] const int changed = ::chown(QFile::encodeName(DbPath).constData(), 0, users->gr_gid);
        }
        shared = identityOf(DbPath);
    }

    // The file is whole, holds every booking the writer committed so far,
    // keeps its identity and rights, and the writer goes on writing.
    void expectSound(Writer& writer, const QString& round)
    {
        SCOPED_TRACE(round.toStdString());
        writer.read();
        const std::set<qint64> said = writer.committed;
        EXPECT_TRUE(db::engine::checkIntegrity(DbPath).isEmpty());
        const std::set<qint64> stored = bookingIds(DbPath);
        for (qint64 id : said) {
            if (!stored.count(id)) {
                ++lost;
                ADD_FAILURE() << "booking " << id << " lost";
            }
        }
        EXPECT_EQ(identityOf(DbPath), shared);
        EXPECT_TRUE(writer.waitForCommit());
        EXPECT_TRUE(DbOpen && Db && Db->isOpen());
        ++rounds;
    }
    void plan(std::initializer_list<ui::Answer> answers)
    {
        for (ui::Answer a : answers)
            dialogs->answerMessage(a);
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::TempFolder elsewhere;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    FileIdentity shared;
    int rounds = 0;
    int lost = 0;
};

void spoilIndex(const QString& path, const char* index)
{
    std::unique_ptr<db::Database> file = db::Database::open(path);
    const qint64 page = file->openRecordset(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = '") + index + '\'',
                                            db::OpenMode::ForwardOnlyReadOnly)
                            .field(0)
                            .value()
                            .toLong();
    const qint64 size = file->openRecordset(QStringLiteral("PRAGMA page_size"), db::OpenMode::ForwardOnlyReadOnly).field(0).value().toLong();
    file->close();
    // No connection of this process may hold the file while it is written
    // past SQLite: closing a handle drops the process's locks on it.
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadWrite));
    raw.seek((page - 1) * size);
    raw.write(QByteArray(static_cast<int>(size), '\x33'));
}

}  // namespace

TEST_F(UnderLoad, CompactionAndRepairLoseNothingTheOtherStationCommits)
{
    Writer writer(DbPath, elsewhere.file("stop"));
    ASSERT_TRUE(writer.waitForCommit());
    for (int i = 0; i < 10; ++i) {
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(CompactDatabase(DbPath, true).kind, Kind::Done);
        EXPECT_TRUE(dialogs->messages().front().text.contains("kasse"));
        expectSound(writer, QStringLiteral("compaction %1").arg(i));
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
        expectSound(writer, QStringLiteral("repair %1").arg(i));
    }
    // A damaged file, repaired while the other station goes on writing.
    for (int i = 0; i < 3; ++i) {
        CloseProgramDatabase();
        spoilIndex(DbPath, "idx_cust_zip");
        ASSERT_TRUE(OpenDatabaseFile(DbPath, true));
        plan({ui::Answer::Ok, ui::Answer::Ok});
        EXPECT_EQ(RepairDatabase(DbPath, true).kind, Kind::Done);
        EXPECT_TRUE(dialogs->lastMessage().text.contains("Fehler gefunden und behoben")) << dialogs->lastMessage().text.toStdString();
        expectSound(writer, QStringLiteral("damaged %1").arg(i));
    }
    writer.stop();
    EXPECT_TRUE(writer.done);
    const std::set<qint64> stored = bookingIds(DbPath);
    EXPECT_TRUE(std::includes(stored.begin(), stored.end(), writer.committed.begin(), writer.committed.end()));
    EXPECT_EQ(data.value("SELECT book_info FROM tbl_bookings WHERE book_id = " + QString::number(*writer.committed.begin())).toText(),
              writer.firstInfo);
    EXPECT_EQ(data.count("tbl_customers"), 2000);
    EXPECT_EQ(lost, 0);
    std::printf("[ figures  ] %d rounds, %zu bookings committed meanwhile (%d writes refused), %d lost, rights %o group %u kept\n",
                rounds, writer.committed.size(), writer.failed, lost, shared.mode & 07777, shared.group);
}

TEST_F(UnderLoad, BackupAndMoveCopyAWholeStateWithEverythingCommittedBefore)
{
    const QString program = data.folder().write(AppExeName(), "#!");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Writer writer(DbPath, elsewhere.file("stop"));
    ASSERT_TRUE(writer.waitForCommit());

    writer.read();
    std::set<qint64> before = writer.committed;
    const QString target = elsewhere.file("sicherung.mdb");
    plan({ui::Answer::Ok, ui::Answer::Ok});
    dialogs->answerFile(target);
    EXPECT_EQ(BackupDatabase(false).kind, Kind::Done);
    EXPECT_TRUE(db::engine::checkIntegrity(target).isEmpty());
    std::set<qint64> copied = bookingIds(target);
    EXPECT_TRUE(std::includes(copied.begin(), copied.end(), before.begin(), before.end()));
    expectSound(writer, QStringLiteral("backup"));

    writer.read();
    before = writer.committed;
    QString field = DbPath;
    plan({ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Cancel, ui::Answer::Ok});   // move?, still logged in, shortcuts?, ends
    ASSERT_TRUE(QDir().mkpath(elsewhere.file("netz")));
    ASSERT_TRUE(MoveInstallation(elsewhere.file("netz"), field));
    EXPECT_TRUE(db::engine::checkIntegrity(elsewhere.file("netz/test.mdb")).isEmpty());
    copied = bookingIds(elsewhere.file("netz/test.mdb"));
    EXPECT_TRUE(std::includes(copied.begin(), copied.end(), before.begin(), before.end()));
    EXPECT_FALSE(QFileInfo::exists(elsewhere.file("netz/test.mdb-journal")));
    ASSERT_TRUE(OpenDatabaseFile(DbPath, true));
    expectSound(writer, QStringLiteral("move"));
    writer.stop();
    EXPECT_EQ(lost, 0);
}
