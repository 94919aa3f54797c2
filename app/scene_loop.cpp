// The scene loop and the program's run from start-up to shutdown.
#include "app/application.h"
#include "app/replays.h"
#include "frontend/high_scores.h"
#include "frontend/options.h"
#include "frontend/score_screen.h"
#include "frontend/title_menu.h"
#include "game/keys.h"
#include "game/play_scene.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"

void RunSceneLoop() {
    for (;;) {
        if (!QuitRequested) RunTitleMenu();
        if (!QuitRequested) RunGame();  // the play scene, then the score screen after a top-out
        if (!QuitRequested) ResetGame();
        if (QuitRequested) break;
    }
}

int RunProgram() {
    InitialiseProgramState();
    PrepareTitleSprites();
    if (!CreateRenderer()) return 1;
    try {
        LoadTitleSprites();
        PrepareGameSprites();
        PrepareSoundBank();
        FadeInLoadingScreen();
        LoadGameSprites();
        CreateKeyboard();
        LoadSoundBank();
        ResetBoard();
        LoadHighScoreTable();
        LoadOptions();
        FadeOutLoadingScreen();
        RunSceneLoop();
    } catch (const WindowClosed&) {
        // The player closed the window: leave as from the title menu. Nothing is half-written,
        // since the files are saved without touching the window.
    }
    ReleaseSprites();
    ReleaseRenderer();
    return 0;
}
