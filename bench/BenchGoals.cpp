#include "BenchGoals.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace benchgoals {
namespace {

struct Goal {
    const char* szName;
    double dRatio;
};
const Goal kGoals[] = {
    {"style.getUIStyleFile", 1.25},  // TinyXML parsing and printing the merged text
    {"init.blank", 1.35},            // the parses, prints and file writes of its steps; room for the settings
    {"init.used", 1.35},             // checks of its ~200 diagnostic statements
    {"switch.forced", 1.20},         // the IA calls and one settings check per statement
    {"codec.parse", 1.0},            // strtol over the same text: at least its speed
    {"codec.format", 1.0},           // snprintf of the same records
    {"heap.init.blank", 1.30},       // peak heap: one TinyXML document of the merged style and its text
    {"heap.init.used", 1.30},
};

}  // namespace

double goalFor(const std::string& p_strName) {
    for (const Goal& stGoal : kGoals) {
        if (p_strName == stGoal.szName) return stGoal.dRatio;
    }
    return 1.0;
}

void printExtra(std::ostream& p_out, const std::map<std::string, double>& p_mapTimes) {
    auto itZero = p_mapTimes.find("switch.incremental.k0");
    auto itPass = p_mapTimes.find("switch.pass.floor");
    if (itZero == p_mapTimes.end()) return;
    char szLine[256];
    p_out << "\nincremental switch: time = base + k * per-key cost\n";
    if (itPass != p_mapTimes.end() && itPass->second > 0) {
        std::snprintf(szLine, sizeof(szLine), "  %-44s %9.0f ns   %.2f x one plain pass over the scheme\n",
                      "base (no key changed)", itZero->second, itZero->second / itPass->second);
        p_out << szLine;
    }
    for (const auto& entry : p_mapTimes) {
        const char* szPrefix = "switch.incremental.k";
        if (entry.first.compare(0, std::strlen(szPrefix), szPrefix) != 0) continue;
        const int k = std::atoi(entry.first.c_str() + std::strlen(szPrefix));
        if (k <= 0) continue;
        std::snprintf(szLine, sizeof(szLine), "  %-44s %9.0f ns per changed key\n", entry.first.c_str(),
                      (entry.second - itZero->second) / k);
        p_out << szLine;
    }
}

}  // namespace benchgoals
