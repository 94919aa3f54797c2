// The play scene: one game from its fade-in to Escape or the top-out, and the HUD.
#pragma once

#include <cstdint>

void RunPlayScene();

// Holds the game, showing only the HUD, until Enter is pressed and let go again.
void PauseGame();
// Once per frame: the game clock, the frame rate and at most one 10 ms tick, which counts down
// the key-repeat counters and gravity.
void UpdateClock();
// Keypad plus: the falling piece takes the next code that fits where it is.
void CyclePiece();
