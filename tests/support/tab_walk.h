#pragma once

#include <QWidget>

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

}  // namespace test
