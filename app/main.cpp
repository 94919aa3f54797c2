// The program entry: the game on its SDL platform.
#include "app/application.h"
#include "platform/sdl/sdl_platform.h"

int main() {
    auto platform = CreateSdlPlatform(SdlPlatformOptions{.PlayerFolders = true});
    SetPlatform(platform.get());
    return RunProgram();
}
