// Private to the physics library: the records behind the opaque Shape and Actor handles.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "physics/physics_world.h"

class btCollisionShape;
class btCollisionObject;
class btRigidBody;
class btMotionState;
class btStridingMeshInterface;
class btDiscreteDynamicsWorld;

namespace physics {

enum class ActorKind { Static, Trigger, Kinematic, Dynamic, Player };

class Shape {
public:
    ~Shape();

    std::string name;
    // What bodies collide with: for a mesh with a scale, the scaled wrapper.
    btCollisionShape* collision = nullptr;
    // False for the capsule, whose shapes belong to the controller.
    bool ownsCollision = true;
    Material material{0.5f, 0.5f, 0.6f};
    bool trigger = false;
    // World units cubed; zero for meshes and planes.
    float volume = 0.0f;

    // Triangle meshes only: the shared tree, the index view over the lists below, and the lists
    // themselves (Bullet reads them in place, so they live as long as the shape).
    bool isMesh = false;
    glm::vec3 meshScale{1.0f};
    btCollisionShape* unscaledMesh = nullptr;
    btStridingMeshInterface* meshInterface = nullptr;
    std::vector<glm::vec3> points;
    std::vector<std::uint32_t> indices;
};

class Actor {
public:
    ~Actor();

    std::string name;
    Shape* shape = nullptr;
    ActorKind kind = ActorKind::Static;
    // Creation order: trigger reports are sorted by it so their order never depends on addresses.
    std::uint32_t serial = 0;
    bool inWorld = false;
    // body is the same object as `object` for everything but triggers, which have no body.
    btCollisionObject* object = nullptr;
    btRigidBody* body = nullptr;
    btMotionState* motionState = nullptr;
};

// What the world hands to the player's controller when it makes it.
struct ControllerSetup {
    btDiscreteDynamicsWorld* world = nullptr;
    Actor* capsule = nullptr;
    float radius = 0.2f;
    float height = 4.0f;
    glm::vec3 centre{0.0f};
    float stepOffset = 0.5f;
    // Cosine of the steepest slope that can be walked up.
    float slopeLimit = 0.707f;
    // Gap the controller keeps to what it touches; sweeps closer than about 0.001 report a hit
    // at distance zero, so it cannot be much smaller.
    float contactOffset = 0.005f;
};

}  // namespace physics
