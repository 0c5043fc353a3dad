// The desktop icon: a cut gem drawn facet by facet in front of the sky the game shows.
#include "icon.h"

#include <cmath>

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

// The gem side-on: table, crown and pavilion, lit from the upper left.
glm::vec3 iconColour(glm::vec2 p) {
    const glm::vec2 t0(-0.34f, 0.42f), t1(0.34f, 0.42f);
    const glm::vec2 g0(-0.78f, 0.12f), g1(-0.26f, 0.12f), g2(0.26f, 0.12f), g3(0.78f, 0.12f);
    const glm::vec2 culet(0.0f, -0.78f);
    const Facet facets[] = {
        {g0, t0, g1, 0.85f},   {t0, g1, g2, 1.0f},    {t0, g2, t1, 1.0f},     {t1, g2, g3, 0.6f},
        {g0, g1, culet, 0.7f}, {g1, g2, culet, 0.5f}, {g2, g3, culet, 0.35f},
    };
    for (const Facet& f : facets) {
        if (inside(f, p))
            return glm::mix(glm::vec3(0.1f, 0.45f, 0.7f), glm::vec3(0.85f, 1.0f, 1.0f), f.shade);
    }
    // Behind it the sky towards the sunset, the horizon at icon y -0.55, about 77° across.
    const glm::vec3 look = glm::normalize(glm::vec3(-0.25f, 0.02f, -1.0f));
    const glm::vec3 right = glm::normalize(glm::cross(look, glm::vec3(0.0f, 1.0f, 0.0f)));
    const glm::vec3 up = glm::cross(right, look);
    const glm::vec3 d = glm::normalize(look + right * p.x * 0.8f + up * (p.y + 0.55f) * 0.8f);
    // The gem's own glow, fading over about half the icon's width.
    const float glow = std::exp(-glm::dot(p, p) * 4.0f);
    return skyColour(d) + glm::vec3(0.2f, 0.6f, 0.8f) * glow * 0.6f;
}

}  // namespace

bool writeIcon(const std::string& pngPath, int size) {
    constexpr int kSamples = 4;
    Image image(size, size);
    const float scale = 2.0f / static_cast<float>(size * kSamples);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            glm::vec3 sum(0.0f);
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float u = static_cast<float>(x * kSamples + sx) + 0.5f;
                    const float v = static_cast<float>(y * kSamples + sy) + 0.5f;
                    sum += iconColour({u * scale - 1.0f, 1.0f - v * scale});
                }
            }
            image.set(x, y, sum / static_cast<float>(kSamples * kSamples));
        }
    }
    return image.writePng(pngPath);
}

}  // namespace assetgen
