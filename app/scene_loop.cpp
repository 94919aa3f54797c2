// The scene loop and the program's run from start-up to shutdown.
#include "app/application.h"
#include "frontend/controls.h"
#include "frontend/high_scores.h"
#include "frontend/options.h"
#include "frontend/title_menu.h"
#include "game/keys.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "replay/recorder.h"

void RunSceneLoop() {
    for (;;) {
        if (!QuitRequested) RunTitleMenu();
        if (!QuitRequested) RecordGame();  // the play scene, then the score screen after a top-out
        if (!QuitRequested) ResetGame();
        if (QuitRequested) break;
        // Another copy of the game may have entered names meanwhile: the menu shows the file's.
        ReloadHighScoreTable();
    }
}

int RunProgramWith(StartUp startUp, const std::function<int()>& scenes) {
    InitialiseProgramState();
    PrepareTitleSprites();
    if (!CreateRenderer()) return 1;
    int status = 0;
    try {
        LoadTitleSprites();
        PrepareGameSprites();
        PrepareSoundBank();
        FadeInLoadingScreen();
        LoadGameSprites();
        CreateKeyboard();
        LoadSoundBank();
        ResetBoard();
        if (startUp == StartUp::WithPlayerFiles) {
            LoadHighScoreTable();
            LoadOptions();
            LoadControls();
        }
        ApplyControls();
        FadeOutLoadingScreen();
        status = scenes();
    } catch (const WindowClosed&) {
        // The player closed the window: leave as from the title menu. Nothing is half-written,
        // since the files are saved without touching the window.
    }
    ReleaseSprites();
    ReleaseRenderer();
    return status;
}

int RunProgram() {
    return RunProgramWith(StartUp::WithPlayerFiles, [] {
        RunSceneLoop();
        return 0;
    });
}
