// Two copies of the game keeping one high-score table in one folder. Each copy is a child
// process running the whole program on the scripted platform; both read the table at start-up,
// and each then enters a name. Neither name may be lost, and a copy's title menu shows the
// other's name once it opens again. And a save that finds another copy updating the file waits
// for it, and keeps what it wrote.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/application.h"
#include "frontend/data_file.h"
#include "frontend/high_scores.h"
#include "game/keys.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/screen_reading.h"

namespace {

using TwoCopiesTest = GameTest;

const char* const OldScores = "ANNA\n50\nBORIS\n40\nCAT\n30\nDORA\n20\nEMIL\n10";

// The five names the title menu shows, joined by blanks.
std::string TableShown(const Frame& frame) {
    std::string names;
    for (int i = 0; i < 5; ++i) names += (i ? " " : "") + TextAt(frame, 330, 570 + 40 * i);
    return names;
}

// A pipe's two ends.
struct Pipe {
    int Read = -1;
    int Write = -1;
    Pipe() {
        int ends[2];
        if (pipe(ends) == 0) {
            Read = ends[0];
            Write = ends[1];
        }
    }
};

void Send(int fd, const std::string& line) {
    const std::string text = line + "\n";
    (void)!write(fd, text.data(), text.size());
}

// The next line from fd; "" when the other end is gone.
std::string Receive(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

// One copy, told by the test what to do each time its title menu opens: "play" a game to the
// top-out and type the name, "leave" a game at once with Escape, or "quit". It reports the
// table its title menu shows each time it opens.
struct Copy {
    enum class Scene { Other, Title, Play, Score };
    std::string Name;
    int Commands = -1;
    int Reports = -1;
    std::string Command;
    Scene Last = Scene::Other;
    int Step = 0;  // polls since the scene began

    static Scene SceneOf(const Frame& frame) {
        if (frame.Shows("gfx//start.png") || frame.Shows("gfx//start2.png")) return Scene::Title;
        if (frame.Shows("gfx//bonus.png")) return Scene::Score;
        if (frame.Shows("gfx//HUD.dds")) return Scene::Play;
        return Scene::Other;
    }

    void Poll(ScriptedPlatform& p, uint8_t* keys) {
        if (p.Frames.size() > 64) p.Frames.erase(p.Frames.begin(), p.Frames.end() - 1);
        if (p.Frames.empty()) return;
        const Scene scene = SceneOf(p.LastFrame());
        if (scene != Last) {
            Step = 0;
            if (scene == Scene::Title) {
                Send(Reports, TableShown(p.LastFrame()));
                Command = Receive(Commands);
            }
        }
        Last = scene;
        // A scene's first poll may still see the last frame of the scene before, so the keys
        // that end a scene are pressed once. Each key is down for one poll and up for the next,
        // since the game waits for most of them to come up before it acts.
        const int step = Step++;
        switch (scene) {
            case Scene::Title:
                if (step == 0)
                    keys[Command == "quit" || Command.empty() ? DIK_ESCAPE : DIK_RETURN] = 1;
                break;
            case Scene::Play:
                if (Command == "leave" && step == 0) keys[DIK_ESCAPE] = 1;
                if (Command == "play" && step % 2 == 0) keys[DIK_SPACE] = 1;
                break;
            case Scene::Score: {
                // The letters, then Return to end the entry, and Return again to end the screen.
                const int letters = static_cast<int>(Name.size());
                if (step % 2 == 0 && step / 2 < letters) keys[LetterKeys[Name[step / 2] - 'A']] = 1;
                if (step == 2 * letters || step == 2 * letters + 2) keys[DIK_RETURN] = 1;
                break;
            }
            case Scene::Other:
                break;
        }
    }
};

pid_t StartCopy(ScriptedPlatform& platform, const std::string& name, Pipe& commands,
                Pipe& reports) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child != 0) {
        // Only the copy writes its reports: a copy that ends early is then seen at once.
        close(reports.Write);
        return child;
    }
    close(commands.Write);
    Copy copy;
    copy.Name = name;
    copy.Commands = commands.Read;
    copy.Reports = reports.Write;
    platform.KeyScript = [&](ScriptedPlatform& p, uint8_t* keys) { copy.Poll(p, keys); };
    _exit(RunProgram());
}

TEST_F(TwoCopiesTest, EachEntersANameAndTheTableKeepsBoth) {
    WriteFile("scores.dat", OldScores);
    Pipe toAlpha, fromAlpha, toBravo, fromBravo;
    const pid_t alpha = StartCopy(Platform, "ALPHA", toAlpha, fromAlpha);
    const pid_t bravo = StartCopy(Platform, "BRAVO", toBravo, fromBravo);
    ASSERT_GT(alpha, 0);
    ASSERT_GT(bravo, 0);

    // Both have read the table as it was.
    EXPECT_EQ(Receive(fromAlpha.Read), "ANNA BORIS CAT DORA EMIL");
    EXPECT_EQ(Receive(fromBravo.Read), "ANNA BORIS CAT DORA EMIL");

    Send(toAlpha.Write, "play");
    EXPECT_EQ(Receive(fromAlpha.Read), "ALPHA ANNA BORIS CAT DORA");
    // The second copy still holds the table it read at its start, and enters its name into
    // that; the file keeps the first copy's name as well.
    Send(toBravo.Write, "play");
    EXPECT_EQ(Receive(fromBravo.Read), "ALPHA BRAVO ANNA BORIS CAT");
    // The first copy shows the second one's name when its title menu opens again.
    Send(toAlpha.Write, "leave");
    EXPECT_EQ(Receive(fromAlpha.Read), "ALPHA BRAVO ANNA BORIS CAT");

    Send(toAlpha.Write, "quit");
    Send(toBravo.Write, "quit");
    for (const pid_t copy : {alpha, bravo}) {
        int status = 0;
        ASSERT_EQ(waitpid(copy, &status, 0), copy);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    LoadHighScoreTable();
    EXPECT_EQ(HighScoreTable[0].Name, "ALPHA");
    EXPECT_EQ(HighScoreTable[1].Name, "BRAVO");
    EXPECT_EQ(HighScoreTable[2].Name, "ANNA");
}

TEST_F(TwoCopiesTest, ASaveWaitsWhileAnotherCopyUpdatesTheTableAndKeepsItsEntry) {
    WriteFile("scores.dat", OldScores);
    LoadHighScoreTable();
    Pipe locked;
    std::fflush(nullptr);
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // The other copy reads the table under the lock, takes a while, and saves its entry.
        WithFileLock(HighScoreFileName, [&] {
            HighScoreTableRecord table;
            ReadHighScoreTable(ReadFile("scores.dat"), table);
            Send(locked.Write, "locked");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            InsertHighScore(table, "OTHER", 45);
            ReplaceDataFile(HighScoreFileName, WriteHighScoreTable(table));
        });
        _exit(0);
    }
    ASSERT_EQ(Receive(locked.Read), "locked");
    // Without the lock this save would be written first, and OTHER's, made from what it read
    // before, over it.
    InsertHighScore("THIS", 35);
    SaveHighScore({"THIS", 35});
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);

    HighScoreTable = HighScoreTableRecord{};
    LoadHighScoreTable();
    EXPECT_EQ(WriteHighScoreTable(HighScoreTable),
              "ANNA\n50\nOTHER\n45\nBORIS\n40\nTHIS\n35\nCAT\n30");
    EXPECT_TRUE(UnsavedHighScores.empty());
}

}  // namespace
