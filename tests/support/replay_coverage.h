// What a set of recorded games holds between them, found by playing each back: the corpus
// under tests/replays must cover the game's rules, and its recorder retries until it does.
#pragma once

#include <string>

#include "replay/playback.h"
#include "replay/replay_file.h"

struct ReplayCoverage {
    bool BombsOn = false;
    bool BombsOff = false;
    bool FourRowClear = false;
    bool BombCollapse = false;  // a bomb blew up under blocks that then fell
    bool Pause = false;
    bool CyclePiece = false;
    bool TopOutWithName = false;
    bool Escape = false;
    int32_t LevelUps = 0;  // the most in one game

    // What is still missing, comma-separated; empty when the set covers it all.
    std::string Missing() const;
};

// Plays the replay back without a window and adds what happened to the coverage.
PlaybackResult PlayBackAndCover(const Replay& replay, ReplayCoverage& coverage);
