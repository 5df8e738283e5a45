// Leaving an invoice that shows nothing worth keeping, while another
// workstation fills the same invoice: it is dropped only as it was shown.

#include "core/datefunctions.h"
#include "core/maintenancelog.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "invoicing/frmRechnung.h"
#include "platform/runtime/format.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/other_station.h"
#include "tests/support/window_hooks.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using ui::Answer;

namespace {

class LeavingAnInvoice : public test::InvoicingTest {
protected:
    void SetUp() override { MwStIncluded = false; }
    void TearDown() override { frmRechnung::unload(); }
    // Station B opens the invoice and adds two positions.
    void fillAtB(qint32 invId)
    {
        other.run([invId] {
            InvoiceSession b;
            b.LoadInvoice(invId);
            ASSERT_TRUE(b.addPosition(2, QStringLiteral("Frühstück"), 1250, 1));
            ASSERT_TRUE(b.addPosition(1, QStringLiteral("Kurtaxe"), 250, 3));
        });
    }
    int rows(qint32 invId) const
    {
        return database.count(QStringLiteral("tbl_invoice"), QStringLiteral("inv_id = %1").arg(invId))
               + database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_invoice_id = %1").arg(invId));
    }
    static QString askedAbout(const QString& number)
    {
        return QStringLiteral("Die Rechnung ") + number
               + QStringLiteral(" wurde inzwischen an anderer Stelle geändert: Positionen jetzt 2 (2 × Frühstück zu "
                                "12,50 €, 1 × Kurtaxe zu 2,50 €). Trotzdem löschen?");
    }

    test::OtherStation other{database.path()};
};

}  // namespace

// A emptied the invoice; B fills it while A's "keine Artikel" stands: A's
// Nein to it asks about B's positions, and Nein (the default) keeps them and
// saves A's note, Ja deletes. Filled before A leaves, nothing is asked.
TEST_F(LeavingAnInvoice, NeinToNoArticlesAsksAboutWhatAnotherStationAdded)
{
    for (const std::optional<Answer> answer : {std::optional(Answer::Yes), std::optional(Answer::No), std::optional<Answer>()}) {
        const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
        database.addPosition(id, 1, 1, 12.5);
        InvoiceSession a;
        a.LoadInvoice(id);
        a.editNotes(QStringLiteral("storniert"));
        dialogs->answerMessage(Answer::Ok);
        ASSERT_TRUE(a.deletePosition(0));
        const size_t asked = dialogs->messages().size();
        if (answer) {
            dialogs->whileAsked(QStringLiteral("Die Rechnungstabelle enthält keine Artikel."), [&] { fillAtB(id); });
            dialogs->answerMessage(Answer::No);
            *answer == Answer::Yes ? dialogs->answerMessage(Answer::Yes) : dialogs->answerDefault();
        } else {
            fillAtB(id);
        }
        const SaveResult result = a.SaveInvoice();
        EXPECT_EQ(dialogs->messages().size(), asked + (answer ? 2 : 0));
        if (answer) {
            EXPECT_EQ(dialogs->lastMessage().text, askedAbout(InvoiceNumber(QStringLiteral("05.03.2024"), id)));
            EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
        }
        if (answer == Answer::Yes) {
            EXPECT_EQ(result, SaveResult::Dropped);
            EXPECT_EQ(rows(id), 0);
            continue;
        }
        EXPECT_EQ(result, answer ? SaveResult::Kept : SaveResult::Saved);
        EXPECT_EQ(rows(id), 3);
        EXPECT_EQ(database.value(QStringLiteral("SELECT inv_notes FROM tbl_invoice WHERE inv_id = %1").arg(id)).toText(),
                  QStringLiteral("storniert"));
        // Shown as stored: nothing left to save.
        EXPECT_EQ(a.Positions.size(), 2u);
        EXPECT_FALSE(a.Changed);
    }
}

// A new invoice without recipient and positions goes unasked, unless B has
// put something into it meanwhile: then A is asked, and nobody unattended.
TEST_F(LeavingAnInvoice, WithoutRecipientTheDropComparesAndUnattendedKeepsWhatBStored)
{
    QString asked;
    for (const bool unattended : {false, true}) {
        InvoiceSession a;
        a.show(-1, -1, -1);
        const qint32 id = a.CurrentInvoiceId;
        fillAtB(id);
        if (!unattended) {
            asked = askedAbout(a.NumberText);
            dialogs->answerMessage(Answer::No);
        }
        EXPECT_EQ(a.SaveInvoice(unattended), SaveResult::Kept);
        // Asked in the first round only.
        EXPECT_EQ(dialogs->messages().size(), 1u);
        EXPECT_EQ(dialogs->lastMessage().text, asked);
        EXPECT_EQ(rows(id), 3);
        EXPECT_EQ(a.Positions.size(), 2u);
        EXPECT_FALSE(a.Changed);
        EXPECT_TRUE(a.UnsavedLine().isEmpty());
    }
}

// The window leaves an invoice B filled meanwhile through its close, a
// choice in its list and another workstation's request to end.
TEST_F(LeavingAnInvoice, TheWindowsWaysOutDropOnlyWhatItShowed)
{
    test::WindowHooks hooks;
    const qint32 listed = database.addInvoice(2, DateToSQL(rt::Date::today()));
    frmRechnung& a = frmRechnung::instance();

    // Closing: Enter keeps it, and the window stays on it as stored.
    a.ShowRechnung(-1, -1, -1);
    const qint32 closed = a.session().CurrentInvoiceId;
    fillAtB(closed);
    dialogs->answerDefault();
    a.close();
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith(QStringLiteral("Trotzdem löschen?")));
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(a.MSFlexGrid1->model()->rowCount(), 2);
    EXPECT_EQ(rows(closed), 3);

    // Another invoice chosen in the list: Ja deletes, and the chosen one is shown.
    QTest::mouseClick(a.btnNeu, Qt::LeftButton);
    const qint32 switched = a.session().CurrentInvoiceId;
    fillAtB(switched);
    dialogs->answerMessage(Answer::Yes);
    a.listRechnungen->setFocus();
    a.listRechnungen->setCurrentIndex(a.listRechnungen->findData(closed));
    QTest::keyClick(a.listRechnungen, Qt::Key_Down);
    EXPECT_EQ(dialogs->lastMessage().text, askedAbout(InvoiceNumber(rt::formatDate(rt::Date::today(), DateFormat), switched)));
    EXPECT_EQ(rows(switched), 0);
    EXPECT_EQ(a.session().CurrentInvoiceId, listed);

    // The end another workstation asks for: nobody is asked, B's invoice stays.
    database.exec(QStringLiteral("INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_bool_value) VALUES ('Shutdown', 1, 0)"));
    QTest::mouseClick(a.btnNeu, Qt::LeftButton);
    const qint32 ended = a.session().CurrentInvoiceId;
    fillAtB(ended);
    other.exec(QStringLiteral("UPDATE tbl_preferences2 SET prf_bool_value = -1 WHERE prf_name = 'Shutdown'"));
    const size_t asked = dialogs->messages().size();
    EXPECT_THROW(CheckShutdownRequest(), ProgramEnded);
    EXPECT_EQ(dialogs->messages().size(), asked);
    EXPECT_EQ(other.value(QStringLiteral("SELECT Count(*) FROM tbl_invoice_positions WHERE ivp_invoice_id = ?"), {ended}).toLong(), 2);
}
