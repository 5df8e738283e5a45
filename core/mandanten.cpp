#include "core/mandanten.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "platform/db/error.h"

QString GetMandantImageFile(qint32 mandantId)
{
    if (mandantId < 1)
        return {};
    db::Recordset rs = OpenedDb().openRecordset(QStringLiteral("SELECT mand_imagefile FROM tbl_mandanten WHERE mand_id = ?"),
                                                db::OpenMode::ForwardOnlyReadOnly, {mandantId});
    return rs.eof() ? QString() : rs.value(QStringLiteral("mand_imagefile")).toText();
}

bool SaveMandantImageFile(qint32 mandantId, const QString& file)
{
    if (mandantId < 1 || file.isEmpty())
        return false;
    return OpenedDb().execute(QStringLiteral("UPDATE tbl_mandanten SET mand_imagefile = ? WHERE mand_id = ?"),
                              {file, mandantId}) > 0;
}
