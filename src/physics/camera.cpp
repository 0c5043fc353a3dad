// Camera axes, mouse turning and the view and projection matrices.
#include "physics/camera.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

namespace physics {

Camera::Camera() { updateCameraAxes(); }

void Camera::turnCamera(float xOffset, float yOffset) {
    yaw += xOffset * mouseSensitivity;
    pitch += yOffset * mouseSensitivity;
    if (pitch > 89.0f) pitch = 89.0f;
    if (pitch < -89.0f) pitch = -89.0f;
    updateCameraAxes();
}

void Camera::updateCameraAxes() {
    const float toRadians = 0.017453292f;
    const float y = yaw * toRadians;
    const float p = pitch * toRadians;
    front = glm::normalize(glm::vec3(std::cos(y) * std::cos(p), std::sin(p),
                                     std::sin(y) * std::cos(p)));
    right = glm::normalize(glm::cross(front, worldUp));
    up = glm::normalize(glm::cross(right, front));
}

glm::mat4 Camera::viewMatrix() const { return glm::lookAt(position, position + front, up); }

glm::mat4 projectionMatrix(int width, int height, float fieldOfView) {
    // glm::radians(45.0f) is exactly 2 x 0.39269909f, the half-angle of 22.5 degrees doubled: the
    // default view's matrix is bit for bit the one that fixed constant gives.
    return glm::perspective(glm::radians(fieldOfView),
                            static_cast<float>(width) / static_cast<float>(height), 0.1f, 100.0f);
}

}  // namespace physics
