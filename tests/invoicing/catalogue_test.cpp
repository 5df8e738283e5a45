#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/notices.h"
#include "core/startup.h"
#include "core/workstation.h"
#include "invoicing/catalogue.h"
#include "invoicing/frmServices.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/other_station.h"
#include "tests/support/window_hooks.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using ui::Answer;

namespace {

class CatalogueTest : public test::InvoicingTest {
protected:
    int services() const { return database.count(QStringLiteral("tbl_services")); }

    ServiceCatalogue catalogue;
};

}  // namespace

TEST_F(CatalogueTest, LoadingShowsTheEntryAndForgetsThePriceOfTheOneBefore)
{
    database.exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price, srv_tax_id) VALUES (4, 'Leihrad', NULL, NULL)"));
    catalogue.load(1);
    EXPECT_EQ(catalogue.Name, QStringLiteral("Frühstück"));
    EXPECT_EQ(catalogue.PriceText, QStringLiteral("12,50"));
    EXPECT_EQ(catalogue.VatOption, 0);
    EXPECT_EQ(catalogue.IdText, QStringLiteral("1"));

    catalogue.QuantityText = QStringLiteral("3");
    catalogue.load(4);
    EXPECT_EQ(catalogue.PriceText, QString());
    EXPECT_EQ(catalogue.CurrentPrice, 0);
    EXPECT_EQ(catalogue.VatOption, 0);
    EXPECT_EQ(catalogue.QuantityText, QStringLiteral("1"));
    const std::optional<ServiceHandOver> h = catalogue.handOver(true);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->price, 0);
    EXPECT_EQ(h->serviceId, 4);
}

// A price or class another tool stored as text: shown as none, never handed
// to an invoice as 0, and never written over unless typed anew.
TEST_F(CatalogueTest, AStoredPriceThatCannotBeReadGoesToNoInvoiceUntilTypedAnew)
{
    database.exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name, srv_price, srv_tax_id) VALUES "
                                 "(4, 'Leihrad', 'zehn Euro', 'voll')"));
    const auto price = [this] { return database.value(QStringLiteral("SELECT srv_price FROM tbl_services WHERE srv_id = 4")); };
    catalogue.load(4);
    dialogs->answerMessage(Answer::Ok);
    EXPECT_EQ(TellNotices(), 1);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Der Preis der Hotelleistung \"Leihrad\" kann nicht gelesen werden. Bitte geben Sie ihn neu "
                             "ein.\n\nDie Mehrwertsteuer der Hotelleistung \"Leihrad\" kann nicht gelesen werden. Bitte "
                             "wählen Sie sie neu."));
    EXPECT_TRUE(catalogue.checkPreis());
    EXPECT_EQ(catalogue.PriceText, QString());
    EXPECT_EQ(catalogue.VatOption, -1);
    catalogue.editName(QStringLiteral("Leihrad (Tag)"));
    dialogs->answerMessage(Answer::Ok);   // save the name first
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.handOver(true));
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Der Preis der Hotelleistung \"Leihrad (Tag)\" kann nicht gelesen werden. Bitte geben Sie ihn neu ein."));
    EXPECT_EQ(price().toText(), QStringLiteral("zehn Euro"));

    catalogue.editPrice(QStringLiteral("10"));
    dialogs->answerMessage(Answer::Ok);
    ASSERT_TRUE(catalogue.handOver(true));
    EXPECT_EQ(catalogue.handOver(true)->price, 1000);
    EXPECT_DOUBLE_EQ(price().toDouble(), 10.0);
}

// Text, or a fraction that reading would round to "keine": none chosen, and
// choosing that very class writes it.
TEST_F(CatalogueTest, AStoredClassThatCannotBeReadShowsNoneAndAnyChoiceMendsIt)
{
    for (const char* stored : {"'ermäßigt'", "1.5"}) {
        SCOPED_TRACE(stored);
        database.exec(QStringLiteral("UPDATE tbl_services SET srv_tax_id = %1 WHERE srv_id = 2").arg(QString::fromUtf8(stored)));
        catalogue.load(2);
        EXPECT_EQ(catalogue.VatOption, -1);
        dialogs->answerMessage(Answer::Ok);
        EXPECT_EQ(TellNotices(), 1);
        EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Mehrwertsteuer der Hotelleistung")));

        catalogue.chooseVat(2);
        ASSERT_TRUE(catalogue.SaveArtikel());
        EXPECT_EQ(database.value(QStringLiteral("SELECT typeof(srv_tax_id) || srv_tax_id FROM tbl_services WHERE srv_id = 2")).toText(),
                  QStringLiteral("integer2"));
        catalogue.load(2);
        EXPECT_EQ(catalogue.VatOption, 2);
        EXPECT_EQ(TellNotices(), 0);
    }
}

TEST_F(CatalogueTest, TheHandOverUsesThePriceTheSaveWouldStore)
{
    catalogue.load(2);
    // Typed, not yet left: the box's text counts, not the price loaded.
    catalogue.editPrice(QStringLiteral("85,5"));
    catalogue.chooseVat(2);
    catalogue.QuantityText = QStringLiteral("4");
    // Escape goes back to the entry: nothing handed over, nothing dropped.
    dialogs->answerEscape();
    EXPECT_FALSE(catalogue.handOver(true));
    EXPECT_TRUE(catalogue.Changed);
    dialogs->answerMessage(Answer::Cancel);
    const std::optional<ServiceHandOver> h = catalogue.handOver(true);
    ASSERT_TRUE(h);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie Ihre Änderungen speichern?"));
    // Enter keeps the edit.
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 1);
    EXPECT_EQ(h->price, 8550);
    EXPECT_EQ(h->quantity, 4);
    EXPECT_EQ(h->vatClass, 2);
    EXPECT_EQ(h->text, QStringLiteral("Übernachtung"));
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_price FROM tbl_services WHERE srv_id = 2")).toDouble(), 79.0);
}

TEST_F(CatalogueTest, ANewEntrySavedOnTheQuestionIsHandedOverWithItsNewId)
{
    catalogue.startNew();
    catalogue.editName(QStringLiteral("  Sauna  "));
    catalogue.editPrice(QStringLiteral("15"));
    catalogue.chooseVat(0);
    dialogs->answerMessage(Answer::Ok);
    const std::optional<ServiceHandOver> h = catalogue.handOver(true);
    ASSERT_TRUE(h);
    EXPECT_EQ(services(), 4);
    EXPECT_EQ(h->serviceId, catalogue.CurrentServiceId);
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_name FROM tbl_services WHERE srv_id = %1").arg(h->serviceId)).toText(),
              QStringLiteral("Sauna"));
    EXPECT_EQ(h->price, 1500);
    EXPECT_FALSE(catalogue.Changed);

    // Without an invoice window nothing is handed over.
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.handOver(false));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Sie müssen erst eine Rechnung aus einer Buchung eröffnen."));
}

TEST_F(CatalogueTest, AFailedSaveKeepsTheOldIdAndTheChangedFlag)
{
    database.refuseWrites(QStringLiteral("tbl_services"));
    catalogue.startNew();
    catalogue.editName(QStringLiteral("Sauna"));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.SaveArtikel());
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Fehler beim Speichern der Daten"));
    EXPECT_EQ(catalogue.CurrentServiceId, -1);
    EXPECT_TRUE(catalogue.Changed);
    EXPECT_EQ(services(), 3);

    catalogue.load(1);
    catalogue.editPrice(QStringLiteral("13"));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.SaveArtikel());
    EXPECT_EQ(catalogue.CurrentServiceId, 1);
    EXPECT_TRUE(catalogue.Changed);
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_price FROM tbl_services WHERE srv_id = 1")).toDouble(), 12.5);
}

TEST_F(CatalogueTest, AReadOnlyWorkstationSavesAndDeletesNothing)
{
    StationReadOnly = true;
    catalogue.load(1);
    catalogue.editName(QStringLiteral("Brunch"));
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.SaveArtikel());
    EXPECT_FALSE(catalogue.deleteCurrent());
    for (const auto& message : dialogs->messages())
        EXPECT_EQ(message.text, GetResString(390));
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_name FROM tbl_services WHERE srv_id = 1")).toText(), QStringLiteral("Frühstück"));
    EXPECT_EQ(services(), 3);
}

TEST_F(CatalogueTest, AServiceUsedByInvoicePositionsIsNotDeleted)
{
    const qint32 invoice = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(invoice, 1, 2, 12.5);
    catalogue.load(1);
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.deleteCurrent());
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("wird in Rechnungen verwendet")));
    EXPECT_EQ(catalogue.Name, QStringLiteral("Frühstück"));
    EXPECT_EQ(services(), 3);

    catalogue.load(3);
    dialogs->answerMessage(Answer::Ok);
    EXPECT_TRUE(catalogue.deleteCurrent());
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie die Hotelleistung \"Kurtaxe\" wirklich löschen?"));
    EXPECT_EQ(services(), 2);
    EXPECT_EQ(catalogue.CurrentServiceId, -1);
    EXPECT_EQ(catalogue.Name, QString());
}

TEST_F(CatalogueTest, QuantitiesAreWholeNumbersFromZeroUp)
{
    catalogue.QuantityText = QStringLiteral("0");
    catalogue.stepMenge(1);
    EXPECT_EQ(catalogue.QuantityText, QStringLiteral("0"));
    catalogue.QuantityText = QString();
    catalogue.stepMenge(0);
    EXPECT_EQ(catalogue.QuantityText, QStringLiteral("1"));
    catalogue.QuantityText = QStringLiteral("-4");
    EXPECT_TRUE(catalogue.checkMenge());
    EXPECT_EQ(catalogue.QuantityText, QStringLiteral("0"));
    for (const char* refused : {"2,5", "40000", "viel"}) {
        catalogue.QuantityText = QString::fromLatin1(refused);
        dialogs->answerMessage(Answer::Ok);
        EXPECT_FALSE(catalogue.checkMenge()) << refused;
    }
}

TEST_F(CatalogueTest, APriceThatIsNoAmountIsRefusedAndPutBack)
{
    catalogue.load(1);
    catalogue.editPrice(QStringLiteral("zwölf"));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(catalogue.checkPreis());
    EXPECT_EQ(catalogue.PriceText, QStringLiteral("12,50"));
    catalogue.editPrice(QStringLiteral("1234,5"));
    EXPECT_TRUE(catalogue.checkPreis());
    EXPECT_EQ(catalogue.PriceText, QStringLiteral("1.234,50"));
    EXPECT_EQ(catalogue.CurrentPrice, 123450);
}

namespace {

// Station A has "Übernachtung" (79,00, reduced VAT) open in the catalogue
// while station B changes the same service.
class TwoDesksOnOneService : public test::InvoicingTest {
protected:
    void SetUp() override
    {
        w.ShowArtikel(2);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    void TearDown() override { frmServices::unload(); }
    void type(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void save() { QTest::mouseClick(w.cmdSave, Qt::LeftButton); }
    db::Value stored(const char* column) const
    {
        return database.value(QStringLiteral("SELECT %1 FROM tbl_services WHERE srv_id = 2").arg(QLatin1String(column)));
    }

    // The price typed, then the other desk's change, the end request, and
    // the catalogue closed with its edit given up.
    void endRequestMeetsAnEditGivenUp(const QString& elsewhere)
    {
        test::WindowHooks hooks;
        database.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_bool_value) "
                                     "VALUES ('Shutdown', 1, -1)"));
        type(w.tbPreis, QStringLiteral("85"));
        other.exec(elsewhere);
        const int services = other.value(QStringLiteral("SELECT COUNT(*) FROM tbl_services")).toLong();
        EXPECT_TRUE(CheckShutdownRequest());
        ASSERT_EQ(hooks.endNotices.size(), 1u);
        EXPECT_EQ(hooks.endNotices.back().size(), 1);

        dialogs->answerMessage(Answer::Cancel);   // save? no
        w.tbPreis->setFocus();
        QTest::keyClick(w.tbPreis, Qt::Key_Escape);
        EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie Ihre Änderungen speichern?"));
        EXPECT_THROW(CheckShutdownRequest(), ProgramEnded);
        EXPECT_EQ(hooks.ended, 1);
        EXPECT_EQ(other.value(QStringLiteral("SELECT COUNT(*) FROM tbl_services")).toLong(), services);
        EXPECT_EQ(other.value(QStringLiteral("SELECT COUNT(*) FROM tbl_services WHERE srv_price = 85")).toLong(), 0);
    }

    frmServices& w = frmServices::instance();
    test::OtherStation other{database.path()};
};

}  // namespace

TEST_F(TwoDesksOnOneService, WhatOnlyTheOtherDeskChangedStaysAndIsShownWithoutAQuestion)
{
    other.exec(QStringLiteral("UPDATE tbl_services SET srv_info = 'mit Frühstück' WHERE srv_id = 2"));
    type(w.tbPreis, QStringLiteral("85"));
    save();
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("srv_price").toDouble(), 85.0);
    EXPECT_EQ(stored("srv_info").toText(), QStringLiteral("mit Frühstück"));
    EXPECT_EQ(w.tbComment->text(), QStringLiteral("mit Frühstück"));
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("85,00"));

    // The next save compares with what this one stored: a second price is no clash.
    type(w.tbPreis, QStringLiteral("86,5"));
    save();
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("srv_price").toDouble(), 86.5);

    // Deleted elsewhere meanwhile: stored anew under a new number, as before.
    other.exec(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = 2"));
    type(w.tbBeschreibung, QStringLiteral("Suite"));
    save();
    EXPECT_EQ(database.count(QStringLiteral("tbl_services"), QStringLiteral("srv_name = 'Suite' AND srv_price = 86.5")), 1);
    EXPECT_NE(w.catalogue().CurrentServiceId, 2);
}

TEST_F(TwoDesksOnOneService, APriceChangedAtBothDesksAsksAndEachAnswerDoesWhatItSays)
{
    other.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 82 WHERE srv_id = 2"));
    type(w.tbPreis, QStringLiteral("85"));
    type(w.tbComment, QStringLiteral("Seeblick"));

    dialogs->answerMessage(Answer::Cancel);
    save();
    const auto question = dialogs->lastMessage();
    EXPECT_TRUE(question.text.startsWith(QStringLiteral(
        "Die Hotelleistung \"Übernachtung\" wurde inzwischen an anderer Stelle geändert: Preis jetzt 82,00 EUR. "
        "Ihre Änderung trotzdem speichern?")))
        << question.text.toStdString();
    // The save holds the hourglass; the question waits under the normal pointer.
    EXPECT_EQ(question.pointer, Qt::ArrowCursor);
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
    EXPECT_TRUE(stored("srv_info").isNull());
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("85,00"));

    dialogs->answerMessage(Answer::No);
    save();
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
    EXPECT_EQ(stored("srv_info").toText(), QStringLiteral("Seeblick"));
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("82,00"));
    EXPECT_FALSE(w.catalogue().Changed);

    other.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 83 WHERE srv_id = 2"));
    type(w.tbPreis, QStringLiteral("86"));
    dialogs->answerMessage(Answer::Yes);
    save();
    EXPECT_EQ(stored("srv_price").toDouble(), 86.0);
    EXPECT_EQ(dialogs->messages().size(), 3u);
}

TEST_F(TwoDesksOnOneService, TheStoreAtTheEndRequestKeepsTheOtherDesksPriceAndNamesIt)
{
    other.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 82 WHERE srv_id = 2"));
    type(w.tbPreis, QStringLiteral("85"));
    type(w.tbComment, QStringLiteral("Seeblick"));

    RunProgramEndWork(true);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
    EXPECT_EQ(stored("srv_info").toText(), QStringLiteral("Seeblick"));
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("85,00"));
    const QString line =
        QStringLiteral("Hotelleistungen: \"Übernachtung\": Preis nicht gespeichert, da inzwischen auch an anderer Stelle geändert");
    EXPECT_EQ(UnsavedEdits(), QStringList{line});

    // The store at the real end writes it no more than the first one did.
    RunProgramEndWork(true);
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
    EXPECT_EQ(UnsavedEdits(), QStringList{line});

    // The user closes the catalogue and gives the edit up.
    dialogs->answerMessage(Answer::Cancel);
    w.tbPreis->setFocus();
    QTest::keyClick(w.tbPreis, Qt::Key_Escape);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie Ihre Änderungen speichern?"));
    EXPECT_TRUE(UnsavedEdits().isEmpty());
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
}

// Nobody there when the other desk deleted the entry: it is not stored anew
// until the user saves it here, told where it went.
TEST_F(TwoDesksOnOneService, AnEntryDeletedElsewhereIsStoredAnewOnlyAtTheDesk)
{
    type(w.tbPreis, QStringLiteral("85"));
    other.exec(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = 2"));
    const auto services = [&] { return database.value(QStringLiteral("SELECT COUNT(*) FROM tbl_services")).toLong(); };
    const auto before = services();

    RunProgramEndWork(true);
    RunProgramEndWork(true);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(services(), before);
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("85,00"));
    EXPECT_EQ(UnsavedEdits(), QStringList{QStringLiteral(
                                  "Hotelleistungen: \"Übernachtung\": an einem anderen Arbeitsplatz gelöscht; Ihre Änderung "
                                  "ist nicht gespeichert")});

    dialogs->answerMessage(Answer::Ok);
    save();
    EXPECT_EQ(services(), before + 1);
    const qint32 id = database.value(QStringLiteral("SELECT MAX(srv_id) FROM tbl_services")).toLong();
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_price FROM tbl_services WHERE srv_id = %1").arg(id)).toDouble(), 85.0);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Die Hotelleistung \"Übernachtung\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Sie "
                             "wurde als neue Hotelleistung Nr. %1 gespeichert.")
                  .arg(id));
    EXPECT_TRUE(UnsavedEdits().isEmpty());
}

// At the end request the entry waits, named, for the user. Given up when the
// user closes the catalogue, it no longer keeps the station, and the end
// stores nothing of it.
TEST_F(TwoDesksOnOneService, AnEditGivenUpAfterTheEndRequestNamedItLetsTheStationEnd)
{
    endRequestMeetsAnEditGivenUp(QStringLiteral("UPDATE tbl_services SET srv_price = 82 WHERE srv_id = 2"));
}

TEST_F(TwoDesksOnOneService, AnEntryDeletedElsewhereGivenUpAfterTheEndRequestLetsTheStationEnd)
{
    endRequestMeetsAnEditGivenUp(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = 2"));
}

// Nobody there when every station is asked to end: a price typed so that it
// cannot be read stays in its box as typed, nothing of the entry is stored,
// and the notice names it until the user types a price or gives the edit up.
TEST_F(TwoDesksOnOneService, APriceTypedUnreadableAtTheEndRequestWaitsAsTypedForTheDesk)
{
    test::WindowHooks hooks;
    database.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_bool_value) "
                                 "VALUES ('Shutdown', 1, -1)"));
    const QString named = QStringLiteral("Hotelleistungen: \"Suite\": Preis \"zwoelf\" und Beschreibung nicht "
                                         "gespeichert, da der Preis nicht gelesen werden kann");
    type(w.tbBeschreibung, QStringLiteral("Suite"));
    type(w.tbPreis, QStringLiteral("zwoelf"));
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_TRUE(dialogs->messages().empty()) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("zwoelf"));
    EXPECT_EQ(hooks.endNotices, std::vector<QStringList>{{named}});
    type(w.tbPreis, QStringLiteral("85"));
    QTest::keyClick(w.tbPreis, Qt::Key_Tab);
    EXPECT_TRUE(UnsavedEdits().isEmpty());

    // Typed so again and named again; given up, the station ends with none of it stored.
    type(w.tbPreis, QStringLiteral("zwoelf"));
    EXPECT_TRUE(CheckShutdownRequest());
    EXPECT_EQ(hooks.endNotices, (std::vector<QStringList>{{named}, {named}}));
    dialogs->answerMessage(Answer::Cancel);   // save? no
    w.tbComment->setFocus();
    QTest::keyClick(w.tbComment, Qt::Key_Escape);
    EXPECT_TRUE(UnsavedEdits().isEmpty());
    EXPECT_THROW(CheckShutdownRequest(), ProgramEnded);
    EXPECT_EQ(other.value(QStringLiteral("SELECT srv_price || '/' || srv_name FROM tbl_services WHERE srv_id = 2")).toText(),
              QStringLiteral("79.0/Übernachtung"));
}

// The user quits with a price the other desk changed too: going back on the
// question keeps the program and the typed price; nothing is written.
TEST_F(TwoDesksOnOneService, AQuitThatMeetsAPriceBothChangedWaitsWhenTheUserGoesBack)
{
    test::WindowHooks hooks;
    other.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 82 WHERE srv_id = 2"));
    type(w.tbPreis, QStringLiteral("85"));
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerMessage(Answer::Cancel);
    EXPECT_NO_THROW(QuitProgram());
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Preis jetzt")));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.tbPreis->text(), QStringLiteral("85,00"));
    EXPECT_EQ(stored("srv_price").toDouble(), 82.0);
}

// A change made elsewhere since the entry was read is named as stored, and
// Nein keeps the entry; unchanged, the question names it as stored, not as typed.
TEST_F(CatalogueTest, DeletingAServiceChangedElsewhereAsksNamingItAsStored)
{
    test::OtherStation other(database.path());
    catalogue.load(3);
    catalogue.editName(QStringLiteral("Kurtaxe 2027"));
    other.exec(QStringLiteral("UPDATE tbl_services SET srv_price = 3 WHERE srv_id = 3"));
    dialogs->answerDefault();
    EXPECT_FALSE(catalogue.deleteCurrent());
    dialogs->answerMessage(Answer::Yes);
    EXPECT_TRUE(catalogue.deleteCurrent());
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Hotelleistung \"Kurtaxe\" wurde inzwischen an anderer Stelle geändert: Preis jetzt 3,00 EUR. Trotzdem löschen?"));
    EXPECT_EQ(services(), 2);

    catalogue.load(2);
    catalogue.editName(QStringLiteral("Zimmer"));
    dialogs->answerMessage(Answer::Cancel);
    EXPECT_FALSE(catalogue.deleteCurrent());
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie die Hotelleistung \"Übernachtung\" wirklich löschen?"));
}

// An empty price, an empty VAT class shown as "voll", a name with blanks: what
// the user types there is written, also the value shown.
TEST_F(CatalogueTest, AValueTypedWhereTheStoredOneWasShownNormalisedIsWritten)
{
    database.exec(QStringLiteral("INSERT INTO tbl_services (srv_id, srv_name) VALUES (4, '  Leihrad  ')"));
    catalogue.load(4);
    catalogue.editPrice(QStringLiteral("0"));
    catalogue.chooseVat(0);
    catalogue.editName(QStringLiteral("  Leihrad  "));
    catalogue.trimName();
    ASSERT_TRUE(catalogue.SaveArtikel());
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_name || '/' || srv_price || '/' || srv_tax_id FROM tbl_services "
                                            "WHERE srv_id = 4")).toText(),
              QStringLiteral("Leihrad/0.0/0"));
}
