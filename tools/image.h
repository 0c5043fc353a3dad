// RGB images, deterministic noise and the PNG writer that every generated texture goes through.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

namespace assetgen {

// Three 8-bit channels per pixel, row 0 at the top (the order PNG stores and stb_image returns).
class Image {
public:
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // Colour channels in 0..1; values outside are clamped when stored.
    void set(int x, int y, glm::vec3 colour);
    glm::vec3 get(int x, int y) const;
    // Writes an RGB PNG with a fixed compression level, so the bytes depend only on the pixels.
    bool writePng(const std::string& path) const;

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

// Small integer hash (no library PRNG, whose sequences differ between standard libraries).
std::uint32_t hash32(std::uint32_t value);
std::uint32_t hash3(int x, int y, int z);
// A float in [0, 1) from a hash.
float unitFloat(std::uint32_t value);

// Value noise on a lattice that wraps every `period` cells, so textures tile seamlessly.
float tiledNoise(glm::vec2 p, int period, std::uint32_t seed);
// Several octaves of tiledNoise, each twice as fine and half as strong; result in about 0..1.
float tiledFbm(glm::vec2 p, int period, int octaves, std::uint32_t seed);

}  // namespace assetgen
