#pragma once

#include "platform/db/value.h"

#include <QList>
#include <QString>

#include <memory>

namespace db {

namespace detail {
struct RecordsetData;
}

enum class OpenMode { Dynaset, ForwardOnlyReadOnly };

// One column of a record set. value() gives the current row (or, while a row
// is edited or added, what has been assigned so far); setValue() converts to
// the column's declared type at once and refuses what the column cannot hold.
class Field {
public:
    const QString& name() const;
    DaoType type() const;
    int size() const;
    bool isAutoNumber() const;
    bool isRequired() const;

    Value value() const;                 // 3021 without a current row, 3167 on a deleted one
    void setValue(const Value& value);   // 3020 outside Edit/AddNew, 3164 on the AutoNumber,
                                         // 3421 3349 3163 3314 for a value the column refuses
private:
    friend struct detail::RecordsetData;
    Field(detail::RecordsetData* data, int index) : m_data(data), m_index(index) {}
    detail::RecordsetData* m_data;
    int m_index;
};

// The rows of a query, read completely when the set is opened or requeried,
// so no lock outlives the call. A Dynaset over the columns of one table can
// be changed: AddNew shows the new row's AutoNumber at once, Update writes
// only the columns that were assigned.
class Recordset {
public:
    enum class EditMode { None, Edit, AddNew };
    using Bookmark = qint64;

    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    bool isOpen() const;
    bool isUpdatable() const;

    // An empty set is at BOF and EOF at once.
    bool eof() const;
    bool bof() const;
    int recordCount() const;          // rows not deleted
    int absolutePosition() const;     // 0-based; -1 without a current row
    void moveFirst();                 // 3021 on an empty set
    void moveNext();                  // 3021 at EOF
    void movePrevious();              // 3021 at BOF
    void moveLast();

    int fieldCount() const;
    Field& field(int index);                  // 3265 out of range
    Field& field(const QString& name);        // without regard to case; 3265 when missing
    Value value(const QString& name) const;   // the current value of that field
    Value operator[](const QString& name) const { return value(name); }

    void addNew();                    // 3027 on a read-only set
    void edit();                      // 3021 without a current row
    void update();                    // 3020 without Edit/AddNew; 3167 when the row is gone
    void cancelUpdate();
    void deleteCurrent();
    // Reads the current row again as stored now, found the way update()
    // finds it; its values are then the stored ones. False when it is gone.
    bool refreshCurrent();
    // The same, but a row of a table without a key whose values another
    // workstation changed is followed to the rowid it was last seen at, as
    // long as nothing renumbered the table since (a VACUUM, a restored copy).
    enum class Follow {
        Found,   // its values are the stored ones now
        Gone,    // deleted meanwhile
        Lost,    // its values changed and the table was renumbered since: it cannot be told from the others
    };
    Follow followCurrent();
    EditMode editMode() const;

    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);      // 3159 for an unknown one
    Bookmark lastModified() const;            // the row last added or changed; 3021 if none

    void requery();                   // reads again, on the first row
    void close();                     // a pending AddNew or Edit is dropped

private:
    friend class Database;
    explicit Recordset(std::unique_ptr<detail::RecordsetData> data);
    detail::RecordsetData& data() const;

    std::unique_ptr<detail::RecordsetData> d;
};

}  // namespace db
