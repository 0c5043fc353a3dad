// glimmerdeep-bench: "logic" times the game's logic frames without a window; "render" times real
// frames of the game under a display.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_modes.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: glimmerdeep-bench logic|render|shot [options]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string mode = argv[1];
    if (mode == "logic") return bench::runLogicBench();
    if (mode == "render") return bench::runRenderBench(argc, argv);
    if (mode == "shot") return bench::runScreenshot(argc, argv);
    if (mode == "play") return bench::runScriptedPlay(argc, argv);
    return usage();
}
