#include "platform/sound.h"

const char* const SoundFiles[SoundSlotCount] = {
    "sfx\\bgm.mp3",        "sfx\\bgm2.mp3",       "sfx\\bgm3.mp3",    "sfx\\line.wav",
    "sfx\\drop.wav",       "sfx\\boo.wav",        "sfx\\groan.wav",   "sfx\\groan2.wav",
    "sfx\\oh.wav",         "sfx\\cheer1.wav",     "sfx\\applause1.wav", "sfx\\applause2.wav",
    "sfx\\rotate.wav",     "sfx\\explode.wav",    "sfx\\explode2.wav",
};

SampleId SoundBank[SoundSlotCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

void LoadSoundBank() {
    Platform& platform = CurrentPlatform();
    platform.OpenSound();
    for (int32_t slot = 0; slot < SoundSlotCount; ++slot) {
        SoundBank[slot] = platform.LoadSample(SoundFiles[slot]);
    }
    platform.SetVolume(ChannelTitleMusic, 200);
    platform.SetVolume(ChannelGameMusic, 200);
}

void PlaySound(int32_t channel, SampleId sample) { CurrentPlatform().PlaySound(channel, sample); }
void StopSound(int32_t channel) { CurrentPlatform().StopSound(channel); }
bool IsPlaying(int32_t channel) { return CurrentPlatform().IsPlaying(channel); }
void SetPaused(int32_t channel, bool paused) { CurrentPlatform().SetPaused(channel, paused); }
void SetVolume(int32_t channel, int32_t volume) { CurrentPlatform().SetVolume(channel, volume); }
int32_t GetVolume(int32_t channel) { return CurrentPlatform().GetVolume(channel); }
void SetMasterVolume(int32_t volume) { CurrentPlatform().SetMasterVolume(volume); }
int32_t GetMasterVolume() { return CurrentPlatform().GetMasterVolume(); }
