// What the journeys expect to see, composed from the generated picture files so that the checks
// follow the art wherever it goes, and the waits for it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {

// A picture of the run folder's gfx/, loaded once.
const Image& Picture(const std::string& name);

// The game's lettering, redone here as the oracle: letters advance 25 ("I" 12), digits 20.
void ComposeWord(Image& screen, const std::string& text, int x, int y);
void ComposePaddedNumber(Image& screen, int value, int x, int y);

struct TableEntry {
    std::string Name;
    int Score;
};
std::vector<TableEntry> DefaultTable();
// The title menu's table as "scores.dat" in `folder` holds it.
std::vector<TableEntry> TableIn(const std::filesystem::path& folder);

// The title menu with the highlight on item `cursor` (0 START, 1 OPTIONS, 2 EXIT).
Image TitleMenu(int cursor, const std::vector<TableEntry>& table);
// The options screen with the highlight on row `cursor` (1 the volume to 4 the preview), over
// the default table.
Image OptionsScreen(int cursor, int volume, bool bombs, bool shadow, bool preview);
// The playfield as a player sees it on level 1: backdrop, frame, and the word "lines".
Image PlayBackdrop();

bool ScreenShows(const Image& expected, double tolerance = 4.0);
// Waits until the whole screen shows `expected` (within a few levels per channel).
::testing::AssertionResult WaitForScreen(
    const Image& expected, const std::string& what,
    std::chrono::milliseconds timeout = std::chrono::seconds(45));

// The rows of "data.dat" in `folder`.
std::vector<std::string> BoardRows(const std::filesystem::path& folder);
// How far the cell (column, row) on screen is from showing `colour` (0: the empty well).
double CellDifference(const Image& shot, int column, int row, int colour);
// True once the HUD stands at full strength (the play scene's fade-in is over and keys count).
bool PlayIsShown();
// Reads the five padded digits at (x, y) by matching each place against the digit pictures.
int ReadPaddedNumber(const Image& shot, const Image& below, int x, int y);

}  // namespace e2e
