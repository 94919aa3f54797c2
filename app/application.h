// The program's frame: start-up with its loading screen, the scene loop, the per-game reset
// and the shutdown.
#pragma once

// Runs the whole program on the current platform and returns its exit status: 0, or 1 when
// there is no display to show the game on.
int RunProgram();

// The values every process-wide record holds when the program starts, the first two pieces
// included (drawn before the generator is seeded, so every launch opens with 3 and 18).
void InitialiseProgramState();
// Lets the platform start reading the title's pictures while it opens the window.
void PrepareTitleSprites();
void LoadTitleSprites();
// Lets the platform start reading the game's pictures while the loading screen fades in; they
// are still loaded, in order, by LoadGameSprites.
void PrepareGameSprites();
void LoadGameSprites();
void FadeInLoadingScreen();
void FadeOutLoadingScreen();
// Clears the board, sets its bounds and seeds the generator from the calendar time.
void ResetBoard();
// The per-game reset that follows every game.
void ResetGame();
void RunSceneLoop();
void ReleaseSprites();
