// The score screen: the tally, the bonus list over the final stack, the name entry, the
// insertion into the high-score table and its file, and the fade-out.
#include "frontend/score_screen.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "frontend/high_scores.h"
#include "game/keys.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/playfield.h"
#include "support/screen_reading.h"

namespace {

HighScoreTableRecord Scores(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    return {{{"A", a}, {"B", b}, {"C", c}, {"D", d}, {"E", e}}};
}

class ScoreScreenTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        GameState.ToppedOut = 1;
    }

    // A finished game that earned the chosen play bonuses, with every switch on.
    void Played(int32_t score, bool speedy, bool careful, bool efficient) {
        GameState.Score = score;
        GameState.GravityStepCount = 20.0f;
        GameState.SoftDropCount = speedy ? 10.0f : 9.0f;
        GameState.PieceCount = 30.0f;
        GameState.CarelessLandingCount = careful ? 3.0f : 4.0f;
        GameState.RotationCount = efficient ? 60.0f : 61.0f;
    }

    // Ends a name entry with the key, which then also ends the wait when it is let go.
    void EndWith(uint8_t key) {
        Platform.Hold({key}, 2);
        Platform.Release(1);
    }

    // Runs the screen with no place in the table for the score, leaving with one Return.
    void RunWithoutEntry() {
        HighScoreTable[4].Score = std::numeric_limits<int32_t>::max();
        Platform.Tap({DIK_RETURN});
        RunScoreScreen();
    }

    // The rows of the list as "WORD AMOUNT @y", from the numbers drawn at x 600.
    static std::vector<std::string> ListOf(const Frame& frame) {
        std::vector<std::string> rows;
        for (int32_t y = 100; y < 600; ++y) {
            const std::string number = NumberAt(frame, 600, y);
            if (number.empty()) continue;
            rows.push_back(TextAt(frame, 330, y) + " " + number + " @" + std::to_string(y));
        }
        return rows;
    }

    // The name a frame shows in the entry field, or "-" when the name lines are not shown.
    static std::string NameShown(const Frame& frame, int32_t fieldY) {
        if (TextAt(frame, 330, fieldY - 40) != "ENTER YOUR NAME") return "-";
        return TextAt(frame, 420, fieldY);
    }
};

TEST_F(ScoreScreenTest, PlayBonusesAreEarnedExactlyAtTheirThresholds) {
    struct Case {
        float Soft, Gravity, Careless, Pieces, Rotations;
        bool Speedy, Careful, Efficient;
    };
    const Case cases[] = {
        {10, 20, 3, 30, 60, true, true, true},     // exactly a half, a tenth and two
        {9, 20, 4, 30, 61, false, false, false},   // just past each
        {0, 0, 0, 1, 0, false, true, true},        // no steps at all: speedy undefined, not earned
        {5, 0, 0, 1, 0, true, true, true},         // soft drops without gravity steps: infinite
        {0, 7, 1, 10, 20, false, true, true},      // one tenth, two per piece
        {1, 2, 7, 70, 140, true, true, true},      // tenths and halves from other counts
        {3, 7, 10, 99, 199, false, false, false},  // below a half, above a tenth, above two
        {50, 100, 11, 109, 0, true, false, true},  // 11/109 above a tenth
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Soft << "/" << c.Gravity << ", " << c.Careless << "/"
                                        << c.Pieces << ", " << c.Rotations);
        GameState.Score = 0;
        GameState.SpeedyEarned = GameState.CarefulEarned = GameState.EfficientEarned = true;
        GameState.SoftDropCount = c.Soft;
        GameState.GravityStepCount = c.Gravity;
        GameState.CarelessLandingCount = c.Careless;
        GameState.PieceCount = c.Pieces;
        GameState.RotationCount = c.Rotations;
        Platform.ClearRecords();
        RunWithoutEntry();
        EXPECT_EQ(GameState.SpeedyEarned, c.Speedy);
        EXPECT_EQ(GameState.CarefulEarned, c.Careful);
        EXPECT_EQ(GameState.EfficientEarned, c.Efficient);
        EXPECT_EQ(GameState.Score, 500 * (c.Speedy + c.Careful + c.Efficient));
    }
    // Every whole tenth earns careful, however it is made up.
    for (int n = 1; n <= 300; ++n) {
        GameState.Score = 0;
        GameState.CarefulEarned = true;
        GameState.CarelessLandingCount = static_cast<float>(n);
        GameState.PieceCount = static_cast<float>(10 * n);
        Platform.ClearRecords();
        RunWithoutEntry();
        ASSERT_TRUE(GameState.CarefulEarned) << n << "/" << 10 * n;
    }
}

TEST_F(ScoreScreenTest, SharesOfTheScoreComeFromTheScoreBeforeAnyBonus) {
    Played(1234, true, false, false);
    Options.Preview = false;
    Options.Shadow = false;
    RunWithoutEntry();
    EXPECT_EQ(ListOf(Platform.Frames.at(0)),
              (std::vector<std::string>{"PSYCHIC 123 @150", "SPEEDY 500 @180", "BLIND 246 @210",
                                        "TOTAL 869 @260"}));
    EXPECT_EQ(GameState.Score, 1234 + 123 + 246 + 500);

    // In single precision, as the game always counted: beyond 2^24 the shares round up.
    Played(16777219, false, false, false);
    Options.Bombs = false;
    Platform.ClearRecords();
    RunWithoutEntry();
    EXPECT_EQ(ListOf(Platform.Frames.at(0)),
              (std::vector<std::string>{"BOMBLESS 1677722 @150", "PSYCHIC 1677722 @180",
                                        "BLIND 3355444 @210", "TOTAL 6710888 @260"}));
    EXPECT_EQ(GameState.Score, 16777219 + 6710888);

    // A total that would pass the 32-bit limit stops at it.
    Played(2'000'000'000, false, false, false);
    Platform.ClearRecords();
    RunWithoutEntry();
    EXPECT_EQ(NumberAt(Platform.Frames.at(0), 600, 260), "800000000");
    EXPECT_EQ(GameState.Score, std::numeric_limits<int32_t>::max());
}

TEST_F(ScoreScreenTest, ListStandsInItsOrderAtItsPositionsWithNoneAndWithAllSixRows) {
    Played(1000, false, false, false);
    RunWithoutEntry();
    EXPECT_EQ(ListOf(Platform.Frames.at(0)), std::vector<std::string>{"TOTAL 0 @170"});
    EXPECT_EQ(GameState.Score, 1000);

    Played(100000, true, true, true);
    Options.Bombs = Options.Shadow = Options.Preview = false;
    GameState.SpeedyEarned = GameState.CarefulEarned = GameState.EfficientEarned = true;
    HighScoreTable = HighScoreTableRecord{};
    Platform.ClearRecords();
    EndWith(DIK_RETURN);
    RunScoreScreen();
    const std::vector<std::string> all = {
        "BOMBLESS 10000 @150", "EFFICIENT 500 @180", "CAREFUL 500 @210", "PSYCHIC 10000 @240",
        "SPEEDY 500 @270",     "BLIND 20000 @300",   "TOTAL 41500 @350"};
    const Frame& first = Platform.Frames.at(0);
    EXPECT_EQ(ListOf(first), all);
    EXPECT_EQ(NameShown(first, 510), "-");           // no name lines before the entry starts
    EXPECT_EQ(NumberAt(first, 735, 520), "141500");  // the HUD shows the final score whole
    EXPECT_TRUE(first.Shows("gfx//bonus.png"));
    EXPECT_EQ(first.Of("gfx//bonus.png").at(0).X, 430);
    EXPECT_EQ(first.Of("gfx//bonus.png").at(0).Y, 70);
    // The entry's frames add the name lines under the total.
    const Frame& fade = Platform.Frames.at(1);
    EXPECT_EQ(ListOf(fade), all);
    EXPECT_EQ(TextAt(fade, 390, 430), "HIGH SCORE");
    EXPECT_EQ(TextAt(fade, 330, 470), "ENTER YOUR NAME");
    EXPECT_EQ(NameShown(fade, 510), "");
}

TEST_F(ScoreScreenTest, TheFinalStackShowsAsBombsUnderTheListAndThroughTheFadeOut) {
    Played(10, false, false, false);
    SetRows(22, {"1234567........", "...............", "8.7.6.5.4.3.2.1"});
    Options.Shadow = false;  // only the stack then, no shadow piece
    RunWithoutEntry();
    auto inWell = [](const DrawCall& draw) {
        return draw.X >= 317 && draw.X < 707 && draw.Y >= 59 && draw.Y < 709;
    };
    EXPECT_EQ(RowText(22), "8888888........");
    EXPECT_EQ(RowText(23), "...............");
    EXPECT_EQ(RowText(24), "8.8.8.8.8.8.8.8");
    ASSERT_EQ(Platform.FrameCount(), 1 + 129);
    for (const Frame& frame : Platform.Frames) {
        size_t blocks = 0;
        for (const DrawCall& draw : frame.Draws) {
            if (draw.File.rfind("gfx//blocks//", 0) != 0 || !inWell(draw)) continue;
            EXPECT_EQ(draw.File, "gfx//blocks//set1//bomb.png");
            ++blocks;
        }
        EXPECT_EQ(blocks, 15u);
    }
}

TEST_F(ScoreScreenTest, WithoutAPlaceInTheTableItWaitsForAKeyThenFadesOut) {
    Played(300, false, false, false);
    HighScoreTable = Scores(900, 800, 700, 600, 300);  // equal to the last: no entry
    const std::string before = WriteHighScoreTable(HighScoreTable);
    Platform.Release(5);
    Platform.Hold({DIK_ESCAPE}, 3);
    Platform.Release(1);
    RunScoreScreen();

    ASSERT_EQ(Platform.FrameCount(), 1 + 129);
    EXPECT_EQ(Platform.Frames[1].PollsBefore, 9);  // nothing drawn while waiting
    std::vector<uint32_t> alphas;
    for (size_t i = 1; i < Platform.Frames.size(); ++i) {
        alphas.push_back(Platform.Frames[i].Of("gfx//bonus.png").at(0).Colour >> 24);
        EXPECT_EQ(NameShown(Platform.Frames[i], 330), "-");
    }
    EXPECT_EQ(alphas.front(), 255u);
    EXPECT_EQ(alphas[1], 253u);
    EXPECT_EQ(alphas.back(), 0u);
    std::vector<int32_t> sleeps(5, 1);
    sleeps.insert(sleeps.end(), 128, 1);
    sleeps.push_back(500);
    EXPECT_EQ(Platform.Sleeps, sleeps);
    EXPECT_EQ(Platform.MessagesTaken, 0);
    EXPECT_TRUE(Platform.Sounds.empty());
    EXPECT_EQ(WriteHighScoreTable(HighScoreTable), before);
    EXPECT_FALSE(FileExists("scores.dat"));
}

TEST_F(ScoreScreenTest, NameEntryTypesOnReleaseAndKeepsTheNameOnReturnOrEscape) {
    Played(1000, false, false, false);
    HighScoreTable = Scores(900, 800, 700, 600, 500);
    WriteFile("scores.dat", WriteHighScoreTable(HighScoreTable));  // as start-up read it
    Platform.Hold({DIK_A}, 4);  // held: typed once, when let go, nothing drawn meanwhile
    Platform.Release(1);
    Platform.Hold({DIK_Q, DIK_B});  // two letters at once: only the first in the alphabet
    Platform.Hold({DIK_Q});         // B is up, Q still down: not typed in the same pass
    Platform.Release(1);
    Platform.Tap({DIK_BACK});
    Platform.Tap({DIK_SPACE});
    Platform.Tap({DIK_C});
    EndWith(DIK_ESCAPE);
    RunScoreScreen();

    EXPECT_EQ(HighScoreTable[0].Name, "A C");
    EXPECT_EQ(HighScoreTable[0].Score, 1000);
    EXPECT_EQ(HighScoreTable[1].Name, "A");
    EXPECT_EQ(HighScoreTable[4].Score, 600);
    EXPECT_EQ(ReadFile("scores.dat"), "A\vC\n1000\nA\n900\nB\n800\nC\n700\nD\n600");
    // The names shown after each pass of the entry.
    std::vector<std::string> shown;
    for (const Frame& frame : Platform.Frames) {
        const std::string name = NameShown(frame, 330);
        if (name != "-" && frame.Of("gfx//bonus.png").at(0).Colour == OpaqueWhite) {
            shown.push_back(name);
        }
    }
    // The last is the fade-out's first frame, still at full strength.
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "AB", "AB", "A", "A", "A C", "A C"}));
    EXPECT_EQ(Platform.Frames.at(1).PollsBefore, 5);
}

TEST_F(ScoreScreenTest, NameEntryStopsAtEightCharactersWithoutWaitingForTheNinth) {
    Played(1000, false, false, false);
    for (uint8_t key : {DIK_Z, DIK_A, DIK_N, DIK_T, DIK_O, DIK_R, DIK_V, DIK_I}) {
        Platform.Tap({key});
    }
    Platform.Hold({DIK_X}, 3);  // a ninth letter: no wait, a frame per pass
    Platform.Tap({DIK_BACK});
    Platform.Tap({DIK_BACK});
    Platform.Hold({DIK_BACK, DIK_E});  // a letter and Backspace in one pass: typed, then removed
    Platform.Hold({DIK_BACK});
    Platform.Release(1);
    EndWith(DIK_RETURN);
    RunScoreScreen();
    EXPECT_EQ(HighScoreTable[0].Name, "ZANTOR");
    int frames = 0;
    for (const Frame& frame : Platform.Frames) frames += NameShown(frame, 330) == "ZANTORVI";
    EXPECT_EQ(frames, 1 + 3);  // after the I, then one per pass with X held

    // The next entry starts with an empty field; Return at once enters an empty name.
    Played(2000, false, false, false);
    Platform.ClearRecords();
    Platform.Tap({DIK_BACK});  // nothing to remove
    EndWith(DIK_RETURN);
    RunScoreScreen();
    EXPECT_EQ(NameShown(Platform.Frames.at(1), 330), "");
    EXPECT_EQ(HighScoreTable[0].Name, "");
    EXPECT_EQ(HighScoreTable[0].Score, 2000);
    EXPECT_EQ(HighScoreTable[1].Name, "ZANTOR");
    HighScoreTable = HighScoreTableRecord{};
    LoadHighScoreTable();
    EXPECT_EQ(HighScoreTable[0].Name, "");
    EXPECT_EQ(HighScoreTable[1].Name, "ZANTOR");
    EXPECT_EQ(HighScoreTable[2].Name, "DEFAULT");
}

TEST_F(ScoreScreenTest, ANewScoreGoesBelowEqualScoresAtEveryPlace) {
    struct Case {
        int32_t Score;
        HighScoreTableRecord Expected;
    };
    const Case cases[] = {
        {600, {{{"N", 600}, {"A", 500}, {"B", 400}, {"C", 300}, {"D", 200}}}},
        {500, {{{"A", 500}, {"N", 500}, {"B", 400}, {"C", 300}, {"D", 200}}}},
        {450, {{{"A", 500}, {"N", 450}, {"B", 400}, {"C", 300}, {"D", 200}}}},
        {400, {{{"A", 500}, {"B", 400}, {"N", 400}, {"C", 300}, {"D", 200}}}},
        {301, {{{"A", 500}, {"B", 400}, {"N", 301}, {"C", 300}, {"D", 200}}}},
        {300, {{{"A", 500}, {"B", 400}, {"C", 300}, {"N", 300}, {"D", 200}}}},
        {200, {{{"A", 500}, {"B", 400}, {"C", 300}, {"D", 200}, {"N", 200}}}},
        {101, {{{"A", 500}, {"B", 400}, {"C", 300}, {"D", 200}, {"N", 101}}}},
        {100, {{{"A", 500}, {"B", 400}, {"C", 300}, {"D", 200}, {"E", 100}}}},
        {-5, {{{"A", 500}, {"B", 400}, {"C", 300}, {"D", 200}, {"E", 100}}}},
    };
    for (const Case& c : cases) {
        HighScoreTable = Scores(500, 400, 300, 200, 100);
        InsertHighScore("N", c.Score);
        for (size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(HighScoreTable[i].Name, c.Expected[i].Name) << c.Score << ", entry " << i;
            EXPECT_EQ(HighScoreTable[i].Score, c.Expected[i].Score) << c.Score << ", entry " << i;
        }
    }

    // Through the screen: a score tied with the third entry enters fourth.
    HighScoreTable = Scores(900, 800, 700, 600, 500);
    WriteFile("scores.dat", WriteHighScoreTable(HighScoreTable));  // as start-up read it
    Played(700, false, false, false);
    Platform.Tap({DIK_N});
    EndWith(DIK_RETURN);
    RunScoreScreen();
    EXPECT_EQ(ReadFile("scores.dat"), "A\n900\nB\n800\nC\n700\nN\n700\nD\n600");
}

TEST_F(ScoreScreenTest, AnEntryStandsInTheTableWhenTheFileCannotBeWritten) {
    WriteFile("scores.dat", "OLD 1");
    std::filesystem::create_directory(Folder / "scores.dat.tmp");
    Played(50, false, false, false);
    Platform.Tap({DIK_W});
    EndWith(DIK_RETURN);
    testing::internal::CaptureStderr();
    RunScoreScreen();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(HighScoreTable[0].Name, "W");
    EXPECT_EQ(HighScoreTable[0].Score, 50);
    EXPECT_EQ(ReadFile("scores.dat"), "OLD 1");
    EXPECT_NE(message.find("could not save \"scores.dat\""), std::string::npos) << message;
}

}  // namespace

namespace {

// The whole cycle as a player meets it: the menu, a game dropped straight to the top, the
// score screen with a name, the reset, and the menu again, left with Escape.
TEST_F(ScoreScreenTest, AGameRunsFromTheMenuThroughTheScoreScreenBackToTheMenu) {
    GameState.ToppedOut = 0;
    Options.Shadow = false;
    Options.Preview = false;
    int64_t polls = 0;
    Platform.KeyScript = [&](ScriptedPlatform& p, uint8_t* keys) {
        const bool press = ++polls % 2 == 0;
        int titleVisits = 0;
        bool playing = false;
        for (const SoundCall& call : p.Sounds) {
            if (call.Op != SoundOp::Play) continue;
            if (call.File == "sfx\\bgm3.mp3") {
                ++titleVisits;
                playing = false;
            }
            if (call.File == "sfx\\bgm.mp3") playing = true;
        }
        if (!playing) {
            keys[titleVisits == 1 ? DIK_RETURN : DIK_ESCAPE] = press ? 0x80 : 0;
        } else if (!p.Frames.empty() && p.LastFrame().Shows("gfx//bonus.png")) {
            keys[DIK_RETURN] = press ? 0x80 : 0;  // an empty name, then on
        } else {
            keys[DIK_SPACE] = 0x80;  // hard drops as fast as they repeat
        }
    };
    RunSceneLoop();

    EXPECT_EQ(QuitRequested, 1);
    EXPECT_EQ(Platform.PlaysOn(0), (std::vector<std::string>{"sfx\\bgm3.mp3", "sfx\\bgm3.mp3"}));
    ASSERT_GT(HighScoreTable[0].Score, 0);
    EXPECT_EQ(HighScoreTable[0].Name, "");
    EXPECT_EQ(HighScoreTable[1].Name, "DEFAULT");
    EXPECT_EQ(ReadFile("scores.dat"), WriteHighScoreTable(HighScoreTable));
    // The machine was told what the keys were for: play, the menus, a name, the menus.
    EXPECT_EQ(Platform.KeyModes,
              (std::vector<KeyMode>{KeyMode::Play, KeyMode::Menus, KeyMode::Name, KeyMode::Menus}));
    // Of the pictures made only when they are about to be drawn (the title and the levels'
    // backdrops), none was drawn before it was wanted and two at most were kept at once; back
    // in the menu, only the title is.
    EXPECT_EQ(Platform.UnwantedDraws, std::vector<std::string>{});
    EXPECT_LE(Platform.MostWanted, 2u);
    EXPECT_EQ(Platform.WantedPictures, std::set<std::string>{"gfx//titlebkg.png"});
    // The reset after the game: the shadow is back, the cursor on start, the stack gone.
    EXPECT_TRUE(Options.Shadow);
    EXPECT_FALSE(Options.Preview);
    EXPECT_EQ(GameState.MenuCursor, 0);
    EXPECT_EQ(GameState.Score, 0);
    EXPECT_EQ(RowText(24), "...............");
}

}  // namespace
