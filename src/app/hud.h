// Which HUD lines appear, where, how large and in which colour.
#pragma once

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "app/game.h"

namespace app {

struct TextLine {
    std::string text;
    // Baseline origin in window pixels from the lower-left corner.
    float x = 0.0f;
    float y = 0.0f;
    float scale = 1.0f;
    glm::vec3 color{1.0f};
};

// The score and the help lines, drawn before the scene objects of a play frame.
std::vector<TextLine> overlayLines(const GameRules& rules, const InputSwitches& input, int width,
                                   int height);

// The two intro lines under the speech bubble.
std::vector<TextLine> introLines(int width, int height);

// The single line of the winner or game-over screen; empty while playing.
std::vector<TextLine> endScreenLines(GameState state, int width, int height);

}  // namespace app
