// Rasterises the font into per-glyph textures and draws strings one quad per character.
#include "effects/text_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <glm/gtc/matrix_transform.hpp>
#include <iostream>

namespace effects {

namespace {
const char* const kFontPath = "../assets/fonts/Itim-Regular.ttf";
// Pixel height the glyphs are rasterised at; renderText's scale 1.0 draws at this size.
constexpr FT_UInt kPixelHeight = 48;
constexpr int kCharacterCount = 128;
}  // namespace

std::array<glm::vec4, 6> layoutGlyph(const Glyph& glyph, float& x, float y, float scale) {
    const float xpos = x + static_cast<float>(glyph.bearing.x) * scale;
    // The part of the bitmap below the baseline, taken in whole pixels before scaling.
    const float ypos = y - static_cast<float>(glyph.size.y - glyph.bearing.y) * scale;
    const float w = static_cast<float>(glyph.size.x) * scale;
    const float h = static_cast<float>(glyph.size.y) * scale;
    // The fractional 1/64 pixels of the advance are dropped before scaling; the pen is not rounded.
    x += static_cast<float>(glyph.advance >> 6) * scale;
    return {glm::vec4(xpos, ypos + h, 0.0f, 0.0f), glm::vec4(xpos, ypos, 0.0f, 1.0f),
            glm::vec4(xpos + w, ypos, 1.0f, 1.0f), glm::vec4(xpos, ypos + h, 0.0f, 0.0f),
            glm::vec4(xpos + w, ypos, 1.0f, 1.0f), glm::vec4(xpos + w, ypos + h, 1.0f, 0.0f)};
}

TextRenderer::TextRenderer(int width, int height)
    : textShader("../assets/shaders/vShader_text.txt", "../assets/shaders/fShader_text.txt") {
    // Window pixels with (0, 0) at the lower-left corner; z passes through negated.
    projection = glm::ortho(0.0f, static_cast<float>(width), 0.0f, static_cast<float>(height));
    textShader.use();
    textShader.setUniformMat4("projMatrix", projection);

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library)) {
        std::cout << "ERROR::FREETYPE: Could not init FreeType Library" << std::endl;
        library = nullptr;
    } else if (FT_New_Face(library, kFontPath, 0, &face)) {
        std::cout << "ERROR::FREETYPE: Failed to load font" << std::endl;
        face = nullptr;
    } else {
        FT_Set_Pixel_Sizes(face, 0, kPixelHeight);
        // Coverage bitmaps are one byte per texel with rows packed tightly. Deliberately left at
        // 1 afterwards: the sky faces rely on it too.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int code = 0; code < kCharacterCount; ++code) {
            if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER)) {
                // The misspelt prefix is the message players' logs have always shown.
                std::cout << "ERROR::FREETYTPE: Failed to load Glyph" << std::endl;
                continue;
            }
            const FT_GlyphSlot slot = face->glyph;
            GLuint texture = 0;
            glGenTextures(1, &texture);
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, static_cast<GLsizei>(slot->bitmap.width),
                         static_cast<GLsizei>(slot->bitmap.rows), 0, GL_RED, GL_UNSIGNED_BYTE,
                         slot->bitmap.buffer);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

            Glyph glyph;
            glyph.textureId = texture;
            glyph.size = glm::ivec2(static_cast<int>(slot->bitmap.width),
                                    static_cast<int>(slot->bitmap.rows));
            glyph.bearing = glm::ivec2(slot->bitmap_left, slot->bitmap_top);
            glyph.advance = static_cast<GLuint>(slot->advance.x);
            glyphs.insert({static_cast<char>(code), glyph});
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    // FreeType is done once the bitmaps are uploaded; only the textures remain.
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);

    glGenVertexArrays(1, &quadVao);
    glGenBuffers(1, &quadVbo);
    glBindVertexArray(quadVao);
    glBindBuffer(GL_ARRAY_BUFFER, quadVbo);
    // Six vertices of (x, y, u, v), rewritten for every character.
    glBufferData(GL_ARRAY_BUFFER, 6 * sizeof(glm::vec4), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(glm::vec4), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void TextRenderer::setToneMapped(bool on) {
    textShader.use();
    textShader.setUniformInt("toneMapped", on ? 1 : 0);
}

void TextRenderer::renderText(const std::string& text, float x, float y, float scale,
                              const glm::vec3& color) {
    textShader.use();
    glUniform3f(glGetUniformLocation(textShader.programId, "textColor"), color.x, color.y, color.z);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(quadVao);
    for (const char ch : text) {
        // A byte without a glyph gets an empty record: a zero-size quad that takes no space.
        const Glyph& glyph = glyphs[ch];
        const std::array<glm::vec4, 6> vertices = layoutGlyph(glyph, x, y, scale);
        glBindTexture(GL_TEXTURE_2D, glyph.textureId);
        glBindBuffer(GL_ARRAY_BUFFER, quadVbo);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(vertices), vertices.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDrawArrays(GL_TRIANGLES, 0, 6);
    }
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace effects
