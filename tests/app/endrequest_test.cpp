// The request that every workstation ends, the plain end and the move of the
// installation, met by one that holds edits nobody has saved: a note typed
// into the plan's booking panel or the booking window, an address changed in
// the address book, a price another workstation changed too.

#include "bookings/frmAdressen.h"
#include "bookings/frmBuchungen.h"
#include "core/dialogs/endrequestnotice.h"
#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "plan/frmStockwerke.h"
#include "preferences/frmVorgaben.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"
#include "tests/support/user_folders.h"
#include "tests/support/window_hooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using test::PlanDb;

class EndRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        const qint32 floor = PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haupthaus")), 0, QStringLiteral("Erdgeschoss"));
        room = PlanDb::addPlace(floor, QStringLiteral("01"), 0, 300, 450);
        guest = PlanDb::addCustomer(QStringLiteral("Meier"), QStringLiteral("Anna"));
        booking = PlanDb::addBooking(room, guest, PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3));
        ComputerName = QStringLiteral("pc1");
        StationId = GetStationPreferences(ComputerName);
        ReadPreferences();
        MandantId = 1;
        SelectedPeriod = {PlanDb::noon(2026, 7, 1), PlanDb::noon(2026, 7, 3)};
        ImageDir = database.folder().path();
        LoadRoomTypes(1);
        other = db::Database::open(database.path());
    }
    void TearDown() override
    {
        if (frmVorgaben::isLoaded())
            delete &frmVorgaben::instance();
        if (frmServices::isLoaded())
            frmServices::unload();
        frmRechnung::unload();
        if (frmAdressen::isLoaded())
            frmAdressen::unload();
        if (frmBuchungen::isLoaded())
            frmBuchungen::unload();
        frmStockwerke::unload();
    }
    // The other workstation sets or clears the request.
    void request(bool on)
    {
        other->execute(QStringLiteral("UPDATE tbl_preferences2 SET prf_bool_value = ? WHERE prf_name = 'Shutdown'"),
                       {db::Value(on)});
    }
    db::Value stored(const QString& sql) const
    {
        return other->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly).field(0).value();
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::UserFolders user;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    std::unique_ptr<db::Database> other;
    qint32 room = 0, guest = 0, booking = 0;
};

}  // namespace

TEST_F(EndRequest, UnsavedEditsKeepTheStationRunningUntilTheyAreSaved)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    QLabel* marker = nullptr;
    for (QLabel* label : plan.lbPlatz) {
        if (label && !label->isHidden() && label->property("Tag").toString().toInt() == room)
            marker = label;
    }
    ASSERT_TRUE(marker);
    QTest::mousePress(marker, Qt::LeftButton);
    ASSERT_EQ(plan.tbBuchungDatum[0]->text(), "01.07.2026");
    // A booking only looked at holds nothing unsaved.
    EXPECT_TRUE(UnsavedEdits().isEmpty());
    plan.tbBuchungInfo->setFocus();
    QTest::keyClicks(plan.tbBuchungInfo, QStringLiteral("Allergie: Nuesse"));
    frmAdressen::ShowAdresse(guest, &plan);
    frmAdressen& book = frmAdressen::instance();
    book.tbEntry[entry::City]->setFocus();
    QTest::keyClicks(book.tbEntry[entry::City], QStringLiteral("Bremen"));

    request(true);
    EXPECT_TRUE(CheckShutdownRequest());
    ASSERT_EQ(windows.endNotices.size(), 1u);
    EXPECT_EQ(windows.endNotices.back(),
              (QStringList{QStringLiteral("Belegungsplan: Änderungen an der Reservierung für \"Meier, Anna\""),
                           QStringLiteral("Adressbuch: Änderungen an der Adresse \"Anna Meier\"")}));
    // Nothing was stored unasked, nothing thrown away, and the station is still logged in.
    EXPECT_EQ(plan.tbBuchungInfo->text(), "Allergie: Nuesse");
    EXPECT_EQ(book.tbEntry[entry::City]->text(), "Bremen");
    EXPECT_TRUE(stored("SELECT book_info FROM tbl_bookings").toText().isEmpty());
    EXPECT_TRUE(stored("SELECT cust_city FROM tbl_customers").toText().isEmpty());
    EXPECT_FALSE(stored("SELECT ws_LoginDate FROM tbl_workstations").isNull());

    // A start elsewhere clears the flag: this station was asked and still ends once saved.
    request(false);
    QTest::mouseClick(plan.cmdSaveBooking, Qt::LeftButton);
    EXPECT_EQ(stored("SELECT book_info FROM tbl_bookings").toText(), "Allergie: Nuesse");
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_EQ(windows.endNotices.back(), QStringList{QStringLiteral("Adressbuch: Änderungen an der Adresse \"Anna Meier\"")});

    QTest::mouseClick(book.cmdSave, Qt::LeftButton);
    EXPECT_EQ(stored("SELECT cust_city FROM tbl_customers").toText(), "Bremen");
    EXPECT_THROW(CheckShutdownRequest(), ProgramEnded);
    EXPECT_TRUE(windows.endNotices.back().isEmpty());
    EXPECT_TRUE(stored("SELECT ws_LoginDate FROM tbl_workstations").isNull());
}

TEST_F(EndRequest, TheNoticeNamesWhatIsUnsavedAndGivesUpOnlyWhenTheUserAgrees)
{
    const int edit = RegisterUnsavedEdit([] { return QStringLiteral("Adressbuch: eine neue Adresse \"Eva Schulz\""); });
    EndRequestNotice::Show({QStringLiteral("Adressbuch: eine neue Adresse \"Eva Schulz\"")});
    EndRequestNotice* notice = EndRequestNotice::loaded();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->lbUnsaved->text(), "- Adressbuch: eine neue Adresse \"Eva Schulz\"");
    dialogs->answerMessage(ui::Answer::Cancel);
    QTest::mouseClick(notice->btnGiveUp, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("gehen dann verloren"));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    ASSERT_TRUE(EndRequestNotice::loaded());
    EndRequestNotice::Show({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(EndRequestNotice::loaded());
    UnregisterUnsavedEdit(edit);
}

// This station asks every one to end, itself included, while its catalogue
// holds a price another station changed meanwhile and its address book a city.
TEST_F(EndRequest, AtItsOwnRequestAStationGoesBackToAnEditOnAnyQuestionAndStaysRunning)
{
    Db->execute(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price) VALUES (2, 'Übernachtung', 79)"));
    frmAdressen::ShowAdresse(guest, nullptr);
    frmAdressen& book = frmAdressen::instance();
    book.tbEntry[entry::City]->setFocus();
    QTest::keyClicks(book.tbEntry[entry::City], QStringLiteral("Bremen"));
    frmServices& catalogue = frmServices::instance();
    catalogue.ShowArtikel(2);
    catalogue.tbPreis->setFocus();
    catalogue.tbPreis->selectAll();
    QTest::keyClicks(catalogue.tbPreis, QStringLiteral("85"));
    test::OtherStation desk(database.path());
    desk.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 82 WHERE srv_id = 2"));

    frmVorgaben::showWindow();
    frmVorgaben& settings = frmVorgaben::instance();
    QTabBar* tabs = settings.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCheckBox* alsoHere = settings.chkShutdownAll_includingThisOne;
    QTest::mouseClick(alsoHere, Qt::LeftButton, {}, QPoint(8, alsoHere->height() / 2));
    ASSERT_TRUE(alsoHere->isChecked());

    // Saving the price meets the other station's: Abbrechen goes back to it.
    for (const ui::Answer answer : {ui::Answer::Ok, ui::Answer::Ok, ui::Answer::Cancel})
        dialogs->answerMessage(answer);
    QTest::mouseClick(settings.btnShutdown, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("82,00"))) << dialogs->lastMessage().text.toStdString();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&catalogue));
    EXPECT_EQ(catalogue.tbPreis->text(), "85");
    EXPECT_EQ(stored("SELECT srv_price FROM tbl_services").toDouble(), 82.0);
    // The others were asked all the same; this station's own watch lets it run.
    EXPECT_TRUE(ShutdownRequested());
    EXPECT_TRUE(CheckShutdownRequest());

    // The stored price kept (Nein), the address nothing asked about is named: Abbrechen shows it.
    for (const ui::Answer answer : {ui::Answer::Ok, ui::Answer::Ok, ui::Answer::No, ui::Answer::Cancel})
        dialogs->answerMessage(answer);
    QTest::mouseClick(settings.btnShutdown, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("\n- Adressbuch: Änderungen an der Adresse \"Anna Meier\"\n")));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&book));
    EXPECT_EQ(book.tbEntry[entry::City]->text(), "Bremen");

    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_THROW(settings.btnShutdown->click(), ProgramEnded);
    EXPECT_TRUE(stored("SELECT ws_LoginDate FROM tbl_workstations").isNull());
}

TEST_F(EndRequest, DateiBeendenNamesANoteTypedInTheBookingWindowAndAbbrechenGoesBackToIt)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    frmBuchungen& editor = frmBuchungen::instance();
    editor.ShowBookings(QString(), booking, room, true, 1);
    editor.tbBuchungInfo->setFocus();
    QTest::keyClicks(editor.tbBuchungInfo, QStringLiteral("Kinderbett"));
    const auto beenden = [&plan] {
        plan.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&plan));
        QTest::keyClick(&plan, Qt::Key_D, Qt::AltModifier);
        ASSERT_TRUE(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_B);
    };

    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerDefault();
    beenden();
    EXPECT_EQ(dialogs->messages().front().text, "Möchten Sie " + AppTitle + " beenden?");
    EXPECT_TRUE(dialogs->lastMessage().text.contains(
        QStringLiteral("\n- Buchungen: Änderungen an der Buchung %1 für \"Anna Meier\"\n").arg(booking)));
    EXPECT_EQ(windows.ended, 0);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
    EXPECT_EQ(editor.tbBuchungInfo->text(), "Kinderbett");

    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_THROW(beenden(), ProgramEnded);
    EXPECT_EQ(windows.ended, 1);
}

// The move ends as every plain end: its end work stores while the database is
// open, and its question names what nothing stores. Given up at either, or
// cut off by a copy that fails, it leaves every edit where it was.
TEST_F(EndRequest, TheMoveAsksAsEveryEndBeforeItClosesAndCopies)
{
    AppPath = database.folder().path();
    DbPath = database.path();
    DbFileName = QStringLiteral("test.mdb");
    const QByteArray settingsFile("DBname=test.mdb\r\n");
    database.folder().write(AppExeName() + ".ini", settingsFile);
    const test::TempFolder network;
    auto openAtEndWork = std::make_shared<std::vector<bool>>();
    const int probe = AtProgramEnd([openAtEndWork](bool) { openAtEndWork->push_back(DbOpen); });

    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    for (QLabel* label : plan.lbPlatz) {
        if (label && !label->isHidden() && label->property("Tag").toString().toInt() == room)
            QTest::mousePress(label, Qt::LeftButton);
    }
    plan.tbBuchungInfo->setFocus();
    QTest::keyClicks(plan.tbBuchungInfo, QStringLiteral("Allergie: Nuesse"));
    frmBuchungen& editor = frmBuchungen::instance();
    editor.ShowBookings(QString(), booking, room, true, 1);
    // Painted, as a user sees it before the move.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QCoreApplication::processEvents();
    editor.tbBuchungInfo->setFocus();
    QTest::keyClicks(editor.tbBuchungInfo, QStringLiteral("Kinderbett"));
    frmAdressen::ShowAdresse(guest, &plan);
    frmAdressen& book = frmAdressen::instance();
    book.tbEntry[entry::City]->setFocus();
    QTest::keyClicks(book.tbEntry[entry::City], QStringLiteral("Bremen"));
    Db->execute(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price) VALUES (2, 'Übernachtung', 79)"));
    frmServices& catalogue = frmServices::instance();
    catalogue.ShowArtikel(2);
    catalogue.tbPreis->setFocus();
    catalogue.tbPreis->selectAll();
    QTest::keyClicks(catalogue.tbPreis, QStringLiteral("85"));

    frmVorgaben::showWindow();
    frmVorgaben& settings = frmVorgaben::instance();
    QTabBar* tabs = settings.SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    dialogs->answerFolder(network.path());
    QTest::mouseClick(settings.btnSearchNetworkExePath, Qt::LeftButton);
    const auto move = [&](std::initializer_list<ui::Answer> answers) {
        dialogs->answerMessage(ui::Answer::Ok);   // move?
        for (const ui::Answer answer : answers)
            dialogs->answerMessage(answer);
        QTest::mouseClick(settings.btnMoveInstallationToNetwork, Qt::LeftButton);
    };
    const auto expectAllAsItWas = [&] {
        EXPECT_EQ(database.folder().read(AppExeName() + ".ini"), settingsFile);
        EXPECT_FALSE(QFileInfo::exists(network.file("test.mdb")));
        EXPECT_EQ(AppPath, database.folder().path());
        EXPECT_TRUE(DbOpen);
        EXPECT_FALSE(stored("SELECT ws_LoginDate FROM tbl_workstations").isNull());
        EXPECT_EQ(plan.tbBuchungInfo->text(), "Allergie: Nuesse");
        EXPECT_EQ(editor.tbBuchungInfo->text(), "Kinderbett");
        ASSERT_TRUE(frmAdressen::isLoaded());
        EXPECT_EQ(book.tbEntry[entry::City]->text(), "Bremen");
        EXPECT_EQ(windows.ended, 0);
    };
    const QString named = QStringLiteral("\n\n- Belegungsplan: Änderungen an der Reservierung für \"Meier, Anna\"\n"
                                         "- Buchungen: Änderungen an der Buchung %1 für \"Anna Meier\"\n"
                                         "- Adressbuch: Änderungen an der Adresse \"Anna Meier\"\n").arg(booking);

    // The catalogue asks its own question: back to the price.
    dialogs->answerMessage(ui::Answer::Ok);   // move?
    dialogs->answerEscape();
    QTest::mouseClick(settings.btnMoveInstallationToNetwork, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().title, "Hotelleistung geändert");
    EXPECT_EQ(catalogue.tbPreis->text(), "85");
    EXPECT_TRUE(QDir(network.path()).isEmpty());
    expectAllAsItWas();

    // The price stored, the rest named; the target folder chosen is no change of the settings.
    move({ui::Answer::Ok, ui::Answer::Cancel});
    EXPECT_TRUE(dialogs->lastMessage().text.contains(named + "\nWollen Sie")) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(stored("SELECT srv_price FROM tbl_services").toDouble(), 85.0);
    EXPECT_TRUE(QDir(network.path()).isEmpty());
    expectAllAsItWas();

    // A change of the settings is named; a copy that fails leaves every edit where it was.
    settings.tbMaxWeekCols->setFocus();
    settings.tbMaxWeekCols->selectAll();
    QTest::keyClicks(settings.tbMaxWeekCols, QStringLiteral("31"));
    ASSERT_EQ(mkfifo(QFile::encodeName(database.folder().file("rohr")).constData(), 0600), 0);
    move({ui::Answer::Ok, ui::Answer::Ok});
    EXPECT_TRUE(dialogs->messages()[dialogs->messages().size() - 2].text.contains(
        named + "- Programm-Einstellungen: Änderungen an den Einstellungen\n\n"));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(database.folder().file("rohr")));
    expectAllAsItWas();
    EXPECT_EQ(settings.tbMaxWeekCols->text(), "31");

    // An invoice note goes into the copy, stored while the database was open.
    QFile::remove(database.folder().file("rohr"));
    Db->execute(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2000#, #12/31/2100#, 19, 7)"));
    Db->execute(QStringLiteral("INSERT INTO tbl_invoice (inv_date, inv_customer_id) VALUES (#07/03/2026#, ?)"), {guest});
    frmRechnung& invoice = frmRechnung::instance();
    invoice.ShowRechnung(1, guest, -1);
    invoice.tbInfo->setFocus();
    QTest::keyClicks(invoice.tbInfo, QStringLiteral("zahlt bar"));
    // No positions: kept; the end; no shortcuts; ends now.
    EXPECT_THROW(move({ui::Answer::Yes, ui::Answer::Ok, ui::Answer::Cancel, ui::Answer::Ok}), ProgramEnded);
    EXPECT_EQ(windows.ended, 1);
    EXPECT_EQ(*openAtEndWork, std::vector<bool>(4, true));
    const auto copy = db::Database::open(network.file("test.mdb"));
    EXPECT_EQ(copy->openRecordset("SELECT inv_notes FROM tbl_invoice", db::OpenMode::ForwardOnlyReadOnly).field(0).value().toText(),
              "zahlt bar");
    EXPECT_TRUE(copy->openRecordset("SELECT book_info FROM tbl_bookings", db::OpenMode::ForwardOnlyReadOnly).field(0).value().toText().isEmpty());
    RemoveProgramEndWork(probe);
}
