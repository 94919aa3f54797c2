// The desktops decode the tunes with libmpg123, the decoder SDL_mixer itself uses there.
#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/sdl/host.h"

namespace {

void InitialiseDecoderLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

class Mpg123Decoder final : public TuneDecoder {
  public:
    explicit Mpg123Decoder(SDL_RWops* file) : File(file) {}
    ~Mpg123Decoder() override {
        if (Decoder != nullptr) {
            mpg123_close(Decoder);
            mpg123_delete(Decoder);
        }
        SDL_RWclose(File);
    }
    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    bool Open(long& rate, int& channels, std::string& error);
    size_t Read(unsigned char* out, size_t size) override;

  private:
    static mpg123_ssize_t ReadBytes(void* decoder, void* buffer, size_t size);
    static off_t SeekBytes(void* decoder, off_t offset, int whence);

    SDL_RWops* File;  // the tune's file, read as it is decoded
    mpg123_handle* Decoder = nullptr;
};

mpg123_ssize_t Mpg123Decoder::ReadBytes(void* decoder, void* buffer, size_t size) {
    Mpg123Decoder& self = *static_cast<Mpg123Decoder*>(decoder);
    return static_cast<mpg123_ssize_t>(SDL_RWread(self.File, buffer, 1, size));
}

off_t Mpg123Decoder::SeekBytes(void* decoder, off_t offset, int whence) {
    Mpg123Decoder& self = *static_cast<Mpg123Decoder*>(decoder);
    const int from = whence == SEEK_CUR   ? RW_SEEK_CUR
                     : whence == SEEK_END ? RW_SEEK_END
                                          : RW_SEEK_SET;
    const Sint64 at = SDL_RWseek(self.File, offset, from);
    return at < 0 ? -1 : static_cast<off_t>(at);
}

bool Mpg123Decoder::Open(long& rate, int& channels, std::string& error) {
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

size_t Mpg123Decoder::Read(unsigned char* out, size_t size) {
    size_t done = 0;
    for (;;) {
        const int status = mpg123_read(Decoder, out, size, &done);
        if (done > 0 || status == MPG123_DONE || status == MPG123_ERR) return done;
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) return 0;
    }
}

}  // namespace

std::unique_ptr<TuneDecoder> OpenTuneDecoder(const std::string& path, long& rate, int& channels,
                                             std::string& error) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    auto decoder = std::make_unique<Mpg123Decoder>(file);
    if (!decoder->Open(rate, channels, error)) return nullptr;
    return decoder;
}
