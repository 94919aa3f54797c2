// The platform as the game sees it in every real run: it hands every call on, and while a game
// is being recorded it also logs every answer the game reads and every sound and sleep it asks
// for. Logging is a copy into memory; nothing is written to disk until the game ends.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/forwarding_platform.h"
#include "replay/question_log.h"

class RecordingPlatform final : public ForwardingPlatform {
  public:
    explicit RecordingPlatform(Platform& inner) : ForwardingPlatform(inner) {}

    // Starts a log. keys: the key state the game holds now; stateDigest: the digest of the
    // game's state, asked for at each checkpoint.
    void StartLog(const uint8_t keys[256], std::function<uint32_t()> stateDigest);
    // Ends the log and hands it over; null when none was running.
    std::unique_ptr<QuestionLogWriter> StopLog();
    QuestionLogWriter* Log() { return Writer.get(); }

    // The questions: every answer the game reads is logged (recording_platform.cpp).
    void EndFrame() override;
    bool WindowCloseRequested() override;
    bool FocusLost() override;
    void PollKeyboard(uint8_t state[256]) override;
    bool IsPlaying(int32_t channel) override;
    int32_t GetVolume(int32_t channel) override;
    int32_t GetMasterVolume() override;
    int64_t Clock() override;
    int64_t Time() override;

    // The commands: folded into the running digest, then carried out.
    void PlaySound(int32_t channel, SampleId sample) override {
        Fold(Command::Play, {channel, sample});
        Inner.PlaySound(channel, sample);
    }
    void StopSound(int32_t channel) override {
        Fold(Command::Stop, {channel});
        Inner.StopSound(channel);
    }
    void SetPaused(int32_t channel, bool paused) override {
        Fold(paused ? Command::Hold : Command::Resume, {channel});
        Inner.SetPaused(channel, paused);
    }
    void SetVolume(int32_t channel, int32_t volume) override {
        Fold(Command::Volume, {channel, volume});
        Inner.SetVolume(channel, volume);
    }
    void SetMasterVolume(int32_t volume) override {
        Fold(Command::MasterVolume, {volume});
        Inner.SetMasterVolume(volume);
    }
    void Sleep(int32_t milliseconds) override {
        Fold(Command::Sleep, {milliseconds});
        Inner.Sleep(milliseconds);
    }
    void SetKeyMode(KeyMode mode) override {
        Fold(Command::KeyMode, {static_cast<int32_t>(mode)});
        Inner.SetKeyMode(mode);
    }

    // The controls, the presses, the key labels and the gamepad's kind go on unlogged: the keys
    // are logged as the controls made them, so a game plays back alike under any others, and
    // the controls screen runs outside recorded games.

  private:
    // Logs the answer (while a log runs) and hands it on.
    template <typename T>
    T Logged(Question question, int32_t channel, T answer);
    void Fold(Command command, std::initializer_list<int32_t> numbers);

    std::unique_ptr<QuestionLogWriter> Writer;
    std::function<uint32_t()> StateDigest;
};
