#include "tests/app/program_folder.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include <functional>

#include <gtest/gtest.h>

namespace {

class HelpWalk : public test::ProgramFolder {
protected:
    // Opens help by the window's button or entry and by F1, and says what
    // each opened that is not a file of the program folder with its anchor.
    void walk(QWidget* window, const std::function<void()>& click, const QString& what)
    {
        const size_t before = dialogs->opened().size();
        click();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << what.toStdString();
        QTest::keyClick(window, Qt::Key_F1);
        const std::vector<QString> opened = dialogs->opened();
        ASSERT_EQ(opened.size(), before + 2) << what.toStdString();
        EXPECT_EQ(opened[before], opened[before + 1]) << what.toStdString();
        EXPECT_TRUE(found(opened[before])) << what.toStdString() << ": " << opened[before].toStdString();
        ++walked;
    }
    static bool found(const QString& opened)
    {
        const QUrl url = opened.startsWith("file:") ? QUrl(opened) : QUrl::fromLocalFile(opened);
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            return false;
        return url.fragment().isEmpty() || file.readAll().contains("id=\"" + url.fragment().toUtf8() + "\"");
    }
    static std::function<void()> clicking(QPushButton* button)
    {
        return [button] { QTest::mouseClick(button, Qt::LeftButton); };
    }

    int walked = 0;
};

}  // namespace

TEST_F(HelpWalk, EveryHelpButtonAndF1OpenATopicThatExists)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    walk(&plan, clicking(plan.btnHelp), "Belegungsplan");
    walk(&plan, [&] { plan.menuHelp->trigger(); }, "Belegungsplan, Menü");

    frmBuchungen::instance().ShowBookings(QString(), -1, -1, false, 1);
    walk(&frmBuchungen::instance(), clicking(frmBuchungen::instance().btnHelp), "Buchungen");
    frmAdressen::ShowAdresse(-1, nullptr);
    walk(&frmAdressen::instance(), clicking(frmAdressen::instance().btnHelp), "Adressen");
    frmRechnung::instance().ShowRechnung(1, -1, -1);
    walk(&frmRechnung::instance(), clicking(frmRechnung::instance().btnHelp), "Rechnung");
    frmRoom::instance().ShowRoomDetails(-1, 1);
    walk(&frmRoom::instance(), [] { frmRoom::instance().menuHelp->trigger(); }, "Zimmer");
    frmMandanten::showWindow();
    walk(&frmMandanten::instance(), [] { frmMandanten::instance().menuHelp->trigger(); }, "Mandanten");

    frmVorgaben::showWindow();
    frmVorgaben& settings = frmVorgaben::instance();
    for (int tab = 0; tab < settings.SSTab1->count(); ++tab) {
        QTabBar* bar = settings.SSTab1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_EQ(settings.SSTab1->currentIndex(), tab);
        walk(&settings, clicking(settings.btnHelp), "Voreinstellungen, " + settings.SSTab1->tabText(tab));
    }

    // Every table editor a window opens, opened as that window opens it.
    windows.opened.clear();
    for (QPushButton* b : {settings.btnStations, settings.btnEdit_GUI_Terms, settings.btnTextbausteine, settings.cmdMehrwertsteuer})
        QTest::mouseClick(b, Qt::LeftButton);
    for (QPushButton* b : {plan.btnEditBuildings, plan.btnEditFloors, plan.btnEditPlaces}) {
        dialogs->answerMessage(ui::Answer::Ok);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QTest::mouseClick(frmAdressen::instance().cmdEditCategories, Qt::LeftButton);
    QTest::mouseClick(frmRechnung::instance().cmdEditMwSt, Qt::LeftButton);
    frmServices::instance().ShowArtikel(-1);
    QTest::mouseClick(frmServices::instance().cmdMehrwertsteuer, Qt::LeftButton);
    frmMandanten::instance().menuMandanten->trigger();
    ASSERT_EQ(windows.opened.size(), 11);
    const QStringList tables = windows.opened;
    for (const QString& call : tables) {
        // "ShowRessources(table|caption)"
        const QStringList args = call.mid(call.indexOf('(') + 1).chopped(1).split('|');
        ASSERT_TRUE(call.startsWith("ShowRessources(")) << call.toStdString();
        frmResourcen::ShowRessources(args[0], args[1]);
        frmResourcen& editor = frmResourcen::instance();
        walk(&editor, clicking(editor.cmdHelp), "Tabelle " + args[0]);
    }
    EXPECT_EQ(walked, 7 + frmVorgaben::instance().SSTab1->count() + 11);
}

// The hint on the maintenance tab and its help topic say the same.
TEST_F(HelpWalk, TheMaintenanceHintIsWhatItsHelpSays)
{
    frmVorgaben::showWindow();
    const QString hint = frmVorgaben::instance().lbDatacareHint->text();
    ASSERT_FALSE(hint.isEmpty());
    QFile topic(folder.file("help/frmVorgaben.htm"));
    ASSERT_TRUE(topic.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(topic.readAll()).simplified().contains(hint)) << hint.toStdString();
}
