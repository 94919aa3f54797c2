#include "sounds.h"

#include <stdexcept>
#include <thread>
#include <vector>

#include "effects.h"
#include "music.h"
#include "outputs.h"
#include "synth.h"

namespace assetgen {

void MakeSounds(const std::string& runDir, const std::string& webDir) {
    // Each tune composes and encodes on its own thread: the encoding is the slow part.
    struct Job {
        Tune Which;
        SoundSlot Slot;
        std::string Error;
    };
    std::vector<Job> jobs = {{Tune::Title, SoundTitleMusic, {}},
                             {Tune::GameFirst, SoundGameMusic, {}},
                             {Tune::GameLoop, SoundGameMusicLoop, {}}};
    std::vector<std::thread> threads;
    for (Job& job : jobs) {
        threads.emplace_back([&job, &runDir] {
            try {
                SaveSound(runDir, job.Slot, ComposeTune(job.Which), false);
            } catch (const std::exception& e) {
                job.Error = e.what();
            }
        });
    }
    std::string error;
    try {
        for (const Effect& effect : MakeEffects()) {
            SaveSound(runDir, effect.Slot, effect.Sound, effect.Mono);
            if (!webDir.empty()) SaveBrowserEffect(webDir, effect.Slot, effect.Sound, effect.Mono);
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    for (std::thread& t : threads) t.join();
    for (const Job& job : jobs) {
        if (error.empty() && !job.Error.empty()) error = job.Error;
    }
    if (!error.empty()) throw std::runtime_error(error);
}

}  // namespace assetgen
