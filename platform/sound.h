// The sound bank: 15 samples loaded whole at start-up, played on fixed channels.
#pragma once

#include <cstdint>

#include "platform/platform.h"

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

void LoadSoundBank();

void PlaySound(int32_t channel, SampleId sample);  // from its start, replacing the channel's sound
void StopSound(int32_t channel);
bool IsPlaying(int32_t channel);
void SetPaused(int32_t channel, bool paused);
void SetVolume(int32_t channel, int32_t volume);
int32_t GetVolume(int32_t channel);
void SetMasterVolume(int32_t volume);
int32_t GetMasterVolume();
