// The options screen and "options.dat", run on the scripted platform in a temporary folder.
#include "frontend/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/application.h"
#include "frontend/title_menu.h"
#include "game/keys.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/screen_reading.h"

namespace {

class OptionsTest : public GameTest {
  protected:
    // "on" or "off" as the switch pictures of the row at y show it; "?" for anything else.
    static std::string SwitchShown(const Frame& frame, int32_t y) {
        auto at = [&](const char* file, int32_t x) {
            for (const DrawCall& draw : frame.Of(file)) {
                if (draw.X == x && draw.Y == y) return true;
            }
            return false;
        };
        const bool on = at("gfx//on2.png", 600) && at("gfx//off.png", 675);
        const bool off = at("gfx//on.png", 600) && at("gfx//off2.png", 675);
        return on == off ? "?" : on ? "on" : "off";
    }

    // The highlighted row, 1 volume to 4 preview; 0 when none or several.
    static int RowShown(const Frame& frame) {
        const char* highlighted[4] = {"gfx//volume2.png", "gfx//bombs2.png", "gfx//shadow2.png",
                                      "gfx//preview2.png"};
        int row = 0;
        for (int i = 0; i < 4; ++i) {
            if (!frame.Shows(highlighted[i])) continue;
            if (row != 0 || frame.Of(highlighted[i]).at(0).X != 300) return 0;
            row = i + 1;
        }
        return row;
    }

    std::vector<std::string> VolumesShown() const {
        std::vector<std::string> volumes;
        for (const Frame& frame : Platform.Frames) volumes.push_back(NumberAt(frame, 600, 300));
        return volumes;
    }

    std::vector<int32_t> MasterVolumesSet() const {
        std::vector<int32_t> volumes;
        for (const SoundCall& call : Platform.Sounds) {
            if (call.Op == SoundOp::SetMasterVolume) volumes.push_back(call.Value);
        }
        return volumes;
    }

    size_t PlaysOf(const std::string& file) const {
        size_t plays = 0;
        for (const std::string& played : Platform.PlaysOn(1)) plays += played == file;
        return plays;
    }

    void Leave() {
        Platform.Hold({DIK_ESCAPE});
        Platform.Release(1);
    }
};

TEST_F(OptionsTest, EscapeActsAtReleaseAndEveryExitRewritesTheFile) {
    int polls = 0;
    std::vector<bool> fileThere;
    Platform.KeyScript = [&](ScriptedPlatform&, uint8_t* keys) {
        ++polls;
        fileThere.push_back(FileExists("options.dat"));
        if (polls >= 2 && polls <= 4) keys[DIK_ESCAPE] = 0x80;
    };
    RunOptionsScreen();
    EXPECT_EQ(polls, 5);
    EXPECT_EQ(fileThere, std::vector<bool>(5, false));  // written only once Escape is up
    ASSERT_EQ(Platform.FrameCount(), 1);                // nothing drawn while it is held
    const Frame& frame = Platform.Frames[0];
    EXPECT_EQ(frame.Draws.at(0).File, "gfx//titlebkg.png");
    EXPECT_EQ(RowShown(frame), 1);
    EXPECT_EQ(NumberAt(frame, 600, 300), "255");
    EXPECT_EQ(SwitchShown(frame, 350), "on");
    EXPECT_EQ(SwitchShown(frame, 400), "on");
    EXPECT_EQ(SwitchShown(frame, 450), "on");
    EXPECT_EQ(TextAt(frame, 330, 570), "DEFAULT");  // the table, at full strength
    for (const DrawCall& draw : frame.Draws) EXPECT_EQ(draw.Colour, OpaqueWhite);
    EXPECT_EQ(ReadFile("options.dat"), "255\n1\n1\n1");
    EXPECT_EQ(FadeLevel, OpaqueWhite);

    // Leaving without a change still writes the settings over whatever the file held.
    Platform.KeyScript = nullptr;
    WriteFile("options.dat", "junk");
    Options.Preview = false;
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(ReadFile("options.dat"), "255\n1\n1\n0");
    EXPECT_FALSE(FileExists("options.dat.tmp"));
}

TEST_F(OptionsTest, HeldVolumeStepsEveryFrameAndALimitOnlyPlaysTheSwitchSound) {
    Platform.MasterVolume = 250;
    Platform.Hold({DIK_RIGHT}, 8);  // five steps up; at 255 the sound, then the wait
    Platform.Release(1);
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(MasterVolumesSet(), (std::vector<int32_t>{251, 252, 253, 254, 255}));
    EXPECT_EQ(VolumesShown(),
              (std::vector<std::string>{"251", "252", "253", "254", "255", "255", "255"}));
    EXPECT_EQ(PlaysOf("sfx\\drop.wav"), 1u);
    EXPECT_EQ(Platform.Frames[5].PollsBefore, 6);  // shown before the wait
    EXPECT_EQ(Platform.Frames[6].PollsBefore, 9);  // and once the key is up
    EXPECT_EQ(Options.Volume, 255);

    Platform.ClearRecords();
    Platform.MasterVolume = 2;
    Platform.Hold({DIK_LEFT}, 4);
    Platform.Release(1);
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(MasterVolumesSet(), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(PlaysOf("sfx\\drop.wav"), 1u);
    EXPECT_EQ(Options.Volume, 0);
    EXPECT_EQ(ReadFile("options.dat"), "0\n1\n1\n1");
    EXPECT_TRUE(Options.Bombs && Options.Shadow && Options.Preview);

    // The title menu applies the new volume the next time it opens.
    Platform.ClearRecords();
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();
    EXPECT_EQ(MasterVolumesSet(), std::vector<int32_t>{0});
}

TEST_F(OptionsTest, BothKeysAtTheTopAlternateBetween255And254) {
    Platform.Hold({DIK_LEFT, DIK_RIGHT}, 4);
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(MasterVolumesSet(), (std::vector<int32_t>{254, 255, 254, 255}));
    EXPECT_EQ(PlaysOf("sfx\\drop.wav"), 0u);
    EXPECT_EQ(Options.Volume, 255);
}

TEST_F(OptionsTest, EachPressFlipsTheHighlightedSwitchOnce) {
    Platform.Hold({DIK_DOWN});      // bombs
    Platform.Hold({DIK_RIGHT}, 5);  // held: one flip
    Platform.Release(10);           // the first ends the wait; the Down counter runs out
    Platform.Hold({DIK_DOWN});      // shadow
    Platform.Tap({DIK_LEFT});       // Left flips as Right does
    Platform.Release(9);
    Platform.Hold({DIK_DOWN});  // preview
    Platform.Hold({DIK_LEFT, DIK_RIGHT}, 2);
    Platform.Release(1);
    Leave();
    RunOptionsScreen();

    EXPECT_FALSE(Options.Bombs);
    EXPECT_FALSE(Options.Shadow);
    EXPECT_FALSE(Options.Preview);
    EXPECT_EQ(Options.Volume, 255);
    EXPECT_EQ(PlaysOf("sfx\\drop.wav"), 3u);
    EXPECT_EQ(PlaysOf("sfx\\line.wav"), 3u);
    // The frame drawn right after the flip shows the new state and the bombs row highlighted.
    const Frame& flipped = Platform.Frames.at(1);
    EXPECT_EQ(flipped.PollsBefore, 2);
    EXPECT_EQ(RowShown(flipped), 2);
    EXPECT_EQ(SwitchShown(flipped, 350), "off");
    EXPECT_EQ(SwitchShown(flipped, 400), "on");
    EXPECT_EQ(Platform.Frames.at(2).PollsBefore, 7);
    const Frame& last = Platform.LastFrame();
    EXPECT_EQ(RowShown(last), 4);
    EXPECT_EQ(SwitchShown(last, 350), "off");
    EXPECT_EQ(SwitchShown(last, 400), "off");
    EXPECT_EQ(SwitchShown(last, 450), "off");
    EXPECT_EQ(ReadFile("options.dat"), "255\n0\n0\n0");
}

TEST_F(OptionsTest, CursorRepeatsWrapsAndStartsOnTheVolumeAtEveryVisit) {
    Platform.Hold({DIK_DOWN}, 11);  // 2 at once, 3 ten frames later
    Platform.Release(9);
    Platform.Hold({DIK_DOWN, DIK_UP});  // both in one frame: two moves, back to 3
    Platform.Release(9);
    Platform.Hold({DIK_UP});  // 2
    Leave();
    RunOptionsScreen();
    std::vector<int> rows;
    for (const Frame& frame : Platform.Frames) rows.push_back(RowShown(frame));
    std::vector<int> expected(10, 2);
    expected.insert(expected.end(), 1 + 9 + 1 + 9, 3);
    expected.push_back(2);
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(PlaysOf("sfx\\line.wav"), 2u + 2u + 1u);

    // The next visit starts on the volume row again; Up from there wraps to preview, and Down
    // from preview wraps back.
    // The repeat counters are shared with the menu and carry over, so let them run out first.
    Platform.ClearRecords();
    Platform.Release(10);
    Platform.Hold({DIK_UP});
    Platform.Release(10);
    Platform.Hold({DIK_DOWN});
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(RowShown(Platform.Frames.at(0)), 1);
    EXPECT_EQ(RowShown(Platform.Frames.at(10)), 4);
    EXPECT_EQ(RowShown(Platform.LastFrame()), 1);
}

TEST_F(OptionsTest, TheResetTurnsTheShadowBackOnWhileTheFileKeepsItOff) {
    Platform.Hold({DIK_DOWN});
    Platform.Release(9);
    Platform.Hold({DIK_DOWN});
    Platform.Tap({DIK_RIGHT});
    Leave();
    RunOptionsScreen();
    ASSERT_FALSE(Options.Shadow);
    ASSERT_EQ(ReadFile("options.dat"), "255\n1\n0\n1");

    ResetGame();
    Platform.ClearRecords();
    int polls = 0;
    std::string fileDuringVisit;
    Platform.KeyScript = [&](ScriptedPlatform&, uint8_t* keys) {
        if (++polls == 2) {
            fileDuringVisit = ReadFile("options.dat");
            keys[DIK_ESCAPE] = 0x80;
        }
    };
    RunOptionsScreen();
    EXPECT_EQ(SwitchShown(Platform.Frames.at(0), 400), "on");
    EXPECT_EQ(fileDuringVisit, "255\n1\n0\n1");
    EXPECT_EQ(ReadFile("options.dat"), "255\n1\n1\n1");
}

TEST(OptionsReaderTest, TakesFourNumbersAndStopsAtTheFirstThatIsMissingOrNotANumber) {
    struct Case {
        std::string Text;
        int32_t Volume;
        bool Bombs, Shadow, Preview;
        int32_t Count;
        bool Damaged;
    };
    const Case cases[] = {
        {"255\n1\n1\n1", 255, true, true, true, 4, false},
        {"255 0 1 0", 255, false, true, false, 4, false},
        {"7\r\n0\r\n0\r\n0\r\n", 7, false, false, false, 4, false},
        {"\t 9\v\f0   ", 9, false, true, true, 2, false},
        {"128", 128, true, true, true, 1, false},
        {"", 255, true, true, true, 0, false},
        {"300\n2\n-1\n0", 300, true, true, false, 4, false},  // only 0 turns a switch off
        {"-20 0 0 0 junk after the four", -20, false, false, false, 4, false},
        {"+5 -0 0x1 0", 5, false, true, true, 2, true},
        {"200\n1\nx\n0", 200, true, true, true, 2, true},
        {"12abc 0 0 0", 255, true, true, true, 0, true},
        {"2147483647 0", 2147483647, false, true, true, 2, false},
        {"2147483648 0 0 0", 255, true, true, true, 0, true},
        {"99999999999999999999999 0", 255, true, true, true, 0, true},
        {"1.5 0 0 0", 255, true, true, true, 0, true},
        {std::string("10 \0 0 0", 8), 10, true, true, true, 1, true},
        {"\xff\xfe\x80 0", 255, true, true, true, 0, true},
    };
    for (const Case& c : cases) {
        OptionsRecord options;
        const ItemsRead read = ReadOptions(c.Text, options);
        SCOPED_TRACE("file: \"" + c.Text + "\"");
        EXPECT_EQ(options.Volume, c.Volume);
        EXPECT_EQ(options.Bombs, c.Bombs);
        EXPECT_EQ(options.Shadow, c.Shadow);
        EXPECT_EQ(options.Preview, c.Preview);
        EXPECT_EQ(read.Count, c.Count);
        EXPECT_EQ(read.Damaged, c.Damaged);
    }
    // What was written reads back the same.
    const OptionsRecord written{-3, false, true, false};
    OptionsRecord back;
    EXPECT_EQ(ReadOptions(WriteOptions(written), back).Count, 4);
    EXPECT_EQ(back.Volume, -3);
    EXPECT_EQ(back.Bombs, false);
    EXPECT_EQ(back.Shadow, true);
    EXPECT_EQ(back.Preview, false);
}

TEST_F(OptionsTest, LoadingSaysWhichFileIsDamagedAndIsSilentWhenThereIsNone) {
    testing::internal::CaptureStderr();
    LoadOptions();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Options.Volume, 255);

    WriteFile("options.dat", "180\n0\noops\n0");
    testing::internal::CaptureStderr();
    LoadOptions();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Options.Volume, 180);
    EXPECT_FALSE(Options.Bombs);
    EXPECT_TRUE(Options.Shadow);
    EXPECT_TRUE(Options.Preview);
    EXPECT_NE(message.find("\"options.dat\""), std::string::npos) << message;
    EXPECT_NE(message.find("oops"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    // A folder in the file's place cannot be read: one line, and the settings stay.
    std::filesystem::remove(Folder / "options.dat");
    std::filesystem::create_directory(Folder / "options.dat");
    Options = OptionsRecord{};
    testing::internal::CaptureStderr();
    LoadOptions();
    message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("\"options.dat\""), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(Options.Volume, 255);
}

TEST_F(OptionsTest, AVolumeOutOfRangeIsKeptAndHandedToTheSoundLayerUnchanged) {
    WriteFile("options.dat", "300\n1\n1\n1");
    LoadOptions();
    EXPECT_EQ(Options.Volume, 300);
    Platform.Hold({DIK_ESCAPE});
    RunTitleMenu();
    EXPECT_EQ(MasterVolumesSet(), std::vector<int32_t>{300});

    // A sound layer that holds only 0 to 255 shows 255 here, and leaving saves what it showed.
    Platform.MasterVolume = 255;
    Platform.Release(1);
    Leave();
    RunOptionsScreen();
    EXPECT_EQ(NumberAt(Platform.LastFrame(), 600, 300), "255");
    EXPECT_EQ(ReadFile("options.dat"), "255\n1\n1\n1");
    EXPECT_EQ(Options.Volume, 255);
}

TEST_F(OptionsTest, AFailedSaveKeepsTheOldFileAndTheNewSettings) {
    WriteFile("options.dat", "100\n1\n1\n1");
    // A folder where the temporary file would go makes the save fail before it writes.
    std::filesystem::create_directory(Folder / "options.dat.tmp");
    Platform.Hold({DIK_DOWN});
    Platform.Tap({DIK_RIGHT});
    Leave();
    testing::internal::CaptureStderr();
    RunOptionsScreen();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile("options.dat"), "100\n1\n1\n1");
    EXPECT_FALSE(Options.Bombs);
    EXPECT_NE(message.find("could not save \"options.dat\""), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

    // A temporary file left by a killed save is reused and does not stay behind.
    std::filesystem::remove(Folder / "options.dat.tmp");
    WriteFile("options.dat.tmp", "half a sa");
    SaveOptions();
    EXPECT_EQ(ReadFile("options.dat"), "255\n0\n1\n1");
    EXPECT_FALSE(FileExists("options.dat.tmp"));
    // The player's permissions on the file survive the replacement.
    std::filesystem::permissions(Folder / "options.dat", std::filesystem::perms(0600));
    SaveOptions();
    EXPECT_EQ(std::filesystem::status(Folder / "options.dat").permissions(),
              std::filesystem::perms(0600));
}

}  // namespace
