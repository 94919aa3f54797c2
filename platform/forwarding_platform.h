// A platform that hands every call on to another one; the tools override what they watch or
// replace.
#pragma once

#include "platform/platform.h"

class ForwardingPlatform : public Platform {
  public:
    explicit ForwardingPlatform(Platform& inner) : Inner(inner) {}

    bool OpenDisplay(const char* title) override { return Inner.OpenDisplay(title); }
    void CloseDisplay() override { Inner.CloseDisplay(); }
    void BeginFrame() override { Inner.BeginFrame(); }
    void EndFrame() override { Inner.EndFrame(); }
    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        return Inner.LoadTexture(file, width, height);
    }
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override {
        Inner.DrawTexture(texture, x, y, width, height, colour);
    }
    void ReleaseTexture(TextureId texture) override { Inner.ReleaseTexture(texture); }
    void PreparePicture(const char* file) override { Inner.PreparePicture(file); }
    void PreparePictureOnDemand(const char* file) override { Inner.PreparePictureOnDemand(file); }
    TextureId LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) override {
        return Inner.LoadTextureOnDemand(file, width, height);
    }
    void WantTexture(TextureId texture, bool wanted) override {
        Inner.WantTexture(texture, wanted);
    }
    void TakeWindowMessage() override { Inner.TakeWindowMessage(); }
    bool WindowCloseRequested() override { return Inner.WindowCloseRequested(); }
    bool FocusLost() override { return Inner.FocusLost(); }
    void CreateKeyboard() override { Inner.CreateKeyboard(); }
    void PollKeyboard(uint8_t state[256]) override { Inner.PollKeyboard(state); }
    void SetKeyMode(KeyMode mode) override { Inner.SetKeyMode(mode); }
    void SetControls(const ControlsRecord& controls) override { Inner.SetControls(controls); }
    ControlPress TakeControlPress() override { return Inner.TakeControlPress(); }
    std::string KeyLabel(KeyPlace place) override { return Inner.KeyLabel(place); }
    PadKind GamepadKind() override { return Inner.GamepadKind(); }
    void OpenSound() override { Inner.OpenSound(); }
    SampleId LoadSample(const char* file) override { return Inner.LoadSample(file); }
    void PrepareSample(const char* file) override { Inner.PrepareSample(file); }
    void PlaySound(int32_t channel, SampleId sample) override { Inner.PlaySound(channel, sample); }
    void StopSound(int32_t channel) override { Inner.StopSound(channel); }
    bool IsPlaying(int32_t channel) override { return Inner.IsPlaying(channel); }
    void SetPaused(int32_t channel, bool paused) override { Inner.SetPaused(channel, paused); }
    void SetVolume(int32_t channel, int32_t volume) override { Inner.SetVolume(channel, volume); }
    int32_t GetVolume(int32_t channel) override { return Inner.GetVolume(channel); }
    void SetMasterVolume(int32_t volume) override { Inner.SetMasterVolume(volume); }
    int32_t GetMasterVolume() override { return Inner.GetMasterVolume(); }
    int64_t Clock() override { return Inner.Clock(); }
    int64_t Time() override { return Inner.Time(); }
    void Sleep(int32_t milliseconds) override { Inner.Sleep(milliseconds); }

  protected:
    Platform& Inner;
};
