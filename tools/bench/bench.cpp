// Speed and memory figures of the real game, printed as one table (./bench). Each figure is the
// median of several runs.
//
// The frame rate and the CPU rows run the real program, `zantorvix`, in virtual X displays this
// benchmark starts itself (1024x768 and 1920x1080), press real keys with xdotool, read the game's
// CPU time from /proc and count its presents as the X server sees them (XDamage). The loading and
// memory rows run the program's own RunProgram on the real SDL platform, watched through a thin
// forwarding layer that times the loading steps and plays one game.
//
//   zantorvix_bench [RUNS]          every figure (run in the folder that holds gfx/ and sfx/)
//   zantorvix_bench --startup-child the program's start-up, timed from inside (used by the above)
//   zantorvix_bench --game-child    the program playing one game to the top-out (likewise)
//   zantorvix_bench --fades-child   the program through the title's fade-out and the game's
//                                   fade-in, with where their frames' time went (likewise)
//   zantorvix_bench --replays [N]   only the replay figures (no display needed)
//   zantorvix_bench --windows PREFIX [RUNS]
//                                   the Windows game installed in the Wine prefix, beside the
//                                   Linux game: frames per second, CPU and peak memory
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "game/keys.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/forwarding_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "replay_bench.h"
#include "session.h"

namespace fs = std::filesystem;

namespace {

// --- Measuring ---------------------------------------------------------------------------------

// Resident memory now, in MB: all of it, the anonymous part (heap, decoded pictures) and the part
// mapped from files (the program and its libraries).
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

// The value that `share` of the values do not exceed (nearest rank).
double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
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
    // Where the loading time went: window and renderer, pictures, opening the sound device,
    // the tunes, the effects.
    int64_t DisplayNs = 0, PicturesNs = 0, SoundOpenNs = 0, MusicNs = 0, EffectsNs = 0;

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
    // Resident memory after the window and renderer, after the pictures, after the sounds.
    Resident Stages[3];
    int32_t SamplesLoaded = 0;

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

// Times the fades from the inside, on the real program path: Return as soon as the title menu
// shows, Escape once play has begun, Escape again in the menu. The SDL platform's own account of
// the frames between (the title's fade-out and the game's fade-in) says where their time went.
class FadePlatform final : public ForwardingPlatform {
  public:
    explicit FadePlatform(SdlPlatform& sdl) : ForwardingPlatform(sdl), Sdl(sdl) {}
    SdlPlatform::FrameCosts Before, After;

    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        const TextureId id = Inner.LoadTexture(file, width, height);
        const std::string name = file;
        if (name == "gfx//start.png" || name == "gfx//start2.png") Title.push_back(id);
        if (name == "gfx//HUD.dds") Hud = id;
        return id;
    }
    void BeginFrame() override {
        DrawsTitle = DrawsPlay = false;
        Inner.BeginFrame();
    }
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override {
        DrawsTitle = DrawsTitle || std::find(Title.begin(), Title.end(), texture) != Title.end();
        DrawsPlay = DrawsPlay || texture == Hud;
        Inner.DrawTexture(texture, x, y, width, height, colour);
    }
    void EndFrame() override {
        ShowsTitle = DrawsTitle;
        ShowsPlay = DrawsPlay;
        Inner.EndFrame();
    }
    void PollKeyboard(uint8_t state[256]) override {
        Inner.PollKeyboard(state);
        if (ShowsPlay && Step == 2) {
            After = Sdl.Costs();  // the first poll of play: the fade-in has ended
            state[DIK_ESCAPE] = 0x80;
            Step = 3;
        } else if (ShowsTitle && Step == 0) {
            state[DIK_RETURN] = 0x80;
            Step = 1;
        } else if (ShowsTitle && Step == 1) {
            Before = Sdl.Costs();  // Return let go: the fade-out begins
            Step = 2;
        } else if (ShowsTitle && Step == 3) {
            state[DIK_ESCAPE] = 0x80;
        }
    }

  private:
    SdlPlatform& Sdl;
    std::vector<TextureId> Title;
    TextureId Hud = -1;
    bool DrawsTitle = false, DrawsPlay = false, ShowsTitle = false, ShowsPlay = false;
    int Step = 0;
};

int RunFadesChild() {
    SdlPlatform sdl(SdlPlatformOptions{.PlayerFolders = false});
    FadePlatform platform(sdl);
    SetPlatform(&platform);
    const int status = RunProgram();
    const int64_t frames = platform.After.Frames - platform.Before.Frames;
    std::printf("%lld %lld %lld %lld\n", static_cast<long long>(frames),
                static_cast<long long>(platform.After.ComposeNs - platform.Before.ComposeNs),
                static_cast<long long>(platform.After.ScaleNs - platform.Before.ScaleNs),
                static_cast<long long>(platform.After.PresentNs - platform.Before.PresentNs));
    return status;
}

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

ChildResult RunChild(const char* mode, const VirtualDisplay& display) {
    ChildResult result;
    const fs::path folder = MakeGameFolder();
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return result;
    result.StartNs = MonotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        setenv("DISPLAY", display.Name.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
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
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}

// --- The table ----------------------------------------------------------------------------------

void PrintRow(const char* what, const std::string& figure, const char* before, const char* target,
              bool met) {
    const char* verdict = *target == '\0' ? "" : (met ? "met" : "MISSED");
    std::printf("  %-52s %12s %12s   %-14s %s\n", what, figure.c_str(), before, target, verdict);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int RunAll(int32_t runs) {
    std::printf("zantorvix benchmark: median of %d runs each\n", runs);
    VirtualDisplay small("1024x768");
    VirtualDisplay large("1920x1080");

    // Where a fade frame's time goes, on either display: composing, putting the frame into the
    // window at its size, presenting.
    std::vector<double> fadeParts[2][3];
    for (int32_t i = 0; i < runs; ++i) {
        for (int size = 0; size < 2; ++size) {
            const ChildResult child = RunChild("--fades-child", size == 0 ? small : large);
            long long frames = 0, parts[3] = {};
            if (!child.Ok ||
                std::sscanf(child.Output.c_str(), "%lld %lld %lld %lld", &frames, &parts[0],
                            &parts[1], &parts[2]) != 4 ||
                frames <= 0) {
                std::fprintf(stderr, "bench: the fades run failed: %s\n", child.Output.c_str());
                return 1;
            }
            for (int part = 0; part < 3; ++part) {
                fadeParts[size][part].push_back(parts[part] / 1e6 / static_cast<double>(frames));
            }
        }
    }

    std::vector<double> startupMs;
    std::vector<double> startupPartsMs[5];
    for (int32_t i = 0; i < runs; ++i) {
        const ChildResult child = RunChild("--startup-child", small);
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
    std::vector<double> memoryStages[12];
    std::vector<double> rssMb;
    for (int32_t i = 0; i < runs; ++i) {
        const ChildResult child = RunChild("--game-child", small);
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

    std::vector<double> menuPresents, playPresents, fps, playCpu, menuCpu, serverCpu, largePlayCpu,
        largeServerCpu;
    std::vector<double> fadeFps, largeFadeFps, keyMs, largeKeyMs;
    for (int32_t i = 0; i < runs; ++i) {
        const SessionFigures at1024 = RunSession(small);
        const SessionFigures at1080 = RunSession(large);
        if (!at1024.Ok || !at1080.Ok) {
            std::fprintf(stderr, "bench: a run of the real program failed\n");
            return 1;
        }
        fps.push_back(at1024.PlayFps);
        playPresents.push_back(at1024.PlayPresents);
        menuPresents.push_back(at1024.MenuPresents);
        playCpu.push_back(at1024.PlayCpuMs);
        menuCpu.push_back(at1024.MenuCpuMs);
        serverCpu.push_back(at1024.ServerCpuMs);
        largePlayCpu.push_back(at1080.PlayCpuMs);
        largeServerCpu.push_back(at1080.ServerCpuMs);
        fadeFps.push_back(at1024.FadeFps);
        largeFadeFps.push_back(at1080.FadeFps);
        keyMs.insert(keyMs.end(), at1024.KeyToPictureMs.begin(), at1024.KeyToPictureMs.end());
        largeKeyMs.insert(largeKeyMs.end(), at1080.KeyToPictureMs.begin(),
                          at1080.KeyToPictureMs.end());
    }

    const double frameRate = Median(fps);
    const double play = Median(playCpu);
    const double playLarge = Median(largePlayCpu);
    const double menu = Median(menuCpu);
    const double startup = Median(startupMs);
    const double rss = Median(rssMb);

    std::printf("\n  %-52s %12s %12s   %-14s %s\n", "figure", "median", "before", "target", "");
    PrintRow("frames per second during play, as the HUD counts them", Format("%.2f", frameRate),
             "62-64", "60.0 +- 0.5", std::abs(frameRate - 60.0) <= 0.5);
    const double fades = Median(fadeFps), fadesLarge = Median(largeFadeFps);
    PrintRow("frames per second through the fades, 1024x768", Format("%.2f", fades), "55.6-58.4",
             "60.0 +- 0.5", std::abs(fades - 60.0) <= 0.5);
    PrintRow("  the same, 1920x1080 (frame scaled to 1440x1080)", Format("%.2f", fadesLarge),
             "47.3-50.2", "60.0 +- 0.5", std::abs(fadesLarge - 60.0) <= 0.5);
    for (int size = 0; size < 2; ++size) {
        char text[128];
        std::snprintf(text, sizeof text, "%.1f + %.1f + %.1f ms", Median(fadeParts[size][0]),
                      Median(fadeParts[size][1]), Median(fadeParts[size][2]));
        std::printf("  %-52s %s\n",
                    size == 0 ? "  a fade frame at 1024x768: compose + scale + present"
                              : "  a fade frame at 1920x1080: compose + scale + present",
                    text);
    }
    const double keyMedian = Median(keyMs);
    PrintRow("key to picture in the title menu, median", Format("%.1f ms", keyMedian), "13.6 ms",
             "<= 10 ms", !keyMs.empty() && keyMedian <= 10.0);
    std::printf("  %-52s %12s %12s\n", "  90th percentile",
                Format("%.1f ms", Percentile(keyMs, 0.9)).c_str(), "14.9 ms");
    std::printf(
        "  %-52s %12s\n", "  the same at 1920x1080: median, 90th percentile",
        (Format("%.1f", Median(largeKeyMs)) + Format(", %.1f ms", Percentile(largeKeyMs, 0.9)))
            .c_str());
    PrintRow("CPU per second during 10 s of play, 1024x768", Format("%.0f ms", play), "1,246 ms",
             "<= 120 ms", play <= 120.0);
    PrintRow("  the same, 1920x1080 (frame scaled to 1440x1080)", Format("%.0f ms", playLarge),
             "1,650 ms", "<= 200 ms", playLarge <= 200.0);
    PrintRow("CPU per second in the title menu, 1024x768", Format("%.0f ms", menu), "1,020 ms",
             "<= 100 ms", menu <= 100.0);
    PrintRow("loading behind the loading screen", Format("%.0f ms", startup), "1,050 ms",
             "<= 250 ms", startup <= 250.0);
    const char* parts[5] = {"  of which: window and renderer", "  of which: 126 pictures",
                            "  of which: opening the sound device",
                            "  of which: 3 tunes (read; decoded as they play)",
                            "  of which: 12 effects"};
    for (int part = 0; part < 5; ++part) {
        std::printf("  %-52s %12s\n", parts[part],
                    Format("%.1f ms", Median(startupPartsMs[part])).c_str());
    }
    PrintRow("peak resident memory through start-up and a game", Format("%.1f MB", rss), "79.0 MB",
             "<= 40 MB", rss <= 40.0);
    const char* stages[4] = {"  after the window and renderer", "  after the 126 pictures",
                             "  after the 15 sounds", "  at the end of the game"};
    for (int k = 0; k < 4; ++k) {
        char text[96];
        std::snprintf(text, sizeof text, "%.1f MB (%.1f anon + %.1f files)",
                      Median(memoryStages[3 * k]), Median(memoryStages[3 * k + 1]),
                      Median(memoryStages[3 * k + 2]));
        std::printf("  %-52s %s\n", stages[k], text);
    }
    std::printf(
        "\n  presents per second (only frames that show something new are sent to the X server):"
        "\n  %.2f during play, %.2f in the title menu\n",
        Median(playPresents), Median(menuPresents));
    std::printf("  (key to picture: %zu presses at 1024x768, %zu at 1920x1080, XTest to XDamage)\n",
                keyMs.size(), largeKeyMs.size());
    std::printf(
        "  not the game's own: the X server's CPU per second during play, showing the\n"
        "  presents: %.0f ms at 1024x768, %.0f ms at 1920x1080\n",
        Median(serverCpu), Median(largeServerCpu));
    std::printf("  (the game run scored %d with %d pieces)\n", score, pieces);
    PrintReplayFigures(runs);
    return 0;
}

// The Windows game under Wine and the Linux game, each run the same way in the same display.
int RunUnderWine(const std::string& prefix, int32_t runs) {
    std::printf("zantorvix under Wine: median of %d runs each\n", runs);
    VirtualDisplay display("1024x768");
    const GameCommand wine{ZANTORVIX_SOURCE_DIR "/tools/windows/wine",
                           {prefix, R"(C:\Program Files\Zantorvix\zantorvix.exe)"},
                           "wineserver"};
    constexpr int Rows = 6;
    const char* rows[Rows] = {"frames per second during play, as the HUD counts them",
                              "CPU per second during 10 s of play, 1024x768",
                              "CPU per second in the title menu",
                              "peak resident memory (start-up, menu, 10 s of play)",
                              "presents per second in the title menu",
                              "the X server's CPU per second during play"};
    const char* formats[Rows] = {"%.2f", "%.0f ms", "%.0f ms", "%.1f MB", "%.2f", "%.0f ms"};
    std::vector<double> figures[2][Rows];
    std::vector<double> wineServerCpu;
    for (int32_t i = 0; i < runs; ++i) {
        const SessionFigures both[2] = {RunSession(display), RunSession(display, wine)};
        for (int game = 0; game < 2; ++game) {
            const SessionFigures& run = both[game];
            if (!run.Ok) {
                std::fprintf(stderr, "bench: a run of the %s game failed\n",
                             game == 0 ? "Linux" : "Windows");
                return 1;
            }
            const double values[Rows] = {run.PlayFps, run.PlayCpuMs,    run.MenuCpuMs,
                                         run.PeakMb,  run.MenuPresents, run.ServerCpuMs};
            for (int k = 0; k < Rows; ++k) figures[game][k].push_back(values[k]);
        }
        wineServerCpu.push_back(both[1].HelperCpuMs);
    }
    // Wine's own programs end with its server, before the display they are connected to.
    std::system(("WINEPREFIX='" + prefix + "' wineserver -k").c_str());
    std::printf("\n  %-52s %12s %12s\n", "figure", "Linux", "under Wine");
    for (int k = 0; k < Rows; ++k) {
        std::printf("  %-52s %12s %12s\n", rows[k],
                    Format(formats[k], Median(figures[0][k])).c_str(),
                    Format(formats[k], Median(figures[1][k])).c_str());
    }
    std::printf(
        "\n  not the game's own: Wine's server (wineserver) used %.0f ms of CPU per second\n"
        "  during play, beside the game's figure under Wine\n",
        Median(wineServerCpu));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--startup-child") return RunStartupChild();
    if (mode == "--game-child") return RunGameChild();
    if (mode == "--windows" && argc > 2) {
        try {
            return RunUnderWine(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 3);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench: %s\n", error.what());
            return 1;
        }
    }
    if (mode == "--fades-child") return RunFadesChild();
    if (mode == "--replays") {  // the replay figures alone; they need no display
        PrintReplayFigures(argc > 2 ? std::max(3, std::atoi(argv[2])) : 9);
        return 0;
    }
    const int32_t runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    try {
        return RunAll(runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
}
