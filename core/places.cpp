#include "core/places.h"

#include "core/bookings.h"
#include "core/database.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/ui/busy.h"

#include <QHash>
#include <QPoint>
#include <QStringList>

#include <algorithm>
#include <array>
#include <iterator>

Building BuildingFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    Building b;
    b.bld_id = v("bld_id").toLong();
    b.bld_mandant_id = v("bld_mandant_id").toLong();
    b.bld_name = v("bld_name").toText();
    b.bld_short = v("bld_short").toText();
    b.bld_imagefile = v("bld_imagefile").toText();
    return b;
}

Floor FloorFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    Floor f;
    f.flr_id = v("flr_id").toLong();
    f.flr_building_id = v("flr_building_id").toLong();
    f.flr_order = v("flr_order").toLong();
    f.flr_name = v("flr_name").toText();
    f.flr_short = v("flr_short").toText();
    f.flr_imagefile = v("flr_imagefile").toText();
    f.flr_info = v("flr_info").toText();
    return f;
}

namespace {

const QString PositionColumns[] = {QStringLiteral("pl_x1"), QStringLiteral("pl_y1"), QStringLiteral("pl_x2"),
                                   QStringLiteral("pl_y2")};

// The four coordinates of a place's row; nullopt when one is text or beyond
// a Long. None stored (Null) reads as 0.
std::optional<std::array<qint32, 4>> storedRect(const RowValues& row)
{
    std::array<qint32, 4> rect{};
    for (size_t i = 0; i < rect.size(); ++i) {
        const db::Value v = row.value(PositionColumns[i]);
        if (v.isNull())
            continue;
        const double d = v.toDouble();
        if (v.kind() == db::Value::Kind::Text || !(d > -2147483648.5 && d < 2147483647.5))
            return std::nullopt;
        rect[i] = v.toLong();
    }
    return rect;
}

}  // namespace

Place PlaceFromRow(const RowValues& row)
{
    const auto v = [&row](const char* column) { return row.value(QString::fromLatin1(column)); };
    Place p;
    p.pl_id = v("pl_id").toLong();
    p.pl_floor_id = v("pl_floor_id").toLong();
    p.pl_building_id = v("pl_building_id").toLong();
    p.pl_name = v("pl_name").toText();
    p.pl_type_id = v("pl_type_id").toLong();
    p.pl_disabled = v("pl_disabled").toBool();
    p.pl_info = v("pl_info").toText();
    p.pl_capacity = v("pl_capacity").toLong();
    p.pl_imagefile = v("pl_imagefile").toText();
    const std::optional<std::array<qint32, 4>> rect = storedRect(row);
    p.positionUnreadable = !rect;
    if (rect) {
        p.pl_x1 = (*rect)[0];
        p.pl_y1 = (*rect)[1];
        p.pl_x2 = (*rect)[2];
        p.pl_y2 = (*rect)[3];
    }
    return p;
}

namespace {

db::Recordset query(const QString& sql, const QList<db::Value>& params)
{
    return OpenedDb().openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
}

RowValues rowOf(db::Recordset& rs)
{
    RowValues row;
    for (int i = 0; i < rs.fieldCount(); ++i)
        row.insert(rs.field(i).name().toLower(), rs.field(i).value());
    return row;
}

Building readBuilding(db::Recordset& rs)
{
    return BuildingFromRow(rowOf(rs));
}

Floor readFloor(db::Recordset& rs)
{
    return FloorFromRow(rowOf(rs));
}

Place readPlace(db::Recordset& rs)
{
    return PlaceFromRow(rowOf(rs));
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
    std::vector<qint32> ids = readAll<qint32>(
        QStringLiteral("SELECT DISTINCT tbl_places.pl_id AS pl_id FROM ((tbl_bookings INNER JOIN tbl_places ON "
                       "tbl_bookings.book_place_id = tbl_places.pl_id) INNER JOIN tbl_floors ON tbl_places.pl_floor_id = "
                       "tbl_floors.flr_id) INNER JOIN tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id "
                       "WHERE bld_mandant_id = ? AND IFNULL(book_cust_count, 1) > 0 AND pl_disabled = 0 AND book_start < ? "
                       "AND book_end > ? ORDER BY tbl_places.pl_id"),
        {mandantId, before, after}, [](const db::Recordset& rs) { return rs.value(QStringLiteral("pl_id")).toLong(); });
    for (const UnreadableBooking& u :
         UnreadableBookingsOn(QStringLiteral("pl_disabled = 0 AND pl_floor_id IN (SELECT flr_id FROM tbl_floors INNER JOIN "
                                             "tbl_buildings ON tbl_floors.flr_building_id = tbl_buildings.bld_id WHERE "
                                             "bld_mandant_id = ?)"),
                              {mandantId})) {
        if (std::find(ids.begin(), ids.end(), u.pl_id) == ids.end())
            ids.push_back(u.pl_id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
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
    QString nameColumn;
};

KindTables tablesOf(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Building:
        return {QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"), QStringLiteral("tbl_floors"),
                QStringLiteral("flr_building_id"), QStringLiteral("bld_name")};
    case ResourceKind::Floor:
        return {QStringLiteral("tbl_floors"), QStringLiteral("flr_id"), QStringLiteral("tbl_places"),
                QStringLiteral("pl_floor_id"), QStringLiteral("flr_name")};
    case ResourceKind::Place:
        break;
    }
    return {QStringLiteral("tbl_places"), QStringLiteral("pl_id"), QStringLiteral("tbl_bookings"),
            QStringLiteral("book_place_id"), QStringLiteral("pl_name")};
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

ResourceDeleteOutcome DeleteShownResource(ResourceKind kind, qint32 id, const RowValues& shown, const DeleteAsk& ask)
{
    RowValues columns;
    switch (kind) {
    case ResourceKind::Building: columns = BuildingColumns(Building{}); break;
    case ResourceKind::Floor: columns = FloorColumns(Floor{}); break;
    case ResourceKind::Place: columns = PlaceColumns(Place{}, true); break;
    }
    RowValues compared;
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (shown.contains(it.key()))
            compared.insert(it.key(), shown.value(it.key()));
    }
    const KindTables t = tablesOf(kind);
    ResourceDeleteOutcome outcome;
    const DeleteResult result =
        DeleteShownRow(t.table, t.idColumn, id, compared, ask, [&](db::Database& d, const RowValues&) {
            // Checked again with the delete: another workstation may have
            // added something below it meanwhile.
            outcome.dependants = countWhere(t.dependantTable, t.dependantColumn, id);
            if (outcome.dependants == 0)
                d.execute(QStringLiteral("DELETE FROM ") + t.table + QStringLiteral(" WHERE ") + t.idColumn +
                              QStringLiteral(" = ?"),
                          {id});
        });
    switch (result) {
    case DeleteResult::Missing: outcome.result = ResourceDeleteOutcome::Result::NotFound; break;
    case DeleteResult::Cancelled: outcome.result = ResourceDeleteOutcome::Result::Cancelled; break;
    case DeleteResult::Deleted:
        outcome.result = outcome.dependants > 0 ? ResourceDeleteOutcome::Result::Referenced
                                                : ResourceDeleteOutcome::Result::Deleted;
        break;
    }
    return outcome;
}

std::optional<RowValues> ReadResourceRow(ResourceKind kind, qint32 id)
{
    if (id <= 0)
        return std::nullopt;
    const KindTables t = tablesOf(kind);
    return ReadRow(t.table, t.idColumn, id);
}

// Each value in the kind the column reads back as, so that the row a save
// returns compares equal with the row read later.
RowValues BuildingColumns(const Building& b)
{
    return {{QStringLiteral("bld_name"), db::textOrNull(b.bld_name)},
            {QStringLiteral("bld_short"), db::textOrNull(b.bld_short)},
            {QStringLiteral("bld_imagefile"), db::textOrNull(b.bld_imagefile)}};
}

RowValues FloorColumns(const Floor& f)
{
    return {{QStringLiteral("flr_order"), db::Value::ofKind(db::Value::Kind::Integer, f.flr_order)},
            {QStringLiteral("flr_name"), db::textOrNull(f.flr_name)},
            {QStringLiteral("flr_short"), db::textOrNull(f.flr_short)},
            {QStringLiteral("flr_imagefile"), db::textOrNull(f.flr_imagefile)},
            {QStringLiteral("flr_info"), db::textOrNull(f.flr_info)}};
}

RowValues PlaceColumns(const Place& p, bool withType)
{
    RowValues columns{{QStringLiteral("pl_name"), db::textOrNull(p.pl_name)},
                      {QStringLiteral("pl_disabled"), p.pl_disabled},
                      {QStringLiteral("pl_info"), db::textOrNull(p.pl_info)},
                      {QStringLiteral("pl_capacity"), db::Value::ofKind(db::Value::Kind::Integer, p.pl_capacity)},
                      {QStringLiteral("pl_imagefile"), db::textOrNull(p.pl_imagefile)}};
    if (withType)
        columns.insert(QStringLiteral("pl_type_id"), p.pl_type_id);
    return columns;
}

namespace {

QString describeOrder(const RowValues& row)
{
    const db::Value order = row.value(QStringLiteral("flr_order"));
    if (order.isNull())
        return DescribeStored(order);
    // The house's name of the order ("Erdgeschoss"), else its number.
    const qint32 n = order.toLong();
    const qint32 at = n + 1;
    if (at >= 0 && at < static_cast<qint32>(FloorNames.size()) && !FloorNames[static_cast<size_t>(at)].isEmpty())
        return QStringLiteral("\"") + FloorNames[static_cast<size_t>(at)] + QStringLiteral("\"");
    return QString::number(n);
}

QString describeCategory(const RowValues& row)
{
    const qint32 id = row.value(QStringLiteral("pl_type_id")).toLong();
    for (const RoomType& type : RoomTypes) {
        if (id > 0 && type.id == id)
            return QStringLiteral("\"") + type.name + QStringLiteral("\"");
    }
    return id > 0 ? QString::number(id) : QStringLiteral("keine");
}

}  // namespace

QList<MergeField> ResourceMergeFields(ResourceKind kind)
{
    const auto field = [](const QString& label, const char* column) {
        return MergeField{label, {QString::fromLatin1(column)}, {}};
    };
    switch (kind) {
    case ResourceKind::Building:
        return {field(QStringLiteral("Name"), "bld_name"), field(QStringLiteral("Kurzname"), "bld_short"),
                field(QStringLiteral("Bild"), "bld_imagefile")};
    case ResourceKind::Floor:
        return {{QStringLiteral("Ebene"), {QStringLiteral("flr_order")}, describeOrder},
                field(QStringLiteral("Name"), "flr_name"), field(QStringLiteral("Kurzname"), "flr_short"),
                field(QStringLiteral("Etagenplan"), "flr_imagefile"), field(QStringLiteral("Info"), "flr_info")};
    case ResourceKind::Place:
        break;
    }
    return {field(QStringLiteral("Name"), "pl_name"),
            field(QStringLiteral("gesperrt"), "pl_disabled"),
            {QStringLiteral("Kategorie"), {QStringLiteral("pl_type_id")}, describeCategory},
            field(QStringLiteral("Info"), "pl_info"),
            field(QStringLiteral("Kapazität"), "pl_capacity"),
            field(QStringLiteral("Bild"), "pl_imagefile"),
            {QStringLiteral("Markierung auf dem Etagenplan"), QStringList(std::begin(PositionColumns), std::end(PositionColumns)),
             {}, QStringLiteral("an eine andere Stelle verschoben")}};
}

QString ResourceRowName(ResourceKind kind, const QString& name, qint32 id)
{
    const QString shown = name.trimmed();
    const QString label = shown.isEmpty() ? QStringLiteral("Nr. ") + QString::number(id)
                                          : QStringLiteral("\"") + shown + QStringLiteral("\"");
    switch (kind) {
    case ResourceKind::Building: return QStringLiteral("Das Gebäude ") + label;
    case ResourceKind::Floor: return QStringLiteral("Die Etage ") + label;
    case ResourceKind::Place: break;
    }
    const QString term = TermPlaceSingular.trimmed().isEmpty() ? QStringLiteral("Buchungsplatz") : TermPlaceSingular.trimmed();
    return Capitalized(NominativeOf(term, TermKind::Place, Article::Definite, label));
}

MergedSave StoreResourceChanges(ResourceKind kind, qint32 id, const RowValues& loaded, const RowValues& changed)
{
    const KindTables t = tablesOf(kind);
    const QString rowName = ResourceRowName(kind, loaded.value(t.nameColumn).toText(), id);
    const QList<MergeField> fields = ResourceMergeFields(kind);
    // A marker's four coordinates are one position.
    const ColumnGroups together =
        kind == ResourceKind::Place ? ColumnGroups{QStringList(std::begin(PositionColumns), std::end(PositionColumns))}
                                    : ColumnGroups{};
    return SaveLoadedRow(
        t.table, t.idColumn, id, loaded, changed,
        [&](const RowMerge& merge) {
            // The question is answered with the normal pointer.
            ui::WaitCursor::restoreTo(0);
            return AskClash(rowName, fields, merge);
        },
        {}, together);
}

namespace {

// Where the plan draws a stored marker.
QPoint storedPosition(const RowValues& row)
{
    const std::optional<std::array<qint32, 4>> rect = storedRect(row);
    return rect ? QPoint((*rect)[0], (*rect)[1]) : QPoint(0, 0);
}

RowValues rectColumns(const PlaceRectMove& m)
{
    return {{PositionColumns[0], m.x1}, {PositionColumns[1], m.y1}, {PositionColumns[2], m.x2}, {PositionColumns[3], m.y2}};
}

}  // namespace

PlaceRectsOutcome StorePlaceRects(const std::vector<PlaceRectMove>& moves)
{
    // Not one SaveLoadedRow per marker: the markers of one key press are
    // written together or not at all, and a marker's four coordinates are
    // one position, taken whole from this window or from the other.
    db::Database& d = OpenedDb();
    QHash<qint32, ClashChoice> answers;
    QHash<qint32, QPoint> askedAbout;
    for (;;) {
        PlaceRectsOutcome outcome;
        std::vector<std::pair<qint32, RowMerge>> toAsk;
        {
            db::Transaction transaction(d);
            for (const PlaceRectMove& m : moves) {
                PlaceRectOutcome& place = outcome.places.emplace_back();
                place.placeId = m.placeId;
                const std::optional<RowValues> stored = ReadRow(QStringLiteral("tbl_places"), QStringLiteral("pl_id"), m.placeId);
                if (!stored) {
                    place.missing = true;
                    continue;
                }
                const QPoint now = storedPosition(*stored);
                bool write = now == QPoint(m.drawnX, m.drawnY);
                if (!write && now != QPoint(m.x1, m.y1)) {
                    const auto answer = answers.constFind(m.placeId);
                    if (answer == answers.cend() || askedAbout.value(m.placeId) != now) {
                        RowMerge merge;
                        merge.stored = *stored;
                        merge.clashes = rectColumns(m);
                        toAsk.emplace_back(m.placeId, merge);
                        continue;
                    }
                    write = *answer == ClashChoice::Mine;
                }
                if (write) {
                    WriteColumns(d, QStringLiteral("tbl_places"), QStringLiteral("pl_id"), m.placeId, rectColumns(m));
                    place.x1 = m.x1;
                    place.y1 = m.y1;
                } else {
                    place.x1 = now.x();
                    place.y1 = now.y();
                }
            }
            if (toAsk.empty()) {
                transaction.commit();
                return outcome;
            }
        }
        // Asked with the write lock given back, and with the normal pointer.
        ui::WaitCursor::restoreTo(0);
        const QList<MergeField> fields = ResourceMergeFields(ResourceKind::Place);
        for (const auto& [placeId, merge] : toAsk) {
            const ClashChoice choice = AskClash(
                ResourceRowName(ResourceKind::Place, merge.stored.value(QStringLiteral("pl_name")).toText(), placeId),
                fields, merge);
            if (choice == ClashChoice::Cancel) {
                PlaceRectsOutcome cancelled;
                cancelled.cancelled = true;
                return cancelled;
            }
            answers.insert(placeId, choice);
            askedAbout.insert(placeId, storedPosition(merge.stored));
        }
    }
}

RowValues PlaceOnPlanColumns(const Place& p)
{
    return {{QStringLiteral("pl_name"), db::textOrNull(p.pl_name)},
            {QStringLiteral("pl_disabled"), p.pl_disabled},
            {PositionColumns[0], p.pl_x1},
            {PositionColumns[1], p.pl_y1},
            {QStringLiteral("pl_type_id"), p.pl_type_id}};
}

PlacesDeleteOutcome DeleteDrawnPlaces(const QList<qint32>& placeIds, const QHash<qint32, RowValues>& drawn,
                                      const DeleteRowsAsk& ask)
{
    PlacesDeleteOutcome outcome;
    QList<std::pair<db::Value, RowValues>> shown;
    for (qint32 id : placeIds)
        shown.append({id, drawn.value(id)});
    const ShownRowsDelete deleted = DeleteShownRows(
        shown,
        [](const db::Value& key) -> std::optional<RowValues> {
            std::optional<RowValues> row = ReadRow(QStringLiteral("tbl_places"), QStringLiteral("pl_id"), key);
            // Compared as the plan draws it; the rest as stored, for the question.
            if (row)
                row->insert(PlaceOnPlanColumns(PlaceFromRow(*row)));
            return row;
        },
        ask,
        [&](db::Database& d, const QList<ShownRowChange>& rows) {
            QList<qint32> ids;
            for (const ShownRowChange& row : rows) {
                const qint32 id = row.key.toLong();
                ids << id;
                // Bookings must not lose their place: the whole delete is refused.
                if (const int bookings = countWhere(QStringLiteral("tbl_bookings"), QStringLiteral("book_place_id"), id))
                    outcome.referenced.emplace_back(id, bookings);
            }
            if (!outcome.referenced.empty())
                return;
            QList<db::Value> params;
            const QString list = idList(ids, params);
            outcome.deleted = static_cast<int>(
                d.execute(QStringLiteral("DELETE FROM tbl_places WHERE pl_id IN (") + list + QStringLiteral(")"), params));
        });
    outcome.result = deleted.result;
    return outcome;
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
