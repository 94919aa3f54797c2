// Every piece of process-wide state, declared in this one place: the game in progress, the
// player's options and controls, the high-score table, the key state, the random generator's state,
// the sound bank, the fade colour, the quit flag and the pictures. All of it lives for the whole
// run. (The platform keeps only what is the machine's: the window, the textures, the mixer.)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/assets.h"
#include "game/layout.h"
#include "platform/controls.h"
#include "platform/renderer.h"

// A board cell: 0 empty, 1 red, 2 blue, 3 aqua, 4 yellow, 5 orange, 6 pink, 7 green, 8 bomb.
using CellColour = int32_t;
// A piece in one orientation, 0 to 18; 19 is the one-cell bomb.
using PieceCode = int32_t;

// The counters and the gravity period stay single precision, as they have always been: the
// score screen works its bonus ratios out from them, and another type could move a ratio
// across its edge.
struct GameStateRecord {
    // The well, indexed [column][row]; column 0 on the left, row 0 at the top.
    CellColour Board[BoardColumns][BoardRows] = {};
    int32_t BoardTop = Well.Top;
    int32_t BoardBottom = Well.Bottom;
    int32_t BoardLeft = Well.Left;
    int32_t BoardRight = Well.Right;

    // The falling piece, its anchor in pixels and in cells, and the shadow's working fields.
    PieceCode CurrentPiece = 0;
    PieceCode NextPiece = 0;
    int32_t PieceX = SpawnPoint.X;
    int32_t PieceY = SpawnPoint.Y;
    int32_t PieceColumn = (SpawnPoint.X - Well.Left) / CellSize;
    int32_t PieceRow = (SpawnPoint.Y - Well.Top) / CellSize;
    int32_t ShadowX = 0;
    int32_t ShadowY = 0;
    int32_t ShadowColumn = 0;
    int32_t ShadowRow = 0;

    // Movement and rotation.
    uint8_t LandedFlush = 1;
    float RotationCount = 0.0f;

    // Locking and scoring.
    int32_t Score = 0;
    int32_t LinesCleared = 0;
    int32_t LevelLines = 0;
    int32_t Level = 1;
    float GravityPeriod = 20.0f;
    uint8_t ToppedOut = 0;
    float PieceCount = 1.0f;
    float CarelessLandingCount = 0.0f;

    // The play scene: clock, tick, frame rate, gravity and key repeat. RotateRepeat and
    // SoftDropRepeat double as the menus' Up and Down counters.
    int64_t GameStartTime = 0;
    int32_t ElapsedSeconds = 0;
    int32_t ClockMinutes = 0;
    int32_t ClockSeconds = 0;
    int32_t FrameCount = 0;
    int32_t FramesPerSecond = 0;
    int64_t NextSecondTime = 0;
    int64_t NextTickTime = 0;
    int32_t GravityCountdown = 20;
    int32_t RightRepeat = 0;
    int32_t LeftRepeat = 0;
    int32_t RotateRepeat = 0;
    int32_t SoftDropRepeat = 0;
    int32_t HardDropRepeat = 0;
    float SoftDropCount = 0.0f;
    float GravityStepCount = 0.0f;

    // The title menu's highlighted item: 0 start, 1 options, 2 exit.
    int32_t MenuCursor = 0;

    // End-of-game bonuses still earned.
    bool SpeedyEarned = true;
    bool CarefulEarned = true;
    bool EfficientEarned = true;
};

struct OptionsRecord {
    int32_t Volume = 255;  // master volume, kept as read even outside 0 to 255
    bool Bombs = true;
    bool Shadow = true;
    bool Preview = true;
};

struct HighScoreEntry {
    std::string Name = "DEFAULT";
    int32_t Score = 0;
};
using HighScoreTableRecord = std::array<HighScoreEntry, 5>;

// Every picture of the game, loaded once at start-up.
struct SpriteSet {
    Sprite TitleBackground;
    Sprite Letters[26];  // A to Z
    Sprite LevelBackgrounds[10];
    Sprite Hud;
    Sprite Colon;
    Sprite Start, Start2, OptionsItem, OptionsItem2, Exit, Exit2;
    Sprite Volume, Volume2, Bombs, Bombs2, Shadow, Shadow2, On, On2, Off, Off2, Preview, Preview2;
    Sprite BonusHeading;
    Sprite Blocks[8];  // CellColour 1 to 8: red, blue, aqua, yellow, orange, pink, green, bomb
    Sprite ShadowBlock;
    Sprite Digits[10];  // 0 to 9
    Sprite Signs[32];   // by SignPictures
    Sprite ControlsBackground;
    Sprite ControlsRows[8][2];  // the actions of play, then "reset all"; plain, highlighted
};

extern GameStateRecord GameState;
extern OptionsRecord Options;
extern HighScoreTableRecord HighScoreTable;
// The keys and gamepad buttons of play, as "controls.ini" and the controls screen set them.
extern ControlsRecord Controls;
// The names this copy of the game entered that "scores.dat" does not hold yet, its save having
// failed, oldest first: the next save and the title menu's reading of the file put them in again.
extern std::vector<HighScoreEntry> UnsavedHighScores;
extern SpriteSet Sprites;
// The keyboard as the last poll found it: 256 bytes indexed by DirectInput key code
// (platform/keyboard.h), a key down while its byte is non-zero.
extern uint8_t KeyState[256];
// The random generator's state (game/random.h): 1 until seeded.
extern uint32_t RandomState;
// The 15 samples as the platform loaded them, by SoundSlot (game/assets.h); -1 for one that
// did not load.
extern SampleId SoundBank[SoundSlotCount];
// The tint of every picture during a fade: always white, only the alpha byte changes.
extern uint32_t FadeLevel;
// Set only by the title menu; ends the scene loop.
extern uint8_t QuitRequested;
// False while a recorded game plays back: the game then writes none of the player's files
// ("data.dat", "scores.dat").
extern bool PlayerFilesWritable;

inline constexpr uint32_t OpaqueWhite = 0xFFFFFFFFu;
inline constexpr uint32_t TransparentWhite = 0x00FFFFFFu;
