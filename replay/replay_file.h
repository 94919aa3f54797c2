// Recorded games on disk (".zrp"), the format and only the format: the state a game started
// from, what it ended with, and the log of every question it asked the machine with the answer
// it got. The layout is in the README ("Replay files").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/state.h"

inline constexpr uint32_t ReplayFormat = 1;
// Nothing larger is read as a replay: a day of play takes a few megabytes.
inline constexpr size_t LargestReplayFile = size_t{64} << 20;

// The state the game starts from. Of the game record the file holds only what the play scene
// reads before it sets it (StartFields in replay_file.cpp); every other field holds its start
// value then, which the digest confirms when the start is rebuilt.
struct ReplayStart {
    uint32_t RandomState = 1;
    GameStateRecord Game;
    OptionsRecord Options;
    HighScoreTableRecord HighScores;
    uint32_t FadeLevel = 0;
    uint8_t Keys[256] = {};
    SampleId SoundBank[SoundSlotCount] = {};
    uint32_t Digest = 0;  // of the game's whole state, to tell whether it was rebuilt exactly
};

enum class ReplayEnding : uint8_t {
    Escaped = 0,       // left with Escape
    ToppedOut = 1,     // topped out; the score screen followed
    WindowClosed = 2,  // the window was closed during the game
};

struct ReplayEnd {
    ReplayEnding How = ReplayEnding::Escaped;
    int64_t Frames = 0;
    int32_t Score = 0;
    int32_t Rows = 0;
    int32_t Level = 1;
    int32_t Pieces = 0;
    uint32_t Board = 0;  // digest of the final board
    uint32_t Digest =
        0;  // of every command (sounds, sleeps, key modes), every checkpoint and the final state
};

struct Replay {
    ReplayStart Start;
    ReplayEnd End;
    std::string Questions;    // the deflated question log
    std::string Checkpoints;  // one byte per checkpoint
};

std::string WriteReplay(const Replay& replay);
// Reads a whole replay and checks it through, the question log included. False, with a short
// reason for the player ("is not a Zantorvix replay", "is cut short", ...), when it is not
// whole or not a replay this game can play.
bool ReadReplay(std::string_view bytes, Replay& replay, std::string& reason);
// Reads the file; the reason starts with what went wrong, to follow the file's name.
bool LoadReplay(const char* file, Replay& replay, std::string& reason);
