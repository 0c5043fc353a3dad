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

// Number of blur passes per frame, alternating horizontal and vertical, horizontal first.
constexpr int kBlurPasses = 10;

// Both print "Framebuffer not complete!" for each incomplete framebuffer and go on.
// Sizes are in pixels; the targets keep them for the whole run.
HdrTarget createHdrTarget(int width, int height);
// Leaves blur framebuffer 1 bound.
BlurTargets createBlurTargets(int width, int height);

// Once at start-up: blur reads unit 0; the composite reads the scene on 0 and the glow on 1.
void setBloomStartValues(const render::Shader& blur, const render::Shader& composite);

// Each play frame, before anything is drawn: binds the HDR target and clears colour and depth.
void bindHdrForScene(const HdrTarget& hdr);

// Each play frame, after the sky: blurs the bright part ten times at the blur targets' size and
// draws the tone-mapped scene plus glow (glow only when bloomEnabled) into framebuffer 0 with
// exposure 1.0, at the HDR target's size. At half size the blur's taps are placed so that the glow
// keeps the width and shape it has at full size. Leaves texture unit 1 active.
void bloomComposite(const render::Shader& blur, const render::Shader& composite,
                    const HdrTarget& hdr, const BlurTargets& blurTargets, bool bloomEnabled);

}  // namespace effects
