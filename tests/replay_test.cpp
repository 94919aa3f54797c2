// Recorded games: every game is kept in "replays/", plays back exactly, and a playback that goes
// its own way, or a damaged file, is told apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/replays.h"
#include "game/keys.h"
#include "game/pieces.h"
#include "game/random.h"
#include "game/state.h"
#include "platform/system.h"
#include "replay/playback_platform.h"
#include "replay/recording_platform.h"
#include "replay/replay_file.h"
#include "support/autoplayer.h"
#include "support/game_fixture.h"

namespace {

class ReplayTest : public GameTest {
  protected:
    // Plays one game on the scripted platform through the recorder, as the scene loop does,
    // with the autoplayer at the keys, and returns the replay it left.
    Replay RecordGame(int32_t pieces, uint32_t seed, bool escape = false) {
        RecordingPlatform recorder(Platform);
        SetPlatform(&recorder);
        SetGameRecorder(&recorder);
        Platform.FrameTime = 16;
        Autoplayer player(seed);
        player.PiecesBeforeGivingUp = pieces;
        player.EscapeAfterPieces = escape ? pieces : -1;
        player.Name = "ROBOT";
        Platform.KeyScript = [&](ScriptedPlatform& platform, uint8_t* state) {
            player.Keys(platform.Now, state);
        };
        RunGame();
        SetGameRecorder(nullptr);
        SetPlatform(&Platform);
        Final = GameState;
        Replay replay;
        std::string reason;
        EXPECT_TRUE(LoadReplay(LastReplayFile, replay, reason)) << reason;
        return replay;
    }

    PlaybackResult Check(const Replay& replay) {
        SilentPlatform silent;
        SetPlatform(&silent);
        const PlaybackResult result = PlayBack(replay, silent, false);
        SetPlatform(&Platform);
        return result;
    }

    GameStateRecord Final;
};

TEST_F(ReplayTest, AToppedOutGameIsKeptTwiceAndPlaysBackToTheSameEnd) {
    const Replay replay = RecordGame(60, 7);
    ASSERT_TRUE(Final.ToppedOut);
    EXPECT_EQ(HighScoreTable[0].Name, "ROBOT");
    // The high score is also kept under its date and score.
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder / "replays")) {
        const std::string name = entry.path().filename().string();
        if (name == "last.zrp") continue;
        ++kept;
        EXPECT_NE(name.find("-" + std::to_string(Final.Score) + ".zrp"), std::string::npos) << name;
        EXPECT_EQ(ReadFile("replays/" + name), ReadFile("replays/last.zrp"));
    }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(replay.End.How, ReplayEnding::ToppedOut);
    EXPECT_EQ(replay.End.Score, Final.Score);
    EXPECT_EQ(replay.End.Rows, Final.LinesCleared);
    EXPECT_GT(Final.LinesCleared, 0);

    // Played back with the player's files in place: none of them is touched.
    WriteFile("scores.dat", "KEEP\n1");
    std::filesystem::remove(Folder / "data.dat");
    InitialiseProgramState();
    const PlaybackResult result = Check(replay);
    EXPECT_EQ(result.Outcome, PlaybackResult::Verdict::Matches) << result.Message;
    EXPECT_EQ(result.End.Score, Final.Score);
    EXPECT_EQ(result.End.Frames, replay.End.Frames);
    EXPECT_EQ(ReadFile("scores.dat"), "KEEP\n1");
    EXPECT_FALSE(FileExists("data.dat"));
}

TEST_F(ReplayTest, ADifferentDealDepartsAtTheFrameOfTheFirstLock) {
    const Replay recorded = RecordGame(5, 3, true);
    EXPECT_EQ(recorded.End.How, ReplayEnding::Escaped);
    // Not a high score: only the last game is kept.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder / "replays"),
                            std::filesystem::directory_iterator()),
              1);

    // The same keys and clocks with another generator: the first piece falls alike, and the
    // game parts from the recording in the frame whose lock deals the changed piece.
    // The first piece lands on the floor, so the first draws of the generator deal the third.
    const auto thirdPiece = [](uint32_t state) {
        Srand(state);
        return Rand() % 10 == 0 ? BombPiece : SpawnOrientations[Rand() % 7];
    };
    Replay changed = recorded;
    while (thirdPiece(changed.Start.RandomState) == thirdPiece(recorded.Start.RandomState)) {
        changed.Start.RandomState = changed.Start.RandomState * 69069u + 1u;
    }
    const PlaybackResult result = Check(changed);
    ASSERT_EQ(result.Outcome, PlaybackResult::Verdict::Departs) << result.Message;

    // Where the first lock happened: the frame after which the piece count first moved.
    SilentPlatform silent;
    QuestionLogReader log(recorded.Questions, recorded.Checkpoints, recorded.Start.Keys);
    PlaybackPlatform playback(silent, log, PlaybackPlatform::Mode::Check);
    int64_t firstLock = 0;
    playback.StateDigest = [&] {
        if (firstLock == 0 && GameState.PieceCount > 1.0f) firstLock = playback.FrameCount();
        return DigestOfGame();
    };
    ApplyStart(recorded.Start);
    SetPlatform(&playback);
    try {
        RunGame();
    } catch (const ReplayDeparture&) {
    }
    SetPlatform(&Platform);
    EXPECT_GT(firstLock, 0);
    EXPECT_EQ(result.Frame, firstLock) << result.Message;
}

TEST_F(ReplayTest, AReplayThatCannotBeSavedSaysSoOnceAndTheGameGoesOn) {
    WriteFile("replays", "a file where the folder should be");
    ::testing::internal::CaptureStderr();
    RecordingPlatform recorder(Platform);
    SetPlatform(&recorder);
    SetGameRecorder(&recorder);
    Autoplayer player(5);
    player.PiecesBeforeGivingUp = 3;
    Platform.KeyScript = [&](ScriptedPlatform& platform, uint8_t* state) {
        player.Keys(platform.Now, state);
    };
    RunGame();
    SetGameRecorder(nullptr);
    SetPlatform(&Platform);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(GameState.ToppedOut);
    EXPECT_EQ(HighScoreTable[0].Name, "ROBOT");  // the game itself went on to the end
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("replay"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile("replays"), "a file where the folder should be");
}

}  // namespace
