#include "app/replay_verbs.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "replay/playback.h"
#include "replay/replay_file.h"

namespace {

bool Load(const char* file, Replay& replay) {
    std::string reason;
    if (LoadReplay(file, replay, reason)) return true;
    std::fprintf(stderr, "zantorvix: replay \"%s\" %s\n", file, reason.c_str());
    return false;
}

void PrintSummary(const ReplayEnd& end) {
    std::printf("score %d  rows %d  level %d  pieces %d  board %08" PRIx32 "\n", end.Score,
                end.Rows, end.Level, end.Pieces, end.Board);
}

// One line on stderr for a playback that did not match; the exit status it calls for.
int Report(const char* file, const PlaybackResult& result) {
    switch (result.Outcome) {
        case PlaybackResult::Verdict::Matches:
            return 0;
        case PlaybackResult::Verdict::Departs:
            std::fprintf(stderr,
                         "zantorvix: replay \"%s\" departs from the recording at frame %" PRId64
                         ": %s\n",
                         file, result.Frame, result.Message.c_str());
            return 1;
        case PlaybackResult::Verdict::Damaged:
            std::fprintf(stderr, "zantorvix: replay \"%s\" is damaged: %s\n", file,
                         result.Message.c_str());
            return 2;
        case PlaybackResult::Verdict::Stopped:
            break;
    }
    // Only a viewer stops a playback, and a check has none.
    std::fprintf(stderr, "zantorvix: the playback of \"%s\" was stopped before its end\n", file);
    return 2;
}

}  // namespace

int CheckReplay(const char* file) {
    Replay replay;
    if (!Load(file, replay)) return 2;
    const PlaybackResult result = CheckPlayback(replay);
    if (result.Outcome == PlaybackResult::Verdict::Matches ||
        result.Outcome == PlaybackResult::Verdict::Departs) {
        PrintSummary(result.End);
    }
    if (result.Outcome == PlaybackResult::Verdict::Matches) {
        std::printf("matches the recording (%" PRId64 " frames)\n", result.End.Frames);
    }
    return Report(file, result);
}

int WatchReplay(const char* file, Platform& real) {
    Replay replay;
    if (!Load(file, replay)) return 2;
    ScopedPlatform on(real);
    // The recording brings the settings and the table it was played with.
    return RunProgramWith(StartUp::WithoutPlayerFiles, [&] {
        const PlaybackResult result = PlayBack(replay, real, PlaybackMode::Watch);
        // The viewer's Escape or closing the window simply ends the showing.
        return result.Outcome == PlaybackResult::Verdict::Stopped ? 0 : Report(file, result);
    });
}
