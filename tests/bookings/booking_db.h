#pragma once

#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/runtime/format.h"
#include "tests/support/globals_scope.h"
#include "tests/support/test_database.h"

namespace test {

// A guest house of facility 1: one building with one floor and two places,
// and two guests. Days count from today, bookings run noon to noon.
class BookingDb {
public:
    BookingDb()
    {
        MandantId = 1;
        TermPlaceSingular = QStringLiteral("Raum");
        TermPersonSingular = QStringLiteral("Gast");
        TermPersonPlural = QStringLiteral("Gäste");
        StationReadOnly = false;
        database.exec("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (1, 'Pension Test')");
        building = insert("INSERT INTO tbl_buildings (bld_mandant_id, bld_name, bld_short) VALUES (1, 'Haupthaus', 'HH')",
                          "tbl_buildings");
        floor = insert(QStringLiteral("INSERT INTO tbl_floors (flr_building_id, flr_order, flr_name, flr_short) "
                                      "VALUES (%1, 0, 'Erdgeschoss', 'EG')").arg(building),
                       "tbl_floors");
        place = addPlace(floor, "Zimmer 1");
        otherPlace = addPlace(floor, "Zimmer 2");
        anna = addGuest("Anna", "Meier");
        otto = addGuest("Otto", "Brückner");
    }

    static rt::Date day(int fromToday) { return rt::Date::today().addDays(fromToday).atNoon(); }
    static QString dayText(int fromToday) { return rt::formatDate(day(fromToday), QStringLiteral("dd.mm.yyyy")); }

    qint32 insert(const QString& sql, const QString& table) const
    {
        database.exec(sql);
        return database.value(QStringLiteral("SELECT Max(rowid) FROM ") + table).toLong();
    }
    qint32 addPlace(qint32 floorId, const QString& name, bool disabled = false) const
    {
        return insert(QStringLiteral("INSERT INTO tbl_places (pl_floor_id, pl_name, pl_disabled) VALUES (%1, '%2', %3)")
                          .arg(floorId)
                          .arg(name)
                          .arg(disabled ? -1 : 0),
                      "tbl_places");
    }
    qint32 addGuest(const QString& first, const QString& last) const
    {
        return insert(QStringLiteral("INSERT INTO tbl_customers (cust_firstname, cust_lastname) VALUES ('%1', '%2')")
                          .arg(first, last),
                      "tbl_customers");
    }
    qint32 addBooking(qint32 placeId, qint32 guestId, const rt::Date& start, const rt::Date& end, int persons = 2,
                      qint32 mandantId = 1) const
    {
        return insert(QStringLiteral("INSERT INTO tbl_bookings (book_mandant_id, book_place_id, book_customer_id, "
                                     "book_cust_count, book_start, book_end) VALUES (%1, %2, %3, %4, %5, %6)")
                          .arg(mandantId)
                          .arg(placeId)
                          .arg(guestId)
                          .arg(persons)
                          .arg(DateToSQL(start), DateToSQL(end)),
                      "tbl_bookings");
    }
    qint32 addBooking(qint32 placeId, qint32 guestId, int fromDay, int toDay, int persons = 2) const
    {
        return addBooking(placeId, guestId, day(fromDay), day(toDay), persons);
    }
    int bookings() const { return database.count(QStringLiteral("tbl_bookings")); }

    GlobalsScope globals;
    TestDatabase database;
    qint32 building = 0;
    qint32 floor = 0;
    qint32 place = 0;
    qint32 otherPlace = 0;
    qint32 anna = 0;
    qint32 otto = 0;
};

}  // namespace test
