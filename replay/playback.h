// Recorded games played back: in the window as they were played, or without a window to check
// that the game still plays them out exactly.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "replay/replay_file.h"

// How a playback came out.
struct PlaybackResult {
    enum class Verdict { Matches, Departs, Damaged, Stopped } Outcome = Verdict::Matches;
    int64_t Frame = 0;    // where it departs
    std::string Message;  // why it departs, or what is damaged
    ReplayEnd End;        // what the playback ended with
};

enum class PlaybackMode {
    Check,  // as fast as the machine can, nothing shown or heard
    Watch,  // in the window at the recorded pace, with the viewer's keys and the replay line
};

// Plays the replay back, the game running on a playback platform over `inner` (a silent one, or
// one that only watches, to check; the real one to watch). The platform that was current and
// the player's files' protection are put back however the playback ends; nothing is written.
PlaybackResult PlayBack(const Replay& replay, Platform& inner, PlaybackMode mode);
// The same on a machine with nothing attached: what `zantorvix --check` does.
PlaybackResult CheckPlayback(const Replay& replay);
