// Builds the frame's list of placed models from the layout and the physics bodies.
#include "app/scene_list.h"

#include "app/level_layout.h"

namespace app {

void sceneList(const Game& game, std::vector<Placed>& out) {
    out.clear();
    out.push_back({Piece::Level, glm::mat4(1.0f)});
    for (int brick = 0; brick < 2; ++brick) out.push_back({Piece::Brick, layout::brickMatrix(brick)});
    for (int lamp = 0; lamp < 8; ++lamp) out.push_back({Piece::Lamp, layout::lampMatrix(lamp)});
    for (int gem = 0; gem < 3; ++gem) {
        if (game.rules.gemVisible[static_cast<size_t>(gem)]) {
            out.push_back({Piece::Gem, layout::gemMatrix(gem)});
        }
    }
    if (game.actors.platform) {
        out.push_back({Piece::Platform,
                       layout::platformMatrix(game.world.actorPosition(game.actors.platform))});
    }
    if (game.actors.spikes) {
        out.push_back(
            {Piece::Spikes, layout::spikesMatrix(game.world.actorPosition(game.actors.spikes))});
    }
    for (const physics::Actor* brick : game.actors.wallBricks) {
        out.push_back({Piece::WallBrick, layout::wallBrickMatrix(game.world.actorPosition(brick))});
    }
    if (introShowing(game.rules)) out.push_back({Piece::Speech, layout::speechMatrix()});
    out.push_back({Piece::Waves, layout::wavesMatrix()});
    out.push_back({Piece::Statue, layout::statueMatrix()});
}

}  // namespace app
