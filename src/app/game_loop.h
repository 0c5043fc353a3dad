// One frame of the game, in its fixed order, with or without drawing.
#pragma once

#include <glm/glm.hpp>

#include "app/game.h"

namespace app {

// The objects that cast shadows, in the order the shadow pass draws them.
enum class Caster { Level, Brick, Lamp, Gem, Platform, Spikes, WallBrick };

// What a frame asks of the renderer. The logic runs the same without one (tests, benchmarks).
class FrameRenderer {
public:
    virtual ~FrameRenderer() = default;
    // Depth test on, black as the clear colour, viewport at the window size. The window itself is
    // cleared only by the pass that draws into it (the composite, or the end screen): nothing
    // is drawn there before.
    virtual void beginFrame(const Game& game) = 0;
    virtual void beginShadowPass() = 0;
    virtual void drawCaster(Caster caster, const glm::mat4& model) = 0;
    // Restores the default framebuffer and sets the window viewport.
    virtual void endShadowPass(const Game& game) = 0;
    // Everything drawn in a play frame: HDR scene, HUD, intro, water, statue, sky and bloom.
    virtual void drawPlayFrame(const Game& game) = 0;
    // The winner or game-over line alone on black.
    virtual void drawEndScreen(const Game& game) = 0;
};

// Runs one frame and leaves its sound cues in game.sound; `renderer` may be null.
void runFrame(Game& game, FrameRenderer* renderer);

}  // namespace app
