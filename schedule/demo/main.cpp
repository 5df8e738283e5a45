// Fills the schedule with generated places and bookings, the way the plan
// window does, and answers drops and deletes by changing its own list.
//
//   velmorant_schedule_demo [--places N] [--days D] [--mode 0|9|10] [--noon] [--grab file.png]

#include "platform/runtime/color.h"
#include "platform/runtime/format.h"
#include "schedule/usercontrol1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <vector>

namespace {

struct Booking {
    qint32 id;
    qint32 place;
    rt::Date start;
    rt::Date end;
    QString guest;
    qint32 colour;
};

const char* kNames[] = {"Berger", "Huber", "Wagner", "Maier", "Schmid", "Fischer", "Weber", "Lang",
                        "Koch",   "Brunner", "Auer", "Wolf",  "Hofer", "Pichler", "Moser", "Steiner"};
const qint32 kColours[] = {rt::rgb(255, 220, 150), rt::rgb(170, 220, 255), rt::rgb(190, 240, 170),
                           rt::rgb(255, 190, 200), rt::rgb(220, 200, 255)};

struct Demo {
    UserControl1* schedule = nullptr;
    int places = 60;
    int days = 90;
    int mode = 10;
    bool noon = false;   // the period starts at 12:00, as the plan's first fill does
    rt::Date first;
    std::vector<Booking> bookings;
    qint32 nextId = 40000;  // ids above the 16-bit range on purpose

    void generate()
    {
        QRandomGenerator rnd(7);
        first = rt::Date::today().addDays(-7).atNoon();
        for (int p = 0; p < places; ++p) {
            rt::Date d = first.addDays(-static_cast<int>(rnd.bounded(4)));
            const rt::Date last = first.addDays(days);
            while (d < last) {
                d = d.addDays(rnd.bounded(0, 4));
                const int nights = 1 + static_cast<int>(rnd.bounded(9));
                Booking b{nextId++, 70000 + p, d, d.addDays(nights),
                          QString::fromLatin1(kNames[rnd.bounded(16)]) + QStringLiteral(" (")
                              + QString::number(1 + rnd.bounded(4)) + QLatin1Char(')'),
                          kColours[rnd.bounded(5)]};
                bookings.push_back(b);
                d = b.end;
            }
        }
    }

    // The host's fill order.
    void fill()
    {
        schedule->ClearResources();
        for (int p = 0; p < places; ++p)
            schedule->AddResource(70000 + p, QStringLiteral("Zimmer %1").arg(101 + p), p % 10 == 0 ? rt::rgb(255, 255, 200) : 0, p);
        if (mode == 10) {
            schedule->TimeScaleUnit(QStringLiteral("h"));
            schedule->TimeScaleInterval(6);
        } else {
            schedule->TimeScaleUnit(QStringLiteral("n"));
            schedule->TimeScaleInterval(15);
        }
        schedule->TableMode(mode);
        schedule->PaintResources();
        schedule->ClearTimeObjects();
        // Days down show today, where every place has its bookings; the week
        // view shows the hours of each day of this week.
        rt::Date start = noon ? first : first.datePart();
        if (mode != 10)
            start = rt::Date::today().datePart();
        if (mode == 9)
            start = start.addDays(1 - start.isoWeekday());
        if (mode == 10)
            schedule->SetScaleDateTimeLimits(start, start.addDays(days));
        else
            schedule->SetScaleDateTimeLimits(start, start.addDays(1));
        schedule->PaintScale();
        for (const Booking& b : bookings)
            schedule->AddTimeObject(0, b.id, b.place, 0, b.start, b.end, b.colour, b.guest);
        schedule->PaintTimeObjects();
    }
};

QString text(const rt::Date& d)
{
    return rt::formatDate(d, QStringLiteral("dd.mm.yyyy hh:nn"));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("places"), QStringLiteral("Number of places."), QStringLiteral("n"), QStringLiteral("60")});
    parser.addOption({QStringLiteral("days"), QStringLiteral("Days shown."), QStringLiteral("n"), QStringLiteral("90")});
    parser.addOption({QStringLiteral("mode"), QStringLiteral("Table mode, 0, 9 or 10."), QStringLiteral("n"), QStringLiteral("10")});
    parser.addOption({QStringLiteral("noon"), QStringLiteral("Start the days across at 12:00.")});
    parser.addOption({QStringLiteral("grab"), QStringLiteral("Save a picture of the window and end."), QStringLiteral("file")});
    parser.process(app);

    UserControl1 schedule;
    schedule.setWindowTitle(QStringLiteral("Belegungsplan (Demo)"));
    schedule.resize(1000, 600);

    Demo demo;
    demo.schedule = &schedule;
    demo.places = parser.value(QStringLiteral("places")).toInt();
    demo.days = parser.value(QStringLiteral("days")).toInt();
    demo.mode = parser.value(QStringLiteral("mode")).toInt();
    demo.noon = parser.isSet(QStringLiteral("noon"));
    demo.generate();

    schedule.GridColor(0xC0C0C0);
    schedule.BackColor(0xFFFFFF);
    schedule.ClearResources();
    schedule.show();
    QElapsedTimer clock;
    clock.start();
    demo.fill();
    QTextStream out(stdout);
    out << demo.places << " places, " << demo.bookings.size() << " bookings filled in " << clock.elapsed() << " ms\n";
    out.flush();

    QObject::connect(&schedule, &UserControl1::TimeObjectClick, [&](qint32 id) { out << "click " << id << "\n"; out.flush(); });
    QObject::connect(&schedule, &UserControl1::TimeObjectDblClick, [&](qint32 id) { out << "double-click " << id << "\n"; out.flush(); });
    QObject::connect(&schedule, &UserControl1::ResourceHeaderClick, [&](qint32 id, const QString& name) {
        out << "place " << id << " " << name << "\n";
        out.flush();
    });
    QObject::connect(&schedule, &UserControl1::ScheduleDblClick, [&](QVector<qint32> ids, rt::Date s, rt::Date e) {
        out << "new booking on " << ids.value(0) << " from " << text(s) << " to " << text(e) << "\n";
        out.flush();
    });
    QObject::connect(&schedule, &UserControl1::RubberbandSelected, [&](qint32 id, const QString& name, rt::Date s, rt::Date e) {
        out << "period on " << id << " " << name << ": " << text(s) << " - " << text(e) << "\n";
        out.flush();
    });
    QObject::connect(&schedule, &UserControl1::TimeObjectDelete, [&](QVector<qint32> ids) {
        std::erase_if(demo.bookings, [&](const Booking& b) { return ids.contains(b.id); });
        demo.fill();
    });
    QObject::connect(&schedule, &UserControl1::TimeObjectDragDrop,
                     [&](QVector<qint32> ids, qint32 oldRes, qint32 newRes, rt::Date oldStart, rt::Date newStart, bool copy) {
                         const qint64 shift = oldStart.toQDate().daysTo(newStart.toQDate());
                         if (shift == 0 && oldRes == newRes)
                             return;
                         std::vector<Booking> added;
                         for (Booking& b : demo.bookings) {
                             if (!ids.contains(b.id))
                                 continue;
                             Booking& target = copy ? added.emplace_back(b) : b;
                             if (copy)
                                 target.id = demo.nextId++;
                             if (newRes > 0 && newRes != oldRes)
                                 target.place = newRes;
                             target.start = target.start.addDays(double(shift));
                             target.end = target.end.addDays(double(shift));
                         }
                         demo.bookings.insert(demo.bookings.end(), added.begin(), added.end());
                         demo.fill();
                     });

    const QString grab = parser.value(QStringLiteral("grab"));
    if (!grab.isEmpty()) {
        QTimer::singleShot(0, [&] {
            QElapsedTimer paint;
            paint.start();
            const QPixmap picture = schedule.grab();
            out << "painted in " << paint.elapsed() << " ms\n";
            out.flush();
            picture.save(grab);
            app.quit();
        });
    }
    return app.exec();
}
