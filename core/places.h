#pragma once

#include <QString>

#include <optional>
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

// Stores the place's picture name; false when the place no longer exists.
bool SavePlaceImageFile(qint32 placeId, const QString& file);

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
