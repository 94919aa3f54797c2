// Whole games of the play scene on the scripted platform: what the player sees and hears.
#include "game/play_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "game/keys.h"
#include "game/locking.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/playfield.h"

namespace {

constexpr int32_t FadeInFrames = 86;
constexpr int32_t FadeOutFrames = 129;
const std::string ShadowImage = "gfx//blocks//set1//shadow.png";
const std::string HudImage = "gfx//HUD.dds";

class PlaySceneTest : public GameTest {
  protected:
    // Runs the scene; true when it returned by itself, false when the window closed after
    // `playFrames` frames past the fade-in.
    bool RunScene(int32_t playFrames) {
        Platform.CloseAfterFrames = FadeInFrames + playFrames;
        try {
            RunPlayScene();
            return true;
        } catch (const WindowClosed&) {
            return false;
        }
    }

    // Frame n of play, counted from 1 after the fade-in.
    const Frame& PlayFrame(int32_t n) const {
        return Platform.Frames.at(static_cast<size_t>(FadeInFrames + n - 1));
    }
    int32_t PlayFrameCount() const { return Platform.FrameCount() - FadeInFrames; }

    // The falling piece of frame n of play, drawn last with one block per cell.
    DrawnPiece Falling(int32_t n, PieceCode code) const {
        return FallingPieceIn(PlayFrame(n), PieceCatalogue[code].Cells.Count);
    }

    // Frames of play at which the falling piece's anchor row changed.
    std::vector<int32_t> RowChanges(PieceCode code) const {
        std::vector<int32_t> changes;
        for (int32_t n = 2; n <= PlayFrameCount(); ++n) {
            if (Falling(n, code).Row != Falling(n - 1, code).Row) changes.push_back(n);
        }
        return changes;
    }

    // What was done to the game's music, its volume aside.
    std::vector<SoundOp> GameMusicOps() const {
        std::vector<SoundOp> ops;
        for (const SoundCall& call : Platform.Sounds) {
            if (call.Channel == ChannelGameMusic && call.Op != SoundOp::SetVolume) {
                ops.push_back(call.Op);
            }
        }
        return ops;
    }

    std::vector<int32_t> VolumesSetOn(int32_t channel) const {
        std::vector<int32_t> volumes;
        for (const SoundCall& call : Platform.Sounds) {
            if (call.Op == SoundOp::SetVolume && call.Channel == channel) {
                volumes.push_back(call.Value);
            }
        }
        return volumes;
    }
};

// The digits drawn on one line of the HUD, left to right.
std::string DigitsAt(const Frame& frame, int32_t y, int32_t fromX, int32_t toX) {
    std::vector<std::pair<int32_t, char>> digits;
    for (const DrawCall& draw : frame.Draws) {
        const std::string& f = draw.File;
        if (draw.Y == y && draw.X >= fromX && draw.X <= toX && f.size() == 16 &&
            f.rfind("gfx//font//", 0) == 0 && isdigit(static_cast<unsigned char>(f[11]))) {
            digits.emplace_back(draw.X, f[11]);
        }
    }
    std::sort(digits.begin(), digits.end());
    std::string text;
    for (const auto& digit : digits) text += digit.second;
    return text;
}

bool DrawsInsideTheWell(const Frame& frame) {
    for (const DrawCall& draw : frame.Draws) {
        if (draw.File.rfind("gfx//blocks", 0) == 0 && draw.X >= 317 && draw.X < 707 &&
            draw.Y >= 59 && draw.Y < 709) {
            return true;
        }
    }
    return false;
}

TEST_F(PlaySceneTest, TheFadeInRaisesEverythingButTheFallingPiece) {
    EXPECT_FALSE(RunScene(1));
    std::vector<uint32_t> alphas;
    for (int32_t i = 0; i < FadeInFrames; ++i) {
        const Frame& frame = Platform.Frames[static_cast<size_t>(i)];
        alphas.push_back(frame.Of(HudImage).at(0).Colour >> 24);
        EXPECT_EQ(frame.Of("gfx//background1.jpg").at(0).Colour, frame.Of(HudImage).at(0).Colour);
        EXPECT_EQ(frame.Of(ShadowImage).at(0).Colour, frame.Of(HudImage).at(0).Colour);
        EXPECT_EQ(frame.Draws.back().Colour, OpaqueWhite);  // the falling piece
    }
    EXPECT_EQ(alphas.front(), 0u);
    EXPECT_EQ(alphas[1], 3u);
    EXPECT_EQ(alphas.back(), 255u);
    // No keys are read and no messages taken while it fades in; sleeps of 1 ms pace it.
    EXPECT_EQ(Platform.Frames[FadeInFrames - 1].PollsBefore, 0);
    EXPECT_EQ(std::count(Platform.Sleeps.begin(), Platform.Sleeps.end(), 1), FadeInFrames - 1);
    EXPECT_EQ(Platform.MessagesTaken, 1);  // one per frame of play
    // The game music starts first, at volume 200.
    ASSERT_GE(Platform.Sounds.size(), 2u);
    EXPECT_EQ(Platform.Sounds[0].Op, SoundOp::Play);
    EXPECT_EQ(Platform.Sounds[0].File, "sfx\\bgm.mp3");
    EXPECT_EQ(Platform.Sounds[0].Channel, ChannelGameMusic);
    EXPECT_EQ(Platform.Sounds[1].Op, SoundOp::SetVolume);
    EXPECT_EQ(Platform.Sounds[1].Value, 200);
}

TEST_F(PlaySceneTest, GravityFollowsTheTickWithQuickFrames) {
    Platform.FrameTime = 5;  // 6 ms a frame with the sleep: a tick every other frame
    EXPECT_FALSE(RunScene(130));
    // Piece 3 opens the game; twenty ticks of 10 ms make a gravity step: every 40 frames.
    EXPECT_EQ(Falling(1, 3).Row, 0);
    EXPECT_EQ(Falling(1, 3).Column, 7);
    EXPECT_EQ(RowChanges(3), (std::vector<int32_t>{40, 80, 120}));
    EXPECT_EQ(Falling(120, 3).Row, 3);
    EXPECT_FLOAT_EQ(GameState.GravityStepCount, 3.0f);

    // 5 ms frames: a tick needs the clock strictly past its due time, so every third frame.
    Platform.ClearRecords();
    GameState = GameStateRecord{};
    GameState.CurrentPiece = 3;
    Platform.FrameTime = 4;
    EXPECT_FALSE(RunScene(125));
    EXPECT_EQ(RowChanges(3), (std::vector<int32_t>{59, 119}));
}

TEST_F(PlaySceneTest, SlowFramesGetOneTickEachAndLateTicksAreNotMadeUp) {
    Platform.FrameTime = 30;
    EXPECT_FALSE(RunScene(65));
    EXPECT_EQ(RowChanges(3), (std::vector<int32_t>{21, 41, 61}));
    // A frame-rate count is published once a second: 31 ms frames make 32 or 33 of them.
    EXPECT_GE(GameState.FramesPerSecond, 32);
    EXPECT_LE(GameState.FramesPerSecond, 33);
    EXPECT_EQ(DigitsAt(PlayFrame(60), 0, -60, 20), std::to_string(GameState.FramesPerSecond));
}

TEST_F(PlaySceneTest, LevelUpShortensTheGravityPeriod) {
    Platform.FrameTime = 30;
    GameState.Level = 2;
    GameState.GravityPeriod = 18.0f;
    GameState.GravityCountdown = 18;
    EXPECT_FALSE(RunScene(60));
    EXPECT_EQ(RowChanges(3), (std::vector<int32_t>{19, 37, 55}));
    EXPECT_TRUE(PlayFrame(1).Shows("gfx//background2.jpg"));
}

TEST_F(PlaySceneTest, HeldSidewaysKeysRepeatEverySevenTicksOrSixFromLevelSeven) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_RIGHT}, 22);
    EXPECT_FALSE(RunScene(22));
    std::vector<int32_t> columns;
    for (int32_t n = 1; n <= 22; ++n) columns.push_back(Falling(n, 3).Column);
    // Acting at once, then at frames 8, 15 and 22.
    EXPECT_EQ(columns, (std::vector<int32_t>{8, 8, 8, 8,  8,  8,  8,  9,  9,  9,  9,
                                             9, 9, 9, 10, 10, 10, 10, 10, 10, 10, 11}));

    Platform.ClearRecords();
    GameState = GameStateRecord{};
    GameState.CurrentPiece = 3;
    GameState.Level = 7;
    Platform.Hold({DIK_LEFT}, 19);
    EXPECT_FALSE(RunScene(19));
    columns.clear();
    for (int32_t n = 1; n <= 19; ++n) columns.push_back(Falling(n, 3).Column);
    EXPECT_EQ(columns,
              (std::vector<int32_t>{6, 6, 6, 6, 6, 6, 5, 5, 5, 5, 5, 5, 4, 4, 4, 4, 4, 4, 3}));
}

TEST_F(PlaySceneTest, HeldUpTurnsEveryEightTicksWithItsSound) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_UP}, 17);
    EXPECT_FALSE(RunScene(17));
    EXPECT_EQ(Platform.PlaysOn(ChannelPiece),
              std::vector<std::string>(3, "sfx\\rotate.wav"));  // frames 1, 9 and 17
    EXPECT_EQ(GameState.CurrentPiece, 2);
    EXPECT_FLOAT_EQ(GameState.RotationCount, 3.0f);
    EXPECT_EQ(Falling(8, 0).Blocks, 4);
    EXPECT_EQ(PlayFrame(8).Draws.back().Y, CellY(2));  // code 0's bottom-right cell
}

TEST_F(PlaySceneTest, HeldSpaceHardDropsEveryTenTicks) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_SPACE}, 21);
    EXPECT_FALSE(RunScene(21));
    EXPECT_FLOAT_EQ(GameState.PieceCount, 4.0f);  // drops at frames 1, 11 and 21
    EXPECT_EQ(Platform.PlaysOn(ChannelPiece), std::vector<std::string>(3, "sfx\\drop.wav"));
}

TEST_F(PlaySceneTest, HeldDownSoftDropsEveryTwoTicksWithAPointPerStep) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_DOWN}, 10);
    EXPECT_FALSE(RunScene(10));
    std::vector<int32_t> rows;
    for (int32_t n = 1; n <= 10; ++n) rows.push_back(Falling(n, 3).Row);
    EXPECT_EQ(rows, (std::vector<int32_t>{1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));
    EXPECT_EQ(GameState.Score, 5);
    EXPECT_FLOAT_EQ(GameState.SoftDropCount, 5.0f);

    // Held long enough to lock: the locking step earns its point too.
    Platform.ClearRecords();
    GameState = GameStateRecord{};
    GameState.CurrentPiece = 3;
    GameState.NextPiece = 18;
    Platform.Hold({DIK_DOWN}, 60);
    EXPECT_FALSE(RunScene(60));
    EXPECT_EQ(GameState.Score, 30);
    EXPECT_FLOAT_EQ(GameState.SoftDropCount, 30.0f);
    EXPECT_GE(GameState.PieceCount, 2.0f);
    EXPECT_EQ(RowText(24), ".......111.....");
}

TEST_F(PlaySceneTest, TheFirstTwoPiecesLandWhereHardDropsPutThem) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_SPACE}, 1);
    Platform.Release(10);
    Platform.Hold({DIK_SPACE}, 1);
    EXPECT_FALSE(RunScene(14));
    EXPECT_EQ(RowText(21), "...............");
    EXPECT_EQ(RowText(22), ".......77......");
    EXPECT_EQ(RowText(23), ".......771.....");
    EXPECT_EQ(RowText(24), ".......111.....");
    // Right after the first drop, the square falls from the top.
    EXPECT_EQ(Falling(1, 18).File, "gfx//blocks//set1//green.png");
    EXPECT_EQ(Falling(1, 18).Row, 0);
    EXPECT_EQ(Falling(1, 18).Column, 7);
    // Both stay in view where they landed.
    std::vector<std::pair<int32_t, int32_t>> red;
    for (const DrawCall& draw : PlayFrame(14).Of("gfx//blocks//set1//red.png")) {
        red.emplace_back(draw.X, draw.Y);
    }
    EXPECT_EQ(red, (std::vector<std::pair<int32_t, int32_t>>{{CellX(9), CellY(23)},
                                                             {CellX(7), CellY(24)},
                                                             {CellX(8), CellY(24)},
                                                             {CellX(9), CellY(24)}}));
    EXPECT_EQ(PlayFrame(14).Of("gfx//blocks//set1//green.png").at(0).Y, CellY(22));
    EXPECT_EQ(ReadFile("data.dat"), BoardDumpText());
}

TEST_F(PlaySceneTest, KeypadPlusCyclesThroughTheCodesThatFit) {
    Platform.FrameTime = 30;
    Platform.Hold({DIK_ADD}, 3);
    EXPECT_FALSE(RunScene(4));
    EXPECT_EQ(GameState.CurrentPiece, 6);
    EXPECT_EQ(std::count(Platform.Sleeps.begin(), Platform.Sleeps.end(), 100), 3);
    EXPECT_EQ(Falling(1, 4).File, "gfx//blocks//set1//blue.png");

    // By the right wall, only the codes narrow enough come in turn, past 19 back to 0.
    FillBoard(0);
    PlacePiece(16, 14, 10);
    CyclePiece();
    EXPECT_EQ(GameState.CurrentPiece, 19);
    CyclePiece();
    EXPECT_EQ(GameState.CurrentPiece, 16);
    // Nothing but the bomb fits: it stays a bomb.
    GameState.Board[14][12] = 3;
    PlacePiece(19, 14, 10);
    CyclePiece();
    EXPECT_EQ(GameState.CurrentPiece, 19);
    EXPECT_EQ(GameState.PieceColumn, 14);
}

TEST_F(PlaySceneTest, PauseShowsTheHudAloneAndHoldsTheGameUntilEnterAgain) {
    Platform.FrameTime = 30;
    Platform.Release(5);
    Platform.Hold({DIK_RETURN}, 2);
    Platform.Release(1);
    Platform.Hold({DIK_SPACE, DIK_ESCAPE}, 50);  // ignored while paused
    Platform.Release(3000);
    Platform.Hold({DIK_RETURN}, 1);
    Platform.Release(1);
    EXPECT_FALSE(RunScene(5 + 1 + 30));
    const Frame& pause = PlayFrame(6);
    EXPECT_TRUE(pause.Shows(HudImage));
    EXPECT_TRUE(pause.Shows("gfx//background1.jpg"));
    EXPECT_FALSE(pause.Shows(ShadowImage));
    EXPECT_FALSE(DrawsInsideTheWell(pause));
    EXPECT_TRUE(pause.Shows("gfx//blocks//set1//green.png"));  // the preview belongs to the HUD
    EXPECT_TRUE(DrawsInsideTheWell(PlayFrame(7)));
    // The frame after the pause is the one whose keys paused it: the board is back.
    EXPECT_EQ(PlayFrame(7).PollsBefore, 5 + 3 + 50 + 3000 + 2);
    EXPECT_FLOAT_EQ(GameState.PieceCount, 1.0f);  // no drop while paused
    EXPECT_EQ(GameState.ToppedOut, 0);

    // Music held and resumed on channel 1.
    EXPECT_EQ(GameMusicOps(), (std::vector<SoundOp>{SoundOp::Play, SoundOp::Pause, SoundOp::Resume,
                                                    SoundOp::Stop}));
    // Gravity stood still through the pause: one tick per frame of play, so the twentieth
    // comes in the twentieth frame of play, the pause frame not counted.
    for (int32_t n = 1; n <= 36; ++n) {
        if (n == 6) continue;
        EXPECT_EQ(Falling(n, 3).Row, n <= 21 ? 0 : 1) << n;
    }
    // The game clock kept running: three seconds paused show on the HUD once the frame after
    // the pause has updated it.
    EXPECT_EQ(DigitsAt(PlayFrame(7), 645, 195, 275), "0000");
    EXPECT_EQ(DigitsAt(PlayFrame(8), 645, 195, 275), "0003");
}

TEST_F(PlaySceneTest, LeavingTheWindowDuringPlayPausesAsEnterWould) {
    Platform.FrameTime = 30;
    Platform.LoseFocus();  // left in the title menu: play starts all the same
    Platform.Release(5);
    Platform.FocusLostAtPolls.insert(6);
    Platform.Release(1 + 3000);
    Platform.Hold({DIK_RETURN}, 1);
    Platform.Release(1);
    EXPECT_FALSE(RunScene(5 + 1 + 30));
    EXPECT_TRUE(DrawsInsideTheWell(PlayFrame(5)));
    const Frame& pause = PlayFrame(6);
    EXPECT_TRUE(pause.Shows(HudImage));
    EXPECT_FALSE(DrawsInsideTheWell(pause));
    EXPECT_EQ(pause.PollsBefore, 6);
    // Enter brings the board back, and the loss is not taken twice.
    EXPECT_TRUE(DrawsInsideTheWell(PlayFrame(7)));
    EXPECT_EQ(PlayFrame(7).PollsBefore, 6 + 3000 + 2);
    for (int32_t n = 8; n <= 36; ++n) EXPECT_TRUE(DrawsInsideTheWell(PlayFrame(n))) << n;
    EXPECT_EQ(GameMusicOps(), (std::vector<SoundOp>{SoundOp::Play, SoundOp::Pause, SoundOp::Resume,
                                                    SoundOp::Stop}));
}

TEST_F(PlaySceneTest, EscapeFadesOutOverAHundredAndTwentyNineFramesThenWaits) {
    Platform.FrameTime = 30;
    Platform.Release(3);
    Platform.Hold({DIK_ESCAPE}, 3);
    Platform.Release(1);
    EXPECT_TRUE(RunScene(1000));
    EXPECT_EQ(PlayFrameCount(), 3 + FadeOutFrames);
    std::vector<uint32_t> alphas;
    for (int32_t n = 4; n <= PlayFrameCount(); ++n) {
        const Frame& frame = PlayFrame(n);
        alphas.push_back(frame.Of(HudImage).at(0).Colour >> 24);
        EXPECT_EQ(frame.Draws.back().Colour, frame.Of(HudImage).at(0).Colour);  // piece too
        EXPECT_TRUE(frame.Shows(ShadowImage));
    }
    ASSERT_EQ(alphas.size(), 129u);
    EXPECT_EQ(alphas[0], 255u);
    EXPECT_EQ(alphas[1], 253u);
    EXPECT_EQ(alphas[127], 1u);
    EXPECT_EQ(alphas[128], 0u);
    EXPECT_EQ(Platform.Sleeps.back(), 500);
    EXPECT_EQ(Platform.Sounds.back().Op, SoundOp::Stop);
    EXPECT_EQ(Platform.Sounds.back().Channel, ChannelGameMusic);
    EXPECT_EQ(GameState.ToppedOut, 0);
    // The scene waited for Escape to be let go.
    EXPECT_EQ(Platform.Polls, 3 + 3 + 1);
}

TEST_F(PlaySceneTest, ToppingOutEndsTheSceneAtTheEndOfThatFrame) {
    Platform.FrameTime = 30;
    for (int32_t column = 7; column <= 9; ++column) FillColumn(column, 2, 24, 4);
    EXPECT_TRUE(RunScene(1000));
    // The twentieth tick's gravity step locks piece 3 in row 0: frame 20 is the last.
    EXPECT_EQ(PlayFrameCount(), 20);
    EXPECT_EQ(GameState.ToppedOut, 1);
    EXPECT_EQ(std::count(Platform.Sleeps.begin(), Platform.Sleeps.end(), 500), 0);
    EXPECT_EQ(Platform.Sounds.back().Op, SoundOp::Stop);
    EXPECT_EQ(Platform.Sounds.back().Channel, ChannelGameMusic);
    EXPECT_EQ(GameState.Board[9][0], 1);

    // A hard drop into the same spot ends it in the first frame.
    Platform.ClearRecords();
    GameState = GameStateRecord{};
    GameState.CurrentPiece = 3;
    for (int32_t column = 7; column <= 9; ++column) FillColumn(column, 2, 24, 4);
    Platform.Hold({DIK_SPACE}, 1);
    EXPECT_TRUE(RunScene(1000));
    EXPECT_EQ(PlayFrameCount(), 1);
}

// Each level's backdrop is wanted a level ahead, so that it is made before the level comes, and
// let go behind; the menus' picture is not kept during play.
TEST_F(PlaySceneTest, BackdropsAreMadeALevelAheadAndLetGoBehind) {
    std::vector<std::set<std::string>> wantedAtLevel(11);
    int64_t polls = 0;
    Platform.KeyScript = [&](ScriptedPlatform& p, uint8_t* keys) {
        if (p.FrameCount() <= FadeInFrames) return;
        wantedAtLevel[static_cast<size_t>(GameState.Level)] = p.WantedPictures;
        if (++polls % 30 == 0 && GameState.Level < 10) ++GameState.Level;  // a level a while
        if (polls == 400) keys[DIK_ESCAPE] = 0x80;
    };
    EXPECT_TRUE(RunScene(700));
    EXPECT_EQ(Platform.UnwantedDraws, std::vector<std::string>{});
    EXPECT_LE(Platform.MostWanted, 2u);
    const auto backdrop = [](int level) {
        return "gfx//background" + std::to_string(level) + ".jpg";
    };
    for (int level = 1; level < 10; ++level) {
        EXPECT_EQ(wantedAtLevel[static_cast<size_t>(level)],
                  (std::set<std::string>{backdrop(level), backdrop(level + 1)}))
            << "level " << level;
    }
    EXPECT_EQ(wantedAtLevel[10], std::set<std::string>{backdrop(10)});
    // Leaving: the menus' picture is made again, while the last level's backdrop fades out.
    EXPECT_EQ(Platform.WantedPictures, (std::set<std::string>{"gfx//titlebkg.png", backdrop(10)}));
}

TEST_F(PlaySceneTest, GameMusicPlaysTheFirstTrackOnceThenTheSecondOverAndOver) {
    Platform.FrameTime = 30;
    Platform.SampleLengths["sfx\\bgm.mp3"] = 3000;
    Platform.SampleLengths["sfx\\bgm2.mp3"] = 100;
    EXPECT_FALSE(RunScene(24));
    std::vector<const SoundCall*> plays;
    for (const SoundCall& call : Platform.Sounds) {
        if (call.Op == SoundOp::Play && call.Channel == ChannelGameMusic) plays.push_back(&call);
    }
    ASSERT_EQ(plays.size(), 5u);
    EXPECT_EQ(plays[0]->File, "sfx\\bgm.mp3");
    for (size_t i = 1; i < plays.size(); ++i) EXPECT_EQ(plays[i]->File, "sfx\\bgm2.mp3");
    // The second track starts in the first frame presented once the first has ended, and
    // again every time it ends.
    const auto presented = [&](const SoundCall* call) {
        return Platform.Frames.at(static_cast<size_t>(call->FramesBefore - 1)).PresentedAt;
    };
    EXPECT_GE(presented(plays[1]), 3000);
    EXPECT_LT(Platform.Frames.at(static_cast<size_t>(plays[1]->FramesBefore - 2)).PresentedAt,
              3000);
    for (size_t i = 2; i < plays.size(); ++i) {
        EXPECT_GE(presented(plays[i]) - presented(plays[i - 1]), 100);
        EXPECT_LT(presented(plays[i]) - presented(plays[i - 1]), 100 + 31);
    }
    // The window closing ends the scene too, and the music with it.
    EXPECT_EQ(Platform.Sounds.back().Op, SoundOp::Stop);
    EXPECT_EQ(Platform.Sounds.back().Channel, ChannelGameMusic);
}

TEST_F(PlaySceneTest, TheTitleMusicDiesAwayOverTheFirstFramesOfPlay) {
    PlaySound(ChannelTitleMusic, SoundBank[SoundTitleMusic]);
    SetVolume(ChannelTitleMusic, 192);
    Platform.ClearRecords();
    EXPECT_FALSE(RunScene(200));
    std::vector<int32_t> expected;
    for (int32_t volume = 191; volume >= 0; --volume) expected.push_back(volume);
    EXPECT_EQ(VolumesSetOn(ChannelTitleMusic), expected);
    int32_t stops = 0;
    for (const SoundCall& call : Platform.Sounds) {
        if (call.Channel != ChannelTitleMusic) continue;
        if (call.Op == SoundOp::SetVolume) {
            EXPECT_GE(call.FramesBefore, FadeInFrames);  // not during the fade-in
        }
        if (call.Op == SoundOp::Stop) {
            ++stops;
            EXPECT_EQ(call.FramesBefore, FadeInFrames + 191);  // in the 192nd frame of play
        }
    }
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(Platform.IsPlaying(ChannelTitleMusic));
}

TEST_F(PlaySceneTest, TheHudShowsEveryElementInItsPlace) {
    GameState.Level = 3;
    GameState.Score = 4321;
    GameState.LinesCleared = 56;
    GameState.FramesPerSecond = 60;
    GameState.ClockMinutes = 1;
    GameState.ClockSeconds = 7;
    GameState.NextPiece = 12;
    BeginFrame();
    DrawHud(0x7FFFFFFFu);
    EndFrame();
    const Frame& frame = Platform.LastFrame();
    ASSERT_GE(frame.Draws.size(), 6u);
    EXPECT_EQ(frame.Draws[0].File, "gfx//background3.jpg");
    EXPECT_EQ(frame.Draws[1].File, HudImage);
    EXPECT_EQ(frame.Draws[0].X, 0);
    EXPECT_EQ(frame.Draws[1].Y, 0);
    // The preview: a T pointing up at (745, 620).
    EXPECT_EQ(frame.Draws[2].File, "gfx//blocks//set1//orange.png");
    EXPECT_EQ(
        FallingPieceIn(Frame{{frame.Draws.begin() + 2, frame.Draws.begin() + 6}, 0, 0}, 4).Blocks,
        4);
    EXPECT_EQ(frame.Draws[2].X, 745 + 26);
    EXPECT_EQ(frame.Draws[2].Y, 620);
    EXPECT_EQ(frame.Draws[3].X, 745);
    EXPECT_EQ(frame.Draws[3].Y, 646);
    // The words.
    const auto lettersAt = [&](int32_t y) {
        std::string word;
        for (const DrawCall& draw : frame.Draws) {
            if (draw.Y == y && draw.File.size() == 16 && isupper(draw.File[11])) {
                word += draw.File[11];
                word += std::to_string(draw.X) + ' ';
            }
        }
        return word;
    };
    EXPECT_EQ(lettersAt(465), "L190 I215 N227 E252 S277 S723 C748 O773 R798 E823 ");
    EXPECT_EQ(lettersAt(597), "T200 I225 M237 E262 ");
    // The numbers: score and rows padded, level and frame rate not, the clock as mm:ss.
    EXPECT_EQ(DigitsAt(frame, 520, 735, 815), "04321");
    EXPECT_EQ(DigitsAt(frame, 520, 191, 271), "00056");
    EXPECT_EQ(DigitsAt(frame, 70, -96, -16), "3");
    EXPECT_EQ(DigitsAt(frame, 70, -16, -16), "3");
    EXPECT_EQ(DigitsAt(frame, 0, -60, 20), "60");
    EXPECT_EQ(DigitsAt(frame, 645, 195, 275), "0107");
    EXPECT_EQ(frame.Of("gfx//colon.png").at(0).X, 239);
    EXPECT_EQ(frame.Of("gfx//colon.png").at(0).Y, 647);
    for (const DrawCall& draw : frame.Draws) EXPECT_EQ(draw.Colour, 0x7FFFFFFFu);
    // The clock is the last element.
    EXPECT_EQ(frame.Draws.back().X, 275);

    // Larger numbers show whole.
    GameState.Score = 123456;
    BeginFrame();
    DrawHud(OpaqueWhite);
    EndFrame();
    EXPECT_EQ(DigitsAt(Platform.LastFrame(), 520, 700, 815), "123456");
}

TEST_F(PlaySceneTest, ThePreviewSitsWhereEachCodeBelongsOrIsHidden) {
    const std::vector<std::pair<PieceCode, std::pair<int32_t, int32_t>>> places = {
        {0, {760, 615}},  {4, {760, 615}}, {16, {770, 598}}, {12, {745, 620}}, {18, {759, 625}},
        {19, {760, 635}}, {8, {750, 625}}, {10, {750, 625}}, {3, {750, 625}},  {17, {750, 625}}};
    for (const auto& [code, at] : places) {
        GameState.NextPiece = code;
        BeginFrame();
        DrawHud(OpaqueWhite);
        EndFrame();
        const Frame& frame = Platform.LastFrame();
        const int32_t cells = PieceCatalogue[code].Cells.Count;
        int32_t minX = 10000;
        int32_t minY = 10000;
        for (int32_t i = 2; i < 2 + cells; ++i) {
            EXPECT_EQ(frame.Draws[static_cast<size_t>(i)].File, PieceSprite(code).Name);
            minX = std::min(minX, frame.Draws[static_cast<size_t>(i)].X);
            minY = std::min(minY, frame.Draws[static_cast<size_t>(i)].Y);
        }
        EXPECT_EQ(std::make_pair(minX, minY), at) << "code " << code;
    }
    Options.Preview = false;
    BeginFrame();
    DrawHud(OpaqueWhite);
    EndFrame();
    EXPECT_FALSE(Platform.LastFrame().Shows("gfx//blocks//set1//bomb.png"));
    EXPECT_EQ(Platform.LastFrame().Draws[2].File.rfind("gfx//font//", 0), 0u);
}

}  // namespace
