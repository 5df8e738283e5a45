#include "core/globals.h"
#include "core/preferences.h"
#include "core/invoices.h"
#include "core/startup.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "invoicing/invoice.h"
#include "invoicing/positionsmodel.h"
#include "platform/runtime/date.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using ui::Answer;

namespace {

class InvoiceWindows : public test::InvoicingTest {
protected:
    void SetUp() override { MwStIncluded = false; }
    void TearDown() override
    {
        frmServices::unload();
        frmRechnung::unload();
    }
    frmRechnung& invoice(qint32 invId, qint32 custId = -1, qint32 bookingId = -1)
    {
        frmRechnung::instance().ShowRechnung(invId, custId, bookingId);
        return frmRechnung::instance();
    }
    void clickCell(frmRechnung& w, int row, int column)
    {
        const QRect cell = w.MSFlexGrid1->visualRect(w.MSFlexGrid1->model()->index(row, column));
        QTest::mouseClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The open cell editor; a closed one may linger until its deferred delete.
    QLineEdit* cellEditor(frmRechnung& w)
    {
        for (QLineEdit* editor : w.MSFlexGrid1->findChildren<QLineEdit*>(QStringLiteral("tbDataEntry"))) {
            if (editor->isVisible())
                return editor;
        }
        return nullptr;
    }

    test::WindowHooks hooks;
};

}  // namespace

TEST_F(InvoiceWindows, ANewInvoiceClosedUntouchedLeavesNoRowAndTheWindowHides)
{
    frmRechnung& w = invoice(-1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(InvoiceFormOpen);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
    EXPECT_EQ(w.lbRechnungNr->text(), w.session().NumberText);
    EXPECT_FALSE(w.lbRechnungNr->text().startsWith(QLatin1Char('*')));
    EXPECT_EQ(w.tbAdressfeld->toPlainText(), QString());
    EXPECT_FALSE(w.tbDatum_Rechnung->isEnabled());

    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(frmRechnung::isLoaded());
    EXPECT_FALSE(InvoiceFormOpen);
    EXPECT_EQ(LastDeactivatedForm, QStringLiteral("FRMRECHNUNG"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 0);
}

TEST_F(InvoiceWindows, ShowingAnotherInvoiceSavesTheEditedOneFirst)
{
    const qint32 first = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(first, 1, 1, 12.5);
    const qint32 second = database.addInvoice(2, QStringLiteral("#03/06/2024#"));
    frmRechnung& w = invoice(first, 1);
    QTest::mouseClick(w.chkBezahlt, Qt::LeftButton, {}, QPoint(8, w.chkBezahlt->height() / 2));
    EXPECT_EQ(w.lbBruttobetrag->styleSheet(), QStringLiteral("background-color: rgb(0, 192, 0);"));

    invoice(second, 2);
    EXPECT_TRUE(database.value(QStringLiteral("SELECT inv_is_payed FROM tbl_invoice WHERE inv_id = %1").arg(first)).toBool());
    EXPECT_EQ(w.session().CurrentInvoiceId, second);
    EXPECT_FALSE(w.chkBezahlt->isChecked());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("offen vom 06.03.2024"));
    // The customer's invoices only.
    EXPECT_EQ(w.listRechnungen->count(), 1);
    EXPECT_EQ(w.listRechnungen->currentData().toInt(), second);
}

TEST_F(InvoiceWindows, AFailedSaveKeepsTheWindowOpenOnTheInvoice)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = invoice(id, 1);
    w.tbInfo->setPlainText(QStringLiteral("Rechnung an die Firma"));
    database.refuseWrites(QStringLiteral("tbl_invoice"));
    dialogs->answerMessage(Answer::Ok);
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.tbInfo->toPlainText(), QStringLiteral("Rechnung an die Firma"));
    EXPECT_TRUE(w.session().Changed);
}

// A cell edit whose write fails is reported, and the window goes on.
TEST_F(InvoiceWindows, ACellEditThatCannotBeWrittenIsReported)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    frmRechnung& w = invoice(id, 1);
    database.refuseWrites(QStringLiteral("tbl_invoice_positions"));
    clickCell(w, 0, ColMng);
    QLineEdit* editor = cellEditor(w);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("3"));
    dialogs->answerMessage(Answer::Ok);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Fehler in ApplyCellEdit")));
    EXPECT_EQ(LoadInvoicePositions(id)[0].ivp_quantity, 2);
}

TEST_F(InvoiceWindows, ChoosingAnInvoiceInTheListLoadsIt)
{
    const qint32 older = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    const qint32 newer = database.addInvoice(1, QStringLiteral("#04/05/2024#"));
    database.addPosition(older, 2, 2, 79);
    frmRechnung& w = invoice(newer, 1);
    ASSERT_EQ(w.listRechnungen->count(), 2);
    EXPECT_EQ(w.listRechnungen->currentIndex(), 0);
    w.listRechnungen->activated(1);
    EXPECT_EQ(w.session().CurrentInvoiceId, older);
    EXPECT_EQ(w.listRechnungen->currentData().toInt(), older);
    EXPECT_EQ(w.MSFlexGrid1->model()->rowCount(), 1);
    EXPECT_EQ(w.lbSumme->text(), QStringLiteral("158,00"));
    EXPECT_EQ(w.lbMwStNum[1]->text(), QStringLiteral("11,06"));
    EXPECT_EQ(w.lbBruttobetrag->text(), QStringLiteral("169,06"));
    EXPECT_TRUE(dialogs->messages().empty());
}

// The list is handed over at once; its lines read as the list has always
// shown them, and the arrow key chooses an invoice as a click does.
TEST_F(InvoiceWindows, TheListShowsItsInvoicesAndTheArrowKeyChoosesOne)
{
    const qint32 older = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    const qint32 middle = database.addInvoice(1, QStringLiteral("#04/05/2024#"));
    const qint32 newer = database.addInvoice(1, QStringLiteral("#05/05/2024#"));
    database.addPosition(middle, 2, 1, 10);
    frmRechnung& w = invoice(newer, 1);
    ASSERT_EQ(w.listRechnungen->count(), 3);
    EXPECT_EQ(w.listRechnungen->currentData().toInt(), newer);
    const std::vector<InvoiceListRow> rows = ListInvoices(1, rt::Date::today());
    ASSERT_EQ(rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.listRechnungen->itemText(i), InvoiceListEntry(rows[static_cast<size_t>(i)]));
        EXPECT_EQ(w.listRechnungen->itemData(i).toInt(), rows[static_cast<size_t>(i)].inv_id);
    }

    w.listRechnungen->setFocus();
    QTest::keyClick(w.listRechnungen, Qt::Key_Down);
    EXPECT_EQ(w.session().CurrentInvoiceId, middle);
    EXPECT_EQ(w.listRechnungen->currentData().toInt(), middle);
    EXPECT_EQ(w.MSFlexGrid1->model()->rowCount(), 1);
    QTest::keyClick(w.listRechnungen, Qt::Key_Down);
    EXPECT_EQ(w.session().CurrentInvoiceId, older);
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(InvoiceWindows, CellsAreEditedInPlaceAndTheTotalColumnIsNot)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 2, 12.5);
    frmRechnung& w = invoice(id, 1);
    QAbstractItemModelTester tester(w.MSFlexGrid1->model());

    clickCell(w, 0, ColGesPreis);
    EXPECT_EQ(cellEditor(w), nullptr);
    EXPECT_EQ(w.LastArticleId(), 0);

    clickCell(w, 0, ColMng);
    EXPECT_EQ(w.LastArticleId(), 1);
    QLineEdit* editor = cellEditor(w);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("2"));
    QTest::keyClicks(editor, QStringLiteral("5"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(database.value(QStringLiteral("SELECT ivp_quantity FROM tbl_invoice_positions")).toLong(), 2);

    clickCell(w, 0, ColMng);
    editor = cellEditor(w);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("3"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The view applies the edit once the key has been handled.
    QCoreApplication::processEvents();
    EXPECT_EQ(database.value(QStringLiteral("SELECT ivp_quantity FROM tbl_invoice_positions")).toLong(), 3);
    EXPECT_EQ(w.MSFlexGrid1->model()->index(0, ColGesPreis).data().toString(), QStringLiteral("37,50"));
    EXPECT_EQ(w.lbSumme->text(), QStringLiteral("37,50"));
}

TEST_F(InvoiceWindows, TheCatalogueHandsAServiceToTheOpenInvoice)
{
    frmRechnung& w = invoice(-1, 1);
    frmServices& s = frmServices::instance();
    s.ShowArtikel(2);
    EXPECT_EQ(s.tbBeschreibung->text(), QStringLiteral("Übernachtung"));
    EXPECT_TRUE(s.optMwSt[1]->isChecked());
    EXPECT_EQ(s.listArtikel->currentItem()->text(), QStringLiteral("Übernachtung"));
    // The row is centred on its text; the dots of its "Ü" stand above the
    // font's ascent and must still lie inside the row.
    const QRect row = s.listArtikel->visualItemRect(s.listArtikel->currentItem());
    const QFontMetrics metrics(s.listArtikel->font());
    const int glyphTop = row.top() + (row.height() - metrics.height()) / 2 + metrics.ascent()
                         + metrics.tightBoundingRect(QStringLiteral("Ü")).top();
    EXPECT_GE(glyphTop, row.top());
    QTest::mouseClick(s.btnMenge[0], Qt::LeftButton);
    EXPECT_EQ(s.tbMenge->text(), QStringLiteral("2"));
    QTest::mouseClick(s.btnZurRechnung, Qt::LeftButton);

    ASSERT_EQ(w.MSFlexGrid1->model()->rowCount(), 1);
    EXPECT_EQ(w.MSFlexGrid1->model()->index(0, ColBeschreibung).data().toString(), QStringLiteral("Übernachtung"));
    EXPECT_EQ(w.MSFlexGrid1->model()->index(0, ColMwStProzent).data().toString(), QStringLiteral("7"));
    EXPECT_EQ(w.lbBruttobetrag->text(), QStringLiteral("169,06"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_prod_id = 2")), 1);

    // With the invoice window hidden, nothing goes over.
    w.close();
    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(s.btnZurRechnung, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Sie müssen erst eine Rechnung aus einer Buchung eröffnen."));
}

TEST_F(InvoiceWindows, NewInTheCatalogueOffersTheSaveOfAnEntryTypedAndNotSaved)
{
    frmServices& s = frmServices::instance();
    s.ShowArtikel(2);
    const auto typeName = [&](const QString& name) {
        s.tbBeschreibung->setFocus();
        s.tbBeschreibung->selectAll();
        QTest::keyClicks(s.tbBeschreibung, name);
    };
    const auto stored = [&] {
        return database.value(QStringLiteral("SELECT srv_name FROM tbl_services WHERE srv_id = 2")).toText();
    };

    // Escape goes back to the entry as typed.
    typeName(QStringLiteral("Suite"));
    dialogs->answerEscape();
    QTest::mouseClick(s.btnNeu, Qt::LeftButton);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wollen Sie Ihre Änderungen speichern?"));
    EXPECT_EQ(s.tbBeschreibung->text(), QStringLiteral("Suite"));
    EXPECT_EQ(stored(), QStringLiteral("Übernachtung"));

    // OK stores it, lists it, then clears for the new entry.
    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(s.btnNeu, Qt::LeftButton);
    EXPECT_EQ(stored(), QStringLiteral("Suite"));
    EXPECT_FALSE(s.listArtikel->findItems(QStringLiteral("Suite"), Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(s.tbBeschreibung->text().isEmpty());

    // Cancel gives the typed entry up.
    s.ShowArtikel(2);
    typeName(QStringLiteral("Appartement"));
    dialogs->answerMessage(Answer::Cancel);
    QTest::mouseClick(s.btnNeu, Qt::LeftButton);
    EXPECT_EQ(stored(), QStringLiteral("Suite"));
    EXPECT_TRUE(s.tbBeschreibung->text().isEmpty());
    EXPECT_TRUE(dialogs->allAnswersUsed());

    // The new entry left empty holds nothing to save: closing asks nothing and stores no row.
    const size_t asked = dialogs->messages().size();
    const int services = database.count(QStringLiteral("tbl_services"));
    s.close();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(dialogs->messages().size(), asked);
    EXPECT_EQ(database.count(QStringLiteral("tbl_services")), services);
}

TEST_F(InvoiceWindows, AnInvoiceDeletedElsewhereShowsItsNewNumberOnceStoredAnew)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = invoice(id, 1);
    const QString oldNumber = w.lbRechnungNr->text();
    test::RemoveInvoice(id);   // another workstation

    dialogs->answerMessage(Answer::Ok);
    QTest::mouseClick(w.btnAddRow, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(QStringLiteral("Die Rechnung Nr. ") + oldNumber));
    EXPECT_EQ(w.MSFlexGrid1->model()->rowCount(), 1);
    EXPECT_EQ(w.lbRechnungNr->text(), oldNumber);

    QTest::mouseClick(w.btnAddRow, Qt::LeftButton);
    const qint32 newId = w.session().CurrentInvoiceId;
    EXPECT_NE(newId, id);
    EXPECT_EQ(w.MSFlexGrid1->model()->rowCount(), 2);
    EXPECT_EQ(w.lbRechnungNr->text(), InvoiceNumber(QStringLiteral("05.03.2024"), newId));
    EXPECT_EQ(w.listRechnungen->currentData().toInt(), newId);
    EXPECT_EQ(w.listRechnungen->findData(id), -1);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_invoice_id = %1").arg(newId)), 2);
}

TEST_F(InvoiceWindows, ButtonsLeadToTheAddressBookBookingsAndCatalogue)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.exec(QStringLiteral("UPDATE tbl_invoice SET inv_booking_id = 5 WHERE inv_id = %1").arg(id));
    frmRechnung& w = invoice(id, 1);
    QTest::mouseClick(w.cmdShowPat, Qt::LeftButton);
    QTest::mouseClick(w.cmdBooking, Qt::LeftButton);
    QTest::mouseClick(w.cmdShowHotelleistungen, Qt::LeftButton);
    QTest::mouseClick(w.cmdEditMwSt, Qt::LeftButton);
    EXPECT_EQ(hooks.opened, (QStringList{QStringLiteral("ShowAdresse(1)"), QStringLiteral("ShowBookings(book_customer_id = 1|5|-1|1|1)"),
                                         QStringLiteral("ShowArtikel(0)"), QStringLiteral("ShowRessources(tbl_vat|Mehrwertsteuer)")}));
    EXPECT_EQ(hooks.lastAddressCaller, static_cast<AddressReceiver*>(&w));

    // The address book hands the chosen guest back.
    dialogs->answerMessage(Answer::Ok);
    w.AddMainAdress(2, QStringLiteral("Anna Schulz"));
    EXPECT_TRUE(w.tbAdressfeld->toPlainText().contains(QStringLiteral("Anna Schulz")));
}

TEST_F(InvoiceWindows, TheProgramsEndRunsTheSaveRulesWithoutAsking)
{
    frmRechnung& w = invoice(-1, -1);
    w.AddEntryToTable(1, QStringLiteral("Frühstück"), 1250, 1, 0);
    const qint32 id = w.session().CurrentInvoiceId;
    EXPECT_THROW(ExitProgram(true), ProgramEnded);
    EXPECT_TRUE(dialogs->messages().empty());
    // The end closed the program's connection; the file tells what was kept.
    const auto file = db::Database::open(database.path());
    db::Recordset rs = file->openRecordset(QStringLiteral("SELECT inv_id, inv_total FROM tbl_invoice"), db::OpenMode::ForwardOnlyReadOnly);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(QStringLiteral("inv_id")).toLong(), id);
    EXPECT_EQ(CentsOf(rs.value(QStringLiteral("inv_total")).toDouble()), 1488);
}

TEST_F(InvoiceWindows, TheUnattendedEndSaysNothingOfADateTypedIncompleteAndKeepsTheStoredDate)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = invoice(id, 1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.tbInfo->setFocus();
    QTest::keyClicks(w.tbInfo, QStringLiteral("zahlt bar"));
    QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
    w.tbDatum_Rechnung->selectAll();
    QTest::keyClicks(w.tbDatum_Rechnung, QStringLiteral("3.12"));

    EXPECT_THROW(ExitProgram(true), ProgramEnded);
    EXPECT_TRUE(dialogs->messages().empty());
    const auto file = db::Database::open(database.path());
    db::Recordset rs = file->openRecordset(QStringLiteral("SELECT inv_date, inv_notes FROM tbl_invoice"),
                                           db::OpenMode::ForwardOnlyReadOnly);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(QStringLiteral("inv_notes")).toText(), QStringLiteral("zahlt bar"));
    EXPECT_EQ(rs.value(QStringLiteral("inv_date")).toDouble(), rt::Date::fromParts(2024, 3, 5).serial());
}

TEST_F(InvoiceWindows, TheDateIsUnlockedByItsLabelsMnemonicAndAnIncompleteDateKeepsThePreviousOne)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = invoice(id, 1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_FALSE(w.tbDatum_Rechnung->isEnabled());

    QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(w.tbDatum_Rechnung->isEnabled());
    EXPECT_TRUE(w.btnDatumRechnungStep[0]->isEnabled());
    EXPECT_TRUE(w.tbDatum_Rechnung->hasFocus());

    // "3.12" names no whole date: the invoice keeps its date, and says how to type one.
    w.tbDatum_Rechnung->selectAll();
    QTest::keyClicks(w.tbDatum_Rechnung, QStringLiteral("3.12"));
    EXPECT_EQ(w.lbRechnungstag->text(), QString());
    dialogs->answerMessage(Answer::Ok);
    QTest::keyClick(w.tbDatum_Rechnung, Qt::Key_Tab);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_FALSE(dialogs->lastMessage().text.contains(QLatin1Char('\n')));
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("Tag.Monat.Jahr")));
    EXPECT_EQ(w.tbDatum_Rechnung->text(), QStringLiteral("05.03.2024"));
    EXPECT_EQ(w.lbRechnungstag->text(), QStringLiteral("Di."));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("offen vom 05.03.2024"));

    QTest::mouseClick(w.cmdSave, Qt::LeftButton);
    EXPECT_EQ(database.value(QStringLiteral("SELECT inv_date FROM tbl_invoice WHERE inv_id = %1").arg(id)).toDouble(),
              rt::Date::fromParts(2024, 3, 5).serial());

    // A date the rules complete is taken as before.
    w.tbDatum_Rechnung->setFocus();
    w.tbDatum_Rechnung->selectAll();
    QTest::keyClicks(w.tbDatum_Rechnung, QStringLiteral("031224"));
    QTest::keyClick(w.tbDatum_Rechnung, Qt::Key_Return);
    EXPECT_EQ(w.tbDatum_Rechnung->text(), QStringLiteral("03.12.2024"));
    EXPECT_EQ(dialogs->messages().size(), 1u);
}

TEST_F(InvoiceWindows, TheDefaultSizeShowsTwelvePositions)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    for (int i = 1; i <= 14; ++i)
        database.addPosition(id, 1 + i % 3, i, 2.5 * i);
    frmRechnung& w = invoice(id, 1);
    // Fits a 1280x800 screen with a title bar and a panel.
    EXPECT_LE(w.width(), 1280);
    EXPECT_LE(w.height(), 740);
    const QTableView* grid = w.MSFlexGrid1;
    int whole = 0;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const int top = grid->rowViewportPosition(row);
        if (top >= 0 && top + grid->rowHeight(row) <= grid->viewport()->height())
            ++whole;
    }
    EXPECT_GE(whole, 12);
}
