// A lit program with the level's fixed light tables, and the uniform sets of scene, lamps and gems.
#pragma once

#include <array>
#include <glm/glm.hpp>

#include "physics/camera.h"
#include "render/shader.h"

namespace render {

class LightSet {
public:
    // How far a point light reaches, in units: its light fades smoothly to nothing there. The
    // flashlight reaches further.
    static constexpr float kPointRange = 24.0f;
    static constexpr float kSpotRange = 40.0f;

    // Fills the tables and builds `shader` from the two files.
    LightSet(const char* vertexPath, const char* fragmentPath);

    // Each makes `shader` current and sends the whole lit-program uniform list, every call:
    // brightness scales the result; the camera gives the view and flashlight position and aim.
    void applySceneLighting(float brightness, const physics::Camera& camera,
                            bool flashlightOn) const;
    void applyLampLighting(float brightness, const physics::Camera& camera,
                           bool flashlightOn) const;
    void applyGemLighting(float brightness, const physics::Camera& camera, bool flashlightOn) const;
    // Sets "cells" (0 or 1) on `shader`, which must already be current.
    void setCelShading(bool enabled) const;
    // With `lights` the point lights (by index) that can reach what is drawn next: the program
    // evaluates those alone. Without, all eight. `shader` must be current.
    void listLights(const int* lights, int count) const;
    void listAllLights() const;

    Shader shader;
    // World positions of point lights 0 to 7 of the scene and lamp lighting.
    std::array<glm::vec3, 8> lightPositions;
    // World positions of point lights 0 to 5 of the gem lighting: above and below each gem.
    std::array<glm::vec3, 6> gemLightPositions;
    // Colour of point light i in the scene lighting (intensity up to 1) and in the lamp lighting
    // (the same hues at 5 to 20, so the lamps glow).
    std::array<glm::vec3, 8> basePalette;
    std::array<glm::vec3, 8> brightPalette;

private:
    // Where "lightsListed", "lightCount" and "lightIndex" are in `shader` (listLights).
    GLint listedAt_, countAt_, indexAt_;

    struct PointLight {
        glm::vec3 position;
        glm::vec3 color;
        float linear;
    };
    struct Lighting {
        int specular;
        float shininess;
        glm::vec3 dirDirection;
        glm::vec3 dirColor;
        glm::vec3 spotColor;
        std::array<PointLight, 8> pointLights;
    };
    void sendLighting(const Lighting& lighting, float brightness, const physics::Camera& camera,
                      bool flashlightOn) const;
};

}  // namespace render
