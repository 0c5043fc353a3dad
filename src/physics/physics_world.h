// The one physics world of the game: bodies, triggers, triangle meshes and the player's capsule.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

namespace physics {

// Opaque records owned by the world; game code only compares and names them.
class Shape;
class Actor;

// "" when the record has no name or is null.
const std::string& shapeName(const Shape* shape);
const std::string& actorName(const Actor* actor);

// Friction and restitution of a surface; two touching surfaces use the averages of their values.
struct Material {
    float staticFriction;
    float dynamicFriction;
    float restitution;
};

enum class TriggerStatus { TouchFound, TouchLost };

struct TriggerPair {
    Shape* triggerShape;
    Actor* triggerActor;
    Shape* otherShape;
    Actor* otherActor;
    TriggerStatus status;
};

// The hardest knock a loose body took in one step: the summed impulse (mass × change of speed)
// of its contact points that the step made, and their middle. Zero impulse when there was none.
struct Impact {
    float impulse = 0.0f;
    glm::vec3 position{0.0f};
};

class SimulationCallback;
class CharacterController;

class PhysicsWorld {
public:
    PhysicsWorld();
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Gravity, the ground plane "groundPlane" at y = 0 and the player's capsule controller.
    void initPhysics();
    // Advances the world by exactly 1/60 s; trigger reports reach the callback during the call.
    void step();
    // Not owned; null stops the reports.
    void setSimulationEventCallback(SimulationCallback* callback);

    Material defaultMaterial{0.5f, 0.5f, 0.6f};
    Material createMaterial(float staticFriction, float dynamicFriction, float restitution);

    // Builds a triangle-mesh shape over the given points and indices (3 per triangle, a trailing
    // one or two are ignored), stretched by meshScale. The world keeps both lists for the shape's
    // life. Returns null for fewer than one whole triangle, no points, an index out of range,
    // non-finite coordinates or scale, or triangles that all have zero area.
    Shape* createTriangleMeshShape(std::vector<glm::vec3> points,
                                   std::vector<std::uint32_t> indices, const Material& material,
                                   const glm::vec3& meshScale);
    // A trigger box is not solid: bodies pass through it and its touches are reported.
    Shape* createBoxShape(const glm::vec3& halfExtents, const Material& material, bool trigger);
    void setShapeName(Shape* shape, const char* name);
    void setActorName(Actor* actor, const char* name);

    // A static body, or a trigger when the shape is a trigger box. Identity rotation.
    Actor* createStaticActor(Shape* shape, const glm::vec3& position);
    // Moved only by setKinematicTarget; never sleeps.
    Actor* createKinematicActor(Shape* shape, const glm::vec3& position);
    // Mass = density × the shape's volume.
    Actor* createDynamicActor(Shape* shape, const glm::vec3& position, float density);
    // Takes the actor out of the world for good, waking bodies that touched it; its pairs are
    // forgotten without a report. The record stays valid (and unique) until the world ends.
    void removeActor(Actor* actor);
    // The kinematic actor reaches this position (identity rotation) during the next step and
    // carries or pushes what touches it on the way.
    void setKinematicTarget(Actor* actor, const glm::vec3& position);

    // The strongest new contact of a dynamic body in the last step (what a knock sounds like).
    Impact strongestImpact() const;

    glm::vec3 actorPosition(const Actor* actor) const;

    // Made by initPhysics; owned by the world.
    CharacterController* controller = nullptr;
    Actor* groundPlane = nullptr;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace physics
