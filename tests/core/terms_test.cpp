#include "core/globals.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

class ResourceArrays : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;

    static void exec(const QString& sql) { Db->execute(sql); }
};

TEST_F(ResourceArrays, ColourIndicesRunToTheHighestIdWithGapsBlack)
{
    exec(QStringLiteral("INSERT INTO tbl_colors VALUES (5, 'C0FFC0'), (0, 'FFFFFF'), (1, ' 0000FF '), (2, 'FFFF'), (7, '  ')"));
    FillResourceArrays();
    ASSERT_EQ(ColorCount, 5);
    ASSERT_EQ(ColorCodes.size(), 6u);
    EXPECT_EQ(ColorCodes[0], QStringLiteral("FFFFFF"));
    EXPECT_EQ(ColorCodes[1], QStringLiteral(" 0000FF "));
    EXPECT_FALSE(IsValidColorIndex(0));
    EXPECT_TRUE(IsValidColorIndex(3));
    EXPECT_EQ(ColorOfIndex(3), 0);
    EXPECT_EQ(ColorOfIndex(5), rt::rgb(0xC0, 0xFF, 0xC0));
    EXPECT_EQ(ColorOfIndex(2), 65535);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("FFFFFFFF")), -1);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("grün")), 0);

    QLabel field;
    ShowColorField(&field, 1);
    EXPECT_EQ(field.palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(field.text(), QString());
    EXPECT_EQ(field.property("Tag").toInt(), 1);
    ShowColorField(&field, 6);
    EXPECT_EQ(BackColor(&field), 0xFFFFFF);
    EXPECT_EQ(field.text(), QStringLiteral(" keine"));
    EXPECT_EQ(field.property("Tag").toInt(), 1);

    exec(QStringLiteral("DELETE FROM tbl_colors"));
    FillResourceArrays();
    EXPECT_EQ(ColorCount, -1);
    EXPECT_EQ(ColorCodes, std::vector<QString>{QStringLiteral("0")});
}

TEST_F(ResourceArrays, TermsAreSplicedIntoTheTexts)
{
    exec(QStringLiteral("INSERT INTO tbl_gui_terms VALUES (0, 'Haus', 'Häuser', ''), (1, 'Zimmer', 'Zimmer', ''), "
                        "(5, 'Gast', 'Gäste', 'Gastes')"));
    FillResourceArrays();
    EXPECT_EQ(TermPersonPlural, QStringLiteral("Gäste"));
    EXPECT_EQ(TermPersonGenitive, QStringLiteral("Gastes"));
    EXPECT_EQ(FloorPlanHintText(), QStringLiteral("Sie können jetzt Zimmer-Symbole mit der Maus verschieben..."));
    EXPECT_EQ(PlaceOccupiedText(QStringLiteral("12")),
              QStringLiteral("Die aktuell gewählte Ressource (Zimmer) \"12\" ist im Reservierungszeitraum bereits belegt.\n\n"
                             "Möchten Sie die Reservierungsliste für diesen Raum einsehen?"));
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen."));
}

TEST_F(ResourceArrays, ArticlesAndAdjectivesFollowTheTermsGender)
{
    const test::GlobalsScope keepTerms;
    // The delivered terms and what houses call their places and guests instead.
    EXPECT_EQ(AccusativeOf(QStringLiteral("Zimmer"), false), QStringLiteral("ein Zimmer"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Gast"), false), QStringLiteral("einen Gast"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Gast"), true, QStringLiteral("von Ihnen neu gewählt")),
              QStringLiteral("den von Ihnen neu gewählten Gast"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Person"), true, QStringLiteral("bisherig")),
              QStringLiteral("die bisherige Person"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Ferienwohnung"), false, QStringLiteral("neu")),
              QStringLiteral("eine neue Ferienwohnung"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Doppelzimmer"), false, QStringLiteral("neu")),
              QStringLiteral("ein neues Doppelzimmer"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Appartement"), true, QStringLiteral("bisherig")),
              QStringLiteral("das bisherige Appartement"));
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Stellplatz")), TermGender::Masculine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Kunde")), TermGender::Masculine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Kabine")), TermGender::Feminine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Häuschen")), TermGender::Neuter);
    EXPECT_EQ(GenderOfTerm(QString()), TermGender::Masculine);
    EXPECT_EQ(NominativeOf(QStringLiteral("Gast")), QStringLiteral("der Gast"));
    EXPECT_EQ(NominativeOf(QStringLiteral("Person")), QStringLiteral("die Person"));
    EXPECT_EQ(NominativeOf(QStringLiteral("Mitglied")), QStringLiteral("das Mitglied"));

    TermPersonSingular = QStringLiteral("Person");
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen eine Person angeben, um die Reservierung zu vervollständigen."));
}

TEST_F(ResourceArrays, AnUnreadableTableIsReportedAndTheNextStillLoads)
{
    exec(QStringLiteral("INSERT INTO tbl_colors VALUES (1, 'FF')"));
    FillResourceArrays();
    exec(QStringLiteral("DROP TABLE tbl_colors"));
    exec(QStringLiteral("INSERT INTO tbl_gui_terms (gt_id, gt_singular) VALUES (1, 'Bett')"));
    RoomTypes.push_back(RoomType{4, QStringLiteral("Suite"), 0, 0});

    dialogs->answerMessage(ui::Answer::Ok);
    FillResourceArrays();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Error in {FillResourceArrays} while reading the resource table/field tbl_colors!\n\n")));
    EXPECT_EQ(TermPlaceSingular, QStringLiteral("Bett"));
    EXPECT_EQ(ColorCount, 1);   // the colours read before stay whole
    EXPECT_EQ(RoomTypes.size(), 1u);
}

TEST_F(ResourceArrays, RoomTypesInIdOrderListedWithPrices)
{
    exec(QStringLiteral("INSERT INTO tbl_room_types VALUES (7, 'Doppelzimmer'), (3, 'Einzelzimmer'), (9, NULL)"));
    LoadRoomTypes(1);
    ASSERT_EQ(RoomTypes.size(), 4u);
    EXPECT_EQ(RoomTypes[0].id, 0);
    EXPECT_EQ(RoomTypes[1].id, 3);
    EXPECT_EQ(RoomTypes[3].id, 9);
    // Each category takes its colour from a fixed palette by its id.
    EXPECT_EQ(RoomTypes[0].colour, 0);
    EXPECT_EQ(RoomTypes[1].colour, RoomTypeColour(3));
    EXPECT_EQ(RoomTypes[2].colour, RoomTypeColour(7));

    RoomTypes[2].price = 65;
    QComboBox combo;
    std::vector<bool> fillingSeen;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&] { fillingSeen.push_back(FillingLists); });
    FillListRoomTypes(&combo, 0, 7);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(1), QStringLiteral("Doppelzimmer (65,00 €)"));
    EXPECT_EQ(combo.currentData().toInt(), 7);
    ASSERT_FALSE(fillingSeen.empty());
    EXPECT_EQ(fillingSeen, std::vector<bool>(fillingSeen.size(), true));
    EXPECT_FALSE(FillingLists);
    FillListRoomTypes(&combo, 0, 0);
    EXPECT_EQ(combo.currentIndex(), 0);

    QListWidget list;
    FillListRoomTypes(&list, 0, 42);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

}  // namespace

TEST(RoomTypeColours, AFixedPaletteApartFromThePlansOwnColours)
{
    std::set<qint32> seen;
    for (qint32 id = 1; id <= 12; ++id) {
        const qint32 colour = RoomTypeColour(id);
        EXPECT_TRUE(seen.insert(colour).second) << "id " << id << " repeats a colour";
        for (qint32 own : {0xFF00, 0x40FF, 0x808080, 0})
            EXPECT_NE(colour, own) << "id " << id;
    }
    EXPECT_EQ(RoomTypeColour(13), RoomTypeColour(1)) << "the palette repeats after its last colour";
    EXPECT_EQ(RoomTypeColour(0), 0);
    EXPECT_EQ(RoomTypeColour(-4), 0);
}
