// Reads pictures ahead on a thread of its own, while the main thread draws the loading screen:
// by the time the game loads a prepared picture, it is usually decoded already.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dds.h"

class PictureReader {
  public:
    PictureReader() = default;
    ~PictureReader() { Stop(); }
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    // Queues the file (a path as the file system names it) to be read and decoded.
    void Prepare(const std::string& path);
    // The prepared file's result, as ReadPicture would give it, waiting for it if need be; false
    // when the file was never prepared (or has been taken already).
    bool Take(const std::string& path, bool& read, DecodedImage& image, std::string& error);
    // Ends the thread; what it has not read yet is dropped.
    void Stop();

  private:
    struct Result {
        bool Done = false;
        bool Read = false;
        DecodedImage Image;
        std::string Error;
    };
    void Work();

    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<std::string> Queue;
    std::map<std::string, Result> Results;  // prepared files, read or not yet
    bool Stopping = false;
    std::thread Worker;
};
