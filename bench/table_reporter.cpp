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

std::string target(double ms)
{
    return ms > 0 ? std::to_string(static_cast<int>(ms)) : "-";
}

}  // namespace

void TableReporter::addCase(const std::string& name, double warmTargetMs, double coldTargetMs)
{
    m_rows.push_back({name, warmTargetMs, coldTargetMs, -1, -1, -1});
}

void TableReporter::setCold(const std::string& name, double ms)
{
    for (Row& row : m_rows)
        if (row.name == name)
            row.coldMs = ms;
}

void TableReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred)
            continue;
        // "<case>/Programm" or "<case>/SQLite", followed by Google's own suffixes.
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
    std::printf("\n| Fall | warm ms | kalt ms | SQLite ms | Verhältnis | Ziel warm | Ziel kalt |\n"
                "|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Row& row : m_rows) {
        if (row.programMs < 0 && row.coldMs < 0 && row.rawMs < 0)
            continue;
        std::string ratio = "-";
        const double program = row.programMs >= 0 ? row.programMs : row.coldMs;
        if (program >= 0 && row.rawMs > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1fx", program / row.rawMs);
            ratio = text;
        }
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", row.name.c_str(), figure(row.programMs).c_str(),
                    figure(row.coldMs).c_str(), figure(row.rawMs).c_str(), ratio.c_str(),
                    target(row.warmTargetMs).c_str(), target(row.coldTargetMs).c_str());
    }
    std::fflush(stdout);
}

}  // namespace bench
