#include "replay/playback_platform.h"

#include <algorithm>
#include <cinttypes>
#include <thread>

#include "platform/keyboard.h"

namespace {

// The viewer's keys are looked at this often while the game's own loops run.
constexpr auto LookInterval = std::chrono::milliseconds(8);
// A wait longer than this in the recording (a long pause, a stalled machine) is cut short.
constexpr int64_t LongestWait = 3000;
// Falling further behind than this does not make the playback rush to catch up.
constexpr int64_t LargestLag = 250;

std::string Describe(Question kind, int32_t channel) {
    std::string text = KindOf(kind).Name;
    if (KindOf(kind).PerChannel) text += " (channel " + std::to_string(channel) + ")";
    return text;
}

}  // namespace

PlaybackPlatform::PlaybackPlatform(Platform& inner, QuestionLogReader& log, Mode mode)
    : ForwardingPlatform(inner), Log(log), Kind(mode) {}

void PlaybackPlatform::Depart(int64_t frame, const std::string& what) {
    throw ReplayDeparture{frame, what};
}

LoggedQuestion PlaybackPlatform::Ask(Question kind, int32_t channel) {
    LoggedQuestion logged;
    if (!Log.Next(logged)) {
        if (!Log.Error().empty()) throw ReplayDamaged{Log.Error()};
        Depart(Frames + 1,
               "the game asks " + Describe(kind, channel) + " after the recording has ended");
    }
    if (logged.Kind != kind || (KindOf(kind).PerChannel && logged.Channel != channel)) {
        Depart(Frames + 1, "the game asks " + Describe(kind, channel) +
                               " where the recording has " + Describe(logged.Kind, logged.Channel));
    }
    return logged;
}

void PlaybackPlatform::ExpectEnd() {
    LoggedQuestion logged;
    if (Log.Next(logged)) {
        Depart(Frames + 1, "the game has ended, but the recording goes on with " +
                               Describe(logged.Kind, logged.Channel));
    }
    if (!Log.Error().empty()) throw ReplayDamaged{Log.Error()};
}

// --- Frames --------------------------------------------------------------------------------

void PlaybackPlatform::BeginFrame() {
    FrameDraws.clear();
    Inner.BeginFrame();
}

void PlaybackPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                                   int32_t height, uint32_t colour) {
    if (Kind == Mode::Check) return;
    if (!InOverlay) FrameDraws.push_back({texture, x, y, width, height, colour});
    Inner.DrawTexture(texture, x, y, width, height, colour);
}

void PlaybackPlatform::EndFrame() {
    if (Kind == Mode::Window) {
        if (DrawOverlay) {
            InOverlay = true;
            DrawOverlay(false);
            InOverlay = false;
        }
        Inner.EndFrame();
        LastDraws.swap(FrameDraws);
    }
    const LoggedQuestion logged = Ask(Question::Frame);
    ++Frames;
    if (logged.Checkpoint >= 0) {
        const uint8_t mine = Log.CheckpointOf(StateDigest ? StateDigest() : 0u);
        if (mine != logged.Checkpoint) {
            Depart(Frames,
                   "the game's state or its sounds differ from the recording's by the end of this "
                   "frame");
        }
    }
    if (Kind == Mode::Window) WatchViewer(true);
}

void PlaybackPlatform::ShowLastFrame(bool paused) {
    Inner.BeginFrame();
    for (const Draw& draw : LastDraws) {
        Inner.DrawTexture(draw.Texture, draw.X, draw.Y, draw.Width, draw.Height, draw.Colour);
    }
    if (DrawOverlay) {
        InOverlay = true;
        DrawOverlay(paused);
        InOverlay = false;
    }
    Inner.EndFrame();
}

// --- The viewer's own keys (window mode) ---------------------------------------------------

void PlaybackPlatform::WatchViewer(bool now) {
    if (Kind != Mode::Window) return;
    const Steady::time_point at = Steady::now();
    if (!now && at - LastLook < LookInterval) return;
    LastLook = at;
    Inner.PollKeyboard(ViewerKeys);
    if (Inner.WindowCloseRequested() || ViewerKeys[DIK_ESCAPE]) throw ReplayStopped{};
    if (ViewerKeys[DIK_RETURN]) HoldPlayback();
}

void PlaybackPlatform::HoldPlayback() {
    const Steady::time_point start = Steady::now();
    const auto waitFor = [&](bool down) {
        for (;;) {
            Inner.PollKeyboard(ViewerKeys);
            if (Inner.WindowCloseRequested() || ViewerKeys[DIK_ESCAPE]) throw ReplayStopped{};
            if ((ViewerKeys[DIK_RETURN] != 0) == down) return;
            Inner.Sleep(10);
        }
    };
    waitFor(false);
    for (int32_t channel = 0; channel < 32; ++channel) {
        if (!GamePaused[channel]) Inner.SetPaused(channel, true);
    }
    ShowLastFrame(true);
    waitFor(true);
    waitFor(false);
    for (int32_t channel = 0; channel < 32; ++channel) {
        if (!GamePaused[channel]) Inner.SetPaused(channel, false);
    }
    ShowLastFrame(false);
    // The held time is not the game's: the pace starts again from here.
    PaceReal += Steady::now() - start;
}

void PlaybackPlatform::Pace(int64_t recordedClock) {
    if (Kind != Mode::Window) return;
    const Steady::time_point now = Steady::now();
    if (!Paced) {
        Paced = true;
        PaceReal = now;
        PaceRecorded = recordedClock;
        return;
    }
    const auto due = [&] {
        return PaceReal + std::chrono::milliseconds(recordedClock - PaceRecorded);
    };
    const int64_t ahead =
        std::chrono::duration_cast<std::chrono::milliseconds>(due() - now).count();
    if (ahead > LongestWait) PaceReal -= std::chrono::milliseconds(ahead - LongestWait);
    if (ahead < -LargestLag) PaceReal += std::chrono::milliseconds(-LargestLag - ahead);
    for (;;) {
        const int64_t left =
            std::chrono::duration_cast<std::chrono::milliseconds>(due() - Steady::now()).count();
        if (left <= 0) return;
        Inner.Sleep(static_cast<int32_t>(std::min<int64_t>(left, 10)));
        WatchViewer(false);
    }
}

// --- Questions -----------------------------------------------------------------------------

void PlaybackPlatform::TakeWindowMessage() {
    if (Kind == Mode::Window) WatchViewer(false);
}

bool PlaybackPlatform::WindowCloseRequested() {
    return Ask(Question::WindowClosed).Answer != 0;
}

// The focus the player had then, not the viewer's now.
bool PlaybackPlatform::FocusLost() {
    return Ask(Question::FocusLost).Answer != 0;
}

void PlaybackPlatform::PollKeyboard(uint8_t state[256]) {
    Ask(Question::Keys);
    std::copy(Log.Keys(), Log.Keys() + 256, state);
    WatchViewer(false);
}

bool PlaybackPlatform::IsPlaying(int32_t channel) {
    return Ask(Question::Playing, channel).Answer != 0;
}

int32_t PlaybackPlatform::GetVolume(int32_t channel) {
    return static_cast<int32_t>(Ask(Question::Volume, channel).Answer);
}

int32_t PlaybackPlatform::GetMasterVolume() {
    return static_cast<int32_t>(Ask(Question::MasterVolume).Answer);
}

int64_t PlaybackPlatform::Clock() {
    const int64_t answer = Ask(Question::Clock).Answer;
    Pace(answer);
    return answer;
}

int64_t PlaybackPlatform::Time() {
    return Ask(Question::Time).Answer;
}

// --- Commands ------------------------------------------------------------------------------

void PlaybackPlatform::PlaySound(int32_t channel, SampleId sample) {
    FoldCommand(Log.Commands(), Command::Play, {channel, sample});
    SampleId real = sample;
    if (!SampleMap.empty()) {
        real = -1;
        for (const auto& [recorded, loaded] : SampleMap) {
            if (recorded == sample) {
                real = loaded;
                break;
            }
        }
    }
    if (channel >= 0 && channel < 32) GamePaused[channel] = false;
    Inner.PlaySound(channel, real);
}

void PlaybackPlatform::StopSound(int32_t channel) {
    FoldCommand(Log.Commands(), Command::Stop, {channel});
    Inner.StopSound(channel);
}

void PlaybackPlatform::SetPaused(int32_t channel, bool paused) {
    FoldCommand(Log.Commands(), paused ? Command::Hold : Command::Resume, {channel});
    if (channel >= 0 && channel < 32) GamePaused[channel] = paused;
    Inner.SetPaused(channel, paused);
}

void PlaybackPlatform::SetVolume(int32_t channel, int32_t volume) {
    FoldCommand(Log.Commands(), Command::Volume, {channel, volume});
    Inner.SetVolume(channel, volume);
}

void PlaybackPlatform::SetMasterVolume(int32_t volume) {
    FoldCommand(Log.Commands(), Command::MasterVolume, {volume});
    Inner.SetMasterVolume(volume);
}

void PlaybackPlatform::SetKeyMode(KeyMode mode) {
    // Folded only: the recorded keys are the game's, and the viewer's keys stay the menus'.
    FoldCommand(Log.Commands(), Command::KeyMode, {static_cast<int32_t>(mode)});
}

void PlaybackPlatform::Sleep(int32_t milliseconds) {
    FoldCommand(Log.Commands(), Command::Sleep, {milliseconds});
    Inner.Sleep(milliseconds);
}
