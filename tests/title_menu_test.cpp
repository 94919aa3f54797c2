// The title menu and the high-score table it shows, run on the scripted platform.
#include "frontend/title_menu.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "frontend/high_scores.h"
#include "game/keys.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/screen_reading.h"

namespace {

class TitleMenuTest : public GameTest {
  protected:
    // The highlighted item a frame shows: 0 start, 1 options, 2 exit; -1 when none or several.
    static int CursorShown(const Frame& frame) {
        const bool start = frame.Shows("gfx//start2.png");
        const bool options = frame.Shows("gfx//options2.png");
        const bool exit = frame.Shows("gfx//exit2.png");
        if (start + options + exit != 1) return -1;
        return start ? 0 : options ? 1 : 2;
    }

    std::vector<int> CursorsShown() const {
        std::vector<int> cursors;
        for (const Frame& frame : Platform.Frames) cursors.push_back(CursorShown(frame));
        return cursors;
    }

    std::vector<uint32_t> TitleAlphas() const {
        std::vector<uint32_t> alphas;
        for (const Frame& frame : Platform.Frames) {
            for (const DrawCall& draw : frame.Of("gfx//titlebkg.png")) {
                alphas.push_back(draw.Colour >> 24);
            }
        }
        return alphas;
    }

    size_t MoveSounds() const {
        size_t moves = 0;
        for (const std::string& file : Platform.PlaysOn(1)) moves += file == "sfx\\line.wav";
        return moves;
    }
};

TEST_F(TitleMenuTest, EntryFadesInWithTheTitleMusicAndTheStoredVolume) {
    Options.Volume = 77;
    Platform.Release(3);
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();

    ASSERT_GE(Platform.Sounds.size(), 3u);
    EXPECT_EQ(Platform.Sounds[0].Op, SoundOp::SetMasterVolume);
    EXPECT_EQ(Platform.Sounds[0].Value, 77);
    EXPECT_EQ(Platform.Sounds[1].Op, SoundOp::Play);
    EXPECT_EQ(Platform.Sounds[1].Channel, 0);
    EXPECT_EQ(Platform.Sounds[1].File, "sfx\\bgm3.mp3");
    EXPECT_EQ(Platform.Sounds[2].Op, SoundOp::SetVolume);
    EXPECT_EQ(Platform.Sounds[2].Channel, 0);
    EXPECT_EQ(Platform.Sounds[2].Value, 192);
    EXPECT_EQ(Platform.Sounds.size(), 3u);

    EXPECT_EQ(TitleAlphas(), (std::vector<uint32_t>{0, 3, 6}));
    EXPECT_EQ(CursorsShown(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Platform.MessagesTaken, 4);  // one per frame, the Escape frame included
    EXPECT_EQ(Platform.Sleeps, (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(QuitRequested, 1);
    // Every picture of a frame carries the fade, the table included.
    for (const DrawCall& draw : Platform.Frames[1].Draws) EXPECT_EQ(draw.Colour, 0x03FFFFFFu);

    // A later visit, after a game's reset, opens on start and starts the music afresh.
    QuitRequested = 0;
    GameState.MenuCursor = 2;
    ResetGame();
    Options.Volume = 12;
    Platform.ClearRecords();
    Platform.Release(1);
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();
    EXPECT_EQ(Platform.Sounds[0].Value, 12);
    EXPECT_EQ(Platform.PlaysOn(0), std::vector<std::string>{"sfx\\bgm3.mp3"});
    EXPECT_EQ(CursorsShown(), std::vector<int>{0});
    EXPECT_EQ(TitleAlphas(), std::vector<uint32_t>{0});
}

TEST_F(TitleMenuTest, HeldKeysMoveAtOnceThenEveryTenFramesAndWrapAround) {
    Platform.Hold({DIK_DOWN}, 25);
    Platform.Hold({DIK_UP}, 21);
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();
    const std::vector<int> cursors = CursorsShown();
    ASSERT_EQ(cursors.size(), 46u);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(cursors[i], (i / 10 + 1) % 3) << "down frame " << i;
    // Up from start wraps to exit; the Up counter is its own, so Up acts at once.
    for (int i = 0; i < 21; ++i) EXPECT_EQ(cursors[25 + i], 2 - i / 10) << "up frame " << i;
    EXPECT_EQ(MoveSounds(), 6u);
    EXPECT_EQ(Platform.PlaysOn(1).size(), 6u);
}

TEST_F(TitleMenuTest, UpAndDownInOneFrameCancelOutWithTwoSounds) {
    GameState.MenuCursor = 1;
    Platform.Hold({DIK_UP, DIK_DOWN}, 10);  // both act, then their counters hold them back
    Platform.Hold({DIK_UP, DIK_DOWN});      // ten frames later both act again
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();
    EXPECT_EQ(CursorsShown(), std::vector<int>(11, 1));
    EXPECT_EQ(MoveSounds(), 4u);
}

TEST_F(TitleMenuTest, ReturnActsOnReleaseOnTheMovedCursorAndOptionsComeBackHighlighted) {
    Platform.Release(5);
    Platform.Hold({DIK_DOWN, DIK_RETURN});  // Down acts first, Return then picks options
    Platform.Hold({DIK_RETURN}, 4);         // waited out, nothing drawn
    Platform.Release(2);                    // release; then one options frame
    Platform.Hold({DIK_ESCAPE}, 2);         // leave the options screen at release
    Platform.Release(1);
    Platform.Hold({DIK_ESCAPE});  // quit from the menu
    RunTitleMenu();

    ASSERT_EQ(Platform.FrameCount(), 5 + 1 + 1);
    // While Return was held nothing was presented: the options frame follows the release.
    EXPECT_EQ(Platform.Frames[5].PollsBefore, 12);
    EXPECT_TRUE(Platform.Frames[5].Shows("gfx//volume2.png"));
    EXPECT_FALSE(Platform.Frames[5].Shows("gfx//start.png"));
    // Back in the menu in the same frame: options highlighted, the fade carried on.
    const Frame& back = Platform.Frames[6];
    EXPECT_EQ(CursorShown(back), 1);
    EXPECT_EQ(back.Of("gfx//titlebkg.png").at(0).Colour >> 24, 15u);
    EXPECT_EQ(GameState.MenuCursor, 1);
    EXPECT_EQ(ReadFile("options.dat"), "255\n1\n1\n1");
    EXPECT_EQ(QuitRequested, 1);
}

TEST_F(TitleMenuTest, StartFadesOutFromFullStrengthWithoutReadingKeys) {
    Platform.Release(2);
    Platform.Hold({DIK_RETURN}, 3);
    Platform.Release(1);
    RunTitleMenu();

    EXPECT_EQ(QuitRequested, 0);
    const std::vector<uint32_t> alphas = TitleAlphas();
    ASSERT_EQ(alphas.size(), 2u + 129u);
    EXPECT_EQ(alphas[1], 3u);
    EXPECT_EQ(alphas[2], 255u);  // started before the fade-in ended, still from full strength
    EXPECT_EQ(alphas[3], 253u);
    EXPECT_EQ(alphas[129], 1u);
    EXPECT_EQ(alphas[130], 0u);
    EXPECT_EQ(Platform.Polls, 6);  // none during the fade-out
    EXPECT_EQ(Platform.MessagesTaken, 3);
    EXPECT_EQ(Platform.Sleeps.back(), 500);
    EXPECT_EQ(Platform.Sleeps.size(), 2u + 128u + 1u);
    EXPECT_EQ(CursorShown(Platform.LastFrame()), 0);
    // The title music is left playing for the game to fade out.
    EXPECT_TRUE(Platform.IsPlaying(0));
}

TEST_F(TitleMenuTest, ExitAndEscapeQuitAtOnceWithoutAFade) {
    Platform.Hold({DIK_UP});
    Platform.Hold({DIK_RETURN});
    Platform.Release(1);
    RunTitleMenu();
    EXPECT_EQ(QuitRequested, 1);
    EXPECT_EQ(GameState.MenuCursor, 2);
    EXPECT_EQ(Platform.FrameCount(), 1);
    EXPECT_EQ(Platform.Sleeps, std::vector<int32_t>{1});

    // Escape beats every other key, even in the first frame of the fade-in.
    QuitRequested = 0;
    GameState.MenuCursor = 0;
    Platform.ClearRecords();
    Platform.Hold({DIK_UP, DIK_DOWN, DIK_RETURN, DIK_ESCAPE});
    RunTitleMenu();
    EXPECT_EQ(QuitRequested, 1);
    EXPECT_EQ(Platform.FrameCount(), 0);
    EXPECT_EQ(MoveSounds(), 0u);
    EXPECT_EQ(GameState.MenuCursor, 0);
    EXPECT_TRUE(Platform.Sleeps.empty());
}

TEST_F(TitleMenuTest, HighScoreTableShowsEachNameWholeAndFivePlaceScores) {
    HighScoreTable[0] = {"ZANTOR", 123456};
    HighScoreTable[1] = {"", 0};
    HighScoreTable[2] = {"MR X", 42};
    HighScoreTable[3] = {"lower", 7};
    HighScoreTable[4] = {std::string(5000, 'W'), 99999};
    BeginFrame();
    DrawHighScoreTable(0x80FFFFFF);
    EndFrame();
    const Frame& frame = Platform.LastFrame();
    EXPECT_EQ(TextAt(frame, 330, 570), "ZANTOR");
    EXPECT_EQ(NumberAt(frame, 600, 570), "123456");
    EXPECT_EQ(TextAt(frame, 330, 610), "");
    EXPECT_EQ(NumberAt(frame, 600, 610), "00000");
    EXPECT_EQ(TextAt(frame, 330, 650), "MR X");
    EXPECT_EQ(NumberAt(frame, 600, 650), "00042");
    EXPECT_EQ(TextAt(frame, 330, 690), "LOWER");
    EXPECT_EQ(NumberAt(frame, 600, 730), "99999");
    // A name too long for the screen costs only the letters that fit.
    size_t lastRow = 0;
    for (const DrawCall& draw : frame.Draws) {
        lastRow += draw.Y == 730 && GlyphOf(draw) == 'W';
        EXPECT_EQ(draw.Colour, 0x80FFFFFFu);
    }
    EXPECT_EQ(lastRow, 28u);
}

}  // namespace
