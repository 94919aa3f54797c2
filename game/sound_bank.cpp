#include "game/sound_bank.h"

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
