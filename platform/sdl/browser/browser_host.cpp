// A browser page: the canvas in the page, the files packed into the page or kept in the
// browser's storage, one thread that hands the page back to the browser at every sleep, and
// the page told what it needs to know of the game.
#include <emscripten.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/frame_clock.h"
#include "platform/keyboard.h"
#include "platform/sdl/host.h"
#include "platform/sdl/sdl_renderer_choice.h"

namespace {

// The folder of the player's files, which the page loads from the browser's storage before the
// program starts (platform/browser/storage.js).
constexpr const char* DataFolder = "/zantorvix";

// Browsers hold a timer set inside a timer's callback back at least this long.
constexpr int64_t TimerGrain = 4 * FrameClock::Millisecond;

// The page's touch buttons, in the order of the bits it reports them in (browser/touch.js), and
// the keys they press: a gamepad whose buttons are fixed.
constexpr uint8_t TouchButtonKeys[] = {
    DIK_LEFT,    // Left
    DIK_RIGHT,   // Right
    DIK_UP,      // Up
    DIK_DOWN,    // Down
    DIK_UP,      // Turn
    DIK_SPACE,   // Hard drop
    DIK_RETURN,  // Start
    DIK_ESCAPE,  // Back
};

// The key the name entry reads for a character typed into the page's name field.
uint8_t KeyOfTyped(int character) {
    if (character >= 'A' && character <= 'Z') return LetterKeys[character - 'A'];
    if (character == ' ') return DIK_SPACE;
    if (character == '\b') return DIK_BACK;
    return 0;
}

// clang-format off
// The page's touch buttons held or pressed since the last call, one bit each, and in bits 8 to
// 15 the character of the name field that is down at this poll; 0 before the page is ready.
EM_JS(int, ReadPageTouch, (), {
    return Module["readTouch"] ? Module["readTouch"]() : 0;
});

// True once after the browser's window was resized: SDL then sizes the canvas again, which
// clears it even when its size stays the same (a resize that only moves the page's controls).
// The listener is added after SDL's own, so it runs after it.
EM_JS(int, TakeCanvasResized, (), {
    if (!Module["watchesResizes"]) {
        Module["watchesResizes"] = true;
        window.addEventListener("resize", function () { Module["canvasResized"] = true; });
    }
    const resized = Module["canvasResized"] === true;
    Module["canvasResized"] = false;
    return resized ? 1 : 0;
});

EM_JS(void, TellPageKeyMode, (int mode), {
    if (Module["keyModeChanged"]) Module["keyModeChanged"](mode);
});

EM_JS(void, TellPageProgramEnded, (int status), {
    if (Module["programEnded"]) Module["programEnded"](status);
});

// The page counts the frames presented, for its frame rate, and keeps the times of the first
// thousand, which show where the start-up spent its time, and with each the program's own time
// so far (sleep.js), which shows how much of a frame was the program's and how much the browser's.
EM_JS(void, CountPresentInPage, (), {
    Module["presents"] = (Module["presents"] || 0) + 1;
    const times = Module["presentTimes"] || (Module["presentTimes"] = []);
    const awake = Module["presentAwakeMs"] || (Module["presentAwakeMs"] = []);
    if (times.length < 1000) {
        times.push(performance.now());
        awake.push(Module["awakeMs"] || 0);
    }
});

// Whether the file is one of the pictures and sounds still on their way (packs.js).
EM_JS(int, PackedFileToCome, (const char* path), {
    const name = ZantorvixPacks.normal(UTF8ToString(path));
    return ZantorvixPacks.packed[name] && !ZantorvixPacks.arrived[name] ? 1 : 0;
});

// Hands the page back to the browser until the file is in, or will not come (packs.js says why
// on the console, once).
EM_ASYNC_JS(void, WaitForPackedFile, (const char* path), {
    await ZantorvixPacks.wait(UTF8ToString(path));
});

// Puts the rectangle (x, y, w, h) of the window's pixels (bytes red, green, blue, 255, `width`
// by `height`, rows one after another from `pixels`) onto the canvas. The canvas reads them right
// where the program keeps them: a picture over the program's memory, made again only when that
// memory or the window's pixels move.
EM_JS(void, PutOnCanvas, (const uint8_t* pixels, int width, int height, int x, int y, int w, int h), {
    const canvas = Module["canvas"];
    let kept = Module["zantorvixCanvasPicture"];
    if (!kept || kept.canvas !== canvas || kept.buffer !== HEAPU8.buffer || kept.pixels !== pixels ||
        kept.image.width !== width || kept.image.height !== height) {
        const bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
        kept = { canvas, buffer: HEAPU8.buffer, pixels, context: canvas.getContext("2d"),
                 image: new ImageData(bytes, width, height) };
        Module["zantorvixCanvasPicture"] = kept;
    }
    kept.context.putImageData(kept.image, 0, 0, x, y, w, h);
});

// The renderer behind the browser's WebGL, as far as the browser tells; "" without WebGL.
EM_JS(char*, BrowserWebGlRenderer, (), {
    let name = "";
    try {
        const gl = document.createElement("canvas").getContext("webgl");
        if (gl) {
            const info = gl.getExtension("WEBGL_debug_renderer_info");
            name = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
            const lose = gl.getExtension("WEBGL_lose_context");
            if (lose) lose.loseContext();
        }
    } catch (e) {
        name = "";
    }
    const size = lengthBytesUTF8(name) + 1;
    const text = _malloc(size);
    stringToUTF8(name, text, size);
    return text;
});
// clang-format on

}  // namespace

PlayerFolders EnterPlayerFolders() {
    // The pictures and sounds are packed at the root.
    if (::chdir(DataFolder) != 0) {
        std::fprintf(stderr,
                     "zantorvix: cannot enter %s: %s; settings and scores last until the page "
                     "is closed\n",
                     DataFolder, std::strerror(errno));
    }
    return PlayerFolders{"/", ""};
}

WindowSystemFacts LookAtWindowSystem() {
    // No X server to ask, and WebGL stands in for direct rendering.
    return WindowSystemFacts{};
}

bool OpenGlIsSoftware(SDL_Window*) {
    // The browser's WebGL stays what it is for the whole run: asked once.
    static const bool software = [] {
        char* name = BrowserWebGlRenderer();
        const bool answer = NamesSoftwareRasterizer(name);
        std::free(name);
        return answer;
    }();
    return software;
}

bool PresentsWaitForRefresh() {
    return false;  // there is no swap interval to set
}

Uint32 HostWindowFlags() {
    // The canvas takes the screen's own pixels, so the picture is sharp, where WebGL scales it
    // up; the software renderer would have to fill them all.
    return OpenGlIsSoftware(nullptr) ? 0 : SDL_WINDOW_ALLOW_HIGHDPI;
}

bool FullScreenUnlessChosen() {
    return false;  // a page cannot start full screen: the game fills the browser's window
}

bool IsFullScreenNow(SDL_Window* window, bool) {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

void ApplyFullScreen(SDL_Window* window, bool fullScreen, WindowedSize&) {
    // The browser's full screen, asked for at the next key or click as browsers require; the
    // canvas keeps following the page's size.
    SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void PresentFrame(SDL_Renderer* renderer, bool redrawn) {
    // A 2D canvas keeps its picture: a frame that shows the same is not copied to it again,
    // though the page is still handed to the browser once a frame.
    if (redrawn) {
        SDL_RenderPresent(renderer);
    } else {
        SleepFor(0);
    }
    CountPresentInPage();
}

bool PictureLost() {
    return TakeCanvasResized() != 0;
}

void PresentWindowPixels(SDL_Window* window, const SDL_Rect* rects, int count) {
    // A 2D canvas keeps its picture: only what changed is copied to it. The browser shows it
    // when the frame's wait hands the page back.
    SDL_Surface* surface = count > 0 ? SDL_GetWindowSurface(window) : nullptr;
    if (surface != nullptr && surface->pitch != surface->w * 4) return;  // never: 4-byte pixels
    for (int i = 0; surface != nullptr && i < count; ++i) {
        PutOnCanvas(static_cast<const uint8_t*>(surface->pixels), surface->w, surface->h,
                    rects[i].x, rects[i].y, rects[i].w, rects[i].h);
    }
    CountPresentInPage();
}

void SleepFor(int64_t ns) {
    // The page runs on this one thread: the sleep hands it back to the browser, which shows
    // the canvas, takes the keys and feeds the sound meanwhile. A sleep shorter than a timer's
    // grain comes back at once, and the caller looks at the clock again.
    emscripten_sleep(ns < TimerGrain ? 0 : static_cast<unsigned>(ns / FrameClock::Millisecond));
}

// One timer's grain, so that a loop that only polls does not spin.
const int64_t PollPause = TimerGrain;

// One thread in the page: every file is read when it is loaded.
const bool ReadsAhead = false;

bool AssetFileToCome(const std::string& path) {
    return PackedFileToCome(path.c_str()) != 0;
}

void AwaitAssetFile(const std::string& path) {
    if (AssetFileToCome(path)) WaitForPackedFile(path.c_str());
}

void ReadHostKeys(uint8_t state[256]) {
    const int touch = ReadPageTouch();
    for (size_t button = 0; button < std::size(TouchButtonKeys); ++button) {
        if ((touch & (1 << button)) != 0) state[TouchButtonKeys[button]] = 0x80;
    }
    const uint8_t typed = KeyOfTyped((touch >> 8) & 0xFF);
    if (typed != 0) state[typed] = 0x80;
}

void AnnounceKeyMode(KeyMode mode) {
    TellPageKeyMode(static_cast<int>(mode));  // 0 the menus, 1 play, 2 a name, 3 the pause
}

void AnnounceProgramEnd(int status) {
    TellPageProgramEnded(status);
}
