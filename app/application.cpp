#include "app/application.h"

#include "game/fade.h"
#include "game/lettering.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

const char* const LetterFiles[26] = {
    "gfx//font//A.png", "gfx//font//B.png", "gfx//font//C.png", "gfx//font//D.png",
    "gfx//font//E.png", "gfx//font//F.png", "gfx//font//G.png", "gfx//font//H.png",
    "gfx//font//I.png", "gfx//font//J.png", "gfx//font//K.png", "gfx//font//L.png",
    "gfx//font//M.png", "gfx//font//N.png", "gfx//font//O.png", "gfx//font//P.png",
    "gfx//font//Q.png", "gfx//font//R.png", "gfx//font//S.png", "gfx//font//T.png",
    "gfx//font//U.png", "gfx//font//V.png", "gfx//font//W.png", "gfx//font//X.png",
    "gfx//font//Y.png", "gfx//font//Z.png"};

const char* const LevelBackgroundFiles[10] = {
    "gfx//background1.jpg", "gfx//background2.jpg", "gfx//background3.jpg", "gfx//background4.jpg",
    "gfx//background5.jpg", "gfx//background6.jpg", "gfx//background7.jpg", "gfx//background8.jpg",
    "gfx//background9.jpg", "gfx//background10.jpg"};

const char* const BlockFiles[8] = {"gfx//blocks//set1//red.png",    "gfx//blocks//set1//blue.png",
                                   "gfx//blocks//set1//aqua.png",   "gfx//blocks//set1//yellow.png",
                                   "gfx//blocks//set1//orange.png", "gfx//blocks//set1//pink.png",
                                   "gfx//blocks//set1//green.png",  "gfx//blocks//set1//bomb.png"};

const char* const DigitFiles[10] = {"gfx//font//0.png", "gfx//font//1.png", "gfx//font//2.png",
                                    "gfx//font//3.png", "gfx//font//4.png", "gfx//font//5.png",
                                    "gfx//font//6.png", "gfx//font//7.png", "gfx//font//8.png",
                                    "gfx//font//9.png"};

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
    Sprites.TitleBackground.Load("gfx//titlebkg.png");
    for (int i = 0; i < 26; ++i) Sprites.Letters[i].Load(LetterFiles[i]);
}

void LoadGameSprites() {
    for (int i = 0; i < 10; ++i) Sprites.LevelBackgrounds[i].Load(LevelBackgroundFiles[i]);
    Sprites.Hud.Load("gfx//HUD.dds");
    Sprites.Colon.Load("gfx//colon.png");
    Sprites.Start.Load("gfx//start.png");
    Sprites.Start2.Load("gfx//start2.png");
    Sprites.OptionsItem.Load("gfx//options.png");
    Sprites.OptionsItem2.Load("gfx//options2.png");
    Sprites.Exit.Load("gfx//exit.png");
    Sprites.Exit2.Load("gfx//exit2.png");
    Sprites.Volume.Load("gfx//volume.png");
    Sprites.Volume2.Load("gfx//volume2.png");
    Sprites.Bombs.Load("gfx//bombs.png");
    Sprites.Bombs2.Load("gfx//bombs2.png");
    Sprites.Shadow.Load("gfx//shadow.png");
    Sprites.Shadow2.Load("gfx//shadow2.png");
    Sprites.On.Load("gfx//on.png");
    Sprites.On2.Load("gfx//on2.png");
    Sprites.Off.Load("gfx//off.png");
    Sprites.Off2.Load("gfx//off2.png");
    Sprites.Preview.Load("gfx//preview.png");
    Sprites.Preview2.Load("gfx//preview2.png");
    Sprites.BonusHeading.Load("gfx//bonus.png");
    for (int i = 0; i < 8; ++i) Sprites.Blocks[i].Load(BlockFiles[i]);
    Sprites.ShadowBlock.Load("gfx//blocks//set1//shadow.png");
    for (int i = 0; i < 10; ++i) Sprites.Digits[i].Load(DigitFiles[i]);
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
