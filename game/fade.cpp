#include "game/fade.h"

#include "game/state.h"
#include "platform/system.h"

bool FadeInStep() {
    if (FadeLevel < 0xFDFFFFFFu) FadeLevel += 0x02000000u;
    if (FadeLevel >> 24 == 0xFF) return true;
    FadeLevel += 0x01000000u;
    return false;
}

bool FadeOutStep() {
    if (FadeLevel > 0x01FFFFFFu) {
        FadeLevel -= 0x02000000u;
    } else if (FadeLevel >> 24 == 1) {
        FadeLevel -= 0x01000000u;
    } else {
        return true;
    }
    return false;
}

void RunFade(FadeDirection direction, const std::function<void()>& drawFrame, FadeWaits waits) {
    for (;;) {
        drawFrame();
        if (direction == FadeDirection::In ? FadeInStep() : FadeOutStep()) break;
        if (waits.BetweenFrames > 0) Sleep(waits.BetweenFrames);
    }
    if (waits.After > 0) Sleep(waits.After);
}
