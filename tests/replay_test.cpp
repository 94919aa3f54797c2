// Recorded games: every game is kept in "replays/", plays back exactly, and a playback that goes
// its own way, or a damaged file, is told apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "game/locking.h"
#include "game/random.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "replay/playback.h"
#include "replay/recorder.h"
#include "replay/recording_platform.h"
#include "replay/replay_file.h"
#include "support/autoplayer.h"
#include "support/game_fixture.h"

namespace {

class ReplayTest : public GameTest {
  protected:
    // Plays one game on the scripted platform through the recorder, as the scene loop does,
    // with the player at the keys.
    void PlayRecorded(Autoplayer& player) {
        RecordingPlatform recorder(Platform);
        SetPlatform(&recorder);
        SetGameRecorder(&recorder);
        Platform.KeyScript = [&](ScriptedPlatform& platform, uint8_t* state) {
            player.Keys(platform.Now, state);
        };
        RecordGame();
        SetGameRecorder(nullptr);
        SetPlatform(&Platform);
        Final = GameState;
    }

    // The same with the autoplayer, at 16 ms a frame; the replay it left.
    Replay RecordAGame(int32_t pieces, uint32_t seed, bool escape = false) {
        Platform.FrameTime = 16;
        Autoplayer player(seed);
        player.PiecesBeforeGivingUp = pieces;
        player.EscapeAfterPieces = escape ? pieces : -1;
        player.Name = "ROBOT";
        PlayRecorded(player);
        Replay replay;
        std::string reason;
        EXPECT_TRUE(LoadReplay(LastReplayFile, replay, reason)) << reason;
        return replay;
    }

    GameStateRecord Final;
};

TEST_F(ReplayTest, AToppedOutGameIsKeptTwiceAndPlaysBackToTheSameEnd) {
    const Replay replay = RecordAGame(60, 7);
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
    const PlaybackResult result = CheckPlayback(replay);
    EXPECT_EQ(result.Outcome, PlaybackResult::Verdict::Matches) << result.Message;
    EXPECT_EQ(result.End.Score, Final.Score);
    EXPECT_EQ(result.End.Frames, replay.End.Frames);
    EXPECT_EQ(ReadFile("scores.dat"), "KEEP\n1");
    EXPECT_FALSE(FileExists("data.dat"));
}

TEST_F(ReplayTest, ADifferentDealDepartsAtTheFrameOfTheFirstLock) {
    const Replay recorded = RecordAGame(5, 3, true);
    EXPECT_EQ(recorded.End.How, ReplayEnding::Escaped);
    // Not a high score: only the last game is kept.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder / "replays"),
                            std::filesystem::directory_iterator()),
              1);
    // The frame of the first lock, as the game played it: the one that played its thud.
    int64_t firstLock = 0;
    for (const SoundCall& call : Platform.Sounds) {
        if (call.Op == SoundOp::Play && call.Channel == ChannelPiece &&
            call.File == SoundFiles[SoundDrop]) {
            firstLock = call.FramesBefore + 1;
            break;
        }
    }
    ASSERT_GT(firstLock, 0);

    // The same keys and clocks with another generator: the first piece falls alike, and the
    // game parts from the recording in the frame whose lock deals the changed piece.
    // The first piece lands on the floor, so the lock's deal is the generator's first.
    const auto thirdPiece = [&](uint32_t state) {
        GameState = recorded.Start.Game;
        Options = recorded.Start.Options;
        Srand(state);
        DealNextPiece();
        return GameState.NextPiece;
    };
    Replay changed = recorded;
    while (thirdPiece(changed.Start.RandomState) == thirdPiece(recorded.Start.RandomState)) {
        changed.Start.RandomState = changed.Start.RandomState * 69069u + 1u;
    }
    const PlaybackResult result = CheckPlayback(changed);
    ASSERT_EQ(result.Outcome, PlaybackResult::Verdict::Departs) << result.Message;
    EXPECT_EQ(result.Frame, firstLock) << result.Message;
}

TEST_F(ReplayTest, AReplayThatCannotBeSavedSaysSoOnceAndTheGameGoesOn) {
    WriteFile("replays", "a file where the folder should be");
    ::testing::internal::CaptureStderr();
    Autoplayer player(5);
    player.PiecesBeforeGivingUp = 3;
    PlayRecorded(player);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Final.ToppedOut);
    EXPECT_EQ(HighScoreTable[0].Name, "ROBOT");  // the game itself went on to the end
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("replay"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile("replays"), "a file where the folder should be");
}

}  // namespace
