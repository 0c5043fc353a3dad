// Builds the floating-point targets and runs the glow blur and the final composite.
#include "effects/bloom.h"

#include <algorithm>
#include <cmath>
#include <glm/glm.hpp>
#include <iostream>

#include "effects/render_quad.h"

namespace effects {

namespace {

// Where the blur's two taps fall either side of the texel, in texels of the image read (GLSL
// "tapOffset"). At full size 1.5: halfway between the texels 1 and 2 away, a 1-1-0-1-1 kernel.
constexpr float kFullSizeTap = 1.5f;
// At half size the first pass reads the full-size bright part and the others half-size texels,
// two window pixels each; these offsets best match the full-size glow of a single bright pixel
// (its worst case), measured along a row and along a column.
constexpr float kHalfSizeFirstTap = 1.9f;
constexpr float kHalfSizeAcrossTap = 0.5f;
constexpr float kHalfSizeDownTap = 0.6f;

// An RGBA16F colour texture, linear filtered so the blur can take in-between taps.
void makeColorTexture(GLuint texture, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, width, height, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void reportIfIncomplete() {
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
}

}  // namespace

HdrTarget createHdrTarget(int width, int height) {
    HdrTarget hdr;
    hdr.width = width;
    hdr.height = height;
    glGenFramebuffers(1, &hdr.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, hdr.framebuffer);
    glGenTextures(2, hdr.colorBuffers);
    for (GLuint i = 0; i < 2; ++i) {
        makeColorTexture(hdr.colorBuffers[i], width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D,
                               hdr.colorBuffers[i], 0);
    }
    glGenRenderbuffers(1, &hdr.depthRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, hdr.depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              hdr.depthRenderbuffer);
    // Fragment output 0 lands in the scene colour, output 1 in the bright part.
    const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glDrawBuffers(2, attachments);
    reportIfIncomplete();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return hdr;
}

BlurTargets createBlurTargets(int width, int height) {
    BlurTargets blur;
    blur.width = width;
    blur.height = height;
    glGenFramebuffers(2, blur.framebuffers);
    glGenTextures(2, blur.textures);
    for (int i = 0; i < 2; ++i) {
        glBindFramebuffer(GL_FRAMEBUFFER, blur.framebuffers[i]);
        makeColorTexture(blur.textures[i], width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               blur.textures[i], 0);
        reportIfIncomplete();
    }
    return blur;
}

UpscaleTarget createUpscaleTarget(int width, int height) {
    // A texel to spare beyond the window's size on each axis (see composite).
    ++width;
    ++height;
    UpscaleTarget target;
    glGenFramebuffers(1, &target.framebuffer);
    glGenTextures(1, &target.texture);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glBindTexture(GL_TEXTURE_2D, target.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
    reportIfIncomplete();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return target;
}

void setBloomStartValues(const render::Shader& blur, const render::Shader& composite) {
    blur.use();
    blur.setUniformInt("image", 0);
    composite.use();
    composite.setUniformInt("scene", 0);
    composite.setUniformInt("bloomBlur", 1);
}

SceneRegion sceneRegion(int width, int height, float scale) {
    const auto scaled = [scale](int size) {
        return std::clamp(static_cast<int>(std::lround(static_cast<float>(size) * scale)), 1,
                          std::max(size, 1));
    };
    return SceneRegion{scaled(width), scaled(height), scale};
}

void bindHdrForScene(const HdrTarget& hdr, const SceneRegion& region) {
    glBindFramebuffer(GL_FRAMEBUFFER, hdr.framebuffer);
    glViewport(0, 0, region.width, region.height);
    // Only the region is drawn and read this frame: clearing the rest would be wasted writes.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, region.width, region.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

namespace {

// GLSL "imageRegion" and its kind: the share of a texture of `size` texels that `used` fills.
glm::vec2 share(int usedWidth, int usedHeight, int width, int height) {
    return glm::vec2(static_cast<float>(usedWidth) / static_cast<float>(width),
                     static_cast<float>(usedHeight) / static_cast<float>(height));
}

// The blur targets' part for a scene region. At full scale all of them; in a reduced region half
// its share of their size (rounded up): the glow is blurred at a quarter of the scene's size. A
// glow is a soft halo and keeps its look there, and on the software renderer, where frames are
// slow enough for a reduced scale, the ten passes then cost a quarter (about 3 ms a frame at
// scale 0.5).
glm::ivec2 glowRegion(const HdrTarget& hdr, const BlurTargets& blurTargets,
                      const SceneRegion& region) {
    const auto part = [](int used, int whole, int target) {
        if (used >= whole) return target;
        const long long scaled =
            (static_cast<long long>(used) * target + 2LL * whole - 1) / (2LL * whole);
        return std::max(1, static_cast<int>(scaled));
    };
    return glm::ivec2(part(region.width, hdr.width, blurTargets.width),
                      part(region.height, hdr.height, blurTargets.height));
}

}  // namespace

void blurGlow(const render::Shader& blur, const HdrTarget& hdr, const BlurTargets& blurTargets,
              const SceneRegion& region) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Every blur and composite fragment is opaque (alpha 1) and the quad lies in front of the
    // cleared depth, so blending and the depth test would only cost a read of the target per
    // pixel without changing it. They are switched off for these passes and the composite, and
    // restored after it.
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    bool horizontal = true;
    bool first = true;
    const bool halfSize = blurTargets.width < hdr.width;
    const glm::ivec2 glow = glowRegion(hdr, blurTargets, region);
    // In a smaller region each texel covers more of the window: shorter taps keep the glow's
    // width on screen. The first pass reads the scene's texels, the later ones the glow's, which
    // a reduced region makes twice as coarse again.
    const bool whole = region.width >= hdr.width && region.height >= hdr.height;
    const float shrink = std::min(static_cast<float>(region.width) / static_cast<float>(hdr.width),
                                  1.0f);
    blur.use();
    // The blur samples unit 0. The sky pass leaves it active anyway; the composite below does not.
    glActiveTexture(GL_TEXTURE0);
    glViewport(0, 0, glow.x, glow.y);
    for (int pass = 0; pass < kBlurPasses; ++pass) {
        glBindFramebuffer(GL_FRAMEBUFFER, blurTargets.framebuffers[horizontal ? 1 : 0]);
        blur.setUniformInt("horizontal", horizontal ? 1 : 0);
        float tap = kFullSizeTap;
        if (halfSize) {
            tap = first ? kHalfSizeFirstTap : (horizontal ? kHalfSizeAcrossTap : kHalfSizeDownTap);
        }
        blur.setUniformFloat("tapOffset", tap * shrink * (first || whole ? 1.0f : 0.5f));
        blur.setUniformVec2("imageRegion",
                            first ? share(region.width, region.height, hdr.width, hdr.height)
                                  : share(glow.x, glow.y, blurTargets.width, blurTargets.height));
        horizontal = !horizontal;
        // The first pass reads the bright part; each later one reads what the previous wrote.
        glBindTexture(GL_TEXTURE_2D,
                      first ? hdr.colorBuffers[1] : blurTargets.textures[horizontal ? 1 : 0]);
        renderQuad();
        first = false;
    }
}

void composite(const render::Shader& composite, const HdrTarget& hdr,
               const BlurTargets& blurTargets, const UpscaleTarget& upscale,
               const SceneRegion& region, bool bloomEnabled) {
    const bool whole = region.width >= hdr.width && region.height >= hdr.height;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, hdr.width, hdr.height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A reduced scene is composited texel for texel at its own size and then stretched: one
    // filtered copy over the window costs the software renderer far less than the composite.
    if (!whole) {
        glBindFramebuffer(GL_FRAMEBUFFER, upscale.framebuffer);
        glViewport(0, 0, region.width, region.height);
    }

    const glm::ivec2 glow = glowRegion(hdr, blurTargets, region);
    composite.use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, hdr.colorBuffers[0]);
    glActiveTexture(GL_TEXTURE1);
    // After an even number of passes the last one wrote blur texture 0.
    glBindTexture(GL_TEXTURE_2D, blurTargets.textures[kBlurPasses % 2 == 0 ? 0 : 1]);
    composite.setUniformInt("bloom", bloomEnabled ? 1 : 0);
    composite.setUniformFloat("exposure", 1.0f);
    composite.setUniformVec2("sceneRegion",
                             share(region.width, region.height, hdr.width, hdr.height));
    composite.setUniformVec2("glowRegion",
                             share(glow.x, glow.y, blurTargets.width, blurTargets.height));
    renderQuad();
    if (!whole) {
        // The stretch's filter reaches half a texel past the region's far edges: a copy of the
        // last column and row there keeps older frames out of the window's edges.
        const int w = region.width;
        const int h = region.height;
        glBlitFramebuffer(w - 1, 0, w, h, w, 0, w + 1, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBlitFramebuffer(0, h - 1, w + 1, h, 0, h, w + 1, h + 1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, upscale.framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, region.width, region.height, 0, 0, hdr.width, hdr.height,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, hdr.width, hdr.height);
    }
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace effects
