// A second workstation for the maintenance tests, in a process of its own:
// it logs in on the database file and writes bookings (and edits its first
// one) as fast as it can, as the program writes them, until the stop file
// appears. After each commit it prints "ok <book_id> <info of the first>",
// after a failed write "err <number>", and "done" when it has logged out.

#include "platform/db/database.h"
#include "platform/db/transaction.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

namespace {

void say(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    const QString path = args[1];
    const QString station = args[2];
    const QString stopFile = args[3];
    std::unique_ptr<db::Database> d;
    qint64 stationId = 0;
    try {
        d = db::Database::open(path);
        db::Recordset ws = d->openRecordset(QStringLiteral("SELECT * FROM tbl_workstations WHERE ws_id = -1"));
        ws.addNew();
        stationId = ws.value(QStringLiteral("ws_id")).toLong();
        ws.field(QStringLiteral("ws_computername")).setValue(station);
        ws.field(QStringLiteral("ws_LoginDate")).setValue(rt::Date::now());
        ws.update();
    } catch (const db::DbError& e) {
        say(QStringLiteral("err ") + QString::number(e.number()));
        return 1;
    }

    qint64 first = 0;
    QString firstInfo;
    for (int n = 1; !QFileInfo::exists(stopFile); ++n) {
        try {
            db::Transaction transaction(*d);
            db::Recordset rs = d->openRecordset(QStringLiteral("SELECT * FROM tbl_bookings WHERE book_id = -1"));
            rs.addNew();
            const qint64 id = rs.value(QStringLiteral("book_id")).toLong();
            const rt::Date day = rt::Date::today().addDays(n);
            rs.field(QStringLiteral("book_place_id")).setValue(db::Value(1 + n % 20));
            rs.field(QStringLiteral("book_cust_count")).setValue(db::Value(1));
            rs.field(QStringLiteral("book_start")).setValue(db::Value(day.atNoon()));
            rs.field(QStringLiteral("book_end")).setValue(db::Value(day.addDays(1).atNoon()));
            rs.field(QStringLiteral("book_info")).setValue(station + QStringLiteral(" ") + QString::number(n));
            rs.update();
            QString info = firstInfo;
            if (first > 0 && n % 5 == 0) {
                info = QStringLiteral("geändert ") + QString::number(n);
                db::Recordset edit = d->openRecordset(QStringLiteral("SELECT book_info FROM tbl_bookings WHERE book_id = ?"),
                                                      db::OpenMode::Dynaset, {db::Value(first)});
                edit.edit();
                edit.field(QStringLiteral("book_info")).setValue(info);
                edit.update();
            }
            transaction.commit();
            if (first == 0) {
                first = id;
                info = firstInfo = station + QStringLiteral(" ") + QString::number(n);
            }
            firstInfo = info;
            say(QStringLiteral("ok ") + QString::number(id) + QLatin1Char(' ') + firstInfo);
        } catch (const db::DbError& e) {
            say(QStringLiteral("err ") + QString::number(e.number()));
        }
        QThread::msleep(3);
    }
    try {
        d->execute(QStringLiteral("UPDATE tbl_workstations SET ws_LoginDate = NULL WHERE ws_id = ?"), {db::Value(stationId)});
    } catch (const db::DbError&) {
    }
    say(QStringLiteral("done"));
    return 0;
}
