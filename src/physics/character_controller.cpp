// The capsule controller: penetration recovery, then up, side and down sweeps through the world.
#include "physics/character_controller.h"

#include <btBulletCollisionCommon.h>
#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "physics/collision_groups.h"
#include "physics/physics_records.h"

namespace physics {

namespace {

const btVector3 kUp(0, 1, 0);

// Units of impulse per second of movement given to a loose body the capsule walks into: enough
// to tip a brick of the loose wall over within a second or two of pushing.
constexpr float kPushStrength = 300.0f;
// Slide iterations of one side pass; a corner needs two, the rest is margin.
constexpr int kSlideIterations = 8;
constexpr int kRecoveryIterations = 6;
// Rounds of a recovery push spent balancing the contacts against each other.
constexpr int kPushSweeps = 8;
// Penetrations shallower than this are left alone; pushes clear by a little more.
constexpr btScalar kRecoveryTolerance = 1e-4f;
constexpr btScalar kRecoverySkin = 1e-3f;

bool isSolidForPlayer(const btCollisionObject* object, const btCollisionObject* self,
                      const btBroadphaseProxy* proxy) {
    if (object == self) return false;
    if (!object->hasContactResponse()) return false;
    return (proxy->m_collisionFilterGroup & mask::PlayerQuery) != 0;
}

Actor* actorOf(const btCollisionObject* object) {
    return object ? static_cast<Actor*>(object->getUserPointer()) : nullptr;
}

// The face normal (either side) and first corner, in world space, of a hit mesh triangle; false
// for other shapes.
bool meshFace(const btCollisionObject* object, int part, int triangle, btVector3& normal,
              btVector3& corner) {
    const Actor* other = actorOf(object);
    if (!other || !other->shape || !other->shape->isMesh || part != 0 || triangle < 0) {
        return false;
    }
    const Shape& mesh = *other->shape;
    const std::size_t first = static_cast<std::size_t>(triangle) * 3;
    if (first + 2 >= mesh.indices.size()) return false;
    const glm::vec3 a = mesh.points[mesh.indices[first]] * mesh.meshScale;
    const glm::vec3 b = mesh.points[mesh.indices[first + 1]] * mesh.meshScale;
    const glm::vec3 c = mesh.points[mesh.indices[first + 2]] * mesh.meshScale;
    const glm::vec3 n = glm::cross(b - a, c - a);
    const float length = glm::length(n);
    if (!(length > 0.0f)) return false;
    const btTransform& pose = object->getWorldTransform();
    normal = pose.getBasis() * btVector3(n.x / length, n.y / length, n.z / length);
    corner = pose * btVector3(a.x, a.y, a.z);
    return true;
}

// Closest hit of a swept capsule; hits on surfaces the sweep moves away from are ignored, so a
// capsule resting against a wall can slide along it or step away from it.
struct SweepCallback : btCollisionWorld::ClosestConvexResultCallback {
    SweepCallback(const btVector3& from, const btVector3& to, const btCollisionObject* selfObject,
                  btScalar capsuleRadius)
        : ClosestConvexResultCallback(from, to),
          self(selfObject),
          start(from),
          direction((to - from).normalized()),
          radius(capsuleRadius) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        return isSolidForPlayer(static_cast<const btCollisionObject*>(proxy->m_clientObject), self,
                                proxy);
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& result,
                             bool normalInWorldSpace) override {
        btVector3 normal = result.m_hitNormalLocal;
        if (!normalInWorldSpace) {
            normal = result.m_hitCollisionObject->getWorldTransform().getBasis() * normal;
        }
        if (normal.dot(direction) > btScalar(-1e-3)) return m_closestHitFraction;
        part = result.m_localShapeInfo ? result.m_localShapeInfo->m_shapePart : -1;
        triangle = result.m_localShapeInfo ? result.m_localShapeInfo->m_triangleIndex : -1;
        // Sliding along the face the capsule rests against: the seams between that face's
        // triangles give contact normals a little off the face's, which must not stop a climb
        // or a walk along a wall.
        btVector3 face;
        btVector3 corner;
        if (meshFace(result.m_hitCollisionObject, part, triangle, face, corner) &&
            std::abs(face.dot(direction)) < btScalar(1e-3) &&
            std::abs((start - corner).dot(face)) < radius + btScalar(0.02)) {
            return m_closestHitFraction;
        }
        return ClosestConvexResultCallback::addSingleResult(result, normalInWorldSpace);
    }

    const btCollisionObject* self;
    btVector3 start;
    btVector3 direction;
    btScalar radius;
    int part = -1;
    int triangle = -1;
};

// One place where the capsule reaches into something solid: the way out and how far.
struct Penetration {
    btVector3 out;
    btScalar depth;
};

// Every penetration of the capsule into anything solid, and the deepest one.
struct PenetrationCallback : btCollisionWorld::ContactResultCallback {
    // `tested` is the capsule being tested: the controller's body, or a probe standing in for
    // it, in which case the body itself is `ignored`. `found`, when given, collects every
    // penetration deeper than the tolerance.
    PenetrationCallback(const btCollisionObject* tested, const btCollisionObject* ignored,
                        btScalar tolerance, std::vector<Penetration>* found = nullptr)
        : self(tested), skip(ignored), threshold(-tolerance), all(found) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return object != skip && (proxy->m_collisionFilterGroup & groups) != 0 &&
               isSolidForPlayer(object, self, proxy);
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* wrap0, int,
                             int, const btCollisionObjectWrapper* wrap1, int, int) override {
        const btScalar distance = point.getDistance();
        if (distance >= threshold) return 0;
        // The normal points from the second object towards the first.
        const bool capsuleFirst = wrap0->getCollisionObject() == self;
        const bool capsuleSecond = wrap1->getCollisionObject() == self;
        if (!capsuleFirst && !capsuleSecond) return 0;
        btVector3 out = capsuleFirst ? point.m_normalWorldOnB : -point.m_normalWorldOnB;
        if (!std::isfinite(out.x()) || !std::isfinite(out.y()) || !std::isfinite(out.z())) return 0;
        if (all) all->push_back(Penetration{out, -distance});
        deepest = std::min(deepest, distance);
        return 0;
    }

    const btCollisionObject* self;
    const btCollisionObject* skip;
    int groups = mask::PlayerQuery;
    btScalar threshold;
    std::vector<Penetration>* all;
    btScalar deepest = 0;
};

// Whether a straight line crosses level geometry that never moves.
struct StaticRayCallback : btCollisionWorld::ClosestRayResultCallback {
    StaticRayCallback(const btVector3& from, const btVector3& to)
        : ClosestRayResultCallback(from, to) {}
    bool needsCollision(btBroadphaseProxy* proxy) const override {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        return (proxy->m_collisionFilterGroup & group::Static) != 0 && object->hasContactResponse();
    }
};

struct Hit {
    bool hit = false;
    float distance = 0.0f;
    btVector3 normal{0, 0, 0};
    btVector3 point{0, 0, 0};
    const btCollisionObject* object = nullptr;
    int part = -1;
    int triangle = -1;
};

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

struct CharacterController::Impl {
    btDiscreteDynamicsWorld* world = nullptr;
    Actor* actor = nullptr;
    btRigidBody* body = nullptr;
    btCapsuleShape* capsule = nullptr;
    // One capsule per cylinder height used so far: crouching swaps between two of them.
    std::vector<std::pair<float, std::unique_ptr<btCapsuleShape>>> capsules;
    // A body outside the world for testing whether a capsule fits somewhere.
    btCollisionObject probe;
    // Kept between moves so that recovery allocates nothing once warmed up.
    std::vector<Penetration> penetrations;

    float radius = 0.2f;
    float height = 4.0f;
    float stepOffset = 0.5f;
    float slopeLimit = 0.707f;
    float contactOffset = 0.005f;
    btVector3 centre{0, 0, 0};
    ControllerState state;

    btCapsuleShape* capsuleFor(float cylinderHeight) {
        for (auto& entry : capsules) {
            if (entry.first == cylinderHeight) return entry.second.get();
        }
        capsules.emplace_back(cylinderHeight,
                              std::make_unique<btCapsuleShape>(radius, cylinderHeight));
        return capsules.back().second.get();
    }

    float halfTotal() const { return height * 0.5f + radius; }

    // Puts the body where the controller is, at rest: the capsule stands in the way of loose
    // bodies in the next step but gives them no speed of its own.
    void commitPose() {
        btTransform pose(btQuaternion::getIdentity(), centre);
        body->setWorldTransform(pose);
        body->setInterpolationWorldTransform(pose);
        body->setLinearVelocity(btVector3(0, 0, 0));
        body->setInterpolationLinearVelocity(btVector3(0, 0, 0));
        world->updateSingleAabb(body);
    }

    Hit sweep(const btVector3& from, const btVector3& to) const {
        Hit hit;
        if ((to - from).length2() < btScalar(1e-14)) return hit;
        SweepCallback callback(from, to, body, radius);
        const btTransform start(btQuaternion::getIdentity(), from);
        const btTransform end(btQuaternion::getIdentity(), to);
        world->convexSweepTest(capsule, start, end, callback, 0);
        if (!callback.hasHit() || !callback.m_hitCollisionObject) return hit;
        hit.hit = true;
        hit.distance = callback.m_closestHitFraction * (to - from).length();
        hit.normal = callback.m_hitNormalWorld;
        if (hit.normal.length2() > btScalar(1e-12)) hit.normal.normalize();
        hit.point = callback.m_hitPointWorld;
        hit.object = callback.m_hitCollisionObject;
        hit.part = callback.part;
        hit.triangle = callback.triangle;
        return hit;
    }

    // The face normal of a hit mesh triangle (either side), or false for other shapes.
    bool triangleNormal(const Hit& hit, btVector3& normal) const {
        btVector3 corner;
        return meshFace(hit.object, hit.part, hit.triangle, normal, corner);
    }

    // Whether the capsule would stand clear of everything solid with its centre at `at`.
    bool clearAt(const btVector3& at) {
        probe.setCollisionShape(capsule);
        probe.setWorldTransform(btTransform(btQuaternion::getIdentity(), at));
        PenetrationCallback callback(&probe, body, kRecoveryTolerance);
        world->contactTest(&probe, callback);
        return callback.deepest >= 0;
    }

    // A push may move the capsule out of something, never through a face of the level.
    bool crossesLevel(const btVector3& from, const btVector3& to) const {
        if ((to - from).length2() < btScalar(1e-12)) return false;
        StaticRayCallback callback(from, to);
        world->rayTest(from, to, callback);
        return callback.hasHit();
    }

    // Squeezed between two things (a platform coming down on a pedestal): nothing is free along
    // the pushes, so the capsule goes sideways to the nearest spot where it fits.
    bool squeezeOut() {
        constexpr int kDirections = 16;
        constexpr btScalar kReach = 6.0f;
        for (btScalar distance = radius; distance <= kReach; distance += radius) {
            for (int d = 0; d < kDirections; ++d) {
                const btScalar angle = SIMD_2_PI * static_cast<btScalar>(d) / kDirections;
                const btVector3 at =
                    centre + btVector3(std::cos(angle), 0, std::sin(angle)) * distance;
                if (clearAt(at) && !crossesLevel(centre, at)) {
                    centre = at;
                    return true;
                }
            }
        }
        return false;
    }

    // Pushes the capsule out of whatever it overlaps. Each round gathers every contact and finds
    // one push that clears them all (mesh edges give odd normals, so a few rounds settle better
    // than one). Contacts that push against each other cannot all be cleared: then sideways.
    void recover() {
        for (int i = 0; i < kRecoveryIterations; ++i) {
            commitPose();
            penetrations.clear();
            PenetrationCallback callback(body, body, kRecoveryTolerance, &penetrations);
            world->contactTest(body, callback);
            if (penetrations.empty()) return;
            btVector3 push(0, 0, 0);
            for (int sweep = 0; sweep < kPushSweeps; ++sweep) {
                for (const Penetration& p : penetrations) {
                    const btScalar missing = p.depth + kRecoverySkin - push.dot(p.out);
                    if (missing > 0) push += p.out * missing;
                }
            }
            bool cleared = true;
            for (const Penetration& p : penetrations) {
                if (push.dot(p.out) < p.depth - kRecoveryTolerance) cleared = false;
            }
            if (cleared && !crossesLevel(centre, centre + push)) {
                centre += push;
            } else if (!squeezeOut()) {
                // Nowhere to go: better to stay squeezed this frame than to pass through a face.
                return;
            }
        }
        commitPose();
    }

    void push(const Hit& hit, const btVector3& direction, float elapsed, bool& pushed) {
        if (pushed || !(elapsed > 0.0f)) return;
        btRigidBody* other = btRigidBody::upcast(const_cast<btCollisionObject*>(hit.object));
        if (!other || other->isStaticOrKinematicObject() || other->getInvMass() <= 0) return;
        pushed = true;
        other->activate(true);
        const btVector3 impulse = direction * (kPushStrength * elapsed);
        other->applyImpulse(impulse, hit.point - other->getCenterOfMassPosition());
    }

    // Collide and slide along the horizontal plane (or up walkable slopes).
    void sidePass(const btVector3& motion, float minDistance, float elapsed, float startFoot,
                  bool& pushed) {
        const btVector3 original = motion;
        btVector3 remaining = motion;
        for (int i = 0; i < kSlideIterations; ++i) {
            const btScalar length = remaining.length();
            if (length <= minDistance || length < btScalar(1e-7)) break;
            const btVector3 direction = remaining / length;
            const Hit hit = sweep(centre, centre + remaining);
            if (!hit.hit) {
                centre += remaining;
                break;
            }
            const float travel = std::max(0.0f, hit.distance - contactOffset);
            centre += direction * travel;
            push(hit, btVector3(original.x(), 0, original.z()).normalized(), elapsed, pushed);
            remaining = direction * (length - travel);

            // Constrained climbing: a contact above a step's height is a wall, however the
            // rounded bottom meets the edge there.
            btVector3 normal = hit.normal;
            bool walkable = normal.y() >= slopeLimit && hit.point.y() <= startFoot + stepOffset;
            btVector3 face;
            if (triangleNormal(hit, face)) {
                if (face.dot(direction) > 0) face = -face;
                // When the triangle's face itself stands in the way, its slope decides: a
                // walkable face is slid up however high the contact lies, a steep one is a
                // wall. A face met only at its edge (a ledge's top) leaves it to the contact.
                if (face.dot(direction) < btScalar(-1e-3)) {
                    walkable = face.y() >= slopeLimit;
                    if (walkable) normal = face;
                }
            }
            if (!walkable) {
                normal.setY(0);
                if (normal.length2() < btScalar(1e-8)) break;
                normal.normalize();
            }
            remaining -= normal * remaining.dot(normal);
            if (remaining.dot(original) <= 0) break;
        }
    }

    // One attempt at a move; false when it would climb a slope too steep to walk.
    bool attempt(const glm::vec3& displacement, float minDistance, float elapsed, bool allowStep,
                 bool& pushed) {
        const float vertical = displacement.y;
        const btVector3 horizontal(displacement.x, 0, displacement.z);
        const bool sideways = horizontal.length() > minDistance;
        const float startFoot = static_cast<float>(centre.y()) - halfTotal();
        const float stepUp = (allowStep && sideways && vertical <= 0.0f) ? stepOffset : 0.0f;

        // Up pass: the step height plus any upward part of the move; a ceiling shrinks the step.
        float stepUsed = 0.0f;
        const float upDistance = std::max(vertical, 0.0f) + stepUp;
        if (upDistance > 0.0f) {
            const Hit hit = sweep(centre, centre + kUp * upDistance);
            const float gained =
                hit.hit ? std::max(0.0f, hit.distance - contactOffset) : upDistance;
            centre += kUp * gained;
            stepUsed = std::min(stepUp, gained);
        }

        if (sideways) sidePass(horizontal, minDistance, elapsed, startFoot, pushed);

        // Down pass: the downward part of the move and the step taken back. It looks two skins
        // further, so that ground a skin below is seen even by a purely sideways move (a sweep
        // that ends just touching a surface does not report it).
        state = ControllerState{};
        if (vertical > 0.0f) return true;
        const float downDistance = -vertical + stepUsed;
        // Highest contact the step may land on: a step above the foot before the step was taken
        // (sliding up a walkable slope raises it), plus how far above its lowest point the
        // rounded bottom meets the steepest walkable slope.
        const float landingLimit = static_cast<float>(centre.y()) - halfTotal() - stepUsed +
                                   stepOffset + radius * (1.0f - slopeLimit);
        const Hit hit = sweep(centre, centre - kUp * (downDistance + 2.0f * contactOffset));
        if (!hit.hit) {
            centre -= kUp * downDistance;
            return true;
        }
        centre -= kUp * std::clamp(hit.distance - contactOffset, 0.0f, downDistance);
        Actor* ground = actorOf(hit.object);
        state.touchedActor = ground;
        state.touchedShape = ground ? ground->shape : nullptr;

        // A step that ends on an edge above its height, or higher up a slope too steep to walk,
        // is not taken: the caller moves again without it.
        if (stepUsed > 0.0f) {
            if (hit.point.y() > landingLimit + 1e-3f) return false;
            btVector3 face;
            const float landedFoot = static_cast<float>(centre.y()) - halfTotal();
            if (triangleNormal(hit, face) && std::abs(face.y()) < slopeLimit &&
                landedFoot > startFoot + 1e-3f) {
                return false;
            }
        }
        return true;
    }
};

CharacterController::CharacterController(const ControllerSetup& setup)
    : impl_(std::make_unique<Impl>()) {
    Impl& c = *impl_;
    c.world = setup.world;
    c.actor = setup.capsule;
    c.radius = setup.radius;
    c.height = setup.height;
    c.stepOffset = setup.stepOffset;
    c.slopeLimit = setup.slopeLimit;
    c.contactOffset = setup.contactOffset;
    c.centre = btVector3(setup.centre.x, setup.centre.y, setup.centre.z);
    c.capsule = c.capsuleFor(c.height);
    c.actor->shape->collision = c.capsule;

    // A kinematic body that the controller places itself; it blocks loose bodies in the step.
    btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, c.capsule);
    info.m_friction = c.actor->shape->material.dynamicFriction;
    info.m_restitution = c.actor->shape->material.restitution;
    info.m_startWorldTransform = btTransform(btQuaternion::getIdentity(), c.centre);
    c.body = new btRigidBody(info);
    c.body->setCollisionFlags(c.body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
    c.body->setActivationState(DISABLE_DEACTIVATION);
    c.body->setUserPointer(c.actor);
    c.actor->object = c.body;
    c.actor->body = c.body;
    c.world->addRigidBody(c.body, group::Player, mask::Player);
    c.actor->inWorld = true;
    c.commitPose();
}

// The body belongs to the capsule's actor record, which the world deletes.
CharacterController::~CharacterController() = default;

void CharacterController::move(const glm::vec3& displacement, float minDistance, float elapsed) {
    Impl& c = *impl_;
    if (!finite(displacement) || !std::isfinite(minDistance)) return;
    if (!std::isfinite(elapsed)) elapsed = 0.0f;
    c.recover();
    const btVector3 start = c.centre;
    bool pushed = false;
    if (!c.attempt(displacement, minDistance, elapsed, true, pushed)) {
        // The step landed too high or on a slope too steep to walk: take the move again
        // without it, so that the side pass meets the obstacle as a wall.
        c.centre = start;
        c.attempt(displacement, minDistance, elapsed, false, pushed);
    }
    c.commitPose();
}

glm::dvec3 CharacterController::getPosition() const {
    const btVector3& p = impl_->centre;
    return glm::dvec3(p.x(), p.y(), p.z());
}

glm::dvec3 CharacterController::getFootPosition() const {
    glm::dvec3 foot = getPosition();
    foot.y -= static_cast<double>(impl_->contactOffset) + static_cast<double>(impl_->halfTotal());
    return foot;
}

void CharacterController::setFootPosition(const glm::dvec3& foot) {
    glm::dvec3 centre = foot;
    centre.y += static_cast<double>(impl_->contactOffset) + static_cast<double>(impl_->halfTotal());
    setPosition(centre);
}

void CharacterController::setPosition(const glm::dvec3& centre) {
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(centre.z)) return;
    impl_->centre = btVector3(static_cast<btScalar>(centre.x), static_cast<btScalar>(centre.y),
                              static_cast<btScalar>(centre.z));
    impl_->commitPose();
}

bool CharacterController::resize(float height) {
    Impl& c = *impl_;
    if (!(height > 0.0f) || !std::isfinite(height)) return false;
    if (height == c.height) return true;
    const btScalar bottom = c.centre.y() - c.halfTotal();
    const btVector3 centre(c.centre.x(), bottom + height * 0.5f + c.radius, c.centre.z());
    btCapsuleShape* capsule = c.capsuleFor(height);
    if (height > c.height) {
        c.probe.setCollisionShape(capsule);
        c.probe.setWorldTransform(btTransform(btQuaternion::getIdentity(), centre));
        PenetrationCallback callback(&c.probe, c.body, btScalar(1e-3));
        c.world->contactTest(&c.probe, callback);
        if (callback.deepest < 0) return false;
    }
    c.capsule = capsule;
    c.actor->shape->collision = capsule;
    c.body->setCollisionShape(capsule);
    // Cached pair data was made for the old shape.
    if (c.body->getBroadphaseHandle()) {
        c.world->getBroadphase()->getOverlappingPairCache()->cleanProxyFromPairs(
            c.body->getBroadphaseHandle(), c.world->getDispatcher());
    }
    c.height = height;
    c.centre = centre;
    c.commitPose();
    return true;
}

ControllerState CharacterController::getState() const { return impl_->state; }

float CharacterController::staticOverlap() const {
    const Impl& c = *impl_;
    PenetrationCallback callback(c.body, c.body, btScalar(0));
    callback.groups = group::Static;
    c.world->contactTest(c.body, callback);
    return static_cast<float>(-callback.deepest);
}

float CharacterController::radius() const { return impl_->radius; }
float CharacterController::height() const { return impl_->height; }
float CharacterController::stepOffset() const { return impl_->stepOffset; }
float CharacterController::contactOffset() const { return impl_->contactOffset; }
float CharacterController::slopeLimit() const { return impl_->slopeLimit; }

}  // namespace physics
