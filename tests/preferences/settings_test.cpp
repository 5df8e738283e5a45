#include "preferences/frmVorgaben.h"
#include "preferences/settings.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/runtime/color.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"
#include "tests/support/window_hooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// Every stored value of the tables the settings window writes, as text.
QStringList storedRows()
{
    QStringList rows;
    for (const char* table : {"tbl_preferences2", "tbl_workstations"}) {
        db::Recordset rs = Db->openRecordset(QString::fromLatin1(table), db::OpenMode::ForwardOnlyReadOnly);
        for (; !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i)
                values << rs.field(i).value().toText();
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppPath = data.folder().path();
        DbFileName = QStringLiteral("test.mdb");
        DbPath = data.path();
        ComputerName = QStringLiteral("pc1");
        StationId = GetStationPreferences(ComputerName);
        ReadPreferences();
    }
    void TearDown() override
    {
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
    }
    QByteArray ini() const { return data.folder().read(AppExeName() + ".ini"); }
    void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    frmVorgaben& window()
    {
        frmVorgaben::showWindow();
        return frmVorgaben::instance();
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::WindowHooks windows;
    test::DialogScope dialogs;
};

}  // namespace

TEST(SettingsLimits, DayCountAndFontSizeStayWhereTheSettingCanHoldThem)
{
    EXPECT_EQ(LimitDayCount("5"), "7");
    EXPECT_EQ(LimitDayCount("abc"), "abc");
    EXPECT_EQ(LimitDayCount("400"), "255");
    EXPECT_EQ(LimitDayCount("255"), "255");
    EXPECT_EQ(LimitDayCount("30"), "30");
    EXPECT_EQ(StepFontSize("14", 0), "14");
    EXPECT_EQ(StepFontSize("8", 1), "8");
    EXPECT_EQ(StepFontSize("10", 0), "11");
}

// What each typed number field stores, or "refused" when the save refuses it.
TEST(SettingsNumbers, TextAndFractionsAreRefusedWholeNumbersStored)
{
    // Typed, then stored as the left margin (negated), the font size (refused beyond 8 to 14) and the day count (7 to 255).
    const char* const cases[][4] = {{"abc", "refused", "refused", "refused"}, {"", "0", "refused", "refused"},
                                    {"-0", "0", "refused", "7"}, {"1e5", "-100000", "refused", "255"},
                                    {"99999999999", "refused", "refused", "255"}, {"3,14159", "refused", "refused", "refused"},
                                    {"1,2,3", "refused", "refused", "refused"}, {"1.440", "-1440", "refused", "255"},
                                    {"12", "-12", "12", "12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        SettingsFields fields;
        fields.printerLeftOffset = fields.printerTopOffset = "0";
        fields.fontSize = "10";
        fields.maxWeekCols = "30";
        const auto outcome = [&fields](const char* name, SettingsProblem::Field field) -> QString {
            if (CheckSettings(fields).field == field)
                return "refused";
            return SharedSettingValues(fields).value(name).toText();
        };
        fields.printerLeftOffset = c[0];
        EXPECT_EQ(outcome("printerleftoffset", SettingsProblem::Field::PrinterLeftOffset), c[1]);
        fields.printerLeftOffset = "0";
        fields.fontSize = c[0];
        EXPECT_EQ(outcome("daytablefontsize", SettingsProblem::Field::FontSize), c[2]);
        fields.fontSize = "10";
        fields.maxWeekCols = c[0];
        EXPECT_EQ(outcome("maxweekcols", SettingsProblem::Field::MaxWeekCols), c[3]);
    }
}

TEST(SettingsChanges, AnEditedFieldThatShowedItsStoredValueNormalisedIsWrittenAnUntouchedOneNever)
{
    // As the window shows what is stored below.
    SettingsFields shown;
    shown.printerLeftOffset = "0";
    shown.printerTopOffset = "1000";
    shown.fontSize = "8";
    shown.maxWeekCols = "3";
    shown.normalTerminColor = shown.tableFixedRowColBackColor = 0xEEEEEE;
    shown.password = "Geheim";
    shown.terminAutoUpdate = true;
    const db::Value null;
    StoredSettings stored;
    stored.shared = {{"printerleftoffset", null}, {"printertopoffset", 10}, {"bearbeitersubscriptionrequired", null},
                     {"backupreminder", 0.4}, {"backupdate2filename", null}, {"mwst_included", null},
                     {"tabletooltipsenabled", "nein"}, {"daytablefontsize", 3}, {"maxweekcols", 3},
                     {"normaltermincolor", -0xEEEEEE}, {"tablefixedrowcolbackcolor", null},
                     {"adminpw", ScramblePassword("Geheim").left(6)}};
    stored.station = {{"ws_readonly", null}, {"ws_tableautoupdate", 5}, {"ws_autostart", null}, {"ws_startpage", null}};
    EXPECT_FALSE(ChangedSettings(shown, shown, stored, {}).any());

    // Each field edited alone: its own column, and only that one.
    QSet<QString> columns;
    for (int field = 0; field <= static_cast<int>(SettingsField::Autostart); ++field) {
        const SettingsChanges changes = ChangedSettings(shown, shown, stored, {static_cast<SettingsField>(field)});
        const QStringList changed = changes.shared.keys() + changes.station.keys();
        EXPECT_EQ(changed.size(), 1) << field;
        columns.unite(QSet<QString>(changed.begin(), changed.end()));
    }
    EXPECT_EQ(columns.size(), stored.shared.size() + stored.station.size());
}

TEST_F(SettingsWindow, ShowsTheStoredValuesOfThisWorkstation)
{
    data.exec("UPDATE tbl_workstations SET ws_ReadOnly = -1, ws_Autostart = -1, ws_startpage = 2 WHERE ws_computername = 'pc1';");
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_name) VALUES ('pc2', 'Rezeption');");
    StationId = GetStationPreferences(ComputerName);
    // Stored by another workstation after this one started.
    MaxWeekCols = 30;
    std::unique_ptr<db::Database> other = db::Database::open(data.path());
    other->execute("UPDATE tbl_preferences2 SET prf_long_value = 42 WHERE prf_name = 'MaxWeekCols';");
    other->execute("UPDATE tbl_preferences2 SET prf_bool_value = -1 WHERE prf_name = 'MwSt_included';");
    frmVorgaben& w = window();
    EXPECT_TRUE(w.databaseMode());
    EXPECT_EQ(w.tbDBName->text(), data.path());
    EXPECT_EQ(w.tbMaxWeekCols->text(), "42");
    EXPECT_TRUE(w.optMwSt_included[1]->isChecked());
    EXPECT_EQ(MaxWeekCols, 42);
    EXPECT_EQ(w.tbPrinterTopOffset->text(), "1000");
    EXPECT_TRUE(w.chkStation_is_ReadOnly->isChecked());
    EXPECT_TRUE(w.chkCreateAutostartLink->isChecked());
    EXPECT_EQ(w.listStartupForm->currentText(), "Mandanten-Übersicht");
    ASSERT_EQ(w.listStations->count(), 2);
    EXPECT_EQ(w.listStations->currentData().toInt(), StationId);
    EXPECT_EQ(w.listStations->itemText(1), "Rezeption");
    EXPECT_EQ(w.tbPassword->echoMode(), QLineEdit::Password);
}

TEST_F(SettingsWindow, SavedValuesAreReadBackByAFreshStart)
{
    dialogs->answerColor(QColor(0x12, 0x34, 0x56));
    frmVorgaben& w = window();
    w.tbFontSize->setText("12");
    w.tbMaxWeekCols->setText("60");
    w.tbPrinterLeftOffset->setText("-150");
    w.optMwSt_included[1]->setChecked(true);
    w.optBackupReminder[2]->setChecked(true);
    w.chkBackupDate2FileName->setChecked(true);
    w.chkTableToolTipsEnabled->setChecked(true);
    w.chkBearbeiterSubscriptionRequired->setChecked(true);
    w.chkTerminAutoUpdate->setChecked(true);
    w.listStartupForm->setCurrentIndex(1);
    w.tbPassword->setText("  Geheim ");
    QTest::mouseClick(w.lbNormalTerminColor, Qt::LeftButton);
    // Clicking the VAT option alone changes nothing until the save.
    EXPECT_FALSE(MwStIncluded);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(windows.mainShown, 1);

    // A fresh start.
    DayTableFontSize = MaxWeekCols = BackupReminder = 0;
    PrinterLeftOffset = NormalTerminColor = 0;
    MwStIncluded = TableAutoUpdate = false;
    AdminPassword.clear();
    StartPage = 0;
    ReadPreferences();
    StationId = GetStationPreferences(ComputerName);
    EXPECT_EQ(DayTableFontSize, 12);
    EXPECT_EQ(MaxWeekCols, 60);
    EXPECT_EQ(PrinterLeftOffset, 150);
    EXPECT_EQ(NormalTerminColor, rt::rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(BackupReminder, 2);
    EXPECT_TRUE(MwStIncluded);
    EXPECT_EQ(AdminPassword, "Geheim");
    EXPECT_TRUE(TableAutoUpdate);
    EXPECT_EQ(StartPage, 2);
    frmVorgaben& again = window();
    EXPECT_TRUE(again.chkBackupDate2FileName->isChecked());
    EXPECT_TRUE(again.chkTableToolTipsEnabled->isChecked());
    EXPECT_TRUE(again.chkBearbeiterSubscriptionRequired->isChecked());
}

TEST_F(SettingsWindow, AnUntouchedSaveChangesNothingStoredNorTheSettingsFileAnotherDeskWrote)
{
    frmVorgaben& w = window();
    const QStringList before = storedRows();
    // The program folder is shared: another desk chose the next start's database.
    data.folder().write(AppExeName() + ".ini", "DBname=andere.mdb\r\n");
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(ini(), QByteArray("DBname=andere.mdb\r\n"));
}

TEST_F(SettingsWindow, AChangedDatabaseFieldReplacesASettingsFileChangedSinceTheWindowReadItOnlyAfterAQuestion)
{
    const SettingsFileContent atLoad = ReadOwnSettingsFile();
    data.folder().write(AppExeName() + ".ini", "DBname=dritte.mdb\r\n");
    dialogs->answerMessage(ui::Answer::No);
    SaveDatabaseSettingForNextStart("neu.mdb", DbPath, atLoad);
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Einstellungsdatei \"" + data.folder().file(AppExeName() + ".ini")
                  + "\" wurde inzwischen an anderer Stelle geändert: Datenbank jetzt \"dritte.mdb\". Trotzdem "
                    "\"neu.mdb\" für den nächsten Start eintragen?\n\nJa: die Datei mit Ihrer Eingabe neu schreiben.\n"
                    "Nein: die Datei lassen, wie sie ist.");
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_EQ(ini(), QByteArray("DBname=dritte.mdb\r\n"));

    // Changed again while the question stood: Ja was about the other file, so it is asked anew.
    dialogs->whileAsked("Die Einstellungsdatei", [this] { data.folder().write(AppExeName() + ".ini", "DBname=vierte.mdb\r\n"); });
    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::No);
    SaveDatabaseSettingForNextStart("neu.mdb", DbPath, atLoad);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Datenbank jetzt \"vierte.mdb\""));
    EXPECT_EQ(ini(), QByteArray("DBname=vierte.mdb\r\n"));

    dialogs->answerMessage(ui::Answer::Yes);
    dialogs->answerMessage(ui::Answer::Ok);
    SaveDatabaseSettingForNextStart("neu.mdb", DbPath, atLoad);
    EXPECT_EQ(ini(), QByteArray("DBname=neu.mdb\r\n"));
}

TEST_F(SettingsWindow, TypedLimitsAreKeptAndRefusedValuesNamed)
{
    frmVorgaben& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    typeInto(w.tbMaxWeekCols, "5");
    QTest::keyClick(w.tbMaxWeekCols, Qt::Key_Return);
    EXPECT_EQ(w.tbMaxWeekCols->text(), "7");
    EXPECT_TRUE(frmVorgaben::isLoaded());
    typeInto(w.tbMaxWeekCols, "1000");
    typeInto(w.tbPrinterTopOffset, "99999999999");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, "Bitte geben Sie den Druckrand als ganze Zahl in Twips ein.");
    // The day count was shown limited as soon as the field was left.
    EXPECT_EQ(w.tbMaxWeekCols->text(), "255");

    // A font size beyond its range is refused, not stored as 14 unseen.
    typeInto(w.tbPrinterTopOffset, "0");
    typeInto(w.tbFontSize, "99");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, "Bitte geben Sie die Schriftgröße als ganze Zahl von 8 bis 14 ein.");
    EXPECT_EQ(w.tbFontSize->text(), "99");

    typeInto(w.tbFontSize, "14");
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_EQ(MaxWeekCols, 255);
    EXPECT_EQ(DayTableFontSize, 14);
    EXPECT_EQ(GetPreference("MaxWeekCols", 4, db::Value(30)).toLong(), 255);
}

TEST_F(SettingsWindow, AFontSizeOrDayCountThatIsNoWholeNumberIsRefusedAndStaysAsTyped)
{
    const db::Value before = data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'DayTableFontSize'");
    frmVorgaben& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    typeInto(w.tbFontSize, "abc");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, "Bitte geben Sie die Schriftgröße als ganze Zahl von 8 bis 14 ein.");
    EXPECT_EQ(w.tbFontSize->text(), "abc");
    EXPECT_TRUE(w.tbFontSize->hasFocus());
    EXPECT_EQ(data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'DayTableFontSize'"), before);

    // The day count left for the button is not replaced by 7 on the way.
    typeInto(w.tbFontSize, "12");
    typeInto(w.tbMaxWeekCols, "1,2,3");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().text, "Bitte geben Sie die Anzahl Tage im Zeitplan als ganze Zahl von 7 bis 255 ein.");
    EXPECT_EQ(w.tbMaxWeekCols->text(), "1,2,3");
    EXPECT_TRUE(w.tbMaxWeekCols->hasFocus());
    EXPECT_EQ(data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'DayTableFontSize'"), before);
}

TEST_F(SettingsWindow, ByKeysEscapeClosesAnUntouchedWindowTheColoursOpenAndAChangeIsAskedAbout)
{
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    press(Qt::Key_Escape);
    EXPECT_FALSE(frmVorgaben::isLoaded());

    frmVorgaben& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(w.tbMaxWeekCols, Qt::LeftButton);
    const QImage unfocused = w.lbNormalTerminColor->grab().toImage();
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.lbNormalTerminColor);
    EXPECT_NE(w.lbNormalTerminColor->grab().toImage(), unfocused) << "no focus frame";
    dialogs->answerColor(QColor(0x12, 0x34, 0x56));
    press(Qt::Key_Space);
    press(Qt::Key_Tab);
    dialogs->answerColor(QColor(0x65, 0x43, 0x21));
    press(Qt::Key_Return);
    EXPECT_EQ(BackColor(w.lbNormalTerminColor), rt::rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(BackColor(w.lbTableFixedRowColBackColor), rt::rgb(0x65, 0x43, 0x21));

    // Changed: Escape asks, and Enter gives No, which keeps the window.
    dialogs->answerMessage(ui::Answer::No);
    press(Qt::Key_Escape);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    dialogs->answerMessage(ui::Answer::Yes);
    press(Qt::Key_Escape);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    ReadPreferences();
    EXPECT_NE(NormalTerminColor, rt::rgb(0x12, 0x34, 0x56));
}

TEST_F(SettingsWindow, ClosedByTheWindowManagerAfterAChangeItAsksAsEscapeDoes)
{
    frmVorgaben& w = window();
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    // Closing the question is the harmless answer: the window stays.
    dialogs->answerEscape();
    w.windowHandle()->close();
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Sie haben Einstellungen geändert.")));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    dialogs->answerMessage(ui::Answer::Yes);
    w.windowHandle()->close();
    EXPECT_FALSE(frmVorgaben::isLoaded());
}

TEST_F(SettingsWindow, ReadOnlyWorkstationStoresNothingUnlessTheFlagIsLifted)
{
    data.exec("UPDATE tbl_workstations SET ws_ReadOnly = -1;");
    // Shown as 8.
    data.exec("UPDATE tbl_preferences2 SET prf_long_value = 3 WHERE prf_name = 'DayTableFontSize';");
    StationId = GetStationPreferences(ComputerName);
    ASSERT_TRUE(StationReadOnly);
    frmVorgaben& w = window();
    const QStringList before = storedRows();
    typeInto(w.tbFontSize, "8");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));
    EXPECT_EQ(storedRows(), before);
    EXPECT_TRUE(frmVorgaben::isLoaded());

    w.SSTab1->setCurrentIndex(1);
    QTest::mouseClick(w.chkStation_is_ReadOnly, Qt::LeftButton, {}, QPoint(8, w.chkStation_is_ReadOnly->height() / 2));
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(StationReadOnly);
    EXPECT_FALSE(data.value("SELECT ws_ReadOnly FROM tbl_workstations;").toBool());
    EXPECT_EQ(data.value("SELECT prf_long_value FROM tbl_preferences2 WHERE prf_name = 'DayTableFontSize';").toLong(), 8);
}

TEST_F(SettingsWindow, ChoosingAFreeWorkstationRowHandsItToThisComputer)
{
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_name) VALUES ('alt', 'Rezeption');");
    const qint32 other = data.value("SELECT ws_id FROM tbl_workstations WHERE ws_name = 'Rezeption';").toLong();
    const qint32 own = StationId;
    frmVorgaben& w = window();
    w.SSTab1->setCurrentIndex(1);
    w.listStations->setFocus();
    QTest::keyClick(w.listStations, Qt::Key_Down);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_EQ(StationId, other);
    EXPECT_EQ(StationName, "Rezeption");
    EXPECT_EQ(data.value("SELECT ws_computername FROM tbl_workstations WHERE ws_id = " + QString::number(other)).toText(),
              "pc1");
    EXPECT_EQ(data.value("SELECT ws_computername FROM tbl_workstations WHERE ws_id = " + QString::number(own)).toText(),
              "");
    EXPECT_TRUE(data.value("SELECT ws_logindate FROM tbl_workstations WHERE ws_id = " + QString::number(own)).isNull());
}

TEST_F(SettingsWindow, APasswordLongerThanItsStoredFormIsRefusedAndOneThatFitsStaysAsTyped)
{
    frmVorgaben& w = window();
    w.tbPassword->clear();
    QTest::keyClicks(w.tbPassword, "Siebzehn Zeichen!");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, "Das Administrator-Passwort darf höchstens 16 Zeichen lang sein; eingegeben wurden 17.");
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(w.focusWidget(), w.tbPassword);
    EXPECT_TRUE(AdminPassword.isEmpty());
    // Refused by the save itself too, whoever calls it.
    SettingsFields shown = SettingsFromGlobals();
    shown.password = "Siebzehn Zeichen!";
    const QStringList before = storedRows();
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(SaveSettings(shown, SettingsFromGlobals(), {}), SaveOutcome::Refused);
    EXPECT_EQ(storedRows(), before);

    QTest::keyClick(w.tbPassword, Qt::Key_Backspace);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    // The next start knows it as typed, and takes it.
    AdminPassword.clear();
    ReadPreferences();
    EXPECT_EQ(AdminPassword, "Siebzehn Zeichen");
    dialogs->answerPassword(QStringLiteral("Siebzehn Zeichen"));
    EXPECT_TRUE(CheckAdminPassword(false));
}

TEST_F(SettingsWindow, ADatabaseTypedWhileOneIsOpenIsUsedFromTheNextStartAndSaidSo)
{
    const QString open = DbPath;
    frmVorgaben& w = window();
    w.tbDBName->selectAll();
    QTest::keyClicks(w.tbDBName, "andere.mdb");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    const QString told = dialogs->lastMessage().text;
    EXPECT_TRUE(told.contains(data.folder().file("andere.mdb") + "\" wird ab dem nächsten Start"));
    EXPECT_TRUE(told.contains("Eine Datei dieses Namens gibt es im Moment nicht."));
    EXPECT_EQ(ini(), QByteArray("DBname=andere.mdb\r\n"));
    // Until then the open file is the one worked on, maintenance included.
    EXPECT_EQ(DbPath, open);
    EXPECT_EQ(DbFileName, "test.mdb");
    EXPECT_EQ(Db->path(), open);
}

namespace {

// Station B saves settings for all workstations while station A has the
// settings window open.
class TwoDesksOnTheSettings : public SettingsWindow {
protected:
    static qint32 stored(const char* name) { return GetPreference(QString::fromLatin1(name), 4, db::Value(0)).toLong(); }
    // What B's settings window stores.
    void otherSaves(const char* name, int value)
    {
        other.run([&] { SavePreference(QString::fromLatin1(name), db::Value(value), 10); });
    }

    test::OtherStation other{data.path()};
};

}  // namespace

TEST_F(TwoDesksOnTheSettings, ASettingOnlyTheOtherDeskChangedKeepsItsValueWithoutAQuestion)
{
    frmVorgaben& w = window();
    otherSaves("MaxWeekCols", 42);
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("DayTableFontSize"), 9);
    EXPECT_EQ(stored("MaxWeekCols"), 42);
    // This workstation goes on with the settings as stored.
    EXPECT_EQ(MaxWeekCols, 42);
    EXPECT_EQ(DayTableFontSize, 9);
}

TEST_F(TwoDesksOnTheSettings, SettingsBothDesksChangedAreAskedAboutOnceAndEachAnswerDoesWhatItSays)
{
    frmVorgaben& w = window();
    otherSaves("MaxWeekCols", 42);
    otherSaves("DayTableFontSize", 10);
    typeInto(w.tbMaxWeekCols, "60");
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    typeInto(w.tbPrinterLeftOffset, "-150");

    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Jede der folgenden Programm-Einstellungen wurde inzwischen an anderer Stelle geändert: "
        "Schriftgröße im Tagesplan jetzt 10; Anzahl Tage im Zeitplan jetzt 42. Ihre Änderungen trotzdem speichern?"))
        << dialogs->lastMessage().text.toStdString();
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(w.tbMaxWeekCols->text(), "60");
    EXPECT_EQ(stored("PrinterLeftOffset"), 0);
    EXPECT_TRUE(ini().isEmpty());

    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(stored("MaxWeekCols"), 42);
    EXPECT_EQ(stored("DayTableFontSize"), 10);
    EXPECT_EQ(stored("PrinterLeftOffset"), 150);
    EXPECT_EQ(MaxWeekCols, 42);
    EXPECT_EQ(PrinterLeftOffset, 150);

    frmVorgaben& again = window();
    otherSaves("MaxWeekCols", 50);
    typeInto(again.tbMaxWeekCols, "70");
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(again.btnSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Die Programm-Einstellung wurde inzwischen an anderer Stelle geändert: Anzahl Tage im Zeitplan jetzt 50."));
    EXPECT_EQ(stored("MaxWeekCols"), 70);
    EXPECT_EQ(dialogs->messages().size(), 3u);
}

TEST_F(TwoDesksOnTheSettings, AFailedWriteStoresNoSettingAndKeepsTheWindowOpen)
{
    frmVorgaben& w = window();
    data.exec("CREATE TRIGGER refuse BEFORE UPDATE ON tbl_preferences2 WHEN NEW.prf_name = 'MaxWeekCols' "
              "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    // The font size is written first, the day count fails.
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    typeInto(w.tbMaxWeekCols, "60");
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(db::errorText(db::err::ValidationRule)))
        << dialogs->lastMessage().text.toStdString();
    EXPECT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(stored("DayTableFontSize"), 8);
    EXPECT_EQ(DayTableFontSize, 8);
}

TEST_F(TwoDesksOnTheSettings, AValueEnteredOverOneShownNormalisedIsWrittenWhereItIsTheValueShown)
{
    // Stored by another tool: shown as 8, 1000, #EEEEEE and 3 (which a save keeps at 7).
    other.exec("UPDATE tbl_preferences2 SET prf_long_value = 3 WHERE prf_name IN ('DayTableFontSize', 'MaxWeekCols');");
    other.exec("UPDATE tbl_preferences2 SET prf_long_value = 10 WHERE prf_name = 'PrinterTopOffset';");
    other.exec("UPDATE tbl_preferences2 SET prf_long_value = -15658734 WHERE prf_name = 'NormalTerminColor';");
    other.exec("UPDATE tbl_workstations SET ws_startpage = NULL WHERE ws_computername = 'pc1';");
    frmVorgaben& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_EQ(w.tbFontSize->text(), "8");
    typeInto(w.tbFontSize, "8");
    typeInto(w.tbPrinterTopOffset, "1000");
    dialogs->answerColor(QColor(0xEE, 0xEE, 0xEE));
    QTest::mouseClick(w.lbNormalTerminColor, Qt::LeftButton);
    // Nothing shows changed, yet a save would store: Escape asks.
    dialogs->answerMessage(ui::Answer::No);
    QTest::keyClick(w.tbFontSize, Qt::Key_Escape);
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Sie haben Einstellungen geändert."));

    w.SSTab1->setCurrentIndex(1);
    QTest::mouseClick(w.chkTerminAutoUpdate, Qt::LeftButton, {}, QPoint(8, w.chkTerminAutoUpdate->height() / 2));
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_FALSE(frmVorgaben::isLoaded());
    EXPECT_EQ(stored("DayTableFontSize"), 8);
    EXPECT_EQ(stored("PrinterTopOffset"), -1000);
    EXPECT_EQ(stored("NormalTerminColor"), 0xEEEEEE);
    // Untouched, they stay as stored.
    EXPECT_EQ(stored("MaxWeekCols"), 3);
    EXPECT_TRUE(data.value("SELECT ws_TableAutoUpdate FROM tbl_workstations WHERE ws_computername = 'pc1'").toBool());
    EXPECT_TRUE(data.value("SELECT ws_startpage FROM tbl_workstations WHERE ws_computername = 'pc1'").isNull());
}

TEST_F(TwoDesksOnTheSettings, AHandOverToARowInUseOrChangedSinceShownIsAskedAboutAndOneDeletedIsTold)
{
    data.exec("INSERT INTO tbl_workstations (ws_computername, ws_name) VALUES ('alt', 'Rezeption'), ('weg', 'Lager');");
    const auto id = [this](const char* computer) {
        return data.value("SELECT ws_id FROM tbl_workstations WHERE ws_computername = '" + QString::fromLatin1(computer) + "'")
            .toLong();
    };
    const qint32 own = StationId, alt = id("alt"), gone = id("weg");
    SettingsView view;
    LoadSettingsFromDatabase(view);
    const auto takeOver = [&view](qint32 station) {
        SettingsFields shown = view.fields;
        shown.stationId = station;
        shown.fontSize = "12";
        return SaveSettings(shown, view.fields, view.stored);
    };
    const QStringList before = storedRows();
    dialogs->answerMessage(ui::Answer::No);
    EXPECT_EQ(takeOver(id("pc2")), SaveOutcome::Cancelled);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Der Arbeitsplatz \"pc2\" ist gerade angemeldet: Computer \"pc2\", angemeldet seit "));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_EQ(storedRows(), before);

    other.exec("DELETE FROM tbl_workstations WHERE ws_id = ?", {gone});
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_EQ(takeOver(gone), SaveOutcome::HandOverGone);
    EXPECT_EQ(dialogs->lastMessage().text, "Der Arbeitsplatz \"Lager\" wurde inzwischen an anderer Stelle gelöscht. Er "
                                           "wurde nicht übernommen, und es wurde nichts gespeichert.");
    EXPECT_EQ(stored("DayTableFontSize"), 8);

    // A third computer took the free row since the list was read.
    other.exec("UPDATE tbl_workstations SET ws_computername = 'pc3', ws_logindate = ? WHERE ws_id = ?",
               {rt::Date::now(), alt});
    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_EQ(takeOver(alt), SaveOutcome::Stored);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Arbeitsplatz \"Rezeption\" wurde inzwischen an anderer "
                                                       "Stelle geändert: Computer jetzt \"pc3\", angemeldet seit "));
    EXPECT_EQ(id("pc1"), alt);
    EXPECT_EQ(id(""), own);
    EXPECT_EQ(stored("DayTableFontSize"), 12);
}

TEST_F(TwoDesksOnTheSettings, ChoosingTheOtherDesksRowInTheListAsksAndNeinKeepsTheWindowAsTyped)
{
    frmVorgaben& w = window();
    w.SSTab1->setCurrentIndex(1);
    w.listStations->setFocus();
    // The other desk's row was made first.
    QTest::keyClick(w.listStations, Qt::Key_Up);
    const QStringList before = storedRows();
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Arbeitsplatz \"pc2\" ist gerade angemeldet"));
    ASSERT_TRUE(frmVorgaben::isLoaded());
    EXPECT_EQ(w.listStations->currentText(), "pc2");
    EXPECT_EQ(storedRows(), before);
}

TEST_F(TwoDesksOnTheSettings, ThisDesksRowTakenOverByAnotherComputerMeanwhileKeepsThatComputer)
{
    frmVorgaben& w = window();
    QTest::mouseClick(w.btnFontSizeStep[0], Qt::LeftButton);
    w.SSTab1->setCurrentIndex(1);
    QTest::mouseClick(w.chkTerminAutoUpdate, Qt::LeftButton, {}, QPoint(8, w.chkTerminAutoUpdate->height() / 2));
    other.exec("UPDATE tbl_workstations SET ws_computername = 'pc3' WHERE ws_id = ?", {StationId});
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnSave, Qt::LeftButton);
    const QString told = dialogs->lastMessage().text;
    EXPECT_TRUE(told.startsWith("Der Arbeitsplatz \"pc1\" wurde inzwischen an anderer Stelle geändert: Computer jetzt "
                                "\"pc3\", angemeldet seit "));
    EXPECT_TRUE(told.endsWith(". Die Einstellungen dieses Arbeitsplatzes wurden nicht gespeichert."));
    const QString row = " FROM tbl_workstations WHERE ws_id = " + QString::number(StationId);
    EXPECT_EQ(data.value("SELECT ws_computername" + row).toText(), "pc3");
    EXPECT_FALSE(data.value("SELECT ws_TableAutoUpdate" + row).toBool());
    EXPECT_FALSE(TableAutoUpdate);
    // The shared settings are stored as for a row deleted meanwhile.
    EXPECT_EQ(stored("DayTableFontSize"), 9);
    EXPECT_FALSE(frmVorgaben::isLoaded());
}
