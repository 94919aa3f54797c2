#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace {
Platform* ActivePlatform = nullptr;
}

void SetPlatform(Platform* platform) {
    ActivePlatform = platform;
}

Platform& CurrentPlatform() {
    if (ActivePlatform == nullptr) {
        std::fprintf(stderr, "zantorvix: internal error: no platform set\n");
        std::abort();
    }
    return *ActivePlatform;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : Previous(ActivePlatform) {
    ActivePlatform = &platform;
}

ScopedPlatform::~ScopedPlatform() {
    ActivePlatform = Previous;
}

void ThrowIfWindowClosed() {
    if (CurrentPlatform().WindowCloseRequested()) throw WindowClosed{};
}
