#pragma once

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/runtime/date.h"
#include "tests/support/test_database.h"

#include <QString>

namespace test {

// A fresh database for the plan's tests, with short builders for the
// facility's structure and its bookings (dates at 12:00).
class PlanDb : public TestDatabase {
public:
    static rt::Date noon(int year, int month, int day) { return rt::Date::fromParts(year, month, day, 12); }

    static qint32 lastId(const QString& table)
    {
        return Db->openRecordset(QStringLiteral("SELECT Max(rowid) AS id FROM ") + table, db::OpenMode::ForwardOnlyReadOnly)
            .value(QStringLiteral("id"))
            .toLong();
    }
    static void addFacility(qint32 id, const QString& name)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (?, ?)"), {id, name});
    }
    static qint32 addBuilding(qint32 mandantId, const QString& name)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (?, ?)"), {mandantId, name});
        return lastId(QStringLiteral("tbl_buildings"));
    }
    static qint32 addFloor(qint32 buildingId, int order, const QString& name, const QString& picture = QString())
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_order, flr_name, flr_imagefile) "
                                   "VALUES (?, ?, ?, ?)"),
                    {buildingId, order, name, picture});
        return lastId(QStringLiteral("tbl_floors"));
    }
    static qint32 addPlace(qint32 floorId, const QString& name, qint32 typeId = 0, int x = 0, int y = 0,
                           bool disabled = false)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_places (pl_floor_id, pl_name, pl_type_id, pl_x1, pl_y1, pl_x2, pl_y2, "
                                   "pl_disabled) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                    {floorId, name, typeId, x, y, x + 195, y + 195, disabled});
        return lastId(QStringLiteral("tbl_places"));
    }
    static void addRoomType(qint32 id, const QString& name)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_room_types (rot_id, rot_name) VALUES (?, ?)"), {id, name});
    }
    static qint32 addCustomer(const QString& last, const QString& first)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_customers (cust_lastname, cust_firstname) VALUES (?, ?)"), {last, first});
        return lastId(QStringLiteral("tbl_customers"));
    }
    static qint32 addBooking(qint32 placeId, qint32 customerId, const rt::Date& start, const rt::Date& end,
                             int persons = 1, qint32 mandantId = 1)
    {
        Db->execute(QStringLiteral("INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, "
                                   "book_cust_count, book_start, book_end) VALUES (?, ?, ?, ?, ?, ?)"),
                    {mandantId, placeId, customerId, persons, start, end});
        return lastId(QStringLiteral("tbl_bookings"));
    }
};

}  // namespace test
