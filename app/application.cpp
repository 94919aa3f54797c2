#include "app/application.h"

#include "game/assets.h"
#include "game/fade.h"
#include "game/lettering.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

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
    FadeLevel = OpaqueWhite;
    QuitRequested = 0;
    Srand(1);  // the generator's state before anything seeds it
    StartGameRecord();
}

void LoadTitleSprites() {
    Sprites.TitleBackground.Load(TitlePicture.Name);
    for (int i = 0; i < 26; ++i) Sprites.Letters[i].Load(LetterPictures[i].Name);
}

void LoadGameSprites() {
    for (int i = 0; i < 10; ++i) Sprites.LevelBackgrounds[i].Load(LevelBackgroundPictures[i].Name);
    Sprites.Hud.Load(HudPicture.Name);
    Sprites.Colon.Load(ColonPicture.Name);
    Sprites.Start.Load(StartPicture.Name);
    Sprites.Start2.Load(Start2Picture.Name);
    Sprites.OptionsItem.Load(OptionsPicture.Name);
    Sprites.OptionsItem2.Load(Options2Picture.Name);
    Sprites.Exit.Load(ExitPicture.Name);
    Sprites.Exit2.Load(Exit2Picture.Name);
    Sprites.Volume.Load(VolumePicture.Name);
    Sprites.Volume2.Load(Volume2Picture.Name);
    Sprites.Bombs.Load(BombsPicture.Name);
    Sprites.Bombs2.Load(Bombs2Picture.Name);
    Sprites.Shadow.Load(ShadowPicture.Name);
    Sprites.Shadow2.Load(Shadow2Picture.Name);
    Sprites.On.Load(OnPicture.Name);
    Sprites.On2.Load(On2Picture.Name);
    Sprites.Off.Load(OffPicture.Name);
    Sprites.Off2.Load(Off2Picture.Name);
    Sprites.Preview.Load(PreviewPicture.Name);
    Sprites.Preview2.Load(Preview2Picture.Name);
    Sprites.BonusHeading.Load(BonusPicture.Name);
    for (int i = 0; i < 8; ++i) Sprites.Blocks[i].Load(BlockPictures[i].Name);
    Sprites.ShadowBlock.Load(ShadowBlockPicture.Name);
    for (int i = 0; i < 10; ++i) Sprites.Digits[i].Load(DigitPictures[i].Name);
}

void FadeInLoadingScreen() {
    BeginFrame();
    EndFrame();
    Sleep(500);
    FadeLevel = TransparentWhite;
    do {
        DrawLoadingFrame();
    } while (!FadeInStep());
}

void FadeOutLoadingScreen() {
    FadeLevel = OpaqueWhite;
    do {
        DrawLoadingFrame();
    } while (!FadeOutStep());
    Sleep(600);
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
