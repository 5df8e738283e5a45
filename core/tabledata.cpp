#include "core/tabledata.h"

#include "core/database.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

#include <optional>

namespace {

// The database keeps no relations; these are the ones the windows keep.
struct Reference {
    const char* table;
    const char* column;
    const char* referencingTable;
    const char* referencingColumn;
};

constexpr Reference References[] = {
    {"tbl_mandanten", "mand_id", "tbl_buildings", "bld_mandant_id"},
    {"tbl_mandanten", "mand_id", "tbl_bookings", "book_mandant_id"},
    {"tbl_mandanten", "mand_id", "tbl_invoice", "inv_mandant_id"},
    {"tbl_buildings", "bld_id", "tbl_floors", "flr_building_id"},
    {"tbl_buildings", "bld_id", "tbl_places", "pl_building_id"},
    {"tbl_floors", "flr_id", "tbl_places", "pl_floor_id"},
    {"tbl_places", "pl_id", "tbl_bookings", "book_place_id"},
    {"tbl_room_types", "rot_id", "tbl_places", "pl_type_id"},
    {"tbl_cust_categories", "adrcat_id", "tbl_customers", "cust_category_id"},
    {"tbl_customers", "cust_id", "tbl_bookings", "book_customer_id"},
    {"tbl_customers", "cust_id", "tbl_invoice", "inv_customer_id"},
    {"tbl_bookings", "book_id", "tbl_invoice", "inv_booking_id"},
    {"tbl_invoice", "inv_id", "tbl_invoice_positions", "ivp_invoice_id"},
    {"tbl_services", "srv_id", "tbl_invoice_positions", "ivp_prod_id"},
    {"tbl_invoice_status", "ivs_id", "tbl_invoice", "inv_status_id"},
    {"tbl_paymode", "paym_id", "tbl_invoice", "inv_paymode_id"},
    {"tbl_colors", "color_id", "tbl_bookings", "book_color_id"},
};

qint32 countReferences(db::Database& d, const Reference& ref, const db::Value& id)
{
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT Count(*) AS n FROM ") + QString::fromLatin1(ref.referencingTable)
                                           + QStringLiteral(" WHERE ") + QString::fromLatin1(ref.referencingColumn)
                                           + QStringLiteral(" = ?;"),
                                       db::OpenMode::ForwardOnlyReadOnly, {id});
    return rs.value(QStringLiteral("n")).toLong();
}

// One sentence for each table whose rows point to the value of the column.
QStringList referencesTo(db::Database& d, const QString& table, const QString& column, const db::Value& value)
{
    QStringList reasons;
    // An id below 1 stands for none, so nothing can point to it.
    if (value.isNull() || value.toDouble() < 1)
        return reasons;
    for (const Reference& ref : References) {
        if (table != QLatin1String(ref.table) || column.compare(QLatin1String(ref.column), Qt::CaseInsensitive) != 0)
            continue;
        if (const qint32 n = countReferences(d, ref, value); n > 0) {
            reasons << QString::number(n) + QStringLiteral(" Einträge in \"") + QString::fromLatin1(ref.referencingTable)
                           + QStringLiteral("\" verweisen noch darauf.");
        }
    }
    return reasons;
}

// Whether value names another key than the one stored.
bool changesKey(const db::Value& stored, const db::Value& value)
{
    if (stored.isNull() || value.isNull())
        return stored.isNull() != value.isNull();
    const std::optional<double> number =
        value.kind() == db::Value::Kind::Text ? db::textToNumber(value.toText()) : std::optional<double>(value.toDouble());
    return !number || *number != stored.toDouble();
}

}  // namespace

bool TableExists(const QString& table)
{
    return OpenedDb().tableNames().contains(table);
}

TableData::TableData(const QString& table) : m_table(table)
{
    read();
}

const db::Value& TableData::value(int row, int column) const
{
    return m_rows.at(static_cast<size_t>(row)).values.at(column);
}

void TableData::reload()
{
    read();
}

void TableData::read()
{
    db::Database& d = OpenedDb();
    // A bracketed name opens the whole table in stored order, changeable.
    db::Recordset rs = d.openRecordset(QLatin1Char('[') + m_table + QLatin1Char(']'), db::OpenMode::Dynaset);
    if (!rs.isUpdatable())
        throw db::DbError(db::err::ReadOnly, m_table);
    QList<TableColumn> columns;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        db::Field& f = rs.field(i);
        columns.append({f.name(), f.type(), f.size(), f.isAutoNumber(), f.isRequired()});
    }
    std::vector<Row> rows;
    for (; !rs.eof(); rs.moveNext()) {
        Row row;
        row.key = rs.bookmark();
        for (int i = 0; i < rs.fieldCount(); ++i)
            row.values.append(rs.field(i).value());
        rows.push_back(std::move(row));
    }
    m_columns = columns;
    m_rows = std::move(rows);
    m_rs = std::move(rs);
}

void TableData::moveTo(int row)
{
    m_rs.setBookmark(m_rows.at(static_cast<size_t>(row)).key);
}

bool TableData::setValue(int row, int column, const db::Value& value, QString* refusal)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    // A key other rows point to stays, as it would on a delete: checked
    // against what is stored now, whatever this editor read before.
    const QString name = m_columns.at(column).name;
    db::Recordset stored = d.openRecordset(QStringLiteral("SELECT [") + name + QStringLiteral("] FROM [") + m_table +
                                               QStringLiteral("] WHERE rowid = ?"),
                                           db::OpenMode::ForwardOnlyReadOnly, {m_rows.at(static_cast<size_t>(row)).key});
    if (!stored.eof() && changesKey(stored.field(0).value(), value)) {
        if (const QStringList reasons = referencesTo(d, m_table, name, stored.field(0).value()); !reasons.isEmpty()) {
            if (refusal)
                *refusal = reasons.join(QLatin1Char('\n'));
            return false;
        }
    }
    moveTo(row);
    m_rs.edit();
    try {
        m_rs.field(column).setValue(value);
        m_rs.update();
    } catch (...) {
        if (m_rs.editMode() != db::Recordset::EditMode::None)
            m_rs.cancelUpdate();
        throw;
    }
    transaction.commit();
    Row& written = m_rows[static_cast<size_t>(row)];
    for (int i = 0; i < m_rs.fieldCount(); ++i)
        written.values[i] = m_rs.field(i).value();
    return true;
}

int TableData::insertRow(const std::map<int, db::Value>& values)
{
    db::Transaction transaction(OpenedDb());
    m_rs.addNew();
    try {
        for (const auto& [column, value] : values)
            m_rs.field(column).setValue(value);
        m_rs.update();
    } catch (...) {
        if (m_rs.editMode() != db::Recordset::EditMode::None)
            m_rs.cancelUpdate();
        throw;
    }
    transaction.commit();
    m_rs.setBookmark(m_rs.lastModified());
    Row row;
    row.key = m_rs.bookmark();
    for (int i = 0; i < m_rs.fieldCount(); ++i)
        row.values.append(m_rs.field(i).value());
    m_rows.push_back(std::move(row));
    return rowCount() - 1;
}

bool TableData::deleteRow(int row, QString* refusal)
{
    db::Database& d = OpenedDb();
    db::Transaction transaction(d);
    const Row& stored = m_rows.at(static_cast<size_t>(row));
    QStringList reasons;
    if (m_table == QLatin1String("tbl_workstations") && !m_columns.isEmpty()
        && stored.values.at(0).toLong() == StationId && StationId > 0)
        reasons << QStringLiteral("Es ist der Eintrag dieses Arbeitsplatzes.");
    for (int i = 0; i < m_columns.size(); ++i)
        reasons << referencesTo(d, m_table, m_columns[i].name, stored.values.at(i));
    if (!reasons.isEmpty()) {
        if (refusal)
            *refusal = reasons.join(QLatin1Char('\n'));
        return false;
    }
    moveTo(row);
    m_rs.deleteCurrent();
    transaction.commit();
    m_rows.erase(m_rows.begin() + row);
    return true;
}
