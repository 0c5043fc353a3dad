// One frame of the game, in its fixed order, with or without drawing.
#pragma once

#include "app/game.h"

namespace app {

// What a frame asks of the renderer. The logic runs the same without one (tests, benchmarks).
class FrameRenderer {
public:
    virtual ~FrameRenderer() = default;
    // Depth test on, black as the clear colour, viewport at the window size. The window itself is
    // cleared only by the pass that draws into it (the composite, or the end screen): nothing
    // is drawn there before.
    virtual void beginFrame(const Game& game) = 0;
    // The sun's map of the scene's casters where physics has them now; ends with the default
    // framebuffer bound and the window viewport.
    virtual void drawShadowPass(const Game& game) = 0;
    // Everything drawn in a play frame: HDR scene, HUD, intro, water, statue, sky and bloom.
    virtual void drawPlayFrame(const Game& game) = 0;
    // The winner or game-over line alone on black.
    virtual void drawEndScreen(const Game& game) = 0;
};

// Runs one frame and leaves its sound cues in game.sound; `renderer` may be null.
void runFrame(Game& game, FrameRenderer* renderer);

}  // namespace app
