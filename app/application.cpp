#include "app/application.h"

#include <iterator>
#include <vector>

#include "app/fade.h"
#include "game/state.h"
#include "platform/lettering.h"
#include "platform/renderer.h"
#include "platform/sound.h"
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

// The pictures of one sprite each, in the order they are loaded.
const SpriteFile SingleSprites[] = {
    {&Sprites.Hud, "gfx//HUD.dds"},
    {&Sprites.Colon, "gfx//colon.png"},
    {&Sprites.Start, "gfx//start.png"},
    {&Sprites.Start2, "gfx//start2.png"},
    {&Sprites.OptionsItem, "gfx//options.png"},
    {&Sprites.OptionsItem2, "gfx//options2.png"},
    {&Sprites.Exit, "gfx//exit.png"},
    {&Sprites.Exit2, "gfx//exit2.png"},
    {&Sprites.Volume, "gfx//volume.png"},
    {&Sprites.Volume2, "gfx//volume2.png"},
    {&Sprites.Bombs, "gfx//bombs.png"},
    {&Sprites.Bombs2, "gfx//bombs2.png"},
    {&Sprites.Shadow, "gfx//shadow.png"},
    {&Sprites.Shadow2, "gfx//shadow2.png"},
    {&Sprites.On, "gfx//on.png"},
    {&Sprites.On2, "gfx//on2.png"},
    {&Sprites.Off, "gfx//off.png"},
    {&Sprites.Off2, "gfx//off2.png"},
    {&Sprites.Preview, "gfx//preview.png"},
    {&Sprites.Preview2, "gfx//preview2.png"},
    {&Sprites.BonusHeading, "gfx//bonus.png"},
};

void DrawLoadingFrame() {
    BeginFrame();
    Sprites.TitleBackground.Draw(0, 0, FadeLevel);
    DrawWord("LOADING", 415, 380, Sprites.Letters, 7, FadeLevel);
    EndFrame();
}

}  // namespace

void InitialiseProgramState() {
    GameState = GameStateRecord{};
    Options = OptionsRecord{};
    HighScoreTable = HighScoreTableRecord{};
    FadeLevel = OpaqueWhite;
    QuitRequested = 0;
    Srand(1);  // the generator's state before anything seeds it
    GameState.CurrentPiece = Rand() % 19;
    GameState.NextPiece = Rand() % 19;
    GameState.NextTickTime = Clock() + 10;
    GameState.NextSecondTime = Clock() + 1000;
}

void LoadTitleSprites() {
    std::vector<SpriteFile> sprites{{&Sprites.TitleBackground, "gfx//titlebkg.png"}};
    for (int i = 0; i < 26; ++i) sprites.push_back({&Sprites.Letters[i], LetterFiles[i]});
    LoadSprites(sprites.data(), static_cast<int32_t>(sprites.size()));
}

void LoadGameSprites() {
    std::vector<SpriteFile> sprites;
    for (int i = 0; i < 10; ++i) {
        sprites.push_back({&Sprites.LevelBackgrounds[i], LevelBackgroundFiles[i]});
    }
    sprites.insert(sprites.end(), std::begin(SingleSprites), std::end(SingleSprites));
    for (int i = 0; i < 8; ++i) sprites.push_back({&Sprites.Blocks[i], BlockFiles[i]});
    sprites.push_back({&Sprites.ShadowBlock, "gfx//blocks//set1//shadow.png"});
    for (int i = 0; i < 10; ++i) sprites.push_back({&Sprites.Digits[i], DigitFiles[i]});
    LoadSprites(sprites.data(), static_cast<int32_t>(sprites.size()));
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
    GameState.BoardTop = 59;
    GameState.BoardBottom = 709;
    GameState.BoardLeft = 317;
    GameState.BoardRight = 707;
    Srand(static_cast<uint32_t>(Time()));
}

void ResetGame() {
    ResetBoard();
    GameStateRecord& g = GameState;
    g.CurrentPiece = Rand() % 19;
    g.NextPiece = Rand() % 19;
    g.MenuCursor = 0;
    g.PieceX = 499;
    g.PieceY = 59;
    g.PieceColumn = 7;
    g.PieceRow = 0;
    g.ShadowX = g.ShadowY = g.ShadowColumn = g.ShadowRow = 0;
    Options.Shadow = true;
    g.LandedFlush = 1;
    QuitRequested = 0;
    g.GravityStepCount = g.SoftDropCount = g.CarelessLandingCount = 0.0f;
    g.PieceCount = 1.0f;
    g.RotationCount = 0.0f;
    g.SpeedyEarned = g.CarefulEarned = g.EfficientEarned = true;
    g.Level = 1;
    g.GravityPeriod = 20.0f;
    g.GravityCountdown = 20;
    g.Score = g.LevelLines = g.LinesCleared = 0;
    g.ToppedOut = 0;
    g.ElapsedSeconds = g.ClockSeconds = g.ClockMinutes = 0;
    g.NextTickTime = Clock() + 10;
    g.NextSecondTime = Clock() + 1000;
    g.FrameCount = g.FramesPerSecond = 0;
    g.RightRepeat = g.LeftRepeat = g.RotateRepeat = g.SoftDropRepeat = g.HardDropRepeat = 0;
}

void ReleaseSprites() {
    for (Sprite& block : Sprites.Blocks) block.Release();
    for (Sprite& digit : Sprites.Digits) digit.Release();
    for (Sprite& letter : Sprites.Letters) letter.Release();
}
