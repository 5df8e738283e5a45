#include "core/places.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"

#include <QStringList>

namespace {

db::Recordset query(const QString& sql, const QList<db::Value>& params)
{
    return OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
}

Building readBuilding(const db::Recordset& rs)
{
    Building b;
    b.bld_id = rs.value(QStringLiteral("bld_id")).toLong();
    b.bld_mandant_id = rs.value(QStringLiteral("bld_mandant_id")).toLong();
    b.bld_name = rs.value(QStringLiteral("bld_name")).toText();
    b.bld_short = rs.value(QStringLiteral("bld_short")).toText();
    b.bld_imagefile = rs.value(QStringLiteral("bld_imagefile")).toText();
    return b;
}

Floor readFloor(const db::Recordset& rs)
{
    Floor f;
    f.flr_id = rs.value(QStringLiteral("flr_id")).toLong();
    f.flr_building_id = rs.value(QStringLiteral("flr_building_id")).toLong();
    f.flr_order = rs.value(QStringLiteral("flr_order")).toLong();
    f.flr_name = rs.value(QStringLiteral("flr_name")).toText();
    f.flr_short = rs.value(QStringLiteral("flr_short")).toText();
    f.flr_imagefile = rs.value(QStringLiteral("flr_imagefile")).toText();
    f.flr_info = rs.value(QStringLiteral("flr_info")).toText();
    return f;
}

Place readPlace(const db::Recordset& rs)
{
    Place p;
    p.pl_id = rs.value(QStringLiteral("pl_id")).toLong();
    p.pl_floor_id = rs.value(QStringLiteral("pl_floor_id")).toLong();
    p.pl_building_id = rs.value(QStringLiteral("pl_building_id")).toLong();
    p.pl_name = rs.value(QStringLiteral("pl_name")).toText();
    p.pl_type_id = rs.value(QStringLiteral("pl_type_id")).toLong();
    p.pl_disabled = rs.value(QStringLiteral("pl_disabled")).toBool();
    p.pl_info = rs.value(QStringLiteral("pl_info")).toText();
    p.pl_capacity = rs.value(QStringLiteral("pl_capacity")).toLong();
    p.pl_imagefile = rs.value(QStringLiteral("pl_imagefile")).toText();
    p.pl_x1 = rs.value(QStringLiteral("pl_x1")).toLong();
    p.pl_y1 = rs.value(QStringLiteral("pl_y1")).toLong();
    p.pl_x2 = rs.value(QStringLiteral("pl_x2")).toLong();
    p.pl_y2 = rs.value(QStringLiteral("pl_y2")).toLong();
    return p;
}

template <class Row, class Read>
std::vector<Row> readAll(const QString& sql, const QList<db::Value>& params, Read read)
{
    std::vector<Row> rows;
    for (db::Recordset rs = query(sql, params); !rs.eof(); rs.moveNext())
        rows.push_back(read(rs));
    return rows;
}

template <class Row, class Read>
std::optional<Row> readOne(const QString& sql, qint32 id, Read read)
{
    if (id <= 0)
        return std::nullopt;
    db::Recordset rs = query(sql, {id});
    if (rs.eof())
        return std::nullopt;
    return read(rs);
}

}  // namespace

std::optional<Building> LoadBuilding(qint32 buildingId)
{
    return readOne<Building>(QStringLiteral("SELECT * FROM tbl_buildings WHERE bld_id = ?"), buildingId, readBuilding);
}

std::optional<Floor> LoadFloor(qint32 floorId)
{
    return readOne<Floor>(QStringLiteral("SELECT * FROM tbl_floors WHERE flr_id = ?"), floorId, readFloor);
}

std::optional<Place> LoadPlace(qint32 placeId)
{
    return readOne<Place>(QStringLiteral("SELECT * FROM tbl_places WHERE pl_id = ?"), placeId, readPlace);
}

std::vector<Building> BuildingsOfMandant(qint32 mandantId)
{
    return readAll<Building>(QStringLiteral("SELECT * FROM tbl_buildings WHERE bld_mandant_id = ? ORDER BY bld_id"),
                             {mandantId}, readBuilding);
}

std::vector<Floor> FloorsOfBuilding(qint32 buildingId)
{
    return readAll<Floor>(QStringLiteral("SELECT * FROM tbl_floors WHERE flr_building_id = ? ORDER BY flr_order, flr_id"),
                          {buildingId}, readFloor);
}

std::vector<Place> PlacesOfFloor(qint32 floorId)
{
    return readAll<Place>(QStringLiteral("SELECT * FROM tbl_places WHERE pl_floor_id = ? ORDER BY pl_id"), {floorId},
                          readPlace);
}

std::vector<Place> PlacesOfMandant(qint32 mandantId)
{
    return readAll<Place>(
        QStringLiteral("SELECT tbl_places.* FROM (tbl_places INNER JOIN tbl_floors ON tbl_places.pl_floor_id = "
                       "tbl_floors.flr_id) INNER JOIN tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id "
                       "WHERE bld_mandant_id = ? ORDER BY bld_id, flr_order, flr_id, pl_name, pl_id"),
        {mandantId}, readPlace);
}

qint32 MandantOfFloor(qint32 floorId)
{
    db::Recordset rs = query(QStringLiteral("SELECT bld_mandant_id FROM tbl_floors INNER JOIN tbl_buildings ON "
                                            "tbl_floors.flr_building_id = tbl_buildings.bld_id WHERE flr_id = ?"),
                             {floorId});
    return rs.eof() ? 0 : rs.value(QStringLiteral("bld_mandant_id")).toLong();
}

std::vector<SchedulePlace> SchedulePlaces(qint32 mandantId, qint32 floorId, qint32 buildingId)
{
    QString sql = QStringLiteral(
        "SELECT bld_short, flr_short, pl_name, pl_id, pl_disabled FROM tbl_places INNER JOIN (tbl_floors INNER JOIN "
        "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id) ON tbl_places.pl_floor_id = tbl_floors.flr_id "
        "WHERE bld_mandant_id = ?");
    QList<db::Value> params{mandantId};
    if (floorId > 0) {
        sql += QStringLiteral(" AND pl_floor_id = ?");
        params << floorId;
    } else if (buildingId > 0) {
        sql += QStringLiteral(" AND pl_building_id = ?");
        params << buildingId;
    }
    sql += QStringLiteral(" ORDER BY bld_id, flr_order, flr_id, pl_name, pl_id");
    return readAll<SchedulePlace>(sql, params, [](const db::Recordset& rs) {
        SchedulePlace p;
        p.pl_id = rs.value(QStringLiteral("pl_id")).toLong();
        p.bld_short = rs.value(QStringLiteral("bld_short")).toText();
        p.flr_short = rs.value(QStringLiteral("flr_short")).toText();
        p.pl_name = rs.value(QStringLiteral("pl_name")).toText();
        p.pl_disabled = rs.value(QStringLiteral("pl_disabled")).toBool();
        return p;
    });
}

std::vector<ResourceTreeRow> ResourceTreeRows(qint32 mandantId)
{
    // Outer joins bring buildings without floors and floors without places;
    // the floor's id keeps two floors of one order apart.
    return readAll<ResourceTreeRow>(
        QStringLiteral("SELECT bld_id, bld_name, flr_id, flr_name, flr_order, pl_id, pl_name, pl_disabled "
                       "FROM (tbl_buildings LEFT JOIN tbl_floors ON tbl_floors.flr_building_id = tbl_buildings.bld_id) "
                       "LEFT JOIN tbl_places ON tbl_places.pl_floor_id = tbl_floors.flr_id "
                       "WHERE bld_mandant_id = ? ORDER BY bld_id, flr_order, flr_id, pl_name, pl_id"),
        {mandantId}, [](const db::Recordset& rs) {
            ResourceTreeRow r;
            r.bld_id = rs.value(QStringLiteral("bld_id")).toLong();
            r.bld_name = rs.value(QStringLiteral("bld_name")).toText();
            r.flr_id = rs.value(QStringLiteral("flr_id")).toLong();
            r.flr_name = rs.value(QStringLiteral("flr_name")).toText();
            r.flr_order = rs.value(QStringLiteral("flr_order")).toLong();
            r.pl_id = rs.value(QStringLiteral("pl_id")).toLong();
            r.pl_name = rs.value(QStringLiteral("pl_name")).toText();
            r.pl_disabled = rs.value(QStringLiteral("pl_disabled")).toBool();
            return r;
        });
}

std::vector<qint32> OccupiedPlacesOfMandant(qint32 mandantId, const rt::Date& before, const rt::Date& after)
{
    return readAll<qint32>(
        QStringLiteral("SELECT DISTINCT tbl_places.pl_id AS pl_id FROM ((tbl_bookings INNER JOIN tbl_places ON "
                       "tbl_bookings.book_place_id = tbl_places.pl_id) INNER JOIN tbl_floors ON tbl_places.pl_floor_id = "
                       "tbl_floors.flr_id) INNER JOIN tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id "
                       "WHERE bld_mandant_id = ? AND book_cust_count > 0 AND pl_disabled = 0 AND book_start < ? "
                       "AND book_end > ? ORDER BY tbl_places.pl_id"),
        {mandantId, before, after}, [](const db::Recordset& rs) { return rs.value(QStringLiteral("pl_id")).toLong(); });
}

namespace {

// Adds a row to table with the values given and returns its new id.
qint32 addRow(db::Database& d, const QString& table, const QString& idColumn,
              const std::vector<std::pair<QString, db::Value>>& values)
{
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + idColumn +
                                       QStringLiteral(" = 0"));
    rs.addNew();
    const qint32 id = rs.field(idColumn).value().toLong();
    for (const auto& [column, value] : values)
        rs.field(column).setValue(value);
    rs.update();
    return id;
}

struct KindTables {
    QString table;
    QString idColumn;
    QString dependantTable;
    QString dependantColumn;
};

KindTables tablesOf(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Building:
        return {QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"), QStringLiteral("tbl_floors"),
                QStringLiteral("flr_building_id")};
    case ResourceKind::Floor:
        return {QStringLiteral("tbl_floors"), QStringLiteral("flr_id"), QStringLiteral("tbl_places"),
                QStringLiteral("pl_floor_id")};
    case ResourceKind::Place:
        break;
    }
    return {QStringLiteral("tbl_places"), QStringLiteral("pl_id"), QStringLiteral("tbl_bookings"),
            QStringLiteral("book_place_id")};
}

int countWhere(const QString& table, const QString& column, qint32 id)
{
    db::Recordset rs = query(QStringLiteral("SELECT Count(*) AS n FROM ") + table + QStringLiteral(" WHERE ") + column +
                                 QStringLiteral(" = ?"),
                             {id});
    return rs.eof() ? 0 : rs.value(QStringLiteral("n")).toLong();
}

// "?, ?, ?" for the ids, which go into params.
QString idList(const QList<qint32>& ids, QList<db::Value>& params)
{
    QStringList marks;
    for (qint32 id : ids) {
        marks << QStringLiteral("?");
        params << id;
    }
    return marks.join(QStringLiteral(", "));
}

bool rowExists(const QString& table, const QString& idColumn, qint32 id)
{
    return id > 0 && countWhere(table, idColumn, id) > 0;
}

}  // namespace

StructureStoreResult StoreBuilding(Building& building)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (building.bld_id > 0 &&
        d.execute(QStringLiteral("UPDATE tbl_buildings SET bld_name = ?, bld_short = ?, bld_imagefile = ? WHERE bld_id = ?"),
                  {building.bld_name, building.bld_short, building.bld_imagefile, building.bld_id}) > 0) {
        transaction.commit();
        return StructureStoreResult::Updated;
    }
    building.bld_id = addRow(d, QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"),
                             {{QStringLiteral("bld_mandant_id"), building.bld_mandant_id},
                              {QStringLiteral("bld_name"), building.bld_name},
                              {QStringLiteral("bld_short"), building.bld_short},
                              {QStringLiteral("bld_imagefile"), building.bld_imagefile}});
    transaction.commit();
    return StructureStoreResult::Added;
}

StructureStoreResult StoreFloor(Floor& floor)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (floor.flr_id > 0 &&
        d.execute(QStringLiteral("UPDATE tbl_floors SET flr_order = ?, flr_name = ?, flr_short = ?, flr_imagefile = ?, "
                                 "flr_info = ? WHERE flr_id = ?"),
                  {floor.flr_order, floor.flr_name, floor.flr_short, floor.flr_imagefile, floor.flr_info, floor.flr_id}) > 0) {
        transaction.commit();
        return StructureStoreResult::Updated;
    }
    if (!rowExists(QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"), floor.flr_building_id))
        return StructureStoreResult::BuildingMissing;
    floor.flr_id = addRow(d, QStringLiteral("tbl_floors"), QStringLiteral("flr_id"),
                          {{QStringLiteral("flr_building_id"), floor.flr_building_id},
                           {QStringLiteral("flr_order"), floor.flr_order},
                           {QStringLiteral("flr_name"), floor.flr_name},
                           {QStringLiteral("flr_short"), floor.flr_short},
                           {QStringLiteral("flr_imagefile"), floor.flr_imagefile},
                           {QStringLiteral("flr_info"), floor.flr_info}});
    transaction.commit();
    return StructureStoreResult::Added;
}

StructureStoreResult StorePlace(Place& place, bool writeType)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    if (place.pl_id > 0) {
        QString sql = QStringLiteral("UPDATE tbl_places SET pl_name = ?, pl_disabled = ?, pl_info = ?, pl_capacity = ?, "
                                     "pl_imagefile = ?");
        QList<db::Value> params{place.pl_name, place.pl_disabled, place.pl_info, place.pl_capacity, place.pl_imagefile};
        if (writeType) {
            sql += QStringLiteral(", pl_type_id = ?");
            params << place.pl_type_id;
        }
        params << place.pl_id;
        if (d.execute(sql + QStringLiteral(" WHERE pl_id = ?"), params) > 0) {
            transaction.commit();
            return StructureStoreResult::Updated;
        }
    }
    if (!rowExists(QStringLiteral("tbl_floors"), QStringLiteral("flr_id"), place.pl_floor_id))
        return StructureStoreResult::FloorMissing;
    if (!rowExists(QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"), place.pl_building_id))
        return StructureStoreResult::BuildingMissing;
    std::vector<std::pair<QString, db::Value>> values{
        {QStringLiteral("pl_floor_id"), place.pl_floor_id}, {QStringLiteral("pl_building_id"), place.pl_building_id},
        {QStringLiteral("pl_name"), place.pl_name},         {QStringLiteral("pl_disabled"), place.pl_disabled},
        {QStringLiteral("pl_info"), place.pl_info},         {QStringLiteral("pl_capacity"), place.pl_capacity},
        {QStringLiteral("pl_imagefile"), place.pl_imagefile}, {QStringLiteral("pl_x1"), place.pl_x1},
        {QStringLiteral("pl_y1"), place.pl_y1},             {QStringLiteral("pl_x2"), place.pl_x2},
        {QStringLiteral("pl_y2"), place.pl_y2}};
    if (writeType)
        values.emplace_back(QStringLiteral("pl_type_id"), place.pl_type_id);
    place.pl_id = addRow(d, QStringLiteral("tbl_places"), QStringLiteral("pl_id"), values);
    transaction.commit();
    return StructureStoreResult::Added;
}

int DependantsOf(ResourceKind kind, qint32 id)
{
    const KindTables t = tablesOf(kind);
    return countWhere(t.dependantTable, t.dependantColumn, id);
}

ResourceDeleteOutcome DeleteResource(ResourceKind kind, qint32 id)
{
    const KindTables t = tablesOf(kind);
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    ResourceDeleteOutcome outcome;
    if (countWhere(t.table, t.idColumn, id) == 0) {
        outcome.result = ResourceDeleteOutcome::Result::NotFound;
        return outcome;
    }
    outcome.dependants = countWhere(t.dependantTable, t.dependantColumn, id);
    if (outcome.dependants > 0) {
        outcome.result = ResourceDeleteOutcome::Result::Referenced;
        return outcome;
    }
    d.execute(QStringLiteral("DELETE FROM ") + t.table + QStringLiteral(" WHERE ") + t.idColumn + QStringLiteral(" = ?"), {id});
    transaction.commit();
    return outcome;
}

void StorePlaceRect(qint32 placeId, qint32 x1, qint32 y1, qint32 x2, qint32 y2)
{
    OpenedDb().execute(QStringLiteral("UPDATE tbl_places SET pl_x1 = ?, pl_y1 = ?, pl_x2 = ?, pl_y2 = ? WHERE pl_id = ?"),
                       {x1, y1, x2, y2, placeId});
}

void MovePlaces(const QList<qint32>& placeIds, int dx, int dy)
{
    if (placeIds.isEmpty())
        return;
    // A position never stored reads as 0 on the plan, so it moves from there.
    QList<db::Value> params{dx, dy, dx, dy};
    const QString ids = idList(placeIds, params);
    OpenedDb().execute(QStringLiteral("UPDATE tbl_places SET pl_x1 = COALESCE(pl_x1, 0) + ?, pl_y1 = COALESCE(pl_y1, 0) + ?, "
                                      "pl_x2 = COALESCE(pl_x2, 0) + ?, pl_y2 = COALESCE(pl_y2, 0) + ? WHERE pl_id IN (") +
                           ids + QStringLiteral(")"),
                       params);
}

PlacesDeleteOutcome DeletePlaces(const QList<qint32>& placeIds)
{
    PlacesDeleteOutcome outcome;
    if (placeIds.isEmpty())
        return outcome;
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    for (qint32 id : placeIds) {
        const int bookings = countWhere(QStringLiteral("tbl_bookings"), QStringLiteral("book_place_id"), id);
        if (bookings > 0)
            outcome.referenced.emplace_back(id, bookings);
    }
    if (!outcome.referenced.empty())
        return outcome;
    QList<db::Value> params;
    const QString ids = idList(placeIds, params);
    outcome.deleted = static_cast<int>(d.execute(QStringLiteral("DELETE FROM tbl_places WHERE pl_id IN (") + ids + QStringLiteral(")"), params));
    transaction.commit();
    return outcome;
}

void UpdateFloorImageFile(qint32 floorId, const QString& name)
{
    OpenedDb().execute(QStringLiteral("UPDATE tbl_floors SET flr_imagefile = ? WHERE flr_id = ?"), {name, floorId});
}

std::vector<BookablePlace> BookablePlacesOfMandant(qint32 mandantId)
{
    return readAll<BookablePlace>(
        QStringLiteral("SELECT bld_name, flr_name, pl_name, pl_id FROM tbl_places INNER JOIN (tbl_floors INNER JOIN "
                       "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id) ON tbl_places.pl_floor_id = "
                       "tbl_floors.flr_id WHERE bld_mandant_id = ? AND pl_disabled = 0 "
                       "ORDER BY bld_id, flr_order, pl_name, pl_id"),
        {mandantId}, [](const db::Recordset& rs) {
            BookablePlace p;
            p.pl_id = rs.value(QStringLiteral("pl_id")).toLong();
            p.bld_name = rs.value(QStringLiteral("bld_name")).toText();
            p.flr_name = rs.value(QStringLiteral("flr_name")).toText();
            p.pl_name = rs.value(QStringLiteral("pl_name")).toText();
            return p;
        });
}

std::optional<PlaceDetails> LoadPlaceDetails(qint32 placeId)
{
    db::Recordset rs = query(
        QStringLiteral("SELECT tbl_places.*, flr_name, flr_order, flr_building_id, bld_name, bld_mandant_id FROM "
                       "(tbl_places LEFT JOIN tbl_floors ON tbl_places.pl_floor_id = tbl_floors.flr_id) LEFT JOIN "
                       "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id WHERE pl_id = ?"),
        {placeId});
    if (rs.eof())
        return std::nullopt;
    PlaceDetails d;
    d.place = readPlace(rs);
    d.flr_name = rs.value(QStringLiteral("flr_name")).toText();
    const db::Value order = rs.value(QStringLiteral("flr_order"));
    if (!order.isNull())
        d.flr_order = order.toLong();
    d.flr_building_id = rs.value(QStringLiteral("flr_building_id")).toLong();
    d.bld_name = rs.value(QStringLiteral("bld_name")).toText();
    d.bld_mandant_id = rs.value(QStringLiteral("bld_mandant_id")).toLong();
    return d;
}

bool SavePlaceImageFile(qint32 placeId, const QString& file)
{
    return OpenedDb().execute(QStringLiteral("UPDATE tbl_places SET pl_imagefile = ? WHERE pl_id = ?"),
                       {db::textOrNull(file), placeId}) > 0;
}

std::optional<PlanFloor> FindPlanFloor(qint32 mandantId, const PlanFloorQuery& q)
{
    QString sql = QStringLiteral("SELECT tbl_floors.*, bld_name FROM tbl_floors INNER JOIN tbl_buildings ON "
                                 "tbl_floors.flr_building_id = tbl_buildings.bld_id WHERE bld_mandant_id = ?");
    QList<db::Value> params{mandantId};
    if (q.floorId > 0) {
        sql += QStringLiteral(" AND flr_id = ?");
        params << q.floorId;
    } else if (q.buildingId > 0) {
        sql += QStringLiteral(" AND flr_building_id = ?");
        params << q.buildingId;
        if (q.order) {
            sql += QStringLiteral(" AND flr_order = ?");
            params << *q.order;
        }
    }
    sql += QStringLiteral(" ORDER BY flr_id LIMIT 1");
    db::Recordset rs = query(sql, params);
    if (rs.eof())
        return std::nullopt;
    return PlanFloor{readFloor(rs), rs.value(QStringLiteral("bld_name")).toText()};
}
