#include "core/tabledata.h"

#include "core/database.h"
#include "core/terms.h"
#include "core/workstation.h"
#include "platform/db/database.h"
#include "platform/db/transaction.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// What the rows of a table that point elsewhere are, in words, for one and
// for several: "1 Buchung", "3 Rechnungen"; places and guests by the house's terms.
QString rowsInWords(const char* table, qint32 n)
{
    const auto pick = [n](const QString& one, const QString& many) { return n == 1 ? one : many; };
    const auto term = [&pick](const QString& one, const QString& many, const QString& fallbackOne, const QString& fallbackMany) {
        return one.trimmed().isEmpty() || many.trimmed().isEmpty() ? pick(fallbackOne, fallbackMany)
                                                                   : pick(one.trimmed(), many.trimmed());
    };
    const QLatin1String name(table);
    QString words;
    if (name == QLatin1String("tbl_places"))
        words = term(TermPlaceSingular, TermPlacePlural, QStringLiteral("Buchungsplatz"), QStringLiteral("Buchungsplätze"));
    else if (name == QLatin1String("tbl_customers"))
        words = term(TermPersonSingular, TermPersonPlural, QStringLiteral("Adresse"), QStringLiteral("Adressen"));
    else if (name == QLatin1String("tbl_buildings"))
        words = QStringLiteral("Gebäude");
    else if (name == QLatin1String("tbl_floors"))
        words = pick(QStringLiteral("Etage"), QStringLiteral("Etagen"));
    else if (name == QLatin1String("tbl_bookings"))
        words = pick(QStringLiteral("Buchung"), QStringLiteral("Buchungen"));
    else if (name == QLatin1String("tbl_invoice"))
        words = pick(QStringLiteral("Rechnung"), QStringLiteral("Rechnungen"));
    else if (name == QLatin1String("tbl_invoice_positions"))
        words = pick(QStringLiteral("Rechnungsposition"), QStringLiteral("Rechnungspositionen"));
    else
        words = pick(QStringLiteral("Eintrag"), QStringLiteral("Einträge"));
    return QString::number(n) + QLatin1Char(' ') + words;
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
            reasons << rowsInWords(ref.referencingTable, n)
                           + (n == 1 ? QStringLiteral(" verweist noch darauf.") : QStringLiteral(" verweisen noch darauf."));
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

QString bracketed(const QString& table)
{
    return QLatin1Char('[') + table + QLatin1Char(']');
}

}  // namespace

std::optional<db::Value> TypedCellValue(const QString& table, const TableColumn& column, const QString& typed,
                                        QString* problem)
{
    if (typed.isEmpty())
        return db::Value();
    double lowest = 0, highest = 0;
    bool whole = true;
    switch (column.type) {
    case db::DaoType::Byte: highest = 255; break;
    case db::DaoType::Integer: lowest = -32768; highest = 32767; break;
    case db::DaoType::Long: lowest = -2147483648.0; highest = 2147483647.0; break;
    case db::DaoType::Single:
    case db::DaoType::Double: whole = false; break;
    default: return db::Value(typed);
    }
    const auto refuse = [problem](const QString& why) -> std::optional<db::Value> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QString quoted = QLatin1Char('"') + typed + QLatin1Char('"');
    const QString inColumn = QStringLiteral("In der Spalte \"") + column.name + QStringLiteral("\" können nur ");
    const std::optional<double> number = db::textToNumber(typed);
    if (!number)
        return refuse(quoted + QStringLiteral(" ist keine Zahl. ") + inColumn + QStringLiteral("Zahlen stehen."));
    if (!whole)
        return db::Value(*number);
    if (std::trunc(*number) != *number) {
        const bool rate = column.name.compare(QLatin1String("vat_full"), Qt::CaseInsensitive) == 0
                          || column.name.compare(QLatin1String("vat_reduced"), Qt::CaseInsensitive) == 0;
        if (table == QLatin1String("tbl_vat") && rate)
            return refuse(QStringLiteral("Ein Mehrwertsteuersatz kann nur ganze Prozent betragen; ") + quoted
                          + QStringLiteral(" lässt sich so nicht speichern. Bitte geben Sie eine ganze Zahl ein, zum "
                                           "Beispiel 19."));
        return refuse(inColumn + QStringLiteral("ganze Zahlen stehen; ") + quoted + QStringLiteral(" ist keine."));
    }
    if (*number < lowest || *number > highest)
        return refuse(inColumn + QStringLiteral("ganze Zahlen von ") + QString::number(lowest, 'f', 0)
                      + QStringLiteral(" bis ") + QString::number(highest, 'f', 0) + QStringLiteral(" stehen; ") + quoted
                      + QStringLiteral(" liegt außerhalb."));
    return db::Value(*number + 0.0);
}

QString LostRowText()
{
    return QStringLiteral("Dieser Eintrag ist nicht mehr so gespeichert, wie er hier steht, und die Datenbank wurde "
                          "seither defragmentiert oder repariert: Er lässt sich nicht mehr sicher zuordnen. Klicken Sie "
                          "auf \"Liste aktualisieren\", um die Einträge so zu sehen, wie sie jetzt gespeichert sind.");
}

bool TableExists(const QString& table)
{
    return OpenedDb().tableNames().contains(table);
}

TableData::TableData(const QString& table) : m_table(table)
{
    read();
}

void TableData::reload()
{
    read();
}

void TableData::read()
{
    db::Database& d = OpenedDb();
    db::Recordset counted = d.openRecordset(QStringLiteral("SELECT Count(*) AS n, Max(rowid) AS m FROM ") + bracketed(m_table),
                                            db::OpenMode::ForwardOnlyReadOnly);
    const int count = counted.value(QStringLiteral("n")).toLong();
    const qint64 maxKey = static_cast<qint64>(counted.value(QStringLiteral("m")).toDouble());
    // The first page, changeable: its columns tell what the grid may change.
    db::Recordset first = d.openRecordset(QStringLiteral("SELECT * FROM ") + bracketed(m_table) +
                                              QStringLiteral(" WHERE rowid <= ? ORDER BY rowid LIMIT ?"),
                                          db::OpenMode::Dynaset, {db::Value(maxKey), db::Value(PageSize)});
    if (!first.isUpdatable())
        throw db::DbError(db::err::ReadOnly, m_table);
    m_sets.clear();
    m_sets.push_back(std::move(first));
    db::Recordset& rs = m_sets.back();
    QList<TableColumn> columns;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        db::Field& f = rs.field(i);
        columns.append({f.name(), f.type(), f.size(), f.isAutoNumber(), f.isRequired()});
    }
    m_columns = columns;
    m_rows.assign(static_cast<size_t>(count), Row());
    m_counted = count;
    m_keyedUpTo = 0;
    m_maxKey = maxKey;
    int filled = 0;
    for (; !rs.eof() && filled < count; rs.moveNext())
        takeRow(m_rows[static_cast<size_t>(filled++)], 0);
    m_keyedUpTo = filled;
    if (filled < std::min(count, static_cast<int>(PageSize)))
        endAt(filled);
}

void TableData::takeRow(Row& row, int set)
{
    db::Recordset& rs = m_sets[static_cast<size_t>(set)];
    row.set = set;
    row.key = rs.bookmark();
    row.values.clear();
    row.values.reserve(rs.fieldCount());
    for (int i = 0; i < rs.fieldCount(); ++i)
        row.values.append(rs.field(i).value());
    row.state = State::Read;
}

void TableData::endAt(int index)
{
    for (int i = index; i < m_counted; ++i) {
        Row& row = m_rows[static_cast<size_t>(i)];
        if (row.state == State::Unread) {
            row = Row();
            row.state = State::Gone;
        }
    }
    m_keyedUpTo = std::max(m_keyedUpTo, m_counted);
}

qint64 TableData::keyBefore(int index) const
{
    for (int i = index - 1; i >= 0; --i) {
        const Row& row = m_rows[static_cast<size_t>(i)];
        if (row.state != State::Gone)
            return row.key;
    }
    return std::numeric_limits<qint64>::min();
}

void TableData::readKeys(int end)
{
    if (end <= m_keyedUpTo)
        return;
    const int wanted = end - m_keyedUpTo;
    int i = m_keyedUpTo;
    OpenedDb().forEachRow(QStringLiteral("SELECT rowid FROM ") + bracketed(m_table) +
                              QStringLiteral(" WHERE rowid > ? AND rowid <= ? ORDER BY rowid LIMIT ?"),
                          {db::Value(keyBefore(m_keyedUpTo)), db::Value(m_maxKey), db::Value(wanted)},
                          [this, &i](const QList<db::Value>& key) {
                              m_rows[static_cast<size_t>(i++)].key = static_cast<qint64>(key[0].toDouble());
                          });
    m_keyedUpTo = i;
    if (i < end)
        endAt(i);
}

void TableData::readPageOf(int row)
{
    const int pageStart = row / PageSize * PageSize;
    const int pageEnd = std::min(pageStart + PageSize, m_counted);
    // Past the rows whose keys are known, reading on reads the rows between
    // as well; a jump further than the page reads only their keys.
    if (row >= m_keyedUpTo && pageStart > m_keyedUpTo) {
        readKeys(pageStart);
        if (m_rows[static_cast<size_t>(row)].state != State::Unread)
            return;
    }
    int first = row;
    while (first > pageStart && m_rows[static_cast<size_t>(first - 1)].state == State::Unread)
        --first;
    int end = row + 1;
    while (end < pageEnd && m_rows[static_cast<size_t>(end)].state == State::Unread)
        ++end;
    // The next known key bounds the page, so no row is shown twice.
    std::optional<qint64> upper;
    for (int i = end; i < m_keyedUpTo && !upper; ++i)
        if (m_rows[static_cast<size_t>(i)].state != State::Gone)
            upper = m_rows[static_cast<size_t>(i)].key;
    // Kept changeable: a change finds its row again the way the page read it.
    m_sets.push_back(OpenedDb().openRecordset(
        QStringLiteral("SELECT * FROM ") + bracketed(m_table) +
            (upper ? QStringLiteral(" WHERE rowid > ? AND rowid < ?") : QStringLiteral(" WHERE rowid > ? AND rowid <= ?")) +
            QStringLiteral(" ORDER BY rowid LIMIT ?"),
        db::OpenMode::Dynaset, {db::Value(keyBefore(first)), db::Value(upper.value_or(m_maxKey)), db::Value(end - first)}));
    const int set = static_cast<int>(m_sets.size()) - 1;
    int i = first;
    for (db::Recordset& rs = m_sets.back(); !rs.eof(); rs.moveNext())
        takeRow(m_rows[static_cast<size_t>(i++)], set);
    if (i < end && !upper) {
        endAt(i);
        return;
    }
    // Rows deleted elsewhere meanwhile leave their places empty.
    for (; i < end; ++i) {
        Row& gone = m_rows[static_cast<size_t>(i)];
        gone = Row();
        gone.state = State::Gone;
    }
    m_keyedUpTo = std::max(m_keyedUpTo, end);
}

const db::Value& TableData::value(int row, int column)
{
    if (m_rows.at(static_cast<size_t>(row)).state == State::Unread)
        readPageOf(row);
    static const db::Value none;
    const Row& r = m_rows[static_cast<size_t>(row)];
    return r.state == State::Read ? r.values.at(column) : none;
}

bool TableData::isGone(int row)
{
    if (m_rows.at(static_cast<size_t>(row)).state == State::Unread)
        readPageOf(row);
    return m_rows[static_cast<size_t>(row)].state == State::Gone;
}

TableData::CellWrite TableData::setValue(int row, int column, const db::Value& value, QString* refusal, const ClashAsk& ask)
{
    if (isGone(row))
        return CellWrite::Gone;
    Row& stored = m_rows[static_cast<size_t>(row)];
    db::Recordset& rs = m_sets[static_cast<size_t>(stored.set)];
    db::Database& d = OpenedDb();
    const QString name = m_columns.at(column).name;
    const QString key = name.toLower();
    // The cell as this editor read it; another workstation may have stored
    // another value since.
    const RowValues read{{key, stored.values.at(column)}};
    std::optional<ClashChoice> choice;
    db::Value askedAbout;
    for (;;) {
        RowMerge merge;
        {
            db::Transaction transaction(d);
            // A key other rows point to stays, as it would on a delete; the
            // rows pointing to it are counted now. The key is the one as
            // read: the write below finds its row by it (a rowid may have
            // been renumbered by a compaction meanwhile), and fails when that
            // row no longer has it.
            const db::Value readKey = read.value(key);
            if (changesKey(readKey, value)) {
                if (const QStringList reasons = referencesTo(d, m_table, name, readKey); !reasons.isEmpty()) {
                    if (refusal)
                        *refusal = reasons.join(QLatin1Char('\n'));
                    return CellWrite::KeyKept;
                }
            }
            rs.setBookmark(stored.key);
            switch (rs.followCurrent()) {
            case db::Recordset::Follow::Found: break;
            case db::Recordset::Follow::Gone: markGone(row); return CellWrite::Gone;
            case db::Recordset::Follow::Lost: return CellWrite::Lost;
            }
            const db::Value now = rs.field(column).value();
            rs.edit();
            try {
                rs.field(column).setValue(value);
                // As the column keeps it.
                const RowValues mine{{key, rs.field(column).value()}};
                merge = PlanRowMerge(read, {{key, now}}, ChangedColumns(read, mine));
                // Asked once per stored value: another change meanwhile asks anew.
                if (merge.clashes.isEmpty() || (choice && now == askedAbout)) {
                    const bool write = merge.write.contains(key) || (!merge.clashes.isEmpty() && choice == ClashChoice::Mine);
                    if (write)
                        rs.update();
                    else
                        rs.cancelUpdate();
                    transaction.commit();
                    takeRow(stored, stored.set);
                    return write ? CellWrite::Written : CellWrite::KeptStored;
                }
            } catch (...) {
                if (rs.editMode() != db::Recordset::EditMode::None)
                    rs.cancelUpdate();
                throw;
            }
            rs.cancelUpdate();
        }
        // The lock is given back before a person is asked.
        choice = ask ? ask(merge) : ClashChoice::Cancel;
        if (choice != ClashChoice::Mine) {
            // The row as it was read just now.
            rs.setBookmark(stored.key);
            takeRow(stored, stored.set);
            return CellWrite::KeptStored;
        }
        askedAbout = merge.stored.value(key);
    }
}

int TableData::insertRow(const std::map<int, db::Value>& values)
{
    db::Transaction transaction(OpenedDb());
    m_sets.push_back(OpenedDb().openRecordset(QStringLiteral("SELECT * FROM ") + bracketed(m_table) +
                                                  QStringLiteral(" WHERE 0 = 1"),
                                              db::OpenMode::Dynaset));
    db::Recordset& rs = m_sets.back();
    rs.addNew();
    try {
        for (const auto& [column, value] : values)
            rs.field(column).setValue(value);
        rs.update();
    } catch (...) {
        rs.close();
        m_sets.pop_back();
        throw;
    }
    transaction.commit();
    rs.setBookmark(rs.lastModified());
    Row row;
    takeRow(row, static_cast<int>(m_sets.size()) - 1);
    m_rows.push_back(std::move(row));
    return rowCount() - 1;
}

bool TableData::deleteRow(int row, QString* refusal, const ClashAsk& ask)
{
    if (!deleteStoredRow(row, refusal, ask))
        return false;
    forgetRow(row);
    return true;
}

bool TableData::deleteStoredRow(int row, QString* refusal, const ClashAsk& ask)
{
    if (refusal)
        refusal->clear();
    std::optional<ClashChoice> choice;
    RowValues askedAbout;
    while (!isGone(row)) {
        RowMerge merge;
        {
            db::Database& d = OpenedDb();
            db::Transaction transaction(d);
            Row& stored = m_rows[static_cast<size_t>(row)];
            db::Recordset& rs = m_sets[static_cast<size_t>(stored.set)];
            rs.setBookmark(stored.key);
            const db::Recordset::Follow found = rs.followCurrent();
            if (found == db::Recordset::Follow::Gone)
                break;
            if (found == db::Recordset::Follow::Lost) {
                if (refusal)
                    *refusal = LostRowText();
                return false;
            }
            // Named and checked as stored now, not as read.
            QList<db::Value> now;
            for (int i = 0; i < m_columns.size(); ++i) {
                now << rs.field(i).value();
                const QString key = m_columns[i].name.toLower();
                merge.stored.insert(key, now.last());
                if (!(now.last() == stored.values.at(i)))
                    merge.clashes.insert(key, stored.values.at(i));
            }
            // Asked once per stored state: another change meanwhile asks anew.
            if (merge.clashes.isEmpty() || (choice == ClashChoice::Mine && merge.stored == askedAbout)) {
                QStringList reasons;
                if (m_table == QLatin1String("tbl_workstations") && !m_columns.isEmpty() && now.at(0).toLong() == StationId
                    && StationId > 0)
                    reasons << QStringLiteral("Es ist der Eintrag dieses Arbeitsplatzes.");
                for (int i = 0; i < m_columns.size(); ++i)
                    reasons << referencesTo(d, m_table, m_columns[i].name, now.at(i));
                if (!reasons.isEmpty()) {
                    if (refusal)
                        *refusal = reasons.join(QLatin1Char('\n'));
                    return false;
                }
                rs.deleteCurrent();
                transaction.commit();
                break;
            }
        }
        // The lock is given back before a person is asked.
        choice = ask ? ask(merge) : ClashChoice::Cancel;
        if (choice != ClashChoice::Mine) {
            // Kept, and shown as it is stored now.
            Row& stored = m_rows[static_cast<size_t>(row)];
            m_sets[static_cast<size_t>(stored.set)].setBookmark(stored.key);
            takeRow(stored, stored.set);
            return false;
        }
        askedAbout = merge.stored;
    }
    // A row deleted elsewhere meanwhile just leaves the list.
    markGone(row);
    return true;
}

void TableData::forgetRow(int row)
{
    m_rows.erase(m_rows.begin() + row);
    if (row < m_counted)
        --m_counted;
    if (row < m_keyedUpTo)
        --m_keyedUpTo;
}

void TableData::markGone(int row)
{
    Row& gone = m_rows[static_cast<size_t>(row)];
    gone = Row();
    gone.state = State::Gone;
}
