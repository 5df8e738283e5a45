#pragma once

#include "core/rowmerge.h"
#include "platform/db/recordset.h"
#include "platform/db/value.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <optional>
#include <vector>

// One table for the table editor, read through the program's connection (so
// its text columns compare and sort as everywhere else) a page at a time, as
// the rows are shown, and changed row by row, each change in a transaction of
// its own. Each page is a short reading of its own: nothing stays open
// between pages, so other workstations can write meanwhile.

struct TableColumn {
    QString name;
    db::DaoType type = db::DaoType::Text;
    int size = 0;
    bool autoNumber = false;
    bool required = false;
};

// A text typed into a cell of column, as the grid writes it; an empty text is
// the cleared cell's Null. A number column takes a number in the German or
// the point notation ("1.000", "3,5", "1e5"); one of whole numbers (Byte,
// Integer, Long) takes no fraction and nothing beyond its range. nullopt for
// what it does not take, and *problem says why. Other columns leave the
// check to the database.
std::optional<db::Value> TypedCellValue(const QString& table, const TableColumn& column, const QString& typed,
                                        QString* problem);

// Why a row of a table without a key cannot be changed or deleted (CellWrite::Lost).
QString LostRowText();

// Whether the database holds a table of exactly that name. Throws db::DbError.
bool TableExists(const QString& table);

class TableData {
public:
    // Rows read at once: a screen and more.
    static constexpr int PageSize = 200;

    // Counts the rows and reads the first page, in stored order. Throws db::DbError.
    explicit TableData(const QString& table);

    const QString& table() const { return m_table; }
    const QList<TableColumn>& columns() const { return m_columns; }
    // The rows counted when the table was read, less those deleted here, and
    // those added here.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // A row's value; its page is read when one of its rows is first asked
    // for. Throws db::DbError when the page cannot be read.
    const db::Value& value(int row, int column);
    // A row that another workstation deleted after the rows were counted: it
    // shows nothing and cannot be changed. Reads the row's page first.
    bool isGone(int row);

    // Counts and reads the table again.
    void reload();

    // Writes one cell of a stored row, and nothing else of it. The column's
    // type decides whether the value fits (3421, 3349, 3163, 3314 ...); a
    // refused value leaves the row as it was. Throws db::DbError. A key that
    // other rows point to is not changed, as such a row is not deleted:
    // KeyKept, and *refusal says why. When another workstation stored
    // another value in the cell since it was read, `ask` decides outside the
    // write lock (none: the stored value stays); what it changed in other
    // cells stays. Whatever is written or kept, the row is read again as
    // stored. A row of a table without a key is followed by its rowid only
    // while no compaction renumbered the table.
    enum class CellWrite {
        Written,
        KeptStored,   // nothing written: the value was the one read, or the stored one was kept
        KeyKept,
        Gone,         // deleted elsewhere meanwhile: it now shows nothing
        Lost,         // changed or deleted elsewhere while a compaction renumbered its table: read the table again
    };
    CellWrite setValue(int row, int column, const db::Value& value, QString* refusal = nullptr,
                       const ClashAsk& ask = {});

    // Stores a new row; columns not given keep the table's defaults. Returns
    // the row's index (the last). Throws db::DbError; nothing is stored then.
    int insertRow(const std::map<int, db::Value>& values);

    // Deletes a stored row, unless other rows still point to it or it is this
    // workstation's own row: then nothing is deleted and *refusal says why.
    // The check and the delete are one transaction. A row another
    // workstation changed since it was read is deleted only when `ask`
    // answers Mine (none: kept, and shown as stored); false then with an
    // empty *refusal. A row deleted elsewhere meanwhile just leaves the list.
    // Throws db::DbError.
    bool deleteRow(int row, QString* refusal, const ClashAsk& ask = {});
    // The same in two steps, for a view that must be told before the rows
    // shift: the row stays in the list, gone, until it is forgotten.
    bool deleteStoredRow(int row, QString* refusal, const ClashAsk& ask = {});
    void forgetRow(int row);

private:
    enum class State : char { Unread, Read, Gone };
    struct Row {
        qint64 key = 0;             // rowid; known for the rows before m_keyedUpTo
        QList<db::Value> values;
        State state = State::Unread;
        int set = -1;               // the page (m_sets) that read it
    };

    void read();
    // Reads the page of an unread row (and, after a jump, the keys before it).
    void readPageOf(int row);
    // Keys of the unread rows from m_keyedUpTo up to (not including) end.
    void readKeys(int end);
    // The key of the last row before index that exists; the least key for none.
    qint64 keyBefore(int index) const;
    // Marks every unread row of the counted ones from index on as gone: the
    // table ended there.
    void endAt(int index);
    // The current row of page set.
    void takeRow(Row& row, int set);
    void markGone(int row);

    QString m_table;
    QList<TableColumn> m_columns;
    std::vector<Row> m_rows;
    // The pages read, changeable: a change finds its row again as the page
    // read it, by rowid and key. They hold no lock.
    std::deque<db::Recordset> m_sets;
    int m_counted = 0;        // the first rows, those counted; rows added here follow
    int m_keyedUpTo = 0;      // every counted row before it has its key or is gone
    qint64 m_maxKey = 0;      // rows stored later (by anyone) are not paged in
};
