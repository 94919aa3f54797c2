// Speed and memory figures of the game on its real SDL platform, measured side by side in one
// run and printed as a table (./bench). Each figure is the median of several runs.
//
//   zantorvix_bench                 every figure (run in the folder that holds gfx/ and sfx/)
//   zantorvix_bench --startup-child the program's start-up, timed from inside (used by the above)
//   zantorvix_bench --game-child    the program playing one game to the top-out (likewise)
//   zantorvix_bench --replays [N]   only the replay figures (no display needed)
#include <SDL.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "game/board.h"
#include "game/locking.h"
#include "game/movement.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/play_scene.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/forwarding_platform.h"
#include "platform/keyboard.h"
#include "platform/renderer.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/system.h"
#include "replay_bench.h"

namespace {

// --- Measuring ---------------------------------------------------------------------------------

int64_t MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// CPU time of the whole process, every thread included (a software GL driver draws on threads
// of its own).
int64_t ProcessCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Resident memory now, in MB: all of it, the anonymous part (heap, decoded sounds, the
// driver's textures) and the part mapped from files (the program and its libraries).
struct Resident {
    double Total = 0, Anonymous = 0, Files = 0;
};
Resident ResidentNow() {
    Resident r;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return r;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        long kb = 0;
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) r.Total = kb / 1024.0;
        if (std::sscanf(line, "RssAnon: %ld", &kb) == 1) r.Anonymous = kb / 1024.0;
        if (std::sscanf(line, "RssFile: %ld", &kb) == 1) r.Files = kb / 1024.0;
    }
    std::fclose(status);
    return r;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// --- Frame cost ---------------------------------------------------------------------------------

struct RecordedDraw {
    TextureId Texture;
    SDL_Rect Where;
    uint32_t Colour;
};

// Notes which file each texture came from, and the draws of the frames it is told to record.
class RecordingPlatform final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    std::map<TextureId, std::string> Files;
    std::vector<RecordedDraw> Draws;
    bool Recording = false;

    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        const TextureId id = Inner.LoadTexture(file, width, height);
        if (id != 0) Files[id] = file;
        return id;
    }
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override {
        if (Recording) Draws.push_back({texture, {x, y, width, height}, colour});
        Inner.DrawTexture(texture, x, y, width, height, colour);
    }
};

// The heaviest play frame: every cell filled, the shadow and the falling piece on it, the
// preview, five-digit numbers and a two-digit clock.
void SetUpHeaviestFrame() {
    GameStateRecord& g = GameState;
    for (int32_t c = 0; c < BoardColumns; ++c) {
        for (int32_t r = 0; r < BoardRows; ++r) g.Board[c][r] = 1 + (c + r) % 7;
    }
    g.CurrentPiece = 12;
    g.PieceX = 317 + 26 * 6;
    g.PieceY = 59 + 26 * 10;
    UpdatePieceCell();
    g.NextPiece = 16;
    g.Level = 9;
    g.Score = 99999;
    g.LinesCleared = 99999;
    g.FramesPerSecond = 99999;
    g.ClockMinutes = 59;
    g.ClockSeconds = 59;
    Options.Shadow = true;
    Options.Preview = true;
}

// The game's own play frame, drawn by the play scene's own function.
void DrawGameFrame() {
    DrawPlayFrame(OpaqueWhite, OpaqueWhite);
}

// The same texture copies made straight through SDL: own textures from the same files in the
// same format, the same composing target and the same present.
class PlainLoop {
  public:
    PlainLoop(SDL_Renderer* renderer, const RecordingPlatform& recording)
        : Renderer(renderer), Draws(recording.Draws) {
        for (const auto& [id, file] : recording.Files) {
            DecodedImage image;
            std::string error;
            if (!ReadPicture(LinuxPath(file.c_str()), image, error)) continue;
            KeyOutMagenta(image.Pixels);
            SDL_Texture* texture =
                SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                  image.Width, image.Height);
            SDL_UpdateTexture(texture, nullptr, image.Pixels.data(), image.Width * 4);
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
            Textures[id] = texture;
        }
        Target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                   ScreenWidth, ScreenHeight);
        SDL_SetTextureBlendMode(Target, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(Target, SDL_ScaleModeLinear);
        // Looked up once, as a loop written for speed would.
        for (const RecordedDraw& draw : Draws) Resolved.push_back(Textures[draw.Texture]);
    }
    ~PlainLoop() {
        for (auto& [id, texture] : Textures) SDL_DestroyTexture(texture);
        SDL_DestroyTexture(Target);
    }
    PlainLoop(const PlainLoop&) = delete;
    PlainLoop& operator=(const PlainLoop&) = delete;

    void Frame() {
        SDL_SetRenderTarget(Renderer, Target);
        SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
        SDL_RenderClear(Renderer);
        for (size_t i = 0; i < Draws.size(); ++i) {
            SDL_Texture* texture = Resolved[i];
            const uint32_t colour = Draws[i].Colour;
            SDL_SetTextureColorMod(texture, static_cast<Uint8>(colour >> 16),
                                   static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
            SDL_SetTextureAlphaMod(texture, static_cast<Uint8>(colour >> 24));
            SDL_RenderCopy(Renderer, texture, nullptr, &Draws[i].Where);
        }
        SDL_SetRenderTarget(Renderer, nullptr);
        SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
        SDL_RenderClear(Renderer);
        SDL_RenderCopy(Renderer, Target, nullptr, nullptr);
        SDL_RenderPresent(Renderer);
    }

    size_t DrawCount() const { return Draws.size(); }

  private:
    SDL_Renderer* Renderer;
    std::vector<RecordedDraw> Draws;
    std::vector<SDL_Texture*> Resolved;
    std::map<TextureId, SDL_Texture*> Textures;
    SDL_Texture* Target = nullptr;
};

struct Cost {
    double CpuUs;
    double WallUs;
};

template <typename DrawOne>
Cost TimeFrames(int32_t frames, DrawOne drawOne) {
    const int64_t cpu = ProcessCpuNs();
    const int64_t wall = MonotonicNs();
    for (int32_t i = 0; i < frames; ++i) drawOne();
    return {(ProcessCpuNs() - cpu) / 1000.0 / frames, (MonotonicNs() - wall) / 1000.0 / frames};
}

// --- Logic cost ---------------------------------------------------------------------------------

// Space and Right held at every poll, and a clock that has always moved on by more than a tick.
class LogicPlatform final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    int64_t ClockOffset = 0;
    void PollKeyboard(uint8_t state[256]) override {
        Inner.PollKeyboard(state);
        state[DIK_SPACE] = 0x80;
        state[DIK_RIGHT] = 0x80;
    }
    int64_t Clock() override { return Inner.Clock() + ClockOffset; }
};

// Four rows full but for column 0, and an upright I above the gap: a hard drop clears four.
void SetUpFourRowClear() {
    GameStateRecord& g = GameState;
    for (auto& column : g.Board) {
        for (CellColour& cell : column) cell = 0;
    }
    for (int32_t c = 1; c < BoardColumns; ++c) {
        for (int32_t r = 21; r < BoardRows; ++r) g.Board[c][r] = 1 + c % 7;
    }
    g.CurrentPiece = 16;
    g.NextPiece = 12;
    g.PieceX = 317;
    g.PieceY = 59 + 26 * 2;
    UpdatePieceCell();
    g.Level = 1;
    g.GravityPeriod = 20.0f;
    g.GravityCountdown = 1;  // this frame's tick also makes a gravity step
    g.LevelLines = 0;
    g.RightRepeat = g.LeftRepeat = g.RotateRepeat = g.SoftDropRepeat = g.HardDropRepeat = 0;
    g.NextTickTime = Clock() - 1;
}

// One frame of the play scene without its drawing and its 1 ms sleep: the title music check,
// a window message, the poll, the keys (Space: a hard drop with a four-row clear and the
// "data.dat" write; Right: a move of the new piece), the clock with its tick, the music check.
void RunFrameLogic() {
    if (IsPlaying(ChannelTitleMusic)) SetVolume(ChannelTitleMusic, GetVolume(ChannelTitleMusic));
    TakeWindowMessage();
    PollKeyboard();
    if (KeyState[DIK_SPACE] && GameState.HardDropRepeat == 0) {
        HardDrop();
        GameState.HardDropRepeat = 10;
    }
    if (KeyState[DIK_RIGHT] && GameState.RightRepeat == 0) {
        MoveRight();
        GameState.RightRepeat = 7;
    }
    UpdateClock();
    if (!IsPlaying(ChannelGameMusic)) PlaySound(ChannelGameMusic, SoundBank[SoundGameMusicLoop]);
}

// --- Children: start-up and a whole game on the real program path -------------------------------

// Times the start-up from the inside: the moment loading ends (the first frame after the
// sounds and the two files, which begins the loading screen's fade-out), less what was spent
// in the fade frames and the sleeps before it. Quits at the title menu.
class StartupPlatform final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    int64_t ExcludedNs = 0;
    int64_t LoadingEndNs = 0;
    int32_t SamplesLoaded = 0;

    void BeginFrame() override {
        if (LoadingEndNs == 0 && SamplesLoaded == SoundSlotCount) LoadingEndNs = MonotonicNs();
        FrameStart = MonotonicNs();
        Inner.BeginFrame();
    }
    void EndFrame() override {
        Inner.EndFrame();
        if (LoadingEndNs == 0) ExcludedNs += MonotonicNs() - FrameStart;
    }
    SampleId LoadSample(const char* file) override {
        ++SamplesLoaded;
        const int64_t start = MonotonicNs();
        const SampleId sample = Inner.LoadSample(file);
        (std::strstr(file, ".mp3") ? MusicNs : EffectsNs) += MonotonicNs() - start;
        return sample;
    }
    bool OpenDisplay(const char* title) override {
        const int64_t start = MonotonicNs();
        const bool open = Inner.OpenDisplay(title);
        DisplayNs += MonotonicNs() - start;
        return open;
    }
    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        const int64_t start = MonotonicNs();
        const TextureId texture = Inner.LoadTexture(file, width, height);
        PicturesNs += MonotonicNs() - start;
        return texture;
    }
    void OpenSound() override {
        const int64_t start = MonotonicNs();
        Inner.OpenSound();
        SoundOpenNs += MonotonicNs() - start;
    }
    // Where the loading time went: window and renderer, pictures, opening the sound device,
    // the music (decoded whole), the effects.
    int64_t DisplayNs = 0, PicturesNs = 0, SoundOpenNs = 0, MusicNs = 0, EffectsNs = 0;
    void Sleep(int32_t milliseconds) override {
        const int64_t start = MonotonicNs();
        Inner.Sleep(milliseconds);
        if (LoadingEndNs == 0) ExcludedNs += MonotonicNs() - start;
    }
    void PollKeyboard(uint8_t state[256]) override {
        Inner.PollKeyboard(state);
        if (LoadingEndNs != 0) state[DIK_ESCAPE] = 0x80;  // the title menu quits at once
    }

  private:
    int64_t FrameStart = 0;
};

// Plays like a player in a hurry: Start from the title menu, Space held through the game until
// the stack tops out, Return through the score screen, then Escape at the title menu.
class GamePlatform final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    int64_t Polls = 0;
    int32_t FinalScore = -1;  // as the score screen showed it
    int32_t FinalPieces = 0;

    bool OpenDisplay(const char* title) override {
        const bool open = Inner.OpenDisplay(title);
        Stages[0] = ResidentNow();
        return open;
    }
    void OpenSound() override {
        Stages[1] = ResidentNow();  // every picture is loaded by now
        Inner.OpenSound();
    }
    SampleId LoadSample(const char* file) override {
        const SampleId sample = Inner.LoadSample(file);
        if (++SamplesLoaded == SoundSlotCount) Stages[2] = ResidentNow();
        return sample;
    }
    // Resident memory after the window and renderer, after the pictures, after the sounds.
    Resident Stages[3];
    int32_t SamplesLoaded = 0;

    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        const TextureId id = Inner.LoadTexture(file, width, height);
        const std::string name = file;
        if (name == "gfx//start.png" || name == "gfx//start2.png") Title.push_back(id);
        if (name == "gfx//HUD.dds") Hud = id;
        if (name == "gfx//bonus.png") Bonus = id;
        return id;
    }
    void BeginFrame() override {
        Seen = Showing{};
        Inner.BeginFrame();
    }
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override {
        if (std::find(Title.begin(), Title.end(), texture) != Title.end()) Seen.Title = true;
        if (texture == Hud) Seen.Play = true;
        if (texture == Bonus) Seen.Score = true;
        Inner.DrawTexture(texture, x, y, width, height, colour);
    }
    void EndFrame() override {
        Last = Seen;
        Inner.EndFrame();
    }
    void PollKeyboard(uint8_t state[256]) override {
        Inner.PollKeyboard(state);
        ++Polls;
        if (Last.Score) {
            // Return ends the name entry; Escape then ends the wait and, still seen as the
            // score screen, quits at the title menu's first poll.
            const int64_t step = ScorePolls++;
            if (step == 0) {
                FinalScore = GameState.Score;
                FinalPieces = static_cast<int32_t>(GameState.PieceCount);
            }
            if (step == 0) state[DIK_RETURN] = 0x80;
            if (step >= 2 && step % 2 == 0) state[DIK_ESCAPE] = 0x80;
        } else if (Last.Play) {
            state[DIK_SPACE] = 0x80;
            Played = true;
        } else if (Last.Title) {
            if (Played) {
                state[DIK_ESCAPE] = 0x80;
            } else if (Polls % 2) {
                state[DIK_RETURN] = 0x80;
            }
        }
    }

  private:
    struct Showing {
        bool Title = false;
        bool Play = false;
        bool Score = false;
    };
    std::vector<TextureId> Title;
    TextureId Hud = -1;
    TextureId Bonus = -1;
    Showing Seen;
    Showing Last;
    bool Played = false;
    int64_t ScorePolls = 0;
};

int RunStartupChild() {
    auto sdl = CreateSdlPlatform();
    StartupPlatform platform(*sdl);
    SetPlatform(&platform);
    const int status = RunProgram();
    std::printf(
        "%lld %lld %lld %lld %lld %lld %lld\n", static_cast<long long>(platform.LoadingEndNs),
        static_cast<long long>(platform.ExcludedNs), static_cast<long long>(platform.DisplayNs),
        static_cast<long long>(platform.PicturesNs), static_cast<long long>(platform.SoundOpenNs),
        static_cast<long long>(platform.MusicNs), static_cast<long long>(platform.EffectsNs));
    return status;
}

int RunGameChild() {
    alarm(300);  // a game that never ends must not hang the benchmark
    auto sdl = CreateSdlPlatform();
    GamePlatform platform(*sdl);
    SetPlatform(&platform);
    const int status = RunProgram();
    std::printf("%d %d", platform.FinalScore, platform.FinalPieces);
    for (const Resident& stage : platform.Stages) {
        std::printf(" %.1f %.1f %.1f", stage.Total, stage.Anonymous, stage.Files);
    }
    const Resident end = ResidentNow();
    std::printf(" %.1f %.1f %.1f\n", end.Total, end.Anonymous, end.Files);
    return status;
}

struct ChildResult {
    bool Ok = false;
    std::string Output;
    int64_t StartNs = 0;
    long MaxRssKb = 0;
};

ChildResult RunChild(const char* mode) {
    ChildResult result;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return result;
    result.StartNs = MonotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execl("/proc/self/exe", "zantorvix_bench", mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[256];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.Output.append(buffer, static_cast<size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        result.MaxRssKb = usage.ru_maxrss;
    }
    return result;
}

// --- The table ----------------------------------------------------------------------------------

void PrintRow(const char* what, const std::string& figure, const char* target, bool met) {
    const char* verdict = *target == '\0' ? "" : (met ? "met" : "MISSED");
    std::printf("  %-44s %16s   %-24s %s\n", what, figure.c_str(), target, verdict);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int RunAll(int32_t runs) {
    std::printf("zantorvix benchmark: median of %d runs each\n", runs);

    // Children first, while this process is still small and nothing else runs.
    std::vector<double> startupMs;
    std::vector<double> startupPartsMs[5];
    std::vector<double> memoryStages[12];
    std::vector<double> rssMb;
    for (int32_t i = 0; i < runs; ++i) {
        const ChildResult child = RunChild("--startup-child");
        long long endNs = 0, excludedNs = 0, parts[5] = {};
        if (!child.Ok ||
            std::sscanf(child.Output.c_str(), "%lld %lld %lld %lld %lld %lld %lld", &endNs,
                        &excludedNs, &parts[0], &parts[1], &parts[2], &parts[3], &parts[4]) != 7 ||
            endNs == 0) {
            std::fprintf(stderr, "bench: the start-up run failed: %s\n", child.Output.c_str());
            return 1;
        }
        startupMs.push_back((endNs - child.StartNs - excludedNs) / 1e6);
        for (int part = 0; part < 5; ++part) startupPartsMs[part].push_back(parts[part] / 1e6);
    }
    int score = 0;
    int pieces = 0;
    for (int32_t i = 0; i < runs; ++i) {
        const ChildResult child = RunChild("--game-child");
        double m[12] = {};
        if (!child.Ok || std::sscanf(child.Output.c_str(),
                                     "%d %d %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf",
                                     &score, &pieces, &m[0], &m[1], &m[2], &m[3], &m[4], &m[5],
                                     &m[6], &m[7], &m[8], &m[9], &m[10], &m[11]) != 14) {
            std::fprintf(stderr, "bench: the game run failed: %s\n", child.Output.c_str());
            return 1;
        }
        rssMb.push_back(child.MaxRssKb / 1024.0);
        for (int k = 0; k < 12; ++k) memoryStages[k].push_back(m[k]);
    }

    // Frame cost: the game's drawing against the plain loop, on one renderer, vsync off.
    auto sdl = CreateSdlPlatform(SdlPlatformOptions{.VSync = false});
    auto* sdlPlatform = static_cast<SdlPlatform*>(sdl.get());
    RecordingPlatform recording(*sdl);
    SetPlatform(&recording);
    InitialiseProgramState();
    if (!CreateRenderer()) return 1;
    LoadTitleSprites();
    LoadGameSprites();
    SetUpHeaviestFrame();
    recording.Recording = true;
    DrawGameFrame();
    recording.Recording = false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(sdlPlatform->Renderer(), &info);
    PlainLoop plain(sdlPlatform->Renderer(), recording);

    constexpr int32_t FramesPerRun = 200;
    std::vector<double> gameCpu, plainCpu, gameWall, plainWall;
    for (int32_t i = 0; i < 10; ++i) {  // warm-up: first uploads, caches, the driver's threads
        DrawGameFrame();
        plain.Frame();
    }
    for (int32_t i = 0; i < runs; ++i) {
        // Alternate which goes first, so that neither always follows the other.
        Cost game, direct;
        if (i % 2 == 0) {
            game = TimeFrames(FramesPerRun, DrawGameFrame);
            direct = TimeFrames(FramesPerRun, [&] { plain.Frame(); });
        } else {
            direct = TimeFrames(FramesPerRun, [&] { plain.Frame(); });
            game = TimeFrames(FramesPerRun, DrawGameFrame);
        }
        gameCpu.push_back(game.CpuUs);
        plainCpu.push_back(direct.CpuUs);
        gameWall.push_back(game.WallUs);
        plainWall.push_back(direct.WallUs);
    }

    // Logic cost, on the same platform with the sounds loaded.
    LogicPlatform logic(*sdl);
    SetPlatform(&logic);
    CreateKeyboard();
    LoadSoundBank();
    constexpr int32_t FramesPerLogicRun = 500;
    std::vector<double> logicUs;
    for (int32_t i = 0; i < runs; ++i) {
        std::vector<double> frames;
        for (int32_t f = 0; f < FramesPerLogicRun; ++f) {
            SetUpFourRowClear();
            const int32_t linesBefore = GameState.LinesCleared;
            logic.ClockOffset += 11;
            const int64_t start = MonotonicNs();
            RunFrameLogic();
            frames.push_back((MonotonicNs() - start) / 1000.0);
            if (GameState.LinesCleared != linesBefore + 4) {
                std::fprintf(stderr, "bench: the logic frame did not clear four rows\n");
                return 1;
            }
        }
        logicUs.push_back(Median(frames));
    }
    SetPlatform(nullptr);

    const double gameFrame = Median(gameCpu);
    const double plainFrame = Median(plainCpu);
    const double ratio = gameFrame / plainFrame;
    const double logicFrame = Median(logicUs);
    const double startup = Median(startupMs);
    const double rss = Median(rssMb);

    std::printf("renderer: %s (SDL video driver %s), %zu texture copies in the heaviest frame\n",
                info.name, SDL_GetCurrentVideoDriver(), plain.DrawCount());
    std::printf("\n  %-44s %16s   %-24s %s\n", "figure", "median", "target", "");
    PrintRow("frame, game's drawing (CPU per frame)", Format("%.1f us", gameFrame), "", true);
    PrintRow("frame, plain SDL loop (CPU per frame)", Format("%.1f us", plainFrame), "", true);
    PrintRow("frame, game / plain", Format("%.3f", ratio), "at most 1.10", ratio <= 1.10);
    PrintRow("frame, game's drawing (wall per frame)", Format("%.1f us", Median(gameWall)), "",
             true);
    PrintRow("frame, plain SDL loop (wall per frame)", Format("%.1f us", Median(plainWall)), "",
             true);
    PrintRow("logic of one frame (4-row clear, data.dat)", Format("%.1f us", logicFrame),
             "under 835 us (5%)", logicFrame < 835.0);
    PrintRow("start-up to end of loading", Format("%.1f ms", startup), "under 200 ms",
             startup < 200.0);
    const char* parts[5] = {"  of which: window and renderer", "  of which: 77 pictures",
                            "  of which: opening the sound device",
                            "  of which: 3 tunes (decoded whole)", "  of which: 12 effects"};
    for (int part = 0; part < 5; ++part) {
        std::printf("  %-44s %16s\n", parts[part],
                    Format("%.1f ms", Median(startupPartsMs[part])).c_str());
    }
    PrintRow("peak resident memory, start-up and a game", Format("%.1f MB", rss), "under 120 MB",
             rss < 120.0);
    const char* stages[4] = {"  after the window and renderer", "  after the 77 pictures",
                             "  after the 15 sounds", "  at the end of the game"};
    for (int k = 0; k < 4; ++k) {
        char text[96];
        std::snprintf(text, sizeof text, "%.1f MB (%.1f anon + %.1f files)",
                      Median(memoryStages[3 * k]), Median(memoryStages[3 * k + 1]),
                      Median(memoryStages[3 * k + 2]));
        std::printf("  %-44s %s\n", stages[k], text);
    }
    std::printf("  (the game run scored %d with %d pieces)\n", score, pieces);
    PrintReplayFigures(runs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--startup-child") return RunStartupChild();
    if (mode == "--game-child") return RunGameChild();
    if (mode == "--replays") {  // the replay figures alone; they need no display
        PrintReplayFigures(argc > 2 ? std::max(3, std::atoi(argv[2])) : 9);
        return 0;
    }
    const int32_t runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    return RunAll(runs);
}
