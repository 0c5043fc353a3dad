// Collision groups and masks of every object in the physics world, kept in one place.
#pragma once

namespace physics {

// Bits of a collision object's group; a pair is considered only when each object's mask
// contains the other's group. Triggers see nothing in the broadphase: their reports come from
// our own overlap tests after each step.
namespace group {
inline constexpr int Static = 1 << 0;
inline constexpr int Dynamic = 1 << 1;
inline constexpr int Kinematic = 1 << 2;
inline constexpr int Player = 1 << 3;
inline constexpr int Trigger = 1 << 4;
}  // namespace group

namespace mask {
// Level geometry only meets what moves under the solver's control.
inline constexpr int Static = group::Dynamic;
inline constexpr int Dynamic = group::Static | group::Dynamic | group::Kinematic | group::Player;
inline constexpr int Kinematic = group::Dynamic;
// The capsule's body stands in the way of loose bodies in the step (a falling brick lands on
// it); against level geometry the controller's own sweeps keep it clear.
inline constexpr int Player = group::Dynamic;
inline constexpr int Trigger = 0;
// What blocks the controller's sweeps and pushes it out of penetration.
inline constexpr int PlayerQuery = group::Static | group::Dynamic | group::Kinematic;
}  // namespace mask

}  // namespace physics
