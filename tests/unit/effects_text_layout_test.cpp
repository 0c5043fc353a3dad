// Where a character's quad lands and how far the pen moves, checked without a GL context.
#include <gtest/gtest.h>

#include "effects/text_renderer.h"

namespace {

using effects::Glyph;
using effects::layoutGlyph;

Glyph makeGlyph(glm::ivec2 size, glm::ivec2 bearing, GLuint advance) {
    Glyph glyph;
    glyph.textureId = 7;
    glyph.size = size;
    glyph.bearing = bearing;
    glyph.advance = advance;
    return glyph;
}

TEST(TextLayout, SpaceMovesThePenButCoversNoArea) {
    // A space: no bitmap, 13 whole pixels and 40/64 of advance.
    const Glyph space = makeGlyph({0, 0}, {0, 0}, 13 * 64 + 40);
    float x = 20.0f;
    const auto quad = layoutGlyph(space, x, 30.0f, 1.0f);
    for (const glm::vec4& vertex : quad) {
        EXPECT_FLOAT_EQ(vertex.x, 20.0f);
        EXPECT_FLOAT_EQ(vertex.y, 30.0f);
    }
    EXPECT_FLOAT_EQ(x, 20.0f + 13.0f);
}

TEST(TextLayout, UnknownByteTakesNoSpace) {
    // The empty record renderText adds for a byte without a glyph.
    const Glyph empty;
    float x = 55.5f;
    const auto quad = layoutGlyph(empty, x, 10.0f, 2.0f);
    EXPECT_FLOAT_EQ(x, 55.5f);
    for (const glm::vec4& vertex : quad) {
        EXPECT_FLOAT_EQ(vertex.x, 55.5f);
        EXPECT_FLOAT_EQ(vertex.y, 10.0f);
    }
}

TEST(TextLayout, QuadSitsOnTheBaselineWithTopRowAtVZero) {
    // 10 x 20 bitmap, 2 px right of the pen, top 15 px above the baseline (5 px below it).
    const Glyph glyph = makeGlyph({10, 20}, {2, 15}, 12 * 64);
    float x = 100.0f;
    const float y = 50.0f;
    const auto quad = layoutGlyph(glyph, x, y, 1.0f);
    const float left = 100.0f + 2.0f;
    const float right = left + 10.0f;
    const float bottom = y - 5.0f;
    const float top = bottom + 20.0f;
    const glm::vec4 expected[6] = {{left, top, 0, 0}, {left, bottom, 0, 1},  {right, bottom, 1, 1},
                                   {left, top, 0, 0}, {right, bottom, 1, 1}, {right, top, 1, 0}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(quad[static_cast<std::size_t>(i)].x, expected[i].x);
        EXPECT_FLOAT_EQ(quad[static_cast<std::size_t>(i)].y, expected[i].y);
        EXPECT_FLOAT_EQ(quad[static_cast<std::size_t>(i)].z, expected[i].z);
        EXPECT_FLOAT_EQ(quad[static_cast<std::size_t>(i)].w, expected[i].w);
    }
    EXPECT_FLOAT_EQ(x, 112.0f);
}

TEST(TextLayout, ScaleMultipliesBearingsSizesAndTheWholePixelAdvance) {
    const Glyph glyph = makeGlyph({9, 14}, {3, 11}, 10 * 64 + 63);
    const float scale = 0.75f;
    float xUnit = 0.0f;
    float xScaled = 0.0f;
    const auto unit = layoutGlyph(glyph, xUnit, 0.0f, 1.0f);
    const auto scaled = layoutGlyph(glyph, xScaled, 0.0f, scale);
    // With the pen at the origin every coordinate scales about it.
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(scaled[i].x, unit[i].x * scale);
        EXPECT_FLOAT_EQ(scaled[i].y, unit[i].y * scale);
        EXPECT_FLOAT_EQ(scaled[i].z, unit[i].z);
        EXPECT_FLOAT_EQ(scaled[i].w, unit[i].w);
    }
    // The 63/64 fraction is dropped before scaling, not after.
    EXPECT_FLOAT_EQ(xUnit, 10.0f);
    EXPECT_FLOAT_EQ(xScaled, 10.0f * scale);
}

TEST(TextLayout, PenPositionIsNeverRounded) {
    const Glyph glyph = makeGlyph({4, 4}, {1, 4}, 7 * 64);
    float x = 10.25f;
    const auto quad = layoutGlyph(glyph, x, 3.5f, 0.5f);
    EXPECT_FLOAT_EQ(quad[1].x, 10.25f + 0.5f);
    EXPECT_FLOAT_EQ(quad[1].y, 3.5f);
    EXPECT_FLOAT_EQ(x, 10.25f + 3.5f);
    // A string is the sum of its advances, fractions of the pen kept.
    layoutGlyph(glyph, x, 3.5f, 0.5f);
    EXPECT_FLOAT_EQ(x, 10.25f + 7.0f);
}

TEST(TextLayout, DescenderReachesBelowTheBaseline) {
    // A 'g'-like glyph: 30 rows, top 20 above the baseline, so 10 below it.
    const Glyph glyph = makeGlyph({12, 30}, {1, 20}, 14 * 64);
    float x = 0.0f;
    const auto quad = layoutGlyph(glyph, x, 100.0f, 2.0f);
    EXPECT_FLOAT_EQ(quad[1].y, 100.0f - 10.0f * 2.0f);
    EXPECT_FLOAT_EQ(quad[0].y, 100.0f + 20.0f * 2.0f);
}

}  // namespace
