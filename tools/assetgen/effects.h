// The twelve sound effects, synthesised: chimes, thuds and clicks from oscillators and filtered
// noise, voices from a glottal buzz through vowel formants, applause from many clappers.
#pragma once

#include <vector>

#include "game/assets.h"
#include "synth.h"

namespace assetgen {

struct Effect {
    SoundSlot Slot;
    Stereo Sound;  // mono effects have identical sides and are written as mono
    bool Mono;
};

std::vector<Effect> MakeEffects();

}  // namespace assetgen
