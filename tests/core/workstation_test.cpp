#include "core/workstation.h"

#include "core/globals.h"
#include "core/messages.h"
#include "platform/db/error.h"
#include "tests/core/scratch_database.h"
#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace {

class Workstations : public ::testing::Test {
protected:
    void SetUp() override
    {
        StationId = 0;
        StationReadOnly = false;
        ComputerName = QStringLiteral("o'brien-pc");
    }

    // The workstation table of an older database, without the columns named,
    // holding one other station.
    void recreateWithout(const QStringList& missing) const
    {
        static const char* const columns[] = {
            "ws_id INTEGER PRIMARY KEY AUTOINCREMENT", "ws_computername VARCHAR(255) COLLATE JETTEXT",
            "ws_name VARCHAR(255) COLLATE JETTEXT", "ws_logindate DATETIME", "ws_lastaccess DATETIME",
            "ws_ReadOnly BOOLEAN NOT NULL DEFAULT 0", "ws_TableAutoUpdate BOOLEAN NOT NULL DEFAULT 0",
            "ws_TableAutosizeRows BOOLEAN NOT NULL DEFAULT 0", "ws_TableMergeRows BOOLEAN NOT NULL DEFAULT 0",
            "ws_Autostart BOOLEAN NOT NULL DEFAULT 0", "ws_startpage SMALLINT DEFAULT 1",
            "ws_VisiblePages VARCHAR(255) COLLATE JETTEXT"};
        QStringList kept;
        for (const char* column : columns) {
            if (!missing.contains(QString::fromLatin1(column).section(' ', 0, 0)))
                kept << QString::fromLatin1(column);
        }
        data.exec("DROP TABLE tbl_workstations;");
        data.exec("CREATE TABLE tbl_workstations (" + kept.join(", ") + ");");
        data.exec("INSERT INTO tbl_workstations (ws_computername, ws_name) VALUES ('buero', 'Büro');");
    }

    db::Value column(const QString& name) const
    {
        return data.value("SELECT " + name + " FROM tbl_workstations WHERE ws_computername = 'o''brien-pc';");
    }

    test::ScratchDatabase data;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(Workstations, FirstStartCreatesTheRowAndTheSecondFindsIt)
{
    const qint32 id = GetStationPreferences(ComputerName);
    EXPECT_GT(id, 0);
    EXPECT_EQ(column("ws_name").toText(), ComputerName);
    EXPECT_EQ(column("ws_startpage").toLong(), 1);
    EXPECT_FALSE(column("ws_logindate").isNull());
    EXPECT_EQ(StationName, ComputerName);

    data.exec("UPDATE tbl_workstations SET ws_name = 'Rezeption', ws_ReadOnly = -1, ws_startpage = 2;");
    StationId = id;
    EXPECT_EQ(GetStationPreferences(ComputerName.toUpper()), id);
    EXPECT_EQ(data.count("tbl_workstations"), 1);
    EXPECT_EQ(StationName, QStringLiteral("Rezeption"));
    EXPECT_TRUE(StationReadOnly);
    EXPECT_EQ(StartPage, 2);
}

TEST_F(Workstations, HeartbeatAndLogout)
{
    StationId = GetStationPreferences(ComputerName);
    data.exec("UPDATE tbl_workstations SET ws_lastaccess = 1;");
    UpdateWorkstationLastAccess();
    EXPECT_GT(column("ws_lastaccess").toDouble(), 40000.0);

    LogoutWorkstation();
    EXPECT_TRUE(column("ws_logindate").isNull());
    EXPECT_TRUE(column("ws_lastaccess").isNull());
}

TEST_F(Workstations, NameWithAZeroCharacterIsStoredNotTurnedIntoAReadOnlyStation)
{
    ComputerName = QStringLiteral("pc") + QChar(0) + QStringLiteral("'nord");
    StationId = GetStationPreferences(ComputerName);
    EXPECT_GT(StationId, 0);
    EXPECT_FALSE(StationReadOnly);
    EXPECT_EQ(data.value("SELECT ws_name FROM tbl_workstations;").toText(), ComputerName);
    data.exec("UPDATE tbl_workstations SET ws_lastaccess = 1;");
    UpdateWorkstationLastAccess();
    EXPECT_GT(data.value("SELECT ws_lastaccess FROM tbl_workstations;").toDouble(), 40000.0);
    EXPECT_EQ(GetStationPreferences(ComputerName), StationId);
    EXPECT_EQ(data.count("tbl_workstations"), 1);
}

TEST_F(Workstations, MissingReadOnlyColumnIsAddedWithoutAnErrorMessage)
{
    recreateWithout({QStringLiteral("ws_ReadOnly")});
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_GT(GetStationPreferences(ComputerName), 0);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("ws_ReadOnly")));
    EXPECT_FALSE(StationReadOnly);
    EXPECT_EQ(data.count("tbl_workstations", "ws_ReadOnly = 0"), 2);
}

TEST_F(Workstations, MissingAutostartIsHealedWithTrueUnlessTheStartPageWasMissingToo)
{
    recreateWithout({QStringLiteral("ws_Autostart")});
    dialogs->answerMessage(ui::Answer::Ok);
    GetStationPreferences(ComputerName);
    EXPECT_EQ(data.count("tbl_workstations", "ws_Autostart <> 0"), 2);

    recreateWithout({QStringLiteral("ws_Autostart"), QStringLiteral("ws_startpage")});
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    GetStationPreferences(ComputerName);
    EXPECT_EQ(data.count("tbl_workstations", "ws_Autostart = 0"), 2);
    EXPECT_EQ(data.count("tbl_workstations", "ws_startpage = 1"), 2);
}

TEST_F(Workstations, UnreadableRowLeavesTheStationReadOnly)
{
    data.exec("DROP TABLE tbl_workstations;");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(GetStationPreferences(ComputerName), 0);
    EXPECT_TRUE(StationReadOnly);
    // One report that says why, and no attempt to add a column without a name.
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Error while activating the preferences for this workstation in GetStationPreferences()")));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(GetResString(390)));
}

TEST_F(Workstations, NewRowThatCannotBeStoredGivesNoId)
{
    // The table refuses every new row, as a file that another program holds would.
    data.exec("CREATE TRIGGER ws_refuse BEFORE INSERT ON tbl_workstations BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(GetStationPreferences(ComputerName), 0);
    EXPECT_EQ(data.count("tbl_workstations"), 0);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(db::errorText(db::err::ValidationRule)));
}

TEST_F(Workstations, AHandOverWritesOnlyWhileTheRowIsAsAgreedAndLeavesTheOldRowToAnotherComputerThatTookIt)
{
    StationId = GetStationPreferences(ComputerName);
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_name) VALUES ('buero', 'Büro');");
    const QString buero = data.value("SELECT ws_id FROM tbl_workstations WHERE ws_name = 'Büro';").toText();
    const auto of = [&](const QString& id, const char* name) {
        return data.value("SELECT " + QString::fromLatin1(name) + " FROM tbl_workstations WHERE ws_id = " + id);
    };
    const StationRow shown = *ReadStation(buero.toInt());
    StationSettings settings;
    settings.readOnly = true;

    data.exec("UPDATE tbl_workstations SET ws_logindate = 40000 WHERE ws_id = " + buero);
    EXPECT_EQ(HandOverStation(StationId, shown, ComputerName, settings), StationWrite::Changed);
    EXPECT_EQ(column("ws_id").toLong(), StationId);
    EXPECT_FALSE(of(buero, "ws_ReadOnly").toBool());

    const QString own = QString::number(StationId);
    data.exec("UPDATE tbl_workstations SET ws_computername = 'kasse' WHERE ws_id = " + own);
    EXPECT_EQ(HandOverStation(StationId, *ReadStation(buero.toInt()), ComputerName, settings), StationWrite::Stored);
    EXPECT_EQ(of(own, "ws_computername").toText(), "kasse");
    EXPECT_FALSE(of(own, "ws_logindate").isNull());
    EXPECT_EQ(of(buero, "ws_computername").toText(), ComputerName);
    EXPECT_TRUE(of(buero, "ws_ReadOnly").toBool());
    EXPECT_GT(of(buero, "ws_logindate").toDouble(), 40000.0);

    data.exec("DELETE FROM tbl_workstations WHERE ws_id = " + buero);
    EXPECT_EQ(HandOverStation(StationId, shown, ComputerName, settings), StationWrite::Gone);
}
