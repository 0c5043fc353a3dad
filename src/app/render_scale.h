// Dynamic resolution: the share of the window's size the 3D scene is drawn at, chosen from the
// measured frame time so that a slow (software) renderer still shows 30 frames a second.
#pragma once

#include <array>

namespace app {

class RenderScale {
public:
    // Frames aimed for: 30 a second.
    static constexpr double kTargetSeconds = 1.0 / 30.0;
    // The scale never goes below this: under half the window's size the picture turns to mush.
    static constexpr float kFloor = 0.5f;
    // The scale moves in steps of this size, and at most once per kHoldSeconds; the first
    // change may come as soon as a few frames are measured, so a slow renderer is slow only for
    // the game's first half second.
    static constexpr float kStep = 1.0f / 16.0f;
    static constexpr double kHoldSeconds = 1.0;

    // `setting` is the settings' render_scale: kRenderScaleAuto follows the frame time, any other
    // value is the fixed scale.
    explicit RenderScale(float setting);

    // One frame took `seconds` (start of a frame to the start of the next). Returns true when
    // the scale changed.
    bool frameTook(double seconds);
    float scale() const { return scale_; }
    bool pinned() const { return pinned_; }
    // For the benchmark and tests: a fixed scale from now on (0.25 to 1), or back to following
    // the frame time.
    void pin(float scale);
    void follow();

private:
    // Median of the frames measured since the last change (at most the ring's size).
    double recentMedian() const;

    float scale_ = 1.0f;
    bool pinned_ = false;
    // The last frames' times, oldest overwritten first.
    std::array<double, 15> recent_{};
    int count_ = 0;
    int next_ = 0;
    double sinceChange_ = 0.0;
    bool changed_ = false;
};

}  // namespace app
