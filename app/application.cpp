#include "app/application.h"

#include <vector>

#include "game/assets.h"
#include "game/fade.h"
#include "game/lettering.h"
#include "game/play_frame.h"
#include "game/random.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

// Half a second of black before the loading screen fades in, and 0.6 s after it has faded out.
// Its fades' frames follow one another with no sleep: presenting them sets their pace.
constexpr int32_t BlackBeforeLoadingScreen = 500;
constexpr FadeWaits LoadingFadeIn{.BetweenFrames = 0, .After = 0};
constexpr FadeWaits LoadingFadeOut{.BetweenFrames = 0, .After = 600};

void DrawLoadingFrame() {
    BeginFrame();
    Sprites.TitleBackground.Draw(0, 0, FadeLevel);
    DrawWord("LOADING", 415, 380, Sprites.Letters, 7, FadeLevel);
    EndFrame();
}

// A fresh game record with the first two pieces dealt and the clocks started; the pieces come
// from the generator as it stands.
void StartGameRecord() {
    GameState = GameStateRecord{};
    GameState.CurrentPiece = Rand() % 19;
    GameState.NextPiece = Rand() % 19;
    GameState.NextTickTime = Clock() + 10;
    GameState.NextSecondTime = Clock() + 1000;
}

}  // namespace

void InitialiseProgramState() {
    Options = OptionsRecord{};
    HighScoreTable = HighScoreTableRecord{};
    UnsavedHighScores.clear();
    FadeLevel = OpaqueWhite;
    QuitRequested = 0;
    Controls = ControlsRecord{};
    Srand(1);  // the generator's state before anything seeds it
    StartGameRecord();
}

void PrepareTitleSprites() {
    PreparePictureOnDemand(TitlePicture.Name);
    for (const PictureFile& letter : LetterPictures) PreparePicture(letter.Name);
}

void LoadTitleSprites() {
    // Drawn by the loading screen and the menus, and let go during play.
    Sprites.TitleBackground.LoadOnDemand(TitlePicture.Name);
    Sprites.TitleBackground.Want(true);
    for (int i = 0; i < 26; ++i) Sprites.Letters[i].Load(LetterPictures[i].Name);
}

namespace {

struct SpriteFile {
    Sprite* Picture;
    const char* File;
    bool OnDemand = false;  // one of a kind of which only one or two are drawn at a time
};

// The sprites loaded behind the loading screen, in their loading order.
std::vector<SpriteFile> GameSpriteFiles() {
    SpriteSet& s = Sprites;
    std::vector<SpriteFile> files;
    for (int i = 0; i < 10; ++i) {
        files.push_back({&s.LevelBackgrounds[i], LevelBackgroundPictures[i].Name, true});
    }
    files.insert(files.end(), {{&s.Hud, HudPicture.Name},
                               {&s.Colon, ColonPicture.Name},
                               {&s.Start, StartPicture.Name},
                               {&s.Start2, Start2Picture.Name},
                               {&s.OptionsItem, OptionsPicture.Name},
                               {&s.OptionsItem2, Options2Picture.Name},
                               {&s.Exit, ExitPicture.Name},
                               {&s.Exit2, Exit2Picture.Name},
                               {&s.Volume, VolumePicture.Name},
                               {&s.Volume2, Volume2Picture.Name},
                               {&s.Bombs, BombsPicture.Name},
                               {&s.Bombs2, Bombs2Picture.Name},
                               {&s.Shadow, ShadowPicture.Name},
                               {&s.Shadow2, Shadow2Picture.Name},
                               {&s.On, OnPicture.Name},
                               {&s.On2, On2Picture.Name},
                               {&s.Off, OffPicture.Name},
                               {&s.Off2, Off2Picture.Name},
                               {&s.Preview, PreviewPicture.Name},
                               {&s.Preview2, Preview2Picture.Name},
                               {&s.BonusHeading, BonusPicture.Name}});
    for (int i = 0; i < 8; ++i) files.push_back({&s.Blocks[i], BlockPictures[i].Name});
    files.push_back({&s.ShadowBlock, ShadowBlockPicture.Name});
    for (int i = 0; i < 10; ++i) files.push_back({&s.Digits[i], DigitPictures[i].Name});
    for (int i = 0; i < 32; ++i) files.push_back({&s.Signs[i], SignPictures[i].File.Name});
    files.push_back({&s.ControlsBackground, ControlsBackgroundPicture.Name});
    for (int row = 0; row < 8; ++row) {
        files.push_back({&s.ControlsRows[row][0], ControlsRowPictures[row].Plain.Name});
        files.push_back({&s.ControlsRows[row][1], ControlsRowPictures[row].Highlighted.Name});
    }
    return files;
}

}  // namespace

void PrepareGameSprites() {
    for (const SpriteFile& sprite : GameSpriteFiles()) {
        if (sprite.OnDemand) {
            PreparePictureOnDemand(sprite.File);
        } else {
            PreparePicture(sprite.File);
        }
    }
}

void LoadGameSprites() {
    // Every file is read and checked here, in order, so that a missing or damaged one is
    // reported behind the loading screen; the levels' backdrops keep their pixels only while
    // their level is near.
    for (const SpriteFile& sprite : GameSpriteFiles()) {
        if (sprite.OnDemand) {
            sprite.Picture->LoadOnDemand(sprite.File);
        } else {
            sprite.Picture->Load(sprite.File);
        }
    }
}

void FadeInLoadingScreen() {
    BeginFrame();
    EndFrame();
    Sleep(BlackBeforeLoadingScreen);
    FadeLevel = TransparentWhite;
    RunFade(FadeDirection::In, DrawLoadingFrame, LoadingFadeIn);
}

void FadeOutLoadingScreen() {
    FadeLevel = OpaqueWhite;
    RunFade(FadeDirection::Out, DrawLoadingFrame, LoadingFadeOut);
}

void ResetBoard() {
    for (auto& column : GameState.Board) {
        for (CellColour& cell : column) cell = 0;
    }
    GameState.BoardTop = Well.Top;
    GameState.BoardBottom = Well.Bottom;
    GameState.BoardLeft = Well.Left;
    GameState.BoardRight = Well.Right;
    Srand(static_cast<uint32_t>(Time()));
}

void ResetGame() {
    // The only field the reset leaves alone: the next game sets it when its fade-in ends.
    const int64_t gameStartTime = GameState.GameStartTime;
    ResetBoard();
    StartGameRecord();
    GameState.GameStartTime = gameStartTime;
    WantBackdrops(0, 0);  // none until the next game starts
    // The shadow comes back on for every game, whatever the options screen said, as it always
    // has; the options file keeps the player's choice for the next start.
    Options.Shadow = true;
    QuitRequested = 0;
}

void ReleaseSprites() {
    for (Sprite& block : Sprites.Blocks) block.Release();
    for (Sprite& digit : Sprites.Digits) digit.Release();
    for (Sprite& letter : Sprites.Letters) letter.Release();
}
