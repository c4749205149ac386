// The work each timed benchmark measures, as objects shared by the benchmark programs and by the
// instruction counter (bench_count): prepare() and finish() run outside the measured part, run() is it.
#ifndef IMAGETUNE_BENCH_BENCHWORK_H
#define IMAGETUNE_BENCH_BENCHWORK_H

#include <memory>
#include <string>
#include <vector>

namespace benchwork {

class Work {
public:
    virtual ~Work() {}
    virtual void prepare() {}
    virtual void run() = 0;
    virtual void finish() {}
};

// The names of the works with a floor, each followed by the name of its floor ("<name>.floor").
std::vector<std::string> namesWithFloors();
// A new work by benchmark name ("style.getUIStyleFile", "init.blank.floor", ...); null for an unknown name.
// benchdevice::setUp() must have run.
std::unique_ptr<Work> make(const std::string& p_strName);

}  // namespace benchwork

#endif
