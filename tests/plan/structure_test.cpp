#include "core/places.h"
#include "core/globals.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/workstation.h"
#include "plan/floorplanedit.h"
#include "plan/resourceedit.h"
#include "plan/resourcetree.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/other_station.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/unchecked_writes.h"
#include "tests/support/window_hooks.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

// Facility 1: "Haupthaus" with a ground floor holding two rooms, and an
// empty "Gartenhaus".
class Structure : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitGlobalTexts();
        ReadPreferences();
        MandantId = 1;
        StationReadOnly = false;
        AdminPassword.clear();
        AdminPasswordActive = false;
        AdminConfirmed = false;
        house = db.addBuilding(1, QStringLiteral("Haupthaus"));
        garden = db.addBuilding(1, QStringLiteral("Gartenhaus"));
        ground = db.addFloor(house, 0);
        room1 = db.addPlace(ground);
        room2 = db.addPlace(ground);
        db.exec(QStringLiteral("UPDATE tbl_places SET pl_building_id = %1, pl_name = 'Zimmer ' || pl_id").arg(house));
    }

    TreeNodeRef node(const QString& key, const QString& text, qint32 tag, qint32 parent = 0, qint32 grandparent = 0)
    {
        return TreeNodeRef{key, text, tag, parent, grandparent};
    }
    int rows(const QString& table) { return db.count(table); }

    test::GlobalsScope globals;
    test::OccupancyDb db;
    test::DialogScope dialogs;
    PlanState state;
    ResourceFields fields;
    ResourceEditor editor{state, fields};
    qint32 house = 0, garden = 0, ground = 0, room1 = 0, room2 = 0;
};

}  // namespace

TEST_F(Structure, NothingThatOthersPointToIsDeletedFromTheTreeOrTheFloorPlan)
{
    // A building with floors.
    ASSERT_TRUE(editor.select(node("B" + QString::number(house), "Haupthaus", house)));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.remove(node("B" + QString::number(house), "Haupthaus", house)));
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Ressource \"Haupthaus\" kann nicht gelöscht werden, da es noch 1 abhängige Etagen gibt.");
    EXPECT_EQ(dialogs->lastMessage().title, "Ressource löschen");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);

    // A floor with places names their count.
    db.addPlace(ground);
    const TreeNodeRef floorNode = node("F" + QString::number(ground), "Etage 0", ground, house);
    ASSERT_TRUE(editor.select(floorNode));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.remove(floorNode));
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Ressource \"Etage 0\" kann nicht gelöscht werden, da es noch 3 abhängige Buchungsplätze gibt.");

    // A place with a booking, even one of no persons: from the tree ...
    db.addBooking(room1, 7, 1, 3, 0);
    const TreeNodeRef placeNode = node("P" + QString::number(room1), "Zimmer", room1, ground, house);
    ASSERT_TRUE(editor.select(placeNode));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.remove(placeNode));
    EXPECT_TRUE(dialogs->lastMessage().text.endsWith("1 abhängige Buchungen gibt."));

    // ... and with the Delete key on the floor plan, with a free place marked
    // beside it: nothing goes.
    dialogs->answerMessage(ui::Answer::Ok);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(DeleteSelectedPlaces({room2, room1}, {}));
    EXPECT_EQ(dialogs->lastMessage().title, "Räume löschen");
    EXPECT_TRUE(dialogs->lastMessage().text.contains(QStringLiteral("\"Zimmer %1\": 1 Buchung").arg(room1)));
    EXPECT_EQ(rows("tbl_places"), 3);
    EXPECT_EQ(rows("tbl_floors"), 1);
    EXPECT_EQ(rows("tbl_buildings"), 2);

    // Without bookings, asked and confirmed, it goes; Cancel keeps it.
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_FALSE(DeleteSelectedPlaces({room2}, {}));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_TRUE(DeleteSelectedPlaces({room2}, {}));
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie die selektierten Räume löschen?");
    EXPECT_EQ(rows("tbl_places"), 2);
    const TreeNodeRef gardenNode = node("B" + QString::number(garden), "Gartenhaus", garden);
    ASSERT_TRUE(editor.select(gardenNode));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_TRUE(editor.remove(gardenNode));
    EXPECT_EQ(dialogs->lastMessage().text, "Wollen Sie die Ressource \"Gartenhaus\" löschen?");
    EXPECT_EQ(rows("tbl_buildings"), 1);
}

TEST_F(Structure, TheDeleteChecksAgainWhatAnotherWorkstationAddedMeanwhile)
{
    const TreeNodeRef gardenNode = node("B" + QString::number(garden), "Gartenhaus", garden);
    ASSERT_TRUE(editor.select(gardenNode));
    EXPECT_EQ(test::DeleteResource(ResourceKind::Building, garden).result, ResourceDeleteOutcome::Result::Deleted);
    // Deleted elsewhere: nothing left to delete.
    EXPECT_EQ(test::DeleteResource(ResourceKind::Building, garden).result, ResourceDeleteOutcome::Result::NotFound);
    // While the question is up, another station adds a floor.
    const qint32 other = db.addBuilding(1, QStringLiteral("Remise"));
    ASSERT_TRUE(editor.select(node("B" + QString::number(other), "Remise", other)));
    db.addFloor(other, 1);
    const ResourceDeleteOutcome outcome = test::DeleteResource(ResourceKind::Building, other);
    EXPECT_EQ(outcome.result, ResourceDeleteOutcome::Result::Referenced);
    EXPECT_EQ(outcome.dependants, 1);
}

// Selected here, deleted at another workstation: nothing is added below it.
TEST_F(Structure, NothingIsAddedUnderAFloorOrBuildingDeletedElsewhere)
{
    const qint32 upper = db.addFloor(garden, 1);
    const TreeNodeRef upperNode = node("F" + QString::number(upper), "1.", upper, garden);
    ASSERT_TRUE(editor.select(upperNode));
    ASSERT_EQ(test::DeleteResource(ResourceKind::Floor, upper).result, ResourceDeleteOutcome::Result::Deleted);
    state.TreeNodeLetter = "F";
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.newResource(1, upperNode));
    EXPECT_EQ(dialogs->lastMessage().text,
              "Der Buchungsplatz wurde nicht gespeichert: seine Etage wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    EXPECT_TRUE(editor.takeTreeStale());
    EXPECT_FALSE(editor.takeTreeStale());

    const TreeNodeRef gardenNode = node("B" + QString::number(garden), "Gartenhaus", garden);
    ASSERT_TRUE(editor.select(gardenNode));
    ASSERT_EQ(test::DeleteResource(ResourceKind::Building, garden).result, ResourceDeleteOutcome::Result::Deleted);
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.newResource(1, gardenNode));
    EXPECT_EQ(dialogs->lastMessage().text,
              "Die Etage wurde nicht gespeichert: ihr Gebäude wurde inzwischen an einem anderen Arbeitsplatz gelöscht.");
    EXPECT_EQ(rows("tbl_floors"), 1);
    EXPECT_EQ(rows("tbl_places"), 2);

    // Without a parent at all the same holds; a stored row keeps its own.
    for (qint32 missing : {0, -1}) {
        Floor f;
        f.flr_building_id = missing;
        EXPECT_EQ(StoreFloor(f), StructureStoreResult::BuildingMissing);
        Place p;
        p.pl_floor_id = ground;
        p.pl_building_id = missing;
        EXPECT_EQ(StorePlace(p, false), StructureStoreResult::BuildingMissing);
        p.pl_floor_id = missing;
        EXPECT_EQ(StorePlace(p, false), StructureStoreResult::FloorMissing);
    }
    Place room = *LoadPlace(room1);
    room.pl_name = "Suite";
    EXPECT_EQ(StorePlace(room, false), StructureStoreResult::Updated);
    EXPECT_EQ(rows("tbl_places"), 2);
}

TEST_F(Structure, PictureNamesAndFacilityNamesWithAnApostropheAreStored)
{
    // The floor-plan picture chosen in edit mode, inside the picture folder.
    const QString imageDir = db.folder().path() + "images/";
    db.folder().write("images/Anna's Etage.png", "x");
    state.CurrentFloorId = ground;
    dialogs->answerFile(imageDir + "Anna's Etage.png");
    EXPECT_EQ(LoadFloorPicture(state, QString(), imageDir), QString("Anna's Etage.png"));
    EXPECT_EQ(dialogs->lastFileFilter(), "Bilddateien (*.jpg;*.gif;*.png)");
    EXPECT_EQ(LoadFloor(ground)->flr_imagefile, "Anna's Etage.png");

    // The place editor's picture name.
    const TreeNodeRef placeNode = node("P" + QString::number(room1), "Zimmer", room1, ground, house);
    ASSERT_TRUE(editor.select(placeNode));
    fields.place.imageFile = "  /srv/bilder/O'Brien's Zimmer.jpg ";
    ASSERT_TRUE(editor.save(placeNode));
    EXPECT_EQ(LoadPlace(room1)->pl_imagefile, "/srv/bilder/O'Brien's Zimmer.jpg");

    db.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Lindenhof');");
    dialogs->answerInput(QStringLiteral("  Anna's Gästehaus "));
    EXPECT_EQ(RenameFacility(state, 1, "Lindenhof"), QString("Anna's Gästehaus"));
    EXPECT_EQ(db.value("SELECT mand_name FROM tbl_mandanten").toText(), "Anna's Gästehaus");
    // The same name or blanks write nothing.
    dialogs->answerInput(QStringLiteral("   "));
    EXPECT_FALSE(RenameFacility(state, 1, "Anna's Gästehaus"));
}

TEST_F(Structure, AStoredResourceKeepsItsParentsOnlyANewOneHangsUnderTheNode)
{
    // The place opened from the floor plan while a building node is selected.
    const TreeNodeRef gardenNode = node("B" + QString::number(garden), "Gartenhaus", garden);
    ASSERT_TRUE(editor.select(gardenNode));
    state.TreeNodeLetter = "P";
    ASSERT_TRUE(editor.load(room1, "P"));
    EXPECT_EQ(state.CurrentPlaceId, room1);
    fields.place.name = " Suite ";
    fields.place.capacity = "3";
    ASSERT_TRUE(editor.save(gardenNode));
    std::optional<Place> place = LoadPlace(room1);
    EXPECT_EQ(place->pl_floor_id, ground);
    EXPECT_EQ(place->pl_building_id, house);
    EXPECT_EQ(place->pl_name, "Suite");
    EXPECT_EQ(place->pl_capacity, 3);

    // The same for a floor opened from the plan's floor name.
    state.TreeNodeLetter = "F";
    ASSERT_TRUE(editor.load(ground, "F"));
    ASSERT_TRUE(editor.save(gardenNode));
    EXPECT_EQ(LoadFloor(ground)->flr_building_id, house);

    // A floor added below the garden house node belongs to it, one order up
    // from the floor shown last.
    state.TreeNodeLetter = "B";
    ASSERT_TRUE(editor.newResource(1, gardenNode));
    EXPECT_EQ(state.TreeNodeLetter, "F");
    std::optional<Floor> added = LoadFloor(fields.floor.idText.toInt());
    ASSERT_TRUE(added);
    EXPECT_EQ(added->flr_building_id, garden);
    EXPECT_EQ(added->flr_order, 1);
    EXPECT_EQ(added->flr_name, "1.");
    EXPECT_EQ(editor.lastKey(), "F" + fields.floor.idText);

    // A place beside a place, while only a building node is selected, joins
    // the floor of the place shown.
    state.TreeNodeLetter = "P";
    ASSERT_TRUE(editor.load(room2, "P"));
    ASSERT_TRUE(editor.newResource(0, gardenNode));
    place = LoadPlace(fields.place.idText.toInt());
    ASSERT_TRUE(place);
    EXPECT_NE(place->pl_id, room2);
    EXPECT_EQ(place->pl_floor_id, ground);
    EXPECT_EQ(place->pl_building_id, house);
}

TEST_F(Structure, NewResourcesTakeTheirDefaults)
{
    // No node chosen: the unnamed building is shown but the save refuses.
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.newResource(0, std::nullopt));
    EXPECT_EQ(state.TreeNodeLetter, "B");
    EXPECT_EQ(fields.building.idText, NewResourceIdText);
    EXPECT_EQ(dialogs->lastMessage().text, "Wählen Sie erst eine Ressource.");
    EXPECT_EQ(rows("tbl_buildings"), 2);

    const TreeNodeRef houseNode = node("B" + QString::number(house), "Haupthaus", house);
    ASSERT_TRUE(editor.select(houseNode));
    fields.building.shortName = "HH";
    ASSERT_TRUE(editor.newResource(0, houseNode));
    const std::optional<Building> b = LoadBuilding(fields.building.idText.toInt());
    ASSERT_TRUE(b);
    EXPECT_EQ(b->bld_name, "unbenannt");
    EXPECT_EQ(b->bld_mandant_id, 1);

    // Beside a floor of order 10 comes the ground floor.
    const qint32 top = db.addFloor(house, 10);
    const TreeNodeRef topNode = node("F" + QString::number(top), "Etage 10", top, house);
    ASSERT_TRUE(editor.select(topNode));
    ASSERT_TRUE(editor.newResource(0, topNode));
    EXPECT_EQ(fields.floor.order, 0);
    EXPECT_EQ(fields.floor.orderLabel, "EG");
    EXPECT_EQ(LoadFloor(fields.floor.idText.toInt())->flr_building_id, house);

    EXPECT_EQ(StepFloorOrder(10, 0), 10);
    EXPECT_EQ(StepFloorOrder(-1, 1), -1);
    EXPECT_EQ(StepFloorOrder(2, 1), 1);
    EXPECT_EQ(FloorOrderLabel(3), "3.");
    EXPECT_EQ(FloorOrderLabel(11), "");
}

TEST_F(Structure, ThePasswordIsAskedOnceAndNeverInEditMode)
{
    AdminPassword = "geheim";
    AdminPasswordActive = true;
    const TreeNodeRef houseNode = node("B" + QString::number(house), "Haupthaus", house);
    dialogs->answerPassword(QStringLiteral("falsch"));
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(editor.select(houseNode));
    EXPECT_TRUE(state.TreeNodeLetter.isEmpty());

    state.EditMode = true;
    EXPECT_TRUE(editor.select(houseNode));
    EXPECT_TRUE(SwitchEditMode(state));   // switching off never asks
    EXPECT_FALSE(state.EditMode);

    dialogs->answerPassword(QStringLiteral("geheim"));
    EXPECT_TRUE(SwitchEditMode(state));
    EXPECT_TRUE(state.EditMode);
    state.EditMode = false;
    EXPECT_TRUE(editor.save(houseNode));   // remembered
}

TEST_F(Structure, AReadOnlyWorkstationChangesNothing)
{
    StationReadOnly = true;
    for (int i = 0; i < 7; ++i)
        dialogs->answerMessage(ui::Answer::Ok);
    const TreeNodeRef houseNode = node("B" + QString::number(house), "Haupthaus", house);
    state.TreeNodeLetter = "B";
    fields.building.idText = QString::number(house);
    fields.building.name = "Umbenannt";
    state.CurrentFloorId = ground;

    EXPECT_FALSE(editor.select(houseNode));
    EXPECT_FALSE(editor.save(houseNode));
    EXPECT_FALSE(editor.newResource(1, houseNode));
    EXPECT_FALSE(editor.remove(houseNode));
    EXPECT_FALSE(SwitchEditMode(state));
    EXPECT_FALSE(LoadFloorPicture(state, QString(), db.folder().path()));
    EXPECT_FALSE(DeleteSelectedPlaces({room1}, {}));
    EXPECT_FALSE(StoreMovedMarkers({PlaceRectMove{room1, 0, 0, 10, 0, 205, 195}}, {}));
    EXPECT_FALSE(RenameFacility(state, 1, "Lindenhof"));

    EXPECT_FALSE(state.EditMode);
    ASSERT_EQ(dialogs->messages().size(), 7u);
    for (const auto& message : dialogs->messages()) {
        EXPECT_EQ(message.text, GetResString(390));
        EXPECT_EQ(message.icon, ui::Icon::Critical);
    }
    EXPECT_EQ(LoadBuilding(house)->bld_name, "Haupthaus");
    EXPECT_EQ(LoadPlace(room1)->pl_x1, 0);
    EXPECT_EQ(rows("tbl_buildings"), 2);
    EXPECT_EQ(rows("tbl_floors"), 1);
    EXPECT_EQ(rows("tbl_places"), 2);
}

TEST_F(Structure, MarkersStoreTheirRectangleAndMoveTogether)
{
    // Held 75 twips into the marker, let go 375, 525 from the picture's corner.
    const PlaceRect r = DroppedPlaceRect(375, 525, 75, 75, 195, 195);
    EXPECT_EQ((std::array{r.x1, r.y1, r.x2, r.y2}), (std::array{300, 450, 495, 645}));
    // Dropped over the picture's corner: not clamped.
    EXPECT_EQ(DroppedPlaceRect(30, 0, 75, 75, 195, 195).x1, -45);

    EXPECT_EQ(NudgeOf(Qt::Key_Right, Qt::NoModifier), QPoint(1, 0));
    EXPECT_EQ(NudgeOf(Qt::Key_Up, Qt::ShiftModifier), QPoint(0, -10));
    EXPECT_EQ(NudgeOf(Qt::Key_Left, Qt::AltModifier | Qt::ControlModifier), QPoint(-10, 0));
    EXPECT_FALSE(NudgeOf(Qt::Key_Delete, Qt::NoModifier));

    // A position never stored is drawn at 0 and moves from there unasked.
    db.exec(QStringLiteral("UPDATE tbl_places SET pl_x1 = NULL, pl_x2 = NULL WHERE pl_id = %1").arg(room2));
    const auto stored = StoreMovedMarkers({{room1, 0, 0, r.x1, r.y1, r.x2, r.y2}, {room2, 0, 0, 10, -5, 205, 190}}, {});
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 2u);
    EXPECT_EQ(QPoint((*stored)[1].x1, (*stored)[1].y1), QPoint(10, -5));
    std::optional<Place> p = LoadPlace(room1);
    EXPECT_EQ((std::array{p->pl_x1, p->pl_y1, p->pl_x2, p->pl_y2}), (std::array{300, 450, 495, 645}));
    p = LoadPlace(room2);
    EXPECT_EQ((std::array{p->pl_x1, p->pl_y1, p->pl_x2, p->pl_y2}), (std::array{10, -5, 205, 190}));
    // So does one that cannot be read: moved, it is whole again.
    db.exec(QStringLiteral("UPDATE tbl_places SET pl_x1 = 1e300, pl_y2 = 'unten' WHERE pl_id = %1").arg(room2));
    EXPECT_TRUE(LoadPlace(room2)->positionUnreadable);
    ASSERT_TRUE(StoreMovedMarkers({{room2, 0, 0, 20, 30, 215, 225}}, {}));
    p = LoadPlace(room2);
    EXPECT_EQ((std::array{p->pl_x1, p->pl_y1, p->pl_x2, p->pl_y2}), (std::array{20, 30, 215, 225}));
    EXPECT_FALSE(p->positionUnreadable);
    EXPECT_TRUE(dialogs->messages().empty());

    for (int i = 0; i < 200; ++i) {
        const double r = i / 200.0;
        const QPoint at = JigglePosition(PlaceHome{1000, 2000}, r, 1.0 - r - 0.001);
        EXPECT_LE(std::abs(at.x() - 1000), 75);
        EXPECT_LE(std::abs(at.y() - 2000), 75);
    }
}

TEST_F(Structure, TheTreeShowsEveryBuildingFloorAndPlaceWithItsOccupancy)
{
    const qint32 unnamed = db.addFloor(house, 0);
    db.exec(QStringLiteral("UPDATE tbl_floors SET flr_name = NULL WHERE flr_id = %1").arg(unnamed));
    const qint32 late = db.addPlace(unnamed);
    const qint32 shut = db.addPlace(unnamed, true);
    db.exec(QStringLiteral("UPDATE tbl_places SET pl_name = 'A' WHERE pl_id = %1").arg(late));
    db.addBuilding(2, QStringLiteral("Fremd"));

    const std::vector<ResourceNode> nodes = BuildResourceNodes(ResourceTreeRows(1), FloorNames);
    QStringList keys;
    for (const ResourceNode& n : nodes)
        keys << n.key + ">" + n.parentKey;
    const QString h = QString::number(house), g = QString::number(ground), u = QString::number(unnamed);
    EXPECT_EQ(keys, (QStringList{"B>", "B" + h + ">B", "F" + g + ">B" + h, QStringLiteral("P%1>F%2").arg(room1).arg(g),
                                 QStringLiteral("P%1>F%2").arg(room2).arg(g), "F" + u + ">B" + h,
                                 QStringLiteral("P%1>F%2").arg(shut).arg(u), QStringLiteral("P%1>F%2").arg(late).arg(u),
                                 "B" + QString::number(garden) + ">B"}));
    EXPECT_EQ(nodes[5].text, "Erdgeschoss");
    EXPECT_EQ(nodes[6].image, TreeImage::PlaceDisabled);
    EXPECT_EQ(nodes[0].image, TreeImage::DotLine);
    EXPECT_FALSE(TreeIcon(TreeImage::PlaceOccupied).isNull());

    // Period 10.-12. July: one arriving on the 12th counts, one leaving on the
    // 10th does not, nor a booking of no persons or of a disabled place.
    const qint32 arriving = db.addBooking(room1, 1, 12, 14);
    db.addBooking(room2, 2, 8, 10);
    db.addBooking(late, 3, 9, 11, 0);
    db.addBooking(shut, 4, 9, 11);
    (void)arriving;
    const QSet<qint32> occupied =
        OccupiedTreePlaces(1, rt::Date::fromParts(2024, 7, 10, 12), rt::Date::fromParts(2024, 7, 12, 12));
    EXPECT_EQ(occupied, QSet<qint32>{room1});
    // An arrival nobody can read holds an enabled place in any period.
    db.exec(QStringLiteral("UPDATE tbl_bookings SET book_start = 'bald' WHERE book_place_id IN (%1, %2)").arg(room2).arg(shut));
    EXPECT_EQ(OccupiedTreePlaces(1, rt::Date::fromParts(2024, 7, 10, 12), rt::Date::fromParts(2024, 7, 12, 12)),
              (QSet<qint32>{room1, room2}));
    EXPECT_EQ(PlaceNodeImage(TreeImage::Place, true), TreeImage::PlaceOccupied);
    EXPECT_EQ(PlaceNodeImage(TreeImage::PlaceOccupied, false), TreeImage::PlaceFree);
    EXPECT_EQ(PlaceNodeImage(TreeImage::PlaceDisabled, true), TreeImage::PlaceDisabled);
}

namespace {

// Dialogs as scripted, with another workstation at work while the file
// dialog is open. Installed for its lifetime; the service slot does not own it.
class WhileChoosing : public test::ScriptedDialogs {
public:
    explicit WhileChoosing(std::function<void()> meanwhile) : m_meanwhile(std::move(meanwhile))
    {
        auto self = std::unique_ptr<ui::DialogService>(this);
        m_previous = ui::DialogService::install(std::move(self));
    }
    ~WhileChoosing() override { (void)ui::DialogService::install(std::move(m_previous)).release(); }
    WhileChoosing(const WhileChoosing&) = delete;
    WhileChoosing& operator=(const WhileChoosing&) = delete;

    QString openFile(const ui::FileRequest& request) override
    {
        if (m_meanwhile)
            std::exchange(m_meanwhile, {})();
        return ScriptedDialogs::openFile(request);
    }

private:
    std::function<void()> m_meanwhile;
    std::unique_ptr<ui::DialogService> m_previous;
};

}  // namespace

TEST_F(Structure, AFloorPictureChosenElsewhereMeanwhileIsNotReplacedUnasked)
{
    test::OtherStation other{db.path()};
    const QString imageDir = db.folder().path() + "images/";
    db.folder().write("images/neu.png", "x");
    state.CurrentFloorId = ground;
    WhileChoosing dialogs{[&] { other.exec("UPDATE tbl_floors SET flr_imagefile = 'anders.png'"); }};
    dialogs.answerFile(imageDir + "neu.png");
    dialogs.answerMessage(ui::Answer::No);
    EXPECT_EQ(LoadFloorPicture(state, QString(), imageDir), QString("anders.png"));
    EXPECT_EQ(dialogs.lastMessage().text.section('\n', 0, 0),
              "Die Etage \"Etage 0\" wurde inzwischen an anderer Stelle geändert: "
              "Etagenplan jetzt \"anders.png\". Ihre Änderung trotzdem speichern?");
    EXPECT_EQ(LoadFloor(ground)->flr_imagefile, "anders.png");
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

// The plan drew "alt.png"; another workstation chose "anders.png" since.
TEST_F(Structure, AFloorPictureChosenElsewhereSinceThePlanWasDrawnIsNotReplacedUnasked)
{
    const QString imageDir = db.folder().path() + "images/";
    db.folder().write("images/neu.png", "x");
    state.CurrentFloorId = ground;
    state.CurrentFloorImageFile = "alt.png";
    test::OtherStation(db.path()).exec(QStringLiteral("UPDATE tbl_floors SET flr_imagefile = 'anders.png' WHERE flr_id = %1").arg(ground));
    dialogs->answerFile(imageDir + "neu.png");
    dialogs->answerMessage(ui::Answer::Cancel);
    EXPECT_EQ(LoadFloorPicture(state, QString(), imageDir), std::nullopt);
    EXPECT_TRUE(dialogs->lastMessage().text.contains("Etagenplan jetzt \"anders.png\"")) << dialogs->lastMessage().text.toStdString();
    EXPECT_EQ(LoadFloor(ground)->flr_imagefile, "anders.png");
}

TEST_F(Structure, AResourceDeletedElsewhereIsStoredAnewAsBefore)
{
    const TreeNodeRef placeNode = node("P" + QString::number(room1), "Zimmer", room1, ground, house);
    ASSERT_TRUE(editor.select(placeNode));
    test::OtherStation(db.path()).exec(QStringLiteral("DELETE FROM tbl_places WHERE pl_id = %1").arg(room1));
    fields.place.info = "Neu angelegt";
    ASSERT_TRUE(editor.save(placeNode));
    const std::optional<Place> place = LoadPlace(fields.place.idText.toInt());
    ASSERT_TRUE(place);
    EXPECT_EQ(place->pl_name, QStringLiteral("Zimmer %1").arg(room1));
    EXPECT_EQ(place->pl_info, "Neu angelegt");
    EXPECT_TRUE(dialogs->messages().empty());
}
