#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace bench {

// The console output as usual, and at the end one table: per case the warm
// median through the program, the cold median (each the first time in a
// freshly started program), the median of the plain SQLite reading it needs,
// their ratio and the case's targets.
class TableReporter : public benchmark::ConsoleReporter {
public:
    // A target of 0: none of its own.
    void addCase(const std::string& name, double warmTargetMs, double coldTargetMs = 0);
    void setCold(const std::string& name, double ms);
    void ReportRuns(const std::vector<Run>& runs) override;
    void printTable() const;

private:
    struct Row {
        std::string name;
        double warmTargetMs = 0;
        double coldTargetMs = 0;
        double programMs = -1;
        double coldMs = -1;
        double rawMs = -1;
    };
    std::vector<Row> m_rows;
};

}  // namespace bench
