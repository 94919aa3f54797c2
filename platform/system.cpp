#include "platform/system.h"

#include "platform/platform.h"

namespace {
uint32_t RandomState = 1;
}

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

void Srand(uint32_t seed) {
    RandomState = seed;
}

uint32_t RandState() {
    return RandomState;
}

int32_t Rand() {
    RandomState = RandomState * 214013u + 2531011u;
    return static_cast<int32_t>((RandomState >> 16) & 0x7FFF);
}
