// Every sound the game loads: three tunes composed here by rule from fixed seeds, and twelve
// synthesised effects.
#pragma once

#include <string>

namespace assetgen {

// Writes every listed sound under the run folder, whose folders must exist; with a webDir, also
// the browser's copy of each effect there (Ogg Vorbis under the effect's own name). Throws
// std::runtime_error on failure.
void MakeSounds(const std::string& runDir, const std::string& webDir);

}  // namespace assetgen
