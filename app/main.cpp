// The program entry: the game on its SDL platform, or a recorded game played back.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/replay_verbs.h"
#include "platform/sdl/sdl_platform.h"
#include "replay/recorder.h"
#include "replay/recording_platform.h"

namespace {

constexpr const char* Usage =
    "usage: zantorvix                 play (every game is recorded in replays/)\n"
    "       zantorvix --replay FILE   watch a recorded game (Enter pauses, Escape leaves)\n"
    "       zantorvix --check FILE    play a recorded game back without a window and check\n"
    "                                 that it ends as recorded (exit 0; 1 when it departs,\n"
    "                                 2 when the file is not a whole replay)\n"
    "       zantorvix --help          show this\n";

int Run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return CheckReplay(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) {
        // The platform works in the player's data folder; the file is named from here.
        const std::string file = std::filesystem::absolute(argv[2]).string();
        auto platform = CreateSdlPlatform(
            SdlPlatformOptions{.PlayerFolders = true, .RememberWindowChoice = false});
        return WatchReplay(file.c_str(), *platform);
    }
    if (argc > 1) {
        std::fprintf(stderr, "zantorvix: %s %s\n%s",
                     argv[1][0] == '-' ? "unknown option or missing file:" : "unexpected argument:",
                     argv[1], Usage);
        return 2;
    }
    auto platform = CreateSdlPlatform(SdlPlatformOptions{.PlayerFolders = true});
    RecordingPlatform recorder(*platform);
    SetPlatform(&recorder);
    SetGameRecorder(&recorder);
    const int status = RunProgram();
    SetGameRecorder(nullptr);
    SetPlatform(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = Run(argc, argv);
    AnnounceProgramEnd(status);
    return status;
}
