// Leaving an invoice that shows nothing worth keeping, while another
// workstation fills the same invoice: it is dropped only as it was shown.

#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/invoices.h"
#include "core/maintenancelog.h"
#include "core/preferences.h"
#include "core/startup.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/invoice.h"
#include "platform/runtime/format.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/other_station.h"
#include "tests/support/window_hooks.h"

#include <QComboBox>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

using ui::Answer;

namespace {

// Runs work while the first question starting with `asked` stands, as
// another workstation does between a question and its answer.
class WhileAsked {
public:
    WhileAsked(const QString& asked, std::function<void()> work)
    {
        auto hook = std::make_unique<Hook>(asked, std::move(work));
        m_hook = hook.get();
        m_hook->next = ui::DialogService::install(std::move(hook));
    }
    ~WhileAsked() { ui::DialogService::install(std::move(m_hook->next)); }
    WhileAsked(const WhileAsked&) = delete;
    WhileAsked& operator=(const WhileAsked&) = delete;
    bool fired() const { return m_hook->fired; }

private:
    struct Hook : ui::DialogService {
        Hook(QString a, std::function<void()> w) : asked(std::move(a)), work(std::move(w)) {}
        ui::Answer message(const ui::MessageRequest& request) override
        {
            if (!fired && request.text.startsWith(asked)) {
                fired = true;
                work();
            }
            return next->message(request);
        }
        std::optional<QString> input(const QString& p, const QString& t, const QString& d) override { return next->input(p, t, d); }
        std::optional<QString> password(const QString& p, const QString& t) override { return next->password(p, t); }
        QString openFile(const ui::FileRequest& r) override { return next->openFile(r); }
        QString saveFile(const ui::FileRequest& r) override { return next->saveFile(r); }
        QString folder(const QString& t, const QString& s) override { return next->folder(t, s); }
        std::optional<QColor> color(const QColor& c, const QString& t) override { return next->color(c, t); }
        bool openExternal(const QString& f) override { return next->openExternal(f); }

        QString asked;
        std::function<void()> work;
        std::unique_ptr<ui::DialogService> next;
        bool fired = false;
    };
    Hook* m_hook = nullptr;
};

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
    int invoices(qint32 invId) const { return database.count(QStringLiteral("tbl_invoice"), QStringLiteral("inv_id = %1").arg(invId)); }
    int positions(qint32 invId) const
    {
        return database.count(QStringLiteral("tbl_invoice_positions"), QStringLiteral("ivp_invoice_id = %1").arg(invId));
    }
    QString askedAbout(const QString& number) const
    {
        return QStringLiteral("Die Rechnung ") + number
               + QStringLiteral(" wurde inzwischen an anderer Stelle geändert: Positionen jetzt 2 (2 × Frühstück zu "
                                "12,50 €, 1 × Kurtaxe zu 2,50 €). Trotzdem löschen?");
    }

    test::OtherStation other{database.path()};
};

}  // namespace

// A emptied the invoice and answers Nein to "keine Artikel" while B fills it:
// the delete names B's positions; Nein keeps them and A's note, Ja deletes.
TEST_F(LeavingAnInvoice, NeinToNoArticlesAsksAgainAboutWhatAnotherStationAdded)
{
    for (const bool deleteAnyway : {false, true}) {
        const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
        database.addPosition(id, 1, 1, 12.5);
        InvoiceSession a;
        a.LoadInvoice(id);
        a.editNotes(QStringLiteral("storniert"));
        dialogs->answerMessage(Answer::Ok);
        ASSERT_TRUE(a.deletePosition(0));
        WhileAsked meanwhile(QStringLiteral("Die Rechnungstabelle enthält keine Artikel."), [&] { fillAtB(id); });
        dialogs->answerMessage(Answer::No);
        if (deleteAnyway)
            dialogs->answerMessage(Answer::Yes);
        else
            dialogs->answerDefault();

        const SaveResult result = a.SaveInvoice();
        ASSERT_TRUE(meanwhile.fired());
        EXPECT_EQ(dialogs->lastMessage().text, askedAbout(InvoiceNumber(QStringLiteral("05.03.2024"), id)));
        EXPECT_EQ(dialogs->lastMessage().defaultButton, 2);
        if (deleteAnyway) {
            EXPECT_EQ(result, SaveResult::Dropped);
            EXPECT_EQ(invoices(id) + positions(id), 0);
            continue;
        }
        EXPECT_EQ(result, SaveResult::Kept);
        EXPECT_EQ(positions(id), 2);
        EXPECT_EQ(database.value(QStringLiteral("SELECT inv_notes FROM tbl_invoice WHERE inv_id = %1").arg(id)).toText(),
                  QStringLiteral("storniert"));
        // Shown as stored: nothing left to save.
        EXPECT_EQ(a.Positions.size(), 2u);
        EXPECT_FALSE(a.Changed);
    }
}

// Filled at B before A leaves: "keine Artikel" is not asked at all.
TEST_F(LeavingAnInvoice, AnInvoiceWithPositionsStoredIsNotAskedAboutHavingNone)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    InvoiceSession a;
    a.LoadInvoice(id);
    a.editNotes(QStringLiteral("Gruppe"));
    fillAtB(id);
    EXPECT_EQ(a.SaveInvoice(), SaveResult::Saved);
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(positions(id), 2);
    EXPECT_EQ(a.Positions.size(), 2u);
}

// A new invoice without recipient and positions goes unasked, unless B has
// put something into it meanwhile: then A is asked, and nobody unattended.
TEST_F(LeavingAnInvoice, WithoutRecipientTheDropComparesAndUnattendedKeepsWhatBStored)
{
    for (const bool unattended : {false, true}) {
        InvoiceSession a;
        a.show(-1, -1, -1);
        const qint32 id = a.CurrentInvoiceId;
        fillAtB(id);
        const QString number = a.NumberText;
        if (!unattended)
            dialogs->answerMessage(Answer::No);
        EXPECT_EQ(a.SaveInvoice(unattended), SaveResult::Kept);
        // Asked once, in the first round.
        EXPECT_EQ(dialogs->messages().size(), 1u);
        if (!unattended) {
            EXPECT_EQ(dialogs->lastMessage().text, askedAbout(number));
        }
        EXPECT_EQ(invoices(id), 1);
        EXPECT_EQ(positions(id), 2);
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
    EXPECT_EQ(positions(closed), 2);

    // Another invoice chosen in the list: Ja deletes, and the chosen one is shown.
    QTest::mouseClick(a.btnNeu, Qt::LeftButton);
    const qint32 switched = a.session().CurrentInvoiceId;
    fillAtB(switched);
    dialogs->answerMessage(Answer::Yes);
    a.listRechnungen->setFocus();
    a.listRechnungen->setCurrentIndex(a.listRechnungen->findData(closed));
    QTest::keyClick(a.listRechnungen, Qt::Key_Down);
    EXPECT_EQ(dialogs->lastMessage().text, askedAbout(InvoiceNumber(rt::formatDate(rt::Date::today(), DateFormat), switched)));
    EXPECT_EQ(invoices(switched) + positions(switched), 0);
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
