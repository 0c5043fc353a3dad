// The benchmark modes and their shared statistics.
#pragma once

#include <vector>

namespace bench {

int runLogicBench();
int runRenderBench(int argc, char** argv);
int runScreenshot(int argc, char** argv);
int runScriptedPlay(int argc, char** argv);

struct Stats {
    double median = 0.0;
    double p99 = 0.0;
};
Stats summarize(std::vector<double> samplesMs);

}  // namespace bench
