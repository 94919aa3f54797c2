// The SDL platform's window and renderer: the window (full screen or not), the 1024x768
// composing target, the pictures, and the frames with their pace.
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/sdl_renderer_choice.h"

namespace {

constexpr const char* IconFile = "gfx//icon.png";

bool IsInvisibleVideoDriver(const char* driver) {
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace

bool SdlPlatform::FailDisplay(const char* reason) {
    std::fprintf(stderr, "zantorvix: cannot open a display: %s\n", reason);
    CloseDisplay();
    return false;
}

bool SdlPlatform::OpenDisplay(const char* title) {
    if (Render != nullptr) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return FailDisplay(SDL_GetError());
    VideoOpen = true;
    // With no X or Wayland display, SDL quietly falls back on drivers that show nothing; the
    // game would then run unseen. They are used only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver != nullptr && IsInvisibleVideoDriver(driver) &&
        (requested == nullptr || std::strstr(requested, driver) == nullptr)) {
        return FailDisplay("no X11 or Wayland display is available");
    }
    if (!CreateWindowAndRenderer(title)) return FailDisplay(SDL_GetError());

    SDL_RendererInfo info{};
    SDL_GetRendererInfo(Render, &info);
    KeepsScreen = std::strcmp(info.name, "software") == 0;
    // Only a renderer that draws through OpenGL can wait for the refresh; SDL would otherwise
    // imitate the wait with whole-millisecond sleeps, which the frame clock does better.
    const bool openGl = NamesOpenGl(info.name) && PresentsWaitForRefresh();
    VSyncOn =
        Options.VSync && openGl && SDL_GL_SetSwapInterval(1) == 0 && SDL_GL_GetSwapInterval() != 0;
    if (!VSyncOn && openGl) SDL_GL_SetSwapInterval(0);
    SDL_DisplayMode mode{};
    const bool sixtyHertz = SDL_GetWindowDisplayMode(Window, &mode) == 0 &&
                            mode.refresh_rate >= 59 && mode.refresh_rate <= 61;
    Pacing = FrameClock(VSyncOn && sixtyHertz);
    SDL_RenderSetLogicalSize(Render, ScreenWidth, ScreenHeight);

    Target = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               ScreenWidth, ScreenHeight);
    if (Target == nullptr) return FailDisplay(SDL_GetError());
    SDL_SetTextureBlendMode(Target, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(Target, SDL_ScaleModeLinear);

    SDL_ShowCursor(SDL_DISABLE);
    SetWindowIcon();
    return true;
}

bool SdlPlatform::CreateWindowAndRenderer(const char* title) {
    // Full screen is made at the desktop's own size: without a window manager (a bare X
    // server) the full-screen request is not carried out, and the window would stay 1024x768
    // while SDL draws for the whole desktop.
    FullScreen = ReadFullScreenChoice();
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
        desktop.w = ScreenWidth;
        desktop.h = ScreenHeight;
    }
    int width = desktop.w, height = desktop.h;
    if (!FullScreen) WindowSizeFor(0, width, height);
    const WindowSystemFacts facts = LookAtWindowSystem();
    const char* named = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    const bool rendererNamed = named != nullptr && *named != '\0';
    // The window is made for OpenGL at once where OpenGL may be used, so that SDL never has to
    // make it a second time; where OpenGL can only draw in software it is not loaded at all.
    bool forOpenGl = rendererNamed ? NamesOpenGl(named) : facts.DirectRendering;

    Uint32 flags = SDL_WINDOW_RESIZABLE | HostWindowFlags();
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (FullScreen && facts.X11 && !facts.WindowManager) {
        // Nobody would confirm a full-screen request, and SDL would wait for it: the window
        // covers the desktop by its own size and place instead.
        x = 0;
        y = 0;
    } else if (FullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    Window =
        SDL_CreateWindow(title, x, y, width, height, flags | (forOpenGl ? SDL_WINDOW_OPENGL : 0));
    if (Window == nullptr && forOpenGl) {
        forOpenGl = false;
        Window = SDL_CreateWindow(title, x, y, width, height, flags);
    }
    if (Window == nullptr) return false;
    SDL_SetWindowMinimumSize(Window, ScreenWidth / 4, ScreenHeight / 4);

    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    const Uint32 target = SDL_RENDERER_TARGETTEXTURE;
    if (rendererNamed) {
        Render = SDL_CreateRenderer(Window, -1, target);
    } else if (forOpenGl && !OpenGlIsSoftware(Window)) {
        // A real graphics card draws the frame for next to nothing.
        Render =
            SDL_CreateRenderer(Window, RendererIndex("opengl"), SDL_RENDERER_ACCELERATED | target);
        if (Render == nullptr) {
            Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | target);
        }
    }
    if (Render == nullptr) {
        // OpenGL in software draws the same picture at many times the cost of SDL's own
        // software renderer, which writes straight into the window's shared memory. (Without
        // this hint SDL would test OpenGL once more with a hidden window of its own.)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        Render =
            SDL_CreateRenderer(Window, RendererIndex("software"), SDL_RENDERER_SOFTWARE | target);
    }
    if (Render == nullptr) Render = SDL_CreateRenderer(Window, -1, target);
    return Render != nullptr;
}

void SdlPlatform::SetWindowIcon() {
    const std::string path = AssetPath(IconFile);
    std::error_code ignored;
    // The names are UTF-8 on every system (SDL's too); a path made of a plain string would be
    // read in Windows' ANSI code page.
    if (!std::filesystem::exists(std::u8string(path.begin(), path.end()), ignored)) return;
    SDL_Surface* icon = IMG_Load(path.c_str());
    if (icon == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     IMG_GetError());
        return;
    }
    SDL_SetWindowIcon(Window, icon);
    SDL_FreeSurface(icon);
}

void SdlPlatform::PreparePicture(const char* file) {
    Reader.Prepare(AssetPath(file), FileReader::Kind::Picture);
}

void SdlPlatform::CloseDisplay() {
    Reader.Stop();
    for (SDL_Texture*& texture : Textures) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    for (UnmadeTexture& unmade : Unmade) unmade = UnmadeTexture{};
    if (Layer != nullptr) SDL_DestroyTexture(Layer);
    Layer = nullptr;
    LayerTextures.clear();
    if (Target != nullptr) SDL_DestroyTexture(Target);
    Target = nullptr;
    if (Render != nullptr) SDL_DestroyRenderer(Render);
    Render = nullptr;
    if (Window != nullptr) SDL_DestroyWindow(Window);
    Window = nullptr;
    if (VideoOpen) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoOpen = false;
    Pending.clear();
    Shown.clear();
    ShownValid = false;
    ScreenStale = true;
}

void SdlPlatform::BeginFrame() {
    Pending.clear();
}

void SdlPlatform::EndFrame() {
    PolledSinceWait = false;
    if (Render == nullptr) return;
    // Most frames show exactly what the last one showed (a piece falls one row in 20 frames,
    // a menu stands still): then the composed picture is kept as it is.
    const bool changed = !Options.DrawLess || !ShownValid || Pending != Shown;
    if (changed) {
        Compose();
        Shown.swap(Pending);
        ShownValid = true;
    }
    // The software renderer draws into the window's own picture, which stays between presents;
    // OpenGL's back buffer must be filled every time.
    if (PictureLost()) ScreenStale = true;
    const bool redraw = changed || ScreenStale || !KeepsScreen || !Options.DrawLess;
    if (redraw) {
        SDL_SetRenderTarget(Render, nullptr);
        SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
        SDL_RenderClear(Render);  // the bars around a frame that does not fill the screen
        SDL_RenderCopy(Render, Target, nullptr, nullptr);
        ScreenStale = false;
    }
    PresentFrame(Render, redraw);
    Pending.clear();
    PumpEvents();
    if (Options.PaceFrames) WaitUntil(Pacing.NextFrameAt(NowNs()));
}

void SdlPlatform::Compose() {
    SDL_SetRenderTarget(Render, Target);
    size_t next = Options.DrawLess ? DrawCachedLayer() : 0;
    if (next == 0) {
        SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
        SDL_RenderClear(Render);
    }
    for (; next < Pending.size(); ++next) Draw(Pending[next]);
}

size_t SdlPlatform::DrawCachedLayer() {
    // The level's backdrop and the HUD frame open every frame of play, both full screen and
    // with one tint; they change only with the level and during fades. Composed over black once,
    // they are then copied as one opaque picture, which is what they would blend to anyway.
    size_t count = 0;
    while (count < Pending.size()) {
        const QueuedDraw& draw = Pending[count];
        if (draw.Where.x != 0 || draw.Where.y != 0 || draw.Where.w != ScreenWidth ||
            draw.Where.h != ScreenHeight || draw.Colour != Pending[0].Colour) {
            break;
        }
        ++count;
    }
    if (count < 2) return 0;
    bool same =
        Layer != nullptr && LayerTextures.size() == count && LayerColour == Pending[0].Colour;
    for (size_t i = 0; same && i < count; ++i) same = LayerTextures[i] == Pending[i].Texture;
    if (!same) {
        if (Layer == nullptr) {
            Layer = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                      ScreenWidth, ScreenHeight);
            if (Layer == nullptr) return 0;
            SDL_SetTextureBlendMode(Layer, SDL_BLENDMODE_NONE);
        }
        SDL_SetRenderTarget(Render, Layer);
        SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
        SDL_RenderClear(Render);
        LayerTextures.clear();
        for (size_t i = 0; i < count; ++i) {
            Draw(Pending[i]);
            LayerTextures.push_back(Pending[i].Texture);
        }
        LayerColour = Pending[0].Colour;
        SDL_SetRenderTarget(Render, Target);
    }
    SDL_RenderCopy(Render, Layer, nullptr, nullptr);
    return count;
}

void SdlPlatform::Draw(const QueuedDraw& draw) {
    SDL_Texture* picture = TextureOf(draw.Texture);
    if (picture == nullptr) return;  // released since it was queued
    const uint32_t colour = draw.Colour;
    SDL_SetTextureColorMod(picture, static_cast<Uint8>(colour >> 16),
                           static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
    SDL_SetTextureAlphaMod(picture, static_cast<Uint8>(colour >> 24));
    SDL_RenderCopy(Render, picture, nullptr, &draw.Where);
}

TextureId SdlPlatform::LoadTexture(const char* file, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    PumpEvents();  // a close during loading is answered between two pictures
    const std::string path = AssetPath(file);
    AwaitAssetFile(path);
    if (Render == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: no display is open\n",
                     path.c_str());
        return 0;
    }
    ReadFile picture;
    if (!Reader.Take(path, FileReader::Kind::Picture, picture)) {
        picture.Read = ReadPicture(path, picture.Image, picture.Error);
        if (picture.Read) KeyOutMagenta(picture.Image.Pixels);
    }
    if (!picture.Read) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     picture.Error.c_str());
        return 0;
    }
    DecodedImage& image = picture.Image;
    // The texture itself is made when the picture is first drawn: a level's backdrop costs
    // nothing until the level is reached, and a picture of the loading screen is made inside
    // a frame that waits for its turn anyway.
    *width = image.Width;
    *height = image.Height;
    Textures.push_back(nullptr);
    Unmade.push_back({path, std::move(image)});
    return static_cast<TextureId>(Textures.size() - 1);
}

SDL_Texture* SdlPlatform::TextureOf(TextureId id) {
    const size_t index = static_cast<size_t>(id);
    if (Textures[index] != nullptr || Unmade[index].Image.Pixels.empty()) return Textures[index];
    UnmadeTexture& unmade = Unmade[index];
    const DecodedImage& image = unmade.Image;
    SDL_Texture* texture = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, image.Width, image.Height);
    if (texture == nullptr ||
        SDL_UpdateTexture(texture, nullptr, image.Pixels.data(), image.Width * 4) != 0) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", unmade.Path.c_str(),
                     SDL_GetError());
        if (texture != nullptr) SDL_DestroyTexture(texture);
        texture = nullptr;
    } else {
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    }
    unmade = UnmadeTexture{};
    Textures[index] = texture;
    return texture;
}

void SdlPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                              int32_t height, uint32_t colour) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    const size_t index = static_cast<size_t>(texture);
    if (Textures[index] == nullptr && Unmade[index].Image.Pixels.empty()) return;
    Pending.push_back({texture, {x, y, width, height}, colour});
}

void SdlPlatform::ReleaseTexture(TextureId texture) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    SDL_Texture*& picture = Textures[static_cast<size_t>(texture)];
    if (picture != nullptr) SDL_DestroyTexture(picture);
    picture = nullptr;
    Unmade[static_cast<size_t>(texture)] = UnmadeTexture{};
    ShownValid = false;  // a picture of the kept frame may be gone
    LayerTextures.clear();
}

std::vector<uint32_t> SdlPlatform::ReadFrame() {
    if (Render == nullptr) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(ScreenWidth) * ScreenHeight);
    SDL_Texture* previous = SDL_GetRenderTarget(Render);
    SDL_SetRenderTarget(Render, Target);
    const int result = SDL_RenderReadPixels(Render, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                            pixels.data(), ScreenWidth * 4);
    SDL_SetRenderTarget(Render, previous);
    if (result != 0) return {};
    return pixels;
}
