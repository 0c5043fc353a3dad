// The desktop icon: a cut gem drawn facet by facet in front of the sky the game shows.
#include "icon.h"

#include <cmath>
#include <cstddef>
#include <iterator>

#include "image.h"
#include "sky.h"

namespace assetgen {

namespace {

// One flat facet of the gem, corners in icon units (-1..1, y up), with its brightness.
struct Facet {
    glm::vec2 a, b, c;
    float shade;
};

bool inside(const Facet& f, glm::vec2 p) {
    const auto side = [](glm::vec2 u, glm::vec2 v, glm::vec2 q) {
        return (v.x - u.x) * (q.y - u.y) - (v.y - u.y) * (q.x - u.x);
    };
    const float s0 = side(f.a, f.b, p);
    const float s1 = side(f.b, f.c, p);
    const float s2 = side(f.c, f.a, p);
    return (s0 >= 0.0f && s1 >= 0.0f && s2 >= 0.0f) || (s0 <= 0.0f && s1 <= 0.0f && s2 <= 0.0f);
}

// How one size is drawn: small icons are redrawn for their pixels, not shrunk.
struct IconStyle {
    // The gem's size against the 128-pixel design, and how far it is raised to sit centred.
    float scale = 1.0f;
    float raise = 0.0f;
    // Four broad facets instead of seven, legible at a few pixels each.
    bool broadFacets = false;
    // Width of the dark rim around the gem, icon units (0: none).
    float rim = 0.0f;
    // The game's own sky with its stars, or a plain dusk gradient that stays calm when small.
    bool starrySky = true;
};

IconStyle styleFor(int size) {
    const float pixel = 2.0f / static_cast<float>(size);
    // The gem spans icon y 0.42 to -0.78; `raise` puts its middle at the icon's.
    const auto centred = [](float scale) { return 0.18f * scale; };
    if (size <= 32) return {1.1f, centred(1.1f), true, pixel, false};
    if (size < 128) return {1.05f, centred(1.05f), false, pixel, false};
    return {};
}

// The gem side-on, lit from the upper left: table, crown and pavilion in seven facets, or four.
const Facet* gemFacets(bool broad, std::size_t& count) {
    const glm::vec2 t0(-0.34f, 0.42f), t1(0.34f, 0.42f), tm(0.0f, 0.42f);
    const glm::vec2 g0(-0.78f, 0.12f), g1(-0.26f, 0.12f), g2(0.26f, 0.12f), g3(0.78f, 0.12f);
    const glm::vec2 gm(0.0f, 0.12f), culet(0.0f, -0.78f);
    static const Facet fine[] = {
        {g0, t0, g1, 0.85f},   {t0, g1, g2, 1.0f},    {t0, g2, t1, 1.0f},     {t1, g2, g3, 0.6f},
        {g0, g1, culet, 0.7f}, {g1, g2, culet, 0.5f}, {g2, g3, culet, 0.35f},
    };
    // Each half of the crown is two triangles of one shade.
    static const Facet broadOnes[] = {
        {g0, t0, tm, 1.0f},  {g0, tm, gm, 1.0f},    {tm, t1, g3, 0.65f},
        {tm, g3, gm, 0.65f}, {g0, gm, culet, 0.5f}, {gm, g3, culet, 0.25f},
    };
    count = broad ? std::size(broadOnes) : std::size(fine);
    return broad ? broadOnes : fine;
}

float distanceToSegment(glm::vec2 p, glm::vec2 a, glm::vec2 b) {
    const glm::vec2 ab = b - a;
    const float t = glm::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
    return glm::length(p - a - ab * t);
}

// Distance from the gem's outline, in the gem's own units.
float distanceToGem(glm::vec2 p) {
    const glm::vec2 outline[] = {
        {-0.34f, 0.42f}, {0.34f, 0.42f}, {0.78f, 0.12f}, {0.0f, -0.78f}, {-0.78f, 0.12f}};
    float nearest = 1e9f;
    for (std::size_t i = 0; i < std::size(outline); ++i)
        nearest = std::fmin(nearest, distanceToSegment(p, outline[i], outline[(i + 1) % 5]));
    return nearest;
}

glm::vec3 iconColour(glm::vec2 p, const IconStyle& style) {
    const glm::vec2 gem = (p - glm::vec2(0.0f, style.raise)) / style.scale;
    std::size_t count = 0;
    const Facet* facets = gemFacets(style.broadFacets, count);
    for (std::size_t i = 0; i < count; ++i) {
        if (inside(facets[i], gem)) {
            return glm::mix(glm::vec3(0.1f, 0.45f, 0.7f), glm::vec3(0.85f, 1.0f, 1.0f),
                            facets[i].shade);
        }
    }
    if (distanceToGem(gem) * style.scale < style.rim) return glm::vec3(0.01f, 0.02f, 0.06f);
    // The gem's own glow, fading over about half the icon's width.
    const glm::vec2 fromGem = p - glm::vec2(0.0f, style.raise);
    const glm::vec3 glow =
        glm::vec3(0.2f, 0.6f, 0.8f) * std::exp(-glm::dot(fromGem, fromGem) * 4.0f) * 0.6f;
    if (!style.starrySky) {
        // Night blue above, the sunset's orange along the bottom edge.
        const float low = glm::clamp((-0.35f - p.y) / 0.65f, 0.0f, 1.0f);
        return glm::mix(glm::vec3(0.04f, 0.05f, 0.16f), glm::vec3(0.55f, 0.22f, 0.16f), low * low) +
               glow;
    }
    // Behind it the sky towards the sunset, the horizon at icon y -0.55, about 77° across.
    const glm::vec3 look = glm::normalize(glm::vec3(-0.25f, 0.02f, -1.0f));
    const glm::vec3 right = glm::normalize(glm::cross(look, glm::vec3(0.0f, 1.0f, 0.0f)));
    const glm::vec3 up = glm::cross(right, look);
    const glm::vec3 d = glm::normalize(look + right * p.x * 0.8f + up * (p.y + 0.55f) * 0.8f);
    return skyColour(d) + glow;
}

}  // namespace

bool writeIcon(const std::string& pngPath, int size) {
    constexpr int kSamples = 4;
    const IconStyle style = styleFor(size);
    Image image(size, size);
    const float scale = 2.0f / static_cast<float>(size * kSamples);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            glm::vec3 sum(0.0f);
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float u = static_cast<float>(x * kSamples + sx) + 0.5f;
                    const float v = static_cast<float>(y * kSamples + sy) + 0.5f;
                    sum += iconColour({u * scale - 1.0f, 1.0f - v * scale}, style);
                }
            }
            image.set(x, y, sum / static_cast<float>(kSamples * kSamples));
        }
    }
    return image.writePng(pngPath);
}

}  // namespace assetgen
