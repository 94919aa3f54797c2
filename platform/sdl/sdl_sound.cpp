// The SDL platform's sound: SDL_mixer's channels, the samples, the tunes and the volumes.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

// The mixer's volume for a channel: the game's master and channel volumes (each 0 to 255)
// multiplied and scaled to the mixer's 0 to 128, rounded up, so that no volume the game sets
// above 0 ever rounds to silence. (The mixer's own master volume would multiply once more and
// round down: master 1 with channel 192 gave 0.)
int MixerVolume(int32_t master, int32_t channel) {
    if (master <= 0 || channel <= 0) return 0;
    return (master * channel * MIX_MAX_VOLUME + 255 * 255 - 1) / (255 * 255);
}

int32_t ClampVolume(int32_t volume) {
    return std::clamp(volume, 0, 255);
}

// A tune plays as this silent loop with the tune's decoder writing over it.
Uint8 SilentLoopBytes[16384] = {};
Mix_Chunk* SilentLoop = nullptr;

void StreamTune(int, void* stream, int length, void* player) {
    static_cast<TunePlayer*>(player)->Fill(static_cast<Uint8*>(stream), length);
}

}  // namespace

void SdlPlatform::CloseSound() {
    if (MixerOpen) {
        Mix_HaltChannel(-1);
        for (int32_t channel = 0; channel < ChannelCount; ++channel) EndTune(channel);
        for (LoadedSample& sample : Samples) {
            if (sample.Chunk != nullptr) Mix_FreeChunk(sample.Chunk);
        }
        Samples.clear();
        if (SilentLoop != nullptr) Mix_FreeChunk(SilentLoop);
        SilentLoop = nullptr;
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
    Mix_MasterVolume(MIX_MAX_VOLUME);  // the master volume is folded into every channel's
    for (int32_t channel = 0; channel < ChannelCount; ++channel) ApplyVolume(channel);
    SilentLoop = Mix_QuickLoad_RAW(SilentLoopBytes, sizeof SilentLoopBytes);
}

void SdlPlatform::ApplyVolume(int32_t channel) {
    if (MixerOpen) Mix_Volume(channel, MixerVolume(MasterVolume, ChannelVolumes[channel]));
}

void SdlPlatform::EndTune(int32_t channel) {
    if (Players[channel] == nullptr) return;
    // Halting the channel removes the decoder's hook under the mixer's lock, so the mixer's
    // thread no longer uses the player once this returns.
    Mix_HaltChannel(channel);
    Mix_UnregisterAllEffects(channel);
    Players[channel].reset();
}

SampleId SdlPlatform::LoadSample(const char* file) {
    PumpEvents();  // a close during loading is answered between two sounds
    const std::string path = AssetPath(file);
    if (!MixerOpen) {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: sound is not open\n", path.c_str());
        return -1;
    }
    const bool tune = IsTuneFile(path);
    if (tune && AssetFileToCome(path)) {
        // A page's tune still on its way is read when it first plays: a game's tunes need not
        // hold the loading screen up, nor the title tune the title menu's pictures.
        LoadedSample late;
        late.LatePath = path;
        Samples.push_back(std::move(late));
        return static_cast<SampleId>(Samples.size() - 1);
    }
    AwaitAssetFile(path);
    ReadFile read;
    const FileReader::Kind kind = tune ? FileReader::Kind::Tune : FileReader::Kind::Bytes;
    if (!Reader.Take(path, kind, read)) {
        if (tune) {
            read.Music = LoadTune(path, read.Error);
            read.Read = read.Music != nullptr;
        } else if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
            std::fclose(probe);
            read.Read = true;
        } else {
            read.Error = std::strerror(errno);
        }
    }
    if (!read.Read) {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: %s\n", path.c_str(),
                     read.Error.c_str());
        return -1;
    }
    LoadedSample sample;
    sample.Music = read.Music;
    if (!tune) {
        sample.Chunk = read.Bytes.empty()
                           ? Mix_LoadWAV(path.c_str())
                           : Mix_LoadWAV_RW(SDL_RWFromConstMem(read.Bytes.data(),
                                                               static_cast<int>(read.Bytes.size())),
                                            1);
        if (sample.Chunk == nullptr) {
            std::fprintf(stderr, "zantorvix: cannot load sound %s: %s\n", path.c_str(),
                         Mix_GetError());
            return -1;
        }
    }
    Samples.push_back(std::move(sample));
    return static_cast<SampleId>(Samples.size() - 1);
}

void SdlPlatform::PrepareSample(const char* file) {
    const std::string path = AssetPath(file);
    Reader.Prepare(path, IsTuneFile(path) ? FileReader::Kind::Tune : FileReader::Kind::Bytes);
}

bool SdlPlatform::TakeLateTune(LoadedSample& sample) {
    const std::string path = std::move(sample.LatePath);
    sample.LatePath.clear();
    AwaitAssetFile(path);
    std::string error;
    sample.Music = LoadTune(path, error);
    if (sample.Music == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load sound %s: %s\n", path.c_str(), error.c_str());
    }
    return sample.Music != nullptr;
}

void SdlPlatform::PlaySound(int32_t channel, SampleId sample) {
    if (!ValidChannel(channel)) return;
    ChannelVolumes[channel] = 255;  // a sample starts at full volume unless one is set after
    if (!MixerOpen) return;
    LoadedSample* loaded = nullptr;
    if (sample >= 0 && static_cast<size_t>(sample) < Samples.size()) {
        loaded = &Samples[static_cast<size_t>(sample)];
    }
    Mix_HaltChannel(channel);
    EndTune(channel);
    ApplyVolume(channel);
    if (loaded == nullptr) return;
    if (!loaded->LatePath.empty() && !TakeLateTune(*loaded)) return;
    if (loaded->Chunk == nullptr && loaded->Music == nullptr) return;
    if (loaded->Chunk != nullptr) {
        Mix_PlayChannel(channel, loaded->Chunk, 0);
        return;
    }
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    std::string error;
    Players[channel] = TunePlayer::Start(loaded->Music, frequency, format, channels, error);
    if (Players[channel] == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot play a tune: %s\n", error.c_str());
        return;
    }
    // Hooked before the loop starts, so that its first bytes are already the tune's.
    Mix_RegisterEffect(channel, StreamTune, nullptr, Players[channel].get());
    if (Mix_PlayChannel(channel, SilentLoop, -1) < 0) EndTune(channel);
}

void SdlPlatform::StopSound(int32_t channel) {
    if (!ValidChannel(channel) || !MixerOpen) return;
    Mix_HaltChannel(channel);
    EndTune(channel);
}

bool SdlPlatform::IsPlaying(int32_t channel) {
    if (!ValidChannel(channel) || !MixerOpen) return false;
    // A tune's loop never ends by itself: the channel falls silent when the tune has been
    // delivered to its end.
    if (Players[channel] != nullptr && Players[channel]->Finished()) EndTune(channel);
    return Mix_Playing(channel) != 0;
}

void SdlPlatform::SetPaused(int32_t channel, bool paused) {
    if (!ValidChannel(channel) || !MixerOpen) return;
    if (paused) {
        // The mixer marks a pause with the time in milliseconds since SDL started, and a mark of
        // 0 means "not paused": a pause within the first millisecond would not hold.
        while (SDL_GetTicks() == 0) SDL_Delay(1);
        Mix_Pause(channel);
    } else {
        Mix_Resume(channel);
    }
}

void SdlPlatform::SetVolume(int32_t channel, int32_t volume) {
    if (!ValidChannel(channel)) return;
    ChannelVolumes[channel] = ClampVolume(volume);
    ApplyVolume(channel);
}

int32_t SdlPlatform::GetVolume(int32_t channel) {
    return ValidChannel(channel) ? ChannelVolumes[channel] : 0;
}

void SdlPlatform::SetMasterVolume(int32_t volume) {
    MasterVolume = ClampVolume(volume);
    for (int32_t channel = 0; channel < ChannelCount; ++channel) ApplyVolume(channel);
}
