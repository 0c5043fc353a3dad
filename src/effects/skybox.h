// The sky: a cube map drawn around the camera at the far plane, plus the statue's mirror program.
#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

#include "physics/camera.h"
#include "render/shader.h"

namespace effects {

// Decodes six faces (+X, -X, +Y, -Y, +Z, -Z) into one cube-map texture, left bound to the
// cube-map target of the active unit. A face that cannot be decoded, is not square or differs in
// size from the first face that loaded prints one failure line and stays without an image.
GLuint loadCubemap(std::vector<std::string> faces);

class Skybox {
public:
    // Builds both programs and the cube, loads the six faces from ../assets/textures/skybox/ and
    // leaves the cube map bound on texture unit 0, where the reflection program samples it.
    Skybox();

    // Draws the sky behind everything already drawn (depth test GL_LEQUAL at the far plane),
    // through the view's `projection`, scaled by brightness. Leaves unit 0 active.
    void drawSky(const physics::Camera& camera, const glm::mat4& projection,
                 float brightness) const;

    render::Shader skyShader;
    render::Shader reflectionShader;
    GLuint cubemapTexture = 0;
    GLuint cubeVao = 0;
    GLuint cubeVbo = 0;
};

}  // namespace effects
