// The one list of what the level shows this frame, in drawing order, for every pass that draws it.
#pragma once

#include <glm/glm.hpp>
#include <vector>

#include "app/game.h"

namespace app {

// The nine models; a piece names which one is drawn.
enum class Piece { Level, Brick, Lamp, Gem, Platform, Spikes, WallBrick, Speech, Waves, Statue };

struct Placed {
    Piece piece = Piece::Level;
    glm::mat4 model{1.0f};
};

// Everything the play frame draws, in its order: the level, the two ledge bricks, the eight
// lamps, the gems not yet taken, the platform, the spikes, the loose wall's bricks where physics
// has them, the speech bubble while the intro lasts, the water and the statue. The sun's map
// takes the pieces that cast shadows, in the same order. `out` is refilled; its storage is kept,
// so a steady frame allocates nothing.
void sceneList(const Game& game, std::vector<Placed>& out);

// The level, bricks, lamps, gems and moving pieces cast the sun's shadows; the speech bubble,
// the water and the statue do not.
constexpr bool castsShadow(Piece piece) {
    return piece != Piece::Speech && piece != Piece::Waves && piece != Piece::Statue;
}

// True while the intro shows (the first three one-second ticks).
constexpr bool introShowing(const GameRules& rules) { return rules.secondsElapsed <= 2; }

}  // namespace app
