// The walking route through the level: waypoints on the ground plan, shared with the route test.
#pragma once

namespace assetgen::route {

// One waypoint: walk in a straight line from the previous one to (x, z). `jump` asks for one jump
// on arrival; `gem` is the gem (1-3) that must be collected on arrival at the latest, 0 for none.
struct Waypoint {
    float x;
    float z;
    bool jump;
    int gem;
};

// Feet start at (0, 0, 50) looking along -z; the legs follow each other without a break.
inline constexpr Waypoint kRoute[] = {
    // Gem 1: out of the court through the west gate, up the ramp onto the dais (floor 2.5).
    {0.0f, 50.0f, false, 0},
    {-14.5f, 24.0f, false, 0},
    {-14.5f, 10.0f, false, 0},
    {-5.0f, 10.0f, false, 1},
    // Gem 2: back down the ramp, between the ramp and the water tank, on towards -z past the lift.
    {-14.5f, 10.0f, false, 0},
    {-14.5f, 7.0f, false, 0},
    {-11.5f, 7.0f, false, 0},
    {-11.5f, -8.0f, false, 0},
    {-10.0f, -8.0f, false, 2},
    // Gem 3: east along the north side of the tank, up the gallery ramp (floor 5), jump.
    {15.0f, -4.5f, false, 0},
    {15.0f, -20.0f, true, 3},
};

}  // namespace assetgen::route
