// The SDL platform's sound: SDL_mixer's channels, the samples and the volumes.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

// The game's volumes run 0 to 255, the mixer's 0 to 128; no audible volume rounds to silence.
int MixerVolume(int32_t volume) {
    return (volume * MIX_MAX_VOLUME + 254) / 255;
}

int32_t ClampVolume(int32_t volume) {
    return std::clamp(volume, 0, 255);
}

}  // namespace

void SdlPlatform::CloseSound() {
    if (MixerOpen) {
        Mix_HaltChannel(-1);
        for (Mix_Chunk* chunk : Samples) {
            if (chunk != nullptr) Mix_FreeChunk(chunk);
        }
        Samples.clear();
        Mix_CloseAudio();
        MixerOpen = false;
    }
    Mix_Quit();
    if (AudioOpen) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AudioOpen = false;
}

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
    const std::string path = AssetPath(file);
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
