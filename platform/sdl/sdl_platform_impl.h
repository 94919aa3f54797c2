// The SDL platform's class, for the program entry's factory and for tests that look inside
// (the composed frame, the renderer in use).
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/frame_clock.h"
#include "platform/platform.h"
#include "platform/sdl/host.h"
#include "platform/sdl/sdl_file_reader.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_tune.h"

// The player's last choice of full screen (true) or a window, from "display.dat" in the working
// folder; the host's default when none was made.
bool ReadFullScreenChoice();
// The size a new window takes on the display: 1024x768, or the largest size of that shape that
// fits with the window's frame.
void WindowSizeFor(int display, int& width, int& height);

class SdlPlatform final : public Platform {
  public:
    static constexpr int32_t ChannelCount = 32;

    explicit SdlPlatform(const SdlPlatformOptions& options = {});
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool OpenDisplay(const char* title) override;
    void CloseDisplay() override;
    void BeginFrame() override;
    void EndFrame() override;
    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override;
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override;
    void ReleaseTexture(TextureId texture) override;
    void PreparePicture(const char* file) override;

    void TakeWindowMessage() override;
    bool WindowCloseRequested() override { return Closed; }
    bool FocusLost() override;

    void CreateKeyboard() override;
    void PollKeyboard(uint8_t state[256]) override;
    void SetKeyMode(KeyMode mode) override;
    void SetControls(const ControlsRecord& controls) override;
    ControlPress TakeControlPress() override;
    std::string KeyLabel(KeyPlace place) override;
    PadKind GamepadKind() override;

    void OpenSound() override;
    SampleId LoadSample(const char* file) override;
    void PrepareSample(const char* file) override;
    void PlaySound(int32_t channel, SampleId sample) override;
    void StopSound(int32_t channel) override;
    bool IsPlaying(int32_t channel) override;
    void SetPaused(int32_t channel, bool paused) override;
    void SetVolume(int32_t channel, int32_t volume) override;
    int32_t GetVolume(int32_t channel) override;
    void SetMasterVolume(int32_t volume) override;
    int32_t GetMasterVolume() override { return MasterVolume; }

    int64_t Clock() override;
    int64_t Time() override;
    void Sleep(int32_t milliseconds) override;

    // The last composed 1024x768 frame as 0xAARRGGBB pixels, rows top to bottom; empty when
    // no display is open.
    std::vector<uint32_t> ReadFrame();
    SDL_Renderer* Renderer() const { return Render; }
    SDL_Window* MainWindow() const { return Window; }
    bool IsFullScreen() const { return FullScreen; }
    // Alt+Enter and F11: between full screen and a window; the choice is saved at once.
    void ToggleFullScreen();
    // The gamepads open now.
    size_t GamepadCount() const { return Gamepads.size(); }

  private:
    // One picture of the frame being drawn; the frame is composed when it ends.
    struct QueuedDraw {
        TextureId Texture;
        SDL_Rect Where;
        uint32_t Colour;
        bool operator==(const QueuedDraw& other) const {
            return Texture == other.Texture && Where.x == other.Where.x &&
                   Where.y == other.Where.y && Where.w == other.Where.w &&
                   Where.h == other.Where.h && Colour == other.Colour;
        }
    };

    bool FailDisplay(const char* reason);
    bool CreateWindowAndRenderer(const char* title);
    void SetWindowIcon();
    void Compose();
    size_t DrawCachedLayer();
    void Draw(const QueuedDraw& draw);
    SDL_Texture* TextureOf(TextureId id);  // made now if it is drawn for the first time
    // Takes every waiting window event: the close request, key presses (latched until the next
    // poll), and changes that leave the window's picture to be drawn again.
    void PumpEvents();
    void Notice(const SDL_Event& event);
    int64_t NowNs() const;
    // Sleeps until `ns` (of NowNs), taking the window's events every few milliseconds so that a
    // close request is answered at once; returns early once the window is closed.
    void WaitUntil(int64_t ns);
    void NoticeKey(const SDL_KeyboardEvent& key);
    void OpenGamepads();
    void NoticeGamepad(const SDL_ControllerDeviceEvent& device);
    // A button pressed, the stick pushed or a trigger pulled: latched until the next poll, and
    // the controls screen's press.
    void LatchGamepad(const SDL_Event& event);
    void ReadGamepads(PhysicalInput& input);
    void CloseGamepads();
    std::string AssetPath(const char* file) const;
    bool OpenMixer(std::string& reason);
    void CloseSound();
    void ApplyVolume(int32_t channel);
    void EndTune(int32_t channel);
    static bool ValidChannel(int32_t channel) { return channel >= 0 && channel < ChannelCount; }

    SdlPlatformOptions Options;
    std::chrono::steady_clock::time_point Start;
    std::string Assets;   // put in front of every picture and sound name
    std::string Scratch;  // a folder of our own to remove at the end, when there is one

    bool VideoOpen = false;
    SDL_Window* Window = nullptr;
    SDL_Renderer* Render = nullptr;
    SDL_Texture* Target = nullptr;  // every frame is composed here at 1024x768, then scaled
    std::vector<SDL_Texture*> Textures{nullptr};  // index = TextureId; 0 is no texture
    // The decoded pictures whose texture is made at their first draw, by the same index.
    struct UnmadeTexture {
        std::string Path;
        DecodedImage Image;
    };
    std::vector<UnmadeTexture> Unmade{UnmadeTexture{}};
    FileReader Reader;  // pictures and sounds read ahead
    bool Closed = false;
    bool VSyncOn = false;
    bool KeepsScreen = false;  // the window keeps its picture between presents (software)
    FrameClock Pacing;

    std::vector<QueuedDraw> Pending;  // the frame being drawn
    std::vector<QueuedDraw> Shown;    // the frame composed in Target
    bool ShownValid = false;
    bool ScreenStale = true;  // the window's picture must be copied from Target again
    // The full-screen pictures that opened the last frames, composed over black.
    SDL_Texture* Layer = nullptr;
    std::vector<TextureId> LayerTextures;
    uint32_t LayerColour = 0;

    bool Latched[KeyPlaceCount] = {};          // keys pressed since the last poll, by place
    bool LatchedButtons[PadButtonCount] = {};  // gamepad buttons likewise
    bool PolledSinceWait = false;              // no frame or sleep since the last poll
    bool FocusLossPending = false;
    bool FullScreen = true;
    bool ReturnSwallowed = false;  // the Enter of an Alt+Enter, until it is let go
    WindowedSize Windowed;         // the window's size before it last went full screen

    KeyMode Keys = KeyMode::Menus;
    ControlsRecord Controls;
    ControlPress LastPress;                 // since the controls screen last asked
    SDL_Keycode Typed[KeyPlaceCount] = {};  // what each key typed when last pressed

    bool GamepadsOpen = false;
    std::vector<SDL_GameController*> Gamepads;
    SDL_GameController* LastPad = nullptr;  // the one pressed last: its buttons are named
    bool LeftTriggerPressed = false;        // past half-way, as the events last said
    bool RightTriggerPressed = false;

    bool AudioOpen = false;
    bool MixerOpen = false;
    struct LoadedSample {
        Mix_Chunk* Chunk = nullptr;         // an effect, decoded whole
        std::shared_ptr<const Tune> Music;  // a tune, decoded as it plays
        std::string LatePath;               // a tune still on its way, read when it first plays
    };
    // Reads a tune that was on its way when it was loaded; false, after one line on stderr,
    // when it cannot be played.
    bool TakeLateTune(LoadedSample& sample);
    std::vector<LoadedSample> Samples;
    std::unique_ptr<TunePlayer> Players[ChannelCount];  // the tune playing on each channel
    int32_t ChannelVolumes[ChannelCount];
    int32_t MasterVolume = 255;
};
