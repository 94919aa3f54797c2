// The page decodes the tunes with SDL_mixer's own MP3 decoder, dr_mp3 (one header, built into
// this file only), since the browser build has no libmpg123; they sound the same.
#define DR_MP3_IMPLEMENTATION
#define DRMP3_API static
#include <dr_libs/dr_mp3.h>

#include "platform/sdl/host.h"

namespace {

class DrMp3Decoder final : public TuneDecoder {
  public:
    DrMp3Decoder() = default;
    ~DrMp3Decoder() override {
        if (Opened) drmp3_uninit(&Decoder);
    }
    DrMp3Decoder(const DrMp3Decoder&) = delete;
    DrMp3Decoder& operator=(const DrMp3Decoder&) = delete;

    bool Open(const std::string& bytes, long& rate, int& channels, std::string& error) {
        Opened = drmp3_init_memory(&Decoder, bytes.data(), bytes.size(), nullptr) != 0;
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
    drmp3 Decoder{};
    bool Opened = false;
};

}  // namespace

std::unique_ptr<TuneDecoder> OpenTuneDecoder(const std::string& bytes, long& rate, int& channels,
                                             std::string& error) {
    auto decoder = std::make_unique<DrMp3Decoder>();
    if (!decoder->Open(bytes, rate, channels, error)) return nullptr;
    return decoder;
}
