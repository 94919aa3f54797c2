// The game in a working folder it may not write: the whole program on the scripted platform,
// from start-up through the options screen, a game to the top-out and a new high score, back
// to the title menu and out. Every save fails with one line on stderr, the files stay as they
// were, and play goes on as if nothing happened (the new entry stands until the program ends).
//
// Tests usually run as root, whom no permission bit stops. So the program runs in a child
// process that first becomes the unprivileged user "nobody" (uid and gid 65534) when it is
// root; a real user is simply stopped by the folder's missing write bit.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "game/keys.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/screen_reading.h"

namespace {

using ReadOnlyFolderTest = GameTest;

constexpr int SkipExit = 77;
const char* const OldScores = "ANNA\n900000\nBORIS\n80\nCAT\n70\nDORA\n60\nEMIL\n0";
const char* const OldOptions = "200\n1\n1\n1";

enum class Scene { Loading, Title, Options, Play, Score };

Scene SceneOf(const Frame& frame) {
    if (frame.Shows("gfx//bonus.png")) return Scene::Score;
    if (frame.Shows("gfx//HUD.dds")) return Scene::Play;
    if (frame.Shows("gfx//volume.png") || frame.Shows("gfx//volume2.png")) return Scene::Options;
    if (frame.Shows("gfx//start.png") || frame.Shows("gfx//start2.png")) return Scene::Title;
    return Scene::Loading;
}

// A player who opens the options and leaves them, starts a game, holds Space until the stack
// tops out, types AB as the new high score, and quits from the title menu.
struct Player {
    bool OptionsVisited = false;
    bool Played = false;
    int TitlePolls = 0;
    int ScorePolls = 0;
    std::string TableAfterGame;  // the title menu's first entry after the game, as read

    void Poll(ScriptedPlatform& p, uint8_t* keys) {
        if (p.Frames.size() > 64) p.Frames.erase(p.Frames.begin(), p.Frames.end() - 1);
        if (p.Frames.empty()) return;
        switch (SceneOf(p.LastFrame())) {
            case Scene::Loading:
                break;
            case Scene::Title: {
                if (Played) {
                    TableAfterGame = TextAt(p.LastFrame(), 330, 570);
                    keys[DIK_ESCAPE] = 0x80;
                    break;
                }
                const int step = TitlePolls++ % 4;
                if (step == 0) keys[OptionsVisited ? DIK_UP : DIK_DOWN] = 0x80;
                if (step == 2) keys[DIK_RETURN] = 0x80;
                break;
            }
            case Scene::Options:
                OptionsVisited = true;
                if (TitlePolls++ % 2 == 0) keys[DIK_ESCAPE] = 0x80;
                break;
            case Scene::Play:
                Played = true;
                keys[DIK_SPACE] = 0x80;
                break;
            case Scene::Score: {
                const int step = ScorePolls++;
                if (step == 0) keys[DIK_A] = 0x80;
                if (step == 2) keys[DIK_B] = 0x80;
                if (step == 4 || step == 6)
                    keys[DIK_RETURN] = 0x80;  // ends the entry, then the wait
                break;
            }
        }
    }
};

// Runs in the child: returns what went wrong, "" when nothing did.
std::string PlayInTheFolder(ScriptedPlatform& platform) {
    Player player;
    platform.KeyScript = [&](ScriptedPlatform& p, uint8_t* keys) { player.Poll(p, keys); };
    const int status = RunProgram();
    std::string problems;
    if (status != 0) problems += "the program ended with " + std::to_string(status) + "\n";
    if (!player.OptionsVisited) problems += "the options screen was never shown\n";
    if (!player.Played) problems += "no game was played\n";
    if (HighScoreTable[1].Name != "AB" || HighScoreTable[0].Name != "ANNA") {
        problems += "the new entry is not in the table: " + HighScoreTable[1].Name + "\n";
    }
    if (player.TableAfterGame != "ANNA") problems += "the title menu lost the table\n";
    if (Options.Volume != 200) problems += "the options were not read\n";
    return problems;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(ReadOnlyFolderTest, SavesFailWithOneLineEachAndTheGameGoesOn) {
    WriteFile("scores.dat", OldScores);
    WriteFile("options.dat", OldOptions);
    ASSERT_EQ(chmod(Folder.c_str(), 0555), 0);

    int errors[2];
    int verdict[2];
    ASSERT_EQ(pipe(errors), 0);
    ASSERT_EQ(pipe(verdict), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(errors[0]);
        close(verdict[0]);
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(SkipExit);
        }
        // Make sure the folder really is closed to this process before trusting the result.
        if (access(".", W_OK) == 0) _exit(SkipExit);
        dup2(errors[1], STDERR_FILENO);
        const std::string problems = PlayInTheFolder(Platform);
        if (!problems.empty()) (void)!write(verdict[1], problems.data(), problems.size());
        _exit(problems.empty() ? 0 : 1);
    }
    close(errors[1]);
    close(verdict[1]);
    auto drain = [](int fd) {
        std::string text;
        char buffer[4096];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, got);
        close(fd);
        return text;
    };
    const std::string problems = drain(verdict[0]);
    const std::string stderrText = drain(errors[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(Folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status)) << "the program crashed:\n" << stderrText;
    if (WEXITSTATUS(status) == SkipExit) GTEST_SKIP() << "cannot run as a user who may not write";
    EXPECT_EQ(WEXITSTATUS(status), 0) << problems;

    // One line per failed save: the options once, the board dump once (it stays quiet until
    // it works again), the high-score table once.
    const std::vector<std::string> lines = LinesOf(stderrText);
    ASSERT_EQ(lines.size(), 3u) << stderrText;
    int options = 0, dump = 0, scores = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("zantorvix: ", 0), 0u) << line;
        options += line.find("\"options.dat\"") != std::string::npos;
        scores += line.find("\"scores.dat\"") != std::string::npos;
        dump += line.find("data.dat") != std::string::npos;
    }
    EXPECT_EQ(options, 1) << stderrText;
    EXPECT_EQ(scores, 1) << stderrText;
    EXPECT_EQ(dump, 1) << stderrText;

    // The folder is as it was: the old files whole, nothing new.
    EXPECT_EQ(ReadFile("scores.dat"), OldScores);
    EXPECT_EQ(ReadFile("options.dat"), OldOptions);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
