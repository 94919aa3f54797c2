// The game's sound bank: its 15 samples, loaded whole at start-up, and the channel each kind of
// sound plays on. The bank itself (SoundBank) is declared with the other records in game/state.h.
#pragma once

#include <cstdint>

#include "game/assets.h"
#include "game/state.h"
#include "platform/sound.h"

// The fixed channels of the channel plan.
enum SoundChannel : int32_t {
    ChannelTitleMusic = 0,
    ChannelGameMusic = 1,  // also the menus' move and switch sounds
    ChannelPiece = 2,      // rotate and lock
    ChannelVoice = 3,      // voices, cheers, explosions
    ChannelLine = 4,       // one per full row
};

// Lets the platform start reading the 15 sound files while the loading screen fades in.
void PrepareSoundBank();
// Opens the sound device, loads the 15 samples and sets the music channels' volumes.
void LoadSoundBank();
