// Instruction counts of one work (BenchWork) under callgrind. The measured part runs inside countedRun,
// which bench/count.sh gives to callgrind's --toggle-collect, so that setting up, preparing and finishing
// are left out; the script divides the count by the runs.
//   bench_count --list            the works with a floor, each followed by its floor
//   bench_count NAME [RUNS]       one warm-up run, then RUNS (default 5) counted runs
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchDevice.h"
#include "BenchWork.h"

namespace benchcount {

__attribute__((noinline)) void countedRun(benchwork::Work& p_objWork) {
    p_objWork.run();
}

}  // namespace benchcount

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--list") {
        for (const std::string& strName : benchwork::namesWithFloors()) std::printf("%s\n", strName.c_str());
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s --list | NAME [RUNS]\n", argv[0]);
        return 2;
    }
    const int nRuns = argc >= 3 ? std::atoi(argv[2]) : 5;
    benchdevice::setUp();
    std::unique_ptr<benchwork::Work> pWork = benchwork::make(argv[1]);
    if (pWork == nullptr || nRuns <= 0) {
        std::fprintf(stderr, "unknown work %s or runs %d\n", argv[1], nRuns);
        return 2;
    }
    for (int i = 0; i <= nRuns; ++i) {
        pWork->prepare();
        if (i == 0) {
            pWork->run();  // the first run pays for lazy binding and first-touch allocations
        } else {
            benchcount::countedRun(*pWork);
        }
        pWork->finish();
    }
    return 0;
}
