// The page decodes the tunes with SDL_mixer's own MP3 decoder, dr_mp3 (one header, built into
// this file only), since the browser build has no libmpg123; they sound the same.
#define DR_MP3_IMPLEMENTATION
#define DRMP3_API static
#include <dr_libs/dr_mp3.h>

#include "platform/sdl/host.h"

namespace {

class DrMp3Decoder final : public TuneDecoder {
  public:
    explicit DrMp3Decoder(SDL_RWops* file) : File(file) {}
    ~DrMp3Decoder() override {
        if (Opened) drmp3_uninit(&Decoder);
        SDL_RWclose(File);
    }
    DrMp3Decoder(const DrMp3Decoder&) = delete;
    DrMp3Decoder& operator=(const DrMp3Decoder&) = delete;

    bool Open(long& rate, int& channels, std::string& error) {
        Opened = drmp3_init(&Decoder, ReadBytes, SeekBytes, this, nullptr) != 0;
        if (!Opened || Decoder.channels == 0 || Decoder.sampleRate == 0) {
            error = "not a playable MP3 file";
            return false;
        }
        rate = static_cast<long>(Decoder.sampleRate);
        channels = static_cast<int>(Decoder.channels);
        return true;
    }

    size_t Read(unsigned char* out, size_t size) override {
        const size_t frameBytes = Decoder.channels * sizeof(drmp3_int16);
        const drmp3_uint64 frames = drmp3_read_pcm_frames_s16(&Decoder, size / frameBytes,
                                                              reinterpret_cast<drmp3_int16*>(out));
        return static_cast<size_t>(frames) * frameBytes;
    }

  private:
    static size_t ReadBytes(void* decoder, void* buffer, size_t size) {
        return SDL_RWread(static_cast<DrMp3Decoder*>(decoder)->File, buffer, 1, size);
    }
    static drmp3_bool32 SeekBytes(void* decoder, int offset, drmp3_seek_origin origin) {
        const int from = origin == drmp3_seek_origin_current ? RW_SEEK_CUR : RW_SEEK_SET;
        return SDL_RWseek(static_cast<DrMp3Decoder*>(decoder)->File, offset, from) >= 0;
    }

    SDL_RWops* File;  // the tune's file, read as it is decoded
    drmp3 Decoder{};
    bool Opened = false;
};

}  // namespace

std::unique_ptr<TuneDecoder> OpenTuneDecoder(const std::string& path, long& rate, int& channels,
                                             std::string& error) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    auto decoder = std::make_unique<DrMp3Decoder>(file);
    if (!decoder->Open(rate, channels, error)) return nullptr;
    return decoder;
}
