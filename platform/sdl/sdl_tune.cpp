#include "platform/sdl/sdl_tune.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/file.h"

#if ZANTORVIX_BROWSER
// SDL_mixer's own MP3 decoder, one header, built into this file only.
#define DR_MP3_IMPLEMENTATION
#define DRMP3_API static
#include <dr_libs/dr_mp3.h>
#else
#include <mpg123.h>

#include <mutex>
#endif

// The MP3 decoder of one playing: 16-bit samples at the file's own rate and channel count.
class TuneDecoder {
  public:
    explicit TuneDecoder(const std::string& bytes) : Bytes(bytes) {}
    ~TuneDecoder();
    TuneDecoder(const TuneDecoder&) = delete;
    TuneDecoder& operator=(const TuneDecoder&) = delete;

    // Opens the bytes and reads their format; false with the reason when they are no MP3.
    bool Open(long& rate, int& channels, std::string& error);
    // Up to `size` bytes of samples; 0 once the tune is over.
    size_t Read(unsigned char* out, size_t size);

  private:
    const std::string& Bytes;  // the tune's, which outlives its players
#if ZANTORVIX_BROWSER
    drmp3 Decoder{};
    bool Opened = false;
#else
    static mpg123_ssize_t ReadBytes(void* decoder, void* buffer, size_t size);
    static off_t SeekBytes(void* decoder, off_t offset, int whence);
    size_t Position = 0;
    mpg123_handle* Decoder = nullptr;
#endif
};

#if ZANTORVIX_BROWSER

TuneDecoder::~TuneDecoder() {
    if (Opened) drmp3_uninit(&Decoder);
}

bool TuneDecoder::Open(long& rate, int& channels, std::string& error) {
    Opened = drmp3_init_memory(&Decoder, Bytes.data(), Bytes.size(), nullptr) != 0;
    if (!Opened || Decoder.channels == 0 || Decoder.sampleRate == 0) {
        error = "not a playable MP3 file";
        return false;
    }
    rate = static_cast<long>(Decoder.sampleRate);
    channels = static_cast<int>(Decoder.channels);
    return true;
}

size_t TuneDecoder::Read(unsigned char* out, size_t size) {
    const size_t frameBytes = Decoder.channels * sizeof(drmp3_int16);
    const drmp3_uint64 frames =
        drmp3_read_pcm_frames_s16(&Decoder, size / frameBytes, reinterpret_cast<drmp3_int16*>(out));
    return static_cast<size_t>(frames) * frameBytes;
}

#else

namespace {

void InitialiseDecoderLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

TuneDecoder::~TuneDecoder() {
    if (Decoder != nullptr) {
        mpg123_close(Decoder);
        mpg123_delete(Decoder);
    }
}

mpg123_ssize_t TuneDecoder::ReadBytes(void* decoder, void* buffer, size_t size) {
    TuneDecoder& self = *static_cast<TuneDecoder*>(decoder);
    const size_t left = self.Bytes.size() - std::min(self.Position, self.Bytes.size());
    const size_t count = std::min(size, left);
    std::memcpy(buffer, self.Bytes.data() + self.Position, count);
    self.Position += count;
    return static_cast<mpg123_ssize_t>(count);
}

off_t TuneDecoder::SeekBytes(void* decoder, off_t offset, int whence) {
    TuneDecoder& self = *static_cast<TuneDecoder*>(decoder);
    off_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<off_t>(self.Position);
    if (whence == SEEK_END) base = static_cast<off_t>(self.Bytes.size());
    const off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(self.Bytes.size())) return -1;
    self.Position = static_cast<size_t>(target);
    return target;
}

bool TuneDecoder::Open(long& rate, int& channels, std::string& error) {
    InitialiseDecoderLibrary();
    int status = MPG123_OK;
    Decoder = mpg123_new(nullptr, &status);
    if (Decoder == nullptr) {
        error = mpg123_plain_strerror(status);
        return false;
    }
    mpg123_param(Decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Any rate and channel count the file has, always as 16-bit samples.
    mpg123_format_none(Decoder);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(Decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    int encoding = 0;
    if (mpg123_replace_reader_handle(Decoder, ReadBytes, SeekBytes, nullptr) != MPG123_OK ||
        mpg123_open_handle(Decoder, this) != MPG123_OK ||
        mpg123_getformat(Decoder, &rate, &channels, &encoding) != MPG123_OK) {
        error = std::string("not a playable MP3 file (") + mpg123_strerror(Decoder) + ")";
        return false;
    }
    return true;
}

size_t TuneDecoder::Read(unsigned char* out, size_t size) {
    size_t done = 0;
    for (;;) {
        const int status = mpg123_read(Decoder, out, size, &done);
        if (done > 0 || status == MPG123_DONE || status == MPG123_ERR) return done;
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) return 0;
    }
}

#endif

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
    std::unique_ptr<TunePlayer> player(new TunePlayer(std::move(tune)));
    player->Decoder = std::make_unique<TuneDecoder>(player->Source->Bytes);
    long rate = 0;
    int fileChannels = 0;
    if (!player->Decoder->Open(rate, fileChannels, error)) return nullptr;
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
