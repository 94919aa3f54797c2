// Renders every screen of the game through its own drawing code and the real SDL layer, and
// saves each as a PNG, so the look can be judged by eye: loading, title, options, play at level
// 1 and at level 9, pause, and the score screen with all six bonus rows and the name entry.
//
//   build/zantorvix_screens OUTPUT_FOLDER     (run in the folder that holds gfx/ and sfx/)
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "frontend/controls.h"
#include "frontend/controls_screen.h"
#include "frontend/high_scores.h"
#include "frontend/options.h"
#include "frontend/score_screen.h"
#include "frontend/title_menu.h"
#include "game/board.h"
#include "game/keys.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/play_scene.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/file.h"
#include "platform/forwarding_platform.h"
#include "platform/renderer.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/system.h"

namespace {

std::filesystem::path Output;

// The SDL platform with the keyboard replaced by a script, and a hook on every presented frame.
class ScreenPlatform final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    std::deque<std::vector<uint8_t>> Keys;  // one entry per poll; then nothing is down
    std::deque<ControlPress> Presses;       // what each poll finds pressed, beside Keys
    std::function<void(int frame)> OnFrame;
    int Frames = 0;

    void Press(uint8_t key, int polls = 1) {
        std::vector<uint8_t> down(256, 0);
        down[key] = 0x80;
        for (int i = 0; i < polls; ++i) Keys.push_back(down);
        Keys.emplace_back(256, 0);
        Presses.resize(Keys.size());
    }
    // A key pressed by its place, as the controls screen takes it.
    void PressPlace(KeyPlace place) {
        Press(DirectInputCodeOfPlace(place));
        Presses[Presses.size() - 2] = ControlPress{.Key = place};
    }
    void Idle(int polls) {
        for (int i = 0; i < polls; ++i) Keys.emplace_back(256, 0);
        Presses.resize(Keys.size());
    }

    void EndFrame() override {
        Inner.EndFrame();
        if (OnFrame) OnFrame(Frames);
        ++Frames;
    }
    void TakeWindowMessage() override {}
    bool WindowCloseRequested() override { return false; }
    void CreateKeyboard() override {}
    void PollKeyboard(uint8_t state[256]) override {
        for (int i = 0; i < 256; ++i) state[i] = 0;
        if (Keys.empty()) {
            std::fprintf(stderr, "zantorvix_screens: key script ran out\n");
            std::exit(1);
        }
        for (int i = 0; i < 256; ++i) state[i] = Keys.front()[static_cast<size_t>(i)];
        Keys.pop_front();
        Pressed = Presses.front();
        Presses.pop_front();
    }
    ControlPress TakeControlPress() override {
        const ControlPress press = Pressed;
        Pressed = ControlPress{};
        return press;
    }

  private:
    ControlPress Pressed;
    void Sleep(int32_t) override {}  // nobody is watching: no need to wait
};

SdlPlatform* Sdl = nullptr;

void Save(const std::string& name) {
    std::vector<uint32_t> pixels = Sdl->ReadFrame();
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), 1024, 768, 32,
                                                              1024 * 4, SDL_PIXELFORMAT_ARGB8888);
    const std::string file = (Output / (name + ".png")).string();
    if (!surface || IMG_SavePNG(surface, file.c_str()) != 0) {
        std::fprintf(stderr, "zantorvix_screens: cannot write %s\n", file.c_str());
    } else {
        std::printf("%s\n", file.c_str());
    }
    if (surface) SDL_FreeSurface(surface);
}

// Puts a file of the run folder back as it was (or removes it) when it goes: the screens that
// save their file must not change the player's.
class KeptFile {
  public:
    explicit KeptFile(const char* name) : Name(name) {
        Existed = ReadWholeFile(Name, Content, Error) == FileRead::Read;
    }
    ~KeptFile() {
        if (Existed) {
            ReplaceFile(Name, Content, Error);
        } else {
            std::filesystem::remove(Name, Ignored);
        }
    }
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

  private:
    const char* Name;
    bool Existed = false;
    std::string Content;
    std::string Error;
    std::error_code Ignored;
};

// A ragged stack of every colour over the lower part of the well.
void FillStack(int fromRow) {
    for (int column = 0; column < BoardColumns; ++column) {
        for (int row = fromRow + (column * 7) % 5; row < BoardRows; ++row) {
            if ((column + row) % 11 != 3) GameState.Board[column][row] = 1 + (column + row) % 7;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zantorvix_screens OUTPUT_FOLDER\n");
        return 2;
    }
    Output = argv[1];
    std::filesystem::create_directories(Output);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlPlatform real(SdlPlatformOptions{.VSync = false, .PaceFrames = false});
    Sdl = &real;
    ScreenPlatform platform(real);
    SetPlatform(&platform);

    InitialiseProgramState();
    if (!CreateRenderer()) return 1;
    LoadTitleSprites();
    platform.OnFrame = [](int frame) {
        if (frame == 86) Save("1-loading");
    };
    FadeInLoadingScreen();
    LoadGameSprites();
    CreateKeyboard();
    LoadSoundBank();
    ResetBoard();
    HighScoreTable = {{{"ANNA", 48210}, {"BEN", 30005}, {"CLEO", 12500}, {"DAN", 990}, {"", 5}}};

    // Title menu: let it fade in, then Escape.
    platform.OnFrame = [](int) {};
    int start = platform.Frames;
    platform.Idle(100);
    platform.Press(DIK_ESCAPE);
    platform.OnFrame = [&](int frame) {
        if (frame == start + 95) Save("2-title");
    };
    RunTitleMenu();

    KeptFile keptOptions(OptionsFileName);
    KeptFile keptControls(ControlsFileName);
    KeptFile keptScores(HighScoreFileName);

    // Options, on the bombs row with bombs off.
    Options.Bombs = false;
    start = platform.Frames;
    platform.Press(DIK_DOWN);
    platform.Idle(10);
    platform.Press(DIK_ESCAPE);
    platform.OnFrame = [&](int frame) {
        if (frame == start + 8) Save("3-options");
    };
    RunOptionsScreen();
    Options.Bombs = true;

    // The controls screen in the middle of a rebinding: X made hard drop's only key (taking it
    // from turn, which had it second), and a second key for left awaited.
    Controls.Keys[static_cast<int>(PlayAction::Turn)][1] = PlaceX;
    platform.Idle(2);
    for (int row = 0; row < 4; ++row) platform.Press(DIK_DOWN), platform.Idle(10);
    platform.Press(DIK_RETURN);
    platform.Idle(3);
    platform.PressPlace(PlaceX);
    platform.Idle(3);
    for (int row = 0; row < 4; ++row) platform.Press(DIK_UP), platform.Idle(10);
    platform.Press(DIK_RIGHT);
    platform.Idle(20);
    platform.PressPlace(PlaceEscape);  // cancels the wait
    platform.Press(DIK_ESCAPE);        // leaves the screen
    platform.OnFrame = [&](int) {
        if (platform.Keys.size() == 4) Save("3b-controls-rebinding");  // before the Escapes
    };
    RunControlsScreen();
    Controls = ControlsRecord{};

    // Play at level 1 and at level 9.
    platform.OnFrame = [](int) {};
    ResetGame();
    GameState.CurrentPiece = 12;
    GameState.NextPiece = 16;
    FillStack(19);
    GameState.Score = 1234;
    GameState.LinesCleared = 7;
    GameState.ClockSeconds = 42;
    GameState.FramesPerSecond = 60;
    DrawPlayFrame(OpaqueWhite, OpaqueWhite);
    Save("4-play-level-1");

    ResetGame();
    FillStack(9);
    GameState.Level = 9;
    GameState.CurrentPiece = 17;
    GameState.NextPiece = 19;
    GameState.PieceX = 317 + 26 * 5;
    GameState.PieceColumn = 5;
    GameState.Score = 87654;
    GameState.LinesCleared = 84;
    GameState.ClockMinutes = 12;
    GameState.ClockSeconds = 7;
    GameState.FramesPerSecond = 60;
    DrawPlayFrame(OpaqueWhite, OpaqueWhite);
    Save("5-play-level-9");

    // The pause shows the frame without the board.
    BeginFrame();
    DrawHud(OpaqueWhite);
    EndFrame();
    Save("6-pause");

    // The score screen with all six bonuses and a name being typed.
    Options.Bombs = Options.Shadow = Options.Preview = false;
    GameState.SoftDropCount = 50.0f;
    GameState.GravityStepCount = 60.0f;
    GameState.PieceCount = 40.0f;
    GameState.CarelessLandingCount = 1.0f;
    GameState.RotationCount = 30.0f;
    GameState.Score = 20400;
    GameState.ToppedOut = 1;
    start = platform.Frames;
    platform.Press(DIK_Z);
    platform.Press(DIK_O);
    platform.Press(DIK_E);
    platform.Idle(3);
    platform.Press(DIK_RETURN);  // ends the entry
    platform.Press(DIK_RETURN);  // leaves the screen
    platform.OnFrame = [&](int frame) {
        if (frame == start) Save("7-score-screen");
        if (frame == start + 6) Save("8-score-screen-name-entry");
    };
    RunScoreScreen();

    ReleaseSprites();
    ReleaseRenderer();
    return 0;
}
