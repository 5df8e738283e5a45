#include "core/preferences.h"

#include "core/globals.h"
#include "core/password.h"
#include "core/database.h"
#include "platform/db/database.h"
#include "tests/core/scratch_database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class PreferencesStore : public ::testing::Test {
protected:
    db::Value stored(const QString& name, const QString& column) const
    {
        return data.value("SELECT " + column + " FROM tbl_preferences2 WHERE prf_name = '" + name + "';");
    }
    int type(const QString& name) const { return stored(name, "prf_data_type").toLong(); }
    void store(const QString& name, int dataType, const QString& column, const QString& sqlValue) const
    {
        data.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, %1) VALUES ('%2', %3, %4);")
                      .arg(column, name, QString::number(dataType), sqlValue));
    }

    test::ScratchDatabase data;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(PreferencesStore, FirstStartCreatesEveryKeyWithItsMappedType)
{
    ReadPreferences();
    EXPECT_EQ(data.count("tbl_preferences2"), 21);
    for (const char* key : {"MaxWeekCols", "BackupReminder", "MailSeekInterval", "DayTableFontSize"})
        EXPECT_EQ(type(key), 4) << key;
    EXPECT_EQ(stored("MaxWeekCols", "prf_long_value").toLong(), 30);
    EXPECT_EQ(stored("MailSeekInterval", "prf_long_value").toLong(), 20);
    EXPECT_EQ(type("LastDefragDate"), 8);
    EXPECT_EQ(stored("LastDefragDate", "prf_date_value").toDouble(), 0.0);
    EXPECT_EQ(type("BackupPath"), 10);
    EXPECT_EQ(stored("BackupPath", "prf_text_value"), db::Value(QString()));
    EXPECT_EQ(MaxWeekCols, 30);
    EXPECT_EQ(PrinterTopOffset, -1000);

    ReadPreferences();
    EXPECT_EQ(data.count("tbl_preferences2"), 21);
}

TEST_F(PreferencesStore, RowCreatedMeanwhileByAnotherWorkstationIsTakenNotReported)
{
    // Another workstation stores the row between this one's look and its insert.
    data.exec("CREATE TRIGGER other_station BEFORE INSERT ON tbl_preferences2 WHEN NEW.prf_name = 'MaxWeekCols' BEGIN "
              "INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_long_value) VALUES ('MaxWeekCols', 4, 45); END;");
    EXPECT_EQ(GetPreference("MaxWeekCols", 3, db::Value(30)).toDouble(), 45.0);
    EXPECT_EQ(data.count("tbl_preferences2"), 1);

    data.exec("DROP TRIGGER other_station;");
    data.exec("CREATE TRIGGER other_station BEFORE INSERT ON tbl_preferences2 WHEN NEW.prf_name = 'BackupPath' BEGIN "
              "INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_text_value) VALUES ('BackupPath', 10, '/dort'); END;");
    SavePreference("BackupPath", db::Value("/hier"), 10);
    EXPECT_EQ(stored("BackupPath", "prf_text_value").toText(), QStringLiteral("/hier"));
    EXPECT_EQ(data.count("tbl_preferences2"), 2);
}

TEST_F(PreferencesStore, WriteProtectedFileGetsNoRowsAndNoMessages)
{
    store("MaxWeekCols", 4, "prf_long_value", "40");
    db::Database::setReadOnlyStandIn(true);
    Db = db::Database::open(data.path());
    db::Database::setReadOnlyStandIn(false);
    ReadPreferences();
    EXPECT_EQ(MaxWeekCols, 40);
    EXPECT_EQ(NormalTerminColor, 0xEEEEEE);
    EXPECT_EQ(data.count("tbl_preferences2"), 1);
}

TEST_F(PreferencesStore, StartValuesBesidesTheKeys)
{
    AppPath = QStringLiteral("/opt/velmorant/");
    ImageDir.clear();
    ReadPreferences();
    const rt::Date today = rt::Date::today();
    EXPECT_EQ(SelectedPeriod[0], today.atNoon());
    EXPECT_EQ(SelectedPeriod[1], today.addDays(1).atNoon());
    EXPECT_EQ(ImageDir, QStringLiteral("/opt/velmorant/images/"));
    EXPECT_EQ(FloorNames[0], QStringLiteral("Untergeschoss"));
    EXPECT_EQ(FloorNames[1], QStringLiteral("Erdgeschoss"));
    EXPECT_EQ(FloorNames[11], QStringLiteral("10. Stockwerk"));
    EXPECT_EQ(FloorNames[15], QStringLiteral("14. Stockwerk"));
    EXPECT_EQ(FloorNames[16], QString());
    ImageDir.clear();
}

TEST_F(PreferencesStore, TextDefaultIsEmptyAndTheTypeIsFixedAtCreation)
{
    EXPECT_EQ(GetPreference("Herr O'Neill", 10, db::Value("abc")), db::Value(QString()));
    EXPECT_EQ(stored("Herr O''Neill", "prf_text_value"), db::Value(QString()));

    SavePreference("Wert", db::Value("12"), 10);
    EXPECT_EQ(GetPreference("Wert", 4, db::Value(0)), db::Value("12"));
    SavePreference("Wert", db::Value(34), 4);
    EXPECT_EQ(stored("Wert", "prf_text_value").toText(), QStringLiteral("34"));
    EXPECT_TRUE(stored("Wert", "prf_long_value").isNull());

    SavePreference("Faktor", db::Value(2.5), 7);
    EXPECT_EQ(type("Faktor"), 6);
}

TEST_F(PreferencesStore, NullValuesReadAsZero)
{
    store("Zahl", 4, "prf_long_value", "NULL");
    store("Datum", 8, "prf_date_value", "NULL");
    EXPECT_EQ(GetPreference("Zahl", 4, db::Value(7)).toDouble(), 0.0);
    EXPECT_TRUE(GetPreference("Datum", 8, db::Value(rt::Date(5))).toDate().isZero());
}

TEST_F(PreferencesStore, StartAdjustsStoredValues)
{
    store("NormalTerminColor", 4, "prf_long_value", "-1193046");
    store("PrinterTopOffset", 4, "prf_long_value", "10");
    store("DayTableFontSize", 4, "prf_long_value", "5");
    store("Shutdown", 1, "prf_bool_value", "-1");
    ReadPreferences();
    EXPECT_EQ(NormalTerminColor, 1193046);
    EXPECT_EQ(PrinterTopOffset, -1000);
    EXPECT_EQ(DayTableFontSize, 8);
    EXPECT_FALSE(stored("Shutdown", "prf_bool_value").toBool());

    data.exec("UPDATE tbl_preferences2 SET prf_long_value = 11 WHERE prf_name = 'PrinterTopOffset';");
    data.exec("UPDATE tbl_preferences2 SET prf_long_value = 6 WHERE prf_name = 'DayTableFontSize';");
    ReadPreferences();
    EXPECT_EQ(PrinterTopOffset, 11);
    EXPECT_EQ(DayTableFontSize, 6);
}

TEST_F(PreferencesStore, ValueOutsideItsRangeIsReportedAndTheStartGoesOn)
{
    store("MaxWeekCols", 4, "prf_long_value", "300");
    store("DayTableFontSize", 10, "prf_text_value", "'groß'");
    store("KeepAdrList", 1, "prf_bool_value", "-1");
    MaxWeekCols = 0;
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    ReadPreferences();

    const auto messages = dialogs->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].title, QStringLiteral("Fehler 6 beim Einlesen der Programmeinstellungen"));
    EXPECT_TRUE(messages[0].text.startsWith(
        QStringLiteral("Fehler beim Einlesen der Programmeinstellungen aus Tabelle \"Preferences2\"\n\n")));
    EXPECT_EQ(messages[1].title, QStringLiteral("Fehler 13 beim Einlesen der Programmeinstellungen"));
    EXPECT_EQ(MaxWeekCols, 30);
    EXPECT_EQ(DayTableFontSize, 8);
    EXPECT_TRUE(KeepAdrList);
}

TEST_F(PreferencesStore, AdministratorPasswordSurvivesItsStoredForm)
{
    // "ü" in third place scrambles to a zero character; the row must keep it.
    SavePreference("AdminPW", db::Value(ScramblePassword(QStringLiteral("xxü-Zugang"))), 10);
    ReadPreferences();
    EXPECT_EQ(AdminPassword, QStringLiteral("xxü-Zugang"));
    EXPECT_TRUE(AdminPasswordActive);
    AdminPassword.clear();
}

TEST_F(PreferencesStore, ReadFailureIsReported)
{
    data.exec("DROP TABLE tbl_preferences2;");
    dialogs->answerMessage(ui::Answer::Ok);
    bool ok = true;
    EXPECT_TRUE(GetPreference("MaxWeekCols", 4, db::Value(30), &ok).isNull());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Fehler beim Lesen des Parameters \"MaxWeekCols\" aus der Tabelle \"tbl_preferences2\"\n\n")));
}

TEST(DeliveredPreferences, EveryKeyIsThereSoNoStartCreatesARow)
{
    test::GlobalsScope globals;
    test::TempFolder folder;
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORANT_DELIVERED_DB), folder.file("velmorant.mdb")));
    Db = db::Database::open(folder.file("velmorant.mdb"));
    auto count = [] {
        return Db->openRecordset("SELECT Count(*) AS n FROM tbl_preferences2;", db::OpenMode::ForwardOnlyReadOnly)
            .value("n")
            .toLong();
    };
    const qint32 delivered = count();
    {
        test::DialogScope dialogs;
        ReadPreferences();
    }
    EXPECT_EQ(count(), delivered);
    EXPECT_EQ(MaxWeekCols, 30);
    EXPECT_EQ(PrinterTopOffset, -1000);
    // The settings window saves its two flags with type 10; delivered as Booleans they stay Booleans.
    for (const char* flag : {"BearbeiterSubscriptionRequired", "TableToolTipsEnabled"})
        EXPECT_EQ(GetPreference(QString::fromLatin1(flag), 10, db::Value(false)), db::Value(false)) << flag;
    EXPECT_EQ(count(), delivered);
    CloseProgramDatabase();
}
