#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "invoicing/frmRechnung.h"
#include "invoicing/frmServices.h"
#include "invoicing/invoice.h"
#include "tests/invoicing/invoice_db.h"
#include "tests/support/tab_walk.h"
#include "tests/support/window_hooks.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using ui::Answer;

namespace {

class InvoiceKeys : public test::InvoicingTest {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        MwStIncluded = false;
    }
    void TearDown() override
    {
        frmServices::unload();
        frmRechnung::unload();
    }
    frmRechnung& shown(qint32 invId, qint32 custId)
    {
        frmRechnung& w = frmRechnung::instance();
        w.ShowRechnung(invId, custId, -1);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        return w;
    }

    test::WindowHooks hooks;
};

}  // namespace

TEST_F(InvoiceKeys, TabFromTheListPassesTheGridAndTheNotesToEveryButtonAndComesBackRound)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = shown(id, 1);
    w.tbInfo->setPlainText(QStringLiteral("Firma"));
    w.listRechnungen->setFocus();

    const test::TabWalk walk = test::WalkTabChain(w.listRechnungen);
    ASSERT_TRUE(walk.cameBack) << "Tab is caught";
    for (QWidget* stop : std::initializer_list<QWidget*>{w.MSFlexGrid1, w.tbInfo, w.cmdSave, w.btnPreviewDoc,
                                                         w.cmdEditMwSt, w.btnHelp})
        EXPECT_TRUE(walk.reaches(stop)) << stop->property("text").toString().toStdString();
    EXPECT_EQ(w.tbInfo->toPlainText(), QStringLiteral("Firma"));
}

TEST_F(InvoiceKeys, EscapeOnTheQuestionWhetherTheInvoiceIsValidGoesBackToItWithItsNotes)
{
    // A recipient without positions: closing asks whether to keep it.
    frmRechnung& w = shown(-1, 1);
    const qint32 id = w.session().CurrentInvoiceId;
    w.tbInfo->setFocus();
    QTest::keyClicks(w.tbInfo, QStringLiteral("Anzahlung erhalten"));

    dialogs->answerEscape();
    w.close();
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Rechnung gültig?"));
    EXPECT_TRUE(dialogs->lastMessage().escapeGoesBack);
    EXPECT_EQ(dialogs->lastMessage().owner, &w);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.focusWidget(), w.tbInfo);
    EXPECT_EQ(w.tbInfo->toPlainText(), QStringLiteral("Anzahlung erhalten"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);

    // Yes keeps it with the notes; No alone drops it.
    dialogs->answerMessage(Answer::Yes);
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(database.value(QStringLiteral("SELECT inv_notes FROM tbl_invoice WHERE inv_id = %1").arg(id)).toText(),
              QStringLiteral("Anzahlung erhalten"));
}

TEST_F(InvoiceKeys, EnterOnTheDeleteQuestionsKeepsThePositionTheInvoiceAndTheService)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = shown(id, 1);
    const auto altKey = [this](Qt::Key key, size_t asked) {
        dialogs->answerDefault();
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        return QTest::qWaitFor([this, asked] { return dialogs->messages().size() == asked; });
    };
    const QRect cell = w.MSFlexGrid1->visualRect(w.MSFlexGrid1->model()->index(0, ColBeschreibung));
    QTest::mouseClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(altKey(Qt::Key_Z, 1));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Position löschen"));
    ASSERT_TRUE(altKey(Qt::Key_L, 2));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Wirklich löschen?"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice_positions")), 1);
    EXPECT_EQ(database.count(QStringLiteral("tbl_invoice")), 1);
    EXPECT_EQ(w.session().CurrentInvoiceId, id);

    frmServices& s = frmServices::instance();
    s.ShowArtikel(3);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    ASSERT_TRUE(altKey(Qt::Key_L, 3));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Hotelleistung löschen"));
    EXPECT_EQ(database.count(QStringLiteral("tbl_services")), 3);
}

TEST_F(InvoiceKeys, EscapeClosesTheCatalogueAfterItsSaveQuestion)
{
    frmServices& s = frmServices::instance();
    s.ShowArtikel(2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    s.tbComment->setFocus();
    QTest::keyClicks(s.tbComment, QStringLiteral("mit Kaffee"));

    // Escape on the question is no answer: the catalogue stays, with the edit.
    dialogs->answerEscape();
    QTest::keyClick(s.tbComment, Qt::Key_Escape);
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Hotelleistung geändert"));
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), s.tbComment);
    EXPECT_EQ(s.tbComment->text(), QStringLiteral("mit Kaffee"));

    dialogs->answerMessage(Answer::Ok);
    QTest::keyClick(s.tbComment, Qt::Key_Escape);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(database.value(QStringLiteral("SELECT srv_info FROM tbl_services WHERE srv_id = 2")).toText(),
              QStringLiteral("mit Kaffee"));
}

TEST_F(InvoiceKeys, ADateOrPriceTypedIncompleteIsSpokenOfWhenTheFieldIsLeftNotWhenAnotherWindowComesUp)
{
    const qint32 id = database.addInvoice(1, QStringLiteral("#03/05/2024#"));
    database.addPosition(id, 1, 1, 12.5);
    frmRechnung& w = shown(id, 1);
    QWidget plan;
    const auto bringUp = [](QWidget& window) {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    };

    QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
    w.tbDatum_Rechnung->selectAll();
    QTest::keyClicks(w.tbDatum_Rechnung, QStringLiteral("3.12"));
    // The user turns to the plan: nothing about the invoice stands over it.
    ASSERT_TRUE(bringUp(plan));
    EXPECT_TRUE(dialogs->messages().empty());
    EXPECT_EQ(w.tbDatum_Rechnung->text(), QStringLiteral("3.12"));
    // Back at the invoice, leaving the date says it there.
    ASSERT_TRUE(bringUp(w));
    ASSERT_EQ(QApplication::focusWidget(), w.tbDatum_Rechnung);
    dialogs->answerMessage(Answer::Ok);
    QTest::keyClick(w.tbDatum_Rechnung, Qt::Key_Tab);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().owner, &w);
    EXPECT_EQ(w.tbDatum_Rechnung->text(), QStringLiteral("05.03.2024"));

    // The same for the catalogue's price, left for the invoice behind it.
    frmServices& s = frmServices::instance();
    s.ShowArtikel(2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    s.tbPreis->setFocus();
    s.tbPreis->selectAll();
    QTest::keyClicks(s.tbPreis, QStringLiteral("abc"));
    ASSERT_TRUE(bringUp(w));
    EXPECT_EQ(dialogs->messages().size(), 1u);
    ASSERT_TRUE(bringUp(s));
    dialogs->answerMessage(Answer::Ok);
    QTest::keyClick(s.tbPreis, Qt::Key_Return);
    ASSERT_EQ(dialogs->messages().size(), 2u);
    EXPECT_EQ(dialogs->lastMessage().owner, &s);
    EXPECT_EQ(s.tbPreis->text(), QStringLiteral("79,00"));
}
