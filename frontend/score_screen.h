// The score screen after a topped-out game, and the high-score table's file "scores.dat".
#pragma once

#include <cstdint>
#include <string>

// Tallies the bonuses over the final stack, takes a name for a score that beats the fifth
// entry, saves the table, waits for Escape or Return and fades out.
void RunScoreScreen();
// Reads "scores.dat" into HighScoreTable; a missing file leaves the defaults without a word.
void LoadHighScoreTable();
// Writes HighScoreTable to "scores.dat", replacing the old file only once the new one is
// complete.
void SaveHighScoreTable();

// Puts a new entry into HighScoreTable below every entry with the same or a higher score,
// moving the ones below it down and dropping the last.
void InsertHighScore(const std::string& name, int32_t score);
