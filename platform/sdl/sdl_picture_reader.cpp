#include "platform/sdl/sdl_picture_reader.h"

#include "platform/sdl/sdl_picture.h"

void PictureReader::Prepare(const std::string& path) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping || Results.count(path) != 0) return;
    Results[path] = Result{};
    Queue.push_back(path);
    if (!Worker.joinable()) Worker = std::thread([this] { Work(); });
    Changed.notify_all();
}

bool PictureReader::Take(const std::string& path, bool& read, DecodedImage& image,
                         std::string& error) {
    std::unique_lock<std::mutex> hold(Lock);
    auto found = Results.find(path);
    if (found == Results.end()) return false;
    Changed.wait(hold, [&] { return found->second.Done || Stopping; });
    if (!found->second.Done) return false;
    read = found->second.Read;
    image = std::move(found->second.Image);
    error = std::move(found->second.Error);
    Results.erase(found);
    return true;
}

void PictureReader::Stop() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Stopping = true;
        Queue.clear();
        Changed.notify_all();
    }
    if (Worker.joinable()) Worker.join();
    std::lock_guard<std::mutex> hold(Lock);
    Results.clear();
    Stopping = false;
}

void PictureReader::Work() {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
        Changed.wait(hold, [&] { return Stopping || !Queue.empty(); });
        if (Stopping) return;
        const std::string path = Queue.front();
        Queue.pop_front();
        hold.unlock();
        Result result;
        result.Read = ReadPicture(path, result.Image, result.Error);
        if (result.Read) KeyOutMagenta(result.Image.Pixels);
        result.Done = true;
        hold.lock();
        auto found = Results.find(path);
        if (found != Results.end()) found->second = std::move(result);
        Changed.notify_all();
    }
}
