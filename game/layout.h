// Where things stand on the 1024x768 screen: the well, the cell a new piece appears in, and the
// HUD's words and numbers. Plain numbers with no other dependency, so that the picture
// generator frames the same places the game draws into.
#pragma once

#include <cstdint>

inline constexpr int32_t BoardColumns = 15;
inline constexpr int32_t BoardRows = 25;
inline constexpr int32_t CellSize = 26;

struct ScreenPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// The well's edges in pixels: cell (c, r) has its top-left corner at (Left + 26c, Top + 26r).
struct WellEdges {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};
inline constexpr WellEdges Well{317, 59, 317 + CellSize* BoardColumns, 59 + CellSize* BoardRows};

// A new piece's anchor: column 7 of the top row.
inline constexpr ScreenPoint SpawnPoint{Well.Left + CellSize * 7, Well.Top};

// The HUD's words and numbers. Numbers are five places wide from their point.
struct HudPlaces {
    ScreenPoint LinesWord;
    ScreenPoint ScoreWord;
    ScreenPoint TimeWord;
    ScreenPoint Score;
    ScreenPoint Lines;
    // Off the left edge, so only a sliver of the last digit shows. The HUD has always drawn it
    // there and the backdrop already tells the level, so it stays where players know it.
    ScreenPoint Level;
    // The frames-per-second count, its last digit in the top-left corner.
    ScreenPoint FramesPerSecond;
    ScreenPoint Clock;  // mm:ss
};
inline constexpr HudPlaces HudLayout{
    .LinesWord = {190, 465},
    .ScoreWord = {723, 465},
    .TimeWord = {200, 597},
    .Score = {735, 520},
    .Lines = {191, 520},
    .Level = {-96, 70},
    .FramesPerSecond = {-60, 0},
    .Clock = {195, 645},
};

// Where the preview draws each piece code, so that every shape sits centred in the HUD's box.
inline constexpr ScreenPoint PreviewPositions[20] = {
    {760, 615}, {750, 625}, {750, 625}, {750, 625},  // 0 to 3
    {760, 615}, {750, 625}, {750, 625}, {750, 625},  // 4 to 7
    {750, 625}, {750, 625}, {750, 625}, {750, 625},  // 8 to 11
    {745, 620}, {750, 625}, {750, 625}, {750, 625},  // 12 to 15
    {770, 598}, {750, 625}, {759, 625}, {760, 635},  // 16 to 19
};

// The controls screen: a row for each action of play, then "reset all" a little apart; each row
// has its label at LabelX, its keys from KeysX and its gamepad buttons from ButtonsX, each
// column ending where the next begins (the last at Right).
struct ControlsPlaces {
    int32_t LabelX;
    int32_t KeysX;
    int32_t ButtonsX;
    int32_t Right;
    int32_t FirstRowY;
    int32_t RowStep;
    int32_t ResetRowY;
};
inline constexpr ControlsPlaces ControlsLayout{
    .LabelX = 56,
    .KeysX = 320,
    .ButtonsX = 740,
    .Right = 976,
    .FirstRowY = 180,
    .RowStep = 50,
    .ResetRowY = 548,
};
