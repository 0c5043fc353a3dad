// The frame: physics step, shadow casters with the moving pieces, the play frame, the rules.
#include "app/game_loop.h"

#include "app/game_rules.h"
#include "app/input.h"
#include "app/level_layout.h"
#include "app/sound_cues.h"

namespace app {

namespace {

// The shadow list. The platform update and the one-second tick run at their places in it, in
// every game state, whether or not anything is drawn.
void shadowList(Game& game, FrameRenderer* r) {
    if (r) {
        r->beginShadowPass();
        r->drawCaster(Caster::Level, glm::mat4(1.0f));
        r->drawCaster(Caster::Brick, layout::brickMatrix(0));
        r->drawCaster(Caster::Brick, layout::brickMatrix(1));
        for (int lamp = 0; lamp < 8; ++lamp) r->drawCaster(Caster::Lamp, layout::lampMatrix(lamp));
        for (int gem = 0; gem < 3; ++gem) {
            if (game.rules.gemVisible[static_cast<size_t>(gem)]) {
                r->drawCaster(Caster::Gem, layout::gemMatrix(gem));
            }
        }
    }
    updatePlatform(game);
    if (r && game.actors.platform) {
        r->drawCaster(Caster::Platform,
                      layout::platformMatrix(game.world.actorPosition(game.actors.platform)));
    }
    tickSecond(game);
    if (r) {
        if (game.actors.spikes) {
            r->drawCaster(Caster::Spikes,
                          layout::spikesMatrix(game.world.actorPosition(game.actors.spikes)));
        }
        for (physics::Actor* brick : game.actors.wallBricks) {
            r->drawCaster(Caster::WallBrick,
                          layout::wallBrickMatrix(game.world.actorPosition(brick)));
        }
        r->endShadowPass(game);
    }
}

}  // namespace

void runFrame(Game& game, FrameRenderer* r) {
    if (r) r->beginFrame(game);
    game.elapsedMs = game.clock.monotonicMs() - game.startMs;
    game.world.step();
    shadowList(game, r);

    if (game.rules.gameState == GameState::Playing) {
        updatePlayer(game);
        updateTiming(game);
        processInput(game);
        pollEvents(game);
        if (r) r->drawPlayFrame(game);
        updateIntro(game);
        handleTriggers(game);
        spikesTest(game);
    }

    endOfGame(game);
    if (game.rules.gameState != GameState::Playing) {
        pollEvents(game);
        if (r) r->drawEndScreen(game);
    }
    updateSoundCues(game);
}

}  // namespace app
