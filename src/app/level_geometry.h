// Where the models live and how the three cooked ones become collision lists.
#pragma once

#include <string>

#include "app/game.h"
#include "render/model.h"

namespace app {

// Model paths below the asset folder ("../assets/" from the game's working directory).
inline constexpr const char* kLevelModel = "objects/level/lvl3_1.obj";
inline constexpr const char* kPlatformModel = "objects/plattform/plattformOrigin.obj";
inline constexpr const char* kBrickModel = "objects/brick/brickOrigin.obj";
inline constexpr const char* kLampModel = "objects/lamp/bos.obj";
inline constexpr const char* kSpikesModel = "objects/spikes/spikes.obj";
inline constexpr const char* kGemModel = "objects/diamond/diamant.obj";
inline constexpr const char* kStatueModel = "objects/statue/statue.obj";
inline constexpr const char* kWavesModel = "objects/waves/waves.obj";
inline constexpr const char* kSpeechModel = "objects/speech/speech.obj";
inline constexpr const char* kAssetDir = "../assets/";

// The collision lists of a loaded model, named by its path for messages.
MeshLists meshListsOf(const render::Model& model, const std::string& path);

// The level, brick and platform geometry read without GL (for tools and tests): assetDir is the
// asset folder with its trailing slash.
LevelGeometry loadLevelGeometry(const std::string& assetDir = kAssetDir);

}  // namespace app
