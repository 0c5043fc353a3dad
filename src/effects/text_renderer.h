// Screen text: 128 FreeType glyphs rasterised once, drawn as one textured quad per character.
#pragma once

#include <GL/glew.h>

#include <array>
#include <glm/glm.hpp>
#include <map>
#include <string>

#include "render/shader.h"

namespace effects {

// One rasterised character. Sizes and bearings in pixels, advance in 1/64 pixel (26.6 fixed).
struct Glyph {
    GLuint textureId = 0;  // 0 for a character that has no bitmap record
    glm::ivec2 size{0, 0};
    glm::ivec2 bearing{0, 0};
    GLuint advance = 0;
};

// The six (x, y, u, v) vertices of one character quad, two triangles, in window pixels with the
// pen at (x, y) on the baseline; v runs from 0 at the quad's top to 1 at its bottom because a
// glyph bitmap's first row is its top row. Moves the pen by the whole-pixel advance times scale.
std::array<glm::vec4, 6> layoutGlyph(const Glyph& glyph, float& x, float y, float scale);

class TextRenderer {
public:
    // Rasterises the font at 48 px for a window of width x height pixels. Leaves the unpack
    // alignment at 1 for the rest of the run.
    TextRenderer(int width, int height);

    // Draws text with its baseline pen start at (x, y) window pixels from the lower-left corner,
    // into whatever framebuffer is bound, with the blend and depth state the caller keeps.
    void renderText(const std::string& text, float x, float y, float scale, const glm::vec3& color);
    // On: later lines take the composite's tone curve (the HUD over a play frame); off: their raw
    // colour (the end screens).
    void setToneMapped(bool on);

    std::map<char, Glyph> glyphs;
    GLuint quadVao = 0;
    GLuint quadVbo = 0;
    glm::mat4 projection{1.0f};
    render::Shader textShader;
};

}  // namespace effects
