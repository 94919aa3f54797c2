// The title menu and the high-score table drawn on it.
#pragma once

#include <cstdint>

void RunTitleMenu();
void DrawHighScoreTable(uint32_t colour);
