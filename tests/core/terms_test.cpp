#include "core/globals.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/scripted_dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

class ResourceArrays : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;

    void addColor(int id, const QString& code)
    {
        database.exec(QStringLiteral("INSERT INTO tbl_colors (color_id, color_hexcode) VALUES (%1, '%2')").arg(id).arg(code));
    }
    void addTerm(int id, const QString& singular, const QString& plural, const QString& genitive)
    {
        database.exec(QStringLiteral("INSERT INTO tbl_gui_terms VALUES (%1, '%2', '%3', '%4')").arg(id).arg(singular, plural, genitive));
    }
};

TEST_F(ResourceArrays, ColourIndicesRunToTheHighestIdWithGapsEmpty)
{
    addColor(5, QStringLiteral("C0FFC0"));
    addColor(1, QStringLiteral(" FF "));
    addColor(2, QStringLiteral("FFFF"));
    addColor(7, QStringLiteral("   "));
    FillResourceArrays();
    ASSERT_EQ(ColorCount, 5);
    ASSERT_EQ(ColorCodes.size(), 6u);
    EXPECT_EQ(ColorCodes[0], QStringLiteral("0"));
    EXPECT_EQ(ColorCodes[1], QStringLiteral(" FF "));
    EXPECT_EQ(ColorCodes[3], QString());
    EXPECT_TRUE(IsValidColorIndex(3));
    EXPECT_EQ(ColorOfIndex(3), 0);
    EXPECT_EQ(ColorOfIndex(5), rt::rgb(0xC0, 0xFF, 0xC0));
    EXPECT_EQ(ColorOfIndex(1), rt::rgb(0xFF, 0, 0));
    EXPECT_EQ(ColorOfIndex(2), 65535);
    EXPECT_FALSE(IsValidColorIndex(0));
    EXPECT_FALSE(IsValidColorIndex(6));
}

TEST_F(ResourceArrays, ARowZeroReplacesTheFirstEntryButStaysInvalid)
{
    addColor(0, QStringLiteral("FFFFFF"));
    FillResourceArrays();
    EXPECT_EQ(ColorCount, 0);
    EXPECT_EQ(ColorCodes[0], QStringLiteral("FFFFFF"));
    EXPECT_FALSE(IsValidColorIndex(0));
}

TEST_F(ResourceArrays, ColourFieldShowsTheColourOrKeine)
{
    addColor(1, QStringLiteral("0000FF"));
    FillResourceArrays();
    QLabel field;
    ShowColorField(&field, 1);
    EXPECT_EQ(BackColor(&field), rt::rgb(0xFF, 0, 0));
    EXPECT_EQ(field.palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(field.text(), QString());
    EXPECT_EQ(field.property("Tag").toInt(), 1);

    ShowColorField(&field, 2);
    EXPECT_EQ(BackColor(&field), 0xFFFFFF);
    EXPECT_EQ(field.text(), QStringLiteral(" keine"));
    EXPECT_EQ(field.property("Tag").toInt(), 1);

    database.exec(QStringLiteral("DELETE FROM tbl_colors"));
    FillResourceArrays();
    EXPECT_EQ(ColorCount, -1);
    EXPECT_EQ(ColorCodes.size(), 1u);
    ShowColorField(&field, 1);
    EXPECT_EQ(field.text(), QStringLiteral(" keine"));
}

TEST_F(ResourceArrays, ColourCodesReadAsHexadecimalOrBlack)
{
    EXPECT_EQ(ColorCodeValue(QStringLiteral("FFFFFFFF")), -1);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("ff00")), 0xFF00);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("grün")), 0);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("1FFFFFFFF")), 0);
}

TEST_F(ResourceArrays, TermsAreSplicedIntoTheTexts)
{
    addTerm(0, QStringLiteral("Haus"), QStringLiteral("Häuser"), QString());
    addTerm(1, QStringLiteral("Zimmer"), QStringLiteral("Zimmer"), QString());
    addTerm(5, QStringLiteral("Gast"), QStringLiteral("Gäste"), QStringLiteral("Gastes"));
    FillResourceArrays();
    EXPECT_EQ(TermPlaceSingular, QStringLiteral("Zimmer"));
    EXPECT_EQ(TermPersonPlural, QStringLiteral("Gäste"));
    EXPECT_EQ(TermPersonGenitive, QStringLiteral("Gastes"));
    EXPECT_EQ(FloorPlanHintText(), QStringLiteral("Sie können jetzt Zimmer-Symbole mit der Maus verschieben..."));
    EXPECT_EQ(PlaceOccupiedText(QStringLiteral("12")),
              QStringLiteral("Die aktuell gewählte Ressource (Zimmer) \"12\" ist im Reservierungszeitraum bereits belegt.\n\n"
                             "Möchten Sie die Reservierungsliste für diesen Raum einsehen?"));
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen."));
}

TEST_F(ResourceArrays, AnUnreadableTableIsReportedAndTheNextStillLoads)
{
    TermPlaceSingular.clear();
    addTerm(1, QStringLiteral("Bett"), QStringLiteral("Betten"), QString());
    addColor(1, QStringLiteral("FF"));
    FillResourceArrays();
    database.exec(QStringLiteral("DROP TABLE tbl_colors"));
    RoomTypes.push_back(RoomType{4, QStringLiteral("Suite"), 0, 0});

    dialogs->answerMessage(ui::Answer::Ok);
    FillResourceArrays();
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Error in {FillResourceArrays} while reading the resource table/field tbl_colors!\n\n")));
    EXPECT_EQ(TermPlaceSingular, QStringLiteral("Bett"));
    EXPECT_EQ(ColorCount, 1);   // the colours read before stay whole
    EXPECT_EQ(RoomTypes.size(), 1u);
}

class RoomTypeList : public ResourceArrays {
protected:
    void SetUp() override
    {
        database.exec(QStringLiteral("INSERT INTO tbl_room_types VALUES (7, 'Doppelzimmer')"));
        database.exec(QStringLiteral("INSERT INTO tbl_room_types VALUES (3, 'Einzelzimmer')"));
        database.exec(QStringLiteral("INSERT INTO tbl_room_types VALUES (9, NULL)"));
        LoadRoomTypes(1);
    }
};

TEST_F(RoomTypeList, LoadedInIdOrderBehindTheEmptyEntry)
{
    ASSERT_EQ(RoomTypes.size(), 4u);
    EXPECT_EQ(RoomTypes[0].id, 0);
    EXPECT_EQ(RoomTypes[1].id, 3);
    EXPECT_EQ(RoomTypes[2].id, 7);
    EXPECT_EQ(RoomTypes[3].id, 9);
    EXPECT_EQ(RoomTypes[3].name, QString());
}

TEST_F(RoomTypeList, ListsNamedTypesWithPricesAndSelectsById)
{
    RoomTypes[2].price = 65;
    QComboBox combo;
    std::vector<bool> fillingSeen;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&] { fillingSeen.push_back(FillingLists); });
    FillListRoomTypes(&combo, 0, 7);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(1), QStringLiteral("Doppelzimmer (65,00 €)"));
    EXPECT_EQ(combo.currentData().toInt(), 7);
    EXPECT_FALSE(FillingLists);
    ASSERT_FALSE(fillingSeen.empty());
    for (bool filling : fillingSeen)
        EXPECT_TRUE(filling);

    FillListRoomTypes(&combo, 0, 0);
    EXPECT_EQ(combo.currentIndex(), 0);
    FillListRoomTypes(&combo, 0, 42);
    EXPECT_EQ(combo.currentIndex(), -1);

    QListWidget list;
    FillListRoomTypes(&list, 0, 3);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_EQ(list.item(0)->data(Qt::UserRole).toInt(), 3);
    FillListRoomTypes(&list, 0, 42);
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

}  // namespace
