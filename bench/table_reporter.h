#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

// The console output as usual, and at the end one table: per case the median
// through the program, the median of the plain SQLite reading it needs, their
// ratio and the case's target.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void addCase(const std::string& name, double targetMs);
    void ReportRuns(const std::vector<Run>& runs) override;
    void printTable() const;

private:
    struct Row {
        std::string name;
        double targetMs = 0;
        double programMs = -1;
        double rawMs = -1;
    };
    std::vector<Row> m_rows;
};

}  // namespace bench
