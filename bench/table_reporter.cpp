#include "bench/table_reporter.h"

#include <cstdio>

namespace bench {

namespace {

double toMs(double value, benchmark::TimeUnit unit)
{
    return value / benchmark::GetTimeUnitMultiplier(unit) * 1000.0;
}

std::string figure(double ms)
{
    if (ms < 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, ms < 1 ? "%.3f" : ms < 100 ? "%.2f" : "%.0f", ms);
    return text;
}

}  // namespace

void TableReporter::addCase(const std::string& name, double targetMs)
{
    m_rows.push_back({name, targetMs, -1, -1});
}

void TableReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred)
            continue;
        const std::string& name = run.run_name.function_name;
        const std::size_t slash = name.rfind('/');
        if (slash == std::string::npos)
            continue;
        const std::string caseName = name.substr(0, slash);
        const std::string side = name.substr(slash + 1);
        for (Row& row : m_rows) {
            if (row.name != caseName)
                continue;
            const double ms = toMs(run.GetAdjustedRealTime(), run.time_unit);
            (side == "SQLite" ? row.rawMs : row.programMs) = ms;
        }
    }
}

void TableReporter::printTable() const
{
    std::printf("\n| Fall | Programm ms | SQLite ms | Verhältnis | Ziel ms |\n|---|---:|---:|---:|---:|\n");
    for (const Row& row : m_rows) {
        if (row.programMs < 0 && row.rawMs < 0)
            continue;
        std::string ratio = "-";
        if (row.programMs >= 0 && row.rawMs > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1fx", row.programMs / row.rawMs);
            ratio = text;
        }
        const std::string target = row.targetMs > 0 ? std::to_string(static_cast<int>(row.targetMs)) : "-";
        std::printf("| %s | %s | %s | %s | %s |\n", row.name.c_str(), figure(row.programMs).c_str(),
                    figure(row.rawMs).c_str(), ratio.c_str(), target.c_str());
    }
    std::fflush(stdout);
}

}  // namespace bench
