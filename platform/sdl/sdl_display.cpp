// The SDL platform's window and pictures, and the frames with their pace: composed here on the
// CPU into the window's own pixels (sdl_software_frame.h), or, with a real graphics card, through
// an SDL renderer into a 1024x768 target that it scales.
#include <SDL_image.h>

#include <algorithm>
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

// Every pixel at full alpha (a backdrop, a JPEG): such a picture covers what is below it.
bool IsOpaque(const DecodedImage& image) {
    return !image.Pixels.empty() && std::all_of(image.Pixels.begin(), image.Pixels.end(),
                                                [](uint32_t pixel) { return pixel >> 24 == 255; });
}

void ReportUnusablePicture(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(), reason.c_str());
}

}  // namespace

// --- The window ----------------------------------------------------------------------------------

bool SdlPlatform::FailDisplay(const char* reason) {
    std::fprintf(stderr, "zantorvix: cannot open a display: %s\n", reason);
    CloseDisplay();
    return false;
}

bool SdlPlatform::OpenDisplay(const char* title) {
    if (Window != nullptr) return true;
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
    Spent = FrameCosts{};

    if (Render == nullptr) {
        Frame = std::make_unique<SoftwareFrame>();
        Pacing = FrameClock(false);  // nothing here waits for the refresh
    } else {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(Render, &info);
        // Only a renderer that draws through OpenGL can wait for the refresh; SDL would
        // otherwise imitate the wait with whole-millisecond sleeps, which the frame clock does
        // better.
        const bool openGl = NamesOpenGl(info.name) && PresentsWaitForRefresh();
        VSyncOn = Options.VSync && openGl && SDL_GL_SetSwapInterval(1) == 0 &&
                  SDL_GL_GetSwapInterval() != 0;
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
    }

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
    const bool softwareNamed = rendererNamed && SDL_strcasecmp(named, "software") == 0;
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
    if (rendererNamed && !softwareNamed) {
        Render = SDL_CreateRenderer(Window, -1, target);
    } else if (!rendererNamed && forOpenGl && !OpenGlIsSoftware(Window)) {
        // A real graphics card draws the frame for next to nothing.
        Render =
            SDL_CreateRenderer(Window, RendererIndex("opengl"), SDL_RENDERER_ACCELERATED | target);
        if (Render == nullptr) {
            Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | target);
        }
    }
    if (Render != nullptr) return true;
    // Without one, the frames are composed here and written straight into the window's own
    // pixels (on X, its shared memory), which OpenGL in software would do at many times the
    // cost. (Without this hint SDL would put an OpenGL texture behind those pixels.)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_GetWindowSurface(Window) != nullptr) return true;
    Render = SDL_CreateRenderer(Window, -1, target);
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

void SdlPlatform::CloseDisplay() {
    Reader.Stop();
    for (Picture& picture : Pictures) {
        if (picture.Texture != nullptr) SDL_DestroyTexture(picture.Texture);
        picture = Picture{};
    }
    Frame.reset();
    ShownSurface = nullptr;
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

std::string SdlPlatform::RendererName() const {
    if (Frame) return "software";
    SDL_RendererInfo info{};
    if (Render == nullptr || SDL_GetRendererInfo(Render, &info) != 0) return "";
    return info.name;
}

// --- The frames ----------------------------------------------------------------------------------

void SdlPlatform::BeginFrame() {
    Pending.clear();
}

void SdlPlatform::EndFrame() {
    PolledSinceWait = false;
    if (Window == nullptr) return;
    ++Spent.Frames;
    if (PictureLost()) ScreenStale = true;
    if (Frame) {
        ShowComposedFrame();
    } else {
        ShowRenderedFrame();
    }
    Pending.clear();
    PumpEvents();
    if (Options.PaceFrames) WaitUntil(Pacing.NextFrameAt(NowNs()));
}

void SdlPlatform::ShowComposedFrame() {
    const int64_t began = NowNs();
    SDL_Surface* surface = SDL_GetWindowSurface(Window);
    if (surface == nullptr) return;
    const SDL_Rect viewport = FrameViewport(surface->w, surface->h);
    PlaceFrame(surface, viewport);
    const ChangedArea changed = ComposeChanges();
    const int64_t composed = NowNs();
    const std::vector<SDL_Rect> shown = PutIntoWindow(surface, viewport, changed);
    const int64_t put = NowNs();
    PresentWindowPixels(Window, shown.data(), static_cast<int>(shown.size()));
    Spent.ComposeNs += composed - began;
    Spent.ScaleNs += put - composed;
    Spent.PresentNs += NowNs() - put;
    Spent.NewFrames += shown.empty() ? 0 : 1;
}

void SdlPlatform::PlaceFrame(SDL_Surface* surface, const SDL_Rect& viewport) {
    // Where the window shows the frame at its own size, and its pixels' top byte is no alpha,
    // the frame is composed right there: no copy of it is needed at all.
    uint32_t* corner = nullptr;
    if (surface->format->format == SDL_PIXELFORMAT_RGB888 && viewport.w == ScreenWidth &&
        viewport.h == ScreenHeight) {
        corner = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                             static_cast<ptrdiff_t>(viewport.y) * surface->pitch) +
                 viewport.x;
    }
    if (corner == Frame->Placed()) return;
    Frame->Place(corner, surface->pitch / 4);
    ShownValid = false;  // composed anew where it now stands
}

ChangedArea SdlPlatform::ComposeChanges() {
    // Most frames show exactly what the last one showed, or differ in a few small pictures (a
    // piece moved, a digit turned): only those parts are composed anew.
    ChangedArea changed;
    if (!Options.DrawLess || !ShownValid) {
        changed.AddWholeFrame();
    } else {
        changed = FindChanges(Shown, Pending);
    }
    for (const SDL_Rect& part : changed.Rects()) {
        Frame->Compose(part, Pending, [this](TextureId id, bool& opaque) {
            const DecodedImage* pixels = PixelsOf(id);
            opaque = pixels != nullptr && Pictures[static_cast<size_t>(id)].Opaque;
            return pixels;
        });
    }
    Shown.swap(Pending);
    ShownValid = true;
    return changed;
}

std::vector<SDL_Rect> SdlPlatform::PutIntoWindow(SDL_Surface* surface, const SDL_Rect& viewport,
                                                 const ChangedArea& changed) {
    // The whole window again after a resize or an exposure, bars and all; otherwise only where
    // the changed parts show.
    const bool whole = surface != ShownSurface || ScreenStale || !Options.DrawLess;
    ShownSurface = surface;
    ScreenStale = false;
    Scaler.Resize(viewport.w, viewport.h);
    std::vector<SDL_Rect> parts;
    if (whole) {
        parts.push_back({0, 0, viewport.w, viewport.h});
    } else {
        for (const SDL_Rect& part : changed.Rects()) parts.push_back(Scaler.Affected(part));
    }
    if (whole) FillBars(surface, viewport);
    if (Frame->Placed() == nullptr) {
        for (const SDL_Rect& part : parts) PutPart(surface, viewport, part);
    }
    if (whole) return {{0, 0, surface->w, surface->h}};
    for (SDL_Rect& part : parts) {
        part.x += viewport.x;
        part.y += viewport.y;
    }
    return parts;
}

void SdlPlatform::FillBars(SDL_Surface* surface, const SDL_Rect& viewport) {
    const int w = surface->w, h = surface->h;
    const SDL_Rect bars[4] = {
        {0, 0, w, viewport.y},
        {0, viewport.y + viewport.h, w, h - viewport.y - viewport.h},
        {0, viewport.y, viewport.x, viewport.h},
        {viewport.x + viewport.w, viewport.y, w - viewport.x - viewport.w, viewport.h}};
    for (const SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0)
            SDL_FillRect(surface, &bar, SDL_MapRGB(surface->format, 0, 0, 0));
    }
}

void SdlPlatform::PutPart(SDL_Surface* surface, const SDL_Rect& viewport, const SDL_Rect& part) {
    const Uint32 format = surface->format->format;
    auto* corner = static_cast<uint8_t*>(surface->pixels) +
                   static_cast<ptrdiff_t>(viewport.y) * surface->pitch + viewport.x * 4;
    // A page's canvas takes the bytes as they are, its alpha included.
    if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888 ||
        format == SDL_PIXELFORMAT_ABGR8888 || format == SDL_PIXELFORMAT_BGR888) {
        const WindowPixels kind = format == SDL_PIXELFORMAT_RGB888     ? WindowPixels::Xrgb
                                  : format == SDL_PIXELFORMAT_ARGB8888 ? WindowPixels::Argb
                                                                       : WindowPixels::Abgr;
        Scaler.Put(*Frame, part, corner, surface->pitch, kind);
        return;
    }
    // A window of some other kind of pixel: put as 0xAARRGGBB, then converted by SDL.
    std::vector<uint32_t> spare(static_cast<size_t>(viewport.w) * static_cast<size_t>(viewport.h));
    Scaler.Put(*Frame, part, reinterpret_cast<uint8_t*>(spare.data()), viewport.w * 4,
               WindowPixels::Argb);
    SDL_ConvertPixels(part.w, part.h, SDL_PIXELFORMAT_ARGB8888,
                      spare.data() + static_cast<ptrdiff_t>(part.y) * viewport.w + part.x,
                      viewport.w * 4, format,
                      static_cast<uint8_t*>(surface->pixels) +
                          static_cast<ptrdiff_t>(viewport.y + part.y) * surface->pitch +
                          (viewport.x + part.x) * surface->format->BytesPerPixel,
                      surface->pitch);
}

void SdlPlatform::ShowRenderedFrame() {
    const int64_t began = NowNs();
    // Most frames show exactly what the last one showed (a piece falls one row in 20 frames,
    // a menu stands still): then the composed picture is kept as it is.
    const bool changed = !Options.DrawLess || !ShownValid || Pending != Shown;
    if (changed) {
        Compose();
        Shown.swap(Pending);
        ShownValid = true;
    }
    const int64_t composed = NowNs();
    // A renderer's back buffer must be filled every time.
    SDL_SetRenderTarget(Render, nullptr);
    SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
    SDL_RenderClear(Render);  // the bars around a frame that does not fill the screen
    SDL_RenderCopy(Render, Target, nullptr, nullptr);
    ScreenStale = false;
    const int64_t scaled = NowNs();
    PresentFrame(Render, true);
    Spent.ComposeNs += composed - began;
    Spent.ScaleNs += scaled - composed;
    Spent.PresentNs += NowNs() - scaled;
    Spent.NewFrames += changed ? 1 : 0;
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
        const PictureDraw& draw = Pending[count];
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

void SdlPlatform::Draw(const PictureDraw& draw) {
    SDL_Texture* picture = TextureOf(draw.Texture);
    if (picture == nullptr) return;  // released since it was queued
    const uint32_t colour = draw.Colour;
    SDL_SetTextureColorMod(picture, static_cast<Uint8>(colour >> 16),
                           static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
    SDL_SetTextureAlphaMod(picture, static_cast<Uint8>(colour >> 24));
    SDL_RenderCopy(Render, picture, nullptr, &draw.Where);
}

std::vector<uint32_t> SdlPlatform::ReadFrame() {
    if (Frame) return Frame->All();
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

// --- The pictures --------------------------------------------------------------------------------

void SdlPlatform::PreparePicture(const char* file) {
    Reader.Prepare(AssetPath(file), FileReader::Kind::Picture);
}

void SdlPlatform::PreparePictureOnDemand(const char* file) {
    Reader.Prepare(AssetPath(file), FileReader::Kind::CheckedPicture);
}

TextureId SdlPlatform::LoadTexture(const char* file, int32_t* width, int32_t* height) {
    const TextureId id = AddPicture(file, false);
    *width = id == 0 ? 0 : Pictures[static_cast<size_t>(id)].Image.Width;
    *height = id == 0 ? 0 : Pictures[static_cast<size_t>(id)].Image.Height;
    return id;
}

TextureId SdlPlatform::LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) {
    const TextureId id = AddPicture(file, true);
    *width = id == 0 ? 0 : Pictures[static_cast<size_t>(id)].Image.Width;
    *height = id == 0 ? 0 : Pictures[static_cast<size_t>(id)].Image.Height;
    return id;
}

TextureId SdlPlatform::AddPicture(const char* file, bool wantedOnDemand) {
    PumpEvents();  // a close during loading is answered between two pictures
    // Without a second thread (a page) a picture's pixels could only be made between two frames,
    // and a backdrop takes several frames' time to decode: every picture keeps its pixels there.
    const bool onDemand = wantedOnDemand && ReadsAhead;
    const std::string path = AssetPath(file);
    AwaitAssetFile(path);
    if (Window == nullptr) {
        ReportUnusablePicture(path, "no display is open");
        return 0;
    }
    ReadFile read;
    const FileReader::Kind kind =
        onDemand ? FileReader::Kind::CheckedPicture : FileReader::Kind::Picture;
    if (!Reader.Take(path, kind, read)) {
        if (onDemand) {
            read.Picture = CheckPicture(path, read.Image, read.Error);
            read.Read = read.Picture != nullptr;
        } else {
            read.Read = ReadPicture(path, read.Image, read.Error);
        }
    }
    if (!read.Read) {
        ReportUnusablePicture(path, read.Error);
        return 0;
    }
    // A renderer's texture is made when the picture is first drawn: a picture of the loading
    // screen is made inside a frame that waits for its turn anyway.
    Picture picture;
    picture.Path = path;
    picture.Loaded = true;
    picture.Image = std::move(read.Image);  // its size only, when it was only checked
    picture.Opaque = IsOpaque(picture.Image);
    picture.File = std::move(read.Picture);
    picture.Wanted = !onDemand;
    Pictures.push_back(std::move(picture));
    return static_cast<TextureId>(Pictures.size() - 1);
}

SdlPlatform::Picture* SdlPlatform::PictureAt(TextureId id) {
    if (id <= 0 || static_cast<size_t>(id) >= Pictures.size()) return nullptr;
    Picture& picture = Pictures[static_cast<size_t>(id)];
    return picture.Loaded ? &picture : nullptr;
}

const DecodedImage* SdlPlatform::PixelsOf(TextureId id) {
    Picture* picture = PictureAt(id);
    if (picture == nullptr) return nullptr;
    if (!picture->Image.Pixels.empty()) return &picture->Image;
    if (picture->File == nullptr) return nullptr;
    // Made ahead on the reading thread, or now when it is drawn before it was wanted.
    ReadFile made;
    if (!picture->Decoding || !Reader.Take(picture->Path, FileReader::Kind::Pixels, made)) {
        made.Read = DecodePicture(picture->Path, *picture->File, made.Image, made.Error);
    }
    picture->Decoding = false;
    if (!made.Read) {
        ReportUnusablePicture(picture->Path, made.Error);
        picture->File = nullptr;  // once
        return nullptr;
    }
    picture->Image = std::move(made.Image);
    picture->Opaque = IsOpaque(picture->Image);
    return &picture->Image;
}

void SdlPlatform::WantTexture(TextureId id, bool wanted) {
    Picture* picture = PictureAt(id);
    if (picture == nullptr || picture->File == nullptr || picture->Wanted == wanted) return;
    picture->Wanted = wanted;
    const bool held = !picture->Image.Pixels.empty() || picture->Texture != nullptr;
    if (wanted) {
        if (!held) {
            Reader.Prepare(picture->Path, FileReader::Kind::Pixels, picture->File);
            picture->Decoding = true;
        }
        return;
    }
    if (picture->Decoding) Reader.Forget(picture->Path);
    picture->Decoding = false;
    const int32_t width = picture->Image.Width, height = picture->Image.Height;
    picture->Image = DecodedImage{};
    picture->Image.Width = width;
    picture->Image.Height = height;
    if (picture->Texture != nullptr) SDL_DestroyTexture(picture->Texture);
    picture->Texture = nullptr;
    LayerTextures.clear();
}

size_t SdlPlatform::PicturesHeld() const {
    size_t held = 0;
    for (const Picture& picture : Pictures) {
        held += picture.Loaded && (!picture.Image.Pixels.empty() || picture.Texture != nullptr);
    }
    return held;
}

SDL_Texture* SdlPlatform::TextureOf(TextureId id) {
    Picture* picture = PictureAt(id);
    if (picture == nullptr) return nullptr;
    if (picture->Texture != nullptr) return picture->Texture;
    const DecodedImage* image = PixelsOf(id);
    if (image == nullptr) return nullptr;
    SDL_Texture* texture = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, image->Width, image->Height);
    if (texture == nullptr ||
        SDL_UpdateTexture(texture, nullptr, image->Pixels.data(), image->Width * 4) != 0) {
        ReportUnusablePicture(picture->Path, SDL_GetError());
        if (texture != nullptr) SDL_DestroyTexture(texture);
        *picture = Picture{};  // drawn as nothing from now on
        return nullptr;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    picture->Texture = texture;
    // The texture holds the pixels now.
    const int32_t width = image->Width, height = image->Height;
    picture->Image = DecodedImage{};
    picture->Image.Width = width;
    picture->Image.Height = height;
    return texture;
}

void SdlPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                              int32_t height, uint32_t colour) {
    if (PictureAt(texture) == nullptr) return;
    Pending.push_back({texture, {x, y, width, height}, colour});
}

void SdlPlatform::ReleaseTexture(TextureId texture) {
    Picture* picture = PictureAt(texture);
    if (picture == nullptr) return;
    if (picture->Decoding) Reader.Forget(picture->Path);
    if (picture->Texture != nullptr) SDL_DestroyTexture(picture->Texture);
    *picture = Picture{};
    ShownValid = false;  // a picture of the kept frame may be gone
    LayerTextures.clear();
}
