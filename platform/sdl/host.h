// The host: what differs between the homes the SDL platform runs in, a Linux desktop, a browser
// page and Windows. Each home implements all of this in a folder of its own, which the build
// picks whole (linux/ or windows/, both with desktop/, which the two desktops share; browser/);
// the rest of platform/sdl/ is the same everywhere.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

// --- The folders ----------------------------------------------------------------------------

struct PlayerFolders {
    std::string Assets;   // put in front of every picture and sound name: "" or ends with '/'
    std::string Scratch;  // a folder of our own to remove at the end, or ""
};

// Finds the pictures and sounds, and changes into the folder of the player's files, making it
// when it is missing; the game then keeps its plain file names. A folder that cannot be made or
// entered costs one line on stderr, and the game plays on with a scratch folder.
PlayerFolders EnterPlayerFolders();

// --- The renderer facts ---------------------------------------------------------------------

// What the window system offers, asked before the window is made. Where there is nothing to
// ask, the facts keep their defaults.
struct WindowSystemFacts {
    bool X11 = false;
    // Direct rendering (DRI2 or DRI3 on X). Without it OpenGL can only be a software
    // rasterizer, so it is not even loaded.
    bool DirectRendering = true;
    // A window manager runs. Without one, a full-screen request is never confirmed and SDL
    // waits for the confirmation; a borderless window of the desktop's size is the same picture.
    bool WindowManager = true;
};
WindowSystemFacts LookAtWindowSystem();

// True when the OpenGL behind `window` (made with SDL_WINDOW_OPENGL) draws in software: its
// renderer's name is one of Mesa's or Chromium's software rasterizers. Also true when no context
// can be made. In the browser, asked of its WebGL, and `window` may be null.
bool OpenGlIsSoftware(SDL_Window* window);

// True where an OpenGL renderer's presents can be made to wait for the display's refresh; the
// browser shows the canvas at its own refresh.
bool PresentsWaitForRefresh();

// Window flags of the host's own, added to the game's.
Uint32 HostWindowFlags();

// --- Full screen ----------------------------------------------------------------------------

// How the game shows itself when the player has never chosen: full screen on a desktop; in a
// page, which cannot start full screen, filling the browser's window.
bool FullScreenUnlessChosen();

// Whether the window is full screen now, given what the game last asked for: a browser also
// leaves full screen by itself (Escape, its own menu).
bool IsFullScreenNow(SDL_Window* window, bool asked);

// The window's size before it last went full screen; 0 until it has.
struct WindowedSize {
    int Width = 0;
    int Height = 0;
};

// Switches the window to full screen or back to a window.
void ApplyFullScreen(SDL_Window* window, bool fullScreen, WindowedSize& windowed);

// --- Presenting, sleeping, polling ----------------------------------------------------------

// Shows the frame; `redrawn` is false when the renderer's picture is the one already shown, and
// the software renderer has not drawn it again.
void PresentFrame(SDL_Renderer* renderer, bool redrawn);

// True once when the window has lost the picture last shown without a window event saying so:
// a page's canvas is sized again at every resize of the browser's window, even to the size it
// had, which clears it.
bool PictureLost();

// Shows the window's own pixels (its SDL window surface) in these rectangles, after the frames
// composed on the CPU put something new there; with none, the frame showed nothing new and
// nothing is copied.
void PresentWindowPixels(SDL_Window* window, const SDL_Rect* rects, int count);

// Sleeps the program's one game thread for `ns` nanoseconds (in a page, handing it back to the
// browser meanwhile).
void SleepFor(int64_t ns);

// The pause between two polls of a loop that only polls (waiting for a held key to come up):
// far below anything a player can notice, and long enough that such a loop does not spin.
extern const int64_t PollPause;

// --- Reading ahead --------------------------------------------------------------------------

// Whether pictures and sounds are read on a second thread while the loading screen shows; a
// page served by a plain static host gets no second thread.
extern const bool ReadsAhead;

// --- Files that arrive late ----------------------------------------------------------------

// Whether the picture or sound file at path (as the platform names it) is still on its way: a
// page downloads most of them while the loading screen shows. On a desktop they are all there.
bool AssetFileToCome(const std::string& path);
// Waits until the file can be read (at once when it is not to come), so that the game's loading
// runs behind the download and waits only for a file not yet in.
void AwaitAssetFile(const std::string& path);

// --- The tune decoder -----------------------------------------------------------------------

// The MP3 decoder of one playing of a tune: 16-bit samples at the file's own rate and channel
// count.
class TuneDecoder {
  public:
    virtual ~TuneDecoder() = default;
    // Up to `size` bytes of samples; 0 once the tune is over.
    virtual size_t Read(unsigned char* out, size_t size) = 0;
};

// Opens the MP3 file at `path`, to be read a little at a time as it is decoded, and reads its
// format; null with the reason when it cannot be read or is no MP3.
std::unique_ptr<TuneDecoder> OpenTuneDecoder(const std::string& path, long& rate, int& channels,
                                             std::string& error);

// --- Keys of the host's own ------------------------------------------------------------------

// Adds to `state` the keys pressed through the host's own controls, at each poll: a page's
// touch buttons (held, or pressed since the last poll) and the phone keyboard's letters for a
// name. A desktop has none.
void ReadHostKeys(uint8_t state[256]);

// --- What the page needs from the game -----------------------------------------------------

// What the keys are for now, as the scenes tell it: a page shows its buttons for play or for
// the menus, and the phone's keyboard while a name is wanted. A desktop has nothing to show.
void AnnounceKeyMode(KeyMode mode);

// --- The program's end ----------------------------------------------------------------------

// The program has ended with this status: a desktop's program simply exits; a page offers a new
// start.
void AnnounceProgramEnd(int status);
