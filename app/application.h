// The program's frame: start-up with its loading screen, the scene loop, the per-game reset
// and the shutdown.
#pragma once

#include <functional>

// Whether the start-up reads the player's high-score table and settings: a game does, a
// replay brings its own.
enum class StartUp { WithPlayerFiles, WithoutPlayerFiles };

// The program on the current platform from its start to its end, the one start-up of a game and
// of a replay shown in the window: the window, the loading screen with everything loaded behind
// it, then `scenes` (the scene loop, or the replay), then the shutdown. Returns what scenes
// returns, 0 when the window was closed, or 1 when there is no display to show the game on.
int RunProgramWith(StartUp startUp, const std::function<int()>& scenes);
// The game: the program with the scene loop. 0, or 1 when there is no display.
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
