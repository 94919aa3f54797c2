// The game's sound bank: its 15 samples, loaded whole at start-up, and the channel each kind of
// sound plays on.
#pragma once

#include <cstdint>

#include "platform/sound.h"

// Slots of the sound bank.
enum SoundSlot : int32_t {
    SoundGameMusic = 0,      // "sfx\bgm.mp3"
    SoundGameMusicLoop = 1,  // "sfx\bgm2.mp3"
    SoundTitleMusic = 2,     // "sfx\bgm3.mp3"
    SoundLine = 3,
    SoundDrop = 4,
    SoundBoo = 5,
    SoundGroan = 6,
    SoundGroan2 = 7,
    SoundOh = 8,
    SoundCheer = 9,
    SoundApplause1 = 10,
    SoundApplause2 = 11,
    SoundRotate = 12,
    SoundExplode = 13,
    SoundExplode2 = 14,
    SoundSlotCount = 15,
};

// The fixed channels of the channel plan.
enum SoundChannel : int32_t {
    ChannelTitleMusic = 0,
    ChannelGameMusic = 1,  // also the menus' move and switch sounds
    ChannelPiece = 2,      // rotate and lock
    ChannelVoice = 3,      // voices, cheers, explosions
    ChannelLine = 4,       // one per full row
};

extern const char* const SoundFiles[SoundSlotCount];
extern SampleId SoundBank[SoundSlotCount];

// Lets the platform start reading the 15 sound files while the loading screen fades in.
void PrepareSoundBank();
// Opens the sound device, loads the 15 samples and sets the music channels' volumes.
void LoadSoundBank();
