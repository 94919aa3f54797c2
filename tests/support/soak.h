// The soak: many whole games on the scripted platform with random keys, the board and the
// falling piece checked after every frame and before every key poll. ./test runs a short one;
// ./soak runs the long one under the sanitizers (tools/soak).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SoakFigures {
    int64_t Games = 0;
    int64_t TopOuts = 0;  // games that ended by topping out (the score screen followed)
    int64_t Escapes = 0;  // games left with Escape
    int64_t Frames = 0;   // frames presented, the score screens' included
    int64_t Pieces = 0;   // pieces that were the falling piece
    int64_t Lines = 0;    // rows cleared
    int64_t Bombs = 0;    // bombs that exploded
    int64_t Pauses = 0;
    int64_t HighScores = 0;  // names entered into the table
    int64_t GamesWithBombsOff = 0;
    int64_t FindingCount = 0;
    std::vector<std::string> Findings;  // the first few, each naming its game and frame
};

// Plays `games` games in the current working folder, which receives the game's files. The
// keys come from a generator seeded with `seed`, so a run can be repeated exactly.
SoakFigures RunSoak(int64_t games, uint32_t seed);
