// The platform a recorded game is played back on: every question the game asks is answered
// from the log, and the game must ask exactly what it asked when it was recorded; its sounds and
// sleeps must come in the same order, and its state must match at every checkpoint. Pictures
// and sounds go on to the inner platform: the real one for watching in the window, a silent
// one (or one that only watches) for checking as fast as the machine can.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"
#include "platform/silent_platform.h"
#include "replay/question_log.h"

// The game went its own way: at this frame (counted from 1) it asked something else, or its
// state or its sounds differ from the recording's.
struct ReplayDeparture {
    int64_t Frame = 0;
    std::string What;
};
// The log itself is damaged.
struct ReplayDamaged {
    std::string What;
};
// The viewer left the playback (Escape, or the window closed).
struct ReplayStopped {};

class PlaybackPlatform final : public ForwardingPlatform {
  public:
    enum class Mode {
        Check,   // as fast as possible, nothing shown or heard, no sleeping
        Window,  // at the recorded pace, with the viewer's Escape and Enter
    };

    PlaybackPlatform(Platform& inner, QuestionLogReader& log, Mode mode);

    // The digest of the game's state, asked for at each checkpoint.
    std::function<uint32_t()> StateDigest;
    // Window mode: drawn over every frame just before it is shown; paused is true while the
    // viewer holds the playback.
    std::function<void(bool paused)> DrawOverlay;
    // Window mode: the sample numbers of the recording and the ones the inner platform gave
    // the same sounds, pair by pair.
    std::vector<std::pair<SampleId, SampleId>> SampleMap;

    // Frames presented so far.
    int64_t FrameCount() const { return Frames; }
    // Once the game's scenes are over: a departure when the log goes on.
    void ExpectEnd();

    void BeginFrame() override;
    void EndFrame() override;
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override;
    void TakeWindowMessage() override;
    bool WindowCloseRequested() override;
    bool FocusLost() override;
    void PollKeyboard(uint8_t state[256]) override;
    void PlaySound(int32_t channel, SampleId sample) override;
    void StopSound(int32_t channel) override;
    bool IsPlaying(int32_t channel) override;
    void SetPaused(int32_t channel, bool paused) override;
    void SetVolume(int32_t channel, int32_t volume) override;
    int32_t GetVolume(int32_t channel) override;
    void SetMasterVolume(int32_t volume) override;
    int32_t GetMasterVolume() override;
    int64_t Clock() override;
    int64_t Time() override;
    void Sleep(int32_t milliseconds) override;
    void SetKeyMode(KeyMode mode) override;
    // The recorded game's keys come from the log alone; the viewer's presses bind nothing.
    ControlPress TakeControlPress() override { return {}; }

  private:
    struct Draw {
        TextureId Texture;
        int32_t X, Y, Width, Height;
        uint32_t Colour;
    };
    using Steady = std::chrono::steady_clock;

    LoggedQuestion Ask(Question kind, int32_t channel = 0);
    [[noreturn]] void Depart(int64_t frame, const std::string& what);
    void WatchViewer(bool now);
    void HoldPlayback();
    void Pace(int64_t recordedClock);
    void ShowLastFrame(bool paused);

    QuestionLogReader& Log;
    Mode Kind;
    int64_t Frames = 0;

    // Window mode.
    std::vector<Draw> FrameDraws;  // the game's draws of the frame being made
    std::vector<Draw> LastDraws;   // and of the last one shown
    bool InOverlay = false;
    uint8_t ViewerKeys[256] = {};
    Steady::time_point LastLook{};
    bool Paced = false;
    Steady::time_point PaceReal{};
    int64_t PaceRecorded = 0;
    bool GamePaused[32] = {};
};
