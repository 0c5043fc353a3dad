// Where every object of the level stands: the fixed positions and model matrices.
#pragma once

#include <array>
#include <glm/glm.hpp>

namespace app::layout {

inline constexpr std::array<glm::vec3, 8> kLampPositions = {
    glm::vec3(17.5f, 16.0f, -3.0f),  glm::vec3(-18.0f, 16.0f, 0.5f),
    glm::vec3(5.0f, 20.0f, -13.7f),  glm::vec3(5.0f, 20.0f, -26.5f),
    glm::vec3(-30.5f, 16.0f, -20.0f), glm::vec3(-25.0f, 16.0f, 13.5f),
    glm::vec3(0.0f, 16.0f, 13.5f),   glm::vec3(17.5f, 16.0f, 10.0f)};

inline constexpr std::array<glm::vec3, 3> kGemPositions = {
    glm::vec3(-5.0f, 7.0f, 10.0f), glm::vec3(-10.0f, 2.5f, -8.0f),
    glm::vec3(15.0f, 15.0f, -20.0f)};

struct Slab {
    glm::vec3 centre;
    glm::vec3 halfExtents;
};
inline constexpr std::array<Slab, 3> kHazards = {
    Slab{glm::vec3(-2.5f, 4.0f, 10.0f), glm::vec3(1.0f, 0.02f, 2.5f)},
    Slab{glm::vec3(0.5f, 2.5f, 1.5f), glm::vec3(9.5f, 0.02f, 4.0f)},
    Slab{glm::vec3(-1.0f, 3.0f, -20.0f), glm::vec3(3.5f, 0.02f, 6.0f)}};

inline constexpr glm::vec3 kBrick1Position{4.0f, 10.0f, -2.0f};
inline constexpr glm::vec3 kBrick2Position{-3.0f, 10.0f, 3.0f};
inline constexpr glm::vec3 kBrickScale{2.0f, 1.0f, 1.0f};
inline constexpr glm::vec3 kPlatformStart{-15.0f, 5.0f, 0.0f};
inline constexpr glm::vec3 kPlatformScale{2.0f, 1.0f, 5.0f};
inline constexpr float kPlatformBase = 5.0f;
inline constexpr glm::vec3 kSpikesStart{-7.0f, 10.0f, 0.0f};
inline constexpr float kSpikesBase = 10.0f;
inline constexpr glm::vec3 kWallBase{13.0f, 0.0f, 15.2f};
inline constexpr float kWallBrickDensity = 10.0f;
// Walls nobody sees: boxes over everything outside the arena, the entrance court and the strip of
// front wall between them, from the ground up, and a lid well above the wall tops (a flight
// still rises far above them). A player who jumps again and again against a wall, or from a lamp
// post or buttress near one, meets them above the wall top and never stands on it; a flying
// player stays inside too. Their shapes have no name, so touching them never ends a jump.
struct Bound {
    glm::vec3 lo;
    glm::vec3 hi;
};
inline constexpr float kLidHeight = 45.0f;
inline constexpr std::array<Bound, 7> kBounds = {
    Bound{{-40.0f, 0.0f, -36.0f}, {-32.0f, kLidHeight + 4.0f, 62.0f}},
    Bound{{-32.0f, 0.0f, 14.7f}, {-20.0f, kLidHeight + 4.0f, 62.0f}},
    Bound{{19.0f, 0.0f, -36.0f}, {30.0f, kLidHeight + 4.0f, 14.7f}},
    Bound{{22.0f, 0.0f, 14.7f}, {30.0f, kLidHeight + 4.0f, 62.0f}},
    Bound{{-32.0f, 0.0f, -36.0f}, {19.0f, kLidHeight + 4.0f, -28.0f}},
    Bound{{-20.0f, 0.0f, 54.0f}, {22.0f, kLidHeight + 4.0f, 62.0f}},
    Bound{{-40.0f, kLidHeight, -36.0f}, {30.0f, kLidHeight + 4.0f, 62.0f}}};

inline constexpr float kLampScale = 0.5f;
inline constexpr float kWallBrickScale = 0.5f;

glm::mat4 lampMatrix(int lamp);
glm::mat4 gemMatrix(int gem);
glm::mat4 brickMatrix(int brick);
glm::mat4 speechMatrix();
glm::mat4 wavesMatrix();
glm::mat4 statueMatrix();
// Moving pieces take only their body's position, never its rotation.
glm::mat4 platformMatrix(const glm::vec3& bodyPosition);
glm::mat4 spikesMatrix(const glm::vec3& bodyPosition);
glm::mat4 wallBrickMatrix(const glm::vec3& bodyPosition);

}  // namespace app::layout
