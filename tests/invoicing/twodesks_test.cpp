#include "core/dialogs/endrequestnotice.h"
#include "core/globals.h"
#include "core/invoices.h"
#include "core/maintenancelog.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "core/wordctrl.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "invoicing/invoice.h"
#include "platform/word/document.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/other_station.h"
#include "tests/support/window_hooks.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using ui::Answer;

namespace {

// Station A works in its invoice window or session; station B changes the
// same invoice in between, with the program's own code.
class TwoDesksOnOneInvoice : public test::InvoicingTest {
protected:
    void SetUp() override
    {
        MwStIncluded = false;
        AppPath = QStringLiteral(VELMORANT_APP_DIR "/");
        m_home = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        database.exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price, srv_tax_id) VALUES "
                                     "(4, 'Parkplatz', 7.14, 0), (5, 'Haustier', 12, 0)"));
        id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
        database.addPosition(id, 1, 2, 12.5);
        database.addPosition(id, 2, 3, 79);
        database.addPosition(id, 3, 2, 2.5);
    }
    void TearDown() override
    {
        CloseWordDocument();
        frmServices::unload();
        frmRechnung::unload();
        qputenv("HOME", m_home);
    }
    void onB(const std::function<void(InvoiceSession&)>& work)
    {
        other.run([&] {
            InvoiceSession b;
            b.LoadInvoice(id);
            work(b);
        });
    }
    db::Value stored(const QString& column) const
    {
        return database.value(QStringLiteral("SELECT %1 FROM tbl_invoice WHERE inv_id = %2").arg(column).arg(id));
    }
    QString printed(size_t document, const char* bookmark)
    {
        return word::Document::open(dialogs->opened().at(document)).bookmarkText(QString::fromLatin1(bookmark));
    }
    QString storedGross() const { return FormatCents(CentsOf(stored(QStringLiteral("inv_total")).toDouble())) + " €"; }

    test::TempFolder home;
    test::OtherStation other{database.path()};
    qint32 id = 0;

private:
    QByteArray m_home;
};

}  // namespace

TEST_F(TwoDesksOnOneInvoice, TheDocumentPrintsTheStoredPositionsAndTheStoredTotal)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    onB([](InvoiceSession& b) { ASSERT_TRUE(b.addPosition(3, QStringLiteral("Parkplatz"), 714, 4)); });
    frmServices::instance().ShowArtikel(5);
    QTest::mouseClick(frmServices::instance().btnZurRechnung, Qt::LeftButton);
    // A's own write shows B's position too.
    EXPECT_EQ(a.MSFlexGrid1->model()->rowCount(), 5);

    QTest::mouseClick(a.btnPreviewDoc, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(printed(0, "tm_artikel").count(QLatin1Char('\n')), 4);
    EXPECT_EQ(printed(0, "tm_bruttosumme"), storedGross());

    // B changes a quantity after A's last write: the button reads it first.
    onB([](InvoiceSession& b) { ASSERT_TRUE(b.setQuantity(3, QStringLiteral("4"))); });
    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(a.btnPreviewDoc, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Die Positionen wurden inzwischen an einem anderen Arbeitsplatz geändert")));
    EXPECT_EQ(a.MSFlexGrid1->model()->index(3, ColMng).data().toString(), QStringLiteral("4"));
    EXPECT_TRUE(printed(1, "tm_artikel").contains(QStringLiteral("4\tParkplatz\t7,14 €\t28,56 €")));
    EXPECT_EQ(printed(1, "tm_bruttosumme"), storedGross());
    EXPECT_EQ(a.lbBruttobetrag->text() + " €", storedGross());
}

TEST_F(TwoDesksOnOneInvoice, APositionBothChangedOrDeletedIsAskedAbout)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    const auto click = [&a](int row, int column) {
        const QRect cell = a.MSFlexGrid1->visualRect(a.MSFlexGrid1->model()->index(row, column));
        QTest::mouseClick(a.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    };
    onB([](InvoiceSession& b) { ASSERT_TRUE(b.setQuantity(0, QStringLiteral("5"))); });
    click(0, ColMng);
    QLineEdit* editor = a.MSFlexGrid1->findChild<QLineEdit*>(QStringLiteral("tbDataEntry"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("3"));
    dialogs->answerMessage(Answer::No);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Die Position \"Frühstück\" wurde inzwischen an anderer Stelle geändert: Menge jetzt 5.")));
    EXPECT_EQ(LoadInvoicePositions(id)[0].ivp_quantity, 5);
    EXPECT_EQ(a.MSFlexGrid1->model()->index(0, ColMng).data().toString(), QStringLiteral("5"));

    // Deleting what B changed asks too, as a delete; Enter keeps it, shown as stored.
    onB([](InvoiceSession& b) { ASSERT_TRUE(b.setPrice(1, QStringLiteral("80,00"))); });
    click(1, ColBeschreibung);
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerDefault();
    QTest::mouseClick(a.btnDeleteEntry, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("Einzelpreis jetzt 80,00 €. Trotzdem löschen?")))
        << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(LoadInvoicePositions(id).size(), 3u);
    EXPECT_EQ(a.MSFlexGrid1->model()->index(1, ColEPreis).data().toString(), QStringLiteral("80,00"));
    EXPECT_EQ(a.lbBruttobetrag->text() + " €", storedGross());
}

TEST_F(TwoDesksOnOneInvoice, TheHeaderKeepsWhatOnlyBChangedAndAsksAboutWhatBothChanged)
{
    // nullopt: B leaves the note alone, so nobody is asked.
    for (std::optional<Answer> answer : {std::optional<Answer>(), std::optional(Answer::Cancel), std::optional(Answer::No),
                                         std::optional(Answer::Yes)}) {
        database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_notes = NULL, inv_is_payed = 0, inv_paymode_id = 2"));
        InvoiceSession a;
        a.LoadInvoice(id);
        onB([&](InvoiceSession& b) {
            b.selectPaymode(1);
            if (answer)
                b.editNotes(QStringLiteral("von B"));
            ASSERT_EQ(b.SaveInvoice(), SaveResult::Saved);
        });
        a.setPaid(true);
        a.editNotes(QStringLiteral("von A"));
        if (answer)
            dialogs->answerMessage(*answer);
        const size_t asked = dialogs->messages().size();
        EXPECT_EQ(a.SaveInvoice(), answer == Answer::Cancel ? SaveResult::Back : SaveResult::Saved);
        // B's payment mode survives every answer; nobody is asked about it.
        EXPECT_EQ(stored(QStringLiteral("inv_paymode_id")).toLong(), 1);
        if (!answer) {
            EXPECT_EQ(dialogs->messages().size(), asked);
            EXPECT_EQ(stored(QStringLiteral("inv_notes")).toText(), QStringLiteral("von A"));
            EXPECT_EQ(a.PaymodeId, 1);   // shown as stored
            continue;
        }
        EXPECT_EQ(dialogs->lastMessage().text.section(QLatin1Char('.'), 0, 0),
                  QStringLiteral("Die Rechnung ") + a.NumberText
                      + QStringLiteral(" wurde inzwischen an anderer Stelle geändert: Notizen jetzt \"von B\""));
        EXPECT_EQ(stored(QStringLiteral("inv_notes")).toText(), answer == Answer::Yes ? "von A" : "von B");
        EXPECT_EQ(stored(QStringLiteral("inv_is_payed")).toBool(), answer != Answer::Cancel);
        EXPECT_EQ(a.Notes, answer == Answer::No ? "von B" : "von A");
        EXPECT_EQ(a.Changed, answer == Answer::Cancel);
    }
}

TEST_F(TwoDesksOnOneInvoice, TheUnattendedStoreKeepsBsNoteAndNamesItUntilASaveStoresIt)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    a.tbInfo->setFocus();
    QTest::keyClicks(a.tbInfo, QStringLiteral("zahlt bar"));
    QTest::mouseClick(a.chkBezahlt, Qt::LeftButton, {}, QPoint(8, a.chkBezahlt->height() / 2));
    onB([](InvoiceSession& b) {
        b.editNotes(QStringLiteral("Firma zahlt"));
        ASSERT_EQ(b.SaveInvoice(), SaveResult::Saved);
    });

    const QString line = QStringLiteral("Rechnung ") + a.lbRechnungNr->text()
                         + QStringLiteral(": Notizen nicht gespeichert, da inzwischen auch an anderer Stelle geändert");
    for (int end = 0; end < 2; ++end) {
        RunProgramEndWork(true);
        EXPECT_TRUE(dialogs->messages().empty());
        EXPECT_EQ(stored(QStringLiteral("inv_notes")).toText(), QStringLiteral("Firma zahlt"));
        EXPECT_TRUE(stored(QStringLiteral("inv_is_payed")).toBool());
        EXPECT_EQ(UnsavedEdits(), QStringList{line});
        EXPECT_EQ(a.tbInfo->toPlainText(), QStringLiteral("zahlt bar"));
    }

    dialogs->answerMessage(Answer::Yes);
    QTest::mouseClick(a.cmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Notizen jetzt \"Firma zahlt\"")));
    EXPECT_EQ(stored(QStringLiteral("inv_notes")).toText(), QStringLiteral("zahlt bar"));
    EXPECT_TRUE(UnsavedEdits().isEmpty());
}

// B deletes the invoice A shows with a note and a quantity still in its cell,
// then every station is asked to end: nobody at A, so nothing is stored anew
// or told; A stays, naming it, until the user stores it here or gives it up.
TEST_F(TwoDesksOnOneInvoice, AnInvoiceDeletedElsewhereIsStoredAnewOnlyAtTheDesk)
{
    test::WindowHooks hooks;
    Windows().showEndRequestNotice = EndRequestNotice::Show;
    database.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_bool_value) "
                                 "VALUES ('Shutdown', 1, -1)"));
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    const auto named = [&a] {
        return "- Rechnung Nr. " + a.lbRechnungNr->text()
               + ": an einem anderen Arbeitsplatz gelöscht; Ihre Änderung ist nicht gespeichert";
    };
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    a.tbInfo->setFocus();
    QTest::keyClicks(a.tbInfo, QStringLiteral("zahlt bar"));
    const QRect cell = a.MSFlexGrid1->visualRect(a.MSFlexGrid1->model()->index(0, ColMng));
    QTest::mouseClick(a.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
    other.run([this] { test::RemoveInvoice(id); });
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_TRUE(dialogs->messages().empty()) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 0);
    ASSERT_TRUE(EndRequestNotice::loaded());
    EXPECT_EQ(EndRequestNotice::loaded()->lbUnsaved->text(), named());

    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(a.cmdSave, Qt::LeftButton);
    const qint32 anew = a.session().CurrentInvoiceId;
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("als neue Rechnung Nr. " + a.lbRechnungNr->text() + " gespeichert."));
    EXPECT_EQ(LoadInvoicePositions(anew)[0].ivp_quantity, 3);

    // Deleted again before the next look: a plain end names it alike, and
    // given up at the notice the station ends with none stored.
    a.tbInfo->setFocus();
    QTest::keyClicks(a.tbInfo, QStringLiteral(" sofort"));
    other.run([anew] { test::RemoveInvoice(anew); });
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_EQ(EndRequestNotice::loaded()->lbUnsaved->text(), named());
    dialogs->answerMessage(Answer::Cancel);
    EXPECT_NO_THROW(QuitProgram());
    EXPECT_TRUE(dialogs->lastMessage().text.contains('\n' + named() + '\n'));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_THROW(QTest::mouseClick(EndRequestNotice::loaded()->btnGiveUp, Qt::LeftButton), ProgramEnded);
    EXPECT_EQ(other.value(QStringLiteral("SELECT Count(*) FROM tbl_invoice")).toLong(), 0);
}

// Nobody at A when every station is asked to end: a quantity or price typed
// into a cell so that it cannot be read stays there as typed, told to nobody,
// stored nowhere and named; back at the desk it is stored once typed anew, or
// refused by the save as leaving the cell would refuse it.
TEST_F(TwoDesksOnOneInvoice, ACellTypedUnreadableAtTheEndRequestWaitsAsTypedForTheDesk)
{
    test::WindowHooks hooks;
    database.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_bool_value) "
                                 "VALUES ('Shutdown', 1, -1)"));
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    const auto cell = [&a](int column) { return a.MSFlexGrid1->model()->index(0, column); };
    const auto type = [&](int column, const QString& text) {
        QTest::mouseClick(a.MSFlexGrid1->viewport(), Qt::LeftButton, {}, a.MSFlexGrid1->visualRect(cell(column)).center());
        QTest::keyClicks(QApplication::focusWidget(), text);
    };
    const auto stored = [this] { return LoadInvoicePositions(id)[0].ivp_quantity; };
    const QString invoice = "Rechnung Nr. " + a.lbRechnungNr->text() + ": ";
    const QString quantityNamed = invoice + "Menge \"drei\" von \"Frühstück\" nicht gespeichert, da sie nicht gelesen werden kann";

    type(ColMng, QStringLiteral("drei"));
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_EQ(cell(ColMng).data().toString(), QStringLiteral("drei"));
    EXPECT_EQ(stored(), 2);
    EXPECT_EQ(hooks.endNotices, std::vector<QStringList>{{quantityNamed}});
    type(ColMng, QStringLiteral("3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(stored(), 3);
    EXPECT_TRUE(UnsavedEdits().isEmpty());

    type(ColEPreis, QStringLiteral("zwoelf,x"));
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_TRUE(dialogs->messages().empty()) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(cell(ColEPreis).data().toString(), QStringLiteral("zwoelf,x"));
    EXPECT_EQ(hooks.endNotices,
              (std::vector<QStringList>{{quantityNamed}, {invoice + "Einzelpreis \"zwoelf,x\" von \"Frühstück\" nicht "
                                                                    "gespeichert, da er nicht gelesen werden kann"}}));
    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(a.cmdSave, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Bitte geben Sie den Preis als Betrag ein, zum Beispiel 12,50."));
    EXPECT_EQ(cell(ColEPreis).data().toString(), QStringLiteral("12,50"));
    EXPECT_EQ(LoadInvoicePositions(id)[0].ivp_price, 12.5);
    EXPECT_TRUE(UnsavedEdits().isEmpty());
}

// The user quits while the invoice holds a note B changed too: Abbrechen on
// the question keeps the program and the edit, Nein ends with B's note kept.
TEST_F(TwoDesksOnOneInvoice, AQuitAskedAboutAClashWaitsForTheEditWhenTheUserGoesBack)
{
    test::WindowHooks hooks;
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    a.tbInfo->setFocus();
    QTest::keyClicks(a.tbInfo, QStringLiteral("zahlt bar"));
    onB([](InvoiceSession& b) {
        b.editNotes(QStringLiteral("Firma zahlt"));
        ASSERT_EQ(b.SaveInvoice(), SaveResult::Saved);
    });

    dialogs->answerMessage(Answer::Cancel);
    EXPECT_NO_THROW(QuitProgram());
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Notizen jetzt \"Firma zahlt\"")));
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(a.tbInfo->toPlainText(), QStringLiteral("zahlt bar"));
    EXPECT_EQ(stored(QStringLiteral("inv_notes")).toText(), QStringLiteral("Firma zahlt"));

    dialogs->answerMessage(Answer::No);
    EXPECT_THROW(QuitProgram(), ProgramEnded);
    // The end closed this station's connection; B's reads what was kept.
    EXPECT_EQ(other.value(QStringLiteral("SELECT inv_notes FROM tbl_invoice WHERE inv_id = ?"), {id}).toText(),
              QStringLiteral("Firma zahlt"));
}

// Declined, a delete leaves the cell on the position it named by its text, so
// the next "Zeile löschen" asks about that one again.
TEST_F(TwoDesksOnOneInvoice, ADeclinedPositionDeleteKeepsTheCellOnThePositionAskedAbout)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    const QRect quantity = a.MSFlexGrid1->visualRect(a.MSFlexGrid1->model()->index(2, ColMng));
    QTest::mouseClick(a.MSFlexGrid1->viewport(), Qt::LeftButton, {}, quantity.center());
    onB([](InvoiceSession& b) { ASSERT_TRUE(b.setPrice(2, QStringLiteral("3,00"))); });
    dialogs->answerMessage(Answer::Cancel);
    dialogs->answerEscape();
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerMessage(Answer::No);   // "... Einzelpreis jetzt 3,00 €. Trotzdem löschen?"
    dialogs->answerMessage(Answer::Ok);
    for (int press = 0; press < 4; ++press) {
        EXPECT_EQ(a.MSFlexGrid1->currentIndex().row(), 2);
        QTest::mouseClick(a.btnDeleteEntry, Qt::LeftButton);
    }
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Kurtaxe\nwirklich löschen?"));
    EXPECT_EQ(dialogs->messages()[4].text, QStringLiteral("Kurtaxe\nwirklich löschen?"));
    EXPECT_EQ(LoadInvoicePositions(id).size(), 2u);
    EXPECT_EQ(LoadInvoicePositions(id).back().srv_name, QStringLiteral("Übernachtung"));
}

TEST_F(TwoDesksOnOneInvoice, DeletingTheInvoiceAfterBChangedItAsksNamingWhatIsStored)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    onB([](InvoiceSession& b) {
        b.editNotes(QStringLiteral("Firma zahlt"));
        ASSERT_EQ(b.SaveInvoice(), SaveResult::Saved);
    });
    dialogs->answerDefault();
    QTest::mouseClick(a.btnDelete, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Die Rechnung ") + a.lbRechnungNr->text()
                  + QStringLiteral(" wurde inzwischen an anderer Stelle geändert: Notizen jetzt \"Firma zahlt\". "
                                   "Trotzdem löschen?"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);

    onB([](InvoiceSession& b) { ASSERT_TRUE(b.addPosition(1, QStringLiteral("Parkplatz"), 714, 4)); });
    dialogs->answerMessage(Answer::Yes);
    QTest::mouseClick(a.btnDelete, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral(", 2 × Kurtaxe zu 2,50 €, 1 × Parkplatz zu 7,14 €")));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions")), 0);
}

// The VAT of the invoice's date changed after its total was stored.
TEST_F(TwoDesksOnOneInvoice, AfterAVatChangeTheWindowSaysSoAndThePrintedTotalIsTheStoredOne)
{
    const auto vat = [this](const char* rates) {
        other.exec(QStringLiteral("UPDATE tbl_vat SET %1 WHERE vat_date_end > #01/01/2100#").arg(QString::fromLatin1(rates)));
    };
    frmRechnung& a = frmRechnung::instance();
    const auto tickPaid = [&a] { QTest::mouseClick(a.chkBezahlt, Qt::LeftButton, {}, QPoint(8, a.chkBezahlt->height() / 2)); };
    vat("vat_full = 20, vat_reduced = 10");
    dialogs->answerMessage(Answer::Ok);
    a.ShowRechnung(id, 1, -1);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Bruttobetrag von 288,34 € gespeichert. Mit der "
                                                                    "Mehrwertsteuer, die jetzt für ihr Datum gilt, "
                                                                    "ergeben ihre Positionen 295,70 €.")));
    EXPECT_EQ(storedGross(), QStringLiteral("288,34 €"));
    QTest::mouseClick(a.btnPreviewDoc, Qt::LeftButton);
    EXPECT_EQ(printed(0, "tm_bruttosumme"), QStringLiteral("295,70 €"));
    EXPECT_EQ(storedGross(), QStringLiteral("295,70 €"));

    // Changed again while shown: the program's end, with nobody to tell,
    // keeps the total; the user's save says so first.
    vat("vat_full = 19, vat_reduced = 7");
    tickPaid();
    RunProgramEndWork(true);
    EXPECT_TRUE(stored(QStringLiteral("inv_is_payed")).toBool() && storedGross() == QStringLiteral("295,70 €"));
    tickPaid();
    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(a.cmdSave, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(storedGross(), QStringLiteral("288,34 €"));
}

// B deleted the invoice A still shows: the document prints what A shows, as
// before the total was stored with it, and no error blames a locked file.
TEST_F(TwoDesksOnOneInvoice, TheDocumentOfAnInvoiceDeletedElsewherePrintsWhatIsShown)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    other.run([this] { test::RemoveInvoice(id); });
    QTest::mouseClick(a.btnPreviewDoc, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().empty()) << dialogs->lastMessage().text.toStdString();
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_EQ(printed(0, "tm_artikel").count(QLatin1Char('\n')), 2);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 0);
}

// A date typed and not saved prints with the VAT of that date; the stored
// invoice keeps the total of the date it has stored.
TEST_F(TwoDesksOnOneInvoice, ADocumentPrintedForADateNotSavedLeavesTheStoredTotal)
{
    frmRechnung& a = frmRechnung::instance();
    a.ShowRechnung(id, 1, -1);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    const QString before = storedGross();
    QTest::keyClick(&a, Qt::Key_D, Qt::AltModifier);
    a.tbDatum_Rechnung->selectAll();
    QTest::keyClicks(a.tbDatum_Rechnung, QStringLiteral("15.08.2020"));
    QTest::keyClick(a.tbDatum_Rechnung, Qt::Key_Tab);
    QTest::mouseClick(a.btnPreviewDoc, Qt::LeftButton);
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_NE(printed(0, "tm_bruttosumme"), before);
    EXPECT_EQ(storedGross(), before);
    EXPECT_TRUE(dialogs->messages().empty()) << dialogs->lastMessage().text.toStdString();
}
