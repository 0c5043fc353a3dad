// The game's sounds, synthesised: short mono 16-bit WAV files at 22050 samples a second.
#pragma once

#include <string>

namespace assetgen {

// Writes every sound the game plays into `folder`, under the names the game loads them by.
bool writeSounds(const std::string& folder);

}  // namespace assetgen
