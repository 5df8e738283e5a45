// Stored numbers and dates of an invoice that the program cannot read, as a
// damaged file or another tool leaves them: named, never counted as 0 or as
// another value, no total shown, printed or stored from them.

#include "core/globals.h"
#include "core/invoices.h"
#include "core/notices.h"
#include "core/preferences.h"
#include "invoicing/catalogue.h"
#include "invoicing/invoice.h"
#include "tests/invoicing/invoice_db.h"

using ui::Answer;

namespace {

class UnreadableValues : public test::InvoicingTest {
protected:
    void SetUp() override
    {
        MwStIncluded = false;
        database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname, cust_sex) "
                                     "VALUES (3, 'Hoffmann', 'Ursula', 1)"));
    }
    // Frühstück 2 × 12,50 at the full rate, Übernachtung 3 × 79,00 at the
    // reduced one; a total stored that the VAT of now no longer gives.
    qint32 invoice(const QString& dateSql = QStringLiteral("#03/05/2024#"))
    {
        const qint32 id = database.addInvoice(3, QStringLiteral("#03/05/2024#"));
        database.addPosition(id, 1, 2, 12.5);
        database.addPosition(id, 2, 3, 79);
        database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_total = 1, inv_date = %1 WHERE inv_id = %2").arg(dateSql).arg(id));
        return id;
    }
    double storedTotal(qint32 id) const
    {
        return database.value(QStringLiteral("SELECT inv_total FROM tbl_invoice WHERE inv_id = %1").arg(id)).toDouble();
    }
    // What the notices of the last action told (each answered by a planned OK).
    QStringList told()
    {
        const size_t before = dialogs->messages().size();
        TellNotices();
        QStringList texts;
        for (size_t i = before; i < dialogs->messages().size(); ++i)
            texts << dialogs->messages()[i].text;
        return texts;
    }
};

struct Damage {
    const char* what;
    const char* sql;
    const char* named;   // the sentence naming it
    std::function<void(InvoiceSession&, test::ScriptedDialogs&)> mend;
};

void typeQuantity(InvoiceSession& s, test::ScriptedDialogs&) { ASSERT_TRUE(s.setQuantity(0, QStringLiteral("2"))); }
void typePrice(InvoiceSession& s, test::ScriptedDialogs&) { ASSERT_TRUE(s.setPrice(0, QStringLiteral("12,50"))); }
void typeRate(InvoiceSession& s, test::ScriptedDialogs&)
{
    Db->execute(QStringLiteral("UPDATE tbl_vat SET vat_full = 19, vat_reduced = 7"));
    s.loadPositions();
}
void chooseClass(InvoiceSession& s, test::ScriptedDialogs& dialogs)
{
    ServiceCatalogue catalogue;
    catalogue.load(2);
    // The catalogue names it too, as it shows it.
    dialogs.answerMessage(Answer::Ok);
    EXPECT_EQ(TellNotices(), 1);
    catalogue.chooseVat(1);
    ASSERT_TRUE(catalogue.SaveArtikel());
    s.loadPositions();
}

}  // namespace

TEST_F(UnreadableValues, AreNamedAndNoTotalIsShownPrintedOrStoredUntilTypedAnew)
{
    const QString position = QStringLiteral("Die Position \"%1\" der Rechnung Nr. 2024%2 hat ");
    const std::vector<Damage> damages{
        {"Menge als Text", "UPDATE tbl_invoice_positions SET ivp_quantity = 'zwei' WHERE ivp_prod_id = 1",
         "Frühstück|eine Menge, die nicht gelesen werden kann. Bitte geben Sie sie neu ein.", typeQuantity},
        {"Menge mit Bruch", "UPDATE tbl_invoice_positions SET ivp_quantity = 2.5 WHERE ivp_prod_id = 1",
         "Frühstück|eine Menge, die nicht gelesen werden kann. Bitte geben Sie sie neu ein.", typeQuantity},
        {"Preis als Text", "UPDATE tbl_invoice_positions SET ivp_price = '12,50 EUR' WHERE ivp_prod_id = 1",
         "Frühstück|einen Preis, der nicht gelesen werden kann. Bitte geben Sie ihn neu ein.", typePrice},
        {"Preis zu groß", "UPDATE tbl_invoice_positions SET ivp_price = 1e12 WHERE ivp_prod_id = 1",
         "Frühstück|einen Preis, der nicht gelesen werden kann. Bitte geben Sie ihn neu ein.", typePrice},
        {"Satz als Text", "UPDATE tbl_vat SET vat_reduced = 'sieben' WHERE vat_date_end > #01/01/2100#",
         "|einen ermäßigten Mehrwertsteuersatz für den 05.03.2024, der nicht gelesen werden kann. Bitte geben Sie ihn "
         "unter \"Mehrwertsteuer bearbeiten\" neu ein.",
         typeRate},
        {"Satz leer", "UPDATE tbl_vat SET vat_full = NULL WHERE vat_date_end > #01/01/2100#",
         "|einen vollen Mehrwertsteuersatz für den 05.03.2024, der nicht gelesen werden kann. Bitte geben Sie ihn unter "
         "\"Mehrwertsteuer bearbeiten\" neu ein.",
         typeRate},
        {"Klasse als Text", "UPDATE tbl_services SET srv_tax_id = 'ermäßigt' WHERE srv_id = 2",
         "Übernachtung|eine Mehrwertsteuer, die nicht gelesen werden kann. Bitte wählen Sie sie bei der Hotelleistung "
         "\"Übernachtung\" neu.",
         chooseClass},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        database.exec(QStringLiteral("UPDATE tbl_vat SET vat_full = 19, vat_reduced = 7 WHERE vat_date_end > #01/01/2100#"));
        database.exec(QStringLiteral("UPDATE tbl_services SET srv_tax_id = 1 WHERE srv_id = 2"));
        const qint32 id = invoice();
        database.exec(QString::fromUtf8(damage.sql));
        const QStringList named = QString::fromUtf8(damage.named).split(QLatin1Char('|'));
        const QString number = QString::number(id).rightJustified(6, QLatin1Char('0'));
        const QString sentence = named[0].isEmpty()
                                     ? QStringLiteral("Die Rechnung Nr. 2024") + number + QStringLiteral(" hat ") + named[1]
                                     : position.arg(named[0], number) + named[1];

        const size_t before = dialogs->messages().size();
        InvoiceSession session;
        session.LoadInvoice(id);
        session.TellStoredTotal();
        // Named once, and no difference of totals spoken of that it would make.
        dialogs->answerMessage(Answer::Ok);
        EXPECT_EQ(told(), QStringList{sentence});
        EXPECT_EQ(dialogs->messages().size(), before + 1);
        EXPECT_FALSE(session.Totals.has_value());

        // Every path that stores a total leaves the stored one alone.
        session.editNotes(QStringLiteral("geprüft"));
        EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
        ASSERT_TRUE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
        EXPECT_FALSE(session.Totals.has_value());
        dialogs->answerMessage(Answer::Ok);
        EXPECT_TRUE(session.refuseDocument());
        EXPECT_TRUE(dialogs->lastMessage().text.endsWith(sentence));
        EXPECT_TRUE(session.storeShownTotal());
        std::vector<RowValues> rows;
        for (const InvoicePositionRow& p : LoadInvoicePositions(id))
            rows.push_back(p.row);
        EXPECT_TRUE(StorePrintedTotal(id, rows, rt::Date::fromParts(2024, 3, 5), 999, StoredGrossRule()));
        EXPECT_EQ(storedTotal(id), 1.0);
        EXPECT_TRUE(told().isEmpty());

        // Typed anew: the totals are back, and the next save stores them.
        damage.mend(session, *dialogs);
        ASSERT_TRUE(session.Totals.has_value());
        EXPECT_TRUE(told().isEmpty());
        session.editNotes(QStringLiteral("gut"));
        const bool storedByTheEdit = CentsOf(storedTotal(id)) == session.Totals->gross;
        if (!storedByTheEdit)
            dialogs->answerMessage(Answer::Ok);
        EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
        EXPECT_EQ(CentsOf(storedTotal(id)), session.Totals->gross);
        EXPECT_EQ(session.Totals->gross, 28584);   // 25,00 at 19 %, 237,00 at 7 %, 2,50 without
        if (!storedByTheEdit) {
            EXPECT_TRUE(dialogs->lastMessage().text.endsWith(
                QStringLiteral("Gespeichert ist jetzt der Bruttobetrag, den die Rechnung zeigt: 285,84 €.")));
        }
    }
}

// Empty columns keep the meaning they always had: quantity and price 0, no class the full rate.
TEST_F(UnreadableValues, EmptyQuantitiesPricesAndClassesAreReadAsBefore)
{
    const qint32 id = invoice();
    database.exec(QStringLiteral("UPDATE tbl_invoice_positions SET ivp_quantity = NULL WHERE ivp_prod_id = 1"));
    database.exec(QStringLiteral("UPDATE tbl_invoice_positions SET ivp_price = NULL WHERE ivp_prod_id = 2"));
    database.exec(QStringLiteral("UPDATE tbl_services SET srv_tax_id = NULL"));
    InvoiceSession session;
    session.LoadInvoice(id);
    EXPECT_TRUE(told().isEmpty());
    ASSERT_TRUE(session.Totals.has_value());
    EXPECT_EQ(session.Positions[0].quantity, 0);
    EXPECT_EQ(session.Positions[1].total(), 0);
    EXPECT_EQ(session.Totals->gross, 0);
    EXPECT_FALSE(session.refuseDocument());
}

// A date stored as text or beyond the calendar: shown empty, named by the
// record and recipient, no number and no document until one is typed.
TEST_F(UnreadableValues, AnInvoiceDateThatCannotBeReadWaitsForOneTyped)
{
    for (const char* stored : {"'gestern'", "9999999"}) {
        SCOPED_TRACE(stored);
        database.exec(QStringLiteral("DELETE FROM tbl_invoice"));
        const qint32 id = invoice(QString::fromLatin1(stored));
        InvoiceSession session;
        session.LoadInvoice(id);
        dialogs->answerMessage(Answer::Ok);
        EXPECT_EQ(told(), QStringList{QStringLiteral("Das Datum der Rechnung %1 für \"Hoffmann, Ursula\" kann nicht "
                                                     "gelesen werden. Bitte geben Sie es neu ein.")
                                          .arg(id)});
        EXPECT_EQ(session.DateText, QString());
        EXPECT_EQ(session.NumberText, QString());
        dialogs->answerMessage(Answer::Ok);
        EXPECT_TRUE(session.refuseDocument());
        // Entering the box fills in nothing; a save keeps the date and the total.
        session.fillEmptyDate();
        EXPECT_EQ(session.DateText, QString());
        session.editNotes(QStringLiteral("geprüft"));
        EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
        EXPECT_EQ(database.value(QStringLiteral("SELECT CAST(inv_date AS TEXT) FROM tbl_invoice")).toText(),
                  QString::fromLatin1(stored).remove(QLatin1Char('\'')));
        EXPECT_EQ(storedTotal(id), 1.0);

        session.completeDate(QStringLiteral("5.3.2024"));
        EXPECT_EQ(session.NumberText, InvoiceNumber(QStringLiteral("05.03.2024"), id));
        EXPECT_FALSE(session.refuseDocument());
        // The stale total is replaced; no difference is spoken of that an
        // unreadable date made.
        EXPECT_EQ(session.SaveInvoice(), SaveResult::Saved);
        EXPECT_EQ(database.value(QStringLiteral("SELECT inv_date FROM tbl_invoice")).toDate(), rt::Date::fromParts(2024, 3, 5));
        EXPECT_EQ(CentsOf(storedTotal(id)), 28334);   // 25,00 at 19 %, 237,00 at 7 %
    }
}

// A VAT table that covers no 07.12.2026 however it fails: the date is named
// with the table to mend, and no position write or store anew makes a total.
TEST_F(UnreadableValues, ADateNoVatPeriodCoversGivesNoAmount)
{
    const QString before = QStringLiteral("(#01/01/2000#, #11/30/2026#, 19, 7), ");
    for (const QString& periods : {before + QStringLiteral("(#01/01/2027#, #12/31/2100#, 19, 7)"),
                                   before + QStringLiteral("(#12/31/2026#, #12/01/2026#, 19, 7)"),
                                   before + QStringLiteral("(#12/01/2026#, '31.12.2026', 19, 7)"), QString()}) {
        SCOPED_TRACE(periods.toStdString());
        database.exec(QStringLiteral("DELETE FROM tbl_vat"));
        if (!periods.isEmpty())
            database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES ") + periods);
        const qint32 id = invoice(QStringLiteral("#12/07/2026#"));
        InvoiceSession session;
        session.LoadInvoice(id);
        dialogs->answerMessage(Answer::Ok);
        EXPECT_EQ(told(), QStringList{QStringLiteral("Für das Datum 07.12.2026 der Rechnung Nr. ")
                                      + InvoiceNumber(QStringLiteral("07.12.2026"), id)
                                      + QStringLiteral(" gibt es in der Tabelle \"Mehrwertsteuer\" keinen Zeitraum, der "
                                                       "gelesen werden kann. Bitte ergänzen oder berichtigen Sie die "
                                                       "Tabelle.")});
        EXPECT_FALSE(session.VatFull || session.VatReduced || session.Totals);
        ASSERT_TRUE(session.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
        InvoiceHeaderWrite header;
        header.inv_date = rt::Date::fromParts(2026, 12, 7);
        const InvoiceWriteOutcome anew = StoreInvoiceAnew(header, LoadInvoicePositions(id), StoredGrossRule());
        EXPECT_EQ(storedTotal(anew.id), 0.0);   // the new row's default
        EXPECT_EQ(storedTotal(id), 1.0);
    }
}
