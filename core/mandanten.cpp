#include "core/mandanten.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"
#include "platform/ui/busy.h"

namespace {

const QString Table = QStringLiteral("tbl_mandanten");
const QString IdColumn = QStringLiteral("mand_id");
const QString NameColumn = QStringLiteral("mand_name");
const QString PictureColumn = QStringLiteral("mand_imagefile");

// One field of the facility, written over what the window showed of it.
MergedSave storeOverShown(qint32 mandantId, const QString& column, const QString& shown, const QString& value)
{
    MergedSave save;
    if (mandantId < 1 || value.isEmpty()) {
        save.result = MergedSave::Result::Refused;
        return save;
    }
    std::optional<RowValues> loaded = ReadRow(Table, IdColumn, mandantId);
    if (!loaded) {
        save.result = MergedSave::Result::Missing;
        return save;
    }
    // Compared with what the window showed: a value another workstation
    // stored since it read the row is not replaced unasked. The window may
    // show the stored value trimmed, and an empty one as nothing.
    if (loaded->value(column).toText().trimmed() != shown.trimmed())
        loaded->insert(column, db::textOrNull(shown));
    const QString rowName = MandantRowName(loaded->value(NameColumn).toText().trimmed(), mandantId);
    const QList<MergeField> fields{MergeField(QStringLiteral("Name"), {NameColumn}),
                                   MergeField(QStringLiteral("Bild"), {PictureColumn})};
    return SaveLoadedRow(Table, IdColumn, mandantId, *loaded,
                         ChangedColumns({{column, loaded->value(column)}}, {{column, db::Value(value)}}),
                         [&rowName, &fields](const RowMerge& merge) {
                             ui::WaitCursor::restoreTo(0);
                             return AskClash(rowName, fields, merge);
                         });
}

}  // namespace

QString GetMandantImageFile(qint32 mandantId)
{
    if (mandantId < 1)
        return {};
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = ?"),
                                                db::OpenMode::ForwardOnlyReadOnly, {mandantId});
    return rs.eof() ? QString() : rs.value(QStringLiteral("mand_imagefile")).toText();
}

MergedSave RenameMandant(qint32 mandantId, const QString& shownName, const QString& name)
{
    return storeOverShown(mandantId, NameColumn, shownName, name);
}

MergedSave StoreMandantImageFile(qint32 mandantId, const QString& shownFile, const QString& file)
{
    return storeOverShown(mandantId, PictureColumn, shownFile, file);
}

QString MandantRowName(const QString& name, qint32 mandantId)
{
    return name.isEmpty() ? QStringLiteral("Der Mandant ") + QString::number(mandantId)
                          : QStringLiteral("Der Mandant \"") + name + QLatin1Char('"');
}
