// A scripted stand-in for the platform: key states handed out poll by poll, a clock that moves
// only when the game sleeps or presents a frame, and a record of every draw and sound call.
// With it, tests run whole scenes and check what a player would see and hear.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

struct DrawCall {
    std::string File;  // the picture's file name as the game passed it
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint32_t Colour = 0;
};

struct Frame {
    std::vector<DrawCall> Draws;
    int64_t PresentedAt = 0;  // Clock() when it was presented
    int32_t PollsBefore = 0;  // keyboard polls made before it was presented

    // Draws of one picture, in call order.
    std::vector<DrawCall> Of(const std::string& file) const;
    bool Shows(const std::string& file) const { return !Of(file).empty(); }
};

enum class SoundOp { Play, Stop, Pause, Resume, SetVolume, SetMasterVolume };

struct SoundCall {
    SoundOp Op;
    int32_t Channel = -1;      // -1 for the master volume
    std::string File;          // for Play: the sample's file, "" when it failed to load
    int32_t Value = 0;         // for the volume calls
    int32_t FramesBefore = 0;  // frames presented before the call
};

class ScriptedPlatform : public Platform {
  public:
    // --- What the test sets up ---------------------------------------------------------
    // Picture sizes by file name; anything not listed is 26 by 26.
    std::map<std::string, std::pair<int32_t, int32_t>> PictureSizes;
    // Files that fail to load (pictures or sounds).
    std::set<std::string> MissingFiles;
    // Sample lengths in milliseconds by file name; music defaults to 60 s, effects to 0.5 s.
    std::map<std::string, int64_t> SampleLengths;
    // Milliseconds that presenting one frame takes (vsync); Sleep always adds its own.
    int64_t FrameTime = 0;
    // Calendar seconds at Clock() 0.
    int64_t CalendarStart = 1'700'000'000;
    // Key script: each poll takes the next entry of this queue; once it is empty, KeyScript
    // (if set) fills the state, otherwise no key is down.
    std::deque<std::vector<uint8_t>> KeyQueue;
    std::function<void(ScriptedPlatform&, uint8_t*)> KeyScript;
    // Keys and buttons by their place instead: while this queue has entries, each poll takes the
    // next and fills the key state from it as the real platform would, through the controls and
    // what the keys are for; once it is empty, PhysicalScript (if set) fills the input. Every
    // key or button that goes down is a press for TakeControlPress.
    std::deque<PhysicalInput> PhysicalQueue;
    std::function<void(ScriptedPlatform&, PhysicalInput&)> PhysicalScript;
    // What the keyboard prints on each key; a key not listed prints its place's name.
    std::map<KeyPlace, std::string> KeyLabels;
    PadKind Pad = PadKind::Xbox;
    // The window reads as closed once this many polls, frames or sleeps have happened: a
    // runaway scene ends with WindowClosed instead of hanging the test.
    int64_t CloseAfterPolls = 200'000;
    int64_t CloseAfterFrames = 100'000;
    bool CloseNow = false;
    bool HasDisplay = true;
    // The window loses the focus during these polls (counted from 1, as Polls counts them);
    // LoseFocus loses it at once.
    std::set<int64_t> FocusLostAtPolls;
    void LoseFocus() { FocusLossPending = true; }

    // --- Queue helpers -------------------------------------------------------------------
    // The next `polls` polls see exactly these keys down.
    void Hold(std::initializer_list<uint8_t> keys, int polls = 1);
    // The next `polls` polls see no key down.
    void Release(int polls = 1);
    // Press and let go: one poll down, one poll up.
    void Tap(std::initializer_list<uint8_t> keys);
    // The same by place and button, for the physical queue.
    void HoldPlaces(std::initializer_list<KeyPlace> keys,
                    std::initializer_list<PadButton> buttons = {}, int polls = 1);
    void ReleasePlaces(int polls = 1);
    void TapPlaces(std::initializer_list<KeyPlace> keys,
                   std::initializer_list<PadButton> buttons = {});

    // --- What the game did ---------------------------------------------------------------
    std::vector<Frame> Frames;  // every presented frame
    std::vector<SoundCall> Sounds;
    std::vector<std::string> LoadedPictures;  // in load order, the missing ones included
    std::vector<std::string> LoadedSamples;
    std::vector<int32_t> Sleeps;
    KeyMode Keys = KeyMode::Menus;  // what the scenes last said the keys are for
    std::vector<KeyMode> KeyModes;  // every change, in order
    ControlsRecord Controls;        // as the game last set them
    int32_t ControlsSet = 0;        // how often it did
    int64_t Polls = 0;
    int64_t MessagesTaken = 0;
    int64_t Now = 0;  // the clock in milliseconds
    bool DisplayOpen = false;
    std::vector<std::string> ReleasedPictures;
    // Pictures loaded on demand, those of them wanted now, the most wanted at once, and draws
    // of them while they were not wanted (which a real machine shows late).
    std::set<std::string> OnDemandPictures, WantedPictures;
    size_t MostWanted = 0;
    std::vector<std::string> UnwantedDraws;

    // Plays of one channel, in order, as sample file names.
    std::vector<std::string> PlaysOn(int32_t channel) const;
    // Frames presented so far.
    int32_t FrameCount() const { return static_cast<int32_t>(Frames.size()); }
    const Frame& LastFrame() const { return Frames.back(); }
    void ClearRecords();

    // Channel state as the sound layer holds it.
    struct Channel {
        SampleId Sample = -1;
        int64_t StartedAt = 0;
        int64_t PausedAt = -1;
        int32_t Volume = 255;
        bool Active = false;
    };
    Channel Channels[32];
    int32_t MasterVolume = 255;

    // --- Platform --------------------------------------------------------------------
    bool OpenDisplay(const char* title) override;
    void CloseDisplay() override;
    void BeginFrame() override;
    void EndFrame() override;
    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override;
    TextureId LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) override;
    void WantTexture(TextureId texture, bool wanted) override;
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override;
    void ReleaseTexture(TextureId texture) override;
    void TakeWindowMessage() override;
    bool WindowCloseRequested() override;
    bool FocusLost() override;
    void CreateKeyboard() override {}
    void PollKeyboard(uint8_t state[256]) override;
    void SetKeyMode(KeyMode mode) override {
        Keys = mode;
        KeyModes.push_back(mode);
    }
    void SetControls(const ControlsRecord& controls) override {
        Controls = controls;
        ++ControlsSet;
    }
    ControlPress TakeControlPress() override;
    std::string KeyLabel(KeyPlace place) override;
    PadKind GamepadKind() override { return Pad; }
    void OpenSound() override {}
    SampleId LoadSample(const char* file) override;
    void PlaySound(int32_t channel, SampleId sample) override;
    void StopSound(int32_t channel) override;
    bool IsPlaying(int32_t channel) override;
    void SetPaused(int32_t channel, bool paused) override;
    void SetVolume(int32_t channel, int32_t volume) override;
    int32_t GetVolume(int32_t channel) override;
    void SetMasterVolume(int32_t volume) override;
    int32_t GetMasterVolume() override { return MasterVolume; }
    int64_t Clock() override { return Now; }
    int64_t Time() override { return CalendarStart + Now / 1000; }
    void Sleep(int32_t milliseconds) override;

  private:
    std::vector<std::string> Textures{""};  // index = TextureId; 0 is no texture
    std::vector<std::string> Samples;       // index = SampleId
    Frame Pending;
    bool InFrame = false;
    bool FocusLossPending = false;
    PhysicalInput LastPhysical;
    ControlPress Pressed;
    void ReadPhysical(PhysicalInput& input, uint8_t state[256]);
    int64_t SampleLength(SampleId sample) const;
};

// Makes `platform` the game's and brings every record to where start-up leaves it: the
// program's start values, every picture and sound loaded, the keyboard made, no key down.
void StartOnPlatform(Platform& platform);
