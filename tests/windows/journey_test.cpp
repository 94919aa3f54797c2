// The Windows game as a player on Windows meets it, under Wine in a virtual 1024x768 X display
// with real key events: a new Windows machine (a fresh Wine prefix), the installer run silently,
// the installed game played, its files in %APPDATA%\Zantorvix in Windows' line ends, its replay
// checked by the Linux game (and a Linux replay by it), and the uninstaller, which keeps them.
#include "e2e/journey.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "e2e/harness.h"
#include "e2e/screens.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace e2e;

namespace {

const fs::path Packages = ZANTORVIX_WINDOWS_PACKAGES;
const fs::path WindowsTools = fs::path(ZANTORVIX_SOURCE_DIR) / "tools/windows";
const std::string Installer = "zantorvix-" ZANTORVIX_VERSION "-setup.exe";
const std::string Zip = "zantorvix-" ZANTORVIX_VERSION "-windows.zip";
const char* const InstalledProgram = R"(C:\Program Files\Zantorvix\zantorvix.exe)";
const char* const Uninstaller = R"(C:\Program Files\Zantorvix\uninstall.exe)";
const char* const UninstallKey =
    R"(HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zantorvix)";

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

class WindowsJourney : public Journey {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zantorvix-wine-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        Prefix = Folder / "prefix";
        ASSERT_EQ(
            std::system(
                ("'" + (WindowsTools / "wine-prefix.sh").string() + "' " + Quoted(Prefix)).c_str()),
            0)
            << "no Wine prefix";
        const passwd* user = getpwuid(getuid());
        ASSERT_NE(user, nullptr);
        const fs::path drive = Prefix / "drive_c";
        UserFolder = drive / "users" / user->pw_name;
        DataFolder = UserFolder / "AppData/Roaming/Zantorvix";
        ProgramFolder = drive / "Program Files/Zantorvix";
        StartMenuEntry = drive / "ProgramData/Microsoft/Windows/Start Menu/Programs/Zantorvix.lnk";
    }
    void TearDown() override {
        std::system(("WINEPREFIX=" + Quoted(Prefix) + " wineserver -k 2>/dev/null").c_str());
        Journey::TearDown();
    }

    // Runs a Windows program under Wine in the prefix to its end; its exit status.
    int RunWindowsProgram(const std::string& arguments) {
        const std::string command = "'" + (WindowsTools / "wine").string() + "' " + Quoted(Prefix) +
                                    " " + arguments + " >>" + Quoted(Folder / "wine.txt") + " 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Waits until every program in the prefix has ended (an uninstaller hands its work to a copy
    // of itself and returns at once).
    void WaitForWine() { std::system(("WINEPREFIX=" + Quoted(Prefix) + " wineserver -w").c_str()); }

    bool UninstallEntryListed() {
        return RunWindowsProgram(std::string("reg query '") + UninstallKey + "' /v DisplayName") ==
               0;
    }

    // The installed game, started as its Start menu entry starts it: in its own folder.
    std::unique_ptr<GameRun> LaunchInstalled(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), {Prefix.string(), InstalledProgram});
        LaunchOptions options{WindowsTools / "wine", {}, Folder / "stderr.txt", arguments};
        auto game = std::make_unique<GameRun>(ProgramFolder, options);
        EXPECT_TRUE(WaitForWindow(60s)) << "no game window; " << game->Describe();
        return game;
    }

    fs::path Prefix, UserFolder, ProgramFolder, StartMenuEntry;
};

TEST_F(WindowsJourney, InstallPlayAndUninstallKeepingThePlayersFiles) {
    // The installer, silently, as an administrator would push it.
    ASSERT_TRUE(fs::exists(Packages / Installer)) << "./package windows makes it";
    ASSERT_EQ(RunWindowsProgram(Quoted(Packages / Installer) + " /S"), 0)
        << ReadFile(Folder / "wine.txt");
    WaitForWine();
    EXPECT_TRUE(fs::exists(ProgramFolder / "zantorvix.exe"));
    EXPECT_TRUE(fs::exists(ProgramFolder / "gfx/titlebkg.png"));
    EXPECT_TRUE(fs::exists(ProgramFolder / "uninstall.exe"));
    EXPECT_TRUE(fs::exists(ProgramFolder / "libmpg123.dll"));
    EXPECT_TRUE(fs::exists(ProgramFolder / "licences/mpg123.txt")) << "the licences go along";
    EXPECT_FALSE(fs::exists(ProgramFolder / "portable.txt")) << "an installed game is no zip";
    EXPECT_TRUE(fs::exists(StartMenuEntry));
    EXPECT_TRUE(UninstallEntryListed()) << "not in Apps & features";

    // The title menu, then a game of two pieces, left with Escape.
    {
        auto game = LaunchInstalled();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "windows-title-menu", 90s));
        StartGame();
        HardDrop();
        HardDrop();
        const std::vector<std::string> rows = BoardRows(DataFolder);
        ASSERT_EQ(rows.size(), 25u);
        EXPECT_EQ(rows[23], "000000077100000\r");
        EXPECT_EQ(rows[24], "000000011100000\r");
        KeepScreenshot(TakeScreenshot(), "windows-play");
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "windows-title-after-game"));

        // The options: bombs off, saved on leaving them.
        PressKey("Down");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "windows-title-options"));
        PressKey("Return");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(1, 255, true, true, true), "windows-options"));
        PressKey("Down");
        PressKey("Right");
        ASSERT_TRUE(
            WaitForScreen(OptionsScreen(2, 255, false, true, true), "windows-options-bombs-off"));
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "windows-title-after-options"));
        EXPECT_EQ(ReadFile(DataFolder / "options.dat"), "255\r\n0\r\n1\r\n1");

        // A game to the top, and a name for the table.
        PressKey("Up");
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "windows-title-start"));
        StartGame();
        DropUntilToppedOut(*game);
        KeepScreenshot(TakeScreenshot(), "windows-score-screen");
        PressKey("w");
        PressKey("i");
        PressKey("n");
        PressKey("Return");
        ASSERT_TRUE(WaitUntil([&] { return fs::exists(DataFolder / "scores.dat"); }, 10s));
        const std::vector<TableEntry> table = TableIn(DataFolder);
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, table), "windows-title-with-entry"));
        EXPECT_EQ(ReadFile(DataFolder / "scores.dat"),
                  "WIN\r\n" + std::to_string(table[0].Score) +
                      "\r\nDEFAULT\r\n0\r\nDEFAULT\r\n0\r\nDEFAULT\r\n0\r\nDEFAULT\r\n0");
        PressKey("Escape");
        ExpectQuitsCleanly(*game, 30s);
    }
    // Everything of the player's is in %APPDATA%\Zantorvix, nothing beside the program; the log
    // is there, and says nothing went wrong.
    for (const char* file : {"options.dat", "scores.dat", "data.dat", "replays/last.zrp"}) {
        EXPECT_TRUE(fs::exists(DataFolder / file)) << file;
        EXPECT_FALSE(fs::exists(ProgramFolder / fs::path(file).filename())) << file;
    }
    EXPECT_FALSE(fs::exists(ProgramFolder / "replays"));
    ASSERT_TRUE(fs::exists(DataFolder / "zantorvix.log"));
    EXPECT_EQ(ReadFile(DataFolder / "zantorvix.log"), "");

    // The Windows game's recording plays out the same on Linux, and a Linux one on Windows.
    const std::string check = std::string("'") + ZANTORVIX_BINARY + "' --check " +
                              Quoted(DataFolder / "replays/last.zrp") + " >" +
                              Quoted(Folder / "check.txt") + " 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << ReadFile(Folder / "check.txt");
    EXPECT_NE(ReadFile(Folder / "check.txt").find("matches the recording"), std::string::npos)
        << ReadFile(Folder / "check.txt");
    const fs::path linuxReplay =
        fs::path(ZANTORVIX_SOURCE_DIR) / "tests/replays" / "no-bombs-then-escape.zrp";
    EXPECT_EQ(
        RunWindowsProgram(std::string("'") + InstalledProgram + "' --check " + Quoted(linuxReplay)),
        0)
        << ReadFile(Folder / "wine.txt");

    // The uninstaller takes the program, its Start menu entry and its Apps & features entry,
    // and leaves the player's files as they were.
    const std::string scores = ReadFile(DataFolder / "scores.dat");
    ASSERT_EQ(RunWindowsProgram(std::string("'") + Uninstaller + "' /S"), 0);
    WaitForWine();
    EXPECT_FALSE(fs::exists(ProgramFolder)) << "the program's folder is still there";
    EXPECT_FALSE(fs::exists(StartMenuEntry));
    EXPECT_FALSE(UninstallEntryListed());
    EXPECT_EQ(ReadFile(DataFolder / "scores.dat"), scores);
    EXPECT_EQ(ReadFile(DataFolder / "options.dat"), "255\r\n0\r\n1\r\n1");
    EXPECT_TRUE(fs::exists(DataFolder / "replays/last.zrp"));
}

TEST_F(WindowsJourney, TheZipPlaysWhereItIsUnpackedAndKeepsTheFilesBesideIt) {
    // Unpacked on the desktop of a user whose folder names need more than ASCII.
    const fs::path unpacked = UserFolder / std::u8string(u8"Desktop/Spiele von Zoë");
    fs::create_directories(unpacked);
    ASSERT_TRUE(fs::exists(Packages / Zip)) << "./package windows makes it";
    ASSERT_EQ(
        std::system(
            ("cd " + Quoted(unpacked) + " && cmake -E tar xf " + Quoted(Packages / Zip)).c_str()),
        0);
    const fs::path folder = unpacked / "Zantorvix";
    ASSERT_TRUE(fs::exists(folder / "portable.txt"));
    {
        // Started from its own folder, as Explorer starts it, with the names of Wine's machine
        // in UTF-8.
        LaunchOptions options{WindowsTools / "wine",
                              {{"LANG", "C.UTF-8"}},
                              Folder / "stderr.txt",
                              {Prefix.string(), "zantorvix.exe"}};
        GameRun game(folder, options);
        ASSERT_TRUE(WaitForWindow(60s)) << "no game window; " << game.Describe();
        ASSERT_TRUE(WaitForScreen(TitleMenu(0, DefaultTable()), "windows-zip-title-menu", 90s));
        PressKey("Down");
        PressKey("Return");
        ASSERT_TRUE(WaitForScreen(OptionsScreen(1, 255, true, true, true), "windows-zip-options"));
        PressKey("Escape");
        ASSERT_TRUE(WaitForScreen(TitleMenu(1, DefaultTable()), "windows-zip-title-again"));
        PressKey("Escape");
        ExpectQuitsCleanly(game, 30s);
    }
    EXPECT_EQ(ReadFile(folder / "options.dat"), "255\r\n1\r\n1\r\n1");
    ASSERT_TRUE(fs::exists(folder / "zantorvix.log"));
    EXPECT_EQ(ReadFile(folder / "zantorvix.log"), "");
    EXPECT_FALSE(fs::exists(DataFolder)) << "the portable game wrote into %APPDATA%";
}

TEST_F(WindowsJourney, TheFileModuleSavesAsTheGameCountsOn) {
    // Built beside the packages by ./package windows (tests/windows/file_check.cpp).
    const fs::path check = Packages.parent_path() / "zantorvix_file_check.exe";
    ASSERT_TRUE(fs::exists(check)) << "./package windows makes it";
    EXPECT_EQ(RunWindowsProgram(Quoted(check)), 0) << ReadFile(Folder / "wine.txt");
    EXPECT_NE(ReadFile(Folder / "wine.txt").find(" passed, 0 failed"), std::string::npos)
        << ReadFile(Folder / "wine.txt");
}

}  // namespace
