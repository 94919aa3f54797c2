// The game as a Linux desktop program, on SDL's dummy drivers: where its files live, the
// window it may run in, gamepads, and letters under other keyboard layouts.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/keyboard.h"
#include "platform/sdl/linux/folders.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    void TearDown() override { Sdl.reset(); }

    bool Open() {
        Sdl = std::make_unique<SdlPlatform>(SdlPlatformOptions{.VSync = false});
        if (!Sdl->OpenDisplay("Zantorvix test")) return false;
        Sdl->CreateKeyboard();
        return true;
    }

    ScratchFolder Scratch{"zantorvix-desktop"};
    const fs::path Folder = Scratch.Path();
    std::unique_ptr<SdlPlatform> Sdl;
};

#define OPEN_OR_SKIP() \
    if (!Open()) GTEST_SKIP() << "SDL's dummy video driver gave no window here: " << SDL_GetError()

TEST_F(DesktopTest, AGameFolderIsUsedAsItIsAndAnInstalledGameUsesShareAndTheXdgFolder) {
    // As ./play runs it: pictures, sounds and the player's files all in the working folder.
    fs::create_directories(Folder / "gfx");
    fs::create_directories(Folder / "sfx");
    GameFolders folders = ChooseGameFolders(Folder, "/usr/bin/zantorvix", "/x", "/home/p");
    EXPECT_EQ(folders.Assets, "");
    EXPECT_EQ(folders.Data, "");

    // Installed: share/ beside bin/, the data in $XDG_DATA_HOME, else in ~/.local/share.
    const fs::path elsewhere = Folder / "gfx";
    folders = ChooseGameFolders(elsewhere, "/opt/z/bin/zantorvix", "/home/p/data", "/home/p");
    EXPECT_EQ(folders.Assets, "/opt/z/share/zantorvix/");
    EXPECT_EQ(folders.Data, "/home/p/data/zantorvix");
    folders = ChooseGameFolders(elsewhere, "/usr/bin/zantorvix", nullptr, "/home/p");
    EXPECT_EQ(folders.Data, "/home/p/.local/share/zantorvix");
    // A relative or empty XDG_DATA_HOME is not to be used.
    EXPECT_EQ(ChooseGameFolders(elsewhere, "/usr/bin/zantorvix", "data", "/home/p").Data,
              "/home/p/.local/share/zantorvix");
    EXPECT_EQ(ChooseGameFolders(elsewhere, "/usr/bin/zantorvix", "", "/home/p").Data,
              "/home/p/.local/share/zantorvix");
}

TEST_F(DesktopTest, TheDataFolderIsMadePrivateOnTheFirstRunAndABlockedOneCostsOneLine) {
    const fs::path data = Folder / "xdg/deeper/zantorvix";
    EXPECT_EQ(EnterDataFolder(data.string()), "");
    EXPECT_EQ(fs::current_path(), data);
    struct stat info {};
    ASSERT_EQ(stat(data.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(EnterDataFolder(data.string()), "");  // the second run finds it

    // A file where the folder should be: one line, and a scratch folder to play on in.
    std::ofstream(Folder / "blocked") << "x";
    testing::internal::CaptureStderr();
    const std::string scratch = EnterDataFolder((Folder / "blocked/zantorvix").string());
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_NE(scratch, "");
    EXPECT_EQ(fs::current_path(), fs::path(scratch));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("blocked"), std::string::npos) << errors;
    fs::current_path(Folder);
    fs::remove_all(scratch);
}

TEST(KeyLayoutTest, LettersGoByWhatTheKeyTypesAndTheGameKeysByPlace) {
    // French AZERTY: the key in Q's place types a, the one in A's place q, M's place a comma,
    // and the M sits right of L.
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_Q, SDLK_a), DIK_A);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_A, SDLK_q), DIK_Q);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_M, SDLK_COMMA), 0);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_SEMICOLON, SDLK_m), DIK_M);
    // German QWERTZ swaps Y and Z.
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_Y, SDLK_z), DIK_Z);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_Z, SDLK_y), DIK_Y);
    // Russian: the letters printed beside the Cyrillic ones, by place.
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_F, 0x0430), DIK_F);
    // The keys of play and the menus stay where they are.
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_UP, SDLK_UP), DIK_UP);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_SPACE, SDLK_SPACE), DIK_SPACE);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_RETURN, SDLK_RETURN), DIK_RETURN);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), DIK_ESCAPE);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), DIK_BACK);
    EXPECT_EQ(GameKeyCodeOf(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS), DIK_ADD);
}

TEST_F(DesktopTest, TheWindowChoiceIsSavedAtOnceAndTheNextStartKeepsIt) {
    OPEN_OR_SKIP();
    EXPECT_TRUE(Sdl->IsFullScreen());  // never chosen: full screen
    EXPECT_NE(SDL_GetWindowFlags(Sdl->MainWindow()) & SDL_WINDOW_FULLSCREEN, 0u);
    Sdl->ToggleFullScreen();
    EXPECT_FALSE(Sdl->IsFullScreen());
    EXPECT_EQ(SDL_GetWindowFlags(Sdl->MainWindow()) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_NE(SDL_GetWindowFlags(Sdl->MainWindow()) & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_EQ(ReadWhole("display.dat"), "window");
    EXPECT_FALSE(fs::exists("display.dat.tmp"));

    Sdl.reset();
    OPEN_OR_SKIP();
    EXPECT_FALSE(Sdl->IsFullScreen());
    int width = 0, height = 0;
    SDL_GetWindowSize(Sdl->MainWindow(), &width, &height);
    EXPECT_LE(width, ScreenWidth);
    EXPECT_EQ(width * 3, height * 4);
    Sdl->ToggleFullScreen();
    EXPECT_EQ(ReadWhole("display.dat"), "fullscreen");
    // Saved as the player's other files are: the permissions the player gave it stay.
    const fs::perms mine = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions("display.dat", mine);
    Sdl->ToggleFullScreen();
    EXPECT_EQ(ReadWhole("display.dat"), "window");
    EXPECT_EQ(fs::status("display.dat").permissions(), mine);

    // A damaged choice: one line, full screen.
    std::ofstream("display.dat") << "sideways";
    Sdl.reset();
    testing::internal::CaptureStderr();
    OPEN_OR_SKIP();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Sdl->IsFullScreen());
    EXPECT_NE(errors.find("display.dat"), std::string::npos) << errors;
}

// A gamepad made in software, with every button and axis of a standard controller.
class VirtualPad {
  public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Zantorvix test pad";
        Index = SDL_JoystickAttachVirtualEx(&desc);
        if (Index >= 0) Stick = SDL_JoystickOpen(Index);
    }
    ~VirtualPad() {
        if (Stick != nullptr) SDL_JoystickClose(Stick);
        if (Index >= 0) SDL_JoystickDetachVirtual(Index);
    }
    bool Ready() const { return Stick != nullptr; }
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(Stick, button, down ? 1 : 0);
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(Stick, axis, value);
    }

    int Index = -1;

  private:
    SDL_Joystick* Stick = nullptr;
};

std::string DownKeys(SdlPlatform& sdl) {
    uint8_t keys[256];
    sdl.PollKeyboard(keys);
    std::string down;
    const std::pair<uint8_t, const char*> names[] = {
        {DIK_UP, "up "},         {DIK_DOWN, "down "},   {DIK_LEFT, "left "},
        {DIK_RIGHT, "right "},   {DIK_SPACE, "space "}, {DIK_RETURN, "enter "},
        {DIK_ESCAPE, "escape "},
    };
    for (const auto& [key, name] : names) {
        if (keys[key] != 0) down += name;
    }
    return down;
}

TEST_F(DesktopTest, AGamepadPluggedInDuringPlayDrivesTheSameKeysAsTheKeyboard) {
    // The dummy video driver never gives its window the focus; a real one does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    OPEN_OR_SKIP();
    EXPECT_EQ(DownKeys(*Sdl), "");
    VirtualPad pad;  // plugged in after the start
    ASSERT_TRUE(pad.Ready()) << SDL_GetError();
    EXPECT_EQ(DownKeys(*Sdl), "");
    EXPECT_EQ(Sdl->GamepadCount(), 1u);

    const std::pair<SDL_GameControllerButton, std::string> buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, "up "},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "down "},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "left "},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "right "},
        {SDL_CONTROLLER_BUTTON_A, "up "},
        {SDL_CONTROLLER_BUTTON_B, "space "},
        {SDL_CONTROLLER_BUTTON_START, "enter "},
        {SDL_CONTROLLER_BUTTON_BACK, "escape "},
        {SDL_CONTROLLER_BUTTON_X, ""},
    };
    for (const auto& [button, keys] : buttons) {
        pad.Button(button, true);
        EXPECT_EQ(DownKeys(*Sdl), keys) << SDL_GameControllerGetStringForButton(button);
        pad.Button(button, false);
        EXPECT_EQ(DownKeys(*Sdl), "");
    }

    // The stick: past half-way, and only its main direction.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -12000);
    EXPECT_EQ(DownKeys(*Sdl), "left ");
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    EXPECT_EQ(DownKeys(*Sdl), "down ");
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 9000);
    EXPECT_EQ(DownKeys(*Sdl), "");

    // Pulled out with a button held: nothing stays down.
    pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(DownKeys(*Sdl), "space ");
    SDL_JoystickDetachVirtual(pad.Index);
    EXPECT_EQ(DownKeys(*Sdl), "");
    EXPECT_EQ(Sdl->GamepadCount(), 0u);
}

}  // namespace
