// Sends the fixed light tables of the scene, lamp and gem lighting to a lit program.
#include "render/light_set.h"

#include <cmath>
#include <string>

namespace render {

namespace {

constexpr float kConstant = 1.0f;
constexpr float kLinear = 0.09f;
constexpr float kQuadratic = 0.032f;
// Gem 3's two lights fade ten times more slowly with distance than the others.
constexpr float kFarGemLinear = 0.009f;
// Large enough that any highlight short of an exact mirror angle vanishes.
constexpr float kNoHighlightShininess = 2147483648.0f;
// Flashlight cone edges in radians: full light within 50 degrees, fading out by 52.
constexpr float kSpotInnerRadians = 0.8726646f;
constexpr float kSpotOuterRadians = 0.9075712f;

}  // namespace

LightSet::LightSet(const char* vertexPath, const char* fragmentPath)
    : shader(vertexPath, fragmentPath),
      lightPositions{{{16.0f, 16.0f, -3.0f},
                      {-16.0f, 16.0f, 0.5f},
                      {5.0f, 20.0f, -14.0f},
                      {5.0f, 20.0f, -25.5f},
                      {-29.0f, 16.0f, -20.0f},
                      {-25.0f, 16.0f, 12.0f},
                      {0.0f, 16.0f, 12.0f},
                      {16.0f, 16.0f, 10.0f}}},
      gemLightPositions{{{-5.0f, 10.0f, 10.0f},
                         {-5.0f, 4.0f, 10.0f},
                         {-10.0f, 5.5f, -8.0f},
                         {-10.0f, -1.5f, -8.0f},
                         {15.0f, 18.0f, -20.0f},
                         {15.0f, 12.0f, -20.0f}}},
      basePalette{{{0.0f, 1.0f, 0.0f},
                   {1.0f, 0.0f, 1.0f},
                   {0.0f, 1.0f, 1.0f},
                   {0.5f, 0.5f, 0.0f},
                   {1.0f, 0.0f, 1.0f},
                   {0.0f, 1.0f, 0.0f},
                   {1.0f, 0.0f, 0.0f},
                   {1.0f, 0.0f, 0.0f}}},
      brightPalette{{{0.0f, 5.0f, 0.0f},
                     {10.0f, 0.0f, 10.0f},
                     {0.0f, 6.0f, 5.0f},
                     {5.0f, 5.0f, 0.0f},
                     {10.0f, 0.0f, 10.0f},
                     {0.0f, 5.0f, 0.0f},
                     {20.0f, 0.0f, 0.0f},
                     {20.0f, 0.0f, 0.0f}}},
      listedAt_(glGetUniformLocation(shader.programId, "lightsListed")),
      countAt_(glGetUniformLocation(shader.programId, "lightCount")),
      indexAt_(glGetUniformLocation(shader.programId, "lightIndex")) {}

void LightSet::applySceneLighting(float brightness, const physics::Camera& camera,
                                  bool flashlightOn) const {
    Lighting lighting{0, 32.0f, {0.0f, -1.0f, -1.0f}, glm::vec3(0.8f), glm::vec3(1.0f), {}};
    for (std::size_t i = 0; i < 8; ++i) {
        lighting.pointLights[i] = {lightPositions[i], basePalette[i], kLinear};
    }
    sendLighting(lighting, brightness, camera, flashlightOn);
}

void LightSet::applyLampLighting(float brightness, const physics::Camera& camera,
                                 bool flashlightOn) const {
    Lighting lighting{1, kNoHighlightShininess, glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(0.0f),
                      {}};
    for (std::size_t i = 0; i < 8; ++i) {
        lighting.pointLights[i] = {lightPositions[i], brightPalette[i], kLinear};
    }
    sendLighting(lighting, brightness, camera, flashlightOn);
}

void LightSet::applyGemLighting(float brightness, const physics::Camera& camera,
                                bool flashlightOn) const {
    Lighting lighting{1, kNoHighlightShininess, glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(0.0f),
                      {}};
    const glm::vec3 white(5.0f);
    for (std::size_t i = 0; i < 6; ++i) {
        lighting.pointLights[i] = {gemLightPositions[i], white, i >= 4 ? kFarGemLinear : kLinear};
    }
    // Lights 6 and 7 are switched off at the scene positions.
    lighting.pointLights[6] = {lightPositions[6], glm::vec3(0.0f), kLinear};
    lighting.pointLights[7] = {lightPositions[7], glm::vec3(0.0f), kLinear};
    sendLighting(lighting, brightness, camera, flashlightOn);
}

void LightSet::setCelShading(bool enabled) const { shader.setUniformInt("cells", enabled ? 1 : 0); }

// Called for every cell of the level each frame: the three uniforms' places are looked up once,
// and the list goes in one upload.
void LightSet::listLights(const int* lights, int count) const {
    glUniform1i(listedAt_, 1);
    glUniform1i(countAt_, count);
    if (count > 0) glUniform1iv(indexAt_, count, lights);
}

void LightSet::listAllLights() const { glUniform1i(listedAt_, 0); }

void LightSet::sendLighting(const Lighting& lighting, float brightness,
                            const physics::Camera& camera, bool flashlightOn) const {
    shader.use();
    shader.setUniformInt("specular", lighting.specular);
    shader.setUniformFloat("brightness", brightness);
    shader.setUniformVec3("viewPos", camera.position);
    // The mesh's first two textures sit on units 0 and 1.
    shader.setUniformInt("material.diffuse", 0);
    shader.setUniformInt("material.specular", 1);
    shader.setUniformFloat("material.shininess", lighting.shininess);
    shader.setUniformVec3("dirLight.direction", lighting.dirDirection);
    shader.setUniformVec3("dirLight.color", lighting.dirColor);
    for (std::size_t i = 0; i < lighting.pointLights.size(); ++i) {
        const std::string prefix = "pointLights[" + std::to_string(i) + "].";
        const PointLight& light = lighting.pointLights[i];
        shader.setUniformVec3(prefix + "position", light.position);
        shader.setUniformVec3(prefix + "color", light.color);
        shader.setUniformFloat(prefix + "constant", kConstant);
        shader.setUniformFloat(prefix + "linear", light.linear);
        shader.setUniformFloat(prefix + "quadratic", kQuadratic);
    }
    shader.setUniformVec3("spotLight.position", camera.position);
    shader.setUniformVec3("spotLight.direction", camera.front);
    shader.setUniformVec3("spotLight.color", lighting.spotColor);
    shader.setUniformFloat("spotLight.constant", kConstant);
    shader.setUniformFloat("spotLight.linear", kLinear);
    shader.setUniformFloat("spotLight.quadratic", kQuadratic);
    shader.setUniformFloat("spotLight.cutOff", std::cos(kSpotInnerRadians));
    shader.setUniformFloat("spotLight.outerCutOff", std::cos(kSpotOuterRadians));
    shader.setUniformBool("flashLightToggle", flashlightOn);
    shader.setUniformFloat("pointRange", kPointRange);
    shader.setUniformFloat("spotRange", kSpotRange);
    // Every light, until the renderer lists the ones that reach an object.
    shader.setUniformInt("lightsListed", 0);
}

}  // namespace render
