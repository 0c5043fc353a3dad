// A tiny depth-buffered rasteriser for the generator's debug views of its own meshes.
#include "preview.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "image.h"

namespace assetgen {

bool writePreview(const MeshBuilder& mesh, glm::vec3 viewDir, glm::vec3 up, int size,
                  const std::string& pngPath) {
    const glm::vec3 forward = -glm::normalize(viewDir);
    const glm::vec3 right = glm::normalize(glm::cross(forward, up));
    const glm::vec3 upAxis = glm::cross(right, forward);
    const auto& v = mesh.vertices();
    glm::vec2 lo(std::numeric_limits<float>::max()), hi(std::numeric_limits<float>::lowest());
    for (const MeshVertex& m : v) {
        const glm::vec2 p(glm::dot(m.position, right), glm::dot(m.position, upAxis));
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    const float extent = std::max(hi.x - lo.x, hi.y - lo.y) * 1.05f;
    const glm::vec2 mid = (lo + hi) * 0.5f;
    const float fsize = static_cast<float>(size);
    const auto project = [&](glm::vec3 p) {
        return glm::vec3((glm::dot(p, right) - mid.x) / extent * fsize + fsize * 0.5f,
                         fsize * 0.5f - (glm::dot(p, upAxis) - mid.y) / extent * fsize,
                         glm::dot(p, forward));
    };
    std::vector<float> depth(static_cast<std::size_t>(size * size),
                             std::numeric_limits<float>::max());
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.set(x, y, {0.12f, 0.12f, 0.16f});
    const glm::vec3 light = glm::normalize(viewDir + up * 0.6f + right * 0.4f);
    for (std::size_t i = 0; i < v.size(); i += 3) {
        const glm::vec3 a = project(v[i].position);
        const glm::vec3 b = project(v[i + 1].position);
        const glm::vec3 c = project(v[i + 2].position);
        // Screen y points down, so a front face (counter-clockwise) has negative area here.
        const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
        if (area >= 0.0f) continue;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const float x = static_cast<float>(px) + 0.5f;
                const float y = static_cast<float>(py) + 0.5f;
                const float w0 = ((b.x - x) * (c.y - y) - (c.x - x) * (b.y - y)) / area;
                const float w1 = ((c.x - x) * (a.y - y) - (a.x - x) * (c.y - y)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                const float z = w0 * a.z + w1 * b.z + w2 * c.z;
                float& d = depth[static_cast<std::size_t>(py * size + px)];
                if (z >= d) continue;
                d = z;
                const glm::vec3 n =
                    glm::normalize(w0 * v[i].normal + w1 * v[i + 1].normal + w2 * v[i + 2].normal);
                const float shade = 0.25f + 0.75f * std::max(0.0f, glm::dot(n, light));
                image.set(px, py, glm::vec3(0.85f, 0.82f, 0.75f) * shade);
            }
        }
    }
    return image.writePng(pngPath);
}

bool writeEyeView(const MeshBuilder& mesh, const Image& texture, glm::vec3 eye, glm::vec3 target,
                  float fovDegrees, int width, int height, const std::string& pngPath) {
    const glm::vec3 forward = glm::normalize(target - eye);
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0, 1, 0)));
    const glm::vec3 up = glm::cross(right, forward);
    const float focal =
        0.5f * static_cast<float>(height) / std::tan(glm::radians(fovDegrees) * 0.5f);
    const float near = 0.1f;
    const auto fw = static_cast<float>(width);
    const auto fh = static_cast<float>(height);
    std::vector<float> depth(static_cast<std::size_t>(width * height),
                             std::numeric_limits<float>::max());
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.set(x, y, {0.05f, 0.05f, 0.15f});
    const glm::vec3 sun = glm::normalize(glm::vec3(0.3f, 1.0f, 0.2f));
    const auto& v = mesh.vertices();
    for (std::size_t i = 0; i < v.size(); i += 3) {
        glm::vec3 cam[3];
        bool behind = false;
        for (int k = 0; k < 3; ++k) {
            const glm::vec3 d = v[i + static_cast<std::size_t>(k)].position - eye;
            cam[k] = {glm::dot(d, right), glm::dot(d, up), glm::dot(d, forward)};
            behind = behind || cam[k].z < near;
        }
        // Triangles crossing the near plane are dropped: good enough for a debug view.
        if (behind) continue;
        glm::vec3 s[3];
        for (int k = 0; k < 3; ++k)
            s[k] = {fw * 0.5f + focal * cam[k].x / cam[k].z,
                    fh * 0.5f - focal * cam[k].y / cam[k].z, 1.0f / cam[k].z};
        const float area =
            (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
        if (area >= 0.0f) continue;
        const float shade = 0.35f + 0.65f * std::max(0.0f, glm::dot(v[i].normal, sun));
        const int x0 =
            std::max(0, static_cast<int>(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
        const int x1 =
            std::min(width - 1, static_cast<int>(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
        const int y0 =
            std::max(0, static_cast<int>(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
        const int y1 =
            std::min(height - 1, static_cast<int>(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                const float x = static_cast<float>(px) + 0.5f;
                const float y = static_cast<float>(py) + 0.5f;
                const float w0 = ((s[1].x - x) * (s[2].y - y) - (s[2].x - x) * (s[1].y - y)) / area;
                const float w1 = ((s[2].x - x) * (s[0].y - y) - (s[0].x - x) * (s[2].y - y)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                // Perspective-correct interpolation through 1/z.
                const float invZ = w0 * s[0].z + w1 * s[1].z + w2 * s[2].z;
                const float z = 1.0f / invZ;
                float& d = depth[static_cast<std::size_t>(py * width + px)];
                if (z >= d) continue;
                d = z;
                const glm::vec2 uv = (w0 * s[0].z * v[i].uv + w1 * s[1].z * v[i + 1].uv +
                                      w2 * s[2].z * v[i + 2].uv) *
                                     z;
                const float fu = uv.x - std::floor(uv.x);
                const float fv = std::clamp(1.0f - uv.y, 0.0f, 0.9999f);
                const glm::vec3 texel =
                    texture.get(static_cast<int>(fu * static_cast<float>(texture.width())),
                                static_cast<int>(fv * static_cast<float>(texture.height())));
                image.set(px, py, texel * shade);
            }
        }
    }
    return image.writePng(pngPath);
}

}  // namespace assetgen
