// Tunes played straight from their MP3 files, read and decoded a little at a time on the mixer's
// thread as they play: no tune is held in memory, decoded or not, and loading one costs only
// checking its file. The decoder is the host's (see host.h).
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Tune {
    std::string Path;  // the MP3 file, as the file system names it
};

// True for the files played as tunes (MP3).
bool IsTuneFile(const std::string& path);

// Checks that an MP3 file can be read and decodes; nullptr with the reason when it cannot be
// played.
std::shared_ptr<const Tune> LoadTune(const std::string& path, std::string& error);

class TuneDecoder;

// One playing of a tune from its start, delivered in the mixer's output format.
class TunePlayer {
  public:
    // nullptr with the reason when the decoder cannot start.
    static std::unique_ptr<TunePlayer> Start(std::shared_ptr<const Tune> tune, int frequency,
                                             Uint16 format, int channels, std::string& error);
    ~TunePlayer();
    TunePlayer(const TunePlayer&) = delete;
    TunePlayer& operator=(const TunePlayer&) = delete;

    // On the mixer's thread: writes the next `length` bytes of the tune, silence past its end.
    void Fill(Uint8* out, int length);
    // True once everything up to the tune's end has been delivered.
    bool Finished() const { return Done.load(std::memory_order_acquire); }

  private:
    explicit TunePlayer(std::shared_ptr<const Tune> tune);
    bool Decode();  // one more piece into the converter; false at the end

    std::shared_ptr<const Tune> Source;
    std::unique_ptr<TuneDecoder> Decoder;
    SDL_AudioStream* Convert = nullptr;  // null when the tune is already in the mixer's format
    bool Ended = false;
    std::atomic<bool> Done{false};
};
