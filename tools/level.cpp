// Builds the arena ("the pit"): walls, floors, the water tank, two acid channels, ramps, brackets.
//
// LAYOUT (world units, y up, floor at y 0; "-z" is the way the player looks at the start)
//   Arena inside x -32..19, z -28..14.7, walls 22 high (a jump from the highest ledge, y 11,
//   peaks near 22.7 but only far from any wall). Entrance court outside the front wall:
//   x -20..22, z 15.7..54, walls 18 high. The front wall (z 14.7..15.7) has two openings:
//     - west gate   x -16.5..-12.5, 8 high, always open;
//     - east door   x  12.2..17.8, 5.5 high, filled by the 25 loose bricks (x 12.5..17.5,
//                   y 0..5: optional way in). The frame stands 0.3 clear of the bricks at the
//                   sides and 0.5 above them: a frame that touches them holds them in place.
//   Hazards are raised tanks whose rims are far above a 0.5 step, so nobody walks into them:
//     - water tank  rim x -9.6..10.6, z -3.1..6.1, rim top 3.0; basin floor 0.5, water 2.5
//                   (hazard 2 slab x -9..10, z -2.5..5.5 at y 2.5 lies inside the rim);
//     - acid 1      rim x -4.1..-0.9, z 6.9..13.1, rim top 4.6; acid surface 3.85
//                   (hazard 1 slab x -3.5..-1.5, z 7.5..12.5 at y 4);
//     - acid 3      rim x -5.1..3.1, z -26.6..-13.4, rim top 3.6; acid surface 2.85
//                   (hazard 3 slab x -4.5..2.5, z -26..-14 at y 3).
//   Anyone who falls into a tank stands on its inner surface, below the slab, with the capsule
//   (feet to feet + 4.4) through the slab: the hazard triggers. The rims (warning stripes) are
//   outside the slabs and safe to stand on.
//   Gem 1 dais   x -8..-4.1, z 8..12, top 2.5; its ramp x -13..-8 rises towards +x (26.6°).
//   Gallery      x 11..19, z -26..-16, top 5.0; its ramp x 13..19, z -16..-6 rises towards -z.
//   Lift pedestal x -16.8..-13.2, z -4.8..4.8, 2 high, under the moving platform (x -17..-13,
//   z -5..5, top 4.25..6.25) so nobody is crushed beneath it.
//   Lamps: posts under lamps 2 and 3; every other lamp hangs from an iron arm on a wall.
//   Buttresses (0.6 deep) stand on the inner wall faces, away from the route.
//
// ROUTE WITHOUT THE FLY CHEAT (feet positions (x, z); walk straight lines between waypoints;
// the same list is in level_route.h and is checked against the mesh by the unit tests).
// yaw: the camera yaw in degrees that points W along the leg (front = (cos yaw, 0, sin yaw);
// the start yaw is -90, one pixel of mouse travel turns 0.2°); len: horizontal length, which
// W covers at 15 units/s. Input opens about 3 s after start-up, when the intro ends.
//   Start (0, 50), floor 0, yaw -90.
//   Gem 1 (-5, 7, 10), trigger y 6..8:
//     -> (-14.5, 24)   yaw -119.1 len 29.77  court floor 0
//     -> (-14.5, 10)   yaw  -90.0 len 14.00  through the west gate (x -16.5..-12.5, z 15.2)
//     -> (-5, 10)      yaw    0.0 len  9.50  up the ramp from x -13 (floor 0) to x -8 (floor
//                                            2.5) onto the dais; the capsule (2.5..6.9)
//                                            reaches the trigger once x > -6.2. Stop by x -4.3:
//                                            the acid rim stands at x -4.1.
//   Gem 2 (-10, 2.5, -8), trigger y 1.5..3.5, on the floor:
//     -> (-14.5, 10)   yaw  180.0 len  9.50  back down the ramp to floor 0
//     -> (-14.5, 7)    yaw  -90.0 len  3.00  off the ramp's -z side line (z 8)
//     -> (-11.5, 7)    yaw    0.0 len  3.00  between the ramp (z > 8) and the tank (z < 6.1)
//     -> (-11.5, -8)   yaw  -90.0 len 15.00  between the lift pedestal (x < -13.2) and the
//                                            tank (x > -9.6)
//     -> (-10, -8)     yaw    0.0 len  1.50  collected at floor 0
//   Gem 3 (15, 15, -20), trigger y 14..16:
//     -> (15, -4.5)    yaw    8.0 len 25.24  floor 0, about 2 units clear of the tank's rim
//     -> (15, -20)     yaw  -90.0 len 15.50  ramp from z -6 (floor 0) to z -16 (floor 5), then
//                                            the gallery (floor 5)
//     jump at (15, -20)                      from floor 5 the capsule top rises to about 21:
//                                            it crosses y 14..16 going up and coming down.
//   OPTIONAL HIGH ROUTE (the spikes guard it): jump from the floor onto the lift (top 4.25..6.25),
//   jump towards +x along z 3 to brick 2 (x -5..-1, z 2..4, top 11) - the spikes at x -8..-6,
//   z -1..1 sweep y 6..11 beside that line - then to brick 1 (x 2..6, z -3..-1, top 11) and down
//   onto the gallery; or drop from brick 2 towards +z past the acid onto the dais through gem 1.
#include "level.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "image.h"
#include "level_route.h"

namespace assetgen {
namespace {

// Atlas: 512 × 1024 texels, eight bands of 128 rows, each band one 4 × 4 unit tile that repeats
// along u. Band order as in `Band`.
constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 1024;
constexpr int kBandRows = 128;
enum class Band { Floor, Wall, Acid, Stripes, Iron, Basin, Ramp, Cap, Count };

BandMapping band(Band b, float tile = 4.0f) {
    BandMapping m;
    m.tile = tile;
    m.firstRow = static_cast<int>(b) * kBandRows;
    m.rows = kBandRows;
    m.atlasRows = kAtlasHeight;
    return m;
}

MeshBuilder::BoxBands bands(Band top, Band sides) { return {band(top), band(sides), band(sides)}; }

constexpr float kArenaWallHeight = 22.0f;
constexpr float kCourtWallHeight = 18.0f;

// A rim of four boxes around a rectangular hollow; `outerLo`/`outerHi` bound the outside.
void addRim(MeshBuilder& mesh, glm::vec2 outerLo, glm::vec2 outerHi, float thickness, float height,
            Band top, Band sides) {
    const auto b = bands(top, sides);
    const float t = thickness;
    mesh.addBox({outerLo.x, 0, outerLo.y}, {outerHi.x, height, outerLo.y + t}, b);
    mesh.addBox({outerLo.x, 0, outerHi.y - t}, {outerHi.x, height, outerHi.y}, b);
    mesh.addBox({outerLo.x, 0, outerLo.y + t}, {outerLo.x + t, height, outerHi.y - t}, b);
    mesh.addBox({outerHi.x - t, 0, outerLo.y + t}, {outerHi.x, height, outerHi.y - t}, b);
}

// An upward-facing rectangle at height y.
void addSurface(MeshBuilder& mesh, glm::vec2 lo, glm::vec2 hi, float y, Band b) {
    mesh.addTiledQuad({lo.x, y, hi.y}, {hi.x - lo.x, 0, 0}, {0, 0, lo.y - hi.y}, band(b));
}

// An iron arm from a wall face to just past the lamp, level with the lantern's top ring
// (the lantern is drawn at half scale, so its top is 0.5 above the lamp position).
void addWallArm(MeshBuilder& mesh, glm::vec3 lamp, glm::vec3 wallPoint) {
    const auto iron = bands(Band::Iron, Band::Iron);
    const float y0 = lamp.y + 0.5f;
    const glm::vec3 lo = glm::min(lamp, wallPoint);
    const glm::vec3 hi = glm::max(lamp, wallPoint);
    const bool alongX = std::fabs(lamp.x - wallPoint.x) > std::fabs(lamp.z - wallPoint.z);
    const float w = 0.1f;
    if (alongX) {
        mesh.addBox({lo.x - w, y0, lamp.z - w}, {hi.x, y0 + 0.2f, lamp.z + w}, iron, true);
        const float side = wallPoint.x > lamp.x ? -1.0f : 1.0f;
        const float face = wallPoint.x;
        mesh.addBox({std::fmin(face, face + side * 0.12f), y0 - 0.6f, lamp.z - 0.35f},
                    {std::fmax(face, face + side * 0.12f), y0 + 0.6f, lamp.z + 0.35f}, iron, true);
    } else {
        mesh.addBox({lamp.x - w, y0, lo.z - w}, {lamp.x + w, y0 + 0.2f, hi.z}, iron, true);
        const float side = wallPoint.z > lamp.z ? -1.0f : 1.0f;
        const float face = wallPoint.z;
        mesh.addBox({lamp.x - 0.35f, y0 - 0.6f, std::fmin(face, face + side * 0.12f)},
                    {lamp.x + 0.35f, y0 + 0.6f, std::fmax(face, face + side * 0.12f)}, iron, true);
    }
}

// A stone post with an iron cap on which a lantern stands (its bottom is 0.5 below the lamp).
void addLampPost(MeshBuilder& mesh, glm::vec3 lamp) {
    const float top = lamp.y - 0.5f;
    mesh.addBox({lamp.x - 0.6f, 0, lamp.z - 0.6f}, {lamp.x + 0.6f, 1.2f, lamp.z + 0.6f},
                bands(Band::Cap, Band::Wall));
    mesh.addBox({lamp.x - 0.3f, 1.2f, lamp.z - 0.3f}, {lamp.x + 0.3f, top - 0.3f, lamp.z + 0.3f},
                bands(Band::Cap, Band::Wall));
    mesh.addBox({lamp.x - 0.45f, top - 0.3f, lamp.z - 0.45f}, {lamp.x + 0.45f, top, lamp.z + 0.45f},
                bands(Band::Iron, Band::Iron), true);
}

// ---- atlas patterns: (s, t) in [0, 1) across one tile, periodic in both -------------------------

float mortar(float s, float t, float cellsU, float cellsV, float width) {
    const float du = std::fabs(s * cellsU - std::round(s * cellsU)) / cellsU;
    const float dv = std::fabs(t * cellsV - std::round(t * cellsV)) / cellsV;
    const float d = std::fmin(du, dv);
    return d < width ? 1.0f - d / width : 0.0f;
}

struct Texel {
    glm::vec3 diffuse;
    float specular;
};

Texel floorTexel(float s, float t) {
    const int cx = static_cast<int>(s * 2.0f);
    const int cy = static_cast<int>(t * 2.0f);
    const float tone = 0.85f + 0.3f * unitFloat(hash3(cx, cy, 11));
    const float grain = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 21);
    glm::vec3 c = glm::vec3(0.46f, 0.43f, 0.39f) * tone * (0.75f + 0.5f * grain);
    const float m = mortar(s, t, 2.0f, 2.0f, 0.012f);
    c = glm::mix(c, glm::vec3(0.16f, 0.15f, 0.14f), m);
    return {c, 0.18f + 0.15f * grain * (1.0f - m)};
}

Texel wallTexel(float s, float t) {
    const int row = static_cast<int>(t * 4.0f);
    const float shifted = s + ((row % 2) != 0 ? 0.125f : 0.0f);
    const float sw = shifted - std::floor(shifted);
    const int cx = static_cast<int>(sw * 4.0f);
    const float tone = 0.8f + 0.35f * unitFloat(hash3(cx, row, 5));
    const float grain = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 33);
    glm::vec3 c = glm::vec3(0.34f, 0.35f, 0.40f) * tone * (0.7f + 0.6f * grain);
    const float m = mortar(sw, t, 4.0f, 4.0f, 0.01f);
    c = glm::mix(c, glm::vec3(0.12f, 0.12f, 0.14f), m);
    return {c, 0.08f + 0.1f * grain};
}

Texel acidTexel(float s, float t) {
    const float n = tiledFbm({s * 8.0f, t * 8.0f}, 8, 5, 44);
    const float bubbles = tiledNoise({s * 32.0f, t * 32.0f}, 32, 45);
    glm::vec3 c = glm::mix(glm::vec3(0.20f, 0.75f, 0.08f), glm::vec3(0.75f, 1.0f, 0.35f),
                           glm::smoothstep(0.45f, 0.75f, n));
    if (bubbles > 0.82f) c = glm::vec3(0.9f, 1.0f, 0.6f);
    return {c, 0.85f};
}

Texel stripesTexel(float s, float t) {
    const float phase = 4.0f * s + 4.0f * t;
    const bool yellow = phase - std::floor(phase) < 0.5f;
    const float wear = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 55);
    glm::vec3 c = yellow ? glm::vec3(0.95f, 0.72f, 0.08f) : glm::vec3(0.07f, 0.07f, 0.07f);
    c = glm::mix(c, glm::vec3(0.4f, 0.38f, 0.34f), glm::smoothstep(0.62f, 0.8f, wear));
    return {c, 0.35f};
}

Texel ironTexel(float s, float t) {
    const float n = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 66);
    glm::vec3 c = glm::vec3(0.20f, 0.20f, 0.23f) * (0.7f + 0.6f * n);
    const float rs = s * 8.0f - std::floor(s * 8.0f) - 0.5f;
    const float rt = t * 8.0f - std::floor(t * 8.0f) - 0.5f;
    if (rs * rs + rt * rt < 0.02f) c = glm::vec3(0.45f, 0.43f, 0.4f);
    const float rust = tiledNoise({s * 8.0f, t * 8.0f}, 8, 67);
    c = glm::mix(c, glm::vec3(0.35f, 0.18f, 0.08f), glm::smoothstep(0.7f, 0.9f, rust) * 0.6f);
    return {c, 0.6f + 0.3f * n};
}

Texel basinTexel(float s, float t) {
    const int cx = static_cast<int>(s * 8.0f);
    const int cy = static_cast<int>(t * 8.0f);
    const float tone = 0.85f + 0.3f * unitFloat(hash3(cx, cy, 77));
    glm::vec3 c = glm::vec3(0.13f, 0.42f, 0.47f) * tone;
    const float m = mortar(s, t, 8.0f, 8.0f, 0.008f);
    c = glm::mix(c, glm::vec3(0.7f, 0.72f, 0.68f), m);
    return {c, 0.7f * (1.0f - m) + 0.1f};
}

Texel rampTexel(float s, float t) {
    const float grain = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 88);
    glm::vec3 c = glm::vec3(0.52f, 0.47f, 0.40f) * (0.75f + 0.5f * grain);
    // Grooves across the slope every half unit: they read as a surface made for walking up.
    const float g = t * 8.0f - std::floor(t * 8.0f);
    if (g < 0.18f) c *= 0.45f;
    return {c, 0.15f};
}

Texel capTexel(float s, float t) {
    const int cx = static_cast<int>(s * 2.0f);
    const float tone = 0.9f + 0.2f * unitFloat(hash3(cx, 0, 99));
    const float grain = tiledFbm({s * 16.0f, t * 16.0f}, 16, 4, 98);
    glm::vec3 c = glm::vec3(0.68f, 0.62f, 0.52f) * tone * (0.8f + 0.4f * grain);
    c = glm::mix(c, glm::vec3(0.3f, 0.27f, 0.24f), mortar(s, t, 2.0f, 1.0f, 0.01f));
    return {c, 0.25f};
}

Texel atlasTexel(Band b, float s, float t) {
    switch (b) {
        case Band::Floor:
            return floorTexel(s, t);
        case Band::Wall:
            return wallTexel(s, t);
        case Band::Acid:
            return acidTexel(s, t);
        case Band::Stripes:
            return stripesTexel(s, t);
        case Band::Iron:
            return ironTexel(s, t);
        case Band::Basin:
            return basinTexel(s, t);
        case Band::Ramp:
            return rampTexel(s, t);
        case Band::Cap:
            return capTexel(s, t);
        case Band::Count:
            break;
    }
    return {glm::vec3(1, 0, 1), 0.0f};
}

}  // namespace

void paintLevelAtlas(Image& diffuse, Image& specular) {
    const BandMapping m = band(Band::Floor);
    const float usable = static_cast<float>(m.rows - 2 * m.margin);
    for (int y = 0; y < kAtlasHeight; ++y) {
        const Band b = static_cast<Band>(y / kBandRows);
        // Rows inside the margin repeat the band's edge rows (see bandV in the mesh builder).
        const float local = static_cast<float>(y % kBandRows - m.margin) + 0.5f;
        const float f = 1.0f - std::fmin(std::fmax(local / usable, 0.0f), 0.9999f);
        for (int x = 0; x < kAtlasWidth; ++x) {
            const float s = (static_cast<float>(x) + 0.5f) / static_cast<float>(kAtlasWidth);
            const Texel texel = atlasTexel(b, s, f);
            diffuse.set(x, y, texel.diffuse);
            specular.set(x, y, glm::vec3(texel.specular));
        }
    }
}

namespace {

bool writeAtlas(const std::string& folder) {
    Image diffuse(kAtlasWidth, kAtlasHeight);
    Image specular(kAtlasWidth, kAtlasHeight);
    paintLevelAtlas(diffuse, specular);
    return diffuse.writePng(folder + "/level_diffuse.png") &&
           specular.writePng(folder + "/level_specular.png");
}

}  // namespace

Image makeLevelAtlas() {
    Image diffuse(kAtlasWidth, kAtlasHeight);
    Image specular(kAtlasWidth, kAtlasHeight);
    paintLevelAtlas(diffuse, specular);
    return diffuse;
}

MeshBuilder buildLevelMesh() {
    MeshBuilder mesh;
    const auto wall = bands(Band::Cap, Band::Wall);

    // Floors: the arena (through both doorways) and the entrance court.
    addSurface(mesh, {-32.0f, -28.0f}, {19.0f, 15.7f}, 0.0f, Band::Floor);
    addSurface(mesh, {-20.0f, 15.7f}, {22.0f, 54.0f}, 0.0f, Band::Floor);

    // Arena walls.
    const float h = kArenaWallHeight;
    mesh.addBox({-33.5f, 0, -29.5f}, {-32.0f, h, 14.7f}, wall);
    mesh.addBox({19.0f, 0, -29.5f}, {20.5f, h, 14.7f}, wall);
    mesh.addBox({-32.0f, 0, -29.5f}, {19.0f, h, -28.0f}, wall);
    // Front wall, with the west gate and the brick door left open.
    mesh.addBox({-33.5f, 0, 14.7f}, {-16.5f, h, 15.7f}, wall);
    mesh.addBox({-16.5f, 8.0f, 14.7f}, {-12.5f, h, 15.7f}, wall, true);
    mesh.addBox({-12.5f, 0, 14.7f}, {12.2f, h, 15.7f}, wall);
    mesh.addBox({12.2f, 5.5f, 14.7f}, {17.8f, h, 15.7f}, wall, true);
    mesh.addBox({17.8f, 0, 14.7f}, {23.0f, h, 15.7f}, wall);
    // Gate posts of iron, so the always-open way in stands out from the wall.
    const auto iron = bands(Band::Iron, Band::Iron);
    mesh.addBox({-17.1f, 0, 14.4f}, {-16.5f, 8.6f, 16.0f}, iron);
    mesh.addBox({-12.5f, 0, 14.4f}, {-11.9f, 8.6f, 16.0f}, iron);

    // Buttresses on the arena's inner faces break up the long walls; they keep clear of the
    // lamp arms, the two openings, the acid channel by the front wall and the gallery.
    const float bw = 0.6f;
    for (float z : {-24.0f, -14.0f, -4.0f, 6.0f})
        mesh.addBox({-32.0f, 0, z - bw}, {-31.4f, h, z + bw}, wall);
    for (float x : {-26.0f, -16.0f, -8.0f, 8.0f})
        mesh.addBox({x - bw, 0, -28.0f}, {x + bw, h, -27.4f}, wall);
    for (float x : {-29.0f, -21.0f, -8.0f, 6.0f})
        mesh.addBox({x - bw, 0, 14.1f}, {x + bw, h, 14.7f}, wall);
    mesh.addBox({18.4f, 0, 3.5f - bw}, {19.0f, h, 3.5f + bw}, wall);

    // Court walls.
    const float ch = kCourtWallHeight;
    mesh.addBox({-21.0f, 0, 15.7f}, {-20.0f, ch, 55.0f}, wall);
    mesh.addBox({22.0f, 0, 15.7f}, {23.0f, ch, 55.0f}, wall);
    mesh.addBox({-20.0f, 0, 54.0f}, {22.0f, ch, 55.0f}, wall);

    // Water tank (hazard 2): tiled basin, striped rim, basin floor below the water line.
    addRim(mesh, {-9.6f, -3.1f}, {10.6f, 6.1f}, 0.5f, 3.0f, Band::Stripes, Band::Basin);
    addSurface(mesh, {-9.1f, -2.6f}, {10.1f, 5.6f}, 0.5f, Band::Basin);

    // Acid channel 1 and acid pool 3: the glowing surface sits just under the slab height.
    addRim(mesh, {-4.1f, 6.9f}, {-0.9f, 13.1f}, 0.5f, 4.6f, Band::Stripes, Band::Wall);
    addSurface(mesh, {-3.6f, 7.4f}, {-1.4f, 12.6f}, 3.85f, Band::Acid);
    addRim(mesh, {-5.1f, -26.6f}, {3.1f, -13.4f}, 0.5f, 3.6f, Band::Stripes, Band::Wall);
    addSurface(mesh, {-4.6f, -26.1f}, {2.6f, -13.9f}, 2.85f, Band::Acid);

    // Gem 1: dais and its ramp rising towards +x.
    mesh.addBox({-8.0f, 0, 8.0f}, {-4.1f, 2.5f, 12.0f}, bands(Band::Cap, Band::Wall));
    mesh.addRamp({-13.0f, 0, 8.0f}, {-8.0f, 2.5f, 12.0f}, {1, 0, 0}, bands(Band::Ramp, Band::Wall));

    // Gem 3: gallery and its ramp rising towards -z.
    mesh.addBox({11.0f, 0, -26.0f}, {19.0f, 5.0f, -16.0f}, bands(Band::Cap, Band::Wall));
    mesh.addRamp({13.0f, 0, -16.0f}, {19.0f, 5.0f, -6.0f}, {0, 0, -1},
                 bands(Band::Ramp, Band::Wall));

    // Pedestal under the moving platform's footprint.
    mesh.addBox({-16.8f, 0, -4.8f}, {-13.2f, 2.0f, 4.8f}, bands(Band::Stripes, Band::Iron));

    // Lamps: two on posts, six on wall arms.
    addLampPost(mesh, {-18.0f, 16.0f, 0.5f});
    addLampPost(mesh, {5.0f, 20.0f, -13.7f});
    addWallArm(mesh, {17.5f, 16.0f, -3.0f}, {19.0f, 16.0f, -3.0f});
    addWallArm(mesh, {17.5f, 16.0f, 10.0f}, {19.0f, 16.0f, 10.0f});
    addWallArm(mesh, {5.0f, 20.0f, -26.5f}, {5.0f, 20.0f, -28.0f});
    addWallArm(mesh, {-30.5f, 16.0f, -20.0f}, {-32.0f, 16.0f, -20.0f});
    addWallArm(mesh, {-25.0f, 16.0f, 13.5f}, {-25.0f, 16.0f, 14.7f});
    addWallArm(mesh, {0.0f, 16.0f, 13.5f}, {0.0f, 16.0f, 14.7f});
    return mesh;
}

bool writeLevel(const std::string& folder) {
    const MeshBuilder mesh = buildLevelMesh();
    return mesh.writeObj(folder + "/lvl3_1.obj", "lvl3_1.mtl", "pit_stone", "level_diffuse.png",
                         "level_specular.png", 16.0f) &&
           writeAtlas(folder);
}

bool writeLevelMap(const MeshBuilder& level, const std::string& pngPath) {
    // 0.25 units per pixel over x -36..26, z -32..58; +x to the right, +z downwards.
    constexpr float kStep = 0.25f;
    constexpr float kMinX = -36.0f;
    constexpr float kMinZ = -32.0f;
    constexpr int kW = 248;
    constexpr int kH = 360;
    std::vector<float> top(static_cast<std::size_t>(kW * kH), -1.0f);
    const auto& v = level.vertices();
    for (std::size_t i = 0; i < v.size(); i += 3) {
        const glm::vec3 a = v[i].position;
        const glm::vec3 b = v[i + 1].position;
        const glm::vec3 c = v[i + 2].position;
        const float area = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
        if (std::fabs(area) < 1e-6f) continue;
        const float x0 = std::fmin(a.x, std::fmin(b.x, c.x));
        const float x1 = std::fmax(a.x, std::fmax(b.x, c.x));
        const float z0 = std::fmin(a.z, std::fmin(b.z, c.z));
        const float z1 = std::fmax(a.z, std::fmax(b.z, c.z));
        for (int py = std::max(0, static_cast<int>((z0 - kMinZ) / kStep));
             py <= std::min(kH - 1, static_cast<int>((z1 - kMinZ) / kStep)); ++py) {
            for (int px = std::max(0, static_cast<int>((x0 - kMinX) / kStep));
                 px <= std::min(kW - 1, static_cast<int>((x1 - kMinX) / kStep)); ++px) {
                const float x = kMinX + (static_cast<float>(px) + 0.5f) * kStep;
                const float z = kMinZ + (static_cast<float>(py) + 0.5f) * kStep;
                const float w0 = ((b.x - x) * (c.z - z) - (c.x - x) * (b.z - z)) / area;
                const float w1 = ((c.x - x) * (a.z - z) - (a.x - x) * (c.z - z)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                const float y = w0 * a.y + w1 * b.y + w2 * c.y;
                float& cell = top[static_cast<std::size_t>(py * kW + px)];
                cell = std::fmax(cell, y);
            }
        }
    }
    Image map(kW, kH);
    const auto toPixel = [&](float x, float z) {
        return glm::ivec2(static_cast<int>((x - kMinX) / kStep),
                          static_cast<int>((z - kMinZ) / kStep));
    };
    for (int py = 0; py < kH; ++py) {
        for (int px = 0; px < kW; ++px) {
            const float y = top[static_cast<std::size_t>(py * kW + px)];
            glm::vec3 c = y < 0.0f ? glm::vec3(0.1f, 0.0f, 0.1f)
                                   : glm::mix(glm::vec3(0.15f, 0.2f, 0.3f), glm::vec3(1.0f),
                                              std::fmin(y / 22.0f, 1.0f) * 0.8f + 0.2f);
            map.set(px, py, c);
        }
    }
    const auto fillRect = [&](glm::vec2 lo, glm::vec2 hi, glm::vec3 colour, float alpha) {
        const glm::ivec2 a = toPixel(lo.x, lo.y);
        const glm::ivec2 b = toPixel(hi.x, hi.y);
        for (int py = std::max(0, a.y); py <= std::min(kH - 1, b.y); ++py)
            for (int px = std::max(0, a.x); px <= std::min(kW - 1, b.x); ++px)
                map.set(px, py, glm::mix(map.get(px, py), colour, alpha));
    };
    // Hazard slabs red, gem triggers cyan, the platform and spikes boxes orange.
    fillRect({-3.5f, 7.5f}, {-1.5f, 12.5f}, {1, 0, 0}, 0.6f);
    fillRect({-9.0f, -2.5f}, {10.0f, 5.5f}, {1, 0, 0}, 0.4f);
    fillRect({-4.5f, -26.0f}, {2.5f, -14.0f}, {1, 0, 0}, 0.6f);
    fillRect({-6.0f, 9.0f}, {-4.0f, 11.0f}, {0, 1, 1}, 0.8f);
    fillRect({-11.0f, -9.0f}, {-9.0f, -7.0f}, {0, 1, 1}, 0.8f);
    fillRect({14.0f, -21.0f}, {16.0f, -19.0f}, {0, 1, 1}, 0.8f);
    fillRect({-17.0f, -5.0f}, {-13.0f, 5.0f}, {1, 0.5f, 0}, 0.3f);
    fillRect({-8.0f, -1.0f}, {-6.0f, 1.0f}, {1, 0.5f, 0}, 0.7f);
    fillRect({2.0f, -3.0f}, {6.0f, -1.0f}, {1, 1, 0}, 0.5f);
    fillRect({-5.0f, 2.0f}, {-1.0f, 4.0f}, {1, 1, 0}, 0.5f);
    fillRect({12.5f, 14.7f}, {17.5f, 15.7f}, {0.8f, 0.4f, 0.2f}, 0.8f);
    // The route in green.
    for (std::size_t i = 1; i < std::size(route::kRoute); ++i) {
        const glm::vec2 a(route::kRoute[i - 1].x, route::kRoute[i - 1].z);
        const glm::vec2 b(route::kRoute[i].x, route::kRoute[i].z);
        const int steps = static_cast<int>(glm::length(b - a) / (kStep * 0.5f)) + 1;
        for (int k = 0; k <= steps; ++k) {
            const glm::vec2 p = glm::mix(a, b, static_cast<float>(k) / static_cast<float>(steps));
            const glm::ivec2 q = toPixel(p.x, p.y);
            if (q.x >= 0 && q.x < kW && q.y >= 0 && q.y < kH) map.set(q.x, q.y, {0, 1, 0});
        }
    }
    return map.writePng(pngPath);
}

}  // namespace assetgen
