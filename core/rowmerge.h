#pragma once

#include "platform/db/value.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace db {
class Database;
}

// Saving a row that a window read earlier, while another workstation may have
// saved the same row since. Nothing is locked between reading and saving, and
// no column marks a version (stored files and older workstations stay as they
// are): the save compares, inside its write transaction, the row as stored
// now with the row as the window read it, value by value. Only what this
// window changed is written; a column another workstation changed and this
// one did not keeps the other's value; where both changed one column to
// different values the user decides, outside the write lock.

// A row's values by column name, in lower case.
using RowValues = QMap<QString, db::Value>;

// The whole row with key `key` in keyColumn; nullopt when there is none.
// Throws db::DbError.
std::optional<RowValues> ReadRow(const QString& table, const QString& keyColumn, const db::Value& key);

// The columns of `now` whose value differs from `base`, with their values in
// now. base and now are what the window would write, made by one function
// from its fields right after loading and at the save: a value the window
// cannot show (a date stored as text) therefore counts as changed only when
// the user typed over it.
RowValues ChangedColumns(const RowValues& base, const RowValues& now);

struct RowMerge {
    RowValues stored;        // the row as stored now
    RowValues write;         // this window's changes nobody else made since it read the row
    RowValues clashes;       // this window's values where another workstation stored another one
    QStringList kept;        // columns only another workstation changed: they keep its value
    // Another workstation changed the row since it was read.
    bool changedElsewhere() const { return !kept.isEmpty() || !clashes.isEmpty(); }
};

// Columns that mean one thing only together (a booking's arrival and
// departure): merged and asked about as one field. Changed elsewhere when any
// stored column differs from the row as loaded, changed here when the window
// changed any; then a clash unless the window's columns, the unchanged ones as
// loaded, are what is stored. A clash carries all of them, so Ja writes the
// window's whole set and Nein keeps the stored one.
using ColumnGroups = QList<QStringList>;

// loaded: the row as the window read it; stored: as it is now; changed: the
// window's changes (ChangedColumns). A change the other workstation made too,
// to the same value, is no clash and needs no write. A changed column the
// stored row lacks is a fault of the caller: throws db::DbError.
RowMerge PlanRowMerge(const RowValues& loaded, const RowValues& stored, const RowValues& changed,
                      const ColumnGroups& together = {});

// What the user answers where both changed a field.
enum class ClashChoice {
    Mine,     // Ja: write all of this window's changes
    Stored,   // Nein: keep the stored values of the clashing fields, write the rest
    Cancel,   // Abbrechen: write nothing, go back to the edit
};

// Asked outside the write lock; gets the merge the question is about.
using ClashAsk = std::function<ClashChoice(const RowMerge& merge)>;

// A field as the user knows it, for the question: its label, the columns it
// shows and how it reads a stored row.
struct MergeField {
    MergeField() = default;
    MergeField(QString label_, QStringList columns_, std::function<QString(const RowValues&)> describe_ = {},
               QString changedText_ = {})
        : label(std::move(label_)), columns(std::move(columns_)), describe(std::move(describe_)),
          changedText(std::move(changedText_))
    {
    }
    QString label;                                            // "Zeitraum"
    QStringList columns;                                      // "book_start", "book_end"
    std::function<QString(const RowValues& stored)> describe;  // "15.12.2026 – 18.12.2026"
    // For a value that says nothing to the user (a colour's number, a
    // marker's twips): the field is named with this instead of its value
    // ("Farbe" "geändert").
    QString changedText;
};

// The one question of a save: rowName ("Die Reservierung 17") wurde inzwischen
// an anderer Stelle geändert (another workstation, or another window of this
// one), each clashing field with its stored value. Ja, Nein, Abbrechen with Abbrechen the default; closing the box is
// Abbrechen. A clashing column no field names is listed by its column name.
ClashChoice AskClash(const QString& rowName, const QList<MergeField>& fields, const RowMerge& merge);

// Before deleting a row another workstation changed since it was read: the
// same naming, "Trotzdem löschen?", Ja and Nein with Nein the default. Mine
// for Ja (delete), Cancel otherwise.
ClashChoice AskDeleteClash(const QString& rowName, const QList<MergeField>& fields, const RowMerge& merge);

// The labels of the fields that hold one of the columns, in the order of
// fields (for a notice naming what was not written).
QStringList FieldLabels(const QList<MergeField>& fields, const QStringList& columns);

// A stored value as a field shows it: a date dd.mm.yyyy, a number with the
// decimal comma, "leer" for an empty one, text in quotes.
QString DescribeStored(const db::Value& value);

struct MergedSave {
    enum class Result {
        Written,     // the changes are stored (also when there were none)
        Missing,     // the row was deleted meanwhile: nothing written
        Cancelled,   // the user kept the edit (Abbrechen): nothing written
        Refused,     // write() refused: nothing written
    };
    Result result = Result::Written;
    RowMerge merge;          // the last plan, with the row as stored when it was made
    RowValues row;           // Written: the row as stored now
    QStringList notWritten;  // Written: clashing columns that kept the stored value
    bool asked = false;      // the user was asked
};

// Writes `values` into the row of key: UPDATE ... SET, nothing when empty.
// Returns the rows changed. Throws db::DbError.
qint64 WriteColumns(db::Database& d, const QString& table, const QString& keyColumn, const db::Value& key,
                    const RowValues& values);

// One save of a row loaded earlier. Inside a write transaction it reads the
// stored row and plans the merge. Where fields clash it leaves the
// transaction, asks `ask`, and starts again with the answer; it asks again
// only when the stored values of the clash changed meanwhile. write() then
// runs inside the transaction with the merge and the columns to write, adds
// what it must (an edit time, a total), checks what it must and writes; it
// returns false to refuse, which rolls everything back. Without write() the
// columns are written as they are. Throws db::DbError.
using MergeWrite = std::function<bool(db::Database& d, const RowMerge& merge, RowValues& toWrite)>;
// The same for values kept other than as one table row (the preferences, a
// row per name): read() gives them as stored, inside the write transaction
// (nullopt when they are gone), write() writes them, and MergedSave.row is
// read() again after the write.
using MergeRead = std::function<std::optional<RowValues>()>;
MergedSave SaveMerged(const MergeRead& read, const RowValues& loaded, const RowValues& changed, const ClashAsk& ask,
                      const MergeWrite& write, const ColumnGroups& together = {});
MergedSave SaveLoadedRow(const QString& table, const QString& keyColumn, const db::Value& key, const RowValues& loaded,
                         const RowValues& changed, const ClashAsk& ask, const MergeWrite& write = {},
                         const ColumnGroups& together = {});

// Deleting a row a window showed, with another workstation perhaps changing
// it meanwhile. ask(stored, sinceShown) puts the question before the delete,
// outside any lock: sinceShown.kept names the columns changed since the
// window read the row as `shown` (only the columns shown are compared), empty
// when nothing changed; it returns whether to delete. Inside the delete's
// transaction the row is read again: when it changed while the question
// stood, it is asked anew. remove() deletes inside that transaction (and
// whatever goes with the row). Throws db::DbError.
enum class DeleteResult {
    Deleted,
    Missing,     // deleted meanwhile: nothing done
    Cancelled,   // the user kept it
};
using DeleteAsk = std::function<bool(const RowValues& stored, const RowMerge& sinceShown)>;
using DeleteRemove = std::function<void(db::Database& d, const RowValues& stored)>;
DeleteResult DeleteShownRow(const MergeRead& read, const RowValues& shown, const DeleteAsk& ask,
                            const DeleteRemove& remove);
// The same for one row of a table, deleted by its key when remove is empty.
DeleteResult DeleteShownRow(const QString& table, const QString& keyColumn, const db::Value& key, const RowValues& shown,
                            const DeleteAsk& ask, const DeleteRemove& remove = {});

// What changed since the window read the row: the columns of shown whose
// stored value differs, as RowMerge.kept, with RowMerge.stored.
RowMerge ChangesSinceShown(const RowValues& shown, const RowValues& stored);

// Several rows a window showed, deleted together or not at all (the marked
// bookings of the schedule, the marked places of a floor plan). Inside the
// delete's transaction each is read again by read(key) and compared with
// what the window showed of it. ask gets the rows still there, each with
// what changed since it was shown (since.kept empty when nothing did), and
// is asked outside any lock, anew when a row changes while it stands.
// remove() deletes the rows still there inside the transaction. Rows deleted
// meanwhile are left out and listed in `missing`; with none left nothing is
// asked (Missing). Throws db::DbError.
struct ShownRowChange {
    db::Value key;
    RowMerge since;   // since.stored: the row as stored now
};
using RowReadByKey = std::function<std::optional<RowValues>(const db::Value& key)>;
using DeleteRowsAsk = std::function<bool(const QList<ShownRowChange>& rows)>;
using DeleteRowsRemove = std::function<void(db::Database& d, const QList<ShownRowChange>& rows)>;
struct ShownRowsDelete {
    DeleteResult result = DeleteResult::Deleted;
    QList<db::Value> missing;
};
ShownRowsDelete DeleteShownRows(const QList<std::pair<db::Value, RowValues>>& shown, const RowReadByKey& read,
                                const DeleteRowsAsk& ask, const DeleteRowsRemove& remove);

// "Die Reservierung 9 wurde inzwischen an anderer Stelle geändert: Zimmer
// jetzt "13".": each field of sinceShown.kept (ChangesSinceShown) with its
// stored value.
QString ChangedSinceShownText(const QString& rowName, const QList<MergeField>& fields, const RowMerge& sinceShown);

// AskDeleteClash for several rows in one question: each row named with what
// changed in it, then "Trotzdem löschen?". Mine for Ja, Cancel otherwise.
ClashChoice AskDeleteClashes(const QList<std::pair<QString, RowMerge>>& rows, const QList<MergeField>& fields);

// The user edited a field that showed the stored value normalised (a Null
// as 0 or unticked, a number rounded, a text trimmed or cut to the box): the
// column's base becomes the stored value, so that what the user typed is
// written even where it is what the field showed.
void MendUnshown(RowValues& base, const RowValues& loaded, const QString& column);
