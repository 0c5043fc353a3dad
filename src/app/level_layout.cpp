// Model matrices of the level's objects.
#include "app/level_layout.h"

#include <glm/gtc/matrix_transform.hpp>

namespace app::layout {

glm::mat4 lampMatrix(int lamp) {
    return glm::scale(glm::translate(glm::mat4(1.0f), kLampPositions[static_cast<size_t>(lamp)]),
                      glm::vec3(kLampScale));
}

glm::mat4 gemMatrix(int gem) {
    return glm::translate(glm::mat4(1.0f), kGemPositions[static_cast<size_t>(gem)]);
}

glm::mat4 brickMatrix(int brick) {
    const glm::vec3 position = brick == 0 ? kBrick1Position : kBrick2Position;
    return glm::scale(glm::translate(glm::mat4(1.0f), position), kBrickScale);
}

glm::mat4 speechMatrix() { return glm::translate(glm::mat4(1.0f), glm::vec3(6.0f, 10.0f, 17.0f)); }

glm::mat4 wavesMatrix() { return glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 4.0f, 2.3f)); }

glm::mat4 statueMatrix() {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(6.0f, 0.0f, 17.0f));
    m = glm::scale(m, glm::vec3(0.03f));
    // The statue is authored z-up; a quarter turn about x stands it up.
    return glm::rotate(m, -1.5707964f, glm::vec3(1.0f, 0.0f, 0.0f));
}

glm::mat4 platformMatrix(const glm::vec3& bodyPosition) {
    return glm::scale(glm::translate(glm::mat4(1.0f), bodyPosition), kPlatformScale);
}

glm::mat4 spikesMatrix(const glm::vec3& bodyPosition) {
    return glm::translate(glm::mat4(1.0f), bodyPosition);
}

glm::mat4 wallBrickMatrix(const glm::vec3& bodyPosition) {
    return glm::scale(glm::translate(glm::mat4(1.0f), bodyPosition), glm::vec3(kWallBrickScale));
}

}  // namespace app::layout
