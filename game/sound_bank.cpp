#include "game/sound_bank.h"

const char* const SoundFiles[SoundSlotCount] = {
    "sfx\\bgm.mp3",    "sfx\\bgm2.mp3",    "sfx\\bgm3.mp3",      "sfx\\line.wav",
    "sfx\\drop.wav",   "sfx\\boo.wav",     "sfx\\groan.wav",     "sfx\\groan2.wav",
    "sfx\\oh.wav",     "sfx\\cheer1.wav",  "sfx\\applause1.wav", "sfx\\applause2.wav",
    "sfx\\rotate.wav", "sfx\\explode.wav", "sfx\\explode2.wav",
};

SampleId SoundBank[SoundSlotCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

void PrepareSoundBank() {
    for (const char* file : SoundFiles) CurrentPlatform().PrepareSample(file);
}

void LoadSoundBank() {
    Platform& platform = CurrentPlatform();
    platform.OpenSound();
    for (int32_t slot = 0; slot < SoundSlotCount; ++slot) {
        SoundBank[slot] = platform.LoadSample(SoundFiles[slot]);
        ThrowIfWindowClosed();
    }
    platform.SetVolume(ChannelTitleMusic, 200);
    platform.SetVolume(ChannelGameMusic, 200);
}
