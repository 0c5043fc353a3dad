// The player: camera on top of the capsule controller, and the per-frame walk, fall, jump and
// crouch steps.
#pragma once

#include "physics/camera.h"
#include "physics/character_controller.h"

namespace physics {

enum class MoveDirection { Forward = 0, Backward = 1, Left = 2, Right = 3 };

struct Player {
    Camera camera;
    // Cylinder height of the standing capsule; the eye sits half of it above the capsule centre.
    float playerHeight = 4.0f;
    // False while flying.
    bool gravityEnabled = true;
    // True while a jump is in progress; the jump step clears it.
    bool jumpRequested = false;
    bool crouchHeld = false;
    // Seconds of the last frame, set by the frame loop.
    float deltaTime = 0.0f;
    // The world's controller; not owned.
    CharacterController* controller = nullptr;
};

// Smallest remaining motion a move keeps sliding for, in world units.
inline constexpr float kMoveMinDistance = 0.0005f;
// Jump moves slide until practically nothing is left.
inline constexpr float kJumpMinDistance = 5.0e-25f;

// Walks (or flies) one frame's worth of movementSpeed in the given direction, times `tilt` (0 to
// 1: how far a stick is pushed; a key is pushed all the way).
void moveCharacter(Player& player, MoveDirection direction, float tilt = 1.0f);
// Falls at the constant speed -jumpGravity.y while walking and not jumping.
void gravityStep(Player& player);
// Shrinks the capsule to half height from the second held frame, restores it after release.
void updateCrouch(Player& player);
// Two half steps of the jump's rise and fall; ends the jump on landing.
void jumpStep(Player& player);
// Puts the eye playerHeight / 2 above the capsule centre.
void updateEye(Player& player);

}  // namespace physics
