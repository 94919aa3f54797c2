#include "replay_bench.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "game/keys.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/file.h"
#include "platform/silent_platform.h"
#include "replay/playback.h"
#include "replay/recorder.h"
#include "replay/recording_platform.h"
#include "replay/replay_file.h"
#include "support/autoplayer.h"

namespace {

constexpr int64_t GameLength = 10 * 60 * 1000;  // milliseconds of play

// A machine at 60 frames a second with the autoplayer at the keys: frames take 16 or 17 ms,
// music lasts a minute and effects half a second. Nothing is drawn.
class StandIn final : public SilentPlatform {
  public:
    Autoplayer Player{2024};
    int64_t Now = 0;
    int64_t Frames = 0;
    int64_t Started[32] = {};
    int64_t Length[32] = {};
    int32_t Volumes[32] = {};
    int32_t Master = 255;

    void EndFrame() override { Now += ++Frames % 3 == 0 ? 16 : 17; }
    TextureId LoadTexture(const char*, int32_t* width, int32_t* height) override {
        *width = *height = 26;
        return 1;
    }
    void PollKeyboard(uint8_t state[256]) override {
        Player.EscapeAfterPieces = Now >= GameLength ? 0 : -1;
        Player.Keys(Now, state);
    }
    SampleId LoadSample(const char*) override { return Samples++; }
    void PlaySound(int32_t channel, SampleId sample) override {
        if (channel < 0 || channel >= 32) return;
        Started[channel] = Now;
        Length[channel] = sample < 3 ? 60'000 : 500;  // the three tunes come first
        Volumes[channel] = 255;
    }
    void StopSound(int32_t channel) override {
        if (channel >= 0 && channel < 32) Length[channel] = 0;
    }
    bool IsPlaying(int32_t channel) override {
        return channel >= 0 && channel < 32 && Now - Started[channel] < Length[channel];
    }
    void SetVolume(int32_t channel, int32_t volume) override {
        if (channel >= 0 && channel < 32) Volumes[channel] = volume;
    }
    int32_t GetVolume(int32_t channel) override {
        return channel >= 0 && channel < 32 ? Volumes[channel] : 0;
    }
    void SetMasterVolume(int32_t volume) override { Master = volume; }
    int32_t GetMasterVolume() override { return Master; }
    int64_t Clock() override { return Now; }
    int64_t Time() override { return 1'700'000'000 + Now / 1000; }
    void Sleep(int32_t milliseconds) override { Now += milliseconds; }

  private:
    SampleId Samples = 0;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One 10-minute game from the start of a program, with the recorder on or off, in the current
// folder (a recorded game leaves replays/last.zrp there); the seconds it took.
double PlayTenMinutes(bool record, int64_t* frames, double* minutes) {
    StandIn machine;
    machine.Player.PiecesBeforeGivingUp = 1 << 30;
    machine.Player.KeepWell = false;
    RecordingPlatform recorder(machine);
    SetPlatform(&recorder);
    InitialiseProgramState();
    LoadTitleSprites();
    LoadGameSprites();
    CreateKeyboard();
    LoadSoundBank();
    ResetBoard();
    if (record) SetGameRecorder(&recorder);
    const auto start = std::chrono::steady_clock::now();
    RecordGame();
    const double took = Seconds(std::chrono::steady_clock::now() - start);
    SetGameRecorder(nullptr);
    SetPlatform(nullptr);
    if (frames != nullptr) *frames = machine.Frames;
    if (minutes != nullptr) *minutes = machine.Now / 60000.0;
    return took;
}

}  // namespace

void PrintReplayFigures(int runs) {
    // In a folder of its own, so that the player's replays stay as they are.
    const std::filesystem::path home = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "zantorvix-bench-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) return;
    std::filesystem::current_path(pattern);
    std::vector<double> plain, recorded;
    int64_t frames = 0;
    double minutes = 0;
    for (int i = 0; i < std::max(3, runs / 3); ++i) {
        plain.push_back(PlayTenMinutes(false, nullptr, nullptr));
        recorded.push_back(PlayTenMinutes(true, &frames, &minutes));
    }
    std::string bytes, error;
    ReadWholeFile(LastReplayFile, bytes, error);
    std::filesystem::current_path(home);
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);

    std::vector<double> checks;
    PlaybackResult last;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        Replay read;
        std::string reason;
        if (!ReadReplay(bytes, read, reason)) {
            std::fprintf(stderr, "bench: the 10-minute replay does not read back: %s\n",
                         reason.c_str());
            return;
        }
        last = CheckPlayback(read);
        checks.push_back(Seconds(std::chrono::steady_clock::now() - start));
    }
    const double check = Median(checks);
    const double costUs = (Median(recorded) - Median(plain)) * 1e6 / static_cast<double>(frames);

    std::printf(
        "\n  replays: %.1f minutes of play by the autoplayer at 60 frames a second: %lld "
        "frames, %d pieces, %d rows, level %d\n",
        minutes, static_cast<long long>(frames), last.End.Pieces, last.End.Rows, last.End.Level);
    const auto row = [](const char* what, const std::string& figure, const char* target, bool met) {
        std::printf("  %-44s %16s   %-24s %s\n", what, figure.c_str(), target,
                    met ? "met" : "NOT MET");
    };
    char text[64];
    std::snprintf(text, sizeof text, "%.1f KB", bytes.size() / 1024.0);
    row("replay file of the 10-minute game", text, "under 100 KB", bytes.size() < 100 * 1024);
    std::snprintf(text, sizeof text, "%.3f s", check);
    row("--check of the 10-minute game", text, "under 1 s (and it matches)",
        check < 1.0 && last.Outcome == PlaybackResult::Verdict::Matches);
    // Two medians of whole runs: a cost smaller than their noise can come out below zero.
    if (costUs > 0) {
        std::snprintf(text, sizeof text, "%.2f us", costUs);
    } else {
        std::snprintf(text, sizeof text, "in the noise");
    }
    row("recording, cost per frame (the save included)", text, "under 167 us (1%)", costUs < 167.0);
}
