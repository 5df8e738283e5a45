#pragma once

#include "platform/db/database.h"

#include <QString>

#include <functional>
#include <memory>

namespace test {

// Another workstation on the test's database file: a connection of its own
// and a workstation row of its own. run() does program work as that station:
// the connection and the station's globals are swapped in for the call and
// put back afterwards, so the program's own functions write as the other
// station does.
class OtherStation {
public:
    explicit OtherStation(const QString& path, const QString& computerName = QStringLiteral("pc2"));
    ~OtherStation();
    OtherStation(const OtherStation&) = delete;
    OtherStation& operator=(const OtherStation&) = delete;

    void run(const std::function<void()>& fn);
    // One statement on the station's connection (rows changed).
    qint64 exec(const QString& sql, const QList<db::Value>& params = {});
    // The first column of the first row, read by the station; Null when none.
    db::Value value(const QString& sql, const QList<db::Value>& params = {});

private:
    std::unique_ptr<db::Database> m_db;
    QString m_computerName;
    qint32 m_stationId = 0;
};

}  // namespace test
