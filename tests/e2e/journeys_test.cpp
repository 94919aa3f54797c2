// Whole journeys through the real program, in a virtual 1024x768 X display with real key events,
// checked by the files the game writes and by what the screen shows (e2e/screens.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/journey.h"
#include "e2e/screens.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace e2e;

namespace {

TEST_F(Journey, LaunchShowsTheTitleMenuAndEscapeQuits) {
    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
    EXPECT_EQ(game->Stderr(), "");
}

TEST_F(Journey, OptionsTurnBombsOffAndTheNextLaunchShowsIt) {
    {
        auto game = Launch();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-start"));
        PressKey("Down");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "title-menu-options"));
        PressKey("Return");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(1, 255, true, true, true), "options"));
        PressKey("Down");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(2, 255, true, true, true), "options-bombs"));
        PressKey("Right");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(2, 255, false, true, true), "options-bombs-off"));
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "title-menu-after-options"));
        PressKey("Escape");
        ExpectQuitsCleanly(*game);
    }
    EXPECT_EQ(ReadFile(Folder / "options.dat"), "255\n0\n1\n1");

    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-relaunched"));
    PressKey("Down");
    PressKey("Return");
    ASSERT_TRUE(WaitForScreen(OptionsScreen(1, 255, false, true, true), "options-relaunched"));
    PressKey("Escape");
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
}

TEST_F(Journey, TheFirstGameLandsThreeThenEighteenAndEndsInTheTable) {
    {
        auto game = Launch();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu"));
        StartGame();

        // Every launch opens with the L (code 3) and then the square (code 18).
        HardDrop();
        std::vector<std::string> rows = BoardRows(Folder);
        ASSERT_EQ(rows.size(), 25u);
        EXPECT_EQ(rows[23], "000000000100000");
        EXPECT_EQ(rows[24], "000000011100000");
        HardDrop();
        rows = BoardRows(Folder);
        EXPECT_EQ(rows[21], "000000000000000");
        EXPECT_EQ(rows[22], "000000077000000");
        EXPECT_EQ(rows[23], "000000077100000");
        EXPECT_EQ(rows[24], "000000011100000");
        const Image shot = TakeScreenshot();
        KeepScreenshot(shot, "play-two-pieces");
        EXPECT_LT(CellDifference(shot, 7, 24, 1), 4.0) << "red block at (7, 24)";
        EXPECT_LT(CellDifference(shot, 9, 23, 1), 4.0) << "red block at (9, 23)";
        EXPECT_LT(CellDifference(shot, 8, 22, 7), 4.0) << "green block at (8, 22)";
        EXPECT_LT(CellDifference(shot, 2, 24, 0), 4.0) << "empty well at (2, 24)";

        DropUntilToppedOut(*game);
        // The finished game's score, bonuses included, as the HUD on the score screen shows it.
        Image hudBelow = PlayBackdrop();
        const int shown = ReadPaddedNumber(TakeScreenshot(), hudBelow, 735, 520);
        // No row can fill from the middle columns, so the score is all bonus: efficient (no
        // turns) and, unless the last landing was careless, careful.
        EXPECT_TRUE(shown == 1000 || shown == 500) << shown;

        PressKey("a");
        PressKey("b");
        PressKey("Return");
        std::vector<TableEntry> table = DefaultTable();
        table.insert(table.begin(), {"AB", shown});
        table.pop_back();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, table), "title-menu-with-new-entry"));
        EXPECT_EQ(
            ReadFile(Folder / "scores.dat"),
            "AB\n" + std::to_string(shown) + "\nDEFAULT\n0\nDEFAULT\n0\nDEFAULT\n0\nDEFAULT\n0");
        PressKey("Escape");
        ExpectQuitsCleanly(*game);
    }
    const std::string scores = ReadFile(Folder / "scores.dat");
    auto game = Launch();
    std::vector<TableEntry> table = DefaultTable();
    table[0] = {"AB", std::stoi(scores.substr(3))};
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, table), "title-menu-relaunched-with-entry"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
}

TEST_F(Journey, EscapeLeavesAGameWithoutTheScoreScreen) {
    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu"));
    StartGame();
    HardDrop();
    PressKey("Escape");
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-after-escape"));
    EXPECT_FALSE(fs::exists(Folder / "scores.dat"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
}

TEST_F(Journey, PauseShowsTheFrameWithoutTheBoardUntilEnterAgain) {
    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu"));
    StartGame();
    HardDrop();
    ASSERT_LT(CellDifference(TakeScreenshot(), 7, 24, 1), 4.0);

    PressKey("Return");
    ASSERT_TRUE(WaitUntil([] { return CellDifference(TakeScreenshot(), 7, 24, 0) < 4.0; }, 15s))
        << "the board still shows during the pause";
    const Image paused = TakeScreenshot();
    KeepScreenshot(paused, "pause");
    EXPECT_TRUE(PlayIsShown()) << "the HUD is gone during the pause";
    Pause(500ms);
    EXPECT_LT(CellDifference(TakeScreenshot(), 7, 24, 0), 4.0) << "the pause ended by itself";

    PressKey("Return");
    EXPECT_TRUE(WaitUntil([] { return CellDifference(TakeScreenshot(), 7, 24, 1) < 4.0; }, 15s))
        << "the board did not come back";
    PressKey("Escape");
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-after-pause"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
}

TEST_F(Journey, ClosingTheWindowEndsPromptlyAndKeepsTheFiles) {
    const std::string options = "200\n1\n0\n1";
    const std::string scores = "ZED\n900\nAMY\n800\nBO\n700\nCY\n600\nDI\n5";
    std::ofstream(Folder / "options.dat") << options;
    std::ofstream(Folder / "scores.dat") << scores;
    std::vector<TableEntry> table = {
        {"ZED", 900}, {"AMY", 800}, {"BO", 700}, {"CY", 600}, {"DI", 5}};

    {  // during the loading screen, which takes no messages
        auto game = Launch();
        ASSERT_TRUE(CloseGameWindow());
        ExpectQuitsCleanly(*game, 2s);
    }
    {  // during play
        auto game = Launch();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, table), "title-menu-own-table"));
        StartGame();
        HardDrop();
        ASSERT_TRUE(CloseGameWindow());
        ExpectQuitsCleanly(*game, 2s);
    }
    {  // during the name entry
        auto game = Launch();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, table), "title-menu-own-table-again"));
        StartGame();
        DropUntilToppedOut(*game);
        PressKey("q");
        ASSERT_TRUE(CloseGameWindow());
        ExpectQuitsCleanly(*game, 2s);
    }
    EXPECT_EQ(ReadFile(Folder / "options.dat"), options);
    EXPECT_EQ(ReadFile(Folder / "scores.dat"), scores);
    for (const auto& entry : fs::directory_iterator(Folder)) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}

TEST_F(Journey, EveryGameIsRecordedAndItsReplayShowsItAgainWithoutWritingAFile) {
    {
        auto game = Launch();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu"));
        StartGame();
        // Two pieces dropped; a press that a busy display loses is pressed again.
        for (int drops = 0, presses = 0; drops < 2 && presses < 6; ++presses) {
            const std::string before = ReadFile(Folder / "data.dat");
            PressKey("space", 60ms);
            if (WaitUntil([&] { return ReadFile(Folder / "data.dat") != before; }, 3s)) ++drops;
        }
        Pause(2s);  // long enough to be seen again in the replay
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-after-game"));
        PressKey("Escape");
        ExpectQuitsCleanly(*game);
    }
    ASSERT_TRUE(fs::exists(Folder / "replays/last.zrp"));
    const std::vector<std::string> board = BoardRows(Folder);
    ASSERT_EQ(board.size(), 25u);
    fs::remove(Folder / "data.dat");

    auto replay = std::make_unique<GameRun>(
        Folder, LaunchOptions{.Arguments = {"--replay", "replays/last.zrp"}});
    ASSERT_TRUE(WaitForWindow(10s));
    // The line along the top, in the game's lettering, over the level's backdrop.
    const std::string line = "replay   enter pauses   esc leaves";
    int width = 0;
    for (char c : line) width += c == 'i' ? 12 : 25;
    Image expected = PlayBackdrop();
    ComposeWord(expected, line, (1024 - width) / 2, 12);
    const auto lineShown = [&] {
        return RegionDifference(TakeScreenshot(), expected, (1024 - width) / 2, 12, width, 26) <
               4.0;
    };
    ASSERT_TRUE(WaitUntil(lineShown, 30s)) << "no replay line";
    // The same game: the well comes to hold what it held when the game was left.
    const auto boardShown = [&] {
        const Image shot = TakeScreenshot();
        for (int row = 0; row < 25; ++row) {
            for (int column = 0; column < 15; ++column) {
                const int colour =
                    board[static_cast<size_t>(row)][static_cast<size_t>(column)] - '0';
                if (colour > 0 && CellDifference(shot, column, row, colour) >= 4.0) return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(WaitUntil(boardShown, 30s)) << "the replay never showed the game's last board";
    KeepScreenshot(TakeScreenshot(), "replay");
    PressKey("Escape");
    ExpectQuitsCleanly(*replay);
    EXPECT_EQ(replay->Stderr(), "");
    EXPECT_FALSE(fs::exists(Folder / "data.dat"));
    EXPECT_FALSE(fs::exists(Folder / "scores.dat"));
}

TEST_F(Journey, MissingPicturesAndSoundsAreNamedAndTheGameStillRuns) {
    fs::remove(Folder / "gfx/font/Q.png");
    fs::remove(Folder / "gfx/bonus.png");
    fs::remove(Folder / "sfx/rotate.wav");
    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-missing-files"));
    StartGame();
    PressKey("Up");  // the turn's sound is the one missing
    HardDrop();
    PressKey("Escape");
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-after-missing-files"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
    const std::string errors = game->Stderr();
    EXPECT_NE(errors.find("Q.png"), std::string::npos) << errors;
    EXPECT_NE(errors.find("bonus.png"), std::string::npos) << errors;
    EXPECT_NE(errors.find("rotate.wav"), std::string::npos) << errors;
}

// Alt+Enter as a player presses it: Alt held, Enter pressed and let go, Alt let go.
void PressAltEnter() {
    KeyDown("Alt_L");
    PressKey("Return");
    KeyUp("Alt_L");
}

bool IsWindowed() {
    const auto [width, height] = GameWindowSize();
    return width > 0 && width < 1024 && height < 768;
}

bool IsFullScreen() {
    return GameWindowSize() == std::pair<int, int>(1024, 768);
}

TEST_F(Journey, TheInstalledGameKeepsItsFilesInTheDataFolderAndRemembersItsWindow) {
    const fs::path program = InstallGame(Folder / "prefix");
    const fs::path work = Folder / "work";  // holds no gfx/: the installed pictures are used
    fs::create_directories(work);
    const fs::path xdg = Folder / "xdg";
    DataFolder = xdg / "zantorvix";
    LaunchOptions options{program, {{"XDG_DATA_HOME", xdg.string()}}, Folder / "stderr.txt"};
    {
        GameRun game(work, options);
        ASSERT_TRUE(WaitForWindow(10s)) << "no game window";
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "installed-title-menu"));
        // The options are saved on leaving them.
        PressKey("Down");
        PressKey("Return");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(1, 255, true, true, true), "installed-options"));
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "installed-title-menu-options"));
        PressKey("Up");
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "installed-title-menu-start"));

        // A window smaller than the screen, and back; the Enter of Alt+Enter starts nothing.
        PressAltEnter();
        ASSERT_TRUE(WaitUntil(IsWindowed, 5s)) << "no window after Alt+Enter";
        KeepScreenshot(TakeScreenshot(), "installed-windowed");
        PressAltEnter();
        ASSERT_TRUE(WaitUntil(IsFullScreen, 5s)) << "not full screen after a second Alt+Enter";
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "installed-full-screen-again"));
        PressKey("F11");
        ASSERT_TRUE(WaitUntil(IsWindowed, 5s)) << "no window after F11";
        PressKey("Escape");
        ASSERT_TRUE(game.WaitForExit(5s));
        EXPECT_EQ(game.ExitStatus, 0) << game.Stderr();
    }
    EXPECT_EQ(ReadFile(DataFolder / "display.dat"), "window");
    {
        GameRun game(work, options);
        ASSERT_TRUE(WaitForWindow(10s)) << "no game window";
        EXPECT_TRUE(WaitUntil(IsWindowed, 5s)) << "the window was not remembered";
        // Pressed during the loading screen, it takes effect once the title menu reads keys.
        PressAltEnter();
        ASSERT_TRUE(WaitUntil(IsFullScreen, 30s)) << "not full screen after Alt+Enter";
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "installed-title-menu-again"));
        StartGame();
        HardDrop();
        DropUntilToppedOut(game);
        PressKey("a");
        PressKey("b");
        PressKey("Return");
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(DataFolder / "scores.dat"); }, 5s));
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, TableIn(DataFolder)), "installed-after-game"));
        PressKey("Escape");
        ASSERT_TRUE(game.WaitForExit(10s)) << "the game did not end";
        EXPECT_EQ(game.ExitStatus, 0) << game.Stderr();
    }
    EXPECT_EQ(ReadFile(DataFolder / "options.dat"), "255\n1\n1\n1");
    EXPECT_EQ(ReadFile(DataFolder / "scores.dat").substr(0, 3), "AB\n");
    EXPECT_EQ(ReadFile(DataFolder / "display.dat"), "fullscreen");
    EXPECT_TRUE(fs::exists(DataFolder / "data.dat"));
    EXPECT_TRUE(fs::is_empty(work)) << "the game wrote into its working folder";
    EXPECT_EQ(ReadFile(Folder / "stderr.txt"), "");
}

// Puts the usual layout back however the test ends.
struct KeyboardLayout {
    explicit KeyboardLayout(const std::string& layout) { SetKeyboardLayout(layout); }
    ~KeyboardLayout() { SetKeyboardLayout("us"); }
};

TEST_F(Journey, LeavingTheWindowPausesAndANameIsTypedAsTheKeysArePrinted) {
    KeyboardLayout french("fr");  // AZERTY: A and Q, Z and W trade places
    auto game = Launch();
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "title-menu-azerty"));
    ASSERT_TRUE(FocusGameWindow());
    StartGame();
    HardDrop();
    ASSERT_LT(CellDifference(TakeScreenshot(), 7, 24, 1), 4.0);

    ASSERT_TRUE(FocusAnotherWindow());
    ASSERT_TRUE(WaitUntil([] { return CellDifference(TakeScreenshot(), 7, 24, 0) < 4.0; }, 5s))
        << "no pause when the window lost the focus";
    KeepScreenshot(TakeScreenshot(), "pause-on-leaving");
    EXPECT_TRUE(PlayIsShown()) << "the HUD is gone during the pause";
    ASSERT_TRUE(FocusGameWindow());
    Pause(500ms);
    EXPECT_LT(CellDifference(TakeScreenshot(), 7, 24, 0), 4.0) << "coming back resumed by itself";
    PressKey("Return");
    ASSERT_TRUE(WaitUntil([] { return CellDifference(TakeScreenshot(), 7, 24, 1) < 4.0; }, 5s))
        << "Enter did not resume";

    DropUntilToppedOut(*game);
    PressKey("a");  // on an AZERTY keyboard, the key right of Tab
    PressKey("z");
    PressKey("Return");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(Folder / "scores.dat"); }, 5s));
    EXPECT_EQ(ReadFile(Folder / "scores.dat").substr(0, 3), "AZ\n");
    ASSERT_TRUE(WaitForScreen(TitleMenu(0, TableIn(Folder)), "title-menu-after-azerty"));
    PressKey("Escape");
    ExpectQuitsCleanly(*game);
}

}  // namespace
