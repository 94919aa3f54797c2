#include "replay/recording_platform.h"

void RecordingPlatform::StartLog(const uint8_t keys[256], std::function<uint32_t()> stateDigest) {
    Writer = std::make_unique<QuestionLogWriter>(keys);
    StateDigest = std::move(stateDigest);
}

std::unique_ptr<QuestionLogWriter> RecordingPlatform::StopLog() {
    StateDigest = nullptr;
    return std::move(Writer);
}

void RecordingPlatform::EndFrame() {
    Inner.EndFrame();
    if (Writer) Writer->Frame([this] { return StateDigest ? StateDigest() : 0u; });
}

bool RecordingPlatform::WindowCloseRequested() {
    const bool answer = Inner.WindowCloseRequested();
    if (Writer) Writer->WindowClosed(answer);
    return answer;
}

bool RecordingPlatform::FocusLost() {
    const bool answer = Inner.FocusLost();
    if (Writer) Writer->FocusLost(answer);
    return answer;
}

void RecordingPlatform::PollKeyboard(uint8_t state[256]) {
    Inner.PollKeyboard(state);
    if (Writer) Writer->Keys(state);
}

void RecordingPlatform::PlaySound(int32_t channel, SampleId sample) {
    if (Writer) command_digest::Play(Writer->Commands(), channel, sample);
    Inner.PlaySound(channel, sample);
}

void RecordingPlatform::StopSound(int32_t channel) {
    if (Writer) command_digest::Stop(Writer->Commands(), channel);
    Inner.StopSound(channel);
}

bool RecordingPlatform::IsPlaying(int32_t channel) {
    const bool answer = Inner.IsPlaying(channel);
    if (Writer) Writer->Playing(channel, answer);
    return answer;
}

void RecordingPlatform::SetPaused(int32_t channel, bool paused) {
    if (Writer) command_digest::Pause(Writer->Commands(), channel, paused);
    Inner.SetPaused(channel, paused);
}

void RecordingPlatform::SetVolume(int32_t channel, int32_t volume) {
    if (Writer) command_digest::Volume(Writer->Commands(), channel, volume);
    Inner.SetVolume(channel, volume);
}

int32_t RecordingPlatform::GetVolume(int32_t channel) {
    const int32_t answer = Inner.GetVolume(channel);
    if (Writer) Writer->Volume(channel, answer);
    return answer;
}

void RecordingPlatform::SetMasterVolume(int32_t volume) {
    if (Writer) command_digest::MasterVolume(Writer->Commands(), volume);
    Inner.SetMasterVolume(volume);
}

int32_t RecordingPlatform::GetMasterVolume() {
    const int32_t answer = Inner.GetMasterVolume();
    if (Writer) Writer->MasterVolume(answer);
    return answer;
}

int64_t RecordingPlatform::Clock() {
    const int64_t answer = Inner.Clock();
    if (Writer) Writer->Clock(answer);
    return answer;
}

int64_t RecordingPlatform::Time() {
    const int64_t answer = Inner.Time();
    if (Writer) Writer->Time(answer);
    return answer;
}

void RecordingPlatform::Sleep(int32_t milliseconds) {
    if (Writer) command_digest::Sleep(Writer->Commands(), milliseconds);
    Inner.Sleep(milliseconds);
}
