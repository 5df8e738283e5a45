#pragma once

#include <QWidget>

#include <string>
#include <vector>

namespace test {

// What Tab reaches from a widget that has the focus, pressing it as a user does.
struct TabWalk {
    std::vector<QWidget*> stops;   // start first, in the order reached
    bool cameBack = false;         // Tab came round to the start again
    QWidget* trap = nullptr;       // a widget reached twice before the start: Tab is caught

    bool reaches(const QWidget* w) const;
};

// Presses Tab up to limit times from start (which has the focus).
TabWalk WalkTabChain(QWidget* start, int limit = 100);

// What breaks the way area reads (top to bottom, and left to right within a
// row) in the walk through it: a stop before one that stands above or to its
// left, or a stop elsewhere between two of area's. Empty when Tab reads area
// as the screen shows it. The walk should start outside area or at its first
// stop.
std::string ReadingOrderFault(const TabWalk& walk, const QWidget* area);

}  // namespace test
