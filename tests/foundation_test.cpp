// The application frame and the lettering, run on the scripted platform.
#include <gtest/gtest.h>

#include "app/application.h"
#include "game/fade.h"
#include "game/lettering.h"
#include "game/random.h"
#include "game/state.h"
#include "platform/system.h"
#include "support/game_fixture.h"

namespace {

std::vector<uint32_t> AlphasOf(const std::vector<Frame>& frames, const std::string& file) {
    std::vector<uint32_t> alphas;
    for (const Frame& frame : frames) {
        for (const DrawCall& draw : frame.Of(file)) alphas.push_back(draw.Colour >> 24);
    }
    return alphas;
}

std::vector<int32_t> XsOf(const Frame& frame, const std::string& prefix) {
    std::vector<int32_t> xs;
    for (const DrawCall& draw : frame.Draws) {
        if (draw.File.rfind(prefix, 0) == 0) xs.push_back(draw.X);
    }
    return xs;
}

std::string DigitsDrawn(const Frame& frame) {
    std::string digits;
    for (const DrawCall& draw : frame.Draws) {
        const std::string& f = draw.File;
        if (f.size() == 16 && f.rfind("gfx//font//", 0) == 0 && isdigit(f[11])) {
            digits += f[11];
            digits += '@' + std::to_string(draw.X) + ' ';
        } else if (f == "gfx//colon.png") {
            digits += ":@" + std::to_string(draw.X) + ',' + std::to_string(draw.Y) + ' ';
        }
    }
    return digits;
}

using FoundationTest = GameTest;

TEST(RandomTest, GeneratorMatchesTheClassicSequenceAndDealsThreeThenEighteen) {
    Srand(1);
    EXPECT_EQ(Rand(), 41);
    EXPECT_EQ(Rand(), 18467);
    EXPECT_EQ(Rand(), 6334);
    EXPECT_EQ(Rand(), 26500);
    Srand(12345);
    EXPECT_EQ(Rand(), 7584);  // (12345 * 214013 + 2531011) >> 16 & 0x7FFF
    Srand(1);
    EXPECT_EQ(Rand() % 19, 3);
    EXPECT_EQ(Rand() % 19, 18);
}

TEST_F(FoundationTest, ProgramStartsWithPiecesThreeAndEighteen) {
    Platform.Now = 5000;
    InitialiseProgramState();
    EXPECT_EQ(GameState.CurrentPiece, 3);
    EXPECT_EQ(GameState.NextPiece, 18);
    EXPECT_EQ(GameState.NextTickTime, 5010);
    EXPECT_EQ(GameState.NextSecondTime, 6000);
    EXPECT_EQ(GameState.LandedFlush, 1);
    EXPECT_FLOAT_EQ(GameState.PieceCount, 1.0f);
    EXPECT_EQ(HighScoreTable[4].Name, "DEFAULT");
    EXPECT_EQ(Options.Volume, 255);
}

TEST_F(FoundationTest, FadeStepsRunTheirFullSequences) {
    FadeLevel = TransparentWhite;
    std::vector<uint32_t> in;
    do in.push_back(FadeLevel >> 24);
    while (!FadeInStep());
    ASSERT_EQ(in.size(), 86u);
    EXPECT_EQ(in[1], 3u);
    EXPECT_EQ(in[84], 252u);
    EXPECT_EQ(in[85], 255u);
    EXPECT_EQ(FadeLevel, OpaqueWhite);

    std::vector<uint32_t> out;
    do out.push_back(FadeLevel >> 24);
    while (!FadeOutStep());
    ASSERT_EQ(out.size(), 129u);
    EXPECT_EQ(out[1], 253u);
    EXPECT_EQ(out[127], 1u);
    EXPECT_EQ(out[128], 0u);
    EXPECT_EQ(FadeLevel & 0x00FFFFFFu, 0x00FFFFFFu);
}

TEST_F(FoundationTest, LoadingScreenFadesInThenOutWithItsWaits) {
    FadeInLoadingScreen();
    ASSERT_EQ(Platform.FrameCount(), 87);
    EXPECT_TRUE(Platform.Frames[0].Draws.empty());  // one black frame first
    ASSERT_EQ(Platform.Sleeps, std::vector<int32_t>{500});
    std::vector<uint32_t> alphas = AlphasOf(Platform.Frames, "gfx//titlebkg.png");
    ASSERT_EQ(alphas.size(), 86u);
    EXPECT_EQ(alphas.front(), 0u);
    EXPECT_EQ(alphas.back(), 255u);
    // The word sits over the picture with the same tint, the I narrower than the rest.
    const Frame& last = Platform.LastFrame();
    EXPECT_EQ(XsOf(last, "gfx//font//"), (std::vector<int32_t>{415, 440, 465, 490, 515, 527, 552}));
    EXPECT_EQ(last.Draws[0].File, "gfx//titlebkg.png");
    EXPECT_EQ(last.Of("gfx//font//I.png").at(0).Y, 380);
    EXPECT_EQ(last.Of("gfx//font//G.png").at(0).Colour, OpaqueWhite);

    Platform.ClearRecords();
    FadeOutLoadingScreen();
    alphas = AlphasOf(Platform.Frames, "gfx//titlebkg.png");
    ASSERT_EQ(alphas.size(), 129u);
    EXPECT_EQ(alphas.front(), 255u);
    EXPECT_EQ(alphas.back(), 0u);
    EXPECT_EQ(Platform.Sleeps, std::vector<int32_t>{600});
}

TEST_F(FoundationTest, WordsAdvanceByLetterAndStopAtLineFeedsAndTheScreenEdge) {
    BeginFrame();
    DrawWord("high score", 0, 0, Sprites.Letters, 10, OpaqueWhite);
    EndFrame();
    EXPECT_EQ(XsOf(Platform.LastFrame(), "gfx//font//"),
              (std::vector<int32_t>{0, 25, 37, 62, 112, 137, 162, 187, 212}));

    BeginFrame();
    DrawWord("Ab\ncd", 100, 0, Sprites.Letters, 5, OpaqueWhite);  // lower case draws the same
    DrawWord("xyz", 200, 0, Sprites.Letters, 2, OpaqueWhite);     // a count cuts the text
    DrawWord("q", 300, 0, Sprites.Letters, 4, OpaqueWhite);       // extra places are blank
    EndFrame();
    const Frame& frame = Platform.LastFrame();
    ASSERT_EQ(frame.Draws.size(), 5u);
    EXPECT_EQ(frame.Draws[0].File, "gfx//font//A.png");
    EXPECT_EQ(frame.Draws[1].File, "gfx//font//B.png");
    EXPECT_EQ(frame.Draws[2].File, "gfx//font//X.png");
    EXPECT_EQ(frame.Draws[3].File, "gfx//font//Y.png");
    EXPECT_EQ(frame.Draws[4].File, "gfx//font//Q.png");

    // An endless name costs only what fits on the screen.
    BeginFrame();
    const std::string endless(1'000'000, 'W');
    DrawWord(endless, 330, 570, Sprites.Letters, static_cast<int32_t>(endless.size()), OpaqueWhite);
    EndFrame();
    EXPECT_EQ(Platform.LastFrame().Draws.size(), 28u);  // pens 330, 355, ..., 1005
}

TEST_F(FoundationTest, NumbersAreRightAlignedInFivePlaces) {
    auto drawn = [&](int32_t value, bool padded) {
        BeginFrame();
        DrawNumber(value, 100, 50, Sprites.Digits, padded, OpaqueWhite);
        EndFrame();
        return DigitsDrawn(Platform.LastFrame());
    };
    EXPECT_EQ(drawn(0, false), "0@180 ");
    EXPECT_EQ(drawn(0, true), "0@100 0@120 0@140 0@160 0@180 ");
    EXPECT_EQ(drawn(105, false), "1@140 0@160 5@180 ");
    EXPECT_EQ(drawn(500, false), "5@140 0@160 0@180 ");
    EXPECT_EQ(drawn(42, true), "0@100 0@120 0@140 4@160 2@180 ");
    EXPECT_EQ(drawn(99999, false), "9@100 9@120 9@140 9@160 9@180 ");
    // Above 99999 the value shows whole, its further digits growing leftwards.
    EXPECT_EQ(drawn(1234567, false), "2@80 1@60 3@100 4@120 5@140 6@160 7@180 ");
    EXPECT_EQ(drawn(100000, false), "1@80 0@100 0@120 0@140 0@160 0@180 ");
}

TEST_F(FoundationTest, ClockShowsTwoDigitsEachWithTheColon) {
    GameState.ClockMinutes = 9;
    GameState.ClockSeconds = 5;
    BeginFrame();
    DrawClock(195, 645, OpaqueWhite);
    EndFrame();
    EXPECT_EQ(DigitsDrawn(Platform.LastFrame()), "0@195 9@215 :@239,647 0@255 5@275 ");
    GameState.ClockMinutes = 123;
    GameState.ClockSeconds = 59;
    BeginFrame();
    DrawClock(195, 645, OpaqueWhite);
    EndFrame();
    EXPECT_EQ(DigitsDrawn(Platform.LastFrame()), "1@175 2@195 3@215 :@239,647 5@255 9@275 ");
}

TEST_F(FoundationTest, ResetGameRestoresEveryStartValueAndReseeds) {
    GameState.Score = 999;
    GameState.Level = 5;
    GameState.GravityPeriod = 12.0f;
    GameState.ToppedOut = 1;
    GameState.Board[3][24] = 5;
    GameState.MenuCursor = 2;
    GameState.RotateRepeat = 4;
    GameState.SpeedyEarned = false;
    GameState.GameStartTime = 77;
    Options.Shadow = false;
    Options.Bombs = false;
    FadeLevel = 0x12FFFFFF;
    Platform.Now = 20'000;
    ResetGame();
    Srand(static_cast<uint32_t>(Platform.CalendarStart + 20));
    const int32_t first = Rand() % 19;
    const int32_t second = Rand() % 19;
    EXPECT_EQ(GameState.CurrentPiece, first);
    EXPECT_EQ(GameState.NextPiece, second);
    EXPECT_EQ(GameState.Score, 0);
    EXPECT_EQ(GameState.Level, 1);
    EXPECT_FLOAT_EQ(GameState.GravityPeriod, 20.0f);
    EXPECT_EQ(GameState.GravityCountdown, 20);
    EXPECT_EQ(GameState.ToppedOut, 0);
    EXPECT_EQ(GameState.Board[3][24], 0);
    EXPECT_EQ(GameState.MenuCursor, 0);
    EXPECT_EQ(GameState.RotateRepeat, 0);
    EXPECT_TRUE(GameState.SpeedyEarned);
    EXPECT_EQ(GameState.NextTickTime, 20'010);
    EXPECT_EQ(GameState.NextSecondTime, 21'000);
    EXPECT_EQ(GameState.PieceX, 499);
    EXPECT_EQ(GameState.PieceColumn, 7);
    EXPECT_EQ(GameState.GameStartTime, 77);  // kept across the reset
    EXPECT_TRUE(Options.Shadow);
    EXPECT_FALSE(Options.Bombs);
    EXPECT_EQ(FadeLevel, 0x12FFFFFFu);
}

TEST_F(FoundationTest, MissingPicturesDrawNothing) {
    Platform.MissingFiles.insert("gfx//font//A.png");
    Sprites.Letters[0].Load("gfx//font//A.png");
    EXPECT_EQ(Sprites.Letters[0].Width, 0);
    BeginFrame();
    DrawWord("AB", 0, 0, Sprites.Letters, 2, OpaqueWhite);
    EndFrame();
    ASSERT_EQ(Platform.LastFrame().Draws.size(), 1u);
    EXPECT_EQ(Platform.LastFrame().Draws[0].X, 25);
}

}  // namespace
