// The directional light's shadow map: its depth target, light-space matrix and the depth pass,
// which redraws only what changed since the map was last drawn.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <utility>
#include <vector>

#include "render/model.h"
#include "render/shader.h"

namespace effects {

struct ShadowTarget {
    GLuint framebuffer = 0;
    GLuint depthMap = 0;
};

// Texels per side of the shadow map: 10048, not a power of two.
constexpr int kShadowSize = 10048;
// World position of the light; it looks at the origin with +y up.
constexpr glm::vec3 kLightPos{0.0f, 70.0f, 20.0f};
// Depth range of the light in units from it. The light stands 72.8 units from the origin, so a
// far plane at 70 would clip the middle of the level (the brick ledges, the water, the platform)
// out of the map and leave it without sun shadows; 120 reaches past the whole footprint's floor.
constexpr float kShadowNear = 1.0f;
constexpr float kShadowFar = 120.0f;
// The world box the sun's map covers: the walled arena and entrance court (the level's outer
// walls), from the floor to above the 22-unit arena walls, so every lamp and ledge casts too.
// Anything outside it reads the map's border and is never shadowed.
constexpr glm::vec3 kSunCoverMin{-33.5f, 0.0f, -29.5f};
constexpr glm::vec3 kSunCoverMax{23.0f, 24.0f, 55.0f};
// Room left between that box and the map's edges in the light's view, in world units.
constexpr float kSunCoverMargin = 1.0f;
// Map texels per world unit in the light's view, as a 100-unit footprint gives them. The box sits
// in the map's lower-left corner at this density: stretched over the whole map, the casters
// would cost the software renderer nearly twice the depth writes at every redraw.
constexpr float kShadowTexelsPerUnit = 100.48f;
// Texture unit of the shadow map in the lit program. Meshes bind their own maps to units 0, 1,
// ... in order (the specular map lands on unit 1), so the shadow map sits on a unit no mesh
// reaches; on unit 1 every lit draw would compare depths against its own specular map.
constexpr int kShadowMapUnit = 15;

// Makes the depth texture and its depth-only framebuffer; leaves framebuffer 0 bound.
// No completeness check is made for this target.
ShadowTarget createShadowTarget();

// Orthographic light projection (the sun's box, with its margin, in the map's lower-left corner at
// kShadowTexelsPerUnit; depth kShadowNear to kShadowFar from the light) times the light's look-at
// view.
glm::mat4 computeLightSpaceMatrix();

// Ends the depth pass: back-face culling, no offset, the window's framebuffer bound and given its
// viewport of width x height pixels (not cleared: the frame clears it where it draws into it).
void endShadowPass(int width, int height);

// A rectangle of shadow-map texels, x0 <= x < x1 and y0 <= y < y1; empty when either range is.
struct TexelRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    bool overlaps(const TexelRect& other) const {
        return x0 < other.x1 && other.x0 < x1 && y0 < other.y1 && other.y0 < y1;
    }
};

// The map's texels that a box (model space, placed by `model`) can write, with a texel to spare
// on each side for the rasteriser's rounding, clipped to the map. Empty for a box off the map or
// a matrix that is not finite.
TexelRect boxTexels(const glm::mat4& lightSpaceMatrix, const glm::mat4& model, const glm::vec3& low,
                    const glm::vec3& high);

// One caster of the depth pass: its model and where it stands.
struct ShadowCaster {
    const render::Model* model = nullptr;
    glm::mat4 matrix{1.0f};
};

// The sun's map kept from frame to frame. The light never moves and most casters stand still, so
// a frame clears and redraws only the texels of the casters that appeared, went or moved since
// the map was last drawn, each rectangle with every caster that reaches it: the same map, bit for
// bit, as every caster drawn into a cleared one, for a small part of the depth writes.
class ShadowMap {
public:
    // Made at start-up (createShadowTarget); lives for the whole run.
    ShadowTarget target;

    // The depth pass of a frame, `casters` in their drawing order. Everything is redrawn when
    // `redrawAll` is set, on the first call, after invalidate(), and when the light's matrix, the
    // face culling or the polygon mode differ from the last call's. Leaves the target bound with
    // the polygon offset and front-face culling on; endShadowPass follows.
    void draw(const render::Shader& depthShader, const glm::mat4& lightSpaceMatrix,
              const std::vector<ShadowCaster>& casters, bool redrawAll);
    // Someone else drew into the target: the next draw starts from a cleared map.
    void invalidate() { drawnOnce_ = false; }

private:
    struct RasterState {
        bool culling = true;
        GLint polygonMode = GL_FILL;
        bool operator==(const RasterState&) const = default;
    };
    TexelRect texelsOf(const glm::mat4& lightSpaceMatrix, const ShadowCaster& caster);
    // Fills changed_ with the merged rectangles of the casters that appeared, went or moved.
    void findChangedTexels(const std::vector<ShadowCaster>& casters);

    bool drawnOnce_ = false;
    glm::mat4 drawnLightSpace_{1.0f};
    RasterState drawnState_;
    // What the map holds: the casters last drawn and their rectangles. With this frame's
    // rectangles and the changed ones, kept between frames so that a steady frame allocates
    // nothing.
    std::vector<ShadowCaster> drawn_;
    std::vector<TexelRect> drawnRects_;
    std::vector<TexelRect> rects_;
    std::vector<TexelRect> changed_;
    std::vector<bool> kept_;
    // Model-space boxes of the models seen so far (a handful).
    std::vector<std::pair<const render::Model*, std::pair<glm::vec3, glm::vec3>>> bounds_;
};

// Once at start-up: the lit program reads the shadow map from kShadowMapUnit.
void setShadowMapUnit(const render::Shader& sceneShader);

// Inside the lit pass, with sceneShader current: sets "lightSpaceMatrix" and "lightPos" and binds
// the shadow map on kShadowMapUnit, which stays the active unit.
void bindShadowMapForScene(const render::Shader& sceneShader, const glm::mat4& lightSpaceMatrix,
                           const ShadowTarget& target);

}  // namespace effects
