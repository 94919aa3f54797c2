// Killing the game while it saves: a child process saves "scores.dat" and "options.dat" over
// and over with two alternating contents and is killed with SIGKILL at a random moment, a few
// hundred times; the table is saved under its lock, as the game saves it. Each file must then
// hold the old or the new content whole, never a mix, a part or nothing, the next start must
// read it without a word of complaint, and the next save must not wait for the dead child's lock.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "frontend/high_scores.h"
#include "frontend/options.h"
#include "frontend/score_screen.h"
#include "game/state.h"
#include "support/game_fixture.h"

namespace {

using KillSaveTest = GameTest;

constexpr int Kills = 300;

HighScoreTableRecord LongTable() {
    HighScoreTableRecord table;
    const char* names[5] = {"ABCDEFGH", "IJKLMNOP", "QRSTUVWX", "YZ ABCDE", "FGHIJKLM"};
    for (int i = 0; i < 5; ++i) table[i] = {names[i], 2000000000 - i * 12345678};
    return table;
}

HighScoreTableRecord ShortTable() {
    HighScoreTableRecord table;
    for (int i = 0; i < 5; ++i) table[i] = {std::string(1, static_cast<char>('A' + i)), 5 - i};
    return table;
}

OptionsRecord LoudOptions() {
    return {255, true, true, true};
}
OptionsRecord QuietOptions() {
    return {7, false, false, false};
}

// The child: saves both files with alternating contents until it is killed.
[[noreturn]] void SaveForever() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (bool first = true; std::chrono::steady_clock::now() < until; first = !first) {
        const std::string scores = WriteHighScoreTable(first ? ShortTable() : LongTable());
        WithFileLock(HighScoreFileName, [&] { ReplaceDataFile(HighScoreFileName, scores); });
        Options = first ? QuietOptions() : LoudOptions();
        SaveOptions();
    }
    _exit(0);
}

TEST_F(KillSaveTest, AKilledSaveLeavesTheOldFileOrTheNewOneWhole) {
    const std::string longScores = WriteHighScoreTable(LongTable());
    const std::string shortScores = WriteHighScoreTable(ShortTable());
    const std::string loud = WriteOptions(LoudOptions());
    const std::string quiet = WriteOptions(QuietOptions());
    WriteFile("scores.dat", longScores);
    Options = LoudOptions();
    SaveOptions();

    std::mt19937 random(7);
    int shortSeen = 0, longSeen = 0, quietSeen = 0, loudSeen = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever();
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saver ended on its own after kill " << kill;

        const std::string scores = ReadFile("scores.dat");
        const std::string options = ReadFile("options.dat");
        ASSERT_TRUE(scores == longScores || scores == shortScores)
            << "kill " << kill << " left scores.dat as:\n"
            << scores;
        ASSERT_TRUE(options == loud || options == quiet)
            << "kill " << kill << " left options.dat as:\n"
            << options;
        (scores == shortScores ? shortSeen : longSeen) += 1;
        (options == quiet ? quietSeen : loudSeen) += 1;
    }
    // The kills fell between saves of both kinds, so both contents turned up.
    EXPECT_GT(shortSeen, 0);
    EXPECT_GT(longSeen, 0);
    EXPECT_GT(quietSeen, 0);
    EXPECT_GT(loudSeen, 0);

    // The next start reads whatever was left without a complaint, and the next save works
    // over a temporary file a kill may have left behind.
    testing::internal::CaptureStderr();
    HighScoreTable = HighScoreTableRecord{};
    LoadHighScoreTable();
    Options = OptionsRecord{};
    LoadOptions();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(WriteHighScoreTable(HighScoreTable), ReadFile("scores.dat"));
    EXPECT_EQ(WriteOptions(Options), ReadFile("options.dat"));
    HighScoreTableRecord expected = HighScoreTable;
    InsertHighScore(expected, "NEW", 2000000001);
    SaveHighScore({"NEW", 2000000001});
    EXPECT_EQ(ReadFile("scores.dat"), WriteHighScoreTable(expected));
    EXPECT_FALSE(FileExists("scores.dat.tmp"));
}

}  // namespace
