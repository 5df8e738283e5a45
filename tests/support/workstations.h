#pragma once

#include "platform/ui/dialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace test {

// One workstation of RunStations. prepare runs before a round's start,
// run at it; both note what the test is to see in the report.
struct Station {
    std::function<void()> setUp;                                  // once, first
    std::function<void(int round, QStringList& report)> prepare;  // may be empty
    std::function<void(int round, QStringList& report)> run;
    ui::Answer answer = ui::Answer::Ok;                           // to every message box
};

struct StationResult {
    int exitCode = -1;     // 0 when every round ran; 4 when the station threw
    QStringList report;
};

// Several workstations on one database file at once: each station runs in a
// child process of its own with its own connection. Their rounds go in step:
// round i starts once every station has prepared it, each after a random wait
// of up to a millisecond or two, so every round is contested and either may
// come first. Each message box a station meets is answered with its answer
// and noted in its report as "Meldung: " and its text.
std::vector<StationResult> RunStations(const QString& dbPath, int rounds, const std::vector<Station>& stations);

}  // namespace test
