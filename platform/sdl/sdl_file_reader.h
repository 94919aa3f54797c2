// Reads the game's files ahead on a thread of its own while the main thread opens the window and
// draws the loading screen: by the time the game loads a prepared picture or sound, it is
// usually read and decoded already.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dds.h"
#include "platform/sdl/sdl_tune.h"

// What reading one file gave, as the loading functions would give it.
struct ReadFile {
    bool Read = false;
    std::string Error;                  // why not, when not
    DecodedImage Image;                 // a picture, decoded, magenta keyed out
    std::shared_ptr<const Tune> Music;  // a tune
    std::string Bytes;                  // any other sound file, as it is
    // A picture checked only: the file as read, once its pixels have been made and let go.
    std::shared_ptr<const std::string> Picture;
};

class FileReader {
  public:
    // A picture read and decoded; a picture read and checked (its pixels made and let go); the
    // pixels of a picture already read (no file is read); a tune; any other sound file.
    enum class Kind { Picture, CheckedPicture, Pixels, Tune, Bytes };

    FileReader() = default;
    ~FileReader() { Stop(); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Queues the file (a path as the file system names it) to be read; for Kind::Pixels, the
    // picture's bytes as read to be decoded.
    void Prepare(const std::string& path, Kind kind,
                 std::shared_ptr<const std::string> bytes = nullptr);
    // The prepared file's result, waiting for it if need be; false when the file was never
    // prepared as this kind (or has been taken already).
    bool Take(const std::string& path, Kind kind, ReadFile& out);
    // Drops the prepared file's result, or its reading if it has not come yet.
    void Forget(const std::string& path);
    // Ends the thread; what it has not read yet is dropped.
    void Stop();

  private:
    struct Job {
        Kind What;
        std::shared_ptr<const std::string> Bytes;  // Kind::Pixels: the picture as read
        bool Done = false;
        ReadFile Result;
    };
    void Work();

    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<std::string> Queue;
    std::map<std::string, Job> Jobs;  // prepared files, read or not yet
    bool Stopping = false;
    std::thread Worker;
};
