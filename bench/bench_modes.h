// The benchmark modes and what they share: statistics, a stepped clock, the literal path.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/renderer.h"
#include "app/seams.h"
#include "effects/bloom.h"

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

// Time stands still until stepped; the calendar follows it. A tool that steps it by a fixed
// frame time gets the same frames every run, whatever the machine's speed.
class StepClock : public app::Clock {
public:
    double glfwTime() override { return seconds; }
    std::int64_t calendarSeconds() override { return static_cast<std::int64_t>(seconds); }
    std::int64_t monotonicMs() override { return static_cast<std::int64_t>(seconds * 1000.0); }
    double seconds = 0.0;
};

// The frame as it was before its savings, the reference the speed work is measured against: the
// scene at the window's full size, the whole shadow map redrawn, the glow blurred at full size.
class LiteralPath {
public:
    // Makes the full-size glow targets for a window of width x height (the context must be
    // current).
    LiteralPath(app::Renderer& renderer, int width, int height);
    // Runs `frame` (one frame of the game) on the literal path; the renderer is as before after.
    void run(const std::function<void()>& frame);

private:
    app::Renderer& renderer_;
    effects::BlurTargets fullSizeGlow_;
};

}  // namespace bench
