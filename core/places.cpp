#include "core/places.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"

namespace {

db::Recordset query(const QString& sql, const QList<db::Value>& params)
{
    if (!Db || !Db->isOpen())
        throw db::DbError(db::err::ObjectClosed);
    return Db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
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
    if (!Db || !Db->isOpen())
        throw db::DbError(db::err::ObjectClosed);
    return Db->execute(QStringLiteral("UPDATE tbl_places SET pl_imagefile = ? WHERE pl_id = ?"),
                       {file.isEmpty() ? db::Value() : db::Value(file), placeId}) > 0;
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
