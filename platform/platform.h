// The one door between the game and the machine. Everything the game needs from outside itself
// (window, pictures, keyboard, sound, clocks) is an operation of this interface. The real
// implementation sits over SDL in platform/sdl/; tests plug in a scripted stand-in.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls.h"

// The display the game draws on, in logical pixels; the window scales it to fit.
inline constexpr int32_t ScreenWidth = 1024;
inline constexpr int32_t ScreenHeight = 768;

using TextureId = int32_t;  // 0: no texture
using SampleId = int32_t;   // -1: no sample

// A key or gamepad button pressed, for the controls screen to bind: at most one of the two.
struct ControlPress {
    KeyPlace Key = 0;
    PadButton Button = PadButton::NoButton;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Window and renderer. OpenDisplay makes the window (full screen, or as the player last
    // chose) and its renderer; false when there is no display at all.
    virtual bool OpenDisplay(const char* title) = 0;
    virtual void CloseDisplay() = 0;
    virtual void BeginFrame() = 0;  // clear to black
    virtual void EndFrame() = 0;    // present, then wait for the frame's turn (60 a second)
    // Loads a picture at its own size; opaque magenta becomes transparent. Returns 0 and
    // leaves width and height at 0 when the file cannot be used (after one stderr line).
    virtual TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) = 0;
    // Draws the whole texture unscaled with its top-left pixel at (x, y), the ARGB colour
    // multiplied into every texel, alpha-blended over what is there.
    virtual void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                             uint32_t colour) = 0;
    virtual void ReleaseTexture(TextureId texture) = 0;
    // A hint that LoadTexture will soon be asked for this file: the platform may start reading
    // it meanwhile. Loading it stays the same, messages included.
    virtual void PreparePicture(const char* /*file*/) {}
    // Loads a picture of which only one or two of its kind are drawn at a time (the levels'
    // backdrops): read and checked now, with the same messages, but its pixels are kept only
    // while it is wanted (WantTexture), and made ahead of its drawing where the platform can.
    // It is not wanted until told. Drawn unwanted, it still shows, a little later.
    // The hint of PreparePicture for a picture that LoadTextureOnDemand will load.
    virtual void PreparePictureOnDemand(const char* file) { PreparePicture(file); }
    virtual TextureId LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) {
        return LoadTexture(file, width, height);
    }
    // Whether a picture loaded on demand will be drawn soon (true) or not for a while (false).
    virtual void WantTexture(TextureId /*texture*/, bool /*wanted*/) {}

    // Takes at most one waiting window message off the queue and handles it.
    virtual void TakeWindowMessage() = 0;
    // True once the player has closed the window (close button, desktop close command).
    virtual bool WindowCloseRequested() = 0;
    // True once for each time the window lost the keyboard focus (the player switched to
    // another window, or the screen was locked): the first call after a loss answers true,
    // later calls false until the focus is lost again. Events are noticed while polling.
    virtual bool FocusLost() = 0;

    // Keyboard: 256 bytes indexed by DirectInput key code, non-zero while the key is down.
    // Every poll first pumps the window system's events.
    virtual void CreateKeyboard() = 0;
    virtual void PollKeyboard(uint8_t state[256]) = 0;
    // What the keys are for from now on; the menus' until told otherwise.
    virtual void SetKeyMode(KeyMode mode) = 0;
    // The player's controls, applied to the keys and gamepad buttons while the keys are play's
    // (and the pause's); the defaults until told otherwise.
    virtual void SetControls(const ControlsRecord& controls) = 0;
    // The key or button pressed last since the last call (presses are noticed by the polls), or
    // nothing. Asked by the controls screen, outside recorded games.
    virtual ControlPress TakeControlPress() = 0;
    // What the player's keyboard prints on the key at this place under its layout ("Q" for the
    // place of A on a French keyboard), in capitals; "" when the keyboard gives it no name.
    virtual std::string KeyLabel(KeyPlace place) = 0;
    // How the gamepads' buttons are printed: the kind of the pad pressed last, or else of the
    // first one plugged in; Xbox's letters without a pad.
    virtual PadKind GamepadKind() = 0;

    // Sound: fixed channels 0 to 31, volumes 0 to 255.
    virtual void OpenSound() = 0;
    virtual SampleId LoadSample(const char* file) = 0;
    // A hint that LoadSample will soon be asked for this file, as PreparePicture.
    virtual void PrepareSample(const char* /*file*/) {}
    virtual void PlaySound(int32_t channel, SampleId sample) = 0;
    virtual void StopSound(int32_t channel) = 0;
    virtual bool IsPlaying(int32_t channel) = 0;
    virtual void SetPaused(int32_t channel, bool paused) = 0;
    virtual void SetVolume(int32_t channel, int32_t volume) = 0;
    virtual int32_t GetVolume(int32_t channel) = 0;
    virtual void SetMasterVolume(int32_t volume) = 0;
    virtual int32_t GetMasterVolume() = 0;

    // Time: milliseconds of wall time since the program started, calendar seconds, and a
    // sleep in milliseconds (which ends early when the window is closed).
    virtual int64_t Clock() = 0;
    virtual int64_t Time() = 0;
    virtual void Sleep(int32_t milliseconds) = 0;
};

// The platform the game is running on; set once by the program entry or by a test.
void SetPlatform(Platform* platform);
Platform& CurrentPlatform();

// Makes a platform the current one for as long as it lives, and puts the one before (or none)
// back when it goes, however its scope is left.
class ScopedPlatform {
  public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  private:
    Platform* Previous;
};

// Thrown out of the polling, presenting, sleeping and loading operations once the window has
// been closed, so that every scene, fade, pause and wait-for-key loop ends at once; the program
// entry catches it.
struct WindowClosed {};
void ThrowIfWindowClosed();
