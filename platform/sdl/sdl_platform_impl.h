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
#include "platform/sdl/sdl_software_frame.h"
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
    void PreparePictureOnDemand(const char* file) override;
    TextureId LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) override;
    void WantTexture(TextureId texture, bool wanted) override;

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
    // The renderer in use: "software" for the frames composed here on the CPU, or the SDL
    // renderer's name (opengl, ...); "" with no display.
    std::string RendererName() const;
    SDL_Window* MainWindow() const { return Window; }
    // Pictures whose pixels are held now (a renderer's textures count as held).
    size_t PicturesHeld() const;
    // Where the frames' time went since the display opened: composing them, putting them into
    // the window at its size, and presenting them; and how many frames showed something new.
    struct FrameCosts {
        int64_t Frames = 0, NewFrames = 0;
        int64_t ComposeNs = 0, ScaleNs = 0, PresentNs = 0;
    };
    const FrameCosts& Costs() const { return Spent; }
    bool IsFullScreen() const { return FullScreen; }
    // Alt+Enter and F11: between full screen and a window; the choice is saved at once.
    void ToggleFullScreen();
    // The gamepads open now.
    size_t GamepadCount() const { return Gamepads.size(); }

  private:
    // One picture loaded, by its TextureId (0 is none).
    struct Picture {
        std::string Path;
        bool Loaded = false;             // until released
        DecodedImage Image;              // its pixels, while they are held
        SDL_Texture* Texture = nullptr;  // a renderer's copy, made at its first draw
        // Loaded on demand: the file as read, from which the pixels are made while it is wanted.
        std::shared_ptr<const std::string> File;
        bool Wanted = true;
        bool Decoding = false;  // its pixels are being made on the reading thread
        bool Opaque = false;    // every pixel at full alpha
    };

    bool FailDisplay(const char* reason);
    bool CreateWindowAndRenderer(const char* title);
    void SetWindowIcon();
    TextureId AddPicture(const char* file, bool wantedOnDemand);
    Picture* PictureAt(TextureId id);            // null for none, unknown or released
    const DecodedImage* PixelsOf(TextureId id);  // made now when they are not held
    // The frames on the CPU: the changed parts composed, put into the window's own pixels at its
    // size, and presented.
    void ShowComposedFrame();
    void PlaceFrame(SDL_Surface* surface, const SDL_Rect& viewport);
    ChangedArea ComposeChanges();
    // The changed parts put into the window at its size; the window's rectangles to present.
    std::vector<SDL_Rect> PutIntoWindow(SDL_Surface* surface, const SDL_Rect& viewport,
                                        const ChangedArea& changed);
    void FillBars(SDL_Surface* surface, const SDL_Rect& viewport);
    void PutPart(SDL_Surface* surface, const SDL_Rect& viewport, const SDL_Rect& part);
    // The frames through an SDL renderer (OpenGL).
    void ShowRenderedFrame();
    void Compose();
    size_t DrawCachedLayer();
    void Draw(const PictureDraw& draw);
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
    std::vector<Picture> Pictures{Picture{}};
    FileReader Reader;  // pictures and sounds read ahead
    bool Closed = false;
    bool VSyncOn = false;
    FrameClock Pacing;
    FrameCosts Spent;

    std::vector<PictureDraw> Pending;  // the frame being drawn
    std::vector<PictureDraw> Shown;    // the frame composed last
    bool ShownValid = false;
    bool ScreenStale = true;  // the window's whole picture must be put there again

    // Composed on the CPU, without a renderer: the frame, and the window's pixels it was last
    // put into (a new surface after a resize).
    std::unique_ptr<SoftwareFrame> Frame;
    FrameScaler Scaler;
    SDL_Surface* ShownSurface = nullptr;

    // Or through a renderer: every frame composed in Target at 1024x768, then scaled.
    SDL_Renderer* Render = nullptr;
    SDL_Texture* Target = nullptr;
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
