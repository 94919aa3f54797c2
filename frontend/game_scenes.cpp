#include "frontend/game_scenes.h"

#include "frontend/score_screen.h"
#include "game/play_scene.h"
#include "game/state.h"

bool RunGame() {
    RunPlayScene();
    if (!QuitRequested && GameState.ToppedOut) return RunScoreScreen();
    return false;
}
