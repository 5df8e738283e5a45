#include "tests/app/program_folder.h"

#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/ui/mnemonic.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <map>

namespace {

// Two visible controls of one window with the same Alt letter: the second
// can never be reached by it. letters counts the window's Alt letters.
QStringList clashes(QWidget* window, size_t& letters)
{
    std::map<QChar, QString> seen;
    QStringList found;
    const auto take = [&](QWidget* w, const QString& caption) {
        const QChar letter = ui::MnemonicOf(caption);
        if (letter.isNull() || !w->isVisibleTo(window))
            return;
        const auto [it, fresh] = seen.emplace(letter, caption);
        if (!fresh)
            found << it->second + QStringLiteral(" / ") + caption;
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        take(b, b->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        take(l, l->text());
    for (QTabBar* tabs : window->findChildren<QTabBar*>()) {
        for (int i = 0; i < tabs->count(); ++i)
            take(tabs, tabs->tabText(i));
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (const QAction* menu : bar->actions())
            take(bar, menu->text());
    }
    letters = seen.size();
    return found;
}

void pressAlt(QWidget* window, QChar letter)
{
    QTest::keyClick(window, static_cast<Qt::Key>(letter.toUpper().unicode()), Qt::AltModifier);
}

class Mnemonics : public test::ProgramFolder {};

TEST_F(Mnemonics, TheDailyWindowsGiveEachAltLetterOnceAndTheLetterPressesItsButton)
{
    frmBuchungen& bookings = frmBuchungen::instance();
    bookings.ShowBookings(QString(), -1, -1, false, 1);
    frmAdressen::ShowAdresse(-1, nullptr);
    frmRechnung::instance().ShowRechnung(1, -1, -1);
    frmServices::instance().ShowArtikel(-1);
    for (QWidget* w : std::initializer_list<QWidget*>{&bookings, &frmAdressen::instance(), &frmRechnung::instance(),
                                                      &frmServices::instance()}) {
        size_t letters = 0;
        EXPECT_EQ(clashes(w, letters).join(QStringLiteral(", ")).toStdString(), "") << w->windowTitle().toStdString();
        EXPECT_GE(letters, 5u) << w->windowTitle().toStdString();
    }

    bookings.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bookings));
    QSignalSpy saved(bookings.cmdSave[0], &QPushButton::clicked);
    QSignalSpy fresh(bookings.btnNeu, &QPushButton::clicked);
    QTest::keyClick(&bookings, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(fresh.wait(1000));
    EXPECT_EQ(saved.count(), 0);

    frmRechnung& invoice = frmRechnung::instance();
    invoice.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&invoice));
    QSignalSpy store(invoice.cmdSave, &QPushButton::clicked);
    QTest::keyClick(&invoice, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(store.wait(1000));
}

// The plan's guest button is captioned with the house's word: whatever that
// is, the window's Alt letters stay its own, and the button takes the first
// letter of the word still free (none when every one is taken).
TEST_F(Mnemonics, ThePlansGuestButtonKeepsALetterOfItsOwnWhateverTheGuestsAreCalled)
{
    for (const auto& [term, letter] : {std::pair{"Kunde", 'k'}, std::pair{"Patient", '\0'}, std::pair{"Bewohnerin", 'w'},
                                       std::pair{"Mitglied", 'm'}, std::pair{"B&B-Gast", 'g'}}) {
        SCOPED_TRACE(term);
        Db->execute(QStringLiteral("UPDATE tbl_gui_terms SET gt_singular = ? WHERE gt_id = 5"), {db::Value(QString::fromUtf8(term))});
        FillResourceArrays();
        frmStockwerke& w = frmStockwerke::instance();
        w.init();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        size_t letters = 0;
        EXPECT_EQ(clashes(&w, letters).join(QStringLiteral(", ")).toStdString(), "");
        ASSERT_EQ(ui::MnemonicOf(w.cmdShowPat->text()), QChar::fromLatin1(letter));
        EXPECT_EQ(QString(w.cmdShowPat->text()).remove(QLatin1Char('&')), QString(TermPersonSingular).remove(QLatin1Char('&')));
        if (letter) {
            QSignalSpy clicked(w.cmdShowPat, &QPushButton::clicked);
            pressAlt(&w, QChar::fromLatin1(letter));
            EXPECT_TRUE(clicked.wait(1000));
        }
        frmStockwerke::unload();
    }
}

TEST_F(Mnemonics, EachPageOfTheSettingsGivesAnAltLetterOnceAndACaptionsLetterLeadsIntoItsField)
{
    frmVorgaben::showWindow();
    frmVorgaben& w = frmVorgaben::instance();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (int page = w.SSTab1->count() - 1; page >= 0; --page) {
        const std::string tab = w.SSTab1->tabText(page).toStdString();
        pressAlt(&w, ui::MnemonicOf(w.SSTab1->tabText(page)));
        ASSERT_EQ(w.SSTab1->currentIndex(), page) << tab;
        size_t letters = 0;
        EXPECT_EQ(clashes(&w, letters).join(QStringLiteral(", ")).toStdString(), "") << tab;
        EXPECT_GE(letters, 10u) << tab;
        for (QLabel* caption : w.SSTab1->currentWidget()->findChildren<QLabel*>()) {
            QWidget* field = caption->buddy();
            if (field && caption->isVisible() && !qobject_cast<QAbstractButton*>(field)) {
                pressAlt(&w, ui::MnemonicOf(caption->text()));
                EXPECT_EQ(QApplication::focusWidget(), field) << caption->text().toStdString();
            }
        }
    }
}

}  // namespace
