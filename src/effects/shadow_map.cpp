// Creates the shadow map, builds the light's matrix and brackets the depth pass of the casters.
#include "effects/shadow_map.h"

#include <glm/gtc/matrix_transform.hpp>
#include <limits>

namespace effects {

namespace {
// Polygon offset of the depth pass, in slope factor and depth units.
constexpr GLfloat kOffsetFactor = 2.0f;
constexpr GLfloat kOffsetUnits = 1.0f;
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

void beginShadowPass(const render::Shader& depthShader, const glm::mat4& lightSpaceMatrix,
                     const ShadowTarget& target) {
    depthShader.use();
    depthShader.setUniformMat4("lightSpaceMatrix", lightSpaceMatrix);
    glViewport(0, 0, kShadowSize, kShadowSize);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(kOffsetFactor, kOffsetUnits);
    // Front faces are culled so the casters' back faces write depth: less acne on lit faces.
    glCullFace(GL_FRONT);
}

void endShadowPass(int width, int height) {
    glCullFace(GL_BACK);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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
