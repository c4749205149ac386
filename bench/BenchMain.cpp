// Runs the benchmarks and puts each beside its floor: a benchmark "X" with a floor "X.floor" gets the ratio of
// their times and the goal it is held to. The library prints a line per write, so standard output is
// silenced and the report goes to a copy of the original standard output.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "BenchDevice.h"
#include "BenchGoals.h"

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& p_vecRuns) override {
        ConsoleReporter::ReportRuns(p_vecRuns);
        for (const Run& run : p_vecRuns) {
            if (run.error_occurred) continue;
            // With repetitions the median stands for the benchmark; a single run stands for itself.
            const bool bMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !bMedian) continue;
            const std::string strName = run.run_name.str();
            if (!bMedian && m_setMedians.count(strName) != 0) continue;
            if (bMedian) m_setMedians.insert(strName);
            // In nanoseconds, whatever unit the benchmark reports in.
            m_mapTimes[strName] = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto itPeak = run.counters.find("peak_bytes");
            auto itFloor = run.counters.find("floor_bytes");
            if (itPeak != run.counters.end() && itFloor != run.counters.end()) {
                m_mapHeap[strName] = {itPeak->second.value, itFloor->second.value};
            }
        }
    }

    void Finalize() override {
        std::ostream& out = GetOutputStream();
        out << "\nratio to the floor (time of the library / time of the floor)\n";
        for (const auto& entry : m_mapTimes) {
            const std::string& strName = entry.first;
            auto itFloor = m_mapTimes.find(strName + ".floor");
            if (itFloor == m_mapTimes.end() || itFloor->second <= 0) continue;
            const double dRatio = entry.second / itFloor->second;
            const double dGoal = benchgoals::goalFor(strName);
            char szLine[256];
            std::snprintf(szLine, sizeof(szLine), "  %-44s %7.2f   goal <= %.2f   %s\n", strName.c_str(), dRatio, dGoal,
                          dRatio <= dGoal ? "met" : "NOT MET");
            out << szLine;
        }
        for (const auto& entry : m_mapHeap) {
            const double dRatio = entry.second.first / entry.second.second;
            const double dGoal = benchgoals::goalFor(entry.first.substr(0, entry.first.find('/')));
            char szLine[256];
            std::snprintf(szLine, sizeof(szLine), "  %-44s %7.2f   goal <= %.2f   %s   (peak %.0f B, floor %.0f B)\n",
                          entry.first.c_str(), dRatio, dGoal, dRatio <= dGoal ? "met" : "NOT MET", entry.second.first,
                          entry.second.second);
            out << szLine;
        }
        benchgoals::printExtra(out, m_mapTimes);
        ConsoleReporter::Finalize();
    }

private:
    std::map<std::string, double> m_mapTimes;
    std::map<std::string, std::pair<double, double>> m_mapHeap;  // peak and floor bytes
    std::set<std::string> m_setMedians;
};

}  // namespace

int main(int argc, char** argv) {
    const int nReportFd = ::dup(STDOUT_FILENO);
    benchdevice::setUp();
    std::ofstream objReport("/proc/self/fd/" + std::to_string(nReportFd), std::ios::out | std::ios::app);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter objReporter;
    objReporter.SetOutputStream(&objReport);
    objReporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&objReporter);
    benchmark::Shutdown();
    return 0;
}
