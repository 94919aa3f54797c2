#include "platform/sdl/sdl_tune.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/sdl/host.h"

bool IsTuneFile(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".mp3";
}

std::shared_ptr<const Tune> LoadTune(const std::string& path, std::string& error) {
    auto tune = std::make_shared<Tune>();
    tune->Path = path;
    // Read whole once to see that it can be, with the file module's own messages; then decoding
    // its first frame proves it is a tune. It is read again, a little at a time, as it plays.
    std::string bytes;
    if (ReadWholeFile(path.c_str(), bytes, error) != FileRead::Read) return nullptr;
    if (!TunePlayer::Start(tune, 44100, AUDIO_S16SYS, 2, error)) return nullptr;
    return tune;
}

std::unique_ptr<TunePlayer> TunePlayer::Start(std::shared_ptr<const Tune> tune, int frequency,
                                              Uint16 format, int channels, std::string& error) {
    std::unique_ptr<TunePlayer> player(new TunePlayer(std::move(tune)));
    long rate = 0;
    int fileChannels = 0;
    player->Decoder = OpenTuneDecoder(player->Source->Path, rate, fileChannels, error);
    if (player->Decoder == nullptr) return nullptr;
    if (rate != frequency || fileChannels != channels || format != AUDIO_S16SYS) {
        player->Convert = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(fileChannels),
                                             static_cast<int>(rate), format,
                                             static_cast<Uint8>(channels), frequency);
        if (player->Convert == nullptr) {
            error = SDL_GetError();
            return nullptr;
        }
    }
    return player;
}

TunePlayer::TunePlayer(std::shared_ptr<const Tune> tune) : Source(std::move(tune)) {}

TunePlayer::~TunePlayer() {
    if (Convert != nullptr) SDL_FreeAudioStream(Convert);
}

bool TunePlayer::Decode() {
    unsigned char piece[8192];
    const size_t done = Decoder->Read(piece, sizeof piece);
    if (done > 0) {
        SDL_AudioStreamPut(Convert, piece, static_cast<int>(done));
        return true;
    }
    SDL_AudioStreamFlush(Convert);
    return false;
}

void TunePlayer::Fill(Uint8* out, int length) {
    int filled = 0;
    while (filled < length && !Ended) {
        if (Convert == nullptr) {
            const size_t done = Decoder->Read(out + filled, static_cast<size_t>(length - filled));
            filled += static_cast<int>(done);
            if (done == 0) Ended = true;
            continue;
        }
        const int got = SDL_AudioStreamGet(Convert, out + filled, length - filled);
        if (got > 0) {
            filled += got;
        } else if (!Decode()) {
            const int last = SDL_AudioStreamGet(Convert, out + filled, length - filled);
            if (last > 0) filled += last;
            if (SDL_AudioStreamAvailable(Convert) == 0) Ended = true;
        }
    }
    if (filled < length) std::memset(out + filled, 0, static_cast<size_t>(length - filled));
    if (Ended) Done.store(true, std::memory_order_release);
}
