#include "platform/sdl/sdl_file_reader.h"

#include <algorithm>

#include "platform/file.h"
#include "platform/sdl/host.h"
#include "platform/sdl/sdl_picture.h"

void FileReader::Prepare(const std::string& path, Kind kind,
                         std::shared_ptr<const std::string> bytes) {
    if (!ReadsAhead) return;  // then every file is read when it is loaded
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping || Jobs.count(path) != 0) return;
    Job job;
    job.What = kind;
    job.Bytes = std::move(bytes);
    Jobs[path] = std::move(job);
    Queue.push_back(path);
    if (!Worker.joinable()) Worker = std::thread([this] { Work(); });
    Changed.notify_all();
}

bool FileReader::Take(const std::string& path, Kind kind, ReadFile& out) {
    std::unique_lock<std::mutex> hold(Lock);
    auto found = Jobs.find(path);
    if (found == Jobs.end() || found->second.What != kind) return false;
    Changed.wait(hold, [&] { return found->second.Done || Stopping; });
    if (!found->second.Done) return false;
    out = std::move(found->second.Result);
    Jobs.erase(found);
    return true;
}

void FileReader::Forget(const std::string& path) {
    std::lock_guard<std::mutex> hold(Lock);
    Jobs.erase(path);  // one being read now is dropped when it comes
    Queue.erase(std::remove(Queue.begin(), Queue.end(), path), Queue.end());
}

void FileReader::Stop() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Stopping = true;
        Queue.clear();
        Changed.notify_all();
    }
    if (Worker.joinable()) Worker.join();
    std::lock_guard<std::mutex> hold(Lock);
    Jobs.clear();
    Stopping = false;
}

void FileReader::Work() {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
        Changed.wait(hold, [&] { return Stopping || !Queue.empty(); });
        if (Stopping) return;
        const std::string path = Queue.front();
        Queue.pop_front();
        auto job = Jobs.find(path);
        if (job == Jobs.end()) continue;  // forgotten meanwhile
        const Kind kind = job->second.What;
        const std::shared_ptr<const std::string> bytes = job->second.Bytes;
        hold.unlock();
        ReadFile result;
        switch (kind) {
            case Kind::Picture:
                result.Read = ReadPicture(path, result.Image, result.Error);
                break;
            case Kind::CheckedPicture:
                result.Picture = CheckPicture(path, result.Image, result.Error);
                result.Read = result.Picture != nullptr;
                break;
            case Kind::Pixels:
                result.Read = DecodePicture(path, *bytes, result.Image, result.Error);
                break;
            case Kind::Tune:
                result.Music = LoadTune(path, result.Error);
                result.Read = result.Music != nullptr;
                break;
            case Kind::Bytes:
                result.Read =
                    ReadWholeFile(path.c_str(), result.Bytes, result.Error) == FileRead::Read;
                break;
        }
        hold.lock();
        auto found = Jobs.find(path);
        if (found != Jobs.end()) {
            found->second.Result = std::move(result);
            found->second.Done = true;
        }
        Changed.notify_all();
    }
}
