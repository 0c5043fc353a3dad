// Creates the shadow map, builds the light's matrix and brackets the depth pass of the casters.
#include "effects/shadow_map.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>

namespace effects {

namespace {
// Polygon offset of the depth pass, in slope factor and depth units.
constexpr GLfloat kOffsetFactor = 2.0f;
constexpr GLfloat kOffsetUnits = 1.0f;
// Texels added on each side of a caster's rectangle: the rasteriser snaps vertices to a sub-texel
// grid and lines (wireframe) reach half a texel beyond them.
constexpr float kRectMargin = 1.0f;

// Everything of the depth pass but the clear: program, matrix, target, offset and culling.
void prepareShadowPass(const render::Shader& depthShader, const glm::mat4& lightSpaceMatrix,
                       const ShadowTarget& target) {
    depthShader.use();
    depthShader.setUniformMat4("lightSpaceMatrix", lightSpaceMatrix);
    glViewport(0, 0, kShadowSize, kShadowSize);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(kOffsetFactor, kOffsetUnits);
    // Front faces are culled so the casters' back faces write depth: less acne on lit faces.
    glCullFace(GL_FRONT);
}

void drawCaster(const render::Shader& depthShader, const ShadowCaster& caster) {
    depthShader.setUniformMat4("model", caster.matrix);
    caster.model->drawGeometry();
}

bool sameCaster(const ShadowCaster& a, const ShadowCaster& b) {
    return a.model == b.model && a.matrix == b.matrix;
}

// Joins overlapping rectangles, in place, until none overlap, so no texel is cleared and drawn
// twice.
void merge(std::vector<TexelRect>& rects) {
    std::erase_if(rects, [](const TexelRect& r) { return r.empty(); });
    for (std::size_t a = 0; a < rects.size();) {
        bool grown = false;
        for (std::size_t b = a + 1; b < rects.size(); ++b) {
            if (!rects[a].overlaps(rects[b])) continue;
            rects[a] =
                TexelRect{std::min(rects[a].x0, rects[b].x0), std::min(rects[a].y0, rects[b].y0),
                          std::max(rects[a].x1, rects[b].x1), std::max(rects[a].y1, rects[b].y1)};
            rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(b));
            grown = true;
            break;
        }
        // A grown rectangle may now reach one it was checked against before: start over.
        a = grown ? 0 : a + 1;
    }
}
}  // namespace

ShadowTarget createShadowTarget() {
    ShadowTarget target;
    glGenFramebuffers(1, &target.framebuffer);
    glGenTextures(1, &target.depthMap);
    glBindTexture(GL_TEXTURE_2D, target.depthMap);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, kShadowSize, kShadowSize, 0,
                 GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    // Lookups outside the light's footprint read the far plane, so nothing there is shadowed.
    const GLfloat borderColor[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, borderColor);

    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, target.depthMap, 0);
    // Depth only: no colour buffer is read or written.
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return target;
}

namespace {

glm::mat4 lightView() {
    return glm::lookAt(kLightPos, glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
}

// The lower-left corner, less the margin, of the sun's box's eight corners as the light sees
// them, in world units of the light's view.
glm::vec2 sunCoverLowerLeft() {
    const glm::mat4 view = lightView();
    glm::vec2 low(std::numeric_limits<float>::max());
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 world((corner & 1) ? kSunCoverMax.x : kSunCoverMin.x,
                              (corner & 2) ? kSunCoverMax.y : kSunCoverMin.y,
                              (corner & 4) ? kSunCoverMax.z : kSunCoverMin.z);
        low = glm::min(low, glm::vec2(view * glm::vec4(world, 1.0f)));
    }
    return low - kSunCoverMargin;
}

}  // namespace

glm::mat4 computeLightSpaceMatrix() {
    const glm::vec2 low = sunCoverLowerLeft();
    // The map spans this many units from the box's lower-left corner, past the box's far sides
    // (it is 59 by 90 units as the light sees it); the casters all lie in the box, so the rest of
    // the map stays at the far plane.
    const float span = static_cast<float>(kShadowSize) / kShadowTexelsPerUnit;
    const glm::mat4 lightProjection =
        glm::ortho(low.x, low.x + span, low.y, low.y + span, kShadowNear, kShadowFar);
    return lightProjection * lightView();
}

TexelRect boxTexels(const glm::mat4& lightSpaceMatrix, const glm::mat4& model, const glm::vec3& low,
                    const glm::vec3& high) {
    const glm::mat4 toLight = lightSpaceMatrix * model;
    glm::vec2 least(std::numeric_limits<float>::max());
    glm::vec2 most(std::numeric_limits<float>::lowest());
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 point((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                              (corner & 4) ? high.z : low.z);
        const glm::vec4 clip = toLight * glm::vec4(point, 1.0f);
        if (!(clip.w > 0.0f) || !std::isfinite(clip.x) || !std::isfinite(clip.y)) return {};
        least = glm::min(least, glm::vec2(clip) / clip.w);
        most = glm::max(most, glm::vec2(clip) / clip.w);
    }
    // Normalised device coordinates to texels; clamped as floats first so no cast overflows.
    const float size = static_cast<float>(kShadowSize);
    const auto texel = [size](float ndc, float round) {
        return static_cast<int>(std::clamp(round + (ndc * 0.5f + 0.5f) * size, 0.0f, size));
    };
    return TexelRect{texel(least.x, -kRectMargin), texel(least.y, -kRectMargin),
                     texel(most.x, kRectMargin + 1.0f), texel(most.y, kRectMargin + 1.0f)};
}

TexelRect ShadowMap::texelsOf(const glm::mat4& lightSpaceMatrix, const ShadowCaster& caster) {
    auto known = std::find_if(bounds_.begin(), bounds_.end(),
                              [&](const auto& entry) { return entry.first == caster.model; });
    if (known == bounds_.end()) {
        glm::vec3 low(std::numeric_limits<float>::max());
        glm::vec3 high(std::numeric_limits<float>::lowest());
        for (const render::Vertex& vertex : caster.model->vertices) {
            low = glm::min(low, vertex.position);
            high = glm::max(high, vertex.position);
        }
        bounds_.emplace_back(caster.model, std::make_pair(low, high));
        known = bounds_.end() - 1;
    }
    // A model without vertices draws nothing.
    if (caster.model->vertices.empty()) return {};
    return boxTexels(lightSpaceMatrix, caster.matrix, known->second.first, known->second.second);
}

void ShadowMap::findChangedTexels(const std::vector<ShadowCaster>& casters) {
    changed_.clear();
    kept_.assign(drawn_.size(), false);
    for (std::size_t i = 0; i < casters.size(); ++i) {
        bool found = false;
        for (std::size_t j = 0; j < drawn_.size() && !found; ++j) {
            found = !kept_[j] && sameCaster(drawn_[j], casters[i]);
            if (found) kept_[j] = true;
        }
        // New here or moved here.
        if (!found) changed_.push_back(rects_[i]);
    }
    // Gone from there or moved away.
    for (std::size_t j = 0; j < drawn_.size(); ++j) {
        if (!kept_[j]) changed_.push_back(drawnRects_[j]);
    }
    merge(changed_);
}

void ShadowMap::draw(const render::Shader& depthShader, const glm::mat4& lightSpaceMatrix,
                     const std::vector<ShadowCaster>& casters, bool redrawAll) {
    RasterState state;
    state.culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    // Front and back in the query's answer; the game sets both at once.
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    state.polygonMode = modes[0];
    rects_.clear();
    for (const ShadowCaster& caster : casters) rects_.push_back(texelsOf(lightSpaceMatrix, caster));

    prepareShadowPass(depthShader, lightSpaceMatrix, target);
    if (redrawAll || !drawnOnce_ || lightSpaceMatrix != drawnLightSpace_ || state != drawnState_) {
        glClear(GL_DEPTH_BUFFER_BIT);
        for (const ShadowCaster& caster : casters) drawCaster(depthShader, caster);
    } else {
        findChangedTexels(casters);
        glEnable(GL_SCISSOR_TEST);
        for (const TexelRect& rect : changed_) {
            glScissor(rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0);
            glClear(GL_DEPTH_BUFFER_BIT);
            for (std::size_t i = 0; i < casters.size(); ++i) {
                if (rects_[i].overlaps(rect)) drawCaster(depthShader, casters[i]);
            }
        }
        glDisable(GL_SCISSOR_TEST);
    }
    drawnOnce_ = true;
    drawnLightSpace_ = lightSpaceMatrix;
    drawnState_ = state;
    // Copied element by element into storage the vectors already have.
    drawn_.assign(casters.begin(), casters.end());
    drawnRects_.assign(rects_.begin(), rects_.end());
}

void endShadowPass(int width, int height) {
    glCullFace(GL_BACK);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
}

void setShadowMapUnit(const render::Shader& sceneShader) {
    sceneShader.use();
    sceneShader.setUniformInt("shadowMap", kShadowMapUnit);
}

void bindShadowMapForScene(const render::Shader& sceneShader, const glm::mat4& lightSpaceMatrix,
                           const ShadowTarget& target) {
    sceneShader.setUniformMat4("lightSpaceMatrix", lightSpaceMatrix);
    sceneShader.setUniformVec3("lightPos", kLightPos);
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + kShadowMapUnit));
    glBindTexture(GL_TEXTURE_2D, target.depthMap);
}

}  // namespace effects
