// The player's controls: the key state they make, how the controls screen and "controls.ini"
// change them, and that no binding can lock a player out of a screen.
#include "frontend/controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/application.h"
#include "frontend/controls_screen.h"
#include "game/keys.h"
#include "game/layout.h"
#include "game/play_scene.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/keyboard.h"
#include "support/game_fixture.h"
#include "support/screen_reading.h"

namespace {

constexpr int Left = static_cast<int>(PlayAction::Left);
constexpr int Turn = static_cast<int>(PlayAction::Turn);
constexpr int SoftDrop = static_cast<int>(PlayAction::SoftDrop);
constexpr int HardDrop = static_cast<int>(PlayAction::HardDrop);
constexpr int Pause = static_cast<int>(PlayAction::Pause);
constexpr int ChangePiece = static_cast<int>(PlayAction::ChangePiece);

constexpr KeyPlace PlaceB = 5, PlaceC = 6, PlaceP = 19, PlaceLeftShift = 225;
constexpr KeyPlace PlaceNonUsBackslash = 100, PlaceKeypadComma = 133;

// --- The key state --------------------------------------------------------------------------

PhysicalInput Down(std::initializer_list<KeyPlace> keys,
                   std::initializer_list<PadButton> buttons = {}) {
    PhysicalInput input;
    for (KeyPlace key : keys) {
        input.Keys[key] = true;
        input.MenuCodes[key] = DirectInputCodeOfPlace(key);
    }
    for (PadButton button : buttons) input.Buttons[static_cast<int>(button)] = true;
    return input;
}

std::set<int> CodesDown(KeyMode mode, const ControlsRecord& controls, const PhysicalInput& input) {
    uint8_t state[256];
    FillKeyState(mode, controls, input, state);
    std::set<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (state[code] != 0) codes.insert(code);
    }
    return codes;
}

TEST(KeyStateTest, WithTheDefaultsPlayAndTheMenusReadTheKeysAndButtonsTheyAlwaysHave) {
    const ControlsRecord defaults;
    const std::pair<KeyPlace, int> keys[] = {
        {PlaceLeft, DIK_LEFT},     {PlaceRight, DIK_RIGHT},    {PlaceUp, DIK_UP},
        {PlaceDown, DIK_DOWN},     {PlaceSpace, DIK_SPACE},    {PlaceReturn, DIK_RETURN},
        {PlaceEscape, DIK_ESCAPE}, {PlaceKeypadPlus, DIK_ADD},
    };
    const std::pair<PadButton, int> buttons[] = {
        {PadButton::DpadLeft, DIK_LEFT}, {PadButton::DpadRight, DIK_RIGHT},
        {PadButton::DpadUp, DIK_UP},     {PadButton::A, DIK_UP},
        {PadButton::DpadDown, DIK_DOWN}, {PadButton::B, DIK_SPACE},
        {PadButton::Start, DIK_RETURN},  {PadButton::Back, DIK_ESCAPE},
    };
    for (KeyMode mode : {KeyMode::Menus, KeyMode::Play, KeyMode::Name}) {
        SCOPED_TRACE(static_cast<int>(mode));
        for (const auto& [place, code] : keys) {
            EXPECT_EQ(CodesDown(mode, defaults, Down({place})), std::set<int>{code}) << place;
        }
        for (const auto& [button, code] : buttons) {
            EXPECT_EQ(CodesDown(mode, defaults, Down({}, {button})), std::set<int>{code})
                << PadButtonName(button);
        }
    }
    // Play reads its own keys and nothing else; the menus and a name read every key.
    EXPECT_EQ(CodesDown(KeyMode::Play, defaults, Down({PlaceA, PlaceB})), std::set<int>{});
    EXPECT_EQ(CodesDown(KeyMode::Name, defaults, Down({PlaceA, PlaceB})),
              (std::set<int>{DIK_A, DIK_B}));
}

TEST(KeyStateTest, InPlayABoundKeyDoesItsActionInsteadOfItsDefaultWhileTheMenusKeepTheirs) {
    ControlsRecord controls;
    BindKey(controls, PlayAction::HardDrop, PlaceUp, false);
    BindKey(controls, PlayAction::Turn, PlaceX, false);
    BindButton(controls, PlayAction::HardDrop, PadButton::RightShoulder, false);

    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({PlaceUp})), std::set<int>{DIK_SPACE});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({PlaceX})), std::set<int>{DIK_UP});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({PlaceSpace})), std::set<int>{});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({}, {PadButton::RightShoulder})),
              std::set<int>{DIK_SPACE});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({}, {PadButton::B})), std::set<int>{});

    EXPECT_EQ(CodesDown(KeyMode::Menus, controls, Down({PlaceUp})), std::set<int>{DIK_UP});
    EXPECT_EQ(CodesDown(KeyMode::Menus, controls, Down({PlaceSpace})), std::set<int>{DIK_SPACE});
    EXPECT_EQ(CodesDown(KeyMode::Menus, controls, Down({}, {PadButton::B})),
              std::set<int>{DIK_SPACE});
    EXPECT_EQ(CodesDown(KeyMode::Name, controls, Down({PlaceX})), std::set<int>{DIK_X});
}

TEST(KeyStateTest, EnterAndStartResumeThePauseWhateverPauseIsOnAndEscapeAlwaysLeaves) {
    ControlsRecord controls;
    BindKey(controls, PlayAction::Pause, PlaceP, false);
    BindKey(controls, PlayAction::HardDrop, PlaceReturn, false);
    BindButton(controls, PlayAction::Pause, PadButton::Y, false);
    BindButton(controls, PlayAction::HardDrop, PadButton::Start, false);

    // In play, Enter hard-drops and does not pause.
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({PlaceReturn})), std::set<int>{DIK_SPACE});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({PlaceP})), std::set<int>{DIK_RETURN});
    EXPECT_EQ(CodesDown(KeyMode::Play, controls, Down({}, {PadButton::Y})),
              std::set<int>{DIK_RETURN});
    // Paused, the pause's key and Enter both resume; so do its button and Start.
    for (const PhysicalInput& input : {Down({PlaceReturn}), Down({PlaceP}),
                                       Down({}, {PadButton::Start}), Down({}, {PadButton::Y})}) {
        EXPECT_EQ(CodesDown(KeyMode::Paused, controls, input).count(DIK_RETURN), 1u);
    }
    for (KeyMode mode : {KeyMode::Menus, KeyMode::Play, KeyMode::Paused, KeyMode::Name}) {
        EXPECT_EQ(CodesDown(mode, controls, Down({PlaceEscape})), std::set<int>{DIK_ESCAPE});
        EXPECT_EQ(CodesDown(mode, controls, Down({}, {PadButton::Back})),
                  std::set<int>{DIK_ESCAPE});
    }
}

// --- Changes ----------------------------------------------------------------------------------

TEST(RebindingTest, AKeyMovesToItsNewActionAndTheOneThatHadItIsTold) {
    ControlsRecord c;
    Rebinding change = BindKey(c, PlayAction::HardDrop, PlaceUp, false);
    EXPECT_FALSE(change.Refused);
    EXPECT_TRUE(change.Lost[Turn]);
    EXPECT_EQ(c.Keys[HardDrop][0], PlaceUp);
    EXPECT_EQ(c.Keys[HardDrop][1], 0);
    EXPECT_EQ(c.Keys[Turn][0], 0);

    // A second key goes beside the first, or first when there is none; a new only key
    // replaces both.
    BindKey(c, PlayAction::Turn, PlaceX, true);
    BindKey(c, PlayAction::Turn, PlaceZ, true);
    EXPECT_EQ(c.Keys[Turn][0], PlaceX);
    EXPECT_EQ(c.Keys[Turn][1], PlaceZ);
    EXPECT_TRUE(ClearSecondKey(c, PlayAction::Turn));
    EXPECT_FALSE(ClearSecondKey(c, PlayAction::Turn));
    EXPECT_EQ(c.Keys[Turn][0], PlaceX);
    BindKey(c, PlayAction::Turn, PlaceZ, true);
    BindKey(c, PlayAction::Turn, PlaceA, false);
    EXPECT_EQ(c.Keys[Turn][0], PlaceA);
    EXPECT_EQ(c.Keys[Turn][1], 0);

    // Buttons move alike, each action keeping its first before its second.
    change = BindButton(c, PlayAction::Left, PadButton::A, true);
    EXPECT_TRUE(change.Lost[Turn]);
    EXPECT_EQ(c.Buttons[Left][1], PadButton::A);
    EXPECT_EQ(c.Buttons[Turn][0], PadButton::DpadUp);
    EXPECT_EQ(c.Buttons[Turn][1], PadButton::NoButton);

    // Escape, F11, Alt and the gamepad's Back and Guide are never bound.
    const ControlsRecord before = c;
    for (KeyPlace place : {PlaceEscape, PlaceF11, PlaceLeftAlt, PlaceRightAlt}) {
        EXPECT_TRUE(BindKey(c, PlayAction::Turn, place, false).Refused) << place;
    }
    for (PadButton button : {PadButton::Back, PadButton::Guide}) {
        EXPECT_TRUE(BindButton(c, PlayAction::Turn, button, false).Refused);
    }
    EXPECT_TRUE(c == before);
}

TEST(RebindingTest, PauseNeverGoesWithoutAKeyOrAButton) {
    ControlsRecord c;
    // Enter, pause's only key, stays on it; so does Start.
    EXPECT_TRUE(BindKey(c, PlayAction::HardDrop, PlaceReturn, false).Refused);
    EXPECT_TRUE(BindButton(c, PlayAction::HardDrop, PadButton::Start, true).Refused);
    EXPECT_TRUE(c == ControlsRecord{});

    // Pause on P: Enter is free to hard-drop. P taken by another action leaves pause with
    // Enter, which it takes back from hard drop.
    BindKey(c, PlayAction::Pause, PlaceP, false);
    EXPECT_FALSE(BindKey(c, PlayAction::HardDrop, PlaceReturn, false).Refused);
    const Rebinding change = BindKey(c, PlayAction::Turn, PlaceP, false);
    EXPECT_TRUE(change.Lost[Pause]);
    EXPECT_TRUE(change.Lost[HardDrop]);
    EXPECT_EQ(c.Keys[Pause][0], PlaceReturn);
    EXPECT_EQ(c.Keys[HardDrop][0], 0);
    EXPECT_EQ(c.Keys[Turn][0], PlaceP);
}

// --- The file ---------------------------------------------------------------------------------

TEST(ControlsFileTest, TheWrittenFileReadsBackTheSameAndGivesAwkwardKeysNamesOfTheirOwn) {
    const std::string defaults = WriteControls(ControlsRecord{});
    EXPECT_NE(defaults.find("[keyboard]\nleft = Left\nright = Right\nturn = Up\nsoft_drop = Down\n"
                            "hard_drop = Space\npause = Return\nchange_piece = Keypad +\n\n"
                            "[gamepad]\nleft = dpleft\nright = dpright\nturn = a, dpup\n"
                            "soft_drop = dpdown\nhard_drop = b\npause = start\nchange_piece =\n"),
              std::string::npos)
        << defaults;

    ControlsRecord c;
    c.Keys[Turn][0] = PlaceComma;
    c.Keys[Turn][1] = PlaceNonUsBackslash;
    c.Keys[HardDrop][0] = PlaceKeypadComma;
    c.Keys[HardDrop][1] = PlaceLeftShift;
    c.Keys[ChangePiece][0] = 0;
    c.Buttons[ChangePiece][0] = PadButton::LeftTrigger;
    c.Buttons[ChangePiece][1] = PadButton::Misc1;
    const std::string text = WriteControls(c);
    EXPECT_NE(text.find("\nturn = Comma, NonUSBackslash\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nhard_drop = Keypad Comma, Left Shift\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nchange_piece =\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nchange_piece = lefttrigger, misc1\n"), std::string::npos) << text;
    ControlsRecord back;
    EXPECT_EQ(ReadControls(text, back), std::vector<std::string>{});
    EXPECT_TRUE(back == c);

    // Hand-written: any case, blanks and CR LF line ends, comments, actions left out.
    ControlsRecord read;
    EXPECT_EQ(ReadControls("; mine\r\n[Keyboard]\r\n  HARD_DROP=space \r\nturn = up,x\r\n"
                           "[gamepad]\r\nhard_drop = B\r\n",
                           read),
              std::vector<std::string>{});
    EXPECT_EQ(read.Keys[HardDrop][0], PlaceSpace);
    EXPECT_EQ(read.Keys[Turn][0], PlaceUp);
    EXPECT_EQ(read.Keys[Turn][1], PlaceX);
    EXPECT_EQ(read.Buttons[HardDrop][0], PadButton::B);
    EXPECT_EQ(read.Keys[Left][0], PlaceLeft);
}

TEST(ControlsFileTest, EachUnreadableLineCostsOneLineAndEveryOtherLineStillCounts) {
    ControlsRecord c;
    const std::vector<std::string> problems = ReadControls(
        "turn = Z\n"          // 1: before any section
        "[keyboard]\n"        //
        "hard_drop = X\n"     // 3: counts
        "turn = NoSuchKey\n"  // 4
        "soft_drop = Z,\n"    // 5
        "left = A, B, C\n"    // 6
        "right = Escape\n"    // 7
        "jump = Q\n"          // 8
        "this is no line\n"   // 9
        "change_piece =\n"    // 10: counts, unbound
        "[mouse]\n"           // 11
        "left = Q\n"          // 12: ignored with its section
        "[gamepad]\n"         //
        "turn = q\n"          // 14
        "hard_drop = x\n",    // 15: counts
        c);
    ASSERT_EQ(problems.size(), 9u);
    EXPECT_EQ(problems[0].rfind("line 1: ", 0), 0u) << problems[0];
    EXPECT_EQ(problems[1], "line 4: no key is called \"NoSuchKey\"; turn keeps its default keys");
    EXPECT_EQ(problems[2].rfind("line 5: ", 0), 0u) << problems[2];
    EXPECT_NE(problems[3].find("at most two keys"), std::string::npos) << problems[3];
    EXPECT_NE(problems[4].find("Escape cannot be bound"), std::string::npos) << problems[4];
    EXPECT_NE(problems[5].find("no action \"jump\""), std::string::npos) << problems[5];
    EXPECT_EQ(problems[6].rfind("line 9: ", 0), 0u) << problems[6];
    EXPECT_NE(problems[7].find("[mouse]"), std::string::npos) << problems[7];
    EXPECT_EQ(problems[8],
              "line 14: no gamepad button is called \"q\"; turn keeps its default buttons");

    ControlsRecord expected;
    expected.Keys[HardDrop][0] = PlaceX;
    expected.Keys[ChangePiece][0] = 0;
    expected.Buttons[HardDrop][0] = PadButton::X;
    expected.Buttons[Left][0] = PadButton::DpadLeft;
    EXPECT_TRUE(c == expected);
}

TEST(ControlsFileTest, AKeyNamedTwiceBelongsToTheLaterLineAndPauseKeepsEnter) {
    ControlsRecord c;
    std::vector<std::string> problems =
        ReadControls("[keyboard]\nturn = X\nhard_drop = X, Space\nsoft_drop = Up\n", c);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0],
              "line 3: X is named for turn on line 2 and for hard drop here; hard drop, the "
              "later, has it");
    EXPECT_EQ(c.Keys[HardDrop][0], PlaceX);
    EXPECT_EQ(c.Keys[HardDrop][1], PlaceSpace);
    // Turn lost X to a later line and Up, its default, to soft drop.
    EXPECT_EQ(c.Keys[Turn][0], 0);
    EXPECT_EQ(c.Keys[SoftDrop][0], PlaceUp);

    c = ControlsRecord{};
    problems = ReadControls("[keyboard]\npause =\nhard_drop = Return\n[gamepad]\npause =\n", c);
    EXPECT_EQ(problems,
              (std::vector<std::string>{"pause is left without a key, so Enter stays on it",
                                        "pause is left without a button, so start stays on it"}));
    EXPECT_EQ(c.Keys[Pause][0], PlaceReturn);
    EXPECT_EQ(c.Keys[HardDrop][0], 0);
    EXPECT_EQ(c.Buttons[Pause][0], PadButton::Start);
}

// --- The screens ------------------------------------------------------------------------------

class ControlsScreenTest : public GameTest {
  protected:
    static int32_t RowY(int row) {
        return row == PlayActionCount ? ControlsLayout.ResetRowY
                                      : ControlsLayout.FirstRowY + ControlsLayout.RowStep * row;
    }
    // The keys and the buttons a row shows.
    static std::string KeysShown(const Frame& frame, int row) {
        return LabelAt(frame, ControlsLayout.KeysX, RowY(row) + 1, ControlsLayout.ButtonsX);
    }
    static std::string ButtonsShown(const Frame& frame, int row) {
        return LabelAt(frame, ControlsLayout.ButtonsX, RowY(row) + 1);
    }
    // The colour of the first letter drawn in a row from x.
    static uint32_t ColourAt(const Frame& frame, int row, int32_t x) {
        for (const DrawCall& draw : frame.Draws) {
            if (draw.Y == RowY(row) + 1 && draw.X == x) return draw.Colour;
        }
        return 0;
    }
    // Moves the highlight `rows` rows down (up when negative), one press at a time.
    void Move(int rows) {
        for (int i = 0; i < std::abs(rows); ++i) {
            Platform.TapPlaces({rows > 0 ? PlaceDown : PlaceUp});
            Platform.ReleasePlaces(MenuRepeat);
        }
    }
    void Tap(KeyPlace place) {
        Platform.TapPlaces({place});
        Platform.ReleasePlaces(2);
    }
    void TapButton(PadButton button) {
        Platform.TapPlaces({}, {button});
        Platform.ReleasePlaces(2);
    }

    static constexpr int MenuRepeat = 10;
};

TEST_F(ControlsScreenTest, HardDropOnXThroughTheScreenHardDropsAfterARestartUntilResetAll) {
    Move(HardDrop);
    Tap(PlaceReturn);
    Tap(PlaceX);
    Tap(PlaceEscape);
    RunControlsScreen();
    bool waited = false;
    for (const Frame& frame : Platform.Frames) {
        waited = waited || KeysShown(frame, HardDrop) == "PRESS A KEY";
    }
    EXPECT_TRUE(waited) << "the screen never said it waits for a key";
    EXPECT_EQ(KeysShown(Platform.LastFrame(), HardDrop), "X");
    EXPECT_EQ(KeysShown(Platform.LastFrame(), Turn), "UP");
    EXPECT_EQ(ButtonsShown(Platform.LastFrame(), HardDrop), "B");
    EXPECT_NE(ReadFile("controls.ini").find("\nhard_drop = X\n"), std::string::npos);

    // After a restart: the file is read, the platform told, and in play X hard-drops while
    // Space does nothing.
    Controls = ControlsRecord{};
    LoadControls();
    ApplyControls();
    EXPECT_EQ(Platform.Controls.Keys[HardDrop][0], PlaceX);
    int polls = 0;
    float piecesWhileSpace = 0;
    Platform.PhysicalScript = [&](ScriptedPlatform&, PhysicalInput& input) {
        ++polls;
        if (polls == 150) piecesWhileSpace = GameState.PieceCount;
        input.Keys[polls < 150 ? PlaceSpace : PlaceX] = true;
    };
    Platform.CloseAfterPolls = Platform.Polls + 160;
    EXPECT_THROW(RunPlayScene(), WindowClosed);
    EXPECT_EQ(piecesWhileSpace, 1.0f);
    EXPECT_EQ(GameState.PieceCount, 2.0f);

    // "Reset all", the last row, one up from the first.
    Platform.PhysicalScript = nullptr;
    Platform.CloseAfterPolls = 200'000;
    Move(-1);
    Tap(PlaceReturn);
    Tap(PlaceEscape);
    RunControlsScreen();
    EXPECT_EQ(KeysShown(Platform.LastFrame(), HardDrop), "SPACE");
    EXPECT_NE(ReadFile("controls.ini").find("\nhard_drop = Space\n"), std::string::npos);
    EXPECT_TRUE(Platform.Controls == ControlsRecord{});
}

TEST_F(ControlsScreenTest, AMovedKeyShowsWhereItWasAndAnUnchangedOrUnreadFileIsLeftAlone) {
    // A file with a line that cannot be read: one line on stderr, and it stays as it is
    // through a visit that changes nothing.
    const std::string damaged = "[keyboard]\nturn = Up, NoSuchKey\n";
    WriteFile("controls.ini", damaged);
    testing::internal::CaptureStderr();
    LoadControls();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zantorvix: \"controls.ini\", line 2: no key is called \"NoSuchKey\"; turn keeps "
              "its default keys\n");
    Tap(PlaceReturn);
    Tap(PlaceEscape);  // cancels the wait
    Tap(PlaceEscape);  // leaves
    RunControlsScreen();
    EXPECT_EQ(ReadFile("controls.ini"), damaged);

    // Up for hard drop: turn shows it lost its key, in red, then "none".
    Platform.ClearRecords();
    Move(HardDrop);
    Tap(PlaceReturn);
    Tap(PlaceUp);
    // Enter for soft drop: refused, pause shows that it keeps it.
    Move(SoftDrop - HardDrop);
    Tap(PlaceReturn);
    Tap(PlaceReturn);
    // The gamepad's Y for pause, beside Start.
    Move(Pause - SoftDrop);
    Tap(PlaceRight);
    TapButton(PadButton::Y);
    Tap(PlaceEscape);
    RunControlsScreen();
    const Frame& last = Platform.LastFrame();
    EXPECT_EQ(KeysShown(last, HardDrop), "UP");
    EXPECT_EQ(KeysShown(last, Turn), "NONE");
    EXPECT_EQ(ColourAt(last, Turn, ControlsLayout.KeysX), 0xFFFF7A7Au);
    EXPECT_EQ(KeysShown(last, SoftDrop), "DOWN");
    EXPECT_EQ(KeysShown(last, Pause), "RETURN");
    EXPECT_EQ(ColourAt(last, Pause, ControlsLayout.KeysX), 0xFFFF7A7Au);
    EXPECT_EQ(ButtonsShown(last, Pause), "START  Y");
    const std::string file = ReadFile("controls.ini");
    EXPECT_NE(file.find("\nturn =\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\nhard_drop = Up\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\npause = start, y\n"), std::string::npos) << file;
}

// --- No lock-out ------------------------------------------------------------------------------

enum class Scene { Loading, Title, Options, Controls, Play, Paused, Score };

Scene SceneOf(const ScriptedPlatform& p) {
    if (p.Keys == KeyMode::Paused) return Scene::Paused;
    if (p.Frames.empty()) return Scene::Loading;
    const Frame& frame = p.LastFrame();
    if (frame.Shows("gfx//bonus.png")) return Scene::Score;
    if (frame.Shows("gfx//HUD.dds")) return Scene::Play;
    if (frame.Shows("gfx//controlsbkg.jpg")) return Scene::Controls;
    if (frame.Shows("gfx//volume.png") || frame.Shows("gfx//volume2.png")) return Scene::Options;
    if (frame.Shows("gfx//start.png") || frame.Shows("gfx//start2.png")) return Scene::Title;
    return Scene::Loading;
}

// One thing the player does: in this scene, press these keys and buttons once (or hold them
// while the scene lasts), after checking that what came before went as it should.
struct WalkStep {
    const char* What;
    Scene Where;
    std::vector<KeyPlace> Keys;
    std::vector<PadButton> Buttons = {};
    bool Hold = false;
    std::function<std::string(ScriptedPlatform&)> Check = nullptr;  // "" when all is well
};

struct Walker {
    std::vector<WalkStep> Steps;
    size_t Step = 0;
    int Quiet = 0;         // polls left with nothing pressed
    int Waiting = 0;       // polls spent waiting for the step's scene
    bool Holding = false;  // a held step has begun
    std::vector<std::string> Problems;

    void Poll(ScriptedPlatform& p, PhysicalInput& input) {
        if (p.Frames.size() > 64) p.Frames.erase(p.Frames.begin(), p.Frames.end() - 1);
        if (Quiet > 0) {
            --Quiet;
            return;
        }
        while (Step < Steps.size()) {
            const WalkStep& step = Steps[Step];
            const bool there = SceneOf(p) == step.Where;
            if (Holding && !there) {
                ++Step;  // held as long as its scene lasted
                Holding = false;
                continue;
            }
            if (!there) {
                if (++Waiting > 20000) {
                    Problems.push_back(std::string(step.What) + ": never reached its screen");
                    Step = Steps.size();
                }
                return;
            }
            if (!Holding && step.Check) {
                const std::string problem = step.Check(p);
                if (!problem.empty()) Problems.push_back(std::string(step.What) + ": " + problem);
            }
            for (KeyPlace key : step.Keys) input.Keys[key] = true;
            for (PadButton button : step.Buttons) input.Buttons[static_cast<int>(button)] = true;
            Waiting = 0;
            if (step.Hold) {
                Holding = true;
                return;
            }
            ++Step;
            Quiet = 12;
            return;
        }
    }
};

std::string Expect(bool ok, const char* problem) {
    return ok ? "" : problem;
}

size_t RotateSounds(const ScriptedPlatform& p) {
    const std::vector<std::string> plays = p.PlaysOn(ChannelPiece);
    return static_cast<size_t>(std::count(plays.begin(), plays.end(), "sfx\\rotate.wav"));
}

// Blocks in the well (the HUD's preview aside).
bool ShowsTheWell(const Frame& frame) {
    for (const DrawCall& draw : frame.Draws) {
        const bool inWell = draw.X >= Well.Left && draw.X < Well.Right;
        if (draw.File.rfind("gfx//blocks//", 0) == 0 && inWell) return true;
    }
    return false;
}

TEST_F(ControlsScreenTest, PlayKeysOnTheArrowsEnterAndBackspaceLockNoScreenAway) {
    const std::string jumbled =
        "[keyboard]\n"
        "hard_drop = Up\n"
        "pause = Right\n"
        "left = Down\n"
        "turn = Backspace\n"
        "right = Return\n"
        "soft_drop = Left\n"
        "change_piece =\n"
        "[gamepad]\n"
        "hard_drop = start\n"
        "pause = dpdown\n"
        "left = a\n";
    WriteFile("controls.ini", jumbled);
    int32_t column = 0;
    size_t rotations = 0;
    const auto row = [](int action, const char* keys) {
        return [action, keys](ScriptedPlatform& p) -> std::string {
            const std::string shown = KeysShown(p.LastFrame(), action);
            return shown == keys ? "" : "row " + std::to_string(action) + " shows " + shown;
        };
    };
    Walker walker;
    walker.Steps = {
        {"the pad's D-pad moves the title menu", Scene::Title, {}, {PadButton::DpadDown}},
        {"and Start opens the options", Scene::Title, {}, {PadButton::Start}},
        {"Up moves the options' highlight", Scene::Options, {PlaceUp}},
        {"Down moves it back", Scene::Options, {PlaceDown}},
        {"Enter opens the controls", Scene::Options, {PlaceReturn}},
        {"the controls show the file",
         Scene::Controls,
         {PlaceDown},
         {},
         false,
         [&](ScriptedPlatform& p) {
             return row(HardDrop, "UP")(p) + row(Pause, "RIGHT")(p) + row(Left, "DOWN")(p) +
                    row(Turn, "BACKSPACE")(p) + row(ChangePiece, "NONE")(p);
         }},
        {"Backspace", Scene::Controls, {PlaceBackspace}},
        {"Escape leaves the controls", Scene::Controls, {PlaceEscape}},
        {"Escape leaves the options", Scene::Options, {PlaceEscape}},
        {"Up goes back to start", Scene::Title, {PlaceUp}},
        {"Enter starts a game", Scene::Title, {PlaceReturn}},
        {"Enter moves right",
         Scene::Play,
         {PlaceReturn},
         {},
         false,
         [&](ScriptedPlatform&) {
             column = GameState.PieceColumn;
             return "";
         }},
        {"Up hard-drops",
         Scene::Play,
         {PlaceUp},
         {},
         false,
         [&](ScriptedPlatform& p) {
             return Expect(GameState.PieceColumn == column + 1 && p.Keys == KeyMode::Play,
                           "Enter did not move the piece right, or paused");
         }},
        {"Right pauses",
         Scene::Play,
         {PlaceRight},
         {},
         false,
         [&](ScriptedPlatform&) {
             return Expect(GameState.PieceCount == 2.0f, "Up did not hard-drop");
         }},
        {"Right resumes",
         Scene::Paused,
         {PlaceRight},
         {},
         false,
         [&](ScriptedPlatform& p) {
             return Expect(!ShowsTheWell(p.LastFrame()), "the pause shows the well");
         }},
        {"Right pauses again", Scene::Play, {PlaceRight}},
        {"Enter resumes too", Scene::Paused, {PlaceReturn}},
        {"Backspace turns",
         Scene::Play,
         {PlaceBackspace},
         {},
         false,
         [&](ScriptedPlatform& p) {
             rotations = RotateSounds(p);
             return "";
         }},
        {"Up held drops to the top",
         Scene::Play,
         {PlaceUp},
         {},
         true,
         [&](ScriptedPlatform& p) {
             return Expect(RotateSounds(p) == rotations + 1, "Backspace did not turn");
         }},
        {"A", Scene::Score, {PlaceA}},
        {"B", Scene::Score, {PlaceB}},
        {"Backspace", Scene::Score, {PlaceBackspace}},
        {"C", Scene::Score, {PlaceC}},
        {"Enter enters the name", Scene::Score, {PlaceReturn}},
        {"Enter leaves the score screen", Scene::Score, {PlaceReturn}},
        {"Enter starts another game",
         Scene::Title,
         {PlaceReturn},
         {},
         false,
         [](ScriptedPlatform& p) {
             return Expect(TextAt(p.LastFrame(), 330, 570) == "AC", "the table lacks AC");
         }},
        {"Escape leaves the game", Scene::Play, {PlaceEscape}},
        {"Escape quits", Scene::Title, {PlaceEscape}},
    };
    Platform.PhysicalScript = [&](ScriptedPlatform& p, PhysicalInput& input) {
        walker.Poll(p, input);
    };
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(walker.Problems, std::vector<std::string>{});
    EXPECT_EQ(walker.Step, walker.Steps.size()) << "stuck at " << walker.Steps.at(walker.Step).What;
    EXPECT_EQ(QuitRequested, 1);
    EXPECT_EQ(HighScoreTable[0].Name, "AC");
    EXPECT_EQ(ReadFile("controls.ini"), jumbled);  // read, never rewritten
    EXPECT_EQ(Platform.KeyModes,
              (std::vector<KeyMode>{KeyMode::Play, KeyMode::Paused, KeyMode::Play, KeyMode::Paused,
                                    KeyMode::Play, KeyMode::Menus, KeyMode::Name, KeyMode::Menus,
                                    KeyMode::Play, KeyMode::Menus}));
}

}  // namespace
