// The fixture of the journeys through the real program: a game folder of its own, and the
// steps every journey takes (start a game, drop a piece, top out).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "e2e/harness.h"
#include "e2e/screens.h"

namespace e2e {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The waits are generous: on a machine busy with other work the game's frames come late, and
// its fades and falls, counted in frames, take longer; what is checked is what shows, not when.
class Journey : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = MakeGameFolder();
        DataFolder = Folder;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }

    std::unique_ptr<GameRun> Launch() {
        auto game = std::make_unique<GameRun>(Folder);
        EXPECT_TRUE(WaitForWindow(10s)) << "no game window";
        return game;
    }

    void ExpectQuitsCleanly(GameRun& game, std::chrono::milliseconds within = 15s) {
        ASSERT_TRUE(game.WaitForExit(within)) << "the game did not end";
        EXPECT_EQ(game.ExitStatus, 0) << game.Stderr();
    }

    // From the title menu on start: Return, then wait until the game takes keys.
    void StartGame() {
        PressKey("Return");
        ASSERT_TRUE(WaitUntil(PlayIsShown, 45s)) << "the game never appeared";
        Pause(250ms);  // the last frames of the fade-in take no keys
        KeepScreenshot(TakeScreenshot(), "play-level-1");
    }

    // One hard drop; waits until "data.dat" shows the lock.
    void HardDrop() {
        const std::string before = ReadFile(DataFolder / "data.dat");
        PressKey("space", 40ms);
        ASSERT_TRUE(WaitUntil([&] { return ReadFile(DataFolder / "data.dat") != before; }, 15s))
            << "no lock after a hard drop";
        Pause(500ms);  // the file is written before the frame that shows the lock
    }

    // Holds Space until the stack reaches the top and the score screen takes over.
    void DropUntilToppedOut(GameRun& game) {
        const bool topped = HoldSpaceUntilToppedOut(DataFolder);
        if (!topped) {
            const Image shot = TakeScreenshot();
            KeepScreenshot(shot, "never-topped-out");
            ASSERT_TRUE(topped) << "held Space never ended the game; the HUD "
                                << (PlayIsShown() ? "shows" : "is gone") << ", the first piece "
                                << (CellDifference(shot, 7, 24, 1) < 4.0 ? "shows" : "is hidden")
                                << "; " << game.Describe() << "\ndata.dat:\n"
                                << ReadFile(DataFolder / "data.dat");
        }
        Pause(3000ms);  // the score screen's first frame and name entry
        // Space still held as the game ended types a blank into the name, as it would for a
        // player; take it back (Backspace on an empty name does nothing).
        PressKey("BackSpace");
        KeepScreenshot(TakeScreenshot(), "score-screen-name-entry");
    }

    fs::path Folder;
    fs::path DataFolder;  // where the game writes its files
};

}  // namespace e2e
