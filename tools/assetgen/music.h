// The three tunes: composed by rule from fixed seeds (chord progressions, a melody built from
// motifs with chord tones on strong beats and mostly stepwise motion), then played by the
// synthesiser with pad, bass, arpeggio, lead and drums.
#pragma once

#include <string>

#include "synth.h"

namespace assetgen {

enum class Tune { Title, GameFirst, GameLoop };

// Renders one tune, levelled for the game, 44.1 kHz stereo.
Stereo ComposeTune(Tune tune);

}  // namespace assetgen
