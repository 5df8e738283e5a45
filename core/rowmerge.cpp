#include "core/rowmerge.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/db/transaction.h"
#include "platform/runtime/format.h"
#include "platform/ui/dialogs.h"

#include <algorithm>
#include <cmath>

std::optional<RowValues> ReadRow(const QString& table, const QString& keyColumn, const db::Value& key)
{
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") +
                                                    keyColumn + QStringLiteral(" = ?"),
                                                db::OpenMode::ForwardOnlyReadOnly, {key});
    if (rs.eof())
        return std::nullopt;
    RowValues row;
    for (int i = 0; i < rs.fieldCount(); ++i)
        row.insert(rs.field(i).name().toLower(), rs.field(i).value());
    return row;
}

RowValues ChangedColumns(const RowValues& base, const RowValues& now)
{
    RowValues changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto was = base.constFind(it.key());
        if (was == base.cend() || !(*was == it.value()))
            changed.insert(it.key().toLower(), it.value());
    }
    return changed;
}

namespace {

// Whether the window's value is what is stored: the window may give a number
// in another width than the column's, and an empty text is stored as Null.
bool sameValue(const db::Value& stored, const db::Value& mine)
{
    if (stored == mine)
        return true;
    const auto empty = [](const db::Value& v) {
        return v.isNull() || (v.kind() == db::Value::Kind::Text && v.toText().isEmpty());
    };
    if (empty(stored) || empty(mine))
        return empty(stored) && empty(mine);
    const auto numeric = [](const db::Value& v) { return v.isNumeric() || v.kind() == db::Value::Kind::Date; };
    if (numeric(stored) && numeric(mine)) {
        const double a = stored.toDouble();
        const double b = mine.toDouble();
        // A Single column keeps about seven digits.
        const double tolerance = stored.kind() == db::Value::Kind::Single ? 1e-6 * std::max(1.0, std::fabs(a)) : 0.0;
        return std::fabs(a - b) <= tolerance;
    }
    if (stored.kind() == db::Value::Kind::Text && mine.kind() == db::Value::Kind::Text)
        return stored.toText() == mine.toText();
    return false;
}

}  // namespace

RowMerge PlanRowMerge(const RowValues& loaded, const RowValues& stored, const RowValues& changed,
                      const ColumnGroups& together)
{
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        // Written as "done" it would store nothing: the window's list of
        // columns and the table disagree.
        if (!stored.contains(it.key()))
            throw db::DbError(db::err::ItemNotFound, QStringLiteral("Spalte ") + it.key());
    }
    RowMerge merge;
    merge.stored = stored;
    QStringList grouped;
    for (const QStringList& group : together) {
        QStringList columns;
        for (const QString& column : group) {
            if (stored.contains(column.toLower()))
                columns << column.toLower();
        }
        grouped << columns;
        bool elsewhere = false;
        bool here = false;
        bool same = true;
        for (const QString& column : columns) {
            const db::Value& now = stored[column];
            const db::Value read = loaded.value(column);
            elsewhere = elsewhere || !(read == now);
            const auto mine = changed.constFind(column);
            here = here || mine != changed.cend();
            same = same && sameValue(now, mine != changed.cend() ? *mine : read);
        }
        if (!here) {
            for (const QString& column : columns) {
                if (!(loaded.value(column) == stored[column]))
                    merge.kept << column;
            }
        } else if (!elsewhere) {
            for (const QString& column : columns) {
                if (changed.contains(column))
                    merge.write.insert(column, changed[column]);
            }
        } else if (!same) {
            for (const QString& column : columns)
                merge.clashes.insert(column, changed.value(column, loaded.value(column)));
        }
    }
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        const QString& column = it.key();
        if (grouped.contains(column))
            continue;
        const db::Value read = loaded.value(column);
        const bool elsewhere = !(read == it.value());
        const auto mine = changed.constFind(column);
        if (mine == changed.cend()) {
            if (elsewhere)
                merge.kept << column;
            continue;
        }
        if (!elsewhere)
            merge.write.insert(column, *mine);
        else if (!sameValue(it.value(), *mine))
            merge.clashes.insert(column, *mine);
    }
    return merge;
}

RowMerge ChangesSinceShown(const RowValues& shown, const RowValues& stored)
{
    RowMerge merge;
    merge.stored = stored;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
        const QString column = it.key().toLower();
        if (!(stored.value(column) == it.value()))
            merge.kept << column;
    }
    return merge;
}

QString DescribeStored(const db::Value& value)
{
    switch (value.kind()) {
    case db::Value::Kind::Null: return QStringLiteral("leer");
    case db::Value::Kind::Bool: return value.toBool() ? QStringLiteral("ja") : QStringLiteral("nein");
    case db::Value::Kind::Date: return rt::formatDate(value.toDate(), QStringLiteral("dd.mm.yyyy"));
    case db::Value::Kind::Text: {
        const QString text = value.toText();
        if (text.trimmed().isEmpty())
            return QStringLiteral("leer");
        return QStringLiteral("\"") + text + QStringLiteral("\"");
    }
    default: return value.toText();
    }
}

QStringList FieldLabels(const QList<MergeField>& fields, const QStringList& columns)
{
    QStringList labels;
    QStringList left = columns;
    for (const MergeField& field : fields) {
        bool named = false;
        for (const QString& column : field.columns) {
            if (left.removeAll(column.toLower()) > 0)
                named = true;
        }
        if (named)
            labels << field.label;
    }
    return labels + left;
}

namespace {

// "Notizen jetzt "Hund"", "Personen jetzt 3": each clashing field with its stored value.
QStringList clashingFields(const QList<MergeField>& fields, const RowMerge& merge)
{
    QStringList parts;
    QStringList left = merge.clashes.keys();
    for (const MergeField& field : fields) {
        bool clashes = false;
        for (const QString& column : field.columns) {
            if (left.removeAll(column.toLower()) > 0)
                clashes = true;
        }
        if (!clashes)
            continue;
        if (!field.changedText.isEmpty())
            parts << field.label + QLatin1Char(' ') + field.changedText;
        else
            parts << field.label + QStringLiteral(" jetzt ") +
                         (field.describe ? field.describe(merge.stored)
                                         : DescribeStored(merge.stored.value(field.columns.value(0).toLower())));
    }
    for (const QString& column : left)
        parts << column + QStringLiteral(" jetzt ") + DescribeStored(merge.stored.value(column));
    return parts;
}

// True whether the other change came from another workstation or from
// another window of this one.
const QString ChangedMeanwhile = QStringLiteral(" wurde inzwischen an anderer Stelle geändert: ");
const QString ChangedElsewhereTitle = QStringLiteral("Inzwischen geändert");

}  // namespace

ClashChoice AskClash(const QString& rowName, const QList<MergeField>& fields, const RowMerge& merge)
{
    const QStringList parts = clashingFields(fields, merge);
    const bool one = parts.size() == 1;
    const QString text = rowName + ChangedMeanwhile + parts.join(QStringLiteral("; ")) +
                         (one ? QStringLiteral(". Ihre Änderung trotzdem speichern?\n\n"
                                               "Ja: Ihre Eingabe speichern.\n"
                                               "Nein: den gespeicherten Wert behalten und Ihre übrigen Änderungen "
                                               "speichern.\n")
                              : QStringLiteral(". Ihre Änderungen trotzdem speichern?\n\n"
                                               "Ja: Ihre Eingaben speichern.\n"
                                               "Nein: die gespeicherten Werte behalten und Ihre übrigen Änderungen "
                                               "speichern.\n")) +
                         QStringLiteral("Abbrechen: nichts speichern und weiter bearbeiten.");
    switch (ui::msgBox(text, ui::YesNoCancel | ui::Question | ui::DefaultButton3, ChangedElsewhereTitle)) {
    case ui::Answer::Yes: return ClashChoice::Mine;
    case ui::Answer::No: return ClashChoice::Stored;
    default: return ClashChoice::Cancel;
    }
}

ClashChoice AskDeleteClash(const QString& rowName, const QList<MergeField>& fields, const RowMerge& merge)
{
    return AskDeleteClashes({{rowName, merge}}, fields);
}

QString ChangedSinceShownText(const QString& rowName, const QList<MergeField>& fields, const RowMerge& sinceShown)
{
    // Named as a clash would be: what the other workstation changed.
    RowMerge named = sinceShown;
    for (const QString& column : sinceShown.kept) {
        if (!named.clashes.contains(column))
            named.clashes.insert(column, sinceShown.stored.value(column));
    }
    return rowName + ChangedMeanwhile + clashingFields(fields, named).join(QStringLiteral("; ")) + QLatin1Char('.');
}

ClashChoice AskDeleteClashes(const QList<std::pair<QString, RowMerge>>& rows, const QList<MergeField>& fields)
{
    QStringList sentences;
    for (const auto& [rowName, merge] : rows)
        sentences << ChangedSinceShownText(rowName, fields, merge);
    const QString text = sentences.join(QLatin1Char('\n')) +
                         (sentences.size() > 1 ? QStringLiteral("\n\n") : QStringLiteral(" ")) +
                         QStringLiteral("Trotzdem löschen?");
    return ui::msgBox(text, ui::YesNo | ui::Question | ui::DefaultButton2, ChangedElsewhereTitle) == ui::Answer::Yes
               ? ClashChoice::Mine
               : ClashChoice::Cancel;
}

void MendUnshown(RowValues& base, const RowValues& loaded, const QString& column)
{
    const QString key = column.toLower();
    const auto stored = loaded.constFind(key);
    if (stored == loaded.cend())
        return;
    const auto shown = base.constFind(key);
    if (shown == base.cend() || !sameValue(*stored, *shown))
        base.insert(key, *stored);
}

qint64 WriteColumns(db::Database& d, const QString& table, const QString& keyColumn, const db::Value& key,
                    const RowValues& values)
{
    if (values.isEmpty())
        return 0;
    QStringList sets;
    QList<db::Value> params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        sets << it.key() + QStringLiteral(" = ?");
        params << it.value();
    }
    params << key;
    return d.execute(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
                         QStringLiteral(" WHERE ") + keyColumn + QStringLiteral(" = ?"),
                     params);
}

namespace {

RowValues clashingStored(const RowMerge& merge)
{
    RowValues now;
    for (auto it = merge.clashes.cbegin(); it != merge.clashes.cend(); ++it)
        now.insert(it.key(), merge.stored.value(it.key()));
    return now;
}

}  // namespace

MergedSave SaveLoadedRow(const QString& table, const QString& keyColumn, const db::Value& key, const RowValues& loaded,
                         const RowValues& changed, const ClashAsk& ask, const MergeWrite& write,
                         const ColumnGroups& together)
{
    return SaveMerged([&] { return ReadRow(table, keyColumn, key); }, loaded, changed, ask,
                      [&](db::Database& d, const RowMerge& merge, RowValues& toWrite) {
                          if (write)
                              return write(d, merge, toWrite);
                          WriteColumns(d, table, keyColumn, key, toWrite);
                          return true;
                      },
                      together);
}

DeleteResult DeleteShownRow(const MergeRead& read, const RowValues& shownIn, const DeleteAsk& ask,
                            const DeleteRemove& remove)
{
    // A copy: while the question stands the window may read its rows anew.
    const RowValues shown = shownIn;
    db::Database& d = OpenedDb();
    std::optional<RowValues> confirmed;
    for (;;) {
        {
            db::Transaction transaction(d);
            const std::optional<RowValues> stored = read();
            if (!stored)
                return DeleteResult::Missing;
            if (confirmed && *confirmed == *stored) {
                remove(d, *stored);
                transaction.commit();
                return DeleteResult::Deleted;
            }
            confirmed = stored;
        }
        // Asked outside the lock, about the row as stored now; changed again
        // while the question stands, it is asked anew.
        if (!ask || !ask(*confirmed, ChangesSinceShown(shown, *confirmed)))
            return DeleteResult::Cancelled;
    }
}

DeleteResult DeleteShownRow(const QString& table, const QString& keyColumn, const db::Value& key, const RowValues& shown,
                            const DeleteAsk& ask, const DeleteRemove& remove)
{
    return DeleteShownRow([&] { return ReadRow(table, keyColumn, key); }, shown, ask,
                          [&](db::Database& d, const RowValues& stored) {
                              if (remove) {
                                  remove(d, stored);
                                  return;
                              }
                              d.execute(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ") + keyColumn +
                                            QStringLiteral(" = ?"),
                                        {key});
                          });
}

MergedSave SaveMerged(const MergeRead& read, const RowValues& loadedIn, const RowValues& changedIn, const ClashAsk& ask,
                      const MergeWrite& write, const ColumnGroups& together)
{
    // Copies: while the question stands the window may read its rows anew.
    const RowValues loaded = loadedIn;
    const RowValues changed = changedIn;
    db::Database& d = OpenedDb();
    MergedSave save;
    std::optional<ClashChoice> choice;
    RowValues askedAbout;
    for (;;) {
        bool mustAsk = false;
        {
            db::Transaction transaction(d);
            const std::optional<RowValues> stored = read();
            if (!stored) {
                save.result = MergedSave::Result::Missing;
                return save;
            }
            save.merge = PlanRowMerge(loaded, *stored, changed, together);
            const RowMerge& merge = save.merge;
            // Asked once per set of stored values: another change meanwhile asks anew.
            mustAsk = !merge.clashes.isEmpty() && (!choice || clashingStored(merge) != askedAbout);
            if (!mustAsk) {
                RowValues toWrite = merge.write;
                save.notWritten.clear();
                if (choice == ClashChoice::Mine)
                    toWrite.insert(merge.clashes);
                else
                    save.notWritten = merge.clashes.keys();
                if (!write(d, merge, toWrite)) {
                    save.result = MergedSave::Result::Refused;
                    return save;
                }
                // Read back rather than pieced together: a value keeps the
                // kind the column gives it, so the next save compares alike.
                save.row = read().value_or(merge.stored);
                transaction.commit();
                save.result = MergedSave::Result::Written;
                return save;
            }
        }
        // The lock is given back before a person is asked.
        save.asked = true;
        choice = ask ? ask(save.merge) : ClashChoice::Cancel;
        if (choice == ClashChoice::Cancel) {
            save.result = MergedSave::Result::Cancelled;
            return save;
        }
        askedAbout = clashingStored(save.merge);
    }
}

ShownRowsDelete DeleteShownRows(const QList<std::pair<db::Value, RowValues>>& shownIn, const RowReadByKey& read,
                                const DeleteRowsAsk& ask, const DeleteRowsRemove& remove)
{
    // A copy: while the question stands the window may draw its rows anew.
    const QList<std::pair<db::Value, RowValues>> shown = shownIn;
    db::Database& d = OpenedDb();
    ShownRowsDelete outcome;
    std::optional<QList<RowValues>> confirmed;
    for (;;) {
        QList<ShownRowChange> rows;
        {
            db::Transaction transaction(d);
            QList<RowValues> stored;
            outcome.missing.clear();
            for (const auto& [key, values] : shown) {
                std::optional<RowValues> row = read(key);
                if (!row) {
                    outcome.missing << key;
                    continue;
                }
                rows.append({key, ChangesSinceShown(values, *row)});
                stored << std::move(*row);
            }
            if (rows.isEmpty()) {
                outcome.result = DeleteResult::Missing;
                return outcome;
            }
            if (confirmed && *confirmed == stored) {
                remove(d, rows);
                transaction.commit();
                outcome.result = DeleteResult::Deleted;
                return outcome;
            }
            confirmed = std::move(stored);
        }
        // Asked outside the lock; a row changed or gone while the question
        // stands is asked about anew.
        if (!ask || !ask(rows)) {
            outcome.result = DeleteResult::Cancelled;
            return outcome;
        }
    }
}
