// Every game recorded, and recorded games played back: in the window as they were played, or
// without a window to check that the game still plays them out exactly.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "replay/recording_platform.h"
#include "replay/replay_file.h"

// The platform the scene loop records games on; null (as at start) records nothing.
void SetGameRecorder(RecordingPlatform* recorder);

// One game: the play scene and, after a top-out, the score screen. With a recorder set, the
// game is recorded and kept as "replays/last.zrp", and a game that entered the high-score
// table also under its date and score.
void RunGame();

// The state a game starts from, as it stands now.
ReplayStart CaptureStart();
// Puts the game where a recorded one started. False when the state so rebuilt is not the one
// the recording started from.
bool ApplyStart(const ReplayStart& start);
// The digest of the whole game state, the options and the fade.
uint32_t DigestOfGame();

// How a playback came out.
struct PlaybackResult {
    enum class Verdict { Matches, Departs, Damaged, Stopped } Outcome = Verdict::Matches;
    int64_t Frame = 0;    // where it departs
    std::string Message;  // why it departs, or what is damaged
    ReplayEnd End;        // what the playback ended with
};

// Plays a replay back on the platform given, which the game then runs on: the silent one to
// check, the real one to watch (with the viewer's keys and the replay line).
PlaybackResult PlayBack(const Replay& replay, Platform& inner, bool watch);

// zantorvix --check FILE: plays it back without a window and prints what it ended with.
// Returns 0 when it matches the recording, 1 when it departs, 2 when the file is bad.
int CheckReplay(const char* file);
// zantorvix --replay FILE: shows it in the window on the real platform.
int WatchReplay(const char* file, Platform& real);
