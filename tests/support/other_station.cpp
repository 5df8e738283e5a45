#include "tests/support/other_station.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/workstation.h"

#include <utility>

namespace test {

OtherStation::OtherStation(const QString& path, const QString& computerName)
    : m_db(db::Database::open(path)), m_computerName(computerName)
{
    // A row of its own, logged in now; its settings are the table's defaults.
    m_db->execute(QStringLiteral("INSERT INTO tbl_workstations (ws_computername, ws_logindate, ws_lastaccess) VALUES (?, ?, ?)"),
                  {m_computerName, rt::Date::now(), rt::Date::now()});
    m_stationId = value(QStringLiteral("SELECT Max(ws_id) FROM tbl_workstations")).toLong();
}

OtherStation::~OtherStation() = default;

void OtherStation::run(const std::function<void()>& fn)
{
    struct Swap {
        OtherStation& s;
        explicit Swap(OtherStation& station) : s(station)
        {
            std::swap(Db, s.m_db);
            std::swap(ComputerName, s.m_computerName);
            std::swap(StationId, s.m_stationId);
        }
        ~Swap()
        {
            std::swap(Db, s.m_db);
            std::swap(ComputerName, s.m_computerName);
            std::swap(StationId, s.m_stationId);
        }
    } swap(*this);
    fn();
}

qint64 OtherStation::exec(const QString& sql, const QList<db::Value>& params)
{
    return m_db->execute(sql, params);
}

db::Value OtherStation::value(const QString& sql, const QList<db::Value>& params)
{
    db::Recordset rs = m_db->openRecordset(sql, db::OpenMode::ForwardOnlyReadOnly, params);
    return rs.eof() ? db::Value() : rs.field(0).value();
}

}  // namespace test
