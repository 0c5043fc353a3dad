// Picks the scene's scale from the median frame time, in steps, with room between the thresholds
// for lowering and raising so that the scale settles instead of pumping.
#include "app/render_scale.h"

#include <algorithm>
#include <cmath>

#include "app/settings.h"

namespace app {

namespace {

// Frames slower than this share of the target lower the scale; the next step up is taken only
// when, even if the whole frame grew with the pixels drawn, it would stay under the raise share.
// A frame's fixed part (physics, the composite, the swap) does not grow with the scale, so a
// raise never overshoots into a lowering.
constexpr double kLowerAbove = 1.08;
constexpr double kRaiseBelow = 0.85;
// When lowering, aim this far under the target: the fixed part does not shrink with the scale.
constexpr double kLowerAim = 0.9;
// Frames measured at a scale before it may change: enough for a median that one hitch (the first
// frame's shader compilation, say) does not move.
constexpr int kFewestFrames = 5;

float snapDown(float scale) {
    const float steps = std::floor(scale / RenderScale::kStep + 1e-4f);
    return std::clamp(steps * RenderScale::kStep, RenderScale::kFloor, 1.0f);
}

}  // namespace

RenderScale::RenderScale(float setting) {
    if (setting == kRenderScaleAuto) {
        follow();
    } else {
        pin(setting);
    }
}

void RenderScale::pin(float scale) {
    scale_ = std::clamp(scale, 0.25f, 1.0f);
    pinned_ = true;
}

void RenderScale::follow() {
    pinned_ = false;
    changed_ = false;
    scale_ = 1.0f;
    count_ = 0;
    next_ = 0;
    sinceChange_ = 0.0;
}

double RenderScale::recentMedian() const {
    std::array<double, 15> sorted = recent_;
    const auto end = sorted.begin() + count_;
    std::nth_element(sorted.begin(), sorted.begin() + count_ / 2, end);
    return sorted[static_cast<std::size_t>(count_ / 2)];
}

bool RenderScale::frameTook(double seconds) {
    if (pinned_ || !std::isfinite(seconds) || seconds < 0.0) return false;
    recent_[static_cast<std::size_t>(next_)] = seconds;
    next_ = (next_ + 1) % static_cast<int>(recent_.size());
    count_ = std::min(count_ + 1, static_cast<int>(recent_.size()));
    sinceChange_ += seconds;
    // A change needs a second since the last one (none before the first) and a few frames
    // measured at the scale; the median of up to the last fifteen decides.
    if ((changed_ && sinceChange_ < kHoldSeconds) || count_ < kFewestFrames) return false;

    const double median = recentMedian();
    // If all of the frame scaled with the pixels drawn, the frame at scale s would take this long.
    const auto predicted = [&](float s) {
        const double ratio = static_cast<double>(s) / static_cast<double>(scale_);
        return median * ratio * ratio;
    };
    float wanted = scale_;
    if (median > kLowerAbove * kTargetSeconds) {
        const double shrink = std::sqrt(kLowerAim * kTargetSeconds / median);
        wanted = std::min(snapDown(scale_ * static_cast<float>(shrink)), scale_ - kStep);
        wanted = std::max(wanted, kFloor);
    } else {
        for (float s = 1.0f; s > scale_; s -= kStep) {
            if (predicted(s) <= kRaiseBelow * kTargetSeconds) {
                wanted = s;
                break;
            }
        }
    }
    if (wanted == scale_) return false;
    scale_ = wanted;
    changed_ = true;
    count_ = 0;
    next_ = 0;
    sinceChange_ = 0.0;
    return true;
}

}  // namespace app
