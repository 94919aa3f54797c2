#include "platform/system.h"

#include "platform/platform.h"

int64_t Clock() {
    return CurrentPlatform().Clock();
}
int64_t Time() {
    return CurrentPlatform().Time();
}
// A close during the sleep ends it early; the frame or poll that follows ends the scene. (The
// sleep asks nothing itself: a recorded game holds every question the game asked, in order.)
void Sleep(int32_t milliseconds) {
    CurrentPlatform().Sleep(milliseconds);
}

void TakeWindowMessage() {
    Platform& platform = CurrentPlatform();
    platform.TakeWindowMessage();
    if (platform.WindowCloseRequested()) throw WindowClosed{};
}
