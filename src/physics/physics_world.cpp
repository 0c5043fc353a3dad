// The Bullet world behind PhysicsWorld: bodies, triangle meshes, kinematic targets and triggers.
#include "physics/physics_world.h"

#include <btBulletCollisionCommon.h>
#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <cmath>

#include "physics/character_controller.h"
#include "physics/collision_groups.h"
#include "physics/physics_records.h"
#include "physics/simulation_callback.h"

namespace physics {

namespace {

constexpr float kFixedStep = 1.0f / 60.0f;

const std::string& emptyName() {
    static const std::string empty;
    return empty;
}

btVector3 toBt(const glm::vec3& v) { return btVector3(v.x, v.y, v.z); }

btTransform translation(const glm::vec3& position) {
    return btTransform(btQuaternion::getIdentity(), toBt(position));
}

// Bullet multiplies the two surfaces' values; the game's materials mean their average.
btScalar averageFriction(const btCollisionObject* body0, const btCollisionObject* body1) {
    return (body0->getFriction() + body1->getFriction()) * btScalar(0.5);
}

btScalar averageRestitution(const btCollisionObject* body0, const btCollisionObject* body1) {
    return (body0->getRestitution() + body1->getRestitution()) * btScalar(0.5);
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Collects whether two objects really overlap: only points with negative distance count, since
// the narrow phase also reports points that are merely close.
struct OverlapCallback : btCollisionWorld::ContactResultCallback {
    bool touching = false;
    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override {
        if (point.getDistance() < btScalar(0)) touching = true;
        return 0;
    }
};

// One trigger touched by one body, as seen after a step.
struct Touch {
    Actor* trigger;
    Actor* other;
};

bool touchBefore(const Touch& a, const Touch& b) {
    if (a.trigger->serial != b.trigger->serial) return a.trigger->serial < b.trigger->serial;
    return a.other->serial < b.other->serial;
}

bool aabbOverlap(const btVector3& minA, const btVector3& maxA, const btVector3& minB,
                 const btVector3& maxB) {
    return minA.x() <= maxB.x() && maxA.x() >= minB.x() && minA.y() <= maxB.y() &&
           maxA.y() >= minB.y() && minA.z() <= maxB.z() && maxA.z() >= minB.z();
}

}  // namespace

Shape::~Shape() {
    if (ownsCollision && collision != unscaledMesh) delete collision;
    delete unscaledMesh;
    delete meshInterface;
}

Actor::~Actor() {
    // `body` aliases `object` when there is one.
    delete object;
    delete motionState;
}

const std::string& shapeName(const Shape* shape) { return shape ? shape->name : emptyName(); }

const std::string& actorName(const Actor* actor) { return actor ? actor->name : emptyName(); }

struct PhysicsWorld::Impl {
    Impl() : dispatcher(&configuration), world(&dispatcher, &broadphase, &solver, &configuration) {
        // A box landing on the plane gets all its corner contacts at once; one point at a time
        // makes flat landings bounce off a corner and spin.
        configuration.setPlaneConvexMultipointIterations(3, 3);
        configuration.setConvexConvexMultipointIterations(3, 3);
        world.getSolverInfo().m_numIterations = 30;
    }

    ~Impl() {
        for (auto& actor : actors) {
            if (actor->inWorld) {
                if (actor->body) {
                    world.removeRigidBody(actor->body);
                } else {
                    world.removeCollisionObject(actor->object);
                }
            }
        }
        actors.clear();
        controller.reset();
        shapes.clear();
    }

    Shape* newShape() {
        shapes.push_back(std::make_unique<Shape>());
        return shapes.back().get();
    }

    Actor* newActor(Shape* shape, ActorKind kind, const std::string& name) {
        actors.push_back(std::make_unique<Actor>());
        Actor* actor = actors.back().get();
        actor->shape = shape;
        actor->kind = kind;
        actor->name = name;
        actor->serial = nextSerial++;
        return actor;
    }

    // A rigid body for a static, kinematic or dynamic actor; mass 0 for the first two.
    Actor* addBody(Shape* shape, ActorKind kind, const glm::vec3& position, float mass) {
        Actor* actor = newActor(shape, kind, std::string());
        btVector3 inertia(0, 0, 0);
        if (mass > 0.0f) shape->collision->calculateLocalInertia(mass, inertia);
        actor->motionState = new btDefaultMotionState(translation(position));
        btRigidBody::btRigidBodyConstructionInfo info(mass, actor->motionState, shape->collision,
                                                      inertia);
        info.m_friction = shape->material.dynamicFriction;
        info.m_restitution = shape->material.restitution;
        auto* body = new btRigidBody(info);
        actor->object = body;
        actor->body = body;
        body->setUserPointer(actor);
        int groupBits = group::Static;
        int maskBits = mask::Static;
        if (kind == ActorKind::Kinematic) {
            body->setCollisionFlags(body->getCollisionFlags() |
                                    btCollisionObject::CF_KINEMATIC_OBJECT);
            body->setActivationState(DISABLE_DEACTIVATION);
            groupBits = group::Kinematic;
            maskBits = mask::Kinematic;
        } else if (kind == ActorKind::Dynamic) {
            groupBits = group::Dynamic;
            maskBits = mask::Dynamic;
            dynamics.push_back(actor);
        }
        world.addRigidBody(body, groupBits, maskBits);
        actor->inWorld = true;
        return actor;
    }

    Actor* addTrigger(Shape* shape, const glm::vec3& position) {
        Actor* actor = newActor(shape, ActorKind::Trigger, std::string());
        auto* object = new btCollisionObject();
        object->setCollisionShape(shape->collision);
        object->setWorldTransform(translation(position));
        object->setCollisionFlags(btCollisionObject::CF_STATIC_OBJECT |
                                  btCollisionObject::CF_NO_CONTACT_RESPONSE);
        object->setUserPointer(actor);
        actor->object = object;
        world.addCollisionObject(object, group::Trigger, mask::Trigger);
        actor->inWorld = true;
        triggers.push_back(actor);
        return actor;
    }

    // Appends to `current` every trigger that `other` really overlaps now.
    void collectTouches(Actor* other) {
        btVector3 minA;
        btVector3 maxA;
        other->object->getCollisionShape()->getAabb(other->object->getWorldTransform(), minA, maxA);
        for (Actor* trigger : triggers) {
            btVector3 minB;
            btVector3 maxB;
            trigger->object->getCollisionShape()->getAabb(trigger->object->getWorldTransform(),
                                                          minB, maxB);
            if (!aabbOverlap(minA, maxA, minB, maxB)) continue;
            OverlapCallback overlap;
            world.contactPairTest(other->object, trigger->object, overlap);
            if (overlap.touching) current.push_back(Touch{trigger, other});
        }
    }

    // Compares this step's touches with the last step's and hands the changes to the callback.
    void reportTriggers() {
        current.clear();
        if (!triggers.empty()) {
            if (player && player->inWorld) collectTouches(player);
            for (Actor* body : dynamics) collectTouches(body);
            std::sort(current.begin(), current.end(), touchBefore);
        }
        reports.clear();
        std::size_t i = 0;
        std::size_t j = 0;
        auto report = [this](const Touch& touch, TriggerStatus status) {
            reports.push_back(TriggerPair{touch.trigger->shape, touch.trigger, touch.other->shape,
                                          touch.other, status});
        };
        while (i < previous.size() || j < current.size()) {
            if (j == current.size() ||
                (i < previous.size() && touchBefore(previous[i], current[j]))) {
                report(previous[i++], TriggerStatus::TouchLost);
            } else if (i == previous.size() || touchBefore(current[j], previous[i])) {
                report(current[j++], TriggerStatus::TouchFound);
            } else {
                ++i;
                ++j;
            }
        }
        previous.swap(current);
        if (callback && !reports.empty()) {
            callback->onTrigger(reports.data(), static_cast<std::uint32_t>(reports.size()));
        }
    }

    void forgetTouches(const Actor* actor) {
        auto involves = [actor](const Touch& touch) {
            return touch.trigger == actor || touch.other == actor;
        };
        previous.erase(std::remove_if(previous.begin(), previous.end(), involves), previous.end());
    }

    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher;
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world;

    std::vector<std::unique_ptr<Shape>> shapes;
    std::vector<std::unique_ptr<Actor>> actors;
    // Actors in the world that take part in trigger reports.
    std::vector<Actor*> triggers;
    std::vector<Actor*> dynamics;
    Actor* player = nullptr;
    std::unique_ptr<CharacterController> controller;

    SimulationCallback* callback = nullptr;
    // Kept between steps so that reporting allocates nothing once warmed up.
    std::vector<Touch> previous;
    std::vector<Touch> current;
    std::vector<TriggerPair> reports;
    std::uint32_t nextSerial = 0;
};

PhysicsWorld::PhysicsWorld() : impl_(std::make_unique<Impl>()) {}

PhysicsWorld::~PhysicsWorld() = default;

void PhysicsWorld::initPhysics() {
    if (controller != nullptr) return;
    gCalculateCombinedFrictionCallback = averageFriction;
    gCalculateCombinedRestitutionCallback = averageRestitution;
    impl_->world.setGravity(btVector3(0.0f, -9.81f, 0.0f));

    Shape* plane = impl_->newShape();
    plane->collision = new btStaticPlaneShape(btVector3(0, 1, 0), 0);
    plane->material = defaultMaterial;
    groundPlane = createStaticActor(plane, glm::vec3(0.0f));
    setActorName(groundPlane, "groundPlane");

    // The capsule's shapes belong to the controller, which may swap them when crouching.
    Shape* capsuleShape = impl_->newShape();
    capsuleShape->ownsCollision = false;
    capsuleShape->material = defaultMaterial;
    impl_->player = impl_->newActor(capsuleShape, ActorKind::Player, std::string());

    const float playerHeight = 4.0f;
    ControllerSetup setup;
    setup.world = &impl_->world;
    setup.capsule = impl_->player;
    setup.radius = 0.2f;
    setup.height = playerHeight;
    setup.centre = glm::vec3(0.0f, playerHeight * 0.5f + 0.2f, 50.0f);
    impl_->controller = std::make_unique<CharacterController>(setup);
    controller = impl_->controller.get();
}

void PhysicsWorld::step() {
    impl_->world.stepSimulation(kFixedStep, 0, kFixedStep);
    impl_->reportTriggers();
}

void PhysicsWorld::setSimulationEventCallback(SimulationCallback* callback) {
    impl_->callback = callback;
}

Material PhysicsWorld::createMaterial(float staticFriction, float dynamicFriction,
                                      float restitution) {
    return Material{staticFriction, dynamicFriction, restitution};
}

Shape* PhysicsWorld::createTriangleMeshShape(std::vector<glm::vec3> points,
                                             std::vector<std::uint32_t> indices,
                                             const Material& material, const glm::vec3& meshScale) {
    static_assert(sizeof(glm::vec3) == 3 * sizeof(float), "Bullet reads the points in place");
    const std::size_t triangleCount = indices.size() / 3;
    if (points.empty() || triangleCount == 0 || !finite(meshScale)) return nullptr;
    for (const glm::vec3& p : points) {
        if (!finite(p)) return nullptr;
    }
    bool anyArea = false;
    for (std::size_t t = 0; t < triangleCount; ++t) {
        const std::uint32_t a = indices[3 * t];
        const std::uint32_t b = indices[3 * t + 1];
        const std::uint32_t c = indices[3 * t + 2];
        if (a >= points.size() || b >= points.size() || c >= points.size()) return nullptr;
        const glm::vec3 normal =
            glm::cross((points[b] - points[a]) * meshScale, (points[c] - points[a]) * meshScale);
        if (glm::dot(normal, normal) > 1e-20f) anyArea = true;
    }
    if (!anyArea) return nullptr;
    indices.resize(triangleCount * 3);

    Shape* shape = impl_->newShape();
    shape->points = std::move(points);
    shape->indices = std::move(indices);
    shape->material = material;
    shape->isMesh = true;
    shape->meshScale = meshScale;

    btIndexedMesh mesh;
    mesh.m_numTriangles = static_cast<int>(triangleCount);
    mesh.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(shape->indices.data());
    mesh.m_triangleIndexStride = 3 * static_cast<int>(sizeof(std::uint32_t));
    mesh.m_numVertices = static_cast<int>(shape->points.size());
    mesh.m_vertexBase = reinterpret_cast<const unsigned char*>(shape->points.data());
    mesh.m_vertexStride = static_cast<int>(sizeof(glm::vec3));
    mesh.m_indexType = PHY_INTEGER;
    mesh.m_vertexType = PHY_FLOAT;
    auto* view = new btTriangleIndexVertexArray();
    view->addIndexedMesh(mesh, PHY_INTEGER);
    shape->meshInterface = view;

    auto* tree = new btBvhTriangleMeshShape(view, true, true);
    shape->unscaledMesh = tree;
    if (meshScale == glm::vec3(1.0f)) {
        shape->collision = tree;
    } else {
        // Scaling the tree itself would rebuild it; the wrapper shares it as it is.
        shape->collision = new btScaledBvhTriangleMeshShape(tree, toBt(meshScale));
    }
    shape->collision->setUserPointer(shape);
    return shape;
}

Shape* PhysicsWorld::createBoxShape(const glm::vec3& halfExtents, const Material& material,
                                    bool trigger) {
    if (!finite(halfExtents) || halfExtents.x <= 0.0f || halfExtents.y <= 0.0f ||
        halfExtents.z <= 0.0f) {
        return nullptr;
    }
    Shape* shape = impl_->newShape();
    shape->collision = new btBoxShape(toBt(halfExtents));
    shape->collision->setUserPointer(shape);
    shape->material = material;
    shape->trigger = trigger;
    shape->volume = 8.0f * halfExtents.x * halfExtents.y * halfExtents.z;
    return shape;
}

void PhysicsWorld::setShapeName(Shape* shape, const char* name) {
    if (shape) shape->name = name ? name : "";
}

void PhysicsWorld::setActorName(Actor* actor, const char* name) {
    if (actor) actor->name = name ? name : "";
}

Actor* PhysicsWorld::createStaticActor(Shape* shape, const glm::vec3& position) {
    if (!shape || !finite(position)) return nullptr;
    if (shape->trigger) return impl_->addTrigger(shape, position);
    return impl_->addBody(shape, ActorKind::Static, position, 0.0f);
}

Actor* PhysicsWorld::createKinematicActor(Shape* shape, const glm::vec3& position) {
    if (!shape || shape->trigger || !finite(position)) return nullptr;
    return impl_->addBody(shape, ActorKind::Kinematic, position, 0.0f);
}

Actor* PhysicsWorld::createDynamicActor(Shape* shape, const glm::vec3& position, float density) {
    // Bullet moves only convex shapes; triangle meshes and triggers stay put.
    if (!shape || shape->trigger || shape->isMesh || !finite(position)) return nullptr;
    const float mass = density * shape->volume;
    if (!(mass > 0.0f) || !std::isfinite(mass)) return nullptr;
    return impl_->addBody(shape, ActorKind::Dynamic, position, mass);
}

void PhysicsWorld::removeActor(Actor* actor) {
    if (!actor || !actor->inWorld || actor->kind == ActorKind::Player) return;
    // Bodies resting on it must fall once it has gone.
    btVector3 minA;
    btVector3 maxA;
    actor->object->getCollisionShape()->getAabb(actor->object->getWorldTransform(), minA, maxA);
    for (Actor* body : impl_->dynamics) {
        btVector3 minB;
        btVector3 maxB;
        body->object->getCollisionShape()->getAabb(body->object->getWorldTransform(), minB, maxB);
        if (body != actor && aabbOverlap(minA, maxA, minB, maxB)) body->object->activate(true);
    }
    if (actor->body) {
        impl_->world.removeRigidBody(actor->body);
    } else {
        impl_->world.removeCollisionObject(actor->object);
    }
    actor->inWorld = false;
    auto& triggers = impl_->triggers;
    triggers.erase(std::remove(triggers.begin(), triggers.end(), actor), triggers.end());
    auto& dynamics = impl_->dynamics;
    dynamics.erase(std::remove(dynamics.begin(), dynamics.end(), actor), dynamics.end());
    impl_->forgetTouches(actor);
}

void PhysicsWorld::setKinematicTarget(Actor* actor, const glm::vec3& position) {
    if (!actor || actor->kind != ActorKind::Kinematic || !finite(position)) return;
    // The step reads the target from the motion state, moves the body there and gives it the
    // velocity of that move, so whatever it touches is carried or pushed.
    actor->motionState->setWorldTransform(translation(position));
}

Impact PhysicsWorld::strongestImpact() const {
    const auto isDynamic = [](const btCollisionObject* object) {
        const auto* actor = static_cast<const Actor*>(object->getUserPointer());
        return actor && actor->kind == ActorKind::Dynamic;
    };
    Impact strongest;
    btCollisionDispatcher& dispatcher = impl_->dispatcher;
    for (int m = 0; m < dispatcher.getNumManifolds(); ++m) {
        const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(m);
        if (!isDynamic(manifold->getBody0()) && !isDynamic(manifold->getBody1())) continue;
        float impulse = 0.0f;
        btVector3 middle(0, 0, 0);
        int fresh = 0;
        for (int p = 0; p < manifold->getNumContacts(); ++p) {
            const btManifoldPoint& point = manifold->getContactPoint(p);
            // A point lives on while the bodies keep touching; only the step that made it (and
            // the step that refreshed it first) is a knock, later ones carry a resting weight.
            if (point.getLifeTime() > 1) continue;
            impulse += point.getAppliedImpulse();
            middle += point.getPositionWorldOnB();
            ++fresh;
        }
        if (fresh > 0 && impulse > strongest.impulse) {
            middle /= static_cast<btScalar>(fresh);
            strongest = Impact{impulse, glm::vec3(middle.x(), middle.y(), middle.z())};
        }
    }
    return strongest;
}

glm::vec3 PhysicsWorld::actorPosition(const Actor* actor) const {
    if (!actor || !actor->object) return glm::vec3(0.0f);
    const btVector3& p = actor->object->getWorldTransform().getOrigin();
    return glm::vec3(p.x(), p.y(), p.z());
}

}  // namespace physics
