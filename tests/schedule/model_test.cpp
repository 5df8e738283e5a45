#include "schedule/schedule_model.h"

#include <gtest/gtest.h>

#include <algorithm>

using sched::Event;
using sched::ScheduleModel;

namespace {

rt::Date at(int day, int hour = 0, int minute = 0)
{
    return rt::Date::fromParts(2024, 3, day, hour, minute);
}

// Seconds between two dates, for comparisons that allow rounding.
double secondsBetween(const rt::Date& a, const rt::Date& b)
{
    return std::abs(a.daysSince(b)) * 86400.0;
}

int slotOf(const ScheduleModel& m, qint32 id)
{
    for (size_t i = 1; i < m.timeObjects().size(); ++i)
        if (m.timeObjects()[i].id == id)
            return static_cast<int>(i);
    return 0;
}

// The plan window's way of filling the control: rows of 20 pixels, one day
// 40 pixels wide. Monday 04.03.2024 00:00 to the next Monday.
//   row 0 (y 0-19)   resource 40001: booking 50001, 05.03. 12:00 - 07.03. 12:00, label x 60-140
//   row 1 (y 20-39)  resource 40002: booking 50002, 06.03. 12:00 - 08.03. 12:00, label x 100-180
//   row 2 (y 40-59)  resource 40003: work object 50003 (x 20-40, y 40-45) and booking 50004
//                    01.03. 12:00 - 05.03. 12:00, cut at the start of the scale (x 0-60)
class PlanSchedule : public ::testing::Test {
protected:
    void SetUp() override
    {
        m.resize(QSize(1000, 600));
        fill(3);
    }

    void fill(int resources)
    {
        m.clearResources();
        for (int i = 0; i < resources; ++i)
            m.addResource(40001 + i, QStringLiteral("Zimmer %1").arg(i + 1), 0, i);
        m.setTimeScaleUnit(QStringLiteral("h"));
        m.setTimeScaleInterval(6);
        m.setTableMode(10);
        m.paintResources();
        m.clearTimeObjects();
        m.setScaleDateTimeLimits(at(4), at(11));
        m.paintScale();
        m.addTimeObject(0, 50001, 40001, 0, at(5, 12), at(7, 12), 0xFFFF, QStringLiteral("Huber"));
        m.addTimeObject(0, 50002, 40002, 0, at(6, 12), at(8, 12), 0xFFFF, QStringLiteral("Maier"));
        m.addTimeObject(1, 50003, 40003, 0, at(4, 12), at(5), 0xFF, QStringLiteral("Reinigung"));
        m.addTimeObject(0, 50004, 40003, 0, at(1, 12), at(5, 12), 0xFF00, QStringLiteral("Berger"));
        m.paintTimeObjects();
    }

    QRect labelRect(qint32 id) const { return m.labels()[slotOf(m, id)].rect; }

    ScheduleModel m;
};

}  // namespace

// ---------------------------------------------------------------- lists

TEST(ScheduleSlots, ResourceSlotsAreReusedFromOneGrowByOneAndNeverShrink)
{
    ScheduleModel m;
    m.resize(QSize(1000, 600));
    m.setTableMode(10);
    for (int i = 0; i < 3; ++i)
        m.addResource(10 + i, QString(), 0, i);
    ASSERT_EQ(m.resources().size(), 4u);
    m.paintResources();
    const int oldStart3 = m.resources()[3].startPx;

    m.clearResources();
    EXPECT_EQ(m.resources().size(), 4u);
    m.addResource(20, QString(), 0, 0);
    m.addResource(21, QString(), 0, 1);
    EXPECT_EQ(m.resources()[1].id, 20);
    EXPECT_EQ(m.resources()[2].id, 21);
    EXPECT_LT(m.resources()[3].id, 1);
    EXPECT_EQ(m.resources()[3].startPx, oldStart3) << "a freed slot keeps its span";

    m.addResource(22, QString(), 0, 2);
    m.addResource(23, QString(), 0, 3);
    ASSERT_EQ(m.resources().size(), 5u) << "one free slot reused, then one more";
    EXPECT_EQ(m.resources()[3].id, 22);
    EXPECT_EQ(m.resources()[4].id, 23);
}

TEST(ScheduleSlots, NewResourceAtAnOccupiedPositionPushesTheOthersOn)
{
    ScheduleModel m;
    for (int i = 0; i < 3; ++i)
        m.addResource(1 + i, QString(), 0, i);
    m.addResource(9, QString(), 0, 0);
    EXPECT_EQ(m.resources()[1].position, 1);
    EXPECT_EQ(m.resources()[2].position, 2);
    EXPECT_EQ(m.resources()[3].position, 3);
    EXPECT_EQ(m.resources()[4].position, 0);

    // Removing the first column closes the gap instead of leaving it empty.
    m.removeResource(9);
    EXPECT_EQ(m.resources()[1].position, 0);
    EXPECT_EQ(m.resources()[3].position, 2);
    m.removeResource(12345);
    EXPECT_EQ(m.resources()[1].position, 0);
}

TEST_F(PlanSchedule, ClearedTimeObjectSlotsAreReusedAndHidden)
{
    const size_t size = m.timeObjects().size();
    m.clearTimeObjects();
    for (size_t i = 1; i < size; ++i)
        EXPECT_FALSE(m.labels()[i].visible);
    m.addTimeObject(0, 50009, 40002, 0, at(5, 12), at(6, 12), 0, QStringLiteral("Neu"));
    EXPECT_EQ(slotOf(m, 50009), 1);
    EXPECT_EQ(m.timeObjects().size(), size);
    m.paintTimeObjects();
    EXPECT_TRUE(m.labels()[1].visible);
    EXPECT_FALSE(m.labels()[2].visible);

    m.removeTimeObject(50009);
    EXPECT_FALSE(m.labels()[1].visible);
    EXPECT_EQ(m.timeObjects()[1].resourceId, -1);
}

TEST_F(PlanSchedule, ARemovedObjectsSlotIsTakenFirstThenTheListGrows)
{
    // Slots 1-4 hold 50001-50004.
    m.removeTimeObject(50002);
    m.removeTimeObject(50004);
    m.addTimeObject(0, 50005, 40001, 0, at(8, 12), at(9, 12), 0, QStringLiteral("A"));
    m.addTimeObject(0, 50006, 40002, 0, at(8, 12), at(9, 12), 0, QStringLiteral("B"));
    m.addTimeObject(0, 50007, 40003, 0, at(8, 12), at(9, 12), 0, QStringLiteral("C"));
    EXPECT_EQ(slotOf(m, 50005), 2);
    EXPECT_EQ(slotOf(m, 50006), 4);
    EXPECT_EQ(slotOf(m, 50007), 5);
    EXPECT_EQ(slotOf(m, 50001), 1);
    EXPECT_EQ(slotOf(m, 50003), 3);
    m.paintTimeObjects();
    EXPECT_TRUE(m.labels()[5].visible);
    EXPECT_EQ(m.labels()[5].rect.top(), 40 + 5);   // row 2, below its work strip
}

// ---------------------------------------------------------------- layout and mapping

TEST_F(PlanSchedule, RowsAndLabelsOfThePlanLayout)
{
    EXPECT_EQ(m.resources()[1].startPx, 0);
    EXPECT_EQ(m.resources()[1].endPx, 19);
    EXPECT_EQ(m.resources()[2].startPx, 20);
    EXPECT_EQ(m.resources()[2].endPx, 39);
    EXPECT_EQ(m.canvasSize(), QSize(280, 59));

    EXPECT_EQ(labelRect(50001), QRect(60, 5, 80, 14));
    EXPECT_EQ(labelRect(50003), QRect(20, 40, 20, 5)) << "work object: strip at the top of its row";
    EXPECT_EQ(labelRect(50004), QRect(0, 45, 60, 14)) << "cut at the scale start";
}

TEST(ScheduleLayout, ColumnsShareTheirBoundaryRoundedHalfToEven)
{
    ScheduleModel m;
    m.resize(QSize(341, 5000));  // lanes 301 pixels wide, no scroll bar
    m.addResource(1, QString(), 0, 0);
    m.addResource(2, QString(), 0, 1);
    m.paintScale();
    m.paintResources();
    EXPECT_EQ(m.resources()[1].endPx, 150);
    EXPECT_EQ(m.resources()[2].startPx, 150);
    EXPECT_EQ(m.resources()[2].endPx, 301);
    EXPECT_EQ(m.hitTestResource(150, 0), 1) << "the shared pixel belongs to the lower slot";
}

TEST(ScheduleLayout, DaysDownwardsFollowThePeriodSetAfterThePlaces)
{
    const auto texts = [](const ScheduleModel& m, sched::SurfaceId id) {
        QStringList out;
        for (const sched::Primitive& p : m.surface(id).prims)
            if (p.type == sched::Primitive::Text)
                out << p.text;
        return out;
    };
    ScheduleModel m;
    m.resize(QSize(800, 600));
    // The host's order: places first, the period afterwards.
    for (const rt::Date& monday : {at(11), at(4), at(11)}) {
        m.clearResources();
        m.addResource(1, QStringLiteral("Zimmer 1"), 0, 0);
        m.addResource(2, QStringLiteral("Zimmer 2"), 0, 1);
        m.setTimeScaleUnit(QStringLiteral("n"));
        m.setTimeScaleInterval(15);
        m.setTableMode(9);
        m.paintResources();
        m.clearTimeObjects();
        m.setScaleDateTimeLimits(monday, monday.addDays(1));
        m.paintScale();
    }
    const QStringList header = texts(m, sched::SurfaceId::HeaderH);
    EXPECT_EQ(header.count(QStringLiteral("Mo, 11.03.")), 1) << header.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(header.count(QStringLiteral("So, 17.03.")), 1);
    EXPECT_FALSE(header.contains(QStringLiteral("Mo, 04.03.")));
    EXPECT_EQ(header.count(QStringLiteral("Zimmer 2")), 7);
    EXPECT_EQ(texts(m, sched::SurfaceId::Corner), (QStringList{QStringLiteral("KW11"), QStringLiteral("Zeit")}));

    // Lane lines reach down the whole day, not the canvas height of the last fill.
    m.setTableMode(0);
    m.setScaleDateTimeLimits(at(4), at(5));
    m.paintResources();
    m.paintScale();
    const int x = m.resources()[2].startPx;
    const auto& prims = m.surface(sched::SurfaceId::Canvas).prims;
    const auto lanes = std::count_if(prims.begin(), prims.end(), [&](const sched::Primitive& p) {
        return p.type == sched::Primitive::Line && p.p1 == QPoint(x, 0) && p.p2 == QPoint(x, 1440);
    });
    EXPECT_EQ(lanes, 1);
}

TEST(ScheduleMapping, PixelsAndDatesAgreeInEveryTableMode)
{
    ScheduleModel m;
    m.resize(QSize(800, 3000));
    m.addResource(1, QString(), 0, 0);

    // Time across: 40 pixels a day.
    m.setTableMode(10);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.paintResources();
    m.setScaleDateTimeLimits(at(11), at(4));  // the later date first
    m.paintScale();
    EXPECT_EQ(m.scaleStart(), at(4));
    EXPECT_LT(secondsBetween(m.pixelToDate(280, 999), at(11)), 1);
    for (double x : {0.0, 37.0, 140.0, 279.0}) {
        const rt::Date d = m.pixelToDate(x, 0);
        const auto span = m.timeObjectPixels(d, d.addDays(1));
        if (x > 0) {
            ASSERT_TRUE(span.shown);
            EXPECT_NEAR(span.p1, x, 1e-6);
        }
    }

    // Time downwards, a minute a pixel; the week view maps y the same way.
    for (int mode : {0, 9}) {
        m.setTableMode(mode);
        m.setTimeScaleUnit(QStringLiteral("n"));
        m.setTimeScaleInterval(15);
        m.setScaleDateTimeLimits(at(4), at(5));
        m.paintScale();
        m.paintResources();
        ASSERT_EQ(m.canvasSize().height(), 1440) << mode;
        EXPECT_LT(secondsBetween(m.pixelToDate(999, 750), at(4, 12, 30)), 1) << mode;
        const auto span = m.timeObjectPixels(at(4, 12, 30), at(4, 13));
        EXPECT_NEAR(span.p1, 750, 1e-6) << mode;
    }

    m.setTableMode(5);
    EXPECT_TRUE(m.pixelToDate(10, 10).isZero());
}

TEST(ScheduleMapping, ObjectsAtAndAroundTheEdgesOfThePeriod)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.setTableMode(10);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.setScaleDateTimeLimits(at(4), at(11));
    m.paintScale();

    EXPECT_FALSE(m.timeObjectPixels(at(1), at(4)).shown) << "ends at the start";
    EXPECT_FALSE(m.timeObjectPixels(at(11), at(12)).shown) << "starts at the end";
    const auto across = m.timeObjectPixels(at(1), at(20));
    EXPECT_EQ(across.p1, 0);
    EXPECT_EQ(across.p2, 280);
    const auto brief = m.timeObjectPixels(at(5, 12), at(5, 13));
    EXPECT_NEAR(brief.p2 - brief.p1, 5, 1e-9);
    const auto noEnd = m.timeObjectPixels(at(6), std::nullopt);
    EXPECT_NEAR(noEnd.p1, 80, 1e-9);
    EXPECT_NEAR(noEnd.p2, 85, 1e-9);
    EXPECT_FALSE(m.timeObjectPixels(std::nullopt, std::nullopt).shown);

    // An empty period neither divides by zero nor shows anything.
    m.setScaleDateTimeLimits(at(6), at(6));
    m.paintScale();
    EXPECT_FALSE(m.timeObjectPixels(at(5), at(7)).shown);
    EXPECT_EQ(m.pixelToDate(50, 0), at(6));
}

// ---------------------------------------------------------------- scale

TEST(ScheduleScale, DaysWeeksAndWeekendsAcrossThePlan)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.setTableMode(10);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.setScaleDateTimeLimits(at(4, 12), at(11, 12));
    m.paintScale();

    EXPECT_EQ(m.canvasSize().width(), 280);
    std::vector<int> dayTicks;
    for (size_t i = 0; i < m.ticks().size(); ++i) {
        EXPECT_EQ(m.ticks()[i].pos, static_cast<int>(i) * 10);
        if (m.ticks()[i].major)
            dayTicks.push_back(m.ticks()[i].pos);
    }
    EXPECT_EQ(dayTicks, (std::vector<int>{0, 20, 60, 100, 140, 180, 220, 260}));
    EXPECT_GT(m.ticks().back().date, at(11, 12)) << "one tick past the end";
    EXPECT_EQ(m.ticks().size(), 30u);

    std::vector<std::pair<int, QString>> weeks;
    std::vector<std::pair<int, int>> weekend;
    for (const auto& p : m.surface(sched::SurfaceId::HeaderH).prims) {
        if (p.type == sched::Primitive::Text && p.text.startsWith(QStringLiteral("KW")))
            weeks.emplace_back(p.p1.x(), p.text);
        if (p.type == sched::Primitive::Bar && p.colour == 0xA0FF) {
            EXPECT_EQ(p.p1.y(), 15);
            EXPECT_EQ(p.p2.y(), 30);
            weekend.emplace_back(p.p1.x(), p.p2.x());
        }
    }
    EXPECT_EQ(weeks, (std::vector<std::pair<int, QString>>{{2, QStringLiteral("KW 10")}, {262, QStringLiteral("KW 11")}}));
    EXPECT_EQ(weekend, (std::vector<std::pair<int, int>>{{181, 220}, {221, 260}}));
}

TEST(ScheduleScale, AScaleStartingAtNoonKeepsTheFirstDaysMarkAndLabelsOnThatDay)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.setTableMode(10);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.setScaleDateTimeLimits(at(9, 12), at(16, 12));  // Saturday noon to Saturday noon
    m.paintScale();

    std::vector<std::pair<int, int>> weekend;
    std::vector<std::pair<int, int>> firstLabels;
    for (const auto& p : m.surface(sched::SurfaceId::HeaderH).prims) {
        if (p.type == sched::Primitive::Bar && p.colour == 0xA0FF)
            weekend.emplace_back(p.p1.x(), p.p2.x());
        if (p.type == sched::Primitive::Text && !p.text.startsWith(QStringLiteral("KW")) && p.p1.x() < 20)
            firstLabels.emplace_back(p.p1.x(), p.maxWidth);
    }
    // Saturday's half ends at Sunday's line at 20; Sunday runs from there to Monday's.
    ASSERT_GE(weekend.size(), 2u);
    EXPECT_EQ(weekend[0], std::make_pair(1, 20));
    EXPECT_EQ(weekend[1], std::make_pair(21, 60));
    // Day name and date of the half day stay inside it; whole days keep theirs whole.
    EXPECT_EQ(firstLabels, (std::vector<std::pair<int, int>>{{2, 18}, {2, 18}}));
    // The date is shortened to fit, never cut: "09.03." in six pixels a letter
    // is too wide for the half day's 18, "9." is not.
    const auto sixEach = [](const QString& t) { return 6 * static_cast<int>(t.size()); };
    QStringList shown;
    for (const auto& p : m.surface(sched::SurfaceId::HeaderH).prims)
        if (p.type == sched::Primitive::Text && p.p1.x() < 20 && p.maxWidth > 0)
            shown << sched::shownText(p, sixEach);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Sa"), QStringLiteral("9.")}));
    for (const auto& p : m.surface(sched::SurfaceId::HeaderH).prims) {
        if (p.type == sched::Primitive::Text && p.p1.x() >= 20) {
            EXPECT_EQ(p.maxWidth, 0) << p.text.toStdString();
        }
    }
}

TEST(ScheduleScale, HoursDownwardsStartingBetweenFullHours)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.setScaleDateTimeLimits(at(4, 12, 40), at(4, 15));
    m.paintScale();
    ASSERT_GE(m.ticks().size(), 3u);
    EXPECT_FALSE(m.ticks()[0].major) << "12:40";
    EXPECT_FALSE(m.ticks()[1].major) << "12:55";
    EXPECT_TRUE(m.ticks()[2].major) << "13:10 is the first tick of a new hour";
    EXPECT_EQ(m.ticks()[2].pos, 30);
}

TEST(ScheduleScale, ThePlansLongestPeriodFitsWhole)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.addResource(1, QString(), 0, 0);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.setTableMode(10);
    m.paintResources();
    m.setScaleDateTimeLimits(at(1), at(1).addDays(255));
    EXPECT_FALSE(m.paintScale());
    EXPECT_EQ(m.canvasSize().width(), 255 * 40);
    EXPECT_EQ(m.shownEnd(), m.scaleEnd());
    EXPECT_EQ(m.ticks().back().date, at(1).addDays(255).addHours(6)) << "one tick past the end";
    const auto span = m.timeObjectPixels(at(1).addDays(250), at(1).addDays(252));
    EXPECT_NEAR(span.p1, 250 * 40, 1e-6) << "a bar at the end sits under its day";
    EXPECT_LT(secondsBetween(m.pixelToDate(250 * 40, 5), at(1).addDays(250)), 1);
}

TEST(ScheduleScale, ACutPeriodKeepsTicksBarsAndDatesTogether)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.addResource(1, QString(), 0, 0);
    const int days = ScheduleModel::MaxCanvasLength / 1440 + 4;
    m.setScaleDateTimeLimits(at(4), at(4).addDays(days));
    EXPECT_TRUE(m.paintScale());
    m.paintResources();
    EXPECT_EQ(m.canvasSize().height(), ScheduleModel::MaxCanvasLength);
    EXPECT_LT(secondsBetween(m.shownEnd(), at(4).addDays(ScheduleModel::MaxCanvasLength / 1440.0)), 1);

    for (const sched::Tick& t : m.ticks()) {
        ASSERT_LE(t.pos, ScheduleModel::MaxCanvasLength + 15);
        if (t.pos <= ScheduleModel::MaxCanvasLength) {
            EXPECT_LT(secondsBetween(m.pixelToDate(0, t.pos), t.date), 1) << t.pos;
        }
    }
    const auto span = m.timeObjectPixels(at(8), at(9));
    EXPECT_NEAR(span.p1, 4 * 1440, 1e-6) << "a bar sits under its scale date";
    EXPECT_FALSE(m.timeObjectPixels(at(4).addDays(days - 1), at(4).addDays(days)).shown) << "past the cut";
}

TEST(ScheduleScale, UnusableIntervalsAndUnitsDrawNoScale)
{
    ScheduleModel m;
    m.resize(QSize(800, 600));
    m.setTableMode(10);
    m.setScaleDateTimeLimits(at(4), at(11));
    for (double interval : {0.0, -6.0}) {
        m.setTimeScaleUnit(QStringLiteral("h"));
        m.setTimeScaleInterval(interval);
        EXPECT_FALSE(m.paintScale());
        EXPECT_TRUE(m.ticks().empty()) << interval;
        EXPECT_EQ(m.canvasSize().width(), 0);
    }
    m.setTimeScaleInterval(6);
    m.setTimeScaleUnit(QString());
    m.paintScale();
    EXPECT_TRUE(m.ticks().empty());
    m.setTimeScaleUnit(QStringLiteral("hh"));
    m.paintScale();
    EXPECT_EQ(m.ticks().size(), 30u);
}

// ---------------------------------------------------------------- gestures

TEST_F(PlanSchedule, ANarrowFrameIsAClickWhateverItsHeight)
{
    m.canvasPress(QPointF(200, 10), sched::LeftButton);
    m.canvasMove(QPointF(208, 55), true);
    EXPECT_TRUE(m.frame().visible);
    EXPECT_TRUE(m.canvasRelease(sched::LeftButton).empty());
    EXPECT_FALSE(m.frame().visible);
    EXPECT_FALSE(m.blinking());
    EXPECT_EQ(m.selectedIds(), QVector<qint32>{0});

    const auto keys = m.keyDown(46);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].type, Event::TimeObjectDelete);
    EXPECT_EQ(keys[0].ids, QVector<qint32>{0});
    EXPECT_EQ(m.keyDown(8).size(), 1u);
    EXPECT_TRUE(m.keyDown(65).empty());

    m.canvasPress(QPointF(200, 10), sched::RightButton);
    const auto right = m.canvasRelease(sched::RightButton);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].type, Event::ScheduleRightClick);
    EXPECT_EQ(right[0].start, right[0].end);
}

TEST_F(PlanSchedule, AFrameOverBookingsSelectsThemAndMarksTheDaysItCovers)
{
    // From an empty day (04.03. 06:00) onto the bars of the first two rows.
    m.canvasPress(QPointF(10, 2), sched::LeftButton);
    m.canvasMove(QPointF(150, 35), true);
    const auto events = m.canvasRelease(sched::LeftButton);
    EXPECT_EQ(m.selectedIds(), (QVector<qint32>{50001, 50002}));
    EXPECT_EQ(m.frame().rect, QRect(10, 3, 140, 38)) << "across the bars' rows, over the days drawn";
    EXPECT_TRUE(m.frame().inFront);
    EXPECT_TRUE(m.blinking());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, Event::RubberbandSelected);
    EXPECT_EQ(events[0].id, 40001);
    EXPECT_EQ(events[0].start.datePart(), at(4)) << "the day the frame starts on, not the bar's";
    EXPECT_EQ(events[0].end.datePart(), at(7)) << "the day it ends on";

    const bool phase = m.frame().phase;
    m.blinkTick();
    EXPECT_NE(m.frame().phase, phase);
}

TEST_F(PlanSchedule, AFrameOverWorkObjectsOnlySelectsTheRowInstead)
{
    m.canvasPress(QPointF(15, 41), sched::RightButton);
    m.canvasMove(QPointF(55, 44), true);
    const auto events = m.canvasRelease(sched::RightButton);
    EXPECT_EQ(m.selectedIds(), QVector<qint32>{0});
    EXPECT_EQ(m.selectedResourceIds(), QVector<qint32>{40003});
    EXPECT_EQ(m.frame().rect.top(), 40);
    EXPECT_EQ(m.frame().rect.height(), 19);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, Event::RubberbandSelected);
    EXPECT_EQ(events[1].type, Event::ScheduleRightClick);
}

TEST_F(PlanSchedule, ModifiersOfALabelPressDecideBetweenFrameMoveAndCopy)
{
    const int slot = slotOf(m, 50001);
    struct Case {
        int button;
        int mods;
        bool drag;
        bool copy;
        bool frame;
    };
    const Case cases[] = {
        {sched::LeftButton, 0, false, false, true},
        {sched::RightButton, 0, false, false, true},
        {sched::LeftButton, sched::CtrlKey, true, true, false},
        {sched::LeftButton, sched::AltKey, true, false, false},
        {sched::LeftButton, sched::CtrlKey | sched::AltKey, true, false, false},
        {sched::LeftButton, sched::ShiftKey | sched::CtrlKey, true, false, false},
        {sched::LeftButton, sched::ShiftKey, false, false, false},
        {sched::RightButton, sched::CtrlKey, false, false, false},
    };
    for (const Case& c : cases) {
        m.canvasPress(QPointF(270, 50), sched::LeftButton);
        m.canvasRelease(sched::LeftButton);
        EXPECT_EQ(m.labelPress(slot, c.button, c.mods, QPointF(3, 3)), c.drag) << c.mods;
        EXPECT_EQ(m.selectedIds(), QVector<qint32>{50001});
        EXPECT_EQ(m.frame().visible, c.frame) << c.mods;
        if (c.frame) {
            EXPECT_EQ(m.frame().rect, labelRect(50001).adjusted(-2, -2, 2, 2));
            EXPECT_FALSE(m.frame().inFront);
        }
        if (c.drag) {
            const auto events = m.drop(QPointF(63, 8));
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0].copy, c.copy) << c.mods;
        }
        EXPECT_EQ(m.dragging(), ScheduleModel::Drag::None);
    }
}

TEST_F(PlanSchedule, ALabelDropsOnItsDayAtNoonAndOnTheRowUnderItsCentre)
{
    const int slot = slotOf(m, 50001);
    ASSERT_TRUE(m.labelPress(slot, sched::LeftButton, sched::AltKey, QPointF(10, 5)));
    // Left edge lands at 08.03. 03:00 (165 pixels), centre in the second row.
    const auto events = m.drop(QPointF(175, 28));
    ASSERT_EQ(events.size(), 1u);
    const Event& e = events[0];
    EXPECT_EQ(e.type, Event::TimeObjectDragDrop);
    EXPECT_EQ(e.ids, QVector<qint32>{50001});
    EXPECT_EQ(e.oldResourceId, 40001);
    EXPECT_EQ(e.newResourceId, 40002);
    EXPECT_EQ(e.start, at(5, 12));
    EXPECT_EQ(e.end, at(8, 12));
    EXPECT_FALSE(e.copy);

}

TEST_F(PlanSchedule, ADropOutsideEveryPlaceIsNoDrop)
{
    // Below the last row.
    ASSERT_TRUE(m.labelPress(slotOf(m, 50001), sched::LeftButton, sched::CtrlKey, QPointF(10, 5)));
    EXPECT_TRUE(m.drop(QPointF(175, 80)).empty());

    // A frame let go below the last row.
    m.canvasPress(QPointF(50, 2), sched::LeftButton);
    m.canvasMove(QPointF(150, 35), true);
    m.canvasRelease(sched::LeftButton);
    const QRect frame = m.frame().rect;
    ASSERT_TRUE(m.framePress(sched::LeftButton, sched::AltKey, QPointF(10, 10)));
    EXPECT_TRUE(m.drop(QPointF(frame.left() + 10 + 40, frame.top() + 10 + 60)).empty());

    // On a row that is gone since the last refill, though its slot keeps its span.
    fill(2);
    ASSERT_TRUE(m.labelPress(slotOf(m, 50002), sched::LeftButton, sched::AltKey, QPointF(10, 5)));
    EXPECT_TRUE(m.drop(QPointF(175, 48)).empty());
}

TEST_F(PlanSchedule, ABookingCutAtTheScaleStartMovesByTheDaysDragged)
{
    ASSERT_TRUE(m.labelPress(slotOf(m, 50004), sched::LeftButton, sched::AltKey, QPointF(5, 5)));
    const auto events = m.drop(QPointF(85, 50));  // two days to the right
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].start, at(1, 12));
    EXPECT_EQ(events[0].end, at(3, 12));
    EXPECT_EQ(events[0].oldResourceId, 40003);
    EXPECT_EQ(events[0].newResourceId, 40003);
}

TEST_F(PlanSchedule, AFrameDropKeepsTheTimeOfDayOfItsCorner)
{
    m.canvasPress(QPointF(50, 2), sched::LeftButton);
    m.canvasMove(QPointF(150, 35), true);
    m.canvasRelease(sched::LeftButton);
    const QRect frame = m.frame().rect;  // 50, 3, 100 x 38
    ASSERT_TRUE(m.framePress(sched::LeftButton, sched::CtrlKey, QPointF(10, 10)));
    EXPECT_FALSE(m.blinking());
    const auto events = m.drop(QPointF(frame.left() + 10 + 40, frame.top() + 10 + 10));
    ASSERT_EQ(events.size(), 1u);
    const Event& e = events[0];
    EXPECT_EQ(e.ids, (QVector<qint32>{50001, 50002}));
    EXPECT_EQ(e.oldResourceId, 40001);
    EXPECT_EQ(e.newResourceId, 40002);
    EXPECT_LT(secondsBetween(e.start, m.pixelToDate(52, 5)), 1);
    EXPECT_EQ(e.end, at(6, 12));
    EXPECT_TRUE(e.copy);
    EXPECT_FALSE(m.frame().visible);
}

TEST_F(PlanSchedule, LargeIdsReachTheHostWhole)
{
    // Before any canvas press a double-click on the frame still hands over a list.
    m.labelPress(slotOf(m, 50002), sched::LeftButton, 0, QPointF(1, 1));
    const auto frameDbl = m.frameDblClick();
    ASSERT_EQ(frameDbl.size(), 1u);
    EXPECT_EQ(frameDbl[0].ids, QVector<qint32>{0});

    m.canvasPress(QPointF(250, 30), sched::LeftButton);
    m.canvasRelease(sched::LeftButton);
    EXPECT_EQ(m.selectedResourceIds(), QVector<qint32>{40002});
    const auto dbl = m.canvasDblClick();
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].ids, QVector<qint32>{40002});
    EXPECT_EQ(dbl[0].start, dbl[0].end);
    EXPECT_LT(secondsBetween(dbl[0].start, at(4).addDays(250.0 / 40)), 1);

    m.headerPress(true, QPointF(5, 45));
    const auto header = m.headerClick(true);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0].id, 40003);
    EXPECT_EQ(header[0].name, QStringLiteral("Zimmer 3"));
    EXPECT_TRUE(m.headerClick(false).empty()) << "the top header names no place across";
}

// ---------------------------------------------------------------- scrolling

TEST(ScheduleScroll, TheLastRowAndDayCanBeScrolledIntoView)
{
    ScheduleModel m;
    m.setScrollBarExtent(16);
    m.resize(QSize(500, 300));
    m.setTableMode(10);
    for (int i = 0; i < 30; ++i)
        m.addResource(i + 1, QString(), 0, i);
    m.setTimeScaleUnit(QStringLiteral("h"));
    m.setTimeScaleInterval(6);
    m.paintResources();
    m.setScaleDateTimeLimits(at(1), at(31));
    m.paintScale();

    const auto& v = m.verticalBar();
    const auto& h = m.horizontalBar();
    ASSERT_TRUE(v.visible);
    ASSERT_TRUE(h.visible);
    m.setVerticalScroll(v.maximum);
    m.setHorizontalScroll(h.maximum);
    const QRect canvas = m.surface(sched::SurfaceId::Canvas).geometry;
    EXPECT_EQ(canvas.bottom(), h.geometry.top() - 1);
    EXPECT_EQ(canvas.right(), v.geometry.left() - 1);
    EXPECT_EQ(m.surface(sched::SurfaceId::HeaderV).geometry.top(), canvas.top());
    EXPECT_EQ(m.surface(sched::SurfaceId::HeaderH).geometry.left(), canvas.left());

    // A resize in this mode keeps the canvas and starts again at the top left.
    m.resize(QSize(520, 320));
    EXPECT_EQ(m.canvasSize().width(), 1200);
    EXPECT_EQ(m.horizontalBar().value, 0);
    EXPECT_EQ(m.surface(sched::SurfaceId::Canvas).geometry.topLeft(), QPoint(100, 45));
}
