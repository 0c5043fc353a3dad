// The player's capsule character controller: collide-and-slide moves through the world.
#pragma once

#include <glm/glm.hpp>
#include <memory>

namespace physics {

class Shape;
class Actor;
struct ControllerSetup;

// What the latest move stood on or landed on; both null while in the air.
struct ControllerState {
    Shape* touchedShape = nullptr;
    Actor* touchedActor = nullptr;
};

class CharacterController {
public:
    // Made by the physics world, which hands over its capsule body.
    explicit CharacterController(const ControllerSetup& setup);
    ~CharacterController();
    CharacterController(const CharacterController&) = delete;
    CharacterController& operator=(const CharacterController&) = delete;

    // Moves by displacement (world units), stepping up ledges of at most stepOffset, sliding
    // along walls and refusing slopes steeper than the slope limit. Stops once the remaining
    // motion is at most minDistance. elapsed (seconds) caps the push given to loose bodies.
    void move(const glm::vec3& displacement, float minDistance, float elapsed);

    // Capsule centre.
    glm::dvec3 getPosition() const;
    // Centre − (contactOffset + radius + height / 2) on y.
    glm::dvec3 getFootPosition() const;
    void setFootPosition(const glm::dvec3& foot);
    void setPosition(const glm::dvec3& centre);
    // Changes the cylinder height keeping the bottom in place. Refuses (false) to grow into
    // something solid; the capsule keeps its height then.
    bool resize(float height);
    ControllerState getState() const;
    // How deep the capsule reaches into level geometry that never moves (world units, 0 when
    // clear): what a sound move must keep at zero.
    float staticOverlap() const;

    float radius() const;
    float height() const;
    float stepOffset() const;
    float contactOffset() const;
    float slopeLimit() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace physics
