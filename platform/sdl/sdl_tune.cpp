#include "platform/sdl/sdl_tune.h"

#include <mpg123.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/file.h"

namespace {

void InitialiseDecoderLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

mpg123_ssize_t ReadTune(void* player, void* buffer, size_t size) {
    return static_cast<TunePlayer*>(player)->Read(buffer, size);
}

off_t SeekTune(void* player, off_t offset, int whence) {
    return static_cast<TunePlayer*>(player)->Seek(static_cast<long>(offset), whence);
}

}  // namespace

bool IsTuneFile(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".mp3";
}

std::shared_ptr<const Tune> LoadTune(const std::string& path, std::string& error) {
    auto tune = std::make_shared<Tune>();
    // Read whole in one go: a tune is a megabyte or two.
    if (ReadWholeFile(path.c_str(), tune->Bytes, error) != FileRead::Read) return nullptr;
    // Decoding its first frame proves the file is a tune; the rest is decoded as it plays.
    if (!TunePlayer::Start(tune, 44100, AUDIO_S16SYS, 2, error)) return nullptr;
    return tune;
}

std::unique_ptr<TunePlayer> TunePlayer::Start(std::shared_ptr<const Tune> tune, int frequency,
                                              Uint16 format, int channels, std::string& error) {
    InitialiseDecoderLibrary();
    std::unique_ptr<TunePlayer> player(new TunePlayer(std::move(tune)));
    int status = MPG123_OK;
    player->Decoder = mpg123_new(nullptr, &status);
    if (player->Decoder == nullptr) {
        error = mpg123_plain_strerror(status);
        return nullptr;
    }
    mpg123_handle* decoder = player->Decoder;
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Any rate and channel count the file has, always as 16-bit samples.
    mpg123_format_none(decoder);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    long rate = 0;
    int fileChannels = 0, encoding = 0;
    if (mpg123_replace_reader_handle(decoder, ReadTune, SeekTune, nullptr) != MPG123_OK ||
        mpg123_open_handle(decoder, player.get()) != MPG123_OK ||
        mpg123_getformat(decoder, &rate, &fileChannels, &encoding) != MPG123_OK) {
        error = std::string("not a playable MP3 file (") + mpg123_strerror(decoder) + ")";
        return nullptr;
    }
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

TunePlayer::~TunePlayer() {
    if (Convert != nullptr) SDL_FreeAudioStream(Convert);
    if (Decoder != nullptr) {
        mpg123_close(Decoder);
        mpg123_delete(Decoder);
    }
}

long TunePlayer::Read(void* buffer, size_t size) {
    const size_t left = Source->Bytes.size() - std::min(Position, Source->Bytes.size());
    const size_t count = std::min(size, left);
    std::memcpy(buffer, Source->Bytes.data() + Position, count);
    Position += count;
    return static_cast<long>(count);
}

long TunePlayer::Seek(long offset, int whence) {
    long base = 0;
    if (whence == SEEK_CUR) base = static_cast<long>(Position);
    if (whence == SEEK_END) base = static_cast<long>(Source->Bytes.size());
    const long target = base + offset;
    if (target < 0 || target > static_cast<long>(Source->Bytes.size())) return -1;
    Position = static_cast<size_t>(target);
    return target;
}

bool TunePlayer::Decode() {
    unsigned char piece[8192];
    size_t done = 0;
    const int status = mpg123_read(Decoder, piece, sizeof piece, &done);
    if (done > 0) SDL_AudioStreamPut(Convert, piece, static_cast<int>(done));
    if (status == MPG123_OK || status == MPG123_NEW_FORMAT || done > 0) return true;
    SDL_AudioStreamFlush(Convert);
    return false;
}

void TunePlayer::Fill(Uint8* out, int length) {
    int filled = 0;
    while (filled < length && !Ended) {
        if (Convert == nullptr) {
            size_t done = 0;
            const int status =
                mpg123_read(Decoder, out + filled, static_cast<size_t>(length - filled), &done);
            filled += static_cast<int>(done);
            if (status != MPG123_OK && status != MPG123_NEW_FORMAT && done == 0) Ended = true;
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
