#include "platform/sdl/sdl_platform.h"

#include <SDL_image.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>

#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

constexpr const char* IconFile = "gfx//icon.png";

// The game's volumes run 0 to 255, the mixer's 0 to 128; no audible volume rounds to silence.
int MixerVolume(int32_t volume) {
    return (volume * MIX_MAX_VOLUME + 254) / 255;
}

int32_t ClampVolume(int32_t volume) {
    return std::clamp(volume, 0, 255);
}

bool IsInvisibleVideoDriver(const char* driver) {
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options) {
    return std::make_unique<SdlPlatform>(options);
}

SdlPlatform::SdlPlatform(const SdlPlatformOptions& options)
    : Options(options), Start(std::chrono::steady_clock::now()) {
    std::fill(std::begin(ChannelVolumes), std::end(ChannelVolumes), 255);
}

SdlPlatform::~SdlPlatform() {
    if (MixerOpen) {
        Mix_HaltChannel(-1);
        for (Mix_Chunk* chunk : Samples) {
            if (chunk != nullptr) Mix_FreeChunk(chunk);
        }
        Mix_CloseAudio();
    }
    Mix_Quit();
    if (AudioOpen) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    CloseDisplay();
    IMG_Quit();
    SDL_Quit();
}

// --- Window and renderer -------------------------------------------------------------------

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
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);

    // Made at the desktop's own size: without a window manager (a bare X server) the
    // full-screen request is not carried out, and the window would stay 1024x768 while SDL
    // draws for the whole desktop.
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
        desktop.w = ScreenWidth;
        desktop.h = ScreenHeight;
    }
    Window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, desktop.w,
                              desktop.h, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (Window == nullptr) return FailDisplay(SDL_GetError());

    Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (Render == nullptr) {
        Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    if (Render == nullptr) return FailDisplay(SDL_GetError());
    // Where the driver cannot wait for the refresh itself, SDL paces the presents instead.
    SDL_RenderSetVSync(Render, Options.VSync ? 1 : 0);
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

void SdlPlatform::SetWindowIcon() {
    const std::string path = LinuxPath(IconFile);
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) return;
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
    for (SDL_Texture*& texture : Textures) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    if (Target != nullptr) SDL_DestroyTexture(Target);
    Target = nullptr;
    if (Render != nullptr) SDL_DestroyRenderer(Render);
    Render = nullptr;
    if (Window != nullptr) SDL_DestroyWindow(Window);
    Window = nullptr;
    if (VideoOpen) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoOpen = false;
}

void SdlPlatform::BeginFrame() {
    if (Render == nullptr) return;
    SDL_SetRenderTarget(Render, Target);
    SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
    SDL_RenderClear(Render);
}

void SdlPlatform::EndFrame() {
    if (Render == nullptr) return;
    SDL_SetRenderTarget(Render, nullptr);
    SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
    SDL_RenderClear(Render);  // the bars around a frame that does not fill the screen
    SDL_RenderCopy(Render, Target, nullptr, nullptr);
    SDL_RenderPresent(Render);
}

TextureId SdlPlatform::LoadTexture(const char* file, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    const std::string path = LinuxPath(file);
    if (Render == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: no display is open\n",
                     path.c_str());
        return 0;
    }
    DecodedImage image;
    std::string error;
    if (!ReadPicture(path, image, error)) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     error.c_str());
        return 0;
    }
    KeyOutMagenta(image.Pixels);
    SDL_Texture* texture = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, image.Width, image.Height);
    if (texture == nullptr ||
        SDL_UpdateTexture(texture, nullptr, image.Pixels.data(), image.Width * 4) != 0) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     SDL_GetError());
        if (texture != nullptr) SDL_DestroyTexture(texture);
        return 0;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    Textures.push_back(texture);
    *width = image.Width;
    *height = image.Height;
    return static_cast<TextureId>(Textures.size() - 1);
}

void SdlPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                              int32_t height, uint32_t colour) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    SDL_Texture* picture = Textures[static_cast<size_t>(texture)];
    if (picture == nullptr) return;
    SDL_SetTextureColorMod(picture, static_cast<Uint8>(colour >> 16),
                           static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
    SDL_SetTextureAlphaMod(picture, static_cast<Uint8>(colour >> 24));
    const SDL_Rect where{x, y, width, height};
    SDL_RenderCopy(Render, picture, nullptr, &where);
}

void SdlPlatform::ReleaseTexture(TextureId texture) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    SDL_Texture*& picture = Textures[static_cast<size_t>(texture)];
    if (picture != nullptr) SDL_DestroyTexture(picture);
    picture = nullptr;
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

// --- Window messages and keyboard ------------------------------------------------------------

void SdlPlatform::Notice(const SDL_Event& event) {
    if (event.type == SDL_QUIT ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        Closed = true;
    }
}

void SdlPlatform::TakeWindowMessage() {
    if (!VideoOpen) return;
    SDL_Event event;
    if (SDL_PollEvent(&event)) Notice(event);
}

void SdlPlatform::CreateKeyboard() {
    // The game reads whole-key states only; text input would let an input method catch keys.
    if (VideoOpen) SDL_StopTextInput();
}

void SdlPlatform::PollKeyboard(uint8_t state[256]) {
    std::fill(state, state + 256, uint8_t{0});
    if (!VideoOpen) return;
    SDL_PumpEvents();
    // Scenes that take no window messages (the loading screen, the pause, the score screen)
    // would otherwise let the queue fill up until SDL drops events, the close request included.
    // The game handles no message but the close request, so everything waiting is taken here.
    SDL_Event events[64];
    int taken;
    do {
        taken = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (int i = 0; i < taken; ++i) Notice(events[i]);
    } while (taken == 64);

    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (keys[scancode] == 0) continue;
        const uint8_t code = DirectInputCodeOf(static_cast<SDL_Scancode>(scancode));
        if (code != 0) state[code] = 0x80;
    }
}

// --- Sound -----------------------------------------------------------------------------------

bool SdlPlatform::OpenMixer(std::string& reason) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return false;
    }
    AudioOpen = true;
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        reason = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioOpen = false;
        return false;
    }
    MixerOpen = true;
    return true;
}

void SdlPlatform::OpenSound() {
    if (MixerOpen) return;
    Mix_Init(MIX_INIT_MP3);
    std::string reason;
    if (!OpenMixer(reason)) {
        std::fprintf(stderr, "zantorvix: no audio device (%s); playing silently\n", reason.c_str());
        // The silent driver keeps every channel operation working, so the game runs the same.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (!OpenMixer(reason)) {
            std::fprintf(stderr, "zantorvix: cannot even open silent audio (%s)\n", reason.c_str());
            return;
        }
    }
    Mix_AllocateChannels(ChannelCount);
    for (int32_t channel = 0; channel < ChannelCount; ++channel) {
        Mix_Volume(channel, MixerVolume(ChannelVolumes[channel]));
    }
    Mix_MasterVolume(MixerVolume(MasterVolume));
}

SampleId SdlPlatform::LoadSample(const char* file) {
    const std::string path = LinuxPath(file);
    if (!MixerOpen) {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: sound is not open\n", path.c_str());
        return -1;
    }
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return -1;
    }
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (chunk == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: %s\n", path.c_str(), Mix_GetError());
        return -1;
    }
    Samples.push_back(chunk);
    return static_cast<SampleId>(Samples.size() - 1);
}

void SdlPlatform::PlaySound(int32_t channel, SampleId sample) {
    if (!ValidChannel(channel)) return;
    ChannelVolumes[channel] = 255;  // a sample starts at full volume unless one is set after
    if (!MixerOpen) return;
    Mix_Chunk* chunk = nullptr;
    if (sample >= 0 && static_cast<size_t>(sample) < Samples.size()) {
        chunk = Samples[static_cast<size_t>(sample)];
    }
    Mix_Volume(channel, MIX_MAX_VOLUME);
    if (chunk == nullptr) {
        Mix_HaltChannel(channel);
        return;
    }
    Mix_PlayChannel(channel, chunk, 0);
}

void SdlPlatform::StopSound(int32_t channel) {
    if (ValidChannel(channel) && MixerOpen) Mix_HaltChannel(channel);
}

bool SdlPlatform::IsPlaying(int32_t channel) {
    return ValidChannel(channel) && MixerOpen && Mix_Playing(channel) != 0;
}

void SdlPlatform::SetPaused(int32_t channel, bool paused) {
    if (!ValidChannel(channel) || !MixerOpen) return;
    if (paused) {
        Mix_Pause(channel);
    } else {
        Mix_Resume(channel);
    }
}

void SdlPlatform::SetVolume(int32_t channel, int32_t volume) {
    if (!ValidChannel(channel)) return;
    ChannelVolumes[channel] = ClampVolume(volume);
    if (MixerOpen) Mix_Volume(channel, MixerVolume(ChannelVolumes[channel]));
}

int32_t SdlPlatform::GetVolume(int32_t channel) {
    return ValidChannel(channel) ? ChannelVolumes[channel] : 0;
}

void SdlPlatform::SetMasterVolume(int32_t volume) {
    MasterVolume = ClampVolume(volume);
    if (MixerOpen) Mix_MasterVolume(MixerVolume(MasterVolume));
}

// --- Time ------------------------------------------------------------------------------------

int64_t SdlPlatform::Clock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 Start)
        .count();
}

int64_t SdlPlatform::Time() {
    return static_cast<int64_t>(std::time(nullptr));
}

void SdlPlatform::Sleep(int32_t milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
