#include "core/maintenancelog.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/handler.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "platform/db/error.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <gtest/gtest.h>

namespace {

class MaintenanceRecords : public ::testing::Test {
protected:
    void TearDown() override { ShutdownRequestedHere = false; }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(MaintenanceRecords, RunsAreRecordedInBothPlacesAndReadBack)
{
    const rt::Date when = rt::Date::fromParts(2024, 1, 5, 14, 30);
    const QString target = "/sicher/O'Brien \"neu\"/kopie.mdb";
    RecordBackup(target, "pc1", when);
    RecordDefrag(when.addDays(1));
    EXPECT_EQ(data.count("tbl_preferences"), 1);
    EXPECT_EQ(data.value("SELECT BackupPath FROM tbl_preferences;").toText(), target);
    EXPECT_EQ(data.value("SELECT LastDefragDate FROM tbl_preferences;").toDate(), when.addDays(1));

    const MaintenanceLog log = ReadMaintenanceLog();
    EXPECT_EQ(log.lastBackupSavedDate, when);
    EXPECT_EQ(log.lastDefragDate, when.addDays(1));
    EXPECT_TRUE(log.lastRepairDate.isZero());
    EXPECT_EQ(log.lastBackupSavedOnStation, "pc1");
    EXPECT_EQ(GetPreference("BackupPath", 10, db::Value(QString())).toText(), target);
}

TEST_F(MaintenanceRecords, TheRequestEndsOtherStationsUnattendedAndTheNextStartClearsIt)
{
    ComputerName = "pc1";
    StationId = GetStationPreferences(ComputerName);
    ReadPreferences();
    EXPECT_TRUE(CheckShutdownRequest());

    RequestShutdownAll();
    ASSERT_TRUE(ShutdownRequested());
    // The station that asked and stays goes on.
    ShutdownRequestedHere = true;
    EXPECT_TRUE(CheckShutdownRequest());

    // The first start afterwards takes the request back.
    ReadPreferences();
    EXPECT_FALSE(ShutdownRequested());
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_FALSE(ShutdownRequestedHere);

    RequestShutdownAll();
    std::vector<bool> ends;
    const int work = AtProgramEnd([&ends](bool unattended) { ends.push_back(unattended); });
    // While a handler's question stands the watch leaves the request to its next look.
    EXPECT_TRUE(RunHandler(QStringLiteral("Frage"), [] { CheckShutdownRequestWhenIdle(); }));
    EXPECT_TRUE(ends.empty());
    EXPECT_THROW(CheckShutdownRequestWhenIdle(), ProgramEnded);
    RemoveProgramEndWork(work);
    // Once when the request is seen, before the station decides whether it may
    // end, and once more as it ends; nobody is asked either time.
    EXPECT_EQ(ends, (std::vector<bool>{true, true}));
    ASSERT_TRUE(OpenDatabaseFile(data.path(), true));
    EXPECT_TRUE(data.value("SELECT ws_logindate FROM tbl_workstations;").isNull());
}

// A write of the preferences store that fails (a full disk, say) undoes the
// record's other half and is thrown to the caller, who reports it once the
// write lock is given back: no message stands while other workstations wait.
TEST_F(MaintenanceRecords, AFailedWriteRecordsNothingAndAsksNothingInsideTheWrite)
{
    const rt::Date when = rt::Date::fromParts(2024, 1, 5, 14, 30);
    RecordDefrag(when);
    data.exec("CREATE TRIGGER full_store BEFORE UPDATE ON tbl_preferences2 BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    data.exec("CREATE TRIGGER full_new BEFORE INSERT ON tbl_preferences2 BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
    EXPECT_THROW(RecordDefrag(when.addDays(3)), db::DbError);
    EXPECT_THROW(RequestShutdownAll(), db::DbError);
    EXPECT_EQ(data.value("SELECT LastDefragDate FROM tbl_preferences;").toDate(), when);
    EXPECT_FALSE(data.value("SELECT Shutdown FROM tbl_preferences;").toBool());
    EXPECT_TRUE(dialogs->messages().empty());
}
