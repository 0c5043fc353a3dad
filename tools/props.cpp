// The small models: platform, brick, lantern, spiked block, gem, water grid, speech bubble.
#include "props.h"

#include <algorithm>
#include <cmath>

#include "image.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265f;

// One quad with explicit texture corners; cross(edgeU, edgeV) is its front.
void addFaceQuad(MeshBuilder& mesh, glm::vec3 origin, glm::vec3 edgeU, glm::vec3 edgeV,
                 glm::vec2 uvMin, glm::vec2 uvMax) {
    const glm::vec3 n = glm::normalize(glm::cross(edgeU, edgeV));
    const MeshVertex a{origin, n, uvMin};
    const MeshVertex b{origin + edgeU, n, {uvMax.x, uvMin.y}};
    const MeshVertex c{origin + edgeU + edgeV, n, uvMax};
    const MeshVertex d{origin + edgeV, n, {uvMin.x, uvMax.y}};
    mesh.addTriangle(a, b, c);
    mesh.addTriangle(a, c, d);
}

// Six outward faces; each face shows the texture rectangle uvMin..uvMax, or `uvPerUnit` texture
// units per model unit when that is non-zero (for stretched models such as the platform).
void addUvBox(MeshBuilder& mesh, glm::vec3 lo, glm::vec3 hi, glm::vec2 uvMin, glm::vec2 uvMax,
              glm::vec3 uvPerUnit = glm::vec3(0.0f)) {
    const glm::vec3 d = hi - lo;
    const auto extent = [&](float du, float dv, float su, float sv) {
        if (uvPerUnit.x == 0.0f) return uvMax;
        return uvMin + glm::vec2(du * su, dv * sv);
    };
    addFaceQuad(mesh, {lo.x, hi.y, hi.z}, {d.x, 0, 0}, {0, 0, -d.z}, uvMin,
                extent(d.x, d.z, uvPerUnit.x, uvPerUnit.z));
    addFaceQuad(mesh, {lo.x, lo.y, lo.z}, {d.x, 0, 0}, {0, 0, d.z}, uvMin,
                extent(d.x, d.z, uvPerUnit.x, uvPerUnit.z));
    addFaceQuad(mesh, {hi.x, lo.y, hi.z}, {0, 0, -d.z}, {0, d.y, 0}, uvMin,
                extent(d.z, d.y, uvPerUnit.z, uvPerUnit.y));
    addFaceQuad(mesh, {lo.x, lo.y, lo.z}, {0, 0, d.z}, {0, d.y, 0}, uvMin,
                extent(d.z, d.y, uvPerUnit.z, uvPerUnit.y));
    addFaceQuad(mesh, {lo.x, lo.y, hi.z}, {d.x, 0, 0}, {0, d.y, 0}, uvMin,
                extent(d.x, d.y, uvPerUnit.x, uvPerUnit.y));
    addFaceQuad(mesh, {hi.x, lo.y, lo.z}, {-d.x, 0, 0}, {0, d.y, 0}, uvMin,
                extent(d.x, d.y, uvPerUnit.x, uvPerUnit.y));
}

// A flat triangle turned so that its front faces away from `inside`.
void addOutwardTriangle(MeshBuilder& mesh, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 inside,
                        glm::vec2 ua, glm::vec2 ub, glm::vec2 uc) {
    const glm::vec3 n = glm::cross(b - a, c - a);
    if (glm::dot(n, (a + b + c) / 3.0f - inside) < 0.0f) {
        std::swap(b, c);
        std::swap(ub, uc);
    }
    mesh.addFlatTriangle(a, b, c, ua, ub, uc);
}

bool writeModel(const MeshBuilder& mesh, const std::string& folder, const std::string& name,
                const std::string& material, const Image& diffuse, const Image& specular,
                float shininess) {
    return mesh.writeObj(folder + "/" + name + ".obj", name + ".mtl", material,
                         name + "_diffuse.png", name + "_specular.png", shininess) &&
           diffuse.writePng(folder + "/" + name + "_diffuse.png") &&
           specular.writePng(folder + "/" + name + "_specular.png");
}

// Fills two images from one function of the texel centre (s, t in 0..1, t = 0 at the top row).
template <typename Fn>
void paint(Image& diffuse, Image& specular, Fn texel) {
    for (int y = 0; y < diffuse.height(); ++y) {
        for (int x = 0; x < diffuse.width(); ++x) {
            const float s = (static_cast<float>(x) + 0.5f) / static_cast<float>(diffuse.width());
            const float t = (static_cast<float>(y) + 0.5f) / static_cast<float>(diffuse.height());
            const glm::vec4 c = texel(s, t);
            diffuse.set(x, y, glm::vec3(c));
            specular.set(x, y, glm::vec3(c.w));
        }
    }
}

float edgeDistance(float s, float t) {
    return std::fmin(std::fmin(s, 1.0f - s), std::fmin(t, 1.0f - t));
}

}  // namespace

// Slab x ±1, y ±0.25, z ±1: drawn at scale (2, 1, 5), a 4 × 0.5 × 10 deck whose top face is
// where the player stands. One texture repeat per 4 world units on every face.
MeshBuilder buildPlatform() {
    MeshBuilder mesh;
    addUvBox(mesh, {-1.0f, -0.25f, -1.0f}, {1.0f, 0.25f, 1.0f}, {0, 0}, {1, 1},
             {0.5f, 0.25f, 1.25f});
    return mesh;
}

// The cube ±1: the game draws it at 0.5 for wall bricks and (2, 1, 1) for the ledges.
MeshBuilder buildBrick() {
    MeshBuilder mesh;
    addUvBox(mesh, {-1, -1, -1}, {1, 1, 1}, {0, 0}, {1, 1});
    return mesh;
}

// A lantern inside ±1: iron base and roof, glowing glass panes, a ring on top to hang from.
// Texture: the upper half of the image is glass, the lower half iron.
MeshBuilder buildLantern() {
    MeshBuilder mesh;
    const glm::vec2 glassLo(0.0f, 0.5f), glassHi(1.0f, 1.0f);
    const glm::vec2 ironLo(0.0f, 0.0f), ironHi(1.0f, 0.5f);
    addUvBox(mesh, {-0.6f, -1.0f, -0.6f}, {0.6f, -0.85f, 0.6f}, ironLo, ironHi);
    addUvBox(mesh, {-0.45f, -0.85f, -0.45f}, {0.45f, 0.35f, 0.45f}, glassLo, glassHi);
    for (int i = 0; i < 4; ++i) {
        const float x = (i & 1) != 0 ? 0.5f : -0.5f;
        const float z = (i & 2) != 0 ? 0.5f : -0.5f;
        addUvBox(mesh, {x - 0.06f, -0.85f, z - 0.06f}, {x + 0.06f, 0.35f, z + 0.06f}, ironLo,
                 ironHi);
    }
    // Roof: a square pyramid over the glass, eaves at ±0.65.
    const glm::vec3 apex(0.0f, 0.8f, 0.0f);
    const glm::vec3 eaves[4] = {{-0.65f, 0.35f, -0.65f},
                                {0.65f, 0.35f, -0.65f},
                                {0.65f, 0.35f, 0.65f},
                                {-0.65f, 0.35f, 0.65f}};
    const glm::vec3 inside(0.0f, 0.5f, 0.0f);
    for (int i = 0; i < 4; ++i) {
        addOutwardTriangle(mesh, eaves[i], eaves[(i + 1) % 4], apex, inside, {0.0f, 0.0f},
                           {1.0f, 0.0f}, {0.5f, 0.45f});
    }
    addFaceQuad(mesh, {-0.65f, 0.35f, -0.65f}, {1.3f, 0, 0}, {0, 0, 1.3f}, ironLo, ironHi);
    // Hanging ring: a small square loop of four bars.
    addUvBox(mesh, {-0.04f, 0.75f, -0.04f}, {0.04f, 0.85f, 0.04f}, ironLo, ironHi);
    addUvBox(mesh, {-0.2f, 0.85f, -0.04f}, {-0.12f, 1.0f, 0.04f}, ironLo, ironHi);
    addUvBox(mesh, {0.12f, 0.85f, -0.04f}, {0.2f, 1.0f, 0.04f}, ironLo, ironHi);
    addUvBox(mesh, {-0.2f, 0.92f, -0.04f}, {0.2f, 1.0f, 0.04f}, ironLo, ironHi);
    return mesh;
}

// A block inside the ±1 box: a striped iron base up to y -0.3 and a 3 × 3 bed of steel spikes
// whose tips reach y 1. Texture: upper half steel, lower half warning stripes.
MeshBuilder buildSpikes() {
    MeshBuilder mesh;
    addUvBox(mesh, {-1.0f, -1.0f, -1.0f}, {1.0f, -0.3f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.5f});
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) {
            const float cx = -0.66f + 0.66f * static_cast<float>(i);
            const float cz = -0.66f + 0.66f * static_cast<float>(k);
            const float h = 0.31f;
            const glm::vec3 tip(cx, 1.0f, cz);
            const glm::vec3 base[4] = {{cx - h, -0.3f, cz - h},
                                       {cx + h, -0.3f, cz - h},
                                       {cx + h, -0.3f, cz + h},
                                       {cx - h, -0.3f, cz + h}};
            const glm::vec3 inside(cx, 0.0f, cz);
            for (int e = 0; e < 4; ++e) {
                addOutwardTriangle(mesh, base[e], base[(e + 1) % 4], tip, inside, {0.0f, 0.5f},
                                   {1.0f, 0.5f}, {0.5f, 1.0f});
            }
        }
    }
    return mesh;
}

// A round brilliant inside ±0.8: an octagonal table at y 0.3, crown facets down to a 16-sided
// girdle of radius 0.75, and pavilion facets down to the culet at y -0.75.
MeshBuilder buildGem() {
    MeshBuilder mesh;
    const float tableY = 0.3f;
    const float tableR = 0.4f;
    const float girdleTop = 0.06f;
    const float girdleBottom = -0.04f;
    const float girdleR = 0.75f;
    const glm::vec3 culet(0.0f, -0.75f, 0.0f);
    const glm::vec3 centre(0.0f, 0.0f, 0.0f);
    const auto ring = [](float radius, float y, int count, int i, float offset) {
        const float a = 2.0f * kPi * (static_cast<float>(i) + offset) / static_cast<float>(count);
        return glm::vec3(radius * std::cos(a), y, radius * std::sin(a));
    };
    const auto uvOf = [](glm::vec3 p) { return glm::vec2(p.x * 0.6f + 0.5f, p.z * 0.6f + 0.5f); };
    const glm::vec3 tableCentre(0.0f, tableY, 0.0f);
    for (int k = 0; k < 8; ++k) {
        const glm::vec3 t0 = ring(tableR, tableY, 8, k, 0.0f);
        const glm::vec3 t1 = ring(tableR, tableY, 8, k + 1, 0.0f);
        addOutwardTriangle(mesh, tableCentre, t0, t1, centre, uvOf(tableCentre), uvOf(t0),
                           uvOf(t1));
        const glm::vec3 g0 = ring(girdleR, girdleTop, 16, 2 * k, 0.0f);
        const glm::vec3 g1 = ring(girdleR, girdleTop, 16, 2 * k + 1, 0.0f);
        const glm::vec3 g2 = ring(girdleR, girdleTop, 16, 2 * k + 2, 0.0f);
        addOutwardTriangle(mesh, t0, g0, g1, centre, uvOf(t0), uvOf(g0), uvOf(g1));
        addOutwardTriangle(mesh, t0, g1, t1, centre, uvOf(t0), uvOf(g1), uvOf(t1));
        addOutwardTriangle(mesh, t1, g1, g2, centre, uvOf(t1), uvOf(g1), uvOf(g2));
    }
    for (int i = 0; i < 16; ++i) {
        const glm::vec3 a = ring(girdleR, girdleTop, 16, i, 0.0f);
        const glm::vec3 b = ring(girdleR, girdleTop, 16, i + 1, 0.0f);
        const glm::vec3 c = ring(girdleR, girdleBottom, 16, i + 1, 0.0f);
        const glm::vec3 d = ring(girdleR, girdleBottom, 16, i, 0.0f);
        const glm::vec3 mid(0.0f, (girdleTop + girdleBottom) * 0.5f, 0.0f);
        addOutwardTriangle(mesh, a, b, c, mid, {0.0f, 0.5f}, {0.1f, 0.5f}, {0.1f, 0.45f});
        addOutwardTriangle(mesh, a, c, d, mid, {0.0f, 0.5f}, {0.1f, 0.45f}, {0.0f, 0.45f});
        addOutwardTriangle(mesh, d, c, culet, centre, uvOf(d), uvOf(c), uvOf(culet));
    }
    return mesh;
}

// The pool's surface in its drawing frame T(0.5, 4, 2.3): local y -1.5 puts it at world y 2.5,
// the water hazard's height; it spans the basin inside the rim, world x -9.1..10.1,
// z -2.6..5.6, in cells of about 0.8 units so that the vertex waves have vertices to move.
MeshBuilder buildWaves() {
    MeshBuilder mesh;
    const float x0 = -9.6f, x1 = 9.6f, z0 = -4.9f, z1 = 3.3f, y = -1.5f;
    const int nx = 24;
    const int nz = 10;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const auto at = [&](int i, int k) {
        const float x = x0 + (x1 - x0) * static_cast<float>(i) / static_cast<float>(nx);
        const float z = z0 + (z1 - z0) * static_cast<float>(k) / static_cast<float>(nz);
        // One texture repeat per 4 world units.
        return MeshVertex{{x, y, z}, up, {x / 4.0f, -z / 4.0f}};
    };
    for (int k = 0; k < nz; ++k) {
        for (int i = 0; i < nx; ++i) {
            const MeshVertex a = at(i, k);
            const MeshVertex b = at(i, k + 1);
            const MeshVertex c = at(i + 1, k + 1);
            const MeshVertex d = at(i + 1, k);
            mesh.addTriangle(a, b, c);
            mesh.addTriangle(a, c, d);
        }
    }
    return mesh;
}

namespace {

// Outline of the speech bubble in its own plane (x right, y up): a rounded 6 × 3 box centred on
// the origin and a tail from its lower edge down to (-0.7, -3.0), towards the statue's head.
constexpr float kBubbleHalfW = 3.0f;
constexpr float kBubbleHalfH = 1.5f;
constexpr float kBubbleCorner = 0.8f;
constexpr float kBubbleDepth = 0.15f;
const glm::vec2 kTail[3] = {{-1.1f, -1.5f}, {0.2f, -1.5f}, {-0.9f, -3.0f}};

std::vector<glm::vec2> bubbleOutline() {
    std::vector<glm::vec2> points;
    const float cx = kBubbleHalfW - kBubbleCorner;
    const float cy = kBubbleHalfH - kBubbleCorner;
    const glm::vec2 centres[4] = {{cx, -cy}, {cx, cy}, {-cx, cy}, {-cx, -cy}};
    // Counter-clockwise seen from +z, starting at the lower right corner's arc.
    for (int c = 0; c < 4; ++c) {
        for (int s = 0; s <= 6; ++s) {
            const float a =
                (static_cast<float>(c) - 1.0f + static_cast<float>(s) / 6.0f) * 0.5f * kPi;
            points.push_back(centres[c] + kBubbleCorner * glm::vec2(std::cos(a), std::sin(a)));
        }
    }
    return points;
}

glm::vec2 bubbleUv(glm::vec2 p) { return {(p.x + 3.2f) / 6.4f, (p.y + 3.2f) / 6.4f}; }

// Signed distance to the bubble's outline (negative inside), for painting its border.
float bubbleDistance(glm::vec2 p) {
    const glm::vec2 inner(kBubbleHalfW - kBubbleCorner, kBubbleHalfH - kBubbleCorner);
    const glm::vec2 q = glm::abs(p) - inner;
    const float box = glm::length(glm::max(q, glm::vec2(0.0f))) +
                      std::fmin(std::fmax(q.x, q.y), 0.0f) - kBubbleCorner;
    // The tail's corners run clockwise, so (-edge.y, edge.x) points out of it.
    float tail = -1e9f;
    for (int e = 0; e < 3; ++e) {
        const glm::vec2 a = kTail[e];
        const glm::vec2 b = kTail[(e + 1) % 3];
        const glm::vec2 edge = b - a;
        const glm::vec2 n = glm::normalize(glm::vec2(-edge.y, edge.x));
        tail = std::fmax(tail, glm::dot(p - a, n));
    }
    return std::fmin(box, tail);
}

}  // namespace

// A thick comic speech bubble in the xy plane, its readable face towards +z (the player comes
// from +z), drawn at T(6, 10, 17): it spans x 3..9, y 8.5..11.5 and its tail points down.
MeshBuilder buildSpeechBubble() {
    MeshBuilder mesh;
    const std::vector<glm::vec2> outline = bubbleOutline();
    const glm::vec3 front(0.0f, 0.0f, 1.0f);
    const auto v3 = [](glm::vec2 p, float z) { return glm::vec3(p.x, p.y, z); };
    const std::size_t count = outline.size();
    for (std::size_t i = 0; i < count; ++i) {
        const glm::vec2 a = outline[i];
        const glm::vec2 b = outline[(i + 1) % count];
        // Front and back faces as fans from the centre.
        mesh.addTriangle({{0.0f, 0.0f, kBubbleDepth}, front, bubbleUv({0, 0})},
                         {v3(a, kBubbleDepth), front, bubbleUv(a)},
                         {v3(b, kBubbleDepth), front, bubbleUv(b)});
        mesh.addTriangle({{0.0f, 0.0f, -kBubbleDepth}, -front, bubbleUv({0, 0})},
                         {v3(b, -kBubbleDepth), -front, bubbleUv(b)},
                         {v3(a, -kBubbleDepth), -front, bubbleUv(a)});
        // Rim.
        const glm::vec2 edge = b - a;
        const glm::vec3 n = glm::normalize(glm::vec3(edge.y, -edge.x, 0.0f));
        const glm::vec2 rimUv(0.02f, 0.02f);
        mesh.addTriangle({v3(a, -kBubbleDepth), n, rimUv}, {v3(b, -kBubbleDepth), n, rimUv},
                         {v3(b, kBubbleDepth), n, rimUv});
        mesh.addTriangle({v3(a, -kBubbleDepth), n, rimUv}, {v3(b, kBubbleDepth), n, rimUv},
                         {v3(a, kBubbleDepth), n, rimUv});
    }
    // The tail: a thinner wedge so its faces stand clear of the bubble's faces.
    const float d = kBubbleDepth * 0.8f;
    const glm::vec2 a = kTail[0], b = kTail[1], tip = kTail[2];
    mesh.addTriangle({v3(b, d), front, bubbleUv(b)}, {v3(a, d), front, bubbleUv(a)},
                     {v3(tip, d), front, bubbleUv(tip)});
    mesh.addTriangle({v3(a, -d), -front, bubbleUv(a)}, {v3(b, -d), -front, bubbleUv(b)},
                     {v3(tip, -d), -front, bubbleUv(tip)});
    const glm::vec2 sides[2][2] = {{b, tip}, {tip, a}};
    for (const auto& side : sides) {
        const glm::vec2 edge = side[1] - side[0];
        const glm::vec3 n = glm::normalize(glm::vec3(-edge.y, edge.x, 0.0f));
        const glm::vec2 rimUv(0.02f, 0.02f);
        glm::vec3 p0 = v3(side[0], -d), p1 = v3(side[1], -d), p2 = v3(side[1], d);
        glm::vec3 p3 = v3(side[0], d);
        if (glm::dot(glm::cross(p1 - p0, p2 - p0), n) < 0.0f) {
            std::swap(p0, p1);
            std::swap(p2, p3);
        }
        mesh.addTriangle({p0, n, rimUv}, {p1, n, rimUv}, {p2, n, rimUv});
        mesh.addTriangle({p0, n, rimUv}, {p2, n, rimUv}, {p3, n, rimUv});
    }
    return mesh;
}

bool writePlatform(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    paint(diffuse, specular, [](float s, float t) {
        // Riveted iron deck plates with a raised diamond tread, two plates per repeat.
        const float n = tiledFbm({s * 8.0f, t * 8.0f}, 8, 4, 301);
        const float ds = s * 16.0f - std::floor(s * 16.0f) - 0.5f;
        const float dt = t * 16.0f - std::floor(t * 16.0f) - 0.5f;
        const bool tread = std::fabs(ds) + std::fabs(dt) < 0.22f;
        glm::vec3 c = glm::vec3(0.33f, 0.31f, 0.29f) * (0.75f + 0.5f * n);
        if (tread) c *= 1.35f;
        const float seam = edgeDistance(s * 2.0f - std::floor(s * 2.0f), t);
        if (seam < 0.02f) c = glm::vec3(0.9f, 0.68f, 0.1f);
        return glm::vec4(c, tread ? 0.7f : 0.4f);
    });
    return writeModel(buildPlatform(), folder, "plattformOrigin", "platform_iron", diffuse,
                      specular, 32.0f);
}

bool writeBrick(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    paint(diffuse, specular, [](float s, float t) {
        // One dressed sandstone block per face, darker chiselled edges.
        const float n = tiledFbm({s * 8.0f, t * 8.0f}, 8, 5, 401);
        const float e = edgeDistance(s, t);
        glm::vec3 c = glm::vec3(0.62f, 0.45f, 0.32f) * (0.7f + 0.6f * n);
        c *= 0.55f + 0.45f * glm::smoothstep(0.0f, 0.08f, e);
        return glm::vec4(c, 0.15f + 0.1f * n);
    });
    return writeModel(buildBrick(), folder, "brickOrigin", "sandstone_brick", diffuse, specular,
                      8.0f);
}

bool writeLantern(const std::string& folder) {
    Image diffuse(128, 128), specular(128, 128);
    paint(diffuse, specular, [](float s, float t) {
        if (t < 0.5f) {
            // Upper half (v 0.5..1): warm glass with a lead grid.
            const float lt = t * 2.0f;
            const float glow = 0.8f + 0.2f * tiledNoise({s * 6.0f, lt * 6.0f}, 6, 501);
            glm::vec3 c = glm::vec3(1.0f, 0.82f, 0.45f) * glow;
            const float gs = s * 3.0f - std::floor(s * 3.0f);
            const float gt = lt * 3.0f - std::floor(lt * 3.0f);
            if (gs < 0.06f || gt < 0.06f) c = glm::vec3(0.15f, 0.13f, 0.12f);
            return glm::vec4(c, 0.9f);
        }
        const float n = tiledFbm({s * 8.0f, t * 8.0f}, 8, 3, 502);
        return glm::vec4(glm::vec3(0.16f, 0.15f, 0.15f) * (0.7f + 0.6f * n), 0.6f);
    });
    return writeModel(buildLantern(), folder, "bos", "lantern", diffuse, specular, 64.0f);
}

bool writeSpikes(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    paint(diffuse, specular, [](float s, float t) {
        if (t < 0.5f) {
            // Upper half: polished steel, reddened towards the tips (v 1 is the tip).
            const float tip = 1.0f - t * 2.0f;
            const float n = tiledFbm({s * 8.0f, t * 8.0f}, 8, 4, 601);
            glm::vec3 c = glm::vec3(0.62f, 0.64f, 0.68f) * (0.8f + 0.4f * n);
            c = glm::mix(c, glm::vec3(0.55f, 0.08f, 0.05f), glm::smoothstep(0.4f, 0.2f, tip));
            return glm::vec4(c, 0.95f);
        }
        // Lower half: red and black warning stripes on the base.
        const float phase = 6.0f * s + 6.0f * t;
        const bool red = phase - std::floor(phase) < 0.5f;
        return glm::vec4(red ? glm::vec3(0.8f, 0.1f, 0.06f) : glm::vec3(0.06f), 0.4f);
    });
    return writeModel(buildSpikes(), folder, "spikes", "spiked_steel", diffuse, specular, 96.0f);
}

bool writeGem(const std::string& folder) {
    Image diffuse(128, 128), specular(128, 128);
    paint(diffuse, specular, [](float s, float t) {
        // Pale cyan with brighter streaks, so neighbouring facets read differently.
        const float n = tiledFbm({s * 4.0f, t * 4.0f}, 4, 4, 701);
        const glm::vec3 c = glm::mix(glm::vec3(0.2f, 0.75f, 0.95f), glm::vec3(0.85f, 1.0f, 1.0f),
                                     glm::smoothstep(0.4f, 0.8f, n));
        return glm::vec4(c, 1.0f);
    });
    return writeModel(buildGem(), folder, "diamant", "gem", diffuse, specular, 128.0f);
}

bool writeWaves(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    paint(diffuse, specular, [](float s, float t) {
        // Deep green-blue with bright caustic lines where two noise fields cross their midpoint.
        const float a = tiledFbm({s * 4.0f, t * 4.0f}, 4, 4, 801);
        const float b = tiledFbm({s * 4.0f + 0.37f, t * 4.0f + 0.71f}, 4, 4, 802);
        const float caustic = std::fmax(0.0f, 1.0f - std::fabs(a - b) * 12.0f);
        const glm::vec3 c =
            glm::mix(glm::vec3(0.04f, 0.22f, 0.30f), glm::vec3(0.5f, 0.85f, 0.9f), caustic * 0.6f);
        return glm::vec4(c, 0.9f);
    });
    return writeModel(buildWaves(), folder, "waves", "water", diffuse, specular, 100.0f);
}

bool writeSpeechBubble(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    paint(diffuse, specular, [](float s, float t) {
        // Texture covers x, y -3.2..3.2 of the bubble's plane; row 0 is y = 3.2.
        const glm::vec2 p(s * 6.4f - 3.2f, (1.0f - t) * 6.4f - 3.2f);
        const float d = bubbleDistance(p);
        glm::vec3 c(0.97f, 0.95f, 0.88f);
        if (d > -0.18f) c = glm::vec3(0.08f, 0.07f, 0.1f);
        // Three dots: the statue has something to say.
        for (int i = -1; i <= 1; ++i) {
            if (glm::length(p - glm::vec2(1.2f * static_cast<float>(i), 0.0f)) < 0.35f)
                c = glm::vec3(0.1f, 0.1f, 0.15f);
        }
        return glm::vec4(c, 0.2f);
    });
    return writeModel(buildSpeechBubble(), folder, "speech", "speech_paper", diffuse, specular,
                      8.0f);
}

}  // namespace assetgen
