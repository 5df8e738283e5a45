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
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_database.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

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

namespace {

// What the one question of a save says for one clashing field and for two,
// for every kind of row: the row and fields named as the windows name them,
// singular or plural to match, no column name, no bare number for a colour,
// a facility or a marker.
TEST(MergeLists, TheQuestionNamesFieldsAsTheWindowsDoInSingularOrPlural)
{
    test::GlobalsScope globals;
    test::TestDatabase database;
    TermPlaceSingular = QStringLiteral("Zimmer");
    TermPersonSingular = QStringLiteral("Gast");
    database.exec(QStringLiteral("INSERT INTO tbl_mandanten (mand_id, mand_name) VALUES (3, 'Pension Linde')"));
    const std::vector<MergeList> lists = mergeLists();
    const QStringList rowNames{QStringLiteral("Die Reservierung 17"),
                               QStringLiteral("Der Gast \"Wagner\""),
                               QStringLiteral("Die Rechnung 2026000001"),
                               QStringLiteral("Die Position \"Kurtaxe\""),
                               QStringLiteral("Die Hotelleistung \"Kurtaxe\""),
                               ResourceRowName(ResourceKind::Building, QStringLiteral("Haupthaus"), 1),
                               ResourceRowName(ResourceKind::Floor, QStringLiteral("Erdgeschoss"), 1),
                               ResourceRowName(ResourceKind::Place, QStringLiteral("12"), 1)};
    EXPECT_EQ(rowNames[6], QStringLiteral("Die Etage \"Erdgeschoss\""));
    EXPECT_EQ(rowNames[7], QStringLiteral("Das Zimmer \"12\""));
    for (size_t i = 0; i < lists.size(); ++i) {
        const MergeList& list = lists[i];
        SCOPED_TRACE(list.table.toStdString());
        RowValues stored;
        for (auto it = list.columns.cbegin(); it != list.columns.cend(); ++it)
            stored.insert(it.key(), it.key().endsWith("mandant_id") ? db::Value(3) : db::Value(7));
        for (int fields : {1, 2}) {
            RowMerge merge;
            merge.stored = stored;
            for (const MergeField& field : list.fields.mid(list.fields.size() - fields))
                for (const QString& column : field.columns)
                    merge.clashes.insert(column.toLower(), 0);
            test::DialogScope dialogs;
            dialogs->answerMessage(ui::Answer::Cancel);
            AskClash(rowNames[static_cast<qsizetype>(i)], list.fields, merge);
            const QString text = dialogs->lastMessage().text;
            EXPECT_TRUE(text.startsWith(rowNames[static_cast<qsizetype>(i)] +
                                        QStringLiteral(" wurde inzwischen an anderer Stelle geändert: ")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(fields == 1 ? QStringLiteral("Ihre Änderung trotzdem speichern?\n\nJa: Ihre Eingabe "
                                                                   "speichern.\nNein: den gespeicherten Wert behalten")
                                                  : QStringLiteral("Ihre Änderungen trotzdem speichern?\n\nJa: Ihre "
                                                                   "Eingaben speichern.\nNein: die gespeicherten Werte "
                                                                   "behalten")))
                << text.toStdString();
            EXPECT_EQ(text.count(QStringLiteral("; ")), fields - 1) << text.toStdString();
            EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[a-z]+_[a-z]+")))) << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("Farbe jetzt")) || text.contains(QStringLiteral("Einrichtung jetzt 3")) ||
                         text.contains(QStringLiteral("Position jetzt")) || text.contains(QStringLiteral("Notiz jetzt")))
                << text.toStdString();
        }
    }
}

}  // namespace
