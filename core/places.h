#pragma once

#include "core/rowmerge.h"
#include "platform/runtime/date.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// Reads and writes of the facility structure: tbl_buildings, tbl_floors and
// tbl_places. Values are bound; failures throw db::DbError.

struct Building {
    qint32 bld_id = 0;
    qint32 bld_mandant_id = 0;
    QString bld_name;
    QString bld_short;
    QString bld_imagefile;
};

struct Floor {
    qint32 flr_id = 0;
    qint32 flr_building_id = 0;
    int flr_order = 0;             // -1 basement, 0 ground floor, 1.. upper floors
    QString flr_name;
    QString flr_short;
    QString flr_imagefile;
    QString flr_info;
};

// Coordinates are twips on the floor picture.
struct Place {
    qint32 pl_id = 0;
    qint32 pl_floor_id = 0;
    qint32 pl_building_id = 0;
    QString pl_name;
    qint32 pl_type_id = 0;
    bool pl_disabled = false;
    QString pl_info;
    int pl_capacity = 0;
    QString pl_imagefile;
    qint32 pl_x1 = 0;
    qint32 pl_y1 = 0;
    qint32 pl_x2 = 0;
    qint32 pl_y2 = 0;
    // A coordinate is text or beyond a Long: all four read as 0, the
    // picture's top-left corner, where the plan still shows the place.
    bool positionUnreadable = false;
};

std::optional<Building> LoadBuilding(qint32 buildingId);
std::optional<Floor> LoadFloor(qint32 floorId);
std::optional<Place> LoadPlace(qint32 placeId);

// In id order.
std::vector<Building> BuildingsOfMandant(qint32 mandantId);
// By flr_order, then id.
std::vector<Floor> FloorsOfBuilding(qint32 buildingId);
// In id order.
std::vector<Place> PlacesOfFloor(qint32 floorId);
// Every place of the facility's buildings, by building, floor order and name.
std::vector<Place> PlacesOfMandant(qint32 mandantId);

// The facility a floor belongs to; 0 when the floor or its building is missing.
qint32 MandantOfFloor(qint32 floorId);

// A place as the schedule lists it, with the short names of its building and floor.
struct SchedulePlace {
    qint32 pl_id = 0;
    QString bld_short;
    QString flr_short;
    QString pl_name;
    bool pl_disabled = false;
};

// The places of a facility for the schedule: those of floorId when it is
// above 0, else those of buildingId when it is above 0, else all; by building,
// floor order and name.
std::vector<SchedulePlace> SchedulePlaces(qint32 mandantId, qint32 floorId, qint32 buildingId);

// The facility's structure as the resource tree shows it: one row per place,
// with a building's or a floor's row alone when it has nothing below it.
// Buildings by id, floors by order, places by name.
struct ResourceTreeRow {
    qint32 bld_id = 0;
    QString bld_name;
    qint32 flr_id = 0;             // 0: a building without floors
    QString flr_name;
    int flr_order = 0;
    qint32 pl_id = 0;              // 0: a floor without places
    QString pl_name;
    bool pl_disabled = false;
};
std::vector<ResourceTreeRow> ResourceTreeRows(qint32 mandantId);

// The enabled places of the facility's buildings that hold a booking with
// persons starting before `before` and ending after `after`, or one whose
// period cannot be read.
std::vector<qint32> OccupiedPlacesOfMandant(qint32 mandantId, const rt::Date& before, const rt::Date& after);

// Writes of the facility structure. A stored row keeps its parent columns
// (bld_mandant_id, flr_building_id, pl_floor_id and pl_building_id): only a
// row that is not stored (id 0, or deleted meanwhile by another workstation)
// is added, with the parents given, and gets its new id. A row is added only
// under parents that exist, checked in the same transaction: a floor or
// building another workstation deleted gets no new row (nothing is written).
enum class StructureStoreResult { Updated, Added, BuildingMissing, FloorMissing };
StructureStoreResult StoreBuilding(Building& building);
StructureStoreResult StoreFloor(Floor& floor);
// The type is written only when writeType is set; the marker's position only
// when the place is added.
StructureStoreResult StorePlace(Place& place, bool writeType);

enum class ResourceKind { Building, Floor, Place };

// What still points to a resource: the floors of a building, the places of
// a floor, every booking of a place (with persons or not).
int DependantsOf(ResourceKind kind, qint32 id);

struct ResourceDeleteOutcome {
    enum class Result { Deleted, Referenced, NotFound, Cancelled } result = Result::Deleted;
    int dependants = 0;
};
// Deletes a resource an editor shows as `shown` (its row as read), asking as
// DeleteShownRow asks; compared are the columns the editor shows (those of
// BuildingColumns, FloorColumns, PlaceColumns with the category). Only one
// nothing points to: the check and the delete run in one transaction, so a
// floor another workstation just gave a place is kept.
ResourceDeleteOutcome DeleteShownResource(ResourceKind kind, qint32 id, const RowValues& shown, const DeleteAsk& ask);

// Saving a resource the editors loaded earlier, while another workstation
// may have changed it since: the row as read (ReadResourceRow), the struct
// its fields show (...FromRow), and the columns the editors write of a stored
// row (...Columns; never its id nor its parents, which other rows point to).
std::optional<RowValues> ReadResourceRow(ResourceKind kind, qint32 id);
Building BuildingFromRow(const RowValues& row);
Floor FloorFromRow(const RowValues& row);
Place PlaceFromRow(const RowValues& row);
RowValues BuildingColumns(const Building& building);
RowValues FloorColumns(const Floor& floor);
// The category only when withType is set.
RowValues PlaceColumns(const Place& place, bool withType);
// The fields as the editors label them, for the question.
QList<MergeField> ResourceMergeFields(ResourceKind kind);
// The row as the question names it: Das Gebäude "Haupthaus", Das
// Stockwerk "1. OG", a place with the house's term (Der Raum "01"); the
// number where the name is empty.
QString ResourceRowName(ResourceKind kind, const QString& name, qint32 id);
// Writes what the window changed of a stored resource and keeps what another
// workstation changed meanwhile; where both changed a field the user is asked
// (AskClash). Missing when the row was deleted meanwhile. Throws db::DbError.
MergedSave StoreResourceChanges(ResourceKind kind, qint32 id, const RowValues& loaded, const RowValues& changed);

// A marker moved on the floor plan: its position as the plan drew it (as
// read; a position never stored reads as 0) and the rectangle it takes now.
struct PlaceRectMove {
    qint32 placeId = 0;
    qint32 drawnX = 0;
    qint32 drawnY = 0;
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
};
struct PlaceRectOutcome {
    qint32 placeId = 0;
    bool missing = false;    // deleted meanwhile: nothing written
    qint32 x1 = 0;           // where the marker is stored now
    qint32 y1 = 0;
};
struct PlaceRectsOutcome {
    bool cancelled = false;  // Abbrechen: nothing written
    std::vector<PlaceRectOutcome> places;
};
// Stores the markers' rectangles in one write. A marker the window moved and
// another workstation moved too since the plan was drawn is asked about
// (its position is one field: Ja writes this window's rectangle, Nein keeps
// the stored one); Abbrechen on any writes none. A marker that stands where
// it was drawn takes the new rectangle without a question. Throws db::DbError.
PlaceRectsOutcome StorePlaceRects(const std::vector<PlaceRectMove>& moves);

// What the floor plan draws of a place: its name, whether it is disabled,
// its position and its category. Made alike from a row read later
// (PlaceFromRow), so the two compare.
RowValues PlaceOnPlanColumns(const Place& place);

struct PlacesDeleteOutcome {
    DeleteResult result = DeleteResult::Deleted;   // Missing: all were deleted meanwhile
    int deleted = 0;
    // Places that still have bookings, with their count; when there is one,
    // nothing was deleted.
    std::vector<std::pair<qint32, int>> referenced;
};
// Deletes the places a floor plan drew, drawn holding PlaceOnPlanColumns of
// each as drawn (a column the plan did not show left out), asking as
// DeleteShownRows asks, all or none: when one still has bookings, nothing.
PlacesDeleteOutcome DeleteDrawnPlaces(const QList<qint32>& placeIds, const QHash<qint32, RowValues>& drawn,
                                      const DeleteRowsAsk& ask);

// A place that can be booked, with the names of its building and floor.
struct BookablePlace {
    qint32 pl_id = 0;
    QString bld_name;
    QString flr_name;
    QString pl_name;
};
// The enabled places of the facility, by building, floor order and name.
std::vector<BookablePlace> BookablePlacesOfMandant(qint32 mandantId);

// A place with its floor and building, as the room details show it. The
// floor and building fields stay empty when their rows are missing.
struct PlaceDetails {
    Place place;
    QString flr_name;
    std::optional<int> flr_order;   // none when the floor row is missing
    qint32 flr_building_id = 0;
    QString bld_name;
    qint32 bld_mandant_id = 0;
};
std::optional<PlaceDetails> LoadPlaceDetails(qint32 placeId);


// A floor with the name of its building, as the plan shows it.
struct PlanFloor {
    Floor floor;
    QString bld_name;
};

// Which floor the plan shows. Never a floor of another facility.
struct PlanFloorQuery {
    qint32 floorId = -1;       // above 0: this floor
    qint32 buildingId = -1;    // above 0: a floor of this building (the lowest id unless order is given)
    std::optional<int> order;  // with a building: its floor of this flr_order
};
// The floor of the facility that the query names; without floor and building
// the facility's floor with the lowest id. nullopt when there is none.
std::optional<PlanFloor> FindPlanFloor(qint32 mandantId, const PlanFloorQuery& query);
