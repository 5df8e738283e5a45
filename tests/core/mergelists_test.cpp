// Every list of columns a window merges on save against the table it names:
// a column missing there would be "saved" into nothing, one without a label
// would be asked about by its column name.

#include "core/bookings.h"
#include "core/customers.h"
#include "core/database.h"
#include "core/invoices.h"
#include "core/places.h"
#include "core/rowmerge.h"
#include "core/services.h"
#include "core/terms.h"
#include "platform/db/database.h"
#include "tests/support/globals_scope.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct MergeList {
    QString table;
    QString key;
    RowValues columns;
    QList<MergeField> fields;
};

std::vector<MergeList> mergeLists()
{
    InvoiceHeaderWrite header;
    header.inv_date = rt::Date::fromParts(2026, 12, 1);
    header.inv_status_id = 1;
    header.inv_paymode_id = 1;
    Service service;
    service.srv_price = 1.0;
    service.srv_tax_id = 0;
    return {
        {"tbl_bookings", "book_id", BookingColumns(Booking{}), BookingMergeFields()},
        {"tbl_customers", "cust_id", CustomerColumns(Customer{}), CustomerMergeFields()},
        {"tbl_invoice", "inv_id", InvoiceHeaderColumns(header), InvoiceMergeFields()},
        {"tbl_invoice_positions", "ivp_id", InvoicePositionColumns(InvoicePositionRow{}), InvoicePositionMergeFields()},
        {"tbl_services", "srv_id", ServiceColumns(service), ServiceMergeFields()},
        {"tbl_buildings", "bld_id", BuildingColumns(Building{}), ResourceMergeFields(ResourceKind::Building)},
        {"tbl_floors", "flr_id", FloorColumns(Floor{}), ResourceMergeFields(ResourceKind::Floor)},
        {"tbl_places", "pl_id", PlaceColumns(Place{}, true), ResourceMergeFields(ResourceKind::Place)},
    };
}

// A value of the column's declared type other than the one stored.
db::Value otherValue(const QString& type, const db::Value& stored)
{
    const QString t = type.toUpper();
    if (t.contains("CHAR") || t.contains("TEXT") || t.contains("MEMO"))
        return QStringLiteral("geändert");
    if (t.contains("DATE"))
        return rt::Date::fromParts(2026, 12, 24, 12);
    if (t.contains("BIT") || t.contains("BOOL"))
        return !stored.toBool();
    if (t.contains("DOUBLE") || t.contains("REAL") || t.contains("SINGLE") || t.contains("FLOAT") || t.contains("CURRENCY"))
        return stored.toDouble() + 2.5;
    return static_cast<qint32>(stored.toLong() + 2);
}

TEST(MergeLists, EveryColumnIsInItsTableHasALabelAndAChangedValueReadsBack)
{
    test::GlobalsScope globals;
    test::TestDatabase database;
    TermPlaceSingular = QStringLiteral("Zimmer");
    TermPersonSingular = QStringLiteral("Gast");
    for (const MergeList& list : mergeLists()) {
        SCOPED_TRACE(list.table.toStdString());
        database.exec(QStringLiteral("INSERT INTO ") + list.table + QStringLiteral(" (") + list.key + QStringLiteral(") VALUES (1)"));
        QHash<QString, QString> types;
        Db->forEachRow(QStringLiteral("SELECT name, type FROM pragma_table_info('") + list.table + QStringLiteral("')"), {},
                       [&types](const QList<db::Value>& row) { types.insert(row[0].toText().toLower(), row[1].toText()); });
        for (auto it = list.columns.cbegin(); it != list.columns.cend(); ++it) {
            const QString column = it.key();
            SCOPED_TRACE(column.toStdString());
            ASSERT_TRUE(types.contains(column));
            EXPECT_FALSE(FieldLabels(list.fields, {column}).contains(column)) << "no label";

            const RowValues loaded = *ReadRow(list.table, list.key, 1);
            const db::Value value = otherValue(types.value(column), loaded.value(column));
            const MergedSave save = SaveLoadedRow(list.table, list.key, 1, loaded, {{column, value}}, {});
            ASSERT_EQ(save.result, MergedSave::Result::Written);
            const db::Value back = ReadRow(list.table, list.key, 1)->value(column);
            if (value.kind() == db::Value::Kind::Text)
                EXPECT_EQ(back.toText(), value.toText());
            else
                EXPECT_DOUBLE_EQ(back.toDouble(), value.toDouble());
        }
    }
}

}  // namespace
