#include "core/messages.h"
#include "core/preferences.h"
#include "core/wordctrl.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/invoicedocument.h"
#include "platform/word/document.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/temp_folder.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QPushButton>
#include <QTest>

namespace {

InvoicePosition position(int quantity, const QString& text, Cents price, bool ownText = false)
{
    InvoicePosition p;
    p.quantity = quantity;
    p.text = text;
    p.ownText = ownText;
    p.price = price;
    return p;
}

}  // namespace

TEST(InvoiceDocumentTexts, PositionLinesAreTabbedWithEuroAndSeparatedByCarriageReturns)
{
    EXPECT_EQ(PositionLines({}), QString());
    const QString lines = PositionLines({position(2, QStringLiteral("Frühstück"), 1250),
                                         position(1, QStringLiteral("Minibar"), 123456, true)});
    EXPECT_EQ(lines, QStringLiteral("2\tFrühstück\t12,50 €\t25,00 €\r1\tMinibar\t1.234,56 €\t1.234,56 €"));
}

TEST(InvoiceDocumentTexts, ALongTextGoesOnInLinesOfItsOwnAndTheAmountsStayOnTheFirst)
{
    const QString text = QStringLiteral("Übernachtung im Doppelzimmer mit Blick auf den See, Halbpension mit "
                                        "Abendessen vom Buffet und Kurtaxe der Gemeinde");
    const QStringList lines = PositionLines({position(3, text, 12950), position(1, QStringLiteral("Minibar"), 450)})
                                  .split(QLatin1Char('\r'));
    ASSERT_GE(lines.size(), 3);
    const QStringList first = lines.front().split(QLatin1Char('\t'));
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first[0], QStringLiteral("3"));
    EXPECT_TRUE(text.startsWith(first[1] + QLatin1Char(' ')));
    EXPECT_EQ(first[2], QStringLiteral("129,50 €"));
    EXPECT_EQ(first[3], QStringLiteral("388,50 €"));
    QStringList words{first[1]};
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        // A continuation starts at the text's tab stop and carries no amount.
        EXPECT_TRUE(lines[i].startsWith(QLatin1Char('\t'))) << lines[i].toStdString();
        EXPECT_EQ(lines[i].count(QLatin1Char('\t')), 1);
        EXPECT_FALSE(lines[i].contains(QStringLiteral("€")));
        words << lines[i].mid(1);
    }
    // Broken between words, nothing lost.
    EXPECT_EQ(words.join(QLatin1Char(' ')), text);
    EXPECT_EQ(lines.back(), QStringLiteral("1\tMinibar\t4,50 €\t4,50 €"));

    // A word longer than the column is broken where it must.
    const QString word(120, QLatin1Char('W'));
    const QStringList broken = PositionLines({position(1, word, 100)}).split(QLatin1Char('\r'));
    ASSERT_GE(broken.size(), 2);
    EXPECT_EQ(broken.front().split(QLatin1Char('\t'))[2], QStringLiteral("1,00 €"));
    QString joined = broken.front().split(QLatin1Char('\t'))[1];
    for (qsizetype i = 1; i < broken.size(); ++i)
        joined += broken[i].mid(1);
    EXPECT_EQ(joined, word);
}

TEST(InvoiceDocumentTexts, VatLinesOnlyForAmountsThatAreThere)
{
    const QString full = QStringLiteral("MwSt. 19%");
    const QString reduced = QStringLiteral("MwSt. 7%");
    EXPECT_EQ(VatLines(true, full, 190, reduced, 70), QStringLiteral("inkl. MwSt. 19%\t1,90 €\rinkl. MwSt. 7%\t0,70 €"));
    EXPECT_EQ(VatLines(false, full, 190, reduced, 0), QStringLiteral("zzgl. MwSt. 19%\t1,90 €\r"));
    EXPECT_EQ(VatLines(false, full, 0, reduced, 70), QStringLiteral("zzgl. MwSt. 7%\t0,70 €"));
    EXPECT_EQ(VatLines(false, full, 0, reduced, 0), QString());
    // A credit note prints its VAT too.
    EXPECT_EQ(VatLines(false, full, -190, reduced, 0), QStringLiteral("zzgl. MwSt. 19%\t-1,90 €\r"));
}

namespace {

// The delivered template, filled into a documents folder of the test's own.
class InvoiceDocumentFile : public test::InvoicingTest {
protected:
    void SetUp() override
    {
        m_home = qgetenv("HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.file(QStringLiteral(".config")).toUtf8());
        MwStIncluded = false;
    }
    void TearDown() override
    {
        frmRechnung::unload();
        CloseWordDocument();
        qputenv("HOME", m_home);
        qputenv("XDG_CONFIG_HOME", m_config);
    }

    // Breakfast for two on 05.03.2024, with one column changed as another
    // tool leaves it; printed from the program folder's template.
    qint32 invoiceChangedBy(const QString& sql)
    {
        AppPath = QStringLiteral(VELMORANT_APP_DIR "/");
        const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
        database.addPosition(id, 1, 2, 12.5);
        database.exec(sql);
        return id;
    }

    // Into the active window: Alt+D to the date box, the date typed over it,
    // not yet left.
    static void typeDate(frmRechnung& w, const QString& date)
    {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
        w.tbDatum_Rechnung->selectAll();
        QTest::keyClicks(w.tbDatum_Rechnung, date);
    }

    test::TempFolder home;

private:
    QByteArray m_home, m_config;
};

}  // namespace

TEST_F(InvoiceDocumentFile, TheTemplatesBookmarksHoldTheInvoiceAsShown)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    database.addPosition(id, 2, 3, 79);
    database.addPosition(id, -1, 1, 8.5, QStringLiteral("Wein & Käse <rot> \"Haus\""));
    InvoiceSession session;
    session.LoadInvoice(id);

    const InvoiceDocumentTexts texts = *InvoiceDocument(session, MwStIncluded, QStringLiteral("Bitte überweisen."));
    EXPECT_EQ(texts.tm_summe, texts.tm_nettosumme);
    ASSERT_TRUE(WriteInvoiceDocument(QStringLiteral(VELMORANT_APP_DIR "/") + InvoiceTemplateName, texts));
    EXPECT_FALSE(WordDocOpen);
    ASSERT_EQ(dialogs->opened().size(), 1u);
    EXPECT_TRUE(dialogs->opened().front().startsWith(QDir(home.path()).absolutePath()));

    const word::Document result = word::Document::open(dialogs->opened().front());
    const auto mark = [&](const char* name) { return result.bookmarkText(QString::fromLatin1(name)); };
    EXPECT_TRUE(mark("tm_anschrift").contains(QStringLiteral("Hans Meier")));
    EXPECT_EQ(mark("tm_datum"), QStringLiteral("05.03.2024"));
    EXPECT_EQ(mark("tm_rechnungsnummer"), QStringLiteral("2024") + QString::number(id).rightJustified(6, '0'));
    EXPECT_EQ(mark("tm_artikel"), QStringLiteral("2\tFrühstück\t12,50 €\t25,00 €\n3\tÜbernachtung\t79,00 €\t237,00 €\n"
                                                 "1\tWein & Käse <rot> \"Haus\"\t8,50 €\t8,50 €"));
    // 25,00 + 8,50 at 19 %, 237,00 at 7 %.
    EXPECT_EQ(mark("tm_mwst"), QStringLiteral("zzgl. MwSt. 19%\t6,37 €\nzzgl. MwSt. 7%\t16,59 €"));
    EXPECT_EQ(mark("tm_summe"), QStringLiteral("270,50 €"));
    EXPECT_EQ(mark("tm_nettosumme"), QStringLiteral("270,50 €"));
    EXPECT_EQ(mark("tm_nettobetrag"), QStringLiteral("270,50 €"));
    EXPECT_EQ(mark("tm_bruttosumme"), QStringLiteral("293,46 €"));
    EXPECT_EQ(mark("tm_zahlmod"), QStringLiteral("Bitte überweisen."));
}

TEST_F(InvoiceDocumentFile, AMissingTemplateIsReportedAndNothingIsOpened)
{
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(WriteInvoiceDocument(home.file(InvoiceTemplateName), InvoiceDocumentTexts()));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("konnte nicht gefunden werden")));
    EXPECT_TRUE(dialogs->opened().empty());
}

TEST_F(InvoiceDocumentFile, AFileWhereTheDocumentsFolderShouldBeIsNamedAndNoDocumentIsMade)
{
    const QString folder = QDir::toNativeSeparators(home.write(QStringLiteral("Documents/Velmorant"), QByteArray()));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(WriteInvoiceDocument(QStringLiteral(VELMORANT_APP_DIR "/") + InvoiceTemplateName, {}));
    EXPECT_TRUE(dialogs->opened().empty());
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Ordner für Dokumente \"" + folder + "\""));
}

// No payment mode stored: none shown and none printed, until the user picks one.
TEST_F(InvoiceDocumentFile, AnInvoiceWithoutPaymentModePrintsNoPaymentLine)
{
    const qint32 id = invoiceChangedBy(QStringLiteral("UPDATE tbl_invoice SET inv_paymode_id = NULL"));
    frmRechnung& w = frmRechnung::instance();
    w.ShowRechnung(id, 1, -1);
    EXPECT_EQ(w.listZahlmod->currentIndex(), -1);
    QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
    w.listZahlmod->setFocus();
    QTest::keyClick(w.listZahlmod, Qt::Key_Down);
    QTest::mouseClick(w.cmdSave, Qt::LeftButton);
    EXPECT_EQ(database.value(QStringLiteral("SELECT inv_paymode_id FROM tbl_invoice")).toLong(), 1);
    QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
    const auto line = [this](size_t document) {
        return word::Document::open(dialogs->opened().at(document)).bookmarkText(QStringLiteral("tm_zahlmod")).trimmed();
    };
    EXPECT_EQ(line(0), QString());
    EXPECT_EQ(line(1), QStringLiteral("Betrag dankend in bar erhalten."));
}

// A price another tool stored as text, opened and printed through the window:
// named, no total shown, no document, the stored total as it was.
TEST_F(InvoiceDocumentFile, AnInvoiceWithAPriceThatCannotBeReadIsNamedAndNotPrinted)
{
    const qint32 id = invoiceChangedBy(QStringLiteral("UPDATE tbl_invoice_positions SET ivp_price = 'zwölf fünfzig'"));
    frmRechnung& w = frmRechnung::instance();
    dialogs->answerMessage(ui::Answer::Ok);
    w.ShowRechnung(id, 1, -1);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Die Position \"Frühstück\" der Rechnung Nr. ")
                                               + InvoiceNumber(QStringLiteral("05.03.2024"), id)
                                               + QStringLiteral(" hat einen Preis, der nicht gelesen werden kann. Bitte "
                                                                "geben Sie ihn neu ein."));
    const QModelIndex price = w.MSFlexGrid1->model()->index(0, ColEPreis);
    EXPECT_EQ(price.data().toString(), QString());
    EXPECT_EQ(price.siblingAtColumn(ColGesPreis).data().toString(), NoValueText);
    EXPECT_EQ(w.lbBruttobetrag->text(), NoValueText);

    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Das Word-Dokument wird nicht erstellt")));
    EXPECT_TRUE(dialogs->opened().empty());
    EXPECT_DOUBLE_EQ(database.value(QStringLiteral("SELECT inv_total FROM tbl_invoice")).toDouble(), 29.75);
}

// December 2026 lies in a gap of the VAT table, 2027 has 20/10 %: an invoice
// on a day of the gap, however the window came to it, shows, prints and
// stores no total (never 0 %, never 2027's rates) until the gap is filled.
TEST_F(InvoiceDocumentFile, AnInvoiceDateInAGapOfTheVatTableGivesNoTotalUntilTheGapIsFilled)
{
    AppPath = QStringLiteral(VELMORANT_APP_DIR "/");
    enum Way { OpenedInAFreshWindow, ChosenAfterAnotherPeriod, TypedIntoAnotherPeriod };
    for (const Way way : {OpenedInAFreshWindow, ChosenAfterAnotherPeriod, TypedIntoAnotherPeriod}) {
        SCOPED_TRACE(way);
        frmRechnung::unload();
        const size_t told = dialogs->messages().size();
        const size_t opened = dialogs->opened().size();
        for (const char* table : {"tbl_invoice", "tbl_invoice_positions", "tbl_vat"})
            database.exec(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#01/01/2000#, #11/30/2026#, 19, 7), "
                                     "(#01/01/2027#, #12/31/2100#, 20, 10)"));
        const qint32 gap = database.addInvoice(1, QStringLiteral("#12/07/2026#"));
        database.addPosition(gap, 1, 2, 12.5);
        database.addPosition(gap, 2, 3, 79);
        database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_total = 283.34"));   // stored while covered
        const qint32 other = database.addInvoice(1, QStringLiteral("#01/15/2027#"));
        database.addPosition(other, 1, 2, 12.5);
        const qint32 shown = way == TypedIntoAnotherPeriod ? other : gap;
        const auto storedTotal = [&] {
            return FormatCents(CentsOf(database.value(QStringLiteral("SELECT inv_total FROM tbl_invoice WHERE inv_id = %1")
                                                          .arg(shown)).toDouble()));
        };
        const QString stored = storedTotal();

        frmRechnung& w = frmRechnung::instance();
        dialogs->answerMessage(ui::Answer::Ok);
        w.ShowRechnung(way == OpenedInAFreshWindow ? gap : other, 1, -1);
        if (way == ChosenAfterAnotherPeriod) {
            w.listRechnungen->setFocus();
            QTest::keyClick(w.listRechnungen, Qt::Key_Down);
        } else if (way == TypedIntoAnotherPeriod) {
            ASSERT_NO_FATAL_FAILURE(typeDate(w, QStringLiteral("07.12.2026")));
            QTest::keyClick(w.tbDatum_Rechnung, Qt::Key_Tab);
        }
        ASSERT_EQ(w.session().CurrentInvoiceId, shown);
        // The number follows the date shown, a typed one too.
        const QString number = InvoiceNumber(QStringLiteral("07.12.2026"), shown);
        EXPECT_EQ(w.lbRechnungNr->text(), number);
        const QString named = QStringLiteral("Für das Datum 07.12.2026 der Rechnung Nr. ") + number
                              + QStringLiteral(" gibt es in der Tabelle \"Mehrwertsteuer\" keinen Zeitraum, der gelesen "
                                               "werden kann. Bitte ergänzen oder berichtigen Sie die Tabelle.");
        ASSERT_EQ(dialogs->messages().size(), told + 1);
        EXPECT_EQ(dialogs->lastMessage().text, named);
        EXPECT_EQ(w.MSFlexGrid1->model()->index(0, ColMwStProzent).data().toString(), NoValueText);
        EXPECT_EQ(w.lbBruttobetrag->text(), NoValueText);

        dialogs->answerMessage(ui::Answer::Ok);
        QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
        EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral(":\n\n") + named));
        QTest::mouseClick(w.cmdSave, Qt::LeftButton);
        EXPECT_EQ(storedTotal(), stored);
        EXPECT_EQ(dialogs->opened().size(), opened);

        // Filled: the day's rates give the total again, shown, printed and
        // stored, and no "Bruttobetrag geändert" was ever said.
        database.exec(QStringLiteral("INSERT INTO tbl_vat VALUES (#12/01/2026#, #12/31/2026#, 19, 7)"));
        QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
        ASSERT_EQ(dialogs->opened().size(), opened + 1);
        const word::Document printed = word::Document::open(dialogs->opened().back());
        const QString total = way == TypedIntoAnotherPeriod ? QStringLiteral("29,75") : QStringLiteral("283,34");
        EXPECT_EQ(printed.bookmarkText(QStringLiteral("tm_bruttosumme")), total + QStringLiteral(" €"));
        EXPECT_EQ(printed.bookmarkText(QStringLiteral("tm_rechnungsnummer")), number);
        EXPECT_EQ(w.lbBruttobetrag->text(), total);
        EXPECT_EQ(storedTotal(), total);
        EXPECT_EQ(dialogs->messages().size(), told + 2);
    }
}

// Reading the VAT table fails (another tool renamed it) when a date is
// typed: told once as the error it is, never as a gap of the table; no total
// is shown, printed or stored.
TEST_F(InvoiceDocumentFile, AVatTableThatCannotBeReadIsToldAsTheErrorAndGivesNoTotal)
{
    const qint32 id = invoiceChangedBy(QStringLiteral("UPDATE tbl_invoice SET inv_total = 29.75"));
    frmRechnung& w = frmRechnung::instance();
    w.ShowRechnung(id, 1, -1);
    database.exec(QStringLiteral("ALTER TABLE tbl_vat RENAME TO tbl_vat_alt"));
    ASSERT_NO_FATAL_FAILURE(typeDate(w, QStringLiteral("06.03.2024")));
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::keyClick(w.tbDatum_Rechnung, Qt::Key_Tab);
    EXPECT_EQ(w.lbBruttobetrag->text(), NoValueText);
    dialogs->answerMessage(ui::Answer::Ok);
    QTest::mouseClick(w.btnPreviewDoc, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 2u) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(dialogs->messages()[0].text,
              QStringLiteral("Fehler in GetMehrwertsteuer\nDie Tabelle oder Abfrage wurde nicht gefunden."));
    EXPECT_TRUE(dialogs->messages()[1].text.endsWith(
        ":\n\nDie Mehrwertsteuer für den 06.03.2024 der Rechnung Nr. " + InvoiceNumber(QStringLiteral("06.03.2024"), id)
        + " konnte wegen eines Fehlers der Datenbank nicht gelesen werden."));
    EXPECT_TRUE(dialogs->opened().empty());
    EXPECT_DOUBLE_EQ(database.value(QStringLiteral("SELECT inv_total FROM tbl_invoice")).toDouble(), 29.75);
}

// Alt+W from the date box, the date typed and not yet left: the paper shows
// that date with its year's number and its day's VAT, as leaving the box would.
TEST_F(InvoiceDocumentFile, ADocumentAskedForFromTheDateBoxPrintsTheDateTyped)
{
    const qint32 id = invoiceChangedBy(QStringLiteral("UPDATE tbl_invoice SET inv_notes = NULL"));
    frmRechnung& w = frmRechnung::instance();
    w.ShowRechnung(id, 1, -1);
    ASSERT_NO_FATAL_FAILURE(typeDate(w, QStringLiteral("15.08.2020")));
    QTest::keyClick(&w, Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE(dialogs->opened().size(), 1u);
    const word::Document printed = word::Document::open(dialogs->opened().back());
    EXPECT_EQ(printed.bookmarkText(QStringLiteral("tm_datum")), QStringLiteral("15.08.2020"));
    EXPECT_EQ(printed.bookmarkText(QStringLiteral("tm_rechnungsnummer")), InvoiceNumber(QStringLiteral("15.08.2020"), id));
    EXPECT_EQ(printed.bookmarkText(QStringLiteral("tm_bruttosumme")), QStringLiteral("29,00 €"));   // 25,00 at 16 %
    EXPECT_EQ(w.lbRechnungNr->text(), InvoiceNumber(QStringLiteral("15.08.2020"), id));
}
