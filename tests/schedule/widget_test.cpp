#include "schedule/usercontrol1.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

rt::Date at(int day, int hour = 0)
{
    return rt::Date::fromParts(2024, 3, day, hour);
}

// Two rows of places with large ids; one booking on the first, 05.03. to 07.03.
class ScheduleWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.resize(700, 300);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.GridColor(0xC0C0C0);
        w.BackColor(0xFFFFFF);
        w.ClearResources();
        w.ClearResources();
        w.AddResource(40001, QStringLiteral("Zimmer 1"), 0, 0);
        w.AddResource(40002, QStringLiteral("Zimmer 2"), 0, 1);
        w.TimeScaleUnit(QStringLiteral("h"));
        w.TimeScaleInterval(6);
        w.TableMode(10);
        w.PaintResources();
        w.ClearTimeObjects();
        w.SetScaleDateTimeLimits(at(4), at(11));
        w.PaintScale();
        w.AddTimeObject(0, 50001, 40001, 0, at(5, 12), at(7, 12), 0xFFFF, QStringLiteral("Huber"));
        w.PaintTimeObjects();
    }

    QPoint onCanvas(int x, int y) const { return w.canvasToWidget(QPoint(x, y)); }

    UserControl1 w;
};

}  // namespace

TEST_F(ScheduleWidget, ClickingABookingRaisesItsClickOnly)
{
    QSignalSpy click(&w, &UserControl1::TimeObjectClick);
    QSignalSpy dbl(&w, &UserControl1::TimeObjectDblClick);
    QSignalSpy right(&w, &UserControl1::ScheduleRightClick);
    QTest::mouseClick(&w, Qt::LeftButton, {}, onCanvas(80, 10));
    ASSERT_EQ(click.count(), 1);
    EXPECT_EQ(click.at(0).at(0).toInt(), 50001);
    EXPECT_EQ(dbl.count(), 0);
    EXPECT_EQ(right.count(), 0);
    EXPECT_EQ(w.SelectedTermin_ids(), QVector<qint32>{50001});

    QTest::mouseDClick(&w, Qt::LeftButton, {}, onCanvas(80, 10));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, onCanvas(80, 10));
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(click.count(), 1) << "the double-click's release is no second click";
}

TEST_F(ScheduleWidget, DraggingABookingWithCtrlRaisesACopyingDrop)
{
    QVector<qint32> ids;
    qint32 oldResource = 0, newResource = 0;
    rt::Date oldStart, newStart;
    bool copy = false;
    int drops = 0;
    QObject::connect(&w, &UserControl1::TimeObjectDragDrop, &w,
            [&](QVector<qint32> i, qint32 o, qint32 n, rt::Date os, rt::Date ns, bool c) {
                ++drops;
                ids = i;
                oldResource = o;
                newResource = n;
                oldStart = os;
                newStart = ns;
                copy = c;
            });
    QSignalSpy click(&w, &UserControl1::TimeObjectClick);
    // Grab the bar 10 pixels in, let its left edge land on 08.03. 03:00 in the second row.
    QTest::mousePress(&w, Qt::LeftButton, Qt::ControlModifier, onCanvas(70, 10));
    QTest::mouseMove(&w, onCanvas(120, 20));
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::ControlModifier, onCanvas(175, 28));
    ASSERT_EQ(drops, 1);
    EXPECT_EQ(ids, QVector<qint32>{50001});
    EXPECT_EQ(oldResource, 40001);
    EXPECT_EQ(newResource, 40002);
    EXPECT_EQ(oldStart, at(5, 12));
    EXPECT_EQ(newStart, at(8, 12));
    EXPECT_TRUE(copy);
    EXPECT_EQ(click.count(), 0) << "a drag ends without a click";

    // Let go over the header: no drop.
    QTest::mousePress(&w, Qt::LeftButton, Qt::AltModifier, onCanvas(70, 10));
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::AltModifier, QPoint(20, 20));
    EXPECT_EQ(drops, 1);

    // Where the window manager takes Alt+drag, Shift+Ctrl moves.
    const Qt::KeyboardModifiers shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::mousePress(&w, Qt::LeftButton, shiftCtrl, onCanvas(70, 10));
    QTest::mouseMove(&w, onCanvas(120, 20));
    QTest::mouseRelease(&w, Qt::LeftButton, shiftCtrl, onCanvas(175, 28));
    ASSERT_EQ(drops, 2);
    EXPECT_EQ(newResource, 40002);
    EXPECT_FALSE(copy);

    // Grabbed at its top edge and let go in the last pixel row, the bar's
    // centre lies below the last row: the booking keeps its place.
    QTest::mousePress(&w, Qt::LeftButton, Qt::AltModifier, onCanvas(70, 5));
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::AltModifier, onCanvas(175, 38));
    ASSERT_EQ(drops, 3);
    EXPECT_EQ(oldResource, 40001);
    EXPECT_EQ(newResource, 40001);
    EXPECT_EQ(newStart, at(8, 12));
}

TEST_F(ScheduleWidget, DoubleClickOnFreeCanvasAsksForABookingOnThePlaceUnderThePointer)
{
    QSignalSpy dbl(&w, &UserControl1::ScheduleDblClick);
    for (const auto& [y, place] : {std::pair{25, 40002}, std::pair{5, 40001}}) {
        QTest::mouseClick(&w, Qt::LeftButton, {}, onCanvas(250, y));
        QTest::mouseDClick(&w, Qt::LeftButton, {}, onCanvas(250, y));
        QTest::mouseRelease(&w, Qt::LeftButton, {}, onCanvas(250, y));
        ASSERT_EQ(dbl.count(), 1) << y;
        const QList<QVariant> args = dbl.takeFirst();
        EXPECT_EQ(args.at(0).value<QVector<qint32>>(), QVector<qint32>{place});
        const rt::Date start = args.at(1).value<rt::Date>();
        EXPECT_EQ(start, args.at(2).value<rt::Date>());
        // 250 pixels of 40 a day: 10.03. 06:00.
        EXPECT_LT(std::abs(start.daysSince(at(10, 6))) * 86400.0, 1.0) << y;
    }
}

TEST_F(ScheduleWidget, DoubleClickOnTheFrameBeforeAnyCanvasClickHandsOverAnEmptyPlace)
{
    QSignalSpy dbl(&w, &UserControl1::ScheduleDblClick);
    // The booking's frame reaches two pixels beyond its bar.
    QTest::mouseClick(&w, Qt::LeftButton, {}, onCanvas(80, 10));
    ASSERT_TRUE(w.model().frame().visible);
    QTest::mouseClick(&w, Qt::LeftButton, {}, onCanvas(59, 10));
    QTest::mouseDClick(&w, Qt::LeftButton, {}, onCanvas(59, 10));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, onCanvas(59, 10));
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl.at(0).at(0).value<QVector<qint32>>(), QVector<qint32>{0});
    EXPECT_FALSE(w.model().frame().visible);
}

TEST_F(ScheduleWidget, TooltipsNameTheBookingOrTheGestures)
{
    const auto tipAt = [this](QPoint pos) {
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, pos, w.mapToGlobal(pos));
        QApplication::sendEvent(&w, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(onCanvas(80, 10)), QStringLiteral("Huber"));
    const QString canvas = tipAt(onCanvas(250, 30));
    EXPECT_TRUE(canvas.contains(QStringLiteral("[Alt] oder [Umschalt]+[Strg]"))) << canvas.toStdString();
    QToolTip::hideText();
}

TEST_F(ScheduleWidget, DeleteAfterAFrameSelectionHandsOverTheSelection)
{
    QSignalSpy rubber(&w, &UserControl1::RubberbandSelected);
    QSignalSpy del(&w, &UserControl1::TimeObjectDelete);
    QTest::mousePress(&w, Qt::LeftButton, {}, onCanvas(50, 3));
    QTest::mouseMove(&w, onCanvas(120, 12));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, onCanvas(120, 12));
    ASSERT_EQ(rubber.count(), 1);
    EXPECT_EQ(rubber.at(0).at(0).toInt(), 40001);
    QTest::keyClick(&w, Qt::Key_Delete);
    ASSERT_EQ(del.count(), 1);
    EXPECT_EQ(del.at(0).at(0).value<QVector<qint32>>(), QVector<qint32>{50001});
}

TEST_F(ScheduleWidget, HeaderOfARowNamesItsPlace)
{
    QSignalSpy header(&w, &UserControl1::ResourceHeaderClick);
    const QRect rows = w.model().surface(sched::SurfaceId::HeaderV).geometry;
    QTest::mouseClick(&w, Qt::LeftButton, {}, rows.topLeft() + QPoint(10, 25));
    ASSERT_EQ(header.count(), 1);
    EXPECT_EQ(header.at(0).at(0).toInt(), 40002);
    EXPECT_EQ(header.at(0).at(1).toString(), QStringLiteral("Zimmer 2"));
}

TEST_F(ScheduleWidget, WheelScrollsDownAndShiftWheelSideways)
{
    w.ClearResources();
    for (int i = 0; i < 30; ++i)
        w.AddResource(41000 + i, QStringLiteral("Zimmer %1").arg(i + 1), 0, i);
    w.PaintResources();
    w.ClearTimeObjects();
    w.SetScaleDateTimeLimits(at(1), at(1).addDays(60));
    w.PaintScale();
    w.PaintTimeObjects();
    ASSERT_TRUE(w.model().verticalBar().visible);
    ASSERT_TRUE(w.model().horizontalBar().visible);

    const auto turn = [this](QPoint at, Qt::KeyboardModifiers modifiers, int notches) {
        QWheelEvent wheel(at, w.mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &wheel);
        return wheel.isAccepted();
    };
    const int top = w.model().surface(sched::SurfaceId::Canvas).geometry.top();
    EXPECT_TRUE(turn(onCanvas(50, 20), Qt::NoModifier, 1));
    EXPECT_GT(w.model().verticalBar().value, 0);
    EXPECT_LT(w.model().surface(sched::SurfaceId::Canvas).geometry.top(), top);
    EXPECT_EQ(w.model().horizontalBar().value, 0);

    // Over the place names the wheel scrolls as well, and back up to the top.
    const int down = w.model().verticalBar().value;
    EXPECT_TRUE(turn(QPoint(20, 100), Qt::NoModifier, 2));
    EXPECT_GT(w.model().verticalBar().value, down);
    EXPECT_TRUE(turn(QPoint(20, 100), Qt::NoModifier, -50));
    EXPECT_EQ(w.model().verticalBar().value, 0);
    EXPECT_FALSE(turn(QPoint(20, 100), Qt::NoModifier, -1)) << "nothing left to scroll: the wheel goes on to the parent";

    const int left = w.model().surface(sched::SurfaceId::HeaderH).geometry.left();
    EXPECT_TRUE(turn(onCanvas(50, 20), Qt::ShiftModifier, 1));
    EXPECT_GT(w.model().horizontalBar().value, 0);
    EXPECT_LT(w.model().surface(sched::SurfaceId::HeaderH).geometry.left(), left);
    EXPECT_EQ(w.model().verticalBar().value, 0);
}

TEST_F(ScheduleWidget, APeriodTooLongIsReportedOnceNotOnEveryRefill)
{
    test::DialogScope dialogs;
    const auto fill = [this](int days) {
        w.SetScaleDateTimeLimits(at(4), at(4).addDays(days));
        w.PaintScale();
    };
    fill(255);   // the longest period the settings allow: drawn whole, nothing said
    EXPECT_TRUE(dialogs->messages().empty());
    const int tooMany = sched::ScheduleModel::MaxCanvasLength / 40 + 10;
    dialogs->answerMessage(ui::Answer::Ok);
    fill(tooMany);
    fill(tooMany);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Grafik zu groß : 32000 Pixel"));
    fill(7);
    dialogs->answerMessage(ui::Answer::Ok);
    fill(tooMany);
    EXPECT_EQ(dialogs->messages().size(), 2u) << "after a period that fitted, a new one is said again";
}
