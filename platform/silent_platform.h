// A machine with nothing attached: it draws nothing, plays nothing and waits for nothing, and
// answers every question "no" or 0. Playback without a window runs on it, and stand-ins that
// watch or script only a few things start from it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class SilentPlatform : public Platform {
  public:
    bool OpenDisplay(const char*) override { return true; }
    void CloseDisplay() override {}
    void BeginFrame() override {}
    void EndFrame() override {}
    TextureId LoadTexture(const char*, int32_t* width, int32_t* height) override {
        *width = 0;
        *height = 0;
        return 0;
    }
    void DrawTexture(TextureId, int32_t, int32_t, int32_t, int32_t, uint32_t) override {}
    void ReleaseTexture(TextureId) override {}
    void TakeWindowMessage() override {}
    bool WindowCloseRequested() override { return false; }
    bool FocusLost() override { return false; }
    void CreateKeyboard() override {}
    void PollKeyboard(uint8_t state[256]) override {
        for (int i = 0; i < 256; ++i) state[i] = 0;
    }
    void SetKeyMode(KeyMode) override {}
    void SetControls(const ControlsRecord&) override {}
    ControlPress TakeControlPress() override { return {}; }
    std::string KeyLabel(KeyPlace) override { return ""; }
    PadKind GamepadKind() override { return PadKind::Xbox; }
    void OpenSound() override {}
    SampleId LoadSample(const char*) override { return -1; }
    void PlaySound(int32_t, SampleId) override {}
    void StopSound(int32_t) override {}
    bool IsPlaying(int32_t) override { return false; }
    void SetPaused(int32_t, bool) override {}
    void SetVolume(int32_t, int32_t) override {}
    int32_t GetVolume(int32_t) override { return 0; }
    void SetMasterVolume(int32_t) override {}
    int32_t GetMasterVolume() override { return 0; }
    int64_t Clock() override { return 0; }
    int64_t Time() override { return 0; }
    void Sleep(int32_t) override {}
};
