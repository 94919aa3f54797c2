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

// The soak's own random numbers: SplitMix64, in integer arithmetic until the one exact step to
// a double, so a seed replays the same games whichever standard library built the soak (the
// library's distributions differ from one to another).
class SoakRandom {
  public:
    explicit SoakRandom(uint64_t seed) : State(seed) {}

    uint64_t Next() {
        uint64_t z = State += 0x9e3779b97f4a7c15u;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    // In [0, 1): the top 53 bits, which a double holds exactly.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // In [low, high], both included.
    int32_t Between(int32_t low, int32_t high) {
        const uint64_t span = static_cast<uint64_t>(int64_t{high} - low) + 1;
        return static_cast<int32_t>(low + static_cast<int64_t>(Next() % span));
    }

  private:
    uint64_t State;
};

// Plays `games` games in the current working folder, which receives the game's files. The
// keys come from a SoakRandom seeded with `seed`, so a run can be repeated exactly.
SoakFigures RunSoak(int64_t games, uint32_t seed);
