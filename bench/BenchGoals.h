// The goals the benchmarks are held to, as ratios of the library's time to its floor's, in one table.
#ifndef IMAGETUNE_BENCH_BENCHGOALS_H
#define IMAGETUNE_BENCH_BENCHGOALS_H

#include <map>
#include <ostream>
#include <string>

namespace benchgoals {

// The highest accepted ratio for a benchmark with a floor (1.0 for the codec: at least the floor's speed; for
// the heap, of the peak to its floor).
double goalFor(const std::string& p_strName);

// The incremental switch: its cost per changed key and its cost with no key changed, against one plain
// pass over the scheme.
void printExtra(std::ostream& p_out, const std::map<std::string, double>& p_mapTimes);

}  // namespace benchgoals

#endif
