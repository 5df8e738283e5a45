#include "core/appointments.h"

#include "core/database.h"
#include "platform/db/database.h"

#include <algorithm>

namespace {

bool hasAppointments(db::Database& d)
{
    return d.tableNames().contains(QStringLiteral("Termine"), Qt::CaseInsensitive);
}

}  // namespace

std::optional<qint32> CountOldAppointments(int days)
{
    db::Database& d = OpenedDb();
    if (!hasAppointments(d))
        return std::nullopt;
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT Count(*) AS n FROM Termine WHERE Datum_Ende < Now - ?;"),
                                       db::OpenMode::ForwardOnlyReadOnly, {db::Value(std::max(days, 1))});
    return rs.value(QStringLiteral("n")).toLong();
}

std::optional<qint64> DeleteOldAppointments(int days)
{
    db::Database& d = OpenedDb();
    if (!hasAppointments(d))
        return std::nullopt;
    return d.execute(QStringLiteral("DELETE * FROM Termine WHERE Datum_Ende < Now - ?;"), {db::Value(std::max(days, 1))});
}
