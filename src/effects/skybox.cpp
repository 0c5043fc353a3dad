// Loads the sky's cube map and draws it last, where nothing else covered the far plane.
#include "effects/skybox.h"

#include <stb_image.h>

#include <glm/glm.hpp>
#include <iostream>

namespace effects {

namespace {

// A unit cube as 36 positions, wound to face a viewer inside it so back-face culling keeps it.
const float kCubeVertices[] = {
    -1.0f, 1.0f,  -1.0f, -1.0f, -1.0f, -1.0f, 1.0f,  -1.0f, -1.0f,
    1.0f,  -1.0f, -1.0f, 1.0f,  1.0f,  -1.0f, -1.0f, 1.0f,  -1.0f,

    -1.0f, -1.0f, 1.0f,  -1.0f, -1.0f, -1.0f, -1.0f, 1.0f,  -1.0f,
    -1.0f, 1.0f,  -1.0f, -1.0f, 1.0f,  1.0f,  -1.0f, -1.0f, 1.0f,

    1.0f,  -1.0f, -1.0f, 1.0f,  -1.0f, 1.0f,  1.0f,  1.0f,  1.0f,
    1.0f,  1.0f,  1.0f,  1.0f,  1.0f,  -1.0f, 1.0f,  -1.0f, -1.0f,

    -1.0f, -1.0f, 1.0f,  -1.0f, 1.0f,  1.0f,  1.0f,  1.0f,  1.0f,
    1.0f,  1.0f,  1.0f,  1.0f,  -1.0f, 1.0f,  -1.0f, -1.0f, 1.0f,

    -1.0f, 1.0f,  -1.0f, 1.0f,  1.0f,  -1.0f, 1.0f,  1.0f,  1.0f,
    1.0f,  1.0f,  1.0f,  -1.0f, 1.0f,  1.0f,  -1.0f, 1.0f,  -1.0f,

    -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, 1.0f,  1.0f,  -1.0f, -1.0f,
    1.0f,  -1.0f, -1.0f, -1.0f, -1.0f, 1.0f,  1.0f,  -1.0f, 1.0f,
};

void reportFaceFailure(const std::string& path) {
    std::cout << "Cubemap texture failed to load at path: " << path << std::endl;
}

// Uploads one decoded face to the GL_RGB level of its target. Three- and four-channel pixels go
// up with their own pixel format so rows are read at their true stride; one- and two-channel
// (grey, grey + alpha) faces are widened to grey RGB first so they stay grey.
void uploadFace(GLenum target, int size, int channels, const unsigned char* pixels) {
    if (channels == 3 || channels == 4) {
        const GLenum format = channels == 4 ? GL_RGBA : GL_RGB;
        glTexImage2D(target, 0, GL_RGB, size, size, 0, format, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    const std::size_t texels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    std::vector<unsigned char> rgb(texels * 3);
    for (std::size_t t = 0; t < texels; ++t) {
        const unsigned char grey = pixels[t * static_cast<std::size_t>(channels)];
        rgb[t * 3] = grey;
        rgb[t * 3 + 1] = grey;
        rgb[t * 3 + 2] = grey;
    }
    glTexImage2D(target, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

}  // namespace

GLuint loadCubemap(std::vector<std::string> faces) {
    GLuint textureId = 0;
    glGenTextures(1, &textureId);
    glBindTexture(GL_TEXTURE_CUBE_MAP, textureId);
    // Decoded rows are tightly packed whatever their width. The text renderer already left this
    // at 1; saying it here keeps the faces right even without it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // Edge length in texels of the first face that loaded; a cube map needs six equal squares.
    int faceSize = 0;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        int width = 0;
        int height = 0;
        int channels = 0;
        unsigned char* pixels = stbi_load(faces[i].c_str(), &width, &height, &channels, 0);
        if (!pixels) {
            reportFaceFailure(faces[i]);
            continue;
        }
        if (width != height || (faceSize != 0 && width != faceSize)) {
            stbi_image_free(pixels);
            reportFaceFailure(faces[i]);
            continue;
        }
        faceSize = width;
        uploadFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), width, channels,
                   pixels);
        stbi_image_free(pixels);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    return textureId;
}

Skybox::Skybox()
    : skyShader("../assets/shaders/vShader_skybox.txt", "../assets/shaders/fShader_skybox.txt"),
      reflectionShader("../assets/shaders/vShader_cubemap.txt",
                       "../assets/shaders/fShader_cubemap.txt") {
    // Cube-map faces are stored top row first, as the files hold them.
    stbi_set_flip_vertically_on_load(false);

    glGenVertexArrays(1, &cubeVao);
    glGenBuffers(1, &cubeVbo);
    glBindVertexArray(cubeVao);
    glBindBuffer(GL_ARRAY_BUFFER, cubeVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kCubeVertices), kCubeVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);

    glActiveTexture(GL_TEXTURE0);
    cubemapTexture = loadCubemap({
        "../assets/textures/skybox/right.png",
        "../assets/textures/skybox/left.png",
        "../assets/textures/skybox/top.png",
        "../assets/textures/skybox/bottom.png",
        "../assets/textures/skybox/front.png",
        "../assets/textures/skybox/back.png",
    });

    skyShader.use();
    skyShader.setUniformInt("skybox", 0);
}

void Skybox::drawSky(const physics::Camera& camera, const glm::mat4& projection,
                     float brightness) const {
    // The sky sits exactly at the far plane, so it passes only where the depth is still clear.
    glDepthFunc(GL_LEQUAL);
    skyShader.use();
    // Rotation only: the sky never moves with the camera.
    const glm::mat4 view = glm::mat4(glm::mat3(camera.viewMatrix()));
    skyShader.setUniformMat4("view", view);
    skyShader.setUniformMat4("projection", projection);
    skyShader.setUniformFloat("brightness", brightness);
    glBindVertexArray(cubeVao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemapTexture);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    glBindVertexArray(0);
    glDepthFunc(GL_LESS);
}

}  // namespace effects
