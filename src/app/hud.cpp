// HUD positions: integer divisions of the window size are truncated before any multiplication.
#include "app/hud.h"

namespace app {

namespace {
const glm::vec3 kRed{1.0f, 0.0f, 0.0f};
const glm::vec3 kWhite{1.0f, 1.0f, 1.0f};
}  // namespace

std::vector<TextLine> overlayLines(const GameRules& rules, const InputSwitches& input, int width,
                                   int height) {
    std::vector<TextLine> lines;
    if (rules.gameState != GameState::Playing) return lines;
    if (input.showScore) {
        lines.push_back({std::to_string(rules.gemsCollected), 25.0f, 25.0f, 0.8f, kRed});
    }
    if (input.showMenu) {
        const float x = static_cast<float>(width / 40);
        const int row = height / 20;
        // The crouch line has a row of its own under the flashlight line; the lines after it
        // moved down one row each.
        const struct {
            const char* text;
            int rowIndex;
        } help[] = {
            {"Menu: M", 19},
            {"Move: (forward)W, (left)A, (back)S, (right)D", 18},
            {"Flashlight: F", 17},
            {"Crouch: left Ctrl", 16},
            {"Cheat: left ALT", 15},
            {"Score: Q", 14},
            {"Brightness: + and -", 13},
            {"Bloom: B, Cell shading: C", 12},
        };
        for (const auto& line : help) {
            lines.push_back({line.text, x, static_cast<float>(row * line.rowIndex), 0.8f, kRed});
        }
    }
    return lines;
}

std::vector<TextLine> introLines(int width, int height) {
    const float x = static_cast<float>(static_cast<double>(width / 2) * 1.13);
    return {
        {"Collect the gems", x, static_cast<float>(static_cast<double>(height / 2) * 1.9), 0.5f,
         kWhite},
        {"or die trying!", x, static_cast<float>(static_cast<double>(height / 2) * 1.8), 0.5f,
         kWhite},
    };
}

std::vector<TextLine> endScreenLines(GameState state, int width, int height) {
    const float x = static_cast<float>(width / 2 - 90);
    const float y = static_cast<float>(height / 2);
    if (state == GameState::Won) return {{"You are the WINNER!!", x, y, 0.8f, kRed}};
    if (state == GameState::Lost) return {{"GAME OVER", x, y, 0.8f, kRed}};
    return {};
}

}  // namespace app
