// The facility's name and picture, changed at this desk from what its window
// showed while another desk changed the facility too.

#include "core/mandanten.h"

#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace {

class FacilityAtTwoDesks : public ::testing::Test {
protected:
    void SetUp() override
    {
        data.exec("INSERT INTO tbl_mandanten (mand_id, mand_name, mand_imagefile) VALUES (1, '  Lindenhof ', 'haus.png');");
    }
    QString stored(const char* column)
    {
        return data.value(QStringLiteral("SELECT %1 FROM tbl_mandanten").arg(QLatin1String(column))).toText();
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::DialogScope dialogs;
    test::OtherStation other{data.path()};
};

}  // namespace

TEST_F(FacilityAtTwoDesks, WhatOnlyTheOtherDeskChangedIsKeptAndAGoneFacilityGetsNothing)
{
    // The name shown trimmed is no change elsewhere.
    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'linde.png';");
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Lindenhof Nord").result, MergedSave::Result::Written);
    EXPECT_EQ(stored("mand_name"), "Lindenhof Nord");
    EXPECT_EQ(stored("mand_imagefile"), "linde.png");
    EXPECT_TRUE(dialogs->calls().empty());

    other.exec("DELETE FROM tbl_mandanten;");
    EXPECT_EQ(StoreMandantImageFile(1, "linde.png", "see.png").result, MergedSave::Result::Missing);
    EXPECT_EQ(data.count("tbl_mandanten"), 0);
}

TEST_F(FacilityAtTwoDesks, AFieldBothDesksChangedIsAskedOnceAndEachAnswerDoesWhatItSays)
{
    other.exec("UPDATE tbl_mandanten SET mand_name = 'Haus B';");
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Haus A").result, MergedSave::Result::Cancelled);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        "Der Mandant \"Lindenhof\" wurde inzwischen an anderer Stelle geändert: Name jetzt \"Haus B\"."));
    EXPECT_EQ(dialogs->lastMessage().defaultButton, 3);
    EXPECT_EQ(stored("mand_name"), "Haus B");

    dialogs->answerMessage(ui::Answer::No);
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Haus A").row.value("mand_name").toText(), "Haus B");
    EXPECT_EQ(stored("mand_name"), "Haus B");
    dialogs->answerMessage(ui::Answer::Yes);
    RenameMandant(1, "Lindenhof", "Haus A");
    EXPECT_EQ(stored("mand_name"), "Haus A");

    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'linde.png';");
    dialogs->answerMessage(ui::Answer::No);
    EXPECT_EQ(StoreMandantImageFile(1, "haus.png", "alm.png").row.value("mand_imagefile").toText(), "linde.png");
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Bild jetzt \"linde.png\""));
}
