// Reads and decodes a batch of files on worker threads, so that loading uses every core. The
// main thread takes each result when it gets to that file, waiting for it if need be; it alone
// touches the renderer and prints, so messages keep the order of the loads.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

template <typename Result>
class Prefetch {
  public:
    using Decoder = std::function<Result(const std::string& path)>;

    Prefetch() = default;
    ~Prefetch() { Stop(); }
    Prefetch(const Prefetch&) = delete;
    Prefetch& operator=(const Prefetch&) = delete;

    // Drops any earlier batch, then starts decoding `paths` in their order.
    void Start(const std::vector<std::string>& paths, Decoder decoder) {
        Stop();
        Slots.clear();
        for (const std::string& path : paths) Slots.push_back(Slot{path, Result{}, false, false});
        Decode = std::move(decoder);
        Next = 0;
        const size_t cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t workers = std::min({cores + 1, MaxWorkers, Slots.size()});
        for (size_t i = 0; i < workers; ++i) Workers.emplace_back([this] { Work(); });
    }

    // True, with the result moved into `out`, when `path` is in the batch and not yet taken.
    bool Take(const std::string& path, Result& out) {
        std::unique_lock<std::mutex> hold(Lock);
        for (Slot& slot : Slots) {
            if (slot.Taken || slot.Path != path) continue;
            Ready.wait(hold, [&slot] { return slot.Done; });
            slot.Taken = true;
            out = std::move(slot.Value);
            slot.Value = Result{};
            return true;
        }
        return false;
    }

    // Waits for the workers and drops every result not taken.
    void Stop() {
        {
            std::lock_guard<std::mutex> hold(Lock);
            Next = Slots.size();  // no worker starts another file
        }
        for (std::thread& worker : Workers) worker.join();
        Workers.clear();
        for (Slot& slot : Slots) slot.Value = Result{};
        Slots.clear();
    }

  private:
    // One decoder more than the cores, so that the three tunes decode side by side on two
    // cores; more would only hold more decoded pictures in memory at once.
    static constexpr size_t MaxWorkers = 3;

    struct Slot {
        std::string Path;
        Result Value;
        bool Done;
        bool Taken;
    };

    void Work() {
        for (;;) {
            size_t index;
            std::string path;
            {
                std::lock_guard<std::mutex> hold(Lock);
                if (Next >= Slots.size()) return;
                index = Next++;
                path = Slots[index].Path;
            }
            Result value = Decode(path);
            {
                std::lock_guard<std::mutex> hold(Lock);
                Slots[index].Value = std::move(value);
                Slots[index].Done = true;
            }
            Ready.notify_all();
        }
    }

    std::vector<Slot> Slots;
    Decoder Decode;
    size_t Next = 0;
    std::vector<std::thread> Workers;
    std::mutex Lock;
    std::condition_variable Ready;
};
