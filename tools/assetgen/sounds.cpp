#include "sounds.h"

#include <stdexcept>
#include <thread>
#include <vector>

#include "effects.h"
#include "music.h"
#include "synth.h"

namespace assetgen {

void MakeSounds(const std::string& runDir) {
    const std::string sfx = runDir + "/sfx/";
    // Each tune composes and encodes on its own thread: the encoding is the slow part.
    struct Job {
        Tune Which;
        const char* File;
        std::string Error;
    };
    std::vector<Job> jobs = {{Tune::Title, "bgm3.mp3", {}},
                             {Tune::GameFirst, "bgm.mp3", {}},
                             {Tune::GameLoop, "bgm2.mp3", {}}};
    std::vector<std::thread> threads;
    for (Job& job : jobs) {
        threads.emplace_back([&job, &sfx] {
            try {
                WriteMp3(sfx + job.File, ComposeTune(job.Which));
            } catch (const std::exception& e) {
                job.Error = e.what();
            }
        });
    }
    std::string error;
    try {
        for (const Effect& effect : MakeEffects()) {
            if (effect.Mono) {
                WriteWav(sfx + effect.File, effect.Sound.L);
            } else {
                WriteWav(sfx + effect.File, effect.Sound);
            }
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
