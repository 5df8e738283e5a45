#pragma once

#include "core/database.h"
#include "platform/db/database.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

namespace test {

// A fresh database with the program's schema, installed as the connection
// for as long as it lives. Bookings run over days of July 2024, noon to noon.
class OccupancyDb : public TestDatabase {
public:
    static qint32 insert(const QString& sql, const QString& table)
    {
        Db->execute(sql);
        return Db->openRecordset(QStringLiteral("SELECT Max(rowid) AS id FROM ") + table, db::OpenMode::ForwardOnlyReadOnly)
            .value(QStringLiteral("id"))
            .toLong();
    }
    static qint32 addBuilding(qint32 mandantId, const QString& name)
    {
        return insert(QStringLiteral("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (%1, '%2')").arg(mandantId).arg(name),
                      QStringLiteral("tbl_buildings"));
    }
    static qint32 addFloor(qint32 buildingId, int order)
    {
        return insert(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_order, flr_name) VALUES (%1, %2, 'Etage %2')")
                          .arg(buildingId)
                          .arg(order),
                      QStringLiteral("tbl_floors"));
    }
    static qint32 addPlace(qint32 floorId, bool disabled = false)
    {
        return insert(QStringLiteral("INSERT INTO tbl_places (pl_floor_id, pl_disabled) VALUES (%1, %2)").arg(floorId).arg(disabled ? -1 : 0),
                      QStringLiteral("tbl_places"));
    }
    static qint32 addBooking(qint32 placeId, qint32 customerId, int fromDay, int toDay, int persons = 1)
    {
        return insert(QStringLiteral("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, "
                                     "book_end) VALUES (%1, %2, %3, #07/%4/2024 12:00:00#, #07/%5/2024 12:00:00#)")
                          .arg(placeId)
                          .arg(customerId)
                          .arg(persons)
                          .arg(fromDay)
                          .arg(toDay),
                      QStringLiteral("tbl_bookings"));
    }
};

}  // namespace test
