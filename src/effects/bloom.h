// HDR scene target, ping-pong blur targets and the per-frame blur and tone-mapping composite.
#pragma once

#include <GL/glew.h>

#include "render/shader.h"

namespace effects {

// The scene is drawn here: colour 0 holds the scene colour, colour 1 the bright part to glow.
struct HdrTarget {
    GLuint framebuffer = 0;
    GLuint colorBuffers[2] = {0, 0};
    GLuint depthRenderbuffer = 0;
    // Pixels, the window's at start-up.
    int width = 0;
    int height = 0;
};

// Two single-texture targets the separable blur ping-pongs between: the window's size, or half
// of it (rounded up), which the composite's linear filter scales back up.
struct BlurTargets {
    GLuint framebuffers[2] = {0, 0};
    GLuint textures[2] = {0, 0};
    int width = 0;
    int height = 0;
};

// An 8-bit colour target a texel larger than the window each way: at a reduced scale the
// composite draws the region's picture into its lower-left part, which is then stretched over
// the window.
struct UpscaleTarget {
    GLuint framebuffer = 0;
    GLuint texture = 0;
};
UpscaleTarget createUpscaleTarget(int width, int height);

// Number of blur passes per frame, alternating horizontal and vertical, horizontal first.
constexpr int kBlurPasses = 10;

// Both print "Framebuffer not complete!" for each incomplete framebuffer and go on.
// Sizes are in pixels; the targets keep them for the whole run.
HdrTarget createHdrTarget(int width, int height);
// Leaves blur framebuffer 1 bound.
BlurTargets createBlurTargets(int width, int height);

// Once at start-up: blur reads unit 0; the composite reads the scene on 0 and the glow on 1.
void setBloomStartValues(const render::Shader& blur, const render::Shader& composite);

// The part of the HDR target a frame's scene is drawn into: its lower-left `width` x `height`
// pixels. The whole target at scale 1; a smaller part when frames are slow.
struct SceneRegion {
    int width = 0;
    int height = 0;
    // The share of the window's size, as asked for.
    float scale = 1.0f;
};
// The region of a window of `width` x `height` at `scale` (rounded to whole pixels, at least 1).
SceneRegion sceneRegion(int width, int height, float scale);

// Each play frame, before anything is drawn: binds the HDR target, sets the viewport to the
// region and clears colour and depth there.
void bindHdrForScene(const HdrTarget& hdr, const SceneRegion& region);

// Each play frame, after the sky: blurs the region's bright part ten times in the blur targets:
// all of them at full scale, at a quarter of the region's size in a reduced one. At half size the
// blur's taps are placed so that the glow keeps the width and shape it has at full size; in a
// smaller region they shrink with it, so the glow keeps about its width in the window.
void blurGlow(const render::Shader& blur, const HdrTarget& hdr, const BlurTargets& blurTargets,
              const SceneRegion& region);
// Then: draws the tone-mapped scene plus glow (glow only when bloomEnabled) into framebuffer 0
// with exposure 1.0 at the HDR target's size, the region scaled up to the whole window. Leaves
// texture unit 1 active and framebuffer 0 bound with the window's viewport.
void composite(const render::Shader& composite, const HdrTarget& hdr,
               const BlurTargets& blurTargets, const UpscaleTarget& upscale,
               const SceneRegion& region, bool bloomEnabled);

}  // namespace effects
