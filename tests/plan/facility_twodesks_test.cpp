// The facility's name in the plan and its picture in the facility overview,
// changed at this desk after another desk changed them.

#include "plan/frmMandanten.h"
#include "plan/frmStockwerke.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "tests/plan/plan_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using test::PlanDb;

class FacilityBesideAnotherDesk : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        ReadPreferences();
        PlanDb::addFacility(1, QStringLiteral("Pension Test"));
        PlanDb::addFloor(PlanDb::addBuilding(1, QStringLiteral("Haupthaus")), 0, QStringLiteral("Erdgeschoss"));
        AppPath = database.folder().path();
        ImageDir = AppPath;
        for (const char* name : {"haus.png", "hoch.png"})
            QImage(40, 20, QImage::Format_RGB32).save(ImageDir + QLatin1String(name));
        database.exec("UPDATE tbl_mandanten SET mand_imagefile = 'haus.png';");
        MandantId = 1;
        MandantName = QStringLiteral("Pension Test");
        AdminPasswordActive = false;
        StationReadOnly = false;
    }
    void TearDown() override
    {
        Closing = true;
        frmMandanten::unload();
        frmStockwerke::unload();
    }
    QString stored(const char* column)
    {
        return database.value(QStringLiteral("SELECT %1 FROM tbl_mandanten").arg(QLatin1String(column))).toText();
    }

    test::GlobalsScope globals;
    PlanDb database;
    test::WindowHooks windows;
    test::DialogScope dialogs;
    test::OtherStation other{database.path()};
};

}  // namespace

TEST_F(FacilityBesideAnotherDesk, RenamedInThePlanAfterAnotherNameNeinKeepsAndShowsTheStoredOne)
{
    frmStockwerke& plan = frmStockwerke::instance();
    plan.init();
    ASSERT_EQ(plan.lbEinrichtungsname->text(), "Pension Test");
    other.exec("UPDATE tbl_mandanten SET mand_name = 'Haus am Berg';");
    dialogs->answerInput(QStringLiteral("Pension Sonne"));
    dialogs->answerMessage(ui::Answer::No);
    QTest::mouseDClick(plan.lbEinrichtungsname, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Der Mandant \"Pension Test\" wurde inzwischen an anderer Stelle geändert: Name jetzt \"Haus am Berg\"."));
    EXPECT_EQ(stored("mand_name"), "Haus am Berg");
    EXPECT_EQ(plan.lbEinrichtungsname->text(), "Haus am Berg");
    EXPECT_EQ(MandantName, "Haus am Berg");
}

TEST_F(FacilityBesideAnotherDesk, APictureChosenInTheOverviewAfterAnotherOneAsksAndJaStoresIt)
{
    frmMandanten::showWindow();
    frmMandanten& overview = frmMandanten::instance();
    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'see.png', mand_name = 'Haus am See';");
    dialogs->answerFile(ImageDir + "hoch.png");
    dialogs->answerMessage(ui::Answer::Yes);
    QTest::mouseClick(overview.cmdLoadPicture, Qt::LeftButton);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Bild jetzt \"see.png\""));
    EXPECT_EQ(stored("mand_imagefile"), "hoch.png");
    // The name only the other desk changed stays as it stored it.
    EXPECT_EQ(stored("mand_name"), "Haus am See");
    EXPECT_FALSE(overview.imgEinrichtung->pixmap().isNull());
}
