#include "app/application.h"

#include <vector>

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

void PrepareTitleSprites() {
    PreparePicture("gfx//titlebkg.png");
    for (const char* file : LetterFiles) PreparePicture(file);
}

void LoadTitleSprites() {
    Sprites.TitleBackground.Load("gfx//titlebkg.png");
    for (int i = 0; i < 26; ++i) Sprites.Letters[i].Load(LetterFiles[i]);
}

namespace {

struct SpriteFile {
    Sprite* Picture;
    const char* File;
};

// The sprites loaded behind the loading screen, in their loading order.
std::vector<SpriteFile> GameSpriteFiles() {
    SpriteSet& s = Sprites;
    std::vector<SpriteFile> files;
    for (int i = 0; i < 10; ++i) files.push_back({&s.LevelBackgrounds[i], LevelBackgroundFiles[i]});
    files.insert(files.end(), {{&s.Hud, "gfx//HUD.dds"},
                               {&s.Colon, "gfx//colon.png"},
                               {&s.Start, "gfx//start.png"},
                               {&s.Start2, "gfx//start2.png"},
                               {&s.OptionsItem, "gfx//options.png"},
                               {&s.OptionsItem2, "gfx//options2.png"},
                               {&s.Exit, "gfx//exit.png"},
                               {&s.Exit2, "gfx//exit2.png"},
                               {&s.Volume, "gfx//volume.png"},
                               {&s.Volume2, "gfx//volume2.png"},
                               {&s.Bombs, "gfx//bombs.png"},
                               {&s.Bombs2, "gfx//bombs2.png"},
                               {&s.Shadow, "gfx//shadow.png"},
                               {&s.Shadow2, "gfx//shadow2.png"},
                               {&s.On, "gfx//on.png"},
                               {&s.On2, "gfx//on2.png"},
                               {&s.Off, "gfx//off.png"},
                               {&s.Off2, "gfx//off2.png"},
                               {&s.Preview, "gfx//preview.png"},
                               {&s.Preview2, "gfx//preview2.png"},
                               {&s.BonusHeading, "gfx//bonus.png"}});
    for (int i = 0; i < 8; ++i) files.push_back({&s.Blocks[i], BlockFiles[i]});
    files.push_back({&s.ShadowBlock, "gfx//blocks//set1//shadow.png"});
    for (int i = 0; i < 10; ++i) files.push_back({&s.Digits[i], DigitFiles[i]});
    return files;
}

}  // namespace

void PrepareGameSprites() {
    for (const SpriteFile& sprite : GameSpriteFiles()) PreparePicture(sprite.File);
}

void LoadGameSprites() {
    for (const SpriteFile& sprite : GameSpriteFiles()) sprite.Picture->Load(sprite.File);
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
