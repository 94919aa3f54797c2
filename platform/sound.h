// Sound on fixed channels: samples played, stopped, paused and turned up or down.
#pragma once

#include <cstdint>

#include "platform/platform.h"

void PlaySound(int32_t channel, SampleId sample);  // from its start, replacing the channel's sound
void StopSound(int32_t channel);
bool IsPlaying(int32_t channel);
void SetPaused(int32_t channel, bool paused);
void SetVolume(int32_t channel, int32_t volume);
int32_t GetVolume(int32_t channel);
void SetMasterVolume(int32_t volume);
int32_t GetMasterVolume();
