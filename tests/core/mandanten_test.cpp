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
        return data.value(QStringLiteral("SELECT %1 FROM tbl_mandanten WHERE mand_id = 1").arg(QLatin1String(column))).toText();
    }

    test::GlobalsScope globals;
    test::TestDatabase data;
    test::DialogScope dialogs;
    test::OtherStation other{data.path()};
};

}  // namespace

TEST_F(FacilityAtTwoDesks, WhatOnlyTheOtherDeskChangedIsKeptWithoutAQuestion)
{
    // This desk shows the name trimmed: that is no change elsewhere.
    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'linde.png';");
    MergedSave save = RenameMandant(1, "Lindenhof", "Lindenhof Nord");
    EXPECT_EQ(save.result, MergedSave::Result::Written);
    EXPECT_EQ(stored("mand_name"), "Lindenhof Nord");
    EXPECT_EQ(stored("mand_imagefile"), "linde.png");

    other.exec("UPDATE tbl_mandanten SET mand_name = 'Berghof';");
    save = StoreMandantImageFile(1, "linde.png", "alm.png");
    EXPECT_EQ(save.result, MergedSave::Result::Written);
    EXPECT_EQ(save.row.value("mand_name").toText(), "Berghof");
    EXPECT_EQ(stored("mand_imagefile"), "alm.png");
    EXPECT_TRUE(dialogs->calls().empty());
}

TEST_F(FacilityAtTwoDesks, ANameBothDesksChangedIsAskedOnceAndEachAnswerDoesWhatItSays)
{
    other.exec("UPDATE tbl_mandanten SET mand_name = 'Haus B';");
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Haus A").result, MergedSave::Result::Cancelled);
    EXPECT_EQ(stored("mand_name"), "Haus B");
    const auto& asked = dialogs->lastMessage();
    EXPECT_TRUE(asked.text.startsWith("Der Mandant \"Lindenhof\" wurde inzwischen an anderer Stelle geändert: "
                                      "Name jetzt \"Haus B\"."))
        << asked.text.toStdString();
    EXPECT_EQ(asked.buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(asked.defaultButton, 3);

    dialogs->answerMessage(ui::Answer::No);
    MergedSave save = RenameMandant(1, "Lindenhof", "Haus A");
    EXPECT_EQ(save.result, MergedSave::Result::Written);
    EXPECT_EQ(save.row.value("mand_name").toText(), "Haus B");
    EXPECT_EQ(stored("mand_name"), "Haus B");

    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Haus A").result, MergedSave::Result::Written);
    EXPECT_EQ(stored("mand_name"), "Haus A");
    EXPECT_EQ(dialogs->messages().size(), 3u);
}

TEST_F(FacilityAtTwoDesks, APictureBothDesksChoseIsAskedAboutAndAGoneFacilityGetsNothing)
{
    other.exec("UPDATE tbl_mandanten SET mand_imagefile = 'linde.png';");
    dialogs->answerMessage(ui::Answer::Yes);
    EXPECT_EQ(StoreMandantImageFile(1, "haus.png", "alm.png").result, MergedSave::Result::Written);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Bild jetzt \"linde.png\""));
    EXPECT_EQ(stored("mand_imagefile"), "alm.png");

    other.exec("DELETE FROM tbl_mandanten;");
    EXPECT_EQ(StoreMandantImageFile(1, "alm.png", "see.png").result, MergedSave::Result::Missing);
    EXPECT_EQ(RenameMandant(1, "Lindenhof", "Seeblick").result, MergedSave::Result::Missing);
    EXPECT_EQ(data.count("tbl_mandanten"), 0);
}
