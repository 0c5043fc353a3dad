// The player's per-frame movement: walking, flying, falling, jumping and crouching.
#include "physics/player.h"

#include <glm/glm.hpp>

#include "physics/physics_world.h"

namespace physics {

void updateEye(Player& player) {
    if (!player.controller) return;
    const glm::dvec3 centre = player.controller->getPosition();
    player.camera.position =
        glm::vec3(static_cast<float>(centre.x),
                  static_cast<float>(centre.y + static_cast<double>(player.playerHeight * 0.5f)),
                  static_cast<float>(centre.z));
}

void moveCharacter(Player& player, MoveDirection direction, float tilt) {
    if (!player.controller) return;
    const Camera& camera = player.camera;
    const float speed = player.deltaTime * camera.movementSpeed * tilt;
    // The view direction flattened onto the ground (right × up points backwards).
    const glm::vec3 back = glm::normalize(glm::cross(camera.right, camera.worldUp));
    glm::vec3 displacement(0.0f);
    switch (direction) {
        case MoveDirection::Forward:
            displacement = player.gravityEnabled ? glm::vec3(-back.x * speed, 0.0f, -back.z * speed)
                                                 : camera.front * speed;
            break;
        case MoveDirection::Backward:
            displacement = player.gravityEnabled ? glm::vec3(back.x * speed, 0.0f, back.z * speed)
                                                 : -camera.front * speed;
            break;
        case MoveDirection::Left:
            displacement = -camera.right * speed;
            break;
        case MoveDirection::Right:
            displacement = camera.right * speed;
            break;
    }
    player.controller->move(displacement, kMoveMinDistance, player.deltaTime);
    updateEye(player);
}

void gravityStep(Player& player) {
    if (!player.controller || !player.gravityEnabled || player.jumpRequested) return;
    player.controller->move(glm::vec3(0.0f, player.deltaTime * player.camera.jumpGravity.y, 0.0f),
                            kMoveMinDistance, player.deltaTime);
    updateEye(player);
}

void updateCrouch(Player& player) {
    Camera& camera = player.camera;
    if (!camera.wasCrouching && !player.crouchHeld && camera.standingHeightCaptured == 0) {
        camera.standingHeight = player.playerHeight;
        camera.standingHeightCaptured = 1;
    }
    bool stillLow = false;
    if (player.controller && camera.wasCrouching) {
        const bool resized = player.controller->resize(
            player.crouchHeld ? camera.standingHeight * 0.5f : camera.standingHeight);
        updateEye(player);
        // Standing up under a low ceiling is refused; stay crouched and try again next frame.
        stillLow = !resized && !player.crouchHeld;
    }
    camera.wasCrouching = player.crouchHeld || stillLow;
}

void jumpStep(Player& player) {
    if (!player.controller || !player.jumpRequested) return;
    Camera& camera = player.camera;
    CharacterController& controller = *player.controller;
    for (int half = 0; half < 2; ++half) {
        camera.jumpVelocity += camera.jumpGravity * 0.5f * player.deltaTime;
        controller.move(glm::vec3(0.0f, camera.jumpVelocity.y * player.deltaTime, 0.0f),
                        kJumpMinDistance, player.deltaTime);
        updateEye(player);
    }
    const ControllerState state = controller.getState();
    const std::string& touched = shapeName(state.touchedShape);
    const glm::dvec3 foot = controller.getFootPosition();
    bool landed = false;
    if (foot.y < 0.001) {
        controller.setFootPosition(glm::dvec3(foot.x, 0.0, foot.z));
        landed = true;
    } else if (!touched.empty()) {
        landed = true;
    } else if (camera.jumpVelocity.y <= -25.0f) {
        landed = true;
    }
    if (landed) {
        camera.jumpVelocity = camera.jumpStartVelocity;
        player.jumpRequested = false;
    }
}

}  // namespace physics
