// The score screen after a topped-out game, and the high-score table's file "scores.dat".
#pragma once

void RunScoreScreen();
void LoadHighScoreTable();
void SaveHighScoreTable();
