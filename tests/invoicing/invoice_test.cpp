#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/invoices.h"
#include "core/messages.h"
#include "core/notices.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "invoicing/invoice.h"
#include "platform/db/database.h"
#include "platform/runtime/format.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/unchecked_writes.h"

using ui::Answer;

namespace {

class InvoiceSessionTest : public test::InvoicingTest {
protected:
    void SetUp() override { MwStIncluded = false; }

    // A new invoice as the invoice window starts it.
    void startNew(qint32 custId, bool withPosition)
    {
        session.show(-1, custId, -1);
        ASSERT_TRUE(session.hasInvoice());
        if (withPosition) {
            ASSERT_TRUE(session.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
        }
    }
    int invoiceRows(qint32 invId) const
    {
        return database.count(QStringLiteral("tbl_invoice"), QStringLiteral("inv_id = %1").arg(invId));
    }
    int positionRows(qint32 invId) const
    {
        return database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_invoice_id = %1").arg(invId));
    }
    db::Value column(const QString& name, qint32 invId) const
    {
        return database.value(QStringLiteral("SELECT %1 FROM tbl_invoice WHERE inv_id = %2").arg(name).arg(invId));
    }

    InvoiceSession session;
};

}  // namespace

// --- the save rules -------------------------------------------------------------

TEST_F(InvoiceSessionTest, AnUntouchedNewInvoiceIsDroppedWithoutAQuestion)
{
    startNew(-1, false);
    const qint32 id = session.CurrentInvoiceId;
    EXPECT_EQ(invoiceRows(id), 1);
    EXPECT_TRUE(session.Changed);
    EXPECT_EQ(session.NumberText, InvoiceNumber(session.DateText, id));

    EXPECT_EQ(session.SaveInvoice(), SaveResult::Dropped);
    EXPECT_EQ(invoiceRows(id), 0);
    EXPECT_TRUE(dialogs->messages().empty());

    // Nothing is shown any more, and positions have nowhere to go.
    EXPECT_FALSE(session.hasInvoice());
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.addPosition(1, QStringLiteral("Frühstück"), 1250, 1));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions")), 0);
}

TEST_F(InvoiceSessionTest, WithoutRecipientButWithPositionsTheUserDecides)
{
    for (Answer answer : {Answer::No, Answer::Yes}) {
        startNew(-1, true);
        const qint32 id = session.CurrentInvoiceId;
        dialogs->answerMessage(answer);
        EXPECT_EQ(session.SaveInvoice(), answer == Answer::Yes ? SaveResult::Saved : SaveResult::Dropped);
        EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung gültig?"));
        EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("enthält keinen Empfänger")));
        EXPECT_EQ(invoiceRows(id), answer == Answer::Yes ? 1 : 0);
        EXPECT_EQ(positionRows(id), answer == Answer::Yes ? 1 : 0);
    }
    // Kept with positions: no second question about them.
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

TEST_F(InvoiceSessionTest, WithRecipientButWithoutPositionsTheUserDecides)
{
    for (Answer answer : {Answer::No, Answer::Yes}) {
        startNew(1, false);
        const qint32 id = session.CurrentInvoiceId;
        dialogs->answerMessage(answer);
        EXPECT_EQ(session.SaveInvoice(), answer == Answer::Yes ? SaveResult::Saved : SaveResult::Dropped);
        EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Rechnungstabelle enthält keine Artikel.")));
        EXPECT_EQ(invoiceRows(id), answer == Answer::Yes ? 1 : 0);
    }
}

TEST_F(InvoiceSessionTest, RecipientAndPositionsAreSavedWithoutAQuestion)
{
    MandantId = 3;
    session.show(-1, 1, 7);
    EXPECT_TRUE(session.AddressText.contains(QStringLiteral("Hans Meier")));
    ASSERT_TRUE(session.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
    session.completeDate(QStringLiteral("15.08.2020"));
    session.selectPaymode(1);
    session.setPaid(true);
    session.editNotes(QStringLiteral("  Danke für Ihren Besuch  "));
    const qint32 id = session.CurrentInvoiceId;

    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_FALSE(session.Changed);
    EXPECT_EQ(column(QStringLiteral("inv_date"), id).toDate(), rt::Date::fromParts(2020, 8, 15));
    EXPECT_EQ(column(QStringLiteral("inv_status_id"), id).toLong(), 1);
    EXPECT_EQ(column(QStringLiteral("inv_paymode_id"), id).toLong(), 1);
    EXPECT_EQ(column(QStringLiteral("inv_mandant_id"), id).toLong(), 3);
    EXPECT_EQ(column(QStringLiteral("inv_booking_id"), id).toLong(), 7);
    EXPECT_EQ(column(QStringLiteral("inv_customer_id"), id).toLong(), 1);
    EXPECT_EQ(column(QStringLiteral("inv_notes"), id).toText(), QStringLiteral("Danke für Ihren Besuch"));
    // 25,00 at the 16 % of August 2020.
    EXPECT_DOUBLE_EQ(column(QStringLiteral("inv_total"), id).toDouble(), 29.0);
    EXPECT_TRUE(column(QStringLiteral("inv_is_payed"), id).toBool());
}

TEST_F(InvoiceSessionTest, ChoosingAnotherInvoiceAfterNewWritesAndAsksNothing)
{
    const qint32 other = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    startNew(-1, false);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Dropped);
    session.LoadInvoice(other);
    EXPECT_FALSE(session.Changed);
    // Without positions, but nobody changed it: no question, no write.
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Unchanged);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(column(QStringLiteral("inv_mandant_id"), other).toLong(), 0);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
}

TEST_F(InvoiceSessionTest, AFailedHeaderWriteKeepsTheInvoiceAsShown)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    session.LoadInvoice(id);
    session.editNotes(QStringLiteral("wichtig"));
    database.refuseWrites(QStringLiteral("tbl_invoice"));

    dialogs->answerMessage(Answer::Ok);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Failed);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler beim Update des Rechnungs-Datensatzes")));
    EXPECT_TRUE(dialogs->lastMessage().title.startsWith(QStringLiteral("Fehler ")));
    EXPECT_EQ(session.CurrentInvoiceId, id);
    EXPECT_TRUE(session.Changed);
    EXPECT_EQ(session.Notes, QStringLiteral("wichtig"));
    EXPECT_EQ(session.Positions.size(), 1u);
    EXPECT_EQ(positionRows(id), 1);
}

TEST_F(InvoiceSessionTest, AtTheProgramsEndNobodyIsAskedAndTheInvoiceIsKept)
{
    startNew(-1, true);
    EXPECT_EQ(session.SaveInvoice(true), SaveResult::Saved);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(invoiceRows(session.CurrentInvoiceId), 1);
}

// Shown here, deleted at another workstation: the next position write
// stores the invoice anew, nothing ever goes under the old id.
TEST_F(InvoiceSessionTest, AnInvoiceDeletedElsewhereIsStoredAnewByTheNextPositionWrite)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    database.addPosition(id, -1, 1, 8.5, QStringLiteral("Minibar"));
    session.LoadInvoice(id);
    const QString oldNumber = session.NumberText;
    test::RemoveInvoice(id);   // another workstation

    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung %1 nicht gefunden").arg(id));
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Rechnung Nr. ") + oldNumber
                                                       + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz "
                                                                        "gelöscht.")));
    EXPECT_TRUE(session.RowMissing);
    EXPECT_TRUE(session.Changed);
    EXPECT_EQ(session.Positions.size(), 2u);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions")), 0);

    ASSERT_TRUE(session.setQuantity(0, QStringLiteral("3")));
    const qint32 newId = session.CurrentInvoiceId;
    EXPECT_GT(newId, id);
    EXPECT_FALSE(session.RowMissing);
    EXPECT_EQ(session.NumberText, QStringLiteral("2024") + QString::number(newId).rightJustified(6, '0'));
    EXPECT_EQ(positionRows(newId), 2);
    EXPECT_EQ(positionRows(id), 0);
    EXPECT_EQ(column(QStringLiteral("inv_customer_id"), newId).toLong(), 1);
    EXPECT_EQ(CentsOf(column(QStringLiteral("inv_total"), newId).toDouble()), session.Totals->gross);

    // From here on an ordinary invoice: its positions are its own rows.
    ASSERT_TRUE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
    ASSERT_TRUE(session.setPrice(2, QStringLiteral("3,00")));
    EXPECT_EQ(positionRows(newId), 3);
    EXPECT_EQ(LoadInvoicePositions(newId)[0].ivp_quantity, 3);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
}

// Its positions went with it: an edit of one of them names the invoice as
// gone, not the position, and the positions shown stay to be stored anew.
TEST_F(InvoiceSessionTest, AnEditOfAPositionOfAnInvoiceDeletedElsewhereKeepsThePositionsShown)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    database.addPosition(id, -1, 1, 8.5, QStringLiteral("Minibar"));
    session.LoadInvoice(id);
    test::RemoveInvoice(id);   // another workstation

    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.setPrice(1, QStringLiteral("9,00")));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung %1 nicht gefunden").arg(id));
    EXPECT_TRUE(session.RowMissing);
    EXPECT_FALSE(session.PositionsStale);
    ASSERT_EQ(session.Positions.size(), 2u);

    ASSERT_TRUE(session.setPrice(1, QStringLiteral("9,00")));
    EXPECT_EQ(positionRows(session.CurrentInvoiceId), 2);
    EXPECT_EQ(LoadInvoicePositions(session.CurrentInvoiceId)[1].ivp_price, 9.0);

    // A position deleted from it: told too, and the rest is kept by the next save.
    const qint32 second = session.CurrentInvoiceId;
    test::RemoveInvoice(second);
    dialogs->answerMessage(Answer::Ok);   // wirklich löschen?
    dialogs->answerMessage(Answer::Ok);   // nicht gefunden
    EXPECT_TRUE(session.deletePosition(0));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung %1 nicht gefunden").arg(second));
    EXPECT_TRUE(session.Changed);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(positionRows(session.CurrentInvoiceId), 1);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
}

TEST_F(InvoiceSessionTest, AnInvoiceDeletedElsewhereIsStoredAnewByTheSaveWithAllItsPositions)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    session.LoadInvoice(id);
    session.editNotes(QStringLiteral("neu"));
    test::RemoveInvoice(id);   // another workstation

    dialogs->answerMessage(Answer::Ok);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    const qint32 newId = session.CurrentInvoiceId;
    EXPECT_NE(newId, id);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Die Rechnung Nr. 2024%1 wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Sie wurde "
                             "als neue Rechnung Nr. %2 gespeichert.")
                  .arg(id, 6, 10, QLatin1Char('0'))
                  .arg(session.NumberText));
    EXPECT_EQ(positionRows(newId), 1);
    EXPECT_EQ(positionRows(id), 0);
    EXPECT_EQ(column(QStringLiteral("inv_notes"), newId).toText(), QStringLiteral("neu"));
    EXPECT_FALSE(session.Changed);
}

// Not found when loaded: the cleared fields are a new invoice. Left empty it
// is dropped unasked; given a position it is stored anew at once, its new
// number told (the box of the load only said it was gone).
TEST_F(InvoiceSessionTest, AnInvoiceNotFoundCountsAsANewChangedOne)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    test::RemoveInvoice(id);
    for (bool withPosition : {false, true}) {
        dialogs->answerMessage(Answer::Ok);
        session.LoadInvoice(id);
        EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung %1 nicht gefunden").arg(id));
        EXPECT_TRUE(session.Changed);
        EXPECT_EQ(session.CustomerId, -1);
        if (!withPosition) {
            EXPECT_EQ(session.SaveInvoice(), SaveResult::Dropped);
            EXPECT_EQ(dialogs->messages().size(), 1u);
            EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 0);
            continue;
        }
        dialogs->answerMessage(Answer::Ok);
        ASSERT_TRUE(session.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
        EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Rechnung %1 wurde inzwischen an einem anderen Arbeitsplatz "
                                                              "gelöscht. Sie wurde als neue Rechnung Nr. %2 gespeichert.")
                                                   .arg(id)
                                                   .arg(session.NumberText));
        EXPECT_NE(session.CurrentInvoiceId, id);
        EXPECT_EQ(positionRows(session.CurrentInvoiceId), 1);
        EXPECT_EQ(CentsOf(column(QStringLiteral("inv_total"), session.CurrentInvoiceId).toDouble()), 2975);
    }
    EXPECT_EQ(positionRows(id), 0);

    // A read-only workstation has nothing to store and is asked nothing.
    StationReadOnly = true;
    dialogs->answerMessage(Answer::Ok);
    session.LoadInvoice(id);
    EXPECT_FALSE(session.Changed);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Unchanged);
    EXPECT_EQ(dialogs->messages().size(), 4u);
}

TEST_F(InvoiceSessionTest, AReadOnlyWorkstationViewsButChangesNothing)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    StationReadOnly = true;
    session.LoadInvoice(id);
    session.editNotes(QStringLiteral("geändert"));
    for (int i = 0; i < 6; ++i)
        dialogs->answerMessage(Answer::Ok);

    EXPECT_EQ(session.SaveInvoice(), SaveResult::ReadOnly);
    EXPECT_FALSE(session.CreateNewInvoice());
    EXPECT_FALSE(session.addPosition(1, QStringLiteral("Frühstück"), 1250, 1));
    EXPECT_FALSE(session.setQuantity(0, QStringLiteral("5")));
    EXPECT_FALSE(session.DeleteInvoice());
    EXPECT_FALSE(session.takeOverCustomer(2));
    for (const auto& message : dialogs->messages())
        EXPECT_EQ(message.text, GetResString(390));
    EXPECT_EQ(column(QStringLiteral("inv_notes"), id).toText(), QString());
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
    EXPECT_EQ(database.value(QStringLiteral("SELECT ivp_quantity FROM tbl_invoice_positions")).toLong(), 2);
}

// --- loading, recipient, deletion -------------------------------------------------

TEST_F(InvoiceSessionTest, LoadingShowsTheStoredHeader)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"), 9);
    database.addPosition(id, 2, 3, 79);
    session.LoadInvoice(id);
    EXPECT_EQ(session.DateText, QStringLiteral("05.03.2024"));
    EXPECT_EQ(session.NumberText, QStringLiteral("2024") + QString::number(id).rightJustified(6, '0'));
    // A state the table no longer has shows as the first one; it is written
    // over only when the user chooses a state, not by a save of another field.
    EXPECT_EQ(session.StatusId, 1);
    EXPECT_EQ(session.PaymodeId, 2);
    EXPECT_EQ(session.CustomerId, 1);
    EXPECT_EQ(session.Totals->sum, 23700);
    EXPECT_EQ(session.Totals->vatReduced, 1659);
    session.editNotes(QStringLiteral("bitte bis Monatsende"));
    ASSERT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(column(QStringLiteral("inv_status_id"), id).toLong(), 9);
    session.selectStatus(1);
    ASSERT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(column(QStringLiteral("inv_status_id"), id).toLong(), 1);

    const qint32 undated = database.addInvoice(1, QStringLiteral("NULL"));
    session.LoadInvoice(undated);
    EXPECT_EQ(session.DateText, QString());
    EXPECT_EQ(session.NumberText, QString::number(undated).rightJustified(6, '0'));
    EXPECT_EQ(session.StatusLine, QStringLiteral("Diese Rechnung enthält noch keine Artikel."));
}

TEST_F(InvoiceSessionTest, AnotherRecipientIsTakenOnlyAfterAskingAndStoredAtOnce)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    session.LoadInvoice(id);
    // Enter keeps the recipient.
    dialogs->answerDefault();
    EXPECT_FALSE(session.takeOverCustomer(2));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Meier, Hans")));
    EXPECT_EQ(column(QStringLiteral("inv_customer_id"), id).toLong(), 1);

    dialogs->answerMessage(Answer::Ok);
    EXPECT_TRUE(session.takeOverCustomer(2));
    EXPECT_EQ(column(QStringLiteral("inv_customer_id"), id).toLong(), 2);
    EXPECT_TRUE(session.AddressText.contains(QStringLiteral("Anna Schulz")));
    EXPECT_TRUE(session.Changed);
    // The same guest again: nothing to ask.
    EXPECT_TRUE(session.takeOverCustomer(2));
    EXPECT_EQ(dialogs->messages().size(), 2u);
}

TEST_F(InvoiceSessionTest, DeletingAnInvoiceRemovesItsPositionsAndHeader)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    session.LoadInvoice(id);
    dialogs->answerMessage(Answer::Cancel);
    EXPECT_FALSE(session.DeleteInvoice());
    EXPECT_EQ(invoiceRows(id), 1);

    dialogs->answerMessage(Answer::Ok);
    EXPECT_TRUE(session.DeleteInvoice());
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung Nr. ") + InvoiceNumber(QStringLiteral("05.03.2024"), id));
    EXPECT_EQ(invoiceRows(id), 0);
    EXPECT_EQ(positionRows(id), 0);
    EXPECT_FALSE(session.hasInvoice());
    EXPECT_EQ(session.CustomerId, -1);
    EXPECT_TRUE(session.Positions.empty());
}

// --- the list ---------------------------------------------------------------------

TEST_F(InvoiceSessionTest, TheListShowsNinetyMonthsOrOneCustomerNewestFirst)
{
    const rt::Date today = rt::Date::today();
    const qint32 old = database.addInvoice(1, DateToSQL(today.addMonths(-91)));
    const qint32 recent = database.addInvoice(2, DateToSQL(today.addDays(-3)));
    const qint32 newest = database.addInvoice(1, DateToSQL(today));
    const qint32 undated = database.addInvoice(1, QStringLiteral("NULL"));
    const auto ids = [](const std::vector<InvoiceListRow>& rows) {
        std::vector<qint32> result;
        for (const InvoiceListRow& r : rows)
            result.push_back(r.inv_id);
        return result;
    };
    EXPECT_EQ(ids(ListInvoices(-1, InvoiceListSince(today))), (std::vector<qint32>{newest, recent}));
    const std::vector<InvoiceListRow> customer = ListInvoices(1, InvoiceListSince(today));
    EXPECT_EQ(ids(customer), (std::vector<qint32>{newest, old, undated}));
    EXPECT_TRUE(InvoiceListEntry(customer.back()).startsWith(QStringLiteral("   ??.??.??   offen")));
}

// --- date and VAT -----------------------------------------------------------------

TEST_F(InvoiceSessionTest, ADateInAnotherVatPeriodChangesRatesAndTotalsTogether)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#06/30/2020#"));
    database.addPosition(id, 1, 1, 100);
    session.LoadInvoice(id);
    EXPECT_EQ(session.VatFull, 19);
    EXPECT_EQ(session.Totals->vatFull, 1900);

    session.completeDate(QStringLiteral("1.7.20"));
    EXPECT_EQ(session.DateText, QStringLiteral("01.07.2020"));
    EXPECT_EQ(session.VatFull, 16);
    EXPECT_EQ(session.vatRateText(QStringLiteral("0")), QStringLiteral("16"));
    EXPECT_EQ(session.Totals->vatFull, 1600);
    EXPECT_EQ(session.Totals->gross, 11600);
    EXPECT_TRUE(session.Changed);
}

TEST_F(InvoiceSessionTest, TheVatIsLookedUpWhenTheDateIsCompleteNotWhileTyping)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    session.LoadInvoice(id);
    // Typing passes through dates no VAT period covers.
    for (const char* typed : {"0", "01.0", "01.01.1", "01.01.199", "01.01.1990"})
        session.editDate(QString::fromLatin1(typed));
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(session.weekdayText(), QStringLiteral("Mo."));

    // 1990 lies before every VAT period: no rate, not those of 2024.
    session.completeDate(session.DateText);
    EXPECT_FALSE(session.VatFull.has_value());
    EXPECT_FALSE(session.Totals.has_value());
    dialogs->answerMessage(Answer::Ok);
    EXPECT_EQ(TellNotices(), 1);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Für das Datum 01.01.1990 der Rechnung Nr. 1990")));
    // Leaving the box again says no more.
    session.completeDate(session.DateText);
    EXPECT_EQ(TellNotices(), 0);
}

TEST_F(InvoiceSessionTest, DayStepsOnAnEmptyDateStartFromToday)
{
    startNew(1, false);
    const rt::Date today = rt::Date::today();
    session.editDate(QString());
    session.stepDate(0);
    EXPECT_EQ(session.DateText, rt::formatDate(today.addDays(1), DateFormat));
    session.editDate(QString());
    session.stepDate(1);
    EXPECT_EQ(session.DateText, rt::formatDate(today.addDays(-1), DateFormat));
    session.stepDate(1);
    EXPECT_EQ(session.DateText, rt::formatDate(today.addDays(-2), DateFormat));
}

// --- positions --------------------------------------------------------------------

TEST_F(InvoiceSessionTest, QuantitiesAreWholeNumbersAndWhatIsShownIsStored)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    const qint32 ivp = database.addPosition(id, 1, 2, 12.5);
    session.LoadInvoice(id);
    const auto stored = [&](const char* column) {
        return database.value(QStringLiteral("SELECT %1 FROM tbl_invoice_positions WHERE ivp_id = %2")
                                  .arg(QString::fromLatin1(column))
                                  .arg(ivp));
    };

    for (const char* refused : {"2,5", "2.5", "zwei", "40000"}) {
        dialogs->answerMessage(Answer::Ok);
        EXPECT_FALSE(session.setQuantity(0, QString::fromLatin1(refused))) << refused;
    }
    EXPECT_EQ(session.Positions[0].quantity, 2);
    EXPECT_EQ(stored("ivp_quantity").toLong(), 2);

    EXPECT_TRUE(session.setQuantity(0, QStringLiteral("3")));
    EXPECT_EQ(stored("ivp_quantity").toLong(), 3);
    EXPECT_EQ(session.Positions[0].total(), 3750);
    EXPECT_EQ(session.Totals->sum, 3750);

    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.setPrice(0, QStringLiteral("zwölf")));
    EXPECT_TRUE(session.setPrice(0, QStringLiteral("13,755")));
    EXPECT_EQ(CentsOf(stored("ivp_price").toDouble()), 1376);
    EXPECT_EQ(session.Totals->sum, 4128);
}

TEST_F(InvoiceSessionTest, PositionTextsRoundTripUnchanged)
{
    startNew(1, false);
    ASSERT_TRUE(session.addPosition(1, FreePositionText, 0, -1));
    ASSERT_TRUE(session.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
    const auto reload = [&] {
        session.loadPositions();
        return session.Positions;
    };
    EXPECT_EQ(reload()[0].displayText(), FreePositionText + QStringLiteral(" ~"));
    EXPECT_FALSE(reload()[1].ownText);
    EXPECT_TRUE(database.value(QStringLiteral("SELECT ivp_text FROM tbl_invoice_positions WHERE ivp_prod_id = 1")).isNull());

    const QString apostrophe = QStringLiteral("Getränke aus dem Kühlschrank 'Nord'");
    EXPECT_TRUE(session.setText(0, apostrophe));
    EXPECT_EQ(reload()[0].text, apostrophe);
    // The marker typed back at the end stays a marker: shown once, never stored.
    EXPECT_TRUE(session.setText(0, QStringLiteral("Wein ~")));
    EXPECT_EQ(reload()[0].displayText(), QStringLiteral("Wein ~"));

    // A service's own name is no text of its own.
    EXPECT_TRUE(session.setText(1, QStringLiteral("Frühstück extra")));
    EXPECT_EQ(reload()[1].displayText(), QStringLiteral("Frühstück extra ~"));
    EXPECT_TRUE(session.setText(1, QStringLiteral("Frühstück")));
    EXPECT_FALSE(reload()[1].ownText);
    EXPECT_TRUE(database.value(QStringLiteral("SELECT ivp_text FROM tbl_invoice_positions WHERE ivp_prod_id = 1")).isNull());
}

TEST_F(InvoiceSessionTest, APositionTakesItsServicesClassAndAGoneServiceCountsFull)
{
    startNew(1, false);
    ASSERT_TRUE(session.addPosition(1, QStringLiteral("Übernachtung"), 7900, 2));
    ASSERT_TRUE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
    EXPECT_EQ(session.Positions[0].vatId, QStringLiteral("1"));
    EXPECT_EQ(session.Positions[1].vatId, QStringLiteral("2"));
    EXPECT_EQ(session.Totals->vatReduced, 553);

    database.exec(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = 2"));
    session.loadPositions();
    EXPECT_EQ(session.Positions[0].vatClass(), 0);
    EXPECT_EQ(session.Positions[0].displayText(), QStringLiteral("- - - (unbekannter Artikel : 2)"));
    EXPECT_EQ(session.Totals->vatFull, 1501);
}

TEST_F(InvoiceSessionTest, DeletingTheOnlyPositionLeavesZeroTotals)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    session.LoadInvoice(id);
    dialogs->answerMessage(Answer::Cancel);
    EXPECT_FALSE(session.deletePosition(0));
    EXPECT_EQ(positionRows(id), 1);

    dialogs->answerMessage(Answer::Ok);
    EXPECT_TRUE(session.deletePosition(0));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Frühstück\nwirklich löschen?"));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Position löschen"));
    EXPECT_EQ(positionRows(id), 0);
    EXPECT_TRUE(session.Positions.empty());
    EXPECT_EQ(session.Totals->gross, 0);
}

// The stored total follows every position write at once; a new date or VAT
// mode goes in with the next save.
TEST_F(InvoiceSessionTest, TheStoredTotalIsTheGrossShown)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2020#"));
    session.LoadInvoice(id);
    const auto stored = [&] { return CentsOf(column(QStringLiteral("inv_total"), id).toDouble()); };
    ASSERT_TRUE(session.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
    EXPECT_EQ(stored(), 2975);
    ASSERT_TRUE(session.addPosition(1, QStringLiteral("Übernachtung"), 7900, 2));
    EXPECT_EQ(stored(), session.Totals->gross);
    ASSERT_TRUE(session.setQuantity(1, QStringLiteral("3")));
    EXPECT_EQ(stored(), session.Totals->gross);
    ASSERT_TRUE(session.setPrice(0, QStringLiteral("10,00")));
    EXPECT_EQ(stored(), session.Totals->gross);
    dialogs->answerMessage(Answer::Ok);
    ASSERT_TRUE(session.deletePosition(0));
    EXPECT_EQ(stored(), 25359);   // 237,00 and 7 %
    EXPECT_EQ(session.Totals->gross, 25359);
    EXPECT_FALSE(session.Changed);

    session.completeDate(QStringLiteral("15.08.2020"));   // 5 % then
    EXPECT_EQ(session.Totals->gross, 24885);
    EXPECT_EQ(stored(), 25359);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(stored(), 24885);

    // The VAT mode switched meanwhile: the save says so before it stores the new total.
    MwStIncluded = true;
    session.editNotes(QStringLiteral("inklusive"));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Bruttobetrag von 248,85 € gespeichert")));
    // Told of the total that save stored, not of one stored later.
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("den die Rechnung zeigt: 237,00 €.")));
    EXPECT_EQ(session.Totals->gross, 23700);
    EXPECT_EQ(stored(), 23700);

    // Switched back while a new date is typed: stored is the total shown for
    // that date, and nothing is said of what the old date would give.
    MwStIncluded = false;
    session.completeDate(QStringLiteral("05.03.2024"));   // 7 % again
    const size_t told = dialogs->messages().size();
    EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(dialogs->messages().size(), told);
    EXPECT_EQ(stored(), 25359);
}

TEST_F(InvoiceSessionTest, AServiceOrRecipientDeletedElsewhereIsNamedAndNothingStored)
{
    startNew(1, true);
    const qint32 id = session.CurrentInvoiceId;
    database.exec(QStringLiteral("DELETE FROM tbl_services WHERE srv_id = 3"));   // another workstation
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Hotelleistung \"Kurtaxe\" wurde inzwischen an einem anderen "
                                                          "Arbeitsplatz gelöscht. Es wurde nichts gespeichert."));
    EXPECT_EQ(session.Positions.size(), 1u);
    EXPECT_EQ(positionRows(id), 1);

    // Said before asking whether to replace the recipient shown.
    database.exec(QStringLiteral("DELETE FROM tbl_customers WHERE cust_id = 2"));
    dialogs->answerMessage(Answer::Ok);
    EXPECT_FALSE(session.takeOverCustomer(2));
    EXPECT_EQ(dialogs->messages().size(), 2u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Adresse des Empfängers wurde inzwischen")));
    EXPECT_EQ(session.CustomerId, 1);
    EXPECT_NE(column(QStringLiteral("inv_customer_id"), id).toLong(), 2);
}

// Another workstation switched the VAT mode after this one started.
TEST_F(InvoiceSessionTest, AnInvoiceIsOpenedWithTheVatModeStoredNow)
{
    startNew(1, true);
    ASSERT_EQ(session.SaveInvoice(), SaveResult::Saved);
    const qint32 invId = session.CurrentInvoiceId;
    const qint64 netTotal = session.Totals->gross;
    {
        std::unique_ptr<db::Database> other = db::Database::open(database.path());
        other->execute(QStringLiteral("UPDATE tbl_preferences2 SET prf_bool_value = -1 WHERE prf_name = 'MwSt_included'"));
    }
    session.LoadInvoice(invId);
    EXPECT_TRUE(MwStIncluded);
    EXPECT_EQ(session.Totals->gross, 2500);
    EXPECT_LT(session.Totals->gross, netTotal);
}

// Fields that show a stored value as well as they can: what the user types
// there is written, also the value shown.
TEST_F(InvoiceSessionTest, AValueTypedWhereTheStoredOneWasShownNormalisedIsWritten)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024 18:30:00#"));
    database.addPosition(id, 1, 2, 12.345);
    database.addPosition(id, 2, 1, 79, QStringLiteral(" Zimmer 3 "));
    database.exec(QStringLiteral("UPDATE tbl_invoice_positions SET ivp_quantity = NULL WHERE ivp_prod_id = 2"));
    database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_notes = '  bar  '"));
    session.LoadInvoice(id);
    ASSERT_TRUE(session.setPrice(0, QStringLiteral("12,35")));
    ASSERT_TRUE(session.setQuantity(1, QStringLiteral("0")));
    ASSERT_TRUE(session.setText(1, QStringLiteral("Zimmer 3")));
    EXPECT_EQ(database.value(QStringLiteral("SELECT group_concat(ivp_price || '/' || ifnull(ivp_quantity, '-') || '/' || "
                                            "ifnull(ivp_text, ''), ';') FROM tbl_invoice_positions")).toText(),
              QStringLiteral("12.35/2/;79.0/0/Zimmer 3"));

    session.editDate(QStringLiteral("05.03.202"));
    session.completeDate(QStringLiteral("05.03.2024"));
    session.editNotes(QStringLiteral("  ba"));
    session.editNotes(QStringLiteral("  bar  "));
    session.trimNotes();
    ASSERT_EQ(session.SaveInvoice(), SaveResult::Saved);
    EXPECT_EQ(column(QStringLiteral("inv_date"), id).toDouble(), rt::Date::fromParts(2024, 3, 5).serial());
    EXPECT_EQ(column(QStringLiteral("inv_notes"), id).toText(), QStringLiteral("bar"));
}
