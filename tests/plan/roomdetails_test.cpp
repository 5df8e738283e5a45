#include "core/bookings.h"
#include "core/database.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "plan/picturechoice.h"
#include "plan/roomdetails.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

rt::Date at(int day, int hour, int minute = 0, int second = 0)
{
    return rt::Date::fromParts(2026, 3, day, hour, minute, second);
}

// One facility with a building, a floor without a name and two places.
class Rooms : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        ReadPreferences();
        database.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension Test')");
        database.exec("INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name) VALUES (1, 1, 'Haupthaus')");
        database.exec("INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name) VALUES (1, 1, 0, NULL)");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name, pl_capacity) VALUES (1, 1, '01', 2)");
        database.exec("INSERT INTO tbl_places (pl_id, pl_floor_id, pl_name) VALUES (2, 1, 'Linde')");
        for (const char* row : {"(1, 'Berg', 'Anna')", "(2, 'Roth', 'Ben')", "(3, 'Vogt', 'Carla')", "(4, 'Graf', 'Dora')"})
            database.exec(QStringLiteral("INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname) VALUES ") + row);
    }
    static void book(qint32 placeId, qint32 custId, const rt::Date& start, const rt::Date& end, int persons = 1)
    {
        Db->execute("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, book_end) "
                    "VALUES (?, ?, ?, ?, ?)",
                    {placeId, custId, persons, start, end});
    }
    static QStringList names(const RoomDetails& details)
    {
        QStringList list;
        for (const RoomOccupant& o : details.occupants)
            list << o.name + "#" + QString::number(o.custId);
        return list;
    }

    test::GlobalsScope globals;
    test::TestDatabase database;
};

}  // namespace

TEST_F(Rooms, OccupantsAreTheBookingsCoveringTheMomentWhateverTheirPersons)
{
    book(1, 1, at(9, 12), at(11, 12), 3);
    book(1, 2, at(8, 12), at(10, 12));      // left this noon
    book(1, 3, at(11, 12), at(13, 12));     // arrives tomorrow
    book(1, 4, at(10, 12), at(12, 12), 0);  // no persons, still there
    book(2, 2, at(9, 12), at(12, 12));      // another place
    const RoomDetails details = ReadRoomDetails(1, at(10, 15));
    EXPECT_EQ(names(details), QStringList({"Anna Berg#1", "Dora Graf#4"}));
    EXPECT_EQ(details.OccupantCustomerId, 4);
}

TEST_F(Rooms, ABookingEndingTodayAtNoonCountsUntilNoon)
{
    book(1, 2, at(8, 12), at(10, 12));
    EXPECT_EQ(names(ReadRoomDetails(1, at(10, 11, 59, 59))), QStringList{"Ben Roth#2"});
    EXPECT_EQ(names(ReadRoomDetails(1, at(10, 12))), QStringList{"Ben Roth#2"});
    const RoomDetails after = ReadRoomDetails(1, at(10, 12, 0, 1));
    EXPECT_TRUE(after.occupants.empty());
    EXPECT_EQ(after.OccupantCustomerId, -1);
}

TEST_F(Rooms, AGuestWithoutAddressIsNotListedButIsTheLastOccupant)
{
    book(1, 1, at(9, 12), at(11, 12));
    book(1, 99, at(10, 12), at(12, 12));
    const RoomDetails details = ReadRoomDetails(1, at(10, 18));
    EXPECT_EQ(names(details), QStringList{"Anna Berg#1"});
    EXPECT_EQ(details.OccupantCustomerId, 99);
}

TEST_F(Rooms, PlaceTextsAndTheFloorWithoutName)
{
    const RoomDetails details = ReadRoomDetails(1, at(10, 15));
    EXPECT_EQ(details.ShownPlaceId, 1);
    EXPECT_EQ(details.name, "01");
    EXPECT_EQ(details.building, "Haupthaus");
    EXPECT_EQ(details.floor, "Erdgeschoss");
    EXPECT_EQ(details.capacity, "2");

    // A floor row that is gone, and orders without a standard label.
    database.exec("UPDATE tbl_places SET pl_floor_id = 77 WHERE pl_id = 2");
    const RoomDetails orphan = ReadRoomDetails(2, at(10, 15));
    EXPECT_EQ(orphan.ShownPlaceId, 2);
    EXPECT_EQ(orphan.floor, "");
    EXPECT_EQ(orphan.building, "");
    EXPECT_EQ(FloorCaption("", -1), "Untergeschoss");
    EXPECT_EQ(FloorCaption("", 20), "");
    EXPECT_EQ(FloorCaption("", -2), "");
    EXPECT_EQ(FloorCaption("Dach", 3), "Dach");

    EXPECT_EQ(ReadRoomDetails(999, at(10, 15)).ShownPlaceId, -1);
    EXPECT_EQ(RoomBookingsCaption("01"), "Reservierungs-Details für Raum 01");
    EXPECT_EQ(RoomBookingsCaption("Linde"), "Reservierungs-Details für Linde");
}

TEST_F(Rooms, APlacePictureIsStoredOnlyPastTheReadOnlyRefusalAndThePassword)
{
    ImageDir = database.folder().path() + "images/";
    const QString chosen = ImageDir + "zimmer/Anna's Zimmer.png";
    test::DialogScope dialogs;

    StationReadOnly = true;
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(ChoosePlacePicture(1, "", ImageDir));
    EXPECT_EQ(dialogs->lastMessage().text, GetResString(390));

    StationReadOnly = false;
    AdminPassword = "geheim";
    AdminPasswordActive = true;
    dialogs->answerPassword(QString("falsch"));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(ChoosePlacePicture(1, "", ImageDir));
    EXPECT_TRUE(database.value("SELECT pl_imagefile FROM tbl_places WHERE pl_id = 1").isNull());

    dialogs->answerPassword(QString("geheim"));
    dialogs->answerFile(chosen);
    EXPECT_EQ(ChoosePlacePicture(1, "", ImageDir), "zimmer/Anna's Zimmer.png");
    EXPECT_EQ(database.value("SELECT pl_imagefile FROM tbl_places WHERE pl_id = 1").toText(), "zimmer/Anna's Zimmer.png");

    // A picture chosen at another workstation since the window showed its
    // own is not replaced unasked.
    TermPlaceSingular = "Raum";
    test::OtherStation(database.path()).exec("UPDATE tbl_places SET pl_imagefile = 'linde.png' WHERE pl_id = 1");
    dialogs->answerFile(ImageDir + "neu.png");
    dialogs->answerMessage(ui::Answer::No);
    EXPECT_EQ(ChoosePlacePicture(1, "zimmer/Anna's Zimmer.png", ImageDir), "linde.png");
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith("Der Raum \"01\" wurde inzwischen an anderer Stelle "
 "geändert: Bild jetzt \"linde.png\"."));
    EXPECT_EQ(database.value("SELECT pl_imagefile FROM tbl_places WHERE pl_id = 1").toText(), "linde.png");

    // Remembered from now on; a place deleted meanwhile is told, not stored.
    dialogs->answerFile(chosen);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(ChoosePlacePicture(55, "", ImageDir));
    EXPECT_EQ(dialogs->lastMessage().title, "Raum nicht gefunden");
    EXPECT_EQ(dialogs->lastMessage().text, "Der gewünschte Raum (Kennummer 55) existiert nicht mehr.");
    const auto passwords = std::count_if(dialogs->calls().begin(), dialogs->calls().end(),
                                         [](const auto& call) { return call.kind == test::ScriptedDialogs::Kind::Password; });
    EXPECT_EQ(passwords, 2);
}

TEST_F(Rooms, AFacilityPictureOutsideThePictureFolderKeepsItsPathAndFacilityZeroStoresNothing)
{
    ImageDir = database.folder().path() + "images/";
    test::DialogScope dialogs;
    dialogs->answerFile("/srv/bilder/haus.png");
    dialogs->answerFile(ImageDir + "lageplan.png");
    EXPECT_EQ(ChooseMandantPicture(1, "", ImageDir), "/srv/bilder/haus.png");
    EXPECT_EQ(database.value("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = 1").toText(), "/srv/bilder/haus.png");
    EXPECT_EQ(ChooseMandantPicture(0, "", ImageDir), "lageplan.png");
    EXPECT_EQ(database.count("tbl_mandanten", "mand_imagefile = 'lageplan.png'"), 0);
    EXPECT_EQ(database.count("tbl_mandanten"), 1);
}
