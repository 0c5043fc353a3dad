// RGB image storage, lattice noise and PNG output for the asset generator.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "image.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

namespace assetgen {

Image::Image(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u, 0) {}

void Image::set(int x, int y, glm::vec3 colour) {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                            static_cast<std::size_t>(x)) *
                           3u;
    for (int c = 0; c < 3; ++c) {
        const float v = std::clamp(colour[c], 0.0f, 1.0f);
        pixels_[at + static_cast<std::size_t>(c)] =
            static_cast<std::uint8_t>(std::lround(v * 255.0f));
    }
}

glm::vec3 Image::get(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                            static_cast<std::size_t>(x)) *
                           3u;
    return glm::vec3(pixels_[at], pixels_[at + 1], pixels_[at + 2]) / 255.0f;
}

bool Image::writePng(const std::string& path) const {
    stbi_write_png_compression_level = 9;
    // Filter choice is per row and depends only on the pixels; pinning it removes any doubt.
    stbi_write_force_png_filter = 4;
    return stbi_write_png(path.c_str(), width_, height_, 3, pixels_.data(), width_ * 3) != 0;
}

std::uint32_t hash32(std::uint32_t value) {
    value ^= value >> 16;
    value *= 0x7feb352du;
    value ^= value >> 15;
    value *= 0x846ca68bu;
    value ^= value >> 16;
    return value;
}

std::uint32_t hash3(int x, int y, int z) {
    std::uint32_t h = hash32(static_cast<std::uint32_t>(x) * 0x8da6b343u);
    h = hash32(h ^ (static_cast<std::uint32_t>(y) * 0xd8163841u));
    return hash32(h ^ (static_cast<std::uint32_t>(z) * 0xcb1ab31fu));
}

float unitFloat(std::uint32_t value) { return static_cast<float>(value >> 8) / 16777216.0f; }

float tiledNoise(glm::vec2 p, int period, std::uint32_t seed) {
    const float fx = std::floor(p.x);
    const float fy = std::floor(p.y);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const auto wrap = [period](int v) { return ((v % period) + period) % period; };
    const auto corner = [&](int x, int y) {
        return unitFloat(hash3(wrap(x), wrap(y), static_cast<int>(seed)));
    };
    const float tx = p.x - fx;
    const float ty = p.y - fy;
    const float sx = tx * tx * (3.0f - 2.0f * tx);
    const float sy = ty * ty * (3.0f - 2.0f * ty);
    const float a = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * sx;
    const float b = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

float tiledFbm(glm::vec2 p, int period, int octaves, std::uint32_t seed) {
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * tiledNoise(p, period, seed + static_cast<std::uint32_t>(o) * 977u);
        total += weight;
        p *= 2.0f;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

}  // namespace assetgen
