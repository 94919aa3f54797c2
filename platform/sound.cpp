#include "platform/sound.h"

void PlaySound(int32_t channel, SampleId sample) {
    CurrentPlatform().PlaySound(channel, sample);
}
void StopSound(int32_t channel) {
    CurrentPlatform().StopSound(channel);
}
bool IsPlaying(int32_t channel) {
    return CurrentPlatform().IsPlaying(channel);
}
void SetPaused(int32_t channel, bool paused) {
    CurrentPlatform().SetPaused(channel, paused);
}
void SetVolume(int32_t channel, int32_t volume) {
    CurrentPlatform().SetVolume(channel, volume);
}
int32_t GetVolume(int32_t channel) {
    return CurrentPlatform().GetVolume(channel);
}
void SetMasterVolume(int32_t volume) {
    CurrentPlatform().SetMasterVolume(volume);
}
int32_t GetMasterVolume() {
    return CurrentPlatform().GetMasterVolume();
}
