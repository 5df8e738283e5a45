#pragma once

#include "core/database.h"
#include "platform/db/database.h"
#include "tests/support/temp_folder.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace test {

// A fresh database with the program's schema, installed as the connection
// for as long as it lives.
class OccupancyDb {
public:
    OccupancyDb()
    {
        QFile schema(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../resources/schema.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            ADD_FAILURE() << "schema.sql not found";
        const QString path = m_folder.file(QStringLiteral("test.mdb"));
        db::engine::createDatabase(path, QString::fromUtf8(schema.readAll()));
        Db = db::Database::open(path);
        DbOpen = true;
    }
    ~OccupancyDb()
    {
        Db.reset();
        DbOpen = false;
    }
    OccupancyDb(const OccupancyDb&) = delete;
    OccupancyDb& operator=(const OccupancyDb&) = delete;

    static void exec(const QString& sql) { Db->execute(sql); }

    static qint32 lastId(const QString& table, const QString& idColumn)
    {
        db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT Max(%1) AS id FROM %2").arg(idColumn, table),
                                             db::OpenMode::ForwardOnlyReadOnly);
        return rs.value(QStringLiteral("id")).toLong();
    }

    static qint32 addBuilding(qint32 mandantId, const QString& name)
    {
        exec(QStringLiteral("INSERT INTO tbl_buildings (bld_mandant_id, bld_name) VALUES (%1, '%2')").arg(mandantId).arg(name));
        return lastId(QStringLiteral("tbl_buildings"), QStringLiteral("bld_id"));
    }
    static qint32 addFloor(qint32 buildingId, int order)
    {
        exec(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_order, flr_name) VALUES (%1, %2, 'Etage %2')")
                 .arg(buildingId)
                 .arg(order));
        return lastId(QStringLiteral("tbl_floors"), QStringLiteral("flr_id"));
    }
    static qint32 addPlace(qint32 floorId, bool disabled = false)
    {
        exec(QStringLiteral("INSERT INTO tbl_places (pl_floor_id, pl_name, pl_disabled) VALUES (%1, 'Zimmer', %2)")
                 .arg(floorId)
                 .arg(disabled ? -1 : 0));
        return lastId(QStringLiteral("tbl_places"), QStringLiteral("pl_id"));
    }
    // Days of July 2024, arrival and departure at 12:00.
    static qint32 addBooking(qint32 placeId, qint32 customerId, int fromDay, int toDay, int persons = 1)
    {
        exec(QStringLiteral("INSERT INTO tbl_bookings (book_place_id, book_customer_id, book_cust_count, book_start, book_end) "
                            "VALUES (%1, %2, %3, #07/%4/2024 12:00:00#, #07/%5/2024 12:00:00#)")
                 .arg(placeId)
                 .arg(customerId)
                 .arg(persons)
                 .arg(fromDay, 2, 10, QLatin1Char('0'))
                 .arg(toDay, 2, 10, QLatin1Char('0')));
        return lastId(QStringLiteral("tbl_bookings"), QStringLiteral("book_id"));
    }

private:
    TempFolder m_folder;
};

}  // namespace test
