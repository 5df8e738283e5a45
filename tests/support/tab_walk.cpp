#include "tests/support/tab_walk.h"

#include <QApplication>
#include <QTest>

#include <algorithm>

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

}  // namespace test
