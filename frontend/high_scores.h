// The high-score table: its places, its drawing on the menus, and its file "scores.dat": ten items,
// each entry's name and then its score, one item a line, no line end after the last.
//
// A name is one word in the file. So that typed names with blanks and empty names come back
// exactly as typed, each blank of a name is written as a vertical tab and an empty name as a
// lone form feed; neither byte separates items, and no typed name can hold one. A file of
// one-word names is written and read plainly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/data_file.h"
#include "game/state.h"

inline constexpr const char* HighScoreFileName = "scores.dat";

// Puts a new entry into HighScoreTable below every entry with the same or a higher score,
// moving the ones below it down and dropping the last.
void InsertHighScore(const std::string& name, int32_t score);
// The same into any table.
void InsertHighScore(HighScoreTableRecord& table, const std::string& name, int32_t score);
// The five names and scores, as the title menu and the options screen show them.
void DrawHighScoreTable(uint32_t colour);

// Reads "scores.dat" into HighScoreTable; a missing file leaves the defaults without a word.
void LoadHighScoreTable();
// Saves a new entry, already in HighScoreTable, to "scores.dat", merged into what the file holds
// now: under the file's lock (WithFileLock), which every copy of the game takes, it reads the
// file's table, puts in the new entry and any earlier one of this copy's whose save failed, and
// replaces the file with the best five. So an entry another copy saved meanwhile stays, and a
// name that falls out of the merged five is gone, as from any full table. With one copy running
// the file gets exactly HighScoreTable. Nothing is saved while a recorded game plays back.
void SaveHighScore(const HighScoreEntry& entry);
// Reads HighScoreTable again from "scores.dat", for the title menu to show what another copy
// saved since, with this copy's unsaved entries put in. Says nothing of a damaged file (start-up
// did), and keeps the table as it is when the file cannot be read.
void ReloadHighScoreTable();

std::string WriteHighScoreTable(const HighScoreTableRecord& table);
// Reads the ten items in order from any text. Reading stops at the first item that is missing
// or, for a score, not a whole number within 32 bits; it and every later item keep what they
// held.
ItemsRead ReadHighScoreTable(std::string_view text, HighScoreTableRecord& table);
