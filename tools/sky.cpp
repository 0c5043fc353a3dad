// Sky faces: each texel's cube-map direction evaluated in one smooth function, so faces join.
#include "sky.h"

#include <cmath>

#include "image.h"

namespace assetgen {

glm::vec3 cubeFaceDirection(int face, float s, float t) {
    // The major-axis table of GL cube maps, solved for the direction: sc and tc in -1..1.
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    glm::vec3 d(0.0f);
    switch (face) {
        case 0:
            d = {1.0f, -tc, -sc};
            break;
        case 1:
            d = {-1.0f, -tc, sc};
            break;
        case 2:
            d = {sc, 1.0f, tc};
            break;
        case 3:
            d = {sc, -1.0f, -tc};
            break;
        case 4:
            d = {sc, -tc, 1.0f};
            break;
        default:
            d = {-sc, -tc, -1.0f};
            break;
    }
    return glm::normalize(d);
}

namespace {

// One star per lattice cell at most, placed by a hash of the cell; `scale` cells per unit of
// direction space, so the same star is found from whichever face samples it.
float starLight(glm::vec3 d, float scale) {
    const glm::vec3 p = d * scale;
    const glm::ivec3 cell(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)),
                          static_cast<int>(std::floor(p.z)));
    float light = 0.0f;
    for (int dz = -1; dz <= 1; ++dz) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const glm::ivec3 c = cell + glm::ivec3(dx, dy, dz);
                const std::uint32_t h = hash3(c.x, c.y, c.z);
                if (unitFloat(h) > 0.035f) continue;
                const glm::vec3 star =
                    glm::vec3(c) + glm::vec3(unitFloat(hash32(h + 1)), unitFloat(hash32(h + 2)),
                                             unitFloat(hash32(h + 3)));
                // Distance measured across the sphere (radial offset removed).
                glm::vec3 offset = star - p;
                offset -= d * glm::dot(offset, d);
                const float size = 0.12f + 0.18f * unitFloat(hash32(h + 4));
                const float r = glm::length(offset) / size;
                light =
                    std::fmax(light, std::exp(-r * r) * (0.5f + 0.5f * unitFloat(hash32(h + 5))));
            }
        }
    }
    return light;
}

// Value noise over a 3-D lattice of directions, for the milky way's clouds.
float directionNoise(glm::vec3 p) {
    const glm::vec3 f = glm::floor(p);
    const glm::vec3 t = p - f;
    const glm::vec3 w = t * t * (3.0f - 2.0f * t);
    const glm::ivec3 c(f);
    float corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = unitFloat(hash3(c.x + (i & 1), c.y + ((i >> 1) & 1), c.z + ((i >> 2) & 1)));
    const float x00 = corners[0] + (corners[1] - corners[0]) * w.x;
    const float x10 = corners[2] + (corners[3] - corners[2]) * w.x;
    const float x01 = corners[4] + (corners[5] - corners[4]) * w.x;
    const float x11 = corners[6] + (corners[7] - corners[6]) * w.x;
    const float y0 = x00 + (x10 - x00) * w.y;
    const float y1 = x01 + (x11 - x01) * w.y;
    return y0 + (y1 - y0) * w.z;
}

}  // namespace

glm::vec3 skyColour(glm::vec3 d) {
    const float up = d.y;
    const glm::vec3 zenith(0.015f, 0.02f, 0.07f);
    const glm::vec3 middle(0.07f, 0.07f, 0.2f);
    const glm::vec3 horizon(0.32f, 0.18f, 0.3f);
    glm::vec3 c =
        up > 0.0f ? glm::mix(middle, zenith, std::pow(up, 0.6f))
                  : glm::mix(middle, glm::vec3(0.03f, 0.025f, 0.04f), std::fmin(-up * 4.0f, 1.0f));
    c = glm::mix(c, horizon, std::exp(-std::fabs(up) * 9.0f) * 0.8f);

    // The last of the sunset, low in the -z sky, over the far end of the arena.
    const glm::vec3 sunset = glm::normalize(glm::vec3(-0.25f, 0.02f, -1.0f));
    const float toward = std::fmax(glm::dot(d, sunset), 0.0f);
    const float band = std::exp(-std::fabs(up - 0.03f) * 7.0f);
    c += glm::vec3(1.0f, 0.42f, 0.15f) * std::pow(toward, 6.0f) * band * 0.9f;
    c += glm::vec3(0.9f, 0.6f, 0.3f) * std::pow(toward, 40.0f) * band * 0.5f;

    if (up > 0.0f) {
        const float fade = std::fmin(up * 5.0f, 1.0f) * (1.0f - std::pow(toward, 4.0f));
        // A milky way along a tilted great circle that climbs to about 64° over the arena.
        const glm::vec3 galaxyPole = glm::normalize(glm::vec3(1.0f, 0.5f, 0.3f));
        const float offBand = glm::dot(d, galaxyPole) / 0.14f;
        const float clouds = 0.5f * directionNoise(d * 6.0f) + 0.5f * directionNoise(d * 13.0f);
        const float galaxy = std::exp(-offBand * offBand) * (0.35f + 0.65f * clouds) * fade;
        c += glm::vec3(0.16f, 0.15f, 0.24f) * galaxy;
        c += glm::vec3(0.95f, 0.95f, 1.0f) * starLight(d, 160.0f) * fade;
        // A moon high over the entrance court.
        const glm::vec3 moon = glm::normalize(glm::vec3(0.35f, 0.6f, 0.72f));
        const float angle = std::acos(std::fmin(glm::dot(d, moon), 1.0f));
        if (angle < 0.035f) {
            const float mottling = 0.8f + 0.2f * directionNoise(d * 300.0f);
            c = glm::vec3(0.95f, 0.93f, 0.84f) * mottling;
        } else {
            c += glm::vec3(0.25f, 0.27f, 0.35f) * std::exp(-(angle - 0.035f) * 18.0f);
        }
    }
    return c;
}

bool writeSky(const std::string& folder, int size) {
    for (int face = 0; face < 6; ++face) {
        Image image(size, size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const float s = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
                const float t = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
                image.set(x, y, skyColour(cubeFaceDirection(face, s, t)));
            }
        }
        if (!image.writePng(folder + "/" + kSkyFaceFiles[face])) return false;
    }
    return true;
}

}  // namespace assetgen
