#include "replay/recording_platform.h"

void RecordingPlatform::StartLog(const uint8_t keys[256], std::function<uint32_t()> stateDigest) {
    Writer = std::make_unique<QuestionLogWriter>(keys);
    StateDigest = std::move(stateDigest);
}

std::unique_ptr<QuestionLogWriter> RecordingPlatform::StopLog() {
    StateDigest = nullptr;
    return std::move(Writer);
}

template <typename T>
T RecordingPlatform::Logged(Question question, int32_t channel, T answer) {
    if (Writer) Writer->Answer(question, channel, answer);
    return answer;
}

void RecordingPlatform::Fold(Command command, std::initializer_list<int32_t> numbers) {
    if (Writer) FoldCommand(Writer->Commands(), command, numbers);
}

// --- Questions: every answer the game reads is logged ---------------------------------------

void RecordingPlatform::EndFrame() {
    Inner.EndFrame();
    if (Writer) Writer->Frame([this] { return StateDigest ? StateDigest() : 0u; });
}

void RecordingPlatform::PollKeyboard(uint8_t state[256]) {
    Inner.PollKeyboard(state);
    if (Writer) Writer->Keys(state);
}

bool RecordingPlatform::WindowCloseRequested() {
    return Logged(Question::WindowClosed, 0, Inner.WindowCloseRequested());
}

bool RecordingPlatform::FocusLost() {
    return Logged(Question::FocusLost, 0, Inner.FocusLost());
}

bool RecordingPlatform::IsPlaying(int32_t channel) {
    return Logged(Question::Playing, channel, Inner.IsPlaying(channel));
}

int32_t RecordingPlatform::GetVolume(int32_t channel) {
    return Logged(Question::Volume, channel, Inner.GetVolume(channel));
}

int32_t RecordingPlatform::GetMasterVolume() {
    return Logged(Question::MasterVolume, 0, Inner.GetMasterVolume());
}

int64_t RecordingPlatform::Clock() {
    return Logged(Question::Clock, 0, Inner.Clock());
}

int64_t RecordingPlatform::Time() {
    return Logged(Question::Time, 0, Inner.Time());
}
