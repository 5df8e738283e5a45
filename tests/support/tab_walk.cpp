#include "tests/support/tab_walk.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <iterator>

namespace test {

bool TabWalk::reaches(const QWidget* w) const
{
    return std::find(stops.begin(), stops.end(), w) != stops.end();
}

TabWalk WalkTabChain(QWidget* start, int limit)
{
    TabWalk walk;
    walk.stops.push_back(start);
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (next == start) {
            walk.cameBack = true;
            break;
        }
        if (walk.reaches(next)) {
            walk.trap = next;
            break;
        }
        walk.stops.push_back(next);
    }
    return walk;
}

namespace {

std::string nameOf(const QWidget* w)
{
    QString text = w->property("text").toString();
    if (text.isEmpty())
        text = w->toolTip();
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), text).toStdString();
}

// b comes after a when reading: further right in the same row, else in a
// later row. Two controls share a row when they overlap by half the lower
// one's height (a tall list shares its row with every control beside it).
bool readsAfter(const QRect& a, const QRect& b)
{
    const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
    return overlap * 2 > std::min(a.height(), b.height()) ? b.left() >= a.right() : b.top() >= a.bottom();
}

}  // namespace

std::string ReadingOrderFault(const TabWalk& walk, const QWidget* area)
{
    const auto inArea = [area](const QWidget* w) { return area->isAncestorOf(w); };
    const auto first = std::find_if(walk.stops.begin(), walk.stops.end(), inArea);
    const auto last = std::find_if(walk.stops.rbegin(), walk.stops.rend(), inArea).base();
    // Where they stand in the area itself, which may scroll while Tab moves.
    const auto place = [area](const QWidget* w) { return QRect(w->mapTo(area, QPoint(0, 0)), w->size()); };
    for (auto it = first; it < last; ++it) {
        if (!inArea(*it))
            return nameOf(*it) + " comes between the area's stops";
        if (std::next(it) != last && inArea(*std::next(it)) && !readsAfter(place(*it), place(*std::next(it))))
            return nameOf(*std::next(it)) + " comes after " + nameOf(*it);
    }
    return first == walk.stops.end() ? "Tab reaches nothing inside the area" : "";
}

}  // namespace test
