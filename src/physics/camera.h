// The first-person camera: eye position, view axes from yaw and pitch, and the player's
// movement record (speeds, crouch capture, jump velocities).
#pragma once

#include <glm/glm.hpp>

namespace physics {

struct Camera {
    Camera();

    glm::vec3 position{0.0f, 4.2f, 50.0f};
    glm::vec3 front{0.0f, 0.0f, -1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
    // Degrees. Yaw is never wrapped; pitch stays within [-89, 89].
    float yaw = -90.0f;
    float pitch = 0.0f;
    // Units per second for walking and flying.
    float movementSpeed = 15.0f;
    // Degrees per pixel of mouse travel; the input handlers bring it to the settings' value
    // before each turn.
    float mouseSensitivity = 0.2f;

    bool wasCrouching = false;
    float standingHeight = 0.0f;
    int standingHeightCaptured = 0;

    // Units per second (squared for gravity); gravity's y is also the constant falling speed.
    glm::vec3 jumpStartVelocity{0.0f, 23.0f, 0.0f};
    glm::vec3 jumpVelocity{0.0f, 23.0f, 0.0f};
    glm::vec3 jumpGravity{0.0f, -45.0f, 0.0f};

    // Adds mouse travel (pixels) times the sensitivity to yaw and pitch, clamps the pitch.
    void turnCamera(float xOffset, float yOffset);
    // Recomputes front, right and up from yaw and pitch.
    void updateCameraAxes();
    glm::mat4 viewMatrix() const;
};

// Perspective of the player's view for a window of width x height pixels: `fieldOfView` degrees
// vertical (the game's own is 45), near 0.1, far 100. Every perspective the game draws with
// comes from here.
glm::mat4 projectionMatrix(int width, int height, float fieldOfView);

}  // namespace physics
