#include "support/scripted_platform.h"

#include <algorithm>
#include <stdexcept>

#include "app/application.h"
#include "game/keys.h"
#include "game/sound_bank.h"

std::vector<DrawCall> Frame::Of(const std::string& file) const {
    std::vector<DrawCall> found;
    for (const DrawCall& draw : Draws) {
        if (draw.File == file) found.push_back(draw);
    }
    return found;
}

void ScriptedPlatform::Hold(std::initializer_list<uint8_t> keys, int polls) {
    std::vector<uint8_t> state(256, 0);
    for (uint8_t key : keys) state[key] = 0x80;
    for (int i = 0; i < polls; ++i) KeyQueue.push_back(state);
}

void ScriptedPlatform::Release(int polls) {
    Hold({}, polls);
}

void ScriptedPlatform::Tap(std::initializer_list<uint8_t> keys) {
    Hold(keys, 1);
    Release(1);
}

void ScriptedPlatform::HoldPlaces(std::initializer_list<KeyPlace> keys,
                                  std::initializer_list<PadButton> buttons, int polls) {
    PhysicalInput input;
    for (KeyPlace key : keys) input.Keys[key] = true;
    for (PadButton button : buttons) input.Buttons[static_cast<int>(button)] = true;
    for (int i = 0; i < polls; ++i) PhysicalQueue.push_back(input);
}

void ScriptedPlatform::ReleasePlaces(int polls) {
    HoldPlaces({}, {}, polls);
}

void ScriptedPlatform::TapPlaces(std::initializer_list<KeyPlace> keys,
                                 std::initializer_list<PadButton> buttons) {
    HoldPlaces(keys, buttons, 1);
    ReleasePlaces(1);
}

std::vector<std::string> ScriptedPlatform::PlaysOn(int32_t channel) const {
    std::vector<std::string> plays;
    for (const SoundCall& call : Sounds) {
        if (call.Op == SoundOp::Play && call.Channel == channel) plays.push_back(call.File);
    }
    return plays;
}

void ScriptedPlatform::ClearRecords() {
    MostWanted = WantedPictures.size();
    UnwantedDraws.clear();
    Frames.clear();
    Sounds.clear();
    Sleeps.clear();
}

bool ScriptedPlatform::OpenDisplay(const char*) {
    DisplayOpen = HasDisplay;
    return HasDisplay;
}

void ScriptedPlatform::CloseDisplay() {
    DisplayOpen = false;
}

void ScriptedPlatform::BeginFrame() {
    if (InFrame) throw std::logic_error("BeginFrame inside a frame");
    InFrame = true;
    Pending = Frame{};
}

void ScriptedPlatform::EndFrame() {
    if (!InFrame) throw std::logic_error("EndFrame without BeginFrame");
    InFrame = false;
    Now += FrameTime;
    Pending.PresentedAt = Now;
    Pending.PollsBefore = static_cast<int32_t>(Polls);
    Frames.push_back(std::move(Pending));
}

TextureId ScriptedPlatform::LoadTexture(const char* file, int32_t* width, int32_t* height) {
    LoadedPictures.push_back(file);
    *width = 0;
    *height = 0;
    if (MissingFiles.count(file)) return 0;
    auto size = PictureSizes.find(file);
    *width = size == PictureSizes.end() ? 26 : size->second.first;
    *height = size == PictureSizes.end() ? 26 : size->second.second;
    Textures.push_back(file);
    return static_cast<TextureId>(Textures.size() - 1);
}

TextureId ScriptedPlatform::LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) {
    OnDemandPictures.insert(file);
    return LoadTexture(file, width, height);
}

void ScriptedPlatform::WantTexture(TextureId texture, bool wanted) {
    const std::string& file = Textures.at(static_cast<size_t>(texture));
    if (wanted) {
        WantedPictures.insert(file);
    } else {
        WantedPictures.erase(file);
    }
    MostWanted = std::max(MostWanted, WantedPictures.size());
}

void ScriptedPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                                   int32_t height, uint32_t colour) {
    if (!InFrame) throw std::logic_error("draw outside a frame");
    const std::string& file = Textures.at(static_cast<size_t>(texture));
    if (OnDemandPictures.count(file) != 0 && WantedPictures.count(file) == 0) {
        UnwantedDraws.push_back(file);
    }
    Pending.Draws.push_back(
        DrawCall{Textures.at(static_cast<size_t>(texture)), x, y, width, height, colour});
}

void ScriptedPlatform::ReleaseTexture(TextureId texture) {
    ReleasedPictures.push_back(Textures.at(static_cast<size_t>(texture)));
}

void ScriptedPlatform::TakeWindowMessage() {
    ++MessagesTaken;
}

bool ScriptedPlatform::WindowCloseRequested() {
    return CloseNow || Polls >= CloseAfterPolls ||
           static_cast<int64_t>(Frames.size()) >= CloseAfterFrames;
}

bool ScriptedPlatform::FocusLost() {
    const bool lost = FocusLossPending;
    FocusLossPending = false;
    return lost;
}

void ScriptedPlatform::PollKeyboard(uint8_t state[256]) {
    ++Polls;
    if (FocusLostAtPolls.count(Polls) != 0) FocusLossPending = true;
    for (int i = 0; i < 256; ++i) state[i] = 0;
    if (!PhysicalQueue.empty()) {
        PhysicalInput input = PhysicalQueue.front();
        PhysicalQueue.pop_front();
        ReadPhysical(input, state);
    } else if (PhysicalScript) {
        PhysicalInput input;
        PhysicalScript(*this, input);
        ReadPhysical(input, state);
    } else if (!KeyQueue.empty()) {
        for (int i = 0; i < 256; ++i) state[i] = KeyQueue.front()[static_cast<size_t>(i)];
        KeyQueue.pop_front();
    } else if (KeyScript) {
        KeyScript(*this, state);
    }
}

// As a US keyboard gives the keys to the menus: each by its place.
void ScriptedPlatform::ReadPhysical(PhysicalInput& input, uint8_t state[256]) {
    for (int place = 1; place < KeyPlaceCount; ++place) {
        if (!input.Keys[place]) continue;
        input.MenuCodes[place] = DirectInputCodeOfPlace(static_cast<KeyPlace>(place));
        if (!LastPhysical.Keys[place]) Pressed = ControlPress{.Key = static_cast<KeyPlace>(place)};
    }
    for (int button = 0; button < PadButtonCount; ++button) {
        if (input.Buttons[button] && !LastPhysical.Buttons[button]) {
            Pressed = ControlPress{.Button = static_cast<PadButton>(button)};
        }
    }
    LastPhysical = input;
    FillKeyState(Keys, Controls, input, state);
}

ControlPress ScriptedPlatform::TakeControlPress() {
    const ControlPress press = Pressed;
    Pressed = ControlPress{};
    return press;
}

std::string ScriptedPlatform::KeyLabel(KeyPlace place) {
    const auto label = KeyLabels.find(place);
    if (label != KeyLabels.end()) return label->second;
    std::string name = KeyPlaceName(place);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

SampleId ScriptedPlatform::LoadSample(const char* file) {
    LoadedSamples.push_back(file);
    if (MissingFiles.count(file)) return -1;
    Samples.push_back(file);
    return static_cast<SampleId>(Samples.size() - 1);
}

int64_t ScriptedPlatform::SampleLength(SampleId sample) const {
    const std::string& file = Samples.at(static_cast<size_t>(sample));
    auto length = SampleLengths.find(file);
    if (length != SampleLengths.end()) return length->second;
    return file.find(".mp3") != std::string::npos ? 60'000 : 500;
}

void ScriptedPlatform::PlaySound(int32_t channel, SampleId sample) {
    const std::string file = sample >= 0 ? Samples.at(static_cast<size_t>(sample)) : "";
    Sounds.push_back({SoundOp::Play, channel, file, 0, FrameCount()});
    if (channel < 0 || channel >= 32) return;
    Channel& c = Channels[channel];
    c = Channel{};
    if (sample < 0) return;
    c.Sample = sample;
    c.StartedAt = Now;
    c.Active = true;
}

void ScriptedPlatform::StopSound(int32_t channel) {
    Sounds.push_back({SoundOp::Stop, channel, "", 0, FrameCount()});
    if (channel >= 0 && channel < 32) Channels[channel].Active = false;
}

bool ScriptedPlatform::IsPlaying(int32_t channel) {
    if (channel < 0 || channel >= 32) return false;
    Channel& c = Channels[channel];
    if (!c.Active) return false;
    const int64_t until = c.PausedAt >= 0 ? c.PausedAt : Now;
    if (until - c.StartedAt >= SampleLength(c.Sample)) c.Active = false;
    return c.Active;
}

void ScriptedPlatform::SetPaused(int32_t channel, bool paused) {
    Sounds.push_back({paused ? SoundOp::Pause : SoundOp::Resume, channel, "", 0, FrameCount()});
    if (channel < 0 || channel >= 32) return;
    Channel& c = Channels[channel];
    if (paused && c.PausedAt < 0) c.PausedAt = Now;
    if (!paused && c.PausedAt >= 0) {
        c.StartedAt += Now - c.PausedAt;  // the pause does not use up the sample
        c.PausedAt = -1;
    }
}

void ScriptedPlatform::SetVolume(int32_t channel, int32_t volume) {
    Sounds.push_back({SoundOp::SetVolume, channel, "", volume, FrameCount()});
    if (channel >= 0 && channel < 32) Channels[channel].Volume = volume;
}

int32_t ScriptedPlatform::GetVolume(int32_t channel) {
    return channel >= 0 && channel < 32 ? Channels[channel].Volume : 0;
}

void ScriptedPlatform::SetMasterVolume(int32_t volume) {
    Sounds.push_back({SoundOp::SetMasterVolume, -1, "", volume, FrameCount()});
    MasterVolume = volume;
}

void ScriptedPlatform::Sleep(int32_t milliseconds) {
    Sleeps.push_back(milliseconds);
    Now += milliseconds;
}

void StartOnPlatform(Platform& platform) {
    SetPlatform(&platform);
    for (uint8_t& key : KeyState) key = 0;
    InitialiseProgramState();
    LoadTitleSprites();
    LoadGameSprites();
    CreateKeyboard();
    LoadSoundBank();
}
